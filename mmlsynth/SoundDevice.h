// TSoundDevice: the common base of every voice. It holds what the sequencer sets for a note
// (pitch, timing, volume, detune, portamento, the two software LFOs) and starts notes.
#pragma once

#include <cstdint>

#include "Timbre.h"

namespace tonwerkel {

inline constexpr int kChunkSamples = 2756;  // one render step: 0.125 s at 22050 Hz
inline constexpr uint8_t kRestNote = 255;   // note value of a rest

// Positions are pointers into the 2756-sample mix buffer. Voices add into it with plain 16-bit
// wrap-around addition.
class TSoundDevice {
  public:
    TSoundDevice() = default;
    TSoundDevice(const TSoundDevice&) = delete;
    TSoundDevice& operator=(const TSoundDevice&) = delete;

    // Adds the current note from `from` up to at most `to` and keeps the unfinished rest of it
    // for the next call. Returns where the note's duration ended, or `to`. Rests, silent parts
    // and notes 96 and above still take their duration.
    virtual int16_t* Render(int16_t* from, int16_t* to) = 0;
    // Starts the note the sequencer has set: duration = length * samplesPerTick.
    virtual void KeyOn();
    // Back to the state at the start of a song.
    virtual void Reset();
    virtual ~TSoundDevice() = default;

    // "@" selection. A voice without that kind of timbre ignores it; null selects none.
    virtual void SetTone(const ToneRecord* tone) {}
    virtual void SetEnvelope(const SsgEnvelope* envelope) {}

    // Samples per tick from a tempo byte (0 counts as 120): 1653750 / (tempo * 22).
    void setTempo(uint8_t tempo);

    // Phase increment of note n (one cycle = 2^17 phase units at 22050 Hz); 0 beyond note 96.
    static int32_t inc(int note);
    // Increment of a note detuned by `detune` 1/256 semitones, interpolated towards the
    // neighbouring note.
    static int32_t frequency(int note, int detune);

    // Written by the sequencer, read by the voice.
    uint8_t note = kRestNote;         // pitch 0-95, drum number on channel 0, 255 = rest
    uint8_t previousNote = 0;         // pitch before the current note (portamento start)
    uint8_t quantize = 7;             // gate in eighths, 0-8
    uint8_t volume = 15;              // 0-15
    int8_t volumeLfoDepth = 0;        // 0 = off
    int8_t volumeLfoOffset = 0;       // 0, +depth or -depth
    uint8_t volumeLfoPeriod = 0;      // ticks between toggles
    uint8_t volumeLfoDelay = 0;       // ticks before the first toggle
    int16_t pitchLfoDepth = 0;        // 1/256 semitone; 0 = off
    int16_t pitchLfoOffset = 0;       // 0, +depth or -depth
    uint8_t pitchLfoPeriod = 0;       // ticks between toggles
    uint8_t pitchLfoDelay = 0;        // ticks before the first toggle
    int16_t detune = 0;               // 1/256 semitone
    int16_t portamentoTicks = 0;      // glide length; 0 = none
    int16_t portamentoStep = 0;       // current glide step 1...ticks
    int16_t portamentoCountdown = 0;  // samples to the next glide step
    int16_t pitchLfoCountdown = 0;    // samples to the next vibrato toggle
    int16_t length = 16;              // note length in ticks
    int16_t spare = 0;                // cleared at every note start
    int32_t samplesPerTick = 626;     // from the tempo
    int32_t remaining = 0;            // samples left in the note's duration
    int32_t gate = 0;                 // sounding samples left
    int32_t volumeLfoCountdown = 0;   // samples to the next tremolo toggle
    int32_t increment = 0;            // phase increment per sample
    int32_t glideStart = 0;           // increment of the previous note
    int32_t glideEnd = 0;             // increment of the new note

  protected:
    // One sample of portamento and vibrato; true when `increment` changed.
    bool StepPitch();
    // One sample of tremolo (the caller checks that it is on); true when the offset toggled.
    bool StepVolumeLfo();
    // The rest of the note's duration passes in silence: returns where it ends, or `to`.
    int16_t* SkipSilently(int16_t* pos, int16_t* to);
};

// Two's-complement wrap of a counter decrement, as the 16- and 32-bit counters of the voices
// behave on overflow.
inline int16_t Decrement16(int16_t v) {
    return static_cast<int16_t>(v - 1);
}
inline int32_t Decrement32(int32_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v) - 1u);
}

// Inline: both run once per sample in every voice's loop.
inline bool TSoundDevice::StepPitch() {
    bool changed = false;
    if (portamentoTicks > 0) {
        if (portamentoCountdown == 0) {
            const int64_t ticks = portamentoTicks;
            increment = static_cast<int32_t>(
                ((ticks - portamentoStep) * glideStart + portamentoStep * int64_t{glideEnd}) /
                ticks);
            if (portamentoStep < portamentoTicks) {
                ++portamentoStep;
            } else {
                portamentoTicks = 0;  // glide finished
            }
            portamentoCountdown = static_cast<int16_t>(samplesPerTick);
            changed = true;
        }
        portamentoCountdown = Decrement16(portamentoCountdown);
    }
    if (pitchLfoDepth != 0) {
        if (pitchLfoCountdown == 0) {
            pitchLfoCountdown = static_cast<int16_t>(pitchLfoPeriod * samplesPerTick);
            pitchLfoOffset =
                static_cast<int16_t>(pitchLfoOffset != 0 ? -pitchLfoOffset : pitchLfoDepth);
            increment = frequency(note, detune + pitchLfoOffset);
            changed = true;
        }
        pitchLfoCountdown = Decrement16(pitchLfoCountdown);
    }
    return changed;
}

inline int16_t* TSoundDevice::SkipSilently(int16_t* pos, int16_t* to) {
    const auto room = static_cast<int32_t>(to - pos);
    if (remaining > room) {
        remaining -= room;
        return to;
    }
    int16_t* end = pos + (remaining > 0 ? remaining : 0);
    remaining = 0;
    return end;
}

inline bool TSoundDevice::StepVolumeLfo() {
    bool toggled = false;
    if (volumeLfoCountdown == 0) {
        volumeLfoCountdown = volumeLfoPeriod * samplesPerTick;
        volumeLfoOffset =
            static_cast<int8_t>(volumeLfoOffset != 0 ? -volumeLfoOffset : volumeLfoDepth);
        toggled = true;
    }
    volumeLfoCountdown = Decrement32(volumeLfoCountdown);
    return toggled;
}

}  // namespace tonwerkel
