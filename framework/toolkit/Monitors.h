// The screen's monitors: each one's bounds and work area (the part of it
// that the desktop's own panels leave free), in screen coordinates. The
// screen object (Forms.h) keeps the list.
#pragma once

#include <vector>

#include "Types.h"

class TMonitor {
public:
    TMonitor(int Num, const TRect& Bounds, const TRect& WorkArea) : num_(Num), bounds_(Bounds), workArea_(WorkArea) {}

    int MonitorNum() const { return num_; }
    // The first monitor of the list is the primary one.
    bool Primary() const { return num_ == 0; }
    const TRect& BoundsRect() const { return bounds_; }
    const TRect& WorkareaRect() const { return workArea_; }
    int Left() const { return bounds_.Left; }
    int Top() const { return bounds_.Top; }
    int Width() const { return bounds_.Width(); }
    int Height() const { return bounds_.Height(); }

private:
    friend class TScreen;
    int num_;
    TRect bounds_;
    TRect workArea_;
};

// What a monitor lookup gives when no monitor is at the place asked for.
enum TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };

// One monitor of a posed layout (see TScreen::SetMonitorLayout).
struct TMonitorArea {
    TRect Bounds;
    TRect WorkArea;
};

// The distance from a point to a rectangle (0 inside it), squared.
long long DistanceSquared(const TRect& R, TPoint P);
