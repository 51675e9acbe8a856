// Menus: the popup menu that a control can refer to and drop down, its
// items, and accelerator characters marked with "&" in captions.
#pragma once

#include <functional>
#include <vector>

#include "Classes.h"

class TBitmap;

// One entry of a menu, with sub-items of its own. An item that belongs to
// another one is freed with it; an item that is freed leaves its parent.
class TMenuItem : public TComponent {
public:
    LV_CLASS_NAME(TMenuItem)
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    // "&" marks the accelerator; a caption of "-" makes a separator line.
    const String& Caption() const { return caption_; }
    void SetCaption(const String& Value) { caption_ = Value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value) { enabled_ = Value; }
    bool Visible() const { return visible_; }
    void SetVisible(bool Value) { visible_ = Value; }
    bool Checked() const { return checked_; }
    void SetChecked(bool Value) { checked_ = Value; }

    // --- sub-items ----------------------------------------------------------
    int Count() const { return static_cast<int>(items_.size()); }
    // The sub-item at Index; outside 0..Count-1 the list's index error.
    TMenuItem* Items(int Index) const;
    int IndexOf(const TMenuItem* Item) const;
    TMenuItem* Parent() const { return parent_; }
    // Adds an item (taken from its former parent, if any) at the end or at Index.
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    // Takes the sub-item out of the list without freeing it.
    void Delete(int Index);
    void Remove(TMenuItem* Item);
    // Frees every sub-item.
    void Clear();
    bool IsLine() const { return caption_ == u"-"; }

    // Runs OnClick.
    virtual void Click();
    TNotifyEvent OnClick;

protected:
    void BeforeDestruction() override;

private:
    String caption_;
    bool enabled_ = true;
    bool visible_ = true;
    bool checked_ = false;
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
};

// True while the item still exists (a chosen item's click runs later, from
// the event loop, and is dropped when the item is gone by then).
bool MenuItemExists(const TMenuItem* Item);

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenuDriver;

// A popup menu component. Controls refer to it without owning it and clear
// the reference through free-notification when it is destroyed.
class TPopupMenu : public TComponent {
public:
    LV_CLASS_NAME(TPopupMenu)
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // The top-level items hang below this item.
    TMenuItem* Items() const { return items_.get(); }
    // Where the menu stands relative to the point it pops up at: its left
    // edge there (paLeft), its right edge (paRight) or its middle (paCenter).
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }
    // The component that popped the menu up last; nil once it is freed.
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* Value);

    // Fires OnPopup, shows the menu at the screen point (X, Y) by its
    // alignment, kept on the monitor nearest the point as the platform keeps
    // menus (it opens on the other side of the point where it does not fit),
    // and returns when the menu has closed. The mouse capture ends when the
    // menu opens. The OnClick of the item chosen runs afterwards, from the
    // event loop, as a command the menu sent. Off screen, with no automation
    // to answer it, the menu closes at once with nothing chosen.
    virtual void Popup(int X, int Y);
    TNotifyEvent OnPopup;

    // Called with a driver each time a menu is on screen (tests, batch
    // runs). A menu that the automation leaves open is closed when it
    // returns, so no run ever waits on a menu.
    static void SetAutomation(std::function<void(TPopupMenuDriver&)> automation);

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TOwned<TMenuItem> items_;
    TPopupAlignment alignment_ = paLeft;
    TComponent* popupComponent_ = nullptr;
};

// What a test (or a batch run) can do with a popup menu that is on screen:
// the same input that a user gives, sent to the menu.
class TPopupMenuDriver {
public:
    virtual ~TPopupMenuDriver() = default;
    virtual TPopupMenu& Menu() = 0;
    // The point the menu was asked to pop up at.
    virtual TPoint PopupPoint() const = 0;
    // Where the menu shows, in screen coordinates.
    virtual TRect Bounds() const = 0;
    // The captions of the top-level items shown, separators as "-".
    virtual std::vector<String> Captions() const = 0;
    // A click on the shown top-level item of that caption: an enabled item
    // is chosen and the menu closes.
    virtual void Choose(const String& Caption) = 0;
    // A press at a screen point; outside the menu it closes the menu.
    virtual void PressAt(TPoint ScreenPos) = 0;
    // The Escape key: the menu closes with nothing chosen.
    virtual void Cancel() = 0;
    // The menu as it shows on screen.
    virtual void GetImage(TBitmap& Bitmap) = 0;
};

// Where a menu of Width x Height shown at P with Alignment goes on a monitor
// with WorkArea: by its alignment where it fits, else on the other side of
// P (left of it, right of it, above it), and moved inside the work area
// where even that does not fit.
TRect PlacePopupMenu(TPoint P, TPopupAlignment Alignment, int Width, int Height, const TRect& WorkArea);

// The accelerator character of a caption: the character after the first
// "&" that is not part of "&&"; 0 when there is none.
char16_t GetAccelChar(const String& Caption);
// True when VK is the accelerator character of Caption, compared without
// regard to case.
bool IsAccel(char16_t VK, const String& Caption);

// Registers the menu classes for stored layouts; safe to call more than once.
void RegisterMenuClasses();
