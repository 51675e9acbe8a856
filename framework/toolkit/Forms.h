// Forms (top-level windows created from stored layouts), the application
// object with its event loop and default error handler, and the screen.
#pragma once

#include <functional>
#include <map>
#include <span>
#include <vector>

#include "Controls.h"
#include "Monitors.h"
#include "Streaming.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = Set<TBorderIcon>;
// pmAuto: a form shown while another one is active stays above that one.
enum TPopupMode { pmNone, pmAuto, pmExplicit };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2;

class TCustomForm : public TCustomControl, public ILayoutRoot {
public:
    LV_CLASS_NAME(TCustomForm)
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle v);
    // The buttons of the title bar; a dialog border has neither minimize
    // nor maximize.
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons v) { borderIcons_ = v; }
    TPopupMode PopupMode() const { return popupMode_; }
    void SetPopupMode(TPopupMode v) { popupMode_ = v; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState v);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition v) { position_ = v; }
    bool ScreenSnap() const { return screenSnap_; }
    void SetScreenSnap(bool v) { screenSnap_ = v; }
    int SnapBuffer() const { return snapBuffer_; }
    void SetSnapBuffer(int v) { snapBuffer_ = v; }
    // The resolution the layout was made at; stored only: logical pixels are
    // 96 per inch, and Qt scales them to the screen.
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int v) { pixelsPerInch_ = v; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult v) { modalResult_ = v; }
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* c);

    void SetClientWidth(int v) override { SetWidth(v); }
    void SetClientHeight(int v) override { SetHeight(v); }

    void Show();
    void Close();
    // Shows the form and runs a local event loop until ModalResult is set
    // or the form is hidden; returns the result (mrCancel when none was set).
    TModalResult ShowModal();
    void Release();

    // Called with the form each time a form has been shown modally, from the
    // event loop once the form is up: tests and batch runs answer a modal
    // form through it. An automation that leaves the form open has it closed
    // with mrCancel, so that no run waits for a user who is not there.
    static void SetModalAutomation(std::function<void(TCustomForm&)> automation);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TCloseEvent OnClose;

    // Runs the creation handler; an error in it is shown by the application
    // and the window is still created.
    void DoCreate();

    TNotifyEvent MethodByName(const String& Name) const override;
    std::any HandlerByName(const String& Name) const override;
    void BindField(const String& Name, TComponent* Component) override;

    // WM_SYSCOMMAND with SC_SIZE + a WMSZ_ edge starts the platform's own
    // interactive resizing of the window from that edge or corner (the
    // window follows the pointer until the button is released); the
    // message's Result is 1 when the platform took it on.
    void WndProc(TMessage& Message) override;

protected:
    void BeforeDestruction() override;
    void Paint() override {}
    virtual bool StartSystemResize(unsigned edge);
    // Reads the window's stored layout (text form), then lines everything up.
    void ReadLayout(std::string_view layoutText);
    void RegisterMethod(const String& name, TNotifyEvent handler);
    // A handler for an event with more parameters than Sender (E is the
    // event's std::function type, as the class registered it).
    template <class E>
    void RegisterHandler(const String& name, E handler) {
        handlers_[UpperCase(name)] = std::move(handler);
    }
    // Enter clicks the default button, Escape the cancel button, unless
    // the focused control takes the key itself.
    bool KeyDown(unsigned short& Key, TShiftState Shift) override;
    template <class C>
    void RegisterField(const String& name, C*& field) {
        fields_[UpperCase(name)] = [&field](TComponent* c) { field = dynamic_cast<C*>(c); };
    }

private:
    void PlaceOnScreen();
    void SnapToScreenEdges();
    void ApplyWindowFlags();
    void StayAboveActiveForm();
    // Qt's focus chain in TabOrder, and the first control in it focused.
    void ApplyTabOrder();

    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TPopupMode popupMode_ = pmNone;
    TWindowState windowState_ = wsNormal;
    TPosition position_ = poDefaultPosOnly;
    bool screenSnap_ = false;
    int snapBuffer_ = 10;
    int pixelsPerInch_ = 96;
    TModalResult modalResult_ = mrNone;
    bool placed_ = false;
    TWinControl* activeControl_ = nullptr;
    std::map<String, TNotifyEvent> methods_;
    std::map<String, std::any> handlers_;
    std::map<String, std::function<void(TComponent*)>> fields_;
};

class TForm : public TCustomForm {
public:
    LV_CLASS_NAME(TForm)
    using TCustomForm::TCustomForm;
};

// Where the default error handler's boxes go: a modal box on screen, or a
// line on the error stream when there is no one to click OK (batch runs).
enum class TErrorDisplay { MessageBox, StandardError };

