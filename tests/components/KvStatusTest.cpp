#include <gtest/gtest.h>

#include "Forms.h"
#include "KvPanel.h"
#include "KvStatus.h"
#include "PixelPicture.h"
#include "Platform.h"

namespace {

// A pane that counts its repaint requests and paints.
template <class Base>
class TCounting : public Base {
public:
    using Base::Base;
    int invalidates = 0;
    int paints = 0;
    void Invalidate() override {
        ++invalidates;
        Base::Invalidate();
    }

protected:
    void Paint() override {
        ++paints;
        Base::Paint();
    }
};

// A borderless host in the face colour with panes on it.
TOwned<TKvCustomPanel> MakeHost(int width = 200, int height = 20) {
    auto host = MakeOwned<TKvCustomPanel>(nullptr);
    host->SetBounds(0, 0, width, height);
    host->SetBorderOuter(fsNone);
    return host;
}

template <class Pane = TKvStatusPane>
Pane* AddPane(TWinControl* parent, const String& caption = String()) {
    auto* p = new Pane(parent);
    p->SetParent(parent);
    p->SetCaption(caption);
    return p;
}

TEST(KvStatusPane, StartsWithItsDocumentedValues) {
    auto host = MakeHost();
    auto* p = AddPane(host.get());
    EXPECT_EQ(p->Alignment(), taLeftJustify);
    EXPECT_FALSE(p->AutoSize());
    EXPECT_FALSE(p->AutoHint());
    EXPECT_EQ(p->DefaultWidth(), 40);
    EXPECT_EQ(p->BlinkColor(), clHighlight);
    EXPECT_EQ(p->BlinkState(), bsOn);
    EXPECT_FALSE(p->Blinking());
    EXPECT_EQ(p->GetBlinkIntervalOff(), 500);
    EXPECT_EQ(p->GetBlinkIntervalOn(), 500);
    EXPECT_EQ(p->BorderWidth(), 1);
    EXPECT_EQ(p->CaptionOffset(), 2);
    EXPECT_TRUE(p->ParentFillColor());
    EXPECT_EQ(p->FillColor(), host->Color());  // follows the parent's colour
    EXPECT_EQ(p->FlatColor(), clBtnShadow);
    EXPECT_EQ(p->FlatColorAdjustment(), 30);
    EXPECT_EQ(p->FrameStyle(), fsFlat);
    EXPECT_EQ(p->FrameControllerNotifications(), fccAll);
    EXPECT_TRUE(p->Transparent());
    EXPECT_FALSE(p->ControlStyle().Contains(csOpaque));
    EXPECT_TRUE(p->ParentColor());
    EXPECT_EQ(p->Width(), 100);
    EXPECT_EQ(p->Height(), 20);
}

TEST(KvStatusPane, CaptionRectangleLeavesRoomForBorderAndFrame) {
    const std::pair<TFrameStyleEx, int> insets[] = {
        {fsNone, 1},  {fsFlat, 2},       {fsStatus, 2}, {fsPopup, 2},    {fsGroove, 3},  {fsBump, 3},
        {fsLowered, 3}, {fsButtonDown, 3}, {fsRaised, 3}, {fsButtonUp, 3}, {fsFlatBold, 3},
    };
    auto host = MakeHost();
    auto* p = AddPane(host.get());
    for (auto [style, inset] : insets) {
        SCOPED_TRACE(style);
        p->SetFrameStyle(style);
        EXPECT_EQ(p->GetCaptionRect(), Rect(inset, inset, 100 - inset, 20 - inset));
    }
    p->SetFrameStyle(fsFlat);
    p->SetBorderWidth(3);
    EXPECT_EQ(p->GetCaptionRect(), Rect(4, 4, 96, 16));
}

// The caption as a reference canvas draws it: the pane's font and colour,
// reference point X at the top Y, clipped to the caption rectangle.
std::unique_ptr<TBitmap> ReferenceCaption(TKvStatusPane& p, const String& text, unsigned align, int x) {
    auto ref = std::make_unique<TBitmap>(p.Width(), p.Height());
    Fill(*ref, ColorToRGB(clBtnFace));
    TCanvas& c = ref->Canvas();
    c.Font().Assign(p.Font());
    c.Font().SetColor(p.CurrentColor());
    const TRect r = p.GetCaptionRect();
    const int y = r.Top + (r.Bottom - r.Top - c.TextHeight(u"Pp")) / 2;
    c.SetTextAlign(align | TA_TOP);
    c.Brush().SetStyle(bsClear);
    c.TextRect(r, x, y, text);
    return ref;
}

void ExpectCaptionLike(TKvCustomPanel& host, TKvStatusPane& p, const std::unique_ptr<TBitmap>& ref) {
    TBitmap bmp;
    host.GetImage(bmp);
    const TRect r = p.GetCaptionRect();
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            ASSERT_EQ(bmp.Canvas().Pixel(p.Left() + x, p.Top() + y), ref->Canvas().Pixel(x, y)) << x << "," << y;
}

TEST(KvStatusPane, CaptionIsAnchoredByItsAlignmentWithAmpersandsShown) {
    auto host = MakeHost();
    auto* p = AddPane(host.get(), u"Info: 1&2");
    p->SetLeft(10);
    p->Font().SetColor(clNavy);  // a font change records the caption colour
    EXPECT_EQ(p->CurrentColor(), clNavy);
    // Left: caption rectangle left 2, plus offset 2, plus 1.
    ExpectCaptionLike(*host, *p, ReferenceCaption(*p, u"Info: 1&2", TA_LEFT, 5));
    p->SetAlignment(taRightJustify);
    ExpectCaptionLike(*host, *p, ReferenceCaption(*p, u"Info: 1&2", TA_RIGHT, 95));
    p->SetAlignment(taCenter);
    ExpectCaptionLike(*host, *p, ReferenceCaption(*p, u"Info: 1&2", TA_CENTER, 50));
    p->SetAlignment(taLeftJustify);
    p->SetBiDiMode(bdRightToLeft);  // left and right change places
    ExpectCaptionLike(*host, *p, ReferenceCaption(*p, u"Info: 1&2", TA_RIGHT, 95));
}

TEST(KvStatusPane, AFlatFrameLeavesItsCornersAndOtherStylesUseTheKit) {
    auto host = MakeHost(8, 6);
    host->SetColor(clWhite);
    auto* p = AddPane(host.get());
    p->SetBounds(0, 0, 8, 6);
    const TColor flat = ColorToRGB(AdjustColor(clBtnShadow, 30));
    TBitmap bmp;
    host->GetImage(bmp);
    const TPalette pal{{ColorToRGB(clWhite), '.'}, {flat, 'f'}};
    EXPECT_EQ(Picture(bmp, pal), (TPicture{"........", "..ffff..", ".f....f.", ".f....f.", "..ffff..", "........"}));

    p->SetFrameStyle(fsGroove);
    host->GetImage(bmp);
    TBitmap ref(8, 6);
    Fill(ref, ColorToRGB(clWhite));
    DrawBorder(ref.Canvas(), Rect(1, 1, 7, 5), fsGroove);
    EXPECT_EQ(Picture(bmp, pal), Picture(ref, pal));
}

TEST(KvStatusPane, AnOpaquePaneFillsItselfAndItsCaptionArea) {
    auto host = MakeHost();
    host->SetColor(clWhite);
    auto* p = AddPane(host.get());
    p->SetTransparent(false);
    TBitmap bmp;
    host->GetImage(bmp);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 0), ColorToRGB(clWhite));  // its colour follows the parent
    p->SetParentColor(false);
    p->SetColor(clYellow);
    EXPECT_EQ(p->FillColor(), clYellow);
    p->SetFillColor(clAqua);
    EXPECT_FALSE(p->ParentFillColor());
    host->GetImage(bmp);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 0), ColorToRGB(clYellow));  // the pane's colour outside the frame
    EXPECT_EQ(bmp.Canvas().Pixel(50, 10), ColorToRGB(clAqua));  // the fill colour inside
    p->SetParentFillColor(true);
    EXPECT_EQ(p->FillColor(), clYellow);
}

