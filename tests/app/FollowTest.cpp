// Follow mode with a real file that the test writes: whole lines join the
// view as they are written, coloured and counted as a load would; a partial
// line waits for its break; a file that is truncated or rotated is loaded
// again; a filter keeps only its level; nothing changes while the mode is off.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Forms.h"
#include "Menus.h"
#include "Platform.h"
#include "SysUtils.h"
#include "TempDir.h"
#include "Unit1.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string Line(const std::string& level, const std::string& message) {
    return "2026-12-10 08:00:00.000 [" + level + "] " + message + "\n";
}

void Append(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::app | std::ios::binary) << bytes;
}

// Runs the event loop until the condition holds; false after the timeout.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        Application->ProcessMessages();
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Lets notifications already written reach the window.
void Settle() { WaitUntil([] { return false; }, 150ms); }

class Follow : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        Application->SetErrorDisplay(TErrorDisplay::StandardError);
        Application->OnErrorShown = [this](const String&, const String& message) { errors.push_back(message); };
    }
    void TearDown() override {
        Application->OnErrorShown = nullptr;
        TForm1::SetStartupFileName(String());
        EXPECT_TRUE(errors.empty());
    }
    TOwned<TForm1> Open(const std::string& text) {
        TForm1::SetStartupFileName(FileNameFromBytes(dir.Write("app.log", text).string()));
        TOwned<TForm1> form(new TForm1(nullptr));
        form->DoCreate();
        return form;
    }
    fs::path File() const { return dir / "app.log"; }
    static std::vector<String> Panes(TForm1& f) {
        return {f.KvStatusPane1->Caption(), f.KvStatusPane2->Caption(), f.KvStatusPane3->Caption()};
    }
    static std::vector<String> ViewLines(TForm1& f) {
        std::vector<String> out;
        for (int i = 0; i < f.RichEdit1->Lines()->Count(); ++i) out.push_back(f.RichEdit1->Lines()->Get(i));
        return out;
    }
    static std::vector<String> Expected(const std::string& text) {
        std::vector<String> out;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find('\n', at);
            out.push_back(S(text.substr(at, end - at)));
            at = end + 1;
        }
        return out;
    }
    // The formats of every line as runs, to compare with a fresh load.
    static std::vector<std::vector<TStyledRun>> Formats(TForm1& f) {
        std::vector<std::vector<TStyledRun>> out;
        for (int i = 0; i < f.RichEdit1->Lines()->Count(); ++i) {
            out.emplace_back();
            f.RichEdit1->LineRuns(i, out.back());
        }
        return out;
    }
    static bool SameFormats(const std::vector<std::vector<TStyledRun>>& a, const std::vector<std::vector<TStyledRun>>& b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (a[i].size() != b[i].size()) return false;
            for (std::size_t k = 0; k < a[i].size(); ++k)
                if (a[i][k].Start != b[i][k].Start || a[i][k].Length != b[i][k].Length || a[i][k].Color != b[i][k].Color ||
                    a[i][k].Style != b[i][k].Style)
                    return false;
        }
        return true;
    }

    TTempDir dir{"lumivar-follow"};
    std::vector<String> errors;
};

TEST_F(Follow, IsOffAtStartAndNothingChangesWhileOff) {
    const std::string text = Line("INFO ", "one") + Line("ERRO ", "two");
    auto form = Open(text);
    EXPECT_FALSE(form->Following());
    const std::vector<String> panes = Panes(*form);
    Append(File(), Line("AVISO", "three"));
    Settle();
    EXPECT_EQ(ViewLines(*form), Expected(text));
    EXPECT_EQ(Panes(*form), panes);

    // Toggled on and off again: later lines wait for Refresh as before.
    form->ToggleFollow();
    form->ToggleFollow();
    EXPECT_FALSE(form->Following());
    Append(File(), Line("INFO ", "four"));
    Settle();
    EXPECT_EQ(ViewLines(*form), Expected(text + Line("AVISO", "three")));
}

TEST_F(Follow, TheKeyFInTheViewTogglesIt) {
    auto form = Open(Line("INFO ", "one"));
    SimulateKey(form->RichEdit1, 'F');
    EXPECT_TRUE(form->Following());
    SimulateKey(form->RichEdit1, 'F', TShiftState{ssCtrl});
    EXPECT_TRUE(form->Following());
    SimulateKey(form->RichEdit1, 'F');
    EXPECT_FALSE(form->Following());
}

