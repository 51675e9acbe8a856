#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "Classes.h"
#include "KvGrafx.h"
#include "PixelPicture.h"

namespace {

constexpr TColor kSentinel = 0x00FF00FF;

TColor Grey(int v) { return RGB(v, v, v); }

// ---------------------------------------------------------------------------
// Strips

TEST(FillGrad, AnEndGradientReachesTheStopColourAndApproachesTheStart) {
    const int expected[] = {0x19, 0x33, 0x4C, 0x66, 0x7F, 0x99, 0xB2, 0xCC, 0xE5, 0xFF};  // positions 0..9
    TBitmap down(8, 10), across(10, 8);
    FillGrad(down.Canvas().Handle(), 0, -1, 10, clBlack, clWhite, 1);
    FillGrad(across.Canvas().Handle(), -1, 0, 10, clBlack, clWhite, 1);
    for (int p = 0; p < 10; ++p) {
        EXPECT_EQ(down.Canvas().Pixel(0, p), Grey(expected[p])) << "row " << p;
        EXPECT_EQ(down.Canvas().Pixel(7, p), Grey(expected[p])) << "row " << p;
        EXPECT_EQ(across.Canvas().Pixel(p, 7), Grey(expected[p])) << "column " << p;
    }
}

TEST(FillGrad, SmoothFactorSetsTheShortestBand) {
    struct Case {
        int smooth;
        int rows[10];
    };
    const Case cases[] = {
        {4, {0x33, 0x33, 0x99, 0x99, 0x99, 0x99, 0xFF, 0xFF, 0xFF, 0xFF}},  // bands of 4
        {20, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}, // 255 div 20 + 1 = 13 > 10
        {0, {0x19, 0x33, 0x4C, 0x66, 0x7F, 0x99, 0xB2, 0xCC, 0xE5, 0xFF}},
    };
    for (const auto& c : cases) {
        TBitmap bmp(8, 10);
        FillGrad(bmp.Canvas().Handle(), 0, -1, 10, clBlack, clWhite, std::uint8_t(c.smooth));
        for (int p = 0; p < 10; ++p) EXPECT_EQ(bmp.Canvas().Pixel(3, p), Grey(c.rows[p])) << c.smooth << " row " << p;
    }
}

TEST(PaintGradient, CentredGradientHasTheStopColourInTheMiddleAndIsTiledAcross) {
    TBitmap bmp(45, 12);
    Fill(bmp, kSentinel);
    PaintGradient(bmp.Canvas(), Rect(3, 2, 40, 10), gdHorizontalCenter, clBlack, clWhite, 1);
    auto& c = bmp.Canvas();
    EXPECT_EQ(c.Pixel(3, 2 + 4), clWhite);  // row 4 of 8
    EXPECT_EQ(c.Pixel(3, 2 + 7), clBlack);  // last row
    EXPECT_NE(c.Pixel(3, 2 + 0), clBlack);  // the first row only approaches the start colour
    for (int x = 3; x < 40; ++x)
        for (int y = 2; y < 10; ++y) ASSERT_EQ(c.Pixel(x, y), c.Pixel(3, y)) << x << "," << y;
    EXPECT_TRUE(InkBounds(c, Rect(0, 0, 45, 2), kSentinel).IsEmpty());
    EXPECT_TRUE(InkBounds(c, Rect(40, 0, 45, 12), kSentinel).IsEmpty());
    EXPECT_TRUE(InkBounds(c, Rect(0, 10, 45, 12), kSentinel).IsEmpty());

}

TEST(PaintGradient, ACentredGradientOneLineThickIsAllStopColour) {
    struct Case {
        TGradientDirection d;
        TRect r;
    };
    const Case cases[] = {{gdVerticalCenter, Rect(2, 1, 3, 13)}, {gdHorizontalCenter, Rect(1, 2, 13, 3)}};
    for (const auto& c : cases) {
        TBitmap bmp(14, 14);
        Fill(bmp, kSentinel);
        PaintGradient(bmp.Canvas(), c.r, c.d, clBlack, clRed, 1);
        EXPECT_TRUE(InkBounds(bmp.Canvas(), c.r, clRed).IsEmpty()) << c.d;
    }
}

TEST(PaintGradient, EndGradientsRunFromEdgeToEdge) {
    TBitmap bmp(6, 5);
    PaintGradient(bmp.Canvas(), Rect(0, 0, 6, 5), gdHorizontalEnd, clRed, clBlue, 1);
    EXPECT_EQ(bmp.Canvas().Pixel(5, 0), clRed);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 4), clBlue);
    PaintGradient(bmp.Canvas(), Rect(0, 0, 6, 5), gdVerticalEnd, clRed, clBlue, 1);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 4), clRed);
    EXPECT_EQ(bmp.Canvas().Pixel(5, 0), clBlue);
}

