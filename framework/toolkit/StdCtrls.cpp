#include "StdCtrls.h"

TButton::TButton(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks});
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TButton::Paint() {
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush().SetColor(clBtnFace);
    c.FillRect(r);
    const TColor ul = pressed_ ? cl3DDkShadow : clBtnHighlight;
    const TColor lr = pressed_ ? clBtnHighlight : cl3DDkShadow;
    c.Pen().SetColor(ul);
    c.MoveTo(r.Left, r.Bottom - 1);
    c.LineTo(r.Left, r.Top);
    c.LineTo(r.Right, r.Top);
    c.Pen().SetColor(lr);
    c.MoveTo(r.Right - 1, r.Top);
    c.LineTo(r.Right - 1, r.Bottom - 1);
    c.LineTo(r.Left - 1, r.Bottom - 1);
    c.Font().Assign(Font());
    if (!Enabled()) c.Font().SetColor(clGrayText);
    c.Brush().SetStyle(bsClear);
    TRect text = pressed_ ? OffsetRect(r, 1, 1) : r;
    c.DrawText(Caption(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    c.Brush().SetStyle(bsSolid);
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && Enabled()) {
        tracking_ = true;
        pressed_ = true;
        Invalidate();
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TButton::MouseMove(TShiftState Shift, int X, int Y) {
    if (tracking_) {
        const bool inside = ClientRect().Contains({X, Y});
        if (inside != pressed_) {
            pressed_ = inside;
            Invalidate();
        }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && tracking_) {
        tracking_ = false;
        pressed_ = false;
        Invalidate();
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TButton::WndProc(TMessage& Message) {
    if (Message.Msg == CM_TEXTCHANGED || Message.Msg == CM_ENABLEDCHANGED) Invalidate();
    TCustomControl::WndProc(Message);
}
