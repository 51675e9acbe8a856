#include <gtest/gtest.h>

#include "KvCommon.h"
#include "PixelPicture.h"

namespace {

constexpr TColor kPaper = 0x00FFFFFF;
constexpr TColor kU = 0x000000C0;  // an upper-left colour
constexpr TColor kW = 0x00C00000;  // a lower-right colour
const TPalette kPal{{kPaper, '.'}, {kU, 'U'}, {kW, 'W'}};

TEST(DrawSides, DrawsLowerRightLastAndShrinksEachFramedSide) {
    TBitmap bmp(5, 4);
    Fill(bmp, kPaper);
    EXPECT_EQ(DrawSides(bmp.Canvas(), Rect(0, 0, 5, 4), kU, kW, sdAllSides), Rect(1, 1, 4, 3));
    EXPECT_EQ(Picture(bmp, kPal), (TPicture{"UUUUW", "U...W", "U...W", "WWWWW"}));
}

TEST(DrawSides, SkipsNoColourAndNoSidesButShrinksByTheSidesGiven) {
    TBitmap bmp(5, 4);
    Fill(bmp, kPaper);
    EXPECT_EQ(DrawSides(bmp.Canvas(), Rect(0, 0, 5, 4), kU, kW, {}), Rect(0, 0, 5, 4));
    EXPECT_EQ(DrawSides(bmp.Canvas(), Rect(0, 0, 5, 4), clNone, kW, {sdLeft, sdBottom}), Rect(1, 0, 5, 3));
    EXPECT_EQ(Picture(bmp, kPal), (TPicture{".....", ".....", ".....", "WWWWW"}));
}

TEST(DrawBevel, PaintsNestedRingsAndNothingForWidthZero) {
    TBitmap bmp(7, 7);
    Fill(bmp, kPaper);
    EXPECT_EQ(DrawBevel(bmp.Canvas(), Rect(0, 0, 7, 7), kU, kW, 0, sdAllSides), Rect(0, 0, 7, 7));
    EXPECT_EQ(Picture(bmp, kPal)[3], ".......");
    EXPECT_EQ(DrawBevel(bmp.Canvas(), Rect(0, 0, 7, 7), kU, kW, 3, sdAllSides), Rect(3, 3, 4, 4));
    EXPECT_EQ(Picture(bmp, kPal),
              (TPicture{"UUUUUUW", "UUUUUWW", "UUUUWWW", "UUU.WWW", "UUWWWWW", "UWWWWWW", "WWWWWWW"}));
}

TEST(DrawBox, FramesAllSidesInOneColour) {
    TBitmap bmp(4, 3);
    Fill(bmp, kPaper);
    EXPECT_EQ(DrawBox(bmp.Canvas(), Rect(0, 0, 4, 3), kU), Rect(1, 1, 3, 2));
    EXPECT_EQ(Picture(bmp, kPal), (TPicture{"UUUU", "U..U", "UUUU"}));
}

TEST(DrawBoxCorners, DrawsFourBracketsOfTheCornerWidth) {
    TBitmap bmp(9, 8);
    Fill(bmp, kPaper);
    EXPECT_EQ(DrawBoxCorners(bmp.Canvas(), Rect(0, 0, 9, 8), kU, 3), Rect(1, 1, 8, 7));
    EXPECT_EQ(Picture(bmp, kPal), (TPicture{"UUU...UUU", "U.......U", "U.......U", ".........", ".........",
                                             "U.......U", "U.......U", "UUU...UUU"}));
}

// The etched edge: shadow with a highlight line one pixel right and below.
TEST(DrawBorder, GrooveIsAnEtchedLine) {
    const TPalette pal{{kPaper, '.'}, {ColorToRGB(clBtnShadow), 'S'}, {ColorToRGB(clBtnHighlight), 'H'}};
    TBitmap bmp(6, 6);
    Fill(bmp, 0x00808080);  // neither colour, so every painted pixel shows
    const TPalette grey{{0x00808080, '.'}, {ColorToRGB(clBtnShadow), 'S'}, {ColorToRGB(clBtnHighlight), 'H'}};
    EXPECT_EQ(DrawBorder(bmp.Canvas(), Rect(0, 0, 6, 6), fsGroove), Rect(2, 2, 4, 4));
    EXPECT_EQ(Picture(bmp, grey), (TPicture{"SSSSSH", "SHHHSH", "SH..SH", "SH..SH", "SSSSSH", "HHHHHH"}));

    Fill(bmp, 0x00808080);
    EXPECT_EQ(DrawBorderSides(bmp.Canvas(), Rect(0, 0, 6, 6), fsGroove, {sdTop}), Rect(0, 2, 6, 6));
    EXPECT_EQ(Picture(bmp, grey), (TPicture{"SSSSSS", "HHHHHH", "......", "......", "......", "......"}));

    Fill(bmp, 0x00808080);
    DrawBorderSides(bmp.Canvas(), Rect(0, 0, 6, 6), fsBump, {sdLeft});
    EXPECT_EQ(Picture(bmp, grey), (TPicture{"HS....", "HS....", "HS....", "HS....", "HS....", "HS...."}));
}

TEST(DrawRoundedFlatBorder, ClipsTheCornersAndSetsTheInnerCornerPixels) {
    TBitmap bmp(6, 6);
    Fill(bmp, kPaper);
    EXPECT_EQ(DrawRoundedFlatBorder(bmp.Canvas(), Rect(0, 0, 6, 6), kU, sdAllSides), Rect(2, 2, 4, 4));
    EXPECT_EQ(Picture(bmp, kPal), (TPicture{"..UU..", ".U..U.", "U....U", "U....U", ".U..U.", "..UU.."}));

    Fill(bmp, kPaper);
    EXPECT_EQ(DrawRoundedFlatBorder(bmp.Canvas(), Rect(0, 0, 6, 6), kU, {sdTop, sdLeft}), Rect(2, 2, 6, 6));
    EXPECT_EQ(Picture(bmp, kPal), (TPicture{"..UUUU", ".U....", "U.....", "U.....", "U.....", "U....."}));
}

struct InsetCase {
    TFrameStyleEx style;
    int depth;  // pixels taken from each framed side
};

// Every style of both frame routines takes its depth from exactly the sides given.
TEST(DrawBorderSides, EveryStyleTakesItsDepthFromTheFramedSidesOnly) {
    const InsetCase cases[] = {{fsNone, 0},   {fsFlat, 1},     {fsGroove, 2},   {fsBump, 2},
                               {fsLowered, 2}, {fsButtonDown, 2}, {fsRaised, 2}, {fsButtonUp, 2},
                               {fsStatus, 1}, {fsPopup, 1},     {fsFlatBold, 2}, {fsFlatRounded, 2}};
    TBitmap bmp(12, 12);
    const TRect box = Rect(0, 0, 12, 12);
    const TColor paper = 0x00123456;  // no frame colour
    for (const auto& c : cases) {
        const int d = c.depth;
        EXPECT_EQ(fsDoubleBorders.Contains(c.style), d == 2) << c.style;
        Fill(bmp, paper);
        EXPECT_EQ(DrawBorder(bmp.Canvas(), box, c.style), Rect(d, d, 12 - d, 12 - d)) << c.style;
        // Every ring of the depth is painted, nothing inside what the routine returns.
        EXPECT_EQ(InkBounds(bmp.Canvas(), Rect(d, d, 12 - d, 12 - d), paper).IsEmpty(), true) << c.style;
        for (int ring = 0; ring < d; ++ring) {
            EXPECT_NE(bmp.Canvas().Pixel(ring, 6), paper) << c.style;
            EXPECT_NE(bmp.Canvas().Pixel(6, 11 - ring), paper) << c.style;
        }
        EXPECT_EQ(DrawBorderSides(bmp.Canvas(), box, c.style, {sdTop, sdRight}), Rect(0, d, 12 - d, 12)) << c.style;
        EXPECT_EQ(DrawColorBorder(bmp.Canvas(), box, 0x00C08040, c.style), Rect(d, d, 12 - d, 12 - d)) << c.style;
        EXPECT_EQ(DrawColorBorderSides(bmp.Canvas(), box, 0x00C08040, c.style, {sdBottom}), Rect(0, 0, 12, 12 - d))
            << c.style;
    }
}

TEST(DrawBorder, ThreeDimensionalEdgesUseTheSystemColoursOuterPassFirst) {
    struct Case {
        TFrameStyleEx style;
        TColor outerUL, innerUL, innerLR, outerLR;
    };
    const Case cases[] = {
        {fsRaised, cl3DLight, clBtnHighlight, clBtnShadow, cl3DDkShadow},
        {fsLowered, clBtnShadow, cl3DDkShadow, cl3DLight, clBtnHighlight},
        {fsButtonUp, clBtnHighlight, cl3DLight, clBtnShadow, cl3DDkShadow},
        {fsButtonDown, clBtnText, clBtnShadow, clBtnShadow, clBtnText},
        {fsFlat, cl3DDkShadow, clNone, clNone, cl3DDkShadow},
        {fsFlatBold, clBtnShadow, clBtnShadow, clBtnShadow, clBtnShadow},
        {fsStatus, clBtnShadow, clNone, clNone, clBtnHighlight},
        {fsPopup, clBtnHighlight, clNone, clNone, clBtnShadow},
    };
    for (const auto& c : cases) {
        TBitmap bmp(8, 8);
        Fill(bmp, 0x00123456);
        auto px = [&](int x, int y) { return bmp.Canvas().Pixel(x, y); };
        auto expect = [](TColor c) { return c == clNone ? TColor{0x00123456} : ColorToRGB(c); };
        DrawBorder(bmp.Canvas(), Rect(0, 0, 8, 8), c.style);
        EXPECT_EQ(px(0, 3), expect(c.outerUL)) << c.style;
        EXPECT_EQ(px(1, 3), expect(c.innerUL)) << c.style;
        EXPECT_EQ(px(6, 3), expect(c.innerLR)) << c.style;
        EXPECT_EQ(px(7, 3), expect(c.outerLR)) << c.style;
    }
}

TEST(DrawColorBorder, ShadesTheFaceColour) {
    const TColor face = 0x00C0C0C0;
    TBitmap bmp(8, 8);
    DrawColorBorder(bmp.Canvas(), Rect(0, 0, 8, 8), face, fsRaised);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 3), LighterColor(face, 50));
    EXPECT_EQ(bmp.Canvas().Pixel(1, 3), 0x00FFFFFFu);  // lighter by 100
    EXPECT_EQ(bmp.Canvas().Pixel(6, 3), 0x008B8B8Bu);  // darker by 50
    EXPECT_EQ(bmp.Canvas().Pixel(7, 3), 0x00565656u);  // darker by 100
    DrawColorBorder(bmp.Canvas(), Rect(0, 0, 8, 8), face, fsButtonDown);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 3), 0x00565656u);
    EXPECT_EQ(bmp.Canvas().Pixel(7, 3), 0x00565656u);
    EXPECT_EQ(bmp.Canvas().Pixel(1, 3), 0x008B8B8Bu);
}

