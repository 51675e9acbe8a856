#include "KvPanel.h"

#include "Forms.h"
#include "KvGrafx.h"
#include "PopupWindows.h"

// ===========================================================================
// Popup tool button
// ===========================================================================

namespace {

TKvToolbar* ToolbarOwner(TComponent* AOwner) {
    if (!AOwner) return nullptr;
    auto* toolbar = dynamic_cast<TKvToolbar*>(AOwner);
    if (!toolbar) throw EInvalidCast();
    return toolbar;
}

}  // namespace

TKvPopupToolButton::TKvPopupToolButton(TComponent* AOwner) : TKvToolButton(AOwner), FToolbar(ToolbarOwner(AOwner)) {}

void TKvPopupToolButton::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TKvToolButton*>(Source);
    if (!source) {
        TKvToolButton::Assign(Source);
        return;
    }
    if (FMappedButton) FMappedButton->RemoveFreeNotification(this);
    FMappedButton = source;
    source->FreeNotification(this);
    // The copy has no parent yet, so the writers only store their values;
    // the order matters for their side effects (ToolStyle resets GroupIndex
    // and changes the width, the final Width overrides that).
    SetAlignment(source->Alignment());
    SetAllowAllUp(source->AllowAllUp());
    SetBiDiMode(source->BiDiMode());
    SetCaption(source->Caption());
    SetColor(source->Color());
    SetDisabledIndex(source->DisabledIndex());
    SetDown(source->Down());
    SetDownIndex(source->DownIndex());
    SetDropDownMenu(source->DropDownMenu());
    SetEnabled(source->Enabled());
    SetFlat(source->Flat());
    SetFont(source->Font());
    SetGradientColorStyle(source->GradientColorStyle());
    SetGroupIndex(source->GroupIndex());
    SetHeight(source->GetHeight());
    SetHint(source->Hint());
    SetHotIndex(source->HotIndex());
    SetImageIndex(source->ImageIndex());
    SetImages(source->Images());
    SetDisabledImages(source->DisabledImages());
    SetLayout(source->Layout());
    SetParentBiDiMode(source->ParentBiDiMode());
    SetParentFont(source->ParentFont());
    SetParentShowHint(source->ParentShowHint());
    SetSelectionColorStart(source->SelectionColorStart());
    SetSelectionColorStop(source->SelectionColorStop());
    SetSelectionFrameColor(source->SelectionFrameColor());
    SetShowCaption(source->ShowCaption());
    SetShowHint(source->ShowHint());
    Tag = source->Tag;
    SetToolStyle(source->ToolStyle());
    SetTransparent(source->Transparent());
    SetUseToolbarButtonLayout(source->UseToolbarButtonLayout());
    SetUseToolbarButtonSize(source->UseToolbarButtonSize());
    SetUseToolbarShowCaption(source->UseToolbarShowCaption());
    SetUseToolbarVisualStyle(source->UseToolbarVisualStyle());
    SetVisible(source->Visible());
    SetVisualStyle(source->VisualStyle());
    SetWidth(source->GetWidth());
}

void TKvPopupToolButton::Click() {
    if (FToolbarPopupButton) FToolbarPopupButton->SetSelectedButton(FMappedButton);
    if (FToolbar) FToolbar->Click();
}

void TKvPopupToolButton::Notification(TComponent* AComponent, TOperation Operation) {
    TKvToolButton::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FMappedButton) FMappedButton = nullptr;
}

// ===========================================================================
// Overflow button
// ===========================================================================

TKvToolbarPopupButton::TKvToolbarPopupButton(TComponent* AOwner)
    : TCustomControl(AOwner), FToolbar(dynamic_cast<TKvToolbar*>(AOwner)) {
    FFrameColor = clBtnShadow;
}

TKvToolbarPopupButton::~TKvToolbarPopupButton() = default;

void TKvToolbarPopupButton::SetFrameColor(TColor Value) {
    if (ChangeValue(FFrameColor, Value)) Invalidate();
}

void TKvToolbarPopupButton::SetSelectedButton(TKvToolButton* Value) {
    if (FSelectedButton == Value) return;
    if (FSelectedButton) FSelectedButton->RemoveFreeNotification(this);
    FSelectedButton = Value;
    if (Value) Value->FreeNotification(this);
}

