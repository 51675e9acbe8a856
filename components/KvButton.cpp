#include "KvButton.h"

#include <algorithm>

#include "Forms.h"
#include "KvGrafx.h"
#include "KvPanel.h"
#include "TickCount.h"
#include "ToolkitClasses.h"

const TEnumType kToolStyleType{u"TKvToolStyle", {u"tsButton", u"tsDropDown"}};

namespace {

// Text flags of the caption: centred both ways, broken at words, tabs expanded.
constexpr unsigned kCaptionFlags = DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_EXPANDTABS;
// Gap between glyph and caption.
constexpr int kGlyphGap = 4;

}  // namespace

// ---------------------------------------------------------------------------
// Action link

TKvToolButtonActionLink::TKvToolButtonActionLink(TObject* AClient) : TControlActionLink(AClient) {
    TKvToolButtonActionLink::AssignClient(AClient);
}

void TKvToolButtonActionLink::AssignClient(TObject* AClient) {
    TControlActionLink::AssignClient(AClient);
    FClient = dynamic_cast<TKvToolButton*>(AClient);
}

bool TKvToolButtonActionLink::IsCheckedLinked() const {
    auto* action = dynamic_cast<TCustomAction*>(Action());
    return TControlActionLink::IsCheckedLinked() && FClient && action && action->Checked() == FClient->Down();
}

bool TKvToolButtonActionLink::IsImageIndexLinked() const {
    auto* action = dynamic_cast<TCustomAction*>(Action());
    return TControlActionLink::IsImageIndexLinked() && FClient && action &&
           action->ImageIndex() == FClient->ImageIndex();
}

void TKvToolButtonActionLink::SetChecked(bool Value) {
    if (IsCheckedLinked()) FClient->SetDown(Value);
}

void TKvToolButtonActionLink::SetImageIndex(int Value) {
    if (IsImageIndexLinked()) FClient->SetImageIndex(Value);
}

// ---------------------------------------------------------------------------
// Construction

TKvToolButton::TKvToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(TControlStyle{csCaptureMouse});
    SetWidth(25);
    SetHeight(25);
    FUseToolbarButtonSize = true;
    FAlignment = taCenter;
    FLayout = blGlyphLeft;
    FUseToolbarButtonLayout = true;
    FShowCaption = false;
    FUseToolbarShowCaption = true;
    SetColor(clBtnFace);
    FVisualStyle = vsWinXP;
    FGradientColorStyle = gcsSystem;
    FUseToolbarVisualStyle = true;
    FSelectionColorStart = clBtnFace;
    FSelectionColorStop = clBtnShadow;
    FSelectionFrameColor = cl3DDkShadow;
    FTransparent = true;
    FImagesChangeLink = std::make_unique<TChangeLink>();
    FImagesChangeLink->OnChange = [this](TObject* sender) { ImagesChange(sender); };
    FDisabledImagesChangeLink = std::make_unique<TChangeLink>();
    FDisabledImagesChangeLink->OnChange = [this](TObject* sender) { DisabledImagesChange(sender); };
    FImageIndex = FDownIndex = FDisabledIndex = FHotIndex = -1;
    FMouseOverButton = false;
    FInDoDropDown = false;
    FFlat = true;
    SetDragMode(dmManual);
    FToolStyle = tsButton;
    FTreatAsNormal = true;
}

TKvToolButton::~TKvToolButton() = default;

TKvToolbar* TKvToolButton::ParentToolbar() const { return dynamic_cast<TKvToolbar*>(Parent()); }

// ---------------------------------------------------------------------------
// Property writers

void TKvToolButton::SetAllowAllUp(bool Value) {
    if (ChangeValue(FAllowAllUp, Value)) UpdateExclusive();
}

void TKvToolButton::SetAlignment(TAlignment Value) {
    if (ChangeValue(FAlignment, Value)) Invalidate();
}

void TKvToolButton::SetDisabledIndex(int Value) {
    if (ChangeValue(FDisabledIndex, Value)) Invalidate();
}

void TKvToolButton::SetGradientColorStyle(TKvGradientColorStyle Value) {
    if (ChangeValue(FGradientColorStyle, Value)) Invalidate();
}

void TKvToolButton::SetSelectionColorStart(TColor Value) {
    if (ChangeValue(FSelectionColorStart, Value)) Invalidate();
}

void TKvToolButton::SetSelectionColorStop(TColor Value) {
    if (ChangeValue(FSelectionColorStop, Value)) Invalidate();
}

void TKvToolButton::SetSelectionFrameColor(TColor Value) {
    if (ChangeValue(FSelectionFrameColor, Value)) Invalidate();
}

void TKvToolButton::SetGroupIndex(int Value) {
    // A drop-down button never belongs to a group.
    if (ChangeValue(FGroupIndex, FToolStyle == tsDropDown ? 0 : Value)) UpdateExclusive();
}

void TKvToolButton::SetDown(bool Value) {
    if (FGroupIndex == 0) Value = false;
    if (Value == FDown) return;
    // A latched member of a group that does not allow all up stays down.
    if (FDown && !FAllowAllUp) return;
    FDown = Value;
    if (Value) {
        if (FState == tbsUp) Invalidate();
        FState = tbsExclusive;
        UpdateExclusive();
    } else {
        FState = tbsUp;
        Repaint();
    }
}

void TKvToolButton::SetDownIndex(int Value) {
    if (ChangeValue(FDownIndex, Value)) Invalidate();
}

