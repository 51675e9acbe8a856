// Actions: command objects that carry a caption, hint, enabled, visible and
// checked state and an image index, and the links through which controls
// follow an action and run it when they are clicked. The basic action
// itself lives with the component model (Classes.h).
#pragma once

#include "Classes.h"

// Ties a client (a control) to an action: the action tells the link of its
// changes, the client runs the action through the link.
class TBasicActionLink : public TObject {
public:
    LV_CLASS_NAME(TBasicActionLink)
    explicit TBasicActionLink(TObject* AClient);
    ~TBasicActionLink() override;
    TBasicActionLink(const TBasicActionLink&) = delete;
    TBasicActionLink& operator=(const TBasicActionLink&) = delete;

    TBasicAction* Action() const { return action_; }
    void SetAction(TBasicAction* Value);
    // Runs the action with AComponent as the component that asked; false
    // when there is no action or it did not run.
    virtual bool Execute(TComponent* AComponent = nullptr);

    // Called whenever the action changed.
    TNotifyEvent OnChange;

protected:
    virtual void AssignClient(TObject* AClient) {}
    virtual void Change();

private:
    friend class TBasicAction;
    TBasicAction* action_ = nullptr;
};

// A link whose client shows the action's state.
class TActionLink : public TBasicActionLink {
public:
    LV_CLASS_NAME(TActionLink)
    using TBasicActionLink::TBasicActionLink;

    // Whether the client follows that property of the action.
    virtual bool IsCaptionLinked() const;
    virtual bool IsCheckedLinked() const;
    virtual bool IsEnabledLinked() const;
    virtual bool IsHintLinked() const;
    virtual bool IsImageIndexLinked() const;
    virtual bool IsVisibleLinked() const;

    // The action's property changed to Value; the client takes it over
    // when it follows that property.
    virtual void SetCaption(const String& Value) {}
    virtual void SetChecked(bool Value) {}
    virtual void SetEnabled(bool Value) {}
    virtual void SetHint(const String& Value) {}
    virtual void SetImageIndex(int Value) {}
    virtual void SetVisible(bool Value) {}
};

// An action with the state that controls show.
class TCustomAction : public TBasicAction {
public:
    LV_CLASS_NAME(TCustomAction)
    explicit TCustomAction(TComponent* AOwner);

    const String& Caption() const { return caption_; }
    void SetCaption(const String& Value);
    bool Checked() const { return checked_; }
    void SetChecked(bool Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    const String& Hint() const { return hint_; }
    void SetHint(const String& Value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);

    // A disabled action does not run.
    bool Execute() override;

private:
    // Offers the new value to every client link, stores it and tells the links.
    template <class V, class F>
    void ChangeProperty(V& field, const V& value, F offer);

    String caption_;
    bool checked_ = false;
    bool enabled_ = true;
    String hint_;
    int imageIndex_ = -1;
    bool visible_ = true;
};

class TAction : public TCustomAction {
public:
    LV_CLASS_NAME(TAction)
    using TCustomAction::TCustomAction;
};

// Registers the action classes for stored layouts; safe to call more than once.
void RegisterActionClasses();
