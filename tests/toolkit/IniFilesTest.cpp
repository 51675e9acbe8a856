#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "IniFiles.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;

String Name(const fs::path& file) { return S(file.string()); }

TEST(IniFile, ReadingAMissingFileOrValueGivesTheDefaultAndCreatesNothing) {
    TTempDir dir("lumivar-ini");
    const fs::path missing = dir / "no" / "such" / "settings.ini";
    const TIniFile absent(Name(missing));
    EXPECT_EQ(absent.ReadString(u"S", u"K", u"fallback"), u"fallback");
    EXPECT_EQ(absent.ReadInteger(u"S", u"K", -7), -7);
    EXPECT_FALSE(fs::exists(dir / "no"));

    const fs::path file = dir.Write("settings.ini", "[S]\nK=1\n");
    const auto before = fs::last_write_time(file);
    const TIniFile present(Name(file));
    EXPECT_EQ(present.ReadInteger(u"S", u"Other", 5), 5);
    EXPECT_EQ(present.ReadInteger(u"Other", u"K", 5), 5);
    EXPECT_EQ(present.ReadInteger(u"s", u"k", 5), 1);  // names compare without regard to case
    EXPECT_EQ(FileContents(file), "[S]\nK=1\n");
    EXPECT_EQ(fs::last_write_time(file), before);
}

TEST(IniFile, AFirstWriteCreatesTheFolderAndTheFile) {
    TTempDir dir("lumivar-ini");
    const fs::path file = dir / "new" / "folder" / "settings.ini";
    TIniFile ini(Name(file));
    ini.WriteInteger(u"KvToolbar1", u"Count", 9);
    ini.WriteString(u"KvToolbar1", u"Control0", u"##BtnOpen");
    EXPECT_EQ(FileContents(file), "[KvToolbar1]\nCount=9\nControl0=##BtnOpen\n");
    EXPECT_EQ(ini.ReadString(u"KvToolbar1", u"Control0", String()), u"##BtnOpen");
    // Nothing of the private file that the content went through is left.
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1);
}

// Each write changes the bytes of its own value, or adds its line, and
// nothing else: comments, blanks, other sections and keys, line breaks and a
// byte-order mark stay as they were.
TEST(IniFile, WritesKeepEverythingElseByteForByte) {
    TTempDir dir("lumivar-ini");
    const std::string original =
        "\xEF\xBB\xBF; settings of another program\r\n"
        "[Window]\r\n"
        "Left = 10   \r\n"
        "Title=Caf\xC3\xA9 \xFF\r\n"
        "\r\n"
        "[KvToolbar1]\r\n"
        "  TextOptions =  0\r\n"
        "Count=9\r\n"
        "# kept\r\n"
        "\r\n"
        "[Other]\r\n"
        "Count=3";
    const fs::path file = dir.Write("mixed.ini", original);
    TIniFile ini(Name(file));
    ini.WriteInteger(u"kvtoolbar1", u"textoptions", 2);   // replaced where it stands
    ini.WriteString(u"KvToolbar1", u"Control0", u"BtnExecute");  // after the section's last line
    ini.WriteInteger(u"Other", u"Count", 4);
    ini.WriteString(u"New", u"Key", u"Value");             // a section of its own at the end
    EXPECT_EQ(FileContents(file),
              "\xEF\xBB\xBF; settings of another program\r\n"
              "[Window]\r\n"
              "Left = 10   \r\n"
              "Title=Caf\xC3\xA9 \xFF\r\n"
              "\r\n"
              "[KvToolbar1]\r\n"
              "  TextOptions =  2\r\n"
              "Count=9\r\n"
              "# kept\r\n"
              "Control0=BtnExecute\r\n"
              "\r\n"
              "[Other]\r\n"
              "Count=4\r\n"
              "\r\n"
              "[New]\r\n"
              "Key=Value\r\n");
    EXPECT_EQ(ini.ReadInteger(u"Window", u"Left", 0), 10);
    EXPECT_EQ(ini.ReadInteger(u"KvToolbar1", u"TextOptions", -1), 2);
}

