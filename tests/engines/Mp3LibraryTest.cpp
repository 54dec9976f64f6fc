// The MP3 library through its functions, with a recording device: which files it takes
// for MPEG audio, what reaches the device, the soft volume, pause, and the end callback.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "FakeWaveOutput.h"
#include "MemoryFileSystem.h"
#include "Mp3Player.h"
#include "Mp3TestFiles.h"
#include "MpegAudioFrames.h"
#include "OggTestFiles.h"
#include "Vbmp3Platform.h"
#include "platform/CodePage932.h"
#include "vbmp3.h"

namespace hgf {
namespace {

using namespace std::chrono_literals;
using test::FakeWaveOutput;

template <typename Predicate>
bool WaitUntil(Predicate done, int timeoutMs = 10000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

std::atomic<int> endCalls{0};
std::atomic<int> otherCalls{0};
void VBMP3_CALL CountEnds(int32_t code, intptr_t) {
    (code == VBMP3_END_OF_FILE ? endCalls : otherCalls)++;
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

TEST(MpegAudioFrames, HeaderFieldsAndFrameLengths) {
    struct Case {
        std::uint8_t bytes[4];
        int version, layer, bitrate, rate, channels;
        std::uint32_t length;
    };
    const Case cases[] = {
        {{0xFF, 0xFB, 0x90, 0x64}, 10, 3, 128, 44100, 2, 417},   // the most common frame
        {{0xFF, 0xFB, 0x92, 0xC4}, 10, 3, 128, 44100, 1, 418},   // padded, single channel
        {{0xFF, 0xF3, 0x80, 0xC4}, 20, 3, 64, 22050, 1, 208},    // MPEG-2: 72 * 64000 / 22050
        {{0xFF, 0xE3, 0x18, 0xC4}, 25, 3, 8, 8000, 1, 72},       // MPEG-2.5, smallest
        {{0xFF, 0xFD, 0xE4, 0x04}, 10, 2, 384, 48000, 2, 1152},  // layer II: 144 * 384000 / 48000
        {{0xFF, 0xFF, 0x18, 0x00}, 10, 1, 32, 32000, 2, 48},  // layer I: 4 * (12 * 32000 / 32000)
    };
    for (const Case& c : cases) {
        auto header = vbmp3::ParseMpegFrameHeader(c.bytes);
        ASSERT_TRUE(header) << int(c.bytes[1]);
        EXPECT_EQ(header->version, c.version);
        EXPECT_EQ(header->layer, c.layer);
        EXPECT_EQ(header->bitrate, c.bitrate);
        EXPECT_EQ(header->sampleRate, c.rate);
        EXPECT_EQ(header->channels, c.channels);
        EXPECT_EQ(header->bytes, c.length);
    }
    const std::uint8_t invalid[][4] = {
        {0xFF, 0x7B, 0x90, 0x64},  // sync incomplete
        {0xFF, 0xEB, 0x90, 0x64},  // reserved version
        {0xFF, 0xF9, 0x90, 0x64},  // reserved layer
        {0xFF, 0xFB, 0x00, 0x64},  // free format
        {0xFF, 0xFB, 0xF0, 0x64},  // bit rate index 15
        {0xFF, 0xFB, 0x9C, 0x64},  // reserved sample rate
        {0xFF, 0xFB, 0x90, 0x66},  // reserved emphasis
    };
    for (const auto& bytes : invalid)
        EXPECT_FALSE(vbmp3::ParseMpegFrameHeader(bytes));
}

TEST(MpegAudioFrames, AStreamIsARunOfFramesNotAStraySyncWord) {
    using vbmp3::FindMpegAudioStart;
    const std::string frames = test::SilentFrames(6);
    EXPECT_EQ(FindMpegAudioStart(Bytes(frames), 1000, true), 0u);
    // Leading junk, including a false sync word, is passed over.
    const std::string junk = std::string("\xFF\xFB\x90\x64junk", 8) + std::string(300, '\x11');
    EXPECT_EQ(FindMpegAudioStart(Bytes(junk + frames), 1000, true), junk.size());
    EXPECT_FALSE(
        FindMpegAudioStart(Bytes(junk + frames), junk.size(), true));  // searched too little
    // Three frames are a stream only when the file ends after them, or its ID3v1 tag does.
    const std::string three = test::SilentFrames(3);
    EXPECT_EQ(FindMpegAudioStart(Bytes(three), 100, true), 0u);
    EXPECT_FALSE(FindMpegAudioStart(Bytes(three), 100, false));
    EXPECT_EQ(FindMpegAudioStart(Bytes(three + test::Id3v1Tag("t")), 100, false), 0u);
    EXPECT_FALSE(FindMpegAudioStart(Bytes(three + "xyz"), 100, true));
    // Frames of another stream (mono after stereo is fine; another rate is not).
    std::string mixed = test::SilentFrames(2);
    mixed += test::SilentFrames(2, true);
    EXPECT_EQ(FindMpegAudioStart(Bytes(mixed), 100, false), 0u);
    std::string otherRate = test::SilentFrames(2);
    otherRate += std::string("\xFF\xFB\x94\xC4", 4) + std::string(413 + 4, '\0');  // 48000 Hz
    EXPECT_FALSE(FindMpegAudioStart(Bytes(otherRate + test::SilentFrames(2)), 1, false));
    EXPECT_FALSE(FindMpegAudioStart(Bytes(std::string(5000, '\xFF')), 5000, true));
}

class Mp3LibraryTest : public ::testing::Test {
  protected:
    Mp3LibraryTest() {
        vbmp3::InstallPlatform({&files, &output, &CodePage932FromUtf16});
        endCalls = 0;
        otherCalls = 0;
    }
    ~Mp3LibraryTest() override { vbmp3::InstallPlatform({}); }

    // A file made at build time, added as C:\music\<name>; false (the test skips) without it.
    bool AddBuilt(const std::string& name, std::string* bytes = nullptr) {
        std::optional<std::string> built = test::BuiltMp3(name);
        if (!built) return false;
        files.AddFile("C:\\music\\" + name, *built);
        if (bytes) *bytes = *built;
        return true;
    }

    // Opens, plays to the end with a device that plays at once, and frees.
    std::vector<std::int16_t> PlayToEnd(const std::string& path, int left = -1, int right = -1) {
        output.SetAutoComplete(true);
        EXPECT_EQ(vbmp3_init(), 1);
        EXPECT_EQ(vbmp3_open(path.c_str(), &info), 1);
        vbmp3_callback(&CountEnds);
        if (left >= 0) {
            vbmp3_setSoftVolume(left, right);
            vbmp3_reload();
        }
        vbmp3_play();
        EXPECT_TRUE(WaitUntil([] { return endCalls > 0; }));
        vbmp3_close();
        vbmp3_stopCallback();
        vbmp3_free();
        return output.Samples();
    }

    test::MemoryFileSystem files;
    FakeWaveOutput output;
    VBMP3_INPUT_INFO info = {};
};

TEST_F(Mp3LibraryTest, PlaysTheWholeFileInItsFormatThenCallsTheEndOnce) {
    std::string bytes;
    if (!AddBuilt("tone-mono-22050.mp3", &bytes)) GTEST_SKIP() << "no MP3 files were built";
    const auto samples = PlayToEnd("C:\\music\\tone-mono-22050.mp3");
    EXPECT_EQ(output.Format(), (PcmFormat{1, 22050, 16, 2, 44100}));
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.samplesPerSecond, 22050);
    EXPECT_EQ(info.layer, 3);
    EXPECT_EQ(info.version, 20);
    EXPECT_EQ(info.bitrate, 64);
    EXPECT_NEAR(info.lengthMilliseconds, 3000, 30);

    EXPECT_EQ(samples, test::DecodeMp3Reference(bytes).samples);
    EXPECT_NEAR(static_cast<double>(samples.size()), 3 * 22050, 22050 * 0.03);
    EXPECT_NEAR(test::ToneFrequency(samples, 1, 0, 22050), 440, 5);
    for (std::size_t size : output.WriteSizes())
        EXPECT_LE(size, 22050u / 4 * 2);  // a quarter of a second per buffer
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(endCalls, 1);
    EXPECT_EQ(otherCalls, 0);
    EXPECT_FALSE(output.IsOpen());
    EXPECT_EQ(files.OpenFileCount(), 0);
}

TEST_F(Mp3LibraryTest, TheEndComesOnlyAfterTheDeviceHasPlayedEveryBuffer) {
    if (!AddBuilt("tone-stereo-44100.mp3")) GTEST_SKIP() << "no MP3 files were built";
    ASSERT_EQ(vbmp3_init(), 1);
    ASSERT_EQ(vbmp3_open("C:\\music\\tone-stereo-44100.mp3", &info), 1);
    vbmp3_callback(&CountEnds);
    vbmp3_play();
    // Two seconds are eight buffers: the device plays them one by one.
    ASSERT_TRUE(output.WaitForWrites(4));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(output.WriteCount(), 4u);  // no fifth buffer while four are queued
    for (int played = 0; played < 20; ++played) {
        std::this_thread::sleep_for(20ms);  // time to decode and queue the next buffer
        if (output.Queued() == 1 && output.WriteCount() >= 8) break;
        EXPECT_EQ(endCalls, 0);
        ASSERT_TRUE(output.CompleteOldest());
    }
    ASSERT_EQ(output.Queued(), 1u);
    EXPECT_EQ(endCalls, 0);  // the last buffer is still playing
    ASSERT_TRUE(output.CompleteOldest());
    EXPECT_TRUE(WaitUntil([] { return endCalls == 1; }));
    vbmp3_close();
    vbmp3_free();
}

TEST_F(Mp3LibraryTest, SoftVolumeScalesEachChannelFromTheReloadOn) {
    std::string bytes;
    if (!AddBuilt("tone-stereo-44100.mp3", &bytes)) GTEST_SKIP() << "no MP3 files were built";
    const test::DecodedMp3 reference = test::DecodeMp3Reference(bytes);
    ASSERT_EQ(reference.channels, 2);
    const auto samples = PlayToEnd("C:\\music\\tone-stereo-44100.mp3", 50, 25);
    ASSERT_EQ(samples.size(), reference.samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const int percent = i % 2 == 0 ? 50 : 25;
        ASSERT_EQ(samples[i], reference.samples[i] * percent / 100) << i;
    }
    EXPECT_NEAR(test::ToneFrequency(samples, 2, 0, 44100), 440, 5);
    EXPECT_NEAR(test::ToneFrequency(samples, 2, 1, 44100), 660, 5);

    // A new open starts at full volume again; the volume waits for the reload, which
    // reaches the samples decoded after it (values beyond 0..100 count as their limits).
    output.SetAutoComplete(false);
    const std::size_t before = output.Samples().size();
    endCalls = 0;
    ASSERT_EQ(vbmp3_init(), 1);
    ASSERT_EQ(vbmp3_open("C:\\music\\tone-stereo-44100.mp3", &info), 1);
    vbmp3_callback(&CountEnds);
    vbmp3_setSoftVolume(-5, 300);
    vbmp3_play();
    ASSERT_TRUE(output.WaitForWrites(output.WriteCount() + 4));
    std::this_thread::sleep_for(20ms);  // the feeder waits for a buffer to come back
    vbmp3_reload();
    output.SetAutoComplete(true);
    ASSERT_TRUE(WaitUntil([] { return endCalls == 1; }));
    vbmp3_free();
    const auto all = output.Samples();
    ASSERT_EQ(all.size() - before, reference.samples.size());
    const std::size_t unscaled = 4 * WaveFeeder::BufferBytes(PcmFormat::Pcm16(2, 44100)) / 2;
    for (std::size_t i = 0; i < reference.samples.size(); i += 2) {
        ASSERT_EQ(all[before + i], i < unscaled ? reference.samples[i] : 0) << i;
        ASSERT_EQ(all[before + i + 1], reference.samples[i + 1]) << i;
    }
}

TEST_F(Mp3LibraryTest, SeekBeforePlayStartsAtItsFrameAndPositionFollows) {
    std::string bytes;
    if (!AddBuilt("tone-mono-22050.mp3", &bytes)) GTEST_SKIP() << "no MP3 files were built";
    const auto whole = test::DecodeMp3Reference(bytes).samples;
    std::int32_t ms = -1;
    EXPECT_EQ(vbmp3_seek(1000), 0);  // nothing open
    EXPECT_EQ(vbmp3_getPosition(&ms), 0);
    output.SetAutoComplete(true);
    ASSERT_EQ(vbmp3_init(), 1);
    ASSERT_EQ(vbmp3_open("C:\\music\\tone-mono-22050.mp3", &info), 1);
    EXPECT_EQ(vbmp3_seek(info.lengthMilliseconds + 100), 0);  // past the end: from the start
    EXPECT_EQ(vbmp3_seek(0), 0);
    EXPECT_EQ(vbmp3_getPosition(nullptr), 0);
    ASSERT_EQ(vbmp3_seek(2000), 1);
    ASSERT_EQ(vbmp3_getPosition(&ms), 1);
    EXPECT_EQ(ms, 2000);
    vbmp3_callback(&CountEnds);
    vbmp3_play();
    EXPECT_EQ(vbmp3_seek(500), 0);  // too late: the feeder runs
    ASSERT_TRUE(WaitUntil([] { return endCalls > 0; }));
    ASSERT_EQ(vbmp3_getPosition(&ms), 1);
    EXPECT_EQ(ms, static_cast<std::int32_t>(whole.size() * 1000 / 22050));
    vbmp3_free();
    // The decoder seeks: its synthesis starts afresh and may round a sample one step apart.
    const auto samples = output.Samples();
    ASSERT_EQ(samples.size(), whole.size() - 44100);
    for (std::size_t i = 0; i < samples.size(); ++i)
        ASSERT_LE(std::abs(samples[i] - whole[44100 + i]), 1) << i;
}

TEST_F(Mp3LibraryTest, PauseHaltsTheDeviceAndRestartGoesOnWithoutAGap) {
    std::string bytes;
    if (!AddBuilt("tone-stereo-44100.mp3", &bytes)) GTEST_SKIP() << "no MP3 files were built";
    ASSERT_EQ(vbmp3_open("C:\\music\\tone-stereo-44100.mp3", &info), 1);
    vbmp3_callback(&CountEnds);
    vbmp3_play();
    ASSERT_TRUE(output.WaitForWrites(4));
    ASSERT_EQ(vbmp3_pause(), 1);
    EXPECT_TRUE(output.IsPaused());
    EXPECT_FALSE(output.CompleteOldest());  // a paused device plays nothing
    output.SetAutoComplete(true);
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(output.WriteCount(), 4u);
    EXPECT_EQ(endCalls, 0);
    ASSERT_EQ(vbmp3_restart(), 1);
    EXPECT_FALSE(output.IsPaused());
    ASSERT_TRUE(WaitUntil([] { return endCalls == 1; }));
    vbmp3_free();
    EXPECT_EQ(output.Samples(), test::DecodeMp3Reference(bytes).samples);
}

TEST_F(Mp3LibraryTest, CloseInTheMiddleReturnsTheBuffersAndNoEndFollows) {
    if (!AddBuilt("tone-stereo-44100.mp3")) GTEST_SKIP() << "no MP3 files were built";
    ASSERT_EQ(vbmp3_init(), 1);
    ASSERT_EQ(vbmp3_open("C:\\music\\tone-stereo-44100.mp3", &info), 1);
    vbmp3_callback(&CountEnds);
    vbmp3_play();
    ASSERT_TRUE(output.WaitForWrites(4));
    vbmp3_pause();  // a paused device still gives its buffers back at close
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(vbmp3_close(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    EXPECT_EQ(output.Resets(), 1);
    EXPECT_EQ(output.Queued(), 0u);
    EXPECT_FALSE(output.AnySlotPrepared());
    EXPECT_FALSE(output.IsOpen());
    EXPECT_EQ(files.OpenFileCount(), 0);
    vbmp3_stopCallback();
    vbmp3_free();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(endCalls, 0);
    // Nothing is open any more: the playback calls fail.
    EXPECT_EQ(vbmp3_play(), 0);
    EXPECT_EQ(vbmp3_pause(), 0);
    EXPECT_EQ(vbmp3_reload(), 0);
}

TEST_F(Mp3LibraryTest, OpensMpegAudioOnlyAndKeepsNothingOfARefusedFile) {
    if (!AddBuilt("tone-mono-22050.mp3")) GTEST_SKIP() << "no MP3 files were built";
    const std::string mp3 = *test::BuiltMp3("tone-mono-22050.mp3");
    const std::string frames = test::SilentFrames(40);
    const std::string ogg = test::EncodeTone({.seconds = 0.5});
    // A WAV file whose samples happen to hold a run of frames still belongs to the
    // media engine.
    const std::string wavWithFrames =
        std::string("RIFF\x24\x80\x00\x00WAVEfmt ", 16) + std::string(16, '\x01') + "data" + frames;
    const std::pair<const char*, std::string> refused[] = {
        {"empty", ""},
        {"text", "1 t120 l8 cdefgab>c\r\nD o4 c4 c4\r\n"},
        {"Ogg Vorbis", ogg},
        {"WAV with frames inside", wavWithFrames},
        {"MIDI", std::string("MThd\0\0\0\x06", 8) + frames},
        {"MPEG program stream", std::string("\x00\x00\x01\xBA", 4) + frames},
        {"only a tag", test::Id3v2Tag({{"TIT2", test::TextBody(0, "x")}})},
        {"junk beyond the search", std::string(70000, '\x20') + frames},
        {"stray sync words", std::string(3000, '\xFF')},
    };
    for (const auto& [name, bytes] : refused) {
        SCOPED_TRACE(name);
        files.AddFile("C:\\music\\file", bytes);
        EXPECT_EQ(vbmp3_init(), 1);
        EXPECT_EQ(vbmp3_open("C:\\music\\file", &info), 0);
        EXPECT_FALSE(output.IsOpen());
        EXPECT_EQ(files.OpenFileCount(), 0);
        vbmp3_free();
    }
    EXPECT_EQ(vbmp3_open("C:\\music\\missing.mp3", &info), 0);
    EXPECT_EQ(vbmp3_open(nullptr, &info), 0);
    EXPECT_EQ(output.Opens(), 0);

    // Accepted: the built file behind a large tag (with a picture) and some junk, silent
    // frames, and a file cut in the middle of a frame.
    const std::string picture = std::string("\0image/jpeg\0\x03\0", 14) + std::string(200000, 'Z');
    const std::pair<const char*, std::string> accepted[] = {
        {"tagged", test::Id3v2Tag({{"APIC", picture}, {"TIT2", test::TextBody(0, "Song")}}) +
                       std::string(100, '\0') + mp3},
        {"two tags", test::Id3v2Tag({}, {.major = 4, .padding = 500}) + test::Id3v2Tag({}) + mp3},
        {"silent frames", frames + test::Id3v1Tag("silence")},
        {"cut off", mp3.substr(0, mp3.size() / 2 + 7)},
    };
    for (const auto& [name, bytes] : accepted) {
        SCOPED_TRACE(name);
        files.AddFile("C:\\music\\file", bytes);
        EXPECT_EQ(vbmp3_init(), 1);
        ASSERT_EQ(vbmp3_open("C:\\music\\file", nullptr), 1);
        EXPECT_TRUE(output.IsOpen());
        vbmp3_close();
        vbmp3_free();
        EXPECT_EQ(files.OpenFileCount(), 0);
    }
    // The tagged file plays exactly what the untagged one does.
    files.AddFile("C:\\music\\tagged.mp3", accepted[0].second);
    endCalls = 0;
    output.SetAutoComplete(true);
    EXPECT_EQ(PlayToEnd("C:\\music\\tagged.mp3"), test::DecodeMp3Reference(mp3).samples);
}

TEST_F(Mp3LibraryTest, ABrokenOrCutStreamStillEndsAndCallsBack) {
    if (!AddBuilt("tone-mono-22050.mp3")) GTEST_SKIP() << "no MP3 files were built";
    std::string mp3 = *test::BuiltMp3("tone-mono-22050.mp3");
    const auto full = test::DecodeMp3Reference(mp3).samples;
    files.AddFile("C:\\music\\cut.mp3", mp3.substr(0, mp3.size() / 2));
    auto samples = PlayToEnd("C:\\music\\cut.mp3");
    EXPECT_GT(samples.size(), full.size() / 3);
    EXPECT_LT(samples.size(), full.size());

    // Garbage in the middle: decoding gets past it, or the stream ends there; either way
    // the end is reported.
    for (std::size_t i = mp3.size() / 3; i < mp3.size() / 3 + 2000; ++i)
        mp3[i] = static_cast<char>(i * 7);
    files.AddFile("C:\\music\\broken.mp3", mp3);
    endCalls = 0;
    PlayToEnd("C:\\music\\broken.mp3");
    EXPECT_EQ(endCalls, 1);
}

// Uninstalled, the library takes the system's services, which hold none of the test's files
// (and natively no device).
TEST_F(Mp3LibraryTest, WithoutADeviceOrPlatformNothingOpens) {
    if (!AddBuilt("tone-mono-22050.mp3")) GTEST_SKIP() << "no MP3 files were built";
    output.devices = 0;
    EXPECT_EQ(vbmp3_open("C:\\music\\tone-mono-22050.mp3", &info), 0);
    output.devices = 1;
    output.refuseOpen = true;
    EXPECT_EQ(vbmp3_open("C:\\music\\tone-mono-22050.mp3", &info), 0);
    EXPECT_EQ(files.OpenFileCount(), 0);
    output.refuseOpen = false;

    vbmp3::InstallPlatform({});
    EXPECT_EQ(vbmp3_open("C:\\music\\tone-mono-22050.mp3", &info), 0);
    VBMP3_TAG_INFO tag;
    EXPECT_EQ(vbmp3_getFileTagInfo("C:\\music\\tone-mono-22050.mp3", &tag), 0);
}

}  // namespace
}  // namespace hgf
