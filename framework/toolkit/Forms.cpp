#include "Forms.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "ControlWidget.h"
#include "FileLines.h"
#include "QtBridge.h"
#include "SysUtils.h"
#include "ToolkitClasses.h"

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

namespace {

std::function<void(TCustomForm&)> gModalAutomation;

}  // namespace

TCustomForm* GetParentForm(TControl* Control) {
    TControl* c = Control;
    while (c && c->Parent()) c = c->Parent();
    return dynamic_cast<TCustomForm*>(c);
}

String MessageWithFullStop(const String& message) {
    if (!message.empty() && message.back() > u'.') return message + u".";
    return message;
}

int MessageBox(const String& text, const String& caption, unsigned flags) {
    QMessageBox box((flags & MB_ICONERROR) ? QMessageBox::Critical : QMessageBox::NoIcon, ToQString(caption),
                    ToQString(text), QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? 1 : 0;
}

// ---------------------------------------------------------------------------
// TApplication

namespace {
// The initialized application, while it lives: a notice that waits for the
// event loop must not reach an application already freed.
TApplication* gNoticeTarget = nullptr;
}  // namespace

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() {
    if (gNoticeTarget != this) return;
    gNoticeTarget = nullptr;
    SetFileChangedHandler(nullptr);
}

void TApplication::Initialize() {
    if (initialized_) return;
    initialized_ = true;
    if (exeName_.empty() && QCoreApplication::instance())
        exeName_ = FromQString(QCoreApplication::applicationFilePath());
    SetExceptionHandler([this](const std::exception& e) { HandleException(e); });
    SetMouseControlHandler([this](TControl* c) { SetHint(c ? GetLongHint(c->Hint()) : String()); });
    // Lines are read while painting or in the middle of a command: the box
    // waits for the event loop, and shows once for each loaded file.
    gNoticeTarget = this;
    SetFileChangedHandler([](const String& fileName) {
        if (!qApp) return;
        QTimer::singleShot(0, qApp, [message = FileChangedMessage(fileName)] {
            if (gNoticeTarget) gNoticeTarget->ShowException(message);
        });
    });
}

void TApplication::AdoptForm(TCustomForm* form) {
    if (!mainForm_) mainForm_ = form;
    form->DoCreate();
}

void TApplication::Run() {
    if (!mainForm_) return;
    terminated_ = false;
    mainForm_->Show();
    if (terminated_) return;
    QApplication::exec();
    terminated_ = true;
}

void TApplication::Terminate() {
    terminated_ = true;
    if (QCoreApplication::instance()) QCoreApplication::quit();
}

void TApplication::ProcessMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

String TApplication::Title() const {
    if (!title_.empty()) return title_;
    String name = ExtractFileName(exeName_);
    const auto dot = name.find(u'.');
    if (dot != String::npos) name = name.substr(0, dot);
    if (name.size() > 1) name = name.substr(0, 1) + LowerCase(name.substr(1));
    return name;
}

namespace {

// Offers an action to a control and then to everything on it, until one
// carries it out.
bool OfferAction(TControl* control, TBasicAction* action) {
    if (control->ExecuteAction(action)) return true;
    if (auto* container = dynamic_cast<TWinControl*>(control))
        for (int i = 0; i < container->ControlCount(); ++i)
            if (OfferAction(container->Controls(i), action)) return true;
    return false;
}

}  // namespace

void TApplication::SetHint(const String& v) {
    if (v == hint_) return;
    hint_ = v;
    if (OnHint) OnHint(this);
    // The windows' controls are offered the hint too (a status pane shows it).
    THintAction action(nullptr);
    action.SetHint(v);
    std::vector<TCustomForm*> forms;
    if (mainForm_) forms.push_back(mainForm_);
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* form = dynamic_cast<TCustomForm*>(Components(i)); form && form != mainForm_) forms.push_back(form);
    for (TCustomForm* form : forms)
        if (OfferAction(form, &action)) return;
}

void TApplication::HandleException(const std::exception& error) { ShowException(ErrorMessage(error)); }

