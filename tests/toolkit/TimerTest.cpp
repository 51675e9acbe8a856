#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ExtCtrls.h"
#include "Platform.h"

namespace {

// Runs the event loop until the condition holds or a generous bound passes.
template <class F>
bool RunEventsUntil(F done) {
    for (int i = 0; i < 500 && !done(); ++i) {
        ProcessPendingEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

TEST(Timer, FiresRepeatedlyThroughTheEventLoop) {
    auto timer = MakeOwned<TTimer>(nullptr);
    int ticks = 0;
    timer->SetInterval(1);
    timer->SetOnTimer([&](TObject* sender) {
        EXPECT_EQ(sender, timer.get());
        ++ticks;
    });
    EXPECT_EQ(ticks, 0);  // nothing happens outside the event loop
    EXPECT_TRUE(RunEventsUntil([&] { return ticks >= 2; }));
}

TEST(Timer, RunsOnlyWhenEnabledWithAnIntervalAndAHandler) {
    auto timer = MakeOwned<TTimer>(nullptr);
    EXPECT_FALSE(timer->Running());  // no handler yet
    timer->SetOnTimer([](TObject*) {});
    EXPECT_TRUE(timer->Running());
    EXPECT_EQ(timer->Interval(), 1000u);
    timer->SetEnabled(false);
    EXPECT_FALSE(timer->Running());
    timer->SetEnabled(true);
    timer->SetInterval(0);
    EXPECT_FALSE(timer->Running());
    timer->SetInterval(250);
    EXPECT_TRUE(timer->Running());
}

TEST(Timer, ADisabledTimerNeverCallsItsHandler) {
    auto timer = MakeOwned<TTimer>(nullptr);
    int ticks = 0;
    timer->SetInterval(1);
    timer->SetOnTimer([&](TObject*) { ++ticks; });
    timer->SetEnabled(false);
    auto probe = MakeOwned<TTimer>(nullptr);  // proves that the loop ran long enough
    int probeTicks = 0;
    probe->SetInterval(1);
    probe->SetOnTimer([&](TObject*) { ++probeTicks; });
    EXPECT_TRUE(RunEventsUntil([&] { return probeTicks >= 3; }));
    EXPECT_EQ(ticks, 0);
}

}  // namespace
