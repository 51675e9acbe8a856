#include "TextSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"

namespace {

TLineStore StoreOf(const std::vector<std::u16string>& lines) {
    TLineStore store;
    for (const auto& line : lines) store.Add(line);
    return store;
}

TTextMatch Forward(const TLineStore& store, const String& text, TSearchOptions options, int line = 0, int column = 0) {
    TSearchPattern pattern(text, options);
    return FindForward(pattern, store, line, column);
}

}  // namespace

TEST(TextSearch, OptionsDecideWhatMatches) {
    const TLineStore store = StoreOf({u"an error in Errors", u"ERROR: a.b failed", u"errorless", u"x 2026-12-11 y"});
    struct Case {
        const char16_t* text;
        TSearchOptions options;
        int line, column, length;
    } cases[] = {
        {u"ERROR", {}, 0, 3, 5},                          // case ignored by default
        {u"ERROR", {true, false, false}, 1, 0, 5},        // match case
        {u"errors", {false, false, true}, 0, 12, 6},      // a whole word, in any case
        {u"errorl", {false, false, true}, -1, 0, 0},      // a piece of a word is no whole word
        {u"a.b", {}, 1, 7, 3},                            // a literal dot
        {u"a.b", {false, true, false}, 1, 7, 3},          // any character
        {u"\\d{4}-\\d\\d", {false, true, false}, 3, 2, 7},
        {u"(?i)FAILED$", {true, true, false}, 1, 11, 6},  // the expression's own flags
        {u"", {}, -1, 0, 0},                              // nothing to find
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(StringToUtf8(c.text));
        const TTextMatch match = Forward(store, c.text, c.options);
        EXPECT_EQ(match.Line, c.line);
        if (c.line < 0) continue;
        EXPECT_EQ(match.Column, c.column);
        EXPECT_EQ(match.Length, c.length);
        EXPECT_FALSE(match.Wrapped);
    }
}

TEST(TextSearch, WholeWordMatchesOnlyWholeWords) {
    const TLineStore store = StoreOf({u"errorless error_x errors", u"the error."});
    const TTextMatch match = Forward(store, u"error", {false, false, true});
    EXPECT_EQ(match.Line, 1);
    EXPECT_EQ(match.Column, 4);
}

TEST(TextSearch, FindingPastTheLastMatchWrapsToTheFirst) {
    const TLineStore store = StoreOf({u"x WARN a", u"nothing", u"WARN at the end WARN"});
    TSearchPattern pattern(u"WARN", {});
    TTextMatch match = FindForward(pattern, store, 2, 17);  // after the last match
    EXPECT_TRUE(match.Wrapped);
    EXPECT_EQ(match.Line, 0);
    EXPECT_EQ(match.Column, 2);

    match = FindForward(pattern, store, 2, 5);
    EXPECT_FALSE(match.Wrapped);
    EXPECT_EQ(match.Column, 16);

    match = FindBackward(pattern, store, 0, 2);  // before the first match
    EXPECT_TRUE(match.Wrapped);
    EXPECT_EQ(match.Line, 2);
    EXPECT_EQ(match.Column, 16);

    match = FindBackward(pattern, store, 2, 16);
    EXPECT_FALSE(match.Wrapped);
    EXPECT_EQ(match.Line, 2);
    EXPECT_EQ(match.Column, 0);

    // The only match, found again from its own end after going all the way round.
    const TLineStore one = StoreOf({u"a", u"b WARN c"});
    match = FindForward(pattern, one, 1, 6);
    EXPECT_TRUE(match.Wrapped);
    EXPECT_EQ(match.Line, 1);
    EXPECT_EQ(match.Column, 2);
}

TEST(TextSearch, AnInvalidExpressionRaisesTheLibrarysMessage) {
    try {
        TSearchPattern pattern(u"ERRO(R", {false, true, false});
        FAIL() << "no error";
    } catch (const ESearchError& e) {
        EXPECT_NE(StringToUtf8(e.Message()).find("missing closing parenthesis"), std::string::npos)
            << StringToUtf8(e.Message());
    }
    // The same text as a literal is fine.
    const TLineStore store = StoreOf({u"x ERRO(R"});
    EXPECT_EQ(Forward(store, u"ERRO(R", {}).Column, 2);
}

