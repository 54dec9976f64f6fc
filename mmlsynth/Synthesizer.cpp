#include "Synthesizer.h"

#include <algorithm>

#include "DramSound.h"
#include "FMSound.h"
#include "SSGSound.h"
#include "SongCompiler.h"
#include "TextNormaliser.h"

namespace tonwerkel {

int16_t* TSilentVoice::Render(int16_t* from, int16_t* to) {
    return SkipSilently(from, to);
}

Synthesizer::Synthesizer()
    : noiseRuns_(NoiseRunGenerator::randomSeed()),
      effect_(noiseRuns_, 0),
      voices_{
          std::make_unique<TDramSound>(effects_, noiseRuns_),  // 0: drums
          std::make_unique<TFMSound>(),                        // 1: FM
          std::make_unique<TFMSound>(),                        // 2: FM
          std::make_unique<TFMSound>(),                        // 3: FM
          std::make_unique<TSSGSound>(),                       // 4: SSG
          std::make_unique<TSSGSound>(),                       // 5: SSG
          std::make_unique<TSSGSound>(),                       // 6: SSG
      },
      sequencer_(song_, tones_, VoicePointers(voices_)) {
    for (auto& v : voices_)
        v->Reset();
}

std::array<TSoundDevice*, kChannelCount> Synthesizer::VoicePointers(
    const std::array<std::unique_ptr<TSoundDevice>, kChannelCount>& voices) {
    std::array<TSoundDevice*, kChannelCount> pointers{};
    for (size_t i = 0; i < voices.size(); ++i)
        pointers[i] = voices[i].get();
    return pointers;
}

bool Synthesizer::LoadSong(const void* bytes, size_t length) {
    sequencer_.Detach();  // its read positions point into the buffers being replaced
    const std::vector<char> text = NormaliseText(bytes, length);
    return compileSong(std::string_view(text.data(), text.size()), song_, tones_);
}

void Synthesizer::ResetForPlay() {
    sequencer_.Reset();
}

void Synthesizer::RenderBgmBlock(int16_t* block) {
    sequencer_.RenderChunk(block);
}

bool Synthesizer::HasChannels() const {
    return std::any_of(song_.channels.begin(), song_.channels.end(),
                       [](const std::vector<uint8_t>& c) { return !c.empty(); });
}

bool Synthesizer::LoadEffects(const void* bytes, size_t length) {
    StopEffect();
    const std::vector<char> text = NormaliseText(bytes, length);
    compileEffects(effects_, text.data(), text.size());
    return true;
}

bool Synthesizer::StartEffect(int number) {
    const int record = effects_.firstAudibleRecord(number);
    if (record == 0) return false;
    effect_.start(effects_, record);
    effectGenerating_ = true;
    return true;
}

void Synthesizer::RenderEffectBlock(int16_t* block) {
    std::fill(block, block + kChunkSamples, int16_t{0});
    if (!effectGenerating_) return;
    effect_.generateChain(block, block + kChunkSamples);
    effectGenerating_ = effect_.playing();
}

}  // namespace tonwerkel
