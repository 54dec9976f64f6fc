// Opening a stream onto the device, and its decoder as the feeder's source.
#include "engines/StreamPlayer.h"

#include <algorithm>

namespace hgf {

StreamPlayer::StreamPlayer(FileSystem& files, WaveOutput& output)
    : files_(files), output_(output), feeder_(output) {}

StreamPlayer::~StreamPlayer() {
    Close();
}

std::uint32_t StreamPlayer::BufferBytes(const PcmFormat& format) {
    const std::uint32_t frames = std::max(1u, format.samplesPerSecond / kBuffersPerSecond);
    return frames * format.blockAlign;
}

bool StreamPlayer::Open(const std::string& path) {
    Close();
    gain_ = 1.0f;
    if (output_.DeviceCount() == 0) return false;
    std::unique_ptr<InputFile> file = files_.OpenRead(path);
    if (!file) return false;
    decoder_ = OpenDecoder(std::move(file));
    if (!decoder_) return false;
    const PcmFormat format = PcmFormat::Pcm16(decoder_->Channels(), decoder_->Rate());
    WaveFeeder::Options options;
    options.bufferBytes = BufferBytes(format);
    frameBytes_ = format.blockAlign;
    bufferFrames_ = options.bufferBytes / format.blockAlign;
    startFrame_ = 0;
    skipFrames_ = 0;
    framesKept_ = 0;
    if (!feeder_.Open(format, *this, options)) {
        Close();
        return false;
    }
    return true;
}

bool StreamPlayer::Start() {
    feeder_.Run();
    return true;
}

void StreamPlayer::Pause() {
    feeder_.Hold();
}

void StreamPlayer::SetGain(float gain) {
    if (gain >= 0.0f && gain <= 1.0f) gain_ = gain;
}

void StreamPlayer::Close() {
    feeder_.Close();  // the feeder ends before its decoder goes
    decoder_.reset();
}

bool StreamPlayer::Finished() {
    return feeder_.PlayedOut();
}

bool StreamPlayer::SeekMs(std::int64_t ms) {
    if (!decoder_ || ms <= 0) return false;
    startFrame_ = static_cast<std::uint64_t>(ms) * decoder_->Rate() / 1000;
    skipFrames_ = startFrame_;  // the feeder thread starts with Start, after this
    return true;
}

std::int64_t StreamPlayer::PositionMs() {
    if (!decoder_) return -1;
    const std::uint64_t unplayed =
        static_cast<std::uint64_t>(std::max(0, feeder_.QueuedBuffers())) * bufferFrames_;
    const std::uint64_t kept = framesKept_.load();
    const std::uint64_t frame = startFrame_ + (kept > unplayed ? kept - unplayed : 0);
    return static_cast<std::int64_t>(frame * 1000 / decoder_->Rate());
}

StreamDecoder::Status StreamPlayer::SkipToStart(std::uint8_t* block, std::uint32_t capacity) {
    const std::uint32_t blockFrames = capacity / frameBytes_;
    while (skipFrames_ > 0) {
        const auto frames =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(blockFrames, skipFrames_));
        std::uint32_t dropped = 0;
        const StreamDecoder::Status status =
            decoder_->Decode(block, frames * frameBytes_, dropped, 0.0f);
        skipFrames_ -= std::min<std::uint64_t>(skipFrames_, dropped / frameBytes_);
        if (status != StreamDecoder::Status::kFull) return status;
    }
    return StreamDecoder::Status::kFull;
}

PcmSource::Fill StreamPlayer::Decode(std::uint8_t* block, std::uint32_t capacity,
                                     std::uint32_t& filled) {
    StreamDecoder::Status status = StreamDecoder::Status::kFull;
    if (skipFrames_ > 0) status = SkipToStart(block + filled, capacity - filled);
    if (status == StreamDecoder::Status::kFull) {
        const std::uint32_t before = filled;
        status = decoder_->Decode(block, capacity, filled, gain_);
        framesKept_ += (filled - before) / frameBytes_;
    }
    switch (status) {
        case StreamDecoder::Status::kReadFailed:
            return Fill::kRetry;
        case StreamDecoder::Status::kEnded:
            return Fill::kEnded;
        default:
            return Fill::kQueue;
    }
}

}  // namespace hgf
