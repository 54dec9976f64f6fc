// Prints the CPU time a playback that resumes near the end of a long stream spends before
// its first output buffer is full: the decoder opened, sought to the start (or, as where
// the file cannot seek, the frames before it decoded and dropped), and one quarter second
// decoded, all through the players' own FeedPosition. The streams (FLAC, Ogg Vorbis, Ogg
// Opus: a stereo tone; MP3: frames of stereo silence, as no encoder library is at hand)
// are made once and kept in the folder given.
// Usage: start_position_bench [minutes, default 60] [folder, default /tmp/hgf-start-bench]
// The start is ten minutes before the end.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Mp3Stream.h"
#include "Mp3TestFiles.h"
#include "OggTestFiles.h"
#include "PlaybackBench.h"
#include "StreamTestFiles.h"
#include "engines/FeedPosition.h"
#include "engines/FlacOpusPlayer.h"
#include "engines/OggVorbisStream.h"

namespace {

using namespace hgf;
using namespace hgf::bench;

// The file `name` in `folder`, made by `make` when it is not there yet.
std::string Made(const std::filesystem::path& folder, const std::string& name,
                 const std::function<std::string()>& make) {
    const std::filesystem::path path = folder / name;
    if (!std::filesystem::exists(path)) {
        std::printf("making %s...\n", path.c_str());
        std::fflush(stdout);
        const std::string bytes = make();
        std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
    }
    return path.string();
}

// One decoder, opened: its format, its seek and its decoding.
struct Opened {
    unsigned rate = 0;
    unsigned channels = 0;
    std::function<bool(std::uint64_t)> seek;
    std::function<bool(std::uint8_t*, std::uint32_t, std::uint32_t&)> decode;  // false: ended
};

Opened OpenStream(const std::string& path, const std::string& kind) {
    std::unique_ptr<InputFile> file = Files().OpenRead(path);
    if (kind == "mp3") {
        auto stream = std::make_shared<vbmp3::Mp3Stream>();
        if (!stream->Open(std::move(file))) return {};
        return {stream->Rate(), stream->Channels(),
                [stream](std::uint64_t frame) { return stream->SeekToFrame(frame); },
                [stream](std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled) {
                    return stream->Decode(block, capacity, filled, 100, 100) ==
                           vbmp3::Mp3Stream::DecodeStatus::kFull;
                }};
    }
    std::shared_ptr<StreamDecoder> decoder;
    if (kind == "vorbis") {
        auto vorbis = std::make_unique<OggVorbisStream>();
        if (vorbis->Open(std::move(file))) decoder = std::move(vorbis);
    } else {
        decoder = OpenFlacOrOpus(std::move(file));
    }
    if (!decoder) return {};
    return {decoder->Rate(), decoder->Channels(),
            [decoder](std::uint64_t frame) { return decoder->SeekToFrame(frame); },
            [decoder](std::uint8_t* block, std::uint32_t capacity, std::uint32_t& filled) {
                return decoder->Decode(block, capacity, filled, 1.0f) ==
                       StreamDecoder::Status::kFull;
            }};
}

// CPU seconds (this thread) from opening `path` to its first full quarter-second buffer
// from `startMs` on; negative when it cannot be opened or ends before.
double FirstBufferSeconds(const std::string& path, const std::string& kind, std::int64_t startMs,
                          bool seek, bool& sought) {
    const double before = ThreadCpuSeconds();
    Opened stream = OpenStream(path, kind);
    if (!stream.decode) return -1;
    const std::uint32_t frameBytes = 2 * stream.channels;
    const std::uint32_t bufferFrames = stream.rate / 4;
    FeedPosition position;
    position.Reset(stream.rate, frameBytes, bufferFrames);
    sought = false;
    position.StartAt(startMs, [&](std::uint64_t frame) {
        sought = seek && stream.seek(frame);
        return sought;
    });
    position.Release();
    std::vector<std::uint8_t> block(bufferFrames * frameBytes);
    std::uint32_t filled = 0;
    const bool full = position.Feed(block.data(), static_cast<std::uint32_t>(block.size()), filled,
                                    true, stream.decode);
    const double seconds = ThreadCpuSeconds() - before;
    return full && filled == block.size() ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const int minutes = argc > 1 ? std::max(11, std::atoi(argv[1])) : 60;
    const std::filesystem::path folder = argc > 2 ? argv[2] : "/tmp/hgf-start-bench";
    std::filesystem::create_directories(folder);
    const double seconds = minutes * 60.0;
    const std::string tag = std::to_string(minutes) + "min";
    const test::PcmToneOptions tone{.channels = 2, .rate = 44100, .seconds = seconds};

    struct Stream {
        const char* kind;
        std::string path;
    } streams[] = {
        {"flac", Made(folder, tag + ".flac", [&] { return test::EncodeFlac(tone); })},
        {"vorbis",
         Made(folder, tag + ".ogg",
              [&] {
                  return test::EncodeTone(
                      {.channels = 2, .rate = 44100, .seconds = seconds, .title = "bench"});
              })},
        {"opus", Made(folder, tag + ".opus", [&] { return test::EncodeOpus(tone); })},
        // 1152 frames a frame at 44100 Hz.
        {"mp3",
         Made(folder, tag + ".mp3",
              [&] { return test::SilentFrames(static_cast<int>(seconds * 44100 / 1152), true); })},
    };

    const std::int64_t startMs = std::int64_t{minutes - 10} * 60 * 1000;
    std::printf("CPU time to the first quarter-second buffer, starting at minute %d of %d\n",
                minutes - 10, minutes);
    std::printf("%-8s %14s %14s %10s\n", "stream", "seek (s)", "decode+drop (s)", "ratio");
    for (const Stream& stream : streams) {
        bool sought = false;
        bool dropped = false;
        const double withSeek = FirstBufferSeconds(stream.path, stream.kind, startMs, true, sought);
        const double withDrop =
            FirstBufferSeconds(stream.path, stream.kind, startMs, false, dropped);
        std::printf("%-8s %14.4f %14.3f %9.0fx%s\n", stream.kind, withSeek, withDrop,
                    withSeek > 0 ? withDrop / withSeek : 0.0, sought ? "" : "  (seek failed)");
    }
    return 0;
}
