#include "KvPanel.h"

#include "Forms.h"
#include "KvGrafx.h"
#include "ToolkitTypes.h"

// ===========================================================================
// Bordered panel
// ===========================================================================

const TEnumType kGridStyleType{u"TKvGridStyle", {u"gsDots", u"gsDottedLines", u"gsSolidLines"}};

namespace {

// Pixels a frame style takes from each framed side of a panel.
int FrameWidth(TFrameStyleEx style, int bevelWidth) {
    switch (style) {
        case fsNone: return 0;
        case fsFlat: return 1;
        case fsStatus:
        case fsPopup: return bevelWidth;
        default: return 2;
    }
}

}  // namespace

TKvCustomPanel::TKvCustomPanel(TComponent* AOwner) : TCustomPanel(AOwner) {
    TControlStyle style = ControlStyle();
    style.Exclude(csSetCaption);
    style.Exclude(csParentBackground);
    style.Include(csOpaque);
    SetControlStyle(style);
    SetBevelOuter(bvNone);
}

TKvCustomPanel::~TKvCustomPanel() = default;

void TKvCustomPanel::BeforeDestruction() {
    if (FFrameController) {
        FFrameController->UnregisterControl(this);
        FFrameController = nullptr;
    }
    TCustomPanel::BeforeDestruction();
}

template <class V>
void TKvCustomPanel::ChangeFrame(V& Field, V Value) {
    if (!ChangeValue(Field, Value)) return;
    Realign();
    Invalidate();
}

template <class V>
void TKvCustomPanel::ChangeLook(V& Field, V Value) {
    if (ChangeValue(Field, Value)) Invalidate();
}

// --- property writers --------------------------------------------------------

void TKvCustomPanel::SetBorderInner(TFrameStyleEx Value) { ChangeFrame(FBorderInner, Value); }
void TKvCustomPanel::SetBorderOuter(TFrameStyleEx Value) { ChangeFrame(FBorderOuter, Value); }
void TKvCustomPanel::SetBorderSides(TSides Value) { ChangeFrame(FBorderSides, Value); }

void TKvCustomPanel::WriteBorderFields(TFrameStyleEx Inner, TFrameStyleEx Outer, TSides Sides) {
    FBorderInner = Inner;
    FBorderOuter = Outer;
    FBorderSides = Sides;
}

void TKvCustomPanel::SetAlignmentVertical(TAlignmentVertical Value) { ChangeLook(FAlignmentVertical, Value); }
void TKvCustomPanel::SetBorderColor(TColor Value) { ChangeLook(FBorderColor, Value); }
void TKvCustomPanel::SetBorderHighlight(TColor Value) { ChangeLook(FBorderHighlight, Value); }
void TKvCustomPanel::SetBorderShadow(TColor Value) { ChangeLook(FBorderShadow, Value); }
void TKvCustomPanel::SetFlatColor(TColor Value) { ChangeLook(FFlatColor, Value); }
void TKvCustomPanel::SetFlatColorAdjustment(int Value) { ChangeLook(FFlatColorAdjustment, Value); }
void TKvCustomPanel::SetGradientColorStyle(TKvGradientColorStyle Value) { ChangeLook(FGradientColorStyle, Value); }
void TKvCustomPanel::SetGridColor(TColor Value) { ChangeLook(FGridColor, Value); }
void TKvCustomPanel::SetGridStyle(TKvGridStyle Value) { ChangeLook(FGridStyle, Value); }
void TKvCustomPanel::SetGridXSize(std::uint16_t Value) { ChangeLook(FGridXSize, Value); }
void TKvCustomPanel::SetGridYSize(std::uint16_t Value) { ChangeLook(FGridYSize, Value); }
void TKvCustomPanel::SetPaintClientArea(bool Value) { ChangeLook(FPaintClientArea, Value); }
void TKvCustomPanel::SetShowGrid(bool Value) { ChangeLook(FShowGrid, Value); }
void TKvCustomPanel::SetTextMargin(int Value) { ChangeLook(FTextMargin, Value); }
void TKvCustomPanel::SetTextMarginVertical(int Value) { ChangeLook(FTextMarginVertical, Value); }
void TKvCustomPanel::SetWordWrap(bool Value) { ChangeLook(FWordWrap, Value); }
void TKvCustomPanel::SetVisualStyle(TKvVisualStyle Value) { ChangeLook(FVisualStyle, Value); }

// Transparent children paint the gradient through themselves.
template <class V>
void TKvCustomPanel::ChangeGradient(V& Field, V Value) {
    if (!ChangeValue(Field, Value)) return;
    Invalidate();
    InvalidateControls(this);
}

void TKvCustomPanel::SetGradientColorStart(TColor Value) { ChangeGradient(FGradientColorStart, Value); }
void TKvCustomPanel::SetGradientColorStop(TColor Value) { ChangeGradient(FGradientColorStop, Value); }
void TKvCustomPanel::SetGradientDirection(TGradientDirection Value) { ChangeGradient(FGradientDirection, Value); }

void TKvCustomPanel::SetGridSize(std::uint16_t XSize, std::uint16_t YSize) {
    SetGridXSize(XSize);
    SetGridYSize(YSize);
}

void TKvCustomPanel::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    TControlStyle style = ControlStyle();
    if (Value) style.Exclude(csOpaque);
    else style.Include(csOpaque);
    SetControlStyle(style);
    Invalidate();
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->Invalidate();
}

void TKvCustomPanel::SetFrameController(TKvFrameController* Value) {
    if (FFrameController) FFrameController->UnregisterControl(this);
    FFrameController = Value;
    if (Value) {
        Value->RegisterControl(this);
        Value->FreeNotification(this);
    }
}

// --- geometry ----------------------------------------------------------------

TPoint TKvCustomPanel::CursorPosition() const { return ScreenToClient(CursorPos()); }

void TKvCustomPanel::FixClientRect(TRect& Rect, bool ShrinkByBorder) const {
    if (ShrinkByBorder) Rect = InflateRect(Rect, -BorderWidth(), -BorderWidth());
    Rect = ShrinkSides(Rect, FBorderSides, FrameWidth(FBorderOuter, BevelWidth()));
    Rect = ShrinkSides(Rect, FBorderSides, FrameWidth(FBorderInner, BevelWidth()));
}

TRect TKvCustomPanel::GetControlRect() const { return Rect(0, 0, Width(), Height()); }

TPoint TKvCustomPanel::InvalidateMarginSize() const { return {1, 1}; }

TRect TKvCustomPanel::GetClientRect() const {
    TRect r = TCustomPanel::GetClientRect();
    if (!DockSite()) FixClientRect(r, false);
    return r;
}

void TKvCustomPanel::AdjustClientRect(TRect& Rect) {
    TCustomPanel::AdjustClientRect(Rect);
    if (DockSite()) FixClientRect(Rect, false);
}

void TKvCustomPanel::AlignControls(TControl* AControl, TRect& Rect) { TCustomPanel::AlignControls(AControl, Rect); }

void TKvCustomPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    // A panel docked to the bottom (right) keeps its bottom (right) edge.
    if (Align() == alBottom && AHeight != Height()) ATop = Top() + Height() - AHeight;
    else if (Align() == alRight && AWidth != Width()) ALeft = Left() + Width() - AWidth;
    TCustomPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
}

// --- children ----------------------------------------------------------------

void TKvCustomPanel::EnableChildControls(bool Enabled) {
    if (!Enabled) {
        FEnabledList.clear();
        for (int i = 0; i < ControlCount(); ++i)
            FEnabledList.emplace_back(Controls(i), Controls(i)->Enabled());
        for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(false);
        return;
    }
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        const auto it = std::find_if(FEnabledList.begin(), FEnabledList.end(),
                                     [child](const auto& item) { return item.first == child; });
        if (it == FEnabledList.end() || it->second) child->SetEnabled(true);
    }
}

