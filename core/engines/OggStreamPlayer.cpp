// The Ogg Vorbis stream player: its decoder, and the track length through vorbisfile.
#include "engines/OggStreamPlayer.h"

#include <vorbis/vorbisfile.h>

#include <cstdio>

#include "engines/OggVorbisStream.h"

namespace hgf {

std::unique_ptr<StreamDecoder> OggStreamPlayer::OpenDecoder(std::unique_ptr<InputFile> file) {
    auto stream = std::make_unique<OggVorbisStream>();
    if (!stream->Open(std::move(file))) return nullptr;
    return stream;
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

std::int64_t OggStreamPlayer::LengthMs(const std::string& path) {
    const int seconds = Length(path);
    return seconds >= 0 ? std::int64_t{seconds} * 1000 : -1;
}

}  // namespace hgf
