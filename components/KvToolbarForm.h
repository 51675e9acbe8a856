// The toolbar customization dialog: the user reorders a toolbar's controls,
// hides or shows them and picks its text options; every change applies to
// the toolbar at once.
#pragma once

#include "Buttons.h"
#include "CheckLst.h"
#include "ComboBoxes.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "KvPanel.h"
#include "Labels.h"
#include "StdCtrls.h"

// The dialog that TKvToolbar::Customize shows, made from its stored layout.
// The items of LstControls correspond one to one, by index, to the entries
// of the toolbar's control list: every move moves both.
class TKvFrmCustomizeToolbar : public TForm {
public:
    LV_CLASS_NAME(TKvFrmCustomizeToolbar)
    explicit TKvFrmCustomizeToolbar(TComponent* AOwner);
    ~TKvFrmCustomizeToolbar() override;

    TLabel* LblHint = nullptr;
    TCheckListBox* LstControls = nullptr;
    TButton* BtnClose = nullptr;
    TButton* BtnMoveUp = nullptr;
    TButton* BtnMoveDown = nullptr;
    TLabel* LblTextOptions = nullptr;
    TComboBox* CbxTextOptions = nullptr;
    // Hidden; their glyphs picture the spacer items.
    TSpeedButton* BtnSpacer = nullptr;
    TSpeedButton* BtnGrooveSpacer = nullptr;
    // Scrolls the list while a dragged item is held near its top or bottom.
    TTimer* Timer1 = nullptr;

    // Source and target item of a drag, and which way the list scrolls.
    int OldIdx = 0;
    int NewIdx = 0;
    bool GoingUp = false;

    // The toolbar's owner (normally its form), whose client coordinates
    // place the dialog, and the toolbar. Both are referenced, not owned, and
    // forgotten when they go.
    TComponent* CompOwner() const { return FCompOwner; }
    void SetCompOwner(TComponent* Value);
    TKvToolbar* Toolbar() const { return FToolbar; }
    void SetToolbar(TKvToolbar* Value);

    // Places the dialog beside the toolbar on the side its alignment faces,
    // kept inside the desktop's work area.
    void Reposition();
    // Fills the dialog: its texts from the captions, the text options, and
    // one item per toolbar entry, checked when the control is visible.
    // Without ShowTextOptions the text options are hidden and the dialog
    // ends 8 pixels below the list.
    void UpdateControls(TKvCustomizeCaptions& Captions, bool ShowTextOptions);
    void EnableMoveButtons(int Index);

    // Event handlers of the stored layout.
    void FormCreate(TObject* Sender);
    void BtnMoveUpClick(TObject* Sender);
    void BtnMoveDownClick(TObject* Sender);
    void LstControlsClick(TObject* Sender);
    void LstControlsChange(TObject* Sender, int Index, TCheckBoxState NewState);
    void LstControlsMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void LstControlsDragOver(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept);
    void LstControlsDragDrop(TObject* Sender, TObject* Source, int X, int Y);
    void LstControlsEndDrag(TObject* Sender, TObject* Target, int X, int Y);
    void Timer1Timer(TObject* Sender);
    void CbxTextOptionsClick(TObject* Sender);
    void ListBoxDrawItem(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State);

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // The text of the list item for a toolbar control.
    static String ItemText(TControl* Control);
    // The control of toolbar entry Index, or nil.
    TControl* EntryControl(int Index) const;
    // Moves item and toolbar entry together and lays the toolbar out again.
    void MoveItem(int CurIndex, int NewIndex);
    // Draws the first frame of a speed button's glyph with a transparent colour.
    void DrawGlyphFrame(TCanvas& Canvas, int X, int Y, const TSpeedButton& Button, TColor Transparent);

    TComponent* FCompOwner = nullptr;
    TKvToolbar* FToolbar = nullptr;
};

// Registers the dialog's classes for its stored layout; safe to call more
// than once.
void RegisterKvToolbarFormClasses();