// --- painting ----------------------------------------------------------------

void TKvCustomPanel::GetGradientColors(TColor& StartColor, TColor& StopColor) const {
    if (FGradientColorStyle == gcsCustom) {
        StartColor = FGradientColorStart;
        StopColor = FGradientColorStop;
    } else {
        GetGradientPanelColors(FGradientColorStyle, StartColor, StopColor);
    }
}

void TKvCustomPanel::GetGradientFrameColor(TColor& FrameColor, int& FrameColorAdjustment) const {
    if (FVisualStyle == vsGradient && FGradientColorStyle != gcsCustom) {
        FrameColor = GetGradientPanelFrameColor(FGradientColorStyle);
        FrameColorAdjustment = 0;
    } else {
        FrameColor = FFlatColor;
        FrameColorAdjustment = FFlatColorAdjustment;
    }
}

namespace {

// A colour of an application-style element, or Fallback when the style has
// none (or gives clNone).
TColor StyleElementColor(TStyleElement element, TElementColor which, TColor fallback) {
    TColor c = clNone;
    const bool found = StyleServices().GetElementColor(StyleServices().GetElementDetails(element), which, c);
    return found && c != clNone ? c : fallback;
}

}  // namespace

void TKvCustomPanel::Paint() {
    TCanvas& canvas = Canvas();
    TRect r = GetControlRect();

    TColor frameColor, bdrColor, bdrHighlight, bdrShadow, panelColor, parentColor;
    int frameColorAdjustment;
    if (UsingSystemStyle() || FVisualStyle == vsClassic) {
        GetGradientFrameColor(frameColor, frameColorAdjustment);
        parentColor = Parent() ? Parent()->Color() : clBtnFace;
        bdrColor = FBorderColor;
        bdrHighlight = FBorderHighlight;
        bdrShadow = FBorderShadow;
        panelColor = Color();
    } else {
        frameColor = StyleServices().GetSystemColor(FFlatColor);
        frameColorAdjustment = FFlatColorAdjustment;
        panelColor = StyleElementColor(sePanelBackground, ecFillColor, Color());
        parentColor = panelColor;
        bdrHighlight = StyleElementColor(sePanelBevel, ecEdgeHighlightColor, FBorderHighlight);
        bdrShadow = StyleElementColor(sePanelBevel, ecEdgeShadowColor, FBorderShadow);
        bdrColor = StyleServices().GetSystemColor(FBorderColor);
    }

    r = DrawInnerOuterBorders(canvas, r, FBorderOuter, FBorderInner, BorderWidth(), FBorderSides, BevelWidth(),
                              bdrColor, bdrHighlight, bdrShadow, frameColor, frameColorAdjustment, panelColor,
                              parentColor, FTransparent, false);

    if (!FTransparent && FPaintClientArea) {
        const bool roundCorners = (FBorderOuter == fsFlatRounded && FBorderInner == fsNone && BorderWidth() == 0) ||
                                  FBorderInner == fsFlatRounded;
        const TRect saved = r;
        // The fill reaches the rounded frame's inner corner pixels.
        if (roundCorners) r = ShrinkSides(r, FBorderSides, -1);

        if (FVisualStyle == vsGradient) {
            TColor start, stop;
            GetGradientColors(start, stop);
            PaintGradient(canvas, r, FGradientDirection, start, stop, 1);
        } else {
            canvas.Brush().SetColor(panelColor);
            canvas.FillRect(r);
        }

        if (roundCorners) {
            const TColor c = AdjustColor(frameColor, frameColorAdjustment);
            const TSides s = FBorderSides;
            if (s.Contains(sdLeft) && s.Contains(sdTop)) canvas.SetPixel(r.Left, r.Top, c);
            if (s.Contains(sdTop) && s.Contains(sdRight)) canvas.SetPixel(r.Right - 1, r.Top, c);
            if (s.Contains(sdRight) && s.Contains(sdBottom)) canvas.SetPixel(r.Right - 1, r.Bottom - 1, c);
            if (s.Contains(sdLeft) && s.Contains(sdBottom)) canvas.SetPixel(r.Left, r.Bottom - 1, c);
            r = saved;
        }
    }

    if (FShowGrid) DrawGrid(r);

    canvas.Brush().SetStyle(bsClear);
    DrawCaption(r);
    canvas.Brush().SetStyle(bsSolid);

    if (OnPaint) OnPaint(this);
}

void TKvCustomPanel::DrawCaption(const TRect& ARect) {
    if (Caption().empty()) return;
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    TRect r = InflateRect(ARect, -FTextMargin, -FTextMarginVertical);
    TRect textRct = r;

    const unsigned layout = DrawTextWordWrap[FWordWrap ? 1 : 0] | DT_EXPANDTABS | DT_VCENTER | DrawTextAlignments[Alignment()];
    int h;
    const auto panelText = StyleServices().GetElementDetails(sePanelBackground);
    if (UsingSystemStyle()) {
        h = DrawString(canvas, Caption(), textRct, layout | DT_CALCRECT);
    } else {
        canvas.Font().SetColor(StyleElementColor(sePanelBackground, ecTextColor, Font().Color()));
        StyleServices().DrawText(canvas, panelText, Caption(), textRct, layout | DT_CALCRECT);
        h = textRct.Height();
    }

    switch (FAlignmentVertical) {
        case avTop:
            if (r.Top + h < r.Bottom) r.Bottom = r.Top + h;
            break;
        case avCenter:
            r.Top = (r.Top + r.Bottom - h) / 2;
            if (r.Top + h < r.Bottom) r.Bottom = r.Top + h;
            break;
        case avBottom:
            if (r.Bottom - h - 1 > r.Top) r.Top = r.Bottom - h - 1;
            break;
    }

    canvas.Brush().SetStyle(bsClear);
    if (UsingSystemStyle()) {
        if (!Enabled()) canvas.Font().SetColor(clGrayText);
        DrawString(canvas, Caption(), r, layout);
    } else {
        const TColor text = StyleElementColor(sePanelBackground, ecTextColor, Font().Color());
        canvas.Font().SetColor(Enabled() ? text : StyleServices().GetSystemColor(clGrayText));
        StyleServices().DrawText(canvas, panelText, Caption(), r, layout);
    }
}

void TKvCustomPanel::DrawGrid(const TRect& R) {
    TCanvas& canvas = Canvas();
    const int xCount = FGridXSize == 0 ? 0 : (R.Right - R.Left) / FGridXSize;
    const int yCount = FGridYSize == 0 ? 0 : (R.Bottom - R.Top) / FGridYSize;
    const TColor gc = ActiveStyleSystemColor(FGridColor);
    canvas.Pen().SetColor(gc);
    const auto column = [&](int i) { return R.Left + i * FGridXSize - 1; };
    const auto row = [&](int j) { return R.Top + j * FGridYSize - 1; };

    switch (FGridStyle) {
        case gsDots:
            for (int i = 1; i <= xCount; ++i)
                for (int j = 1; j <= yCount; ++j) canvas.SetPixel(column(i), row(j), gc);
            break;
        case gsSolidLines:
            for (int i = 1; i <= xCount; ++i) {
                canvas.MoveTo(column(i), R.Top);
                canvas.LineTo(column(i), R.Bottom);
            }
            for (int j = 1; j <= yCount; ++j) {
                canvas.MoveTo(R.Left, row(j));
                canvas.LineTo(R.Right, row(j));
            }
            break;
        case gsDottedLines:
            for (int i = 1; i <= xCount; ++i)
                for (int y = R.Top + 1; y < R.Bottom; y += 2) canvas.SetPixel(column(i), y, gc);
            for (int j = 1; j <= yCount; ++j)
                for (int x = R.Left + 1; x < R.Right; x += 2) canvas.SetPixel(x, row(j), gc);
            break;
    }
}