TEST_F(Follow, TheContextMenuItemFollowFileTogglesItAndIsCheckedWhileOn) {
    auto form = Open(Line("INFO ", "one"));
    TRichEdit& view = *form->RichEdit1;
    std::vector<bool> checked;
    TPopupMenu::SetAutomation([&](TPopupMenuDriver& menu) {
        TMenuItem* items = menu.Menu().Items();
        for (int i = 0; i < items->Count(); ++i)
            if (items->Items(i)->Caption() == u"Follow File") checked.push_back(items->Items(i)->Checked());
        menu.Choose(u"Follow File");
    });
    auto rightClick = [&view] {
        view.Perform(WM_RBUTTONDOWN, MK_RBUTTON, PointToLParam(20, 10));
        view.Perform(WM_RBUTTONUP, 0, PointToLParam(20, 10));
        ProcessPendingEvents();
    };
    rightClick();
    EXPECT_TRUE(form->Following());
    rightClick();
    EXPECT_FALSE(form->Following());
    EXPECT_EQ(checked, (std::vector<bool>{false, true}));
    TPopupMenu::SetAutomation(nullptr);
}

TEST_F(Follow, LinesAppendedInPiecesJoinColouredAndCountedAsALoadWould) {
    std::string text = Line("INFO ", "one") + Line("ERRO ", "two");
    auto form = Open(text);
    form->ToggleFollow();
    const std::string pieces[] = {Line("AVISO", "three") + Line("INFO ", "four"), Line("ERRO ", "five"), "short\n",
                                  Line("DEBUG", "six")};
    for (const std::string& piece : pieces) {
        Append(File(), piece);
        text += piece;
        ASSERT_TRUE(WaitUntil([&] { return ViewLines(*form) == Expected(text); })) << piece;
    }
    EXPECT_EQ(Panes(*form), (std::vector<String>{u"Info: 2", u"Warn: 1", u"Error: 2"}));
    auto loaded = Open(text);
    EXPECT_TRUE(SameFormats(Formats(*form), Formats(*loaded)));
    EXPECT_EQ(Panes(*form), Panes(*loaded));
}

TEST_F(Follow, APartialLineJoinsOnlyWhenItsBreakArrives) {
    const std::string text = Line("INFO ", "one");
    auto form = Open(text);
    form->ToggleFollow();
    const std::string line = Line("ERRO ", "written in two parts");
    Append(File(), line.substr(0, 30));
    Settle();
    EXPECT_EQ(ViewLines(*form), Expected(text));
    Append(File(), line.substr(30));
    ASSERT_TRUE(WaitUntil([&] { return ViewLines(*form) == Expected(text + line); }));
    EXPECT_EQ(Panes(*form), (std::vector<String>{u"Info: 1", u"Warn: 0", u"Error: 1"}));
}

TEST_F(Follow, ATruncatedOrRotatedFileIsLoadedAgainWithANotice) {
    struct Rotation {
        const char* name;
        void (*apply)(const fs::path& file, const std::string& text);
    };
    const Rotation rotations[] = {
        {"copy and truncate",
         [](const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::trunc | std::ios::binary) << text; }},
        {"rename and create",
         [](const fs::path& file, const std::string& text) {
             fs::rename(file, file.string() + ".1");
             std::ofstream(file, std::ios::binary) << text;
         }},
    };
    for (const Rotation& rotation : rotations) {
        SCOPED_TRACE(rotation.name);
        std::string old;
        for (int i = 0; i < 50; ++i) old += Line("INFO ", "old record " + std::to_string(i));
        auto form = Open(old);
        form->ToggleFollow();
        const std::string fresh = Line("ERRO ", "after rotation");
        rotation.apply(File(), fresh);
        ASSERT_TRUE(WaitUntil([&] { return ViewLines(*form) == Expected(fresh); }));
        EXPECT_EQ(Panes(*form), (std::vector<String>{u"Info: 0", u"Warn: 0", u"Error: 1"}));
        EXPECT_NE(form->KvStatusBar1->Hint().find(u"truncated or replaced"), String::npos) << StringToUtf8(form->KvStatusBar1->Hint());
        // It goes on following the new file.
        Append(File(), Line("AVISO", "next"));
        ASSERT_TRUE(WaitUntil([&] { return ViewLines(*form) == Expected(fresh + Line("AVISO", "next")); }));
        std::error_code ignored;
        fs::remove(File().string() + ".1", ignored);
    }
}