TEST(TextSearch, PositionsAreInUtf16UnitsAfterNonAsciiText) {
    // Two-byte, three-byte and four-byte (a surrogate pair) characters before the match.
    const std::u16string line = u"d\u00e9j\u00e0 \u20ac \U0001F600 ERROR \u00fcber ERROR";
    const TLineStore store = StoreOf({line});
    TSearchPattern pattern(u"error", {});
    TTextMatch match = FindForward(pattern, store, 0, 0);
    EXPECT_EQ(match.Column, static_cast<int>(line.find(u"ERROR")));
    EXPECT_EQ(match.Length, 5);
    match = FindForward(pattern, store, 0, match.Column + match.Length);
    EXPECT_EQ(match.Column, static_cast<int>(line.rfind(u"ERROR")));
    // A match of non-ASCII text has its length in units too.
    match = Forward(store, u"\U0001F600 e", {});
    EXPECT_EQ(match.Column, static_cast<int>(line.find(u"\U0001F600")));
    EXPECT_EQ(match.Length, 4);
    match = Forward(store, u"\u00dcBER", {});  // case folded beyond ASCII
    EXPECT_EQ(match.Column, static_cast<int>(line.find(u"\u00fcber")));
    EXPECT_EQ(CountMatches(pattern, store), 2u);
}

TEST(TextSearch, FindsAMatchDeepInAVeryLongLine) {
    std::u16string line(100000, u'x');
    line.replace(99990, 4, u"ERRO");
    line[10] = u'\u00e9';  // not ASCII, so the columns are counted
    const TLineStore store = StoreOf({u"short", line});
    const TTextMatch match = Forward(store, u"^.{25}|ERRO", {true, true, false}, 1, 30);
    EXPECT_EQ(match.Line, 1);
    EXPECT_EQ(match.Column, 99990);
    EXPECT_EQ(match.Length, 4);
}

TEST(TextSearch, CountsNonOverlappingMatchesLineByLine) {
    const TLineStore store = StoreOf({u"aaaa", u"", u"baa", u"a"});
    struct Case {
        const char16_t* text;
        bool regex;
        std::uint64_t count;
    } cases[] = {
        {u"aa", false, 3},   // two in "aaaa" (not three), one in "baa"
        {u"a", false, 7},
        {u"a$", true, 3},    // each line ends on its own: no match spans a break
        // "aaaa" and the empty end; the empty line; before "b", "aa", the end; "a" and the end
        {u"a*", true, 8},
        {u"zzz", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(StringToUtf8(c.text));
        TSearchPattern pattern(c.text, {false, c.regex, false});
        EXPECT_EQ(CountMatches(pattern, store), c.count);
    }
}

TEST(TextSearch, CountsAFileBackedStoreOnTwoThreadsAsOneWould) {
    // Enough lines for the count to split them between two threads.
    std::string text;
    std::uint64_t expected = 0;
    for (int i = 0; i < 150000; ++i) {
        const bool error = i % 7 == 0;
        const bool two = i % 91 == 0;
        text += "2026-12-11 10:00:00.000 ";
        text += error ? "ERROR" : "INFO ";
        text += " record " + std::to_string(i) + (two ? " ERROR again" : "") + "\n";
        expected += (error ? 1 : 0) + (two ? 1 : 0);
    }
    TTempDir dir("lumivar-search");
    TLineStore store;
    store.LoadFromFile(S((dir.Write("big.log", text)).string()));
    ASSERT_NE(store.File(), nullptr);
    TSearchPattern literal(u"error", {true, false, false});
    EXPECT_EQ(CountMatches(literal, store), 0u);
    TSearchPattern caseless(u"error", {});
    EXPECT_EQ(CountMatches(caseless, store), expected);
    TSearchPattern levelField(u"^.{24}ERRO", {true, true, false});
    std::uint64_t levels = 0;
    for (int i = 0; i < 150000; ++i) levels += i % 7 == 0;
    EXPECT_EQ(CountMatches(levelField, store), levels);

    // The number of a match among all: blocks before its own, then lines.
    const TMatchCount byBlock = CountMatchesByBlock(caseless, store);
    std::uint64_t before = 0;
    for (int i = 0; i < 100003; ++i) before += (i % 7 == 0) + (i % 91 == 0);
    EXPECT_EQ(MatchesBefore(caseless, store, byBlock, 100003, 0), before);
    EXPECT_EQ(MatchesBefore(caseless, store, byBlock, 100002, 40), before);  // after the line's one match
    EXPECT_EQ(MatchesBefore(caseless, store, byBlock, 100002, 24), before - 1);  // at it

    // Finding over so many lines goes on two threads too, and still finds the nearest.
    TSearchPattern record(u"record (5|140000|140001)$", {true, true, false});
    TTextMatch match = FindForward(record, store, 100, 0);
    EXPECT_EQ(match.Line, 140000);
    EXPECT_FALSE(match.Wrapped);
    match = FindForward(record, store, 140001, 40);
    EXPECT_EQ(match.Line, 5);
    EXPECT_TRUE(match.Wrapped);
    match = FindBackward(record, store, 100, 0);
    EXPECT_EQ(match.Line, 5);
    match = FindBackward(record, store, 4, 0);
    EXPECT_EQ(match.Line, 140001);
    EXPECT_TRUE(match.Wrapped);

    std::atomic<bool> cancel{true};
    EXPECT_LT(CountMatches(caseless, store, &cancel), expected);
}