// --- colour, frame controller, dock manager ----------------------------------

void TKvCustomPanel::UpdatePanelColor() {
    if (UsingSystemStyle()) SetColor(FPanelColor);
    else SetColor(ActiveStyleSystemColor(clBtnFace));
}

void TKvCustomPanel::CustomFramingChanged() {
    if (!FFrameController || !FFrameController->FrameVisible()) return;
    const TKvFrameControllerNotifications n = FFrameControllerNotifications;
    if (n.Contains(fcpFrameStyle)) FBorderOuter = FFrameController->FrameStyle();
    if (n.Contains(fcpFrameSides)) FBorderSides = FFrameController->FrameSides();
    if (n.Contains(fcpFrameColor)) {
        FFlatColor = FFrameController->FrameColor();
        FFlatColorAdjustment = 0;
    }
    if (n.Contains(fcpColor)) SetColor(FFrameController->Color());
    if (n.Contains(fcpParentColor)) SetParentColor(FFrameController->ParentColor());
    if (n.Contains(fcpColor)) {
        FBorderHighlight = LighterColor(Color(), 100);
        FBorderShadow = DarkerColor(Color(), 50);
    }
    Invalidate();
}

void TKvCustomPanel::CreateDockManager() {
    if (!FDockManager && DockSite() && UseDockManager()) FDockManager = std::make_unique<TKvPanelDockManager>(this);
    if (FDockManager) SetDoubleBuffered(true);
}

void TKvCustomPanel::CreateWnd() {
    TCustomPanel::CreateWnd();
    CreateDockManager();
}

// --- stored layouts and component life -----------------------------------------

void TKvCustomPanel::DefineProperties(TFiler* Filer) {
    TCustomPanel::DefineProperties(Filer);
    // Older names, read and never written.
    Filer->DefineProperty(u"FrameSides", [](TReader& r) { r.ReadSet(); }, {}, false);
    Filer->DefineProperty(u"ThemeAware", [](TReader& r) { r.ReadBoolean(); }, {}, false);
    Filer->DefineProperty(
        u"UseGradients",
        [this](TReader& r) {
            if (r.ReadBoolean()) SetVisualStyle(vsGradient);
        },
        {}, false);
}

void TKvCustomPanel::Loaded() {
    TCustomPanel::Loaded();
    UpdatePanelColor();
}

void TKvCustomPanel::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomPanel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FFrameController) FFrameController = nullptr;
    // A child that left is no longer remembered (its address may come back).
    FEnabledList.erase(std::remove_if(FEnabledList.begin(), FEnabledList.end(),
                                      [AComponent](const auto& item) { return item.first == AComponent; }),
                       FEnabledList.end());
}

// --- messages ----------------------------------------------------------------

void TKvCustomPanel::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); return;
        case WM_ERASEBKGND: WMEraseBkgnd(Message); return;
        case CM_MOUSEENTER: CMMouseEnter(Message); return;
        case CM_MOUSELEAVE: CMMouseLeave(Message); return;
        case CM_ENABLEDCHANGED: CMEnabledChanged(Message); return;
        case WM_THEMECHANGED: WMThemeChanged(Message); return;
        case CM_COLORCHANGED: CMColorChanged(Message); return;
        case CM_STYLECHANGED: CMStyleChanged(Message); return;
    }
    TCustomPanel::WndProc(Message);
}

void TKvCustomPanel::WMWindowPosChanged(TMessage& Message) {
    const int oldWidth = static_cast<int>(Message.WParam);
    const int oldHeight = static_cast<int>(Message.LParam);
    if (FullRepaint() || !Caption().empty()) {
        Invalidate();
    } else {
        // Only the right and bottom frames move: repaint the strips holding them.
        const TRect r = Rect(0, 0, oldWidth, oldHeight);
        TRect cr = r;
        FixClientRect(cr, true);
        const TPoint m = InvalidateMarginSize();
        if (Width() != oldWidth) InvalidateRect(Rect(cr.Right - m.X, 0, r.Right, r.Bottom));
        if (Height() != oldHeight) InvalidateRect(Rect(0, cr.Bottom - m.Y, r.Right, r.Bottom));
    }
    TCustomPanel::WndProc(Message);
}

void TKvCustomPanel::WMEraseBkgnd(TMessage& Message) {
    auto* canvas = reinterpret_cast<TCanvas*>(Message.WParam);
    if (FTransparent && FPaintClientArea && canvas) {
        DrawParentImage(this, canvas, true);
        Message.Result = 1;
        return;
    }
    TCustomPanel::WndProc(Message);
}

void TKvCustomPanel::CMMouseEnter(TMessage& Message) {
    if (IsDesigning()) return;
    TCustomPanel::WndProc(Message);
}

void TKvCustomPanel::CMMouseLeave(TMessage& Message) { TCustomPanel::WndProc(Message); }

void TKvCustomPanel::CMEnabledChanged(TMessage& Message) {
    TCustomPanel::WndProc(Message);
    Repaint();
    EnableChildControls(Enabled());
}

void TKvCustomPanel::WMThemeChanged(TMessage& Message) {
    TCustomPanel::WndProc(Message);
    CurrentXPColorScheme = GetXPColorScheme();
}

void TKvCustomPanel::CMColorChanged(TMessage& Message) {
    TCustomPanel::WndProc(Message);
    if (UsingSystemStyle()) FPanelColor = Color();
}

void TKvCustomPanel::CMStyleChanged(TMessage& Message) {
    TCustomPanel::WndProc(Message);
    UpdatePanelColor();
}

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
    DisableAlign();
    try {
        for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetVisible(!Value);
    } catch (...) {
        EnableAlign();
        throw;
    }
    EnableAlign();
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
    DisableAlign();
    try {
        const int count = ControlCount();
        for (int i = 0; i < count; ++i) {
            TControl* child = Controls(i);
            const float ratio = FLastWidth > 0 ? static_cast<float>(child->Width()) / static_cast<float>(FLastWidth)
                                               : 1.0f / static_cast<float>(count);
            const int grow = RoundEven(static_cast<double>(FDelta) * ratio);
            child->SetWidth(child->Width() + grow);
        }
    } catch (...) {
        EnableAlign();
        throw;
    }
    EnableAlign();
}

// ===========================================================================
// Registration
// ===========================================================================

namespace {
void RegisterToolbarClasses();  // in the toolbar section below
}  // namespace

void RegisterKvPanelClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterToolkitClasses();

    TClassBuilder<TKvCustomPanel>(u"TKvCustomPanel", u"TCustomPanel")
        .Enumeration<TBevelCut>(u"BevelOuter", kBevelCutType, &TKvCustomPanel::BevelOuter,
                                &TKvCustomPanel::SetBevelOuter, bvNone)
        .Enumeration<TAlignmentVertical>(u"AlignmentVertical", kAlignmentVerticalType,
                                         &TKvCustomPanel::AlignmentVertical, &TKvCustomPanel::SetAlignmentVertical,
                                         avCenter)
        .Color(u"BorderColor", &TKvCustomPanel::BorderColor, &TKvCustomPanel::SetBorderColor, clBtnFace)
        .Color(u"BorderHighlight", &TKvCustomPanel::BorderHighlight, &TKvCustomPanel::SetBorderHighlight,
               clBtnHighlight)
        .Enumeration<TFrameStyleEx>(u"BorderInner", kFrameStyleExType, &TKvCustomPanel::BorderInner,
                                    &TKvCustomPanel::SetBorderInner, fsNone)
        .Enumeration<TFrameStyleEx>(u"BorderOuter", kFrameStyleExType, &TKvCustomPanel::BorderOuter,
                                    &TKvCustomPanel::SetBorderOuter, fsRaised)
        .Color(u"BorderShadow", &TKvCustomPanel::BorderShadow, &TKvCustomPanel::SetBorderShadow, clBtnShadow)
        .SetOf<TSide>(u"BorderSides", kSideType, &TKvCustomPanel::BorderSides, &TKvCustomPanel::SetBorderSides,
                      sdAllSides)
        .Color(u"FlatColor", &TKvCustomPanel::FlatColor, &TKvCustomPanel::SetFlatColor, clBtnShadow)
        .Integer(u"FlatColorAdjustment", &TKvCustomPanel::FlatColorAdjustment,
                 &TKvCustomPanel::SetFlatColorAdjustment, 30)
        .Reference<TKvFrameController>(u"FrameController", &TKvCustomPanel::FrameController,
                                       &TKvCustomPanel::SetFrameController)
        .SetOf<TKvFrameControllerProperty>(u"FrameControllerNotifications", kFrameControllerPropertyType,
                                           &TKvCustomPanel::FrameControllerNotifications,
                                           &TKvCustomPanel::SetFrameControllerNotifications, fccAll)
        .Color(u"GradientColorStart", &TKvCustomPanel::GradientColorStart, &TKvCustomPanel::SetGradientColorStart,
               0x00FFFFFF)
        .Color(u"GradientColorStop", &TKvCustomPanel::GradientColorStop, &TKvCustomPanel::SetGradientColorStop,
               clBtnFace)
        .Enumeration<TKvGradientColorStyle>(u"GradientColorStyle", kGradientColorStyleType,
                                            &TKvCustomPanel::GradientColorStyle,
                                            &TKvCustomPanel::SetGradientColorStyle, gcsSystem)
        .Enumeration<TGradientDirection>(u"GradientDirection", kGradientDirectionType,
                                         &TKvCustomPanel::GradientDirection, &TKvCustomPanel::SetGradientDirection,
                                         gdHorizontalEnd)
        .Color(u"GridColor", &TKvCustomPanel::GridColor, &TKvCustomPanel::SetGridColor, clBtnShadow)
        .Enumeration<TKvGridStyle>(u"GridStyle", kGridStyleType, &TKvCustomPanel::GridStyle,
                                   &TKvCustomPanel::SetGridStyle, gsDots)
        .Integer(u"GridXSize", &TKvCustomPanel::GridXSize, &TKvCustomPanel::SetGridXSize, 8)
        .Integer(u"GridYSize", &TKvCustomPanel::GridYSize, &TKvCustomPanel::SetGridYSize, 8)
        .Boolean(u"PaintClientArea", &TKvCustomPanel::PaintClientArea, &TKvCustomPanel::SetPaintClientArea, true)
        .Boolean(u"ShowDockClientCaptions", &TKvCustomPanel::ShowDockClientCaptions,
                 &TKvCustomPanel::SetShowDockClientCaptions, true)
        .Boolean(u"ShowGrid", &TKvCustomPanel::ShowGrid, &TKvCustomPanel::SetShowGrid, false)
        .Integer(u"TextMargin", &TKvCustomPanel::TextMargin, &TKvCustomPanel::SetTextMargin, 0)
        .Integer(u"TextMarginVertical", &TKvCustomPanel::TextMarginVertical, &TKvCustomPanel::SetTextMarginVertical,
                 0)
        .Boolean(u"Transparent", &TKvCustomPanel::Transparent, &TKvCustomPanel::SetTransparent, false)
        .Enumeration<TKvVisualStyle>(u"VisualStyle", kVisualStyleType, &TKvCustomPanel::VisualStyle,
                                     &TKvCustomPanel::SetVisualStyle, vsWinXP)
        .Boolean(u"WordWrap", &TKvCustomPanel::WordWrap, &TKvCustomPanel::SetWordWrap, true);

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

    RegisterToolbarClasses();
}

// ===========================================================================
// Toolbar
// ===========================================================================

const TEnumType kToolbarTextOptionsType{
    u"TKvToolbarTextOptions", {u"ttoNoTextLabels", u"ttoShowTextLabels", u"ttoSelectiveTextOnRight", u"ttoCustom"}};

// --- control list ------------------------------------------------------------

TKvToolbarControlList::TKvToolbarControlList(TKvToolbar* AToolbar) : FToolbar(AToolbar) {}

TKvToolbarControlList::~TKvToolbarControlList() {
    FTempControlList.reset();
    Clear();
}

int TKvToolbarControlList::IndexOf(TControl* Control) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->FControl == Control) return i;
    return -1;
}

int TKvToolbarControlList::IndexOfName(const String& ControlName) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Items(i)->FControlName, ControlName)) return i;
    return -1;
}

int TKvToolbarControlList::AddControl(TControl* Control) {
    const int listed = IndexOf(Control);
    if (listed >= 0) return listed;
    TKvToolbarControl* entry = CreateToolBarControl();
    entry->FControl = Control;
    entry->FControlName = Control->Name();
    return Add(entry);
}

int TKvToolbarControlList::AddControlName(const String& ControlName) {
    const int listed = IndexOfName(ControlName);
    if (listed >= 0) return listed;
    TKvToolbarControl* entry = CreateToolBarControl();
    entry->FControlName = ControlName;
    return Add(entry);
}

int TKvToolbarControlList::RemoveControl(TControl* Control) {
    const int index = IndexOf(Control);
    if (index >= 0) Delete(index);
    return index;
}

int TKvToolbarControlList::RemoveControlName(const String& ControlName) {
    const int index = IndexOfName(ControlName);
    if (index >= 0) Delete(index);
    return index;
}

void TKvToolbarControlList::Delete(int Index) {
    TKvToolbarControl* entry = Items(Index);
    TList::Delete(Index);
    delete entry;
}

void TKvToolbarControlList::Clear() {
    while (Count() > 0) Delete(Count() - 1);
}

TKvToolbarControl* TKvToolbarControlList::CreateToolBarControl() { return new TKvToolbarControl(); }

void TKvToolbarControlList::ReadControls(TReader& Reader) {
    if (!FTempControlList) FTempControlList = std::make_unique<TKvToolbarControlList>(FToolbar);
    FTempControlList->Clear();
    Reader.ReadListBegin();
    while (!Reader.EndOfList()) ReadControl(Reader);
    Reader.ReadListEnd();
}

void TKvToolbarControlList::ReadControl(TReader& Reader) { FTempControlList->AddControlName(Reader.ReadIdent()); }

void TKvToolbarControlList::WriteControls(TWriter& Writer) {
    Writer.WriteListBegin();
    // An entry that only carries a name (AddControlName) has no control to
    // name: it is skipped here as it is in the layout.
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->FControl) WriteControl(i, Writer);
    Writer.WriteListEnd();
}

// The control's name now: a renamed control is written under its new name.
void TKvToolbarControlList::WriteControl(int Index, TWriter& Writer) { Writer.WriteIdent(Items(Index)->FControl->Name()); }

