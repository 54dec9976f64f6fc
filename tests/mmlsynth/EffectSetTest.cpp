#include "EffectSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TextNormaliser.h"

namespace tonwerkel {
namespace {

// Compiles effect-file text the way a load does: normalised first.
EffectSet Compile(const std::string& source) {
    const std::vector<char> text = NormaliseText(source.data(), source.size());
    EffectSet set;
    compileEffects(set, text.data(), text.size());
    return set;
}

TEST(EffectSet, RecordFieldsFromOneSound) {
    const EffectSet set = Compile(
        "; a laser\r\n"
        "sound : @3, 60, 2, 3\r\n"
        "tone1 : 100, -50, 10, 0\r\n"
        "tone2 : 7, 8, 9, 1\r\n"
        "vol1  : 15, -15, 5, 1\n"
        "vol2  : 4, 2, 1, 0\n"
        "noise : 3, 20, -5, 4, 1\n");
    ASSERT_EQ(set.soundTable[3], 1);
    const EffectRecord& r = set.records[1];
    EXPECT_EQ(r.frames, 60);
    EXPECT_EQ(r.tone[0].startPeriod, 100);
    EXPECT_EQ(r.tone[0].sweep, -50);
    EXPECT_EQ(r.tone[0].sweepFrames, 20);  // tone scale 2 x 10
    EXPECT_TRUE(r.tone[0].repeat);         // "once" 0
    EXPECT_EQ(r.tone[1].sweepFrames, 18);
    EXPECT_FALSE(r.tone[1].repeat);
    EXPECT_EQ(r.volume[0].start, 15);
    EXPECT_EQ(r.volume[0].sweep, -15);
    EXPECT_EQ(r.volume[0].sweepFrames, 15);  // volume scale 3 x 5
    EXPECT_FALSE(r.volume[0].repeat);
    EXPECT_EQ(r.volume[1].sweepFrames, 3);
    EXPECT_TRUE(r.volume[1].repeat);
    EXPECT_EQ(r.noise.mode, 3);
    EXPECT_EQ(r.noise.startPeriod, 20);
    EXPECT_EQ(r.noise.sweep, -5);
    EXPECT_EQ(r.noise.sweepFrames, 8);  // tone scale
    EXPECT_FALSE(r.noise.repeat);
    EXPECT_EQ(r.next, 0);
}

TEST(EffectSet, ScalesAndMissingValues) {
    const EffectSet set = Compile(
        "SOUND:@0,10\n"  // tone scale missing counts as 1, volume scale missing is 0
        "TONE1:50,10,4\n"
        "VOL1:15,-15,15\n"
        "SOUND:@1,x,0,2\n"  // unreadable frames are 0
        "TONE2:+5,-0,3,7\n");
    EXPECT_EQ(set.records[1].tone[0].sweepFrames, 4);
    EXPECT_EQ(set.records[1].volume[0].sweepFrames, 0);
    EXPECT_TRUE(set.records[1].tone[0].repeat);  // "once" missing is 0
    EXPECT_EQ(set.records[2].frames, 0);
    EXPECT_EQ(set.records[2].tone[1].startPeriod, 5);
    EXPECT_EQ(set.records[2].tone[1].sweepFrames, 3);
    EXPECT_FALSE(set.records[2].tone[1].repeat);
}

TEST(EffectSet, ChainsGrowAtTheirEnd) {
    const EffectSet set = Compile(
        "SOUND:@5,1,1,1\n"
        "SOUND:2,1,1\n"  // no "@": continues sound 5
        "SOUND:@6,3,1,1\n"
        "SOUND:@5,4,1,1\n"  // back to sound 5: appended after record 2
        "SOUND:5,1,1\n");   // continues sound 5 again
    EXPECT_EQ(set.soundTable[5], 1);
    EXPECT_EQ(set.records[1].next, 2);
    EXPECT_EQ(set.records[2].next, 4);
    EXPECT_EQ(set.records[4].next, 5);
    EXPECT_EQ(set.records[5].next, 0);
    EXPECT_EQ(set.soundTable[6], 3);
    EXPECT_EQ(set.records[3].next, 0);
    EXPECT_EQ(set.records[5].frames, 5);
}

TEST(EffectSet, IgnoredLinesAndUnreachableRecords) {
    const EffectSet set = Compile(
        "TONE1:1,2,3,4\n"  // before any SOUND: the unplayed record 0
        "SOUND:9,1,1\n"    // no sound chosen yet: gets no record
        "TONE1:9,9,9,9\n"
        "SOUND:@64,9,1,1\n"  // sound number out of range: ignored with its lines
        "TONE1:8,8,8,8\n"
        "SOUND:@-1,9,1,1\n"
        "SOUND:@2,7,1,1\n"
        "TONE1\n"           // no ":"
        ";TONE1:5,5,5,5\n"  // comment
        "BOGUS:1,2,3\n"
        "TONE1:6,0,1,0\n");
    EXPECT_EQ(set.records[0].tone[0].startPeriod, 8);
    EXPECT_EQ(set.soundTable[2], 1);
    EXPECT_EQ(set.records[1].frames, 7);
    EXPECT_EQ(set.records[1].tone[0].startPeriod, 6);
    for (int s = 0; s < EffectSet::kSounds; ++s) {
        if (s != 2) {
            EXPECT_EQ(set.soundTable[s], 0) << s;
        }
    }
    EXPECT_EQ(set.records[2].frames, 0);
}

TEST(EffectSet, At128RecordsFurtherSoundsAreDropped) {
    std::string text;
    for (int i = 0; i < 130; ++i)
        text += "SOUND:@" + std::to_string(i % 64) + ",1,1,1\nTONE1:" + std::to_string(i + 1) +
                ",0,1,1\n";
    const EffectSet set = Compile(text);
    EXPECT_EQ(set.records[128].tone[0].startPeriod, 128);
    // Sound 0 holds records 1, 65 and nothing of the 129th line.
    EXPECT_EQ(set.soundTable[0], 1);
    EXPECT_EQ(set.records[1].next, 65);
    EXPECT_EQ(set.records[65].next, 0);
    EXPECT_EQ(set.records[0].tone[0].startPeriod, 130);  // overflow lines land in record 0
}

TEST(EffectSet, HugeNumbersAndLongHeaders) {
    const EffectSet set = Compile("SOUND:@0,99999999999999999999,1,1\n" + std::string(300, 'X') +
                                  ":1,2,3\n"
                                  "TONE1:-99999999999999999999,65537,2,0\n");
    EXPECT_EQ(set.soundTable[0], 1);
    EXPECT_EQ(set.records[1].frames, 0xFFFF);  // saturated, then kept as 16 bits
    EXPECT_EQ(set.records[1].tone[0].startPeriod, 0);
    EXPECT_EQ(set.records[1].tone[0].sweep, 1);
}

TEST(EffectSet, FirstAudibleRecordSkipsEmptyRecords) {
    const EffectSet set = Compile(
        "SOUND:@0,0,1,1\n"
        "SOUND:0,1,1\n"
        "SOUND:12,1,1\n"
        "SOUND:@1,0,1,1\n");
    EXPECT_EQ(set.firstAudibleRecord(0), 3);
    EXPECT_EQ(set.firstAudibleRecord(1), 0);  // only silent records
    EXPECT_EQ(set.firstAudibleRecord(2), 0);  // empty
    EXPECT_EQ(set.firstAudibleRecord(64), 0);
    EXPECT_EQ(set.firstAudibleRecord(-1), 0);

    // A hand-made cycle of silent records ends the search.
    EffectSet cycle;
    cycle.soundTable[0] = 1;
    cycle.records[1].next = 2;
    cycle.records[2].next = 1;
    EXPECT_EQ(cycle.firstAudibleRecord(0), 0);
}

}  // namespace
}  // namespace tonwerkel
