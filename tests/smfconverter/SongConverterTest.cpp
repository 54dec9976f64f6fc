// Each rule applied to a small song, the result read back; the written bytes themselves;
// and the files that must be refused whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SmfTestFiles.h"
#include "SongConverter.h"

namespace smfconverter {
namespace {

using test::ByteList;
using test::Describe;
using test::Smf;
using test::Track;
using Lines = std::vector<std::string>;

ConversionRules Rules(std::string_view text) {
    ConversionRules rules;
    EXPECT_TRUE(ReadRules(text, rules).ok) << text;
    return rules;
}

// Converts `song`; the listing of the result, or the status when it is not Ok.
Lines Convert(const ByteList& song, std::string_view rulesText) {
    std::vector<std::uint8_t> out;
    SongSummary summary;
    const ReadStatus status = ConvertSong(song, Rules(rulesText), out, summary);
    if (status != ReadStatus::Ok) return {"status " + std::to_string(static_cast<int>(status))};
    return Describe(out);
}

// A conductor track, and channel 1, the drum channel (10) and channel 2 in one track.
const ByteList kSong = Smf(1, 96,
                           {Track({{0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}}}, 192),
                            Track({{0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
                                   {0, {0xB0, 7, 100}},
                                   {0, {0xC0, 0}},
                                   {0, {0xC9, 0}},
                                   {0, {0x90, 60, 100}},
                                   {0, {0x99, 36, 80}},
                                   {0, {0x91, 64, 80}},
                                   {96, {0x81, 64, 0}},
                                   {48, {0x80, 60, 0}},
                                   {0, {0x99, 36, 0}}},
                                  48)});
const Lines kSongLines = {"0: 0 tempo 500000",  "0: 192 end",          "1: 0 sysex 7e 7f 09 01 f7",
                          "1: 0 cc ch1 7 100",  "1: 0 program ch1 0",  "1: 0 program ch10 0",
                          "1: 0 on ch1 60 100", "1: 0 on ch10 36 80",  "1: 0 on ch2 64 80",
                          "1: 96 off ch2 64 0", "1: 144 off ch1 60 0", "1: 144 on ch10 36 0",
                          "1: 192 end"};

// A line of the song's listing and what it becomes: lines joined by "|", or "" (dropped).
struct Edit {
    std::string from;
    std::string to;
};

Lines Edited(Lines lines, const std::vector<Edit>& edits) {
    for (const Edit& edit : edits) {
        auto at = std::find(lines.begin(), lines.end(), edit.from);
        if (at == lines.end()) {
            ADD_FAILURE() << "no line " << edit.from;
            continue;
        }
        at = lines.erase(at);
        for (std::size_t start = 0; start < edit.to.size();) {
            std::size_t end = std::min(edit.to.find('|', start), edit.to.size());
            at = lines.insert(at, edit.to.substr(start, end - start)) + 1;
            start = end + 1;
        }
    }
    return lines;
}

struct RuleCase {
    const char* rules;
    std::vector<Edit> edits;
};

TEST(SongConverterTest, EachRuleChangesOnlyWhatItNames) {
    const RuleCase cases[] = {
        {"program 1 -> 5", {{"1: 0 program ch1 0", "1: 0 program ch1 4"}}},
        {"program ch2 1 -> 5", {}},
        {"program ch1 1 -> 3\nprogram 1 -> 5", {{"1: 0 program ch1 0", "1: 0 program ch1 2"}}},
        {"drum 1 -> 17", {{"1: 0 program ch10 0", "1: 0 program ch10 16"}}},
        {"channel 1 -> 2\nchannel ch2 -> ch1",
         {{"1: 0 cc ch1 7 100", "1: 0 cc ch2 7 100"},
          {"1: 0 program ch1 0", "1: 0 program ch2 0"},
          {"1: 0 on ch1 60 100", "1: 0 on ch2 60 100"},
          {"1: 0 on ch2 64 80", "1: 0 on ch1 64 80"},
          {"1: 96 off ch2 64 0", "1: 96 off ch1 64 0"},
          {"1: 144 off ch1 60 0", "1: 144 off ch2 60 0"}}},
        {"mute 2", {{"1: 0 on ch2 64 80", ""}, {"1: 96 off ch2 64 0", ""}}},
        // Note 60 - 61 is no key: the note goes, with its note-off.
        {"transpose ch1 -61", {{"1: 0 on ch1 60 100", ""}, {"1: 144 off ch1 60 0", ""}}},
        // The drum channel keeps its keys, and so does a part moved onto it.
        {"channel 1 -> 10\ntranspose +12",
         {{"1: 0 cc ch1 7 100", "1: 0 cc ch10 7 100"},
          {"1: 0 program ch1 0", "1: 0 program ch10 0"},
          {"1: 0 on ch1 60 100", "1: 0 on ch10 60 100"},
          {"1: 0 on ch2 64 80", "1: 0 on ch2 76 80"},
          {"1: 96 off ch2 64 0", "1: 96 off ch2 76 0"},
          {"1: 144 off ch1 60 0", "1: 144 off ch10 60 0"}}},
        // A note-on of velocity 0 is a note-off and stays one.
        {"velocity 50%",
         {{"1: 0 on ch1 60 100", "1: 0 on ch1 60 50"},
          {"1: 0 on ch10 36 80", "1: 0 on ch10 36 40"},
          {"1: 0 on ch2 64 80", "1: 0 on ch2 64 40"}}},
        // Velocities stay 1..127 (0 would be a note-off).
        {"velocity ch10 200%\nvelocity ch1 0%",
         {{"1: 0 on ch10 36 80", "1: 0 on ch10 36 127"},
          {"1: 0 on ch1 60 100", "1: 0 on ch1 60 1"}}},
        // Channels that play before setting a volume get the scaled power-on volume.
        {"volume 50%",
         {{"1: 0 cc ch1 7 100", "1: 0 cc ch1 7 50"},
          {"1: 0 on ch10 36 80", "1: 0 cc ch10 7 50|1: 0 on ch10 36 80"},
          {"1: 0 on ch2 64 80", "1: 0 cc ch2 7 50|1: 0 on ch2 64 80"}}},
        {"volume ch1 200%\nmute 10",
         {{"1: 0 cc ch1 7 100", "1: 0 cc ch1 7 127"},
          {"1: 0 program ch10 0", ""},
          {"1: 0 on ch10 36 80", ""},
          {"1: 144 on ch10 36 0", ""}}},
        {"tempo 200%", {{"0: 0 tempo 500000", "0: 0 tempo 250000"}}},
        {"tempo 30%", {{"0: 0 tempo 500000", "0: 0 tempo 1666667"}}},
        {"sysex remove", {{"1: 0 sysex 7e 7f 09 01 f7", ""}}},
        {"reset GS",
         {{"0: 0 tempo 500000", "0: 0 sysex 41 10 42 12 40 00 7f 00 41 f7|0: 0 tempo 500000"}}},
        {"reset xg\nsysex remove",
         {{"0: 0 tempo 500000", "0: 0 sysex 43 10 4c 00 00 7e 00 f7|0: 0 tempo 500000"},
          {"1: 0 sysex 7e 7f 09 01 f7", ""}}},
        {"reset GM2", {{"0: 0 tempo 500000", "0: 0 sysex 7e 7f 09 03 f7|0: 0 tempo 500000"}}},
    };
    for (const RuleCase& c : cases)
        EXPECT_EQ(Convert(kSong, c.rules), Edited(kSongLines, c.edits)) << c.rules;
}

TEST(SongConverterTest, WritesRunningStatusButNeverAcrossAnExclusiveOrMetaEvent) {
    // The song uses running status after its exclusive message too, as some files do.
    const ByteList song = Smf(0, 480,
                              {Track({{0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}},
                                      {0, {0x90, 60, 100}},
                                      {96, {60, 0}},
                                      {0, {0xF0, 0x01, 0xF7}},
                                      {0, {62, 100}},
                                      {200, {62, 0}}})});
    std::vector<std::uint8_t> out;
    SongSummary summary;
    ASSERT_EQ(ConvertSong(song, Rules("velocity 50%"), out, summary), ReadStatus::Ok);
    const ByteList expected = Smf(0, 480,
                                  {Track({{0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}},
                                          {0, {0x90, 60, 50}},
                                          {96, {60, 0}},
                                          {0, {0xF0, 0x01, 0xF7}},
                                          {0, {0x90, 62, 50}},
                                          {200, {62, 0}}})});
    EXPECT_EQ(out, expected);
    EXPECT_EQ(summary.format, 0);
    EXPECT_EQ(summary.trackCount, 1);
    EXPECT_EQ(summary.eventsWritten, 7u);
}

