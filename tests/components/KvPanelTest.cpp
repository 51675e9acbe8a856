#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "Forms.h"
#include "KvPanel.h"
#include "PixelPicture.h"
#include "Settings.h"

namespace {

// A panel that counts its realignments and repaint requests and records the
// rectangles it is asked to repaint.
class TCountingPanel : public TKvCustomPanel {
public:
    using TKvCustomPanel::TKvCustomPanel;
    int aligns = 0;
    int invalidates = 0;
    std::vector<TRect> strips;
    void Invalidate() override {
        ++invalidates;
        TKvCustomPanel::Invalidate();
    }
    void InvalidateRect(const TRect& r) override {
        strips.push_back(r);
        TKvCustomPanel::InvalidateRect(r);
    }

protected:
    void AlignControls(TControl* c, TRect& r) override {
        ++aligns;
        TKvCustomPanel::AlignControls(c, r);
    }
};

TColor Shade(TColor c, int adjustment) { return ColorToRGB(AdjustColor(c, adjustment)); }

TEST(KvPanel, StartsWithItsDocumentedValues) {
    auto p = MakeOwned<TKvCustomPanel>(nullptr);
    EXPECT_EQ(p->AlignmentVertical(), avCenter);
    EXPECT_EQ(p->BorderInner(), fsNone);
    EXPECT_EQ(p->BorderOuter(), fsRaised);
    EXPECT_EQ(p->BorderSides(), sdAllSides);
    EXPECT_EQ(p->BorderColor(), clBtnFace);
    EXPECT_EQ(p->BorderHighlight(), clBtnHighlight);
    EXPECT_EQ(p->BorderShadow(), clBtnShadow);
    EXPECT_EQ(p->FlatColor(), clBtnShadow);
    EXPECT_EQ(p->FlatColorAdjustment(), 30);
    EXPECT_TRUE(p->PaintClientArea());
    EXPECT_EQ(p->VisualStyle(), vsWinXP);
    EXPECT_EQ(p->GradientColorStyle(), gcsSystem);
    EXPECT_EQ(p->GradientColorStart(), 0x00FFFFFFu);
    EXPECT_EQ(p->GradientColorStop(), clBtnFace);
    EXPECT_EQ(p->GradientDirection(), gdHorizontalEnd);
    EXPECT_EQ(p->GridColor(), clBtnShadow);
    EXPECT_EQ(p->GridStyle(), gsDots);
    EXPECT_EQ(p->GridXSize(), 8);
    EXPECT_EQ(p->GridYSize(), 8);
    EXPECT_FALSE(p->ShowGrid());
    EXPECT_FALSE(p->Transparent());
    EXPECT_EQ(p->TextMargin(), 0);
    EXPECT_EQ(p->TextMarginVertical(), 0);
    EXPECT_TRUE(p->WordWrap());
    EXPECT_TRUE(p->ShowDockClientCaptions());
    EXPECT_EQ(p->FrameController(), nullptr);
    EXPECT_EQ(p->FrameControllerNotifications(), fccAll);
    EXPECT_EQ(p->BevelOuter(), bvNone);
    EXPECT_EQ(p->BevelInner(), bvNone);
    EXPECT_TRUE(p->ControlStyle().Contains(csOpaque));
    EXPECT_FALSE(p->ControlStyle().Contains(csSetCaption));
    EXPECT_FALSE(p->ControlStyle().Contains(csParentBackground));
}

struct ClientCase {
    const char* name;
    TFrameStyleEx outer, inner;
    TSides sides;
    int borderWidth, bevelWidth, width, height;
    TRect client;      // GetClientRect
    TRect alignArea;   // where an alClient child ends up
};

TEST(KvPanel, ClientAreaLiesInsideFramesAndBorderBand) {
    const ClientCase cases[] = {
        {"defaults", fsRaised, fsNone, sdAllSides, 0, 1, 200, 30, Rect(2, 2, 198, 28), Rect(2, 2, 198, 28)},
        {"toolbar", fsGroove, fsNone, {sdTop}, 0, 1, 1025, 29, Rect(0, 2, 1025, 29), Rect(0, 2, 1025, 29)},
        {"status bar", fsNone, fsNone, sdAllSides, 0, 1, 1025, 19, Rect(0, 0, 1025, 19), Rect(0, 0, 1025, 19)},
        {"status bevel", fsStatus, fsFlat, sdAllSides, 0, 3, 100, 40, Rect(4, 4, 96, 36), Rect(4, 4, 96, 36)},
        {"partial band", fsNone, fsNone, {sdTop}, 4, 1, 100, 40, Rect(0, 0, 100, 40), Rect(4, 4, 96, 36)},
        {"band and frames", fsFlat, fsRaised, {sdLeft, sdBottom}, 2, 1, 100, 40, Rect(3, 0, 100, 37),
         Rect(5, 2, 98, 35)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto p = MakeOwned<TKvCustomPanel>(nullptr);
        p->SetBounds(0, 0, c.width, c.height);
        p->SetBorderOuter(c.outer);
        p->SetBorderInner(c.inner);
        p->SetBorderSides(c.sides);
        p->SetBorderWidth(c.borderWidth);
        p->SetBevelWidth(c.bevelWidth);
        auto* child = new TKvCustomPanel(p.get());
        child->SetAlign(alClient);
        child->SetParent(p.get());
        EXPECT_EQ(p->ClientRect(), c.client);
        EXPECT_EQ(child->BoundsRect(), c.alignArea);
    }
}

TEST(KvPanel, ABorderBandIsPaintedOnlyOnItsSides) {
    auto p = MakeOwned<TKvCustomPanel>(nullptr);
    p->SetBounds(0, 0, 12, 10);
    p->SetBorderOuter(fsNone);
    p->SetBorderSides({sdTop});
    p->SetBorderWidth(4);
    p->SetBorderColor(clRed);
    p->SetColor(clYellow);
    TBitmap bmp;
    p->GetImage(bmp);
    const TPalette pal{{ColorToRGB(clRed), 'B'}, {ColorToRGB(clYellow), '.'}};
    EXPECT_EQ(Picture(bmp, pal), (TPicture{"BBBBBBBBBBBB", "BBBBBBBBBBBB", "BBBBBBBBBBBB", "BBBBBBBBBBBB",
                                           "............", "............", "............", "............",
                                           "............", "............"}));
}

TEST(KvPanel, WritersRealignOrRepaintOnlyWhenTheValueChanges) {
    auto p = MakeOwned<TCountingPanel>(nullptr);
    struct Writer {
        const char* name;
        std::function<void(int)> set;  // 0: the current value, 1: another one
        bool realigns;
    };
    TCountingPanel& q = *p;
    const Writer writers[] = {
        {"BorderOuter", [&](int v) { q.SetBorderOuter(v ? fsFlat : fsRaised); }, true},
        {"BorderInner", [&](int v) { q.SetBorderInner(v ? fsFlat : fsNone); }, true},
        {"BorderSides", [&](int v) { q.SetBorderSides(v ? TSides{sdTop} : sdAllSides); }, true},
        {"BorderColor", [&](int v) { q.SetBorderColor(v ? clRed : clBtnFace); }, false},
        {"AlignmentVertical", [&](int v) { q.SetAlignmentVertical(v ? avTop : avCenter); }, false},
        {"FlatColorAdjustment", [&](int v) { q.SetFlatColorAdjustment(v ? 0 : 30); }, false},
        {"GridXSize", [&](int v) { q.SetGridXSize(v ? 4 : 8); }, false},
        {"VisualStyle", [&](int v) { q.SetVisualStyle(v ? vsGradient : vsWinXP); }, false},
        {"WordWrap", [&](int v) { q.SetWordWrap(v == 0); }, false},
        {"GradientColorStop", [&](int v) { q.SetGradientColorStop(v ? clRed : clBtnFace); }, false},
    };
    for (const auto& w : writers) {
        SCOPED_TRACE(w.name);
        q.aligns = q.invalidates = 0;
        w.set(0);
        EXPECT_EQ(q.aligns, 0);
        EXPECT_EQ(q.invalidates, 0);
        w.set(1);
        EXPECT_EQ(q.aligns, w.realigns ? 1 : 0);
        EXPECT_EQ(q.invalidates, 1);
        w.set(0);  // back to the default for the next writer
    }
}

TEST(KvPanel, DisablingRemembersWhichChildrenWereEnabled) {
    auto p = MakeOwned<TKvCustomPanel>(nullptr);
    TControl* kids[3];
    for (auto*& k : kids) {
        k = new TKvCustomPanel(p.get());
        k->SetParent(p.get());
    }
    kids[1]->SetEnabled(false);

    p->SetEnabled(false);
    for (TControl* k : kids) EXPECT_FALSE(k->Enabled());
    auto* late = new TKvCustomPanel(p.get());  // joins while the panel is disabled
    late->SetEnabled(false);
    late->SetParent(p.get());

    p->SetEnabled(true);
    EXPECT_TRUE(kids[0]->Enabled());
    EXPECT_FALSE(kids[1]->Enabled());
    EXPECT_TRUE(kids[2]->Enabled());
    EXPECT_TRUE(late->Enabled());

    // The next disabling records afresh.
    kids[1]->SetEnabled(true);
    kids[0]->SetEnabled(false);
    p->SetEnabled(false);
    p->SetEnabled(true);
    EXPECT_FALSE(kids[0]->Enabled());
    EXPECT_TRUE(kids[1]->Enabled());
}

// A form holding one panel, read from a stored layout.
class TPanelForm : public TForm {
public:
    TPanelForm(TComponent* owner, std::string_view layout) : TForm(owner) {
        RegisterField(u"Panel1", Panel1);
        ReadLayout(layout);
    }
    TKvCustomPanel* Panel1 = nullptr;
};

std::string PanelLayout(const std::string& properties) {
    return "object Form1: TForm\n  object Panel1: TKvCustomPanel\n" + properties + "  end\nend\n";
}

TEST(KvPanel, OlderStoredNamesAreReadButNeverWritten) {
    RegisterKvPanelClasses();
    struct Case {
        std::string properties;
        TKvVisualStyle style;
    } cases[] = {
        {"    UseGradients = True\n", vsGradient},
        {"    UseGradients = False\n", vsWinXP},
        {"    FrameSides = [sdLeft, sdTop]\n    ThemeAware = False\n", vsWinXP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.properties);
        auto form = MakeOwned<TPanelForm>(nullptr, PanelLayout(c.properties));
        ASSERT_NE(form->Panel1, nullptr);
        EXPECT_EQ(form->Panel1->VisualStyle(), c.style);
        EXPECT_EQ(form->Panel1->BorderSides(), sdAllSides);
        const std::string written = WriteComponentToText(form.get());
        EXPECT_EQ(written.find("UseGradients"), std::string::npos);
        EXPECT_EQ(written.find("FrameSides"), std::string::npos);
        EXPECT_EQ(written.find("ThemeAware"), std::string::npos);
    }
}

TEST(KvPanel, StoredPropertiesRoundTripAndDefaultsAreLeftOut) {
    RegisterKvPanelClasses();
    auto form = MakeOwned<TPanelForm>(nullptr, PanelLayout("    BorderOuter = fsGroove\n    BorderSides = [sdTop]\n"
                                                           "    GradientColorStyle = gcsCustom\n"));
    const std::string written = WriteComponentToText(form.get());
    EXPECT_NE(written.find("BorderOuter = fsGroove"), std::string::npos);
    EXPECT_NE(written.find("BorderSides = [sdTop]"), std::string::npos);
    EXPECT_NE(written.find("GradientColorStyle = gcsCustom"), std::string::npos);
    EXPECT_EQ(written.find("BevelOuter"), std::string::npos);  // the panel's own default
    EXPECT_EQ(written.find("VisualStyle"), std::string::npos);
    EXPECT_EQ(written.find("FlatColorAdjustment"), std::string::npos);
}

// Text is drawn smoothed: a pixel is ink when every channel is near the
// text colour.
bool IsInk(TColor pixel, TColor ink) {
    const TColor c = ColorToRGB(ink);
    return std::abs(GetRValue(pixel) - GetRValue(c)) < 0x30 && std::abs(GetGValue(pixel) - GetGValue(c)) < 0x30 &&
           std::abs(GetBValue(pixel) - GetBValue(c)) < 0x30;
}

// The smallest rectangle holding the panel's pixels of the ink colour.
TRect CaptionInk(TKvCustomPanel& p, TColor ink) {
    TBitmap bmp;
    p.GetImage(bmp);
    TRect found{p.Width(), p.Height(), 0, 0};
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x)
            if (IsInk(bmp.Canvas().Pixel(x, y), ink)) {
                found.Left = std::min(found.Left, x);
                found.Top = std::min(found.Top, y);
                found.Right = std::max(found.Right, x + 1);
                found.Bottom = std::max(found.Bottom, y + 1);
            }
    return found;
}

TEST(KvPanel, CaptionBoxIsPlacedByVerticalAlignment) {
    auto p = MakeOwned<TKvCustomPanel>(nullptr);
    p->SetBounds(0, 0, 60, 34);
    p->SetCaption(u"A");
    const TRect client = p->ClientRect();
    ASSERT_EQ(client, Rect(2, 2, 58, 32));  // 30 pixels high inside the raised frame
    const unsigned flags = DrawTextWordWrap[1] | DT_EXPANDTABS | DT_VCENTER | DrawTextAlignments[p->Alignment()];
    TBitmap probe(1, 1);
    probe.Canvas().Font().Assign(p->Font());
    TRect measured = client;
    const int h = DrawString(probe.Canvas(), u"A", measured, flags | DT_CALCRECT);

    // The box the caption is drawn into: the text's height at the top, in
    // the middle, or one pixel more than it at the bottom.
    const struct {
        TAlignmentVertical align;
        TRect box;
    } cases[] = {
        {avTop, Rect(2, 2, 58, 2 + h)},
        {avCenter, Rect(2, (2 + 32 - h) / 2, 58, (2 + 32 - h) / 2 + h)},
        {avBottom, Rect(2, 32 - h - 1, 58, 32)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.align);
        p->SetAlignmentVertical(c.align);
        TBitmap bmp;
        p->GetImage(bmp);
        TBitmap ref(60, 34);
        Fill(ref, ColorToRGB(clBtnFace));
        ref.Canvas().Font().Assign(p->Font());
        ref.Canvas().Brush().SetStyle(bsClear);
        TRect box = c.box;
        DrawString(ref.Canvas(), u"A", box, flags);
        for (int y = client.Top; y < client.Bottom; ++y)
            for (int x = client.Left; x < client.Right; ++x)
                ASSERT_EQ(bmp.Canvas().Pixel(x, y), ref.Canvas().Pixel(x, y)) << x << "," << y;
    }
}

TEST(KvPanel, ADisabledPanelDrawsItsCaptionGrey) {
    auto p = MakeOwned<TKvCustomPanel>(nullptr);
    p->SetBounds(0, 0, 60, 30);
    p->SetBorderOuter(fsNone);
    p->SetCaption(u"H");
    p->Font().SetColor(clRed);
    EXPECT_FALSE(CaptionInk(*p, clRed).IsEmpty());
    p->SetEnabled(false);
    EXPECT_TRUE(CaptionInk(*p, clRed).IsEmpty());
    EXPECT_FALSE(CaptionInk(*p, clGrayText).IsEmpty());
}

TEST(KvPanel, ResizingRepaintsOnlyTheStripsHoldingTheRightAndBottomFrames) {
    auto p = MakeOwned<TCountingPanel>(nullptr);
    p->SetBounds(0, 0, 100, 40);
    p->SetFullRepaint(false);
    p->strips.clear();
    p->invalidates = 0;

    p->SetBounds(0, 0, 120, 40);  // wider: the right strip of the old size, from 1 pixel inside the frame
    EXPECT_EQ(p->strips, (std::vector<TRect>{Rect(97, 0, 100, 40)}));
    p->strips.clear();
    p->SetBounds(0, 0, 120, 50);  // taller: the bottom strip
    EXPECT_EQ(p->strips, (std::vector<TRect>{Rect(0, 37, 120, 40)}));
    p->strips.clear();
    p->SetBounds(5, 5, 120, 50);  // moved only: nothing
    EXPECT_TRUE(p->strips.empty());
    EXPECT_EQ(p->invalidates, 0);

    p->SetCaption(u"x");  // a caption moves with the size: everything repaints
    EXPECT_EQ(p->invalidates, 1);
    p->invalidates = 0;
    p->SetBounds(5, 5, 100, 50);
    EXPECT_TRUE(p->strips.empty());
    EXPECT_EQ(p->invalidates, 1);
}

TEST(KvPanel, BottomAndRightAlignedPanelsKeepTheirOuterEdge) {
    auto host = MakeOwned<TKvCustomPanel>(nullptr);
    auto* bottom = new TKvCustomPanel(host.get());
    bottom->SetBounds(0, 100, 50, 30);
    bottom->SetAlign(alBottom);
    bottom->SetHeight(20);
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, 110, 50, 130));
    auto* right = new TKvCustomPanel(host.get());
    right->SetBounds(100, 0, 30, 50);
    right->SetAlign(alRight);
    right->SetWidth(10);
    EXPECT_EQ(right->BoundsRect(), Rect(120, 0, 130, 50));
}

