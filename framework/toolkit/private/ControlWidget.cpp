#include "ControlWidget.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QPointingDevice>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <utility>

#include "QtBridge.h"

namespace {

struct KeyPair {
    int qt;
    unsigned short vk;
};

constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT}, {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU}, {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE}, {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME}, {Qt::Key_Left, VK_LEFT}, {Qt::Key_Up, VK_UP}, {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN}, {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Delete, VK_DELETE}, {Qt::Key_F3, VK_F3},
    {Qt::Key_F4, VK_F4}, {Qt::Key_F5, VK_F5},
};

// Qt's modifiers and buttons and the shift-state flags they stand for, for
// the conversions both ways.
constexpr std::pair<Qt::KeyboardModifier, TShiftStateFlag> kModifierFlags[] = {
    {Qt::ShiftModifier, ssShift}, {Qt::ControlModifier, ssCtrl}, {Qt::AltModifier, ssAlt}};
constexpr std::pair<Qt::MouseButton, TShiftStateFlag> kButtonFlags[] = {
    {Qt::LeftButton, ssLeft}, {Qt::RightButton, ssRight}, {Qt::MiddleButton, ssMiddle}};

unsigned DownMessage(Qt::MouseButton b) {
    return b == Qt::RightButton ? WM_RBUTTONDOWN : b == Qt::MiddleButton ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
}
unsigned UpMessage(Qt::MouseButton b) {
    return b == Qt::RightButton ? WM_RBUTTONUP : b == Qt::MiddleButton ? WM_MBUTTONUP : WM_LBUTTONUP;
}
unsigned DoubleMessage(Qt::MouseButton b) {
    return b == Qt::RightButton ? WM_RBUTTONDBLCLK : b == Qt::MiddleButton ? WM_MBUTTONDBLCLK : WM_LBUTTONDBLCLK;
}

// The mouse-key flags (MK_*) that a mouse message carries for the buttons
// and modifiers of a Qt event.
std::intptr_t MouseKeys(const QMouseEvent* event) {
    constexpr std::pair<TShiftStateFlag, unsigned> kMouseKeyFlags[] = {
        {ssLeft, MK_LBUTTON}, {ssRight, MK_RBUTTON}, {ssMiddle, MK_MBUTTON},
        {ssShift, MK_SHIFT},  {ssCtrl, MK_CONTROL},  {ssAlt, MK_ALT},
    };
    const TShiftState shift = ShiftFromQt(event->modifiers(), event->buttons());
    std::intptr_t keys = 0;
    for (const auto& [flag, key] : kMouseKeyFlags)
        if (shift.Contains(flag)) keys |= key;
    if (event->pointerType() == QPointingDevice::PointerType::Pen) keys |= MK_PEN;
    return keys;
}

TPoint ToPoint(const QPointF& p) { return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))}; }

// The control a mouse message of this window goes to: the control holding
// the capture, else the enabled windowless child under the point, else the
// window itself.
TControl* MouseTarget(TWinControl* window, TPoint p) {
    if (TControl* capture = GetCaptureControl()) return capture;
    TControl* child = window->ControlAtPos(p, false);
    return child ? child : window;
}

void SendMouse(TWinControl* window, unsigned msg, TPoint p, std::intptr_t keys) {
    TControl* target = MouseTarget(window, p);
    TPoint local = p;
    if (target != window) local = target->ScreenToClient(window->ClientToScreen(p));
    target->Perform(msg, keys, PointToLParam(local.X, local.Y));
}

// Follows the pointer: the control under it gets enter/leave messages and
// the window shows that control's cursor.
void TrackPointer(TWinControl* window, TPoint p) {
    SetCursorPos(window->ClientToScreen(p));
    TControl* under = nullptr;
    if (Rect(0, 0, window->Width(), window->Height()).Contains(p)) {
        under = window->ControlAtPos(p, true);
        if (!under) under = window;
    }
    SetMouseControl(under);
    if (under) window->Perform(WM_SETCURSOR, reinterpret_cast<std::intptr_t>(under), PointToLParam(p.X, p.Y));
}

}  // namespace

unsigned short QtKeyToVirtualKey(int qtKey) {
    for (const auto& k : kKeys)
        if (k.qt == qtKey) return k.vk;
    // Digits and letters carry the same codes in both sets. Every other
    // printable key (punctuation) has no key code here: Qt's codes 0x21 to
    // 0x2F are those of the navigation keys, so it reaches the control only
    // as the character it types.
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return static_cast<unsigned short>(qtKey);
    return 0;
}

int VirtualKeyToQtKey(unsigned short key) {
    for (const auto& k : kKeys)
        if (k.vk == key) return k.qt;
    return key;
}

TShiftState ShiftFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    TShiftState s;
    for (const auto& [modifier, flag] : kModifierFlags)
        if (mods & modifier) s.Include(flag);
    for (const auto& [button, flag] : kButtonFlags)
        if (buttons & button) s.Include(flag);
    return s;
}

