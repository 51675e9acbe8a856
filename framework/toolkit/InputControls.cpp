#include "InputControls.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>

#include "ControlWidget.h"
#include "QtBridge.h"

namespace {

// Hands the field's key presses to the control's OnKeyDown first.
class TKeyFilter : public QObject {
public:
    explicit TKeyFilter(TWinControl* control) : control_(control) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !control_->OnKeyDown) return QObject::eventFilter(watched, event);
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        unsigned short key = QtKeyToVirtualKey(keyEvent->key());
        if (!key) return false;
        const TShiftState shift = ShiftFromQt(keyEvent->modifiers(), {});
        bool consumed = false;
        GuardEvent([&] {
            control_->OnKeyDown(control_, key, shift);
            consumed = key == 0;
        });
        return consumed;
    }

private:
    TWinControl* control_;
};

}  // namespace

// ---------------------------------------------------------------------------
// TEdit

struct TEdit::THost {
    QLineEdit* field;  // owned by the control's window
    TKeyFilter filter;
    explicit THost(TEdit* control) : field(new QLineEdit(control->Widget())), filter(control) {}
};

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner), host_(std::make_unique<THost>(this)) {
    // The text is the user's, never the component's name.
    SetControlStyle(ControlStyle() - csSetCaption);
    host_->field->installEventFilter(&host_->filter);
    Widget()->setFocusProxy(host_->field);
    QObject::connect(host_->field, &QLineEdit::textChanged, [this] {
        if (OnChange) GuardEvent([this] { OnChange(this); });
    });
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
}

TEdit::~TEdit() {
    // The field goes with the window; it must not run handlers meanwhile.
    QObject::disconnect(host_->field, nullptr, nullptr, nullptr);
    host_->field->removeEventFilter(&host_->filter);
}

String TEdit::Text() const { return FromQString(host_->field->text()); }

void TEdit::SetText(const String& v) {
    TWinControl::SetText(v);
    if (host_ && Text() != v) host_->field->setText(ToQString(v));
}

void TEdit::SelectAll() { host_->field->selectAll(); }

void TEdit::SetColor(TColor v) {
    TWinControl::SetColor(v);
    if (!host_) return;
    QPalette palette = host_->field->palette();
    palette.setColor(QPalette::Base, ToQColor(v));
    host_->field->setPalette(palette);
}

void TEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (host_) host_->field->setGeometry(0, 0, Width(), Height());
}

bool TEdit::FieldFocused() const { return host_->field->hasFocus(); }

// ---------------------------------------------------------------------------
// TCheckBox

struct TCheckBox::THost {
    QCheckBox* box;  // owned by the control's window
    explicit THost(TCheckBox* control) : box(new QCheckBox(control->Widget())) {}
};

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner), host_(std::make_unique<THost>(this)) {
    // The box takes no focus from the field beside it: clicking it must
    // leave typing where it was.
    host_->box->setFocusPolicy(Qt::NoFocus);
    QObject::connect(host_->box, &QCheckBox::clicked, [this] {
        if (OnClick) GuardEvent([this] { OnClick(this); });
    });
    SetBounds(0, 0, 97, 17);
}

TCheckBox::~TCheckBox() { QObject::disconnect(host_->box, nullptr, nullptr, nullptr); }

bool TCheckBox::Checked() const { return host_->box->isChecked(); }

void TCheckBox::SetChecked(bool v) { host_->box->setChecked(v); }

void TCheckBox::SetText(const String& v) {
    TWinControl::SetText(v);
    if (host_) host_->box->setText(ToQString(v));
}

void TCheckBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (host_) host_->box->setGeometry(0, 0, Width(), Height());
}

int TCheckBox::PreferredWidth() const { return host_->box->sizeHint().width(); }
