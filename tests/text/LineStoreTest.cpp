// The file-backed line store: lines read from the file through the block
// cache agree with the same file held in memory, edited lines live beside
// file-backed ones, lines taken from another store share their file, and a
// file changed on disk after loading is shown as unavailable, never as
// other bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FifoWriter.h"
#include "LineStore.h"
#include "MemoryLines.h"
#include "SysUtils.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBlock = 64 * 1024;  // the cache's block size

String NameOf(const fs::path& path) { return FileNameFromBytes(path.string()); }

// Every line, its length, pieces and positions, against the in-memory reading.
void ExpectSameAsInMemory(const TLineStore& store, const TMemoryLines& expected) {
    ASSERT_EQ(store.Count(), expected.Count());
    EXPECT_EQ(store.TotalUnits(), expected.TotalUnits());
    std::string buffer;
    for (int i = 0; i < expected.Count(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(store.Get(i), expected.Get(i));
        ASSERT_EQ(store.Length(i), expected.Length(i));
        const TLineText text = store.LineUtf8(i, buffer);
        ASSERT_EQ(text.Bytes, expected.LineBytes(i));
        ASSERT_EQ(text.Ascii, expected.IsAsciiLine(i));
        ASSERT_EQ(store.Mid(i, 25, 5), expected.Mid(i, 25, 5));
        ASSERT_EQ(store.Mid(i, 1, 1 << 30), expected.Mid(i, 1, 1 << 30));
        const std::uint64_t position = expected.UnitsBefore(i) + static_cast<std::uint64_t>(i);
        ASSERT_EQ(store.UnitsBefore(i), expected.UnitsBefore(i));
        ASSERT_EQ(store.LineAtPosition(position), i);
        ASSERT_EQ(store.LineAtPosition(position + static_cast<std::uint64_t>(expected.Length(i))), i);
    }
    EXPECT_EQ(store.UnitsBefore(expected.Count()), expected.TotalUnits());
    EXPECT_EQ(store.LineAtPosition(UINT64_MAX / 2), expected.Count());
}

struct FileCase {
    const char* name;
    std::string bytes;
};

std::string Lines(std::size_t count, const std::string& line, const std::string& brk) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += std::to_string(i) + line + brk;
    return text;
}

