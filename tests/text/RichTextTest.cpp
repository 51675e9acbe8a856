// The view's document: positions, selection, character formats as runs,
// and the update bracket that the control paints by.
#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

#include "RichText.h"
#include "SysUtils.h"
#include "TempDir.h"

namespace {

TCharFormat FormatOfColumn(const TRichTextDocument& doc, int line, int column) {
    std::vector<TRichTextDocument::TLineRun> runs;
    doc.LineRuns(line, runs);
    for (const auto& run : runs)
        if (column >= run.Start && column < run.Start + run.Length) return doc.Format(run.Format);
    ADD_FAILURE() << "column " << column << " of line " << line << " has no run";
    return {};
}

void SetLines(TRichTextDocument& doc, std::initializer_list<const char16_t*> lines) {
    doc.Lines().Clear();
    for (const char16_t* line : lines) doc.Lines().Add(line);
}

TEST(RichTextPositions, EachLineCountsItsCharactersAndOneBreak) {
    TRichTextDocument doc;
    SetLines(doc, {u"a", u"bc", u"", u"d\U0001F600"});
    EXPECT_EQ(doc.LinePosition(0), 0);
    EXPECT_EQ(doc.LinePosition(1), 2);
    EXPECT_EQ(doc.LinePosition(2), 5);
    EXPECT_EQ(doc.LinePosition(3), 6);
    EXPECT_EQ(doc.TextLength(), 10);
    const struct {
        TTextPosition pos;
        int line;
    } lines[] = {{0, 0}, {1, 0}, {2, 1}, {4, 1}, {5, 2}, {6, 3}, {9, 3}, {10, 4}, {99, 4}};
    for (const auto& c : lines) EXPECT_EQ(doc.LineAtPosition(c.pos), c.line) << c.pos;

    // The second line, of two characters, is the selection from 2 of length 2.
    doc.SetSelStart(2);
    doc.SetSelLength(2);
    EXPECT_EQ(doc.SelText(), u"bc");
}

TEST(RichTextPositions, PositionsHoldAcrossManyLines) {
    // Past the sampled blocks of the position index, with lines of varied
    // lengths, and after edits in the middle.
    TRichTextDocument doc;
    std::vector<TTextPosition> expected;
    TTextPosition pos = 0;
    for (int i = 0; i < 300; ++i) {
        expected.push_back(pos);
        const String line(static_cast<std::size_t>(i % 13), u'x');
        doc.Lines().Add(line);
        pos += static_cast<TTextPosition>(line.size()) + 1;
    }
    for (int i = 0; i < 300; i += 37) EXPECT_EQ(doc.LinePosition(i), expected[static_cast<std::size_t>(i)]);
    EXPECT_EQ(doc.LineAtPosition(expected[200] + 3), 200 + (200 % 13 < 3 ? 1 : 0));
    doc.Lines().Delete(10);  // line 10 held 10 characters
    EXPECT_EQ(doc.LinePosition(250), expected[251] - 11);
    doc.Lines().Insert(5, u"abc");
    EXPECT_EQ(doc.LinePosition(251), expected[251] - 11 + 4);
}

TEST(RichTextSelection, StartIsClampedToTheEndOfTheText) {
    TRichTextDocument doc;
    SetLines(doc, {u"ab", u"c"});
    doc.SetSelStart(1000);
    EXPECT_EQ(doc.SelStart(), doc.TextLength());
    EXPECT_EQ(doc.SelLength(), 0);
    doc.SetSelStart(-3);
    EXPECT_EQ(doc.SelStart(), 0);
    doc.SetSelStart(4);
    doc.SetSelLength(100);
    EXPECT_EQ(doc.SelStart() + doc.SelLength(), doc.TextLength());
}

TEST(RichTextSelection, LengthWriteScrollsToTheCaret) {
    TRichTextDocument doc;
    SetLines(doc, {u"ab", u"cd"});
    int scrolls = 0;
    doc.OnScrollToCaret = [&] { ++scrolls; };
    doc.SetSelStart(3);
    EXPECT_EQ(scrolls, 0);  // writing the start alone does not scroll
    doc.SetSelStart(0);
    doc.SetSelLength(0);
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(doc.CaretPosition(), 0);
    EXPECT_EQ(doc.SelLength(), 0);
}

TEST(RichTextSelection, EndBeforeStartSelectsNothing) {
    TRichTextDocument doc;
    SetLines(doc, {u"abcdef", u"ghi"});
    doc.SetSelStart(4);
    doc.SetSelLength(-3);
    EXPECT_EQ(doc.SelStart(), 4);
    EXPECT_EQ(doc.SelLength(), 0);
    EXPECT_EQ(doc.SelText(), u"");
    doc.SelAttributes().SetStyle({fsBold});
    for (int column = 0; column < 6; ++column) EXPECT_EQ(FormatOfColumn(doc, 0, column), TCharFormat{});
}

TEST(RichTextSelection, SelectAllCopiesEveryLineWithItsBreak) {
    TRichTextDocument doc;
    SetLines(doc, {u"one", u"", u"thr\u00EAe"});
    doc.SelectAll();
    EXPECT_EQ(doc.SelText(), u"one\n\nthr\u00EAe\n");
    doc.SetSelStart(2);
    doc.SetSelLength(5);
    EXPECT_EQ(doc.SelText(), u"e\n\nth");
}

// Copy takes the selection as UTF-8 straight from the lines (read from the
// file here): the same text as SelText, whole lines or cut anywhere.
TEST(RichTextSelection, TheSelectionAsUtf8IsTheSelectedText) {
    TTempDir dir("lumivar-richtext");
    const auto file = dir.Write("sel.log", "one\r\n\r\nthr\xC3\xAA" "e \xF0\x9F\x98\x80 x\r\nlast");
    TRichTextDocument doc;
    doc.Lines().LoadFromFile(FileNameFromBytes(file.string()));
    const std::pair<TTextPosition, TTextPosition> selections[] = {
        {0, 1000}, {2, 5}, {5, 4}, {7, 6}, {9, 8}, {0, 3}, {4, 1}, {3, 0}, {1000, 5},
    };
    for (const auto& [start, length] : selections) {
        doc.SetSelStart(start);
        doc.SetSelLength(length);
        std::string utf8 = "kept";
        doc.AppendSelTextUtf8(utf8);
        EXPECT_EQ(utf8, "kept" + StringToUtf8(doc.SelText())) << start << ", " << length;
    }
}

TEST(RichTextFormats, ColourAndStyleApplyToTheSelection) {
    TRichTextDocument doc;
    SetLines(doc, {u"0123456789"});
    doc.SetSelStart(2);
    doc.SetSelLength(3);
    doc.SelAttributes().SetColor(clHighlight);  // a system colour is stored as its RGB value now
    doc.SetSelStart(4);
    doc.SetSelLength(4);
    doc.SelAttributes().SetStyle({fsBold, fsUnderline});
    doc.SelAttributes().SetStyle({fsItalic});  // exactly the set given: bold and underline go
    const TColor highlight = ColorToRGB(clHighlight);
    ASSERT_FALSE(IsSystemColor(highlight));
    const struct {
        int column;
        TCharFormat format;
    } expected[] = {
        {1, {clDefault, {}}},         {2, {highlight, {}}},         {4, {highlight, {fsItalic}}},
        {5, {clDefault, {fsItalic}}}, {7, {clDefault, {fsItalic}}}, {8, {clDefault, {}}},
    };
    for (const auto& e : expected) EXPECT_EQ(FormatOfColumn(doc, 0, e.column), e.format) << e.column;
    doc.SetSelStart(4);
    EXPECT_EQ(doc.SelAttributes().Color(), highlight);
    EXPECT_EQ(doc.SelAttributes().Style(), TFontStyles{fsItalic});
}

TEST(RichTextFormats, ClippedRunsDoNotBleedIntoTheNextLine) {
    // The colouring pass, clipped to each line: a short line keeps only the
    // part of its level run that lies inside it and gets no message run.
    TRichTextDocument doc;
    SetLines(doc, {u"2026-12-10 14:27:40.123 [ERRO ] boom", u"short line", u"2026-12-10 14:27:40.123 [INFO ] ok"});
    doc.Lines().BeginUpdate();
    for (int i = 0; i < doc.Lines().Count(); ++i) {
        const TTextPosition start = doc.LinePosition(i);
        const int length = doc.Lines().Length(i);
        doc.SetSelStart(start + std::min(24, length));
        doc.SetSelLength(std::max(0, std::min(31, length) - 24));
        doc.SelAttributes().SetColor(i == 0 ? clRed : clBlue);
        doc.SetSelStart(start + std::min(31, length));
        doc.SetSelLength(length - 31);
        doc.SelAttributes().SetStyle({fsBold});
    }
    doc.Lines().EndUpdate();
    std::vector<TRichTextDocument::TLineRun> runs;
    doc.LineRuns(1, runs);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(doc.Format(runs[0].Format), TCharFormat{});
    EXPECT_EQ(runs[0].Length, 10);
    EXPECT_EQ(FormatOfColumn(doc, 0, 23), TCharFormat{});
    EXPECT_EQ(FormatOfColumn(doc, 0, 24), (TCharFormat{clRed, {}}));
    EXPECT_EQ(FormatOfColumn(doc, 0, 31), (TCharFormat{clDefault, {fsBold}}));
    EXPECT_EQ(FormatOfColumn(doc, 2, 0), TCharFormat{});
    EXPECT_EQ(FormatOfColumn(doc, 2, 30), (TCharFormat{clBlue, {}}));
    EXPECT_EQ(FormatOfColumn(doc, 2, 33), (TCharFormat{clDefault, {fsBold}}));
}

TEST(RichTextFormats, LoadAndClearStartAfreshInTheDefaultFormat) {
    TRichTextDocument doc;
    SetLines(doc, {u"abc", u"def"});
    doc.SelectAll();
    doc.SelAttributes().SetColor(clRed);
    doc.Lines().Clear();
    doc.Lines().Add(u"new");
    EXPECT_EQ(FormatOfColumn(doc, 0, 1), TCharFormat{});
    EXPECT_EQ(doc.Runs().BoundaryCount(), 0u);

    doc.SelectAll();
    doc.SelAttributes().SetStyle({fsBold});
    const std::string path = testing::TempDir() + "lumivar-richtext-load.txt";
    { FILE* f = std::fopen(path.c_str(), "wb"); std::fputs("x\ny\n", f); std::fclose(f); }
    doc.Lines().LoadFromFile(Utf8ToString(path));
    std::remove(path.c_str());
    EXPECT_EQ(FormatOfColumn(doc, 1, 0), TCharFormat{});
    EXPECT_EQ(doc.SelStart(), 0);
    EXPECT_EQ(doc.SelLength(), 0);
}

TEST(RichTextFormats, TextAddedAtTheEndTakesTheFormatThere) {
    TRichTextDocument doc;
    SetLines(doc, {u"abc"});
    doc.SelectAll();
    doc.SelAttributes().SetColor(clRed);
    doc.Lines().Add(u"next");
    EXPECT_EQ(FormatOfColumn(doc, 0, 2), (TCharFormat{clRed, {}}));
    EXPECT_EQ(FormatOfColumn(doc, 1, 0), TCharFormat{});
}

TEST(RichTextFormats, EditsInTheMiddleMoveTheRunsOfLaterLines) {
    TRichTextDocument doc;
    SetLines(doc, {u"aaa", u"bbb", u"ccc"});
    doc.SetSelStart(doc.LinePosition(2) + 1);
    doc.SetSelLength(1);
    doc.SelAttributes().SetColor(clRed);
    doc.Lines().Insert(1, u"new line");
    EXPECT_EQ(FormatOfColumn(doc, 3, 1), (TCharFormat{clRed, {}}));
    EXPECT_EQ(FormatOfColumn(doc, 3, 0), TCharFormat{});
    doc.Lines().Delete(0);
    EXPECT_EQ(FormatOfColumn(doc, 2, 1), (TCharFormat{clRed, {}}));
    doc.Lines().Put(1, u"b");
    EXPECT_EQ(FormatOfColumn(doc, 2, 1), (TCharFormat{clRed, {}}));
    EXPECT_EQ(FormatOfColumn(doc, 2, 2), TCharFormat{});
}

TEST(RichTextUpdate, OutermostEndUpdateRepaintsAndScrollsOnce) {
    TRichTextDocument doc;
    int repaints = 0, scrolls = 0, changes = 0;
    doc.OnRepaint = [&] { ++repaints; };
    doc.OnScrollToCaret = [&] { ++scrolls; };
    doc.OnChange = [&] { ++changes; };
    doc.Lines().BeginUpdate();
    doc.Lines().BeginUpdate();
    doc.Lines().Add(u"line");
    doc.SetSelStart(0);
    doc.SetSelLength(2);
    doc.SetSelLength(0);
    doc.Lines().EndUpdate();
    EXPECT_EQ(repaints, 0);
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(changes, 0);
    doc.Lines().EndUpdate();
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(scrolls, 1);
    doc.Lines().Add(u"outside");
    EXPECT_EQ(changes, 1);
}

TEST(RichTextLines, AddBreaksTextAtItsLineBreaks) {
    TRichTextDocument doc;
    doc.Lines().Add(u"a\r\nb\rc");
    doc.Lines().Add(u"d\n");
    doc.Lines().Add(u"");
    std::vector<String> lines;
    for (int i = 0; i < doc.Lines().Count(); ++i) lines.push_back(doc.Lines()[i]);
    EXPECT_EQ(lines, (std::vector<String>{u"a", u"b", u"c", u"d", u"", u""}));
    EXPECT_EQ(doc.TextLength(), 10);
}

TEST(FormatRuns, AdjoiningEqualRunsMerge) {
    TFormatChange red;
    red.Kind = TFormatChange::SetColor;
    red.Color = clRed;
    TFormatChange bold;
    bold.Kind = TFormatChange::SetStyle;
    bold.Style = {fsBold};
    TFormatChange plain;
    plain.Kind = TFormatChange::SetStyle;
    const struct {
        const char* name;
        std::vector<std::tuple<std::uint64_t, std::uint64_t, TFormatChange>> changes;
        std::size_t boundaries;
    } cases[] = {
        {"red then red right after", {{10, 20, red}, {20, 30, red}}, 2},
        {"red, bold after it, then plain again", {{10, 20, red}, {20, 30, bold}, {20, 30, plain}}, 2},
        {"red twice over the same place", {{10, 20, red}, {10, 20, red}}, 2},
        {"red, then red before it in the middle", {{10, 20, red}, {5, 10, red}}, 2},
        {"bold then plain over it", {{10, 20, bold}, {0, 40, plain}}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFormatRuns runs;
        for (const auto& [from, to, change] : c.changes) runs.Apply(from, to, change);
        EXPECT_EQ(runs.BoundaryCount(), c.boundaries);
    }
}

// Runs against a plain per-position model: random changes, in order and in
// the middle, and text edits; every position must carry the model's format.
TEST(FormatRuns, MatchAPerPositionModel) {
    std::mt19937 random(20261210);
    TFormatRuns runs;
    std::vector<TCharFormat> model(3000);
    TCharFormat beyond;  // the format of every position past the model's end
    const TColor colours[] = {clRed, clBlue, clOlive, clBlack};
    auto check = [&](int step) {
        std::vector<TFormatRun> found;
        runs.RunsIn(0, model.size(), found);
        std::uint64_t pos = 0;
        for (const TFormatRun& run : found) {
            ASSERT_EQ(run.Start, pos) << "step " << step;
            // Kept as runs: neighbours always differ.
            if (&run != &found.front()) {
                ASSERT_NE(run.Format, (&run - 1)->Format) << "step " << step << " at " << pos;
            }
            for (std::uint64_t p = run.Start; p < run.Start + run.Length; ++p)
                ASSERT_EQ(runs.Format(run.Format), model[p]) << "step " << step << " position " << p;
            pos += run.Length;
        }
        ASSERT_EQ(pos, model.size());
    };
    std::uint64_t appendAt = 0;
    for (int step = 0; step < 4000; ++step) {
        TFormatChange change;
        if (random() % 2) {
            change.Kind = TFormatChange::SetColor;
            change.Color = colours[random() % 4];
        } else {
            change.Kind = TFormatChange::SetStyle;
            change.Style = TFontStyles::FromBits(random() % 16);
        }
        const int kind = static_cast<int>(random() % 10);
        std::uint64_t from, to;
        if (kind < 6 && appendAt + 40 < 3000) {
            // the colouring pass: increasing positions, often adjoining
            from = appendAt + random() % 3;
            to = from + 1 + random() % 30;
            appendAt = random() % 2 ? to : from;
        } else if (kind < 9) {
            from = random() % 3000;
            to = std::min<std::uint64_t>(3000, from + 1 + random() % 400);
        } else {
            // a text edit: replace a few positions by a few others
            const std::uint64_t at = random() % 2980;
            const std::uint64_t removed = random() % 5, inserted = random() % 5;
            runs.Splice(at, removed, inserted);
            const TCharFormat follows = model[at + removed];
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at), model.begin() + static_cast<std::ptrdiff_t>(at + removed));
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), inserted, follows);
            if (model.size() < 3000) model.resize(3000, beyond);
            if (step % 50 == 0) check(step);
            continue;
        }
        runs.Apply(from, to, change);
        for (std::uint64_t p = from; p < to; ++p) model[p] = change.ApplyTo(model[p]);
        if (step % 50 == 0) check(step);
        if (step % 500 == 0) {
            appendAt = 0;
            runs.Clear();
            model.assign(3000, TCharFormat{});
            beyond = TCharFormat{};
        }
    }
    check(-1);
}

}  // namespace