void TApplication::ShowException(const String& message) {
    const String text = MessageWithFullStop(message);
    ++errorCount_;
    if (OnErrorShown) OnErrorShown(Title(), text);
    if (errorDisplay_ == TErrorDisplay::StandardError) {
        std::fprintf(stderr, "%s: %s\n", StringToUtf8(Title()).c_str(), StringToUtf8(text).c_str());
        return;
    }
    MessageBox(text, Title(), MB_OK | MB_ICONERROR);
}

// ---------------------------------------------------------------------------
// TScreen

namespace {

QScreen* ScreenAt(TPoint p) {
    if (!qGuiApp) return nullptr;
    if (QScreen* s = QGuiApplication::screenAt(QPoint(p.X, p.Y))) return s;
    return QGuiApplication::primaryScreen();
}

}  // namespace

int TScreen::Width() const {
    QScreen* s = ScreenAt({0, 0});
    return s ? s->geometry().width() : 1024;
}

int TScreen::Height() const {
    QScreen* s = ScreenAt({0, 0});
    return s ? s->geometry().height() : 768;
}

TRect TScreen::WorkAreaRectAt(TPoint p) const {
    QScreen* s = ScreenAt(p);
    return s ? FromQRect(s->availableGeometry()) : Rect(0, 0, 1024, 768);
}

// ---------------------------------------------------------------------------
// TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner) : TCustomControl(AOwner) {
    MakeTopLevel();
    SetVisible(false);
    SetColor(clBtnFace);
    SetParentFont(false);
    SetBounds(0, 0, 320, 240);
}

TCustomForm::~TCustomForm() = default;

void TCustomForm::BeforeDestruction() {
    if (!IsDestroying() && OnDestroy) GuardEvent([this] { OnDestroy(this); });
    TCustomControl::BeforeDestruction();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
    if (v == borderStyle_) return;
    borderStyle_ = v;
    if (Widget() && Widget()->isVisible()) Show();
}

void TCustomForm::SetWindowState(TWindowState v) {
    if (v == windowState_) return;
    windowState_ = v;
    if (!Widget() || !Widget()->isVisible()) return;
    switch (v) {
        case wsMaximized: Widget()->showMaximized(); break;
        case wsMinimized: Widget()->showMinimized(); break;
        default: Widget()->showNormal(); break;
    }
}

void TCustomForm::SetActiveControl(TWinControl* c) {
    activeControl_ = c;
    if (c && Widget() && Widget()->isVisible()) c->SetFocus();
}

void TCustomForm::PlaceOnScreen() {
    if (placed_) return;
    placed_ = true;
    if (position_ == poScreenCenter || position_ == poDesktopCenter || position_ == poMainFormCenter ||
        position_ == poOwnerFormCenter) {
        const TRect area = Screen->WorkAreaRect();
        SetBounds(area.Left + (area.Width() - Width()) / 2, area.Top + (area.Height() - Height()) / 2, Width(), Height());
    }
}

void TCustomForm::SnapToScreenEdges() {
    if (!screenSnap_ || !Widget() || windowState_ != wsNormal) return;
    // The whole window, its frame included, is what meets the edges.
    const QRect frame = Widget()->frameGeometry();
    const TRect area = Screen->WorkAreaRectAt({frame.x(), frame.y()});
    int x = frame.x(), y = frame.y();
    if (std::abs(x - area.Left) <= snapBuffer_) x = area.Left;
    if (std::abs(y - area.Top) <= snapBuffer_) y = area.Top;
    if (std::abs(x + frame.width() - area.Right) <= snapBuffer_) x = area.Right - frame.width();
    if (std::abs(y + frame.height() - area.Bottom) <= snapBuffer_) y = area.Bottom - frame.height();
    if (x != frame.x() || y != frame.y()) SetBounds(x, y, Width(), Height());
}

void TCustomForm::ApplyWindowFlags() {
    QWidget* w = Widget();
    Qt::WindowFlags flags = borderStyle_ == bsDialog ? Qt::Dialog : Qt::Window;
    flags |= borderStyle_ == bsNone ? Qt::FramelessWindowHint : Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (borderIcons_.Contains(biSystemMenu)) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (borderStyle_ != bsDialog) {
        if (borderIcons_.Contains(biMinimize)) flags |= Qt::WindowMinimizeButtonHint;
        if (borderIcons_.Contains(biMaximize)) flags |= Qt::WindowMaximizeButtonHint;
    }
    if (borderIcons_.Contains(biHelp)) flags |= Qt::WindowContextHelpButtonHint;
    // A change of flags hides a window, so they are set only when they differ.
    if (w->windowFlags() != flags) w->setWindowFlags(flags);
}

