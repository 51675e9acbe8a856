// Colours, pens, brushes, fonts, the canvas and off-screen bitmaps.
// Drawing is aliased and pixel-exact: lines leave out their end point and
// rectangles leave out their right and bottom edges.
#pragma once

#include <memory>
#include <vector>

#include "Classes.h"
#include "GraphicsTypes.h"
#include "Types.h"

// Fills the system colour table from the desktop's palette (see
// GraphicsTypes.h); without a running platform it keeps the start-up table.
void UseDesktopPalette();

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = std::uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;

// Graphics objects tell their owner when they change.
class TGraphicsObject : public TPersistent {
public:
    LV_CLASS_NAME(TGraphicsObject)
    TNotifyEvent OnChange;

protected:
    void Changed();
    // Assign through the persistent interface: a Source of the object's own
    // class T is copied by T's own Assign; any other is refused as by every
    // persistent object.
    template <class T>
    static void AssignPersistent(T& self, TPersistent* Source) {
        if (const auto* same = dynamic_cast<const T*>(Source)) self.Assign(*same);
        else self.TPersistent::Assign(Source);
    }
};

class TFont : public TGraphicsObject {
public:
    LV_CLASS_NAME(TFont)
    TFont();

    const String& Name() const { return name_; }
    void SetName(const String& v);
    // Negative: character height in pixels; positive: cell height.
    int Height() const { return height_; }
    void SetHeight(int v);
    // Points at 96 pixels per inch.
    int Size() const;
    void SetSize(int points);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles v);
    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset v);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch v);

    void Assign(const TFont& other);
    void Assign(TPersistent* Source) override { AssignPersistent(*this, Source); }
    bool SameAs(const TFont& other) const;

private:
    String name_ = u"Tahoma";
    int height_ = -11;
    TColor color_ = clWindowText;
    TFontStyles style_;
    TFontCharset charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = fpDefault;
};

class TBitmap;

class TPen : public TGraphicsObject {
public:
    LV_CLASS_NAME(TPen)
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    int Width() const { return width_; }
    void SetWidth(int v);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle v);
    void Assign(const TPen& other);
    void Assign(TPersistent* Source) override { AssignPersistent(*this, Source); }

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
};

class TBrush : public TGraphicsObject {
public:
    LV_CLASS_NAME(TBrush)
    TColor Color() const { return color_; }
    void SetColor(TColor v);  // also makes a clear brush solid again
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle v);
    // A pattern bitmap (not owned) replaces the colour while it is set.
    TBitmap* Bitmap() const { return bitmap_; }
    void SetBitmap(TBitmap* v);
    void Assign(const TBrush& other);
    void Assign(TPersistent* Source) override { AssignPersistent(*this, Source); }

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    TBitmap* bitmap_ = nullptr;
};

// Bits per pixel of the primary screen; 0 when there is no screen.
int ScreenColorDepth();

// Text-format flags of the text primitive.
constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;
constexpr unsigned DT_RTLREADING = 0x20000;

// Reference-point flags of TextOut.
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;

struct TCanvasDevice;  // the painting surface behind a canvas (framework-internal)
class TCanvas;
// The device handle of a canvas: what the device-level routines draw on.
using HDC = TCanvas*;

// Raster operation of block copies: a plain copy of the source.
constexpr unsigned SRCCOPY = 0x00CC0020;

