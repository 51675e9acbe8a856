#include <gtest/gtest.h>

#include <functional>

#include "Forms.h"
#include "KvPanel.h"
#include "KvStatus.h"
#include "PixelPicture.h"
#include "RecordingThemes.h"

namespace {

// A form that records the system commands it is sent instead of carrying
// them out.
class TRecordingForm : public TForm {
public:
    using TForm::TForm;
    std::vector<std::intptr_t> commands;
    void WndProc(TMessage& m) override {
        if (m.Msg == WM_SYSCOMMAND) {
            commands.push_back(m.WParam);
            return;
        }
        TForm::WndProc(m);
    }
};

// A pane that records the presses it receives.
class TPressPane : public TKvStatusPane {
public:
    using TKvStatusPane::TKvStatusPane;
    int presses = 0;

protected:
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
        ++presses;
        TKvStatusPane::MouseDown(b, s, x, y);
    }
};

// Themes that exist (but draw nothing), for the themed client rectangle.
class TAvailableThemes : public TThemeServices {
public:
    bool ThemesAvailable() const override { return true; }
    bool ThemesEnabled() const override { return false; }
    void DrawElement(HDC, const TThemedElementDetails&, const TRect&) override {}
    void DrawText(HDC, const TThemedElementDetails&, const String&, TRect, unsigned) override {}
};

struct BarOnForm {
    TOwned<TRecordingForm> form;
    TKvStatusBar* bar;
};

// A status bar on a form whose client area is Width x 60.
BarOnForm MakeBar(int width, TFormBorderStyle border = bsSizeable) {
    BarOnForm b{TOwned<TRecordingForm>(new TRecordingForm(nullptr)), nullptr};
    b.form->SetBorderStyle(border);
    b.form->SetBounds(0, 0, width, 60);
    b.bar = new TKvStatusBar(b.form.get());
    b.bar->SetParent(b.form.get());
    return b;
}

TEST(KvStatusBar, IsABorderlessBarAlongTheBottom) {
    auto b = MakeBar(200);
    TKvStatusBar& bar = *b.bar;
    EXPECT_EQ(bar.BoundsRect(), Rect(0, 41, 200, 60));
    EXPECT_EQ(bar.BorderOuter(), fsNone);
    EXPECT_EQ(bar.BorderInner(), fsNone);
    EXPECT_EQ(bar.BorderSides(), sdAllSides);
    EXPECT_EQ(bar.BorderWidth(), 0);
    EXPECT_TRUE(bar.AutoStyle());
    EXPECT_TRUE(bar.ShowSizeGrip());
    EXPECT_TRUE(bar.SizeGripValid());  // checked when its window was made
    EXPECT_FALSE(bar.SimpleStatus());
    EXPECT_EQ(bar.SimpleFrameStyle(), fsFlat);
    EXPECT_TRUE(bar.SimpleCaption().empty());
    EXPECT_FALSE(bar.AutoScalePanes());
    EXPECT_EQ(bar.SizeGripRect(), Rect(187, 0, 200, 19));
}

TEST(KvStatusBar, ABorderOfItsOwnEndsAutoStyleAndSurvivesLoading) {
    auto b = MakeBar(200);
    b.bar->SetBorderOuter(fsNone);  // the value it has
    EXPECT_TRUE(b.bar->AutoStyle());
    b.bar->SetHeight(30);
    b.bar->Loaded();  // a load re-applies the look
    EXPECT_EQ(b.bar->Height(), 19);

    b.bar->SetBorderOuter(fsGroove);
    EXPECT_FALSE(b.bar->AutoStyle());
    b.bar->SetHeight(30);
    b.bar->Loaded();
    EXPECT_EQ(b.bar->BorderOuter(), fsGroove);
    EXPECT_EQ(b.bar->Height(), 30);

    b.bar->AdjustStyle();  // applies the look but leaves AutoStyle as it was
    EXPECT_EQ(b.bar->BorderOuter(), fsNone);
    EXPECT_EQ(b.bar->Height(), 19);
    EXPECT_FALSE(b.bar->AutoStyle());
}

