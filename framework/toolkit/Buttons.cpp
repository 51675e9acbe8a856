#include "Buttons.h"

#include <algorithm>

#include "ToolkitClasses.h"

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), glyph_(std::make_unique<TBitmap>()) {
    // The button clicks on a release inside it, which the control tree does.
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks});
    SetBounds(0, 0, 23, 22);
    SetParentColor(true);
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() { glyph_->OnChange = nullptr; }

void TSpeedButton::SetGlyph(const TBitmap& Value) { glyph_->Assign(Value); }

void TSpeedButton::SetNumGlyphs(int Value) {
    Value = std::clamp(Value, 1, 4);
    if (Value == numGlyphs_) return;
    numGlyphs_ = Value;
    Invalidate();
}

void TSpeedButton::SetFlat(bool Value) {
    if (Value == flat_) return;
    flat_ = Value;
    Invalidate();
}

void TSpeedButton::SetDown(bool Value) {
    if (Value == down_) return;
    down_ = Value;
    Invalidate();
}

TSpeedButton::TLook TSpeedButton::Look() const {
    if (!Enabled()) return lkDisabled;
    if (pressed_) return lkPressed;
    return down_ ? lkDown : lkUp;
}

int TSpeedButton::FrameOf(TLook Look) const {
    switch (Look) {
        case lkDisabled: return numGlyphs_ > 1 ? 1 : 0;
        case lkPressed: return numGlyphs_ > 2 ? 2 : 0;
        case lkDown: return numGlyphs_ > 3 ? 3 : numGlyphs_ > 2 ? 2 : 0;
        default: return 0;
    }
}

void TSpeedButton::GetFrame(int Index, TBitmap& Frame) const {
    const int w = glyph_->Width() / numGlyphs_, h = glyph_->Height();
    Frame.SetSize(w, h);
    if (w <= 0 || h <= 0) return;
    Frame.Canvas().CopyRect(Rect(0, 0, w, h), glyph_->Canvas(), Bounds(Index * w, 0, w, h));
    Frame.SetTransparent(true);
    Frame.SetTransparentColor(glyph_->Canvas().Pixel(0, h - 1));
}

void TSpeedButton::Paint() {
    TCanvas& c = Canvas();
    const TRect r = ClientRect();
    const TLook look = Look();
    const bool sunk = look == lkPressed || look == lkDown;
    if (!flat_ || hot_ || sunk) Frame3D(c, r, sunk ? clBtnShadow : clBtnHighlight, sunk ? clBtnHighlight : clBtnShadow);
    const int shift = sunk ? 1 : 0;
    TBitmap frame;
    GetFrame(FrameOf(look), frame);
    c.Font().Assign(Font());
    if (!Enabled()) c.Font().SetColor(clGrayText);
    const int textWidth = Caption().empty() ? 0 : c.TextWidth(Caption());
    const int gap = frame.Width() > 0 && textWidth > 0 ? 4 : 0;
    int x = (r.Width() - frame.Width() - gap - textWidth) / 2 + shift;
    if (!frame.Empty()) {
        c.Draw(x, (r.Height() - frame.Height()) / 2 + shift, frame);
        x += frame.Width() + gap;
    }
    if (textWidth > 0) {
        c.Brush().SetStyle(bsClear);
        c.TextOut(x, (r.Height() - c.TextHeight(Caption())) / 2 + shift, Caption());
        c.Brush().SetStyle(bsSolid);
    }
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && Enabled()) {
        pressed_ = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
    if (MouseCapture()) {
        const bool inside = ClientRect().Contains({X, Y});
        if (inside != pressed_) {
            pressed_ = inside;
            Invalidate();
        }
    }
    TGraphicControl::MouseMove(Shift, X, Y);
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && pressed_) {
        pressed_ = false;
        Invalidate();
    }
    TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TSpeedButton::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case CM_MOUSEENTER:
        case CM_MOUSELEAVE:
            if (Message.LParam == 0 || Message.LParam == reinterpret_cast<std::intptr_t>(this)) {
                hot_ = Message.Msg == CM_MOUSEENTER;
                if (flat_) Invalidate();
            }
            break;
        case CM_TEXTCHANGED:
            Invalidate();
            break;
    }
    TGraphicControl::WndProc(Message);
}

void RegisterButtonsClasses() {
    RegisterToolkitClasses();
    RegisterClassesOnce([] {
        TClassBuilder<TSpeedButton>(u"TSpeedButton", u"TGraphicControl")
            .Boolean(u"Down", &TSpeedButton::Down, &TSpeedButton::SetDown, false)
            .Boolean(u"Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, false)
            .Custom(BitmapProperty(
                u"Glyph", [](TPersistent* o) -> const TBitmap& { return static_cast<TSpeedButton*>(o)->Glyph(); },
                [](TPersistent* o, const TBitmap& v) { static_cast<TSpeedButton*>(o)->SetGlyph(v); }))
            .Integer(u"NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs, 1)
            .Boolean(u"ParentColor", &TSpeedButton::ParentColor, &TSpeedButton::SetParentColor, true);
    });
}
