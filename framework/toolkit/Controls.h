// The controls tree: windowless and windowed controls with parents and
// children, bounds and alignment, visibility, enabled state, inherited fonts
// and colours, hints, invalidation and painting, mouse routing with capture
// and enter/leave, and message words dispatched through WndProc.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "ActnList.h"
#include "Classes.h"
#include "Graphics.h"
#include "Messages.h"

class TWinControl;
class TControlWidget;  // framework-internal window behind a windowed control
class TBasicAction;
class TControl;
class TControlActionLink;
// The class of a control's action link: makes the link for a client.
using TControlActionLinkClass = TControlActionLink* (*)(TControl* AClient);

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = Set<TAnchorKind>;
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TMouseButton { mbLeft, mbRight, mbMiddle };
// ssPen: the press came from a pen rather than a mouse.
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble, ssPen };
using TShiftState = Set<TShiftStateFlag>;
enum TDragMode { dmManual, dmAutomatic };

// Control styles. csSetCaption, csOpaque and csParentBackground have no
// behaviour on this platform (nothing reads them); they exist because the
// component set's controls set and clear them.
enum TControlStyleFlag {
    csCaptureMouse,       // the mouse is captured between a press and its release
    csClickEvents,        // a press and release inside makes a click
    csSetCaption,         // elsewhere: the caption follows the name until set
    csOpaque,             // elsewhere: the control paints its whole rectangle
    csDoubleClicks,       // a second press makes a double click (else a plain press)
    csParentBackground,   // elsewhere: the parent's background shows through
    csNoDesignVisible,    // elsewhere: hidden in a designer (the toolbar's overflow button)
};
using TControlStyle = Set<TControlStyleFlag>;

enum TControlStateFlag {
    csClicked,  // pressed inside: a release inside clicks
};
using TControlState = Set<TControlStateFlag>;

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crHandPoint = -21;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, unsigned short& Key, TShiftState Shift)>;

// Spacing kept around a control aligned with margins.
struct TMargins {
    int Left = 3;
    int Top = 3;
    int Right = 3;
    int Bottom = 3;
};

// Inner spacing of a container, kept free of aligned children.
struct TPadding {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

struct TSizeConstraints {
    int MinWidth = 0;
    int MinHeight = 0;
    int MaxWidth = 0;   // 0: no limit
    int MaxHeight = 0;
};

// A canvas that draws on a control while the control is being painted.
class TControlCanvas : public TCanvas {
public:
    LV_CLASS_NAME(TControlCanvas)
    explicit TControlCanvas(class TControl* control = nullptr) : control_(control) {}
    ~TControlCanvas() override;
    class TControl* Control() const { return control_; }
    void SetControl(class TControl* c) { control_ = c; }

    // A bound canvas paints along with its control: whenever the control is
    // painted (its own paint, a print-client, a picture of it) the canvas
    // draws on the same surface with the control's origin and clip, so that
    // a control can draw over its children after they were painted. The
    // control's own canvas is bound so; a further one binds itself here.
    void BindToControl();
    void UnbindFromControl();

private:
    class TControl* control_;
    bool bound_ = false;
};

class TControl : public TComponent {
public:
    LV_CLASS_NAME(TControl)
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // --- parent and bounds -------------------------------------------------
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* AParent);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    // The client area in the control's own coordinates.
    virtual TRect GetClientRect() const;
    TRect ClientRect() const { return GetClientRect(); }
    int ClientWidth() const { return GetClientRect().Width(); }
    int ClientHeight() const { return GetClientRect().Height(); }
    virtual void SetClientWidth(int v);
    virtual void SetClientHeight(int v);
    // Position of the client area's top-left corner on the screen.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;
    TPoint ClientToParent(TPoint p, TWinControl* AParent = nullptr) const;
    TPoint ParentToClient(TPoint p, TWinControl* AParent = nullptr) const;

