// Pixel assertions for painting tests: a bitmap's pixels as rows of
// characters, one character per colour, so that expected pictures read as
// pictures in the test.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "Graphics.h"

using TPicture = std::vector<std::string>;
using TPalette = std::map<TColor, char>;

// Every pixel of r as its palette character; '?' for a colour outside the palette.
inline TPicture Picture(const TCanvas& canvas, const TRect& r, const TPalette& palette) {
    TPicture rows;
    for (int y = r.Top; y < r.Bottom; ++y) {
        std::string row;
        for (int x = r.Left; x < r.Right; ++x) {
            const auto it = palette.find(canvas.Pixel(x, y));
            row += it == palette.end() ? '?' : it->second;
        }
        rows.push_back(row);
    }
    return rows;
}

inline TPicture Picture(TBitmap& bitmap, const TPalette& palette) {
    return Picture(bitmap.Canvas(), Rect(0, 0, bitmap.Width(), bitmap.Height()), palette);
}

// A bitmap filled with one colour.
inline void Fill(TBitmap& bitmap, TColor color) {
    bitmap.Canvas().Brush().SetColor(color);
    bitmap.Canvas().FillRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));
}

// The smallest rectangle holding every pixel of r that differs from background.
inline TRect InkBounds(const TCanvas& canvas, const TRect& r, TColor background) {
    TRect ink{r.Right, r.Bottom, r.Left, r.Top};
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (canvas.Pixel(x, y) != background) {
                ink.Left = std::min(ink.Left, x);
                ink.Top = std::min(ink.Top, y);
                ink.Right = std::max(ink.Right, x + 1);
                ink.Bottom = std::max(ink.Bottom, y + 1);
            }
    return ink;
}
