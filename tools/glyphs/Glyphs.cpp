// glyphs: draws the main window's toolbar pictures, 18 images of 16 x 16
// pixels with transparency, into the PNG strip that the program embeds
// (app/res/ImageList1.png), and optionally a large preview for review by
// eye (every picture eight times enlarged on the button face, with the
// image list's own greyed form below it). With --spacers it draws instead
// the two glyphs of the toolbar customization dialog's spacer items
// (components/res/BtnSpacer.png, components/res/BtnGrooveSpacer.png): two
// frames of 16 x 16 each, enabled and greyed, on a background whose colour
// (the bottom-left pixel's) is transparent.
//
//   glyphs STRIP.png [PREVIEW.png]
//   glyphs --spacers SPACER.png GROOVED.png

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Graphics.h"
#include "ImgList.h"
#include "Platform.h"

namespace {

constexpr int kSize = 16;
constexpr TColor kMask = clFuchsia;  // transparent pixels of the strip

// One picture: 16 rows of 16 palette characters; '.' is transparent.
using TGlyph = std::vector<std::string>;

const std::map<char, TColor> kPalette = {
    {'K', RGB(0, 0, 0)},         // black
    {'D', RGB(72, 72, 72)},      // dark outline
    {'g', RGB(140, 140, 140)},   // text lines
    {'w', RGB(255, 255, 255)},   // paper
    {'B', RGB(16, 52, 140)},     // dark blue outline
    {'b', RGB(40, 110, 220)},    // blue
    {'l', RGB(170, 205, 250)},   // light blue
    {'Y', RGB(150, 100, 0)},     // dark yellow outline
    {'d', RGB(235, 180, 40)},    // deep yellow
    {'y', RGB(255, 220, 40)},    // yellow
    {'o', RGB(255, 245, 170)},   // pale yellow highlight
    {'R', RGB(130, 0, 0)},       // dark red outline
    {'r', RGB(220, 30, 30)},     // red
};

// A circular arrow turning clockwise, its head at the top right.
const TGlyph kArrow = {
    "................",
    "....BBBBBB......",
    "..BBbbbbbbBB....",
    ".BbbBBBBBBbbB...",
    ".BbB......BbbB..",
    "BbbB.......BbB..",
    "BbB.....BBBbbBBB",
    "BbB......BbbbbB.",
    "BbB.......BbbB..",
    "BbbB.......BB...",
    ".BbB............",
    ".BbbB.....BBB...",
    "..BbbBBBBBbbB...",
    "...BBbbbbbbBB...",
    ".....BBBBBB.....",
    "................",
};

const TGlyph kFolder = {
    "................",
    "................",
    ".YYYY...........",
    "YddddY..........",
    "YdddddYYYYYYY...",
    "YddddddddddddY..",
    "YdddYYYYYYYYYYYY",
    "YddYooooooooooY.",
    "YddYoyyyyyyyyyY.",
    "YdYoyyyyyyyyyY..",
    "YdYoyyyyyyyyyY..",
    "YYoyyyyyyyyyY...",
    "YYyyyyyyyyyyY...",
    "YYYYYYYYYYYYY...",
    "................",
    "................",
};

const TGlyph kInformation = {
    "................",
    "...BBBBBBBBBB...",
    "..BbbbbbbbbbbB..",
    ".BbbbbbwwbbbbbB.",
    ".BbbbbbwwbbbbbB.",
    ".BbbbbbbbbbbbbB.",
    ".BbbbbwwwbbbbbB.",
    ".BbbbbbwwbbbbbB.",
    ".BbbbbbwwbbbbbB.",
    ".BbbbbbwwbbbbbB.",
    ".BbbbbwwwwbbbbB.",
    "..BbbbbbbbbbbB..",
    "...BBbbBBBBBB...",
    "....BbbB........",
    "...BbB..........",
    "...BB...........",
};

const TGlyph kWarning = {
    ".......YY.......",
    "......YyyY......",
    "......YyyY......",
    ".....YyyyyY.....",
    ".....YyKKyY.....",
    "....YyyKKyyY....",
    "....YyyKKyyY....",
    "...YyyyKKyyyY...",
    "...YyyyKKyyyY...",
    "..YyyyyKKyyyyY..",
    "..YyyyyyyyyyyY..",
    ".YyyyyyKKyyyyyY.",
    ".YyyyyyKKyyyyyY.",
    "YyyyyyyyyyyyyyyY",
    "YYYYYYYYYYYYYYYY",
    "................",
};

const TGlyph kError = {
    "................",
    ".....RRRRRR.....",
    "...RRrrrrrrRR...",
    "..RrrrrrrrrrrR..",
    ".RrrwwrrrrwwrrR.",
    ".RrrrwwrrwwrrrR.",
    "RrrrrrwwwwrrrrrR",
    "RrrrrrrwwrrrrrrR",
    "RrrrrrrwwrrrrrrR",
    "RrrrrrwwwwrrrrrR",
    ".RrrrwwrrwwrrrR.",
    ".RrrwwrrrrwwrrR.",
    "..RrrrrrrrrrrR..",
    "...RRrrrrrrRR...",
    ".....RRRRRR.....",
    "................",
};

const TGlyph kSelectAll = {
    "bbbbbbbbbbbbbbbb",
    "bllllllllllllllb",
    "blllDDDDDDDDlllb",
    "blllDwwwwwwDlllb",
    "blllDwggggwDlllb",
    "blllDwwwwwwDlllb",
    "blllDwggggwDlllb",
    "blllDwwwwwwDlllb",
    "blllDwgggwwDlllb",
    "blllDwwwwwwDlllb",
    "blllDwggggwDlllb",
    "blllDwwwwwwDlllb",
    "blllDDDDDDDDlllb",
    "bllllllllllllllb",
    "bllllllllllllllb",
    "bbbbbbbbbbbbbbbb",
};

const TGlyph kCopy = {
    "DDDDDDDDD.......",
    "DwwwwwwwD.......",
    "DwbbbbwwD.......",
    "DwwwwwwwD.......",
    "DwbbbDDDDDDDDD..",
    "DwwwwDwwwwwwwD..",
    "DwbbbDwbbbbbwD..",
    "DwwwwDwwwwwwwD..",
    "DwbbbDwbbbbwwD..",
    "DwwwwDwwwwwwwD..",
    "DDDDDDwbbbbbwD..",
    ".....DwwwwwwwD..",
    ".....DwbbbbwwD..",
    ".....DwwwwwwwD..",
    ".....DDDDDDDDD..",
    "................",
};

const TGlyph kLightning = {
    ".......YYYYYY...",
    "......YyyyyY....",
    "......YyyyY.....",
    ".....YyyyY......",
    ".....YyyyY......",
    "....YyyyY.......",
    "....YyyyYYYYY...",
    "...YyyyyyyyyY...",
    "...YYYYYyyyY....",
    ".......YyyY.....",
    "......YyyY......",
    "......YyY.......",
    ".....YyY........",
    ".....YyY........",
    "....YyY.........",
    "....YY..........",
};

// A gap between two controls, an arrow across it: "Add a Spacer".
const TGlyph kSpacer = {
    "................",
    "................",
    ".DD..........DD.",
    ".Dw..........Dw.",
    ".Dw..........Dw.",
    ".Dw..K....K..Dw.",
    ".Dw.KK....KK.Dw.",
    ".DwKKKKKKKKKKDw.",
    ".Dw.KK....KK.Dw.",
    ".Dw..K....K..Dw.",
    ".Dw..........Dw.",
    ".Dw..........Dw.",
    ".Dw..........Dw.",
    ".DD..........DD.",
    "................",
    "................",
};

// The same gap with a groove line in it: "Add a Grooved Spacer".
const TGlyph kGrooveSpacer = {
    "................",
    "................",
    ".DD....Dw....DD.",
    ".Dw....Dw....Dw.",
    ".Dw....Dw....Dw.",
    ".Dw..K.Dw.K..Dw.",
    ".Dw.KK.Dw.KK.Dw.",
    ".DwKKKKDwKKKKDw.",
    ".Dw.KK.Dw.KK.Dw.",
    ".Dw..K.Dw.K..Dw.",
    ".Dw....Dw....Dw.",
    ".Dw....Dw....Dw.",
    ".Dw....Dw....Dw.",
    ".DD....Dw....DD.",
    "................",
    "................",
};

// The strip in index order; a grey picture is its coloured one in grey.
struct TEntry {
    const TGlyph* glyph;
    bool grey;
};
const TEntry kEntries[] = {
    {&kArrow, true},      {&kArrow, false},      //  0,  1 refresh
    {&kFolder, true},     {&kFolder, false},     //  2,  3 open
    {&kInformation, true}, {&kInformation, false},  //  4,  5 information
    {&kWarning, true},    {&kWarning, false},    //  6,  7 warning
    {&kError, true},      {&kError, false},      //  8,  9 error
    {&kSelectAll, false}, {&kSelectAll, true},   // 10, 11
    {&kSelectAll, false}, {&kSelectAll, true},   // 12, 13 select all
    {&kCopy, false},      {&kCopy, true},        // 14, 15 copy
    {&kLightning, false}, {&kLightning, true},   // 16, 17 execute
};

// Grey of the colour's luminance, kept between a dark and a light grey so
// that a grey picture still reads on the button face.
TColor Grey(TColor c) {
    const int luminance = (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100;
    const int v = 70 + luminance * 170 / 255;
    return RGB(v, v, v);
}

bool PaintGlyph(TCanvas& canvas, int left, const TEntry& entry) {
    const TGlyph& g = *entry.glyph;
    if (g.size() != kSize) return false;
    for (int y = 0; y < kSize; ++y) {
        if (g[y].size() != kSize) return false;
        for (int x = 0; x < kSize; ++x) {
            const char ch = g[y][x];
            if (ch == '.') continue;
            const auto it = kPalette.find(ch);
            if (it == kPalette.end()) return false;
            canvas.SetPixel(left + x, y, entry.grey ? Grey(it->second) : it->second);
        }
    }
    return true;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Each picture eight times enlarged on the button face, six to a row,
// enabled and, below, in the image list's greyed form.
void WritePreview(const TImageList& list, const std::string& path) {
    constexpr int kZoom = 8, kCell = kSize * kZoom + 12, kPerRow = 6;
    const int rows = (list.Count() + kPerRow - 1) / kPerRow;
    TBitmap sheet(kCell * kPerRow + 12, 2 * kCell * rows + 12);
    sheet.Canvas().Brush().SetColor(clBtnFace);
    sheet.Canvas().FillRect(Rect(0, 0, sheet.Width(), sheet.Height()));
    for (int i = 0; i < list.Count(); ++i) {
        for (int row = 0; row < 2; ++row) {
            TBitmap one(kSize, kSize);
            one.Canvas().Brush().SetColor(clBtnFace);
            one.Canvas().FillRect(Rect(0, 0, kSize, kSize));
            list.Draw(one.Canvas(), 0, 0, i, row == 0);
            const int left = 12 + (i % kPerRow) * kCell, top = 12 + ((i / kPerRow) * 2 + row) * kCell;
            for (int y = 0; y < kSize; ++y)
                for (int x = 0; x < kSize; ++x) {
                    sheet.Canvas().Brush().SetColor(one.Canvas().Pixel(x, y));
                    sheet.Canvas().FillRect(Bounds(left + x * kZoom, top + y * kZoom, kZoom - 1, kZoom - 1));
                }
        }
    }
    sheet.SaveToFile(S(path));
}

}  // namespace

// A spacer glyph: the picture, then the same in grey, on the mask colour.
bool WriteSpacerGlyph(const TGlyph& glyph, const std::string& path) {
    TBitmap frames(2 * kSize, kSize);
    frames.Canvas().Brush().SetColor(kMask);
    frames.Canvas().FillRect(Rect(0, 0, frames.Width(), frames.Height()));
    if (!PaintGlyph(frames.Canvas(), 0, {&glyph, false}) || !PaintGlyph(frames.Canvas(), kSize, {&glyph, true})) {
        std::fprintf(stderr, "glyphs: a spacer picture is not 16 x 16 or uses an unknown colour\n");
        return false;
    }
    if (!WriteFile(path, frames.SaveToData())) {
        std::fprintf(stderr, "glyphs: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

int main(int argc, char** argv) {
    const bool spacers = argc == 4 && std::string(argv[1]) == "--spacers";
    if (argc < 2 || (!spacers && std::string(argv[1]).rfind("--", 0) == 0)) {
        std::fprintf(stderr, "usage: glyphs STRIP.png [PREVIEW.png]\n       glyphs --spacers SPACER.png GROOVED.png\n");
        return 1;
    }
    StartPlatform(argc, argv, TPlatformMode::Offscreen);
    UseClassicPalette();
    if (spacers) {
        const bool ok = WriteSpacerGlyph(kSpacer, argv[2]) && WriteSpacerGlyph(kGrooveSpacer, argv[3]);
        StopPlatform();
        return ok ? 0 : 1;
    }
    const int count = static_cast<int>(std::size(kEntries));
    TBitmap strip(kSize * count, kSize);
    strip.Canvas().Brush().SetColor(kMask);
    strip.Canvas().FillRect(Rect(0, 0, strip.Width(), strip.Height()));
    for (int i = 0; i < count; ++i) {
        if (!PaintGlyph(strip.Canvas(), i * kSize, kEntries[i])) {
            std::fprintf(stderr, "glyphs: picture %d is not 16 x 16 or uses an unknown colour\n", i);
            return 1;
        }
    }
    auto list = MakeOwned<TImageList>(nullptr);
    list->AddMasked(strip, kMask);
    int status = 0;
    if (!WriteFile(argv[1], list->ImageData())) {
        std::fprintf(stderr, "glyphs: cannot write %s\n", argv[1]);
        status = 1;
    }
    if (status == 0 && argc > 2) WritePreview(*list, argv[2]);
    list.reset();
    StopPlatform();
    return status;
}
