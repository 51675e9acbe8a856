#include "CheckLst.h"

#include "Streaming.h"

namespace {

constexpr int kBoxSize = 13;

TListBoxStrings& ItemsOf(TCustomListBox& list) { return static_cast<TListBoxStrings&>(list.Items()); }
const TListBoxStrings& ItemsOf(const TCustomListBox& list) { return static_cast<const TListBoxStrings&>(list.Items()); }

}  // namespace

TCheckBoxState TCheckListBox::State(int Index) const { return static_cast<TCheckBoxState>(ItemsOf(*this).Data(Index)); }

void TCheckListBox::SetState(int Index, TCheckBoxState Value) {
    if (State(Index) == Value) return;
    ItemsOf(*this).SetData(Index, Value);
}

void TCheckListBox::ToggleCheck(int Index) {
    const TCheckBoxState next = State(Index) == cbChecked ? cbUnchecked : cbChecked;
    SetState(Index, next);
    if (OnChange) OnChange(this, Index, next);
}

TOwnerDrawState TCheckListBox::ItemState(int Index) const {
    TOwnerDrawState state = TCustomListBox::ItemState(Index);
    if (Checked(Index)) state.Include(odChecked);
    return state;
}

// A sunken 13-pixel box on the list's colour, with a tick when checked
// (grey when the item is greyed or the list disabled).
void TCheckListBox::DrawItemPrefix(int Index, const TRect& Row) {
    TCanvas& c = Canvas();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(Rect(Row.Left, Row.Top, Row.Left + CheckWidth, Row.Bottom));
    const int left = Row.Left + (CheckWidth - kBoxSize) / 2 + 1;
    const int top = Row.Top + (Row.Height() - kBoxSize) / 2;
    const TRect box = Bounds(left, top, kBoxSize, kBoxSize);
    const TRect face = Frame3D(c, box, clBtnShadow, clBtnHighlight);
    c.Brush().SetColor(Enabled() ? clWindow : clBtnFace);
    c.FillRect(face);
    const TCheckBoxState state = State(Index);
    if (state == cbUnchecked) return;
    c.Pen().SetColor(state == cbGrayed || !Enabled() ? clGrayText : clWindowText);
    // The tick: a short stroke down to the right, a long one up, three pixels thick.
    for (int dy = 0; dy < 3; ++dy) {
        c.MoveTo(face.Left + 2, face.Top + 4 + dy);
        c.LineTo(face.Left + 4, face.Top + 6 + dy);
        c.LineTo(face.Left + 9, face.Top + 1 + dy);
    }
}

void TCheckListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const int index = Button == mbLeft ? ItemAtPos({X, Y}, true) : -1;
    const bool onBox = index >= 0 && X - ItemRect(index).Left < CheckWidth;
    TCustomListBox::MouseDown(Button, Shift, X, Y);
    if (onBox && Enabled()) ToggleCheck(index);
}

bool TCheckListBox::KeyDown(unsigned short& Key, TShiftState Shift) {
    if (TCustomListBox::KeyDown(Key, Shift)) return true;
    if (Key != VK_SPACE || !Shift.Empty() || ItemIndex() < 0 || !Enabled()) return false;
    ToggleCheck(ItemIndex());
    return true;
}

void RegisterCheckListClasses() {
    RegisterListBoxClasses();
    RegisterClassesOnce([] {
        TClassBuilder<TCheckListBox>(u"TCheckListBox", u"TCustomListBox").Event(u"OnChange", &TCheckListBox::OnChange);
    });
}