TEST(PaintGradient, AnEmptyRectanglePaintsNothing) {
    TBitmap bmp(6, 6);
    Fill(bmp, kSentinel);
    for (int d = gdDiagonalUp; d <= gdBigSquareBox; ++d) {
        PaintGradient(bmp.Canvas(), Rect(1, 1, 1, 5), TGradientDirection(d), clBlack, clWhite, 1);
        PaintGradient(bmp.Canvas(), Rect(1, 3, 5, 3), TGradientDirection(d), clBlack, clWhite, 1);
    }
    EXPECT_TRUE(InkBounds(bmp.Canvas(), Rect(0, 0, 6, 6), kSentinel).IsEmpty());
}

TEST(BitFillBlit, TilesTheBlockOverTheArea) {
    TBitmap bmp(13, 9);
    Fill(bmp, kSentinel);
    auto& c = bmp.Canvas();
    const TColor block[2][3] = {{clRed, clLime, clBlue}, {clYellow, clAqua, clBlack}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) c.SetPixel(1 + x, 1 + y, block[y][x]);
    BitFillBlit(c.Handle(), 1, 1, 11, 7, 3, 2, SRCCOPY);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 11; ++x) ASSERT_EQ(c.Pixel(1 + x, 1 + y), block[y % 2][x % 3]) << x << "," << y;
    EXPECT_EQ(c.Pixel(12, 1), kSentinel);
    EXPECT_EQ(c.Pixel(1, 8), kSentinel);
}

// ---------------------------------------------------------------------------
// Boxes

TEST(FillGradRect, PaintsTheQuadrantAsRingsShrinkingTowardTheCentre) {
    TBitmap bmp(12, 10);
    Fill(bmp, kSentinel);
    FillGradRect(bmp.Canvas().Handle(), 12, 10, 0, 0, clBlack, clWhite, 1);
    const TPalette pal{{Grey(0x55), 'a'}, {Grey(0x7F), 'b'}, {Grey(0xAA), 'c'}, {Grey(0xD4), 'd'},
                       {clWhite, 'W'},    {kSentinel, '.'}};
    EXPECT_EQ(Picture(bmp.Canvas(), Rect(0, 0, 7, 6), pal),
              (TPicture{"aaaaaa.", "abbbbb.", "abcddd.", "abcdWW.", "abcdWW.", "......."}));
}

TEST(FillGradRect, EqualColoursOrASmallAreaAreOneFill) {
    TBitmap bmp(8, 8);
    Fill(bmp, kSentinel);
    FillGradRect(bmp.Canvas().Handle(), 4, 6, 0, 0, clBlack, clWhite, 1);
    EXPECT_EQ(InkBounds(bmp.Canvas(), Rect(0, 0, 8, 8), kSentinel), Rect(0, 0, 5, 7));
    EXPECT_EQ(bmp.Canvas().Pixel(4, 6), clBlack);
}

