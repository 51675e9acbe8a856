#include "KvToolbarForm.h"

#include <algorithm>
#include <string>

#include "KvButton.h"
#include "KvCommon.h"
#include "KvResources.h"

namespace {

constexpr std::string_view kLayoutHead = R"(object KvFrmCustomizeToolbar: TKvFrmCustomizeToolbar
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Customize Toolbar'
  ClientHeight = 280
  ClientWidth = 337
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Verdana'
  Font.Style = []
  Position = poDesigned
  ShowHint = True
  OnCreate = FormCreate
  PixelsPerInch = 96
  object LblHint: TLabel
    Left = 8
    Top = 8
  end
  object LblTextOptions: TLabel
    Left = 8
    Top = 236
  end
  object LstControls: TCheckListBox
    Left = 8
    Top = 24
    Width = 225
    Height = 205
    OnChange = LstControlsChange
    DragMode = dmAutomatic
    ItemHeight = 20
    Style = lbOwnerDrawFixed
    TabOrder = 0
    OnClick = LstControlsClick
    OnDragDrop = LstControlsDragDrop
    OnDragOver = LstControlsDragOver
    OnDrawItem = ListBoxDrawItem
    OnEndDrag = LstControlsEndDrag
    OnMouseDown = LstControlsMouseDown
  end
  object BtnClose: TButton
    Left = 244
    Top = 24
    Width = 85
    Height = 25
    Cancel = True
    Caption = 'Close'
    Color = 15791348
    Default = True
    HotTrack = True
    ModalResult = 1
    TabOrder = 1
  end
  object BtnMoveUp: TButton
    Left = 244
    Top = 84
    Width = 85
    Height = 25
    Caption = 'MoveUp'
    Color = 15791348
    HotTrack = True
    TabOrder = 2
    OnClick = BtnMoveUpClick
  end
  object BtnMoveDown: TButton
    Left = 244
    Top = 116
    Width = 85
    Height = 25
    Caption = 'MoveDown'
    Color = 15791348
    HotTrack = True
    TabOrder = 3
    OnClick = BtnMoveDownClick
  end
  object CbxTextOptions: TComboBox
    Left = 8
    Top = 252
    Width = 225
    Height = 21
    Style = csDropDownList
    TabOrder = 4
    OnClick = CbxTextOptionsClick
  end
  object BtnSpacer: TSpeedButton
    Left = 244
    Top = 152
    Width = 23
    Height = 22
    Hint = 'Add a Spacer'
    Flat = True
    NumGlyphs = 2
    Visible = False
    Glyph = {)";
constexpr std::string_view kLayoutMiddle = R"(}
  end
  object BtnGrooveSpacer: TSpeedButton
    Left = 272
    Top = 152
    Width = 23
    Height = 22
    Hint = 'Add a Grooved Spacer'
    Flat = True
    NumGlyphs = 2
    Visible = False
    Glyph = {)";
constexpr std::string_view kLayoutTail = R"(}
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 100
    OnTimer = Timer1Timer
  end
end
)";

// The dialog's stored layout, the two spacer glyphs written in as the
// binary values of their "Glyph".
const std::string& LayoutText() {
    static const std::string text = [] {
        std::string s(kLayoutHead);
        s += BinaryToText(BtnSpacerPng, BtnSpacerPngSize);
        s += kLayoutMiddle;
        s += BinaryToText(BtnGrooveSpacerPng, BtnGrooveSpacerPngSize);
        s += kLayoutTail;
        return s;
    }();
    return text;
}

// Closes the list's update bracket on every way out of a move.
class TItemsUpdate {
public:
    explicit TItemsUpdate(TStrings& items) : items_(items) { items_.BeginUpdate(); }
    ~TItemsUpdate() {
        RunCleanup([this] { items_.EndUpdate(); });
    }
    TItemsUpdate(const TItemsUpdate&) = delete;
    TItemsUpdate& operator=(const TItemsUpdate&) = delete;

private:
    TStrings& items_;
};

// The space between the list's bottom edge and the dialog's without the
// text options.
constexpr int kBottomMargin = 8;
// Where an item's glyph and text go, from the left of its content.
constexpr int kGlyphOffset = 2;
constexpr int kTextClipOffset = 28;
constexpr int kTextOffset = 30;

}  // namespace

