// Menus: the popup menu that a control can refer to, and accelerator
// characters marked with "&" in captions.
#pragma once

#include "Classes.h"

enum TPopupAlignment { paLeft, paRight, paCenter };

// A popup menu component. Controls refer to it without owning it and clear
// the reference through free-notification when it is destroyed.
class TPopupMenu : public TComponent {
public:
    LV_CLASS_NAME(TPopupMenu)
    using TComponent::TComponent;

    // Where the menu stands relative to the point it pops up at.
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }
    // The component that popped the menu up last.
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* Value) { popupComponent_ = Value; }

private:
    TPopupAlignment alignment_ = paLeft;
    TComponent* popupComponent_ = nullptr;
};

// The accelerator character of a caption: the character after the first
// "&" that is not part of "&&"; 0 when there is none.
char16_t GetAccelChar(const String& Caption);
// True when VK is the accelerator character of Caption, compared without
// regard to case.
bool IsAccel(char16_t VK, const String& Caption);

// Registers the menu classes for stored layouts; safe to call more than once.
void RegisterMenuClasses();
