#include "KvCommon.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Forms.h"
#include "KvGrafx.h"
#include "Platform.h"
#include "Settings.h"

// ---------------------------------------------------------------------------
// Frame colour tables

const std::array<TColor, FrameStyleCount> ULFrameColor{
    clWindow,        // fsNone
    cl3DDkShadow,    // fsFlat
    clBtnShadow,     // fsGroove
    clBtnHighlight,  // fsBump
    clBtnShadow,     // fsLowered
    clNone,          // fsButtonDown
    cl3DDkShadow,    // fsRaised
    clNone,          // fsButtonUp
    clBtnShadow,     // fsStatus
    clBtnHighlight,  // fsPopup
    clBtnShadow,     // fsFlatBold
};

const std::array<TColor, FrameStyleCount> LRFrameColor{
    clWindow,        // fsNone
    cl3DDkShadow,    // fsFlat
    clBtnHighlight,  // fsGroove
    clBtnShadow,     // fsBump
    clBtnHighlight,  // fsLowered
    clNone,          // fsButtonDown
    clBtnFace,       // fsRaised
    clNone,          // fsButtonUp
    clBtnHighlight,  // fsStatus
    clBtnShadow,     // fsPopup
    clBtnShadow,     // fsFlatBold
};

// ---------------------------------------------------------------------------
// Frames

TRect ShrinkSides(TRect r, TSides sides, int by) {
    if (sides.Contains(sdLeft)) r.Left += by;
    if (sides.Contains(sdTop)) r.Top += by;
    if (sides.Contains(sdRight)) r.Right -= by;
    if (sides.Contains(sdBottom)) r.Bottom -= by;
    return r;
}