void TKvToolButton::SetDropDownMenu(TPopupMenu* Value) {
    if (!ChangeValue(FDropDownMenu, Value)) return;
    if (Value) Value->FreeNotification(this);
}

void TKvToolButton::SetFlat(bool Value) {
    if (ChangeValue(FFlat, Value)) Repaint();
}

void TKvToolButton::SetHotIndex(int Value) {
    if (ChangeValue(FHotIndex, Value)) Invalidate();
}

void TKvToolButton::SetImageIndex(int Value) {
    if (ChangeValue(FImageIndex, Value)) Invalidate();
}

void TKvToolButton::SetImages(TCustomImageList* Value) {
    ReplaceImageList(FImages, Value, *FImagesChangeLink, this);
    if (FImages) CheckMinSize();
    Invalidate();
}

void TKvToolButton::SetDisabledImages(TCustomImageList* Value) {
    ReplaceImageList(FDisabledImages, Value, *FDisabledImagesChangeLink, this);
    Invalidate();
}

void TKvToolButton::CheckMinSize() {
    if (!FImages) return;
    if (GetWidth() < FImages->Width()) SetWidth(FImages->Width());
    if (GetHeight() < FImages->Height()) SetHeight(FImages->Height());
}

void TKvToolButton::ImagesChange(TObject* Sender) {
    if (Sender != FImages) return;
    CheckMinSize();
    Invalidate();
}

void TKvToolButton::DisabledImagesChange(TObject* Sender) {
    if (Sender == FDisabledImages) Invalidate();
}

void TKvToolButton::SetLayout(TButtonLayout Value) {
    if (!ChangeValue(FLayout, Value)) return;
    if (!IsReading()) FUseToolbarButtonLayout = false;
    Invalidate();
}

void TKvToolButton::SetShowCaption(bool Value) {
    if (!ChangeValue(FShowCaption, Value)) return;
    FUseToolbarShowCaption = false;
    Invalidate();
}

void TKvToolButton::SetTransparent(bool Value) {
    if (ChangeValue(FTransparent, Value)) Invalidate();
}

namespace {

// Stores a toolbar-link flag; a button that starts following again takes
// the toolbar's value at once.
void ChangeLinkFlag(TKvToolButton& button, bool& field, bool value, unsigned notification) {
    if (!ChangeValue(field, value)) return;
    if (button.Parent() && !button.IsReading()) button.Perform(notification);
    button.Invalidate();
}

}  // namespace

void TKvToolButton::SetUseToolbarButtonLayout(bool Value) {
    ChangeLinkFlag(*this, FUseToolbarButtonLayout, Value, cm_ToolbarButtonLayoutChanged);
}

void TKvToolButton::SetUseToolbarButtonSize(bool Value) {
    ChangeLinkFlag(*this, FUseToolbarButtonSize, Value, cm_ToolbarButtonSizeChanged);
}

void TKvToolButton::SetUseToolbarShowCaption(bool Value) {
    ChangeLinkFlag(*this, FUseToolbarShowCaption, Value, cm_ToolbarShowCaptionChanged);
}

void TKvToolButton::SetUseToolbarVisualStyle(bool Value) {
    ChangeLinkFlag(*this, FUseToolbarVisualStyle, Value, cm_ToolbarVisualStyleChanged);
}

void TKvToolButton::SetToolStyle(TKvToolStyle Value) {
    if (!ChangeValue(FToolStyle, Value)) return;
    FGroupIndex = 0;
    if (!IsLoading()) {
        // The arrow part widens or narrows the button; that alone does not
        // stop it following the toolbar's size.
        const bool following = FUseToolbarButtonSize;
        SetWidth(Value == tsButton ? GetWidth() - ArrowRegionWidth : GetWidth() + ArrowRegionWidth);
        FUseToolbarButtonSize = following;
    }
    Invalidate();
}

void TKvToolButton::SetVisualStyle(TKvVisualStyle Value) {
    if (!ChangeValue(FVisualStyle, Value)) return;
    FUseToolbarVisualStyle = false;
    Invalidate();
}

void TKvToolButton::SetWidth(int Value) {
    if (Value == GetWidth()) return;
    TControl::SetWidth(Value);
    if (!IsLoading()) FUseToolbarButtonSize = false;
    Invalidate();
}

void TKvToolButton::SetHeight(int Value) {
    if (Value == GetHeight()) return;
    TControl::SetHeight(Value);
    if (!IsLoading()) FUseToolbarButtonSize = false;
    Invalidate();
}

// ---------------------------------------------------------------------------
// Images and geometry

TCustomImageList* TKvToolButton::ImageList() const {
    if (FImages) return FImages;
    const TKvToolbar* toolbar = ParentToolbar();
    return toolbar ? toolbar->Images() : nullptr;
}

TCustomImageList* TKvToolButton::DisabledImageList() const {
    if (FDisabledImages) return FDisabledImages;
    const TKvToolbar* toolbar = ParentToolbar();
    return toolbar ? toolbar->DisabledImages() : nullptr;
}

TPoint TKvToolButton::GetImageSize() {
    const TCustomImageList* list = ImageList();
    if (FImageIndex == -1 || !list) return {0, 0};
    return {list->Width(), list->Height()};
}

bool TKvToolButton::IsSplit() const { return FToolStyle == tsDropDown && (OnClick || Action()); }