TEST(KvStatusPane, ADisabledPaneDrawsItsCaptionInGrey) {
    auto host = MakeHost();
    auto* p = AddPane(host.get(), u"WWWW");
    p->Font().SetColor(clRed);
    p->SetEnabled(false);
    TBitmap bmp;
    host->GetImage(bmp);
    bool grey = false, red = false;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x) {
            grey |= bmp.Canvas().Pixel(x, y) == ColorToRGB(clGrayText);
            red |= GetRValue(bmp.Canvas().Pixel(x, y)) > 0xC0 && GetGValue(bmp.Canvas().Pixel(x, y)) < 0x40;
        }
    EXPECT_TRUE(grey);
    EXPECT_FALSE(red);
}

TEST(KvStatusPane, AutoSizeFollowsTheCaption) {
    auto host = MakeHost(400);
    auto* p = AddPane(host.get());
    p->SetAutoSize(true);
    EXPECT_EQ(p->Width(), 40);  // the default width for an empty caption
    p->SetDefaultWidth(60);
    EXPECT_EQ(p->Width(), 60);

    TBitmap probe(1, 1);
    probe.Canvas().Font().Assign(p->Font());
    p->SetCaption(u"Error: 12");
    EXPECT_EQ(p->Width(), probe.Canvas().TextWidth(u"Error: 12") + 10);
    p->SetCaption(u"a\nwider line");  // a break: the widest line counts
    EXPECT_EQ(p->Width(), probe.Canvas().TextWidth(u"wider line") + 10);
    p->SetCaptionOffset(12);
    EXPECT_EQ(p->Width(), probe.Canvas().TextWidth(u"wider line") + 20);
    p->Font().SetHeight(-20);
    probe.Canvas().Font().Assign(p->Font());
    EXPECT_EQ(p->Width(), probe.Canvas().TextWidth(u"wider line") + 20);
}