void TKvToolbarControlList::ControlsAreLoaded(TComponent* OwnerComp) {
    auto addEveryChild = [this] {
        for (int i = 0; i < FToolbar->ControlCount(); ++i) {
            TControl* child = FToolbar->Controls(i);
            if (child != FToolbar->ToolbarPopupButton()) AddControl(child);
        }
    };
    if (!FTempControlList) {
        addEveryChild();
        return;
    }
    bool fromCopy = false;
    for (int i = 0; i < FTempControlList->Count(); ++i) {
        TKvToolbarControl* pending = FTempControlList->Items(i);
        auto* control = dynamic_cast<TControl*>(OwnerComp->FindComponent(pending->FControlName));
        if (!control) continue;
        if (control->Parent() == FToolbar) {
            Items(AddControl(control))->AssignElements(pending);
        } else {
            // The order was stored for a toolbar that this one was copied from.
            RemoveControlName(pending->FControlName);
            fromCopy = true;
        }
    }
    if (fromCopy) addEveryChild();
    FTempControlList.reset();
}

// --- spacer --------------------------------------------------------------------

TKvSpacer::TKvSpacer(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(Left(), Top(), 8, 25); }

void TKvSpacer::SetGrooved(bool Value) {
    if (ChangeValue(FGrooved, Value)) Invalidate();
}

void TKvSpacer::SetOrientation(TOrientation Value) {
    if (!ChangeValue(FOrientation, Value)) return;
    if (IsLoading()) return;
    SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TKvSpacer::Paint() {
    TCanvas& canvas = Canvas();
    const TRect r = Rect(0, 0, Width(), Height());
    if (!FGrooved) {
        // Otherwise invisible: outlined in the designer so that it can be picked.
        if (!IsDesigning()) return;
        canvas.Pen().SetStyle(psDot);
        canvas.Pen().SetColor(clBlack);
        canvas.Brush().SetStyle(bsClear);
        canvas.Rectangle(r);
        return;
    }
    const bool horizontalGroove = Width() > Height();
    if (ThemeServices().ThemesEnabled()) {
        const TThemedElement element = horizontalGroove ? ttbSeparatorVertNormal : ttbSeparatorNormal;
        ThemeServices().DrawElement(canvas.Handle(), ThemeServices().GetElementDetails(element), r);
        return;
    }
    canvas.Pen().SetStyle(psSolid);
    if (horizontalGroove) {
        const int y = (r.Bottom - r.Top) / 2 + r.Top - 1;
        canvas.Pen().SetColor(clBtnShadow);
        canvas.MoveTo(r.Left + 1, y);
        canvas.LineTo(r.Right, y);
        canvas.Pen().SetColor(clBtnHighlight);
        canvas.MoveTo(r.Left + 1, y + 1);
        canvas.LineTo(r.Right, y + 1);
    } else {
        const int x = (r.Right - r.Left) / 2 + r.Left - 1;
        canvas.Pen().SetColor(clBtnShadow);
        canvas.MoveTo(x, r.Top + 1);
        canvas.LineTo(x, r.Bottom);
        canvas.Pen().SetColor(clBtnHighlight);
        canvas.MoveTo(x + 1, r.Top + 1);
        canvas.LineTo(x + 1, r.Bottom);
    }
}

// --- customization captions ------------------------------------------------------

TKvCustomizeCaptions::TKvCustomizeCaptions()
    : FCaptions{u"Customize Toolbar", u"Uncheck to hide control", u"Close",           u"Move Up",
                u"Move Down",         u"Text Options",            u"No text labels", u"Show text labels",
                u"Selective text on right"} {}

String TKvCustomizeCaptions::GetCaption(int Index) const {
    return Index >= 1 && Index <= CaptionCount ? FCaptions[Index - 1] : String();
}

void TKvCustomizeCaptions::SetCaption(int Index, const String& Value) {
    if (Index >= 1 && Index <= CaptionCount) FCaptions[Index - 1] = Value;
    FStoreCaptions = true;
}

void TKvCustomizeCaptions::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TKvCustomizeCaptions*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    for (int i = 0; i < CaptionCount; ++i) FCaptions[i] = other->FCaptions[i];
    FStoreCaptions = other->FStoreCaptions;
}

// --- toolbar: construction ---------------------------------------------------------

TKvToolbar::TKvToolbar(TComponent* AOwner) : TKvCustomPanel(AOwner) {
    FShowDivider = true;
    WriteBorderFields(fsNone, fsGroove, TSides{sdTop});
    SetBorderWidth(0);
    SetAlign(alTop);  // AutoStyle and AutoResize are still off: only the alignment changes
    SetHeight(32);
    SetWidth(32);
    SetShowDockClientCaptions(false);
    SetFullRepaint(false);
    FRowHeight = 25;
    FMargin = 4;
    FTopMargin = 2;
    FAutoResize = true;
    FAutoStyle = true;
    FWrapControls = true;
    FOrientation = orHorizontal;
    FBackground = std::make_unique<TBitmap>();
    FBackground->OnChange = [this](TObject*) { Invalidate(); };
    FShowButtonCaptions = false;
    FButtonLayout = blGlyphLeft;
    FButtonWidth = 25;
    FButtonHeight = 25;
    FImagesChangeLink = std::make_unique<TChangeLink>();
    FImagesChangeLink->OnChange = [this](TObject* sender) { ImagesChange(sender); };
    FDisabledImagesChangeLink = std::make_unique<TChangeLink>();
    FDisabledImagesChangeLink->OnChange = [this](TObject* sender) { DisabledImagesChange(sender); };
    FTextOptions = ttoNoTextLabels;
    FCustomizeCaptions = std::make_unique<TKvCustomizeCaptions>();
    FConstructed = true;
}

TKvToolbar::~TKvToolbar() = default;

TKvToolbarControlList* TKvToolbar::CreateToolbarControlList() { return new TKvToolbarControlList(this); }

TKvToolbarControlList& TKvToolbar::ToolbarControls() {
    if (!FToolbarControls) FToolbarControls.reset(CreateToolbarControlList());
    return *FToolbarControls;
}

// --- toolbar: property writers ------------------------------------------------------

void TKvToolbar::SetAlign(TAlign Value) {
    if (FAutoStyle) AdjustStyle(Value);
    TKvCustomPanel::SetAlign(Value);
    if (!FAutoResize) return;
    // The realignment that follows lays out again and sizes the toolbar to its rows.
    if (Value == alLeft || Value == alRight) SetWidth(32);
    else SetHeight(32);
}

void TKvToolbar::SetAutoResize(bool Value) {
    CheckAutoResize(Value);
    if (!ChangeValue(FAutoResize, Value)) return;
    PositionControls();
}

void TKvToolbar::CheckAutoResize(bool& Value) {
    if (!Value || !Parent()) return;
    const String host = S(Parent()->ClassName());
    if (SameText(host, u"TPageScroller") || SameText(host, u"TToolbar")) Value = false;
}

void TKvToolbar::SetBackground(const TBitmap& Value) { FBackground->Assign(Value); }

void TKvToolbar::SetImages(TCustomImageList* Value) {
    ReplaceImageList(FImages, Value, *FImagesChangeLink, this);
    Invalidate();
}

void TKvToolbar::SetDisabledImages(TCustomImageList* Value) {
    ReplaceImageList(FDisabledImages, Value, *FDisabledImagesChangeLink, this);
    Invalidate();
}

// The buttons that draw from the toolbar's lists are painted on the
// toolbar: it is invalidated so that the new pictures show at once (an
// update alone would find nothing waiting to be painted).
void TKvToolbar::ImagesChange(TObject* Sender) {
    if (Sender != FImages) return;
    Invalidate();
    Update();
}

void TKvToolbar::DisabledImagesChange(TObject* Sender) {
    if (Sender != FDisabledImages) return;
    Invalidate();
    Update();
}

void TKvToolbar::SetMargin(int Value) {
    if (ChangeValue(FMargin, Value)) PositionControls();
}

void TKvToolbar::SetTopMargin(int Value) {
    if (ChangeValue(FTopMargin, Value)) PositionControls();
}

void TKvToolbar::SetRowHeight(int Value) {
    if (ChangeValue(FRowHeight, Value)) PositionControls();
}

