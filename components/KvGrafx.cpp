#include "KvGrafx.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>

namespace {

// A colour that walks from a source toward a target in equal fixed-point
// steps: each channel is held as channel x 65536.
class TColorWalk {
public:
    TColorWalk(TColor source, TColor target, int steps) {
        const TColor s = ColorToRGB(source), t = ColorToRGB(target);
        const int from[3] = {GetRValue(s), GetGValue(s), GetBValue(s)};
        const int to[3] = {GetRValue(t), GetGValue(t), GetBValue(t)};
        for (int i = 0; i < 3; ++i) {
            value_[i] = from[i] * 65536;
            step_[i] = (to[i] * 65536 - from[i] * 65536) / std::max(steps, 1);
        }
    }
    void Step() {
        for (int i = 0; i < 3; ++i) value_[i] += step_[i];
    }
    // A walk taken past its target stays at the end of the range instead of
    // wrapping round to the other end of it.
    TColor Color() const { return RGB(Channel(0), Channel(1), Channel(2)); }

private:
    int Channel(int i) const { return std::clamp(value_[i] >> 16, 0, 255); }
    std::int32_t value_[3];
    std::int32_t step_[3];
};

// Extra steps a colour band takes before it may end: SmoothFactor sets the
// shortest band. K is the scale of the painter asking.
int MinBandExtraSteps(std::uint8_t smoothFactor, int k) {
    int q = smoothFactor;
    if (q > 8) q = k / q + 1;
    return std::max(q - 1, 0);
}

void FillSolid(HDC dc, const TRect& r, TColor color) {
    dc->Brush().SetColor(color);
    dc->FillRect(r);
}

// Integer part of a 16.16 fixed-point coordinate.
int IntPart(std::int64_t v) { return static_cast<int>(v >> 16); }

}  // namespace

void FillGrad(HDC DC, int AX, int AY, int L, TColor ColorStart, TColor ColorStop, std::uint8_t SmoothFactor) {
    const bool alongX = AX != 0;
    const int a = alongX ? AX : AY;
    const int extra = MinBandExtraSteps(SmoothFactor, 255);
    auto fillBand = [&](int low, int high, TColor color) {
        FillSolid(DC, alongX ? Rect(low, 0, high + 1, 8) : Rect(0, low, 8, high + 1), color);
    };
    // Positions high down to low, the colour walking from source to target;
    // runs of one colour are filled together.
    auto pass = [&](int high, int low, TColor source, TColor target) {
        if (high < low) return;
        TColorWalk walk(source, target, high - low + 1);
        int pos = high;
        while (pos >= low) {
            const TColor band = walk.Color();
            const int bandHigh = pos;
            int taken = 0;
            do {
                --pos;
                ++taken;
                walk.Step();
            } while ((walk.Color() == band || taken < extra + 1) && pos >= low);
            fillBand(pos + 1, bandHigh, band);
        }
    };
    if (a < 0) {
        pass(L - 1, 0, ColorStop, ColorStart);
    } else {
        // Centred: the stop colour at position a, the start colour at both ends.
        pass(a, 0, ColorStop, ColorStart);
        pass(L - 1, a + 1, ColorStart, ColorStop);
    }
}

