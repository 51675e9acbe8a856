#include "ListBoxes.h"

#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cstdlib>

#include "ControlWidget.h"
#include "Streaming.h"
#include "ToolkitClasses.h"

const TEnumType kListBoxStyleType{u"TListBoxStyle", {u"lbStandard", u"lbOwnerDrawFixed"}};

namespace {

constexpr int kBorder = 2;  // the sunken frame around the items

}  // namespace

// ---------------------------------------------------------------------------
// TListBoxStrings

String TListBoxStrings::Get(int Index) const {
    CheckIndex(Index);
    return items_[static_cast<size_t>(Index)].Text;
}

void TListBoxStrings::Put(int Index, const String& S) {
    CheckIndex(Index);
    items_[static_cast<size_t>(Index)].Text = S;
    Changed();
}

TObject* TListBoxStrings::GetObject(int Index) const {
    CheckIndex(Index);
    return items_[static_cast<size_t>(Index)].Object;
}

void TListBoxStrings::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    items_[static_cast<size_t>(Index)].Object = AObject;
}

void TListBoxStrings::Insert(int Index, const String& S) {
    if (Index < 0 || Index > Count()) IndexError(Index);
    items_.insert(items_.begin() + Index, TItem{S});
    Changed();
}

void TListBoxStrings::Delete(int Index) {
    CheckIndex(Index);
    items_.erase(items_.begin() + Index);
    Changed();
}

void TListBoxStrings::Clear() {
    items_.clear();
    Changed();
}

void TListBoxStrings::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    TItem item = std::move(items_[static_cast<size_t>(CurIndex)]);
    items_.erase(items_.begin() + CurIndex);
    items_.insert(items_.begin() + NewIndex, std::move(item));
    Changed();
}

int TListBoxStrings::Data(int Index) const {
    CheckIndex(Index);
    return items_[static_cast<size_t>(Index)].Data;
}

void TListBoxStrings::SetData(int Index, int Value) {
    CheckIndex(Index);
    items_[static_cast<size_t>(Index)].Data = Value;
    Changed();
}

void TListBoxStrings::Changed() {
    if (UpdateCount() == 0 && changed_) changed_();
}

void TListBoxStrings::SetUpdateState(bool Updating) {
    if (!Updating && changed_) changed_();
}

// ---------------------------------------------------------------------------
// TCustomListBox

struct TCustomListBox::TScrollBarHost {
    QScrollBar* bar = nullptr;
};

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TCustomControl(AOwner), scrollBar_(std::make_unique<TScrollBarHost>()) {
    // Clicks come from choosing an item, not from a press and release.
    SetControlStyle(TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csOpaque});
    SetBounds(0, 0, 121, 97);
    SetColor(clWindow);
    SetTabStop(true);
    scrollBar_->bar = new QScrollBar(Qt::Vertical, Widget());
    scrollBar_->bar->hide();
    scrollBar_->bar->setCursor(Qt::ArrowCursor);
    QObject::connect(scrollBar_->bar, &QScrollBar::valueChanged, Widget(),
                     [this](int value) { GuardEvent([&] { SetTopIndex(value); }); });
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= Count()) Value = -1;
    if (Value == itemIndex_) return;
    itemIndex_ = Value;
    ScrollIntoView(Value);
    Invalidate();
}

void TCustomListBox::SetTopIndex(int Value) {
    Value = std::clamp(Value, 0, std::max(0, Count() - VisibleRows()));
    if (Value == topIndex_) return;
    topIndex_ = Value;
    if (QScrollBar* bar = scrollBar_->bar) {
        const QSignalBlocker block(bar);
        bar->setValue(Value);
    }
    Invalidate();
}

void TCustomListBox::SetItemHeight(int Value) {
    Value = std::max(1, Value);
    if (Value == itemHeight_) return;
    itemHeight_ = Value;
    ItemsChanged();
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    Invalidate();
}

TRect TCustomListBox::ItemsArea() const {
    TRect r = InflateRect(ClientRect(), -kBorder, -kBorder);
    if (ScrollBarShown()) r.Right -= scrollBar_->bar->width();
    return r;
}

bool TCustomListBox::ScrollBarShown() const { return scrollBar_->bar && !scrollBar_->bar->isHidden(); }

int TCustomListBox::VisibleRows() const {
    return std::max(1, (Height() - 2 * kBorder) / itemHeight_);
}

TRect TCustomListBox::ItemRect(int Index) const {
    const TRect area = ItemsArea();
    const int top = area.Top + (Index - topIndex_) * itemHeight_;
    return Rect(area.Left, top, area.Right, top + itemHeight_);
}

