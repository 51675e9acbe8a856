#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Forms.h"
#include "Graphics.h"
#include "Menus.h"
#include "Platform.h"
#include "TempDir.h"
#include "TickCount.h"
#include "GoToLine.h"
#include "Unit1.h"

namespace {

std::string Line(const std::string& level, const std::string& message) {
    return "2026-12-10 08:00:00.000 [" + level + "] " + message;
}

class Navigation : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        Application->SetErrorDisplay(TErrorDisplay::StandardError);
        Application->OnErrorShown = [this](const String&, const String& message) { errors.push_back(message); };
    }
    void TearDown() override {
        Application->OnErrorShown = nullptr;
        TForm1::SetStartupFileName(String());
    }
    TOwned<TForm1> Open(const std::string& text) {
        TForm1::SetStartupFileName(S(dir.Write("find.log", text).string()));
        TOwned<TForm1> form(new TForm1(nullptr));
        form->DoCreate();
        return form;
    }
    static void Press(TFindBar& bar, unsigned short key, TShiftState shift = TShiftState()) {
        bar.Field->OnKeyDown(bar.Field, key, shift);
    }
    static void Press(TForm1& form, unsigned short key, TShiftState shift = TShiftState()) {
        form.FormKeyDown(&form, key, shift);
    }
    // The bar's status once the count is in.
    static String CountedStatus(TForm1& form) {
        form.Search().WaitForCount();
        form.FindBar().Poll();
        return form.FindBar().Status->Caption();
    }
    std::vector<String> errors;
    TTempDir dir{"lumivar-find"};
};

TEST_F(Navigation, TheWindowIsUnchangedUntilCtrlFOpensTheBarAboveTheStatusBar) {
    auto form = Open(Line("INFO ", "a") + "\n");
    const int components = form->ComponentCount();
    const TRect view = form->RichEdit1->BoundsRect();
    Press(*form, 'F');  // without Ctrl: nothing
    EXPECT_EQ(form->ComponentCount(), components);

    Press(*form, 'F', TShiftState{ssCtrl});
    TFindBar& bar = form->FindBar();
    ASSERT_TRUE(bar.Visible());
    EXPECT_EQ(bar.Top(), form->RichEdit1->Top() + form->RichEdit1->Height());
    EXPECT_EQ(bar.Top() + bar.Height(), form->KvStatusBar1->Top());
    EXPECT_EQ(bar.Width(), form->ClientWidth());

    Press(bar, VK_ESCAPE);
    EXPECT_FALSE(bar.Visible());
    EXPECT_EQ(form->RichEdit1->BoundsRect(), view);
    EXPECT_FALSE(form->RichEdit1->OnMarkLine);  // no marks painted once closed
}

TEST_F(Navigation, OpeningTakesASelectionOfOneLineOnly) {
    auto form = Open(Line("INFO ", "alpha beta") + "\n" + Line("INFO ", "gamma") + "\n");
    TRichEdit& view = *form->RichEdit1;
    view.SetSelStart(32);
    view.SetSelLength(5);
    form->FindBar().Open();
    EXPECT_EQ(form->FindBar().Field->Text(), u"alpha");
    view.SetSelStart(38);
    view.SetSelLength(40);  // into the next line
    form->FindBar().Open();
    EXPECT_EQ(form->FindBar().Field->Text(), u"alpha");
}

