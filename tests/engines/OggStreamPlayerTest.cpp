// The Ogg Vorbis stream player against a recording output: what reaches the device,
// in which format and order, and what happens with files it cannot play.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <thread>

#include "FakeWaveOutput.h"
#include "MemoryFileSystem.h"
#include "OggTestFiles.h"
#include "engines/OggStreamPlayer.h"
#include "engines/PcmConversion.h"

namespace hgf {
namespace {

using namespace std::chrono_literals;
using test::EncodeTone;
using test::FakeWaveOutput;
using test::ToneOptions;

template <typename Predicate>
bool WaitUntil(Predicate done, int timeoutMs = 10000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

class OggStreamPlayerTest : public ::testing::Test {
  protected:
    const std::string path = "C:\\music\\tone.ogg";

    void AddFile(const std::string& bytes) { files.AddFile(path, bytes); }

    // Plays the file to its end with a device that plays every buffer at once.
    std::vector<std::int16_t> PlayToEnd(float gain = 1.0f) {
        output.SetAutoComplete(true);
        EXPECT_TRUE(player.Open(path));
        player.SetGain(gain);
        player.Start();
        EXPECT_TRUE(WaitUntil([&] { return player.Finished(); }));
        player.Close();
        return output.Samples();
    }

    test::MemoryFileSystem files;
    FakeWaveOutput output;
    OggStreamPlayer player{files, output};
};

TEST(OggSampleConversion, ScalesTruncatesClampsThenAppliesGain) {
    EXPECT_EQ(FloatToPcm16(1.0f, 1.0f), 32767);
    EXPECT_EQ(FloatToPcm16(-1.0f, 1.0f), -32767);
    EXPECT_EQ(FloatToPcm16(1.5f, 1.0f), 32767);
    EXPECT_EQ(FloatToPcm16(-1.5f, 1.0f), -32768);
    EXPECT_EQ(FloatToPcm16(0.5f, 1.0f), 16383);    // 16383.5 truncated
    EXPECT_EQ(FloatToPcm16(-0.5f, 1.0f), -16383);  // toward zero
    EXPECT_EQ(FloatToPcm16(1.0f, 0.5f), 16383);
    EXPECT_EQ(FloatToPcm16(-2.0f, 0.5f), -16384);
    EXPECT_EQ(FloatToPcm16(0.9f, 0.0f), 0);
    EXPECT_EQ(FloatToPcm16(std::numeric_limits<float>::infinity(), 1.0f), 32767);
    EXPECT_EQ(FloatToPcm16(std::numeric_limits<float>::quiet_NaN(), 1.0f), 0);
}

TEST_F(OggStreamPlayerTest, OpensTheDeviceInTheStreamsFormatAndStaysHeld) {
    AddFile(EncodeTone({.channels = 1, .rate = 22050, .seconds = 1.0}));
    ASSERT_TRUE(player.Open(path));
    EXPECT_EQ(output.Format(), (PcmFormat{1, 22050, 16, 2, 44100}));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(output.WriteCount(), 0u);  // held until Start
    player.Close();
    EXPECT_FALSE(output.IsOpen());
    EXPECT_EQ(files.OpenFileCount(), 0);

    AddFile(EncodeTone({.channels = 2, .rate = 44100, .seconds = 0.5}));
    ASSERT_TRUE(player.Open(path));
    EXPECT_EQ(output.Format(), (PcmFormat{2, 44100, 16, 4, 176400}));
}

TEST_F(OggStreamPlayerTest, WritesExactlyTheDecodedSamplesInOrder) {
    const std::string bytes =
        EncodeTone({.channels = 2, .rate = 44100, .seconds = 2.0, .noise = 0.1});
    AddFile(bytes);
    const auto expected = test::DecodeReference(bytes);
    ASSERT_EQ(expected.size(), 2u * 88200u);
    EXPECT_EQ(PlayToEnd(), expected);
    // Every buffer but the last holds a quarter of a second.
    const auto sizes = output.WriteSizes();
    ASSERT_GE(sizes.size(), 8u);
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i)
        EXPECT_EQ(sizes[i], 44100u);
    EXPECT_EQ(files.OpenFileCount(), 0);
}

TEST_F(OggStreamPlayerTest, SamplesThatDoNotFitABufferGoToTheNextOne) {
    // A quiet low-bitrate tone: one 4096-byte chunk holds more than a buffer of samples.
    const std::string bytes = EncodeTone(
        {.channels = 2, .rate = 44100, .seconds = 8.0, .amplitude = 0.2, .quality = -0.1f});
    AddFile(bytes);
    const auto expected = test::DecodeReference(bytes);
    EXPECT_EQ(PlayToEnd(), expected);
    const auto sizes = output.WriteSizes();
    EXPECT_TRUE(std::count(sizes.begin(), sizes.end(), 44100u) > 0)
        << "no buffer was filled to the brim, so the overflow path did not run";
}

TEST_F(OggStreamPlayerTest, PauseLetsQueuedBuffersPlayOutAndStartResumesWithoutAGap) {
    const std::string bytes =
        EncodeTone({.channels = 2, .rate = 44100, .seconds = 6.0, .noise = 0.2});
    AddFile(bytes);
    ASSERT_TRUE(player.Open(path));
    player.Start();
    ASSERT_TRUE(output.WaitForWrites(4));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(output.WriteCount(), 4u);  // no fifth buffer while four are queued
    EXPECT_EQ(player.QueuedBuffers(), 4);

    player.Pause();
    while (output.CompleteOldest()) {
    }
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(output.WriteCount(), 4u);  // held: the device ran dry, nothing more came
    EXPECT_EQ(player.QueuedBuffers(), 0);
    EXPECT_FALSE(player.Finished());

    player.Start();
    ASSERT_TRUE(output.WaitForWrites(5));
    output.SetAutoComplete(true);
    ASSERT_TRUE(WaitUntil([&] { return player.Finished(); }));
    player.Close();
    EXPECT_EQ(output.Samples(), test::DecodeReference(bytes));
}

TEST_F(OggStreamPlayerTest, AStartPositionDropsExactlyTheFramesBeforeItAndIsReported) {
    const std::string bytes = EncodeTone({.channels = 2, .rate = 22050, .seconds = 3.0});
    AddFile(bytes);
    const auto whole = test::DecodeReference(bytes);
    const std::int64_t wholeMs = static_cast<std::int64_t>(whole.size() / 2 * 1000 / 22050);
    struct Case {
        std::int64_t ms;
        std::size_t firstFrame;
        std::int64_t heldMs;  // PositionMs before Start (whole frames)
    } cases[] = {{1500, 33075, 1500},
                 {1, 22, 0},
                 {0, 0, 0},
                 {wholeMs + 1000, whole.size() / 2, wholeMs + 1000}};  // plays nothing
    output.SetAutoComplete(true);
    for (const Case& c : cases) {
        const std::size_t before = output.Samples().size();
        ASSERT_TRUE(player.Open(path));
        EXPECT_EQ(player.SeekMs(c.ms), c.ms > 0);
        EXPECT_EQ(player.PositionMs(), c.heldMs) << c.ms;
        player.Start();
        EXPECT_FALSE(player.SeekMs(500));  // too late: the feeder runs
        ASSERT_TRUE(WaitUntil([&] { return player.Finished(); })) << c.ms;
        if (c.ms <= wholeMs) {
            EXPECT_EQ(player.PositionMs(), wholeMs) << c.ms;
        }
        player.Close();
        const auto samples = output.Samples();
        EXPECT_EQ(std::vector<std::int16_t>(samples.begin() + before, samples.end()),
                  std::vector<std::int16_t>(whole.begin() + 2 * c.firstFrame, whole.end()))
            << c.ms;
    }
}

TEST_F(OggStreamPlayerTest, GainScalesLaterSamplesAndIgnoresValuesAboveOne) {
    const std::string bytes = EncodeTone({.channels = 1, .rate = 22050, .seconds = 1.0});
    AddFile(bytes);
    output.SetAutoComplete(true);
    ASSERT_TRUE(player.Open(path));
    player.SetGain(0.5f);
    player.SetGain(1.5f);  // ignored
    player.Start();
    ASSERT_TRUE(WaitUntil([&] { return player.Finished(); }));
    player.Close();
    EXPECT_EQ(output.Samples(), test::DecodeReference(bytes, 0.5f));

    FakeWaveOutput silentOutput(true);
    OggStreamPlayer silent(files, silentOutput);
    ASSERT_TRUE(silent.Open(path));
    silent.SetGain(0.0f);
    silent.Start();
    ASSERT_TRUE(WaitUntil([&] { return silent.Finished(); }));
    const auto samples = silentOutput.Samples();
    EXPECT_FALSE(samples.empty());
    EXPECT_TRUE(std::all_of(samples.begin(), samples.end(), [](std::int16_t s) { return s == 0; }));
}

TEST_F(OggStreamPlayerTest, AChainedFileEndsAtTheFirstEndOfStream) {
    const std::string first = EncodeTone({.seconds = 1.0, .frequency = 440, .serial = 7});
    const std::string second = EncodeTone({.seconds = 1.5, .frequency = 880, .serial = 8});
    AddFile(first + second);
    EXPECT_EQ(PlayToEnd(), test::DecodeReference(first));
}

TEST_F(OggStreamPlayerTest, DamagedOrCutOffAudioPlaysWhatIsIntact) {
    const std::string good =
        EncodeTone({.channels = 1, .rate = 22050, .seconds = 3.0, .noise = 0.2});
    const auto full = test::DecodeReference(good);
    const auto pages = test::PageOffsets(good);
    ASSERT_GT(pages.size(), 6u);
    const std::size_t middle = pages.size() / 2;

    // A page with a broken checksum is skipped; everything completed before it is intact
    // (mono: samples are frames, counted by the previous page's granule position).
    std::string damaged = good;
    damaged[pages[middle] + 40] ^= 0x5A;
    AddFile(damaged);
    auto samples = PlayToEnd();
    EXPECT_GT(samples.size(), full.size() / 2);
    EXPECT_LT(samples.size(), full.size());
    std::int64_t intact = 0;
    std::memcpy(&intact, good.data() + pages[middle - 1] + 6, 8);
    ASSERT_GT(intact, 0);
    const auto mismatch = std::mismatch(full.begin(), full.end(), samples.begin(), samples.end());
    EXPECT_GE(mismatch.first - full.begin(), intact);

    // A file that ends inside a page, without an end-of-stream page, ends there.
    AddFile(good.substr(0, pages[middle] + 10));
    FakeWaveOutput cutOutput(true);
    OggStreamPlayer cut(files, cutOutput);
    ASSERT_TRUE(cut.Open(path));
    cut.Start();
    ASSERT_TRUE(WaitUntil([&] { return cut.Finished(); }));
    samples = cutOutput.Samples();
    ASSERT_GT(samples.size(), 0u);
    ASSERT_LT(samples.size(), full.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), full.begin()));
}