    TAlign Align() const { return align_; }
    virtual void SetAlign(TAlign v);
    // Stored in layouts; nothing here anchors a control to its parent's edges.
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors v) { anchors_ = v; }
    bool AlignWithMargins() const { return alignWithMargins_; }
    void SetAlignWithMargins(bool v);
    TMargins& Margins() { return margins_; }
    const TMargins& Margins() const { return margins_; }
    TSizeConstraints& Constraints() { return constraints_; }

    // --- visibility and state ----------------------------------------------
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent up to a shown window is visible too.
    virtual bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool v);
    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle v) { controlStyle_ = v; }
    TControlState ControlState() const { return controlState_; }
    void SetControlState(TControlState v) { controlState_ = v; }

    // --- text, colour, font, hints, reading order --------------------------
    const String& Caption() const { return text_; }
    void SetCaption(const String& v) { SetText(v); }
    const String& Text() const { return text_; }
    virtual void SetText(const String& v);
    TColor Color() const { return color_; }
    virtual void SetColor(TColor v);
    bool ParentColor() const { return parentColor_; }
    virtual void SetParentColor(bool v);
    TFont& Font() { return *font_; }
    const TFont& Font() const { return *font_; }
    void SetFont(const TFont& f) { font_->Assign(f); }
    bool ParentFont() const { return parentFont_; }
    virtual void SetParentFont(bool v);
    const String& Hint() const { return hint_; }
    void SetHint(const String& v) { hint_ = v; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool v);
    TBiDiMode BiDiMode() const { return bidiMode_; }
    virtual void SetBiDiMode(TBiDiMode v);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool v);
    bool UseRightToLeftAlignment() const;
    bool UseRightToLeftReading() const;
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor v);
    // Stored in layouts; nothing here drags controls.
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode v) { dragMode_ = v; }
    bool IsRightToLeft() const { return bidiMode_ != bdLeftToRight; }

    // --- painting ----------------------------------------------------------
    // Schedules a paint of the whole control.
    virtual void Invalidate();
    // Paints now (pending paints of the control included).
    virtual void Repaint();
    void Refresh() { Repaint(); }
    // Paints whatever of the control's window is waiting, without handling
    // any other event.
    virtual void Update();
    void BringToFront();
    void SendToBack();

    // --- messages ------------------------------------------------------------
    std::intptr_t Perform(unsigned Msg, std::intptr_t WParam = 0, std::intptr_t LParam = 0);
    virtual void WndProc(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message) {}

    // --- events --------------------------------------------------------------
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    virtual void Click();
    virtual void DblClick();

    // Scales position, size and font by M / D.
    virtual void ChangeScale(int M, int D);

    // Offers an action to the control; true when the control carried it
    // out (a status pane showing the application's hint, for instance).
    virtual bool ExecuteAction(TBasicAction* Action) { return false; }

    // --- size to content -----------------------------------------------------
    // A windowed control with AutoSize takes the size its CanAutoSize asks
    // for whenever it aligns its children.
    bool AutoSize() const { return autoSize_; }
    virtual void SetAutoSize(bool Value);

    // --- action --------------------------------------------------------------
    // The action the control follows (caption, enabled state, hint,
    // visibility) and runs when it is clicked; nil for none.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* Value);
    TControlActionLink* ActionLink() const { return actionLink_.get(); }

    void Notification(TComponent* AComponent, TOperation Operation) override;

    // The control hit by a point of its parent's client area (CM_HITTEST).
    bool HitTest(int X, int Y);

    bool MouseCapture() const;
    void SetMouseCapture(bool v);

    void Loaded() override;
    // Stored layouts: a control read into a windowed control is its child.
    void SetParentComponent(TComponent* Parent) override;
    bool HasParent() const override { return true; }

