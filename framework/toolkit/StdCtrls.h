// Plain standard controls: a push button and a panel with a caption.
#pragma once

#include "Forms.h"

// A push button drawn with a raised face that sinks while pressed. A click
// (mouse, Space or Enter while it has the focus) runs OnClick and hands its
// ModalResult to the form, which closes a form shown modally. In its form,
// Enter clicks the Default button and Escape the Cancel button.
class TButton : public TCustomControl {
public:
    LV_CLASS_NAME(TButton)
    explicit TButton(TComponent* AOwner);

    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult v) { modalResult_ = v; }
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    // Framed in the hot-light colour while the mouse is over it.
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool v);
    // The mouse is over the button.
    bool Hot() const { return hot_; }
    bool Pressed() const { return pressed_; }

    void Click() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool KeyDown(unsigned short& Key, TShiftState Shift) override;
    void WndProc(TMessage& Message) override;

private:
    void SetHot(bool v);

    bool tracking_ = false;
    bool pressed_ = false;
    bool hot_ = false;
    TModalResult modalResult_ = mrNone;
    bool default_ = false;
    bool cancel_ = false;
    bool hotTrack_ = false;
};

class TPanel : public TCustomPanel {
public:
    LV_CLASS_NAME(TPanel)
    using TCustomPanel::TCustomPanel;
};
