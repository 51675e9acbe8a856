// The check list: a list box whose items each carry a check box.
#pragma once

#include "ListBoxes.h"

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
// The user changed the check of item Index to NewState.
using TCheckListChangeEvent = std::function<void(TObject* Sender, int Index, TCheckBoxState NewState)>;

// A list box with a check box at the start of each item. A click on the
// box, or Space on the selected item, toggles the check and runs OnChange;
// setting a state from code runs nothing. The state moves with its item.
class TCheckListBox : public TCustomListBox {
public:
    LV_CLASS_NAME(TCheckListBox)
    using TCustomListBox::TCustomListBox;

    TCheckBoxState State(int Index) const;
    void SetState(int Index, TCheckBoxState Value);
    bool Checked(int Index) const { return State(Index) == cbChecked; }
    void SetChecked(int Index, bool Value) { SetState(Index, Value ? cbChecked : cbUnchecked); }
    // Switches the item between checked and unchecked as a click would.
    void ToggleCheck(int Index);

    // The width of the check box column at the start of each item.
    static constexpr int CheckWidth = 16;

    TCheckListChangeEvent OnChange;

protected:
    int ItemContentOffset() const override { return CheckWidth; }
    void DrawItemPrefix(int Index, const TRect& Row) override;
    TOwnerDrawState ItemState(int Index) const override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool KeyDown(unsigned short& Key, TShiftState Shift) override;
};

// Registers the check list for stored layouts; safe to call more than once.
void RegisterCheckListClasses();
