// Prints what Ogg Vorbis playback costs in process CPU time per second of sound, next to
// decoding the same file alone: the stream player with a device that takes the buffers
// at real-time pace and costs nothing itself (the player's own share), and on Windows
// also the full playback through waveOut and the same amount of silence written to
// waveOut without decoding (the platform's share). The file (44.1 kHz stereo, about
// 160 kbit/s) is made here. Under Wine: tests/engines/win32/ogg_cpu_bench.sh.
// Usage: ogg_playback_cpu_bench [seconds of sound, default 30]
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

#include <vorbis/vorbisfile.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

#include "OggTestFiles.h"
#include "engines/OggStreamPlayer.h"
#include "engines/OggVorbisStream.h"
#ifdef _WIN32
#include "engines/win32/WinWaveOutput.h"
#include "platform/win32/Win32FileSystem.h"
#else
#include "platform/posix/PosixFileSystem.h"
#endif

namespace {

using namespace hgf;
using Clock = std::chrono::steady_clock;

constexpr double kBytesPerSecond = 44100.0 * 4;  // 16-bit stereo

// User plus kernel time of this process (every thread), in seconds. Under Wine the
// figure moves in 10 ms steps, so the runs below are long.
double ProcessCpuSeconds() {
#ifdef _WIN32
    FILETIME creation, exit, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
    auto seconds = [](const FILETIME& time) {
        ULARGE_INTEGER value;
        value.LowPart = time.dwLowDateTime;
        value.HighPart = time.dwHighDateTime;
        return static_cast<double>(value.QuadPart) / 1e7;  // 100 ns units
    };
    return seconds(kernel) + seconds(user);
#else
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#endif
}

double WallSeconds() {
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

FileSystem& Files() {
#ifdef _WIN32
    return TheWin32FileSystem();
#else
    static PosixFileSystem files;
    return files;
#endif
}

// A device that plays each buffer for as long as its sound lasts and costs nothing else.
class PacedNullOutput final : public WaveOutput {
  public:
    ~PacedNullOutput() override { Close(); }
    unsigned DeviceCount() override { return 1; }
    bool Open(const PcmFormat& format, WaveOutputListener* listener) override {
        listener_ = listener;
        bytesPerSecond_ = format.averageBytesPerSecond;
        quit_ = false;
        player_ = std::thread([this] { Run(); });
        return true;
    }
    bool Prepare(int slot, const std::uint8_t*, std::uint32_t bytes) override {
        bytes_[slot] = bytes;
        return true;
    }
    bool Write(int slot) override {
        std::lock_guard lock(mutex_);
        queue_.push_back(bytes_[slot]);
        busy_[slot] = true;
        order_.push_back(slot);
        changed_.notify_all();
        return true;
    }
    bool Unprepare(int slot) override {
        std::lock_guard lock(mutex_);
        return !busy_[slot];
    }
    void Reset() override {
        std::lock_guard lock(mutex_);
        while (!queue_.empty())
            Done();
    }
    std::optional<std::uint64_t> PositionBytes() override {
        std::lock_guard lock(mutex_);
        return position_;
    }
    void Close() override {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
            changed_.notify_all();
        }
        if (player_.joinable()) player_.join();
    }

  private:
    void Done() {  // with mutex_ held
        position_ += queue_.front();
        queue_.pop_front();
        busy_[order_.front()] = false;
        order_.pop_front();
        listener_->BufferDone();
    }
    void Run() {
        std::unique_lock lock(mutex_);
        auto due = Clock::now();
        while (!quit_) {
            if (queue_.empty()) {
                changed_.wait(lock);
                due = Clock::now();
                continue;
            }
            due += std::chrono::microseconds(
                static_cast<long long>(queue_.front() * 1e6 / bytesPerSecond_));
            if (changed_.wait_until(lock, due, [&] { return quit_; })) break;
            if (!queue_.empty()) Done();
        }
    }

    WaveOutputListener* listener_ = nullptr;
    std::uint32_t bytesPerSecond_ = 1;
    std::uint32_t bytes_[kSlotCount] = {};
    bool busy_[kSlotCount] = {};
    std::thread player_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::uint32_t> queue_;
    std::deque<int> order_;
    std::uint64_t position_ = 0;
    bool quit_ = false;
};

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

struct Run {
    double cpu = 0;   // seconds
    double wall = 0;  // seconds
};

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

void Report(const char* what, const Run& run, double seconds, double decodeMsPerSecond) {
    const double msPerSecond = 1000.0 * run.cpu / seconds;
    std::printf(
        "%s: %.3f s CPU over %.1f s = %.2f ms CPU per s of sound (%.2f%% of one core "
        "at real-time pace, %.2f x decoding alone)\n",
        what, run.cpu, run.wall, msPerSecond, msPerSecond / 10.0, msPerSecond / decodeMsPerSecond);
}

#ifdef _WIN32
// Writes `seconds` of silence to waveOut in four cycling buffers of `bufferBytes`.
Run PlaySilence(double seconds, std::uint32_t bufferBytes) {
    struct Counter final : WaveOutputListener {
        std::counting_semaphore<4> free{4};
        void BufferDone() override { free.release(); }
    } counter;
    WinWaveOutput output;
    const double cpu = ProcessCpuSeconds();
    const double wall = WallSeconds();
    if (!output.Open(PcmFormat::Pcm16(2, 44100), &counter)) return {};
    std::vector<std::uint8_t> blocks(4 * static_cast<std::size_t>(bufferBytes), 0);
    const auto total = static_cast<std::uint64_t>(seconds * kBytesPerSecond);
    std::uint64_t written = 0;
    for (int slot = 0; written < total; slot = (slot + 1) % 4) {
        counter.free.acquire();
        output.Unprepare(slot);
        output.Prepare(slot, blocks.data() + slot * static_cast<std::size_t>(bufferBytes),
                       bufferBytes);
        output.Write(slot);
        written += bufferBytes;
    }
    for (int i = 0; i < 4; ++i)
        counter.free.acquire();
    output.Reset();
    for (int slot = 0; slot < 4; ++slot)
        output.Unprepare(slot);
    output.Close();
    return {ProcessCpuSeconds() - cpu, WallSeconds() - wall};
}
#endif

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
    Report("waveOut alone, silence without decoding", PlaySilence(seconds, bufferBytes), seconds,
           decodeMs);
    WinWaveOutput output;
    Report("player through waveOut", PlayFile(path, output, seconds), seconds, decodeMs);
#endif
    std::filesystem::remove(path);
    return 0;
}