void FillGradRect(HDC DC, int AX, int AY, int AX0, int AY0, TColor ColorStart, TColor ColorStop,
                  std::uint8_t SmoothFactor) {
    if (ColorToRGB(ColorStart) == ColorToRGB(ColorStop) || AX <= 4 || AY <= 4) {
        FillSolid(DC, Rect(0, 0, AX + 1, AY + 1), ColorStart);
        return;
    }
    const int hx = (AX - 1) / 2, hy = (AY - 1) / 2;
    const int cx = hx + 1, cy = hy + 1;
    const int rx = hx - AX0, ry = hy - AY0;
    const int steps = std::max(rx, ry) + 1;
    const int extra = MinBandExtraSteps(SmoothFactor, 256);
    TColorWalk walk(ColorStop, ColorStart, steps);
    std::int64_t x = std::int64_t{rx} << 16, y = std::int64_t{ry} << 16;
    const std::int64_t dx = (std::int64_t{rx} << 16) / steps, dy = (std::int64_t{ry} << 16) / steps;
    int prevX = cx, prevY = cy;
    // Each ring is an L-shaped band: a row strip above the previous ring and a
    // column strip left of it.
    auto fillRing = [&](int X, int Y, TColor color) {
        if (Y != prevY) FillSolid(DC, Rect(X, Y, cx, prevY), color);
        if (X != prevX) FillSolid(DC, Rect(X, prevY, prevX, cy), color);
        prevX = X;
        prevY = Y;
    };
    // A centre bar as long as the quadrant never moves one coordinate; the
    // walk is over well before this many steps in every other case.
    const int stepLimit = 2 * steps + 2;
    int stepsTaken = 0;
    TColor band = walk.Color();
    while ((x >= 0 || y >= 0) && stepsTaken <= stepLimit) {
        band = walk.Color();
        int taken = 0;
        do {
            walk.Step();
            x -= dx;
            y -= dy;
            ++taken;
            ++stepsTaken;
        } while ((walk.Color() == band || taken < extra + 1) && (x >= 0 || y >= 0) && stepsTaken <= stepLimit);
        if (x >= 0 || y >= 0) fillRing(IntPart(x), IntPart(y), band);
    }
    // The last band ends without a colour change; it still owns the outer ring.
    if (prevX > 0 || prevY > 0) fillRing(0, 0, band);
}

namespace {

void FillQuad(HDC dc, TColor color, TPoint a, TPoint b, TPoint c, TPoint d) {
    if (a == b && c == d) return;  // a line, nothing to fill
    dc->Brush().SetColor(color);
    dc->Polygon({a, b, c, d});
}

}  // namespace

void FillGradDiag(HDC DC, int AW, int AH, TColor ColorStart, TColor ColorStop, std::uint8_t SmoothFactor) {
    if (AW == 0 || AH <= 0) return;
    const int width = std::abs(AW);
    const int x0 = AW > 0 ? 0 : width, farX = AW > 0 ? width : 0;
    const int diagonal = static_cast<int>(std::sqrt(double(AW) * AW + double(AH) * AH)) + 1;
    const int half = std::max(diagonal / 2, 1);
    const int extra = MinBandExtraSteps(SmoothFactor, 255);
    TColorWalk walk(AW > 0 ? ColorStart : ColorStop, AW > 0 ? ColorStop : ColorStart, diagonal);
    const std::int64_t dx = (std::int64_t{AW} << 16) / half, dy = (std::int64_t{AH} << 16) / half;
    DC->Pen().SetStyle(psClear);

    // Walks the lines of one half from the start line on; band(prev, now)
    // fills the band between two successive lines.
    TColor band = walk.Color();
    auto walkHalf = [&](auto&& fillBand) {
        std::int64_t x = std::int64_t{x0} << 16, y = std::int64_t{AH} << 16;
        TPoint prev{x0, AH};
        for (;;) {
            band = walk.Color();
            int taken = 0;
            do {
                walk.Step();
                x += dx;
                y -= dy;
                ++taken;
            } while ((walk.Color() == band || taken < extra + 1) && y >= 0);
            if (y < 0) return prev;
            const TPoint now{IntPart(x), IntPart(y)};
            fillBand(prev, now);
            prev = now;
        }
    };

    // First half: lines from (x0, y) on the start side to (x, AH) on the bottom edge.
    TPoint last = walkHalf([&](TPoint prev, TPoint now) {
        FillQuad(DC, band, {x0, now.Y}, {x0, prev.Y}, {prev.X, AH}, {now.X, AH});
    });
    FillQuad(DC, band, {x0, 0}, {x0, last.Y}, {last.X, AH}, {farX, AH});

    // Second half: lines from (x, 0) on the top edge to (far side, y).
    last = walkHalf([&](TPoint prev, TPoint now) {
        FillQuad(DC, band, {now.X, 0}, {prev.X, 0}, {farX, prev.Y}, {farX, now.Y});
    });
    FillQuad(DC, band, {farX, 0}, {last.X, 0}, {farX, last.Y}, {farX, 0});
}

