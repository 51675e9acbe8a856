// kitsheet: renders every frame style on every side set, the colour
// routines on a few colours, the ten gradient directions and the three bar
// styles into one PNG, for review by eye.
//
//   kitsheet [output.png]      (default: painting-kit.png)

#include <cstdio>
#include <string>
#include <vector>

#include "Graphics.h"
#include "KvCommon.h"
#include "KvGrafx.h"
#include "Platform.h"

namespace {

constexpr int kSheetWidth = 980;
constexpr TColor kPaper = clBtnFace;
constexpr TColor kInk = clWindowText;

// An enumeration value's name as stored layouts write it.
std::string NameOf(const TEnumType& type, int ordinal) { return StringToUtf8(type.Values[ordinal]); }

void Label(TCanvas& c, int x, int y, const std::string& text, bool bold = false) {
    c.Font().SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
    c.Font().SetColor(kInk);
    c.Brush().SetStyle(bsClear);
    c.SetTextAlign(TA_LEFT | TA_TOP);
    c.TextOut(x, y, S(text));
    c.Brush().SetStyle(bsSolid);
}

void Heading(TCanvas& c, int& y, const std::string& text) {
    y += 10;
    Label(c, 10, y, text, true);
    y += 20;
}

std::string SideSetName(TSides sides) {
    std::string s;
    s += sides.Contains(sdLeft) ? 'L' : '-';
    s += sides.Contains(sdTop) ? 'T' : '-';
    s += sides.Contains(sdRight) ? 'R' : '-';
    s += sides.Contains(sdBottom) ? 'B' : '-';
    return s;
}

// Every frame style (rows) on every one of the sixteen side sets (columns),
// drawn from system colours; the last column shows the face-colour variant.
void FrameStyles(TCanvas& c, int& y) {
    Heading(c, y, "DrawBorderSides: every frame style on every side set; right: DrawColorBorder on a blue face");
    const int left = 110, cellW = 44, cellH = 26;
    for (unsigned bits = 0; bits < 16; ++bits)
        Label(c, left + int(bits) * cellW + 4, y, SideSetName(TSides::FromBits(bits)));
    Label(c, left + 16 * cellW + 14, y, "colour face");
    y += 16;
    for (int style = fsNone; style <= fsFlatRounded; ++style) {
        Label(c, 10, y + 6, NameOf(kFrameStyleExType, style));
        for (unsigned bits = 0; bits < 16; ++bits) {
            const TRect cell = Bounds(left + int(bits) * cellW + 4, y + 2, cellW - 8, cellH - 6);
            c.Brush().SetColor(clWhite);
            c.FillRect(InflateRect(cell, 2, 2));
            c.Brush().SetColor(kPaper);
            c.FillRect(cell);
            DrawBorderSides(c, cell, TFrameStyleEx(style), TSides::FromBits(bits));
        }
        const TRect face = Bounds(left + 16 * cellW + 14, y + 2, 60, cellH - 6);
        c.Brush().SetColor(0x00D77800);
        c.FillRect(face);
        DrawColorBorder(c, face, 0x00D77800, TFrameStyleEx(style));
        y += cellH;
    }
}

// A few panel edges: outer frame, border band and inner frame together.
void PanelEdges(TCanvas& c, int& y) {
    Heading(c, y, "DrawInnerOuterBorders, DrawBox, DrawBoxCorners, DrawButtonBorder");
    struct Edge {
        const char* name;
        TFrameStyleEx outer, inner;
        int borderWidth;
        bool soft;
    };
    const Edge edges[] = {
        {"raised / lowered, band 3", fsRaised, fsLowered, 3, false},
        {"popup / status, bevel 2", fsPopup, fsStatus, 2, false},
        {"flat rounded / none", fsFlatRounded, fsNone, 0, false},
        {"flat rounded / flat rounded", fsFlatRounded, fsFlatRounded, 2, false},
        {"flat / soft flat, band 2", fsFlat, fsFlat, 2, true},
        {"groove / bump, band 1", fsGroove, fsBump, 1, false},
    };
    int x = 10;
    for (const Edge& e : edges) {
        const TRect r = Bounds(x, y + 16, 140, 50);
        c.Brush().SetColor(clWhite);
        c.FillRect(r);
        const TRect inside = DrawInnerOuterBorders(c, r, e.outer, e.inner, e.borderWidth, sdAllSides, 2, 0x00E0C8B0,
                                                   clBtnHighlight, clBtnShadow, clBtnShadow, 0, kPaper, clWhite,
                                                   false, e.soft);
        c.Brush().SetColor(kPaper);
        c.FillRect(inside);
        Label(c, x, y, e.name);
        x += 158;
    }
    y += 76;
    c.Brush().SetColor(kPaper);
    TRect r = Bounds(10, y, 60, 40);
    c.FillRect(r);
    DrawBox(c, r, clNavy);
    r = Bounds(90, y, 60, 40);
    DrawBoxCorners(c, r, clNavy, 6);
    r = Bounds(170, y, 60, 40);
    c.FillRect(r);
    DrawButtonBorder(c, r, false);
    r = Bounds(250, y, 60, 40);
    c.FillRect(r);
    DrawButtonBorder(c, r, true);
    r = Bounds(330, y, 60, 40);
    c.Brush().SetColor(0x0060C060);
    c.FillRect(r);
    DrawColorButtonBorder(c, r, 0x0060C060, false);
    r = Bounds(410, y, 60, 40);
    c.FillRect(r);
    DrawColorButtonBorder(c, r, 0x0060C060, true);
    y += 50;
}

// Swatches of the colour arithmetic on a few colours.
void Colours(TCanvas& c, int& y) {
    Heading(c, y, "Colour arithmetic: Darker 100, Darker 50, colour, Lighter 50, Lighter 100, "
                  "Blend with clWindow at 77, Complementary at 120");
    const TColor colours[] = {clBtnFace, clSilver, 0x00D77800, clRed, 0x0000A000, clHighlight};
    int x = 10;
    for (TColor base : colours) {
        const TColor row[] = {DarkerColor(base, 100), DarkerColor(base, 50),  base,
                              LighterColor(base, 50), LighterColor(base, 100), BlendColors(base, clWindow, 77),
                              ComplementaryColor(base, 120)};
        for (int i = 0; i < 7; ++i) {
            c.Brush().SetColor(row[i]);
            c.FillRect(Bounds(x + i * 20, y, 18, 30));
        }
        x += 160;
    }
    y += 34;
    const char* const schemeNames[] = {"blue", "green", "silver"};
    char text[96];
    std::snprintf(text, sizeof text, "Colour scheme from the settings: %s; full colour: %s",
                  schemeNames[CurrentXPColorScheme], FullColorSupported ? "yes" : "no");
    Label(c, 10, y, text);
    y += 16;
}

void Gradients(TCanvas& c, int& y) {
    Heading(c, y, "PaintGradient in the ten directions, clNavy to clWhite (odd sizes: 95 x 59)");
    for (int d = 0; d < 10; ++d) {
        const int col = d % 5, row = d / 5;
        const int x = 10 + col * 190, top = y + row * 84;
        Label(c, x, top, NameOf(kGradientDirectionType, d));
        PaintGradient(c, Bounds(x, top + 16, 170, 60), TGradientDirection(d), clNavy, clWhite, 1);
    }
    y += 2 * 84;
    for (int d = 0; d < 10; ++d)
        PaintGradient(c, Bounds(10 + d * 96, y, 95, 59), TGradientDirection(d), 0x000080FF, 0x00FFFFC0, 1);
    y += 64;
}

void Bars(TCanvas& c, int& y) {
    Heading(c, y, "DrawPercentBar, DrawGradientPercentBar, DrawLEDBar at 0, 25, 50, 75 and 100 percent; "
                  "vertical at 60");
    const int percents[] = {0, 25, 50, 75, 100};
    for (int p = 0; p < 5; ++p) {
        const int x = 10 + p * 180;
        const TRect bar = Bounds(x, y, 170, 18);
        c.Brush().SetColor(clWhite);
        DrawPercentBar(c, bar, orHorizontal, clNavy, clWhite, std::uint16_t(percents[p]), true, false, false, 0, 0);
        DrawGradientPercentBar(c, OffsetRect(bar, 0, 24), orHorizontal, clNavy, 0x00FF8080, clWhite, clSilver,
                               gdHorizontalCenter, std::uint16_t(percents[p]), true, false, p == 2, 6, 12);
        DrawLEDBar(c, OffsetRect(bar, 0, 48), orHorizontal, 0x0000A000, clWhite, 20, percents[p], false, false);
    }
    y += 72;
    DrawPercentBar(c, Bounds(10, y, 24, 90), orVertical, clMaroon, clWhite, 60, false, false, false, 0, 0);
    DrawGradientPercentBar(c, Bounds(50, y, 24, 90), orVertical, clMaroon, 0x008080FF, clWhite, clSilver,
                           gdVerticalCenter, 60, false, false, false, 0, 0);
    DrawLEDBar(c, Bounds(90, y, 24, 90), orVertical, 0x0000A000, clWhite, 10, 60, false, false);
    y += 96;
}

}  // namespace

int main(int argc, char** argv) {
    StartPlatform(argc, argv, TPlatformMode::Offscreen);
    UseClassicPalette();
    const std::string output = argc > 1 ? argv[1] : "painting-kit.png";
    int result = 0;
    {
        TBitmap sheet(kSheetWidth, 1100);
        TCanvas& c = sheet.Canvas();
        c.Brush().SetColor(kPaper);
        c.FillRect(Rect(0, 0, sheet.Width(), sheet.Height()));
        int y = 0;
        FrameStyles(c, y);
        PanelEdges(c, y);
        Colours(c, y);
        Gradients(c, y);
        Bars(c, y);
        sheet.SetHeight(y + 10);
        if (!sheet.SaveToFile(S(output))) {
            std::fprintf(stderr, "kitsheet: cannot write %s\n", output.c_str());
            result = 1;
        }
    }
    StopPlatform();
    return result;
}
