// What the viewer does with bad input, one test per row of the README's
// table: each input goes through the start (FILE on the command line), an
// open (--open PATH) and a filter (--click BtnError after the start).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BatchRun.h"
#include "FifoWriter.h"
#include "TempDir.h"
#include "TextFile.h"

namespace {

namespace fs = std::filesystem;

std::string Line(const std::string& level, const std::string& message) {
    return "2026-12-10 08:00:00.000 [" + level + "] " + message;
}

// Two records, an error and an information, with CR LF breaks.
std::string Records(const std::string& errorMessage) {
    return Line("ERRO ", errorMessage) + "\r\n" + Line("INFO ", "ok") + "\r\n";
}

std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

std::string EveryByte(int times) {
    std::string bytes;
    for (int t = 0; t < times; ++t)
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}

struct TInput {
    std::string typed;  // FILE as typed in the scratch folder
    fs::path full;      // the path the messages name
};

struct TRow {
    const char* name;
    // Makes the input in the scratch folder.
    std::function<TInput(const TTempDir&)> make;
    // Lines in the view and error boxes ("{}" stands for the full path)
    // after the start or an open ...
    int lines;
    std::vector<std::string> errors;
    // ... and after a filter by errors that follows the start.
    int filteredLines;
    std::vector<std::string> filterErrors;
    // A line the start must show, as UTF-8 (empty: no text checked).
    std::string shown = "";
    // Bytes a writer sends to the FIFO during each run (a FIFO row only).
    std::string fifoText = "";
    // Error boxes of the start alone, before those of errors: a FILE named
    // on the command line that the view cannot show is reported, where an
    // open of it stays silent.
    std::vector<std::string> startErrors = {};
};

void PrintTo(const TRow& row, std::ostream* out) { *out << row.name; }

TInput Regular(const TTempDir& dir, const std::string& name, const std::string& bytes) {
    return {name, dir.Write(name, bytes)};
}

const char* const kNoFile = "Cannot open file \"{}\". No such file or directory.";
const char* const kIsADirectory = "Cannot open file \"{}\". Is a directory.";
const char* const kNotAFile = "Cannot open file \"{}\". Not a regular file.";
const char* const kOutOfMemory = "Out of memory.";

std::string FifoRecords() {
    std::string text;
    for (int i = 0; i < 3000; ++i) text += Line("ERRO ", "from the pipe") + "\n";
    return text;
}

std::vector<TRow> Rows() {
    return {
        {"Missing", [](const TTempDir& dir) { return TInput{"none.log", dir / "none.log"}; },
         0, {}, 0, {kNoFile}, "", "", {kNoFile}},
        {"Unreadable",
         [](const TTempDir& dir) {
             TInput in = Regular(dir, "locked.log", Records("x"));
             fs::permissions(in.full, fs::perms::none);
             return in;
         },
         0, {"Cannot open file \"{}\". Permission denied."}, 0, {"Cannot open file \"{}\". Permission denied."}},
        {"Empty", [](const TTempDir& dir) { return Regular(dir, "empty.log", ""); }, 0, {}, 0, {}},
        // Not UTF-8, so Windows-1252; CR and LF still end lines (two of each
        // in every 256 bytes) and NUL is a character.
        {"Binary", [](const TTempDir& dir) { return Regular(dir, "binary.log", EveryByte(4)); }, 9, {}, 0, {}},
        {"Directory",
         [](const TTempDir& dir) {
             fs::create_directory(dir / "folder.log");
             return TInput{"folder.log", dir / "folder.log"};
         },
         0, {}, 0, {kIsADirectory}, "", "", {kIsADirectory}},
        {"Device", [](const TTempDir&) { return TInput{"/dev/zero", "/dev/zero"}; },
         0, {}, 0, {kNotAFile}, "", "", {kNotAFile}},
        // Read to the writer's end; the filter reads it again, and with no
        // writer left it holds nothing.
        {"Fifo",
         [](const TTempDir& dir) {
             if (::mkfifo((dir / "pipe.log").c_str(), 0600) != 0) throw std::runtime_error("mkfifo");
             return TInput{"pipe.log", dir / "pipe.log"};
         },
         3000, {}, 0, {}, Line("ERRO ", "from the pipe"), FifoRecords()},
        // Sparse: larger than the bound of a file-backed load (terabytes on a
        // large machine), and refused before a byte is read.
        {"Huge",
         [](const TTempDir& dir) {
             TInput in = Regular(dir, "huge.log", "");
             fs::resize_file(in.full, FileBackedSizeLimit() + 1);
             return in;
         },
         0, {kOutOfMemory}, 0, {kOutOfMemory}},
        {"Utf16LittleEndian",
         [](const TTempDir& dir) { return Regular(dir, "le.log", Utf16(Records("x"), false)); }, 2, {}, 1, {},
         Line("ERRO ", "x")},
        {"Utf16BigEndian",
         [](const TTempDir& dir) { return Regular(dir, "be.log", Utf16(Records("x"), true)); }, 2, {}, 1, {},
         Line("ERRO ", "x")},
        {"Windows1252",
         [](const TTempDir& dir) { return Regular(dir, "cp.log", Records("Conex\xE3o: \x80 5")); }, 2, {}, 1, {},
         Line("ERRO ", "Conex\xC3\xA3o: \xE2\x82\xAC 5")},
        // One byte that is not UTF-8 makes the whole file Windows-1252.
        {"InvalidUtf8",
         [](const TTempDir& dir) { return Regular(dir, "bad.log", Records("caf\xC3\xA9 \xFF")); }, 2, {}, 1, {},
         Line("ERRO ", "caf\xC3\x83\xC2\xA9 \xC3\xBF")},
        // Under a UTF-8 mark, each byte that is not UTF-8 shows as U+FFFD.
        {"InvalidUtf8AfterAMark",
         [](const TTempDir& dir) {
             return Regular(dir, "marked.log", "\xEF\xBB\xBF" + Records("caf\xC3\xA9 \xFF"));
         },
         2, {}, 1, {}, Line("ERRO ", "caf\xC3\xA9 \xEF\xBF\xBD")},
        {"NameNotUtf8", [](const TTempDir& dir) { return Regular(dir, "latin\xE9.log", Records("x")); }, 2, {}, 1, {}},
        {"NameWithSpaces", [](const TTempDir& dir) { return Regular(dir, "a log with spaces.log", Records("x")); }, 2,
         {}, 1, {}},
        {"NameWithLeadingDashes", [](const TTempDir& dir) { return Regular(dir, "--dash.log", Records("x")); }, 2, {},
         1, {}},
    };
}

std::string Stderr(const std::vector<std::string>& messages, const fs::path& full) {
    std::string out;
    for (std::string m : messages) {
        if (const auto at = m.find("{}"); at != std::string::npos) m.replace(at, 2, full.string());
        out += "lumivar: " + m + "\n";
    }
    return out;
}

std::string LineCount(int n) { return "\"lineCount\": " + std::to_string(n); }

class BadInput : public ::testing::TestWithParam<TRow> {
protected:
    void SetUp() override {
        if (std::string(GetParam().name) == "Unreadable" && ::geteuid() == 0) {
            // Root reads whatever the permissions say: run the viewer as nobody,
            // who may look into the folder but not read the file.
            if (std::system("setpriv --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no setpriv to drop root";
            runAs_ = "env -u XDG_RUNTIME_DIR setpriv --reuid=65534 --regid=65534 --clear-groups ";
            fs::permissions(dir_.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                             fs::perms::others_read | fs::perms::others_exec);
        }
        try {
            input_ = GetParam().make(dir_);
        } catch (const fs::filesystem_error& e) {
            GTEST_SKIP() << "cannot make the input here: " << e.what();
        }
    }
    // Runs the viewer in the scratch folder with a writer on the FIFO, if any.
    TRun Run(const std::string& args) {
        std::unique_ptr<TFifoWriter> writer;
        if (!GetParam().fifoText.empty())
            writer = std::make_unique<TFifoWriter>(input_.full, GetParam().fifoText, TFifoWriter::Once);
        return RunShell("cd " + Quote(dir_.Path().string()) + " && " + runAs_ + Viewer() + " " + args,
                        errors_.Path() / "stderr.txt");
    }
    TTempDir dir_{"lumivar-bad-input"};
    TTempDir errors_{"lumivar-bad-input-stderr"};
    TInput input_;
    std::string runAs_;
};

TEST_P(BadInput, AtStartAndThroughOpen) {
    const TRow& row = GetParam();
    std::vector<std::string> startErrors = row.startErrors;
    startErrors.insert(startErrors.end(), row.errors.begin(), row.errors.end());
    for (const auto& [args, errors] :
         {std::pair{"--batch --state --lines -- " + Quote(input_.typed), startErrors},
          std::pair{"--batch --open " + Quote(input_.typed) + " --state --lines", row.errors}}) {
        SCOPED_TRACE(args);
        const TRun run = Run(args);
        EXPECT_EQ(run.status, errors.empty() ? 0 : 2);
        EXPECT_EQ(run.err, Stderr(errors, input_.full));
        EXPECT_NE(run.out.find(LineCount(row.lines)), std::string::npos) << run.out.substr(0, 300);
        if (!row.shown.empty()) {
            EXPECT_NE(run.out.find("{\"text\": \"" + row.shown + "\""), std::string::npos) << run.out.substr(0, 300);
        }
    }
}

TEST_P(BadInput, ThroughTheFilter) {
    const TRow& row = GetParam();
    std::vector<std::string> errors = row.startErrors;
    errors.insert(errors.end(), row.errors.begin(), row.errors.end());
    errors.insert(errors.end(), row.filterErrors.begin(), row.filterErrors.end());
    const TRun run = Run("--batch --click BtnError --state -- " + Quote(input_.typed));
    EXPECT_EQ(run.status, errors.empty() ? 0 : 2);
    EXPECT_EQ(run.err, Stderr(errors, input_.full));
    EXPECT_NE(run.out.find(LineCount(row.filteredLines)), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Rows, BadInput, ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<TRow>& info) { return std::string(info.param.name); });

}  // namespace