std::string Utf16(const std::u16string& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : text) {
        const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

std::vector<FileCase> FileCases() {
    const std::string record = " 2026-12-11 10:00:00.000 INFO  message with some words";
    // A CR as the last byte of a block (and of an indexing chunk) and its LF
    // as the first byte of the next.
    std::string crAtBlockEnd(kBlock - 1, 'a');
    crAtBlockEnd += "\r\nnext\n";
    std::string crAtChunkEnd(16 * kBlock - 1, 'b');
    crAtChunkEnd += "\r\nnext\r";
    std::string spanning(kBlock - 10, 'c');
    spanning += '\n';
    spanning.append(3 * kBlock, 'd');
    spanning += "\nend";
    std::string accents;
    for (int i = 0; i < 3000; ++i) accents += (i % 3 ? "plain line\n" : "n\xC3\xA3o h\xC3\xA1 \xF0\x9F\x98\x80 linha\r\n");
    std::string windows1252;
    for (int i = 0; i < 3000; ++i) windows1252 += (i % 3 ? "plain\n" : "n\xE3o h\xE1 \x80 linha\n");
    std::u16string utf16;
    for (int i = 0; i < 3000; ++i) utf16 += (i % 2 ? u"linha \u00E3 \U0001F600\r\n" : u"plain\n");
    return {
        {"empty file", ""},
        {"only a mark", "\xEF\xBB\xBF"},
        {"no final break", "one\r\ntwo\nthree"},
        {"mixed breaks", "a\r\n\nb\r\r\nc\n\rd\r"},
        {"lines of all lengths", Lines(3000, record, "\n")},
        {"cr lf lines", Lines(3000, record, "\r\n")},
        {"cr at a block end", crAtBlockEnd},
        {"cr at an indexing chunk end", crAtChunkEnd},
        {"a line spanning blocks", spanning},
        {"utf8", accents},
        {"utf8 with a mark", "\xEF\xBB\xBF" + accents},
        {"malformed utf8 under a mark", "\xEF\xBB\xBF" "a\xFF" "b\n\xE2\x82\n\xC3\xA3\n"},
        {"windows-1252", windows1252},
        {"utf16le", Utf16(utf16, false)},
        {"utf16be", Utf16(utf16, true)},
        {"utf16 odd last byte", Utf16(u"ab\r\ncd", false) + "x"},
        {"nul and long group", std::string("a\0b\n", 4) + std::string(70000, 'e') + "\n" + Lines(200, "x", "\n")},
    };
}

TEST(FileBackedStore, ReadsEveryFileAsTheInMemoryLoaderDoes) {
    TTempDir dir("lumivar-store");
    for (const FileCase& c : FileCases()) {
        SCOPED_TRACE(c.name);
        const String file = NameOf(dir.Write("case.log", c.bytes));
        TLineStore store;
        store.LoadFromFile(file);
        TMemoryLines expected;
        expected.LoadFromFile(file);
        ExpectSameAsInMemory(store, expected);
        EXPECT_EQ(store.File() != nullptr, !c.bytes.empty());
    }
}

TEST(FileBackedStore, ALargeFileIndexedInTwoPartsReadsTheSame) {
    // Large enough to be indexed on two threads; CR LF and LF lines, some
    // with accents, so that the split falls between different breaks.
    TTempDir dir("lumivar-store");
    std::string text;
    for (int i = 0; text.size() < (std::size_t{9} << 20); ++i)
        text += std::to_string(i) + (i % 7 ? " 2026-12-11 10:00:00 ERRO  plain message\n" : " 2026 INFO  cora\xC3\xA7\xC3\xA3o\r\n");
    const String file = NameOf(dir.Write("large.log", text));
    TLineStore store;
    store.LoadFromFile(file);
    TMemoryLines expected;
    expected.LoadFromFile(file);
    ExpectSameAsInMemory(store, expected);
}

TEST(FileBackedStore, EditedLinesLiveBesideFileBackedOnes) {
    TTempDir dir("lumivar-store");
    const String file = NameOf(dir.Write("edit.log", "zero\r\none\r\ntwo\r\nthree\r\nfour"));
    TLineStore store;
    store.LoadFromFile(file);
    TMemoryLines expected;
    expected.LoadFromFile(file);
    struct Edit {
        const char* what;
        void (*apply)(TLineStore&, TMemoryLines&);
    };
    const Edit edits[] = {
        {"insert before a file line", [](TLineStore& s, TMemoryLines& e) { s.Insert(1, u"new \u00E1"); e.Insert(1, u"new \u00E1"); }},
        {"replace a file line", [](TLineStore& s, TMemoryLines& e) { s.Put(3, u"put"); e.Put(3, u"put"); }},
        {"delete a file line", [](TLineStore& s, TMemoryLines& e) { s.Delete(0); e.Delete(0); }},
        {"delete an edited line", [](TLineStore& s, TMemoryLines& e) { s.Delete(0); e.Delete(0); }},
        {"add after an unterminated file line", [](TLineStore& s, TMemoryLines& e) { s.Add(u"added"); e.Add(u"added"); }},
        {"insert at the end", [](TLineStore& s, TMemoryLines& e) { s.Insert(s.Count(), u"last"); e.Insert(e.Count(), u"last"); }},
    };
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.what);
        edit.apply(store, expected);
        ExpectSameAsInMemory(store, expected);
    }
    int fileLine = -1;
    ASSERT_TRUE(store.FileLineOf(0, fileLine));  // "one", line 1 of the file
    EXPECT_EQ(fileLine, 1);
    EXPECT_FALSE(store.FileLineOf(1, fileLine));  // "put"
    while (store.Count() > 0) store.Delete(0);
    EXPECT_EQ(store.File(), nullptr);  // the last line gone, the file is let go
    EXPECT_EQ(store.TotalUnits(), 0u);
}

