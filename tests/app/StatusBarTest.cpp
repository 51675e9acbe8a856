#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "Platform.h"
#include "TempDir.h"
#include "Unit1.h"

namespace {

namespace fs = std::filesystem;

// The main window on a log file of its own.
class MainWindowStatus : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.Write("status.log", Line("INFO ") + Line("ERRO ") + Line("AVISO") + Line("ERRO "));
        TForm1::SetStartupFileName(S(path_.string()));
        form_.reset(new TForm1(nullptr));
        form_->DoCreate();
    }
    void TearDown() override {
        form_.reset();
        TForm1::SetStartupFileName(String());
    }
    static std::string Line(const std::string& level) { return "2026-12-10 08:00:00.000 [" + level + "] text\n"; }

    TTempDir dir_;
    fs::path path_;
    TOwned<TForm1> form_;
};

TEST_F(MainWindowStatus, TheStatusBarHoldsThreeFramedCountPanesAndAHiddenProgressPane) {
    TForm1& f = *form_;
    EXPECT_EQ(f.KvStatusBar1->Align(), alBottom);
    EXPECT_EQ(f.KvStatusBar1->BorderOuter(), fsNone);
    EXPECT_EQ(f.KvStatusBar1->BorderInner(), fsNone);
    EXPECT_EQ(f.KvStatusBar1->BorderSides(), sdAllSides);
    EXPECT_TRUE(f.KvStatusBar1->AutoStyle());
    EXPECT_TRUE(f.KvStatusBar1->SizeGripValid());

    // Without visual styles the panes reach one pixel past the bar's left
    // edge and start one pixel down.
    const std::pair<TKvCustomStatusPane*, TRect> panes[] = {
        {f.KvStatusPane1, Rect(-1, 1, 99, 20)},
        {f.KvStatusPane2, Rect(99, 1, 199, 20)},
        {f.KvStatusPane3, Rect(199, 1, 299, 20)},
    };
    for (const auto& [pane, bounds] : panes) {
        EXPECT_EQ(pane->BoundsRect(), bounds);
        EXPECT_EQ(pane->FrameStyle(), fsFlat);
        EXPECT_TRUE(pane->Transparent());
        EXPECT_EQ(pane->CurrentColor(), clWindowText);
    }
    EXPECT_EQ(f.KvStatusPane1->Caption(), u"Info: 1");
    EXPECT_EQ(f.KvStatusPane3->Caption(), u"Error: 2");

    TKvProgressStatus& progress = *f.KvProgressStatus1;
    EXPECT_FALSE(progress.Visible());
    EXPECT_TRUE(progress.ShowPercent());
    EXPECT_TRUE(progress.ShowParts());
    EXPECT_FALSE(progress.ParentShowHint());
    EXPECT_TRUE(progress.ShowHint());
    EXPECT_EQ(progress.Width(), 100);
}

TEST_F(MainWindowStatus, AFilterShowsItsProgressLineByLine) {
    TForm1& f = *form_;
    // Each change of the percentage repaints the pane at once, on the bar.
    std::vector<std::pair<unsigned, int>> shown;
    f.KvStatusBar1->OnPaint = [&](TObject*) {
        if (f.KvProgressStatus1->Visible())
            shown.emplace_back(f.KvProgressStatus1->PartsComplete(), f.KvProgressStatus1->Percent());
    };
    f.Show();
    ProcessPendingEvents();
    f.BtnErrorClick(&f);
    f.Hide();

    const std::vector<std::pair<unsigned, int>> expected{{1, 25}, {2, 50}, {3, 75}, {4, 100}};
    std::vector<std::pair<unsigned, int>> progressed;
    for (const auto& s : shown)
        if (s.first > 0 && (progressed.empty() || progressed.back() != s)) progressed.push_back(s);
    EXPECT_EQ(progressed, expected);
    EXPECT_FALSE(f.KvProgressStatus1->Visible());
    EXPECT_EQ(f.KvStatusPane3->Caption(), u"Error: 2");  // the counts stay those of the last load
}

}  // namespace