TEST(SongConverterTest, ATempoScaleCoversTheStartOfASongWithoutATempoThere) {
    const ByteList noTempo = Smf(0, 96, {Track({{96, {0x90, 60, 100}}})});
    EXPECT_EQ(Convert(noTempo, "tempo 50%"),
              (Lines{"0: 0 tempo 1000000", "0: 96 on ch1 60 100", "0: 96 end"}));
    const ByteList lateTempo =
        Smf(0, 96, {Track({{0, {0x90, 60, 100}}, {96, {0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40}}})});
    EXPECT_EQ(Convert(lateTempo, "tempo 200%"), (Lines{"0: 0 tempo 250000", "0: 0 on ch1 60 100",
                                                       "0: 96 tempo 500000", "0: 96 end"}));
    // SMPTE timing (25 frames of 40 ticks) has no tempo to scale.
    const ByteList smpte = Smf(0, 0xE728, {Track({{0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}}})});
    EXPECT_EQ(Convert(smpte, "tempo 200%"), (Lines{"0: 0 tempo 500000", "0: 0 end"}));
}

TEST(SongConverterTest, AVolumeIsAddedBeforeTheFirstNoteOfTheSongNotOfTheTrack) {
    // Channel 1 plays first in track 2; channel 2 sets its volume only after its first
    // note; channel 3 sets it together with its first note.
    const ByteList song =
        Smf(1, 96,
            {Track({{96, {0x90, 60, 100}}, {0, {0xB1, 7, 90}}}), Track({{0, {0x90, 64, 100}},
                                                                        {0, {0x91, 64, 100}},
                                                                        {0, {0xB2, 7, 80}},
                                                                        {0, {0x92, 64, 100}}})});
    EXPECT_EQ(Convert(song, "volume 50%"),
              (Lines{"0: 96 on ch1 60 100", "0: 96 cc ch2 7 45", "0: 96 end", "1: 0 cc ch1 7 50",
                     "1: 0 on ch1 64 100", "1: 0 cc ch2 7 50", "1: 0 on ch2 64 100",
                     "1: 0 cc ch3 7 40", "1: 0 on ch3 64 100", "1: 0 end"}));
}