protected:
    void BeforeDestruction() override;
    // The action was just assigned: the control takes over its state; with
    // CheckDefaults (while loading) only where the control still has its
    // own default value. Later changes of the action reach the control
    // through its link, property by property.
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);
    virtual TControlActionLinkClass GetActionLinkClass() const;
    // Copies the control's state into an action.
    void AssignTo(TPersistent* Dest) override;
    // Asks the control for its auto size and applies it.
    virtual void AdjustSize() {}
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void Resize();
    virtual void Paint() {}
    // Tells the parent that this control wants realigning.
    void RequestAlign();
    // Hook for descendants: the control's bounds changed (after the fact).
    virtual void BoundsChanged(int oldWidth, int oldHeight) {}
    // Lets descendants check a new size; false refuses it.
    virtual bool CanResize(int& NewWidth, int& NewHeight) { return true; }
    virtual void VisibleChanging() {}
    void FontChanged(TObject* Sender);
    friend class TWinControl;

    // Invalidates the part of the parent that the control covers; nothing
    // when isVisible is false.
    void InvalidateControl(bool isVisible);

private:
    void HandleMouseMessage(TMessage& m);
    void DoMouseDown(TMessage& m, TMouseButton button);
    void DoMouseUp(TMessage& m, TMouseButton button);

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    TAnchors anchors_{akLeft, akTop};
    bool alignWithMargins_ = false;
    TMargins margins_;
    TSizeConstraints constraints_;
    bool visible_ = true;
    bool enabled_ = true;
    TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState controlState_;
    String text_;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    bool fontFromParent_ = false;
    String hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TBiDiMode bidiMode_ = bdLeftToRight;
    bool parentBiDiMode_ = true;
    TCursor cursor_ = crDefault;
    TDragMode dragMode_ = dmManual;
    bool autoSize_ = false;
    std::unique_ptr<TControlActionLink> actionLink_;
};

// The link of a control to its action: the control shows the action's
// caption, enabled state, hint and visibility for as long as it still
// shows the action's values.
class TControlActionLink : public TActionLink {
public:
    LV_CLASS_NAME(TControlActionLink)
    explicit TControlActionLink(TObject* AClient);
    static TControlActionLink* Create(TControl* AClient) { return new TControlActionLink(AClient); }

    bool IsCaptionLinked() const override;
    bool IsEnabledLinked() const override;
    bool IsHintLinked() const override;
    bool IsVisibleLinked() const override;
    void SetCaption(const String& Value) override;
    void SetEnabled(bool Value) override;
    void SetHint(const String& Value) override;
    void SetVisible(bool Value) override;

protected:
    void AssignClient(TObject* AClient) override;
    TControl* FClient = nullptr;
};

// A control without a window of its own: its parent paints it after itself,
// inside the control's rectangle, and routes mouse input to it.
class TGraphicControl : public TControl {
public:
    LV_CLASS_NAME(TGraphicControl)
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas& Canvas() { return *canvas_; }

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override {}

private:
    std::unique_ptr<TControlCanvas> canvas_;
};