void TKvToolButton::GetImageAndCaptionRects(TRect& ImageRect, TRect& CaptionRect) {
    TRect btn = Rect(0, 0, GetWidth(), GetHeight());
    if (FToolStyle == tsDropDown) {
        if (UseRightToLeftAlignment()) btn.Left += ArrowRegionWidth;
        else btn.Right -= ArrowRegionWidth;
    }
    btn = InflateRect(btn, -2, -2);
    const TPoint imageSize = GetImageSize();
    const int iw = imageSize.X, ih = imageSize.Y;
    Canvas().Font().Assign(Font());

    int alignmentOffset;
    if (FShowCaption && !Caption().empty()) {
        TRect text = btn;
        switch (FLayout) {
            case blGlyphLeft: text.Left += iw; break;
            case blGlyphRight: text.Right -= iw; break;
            case blGlyphTop: text.Top += ih; break;
            case blGlyphBottom: text.Bottom -= ih; break;
        }
        DrawString(Canvas(), Caption(), text, kCaptionFlags | DT_CALCRECT);
        const int tw = text.Width(), th = text.Height();
        const int w = btn.Width(), h = btn.Height();
        int imageLeft = 0, imageTop = 0, textLeft = 0, textTop = 0;
        switch (FLayout) {
            case blGlyphLeft:
                imageLeft = btn.Left + (w - (iw + kGlyphGap + tw)) / 2;
                imageTop = btn.Top + (h - ih) / 2;
                textLeft = imageLeft + iw + kGlyphGap;
                textTop = btn.Top + (h - th) / 2;
                alignmentOffset = (iw != 0 ? imageLeft : textLeft) - kGlyphGap;
                break;
            case blGlyphRight:
                imageLeft = btn.Right - iw - (w - (iw + kGlyphGap + tw)) / 2;
                imageTop = btn.Top + (h - ih) / 2;
                textLeft = imageLeft - tw - kGlyphGap;
                textTop = btn.Top + (h - th) / 2;
                alignmentOffset = textLeft - kGlyphGap;
                break;
            case blGlyphTop:
                imageLeft = btn.Left + (w - iw) / 2;
                imageTop = btn.Top + (h - (ih + kGlyphGap + th)) / 2;
                textLeft = btn.Left + (w - tw) / 2;
                textTop = imageTop + ih + kGlyphGap;
                alignmentOffset = std::min(imageLeft, textLeft) - kGlyphGap;
                break;
            case blGlyphBottom:
            default:
                imageLeft = btn.Left + (w - iw) / 2;
                imageTop = btn.Bottom - ih - (h - (ih + kGlyphGap + th)) / 2;
                textLeft = btn.Left + (w - tw) / 2;
                textTop = imageTop - th - kGlyphGap;
                alignmentOffset = std::min(imageLeft, textLeft) - kGlyphGap;
                break;
        }
        ImageRect = Rect(imageLeft, imageTop, imageLeft + iw, imageTop + ih);
        CaptionRect = Rect(textLeft, textTop, textLeft + tw, textTop + th);
    } else {
        ImageRect = CenterRect(btn, iw, ih);
        CaptionRect = Rect(0, 0, 0, 0);
        alignmentOffset = ImageRect.Left - kGlyphGap;
    }

    if (FAlignment == taLeftJustify) {
        ImageRect = OffsetRect(ImageRect, -alignmentOffset, 0);
        CaptionRect = OffsetRect(CaptionRect, -alignmentOffset, 0);
    } else if (FAlignment == taRightJustify) {
        ImageRect = OffsetRect(ImageRect, alignmentOffset, 0);
        CaptionRect = OffsetRect(CaptionRect, alignmentOffset, 0);
    }

    const bool pressed = FState == tbsDown || FState == tbsExclusive || (FState == tbsDropDown && !IsSplit());
    if (pressed && FVisualStyle != vsGradient) {
        const int dy = ThemedLook() ? 0 : 1;
        ImageRect = OffsetRect(ImageRect, 1, dy);
        CaptionRect = OffsetRect(CaptionRect, 1, dy);
    }
}

// ---------------------------------------------------------------------------
// Toolbar link

void TKvToolButton::PickupToolbarStyles() {
    if (!Parent()) return;
    Perform(cm_ToolbarShowCaptionChanged);
    Perform(cm_ToolbarButtonLayoutChanged);
    Perform(cm_ToolbarButtonSizeChanged);
    Perform(cm_ToolbarVisualStyleChanged);
}

void TKvToolButton::ToolbarShowCaptionChanged() {
    const TKvToolbar* toolbar = ParentToolbar();
    if (!FUseToolbarShowCaption || !toolbar) return;
    SetShowCaption(toolbar->ShowButtonCaptions());
    FUseToolbarShowCaption = true;
}

void TKvToolButton::ToolbarButtonLayoutChanged() {
    const TKvToolbar* toolbar = ParentToolbar();
    if (!FUseToolbarButtonLayout || !toolbar) return;
    SetLayout(toolbar->ButtonLayout());
    FUseToolbarButtonLayout = true;
}

void TKvToolButton::ToolbarButtonSizeChanged() {
    const TKvToolbar* toolbar = ParentToolbar();
    if (!FUseToolbarButtonSize || !toolbar) return;
    int w = toolbar->ButtonWidth();
    if (FShowCaption) {
        Canvas().Font().Assign(Font());
        const int textWidth = Canvas().TextWidth(Caption());
        if (FLayout == blGlyphLeft || FLayout == blGlyphRight) w = std::max(w, GetImageSize().X + textWidth + 12);
        else w = std::max(w, textWidth + 8);
    }
    if (FToolStyle == tsDropDown) w += ArrowRegionWidth;
    SetWidth(w);
    SetHeight(toolbar->ButtonHeight());
    FUseToolbarButtonSize = true;
}