TEST(SongConverterTest, DroppedEventsLeaveTheTicksOfTheRestAsTheyWere) {
    // Two muted events hold a delay longer than one event can carry.
    const ByteList song = Smf(
        0, 96,
        {Track(
            {{0x0FFFFFFF, {0x91, 64, 80}}, {0x0FFFFFFF, {0x81, 64, 0}}, {10, {0x90, 60, 100}}})});
    EXPECT_EQ(Convert(song, "mute 2"), (Lines{"0: 268435455 meta 1", "0: 536870910 meta 1",
                                              "0: 536870920 on ch1 60 100", "0: 536870920 end"}));
}

TEST(SongConverterTest, ReadsOddButWholeFiles) {
    const ByteList track = Track({{0, {0x90, 60, 100}}, {96, {0x80, 60, 0}}});
    const Lines lines = {"0: 0 on ch1 60 100", "0: 96 off ch1 60 0", "0: 96 end"};
    const ByteList longHeader = test::Chunk("MThd", {0, 0, 0, 1, 0, 96, 0xAA, 0xBB});
    const ByteList alien = test::Chunk("XYZW", {1, 2});
    const ByteList plain = Smf(0, 96, {track});
    // A RIFF MIDI file whose first chunk has an odd length (and a pad byte after it).
    const ByteList riff =
        test::Concat({{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D'},
                      {'L', 'I', 'S', 'T', 1, 0, 0, 0, 7, 0},
                      {'d', 'a', 't', 'a', static_cast<std::uint8_t>(plain.size()), 0, 0, 0},
                      plain});
    struct Odd {
        const char* what;
        ByteList file;
        Lines lines;
    };
    const Odd odds[] = {
        {"a longer header", test::Concat({longHeader, track}), lines},
        {"an unknown chunk before the track", test::Concat({test::Header(0, 1, 96), alien, track}),
         lines},
        {"a RIFF MIDI file", riff, lines},
        {"a track without its end",
         Smf(0, 96, {Track({{0, {0x90, 60, 100}}, {96, {0x80, 60, 0}}}, -1)}), lines},
        {"running status after a meta event",
         Smf(0, 96, {Track({{0, {0x90, 60, 100}}, {0, {0xFF, 0x01, 0x00}}, {96, {60, 0}}})}),
         {"0: 0 on ch1 60 100", "0: 0 meta 1", "0: 96 on ch1 60 0", "0: 96 end"}},
        {"bytes after the end of the track",
         Smf(0, 96,
             {Track({{0, {0x90, 60, 100}}, {5, {0xFF, 0x2F, 0x00}}, {0, {0x80, 60, 0}}}, -1)}),
         {"0: 0 on ch1 60 100", "0: 5 end"}},
    };
    for (const Odd& odd : odds)
        EXPECT_EQ(Convert(odd.file, "mute 16"), odd.lines) << odd.what;
}

TEST(SongConverterTest, RefusesWholeWhatDoesNotReadAndWritesNothing) {
    const ByteList note = {0x90, 60, 100};
    const ByteList oneTrack = test::Header(0, 1, 96);
    struct Bad {
        const char* what;
        ByteList file;
        ReadStatus status;
    };
    const Bad bads[] = {
        {"nothing", {}, ReadStatus::NotMidi},
        {"a wave file", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, ReadStatus::NotMidi},
        {"a header cut short", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0}, ReadStatus::Damaged},
        {"a header length of 5", test::Chunk("MThd", {0, 0, 0, 1, 0}), ReadStatus::Damaged},
        {"a header longer than the file",
         {'M', 'T', 'h', 'd', 0x7F, 0, 0, 6, 0, 0, 0, 1, 0, 96},
         ReadStatus::Damaged},
        {"format 2", Smf(2, 96, {Track({})}), ReadStatus::UnsupportedFormat},
        {"no tracks", Smf(1, 96, {}), ReadStatus::Damaged},
        {"format 0 with two tracks", Smf(0, 96, {Track({}), Track({})}), ReadStatus::Damaged},
        {"division 0", Smf(0, 0, {Track({})}), ReadStatus::Damaged},
        {"fewer tracks than counted", test::Concat({test::Header(1, 2, 96), Track({})}),
         ReadStatus::Damaged},
        {"a track longer than the file",
         test::Concat({oneTrack, {'M', 'T', 'r', 'k', 0, 0, 1, 0, 0, 0x90}}), ReadStatus::Damaged},
        {"a RIFF MIDI file without its song",
         {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'R', 'M', 'I', 'D'},
         ReadStatus::Damaged},
        {"a RIFF song longer than the file",
         {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a', 9, 0, 0, 0},
         ReadStatus::Damaged},
        {"a delay of five bytes",
         test::Concat({oneTrack, test::Chunk("MTrk", {0x80, 0x80, 0x80, 0x80, 0, 0x90, 60, 100})}),
         ReadStatus::Damaged},
        {"data before any status", Smf(0, 96, {Track({{0, {60, 100}}})}), ReadStatus::Damaged},
        {"a status byte where data belongs", Smf(0, 96, {Track({{0, {0x90, 60, 0x90}}})}),
         ReadStatus::Damaged},
        {"a message cut by the track's end", Smf(0, 96, {Track({{0, {0x90, 60}}}, -1)}),
         ReadStatus::Damaged},
        {"a delay with nothing after it", Smf(0, 96, {Track({{5, {}}}, -1)}), ReadStatus::Damaged},
        {"an exclusive message longer than its track",
         Smf(0, 96, {Track({{0, {0xF0, 0x7F, 1, 2}}}, -1)}), ReadStatus::Damaged},
        {"a meta event longer than its track",
         Smf(0, 96, {Track({{0, {0xFF, 0x03, 0x81, 0x00, 'a'}}}, -1)}), ReadStatus::Damaged},
        {"a meta event without its type", Smf(0, 96, {Track({{0, {0xFF}}}, -1)}),
         ReadStatus::Damaged},
        {"a system message", Smf(0, 96, {Track({{0, {0xF2, 0, 0}}})}), ReadStatus::Damaged},
        {"a damaged second track", Smf(1, 96, {Track({{0, note}}), Track({{0, {0xF4}}})}),
         ReadStatus::Damaged},
    };
    const ConversionRules rules = Rules("velocity 50%");
    for (const Bad& bad : bads) {
        std::vector<std::uint8_t> out;
        SongSummary summary;
        EXPECT_EQ(ConvertSong(bad.file, rules, out, summary), bad.status) << bad.what;
        EXPECT_TRUE(out.empty()) << bad.what;
    }
}

}  // namespace
}  // namespace smfconverter
