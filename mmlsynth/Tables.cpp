// The fine half-sine, computed at compile time from the 256-step sine cycle.
#include "Tables.h"

namespace tonwerkel {
namespace {

constexpr std::array<int16_t, kFineHalfSineSize> BuildFineHalfSine() {
    std::array<int16_t, kFineHalfSineSize> table{};
    for (uint32_t i = 0; i < kFineHalfSineSize; ++i) {
        const uint32_t step = i >> 8;
        const int32_t f = static_cast<int32_t>(i & 0xFF);
        const int32_t value =
            f == 0 ? SineCycle(step) : (SineCycle(step) * (256 - f) + SineCycle(step + 1) * f) >> 8;
        table[i] = static_cast<int16_t>(value);
    }
    return table;
}

}  // namespace

constinit const std::array<int16_t, kFineHalfSineSize> kFineHalfSine = BuildFineHalfSine();

}  // namespace tonwerkel
