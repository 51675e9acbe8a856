#include "KvStatus.h"

#include <algorithm>

#include "KvPanel.h"
#include "ToolkitClasses.h"

// ===========================================================================
// Status panes
// ===========================================================================

namespace {

// Pixels a pane's frame takes from each side of the caption area.
int FrameAllowance(TFrameStyle style) {
    switch (style) {
        case fsNone: return 0;
        case fsFlat:
        case fsStatus:
        case fsPopup: return 1;
        default: return 2;
    }
}

}  // namespace

TKvCustomStatusPane::TKvCustomStatusPane(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(Left(), Top(), 100, 20);
    SetParentColor(true);
    FFillColor = Color();
    TControlStyle style = ControlStyle();
    style.Exclude(csOpaque);
    SetControlStyle(style);
    AddBlinkingControl(this);
}

TKvCustomStatusPane::~TKvCustomStatusPane() = default;

void TKvCustomStatusPane::BeforeDestruction() {
    if (FFrameController) {
        FFrameController->UnregisterControl(this);
        FFrameController = nullptr;
    }
    RemoveBlinkingControl(this);
    TGraphicControl::BeforeDestruction();
}

// --- property writers --------------------------------------------------------

void TKvCustomStatusPane::SetAlignment(TAlignment Value) {
    if (ChangeValue(FAlignment, Value)) Invalidate();
}

void TKvCustomStatusPane::SetBlinkColor(TColor Value) {
    if (ChangeValue(FBlinkColor, Value)) Invalidate();
}

void TKvCustomStatusPane::SetBorderWidth(int Value) {
    if (ChangeValue(FBorderWidth, Value)) Invalidate();
}

void TKvCustomStatusPane::SetFlatColor(TColor Value) {
    if (ChangeValue(FFlatColor, Value)) Invalidate();
}

void TKvCustomStatusPane::SetFlatColorAdjustment(int Value) {
    if (ChangeValue(FFlatColorAdjustment, Value)) Invalidate();
}

void TKvCustomStatusPane::SetFrameStyle(TFrameStyleEx Value) {
    if (ChangeValue(FFrameStyle, TFrameStyle(Value))) Invalidate();
}

void TKvCustomStatusPane::SetCaptionOffset(int Value) {
    if (!ChangeValue(FCaptionOffset, Value)) return;
    Invalidate();
    AdjustBounds();
}

void TKvCustomStatusPane::SetAutoSize(bool Value) {
    if (Value == AutoSize()) return;
    TGraphicControl::SetAutoSize(Value);
    AdjustBounds();
}

void TKvCustomStatusPane::SetDefaultWidth(int Value) {
    if (ChangeValue(FDefaultWidth, Value)) AdjustBounds();
}

void TKvCustomStatusPane::SetFillColor(TColor Value) {
    if (!ChangeValue(FFillColor, Value)) return;
    FParentFillColor = false;
    Invalidate();
}

void TKvCustomStatusPane::SetParentFillColor(bool Value) {
    if (ChangeValue(FParentFillColor, Value) && Parent() && !IsReading()) Perform(CM_PARENTCOLORCHANGED);
}

void TKvCustomStatusPane::SetTransparent(bool Value) {
    if (!ChangeValue(FTransparent, Value)) return;
    TControlStyle style = ControlStyle();
    if (Value) style.Exclude(csOpaque);
    else style.Include(csOpaque);
    SetControlStyle(style);
    Invalidate();
}

void TKvCustomStatusPane::SetBlinking(bool Value) {
    if (!ChangeValue(FBlinking, Value)) return;
    if (!Value) {
        FBlinkState = bsOff;
        FCurrentColor = GetFontColor();
        Repaint();
    }
}

std::uint16_t TKvCustomStatusPane::GetBlinkIntervalOff() const { return BlinkingControls->IntervalOff(); }
void TKvCustomStatusPane::SetBlinkIntervalOff(std::uint16_t Value) { BlinkingControls->SetIntervalOff(Value); }
std::uint16_t TKvCustomStatusPane::GetBlinkIntervalOn() const { return BlinkingControls->IntervalOn(); }
void TKvCustomStatusPane::SetBlinkIntervalOn(std::uint16_t Value) { BlinkingControls->SetIntervalOn(Value); }

void TKvCustomStatusPane::SetFrameController(TKvFrameController* Value) {
    if (FFrameController) FFrameController->UnregisterControl(this);
    FFrameController = Value;
    if (Value) {
        Value->RegisterControl(this);
        Value->FreeNotification(this);
    }
}

