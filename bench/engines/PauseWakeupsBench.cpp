// Counts how often the player's own threads wake up while a playback is paused: an Ogg
// Vorbis file (stream feeder and timed watcher) and a wave file through the filter graph
// (media watcher), each paused for a while after it started. Under Wine every Windows
// thread is a Linux thread, and the kernel counts its context switches; the player names
// its threads "hgf-...", so theirs are read from /proc by name. The platform's threads
// (audio, filter graph) are summed apart.
// Usage: pause_wakeups_bench [seconds of pause, default 5] [--max-per-second N]
// With --max-per-second the exit code is 1 when one of the player's threads woke more
// often than N times per second of pause (the check the test runs).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "MediaTestFiles.h"
#include "OggTestFiles.h"
#include "win32/OneRowList.h"
#include "engines/OggStreamPlayer.h"
#include "engines/PlaybackControl.h"
#include "engines/win32/WinMediaEngine.h"
#include "engines/win32/WinWaveOutput.h"
#include "platform/ThreadName.h"
#include "platform/win32/Win32FileSystem.h"

namespace {

using namespace hgf;

constexpr double kTrackSeconds = 60;  // far longer than the pause
constexpr DWORD kPlayBeforePauseMs = 1000;

std::string ReadLinuxFile(const std::string& path) {
    std::ifstream file("Z:" + path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Context switches of one Linux thread: the times it went to sleep and was woken again,
// and the times it was preempted.
std::uint64_t ContextSwitches(const std::string& status) {
    std::uint64_t total = 0;
    for (const char* key : {"voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:"}) {
        const std::size_t at = status.find(key);
        if (at != std::string::npos)
            total += std::strtoull(&status[at + std::strlen(key)], nullptr, 10);
    }
    return total;
}

// The Linux process id of this program: the /proc entry whose main thread carries the
// name this program gave its main thread.
std::string LinuxProcessId() {
    const std::string name = "hgf-wake-" + std::to_string(GetCurrentProcessId() % 100000);
    NameCurrentThread(name.c_str());
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::string found;
    do {
        const std::string pid = entry.cFileName;
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        if (ReadLinuxFile("/proc/" + pid + "/comm") == name + "\n") found = pid;
    } while (found.empty() && FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

struct ThreadCount {
    std::string name;
    std::uint64_t switches = 0;
};

// Every thread of the process by Linux thread id.
std::map<std::string, ThreadCount> SampleThreads(const std::string& pid) {
    std::map<std::string, ThreadCount> threads;
    const std::string tasks = "/proc/" + pid + "/task/";
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(("Z:" + tasks + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return threads;
    do {
        const std::string tid = entry.cFileName;
        if (tid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string name = ReadLinuxFile(tasks + tid + "/comm");
        if (!name.empty() && name.back() == '\n') name.pop_back();
        threads[tid] = {name, ContextSwitches(ReadLinuxFile(tasks + tid + "/status"))};
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return threads;
}

// Runs this thread's messages (the filter graph was made here) for `ms` milliseconds,
// sleeping until one arrives.
void PumpFor(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (ULONGLONG now; (now = GetTickCount64()) < end;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
}

// Plays `path` with the given engines, pauses it for `pauseSeconds` and prints the wake-ups
// of each thread meanwhile. Returns the most wake-ups per second of one of the player's
// threads, or -1 when the track did not start.
double MeasurePause(const char* what, const std::string& path, PlaybackEngines engines,
                    const std::string& pid, double pauseSeconds) {
    test::OneRowList row(path);
    PlaybackControl control(row.list, TheWin32FileSystem(), row.messenger, engines);
    if (!control.Play(nullptr, 0, 100)) {
        std::printf("%s: the file did not start\n", what);
        return -1;
    }
    PumpFor(kPlayBeforePauseMs);
    control.TogglePause();
    PumpFor(300);  // the pause settles
    const auto before = SampleThreads(pid);
    const DWORD pauseMs = static_cast<DWORD>(pauseSeconds * 1000);
    PumpFor(pauseMs);
    const auto after = SampleThreads(pid);
    control.Stop();

    std::printf("%s, %.1f s paused: wake-ups per thread\n", what, pauseSeconds);
    double worst = 0;
    std::uint64_t platform = 0;
    for (const auto& [tid, sample] : after) {
        const auto earlier = before.find(tid);
        if (earlier == before.end()) continue;  // started during the pause
        const std::uint64_t wakeups = sample.switches - earlier->second.switches;
        if (sample.name.rfind("hgf-wake-", 0) == 0) continue;  // this program's pump
        if (sample.name.rfind("hgf-", 0) != 0) {
            platform += wakeups;
            continue;
        }
        std::printf("  %-16s %6llu\n", sample.name.c_str(),
                    static_cast<unsigned long long>(wakeups));
        worst = std::max(worst, wakeups / pauseSeconds);
    }
    std::printf("  (the platform's threads: %llu together)\n",
                static_cast<unsigned long long>(platform));
    return worst;
}

std::string TempFile(const char* name) {
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + "hgf-wake-" + std::to_string(GetCurrentProcessId()) + name;
}

}  // namespace

int main(int argc, char** argv) {
    double pauseSeconds = 5;
    double maxPerSecond = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--max-per-second") == 0 && i + 1 < argc)
            maxPerSecond = std::atof(argv[++i]);
        else
            pauseSeconds = std::atof(argv[i]);
    }
    const std::string pid = LinuxProcessId();
    if (pid.empty()) {
        std::printf("no Linux thread counters here (this program measures under Wine)\n");
        return maxPerSecond < 0 ? 0 : 1;
    }

    const std::string ogg = TempFile(".ogg");
    const std::string wave = TempFile(".wav");
    std::ofstream(ogg, std::ios::binary) << test::EncodeTone({.seconds = kTrackSeconds});
    test::WriteToneWave(wave, 440, kTrackSeconds);

    WinWaveOutput output;
    OggStreamPlayer oggPlayer(TheWin32FileSystem(), output);
    WinMciChannel mci;
    WinMediaEngine media(mci);
    const double oggWorst =
        MeasurePause("Ogg Vorbis file", ogg, PlaybackEngines{.ogg = &oggPlayer}, pid, pauseSeconds);
    const double mediaWorst = MeasurePause("wave file through the filter graph", wave,
                                           PlaybackEngines{.media = &media}, pid, pauseSeconds);
    DeleteFileA(ogg.c_str());
    DeleteFileA(wave.c_str());

    if (maxPerSecond < 0) return 0;
    const bool started = oggWorst >= 0 && mediaWorst >= 0;
    const bool calm = std::max(oggWorst, mediaWorst) <= maxPerSecond;
    std::printf("%s\n", !started ? "a file did not start"
                        : calm   ? "every thread of the player slept while paused"
                                 : "a thread of the player woke too often while paused");
    return started && calm ? 0 : 1;
}
