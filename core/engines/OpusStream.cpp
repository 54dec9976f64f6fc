// opusfile reading through the file interface.
#include "engines/OpusStream.h"

#include <opusfile.h>

#include <algorithm>
#include <cstdio>

#include "engines/PcmConversion.h"

namespace hgf {

// opusfile's stream callbacks; `stream` is the OpusStream.
struct OpusCallbacks {
    static OpusStream& Self(void* stream) { return *static_cast<OpusStream*>(stream); }

    static int Read(void* stream, unsigned char* buffer, int bytes) {
        OpusStream& self = Self(stream);
        const std::size_t got =
            bytes > 0 ? self.file_->Read(buffer, static_cast<std::size_t>(bytes)) : 0;
        self.position_ += got;
        if (got == 0 && self.file_->HasError()) return -1;
        return static_cast<int>(got);
    }
    static int Seek(void* stream, opus_int64 offset, int whence) {
        OpusStream& self = Self(stream);
        opus_int64 base = 0;
        if (whence == SEEK_CUR) {
            base = static_cast<opus_int64>(self.position_);
        } else if (whence == SEEK_END) {
            const std::optional<std::uint64_t> size = self.file_->Size();
            if (!size) return -1;
            base = static_cast<opus_int64>(*size);
        }
        if (offset > 0 && base > INT64_MAX - offset) return -1;
        const opus_int64 target = base + offset;
        if (target < 0 || !self.file_->Seek(static_cast<std::uint64_t>(target))) return -1;
        self.position_ = static_cast<std::uint64_t>(target);
        return 0;
    }
    static opus_int64 Tell(void* stream) { return static_cast<opus_int64>(Self(stream).position_); }
};

OpusStream::OpusStream() = default;

OpusStream::~OpusStream() {
    Close();
}

bool OpusStream::Open(std::unique_ptr<InputFile> file) {
    Close();
    if (!file) return false;
    file_ = std::move(file);
    // Without a size the file is read as a stream that cannot seek.
    const bool seekable = file_->Size().has_value();
    const OpusFileCallbacks callbacks{&OpusCallbacks::Read,
                                      seekable ? &OpusCallbacks::Seek : nullptr,
                                      seekable ? &OpusCallbacks::Tell : nullptr, nullptr};
    opus_ = op_open_callbacks(this, &callbacks, nullptr, 0, nullptr);
    if (!opus_) {
        Close();
        return false;
    }
    const int count = op_channel_count(opus_, 0);
    if (count < 1) {
        Close();
        return false;
    }
    sourceChannels_ = static_cast<unsigned>(count);
    channels_ = std::min(sourceChannels_, 2u);
    return true;
}

void OpusStream::Close() {
    if (opus_) op_free(opus_);
    opus_ = nullptr;
    file_.reset();
    position_ = 0;
    sourceChannels_ = channels_ = 0;
    ended_ = false;
}

std::optional<std::uint64_t> OpusStream::TotalFrames() const {
    if (!opus_) return std::nullopt;
    const ogg_int64_t total = op_pcm_total(opus_, 0);
    if (total < 0) return std::nullopt;
    return static_cast<std::uint64_t>(total);
}

bool OpusStream::SeekToFrame(std::uint64_t frame) {
    if (!opus_ || !op_seekable(opus_)) return false;
    const std::optional<std::uint64_t> total = TotalFrames();
    if (total && frame < *total && op_pcm_seek(opus_, static_cast<ogg_int64_t>(frame)) == 0) {
        ended_ = false;
        return true;
    }
    // Back to the start; where even that fails, the place is lost and the stream ends.
    ended_ = op_pcm_seek(opus_, 0) != 0;
    return false;
}

StreamDecoder::Status OpusStream::Decode(std::uint8_t* block, std::uint32_t capacity,
                                         std::uint32_t& filled, float gain) {
    if (!opus_) return Status::kEnded;
    auto* samples = reinterpret_cast<opus_int16*>(block);
    const std::size_t room = capacity / 2;
    std::size_t used = filled / 2;
    while (!ended_ && used + channels_ <= room) {
        opus_int16* out = samples + used;
        const int wanted = static_cast<int>(std::min<std::size_t>(room - used, 1u << 20));
        int link = 0;
        const int frames = sourceChannels_ > 2 ? op_read_stereo(opus_, out, wanted)
                                               : op_read(opus_, out, wanted, &link);
        if (frames == OP_HOLE) continue;  // samples were lost in a gap; go on after it
        if (frames > 0 && sourceChannels_ > 2) link = op_current_link(opus_);
        if (frames <= 0 || link != 0) {
            ended_ = true;  // the end, a read error, or the start of the next stream
            break;
        }
        const std::size_t count = static_cast<std::size_t>(frames) * channels_;
        ApplyGain(out, count, gain);
        used += count;
    }
    filled = static_cast<std::uint32_t>(used * 2);
    return ended_ ? Status::kEnded : Status::kFull;
}

}  // namespace hgf
