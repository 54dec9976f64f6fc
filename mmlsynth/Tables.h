// Constant tables shared by every voice: note pitches, the volume curve and the sine.
// All synthesis is integer arithmetic on these tables, so every build renders the same samples.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace tonwerkel {

inline constexpr int kSampleRate = 22050;  // samples per second, mono, signed 16-bit
inline constexpr int kNoteCount = 97;      // notes 0-96; 96 and above never sound

// Pitch table A: round(440 * 2^((n - 45) / 12) * 65536), the note frequency in Hz as 16.16
// fixed point. Note 0 is o1 C (32.70 Hz), note 45 is o4 A (440 Hz = 0x1B80000), 96 is 8372 Hz.
inline constexpr uint32_t kPitchTableA[] = {
    2143237,   2270680,   2405702,   2548752,   2700309,   2860878,   3030994,   3211227,
    3402176,   3604480,   3818814,   4045892,   4286473,   4541360,   4811404,   5097505,
    5400618,   5721755,   6061989,   6422453,   6804352,   7208960,   7637627,   8091784,
    8572947,   9082720,   9622807,   10195009,  10801236,  11443511,  12123977,  12844906,
    13608704,  14417920,  15275254,  16183568,  17145893,  18165441,  19245614,  20390018,
    21602472,  22887021,  24247954,  25689813,  27217409,  28835840,  30550508,  32367136,
    34291786,  36330882,  38491228,  40780036,  43204943,  45774043,  48495909,  51379626,
    54434817,  57671680,  61101017,  64734272,  68583572,  72661764,  76982457,  81560072,
    86409886,  91548086,  96991818,  102759252, 108869635, 115343360, 122202033, 129468544,
    137167144, 145323527, 153964914, 163120144, 172819773, 183096171, 193983636, 205518503,
    217739269, 230686720, 244404066, 258937088, 274334289, 290647054, 307929828, 326240288,
    345639545, 366192342, 387967272, 411037006, 435478539, 461373440, 488808132, 517874176,
    548668578,
};
static_assert(std::size(kPitchTableA) == kNoteCount);

// Pitch table B: round(440 * 2^((n - 45) / 12)), the note frequency in whole Hz.
inline constexpr uint16_t kPitchTableB[] = {
    33,   35,   37,   39,   41,   44,   46,   49,   52,   55,   58,   62,   65,   69,
    73,   78,   82,   87,   92,   98,   104,  110,  117,  123,  131,  139,  147,  156,
    165,  175,  185,  196,  208,  220,  233,  247,  262,  277,  294,  311,  330,  349,
    370,  392,  415,  440,  466,  494,  523,  554,  587,  622,  659,  698,  740,  784,
    831,  880,  932,  988,  1047, 1109, 1175, 1245, 1319, 1397, 1480, 1568, 1661, 1760,
    1865, 1976, 2093, 2217, 2349, 2489, 2637, 2794, 2960, 3136, 3322, 3520, 3729, 3951,
    4186, 4435, 4699, 4978, 5274, 5588, 5920, 6272, 6645, 7040, 7459, 7902, 8372,
};
static_assert(std::size(kPitchTableB) == kNoteCount);

// Volume curve for the volumes 0-15 (roughly 2 dB a step, 0 silent).
inline constexpr uint8_t kVolumeTable[] = {0,  3,  6,  9,  13,  17,  22,  29,
                                           38, 49, 63, 80, 102, 130, 165, 210};
static_assert(std::size(kVolumeTable) == 16);

// Quarter-resolution sine: one positive half wave in 128 steps, 32767 * sin(pi * k / 128),
// rounded (k = 63 and 65 hold 32758). The other half of the 256-step cycle is its negation.
inline constexpr int16_t kSineHalfWave[] = {
    0,     804,   1608,  2410,  3212,  4011,  4808,  5602,  6393,  7179,  7962,  8739,  9512,
    10278, 11039, 11793, 12539, 13279, 14010, 14732, 15446, 16151, 16846, 17530, 18204, 18868,
    19519, 20159, 20787, 21403, 22005, 22594, 23170, 23731, 24279, 24811, 25329, 25832, 26319,
    26790, 27245, 27683, 28105, 28510, 28898, 29268, 29621, 29956, 30273, 30571, 30852, 31113,
    31356, 31580, 31785, 31971, 32137, 32285, 32412, 32521, 32609, 32678, 32728, 32758, 32767,
    32758, 32728, 32678, 32609, 32521, 32412, 32285, 32137, 31971, 31785, 31580, 31356, 31113,
    30852, 30571, 30273, 29956, 29621, 29268, 28898, 28510, 28105, 27683, 27245, 26790, 26319,
    25832, 25329, 24811, 24279, 23731, 23170, 22594, 22005, 21403, 20787, 20159, 19519, 18868,
    18204, 17530, 16846, 16151, 15446, 14732, 14010, 13279, 12539, 11793, 11039, 10278, 9512,
    8739,  7962,  7179,  6393,  5602,  4808,  4011,  3212,  2410,  1608,  804};
static_assert(std::size(kSineHalfWave) == 128);

// Step k (0-255) of the full 256-step sine cycle; wraps around for k = 256.
constexpr int32_t SineCycle(uint32_t k) {
    k &= 0xFF;
    return k < 128 ? kSineHalfWave[k] : -kSineHalfWave[k - 128];
}

// Fine half-sine: one positive half wave (0 ... 32767 ... 0) in 32768 steps, the 256-step cycle
// interpolated linearly in 1/256 steps: entry i = (T(i >> 8) * (256 - f) + T((i >> 8) + 1) * f)
// >> 8 with f = i & 0xFF. A 16-bit phase x reads it as table[x & 0x7FFF], negated when x & 0x8000.
inline constexpr size_t kFineHalfSineSize = 32768;
extern const std::array<int16_t, kFineHalfSineSize> kFineHalfSine;

// Full sine of a 16-bit phase (one cycle = 65536) from the fine half-sine.
inline int32_t FineSine(uint32_t phase16) {
    const int32_t v = kFineHalfSine[phase16 & 0x7FFF];
    return (phase16 & 0x8000) ? -v : v;
}

}  // namespace tonwerkel