TEST(FileBackedStore, AddFromSharesTheLineAndItsNumberInTheFile) {
    TTempDir dir("lumivar-store");
    const String file = NameOf(dir.Write("share.log", Lines(1000, " some record text", "\n")));
    TLineStore source;
    source.LoadFromFile(file);
    TLineStore filtered;
    for (int i = 3; i < source.Count(); i += 10) filtered.AddFrom(source, i);
    ASSERT_EQ(filtered.Count(), 100);
    EXPECT_EQ(filtered.File(), source.File());
    for (int k = 0; k < filtered.Count(); ++k) {
        int fileLine = -1;
        ASSERT_TRUE(filtered.FileLineOf(k, fileLine));
        EXPECT_EQ(fileLine, 3 + 10 * k);
        EXPECT_EQ(filtered.Get(k), source.Get(fileLine));
    }
    EXPECT_EQ(filtered.UnitsBefore(100), filtered.TotalUnits());
    // A reference per line, no copy of the text.
    EXPECT_LT(filtered.MemoryUsed() - source.MemoryUsed(), 100u * 100u);
    // Lines of another file are copied, not shared.
    const String other = NameOf(dir.Write("other.log", "elsewhere\n"));
    TLineStore second;
    second.LoadFromFile(other);
    filtered.AddFrom(second, 0);
    EXPECT_EQ(filtered.Get(100), u"elsewhere");
    int fileLine = -1;
    EXPECT_FALSE(filtered.FileLineOf(100, fileLine));
}

// Counts the handler's calls while a test runs.
class ChangeNotes {
public:
    ChangeNotes() {
        previous_ = SetFileChangedHandler([this](const String& name) { names.push_back(name); });
    }
    ~ChangeNotes() { SetFileChangedHandler(previous_); }
    std::vector<String> names;

private:
    TFileChangedHandler previous_;
};

std::string Unavailable(std::size_t units) {
    std::string text;
    for (std::size_t i = 0; i < units; ++i) text += "\xEF\xBF\xBD";
    return text;
}

