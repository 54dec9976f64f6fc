#include "OffTimer.h"

namespace hgf {

OffTimerOutcome CheckOffTimer(const OffTimerSetting& timer, const Settings& settings,
                              const LocalTime& now, PowerControl& power) {
    if (!timer.enabled || now.hour != timer.hour || now.minute != timer.minute)
        return OffTimerOutcome::Nothing;
    if (settings.TimerIsAppExitOnly == 1) return OffTimerOutcome::CloseWindow;
    // A refused privilege is not fatal: the request below then fails, and in the shutdown
    // mode the player still ends.
    if (power.IsNtPlatform()) power.EnableShutdownPrivilege();
    bool force = settings.TimerIsForce == 1;
    if (settings.TimerIsSuspend == 1) {
        // The player keeps running; the resume notification switches the timer off. Until
        // then a later tick in the same minute asks again.
        power.SetSystemPowerState(false, force);
        return OffTimerOutcome::Nothing;
    }
    power.ExitWindowsEx(force ? kForcedShutdownFlags : kShutdownFlags, kShutdownReason);
    return OffTimerOutcome::CloseWindow;
}

}  // namespace hgf
