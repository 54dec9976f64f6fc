// Renders a demanding song (bench/mmlsynth/busy.mml with the drums of busy.dat, or the song and
// effect set given) for a number of seconds and prints the best of several runs as samples per
// second and realtime factor on one core, by the clock and by the process's CPU time (the
// figure that a machine busy with other work does not distort).
// Usage: bench_mmlsynth [RUNS [SECONDS [SONG.mml [EFFECTS.dat]]]]; RUNS 1 suits a profiler.
#include <time.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Synthesizer.h"
#include "Tables.h"

namespace {

double Seconds(clockid_t clock = CLOCK_MONOTONIC) {
    timespec now;
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::vector<char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), {});
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 60;
    const std::string path = argc > 3 ? argv[3] : HGF_BENCH_SONG;
    const std::string effectsPath = argc > 4 ? argv[4] : (argc > 3 ? "" : HGF_BENCH_EFFECTS);
    const std::vector<char> song = ReadFile(path);
    if (song.empty()) {
        std::fprintf(stderr, "bench_mmlsynth: cannot read %s\n", path.c_str());
        return 1;
    }
    const std::vector<char> effects =
        effectsPath.empty() ? std::vector<char>{} : ReadFile(effectsPath);
    if (!effectsPath.empty() && effects.empty()) {
        std::fprintf(stderr, "bench_mmlsynth: cannot read %s\n", effectsPath.c_str());
        return 1;
    }

    const long chunks =
        (static_cast<long>(seconds) * tonwerkel::kSampleRate + tonwerkel::kChunkSamples - 1) /
        tonwerkel::kChunkSamples;
    const double samples = static_cast<double>(chunks) * tonwerkel::kChunkSamples;
    std::array<int16_t, tonwerkel::kChunkSamples> block{};
    double best = 1e9;
    double bestCpu = 1e9;
    long checksum = 0;
    for (int run = 0; run < runs; ++run) {
        tonwerkel::Synthesizer synth;
        synth.SetNoiseSeed({0, 1, 0});  // the same drums every run
        synth.LoadEffects(effects.data(), effects.size());
        synth.LoadSong(song.data(), song.size());
        synth.ResetForPlay();
        const double start = Seconds();
        const double startCpu = Seconds(CLOCK_PROCESS_CPUTIME_ID);
        for (long i = 0; i < chunks; ++i) {
            synth.RenderBgmBlock(block.data());
            checksum += block[static_cast<size_t>(i % tonwerkel::kChunkSamples)];
        }
        best = std::min(best, Seconds() - start);
        bestCpu = std::min(bestCpu, Seconds(CLOCK_PROCESS_CPUTIME_ID) - startCpu);
    }
    std::printf("song: %s%s%s\n", path.c_str(),
                effectsPath.empty() ? "" : ", effects: ", effectsPath.c_str());
    std::printf("rendered %d s (%ld chunks, %.0f samples), best of %d runs: %.4f s\n", seconds,
                chunks, samples, runs, best);
    std::printf("%.0f samples per second, %.0fx realtime, %.1f us per chunk (checksum %ld)\n",
                samples / best, samples / tonwerkel::kSampleRate / best,
                best / static_cast<double>(chunks) * 1e6, checksum);
    std::printf("CPU time: best %.4f s, %.0fx realtime\n", bestCpu,
                samples / tonwerkel::kSampleRate / bestCpu);
    return 0;
}
