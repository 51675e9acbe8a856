// Plain standard controls: a push button and a panel with a caption.
#pragma once

#include "Controls.h"

// A push button drawn with a raised face that sinks while pressed. No window
// of the viewer has one yet; it is kept, registered for layouts, for the
// toolbar's customization dialog.
class TButton : public TCustomControl {
public:
    LV_CLASS_NAME(TButton)
    explicit TButton(TComponent* AOwner);

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WndProc(TMessage& Message) override;

private:
    bool tracking_ = false;
    bool pressed_ = false;
};

class TPanel : public TCustomPanel {
public:
    LV_CLASS_NAME(TPanel)
    using TCustomPanel::TCustomPanel;
};
