// Renders a demanding song (bench/mmlsynth/busy.mml, or the song given) for a number of
// seconds and prints the best of several runs as samples per second and realtime factor on
// one core.  Usage: bench_mmlsynth [RUNS [SECONDS [SONG.mml]]]; RUNS 1 suits a profiler.
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

double Seconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 60;
    const std::string path = argc > 3 ? argv[3] : HGF_BENCH_SONG;
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> song((std::istreambuf_iterator<char>(in)), {});
    if (song.empty()) {
        std::fprintf(stderr, "bench_mmlsynth: cannot read %s\n", path.c_str());
        return 1;
    }

    const long chunks =
        (static_cast<long>(seconds) * tonwerkel::kSampleRate + tonwerkel::kChunkSamples - 1) /
        tonwerkel::kChunkSamples;
    const double samples = static_cast<double>(chunks) * tonwerkel::kChunkSamples;
    std::array<int16_t, tonwerkel::kChunkSamples> block{};
    double best = 1e9;
    long checksum = 0;
    for (int run = 0; run < runs; ++run) {
        tonwerkel::Synthesizer synth;
        synth.LoadSong(song.data(), song.size());
        synth.ResetForPlay();
        const double start = Seconds();
        for (long i = 0; i < chunks; ++i) {
            synth.RenderBgmBlock(block.data());
            checksum += block[static_cast<size_t>(i % tonwerkel::kChunkSamples)];
        }
        best = std::min(best, Seconds() - start);
    }
    std::printf("song: %s\n", path.c_str());
    std::printf("rendered %d s (%ld chunks, %.0f samples), best of %d runs: %.4f s\n", seconds,
                chunks, samples, runs, best);
    std::printf("%.0f samples per second, %.0fx realtime, %.1f us per chunk (checksum %ld)\n",
                samples / best, samples / tonwerkel::kSampleRate / best,
                best / static_cast<double>(chunks) * 1e6, checksum);
    return 0;
}