TEST(FillGradRect, ACentreBarAsLongAsTheQuadrantStillEnds) {
    TBitmap bmp(20, 20);
    Fill(bmp, kSentinel);
    FillGradRect(bmp.Canvas().Handle(), 20, 20, 9, 9, clBlack, clWhite, 1);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 0), clWhite);
    EXPECT_EQ(bmp.Canvas().Pixel(9, 9), clWhite);
}

bool MirrorSymmetric(const TCanvas& c, int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (c.Pixel(x, y) != c.Pixel(w - 1 - x, y) || c.Pixel(x, y) != c.Pixel(x, h - 1 - y)) return false;
    return true;
}

TEST(PaintGradient, BoxGradientsAreSymmetricForOddAndEvenSizes) {
    const TGradientDirection boxes[] = {gdHorizontalBox, gdVerticalBox, gdSquareBox, gdBigSquareBox};
    const TPoint sizes[] = {{12, 10}, {13, 11}, {14, 9}, {15, 16}, {40, 25}};
    for (TGradientDirection d : boxes)
        for (TPoint s : sizes) {
            TBitmap bmp(s.X, s.Y);
            PaintGradient(bmp.Canvas(), Rect(0, 0, s.X, s.Y), d, clNavy, clWhite, 1);
            EXPECT_TRUE(MirrorSymmetric(bmp.Canvas(), s.X, s.Y)) << d << " " << s.X << "x" << s.Y;
            EXPECT_EQ(bmp.Canvas().Pixel(0, 0), bmp.Canvas().Pixel(s.X - 1, s.Y - 1));
            EXPECT_NE(bmp.Canvas().Pixel(0, 0), bmp.Canvas().Pixel(s.X / 2, s.Y / 2)) << d;
        }
}

TEST(PaintGradient, SquareBoxQuadrantIsMirroredIntoTheOtherThree) {
    TBitmap bmp(12, 10);
    PaintGradient(bmp.Canvas(), Rect(0, 0, 12, 10), gdSquareBox, clBlack, clWhite, 1);
    const TPalette pal{{Grey(0x55), 'a'}, {Grey(0x7F), 'b'}, {Grey(0xAA), 'c'}, {Grey(0xD4), 'd'}, {clWhite, 'W'}};
    EXPECT_EQ(Picture(bmp, pal), (TPicture{"aaaaaaaaaaaa", "abbbbbbbbbba", "abcddddddcba", "abcdWWWWdcba",
                                           "abcdWWWWdcba", "abcdWWWWdcba", "abcdWWWWdcba", "abcddddddcba",
                                           "abbbbbbbbbba", "aaaaaaaaaaaa"}));
}

TEST(PaintGradient, BoxGradientsCoverTheWholeAreaWhenTheColoursChangeSlowly) {
    const TGradientDirection boxes[] = {gdHorizontalBox, gdVerticalBox, gdSquareBox, gdBigSquareBox};
    struct Colours {
        int start, stop;
    };
    // From one grey to the next: a single colour change, so the last band
    // ends without one.
    const Colours pairs[] = {{0x00, 0x01}, {0x30, 0x20}};
    for (TGradientDirection d : boxes)
        for (const auto& pair : pairs) {
            TBitmap bmp(60, 40);
            Fill(bmp, kSentinel);
            PaintGradient(bmp.Canvas(), Rect(0, 0, 60, 40), d, Grey(pair.start), Grey(pair.stop), 1);
            const int low = std::min(pair.start, pair.stop), high = std::max(pair.start, pair.stop);
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 60; ++x) {
                    const TColor p = bmp.Canvas().Pixel(x, y);
                    ASSERT_TRUE(p == Grey(GetRValue(p)) && GetRValue(p) >= low && GetRValue(p) <= high)
                        << d << " at " << x << "," << y << ": " << std::hex << p;
                }
        }
}

// ---------------------------------------------------------------------------
// Diagonals