TEST_F(Navigation, EnterAndF3GoForwardShiftGoesBackWrappingWithANote) {
    auto form = Open(Line("ERRO ", "disk") + "\n" + Line("INFO ", "ok") + "\n" + Line("ERRO ", "disk again") + "\n");
    TRichEdit& view = *form->RichEdit1;
    TFindBar& bar = form->FindBar();
    bar.Open();
    bar.Field->SetText(u"DISK");
    EXPECT_EQ(CountedStatus(*form), u"0 of 2");
    const TTextPosition second = view.Document().LinePosition(2) + 32;

    Press(bar, VK_RETURN);
    EXPECT_EQ(view.SelStart(), 32);
    EXPECT_EQ(view.SelLength(), 4);
    EXPECT_EQ(CountedStatus(*form), u"1 of 2");
    Press(bar, VK_F3);
    EXPECT_EQ(view.SelStart(), second);
    EXPECT_EQ(CountedStatus(*form), u"2 of 2");
    Press(*form, VK_F3);  // from the view too
    EXPECT_EQ(view.SelStart(), 32);
    EXPECT_EQ(CountedStatus(*form), u"1 of 2 \u2014 Wrapped to the start");
    Press(bar, VK_RETURN, TShiftState{ssShift});
    EXPECT_EQ(view.SelStart(), second);
    EXPECT_EQ(CountedStatus(*form), u"2 of 2 \u2014 Wrapped to the end");
    Press(bar, VK_F3, TShiftState{ssShift});
    EXPECT_EQ(view.SelStart(), 32);
    EXPECT_EQ(CountedStatus(*form), u"1 of 2");

    // The options take effect at once.
    bar.MatchCase->SetChecked(true);
    bar.MatchCase->OnClick(bar.MatchCase);
    Press(bar, VK_RETURN);
    EXPECT_EQ(CountedStatus(*form), u"0 of 0 \u2014 Not found");
    EXPECT_EQ(view.SelStart(), 32);  // the selection stays
    EXPECT_TRUE(errors.empty());
}

TEST_F(Navigation, AnInvalidExpressionIsShownInTheBarNotInAnErrorBox) {
    auto form = Open(Line("ERRO ", "disk") + "\n");
    TFindBar& bar = form->FindBar();
    bar.Open();
    bar.RegularExpression->SetChecked(true);
    bar.Field->SetText(u"disk(");
    EXPECT_EQ(bar.Status->Caption(), u"missing closing parenthesis");
    EXPECT_EQ(bar.Field->Color(), TFindBar::kErrorColor);
    Press(bar, VK_RETURN);
    EXPECT_EQ(form->RichEdit1->SelLength(), 0);
    EXPECT_TRUE(errors.empty());
    bar.Field->SetText(u"disk");
    EXPECT_EQ(bar.Field->Color(), clWindow);
    EXPECT_EQ(CountedStatus(*form), u"0 of 1");
}

TEST_F(Navigation, MatchesAreMarkedOnlyOnTheLinesInSight) {
    std::string text;
    for (int i = 0; i < 500; ++i) text += Line("ERRO ", "disk " + std::to_string(i)) + "\n";
    auto form = Open(text);
    TRichEdit& view = *form->RichEdit1;
    TFindBar& bar = form->FindBar();
    bar.Open();
    bar.Field->SetText(u"disk");
    view.SetTopLine(200);
    std::set<int> asked;
    auto marks = view.OnMarkLine;
    view.OnMarkLine = [&](int line, int from, int to, std::vector<std::pair<int, int>>& ranges) {
        asked.insert(line);
        marks(line, from, to, ranges);
        EXPECT_EQ(ranges, (std::vector<std::pair<int, int>>{{32, 4}}));
    };
    TBitmap shot;
    view.GetImage(shot);
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(*asked.begin(), 200);
    EXPECT_LE(*asked.rbegin(), 200 + view.VisibleLineCount());
    // The mark is painted behind the match, and the text itself is unchanged.
    std::vector<TStyledRun> runs;
    view.LineRuns(200, runs);
    for (const TStyledRun& run : runs) EXPECT_NE(run.Color, view.MarkColor());
}

}  // namespace

