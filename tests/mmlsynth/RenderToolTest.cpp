#include "RenderTool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tonwerkel {
namespace {

namespace fs = std::filesystem;

TEST(RenderTool, SecondsBecomeWholeChunks) {
    EXPECT_EQ(ChunksForSeconds("10"), 81);  // 220500 / 2756 = 80.007...
    EXPECT_EQ(ChunksForSeconds("2.5"), 21);
    EXPECT_EQ(ChunksForSeconds(".125"), 2);                   // 2756.25 samples
    EXPECT_EQ(ChunksForSeconds("0.12498866"), std::nullopt);  // more than 6 decimals
    EXPECT_EQ(ChunksForSeconds("0.124988"), 1);
    EXPECT_EQ(ChunksForSeconds("0.124989"), 2);
    for (const char* bad : {"", "0", "-1", "1e3", "abc", "86401", "1.2.3", "."}) {
        EXPECT_EQ(ChunksForSeconds(bad), std::nullopt) << bad;
    }
}

TEST(RenderTool, CommandLine) {
    std::string error;
    auto o = ParseRenderOptions({"--seconds", "3", "a.mml", "b.wav"}, error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->chunks, 25);
    EXPECT_EQ(o->songPath, "a.mml");
    EXPECT_EQ(o->outputPath, "b.wav");
    o = ParseRenderOptions(
        {"--noise-seed", "1,3,255", "--sound", "63", "--effects", "e.dat", "a.mml", "b.wav"},
        error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->chunks, 81);
    EXPECT_EQ(o->sound, 63);
    EXPECT_EQ(o->effectsPath, "e.dat");
    EXPECT_EQ(*o->noiseSeed, (std::array<uint8_t, 3>{1, 3, 255}));
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"a.mml"},
                                               {"a.mml", "b.wav", "c"},
                                               {"--seconds", "a.mml", "b.wav"},
                                               {"--sound", "64", "a.mml", "b.wav"},
                                               {"--noise-seed", "1,2", "a.mml", "b.wav"},
                                               {"--noise-seed", "1,2,256", "a.mml", "b.wav"},
                                               {"--frobnicate", "a.mml", "b.wav"},
                                               {"a.mml", "b.wav", "--seconds"}}) {
        error.clear();
        EXPECT_FALSE(ParseRenderOptions(bad, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(RenderTool, WaveHeader) {
    const std::vector<uint8_t> w = EncodeWave({1, -2});
    ASSERT_EQ(w.size(), 48u);
    EXPECT_EQ(std::string(w.begin(), w.begin() + 4), "RIFF");
    EXPECT_EQ(w[4], 40);
    EXPECT_EQ(std::string(w.begin() + 8, w.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(w[20], 1);                   // PCM
    EXPECT_EQ(w[22], 1);                   // mono
    EXPECT_EQ(w[24] | w[25] << 8, 22050);  // rate
    EXPECT_EQ(w[34], 16);                  // bits
    EXPECT_EQ(std::string(w.begin() + 36, w.begin() + 40), "data");
    EXPECT_EQ(w[40], 4);
    EXPECT_EQ((std::vector<uint8_t>(w.begin() + 44, w.end())),
              (std::vector<uint8_t>{1, 0, 0xFE, 0xFF}));
}

class RenderToolRun : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tonwerkel-render-test-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& text) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    int Run(const std::vector<std::string>& args, std::string& message) {
        std::FILE* err = std::tmpfile();
        const int rc = RunRenderTool(args, err);
        std::rewind(err);
        char buf[1024] = {};
        message.assign(buf, std::fread(buf, 1, sizeof buf - 1, err));
        std::fclose(err);
        return rc;
    }
    fs::path dir_;
};

TEST_F(RenderToolRun, WritesTheRequestedChunks) {
    const std::string song = Write("s.mml", "4:c");
    const std::string out = (dir_ / "o.wav").string();
    std::string message;
    EXPECT_EQ(Run({"--seconds", "1", song, out}, message), 0) << message;
    EXPECT_EQ(fs::file_size(out), 44u + 9u * kChunkSamples * 2u);
}

TEST_F(RenderToolRun, OutputReplacesAnOlderFileWholeOrNotAtAll) {
    const std::string song = Write("s.mml", "4:c");
    const std::string out = Write("o.wav", "older");
    std::string message;
    EXPECT_EQ(Run({"--seconds", "1", song, out}, message), 0) << message;
    EXPECT_EQ(fs::file_size(out), 44u + 9u * kChunkSamples * 2u);

    // A folder in the way cannot be replaced: the new file is removed again.
    const fs::path folder = dir_ / "busy.wav";
    fs::create_directories(folder / "inside");
    EXPECT_EQ(Run({song, folder.string()}, message), 1);
    EXPECT_NE(message.find("cannot write"), std::string::npos) << message;
    EXPECT_TRUE(fs::is_directory(folder / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);
}

TEST_F(RenderToolRun, BadInputFailsClearly) {
    const std::string out = (dir_ / "o.wav").string();
    std::string message;
    EXPECT_EQ(Run({(dir_ / "missing.mml").string(), out}, message), 1);
    EXPECT_NE(message.find("cannot read"), std::string::npos) << message;

    EXPECT_EQ(Run({Write("empty.mml", "; nothing\nSOUND:1\n"), out}, message), 1);
    EXPECT_NE(message.find("no channel text"), std::string::npos) << message;

    EXPECT_EQ(Run({Write("s.mml", "4:c"), (dir_ / "no" / "such" / "o.wav").string()}, message), 1);
    EXPECT_NE(message.find("cannot write"), std::string::npos) << message;

    EXPECT_EQ(Run({"--effects", (dir_ / "e.dat").string(), Write("s.mml", "4:c"), out}, message),
              1);
    EXPECT_NE(message.find("cannot read"), std::string::npos) << message;

    EXPECT_EQ(Run({"only-one-argument"}, message), 2);
    EXPECT_NE(message.find("usage"), std::string::npos) << message;
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace tonwerkel
