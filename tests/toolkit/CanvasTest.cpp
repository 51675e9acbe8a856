#include <gtest/gtest.h>

#include "Graphics.h"
#include "PixelPicture.h"

namespace {

constexpr TColor kPaper = 0x00FFFFFF;
constexpr TColor kInk = 0x00000080;
const TPalette kPal{{kPaper, '.'}, {kInk, '#'}};

struct LineCase {
    TPoint from, to;
    TPicture expected;
};

TEST(Canvas, LinesLeaveOutTheirEndPointInEveryDirection) {
    const LineCase cases[] = {
        {{0, 1}, {4, 1}, {".....", "####.", ".....", "....."}},
        {{4, 2}, {0, 2}, {".....", ".....", ".####", "....."}},
        {{1, 0}, {1, 3}, {".#...", ".#...", ".#...", "....."}},
        {{3, 3}, {3, 0}, {".....", "...#.", "...#.", "...#."}},
        {{0, 0}, {3, 3}, {"#....", ".#...", "..#..", "....."}},
        {{2, 2}, {2, 2}, {".....", ".....", ".....", "....."}},
    };
    for (const auto& c : cases) {
        TBitmap bmp(5, 4);
        Fill(bmp, kPaper);
        bmp.Canvas().Pen().SetColor(kInk);
        bmp.Canvas().MoveTo(c.from.X, c.from.Y);
        bmp.Canvas().LineTo(c.to.X, c.to.Y);
        EXPECT_EQ(Picture(bmp, kPal), c.expected) << c.from.X << "," << c.from.Y << " -> " << c.to.X << "," << c.to.Y;
        EXPECT_EQ(bmp.Canvas().PenPos(), c.to);
    }
}

TEST(Canvas, DottedPenPaintsEveryOtherPixel) {
    TBitmap bmp(7, 1);
    Fill(bmp, kPaper);
    bmp.Canvas().Pen().SetColor(kInk);
    bmp.Canvas().Pen().SetStyle(psDot);
    bmp.Canvas().MoveTo(0, 0);
    bmp.Canvas().LineTo(7, 0);
    EXPECT_EQ(Picture(bmp, kPal), (TPicture{"#.#.#.#"}));
}

TEST(Canvas, RectangleOutlinesWithThePenAndWithAClearPenFillsOnePixelLess) {
    TBitmap bmp(6, 5);
    const TColor face = 0x0000FF00;
    const TPalette pal{{kPaper, '.'}, {kInk, '#'}, {face, 'o'}};
    auto& c = bmp.Canvas();
    Fill(bmp, kPaper);
    c.Pen().SetColor(kInk);
    c.Brush().SetColor(face);
    c.Rectangle(0, 0, 5, 4);
    EXPECT_EQ(Picture(bmp, pal), (TPicture{"#####.", "#ooo#.", "#ooo#.", "#####.", "......"}));

    Fill(bmp, kPaper);
    c.Brush().SetColor(face);
    c.Pen().SetStyle(psClear);
    c.Rectangle(1, 1, 5, 4);
    EXPECT_EQ(Picture(bmp, pal), (TPicture{"......", ".ooo..", ".ooo..", "......", "......"}));
}

TEST(Canvas, FillRectSkipsRightAndBottomAndAClearBrushPaintsNothing) {
    TBitmap bmp(4, 3);
    Fill(bmp, kPaper);
    auto& c = bmp.Canvas();
    c.Brush().SetColor(kInk);
    c.FillRect(Rect(1, 0, 3, 2));
    c.Brush().SetStyle(bsClear);
    c.FillRect(Rect(0, 0, 4, 3));
    EXPECT_EQ(Picture(bmp, kPal), (TPicture{".##.", ".##.", "...."}));
}

TEST(Canvas, PixelsReadBackWhatWasWrittenAndNothingOutsideTheSurface) {
    TBitmap bmp(3, 3);
    Fill(bmp, kPaper);
    bmp.Canvas().SetPixel(2, 1, clBtnShadow);
    EXPECT_EQ(bmp.Canvas().Pixel(2, 1), ColorToRGB(clBtnShadow));
    EXPECT_EQ(bmp.Canvas().Pixel(1, 1), kPaper);
    EXPECT_EQ(bmp.Canvas().Pixel(3, 0), clNone);
    EXPECT_EQ(bmp.Canvas().Pixel(-1, 0), clNone);
    bmp.Canvas().SetPixel(5, 5, kInk);  // outside: ignored
}

TEST(Canvas, OriginClipAndSavedStateApplyToEveryPrimitive) {
    TBitmap bmp(8, 6);
    Fill(bmp, kPaper);
    auto& c = bmp.Canvas();
    const int saved = c.SaveState();
    c.MoveOrigin(2, 1);
    c.IntersectClipRect(Rect(0, 0, 4, 3));
    EXPECT_EQ(c.ClipRect(), Rect(0, 0, 4, 3));
    c.Brush().SetColor(kInk);
    c.FillRect(Rect(-5, -5, 20, 20));  // clipped to the 4 x 3 box at (2, 1)
    c.SetPixel(5, 0, clRed);           // outside the clip
    c.RestoreState(saved);
    c.SetPixel(0, 0, kInk);  // origin and clip are back
    EXPECT_EQ(Picture(bmp, kPal),
              (TPicture{"#.......", "..####..", "..####..", "..####..", "........", "........"}));
    EXPECT_EQ(c.Origin(), (TPoint{0, 0}));
}

TEST(Canvas, BlockCopiesWithinOneSurfaceHandleOverlapAndMirroring) {
    const TPalette pal{{kPaper, '.'}, {0x000000FF, 'a'}, {0x0000FF00, 'b'}, {0x00FF0000, 'c'}};
    auto seed = [](TBitmap& bmp) {
        Fill(bmp, kPaper);
        bmp.Canvas().SetPixel(0, 0, 0x000000FF);
        bmp.Canvas().SetPixel(1, 0, 0x0000FF00);
        bmp.Canvas().SetPixel(2, 0, 0x00FF0000);
        bmp.Canvas().SetPixel(0, 1, 0x0000FF00);
    };
    TBitmap bmp(5, 3);
    seed(bmp);
    BitBlt(bmp.Canvas().Handle(), 1, 1, 3, 2, bmp.Canvas().Handle(), 0, 0, SRCCOPY);  // overlapping, down-right
    EXPECT_EQ(Picture(bmp, pal), (TPicture{"abc..", "babc.", ".b..."}));

    seed(bmp);
    StretchBlt(bmp.Canvas().Handle(), 4, 2, -3, -2, bmp.Canvas().Handle(), 0, 0, 3, 2, SRCCOPY);
    EXPECT_EQ(Picture(bmp, pal), (TPicture{"abc..", "b...b", "..cba"}));

    seed(bmp);
    StretchBlt(bmp.Canvas().Handle(), 0, 2, 5, 1, bmp.Canvas().Handle(), 0, 0, 1, 1, SRCCOPY);  // stretched
    EXPECT_EQ(Picture(bmp, pal)[2], "aaaaa");
}

TEST(Canvas, BlockCopiesKeepToTheClipAndReadRowsBeforeOverwritingThem) {
    const TPalette pal{{kPaper, '.'}, {0x000000FF, 'a'}, {0x0000FF00, 'b'}, {0x00FF0000, 'c'}};
    TBitmap bmp(6, 4);
    Fill(bmp, kPaper);
    auto& c = bmp.Canvas();
    c.SetPixel(0, 0, 0x000000FF);
    c.SetPixel(1, 0, 0x0000FF00);
    c.SetPixel(2, 0, 0x00FF0000);
    c.SetPixel(0, 1, 0x0000FF00);
    c.SetPixel(0, 2, 0x00FF0000);
    const int saved = c.SaveState();
    c.IntersectClipRect(Rect(0, 0, 5, 4));
    StretchBlt(c.Handle(), 5, 3, -3, -1, c.Handle(), 0, 0, 3, 1, SRCCOPY);  // mirrored, last column clipped
    c.RestoreState(saved);
    EXPECT_EQ(Picture(bmp, pal), (TPicture{"abc...", "b.....", "c.....", "...cb."}));
    BitBlt(c.Handle(), 0, 0, 1, 3, c.Handle(), 0, 1, SRCCOPY);  // overlapping, upward
    EXPECT_EQ(Picture(bmp, pal), (TPicture{"bbc...", "c.....", "......", "...cb."}));
}

TEST(Canvas, BitmapsDrawOntoOtherCanvasesAtTheirOrigin) {
    TBitmap small(2, 1);
    small.Canvas().SetPixel(0, 0, kInk);
    small.Canvas().SetPixel(1, 0, kPaper);
    TBitmap bmp(4, 3);
    Fill(bmp, 0x0000FF00);
    bmp.Canvas().MoveOrigin(1, 1);
    bmp.Canvas().Draw(1, 1, small);
    bmp.Canvas().SetOrigin({0, 0});
    EXPECT_EQ(Picture(bmp, {{kPaper, '.'}, {kInk, '#'}, {0x0000FF00, 'g'}}), (TPicture{"gggg", "gggg", "gg#."}));
}

TEST(Canvas, TwoColourGradientRunsFromTheFirstRowOrColumnToTheLast) {
    TBitmap bmp(5, 4);
    GradientFillCanvas(bmp.Canvas(), clBlack, clWhite, Rect(0, 0, 5, 4), true);
    EXPECT_EQ(bmp.Canvas().Pixel(2, 0), clBlack);
    EXPECT_EQ(bmp.Canvas().Pixel(2, 3), clWhite);
    EXPECT_EQ(bmp.Canvas().Pixel(4, 1), RGB(85, 85, 85));
    GradientFillCanvas(bmp.Canvas(), clRed, clBlue, Rect(0, 0, 5, 4), false);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 2), clRed);
    EXPECT_EQ(bmp.Canvas().Pixel(4, 2), clBlue);
}