TEST(KvStatusBar, ClientRectangleDependsOnVisualStylesAndSimpleMode) {
    struct Case {
        bool themes, simple;
        TRect client;
    } cases[] = {
        {false, false, Rect(-1, 1, 201, 20)},
        {false, true, Rect(0, 2, 200, 20)},
        {true, false, Rect(0, 0, 200, 19)},
        {true, true, Rect(1, 1, 199, 19)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "themes " << c.themes << " simple " << c.simple);
        auto previous = SetThemeServices(c.themes ? std::make_unique<TAvailableThemes>() : nullptr);
        auto b = MakeBar(200);
        b.bar->SetSimpleStatus(c.simple);
        EXPECT_EQ(b.bar->ClientRect(), c.client);
        SetThemeServices(std::move(previous));
    }
}

TEST(KvStatusBar, PanesReachPastTheSidesWithoutVisualStyles) {
    auto b = MakeBar(300);
    auto* first = new TKvStatusPane(b.form.get());
    first->SetAlign(alLeft);
    first->SetParent(b.bar);
    auto* second = new TKvStatusPane(b.form.get());
    second->SetLeft(200);
    second->SetAlign(alLeft);
    second->SetParent(b.bar);
    EXPECT_EQ(first->BoundsRect(), Rect(-1, 1, 99, 20));
    EXPECT_EQ(second->BoundsRect(), Rect(99, 1, 199, 20));
}

TEST(KvStatusBar, SimpleModeHidesEveryChildAndShowsThemAllAgain) {
    auto b = MakeBar(300);
    TControl* panes[3];
    for (auto*& p : panes) {
        p = new TKvStatusPane(b.form.get());
        p->SetParent(b.bar);
    }
    panes[1]->SetVisible(false);
    b.bar->SetSimpleStatus(true);
    for (TControl* p : panes) EXPECT_FALSE(p->Visible());
    b.bar->SetSimpleStatus(false);
    for (TControl* p : panes) EXPECT_TRUE(p->Visible());  // the one hidden before too
}

TEST(KvStatusBar, SimpleCaptionShowsTheAmpersandItselfInsideAFlatFrame) {
    auto b = MakeBar(200);
    b.bar->SetVisualStyle(vsClassic);
    b.bar->Font().SetColor(clRed);
    b.bar->SetSimpleCaption(u"A&B");
    b.bar->SetSimpleStatus(true);
    b.bar->SetShowSizeGrip(false);
    TBitmap bmp;
    b.bar->GetImage(bmp);

    // The frame: client rectangle (0, 2, 200, 20) less one row at the bottom.
    const TColor flat = ColorToRGB(AdjustColor(clBtnShadow, 30));
    EXPECT_EQ(bmp.Canvas().Pixel(1, 2), flat);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 3), flat);
    EXPECT_EQ(bmp.Canvas().Pixel(198, 18), flat);
    EXPECT_EQ(bmp.Canvas().Pixel(199, 17), flat);
    for (TPoint corner : {TPoint{0, 2}, TPoint{199, 2}, TPoint{0, 18}, TPoint{199, 18}})
        EXPECT_EQ(bmp.Canvas().Pixel(corner.X, corner.Y), ColorToRGB(clBtnFace));  // corners stay unpainted

    // The text: all three characters at x = 3, clipped inside the frame.
    TBitmap ref(200, 19);
    Fill(ref, ColorToRGB(clBtnFace));
    ref.Canvas().Font().Assign(b.bar->Font());
    const int h = ref.Canvas().TextHeight(u"Pp");
    ref.Canvas().Brush().SetStyle(bsClear);
    ref.Canvas().TextRect(Rect(1, 3, 199, 18), 3, 3 + (15 - h) / 2, u"A&B");
    for (int y = 3; y < 18; ++y)
        for (int x = 1; x < 60; ++x) ASSERT_EQ(bmp.Canvas().Pixel(x, y), ref.Canvas().Pixel(x, y)) << x << "," << y;

    b.bar->SetVisualStyle(vsWinXP);  // the frame belongs to the classic style only
    b.bar->GetImage(bmp);
    EXPECT_EQ(bmp.Canvas().Pixel(1, 2), ColorToRGB(clBtnFace));
    EXPECT_EQ(bmp.Canvas().Pixel(0, 3), ColorToRGB(clBtnFace));
}