// --- colours -----------------------------------------------------------------

TColor TKvCustomStatusPane::GetFontColor() const {
    return UsingSystemStyle() ? FFontColor : ActiveStyleFontColor(sfStatusPanelTextNormal);
}

TColor TKvCustomStatusPane::GetDisabledFontColor() const {
    return UsingSystemStyle() ? clGrayText : ActiveStyleFontColor(sfStatusPanelTextDisabled);
}

bool TKvCustomStatusPane::UseThemes() const {
    const auto* bar = dynamic_cast<const TKvStatusBar*>(Parent());
    return bar && bar->VisualStyle() == vsWinXP && ThemeServices().ThemesEnabled();
}

// --- blinking ----------------------------------------------------------------

void TKvCustomStatusPane::Blink(TBlinkState State) {
    if (State == bsOn) {
        FBlinkState = bsOff;
        FCurrentColor = GetFontColor();
    } else {
        FBlinkState = bsOn;
        FCurrentColor = FBlinkColor;
    }
    Repaint();
}

// --- geometry ----------------------------------------------------------------

TRect TKvCustomStatusPane::GetCaptionRect() const {
    const int inset = FBorderWidth + FrameAllowance(FFrameStyle);
    return InflateRect(ClientRect(), -inset, -inset);
}

int TKvCustomStatusPane::GetMinWidth() {
    if (Caption().empty()) return FDefaultWidth;
    TBitmap measure(1, 1);
    TCanvas& canvas = measure.Canvas();
    canvas.Font().Assign(Font());
    TRect r = Rect(0, 0, 0, 0);
    DrawString(canvas, Caption(), r, DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX);
    return r.Width() + 2 * FBorderWidth + FCaptionOffset + 6;
}

void TKvCustomStatusPane::AdjustBounds() {
    if (IsLoading() || IsReading() || !AutoSize()) return;
    SetWidth(GetMinWidth());
}

bool TKvCustomStatusPane::UnderSizeGrip(const TRect& R) const {
    const auto* bar = dynamic_cast<const TKvStatusBar*>(Parent());
    if (!bar || !bar->ShowSizeGrip()) return false;
    return ClientToScreen({R.Right, 0}).X >= bar->ClientToScreen({bar->ClientRect().Right, 0}).X;
}

// --- painting ----------------------------------------------------------------

void TKvCustomStatusPane::Paint() {
    DrawStatusBorder();
    DrawCaption(Caption());
}

void TKvCustomStatusPane::DrawStatusBorder() {
    TCanvas& canvas = Canvas();
    if (UseThemes()) {
        ThemeServices().DrawElement(canvas.Handle(), ThemeServices().GetElementDetails(tsPane),
                                    Rect(0, 2, Width(), Height()));
        return;
    }
    TRect r = Rect(0, 0, Width(), Height());
    if (!FTransparent) {
        canvas.Brush().SetColor(UsingSystemStyle() ? Color() : ActiveStyleSystemColor(clBtnFace));
        canvas.FillRect(r);
    }
    canvas.Pen().SetWidth(1);
    r = InflateRect(r, -FBorderWidth, -FBorderWidth);

    if (auto* bar = dynamic_cast<TKvStatusBar*>(Parent()); bar && bar->VisualStyle() == vsGradient) {
        // Panes of a gradient bar are separated by a divider, except the first.
        if (bar->BorderWidth() + bar->Padding().Left < Left()) {
            TColor start, stop, divider;
            GetGradientStatusBarColors(bar->GradientColorStyle(), start, stop, divider);
            canvas.Pen().SetColor(divider);
            canvas.MoveTo(r.Left, r.Top + 1);
            canvas.LineTo(r.Left, r.Bottom - 1);
        }
        return;
    }
    if (FFrameStyle == fsFlat) {
        DrawSoftFlatFrame(canvas, r,
                          UsingSystemStyle() ? AdjustColor(FFlatColor, FFlatColorAdjustment)
                                             : ActiveStyleFontColor(sfStatusPanelTextDisabled));
        return;
    }
    DrawBorder(canvas, r, FFrameStyle);
}

