// Opening an MP3 file onto the device, and its decoder as the feeder's source.
#include "Mp3Player.h"

#include <algorithm>

namespace hgf::vbmp3 {

Mp3Player::Mp3Player(FileSystem& files, WaveOutput& output)
    : files_(files), output_(output), feeder_(output) {}

Mp3Player::~Mp3Player() {
    Close();
}

bool Mp3Player::Open(const std::string& path, std::function<void()> onPlayedOut) {
    Close();
    left_ = 100;
    right_ = 100;
    if (output_.DeviceCount() == 0) return false;
    if (!stream_.Open(files_.OpenRead(path))) return false;
    const PcmFormat format = PcmFormat::Pcm16(stream_.Channels(), stream_.Rate());
    WaveFeeder::Options options;
    options.bufferBytes = WaveFeeder::BufferBytes(format);
    options.onPlayedOut = std::move(onPlayedOut);
    position_.Reset(format.samplesPerSecond, format.blockAlign,
                    options.bufferBytes / format.blockAlign);
    if (!feeder_.Open(format, *this, options)) {
        Close();
        return false;
    }
    return true;
}

void Mp3Player::SetVolume(int left, int right) {
    left_ = std::clamp(left, 0, 100);
    right_ = std::clamp(right, 0, 100);
}

void Mp3Player::Play() {
    position_.Release();
    feeder_.Run();
}

void Mp3Player::Pause() {
    feeder_.PauseDevice();
}

void Mp3Player::Restart() {
    feeder_.RestartDevice();
}

void Mp3Player::Close() {
    feeder_.Close();
    stream_.Close();
}

bool Mp3Player::StartAt(std::int64_t ms) {
    if (!IsOpen() || ms <= 0) return false;
    const std::optional<std::int64_t> length = stream_.LengthInSamples();
    if (length && ms >= *length * 1000 / stream_.Rate()) return false;
    // False once Play has let the feeder run.
    return position_.StartAt(ms, [&](std::uint64_t frame) { return stream_.SeekToFrame(frame); });
}

std::int64_t Mp3Player::PositionMs() const {
    return IsOpen() ? position_.Ms(feeder_.QueuedBuffers()) : -1;
}

PcmSource::Fill Mp3Player::Decode(std::uint8_t* block, std::uint32_t capacity,
                                  std::uint32_t& filled) {
    const Mp3Stream::DecodeStatus status =
        position_.Feed(block, capacity, filled, Mp3Stream::DecodeStatus::kFull,
                       [&](std::uint8_t* to, std::uint32_t bytes, std::uint32_t& done) {
                           return stream_.Decode(to, bytes, done, left_, right_);
                       });
    return status == Mp3Stream::DecodeStatus::kEnded ? Fill::kEnded : Fill::kQueue;
}

}  // namespace hgf::vbmp3
