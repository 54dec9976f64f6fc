// Drum notes: effect chains played inside the note's duration.
#include "DramSound.h"

#include <algorithm>

namespace tonwerkel {

void TDramSound::KeyOn() {
    // Drums take only the duration from the note: quantize, volume, detune and the LFOs do
    // not apply.
    const int64_t duration = int64_t{std::max<int16_t>(length, 0)} * samplesPerTick;
    remaining = static_cast<int32_t>(std::min<int64_t>(duration, INT32_MAX));
    record_ = 0;
    generator_.stop();
    if (note < kDrumSounds && effects_.soundTable[note] != 0) {
        record_ = effects_.soundTable[note];
        generator_.start(effects_, record_);
    }
}

int16_t* TDramSound::Render(int16_t* from, int16_t* to) {
    const int32_t covered = std::clamp(remaining, 0, static_cast<int32_t>(to - from));
    int16_t* end = from + covered;
    remaining -= covered;
    if (generator_.playing()) generator_.generateChain(from, end);
    return end;
}

void TDramSound::Reset() {
    TSoundDevice::Reset();
    record_ = 0;
    generator_.stop();
}

}  // namespace tonwerkel
