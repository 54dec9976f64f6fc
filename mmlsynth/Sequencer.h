// The sequencer: plays a compiled song on the seven voices, one 2756-sample chunk at a time,
// reading each channel's events whenever its voice's note ends.
#pragma once

#include <array>
#include <cstdint>

#include "Song.h"
#include "SoundDevice.h"
#include "Timbre.h"

namespace tonwerkel {

inline constexpr int kMaxNesting = 16;  // loop levels and macro calls per channel

// A channel that reads this many events other than notes without starting a note or rest has
// nothing left to play (loops of loops without notes, lines without notes that repeat for
// ever): it ends. Songs have a few dozen such events between two notes.
inline constexpr uint32_t kMaxEventsWithoutNote = 1u << 12;

struct ChannelState {
    std::array<const uint8_t*, kMaxNesting> callReturn{};  // macro call stack
    std::array<const uint8_t*, kMaxNesting> loopStart{};   // loop stack
    std::array<uint8_t, kMaxNesting> loopCounter{};        // passes left per level; 0 = for ever
    int callDepth = 0;
    int loopDepth = 0;           // may exceed 16: deeper levels are counted but not kept
    uint8_t defaultLength = 16;  // ticks
    uint8_t octave = 4;          // 1-8
    uint8_t quantize = 7;        // 0-8
    uint16_t portamentoTicks = 0;
    bool waiting = false;   // reached a line synchronisation mark
    bool tempoSet = false;  // has a tempo of its own or an inherited one
    uint32_t eventsWithoutNote = 0;
};

// Results of Step.
enum class StepResult : uint8_t {
    kNote = 0,     // a note or rest is set on the voice: start it
    kLineEnd = 3,  // reached a line synchronisation mark
    kNoTempo = 4,  // reached a note or rest before the channel had a tempo
    kEnded = 5,    // no buffer, or nothing left to play
};

class Sequencer {
  public:
    // `voices` are indexed by channel; all references must outlive the sequencer.
    Sequencer(const Song& song, const std::array<ToneRecord, kToneCount>& tones,
              const std::array<TSoundDevice*, kChannelCount>& voices);

    // The state at the start of a song: voices reset, channels at their first event, tempo 120.
    void Reset();
    // Forgets every read position (the song's buffers are about to change): silence until the
    // next Reset.
    void Detach();
    // Fills `mix` (kChunkSamples samples, zeroed first) with the next chunk of the song.
    void RenderChunk(int16_t* mix);

    // Reads the channel's events up to its next note, rest or synchronisation mark.
    StepResult Step(int channel);

    const ChannelState& channel(int c) const { return channels_[static_cast<size_t>(c)]; }
    bool playing(int c) const { return readPosition_[static_cast<size_t>(c)] != nullptr; }
    uint8_t songTempo() const { return songTempo_; }

  private:
    const Song& song_;
    const std::array<ToneRecord, kToneCount>& tones_;
    std::array<TSoundDevice*, kChannelCount> voices_;
    std::array<ChannelState, kChannelCount> channels_{};
    std::array<const uint8_t*, kChannelCount> readPosition_{};  // null: no buffer or ended
    uint8_t songTempo_ = 120;                                   // the last "T" of any channel
};

}  // namespace tonwerkel
