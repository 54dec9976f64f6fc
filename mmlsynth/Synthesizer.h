// Synthesizer: the portable owner of everything that makes sound — the compiled song, the FM
// tone records, the seven voices and the sequencer, the sound-effect set with the effect
// generator. The Windows player wraps it with its output streams; tools and tests use it
// directly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "EffectSet.h"
#include "Sequencer.h"
#include "Song.h"
#include "SoundDevice.h"
#include "SoundEffect.h"
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

    // Normalises and compiles a sound-effect set, replacing the previous one (the drums of
    // channel D play its sounds 0-6). A playing effect is stopped first. Always true.
    bool LoadEffects(const void* bytes, size_t length);
    // Starts sound effect 0-63 from the first record of its chain that has frames. False,
    // with nothing changed, for other numbers and for empty or silent sounds.
    bool StartEffect(int number);
    // The next kChunkSamples samples of the effect (zeroed first): the chain plays on until
    // it ends, after which EffectGenerating is false and the blocks stay silent.
    void RenderEffectBlock(int16_t* block);
    bool EffectGenerating() const { return effectGenerating_; }
    void StopEffect() { effectGenerating_ = false; }
    // The noise generator is seeded at random on construction; a fixed seed reproduces the
    // noise of effects and drums.
    void SetNoiseSeed(NoiseRunGenerator::Seed seed) { noiseRuns_.seed(seed); }
    const EffectSet& effects() const { return effects_; }

    const Song& song() const { return song_; }
    const std::array<ToneRecord, kToneCount>& tones() const { return tones_; }
    TSoundDevice& voice(int channel) { return *voices_[static_cast<size_t>(channel)]; }
    const Sequencer& sequencer() const { return sequencer_; }

  private:
    static std::array<TSoundDevice*, kChannelCount> VoicePointers(
        const std::array<std::unique_ptr<TSoundDevice>, kChannelCount>& voices);

    Song song_;
    std::array<ToneRecord, kToneCount> tones_{};  // kept across compiles
    EffectSet effects_;
    NoiseRunGenerator noiseRuns_;  // shared by the effect generator and the drums
    TSoundEffect effect_;          // the PlaySound effect
    bool effectGenerating_ = false;
    // Indexed by channel: 0 = drums ("D"), 1-3 = FM, 4-6 = SSG.
    std::array<std::unique_ptr<TSoundDevice>, kChannelCount> voices_;
    Sequencer sequencer_;
};

}  // namespace tonwerkel