namespace {

struct TModalAnswer {
    explicit TModalAnswer(std::function<void(TCustomForm&)> answer) { TCustomForm::SetModalAutomation(std::move(answer)); }
    ~TModalAnswer() { TCustomForm::SetModalAutomation(nullptr); }
};

TEST(GoToLine, OnlyANumberFromOneToTheLineCountIsALine) {
    TOwned<TGoToLineForm> dialog(new TGoToLineForm(nullptr, 250));
    EXPECT_EQ(dialog->Prompt->Caption(), u"Line number (1 - 250):");
    struct Case {
        const char16_t* text;
        std::optional<int> line;
    } cases[] = {{u"1", 1},          {u"250", 250},      {u" 17 ", 17},  {u"0", std::nullopt},
                 {u"251", std::nullopt}, {u"-3", std::nullopt}, {u"", std::nullopt}, {u"1e2", std::nullopt},
                 {u"99999999999", std::nullopt}, {u"\u0661", std::nullopt}};
    for (const Case& c : cases) {
        dialog->Field->SetText(c.text);
        EXPECT_EQ(dialog->Line(), c.line) << StringToUtf8(c.text);
    }
}

TEST_F(Navigation, CtrlGRefusesBadInputInTheDialogThenMovesTheCaretToTheLine) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += Line("INFO ", "line " + std::to_string(i)) + "\n";
    auto form = Open(text);
    std::vector<String> problems;
    TModalAnswer answer([&](TCustomForm& shown) {
        auto& dialog = dynamic_cast<TGoToLineForm&>(shown);
        dialog.Field->SetText(u"301");
        dialog.OkButton->Click();
        problems.push_back(dialog.Problem->Caption());
        EXPECT_EQ(dialog.ModalResult(), mrNone);  // still open
        dialog.Field->SetText(u"150");
        dialog.OkButton->Click();
    });
    Press(*form, 'G', TShiftState{ssCtrl});
    EXPECT_EQ(problems, std::vector<String>{u"Enter a whole number from 1 to 300."});
    TRichEdit& view = *form->RichEdit1;
    EXPECT_EQ(view.SelStart(), view.Document().LinePosition(149));
    EXPECT_EQ(view.SelLength(), 0);
    EXPECT_LE(view.TopLine(), 149);
    EXPECT_GT(view.TopLine() + view.VisibleLineCount(), 149);
}

}  // namespace

namespace {

TEST_F(Navigation, ShowInFullLogPutsTheCaretOnTheSameRecordAfterEachFilter) {
    // Records of every level, and a line without one, in a log longer than the view.
    const char* levels[] = {"INFO ", "AVISO", "ERRO ", "INFO ", "DEBUG"};
    std::string text;
    for (int i = 0; i < 400; ++i) text += Line(levels[i % 5], "record " + std::to_string(i)) + "\n";
    auto form = Open(text);
    EXPECT_FALSE(form->CanShowInFullLog());
    struct Case {
        TKvToolButton* TForm1::*button;
        int filteredLine;  // the caret's line in the filter's result
        int fileLine;      // that record's line in the file
    } cases[] = {{&TForm1::BtnInformation, 70, 175}, {&TForm1::BtnWarning, 50, 251}, {&TForm1::BtnError, 79, 397}};
    TRichEdit& view = *form->RichEdit1;
    for (const Case& c : cases) {
        (form.get()->*c.button)->Click();
        ASSERT_TRUE(form->CanShowInFullLog());
        view.SetSelStart(view.Document().LinePosition(c.filteredLine) + 3);
        const String record = view.Lines()->Get(c.filteredLine);
        Press(*form, VK_RETURN, TShiftState{ssCtrl});
        EXPECT_FALSE(form->CanShowInFullLog());
        ASSERT_EQ(view.Lines()->Count(), 400);
        EXPECT_EQ(view.Document().LineAtPosition(view.SelStart()), c.fileLine);
        EXPECT_EQ(view.Lines()->Get(c.fileLine), record);
        // In the middle of the view, as far as the end of the text allows.
        const int middle = view.TopLine() + view.VisibleLineCount() / 2;
        if (c.fileLine + view.VisibleLineCount() / 2 < 400) EXPECT_EQ(middle, c.fileLine);
        else EXPECT_GT(view.TopLine() + view.VisibleLineCount(), c.fileLine);
        EXPECT_EQ(form->KvStatusPane1->Caption(), u"Info: 160");  // recounted as Refresh does
    }
    EXPECT_TRUE(errors.empty());
}

}  // namespace