TEST(KvStatusPane, TheSameCaptionAgainNeitherRepaintsNorResizes) {
    auto host = MakeHost(400);
    auto* p = AddPane<TCounting<TKvStatusPane>>(host.get(), u"Info: 3");
    p->SetAutoSize(true);
    const int width = p->Width();
    p->invalidates = 0;
    p->SetCaption(u"Info: 3");
    EXPECT_EQ(p->invalidates, 0);
    EXPECT_EQ(p->Width(), width);
    p->SetCaption(u"Info: 345");
    EXPECT_EQ(p->invalidates, 1);
    EXPECT_GT(p->Width(), width);
}

// ---------------------------------------------------------------------------
// Blinking

TEST(KvStatusPane, BlinkingPanesAlternateInStepOnTheSharedTimer) {
    auto host = MakeHost();
    auto* a = AddPane(host.get(), u"a");
    auto* b = AddPane(host.get(), u"b");
    auto* still = AddPane(host.get(), u"c");
    host->Font().SetColor(clNavy);  // reaches the panes as a font change
    const TColor font = clNavy;
    ASSERT_EQ(a->CurrentColor(), font);
    a->SetBlinkColor(clRed);
    b->SetBlinkColor(clBlue);
    a->SetBlinking(true);
    b->SetBlinking(true);
    ASSERT_NE(BlinkingControls, nullptr);
    ASSERT_EQ(BlinkingControls->BlinkState(), bsOff);

    BlinkingControls->TimerFired();  // to bsOn: the font colour, for the off interval
    EXPECT_EQ(a->CurrentColor(), font);
    EXPECT_EQ(a->BlinkState(), bsOff);
    BlinkingControls->TimerFired();  // to bsOff: the blink colour, for the on interval
    EXPECT_EQ(a->CurrentColor(), clRed);
    EXPECT_EQ(b->CurrentColor(), clBlue);
    EXPECT_EQ(a->BlinkState(), bsOn);
    EXPECT_EQ(still->CurrentColor(), font);

    a->Font().SetColor(clGreen);  // recorded, but the blink colour stays for this phase
    EXPECT_EQ(a->FontColor(), clGreen);
    EXPECT_EQ(a->CurrentColor(), clRed);
    a->Font().SetColor(font);

    a->SetBlinking(false);  // during the blink phase: the font colour comes back at once
    EXPECT_EQ(a->CurrentColor(), font);
    EXPECT_EQ(a->BlinkState(), bsOff);
    BlinkingControls->TimerFired();
    BlinkingControls->TimerFired();
    EXPECT_EQ(a->CurrentColor(), font);
    EXPECT_EQ(b->CurrentColor(), clBlue);
}

TEST(KvStatusPane, EachBlinkPhaseAndTheEndOfBlinkingArePaintedAtOnce) {
    auto form = MakeOwned<TForm>(nullptr);
    form->SetBounds(0, 0, 200, 40);
    auto* p = AddPane<TCounting<TKvStatusPane>>(form.get(), u"a");
    form->Show();
    ProcessPendingEvents();
    p->SetBlinking(true);
    p->paints = 0;
    p->invalidates = 0;
    BlinkingControls->TimerFired();
    BlinkingControls->TimerFired();
    EXPECT_EQ(p->paints, 2);
    p->SetBlinking(false);
    EXPECT_EQ(p->paints, 3);
    EXPECT_EQ(p->invalidates, 0);  // painted, not merely scheduled
    form->Hide();
}

