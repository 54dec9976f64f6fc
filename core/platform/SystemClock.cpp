// The running system's clock through the C library (the same on every build).
#include "platform/Clock.h"

#include <ctime>

namespace hgf {
namespace {

LocalTime FromTm(const std::tm& tm) {
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min};
}

class CRuntimeClock final : public Clock {
  public:
    std::int64_t NowSeconds() override { return static_cast<std::int64_t>(std::time(nullptr)); }

    LocalTime NowUtc() override {
        std::time_t now = std::time(nullptr);
        std::tm tm{};
#ifdef _WIN32
        gmtime_s(&tm, &now);
#else
        gmtime_r(&now, &tm);
#endif
        return FromTm(tm);
    }

    LocalTime NowLocal() override {
        std::time_t now = std::time(nullptr);
        std::tm tm{};
#ifdef _WIN32
        localtime_s(&tm, &now);
#else
        localtime_r(&now, &tm);
#endif
        return FromTm(tm);
    }
};

}  // namespace

Clock& SystemClock() {
    static CRuntimeClock clock;
    return clock;
}

}  // namespace hgf
