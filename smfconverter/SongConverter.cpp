#include "SongConverter.h"

#include <algorithm>
#include <array>
#include <optional>

#include "SmfWriter.h"

namespace smfconverter {
namespace {

constexpr std::uint32_t kDefaultTempo = 500000;  // microseconds per quarter: 120 per minute
constexpr std::uint32_t kMaxTempo = 0xFFFFFF;    // a tempo event holds 24 bits
constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kKeyPressure = 0xA0;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kProgramChange = 0xC0;
constexpr std::uint8_t kChannelVolume = 7;  // control number
constexpr int kPowerOnVolume = 100;         // a channel's volume until the song sets one

// The reset messages, the bytes after the exclusive status.
constexpr std::uint8_t kGmSystemOn[] = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr std::uint8_t kGm2SystemOn[] = {0x7E, 0x7F, 0x09, 0x03, 0xF7};
constexpr std::uint8_t kGsReset[] = {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
constexpr std::uint8_t kXgSystemOn[] = {0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};

Bytes ResetMessage(ModuleReset reset) {
    switch (reset) {
        case ModuleReset::Gm:
            return kGmSystemOn;
        case ModuleReset::Gm2:
            return kGm2SystemOn;
        case ModuleReset::Gs:
            return kGsReset;
        case ModuleReset::Xg:
            return kXgSystemOn;
        case ModuleReset::None:
            break;
    }
    return {};
}

std::uint8_t Scale(int value, int percent, int low, int high) {
    return static_cast<std::uint8_t>(std::clamp((value * percent + 50) / 100, low, high));
}

// A faster tempo is fewer microseconds per quarter note.
std::uint32_t ScaleTempo(std::uint32_t microseconds, int percent) {
    const std::uint64_t scaled = (std::uint64_t{microseconds} * 100 + percent / 2) / percent;
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(scaled, 1, kMaxTempo));
}

struct EventPosition {
    std::uint64_t tick = 0;
    std::size_t track = 0;
    std::size_t index = 0;  // counted from the track's first event
};

// What the first pass learns about the whole song (and whether every track reads).
struct Survey {
    bool tempoAtStart = false;
    std::array<std::optional<EventPosition>, kChannels> firstNote{};
    std::array<std::optional<std::uint64_t>, kChannels> firstVolumeTick{};
};

bool SurveySong(const SmfFile& smf, Survey& survey) {
    for (std::size_t track = 0; track < smf.tracks.size(); ++track) {
        TrackReader reader(smf.tracks[track]);
        SmfEvent event;
        for (std::size_t index = 0; reader.Next(event); ++index) {
            if (event.status == kMeta && event.metaType == kMetaTempo && event.tick == 0)
                survey.tempoAtStart = true;
            if (!event.IsChannel()) continue;
            const int channel = event.status & 0x0F;
            const int kind = event.status & 0xF0;
            if (kind == kNoteOn && event.data[1] != 0) {
                auto& first = survey.firstNote[channel];
                if (!first || event.tick < first->tick)
                    first = EventPosition{event.tick, track, index};
            } else if (kind == kControlChange && event.data[0] == kChannelVolume) {
                auto& first = survey.firstVolumeTick[channel];
                if (!first || event.tick < *first) first = event.tick;
            }
        }
        if (reader.Damaged()) return false;
    }
    return true;
}

// Gives a channel message as it goes out; false when it is dropped.
bool MapChannelMessage(const ConversionRules& rules, std::uint8_t& status, std::uint8_t& data1,
                       std::uint8_t& data2) {
    const int source = status & 0x0F;
    const int kind = status & 0xF0;
    const int target = rules.channelMap[source];
    if (target == kMutedChannel) return false;
    if (kind == kNoteOff || kind == kNoteOn || kind == kKeyPressure) {
        // Notes that sound as drums, before or after the channel move, keep their keys.
        // A note moved out of range is dropped with its note-off.
        if (source != kDrumChannel && target != kDrumChannel) {
            const int note = data1 + rules.transpose.For(source);
            if (note < 0 || note > 127) return false;
            data1 = static_cast<std::uint8_t>(note);
        }
        // Velocity 0 is a note-off and stays one.
        if (kind == kNoteOn && data2 != 0)
            data2 = Scale(data2, rules.velocityPercent.For(source), 1, 127);
    } else if (kind == kControlChange && data1 == kChannelVolume) {
        data2 = Scale(data2, rules.volumePercent.For(source), 0, 127);
    } else if (kind == kProgramChange) {
        data1 = rules.ProgramFor(source, data1);
    }
    status = static_cast<std::uint8_t>(kind | target);
    return true;
}

class SongWriter {
  public:
    SongWriter(const SmfFile& smf, const ConversionRules& rules, const Survey& survey)
        : smf_(smf), rules_(rules), survey_(survey) {
        scaleTempo_ = rules.tempoPercent != 100 && smf.header.HasTicksPerQuarter();
        // A channel whose first note comes before any volume of its own is given its
        // scaled power-on volume just before that note.
        for (int channel = 0; channel < kChannels; ++channel) {
            const auto& note = survey.firstNote[channel];
            const auto& volume = survey.firstVolumeTick[channel];
            if (rules.volumePercent.For(channel) != 100 && note &&
                (!volume || note->tick < *volume))
                volumeBefore_[channel] = note;
        }
    }