void TKvCustomStatusPane::DrawCaption(const String& S) {
    TCanvas& canvas = Canvas();
    const TRect r = GetCaptionRect();
    TAlignment a = FAlignment;
    if (UseRightToLeftAlignment()) {
        if (a == taLeftJustify) a = taRightJustify;
        else if (a == taRightJustify) a = taLeftJustify;
    }
    int x = 0;
    switch (a) {
        case taLeftJustify: x = r.Left + FCaptionOffset + 1; break;
        case taRightJustify: x = r.Right - FCaptionOffset - 1; break;
        case taCenter: x = r.Left + (r.Right - r.Left) / 2; break;
    }
    canvas.Font().Assign(Font());
    const int h = canvas.TextHeight(u"Pp");
    const int y = r.Top + (r.Bottom - r.Top - h) / 2;

    canvas.Brush().SetColor(clNone);
    canvas.Brush().SetStyle(bsClear);
    auto* bar = dynamic_cast<TKvStatusBar*>(Parent());
    if (UseThemes() && bar) {
        // The bar's themed background under the caption area.
        TBitmap background(bar->Width(), bar->Height());
        ThemeServices().DrawElement(background.Canvas().Handle(), ThemeServices().GetElementDetails(tsStatusRoot),
                                    Rect(0, 0, bar->Width(), bar->Height()));
        canvas.CopyRect(r, background.Canvas(), OffsetRect(r, Left(), Top()));
    } else if (!FTransparent) {
        canvas.Brush().SetColor(UsingSystemStyle() ? FFillColor : ActiveStyleSystemColor(clBtnFace));
    }

    canvas.SetTextAlign(SetTextAlignments[a] | TA_TOP);
    canvas.Font().SetColor(Enabled() ? FCurrentColor : GetDisabledFontColor());
    canvas.TextRect(r, x, y, S);
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
    canvas.Brush().SetStyle(bsSolid);
}

// --- frame controller ----------------------------------------------------------

void TKvCustomStatusPane::CustomFramingChanged() {
    if (!FFrameController || !FFrameController->FrameVisible()) return;
    const TKvFrameControllerNotifications n = FFrameControllerNotifications;
    if (n.Contains(fcpFrameStyle)) SetFrameStyle(FFrameController->FrameStyle());
    if (n.Contains(fcpFrameColor)) {
        SetFlatColor(FFrameController->FrameColor());
        SetFlatColorAdjustment(0);
    }
    if (n.Contains(fcpColor)) SetFillColor(FFrameController->Color());
    if (n.Contains(fcpParentColor)) SetParentColor(FFrameController->ParentColor());
    Invalidate();
}

// --- component life and messages -------------------------------------------

void TKvCustomStatusPane::Loaded() {
    TGraphicControl::Loaded();
    if (!ParentColor()) SetTransparent(false);
    FFontColor = Font().Color();
    FCurrentColor = GetFontColor();
    AdjustBounds();
}

void TKvCustomStatusPane::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFrameController) FFrameController = nullptr;
}

bool TKvCustomStatusPane::ExecuteAction(TBasicAction* Action) {
    if (auto* hint = dynamic_cast<THintAction*>(Action); hint && FAutoHint) {
        SetCaption(hint->Hint());
        return true;
    }
    return TGraphicControl::ExecuteAction(Action);
}

void TKvCustomStatusPane::ColorChanged(TMessage& Message) {
    TGraphicControl::WndProc(Message);
    if (FParentFillColor) FFillColor = Color();
    Invalidate();
}

int TKvCustomStatusPane::HitTestAt(int X, int Y) {
    int result = HTCLIENT;
    if (!UnderSizeGrip(ClientRect())) return result;
    // The last 12 pixels of the bar belong to its size grip: the bar answers.
    auto* bar = static_cast<TKvStatusBar*>(Parent());
    const int gripRight = bar->ClientRect().Right - Left();
    if (Rect(gripRight - 12, 0, gripRight, Height()).Contains({X, Y})) {
        const TPoint screen = ClientToScreen({X, Y});
        result = static_cast<int>(bar->Perform(WM_NCHITTEST, 0, PointToLParam(screen.X, screen.Y)));
    }
    return result;
}

void TKvCustomStatusPane::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case cm_GetBlinking:
            Message.Result = FBlinking ? 1 : 0;
            return;
        case cm_Blink:
            if (FBlinking) Blink(static_cast<TBlinkState>(Message.WParam));
            return;
        case CM_PARENTCOLORCHANGED:
        case CM_COLORCHANGED:
            ColorChanged(Message);
            return;
        case CM_FONTCHANGED:
            TGraphicControl::WndProc(Message);
            if (IsLoading()) return;
            FFontColor = Font().Color();
            if (!FBlinking) FCurrentColor = GetFontColor();
            AdjustBounds();
            return;
        case CM_TEXTCHANGED:
            Invalidate();
            AdjustBounds();
            return;
        case CM_STYLECHANGED:
            FCurrentColor = GetFontColor();
            Invalidate();
            return;
        case CM_HITTEST:
            TGraphicControl::WndProc(Message);
            if (Message.Result == HTCLIENT) Message.Result = HitTestAt(LParamX(Message.LParam), LParamY(Message.LParam));
            return;
    }
    TGraphicControl::WndProc(Message);
}