TEST(PaintGradient, DiagonalsRunBetweenOppositeCornersWithoutGaps) {
    struct Case {
        TGradientDirection d;
        TPoint startCorner, stopCorner;
    };
    const int w = 41, h = 27;
    const Case cases[] = {{gdDiagonalUp, {0, h - 1}, {w - 1, 0}}, {gdDiagonalDown, {0, 0}, {w - 1, h - 1}}};
    for (const auto& c : cases) {
        TBitmap bmp(w, h);
        PaintGradient(bmp.Canvas(), Rect(0, 0, w, h), c.d, clBlack, clNavy, 1);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const TColor p = bmp.Canvas().Pixel(x, y);
                ASSERT_TRUE((p & 0xFFFF) == 0 && GetBValue(p) <= 0x80) << c.d << " at " << x << "," << y;
            }
        EXPECT_LE(GetBValue(bmp.Canvas().Pixel(c.startCorner.X, c.startCorner.Y)), 0x08) << c.d;
        EXPECT_GE(GetBValue(bmp.Canvas().Pixel(c.stopCorner.X, c.stopCorner.Y)), 0x78) << c.d;
        // Bands run parallel to the other diagonal: the colour grows along this one.
        const int mid = GetBValue(bmp.Canvas().Pixel(w / 2, h / 2));
        EXPECT_GT(mid, 0x30) << c.d;
        EXPECT_LT(mid, 0x50) << c.d;
    }
}

TEST(PaintGradient, DiagonalWithEqualColoursIsSolid) {
    TBitmap bmp(9, 7);
    Fill(bmp, kSentinel);
    PaintGradient(bmp.Canvas(), Rect(0, 0, 9, 7), gdDiagonalDown, clTeal, clTeal, 1);
    EXPECT_EQ(InkBounds(bmp.Canvas(), Rect(0, 0, 9, 7), clTeal).IsEmpty(), true);
}

// ---------------------------------------------------------------------------
// Bitmaps

TEST(FlipBitmap, MirrorsTopToBottom) {
    TBitmap bmp(2, 3);
    const TColor rows[3][2] = {{clRed, clLime}, {clBlue, clYellow}, {clBlack, clWhite}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) bmp.Canvas().SetPixel(x, y, rows[y][x]);
    FlipBitmap(bmp);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(bmp.Canvas().Pixel(x, y), rows[2 - y][x]) << x << "," << y;
    TBitmap empty;
    FlipBitmap(empty);
}

// ---------------------------------------------------------------------------
// Parent image

struct ParentFixture {
    TParentImageSource source;
    int invalidated = 0;
    ParentFixture() {
        source.ChildLeft = 6;
        source.ChildTop = 4;
        source.ParentClientWidth = 14;
        source.ParentClientHeight = 9;
        source.EraseBackground = [](TCanvas& c) {
            c.Brush().SetColor(clBlue);
            c.FillRect(Rect(0, 0, 100, 100));
        };
        source.PaintClient = [](TCanvas& c) {
            c.Brush().SetColor(clRed);
            c.FillRect(Rect(5, 5, 8, 7));
        };
        source.InvalidateParent = [this] { ++invalidated; };
    }
};

TEST(DrawParentImage, PaintsTheParentAtTheChildsOffsetClippedToItsClientArea) {
    ParentFixture parent;
    TBitmap child(10, 6);
    Fill(child, kSentinel);
    DrawParentImage(&parent.source, child.Canvas().Handle(), false);
    const TPalette pal{{clBlue, 'b'}, {clRed, 'r'}, {kSentinel, '.'}};
    EXPECT_EQ(Picture(child, pal),
              (TPicture{"bbbbbbbb..", "rrbbbbbb..", "rrbbbbbb..", "bbbbbbbb..", "bbbbbbbb..", ".........."}));
    EXPECT_EQ(parent.invalidated, 0);
    // The device is as it was: origin and clip are back.
    child.Canvas().SetPixel(9, 5, clBlack);
    EXPECT_EQ(child.Canvas().Pixel(9, 5), clBlack);
    EXPECT_EQ(child.Canvas().Origin(), (TPoint{0, 0}));
}