// The window system keeps a transient window above the window it belongs to.
void TCustomForm::StayAboveActiveForm() {
    if (popupMode_ != pmAuto) return;
    QWidget* active = QApplication::activeWindow();
    if (!active || active == Widget()) {
        TCustomForm* main = Application ? Application->MainForm() : nullptr;
        active = main && main != this && main->Widget() && main->Widget()->isVisible() ? main->Widget() : nullptr;
    }
    if (!active) return;
    Widget()->winId();
    active->winId();
    if (Widget()->windowHandle() && active->windowHandle())
        Widget()->windowHandle()->setTransientParent(active->windowHandle());
}

namespace {

// The windowed controls of a container that take part in Tab, in the order
// the Tab key visits them: by TabOrder within each container (controls
// without one after the others, in their order), each followed by its own.
void CollectTabStops(const TWinControl* container, std::vector<TWinControl*>& out) {
    std::vector<TWinControl*> children;
    for (int i = 0; i < container->ControlCount(); ++i)
        if (auto* child = dynamic_cast<TWinControl*>(container->Controls(i))) children.push_back(child);
    auto rank = [](const TWinControl* c) { return c->TabOrder() < 0 ? INT_MAX : c->TabOrder(); };
    std::stable_sort(children.begin(), children.end(),
                     [&](const TWinControl* a, const TWinControl* b) { return rank(a) < rank(b); });
    for (TWinControl* child : children) {
        if (child->TabStop()) out.push_back(child);
        CollectTabStops(child, out);
    }
}

}  // namespace

void TCustomForm::ApplyTabOrder() {
    std::vector<TWinControl*> stops;
    CollectTabStops(this, stops);
    for (size_t i = 1; i < stops.size(); ++i) {
        QWidget* before = stops[i - 1]->Widget();
        QWidget* after = stops[i]->Widget();
        if (before && after) QWidget::setTabOrder(before, after);
    }
    if (activeControl_) return;
    for (TWinControl* c : stops)
        if (c->CanFocus()) {
            c->SetFocus();
            return;
        }
}

void TCustomForm::Show() {
    PlaceOnScreen();
    ApplyWindowFlags();
    StayAboveActiveForm();
    QWidget* w = Widget();
    const bool fixed = borderStyle_ == bsSingle || borderStyle_ == bsDialog || borderStyle_ == bsToolWindow ||
                       borderStyle_ == bsNone;
    if (fixed) w->setFixedSize(Width(), Height());
    else w->setMinimumSize(0, 0), w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    w->setWindowTitle(ToQString(Caption()));
    SetVisible(true);
    switch (windowState_) {
        case wsMaximized: w->showMaximized(); break;
        case wsMinimized: w->showMinimized(); break;
        default: w->show(); break;
    }
    HandleNeeded();
    Realign();
    ApplyTabOrder();
    if (activeControl_ && activeControl_->CanFocus()) activeControl_->SetFocus();
    if (OnShow) OnShow(this);
}

void TCustomForm::Close() {
    if (Widget() && Widget()->isModal()) {
        modalResult_ = mrCancel;
        return;
    }
    TCloseAction action = Application && Application->MainForm() == this ? caFree : caHide;
    if (OnClose) OnClose(this, action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) {
        Widget()->hide();
        Application->Terminate();
        return;
    }
    if (action == caMinimize) SetWindowState(wsMinimized);
    else if (action == caFree) Release();
    else {
        SetVisible(false);
        Widget()->hide();
    }
}

void TCustomForm::SetModalAutomation(std::function<void(TCustomForm&)> automation) {
    gModalAutomation = std::move(automation);
}

