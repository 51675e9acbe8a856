#include "ActnList.h"

#include <algorithm>

#include "Streaming.h"

// ---------------------------------------------------------------------------
// TBasicActionLink

TBasicActionLink::TBasicActionLink(TObject* AClient) {}

TBasicActionLink::~TBasicActionLink() {
    if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
    if (Value == action_) return;
    if (action_) action_->UnRegisterChanges(this);
    if (Value) Value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
    if (!action_) return false;
    action_->SetActionComponent(AComponent);
    struct Reset {
        TBasicAction* action;
        ~Reset() { action->SetActionComponent(nullptr); }
    } reset{action_};
    return action_->Execute();
}

void TBasicActionLink::Change() {
    if (OnChange) OnChange(action_);
}

// ---------------------------------------------------------------------------
// TBasicAction

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
    for (TBasicActionLink* link : clients_) link->action_ = nullptr;
}

bool TBasicAction::Execute() {
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
    if (!Value) return;
    if (Value->action_ && Value->action_ != this) Value->action_->UnRegisterChanges(Value);
    Value->action_ = this;
    if (std::find(clients_.begin(), clients_.end(), Value) == clients_.end()) clients_.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
    if (!Value) return;
    clients_.erase(std::remove(clients_.begin(), clients_.end(), Value), clients_.end());
    if (Value->action_ == this) Value->action_ = nullptr;
}

void TBasicAction::Change() {
    const std::vector<TBasicActionLink*> clients = clients_;
    for (TBasicActionLink* link : clients)
        if (std::find(clients_.begin(), clients_.end(), link) != clients_.end()) link->Change();
}

// ---------------------------------------------------------------------------
// TActionLink

namespace {

bool IsCustomAction(const TBasicAction* action) { return dynamic_cast<const TCustomAction*>(action) != nullptr; }

}  // namespace

bool TActionLink::IsCaptionLinked() const { return IsCustomAction(Action()); }
bool TActionLink::IsCheckedLinked() const { return IsCustomAction(Action()); }
bool TActionLink::IsEnabledLinked() const { return IsCustomAction(Action()); }
bool TActionLink::IsHintLinked() const { return IsCustomAction(Action()); }
bool TActionLink::IsImageIndexLinked() const { return IsCustomAction(Action()); }
bool TActionLink::IsVisibleLinked() const { return IsCustomAction(Action()); }

// ---------------------------------------------------------------------------
// TCustomAction

TCustomAction::TCustomAction(TComponent* AOwner) : TBasicAction(AOwner) {}

template <class V, class F>
void TCustomAction::ChangeProperty(V& field, const V& value, F offer) {
    if (field == value) return;
    // The links compare the client's state with the old value, so they are
    // told before the value changes.
    for (int i = 0; i < ClientCount(); ++i)
        if (auto* link = dynamic_cast<TActionLink*>(Clients(i))) offer(*link);
    field = value;
    TBasicAction::Change();
}

void TCustomAction::SetCaption(const String& Value) {
    ChangeProperty(caption_, Value, [&](TActionLink& l) { l.SetCaption(Value); });
}
void TCustomAction::SetChecked(bool Value) {
    ChangeProperty(checked_, Value, [&](TActionLink& l) { l.SetChecked(Value); });
}
void TCustomAction::SetEnabled(bool Value) {
    ChangeProperty(enabled_, Value, [&](TActionLink& l) { l.SetEnabled(Value); });
}
void TCustomAction::SetHint(const String& Value) {
    ChangeProperty(hint_, Value, [&](TActionLink& l) { l.SetHint(Value); });
}
void TCustomAction::SetImageIndex(int Value) {
    ChangeProperty(imageIndex_, Value, [&](TActionLink& l) { l.SetImageIndex(Value); });
}
void TCustomAction::SetVisible(bool Value) {
    ChangeProperty(visible_, Value, [&](TActionLink& l) { l.SetVisible(Value); });
}

bool TCustomAction::Execute() { return enabled_ && TBasicAction::Execute(); }

namespace {

void RegisterActions() {
    TClassBuilder<TBasicAction>(u"TBasicAction", u"").Event(u"OnExecute", &TBasicAction::OnExecute);
    TClassBuilder<TCustomAction>(u"TCustomAction", u"TBasicAction")
        .Str(u"Caption", &TCustomAction::Caption, &TCustomAction::SetCaption, String())
        .Boolean(u"Checked", &TCustomAction::Checked, &TCustomAction::SetChecked, false)
        .Boolean(u"Enabled", &TCustomAction::Enabled, &TCustomAction::SetEnabled, true)
        .Str(u"Hint", &TCustomAction::Hint, &TCustomAction::SetHint, String())
        .Integer(u"ImageIndex", &TCustomAction::ImageIndex, &TCustomAction::SetImageIndex, -1)
        .Boolean(u"Visible", &TCustomAction::Visible, &TCustomAction::SetVisible, true);
    TClassBuilder<TAction>(u"TAction", u"TCustomAction");
}

}  // namespace

void RegisterActionClasses() {
    RegisterClassesOnce(RegisterActions);
}