// ===========================================================================
// Progress pane
// ===========================================================================

TKvProgressStatus::TKvProgressStatus(TComponent* AOwner) : TKvCustomStatusPane(AOwner) { SetShowHint(true); }

template <class V>
void TKvProgressStatus::ChangeLook(V& Field, V Value) {
    if (ChangeValue(Field, Value)) Invalidate();
}

void TKvProgressStatus::SetBackColor(TColor Value) { ChangeLook(FBackColor, Value); }
void TKvProgressStatus::SetBackColorStop(TColor Value) { ChangeLook(FBackColorStop, Value); }
void TKvProgressStatus::SetBarColor(TColor Value) { ChangeLook(FBarColor, Value); }
void TKvProgressStatus::SetBarColorStop(TColor Value) { ChangeLook(FBarColorStop, Value); }
void TKvProgressStatus::SetGradientDirection(TGradientDirection Value) { ChangeLook(FGradientDirection, Value); }
void TKvProgressStatus::SetShowPercent(bool Value) { ChangeLook(FShowPercent, Value); }
void TKvProgressStatus::SetShowParts(bool Value) { ChangeLook(FShowParts, Value); }

void TKvProgressStatus::SetNumSegments(int Value) {
    // The segment count ranges over 1..100.
    ChangeLook(FNumSegments, std::clamp(Value, 1, 100));
}

void TKvProgressStatus::SetBarStyle(TBarStyle Value) {
    if (!ChangeValue(FBarStyle, Value)) return;
    SetShowPercent(false);
    Invalidate();
}

namespace {

constexpr TUnsignedLongint kMaxParts = 2147483647;

}  // namespace

void TKvProgressStatus::SetTotalParts(TUnsignedLongint Value) {
    Value = std::min(Value, kMaxParts);
    if (Value == FTotalParts) return;
    FTotalParts = Value;
    if (IsLoading()) return;
    FPartsComplete = 0;
    SetPercent(0);
}

void TKvProgressStatus::SetPartsComplete(TUnsignedLongint Value) {
    if (Value == FPartsComplete) return;
    FPartsComplete = std::min(Value, FTotalParts);
    if (IsLoading() || FTotalParts == 0) return;
    const double percent = static_cast<double>(FPartsComplete) / static_cast<double>(FTotalParts) * 100.0;
    SetPercent(static_cast<std::uint16_t>(RoundEven(percent)));
}

void TKvProgressStatus::SetPercent(std::uint16_t Value) {
    if (ChangeValue(FPercent, Value)) Repaint();  // progress shows at once
}

void TKvProgressStatus::IncParts(TUnsignedLongint N) { SetPartsComplete(FPartsComplete + N); }

void TKvProgressStatus::Paint() {
    DrawStatusBorder();
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    TRect r = GetCaptionRect();
    r.Top += 1;
    r.Bottom -= 1;

    TColor bar = FBarColor, barStop = FBarColorStop, back = FBackColor, backStop = FBackColorStop;
    if (!UsingSystemStyle()) {
        bar = ActiveStyleSystemColor(clHighlight);
        barStop = DarkerColor(bar, 20);
        back = clNone;
        backStop = clNone;
    }
    canvas.Brush().SetColor(clNone);

    const int parts = static_cast<int>(FPartsComplete), total = static_cast<int>(FTotalParts);
    switch (FBarStyle) {
        case bsTraditional:
            DrawPercentBar(canvas, r, orHorizontal, bar, back, FPercent, FShowPercent, true, FShowParts, parts, total);
            break;
        case bsLED:
            DrawLEDBar(canvas, r, orHorizontal, bar, back, FNumSegments, FPercent, false, true);
            break;
        case bsGradient:
            DrawGradientPercentBar(canvas, r, orHorizontal, bar, barStop, back, backStop, FGradientDirection, FPercent,
                                   FShowPercent, true, FShowParts, parts, total);
            break;
    }
}

// ===========================================================================
// Registration
// ===========================================================================

