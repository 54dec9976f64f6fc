// The off-timer on housekeeping ticks: when it fires, and what each mode asks of the
// power services (a fake; nothing is shut down).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OffTimer.h"

namespace hgf {
namespace {

class FakePower final : public PowerControl {
  public:
    bool nt = true;
    bool privilegeGranted = true;
    bool systemAgrees = true;
    std::vector<std::string> calls;

    bool IsNtPlatform() override { return nt; }
    bool EnableShutdownPrivilege() override {
        calls.push_back("privilege");
        return privilegeGranted;
    }
    bool SetSystemPowerState(bool suspend, bool force) override {
        calls.push_back("power " + std::to_string(suspend) + " " + std::to_string(force));
        return systemAgrees;
    }
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
        calls.push_back("exit " + std::to_string(flags) + " " + std::to_string(reason));
        return systemAgrees;
    }
};

LocalTime At(int hour, int minute) {
    return LocalTime{2026, 12, 7, hour, minute};
}

// Ticks every 30 seconds from 22:58 to 23:02 with the timer set to 23:00; the outcome of
// each tick in order.
std::vector<OffTimerOutcome> TickAround(const Settings& settings, FakePower& power) {
    OffTimerSetting timer{1, 23, 0};
    std::vector<OffTimerOutcome> outcomes;
    for (int minute : {58, 59})
        outcomes.push_back(CheckOffTimer(timer, settings, At(22, minute), power));
    for (int minute : {0, 0, 1, 2})  // two ticks inside the set minute
        outcomes.push_back(CheckOffTimer(timer, settings, At(23, minute), power));
    return outcomes;
}

constexpr auto kNothing = OffTimerOutcome::Nothing;
constexpr auto kClose = OffTimerOutcome::CloseWindow;

TEST(OffTimer, QuitModeClosesInItsMinuteWithoutPowerCalls) {
    Settings settings;
    settings.TimerIsAppExitOnly = 1;
    settings.TimerIsSuspend = 1;  // ignored in this mode
    FakePower power;
    EXPECT_EQ(TickAround(settings, power),
              (std::vector{kNothing, kNothing, kClose, kClose, kNothing, kNothing}));
    EXPECT_TRUE(power.calls.empty());
}

TEST(OffTimer, HibernateModeAsksOnEveryTickOfItsMinuteAndRunsOn) {
    Settings settings;
    settings.TimerIsSuspend = 1;
    FakePower power;
    EXPECT_EQ(TickAround(settings, power), std::vector<OffTimerOutcome>(6, kNothing));
    EXPECT_EQ(power.calls,
              (std::vector<std::string>{"privilege", "power 0 0", "privilege", "power 0 0"}));

    settings.TimerIsForce = 1;
    power.calls.clear();
    power.nt = false;  // no privilege to enable outside NT
    CheckOffTimer({1, 23, 0}, settings, At(23, 0), power);
    EXPECT_EQ(power.calls, std::vector<std::string>{"power 0 1"});
}

TEST(OffTimer, ShutdownModeClosesEvenWhenRefused) {
    Settings settings;
    FakePower power;
    EXPECT_EQ(TickAround(settings, power),
              (std::vector{kNothing, kNothing, kClose, kClose, kNothing, kNothing}));
    EXPECT_EQ(power.calls.front(), "privilege");
    EXPECT_EQ(power.calls.at(1), "exit 9 262144");  // EWX_SHUTDOWN | EWX_POWEROFF

    settings.TimerIsForce = 1;
    power.calls.clear();
    power.privilegeGranted = false;
    power.systemAgrees = false;
    EXPECT_EQ(CheckOffTimer({1, 23, 0}, settings, At(23, 0), power), kClose);
    EXPECT_EQ(power.calls, (std::vector<std::string>{"privilege", "exit 13 262144"}));
}

TEST(OffTimer, DisabledOrOtherTimeDoesNothing) {
    Settings settings;
    FakePower power;
    EXPECT_EQ(CheckOffTimer({0, 23, 0}, settings, At(23, 0), power), kNothing);
    EXPECT_EQ(CheckOffTimer({1, 23, 0}, settings, At(11, 0), power), kNothing);  // 24-hour
    EXPECT_EQ(CheckOffTimer({1, 0, 0}, settings, At(0, 0), power), kClose);      // midnight
    EXPECT_EQ(power.calls.size(), 2u);
}

}  // namespace
}  // namespace hgf
