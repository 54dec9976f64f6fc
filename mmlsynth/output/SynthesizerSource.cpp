// Adapts the Synthesizer to the player's SoundSource.
#include "output/SynthesizerSource.h"

#include <algorithm>

#include "Synthesizer.h"

namespace tonwerkel {

namespace {

static_assert(kBlockSamples == kChunkSamples);

class SynthesizerSource final : public SoundSource {
  public:
    void LoadSong(const uint8_t* text, size_t length) override {
        static const uint8_t kEmpty = 0;
        synthesizer_.LoadSong(length ? text : &kEmpty, length);
    }
    void LoadEffects(const uint8_t* text, size_t length) override {}
    void ResetSong() override { synthesizer_.ResetForPlay(); }
    void RenderSongBlock(int16_t* block) override { synthesizer_.RenderBgmBlock(block); }
    bool StartEffect(int number) override { return false; }
    bool RenderEffectBlock(int16_t* block) override {
        std::fill(block, block + kBlockSamples, int16_t{0});
        return false;
    }
    void StopEffect() override {}

  private:
    Synthesizer synthesizer_;
};

}  // namespace

std::unique_ptr<SoundSource> MakeSynthesizerSource() {
    return std::make_unique<SynthesizerSource>();
}

}  // namespace tonwerkel
