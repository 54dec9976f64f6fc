#include "Synthesizer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "RenderTool.h"

namespace tonwerkel {
namespace {

std::vector<int16_t> Render(const std::string& text, int chunks) {
    Synthesizer synth;
    synth.LoadSong(text.data(), text.size());
    return RenderSongChunks(synth, chunks);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(Synthesizer, AQuarterNoteLasts10016SamplesAndSounds8764) {
    const std::vector<int16_t> s = Render("4:c", 8);
    size_t lastSound = 0;
    for (size_t i = 0; i < 10016; ++i) {
        if (s[i] != 0) lastSound = i;
    }
    EXPECT_GE(lastSound, 8764u - 30);  // the wave may cross zero just before the gate ends
    EXPECT_LT(lastSound, 8764u);
    EXPECT_EQ(s[8764], 0);
    // The song repeats: the next c starts right at 10016.
    EXPECT_NE(s[10016], 0);
    EXPECT_EQ(s[10015], 0);
}

TEST(Synthesizer, ChannelsMixIntoOneStream) {
    const std::vector<int16_t> one = Render("4:v15 o4 a1", 4);
    const std::vector<int16_t> two = Render("4:v15 o4 a1\n5:v15 o4 a1", 4);
    for (size_t i = 0; i < one.size(); ++i)
        ASSERT_EQ(two[i], 2 * one[i]) << i;
    int peak = 0;
    for (int16_t v : one)
        peak = std::max(peak, std::abs(v));
    EXPECT_EQ(peak, 3149);
}

TEST(Synthesizer, SilentUntilResetAfterALoadAndTonesSurviveALoad) {
    Synthesizer synth;
    const std::string a = "SOUND:2\nLFO:0,0,0,6,3\n4:c1";
    synth.LoadSong(a.data(), a.size());
    std::vector<int16_t> block(kChunkSamples, 1);
    synth.RenderBgmBlock(block.data());  // not reset yet: nothing plays
    EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](int16_t v) { return v == 0; }));
    synth.ResetForPlay();
    synth.RenderBgmBlock(block.data());
    EXPECT_TRUE(std::any_of(block.begin(), block.end(), [](int16_t v) { return v != 0; }));

    const std::string b = "5:d";
    synth.LoadSong(b.data(), b.size());
    EXPECT_EQ(synth.tones()[2].algorithm, 6);
    EXPECT_TRUE(synth.song().channels[4].empty());
    synth.RenderBgmBlock(block.data());  // the old read positions are gone
    EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](int16_t v) { return v == 0; }));
    EXPECT_TRUE(synth.HasChannels());
}

TEST(Synthesizer, GoldenRendersMatchByteForByte) {
    const std::string dir = HGF_TEST_DATA_DIR "/mmlsynth/";
    std::ifstream list(dir + "golden.txt");
    ASSERT_TRUE(list) << dir;
    std::string line;
    int songs = 0;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') continue;
        // NAME SECONDS [OPTIONS]: options name files of the data folder; --sound has no song.
        std::istringstream fields(line);
        std::string name, seconds, option;
        fields >> name >> seconds;
        std::vector<std::string> args = {"--seconds", seconds};
        bool song = true;
        while (fields >> option) {
            const bool file = option.size() > 4 && option.substr(option.size() - 4) == ".dat";
            args.push_back(file ? dir + option : option);
            song = song && option != "--sound";
        }
        if (song) args.push_back(dir + name + ".mml");
        args.push_back(name + ".wav");
        std::string error;
        const std::optional<RenderOptions> options = ParseRenderOptions(args, error);
        ASSERT_TRUE(options) << name << ": " << error;
        std::vector<int16_t> samples;
        ASSERT_EQ(RenderFromOptions(*options, samples, stderr), 0) << name;
        EXPECT_TRUE(EncodeWave(samples) == ReadFile(dir + name + ".wav")) << name;
        ++songs;
    }
    EXPECT_GE(songs, 3);
}

}  // namespace
}  // namespace tonwerkel