void TKvToolButton::ToolbarVisualStyleChanged() {
    const TKvToolbar* toolbar = ParentToolbar();
    if (!FUseToolbarVisualStyle || !toolbar) return;
    SetVisualStyle(toolbar->VisualStyle());
    SetGradientColorStyle(toolbar->GradientColorStyle());
    FUseToolbarVisualStyle = true;
}

bool TKvToolButton::IsSizeStored() const {
    const TKvToolbar* toolbar = ParentToolbar();
    return !(FUseToolbarButtonSize && toolbar && GetWidth() == toolbar->ButtonWidth() &&
             GetHeight() == toolbar->ButtonHeight());
}

bool TKvToolButton::IsCheckedStored() const {
    const auto* link = dynamic_cast<const TKvToolButtonActionLink*>(ActionLink());
    return !link || !link->IsCheckedLinked();
}

bool TKvToolButton::IsImageIndexStored() const {
    const auto* link = dynamic_cast<const TKvToolButtonActionLink*>(ActionLink());
    return !link || !link->IsImageIndexLinked();
}

void TKvToolButton::SetParent(TWinControl* AParent) {
    TGraphicControl::SetParent(AParent);
    if (!IsLoading()) PickupToolbarStyles();
}

void TKvToolButton::Loaded() {
    TGraphicControl::Loaded();
    PickupToolbarStyles();
}

// ---------------------------------------------------------------------------
// Actions

TControlActionLinkClass TKvToolButton::GetActionLinkClass() const { return &TKvToolButtonActionLink::Create; }

void TKvToolButton::ActionChange(TObject* Sender, bool CheckDefaults) {
    TGraphicControl::ActionChange(Sender, CheckDefaults);
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action) return;
    if (!CheckDefaults || !FDown) SetDown(action->Checked());
    if (!CheckDefaults || FImageIndex == -1) SetImageIndex(action->ImageIndex());
}

void TKvToolButton::AssignTo(TPersistent* Dest) {
    TGraphicControl::AssignTo(Dest);
    if (auto* action = dynamic_cast<TCustomAction*>(Dest)) {
        action->SetChecked(FDown);
        action->SetImageIndex(FImageIndex);
    }
}

// ---------------------------------------------------------------------------
// Mouse, keyboard, groups

bool TKvToolButton::Inside(int X, int Y) const { return X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight(); }

void TKvToolButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (FToolStyle == tsDropDown) {
        if (IsDropDownPress(Shift, X)) DropDownPress(Button, Shift, X, Y);
        else FacePress(Button);
        return;
    }
    if (Button != mbLeft || !Enabled()) return;
    if (!FDown || FState == tbsExclusive) {
        FState = tbsDown;
        Invalidate();
    }
    FDragging = true;
}

bool TKvToolButton::InArrowPart(int X) const {
    return UseRightToLeftAlignment() ? X <= ArrowRegionWidth : X >= GetWidth() - ArrowRegionWidth;
}

bool TKvToolButton::IsDropDownPress(TShiftState Shift, int X) const {
    // A press with Shift, Ctrl or Alt held is a face press.
    const bool plainLeft = Shift == TShiftState{ssLeft} || Shift == TShiftState{ssLeft, ssPen};
    return FDropDownMenu && plainLeft && (InArrowPart(X) || !IsSplit());
}

void TKvToolButton::DropDownPress(TMouseButton Button, TShiftState Shift, int X, int Y) {
    // Elapsed time in unsigned arithmetic holds across the wrap of the count.
    if (FDropTime != 0 && GetTickCount() - FDropTime < MinDelay) {
        // The press that just closed the menu: it stays closed.
        FTreatAsNormal = true;
        FDropTime = 0;
        ReleaseCapture();
    } else {
        FState = tbsDropDown;
        Repaint();
        DoDropDown();
        FTreatAsNormal = false;
        FDropTime = GetTickCount();
    }
    // The press ends here, released at once; no click follows.
    MouseUp(Button, Shift, X, Y);
}

void TKvToolButton::FacePress(TMouseButton Button) {
    // The first face press after the menu closed over the button is swallowed.
    if (!FTreatAsNormal) {
        FTreatAsNormal = true;
        return;
    }
    if (Button != mbLeft || !Enabled()) return;
    if (!FDown) {
        FState = tbsDown;
        Invalidate();
    }
    FDragging = true;
}

void TKvToolButton::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (FDragging) {
        const TKvToolButtonState next =
            Inside(X, Y) ? (FDown ? tbsExclusive : tbsDown) : (FDown ? tbsExclusive : tbsUp);
        if (next != FState) {
            FState = next;
            Invalidate();
        }
    } else if (!FMouseOverButton) {
        UpdateTracking();
    }
}

void TKvToolButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (FDragging) {
        FDragging = false;
        bool doClick = Inside(X, Y);
        if (FGroupIndex == 0) {
            FState = tbsUp;
            FMouseOverButton = false;
            if (doClick) Repaint();
        } else if (doClick) {
            const bool wasDown = FDown;
            SetDown(!FDown);
            if (FDown) FState = tbsExclusive;
            // A latched member that may not come up stays down and does not click.
            if (FDown == wasDown) doClick = false;
            if (FDown) Repaint();
        } else {
            if (FDown) FState = tbsExclusive;
            Repaint();
        }
        if (doClick) Click();
        UpdateTracking();
    }
    if (FToolStyle == tsDropDown) DropDownReleaseTail();
}

