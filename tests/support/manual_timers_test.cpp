#include "tests/support/manual_timers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The fake clock many tests rely on must fire as the event loop would.
TEST(ManualTimers, FireInTimeOrderEachAtItsOwnInstant) {
    ManualTimers timers;
    std::string fired;
    std::vector<std::int64_t> at;
    auto slow = timers.create([&] { fired += 's', at.push_back(timers.now()); });
    auto fast = timers.create([&] { fired += 'f', at.push_back(timers.now()); });
    slow->setInterval(250);
    fast->setInterval(100);
    slow->start();
    fast->start();
    timers.advance(500);
    EXPECT_EQ(fired, "ffsffsf");  // at 500 both: the one started first fires first
    EXPECT_EQ(at, (std::vector<std::int64_t>{100, 200, 250, 300, 400, 500, 500}));
    EXPECT_EQ(timers.now(), 500);
}

TEST(ManualTimers, RestartingASingleShotPushesItsExpiryBack) {
    ManualTimers timers;
    int fired = 0;
    auto debounce = timers.create([&] { ++fired; });
    debounce->setInterval(500);
    debounce->setSingleShot(true);
    debounce->start();
    timers.advance(400);
    debounce->start();  // a change 400 ms in
    EXPECT_EQ(debounce->remainingTime(), 500);
    timers.advance(499);
    EXPECT_EQ(fired, 0);
    timers.advance(1);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(debounce->isActive());
    EXPECT_EQ(debounce->remainingTime(), -1);
    timers.advance(5000);
    EXPECT_EQ(fired, 1);
}

TEST(ManualTimers, CallbacksMayStopRestartOrDestroyTimers) {
    ManualTimers timers;
    int ticks = 0;
    std::unique_ptr<Timer> self;
    self = timers.create([&] {
        if (++ticks == 3) self.reset();  // destroyed inside its own expiry
    });
    self->setInterval(10);
    self->start();
    timers.advance(100);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(timers.timerCount(), 0U);

    int zeroTicks = 0;
    auto idle = timers.create([&] { ++zeroTicks; });
    idle->start();  // interval 0: once per pass, never a spin
    timers.advance(0);
    timers.advance(0);
    EXPECT_EQ(zeroTicks, 2);
}

}  // namespace
