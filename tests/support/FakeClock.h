// A Clock whose time the test sets.
#pragma once

#include "platform/Clock.h"

namespace hgf::test {

class FakeClock final : public Clock {
  public:
    std::int64_t seconds = 1700000000;
    LocalTime utc{2026, 12, 7, 9, 30};
    LocalTime local{2026, 12, 7, 18, 30};

    std::int64_t NowSeconds() override { return seconds; }
    LocalTime NowUtc() override { return utc; }
    LocalTime NowLocal() override { return local; }
};

}  // namespace hgf::test
