#include "Classes.h"

#include <algorithm>

#include "Streaming.h"

// ---------------------------------------------------------------------------
// TComponent

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    // A component that did not come through Free() still tells everyone, but
    // only as a plain component: its own classes are gone by now. One whose
    // BeforeDestruction failed part way finishes here what it left undone.
    if (!endStarted_) {
        endStarted_ = true;
        Destroying();
    }
    EndOfLife();
    // The names of its event handlers that a layout gave it go with it, so
    // that no later object at the same address inherits them.
    ForgetHandlerNames(this);
}

void TComponent::Free() noexcept {
    if (!endStarted_) RunCleanup([this] { BeforeDestruction(); });
    delete this;
}

void TComponent::BeforeDestruction() {
    if (endStarted_) return;
    endStarted_ = true;
    Destroying();
    EndOfLife();
}

void TComponent::EndOfLife() noexcept {
    // Every step runs to its end, each failure on the way reported on its
    // own, so that nobody keeps a pointer to a component that is gone.
    NotifyFreeNotifies();
    DestroyComponents();
    if (TComponent* owner = owner_) {
        RunCleanup([this, owner] { owner->RemoveComponent(this); });
        if (owner_) owner->Remove(this);
    }
}

void TComponent::Destroying() {
    if (state_.Contains(csDestroying)) return;
    state_.Include(csDestroying);
    for (TComponent* c : components_) c->Destroying();
}

void TComponent::NotifyFreeNotifies() noexcept {
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        other->RemoveNotification(this);
        RunCleanup([this, other] { other->Notification(this, opRemove); });
    }
}

void TComponent::DestroyComponents() noexcept {
    while (!components_.empty()) {
        TComponent* c = components_.back();
        Remove(c);
        c->Free();
    }
}

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= ComponentCount()) TList::Error(u"List index out of bounds (%d)", Index);
    return components_[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
    if (!owner_) return -1;
    auto it = std::find(owner_->components_.begin(), owner_->components_.end(), this);
    return it == owner_->components_.end() ? -1 : static_cast<int>(it - owner_->components_.begin());
}

TComponent* TComponent::FindComponent(std::u16string_view AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, AName)) return c;
    return nullptr;
}

namespace {

bool IsValidIdent(const String& s) {
    if (s.empty()) return false;
    auto alpha = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'; };
    if (!alpha(s[0])) return false;
    for (char16_t c : s)
        if (!alpha(c) && !(c >= u'0' && c <= u'9')) return false;
    return true;
}

}  // namespace

void TComponent::SetName(const String& NewName) {
    if (NewName == name_) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError(u"'" + NewName + u"' is not a valid component name");
    if (owner_) owner_->ValidateRename(this, name_, NewName);
    name_ = NewName;
}

void TComponent::ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName) {
    if (NewName.empty() || SameText(CurName, NewName)) return;
    TComponent* existing = FindComponent(NewName);
    if (existing && existing != AComponent)
        throw EComponentError(u"A component named " + NewName + u" already exists");
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end())
        freeNotifies_.push_back(AComponent);
    if (std::find(AComponent->freeNotifies_.begin(), AComponent->freeNotifies_.end(), this) ==
        AComponent->freeNotifies_.end())
        AComponent->freeNotifies_.push_back(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) noexcept {
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), AComponent), freeNotifies_.end());
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->owner_ == this) return;
    if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
    ValidateRename(AComponent, String(), AComponent->name_);
    Insert(AComponent);
    if (state_.Contains(csDesigning)) AComponent->SetDesigning(true);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->owner_ != this) return;
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
    components_.push_back(AComponent);
    AComponent->owner_ = this;
}

void TComponent::Remove(TComponent* AComponent) noexcept {
    components_.erase(std::remove(components_.begin(), components_.end(), AComponent), components_.end());
    AComponent->owner_ = nullptr;
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) RemoveNotification(AComponent);
    // Owned components hear of it too; the list may shrink meanwhile.
    for (size_t i = components_.size(); i > 0; --i) {
        if (i - 1 >= components_.size()) continue;
        TComponent* c = components_[i - 1];
        if (c != AComponent) c->Notification(AComponent, Operation);
    }
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::SetStateFlag(TComponentStateFlag flag, bool on) {
    if (on) state_.Include(flag);
    else state_.Exclude(flag);
}

void TComponent::SetDesigning(bool on, bool includeOwned) {
    SetStateFlag(csDesigning, on);
    if (includeOwned)
        for (TComponent* c : components_) c->SetDesigning(on, true);
}

// ---------------------------------------------------------------------------
// TList

void TList::Error(const char16_t* message, int data) {
    String text(message);
    const auto at = text.find(u"%d");
    if (at != String::npos) text.replace(at, 2, IntToStr(data));
    throw EListError(text);
}

void* TList::Get(int Index) const {
    if (Index < 0 || Index >= Count()) Error(u"List index out of bounds (%d)", Index);
    return items_[static_cast<size_t>(Index)];
}

void TList::Put(int Index, void* Item) {
    if (Index < 0 || Index >= Count()) Error(u"List index out of bounds (%d)", Index);
    items_[static_cast<size_t>(Index)] = Item;
}

int TList::Add(void* Item) {
    items_.push_back(Item);
    return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
    if (Index < 0 || Index > Count()) Error(u"List index out of bounds (%d)", Index);
    items_.insert(items_.begin() + Index, Item);
}

void TList::Delete(int Index) {
    if (Index < 0 || Index >= Count()) Error(u"List index out of bounds (%d)", Index);
    items_.erase(items_.begin() + Index);
}

int TList::Remove(void* Item) {
    const int index = IndexOf(Item);
    if (index >= 0) Delete(index);
    return index;
}

int TList::IndexOf(void* Item) const {
    auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    if (NewIndex < 0 || NewIndex >= Count()) Error(u"List index out of bounds (%d)", NewIndex);
    void* item = Get(CurIndex);
    items_.erase(items_.begin() + CurIndex);
    items_.insert(items_.begin() + NewIndex, item);
}

void TList::Exchange(int Index1, int Index2) {
    void* a = Get(Index1);
    void* b = Get(Index2);
    items_[static_cast<size_t>(Index1)] = b;
    items_[static_cast<size_t>(Index2)] = a;
}

void TList::Clear() { items_.clear(); }
