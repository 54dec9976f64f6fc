// The FLAC and Opus player against a recording output: the format each stream opens the
// device with, the samples that reach it, the length, and the files it refuses or ends
// early. Pause, volume timing and closing are the shared stream player's, shown with Ogg
// Vorbis.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>

#include "FakeWaveOutput.h"
#include "MemoryFileSystem.h"
#include "OggTestFiles.h"
#include "StreamTestFiles.h"
#include "engines/FlacOpusPlayer.h"
#include "engines/PcmConversion.h"

namespace hgf {
namespace {

using namespace std::chrono_literals;
using test::EncodeFlac;
using test::EncodeOpus;
using test::FakeWaveOutput;
using test::PcmToneOptions;

const std::string kPath = "C:\\music\\track";

bool WaitUntilFinished(StreamPlayer& player) {
    for (int i = 0; i < 5000 && !player.Finished(); ++i)
        std::this_thread::sleep_for(2ms);
    return player.Finished();
}

// Plays `bytes` to its end on a device that plays every buffer at once.
struct Playback {
    bool opened = false;
    PcmFormat format;
    std::vector<std::int16_t> samples;
    std::vector<std::size_t> writes;
};
Playback PlayToEnd(const std::string& bytes, float gain = 1.0f) {
    test::MemoryFileSystem files;
    files.AddFile(kPath, bytes);
    FakeWaveOutput output(true);
    FlacOpusPlayer player(files, output);
    Playback result;
    result.opened = player.Open(kPath);
    if (!result.opened) return result;
    player.SetGain(gain);
    player.Start();
    EXPECT_TRUE(WaitUntilFinished(player));
    player.Close();
    EXPECT_EQ(files.OpenFileCount(), 0);
    return {true, output.Format(), output.Samples(), output.WriteSizes()};
}

std::vector<std::int16_t> AsPcm16(const std::vector<std::int32_t>& samples, float gain = 1.0f) {
    std::vector<std::int16_t> out(samples.begin(), samples.end());
    ApplyGain(out.data(), out.size(), gain);
    return out;
}

int Peak(const std::vector<std::int16_t>& samples) {
    int peak = 0;
    for (std::int16_t s : samples)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    return peak;
}

TEST(FlacOpusPlayer, FlacPlaysItsOwnSamplesAtItsOwnRateNativeOrInOgg) {
    const PcmToneOptions tone{.channels = 2, .rate = 44100, .seconds = 1.5, .noise = 0.1};
    const std::vector<std::int16_t> expected = AsPcm16(test::ToneSamples(tone));
    for (const bool ogg : {false, true}) {
        SCOPED_TRACE(ogg ? "Ogg FLAC" : "FLAC");
        const Playback played = PlayToEnd(EncodeFlac(tone, ogg));
        ASSERT_TRUE(played.opened);
        EXPECT_EQ(played.format, (PcmFormat{2, 44100, 16, 4, 176400}));
        EXPECT_EQ(played.samples, expected);
        for (std::size_t i = 0; i + 1 < played.writes.size(); ++i)
            EXPECT_EQ(played.writes[i], 44100u);  // a quarter of a second each
    }
    // The volume scales each sample, truncated toward zero.
    EXPECT_EQ(PlayToEnd(EncodeFlac(tone), 0.3f).samples, AsPcm16(test::ToneSamples(tone), 0.3f));

    const PcmToneOptions mono{.channels = 1, .rate = 22050, .bits = 8, .seconds = 0.5};
    const Playback played = PlayToEnd(EncodeFlac(mono));
    EXPECT_EQ(played.format, (PcmFormat{1, 22050, 16, 2, 44100}));
    const std::vector<std::int32_t> eightBit = test::ToneSamples(mono);
    ASSERT_EQ(played.samples.size(), eightBit.size());
    for (std::size_t i = 0; i < eightBit.size(); ++i)
        ASSERT_EQ(played.samples[i], eightBit[i] * 256) << i;
}

TEST(FlacOpusPlayer, TwentyFourBitSamplesAreReducedWithDither) {
    const PcmToneOptions tone{.channels = 2, .rate = 96000, .bits = 24, .seconds = 1.0};
    const std::vector<std::int32_t> source = test::ToneSamples(tone);
    const Playback played = PlayToEnd(EncodeFlac(tone));
    ASSERT_TRUE(played.opened);
    EXPECT_EQ(played.format, (PcmFormat{2, 96000, 16, 4, 384000}));
    ASSERT_EQ(played.samples.size(), source.size());
    double error = 0;
    std::size_t offNearest = 0;
    for (std::size_t i = 0; i < source.size(); ++i) {
        const double exact = source[i] / 256.0;
        const double difference = played.samples[i] - exact;
        ASSERT_LT(std::abs(difference), 1.5) << i;  // rounding after noise of one step
        error += difference;
        if (played.samples[i] != std::lround(exact)) ++offNearest;
    }
    EXPECT_LT(std::abs(error / source.size()), 0.01);  // no offset
    // Dither: a good part of the samples is not simply the nearest step.
    EXPECT_GT(offNearest, source.size() / 10);
}

TEST(FlacOpusPlayer, OpusPlaysAt48kHzWithItsOutputGain) {
    const PcmToneOptions tone{.channels = 2, .seconds = 1.0, .amplitude = 0.6};
    const std::string bytes = EncodeOpus(tone);
    const Playback played = PlayToEnd(bytes);
    ASSERT_TRUE(played.opened);
    EXPECT_EQ(played.format, (PcmFormat{2, 48000, 16, 4, 192000}));
    EXPECT_EQ(played.samples.size(), 2u * 48000u);
    EXPECT_EQ(played.samples, test::DecodeOpusReference(bytes));
    EXPECT_EQ(played.writes.front(), 48000u);

    // -6.02 dB in the header halves the sound.
    const Playback quieter = PlayToEnd(EncodeOpus(tone, -1541));
    const double ratio = static_cast<double>(Peak(quieter.samples)) / Peak(played.samples);
    EXPECT_NEAR(ratio, 0.5, 0.02);

    const Playback mono = PlayToEnd(EncodeOpus({.channels = 1, .seconds = 0.5}));
    EXPECT_EQ(mono.format, (PcmFormat{1, 48000, 16, 2, 96000}));
    EXPECT_EQ(mono.samples.size(), 24000u);
}

TEST(FlacOpusPlayer, MoreThanTwoChannelsAreMixedDownToStereo) {
    const PcmToneOptions six{.channels = 6, .rate = 48000, .seconds = 0.5, .amplitude = 0.9};
    for (const std::string& bytes : {EncodeFlac(six), EncodeOpus(six)}) {
        const Playback played = PlayToEnd(bytes);
        ASSERT_TRUE(played.opened);
        EXPECT_EQ(played.format, (PcmFormat{2, 48000, 16, 4, 192000}));
        EXPECT_EQ(played.samples.size(), 2u * 24000u);
        EXPECT_GT(Peak(played.samples), 8000);
    }
}

TEST(FlacOpusPlayer, RefusesWhatIsNotFlacOrOpusAndKeepsNothingOpen) {
    const std::string flac = EncodeFlac({.seconds = 0.5});
    const std::string opus = EncodeOpus({.seconds = 0.5});
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"Ogg Vorbis", test::EncodeTone({.seconds = 0.5})},
        {"wave", std::string("RIFF\x24\0\0\0WAVEfmt ", 16) + std::string(5000, '\0')},
        {"the FLAC signature only", "fLaC"},
        {"FLAC cut inside its stream information", flac.substr(0, 20)},
        {"FLAC stream information damaged",
         [&] {
             std::string damaged = flac;
             damaged[8] = damaged[9] = damaged[10] = damaged[11] = 0;  // no block sizes
             damaged[18] = damaged[19] = damaged[20] = 0;              // rate 0
             return damaged;
         }()},
        {"Opus cut inside its first page", opus.substr(0, 40)},
        {"Opus identification header damaged",
         [&] {
             std::string damaged = opus;
             damaged[28 + 8] = 0x7F;  // its version byte
             return damaged;
         }()},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        test::MemoryFileSystem files;
        files.AddFile(kPath, bytes);
        FakeWaveOutput output;
        FlacOpusPlayer player(files, output);
        EXPECT_FALSE(player.Open(kPath));
        EXPECT_EQ(output.Opens(), 0);
        EXPECT_EQ(files.OpenFileCount(), 0);
    }

