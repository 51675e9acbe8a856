#include <gtest/gtest.h>

#include <vector>

#include "KvCommon.h"
#include "PixelPicture.h"

namespace {

constexpr TColor kBar = 0x00800000;
constexpr TColor kBack = 0x00FFFFFF;
constexpr TColor kSentinel = 0x00FF00FF;

template <class Pred>
bool AnyPixelWhere(const TCanvas& c, const TRect& r, Pred pred) {
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (pred(c.Pixel(x, y))) return true;
    return false;
}

bool AnyPixel(const TCanvas& c, const TRect& r, TColor color) {
    return AnyPixelWhere(c, r, [color](TColor p) { return p == color; });
}

// Smoothed text has few pixels of exactly the font colour: tell ink apart
// by which of the two colours (the navy bar, the white back) it is nearer to.
bool Light(TColor p) { return GetRValue(p) > 0x80; }
bool Dark(TColor p) { return GetRValue(p) < 0x80; }

// ---------------------------------------------------------------------------
// Percent bar

TEST(DrawPercentBar, SplitsTheBarRoundingHalvesToEven) {
    struct Case {
        TOrientation orientation;
        int length;
        int percent;
        int done;  // pixels in the bar colour, from the left or from the bottom
    };
    const Case cases[] = {
        {orHorizontal, 15, 50, 8},  {orHorizontal, 13, 50, 6},  {orHorizontal, 200, 25, 50},
        {orHorizontal, 10, 0, 0},   {orHorizontal, 10, 100, 10}, {orHorizontal, 10, 250, 10},
        {orHorizontal, 30, 15, 4},  // 4.5 rounds to 4
        {orVertical, 15, 50, 8},    {orVertical, 13, 50, 6},     {orVertical, 10, 100, 10},
    };
    for (const auto& c : cases) {
        const bool horizontal = c.orientation == orHorizontal;
        const int w = horizontal ? c.length : 6, h = horizontal ? 6 : c.length;
        TBitmap bmp(w + 2, h + 2);
        Fill(bmp, kSentinel);
        DrawPercentBar(bmp.Canvas(), Rect(1, 1, w + 1, h + 1), c.orientation, kBar, kBack, std::uint16_t(c.percent),
                       false, false, false, 0, 0);
        for (int i = 0; i < c.length; ++i) {
            // Along the bar: horizontal bars grow from the left, vertical ones from the bottom.
            const TColor p = horizontal ? bmp.Canvas().Pixel(1 + i, 3) : bmp.Canvas().Pixel(3, h - i);
            ASSERT_EQ(p, i < c.done ? kBar : kBack) << c.orientation << " " << c.length << " at " << c.percent
                                                    << "%, pixel " << i;
        }
        EXPECT_TRUE(InkBounds(bmp.Canvas(), Rect(0, 0, w + 2, 1), kSentinel).IsEmpty());
        EXPECT_TRUE(InkBounds(bmp.Canvas(), Rect(w + 1, 0, w + 2, h + 2), kSentinel).IsEmpty());
    }
}

TEST(DrawPercentBar, TextIsCentredAndChangesColourWhereTheBarEnds) {
    TBitmap bmp(200, 16);
    auto& c = bmp.Canvas();
    DrawPercentBar(c, Rect(0, 0, 200, 16), orHorizontal, kBar, kBack, 25, true, false, false, 0, 0);
    // The done part: bar colour, no text (the text sits around x = 100).
    EXPECT_TRUE(InkBounds(c, Rect(0, 0, 50, 16), kBar).IsEmpty());
    const TRect ink = InkBounds(c, Rect(50, 0, 200, 16), kBack);
    EXPECT_NEAR((ink.Left + ink.Right) / 2.0, 100, 2);
    EXPECT_NEAR(ink.Width(), c.TextWidth(u"25%"), 2);
    EXPECT_TRUE(AnyPixelWhere(c, ink, Dark));

    // At 50 percent the text straddles the split: back colour over the bar, bar colour over the rest.
    DrawPercentBar(c, Rect(0, 0, 200, 16), orHorizontal, kBar, kBack, 50, true, false, false, 0, 0);
    EXPECT_TRUE(AnyPixelWhere(c, Rect(80, 0, 100, 16), Light));
    EXPECT_TRUE(AnyPixelWhere(c, Rect(100, 0, 120, 16), Dark));
}

TEST(DrawPercentBar, ShowsPartsInsteadOfThePercentageAndNothingWhenTextIsOff) {
    auto render = [](TBitmap& bmp, bool showPercent, bool showParts) {
        DrawPercentBar(bmp.Canvas(), Rect(0, 0, 120, 16), orHorizontal, kBar, kBack, 0, showPercent, false, showParts,
                       3, 12);
    };
    TBitmap parts(120, 16), reference(120, 16), none(120, 16);
    render(parts, true, true);
    // The same text drawn directly: centred, in the bar colour over the back colour.
    Fill(reference, kBack);
    auto& r = reference.Canvas();
    r.Font().SetColor(kBar);
    r.Brush().SetStyle(bsClear);
    r.SetTextAlign(TA_CENTER | TA_TOP);
    r.TextRect(Rect(0, 0, 120, 16), 60, (16 - r.TextHeight(u"X")) / 2, u"3 / 12");
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 120; ++x) ASSERT_EQ(parts.Canvas().Pixel(x, y), reference.Canvas().Pixel(x, y)) << x << "," << y;
    render(none, false, true);
    EXPECT_TRUE(InkBounds(none.Canvas(), Rect(0, 0, 120, 16), kBack).IsEmpty());
}

