// Wall-clock time for the parts of the core that depend on it (the play order's
// random seed, the off-timer), replaceable in tests.
#pragma once

#include <cstdint>

namespace hgf {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since 1970-01-01 UTC, as time() reports them.
    virtual std::int64_t NowSeconds() = 0;
    // The current date in Coordinated Universal Time.
    virtual LocalTime NowUtc() = 0;
    // The current local time.
    virtual LocalTime NowLocal() = 0;
};

// The clock of the running system (portable; standard library only).
Clock& SystemClock();

}  // namespace hgf
