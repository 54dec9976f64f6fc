// Sample conversions of the stream decoders. The loops stay free of branches per sample
// where they can, since they touch every sample of every stream.
#include "engines/PcmConversion.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace hgf {
namespace {

// The truncated 16-bit value of a floating-point sample, before the gain.
inline int TruncatedPcm16(float sample) {
    double scaled = static_cast<double>(sample) * 32767.0;
    if (scaled != scaled) scaled = 0.0;  // NaN
    return static_cast<int>(std::clamp(scaled, -32768.0, 32767.0));
}

inline std::int16_t Scaled(int value, double gain) {
    return static_cast<std::int16_t>(static_cast<int>(value * gain));
}

inline std::int16_t Clamped16(std::int64_t value) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(value, -32768, 32767));
}

inline std::int16_t Rounded16(float value) {
    return Clamped16(static_cast<std::int64_t>(std::floor(value + 0.5f)));
}

// Mix-down weights (to left, to right) of each source channel, by channel count 3..8.
// Centre and the rear or side channels of one side come in at -3 dB (0.7071), the low
// frequencies and a back centre at -6 dB (0.5) on both sides; each output's weights are
// then divided by their sum, so that the mix can never clip.
struct MixWeight {
    float left;
    float right;
};
using MixLayout = std::array<MixWeight, IntegerPcmConverter::kMaxChannels>;

constexpr float kCentre = 0.7071f;
constexpr float kLow = 0.5f;
constexpr MixWeight kFrontLeft{1.0f, 0.0f}, kFrontRight{0.0f, 1.0f}, kCentreBoth{kCentre, kCentre},
    kLowBoth{kLow, kLow}, kSideLeft{kCentre, 0.0f}, kSideRight{0.0f, kCentre};

constexpr MixLayout Normalised(MixLayout layout) {
    float left = 0.0f, right = 0.0f;
    for (const MixWeight& weight : layout) {
        left += weight.left;
        right += weight.right;
    }
    for (MixWeight& weight : layout) {
        weight.left /= left;
        weight.right /= right;
    }
    return layout;
}

constexpr std::array<MixLayout, 6> kMixLayouts = {
    // 3: front left, front right, centre
    Normalised({kFrontLeft, kFrontRight, kCentreBoth}),
    // 4: front pair, back pair
    Normalised({kFrontLeft, kFrontRight, kSideLeft, kSideRight}),
    // 5: front pair, centre, back pair
    Normalised({kFrontLeft, kFrontRight, kCentreBoth, kSideLeft, kSideRight}),
    // 6: front pair, centre, low frequencies, back pair
    Normalised({kFrontLeft, kFrontRight, kCentreBoth, kLowBoth, kSideLeft, kSideRight}),
    // 7: front pair, centre, low frequencies, back centre, side pair
    Normalised({kFrontLeft, kFrontRight, kCentreBoth, kLowBoth, kLowBoth, kSideLeft, kSideRight}),
    // 8: front pair, centre, low frequencies, back pair, side pair
    Normalised({kFrontLeft, kFrontRight, kCentreBoth, kLowBoth, kSideLeft, kSideRight, kSideLeft,
                kSideRight}),
};
static_assert(kMixLayouts.size() == IntegerPcmConverter::kMaxChannels - 2);

}  // namespace

std::int16_t FloatToPcm16(float sample, float gain) {
    return Scaled(TruncatedPcm16(sample), gain);
}

void InterleaveFloat(const float* const* channelSamples, int channels, int frames, float gain,
                     std::int16_t* out) {
    if (channels == 2) {
        const float* left = channelSamples[0];
        const float* right = channelSamples[1];
        for (int i = 0; i < frames; ++i) {
            out[2 * i] = static_cast<std::int16_t>(TruncatedPcm16(left[i]));
            out[2 * i + 1] = static_cast<std::int16_t>(TruncatedPcm16(right[i]));
        }
    } else {
        for (int c = 0; c < channels; ++c) {
            const float* samples = channelSamples[c];
            for (int i = 0; i < frames; ++i)
                out[i * channels + c] = static_cast<std::int16_t>(TruncatedPcm16(samples[i]));
        }
    }
    ApplyGain(out, static_cast<std::size_t>(frames) * channels, gain);
}