TEST(KvStatusPane, BlinkIntervalsAreSharedAndTakenUpAtTheNextTick) {
    auto host = MakeHost();
    auto* a = AddPane(host.get());
    auto* b = AddPane(host.get());
    a->SetBlinkIntervalOn(300);
    b->SetBlinkIntervalOff(700);
    EXPECT_EQ(b->GetBlinkIntervalOn(), 300);
    EXPECT_EQ(a->GetBlinkIntervalOff(), 700);

    const TTimer& timer = BlinkingControls->Timer();
    EXPECT_TRUE(timer.Running());  // whether or not any pane blinks
    if (BlinkingControls->BlinkState() == bsOn) BlinkingControls->TimerFired();
    BlinkingControls->TimerFired();  // off -> on: the off interval follows
    EXPECT_EQ(timer.Interval(), 700u);
    BlinkingControls->TimerFired();  // on -> off: the on interval follows
    EXPECT_EQ(timer.Interval(), 300u);
    a->SetBlinkIntervalOn(500);
    a->SetBlinkIntervalOff(500);
}

TEST(KvStatusPane, TheBlinkListLivesFromTheFirstPaneToTheLast) {
    ASSERT_EQ(BlinkingControls, nullptr);
    auto host = MakeHost();
    auto* a = AddPane(host.get());
    ASSERT_NE(BlinkingControls, nullptr);
    EXPECT_EQ(BlinkingControls->GetCount(), 1);
    EXPECT_EQ(BlinkingControls->BlinkState(), bsOff);
    EXPECT_EQ(BlinkingControls->Timer().Interval(), 500u);
    auto* b = AddPane<TKvProgressStatus>(host.get());
    EXPECT_EQ(BlinkingControls->GetCount(), 2);
    a->Free();
    EXPECT_EQ(BlinkingControls->GetCount(), 1);
    b->Free();
    EXPECT_EQ(BlinkingControls, nullptr);
}

TEST(KvStatusPane, APaneFreedWhileBlinkingIsNoLongerTold) {
    auto host = MakeHost();
    auto* keep = AddPane(host.get());
    auto* gone = AddPane(host.get());
    gone->SetBlinking(true);
    keep->SetBlinking(true);
    gone->Free();
    BlinkingControls->TimerFired();
    BlinkingControls->TimerFired();
    EXPECT_EQ(keep->BlinkState(), bsOn);
}

// ---------------------------------------------------------------------------
// Hints, gradient bars, stored layouts

TEST(KvStatusPane, AnAutoHintPaneShowsTheApplicationsHint) {
    TOwned<TForm> form(new TForm(Application));
    auto* bar = new TKvStatusBar(form.get());
    bar->SetParent(form.get());
    auto* plain = AddPane(bar, u"plain");
    auto* hints = AddPane(bar);
    hints->SetAutoHint(true);
    Application->SetHint(u"Filtrar Erro");
    EXPECT_EQ(hints->Caption(), u"Filtrar Erro");
    EXPECT_EQ(plain->Caption(), u"plain");
    Application->SetHint(String());
    EXPECT_EQ(hints->Caption(), u"");
}

TEST(KvStatusPane, PanesOfAGradientBarAreDividedExceptAtTheLeftEdge) {
    auto form = MakeOwned<TForm>(nullptr);
    form->SetBounds(0, 0, 300, 40);
    auto* bar = new TKvStatusBar(form.get());
    bar->SetParent(form.get());
    bar->SetVisualStyle(vsGradient);
    bar->SetShowSizeGrip(false);
    for (int i = 0; i < 2; ++i) {
        auto* pane = AddPane(bar);
        pane->SetLeft(i * 200);
        pane->SetAlign(alLeft);
    }
    // Without visual styles the panes sit at x = -1 and x = 99, one pixel down.
    // A third one, not aligned, starts exactly at the bar's left edge.
    AddPane(bar)->SetBounds(0, 0, 50, 19);
    TColor start, stop, divider;
    GetGradientStatusBarColors(gcsSystem, start, stop, divider);
    TBitmap bmp;
    bar->GetImage(bmp);
    for (int y = 0; y < 19; ++y) {
        SCOPED_TRACE(y);
        EXPECT_EQ(bmp.Canvas().Pixel(100, y) == ColorToRGB(divider), y >= 3 && y < 18);
        EXPECT_NE(bmp.Canvas().Pixel(0, y), ColorToRGB(divider));
        EXPECT_NE(bmp.Canvas().Pixel(1, y), ColorToRGB(divider));
    }
}

