// Reading Standard MIDI Files: the header and track chunks of a file (plain, or wrapped in
// a RIFF "RMID" file), and the events of one track with running status resolved. Every
// length is checked against the bytes it lies in; nothing is copied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace smfconverter {

using Bytes = std::span<const std::uint8_t>;

enum class ReadStatus {
    Ok,
    NotMidi,            // no Standard MIDI File header
    UnsupportedFormat,  // format 2 (independent patterns) or a later one
    Damaged,            // a length, a count or an event that the bytes do not hold
};

struct SmfHeader {
    std::uint16_t format = 0;  // 0: one track; 1: simultaneous tracks
    std::uint16_t trackCount = 0;
    std::uint16_t division = 0;  // ticks per quarter note, or SMPTE timing when bit 15 is set

    bool HasTicksPerQuarter() const { return (division & 0x8000) == 0; }
};

struct SmfFile {
    SmfHeader header;
    std::vector<Bytes> tracks;  // the data of each "MTrk" chunk, in file order
};

// Enough of a file's start for LooksLikeMidi.
constexpr std::size_t kSignatureBytes = 12;

// True when `head` starts like a Standard MIDI File ("MThd") or a RIFF MIDI file.
bool LooksLikeMidi(Bytes head);

// Finds the header and the header's count of track chunks; chunks of other types are
// skipped. The tracks' events are not looked at (TrackReader does that).
ReadStatus ReadSmf(Bytes file, SmfFile& smf);

constexpr std::uint8_t kExclusive = 0xF0;
constexpr std::uint8_t kExclusiveEscape = 0xF7;
constexpr std::uint8_t kMeta = 0xFF;
constexpr std::uint8_t kMetaText = 0x01;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint8_t kMetaTempo = 0x51;

struct SmfEvent {
    std::uint64_t tick = 0;  // from the start of the track
    // 0x80..0xEF a channel message, kExclusive or kExclusiveEscape, or kMeta.
    std::uint8_t status = 0;
    std::uint8_t metaType = 0;  // meta events only
    // Channel message: its 1 or 2 data bytes. Exclusive: the bytes after the status.
    // Meta: the payload after the length.
    Bytes data;

    bool IsChannel() const { return status < kExclusive; }
};

// 1 for program change and channel pressure, 2 for the other channel messages.
int ChannelDataLength(std::uint8_t status);

class TrackReader {
  public:
    explicit TrackReader(Bytes track) : track_(track) {}

    // The next event. False at the end of the track (after its end-of-track event is
    // returned, or where the chunk ends without one) and when the track is damaged.
    bool Next(SmfEvent& event);
    bool Damaged() const { return damaged_; }
    // The tick reached so far: at the end, the length of the track.
    std::uint64_t Tick() const { return tick_; }

  private:
    bool ReadVarLen(std::uint32_t& value);
    bool TakeBytes(std::size_t count, Bytes& bytes);
    bool Fail();

    Bytes track_;
    std::size_t at_ = 0;
    std::uint64_t tick_ = 0;
    std::uint8_t runningStatus_ = 0;  // 0: none yet
    bool ended_ = false;
    bool damaged_ = false;
};

}  // namespace smfconverter
