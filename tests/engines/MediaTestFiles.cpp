#include "MediaTestFiles.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <vector>

#include "RenderTool.h"

namespace hgf::test {
namespace {

// Little-endian fields and RIFF chunks.
void Put(std::string& out, std::uint32_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
}
void PutAll(std::string& out, std::initializer_list<std::uint32_t> words) {
    for (std::uint32_t word : words)
        Put(out, word);
}
std::string Chunk(const char* tag, const std::string& data) {
    std::string chunk(tag, 4);
    Put(chunk, static_cast<std::uint32_t>(data.size()));
    chunk += data;
    if (data.size() % 2) chunk.push_back('\0');
    return chunk;
}
std::string List(const char* kind, const std::string& data) {
    return Chunk("LIST", std::string(kind, 4) + data);
}

}  // namespace

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

std::string EncodeTinyAvi(int frames) {
    constexpr std::uint32_t kSide = 16;                       // pixels
    constexpr std::uint32_t kFrameBytes = kSide * kSide * 3;  // bottom-up BGR rows
    constexpr std::uint32_t kFramesPerSecond = 10;
    constexpr std::uint32_t kKeyFrame = 0x10;  // AVIIF_KEYFRAME, and AVIF_HASINDEX
    std::string frame;
    for (std::uint32_t pixel = 0; pixel < kSide * kSide; ++pixel)
        frame += std::string("\x00\x00\xff", 3);
    const auto count = static_cast<std::uint32_t>(frames);

    std::string mainHeader;  // avih: timing, flags, frame count, streams, size
    PutAll(mainHeader, {1000000 / kFramesPerSecond, 0, 0, kKeyFrame, count, 0, 1, kFrameBytes,
                        kSide, kSide, 0, 0, 0, 0});
    std::string streamHeader("vidsDIB ", 8);  // strh: type, handler, then the stream's fields
    PutAll(streamHeader, {0, 0, 0, 1, kFramesPerSecond, 0, count, kFrameBytes, 0xFFFFFFFF, 0});
    PutAll(streamHeader, {0, kSide | kSide << 16});  // the frame rectangle, 16-bit fields
    std::string format;                              // strf: BITMAPINFOHEADER
    PutAll(format, {40, kSide, kSide});
    Put(format, 1, 2);   // planes
    Put(format, 24, 2);  // bits per pixel
    PutAll(format, {0, kFrameBytes, 0, 0, 0, 0});

    std::string movie, index;
    for (std::uint32_t i = 0; i < count; ++i) {
        index += "00db";
        PutAll(index, {kKeyFrame, 4 + i * (8 + kFrameBytes), kFrameBytes});
        movie += Chunk("00db", frame);
    }
    const std::string body =
        "AVI " +
        List("hdrl", Chunk("avih", mainHeader) +
                         List("strl", Chunk("strh", streamHeader) + Chunk("strf", format))) +
        List("movi", movie) + Chunk("idx1", index);
    return Chunk("RIFF", body);
}

}  // namespace hgf::test
