// Signatures: "fLaC"; "OggS" with the first packet's magic bytes.
#include "engines/StreamSignature.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace hgf {
namespace {

constexpr int kMaxId3v2Tags = 4;  // tags in a row skipped before "fLaC"

std::size_t ReadFully(InputFile& file, std::uint8_t* out, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        const std::size_t n = file.Read(out + got, count - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

bool StartsWith(const std::uint8_t* bytes, std::size_t size, std::string_view magic) {
    return size >= magic.size() && std::memcmp(bytes, magic.data(), magic.size()) == 0;
}

// The first packet of the Ogg page whose 4 capture bytes are already read.
StreamKind OggKind(InputFile& file) {
    std::uint8_t header[23];  // the page header after "OggS"
    if (ReadFully(file, header, sizeof header) != sizeof header) return StreamKind::kOther;
    const std::size_t segments = header[22];
    std::uint8_t lacing[255];
    if (ReadFully(file, lacing, segments) != segments) return StreamKind::kOther;
    std::uint8_t packet[8];
    const std::size_t got = ReadFully(file, packet, sizeof packet);
    if (StartsWith(packet, got,
                   "\x7F"
                   "FLAC"))
        return StreamKind::kOggFlac;
    if (StartsWith(packet, got, "OpusHead")) return StreamKind::kOggOpus;
    if (StartsWith(packet, got, "\x01vorbis")) return StreamKind::kOggVorbis;
    return StreamKind::kOther;
}

}  // namespace

StreamKind DetectStreamKind(InputFile& file, std::uint64_t* flacBlocks) {
    std::uint8_t start[10];
    std::size_t got = ReadFully(file, start, 4);
    if (StartsWith(start, got, "OggS")) return OggKind(file);
    std::uint64_t offset = 0;
    for (int tag = 0; tag < kMaxId3v2Tags && StartsWith(start, got, "ID3"); ++tag) {
        if (ReadFully(file, start + 4, 6) != 6 ||
            ((start[6] | start[7] | start[8] | start[9]) & 0x80))
            return StreamKind::kOther;
        const std::uint64_t size =
            (std::uint64_t{start[6]} << 21) | (start[7] << 14) | (start[8] << 7) | start[9];
        const bool footer = (start[5] & 0x10) != 0;
        offset += 10 + size + (footer ? 10 : 0);
        if (!file.Seek(offset)) return StreamKind::kOther;
        got = ReadFully(file, start, 4);
    }
    if (!StartsWith(start, got, "fLaC")) return StreamKind::kOther;
    if (flacBlocks) *flacBlocks = offset + 4;
    return StreamKind::kFlac;
}

}  // namespace hgf