// An application style that answers with colours of its own.
class TSkinStyle : public TStyleServices {
public:
    static TColor Skin(TColor c) { return IsSystemColor(c) ? 0x00010100 + (c & 0xFF) : c; }
    bool IsSystemStyle() const override { return false; }
    TColor GetSystemColor(TColor color) const override { return Skin(color); }
    TColor GetStyleColor(TStyleColor) const override { return 0x00ABCDEF; }
    TColor GetStyleFontColor(TStyleFont f) const override { return 0x00000100 + f; }
    bool GetElementColor(const TStyleElementDetails&, TElementColor, TColor&) const override { return false; }
    int DrawText(TCanvas& canvas, const TStyleElementDetails&, const String& text, TRect& r, unsigned flags) override {
        return canvas.DrawText(text, r, flags);
    }
};

class WithSkin : public testing::Test {
protected:
    void SetUp() override { previous_ = SetStyleServices(std::make_unique<TSkinStyle>()); }
    void TearDown() override { SetStyleServices(std::move(previous_)); }
    std::unique_ptr<TStyleServices> previous_;
};

TEST_F(WithSkin, FramesTakeTheStylesColoursAndThePressedButtonItsDarkShadow) {
    TBitmap bmp(8, 8);
    DrawBorder(bmp.Canvas(), Rect(0, 0, 8, 8), fsButtonDown);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 3), TSkinStyle::Skin(cl3DDkShadow));
    EXPECT_EQ(bmp.Canvas().Pixel(1, 3), TSkinStyle::Skin(clBtnShadow));
    DrawBorder(bmp.Canvas(), Rect(0, 0, 8, 8), fsGroove);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 3), TSkinStyle::Skin(clBtnShadow));
    EXPECT_EQ(bmp.Canvas().Pixel(1, 3), TSkinStyle::Skin(clBtnHighlight));
    EXPECT_FALSE(UsingSystemStyle());
    EXPECT_EQ(ActiveStyleSystemColor(clBtnFace), TSkinStyle::Skin(clBtnFace));
    EXPECT_EQ(ActiveStyleSystemColor(0x00123456), 0x00123456u);
    EXPECT_EQ(ActiveStyleColor(scPanel), 0x00ABCDEFu);
    EXPECT_EQ(ActiveStyleFontColor(sfStatusPanelTextDisabled), TColor{0x00000100 + sfStatusPanelTextDisabled});
}

