// The sound-effect generator: two square channels and a noise source with
// frame-by-frame sweeps, played record by record along an effect chain. The player
// owns one for PlaySound; the drum voice owns another at half amplitude.
#pragma once

#include <array>
#include <cstdint>

#include "EffectSet.h"

namespace tonwerkel {

// The noise source's run lengths: a walk through a fixed table of 256 run lengths
// (2-17 samples' worth of noise steps), seeded once. One generator serves every
// effect of a player, so its sequence goes on across effects and drums.
class NoiseRunGenerator {
  public:
    struct Seed {
        uint8_t index = 0;
        uint8_t step = 1;  // odd in a random seed: 1, 3, 5 or 7
        uint8_t counter = 0;
    };

    NoiseRunGenerator() = default;
    explicit NoiseRunGenerator(Seed seed) : state_(seed) {}

    static Seed randomSeed();  // from the system's random source

    void seed(Seed seed) { state_ = seed; }
    Seed state() const { return state_; }
    int next();

  private:
    Seed state_{};
};

class TSoundEffect {
  public:
    static constexpr int kSamplesPerFrame = 367;  // 22050 / 60, rounded down

    // amplitudeShift: 0 for effects, 1 for drums (half amplitude).
    TSoundEffect(NoiseRunGenerator& runs, int amplitudeShift)
        : runs_(runs), amplitudeShift_(amplitudeShift) {}

    // Starts record `number` of `set`; the chain goes on from it through "next".
    // The record is copied, so a later change of the set cannot alter it midway.
    void start(const EffectSet& set, int number);

    // Adds the current record's samples from `from` until `to` or until its frames
    // are used up; returns where it stopped.
    int16_t* generate(int16_t* from, int16_t* to);

    // Plays the chain: generates, moving on to each next record when one ends.
    // Returns `to`, or the position where the chain ended (then playing() is false).
    int16_t* generateChain(int16_t* from, int16_t* to);

    bool playing() const { return playing_; }
    void stop() { playing_ = false; }

  private:
    struct ToneChannel {
        int32_t amplitude = 0;  // output level of the square, volume table * 16
        uint32_t phase = 0;     // the square flips with bit 15
        uint32_t increment = 0;
        int64_t period = 0;    // 16.16 period value
        int32_t toneStep = 0;  // 16.16 period change per frame
        int32_t volume = 0;    // 8.8 volume, 0-4095
        int32_t volumeStep = 0;
        int32_t toneCounter = 0;    // frames left in the tone sweep, plus one
        int32_t volumeCounter = 0;  // frames left in the volume sweep, plus one
        bool toneSweep = false;
        bool volumeSweep = false;
        bool toneEnabled = false;
        bool lastLevel = false;  // level of the previous sample
        int edgeRamp = 0;        // index into the edge table while a flip is smoothed
    };

    void startVolume(int channel);
    void advanceFrame();
    void advanceNoise();
    // One sample of a square channel; `noise` flips its level with the noise source.
    static int32_t toneOutput(ToneChannel& ch, int amplitudeShift, bool noise, bool noiseLevel);

    NoiseRunGenerator& runs_;
    const int amplitudeShift_;
    const EffectSet* set_ = nullptr;
    EffectRecord record_{};
    int number_ = 0;  // number of the record being played
    bool playing_ = false;
    int samplesLeftInFrame_ = 0;
    int32_t framesLeft_ = 0;
    std::array<ToneChannel, 2> tone_{};

    int32_t noisePeriod_ = 0;  // 16.16, masked to 0x1FFFFF by the sweep
    int32_t noiseStep_ = 0;
    int32_t noiseCounter_ = 0;
    bool noiseSweep_ = false;
    uint32_t noiseIncrement_ = 0;
    uint32_t noiseAccumulator_ = 0;  // noise steps in bits 16-23
    uint32_t noiseLastStep_ = 0;
    int32_t runLength_ = 0;  // noise steps until the level flips
    bool noiseLevel_ = true;
};

}  // namespace tonwerkel
