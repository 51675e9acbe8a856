#include "ComboBoxes.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>

#include "ControlWidget.h"
#include "Forms.h"
#include "QtBridge.h"
#include "ToolkitClasses.h"
#include "Streaming.h"

const TEnumType kComboBoxStyleType{u"TComboBoxStyle", {u"csDropDownList"}};

namespace {

void DrawItemText(TCanvas& c, const TRect& r, const String& text) {
    c.TextRect(r, r.Left + 2, r.Top + (r.Height() - c.TextHeight(u"Pp")) / 2, text);
}

}  // namespace

// ---------------------------------------------------------------------------
// The dropped-down list: a popup window below the field. It highlights the
// row under the mouse and chooses it on release; a press outside closes it.

class TComboBox::TPopup : public QWidget {
public:
    explicit TPopup(TComboBox* combo) : QWidget(nullptr, Qt::Popup), combo_(combo) {
        setMouseTracking(true);
        setAttribute(Qt::WA_NoSystemBackground, true);
        setAttribute(Qt::WA_OpaquePaintEvent, true);
    }

    void Open() {
        const int rows = std::clamp(combo_->Items().Count(), 1, combo_->DropDownCount());
        const int height = rows * combo_->ItemHeight() + 2;
        const QPoint below = combo_->Widget()->mapToGlobal(QPoint(0, combo_->Height()));
        const TRect work = Screen->WorkAreaRectAt({below.x(), below.y()});
        int y = below.y();
        if (y + height > work.Bottom) y = below.y() - combo_->Height() - height;
        setGeometry(below.x(), std::max(work.Top, y), combo_->Width(), height);
        top_ = 0;
        ShowRow(combo_->hotIndex_);
        show();
    }

    // Scrolls so that the row is in sight.
    void ShowRow(int index) {
        const int rows = std::max(1, (height() - 2) / combo_->ItemHeight());
        if (index < 0) return;
        if (index < top_) top_ = index;
        else if (index >= top_ + rows) top_ = index - rows + 1;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        TCanvas c;
        c.BindDevice(std::make_unique<TPainterDevice>(&painter, size()));
        GuardEvent([&] { Draw(c); });
        c.ReleaseDevice();
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        const int row = RowAt(event->position().toPoint());
        if (row >= 0) GuardEvent([&] { combo_->SetHotIndex(row); });
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (rect().contains(event->position().toPoint())) return;
        // A press on the field itself closes the list and does not open it again.
        const QPoint onField = combo_->Widget()->mapFromGlobal(event->globalPosition().toPoint());
        setAttribute(Qt::WA_NoMouseReplay, combo_->Widget()->rect().contains(onField));
        QWidget::mousePressEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        const int row = RowAt(event->position().toPoint());
        if (row >= 0) GuardEvent([&] { combo_->Choose(row); });
    }

    void keyPressEvent(QKeyEvent* event) override {
        unsigned short key = QtKeyToVirtualKey(event->key());
        bool handled = false;
        GuardEvent([&] { handled = key && combo_->KeyDown(key, ShiftFromQt(event->modifiers(), {})); });
        if (!handled) QWidget::keyPressEvent(event);
    }

    void hideEvent(QHideEvent*) override {
        GuardEvent([&] { combo_->ClosedUp(); });
    }

private:
    int RowAt(QPoint p) const {
        if (!rect().adjusted(1, 1, -1, -1).contains(p)) return -1;
        const int row = top_ + (p.y() - 1) / combo_->ItemHeight();
        return row < combo_->Items().Count() ? row : -1;
    }

    void Draw(TCanvas& c) {
        const TRect all = Rect(0, 0, width(), height());
        c.Brush().SetColor(clWindowFrame);
        c.FrameRect(all);
        c.Font().Assign(combo_->Font());
        const int h = combo_->ItemHeight();
        for (int y = 1, row = top_; y < height() - 1; y += h, ++row) {
            const TRect r = Rect(1, y, width() - 1, std::min(y + h, height() - 1));
            const bool hot = row == combo_->hotIndex_;
            c.Brush().SetColor(hot ? clHighlight : combo_->Color());
            c.Font().SetColor(hot ? clHighlightText : combo_->Font().Color());
            if (row < combo_->Items().Count()) DrawItemText(c, r, combo_->Items().Get(row));
            else c.FillRect(r);
        }
    }

    TComboBox* combo_;
    int top_ = 0;
};

// ---------------------------------------------------------------------------
// TComboBox

TComboBox::TComboBox(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csOpaque});
    SetBounds(0, 0, 145, 21);
    SetColor(clWindow);
    SetTabStop(true);
}

TComboBox::~TComboBox() {
    // The list goes first, so that its closing finds the field whole.
    if (popup_) popup_->hide();
    popup_.reset();
}

void TComboBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= items_.Count()) Value = -1;
    if (Value == itemIndex_) return;
    itemIndex_ = Value;
    Invalidate();
}

String TComboBox::Text() const { return itemIndex_ >= 0 ? items_.Get(itemIndex_) : String(); }

int TComboBox::ItemHeight() const {
    TCanvas measure;
    measure.Font().Assign(Font());
    return measure.TextHeight(u"Pp") + 2;
}

void TComboBox::ItemsChanged() {
    if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
    if (hotIndex_ >= items_.Count()) hotIndex_ = -1;
    if (popup_) popup_->update();
    Invalidate();
}

