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

PcmSource::Fill StreamPlayer::Decode(std::uint8_t* block, std::uint32_t capacity,
                                     std::uint32_t& filled) {
    switch (decoder_->Decode(block, capacity, filled, gain_)) {
        case StreamDecoder::Status::kReadFailed:
            return Fill::kRetry;
        case StreamDecoder::Status::kEnded:
            return Fill::kEnded;
        default:
            return Fill::kQueue;
    }
}

}  // namespace hgf
