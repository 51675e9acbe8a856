#include "Graphics.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

#include "QtBridge.h"

namespace {

TColor FromQRgb(QRgb c) { return RGB(qRed(c), qGreen(c), qBlue(c)); }

}  // namespace

// ---------------------------------------------------------------------------
// System colours from the desktop

void UseDesktopPalette() {
    ResetSystemColors();
    if (!qGuiApp) return;
    const QPalette pal = QGuiApplication::palette();
    auto set = [](int index, const QColor& c) { SetSystemColor(index, FromQRgb(c.rgb())); };
    set(4, pal.color(QPalette::Window));
    set(5, pal.color(QPalette::Base));
    set(7, pal.color(QPalette::WindowText));
    set(8, pal.color(QPalette::Text));
    set(13, pal.color(QPalette::Highlight));
    set(14, pal.color(QPalette::HighlightedText));
    set(15, pal.color(QPalette::Button));
    set(16, pal.color(QPalette::Dark));
    set(17, pal.color(QPalette::Disabled, QPalette::Text));
    set(18, pal.color(QPalette::ButtonText));
    set(20, pal.color(QPalette::Light));
    set(21, pal.color(QPalette::Shadow));
    set(22, pal.color(QPalette::Midlight));
    set(23, pal.color(QPalette::ToolTipText));
    set(24, pal.color(QPalette::ToolTipBase));
    set(26, pal.color(QPalette::Link));
    set(30, pal.color(QPalette::Window));
}

