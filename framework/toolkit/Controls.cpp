#include "Controls.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "ControlWidget.h"
#include "QtBridge.h"

// ---------------------------------------------------------------------------
// Process-wide state of the controls tree

namespace {

std::unordered_set<const TControl*> gLiveControls;
TControl* gCaptureControl = nullptr;
TControl* gMouseControl = nullptr;
TPoint gCursorPos;
TMouseControlHandler gMouseControlHandler;
std::vector<TWinControl*> gTopLevels;  // most recently shown last
// Canvases bound to a control while it paints (TControlCanvas objects).
std::unordered_multimap<const TControl*, TControlCanvas*> gControlCanvases;

bool IsLive(const TControl* c) { return c && gLiveControls.count(c) != 0; }

}  // namespace

void SetMouseControlHandler(TMouseControlHandler handler) { gMouseControlHandler = std::move(handler); }

String GetShortHint(const String& hint) {
    const auto bar = hint.find(u'|');
    return bar == String::npos ? hint : hint.substr(0, bar);
}

String GetLongHint(const String& hint) {
    const auto bar = hint.find(u'|');
    return bar == String::npos ? hint : hint.substr(bar + 1);
}

void GuardEvent(const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& e) {
        HandleEventException(e);
    }
}

void NotePendingPaint(QWidget* widget) {
    if (!widget) return;
    if (auto* top = dynamic_cast<TControlWidget*>(widget->window())) top->pendingPaint = true;
}

TControl* GetCaptureControl() { return IsLive(gCaptureControl) ? gCaptureControl : nullptr; }
void SetCaptureControl(TControl* Control) { gCaptureControl = Control; }
void ReleaseCapture() { gCaptureControl = nullptr; }
TControl* MouseControl() { return IsLive(gMouseControl) ? gMouseControl : nullptr; }
TPoint CursorPos() { return gCursorPos; }
void SetCursorPos(TPoint screenPos) { gCursorPos = screenPos; }

bool AnyPaintPending() {
    for (TWinControl* top : gTopLevels)
        if (top->Widget() && top->Widget()->pendingPaint) return true;
    return false;
}

// Changes the control under the pointer, telling the old and the new one.
void SetMouseControl(TControl* control) {
    TControl* old = MouseControl();
    if (old == control) return;
    gMouseControl = control;
    if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<std::intptr_t>(old));
    if (control && IsLive(control)) control->Perform(CM_MOUSEENTER, 0, reinterpret_cast<std::intptr_t>(control));
    if (gMouseControlHandler) gMouseControlHandler(MouseControl());
}

void PostMessage(TControl* Control, unsigned Msg, std::intptr_t WParam, std::intptr_t LParam) {
    if (!Control || !qApp) return;
    QTimer::singleShot(0, qApp, [Control, Msg, WParam, LParam] {
        if (!IsLive(Control)) return;
        GuardEvent([&] { Control->Perform(Msg, WParam, LParam); });
    });
}

// ---------------------------------------------------------------------------
// Painting onto a device: binds the canvases of a control to a painter with
// an origin and a clip, and restores whatever they were bound to before.

class TControlPainter {
public:
    TControlPainter(const TControl* control, QPainter* painter, QSize size, QPoint origin, bool clipped, QRect clip) {
        auto range = gControlCanvases.equal_range(control);
        for (auto it = range.first; it != range.second; ++it) Bind(it->second, painter, size, origin, clipped, clip);
    }
    ~TControlPainter() {
        for (auto& b : bound_) b.canvas->BindDevice(std::move(b.previous));
    }
private:
    struct Bound {
        TCanvas* canvas;
        std::unique_ptr<TCanvasDevice> previous;
    };
    void Bind(TCanvas* canvas, QPainter* painter, QSize size, QPoint origin, bool clipped, QRect clip) {
        auto dev = std::make_unique<TPainterDevice>(painter, size);
        dev->origin = origin;
        dev->clipped = clipped;
        dev->clip = clip;
        bound_.push_back({canvas, canvas->ReleaseDevice()});
        canvas->BindDevice(std::move(dev));
    }
    std::vector<Bound> bound_;
};

// ---------------------------------------------------------------------------
// TControlCanvas

TControlCanvas::~TControlCanvas() { UnbindFromControl(); }

void TControlCanvas::BindToControl() {
    if (bound_ || !control_) return;
    gControlCanvases.emplace(control_, this);
    bound_ = true;
}

void TControlCanvas::UnbindFromControl() {
    if (!bound_) return;
    auto range = gControlCanvases.equal_range(control_);
    for (auto it = range.first; it != range.second; ++it)
        if (it->second == this) {
            gControlCanvases.erase(it);
            break;
        }
    bound_ = false;
}

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), font_(std::make_unique<TFont>()) {
    gLiveControls.insert(this);
    font_->OnChange = [this](TObject* sender) { FontChanged(sender); };
}

