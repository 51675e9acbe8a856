#include "GraphicsTypes.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

// ---------------------------------------------------------------------------
// System colours

namespace {

// The classic table; also the start-up table until the desktop palette is read.
constexpr std::array<TColor, SystemColorCount> kClassicTable = [] {
    std::array<TColor, SystemColorCount> t{};
    auto rgb = [](std::uint32_t hex) { return RGB((hex >> 16) & 0xFF, (hex >> 8) & 0xFF, hex & 0xFF); };
    t[0] = rgb(0xC8C8C8);   // scroll bar
    t[1] = rgb(0x000000);   // desktop
    t[2] = rgb(0x99B4D1);   // active caption
    t[3] = rgb(0xBFCDDB);   // inactive caption
    t[4] = rgb(0xF0F0F0);   // menu
    t[5] = rgb(0xFFFFFF);   // window
    t[6] = rgb(0x646464);   // window frame
    t[7] = rgb(0x000000);   // menu text
    t[8] = rgb(0x000000);   // window text
    t[9] = rgb(0x000000);   // caption text
    t[10] = rgb(0xB4B4B4);  // active border
    t[11] = rgb(0xF4F7FC);  // inactive border
    t[12] = rgb(0xABABAB);  // application work space
    t[13] = rgb(0x0078D7);  // highlight
    t[14] = rgb(0xFFFFFF);  // highlight text
    t[15] = rgb(0xF0F0F0);  // button face
    t[16] = rgb(0xA0A0A0);  // button shadow
    t[17] = rgb(0x6D6D6D);  // grey text
    t[18] = rgb(0x000000);  // button text
    t[19] = rgb(0x000000);  // inactive caption text
    t[20] = rgb(0xFFFFFF);  // button highlight
    t[21] = rgb(0x696969);  // 3-D dark shadow
    t[22] = rgb(0xE3E3E3);  // 3-D light
    t[23] = rgb(0x000000);  // info text
    t[24] = rgb(0xFFFFE1);  // info background
    t[25] = rgb(0x000000);
    t[26] = rgb(0x0066CC);  // hot light
    t[27] = rgb(0xB9D1EA);  // gradient active caption
    t[28] = rgb(0xD7E4F2);  // gradient inactive caption
    t[29] = rgb(0x3399FF);  // menu highlight
    t[30] = rgb(0xF0F0F0);  // menu bar
    return t;
}();

std::array<TColor, SystemColorCount> gSystemColors = kClassicTable;
bool gClassicPinned = false;

struct ColorName {
    TColor color;
    const char16_t* name;
};

constexpr ColorName kColorNames[] = {
    {clBlack, u"clBlack"}, {clMaroon, u"clMaroon"}, {clGreen, u"clGreen"}, {clOlive, u"clOlive"},
    {clNavy, u"clNavy"}, {clPurple, u"clPurple"}, {clTeal, u"clTeal"}, {clGray, u"clGray"},
    {clSilver, u"clSilver"}, {clRed, u"clRed"}, {clLime, u"clLime"}, {clYellow, u"clYellow"},
    {clBlue, u"clBlue"}, {clFuchsia, u"clFuchsia"}, {clAqua, u"clAqua"}, {clWhite, u"clWhite"},
    {clNone, u"clNone"}, {clDefault, u"clDefault"},
    {clScrollBar, u"clScrollBar"}, {clBackground, u"clBackground"}, {clActiveCaption, u"clActiveCaption"},
    {clInactiveCaption, u"clInactiveCaption"}, {clMenu, u"clMenu"}, {clWindow, u"clWindow"},
    {clWindowFrame, u"clWindowFrame"}, {clMenuText, u"clMenuText"}, {clWindowText, u"clWindowText"},
    {clCaptionText, u"clCaptionText"}, {clActiveBorder, u"clActiveBorder"},
    {clInactiveBorder, u"clInactiveBorder"}, {clAppWorkSpace, u"clAppWorkSpace"},
    {clHighlight, u"clHighlight"}, {clHighlightText, u"clHighlightText"}, {clBtnFace, u"clBtnFace"},
    {clBtnShadow, u"clBtnShadow"}, {clGrayText, u"clGrayText"}, {clBtnText, u"clBtnText"},
    {clInactiveCaptionText, u"clInactiveCaptionText"}, {clBtnHighlight, u"clBtnHighlight"},
    {cl3DDkShadow, u"cl3DDkShadow"}, {cl3DLight, u"cl3DLight"}, {clInfoText, u"clInfoText"},
    {clInfoBk, u"clInfoBk"}, {clHotLight, u"clHotLight"},
};

}  // namespace

TColor ColorToRGB(TColor color) {
    if (IsSystemColor(color)) {
        const unsigned index = color & 0xFF;
        return index < gSystemColors.size() ? gSystemColors[index] : clBlack;
    }
    if (color == clNone || color == clDefault) return clBlack;
    return color & 0xFFFFFF;
}

void UseClassicPalette() {
    gSystemColors = kClassicTable;
    gClassicPinned = true;
}

bool ClassicPaletteInUse() { return gClassicPinned; }

void ResetSystemColors() {
    gClassicPinned = false;
    gSystemColors = kClassicTable;
}

void SetSystemColor(int index, TColor rgb) {
    if (index >= 0 && index < SystemColorCount) gSystemColors[index] = rgb & 0xFFFFFF;
}

bool IdentToColor(std::u16string_view ident, TColor& color) {
    for (const auto& entry : kColorNames) {
        if (SameText(ident, entry.name)) {
            color = entry.color;
            return true;
        }
    }
    return false;
}

bool ColorToIdent(TColor color, String& ident) {
    for (const auto& entry : kColorNames) {
        if (entry.color == color) {
            ident = entry.name;
            return true;
        }
    }
    return false;
}

String ColorToString(TColor color) {
    String ident;
    if (ColorToIdent(color, ident)) return ident;
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(color));
    return S(buf);
}

TColor StringToColor(std::u16string_view s) {
    TColor c;
    if (IdentToColor(s, c)) return c;
    std::string text = StringToUtf8(s);
    if (!text.empty() && text[0] == '$') return static_cast<TColor>(std::strtoul(text.c_str() + 1, nullptr, 16));
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 0);
    if (text.empty() || (end && *end)) throw EConvertError(u"'" + String(s) + u"' is not a valid colour");
    return static_cast<TColor>(v);
}