TEST_F(OggStreamPlayerTest, RefusesFilesItCannotPlayAndKeepsNothingOpen) {
    const std::string good = EncodeTone({.seconds = 1.0});
    const auto pages = test::PageOffsets(good);
    ASSERT_GE(pages.size(), 3u);
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"not Ogg", std::string("RIFF....WAVEfmt ") + std::string(5000, 'x')},
        {"only the first page", good.substr(0, pages[1])},
        {"broken inside the setup header", good.substr(0, pages[2] - 100)},
        {"Vorbis headers damaged",
         [&] {
             std::string damaged = good;
             damaged.replace(pages[0] + 28 + 1, 6, "vorbiz");
             return damaged;
         }()},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        AddFile(bytes);
        EXPECT_FALSE(player.Open(path));
        EXPECT_FALSE(output.IsOpen());
        EXPECT_EQ(files.OpenFileCount(), 0);
        player.Close();
    }
    EXPECT_FALSE(player.Open("C:\\music\\missing.ogg"));
    EXPECT_EQ(output.Opens(), 0);
}

TEST_F(OggStreamPlayerTest, WithoutADeviceOpenFailsAndReleasesEverything) {
    AddFile(EncodeTone({.seconds = 1.0}));
    output.devices = 0;
    EXPECT_FALSE(player.Open(path));
    EXPECT_EQ(output.Opens(), 0);
    EXPECT_EQ(files.OpenFileCount(), 0);
    player.Close();

    output.devices = 1;
    output.refuseOpen = true;  // a device that will not take the format
    EXPECT_FALSE(player.Open(path));
    EXPECT_EQ(files.OpenFileCount(), 0);
}

