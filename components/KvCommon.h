// Shared painting kit of the Kv component set: the common enumerations and
// sets, frame and border painting, colour arithmetic on a hue-saturation-
// lightness scale, the office-like scheme colours, and the percent bars.
#pragma once

#include <array>

#include "Controls.h"
#include "Graphics.h"
#include "Themes.h"

// ---------------------------------------------------------------------------
// Shared enumerations and sets

enum TSide { sdLeft, sdTop, sdRight, sdBottom };
// Stored in one byte: bit n for the side of ordinal n.
using TSides = Set<TSide>;
inline constexpr TSides sdAllSides{sdLeft, sdTop, sdRight, sdBottom};

enum TFrameStyleEx {
    fsNone,
    fsFlat,
    fsGroove,
    fsBump,
    fsLowered,
    fsButtonDown,
    fsRaised,
    fsButtonUp,
    fsStatus,
    fsPopup,
    fsFlatBold,
    fsFlatRounded,
};
// The styles fsNone..fsFlatBold; properties of this type never hold fsFlatRounded.
using TFrameStyle = TFrameStyleEx;
inline constexpr TFrameStyleEx HighFrameStyle = fsFlatBold;
inline constexpr int FrameStyleCount = HighFrameStyle + 1;
// The styles that take two pixels from each framed side.
inline constexpr Set<TFrameStyleEx> fsDoubleBorders{fsGroove,     fsBump,   fsLowered,  fsButtonDown,
                                                    fsRaised,     fsButtonUp, fsFlatBold, fsFlatRounded};

enum TOrientation { orHorizontal, orVertical };
enum TAlignmentVertical { avTop, avCenter, avBottom };
// TAlignment and TButtonLayout are the controls tree's own.

enum TGradientDirection {
    gdDiagonalUp,
    gdDiagonalDown,
    gdHorizontalEnd,
    gdHorizontalCenter,
    gdHorizontalBox,
    gdVerticalEnd,
    gdVerticalCenter,
    gdVerticalBox,
    gdSquareBox,
    gdBigSquareBox,
};
enum TBarStyle { bsTraditional, bsLED, bsGradient };

enum TKvVisualStyle { vsClassic, vsWinXP, vsGradient };
enum TKvGradientColorStyle { gcsSystem, gcsMSOffice, gcsCustom };
enum TKvXPColorScheme { xpcsBlue, xpcsGreen, xpcsSilver };

// Upper-left and lower-right colours of the frame styles, indexed by TFrameStyle.
extern const std::array<TColor, FrameStyleCount> ULFrameColor;
extern const std::array<TColor, FrameStyleCount> LRFrameColor;

// Text-format flags by alignment and word wrap, and text-alignment flags.
inline constexpr std::array<unsigned, 3> DrawTextAlignments{DT_LEFT, DT_RIGHT, DT_CENTER};
inline constexpr std::array<unsigned, 2> DrawTextWordWrap{0, DT_WORDBREAK};
inline constexpr std::array<unsigned, 3> SetTextAlignments{TA_LEFT, TA_RIGHT, TA_CENTER};

// ---------------------------------------------------------------------------
// Frames. Each routine draws one-pixel lines, leaves the pen changed and
// returns the part of Bounds inside what it drew (possibly inverted, which
// callers treat as empty).

TRect DrawSides(TCanvas& Canvas, TRect Bounds, TColor ULColor, TColor LRColor, TSides Sides);
TRect DrawBevel(TCanvas& Canvas, TRect Bounds, TColor ULColor, TColor LRColor, int Width, TSides Sides);
TRect DrawBox(TCanvas& Canvas, TRect Bounds, TColor LineColor);
TRect DrawBoxCorners(TCanvas& Canvas, TRect Bounds, TColor LineColor, int CornerWidth);
TRect DrawCtl3DBorderSides(TCanvas& Canvas, TRect Bounds, bool Lowered, TSides Sides);
TRect DrawButtonBorder(TCanvas& Canvas, TRect Bounds, bool Lowered);
TRect DrawButtonBorderSides(TCanvas& Canvas, TRect Bounds, bool Lowered, TSides Sides);
TRect DrawColorButtonBorder(TCanvas& Canvas, TRect Bounds, TColor FaceColor, bool Lowered);
TRect DrawColorButtonBorderSides(TCanvas& Canvas, TRect Bounds, TColor FaceColor, bool Lowered, TSides Sides);
TRect DrawBorder(TCanvas& Canvas, TRect Bounds, TFrameStyleEx Style);
TRect DrawBorderSides(TCanvas& Canvas, TRect Bounds, TFrameStyleEx Style, TSides Sides);
TRect DrawColorBorder(TCanvas& Canvas, TRect Bounds, TColor FaceColor, TFrameStyleEx Style);
TRect DrawColorBorderSides(TCanvas& Canvas, TRect Bounds, TColor FaceColor, TFrameStyleEx Style, TSides Sides);
TRect DrawRoundedFlatBorder(TCanvas& Canvas, TRect Bounds, TColor Color, TSides Sides);
// The whole edge of a panel: outer frame, border band, inner frame.
TRect DrawInnerOuterBorders(TCanvas& Canvas, TRect Bounds, TFrameStyleEx BorderOuter, TFrameStyleEx BorderInner,
                            int BorderWidth, TSides BorderSides, int BevelWidth, TColor BorderColor,
                            TColor BorderHighlight, TColor BorderShadow, TColor FlatColor, int FlatColorAdjustment,
                            TColor Color, TColor ParentColor, bool Transparent, bool SoftInnerFlatBorder);

