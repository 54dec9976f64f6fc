// A host that uses tonwerkel.dll the way a program does: loaded by name, its exports bound by
// name. Each scenario prints what it did; playback.sh and unload.sh check the results.
//   tonwerkel_dll_host playback DATA_DIR    songs into the capture file, with stop and resume
//   tonwerkel_dll_host effect DATA_DIR      a sound effect that ends by itself
//   tonwerkel_dll_host cycles DATA_DIR      load, play, finalise and free five times
//   tonwerkel_dll_host unload DATA_DIR      freed while playing, without Finalize
//   tonwerkel_dll_host exit DATA_DIR        the process ends while playing
//   tonwerkel_dll_host analyze WAV PATTERN  checks the capture: PATTERN lists the sounding
//                                           frequencies in Hz and silences (0) in order,
//                                           e.g. 440,0,440,0,659
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Window = HWND;

struct Library {
    HMODULE module = nullptr;
    int32_t(WINAPI* Initialize)(Window, int32_t) = nullptr;
    int32_t(WINAPI* Finalize)() = nullptr;
    int32_t(WINAPI* Load)(const char*) = nullptr;
    int32_t(WINAPI* LoadBGM)(const char*) = nullptr;
    int32_t(WINAPI* LoadSound)(const char*) = nullptr;
    int32_t(WINAPI* LoadBGMFromMem)(const void*, int32_t) = nullptr;
    int32_t(WINAPI* LoadSoundFromMem)(const void*, int32_t) = nullptr;
    int32_t(WINAPI* PlayBGM)() = nullptr;
    int32_t(WINAPI* StopBGM)() = nullptr;
    int32_t(WINAPI* ResumeBGM)() = nullptr;
    int32_t(WINAPI* PlaySound)(int32_t) = nullptr;
    int32_t(WINAPI* StopSound)() = nullptr;
    int32_t(WINAPI* SetBGMVolume)(int32_t) = nullptr;
    int32_t(WINAPI* SetSoundVolume)(int32_t) = nullptr;
    int32_t(WINAPI* GetBGMVolume)() = nullptr;
    int32_t(WINAPI* GetSoundVolume)() = nullptr;
    int32_t(WINAPI* Store)(int32_t) = nullptr;
    int32_t(WINAPI* GetVersion)() = nullptr;
};

int g_failures = 0;
DWORD g_start = 0;

void Log(const char* format, const char* what, long value) {
    std::printf("%6lu ms  ", static_cast<unsigned long>(GetTickCount() - g_start));
    std::printf(format, what, value);
    std::printf("\n");
    std::fflush(stdout);
}

void Expect(const char* what, long actual, long expected) {
    Log("%s = %ld", what, actual);
    if (actual != expected) {
        std::printf("FAILED: %s: expected %ld\n", what, expected);
        ++g_failures;
    }
}

template <typename F>
void Bind(HMODULE module, F& function, const char* name) {
    function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!function) {
        std::printf("FAILED: export %s missing\n", name);
        ++g_failures;
    }
}

bool Open(Library& lib) {
    lib = Library{};
    lib.module = LoadLibraryA("tonwerkel.dll");
    if (!lib.module) {
        std::printf("FAILED: tonwerkel.dll not loaded\n");
        ++g_failures;
        return false;
    }
    Bind(lib.module, lib.Initialize, "Initialize");
    Bind(lib.module, lib.Finalize, "Finalize");
    Bind(lib.module, lib.Load, "Load");
    Bind(lib.module, lib.LoadBGM, "LoadBGM");
    Bind(lib.module, lib.LoadSound, "LoadSound");
    Bind(lib.module, lib.LoadBGMFromMem, "LoadBGMFromMem");
    Bind(lib.module, lib.LoadSoundFromMem, "LoadSoundFromMem");
    Bind(lib.module, lib.PlayBGM, "PlayBGM");
    Bind(lib.module, lib.StopBGM, "StopBGM");
    Bind(lib.module, lib.ResumeBGM, "ResumeBGM");
    Bind(lib.module, lib.PlaySound, "PlaySound");
    Bind(lib.module, lib.StopSound, "StopSound");
    Bind(lib.module, lib.SetBGMVolume, "SetBGMVolume");
    Bind(lib.module, lib.SetSoundVolume, "SetSoundVolume");
    Bind(lib.module, lib.GetBGMVolume, "GetBGMVolume");
    Bind(lib.module, lib.GetSoundVolume, "GetSoundVolume");
    Bind(lib.module, lib.Store, "Store");
    Bind(lib.module, lib.GetVersion, "GetVersion");
    return g_failures == 0;
}

void Close(Library& lib) {
    Expect("FreeLibrary", FreeLibrary(lib.module) ? 1 : 0, 1);
    lib = Library{};
}

