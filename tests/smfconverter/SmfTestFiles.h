// Small Standard MIDI Files for the converter's tests: tracks built from raw events (so that
// running status and damaged bytes can be written too), and a readable listing of a file's
// events to compare a conversion's result with.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "SmfReader.h"

namespace smfconverter::test {

using ByteList = std::vector<std::uint8_t>;

// One event: its delay in ticks and everything after the delay (status, lengths, data).
struct RawEvent {
    std::uint32_t delay;
    ByteList bytes;
};

ByteList VarLen(std::uint32_t value);
// A chunk of `type` holding `data`.
ByteList Chunk(const char (&type)[5], const ByteList& data);
// A header chunk alone.
ByteList Header(std::uint16_t format, std::uint16_t trackCount, std::uint16_t division);
// A track chunk of `events`, ended by an end-of-track event `endDelay` ticks after the last
// one unless `endDelay` is negative.
ByteList Track(std::initializer_list<RawEvent> events, int endDelay = 0);
// A header chunk and the tracks (the track count is theirs).
ByteList Smf(std::uint16_t format, std::uint16_t division, std::initializer_list<ByteList> tracks);
ByteList Concat(std::initializer_list<ByteList> parts);

// Every event of a readable file as "<track>: <tick> <event>", for example
// "1: 96 on ch1 60 100", "0: 0 tempo 500000", "1: 0 sysex 41 10 42", "1: 192 end".
// A file or track that does not read, or a track whose end-of-track event is not its last
// bytes, gives one line "unreadable".
std::vector<std::string> Describe(Bytes smf);

}  // namespace smfconverter::test
