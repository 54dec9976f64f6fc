#include "Tables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tonwerkel {
namespace {

TEST(Tables, PitchTablesFollowEqualTemperamentFromA440) {
    for (int n = 0; n < kNoteCount; ++n) {
        const double hz = 440.0 * std::pow(2.0, (n - 45) / 12.0);
        EXPECT_EQ(kPitchTableA[n], static_cast<uint32_t>(std::llround(hz * 65536.0))) << n;
        EXPECT_EQ(kPitchTableB[n], static_cast<uint16_t>(std::lround(hz))) << n;
    }
    EXPECT_EQ(kPitchTableA[45], 0x1B80000u);
    EXPECT_EQ(kPitchTableB[0], 33);
    EXPECT_EQ(kPitchTableB[96], 8372);
}

TEST(Tables, FineHalfSineInterpolatesOnePositiveHalfWave) {
    EXPECT_EQ(kFineHalfSine[0], 0);
    EXPECT_EQ(kFineHalfSine[16384], 32767);
    EXPECT_EQ(kFineHalfSine[256], 804);
    // Halfway between the first two steps of the coarse sine.
    EXPECT_EQ(kFineHalfSine[128], 402);
    // Last entry: between 804 and 0 at 255/256.
    EXPECT_EQ(kFineHalfSine[32767], (804 * 1) >> 8);
    for (size_t i = 1; i < kFineHalfSineSize; ++i) {
        EXPECT_EQ(kFineHalfSine[i], kFineHalfSine[kFineHalfSineSize - i]) << i;
        if (i <= 16384) {
            EXPECT_GE(kFineHalfSine[i], kFineHalfSine[i - 1]) << i;
        }
    }
    EXPECT_EQ(FineSine(0x4000), kFineHalfSine[0x4000]);
    EXPECT_EQ(FineSine(0xC000), -kFineHalfSine[0x4000]);
    EXPECT_EQ(SineCycle(64), 32767);
    EXPECT_EQ(SineCycle(192), -32767);
    EXPECT_EQ(SineCycle(256), 0);
}

}  // namespace
}  // namespace tonwerkel
