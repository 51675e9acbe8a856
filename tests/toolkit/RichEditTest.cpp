#include <gtest/gtest.h>

#include "AllocationLimit.h"
#include "Clipbrd.h"
#include "Forms.h"
#include "PixelPicture.h"
#include "Platform.h"
#include "RichEdit.h"

namespace {

// A shown window holding one view, so that focus, painting and input work
// as on screen.
class RichEditView : public ::testing::Test {
protected:
    void SetUp() override {
        form.reset(new TForm(nullptr));
        form->SetBounds(0, 0, 400, 200);
        edit = new TRichEdit(form.get());
        edit->SetParent(form.get());
        edit->SetAlign(alClient);
        edit->Font().SetName(u"Consolas");
        edit->Font().SetHeight(-13);
        edit->SetReadOnly(true);
        edit->SetScrollBars(ssVertical);
        edit->SetWordWrap(false);
        form->Show();
        edit->SetFocus();
        ProcessPendingEvents();
    }
    void Fill(int lines) {
        edit->Lines()->BeginUpdate();
        for (int i = 0; i < lines; ++i) edit->Lines()->Add(u"line " + IntToStr(i));
        edit->Lines()->EndUpdate();
    }
    TOwned<TForm> form;
    TRichEdit* edit = nullptr;
};

// The empty hint shows only on a view without lines, and only when set:
// a view that sets none paints as before.
TEST_F(RichEditView, TheEmptyHintShowsOnlyWhenSetAndTheViewHasNoLine) {
    auto middleInk = [&] {
        TBitmap shot;
        edit->GetImage(shot);
        const TRect middle = Rect(4, edit->Height() / 2 - 12, edit->Width() - 24, edit->Height() / 2 + 12);
        return InkBounds(shot.Canvas(), middle, ColorToRGB(edit->Color()));
    };
    auto inked = [](const TRect& r) { return r.Right > r.Left && r.Bottom > r.Top; };
    EXPECT_FALSE(inked(middleInk())) << "no hint set";
    edit->SetEmptyHint(u"Nothing here");
    EXPECT_TRUE(inked(middleInk())) << "hint set, no line";
    edit->Lines()->Add(u"");
    EXPECT_FALSE(inked(middleInk())) << "one empty line";
    edit->Lines()->Clear();
    EXPECT_TRUE(inked(middleInk())) << "cleared";
    EXPECT_EQ(edit->Lines()->Count(), 0);
    edit->SelectAll();
    EXPECT_EQ(edit->SelText(), u"");
}

TEST_F(RichEditView, KeyboardMovesAndExtendsTheSelection) {
    edit->Lines()->Add(u"a");
    edit->Lines()->Add(u"bc");
    edit->SetSelStart(0);
    SimulateKey(edit, VK_RIGHT);
    SimulateKey(edit, VK_RIGHT, {ssShift});
    SimulateKey(edit, VK_RIGHT, {ssShift});
    EXPECT_EQ(edit->SelStart(), 1);
    EXPECT_EQ(edit->SelLength(), 2);
    EXPECT_EQ(edit->SelText(), u"\nb");
    SimulateKey(edit, VK_END, {ssShift});
    EXPECT_EQ(edit->SelText(), u"\nbc");
    SimulateKey(edit, 'A', {ssCtrl});
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_GE(edit->SelLength(), 4);
    Clipboard().SetAsText(u"");
    SimulateKey(edit, 'C', {ssCtrl});
    EXPECT_EQ(Clipboard().AsText().substr(0, 4), u"a\nbc");
}

TEST_F(RichEditView, ReadOnlyViewIgnoresTyping) {
    edit->Lines()->Add(u"text");
    SimulateKey(edit, 'x', {}, u'x');
    EXPECT_EQ(edit->Lines()->Get(0), u"text");
    EXPECT_EQ(edit->Lines()->Count(), 1);
}

TEST_F(RichEditView, MouseDragSelects) {
    edit->Lines()->Add(u"0123456789");
    const int y = 4 + edit->LineHeight() / 2;
    const TTextPosition at2 = edit->PositionAt(4 + 2 * 8 + 1, y);
    SimulateMouseDown(form.get(), mbLeft, edit->Left() + 4 + 2 * 8 + 1, edit->Top() + y);
    SimulateMouseMove(form.get(), edit->Left() + 4 + 5 * 8 + 1, edit->Top() + y, {ssLeft});
    SimulateMouseUp(form.get(), mbLeft, edit->Left() + 4 + 5 * 8 + 1, edit->Top() + y);
    EXPECT_EQ(edit->SelStart(), at2);
    EXPECT_EQ(edit->SelLength(), 3);
}

// Page Down and Page Up move the caret and the view by a page each: the
// caret keeps its row on screen and stays in sight.
TEST_F(RichEditView, PageKeysMoveCaretAndViewTogether) {
    Fill(100);
    const int page = edit->VisibleLineCount();
    edit->SetSelStart(edit->Document().LinePosition(2));
    auto caretLine = [&] { return edit->Document().LineAtPosition(edit->SelStart() + edit->SelLength()); };
    SimulateKey(edit, VK_NEXT);
    EXPECT_EQ(caretLine(), 2 + page);
    EXPECT_EQ(edit->TopLine(), page);
    SimulateKey(edit, VK_NEXT, {ssShift});
    EXPECT_EQ(caretLine(), 2 + 2 * page);
    EXPECT_EQ(edit->TopLine(), 2 * page);
    EXPECT_EQ(edit->SelStart(), edit->Document().LinePosition(2 + page));
    SimulateKey(edit, VK_PRIOR);
    EXPECT_EQ(edit->SelStart(), edit->Document().LinePosition(2 + page));
    EXPECT_EQ(edit->TopLine(), page);
}

// A point maps to the character whose left half holds it: after a tab
// (drawn up to the next stop), and far along a long line scrolled sideways.
TEST_F(RichEditView, PointsMapToTheCharacterUnderThem) {
    String longLine;
    for (int i = 0; i < 6000; ++i) longLine += static_cast<char16_t>(u'a' + i % 26);
    edit->Lines()->Add(u"ab\tcd");
    edit->Lines()->Add(longLine);
    TCanvas measure;
    measure.Font().Assign(edit->Font());
    const int textLeft = 3;  // inside the sunken edge
    const int y0 = 4 + edit->LineHeight() / 2, y1 = y0 + edit->LineHeight();
    struct Case {
        int column;  // where the point lies: 1 pixel right of this column's left edge
        TTextPosition at;
    };
    auto check = [&](const String& shown, int y, std::initializer_list<Case> cases) {
        for (const Case& c : cases) {
            const int x = textLeft - edit->HorizontalOffset() + measure.TextWidth(shown.substr(0, c.column)) + 1;
            EXPECT_EQ(edit->PositionAt(x, y), c.at) << "column " << c.column;
        }
    };
    check(u"ab      cd", y0, {{0, 0}, {2, 2}, {7, 3}, {8, 3}, {40, 5}});  // the tab's halves; past the end
    edit->SetSelStart(edit->Document().LinePosition(1) + 6000);
    edit->SetSelLength(0);  // scrolls to the end of the long line
    ASSERT_GT(edit->HorizontalOffset(), 40000);
    check(longLine, y1, {{5871, 6 + 5871}, {5990, 6 + 5990}, {6000, 6 + 6000}});
}

TEST_F(RichEditView, SelLengthScrollsTheCaretIntoViewOnceTheBracketCloses) {
    Fill(500);
    EXPECT_EQ(edit->TopLine(), 0);
    edit->Lines()->BeginUpdate();
    edit->SetSelStart(edit->Document().LinePosition(400));
    edit->SetSelLength(0);
    EXPECT_EQ(edit->TopLine(), 0);  // nothing moves while updating
    edit->Lines()->EndUpdate();
    EXPECT_LE(edit->TopLine(), 400);
    EXPECT_GT(edit->TopLine() + edit->VisibleLineCount(), 400);

    edit->SetSelStart(0);
    EXPECT_GT(edit->TopLine(), 0);  // SelStart alone does not scroll
    edit->SetSelLength(0);
    EXPECT_EQ(edit->TopLine(), 0);
}

TEST_F(RichEditView, WheelScrollsThreeLinesANotch) {
    Fill(100);
    SimulateMouseWheel(form.get(), edit->Left() + 20, edit->Top() + 20, -120);
    EXPECT_EQ(edit->TopLine(), 3);
    SimulateMouseWheel(form.get(), edit->Left() + 20, edit->Top() + 20, 240);
    EXPECT_EQ(edit->TopLine(), 0);
    // A touchpad sends parts of a notch: a line for every third of one.
    for (int i = 0; i < 8; ++i) SimulateMouseWheel(form.get(), edit->Left() + 20, edit->Top() + 20, -15);
    EXPECT_EQ(edit->TopLine(), 3);
    SimulateMouseWheel(form.get(), edit->Left() + 20, edit->Top() + 20, -20);
    EXPECT_EQ(edit->TopLine(), 3);
    SimulateMouseWheel(form.get(), edit->Left() + 20, edit->Top() + 20, -20);
    EXPECT_EQ(edit->TopLine(), 4);
}

// Extending the selection upwards moves its start: the view follows that
// end, not the anchor below it.
TEST_F(RichEditView, ExtendingUpwardsScrollsToTheMovingEnd) {
    Fill(100);
    edit->SetTopLine(50);
    edit->SetSelStart(edit->Document().LinePosition(52));
    for (int i = 0; i < 10; ++i) SimulateKey(edit, VK_UP, {ssShift});
    EXPECT_EQ(edit->SelStart(), edit->Document().LinePosition(42));
    EXPECT_EQ(edit->SelStart() + edit->SelLength(), edit->Document().LinePosition(52));
    EXPECT_EQ(edit->TopLine(), 42);
    SimulateKey(edit, VK_HOME, {ssShift, ssCtrl});
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_EQ(edit->TopLine(), 0);
    // Back down past the anchor: the selection flips and the view follows its end.
    for (int i = 0; i < 60; ++i) SimulateKey(edit, VK_DOWN, {ssShift});
    EXPECT_EQ(edit->SelStart(), edit->Document().LinePosition(52));
    EXPECT_EQ(edit->SelStart() + edit->SelLength(), edit->Document().LinePosition(60));
    EXPECT_EQ(edit->TopLine(), 60 - edit->VisibleLineCount() + 1);
}

// Painting shows the level colours, and the selection only while focused.
TEST_F(RichEditView, PaintsColouredRunsAndTheSelectionOnlyWithFocus) {
    edit->Lines()->Add(u"MMMMMMMM");
    edit->SetSelStart(0);
    edit->SetSelLength(4);
    edit->SelAttributes().SetColor(clRed);
    edit->SetSelStart(4);
    edit->SetSelLength(4);
    auto hasColour = [&](TColor wanted) {
        TBitmap shot;
        edit->GetImage(shot);
        for (int y = 0; y < shot.Height(); ++y)
            for (int x = 0; x < shot.Width(); ++x)
                if (shot.Canvas().Pixel(x, y) == ColorToRGB(wanted)) return true;
        return false;
    };
    EXPECT_TRUE(hasColour(clRed));
    EXPECT_TRUE(edit->Focused());
    EXPECT_TRUE(hasColour(clHighlight));
    auto* other = new TRichEdit(form.get());
    other->SetParent(form.get());
    other->SetAlign(alBottom);
    other->SetFocus();
    ASSERT_FALSE(edit->Focused());
    EXPECT_FALSE(hasColour(clHighlight));
}

// A line of ten million characters paints like a short one: only the cells
// in sight are laid out, and painting it needs no memory in proportion to
// the line. Its coloured level field and bold message show at its start and,
// scrolled there, at its end.
TEST_F(RichEditView, ALongLinePaintsOnlyWhatIsInSight) {
    auto show = [&](std::size_t length) {
        String line = u"2026-12-10 08:00:00.000 [ERRO ] ";  // the message from column 32
        while (line.size() < length) line += u"mensagem ";
        line.resize(length);
        edit->Lines()->Clear();
        edit->Lines()->Add(line);
        edit->SetSelStart(24);
        edit->SetSelLength(7);
        edit->SelAttributes().SetColor(clRed);
        edit->SetSelStart(31);
        edit->SetSelLength(static_cast<TTextPosition>(length) - 30);
        edit->SelAttributes().SetStyle(TFontStyles{fsBold});
        edit->SetSelStart(0);
        edit->SetSelLength(0);
    };
    TBitmap shot;
    auto paint = [&] {
        const std::uint64_t before = edit->Canvas().TextCharacters();
        const TAllocationLimit limit(1 << 20);  // far less than the line takes as text
        edit->GetImage(shot);
        return edit->Canvas().TextCharacters() - before;
    };
    // Where column c of the first line starts on the picture: the font is
    // fixed pitch, its advance measured over 64 characters.
    TCanvas measure;
    measure.Font().Assign(edit->Font());
    const std::int64_t width64 = measure.TextWidth(String(64, u'0'));
    auto columnX = [&](std::int64_t c) { return static_cast<int>(3 + (c * width64 + 32) / 64 - edit->HorizontalOffset()); };
    auto inkIn = [&](std::int64_t fromColumn, std::int64_t toColumn, TColor colour) {
        for (int y = 3; y < 3 + edit->LineHeight(); ++y)
            for (int x = columnX(fromColumn); x < columnX(toColumn); ++x)
                if (shot.Canvas().Pixel(x, y) == ColorToRGB(colour)) return true;
        return false;
    };

    const std::size_t wider = 200;  // more than the view shows
    show(wider);
    const std::uint64_t shortLineWork = paint();
    EXPECT_LT(shortLineWork, 2 * wider);
    const std::int64_t length = 10'000'000;
    show(static_cast<std::size_t>(length));
    EXPECT_EQ(paint(), shortLineWork);
    EXPECT_TRUE(inkIn(24, 31, clRed));
    EXPECT_TRUE(inkIn(31, 40, clWindowText));

    SimulateKey(edit, VK_END);
    ASSERT_GT(edit->HorizontalOffset(), 70'000'000);
    EXPECT_LE(paint(), shortLineWork);
    EXPECT_TRUE(inkIn(length - 9, length, clWindowText));
    EXPECT_EQ(edit->PositionAt(columnX(length - 5) + 1, 4), length - 5);
}

TEST_F(RichEditView, VerticalScrollBarOnlyWhenTheTextIsTallerThanTheView) {
    Fill(3);
    EXPECT_FALSE(edit->VerticalScrollBarShown());
    Fill(edit->VisibleLineCount() + 5);
    EXPECT_TRUE(edit->VerticalScrollBarShown());
    edit->SetTopLine(1000000);
    EXPECT_EQ(edit->TopLine(), edit->Lines()->Count() - edit->VisibleLineCount());
    edit->Lines()->Clear();
    EXPECT_FALSE(edit->VerticalScrollBarShown());
    EXPECT_EQ(edit->TopLine(), 0);
}

}  // namespace
