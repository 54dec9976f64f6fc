// Frame header fields and the search for the first frame of a stream.
#include "MpegAudioFrames.h"

#include <cstring>

namespace hgf::vbmp3 {
namespace {

// Bit rates in kbit/s by bit rate index 1..14 (0 is free format, 15 is invalid).
constexpr int kBitrates[5][14] = {
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 layer I
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 layer II
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 layer III
    {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2/2.5 layer I
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2/2.5 II, III
};
// Sample rates in Hz by sample rate index 0..2, for MPEG-1; MPEG-2 halves and MPEG-2.5
// quarters them.
constexpr int kSampleRates[3] = {44100, 48000, 32000};

bool SameStream(const MpegFrameHeader& a, const MpegFrameHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

}  // namespace

std::optional<MpegFrameHeader> ParseMpegFrameHeader(const std::uint8_t* bytes) {
    if (bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0) return std::nullopt;  // 11 sync bits
    const int versionBits = (bytes[1] >> 3) & 3;  // 0 MPEG-2.5, 1 reserved, 2 MPEG-2, 3 MPEG-1
    const int layerBits = (bytes[1] >> 1) & 3;    // 0 reserved, 1 layer III, 2 II, 3 I
    const int bitrateIndex = bytes[2] >> 4;
    const int rateIndex = (bytes[2] >> 2) & 3;
    const int padding = (bytes[2] >> 1) & 1;
    const int channelMode = bytes[3] >> 6;  // 3: single channel
    const int emphasis = bytes[3] & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3 || emphasis == 2)
        return std::nullopt;

    MpegFrameHeader header;
    header.version = versionBits == 3 ? 10 : versionBits == 2 ? 20 : 25;
    header.layer = 4 - layerBits;
    const bool mpeg1 = header.version == 10;
    const int table = mpeg1 ? header.layer - 1 : (header.layer == 1 ? 3 : 4);
    header.bitrate = kBitrates[table][bitrateIndex - 1];
    header.sampleRate = kSampleRates[rateIndex] / (mpeg1 ? 1 : header.version == 20 ? 2 : 4);
    header.channels = channelMode == 3 ? 1 : 2;
    // Frame length: layer I counts 4-byte slots of 12 * bitrate / rate; layers II and III
    // count bytes of 144 * bitrate / rate (72 for layer III outside MPEG-1).
    const std::uint32_t bitsPerSecond = static_cast<std::uint32_t>(header.bitrate) * 1000;
    const auto rate = static_cast<std::uint32_t>(header.sampleRate);
    if (header.layer == 1) {
        header.bytes = (12 * bitsPerSecond / rate + padding) * 4;
    } else {
        const std::uint32_t factor = (header.layer == 3 && !mpeg1) ? 72 : 144;
        header.bytes = factor * bitsPerSecond / rate + padding;
    }
    return header;
}

std::optional<std::size_t> FindMpegAudioStart(std::span<const std::uint8_t> data,
                                              std::size_t searchBytes, bool dataEndsFile) {
    const std::size_t size = data.size();
    for (std::size_t start = 0; start < searchBytes && start + 4 <= size; ++start) {
        if (data[start] != 0xFF) continue;
        const std::optional<MpegFrameHeader> first = ParseMpegFrameHeader(&data[start]);
        if (!first) continue;
        std::size_t at = start;
        int frames = 0;
        for (;;) {
            std::optional<MpegFrameHeader> header;
            if (at + 4 <= size) header = ParseMpegFrameHeader(&data[at]);
            if (!header || !SameStream(*first, *header)) break;
            at += header->bytes;
            if (++frames == kMpegRunFrames) return start;
        }
        // A short stream: its frames reach the end of the file, or its ID3v1 tag.
        const bool endsFile = dataEndsFile && at == size;
        const bool endsAtTag = at + 3 <= size && std::memcmp(&data[at], "TAG", 3) == 0;
        if (frames > 0 && (endsFile || endsAtTag)) return start;
    }
    return std::nullopt;
}

}  // namespace hgf::vbmp3
