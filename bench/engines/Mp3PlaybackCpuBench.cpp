// Prints what MP3 playback costs in process CPU time per second of sound, next to
// decoding the same file alone: the MP3 library with a device that takes the buffers at
// real-time pace and costs nothing itself (the library's own share), and on Windows also
// the full playback through waveOut and the same amount of silence written to waveOut
// without decoding (the platform's share). Under Wine: tests/engines/win32/mp3_cpu_bench.sh,
// which makes the file with lame.
// Usage: mp3_playback_cpu_bench <file.mp3>
#include <mpg123.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "Mp3Player.h"
#include "Mp3Stream.h"
#include "PlaybackBench.h"
#include "Vbmp3Platform.h"
#include "platform/CodePage932.h"
#include "vbmp3.h"

namespace {

using namespace hgf;
using namespace hgf::bench;

struct MemoryReader {
    const std::string* bytes;
    std::size_t position = 0;
    static mpg123_ssize_t Read(void* self, void* buffer, size_t count) {
        auto* reader = static_cast<MemoryReader*>(self);
        const std::size_t n = std::min(count, reader->bytes->size() - reader->position);
        std::memcpy(buffer, reader->bytes->data() + reader->position, n);
        reader->position += n;
        return static_cast<mpg123_ssize_t>(n);
    }
    static off_t Seek(void*, off_t, int) { return -1; }
};

// Decodes the whole file (held in memory) with libmpg123 alone; returns the sample frames.
long long DecodeWithLibrary(const std::string& bytes) {
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    MemoryReader reader{&bytes};
    mpg123_replace_reader_handle(handle, &MemoryReader::Read, &MemoryReader::Seek, nullptr);
    long long frames = 0;
    if (mpg123_open_handle(handle, &reader) == MPG123_OK) {
        long rate = 0;
        int channels = 0, encoding = 0;
        mpg123_getformat(handle, &rate, &channels, &encoding);
        unsigned char buffer[16384];
        for (;;) {
            std::size_t done = 0;
            const int result = mpg123_read(handle, buffer, sizeof buffer, &done);
            frames += static_cast<long long>(done) / (2 * std::max(channels, 1));
            if (result != MPG123_OK && result != MPG123_NEW_FORMAT) break;
        }
        mpg123_close(handle);
    }
    mpg123_delete(handle);
    return frames;
}

// Decodes the whole file through the library's decoder, buffer by buffer.
void DecodeWithStream(const std::string& path) {
    vbmp3::Mp3Stream stream;
    if (!stream.Open(Files().OpenRead(path))) return;
    const std::uint32_t bytes =
        WaveFeeder::BufferBytes(PcmFormat::Pcm16(stream.Channels(), stream.Rate()));
    auto block = std::make_unique<std::uint8_t[]>(bytes);
    for (;;) {
        std::uint32_t filled = 0;
        if (stream.Decode(block.get(), bytes, filled, 100, 100) ==
            vbmp3::Mp3Stream::DecodeStatus::kEnded)
            break;
    }
}

std::atomic<bool> ended{false};
void VBMP3_CALL OnEnd(int32_t code, intptr_t) {
    if (code == VBMP3_END_OF_FILE) ended = true;
}

// Plays the file to its end through the library's functions and `output`.
Run PlayFile(const std::string& path, WaveOutput& output, double seconds) {
    vbmp3::PlatformInstallation platform({&Files(), &output, &CodePage932FromUtf16});
    ended = false;
    const double cpu = ProcessCpuSeconds();
    const double wall = WallSeconds();
    vbmp3_init();
    if (vbmp3_open(path.c_str(), nullptr) != 1) return {};
    vbmp3_callback(&OnEnd);
    vbmp3_play();
    while (!ended && WallSeconds() - wall < seconds + 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    vbmp3_close();
    vbmp3_stopCallback();
    vbmp3_free();
    return {ProcessCpuSeconds() - cpu, WallSeconds() - wall};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: mp3_playback_cpu_bench <file.mp3>\n");
        return 2;
    }
    const std::string path = argv[1];
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    vbmp3::Mp3Stream probe;
    if (!probe.Open(Files().OpenRead(path))) {
        std::printf("not an MP3 file: %s\n", path.c_str());
        return 2;
    }
    const PcmFormat format = PcmFormat::Pcm16(probe.Channels(), probe.Rate());
    probe.Close();
    constexpr int kDecodePasses = 5;
    mpg123_init();
    const double seconds = static_cast<double>(DecodeWithLibrary(bytes)) / format.samplesPerSecond;
    std::printf("file: %.1f s, %u Hz, %u channel(s), %.0f kbit/s\n", seconds,
                format.samplesPerSecond, format.channels, bytes.size() * 8 / seconds / 1000.0);

    double cpu = ProcessCpuSeconds();
    for (int pass = 0; pass < kDecodePasses; ++pass)
        DecodeWithLibrary(bytes);
    const double decodeMs = 1000.0 * (ProcessCpuSeconds() - cpu) / (kDecodePasses * seconds);
    cpu = ProcessCpuSeconds();
    for (int pass = 0; pass < kDecodePasses; ++pass)
        DecodeWithStream(path);
    const double streamDecodeMs = 1000.0 * (ProcessCpuSeconds() - cpu) / (kDecodePasses * seconds);
    std::printf("decoding alone, libmpg123 from memory: %.2f ms CPU per s of sound\n", decodeMs);
    std::printf("decoding alone, the library's decoder from the file: %.2f ms CPU per s of sound\n",
                streamDecodeMs);

    PacedNullOutput paced;
    Report("library, device at real-time pace costing nothing", PlayFile(path, paced, seconds),
           seconds, decodeMs);
#ifdef _WIN32
    Report("waveOut alone, silence without decoding",
           PlaySilence(seconds, format, WaveFeeder::BufferBytes(format)), seconds, decodeMs);
    WinWaveOutput output;
    Report("library through waveOut", PlayFile(path, output, seconds), seconds, decodeMs);
#endif
    return 0;
}
