// Any bytes as a sound-effect file: the compile must not fail, and every sound it yields
// must render (two blocks each, so that an input cannot run for long) without touching
// memory outside the blocks. The drums play sounds 0-6 as well.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Synthesizer.h"

namespace {

constexpr int kBlocksPerSound = 2;

tonwerkel::Synthesizer& Synth() {
    static tonwerkel::Synthesizer* synth = [] {
        auto* s = new tonwerkel::Synthesizer;  // lives for the whole run
        const std::string drums = "D:T200L32ABCDEFG&A";
        s->LoadSong(drums.data(), drums.size());
        return s;
    }();
    return *synth;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tonwerkel::Synthesizer& synth = Synth();
    synth.SetNoiseSeed({size > 0 ? data[0] : uint8_t{0}, 1, size > 1 ? data[1] : uint8_t{0}});
    synth.LoadEffects(data, size);

    int16_t block[tonwerkel::kChunkSamples + 2];
    block[0] = block[tonwerkel::kChunkSamples + 1] = 0x5A5A;  // guards around the block
    for (int sound = 0; sound < tonwerkel::EffectSet::kSounds; ++sound) {
        if (!synth.StartEffect(sound)) continue;
        for (int b = 0; b < kBlocksPerSound && synth.EffectGenerating(); ++b) {
            synth.RenderEffectBlock(block + 1);
        }
    }
    synth.ResetForPlay();
    synth.RenderBgmBlock(block + 1);
    if (block[0] != 0x5A5A || block[tonwerkel::kChunkSamples + 1] != 0x5A5A) __builtin_trap();
    return 0;
}