TEST(FileBackedStore, AFileChangedOnDiskShowsItsChangedLinesAsUnavailable) {
    // Three blocks of lines; after loading, the file is changed on disk and
    // only then read.
    TTempDir dir("lumivar-store");
    const std::string text = Lines(3 * kBlock / 20, " line text", "\n");
    struct Change {
        const char* what;
        void (*apply)(const fs::path&, const std::string&);
        bool lastBlockLost;  // lines in the last block no longer read as loaded
    };
    const Change changes[] = {
        {"shrunk", [](const fs::path& p, const std::string& t) { fs::resize_file(p, t.size() - kBlock / 2); }, true},
        {"changed in place",
         [](const fs::path& p, const std::string& t) {
             std::fstream f(p, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(static_cast<std::streamoff>(t.size() - 100));
             f.write("XXXX", 4);
         },
         true},
        {"appended", [](const fs::path& p, const std::string&) { std::ofstream(p, std::ios::app) << "more\nlines\n"; }, false},
        {"renamed away", [](const fs::path& p, const std::string&) { fs::rename(p, p.string() + ".1"); }, false},
        {"deleted", [](const fs::path& p, const std::string&) { fs::remove(p); }, false},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        const fs::path path = dir.Write("changing.log", text);
        TLineStore store;
        store.LoadFromFile(NameOf(path));
        TMemoryLines expected;
        expected.LoadFromFile(NameOf(path));
        ChangeNotes notes;
        change.apply(path, text);
        std::string buffer;
        const int first = 0;
        const int last = store.Count() - 1;
        ASSERT_EQ(store.Count(), expected.Count());  // appended lines wait for a reload
        EXPECT_EQ(store.LineUtf8(first, buffer).Bytes, expected.LineBytes(first));
        if (change.lastBlockLost) {
            EXPECT_EQ(store.LineUtf8(last, buffer).Bytes, Unavailable(static_cast<std::size_t>(expected.Length(last))));
            EXPECT_EQ(store.Get(last), String(static_cast<std::size_t>(expected.Length(last)), u'\uFFFD'));
            EXPECT_EQ(store.Mid(last, 2, 3), String(3, u'\uFFFD'));
            EXPECT_EQ(store.Length(last), expected.Length(last));  // positions stay as loaded
            // Told once, however often the lines are read.
            store.Get(last - 1);
            EXPECT_EQ(notes.names, std::vector<String>{NameOf(path)});
            EXPECT_TRUE(store.FileChanged());
        } else {
            EXPECT_EQ(store.LineUtf8(last, buffer).Bytes, expected.LineBytes(last));
            EXPECT_TRUE(notes.names.empty());
            EXPECT_FALSE(store.FileChanged());
        }
        std::error_code ignored;
        fs::remove(path.string() + ".1", ignored);
    }
}

TEST(FileBackedStore, AFifoIsHeldInMemory) {
    // What cannot be read again is read whole, as before; a regular file is
    // backed by the file.
    TTempDir dir("lumivar-store");
    const fs::path fifo = dir.Path() / "pipe.log";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TLineStore store;
    {
        TFifoWriter writer(fifo, "from\na pipe\n", TFifoWriter::Once);
        store.LoadFromFile(NameOf(fifo));
    }
    EXPECT_EQ(store.File(), nullptr);
    ASSERT_EQ(store.Count(), 2);
    EXPECT_EQ(store.Get(1), u"a pipe");
}

TEST(FileBackedStore, ALineLongerThanAnIntCountsIsRefused) {
    // A sparse file: one line of 2^31 NULs after a short line, whose length
    // an int cannot hold. It is refused, the store keeping its lines.
    TTempDir dir("lumivar-store");
    const fs::path path = dir.Write("long-line.log", "short\n");
    std::error_code failed;
    fs::resize_file(path, 6 + (std::uint64_t{1} << 31), failed);
    if (failed) GTEST_SKIP() << "no sparse file here: " << failed.message();
    TLineStore store;
    store.Add(u"kept");
    EXPECT_THROW(store.LoadFromFile(NameOf(path)), std::bad_alloc);
    ASSERT_EQ(store.Count(), 1);
    EXPECT_EQ(store.Get(0), u"kept");
}

}  // namespace