TEST(DrawPercentBar, TransparentLeavesTheRestAsItWas) {
    TBitmap bmp(40, 10);
    Fill(bmp, kSentinel);
    DrawPercentBar(bmp.Canvas(), Rect(0, 0, 40, 10), orHorizontal, kBar, kBack, 50, false, true, false, 0, 0);
    EXPECT_TRUE(InkBounds(bmp.Canvas(), Rect(0, 0, 20, 10), kBar).IsEmpty());
    EXPECT_TRUE(InkBounds(bmp.Canvas(), Rect(20, 0, 40, 10), kSentinel).IsEmpty());
    EXPECT_EQ(bmp.Canvas().Brush().Style(), bsSolid);
}

TEST(DrawPercentBar, TextIsCentredOnABarThatDoesNotStartAtZero) {
    TBitmap bmp(320, 16);
    auto& c = bmp.Canvas();
    Fill(bmp, kSentinel);
    DrawPercentBar(c, Rect(200, 0, 300, 16), orHorizontal, kBar, kBack, 0, true, false, false, 0, 0);
    const TRect ink = InkBounds(c, Rect(200, 0, 300, 16), kBack);
    EXPECT_FALSE(ink.IsEmpty());
    EXPECT_NEAR((ink.Left + ink.Right) / 2.0, 250, 2);
}

TEST(DrawGradientPercentBar, PaintsBothPartsAsGradientsUnlessTransparent) {
    TBitmap bmp(100, 10);
    auto& c = bmp.Canvas();
    Fill(bmp, kSentinel);
    DrawGradientPercentBar(c, Rect(0, 0, 100, 10), orHorizontal, clRed, clBlue, clWhite, clBlack, gdVerticalEnd, 30,
                           false, false, false, 0, 0);
    EXPECT_EQ(c.Pixel(0, 5), clRed);
    EXPECT_EQ(c.Pixel(29, 5), clBlue);
    EXPECT_EQ(c.Pixel(30, 5), clWhite);
    EXPECT_EQ(c.Pixel(99, 5), clBlack);

    Fill(bmp, kSentinel);
    DrawGradientPercentBar(c, Rect(0, 0, 100, 10), orVertical, clRed, clBlue, clWhite, clBlack, gdHorizontalEnd, 40,
                           true, true, false, 0, 0);
    EXPECT_EQ(c.Pixel(2, 6), clRed);  // the done part is the bottom 4 rows
    EXPECT_EQ(c.Pixel(2, 9), clBlue);
    EXPECT_FALSE(AnyPixel(c, Rect(0, 0, 100, 6), clWhite));  // transparent rest: no back fill
    EXPECT_TRUE(AnyPixel(c, Rect(0, 0, 100, 6), kSentinel));
}

// ---------------------------------------------------------------------------
// LED bar

struct LedCase {
    int length, segments, percent;
    int boxWidth, offset, lit, count;
};

// Lit segments along the bar: runs of the bar colour, each a box less its outline.
std::vector<std::pair<int, int>> BarRuns(const TCanvas& c, int length, bool horizontal, int across) {
    std::vector<std::pair<int, int>> runs;  // (start, length) from the start of the bar
    for (int i = 0; i < length; ++i) {
        const int along = horizontal ? i : length - 1 - i;
        const TColor p = horizontal ? c.Pixel(along, across) : c.Pixel(across, along);
        if (p != kBar) continue;
        if (!runs.empty() && runs.back().first + runs.back().second == i)
            ++runs.back().second;
        else
            runs.push_back({i, 1});
    }
    return runs;
}

