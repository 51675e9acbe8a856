// Private to the toolkit: glue between the toolkit's types and Qt, and the
// surfaces behind canvases and bitmaps (defined with the canvas, in
// Graphics.cpp).
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include "Graphics.h"

inline QString ToQString(const String& s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}
inline String FromQString(const QString& s) {
    return String(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size()));
}
inline QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }
inline TRect FromQRect(const QRect& r) { return Bounds(r.x(), r.y(), r.width(), r.height()); }
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);
// The Qt font for a toolkit font, with fontconfig substitution and a fixed
// pitch fallback for the known fixed pitch families.
QFont ToQFont(const TFont& font);

// The surface behind a canvas: a painter that is active while the canvas can
// draw, and for bitmaps the image itself (pixel reads, block copies).
struct TCanvasDevice {
    virtual ~TCanvasDevice() = default;
    // The active painter, begun on demand for bitmap surfaces.
    virtual QPainter* Painter() = 0;
    // The image behind the surface, when there is one.
    virtual QImage* Image() { return nullptr; }
    // Logical size of the surface.
    virtual QSize Size() const = 0;
    QPoint origin;     // device origin shift (added to every coordinate)
    bool clipped = false;
    QRect clip;        // in device coordinates, meaningful when clipped
    struct Saved {
        QPoint origin;
        bool clipped;
        QRect clip;
    };
    std::vector<Saved> saved;
};

// A device over a painter that someone else owns (a widget being painted).
struct TPainterDevice : TCanvasDevice {
    TPainterDevice(QPainter* p, QSize s) : painter(p), size(s) {}
    QPainter* Painter() override { return painter; }
    QSize Size() const override { return size; }
    QPainter* painter;
    QSize size;
};

struct TBitmap::Image {
    QImage image;
};

// The image as PNG data (empty for a null image).
std::vector<std::uint8_t> EncodePng(const QImage& image);

// A copy of the image with an alpha channel in which every pixel of the
// colour key (an RGB value) is fully transparent.
QImage WithTransparentColor(const QImage& image, TColor key);

// Begins a drawing operation on a canvas: its painter with the canvas's
// origin and clip applied, or nil when the canvas cannot draw now.
QPainter* PrepareCanvasPainter(TCanvas& canvas);

// Ends any painter that is active on the bitmap's image, so that the image
// can be replaced, resized or copied safely.
void EndBitmapPainting(TBitmap& bitmap);
