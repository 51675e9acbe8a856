// Pictures built into the program: the files under app/res, embedded as
// byte arrays when the program is built.
#pragma once

#include <cstddef>

// The main window's toolbar pictures: a PNG strip of 18 images of 16 x 16
// pixels with an alpha channel (drawn by tools/glyphs).
extern const unsigned char ImageList1Png[];
extern const std::size_t ImageList1PngSize;
