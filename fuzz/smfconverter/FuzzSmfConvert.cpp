// Feeds arbitrary rules text and songs to the converter. The input is a 16-bit
// little-endian length, that many bytes of rules text, then the song; text that does not
// read is replaced by rules that touch everything. A conversion must either refuse the song
// and write nothing, or write a file that reads back whole: the same format, division and
// track count, every track ending with its end-of-track event at the tick where the
// song's track ended (no rule moves an event in time).
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "ConversionRules.h"
#include "SmfReader.h"
#include "SongConverter.h"

namespace smfconverter {
namespace {

constexpr std::string_view kEveryRule =
    "reset GS\nsysex remove\ntempo 150%\nvelocity 80%\nvolume ch3 70%\ntranspose +3\n"
    "program 1 -> 2\ndrum 1 -> 9\nchannel 2 -> 10\nmute 4";

// The tick where each track ends.
std::vector<std::uint64_t> TrackEnds(const SmfFile& smf) {
    std::vector<std::uint64_t> ends;
    for (Bytes track : smf.tracks) {
        TrackReader reader(track);
        SmfEvent event;
        while (reader.Next(event)) {
        }
        if (reader.Damaged()) __builtin_trap();
        ends.push_back(reader.Tick());
    }
    return ends;
}

void Check(Bytes song, const ConversionRules& rules) {
    std::vector<std::uint8_t> out;
    SongSummary summary;
    if (ConvertSong(song, rules, out, summary) != ReadStatus::Ok) {
        if (!out.empty()) __builtin_trap();
        return;
    }
    SmfFile in, converted;
    if (ReadSmf(song, in) != ReadStatus::Ok || ReadSmf(out, converted) != ReadStatus::Ok)
        __builtin_trap();
    if (converted.header.format != in.header.format ||
        converted.header.division != in.header.division ||
        converted.tracks.size() != in.tracks.size()) {
        __builtin_trap();
    }
    for (Bytes track : converted.tracks) {
        const std::size_t n = track.size();
        if (n < 3 || track[n - 3] != kMeta || track[n - 2] != kMetaEndOfTrack || track[n - 1] != 0)
            __builtin_trap();
    }
    if (TrackEnds(converted) != TrackEnds(in)) __builtin_trap();
}

}  // namespace
}  // namespace smfconverter

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace smfconverter;
    if (size < 2) return 0;
    const std::size_t textSize = std::min<std::size_t>(data[0] | data[1] << 8, size - 2);
    const std::string_view text(reinterpret_cast<const char*>(data + 2), textSize);
    ConversionRules rules;
    if (!ReadRules(text, rules).ok) {
        rules = {};
        ReadRules(kEveryRule, rules);
    }
    rules.ChangesNothing();
    Check(Bytes(data + 2 + textSize, size - 2 - textSize), rules);
    return 0;
}