TControlWidget::TControlWidget(TWinControl* control) : control_(control) {
    setAttribute(Qt::WA_NoSystemBackground, true);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

TControlWidget::~TControlWidget() = default;

void TControlWidget::paintEvent(QPaintEvent* event) {
    if (!control_) return;
    if (isWindow()) pendingPaint = false;
    QPainter painter(this);
    const TRect update = FromQRect(event->rect());
    GuardEvent([&] { PaintWindowOnto(control_, &painter, size(), QPoint(0, 0), false, QRect(), update, true); });
}

void TControlWidget::mousePressEvent(QMouseEvent* event) {
    if (!control_) return;
    const TPoint p = ToPoint(event->position());
    GuardEvent([&] {
        TrackPointer(control_, p);
        SendMouse(control_, DownMessage(event->button()), p, MouseKeys(event));
    });
}

void TControlWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!control_) return;
    const TPoint p = ToPoint(event->position());
    GuardEvent([&] {
        SendMouse(control_, UpMessage(event->button()), p, MouseKeys(event));
        if (control_) TrackPointer(control_, p);
    });
}

void TControlWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!control_) return;
    const TPoint p = ToPoint(event->position());
    GuardEvent([&] {
        SendMouse(control_, DoubleMessage(event->button()), p, MouseKeys(event));
    });
}

void TControlWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!control_) return;
    const TPoint p = ToPoint(event->position());
    GuardEvent([&] {
        TrackPointer(control_, p);
        SendMouse(control_, WM_MOUSEMOVE, p, MouseKeys(event));
    });
}

void TControlWidget::wheelEvent(QWheelEvent* event) {
    if (!control_) return;
    const TPoint p = ToPoint(event->position());
    std::intptr_t handled = 0;
    GuardEvent([&] {
        TControl* target = control_->ControlAtPos(p, false);
        if (!target) target = control_;
        handled = target->Perform(WM_MOUSEWHEEL, event->angleDelta().y(), PointToLParam(p.X, p.Y));
    });
    if (handled) event->accept();
    else event->ignore();
}

void TControlWidget::leaveEvent(QEvent*) {
    if (!control_) return;
    GuardEvent([&] {
        TControl* current = MouseControl();
        if (current && (current == control_ || current->Parent() == control_) && !GetCaptureControl())
            SetMouseControl(nullptr);
    });
}

void TControlWidget::keyPressEvent(QKeyEvent* event) {
    if (!control_) return;
    bool handled = false;
    GuardEvent([&] {
        unsigned short key = QtKeyToVirtualKey(event->key());
        const TShiftState shift = ShiftFromQt(event->modifiers(), {});
        if (key && control_->KeyDown(key, shift)) {
            handled = true;
            return;
        }
        const QString text = event->text();
        if (text.isEmpty()) return;
        char16_t ch = text.at(0).unicode();
        if (!shift.Contains(ssCtrl) && !shift.Contains(ssAlt) && control_->KeyPress(ch)) {
            handled = true;
            return;
        }
        // Accelerators: the whole window is asked whether the character is one.
        TWinControl* top = control_;
        while (top->Parent()) top = top->Parent();
        if (top->Perform(CM_DIALOGCHAR, ch) != 0) handled = true;
    });
    if (!handled) QWidget::keyPressEvent(event);
}

void TControlWidget::focusInEvent(QFocusEvent*) {
    if (!control_) return;
    GuardEvent([&] {
        control_->Perform(WM_SETFOCUS);
        control_->DoEnter();
    });
}

void TControlWidget::focusOutEvent(QFocusEvent*) {
    if (!control_) return;
    GuardEvent([&] {
        control_->Perform(WM_KILLFOCUS);
        control_->DoExit();
    });
}

void TControlWidget::resizeEvent(QResizeEvent*) {
    if (!control_ || applyingGeometry || !isWindow()) return;
    GuardEvent([&] { control_->WindowResized(width(), height()); });
}

void TControlWidget::moveEvent(QMoveEvent*) {
    if (!control_ || applyingGeometry || !isWindow()) return;
    GuardEvent([&] { control_->WindowMoved(x(), y()); });
}

void TControlWidget::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (!control_) return;
    TWinControl* control = control_;
    GuardEvent([&] { control->Perform(WM_CLOSE); });
}

void TControlWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (!control_ || event->type() != QEvent::WindowStateChange) return;
    const int kind = isMaximized() ? 2 : isMinimized() ? 1 : 0;
    GuardEvent([&] { control_->Perform(WM_SIZE, kind, PointToLParam(width(), height())); });
}