void TKvToolButton::DropDownReleaseTail() {
    const TPoint p = CursorPosition();
    if (!Inside(p.X, p.Y)) FTreatAsNormal = true;
    FState = tbsUp;
    Repaint();
    UpdateTracking();
}

TPoint TKvToolButton::CursorPosition() const { return ScreenToClient(CursorPos()); }

void TKvToolButton::Click() {
    if (FToolStyle == tsDropDown && !FTreatAsNormal) return;
    TGraphicControl::Click();
}

void TKvToolButton::UpdateTracking() {
    if (!FFlat || !Enabled()) return;
    const bool over = FindDragTarget(CursorPos(), true) == this;
    Perform(over ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, reinterpret_cast<std::intptr_t>(this));
}

void TKvToolButton::UpdateExclusive() {
    if (FGroupIndex == 0 || !Parent()) return;
    TMessage m{CM_BUTTONPRESSED, FGroupIndex, reinterpret_cast<std::intptr_t>(static_cast<TControl*>(this)), 0};
    Parent()->Broadcast(m);
}

void TKvToolButton::CMButtonPressed(TMessage& Message) {
    auto* sender = dynamic_cast<TKvToolButton*>(reinterpret_cast<TControl*>(Message.LParam));
    if (Message.WParam != FGroupIndex || !sender || sender == this) return;
    if (sender->Down() && FDown) {
        FDown = false;
        FState = tbsUp;
        Invalidate();
    }
    // A group shares the AllowAllUp of its last broadcaster.
    FAllowAllUp = sender->AllowAllUp();
}

void TKvToolButton::CMDialogChar(TMessage& Message) {
    const bool accel = IsAccel(static_cast<char16_t>(Message.WParam), Caption()) && Enabled() && Visible() &&
                       Parent() && Parent()->Showing();
    if (!accel) {
        TGraphicControl::WndProc(Message);
        return;
    }
    if (FToolStyle == tsDropDown && !IsSplit()) DoDropDown();
    else Click();
    Message.Result = 1;
}

void TKvToolButton::CMMouseEnter(TMessage& Message) {
    if (IsDesigning()) return;
    FMouseOverButton = true;
    TGraphicControl::WndProc(Message);
    if (FFlat) Repaint();
}

void TKvToolButton::CMMouseLeave(TMessage& Message) {
    // While the drop-down menu is open the button stays hot.
    if (!FInDoDropDown) FMouseOverButton = false;
    TGraphicControl::WndProc(Message);
    if (FFlat) Repaint();
}

void TKvToolButton::DropDown() {
    if (OnDropDown) OnDropDown(FDropDownMenu);
}

void TKvToolButton::DoDropDown() {
    if (!FDropDownMenu) return;
    // While the menu is up the button stays hot, whichever way this ends.
    FInDoDropDown = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{FInDoDropDown};
    DropDown();
    // OnDropDown may have freed the menu.
    if (!FDropDownMenu) return;
    const TPoint p = DropDownPoint(GetMenuWidth(this, FDropDownMenu));
    FDropDownMenu->SetPopupComponent(this);
    FDropDownMenu->Popup(p.X, p.Y);
}

TPoint TKvToolButton::DropDownPoint(int MenuWidth) const {
    const bool rtl = UseRightToLeftAlignment();
    const TPopupAlignment alignment = FDropDownMenu->Alignment();
    int x = GetWidth() / 2;
    if (alignment == paLeft) x = rtl ? GetWidth() : 0;
    else if (alignment == paRight) x = rtl ? 0 : GetWidth();
    TPoint p = ClientToScreen({x, GetHeight()});
    // Below a monitor's bottom edge (or off every monitor) the work area of
    // the monitor nearest the button's window holds the menu.
    const TMonitor* monitor = GetMonitorContainingPoint(p);
    const TRect workArea = monitor ? GetMonitorWorkArea(monitor)
                                   : GetActiveWorkArea(Parent() ? static_cast<const TControl*>(Parent()) : this);
    if (alignment == paLeft && workArea.Right < p.X + MenuWidth) p.X = workArea.Right;
    else if (alignment == paRight && workArea.Left > p.X - MenuWidth) p.X = workArea.Left;
    return p;
}

int GetMenuWidth(TControl* Control, TPopupMenu* DropDownMenu) {
    TControlCanvas canvas(Control);
    canvas.Font().Assign(Screen->MenuFont());
    int widest = 0;
    const TMenuItem* items = DropDownMenu->Items();
    for (int i = 0; i < items->Count(); ++i) widest = std::max(widest, canvas.TextWidth(items->Items(i)->Caption()));
    return widest + 56;
}

void TKvToolButton::WndProc(TMessage& Message) {
    const bool aboutThis = Message.LParam == 0 || Message.LParam == reinterpret_cast<std::intptr_t>(this);
    switch (Message.Msg) {
        case CM_DIALOGCHAR: CMDialogChar(Message); return;
        case CM_MOUSEENTER:
            if (aboutThis) CMMouseEnter(Message);
            return;
        case CM_MOUSELEAVE:
            if (aboutThis) CMMouseLeave(Message);
            return;
        case CM_BUTTONPRESSED: CMButtonPressed(Message); return;
        case CM_TEXTCHANGED:
            TGraphicControl::WndProc(Message);
            PickupToolbarStyles();
            Invalidate();
            return;
        case cm_ToolbarShowCaptionChanged: ToolbarShowCaptionChanged(); return;
        case cm_ToolbarButtonLayoutChanged: ToolbarButtonLayoutChanged(); return;
        case cm_ToolbarButtonSizeChanged: ToolbarButtonSizeChanged(); return;
        case cm_ToolbarVisualStyleChanged: ToolbarVisualStyleChanged(); return;
    }
    TGraphicControl::WndProc(Message);
}

