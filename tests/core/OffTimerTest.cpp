// The off-timer on housekeeping ticks: when it fires, and what each mode asks of the
// power services (a fake; nothing is shut down).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePowerControl.h"
#include "OffTimer.h"

namespace hgf {
namespace {

LocalTime At(int hour, int minute) {
    return LocalTime{2026, 12, 7, hour, minute};
}

constexpr auto kNothing = OffTimerOutcome::Nothing;
constexpr auto kClose = OffTimerOutcome::CloseWindow;

TEST(OffTimer, FiresOnlyOnTheTicksOfItsMinute) {
    Settings settings;
    settings.TimerIsAppExitOnly = 1;
    settings.TimerIsSuspend = 1;  // ignored in the quit-only mode
    test::FakePowerControl power;
    OffTimerSetting timer{1, 23, 0};
    // Ticks every 30 seconds from 22:59 to 23:01: two of them fall inside 23:00.
    std::vector<OffTimerOutcome> outcomes;
    for (LocalTime now : {At(22, 59), At(22, 59), At(23, 0), At(23, 0), At(23, 1)})
        outcomes.push_back(CheckOffTimer(timer, settings, now, power));
    EXPECT_EQ(outcomes, (std::vector{kNothing, kNothing, kClose, kClose, kNothing}));
    EXPECT_TRUE(power.calls.empty());  // quitting needs no power services

    EXPECT_EQ(CheckOffTimer({0, 23, 0}, settings, At(23, 0), power), kNothing);  // off
    EXPECT_EQ(CheckOffTimer(timer, settings, At(11, 0), power), kNothing);       // 24-hour
    EXPECT_EQ(CheckOffTimer({1, 0, 0}, settings, At(0, 0), power), kClose);      // midnight
}

TEST(OffTimer, HibernatesAndRunsOnOrShutsDownAndCloses) {
    Settings settings;
    settings.TimerIsSuspend = 1;
    test::FakePowerControl power;
    OffTimerSetting timer{1, 23, 0};
    EXPECT_EQ(CheckOffTimer(timer, settings, At(23, 0), power), kNothing);
    EXPECT_EQ(CheckOffTimer(timer, settings, At(23, 0), power), kNothing);  // asks again
    EXPECT_EQ(power.calls,
              (std::vector<std::string>{"privilege", "power 0 0", "privilege", "power 0 0"}));
    settings.TimerIsForce = 1;
    power.calls.clear();
    power.nt = false;  // no privilege to enable outside NT
    CheckOffTimer(timer, settings, At(23, 0), power);
    EXPECT_EQ(power.calls, std::vector<std::string>{"power 0 1"});

    // Shutting down closes the player even when the privilege and the system refuse.
    settings = Settings{};
    power = test::FakePowerControl{};
    power.privilegeGranted = false;
    power.systemAgrees = false;
    EXPECT_EQ(CheckOffTimer(timer, settings, At(23, 0), power), kClose);
    settings.TimerIsForce = 1;
    EXPECT_EQ(CheckOffTimer(timer, settings, At(23, 0), power), kClose);
    EXPECT_EQ(power.calls, (std::vector<std::string>{"privilege", "exit 9 262144", "privilege",
                                                     "exit 13 262144"}));
}

}  // namespace
}  // namespace hgf
