// Adapts the Synthesizer to the player's SoundSource.
#include "output/SynthesizerSource.h"

#include "Synthesizer.h"

namespace tonwerkel {

namespace {

static_assert(kBlockSamples == kChunkSamples);

const uint8_t kEmpty = 0;  // stands in for the text of an empty load

class SynthesizerSource final : public SoundSource {
  public:
    void LoadSong(const uint8_t* text, size_t length) override {
        synthesizer_.LoadSong(length ? text : &kEmpty, length);
    }
    void LoadEffects(const uint8_t* text, size_t length) override {
        synthesizer_.LoadEffects(length ? text : &kEmpty, length);
    }
    void ResetSong() override { synthesizer_.ResetForPlay(); }
    void RenderSongBlock(int16_t* block) override { synthesizer_.RenderBgmBlock(block); }
    bool StartEffect(int number) override { return synthesizer_.StartEffect(number); }
    bool RenderEffectBlock(int16_t* block) override {
        synthesizer_.RenderEffectBlock(block);
        return synthesizer_.EffectGenerating();
    }
    void StopEffect() override { synthesizer_.StopEffect(); }

  private:
    Synthesizer synthesizer_;
};

}  // namespace

std::unique_ptr<SoundSource> MakeSynthesizerSource() {
    return std::make_unique<SynthesizerSource>();
}

}  // namespace tonwerkel