// A control with its own window, which can hold children.
class TWinControl : public TControl {
public:
    LV_CLASS_NAME(TWinControl)
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // Children: windowless ones in insertion order, then windowed ones in
    // insertion order.
    int ControlCount() const { return static_cast<int>(controls_.size() + winControls_.size()); }
    TControl* Controls(int Index) const;
    int ControlIndex(TControl* AControl) const;
    // The child containing a client point, topmost first; disabled children
    // only when allowed.
    TControl* ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls = false) const;
    bool ContainsControl(TControl* Control) const;

    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);

    // Sends the message to every child until one answers with a result.
    void Broadcast(TMessage& Message);
    // Sends a message with both parameters to every child.
    void NotifyControls(unsigned Msg);

    // Alignment of children. DisableAlign and EnableAlign nest; a child
    // that asks for alignment meanwhile is aligned when the last one ends.
    void DisableAlign();
    void EnableAlign();
    class TAlignBracket;
    bool AlignDisabled() const { return alignLevel_ > 0; }
    void Realign();
    // A child (or nil for all) asks for realignment.
    virtual void AlignControl(TControl* AControl);
    // The rectangle in which children are aligned.
    virtual void AdjustClientRect(TRect& Rect);
    // The size that AutoSize gives the control: by default just large
    // enough for the visible children. False keeps the current size.
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
    TPadding& Padding() { return padding_; }

    // Window handle: created with the control.
    bool HandleAllocated() const { return widget_ != nullptr; }
    void HandleNeeded();
    TControlWidget* Widget() const { return widget_; }

    bool Focused() const;
    virtual bool CanFocus() const;
    void SetFocus();
    // Stored in layouts; Qt orders the focus and buffers the painting of the
    // windows itself, so these three change nothing.
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int v) { tabOrder_ = v; }
    // A tab stop takes the focus by Tab and by a click.
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool v) { doubleBuffered_ = v; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetVisible(bool v) override;
    void SetEnabled(bool v) override;
    bool Showing() const override;
    TPoint ClientOrigin() const override;

    void Invalidate() override;
    // Schedules a paint of part of the client area.
    virtual void InvalidateRect(const TRect& r);
    void Repaint() override;
    void Update() override;
    // Paints the control's background, client area and children onto a canvas
    // (used for transparent children and screenshots).
    void PaintTo(TCanvas& canvas, int X, int Y);
    // Renders the control with everything on it into a bitmap through the
    // toolkit's own painting.
    void GetImage(TBitmap& bitmap);
    // The window as the windowing system shows it, native parts (such as
    // scroll bars) included.
    void GetWindowImage(TBitmap& bitmap);

    void WndProc(TMessage& Message) override;
    void ChangeScale(int M, int D) override;

    // Stored layouts: the controls listed inside a windowed control are its
    // children, read with its alignment held back and written from its list
    // of children.
    bool HoldsChildren() const override { return true; }
    void ReadChildren(const std::function<void()>& Read) override;
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

    // The pointer's shape over the window, until the next WM_SETCURSOR
    // chooses again (WM_SETCURSOR's default shows the cursor of the control
    // under the pointer).
    void SetWindowCursor(TCursor cursor);
    TCursor WindowCursor() const { return windowCursor_; }

    TKeyEvent OnKeyDown;

protected:
    void BeforeDestruction() override;
    virtual void CreateWnd() {}
    // Lays the children out inside Rect.
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    void AdjustSize() override;
    // Paints the window: background (WM_ERASEBKGND), PaintWindow, children.
    virtual void PaintHandler(TCanvas& canvas, const TRect& updateRect);
    virtual void PaintWindow(TCanvas& canvas) {}
    void PaintControls(TCanvas& canvas, const TRect& updateRect);
    // Qt-side keyboard entry points; return true when consumed.
    virtual bool KeyDown(unsigned short& Key, TShiftState Shift);
    virtual bool KeyPress(char16_t& Key) { return false; }
    virtual void DoEnter() {}
    virtual void DoExit() {}
    // Called when the window was resized or moved from outside (the user or
    // the system).
    void WindowResized(int w, int h);
    void WindowMoved(int x, int y);
    // Makes the control's own window a top-level window (forms).
    void MakeTopLevel();

    friend class TControl;
    friend class TControlWidget;

private:
    void ApplyWidgetGeometry();
    void ApplyWidgetVisibility();

    std::vector<TControl*> controls_;
    std::vector<TWinControl*> winControls_;
    int alignLevel_ = 0;
    bool alignPending_ = false;
    TPadding padding_;
    TControlWidget* widget_ = nullptr;
    bool wndCreated_ = false;
    int tabOrder_ = -1;
    bool tabStop_ = false;
    bool doubleBuffered_ = false;
    TCursor windowCursor_ = crDefault;
};

// Holds back the alignment of a control's children for as long as it lives,
// so that many changes end in one alignment. End() closes the bracket and
// aligns what was asked for meanwhile (which may raise). A bracket that an
// error leaves closes without aligning: no layout work while an error
// passes; what was asked for stays pending for the next alignment.
class TWinControl::TAlignBracket {
public:
    explicit TAlignBracket(TWinControl& control) : control_(&control) { control.DisableAlign(); }
    ~TAlignBracket() {
        if (control_ && control_->alignLevel_ > 0) --control_->alignLevel_;
    }
    TAlignBracket(const TAlignBracket&) = delete;
    TAlignBracket& operator=(const TAlignBracket&) = delete;
    void End() { std::exchange(control_, nullptr)->EnableAlign(); }

private:
    TWinControl* control_;
};