TEST(DrawLEDBar, LaysOutWholeSegmentsCentredInTheBar) {
    const LedCase cases[] = {
        {100, 10, 35, 10, 0, 3, 10},  {80, 20, 50, 8, 0, 5, 10},   {103, 10, 100, 10, 1, 10, 10},
        {50, 20, 50, 5, 0, 5, 10},    {130, 40, 50, 3, 0, 21, 43},  // 40 boxes of 3, 3 more in the leftover
        {100, 10, 150, 10, 0, 10, 10}, {100, 0, 100, 100, 0, 1, 1}, {107, 10, 0, 10, 3, 0, 10},
    };
    for (const bool horizontal : {true, false})
        for (const auto& c : cases) {
            const int w = horizontal ? c.length : 12, h = horizontal ? 12 : c.length;
            TBitmap bmp(w + 1, h + 1);
            Fill(bmp, kSentinel);
            DrawLEDBar(bmp.Canvas(), Rect(0, 0, w, h), horizontal ? orHorizontal : orVertical, kBar, kBack,
                       c.segments, c.percent, false, false);
            const auto runs = BarRuns(bmp.Canvas(), c.length, horizontal, 6);
            ASSERT_EQ(int(runs.size()), c.lit) << horizontal << " " << c.length << "/" << c.segments;
            // Segments start after the offset from the left; a vertical bar
            // fills from the bottom, after the margin left there.
            const int margin = horizontal ? c.offset : c.length - c.offset - c.count * c.boxWidth;
            for (int i = 0; i < c.lit; ++i) {
                EXPECT_EQ(runs[i].first, margin + i * c.boxWidth + 1) << c.length << "/" << c.segments << " box " << i;
                EXPECT_EQ(runs[i].second, c.boxWidth - 2) << c.length << "/" << c.segments;
            }
            // Everything else inside the bar is the back colour; nothing outside it is painted.
            EXPECT_FALSE(AnyPixel(bmp.Canvas(), Rect(0, 0, w, h), kSentinel)) << c.length << "/" << c.segments;
            EXPECT_TRUE(InkBounds(bmp.Canvas(), horizontal ? Rect(w, 0, w + 1, h + 1) : Rect(0, h, w + 1, h + 1),
                                  kSentinel)
                            .IsEmpty())
                << c.length << "/" << c.segments;
        }
}

TEST(DrawLEDBar, TransparentDrawsOnlyTheLitSegments) {
    TBitmap bmp(100, 12);
    Fill(bmp, kSentinel);
    DrawLEDBar(bmp.Canvas(), Rect(0, 0, 100, 12), orHorizontal, kBar, kBack, 10, 35, false, true);
    const TPalette pal{{kBar, '#'}, {kSentinel, '.'}};
    const std::string row = Picture(bmp.Canvas(), Rect(0, 6, 100, 7), pal)[0];
    EXPECT_EQ(row, ".########..########..########." + std::string(70, '.'));
    EXPECT_EQ(Picture(bmp.Canvas(), Rect(0, 0, 100, 1), pal)[0], std::string(100, '.'));
    EXPECT_EQ(bmp.Canvas().Pen().Style(), psSolid);
}

// A theme service that paints progress chunks in recognisable colours.
class TChunkThemes : public TThemeServices {
public:
    bool ThemesAvailable() const override { return true; }
    bool ThemesEnabled() const override { return true; }
    void DrawElement(HDC dc, const TThemedElementDetails& details, const TRect& r) override {
        drawn.push_back({details.Element, r});
        dc->Brush().SetColor(clBlue);
        dc->FillRect(r);
        dc->Brush().SetColor(clRed);  // a red first row marks the picture's top
        dc->FillRect(Rect(r.Left, r.Top, r.Right, r.Top + 1));
    }
    void DrawText(HDC, const TThemedElementDetails&, const String&, TRect, unsigned) override {}
    struct Call {
        TThemedElement element;
        TRect r;
    };
    std::vector<Call> drawn;
};

TEST(DrawLEDBar, ThemeAwareBarsDrawTheProgressChunkWhenThemesAreOn) {
    auto themes = std::make_unique<TChunkThemes>();
    TChunkThemes* seen = themes.get();
    auto previous = SetThemeServices(std::move(themes));
    TBitmap bmp(60, 60);
    Fill(bmp, kSentinel);
    DrawLEDBar(bmp.Canvas(), Rect(0, 0, 52, 10), orHorizontal, kBar, kBack, 10, 50, true, false);
    ASSERT_EQ(seen->drawn.size(), 1u);
    EXPECT_EQ(seen->drawn[0].element, tpChunk);
    EXPECT_EQ(seen->drawn[0].r, Rect(1, 1, 26, 9));

    Fill(bmp, kSentinel);
    DrawLEDBar(bmp.Canvas(), Rect(10, 10, 20, 52), orVertical, kBar, kBack, 10, 25, true, false);
    ASSERT_EQ(seen->drawn.size(), 2u);
    EXPECT_EQ(seen->drawn[1].element, tpChunkVert);
    // 25 percent of 40 rows is 10; the chunk is flipped, its top row now at the bottom.
    EXPECT_EQ(bmp.Canvas().Pixel(12, 50), clRed);
    EXPECT_EQ(bmp.Canvas().Pixel(12, 41), clBlue);
    EXPECT_EQ(bmp.Canvas().Pixel(12, 40), kSentinel);

    SetThemeServices(std::move(previous));
    Fill(bmp, kSentinel);
    DrawLEDBar(bmp.Canvas(), Rect(0, 0, 52, 10), orHorizontal, kBar, kBack, 10, 50, true, false);
    EXPECT_TRUE(AnyPixel(bmp.Canvas(), Rect(0, 0, 52, 10), kBar));  // themes off: segments
}

}  // namespace