TEST(Canvas, PatternBitmapIsACheckerSharedPerColourPairAndTiledFromTheDeviceOrigin) {
    TBitmap* pattern = AllocPatternBitmap(kPaper, kInk);
    EXPECT_EQ(pattern, AllocPatternBitmap(kPaper, kInk));
    EXPECT_NE(pattern, AllocPatternBitmap(kInk, kPaper));
    // The foreground sits where x and y are both even or both odd.
    EXPECT_EQ(Picture(*pattern, kPal)[0], "#.#.#.#.");
    EXPECT_EQ(Picture(*pattern, kPal)[1], ".#.#.#.#");

    TBitmap bmp(4, 2);
    bmp.Canvas().Brush().SetBitmap(pattern);
    bmp.Canvas().MoveOrigin(1, 0);
    bmp.Canvas().FillRect(Rect(-1, 0, 3, 2));
    bmp.Canvas().SetOrigin({0, 0});
    EXPECT_EQ(Picture(bmp, kPal), (TPicture{"#.#.", ".#.#"}));
}

TEST(Canvas, TextIsPlacedByTheAlignmentFlags) {
    TBitmap bmp(120, 40);
    auto& c = bmp.Canvas();
    c.Font().SetColor(kInk);
    const TRect box = Rect(10, 5, 110, 35);
    struct Case {
        unsigned flags;
        int expectedCentreX;  // of the ink, within a few pixels
    };
    const int width = c.TextWidth(u"Abc");
    const Case cases[] = {{DT_LEFT, 10 + width / 2}, {DT_CENTER, 60}, {DT_RIGHT, 110 - width / 2}};
    for (const auto& tc : cases) {
        Fill(bmp, kPaper);
        c.Brush().SetStyle(bsClear);
        TRect r = box;
        c.DrawText(u"Abc", r, tc.flags | DT_SINGLELINE | DT_VCENTER);
        const TRect ink = InkBounds(c, Rect(0, 0, 120, 40), kPaper);
        EXPECT_NEAR((ink.Left + ink.Right) / 2.0, tc.expectedCentreX, 3) << tc.flags;
        EXPECT_NEAR((ink.Top + ink.Bottom) / 2.0, 20, 3) << tc.flags;
    }
}

