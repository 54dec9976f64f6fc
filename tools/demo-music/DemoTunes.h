// The demo tunes of the run command: short pieces of our own, written as note lists
// and rendered with a small additive synthesizer to 16-bit stereo samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hgf::demo {

inline constexpr int kSampleRate = 44100;  // Hz
inline constexpr int kChannels = 2;

struct Note {
    int key;       // MIDI key number (60 = middle C), 0 = rest
    double beats;  // length in beats
};

struct Voice {
    std::vector<Note> notes;
    double level;       // 0..1
    double pan;         // -1 left .. +1 right
    double brightness;  // 0 soft .. 1 bright (weight of the upper harmonics)
    double decay;       // per second, envelope decay after the attack (0 = organ-like)
};

struct Tune {
    std::string folder;  // sub-folder inside the output folder ("" for the top)
    std::string file;    // file name with ".ogg"
    std::string title;
    double beatsPerMinute;
    std::vector<Voice> voices;
};

// The demo set: a few tunes of a few seconds each, two of them in a sub-folder so the
// player shows a folder heading.
std::vector<Tune> DemoTunes();

// Length of a tune in sample frames (the longest voice plus a short release).
std::int64_t FrameCount(const Tune& tune);

// Renders a tune as interleaved stereo 16-bit samples.
std::vector<std::int16_t> Render(const Tune& tune);

}  // namespace hgf::demo
