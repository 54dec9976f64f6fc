// The Ogg Vorbis stream player: its decoder, and the track length through vorbisfile.
#include "engines/OggStreamPlayer.h"

#include <vorbis/vorbisfile.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "engines/OggVorbisStream.h"

namespace hgf {

std::unique_ptr<StreamDecoder> OggStreamPlayer::OpenDecoder(std::unique_ptr<InputFile> file) {
    auto stream = std::make_unique<OggVorbisStream>();
    if (!stream->Open(std::move(file))) return nullptr;
    return stream;
}

namespace {

// vorbisfile's reads and seeks on a file of the player's file system (so a path opens
// the same way for the length as for the playback).
struct CallbackSource {
    InputFile& file;
    std::uint64_t position = 0;
    std::optional<std::uint64_t> size;
};

std::size_t ReadSource(void* buffer, std::size_t size, std::size_t count, void* source) {
    auto& from = *static_cast<CallbackSource*>(source);
    if (size == 0 || count > SIZE_MAX / size) return 0;
    const std::size_t got = from.file.Read(buffer, size * count);
    from.position += got;
    return got / size;
}

int SeekSource(void* source, ogg_int64_t offset, int whence) {
    auto& from = *static_cast<CallbackSource*>(source);
    std::int64_t base = 0;
    if (whence == SEEK_CUR) {
        base = static_cast<std::int64_t>(from.position);
    } else if (whence == SEEK_END) {
        if (!from.size || *from.size > INT64_MAX) return -1;
        base = static_cast<std::int64_t>(*from.size);
    } else if (whence != SEEK_SET) {
        return -1;
    }
    if (offset < -base || (offset > 0 && base > INT64_MAX - offset)) return -1;
    const auto target = static_cast<std::uint64_t>(base + offset);
    if (!from.file.Seek(target)) return -1;
    from.position = target;
    return 0;
}

long TellSource(void* source) {
    const std::uint64_t position = static_cast<CallbackSource*>(source)->position;
    return position > static_cast<std::uint64_t>(LONG_MAX) ? -1 : static_cast<long>(position);
}

}  // namespace

int OggStreamPlayer::Length(const std::string& path) {
    std::unique_ptr<InputFile> file = Files().OpenRead(path);
    if (!file) return -1;
    CallbackSource source{*file, 0, file->Size()};
    const ov_callbacks callbacks{&ReadSource, &SeekSource, nullptr, &TellSource};
    OggVorbis_File vorbisFile;
    if (ov_open_callbacks(&source, &vorbisFile, nullptr, 0, callbacks) < 0) return -1;
    int seconds = -1;
    if (ov_seekable(&vorbisFile)) {
        double total = ov_time_total(&vorbisFile, -1);
        if (total >= 0 && total < 2147483647.0) seconds = static_cast<int>(total);
    }
    ov_clear(&vorbisFile);  // the file itself is closed by its owner
    return seconds;
}

std::int64_t OggStreamPlayer::LengthMs(const std::string& path) {
    const int seconds = Length(path);
    return seconds >= 0 ? std::int64_t{seconds} * 1000 : -1;
}

}  // namespace hgf