void TKvToolbar::SetWrapControls(bool Value) {
    if (ChangeValue(FWrapControls, Value)) PositionControls();
}

void TKvToolbar::SetOrientation(TOrientation Value) {
    if (!ChangeValue(FOrientation, Value)) return;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* spacer = dynamic_cast<TKvSpacer*>(Controls(i))) spacer->SetOrientation(Value);
    PositionControls();
}

void TKvToolbar::SetShowDivider(bool Value) {
    if (!ChangeValue(FShowDivider, Value)) return;
    WriteBorderFields(BorderInner(), Value ? fsGroove : fsNone, BorderSides());
    Invalidate();
}

template <class V>
void TKvToolbar::ChangeButtonSetting(V& Field, V Value, unsigned Notification) {
    if (!ChangeValue(Field, Value)) return;
    NotifyControls(Notification);
    // Unless text options are being applied, the settings no longer match one.
    if (!FUpdatingTextOptions) FTextOptions = ttoCustom;
}

void TKvToolbar::SetShowButtonCaptions(bool Value) {
    ChangeButtonSetting(FShowButtonCaptions, Value, cm_ToolbarShowCaptionChanged);
}

void TKvToolbar::SetButtonLayout(TButtonLayout Value) {
    ChangeButtonSetting(FButtonLayout, Value, cm_ToolbarButtonLayoutChanged);
}

void TKvToolbar::SetButtonWidth(int Value) { ChangeButtonSetting(FButtonWidth, Value, cm_ToolbarButtonSizeChanged); }

void TKvToolbar::SetButtonHeight(int Value) { ChangeButtonSetting(FButtonHeight, Value, cm_ToolbarButtonSizeChanged); }

namespace {

struct TTextOptionLook {
    TButtonLayout layout;
    int width;
    int height;
    bool captions;
};

TTextOptionLook LookOf(TKvToolbarTextOptions option) {
    switch (option) {
        case ttoShowTextLabels: return {blGlyphTop, 60, 40, true};
        case ttoSelectiveTextOnRight: return {blGlyphLeft, 60, 25, true};
        default: return {blGlyphLeft, 25, 25, false};
    }
}

}  // namespace

void TKvToolbar::SetTextOptions(TKvToolbarTextOptions Value) {
    if (Value == FTextOptions) return;
    FUpdatingTextOptions = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{FUpdatingTextOptions};
    FTextOptions = Value;
    if (Value == ttoCustom) return;
    const TTextOptionLook look = LookOf(Value);
    SetButtonLayout(look.layout);
    UpdateButtonSize(look.width, look.height, look.captions);
    SetRowHeight(FOrientation == orHorizontal ? look.height : look.width);
}

void TKvToolbar::UpdateButtonSize(int NewWidth, int NewHeight, bool ShowCaptions) {
    SetShowButtonCaptions(ShowCaptions);
    SetButtonWidth(NewWidth);
    SetButtonHeight(NewHeight);
    // Tool buttons follow through the notifications; older toolbar button
    // classes that would be sized directly do not exist here.
    SetRowHeight(FOrientation == orHorizontal ? NewHeight : NewWidth);
}

void TKvToolbar::SetCustomizeCaptions(TKvCustomizeCaptions& Value) { FCustomizeCaptions->Assign(&Value); }

void TKvToolbar::SetRegIniFile(TKvRegIniFile* Value) {
    if (!ChangeValue(FRegIniFile, Value)) return;
    if (Value) Value->FreeNotification(this);
}

void TKvToolbar::SetBorderInner(TFrameStyleEx Value) {
    if (Value == BorderInner()) return;
    TKvCustomPanel::SetBorderInner(Value);
    FAutoStyle = false;
}

void TKvToolbar::SetBorderOuter(TFrameStyleEx Value) {
    if (Value == BorderOuter()) return;
    TKvCustomPanel::SetBorderOuter(Value);
    FAutoStyle = false;
}

void TKvToolbar::SetBorderSides(TSides Value) {
    if (Value == BorderSides()) return;
    TKvCustomPanel::SetBorderSides(Value);
    FAutoStyle = false;
}

void TKvToolbar::SetVisualStyle(TKvVisualStyle Value) {
    if (Value == VisualStyle()) return;
    TKvCustomPanel::SetVisualStyle(Value);
    NotifyControls(cm_ToolbarVisualStyleChanged);
}

void TKvToolbar::SetGradientColorStyle(TKvGradientColorStyle Value) {
    if (Value == GradientColorStyle()) return;
    TKvCustomPanel::SetGradientColorStyle(Value);
    NotifyControls(cm_ToolbarVisualStyleChanged);
}

void TKvToolbar::SetBiDiMode(TBiDiMode Value) {
    // The same mode again changes nothing, so there is nothing to lay out.
    if (Value == BiDiMode()) return;
    TKvCustomPanel::SetBiDiMode(Value);
    PositionControls();
}

void TKvToolbar::SetParent(TWinControl* AParent) {
    TKvCustomPanel::SetParent(AParent);
    // Leaving such a host does not turn AutoResize back on.
    CheckAutoResize(FAutoResize);
}

void TKvToolbar::ChangeScale(int M, int D) {
    TKvCustomPanel::ChangeScale(M, D);
    SetRowHeight(MulDiv(FRowHeight, M, D));
}

bool TKvToolbar::CanAutoSize(int& NewWidth, int& NewHeight) {
    if (!TKvCustomPanel::CanAutoSize(NewWidth, NewHeight)) return false;
    NewWidth += FMargin;
    return true;
}

TPoint TKvToolbar::InvalidateMarginSize() const {
    if (FOrientation == orHorizontal && !FWrapControls && FShowToolbarPopupButton) return {15, 1};
    return TKvCustomPanel::InvalidateMarginSize();
}

// --- toolbar: layout --------------------------------------------------------------------

void TKvToolbar::AdjustStyle(TAlign Value) {
    TSides sides{sdTop};
    if (Value == alLeft) sides = TSides{sdLeft};
    else if (Value == alRight) sides = TSides{sdRight};
    else if (Value == alBottom) sides = TSides{sdBottom};
    WriteBorderFields(fsNone, FShowDivider ? fsGroove : fsNone, sides);
    Invalidate();
}

int TKvToolbar::CalculateRowHeight(int Row) { return FRowHeight; }

void TKvToolbar::PositionControls() {
    // The constructor's own size changes come before any layout.
    if (!FConstructed) return;
    if (FOrientation == orHorizontal) PositionHorizontally();
    else PositionVertically();
}

namespace {

// Laid out: visible, or in the designer, where hidden controls keep their place.
bool TakesPlace(const TControl* control, bool designing) {
    return control && !control->IsDestroying() && (control->Visible() || designing);
}

}  // namespace

void TKvToolbar::PositionHorizontally() {
    TKvToolbarControlList& list = ToolbarControls();
    const int n = list.Count();
    const int w = Width();
    if (!FWrapControls && n > 0) {
        // The last visible control decides, at its place from the last layout.
        TControl* last = nullptr;
        for (int i = n - 1; i >= 0 && !last; --i) {
            TControl* c = list.Items(i)->Control();
            if (c && c->Visible()) last = c;
        }
        SetShowToolbarPopupButton(last && !AutoSize() && w - FMargin < last->Left() + last->Width());
    }
    int xOffset = FMargin, maxWidth = 0, row = 1;
    FCalculatedRowHeight = CalculateRowHeight(1);
    for (int index = 0; index < n; ++index) {
        TControl* c = list.Items(index)->Control();
        if (!TakesPlace(c, IsDesigning())) continue;
        if (index > 0 && FWrapControls && w - FMargin < xOffset + c->Width()) {
            xOffset = FMargin;
            ++row;
            FCalculatedRowHeight = CalculateRowHeight(row);
        }
        PositionControl(index, row, xOffset);
        maxWidth = std::max(maxWidth, xOffset);
    }
    AutoSizeToRows(maxWidth, row);
}