// A form with a status bar and panes, read from a stored layout.
class TStatusForm : public TForm {
public:
    TStatusForm(TComponent* owner, std::string_view layout) : TForm(owner) {
        RegisterField(u"Pane1", Pane1);
        RegisterField(u"Pane2", Pane2);
        RegisterField(u"Progress1", Progress1);
        ReadLayout(layout);
    }
    TKvStatusPane* Pane1 = nullptr;
    TKvStatusPane* Pane2 = nullptr;
    TKvProgressStatus* Progress1 = nullptr;
};

constexpr std::string_view kStatusLayout = R"(object Form1: TForm
  Font.Color = clNavy
  object Bar1: TKvStatusBar
    object Pane1: TKvStatusPane
      Align = alLeft
      Caption = 'Info: 0'
    end
    object Pane2: TKvStatusPane
      Align = alLeft
      ParentColor = False
      Color = clYellow
    end
    object Progress1: TKvProgressStatus
      Visible = False
      PartsComplete = 5
      Percent = 7
      ShowPercent = True
      ParentShowHint = False
      TotalParts = 10
    end
  end
end
)";

TEST(KvStatusPane, LoadingRecordsTheFontColourAndMakesOwnColouredPanesOpaque) {
    RegisterKvStatusClasses();
    auto form = MakeOwned<TStatusForm>(nullptr, kStatusLayout);
    ASSERT_TRUE(form->Pane1 && form->Pane2);
    EXPECT_EQ(form->Pane1->FontColor(), clNavy);
    EXPECT_EQ(form->Pane1->CurrentColor(), clNavy);
    EXPECT_TRUE(form->Pane1->Transparent());
    EXPECT_FALSE(form->Pane2->Transparent());
    EXPECT_EQ(form->Pane2->FillColor(), clYellow);
}

// ---------------------------------------------------------------------------
// Progress pane

TEST(KvProgressStatus, StartsWithItsDocumentedValues) {
    auto host = MakeHost();
    auto* p = AddPane<TKvProgressStatus>(host.get());
    EXPECT_EQ(p->BackColor(), clBtnFace);
    EXPECT_EQ(p->BackColorStop(), clBtnFace);
    EXPECT_EQ(p->BarColor(), clHighlight);
    EXPECT_EQ(p->BarColorStop(), clHotLight);
    EXPECT_EQ(p->BarStyle(), bsTraditional);
    EXPECT_EQ(p->GradientDirection(), gdHorizontalCenter);
    EXPECT_EQ(p->NumSegments(), 15);
    EXPECT_EQ(p->PartsComplete(), 0u);
    EXPECT_EQ(p->Percent(), 0);
    EXPECT_FALSE(p->ShowPercent());
    EXPECT_FALSE(p->ShowParts());
    EXPECT_EQ(p->TotalParts(), 0u);
    EXPECT_TRUE(p->ShowHint());
}

TEST(KvProgressStatus, PercentIsRoundedToNearestWithHalvesToEven) {
    const struct {
        TUnsignedLongint total, parts;
        int percent;
    } cases[] = {
        {3, 1, 33}, {3, 2, 67}, {3, 3, 100}, {8, 1, 12}, {8, 3, 38}, {8, 5, 62}, {200, 1, 0}, {200, 3, 2},
    };
    auto host = MakeHost();
    auto* p = AddPane<TKvProgressStatus>(host.get());
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.parts << " of " << c.total);
        p->SetTotalParts(c.total);
        p->SetPartsComplete(c.parts);
        EXPECT_EQ(p->Percent(), c.percent);
    }
}

TEST(KvProgressStatus, PartsAreClampedToTheTotalAndANewTotalStartsAgain) {
    auto host = MakeHost();
    auto* p = AddPane<TKvProgressStatus>(host.get());
    p->SetPercent(40);
    p->SetPartsComplete(5);  // no total yet: clamped to 0, the percentage stays
    EXPECT_EQ(p->PartsComplete(), 0u);
    EXPECT_EQ(p->Percent(), 40);

    p->SetTotalParts(10);
    EXPECT_EQ(p->Percent(), 0);
    p->SetPartsComplete(25);
    EXPECT_EQ(p->PartsComplete(), 10u);
    EXPECT_EQ(p->Percent(), 100);
    p->SetTotalParts(10);  // the same total keeps the progress
    EXPECT_EQ(p->PartsComplete(), 10u);
    EXPECT_EQ(p->Percent(), 100);
    p->SetTotalParts(4);
    EXPECT_EQ(p->PartsComplete(), 0u);
    EXPECT_EQ(p->Percent(), 0);
    p->IncParts(3);
    EXPECT_EQ(p->Percent(), 75);
    p->IncPartsByOne();
    EXPECT_EQ(p->PartsComplete(), 4u);
    EXPECT_EQ(p->Percent(), 100);
}