// Themes on, drawing nothing; the texts drawn through them are recorded.
struct TDrawnText {
    TThemedElement element;
    String text;
    TRect rect;
    unsigned flags;
};
class TTextThemes : public TAvailableThemes {
public:
    explicit TTextThemes(std::vector<TDrawnText>& texts) : texts_(texts) {}
    bool ThemesEnabled() const override { return true; }
    void DrawText(HDC, const TThemedElementDetails& details, const String& text, TRect r, unsigned flags) override {
        texts_.push_back({details.Element, text, r, flags});
    }

private:
    std::vector<TDrawnText>& texts_;
};

TEST(KvStatusBar, ThemedSimpleCaptionShowsTheAmpersandItself) {
    std::vector<TDrawnText> texts;
    auto previous = SetThemeServices(std::make_unique<TTextThemes>(texts));
    auto b = MakeBar(200);
    b.bar->SetSimpleCaption(u"A&B");
    b.bar->SetSimpleStatus(true);
    TBitmap bmp;
    b.bar->GetImage(bmp);
    SetThemeServices(std::move(previous));

    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].element, tsStatusRoot);
    EXPECT_EQ(texts[0].text, u"A&B");
    EXPECT_EQ(texts[0].rect, Rect(1, 1, 199, 19));  // the client rectangle in simple mode
    EXPECT_EQ(texts[0].flags, unsigned{DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX});
}

TEST(KvStatusBar, PaintsItsGripOverThePanesAfterEveryPaint) {
    auto b = MakeBar(60);
    auto* pane = new TKvStatusPane(b.form.get());
    pane->SetAlign(alClient);
    pane->SetParent(b.bar);
    TBitmap bmp;
    b.bar->GetImage(bmp);
    const TPalette pal{{ColorToRGB(clBtnFace), '.'},
                       {ColorToRGB(clBtnHighlight), 'A'},
                       {ColorToRGB(clBtnShadow), 'B'},
                       {ColorToRGB(AdjustColor(clBtnShadow, 30)), 'f'}};  // the pane's frame
    EXPECT_EQ(Picture(bmp.Canvas(), Rect(45, 4, 58, 19), pal),
              (TPicture{".............", ".............", "..........BB.", "..........BBA", "...........AA",
                        ".............", "......BB..BB.", "......BBA.BBA", ".......AA..AA", ".............",
                        "..BB..BB..BB.", "..BBA.BBA.BBA", "...AA..AA..AA", ".............", "fffffffffffff"}));
}

TEST(KvStatusBar, TheGripsDotsTakeTheColoursOfTheBarsStyle) {
    TColor start, stop, divider;
    GetGradientStatusBarColors(gcsSystem, start, stop, divider);
    const struct {
        TKvVisualStyle style;
        TColor edge, dot;
    } cases[] = {
        {vsClassic, clBtnHighlight, clBtnShadow},
        {vsGradient, stop, divider},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        auto b = MakeBar(60);
        b.bar->SetVisualStyle(c.style);
        TBitmap bmp;
        b.bar->GetImage(bmp);
        // Client rectangle (-1, 1, 61, 20) less its last row: the dots end at x = 58, y = 18.
        for (TPoint d : {TPoint{4, 12}, TPoint{4, 8}, TPoint{4, 4}, TPoint{8, 8}, TPoint{8, 4}, TPoint{12, 4}}) {
            const int x = 59 - d.X, y = 18 - d.Y;
            SCOPED_TRACE(testing::Message() << "dot at " << x << "," << y);
            for (TPoint p : {TPoint{x, y}, TPoint{x + 1, y}, TPoint{x, y + 1}, TPoint{x + 1, y + 1}})
                EXPECT_EQ(bmp.Canvas().Pixel(p.X, p.Y), ColorToRGB(c.dot));
            for (TPoint p : {TPoint{x + 2, y + 1}, TPoint{x + 1, y + 2}, TPoint{x + 2, y + 2}})
                EXPECT_EQ(bmp.Canvas().Pixel(p.X, p.Y), ColorToRGB(c.edge));
        }
    }
}

