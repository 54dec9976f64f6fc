// The FM and drum voices and the effect generator as the Synthesizer drives them: from song
// and effect-set text to samples.
#include "Synthesizer.h"

#include <gtest/gtest.h>

#include "RenderTool.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace tonwerkel {
namespace {

const std::string kDrumSet =
    "SOUND:@0,8,1,1\n"  // a: a falling square
    "TONE1:200,400,8,1\n"
    "VOL1:15,-15,8,1\n"
    "SOUND:@2,4,1,1\n"  // c: a noise burst
    "VOL2:12,-12,4,1\n"
    "NOISE:2,2,0,0,1\n";

std::vector<int16_t> RenderSong(Synthesizer& synth, const std::string& mml, int blocks) {
    synth.LoadSong(mml.data(), mml.size());
    synth.ResetForPlay();
    std::vector<int16_t> out(static_cast<size_t>(blocks) * kChunkSamples);
    for (int b = 0; b < blocks; ++b)
        synth.RenderBgmBlock(out.data() + b * kChunkSamples);
    return out;
}

std::vector<int16_t> RenderEffect(Synthesizer& synth, int* blocksWhileGenerating) {
    std::vector<int16_t> out;
    int blocks = 0;
    while (synth.EffectGenerating() && blocks < 100) {
        std::vector<int16_t> block(kChunkSamples, 1);
        synth.RenderEffectBlock(block.data());
        out.insert(out.end(), block.begin(), block.end());
        ++blocks;
    }
    *blocksWhileGenerating = blocks;
    return out;
}

int Peak(const std::vector<int16_t>& s, size_t from = 0, size_t to = SIZE_MAX) {
    int peak = 0;
    for (size_t i = from; i < std::min(to, s.size()); ++i)
        peak = std::max(peak, std::abs(s[i]));
    return peak;
}

int Highest(const std::vector<int16_t>& s, size_t from = 0, size_t to = SIZE_MAX) {
    int highest = 0;
    for (size_t i = from; i < std::min(to, s.size()); ++i)
        highest = std::max<int>(highest, s[i]);
    return highest;
}

TEST(SynthesizerVoices, FmChannelsPlayTonesFromTheSong) {
    Synthesizer synth;
    // Without a tone, o4 A is the plain sine: peak 959 at volume 15, silent after the gate.
    std::vector<int16_t> s = RenderSong(synth, "1:t120 v15 o4 a4 r4\n", 4);
    EXPECT_EQ(Highest(s, 0, 8764), 959);
    EXPECT_EQ(Peak(s, 8764, 10016), 0);

    // "@1" selects the tone defined by SOUND/LFO/OP lines: algorithm 7, one carrier at TL 0.
    const std::string tone =
        "SOUND:@1\n"
        "LFO:0,0,0,7,0\n"
        "OP1:0,0,0,15,0,127,0,1,0,0\n"
        "OP2:0,0,0,15,0,127,0,1,0,0\n"
        "OP3:0,0,0,15,0,127,0,1,0,0\n"
        "OP4:31,0,0,15,0,0,0,1,0,0\n";
    s = RenderSong(synth, tone + "1:t120 @1 o4 a4\n", 4);
    EXPECT_GE(Highest(s, 0, 8764), 3830);
    EXPECT_LE(Highest(s), 3839);

    // The three FM channels mix by plain addition.
    const std::vector<int16_t> three =
        RenderSong(synth, tone + "1:t120 @1 o4 a4\n2:@1 o4 a4\n3:@1 o4 a4\n", 4);
    for (size_t i = 0; i < s.size(); ++i)
        ASSERT_EQ(three[i], static_cast<int16_t>(3 * s[i])) << i;
}

TEST(SynthesizerVoices, DrumsPlayTheEffectSet) {
    Synthesizer synth;
    synth.SetNoiseSeed({1, 3, 5});
    // Without an effect set the drum channel is silent.
    EXPECT_EQ(Peak(RenderSong(synth, "D:t120 a4 c4\n", 4)), 0);

    ASSERT_TRUE(synth.LoadEffects(kDrumSet.data(), kDrumSet.size()));
    std::vector<int16_t> s = RenderSong(synth, "D:t120 a4 c4\n", 4);
    // "a" plays sound 0 (8 frames) at half amplitude, then "c" sound 2 from tick 16.
    EXPECT_EQ(Peak(s, 0, 200), 3360);
    EXPECT_EQ(Peak(s, 8 * 367, 10016), 0);
    EXPECT_GT(Peak(s, 10016, 10016 + 4 * 367), 1000);
    EXPECT_EQ(Peak(s, 10016 + 4 * 367, 2 * 10016), 0);

    // Notes without a sound (d: sound 3) and rests stay silent; octave plays no part.
    EXPECT_EQ(Peak(RenderSong(synth, "D:t120 d4 r4\n", 4)), 0);
    EXPECT_EQ(RenderSong(synth, "D:t120 o2 a4\n", 2), RenderSong(synth, "D:t120 o7 a4\n", 2));
}

TEST(SynthesizerVoices, EffectBlocksRunToTheEndOfTheChain) {
    const std::string set =
        "SOUND:@5,60,1,1\n"
        "TONE1:300,0,60,0\n"
        "VOL1:15,0,0,1\n"
        "SOUND:@6,0,1,1\n"  // no frames: the sound starts at its second record
        "TONE1:900,0,1,0\n"
        "SOUND:2,1,1\n"
        "TONE1:0,0,2,0\n"
        "VOL1:15,0,0,1\n"
        "SOUND:@7,0,1,1\n";  // silent
    Synthesizer synth;
    synth.LoadEffects(set.data(), set.size());
    EXPECT_FALSE(synth.EffectGenerating());

    ASSERT_TRUE(synth.StartEffect(5));
    int blocks = 0;
    std::vector<int16_t> s = RenderEffect(synth, &blocks);
    // 60 frames last 22020 samples: seven full blocks and most of the eighth.
    EXPECT_EQ(blocks, 8);
    EXPECT_GT(Peak(s, 22020 - 100, 22020), 6000);
    EXPECT_EQ(Peak(s, 22020, s.size()), 0);
    std::vector<int16_t> after(kChunkSamples, 7);
    synth.RenderEffectBlock(after.data());
    EXPECT_EQ(Peak(after), 0);

    ASSERT_TRUE(synth.StartEffect(6));
    s = RenderEffect(synth, &blocks);
    EXPECT_EQ(blocks, 1);
    EXPECT_EQ(s[10], -6720);  // the second record: period 0 holds -f
    EXPECT_EQ(s[2 * 367 - 1], -6720);
    EXPECT_EQ(Peak(s, 2 * 367, s.size()), 0);

    for (int refused : {7, 8, 63, 64, -1, 1000}) {
        EXPECT_FALSE(synth.StartEffect(refused)) << refused;
        EXPECT_FALSE(synth.EffectGenerating());
    }

    // A new effect set stops the playing effect.
    ASSERT_TRUE(synth.StartEffect(5));
    synth.LoadEffects(set.data(), set.size());
    EXPECT_FALSE(synth.EffectGenerating());
}

TEST(SynthesizerVoices, NoiseSeedReproducesEffectsAndDrums) {
    const std::string set =
        "SOUND:@0,20,1,1\n"
        "VOL1:15,0,0,1\n"
        "NOISE:1,6,10,20,1\n";
    const auto render = [&](NoiseRunGenerator::Seed seed) {
        Synthesizer synth;
        synth.SetNoiseSeed(seed);
        synth.LoadEffects(set.data(), set.size());
        synth.StartEffect(0);
        int blocks = 0;
        std::vector<int16_t> s = RenderEffect(synth, &blocks);
        const std::vector<int16_t> drums = RenderSong(synth, "D:t120 a4 a4\n", 3);
        s.insert(s.end(), drums.begin(), drums.end());
        return s;
    };
    const std::vector<int16_t> first = render({200, 5, 17});
    EXPECT_EQ(render({200, 5, 17}), first);
    EXPECT_NE(render({201, 5, 17}), first);
}

TEST(SynthesizerVoices, RendererPlaysEffectsAndDrums) {
    const std::string dir = HGF_TEST_DATA_DIR "/mmlsynth/";
    const auto render = [&](std::vector<std::string> args, std::vector<int16_t>& samples) {
        args.push_back("out.wav");
        std::string error;
        const std::optional<RenderOptions> options = ParseRenderOptions(args, error);
        if (!options) return -1;
        std::FILE* err = std::tmpfile();
        const int rc = RenderFromOptions(*options, samples, err);
        std::fclose(err);
        return rc;
    };
    std::vector<int16_t> coin;
    // The coin: 5 + 24 frames = 10643 samples, in the four blocks PlaySound would write.
    ASSERT_EQ(render({"--effects", dir + "effects.dat", "--sound", "11"}, coin), 0);
    EXPECT_EQ(coin.size(), 4u * kChunkSamples);
    EXPECT_GT(Peak(coin, 10000, 10643), 0);
    EXPECT_EQ(Peak(coin, 10643, coin.size()), 0);

    // --seconds bounds a sound; a seed reproduces its noise.
    std::vector<int16_t> a, b, c;
    const std::vector<std::string> boom = {"--effects", dir + "effects.dat", "--sound",
                                           "12",        "--seconds",         "0.2"};
    ASSERT_EQ(render(boom, a), 0);
    EXPECT_EQ(a.size(), 2u * kChunkSamples);
    std::vector<std::string> seeded = boom;
    seeded.insert(seeded.end(), {"--noise-seed", "9,3,77"});
    ASSERT_EQ(render(seeded, b), 0);
    ASSERT_EQ(render(seeded, c), 0);
    EXPECT_EQ(b, c);

    // The song's drums need the effect set.
    std::vector<int16_t> withKit, withoutKit;
    ASSERT_EQ(
        render({"--seconds", "1", "--effects", dir + "effects.dat", dir + "drums.mml"}, withKit),
        0);
    ASSERT_EQ(render({"--seconds", "1", dir + "drums.mml"}, withoutKit), 0);
    EXPECT_NE(withKit, withoutKit);

    std::vector<int16_t> none;
    EXPECT_EQ(render({"--sound", "10"}, none), 2);  // no effect set
    EXPECT_EQ(render({"--effects", dir + "effects.dat", "--sound", "9"}, none), 1);  // empty
    EXPECT_EQ(render({"--effects", dir + "missing.dat", "--sound", "10"}, none), 1);
}

}  // namespace
}  // namespace tonwerkel
