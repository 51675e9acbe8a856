// The shared decoder and line splitter, seen through both loaders: the
// string list's and the rich-text view's.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FifoWriter.h"
#include "RichText.h"
#include "Strings.h"
#include "SysUtils.h"
#include "TempDir.h"
#include "TextFile.h"

namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    String Write(const std::string& name, const std::string& bytes) const {
        return FileNameFromBytes(dir_.Write(name, bytes).string());
    }
    String PathOf(const std::string& name) const { return FileNameFromBytes((dir_ / name).string()); }
    const fs::path& Path() const { return dir_.Path(); }

private:
    TTempDir dir_{"lumivar-text"};
};

std::vector<String> LinesOf(const TStrings& list) {
    std::vector<String> lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
    return lines;
}

struct LoaderCase {
    const char* name;
    std::string bytes;
    std::vector<String> lines;
};

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

std::vector<LoaderCase> LoaderCases() {
    return {
        {"empty file", "", {}},
        {"utf8 mark only", "\xEF\xBB\xBF", {}},
        {"utf16le mark only", "\xFF\xFE", {}},
        {"utf16be mark only", "\xFE\xFF", {}},
        {"lf", "a\nbc\n", {u"a", u"bc"}},
        {"crlf pairs", "a\r\nb\r\n", {u"a", u"b"}},
        {"cr only", "a\rb\rc", {u"a", u"b", u"c"}},
        {"mixed breaks", "a\r\n\nb\r\r\nc\n\rd", {u"a", u"", u"b", u"", u"c", u"", u"d"}},
        {"no final break", "one\ntwo", {u"one", u"two"}},
        {"only breaks", "\n\r\n\r", {u"", u"", u""}},
        {"nul in the middle", std::string("ab\0cd\nef", 8), {String(u"ab\0cd", 5), u"ef"}},
        {"line of 5000", Repeat('x', 5000) + "\nshort", {String(5000, u'x'), u"short"}},
        {"utf8 without mark", "ol\xC3\xA1\n\xE2\x82\xAC", {u"ol\u00E1", u"\u20AC"}},
        {"utf8 mark", "\xEF\xBB\xBFol\xC3\xA1\r\n", {u"ol\u00E1"}},
        {"invalid utf8 is windows-1252", "a\xE1\x80\x9F\x81\n\xE7\xE3o", {u"a\u00E1\u20AC\u0178\u0081", u"\u00E7\u00E3o"}},
        {"utf8 surrogate without mark is windows-1252", "\xED\xA0\x80", {u"\u00ED\u00A0\u20AC"}},
        {"malformed byte under utf8 mark", "\xEF\xBB\xBF" "a\xFF" "b", {u"a\uFFFDb"}},
        {"utf16le with pair", std::string("\xFF\xFE" "a\0\r\0\n\0=\xD8\0\xDE" "b\0", 14), {u"a", u"\U0001F600b"}},
        {"utf16be with pair", std::string("\xFE\xFF\0a\0\n\xD8=\xDE\0\0\r", 12), {u"a", u"\U0001F600"}},
        {"utf16 lone surrogate", std::string("\xFF\xFE\x00\xD8x\0", 6), {String(u"\xD800x", 2)}},
        {"utf16 odd trailing byte", std::string("\xFF\xFE" "a\0b", 5), {u"a\uFFFD"}},
    };
}

TEST(TextLoaders, BothLoadersYieldTheSameLines) {
    TempDir dir;
    for (const LoaderCase& c : LoaderCases()) {
        SCOPED_TRACE(c.name);
        const String file = dir.Write("case.txt", c.bytes);
        TStringList list;
        list.LoadFromFile(file);
        EXPECT_EQ(LinesOf(list), c.lines);
        TRichTextDocument view;
        view.Lines().LoadFromFile(file);
        EXPECT_EQ(LinesOf(view.Lines()), c.lines);
        // Length and Mid agree with the decoded line.
        for (int i = 0; i < list.Count(); ++i) {
            EXPECT_EQ(list.Length(i), static_cast<int>(c.lines[i].size()));
            EXPECT_EQ(list.Mid(i, 1, 3), c.lines[i].substr(std::min<std::size_t>(1, c.lines[i].size()), 3));
        }
    }
}