namespace {

void RegisterPaneProperties() {
    using P = TKvCustomStatusPane;
    TClassBuilder<P>(u"TKvCustomStatusPane", u"TGraphicControl")
        .Boolean(u"ParentColor", &P::ParentColor, &P::SetParentColor, true)
        .Integer(u"Width", &P::Width, &P::SetWidth, 100)
        .Integer(u"Height", &P::Height, &P::SetHeight, 20)
        .Integer(u"BorderWidth", &P::BorderWidth, &P::SetBorderWidth, 1)
        .Color(u"FillColor", &P::FillColor, &P::SetFillColor, std::nullopt, [](P& p) { return !p.ParentFillColor(); })
        .Color(u"FlatColor", &P::FlatColor, &P::SetFlatColor, clBtnShadow)
        .Integer(u"FlatColorAdjustment", &P::FlatColorAdjustment, &P::SetFlatColorAdjustment, 30)
        .Enumeration<TFrameStyleEx>(u"FrameStyle", kFrameStyleType, &P::FrameStyle, &P::SetFrameStyle, fsFlat)
        .SetOf<TKvFrameControllerProperty>(u"FrameControllerNotifications", kFrameControllerPropertyType,
                                           &P::FrameControllerNotifications, &P::SetFrameControllerNotifications,
                                           fccAll)
        .Reference<TKvFrameController>(u"FrameController", &P::FrameController, &P::SetFrameController)
        .Boolean(u"ParentFillColor", &P::ParentFillColor, &P::SetParentFillColor, true)
        .Boolean(u"Transparent", &P::Transparent, &P::SetTransparent, true);
}

void RegisterStatusPanes() {
    RegisterKvPanelClasses();
    RegisterPaneProperties();

    using S = TKvStatusPane;
    TClassBuilder<S>(u"TKvStatusPane", u"TKvCustomStatusPane")
        .Enumeration<TAlignment>(u"Alignment", kAlignmentType, &S::Alignment, &S::SetAlignment, taLeftJustify)
        .Boolean(u"AutoHint", &S::AutoHint, &S::SetAutoHint, false)
        .Boolean(u"AutoSize", &S::AutoSize, &S::SetAutoSize, false)
        .Boolean(u"Blinking", &S::Blinking, &S::SetBlinking, false)
        .Color(u"BlinkColor", &S::BlinkColor, &S::SetBlinkColor, clHighlight)
        .Integer(u"BlinkIntervalOff", &S::GetBlinkIntervalOff, &S::SetBlinkIntervalOff, 500)
        .Integer(u"BlinkIntervalOn", &S::GetBlinkIntervalOn, &S::SetBlinkIntervalOn, 500)
        .Str(u"Caption", &S::Caption, &S::SetCaption, String())
        .Integer(u"CaptionOffset", &S::CaptionOffset, &S::SetCaptionOffset, 2)
        .Integer(u"DefaultWidth", &S::DefaultWidth, &S::SetDefaultWidth, 40);

    using G = TKvProgressStatus;
    TClassBuilder<G>(u"TKvProgressStatus", u"TKvCustomStatusPane")
        .Enumeration<TAlignment>(u"Alignment", kAlignmentType, &G::Alignment, &G::SetAlignment, taLeftJustify)
        .Color(u"BackColor", &G::BackColor, &G::SetBackColor, clBtnFace)
        .Color(u"BackColorStop", &G::BackColorStop, &G::SetBackColorStop, clBtnFace)
        .Color(u"BarColor", &G::BarColor, &G::SetBarColor, clHighlight)
        .Color(u"BarColorStop", &G::BarColorStop, &G::SetBarColorStop, clHotLight)
        .Enumeration<TBarStyle>(u"BarStyle", kBarStyleType, &G::BarStyle, &G::SetBarStyle, bsTraditional)
        .Enumeration<TGradientDirection>(u"GradientDirection", kGradientDirectionType, &G::GradientDirection,
                                         &G::SetGradientDirection, gdHorizontalCenter)
        .Integer(u"NumSegments", &G::NumSegments, &G::SetNumSegments, 15)
        .Integer(u"PartsComplete", &G::PartsComplete, &G::SetPartsComplete)
        .Integer(u"Percent", &G::Percent, &G::SetPercent)
        .Boolean(u"ShowPercent", &G::ShowPercent, &G::SetShowPercent, false)
        .Boolean(u"ShowParts", &G::ShowParts, &G::SetShowParts, false)
        .Integer(u"TotalParts", &G::TotalParts, &G::SetTotalParts)
        .Boolean(u"ShowHint", &G::ShowHint, &G::SetShowHint, true)
        .Str(u"Hint", &G::Hint, &G::SetHint, std::nullopt, [](G&) { return false; });
}

}  // namespace

void RegisterKvStatusClasses() {
    RegisterClassesOnce(RegisterStatusPanes);
}
