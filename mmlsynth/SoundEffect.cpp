// Sample generation of the sound effects: frame clock, sweeps, noise runs and the
// smoothed square edges.
#include "SoundEffect.h"

#include <algorithm>
#include <random>

#include "Tables.h"

namespace tonwerkel {

namespace {

// Run lengths of the noise source, in noise steps between level flips.
constexpr uint8_t kNoiseRuns[256] = {
    2, 3,  5, 9,  2, 2, 3, 2, 8, 2, 11, 3, 2, 4, 6, 2, 2, 10, 3, 7, 3, 2, 5,  3, 3, 15, 2, 4, 3,
    2, 8,  3, 2,  4, 3, 5, 2, 2, 3, 14, 3, 4, 2, 2, 3, 7, 2,  3, 2, 2, 9, 2,  3, 4, 8,  3, 2, 2,
    6, 5,  3, 3,  2, 2, 2, 3, 5, 2, 3,  2, 2, 4, 2, 3, 2, 2,  2, 7, 3, 3, 2,  2, 2, 3,  2, 3, 9,
    2, 3,  2, 2,  4, 2, 3, 2, 2, 5, 3,  3, 2, 2, 3, 2, 2, 2,  4, 2, 2, 2, 12, 3, 2, 2,  4, 3, 2,
    2, 3,  2, 3,  3, 2, 4, 5, 2, 3, 2,  3, 7, 2, 2, 2, 3, 3,  2, 4, 3, 2, 2,  3, 4, 16, 3, 2, 3,
    3, 2,  2, 2,  2, 3, 2, 5, 2, 3, 2,  2, 2, 3, 2, 9, 3, 4,  2, 2, 2, 2, 3,  2, 3, 2,  2, 3, 3,
    2, 2,  2, 17, 2, 2, 3, 2, 2, 3, 3,  2, 2, 6, 2, 3, 2, 4,  2, 2, 3, 2, 3,  2, 2, 3,  2, 3, 2,
    2, 13, 5, 3,  2, 2, 2, 2, 3, 2, 2,  3, 3, 2, 2, 4, 2, 3,  3, 2, 2, 3, 10, 2, 3, 2,  3, 2, 2,
    4, 3,  2, 2,  2, 3, 2, 3, 3, 2, 2,  2, 7, 2, 3, 3, 4, 2,  2, 3, 2, 6, 2,  3};
static_assert(sizeof(kNoiseRuns) == 256);

// Edge table C[1..32] (index 0 unused): a falling half cosine from +255 to -255 in 1/256 of
// the channel level. A flip of the square walks it from index 29 in steps of 6, so the
// output moves from the old level to the new one over five samples.
constexpr int16_t kEdge[33] = {0,    255,  253,  250,  246,  241,  235,  227,  218,  207,  193,
                               175,  154,  126,  94,   59,   20,   -20,  -59,  -94,  -126, -154,
                               -175, -193, -207, -218, -227, -235, -241, -246, -250, -253, -255};
static_assert(sizeof(kEdge) / sizeof(kEdge[0]) == 33);

constexpr int kEdgeSpeed = 6;
constexpr int kEdgeStart = 32 - (kEdgeSpeed >> 1);

constexpr int32_t kMaxVolume = 4095;  // 8.8: level 15 and its fraction

// Phase increment of a square channel: toggles with bit 15, so 22050 * inc / 65536 Hz.
uint32_t toneIncrement(int64_t period) {
    return static_cast<uint32_t>(std::min<int64_t>(743032 / ((period >> 15) + 1), 0x10000));
}

uint32_t noiseIncrement(int32_t period) {
    return static_cast<uint32_t>(std::min<int32_t>(743032 / ((period >> 15) + 1), 0x40000));
}

// Amplitude of an 8.8 volume, interpolating the volume table by the low fraction bits.
int32_t amplitudeOf(int32_t volume) {
    const int level = volume >> 8;
    const int fraction = volume & 7;
    if (fraction == 0) return kVolumeTable[level] * 16;
    return ((8 - fraction) * kVolumeTable[level] +
            fraction * kVolumeTable[std::min(level + 1, 15)]) *
           2;
}

// Plain 16-bit wrap-around addition, as every voice mixes.
void addSample(int16_t& sample, int32_t value) {
    sample = static_cast<int16_t>(static_cast<uint16_t>(sample + value));
}

}  // namespace

NoiseRunGenerator::Seed NoiseRunGenerator::randomSeed() {
    std::random_device device;
    const uint32_t bits = device();
    return Seed{static_cast<uint8_t>(bits), static_cast<uint8_t>(((bits >> 8) & 3) * 2 + 1),
                static_cast<uint8_t>(bits >> 16)};
}

int NoiseRunGenerator::next() {
    const int run = kNoiseRuns[state_.index];
    state_.index = static_cast<uint8_t>(state_.index + state_.step);
    state_.counter = static_cast<uint8_t>(state_.counter + 1);
    if (state_.counter == 0) state_.step = static_cast<uint8_t>((state_.step + 2) & 7);
    return run;
}

void TSoundEffect::startVolume(int channel) {
    const EffectVolume& source = record_.volume[channel];
    ToneChannel& ch = tone_[channel];
    const int start = std::clamp<int>(source.start, 0, 15);
    ch.volume = start * 256;
    ch.amplitude = kVolumeTable[start] * 16;
    ch.volumeCounter = source.sweepFrames + 1;
}

void TSoundEffect::start(const EffectSet& set, int number) {
    set_ = &set;
    number_ = number;
    record_ = set.records[number];
    playing_ = true;
    framesLeft_ = record_.frames;
    samplesLeftInFrame_ = kSamplesPerFrame;

    for (int i = 0; i < 2; ++i) {
        ToneChannel& ch = tone_[i];
        const EffectVolume& volume = record_.volume[i];
        startVolume(i);
        ch.volumeSweep = volume.sweepFrames != 0 && volume.sweep != 0;
        ch.volumeStep = volume.sweepFrames != 0 ? volume.sweep * 256 / volume.sweepFrames : 0;

        // A negative start period would give a negative increment (a wild frequency);
        // it counts as 0, the floor that sweeps keep as well.
        const EffectTone& tone = record_.tone[i];
        ch.period = int64_t{std::max<int16_t>(tone.startPeriod, 0)} * 65536;
        ch.toneCounter = tone.sweepFrames + 1;
        ch.toneEnabled = tone.sweepFrames != 0;
        ch.toneSweep = tone.sweepFrames != 0 && tone.sweep != 0;
        ch.toneStep = tone.sweepFrames != 0 ? tone.sweep * 65536 / tone.sweepFrames : 0;
        ch.increment = toneIncrement(ch.period);
        ch.phase = 0;
    }

    const EffectNoise& noise = record_.noise;
    noisePeriod_ = noise.startPeriod * 65536;
    noiseCounter_ = noise.sweepFrames + 1;
    noiseSweep_ = noise.sweepFrames != 0;
    runLength_ = runs_.next();
    noiseLevel_ = true;
    noiseAccumulator_ = 0;
    noiseLastStep_ = 0;
    noiseIncrement_ = noiseIncrement(noisePeriod_);
    if (noiseSweep_) noiseStep_ = noise.sweep * 65536 / noise.sweepFrames;
}

void TSoundEffect::advanceFrame() {
    for (int i = 0; i < 2; ++i) {
        ToneChannel& ch = tone_[i];
        if (ch.volumeSweep) {
            if (--ch.volumeCounter > 0) {
                ch.volume = std::clamp(ch.volume + ch.volumeStep, 0, kMaxVolume);
                ch.amplitude = amplitudeOf(ch.volume);
            } else if (record_.volume[i].repeat) {
                startVolume(i);
            } else {
                ch.volumeSweep = false;
            }
        }
        if (ch.toneSweep) {
            const EffectTone& tone = record_.tone[i];
            if (--ch.toneCounter > 0) {
                ch.period = std::max<int64_t>(ch.period + ch.toneStep, 0);
            } else if (tone.repeat) {
                ch.period = int64_t{std::max<int16_t>(tone.startPeriod, 0)} * 65536;
                ch.toneCounter = tone.sweepFrames + 1;
            } else {
                ch.toneSweep = false;
            }
            ch.increment = toneIncrement(ch.period);
        }
    }
    if (noiseSweep_) {
        const EffectNoise& noise = record_.noise;
        if (--noiseCounter_ > 0) {
            noisePeriod_ = (noisePeriod_ + noiseStep_) & 0x1FFFFF;
        } else if (noise.repeat) {
            noisePeriod_ = noise.startPeriod * 65536;
            noiseCounter_ = noise.sweepFrames + 1;
        } else {
            noiseSweep_ = false;
        }
        noiseIncrement_ = noiseIncrement(noisePeriod_);
    }
}

// The noise level flips after a random run of whole noise steps. A wrap of the step
// byte counts as a very long jump, which exhausts the run at once.
void TSoundEffect::advanceNoise() {
    noiseAccumulator_ += noiseIncrement_;
    const uint32_t step = noiseAccumulator_ & 0xFF0000u;
    if (step == noiseLastStep_) return;
    const uint32_t steps = (step - noiseLastStep_) >> 16;
    noiseLastStep_ = step;
    runLength_ -= static_cast<int32_t>(steps);
    if (runLength_ >= 1) return;
    noiseLevel_ = !noiseLevel_;
    runLength_ += runs_.next();
    if (runLength_ >= 1) return;
    runLength_ += runs_.next();
    if (runLength_ >= 1) return;
    if ((runLength_ & 3) == 0) noiseLevel_ = !noiseLevel_;
    runLength_ = 1;
}

inline int32_t TSoundEffect::toneOutput(ToneChannel& ch, int amplitudeShift, bool noise,
                                        bool noiseLevel) {
    const int32_t full = ch.amplitude >> amplitudeShift;
    bool level = false;
    if (ch.toneEnabled) {
        ch.phase += ch.increment;
        level = (ch.phase & 0x8000) != 0;
    }
    if (noise) level = level != noiseLevel;
    if (level != ch.lastLevel) {
        ch.lastLevel = level;
        ch.edgeRamp = kEdgeStart;
    }
    if (ch.edgeRamp > 0) {
        const int32_t smoothed = full * kEdge[ch.edgeRamp] / 256;
        ch.edgeRamp = std::max(ch.edgeRamp - kEdgeSpeed, 0);
        return level ? smoothed : -smoothed;
    }
    return level ? full : -full;
}

int16_t* TSoundEffect::generate(int16_t* from, int16_t* to) {
    int16_t* position = from;
    const uint8_t mode = record_.noise.mode;
    const bool noise1 = (mode & 1) != 0, noise2 = (mode & 2) != 0;
    while (position < to && framesLeft_ > 0) {
        if (--samplesLeftInFrame_ == 0) {
            samplesLeftInFrame_ = kSamplesPerFrame;
            --framesLeft_;
            advanceFrame();
        }
        if (mode != 0) advanceNoise();
        const int32_t sum = toneOutput(tone_[0], amplitudeShift_, noise1, noiseLevel_) +
                            toneOutput(tone_[1], amplitudeShift_, noise2, noiseLevel_);
        addSample(*position, 2 * sum);
        ++position;
    }
    return position;
}

int16_t* TSoundEffect::generateChain(int16_t* from, int16_t* to) {
    int16_t* position = from;
    int silentRecords = 0;  // records in a row that ended without a sample
    while (playing_) {
        int16_t* reached = generate(position, to);
        if (reached == to) return to;
        silentRecords = reached == position ? silentRecords + 1 : 0;
        position = reached;
        const int next = record_.next;
        if (next == 0 || next > EffectSet::kRecords || silentRecords > EffectSet::kRecords) {
            playing_ = false;
            break;
        }
        start(*set_, next);
    }
    return position;
}

}  // namespace tonwerkel