    // A device that refuses the format, or none at all: not accepted either.
    test::MemoryFileSystem files;
    files.AddFile(kPath, flac);
    FakeWaveOutput output;
    FlacOpusPlayer player(files, output);
    output.refuseOpen = true;
    EXPECT_FALSE(player.Open(kPath));
    output.devices = 0;
    EXPECT_FALSE(player.Open(kPath));
    EXPECT_EQ(files.OpenFileCount(), 0);
    EXPECT_FALSE(player.Open("C:\\music\\missing.flac"));
}

TEST(FlacOpusPlayer, DamagedOrCutOffStreamsEndCleanly) {
    const PcmToneOptions tone{.channels = 2, .rate = 48000, .seconds = 2.0, .noise = 0.2};
    const std::pair<const char*, std::string> streams[] = {
        {"FLAC", EncodeFlac(tone)},
        {"Ogg FLAC", EncodeFlac(tone, true)},
        {"Opus", EncodeOpus(tone)},
    };
    for (const auto& [name, bytes] : streams) {
        SCOPED_TRACE(name);
        const std::vector<std::int16_t> full = PlayToEnd(bytes).samples;
        ASSERT_EQ(full.size(), 2u * 96000u);

        // Cut in the middle: what comes before the cut plays as it would have.
        const Playback cut = PlayToEnd(bytes.substr(0, bytes.size() / 2));
        ASSERT_TRUE(cut.opened);
        EXPECT_GT(cut.samples.size(), full.size() / 4);
        EXPECT_LT(cut.samples.size(), full.size());
        const std::size_t compared = std::min(cut.samples.size(), full.size()) * 9 / 10;
        EXPECT_TRUE(std::equal(cut.samples.begin(), cut.samples.begin() + compared, full.begin()));

        // Damaged bytes in the middle: the damaged part is left out, the rest plays.
        std::string damaged = bytes;
        for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 600; ++i)
            damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
        const Playback rest = PlayToEnd(damaged);
        ASSERT_TRUE(rest.opened);
        EXPECT_GT(rest.samples.size(), full.size() / 2);
        EXPECT_LE(rest.samples.size(), full.size() + 2 * 4608);
    }
}

