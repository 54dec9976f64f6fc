// Starting a playback inside its stream by seeking: each decoder's seek against decoding
// from the start, its failures, and the players that seek or, failing that, decode and
// drop.
#include <gtest/gtest.h>
#include <ogg/ogg.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <memory>
#include <thread>

#include "FakeWaveOutput.h"
#include "MemoryFileSystem.h"
#include "Mp3Player.h"
#include "Mp3Stream.h"
#include "Mp3TestFiles.h"
#include "OggTestFiles.h"
#include "StreamTestFiles.h"
#include "engines/FlacOpusPlayer.h"
#include "engines/OggStreamPlayer.h"
#include "engines/OggVorbisStream.h"

namespace hgf {
namespace {

using namespace std::chrono_literals;
using Samples = std::vector<std::int16_t>;

const std::string kPath = "C:\\music\\track";

enum class Kind { kVorbis, kFlacOrOpus, kMp3 };

// How close the samples after a seek come to those of decoding from the start.
enum class Match {
    kExact,
    kOneStep,  // the decoder's synthesis starts afresh and may round one step apart
    kClose,    // the decoder converges over its pre-roll: alike after 20 ms
};

struct Format {
    const char* name;
    Kind kind;
    std::string bytes;
    Match match;
};

// `bytes` (Ogg) with the granule positions of its audio pages moved on by `offset`, as in
// a stream cut from a longer one.
std::string ShiftGranules(std::string bytes, std::int64_t offset) {
    for (std::size_t at : test::PageOffsets(bytes)) {
        auto* header = reinterpret_cast<unsigned char*>(&bytes[at]);
        const int segments = header[26];
        long body = 0;
        for (int i = 0; i < segments; ++i)
            body += header[27 + i];
        ogg_page page{header, 27 + segments, header + 27 + segments, body};
        const std::int64_t granule = ogg_page_granulepos(&page);
        if (granule <= 0) continue;  // the headers, and pages that end no packet
        for (int i = 0; i < 8; ++i)
            header[6 + i] = static_cast<unsigned char>((granule + offset) >> (8 * i));
        ogg_page_checksum_set(&page);
    }
    return bytes;
}

// The formats, each a few seconds of tone with noise (the MP3 ones only when the build
// could make them).
std::vector<Format> Formats() {
    test::PcmToneOptions pcm{.channels = 2, .rate = 44100, .seconds = 4.0, .noise = 0.1};
    const std::string vorbis =
        test::EncodeTone({.channels = 2, .rate = 44100, .seconds = 4.0, .noise = 0.1});
    std::vector<Format> formats = {
        {"vorbis", Kind::kVorbis, vorbis, Match::kExact},
        {"vorbis cut from a longer stream", Kind::kVorbis, ShiftGranules(vorbis, 44100),
         Match::kExact},
        {"flac", Kind::kFlacOrOpus, test::EncodeFlac(pcm), Match::kExact},
        {"ogg flac", Kind::kFlacOrOpus, test::EncodeFlac(pcm, true), Match::kExact},
        {"opus", Kind::kFlacOrOpus, test::EncodeOpus(pcm), Match::kClose},
    };
    if (std::optional<std::string> mp3 = test::BuiltMp3("tone-mono-22050.mp3")) {
        formats.push_back({"mp3", Kind::kMp3, *mp3, Match::kOneStep});
        // The decoder's offsets count from the first frame, after the tag.
        formats.push_back(
            {"mp3 after a tag", Kind::kMp3,
             test::Id3v2Tag({{"TIT2", test::TextBody(0, "t")}}, {.padding = 3000}) + *mp3,
             Match::kOneStep});
    }
    return formats;
}

// One decoder of `format` over `files`: its seek and its samples to the end.
struct Decoder {
    std::function<bool(std::uint64_t)> seek;
    std::function<Samples()> rest;
    unsigned channels = 0;
};

template <typename Decode>
Samples DecodeRest(Decode decode, bool ended) {
    Samples samples;
    std::uint8_t block[4096];
    while (!ended) {
        std::uint32_t filled = 0;
        ended = decode(block, filled);
        samples.insert(samples.end(), reinterpret_cast<std::int16_t*>(block),
                       reinterpret_cast<std::int16_t*>(block + filled));
    }
    return samples;
}

Decoder OpenDecoder(const Format& format, test::MemoryFileSystem& files) {
    std::unique_ptr<InputFile> file = files.OpenRead(kPath);
    if (format.kind == Kind::kMp3) {
        auto stream = std::make_shared<vbmp3::Mp3Stream>();
        EXPECT_TRUE(stream->Open(std::move(file))) << format.name;
        return {[stream](std::uint64_t frame) { return stream->SeekToFrame(frame); },
                [stream] {
                    return DecodeRest(
                        [&](std::uint8_t* block, std::uint32_t& filled) {
                            return stream->Decode(block, 4096, filled, 100, 100) ==
                                   vbmp3::Mp3Stream::DecodeStatus::kEnded;
                        },
                        false);
                },
                stream->Channels()};
    }
    std::shared_ptr<StreamDecoder> decoder;
    if (format.kind == Kind::kVorbis) {
        auto vorbis = std::make_unique<OggVorbisStream>();
        if (vorbis->Open(std::move(file))) decoder = std::move(vorbis);
    } else {
        decoder = OpenFlacOrOpus(std::move(file));
    }
    EXPECT_TRUE(decoder) << format.name;
    if (!decoder) return {[](std::uint64_t) { return false; }, [] { return Samples{}; }, 1};
    return {[decoder](std::uint64_t frame) { return decoder->SeekToFrame(frame); },
            [decoder] {
                return DecodeRest(
                    [&](std::uint8_t* block, std::uint32_t& filled) {
                        return decoder->Decode(block, 4096, filled, 1.0f) !=
                               StreamDecoder::Status::kFull;
                    },
                    false);
            },
            decoder->Channels()};
}

// `got` holds the same frames as `expected`, with values as close as `format` promises.
void ExpectSamePlace(const Format& format, const Samples& expected, const Samples& got,
                     std::uint64_t frame) {
    ASSERT_EQ(got.size(), expected.size()) << format.name << " " << frame;
    if (format.match == Match::kExact) {
        EXPECT_EQ(got, expected) << format.name << " " << frame;
        return;
    }
    const std::size_t from = format.match == Match::kClose ? 48000 / 50 * 2 : 0;
    int largest = 0;
    double difference = 0;
    double signal = 0;
    for (std::size_t i = from; i < got.size(); ++i) {
        largest = std::max(largest, std::abs(got[i] - expected[i]));
        difference += std::pow(static_cast<double>(got[i]) - expected[i], 2);
        signal += std::pow(static_cast<double>(expected[i]), 2);
    }
    if (format.match == Match::kOneStep) {
        EXPECT_LE(largest, 1) << format.name << " " << frame;
    } else if (signal > 0) {
        EXPECT_LT(std::sqrt(difference / signal), 0.05) << format.name << " " << frame;
    }
}

TEST(StreamSeek, ASeekGivesTheSamplesOfDecodingFromTheStart) {
    for (const Format& format : Formats()) {
        test::MemoryFileSystem files;
        files.AddFile(kPath, format.bytes);
        const Samples whole = OpenDecoder(format, files).rest();
        const Decoder probe = OpenDecoder(format, files);
        const std::size_t frames = whole.size() / probe.channels;
        ASSERT_GT(frames, 20000u) << format.name;
        // Inside the first page or frames, in the middle, on a block edge, near the end,
        // and a second seek after a first one.
        const std::vector<std::vector<std::uint64_t>> runs = {
            {100}, {frames / 2}, {4096}, {frames - 300}, {frames - 300, frames / 3}};
        for (const auto& seeks : runs) {
            const Decoder decoder = OpenDecoder(format, files);
            for (std::uint64_t frame : seeks)
                EXPECT_TRUE(decoder.seek(frame)) << format.name << " " << frame;
            const std::uint64_t frame = seeks.back();
            ExpectSamePlace(format, Samples(whole.begin() + frame * decoder.channels, whole.end()),
                            decoder.rest(), frame);
        }
    }
}

TEST(StreamSeek, PastTheEndOrWithoutTheFileSizeItFailsAndDecodingBeginsAtTheStart) {
    for (const Format& format : Formats()) {
        test::MemoryFileSystem files;
        files.AddFile(kPath, format.bytes);
        const Samples whole = OpenDecoder(format, files).rest();
        const std::uint64_t frames = whole.size() / OpenDecoder(format, files).channels;
        struct Case {
            bool hideSize;
            std::vector<std::uint64_t> seeks;  // each fails but the first of two
        } cases[] = {{false, {frames + 1000}}, {false, {frames / 2, frames * 4}}, {true, {1000}}};
        for (const Case& c : cases) {
            files.HideSizes(c.hideSize);
            const Decoder decoder = OpenDecoder(format, files);
            for (std::size_t i = 0; i < c.seeks.size(); ++i)
                EXPECT_EQ(decoder.seek(c.seeks[i]), i + 1 < c.seeks.size()) << format.name;
            ExpectSamePlace(format, whole, decoder.rest(), c.seeks.back());
        }
    }
}

// Plays `format` to its end from `ms` on a device that plays every buffer at once; the
// samples and the position at the end.
std::pair<Samples, std::int64_t> PlayFrom(const Format& format, test::MemoryFileSystem& files,
                                          std::int64_t ms) {
    test::FakeWaveOutput output(true);
    std::function<bool()> finished;
    std::function<std::int64_t()> position;
    std::int64_t endMs = -1;
    auto wait = [&](auto& player) {
        for (int i = 0; i < 5000 && !finished(); ++i)
            std::this_thread::sleep_for(2ms);
        EXPECT_TRUE(finished()) << format.name;
        endMs = player.PositionMs();
        player.Close();
    };
    if (format.kind == Kind::kMp3) {
        std::atomic<bool> ended = false;
        vbmp3::Mp3Player player(files, output);
        EXPECT_TRUE(player.Open(kPath, [&] { ended = true; }));
        EXPECT_TRUE(player.StartAt(ms));
        player.Play();
        finished = [&] { return ended.load(); };
        wait(player);
    } else {
        OggStreamPlayer ogg(files, output);
        FlacOpusPlayer flacOpus(files, output);
        StreamPlayer& player =
            format.kind == Kind::kVorbis ? static_cast<StreamPlayer&>(ogg) : flacOpus;
        EXPECT_TRUE(player.Open(kPath));
        EXPECT_TRUE(player.SeekMs(ms));
        player.Start();
        finished = [&] { return player.Finished(); };
        wait(player);
    }
    return {output.Samples(), endMs};
}

TEST(StreamSeek, PlayersSoughtOrDroppingBeforeTheStartPlayTheSameAndCountFromTheStart) {
    for (const Format& format : Formats()) {
        test::MemoryFileSystem files;
        files.AddFile(kPath, format.bytes);
        const auto [sought, soughtEndMs] = PlayFrom(format, files, 2500);
        files.HideSizes(true);  // the decoders cannot seek: the frames before are dropped
        const auto [dropped, droppedEndMs] = PlayFrom(format, files, 2500);
        ExpectSamePlace(format, dropped, sought, 2500);
        EXPECT_EQ(soughtEndMs, droppedEndMs) << format.name;
        EXPECT_GT(soughtEndMs, 2500) << format.name;
    }
}

}  // namespace
}  // namespace hgf