class TApplication : public TComponent {
public:
    LV_CLASS_NAME(TApplication)
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    void Initialize();
    // Kept for the program block that sets it; windows here have their own
    // task bar entries anyway.
    bool MainFormOnTaskBar() const { return mainFormOnTaskBar_; }
    void SetMainFormOnTaskBar(bool v) { mainFormOnTaskBar_ = v; }
    // Creates a form (owned by the application); the first becomes the main form.
    template <class F>
    void CreateForm(F*& reference) {
        auto* form = new F(this);
        reference = form;
        AdoptForm(form);
    }
    // Shows the main form and runs the event loop until it closes.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    void ProcessMessages();

    TCustomForm* MainForm() const { return mainForm_; }
    // The program file's name without directory and extension, first
    // character as stored and the rest in lower case.
    String Title() const;
    void SetTitle(const String& v) { title_ = v; }
    // The icon of every window of the program, given as PNG pictures of
    // several sizes; the window system picks the size it shows. Pictures
    // that do not decode are left out. IconSizes: the sizes it holds.
    void SetIcon(const std::vector<std::span<const unsigned char>>& pngs);
    std::vector<int> IconSizes() const;
    const String& ExeName() const { return exeName_; }
    void SetExeName(const String& path) { exeName_ = path; }

    // The hint of the control under the pointer.
    const String& Hint() const { return hint_; }
    void SetHint(const String& v);
    TNotifyEvent OnHint;
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v) { showHint_ = v; }

    // The default error handler: the error's message (ErrorMessage: "Out of
    // memory" when memory ran out), with a full stop added unless it ends
    // with one or a character sorting at or before it, in a box with an
    // error icon and OK, titled with the application's title.
    void HandleException(const std::exception& error);
    void ShowException(const String& message);
    void SetErrorDisplay(TErrorDisplay d) { errorDisplay_ = d; }
    // Tests and batch runs can watch every error the handler shows.
    std::function<void(const String& title, const String& message)> OnErrorShown;
    int ErrorCount() const { return errorCount_; }

    void AdoptForm(TCustomForm* form);

private:
    bool mainFormOnTaskBar_ = false;
    bool terminated_ = false;
    bool initialized_ = false;
    TCustomForm* mainForm_ = nullptr;
    String title_;
    String exeName_;
    String hint_;
    bool showHint_ = true;
    TErrorDisplay errorDisplay_ = TErrorDisplay::MessageBox;
    int errorCount_ = 0;
};

// The message a box shows for an error message: a full stop is added unless
// the text is empty or ends with a character that sorts at or before ".".
String MessageWithFullStop(const String& message);

class TScreen : public TComponent {
public:
    LV_CLASS_NAME(TScreen)
    using TComponent::TComponent;
    int PixelsPerInch() const { return 96; }
    int Width() const;
    int Height() const;
    // Work area of the monitor nearest the point, in screen coordinates.
    TRect WorkAreaRectAt(TPoint p) const;
    TRect WorkAreaRect() const { return WorkAreaRectAt({0, 0}); }

    // --- monitors (Monitors.cpp) -------------------------------------------
    // The monitors in the platform's order, the primary one first. A
    // monitor object stays valid while the number of monitors does not
    // change.
    int MonitorCount() const;
    TMonitor* Monitors(int Index) const;
    TMonitor* PrimaryMonitor() const;
    TMonitor* MonitorFromPoint(TPoint P, TMonitorDefaultTo Default = mdNearest) const;
    // The monitor that R overlaps most.
    TMonitor* MonitorFromRect(const TRect& R, TMonitorDefaultTo Default = mdNearest) const;
    // The monitor of the control's window, by the control's place on the screen.
    TMonitor* MonitorFromWindow(const TControl* Control, TMonitorDefaultTo Default = mdNearest) const;
    // The font the platform's menus show their items in.
    const TFont& MenuFont() const;
    // Poses a layout of monitors in place of the platform's screens, for
    // tests of placement across monitors; an empty layout gives the
    // platform's back.
    static void SetMonitorLayout(std::vector<TMonitorArea> Layout);

private:
    void RefreshMonitors() const;
    mutable std::vector<std::unique_ptr<TMonitor>> monitors_;
    mutable TFont menuFont_;
};

// The form that contains a control (its top-most windowed parent), or nil.
TCustomForm* GetParentForm(TControl* Control);

// The process's application and screen objects.
extern TApplication* Application;
extern TScreen* Screen;

// Message box buttons and icons.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_ICONERROR = 0x10;
int MessageBox(const String& text, const String& caption, unsigned flags);
