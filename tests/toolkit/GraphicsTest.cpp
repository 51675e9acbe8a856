#include <gtest/gtest.h>

#include "Graphics.h"

namespace {

TEST(Canvas, LineToLeavesOutTheEndPoint) {
    TBitmap bmp(6, 4);
    auto& c = bmp.Canvas();
    c.Brush().SetColor(clWhite);
    c.FillRect(Rect(0, 0, 6, 4));
    c.Pen().SetColor(clRed);
    c.MoveTo(1, 1);
    c.LineTo(4, 1);
    EXPECT_EQ(c.Pixel(0, 1), clWhite);
    EXPECT_EQ(c.Pixel(1, 1), clRed);
    EXPECT_EQ(c.Pixel(3, 1), clRed);
    EXPECT_EQ(c.Pixel(4, 1), clWhite);
}

}  // namespace
