#include "Menus.h"

#include <algorithm>
#include <unordered_set>

#include "Streaming.h"

namespace {

std::unordered_set<const TMenuItem*>& LiveItems() {
    static std::unordered_set<const TMenuItem*> items;
    return items;
}

}  // namespace

bool MenuItemExists(const TMenuItem* Item) { return Item && LiveItems().count(Item) != 0; }

// ---------------------------------------------------------------------------
// TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) { LiveItems().insert(this); }

TMenuItem::~TMenuItem() {
    // Normally done in BeforeDestruction; here for an end that failed part way.
    if (parent_) parent_->Remove(this);
    for (TMenuItem* item : items_) item->parent_ = nullptr;
    LiveItems().erase(this);
}

void TMenuItem::BeforeDestruction() {
    Clear();
    if (parent_) parent_->Remove(this);
    TComponent::BeforeDestruction();
}

TMenuItem* TMenuItem::Items(int Index) const {
    if (Index < 0 || Index >= Count()) TList::Error(u"List index out of bounds (%d)", Index);
    return items_[static_cast<size_t>(Index)];
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    const auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) return;
    if (Item == this) throw EInvalidOperation(u"A menu item cannot hold itself");
    for (const TMenuItem* up = parent_; up; up = up->parent_)
        if (up == Item) throw EInvalidOperation(u"A menu item cannot hold an item above it");
    // Checked before the item leaves its list, so that a bad index loses nothing.
    const int limit = Count() - (Item->parent_ == this ? 1 : 0);
    if (Index < 0 || Index > limit) TList::Error(u"List index out of bounds (%d)", Index);
    if (Item->parent_) Item->parent_->Remove(Item);
    items_.insert(items_.begin() + Index, Item);
    Item->parent_ = this;
}

void TMenuItem::Delete(int Index) {
    TMenuItem* item = Items(Index);
    items_.erase(items_.begin() + Index);
    item->parent_ = nullptr;
}

void TMenuItem::Remove(TMenuItem* Item) {
    const int index = IndexOf(Item);
    if (index >= 0) Delete(index);
}

void TMenuItem::Clear() {
    while (!items_.empty()) {
        TMenuItem* item = items_.back();
        Delete(Count() - 1);
        item->Free();
    }
}

void TMenuItem::Click() {
    if (enabled_ && OnClick) OnClick(this);
}

// ---------------------------------------------------------------------------
// TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), items_(new TMenuItem(nullptr)) {}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::SetPopupComponent(TComponent* Value) {
    if (Value == popupComponent_) return;
    if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
    popupComponent_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == popupComponent_) popupComponent_ = nullptr;
}

TRect PlacePopupMenu(TPoint P, TPopupAlignment Alignment, int Width, int Height, const TRect& WorkArea) {
    int left = Alignment == paLeft ? P.X : Alignment == paRight ? P.X - Width : P.X - Width / 2;
    if (Alignment == paLeft && left + Width > WorkArea.Right) left = P.X - Width;
    else if (Alignment == paRight && left < WorkArea.Left) left = P.X;
    int top = P.Y;
    if (top + Height > WorkArea.Bottom) top = P.Y - Height;
    // Where neither side has room the menu stays inside the work area,
    // its top-left corner first.
    left = std::max(std::min(left, WorkArea.Right - Width), WorkArea.Left);
    top = std::max(std::min(top, WorkArea.Bottom - Height), WorkArea.Top);
    return Bounds(left, top, Width, Height);
}

// ---------------------------------------------------------------------------
// Accelerators

char16_t GetAccelChar(const String& Caption) {
    for (size_t i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != u'&') continue;
        if (Caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return Caption[i + 1];
    }
    return 0;
}

bool IsAccel(char16_t VK, const String& Caption) {
    const char16_t accel = GetAccelChar(Caption);
    return accel != 0 && VK != 0 && SameText(String(1, accel), String(1, VK));
}

namespace {

void RegisterMenus() {
    static const TEnumType kPopupAlignmentType{u"TPopupAlignment", {u"paLeft", u"paRight", u"paCenter"}};
    TClassBuilder<TPopupMenu>(u"TPopupMenu", u"")
        .Enumeration<TPopupAlignment>(u"Alignment", kPopupAlignmentType, &TPopupMenu::Alignment,
                                      &TPopupMenu::SetAlignment, paLeft);
}

}  // namespace

void RegisterMenuClasses() {
    RegisterClassesOnce(RegisterMenus);
}
