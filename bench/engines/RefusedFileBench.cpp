// Prints what a file that no engine plays costs the player: a list of empty wave files
// offered to the engines the player uses, in their order (MP3, filter graph and media
// control interface, synthesizer library, Ogg Vorbis), until every row is marked
// unplayable; then each engine's refusal on its own. Run it under Wine beside
// tonwerkel.dll and VBMP3.dll (bin/).
// Usage: refused_file_bench [files, default 200]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "FakeClock.h"
#include "RecordingMessenger.h"
#include "engines/OggStreamPlayer.h"
#include "engines/PlaybackControl.h"
#include "engines/Vbmp3Engine.h"
#include "engines/win32/WinMediaEngine.h"
#include "engines/win32/Vbmp3Library.h"
#include "engines/win32/WinMmlBridge.h"
#include "engines/win32/WinWaveOutput.h"
#include "platform/win32/Win32FileSystem.h"

namespace {

using namespace hgf;
using Stopwatch = std::chrono::steady_clock;

double MillisecondsSince(Stopwatch::time_point start) {
    return std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    const std::string folder =
        std::string(temp) + "hgf-refused-" + std::to_string(GetCurrentProcessId());
    std::filesystem::create_directories(folder);
    std::deque<PlaylistItem> rows(static_cast<std::size_t>(files));
    for (int i = 0; i < files; ++i) {
        rows[i].path = folder + "\\" + std::to_string(i) + ".wav";
        std::ofstream(rows[i].path, std::ios::binary);  // empty: nothing can play it
    }

    test::RecordingMessenger messenger;
    test::FakeClock clock;
    Playlist list(PlaylistServices{TheWin32FileSystem(), messenger, clock, {}});
    list.ReplaceItems(rows);
    list.SetPlayMode(PLAY_MODE_LIST_ORDER);
    list.SelectIndex(0);
    // The engines as the core sets them up.
    WinWaveOutput waveOutput;
    OggStreamPlayer ogg(TheWin32FileSystem(), waveOutput);
    Vbmp3Library vbmp3;  // VBMP3.dll beside the benchmark, in bin/
    Vbmp3Engine mp3(vbmp3.Binding());
    WinMciChannel mci;
    WinMediaEngine media(mci);
    WinMmlBridge mml;
    PlaybackControl control(
        list, TheWin32FileSystem(), messenger,
        PlaybackEngines{.mp3 = &mp3, .media = &media, .mml = &mml, .ogg = &ogg});

    // One attempt per call (no time given), as the player's pass makes them.
    PlayPass pass;
    PassOutcome outcome = PassOutcome::kUnfinished;
    double passMs = 0, slowestMs = 0;
    while (outcome == PassOutcome::kUnfinished) {
        const auto start = Stopwatch::now();
        outcome = control.ContinuePass(pass, nullptr, 0, 100, Stopwatch::duration::zero());
        const double ms = MillisecondsSince(start);
        passMs += ms;
        slowestMs = std::max(slowestMs, ms);
    }
    int marked = 0;
    for (const PlaylistItem& row : list.Items())
        marked += row.unplayable;
    std::printf(
        "%d empty wave files: %s, %d marked unplayable, %.1f ms per file, %.0f ms the "
        "slowest\n",
        files, outcome == PassOutcome::kStarted ? "one started (unexpected)" : "none started",
        marked, passMs / files, slowestMs);

    // Each engine's refusal alone; the synthesizer library's cycle is what the MML attempt
    // cost every such file before it looked at the suffix.
    WinMediaEngine mciOnly(mci, [](IGraphBuilder**) -> HRESULT { return REGDB_E_CLASSNOTREG; });
    const std::pair<const char*, std::function<void(const std::string&)>> attempts[] = {
        {"MP3 engine", [&](const std::string& path) { mp3.Open(path); }},
        {"media engine (filter graph, then MCI)",
         [&](const std::string& path) { media.Open(path); }},
        {"media control interface alone", [&](const std::string& path) { mciOnly.Open(path); }},
        {"tonwerkel.dll load, initialise, refuse, release",
         [&](const std::string& path) {
             mml.Bind(nullptr);
             mml.Load(path);
             mml.Unload();
         }},
        {"Ogg Vorbis player", [&](const std::string& path) { ogg.Open(path); }},
    };
    const int tries = std::min(files, 50);
    for (const auto& [what, attempt] : attempts) {
        const auto attemptStart = Stopwatch::now();
        for (int i = 0; i < tries; ++i)
            attempt(rows[i].path);
        std::printf("  %s: %.1f ms per file\n", what, MillisecondsSince(attemptStart) / tries);
    }

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
