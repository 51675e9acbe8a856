// The combo box as a drop-down list: a framed field showing the selected
// item, with a button that drops the list of items down below it.
#pragma once

#include <algorithm>
#include <memory>

#include "ListBoxes.h"

// The drop-down list, the one kind of combo box there is: the field shows
// the selected item and cannot be typed into.
enum TComboBoxStyle { csDropDownList };
extern const TEnumType kComboBoxStyleType;

// The user chooses an item by clicking it in the dropped-down list, or with
// Up, Down, Home and End (in the closed field too); Enter takes the item
// highlighted in the list, Escape closes the list unchanged; Alt+Down and
// F4 drop the list down. Each choice sets ItemIndex and runs OnClick; a
// choice from code runs nothing.
class TComboBox : public TCustomControl {
public:
    LV_CLASS_NAME(TComboBox)
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;

    TStrings& Items() { return items_; }
    const TStrings& Items() const { return items_; }
    // The selected item, -1 for none (also for an index outside the list).
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int Value);
    // The selected item's text, empty without one.
    String Text() const;
    TComboBoxStyle Style() const { return csDropDownList; }
    void SetStyle(TComboBoxStyle) {}
    // Rows the dropped-down list shows at most before it scrolls.
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int v) { dropDownCount_ = std::max(1, v); }

    bool DroppedDown() const;
    void SetDroppedDown(bool Value);
    // The item highlighted in the dropped-down list (-1 while closed).
    int HotIndex() const { return hotIndex_; }
    // The height of a row of the dropped-down list.
    int ItemHeight() const;

    // Width of the button at the right end of the field.
    static constexpr int ButtonWidth = 17;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool KeyDown(unsigned short& Key, TShiftState Shift) override;
    void WndProc(TMessage& Message) override;

private:
    class TPopup;
    friend class TPopup;
    // The user chose an item: selected, the list closed, OnClick run.
    void Choose(int Index);
    void SetHotIndex(int Index);
    void ClosedUp();

    TListBoxStrings items_{[this] { ItemsChanged(); }};
    void ItemsChanged();
    int itemIndex_ = -1;
    int hotIndex_ = -1;
    int dropDownCount_ = 8;
    std::unique_ptr<TPopup> popup_;
};

// Registers the combo box for stored layouts; safe to call more than once.
void RegisterComboBoxClasses();