namespace {

// A client point of the view on the character at Pos.
TPoint PointOf(TRichEdit& view, TTextPosition pos) {
    for (int y = 0; y < view.Height(); y += 2)
        for (int x = 0; x < view.Width(); ++x)
            if (view.PositionAt(x, y) == pos && view.PositionAt(x + 1, y) == pos) return {x + 1, y};
    ADD_FAILURE() << "no point shows position " << pos;
    return {0, 0};
}

void Click(TRichEdit& view, unsigned message, TPoint p) {
    view.Perform(message, MK_LBUTTON, PointToLParam(p.X, p.Y));
    view.Perform(WM_LBUTTONUP, 0, PointToLParam(p.X, p.Y));
}

TEST_F(Navigation, DoubleClickSelectsAWordAndATripleClickTheLine) {
    std::uint32_t now = 1000;
    SetTickCountSource([&now] { return now; });
    auto form = Open(Line("ERRO ", "disk_full on sda1, retrying") + "\n" + Line("INFO ", "ok") + "\n");
    TRichEdit& view = *form->RichEdit1;
    const TPoint onWord = PointOf(view, 32 + 2);  // inside "disk_full"
    Click(view, WM_LBUTTONDOWN, onWord);
    Click(view, WM_LBUTTONDBLCLK, onWord);
    EXPECT_EQ(view.SelText(), u"disk_full");
    now += 100;
    Click(view, WM_LBUTTONDOWN, onWord);  // the third click
    EXPECT_EQ(view.SelText(), S(Line("ERRO ", "disk_full on sda1, retrying") + "\n"));
    // A click long after a double click is a click.
    Click(view, WM_LBUTTONDBLCLK, onWord);
    now += 5000;
    Click(view, WM_LBUTTONDOWN, onWord);
    EXPECT_EQ(view.SelLength(), 0);
    // A punctuation mark stands alone.
    Click(view, WM_LBUTTONDBLCLK, PointOf(view, 32 + 17));
    EXPECT_EQ(view.SelText(), u",");
    SetTickCountSource(nullptr);
}

TEST_F(Navigation, TheContextMenuOffersShowInFullLogOnlyAfterAFilter) {
    auto form = Open(Line("INFO ", "a") + "\n" + Line("ERRO ", "b") + "\n" + Line("INFO ", "c") + "\n");
    TRichEdit& view = *form->RichEdit1;
    std::vector<String> captions;
    std::vector<bool> enabled;
    String choose;
    TPopupMenu::SetAutomation([&](TPopupMenuDriver& menu) {
        captions = menu.Captions();
        TMenuItem* items = menu.Menu().Items();
        for (int i = 0; i < items->Count(); ++i)
            if (items->Items(i)->Caption() == u"Show in full log") enabled.push_back(items->Items(i)->Enabled());
        if (!choose.empty()) menu.Choose(choose);
        else menu.Cancel();
    });
    auto rightClick = [&view] {
        view.Perform(WM_RBUTTONDOWN, MK_RBUTTON, PointToLParam(20, 10));
        view.Perform(WM_RBUTTONUP, 0, PointToLParam(20, 10));
        ProcessPendingEvents();
    };
    rightClick();
    EXPECT_EQ(captions, (std::vector<String>{u"Copy", u"Select All", u"-", u"Find\u2026", u"Go to Line\u2026", u"-",
                                             u"Show in full log", u"-", u"Follow File"}));
    form->BtnError->Click();
    view.SetSelStart(0);
    choose = u"Show in full log";
    rightClick();
    EXPECT_EQ(enabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(view.Lines()->Count(), 3);
    EXPECT_EQ(view.Document().LineAtPosition(view.SelStart()), 1);
    choose = u"Find\u2026";
    rightClick();
    EXPECT_TRUE(form->FindBar().Visible());
    TPopupMenu::SetAutomation(nullptr);
}

}  // namespace
