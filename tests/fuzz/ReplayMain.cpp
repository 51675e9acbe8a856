// Runs every file of a seed corpus through a fuzz target once: the plain
// test run replays the corpora this way, so an input that once found a
// fault keeps being checked. A failing input aborts after its name.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "FuzzTarget.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 1;
    }
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(argv[1]))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "no seed inputs in %s\n", argv[1]);
        return 1;
    }
    for (const fs::path& file : files) {
        std::printf("%s\n", file.c_str());
        std::fflush(stdout);
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        // Like libFuzzer, never a null pointer, even for an empty input.
        static const char kNothing = 0;
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.empty() ? &kNothing : bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", files.size());
    return 0;
}