TKvFrmCustomizeToolbar::TKvFrmCustomizeToolbar(TComponent* AOwner) : TForm(AOwner) {
    RegisterKvToolbarFormClasses();
    RegisterField(u"LblHint", LblHint);
    RegisterField(u"LstControls", LstControls);
    RegisterField(u"BtnClose", BtnClose);
    RegisterField(u"BtnMoveUp", BtnMoveUp);
    RegisterField(u"BtnMoveDown", BtnMoveDown);
    RegisterField(u"LblTextOptions", LblTextOptions);
    RegisterField(u"CbxTextOptions", CbxTextOptions);
    RegisterField(u"BtnSpacer", BtnSpacer);
    RegisterField(u"BtnGrooveSpacer", BtnGrooveSpacer);
    RegisterField(u"Timer1", Timer1);
    RegisterMethod(u"FormCreate", [this](TObject* s) { FormCreate(s); });
    RegisterMethod(u"BtnMoveUpClick", [this](TObject* s) { BtnMoveUpClick(s); });
    RegisterMethod(u"BtnMoveDownClick", [this](TObject* s) { BtnMoveDownClick(s); });
    RegisterMethod(u"LstControlsClick", [this](TObject* s) { LstControlsClick(s); });
    RegisterMethod(u"Timer1Timer", [this](TObject* s) { Timer1Timer(s); });
    RegisterMethod(u"CbxTextOptionsClick", [this](TObject* s) { CbxTextOptionsClick(s); });
    RegisterHandler<TCheckListChangeEvent>(u"LstControlsChange", [this](TObject* s, int i, TCheckBoxState state) {
        LstControlsChange(s, i, state);
    });
    RegisterHandler<TMouseEvent>(u"LstControlsMouseDown",
                                 [this](TObject* s, TMouseButton b, TShiftState shift, int x, int y) {
                                     LstControlsMouseDown(s, b, shift, x, y);
                                 });
    RegisterHandler<TDragOverEvent>(u"LstControlsDragOver",
                                    [this](TObject* s, TObject* source, int x, int y, TDragState state, bool& accept) {
                                        LstControlsDragOver(s, source, x, y, state, accept);
                                    });
    RegisterHandler<TDragDropEvent>(u"LstControlsDragDrop", [this](TObject* s, TObject* source, int x, int y) {
        LstControlsDragDrop(s, source, x, y);
    });
    RegisterHandler<TEndDragEvent>(u"LstControlsEndDrag", [this](TObject* s, TObject* target, int x, int y) {
        LstControlsEndDrag(s, target, x, y);
    });
    RegisterHandler<TDrawItemEvent>(u"ListBoxDrawItem",
                                    [this](TWinControl* c, int i, const TRect& r, TOwnerDrawState state) {
                                        ListBoxDrawItem(c, i, r, state);
                                    });
    ReadLayout(LayoutText());
}

TKvFrmCustomizeToolbar::~TKvFrmCustomizeToolbar() {
    SetToolbar(nullptr);
    SetCompOwner(nullptr);
}

void TKvFrmCustomizeToolbar::SetCompOwner(TComponent* Value) {
    if (Value == FCompOwner) return;
    if (FCompOwner) FCompOwner->RemoveFreeNotification(this);
    FCompOwner = Value;
    if (Value) Value->FreeNotification(this);
}

void TKvFrmCustomizeToolbar::SetToolbar(TKvToolbar* Value) {
    if (Value == FToolbar) return;
    if (FToolbar) FToolbar->RemoveFreeNotification(this);
    FToolbar = Value;
    if (Value) Value->FreeNotification(this);
}

void TKvFrmCustomizeToolbar::Notification(TComponent* AComponent, TOperation Operation) {
    TForm::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FToolbar) FToolbar = nullptr;
    if (AComponent == FCompOwner) FCompOwner = nullptr;
}

void TKvFrmCustomizeToolbar::FormCreate(TObject*) {
    // Kept above the window it was opened from; Reposition places it.
    SetPopupMode(pmAuto);
    SetPosition(poDesigned);
}

// --- placing and filling ---------------------------------------------------------

void TKvFrmCustomizeToolbar::Reposition() {
    if (!FToolbar || !FCompOwner) return;
    const TRect b = FToolbar->BoundsRect();
    TPoint p;
    switch (FToolbar->Align()) {
        case alNone:
        case alTop: p = {b.Left, b.Bottom}; break;
        case alBottom: p = {b.Left, b.Top - Height() - 5}; break;
        case alLeft: p = {b.Right, b.Top}; break;
        case alRight: p = {b.Left - Width() - 5, b.Top}; break;
        // A toolbar that fills its parent has no side: the dialog starts
        // from its top-left corner.
        default: p = {b.Left, b.Top}; break;
    }
    if (auto* owner = dynamic_cast<TControl*>(FCompOwner)) p = owner->ClientToScreen(p);
    const int x = std::max(p.X + 15, 0), y = std::max(p.Y + 25, 0);
    const TRect work = GetDesktopClientRect();
    SetTop(work.Bottom < y + Height() ? work.Bottom - Height() : y);
    SetLeft(work.Right < x + Width() ? work.Right - Width() : x);
}

