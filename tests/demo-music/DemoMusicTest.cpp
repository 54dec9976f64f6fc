// The demo tunes render to a few seconds of sound each, and the Ogg Vorbis writer
// produces files that decode back to the same length, format and tags.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "DemoTunes.h"
#include "OggVorbisWriter.h"

namespace hgf::demo {
namespace {

namespace fs = std::filesystem;

double Rms(const std::vector<std::int16_t>& samples, int channel) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = static_cast<size_t>(channel); i < samples.size(); i += kChannels, ++n) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

TEST(DemoTunes, AreAFewSecondsOfAudibleStereoEach) {
    std::set<std::string> paths;
    int inSubFolder = 0;
    for (const Tune& tune : DemoTunes()) {
        SCOPED_TRACE(tune.title);
        const std::vector<std::int16_t> samples = Render(tune);
        ASSERT_EQ(samples.size(), static_cast<size_t>(FrameCount(tune)) * kChannels);
        const double seconds = static_cast<double>(FrameCount(tune)) / kSampleRate;
        EXPECT_GE(seconds, 3.0);
        EXPECT_LE(seconds, 15.0);
        const auto peak = *std::max_element(samples.begin(), samples.end(), [](auto a, auto b) {
            return std::abs(int{a}) < std::abs(int{b});
        });
        EXPECT_GT(std::abs(int{peak}), 20000);  // normalised near 0.8 of full scale
        EXPECT_LE(std::abs(int{peak}), 26300);
        EXPECT_GT(Rms(samples, 0), 1000.0);
        EXPECT_GT(Rms(samples, 1), 1000.0);
        EXPECT_NE(Rms(samples, 0), Rms(samples, 1));  // the voices are panned
        EXPECT_TRUE(paths.insert(tune.folder + "/" + tune.file).second);
        EXPECT_TRUE(tune.file.ends_with(".ogg"));
        if (!tune.folder.empty()) ++inSubFolder;
    }
    EXPECT_GE(paths.size(), 3u);
    EXPECT_GE(inSubFolder, 1);  // so the player shows a folder heading
}

class OggVorbisWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() /
            ("hgf-demo-music-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

TEST_F(OggVorbisWriterTest, RoundTripKeepsLengthFormatTagsAndSound) {
    const Tune tune = DemoTunes().front();
    const std::vector<std::int16_t> samples = Render(tune);
    const fs::path file = folder_ / tune.file;
    ASSERT_TRUE(WriteOggVorbis(file.string(), samples, kChannels, kSampleRate,
                               {tune.title, "Someone", "Some album"}));

    OggVorbis_File vf;
    ASSERT_EQ(ov_fopen(file.string().c_str(), &vf), 0);
    const vorbis_info* info = ov_info(&vf, -1);
    EXPECT_EQ(info->channels, 2);
    EXPECT_EQ(info->rate, 44100);
    EXPECT_EQ(ov_pcm_total(&vf, -1), FrameCount(tune));
    const char* title = vorbis_comment_query(ov_comment(&vf, -1), "TITLE", 0);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(std::string(title), tune.title);

    std::vector<std::int16_t> decoded;
    char buffer[8192];
    int section = 0;
    long got;
    while ((got = ov_read(&vf, buffer, sizeof(buffer), 0, 2, 1, &section)) > 0) {
        const auto* pcm = reinterpret_cast<const std::int16_t*>(buffer);
        decoded.insert(decoded.end(), pcm, pcm + got / 2);
    }
    ov_clear(&vf);
    ASSERT_EQ(decoded.size(), samples.size());
    // Lossy, but the loudness per channel survives within a few per cent.
    EXPECT_NEAR(Rms(decoded, 0), Rms(samples, 0), Rms(samples, 0) * 0.05);
    EXPECT_NEAR(Rms(decoded, 1), Rms(samples, 1), Rms(samples, 1) * 0.05);
}

TEST_F(OggVorbisWriterTest, RefusesWhatItCannotWrite) {
    const std::vector<std::int16_t> samples(2000, 0);
    EXPECT_FALSE(WriteOggVorbis((folder_ / "missing" / "a.ogg").string(), samples, 2, 44100, {}));
    EXPECT_FALSE(WriteOggVorbis((folder_ / "b.ogg").string(), {1, 2, 3}, 2, 44100, {}));
    EXPECT_FALSE(WriteOggVorbis((folder_ / "c.ogg").string(), samples, 0, 44100, {}));
}

}  // namespace
}  // namespace hgf::demo