TEST(FlacOpusPlayer, LengthInMillisecondsOrMinusOne) {
    test::MemoryFileSystem files;
    FakeWaveOutput output;
    FlacOpusPlayer player(files, output);
    const PcmToneOptions tone{.seconds = 2.5};
    const std::pair<std::string, std::int64_t> cases[] = {
        {EncodeFlac(tone), 2500},
        {EncodeFlac(tone, true), 2500},
        {EncodeOpus(tone), 2500},
        {EncodeFlac({.rate = 44100, .seconds = 0.0105}), 11},  // 463 frames, rounded up
        {EncodeFlac(tone, false, false), -1},                  // the header does not tell
        {test::EncodeTone({.seconds = 2.5}), -1},              // not ours
    };
    for (const auto& [bytes, milliseconds] : cases) {
        files.AddFile(kPath, bytes);
        EXPECT_EQ(player.LengthMs(kPath), milliseconds);
    }
    EXPECT_EQ(player.LengthMs("C:\\music\\missing.opus"), -1);
    EXPECT_EQ(files.OpenFileCount(), 0);
}

TEST(IntegerPcmConversion, EveryChannelIsHeardAndTheMixNeverClips) {
    for (int channels = 3; channels <= IntegerPcmConverter::kMaxChannels; ++channels) {
        SCOPED_TRACE(channels);
        std::vector<std::int32_t> storage(static_cast<std::size_t>(channels));
        std::vector<const std::int32_t*> pointers;
        for (const std::int32_t& sample : storage)
            pointers.push_back(&sample);
        IntegerPcmConverter converter;
        std::int16_t out[2];
        for (int loud = 0; loud < channels; ++loud) {
            std::fill(storage.begin(), storage.end(), 0);
            storage[static_cast<std::size_t>(loud)] = 20000;
            converter.Convert(pointers.data(), channels, 16, 1, 1.0f, out);
            EXPECT_GT(out[0] + out[1], 2000) << "channel " << loud;
        }
        std::fill(storage.begin(), storage.end(), 32767);
        converter.Convert(pointers.data(), channels, 16, 1, 1.0f, out);
        EXPECT_GE(out[0], 32766);
        EXPECT_GE(out[1], 32766);
    }
}

}  // namespace
}  // namespace hgf