void TKvToolButton::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    // One list may serve in both roles: each reference is cleared.
    if (AComponent == FImages) SetImages(nullptr);
    if (AComponent == FDisabledImages) SetDisabledImages(nullptr);
    if (AComponent == FDropDownMenu) FDropDownMenu = nullptr;
}

// ---------------------------------------------------------------------------
// Painting

bool TKvToolButton::ThemedLook() const { return FVisualStyle == vsWinXP && ThemeServices().ThemesEnabled(); }

bool TKvToolButton::FaceActive() const {
    return FState == tbsDown || FState == tbsExclusive || FState == tbsDropDown ||
           (FMouseOverButton && FState != tbsDisabled) || IsDesigning();
}

void TKvToolButton::GetColorTriple(TColor& FrameColor, TColor& StartColor, TColor& StopColor) const {
    if (FGradientColorStyle == gcsCustom) {
        FrameColor = FSelectionFrameColor;
        StartColor = FSelectionColorStart;
        StopColor = FSelectionColorStop;
    } else {
        GetGradientSelectionColors(FGradientColorStyle, FrameColor, StartColor, StopColor);
    }
}

void TKvToolButton::Paint() {
    if (!Enabled()) {
        FState = tbsDisabled;
        FDragging = false;
    } else if (FState == tbsDisabled) {
        FState = FDown && FGroupIndex != 0 ? tbsExclusive : tbsUp;
    }
    TCanvas& canvas = Canvas();
    TRect r = Rect(0, 0, GetWidth(), GetHeight());
    DrawBtnBorder(r);
    if (!FTransparent) {
        canvas.Brush().SetColor(Color());
        canvas.FillRect(r);
    }
    // The classic checker of a latched button, unless a flat one is hot.
    const bool classicLook = FVisualStyle == vsClassic || (FVisualStyle == vsWinXP && !ThemeServices().ThemesEnabled());
    if (classicLook && FState == tbsExclusive && !(FFlat && FMouseOverButton)) {
        canvas.Brush().SetBitmap(FTransparent ? AllocPatternBitmap(clBtnFace, clBtnHighlight)
                                              : AllocPatternBitmap(Color(), LighterColor(Color(), 20)));
        canvas.FillRect(r);
        canvas.Brush().SetBitmap(nullptr);
    }
    if (FToolStyle == tsDropDown) DrawArrow();
    TRect imageRect, captionRect;
    GetImageAndCaptionRects(imageRect, captionRect);
    DrawImage(imageRect);
    DrawCaption(captionRect);
}

void TKvToolButton::DrawThemedBorder(const TRect& R) {
    const bool active = FaceActive();
    TThemedElement element;
    TRect area = R;
    if (!FFlat) {
        if (!Enabled()) element = tbPushButtonDisabled;
        else if (active && (FState == tbsDown || FState == tbsExclusive || FState == tbsDropDown)) element = tbPushButtonPressed;
        else element = active ? tbPushButtonHot : tbPushButtonNormal;
    } else if (IsSplit()) {
        if (UseRightToLeftAlignment()) area.Left += ArrowRegionWidth;
        else area.Right -= ArrowRegionWidth;
        if (!active) element = ttbSplitButtonNormal;
        else if (FState == tbsDown) element = ttbSplitButtonPressed;
        else if (FState == tbsExclusive) element = FMouseOverButton ? ttbSplitButtonCheckedHot : ttbSplitButtonChecked;
        else element = ttbSplitButtonHot;
    } else {
        if (!active) element = ttbButtonNormal;
        else if (FState == tbsDown || FState == tbsDropDown) element = ttbButtonPressed;
        else if (FState == tbsExclusive) element = FMouseOverButton ? ttbButtonCheckedHot : ttbButtonChecked;
        else element = ttbButtonHot;
    }
    ThemeServices().DrawElement(Canvas().Handle(), ThemeServices().GetElementDetails(element), area);
}

void TKvToolButton::DrawBtnBorder(TRect& R) {
    if (ThemedLook()) {
        DrawThemedBorder(R);
        return;
    }
    if (!FaceActive() && FFlat) return;
    const bool sunken = FState == tbsDown || FState == tbsExclusive;
    switch (FVisualStyle) {
        case vsClassic: R = DrawBorder(Canvas(), R, sunken ? fsLowered : fsButtonUp); return;
        case vsWinXP: R = DrawBorder(Canvas(), R, sunken ? fsStatus : fsPopup); return;
        case vsGradient: break;
    }
    TColor frame, start, stop;
    GetColorTriple(frame, start, stop);
    if (IsDesigning()) {
        R = InflateRect(R, -1, -1);
        R = DrawBoxCorners(Canvas(), R, frame, 4);
    } else {
        R = DrawBox(Canvas(), R, frame);
    }
    switch (FState) {
        case tbsDown:
        case tbsDropDown: PaintGradient(Canvas(), R, gdHorizontalEnd, stop, start, 1); break;
        case tbsExclusive:
            if (FMouseOverButton) PaintGradient(Canvas(), R, gdHorizontalEnd, stop, start, 1);
            else PaintGradient(Canvas(), R, gdHorizontalEnd, DarkerColor(stop, 40), start, 1);
            break;
        case tbsUp:
        case tbsDisabled:
            if (!IsDesigning()) PaintGradient(Canvas(), R, gdHorizontalEnd, start, stop, 1);
            break;
    }
}

