#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "SysUtils.h"
#include "TempDir.h"

namespace {

TEST(Files, ExistsForFilesAndLinkedFilesOnly) {
    namespace fs = std::filesystem;
    const TTempDir temp;
    const fs::path& dir = temp.Path();
    std::ofstream(dir / "file.log") << "x";
    fs::create_symlink(dir / "file.log", dir / "link.log");
    fs::create_symlink(dir / "gone.log", dir / "dangling.log");
    EXPECT_TRUE(FileExists(S((dir / "file.log").string())));
    EXPECT_TRUE(FileExists(S((dir / "link.log").string())));
    EXPECT_FALSE(FileExists(S((dir / "dangling.log").string())));
    EXPECT_FALSE(FileExists(S(dir.string())));
    EXPECT_FALSE(FileExists(S((dir / "none.log").string())));
    EXPECT_FALSE(FileExists(u""));
    // What the loaders read: a FIFO is a file, a device is none.
    ASSERT_EQ(::mkfifo((dir / "pipe.log").c_str(), 0600), 0);
    EXPECT_TRUE(FileExists(S((dir / "pipe.log").string())));
    EXPECT_FALSE(FileExists(u"/dev/zero"));
    EXPECT_FALSE(FileExists(u"/dev/null"));
}

// A file name is the platform's bytes: every byte sequence comes back from
// its String unchanged, UTF-8 decodes as usual, and people see U+FFFD for a
// byte that is not UTF-8.
TEST(Files, NamesKeepTheirBytes) {
    const struct {
        std::string bytes;
        String name;
        String shown;
    } cases[] = {
        {"plain.log", u"plain.log", u"plain.log"},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80.log", u"caf\u00E9 \U0001F600.log", u"caf\u00E9 \U0001F600.log"},
        {"latin\xE9.log", u"latin\xDCE9.log", u"latin\uFFFD.log"},
        {"\xFF\xFE", u"\xDCFF\xDCFE", u"\uFFFD\uFFFD"},
        // Truncated, overlong and surrogate forms are bytes, not characters.
        {"\xE2\x82", u"\xDCE2\xDC82", u"\uFFFD\uFFFD"},
        {"\xC0\xAF", u"\xDCC0\xDCAF", u"\uFFFD\uFFFD"},
        {"\xED\xB3\xA9", u"\xDCED\xDCB3\xDCA9", u"\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(FileNameFromBytes(c.bytes), c.name);
        EXPECT_EQ(FileNameToBytes(c.name), c.bytes);
        EXPECT_EQ(DisplayFileName(c.name), c.shown);
    }
    // The bytes survive the path routines too.
    EXPECT_EQ(FileNameToBytes(ExpandFileName(u"/a/./b/../latin\xDCE9.log")), "/a/latin\xE9.log");
    EXPECT_EQ(ExtractFileName(u"/a/latin\xDCE9.log"), u"latin\xDCE9.log");
}

}  // namespace
