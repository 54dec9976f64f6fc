// tonwerkel-render: renders an MML song offline, exactly as the song stream receives it from
// the first chunk on, into a 16-bit mono 22050 Hz WAV file.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "Synthesizer.h"
#include "Tables.h"

namespace tonwerkel {

struct RenderOptions {
    int64_t chunks = 81;       // ceil(seconds * 22050 / 2756); 10 s by default
    std::string effectsPath;   // --effects FILE.dat
    std::optional<int> sound;  // --sound N
    std::optional<std::array<uint8_t, 3>> noiseSeed;  // --noise-seed INDEX,STEP,COUNTER
    std::string songPath;                             // empty with --sound and only OUT.wav
    std::string outputPath;
};

// Parses the command line (without the program name). On failure returns nullopt and sets
// `error`.
std::optional<RenderOptions> ParseRenderOptions(const std::vector<std::string>& args,
                                                std::string& error);

// Chunks for a duration written as decimal seconds ("10", "2.5"): ceil(S * 22050 / 2756).
// Nullopt for anything that is not a positive number of at most a day.
std::optional<int64_t> ChunksForSeconds(const std::string& seconds);

// Resets the synthesizer as PlayBGM does and renders `chunks` chunks of the loaded song.
std::vector<int16_t> RenderSongChunks(Synthesizer& synth, int64_t chunks);

// Starts sound effect `sound` and renders the blocks PlaySound would write, up to and including
// the one in which the effect stops generating, at most `maxChunks`. Empty when the sound is
// empty or silent.
std::vector<int16_t> RenderEffectBlocks(Synthesizer& synth, int sound, int64_t maxChunks);

// RIFF WAV, PCM 16-bit mono 22050 Hz.
std::vector<uint8_t> EncodeWave(const std::vector<int16_t>& samples);

// Renders what the options ask for: the song, or with --sound the effect, after loading the
// effect set and seeding the noise. Returns the exit code as RunRenderTool does (0 done).
int RenderFromOptions(const RenderOptions& options, std::vector<int16_t>& samples, std::FILE* err);

// The whole program; messages go to `err`. Returns the exit code: 0 done, 1 bad input or
// output, 2 bad command line or an option that is not supported.
int RunRenderTool(const std::vector<std::string>& args, std::FILE* err);

}  // namespace tonwerkel
