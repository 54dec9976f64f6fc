#include "ToneWave.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

#include "RenderTool.h"

namespace hgf::test {

std::string EncodeToneWave(double frequency, double seconds, double amplitude) {
    constexpr double kRate = 22050.0;  // the writer's fixed rate
    constexpr double kTwoPi = 6.283185307179586;
    std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * kRate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(
            std::lround(amplitude * 32767.0 * std::sin(kTwoPi * frequency * i / kRate)));
    }
    const std::vector<std::uint8_t> bytes = tonwerkel::EncodeWave(samples);
    return std::string(bytes.begin(), bytes.end());
}

bool WriteToneWave(const std::string& path, double frequency, double seconds, double amplitude) {
    std::ofstream out(path, std::ios::binary);
    out << EncodeToneWave(frequency, seconds, amplitude);
    return static_cast<bool>(out);
}

}  // namespace hgf::test
