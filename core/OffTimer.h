// The off-timer: at a set local hour and minute it quits the player, hibernates the
// machine or shuts it down. Checked on every housekeeping tick (every 30 seconds), so it
// fires within the first 30 seconds of its minute.
#pragma once

#include <cstdint>

#include "platform/Clock.h"
#include "platform/PowerControl.h"
#include "settings/Settings.h"

namespace hgf {

// ExitWindowsEx arguments of the shutdown mode.
constexpr std::uint32_t kShutdownFlags = 0x1 | 0x8;                   // EWX_SHUTDOWN | EWX_POWEROFF
constexpr std::uint32_t kForcedShutdownFlags = kShutdownFlags | 0x4;  // | EWX_FORCE
constexpr std::uint32_t kShutdownReason = 0x40000;  // SHTDN_REASON_MAJOR_APPLICATION

// The armed time (set by the options page only; never stored).
struct OffTimerSetting {
    std::uint8_t enabled = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
};

// What the main window does after a check.
enum class OffTimerOutcome {
    Nothing,      // not due (or hibernation was asked for: the player runs on)
    CloseWindow,  // send WM_CLOSE: the player ends
};

// One housekeeping tick. When the timer is due at `now`: in the quit-only mode the window
// closes; otherwise the shutdown privilege is enabled (NT only), then either hibernation
// is asked for (`TimerIsSuspend`) and the player runs on, or the machine is shut down
// (`TimerIsForce` adds the force flag) and the window closes, whether or not the system
// agreed.
OffTimerOutcome CheckOffTimer(const OffTimerSetting& timer, const Settings& settings,
                              const LocalTime& now, PowerControl& power);

}  // namespace hgf
