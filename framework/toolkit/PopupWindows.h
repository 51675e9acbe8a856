// Pop-up windows with a modal loop of their own: the drop-down panel that a
// control shows below itself (the popup menu's loop is in PopupWindows.cpp
// too, behind TPopupMenu::Popup).
#pragma once

#include <functional>

#include "Controls.h"

// How a popup panel closed last.
enum TPopupCloseReason {
    pcrNone,          // not closed yet, or never shown
    pcrClose,         // Close was called
    pcrPressOutside,  // a mouse button went down outside it
    pcrFocusLost,     // the keyboard focus went elsewhere
    pcrDeactivated,   // the application was deactivated
    pcrPlatform,      // the platform closed it (Escape, the window manager)
};

// A borderless pop-up container: it stays a window of its own even with a
// parent (the parent gives it its font and its form), sizes itself to its
// children, and is shown by Popup below a control, running its own loop
// until it closes: by Close, by a mouse press outside it, when the keyboard
// focus goes elsewhere or when the application is deactivated. The press
// that closes it goes no further. The keyboard focus then goes back where it
// was, unless the application is inactive or the focus went elsewhere.
// Freeing the panel frees its content.
class TKvPopupPanel : public TCustomControl {
public:
    LV_CLASS_NAME(TKvPopupPanel)
    explicit TKvPopupPanel(TComponent* AOwner);
    ~TKvPopupPanel() override;

    void SetParent(TWinControl* AParent) override;

    // Shows the panel right-aligned below Control and returns when it has
    // closed. Where the work area of the monitor nearest that place has no
    // room, the panel moves left to end at its right edge, opens above
    // Control instead of below, and finally stays inside its left and top
    // edges. The mouse capture ends when the panel opens. Off screen, with
    // no automation to answer it, the panel closes at once.
    void Popup(TControl* Control);
    // Closes an open panel; usable as a click handler.
    void Close(TObject* Sender = nullptr);
    bool Popped() const { return FOpen; }
    TPopupCloseReason CloseReason() const { return FCloseReason; }

    // Called with the panel each time one is on screen (tests, batch runs).
    // A panel that the automation leaves open is closed when it returns, so
    // no run ever waits on a panel.
    static void SetAutomation(std::function<void(TKvPopupPanel& Panel)> automation);

    // Framework-internal: closes for the reason given (the first reason stands).
    void CloseFor(TPopupCloseReason Reason);
    void WndProc(TMessage& Message) override;

private:
    bool FOpen = false;
    TPopupCloseReason FCloseReason = pcrNone;
};

// Where a popup panel of Width x Height goes below Anchor (screen
// coordinates) on a monitor with WorkArea.
TRect PopupPanelBounds(const TRect& Anchor, int Width, int Height, const TRect& WorkArea);

// The platform telling the application that it is no longer the active one
// (tests: an open popup panel closes).
void SimulateApplicationDeactivation();