TEST(TextLoaders, LinesAddedAfterALoadKeepTheirOwnEnds) {
    // Loaded CR LF breaks beside added lines of one-byte breaks, an
    // unterminated loaded last line, and added items that end in CR.
    TempDir dir;
    for (const char* bytes : {"a\r\nb\r\nlast", "a\r\nb\r\nlast\r\n", "a\nb\nlast"}) {
        SCOPED_TRACE(bytes);
        TStringList list;
        list.LoadFromFile(dir.Write("mixed.txt", bytes));
        list.Add(u"added\r");
        list.Add(u"");
        list.Add(u"tail");
        list.Insert(1, u"inserted\r");
        list.Put(0, u"put");
        EXPECT_EQ(LinesOf(list), (std::vector<String>{u"put", u"inserted\r", u"b", u"last", u"added\r", u"", u"tail"}));
        for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Length(i), static_cast<int>(list[i].size()));
    }
}

TEST(TextLoaders, LoneSurrogateSurvivesStoreAndReload) {
    // A lone surrogate read from UTF-16 is kept, and written back through
    // the toolkit's UTF-8 form it reads the same again.
    TempDir dir;
    TStringList list;
    list.LoadFromFile(dir.Write("s.txt", std::string("\xFF\xFE\x00\xDC", 4)));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], String(1, char16_t(0xDC00)));
    const std::string stored = StringToUtf8(list[0]);
    EXPECT_EQ(Utf8ToString(stored), list[0]);
    TStringList again;
    again.Add(list[0]);
    EXPECT_EQ(again[0], list[0]);
}

// The splitter of two parts (two threads reading two halves) must find the
// same lines as one pass, wherever the halves meet and however the parts
// arrive in chunks: a CR LF torn apart, a CR at a chunk's end, a non-ASCII
// line spread over both parts.
TEST(LineSplitter, SplitAnywhereGivesTheSameScan) {
    const std::vector<std::string> texts = {
        "a\r\nb\rc\n\r\nd", "\r\n\r\n", "\r\r\n\n", "x\xC3\xA9y\r\nz\xE2\x82\xACw\r", "plain", "\n\xC3\xA9\n\n",
    };
    for (const std::string& text : texts) {
        const TLineScan whole = ScanLines(text.data(), 0, text.size());
        for (std::size_t split = 0; split <= text.size(); ++split) {
            for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{64}}) {
                SCOPED_TRACE(text + " split " + std::to_string(split) + " chunk " + std::to_string(chunk));
                TSplitScanner scanner(text.data(), 0, split, text.size());
                for (std::size_t at = 0; at < split; at += chunk) scanner.Scan(0, at, std::min(split, at + chunk));
                for (std::size_t at = split; at < text.size(); at += chunk) scanner.Scan(1, at, std::min(text.size(), at + chunk));
                const TLineScan parts = scanner.Merge();
                ASSERT_EQ(parts.starts.Size(), whole.starts.Size());
                for (std::size_t i = 0; i < whole.starts.Size(); ++i) EXPECT_EQ(parts.starts[i], whole.starts[i]);
                EXPECT_EQ(parts.nonAsciiLines, whole.nonAsciiLines);
                EXPECT_EQ(parts.breakBytes, whole.breakBytes);
            }
        }
    }
}

// Lines by the rules, one character at a time: the oracle for large files.
std::vector<String> SplitByTheRules(const String& text) {
    std::vector<String> lines;
    String line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') {
            line += text[i];
            continue;
        }
        lines.push_back(line);
        line.clear();
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string SomeLines(int from, std::size_t size) {
    const char* const breaks[] = {"\r\n", "\n", "\r"};
    std::string bytes;
    for (int i = from; bytes.size() < size; ++i) {
        bytes += "2026-12-10 14:27:40.123 [INFO ] record " + std::to_string(i);
        if (i % 7 == 0) bytes += " a\xC3\xA7\xC3\xA3o";
        bytes += breaks[i % 3];
    }
    return bytes;
}

void CheckBothLoaders(const std::string& bytes);

// A file large enough to be read by two threads, a half each, whose halves
// meet inside a CR LF pair or right after a lone CR: its lines are those of
// a one-pass split.
TEST(TextLoaders, LargeFileReadInTwoHalves) {
    for (const char* secondHalfStart : {"\n", "x"}) {
        SCOPED_TRACE(secondHalfStart);
        std::string first = SomeLines(0, std::size_t{5} << 20) + "last of the first half\r";
        std::string second = secondHalfStart + SomeLines(1000000, std::size_t{5} << 20) + "unterminated";
        // Pad inside the halves so that they are equally long and the CR stays last.
        if (first.size() < second.size())
            first.insert(0, second.size() - first.size(), 'p');
        else
            second.insert(1, first.size() - second.size(), 'p');
        const std::string bytes = first + second;
        ASSERT_EQ(bytes.substr(bytes.size() / 2 - 1, 2), std::string("\r") + secondHalfStart);
        CheckBothLoaders(bytes);
    }
}

