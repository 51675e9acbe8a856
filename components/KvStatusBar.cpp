#include "KvPanel.h"

#include "Forms.h"
#include "KvPanelClasses.h"
#include "ToolkitClasses.h"

// ===========================================================================
// Status bar
// ===========================================================================

TKvStatusBar::TKvStatusBar(TComponent* AOwner)
    : TKvCustomPanel(AOwner), FSizeGripCanvas(std::make_unique<TControlCanvas>(this)) {
    // The grip is drawn over the panes, on a canvas that paints with the bar.
    FSizeGripCanvas->BindToControl();
    SetAlign(alBottom);
    SetBorderInner(fsNone);
    SetBorderOuter(fsNone);
    SetBorderSides(sdAllSides);
    SetHeight(19);
    SetBorderWidth(0);
    FAutoStyle = true;
    FShowSizeGrip = true;
    FSimpleStatus = false;
    FSimpleFrameStyle = fsFlat;
    FSimpleCaption.clear();
    // Sizes set while constructing are not a resize of the bar: the first
    // real width is recorded afresh.
    FFirst = true;
    FDelta = 0;
    FLastWidth = 0;
}

TKvStatusBar::~TKvStatusBar() = default;

void TKvStatusBar::AdjustStyle() {
    const bool autoStyle = FAutoStyle;
    SetBorderInner(fsNone);
    SetBorderOuter(fsNone);
    SetBorderSides(sdAllSides);
    SetHeight(19);
    SetBorderWidth(0);
    FAutoStyle = autoStyle;
}

void TKvStatusBar::Loaded() {
    TKvCustomPanel::Loaded();
    if (FAutoStyle) AdjustStyle();
}

void TKvStatusBar::SetBorderInner(TFrameStyleEx Value) {
    if (Value == BorderInner()) return;
    TKvCustomPanel::SetBorderInner(Value);
    FAutoStyle = false;
}

void TKvStatusBar::SetBorderOuter(TFrameStyleEx Value) {
    if (Value == BorderOuter()) return;
    TKvCustomPanel::SetBorderOuter(Value);
    FAutoStyle = false;
}

void TKvStatusBar::SetBorderSides(TSides Value) {
    if (Value == BorderSides()) return;
    TKvCustomPanel::SetBorderSides(Value);
    FAutoStyle = false;
}

void TKvStatusBar::SetShowSizeGrip(bool Value) {
    if (Value == FShowSizeGrip) return;
    FShowSizeGrip = Value;
    ValidateSizeGrip();
    Invalidate();
}

void TKvStatusBar::SetSimpleCaption(const String& Value) {
    if (ChangeValue(FSimpleCaption, Value)) Invalidate();
}

void TKvStatusBar::SetSimpleFrameStyle(TFrameStyleEx Value) {
    if (ChangeValue(FSimpleFrameStyle, TFrameStyle(Value))) Invalidate();
}

void TKvStatusBar::SetSimpleStatus(bool Value) {
    if (Value == FSimpleStatus) return;
    FSimpleStatus = Value;
    TAlignBracket bracket(*this);
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetVisible(!Value);
    bracket.End();
    Invalidate();
}

void TKvStatusBar::CreateWnd() {
    ValidateSizeGrip();
    TKvCustomPanel::CreateWnd();
}

TRect TKvStatusBar::SizeGripRect() const { return Rect(Width() - 13, 0, Width(), Height()); }

bool TKvStatusBar::ValidateSizeGrip() {
    const TCustomForm* form = GetParentForm(this);
    FSizeGripValid = form && (form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin) &&
                     form->WindowState() != wsMaximized;
    return FSizeGripValid;
}

bool TKvStatusBar::ThemedLook() const { return VisualStyle() == vsWinXP && ThemeServices().ThemesEnabled(); }

