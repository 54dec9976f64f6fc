// Writing Standard MIDI Files: the header chunk and track chunks of events in tick order,
// with running status for channel messages (never across an exclusive or meta event).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "SmfReader.h"

namespace smfconverter {

// Appends the header chunk: format, track count and division.
void WriteHeader(std::vector<std::uint8_t>& out, const SmfHeader& header);

// Appends one track chunk to `out`: "MTrk", its length (filled in by Finish), the events.
class TrackWriter {
  public:
    explicit TrackWriter(std::vector<std::uint8_t>& out);
    TrackWriter(const TrackWriter&) = delete;
    TrackWriter& operator=(const TrackWriter&) = delete;

    // Ticks count from the start of the track and never go back (an earlier tick is
    // written as no delay). Exclusive and meta payloads are shorter than 2^28 bytes.
    void Channel(std::uint64_t tick, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    void Exclusive(std::uint64_t tick, std::uint8_t status, Bytes bytes);
    void Meta(std::uint64_t tick, std::uint8_t type, Bytes payload);
    // Writes the end of the track at `tick` and the chunk's length.
    void Finish(std::uint64_t tick);

    std::size_t EventCount() const { return events_; }

  private:
    void Delay(std::uint64_t tick);
    void VarLen(std::uint32_t value);

    std::vector<std::uint8_t>& out_;
    std::size_t lengthAt_;  // where the chunk's length goes
    std::uint64_t tick_ = 0;
    std::uint8_t runningStatus_ = 0;  // 0: the next channel message writes its status
    std::size_t events_ = 0;
};

}  // namespace smfconverter
