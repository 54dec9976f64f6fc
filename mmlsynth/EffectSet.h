// The sound-effect set: up to 128 effect records chained into 64 sounds, compiled
// from the normalised text of a .dat file. Effects play through TSoundEffect.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tonwerkel {

// One square channel of a record: the period sweeps from its start by `sweep` over
// `sweepFrames` frames. Sweep frames 0 silences the channel.
struct EffectTone {
    int16_t startPeriod = 0;   // square period value, about 250000 / (2 * period + 1) Hz
    int16_t sweep = 0;         // total period change over the sweep
    uint16_t sweepFrames = 0;  // sweep length in frames; 0 = channel silent
    bool repeat = false;       // restart the sweep when it ends
};

struct EffectVolume {
    int16_t start = 0;  // 0-15
    int16_t sweep = 0;  // total volume change over the sweep
    uint16_t sweepFrames = 0;
    bool repeat = false;
};

struct EffectNoise {
    uint8_t mode = 0;         // bit 0: on tone channel 1, bit 1: on tone channel 2
    uint8_t startPeriod = 0;  // 0-31
    int8_t sweep = 0;         // total change over the sweep
    bool repeat = false;
    uint16_t sweepFrames = 0;
};

struct EffectRecord {
    uint16_t frames = 0;  // length in frames of 367 samples (60 frames a second)
    std::array<EffectTone, 2> tone{};
    std::array<EffectVolume, 2> volume{};
    EffectNoise noise{};
    uint8_t next = 0;  // record that follows in the chain, 0 = end of the chain
};

struct EffectSet {
    static constexpr int kSounds = 64;    // sound numbers 0-63
    static constexpr int kRecords = 128;  // records 1-128; record 0 is never played

    std::array<uint8_t, kSounds> soundTable{};  // first record of each sound, 0 = none
    std::array<EffectRecord, kRecords + 1> records{};

    void clear() { *this = EffectSet{}; }

    // The first record of the sound's chain that has frames, or 0 when the sound is
    // unknown, empty or silent.
    int firstAudibleRecord(int sound) const;
};

// Replaces `set` with the effects defined by normalised text (NUL-separated lines).
// Never fails: what cannot be understood is skipped.
void compileEffects(EffectSet& set, const char* text, std::size_t length);

}  // namespace tonwerkel
