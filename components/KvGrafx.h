// Gradient fills in ten directions and the bitmap routines behind them
// (strip tiling, quadrant mirroring, flipping), and painting a parent's
// picture behind a transparent child.
#pragma once

#include <functional>

#include "Graphics.h"
#include "KvCommon.h"

// Fills Bounds with a gradient from ColorStart to ColorStop. SmoothFactor
// sets the shortest colour band (1: a new band at every colour change).
void PaintGradient(TCanvas& Canvas, const TRect& Bounds, TGradientDirection GradDir, TColor ColorStart,
                   TColor ColorStop, std::uint8_t SmoothFactor);
// The bitmap-based painter behind PaintGradient: the gradient is built in an
// off-screen bitmap and copied onto Canvas in one operation.
void PaintGradientEx(TCanvas& Canvas, const TRect& Bounds, TGradientDirection GradDir, TColor ColorStart,
                     TColor ColorStop, std::uint8_t SmoothFactor);

// One 8-pixel strip of a linear (A = -1) or centred (A >= 0: stop colour at
// position A) gradient: rows 0..7 along x when AX is not 0, else columns
// 0..7 along y, over L positions.
void FillGrad(HDC DC, int AX, int AY, int L, TColor ColorStart, TColor ColorStop, std::uint8_t SmoothFactor);
// The top-left quadrant of a box gradient over AX x AY, with a centre bar
// AX0 and AY0 long (half sizes).
void FillGradRect(HDC DC, int AX, int AY, int AX0, int AY0, TColor ColorStart, TColor ColorStop,
                  std::uint8_t SmoothFactor);
// A diagonal gradient over |AW| x AH: AW > 0 from the bottom-left corner
// (ColorStart) to the top-right one, AW < 0 from the bottom-right corner
// (ColorStop) to the top-left one.
void FillGradDiag(HDC DC, int AW, int AH, TColor ColorStart, TColor ColorStop, std::uint8_t SmoothFactor);
// Tiles the W x H block at (X0, Y0) over W0 x H0 by block copies that double
// the covered area each time.
void BitFillBlit(HDC DC, int X0, int Y0, int W0, int H0, int W, int H, unsigned ROP);
// Mirrors the top-left quadrant of the W0 x H0 area into the other three.
void BoxBitMirrorBlit(HDC DC, int X0, int Y0, int W0, int H0, unsigned ROP);
// Mirrors a bitmap top to bottom.
void FlipBitmap(TBitmap& Bitmap);

// What painting a parent's picture behind a child needs of the two
// controls: the child's place in the parent's client area, and a parent
// that can erase its background and paint its client area into a canvas.
struct TParentImageSource {
    int ChildLeft = 0;
    int ChildTop = 0;
    int ParentClientWidth = 0;
    int ParentClientHeight = 0;
    std::function<void(TCanvas&)> EraseBackground;
    std::function<void(TCanvas&)> PaintClient;
    // Schedules a repaint of the parent; empty where that must not happen
    // (a custom-drawn parent, a form, or a parent being designed).
    std::function<void()> InvalidateParent;
    // While designing, a parent that fails to paint leaves the picture as it is.
    bool Designing = false;
};

// Paints the parent's background and client area into DC at the child's
// offset, clipped to the parent's client area; nothing without a parent.
void DrawParentImage(const TParentImageSource* Parent, HDC DC, bool InvalidateParent);
// The same for a control of the controls tree: its parent erases its
// background and prints its client area (WM_ERASEBKGND, WM_PRINTCLIENT) into
// DC. With InvalidateParent the parent is then invalidated, unless it is a
// custom-drawn control (forms included) or being designed.
void DrawParentImage(TControl* Control, HDC DC, bool InvalidateParent);
