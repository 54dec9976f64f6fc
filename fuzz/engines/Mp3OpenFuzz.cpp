// Feeds arbitrary bytes to the MP3 stream as a file (its first byte chooses a file that
// can seek or one that cannot): the probe for the first frame, the decoder's open, and
// the first blocks of decoding must neither crash nor overrun the output block.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "MemoryInput.h"
#include "Mp3Stream.h"

namespace {

constexpr std::uint32_t kBlockBytes = 4096 * 4;  // whole frames of stereo and mono
constexpr int kMaxBlocks = 64;                   // keeps one input's run short

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    hgf::vbmp3::Mp3Stream stream;
    if (!stream.Open(
            std::make_unique<hgf::fuzz::MemoryInput>(data + 1, size - 1, (data[0] & 1) == 0)))
        return 0;
    if (stream.Channels() < 1 || stream.Channels() > 2 || stream.Rate() == 0) __builtin_trap();
    // The block has a guard area behind it that must stay untouched.
    std::vector<std::uint8_t> block(kBlockBytes + 64, 0xA5);
    for (int i = 0; i < kMaxBlocks; ++i) {
        std::uint32_t filled = 0;
        const auto status = stream.Decode(block.data(), kBlockBytes, filled, 70, 30);
        if (filled > kBlockBytes || filled % (2 * stream.Channels()) != 0) __builtin_trap();
        for (std::size_t at = kBlockBytes; at < block.size(); ++at)
            if (block[at] != 0xA5) __builtin_trap();
        if (status == hgf::vbmp3::Mp3Stream::DecodeStatus::kEnded) break;
    }
    return 0;
}