// A windowed control that paints itself on its canvas.
class TCustomControl : public TWinControl {
public:
    LV_CLASS_NAME(TCustomControl)
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas& Canvas() { return *canvas_; }

protected:
    void PaintWindow(TCanvas& canvas) override;
    void Paint() override {}

private:
    std::unique_ptr<TControlCanvas> canvas_;
};

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A windowed container with a caption, bevels and a border band.
class TCustomPanel : public TCustomControl {
public:
    LV_CLASS_NAME(TCustomPanel)
    explicit TCustomPanel(TComponent* AOwner);

    TAlignment Alignment() const { return alignment_; }
    virtual void SetAlignment(TAlignment v);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut v);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut v);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int v);
    int BorderWidth() const { return borderWidth_; }
    virtual void SetBorderWidth(int v);
    bool FullRepaint() const { return fullRepaint_; }
    void SetFullRepaint(bool v) { fullRepaint_ = v; }
    bool ParentBackground() const { return ControlStyle().Contains(csParentBackground); }
    bool DockSite() const { return dockSite_; }
    void SetDockSite(bool v) { dockSite_ = v; }
    // Nothing docks on this platform: a dock manager that a panel makes on
    // request does nothing.
    bool UseDockManager() const { return useDockManager_; }
    void SetUseDockManager(bool v) { useDockManager_ = v; }

    void AdjustClientRect(TRect& Rect) override;
    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;

private:
    TAlignment alignment_ = taCenter;
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    bool fullRepaint_ = true;
    bool dockSite_ = false;
    bool useDockManager_ = false;
};

// The windowed control under a screen point, then the windowless child at
// that point (disabled controls only when allowed), or nil.
TControl* FindDragTarget(TPoint ScreenPos, bool AllowDisabled);
// The control that captures the mouse now, or nil.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// Ends any mouse capture: what a pop-up that takes over the mouse does.
void ReleaseCapture();
// The control the pointer is over, as the enter/leave tracking knows it.
TControl* MouseControl();
// Screen position of the pointer, as the last mouse event seen by the
// toolkit's windows (or by a pop-up menu or panel while one is open) left it.
TPoint CursorPos();
// Posts a message to a control: it is performed later by the event loop,
// unless the control has been destroyed by then.
void PostMessage(TControl* Control, unsigned Msg, std::intptr_t WParam, std::intptr_t LParam);
// True while any window has paints waiting (a cheap test for Update).
bool AnyPaintPending();

// Runs toolkit code on behalf of the event loop; an escaping error goes to
// the error handler, as it would from a real event.
void GuardEvent(const std::function<void()>& body);
// Told whenever the control under the pointer changes (for the current hint).
using TMouseControlHandler = std::function<void(TControl* control)>;
void SetMouseControlHandler(TMouseControlHandler handler);
// The first part of a hint (before "|"), shown in the pop-up, and the rest.
String GetShortHint(const String& hint);
String GetLongHint(const String& hint);

// Simulated input for tests and batch runs: the same path as real input
// (defined with the Qt window, in private/ControlWidget.cpp).
void SimulateMouseMove(TWinControl* Window, int X, int Y, TShiftState Shift = {});
void SimulateMouseDown(TWinControl* Window, TMouseButton Button, int X, int Y, TShiftState Shift = {});
void SimulateMouseUp(TWinControl* Window, TMouseButton Button, int X, int Y, TShiftState Shift = {});
void SimulateDoubleClick(TWinControl* Window, TMouseButton Button, int X, int Y);
void SimulateKey(TWinControl* Window, unsigned short Key, TShiftState Shift = {}, char16_t Char = 0);
void SimulateMouseWheel(TWinControl* Window, int X, int Y, int Delta);
// Moves a top-level window to a screen position as the user dragging it would.
void SimulateWindowMove(TWinControl* Window, int X, int Y);

// Key codes used by the toolkit.
constexpr unsigned short VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
                         VK_MENU = 0x12, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22,
                         VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27,
                         VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_F3 = 0x72, VK_F4 = 0x73,
                         VK_F5 = 0x74;