    std::size_t WriteTrack(std::size_t track, std::vector<std::uint8_t>& out) {
        TrackWriter writer(out);
        if (track == 0) WriteStart(writer);
        TrackReader reader(smf_.tracks[track]);
        SmfEvent event;
        std::size_t index = 0;
        for (; reader.Next(event); ++index) {
            if (event.status == kMeta) {
                if (event.metaType == kMetaEndOfTrack) break;
                WriteMeta(writer, event);
            } else if (event.status == kExclusive || event.status == kExclusiveEscape) {
                if (!rules_.removeExclusive) writer.Exclusive(event.tick, event.status, event.data);
            } else {
                WriteChannel(writer, event, track, index);
            }
        }
        writer.Finish(reader.Tick());
        return writer.EventCount();
    }

  private:
    void WriteStart(TrackWriter& writer) {
        if (rules_.reset != ModuleReset::None)
            writer.Exclusive(0, kExclusive, ResetMessage(rules_.reset));
        // Until its first tempo event a song plays at 120 per minute; a scaled song says
        // its scaled tempo from the start.
        if (scaleTempo_ && !survey_.tempoAtStart) WriteTempo(writer, 0, kDefaultTempo);
    }

    void WriteTempo(TrackWriter& writer, std::uint64_t tick, std::uint32_t microseconds) {
        const std::uint32_t tempo = ScaleTempo(microseconds, rules_.tempoPercent);
        const std::uint8_t payload[] = {static_cast<std::uint8_t>(tempo >> 16),
                                        static_cast<std::uint8_t>(tempo >> 8),
                                        static_cast<std::uint8_t>(tempo)};
        writer.Meta(tick, kMetaTempo, payload);
    }

    void WriteMeta(TrackWriter& writer, const SmfEvent& event) {
        if (scaleTempo_ && event.metaType == kMetaTempo && event.data.size() == 3) {
            WriteTempo(writer, event.tick,
                       std::uint32_t{event.data[0]} << 16 | event.data[1] << 8 | event.data[2]);
        } else {
            writer.Meta(event.tick, event.metaType, event.data);
        }
    }

    void WriteChannel(TrackWriter& writer, const SmfEvent& event, std::size_t track,
                      std::size_t index) {
        const int source = event.status & 0x0F;
        std::uint8_t status = event.status;
        std::uint8_t data1 = event.data[0];
        std::uint8_t data2 = event.data.size() > 1 ? event.data[1] : 0;
        if (!MapChannelMessage(rules_, status, data1, data2)) return;
        const auto& before = volumeBefore_[source];
        if (before && before->track == track && before->index == index) {
            writer.Channel(event.tick, kControlChange | (status & 0x0F), kChannelVolume,
                           Scale(kPowerOnVolume, rules_.volumePercent.For(source), 0, 127));
        }
        writer.Channel(event.tick, status, data1, data2);
    }

    const SmfFile& smf_;
    const ConversionRules& rules_;
    const Survey& survey_;
    bool scaleTempo_ = false;
    std::array<std::optional<EventPosition>, kChannels> volumeBefore_{};
};

}  // namespace

ReadStatus ConvertSong(Bytes song, const ConversionRules& rules, std::vector<std::uint8_t>& out,
                       SongSummary& summary) {
    out.clear();
    summary = {};
    SmfFile smf;
    if (const ReadStatus status = ReadSmf(song, smf); status != ReadStatus::Ok) return status;
    summary.format = smf.header.format;
    summary.trackCount = smf.header.trackCount;
    Survey survey;
    if (!SurveySong(smf, survey)) return ReadStatus::Damaged;

    out.reserve(song.size() + 256);
    WriteHeader(out, smf.header);
    SongWriter writer(smf, rules, survey);
    for (std::size_t track = 0; track < smf.tracks.size(); ++track)
        summary.eventsWritten += writer.WriteTrack(track, out);
    return ReadStatus::Ok;
}

}  // namespace smfconverter