void CheckBothLoaders(const std::string& bytes) {
    TempDir dir;
    const String file = dir.Write("big.log", bytes);
    const std::vector<String> expected = SplitByTheRules(Utf8ToString(bytes));
    TStringList list;
    list.LoadFromFile(file);
    EXPECT_EQ(LinesOf(list), expected);
    TRichTextDocument view;
    view.Lines().LoadFromFile(file);
    ASSERT_EQ(view.Lines().Count(), static_cast<int>(expected.size()));
    for (int i : {0, 7, static_cast<int>(expected.size()) - 1}) {
        EXPECT_EQ(view.Lines()[i], expected[static_cast<std::size_t>(i)]);
        EXPECT_EQ(view.Lines().Length(i), static_cast<int>(expected[static_cast<std::size_t>(i)].size()));
    }
}

TEST(TextLoaders, OpenErrorsNameTheFullPathAndTheReason) {
    TempDir dir;
    fs::create_directory(StringToUtf8(dir.PathOf("folder")));
    const String missing = dir.PathOf("missing.log");
    const String folder = dir.PathOf("folder");
    const struct {
        String file;
        const char16_t* reason;
    } cases[] = {
        {missing, u"No such file or directory"},
        {folder, u"Is a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(StringToUtf8(c.file));
        const String message = u"Cannot open file \"" + c.file + u"\". " + c.reason;
        TStringList list;
        list.Add(u"kept");
        try {
            list.LoadFromFile(c.file);
            ADD_FAILURE() << "no error";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), message);
        }
        EXPECT_EQ(LinesOf(list), std::vector<String>{u"kept"});
        TRichTextDocument view;
        view.Lines().Add(u"kept");
        try {
            view.Lines().LoadFromFile(c.file);
            ADD_FAILURE() << "no error";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), message);
        }
        EXPECT_EQ(LinesOf(view.Lines()), std::vector<String>{u"kept"});
    }
}

TEST(TextLoaders, ReadFailureAfterOpening) {
    // The process's own memory file opens, but reading it from offset 0
    // fails: each loader reports its own read error and keeps its lines.
    const String file = u"/proc/self/mem";
    TStringList list;
    list.Add(u"kept");
    try {
        list.LoadFromFile(file);
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), u"Stream read error");
    }
    EXPECT_EQ(LinesOf(list), std::vector<String>{u"kept"});
    TRichTextDocument view;
    view.Lines().Add(u"kept");
    try {
        view.Lines().LoadFromFile(file);
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), u"Failed to Load Stream");
    }
    EXPECT_EQ(LinesOf(view.Lines()), std::vector<String>{u"kept"});
}

TEST(TextLoaders, RelativeNameIsReportedAsFullPath) {
    const String message = CannotOpenFileMessage(u"no/such/../file.log", ENOENT);
    const String expected = Utf8ToString((fs::current_path() / "no/file.log").string());
    EXPECT_EQ(message, u"Cannot open file \"" + expected + u"\". No such file or directory");
}

TEST(TextLoaders, UnreadableFileIsAnOpenError) {
    // Root reads any file whatever its permissions, so there is nothing to
    // test when the suite runs as root.
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop reading";
    TempDir dir;
    const String file = dir.Write("locked.log", "secret\n");
    fs::permissions(StringToUtf8(file), fs::perms::none);
    TStringList list;
    try {
        list.LoadFromFile(file);
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), u"Cannot open file \"" + file + u"\". Permission denied");
    }
}

TEST(TextLoaders, ReasonLosesTrailingFullStopsAndBlanks) {
    // Every reason the system gives reads without closing punctuation.
    for (int error : {ENOENT, EACCES, EISDIR, EMFILE, ENAMETOOLONG}) {
        const String message = CannotOpenFileMessage(u"/x", error);
        ASSERT_FALSE(message.empty());
        EXPECT_NE(message.back(), u'.');
        EXPECT_GT(message.back(), u' ');
    }
}

// Loads a file into both loaders, each holding a line before; returns the
// message of what each raised (empty when it loaded), and checks that a
// loader that failed kept its line.
template <class TError>
std::vector<String> LoadErrors(const String& file) {
    std::vector<String> messages;
    TStringList list;
    list.Add(u"kept");
    TRichTextDocument view;
    view.Lines().Add(u"kept");
    for (TStrings* lines : {static_cast<TStrings*>(&list), static_cast<TStrings*>(&view.Lines())}) {
        try {
            lines->LoadFromFile(file);
            messages.emplace_back();
        } catch (const TError& e) {
            messages.push_back(e.Message());
            EXPECT_EQ(LinesOf(*lines), std::vector<String>{u"kept"});
        }
    }
    return messages;
}

