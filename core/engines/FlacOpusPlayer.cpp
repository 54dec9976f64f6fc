// Choosing the decoder by content, and the length from the stream's own figures.
#include "engines/FlacOpusPlayer.h"

#include "engines/FlacStream.h"
#include "engines/OpusStream.h"
#include "engines/StreamSignature.h"

namespace hgf {
namespace {

// Milliseconds of `frames` at `rate`, rounded up.
std::int64_t Milliseconds(std::uint64_t frames, unsigned rate) {
    if (rate == 0 || frames > (std::uint64_t{1} << 40)) return -1;
    return static_cast<std::int64_t>((frames * 1000 + rate - 1) / rate);
}

}  // namespace

std::unique_ptr<StreamDecoder> OpenFlacOrOpus(std::unique_ptr<InputFile> file) {
    if (!file) return nullptr;
    const StreamKind kind = DetectStreamKind(*file);
    if (!file->Seek(0)) return nullptr;
    if (kind == StreamKind::kFlac || kind == StreamKind::kOggFlac) {
        auto flac = std::make_unique<FlacStream>();
        if (!flac->Open(std::move(file), kind == StreamKind::kFlac ? FlacStream::Container::kNative
                                                                   : FlacStream::Container::kOgg))
            return nullptr;
        return flac;
    }
    if (kind == StreamKind::kOggOpus) {
        auto opus = std::make_unique<OpusStream>();
        if (!opus->Open(std::move(file))) return nullptr;
        return opus;
    }
    return nullptr;
}

std::unique_ptr<StreamDecoder> FlacOpusPlayer::OpenDecoder(std::unique_ptr<InputFile> file) {
    return OpenFlacOrOpus(std::move(file));
}

std::int64_t FlacOpusPlayer::LengthMs(const std::string& path) {
    const std::unique_ptr<StreamDecoder> decoder = OpenFlacOrOpus(Files().OpenRead(path));
    if (!decoder) return -1;
    const std::optional<std::uint64_t> frames = decoder->TotalFrames();
    return frames ? Milliseconds(*frames, decoder->Rate()) : -1;
}

}  // namespace hgf
