// MPEG audio frame headers (layers I-III of MPEG-1, MPEG-2 and MPEG-2.5), and the test
// that tells an MPEG audio stream from any other file: a run of frames that follow each
// other exactly, each header consistent with the first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace hgf::vbmp3 {

struct MpegFrameHeader {
    int version = 0;          // 10 for MPEG-1, 20 for MPEG-2, 25 for MPEG-2.5
    int layer = 0;            // 1..3
    int bitrate = 0;          // kbit/s
    int sampleRate = 0;       // Hz
    int channels = 0;         // 1 or 2
    std::uint32_t bytes = 0;  // the whole frame, header included
};

// The header in the four bytes at `bytes`, or nothing when they are not a frame header
// that a decoder can follow (reserved values, free-format bit rate, reserved emphasis).
std::optional<MpegFrameHeader> ParseMpegFrameHeader(const std::uint8_t* bytes);

// Frames in a row that make a stream.
constexpr int kMpegRunFrames = 4;

// The offset in `data` of the first frame of an MPEG audio stream: the first header within
// the first `searchBytes` from which kMpegRunFrames frames follow each other exactly with the
// same version, layer and sample rate. A shorter run also counts when it ends where the
// data ends (`dataEndsFile`) or where an ID3v1 tag ("TAG") begins.
std::optional<std::size_t> FindMpegAudioStart(std::span<const std::uint8_t> data,
                                              std::size_t searchBytes, bool dataEndsFile);

}  // namespace hgf::vbmp3
