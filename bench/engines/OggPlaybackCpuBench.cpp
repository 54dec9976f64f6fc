// Prints what Ogg Vorbis playback costs in process CPU time per second of sound, next to
// decoding the same file alone: the stream player with a device that takes the buffers
// at real-time pace and costs nothing itself (the player's own share), and on Windows
// also the full playback through waveOut and the same amount of silence written to
// waveOut without decoding (the platform's share). The file (44.1 kHz stereo, about
// 160 kbit/s) is made here. Under Wine: tests/engines/win32/ogg_cpu_bench.sh.
// Usage: ogg_playback_cpu_bench [seconds of sound, default 30]
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "OggTestFiles.h"
#include "PlaybackBench.h"
#include "engines/OggStreamPlayer.h"
#include "engines/OggVorbisStream.h"

namespace {

using namespace hgf;
using namespace hgf::bench;

constexpr double kBytesPerSecond = 44100.0 * 4;  // 16-bit stereo

// Decodes the whole file to 16-bit samples with vorbisfile; returns the seconds of sound.
double DecodeWithVorbisfile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    OggVorbis_File vorbisFile;
    if (ov_open(file, &vorbisFile, nullptr, 0) < 0) {
        std::fclose(file);
        return 0;
    }
    char buffer[4096];
    int link = 0;
    long total = 0;
    for (long got; (got = ov_read(&vorbisFile, buffer, sizeof buffer, 0, 2, 1, &link)) > 0;)
        total += got;
    ov_clear(&vorbisFile);
    return total / kBytesPerSecond;
}

// Decodes the whole file through the stream player's decoder, buffer by buffer.
void DecodeWithStreamDecoder(const std::string& path) {
    OggVorbisStream stream;
    if (!stream.Open(Files().OpenRead(path))) return;
    auto block = std::make_unique<std::uint8_t[]>(OggStreamPlayer::kBufferBytes);
    for (;;) {
        std::uint32_t filled = 0;
        if (stream.Decode(block.get(), OggStreamPlayer::kBufferBytes, filled, 1.0f) ==
            OggVorbisStream::DecodeStatus::kStreamEnded)
            break;
    }
}

// Plays the file to its end through `output`.
Run PlayFile(const std::string& path, WaveOutput& output, double seconds) {
    OggStreamPlayer player(Files(), output);
    const double cpu = ProcessCpuSeconds();
    const double wall = WallSeconds();
    if (!player.Open(path)) return {};
    player.Start();
    while (!player.Finished() && WallSeconds() - wall < seconds + 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    player.Close();
    return {ProcessCpuSeconds() - cpu, WallSeconds() - wall};
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    constexpr int kDecodePasses = 5;
    const std::string path =
        (std::filesystem::temp_directory_path() /
         ("hgf-ogg-bench-" + std::to_string(Clock::now().time_since_epoch().count()) + ".ogg"))
            .string();
    const std::string bytes = test::EncodeTone({.channels = 2,
                                                .rate = 44100,
                                                .seconds = seconds,
                                                .frequency = 440,
                                                .amplitude = 0.4,
                                                .noise = 0.3,
                                                .bitrate = 160000});
    std::ofstream(path, std::ios::binary) << bytes;
    const double bytesPerSecondOfFile = bytes.size() / seconds;
    std::printf("file: %.1f s, 44100 Hz stereo, %.0f kbit/s\n", seconds,
                bytesPerSecondOfFile * 8 / 1000.0);

    double cpu = ProcessCpuSeconds();
    for (int pass = 0; pass < kDecodePasses; ++pass)
        DecodeWithVorbisfile(path);
    const double decodeMs = 1000.0 * (ProcessCpuSeconds() - cpu) / (kDecodePasses * seconds);
    cpu = ProcessCpuSeconds();
    for (int pass = 0; pass < kDecodePasses; ++pass)
        DecodeWithStreamDecoder(path);
    const double streamDecodeMs = 1000.0 * (ProcessCpuSeconds() - cpu) / (kDecodePasses * seconds);
    std::printf("decoding alone, vorbisfile: %.2f ms CPU per s of sound\n", decodeMs);
    std::printf("decoding alone, the player's decoder: %.2f ms CPU per s of sound\n",
                streamDecodeMs);

    PacedNullOutput paced;
    Report("player, device at real-time pace costing nothing", PlayFile(path, paced, seconds),
           seconds, decodeMs);
#ifdef _WIN32
    // The player's buffers hold what one 4096-byte chunk of the file decodes to.
    const auto bufferBytes =
        static_cast<std::uint32_t>(4096.0 * kBytesPerSecond / bytesPerSecondOfFile) & ~3u;
    Report("waveOut alone, silence without decoding",
           PlaySilence(seconds, PcmFormat::Pcm16(2, 44100), bufferBytes), seconds, decodeMs);
    WinWaveOutput output;
    Report("player through waveOut", PlayFile(path, output, seconds), seconds, decodeMs);
#endif
    std::filesystem::remove(path);
    return 0;
}
