// The Ogg Vorbis stream player: the decoder behind the shared feeder, and the track length.
#include "engines/OggStreamPlayer.h"

#include <vorbis/vorbisfile.h>

#include <cstdio>

namespace hgf {

OggStreamPlayer::OggStreamPlayer(FileSystem& files, WaveOutput& output)
    : files_(files), output_(output), feeder_(output) {}

OggStreamPlayer::~OggStreamPlayer() {
    Close();
}

bool OggStreamPlayer::Open(const std::string& path) {
    Close();
    gain_ = 1.0f;
    if (output_.DeviceCount() == 0) return false;
    if (!stream_.Open(files_.OpenRead(path))) return false;
    WaveFeeder::Options options;
    options.bufferBytes = kBufferBytes;
    options.drainBeforeLastBuffer = true;  // the queued output drains before the last buffer
    if (!feeder_.Open(PcmFormat::Pcm16(stream_.Channels(), stream_.Rate()), *this, options)) {
        Close();
        return false;
    }
    return true;
}

bool OggStreamPlayer::Start() {
    feeder_.Run();
    return true;
}

void OggStreamPlayer::Pause() {
    feeder_.Hold();
}

void OggStreamPlayer::SetGain(float gain) {
    if (gain >= 0.0f && gain <= 1.0f) gain_ = gain;
}

void OggStreamPlayer::Close() {
    feeder_.Close();
    stream_.Close();
}

PcmSource::Fill OggStreamPlayer::Decode(std::uint8_t* block, std::uint32_t capacity,
                                        std::uint32_t& filled) {
    switch (stream_.Decode(block, capacity, filled, gain_)) {
        case OggVorbisStream::DecodeStatus::kReadFailed:
            return Fill::kRetry;
        case OggVorbisStream::DecodeStatus::kStreamEnded:
            return Fill::kEnded;
        default:
            return Fill::kQueue;
    }
}

int OggStreamPlayer::Length(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return -1;
    std::rewind(file);
    OggVorbis_File vorbisFile;
    if (ov_open(file, &vorbisFile, nullptr, 0) < 0) {
        std::fclose(file);  // a refused file stays the caller's to close
        return -1;
    }
    int seconds = -1;
    if (ov_seekable(&vorbisFile)) {
        double total = ov_time_total(&vorbisFile, -1);
        if (total >= 0 && total < 2147483647.0) seconds = static_cast<int>(total);
    }
    ov_clear(&vorbisFile);  // also closes the file
    return seconds;
}

bool OggStreamPlayer::Finished() {
    return feeder_.PlayedOut();
}

}  // namespace hgf