TEST(ActiveStyle, ThePlatformsOwnLookKeepsSystemColoursAndGivesNoStyleColours) {
    EXPECT_TRUE(UsingSystemStyle());
    EXPECT_EQ(ActiveStyleSystemColor(clBtnFace), clBtnFace);
    EXPECT_EQ(ActiveStyleColor(scPanel), clNone);
    EXPECT_EQ(ActiveStyleFontColor(sfButtonTextNormal), clNone);
}

// ---------------------------------------------------------------------------
// DrawInnerOuterBorders

constexpr TColor kBand = 0x0000C0C0, kFlat = 0x00008000, kFace = 0x00C000C0, kParent = 0x00C0C000;
const TPalette kPanelPal{{kPaper, '.'}, {kBand, 'b'}, {kFlat, 'C'}, {kFace, 'F'}, {kParent, 'P'}, {kU, 'U'}, {kW, 'W'}};

TRect PanelEdge(TCanvas& c, TRect r, TFrameStyleEx outer, TFrameStyleEx inner, int borderWidth, TSides sides,
                int bevel, bool transparent, bool soft) {
    return DrawInnerOuterBorders(c, r, outer, inner, borderWidth, sides, bevel, kBand, kU, kW, kFlat, 0, kFace,
                                 kParent, transparent, soft);
}