TEST_F(Follow, UnderAFilterOnlyThatLevelJoinsAndThePanesCountEveryLine) {
    const std::string text = Line("INFO ", "one") + Line("ERRO ", "two");
    auto form = Open(text);
    form->BtnErrorClick(nullptr);
    form->ToggleFollow();
    Append(File(), Line("INFO ", "three") + Line("ERRO ", "four") + Line("AVISO", "five"));
    ASSERT_TRUE(WaitUntil([&] { return Panes(*form)[0] == u"Info: 2"; }));
    EXPECT_EQ(ViewLines(*form), Expected(Line("ERRO ", "two") + Line("ERRO ", "four")));
    EXPECT_EQ(Panes(*form), (std::vector<String>{u"Info: 2", u"Warn: 1", u"Error: 2"}));
}

TEST_F(Follow, AFilterThatMatchedNothingStillFollows) {
    auto form = Open(Line("INFO ", "one"));
    form->BtnErrorClick(nullptr);
    ASSERT_EQ(form->RichEdit1->Lines()->Count(), 0);
    form->ToggleFollow();
    Append(File(), Line("ERRO ", "two"));
    ASSERT_TRUE(WaitUntil([&] { return ViewLines(*form) == Expected(Line("ERRO ", "two")); }));
}

TEST_F(Follow, TheViewStaysAtTheEndOrWhereTheUserScrolled) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += Line("INFO ", "record " + std::to_string(i));
    for (const bool atEnd : {true, false}) {
        SCOPED_TRACE(atEnd);
        auto form = Open(text);
        TRichEdit& view = *form->RichEdit1;
        ASSERT_LT(view.VisibleLineCount(), 200);
        view.SetTopLine(atEnd ? 200 : 10);
        const int caret = static_cast<int>(view.SelStart());
        form->ToggleFollow();
        Append(File(), Line("ERRO ", "new 1") + Line("ERRO ", "new 2"));
        ASSERT_TRUE(WaitUntil([&] { return view.Lines()->Count() == 202; }));
        EXPECT_EQ(view.TopLine(), atEnd ? 202 - view.VisibleLineCount() : 10);
        EXPECT_EQ(view.SelStart(), caret);
    }
}

TEST_F(Follow, ACountOfMatchesIsStoppedBeforeTheIndexGrowsAndTakenAgain) {
    for (const bool filtered : {false, true}) {
        SCOPED_TRACE(filtered);
        auto form = Open(Line("ERRO ", "record one"));
        if (filtered) form->BtnErrorClick(nullptr);
        TViewSearch& search = form->Search();
        search.SetQuery(u"record", TSearchOptions{});
        search.WaitForCount();
        ASSERT_EQ(search.Count(), std::optional<std::uint64_t>(1));
        form->ToggleFollow();
        Append(File(), Line("ERRO ", "record two"));
        ASSERT_TRUE(WaitUntil([&] { return form->RichEdit1->Lines()->Count() == 2; }));
        search.ResumeCount();
        search.WaitForCount();
        EXPECT_EQ(search.Count(), std::optional<std::uint64_t>(2));
    }
}

TEST_F(Follow, AnEmptyFileThatGetsLinesIsFollowed) {
    auto form = Open("");
    form->ToggleFollow();
    Append(File(), Line("AVISO", "first"));
    ASSERT_TRUE(WaitUntil([&] { return ViewLines(*form) == Expected(Line("AVISO", "first")); }));
    EXPECT_EQ(Panes(*form)[1], u"Warn: 1");
    // Loaded again quietly: the hint still names the file, with no notice.
    EXPECT_EQ(form->KvStatusBar1->Hint().find(u"truncated or replaced"), String::npos)
        << StringToUtf8(form->KvStatusBar1->Hint());
}

}  // namespace