TEST(KvPanel, RoundedFramesGetTheirInnerCornerPixels) {
    auto p = MakeOwned<TKvCustomPanel>(nullptr);
    p->SetBounds(0, 0, 8, 7);
    p->SetBorderOuter(fsFlatRounded);
    p->SetColor(clYellow);
    TBitmap bmp;
    p->GetImage(bmp);
    const TColor flat = Shade(clBtnShadow, 30);
    const TPalette pal{{flat, 'F'}, {ColorToRGB(clYellow), '.'}, {ColorToRGB(clBtnFace), 'p'}};
    EXPECT_EQ(Picture(bmp, pal), (TPicture{"ppFFFFpp", "pF....Fp", "F......F", "F......F", "F......F", "pF....Fp",
                                           "ppFFFFpp"}));
}

TEST(KvPanel, TransparentPanelShowsItsParentBehindFramesAndCaption) {
    auto host = MakeOwned<TKvCustomPanel>(nullptr);
    host->SetBounds(0, 0, 40, 30);
    host->SetBorderOuter(fsNone);
    host->SetColor(clAqua);
    auto* p = new TKvCustomPanel(host.get());
    p->SetBounds(10, 5, 20, 20);
    p->SetColor(clYellow);
    p->SetParent(host.get());
    p->SetTransparent(true);
    EXPECT_FALSE(p->ControlStyle().Contains(csOpaque));
    TBitmap bmp;
    host->GetImage(bmp);
    // The raised frame as the kit draws it, over the parent's colour.
    TBitmap frame(20, 20);
    Fill(frame, ColorToRGB(clAqua));
    DrawBorder(frame.Canvas(), Rect(0, 0, 20, 20), fsRaised);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(bmp.Canvas().Pixel(10 + x, 5 + y), frame.Canvas().Pixel(x, y));
    EXPECT_EQ(bmp.Canvas().Pixel(20, 15), ColorToRGB(clAqua));  // no background of its own
}