String TKvFrmCustomizeToolbar::ItemText(TControl* Control) {
    if (auto* button = dynamic_cast<TKvToolButton*>(Control); button && !button->Caption().empty())
        return button->Caption();
    if (dynamic_cast<TKvSpacer*>(Control)) return u"Spacer";
    if (!Control->Hint().empty()) return Control->Hint();
    return Control->Name();
}

void TKvFrmCustomizeToolbar::UpdateControls(TKvCustomizeCaptions& Captions, bool ShowTextOptions) {
    SetCaption(Captions.GetCaption(1));
    LblHint->SetCaption(Captions.GetCaption(2));
    BtnClose->SetCaption(Captions.GetCaption(3));
    BtnMoveUp->SetCaption(Captions.GetCaption(4));
    BtnMoveDown->SetCaption(Captions.GetCaption(5));
    LblTextOptions->SetCaption(Captions.GetCaption(6));
    TStrings& options = CbxTextOptions->Items();
    options.Clear();
    for (int index = 7; index <= 9; ++index) options.Add(Captions.GetCaption(index));
    if (FToolbar) {
        const TKvToolbarTextOptions current = FToolbar->TextOptions();
        CbxTextOptions->SetItemIndex(current == ttoCustom ? -1 : static_cast<int>(current));
    }
    if (!ShowTextOptions) {
        CbxTextOptions->SetVisible(false);
        LblTextOptions->SetVisible(false);
        SetClientHeight(LstControls->Top() + LstControls->Height() + kBottomMargin);
    }
    {
        TItemsUpdate update(LstControls->Items());
        LstControls->Items().Clear();
        const int count = FToolbar ? FToolbar->ToolbarControls().Count() : 0;
        for (int i = 0; i < count; ++i) {
            TControl* control = EntryControl(i);
            LstControls->Items().Add(control ? ItemText(control) : FToolbar->ToolbarControls().Items(i)->ControlName());
            LstControls->SetChecked(i, control && control->Visible());
        }
    }
    const bool any = LstControls->Count() > 0;
    BtnMoveUp->SetEnabled(any);
    BtnMoveDown->SetEnabled(any);
    if (!any) return;
    LstControls->SetItemIndex(0);
    EnableMoveButtons(0);
}

void TKvFrmCustomizeToolbar::EnableMoveButtons(int Index) {
    BtnMoveUp->SetEnabled(Index > 0);
    BtnMoveDown->SetEnabled(Index < LstControls->Count() - 1);
}

TControl* TKvFrmCustomizeToolbar::EntryControl(int Index) const {
    if (!FToolbar || Index < 0 || Index >= FToolbar->ToolbarControls().Count()) return nullptr;
    return FToolbar->ToolbarControls().Items(Index)->Control();
}

// --- moving items ------------------------------------------------------------------

void TKvFrmCustomizeToolbar::MoveItem(int CurIndex, int NewIndex) {
    if (!FToolbar) return;
    TKvToolbarControlList& entries = FToolbar->ToolbarControls();
    const int count = std::min(LstControls->Count(), entries.Count());
    if (CurIndex < 0 || NewIndex < 0 || CurIndex >= count || NewIndex >= count) return;
    TItemsUpdate update(LstControls->Items());
    LstControls->Items().Move(CurIndex, NewIndex);
    entries.Move(CurIndex, NewIndex);
    FToolbar->PositionControls();
    LstControls->SetItemIndex(NewIndex);
    LstControls->Invalidate();
}

void TKvFrmCustomizeToolbar::BtnMoveUpClick(TObject*) {
    const int current = LstControls->ItemIndex();
    if (current == -1) return;
    MoveItem(current, current - 1);
    EnableMoveButtons(LstControls->ItemIndex());
}

void TKvFrmCustomizeToolbar::BtnMoveDownClick(TObject*) {
    const int current = LstControls->ItemIndex();
    if (current == -1) return;
    MoveItem(current, current + 1);
    EnableMoveButtons(LstControls->ItemIndex());
}

void TKvFrmCustomizeToolbar::LstControlsClick(TObject*) { EnableMoveButtons(LstControls->ItemIndex()); }

void TKvFrmCustomizeToolbar::LstControlsChange(TObject*, int Index, TCheckBoxState NewState) {
    TControl* control = EntryControl(Index);
    if (!control) return;
    control->SetVisible(NewState == cbChecked);
    FToolbar->PositionControls();
}

// --- dragging within the list ----------------------------------------------------------

void TKvFrmCustomizeToolbar::LstControlsMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
    OldIdx = LstControls->ItemIndex();
}

