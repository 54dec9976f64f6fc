// Rendering of the SSG tone voice, one sample at a time, integers only.
#include "SSGSound.h"

#include <algorithm>

#include "Tables.h"

namespace tonwerkel {
namespace {

// Envelope levels are 0-15; larger stored bytes play as 15 so that the amplitude stays within
// 16 bits.
uint8_t LevelAt(const SsgEnvelope& e, int32_t index) {
    return std::min<uint8_t>(e.bytes[static_cast<size_t>(index)], 15);
}

int ClampVolume(int v) {
    return std::clamp(v, 0, 15);
}

}  // namespace

int32_t TSSGSound::Wave(uint32_t phase16) {
    const uint32_t a = phase16 & 0xFFFF;
    const uint32_t edge = a & 0x6000;
    int32_t v = (edge == 0 || edge == 0x6000) ? kFineHalfSine[(2 * a) & 0x7FFF] : 32767;
    return (a & 0x8000) ? -v : v;
}

void TSSGSound::RecomputeAmplitude() {
    const int v = ClampVolume(volume + volumeLfoOffset);
    amplitude = static_cast<int16_t>(kVolumeTable[v] * envelopeLevel);
}

void TSSGSound::KeyOn() {
    TSoundDevice::KeyOn();
    envelopeRunning = false;
    envelopeLevel = 15;
    if (envelope != nullptr && envelope->count() > 1) {
        envelopeStepSamples = envelope->bytes[0] * samplesPerTick;
        envelopeCountdown = envelopeStepSamples;
        envelopeIndex = 1;
        envelopeLevel = LevelAt(*envelope, 1);
        envelopeRunning = true;
    }
    RecomputeAmplitude();
    phase = 0;
}

void TSSGSound::Reset() {
    TSoundDevice::Reset();
    envelope = nullptr;
}

int16_t* TSSGSound::Render(int16_t* from, int16_t* to) {
    int16_t* pos = from;
    if (note >= 96) gate = 0;
    const int32_t gateAtStart = gate;
    while (gate > 0 && pos < to) {
        phase += static_cast<uint32_t>(increment);
        const uint32_t a = (phase >> 1) & 0xFFFF;

        StepPitch();
        if (volumeLfoDepth != 0 && StepVolumeLfo()) RecomputeAmplitude();

        const int32_t product = amplitude * Wave(a);
        *pos = static_cast<int16_t>(*pos + product / 32768);  // >> 15 rounded toward zero
        ++pos;
        --gate;

        if (envelopeRunning) {
            envelopeCountdown = Decrement32(envelopeCountdown);
            if (envelopeCountdown == 0) {
                ++envelopeIndex;
                if (envelopeIndex < envelope->count()) {
                    envelopeLevel = LevelAt(*envelope, envelopeIndex);
                    RecomputeAmplitude();
                    envelopeCountdown = envelopeStepSamples;
                } else {
                    envelopeRunning = false;  // the last level holds
                }
            }
        }
    }

    remaining -= gateAtStart - gate;
    if (gate > 0) return to;
    return SkipSilently(pos, to);  // the gate is used up
}

}  // namespace tonwerkel