int TCustomListBox::ItemAtPos(TPoint Pos, bool Existing) const {
    const TRect area = ItemsArea();
    if (!area.Contains(Pos)) return -1;
    const int index = topIndex_ + (Pos.Y - area.Top) / itemHeight_;
    if (index < Count()) return index;
    return Existing ? -1 : Count();
}

void TCustomListBox::ScrollIntoView(int Index) {
    if (Index < 0) return;
    if (Index < topIndex_) SetTopIndex(Index);
    else if (Index >= topIndex_ + VisibleRows()) SetTopIndex(Index - VisibleRows() + 1);
}

void TCustomListBox::ItemsChanged() {
    if (itemIndex_ >= Count()) itemIndex_ = -1;
    UpdateScrollBar();
    topIndex_ = std::clamp(topIndex_, 0, std::max(0, Count() - VisibleRows()));
    if (QScrollBar* bar = scrollBar_->bar) {
        const QSignalBlocker block(bar);
        bar->setValue(topIndex_);
    }
    Invalidate();
}

void TCustomListBox::UpdateScrollBar() {
    QScrollBar* bar = scrollBar_->bar;
    if (!bar) return;
    const int rows = VisibleRows();
    const int barWidth = Widget()->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    bar->setGeometry(Width() - kBorder - barWidth, kBorder, barWidth, std::max(0, Height() - 2 * kBorder));
    bar->setVisible(Count() > rows);
    const QSignalBlocker block(bar);
    bar->setRange(0, std::max(0, Count() - rows));
    bar->setPageStep(rows);
    bar->setSingleStep(1);
}

void TCustomListBox::Resize() {
    ItemsChanged();
    TCustomControl::Resize();
}

// --- painting -----------------------------------------------------------------

void TCustomListBox::Paint() {
    TCanvas& c = Canvas();
    const TRect all = ClientRect();
    // The sunken frame of an entry field.
    Frame3D(c, Frame3D(c, all, clBtnShadow, clBtnHighlight), cl3DDkShadow, cl3DLight);
    c.Brush().SetColor(Color());
    c.Brush().SetStyle(bsSolid);
    c.FillRect(InflateRect(all, -kBorder, -kBorder));
    const int last = std::min(Count(), topIndex_ + VisibleRows() + 1);
    for (int i = topIndex_; i < last; ++i) PaintItem(i);
}

TOwnerDrawState TCustomListBox::ItemState(int Index) const {
    TOwnerDrawState state;
    if (Index == itemIndex_) state.Include(odSelected);
    if (Index == itemIndex_ && Focused()) state.Include(odFocused);
    if (!Enabled()) state.Include(odDisabled);
    return state;
}

void TCustomListBox::PaintItem(int Index) {
    TCanvas& c = Canvas();
    const TRect area = ItemsArea();
    const TRect row = ItemRect(Index);
    // Nothing an item draws reaches the frame or another item.
    const int saved = c.SaveState();
    struct TRestore {
        TCanvas& canvas;
        int saved;
        ~TRestore() { canvas.RestoreState(saved); }
    } restore{c, saved};
    c.IntersectClipRect(IntersectRect(row, area));
    DrawItemPrefix(Index, row);
    TRect content = row;
    content.Left += ItemContentOffset();
    c.IntersectClipRect(content);
    const TOwnerDrawState state = ItemState(Index);
    c.Font().Assign(Font());
    c.Brush().SetStyle(bsSolid);
    if (state.Contains(odSelected)) {
        c.Brush().SetColor(clHighlight);
        c.Font().SetColor(clHighlightText);
    } else {
        c.Brush().SetColor(Color());
    }
    if (state.Contains(odDisabled)) c.Font().SetColor(clGrayText);
    DrawItem(Index, content, state);
    if (state.Contains(odFocused)) {
        c.Brush().SetStyle(bsClear);
        c.Pen().SetStyle(psDot);
        c.Pen().SetColor(clWindowText);
        c.Rectangle(content);
        c.Pen().SetStyle(psSolid);
        c.Brush().SetStyle(bsSolid);
    }
}

void TCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    if (style_ == lbOwnerDrawFixed && OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    TCanvas& c = Canvas();
    c.FillRect(Rect);
    c.TextOut(Rect.Left + 2, Rect.Top + (Rect.Height() - c.TextHeight(u"Pp")) / 2, items_.Get(Index));
}

// --- mouse, keys and dragging -------------------------------------------------------

void TCustomListBox::SelectByUser(int Index) {
    SetItemIndex(Index);
    Click();
}

void TCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (TabStop() && CanFocus()) SetFocus();
        const int index = ItemAtPos({X, Y}, true);
        if (index >= 0) SelectByUser(index);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && DragMode() == dmAutomatic && ItemAtPos({X, Y}, true) >= 0) {
        dragStart_ = {X, Y};
        BeginDrag(false);
    }
}

