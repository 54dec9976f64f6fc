// What the player renders: the song and the sound effects. The synthesizer implements it;
// tests hand in sources with recognisable samples.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tonwerkel {

inline constexpr int kBlockSamples = 2756;                  // one render step: 0.125 s
inline constexpr uint32_t kBlockBytes = kBlockSamples * 2;  // 5512

class SoundSource {
  public:
    virtual ~SoundSource() = default;

    // Normalise and compile `length` bytes of text; the bytes themselves stay unchanged.
    virtual void LoadSong(const uint8_t* text, size_t length) = 0;
    virtual void LoadEffects(const uint8_t* text, size_t length) = 0;

    // Back to the start of the song, as playing it from the beginning needs.
    virtual void ResetSong() = 0;
    // Fills `block` (kBlockSamples samples) with the next part of the song.
    virtual void RenderSongBlock(int16_t* block) = 0;

    // Starts sound effect `number` (0-63); false when it has nothing to play.
    virtual bool StartEffect(int number) = 0;
    // Fills `block` with the next part of the effect (silence after its end) and returns whether
    // the effect is still generating after this block.
    virtual bool RenderEffectBlock(int16_t* block) = 0;
    // Ends the effect: later blocks are silent.
    virtual void StopEffect() = 0;
};

}  // namespace tonwerkel