void TKvToolButton::DrawArrow() {
    TCanvas& canvas = Canvas();
    const bool rtl = UseRightToLeftAlignment();
    int x = rtl ? ArrowRegionWidth : GetWidth() - ArrowRegionWidth;
    if (ThemedLook()) {
        if (!IsSplit()) {
            DrawTriangle();
            return;
        }
        TRect r = Rect(0, 0, GetWidth(), GetHeight());
        if (rtl) r.Right = r.Left + ArrowRegionWidth;
        else r.Left = r.Right - ArrowRegionWidth;
        TThemedElement element = ttbSplitButtonDropDownNormal;
        if (!Enabled()) element = ttbSplitButtonDropDownDisabled;
        else if (FState == tbsDown || FState == tbsDropDown) element = ttbSplitButtonDropDownPressed;
        else if ((FMouseOverButton && FState != tbsDisabled) || IsDesigning()) element = ttbSplitButtonDropDownHot;
        ThemeServices().DrawElement(canvas.Handle(), ThemeServices().GetElementDetails(element), r);
        return;
    }
    if (FState == tbsDropDown) {
        TRect r = Rect(0, 0, GetWidth(), GetHeight());
        if (FVisualStyle == vsGradient) {
            TColor frame, start, stop;
            GetColorTriple(frame, start, stop);
            if (IsSplit()) {
                if (rtl) r.Right = r.Left + ArrowRegionWidth + 1;
                else r.Left = r.Right - ArrowRegionWidth - 1;
            }
            r = DrawBox(canvas, r, frame);
            PaintGradient(canvas, r, gdHorizontalEnd, stop, start, 1);
        } else {
            if (IsSplit()) {
                if (rtl) r.Right = r.Left + ArrowRegionWidth;
                else r.Left = r.Right - ArrowRegionWidth;
            }
            DrawBorder(canvas, r, fsStatus);
        }
        DrawTriangle();
        return;
    }
    if (IsSplit() && Enabled() && (!FFlat || FMouseOverButton)) {
        if (FVisualStyle != vsGradient && FState == tbsDown) ++x;
        if (FVisualStyle == vsGradient) {
            TColor frame, start, stop;
            GetColorTriple(frame, start, stop);
            canvas.Pen().SetColor(frame);
            canvas.MoveTo(x - 1, 0);
            canvas.LineTo(x - 1, GetHeight());
        } else {
            if (FState != tbsDown) {
                canvas.Pen().SetColor(clBtnHighlight);
                canvas.MoveTo(x, 0);
                canvas.LineTo(x, GetHeight());
            }
            canvas.Pen().SetColor(clBtnShadow);
            canvas.MoveTo(x - 1, 0);
            canvas.LineTo(x - 1, GetHeight());
        }
    }
    DrawTriangle();
}

void TKvToolButton::DrawTriangle() {
    TCanvas& canvas = Canvas();
    const TColor color = Enabled() ? clWindowText : clBtnShadow;
    canvas.Brush().SetColor(color);
    canvas.Pen().SetColor(color);
    // Centred in the arrow part: at the right edge, or at the left edge
    // under right-to-left alignment.
    int tx = UseRightToLeftAlignment() ? 6 : ClientWidth() - 8;
    int ty = ClientHeight() / 2 + 2;
    if (FVisualStyle != vsGradient && (FState == tbsDown || FState == tbsDropDown)) {
        ++tx;
        ++ty;
    }
    canvas.Polygon({{tx, ty}, {tx - 2, ty - 2}, {tx + 2, ty - 2}});
}

void TKvToolButton::DrawImage(const TRect& R) {
    TCustomImageList* list = ImageList();
    if (!list || FImageIndex == -1) return;
    TCanvas& canvas = Canvas();
    if (Enabled()) {
        const bool down = FState == tbsDown || FState == tbsExclusive || (FState == tbsDropDown && !IsSplit());
        int index = FImageIndex;
        if (FDownIndex != -1 && down) index = FDownIndex;
        else if (FHotIndex != -1 && FMouseOverButton) index = FHotIndex;
        list->Draw(canvas, R.Left, R.Top, index, true);
        return;
    }
    // The disabled picture comes from the normal list.
    if (FDisabledIndex != -1) list->Draw(canvas, R.Left, R.Top, FDisabledIndex, true);
    else if (TCustomImageList* disabled = DisabledImageList()) disabled->Draw(canvas, R.Left, R.Top, FImageIndex, true);
    else list->Draw(canvas, R.Left, R.Top, FImageIndex, false);
}

void TKvToolButton::DrawCaption(const TRect& R) {
    if (!FShowCaption) return;
    TCanvas& canvas = Canvas();
    canvas.Brush().SetStyle(bsClear);
    canvas.Font().Assign(Font());
    if (UsingSystemStyle()) {
        if (FState == tbsDown && FVisualStyle != vsGradient) canvas.Font().SetColor(clHighlightText);
        if (!Enabled()) canvas.Font().SetColor(clBtnShadow);
    } else {
        canvas.Font().SetColor(ActiveStyleFontColor(Enabled() ? sfButtonTextNormal : sfButtonTextDisabled));
    }
    TRect r = R;
    DrawString(canvas, Caption(), r, kCaptionFlags | (UseRightToLeftAlignment() ? DT_RTLREADING : 0));
    canvas.Brush().SetStyle(bsSolid);
}