TModalResult TCustomForm::ShowModal() {
    modalResult_ = mrNone;
    Widget()->setWindowModality(Qt::ApplicationModal);
    Show();
    if (gModalAutomation) {
        QTimer::singleShot(0, Widget(), [this] {
            GuardEvent([this] { gModalAutomation(*this); });
            if (modalResult_ == mrNone) modalResult_ = mrCancel;
        });
    }
    QEventLoop loop;
    while (modalResult_ == mrNone && Widget()->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
    Widget()->hide();
    SetVisible(false);
    Widget()->setWindowModality(Qt::NonModal);
    return modalResult_ == mrNone ? mrCancel : modalResult_;
}

void TCustomForm::Release() {
    PostMessage(this, CM_RELEASE, 0, 0);
}

void TCustomForm::DoCreate() {
    if (!OnCreate) return;
    try {
        OnCreate(this);
    } catch (const std::exception& e) {
        if (Application) Application->HandleException(e);
        else HandleEventException(e);
    }
}

TNotifyEvent TCustomForm::MethodByName(const String& Name) const {
    auto it = methods_.find(UpperCase(Name));
    return it == methods_.end() ? TNotifyEvent() : it->second;
}

std::any TCustomForm::HandlerByName(const String& Name) const {
    auto it = handlers_.find(UpperCase(Name));
    return it == handlers_.end() ? std::any() : it->second;
}

bool TCustomForm::KeyDown(unsigned short& Key, TShiftState Shift) {
    if (TCustomControl::KeyDown(Key, Shift)) return true;
    if ((Key != VK_RETURN && Key != VK_ESCAPE) || !Shift.Empty()) return false;
    return Perform(CM_DIALOGKEY, Key) != 0;
}

void TCustomForm::BindField(const String& Name, TComponent* Component) {
    auto it = fields_.find(UpperCase(Name));
    if (it != fields_.end()) it->second(Component);
}

void TCustomForm::RegisterMethod(const String& name, TNotifyEvent handler) { methods_[UpperCase(name)] = std::move(handler); }

namespace {

void RealignTree(TWinControl* c) {
    c->Realign();
    for (int i = 0; i < c->ControlCount(); ++i)
        if (auto* child = dynamic_cast<TWinControl*>(c->Controls(i))) RealignTree(child);
}

}  // namespace

bool TCustomForm::StartSystemResize(unsigned edge) {
    Qt::Edges edges;
    switch (edge) {
        case WMSZ_LEFT: edges = Qt::LeftEdge; break;
        case WMSZ_RIGHT: edges = Qt::RightEdge; break;
        case WMSZ_TOP: edges = Qt::TopEdge; break;
        case WMSZ_TOPLEFT: edges = Qt::TopEdge | Qt::LeftEdge; break;
        case WMSZ_TOPRIGHT: edges = Qt::TopEdge | Qt::RightEdge; break;
        case WMSZ_BOTTOM: edges = Qt::BottomEdge; break;
        case WMSZ_BOTTOMLEFT: edges = Qt::BottomEdge | Qt::LeftEdge; break;
        case WMSZ_BOTTOMRIGHT: edges = Qt::BottomEdge | Qt::RightEdge; break;
        default: return false;
    }
    if (borderStyle_ != bsSizeable && borderStyle_ != bsSizeToolWin) return false;
    QWidget* w = Widget();
    if (!w || !w->isVisible() || !w->windowHandle()) return false;
    return w->windowHandle()->startSystemResize(edges);
}

void TCustomForm::ReadLayout(std::string_view layoutText) {
    RegisterToolkitClasses();
    ReadComponentFromText(this, layoutText);
    RealignTree(this);
}

void TCustomForm::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_CLOSE:
            Close();
            return;
        case CM_RELEASE:
            Free();
            return;
        case CM_TEXTCHANGED:
            if (Widget()) Widget()->setWindowTitle(ToQString(Caption()));
            return;
        case CM_VISIBLECHANGED:
            if (!Visible() && Widget()) Widget()->hide();
            return;
        case WM_SYSCOMMAND:
            if ((m.WParam & 0xFFF0) == SC_SIZE) {
                m.Result = StartSystemResize(static_cast<unsigned>(m.WParam & 0xF)) ? 1 : 0;
                return;
            }
            break;
        case WM_MOVE:
            SnapToScreenEdges();
            return;
        case WM_SIZE:
            if (m.WParam == 2) windowState_ = wsMaximized;
            else if (m.WParam == 1) windowState_ = wsMinimized;
            else windowState_ = wsNormal;
            Realign();
            return;
    }
    TCustomControl::WndProc(m);
}