void BitFillBlit(HDC DC, int X0, int Y0, int W0, int H0, int W, int H, unsigned ROP) {
    if (W <= 0 || H <= 0 || W0 <= 0 || H0 <= 0) return;
    int w = std::min(W, W0), h = std::min(H, H0);
    while (w < W0 || h < H0) {
        if (h < H0 && w >= W0) {
            const int copy = std::min(h, H0 - h);
            BitBlt(DC, X0, Y0 + h, w, copy, DC, X0, Y0, ROP);
            h += copy;
        } else {
            const int copy = std::min(w, W0 - w);
            BitBlt(DC, X0 + w, Y0, copy, h, DC, X0, Y0, ROP);
            w += copy;
        }
    }
}

void BoxBitMirrorBlit(HDC DC, int X0, int Y0, int W0, int H0, unsigned ROP) {
    // The quadrant holds the centre column and row of an odd size; each half
    // is mirrored one to one, so the box stays symmetric for every size.
    const int w = W0 / 2, h = H0 / 2;
    StretchBlt(DC, X0, Y0 + H0 - 1, w + 1, -h, DC, X0, Y0, w + 1, h, ROP);
    StretchBlt(DC, X0 + W0 - 1, Y0, -w, H0, DC, X0, Y0, w, H0, ROP);
}

void FlipBitmap(TBitmap& Bitmap) {
    const int w = Bitmap.Width(), h = Bitmap.Height();
    if (w == 0 || h == 0) return;
    TBitmap flipped(w, h);
    StretchBlt(flipped.Canvas().Handle(), 0, h - 1, w, -h, Bitmap.Canvas().Handle(), 0, 0, w, h, SRCCOPY);
    BitBlt(Bitmap.Canvas().Handle(), 0, 0, w, h, flipped.Canvas().Handle(), 0, 0, SRCCOPY);
}

void PaintGradient(TCanvas& Canvas, const TRect& Bounds, TGradientDirection GradDir, TColor ColorStart,
                   TColor ColorStop, std::uint8_t SmoothFactor) {
    switch (GradDir) {
        case gdHorizontalEnd: GradientFillCanvas(Canvas, ColorStart, ColorStop, Bounds, true); break;
        case gdVerticalEnd: GradientFillCanvas(Canvas, ColorStart, ColorStop, Bounds, false); break;
        default: PaintGradientEx(Canvas, Bounds, GradDir, ColorStart, ColorStop, SmoothFactor); break;
    }
}

void PaintGradientEx(TCanvas& Canvas, const TRect& Bounds, TGradientDirection GradDir, TColor ColorStart,
                     TColor ColorStop, std::uint8_t SmoothFactor) {
    const TColor start = ColorToRGB(ColorStart), stop = ColorToRGB(ColorStop);
    const int W = std::abs(Bounds.Right - Bounds.Left), H = std::abs(Bounds.Bottom - Bounds.Top);
    if (W == 0 || H == 0) return;
    TBitmap bitmap(W, H);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetStyle(psClear);
    canvas.Brush().SetStyle(bsSolid);
    const HDC dc = canvas.Handle();
    const TRect all = Rect(0, 0, W, H);
    switch (GradDir) {
        case gdHorizontalCenter:
            FillGrad(dc, 0, H / 2, H, start, stop, SmoothFactor);
            BitFillBlit(dc, 0, 0, W, H, 8, H, SRCCOPY);
            break;
        case gdVerticalCenter:
            if (W == 1) {
                // A single column is its own middle. FillGrad tells the axis by
                // AX, so a centre at column 0 would paint a strip along y instead.
                FillSolid(dc, all, stop);
                break;
            }
            FillGrad(dc, W / 2, 0, W, start, stop, SmoothFactor);
            BitFillBlit(dc, 0, 0, W, H, W, 8, SRCCOPY);
            break;
        case gdHorizontalBox:
            FillSolid(dc, all, start);
            FillGradRect(dc, W, H, W / 4, 0, start, stop, SmoothFactor);
            BoxBitMirrorBlit(dc, 0, 0, W, H, SRCCOPY);
            break;
        case gdVerticalBox:
            FillGradRect(dc, W, H, 0, H / 4, start, stop, SmoothFactor);
            BoxBitMirrorBlit(dc, 0, 0, W, H, SRCCOPY);
            break;
        case gdSquareBox:
            FillSolid(dc, all, start);
            FillGradRect(dc, W, H, 0, 0, start, stop, SmoothFactor);
            BoxBitMirrorBlit(dc, 0, 0, W, H, SRCCOPY);
            break;
        case gdBigSquareBox:
            FillGradRect(dc, W, H, W / 4, H / 4, start, stop, SmoothFactor);
            BoxBitMirrorBlit(dc, 0, 0, W, H, SRCCOPY);
            break;
        case gdDiagonalUp:
        case gdDiagonalDown:
            if (start == stop) {
                // The whole bitmap: a clear-pen Rectangle(0, 0, W, H) would leave
                // the last column and row unpainted.
                FillSolid(dc, all, start);
            } else {
                FillGradDiag(dc, GradDir == gdDiagonalUp ? W : -W, H, start, stop, SmoothFactor);
            }
            break;
        case gdHorizontalEnd:
            FillGrad(dc, 0, -1, H, start, stop, SmoothFactor);
            BitFillBlit(dc, 0, 0, W, H, 8, H, SRCCOPY);
            break;
        case gdVerticalEnd:
            FillGrad(dc, -1, 0, W, start, stop, SmoothFactor);
            BitFillBlit(dc, 0, 0, W, H, W, 8, SRCCOPY);
            break;
    }
    Canvas.Draw(Bounds.Left, Bounds.Top, bitmap);
}