// ---------------------------------------------------------------------------
// Stored layouts

void TKvToolButton::DefineProperties(TFiler* Filer) {
    TGraphicControl::DefineProperties(Filer);
    // Older names, read and never written.
    Filer->DefineProperty(u"GradientColorDefault", [](TReader& r) { r.ReadBoolean(); }, {}, false);
    Filer->DefineProperty(u"ThemeAware", [](TReader& r) { r.ReadBoolean(); }, {}, false);
    Filer->DefineProperty(u"GradientColorStart", [this](TReader& r) { SetSelectionColorStart(ReadColorValue(r)); }, {},
                          false);
    Filer->DefineProperty(u"GradientColorStop", [this](TReader& r) { SetSelectionColorStop(ReadColorValue(r)); }, {},
                          false);
    Filer->DefineProperty(u"FrameColor", [this](TReader& r) { SetSelectionFrameColor(ReadColorValue(r)); }, {}, false);
    Filer->DefineProperty(
        u"UseGradients",
        [this](TReader& r) {
            if (r.ReadBoolean()) SetVisualStyle(vsGradient);
        },
        {}, false);
}

namespace {

void RegisterToolButtons() {
    RegisterKvPanelClasses();
    RegisterImageListClasses();
    RegisterActionClasses();
    RegisterMenuClasses();

    using B = TKvToolButton;
    const auto sizeStored = [](B& b) { return b.IsSizeStored(); };
    const auto visualStyleStored = [](B& b) { return !b.UseToolbarVisualStyle(); };
    TClassBuilder<B>(u"TKvToolButton", u"TGraphicControl")
        .Reference<TBasicAction>(u"Action", &B::Action, &B::SetAction)
        .Color(u"Color", &B::Color, &B::SetColor, clBtnFace, [](B& b) { return !b.ParentColor(); })
        .Boolean(u"AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp, false)
        .Enumeration<TAlignment>(u"Alignment", kAlignmentType, &B::Alignment, &B::SetAlignment, taCenter)
        .Integer(u"DisabledIndex", &B::DisabledIndex, &B::SetDisabledIndex, -1)
        .Enumeration<TKvGradientColorStyle>(u"GradientColorStyle", kGradientColorStyleType, &B::GradientColorStyle,
                                            &B::SetGradientColorStyle, std::nullopt, visualStyleStored)
        .Color(u"SelectionColorStart", &B::SelectionColorStart, &B::SetSelectionColorStart, clBtnFace)
        .Color(u"SelectionColorStop", &B::SelectionColorStop, &B::SetSelectionColorStop, clBtnShadow)
        .Color(u"SelectionFrameColor", &B::SelectionFrameColor, &B::SetSelectionFrameColor, cl3DDkShadow)
        .Integer(u"GroupIndex", &B::GroupIndex, &B::SetGroupIndex, 0)
        .Boolean(u"Down", &B::Down, &B::SetDown, false, [](B& b) { return b.IsCheckedStored(); })
        .Integer(u"DownIndex", &B::DownIndex, &B::SetDownIndex, -1)
        .Reference<TPopupMenu>(u"DropDownMenu", &B::DropDownMenu, &B::SetDropDownMenu)
        .Boolean(u"Flat", &B::Flat, &B::SetFlat, true)
        .Integer(u"Height", &B::GetHeight, &B::SetHeight, 25, sizeStored)
        .Integer(u"HotIndex", &B::HotIndex, &B::SetHotIndex, -1)
        .Integer(u"ImageIndex", &B::ImageIndex, &B::SetImageIndex, -1, [](B& b) { return b.IsImageIndexStored(); })
        .Reference<TCustomImageList>(u"Images", &B::Images, &B::SetImages)
        .Reference<TCustomImageList>(u"DisabledImages", &B::DisabledImages, &B::SetDisabledImages)
        .Enumeration<TButtonLayout>(u"Layout", kButtonLayoutType, &B::Layout, &B::SetLayout, blGlyphLeft)
        .Boolean(u"ShowCaption", &B::ShowCaption, &B::SetShowCaption, std::nullopt,
                 [](B& b) { return !b.UseToolbarShowCaption(); })
        .Boolean(u"Transparent", &B::Transparent, &B::SetTransparent, true)
        .Boolean(u"UseToolbarButtonLayout", &B::UseToolbarButtonLayout, &B::SetUseToolbarButtonLayout, true)
        .Boolean(u"UseToolbarButtonSize", &B::UseToolbarButtonSize, &B::SetUseToolbarButtonSize, true)
        .Boolean(u"UseToolbarShowCaption", &B::UseToolbarShowCaption, &B::SetUseToolbarShowCaption, true)
        .Boolean(u"UseToolbarVisualStyle", &B::UseToolbarVisualStyle, &B::SetUseToolbarVisualStyle, true)
        .Enumeration<TKvToolStyle>(u"ToolStyle", kToolStyleType, &B::ToolStyle, &B::SetToolStyle, tsButton)
        .Enumeration<TKvVisualStyle>(u"VisualStyle", kVisualStyleType, &B::VisualStyle, &B::SetVisualStyle,
                                     std::nullopt, visualStyleStored)
        .Integer(u"Width", &B::GetWidth, &B::SetWidth, 25, sizeStored)
        .Event(u"OnDropDown", &B::OnDropDown);
}

}  // namespace

void RegisterKvButtonClasses() {
    RegisterClassesOnce(RegisterToolButtons);
}