void ApplyGain(std::int16_t* samples, std::size_t count, float gain) {
    if (gain == 1.0f) return;
    const double factor = gain;
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = Scaled(samples[i], factor);
}

std::uint32_t IntegerPcmConverter::Next() {
    // xorshift32: every bit is usable, unlike the low bits of a congruential generator.
    noise_ ^= noise_ << 13;
    noise_ ^= noise_ >> 17;
    noise_ ^= noise_ << 5;
    return noise_;
}

std::int64_t IntegerPcmConverter::IntegerNoise(unsigned shift) {
    const std::uint32_t bits = Next();
    const std::int64_t first = (bits >> 16) >> (16 - shift);
    const std::int64_t second = (bits & 0xFFFFu) >> (16 - shift);
    return first - second;
}

float IntegerPcmConverter::FloatNoise() {
    const std::uint32_t bits = Next();
    return static_cast<float>(static_cast<int>(bits >> 16) - static_cast<int>(bits & 0xFFFFu)) /
           65536.0f;
}

// Interleaves one or two channels, converting each sample with `convert` (channel by
// channel within a frame, so a stateful conversion runs in output order).
template <typename Conversion>
void Interleave(const std::int32_t* const* channelSamples, int channels, int frames,
                std::int16_t* out, Conversion convert) {
    if (channels == 2) {
        const std::int32_t* left = channelSamples[0];
        const std::int32_t* right = channelSamples[1];
        for (int i = 0; i < frames; ++i) {
            out[2 * i] = convert(left[i]);
            out[2 * i + 1] = convert(right[i]);
        }
    } else {
        const std::int32_t* samples = channelSamples[0];
        for (int i = 0; i < frames; ++i)
            out[i] = convert(samples[i]);
    }
}

void IntegerPcmConverter::Convert(const std::int32_t* const* channelSamples, int channels,
                                  unsigned bits, int frames, float gain, std::int16_t* out) {
    const int outChannels = OutputChannels(channels);
    if (channels <= 2 && bits == 16) {
        // A damaged frame may overshoot the 16 bits.
        Interleave(channelSamples, channels, frames, out, [](std::int32_t sample) {
            return static_cast<std::int16_t>(std::clamp(sample, -32768, 32767));
        });
    } else if (channels <= 2 && bits < 16) {
        const std::int64_t scale = std::int64_t{1} << (16 - bits);
        Interleave(channelSamples, channels, frames, out,
                   [scale](std::int32_t sample) { return Clamped16(sample * scale); });
    } else if (channels <= 2) {
        // Rounded to the nearest 16-bit step after adding the noise.
        const unsigned shift = std::min(bits, 32u) - 16;
        const std::int64_t half = std::int64_t{1} << (shift - 1);
        Interleave(channelSamples, channels, frames, out, [&](std::int32_t sample) {
            return Clamped16((sample + IntegerNoise(shift) + half) >> shift);
        });
    } else {
        const MixLayout& layout = kMixLayouts[std::min(channels, kMaxChannels) - 3];
        const float toPcm16 = std::ldexp(1.0f, 16 - static_cast<int>(bits));
        for (int i = 0; i < frames; ++i) {
            float left = 0.0f, right = 0.0f;
            for (int c = 0; c < channels && c < kMaxChannels; ++c) {
                const float sample = static_cast<float>(channelSamples[c][i]);
                left += layout[c].left * sample;
                right += layout[c].right * sample;
            }
            out[2 * i] = Rounded16(left * toPcm16 + FloatNoise());
            out[2 * i + 1] = Rounded16(right * toPcm16 + FloatNoise());
        }
    }
    ApplyGain(out, static_cast<std::size_t>(frames) * outChannels, gain);
}

}  // namespace hgf