TControl::~TControl() {
    if (gCaptureControl == this) gCaptureControl = nullptr;
    if (gMouseControl == this) gMouseControl = nullptr;
    gLiveControls.erase(this);
    // A control whose end failed before it left its parent leaves it now,
    // quietly, so that the parent keeps no pointer to it. (A windowed one
    // has left already, in ~TWinControl.)
    if (parent_) {
        auto& siblings = parent_->controls_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

void TControl::BeforeDestruction() {
    if (IsDestroying() && !parent_) {
        TComponent::BeforeDestruction();
        return;
    }
    Destroying();
    if (gCaptureControl == this) gCaptureControl = nullptr;
    if (gMouseControl == this) gMouseControl = nullptr;
    SetParent(nullptr);
    TComponent::BeforeDestruction();
}

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == parent_) return;
    if (AParent == this) throw EInvalidOperation(u"A control cannot have itself as its parent");
    if (parent_) parent_->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (constraints_.MinWidth > 0) AWidth = std::max(AWidth, constraints_.MinWidth);
    if (constraints_.MaxWidth > 0) AWidth = std::min(AWidth, constraints_.MaxWidth);
    if (constraints_.MinHeight > 0) AHeight = std::max(AHeight, constraints_.MinHeight);
    if (constraints_.MaxHeight > 0) AHeight = std::min(AHeight, constraints_.MaxHeight);
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    if (!CanResize(AWidth, AHeight)) return;
    const int oldWidth = width_, oldHeight = height_;
    const bool visibleOnParent = parent_ && visible_;
    if (visibleOnParent) InvalidateControl(true);
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    if (visibleOnParent) InvalidateControl(true);
    Perform(WM_WINDOWPOSCHANGED, oldWidth, oldHeight);
    BoundsChanged(oldWidth, oldHeight);
    if (oldWidth != width_ || oldHeight != height_) Resize();
    RequestAlign();
}

TRect TControl::GetClientRect() const { return Rect(0, 0, width_, height_); }

void TControl::SetClientWidth(int v) { SetWidth(v + (width_ - ClientWidth())); }
void TControl::SetClientHeight(int v) { SetHeight(v + (height_ - ClientHeight())); }

TPoint TControl::ClientOrigin() const {
    if (!parent_) return {left_, top_};
    const TPoint p = parent_->ClientOrigin();
    return {p.X + left_, p.Y + top_};
}

