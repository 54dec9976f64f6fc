// libFLAC's stream decoder reading through the file interface, and its frames converted
// into the player's blocks.
#include "engines/FlacStream.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cstring>

namespace hgf {

// The decoder's callbacks; `data` is the FlacStream.
struct FlacCallbacks {
    static FlacStream& Self(void* data) { return *static_cast<FlacStream*>(data); }

    static FLAC__StreamDecoderReadStatus Read(const FLAC__StreamDecoder*, FLAC__byte buffer[],
                                              size_t* bytes, void* data) {
        FlacStream& self = Self(data);
        const std::size_t got = *bytes ? self.file_->Read(buffer, *bytes) : 0;
        self.position_ += got;
        *bytes = got;
        if (got > 0) return FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
        // A read error ends the stream like the end of the file.
        return self.file_->HasError() ? FLAC__STREAM_DECODER_READ_STATUS_ABORT
                                      : FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
    }
    static FLAC__StreamDecoderSeekStatus Seek(const FLAC__StreamDecoder*, FLAC__uint64 offset,
                                              void* data) {
        FlacStream& self = Self(data);
        if (!self.file_->Seek(offset)) return FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
        self.position_ = offset;
        return FLAC__STREAM_DECODER_SEEK_STATUS_OK;
    }
    static FLAC__StreamDecoderTellStatus Tell(const FLAC__StreamDecoder*, FLAC__uint64* offset,
                                              void* data) {
        *offset = Self(data).position_;
        return FLAC__STREAM_DECODER_TELL_STATUS_OK;
    }
    static FLAC__StreamDecoderLengthStatus Length(const FLAC__StreamDecoder*, FLAC__uint64* length,
                                                  void* data) {
        const std::optional<std::uint64_t> size = Self(data).file_->Size();
        if (!size) return FLAC__STREAM_DECODER_LENGTH_STATUS_UNSUPPORTED;
        *length = *size;
        return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
    }
    static FLAC__bool Eof(const FLAC__StreamDecoder*, void* data) {
        FlacStream& self = Self(data);
        const std::optional<std::uint64_t> size = self.file_->Size();
        return size && self.position_ >= *size;
    }
    static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*,
                                                const FLAC__Frame* frame,
                                                const FLAC__int32* const buffer[], void* data) {
        FlacStream& self = Self(data);
        const int channels = static_cast<int>(frame->header.channels);
        const unsigned bits = frame->header.bits_per_sample;
        // A frame whose layout does not fit the opened output is left out.
        if (channels >= 1 && channels <= IntegerPcmConverter::kMaxChannels && bits >= 1 &&
            bits <= 32 &&
            IntegerPcmConverter::OutputChannels(channels) == static_cast<int>(self.Channels()))
            self.TakeFrame(buffer, channels, bits, static_cast<int>(frame->header.blocksize));
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }
    static void Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata,
                         void* data) {
        FlacStream& self = Self(data);
        if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO || self.infoRead_) return;
        const FLAC__StreamMetadata_StreamInfo& info = metadata->data.stream_info;
        self.infoRead_ = true;
        self.rate_ = info.sample_rate;
        self.channels_ = info.channels;
        self.bits_ = info.bits_per_sample;
        self.totalFrames_ = info.total_samples;
    }
    static void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {
        // Lost sync and damaged frames: the decoder goes on with the next frame.
    }
};

FlacStream::FlacStream() = default;

FlacStream::~FlacStream() {
    Close();
}

bool FlacStream::Open(std::unique_ptr<InputFile> file, Container container) {
    Close();
    if (!file) return false;
    file_ = std::move(file);
    decoder_ = FLAC__stream_decoder_new();
    if (!decoder_) {
        Close();
        return false;
    }
    FLAC__stream_decoder_set_md5_checking(decoder_, false);
    const auto init = container == Container::kOgg ? &FLAC__stream_decoder_init_ogg_stream
                                                   : &FLAC__stream_decoder_init_stream;
    if (init(decoder_, &FlacCallbacks::Read, &FlacCallbacks::Seek, &FlacCallbacks::Tell,
             &FlacCallbacks::Length, &FlacCallbacks::Eof, &FlacCallbacks::Write,
             &FlacCallbacks::Metadata, &FlacCallbacks::Error,
             this) != FLAC__STREAM_DECODER_INIT_STATUS_OK ||
        !FLAC__stream_decoder_process_until_end_of_metadata(decoder_) || !infoRead_) {
        Close();
        return false;
    }
    // Stream information that cannot be played, or a decoder that stopped in the metadata.
    const FLAC__StreamDecoderState state = FLAC__stream_decoder_get_state(decoder_);
    if (channels_ < 1 || channels_ > IntegerPcmConverter::kMaxChannels || bits_ < 4 || bits_ > 32 ||
        rate_ < 1 || state != FLAC__STREAM_DECODER_SEARCH_FOR_FRAME_SYNC) {
        Close();
        return false;
    }
    converter_.Reset();
    return true;
}

