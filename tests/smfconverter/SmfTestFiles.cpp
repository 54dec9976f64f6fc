#include "SmfTestFiles.h"

#include <cstdio>

namespace smfconverter::test {
namespace {

void Put32(ByteList& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::string Hex(Bytes bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, " %02x", byte);
        text += digits;
    }
    return text;
}

std::string DescribeEvent(const SmfEvent& event) {
    if (event.IsChannel()) {
        constexpr const char* kNames[] = {"off",     "on",         "pressure", "cc",
                                          "program", "aftertouch", "bend"};
        char text[48];
        int at = std::snprintf(text, sizeof text, "%s ch%d", kNames[(event.status >> 4) - 8],
                               (event.status & 0x0F) + 1);
        for (std::uint8_t byte : event.data)
            at += std::snprintf(text + at, sizeof text - at, " %d", byte);
        return text;
    }
    if (event.status == kMeta && event.metaType == kMetaEndOfTrack) return "end";
    if (event.status == kMeta && event.metaType == kMetaTempo && event.data.size() == 3)
        return "tempo " + std::to_string(event.data[0] << 16 | event.data[1] << 8 | event.data[2]);
    if (event.status == kMeta) return "meta " + std::to_string(event.metaType) + Hex(event.data);
    return (event.status == kExclusive ? "sysex" : "escape") + Hex(event.data);
}

}  // namespace

ByteList VarLen(std::uint32_t value) {
    ByteList bytes{static_cast<std::uint8_t>(value & 0x7F)};
    while (value >>= 7)
        bytes.insert(bytes.begin(), static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
    return bytes;
}

ByteList Chunk(const char (&type)[5], const ByteList& data) {
    ByteList chunk(type, type + 4);
    Put32(chunk, static_cast<std::uint32_t>(data.size()));
    chunk.insert(chunk.end(), data.begin(), data.end());
    return chunk;
}

ByteList Track(std::initializer_list<RawEvent> events, int endDelay) {
    ByteList data;
    for (const RawEvent& event : events) {
        const ByteList delay = VarLen(event.delay);
        data.insert(data.end(), delay.begin(), delay.end());
        data.insert(data.end(), event.bytes.begin(), event.bytes.end());
    }
    if (endDelay >= 0) {
        const ByteList delay = VarLen(static_cast<std::uint32_t>(endDelay));
        data.insert(data.end(), delay.begin(), delay.end());
        data.insert(data.end(), {0xFF, 0x2F, 0x00});
    }
    return Chunk("MTrk", data);
}

ByteList Header(std::uint16_t format, std::uint16_t trackCount, std::uint16_t division) {
    ByteList data;
    for (std::uint16_t value : {format, trackCount, division}) {
        data.push_back(static_cast<std::uint8_t>(value >> 8));
        data.push_back(static_cast<std::uint8_t>(value));
    }
    return Chunk("MThd", data);
}

ByteList Smf(std::uint16_t format, std::uint16_t division, std::initializer_list<ByteList> tracks) {
    ByteList file = Header(format, static_cast<std::uint16_t>(tracks.size()), division);
    for (const ByteList& track : tracks)
        file.insert(file.end(), track.begin(), track.end());
    return file;
}

ByteList Concat(std::initializer_list<ByteList> parts) {
    ByteList all;
    for (const ByteList& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<std::string> Describe(Bytes smf) {
    SmfFile file;
    if (ReadSmf(smf, file) != ReadStatus::Ok) return {"unreadable"};
    std::vector<std::string> lines;
    for (std::size_t track = 0; track < file.tracks.size(); ++track) {
        TrackReader reader(file.tracks[track]);
        SmfEvent event;
        std::string last;
        while (reader.Next(event)) {
            last = DescribeEvent(event);
            lines.push_back(std::to_string(track) + ": " + std::to_string(event.tick) + " " + last);
        }
        const Bytes data = file.tracks[track];
        const bool endsAtEnd = data.size() >= 3 && data[data.size() - 3] == 0xFF &&
                               data[data.size() - 2] == 0x2F && data.back() == 0;
        if (reader.Damaged() || last != "end" || !endsAtEnd) return {"unreadable"};
    }
    return lines;
}

}  // namespace smfconverter::test
