// Colours and font styles as plain values: what a character format is made
// of, and what stored layouts write. The canvas that draws with them is in
// Graphics.h.
#pragma once

#include <cstdint>

#include "Types.h"

// 0x00BBGGRR for an RGB value, 0xFF0000nn for system colour nn.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clSystemColor = 0xFF000000;
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clActiveCaption = clSystemColor | 2;
constexpr TColor clInactiveCaption = clSystemColor | 3;
constexpr TColor clMenu = clSystemColor | 4;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clMenuText = clSystemColor | 7;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clCaptionText = clSystemColor | 9;
constexpr TColor clActiveBorder = clSystemColor | 10;
constexpr TColor clInactiveBorder = clSystemColor | 11;
constexpr TColor clAppWorkSpace = clSystemColor | 12;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clInactiveCaptionText = clSystemColor | 19;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor cl3DDkShadow = clSystemColor | 21;
constexpr TColor cl3DLight = clSystemColor | 22;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;
constexpr TColor clHotLight = clSystemColor | 26;
constexpr int SystemColorCount = 31;

inline constexpr TColor RGB(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline constexpr int GetRValue(TColor c) { return c & 0xFF; }
inline constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
inline constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }
inline constexpr bool IsSystemColor(TColor c) { return (c & 0xFF000000u) == clSystemColor; }

// Resolves a system colour through the current system colour table; an RGB
// value comes back unchanged (clNone and clDefault resolve to black).
TColor ColorToRGB(TColor color);
// The system colour table: the classic table until the platform starts and
// fills it from the desktop's palette (UseDesktopPalette, Graphics.h), or
// pinned to the classic table so that pictures are reproducible.
void UseClassicPalette();
bool ClassicPaletteInUse();
// Back to the start-up table, not pinned: what the desktop's palette fills.
void ResetSystemColors();
void SetSystemColor(int index, TColor rgb);

// "clBtnFace" <-> clBtnFace, for stored layouts.
bool IdentToColor(std::u16string_view ident, TColor& color);
bool ColorToIdent(TColor color, String& ident);
// An identifier or a number, as stored layouts write colours.
String ColorToString(TColor color);
TColor StringToColor(std::u16string_view s);

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = Set<TFontStyle>;