namespace {

void Line(TCanvas& canvas, int x1, int y1, int x2, int y2) {
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

// Two DrawSides passes, the inner one on what the outer one left.
TRect TwoPasses(TCanvas& canvas, const TRect& bounds, TColor outerUL, TColor outerLR, TColor innerUL,
                TColor innerLR, TSides sides) {
    const TRect r = DrawSides(canvas, bounds, outerUL, outerLR, sides);
    return DrawSides(canvas, r, innerUL, innerLR, sides);
}

// An etched line: the upper-left colour with the lower-right colour one pixel
// right and below it, corners patched so that open ends look cut, not bent.
TRect DrawEtchedSides(TCanvas& canvas, const TRect& bounds, TColor ul, TColor lr, TSides sides) {
    const int L = bounds.Left, T = bounds.Top, R = bounds.Right, B = bounds.Bottom;
    const bool left = sides.Contains(sdLeft), top = sides.Contains(sdTop);
    const bool right = sides.Contains(sdRight), bottom = sides.Contains(sdBottom);
    if (right) canvas.SetPixel(R - 1, T, lr);
    if (top && !right) canvas.SetPixel(R - 1, T, ul);
    if (bottom) canvas.SetPixel(L, B - 1, lr);
    if (left && !bottom) canvas.SetPixel(L, B - 1, ul);
    if (top && !left) canvas.SetPixel(L, T + 1, lr);
    if (!top && left) canvas.SetPixel(L + 1, T, lr);
    if (bottom && !right) canvas.SetPixel(R - 1, B - 2, ul);
    if (!bottom && right) canvas.SetPixel(R - 2, B - 1, ul);
    DrawSides(canvas, Rect(L + 1, T + 1, R, B), lr, lr, sides);
    DrawSides(canvas, Rect(L, T, R - 1, B - 1), ul, ul, sides);
    return ShrinkSides(bounds, sides, 2);
}

}  // namespace

TRect DrawSides(TCanvas& Canvas, TRect Bounds, TColor ULColor, TColor LRColor, TSides Sides) {
    const int L = Bounds.Left, T = Bounds.Top, R = Bounds.Right, B = Bounds.Bottom;
    if (ULColor != clNone) {
        Canvas.Pen().SetColor(ULColor);
        if (Sides.Contains(sdLeft)) Line(Canvas, L, T, L, B);
        if (Sides.Contains(sdTop)) Line(Canvas, L, T, R, T);
    }
    if (LRColor != clNone) {
        Canvas.Pen().SetColor(LRColor);
        if (Sides.Contains(sdRight)) Line(Canvas, R - 1, T, R - 1, B);
        if (Sides.Contains(sdBottom)) Line(Canvas, L, B - 1, R, B - 1);
    }
    return ShrinkSides(Bounds, Sides, 1);
}

TRect DrawBevel(TCanvas& Canvas, TRect Bounds, TColor ULColor, TColor LRColor, int Width, TSides Sides) {
    Canvas.Pen().SetWidth(1);
    for (int i = 0; i < Width; ++i) Bounds = DrawSides(Canvas, Bounds, ULColor, LRColor, Sides);
    return Bounds;
}

TRect DrawBox(TCanvas& Canvas, TRect Bounds, TColor LineColor) {
    const int L = Bounds.Left, T = Bounds.Top, R = Bounds.Right, B = Bounds.Bottom;
    Canvas.Pen().SetColor(LineColor);
    Line(Canvas, L, T, L, B);
    Line(Canvas, L, T, R, T);
    Line(Canvas, R - 1, T, R - 1, B);
    Line(Canvas, L, B - 1, R, B - 1);
    return ShrinkSides(Bounds, sdAllSides, 1);
}

TRect DrawBoxCorners(TCanvas& Canvas, TRect Bounds, TColor LineColor, int CornerWidth) {
    const int L = Bounds.Left, T = Bounds.Top, R1 = Bounds.Right - 1, B1 = Bounds.Bottom - 1, W = CornerWidth;
    Canvas.Pen().SetColor(LineColor);
    Canvas.Polyline({{L, T + W - 1}, {L, T}, {L + W, T}});
    Canvas.Polyline({{R1 - W + 1, T}, {R1, T}, {R1, T + W}});
    Canvas.Polyline({{R1, B1 - W + 1}, {R1, B1}, {R1 - W, B1}});
    Canvas.Polyline({{L + W - 1, B1}, {L, B1}, {L, B1 - W}});
    return ShrinkSides(Bounds, sdAllSides, 1);
}

TRect DrawCtl3DBorderSides(TCanvas& Canvas, TRect Bounds, bool Lowered, TSides Sides) {
    const auto asc = ActiveStyleSystemColor;
    const TRect r = Lowered ? DrawBevel(Canvas, Bounds, asc(clBtnShadow), asc(clBtnHighlight), 1, Sides)
                            : DrawBevel(Canvas, Bounds, asc(cl3DLight), asc(cl3DDkShadow), 1, Sides);
    return Lowered ? DrawBevel(Canvas, r, asc(cl3DDkShadow), asc(cl3DLight), 1, Sides)
                   : DrawBevel(Canvas, r, asc(clBtnHighlight), asc(clBtnShadow), 1, Sides);
}

TRect DrawButtonBorder(TCanvas& Canvas, TRect Bounds, bool Lowered) {
    return DrawButtonBorderSides(Canvas, Bounds, Lowered, sdAllSides);
}

TRect DrawButtonBorderSides(TCanvas& Canvas, TRect Bounds, bool Lowered, TSides Sides) {
    const bool system = UsingSystemStyle();
    auto color = [system](TColor c) { return system ? c : ActiveStyleSystemColor(c); };
    TColor outerUL = clBtnHighlight, outerLR = cl3DDkShadow, innerUL = cl3DLight, innerLR = clBtnShadow;
    if (Lowered) {
        // The pressed edge is black on the platform's own look, the style's dark shadow otherwise.
        outerUL = outerLR = system ? clBtnText : cl3DDkShadow;
        innerUL = innerLR = clBtnShadow;
    }
    const TRect r = DrawBevel(Canvas, Bounds, color(outerUL), color(outerLR), 1, Sides);
    return DrawBevel(Canvas, r, color(innerUL), color(innerLR), 1, Sides);
}

TRect DrawColorButtonBorder(TCanvas& Canvas, TRect Bounds, TColor FaceColor, bool Lowered) {
    return DrawColorButtonBorderSides(Canvas, Bounds, FaceColor, Lowered, sdAllSides);
}

TRect DrawColorButtonBorderSides(TCanvas& Canvas, TRect Bounds, TColor FaceColor, bool Lowered, TSides Sides) {
    if (Lowered) {
        const TColor d100 = DarkerColor(FaceColor, 100), d50 = DarkerColor(FaceColor, 50);
        return TwoPasses(Canvas, Bounds, d100, d100, d50, d50, Sides);
    }
    return TwoPasses(Canvas, Bounds, LighterColor(FaceColor, 100), DarkerColor(FaceColor, 100),
                     LighterColor(FaceColor, 40), DarkerColor(FaceColor, 50), Sides);
}

TRect DrawBorder(TCanvas& Canvas, TRect Bounds, TFrameStyleEx Style) {
    return DrawBorderSides(Canvas, Bounds, Style, sdAllSides);
}

TRect DrawBorderSides(TCanvas& Canvas, TRect Bounds, TFrameStyleEx Style, TSides Sides) {
    // The tables have no row for the rounded style; it is drawn etched in the
    // bump's colours, as the face-colour variant draws it.
    const TFrameStyle row = Style == fsFlatRounded ? fsBump : Style;
    const TColor ul = ActiveStyleSystemColor(ULFrameColor[row]);
    const TColor lr = ActiveStyleSystemColor(LRFrameColor[row]);
    switch (Style) {
        case fsNone: return Bounds;
        case fsFlat:
        case fsStatus:
        case fsPopup: return DrawSides(Canvas, Bounds, ul, lr, Sides);
        case fsFlatBold: return DrawBevel(Canvas, Bounds, ul, lr, 2, Sides);
        case fsLowered:
        case fsRaised: return DrawCtl3DBorderSides(Canvas, Bounds, Style == fsLowered, Sides);
        case fsButtonDown:
        case fsButtonUp: return DrawButtonBorderSides(Canvas, Bounds, Style == fsButtonDown, Sides);
        case fsGroove:
        case fsBump:
        case fsFlatRounded: return DrawEtchedSides(Canvas, Bounds, ul, lr, Sides);
    }
    return Bounds;
}

TRect DrawColorBorder(TCanvas& Canvas, TRect Bounds, TColor FaceColor, TFrameStyleEx Style) {
    return DrawColorBorderSides(Canvas, Bounds, FaceColor, Style, sdAllSides);
}

TRect DrawColorBorderSides(TCanvas& Canvas, TRect Bounds, TColor FaceColor, TFrameStyleEx Style, TSides Sides) {
    const TColor d50 = DarkerColor(FaceColor, 50), d100 = DarkerColor(FaceColor, 100);
    const TColor l50 = LighterColor(FaceColor, 50), l100 = LighterColor(FaceColor, 100);
    switch (Style) {
        case fsNone: return Bounds;
        case fsFlat: return DrawSides(Canvas, Bounds, d50, d50, Sides);
        case fsGroove: return DrawEtchedSides(Canvas, Bounds, d50, l100, Sides);
        case fsBump:
        case fsFlatRounded: return DrawEtchedSides(Canvas, Bounds, l100, d50, Sides);
        case fsLowered: return TwoPasses(Canvas, Bounds, d50, l100, d100, l50, Sides);
        case fsRaised: return TwoPasses(Canvas, Bounds, l50, d100, l100, d50, Sides);
        case fsButtonDown:
        case fsButtonUp:
            return DrawColorButtonBorderSides(Canvas, Bounds, FaceColor, Style == fsButtonDown, Sides);
        case fsStatus: return DrawSides(Canvas, Bounds, d50, l100, Sides);
        case fsPopup: return DrawSides(Canvas, Bounds, l100, d50, Sides);
        case fsFlatBold: return TwoPasses(Canvas, Bounds, d50, d50, d50, d50, Sides);
    }
    return Bounds;
}

TRect DrawRoundedFlatBorder(TCanvas& Canvas, TRect Bounds, TColor Color, TSides Sides) {
    const int L = Bounds.Left, T = Bounds.Top, R = Bounds.Right, B = Bounds.Bottom;
    const bool left = Sides.Contains(sdLeft), top = Sides.Contains(sdTop);
    const bool right = Sides.Contains(sdRight), bottom = Sides.Contains(sdBottom);
    const int tl = left ? 2 : 0, tt = top ? 2 : 0, tr = right ? 2 : 0, tb = bottom ? 2 : 0;
    Canvas.Pen().SetColor(Color);
    if (left) Line(Canvas, L, T + tt, L, B - tb);
    if (top) Line(Canvas, L + tl, T, R - tr, T);
    if (right) Line(Canvas, R - 1, T + tt, R - 1, B - tb);
    if (bottom) Line(Canvas, L + tl, B - 1, R - tr, B - 1);
    if (left && top) Canvas.SetPixel(L + 1, T + 1, Color);
    if (top && right) Canvas.SetPixel(R - 2, T + 1, Color);
    if (right && bottom) Canvas.SetPixel(R - 2, B - 2, Color);
    if (left && bottom) Canvas.SetPixel(L + 1, B - 2, Color);
    return ShrinkSides(Bounds, Sides, 2);
}

namespace {

// The outer or inner frame of a panel edge: the flat styles in the adjusted
// flat colour, the shallow bevels in the caller's colours at BevelWidth, the
// others as DrawBorderSides draws them.
TRect DrawPanelFrame(TCanvas& canvas, TRect r, TFrameStyleEx style, TSides sides, int bevelWidth, TColor highlight,
                     TColor shadow, TColor flat) {
    switch (style) {
        case fsFlat: return DrawBevel(canvas, r, flat, flat, 1, sides);
        case fsFlatBold: return DrawBevel(canvas, r, flat, flat, 2, sides);
        case fsPopup: return DrawBevel(canvas, r, highlight, shadow, bevelWidth, sides);
        case fsStatus: return DrawBevel(canvas, r, shadow, highlight, bevelWidth, sides);
        default: return DrawBorderSides(canvas, r, style, sides);
    }
}

}  // namespace

TRect DrawSoftFlatFrame(TCanvas& canvas, const TRect& r, TColor color) {
    canvas.Pen().SetColor(color);
    Line(canvas, r.Left, r.Top + 1, r.Left, r.Bottom - 1);
    Line(canvas, r.Left + 1, r.Top, r.Right - 1, r.Top);
    Line(canvas, r.Right - 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    Line(canvas, r.Left + 1, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
    return ShrinkSides(r, sdAllSides, 1);
}

TRect DrawInnerOuterBorders(TCanvas& Canvas, TRect Bounds, TFrameStyleEx BorderOuter, TFrameStyleEx BorderInner,
                            int BorderWidth, TSides BorderSides, int BevelWidth, TColor BorderColor,
                            TColor BorderHighlight, TColor BorderShadow, TColor FlatColor, int FlatColorAdjustment,
                            TColor Color, TColor ParentColor, bool Transparent, bool SoftInnerFlatBorder) {
    const auto flat = [&] { return AdjustColor(FlatColor, FlatColorAdjustment); };
    const bool hasBand = BorderWidth > 0 || BorderInner != fsNone;
    TRect r = Bounds;

    if (BorderOuter == fsFlatRounded) {
        // The rings under the clipped corners show the parent outside and the
        // band (or the face) inside; they are not taken off r.
        if (!Transparent) {
            const TRect t1 = DrawBevel(Canvas, r, ParentColor, ParentColor, 1, BorderSides);
            const TColor x = hasBand ? BorderColor : Color;
            DrawBevel(Canvas, t1, x, x, 1, BorderSides);
        } else if (hasBand) {
            DrawBevel(Canvas, InflateRect(r, -1, -1), BorderColor, BorderColor, 1, BorderSides);
        }
        r = DrawRoundedFlatBorder(Canvas, r, flat(), BorderSides);
    } else {
        const TColor c = BorderOuter == fsFlat || BorderOuter == fsFlatBold ? flat() : clNone;
        r = DrawPanelFrame(Canvas, r, BorderOuter, BorderSides, BevelWidth, BorderHighlight, BorderShadow, c);
    }

    if (BorderWidth > 0) r = DrawBevel(Canvas, r, BorderColor, BorderColor, BorderWidth, BorderSides);

    if (BorderInner == fsFlatRounded) {
        const TRect t1 = DrawBevel(Canvas, r, BorderColor, BorderColor, 1, BorderSides);
        if (!Transparent) DrawBevel(Canvas, t1, Color, Color, 1, BorderSides);
        r = DrawRoundedFlatBorder(Canvas, r, flat(), BorderSides);
    } else if (BorderInner == fsFlat && SoftInnerFlatBorder) {
        r = DrawSoftFlatFrame(Canvas, r, flat());
    } else {
        const TColor c = BorderInner == fsFlat || BorderInner == fsFlatBold ? flat() : clNone;
        r = DrawPanelFrame(Canvas, r, BorderInner, BorderSides, BevelWidth, BorderHighlight, BorderShadow, c);
    }
    return r;
}

TRect CenterRect(TRect R, int Width, int Height) {
    const int left = (R.Left + R.Right - Width) / 2;
    const int top = (R.Top + R.Bottom - Height) / 2;
    return Rect(left, top, left + Width, top + Height);
}

int RoundEven(double Value) { return static_cast<int>(std::nearbyint(Value)); }

int DrawString(TCanvas& Canvas, const String& S, TRect& Bounds, unsigned Flags) {
    return Canvas.DrawText(S, Bounds, Flags);
}

// ---------------------------------------------------------------------------
// Colour arithmetic

namespace {

std::uint8_t ToByte(int v) { return static_cast<std::uint8_t>(v); }

}  // namespace

void ColorToHSL(TColor C, std::uint8_t& H, std::uint8_t& S, std::uint8_t& L) {
    const TColor rgb = ColorToRGB(C);
    const double r = GetRValue(rgb) / 255.0, g = GetGValue(rgb) / 255.0, b = GetBValue(rgb) / 255.0;
    double cmax = r > g ? r : g;
    if (b > cmax) cmax = b;
    double cmin = r < g ? r : g;
    if (b < cmin) cmin = b;
    const double l = (cmax + cmin) / 2;
    double h = 0, s = 0;
    if (cmax != cmin) {
        const double d = cmax - cmin;
        s = l < 0.5 ? d / (cmax + cmin) : d / (2 - cmax - cmin);
        if (r == cmax)
            h = (g - b) / d;
        else if (g == cmax)
            h = 2 + (b - r) / d;
        else
            h = 4 + (r - g) / d;
        h /= 6;
        if (h < 0) h += 1;
    }
    H = ToByte(RoundEven(h * 240));
    S = ToByte(RoundEven(s * 240));
    L = ToByte(RoundEven(l * 240));
}

TColor HSLtoColor(std::uint8_t H, std::uint8_t S, std::uint8_t L) {
    double hn = H / 239.0;  // 239: how the scale has always been read back
    const double sn = S / 240.0, ln = L / 240.0;
    const double v = ln < 0.5 ? ln * (1 + sn) : ln + sn - ln * sn;
    if (v <= 0) return clBlack;
    const double m = 2 * ln - v;
    const double sv = (v - m) / v;
    hn *= 6;
    const int sextant = static_cast<int>(hn);
    const double fract = hn - sextant;
    const double vsf = v * sv * fract;
    const double mid1 = m + vsf, mid2 = v - vsf;
    double red, green, blue;
    switch (sextant) {
        case 1: red = mid2, green = v, blue = m; break;
        case 2: red = m, green = v, blue = mid1; break;
        case 3: red = m, green = mid2, blue = v; break;
        case 4: red = mid1, green = m, blue = v; break;
        case 5: red = v, green = m, blue = mid2; break;
        default: red = v, green = mid1, blue = m; break;
    }
    auto channel = [](double c) { return RoundEven(std::min(c, 1.0) * 255); };
    return RGB(channel(red), channel(green), channel(blue));
}

std::uint8_t ColorHue(TColor C) {
    std::uint8_t h, s, l;
    ColorToHSL(C, h, s, l);
    return h;
}

TColor DarkerColor(TColor C, std::uint8_t Adjustment) {
    std::uint8_t h, s, l;
    ColorToHSL(C, h, s, l);
    return HSLtoColor(h, s, ToByte(std::max(l - Adjustment, 0)));
}

TColor LighterColor(TColor C, std::uint8_t Adjustment) {
    std::uint8_t h, s, l;
    ColorToHSL(C, h, s, l);
    return HSLtoColor(h, s, ToByte(std::min(l + Adjustment, 255)));
}

TColor AdjustColor(TColor C, int Adjustment) {
    if (Adjustment < 0) return DarkerColor(C, ToByte(-static_cast<long long>(Adjustment) & 0xFF));
    if (Adjustment > 0) return LighterColor(C, ToByte(Adjustment & 0xFF));
    return C;
}

TColor BlendColors(TColor ForeColor, TColor BackColor, std::uint8_t Alpha) {
    const TColor fore = ColorToRGB(ForeColor), back = ColorToRGB(BackColor);
    const double a = static_cast<float>(Alpha / 255.0f);
    auto mix = [a](int f, int b) { return RoundEven(f * a + (1 - a) * b); };
    return RGB(mix(GetRValue(fore), GetRValue(back)), mix(GetGValue(fore), GetGValue(back)),
               mix(GetBValue(fore), GetBValue(back)));
}

bool ColorsTooClose(TColor ForeColor, TColor BackColor) {
    std::uint8_t h1, s1, l1, h2, s2, l2;
    ColorToHSL(ForeColor, h1, s1, l1);
    ColorToHSL(BackColor, h2, s2, l2);
    return std::abs(h1 - h2) < 20 && std::abs(l1 - l2) < 60;
}

TColor ComplementaryColor(TColor C, std::uint8_t Luminance) {
    int h = ColorHue(C);
    h = h < 120 ? h + 120 : h - 120;
    return HSLtoColor(ToByte(h), 240, Luminance);
}

bool UsingSystemStyle() { return StyleServices().IsSystemStyle(); }

TColor ActiveStyleSystemColor(TColor C) { return UsingSystemStyle() ? C : StyleServices().GetSystemColor(C); }

TColor ActiveStyleColor(TStyleColor SC) { return UsingSystemStyle() ? clNone : StyleServices().GetStyleColor(SC); }

TColor ActiveStyleFontColor(TStyleFont SF) {
    return UsingSystemStyle() ? clNone : StyleServices().GetStyleFontColor(SF);
}

bool IsFullColorSupported() {
    // No screen to ask (a batch run): nothing limits the colours drawn.
    const int depth = ScreenColorDepth();
    return depth == 0 || depth > 8;
}

TKvXPColorScheme GetXPColorScheme() {
    const String name = UpperCase(ReadSettingString(u"ThemeManager", u"ColorName", u""));
    if (name == u"HOMESTEAD") return xpcsGreen;
    if (name == u"METALLIC") return xpcsSilver;
    return xpcsBlue;
}

bool FullColorSupported = true;
TKvXPColorScheme CurrentXPColorScheme = xpcsBlue;

namespace {

// Neither can be known when the program is loaded: the screen's depth needs
// the running platform, and the settings reader may be pointed elsewhere
// (a test's own settings) only just before the platform starts. In this
// order: the scheme's colours are chosen knowing the display's depth.
void ReadDisplayColours() {
    FullColorSupported = IsFullColorSupported();
    CurrentXPColorScheme = GetXPColorScheme();
}

[[maybe_unused]] const bool gDisplayColoursReadAtStart = (WhenPlatformStarts(ReadDisplayColours), true);

}  // namespace

// ---------------------------------------------------------------------------
// Scheme colours

namespace {

struct TSchemeColors {
    TColor SelectionFrame, SelectionStart, SelectionStop, PanelStart, PanelStop, PanelFrame;
};

const TSchemeColors& SchemeColors(TKvXPColorScheme scheme) {
    static const TSchemeColors kSchemes[] = {
        {xpOfficeBlue_Selection_FrameColor, xpOfficeBlue_Selection_ColorStart, xpOfficeBlue_Selection_ColorStop,
         xpOfficeBlue_Panel_ColorStart, xpOfficeBlue_Panel_ColorStop, xpOfficeBlue_Panel_FrameColor},
        {xpOfficeGreen_Selection_FrameColor, xpOfficeGreen_Selection_ColorStart, xpOfficeGreen_Selection_ColorStop,
         xpOfficeGreen_Panel_ColorStart, xpOfficeGreen_Panel_ColorStop, xpOfficeGreen_Panel_FrameColor},
        {xpOfficeSilver_Selection_FrameColor, xpOfficeSilver_Selection_ColorStart,
         xpOfficeSilver_Selection_ColorStop, xpOfficeSilver_Panel_ColorStart, xpOfficeSilver_Panel_ColorStop,
         xpOfficeSilver_Panel_FrameColor},
    };
    return kSchemes[scheme];
}

// The office colours apply only while the desktop's themes are on.
bool UseOfficeColors(TKvGradientColorStyle style) {
    return style == gcsMSOffice && ThemeServices().ThemesEnabled();
}

}  // namespace

void GetGradientSelectionColors(TKvGradientColorStyle ColorStyle, TColor& FrameColor, TColor& StartColor,
                                TColor& StopColor) {
    if (UseOfficeColors(ColorStyle)) {
        const TSchemeColors& scheme = SchemeColors(CurrentXPColorScheme);
        FrameColor = scheme.SelectionFrame;
        StartColor = scheme.SelectionStart;
        StopColor = scheme.SelectionStop;
    } else {
        FrameColor = ActiveStyleSystemColor(clHighlight);
        const TColor c = BlendColors(ActiveStyleSystemColor(clHighlight), ActiveStyleSystemColor(clWindow), 77);
        StartColor = LighterColor(c, 20);
        StopColor = c;
    }
    if (!FullColorSupported) StartColor = StopColor;
}

void GetGradientPanelColors(TKvGradientColorStyle ColorStyle, TColor& StartColor, TColor& StopColor) {
    if (UseOfficeColors(ColorStyle)) {
        const TSchemeColors& scheme = SchemeColors(CurrentXPColorScheme);
        StartColor = scheme.PanelStart;
        StopColor = scheme.PanelStop;
    } else {
        StartColor = ActiveStyleSystemColor(clWindow);
        StopColor = DarkerColor(ActiveStyleSystemColor(clBtnFace), 10);
    }
}

TColor GetGradientPanelFrameColor(TKvGradientColorStyle ColorStyle) {
    if (UseOfficeColors(ColorStyle)) return SchemeColors(CurrentXPColorScheme).PanelFrame;
    return LighterColor(ActiveStyleSystemColor(clBtnShadow), 30);
}

void GetGradientStatusBarColors(TKvGradientColorStyle ColorStyle, TColor& StartColor, TColor& StopColor,
                                TColor& DividerColor) {
    if (UseOfficeColors(ColorStyle)) {
        const TSchemeColors& scheme = SchemeColors(CurrentXPColorScheme);
        StartColor = scheme.PanelStop;
        StopColor = scheme.PanelStart;
        DividerColor = StartColor;
    } else {
        StartColor = DarkerColor(ActiveStyleSystemColor(clBtnFace), 20);
        StopColor = ActiveStyleSystemColor(clWindow);
        DividerColor = DarkerColor(ActiveStyleSystemColor(clBtnFace), 40);
    }
}

// ---------------------------------------------------------------------------
// Percent bars

namespace {

String BarText(std::uint16_t percent, bool showPercent, bool showParts, int partsComplete, int totalParts) {
    if (!showPercent) return String();
    char buf[48];
    if (showParts)
        std::snprintf(buf, sizeof buf, "%u / %u", static_cast<unsigned>(partsComplete),
                      static_cast<unsigned>(totalParts));
    else
        std::snprintf(buf, sizeof buf, "%u%%", static_cast<unsigned>(percent));
    return S(buf);
}

struct TBarParts {
    TRect Done;
    TRect Rest;
};

// The done part and the remaining part of a bar; a vertical bar fills from the bottom.
TBarParts SplitBar(const TRect& bounds, TOrientation orientation, std::uint16_t percent) {
    TBarParts parts{bounds, bounds};
    if (percent >= 100) {
        parts.Rest = orientation == orHorizontal ? Rect(bounds.Right, bounds.Top, bounds.Right, bounds.Bottom)
                                                 : Rect(bounds.Left, bounds.Top, bounds.Right, bounds.Top);
        return parts;
    }
    if (orientation == orVertical) {
        parts.Done.Top = bounds.Bottom - RoundEven((bounds.Bottom - bounds.Top) * percent / 100.0);
        parts.Rest.Bottom = parts.Done.Top;
    } else {
        parts.Done.Right = bounds.Left + RoundEven((bounds.Right - bounds.Left) * percent / 100.0);
        parts.Rest.Left = parts.Done.Right;
    }
    return parts;
}

// Where the bar text goes: centred on the bar, its top TopOffset below the
// bar's top. The text is drawn once per part, clipped to it, so it reads as
// one string whose colour changes where the bar ends.
TPoint BarTextOrigin(TCanvas& canvas, const TRect& bounds) {
    canvas.SetTextAlign(TA_CENTER | TA_TOP);
    const int topOffset = (bounds.Bottom - bounds.Top - canvas.TextHeight(u"X")) / 2;
    return {(bounds.Left + bounds.Right) / 2, bounds.Top + topOffset};
}

// Text over a part whose background is already painted.
void BarTextOver(TCanvas& canvas, const TRect& part, TPoint at, const String& text) {
    if (text.empty()) return;
    canvas.Brush().SetStyle(bsClear);
    canvas.TextRect(part, at.X, at.Y, text);
    canvas.Brush().SetStyle(bsSolid);
}

}  // namespace

void DrawPercentBar(TCanvas& Canvas, TRect Bounds, TOrientation Orientation, TColor BarColor, TColor BackColor,
                    std::uint16_t Percent, bool ShowPercent, bool Transparent, bool ShowParts, int PartsComplete,
                    int TotalParts) {
    const String text = BarText(Percent, ShowPercent, ShowParts, PartsComplete, TotalParts);
    Canvas.Font().SetColor(BackColor);
    Canvas.Brush().SetColor(BarColor);
    const TBarParts parts = SplitBar(Bounds, Orientation, Percent);
    const TPoint at = BarTextOrigin(Canvas, Bounds);
    Canvas.TextRect(parts.Done, at.X, at.Y, text);

    Canvas.Font().SetColor(BarColor);
    if (Transparent)
        Canvas.Brush().SetStyle(bsClear);
    else
        Canvas.Brush().SetColor(BackColor);
    Canvas.TextRect(parts.Rest, at.X, at.Y, text);
    if (Transparent) Canvas.Brush().SetStyle(bsSolid);
}

void DrawGradientPercentBar(TCanvas& Canvas, TRect Bounds, TOrientation Orientation, TColor BarColor,
                            TColor BarColorStop, TColor BackColor, TColor BackColorStop,
                            TGradientDirection gradientDirection, std::uint16_t Percent, bool ShowPercent,
                            bool Transparent, bool ShowParts, int PartsComplete, int TotalParts) {
    const String text = BarText(Percent, ShowPercent, ShowParts, PartsComplete, TotalParts);
    Canvas.Font().SetColor(BackColor);
    Canvas.Brush().SetColor(BarColor);
    const TBarParts parts = SplitBar(Bounds, Orientation, Percent);
    const TPoint at = BarTextOrigin(Canvas, Bounds);
    PaintGradient(Canvas, parts.Done, gradientDirection, BarColor, BarColorStop, 1);
    BarTextOver(Canvas, parts.Done, at, text);

    Canvas.Font().SetColor(BarColor);
    if (!Transparent) {
        Canvas.Brush().SetColor(BackColor);
        PaintGradient(Canvas, parts.Rest, gradientDirection, BackColor, BackColorStop, 1);
    }
    BarTextOver(Canvas, parts.Rest, at, text);
}

namespace {

// The themed bar: the platform's progress chunk over the done part.
void DrawThemedLEDBar(TCanvas& canvas, const TRect& bounds, TOrientation orientation, int percent) {
    const TRect inner = InflateRect(bounds, -1, -1);
    TThemeServices& themes = ThemeServices();
    if (orientation == orHorizontal) {
        TRect done = inner;
        done.Right = inner.Left + RoundEven(static_cast<double>(inner.Width()) * percent / 100.0);
        themes.DrawElement(canvas.Handle(), themes.GetElementDetails(tpChunk), done);
        return;
    }
    // A vertical chunk is drawn upright in a bitmap and flipped so that its
    // picture grows from the bottom.
    const int height = std::max(1, RoundEven(static_cast<double>(inner.Height()) * percent / 100.0));
    TBitmap chunk(inner.Width(), height);
    themes.DrawElement(chunk.Canvas().Handle(), themes.GetElementDetails(tpChunkVert), Rect(0, 0, inner.Width(), height));
    FlipBitmap(chunk);
    canvas.Draw(bounds.Left, inner.Bottom - height, chunk);
}

struct TLedLayout {
    int Count;
    int BoxWidth;
    int Offset;
};

TLedLayout LayOutSegments(int length, int segments) {
    TLedLayout led{std::max(segments, 1), 0, 0};
    led.BoxWidth = length / led.Count;
    if (length <= 80 && led.Count > 10) {
        led.Count = 10;
        led.BoxWidth = length / 10;
    }
    if (led.BoxWidth > 0) led.Count += (length - led.Count * led.BoxWidth) / led.BoxWidth;
    led.Offset = (length - led.Count * led.BoxWidth) / 2;
    return led;
}

}  // namespace

void DrawLEDBar(TCanvas& Canvas, TRect Bounds, TOrientation Orientation, TColor BarColor, TColor BackColor,
                int NumSegments, int Percent, bool ThemeAware, bool Transparent) {
    if (ThemeAware && ThemeServices().ThemesEnabled()) {
        DrawThemedLEDBar(Canvas, Bounds, Orientation, Percent);
        return;
    }
    const bool horizontal = Orientation == orHorizontal;
    const int length = horizontal ? Bounds.Width() : Bounds.Height();
    const TLedLayout led = LayOutSegments(length, NumSegments);
    const int L = Bounds.Left, T = Bounds.Top, R = Bounds.Right, B = Bounds.Bottom;

    if (!Transparent) {
        Canvas.Pen().SetStyle(psClear);
        Canvas.Brush().SetColor(BackColor);
        if (horizontal) {
            Canvas.Rectangle(L, T, L + led.Offset + 1, B + 1);
            Canvas.Rectangle(R - led.Offset - 1, T, R + 1, B + 1);
        } else {
            Canvas.Rectangle(L, T, R + 1, T + led.Offset + 1);
            Canvas.Rectangle(L, B - led.Offset - 1, R + 1, B + 1);
        }
    }
    if (Transparent) {
        Canvas.Pen().SetStyle(psClear);
    } else {
        Canvas.Pen().SetColor(BackColor);
        Canvas.Pen().SetStyle(psSolid);
    }
    Canvas.Brush().SetColor(BarColor);

    // More than 100 percent lights every segment, not boxes past the bar's end.
    const int segmentsOn = std::clamp(static_cast<int>(static_cast<long long>(Percent) * led.Count / 100), 0, led.Count);
    auto drawBox = [&](int i) {
        TRect box;
        if (horizontal) {
            const int left = L + (i - 1) * led.BoxWidth + led.Offset;
            box = Rect(left, T, left + led.BoxWidth, B);
        } else {
            const int top = T + (led.Count - i) * led.BoxWidth + led.Offset;
            box = Rect(L, top, R, top + led.BoxWidth);
        }
        if (Transparent) {
            ++box.Left;
            ++box.Top;
        }
        Canvas.Rectangle(box);
    };
    for (int i = 1; i <= segmentsOn; ++i) drawBox(i);
    if (!Transparent) {
        Canvas.Brush().SetColor(BackColor);
        for (int i = segmentsOn + 1; i <= led.Count; ++i) drawBox(i);
    }
    if (Transparent) Canvas.Pen().SetStyle(psSolid);
}

// ---------------------------------------------------------------------------
// Stored names of the shared enumerations

const TEnumType kFrameStyleType{u"TFrameStyle",
                                {u"fsNone", u"fsFlat", u"fsGroove", u"fsBump", u"fsLowered", u"fsButtonDown",
                                 u"fsRaised", u"fsButtonUp", u"fsStatus", u"fsPopup", u"fsFlatBold"}};
const TEnumType kFrameStyleExType{u"TFrameStyleEx",
                                  {u"fsNone", u"fsFlat", u"fsGroove", u"fsBump", u"fsLowered", u"fsButtonDown",
                                   u"fsRaised", u"fsButtonUp", u"fsStatus", u"fsPopup", u"fsFlatBold",
                                   u"fsFlatRounded"}};

void RaiseFrameStyleRangeError(TFrameStyleEx Value) {
    const auto ord = static_cast<size_t>(Value);
    const String name = ord < kFrameStyleExType.Values.size() ? kFrameStyleExType.Values[ord] : IntToStr(Value);
    throw ERangeError(name + u" is not a TFrameStyle");
}

const TEnumType kSideType{u"TSide", {u"sdLeft", u"sdTop", u"sdRight", u"sdBottom"}};
const TEnumType kAlignmentVerticalType{u"TAlignmentVertical", {u"avTop", u"avCenter", u"avBottom"}};
const TEnumType kOrientationType{u"TOrientation", {u"orHorizontal", u"orVertical"}};
const TEnumType kGradientDirectionType{u"TGradientDirection",
                                       {u"gdDiagonalUp", u"gdDiagonalDown", u"gdHorizontalEnd", u"gdHorizontalCenter",
                                        u"gdHorizontalBox", u"gdVerticalEnd", u"gdVerticalCenter", u"gdVerticalBox",
                                        u"gdSquareBox", u"gdBigSquareBox"}};
const TEnumType kBarStyleType{u"TBarStyle", {u"bsTraditional", u"bsLED", u"bsGradient"}};
const TEnumType kVisualStyleType{u"TKvVisualStyle", {u"vsClassic", u"vsWinXP", u"vsGradient"}};
const TEnumType kGradientColorStyleType{u"TKvGradientColorStyle", {u"gcsSystem", u"gcsMSOffice", u"gcsCustom"}};
const TEnumType kFrameControllerPropertyType{
    u"TKvFrameControllerProperty",
    {u"fcpColor", u"fcpFocusColor", u"fcpDisabledColor", u"fcpReadOnlyColor", u"fcpReadOnlyColorOnFocus",
     u"fcpParentColor", u"fcpFlatButtonColor", u"fcpFlatButtons", u"fcpFrameColor", u"fcpFrameHotColor",
     u"fcpFrameHotTrack", u"fcpFrameHotStyle", u"fcpFrameSides", u"fcpFrameStyle", u"fcpFrameVisible",
     u"fcpFramingPreference"}};

// ---------------------------------------------------------------------------
// Containers

void InvalidateControls(TWinControl* Container) {
    if (!Container) return;
    for (int i = 0; i < Container->ControlCount(); ++i) {
        TControl* child = Container->Controls(i);
        const TPropInfo* prop = GetPropInfo(child, u"Transparent");
        if (prop && prop->Kind == TPropKind::Boolean && prop->GetOrd && prop->GetOrd(child) != 0)
            child->Invalidate();
    }
}

// ---------------------------------------------------------------------------
// Desktop

TRect GetDesktopClientRect() { return Screen->WorkAreaRect(); }

// ---------------------------------------------------------------------------
// TKvFrameController

TKvFrameController::TKvFrameController(TComponent* AOwner) : TComponent(AOwner) {}

TKvFrameController::~TKvFrameController() = default;

void TKvFrameController::RegisterControl(TControl* Control) {
    if (!Control || std::find(controls_.begin(), controls_.end(), Control) != controls_.end()) return;
    controls_.push_back(Control);
    Control->FreeNotification(this);
}

void TKvFrameController::UnregisterControl(TControl* Control) {
    const auto it = std::find(controls_.begin(), controls_.end(), Control);
    if (it == controls_.end()) return;
    controls_.erase(it);
    if (!IsDestroying()) Control->RemoveFreeNotification(this);
}

void TKvFrameController::UpdateControls() {
    const std::vector<TControl*> controls = controls_;  // a control may leave while it follows
    for (TControl* c : controls)
        if (auto* framed = dynamic_cast<IKvFramedControl*>(c)) framed->CustomFramingChanged();
}

void TKvFrameController::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove)
        controls_.erase(std::remove(controls_.begin(), controls_.end(), AComponent), controls_.end());
}

template <class V>
void TKvFrameController::Change(V& field, V value) {
    if (field == value) return;
    field = value;
    UpdateControls();
}

void TKvFrameController::SetColor(TColor v) { Change(color_, v); }
void TKvFrameController::SetParentColor(bool v) { Change(parentColor_, v); }
void TKvFrameController::SetFrameColor(TColor v) { Change(frameColor_, v); }
void TKvFrameController::SetFrameSides(TSides v) { Change(frameSides_, v); }
void TKvFrameController::SetFrameStyle(TFrameStyle v) { Change(frameStyle_, v); }
void TKvFrameController::SetFrameVisible(bool v) { Change(frameVisible_, v); }

// ---------------------------------------------------------------------------
// Blinking

TKvBlinkingControlsList* BlinkingControls = nullptr;

TKvBlinkingControlsList::TKvBlinkingControlsList() : FTimer(MakeOwned<TTimer>(nullptr)) {
    FTimer->SetInterval(FIntervalOff);
    FTimer->SetOnTimer([this](TObject*) { TimerFired(); });
}

TKvBlinkingControlsList::~TKvBlinkingControlsList() = default;

void TKvBlinkingControlsList::Add(TControl* Control) {
    if (Control && std::find(FControls.begin(), FControls.end(), Control) == FControls.end())
        FControls.push_back(Control);
}

void TKvBlinkingControlsList::Remove(TControl* Control) {
    FControls.erase(std::remove(FControls.begin(), FControls.end(), Control), FControls.end());
}

void TKvBlinkingControlsList::TimerFired() {
    if (FBlinkState == bsOn) {
        FBlinkState = bsOff;
        FTimer->SetInterval(FIntervalOn);
    } else {
        FBlinkState = bsOn;
        FTimer->SetInterval(FIntervalOff);
    }
    // A control told to blink may free another; only those still listed are asked.
    const std::vector<TControl*> controls = FControls;
    for (TControl* c : controls) {
        if (std::find(FControls.begin(), FControls.end(), c) == FControls.end()) continue;
        if (c->Perform(cm_GetBlinking) == 1) c->Perform(cm_Blink, FBlinkState);
    }
}

void AddBlinkingControl(TControl* Control) {
    if (!BlinkingControls) BlinkingControls = new TKvBlinkingControlsList;
    BlinkingControls->Add(Control);
}

void RemoveBlinkingControl(TControl* Control) {
    if (!BlinkingControls) return;
    BlinkingControls->Remove(Control);
    FreeBlinkingControlsListIfEmpty();
}

void FreeBlinkingControlsListIfEmpty() {
    if (BlinkingControls && BlinkingControls->GetCount() == 0) {
        delete BlinkingControls;
        BlinkingControls = nullptr;
    }
}

// ---------------------------------------------------------------------------
// Monitors

TMonitor* GetMonitorContainingPoint(const TPoint& P) {
    for (int i = 0; i < Screen->MonitorCount(); ++i)
        if (Screen->Monitors(i)->BoundsRect().Contains(P)) return Screen->Monitors(i);
    return nullptr;
}

TRect GetMonitorWorkArea(const TMonitor* Monitor) { return Monitor ? Monitor->WorkareaRect() : TRect{}; }

TRect GetActiveWorkArea(const TControl* Control) {
    return Screen->MonitorFromWindow(Control, mdNearest)->WorkareaRect();
}

int GetActiveWorkAreaWidth(const TControl* Control) { return GetActiveWorkArea(Control).Width(); }
