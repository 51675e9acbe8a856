#include "PopupWindows.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include <cmath>
#include <map>

#include "ControlWidget.h"
#include "Forms.h"
#include "Menus.h"
#include "Platform.h"
#include "QtBridge.h"

namespace {

std::function<void(TPopupMenuDriver&)> gMenuAutomation;
std::function<void(TKvPopupPanel&)> gPanelAutomation;

TPoint GlobalPoint(const QMouseEvent* e) {
    const QPointF p = e->globalPosition();
    return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))};
}

bool IsMouseEvent(QEvent::Type t) {
    return t == QEvent::MouseMove || t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease ||
           t == QEvent::MouseButtonDblClick;
}

// While a pop-up runs its loop the pointer moves over windows that are not
// the toolkit's own (a menu); every mouse event of the application keeps
// the cursor position up to date meanwhile.
class TPointerWatch : public QObject {
public:
    TPointerWatch() { qApp->installEventFilter(this); }
    ~TPointerWatch() override { qApp->removeEventFilter(this); }
    TPointerWatch(const TPointerWatch&) = delete;
    TPointerWatch& operator=(const TPointerWatch&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (IsMouseEvent(event->type())) SetCursorPos(GlobalPoint(static_cast<QMouseEvent*>(event)));
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

// ===========================================================================
// Popup menu

namespace {

using TActionMap = std::map<QAction*, TMenuItem*>;

void AddItems(QMenu& menu, const TMenuItem& parent, TActionMap& actions) {
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem* item = parent.Items(i);
        if (!item->Visible()) continue;
        if (item->IsLine()) {
            menu.addSeparator();
            continue;
        }
        if (item->Count() > 0) {
            QMenu* sub = menu.addMenu(ToQString(item->Caption()));
            sub->setEnabled(item->Enabled());
            AddItems(*sub, *item, actions);
            continue;
        }
        QAction* action = menu.addAction(ToQString(item->Caption()));
        action->setEnabled(item->Enabled());
        if (item->Checked()) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        actions[action] = item;
    }
}

void SendClick(QWidget& target, QPoint local) {
    const QPoint global = target.mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(local), QPointF(global), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(&target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(local), QPointF(global), Qt::LeftButton, {}, {});
    QApplication::sendEvent(&target, &release);
}

class TQtPopupMenuDriver : public TPopupMenuDriver {
public:
    TQtPopupMenuDriver(TPopupMenu& menu, QMenu& shown, TPoint point) : menu_(menu), shown_(shown), point_(point) {}
    TPopupMenu& Menu() override { return menu_; }
    TPoint PopupPoint() const override { return point_; }
    TRect Bounds() const override { return FromQRect(shown_.geometry()); }
    std::vector<String> Captions() const override {
        std::vector<String> out;
        for (QAction* a : shown_.actions()) out.push_back(a->isSeparator() ? String(u"-") : FromQString(a->text()));
        return out;
    }
    void Choose(const String& Caption) override {
        for (QAction* a : shown_.actions())
            if (!a->isSeparator() && FromQString(a->text()) == Caption) {
                SendClick(shown_, shown_.actionGeometry(a).center());
                return;
            }
    }
    void PressAt(TPoint ScreenPos) override { SendClick(shown_, shown_.mapFromGlobal(QPoint(ScreenPos.X, ScreenPos.Y))); }
    void Cancel() override {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&shown_, &escape);
    }
    void GetImage(TBitmap& Bitmap) override {
        const QImage image = shown_.grab().toImage().convertToFormat(QImage::Format_RGB32);
        EndBitmapPainting(Bitmap);
        Bitmap.ImageData().image = image;
    }

private:
    TPopupMenu& menu_;
    QMenu& shown_;
    TPoint point_;
};

}  // namespace

void TPopupMenu::SetAutomation(std::function<void(TPopupMenuDriver&)> automation) {
    gMenuAutomation = std::move(automation);
}

void TPopupMenu::Popup(int X, int Y) {
    if (OnPopup) OnPopup(this);
    ReleaseCapture();
    if (!qApp) return;
    // Nobody can answer a menu off screen but an automation.
    if (PlatformIsOffscreen() && !gMenuAutomation) return;
    QMenu shown;
    TActionMap actions;
    AddItems(shown, *Items(), actions);
    if (shown.isEmpty()) return;
    const QSize size = shown.sizeHint();
    const TPoint point{X, Y};
    const TRect workArea = Screen->MonitorFromPoint(point)->WorkareaRect();
    const TRect place = PlacePopupMenu(point, alignment_, size.width(), size.height(), workArea);
    TPointerWatch pointer;
    if (gMenuAutomation) {
        QTimer::singleShot(0, &shown, [this, &shown, point] {
            TQtPopupMenuDriver driver(*this, shown, point);
            GuardEvent([&] { gMenuAutomation(driver); });
            if (shown.isVisible()) shown.close();
        });
    }
    QAction* chosen = shown.exec(QPoint(place.Left, place.Top));
    const auto it = actions.find(chosen);
    if (it == actions.end()) return;
    // The chosen item runs as a command sent by the menu: after the code
    // that popped the menu up has finished.
    TMenuItem* item = it->second;
    QTimer::singleShot(0, qApp, [item] {
        if (MenuItemExists(item)) GuardEvent([item] { item->Click(); });
    });
}

// ===========================================================================
// Popup panel