bool TComboBox::DroppedDown() const { return popup_ && popup_->isVisible(); }

void TComboBox::SetDroppedDown(bool Value) {
    if (Value == DroppedDown()) return;
    if (!Value) {
        popup_->hide();
        return;
    }
    if (!popup_) popup_ = std::make_unique<TPopup>(this);
    hotIndex_ = itemIndex_;
    popup_->Open();
    Invalidate();
}

void TComboBox::ClosedUp() {
    hotIndex_ = -1;
    Invalidate();
}

void TComboBox::SetHotIndex(int Index) {
    Index = std::clamp(Index, 0, std::max(0, items_.Count() - 1));
    if (items_.Count() == 0 || Index == hotIndex_) return;
    hotIndex_ = Index;
    if (popup_) popup_->ShowRow(Index);
}

void TComboBox::Choose(int Index) {
    SetDroppedDown(false);
    SetItemIndex(Index);
    Click();
}

void TComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && Enabled()) {
        if (TabStop() && CanFocus()) SetFocus();
        SetDroppedDown(!DroppedDown());
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

bool TComboBox::KeyDown(unsigned short& Key, TShiftState Shift) {
    if (TCustomControl::KeyDown(Key, Shift)) return true;
    if ((Key == VK_DOWN && Shift.Contains(ssAlt)) || Key == VK_F4) {
        SetDroppedDown(!DroppedDown());
        return true;
    }
    const int count = items_.Count();
    if (DroppedDown()) {
        switch (Key) {
            case VK_UP: SetHotIndex(hotIndex_ - 1); return true;
            case VK_DOWN: SetHotIndex(hotIndex_ + 1); return true;
            case VK_HOME: SetHotIndex(0); return true;
            case VK_END: SetHotIndex(count - 1); return true;
            case VK_RETURN:
                if (hotIndex_ >= 0) Choose(hotIndex_);
                else SetDroppedDown(false);
                return true;
            case VK_ESCAPE:
            case VK_TAB: SetDroppedDown(false); return true;
            default: return false;
        }
    }
    if (count == 0) return false;
    int next = itemIndex_;
    switch (Key) {
        case VK_UP: next = itemIndex_ - 1; break;
        case VK_DOWN: next = itemIndex_ + 1; break;
        case VK_HOME: next = 0; break;
        case VK_END: next = count - 1; break;
        default: return false;
    }
    next = std::clamp(next, 0, count - 1);
    if (next != itemIndex_) Choose(next);
    return true;
}

void TComboBox::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        // Opening the list moves the focus away from the field for as long as
        // it is open; the list closes itself on a press outside it.
        case WM_KILLFOCUS:
        case WM_SETFOCUS:
        case CM_FONTCHANGED:
        case CM_ENABLEDCHANGED:
            Invalidate();
            break;
    }
    TCustomControl::WndProc(Message);
}

void TComboBox::Paint() {
    TCanvas& c = Canvas();
    const TRect all = ClientRect();
    // The sunken frame of an entry field.
    const TRect inner = Frame3D(c, Frame3D(c, all, clBtnShadow, clBtnHighlight), cl3DDkShadow, cl3DLight);
    TRect field = inner;
    field.Right -= ButtonWidth;
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Enabled() ? Color() : clBtnFace);
    c.FillRect(field);
    c.Font().Assign(Font());
    const bool highlighted = Focused() && !DroppedDown() && Enabled();
    const TRect text = InflateRect(field, -1, -1);
    if (highlighted) {
        c.Brush().SetColor(clHighlight);
        c.Font().SetColor(clHighlightText);
    }
    if (!Enabled()) c.Font().SetColor(clGrayText);
    DrawItemText(c, text, Text());
    if (highlighted) {
        c.Brush().SetStyle(bsClear);
        c.Pen().SetStyle(psDot);
        c.Pen().SetColor(clWindowText);
        c.Rectangle(text);
        c.Pen().SetStyle(psSolid);
        c.Brush().SetStyle(bsSolid);
    }
    // The button: a raised face, sunk while the list is down, with an arrow.
    const TRect button = Rect(field.Right, inner.Top, inner.Right, inner.Bottom);
    c.Brush().SetColor(clBtnFace);
    c.FillRect(button);
    const bool down = DroppedDown();
    Frame3D(c, button, down ? clBtnShadow : clBtnHighlight, down ? clBtnShadow : cl3DDkShadow);
    const int cx = (button.Left + button.Right) / 2 + (down ? 1 : 0);
    const int cy = (button.Top + button.Bottom) / 2 - 1 + (down ? 1 : 0);
    const TColor arrow = Enabled() ? clBtnText : clGrayText;
    c.Pen().SetColor(arrow);
    c.Brush().SetColor(arrow);
    c.Polygon({{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}});
}

void RegisterComboBoxClasses() {
    RegisterToolkitClasses();
    RegisterClassesOnce([] {
        TClassBuilder<TComboBox>(u"TComboBox", u"TCustomControl")
            .Enumeration<TComboBoxStyle>(u"Style", kComboBoxStyleType, &TComboBox::Style, &TComboBox::SetStyle,
                                         csDropDownList)
            .Integer(u"DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount, 8)
            .Integer(u"ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex, -1)
            .Boolean(u"TabStop", &TComboBox::TabStop, &TComboBox::SetTabStop, true);
    });
}
