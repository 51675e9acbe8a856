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

// Fonts, pens, brushes and bitmaps copy one of their own kind also when it
// is handed over as any persistent object, and refuse any other kind.
TEST(GraphicsObjects, AssignThroughThePersistentInterfaceCopiesTheirOwnKind) {
    TFont font, otherFont;
    otherFont.SetName(u"Consolas");
    otherFont.SetStyle({fsBold});
    static_cast<TPersistent&>(font).Assign(&otherFont);
    EXPECT_TRUE(font.SameAs(otherFont));

    TPen pen, otherPen;
    otherPen.SetColor(clRed);
    otherPen.SetWidth(3);
    static_cast<TPersistent&>(pen).Assign(&otherPen);
    EXPECT_EQ(pen.Color(), clRed);
    EXPECT_EQ(pen.Width(), 3);

    TBrush brush, otherBrush;
    otherBrush.SetStyle(bsClear);
    static_cast<TPersistent&>(brush).Assign(&otherBrush);
    EXPECT_EQ(brush.Style(), bsClear);

    TBitmap bitmap, otherBitmap(3, 2);
    otherBitmap.Canvas().SetPixel(2, 1, clLime);
    static_cast<TPersistent&>(bitmap).Assign(&otherBitmap);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Canvas().Pixel(2, 1), clLime);

    EXPECT_THROW(static_cast<TPersistent&>(pen).Assign(&font), EConvertError);
    EXPECT_EQ(pen.Color(), clRed);
}

}  // namespace
