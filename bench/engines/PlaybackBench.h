// What the playback CPU benchmarks share: the process's CPU time, a device that plays at
// real-time pace and costs nothing itself (its thread's own time is told apart), waveOut fed
// silence without decoding (the platform's share), and the report line.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <time.h>
#endif

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <semaphore>
#include <thread>
#include <vector>

#include "engines/WaveOutput.h"
#ifdef _WIN32
#include "engines/win32/WinWaveOutput.h"
#include "platform/win32/Win32FileSystem.h"
#else
#include "platform/posix/PosixFileSystem.h"
#endif

namespace hgf::bench {

using Clock = std::chrono::steady_clock;

#ifdef _WIN32
// Kernel plus user time as GetProcessTimes and GetThreadTimes tell them, in seconds.
inline double CpuSeconds(const FILETIME& kernel, const FILETIME& user) {
    auto seconds = [](const FILETIME& time) {
        ULARGE_INTEGER value;
        value.LowPart = time.dwLowDateTime;
        value.HighPart = time.dwHighDateTime;
        return static_cast<double>(value.QuadPart) / 1e7;  // 100 ns units
    };
    return seconds(kernel) + seconds(user);
}
#endif

// User plus kernel time of this process (every thread), in seconds. Under Wine the
// figure moves in 10 ms steps, so the runs below are long.
inline double ProcessCpuSeconds() {
#ifdef _WIN32
    FILETIME creation, exit, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
    return CpuSeconds(kernel, user);
#else
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#endif
}

// User plus kernel time of the calling thread, in seconds.
inline double ThreadCpuSeconds() {
#ifdef _WIN32
    FILETIME creation, exit, kernel, user;
    GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user);
    return CpuSeconds(kernel, user);
#else
    timespec time;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return time.tv_sec + time.tv_nsec / 1e9;
#endif
}

inline double WallSeconds() {
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

inline FileSystem& Files() {
#ifdef _WIN32
    return TheWin32FileSystem();
#else
    static PosixFileSystem files;
    return files;
#endif
}

// A device that plays each buffer for as long as its sound lasts and costs nothing else.
// Waking its thread does cost CPU time (about as much as waking the feeder): that time is
// the device's, kept in DeviceCpuSeconds.
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
        // The playing thread only needs waking when it waits for a first buffer.
        if (queue_.empty()) changed_.notify_all();
        queue_.push_back(bytes_[slot]);
        busy_[slot] = true;
        order_.push_back(slot);
        return true;
    }
    bool Unprepare(int slot) override {
        std::lock_guard lock(mutex_);
        return !busy_[slot];
    }
    void Reset() override {
        std::unique_lock lock(mutex_);
        while (!queue_.empty())
            Done(lock);
    }
    std::optional<std::uint64_t> PositionBytes() override {
        std::lock_guard lock(mutex_);
        return position_;
    }
    // CPU time of the device's thread over every Open..Close so far.
    double DeviceCpuSeconds() const { return deviceCpu_; }
    void Close() override {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
            changed_.notify_all();
        }
        if (player_.joinable()) player_.join();
    }

  private:
    // Takes the oldest buffer off the queue and tells the listener, with `lock` (on
    // mutex_) released meanwhile, as a device's own thread would.
    void Done(std::unique_lock<std::mutex>& lock) {
        position_ += queue_.front();
        queue_.pop_front();
        busy_[order_.front()] = false;
        order_.pop_front();
        lock.unlock();
        listener_->BufferDone();
        lock.lock();
    }
    void Run() {
        struct Accounting {
            double& total;
            ~Accounting() { total += ThreadCpuSeconds(); }
        } accounting{deviceCpu_};
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
            if (!queue_.empty()) Done(lock);
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
    double deviceCpu_ = 0;  // written by the device's thread as it ends, read after Close
};

struct Run {
    double cpu = 0;     // seconds
    double wall = 0;    // seconds
    double device = 0;  // seconds of `cpu` that a stand-in device spent on its own thread
};

inline void Report(const char* what, const Run& run, double seconds, double decodeMsPerSecond) {
    const double msPerSecond = 1000.0 * (run.cpu - run.device) / seconds;
    std::printf(
        "%s: %.3f s CPU over %.1f s = %.2f ms CPU per s of sound (%.2f%% of one core "
        "at real-time pace, %.2f x decoding alone)",
        what, run.cpu - run.device, run.wall, msPerSecond, msPerSecond / 10.0,
        msPerSecond / decodeMsPerSecond);
    if (run.device > 0)
        std::printf("; the device's own thread took %.2f ms per s besides",
                    1000.0 * run.device / seconds);
    std::printf("\n");
}

#ifdef _WIN32
// Writes `seconds` of silence in `format` to waveOut in four cycling buffers of `bufferBytes`.
inline Run PlaySilence(double seconds, const PcmFormat& format, std::uint32_t bufferBytes) {
    struct Counter final : WaveOutputListener {
        std::counting_semaphore<4> free{4};
        void BufferDone() override { free.release(); }
    } counter;
    WinWaveOutput output;
    const double cpu = ProcessCpuSeconds();
    const double wall = WallSeconds();
    if (!output.Open(format, &counter)) return {};
    std::vector<std::uint8_t> blocks(4 * static_cast<std::size_t>(bufferBytes), 0);
    const auto total = static_cast<std::uint64_t>(seconds * format.averageBytesPerSecond);
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

}  // namespace hgf::bench