// Following a growing file: lines appended after loading are indexed in
// place, read from the file like the loaded ones, and agree with a fresh
// load of the whole lines written so far.
TEST(FileBackedStore, ExtendIndexesTheWholeLinesAppendedSinceLoading) {
    struct Step {
        std::string appended;
        TFileGrowth growth;
        std::string wholeLines;  // what a fresh load of the whole lines so far holds
    };
    struct GrowthCase {
        const char* name;
        std::string loaded;
        std::vector<Step> steps;
    };
    const std::string record = " 2026-12-11 10:00:00.000 INFO  message with some words";
    const std::string accent = " 2026-12-11 10:00:00.000 AVISO cora\xC3\xA7\xC3\xA3o \xF0\x9F\x98\x80\r\n";
    const std::string base = Lines(100, record, "\n");
    // Appended text that crosses several blocks and an indexing chunk.
    const std::string many = Lines(20 * kBlock / record.size(), record, "\r\n");
    std::string nearBlockEnd(kBlock - 3, 'x');
    nearBlockEnd += "\n";
    const std::string sixtyThree = Lines(63, " line", "\n");
    const std::string windows1252 = "n\xE3o h\xE1\n";
    const GrowthCase cases[] = {
        {"whole lines", base, {{Lines(50, record, "\n"), TFileGrowth::Lines, base + Lines(50, record, "\n")}}},
        {"nothing new", base, {{"", TFileGrowth::None, base}}},
        {"a line written in two parts",
         "a\n",
         {{"b\nhal", TFileGrowth::Lines, "a\nb\n"},
          {"f of it", TFileGrowth::None, "a\nb\n"},
          {"\n", TFileGrowth::Lines, "a\nb\nhalf of it\n"}}},
        {"a CR at the end waits for a possible LF",
         "a\n",
         {{"b\r", TFileGrowth::None, "a\n"}, {"\nc\r", TFileGrowth::Lines, "a\nb\r\n"}, {"d\n", TFileGrowth::Lines, "a\nb\r\nc\rd\n"}}},
        {"across blocks and chunks", nearBlockEnd, {{many, TFileGrowth::Lines, nearBlockEnd + many}}},
        {"accents across a group of the index",
         sixtyThree,
         {{accent + accent, TFileGrowth::Lines, sixtyThree + accent + accent}, {accent, TFileGrowth::Lines, sixtyThree + accent + accent + accent}}},
        {"windows-1252 stays windows-1252", windows1252, {{windows1252, TFileGrowth::Lines, windows1252 + windows1252}}},
        {"utf16", Utf16(u"one\r\n", false), {{Utf16(u"t\u00E9o\n", false).substr(2), TFileGrowth::Lines, Utf16(u"one\r\nt\u00E9o\n", false)}}},
        {"a loaded last line without a break", "a\nno break", {{"\n", TFileGrowth::NotIndexable, "a\nno break"}}},
        {"new text that is not utf8 in a utf8 file", "n\xC3\xA3o\n", {{"\xFF\n", TFileGrowth::NotIndexable, "n\xC3\xA3o\n"}}},
    };
    TTempDir dir("lumivar-store");
    for (const GrowthCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = dir.Write("growing.log", c.loaded);
        TLineStore store;
        store.LoadFromFile(NameOf(path));
        for (const Step& step : c.steps) {
            std::ofstream(path, std::ios::app | std::ios::binary) << step.appended;
            ASSERT_EQ(store.ExtendFile(), step.growth);
            TMemoryLines expected;
            expected.LoadFromFile(NameOf(dir.Write("expected.log", step.wholeLines)));
            ExpectSameAsInMemory(store, expected);
            EXPECT_FALSE(store.FileChanged());
        }
    }
}

TEST(FileBackedStore, ExtendFindsAFileThatShrankOrWasReplaced) {
    TTempDir dir("lumivar-store");
    const std::string text = Lines(2 * kBlock / 20, " line text", "\n");
    struct Change {
        const char* what;
        void (*apply)(const fs::path&);
    };
    const Change changes[] = {
        {"truncated", [](const fs::path& p) { fs::resize_file(p, 0); }},
        {"copied and truncated, then grown past its old size",
         [](const fs::path& p) { std::ofstream(p, std::ios::trunc | std::ios::binary) << Lines(3 * kBlock / 20, " other text", "\n"); }},
        {"renamed away and created again",
         [](const fs::path& p) {
             fs::rename(p, p.string() + ".1");
             std::ofstream(p, std::ios::binary) << "new\n";
         }},
        {"renamed away", [](const fs::path& p) { fs::rename(p, p.string() + ".1"); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        const fs::path path = dir.Write("rotating.log", text);
        TLineStore store;
        store.LoadFromFile(NameOf(path));
        const int count = store.Count();
        change.apply(path);
        EXPECT_EQ(store.ExtendFile(), TFileGrowth::Rewritten);
        EXPECT_EQ(store.Count(), count);  // the index is left as it was
        std::error_code ignored;
        fs::remove(path.string() + ".1", ignored);
    }
    TLineStore empty;
    EXPECT_EQ(empty.ExtendFile(), TFileGrowth::NotIndexable);
}