Window MakeWindow() {
    return CreateWindowExA(0, "STATIC", "tonwerkel host", 0, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// Song stream: tone440 1.5 s, pause 0.5 s, tone440 continued 1 s, pause 0.5 s while tone660
// is loaded, tone660 from its start 1.5 s.
void Playback(Library& lib, const std::string& data) {
    Window window = MakeWindow();
    Expect("Initialize", lib.Initialize(window, 1), -1);
    Expect("GetVersion", lib.GetVersion(), 75);
    Expect("Load tone440.mml", lib.Load((data + "\\tone440.mml").c_str()), -1);
    Expect("SetBGMVolume", lib.SetBGMVolume(0), -1);
    Expect("PlayBGM", lib.PlayBGM(), -1);
    Sleep(1500);
    Expect("StopBGM", lib.StopBGM(), -1);
    Sleep(500);
    Expect("ResumeBGM", lib.ResumeBGM(), -1);
    Sleep(1000);
    Expect("StopBGM", lib.StopBGM(), -1);
    Expect("LoadBGM tone660.mml", lib.LoadBGM((data + "\\tone660.mml").c_str()), -1);
    Sleep(500);
    Expect("ResumeBGM", lib.ResumeBGM(), -1);
    Sleep(1500);
    Expect("StopBGM", lib.StopBGM(), -1);
    Expect("Finalize", lib.Finalize(), -1);
    DestroyWindow(window);
}

// A 0.5 s effect on its own: it stops by itself at its end mark.
void Effect(Library& lib, const std::string& data) {
    Window window = MakeWindow();
    Expect("Initialize", lib.Initialize(window, 1), -1);
    Expect("Load effects.dat", lib.Load((data + "\\effects.dat").c_str()), -1);
    Sleep(300);
    Expect("PlaySound", lib.PlaySound(1), -1);
    Sleep(2000);
    Expect("StopSound", lib.StopSound(), -1);
    Expect("Finalize", lib.Finalize(), -1);
    DestroyWindow(window);
}

// As the player core does for each MML item.
void Cycles(const std::string& data) {
    Window window = MakeWindow();
    for (int i = 0; i < 5; ++i) {
        Library lib;
        if (!Open(lib)) return;
        Expect("Initialize", lib.Initialize(window, 1), -1);
        Expect("Load", lib.Load((data + "\\melody.mml").c_str()), -1);
        Expect("SetBGMVolume", lib.SetBGMVolume(-500), -1);
        Expect("PlayBGM", lib.PlayBGM(), -1);
        Sleep(150);
        Expect("StopBGM", lib.StopBGM(), -1);
        Expect("StopBGM", lib.StopBGM(), -1);
        Expect("Finalize", lib.Finalize(), -1);
        Close(lib);
    }
    DestroyWindow(window);
}

// Freed while the song plays, host-driven and threaded; then used again.
void Unload(const std::string& data) {
    Window window = MakeWindow();
    for (int threaded = 0; threaded <= 1; ++threaded) {
        Library lib;
        if (!Open(lib)) return;
        Expect("Initialize", lib.Initialize(window, threaded), -1);
        Expect("Load", lib.Load((data + "\\melody.mml").c_str()), -1);
        Expect("PlayBGM", lib.PlayBGM(), -1);
        Sleep(300);
        Close(lib);
        Expect("unloaded", GetModuleHandleA("tonwerkel.dll") == nullptr ? 1 : 0, 1);
        Sleep(300);
    }
    Library lib;
    if (!Open(lib)) return;
    Expect("Initialize again", lib.Initialize(window, 1), -1);
    Expect("Load", lib.Load((data + "\\melody.mml").c_str()), -1);
    Expect("PlayBGM", lib.PlayBGM(), -1);
    Sleep(200);
    Expect("Finalize", lib.Finalize(), -1);
    Close(lib);
    DestroyWindow(window);
}

// The process ends while the output thread plays.
void Exit(Library& lib, const std::string& data) {
    Window window = MakeWindow();
    Expect("Initialize", lib.Initialize(window, 1), -1);
    Expect("Load", lib.Load((data + "\\melody.mml").c_str()), -1);
    Expect("PlayBGM", lib.PlayBGM(), -1);
    Sleep(300);
    Log("%s %ld", "exiting", 0);
    ExitProcess(0);
}

// ---- capture analysis ------------------------------------------------------------------------

struct Run {
    int hz;  // 0 = silence
    double seconds;
};

// The capture's first channel as floats. The file device writes the mixer's format; a
// 32-bit "PCM" header may carry floats, which show as values within +-1.
bool ReadCapture(const std::string& path, std::vector<float>& samples, int& rate) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < 44 || std::memcmp(file.data(), "RIFF", 4) != 0) return false;
    int channels = 0, bits = 0;
    size_t at = 12;
    while (at + 8 <= file.size()) {
        uint32_t size;
        std::memcpy(&size, &file[at + 4], 4);
        const char* body = &file[at + 8];
        if (std::memcmp(&file[at], "fmt ", 4) == 0) {
            uint16_t c, b;
            uint32_t r;
            std::memcpy(&c, body + 2, 2);
            std::memcpy(&r, body + 4, 4);
            std::memcpy(&b, body + 14, 2);
            channels = c;
            rate = static_cast<int>(r);
            bits = b;
        } else if (std::memcmp(&file[at], "data", 4) == 0) {
            size = static_cast<uint32_t>(std::min<size_t>(size, file.size() - at - 8));
            const size_t frame = static_cast<size_t>(channels) * bits / 8;
            if (!frame) return false;
            bool floats = bits == 32;
            for (size_t i = 0; i + frame <= size; i += frame) {
                float v;
                if (bits == 16) {
                    int16_t s;
                    std::memcpy(&s, body + i, 2);
                    v = s / 32768.0f;
                } else {
                    std::memcpy(&v, body + i, 4);
                    if (!(std::fabs(v) <= 1.5f)) floats = false;
                }
                samples.push_back(v);
            }
            if (bits == 32 && !floats) {
                for (size_t i = 0, n = 0; i + frame <= size; i += frame, ++n) {
                    int32_t s;
                    std::memcpy(&s, body + i, 4);
                    samples[n] = static_cast<float>(s / 2147483648.0);
                }
            }
            return rate > 0;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

// Runs of silence and of steady frequencies, in 100 ms windows; a run's frequency counts the
// rising zero crossings over the whole run. Runs shorter than 0.2 s (the edges of a stop or a
// start) are dropped.
std::vector<Run> Runs(const std::vector<float>& samples, int rate) {
    const size_t window = static_cast<size_t>(rate / 10);
    struct Raw {
        bool silent;
        int crossings;
        int windows;
        int Hz() const { return silent ? 0 : crossings * 10 / windows; }
    };
    std::vector<Raw> raw;
    for (size_t start = 0; start + window <= samples.size(); start += window) {
        double energy = 0;
        int crossings = 0;
        for (size_t i = start; i < start + window; ++i) {
            energy += samples[i] * samples[i];
            if (i > start && samples[i - 1] <= 0 && samples[i] > 0) ++crossings;
        }
        const bool silent = std::sqrt(energy / window) < 0.002;
        if (!raw.empty() && raw.back().silent == silent &&
            (silent || std::abs(raw.back().Hz() - crossings * 10) <= raw.back().Hz() / 20 + 10)) {
            raw.back().crossings += crossings;
            ++raw.back().windows;
        } else {
            raw.push_back({silent, crossings, 1});
        }
    }
    std::vector<Run> runs;
    for (const Raw& r : raw) {
        if (r.windows < 2) continue;
        const int hz = r.Hz();
        if (!runs.empty() && std::abs(runs.back().hz - hz) <= hz * 3 / 100) {
            runs.back().seconds += r.windows / 10.0;
        } else {
            runs.push_back({hz, r.windows / 10.0});
        }
    }
    return runs;
}

int Analyze(const std::string& path, const std::string& pattern) {
    std::vector<float> samples;
    int rate = 0;
    if (!ReadCapture(path, samples, rate)) {
        std::printf("FAILED: cannot read the capture %s\n", path.c_str());
        return 1;
    }
    std::vector<Run> runs = Runs(samples, rate);
    // Leading and trailing silence: the device was open before and after the song.
    while (!runs.empty() && runs.front().hz == 0)
        runs.erase(runs.begin());
    while (!runs.empty() && runs.back().hz == 0)
        runs.pop_back();
    std::printf("capture: %.2f s at %d Hz:", samples.size() / static_cast<double>(rate), rate);
    for (const Run& run : runs)
        std::printf(" %d Hz %.2f s;", run.hz, run.seconds);
    std::printf("\n");
    std::vector<int> expected;
    for (const char* p = pattern.c_str(); *p;) {
        char* end;
        expected.push_back(static_cast<int>(std::strtol(p, &end, 10)));
        p = *end ? end + 1 : end;
    }
    bool ok = runs.size() == expected.size();
    for (size_t i = 0; ok && i < runs.size(); ++i) {
        ok = expected[i] == 0 ? runs[i].hz == 0
                              : std::abs(runs[i].hz - expected[i]) <= expected[i] * 3 / 100;
    }
    std::printf("%s: expected %s\n", ok ? "matches" : "FAILED", pattern.c_str());
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: tonwerkel_dll_host SCENARIO DATA_DIR\n");
        return 2;
    }
    g_start = GetTickCount();
    const std::string scenario = argv[1];
    const std::string data = argv[2];
    if (scenario == "analyze") return argc == 4 ? Analyze(data, argv[3]) : 2;
    Library lib;
    if (scenario == "cycles") {
        Cycles(data);
    } else if (scenario == "unload") {
        Unload(data);
    } else {
        if (!Open(lib)) return 1;
        if (scenario == "playback") {
            Playback(lib, data);
        } else if (scenario == "effect") {
            Effect(lib, data);
        } else if (scenario == "exit") {
            Exit(lib, data);
        } else {
            std::printf("unknown scenario %s\n", scenario.c_str());
            return 2;
        }
        Close(lib);
    }
    std::printf("%s: %d failures\n", scenario.c_str(), g_failures);
    return g_failures == 0 ? 0 : 1;
}
