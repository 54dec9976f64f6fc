// Opening a stream onto the device, and its decoder as the feeder's source.
#include "engines/StreamPlayer.h"

#include <algorithm>

namespace hgf {

StreamPlayer::StreamPlayer(FileSystem& files, WaveOutput& output)
    : files_(files), output_(output), feeder_(output) {}

StreamPlayer::~StreamPlayer() {
    Close();
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
    options.bufferBytes = WaveFeeder::BufferBytes(format);
    position_.Reset(format.samplesPerSecond, format.blockAlign,
                    options.bufferBytes / format.blockAlign);
    if (!feeder_.Open(format, *this, options)) {
        Close();
        return false;
    }
    return true;
}

bool StreamPlayer::Start() {
    position_.Release();
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
    // False once Start has let the feeder run.
    return position_.StartAt(ms, [&](std::uint64_t frame) { return decoder_->SeekToFrame(frame); });
}

std::int64_t StreamPlayer::PositionMs() {
    return decoder_ ? position_.Ms(feeder_.QueuedBuffers()) : -1;
}

PcmSource::Fill StreamPlayer::Decode(std::uint8_t* block, std::uint32_t capacity,
                                     std::uint32_t& filled) {
    const StreamDecoder::Status status =
        position_.Feed(block, capacity, filled, StreamDecoder::Status::kFull,
                       [&](std::uint8_t* to, std::uint32_t bytes, std::uint32_t& done) {
                           return decoder_->Decode(to, bytes, done, gain_);
                       });
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
