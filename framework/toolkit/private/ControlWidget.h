// Private to the toolkit: the Qt window behind a windowed control. It turns
// Qt's events into the control's messages and entry points and paints
// through the control. Also the controls' helpers that the window needs.
#pragma once

#include <QWidget>

#include "Controls.h"

class TControlWidget : public QWidget {
public:
    explicit TControlWidget(TWinControl* control);
    ~TControlWidget() override;

    TWinControl* Control() const { return control_; }
    void Detach() { control_ = nullptr; }

    // Set on the top-level window when something in it waits to be painted.
    bool pendingPaint = false;
    // While true, geometry changes come from the control and are not echoed back.
    bool applyingGeometry = false;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    TWinControl* control_;
};

// The controls' helpers for their windows (defined with the controls, in
// Controls.cpp).
// Paints a windowed control onto a painter with its top-left corner at
// `origin`: background (when erase is set), own painting and windowless
// children; without erase only the client painting (print-client).
void PaintWindowOnto(TWinControl* control, QPainter* painter, QSize size, QPoint origin, bool clipped, QRect clip,
                     const TRect& updateRect, bool erase);
// Changes the control under the pointer, telling the old and the new one.
void SetMouseControl(TControl* control);
void SetCursorPos(TPoint screenPos);

// Marks the window of a widget as having paints waiting.
void NotePendingPaint(QWidget* widget);

// Qt key to toolkit key code and back; Qt's modifiers and held buttons as a
// shift state.
unsigned short QtKeyToVirtualKey(int qtKey);
int VirtualKeyToQtKey(unsigned short key);
TShiftState ShiftFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
