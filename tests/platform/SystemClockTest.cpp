#include <gtest/gtest.h>

#include <ctime>

#include "platform/Clock.h"

namespace hgf {
namespace {

TEST(SystemClock, AgreesWithTheCRuntime) {
    Clock& clock = SystemClock();
    std::int64_t before = std::time(nullptr);
    std::int64_t now = clock.NowSeconds();
    EXPECT_GE(now, before);
    EXPECT_LE(now, before + 2);

    LocalTime utc = clock.NowUtc();
    EXPECT_GE(utc.year, 2024);
    EXPECT_GE(utc.month, 1);
    EXPECT_LE(utc.month, 12);
    EXPECT_GE(utc.day, 1);
    EXPECT_LE(utc.day, 31);
    LocalTime local = clock.NowLocal();
    EXPECT_GE(local.hour, 0);
    EXPECT_LE(local.hour, 23);
    EXPECT_GE(local.minute, 0);
    EXPECT_LE(local.minute, 59);
}

}  // namespace
}  // namespace hgf