TEST(IniFile, OnlyWholeNumbersOfIntegersRangeAreIntegers) {
    TTempDir dir("lumivar-ini");
    const fs::path file = dir.Write("numbers.ini",
                                    "[N]\nplain=42\nnegative=-3\nhex=0x1F\nspaced= 7 \nword=seven\nhalf=4x\n"
                                    "big=2147483648\nempty=\n");
    const TIniFile ini(Name(file));
    struct Case {
        const char16_t* key;
        int value;
    } cases[] = {{u"plain", 42}, {u"negative", -3}, {u"hex", 31},  {u"spaced", 7}, {u"word", -1},
                 {u"half", -1},  {u"big", -1},      {u"empty", -1}, {u"missing", -1}};
    for (const Case& c : cases) EXPECT_EQ(ini.ReadInteger(u"N", c.key, -1), c.value) << StringToUtf8(c.key);
}

TEST(IniFile, WhatAFileCannotHoldIsRefusedAndTheFileStaysAsItWas) {
    TTempDir dir("lumivar-ini");
    const fs::path file = dir.Write("s.ini", "[S]\nK=1\n");
    TIniFile ini(Name(file));
    EXPECT_THROW(ini.WriteString(u"S]x", u"K", u"v"), EIniFileException);
    EXPECT_THROW(ini.WriteString(u"S", u"K=J", u"v"), EIniFileException);
    EXPECT_THROW(ini.WriteString(u"S", u"[K", u"v"), EIniFileException);
    EXPECT_THROW(ini.WriteString(u"S", u"K", u"two\nlines"), EIniFileException);
    EXPECT_THROW(ini.WriteString(u"", u"K", u"v"), EIniFileException);
    EXPECT_THROW(TIniFile(String()).WriteString(u"S", u"K", u"v"), EIniFileException);
    EXPECT_EQ(FileContents(file), "[S]\nK=1\n");
}

// A folder, a FIFO or a device is no settings file: a clear error at once,
// never a hang; a place that cannot take a file is an error of writing.
TEST(IniFile, WhatIsNoFileGivesAnErrorInsteadOfAValue) {
    TTempDir dir("lumivar-ini");
    const fs::path fifo = dir / "pipe.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path blocker = dir.Write("blocker", "a file, not a folder");
    struct Case {
        fs::path path;
        const char16_t* reason;
    } cases[] = {
        {dir.Path(), u"Is a directory"},
        {fifo, u"Not a regular file"},
        {"/dev/zero", u"Not a regular file"},
    };
    for (const Case& c : cases) {
        try {
            TIniFile(Name(c.path)).ReadString(u"S", u"K", u"d");
            ADD_FAILURE() << c.path << " was read";
        } catch (const EIniFileException& e) {
            EXPECT_NE(e.Message().find(u"Cannot open file"), String::npos) << StringToUtf8(e.Message());
            EXPECT_NE(e.Message().find(c.reason), String::npos) << StringToUtf8(e.Message());
        }
    }
    try {
        TIniFile(Name(blocker / "settings.ini")).WriteInteger(u"S", u"K", 1);
        ADD_FAILURE() << "a file was written below a file";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message().rfind(u"Cannot write file \"", 0), 0u) << StringToUtf8(e.Message());
    }
    EXPECT_EQ(FileContents(blocker), "a file, not a folder");
}

TEST(IniFile, AWriteKeepsTheFilesPermissionsAndALinkToIt) {
    TTempDir dir("lumivar-ini");
    const fs::path target = dir.Write("real.ini", "[S]\nK=1\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::path link = dir / "link.ini";
    fs::create_symlink(target, link);
    TIniFile(Name(link)).WriteInteger(u"S", u"K", 2);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(FileContents(target), "[S]\nK=2\n");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