TRect TKvStatusBar::GetClientRect() const {
    TRect r = TKvCustomPanel::GetClientRect();
    if (ThemeServices().ThemesAvailable()) {
        if (FSimpleStatus) {
            r.Left += 1;
            r.Top += 1;
            r.Right -= 1;
        }
    } else {
        r.Bottom += 1;
        if (FSimpleStatus) {
            r.Top = 2;
        } else {
            r.Top = 1;
            r.Left -= 1;
            r.Right += 1;
        }
    }
    return r;
}

void TKvStatusBar::GetGradientColors(TColor& StartColor, TColor& StopColor) const {
    if (GradientColorStyle() != gcsCustom) {
        TColor divider;
        GetGradientStatusBarColors(GradientColorStyle(), StartColor, StopColor, divider);
    } else {
        StartColor = GradientColorStop();
        StopColor = GradientColorStart();
    }
}

void TKvStatusBar::Paint() {
    TCanvas& canvas = Canvas();
    if (ThemedLook()) {
        const auto root = ThemeServices().GetElementDetails(tsStatusRoot);
        ThemeServices().DrawElement(canvas.Handle(), root, Rect(0, 0, Width(), Height()));
        if (FSimpleStatus && !FSimpleCaption.empty())
            ThemeServices().DrawText(canvas.Handle(), root, FSimpleCaption, ClientRect(),
                                     DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
        return;
    }
    TKvCustomPanel::Paint();
    TRect r = ClientRect();
    r.Bottom -= 1;
    if (!FSimpleStatus) return;
    DrawSimpleStatusBorder(r);
    r = InflateRect(r, -1, -1);
    if (FSimpleCaption.empty()) return;
    canvas.Font().Assign(Font());
    canvas.Brush().SetStyle(bsClear);
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
    const int x = r.Left + 2;
    const int h = canvas.TextHeight(u"Pp");
    const int y = r.Top + (r.Bottom - r.Top - h) / 2;
    canvas.TextRect(r, x, y, FSimpleCaption);
    canvas.Brush().SetStyle(bsSolid);
}

void TKvStatusBar::DrawSimpleStatusBorder(TRect R) {
    if (VisualStyle() != vsClassic) return;
    TCanvas& canvas = Canvas();
    canvas.Pen().SetWidth(1);
    if (FSimpleFrameStyle != fsFlat) {
        DrawBorder(canvas, R, FSimpleFrameStyle);
        return;
    }
    DrawSoftFlatFrame(canvas, R, AdjustColor(FlatColor(), FlatColorAdjustment()));
}

void TKvStatusBar::PaintSizeGrip(TRect R) {
    TCanvas& canvas = *FSizeGripCanvas;
    if (ThemedLook()) {
        ThemeServices().DrawElement(canvas.Handle(), ThemeServices().GetElementDetails(tsGripper),
                                    Rect(R.Right - 20, R.Top, R.Right, R.Bottom));
        return;
    }
    TColor a = clBtnHighlight, b = clBtnShadow;
    if (VisualStyle() == vsGradient) {
        TColor start;
        GetGradientStatusBarColors(GradientColorStyle(), start, a, b);
    }
    // A staircase of 3, 2 and 1 dots, each in B with an A edge right and below.
    const auto dots = [&canvas](TColor color, int x, int y) {
        canvas.Pen().SetColor(color);
        canvas.Brush().SetColor(color);
        const TPoint corners[] = {{x - 4, y - 12}, {x - 4, y - 8}, {x - 4, y - 4},
                                  {x - 8, y - 8},  {x - 8, y - 4}, {x - 12, y - 4}};
        for (const TPoint& p : corners) canvas.Rectangle(p.X, p.Y, p.X + 2, p.Y + 2);
    };
    dots(a, R.Right - 1, R.Bottom);
    dots(b, R.Right - 2, R.Bottom - 1);
}

bool TKvStatusBar::OverSizeGrip(TPoint P) const {
    return FShowSizeGrip && FSizeGripValid && SizeGripRect().Contains(P);
}

void TKvStatusBar::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_PAINT: {
            TKvCustomPanel::WndProc(Message);
            // After the bar and its panes: the grip lies over them.
            TRect r = ClientRect();
            r.Bottom -= 1;
            ValidateSizeGrip();
            if (FShowSizeGrip && FSizeGripValid) PaintSizeGrip(r);
            return;
        }
        case WM_SETCURSOR:
            if (OverSizeGrip({LParamX(Message.LParam), LParamY(Message.LParam)})) {
                SetWindowCursor(crSizeNWSE);
                Message.Result = 1;
                return;
            }
            break;
        case WM_NCHITTEST: {
            const TPoint p = ScreenToClient({LParamX(Message.LParam), LParamY(Message.LParam)});
            if (OverSizeGrip(p)) {
                Message.Result = HTBOTTOMRIGHT;
                return;
            }
            break;
        }
        case WM_LBUTTONDOWN:
            if (OverSizeGrip({LParamX(Message.LParam), LParamY(Message.LParam)})) {
                // The window's own interactive resize takes the press over.
                SetCaptureControl(nullptr);
                if (TCustomForm* form = GetParentForm(this))
                    form->Perform(WM_SYSCOMMAND, SC_SIZE + WMSZ_BOTTOMRIGHT, 0);
                return;
            }
            break;
    }
    TKvCustomPanel::WndProc(Message);
}

