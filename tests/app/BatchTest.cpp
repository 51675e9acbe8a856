#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TextFile.h"

#include "BatchRun.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;

// Runs the viewer's batch mode the way a script does.
class Batch : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) { return dir.Write(name, bytes).string(); }
    // Runs the viewer with the arguments, and with the environment settings
    // given (NAME=value ...) added to the test's own.
    TRun Run(const std::string& args, const std::string& environment = std::string()) {
        return RunShell(environment + " " + Viewer() + " " + args, dir / "stderr.txt");
    }
    TTempDir dir{"lumivar-batch"};
};

std::string Line(const std::string& level, const std::string& message) {
    return "2026-12-10 08:00:00.000 [" + level + "] " + message;
}

TEST_F(Batch, StateHoldsTheCountsAndTheRunsOfEveryLine) {
    const std::string log = Write("a.log", Line("INFO ", "ok") + "\n" + "tiny\n");
    const TRun run = Run("--batch " + Quote(log) + " --state --lines");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "{\"fileName\": \"" + log +
                  "\", \"panes\": [\"Info: 1\", \"Warn: 0\", \"Error: 0\"], \"progress\": {\"visible\": false, "
                  "\"partsComplete\": 0, \"totalParts\": 0, \"percent\": 0}, \"lineCount\": 2, \"lines\": ["
                  "{\"text\": \"2026-12-10 08:00:00.000 [INFO ] ok\", \"runs\": [[0, 24, \"#000000\", false], "
                  "[24, 7, \"#0000FF\", false], [31, 4, \"#000000\", true]]}, "
                  "{\"text\": \"tiny\", \"runs\": [[35, 4, \"#000000\", false]]}]}\n");
}

TEST_F(Batch, ClickRunsTheFilterAndLeavesTheProgressAtTheEnd) {
    const std::string log =
        Write("b.log", Line("ERRO ", "1") + "\n" + Line("INFO ", "2") + "\n" + Line("ERRO ", "3") + "\n");
    const TRun run = Run("--batch " + Quote(log) + " --click BtnError --state");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"panes\": [\"Info: 1\", \"Warn: 0\", \"Error: 2\"]"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"progress\": {\"visible\": false, \"partsComplete\": 3, \"totalParts\": 3, \"percent\": 100}"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"lineCount\": 2"), std::string::npos) << run.out;
}

TEST_F(Batch, MissingFileGivesAnEmptyViewAndNoError) {
    const TRun run = Run("--batch " + Quote((dir / "none.log").string()) + " --state");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\"panes\": [\"Info: 0\", \"Warn: 0\", \"Error: 0\"]"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"lineCount\": 0"), std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST_F(Batch, AFilterThatCannotOpenItsFileReportsTheErrorBox) {
    const std::string sub = (dir / "sub").string();
    fs::create_directories(sub);
    const TRun run = Run("--batch " + Quote(sub) + " --click BtnWarning --state");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "lumivar: Cannot open file \"" + sub + "\". Is a directory.\n");
    EXPECT_NE(run.out.find("\"progress\": {\"visible\": true"), std::string::npos) << run.out;
}

TEST_F(Batch, OpenTakesTheConfirmedPath) {
    const std::string first = Write("first.log", Line("INFO ", "a") + "\n");
    const std::string second = Write("second.log", Line("AVISO", "b") + "\n" + Line("AVISO", "c") + "\n");
    const TRun run = Run("--batch " + Quote(first) + " --open " + Quote(second) + " --state");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"fileName\": \"" + second + "\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"Warn: 2\""), std::string::npos) << run.out;
}

// A confirmed name that names no file is taken as it stands, the view kept:
// a file in a folder that does not exist, and a folder (which a dialog would
// otherwise enter instead of confirming).
TEST_F(Batch, OpenTakesAPathThatNamesNoFileAsItStands) {
    const std::string first = Write("first.log", Line("AVISO", "a") + "\n");
    const std::string sub = (dir / "sub").string();
    fs::create_directories(sub);
    for (const std::string& path : {(dir / "no-such-folder" / "x.log").string(), sub}) {
        const TRun run = Run("--batch " + Quote(first) + " --open " + Quote(path) + " --state");
        ASSERT_EQ(run.status, 0) << path << ": " << run.err;
        EXPECT_NE(run.out.find("\"fileName\": \"" + path + "\""), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("\"Warn: 1\""), std::string::npos) << run.out;
    }
}

