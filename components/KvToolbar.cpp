#include "KvPanel.h"

#include "Forms.h"
#include "KvGrafx.h"
#include "KvPanelClasses.h"
#include "KvToolbarForm.h"
#include "ToolkitClasses.h"

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

void TKvToolbar::AlignToolbarPopupButton() {
    if (IsLoading() || IsReading() || !FShowToolbarPopupButton || FWrapControls || FOrientation == orVertical) return;
    if (!FToolbarPopupButton) return;
    FToolbarPopupButton->SetBounds(Width() - ToolbarPopupButtonWidth, 0, ToolbarPopupButtonWidth, Height());
    FToolbarPopupButton->SetVisible(true);
}

// --- toolbar: layout storage and customization --------------------------------------------

namespace {

String ControlKey(int Index) { return u"Control" + IntToStr(Index); }

// Stored before the name of a hidden control.
constexpr std::u16string_view kHiddenMark = u"##";

}  // namespace

void TKvToolbar::SaveLayout() {
    if (!FRegIniFile) throw ENoRegIniFile(SNoRegIniFile);
    const String section = Name();
    TKvToolbarControlList& list = ToolbarControls();
    FRegIniFile->WriteInteger(section, u"TextOptions", FTextOptions);
    FRegIniFile->WriteInteger(section, u"Count", list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        const TKvToolbarControl* entry = list.Items(i);
        const TControl* control = entry->Control();
        const String name = control ? control->Name() : entry->ControlName();
        const bool hidden = control && !control->Visible();
        FRegIniFile->WriteString(section, ControlKey(i), hidden ? String(kHiddenMark) + name : name);
    }
}

void TKvToolbar::RestoreLayout() {
    if (!FRegIniFile) throw ENoRegIniFile(SNoRegIniFile);
    const String section = Name();
    TKvToolbarControlList& list = ToolbarControls();
    const int count = FRegIniFile->ReadInteger(section, u"Count", 0);
    if (count > 0 && count == list.Count()) {
        for (int i = 0; i < count; ++i) {
            String name = FRegIniFile->ReadString(section, ControlKey(i), String());
            if (name.empty()) continue;
            const bool makeVisible = !name.starts_with(kHiddenMark);
            if (!makeVisible) name.erase(0, kHiddenMark.size());
            // A name the list no longer holds leaves its place alone, like a
            // missing key: the loop goes on, so that the toolbar is laid out
            // and its text options restored, in step with its list.
            const int old = list.IndexOfName(name);
            if (old < 0) continue;
            list.Move(old, i);
            if (TControl* control = list.Items(i)->Control()) control->SetVisible(makeVisible);
        }
        PositionControls();
    }
    // Only a value of the enumeration is taken: the file may hold any number.
    const int stored = FRegIniFile->ReadInteger(section, u"TextOptions", -1);
    if (stored >= ttoNoTextLabels && stored <= ttoCustom) SetTextOptions(static_cast<TKvToolbarTextOptions>(stored));
}

void TKvToolbar::Customize(bool ShowTextOptions) {
    // Owned by the application and freed when it closes; nothing here
    // touches the toolbar once the dialog is up, since closing its window
    // may have ended the toolbar meanwhile.
    TOwned<TKvFrmCustomizeToolbar> dialog(new TKvFrmCustomizeToolbar(Application));
    dialog->DoCreate();
    dialog->SetCompOwner(Owner());
    dialog->SetToolbar(this);
    dialog->Reposition();
    dialog->UpdateControls(*FCustomizeCaptions, ShowTextOptions);
    dialog->ShowModal();
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

void RegisterToolbars() {
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
        .Custom(BitmapProperty(
            u"Background", [](TPersistent* o) -> const TBitmap& { return static_cast<TKvToolbar*>(o)->Background(); },
            [](TPersistent* o, const TBitmap& v) { static_cast<TKvToolbar*>(o)->SetBackground(v); }))
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

void RegisterKvToolbarClasses() {
    RegisterClassesOnce(RegisterToolbars);
}