TEST(KvStatusBar, WithVisualStylesTheBarItsPanesAndThenTheGripperAreThemeElements) {
    TThemesRecorded themes;
    auto b = MakeBar(300);
    for (int i = 0; i < 2; ++i) {
        auto* pane = new TKvStatusPane(b.form.get());
        pane->SetLeft(i * 200);
        pane->SetAlign(alLeft);
        pane->SetParent(b.bar);
    }
    themes.drawn.clear();
    TBitmap bmp;
    b.bar->GetImage(bmp);
    // A pane: its frame from two pixels down, then the bar's background for
    // its caption area; the gripper last, in the client rectangle less its
    // last row.
    const TRect bar = Rect(0, 0, 300, 19);
    const TDrawnElements expected{{tsStatusRoot, bar},
                                  {tsPane, Rect(0, 2, 100, 19)},
                                  {tsStatusRoot, bar},
                                  {tsPane, Rect(0, 2, 100, 19)},
                                  {tsStatusRoot, bar},
                                  {tsGripper, Rect(280, 0, 300, 18)}};
    EXPECT_EQ(themes.drawn, expected);
}

TEST(KvStatusBar, TheGripIsValidOnlyOnASizeableFormThatIsNotMaximized) {
    struct Case {
        TFormBorderStyle border;
        TWindowState state;
        bool valid;
    } cases[] = {
        {bsSizeable, wsNormal, true},    {bsSizeToolWin, wsNormal, true}, {bsSingle, wsNormal, false},
        {bsDialog, wsNormal, false},     {bsToolWindow, wsNormal, false}, {bsNone, wsNormal, false},
        {bsSizeable, wsMaximized, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "border " << c.border << " state " << c.state);
        auto b = MakeBar(60, c.border);
        b.form->SetWindowState(c.state);
        TBitmap bmp;
        b.bar->GetImage(bmp);  // every paint checks again
        EXPECT_EQ(b.bar->SizeGripValid(), c.valid);
        EXPECT_EQ(bmp.Canvas().Pixel(57, 7) == ColorToRGB(clBtnHighlight), c.valid);

        // Over the grip: the sizing cursor and a press that resizes the window.
        SimulateMouseMove(b.form.get(), 58, 50);
        EXPECT_EQ(b.bar->WindowCursor(), c.valid ? crSizeNWSE : crDefault);
        SimulateMouseDown(b.form.get(), mbLeft, 58, 50);
        SimulateMouseUp(b.form.get(), mbLeft, 58, 50);
        EXPECT_EQ(b.form->commands, c.valid ? std::vector<std::intptr_t>{0xF008} : std::vector<std::intptr_t>{});
    }
    auto orphan = MakeOwned<TKvStatusBar>(nullptr);
    EXPECT_FALSE(orphan->ValidateSizeGrip());  // no form at all
}

TEST(KvStatusBar, APressInTheGripStripPassesThePaneAndResizesTheWindow) {
    auto b = MakeBar(200);
    auto* pane = new TPressPane(b.form.get());
    pane->SetAlign(alClient);
    pane->SetParent(b.bar);

    SimulateMouseDown(b.form.get(), mbLeft, 195, 50);  // inside the grip strip
    EXPECT_EQ(pane->presses, 0);
    EXPECT_EQ(GetCaptureControl(), nullptr);
    EXPECT_EQ(b.form->commands, std::vector<std::intptr_t>{SC_SIZE + WMSZ_BOTTOMRIGHT});
    SimulateMouseUp(b.form.get(), mbLeft, 195, 50);

    SimulateMouseDown(b.form.get(), mbLeft, 100, 50);  // elsewhere the pane takes it
    SimulateMouseUp(b.form.get(), mbLeft, 100, 50);
    EXPECT_EQ(pane->presses, 1);
    EXPECT_EQ(b.form->commands.size(), 1u);

    b.bar->SetShowSizeGrip(false);  // no grip: the strip is the pane's
    SimulateMouseDown(b.form.get(), mbLeft, 195, 50);
    SimulateMouseUp(b.form.get(), mbLeft, 195, 50);
    EXPECT_EQ(pane->presses, 2);
    EXPECT_EQ(b.form->commands.size(), 1u);
}

TEST(KvStatusBar, RescalesItsPanesInProportionWhenItsWidthChanges) {
    struct Case {
        int from, to;
        int paneWidth;
        int expected;  // every pane's width afterwards
    } cases[] = {
        {400, 500, 100, 125},  // 100 + round(100 x 0.25)
        {400, 402, 100, 100},  // 0.5 rounds to the even 0
        {400, 406, 100, 102},  // 1.5 rounds to the even 2
        {400, 300, 100, 75},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        auto bar = MakeOwned<TKvStatusBar>(nullptr);
        bar->SetAutoScalePanes(true);
        bar->SetWidth(c.from);  // the first width at 50 or more is only recorded
        TKvStatusPane* panes[3];
        for (int i = 0; i < 3; ++i) {
            panes[i] = new TKvStatusPane(bar.get());
            panes[i]->SetLeft(i * 200);
            panes[i]->SetAlign(alLeft);
            panes[i]->SetParent(bar.get());
            ASSERT_EQ(panes[i]->Width(), c.paneWidth);
        }
        bar->SetWidth(c.to);
        for (auto* p : panes) EXPECT_EQ(p->Width(), c.expected);
    }
}