TEST(KvPanel, GridStylesMarkEveryCellCorner) {
    const TColor grid = clRed;
    const TPalette pal{{ColorToRGB(grid), '#'}, {ColorToRGB(clWhite), '.'}};
    struct Case {
        TKvGridStyle style;
        TPicture picture;
    } cases[] = {
        {gsDots, {"......", "...#..", "......", "...#..", "......"}},
        {gsSolidLines, {"...#..", "######", "...#..", "######", "...#.."}},
        {gsDottedLines, {"......", ".#.#.#", "......", ".#.#.#", "......"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        auto p = MakeOwned<TKvCustomPanel>(nullptr);
        p->SetBounds(0, 0, 6, 5);
        p->SetBorderOuter(fsNone);
        p->SetColor(clWhite);
        p->SetGridColor(grid);
        p->SetGridSize(4, 2);
        p->SetGridStyle(c.style);
        p->SetShowGrid(true);
        TBitmap bmp;
        p->GetImage(bmp);
        EXPECT_EQ(Picture(bmp, pal), c.picture);
    }
}

TEST(KvPanel, GradientStyleFillsWithTheCustomColours) {
    auto p = MakeOwned<TKvCustomPanel>(nullptr);
    p->SetBounds(0, 0, 10, 50);
    p->SetBorderOuter(fsNone);
    p->SetVisualStyle(vsGradient);
    p->SetGradientColorStyle(gcsCustom);
    p->SetGradientColorStart(clRed);
    p->SetGradientColorStop(clBlue);
    TBitmap bmp;
    p->GetImage(bmp);
    EXPECT_EQ(bmp.Canvas().Pixel(5, 0), ColorToRGB(clRed));  // from the top to the bottom
    EXPECT_EQ(bmp.Canvas().Pixel(5, 49), ColorToRGB(clBlue));
}

TEST(KvPanel, FollowsTheColourItIsGivenAndRereadsTheSchemeOnThemeChange) {
    auto p = MakeOwned<TKvCustomPanel>(nullptr);
    p->SetColor(clRed);
    p->SetParentColor(true);
    p->Loaded();  // the colour chosen last comes back, parent colour or not
    EXPECT_EQ(p->Color(), clRed);
    EXPECT_TRUE(p->ParentColor());  // writing the colour it already has changes nothing

    const auto dir = testing::TempDir() + "lumivar-panel-scheme.ini";
    {
        FILE* f = std::fopen(dir.c_str(), "w");
        std::fputs("[ThemeManager]\nColorName=Metallic\n", f);
        std::fclose(f);
    }
    SetSettingsFileName(S(dir));
    const TKvXPColorScheme before = CurrentXPColorScheme;
    p->Perform(WM_THEMECHANGED);
    EXPECT_EQ(CurrentXPColorScheme, xpcsSilver);
    SetSettingsFileName(String());
    CurrentXPColorScheme = before;
    std::remove(dir.c_str());
}

TEST(KvPanel, TakesAcceptedFrameSettingsFromAVisibleController) {
    auto p = MakeOwned<TKvCustomPanel>(nullptr);
    auto* controller = new TKvFrameController(nullptr);
    p->SetFrameController(controller);
    controller->SetFrameStyle(fsGroove);
    EXPECT_EQ(p->BorderOuter(), fsRaised);  // the controller's frame is not visible yet

    p->SetFrameControllerNotifications(fccAll - fcpFrameSides);
    controller->SetFrameSides({sdTop});
    controller->SetFrameColor(clRed);
    controller->SetColor(clYellow);
    controller->SetFrameVisible(true);
    EXPECT_EQ(p->BorderOuter(), fsGroove);
    EXPECT_EQ(p->BorderSides(), sdAllSides);  // not accepted
    EXPECT_EQ(p->FlatColor(), clRed);
    EXPECT_EQ(p->FlatColorAdjustment(), 0);
    EXPECT_EQ(p->Color(), clYellow);
    EXPECT_EQ(p->BorderHighlight(), LighterColor(clYellow, 100));
    EXPECT_EQ(p->BorderShadow(), DarkerColor(clYellow, 50));

    controller->Free();
    EXPECT_EQ(p->FrameController(), nullptr);
}

TEST(KvPanel, ADockSiteUsingADockManagerGetsOneAndIsDoubleBuffered) {
    auto p = MakeOwned<TKvCustomPanel>(nullptr);
    p->CreateDockManager();
    EXPECT_EQ(p->DockManager(), nullptr);
    p->SetDockSite(true);
    p->SetUseDockManager(true);
    p->CreateDockManager();
    ASSERT_NE(p->DockManager(), nullptr);
    EXPECT_EQ(p->DockManager()->DockSite(), p.get());
    EXPECT_TRUE(p->DoubleBuffered());
    // A dock site's client rectangle is the whole panel.
    p->SetBounds(0, 0, 50, 20);
    EXPECT_EQ(p->ClientRect(), Rect(0, 0, 50, 20));
}

// A windowless child with a published Transparent property.
class TSeeThrough : public TGraphicControl {
public:
    LV_CLASS_NAME(TSeeThrough)
    using TGraphicControl::TGraphicControl;
    bool transparent = true;
    int invalidates = 0;
    bool Transparent() const { return transparent; }
    void SetTransparent(bool v) { transparent = v; }
    void Invalidate() override { ++invalidates; }
};

TEST(KvPanel, GradientChangesRepaintTransparentChildren) {
    RegisterKvPanelClasses();
    TClassBuilder<TSeeThrough>(u"TSeeThrough", u"TGraphicControl")
        .Boolean(u"Transparent", &TSeeThrough::Transparent, &TSeeThrough::SetTransparent, false);
    auto p = MakeOwned<TKvCustomPanel>(nullptr);
    auto* clear = new TSeeThrough(p.get());
    clear->SetParent(p.get());
    auto* solid = new TSeeThrough(p.get());
    solid->transparent = false;
    solid->SetParent(p.get());
    clear->invalidates = solid->invalidates = 0;

    p->SetGradientDirection(gdVerticalEnd);
    p->SetGradientColorStart(clRed);
    EXPECT_EQ(clear->invalidates, 2);
    EXPECT_EQ(solid->invalidates, 0);
}

}  // namespace
