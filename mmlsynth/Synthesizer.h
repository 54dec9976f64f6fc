// Synthesizer: the portable owner of everything that makes sound — the compiled song, the FM
// tone records, the seven voices and the sequencer. The Windows player wraps it with its
// output streams; tools and tests use it directly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "Sequencer.h"
#include "Song.h"
#include "SoundDevice.h"
#include "Timbre.h"

namespace tonwerkel {

// Stand-in for a voice that is not built yet: takes the duration of its notes, adds nothing.
class TSilentVoice : public TSoundDevice {
  public:
    int16_t* Render(int16_t* from, int16_t* to) override;
};

class Synthesizer {
  public:
    Synthesizer();
    Synthesizer(const Synthesizer&) = delete;
    Synthesizer& operator=(const Synthesizer&) = delete;

    // Normalises and compiles MML text (the caller's bytes stay unchanged). The song is silent
    // until ResetForPlay. Always true: malformed text is skipped piece by piece.
    bool LoadSong(const void* bytes, size_t length);
    // The start of the song, as PlayBGM does it: voices and channels reset, tempo 120.
    void ResetForPlay();
    // The next kChunkSamples samples of the song.
    void RenderBgmBlock(int16_t* block);

    // Whether the compiled song has any channel text.
    bool HasChannels() const;

    const Song& song() const { return song_; }
    const std::array<ToneRecord, kToneCount>& tones() const { return tones_; }
    TSoundDevice& voice(int channel) { return *voices_[static_cast<size_t>(channel)]; }
    const Sequencer& sequencer() const { return sequencer_; }

  private:
    static std::array<TSoundDevice*, kChannelCount> VoicePointers(
        const std::array<std::unique_ptr<TSoundDevice>, kChannelCount>& voices);

    Song song_;
    std::array<ToneRecord, kToneCount> tones_{};  // kept across compiles
    // Indexed by channel: 0 = drums ("D"), 1-3 = FM, 4-6 = SSG.
    std::array<std::unique_ptr<TSoundDevice>, kChannelCount> voices_;
    Sequencer sequencer_;
};

}  // namespace tonwerkel