namespace {

// Puts the device's origin and clip back however the painting ends.
class TSavedDeviceState {
public:
    explicit TSavedDeviceState(HDC dc) : dc_(dc), saved_(dc->SaveState()) {}
    ~TSavedDeviceState() { dc_->RestoreState(saved_); }
    TSavedDeviceState(const TSavedDeviceState&) = delete;
    TSavedDeviceState& operator=(const TSavedDeviceState&) = delete;

private:
    HDC dc_;
    int saved_;
};

void PaintParentPart(const TParentImageSource& parent, const std::function<void(TCanvas&)>& paint, HDC dc) {
    if (!paint) return;
    if (!parent.Designing) {
        paint(*dc);
        return;
    }
    try {
        paint(*dc);
    } catch (const std::exception&) {
        // A parent that cannot paint in the designer leaves the picture as it is.
    }
}

}  // namespace

void DrawParentImage(const TParentImageSource* Parent, HDC DC, bool InvalidateParent) {
    if (!Parent || !DC) return;
    {
        TSavedDeviceState saved(DC);
        DC->MoveOrigin(-Parent->ChildLeft, -Parent->ChildTop);
        DC->IntersectClipRect(Rect(0, 0, Parent->ParentClientWidth, Parent->ParentClientHeight));
        PaintParentPart(*Parent, Parent->EraseBackground, DC);
        PaintParentPart(*Parent, Parent->PaintClient, DC);
    }
    if (InvalidateParent && Parent->InvalidateParent) Parent->InvalidateParent();
}

void DrawParentImage(TControl* Control, HDC DC, bool InvalidateParent) {
    if (!Control || !Control->Parent() || !DC) return;
    // A windowless child is part of its parent's client area: printing the
    // parent paints the child again, and that paint must not recurse.
    static std::set<const TControl*> drawing;
    if (!drawing.insert(Control).second) return;
    struct Done {
        const TControl* control;
        ~Done() { drawing.erase(control); }
    } done{Control};

    TWinControl* parent = Control->Parent();
    TParentImageSource source;
    source.ChildLeft = Control->Left();
    source.ChildTop = Control->Top();
    source.ParentClientWidth = parent->ClientWidth();
    source.ParentClientHeight = parent->ClientHeight();
    source.EraseBackground = [parent](TCanvas& c) { parent->Perform(WM_ERASEBKGND, reinterpret_cast<std::intptr_t>(&c)); };
    source.PaintClient = [parent](TCanvas& c) { parent->Perform(WM_PRINTCLIENT, reinterpret_cast<std::intptr_t>(&c)); };
    source.Designing = Control->IsDesigning();
    // A custom-drawn parent (every form is one) repaints itself; invalidating
    // it from its own child's paint would never settle.
    if (!dynamic_cast<TCustomControl*>(parent) && !parent->IsDesigning())
        source.InvalidateParent = [parent] { parent->Invalidate(); };
    DrawParentImage(&source, DC, InvalidateParent);
}
