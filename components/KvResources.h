// Pictures built into the component set: the files under components/res,
// embedded as byte arrays when the set is built.
#pragma once

#include <cstddef>

// The glyphs of the customization dialog's two hidden speed buttons, drawn
// by tools/glyphs --spacers: PNG strips of two 16 x 16 frames (enabled,
// greyed) whose bottom-left pixel's colour is transparent.
extern const unsigned char BtnSpacerPng[];
extern const std::size_t BtnSpacerPngSize;
extern const unsigned char BtnGrooveSpacerPng[];
extern const std::size_t BtnGrooveSpacerPngSize;