// Every encoding and break style yields the same lines.
TEST_F(Batch, EncodingsAndBreaksYieldTheSameLines) {
    const std::string ascii = Line("ERRO ", "x");
    auto utf16 = [](const std::string& s, bool big) {
        std::string out;
        for (unsigned char c : s) out += big ? std::string{'\0', static_cast<char>(c)} : std::string{static_cast<char>(c), '\0'};
        return out;
    };
    struct Case {
        const char* name;
        std::string bytes;
        int lines;
    } cases[] = {
        {"lf", ascii + "\n" + ascii + "\n", 2},
        {"crlf", ascii + "\r\n" + ascii + "\r\n", 2},
        {"cr", ascii + "\r" + ascii + "\r", 2},
        {"no final break", ascii + "\n" + ascii, 2},
        {"utf8 bom", "\xEF\xBB\xBF" + ascii + "\n" + ascii + "\n", 2},
        {"utf16le bom", "\xFF\xFE" + utf16(ascii + "\r\n" + ascii + "\r\n", false), 2},
        {"utf16be bom", "\xFE\xFF" + utf16(ascii + "\n" + ascii, true), 2},
        {"bom only", "\xEF\xBB\xBF", 0},
        {"empty", "", 0},
        {"blank lines", "\n\n\n", 3},
    };
    for (const auto& c : cases) {
        const std::string log = Write(std::string(c.name) + ".log", c.bytes);
        for (const char* click : {"", " --click BtnError"}) {
            const TRun run = Run("--batch " + Quote(log) + click + " --state");
            ASSERT_EQ(run.status, 0) << c.name << run.err;
            const std::string count = "\"lineCount\": " + std::to_string(c.name == std::string("blank lines") && *click ? 0 : c.lines);
            EXPECT_NE(run.out.find(count), std::string::npos) << c.name << click << ": " << run.out;
            EXPECT_NE(run.out.find("\"Error: " + std::to_string(c.name == std::string("blank lines") ? 0 : c.lines) + "\""),
                      std::string::npos)
                << c.name << ": " << run.out;
        }
    }
}

TEST_F(Batch, Windows1252TextWithoutAMarkIsDecoded) {
    const std::string log = Write("cp.log", Line("INFO ", "Conex\xE3o estabelecida") + "\n");
    const TRun run = Run("--batch " + Quote(log) + " --state --lines");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Conex\xC3\xA3o estabelecida"), std::string::npos) << run.out;
}

// A file bigger than any memory the machine can give: the load fails and
// says so. (A sparse file: it takes no disk space.)
TEST_F(Batch, ALoadThatRunsOutOfMemoryIsReportedAsSuch) {
    std::ifstream overcommit("/proc/sys/vm/overcommit_memory");
    int policy = 0;
    if (overcommit >> policy && policy == 1) GTEST_SKIP() << "the system grants any allocation: the file would be read";
    const std::string log = (dir / "huge.log").string();
    std::error_code ec;
    std::ofstream(log).close();
    fs::resize_file(log, std::uintmax_t{2} << 40, ec);  // 2 TiB
    if (ec) GTEST_SKIP() << "no sparse file of 2 TiB here: " << ec.message();
    // A sanitizer's allocator refuses such a size the way the system does
    // (and says so on the error stream too).
    const TRun run =
        Run("--batch " + Quote(log) + " --state", "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}allocator_may_return_null=1");
    EXPECT_EQ(run.status, 2) << run.err;
    std::istringstream err(run.err);
    std::vector<std::string> boxes;
    for (std::string line; std::getline(err, line);)
        if (line.rfind("lumivar: ", 0) == 0) boxes.push_back(line);
    EXPECT_EQ(boxes, std::vector<std::string>{"lumivar: Out of memory."}) << run.err;
    EXPECT_NE(run.out.find("\"lineCount\": 0"), std::string::npos) << run.out;
}

// The state is UTF-8 JSON even where the text is not valid UTF-16: a lone
// half of a surrogate pair is written as its escape, a whole pair as the
// character it makes.
TEST_F(Batch, LoneSurrogatesAreEscapedInTheState) {
    auto utf16le = [](std::initializer_list<char16_t> units) {
        std::string out = "\xFF\xFE";
        for (char16_t u : units) out += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        return out;
    };
    const std::string log = Write("surrogates.log", utf16le({u'a', 0xD800, u'b', u'\n',  // a lone high half
                                                             0xDC00, u'\n',              // a lone low half
                                                             0xDE00, 0xD83D, u'\n',      // both, in the wrong order
                                                             0xD83D, 0xDE00, u'"', u'\n'}));
    const TRun run = Run("--batch " + Quote(log) + " --state --lines");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(IsStrictUtf8(run.out.data(), run.out.size())) << run.out;
    for (const char* text : {"\"a\\ud800b\"", "\"\\udc00\"", "\"\\ude00\\ud83d\"", "\"\xF0\x9F\x98\x80\\\"\""})
        EXPECT_NE(run.out.find(std::string("{\"text\": ") + text + ","), std::string::npos) << text << " in " << run.out;
}

