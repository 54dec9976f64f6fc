// TSSGSound: the voice of channels 4-6. A square wave with rounded edges, a 16-step volume
// curve, an optional software envelope, square-wave tremolo and vibrato, and portamento.
#pragma once

#include <cstdint>

#include "SoundDevice.h"
#include "Timbre.h"

namespace tonwerkel {

class TSSGSound : public TSoundDevice {
  public:
    int16_t* Render(int16_t* from, int16_t* to) override;
    void KeyOn() override;
    void Reset() override;
    void SetEnvelope(const SsgEnvelope* selected) override {
        envelope = selected;
        if (selected == nullptr) envelopeRunning = false;
    }

    // The rounded square wave for a 16-bit phase: a sine quarter up over 1/8 of the cycle,
    // 32767 for 1/4, down over 1/8, then the same negative.
    static int32_t Wave(uint32_t phase16);

    const SsgEnvelope* envelope = nullptr;  // selected by "@", or none
    int32_t envelopeStepSamples = 0;        // samples per envelope level
    int32_t envelopeCountdown = 0;          // samples to the next level
    int32_t envelopeIndex = 0;              // current level's byte index (1...)
    int16_t amplitude = 0;                  // volume table value x level (x15 without envelope)
    bool envelopeRunning = false;
    uint32_t phase = 0;          // one cycle = 2^17; the wave reads phase >> 1 as 16 bits
    uint8_t envelopeLevel = 15;  // level in use: the current envelope level, else 15

  private:
    void RecomputeAmplitude();
};

}  // namespace tonwerkel
