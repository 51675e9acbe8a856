// Checks that the include graph of the sources is free of cycles: no file
// reaches itself through the files it includes. Files are the headers and
// sources below the folders given; an include names a header by its file
// name alone (the build's include folders are flat), so every header name
// must be unique. Prints each cycle found and exits with 1; 0 when there is
// none; 2 when the folders cannot be read or a header name is not unique.
//   includecycles FOLDER...
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TFile {
    fs::path path;
    std::vector<std::size_t> includes;  // indices of the files it includes
};

bool IsSource(const fs::path& p) { return p.extension() == ".h" || p.extension() == ".cpp"; }

// The name that a line includes with #include "...", or nothing.
std::string QuotedInclude(const std::string& line) {
    constexpr const char* kBlanks = " \t";
    std::size_t at = line.find_first_not_of(kBlanks);
    if (at == std::string::npos || line[at] != '#') return {};
    at = line.find_first_not_of(kBlanks, at + 1);
    if (at == std::string::npos || line.compare(at, 7, "include") != 0) return {};
    at = line.find_first_not_of(kBlanks, at + 7);
    if (at == std::string::npos || line[at] != '"') return {};
    const std::size_t end = line.find('"', at + 1);
    return end == std::string::npos ? std::string() : line.substr(at + 1, end - at - 1);
}

// The names in #include "..." lines of a file.
std::vector<std::string> QuotedIncludes(const fs::path& p) {
    std::vector<std::string> names;
    std::ifstream in(p);
    std::string line;
    while (std::getline(in, line))
        if (std::string name = QuotedInclude(line); !name.empty()) names.push_back(std::move(name));
    return names;
}

class TGraph {
public:
    // False (with the reason on the error stream) when two headers share a name.
    bool Load(const std::vector<fs::path>& folders) {
        for (const fs::path& folder : folders)
            for (const auto& entry : fs::recursive_directory_iterator(folder))
                if (entry.is_regular_file() && IsSource(entry.path())) files_.push_back({entry.path(), {}});
        std::sort(files_.begin(), files_.end(), [](const TFile& a, const TFile& b) { return a.path < b.path; });
        std::map<std::string, std::size_t> headers;
        bool unique = true;
        for (std::size_t i = 0; i < files_.size(); ++i) {
            if (files_[i].path.extension() != ".h") continue;
            const auto [at, added] = headers.emplace(files_[i].path.filename().string(), i);
            if (!added) {
                std::cerr << "two headers named " << at->first << ": " << files_[at->second].path.string() << " and "
                          << files_[i].path.string() << "\n";
                unique = false;
            }
        }
        for (TFile& file : files_)
            for (const std::string& name : QuotedIncludes(file.path)) {
                const auto found = headers.find(fs::path(name).filename().string());
                if (found != headers.end()) file.includes.push_back(found->second);
            }
        return unique;
    }

    // Every cycle once, as found by a depth-first walk: the files from the
    // first one reached twice back to it.
    std::vector<std::vector<std::size_t>> Cycles() {
        state_.assign(files_.size(), kUnvisited);
        for (std::size_t i = 0; i < files_.size(); ++i)
            if (state_[i] == kUnvisited) Walk(i);
        return cycles_;
    }

    const fs::path& Path(std::size_t i) const { return files_[i].path; }

private:
    enum TState { kUnvisited, kOnPath, kDone };

    void Walk(std::size_t i) {
        state_[i] = kOnPath;
        path_.push_back(i);
        for (std::size_t next : files_[i].includes) {
            if (state_[next] == kOnPath) {
                const auto from = std::find(path_.begin(), path_.end(), next);
                cycles_.emplace_back(from, path_.end());
            } else if (state_[next] == kUnvisited) {
                Walk(next);
            }
        }
        path_.pop_back();
        state_[i] = kDone;
    }

    std::vector<TFile> files_;
    std::vector<TState> state_;
    std::vector<std::size_t> path_;
    std::vector<std::vector<std::size_t>> cycles_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: includecycles FOLDER...\n";
        return 2;
    }
    const std::vector<fs::path> folders(argv + 1, argv + argc);
    TGraph graph;
    try {
        if (!graph.Load(folders)) return 2;
    } catch (const fs::filesystem_error& e) {
        std::cerr << e.what() << "\n";
        return 2;
    }
    const auto cycles = graph.Cycles();
    for (const auto& cycle : cycles) {
        std::cout << "cycle:";
        for (std::size_t i : cycle) std::cout << " " << graph.Path(i).filename().string() << " ->";
        std::cout << " " << graph.Path(cycle.front()).filename().string() << "\n";
    }
    if (!cycles.empty()) return 1;
    std::cout << "no include cycles\n";
    return 0;
}