TPoint TControl::ClientToScreen(TPoint p) const {
    const TPoint o = ClientOrigin();
    return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const {
    const TPoint o = ClientOrigin();
    return {p.X - o.X, p.Y - o.Y};
}

TPoint TControl::ClientToParent(TPoint p, TWinControl* AParent) const {
    if (!AParent) AParent = parent_;
    if (!AParent) return p;
    return AParent->ScreenToClient(ClientToScreen(p));
}

TPoint TControl::ParentToClient(TPoint p, TWinControl* AParent) const {
    if (!AParent) AParent = parent_;
    if (!AParent) return p;
    return ScreenToClient(AParent->ClientToScreen(p));
}

void TControl::SetAlign(TAlign v) {
    if (v == align_) return;
    align_ = v;
    RequestAlign();
}

void TControl::SetAlignWithMargins(bool v) {
    if (v == alignWithMargins_) return;
    alignWithMargins_ = v;
    RequestAlign();
}

void TControl::RequestAlign() {
    if (parent_ && !IsDestroying()) parent_->AlignControl(this);
}

void TControl::SetVisible(bool v) {
    if (v == visible_) return;
    VisibleChanging();
    visible_ = v;
    Perform(CM_VISIBLECHANGED, v ? 1 : 0);
    RequestAlign();
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetText(const String& v) {
    if (v == text_) return;
    text_ = v;
    Perform(CM_TEXTCHANGED);
}

void TControl::SetColor(TColor v) {
    if (v == color_) return;
    color_ = v;
    parentColor_ = false;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool v) {
    if (v == parentColor_) return;
    parentColor_ = v;
    if (parent_ && v && !IsReading()) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::FontChanged(TObject*) {
    if (!fontFromParent_) parentFont_ = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool v) {
    if (v == parentFont_) return;
    parentFont_ = v;
    if (parent_ && v && !IsReading()) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetShowHint(bool v) {
    if (v == showHint_) return;
    showHint_ = v;
    parentShowHint_ = false;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool v) {
    if (v == parentShowHint_) return;
    parentShowHint_ = v;
    if (parent_ && v && !IsReading()) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetBiDiMode(TBiDiMode v) {
    if (v == bidiMode_) return;
    bidiMode_ = v;
    parentBiDiMode_ = false;
    Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool v) {
    if (v == parentBiDiMode_) return;
    parentBiDiMode_ = v;
    if (parent_ && v && !IsReading()) Perform(CM_PARENTBIDIMODECHANGED);
}

bool TControl::UseRightToLeftAlignment() const { return bidiMode_ == bdRightToLeft; }
bool TControl::UseRightToLeftReading() const { return bidiMode_ != bdLeftToRight; }

void TControl::SetCursor(TCursor v) {
    if (v == cursor_) return;
    cursor_ = v;
    Perform(CM_CURSORCHANGED);
}

void TControl::InvalidateControl(bool isVisible) {
    if (!parent_ || !isVisible) return;
    parent_->InvalidateRect(BoundsRect());
}

void TControl::Invalidate() { InvalidateControl(visible_ || IsDesigning()); }

void TControl::Repaint() {
    if (!parent_ || !(visible_ || IsDesigning()) || !parent_->Widget()) return;
    QWidget* w = parent_->Widget();
    if (!w->isVisible()) {
        Invalidate();
        return;
    }
    w->repaint(ToQRect(BoundsRect()));
}

void TControl::Update() {
    if (parent_) parent_->Update();
}

void TControl::BringToFront() {
    if (parent_) parent_->InsertControl(this);  // re-insert moves it to the top of its kind
}

void TControl::SendToBack() {
    if (!parent_) return;
    TWinControl* p = parent_;
    if (auto* self = dynamic_cast<TWinControl*>(this)) {
        auto& v = p->winControls_;
        v.erase(std::remove(v.begin(), v.end(), self), v.end());
        v.insert(v.begin(), self);
        if (self->Widget()) self->Widget()->lower();
    } else {
        auto& v = p->controls_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        v.insert(v.begin(), this);
    }
    Invalidate();
}

std::intptr_t TControl::Perform(unsigned Msg, std::intptr_t WParam, std::intptr_t LParam) {
    TMessage m{Msg, WParam, LParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
        case WM_MOUSEMOVE:
            HandleMouseMessage(m);
            return;
        case CM_MOUSEENTER:
            if (m.LParam == 0 || m.LParam == reinterpret_cast<std::intptr_t>(this))
                if (OnMouseEnter) OnMouseEnter(this);
            return;
        case CM_MOUSELEAVE:
            if (m.LParam == 0 || m.LParam == reinterpret_cast<std::intptr_t>(this))
                if (OnMouseLeave) OnMouseLeave(this);
            return;
        case CM_HITTEST:
            m.Result = HTCLIENT;
            return;
        case CM_ENABLEDCHANGED:
        case CM_COLORCHANGED:
        case CM_FONTCHANGED:
            Invalidate();
            return;
        case CM_VISIBLECHANGED:
            InvalidateControl(true);
            return;
        case CM_PARENTCOLORCHANGED:
            if (parentColor_ && parent_) {
                SetColor(parent_->Color());
                parentColor_ = true;
            }
            return;
        case CM_PARENTFONTCHANGED:
            if (parentFont_ && parent_) {
                fontFromParent_ = true;
                font_->Assign(parent_->Font());
                fontFromParent_ = false;
            }
            return;
        case CM_PARENTSHOWHINTCHANGED:
            if (parentShowHint_ && parent_) {
                showHint_ = parent_->ShowHint();
                Perform(CM_SHOWHINTCHANGED);
            }
            return;
        case CM_PARENTBIDIMODECHANGED:
            if (parentBiDiMode_ && parent_) {
                bidiMode_ = parent_->BiDiMode();
                Perform(CM_BIDIMODECHANGED);
            }
            return;
        case CM_BIDIMODECHANGED:
            Invalidate();
            return;
        default:
            DefaultHandler(m);
            return;
    }
}

namespace {

TShiftState ShiftFromKeys(std::intptr_t keys) {
    TShiftState s;
    if (keys & MK_SHIFT) s.Include(ssShift);
    if (keys & MK_CONTROL) s.Include(ssCtrl);
    if (keys & MK_ALT) s.Include(ssAlt);
    if (keys & MK_LBUTTON) s.Include(ssLeft);
    if (keys & MK_RBUTTON) s.Include(ssRight);
    if (keys & MK_MBUTTON) s.Include(ssMiddle);
    if (keys & MK_PEN) s.Include(ssPen);
    return s;
}

}  // namespace

void TControl::HandleMouseMessage(TMessage& m) {
    switch (m.Msg) {
        case WM_LBUTTONDOWN:
            if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
            if (controlStyle_.Contains(csClickEvents)) controlState_.Include(csClicked);
            DoMouseDown(m, mbLeft);
            return;
        case WM_LBUTTONDBLCLK:
            if (!controlStyle_.Contains(csDoubleClicks)) {
                m.Msg = WM_LBUTTONDOWN;
                HandleMouseMessage(m);
                return;
            }
            if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
            DblClick();
            DoMouseDown(m, mbLeft);
            return;
        case WM_LBUTTONUP: {
            if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(false);
            if (controlState_.Contains(csClicked)) {
                controlState_.Exclude(csClicked);
                if (GetClientRect().Contains({LParamX(m.LParam), LParamY(m.LParam)})) Click();
            }
            DoMouseUp(m, mbLeft);
            return;
        }
        case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
            DoMouseDown(m, mbRight);
            return;
        case WM_RBUTTONUP:
            DoMouseUp(m, mbRight);
            return;
        case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK:
            DoMouseDown(m, mbMiddle);
            return;
        case WM_MBUTTONUP:
            DoMouseUp(m, mbMiddle);
            return;
        case WM_MOUSEMOVE:
            MouseMove(ShiftFromKeys(m.WParam), LParamX(m.LParam), LParamY(m.LParam));
            return;
    }
}

void TControl::DoMouseDown(TMessage& m, TMouseButton button) {
    TShiftState shift = ShiftFromKeys(m.WParam);
    if (m.Msg == WM_LBUTTONDBLCLK || m.Msg == WM_RBUTTONDBLCLK || m.Msg == WM_MBUTTONDBLCLK) shift.Include(ssDouble);
    MouseDown(button, shift, LParamX(m.LParam), LParamY(m.LParam));
}

void TControl::DoMouseUp(TMessage& m, TMouseButton button) {
    MouseUp(button, ShiftFromKeys(m.WParam), LParamX(m.LParam), LParamY(m.LParam));
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Click() {
    // An action that runs takes the click; otherwise the click handler.
    if (actionLink_ && actionLink_->Execute(this)) return;
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::ChangeScale(int M, int D) {
    if (M == D || D == 0) return;
    SetBounds(MulDiv(left_, M, D), MulDiv(top_, M, D), MulDiv(width_, M, D), MulDiv(height_, M, D));
    if (!parentFont_) font_->SetHeight(MulDiv(font_->Height(), M, D));
}

void TControl::SetAutoSize(bool Value) {
    if (Value == autoSize_) return;
    autoSize_ = Value;
    if (Value) AdjustSize();
}

// ---------------------------------------------------------------------------
// Actions

TBasicAction* TControl::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TControl::SetAction(TBasicAction* Value) {
    if (!Value) {
        if (TBasicAction* old = Action()) old->RemoveFreeNotification(this);
        actionLink_.reset();
        return;
    }
    if (Value == Action()) return;
    if (TBasicAction* old = Action()) old->RemoveFreeNotification(this);
    if (!actionLink_) actionLink_.reset(GetActionLinkClass()(this));
    actionLink_->SetAction(Value);
    // From now on the link passes each change of the action on by itself.
    ActionChange(Value, IsLoading());
    Value->FreeNotification(this);
}

TControlActionLinkClass TControl::GetActionLinkClass() const { return &TControlActionLink::Create; }

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action) return;
    if (!CheckDefaults || Caption().empty()) SetCaption(action->Caption());
    if (!CheckDefaults || Enabled()) SetEnabled(action->Enabled());
    if (!CheckDefaults || Hint().empty()) SetHint(action->Hint());
    if (!CheckDefaults || Visible()) SetVisible(action->Visible());
}

void TControl::AssignTo(TPersistent* Dest) {
    auto* action = dynamic_cast<TCustomAction*>(Dest);
    if (!action) {
        TComponent::AssignTo(Dest);
        return;
    }
    action->SetEnabled(Enabled());
    action->SetHint(Hint());
    action->SetCaption(Caption());
    action->SetVisible(Visible());
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == Action()) SetAction(nullptr);
}

TControlActionLink::TControlActionLink(TObject* AClient) : TActionLink(AClient) { TControlActionLink::AssignClient(AClient); }

void TControlActionLink::AssignClient(TObject* AClient) { FClient = dynamic_cast<TControl*>(AClient); }

namespace {

const TCustomAction* CustomAction(const TBasicActionLink& link) { return dynamic_cast<const TCustomAction*>(link.Action()); }

}  // namespace

bool TControlActionLink::IsCaptionLinked() const {
    return TActionLink::IsCaptionLinked() && FClient && FClient->Caption() == CustomAction(*this)->Caption();
}
bool TControlActionLink::IsEnabledLinked() const {
    return TActionLink::IsEnabledLinked() && FClient && FClient->Enabled() == CustomAction(*this)->Enabled();
}
bool TControlActionLink::IsHintLinked() const {
    return TActionLink::IsHintLinked() && FClient && FClient->Hint() == CustomAction(*this)->Hint();
}
bool TControlActionLink::IsVisibleLinked() const {
    return TActionLink::IsVisibleLinked() && FClient && FClient->Visible() == CustomAction(*this)->Visible();
}
void TControlActionLink::SetCaption(const String& Value) {
    if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TControlActionLink::SetEnabled(bool Value) {
    if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TControlActionLink::SetHint(const String& Value) {
    if (IsHintLinked()) FClient->SetHint(Value);
}
void TControlActionLink::SetVisible(bool Value) {
    if (IsVisibleLinked()) FClient->SetVisible(Value);
}

bool TControl::HitTest(int X, int Y) { return Perform(CM_HITTEST, 0, PointToLParam(X, Y)) == HTCLIENT; }

bool TControl::MouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool v) {
    if (v) gCaptureControl = this;
    else if (gCaptureControl == this) gCaptureControl = nullptr;
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (parent_) {
        if (parentColor_) Perform(CM_PARENTCOLORCHANGED);
        if (parentFont_) Perform(CM_PARENTFONTCHANGED);
        if (parentShowHint_) Perform(CM_PARENTSHOWHINTCHANGED);
        if (parentBiDiMode_) Perform(CM_PARENTBIDIMODECHANGED);
    }
}

void TControl::SetParentComponent(TComponent* Parent) {
    if (auto* container = dynamic_cast<TWinControl*>(Parent)) SetParent(container);
}

// ---------------------------------------------------------------------------
// TGraphicControl

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {
    canvas_->BindToControl();
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& Message) {
    if (Message.Msg == WM_PAINT) {
        Paint();
        return;
    }
    TControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
    widget_ = new TControlWidget(this);
    SetColor(clBtnFace);
}

TWinControl::~TWinControl() {
    for (TControl* c : controls_) c->parent_ = nullptr;
    for (TWinControl* c : winControls_) c->parent_ = nullptr;
    // Leaves a parent that its failed end did not get to leave (see ~TControl).
    if (parent_) {
        auto& siblings = parent_->winControls_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        parent_ = nullptr;
    }
    gTopLevels.erase(std::remove(gTopLevels.begin(), gTopLevels.end(), this), gTopLevels.end());
    if (widget_) {
        widget_->Detach();
        delete widget_;
        widget_ = nullptr;
    }
}

void TWinControl::BeforeDestruction() {
    Destroying();
    // Children go first, even those owned by someone else.
    while (ControlCount() > 0) {
        TControl* child = Controls(ControlCount() - 1);
        RemoveControl(child);
        child->Free();
    }
    TControl::BeforeDestruction();
}

TControl* TWinControl::Controls(int Index) const {
    if (Index < 0 || Index >= ControlCount()) TList::Error(u"List index out of bounds (%d)", Index);
    const size_t i = static_cast<size_t>(Index);
    return i < controls_.size() ? controls_[i] : winControls_[i - controls_.size()];
}

int TWinControl::ControlIndex(TControl* AControl) const {
    for (int i = 0; i < ControlCount(); ++i)
        if (Controls(i) == AControl) return i;
    return -1;
}

bool TWinControl::ContainsControl(TControl* Control) const {
    for (TControl* c = Control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) const {
    auto hit = [&](TControl* c) {
        if (!(c->Visible() || c->IsDesigning())) return false;
        if (!(c->Enabled() || AllowDisabled)) return false;
        if (!c->BoundsRect().Contains(Pos)) return false;
        return c->HitTest(Pos.X - c->Left(), Pos.Y - c->Top());
    };
    if (AllowWinControls)
        for (auto it = winControls_.rbegin(); it != winControls_.rend(); ++it)
            if (hit(*it)) return *it;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (hit(*it)) return *it;
    return nullptr;
}

void TWinControl::InsertControl(TControl* AControl) {
    if (!AControl) return;
    if (AControl->parent_ && AControl->parent_ != this) AControl->parent_->RemoveControl(AControl);
    if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
        winControls_.erase(std::remove(winControls_.begin(), winControls_.end(), win), winControls_.end());
        winControls_.push_back(win);
        win->parent_ = this;
        if (win->widget_) {
            win->widget_->setParent(widget_);
            win->ApplyWidgetGeometry();
            win->widget_->raise();
            win->ApplyWidgetVisibility();
        }
        win->HandleNeeded();
    } else {
        controls_.erase(std::remove(controls_.begin(), controls_.end(), AControl), controls_.end());
        controls_.push_back(AControl);
        AControl->parent_ = this;
    }
    if (!AControl->IsReading()) {
        AControl->Perform(CM_PARENTCOLORCHANGED);
        AControl->Perform(CM_PARENTFONTCHANGED);
        AControl->Perform(CM_PARENTSHOWHINTCHANGED);
        AControl->Perform(CM_PARENTBIDIMODECHANGED);
    }
    Perform(CM_CONTROLCHANGE, reinterpret_cast<std::intptr_t>(AControl), 1);
    AControl->Invalidate();
    AlignControl(AControl);
}

void TWinControl::RemoveControl(TControl* AControl) {
    if (!AControl || AControl->parent_ != this) return;
    Perform(CM_CONTROLCHANGE, reinterpret_cast<std::intptr_t>(AControl), 0);
    if (gCaptureControl == AControl) gCaptureControl = nullptr;
    if (gMouseControl == AControl) gMouseControl = nullptr;
    if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
        winControls_.erase(std::remove(winControls_.begin(), winControls_.end(), win), winControls_.end());
        if (win->widget_) {
            win->widget_->hide();
            win->widget_->setParent(nullptr);
        }
    } else {
        AControl->InvalidateControl(AControl->Visible());
        controls_.erase(std::remove(controls_.begin(), controls_.end(), AControl), controls_.end());
    }
    AControl->parent_ = nullptr;
    Notification(AControl, opRemove);
    Realign();
}

void TWinControl::Broadcast(TMessage& Message) {
    for (int i = 0; i < ControlCount(); ++i) {
        Controls(i)->WndProc(Message);
        if (Message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(unsigned Msg) {
    TMessage m{Msg, 0, 0, 0};
    Broadcast(m);
}

void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign() {
    if (alignLevel_ > 0) --alignLevel_;
    if (alignLevel_ == 0 && alignPending_) {
        // A layout that keeps asking for itself would never end. Rounds nest
        // (a realigned child realigns its own children), so the bound counts
        // nested rounds across the tree; layouts that converge need few.
        static int depth = 0;
        if (depth > 16) {
            alignPending_ = false;
            return;
        }
        ++depth;
        alignPending_ = false;
        try {
            Realign();
        } catch (...) {
            --depth;
            throw;
        }
        --depth;
    }
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::ReadChildren(const std::function<void()>& Read) {
    TAlignBracket bracket(*this);
    Read();
    bracket.End();
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    for (int i = 0; i < ControlCount(); ++i)
        if (Controls(i)->Owner() == Root) Proc(Controls(i));
}

void TWinControl::AlignControl(TControl* AControl) {
    if (IsDestroying()) return;
    if (alignLevel_ != 0) {
        alignPending_ = true;
        return;
    }
    TAlignBracket bracket(*this);
    TRect r = GetClientRect();
    AlignControls(AControl, r);
    // What the children asked for while they were aligned is done.
    alignPending_ = false;
    bracket.End();
    if (AutoSize()) AdjustSize();
}

bool TWinControl::CanAutoSize(int& NewWidth, int& NewHeight) {
    int right = 0, bottom = 0;
    bool any = false;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible() && !c->IsDesigning()) continue;
        any = true;
        right = std::max(right, c->Left() + c->Width());
        bottom = std::max(bottom, c->Top() + c->Height());
    }
    if (!any) return false;
    NewWidth = right + (Width() - ClientWidth());
    NewHeight = bottom + (Height() - ClientHeight());
    return true;
}

void TWinControl::AdjustSize() {
    if (IsLoading() || IsDestroying()) return;
    int w = Width(), h = Height();
    if (CanAutoSize(w, h)) SetBounds(Left(), Top(), w, h);
}

void TWinControl::AdjustClientRect(TRect& Rect) {
    Rect.Left += padding_.Left;
    Rect.Top += padding_.Top;
    Rect.Right -= padding_.Right;
    Rect.Bottom -= padding_.Bottom;
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    AdjustClientRect(Rect);
    TRect r = Rect;
    const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
    for (TAlign a : order) {
        std::vector<TControl*> list;
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            if (c->Align() == a && (c->Visible() || c->IsDesigning())) list.push_back(c);
        }
        auto key = [a](TControl* c) {
            switch (a) {
                case alTop: return c->Top();
                case alBottom: return -(c->Top() + c->Height());
                case alLeft: return c->Left();
                case alRight: return -(c->Left() + c->Width());
                default: return 0;
            }
        };
        std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) { return key(x) < key(y); });
        for (TControl* c : list) {
            const TMargins m = c->AlignWithMargins() ? c->Margins() : TMargins{0, 0, 0, 0};
            const int w = c->Width() + m.Left + m.Right;
            const int h = c->Height() + m.Top + m.Bottom;
            TRect place;
            switch (a) {
                case alTop: place = ::Rect(r.Left, r.Top, r.Right, r.Top + h); r.Top += h; break;
                case alBottom: place = ::Rect(r.Left, r.Bottom - h, r.Right, r.Bottom); r.Bottom -= h; break;
                case alLeft: place = ::Rect(r.Left, r.Top, r.Left + w, r.Bottom); r.Left += w; break;
                case alRight: place = ::Rect(r.Right - w, r.Top, r.Right, r.Bottom); r.Right -= w; break;
                default: place = r; break;
            }
            c->SetBounds(place.Left + m.Left, place.Top + m.Top, place.Width() - m.Left - m.Right,
                         place.Height() - m.Top - m.Bottom);
        }
    }
}

void TWinControl::HandleNeeded() {
    if (!wndCreated_) {
        wndCreated_ = true;
        CreateWnd();
    }
}

bool TWinControl::Focused() const { return widget_ && widget_->hasFocus(); }

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (widget_) widget_->setFocus(Qt::OtherFocusReason);
}

void TWinControl::SetTabStop(bool v) {
    tabStop_ = v;
    if (widget_) widget_->setFocusPolicy(v ? Qt::StrongFocus : Qt::NoFocus);
}

void TWinControl::ApplyWidgetGeometry() {
    if (!widget_) return;
    widget_->applyingGeometry = true;
    if (widget_->isWindow()) {
        widget_->resize(std::max(0, Width()), std::max(0, Height()));
        widget_->move(Left(), Top());
    } else {
        widget_->setGeometry(Left(), Top(), std::max(0, Width()), std::max(0, Height()));
    }
    widget_->applyingGeometry = false;
}

void TWinControl::ApplyWidgetVisibility() {
    if (!widget_ || widget_->isWindow()) return;
    widget_->setVisible(Visible() || IsDesigning());
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    const int oldW = Width(), oldH = Height();
    const int oldL = Left(), oldT = Top();
    TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (Left() == oldL && Top() == oldT && Width() == oldW && Height() == oldH) return;
    ApplyWidgetGeometry();
    if (Width() != oldW || Height() != oldH) Realign();
}

void TWinControl::WindowResized(int w, int h) {
    if (w == Width() && h == Height()) return;
    TControl::SetBounds(Left(), Top(), w, h);
    Realign();
}

void TWinControl::WindowMoved(int x, int y) {
    left_ = x;
    top_ = y;
    Perform(WM_MOVE, 0, PointToLParam(x, y));
}

void TWinControl::MakeTopLevel() {
    if (!widget_) return;
    widget_->setParent(nullptr);
    widget_->setWindowFlags(Qt::Window);
    gTopLevels.erase(std::remove(gTopLevels.begin(), gTopLevels.end(), this), gTopLevels.end());
    gTopLevels.push_back(this);
}

void TWinControl::SetVisible(bool v) {
    TControl::SetVisible(v);
    ApplyWidgetVisibility();
}

void TWinControl::SetEnabled(bool v) {
    if (widget_) widget_->setEnabled(v);
    TControl::SetEnabled(v);
}

bool TWinControl::Showing() const {
    if (!widget_) return false;
    if (widget_->isWindow()) return widget_->isVisible();
    return Visible() && Parent() && Parent()->Showing();
}

TPoint TWinControl::ClientOrigin() const {
    if (!widget_) return TControl::ClientOrigin();
    if (!Parent() && !widget_->isWindow()) return {Left(), Top()};
    const QPoint p = widget_->mapToGlobal(QPoint(0, 0));
    return {p.x(), p.y()};
}

void TWinControl::Invalidate() {
    if (!widget_) return;
    widget_->update();
    NotePendingPaint(widget_);
}

void TWinControl::InvalidateRect(const TRect& r) {
    if (!widget_ || r.IsEmpty()) return;
    widget_->update(ToQRect(r));
    NotePendingPaint(widget_);
}

void TWinControl::Repaint() {
    if (!widget_) return;
    if (widget_->isVisible()) widget_->repaint();
    else Invalidate();
}

void TWinControl::Update() {
    if (!widget_) return;
    auto* top = dynamic_cast<TControlWidget*>(widget_->window());
    if (!top || !top->pendingPaint) return;
    top->pendingPaint = false;
    if (!top->isVisible()) return;
    QEvent flush(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(top, &flush);
}

void TWinControl::PaintTo(TCanvas& canvas, int X, int Y) {
    TCanvasDevice* dev = canvas.Device();
    if (!dev) return;
    QPainter* p = dev->Painter();
    if (!p) return;
    const QPoint origin = dev->origin + QPoint(X, Y);
    const TRect all = Rect(0, 0, Width(), Height());
    PaintWindowOnto(this, p, dev->Size(), origin, dev->clipped, dev->clip, all, true);
    // Windowed children, each at its place.
    for (TWinControl* child : winControls_) {
        // A child with a window of its own (a pop-up) is not part of the picture.
        if (!child->Visible() || (child->Widget() && child->Widget()->isWindow())) continue;
        child->PaintTo(canvas, X + child->Left(), Y + child->Top());
    }
}

void TWinControl::GetImage(TBitmap& bitmap) {
    bitmap.SetSize(Width(), Height());
    PaintTo(bitmap.Canvas(), 0, 0);
    EndBitmapPainting(bitmap);
}

void TWinControl::GetWindowImage(TBitmap& bitmap) {
    if (!widget_) return;
    const QImage image = widget_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EndBitmapPainting(bitmap);
    bitmap.ImageData().image = image;
}

void TWinControl::PaintHandler(TCanvas& canvas, const TRect& updateRect) {
    Perform(WM_ERASEBKGND, reinterpret_cast<std::intptr_t>(&canvas));
    PaintWindow(canvas);
    PaintControls(canvas, updateRect);
}

void TWinControl::PaintControls(TCanvas& canvas, const TRect& updateRect) {
    TCanvasDevice* dev = canvas.Device();
    if (!dev) return;
    QPainter* p = dev->Painter();
    if (!p) return;
    for (size_t i = 0; i < controls_.size(); ++i) {
        TControl* c = controls_[i];
        if (!(c->Visible() || c->IsDesigning())) continue;
        const TRect bounds = c->BoundsRect();
        if (IntersectRect(bounds, updateRect).IsEmpty()) continue;
        QRect clip = ToQRect(bounds).translated(dev->origin);
        if (dev->clipped) clip = clip.intersected(dev->clip);
        if (clip.isEmpty()) continue;
        TControlPainter bind(c, p, dev->Size(), dev->origin + QPoint(bounds.Left, bounds.Top), true, clip);
        c->Perform(WM_PAINT);
    }
}

bool TWinControl::KeyDown(unsigned short& Key, TShiftState Shift) {
    if (OnKeyDown) {
        OnKeyDown(this, Key, Shift);
        return Key == 0;
    }
    return false;
}

void TWinControl::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_PAINT: {
            auto* canvas = reinterpret_cast<TCanvas*>(m.WParam);
            auto* update = reinterpret_cast<const TRect*>(m.LParam);
            if (canvas) PaintHandler(*canvas, update ? *update : Rect(0, 0, Width(), Height()));
            return;
        }
        case WM_ERASEBKGND: {
            auto* canvas = reinterpret_cast<TCanvas*>(m.WParam);
            if (canvas) {
                canvas->Brush().SetColor(Color());
                canvas->Brush().SetStyle(bsSolid);
                canvas->FillRect(Rect(0, 0, Width(), Height()));
            }
            m.Result = 1;
            return;
        }
        case WM_PRINTCLIENT: {
            auto* canvas = reinterpret_cast<TCanvas*>(m.WParam);
            TCanvasDevice* dev = canvas ? canvas->Device() : nullptr;
            if (QPainter* painter = dev ? dev->Painter() : nullptr) {
                // The control's own canvases draw onto the canvas asked for,
                // with its origin and clip, not onto the window.
                TControlPainter bind(this, painter, dev->Size(), dev->origin, dev->clipped, dev->clip);
                PaintWindow(*canvas);
                PaintControls(*canvas, Rect(0, 0, Width(), Height()));
            }
            return;
        }
        case WM_SIZE:
            Realign();
            return;
        case WM_SETCURSOR: {
            auto* target = reinterpret_cast<TControl*>(m.WParam);
            SetWindowCursor(target ? target->Cursor() : Cursor());
            m.Result = 1;
            return;
        }
        case WM_NCHITTEST:
            m.Result = HTCLIENT;
            return;
        case CM_COLORCHANGED:
            Invalidate();
            NotifyControls(CM_PARENTCOLORCHANGED);
            return;
        case CM_FONTCHANGED:
            Invalidate();
            NotifyControls(CM_PARENTFONTCHANGED);
            return;
        case CM_SHOWHINTCHANGED:
            NotifyControls(CM_PARENTSHOWHINTCHANGED);
            return;
        case CM_BIDIMODECHANGED:
            Invalidate();
            NotifyControls(CM_PARENTBIDIMODECHANGED);
            return;
        case CM_DIALOGCHAR:
        case CM_DIALOGKEY:
            Broadcast(m);
            return;
        case CM_VISIBLECHANGED:
            ApplyWidgetVisibility();
            return;
    }
    TControl::WndProc(m);
}

void TWinControl::SetWindowCursor(TCursor cursor) {
    windowCursor_ = cursor;
    if (!widget_) return;
    switch (cursor) {
        case crSizeNWSE: widget_->setCursor(Qt::SizeFDiagCursor); break;
        case crSizeNESW: widget_->setCursor(Qt::SizeBDiagCursor); break;
        case crSizeNS: widget_->setCursor(Qt::SizeVerCursor); break;
        case crSizeWE: widget_->setCursor(Qt::SizeHorCursor); break;
        case crIBeam: widget_->setCursor(Qt::IBeamCursor); break;
        case crHandPoint: widget_->setCursor(Qt::PointingHandCursor); break;
        case crHourGlass: widget_->setCursor(Qt::WaitCursor); break;
        case crCross: widget_->setCursor(Qt::CrossCursor); break;
        default: widget_->unsetCursor(); break;
    }
}

void TWinControl::ChangeScale(int M, int D) {
    if (M == D) return;
    TAlignBracket bracket(*this);
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->ChangeScale(M, D);
    TControl::ChangeScale(M, D);
    bracket.End();
}

// ---------------------------------------------------------------------------
// TCustomControl, TCustomPanel

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {
    canvas_->BindToControl();
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(TCanvas&) { Paint(); }

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks,
                                  csParentBackground});
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TCustomPanel::SetAlignment(TAlignment v) {
    if (v == alignment_) return;
    alignment_ = v;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut v) {
    if (v == bevelInner_) return;
    bevelInner_ = v;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut v) {
    if (v == bevelOuter_) return;
    bevelOuter_ = v;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int v) {
    if (v == bevelWidth_) return;
    bevelWidth_ = v;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderWidth(int v) {
    if (v == borderWidth_) return;
    borderWidth_ = v;
    Realign();
    Invalidate();
}

void TCustomPanel::WndProc(TMessage& Message) {
    // The caption is painted inside the panel: a new one shows at once.
    if (Message.Msg == CM_TEXTCHANGED) Invalidate();
    TCustomControl::WndProc(Message);
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
    TWinControl::AdjustClientRect(Rect);
    int inset = borderWidth_;
    if (bevelOuter_ != bvNone) inset += bevelWidth_;
    if (bevelInner_ != bvNone) inset += bevelWidth_;
    Rect = InflateRect(Rect, -inset, -inset);
}

void TCustomPanel::Paint() {
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        const TColor ul = cut == bvLowered ? clBtnShadow : clBtnHighlight;
        const TColor lr = cut == bvLowered ? clBtnHighlight : clBtnShadow;
        for (int i = 0; i < bevelWidth_; ++i) {
            c.Pen().SetColor(ul);
            c.MoveTo(r.Left, r.Bottom - 1);
            c.LineTo(r.Left, r.Top);
            c.LineTo(r.Right - 1, r.Top);
            c.Pen().SetColor(lr);
            c.LineTo(r.Right - 1, r.Bottom - 1);
            c.LineTo(r.Left - 1, r.Bottom - 1);
            r = InflateRect(r, -1, -1);
        }
    };
    bevel(bevelOuter_);
    r = InflateRect(r, -borderWidth_, -borderWidth_);
    bevel(bevelInner_);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    if (!Caption().empty()) {
        c.Font().Assign(Font());
        c.Brush().SetStyle(bsClear);
        static const unsigned kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
        c.DrawText(Caption(), r, DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | DT_NOPREFIX | kAlign[alignment_]);
        c.Brush().SetStyle(bsSolid);
    }
}