void TKvToolbarPopupButton::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FSelectedButton) FSelectedButton = nullptr;
}

void TKvToolbarPopupButton::WndProc(TMessage& Message) {
    // The whole face is painted in Paint: the background is left alone.
    if (Message.Msg == WM_ERASEBKGND) {
        Message.Result = 1;
        return;
    }
    TCustomControl::WndProc(Message);
}

// --- painting --------------------------------------------------------------------

bool TKvToolbarPopupButton::ThemedToolbar() const {
    return FToolbar && FToolbar->VisualStyle() == vsWinXP && ThemeServices().ThemesEnabled();
}

void TKvToolbarPopupButton::Paint() {
    const TRect r = ClientRect();
    DrawBackground(r, FDown);
    // The themed chevron element carries its own arrow.
    if (!ThemedToolbar()) DrawChevron(r);
}

void TKvToolbarPopupButton::DrawBackground(const TRect& Bounds, bool Down) {
    if (!FToolbar) return;
    TCanvas& canvas = Canvas();
    if (ThemedToolbar()) {
        TThemeServices& themes = ThemeServices();
        themes.DrawElement(canvas.Handle(), themes.GetElementDetails(trRebarRoot), Bounds);
        themes.DrawElement(canvas.Handle(), themes.GetElementDetails(Down ? trChevronPressed : trChevronNormal),
                           Bounds);
        return;
    }
    const TRect inner = DrawBox(canvas, Bounds, FFrameColor);
    if (FToolbar->VisualStyle() != vsGradient) {
        canvas.Brush().SetColor(Down ? DarkerColor(FToolbar->Color(), 20) : FToolbar->Color());
        canvas.FillRect(inner);
        return;
    }
    TColor start = FToolbar->GradientColorStart(), stop = FToolbar->GradientColorStop();
    if (FToolbar->GradientColorStyle() != gcsCustom) GetGradientPanelColors(FToolbar->GradientColorStyle(), start, stop);
    // Pressed, the gradient runs the other way.
    if (Down) std::swap(start, stop);
    PaintGradient(canvas, inner, FToolbar->GradientDirection(), start, stop, 1);
}

namespace {

// The colour of the theme's drop-down arrow, read from the combo-box button
// element drawn off screen; too close to the window colour it would not show.
TColor ThemedArrowColor() {
    TBitmap scratch(17, 21);
    TThemeServices& themes = ThemeServices();
    themes.DrawElement(scratch.Canvas().Handle(), themes.GetElementDetails(tcDropDownButtonNormal), Rect(0, 0, 16, 20));
    const TColor color = scratch.Canvas().Pixel(8, 10);
    return ColorsTooClose(color, clWindow) ? cl3DDkShadow : color;
}

}  // namespace

void TKvToolbarPopupButton::DrawChevron(const TRect& Bounds) {
    TCanvas& canvas = Canvas();
    const TColor savedBrush = canvas.Brush().Color();
    const bool themed = ThemeServices().ThemesEnabled();
    const TColor color = themed ? ThemedArrowColor() : clBlack;
    canvas.Brush().SetColor(color);
    canvas.Pen().SetStyle(psClear);
    const int x = (Bounds.Right - Bounds.Left) / 2 + Bounds.Left;
    // Pressed, the chevron sits one pixel lower.
    const int y = Bounds.Bottom - 4 + (FDown ? 1 : 0);
    if (themed) {
        canvas.FillRect(Rect(x - 3, y - 6, x + 4, y - 5));
        canvas.Polygon({{x, y}, {x - 3, y - 4}, {x, y - 4}, {x, y - 3}, {x + 1, y - 4}, {x + 4, y - 4}});
    } else {
        // A bar over a triangle of widths 1, 3, 5 and 7 pointing down.
        canvas.FillRect(Rect(x - 3, y - 5, x + 4, y - 4));
        for (int row = 0; row <= 3; ++row)
            for (int dx = -row; dx <= row; ++dx) canvas.SetPixel(x + dx, y - row, color);
    }
    canvas.Pen().SetStyle(psSolid);
    canvas.Brush().SetColor(savedBrush);
}

// --- mouse -------------------------------------------------------------------------

void TKvToolbarPopupButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    FPressed = true;
    FDown = true;
    Invalidate();
    SetMouseCapture(true);
}