void TKvToolbar::PositionVertically() {
    TKvToolbarControlList& list = ToolbarControls();
    const int n = list.Count();
    const int h = Height();
    int yOffset = FMargin, maxHeight = 0, col = 1;
    FCalculatedRowHeight = CalculateRowHeight(1);
    for (int index = 0; index < n; ++index) {
        TControl* c = list.Items(index)->Control();
        if (!TakesPlace(c, IsDesigning())) continue;
        if (index > 0 && FWrapControls && h - FMargin < yOffset + c->Height()) {
            yOffset = FMargin;
            ++col;
            FCalculatedRowHeight = CalculateRowHeight(col);
        }
        PositionControl(index, col, yOffset);
        maxHeight = std::max(maxHeight, yOffset);
    }
    AutoSizeToRows(maxHeight, col);
}

void TKvToolbar::PositionControl(int Index, int Row, int& Offset) {
    TControl* c = ToolbarControls().Items(Index)->Control();
    if (!c || c->IsDestroying()) return;
    const bool margins = c->AlignWithMargins();
    if (FOrientation == orHorizontal) {
        if (margins) Offset += c->Margins().Left;
        const int y = (Row - 1) * FCalculatedRowHeight + FTopMargin + FRowHeight / 2 - c->Height() / 2;
        const int x = c->UseRightToLeftAlignment() ? Width() - c->Width() - Offset : Offset;
        c->SetBounds(x, y, c->Width(), c->Height());
        Offset += c->Width();
        if (margins) Offset += c->Margins().Right;
    } else {
        if (margins) Offset += c->Margins().Top;
        const int x = (Row - 1) * FCalculatedRowHeight + FMargin + FRowHeight / 2 - c->Width() / 2;
        c->SetBounds(x, Offset, c->Width(), c->Height());
        Offset += c->Height();
        if (margins) Offset += c->Margins().Bottom;
    }
}

void TKvToolbar::AutoSizeToRows(int MaxExtent, int Rows) {
    if (!FAutoResize) return;
    const TAlign align = Align();
    const bool sideways = align == alLeft || align == alRight;
    const bool across = align == alNone || align == alTop || align == alBottom;
    int w = Width(), h = Height();
    if (FOrientation == orHorizontal && sideways && MaxExtent > 0) w = FMargin + MaxExtent;
    else if (FOrientation == orHorizontal && across) h = FRowHeight * Rows + 2 * FTopMargin;
    else if (FOrientation == orVertical && sideways) w = FRowHeight * Rows + FTopMargin + 2;
    else if (FOrientation == orVertical && across && MaxExtent > 0) h = FMargin + MaxExtent;
    else return;
    if (w != Width() || h != Height()) Invalidate();
    SetBounds(Left(), Top(), w, h);
    ResizeParent();
}

void TKvToolbar::ResizeParent() {
    TWinControl* parent = Parent();
    if (!parent || !parent->Visible()) return;
    parent->HandleNeeded();
    int kind = 0;
    if (auto* form = dynamic_cast<TCustomForm*>(parent))
        kind = form->WindowState() == wsMaximized ? 2 : form->WindowState() == wsMinimized ? 1 : 0;
    const auto size = static_cast<std::intptr_t>((static_cast<std::uint32_t>(parent->Width()) & 0xFFFF) |
                                                 ((static_cast<std::uint32_t>(parent->Height()) & 0xFFFF) << 16));
    PostMessage(parent, WM_SIZE, kind, size);
}

void TKvToolbar::AlignControls(TControl* AControl, TRect& Rect) {
    if (!IsLoading() && FConstructed) {
        if (AControl && AControl->Parent() == this && AControl != FToolbarPopupButton)
            ToolbarControls().AddControl(AControl);
        PositionControls();
    }
    AlignToolbarPopupButton();
}

// --- toolbar: overflow button -------------------------------------------------------------

void TKvToolbar::SetShowToolbarPopupButton(bool Value) {
    if (!ChangeValue(FShowToolbarPopupButton, Value)) return;
    if (!FToolbarPopupButton) CreateToolbarPopupButton();
    if (FToolbarPopupButton) FToolbarPopupButton->SetVisible(Value);
    Invalidate();
}

// The overflow button comes with its own class; until then a toolbar shows
// none (a toolbar that wraps its controls never asks for one).
void TKvToolbar::CreateToolbarPopupButton() {}

void TKvToolbar::AlignToolbarPopupButton() {
    if (IsLoading() || IsReading() || !FShowToolbarPopupButton || FWrapControls || FOrientation == orVertical) return;
    if (!FToolbarPopupButton) return;
    FToolbarPopupButton->SetBounds(Width() - ToolbarPopupButtonWidth, 0, ToolbarPopupButtonWidth, Height());
    FToolbarPopupButton->SetVisible(true);
}

// --- toolbar: painting ------------------------------------------------------------------

void TKvToolbar::Paint() {
    if (VisualStyle() == vsWinXP && ThemeServices().ThemesEnabled()) {
        TColor frameColor;
        int frameColorAdjustment;
        GetGradientFrameColor(frameColor, frameColorAdjustment);
        DrawInnerOuterBorders(Canvas(), GetControlRect(), BorderOuter(), BorderInner(), BorderWidth(), BorderSides(),
                              BevelWidth(), BorderColor(), BorderHighlight(), BorderShadow(), frameColor,
                              frameColorAdjustment, Color(), Parent() ? Parent()->Color() : clBtnFace, Transparent(),
                              false);
        ThemeServices().DrawElement(Canvas().Handle(), ThemeServices().GetElementDetails(trRebarRoot), GetClientRect());
    } else {
        TKvCustomPanel::Paint();
        TileBackground();
    }
    if (FShowToolbarPopupButton && FToolbarPopupButton) FToolbarPopupButton->Invalidate();
}

void TKvToolbar::TileBackground() {
    const int bw = FBackground->Width(), bh = FBackground->Height();
    if (bw <= 0 || bh <= 0) return;
    const TRect client = GetClientRect();
    TRect r = client;
    FixClientRect(r, true);
    const int xTiles = client.Right / bw + (client.Right % bw > 0 ? 1 : 0);
    const int yTiles = client.Bottom / bh + (client.Bottom % bh > 0 ? 1 : 0);
    TCanvas& canvas = Canvas();
    // The clip is narrowed for the tiles only, also when drawing fails.
    struct Restore {
        TCanvas& canvas;
        int saved;
        ~Restore() { canvas.RestoreState(saved); }
    } restore{canvas, canvas.SaveState()};
    canvas.IntersectClipRect(r);
    for (int row = 0; row < yTiles; ++row)
        for (int col = 0; col < xTiles; ++col) canvas.Draw(r.Left + bw * col, r.Top + bh * row, *FBackground);
}

// --- toolbar: stored layouts, notifications, messages ----------------------------------

void TKvToolbar::DefineProperties(TFiler* Filer) {
    TKvCustomPanel::DefineProperties(Filer);
    Filer->DefineProperty(
        u"ToolbarControls", [this](TReader& r) { ToolbarControls().ReadControls(r); },
        [this](TWriter& w) { ToolbarControls().WriteControls(w); }, ToolbarControls().Count() > 0);
}

void TKvToolbar::Loaded() {
    TKvCustomPanel::Loaded();
    if (Owner()) ToolbarControls().ControlsAreLoaded(Owner());
    PositionControls();
    if (FAutoStyle) AdjustStyle(Align());
}

