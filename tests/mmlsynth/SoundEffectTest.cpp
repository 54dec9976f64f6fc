#include "SoundEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "DramSound.h"
#include "Tables.h"
#include "TextNormaliser.h"

namespace tonwerkel {
namespace {

constexpr int kFrame = TSoundEffect::kSamplesPerFrame;

EffectSet Compile(const std::string& source) {
    const std::vector<char> text = NormaliseText(source.data(), source.size());
    EffectSet set;
    compileEffects(set, text.data(), text.size());
    return set;
}

// Plays a sound's chain from its first audible record into a buffer of `capacity`
// samples; returns the samples up to where the chain ended.
std::vector<int16_t> PlayChain(const EffectSet& set, int sound, NoiseRunGenerator& runs,
                               size_t capacity = 100000) {
    TSoundEffect effect(runs, 0);
    std::vector<int16_t> out(capacity, 0);
    const int first = set.firstAudibleRecord(sound);
    if (first == 0) return {};
    effect.start(set, first);
    int16_t* end = effect.generateChain(out.data(), out.data() + out.size());
    out.resize(static_cast<size_t>(end - out.data()));
    return out;
}

std::vector<int16_t> PlayChain(const EffectSet& set, int sound, size_t capacity = 100000) {
    NoiseRunGenerator runs({0, 1, 0});
    return PlayChain(set, sound, runs, capacity);
}

int Peak(const std::vector<int16_t>& s, size_t from, size_t to) {
    int peak = 0;
    for (size_t i = from; i < std::min(to, s.size()); ++i)
        peak = std::max(peak, std::abs(s[i]));
    return peak;
}

// Number of level flips of a square: sign changes between samples.
int Flips(const std::vector<int16_t>& s, size_t from, size_t to) {
    int flips = 0;
    for (size_t i = from + 1; i < std::min(to, s.size()); ++i) {
        flips += (s[i - 1] < 0) != (s[i] < 0);
    }
    return flips;
}

TEST(SoundEffect, FramesSetTheLengthAndPeriodTheFrequency) {
    const EffectSet set = Compile(
        "SOUND:@0,60,1,1\n"
        "TONE1:284,0,60,0\n"  // about 250000 / 569 = 439 Hz
        "VOL1:15,0,0,1\n");
    const std::vector<int16_t> s = PlayChain(set, 0);
    ASSERT_EQ(s.size(), 22020u);  // 60 frames of 367 samples
    // One effect channel at volume 15 peaks at 2 x 210 x 16.
    EXPECT_EQ(Peak(s, 0, s.size()), 6720);
    const double hz = Flips(s, 0, s.size()) / 2.0 / (22020.0 / 22050.0);
    EXPECT_NEAR(hz, 250000.0 / (2 * 284 + 1), 3.0);
}

TEST(SoundEffect, SilentAndConstantChannels) {
    // Sweep frames 0 silences the tone: no flips, one constant level.
    const EffectSet silent = Compile(
        "SOUND:@0,10,1,1\n"
        "TONE1:100,0,0,0\n"
        "VOL1:15,0,0,1\n");
    std::vector<int16_t> s = PlayChain(silent, 0);
    ASSERT_EQ(s.size(), 10u * kFrame);
    EXPECT_TRUE(std::all_of(s.begin(), s.end(), [&](int16_t v) { return v == s[0]; }));

    // Period 0 reaches the increment cap: bit 15 never changes, the level holds at -f.
    const EffectSet held = Compile(
        "SOUND:@0,10,1,1\n"
        "TONE1:0,0,10,0\n"
        "VOL1:15,0,0,1\n");
    s = PlayChain(held, 0);
    EXPECT_TRUE(std::all_of(s.begin(), s.end(), [](int16_t v) { return v == -6720; }));

    // A negative start period plays as period 0 instead of a wild frequency.
    const EffectSet negative = Compile(
        "SOUND:@0,10,1,1\n"
        "TONE1:-1,0,10,0\n"
        "VOL1:15,0,0,1\n");
    EXPECT_EQ(PlayChain(negative, 0), s);

    // Volume 0 on both channels is true silence.
    const EffectSet quiet = Compile(
        "SOUND:@0,10,1,1\n"
        "TONE1:100,0,10,0\n"
        "TONE2:50,0,10,0\n");
    s = PlayChain(quiet, 0);
    EXPECT_EQ(Peak(s, 0, s.size()), 0);
}

TEST(SoundEffect, VolumeSweepFallsOneStepPerFrame) {
    const EffectSet set = Compile(
        "SOUND:@0,20,1,1\n"
        "TONE1:400,0,20,0\n"
        "VOL1:15,-15,15,1\n");
    const std::vector<int16_t> s = PlayChain(set, 0);
    ASSERT_EQ(s.size(), 20u * kFrame);
    // The k-th frame tick (at the last sample of frame k) sets volume 15 - k.
    EXPECT_EQ(Peak(s, 0, kFrame - 1), 32 * kVolumeTable[15]);
    for (int k = 1; k < 15; ++k) {
        const size_t from = static_cast<size_t>(k * kFrame - 1), to = from + kFrame;
        EXPECT_EQ(Peak(s, from, to), 32 * kVolumeTable[15 - k]) << "frame " << k;
    }
    EXPECT_GT(Peak(s, 5504 - kFrame, 5504), 0);
    EXPECT_EQ(Peak(s, 5505, s.size()), 0);  // silent after the 15th frame
}

TEST(SoundEffect, ToneSweepAndRepeat) {
    // The period falls from 400 to 100 over 30 frames: the pitch rises; with repeat it
    // starts over.
    const EffectSet set = Compile(
        "SOUND:@0,62,1,1\n"
        "TONE1:400,-300,30,0\n"
        "VOL1:15,0,0,1\n"
        "SOUND:@1,62,1,1\n"
        "TONE1:400,-300,30,1\n"
        "VOL1:15,0,0,1\n");
    const std::vector<int16_t> repeat = PlayChain(set, 0);
    const std::vector<int16_t> once = PlayChain(set, 1);
    const auto window = [](int frame) { return static_cast<size_t>(frame * kFrame); };
    EXPECT_GT(Flips(once, window(25), window(28)), 2 * Flips(once, window(1), window(4)));
    // Frames 31 and on: the repeating sweep is low again, the single one stays high.
    EXPECT_LT(Flips(repeat, window(33), window(36)), Flips(once, window(33), window(36)) / 2);
    EXPECT_NEAR(Flips(repeat, window(1), window(4)), Flips(repeat, window(32), window(35)), 1);
}

TEST(SoundEffect, ChainsPlayTheirRecordsInOrder) {
    // The first record has no frames: the sound starts at its second.
    const EffectSet set = Compile(
        "SOUND:@0,0,1,1\n"
        "TONE1:30,0,1,0\n"
        "VOL1:15,0,0,1\n"
        "SOUND:2,1,1\n"
        "TONE1:0,0,1,0\n"
        "VOL1:15,0,0,1\n"
        "SOUND:3,1,1\n"
        "TONE1:0,0,1,0\n"
        "VOL1:10,0,0,1\n");
    EXPECT_EQ(set.firstAudibleRecord(0), 2);
    const std::vector<int16_t> s = PlayChain(set, 0);
    ASSERT_EQ(s.size(), 5u * kFrame);
    EXPECT_EQ(s[0], -6720);
    EXPECT_EQ(s[2 * kFrame - 1], -6720);
    EXPECT_EQ(s[2 * kFrame], -2 * 16 * kVolumeTable[10]);
    EXPECT_EQ(s.back(), -2 * 16 * kVolumeTable[10]);

    // A chain whose records all lack frames ends at once; a hand-made cycle of such
    // records cannot hang the generator.
    EffectSet cycle;
    cycle.records[1].next = 2;
    cycle.records[2].next = 1;
    NoiseRunGenerator runs;
    TSoundEffect effect(runs, 0);
    int16_t buffer[16] = {};
    effect.start(cycle, 1);
    EXPECT_EQ(effect.generateChain(buffer, buffer + 16), buffer);
    EXPECT_FALSE(effect.playing());
}

TEST(SoundEffect, EdgesAreSmoothedOverFiveSamples) {
    const EffectSet set = Compile(
        "SOUND:@0,2,1,1\n"
        "TONE1:100,0,2,0\n"
        "VOL1:15,0,0,1\n");
    const std::vector<int16_t> s = PlayChain(set, 0);
    auto rise = std::find_if(s.begin(), s.end(), [](int16_t v) { return v > -6720; });
    ASSERT_NE(rise, s.end());
    // f = 3360, output 2 * f * C / 256 along C[29], C[23], C[17], C[11], C[5], then +f.
    const int expected[] = {-6456, -5066, -524, 4592, 6326, 6720};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(rise[i], expected[i]) << i;
}

TEST(SoundEffect, NoiseFollowsItsSeed) {
    const EffectSet set = Compile(
        "SOUND:@0,30,1,1\n"
        "VOL1:15,0,0,1\n"
        "NOISE:1,8,0,0,1\n");  // noise on silent tone channel 1
    NoiseRunGenerator a({17, 3, 250}), b({17, 3, 250}), c({90, 5, 1});
    const std::vector<int16_t> first = PlayChain(set, 0, a);
    const std::vector<int16_t> again = PlayChain(set, 0, b);
    const std::vector<int16_t> other = PlayChain(set, 0, c);
    ASSERT_EQ(first.size(), 30u * kFrame);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    // The noise flips the level at random, many times a second, between -f and +f.
    EXPECT_GT(Flips(first, 0, first.size()), 1000);
    EXPECT_EQ(Peak(first, 0, first.size()), 6720);
    // The generator goes on where it stopped: a second play differs from the first.
    EXPECT_NE(PlayChain(set, 0, a), first);
    // A random seed keeps the step odd, so the walk reaches every run of the table.
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(NoiseRunGenerator::randomSeed().step % 2, 1);
}

TEST(DramSound, DrumNotesPlayEffectsAtHalfAmplitude) {
    const EffectSet set = Compile(
        "SOUND:@0,6,1,1\n"
        "TONE1:60,30,6,1\n"
        "VOL1:15,-12,6,1\n"
        "NOISE:2,4,2,6,1\n"
        "VOL2:12,0,0,1\n");
    NoiseRunGenerator drumRuns({5, 7, 9}), effectRuns({5, 7, 9});
    TDramSound drum(set, drumRuns);
    drum.Reset();
    drum.note = 0;  // drum text "a"
    drum.length = 16;
    drum.quantize = 0;  // does not apply to drums
    drum.volume = 3;
    drum.KeyOn();
    EXPECT_EQ(drum.remaining, 16 * 626);
    std::vector<int16_t> s(16 * 626, 0);
    ASSERT_EQ(drum.Render(s.data(), s.data() + s.size()), s.data() + s.size());
    EXPECT_EQ(drum.remaining, 0);

    const std::vector<int16_t> effect = PlayChain(set, 0, effectRuns);
    ASSERT_EQ(effect.size(), 6u * kFrame);
    for (size_t i = 0; i < effect.size(); ++i) {
        ASSERT_NEAR(2 * s[i], effect[i], 4) << i;
    }
    EXPECT_GT(Peak(s, 0, effect.size()), 3000);
    EXPECT_EQ(Peak(s, effect.size(), s.size()), 0);  // the chain ended before the note
}

TEST(DramSound, NotesCutDrumsAndUnknownDrumsAreSilent) {
    const EffectSet set = Compile(
        "SOUND:@1,60,1,1\n"
        "TONE1:80,0,60,0\n"
        "VOL1:15,0,0,1\n");
    NoiseRunGenerator runs;
    TDramSound drum(set, runs);
    drum.Reset();
    drum.note = 1;  // "b"
    drum.length = 4;
    drum.KeyOn();
    std::vector<int16_t> s(4 * 626 + 100, 0);
    // Rendered in two pieces: the note ends at its duration, not at the block end.
    int16_t* middle = drum.Render(s.data(), s.data() + 1000);
    ASSERT_EQ(middle, s.data() + 1000);
    ASSERT_EQ(drum.Render(middle, s.data() + s.size()), s.data() + 4 * 626);
    EXPECT_GT(Peak(s, 0, 4 * 626), 3000);
    EXPECT_EQ(Peak(s, 4 * 626, s.size()), 0);

    for (uint8_t note : {uint8_t{0}, uint8_t{6}, uint8_t{255}}) {
        drum.note = note;  // no sound 0 or 6 in this set; 255 is a rest
        drum.KeyOn();
        std::fill(s.begin(), s.end(), 0);
        ASSERT_EQ(drum.Render(s.data(), s.data() + s.size()), s.data() + 4 * 626);
        EXPECT_EQ(Peak(s, 0, s.size()), 0);
    }

    const EffectSet empty;
    TDramSound unloaded(empty, runs);
    unloaded.Reset();
    unloaded.note = 0;
    unloaded.KeyOn();
    std::fill(s.begin(), s.end(), 0);
    unloaded.Render(s.data(), s.data() + s.size());
    EXPECT_EQ(Peak(s, 0, s.size()), 0);
}

}  // namespace
}  // namespace tonwerkel