TEST_F(OggStreamPlayerTest, CloseReturnsQueuedBuffersAndDoesNotWaitForTheDevice) {
    AddFile(EncodeTone({.channels = 2, .rate = 44100, .seconds = 10.0, .noise = 0.2}));
    ASSERT_TRUE(player.Open(path));
    player.Start();
    ASSERT_TRUE(output.WaitForWrites(4));
    const auto before = std::chrono::steady_clock::now();
    player.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    EXPECT_EQ(output.Resets(), 1);
    EXPECT_EQ(output.Queued(), 0u);
    EXPECT_FALSE(output.AnySlotPrepared());
    EXPECT_FALSE(output.IsOpen());
    EXPECT_EQ(files.OpenFileCount(), 0);

    // The same player opens again afterwards.
    output.SetAutoComplete(true);
    ASSERT_TRUE(player.Open(path));
    player.Start();
    EXPECT_TRUE(output.WaitForWrites(5));
}

// The length is read through the player's file system, as the playback reads the file.
TEST(OggStreamLength, WholeSecondsOfTheFileOrMinusOne) {
    test::MemoryFileSystem files;
    files.AddFile("C:\\M\\three.ogg", EncodeTone({.seconds = 3.0}));
    files.AddFile("C:\\M\\short.ogg", EncodeTone({.seconds = 2.7}));
    files.AddFile("C:\\M\\text.ogg", "not an ogg file");
    FakeWaveOutput output;
    OggStreamPlayer player(files, output);
    EXPECT_EQ(player.Length("C:\\M\\three.ogg"), 3);
    EXPECT_EQ(player.Length("C:\\M\\short.ogg"), 2);
    EXPECT_EQ(player.Length("C:\\M\\text.ogg"), -1);
    EXPECT_EQ(player.Length("C:\\M\\missing.ogg"), -1);
    EXPECT_EQ(files.OpenFileCount(), 0);
}

}  // namespace
}  // namespace hgf