TEST(DrawInnerOuterBorders, NoFramesAndNoBandDrawNothing) {
    TBitmap bmp(6, 6);
    Fill(bmp, kPaper);
    EXPECT_EQ(PanelEdge(bmp.Canvas(), Rect(0, 0, 6, 6), fsNone, fsNone, 0, sdAllSides, 1, false, false),
              Rect(0, 0, 6, 6));
    EXPECT_TRUE(InkBounds(bmp.Canvas(), Rect(0, 0, 6, 6), kPaper).IsEmpty());
}

TEST(DrawInnerOuterBorders, ShallowBevelsTakeTheBevelWidthInTheCallersColours) {
    TBitmap bmp(8, 8);
    Fill(bmp, kPaper);
    EXPECT_EQ(PanelEdge(bmp.Canvas(), Rect(0, 0, 8, 8), fsStatus, fsNone, 0, sdAllSides, 2, false, false),
              Rect(2, 2, 6, 6));
    EXPECT_EQ(Picture(bmp, kPanelPal)[3], "WW....UU");
    Fill(bmp, kPaper);
    EXPECT_EQ(PanelEdge(bmp.Canvas(), Rect(0, 0, 8, 8), fsNone, fsPopup, 1, sdAllSides, 2, false, false),
              Rect(3, 3, 5, 5));
    EXPECT_EQ(Picture(bmp, kPanelPal)[4], "bUU..WWb");
}

TEST(DrawInnerOuterBorders, OuterFrameBandAndInnerFrameNest) {
    TBitmap bmp(14, 12);
    Fill(bmp, kPaper);
    const TRect r = PanelEdge(bmp.Canvas(), Rect(0, 0, 14, 12), fsFlat, fsFlatBold, 2, sdAllSides, 1, false, false);
    EXPECT_EQ(r, Rect(5, 5, 9, 7));
    EXPECT_EQ(Picture(bmp, kPanelPal)[6], "CbbCC....CCbbC");
}

TEST(DrawInnerOuterBorders, SoftInnerFlatLineFramesAllFourSidesWithoutCorners) {
    TBitmap bmp(6, 5);
    Fill(bmp, kPaper);
    EXPECT_EQ(PanelEdge(bmp.Canvas(), Rect(0, 0, 6, 5), fsNone, fsFlat, 0, {sdTop}, 1, false, true),
              Rect(1, 1, 5, 4));
    EXPECT_EQ(Picture(bmp, kPanelPal), (TPicture{".CCCC.", "C....C", "C....C", "C....C", ".CCCC."}));
}

