// Note start and reset common to the voices, tempo and pitch arithmetic.
#include "SoundDevice.h"

#include <algorithm>
#include <cstdint>

#include "Tables.h"

namespace tonwerkel {

void TSoundDevice::setTempo(uint8_t tempo) {
    const int32_t t = tempo == 0 ? 120 : tempo;
    samplesPerTick = 1653750 / (t * 22);
}

int32_t TSoundDevice::inc(int note) {
    if (note < 0 || note >= kNoteCount) return 0;
    return static_cast<int32_t>(kPitchTableA[note] / 11025);
}

int32_t TSoundDevice::frequency(int note, int detune) {
    // 64-bit products: a detune of several octaves stays well defined.
    const int64_t d = detune;
    if (d > 0 && note < 96) {
        return static_cast<int32_t>((inc(note + 1) * d + (256 - d) * inc(note)) >> 8);
    }
    if (d < 0 && note > 0) {
        return static_cast<int32_t>((inc(note) * (d + 256) - d * inc(note - 1)) >> 8);
    }
    return inc(note);
}

void TSoundDevice::KeyOn() {
    // A tied note's length is at most 32767 ticks; the duration saturates rather than wrap, and
    // the gate never exceeds the duration, so a voice never runs past its note.
    const int64_t duration = static_cast<int64_t>(std::max<int16_t>(length, 0)) * samplesPerTick;
    remaining = static_cast<int32_t>(std::clamp<int64_t>(duration, 0, INT32_MAX));
    const int64_t q = std::min<uint8_t>(quantize, 8);
    gate = note >= 96 ? 0 : static_cast<int32_t>(static_cast<int64_t>(remaining) * q / 8);

    portamentoCountdown = 0;
    portamentoStep = 1;
    spare = 0;
    volumeLfoOffset = 0;
    pitchLfoOffset = 0;
    if (volumeLfoDepth != 0) volumeLfoCountdown = volumeLfoDelay * samplesPerTick;
    if (pitchLfoDepth != 0) {
        pitchLfoCountdown = static_cast<int16_t>(samplesPerTick * pitchLfoDelay);
    }

    if (note >= 96) {
        increment = 0;
    } else if (portamentoTicks <= 0) {
        increment = frequency(note, detune);
    } else {
        glideStart = frequency(previousNote, detune);
        glideEnd = frequency(note, detune);
        increment = glideStart;
    }
}

void TSoundDevice::Reset() {
    length = 16;
    volume = 15;
    quantize = 7;
    note = kRestNote;
    detune = 0;
    volumeLfoDepth = 0;
    pitchLfoDepth = 0;
    portamentoTicks = 0;
    remaining = 0;
    gate = 0;
    setTempo(120);
}

}  // namespace tonwerkel
