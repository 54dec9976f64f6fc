// Feeds arbitrary bytes as a file to the FLAC and Opus engine's decoders and to the title
// reader's comment parser: the signature check, the headers, the length and the first
// blocks of decoding must neither crash nor overrun the output block.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MemoryInput.h"
#include "engines/FlacOpusPlayer.h"
#include "engines/StreamTags.h"
#include "platform/CodePage932.h"

namespace {

constexpr std::uint32_t kBlockBytes = 4800 * 4;  // whole frames of stereo and mono
constexpr int kMaxBlocks = 16;                   // keeps one input's run short

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        hgf::fuzz::MemoryInput input(data, size);
        std::string title;
        if (hgf::ReadStreamTitle(input, &hgf::CodePage932FromUtf16, title) &&
            (title.empty() || title.size() > 255))
            __builtin_trap();
    }
    std::unique_ptr<hgf::StreamDecoder> decoder =
        hgf::OpenFlacOrOpus(std::make_unique<hgf::fuzz::MemoryInput>(data, size));
    if (!decoder) return 0;
    if (decoder->Channels() < 1 || decoder->Channels() > 2 || decoder->Rate() == 0)
        __builtin_trap();
    (void)decoder->TotalFrames();
    // The block has a guard area behind it that must stay untouched.
    std::vector<std::int16_t> block(kBlockBytes / 2 + 32, 0x5A5A);
    for (int i = 0; i < kMaxBlocks; ++i) {
        std::uint32_t filled = 0;
        const auto status = decoder->Decode(reinterpret_cast<std::uint8_t*>(block.data()),
                                            kBlockBytes, filled, 0.7f);
        if (filled > kBlockBytes || filled % (2 * decoder->Channels()) != 0) __builtin_trap();
        for (std::size_t k = kBlockBytes / 2; k < block.size(); ++k)
            if (block[k] != 0x5A5A) __builtin_trap();
        if (status == hgf::StreamDecoder::Status::kEnded) break;
    }
    return 0;
}