TEST(KvStatusBar, ANarrowBarNeitherRescalesNorRecordsItsWidth) {
    auto bar = MakeOwned<TKvStatusBar>(nullptr);
    bar->SetAutoScalePanes(true);
    bar->SetWidth(40);
    auto* pane = new TKvStatusPane(bar.get());
    pane->SetWidth(20);
    pane->SetParent(bar.get());
    bar->SetWidth(30);
    EXPECT_EQ(pane->Width(), 20);
    bar->SetWidth(60);  // the first recorded width
    EXPECT_EQ(pane->Width(), 20);
    bar->SetWidth(120);
    EXPECT_EQ(pane->Width(), 40);
    bar->SetWidth(180);  // from the width recorded last
    EXPECT_EQ(pane->Width(), 60);
}

TEST(KvStatusBar, CustomGradientRunsFromTheStopColourToTheStartColour) {
    auto bar = MakeOwned<TKvStatusBar>(nullptr);
    bar->SetGradientColorStyle(gcsCustom);
    bar->SetGradientColorStart(clRed);
    bar->SetGradientColorStop(clBlue);
    TColor start = 0, stop = 0;
    bar->GetGradientColors(start, stop);
    EXPECT_EQ(start, clBlue);
    EXPECT_EQ(stop, clRed);
}

TEST(KvStatusBar, FrameStylePropertiesRefuseTheRoundedStyleAndTheLayoutStaysWritable) {
    RegisterKvStatusClasses();
    auto b = MakeBar(300);
    b.bar->SetName(u"Bar");
    auto* pane = new TKvStatusPane(b.form.get());
    pane->SetName(u"Pane");
    pane->SetParent(b.bar);
    pane->SetFrameStyle(fsLowered);
    b.bar->SetSimpleFrameStyle(fsRaised);
    auto controller = MakeOwned<TKvFrameController>(nullptr);

    struct Case {
        const char* property;
        std::function<void(TFrameStyleEx)> set;
        std::function<TFrameStyleEx()> get;
    };
    const Case cases[] = {
        {"pane FrameStyle", [&](TFrameStyleEx v) { pane->SetFrameStyle(v); },
         [&] { return TFrameStyleEx(pane->FrameStyle()); }},
        {"bar SimpleFrameStyle", [&](TFrameStyleEx v) { b.bar->SetSimpleFrameStyle(v); },
         [&] { return TFrameStyleEx(b.bar->SimpleFrameStyle()); }},
        {"frame controller FrameStyle", [&](TFrameStyleEx v) { controller->SetFrameStyle(v); },
         [&] { return TFrameStyleEx(controller->FrameStyle()); }},
    };
    for (const auto& tc : cases) {
        const TFrameStyleEx before = tc.get();
        try {
            tc.set(fsFlatRounded);
            ADD_FAILURE() << tc.property << " took fsFlatRounded";
        } catch (const ERangeError& e) {
            EXPECT_EQ(e.Message(), u"fsFlatRounded is not a TFrameStyle") << tc.property;
        }
        EXPECT_EQ(tc.get(), before) << tc.property;
    }

    // The layout writes the styles kept and reads back.
    const std::string text = WriteComponentToText(b.form.get());
    EXPECT_NE(text.find("FrameStyle = fsLowered"), std::string::npos) << text;
    EXPECT_NE(text.find("SimpleFrameStyle = fsRaised"), std::string::npos) << text;
    auto again = MakeOwned<TForm>(nullptr);
    ReadComponentFromText(again.get(), text);
    EXPECT_EQ(dynamic_cast<TKvStatusPane*>(again->FindComponent(u"Pane"))->FrameStyle(), fsLowered);
    EXPECT_EQ(dynamic_cast<TKvStatusBar*>(again->FindComponent(u"Bar"))->SimpleFrameStyle(), fsRaised);
}

}  // namespace