// A Width x Height rectangle centred in R.
TRect CenterRect(TRect R, int Width, int Height);
// Draws S in Bounds with the DT_ flags, or with DT_CALCRECT measures it into
// Bounds; returns the height of the text.
int DrawString(TCanvas& Canvas, const String& S, TRect& Bounds, unsigned Flags);

// ---------------------------------------------------------------------------
// Colour arithmetic. Hue, saturation and lightness run 0..240.

void ColorToHSL(TColor C, std::uint8_t& H, std::uint8_t& S, std::uint8_t& L);
TColor HSLtoColor(std::uint8_t H, std::uint8_t S, std::uint8_t L);
std::uint8_t ColorHue(TColor C);
TColor DarkerColor(TColor C, std::uint8_t Adjustment);
TColor LighterColor(TColor C, std::uint8_t Adjustment);
// Darker for a negative, lighter for a positive adjustment (its low byte);
// 0 gives C itself, unresolved.
TColor AdjustColor(TColor C, int Adjustment);
TColor BlendColors(TColor ForeColor, TColor BackColor, std::uint8_t Alpha);
bool ColorsTooClose(TColor ForeColor, TColor BackColor);
TColor ComplementaryColor(TColor C, std::uint8_t Luminance);

bool UsingSystemStyle();
TColor ActiveStyleSystemColor(TColor C);
TColor ActiveStyleColor(TStyleColor SC);
TColor ActiveStyleFontColor(TStyleFont SF);

bool IsFullColorSupported();
TKvXPColorScheme GetXPColorScheme();

// Set once when the unit starts (FullColorSupported first); a panel
// re-reads the scheme when the desktop theme changes.
extern bool FullColorSupported;
extern TKvXPColorScheme CurrentXPColorScheme;

// Office-like scheme colours.
inline constexpr TColor xpOfficeBlue_Selection_FrameColor = 0x00800000;
inline constexpr TColor xpOfficeBlue_Selection_ColorStart = 0x00C2EEFF;
inline constexpr TColor xpOfficeBlue_Selection_ColorStop = 0x00A0D9FF;
inline constexpr TColor xpOfficeBlue_Panel_ColorStart = 0x00FFEFE3;
inline constexpr TColor xpOfficeBlue_Panel_ColorStop = 0x00EABB99;
inline constexpr TColor xpOfficeBlue_Panel_FrameColor = 0x00BF7F57;

inline constexpr TColor xpOfficeGreen_Selection_FrameColor = 0x00385D3F;
inline constexpr TColor xpOfficeGreen_Selection_ColorStart = 0x00C2EEFF;
inline constexpr TColor xpOfficeGreen_Selection_ColorStop = 0x00A0D9FF;
inline constexpr TColor xpOfficeGreen_Panel_ColorStart = 0x00EDFFFF;
inline constexpr TColor xpOfficeGreen_Panel_ColorStop = 0x0092C7B8;
inline constexpr TColor xpOfficeGreen_Panel_FrameColor = 0x0077A17F;

inline constexpr TColor xpOfficeSilver_Selection_FrameColor = 0x006F4B4B;
inline constexpr TColor xpOfficeSilver_Selection_ColorStart = 0x00C2EEFF;
inline constexpr TColor xpOfficeSilver_Selection_ColorStop = 0x00A0D9FF;
inline constexpr TColor xpOfficeSilver_Panel_ColorStart = 0x00FFF9F9;
inline constexpr TColor xpOfficeSilver_Panel_ColorStop = 0x00D0BCBD;
inline constexpr TColor xpOfficeSilver_Panel_FrameColor = 0x00B19F9F;

void GetGradientSelectionColors(TKvGradientColorStyle ColorStyle, TColor& FrameColor, TColor& StartColor,
                                TColor& StopColor);
void GetGradientPanelColors(TKvGradientColorStyle ColorStyle, TColor& StartColor, TColor& StopColor);
TColor GetGradientPanelFrameColor(TKvGradientColorStyle ColorStyle);
void GetGradientStatusBarColors(TKvGradientColorStyle ColorStyle, TColor& StartColor, TColor& StopColor,
                                TColor& DividerColor);

// ---------------------------------------------------------------------------
// Percent bars of progress displays.

void DrawPercentBar(TCanvas& Canvas, TRect Bounds, TOrientation Orientation, TColor BarColor, TColor BackColor,
                    std::uint16_t Percent, bool ShowPercent, bool Transparent, bool ShowParts, int PartsComplete,
                    int TotalParts);
void DrawGradientPercentBar(TCanvas& Canvas, TRect Bounds, TOrientation Orientation, TColor BarColor,
                            TColor BarColorStop, TColor BackColor, TColor BackColorStop,
                            TGradientDirection gradientDirection, std::uint16_t Percent, bool ShowPercent,
                            bool Transparent, bool ShowParts, int PartsComplete, int TotalParts);
void DrawLEDBar(TCanvas& Canvas, TRect Bounds, TOrientation Orientation, TColor BarColor, TColor BackColor,
                int NumSegments, int Percent, bool ThemeAware, bool Transparent);