void TCustomListBox::BeginDrag(bool Immediate, int Threshold) {
    if (dragging_) return;
    dragThreshold_ = Threshold;
    dragArmed_ = true;
    if (Immediate) DragMove(dragStart_.X, dragStart_.Y);
}

void TCustomListBox::MouseMove(TShiftState Shift, int X, int Y) {
    if (dragArmed_ && !dragging_ &&
        std::max(std::abs(X - dragStart_.X), std::abs(Y - dragStart_.Y)) >= dragThreshold_)
        DragMove(X, Y);
    else if (dragging_)
        DragMove(X, Y);
    TCustomControl::MouseMove(Shift, X, Y);
}

// The drag follows the mouse: over the list, the list is asked whether it
// takes the item here; anywhere else nothing takes it.
void TCustomListBox::DragMove(int X, int Y) {
    const bool entering = !dragging_;
    dragging_ = true;
    dragPos_ = {X, Y};
    const bool inside = ClientRect().Contains(dragPos_);
    bool accept = false;
    if (inside) DragOver(this, X, Y, (entering || !dragInside_) ? dsDragEnter : dsDragMove, accept);
    else if (dragInside_) DragOver(this, X, Y, dsDragLeave, accept);
    dragInside_ = inside;
    dragAccepted_ = inside && accept;
    Widget()->setCursor(dragAccepted_ ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
}

void TCustomListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && dragging_) {
        dragPos_ = {X, Y};
        EndDrag(true);
    }
    if (Button == mbLeft) dragArmed_ = false;
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomListBox::EndDrag(bool Drop) {
    dragArmed_ = false;
    if (!dragging_) return;
    dragging_ = false;
    Widget()->unsetCursor();
    const bool dropped = Drop && dragInside_ && dragAccepted_;
    const TPoint at = dragPos_;
    dragInside_ = false;
    dragAccepted_ = false;
    if (dropped) DragDrop(this, at.X, at.Y);
    DoEndDrag(dropped ? this : nullptr, at.X, at.Y);
}

void TCustomListBox::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    if (OnDragOver) OnDragOver(this, Source, X, Y, State, Accept);
}

void TCustomListBox::DragDrop(TObject* Source, int X, int Y) {
    if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TCustomListBox::DoEndDrag(TObject* Target, int X, int Y) {
    if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

bool TCustomListBox::KeyDown(unsigned short& Key, TShiftState Shift) {
    if (TCustomControl::KeyDown(Key, Shift)) return true;
    if (Key == VK_ESCAPE && dragging_) {
        EndDrag(false);
        return true;
    }
    if (Count() == 0) return false;
    const int current = itemIndex_;
    int next = current;
    switch (Key) {
        case VK_UP: next = current < 0 ? 0 : current - 1; break;
        case VK_DOWN: next = current + 1; break;
        case VK_HOME: next = 0; break;
        case VK_END: next = Count() - 1; break;
        case VK_PRIOR: next = current - (VisibleRows() - 1); break;
        case VK_NEXT: next = current + (VisibleRows() - 1); break;
        default: return false;
    }
    next = std::clamp(next, 0, Count() - 1);
    if (next != current) SelectByUser(next);
    return true;
}

void TCustomListBox::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_MOUSEWHEEL:
            SetTopIndex(topIndex_ - static_cast<int>(Message.WParam) / 120 * 3);
            Message.Result = 1;
            return;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case CM_FONTCHANGED:
        case CM_ENABLEDCHANGED:
            Invalidate();
            break;
    }
    TCustomControl::WndProc(Message);
}

void RegisterListBoxClasses() {
    RegisterToolkitClasses();
    RegisterClassesOnce([] {
        TClassBuilder<TCustomListBox>(u"TCustomListBox", u"TCustomControl")
            .Integer(u"ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight, 16)
            .Enumeration<TListBoxStyle>(u"Style", kListBoxStyleType, &TCustomListBox::Style, &TCustomListBox::SetStyle,
                                        lbStandard)
            .Boolean(u"TabStop", &TCustomListBox::TabStop, &TCustomListBox::SetTabStop, true)
            .Event(u"OnDrawItem", &TCustomListBox::OnDrawItem)
            .Event(u"OnDragOver", &TCustomListBox::OnDragOver)
            .Event(u"OnDragDrop", &TCustomListBox::OnDragDrop)
            .Event(u"OnEndDrag", &TCustomListBox::OnEndDrag);
        TClassBuilder<TListBox>(u"TListBox", u"TCustomListBox");
    });
}
