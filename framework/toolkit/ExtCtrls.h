// Non-visual helpers of the controls layer: the periodic timer that fires
// on the event loop.
#pragma once

#include <memory>

#include "Classes.h"

// Calls OnTimer every Interval milliseconds on the GUI thread, through the
// event loop, while Enabled, Interval > 0 and OnTimer is assigned. Setting
// Interval or Enabled restarts the count from the moment of the change.
class TTimer : public TComponent {
public:
    LV_CLASS_NAME(TTimer)
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned v);
    // True while the timer is counting towards its next tick.
    bool Running() const;

    TNotifyEvent OnTimer;
    // Exchanges the handler; like Enabled, it decides whether the timer runs.
    void SetOnTimer(TNotifyEvent handler);

    // A stored layout sets OnTimer directly: the timer starts once it is read.
    void Loaded() override;

protected:
    virtual void Timer();

private:
    void UpdateTimer();

    struct Impl;
    std::unique_ptr<Impl> impl_;
    bool enabled_ = true;
    unsigned interval_ = 1000;
};

// Registers the timer for stored layouts; safe to call more than once.
void RegisterExtCtrlsClasses();