// ---------------------------------------------------------------------------
// Painting helper

void PaintWindowOnto(TWinControl* control, QPainter* painter, QSize size, QPoint origin, bool clipped, QRect clip,
                     const TRect& updateRect, bool erase) {
    QRect own = QRect(origin, QSize(control->Width(), control->Height()));
    if (clipped) own = own.intersected(clip);
    TControlCanvas scratch(control);
    auto dev = std::make_unique<TPainterDevice>(painter, size);
    dev->origin = origin;
    dev->clipped = true;
    dev->clip = own;
    scratch.BindDevice(std::move(dev));
    TControlPainter bind(control, painter, size, origin, true, own);
    if (erase)
        control->Perform(WM_PAINT, reinterpret_cast<std::intptr_t>(&scratch), reinterpret_cast<std::intptr_t>(&updateRect));
    else
        control->Perform(WM_PRINTCLIENT, reinterpret_cast<std::intptr_t>(&scratch));
}

// ---------------------------------------------------------------------------
// Drag target and simulated input

TControl* FindDragTarget(TPoint ScreenPos, bool AllowDisabled) {
    for (auto it = gTopLevels.rbegin(); it != gTopLevels.rend(); ++it) {
        TWinControl* win = *it;
        if (!win->Widget() || !win->Widget()->isVisible()) continue;
        TPoint local = win->ScreenToClient(ScreenPos);
        if (!Rect(0, 0, win->Width(), win->Height()).Contains(local)) continue;
        for (;;) {
            TControl* hit = win->ControlAtPos(local, AllowDisabled, true);
            auto* childWin = dynamic_cast<TWinControl*>(hit);
            if (childWin) {
                win = childWin;
                local = win->ScreenToClient(ScreenPos);
                continue;
            }
            return hit ? hit : win;
        }
    }
    return nullptr;
}
