// Feeds arbitrary bytes to the Ogg Vorbis stream decoder as a file: header parsing, the
// seek (to a frame that follows from the input's size) and chunked decoding must neither
// crash nor overrun the output block.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "MemoryInput.h"
#include "engines/OggVorbisStream.h"

namespace {

constexpr std::uint32_t kBlockBytes = 0x20000;
constexpr std::uint64_t kMaxDecodedBytes = 32u << 20;  // keeps one input's run short

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hgf::OggVorbisStream stream;
    if (!stream.Open(std::make_unique<hgf::fuzz::MemoryInput>(data, size))) return 0;
    stream.SeekToFrame(size * 37 % 200000);
    // The block has a guard area behind it that must stay untouched.
    std::vector<std::uint8_t> block(kBlockBytes + 64, 0xA5);
    std::uint64_t decoded = 0;
    for (;;) {
        std::uint32_t filled = 0;
        const auto status = stream.Decode(block.data(), kBlockBytes, filled, 0.5f);
        if (filled > kBlockBytes) __builtin_trap();
        for (std::size_t i = kBlockBytes; i < block.size(); ++i)
            if (block[i] != 0xA5) __builtin_trap();
        decoded += filled;
        if (status == hgf::StreamDecoder::Status::kEnded || decoded > kMaxDecodedBytes) break;
    }
    return 0;
}
