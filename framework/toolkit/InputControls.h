// The text field and the check box: controls whose typing, caret, selection
// and ticking are the platform's own, hosted inside the control's window.
#pragma once

#include <memory>

#include "Controls.h"

// A one-line text field. OnChange runs whenever its text changes (typed or
// set). Keys go to OnKeyDown first; a handler that sets Key to 0 keeps
// them from the field (Enter, Escape, F3 for a find bar).
class TEdit : public TWinControl {
public:
    LV_CLASS_NAME(TEdit)
    explicit TEdit(TComponent* AOwner);
    ~TEdit() override;

    String Text() const;
    void SetText(const String& v) override;
    void SelectAll();
    // The field's background; clWindow is the platform's own.
    void SetColor(TColor v) override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    // The field has the keyboard focus.
    bool FieldFocused() const;

    TNotifyEvent OnChange;

    struct THost;

private:
    std::unique_ptr<THost> host_;
};

// A check box with its caption beside it. OnClick runs when the user ticks
// or clears it (not when Checked is set).
class TCheckBox : public TWinControl {
public:
    LV_CLASS_NAME(TCheckBox)
    explicit TCheckBox(TComponent* AOwner);
    ~TCheckBox() override;

    bool Checked() const;
    void SetChecked(bool v);
    void SetText(const String& v) override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    // The width its box and caption need.
    int PreferredWidth() const;

    struct THost;

private:
    std::unique_ptr<THost> host_;
};
