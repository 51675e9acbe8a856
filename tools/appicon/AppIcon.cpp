// appicon: draws the program's icon, a page of log lines, each with its
// level field in the level's colour and its message in the bold's dark ink,
// from one description of rectangles on a 16 x 16 grid: as an SVG and as
// PNGs of 16 to 256 pixels with a see-through background, into the folder
// the program installs them from (app/res/icons).
//
//   appicon FOLDER

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Graphics.h"
#include "Platform.h"

namespace {

constexpr int kGrid = 16;
constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr TColor kBackground = clFuchsia;  // see-through in the PNGs

struct TBox {
    double left, top, right, bottom;  // grid units
    TColor color;
};

const TColor kOutline = RGB(72, 72, 72);
const TColor kPaper = RGB(255, 255, 255);
const TColor kStamp = RGB(160, 160, 160);
const TColor kMessage = RGB(40, 40, 40);

// The page, its edge as wide as half a grid unit (one pixel at the least).
constexpr TBox kPage = {2, 1, 14, 15, 0};

// The lines: time stamp, level field, message.
std::vector<TBox> Lines() {
    struct TLine {
        TColor level;
        double messageEnd;
    };
    const TLine lines[] = {{clBlue, 12}, {clBlue, 10}, {clOlive, 11}, {clRed, 12}, {clBlue, 9}};
    std::vector<TBox> boxes;
    double top = 3;
    for (const TLine& line : lines) {
        boxes.push_back({3.5, top, 5, top + 1, kStamp});
        boxes.push_back({5, top, 7, top + 1, line.level});
        boxes.push_back({8, top, line.messageEnd, top + 1, kMessage});
        top += 2;
    }
    return boxes;
}

int Px(double units, int size) { return static_cast<int>(std::lround(units * size / kGrid)); }

TRect Scaled(const TBox& b, int size) {
    return Rect(Px(b.left, size), Px(b.top, size), Px(b.right, size), Px(b.bottom, size));
}

void Fill(TCanvas& c, const TRect& r, TColor color) {
    c.Brush().SetColor(color);
    c.Brush().SetStyle(bsSolid);
    c.FillRect(r);
}

std::vector<std::uint8_t> DrawPng(int size) {
    TBitmap icon(size, size);
    TCanvas& c = icon.Canvas();
    Fill(c, Rect(0, 0, size, size), kBackground);
    const TRect page = Scaled(kPage, size);
    const int edge = std::max(1, size / 32);
    Fill(c, page, kOutline);
    Fill(c, InflateRect(page, -edge, -edge), kPaper);
    for (const TBox& box : Lines()) Fill(c, Scaled(box, size), box.color);
    icon.SetTransparentColor(kBackground);
    return icon.SaveToTransparentData();
}

std::string Hex(TColor color) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", GetRValue(color), GetGValue(color), GetBValue(color));
    return buf;
}

std::string SvgRect(double left, double top, double right, double bottom, TColor color) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "  <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" fill=\"%s\"/>\n", left, top,
                  right - left, bottom - top, Hex(color).c_str());
    return buf;
}

std::string DrawSvg() {
    std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 16 16\">\n";
    svg += SvgRect(kPage.left, kPage.top, kPage.right, kPage.bottom, kOutline);
    svg += SvgRect(kPage.left + 0.5, kPage.top + 0.5, kPage.right - 0.5, kPage.bottom - 0.5, kPaper);
    for (const TBox& box : Lines()) svg += SvgRect(box.left, box.top, box.right, box.bottom, box.color);
    return svg + "</svg>\n";
}

bool WriteFile(const std::string& path, const void* data, std::size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "appicon: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: appicon FOLDER\n");
        return 1;
    }
    StartPlatform(argc, argv, TPlatformMode::Offscreen);
    const std::string folder = argv[1];
    bool ok = true;
    const std::string svg = DrawSvg();
    ok = WriteFile(folder + "/lumivar.svg", svg.data(), svg.size()) && ok;
    for (int size : kSizes) {
        const std::vector<std::uint8_t> png = DrawPng(size);
        ok = WriteFile(folder + "/lumivar-" + std::to_string(size) + ".png", png.data(), png.size()) && ok;
    }
    StopPlatform();
    return ok ? 0 : 1;
}