TEST(DrawInnerOuterBorders, RoundedOuterFrameShowsTheParentInItsCorners) {
    TBitmap bmp(8, 8);
    Fill(bmp, kPaper);
    EXPECT_EQ(PanelEdge(bmp.Canvas(), Rect(0, 0, 8, 8), fsFlatRounded, fsNone, 0, sdAllSides, 1, false, false),
              Rect(2, 2, 6, 6));
    EXPECT_EQ(Picture(bmp, kPanelPal), (TPicture{"PPCCCCPP", "PCFFFFCP", "CF....FC", "CF....FC", "CF....FC",
                                                  "CF....FC", "PCFFFFCP", "PPCCCCPP"}));
    // With a band the ring inside the rounded line takes the band's colour.
    Fill(bmp, kPaper);
    EXPECT_EQ(PanelEdge(bmp.Canvas(), Rect(0, 0, 8, 8), fsFlatRounded, fsNone, 1, sdAllSides, 1, false, false),
              Rect(3, 3, 5, 5));
    EXPECT_EQ(Picture(bmp, kPanelPal)[1], "PCbbbbCP");
    // Transparent: no parent ring; the band ring only because there is a band.
    Fill(bmp, kPaper);
    PanelEdge(bmp.Canvas(), Rect(0, 0, 8, 8), fsFlatRounded, fsNone, 0, sdAllSides, 1, true, false);
    EXPECT_EQ(Picture(bmp, kPanelPal)[0], "..CCCC..");
    EXPECT_EQ(Picture(bmp, kPanelPal)[1], ".C....C.");
}

TEST(DrawInnerOuterBorders, FlatColourIsAdjustedBeforeUse) {
    TBitmap bmp(4, 4);
    DrawInnerOuterBorders(bmp.Canvas(), Rect(0, 0, 4, 4), fsFlat, fsNone, 0, sdAllSides, 1, kBand, kU, kW,
                          0x00C0C0C0, -50, kFace, kParent, false, false);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 0), 0x008B8B8Bu);
}

// ---------------------------------------------------------------------------
// Layout and text

TEST(CenterRect, CentresWithTruncatingDivision) {
    struct Case {
        TRect r;
        int w, h;
        TRect expected;
    };
    const Case cases[] = {
        {Rect(0, 0, 25, 22), 16, 16, Rect(4, 3, 20, 19)},
        {Rect(0, 0, 10, 10), 16, 12, Rect(-3, -1, 13, 11)},
        {Rect(0, 0, 10, 10), 17, 12, Rect(-3, -1, 14, 11)},  // -7 div 2 = -3
        {Rect(5, 5, 6, 6), 0, 0, Rect(5, 5, 5, 5)},
    };
    for (const auto& c : cases) EXPECT_EQ(CenterRect(c.r, c.w, c.h), c.expected);
}

TEST(DrawString, MeasuresWithCalcRectAndDrawsInsideTheBounds) {
    TBitmap bmp(120, 30);
    Fill(bmp, kPaper);
    auto& c = bmp.Canvas();
    c.Font().SetColor(clBlack);
    c.Brush().SetStyle(bsClear);
    TRect measure = Rect(0, 0, 0, 0);
    const int h = DrawString(c, u"Caption", measure, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(h, c.TextHeight(u"Caption"));
    EXPECT_EQ(measure.Width(), c.TextWidth(u"Caption"));
    EXPECT_TRUE(InkBounds(c, Rect(0, 0, 120, 30), kPaper).IsEmpty());
    TRect r = Rect(10, 0, 110, 30);
    DrawString(c, u"Caption", r, DrawTextAlignments[taRightJustify] | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    const TRect ink = InkBounds(c, Rect(0, 0, 120, 30), kPaper);
    EXPECT_LE(ink.Right, 110);
    EXPECT_GE(ink.Left, 110 - measure.Width() - 1);
}

TEST(KvCommonTables, HoldTheFlagValuesAndOrdinals) {
    EXPECT_EQ(DrawTextAlignments[taLeftJustify], 0u);
    EXPECT_EQ(DrawTextAlignments[taRightJustify], 2u);
    EXPECT_EQ(DrawTextAlignments[taCenter], 1u);
    EXPECT_EQ(DrawTextWordWrap[true], 0x10u);
    EXPECT_EQ(SetTextAlignments[taCenter], 6u);
    EXPECT_EQ(sdAllSides.Bits(), 15u);
    EXPECT_EQ(TSides({sdTop, sdBottom}).Bits(), 10u);
    EXPECT_EQ(int(fsFlatRounded), 11);
    EXPECT_EQ(int(gdBigSquareBox), 9);
    EXPECT_EQ(FrameStyleCount, 11);
}

}  // namespace
