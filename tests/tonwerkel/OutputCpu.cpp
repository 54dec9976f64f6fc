// Measures the processor time of the output thread while a song plays in threaded mode, and
// how much of it is not rendering: the same blocks are rendered again on this thread and
// timed. Prints figures; not a test.
//   tonwerkel_output_cpu SONG.mml [EFFECTS.dat] [SECONDS]
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "Synthesizer.h"
#include "output/MMLPlay.h"
#include "win32/DirectSound.h"
#include "win32/Exports.h"

namespace {

double ThreadSeconds() {
    FILETIME creation, exit, kernel, user;
    GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
}

std::vector<uint8_t> ReadBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tonwerkel;
    if (argc < 2) {
        std::printf("usage: tonwerkel_output_cpu SONG.mml [EFFECTS.dat] [SECONDS]\n");
        return 2;
    }
    const char* effects = argc > 2 ? argv[2] : nullptr;
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 10;
    std::atomic<long> blocks{0};
    TDirectSoundBuffer::SetWriteObserver([&](uint32_t size, uint32_t, const void*, uint32_t n) {
        if (size == kBgmBufferBytes) blocks += n;
    });
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (tonwerkel_Initialize(window, 1) != -1) {
        std::printf("no sound device\n");
        return 1;
    }
    if (effects) tonwerkel_LoadSound(effects);
    if (tonwerkel_LoadBGM(argv[1]) != -1) {
        std::printf("cannot load %s\n", argv[1]);
        return 1;
    }
    TMMLPlay2* player = PlayerForTesting();
    const DWORD start = GetTickCount();
    tonwerkel_PlayBGM();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    tonwerkel_StopBGM();
    const double wall = (GetTickCount() - start) / 1000.0;
    const double threadCpu = player->CpuSeconds();
    const long written = blocks / static_cast<long>(kBlockBytes);
    tonwerkel_Finalize();

    // The same blocks rendered here, timed.
    Synthesizer synthesizer;
    if (effects) {
        auto dat = ReadBytes(effects);
        synthesizer.LoadEffects(dat.data(), dat.size());
    }
    auto song = ReadBytes(argv[1]);
    synthesizer.LoadSong(song.data(), song.size());
    synthesizer.ResetForPlay();
    std::vector<int16_t> block(kBlockSamples);
    const double renderStart = ThreadSeconds();
    for (long b = 0; b < written; ++b)
        synthesizer.RenderBgmBlock(block.data());
    const double renderCpu = ThreadSeconds() - renderStart;

    std::printf("played %.2f s wall, %ld blocks written (%.2f s of sound, %.2fx wall)\n", wall,
                written, written * 0.125, written * 0.125 / wall);
    std::printf("output thread: %.3f s processor time = %.2f%% of one core\n", threadCpu,
                100.0 * threadCpu / wall);
    std::printf("rendering the same blocks: %.3f s = %.2f%% of one core\n", renderCpu,
                100.0 * renderCpu / wall);
    std::printf("beyond rendering: %.3f s = %.2f%% of one core\n", threadCpu - renderCpu,
                100.0 * (threadCpu - renderCpu) / wall);
    DestroyWindow(window);
    return 0;
}