void TKvToolbarPopupButton::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (!FPressed) return;
    const bool inside = ClientRect().Contains({X, Y});
    if (inside == FDown) return;
    FDown = inside;
    Invalidate();
}

void TKvToolbarPopupButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    ReleaseCapture();
    FPressed = false;
    // Released outside, the button opens nothing.
    if (!FDown) return;
    FDown = false;
    DisplayButtons();
    Invalidate();
}

// --- the popup ---------------------------------------------------------------------

namespace {

// The temporary toolbar takes the source's look, in this order (the border
// writes turn its AutoStyle off); it keeps its own wrapping and auto size,
// so it shows three buttons a row and grows by rows.
void TakeToolbarLook(TKvToolbar& t, TKvToolbar& source) {
    t.SetBorderOuter(fsFlat);
    t.SetBorderSides(sdAllSides);
    t.SetAlign(alNone);
    t.SetWidth(source.ButtonWidth() * 3 + 8);
    t.SetBackground(source.Background());
    t.SetBiDiMode(source.BiDiMode());
    t.SetButtonHeight(source.ButtonHeight());
    t.SetButtonLayout(source.ButtonLayout());
    t.SetButtonWidth(source.ButtonWidth());
    t.SetColor(source.VisualStyle() == vsGradient ? clWindow : source.Color());
    t.SetGradientColorStart(source.GradientColorStart());
    t.SetGradientColorStop(source.GradientColorStop());
    t.SetGradientColorStyle(source.GradientColorStyle());
    t.SetGradientDirection(source.GradientDirection());
    t.SetImages(source.Images());
    t.SetDisabledImages(source.DisabledImages());
    t.SetRowHeight(source.RowHeight());
    t.SetShowButtonCaptions(source.ShowButtonCaptions());
    t.SetShowHint(source.ShowHint());
    t.SetTextOptions(source.TextOptions());
    t.SetVisualStyle(source.VisualStyle());
}

// Copied: visible tool buttons whose right edge passes the right margin.
bool Overflows(const TControl* control, const TKvToolbar& source) {
    return dynamic_cast<const TKvToolButton*>(control) && control->Visible() &&
           control->Left() + control->Width() > source.Width() - source.Margin();
}

}  // namespace

void TKvToolbarPopupButton::DisplayButtons() {
    TCustomForm* form = GetParentForm(this);
    if (!form || !FToolbar) return;
    // Freed at the end, with the temporary toolbar and every copy, also
    // when an error passes.
    TOwned<TKvPopupPanel> panel(new TKvPopupPanel(this));
    auto* t = new TKvToolbar(panel.get());
    t->SetParent(panel.get());
    TakeToolbarLook(*t, *FToolbar);
    TKvToolbarControlList& controls = FToolbar->ToolbarControls();
    for (int i = 0; i < controls.Count(); ++i) {
        auto* control = controls.Items(i)->Control();
        if (!Overflows(control, *FToolbar)) continue;
        auto* source = static_cast<TKvToolButton*>(control);
        auto* copy = new TKvPopupToolButton(t);
        copy->SetToolbarPopupButton(this);
        copy->Assign(source);
        copy->OnClick = source->OnClick;
        copy->SetParent(t);
        t->ToolbarControls().AddControl(copy);
    }
    panel->SetParent(form);
    panel->Font().SetName(Font().Name());
    panel->Font().SetColor(Font().Color());
    t->HandleNeeded();
    t->SetVisible(true);
    TKvPopupPanel* popup = panel.get();
    t->OnClick = [popup](TObject* Sender) { popup->Close(Sender); };
    SetSelectedButton(nullptr);
    popup->Popup(this);
    // The real button is clicked once, with the popup gone from the screen.
    if (FSelectedButton) FSelectedButton->Click();
}

// --- the toolbar's side ------------------------------------------------------------

void TKvToolbar::CreateToolbarPopupButton() {
    auto* button = new TKvToolbarPopupButton(this);
    // Known as the overflow button before it joins: the layout leaves it out.
    FToolbarPopupButton = button;
    button->SetParent(this);
    button->SetControlStyle(button->ControlStyle() + csNoDesignVisible);
    button->SetFrameColor(AdjustColor(FlatColor(), FlatColorAdjustment()));
}
