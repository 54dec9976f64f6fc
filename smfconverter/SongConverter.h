// Applies conversion rules to a Standard MIDI File. The result has the same format, track
// count and division, and every event it keeps stays at its tick; only a tempo scale
// changes how long a tick lasts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ConversionRules.h"
#include "SmfReader.h"

namespace smfconverter {

struct SongSummary {
    int format = 0;
    int trackCount = 0;
    std::size_t eventsWritten = 0;
};

// Reads `song` whole before anything is written: unless the result is Ok, `out` is empty.
ReadStatus ConvertSong(Bytes song, const ConversionRules& rules, std::vector<std::uint8_t>& out,
                       SongSummary& summary);

}  // namespace smfconverter