TEST(Canvas, CalcRectMeasuresWithoutDrawingAndBreaksWordsAtTheWidth) {
    TBitmap bmp(200, 100);
    Fill(bmp, kPaper);
    auto& c = bmp.Canvas();
    const int lineHeight = c.TextHeight(u"X");
    TRect one = Rect(0, 0, 60, 0);
    EXPECT_EQ(c.DrawText(u"alpha beta gamma", one, DT_CALCRECT), lineHeight);
    EXPECT_GT(one.Width(), 60);  // one line, wider than the box
    TRect wrapped = Rect(0, 0, 60, 0);
    const int h = c.DrawText(u"alpha beta gamma", wrapped, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_GE(h, 2 * lineHeight);
    EXPECT_EQ(wrapped.Height(), h);
    EXPECT_LE(wrapped.Width(), 60);
    EXPECT_EQ(InkBounds(c, Rect(0, 0, 200, 100), kPaper).IsEmpty(), true);

    // An ampersand marks the accelerator and takes no room unless prefixes are off.
    TRect prefixed = Rect(0, 0, 0, 0), literal = Rect(0, 0, 0, 0);
    c.DrawText(u"&Open", prefixed, DT_CALCRECT | DT_SINGLELINE);
    c.DrawText(u"&Open", literal, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(prefixed.Width(), c.TextWidth(u"Open"));
    EXPECT_EQ(literal.Width(), c.TextWidth(u"&Open"));
    // Expanded tabs reach the next tab stop, well past a space.
    TRect tabbed = Rect(0, 0, 0, 0);
    c.DrawText(u"a\tb", tabbed, DT_CALCRECT | DT_EXPANDTABS);
    EXPECT_GT(tabbed.Width(), c.TextWidth(u"a b") + c.TextWidth(u" "));
}

TEST(Canvas, TextRectClipsToItsRectangleAndCentresOnTheReferencePoint) {
    TBitmap bmp(100, 20);
    Fill(bmp, kPaper);
    auto& c = bmp.Canvas();
    c.Font().SetColor(kInk);
    c.Brush().SetStyle(bsClear);
    c.SetTextAlign(TA_CENTER | TA_TOP);
    c.TextRect(Rect(0, 0, 50, 20), 50, 2, u"WWWW");
    const TRect ink = InkBounds(c, Rect(0, 0, 100, 20), kPaper);
    EXPECT_FALSE(ink.IsEmpty());
    EXPECT_LE(ink.Right, 50);
    EXPECT_GE(ink.Left, 50 - c.TextWidth(u"WWWW") / 2 - 1);
}

TEST(SystemColors, ResolveThroughTheClassicTableInTests) {
    EXPECT_EQ(ColorToRGB(clBtnFace), 0x00F0F0F0u);
    EXPECT_EQ(ColorToRGB(clBtnShadow), 0x00A0A0A0u);
    EXPECT_EQ(ColorToRGB(0x00123456), 0x00123456u);
    EXPECT_EQ(ColorToRGB(clNone), clBlack);
}

}  // namespace