void FlacStream::Close() {
    if (decoder_) {
        FLAC__stream_decoder_finish(decoder_);
        FLAC__stream_decoder_delete(decoder_);
        decoder_ = nullptr;
    }
    file_.reset();
    position_ = 0;
    infoRead_ = false;
    rate_ = channels_ = bits_ = 0;
    totalFrames_ = 0;
    ended_ = false;
    target_ = nullptr;
    pending_.clear();
    pendingAt_ = 0;
}

std::optional<std::uint64_t> FlacStream::TotalFrames() const {
    if (totalFrames_ == 0) return std::nullopt;
    return totalFrames_;
}

void FlacStream::TakeFrame(const std::int32_t* const* channelSamples, int channels, unsigned bits,
                           int frames) {
    const std::size_t count = static_cast<std::size_t>(frames) * Channels();
    if (pending_.empty() && target_ && targetRoom_ - targetUsed_ >= count) {
        converter_.Convert(channelSamples, channels, bits, frames, gain_, target_ + targetUsed_);
        targetUsed_ += count;
        return;
    }
    const std::size_t at = pending_.size();
    pending_.resize(at + count);
    converter_.Convert(channelSamples, channels, bits, frames, 1.0f, pending_.data() + at);
}

bool FlacStream::SeekToFrame(std::uint64_t frame) {
    // libFLAC's seek needs the file's length; the part of the frame from `frame` on comes
    // through the write callback into pending_.
    if (!decoder_ || !file_->Size()) return false;
    pending_.clear();
    pendingAt_ = 0;
    target_ = nullptr;
    ended_ = false;
    if ((totalFrames_ == 0 || frame < totalFrames_) &&
        FLAC__stream_decoder_seek_absolute(decoder_, frame))
        return true;
    pending_.clear();
    if (FLAC__stream_decoder_get_state(decoder_) == FLAC__STREAM_DECODER_SEEK_ERROR)
        FLAC__stream_decoder_flush(decoder_);
    // Back to the start; where even that fails, the place is lost and the stream ends.
    if (!FLAC__stream_decoder_seek_absolute(decoder_, 0)) ended_ = true;
    return false;
}

StreamDecoder::Status FlacStream::Decode(std::uint8_t* block, std::uint32_t capacity,
                                         std::uint32_t& filled, float gain) {
    if (!decoder_) return Status::kEnded;
    auto* samples = reinterpret_cast<std::int16_t*>(block);
    const std::size_t room = capacity / 2;
    std::size_t used = filled / 2;
    for (;;) {
        // Samples of earlier frames that did not fit go first.
        if (pendingAt_ < pending_.size()) {
            const std::size_t count = std::min(pending_.size() - pendingAt_, room - used);
            std::memcpy(samples + used, pending_.data() + pendingAt_, count * 2);
            ApplyGain(samples + used, count, gain);
            used += count;
            pendingAt_ += count;
            if (pendingAt_ < pending_.size()) break;
            pending_.clear();
            pendingAt_ = 0;
        }
        if (used + Channels() > room) break;
        if (ended_) {
            filled = static_cast<std::uint32_t>(used * 2);
            return Status::kEnded;
        }
        target_ = samples;
        targetRoom_ = room;
        targetUsed_ = used;
        gain_ = gain;
        const bool decoded = FLAC__stream_decoder_process_single(decoder_);
        used = targetUsed_;
        target_ = nullptr;
        const FLAC__StreamDecoderState state = FLAC__stream_decoder_get_state(decoder_);
        if (!decoded || state >= FLAC__STREAM_DECODER_END_OF_STREAM) ended_ = true;
    }
    filled = static_cast<std::uint32_t>(used * 2);
    return Status::kFull;
}

}  // namespace hgf
