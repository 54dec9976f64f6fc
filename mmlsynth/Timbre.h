// Timbre definitions of a song: FM tone records ("@" on channels 1-3) and SSG software
// envelopes ("@" on channels 4-6), as the song text defines them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tonwerkel {

// One operator block of a tone record ("OPn" line). Field ranges are those stored.
struct ToneOperator {
    uint8_t ar = 0;     // attack rate 0-31
    uint8_t dr = 0;     // decay rate 0-31
    uint8_t sr = 0;     // sustain rate 0-31
    uint8_t rr = 0;     // release rate 0-15
    uint8_t sl = 0;     // sustain level 0-15, 3 dB steps below the peak
    uint8_t tl = 0;     // total level 0-127, 0.75 dB steps
    uint8_t ks = 0;     // key scaling 0-3
    uint8_t ml = 0;     // frequency multiple 0-15 (0 = half)
    int32_t extra = 0;  // tenth value of the line, kept as written; no effect on the sound
    int8_t dt = 0;      // detune -3..3
};

// FM tone record 0-20: the "LFO" line values and four operators.
struct ToneRecord {
    uint8_t lfo1 = 0;                  // first LFO value & 3 (no effect on the sound)
    uint8_t lfo2 = 0;                  // second LFO value (no effect on the sound)
    uint16_t lfo3 = 0;                 // third LFO value (no effect on the sound)
    uint8_t algorithm = 0;             // 0-7
    uint8_t feedback = 0;              // 0-7
    std::array<ToneOperator, 4> op{};  // operators 1-4
};

inline constexpr int kToneCount = 21;  // tone numbers 0-20

// SSG software envelope 1-20: byte 0 is the step length in ticks, bytes 1... are levels 0-15.
struct SsgEnvelope {
    std::vector<uint8_t> bytes;
    int32_t count() const { return static_cast<int32_t>(bytes.size()); }
};

inline constexpr int kEnvelopeCount = 21;  // envelope numbers 1-20; index 0 is never selected

}  // namespace tonwerkel