TEST(KvProgressStatus, AnotherBarStyleSwitchesThePercentTextOff) {
    auto host = MakeHost();
    auto* p = AddPane<TKvProgressStatus>(host.get());
    p->SetShowPercent(true);
    p->SetBarStyle(bsTraditional);
    EXPECT_TRUE(p->ShowPercent());
    p->SetBarStyle(bsLED);
    EXPECT_FALSE(p->ShowPercent());
    p->SetNumSegments(0);
    EXPECT_EQ(p->NumSegments(), 1);  // 1 to 100 segments
}

TEST(KvProgressStatus, AStoredLayoutReadsPartsBeforeTheTotal) {
    RegisterKvStatusClasses();
    auto form = MakeOwned<TStatusForm>(nullptr, kStatusLayout);
    ASSERT_NE(form->Progress1, nullptr);
    EXPECT_EQ(form->Progress1->PartsComplete(), 0u);  // clamped to the total read so far
    EXPECT_EQ(form->Progress1->TotalParts(), 10u);
    EXPECT_EQ(form->Progress1->Percent(), 7);
    EXPECT_FALSE(form->Progress1->Visible());
    EXPECT_TRUE(form->Progress1->ShowPercent());

    form->Progress1->SetHint(u"never stored");
    const std::string written = WriteComponentToText(form.get());
    EXPECT_EQ(written.find("never stored"), std::string::npos);
    EXPECT_NE(written.find("TotalParts = 10"), std::string::npos);

    // A total read before the parts: the parts are kept, and still no
    // percentage is derived.
    auto totalFirst = MakeOwned<TStatusForm>(nullptr, R"(object Form1: TForm
  object Progress1: TKvProgressStatus
    TotalParts = 10
    Percent = 7
    PartsComplete = 5
  end
end
)");
    EXPECT_EQ(totalFirst->Progress1->PartsComplete(), 5u);
    EXPECT_EQ(totalFirst->Progress1->Percent(), 7);
}

TEST(KvProgressStatus, RepaintsAtOnceOnlyWhenThePercentageChanges) {
    auto form = MakeOwned<TForm>(nullptr);
    form->SetBounds(0, 0, 200, 40);
    auto* p = AddPane<TCounting<TKvProgressStatus>>(form.get());
    form->Show();
    ProcessPendingEvents();
    p->SetTotalParts(400);
    p->paints = 0;
    p->invalidates = 0;
    p->SetPartsComplete(1);  // 0.25 %: still 0
    p->SetPartsComplete(2);  // 0.5 %: still 0 (halves to even)
    EXPECT_EQ(p->paints, 0);
    p->SetPartsComplete(3);  // 0.75 %: 1
    EXPECT_EQ(p->paints, 1);
    EXPECT_EQ(p->invalidates, 0);  // painted, not merely scheduled
    form->Hide();
}

TEST(KvProgressStatus, PaintsTheBarInEachStyle) {
    auto host = MakeHost(104, 20);
    host->SetColor(clWhite);
    auto* p = AddPane<TKvProgressStatus>(host.get());
    p->SetBounds(0, 0, 104, 20);
    p->SetBarColor(clRed);
    p->SetBarColorStop(clRed);
    p->SetBackColor(clBlue);
    p->SetBackColorStop(clBlue);
    p->SetTotalParts(2);
    p->SetPartsComplete(1);
    // The bar runs over the caption rectangle (2, 2, 102, 18) less a row at top and bottom.
    for (TBarStyle style : {bsTraditional, bsGradient, bsLED}) {
        SCOPED_TRACE(style);
        p->SetBarStyle(style);
        TBitmap bmp;
        host->GetImage(bmp);
        EXPECT_EQ(bmp.Canvas().Pixel(6, 10), ColorToRGB(clRed));
        EXPECT_EQ(bmp.Canvas().Pixel(4, 2), ColorToRGB(clWhite));  // the row above the bar
        EXPECT_NE(bmp.Canvas().Pixel(98, 10), ColorToRGB(clRed));
    }
}

}  // namespace