bool TControlWidget::event(QEvent* event) {
    if (control_ && event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const TPoint p = ToPoint(help->pos());
        TControl* c = control_->ControlAtPos(p, true);
        if (!c) c = control_;
        const String hint = GetShortHint(c->Hint());
        if (c->ShowHint() && !hint.empty()) {
            QRect area = c == control_ ? rect() : ToQRect(c->BoundsRect());
            QToolTip::showText(help->globalPos(), ToQString(hint), this, area);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
}

// ---------------------------------------------------------------------------
// Simulated input: the event goes to the deepest window under the point (or
// to the window holding the capture), exactly as a real event would.

namespace {

QWidget* InputTarget(TWinControl* window, QPoint& p) {
    QWidget* w = window->Widget();
    if (TControl* capture = GetCaptureControl()) {
        auto* win = dynamic_cast<TWinControl*>(capture);
        if (!win) win = capture->Parent();
        if (win && win->Widget()) {
            const QPoint global = w->mapToGlobal(p);
            p = win->Widget()->mapFromGlobal(global);
            return win->Widget();
        }
    }
    if (QWidget* child = w->childAt(p)) {
        p = child->mapFrom(w, p);
        return child;
    }
    return w;
}

Qt::MouseButton QtButton(TMouseButton b) {
    return b == mbRight ? Qt::RightButton : b == mbMiddle ? Qt::MiddleButton : Qt::LeftButton;
}

Qt::KeyboardModifiers QtModifiers(TShiftState s) {
    Qt::KeyboardModifiers m;
    for (const auto& [modifier, flag] : kModifierFlags)
        if (s.Contains(flag)) m |= modifier;
    return m;
}

Qt::MouseButtons HeldButtons(TShiftState s) {
    Qt::MouseButtons b;
    for (const auto& [button, flag] : kButtonFlags)
        if (s.Contains(flag)) b |= button;
    return b;
}

// The device of simulated presses with ssPen: a stylus, which the
// application frees when it ends.
const QPointingDevice* SimulatedPen() {
    static QPointer<QPointingDevice> pen;
    if (!pen)
        pen = new QPointingDevice(QStringLiteral("simulated pen"), 1, QInputDevice::DeviceType::Stylus,
                                  QPointingDevice::PointerType::Pen, QInputDevice::Capability::Position, 1, 3,
                                  QString(), QPointingDeviceUniqueId(), qApp);
    return pen;
}

void SendMouseEvent(TWinControl* window, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, int x, int y,
                    Qt::KeyboardModifiers mods, bool pen = false) {
    if (!window || !window->Widget()) return;
    QPoint p(x, y);
    const QPoint global = window->Widget()->mapToGlobal(p);
    QWidget* target = InputTarget(window, p);
    const QPointingDevice* device = pen ? SimulatedPen() : QPointingDevice::primaryPointingDevice();
    QMouseEvent event(type, QPointF(p), QPointF(global), button, held, mods, device);
    QApplication::sendEvent(target, &event);
}

}  // namespace

void SimulateMouseMove(TWinControl* Window, int X, int Y, TShiftState Shift) {
    SendMouseEvent(Window, QEvent::MouseMove, Qt::NoButton, HeldButtons(Shift), X, Y, QtModifiers(Shift));
}

void SimulateMouseDown(TWinControl* Window, TMouseButton Button, int X, int Y, TShiftState Shift) {
    const Qt::MouseButton b = QtButton(Button);
    SendMouseEvent(Window, QEvent::MouseButtonPress, b, HeldButtons(Shift) | b, X, Y, QtModifiers(Shift),
                   Shift.Contains(ssPen));
}

void SimulateMouseUp(TWinControl* Window, TMouseButton Button, int X, int Y, TShiftState Shift) {
    SendMouseEvent(Window, QEvent::MouseButtonRelease, QtButton(Button), HeldButtons(Shift), X, Y, QtModifiers(Shift),
                   Shift.Contains(ssPen));
}

void SimulateDoubleClick(TWinControl* Window, TMouseButton Button, int X, int Y) {
    const Qt::MouseButton b = QtButton(Button);
    SendMouseEvent(Window, QEvent::MouseButtonPress, b, b, X, Y, {});
    SendMouseEvent(Window, QEvent::MouseButtonRelease, b, {}, X, Y, {});
    SendMouseEvent(Window, QEvent::MouseButtonDblClick, b, b, X, Y, {});
    SendMouseEvent(Window, QEvent::MouseButtonRelease, b, {}, X, Y, {});
}

void SimulateKey(TWinControl* Window, unsigned short Key, TShiftState Shift, char16_t Char) {
    if (!Window || !Window->Widget()) return;
    const QString text = Char ? QString(QChar(Char)) : QString();
    QKeyEvent press(QEvent::KeyPress, VirtualKeyToQtKey(Key), QtModifiers(Shift), text);
    QApplication::sendEvent(Window->Widget(), &press);
    QKeyEvent release(QEvent::KeyRelease, VirtualKeyToQtKey(Key), QtModifiers(Shift), text);
    QApplication::sendEvent(Window->Widget(), &release);
}

void SimulateWindowMove(TWinControl* Window, int X, int Y) {
    if (!Window || !Window->Widget() || !Window->Widget()->isWindow()) return;
    Window->Widget()->move(X, Y);
    QCoreApplication::sendPostedEvents();
}

void SimulateMouseWheel(TWinControl* Window, int X, int Y, int Delta) {
    if (!Window || !Window->Widget()) return;
    QPoint p(X, Y);
    const QPoint global = Window->Widget()->mapToGlobal(p);
    QWidget* target = InputTarget(Window, p);
    QWheelEvent event(QPointF(p), QPointF(global), QPoint(), QPoint(0, Delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}