void TKvFrmCustomizeToolbar::LstControlsDragOver(TObject*, TObject* Source, int X, int Y, TDragState,
                                                 bool& Accept) {
    NewIdx = LstControls->ItemAtPos({X, Y}, true);
    Accept = Source == LstControls && NewIdx != -1;
    if (!Accept) return;
    if (Y > LstControls->Height() - LstControls->ItemHeight()) {
        GoingUp = false;
        Timer1->SetEnabled(true);
    } else if (Y < LstControls->ItemHeight()) {
        GoingUp = true;
        Timer1->SetEnabled(true);
    } else {
        Timer1->SetEnabled(false);
    }
    LstControls->SetItemIndex(NewIdx);
}

// One item further each tick; the timer stops at the end of the list, or
// where the list cannot scroll any further (its last page is in sight).
void TKvFrmCustomizeToolbar::Timer1Timer(TObject*) {
    const int top = LstControls->TopIndex();
    if (GoingUp ? top <= 0 : top >= LstControls->Count() - 1) {
        Timer1->SetEnabled(false);
        return;
    }
    LstControls->SetTopIndex(GoingUp ? top - 1 : top + 1);
    if (LstControls->TopIndex() == top) Timer1->SetEnabled(false);
}

void TKvFrmCustomizeToolbar::LstControlsDragDrop(TObject*, TObject*, int, int) {
    if (NewIdx == -1) return;
    MoveItem(OldIdx, NewIdx);
    EnableMoveButtons(LstControls->ItemIndex());
}

void TKvFrmCustomizeToolbar::LstControlsEndDrag(TObject*, TObject*, int, int) { Timer1->SetEnabled(false); }

// --- text options --------------------------------------------------------------------

void TKvFrmCustomizeToolbar::CbxTextOptionsClick(TObject*) {
    if (!FToolbar) return;
    const int chosen = CbxTextOptions->ItemIndex();
    if (chosen >= ttoNoTextLabels && chosen <= ttoSelectiveTextOnRight)
        FToolbar->SetTextOptions(static_cast<TKvToolbarTextOptions>(chosen));
}

// --- the items' pictures -----------------------------------------------------------------

void TKvFrmCustomizeToolbar::DrawGlyphFrame(TCanvas& Canvas, int X, int Y, const TSpeedButton& Button,
                                            TColor Transparent) {
    TBitmap frame;
    Button.GetFrame(0, frame);
    if (frame.Empty()) return;
    frame.SetTransparentColor(Transparent);
    Canvas.Draw(X, Y, frame);
}

void TKvFrmCustomizeToolbar::ListBoxDrawItem(TWinControl*, int Index, const TRect& Rect, TOwnerDrawState) {
    TCanvas& canvas = LstControls->Canvas();
    // The list has set the brush for the item's state; the whole row is
    // filled so that nothing of an earlier picture stays.
    canvas.FillRect(Rect);
    const int x = Rect.Left + kGlyphOffset, y = Rect.Top + kGlyphOffset;
    TControl* control = EntryControl(Index);
    if (auto* button = dynamic_cast<TKvToolButton*>(control)) {
        if (TCustomImageList* images = button->ImageList()) images->Draw(canvas, x, y, button->ImageIndex(), true);
    } else if (auto* spacer = dynamic_cast<TKvSpacer*>(control)) {
        // Both spacer pictures take the transparent colour of BtnSpacer's glyph.
        const TBitmap& plain = BtnSpacer->Glyph();
        const TColor transparent = plain.Empty() ? clNone : plain.Canvas().Pixel(0, plain.Height() - 1);
        DrawGlyphFrame(canvas, x, y, spacer->Grooved() ? *BtnGrooveSpacer : *BtnSpacer, transparent);
    } else if (auto* speed = dynamic_cast<TSpeedButton*>(control)) {
        const TBitmap& glyph = speed->Glyph();
        if (!glyph.Empty()) DrawGlyphFrame(canvas, x, y, *speed, glyph.Canvas().Pixel(0, glyph.Height() - 1));
    }
    TRect clip = Rect;
    clip.Left = Rect.Left + kTextClipOffset;
    const int textY = Rect.Top + (LstControls->ItemHeight() - canvas.TextHeight(u"Pp")) / 2;
    canvas.TextRect(clip, Rect.Left + kTextOffset, textY, LstControls->Items().Get(Index));
}

void RegisterKvToolbarFormClasses() {
    RegisterKvPanelClasses();
    RegisterLabelClasses();
    RegisterCheckListClasses();
    RegisterComboBoxClasses();
    RegisterButtonsClasses();
    RegisterExtCtrlsClasses();
    RegisterClassesOnce([] {
        TClassBuilder<TKvFrmCustomizeToolbar>(u"TKvFrmCustomizeToolbar", u"TForm");
    });
}
