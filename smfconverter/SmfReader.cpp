#include "SmfReader.h"

#include <cstring>

namespace smfconverter {
namespace {

constexpr std::size_t kChunkHeader = 8;  // four-letter type, 32-bit length
constexpr std::size_t kHeaderData = 6;   // format, track count, division
constexpr int kVarLenMaxBytes = 4;       // 28 bits

bool HasType(Bytes bytes, std::size_t at, const char (&type)[5]) {
    return bytes.size() >= at + 4 && std::memcmp(bytes.data() + at, type, 4) == 0;
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
std::uint16_t BigEndian16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}
std::uint32_t LittleEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

// A RIFF MIDI file: "RIFF" <size> "RMID", then chunks; the song is the "data" chunk.
bool IsRiffMidi(Bytes bytes) {
    return HasType(bytes, 0, "RIFF") && HasType(bytes, 8, "RMID");
}

// The "data" chunk of a RIFF MIDI file; false when the chunks do not hold one.
bool FindRiffSong(Bytes bytes, Bytes& song) {
    std::size_t at = kSignatureBytes;
    while (bytes.size() - at >= kChunkHeader) {
        const std::uint32_t length = LittleEndian32(bytes.data() + at + 4);
        if (length > bytes.size() - at - kChunkHeader) return false;
        if (HasType(bytes, at, "data")) {
            song = bytes.subspan(at + kChunkHeader, length);
            return true;
        }
        at += kChunkHeader + length + (length & 1);  // chunks start at even offsets
        if (at > bytes.size()) return false;
    }
    return false;
}

}  // namespace

bool LooksLikeMidi(Bytes head) {
    return HasType(head, 0, "MThd") || IsRiffMidi(head);
}

ReadStatus ReadSmf(Bytes file, SmfFile& smf) {
    smf = {};
    Bytes bytes = file;
    if (IsRiffMidi(file) && !FindRiffSong(file, bytes)) return ReadStatus::Damaged;
    if (!HasType(bytes, 0, "MThd"))
        return LooksLikeMidi(file) ? ReadStatus::Damaged : ReadStatus::NotMidi;
    if (bytes.size() < kChunkHeader + kHeaderData) return ReadStatus::Damaged;
    const std::uint32_t headerLength = BigEndian32(bytes.data() + 4);
    if (headerLength < kHeaderData || headerLength > bytes.size() - kChunkHeader)
        return ReadStatus::Damaged;
    const std::uint8_t* header = bytes.data() + kChunkHeader;
    smf.header.format = BigEndian16(header);
    smf.header.trackCount = BigEndian16(header + 2);
    smf.header.division = BigEndian16(header + 4);
    if (smf.header.format >= 2) return ReadStatus::UnsupportedFormat;
    if (smf.header.trackCount == 0 || (smf.header.format == 0 && smf.header.trackCount != 1) ||
        smf.header.division == 0) {
        return ReadStatus::Damaged;
    }

    // Track chunks follow the header; chunks of unknown types in between are skipped.
    std::size_t at = kChunkHeader + headerLength;
    smf.tracks.reserve(smf.header.trackCount);
    while (smf.tracks.size() < smf.header.trackCount && bytes.size() - at >= kChunkHeader) {
        const std::uint32_t length = BigEndian32(bytes.data() + at + 4);
        if (length > bytes.size() - at - kChunkHeader) return ReadStatus::Damaged;
        if (HasType(bytes, at, "MTrk"))
            smf.tracks.push_back(bytes.subspan(at + kChunkHeader, length));
        at += kChunkHeader + length;
    }
    return smf.tracks.size() == smf.header.trackCount ? ReadStatus::Ok : ReadStatus::Damaged;
}

int ChannelDataLength(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

bool TrackReader::Fail() {
    damaged_ = true;
    return false;
}

bool TrackReader::ReadVarLen(std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < kVarLenMaxBytes; ++i) {
        if (at_ >= track_.size()) return false;
        const std::uint8_t byte = track_[at_++];
        value = value << 7 | (byte & 0x7F);
        if ((byte & 0x80) == 0) return true;
    }
    return false;
}

bool TrackReader::TakeBytes(std::size_t count, Bytes& bytes) {
    if (count > track_.size() - at_) return false;
    bytes = track_.subspan(at_, count);
    at_ += count;
    return true;
}

bool TrackReader::Next(SmfEvent& event) {
    if (ended_ || damaged_) return false;
    if (at_ >= track_.size()) {
        ended_ = true;  // the chunk ends without an end-of-track event
        return false;
    }
    std::uint32_t delta = 0;
    if (!ReadVarLen(delta) || at_ >= track_.size()) return Fail();
    tick_ += delta;
    event = SmfEvent{};
    event.tick = tick_;

    std::uint8_t status = track_[at_];
    if (status & 0x80) {
        ++at_;
    } else if (runningStatus_ != 0) {
        // Running status; kept across exclusive and meta events too, as many files expect.
        status = runningStatus_;
    } else {
        return Fail();
    }
    event.status = status;

    if (status < kExclusive) {
        runningStatus_ = status;
        if (!TakeBytes(ChannelDataLength(status), event.data)) return Fail();
        for (std::uint8_t byte : event.data)
            if (byte & 0x80) return Fail();
        return true;
    }
    std::uint32_t length = 0;
    if (status == kExclusive || status == kExclusiveEscape) {
        if (!ReadVarLen(length) || !TakeBytes(length, event.data)) return Fail();
        return true;
    }
    if (status == kMeta) {
        if (at_ >= track_.size()) return Fail();
        event.metaType = track_[at_++];
        if (!ReadVarLen(length) || !TakeBytes(length, event.data)) return Fail();
        if (event.metaType == kMetaEndOfTrack) ended_ = true;
        return true;
    }
    return Fail();  // system common and real-time messages have no place in a file
}

}  // namespace smfconverter
