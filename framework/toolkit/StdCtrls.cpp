#include "StdCtrls.h"

TButton::TButton(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks});
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TButton::SetDefault(bool v) {
    if (v == default_) return;
    default_ = v;
    Invalidate();
}

void TButton::SetHotTrack(bool v) {
    if (v == hotTrack_) return;
    hotTrack_ = v;
    Invalidate();
}

void TButton::SetHot(bool v) {
    if (v == hot_) return;
    hot_ = v;
    if (hotTrack_) Invalidate();
}

void TButton::Click() {
    if (modalResult_ != mrNone)
        if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
    TCustomControl::Click();
}

void TButton::Paint() {
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush().SetColor(Color());
    c.FillRect(r);
    // The button that Enter clicks, and the focused one, wear a dark outline.
    if (default_ || Focused()) {
        c.Brush().SetColor(clWindowFrame);
        c.FrameRect(r);
        r = InflateRect(r, -1, -1);
    }
    if (pressed_) {
        c.Brush().SetColor(clBtnShadow);
        c.FrameRect(r);
    } else {
        // Raised: a light outer edge, and a dark one with a shadow inside it.
        const TRect inner = Frame3D(c, r, clBtnHighlight, cl3DDkShadow);
        Frame3D(c, inner, Color(), clBtnShadow);
    }
    if (hotTrack_ && hot_ && Enabled() && !pressed_) {
        c.Brush().SetColor(clHotLight);
        c.FrameRect(InflateRect(r, -1, -1));
    }
    c.Font().Assign(Font());
    if (!Enabled()) c.Font().SetColor(clGrayText);
    c.Brush().SetStyle(bsClear);
    TRect text = pressed_ ? OffsetRect(r, 1, 1) : r;
    c.DrawText(Caption(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (Focused()) {
        c.Pen().SetStyle(psDot);
        c.Pen().SetColor(clWindowText);
        c.Rectangle(InflateRect(r, -3, -3));
        c.Pen().SetStyle(psSolid);
    }
    c.Brush().SetStyle(bsSolid);
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && Enabled()) {
        if (TabStop() && CanFocus()) SetFocus();
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

bool TButton::KeyDown(unsigned short& Key, TShiftState Shift) {
    if (TCustomControl::KeyDown(Key, Shift)) return true;
    if ((Key != VK_SPACE && Key != VK_RETURN) || !Shift.Empty() || !Enabled()) return false;
    Click();
    return true;
}

void TButton::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case CM_TEXTCHANGED:
        case CM_ENABLEDCHANGED:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Invalidate();
            break;
        case CM_MOUSEENTER:
        case CM_MOUSELEAVE:
            if (Message.LParam == 0 || Message.LParam == reinterpret_cast<std::intptr_t>(this))
                SetHot(Message.Msg == CM_MOUSEENTER);
            break;
        case CM_DIALOGKEY: {
            const bool mine = (Message.WParam == VK_RETURN && default_) || (Message.WParam == VK_ESCAPE && cancel_);
            if (mine && Showing() && Enabled()) {
                Click();
                Message.Result = 1;
            }
            return;
        }
    }
    TCustomControl::WndProc(Message);
}
