// Pictures built into the program: the files under app/res, embedded as
// byte arrays when the program is built.
#pragma once

#include <cstddef>

// The main window's toolbar pictures: a PNG strip of 18 images of 16 x 16
// pixels with an alpha channel (drawn by tools/glyphs).
extern const unsigned char ImageList1Png[];
extern const std::size_t ImageList1PngSize;

// The program's icon, a PNG of each size (drawn by tools/appicon).
extern const unsigned char LumivarIcon16Png[];
extern const std::size_t LumivarIcon16PngSize;
extern const unsigned char LumivarIcon24Png[];
extern const std::size_t LumivarIcon24PngSize;
extern const unsigned char LumivarIcon32Png[];
extern const std::size_t LumivarIcon32PngSize;
extern const unsigned char LumivarIcon48Png[];
extern const std::size_t LumivarIcon48PngSize;
extern const unsigned char LumivarIcon64Png[];
extern const std::size_t LumivarIcon64PngSize;
extern const unsigned char LumivarIcon128Png[];
extern const std::size_t LumivarIcon128PngSize;
extern const unsigned char LumivarIcon256Png[];
extern const std::size_t LumivarIcon256PngSize;