namespace {

// Closes a popup panel on a press outside it, when another window takes
// the keyboard focus, and when the application is deactivated.
class TPanelWatch : public TPointerWatch {
public:
    explicit TPanelWatch(TKvPopupPanel& panel) : panel_(panel) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        TPointerWatch::eventFilter(watched, event);
        if (!panel_.Popped()) return false;
        auto* widget = watched->isWidgetType() ? static_cast<QWidget*>(watched) : nullptr;
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                if (widget && IsOutside(widget, static_cast<QMouseEvent*>(event))) {
                    panel_.CloseFor(pcrPressOutside);
                    return true;
                }
                break;
            case QEvent::FocusIn:
                if (widget && !OnPopups(widget) && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
                    panel_.CloseFor(pcrFocusLost);
                break;
            case QEvent::ApplicationStateChange:
                if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() != Qt::ApplicationActive)
                    panel_.CloseFor(pcrDeactivated);
                break;
            case QEvent::ApplicationDeactivate:
                panel_.CloseFor(pcrDeactivated);
                break;
            default:
                break;
        }
        return false;
    }

private:
    // A press outside the panel and off any pop-up opened from it. While
    // the panel holds the mouse, the platform hands it presses anywhere on
    // the screen: where the press is tells, not which window gets it.
    bool IsOutside(QWidget* widget, const QMouseEvent* press) const {
        QWidget* window = widget->window();
        if (window != panel_.Widget() && window->windowType() == Qt::Popup) return false;
        return !panel_.Widget()->geometry().contains(press->globalPosition().toPoint());
    }

    // On the panel, or on a pop-up opened from it (a menu of one of its buttons).
    bool OnPopups(QWidget* widget) const {
        if (!widget) return false;
        QWidget* window = widget->window();
        return window == panel_.Widget() || window->windowType() == Qt::Popup;
    }

    TKvPopupPanel& panel_;
};

// The focus goes back to where it was before the panel opened, unless
// another window has become the active one meanwhile: that one keeps it.
void GiveFocusBack(QWidget* previous) {
    QWidget* active = QApplication::activeWindow();
    // Some platforms make the pop-up the active window while it shows.
    const bool popupWasActive = active && active->windowType() == Qt::Popup;
    if (active && active != previous->window() && !popupWasActive) return;
    previous->activateWindow();
    previous->setFocus(Qt::PopupFocusReason);
}

void MakePopupWindow(QWidget* widget, QWidget* parent) {
    widget->setParent(parent, Qt::Popup | Qt::FramelessWindowHint);
    // The press that closes the panel is not handed on to the window below.
    widget->setAttribute(Qt::WA_NoMouseReplay, true);
}

}  // namespace

TRect PopupPanelBounds(const TRect& Anchor, int Width, int Height, const TRect& WorkArea) {
    int left = Anchor.Right - Width;
    int top = Anchor.Bottom;
    if (left + Width > WorkArea.Right) left = WorkArea.Right - Width;
    if (top + Height > WorkArea.Bottom) top = Anchor.Top - Height;
    left = std::max(left, WorkArea.Left);
    top = std::max(top, WorkArea.Top);
    return Bounds(left, top, Width, Height);
}

void SimulateApplicationDeactivation() {
    if (!qApp) return;
    QApplicationStateChangeEvent event(Qt::ApplicationInactive);
    QCoreApplication::sendEvent(qApp, &event);
}

TKvPopupPanel::TKvPopupPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    MakeTopLevel();
    MakePopupWindow(Widget(), nullptr);
    SetAutoSize(true);
}

TKvPopupPanel::~TKvPopupPanel() = default;

void TKvPopupPanel::SetAutomation(std::function<void(TKvPopupPanel&)> automation) {
    gPanelAutomation = std::move(automation);
}

void TKvPopupPanel::SetParent(TWinControl* AParent) {
    TCustomControl::SetParent(AParent);
    // Joining a parent makes a window its child: the panel stays a pop-up.
    if (Widget()) MakePopupWindow(Widget(), Parent() ? Parent()->Widget() : nullptr);
}

void TKvPopupPanel::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_CLOSE:
            CloseFor(pcrPlatform);
            return;
        case CM_HITTEST:
            // A window of its own: never hit as a part of its parent.
            Message.Result = HTNOWHERE;
            return;
    }
    TCustomControl::WndProc(Message);
}

void TKvPopupPanel::Popup(TControl* Control) {
    if (FOpen || !Control || !qApp) return;
    ReleaseCapture();
    FCloseReason = pcrNone;
    if (PlatformIsOffscreen() && !gPanelAutomation) return;
    AdjustSize();
    const TPoint origin = Control->ClientToScreen({0, 0});
    const TRect anchor = Bounds(origin.X, origin.Y, Control->Width(), Control->Height());
    const TMonitor* monitor = Screen->MonitorFromPoint({anchor.Right - Width(), anchor.Bottom});
    const TRect place = PopupPanelBounds(anchor, Width(), Height(), monitor->WorkareaRect());
    SetBounds(place.Left, place.Top, place.Width(), place.Height());

    const QPointer<QWidget> previousFocus = QApplication::focusWidget();
    const QPointer<QWidget> window = Widget();
    TPanelWatch watch(*this);
    FOpen = true;
    window->show();
    if (gPanelAutomation) {
        QTimer::singleShot(0, window, [this] {
            GuardEvent([this] { gPanelAutomation(*this); });
            Close(this);
        });
    }
    QEventLoop loop;
    while (FOpen && window && window->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
    if (FOpen) CloseFor(pcrPlatform);
    if (previousFocus && FCloseReason != pcrDeactivated && QGuiApplication::applicationState() == Qt::ApplicationActive)
        GiveFocusBack(previousFocus);
}

void TKvPopupPanel::Close(TObject*) { CloseFor(pcrClose); }

void TKvPopupPanel::CloseFor(TPopupCloseReason Reason) {
    if (!FOpen) return;
    FOpen = false;
    FCloseReason = Reason;
    if (Widget()) Widget()->hide();
}