TEST_F(Batch, ScreenshotIsAPngOfTheWindow) {
    const std::string shot = (dir / "shot.png").string();
    const TRun run = Run("--batch " + Quote((dir / "none.log").string()) + " --palette classic --screenshot " + Quote(shot));
    ASSERT_EQ(run.status, 0) << run.err;
    std::ifstream png(shot, std::ios::binary);
    std::string head(24, '\0');
    png.read(head.data(), 24);
    ASSERT_EQ(head.substr(1, 3), "PNG");
    auto be32 = [&](size_t at) {
        return (static_cast<unsigned char>(head[at]) << 24) | (static_cast<unsigned char>(head[at + 1]) << 16) |
               (static_cast<unsigned char>(head[at + 2]) << 8) | static_cast<unsigned char>(head[at + 3]);
    };
    EXPECT_EQ(be32(16), 1025);  // client width
    EXPECT_EQ(be32(20), 527);   // client height
}

// The find's part of the state: everything from "find" on.
std::string FindPart(const TRun& run) {
    const auto at = run.out.find("\"find\"");
    return at == std::string::npos ? std::string() : run.out.substr(at);
}

TEST_F(Batch, FindReportsTheFirstMatchAndTheCount) {
    const std::string log = Write("f.log", Line("INFO ", "Relat\xc3\xb3rio: disk ok") + "\n" + Line("ERRO ", "Disk full, disk") +
                                               "\n" + Line("AVISO", "diskette") + "\n");
    struct Case {
        std::string args;
        std::string expected;
    } cases[] = {
        // Column 43, not 44: "ó" is one character, two bytes.
        {"--find disk", "\"find\": {\"count\": 4, \"first\": {\"line\": 0, \"column\": 43, \"length\": 4}}}\n"},
        {"--find Disk --match-case", "\"find\": {\"count\": 1, \"first\": {\"line\": 1, \"column\": 32, \"length\": 4}}}\n"},
        {"--find disk --whole-word", "\"find\": {\"count\": 3, \"first\": {\"line\": 0, \"column\": 43, \"length\": 4}}}\n"},
        {"--find '^.{25}ERRO ' --regex", "\"find\": {\"count\": 1, \"first\": {\"line\": 1, \"column\": 0, \"length\": 30}}}\n"},
        {"--find '^.{25}ERRO '", "\"find\": {\"count\": 0, \"first\": null}}\n"},
        {"--find 'disk[' --regex", "\"find\": {\"error\": \"missing terminating ] for character class\"}}\n"},
        // After a filter the view holds only its lines.
        {"--click BtnWarning --find disk", "\"find\": {\"count\": 1, \"first\": {\"line\": 0, \"column\": 32, \"length\": 4}}}\n"},
    };
    for (const Case& c : cases) {
        const TRun run = Run("--batch " + Quote(log) + " --state " + c.args);
        EXPECT_EQ(run.status, 0) << c.args << ": " << run.err;
        EXPECT_EQ(FindPart(run), c.expected) << c.args;
    }
    // Without --find the state is as it always was.
    EXPECT_EQ(FindPart(Run("--batch " + Quote(log) + " --state")), "");
}

TEST_F(Batch, BadArgumentsAreRefusedWithUsage) {
    for (const char* args : {"--batch --frobnicate", "--batch --click BtnOpen", "--batch --click NoSuchControl",
                             "--batch --lines", "--batch a.log b.log", "--batch -- a.log b.log", "--state",
                             "--batch --open ''", "--batch --find", "--batch --regex", "--find x"}) {
        const TRun run = Run(args);
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_NE(run.err.find("usage: lumivar"), std::string::npos) << args << ": " << run.err;
    }
}

