#include "Monitors.h"

#include <QApplication>
#include <QFont>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <limits>

#include "Forms.h"
#include "QtBridge.h"

namespace {

std::vector<TMonitorArea>& PosedLayout() {
    static std::vector<TMonitorArea> layout;
    return layout;
}

// The monitors as the platform has them now, the primary one first.
std::vector<TMonitorArea> CurrentLayout() {
    if (!PosedLayout().empty()) return PosedLayout();
    std::vector<TMonitorArea> areas;
    if (qGuiApp) {
        QScreen* primary = QGuiApplication::primaryScreen();
        if (primary) areas.push_back({FromQRect(primary->geometry()), FromQRect(primary->availableGeometry())});
        for (QScreen* s : QGuiApplication::screens())
            if (s != primary) areas.push_back({FromQRect(s->geometry()), FromQRect(s->availableGeometry())});
    }
    // Without a screen the platform's usual size stands in.
    if (areas.empty()) areas.push_back({Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 768)});
    return areas;
}

long long Overlap(const TRect& a, const TRect& b) {
    const TRect common = IntersectRect(a, b);
    return common.IsEmpty() ? 0 : static_cast<long long>(common.Width()) * common.Height();
}

}  // namespace

long long DistanceSquared(const TRect& R, TPoint P) {
    // Right and bottom are exclusive: the nearest point inside is one less.
    const long long dx = P.X < R.Left ? R.Left - P.X : P.X >= R.Right ? P.X - (R.Right - 1) : 0;
    const long long dy = P.Y < R.Top ? R.Top - P.Y : P.Y >= R.Bottom ? P.Y - (R.Bottom - 1) : 0;
    return dx * dx + dy * dy;
}

void TScreen::SetMonitorLayout(std::vector<TMonitorArea> Layout) { PosedLayout() = std::move(Layout); }

void TScreen::RefreshMonitors() const {
    const std::vector<TMonitorArea> areas = CurrentLayout();
    // Monitors keep their objects (callers may hold them) while their number stays.
    if (monitors_.size() != areas.size()) monitors_.clear();
    for (size_t i = 0; i < areas.size(); ++i) {
        if (i < monitors_.size()) {
            monitors_[i]->bounds_ = areas[i].Bounds;
            monitors_[i]->workArea_ = areas[i].WorkArea;
        } else {
            monitors_.push_back(std::make_unique<TMonitor>(static_cast<int>(i), areas[i].Bounds, areas[i].WorkArea));
        }
    }
}

int TScreen::MonitorCount() const {
    RefreshMonitors();
    return static_cast<int>(monitors_.size());
}

TMonitor* TScreen::Monitors(int Index) const {
    RefreshMonitors();
    if (Index < 0 || Index >= static_cast<int>(monitors_.size())) TList::Error(u"List index out of bounds (%d)", Index);
    return monitors_[static_cast<size_t>(Index)].get();
}

TMonitor* TScreen::PrimaryMonitor() const { return Monitors(0); }

TMonitor* TScreen::MonitorFromPoint(TPoint P, TMonitorDefaultTo Default) const {
    RefreshMonitors();
    TMonitor* nearest = nullptr;
    long long best = std::numeric_limits<long long>::max();
    for (const auto& m : monitors_) {
        const long long d = DistanceSquared(m->BoundsRect(), P);
        if (d == 0) return m.get();
        if (d < best) best = d, nearest = m.get();
    }
    if (Default == mdNull) return nullptr;
    return Default == mdPrimary ? monitors_.front().get() : nearest;
}

TMonitor* TScreen::MonitorFromRect(const TRect& R, TMonitorDefaultTo Default) const {
    RefreshMonitors();
    TMonitor* most = nullptr;
    long long best = 0;
    for (const auto& m : monitors_) {
        const long long area = Overlap(m->BoundsRect(), R);
        if (area > best) best = area, most = m.get();
    }
    if (most) return most;
    return MonitorFromPoint({R.Left + R.Width() / 2, R.Top + R.Height() / 2}, Default);
}

TMonitor* TScreen::MonitorFromWindow(const TControl* Control, TMonitorDefaultTo Default) const {
    if (!Control) return Default == mdNull ? nullptr : PrimaryMonitor();
    const TPoint origin = Control->ClientToScreen({0, 0});
    return MonitorFromRect(Bounds(origin.X, origin.Y, Control->Width(), Control->Height()), Default);
}

const TFont& TScreen::MenuFont() const {
    if (!qApp) return menuFont_;
    const QFont font = QApplication::font("QMenu");
    // A size in points is turned into pixels at 96 pixels per inch.
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : static_cast<int>(std::lround(font.pointSizeF() * 96 / 72));
    menuFont_.SetName(FromQString(font.family()));
    menuFont_.SetHeight(-pixels);
    TFontStyles style;
    if (font.bold()) style.Include(fsBold);
    if (font.italic()) style.Include(fsItalic);
    menuFont_.SetStyle(style);
    menuFont_.SetColor(clMenuText);
    return menuFont_;
}
