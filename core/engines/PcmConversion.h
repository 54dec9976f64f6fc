// Decoded samples turned into the interleaved 16-bit PCM that the waveform output plays:
// floating-point samples, integer samples of any depth (deeper ones reduced with dither),
// more than two channels mixed down to stereo, and the software volume. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hgf {

// One floating-point sample (full scale +-1.0) as a 16-bit sample: scaled by 32767 and
// truncated toward zero, clamped to -32768..32767, then scaled by `gain` and truncated
// again. NaN becomes 0.
std::int16_t FloatToPcm16(float sample, float gain);

// `frames` frames of `channels` separate floating-point channels, interleaved into `out`
// (frames * channels samples), each sample as FloatToPcm16.
void InterleaveFloat(const float* const* channelSamples, int channels, int frames, float gain,
                     std::int16_t* out);

// Scales 16-bit samples in place by `gain` (v * gain, truncated toward zero). Nothing
// changes at gain 1.
void ApplyGain(std::int16_t* samples, std::size_t count, float gain);

// Integer samples of 1 to 32 bits in separate channels (as a lossless decoder gives them)
// to interleaved 16-bit: shallower samples are shifted up, deeper ones rounded with
// triangular dither of one 16-bit step, and more than two channels mixed down to stereo
// (every channel is heard). The dither's noise source is deterministic from Reset on.
class IntegerPcmConverter {
  public:
    // Channel counts mixed down: 3 to 8, in the usual order of multi-channel wave files
    // (front left, front right, centre, low frequencies, back and side pairs).
    static constexpr int kMaxChannels = 8;

    // Starts the noise source again.
    void Reset() { noise_ = kSeed; }

    // Output channels for `channels` source channels: the same up to 2, else 2.
    static int OutputChannels(int channels) { return channels > 2 ? 2 : channels; }

    // Converts `frames` frames of `channels` channels (1..kMaxChannels) of `bits`-bit
    // samples into `out` (frames * OutputChannels(channels) samples), scaled by `gain`
    // after the conversion as ApplyGain does.
    void Convert(const std::int32_t* const* channelSamples, int channels, unsigned bits, int frames,
                 float gain, std::int16_t* out);

  private:
    static constexpr std::uint32_t kSeed = 0x2545F491u;

    // Triangular noise of -(2^shift - 1)..2^shift - 1 (one 16-bit step of a sample
    // `shift` bits deeper than 16).
    std::int64_t IntegerNoise(unsigned shift);
    // Triangular noise of -1..1 (in 16-bit steps).
    float FloatNoise();
    std::uint32_t Next();

    std::uint32_t noise_ = kSeed;  // linear congruential state
};

}  // namespace hgf