QColor ToQColor(TColor c) {
    const TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

// ---------------------------------------------------------------------------
// Pens, brushes, fonts

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

void TPen::SetColor(TColor v) { if (v != color_) { color_ = v; Changed(); } }
void TPen::SetWidth(int v) { if (v != width_) { width_ = v; Changed(); } }
void TPen::SetStyle(TPenStyle v) { if (v != style_) { style_ = v; Changed(); } }
void TPen::Assign(const TPen& o) {
    color_ = o.color_;
    width_ = o.width_;
    style_ = o.style_;
    Changed();
}

void TBrush::SetColor(TColor v) {
    if (v == color_ && style_ != bsClear) return;
    color_ = v;
    if (style_ == bsClear) style_ = bsSolid;
    Changed();
}
void TBrush::SetStyle(TBrushStyle v) { if (v != style_) { style_ = v; Changed(); } }
void TBrush::SetBitmap(TBitmap* v) { if (v != bitmap_) { bitmap_ = v; Changed(); } }
void TBrush::Assign(const TBrush& o) {
    color_ = o.color_;
    style_ = o.style_;
    bitmap_ = o.bitmap_;
    Changed();
}

TFont::TFont() = default;

void TFont::SetName(const String& v) { if (v != name_) { name_ = v; Changed(); } }
void TFont::SetHeight(int v) { if (v != height_) { height_ = v; Changed(); } }
int TFont::Size() const { return -static_cast<int>(std::lround(height_ * 72.0 / 96.0)); }
void TFont::SetSize(int points) { SetHeight(-static_cast<int>(std::lround(points * 96.0 / 72.0))); }
void TFont::SetColor(TColor v) { if (v != color_) { color_ = v; Changed(); } }
void TFont::SetStyle(TFontStyles v) { if (!(v == style_)) { style_ = v; Changed(); } }
void TFont::SetCharset(TFontCharset v) { if (v != charset_) { charset_ = v; Changed(); } }
void TFont::SetPitch(TFontPitch v) { if (v != pitch_) { pitch_ = v; Changed(); } }

void TFont::Assign(const TFont& o) {
    if (SameAs(o)) return;
    name_ = o.name_;
    height_ = o.height_;
    color_ = o.color_;
    style_ = o.style_;
    charset_ = o.charset_;
    pitch_ = o.pitch_;
    Changed();
}

bool TFont::SameAs(const TFont& o) const {
    return name_ == o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_ &&
           charset_ == o.charset_ && pitch_ == o.pitch_;
}

namespace {

bool IsKnownFixedPitchFamily(const String& name) {
    static const char16_t* const kFixed[] = {u"Consolas", u"Courier New", u"Courier", u"Lucida Console",
                                             u"Fixedsys", u"Terminal", u"Cascadia Mono", u"Cascadia Code"};
    for (auto* f : kFixed)
        if (SameText(name, f)) return true;
    return false;
}

}  // namespace

QFont ToQFont(const TFont& font) {
    QFont f(ToQString(font.Name()));
    const int h = font.Height();
    f.setPixelSize(std::max(1, h < 0 ? -h : h));
    f.setBold(font.Style().Contains(fsBold));
    f.setItalic(font.Style().Contains(fsItalic));
    f.setUnderline(font.Style().Contains(fsUnderline));
    f.setStrikeOut(font.Style().Contains(fsStrikeOut));
    f.setKerning(false);
    const bool wantsFixed = font.Pitch() == fpFixed || IsKnownFixedPitchFamily(font.Name());
    if (wantsFixed) {
        f.setStyleHint(QFont::TypeWriter);
        f.setFixedPitch(true);
        if (!QFontInfo(f).fixedPitch()) f.setFamily(QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    }
    return f;
}

// ---------------------------------------------------------------------------
// Bitmap device

namespace {

struct TImageDevice : TCanvasDevice {
    explicit TImageDevice(TBitmap::Image* img) : img(img) {}
    QPainter* Painter() override {
        if (!painter) {
            if (img->image.isNull()) return nullptr;
            painter = std::make_unique<QPainter>(&img->image);
        }
        return painter.get();
    }
    QImage* Image() override { return &img->image; }
    QSize Size() const override { return img->image.size(); }
    void End() { painter.reset(); }
    TBitmap::Image* img;
    std::unique_ptr<QPainter> painter;
};

}  // namespace

void EndBitmapPainting(TBitmap& bitmap) {
    if (auto* dev = dynamic_cast<TImageDevice*>(bitmap.Canvas().Device())) dev->End();
}

// ---------------------------------------------------------------------------
// Canvas

namespace {

// Begins an operation: the painter with the canvas's origin and clip applied.
QPainter* Prepare(TCanvasDevice* dev) {
    if (!dev) return nullptr;
    QPainter* p = dev->Painter();
    if (!p) return nullptr;
    p->resetTransform();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setRenderHint(QPainter::TextAntialiasing, true);
    p->setOpacity(1.0);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (dev->clipped)
        p->setClipRect(dev->clip);
    else
        p->setClipping(false);
    p->translate(dev->origin);
    return p;
}

void FillPixels(QPainter* p, int x, int y, int w, int h, const QColor& c) {
    if (w > 0 && h > 0) p->fillRect(QRect(x, y, w, h), c);
}

// Plots a pen-width square per point of a line from (x0, y0) up to, but not
// including, (x1, y1).
void PlotLine(QPainter* p, int x0, int y0, int x1, int y1, const TPen& pen) {
    if (pen.Style() == psClear) return;
    const QColor c = ToQColor(pen.Color());
    const int w = std::max(1, pen.Width());
    const int off = (w - 1) / 2;
    const bool patterned = pen.Style() != psSolid && pen.Style() != psInsideFrame && w == 1;
    if (!patterned && (y0 == y1 || x0 == x1)) {
        if (y0 == y1) {
            if (x0 == x1) return;
            const int a = x0 < x1 ? x0 : x1 + 1;
            const int b = x0 < x1 ? x1 - 1 : x0;
            FillPixels(p, a - off, y0 - off, b - a + w, w, c);
        } else {
            const int a = y0 < y1 ? y0 : y1 + 1;
            const int b = y0 < y1 ? y1 - 1 : y0;
            FillPixels(p, x0 - off, a - off, w, b - a + w, c);
        }
        return;
    }
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    int step = 0;
    while (!(x == x1 && y == y1)) {
        const bool on = !patterned || (pen.Style() == psDot ? (step % 2 == 0) : (step % 6 < 4));
        if (on) FillPixels(p, x - off, y - off, w, w, c);
        ++step;
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
}

QBrush ToQBrush(const TBrush& brush) {
    if (TBitmap* pattern = brush.Bitmap()) {
        EndBitmapPainting(*pattern);
        return QBrush(pattern->ImageData().image);
    }
    const QColor c = ToQColor(brush.Color());
    switch (brush.Style()) {
        case bsClear: return QBrush(Qt::NoBrush);
        case bsHorizontal: return QBrush(c, Qt::HorPattern);
        case bsVertical: return QBrush(c, Qt::VerPattern);
        case bsFDiagonal: return QBrush(c, Qt::FDiagPattern);
        case bsBDiagonal: return QBrush(c, Qt::BDiagPattern);
        case bsCross: return QBrush(c, Qt::CrossPattern);
        case bsDiagCross: return QBrush(c, Qt::DiagCrossPattern);
        default: return QBrush(c);
    }
}

bool BrushPaints(const TBrush& brush) { return brush.Bitmap() || brush.Style() != bsClear; }

int ToQtTextFlags(unsigned flags) {
    int q = 0;
    if (flags & DT_CENTER) q |= Qt::AlignHCenter;
    else if (flags & DT_RIGHT) q |= Qt::AlignRight;
    else q |= Qt::AlignLeft;
    if (flags & DT_SINGLELINE) {
        q |= Qt::TextSingleLine;
        if (flags & DT_VCENTER) q |= Qt::AlignVCenter;
        else if (flags & DT_BOTTOM) q |= Qt::AlignBottom;
        else q |= Qt::AlignTop;
    } else {
        q |= Qt::AlignTop;
        if (flags & DT_WORDBREAK) q |= Qt::TextWordWrap;
    }
    if (flags & DT_EXPANDTABS) q |= Qt::TextExpandTabs;
    if (!(flags & DT_NOPREFIX)) q |= Qt::TextShowMnemonic;
    if (flags & DT_NOCLIP) q |= Qt::TextDontClip;
    return q;
}

}  // namespace

QPainter* PrepareCanvasPainter(TCanvas& canvas) { return Prepare(canvas.Device()); }

TCanvas::TCanvas() = default;
TCanvas::~TCanvas() = default;

bool TCanvas::HandleAllocated() const { return device_ && device_->Painter() != nullptr; }

void TCanvas::BindDevice(std::unique_ptr<TCanvasDevice> device) noexcept { device_ = std::move(device); }
std::unique_ptr<TCanvasDevice> TCanvas::ReleaseDevice() noexcept { return std::move(device_); }

void TCanvas::MoveTo(int x, int y) { penPos_ = {x, y}; }

void TCanvas::LineTo(int x, int y) {
    if (QPainter* p = Prepare(device_.get())) PlotLine(p, penPos_.X, penPos_.Y, x, y, pen_);
    penPos_ = {x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    if (points.empty()) return;
    MoveTo(points[0].X, points[0].Y);
    for (size_t i = 1; i < points.size(); ++i) LineTo(points[i].X, points[i].Y);
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    QPainter* p = Prepare(device_.get());
    if (!p || points.size() < 2) return;
    QPolygon poly;
    for (const auto& pt : points) poly << QPoint(pt.X, pt.Y);
    if (BrushPaints(brush_)) {
        p->setPen(Qt::NoPen);
        p->setBrush(ToQBrush(brush_));
        p->drawPolygon(poly);
    }
    if (pen_.Style() != psClear) {
        for (size_t i = 0; i < points.size(); ++i) {
            const TPoint a = points[i], b = points[(i + 1) % points.size()];
            PlotLine(p, a.X, a.Y, b.X, b.Y, pen_);
        }
    }
}

void TCanvas::FillRect(const TRect& r) {
    QPainter* p = Prepare(device_.get());
    if (!p || r.IsEmpty() || !BrushPaints(brush_)) return;
    if (brush_.Bitmap()) p->setBrushOrigin(-device_->origin);
    p->fillRect(ToQRect(r), ToQBrush(brush_));
}

void TCanvas::FrameRect(const TRect& r) {
    QPainter* p = Prepare(device_.get());
    if (!p || r.IsEmpty()) return;
    const QColor c = ToQColor(brush_.Color());
    FillPixels(p, r.Left, r.Top, r.Width(), 1, c);
    FillPixels(p, r.Left, r.Bottom - 1, r.Width(), 1, c);
    FillPixels(p, r.Left, r.Top, 1, r.Height(), c);
    FillPixels(p, r.Right - 1, r.Top, 1, r.Height(), c);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    QPainter* p = Prepare(device_.get());
    if (!p) return;
    if (pen_.Style() == psClear) {
        if (BrushPaints(brush_) && x2 - 1 > x1 && y2 - 1 > y1) p->fillRect(QRect(x1, y1, x2 - 1 - x1, y2 - 1 - y1), ToQBrush(brush_));
        return;
    }
    if (BrushPaints(brush_) && x2 - x1 > 2 && y2 - y1 > 2) p->fillRect(QRect(x1 + 1, y1 + 1, x2 - x1 - 2, y2 - y1 - 2), ToQBrush(brush_));
    if (x2 <= x1 || y2 <= y1) return;
    PlotLine(p, x1, y1, x2, y1, pen_);
    PlotLine(p, x1, y2 - 1, x2, y2 - 1, pen_);
    PlotLine(p, x1, y1, x1, y2, pen_);
    PlotLine(p, x2 - 1, y1, x2 - 1, y2, pen_);
}

void TCanvas::Ellipse(const TRect& r) {
    QPainter* p = Prepare(device_.get());
    if (!p || r.IsEmpty()) return;
    p->setPen(pen_.Style() == psClear ? QPen(Qt::NoPen) : QPen(ToQColor(pen_.Color()), 0));
    p->setBrush(ToQBrush(brush_));
    p->drawEllipse(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
}

TColor TCanvas::Pixel(int x, int y) const {
    if (!device_) return clNone;
    QImage* img = device_->Image();
    if (!img) return clNone;
    const int px = x + device_->origin.x(), py = y + device_->origin.y();
    if (px < 0 || py < 0 || px >= img->width() || py >= img->height()) return clNone;
    return FromQRgb(img->pixel(px, py));
}

namespace {

bool CopyPixelsDirect(TCanvasDevice* dest, int dx, int dy, int dw, int dh, TCanvasDevice* src, int sx, int sy);

// The device's image when the canvas may write its memory directly: only
// while nobody else shares the pixel data, since a shared image would be
// copied on write and the active painter would go on drawing into the old one.
QImage* DirectImage(TCanvasDevice* dev) {
    if (!dev) return nullptr;
    QImage* img = dev->Image();
    if (!img || img->isNull() || !img->isDetached() || img->format() != QImage::Format_RGB32) return nullptr;
    return img;
}

// The part of the surface that drawing may change, in device coordinates.
QRect DrawableArea(TCanvasDevice* dev, const QImage& img) {
    const QRect all = img.rect();
    return dev->clipped ? all.intersected(dev->clip) : all;
}

}  // namespace

void TCanvas::SetPixel(int x, int y, TColor c) {
    if (QImage* img = DirectImage(device_.get())) {
        const QPoint at = QPoint(x, y) + device_->origin;
        if (DrawableArea(device_.get(), *img).contains(at)) {
            const TColor rgb = ColorToRGB(c);
            reinterpret_cast<QRgb*>(img->scanLine(at.y()))[at.x()] = qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
        }
        return;
    }
    if (QPainter* p = Prepare(device_.get())) FillPixels(p, x, y, 1, 1, ToQColor(c));
}

namespace {

// Left and top of a text cell drawn with the TA_ reference point at (x, y).
QPoint TextCellOrigin(const QFontMetrics& fm, unsigned align, int x, int y, int width) {
    int left = x;
    if ((align & TA_CENTER) == TA_CENTER) left = x - width / 2;
    else if (align & TA_RIGHT) left = x - width;
    int top = y;
    if ((align & TA_BASELINE) == TA_BASELINE) top = y - fm.ascent();
    else if (align & TA_BOTTOM) top = y - fm.height();
    return QPoint(left, top);
}

}  // namespace

void TCanvas::TextOut(int x, int y, const String& text) {
    textCharacters_ += text.size();
    QPainter* p = Prepare(device_.get());
    if (!p) return;
    const QFont f = ToQFont(font_);
    const QFontMetrics fm(f);
    const QString s = ToQString(text);
    const int w = fm.horizontalAdvance(s);
    const QPoint o = TextCellOrigin(fm, textAlign_, x, y, w);
    if (BrushPaints(brush_)) p->fillRect(QRect(o.x(), o.y(), w, fm.height()), ToQBrush(brush_));
    p->setFont(f);
    p->setPen(ToQColor(font_.Color()));
    p->drawText(QPoint(o.x(), o.y() + fm.ascent()), s);
    penPos_ = {x + w, y};
}

void TCanvas::TextRect(const TRect& r, int x, int y, const String& text) {
    textCharacters_ += text.size();
    QPainter* p = Prepare(device_.get());
    if (!p) return;
    if (BrushPaints(brush_) && !r.IsEmpty()) p->fillRect(ToQRect(r), ToQBrush(brush_));
    if (r.IsEmpty()) return;
    const QFont f = ToQFont(font_);
    const QFontMetrics fm(f);
    const QString s = ToQString(text);
    const QPoint o = TextCellOrigin(fm, textAlign_, x, y, fm.horizontalAdvance(s));
    p->setClipRect(ToQRect(r), Qt::IntersectClip);
    p->setFont(f);
    p->setPen(ToQColor(font_.Color()));
    p->drawText(QPoint(o.x(), o.y() + fm.ascent()), s);
}

int TCanvas::TextWidth(const String& text) { return TextExtent(text).X; }
int TCanvas::TextHeight(const String& text) { return TextExtent(text).Y; }

TPoint TCanvas::TextExtent(const String& text) {
    textCharacters_ += text.size();
    const QFontMetrics fm(ToQFont(font_));
    return {fm.horizontalAdvance(ToQString(text)), fm.height()};
}

namespace {

// The width of text that is not broken at word boundaries, measured the way
// TextWidth measures it, so that a box sized from either one fits the other.
// Text with tabs or with breaking keeps the layout's width.
int UnbrokenTextWidth(const QFontMetrics& fm, const QString& s, unsigned flags, int layoutWidth) {
    if (((flags & DT_WORDBREAK) && !(flags & DT_SINGLELINE)) || s.contains(QLatin1Char('\t'))) return layoutWidth;
    QString shown = s;
    if (!(flags & DT_NOPREFIX)) {
        shown.clear();
        for (qsizetype i = 0; i < s.size(); ++i) {
            if (s[i] == QLatin1Char('&') && i + 1 < s.size()) ++i;  // "&x" shows x, "&&" shows &
            shown += s[i];
        }
    }
    if (flags & DT_SINGLELINE) return fm.horizontalAdvance(shown);
    int width = 0;
    for (const QString& line : shown.split(QLatin1Char('\n'))) width = std::max(width, fm.horizontalAdvance(line));
    return width;
}

}  // namespace

int TCanvas::DrawText(const String& text, TRect& r, unsigned flags) {
    textCharacters_ += text.size();
    const QFont f = ToQFont(font_);
    const QFontMetrics fm(f);
    const QString s = ToQString(text);
    const int qflags = ToQtTextFlags(flags);
    if (flags & DT_CALCRECT) {
        const int width = (flags & DT_WORDBREAK) && !(flags & DT_SINGLELINE) ? std::max(r.Width(), 1) : 1 << 20;
        QRect b = fm.boundingRect(QRect(r.Left, r.Top, width, 1 << 20), qflags & ~(Qt::AlignHCenter | Qt::AlignRight | Qt::AlignVCenter | Qt::AlignBottom), s);
        const int h = s.isEmpty() ? fm.height() : b.height();
        r.Right = r.Left + (s.isEmpty() ? 0 : UnbrokenTextWidth(fm, s, flags, b.width()));
        r.Bottom = r.Top + h;
        return h;
    }
    QPainter* p = Prepare(device_.get());
    const QRect box = ToQRect(r);
    const QRect used = fm.boundingRect(box, qflags, s);
    if (!p) return used.height();
    if (!(flags & DT_NOCLIP)) p->setClipRect(box, Qt::IntersectClip);
    if (BrushPaints(brush_)) p->fillRect(used, ToQBrush(brush_));
    p->setFont(f);
    p->setPen(ToQColor(font_.Color()));
    if (flags & DT_RTLREADING) p->setLayoutDirection(Qt::RightToLeft);
    p->drawText(box, qflags, s);
    if (flags & DT_RTLREADING) p->setLayoutDirection(Qt::LeftToRight);
    return s.isEmpty() ? fm.height() : used.height();
}

unsigned TCanvas::SetTextAlign(unsigned flags) {
    const unsigned old = textAlign_;
    textAlign_ = flags;
    return old;
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
    if (bitmap.Empty()) return;
    if (&bitmap.Canvas() == this) return;
    EndBitmapPainting(const_cast<TBitmap&>(bitmap));
    QPainter* p = Prepare(device_.get());
    if (!p) return;
    const QImage& img = bitmap.ImageData().image;
    if (bitmap.Transparent()) {
        const TColor key = bitmap.TransparentColor() == clDefault ? FromQRgb(img.pixel(0, img.height() - 1))
                                                                  : ColorToRGB(bitmap.TransparentColor());
        p->drawImage(QPoint(x, y), WithTransparentColor(img, key));
        return;
    }
    if (CopyPixelsDirect(device_.get(), x, y, img.width(), img.height(), bitmap.Canvas().Device(), 0, 0)) return;
    p->drawImage(QPoint(x, y), img);
}

void TCanvas::StretchDraw(const TRect& dest, const TBitmap& bitmap) {
    if (bitmap.Empty() || dest.IsEmpty()) return;
    EndBitmapPainting(const_cast<TBitmap&>(bitmap));
    QPainter* p = Prepare(device_.get());
    if (!p) return;
    p->drawImage(ToQRect(dest), bitmap.ImageData().image.scaled(dest.Width(), dest.Height(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

namespace {

QImage GrabSource(const TCanvas& source, int sx, int sy, int sw, int sh) {
    TCanvasDevice* dev = source.Device();
    if (!dev || !dev->Image() || sw <= 0 || sh <= 0) return QImage();
    QImage* img = dev->Image();
    return img->copy(sx + dev->origin.x(), sy + dev->origin.y(), sw, sh);
}

}  // namespace

void TCanvas::CopyRect(const TRect& dest, const TCanvas& source, const TRect& src) {
    StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), source, src.Left, src.Top, src.Width(), src.Height());
}

namespace {

// An unscaled copy between two readable images, done on their memory: the
// common case of block copies (tiling, mirroring halves) stays cheap. A
// negative extent mirrors along that axis, the destination then running
// back from (dx, dy).
bool CopyPixelsDirect(TCanvasDevice* dest, int dx, int dy, int dw, int dh, TCanvasDevice* src, int sx, int sy) {
    QImage* to = DirectImage(dest);
    if (!to || !src || !src->Image() || src->Image()->format() != QImage::Format_RGB32) return false;
    const bool mirrorX = dw < 0, mirrorY = dh < 0;
    const int w = std::abs(dw), h = std::abs(dh);
    const QRect full(QPoint(mirrorX ? dx + dw + 1 : dx, mirrorY ? dy + dh + 1 : dy) + dest->origin, QSize(w, h));
    const QPoint source = QPoint(sx, sy) + src->origin;
    // Destination pixel (x, y) of the full rectangle takes source pixel (SourceX(x), SourceY(y)).
    auto sourceX = [&](int x) { return source.x() + (mirrorX ? full.right() - x : x - full.left()); };
    auto sourceY = [&](int y) { return source.y() + (mirrorY ? full.bottom() - y : y - full.top()); };
    const QRect target = full.intersected(DrawableArea(dest, *to));
    if (target.isEmpty()) return true;
    // Mirrored copies and copies whose source lies outside the image take
    // the general path; overlapping plain copies are handled below.
    const QRect needed(QPoint(std::min(sourceX(target.left()), sourceX(target.right())),
                              std::min(sourceY(target.top()), sourceY(target.bottom()))),
                       QSize(target.width(), target.height()));
    const QImage& from = *src->Image();
    if (!from.rect().contains(needed)) return false;
    const bool sameImage = &from == to || from.constBits() == to->constBits();
    if (sameImage && (mirrorX || mirrorY) && needed.intersects(target)) return false;
    const size_t bytes = static_cast<size_t>(target.width()) * sizeof(QRgb);
    auto copyRow = [&](int y) {
        const auto* s = reinterpret_cast<const QRgb*>(from.constScanLine(sourceY(y)));
        auto* d = reinterpret_cast<QRgb*>(to->scanLine(y));
        if (!mirrorX) {
            std::memmove(d + target.left(), s + sourceX(target.left()), bytes);
            return;
        }
        for (int x = target.left(); x <= target.right(); ++x) d[x] = s[sourceX(x)];
    };
    // Rows are taken in the order that never reads a row already overwritten.
    if (!sameImage || mirrorY || needed.top() >= target.top())
        for (int y = target.top(); y <= target.bottom(); ++y) copyRow(y);
    else
        for (int y = target.bottom(); y >= target.top(); --y) copyRow(y);
    return true;
}

}  // namespace

void TCanvas::StretchBlt(int dx, int dy, int dw, int dh, const TCanvas& source, int sx, int sy, int sw, int sh) {
    if (dw == 0 || dh == 0 || sw <= 0 || sh <= 0) return;
    if (std::abs(dw) == sw && std::abs(dh) == sh && CopyPixelsDirect(device_.get(), dx, dy, dw, dh, source.Device(), sx, sy))
        return;
    QImage part = GrabSource(source, sx, sy, sw, sh);  // copied before drawing: source may be this canvas
    QPainter* p = Prepare(device_.get());
    if (!p || part.isNull()) return;
    const int w = std::abs(dw), h = std::abs(dh);
    if (w != part.width() || h != part.height()) part = part.scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (dw < 0 || dh < 0) part = part.mirrored(dw < 0, dh < 0);
    const int left = dw < 0 ? dx + dw + 1 : dx;
    const int top = dh < 0 ? dy + dh + 1 : dy;
    p->setCompositionMode(QPainter::CompositionMode_Source);
    p->drawImage(QPoint(left, top), part);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::GradientFillRect(const TRect& r, TColor start, TColor stop, bool vertical) {
    QPainter* p = Prepare(device_.get());
    if (!p || r.IsEmpty()) return;
    const TColor a = ColorToRGB(start), b = ColorToRGB(stop);
    const int n = vertical ? r.Height() : r.Width();
    // One line of the gradient, stretched across the rectangle: each colour
    // is worked out once, not once per pixel.
    QImage line(vertical ? 1 : n, vertical ? n : 1, QImage::Format_RGB32);
    auto* px = reinterpret_cast<QRgb*>(line.bits());
    for (int i = 0; i < n; ++i) {
        auto mix = [&](int ca, int cb) { return n == 1 ? ca : ca + (cb - ca) * i / (n - 1); };
        px[i] = qRgb(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
    }
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->drawImage(ToQRect(r), line);
}

TRect TCanvas::ClipRect() const {
    if (!device_) return TRect{};
    QRect c = device_->clipped ? device_->clip : QRect(QPoint(0, 0), device_->Size());
    return OffsetRect(FromQRect(c), -device_->origin.x(), -device_->origin.y());
}

void TCanvas::IntersectClipRect(const TRect& r) {
    if (!device_) return;
    const QRect dev = ToQRect(r).translated(device_->origin);
    device_->clip = device_->clipped ? device_->clip.intersected(dev) : dev;
    if (device_->clip.isEmpty()) device_->clip = QRect(0, 0, 0, 0);
    device_->clipped = true;
}

void TCanvas::SelectClipRect(const TRect& r) {
    if (!device_) return;
    device_->clip = ToQRect(r).translated(device_->origin);
    device_->clipped = true;
}

void TCanvas::RemoveClip() {
    if (device_) device_->clipped = false;
}

TPoint TCanvas::Origin() const { return device_ ? TPoint{device_->origin.x(), device_->origin.y()} : TPoint{}; }

void TCanvas::SetOrigin(TPoint origin) {
    if (device_) device_->origin = QPoint(origin.X, origin.Y);
}

void TCanvas::MoveOrigin(int dx, int dy) {
    if (device_) device_->origin += QPoint(dx, dy);
}

int TCanvas::SaveState() {
    if (!device_) return 0;
    device_->saved.push_back({device_->origin, device_->clipped, device_->clip});
    return static_cast<int>(device_->saved.size());
}

void TCanvas::RestoreState(int saved) noexcept {
    if (!device_ || saved <= 0 || saved > static_cast<int>(device_->saved.size())) return;
    const auto s = device_->saved[saved - 1];
    device_->saved.resize(saved - 1);
    device_->origin = s.origin;
    device_->clipped = s.clipped;
    device_->clip = s.clip;
}

// ---------------------------------------------------------------------------
// Bitmap

TBitmap::TBitmap() : image_(std::make_unique<Image>()), canvas_(std::make_unique<TCanvas>()) {
    canvas_->BindDevice(std::make_unique<TImageDevice>(image_.get()));
}

TBitmap::TBitmap(int width, int height) : TBitmap() { SetSize(width, height); }

TBitmap::~TBitmap() {
    EndBitmapPainting(*this);
}

int TBitmap::Width() const { return image_->image.width(); }
int TBitmap::Height() const { return image_->image.height(); }
void TBitmap::SetWidth(int w) { SetSize(w, Height()); }
void TBitmap::SetHeight(int h) { SetSize(Width(), h); }

void TBitmap::SetSize(int w, int h) {
    w = std::max(0, w);
    h = std::max(0, h);
    if (w == Width() && h == Height()) return;
    EndBitmapPainting(*this);
    QImage next(w, h, QImage::Format_RGB32);
    if (!next.isNull()) {
        next.fill(Qt::white);
        if (!image_->image.isNull()) {
            QPainter p(&next);
            p.drawImage(0, 0, image_->image);
        }
    }
    image_->image = (w == 0 || h == 0) ? QImage() : next;
    Changed();
}

TCanvas& TBitmap::Canvas() { return *canvas_; }
const TCanvas& TBitmap::Canvas() const { return *canvas_; }

void TBitmap::Assign(const TBitmap& other) {
    if (&other == this) return;
    EndBitmapPainting(*this);
    EndBitmapPainting(const_cast<TBitmap&>(other));
    image_->image = other.image_->image.copy();
    transparent_ = other.transparent_;
    transparentColor_ = other.transparentColor_;
    Changed();
}

void TBitmap::SetTransparent(bool v) { if (v != transparent_) { transparent_ = v; Changed(); } }
void TBitmap::SetTransparentColor(TColor v) { if (v != transparentColor_) { transparentColor_ = v; Changed(); } }

bool TBitmap::LoadFromFile(const String& fileName) {
    QImage img;
    if (!img.load(ToQString(fileName))) return false;
    EndBitmapPainting(*this);
    image_->image = img.convertToFormat(QImage::Format_RGB32);
    Changed();
    return true;
}

bool TBitmap::LoadFromData(const unsigned char* data, size_t size) {
    QImage img;
    if (!img.loadFromData(data, static_cast<int>(size))) return false;
    EndBitmapPainting(*this);
    image_->image = img.convertToFormat(QImage::Format_RGB32);
    Changed();
    return true;
}

bool TBitmap::SaveToFile(const String& fileName) const {
    EndBitmapPainting(const_cast<TBitmap&>(*this));
    return image_->image.save(ToQString(fileName), "PNG");
}

std::vector<std::uint8_t> TBitmap::SaveToData() const {
    EndBitmapPainting(const_cast<TBitmap&>(*this));
    return EncodePng(image_->image);
}

std::vector<std::uint8_t> TBitmap::SaveToTransparentData() const {
    EndBitmapPainting(const_cast<TBitmap&>(*this));
    return EncodePng(WithTransparentColor(image_->image, ColorToRGB(transparentColor_)));
}

QImage WithTransparentColor(const QImage& image, TColor key) {
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = qRgb(GetRValue(key), GetGValue(key), GetBValue(key)) & 0xFFFFFF;
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            if ((line[x] & 0xFFFFFF) == keyRgb) line[x] = 0;
    }
    return masked;
}

std::vector<std::uint8_t> EncodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

// ---------------------------------------------------------------------------
// Device-level helpers

int ScreenColorDepth() {
    if (!qGuiApp) return 0;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 0;
}

void BitBlt(HDC dest, int x, int y, int w, int h, HDC source, int sx, int sy, unsigned) {
    if (dest && source && w > 0 && h > 0) dest->StretchBlt(x, y, w, h, *source, sx, sy, w, h);
}

void StretchBlt(HDC dest, int dx, int dy, int dw, int dh, HDC source, int sx, int sy, int sw, int sh, unsigned) {
    if (dest && source) dest->StretchBlt(dx, dy, dw, dh, *source, sx, sy, sw, sh);
}

void GradientFillCanvas(TCanvas& canvas, TColor start, TColor stop, const TRect& r, bool vertical) {
    canvas.GradientFillRect(r, start, stop, vertical);
}

TBitmap* AllocPatternBitmap(TColor BkColor, TColor FgColor) {
    // Never freed: the bitmaps outlive every painter that may still hold one.
    static auto* cache = new std::map<std::pair<TColor, TColor>, TBitmap*>();
    TBitmap*& entry = (*cache)[{BkColor, FgColor}];
    if (!entry) {
        entry = new TBitmap(8, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) entry->Canvas().SetPixel(x, y, (x + y) % 2 == 0 ? FgColor : BkColor);
    }
    return entry;
}

TRect Frame3D(TCanvas& Canvas, const TRect& r, TColor TopLeft, TColor BottomRight) {
    Canvas.Pen().SetStyle(psSolid);
    Canvas.Pen().SetColor(TopLeft);
    Canvas.MoveTo(r.Left, r.Bottom - 1);
    Canvas.LineTo(r.Left, r.Top);
    Canvas.LineTo(r.Right, r.Top);
    Canvas.Pen().SetColor(BottomRight);
    Canvas.MoveTo(r.Right - 1, r.Top + 1);
    Canvas.LineTo(r.Right - 1, r.Bottom - 1);
    Canvas.LineTo(r.Left, r.Bottom - 1);
    return InflateRect(r, -1, -1);
}