void TKvToolbar::Notification(TComponent* AComponent, TOperation Operation) {
    TKvCustomPanel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (!IsDestroying() && AComponent != this && dynamic_cast<TControl*>(AComponent) && FToolbarControls &&
        FToolbarControls->RemoveControl(static_cast<TControl*>(AComponent)) >= 0)
        PositionControls();
    // One list may serve in both roles: each reference is cleared.
    if (AComponent == FImages) SetImages(nullptr);
    if (AComponent == FDisabledImages) SetDisabledImages(nullptr);
    if (AComponent == FRegIniFile) FRegIniFile = nullptr;
}

void TKvToolbar::VisibleChanged() {
    if (OnVisibleChanged) OnVisibleChanged(this);
}

void TKvToolbar::WndProc(TMessage& Message) {
    const TBiDiMode readingOrder = BiDiMode();
    TKvCustomPanel::WndProc(Message);
    if (Message.Msg == CM_VISIBLECHANGED) VisibleChanged();
    // Following the parent's reading order changes the mode without the
    // writer; the controls are mirrored all the same.
    if (Message.Msg == CM_PARENTBIDIMODECHANGED && BiDiMode() != readingOrder) PositionControls();
}

// --- toolbar: registration --------------------------------------------------------------

namespace {

TPropInfo BackgroundProperty() {
    TPropInfo p;
    p.Name = u"Background";
    p.Kind = TPropKind::Integer;
    p.Read = [](TPersistent* o, TReader& r) {
        const std::vector<std::uint8_t> data = r.ReadBinary();
        TBitmap picture;
        if (!picture.LoadFromData(data.data(), data.size())) r.Error(u"Invalid image data");
        static_cast<TKvToolbar*>(o)->SetBackground(picture);
    };
    p.Write = [](TPersistent* o, TWriter& w) { w.WriteBinary(static_cast<TKvToolbar*>(o)->Background().SaveToData()); };
    p.IsDefault = [](TPersistent* o) { return static_cast<TKvToolbar*>(o)->Background().Empty(); };
    return p;
}

void RegisterToolbarClasses() {
    RegisterImageListClasses();

    TClassBuilder<TKvSpacer>(u"TKvSpacer", u"TGraphicControl")
        .Integer(u"Width", &TKvSpacer::Width, &TKvSpacer::SetWidth, 8)
        .Integer(u"Height", &TKvSpacer::Height, &TKvSpacer::SetHeight, 25)
        .Boolean(u"Grooved", &TKvSpacer::Grooved, &TKvSpacer::SetGrooved, false)
        .Enumeration<TOrientation>(u"Orientation", kOrientationType, &TKvSpacer::Orientation,
                                   &TKvSpacer::SetOrientation, orHorizontal);

    using C = TKvCustomizeCaptions;
    const auto stored = [](C& c) { return c.StoreCaptions(); };
    static const char16_t* const kCaptionNames[C::CaptionCount] = {
        u"Title",        u"Hint",         u"Close",          u"MoveUp",
        u"MoveDown",     u"TextOptions",  u"NoTextLabels",   u"ShowTextLabels",
        u"SelectiveTextOnRight"};
    TClassBuilder<C> captions(u"TKvCustomizeCaptions", u"");
    for (int i = 1; i <= C::CaptionCount; ++i)
        captions.Str(kCaptionNames[i - 1], [i](const C& c) { return c.GetCaption(i); },
                     [i](C& c, const String& v) { c.SetCaption(i, v); }, std::nullopt, stored);

    TClassBuilder<TKvRegIniFile>(u"TKvRegIniFile", u"");

    TClassBuilder<TKvToolbar>(u"TKvToolbar", u"TKvCustomPanel")
        .Integer(u"Width", &TKvToolbar::Width, &TKvToolbar::SetWidth, 32)
        .Integer(u"Height", &TKvToolbar::Height, &TKvToolbar::SetHeight, 32)
        .Enumeration<TAlign>(u"Align", kAlignType, &TKvToolbar::GetAlign, &TKvToolbar::SetAlign, alTop)
        // The edge carries no default: it is always stored.
        .Enumeration<TFrameStyleEx>(u"BorderInner", kFrameStyleExType, &TKvToolbar::BorderInner,
                                    &TKvToolbar::SetBorderInner)
        .Enumeration<TFrameStyleEx>(u"BorderOuter", kFrameStyleExType, &TKvToolbar::BorderOuter,
                                    &TKvToolbar::SetBorderOuter)
        .SetOf<TSide>(u"BorderSides", kSideType, &TKvToolbar::BorderSides, &TKvToolbar::SetBorderSides)
        .Integer(u"BorderWidth", &TKvToolbar::BorderWidth, &TKvToolbar::SetBorderWidth)
        .Boolean(u"FullRepaint", &TKvToolbar::FullRepaint, &TKvToolbar::SetFullRepaint, false)
        .Boolean(u"ShowDockClientCaptions", &TKvToolbar::ShowDockClientCaptions,
                 &TKvToolbar::SetShowDockClientCaptions, false)
        .Boolean(u"AutoResize", &TKvToolbar::AutoResize, &TKvToolbar::SetAutoResize, true)
        .Boolean(u"AutoStyle", &TKvToolbar::AutoStyle, &TKvToolbar::SetAutoStyle, true)
        .Custom(BackgroundProperty())
        .Persistent(u"CustomizeCaptions", [](TKvToolbar& t) -> TKvCustomizeCaptions& { return t.CustomizeCaptions(); })
        .Reference<TCustomImageList>(u"Images", &TKvToolbar::Images, &TKvToolbar::SetImages)
        .Reference<TCustomImageList>(u"DisabledImages", &TKvToolbar::DisabledImages, &TKvToolbar::SetDisabledImages)
        .Integer(u"Margin", &TKvToolbar::Margin, &TKvToolbar::SetMargin, 4)
        .Integer(u"TopMargin", &TKvToolbar::TopMargin, &TKvToolbar::SetTopMargin, 2)
        .Enumeration<TOrientation>(u"Orientation", kOrientationType, &TKvToolbar::Orientation,
                                   &TKvToolbar::SetOrientation, orHorizontal)
        .Integer(u"RowHeight", &TKvToolbar::RowHeight, &TKvToolbar::SetRowHeight, 25)
        .Enumeration<TButtonLayout>(u"ButtonLayout", kButtonLayoutType, &TKvToolbar::ButtonLayout,
                                    &TKvToolbar::SetButtonLayout, blGlyphLeft)
        .Integer(u"ButtonWidth", &TKvToolbar::ButtonWidth, &TKvToolbar::SetButtonWidth, 25)
        .Integer(u"ButtonHeight", &TKvToolbar::ButtonHeight, &TKvToolbar::SetButtonHeight, 25)
        .Reference<TKvRegIniFile>(u"RegIniFile", &TKvToolbar::RegIniFile, &TKvToolbar::SetRegIniFile)
        .Boolean(u"ShowButtonCaptions", &TKvToolbar::ShowButtonCaptions, &TKvToolbar::SetShowButtonCaptions, false)
        .Boolean(u"ShowDivider", &TKvToolbar::ShowDivider, &TKvToolbar::SetShowDivider, true)
        .Enumeration<TKvToolbarTextOptions>(u"TextOptions", kToolbarTextOptionsType, &TKvToolbar::TextOptions,
                                            &TKvToolbar::SetTextOptions, ttoNoTextLabels)
        .Boolean(u"WrapControls", &TKvToolbar::WrapControls, &TKvToolbar::SetWrapControls, true)
        .Event(u"OnVisibleChanged", &TKvToolbar::OnVisibleChanged);
}

}  // namespace
