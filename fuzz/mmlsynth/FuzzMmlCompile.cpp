// Compiles any bytes as a song and plays it: no crash, overrun or hang. Every compiled buffer
// must also be a well-formed event sequence ending in the end event. A few chunks render with
// the real voices; many more run the sequencer alone on voices that only take their time.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Sequencer.h"
#include "Song.h"
#include "Synthesizer.h"

namespace {

constexpr int kVoiceChunks = 1;       // 0.125 s with the real voices
constexpr int kSequencerChunks = 24;  // 3 s of sequencing

void CheckBuffer(const std::vector<uint8_t>& buffer) {
    if (buffer.empty()) return;
    size_t at = 0;
    while (at < buffer.size()) {
        const int params = tonwerkel::EventParameterCount(buffer[at]);
        if (params < 0) std::abort();
        if (buffer[at] == static_cast<uint8_t>(tonwerkel::EventOpcode::kBufferEnd)) {
            if (at + 1 != buffer.size()) std::abort();  // the end event is last and only there
            return;
        }
        at += 1 + static_cast<size_t>(params);
    }
    std::abort();  // ran off the end without the end event
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tonwerkel::Synthesizer synth;
    synth.LoadSong(data, size);
    for (const auto& channel : synth.song().channels)
        CheckBuffer(channel);
    for (const auto& macro : synth.song().macros)
        CheckBuffer(macro);
    if (synth.song().macroNames.size() > tonwerkel::kMacroCount) std::abort();

    std::array<int16_t, tonwerkel::kChunkSamples> block{};
    synth.ResetForPlay();
    for (int i = 0; i < kVoiceChunks; ++i)
        synth.RenderBgmBlock(block.data());

    std::array<std::unique_ptr<tonwerkel::TSilentVoice>, tonwerkel::kChannelCount> silent;
    std::array<tonwerkel::TSoundDevice*, tonwerkel::kChannelCount> voices{};
    for (size_t c = 0; c < silent.size(); ++c) {
        silent[c] = std::make_unique<tonwerkel::TSilentVoice>();
        voices[c] = silent[c].get();
    }
    tonwerkel::Sequencer sequencer(synth.song(), synth.tones(), voices);
    sequencer.Reset();
    for (int i = 0; i < kSequencerChunks; ++i)
        sequencer.RenderChunk(block.data());
    return 0;
}