// Only regular files and FIFOs are text to load: a device would never end
// (/dev/zero) or only pretend to be a file, and a socket is none.
TEST(TextLoaders, DevicesAndSocketsAreRefused) {
    TempDir dir;
    const fs::path socketPath = dir.Path() / "socket";
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    for (const String& file : {String(u"/dev/zero"), String(u"/dev/null"), FileNameFromBytes(socketPath.string())}) {
        SCOPED_TRACE(StringToUtf8(file));
        const String message = u"Cannot open file \"" + file + u"\". Not a regular file";
        EXPECT_EQ(LoadErrors<EFOpenError>(file), (std::vector<String>{message, message}));
    }
    ::close(sock);
}

// Restores both size bounds when a test ends, however it ends.
class TSizeBounds {
public:
    TSizeBounds(std::uint64_t inMemory, std::uint64_t fileBacked)
        : inMemory_(SetTextSizeLimit(inMemory)), fileBacked_(SetFileBackedSizeLimit(fileBacked)) {}
    ~TSizeBounds() {
        SetTextSizeLimit(inMemory_);
        SetFileBackedSizeLimit(fileBacked_);
    }

private:
    std::uint64_t inMemory_;
    std::uint64_t fileBacked_;
};

// A regular file is indexed, not held: it is bound by FileBackedSizeLimit
// alone, and one above it is refused before it is read. One of exactly the
// bound loads.
TEST(TextLoaders, ARegularFileAboveTheFileBackedBoundIsOutOfMemory) {
    TempDir dir;
    const TSizeBounds bounds(std::uint64_t{1} << 20, 10);
    const String fits = dir.Write("fits.log", "12345\n789\n");
    const String above = dir.Write("above.log", "12345\n789\nx");
    EXPECT_EQ(LoadErrors<EOutOfMemory>(fits), (std::vector<String>{u"", u""}));
    EXPECT_EQ(LoadErrors<EOutOfMemory>(above), (std::vector<String>{u"Out of memory", u"Out of memory"}));
}

// A regular file larger than what may be held in memory, but within the
// file-backed bound, opens file-backed in the list and in the view.
TEST(TextLoaders, ARegularFileAboveTheInMemoryLimitOpensFileBacked) {
    TempDir dir;
    const TSizeBounds bounds(4, 1024);
    const String file = dir.Write("larger.log", "12345\n789\nx");
    TStringList list;
    list.LoadFromFile(file);
    TRichTextDocument view;
    view.Lines().LoadFromFile(file);
    for (const TStrings* lines : {static_cast<const TStrings*>(&list), static_cast<const TStrings*>(&view.Lines())}) {
        ASSERT_NE(lines->Store(), nullptr);
        EXPECT_NE(lines->Store()->File(), nullptr);
        EXPECT_EQ(LinesOf(*lines), (std::vector<String>{u"12345", u"789", u"x"}));
    }
}

// A FIFO whose writer never stops is read up to the limit, then refused,
// instead of filling the memory.
TEST(TextLoaders, AFifoThatNeverEndsStopsAtTheSizeLimit) {
    TempDir dir;
    const fs::path fifo = dir.Path() / "endless.log";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const TSizeBounds bounds(std::uint64_t{1} << 20, FileBackedSizeLimit());
    {
        TFifoWriter writer(fifo, std::string(4096, 'x') + "\n", TFifoWriter::Forever);
        EXPECT_EQ(LoadErrors<EOutOfMemory>(FileNameFromBytes(fifo.string())),
                  (std::vector<String>{u"Out of memory", u"Out of memory"}));
        // Each loader stopped near the limit, not when memory ran out.
        EXPECT_LT(writer.BytesSent(), std::size_t{16} << 20);
    }
}

// A name that is not UTF-8 reaches the open call as its own bytes; a
// message shows such a byte to people as U+FFFD.
TEST(TextLoaders, ANameThatIsNotUtf8Opens) {
    TempDir dir;
    const String file = dir.Write("latin\xE9.log", "one\ntwo\n");
    TStringList list;
    list.LoadFromFile(file);
    EXPECT_EQ(LinesOf(list), (std::vector<String>{u"one", u"two"}));
    TRichTextDocument view;
    view.Lines().LoadFromFile(file);
    EXPECT_EQ(LinesOf(view.Lines()), (std::vector<String>{u"one", u"two"}));
    const String missing = dir.PathOf("gone\xE9.log");
    const String shown = FileNameFromBytes(dir.Path().string()) + u"/gone\uFFFD.log";
    const String message = u"Cannot open file \"" + shown + u"\". No such file or directory";
    EXPECT_EQ(LoadErrors<EFOpenError>(missing), (std::vector<String>{message, message}));
}

}  // namespace
