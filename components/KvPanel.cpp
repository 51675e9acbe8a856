#include "KvPanel.h"

#include "KvGrafx.h"
#include "KvPanelClasses.h"
#include "ToolkitClasses.h"

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
// Registration
// ===========================================================================

namespace {

void RegisterBorderedPanels() {
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
}

}  // namespace

void RegisterKvPanelClasses() {
    RegisterClassesOnce(RegisterBorderedPanels);
    RegisterKvStatusBarClasses();
    RegisterKvRegIniFileClasses();
    RegisterKvToolbarClasses();
}