// Start-up needs a per-user runtime folder. With none in the environment,
// a name that another local user could have taken first (a plain file, a
// folder of someone else's) must not stop it, and nothing of a fixed name
// may be left in the shared temporary folder. The viewer runs in a mount
// namespace of its own with an empty temporary folder, so that the test
// sees everything that lands there.
TEST_F(Batch, StartsWithoutARuntimeFolderAndLeavesNoFixedNameInTheTemporaryFolder) {
    const bool root = ::geteuid() == 0;
    const std::string unshare = root ? "unshare -m" : "unshare -rm";
    if (std::system((unshare + " true >/dev/null 2>&1").c_str()) != 0) GTEST_SKIP() << "no mount namespace available";
    const std::string oldName = "lumivar-runtime-" + std::to_string(::getuid());
    const std::string taken = "/tmp/" + oldName;
    const struct {
        const char* name;
        std::string prepare;  // what is in the temporary folder before the run
        std::string left;     // what must be there after it
    } cases[] = {
        {"nothing there", "true", ""},
        {"a plain file of the old name", "touch " + taken, oldName + "\n"},
        {"someone else's folder of the old name", "mkdir -m 0700 " + taken + " && chown 65534:65534 " + taken,
         oldName + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!root && c.prepare.find("chown") != std::string::npos) continue;  // only root can give a folder away
        const std::string script = "mount -t tmpfs tmpfs /tmp && " + c.prepare +
                                   " && env -u XDG_RUNTIME_DIR -u TMPDIR " + Viewer() +
                                   " --batch --state; echo \"status $?\"; ls -A /tmp";
        const TRun run = RunShell(unshare + " sh -c " + Quote(script), dir / "stderr.txt");
        EXPECT_EQ(run.err, "");
        const auto status = run.out.find("status ");
        ASSERT_NE(status, std::string::npos) << run.out;
        EXPECT_NE(run.out.find("\"lineCount\": 0"), std::string::npos) << run.out;
        EXPECT_EQ(run.out.substr(status), "status 0\n" + c.left);
    }
}

// The open dialog of Qt keeps its history in the user's configuration
// folder when it is destroyed; the viewer never writes a file.
TEST_F(Batch, OpenWritesNothingIntoTheHome) {
    const TTempDir home("lumivar-home");
    const std::string first = Write("first.log", Line("INFO ", "a") + "\n");
    const std::string second = Write("second.log", Line("AVISO", "b") + "\n");
    const std::string env =
        "env HOME=" + Quote(home.Path().string()) + " XDG_CONFIG_HOME=" + Quote(home.Path().string()) + " ";
    const TRun run = RunShell(env + Viewer() + " --batch " + Quote(first) + " --open " + Quote(second) +
                                  " --open " + Quote((dir / "missing.log").string()) + " --state",
                              dir / "stderr.txt");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"Warn: 1\""), std::string::npos) << run.out;
    EXPECT_TRUE(fs::is_empty(home.Path()));
}

// A filter on a device that never ends (/dev/zero) must not read it: it ends
// at once with a clear error, its memory never near the size of a read.
TEST_F(Batch, AFilterOnADeviceEndsAtOnceWithAClearError) {
    const TRun run = Run("--batch /dev/zero --click BtnError --state");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "lumivar: Cannot open file \"/dev/zero\". Not a regular file.\n");
    EXPECT_NE(run.out.find("\"lineCount\": 0"), std::string::npos) << run.out;
    rusage usage{};
    ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 1024L * 1024L) << "kilobytes at the peak";
}

// A file's name is the platform's bytes: one that is not UTF-8 opens from
// the command line, through the dialog and in the filter, and an error
// shows it to people with U+FFFD for the byte that is not UTF-8.
TEST_F(Batch, ANameThatIsNotUtf8OpensEverywhere) {
    const std::string log = Write("latin\xE9.log", Line("ERRO ", "x") + "\n" + Line("INFO ", "y") + "\n");
    const std::string other = Write("other.log", "");
    for (const std::string& args : {"--batch " + Quote(log) + " --state",
                                    "--batch " + Quote(other) + " --open " + Quote(log) + " --state",
                                    "--batch " + Quote(log) + " --click BtnError --state"}) {
        const TRun run = Run(args);
        ASSERT_EQ(run.status, 0) << args << ": " << run.err;
        EXPECT_NE(run.out.find("\"Info: 1\", \"Warn: 0\", \"Error: 1\""), std::string::npos)
            << args << ": " << run.out;
    }
    fs::create_directory(dir / "folder\xE9");
    const TRun run = Run("--batch " + Quote((dir / "folder\xE9").string()) + " --click BtnError");
    EXPECT_EQ(run.status, 2);
    const std::string shown = (dir / "folder").string() + "\xEF\xBF\xBD";  // U+FFFD
    EXPECT_EQ(run.err, "lumivar: Cannot open file \"" + shown + "\". Is a directory.\n");
}

}  // namespace