TEST(DrawParentImage, InvalidatesTheParentOnlyWhenAskedAndAllowed) {
    ParentFixture parent;
    TBitmap child(4, 4);
    DrawParentImage(&parent.source, child.Canvas().Handle(), true);
    EXPECT_EQ(parent.invalidated, 1);
    parent.source.InvalidateParent = nullptr;  // e.g. a form
    DrawParentImage(&parent.source, child.Canvas().Handle(), true);
    EXPECT_EQ(parent.invalidated, 1);
    DrawParentImage(static_cast<const TParentImageSource*>(nullptr), child.Canvas().Handle(), true);  // no parent
}

TEST(DrawParentImage, FailuresAreIgnoredOnlyWhileDesigning) {
    ParentFixture parent;
    parent.source.EraseBackground = [](TCanvas&) { throw std::runtime_error("cannot paint"); };
    TBitmap child(4, 4);
    Fill(child, kSentinel);
    EXPECT_THROW(DrawParentImage(&parent.source, child.Canvas().Handle(), false), std::runtime_error);
    EXPECT_EQ(child.Canvas().Origin(), (TPoint{0, 0}));
    EXPECT_EQ(child.Canvas().ClipRect(), Rect(0, 0, 4, 4));
    parent.source.Designing = true;
    EXPECT_NO_THROW(DrawParentImage(&parent.source, child.Canvas().Handle(), false));
    EXPECT_EQ(child.Canvas().Pixel(0, 1), clRed);  // the client area still painted
}

}  // namespace

namespace {

// A custom-drawn parent: background in its colour, a red block in its client area.
class TPaintingParent : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void Paint() override {
        Canvas().Brush().SetColor(clRed);
        Canvas().FillRect(Rect(5, 5, 8, 7));
    }
};

// A transparent windowless child that shows its parent behind itself.
class TSeeThrough : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    int paints = 0;

protected:
    void Paint() override {
        ++paints;
        DrawParentImage(this, Canvas().Handle(), false);
    }
};

TEST(DrawParentImage, TheParentOfARealControlPaintsItsBackgroundAndClientArea) {
    auto parent = MakeOwned<TPaintingParent>(nullptr);
    parent->SetBounds(0, 0, 14, 9);
    parent->SetColor(clBlue);
    auto* child = new TGraphicControl(parent.get());
    child->SetParent(parent.get());
    child->SetBounds(6, 4, 10, 6);
    TBitmap image(10, 6);
    Fill(image, kSentinel);
    DrawParentImage(child, image.Canvas().Handle(), true);
    const TPalette pal{{clBlue, 'b'}, {clRed, 'r'}, {kSentinel, '.'}};
    EXPECT_EQ(Picture(image, pal),
              (TPicture{"bbbbbbbb..", "rrbbbbbb..", "rrbbbbbb..", "bbbbbbbb..", "bbbbbbbb..", ".........."}));
    TGraphicControl orphan(nullptr);
    Fill(image, kSentinel);
    DrawParentImage(&orphan, image.Canvas().Handle(), true);  // no parent: nothing
    EXPECT_TRUE(InkBounds(image.Canvas(), Rect(0, 0, 10, 6), kSentinel).IsEmpty());
}

TEST(DrawParentImage, AWindowlessChildPaintingItsParentDoesNotRecurse) {
    auto parent = MakeOwned<TPaintingParent>(nullptr);
    parent->SetBounds(0, 0, 20, 12);
    parent->SetColor(clBlue);
    auto* child = new TSeeThrough(parent.get());
    child->SetParent(parent.get());
    child->SetBounds(4, 4, 8, 4);
    TBitmap image(20, 12);
    parent->PaintTo(image.Canvas(), 0, 0);
    EXPECT_EQ(child->paints, 2);  // once by the parent, once inside its own parent image
    EXPECT_EQ(image.Canvas().Pixel(5, 5), clRed);
    EXPECT_EQ(image.Canvas().Pixel(10, 6), clBlue);
}

}  // namespace