void TKvStatusBar::Resize() {
    TKvCustomPanel::Resize();
    const int w = Width();
    if (w < 50) return;
    if (FFirst) {
        FDelta = 0;
        FLastWidth = w;
        FFirst = false;
    } else {
        FDelta = w - FLastWidth;
    }
    if (FAutoScalePanes && ControlCount() > 0 && FDelta != 0) RescalePanes();
    FLastWidth = Width();
}

void TKvStatusBar::RescalePanes() {
    TAlignBracket bracket(*this);
    const int count = ControlCount();
    for (int i = 0; i < count; ++i) {
        TControl* child = Controls(i);
        const float ratio = FLastWidth > 0 ? static_cast<float>(child->Width()) / static_cast<float>(FLastWidth)
                                           : 1.0f / static_cast<float>(count);
        const int grow = RoundEven(static_cast<double>(FDelta) * ratio);
        child->SetWidth(child->Width() + grow);
    }
    bracket.End();
}

// ===========================================================================
// Registration
// ===========================================================================

namespace {

void RegisterStatusBars() {
    TClassBuilder<TKvStatusBar>(u"TKvStatusBar", u"TKvCustomPanel")
        .Enumeration<TAlign>(u"Align", kAlignType, &TKvStatusBar::Align, &TKvStatusBar::SetAlign, alBottom)
        .Enumeration<TFrameStyleEx>(u"BorderOuter", kFrameStyleExType, &TKvStatusBar::BorderOuter,
                                    &TKvStatusBar::SetBorderOuter, fsNone)
        .Boolean(u"AutoScalePanes", &TKvStatusBar::AutoScalePanes, &TKvStatusBar::SetAutoScalePanes, false)
        .Boolean(u"AutoStyle", &TKvStatusBar::AutoStyle, &TKvStatusBar::SetAutoStyle, true)
        .Boolean(u"ShowSizeGrip", &TKvStatusBar::ShowSizeGrip, &TKvStatusBar::SetShowSizeGrip, true)
        .Str(u"SimpleCaption", &TKvStatusBar::SimpleCaption, &TKvStatusBar::SetSimpleCaption, String())
        .Enumeration<TFrameStyleEx>(u"SimpleFrameStyle", kFrameStyleType, &TKvStatusBar::SimpleFrameStyle,
                                    &TKvStatusBar::SetSimpleFrameStyle, fsFlat)
        .Boolean(u"SimpleStatus", &TKvStatusBar::SimpleStatus, &TKvStatusBar::SetSimpleStatus, false);
}

}  // namespace

void RegisterKvStatusBarClasses() {
    RegisterClassesOnce(RegisterStatusBars);
}
