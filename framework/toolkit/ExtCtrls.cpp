#include "ExtCtrls.h"

#include <QTimer>

#include "Controls.h"
#include "Streaming.h"
#include "ToolkitClasses.h"

struct TTimer::Impl {
    QTimer timer;
};

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), impl_(std::make_unique<Impl>()) {
    QObject::connect(&impl_->timer, &QTimer::timeout, [this] { GuardEvent([this] { Timer(); }); });
}

TTimer::~TTimer() { impl_->timer.stop(); }

void TTimer::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned v) {
    if (v == interval_) return;
    interval_ = v;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    OnTimer = std::move(handler);
    UpdateTimer();
}

bool TTimer::Running() const { return impl_->timer.isActive(); }

void TTimer::UpdateTimer() {
    impl_->timer.stop();
    if (enabled_ && interval_ > 0 && OnTimer) impl_->timer.start(static_cast<int>(interval_));
}

void TTimer::Timer() {
    if (enabled_ && OnTimer) OnTimer(this);
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void RegisterExtCtrlsClasses() {
    RegisterToolkitClasses();
    RegisterClassesOnce([] {
        TClassBuilder<TTimer>(u"TTimer", u"")
            .Boolean(u"Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
            .Integer(u"Interval", &TTimer::Interval, [](TTimer& t, int v) { t.SetInterval(v < 0 ? 0u : unsigned(v)); }, 1000)
            .Event(u"OnTimer", &TTimer::OnTimer);
    });
}