class TCanvas : public TObject {
public:
    LV_CLASS_NAME(TCanvas)
    TCanvas();
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }
    TFont& Font() { return font_; }
    TPoint PenPos() const { return penPos_; }
    void SetPenPos(TPoint p) { penPos_ = p; }

    // True while the canvas is bound to a surface it can draw on.
    bool HandleAllocated() const;
    HDC Handle() { return this; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    void Polygon(const std::vector<TPoint>& points);
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    // Outline with the pen, inside with the brush. With a clear pen the
    // shape covers one pixel less on the right and the bottom.
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(const TRect& r);

    // Reads give clNone outside the surface or on a surface that cannot be read.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor c);

    void TextOut(int x, int y, const String& text);
    // Fills r with the brush (unless clear) and draws text at (x, y) clipped to r.
    void TextRect(const TRect& r, int x, int y, const String& text);
    int TextWidth(const String& text);
    int TextHeight(const String& text);
    TPoint TextExtent(const String& text);
    // The text primitive with DT_ flags; returns the height of the text.
    int DrawText(const String& text, TRect& r, unsigned flags);
    unsigned TextAlign() const { return textAlign_; }
    unsigned SetTextAlign(unsigned flags);  // returns the previous flags
    // Characters handed to the text routines of this canvas (drawn or
    // measured) since it was made: how much text a painting lays out, for
    // tests and benchmarks.
    std::uint64_t TextCharacters() const { return textCharacters_; }

    // Bitmaps and block copies.
    void Draw(int x, int y, const TBitmap& bitmap);
    void StretchDraw(const TRect& dest, const TBitmap& bitmap);
    void CopyRect(const TRect& dest, const TCanvas& source, const TRect& src);
    // Stretched copy (nearest pixel); a negative extent mirrors along that
    // axis, the destination then running from (dx, dy) back to dx + dw + 1
    // (dy + dh + 1). The source may be this canvas.
    void StretchBlt(int dx, int dy, int dw, int dh, const TCanvas& source, int sx, int sy, int sw, int sh);
    // Two-colour linear gradient over r, from the first row (vertical) or the
    // first column (horizontal) to the last.
    void GradientFillRect(const TRect& r, TColor start, TColor stop, bool vertical);

    // Clipping, origin and saved state.
    TRect ClipRect() const;
    void IntersectClipRect(const TRect& r);
    void SelectClipRect(const TRect& r);
    void RemoveClip();
    TPoint Origin() const;
    void SetOrigin(TPoint origin);
    void MoveOrigin(int dx, int dy);
    int SaveState();
    void RestoreState(int saved) noexcept;

    // Framework-internal binding to a surface.
    TCanvasDevice* Device() const { return device_.get(); }
    void BindDevice(std::unique_ptr<TCanvasDevice> device) noexcept;
    std::unique_ptr<TCanvasDevice> ReleaseDevice() noexcept;

private:
    TPen pen_;
    TBrush brush_;
    TFont font_;
    TPoint penPos_;
    unsigned textAlign_ = TA_LEFT | TA_TOP;
    std::uint64_t textCharacters_ = 0;
    std::unique_ptr<TCanvasDevice> device_;
};

enum TPixelFormat { pfDevice, pf24bit, pf32bit };

// A 32-bit off-screen image with its own canvas.
class TBitmap : public TGraphicsObject {
public:
    LV_CLASS_NAME(TBitmap)
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const;
    int Height() const;
    void SetWidth(int w);
    void SetHeight(int h);
    void SetSize(int w, int h);
    bool Empty() const { return Width() == 0 || Height() == 0; }
    TPixelFormat PixelFormat() const { return pf32bit; }
    void SetPixelFormat(TPixelFormat) {}

    TCanvas& Canvas();
    const TCanvas& Canvas() const;
    void Assign(const TBitmap& other);
    void Assign(TPersistent* Source) override { AssignPersistent(*this, Source); }

    // Transparent drawing: pixels of TransparentColor are not drawn.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor v);

    bool LoadFromFile(const String& fileName);
    bool SaveToFile(const String& fileName) const;  // PNG
    std::vector<std::uint8_t> SaveToData() const;   // PNG
    // PNG in which the pixels of TransparentColor are see-through (an
    // icon that stands on any background).
    std::vector<std::uint8_t> SaveToTransparentData() const;
    bool LoadFromData(const unsigned char* data, size_t size);  // PNG or other image data

    struct Image;  // framework-internal pixel store
    Image& ImageData() const { return *image_; }

private:
    std::unique_ptr<Image> image_;
    std::unique_ptr<TCanvas> canvas_;
    bool transparent_ = false;
    TColor transparentColor_ = clDefault;
};

// Block copies between devices, as the device-level painting routines use
// them. Only SRCCOPY is known; any other raster operation copies too.
void BitBlt(HDC dest, int x, int y, int w, int h, HDC source, int sx, int sy, unsigned rop);
void StretchBlt(HDC dest, int dx, int dy, int dw, int dh, HDC source, int sx, int sy, int sw, int sh, unsigned rop);
// The two-colour rectangle gradient: linear from the first row (vertical)
// or the first column to the last.
void GradientFillCanvas(TCanvas& canvas, TColor start, TColor stop, const TRect& r, bool vertical);

// An 8 x 8 checker of the two colours for brush patterns (a pressed
// button's dithered face): BkColor everywhere except the pixels whose x and
// y are both even or both odd, which are FgColor. The bitmap is shared and
// lives to the end of the program; callers do not free it.
TBitmap* AllocPatternBitmap(TColor BkColor, TColor FgColor);

// A one-pixel edge around r: its top row and left column in TopLeft, the
// rest of its right column and bottom row in BottomRight. Returns r inset by
// one, for the next edge inside (a sunken field is two of them).
TRect Frame3D(TCanvas& Canvas, const TRect& r, TColor TopLeft, TColor BottomRight);
