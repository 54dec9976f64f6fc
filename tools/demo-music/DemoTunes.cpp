// The demo tunes and their synthesizer: each note is a few harmonics under an
// attack-decay envelope, panned per voice, mixed and limited to 16 bits.
#include "DemoTunes.h"

#include <algorithm>
#include <cmath>

namespace hgf::demo {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kReleaseSeconds = 0.4;  // tail after the last note
constexpr double kAttackSeconds = 0.012;

double KeyFrequency(int key) {
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}  // Hz

double VoiceBeats(const Voice& voice) {
    double beats = 0;
    for (const Note& note : voice.notes)
        beats += note.beats;
    return beats;
}

// Repeats a phrase n times.
std::vector<Note> Repeat(const std::vector<Note>& phrase, int times) {
    std::vector<Note> out;
    for (int i = 0; i < times; ++i)
        out.insert(out.end(), phrase.begin(), phrase.end());
    return out;
}

}  // namespace

std::vector<Tune> DemoTunes() {
    // Key numbers: C4 = 60, D4 = 62, E4 = 64, F4 = 65, G4 = 67, A4 = 69, B4 = 71, C5 = 72.
    Tune morning{"", "01 Morning Walk.ogg", "Morning Walk", 112, {}};
    morning.voices = {
        {{{64, 1},
          {67, 1},
          {72, 1.5},
          {71, 0.5},
          {69, 1},
          {67, 1},
          {65, 1},
          {64, 1},
          {62, 1},
          {64, 1},
          {65, 1},
          {67, 1},
          {64, 3},
          {0, 1}},
         0.55,
         0.2,
         0.6,
         1.6},
        {Repeat({{48, 1}, {55, 1}, {52, 1}, {55, 1}}, 2),  // C bass walking
         0.35, -0.3, 0.3, 2.2},
    };
    morning.voices[1].notes.insert(morning.voices[1].notes.end(),
                                   {{43, 1}, {50, 1}, {47, 1}, {50, 1}, {48, 4}});

    Tune rain{"", "02 Rain on the Roof.ogg", "Rain on the Roof", 132, {}};
    rain.voices = {
        {Repeat({{69, 0.5},
                 {72, 0.5},
                 {76, 0.5},
                 {72, 0.5},
                 {67, 0.5},
                 {71, 0.5},
                 {74, 0.5},
                 {71, 0.5}},
                3),
         0.45, 0.5, 0.9, 5.0},
        {{{45, 4}, {43, 4}, {41, 4}, {40, 4}}, 0.35, -0.4, 0.2, 0.6},
        {{{0, 8}, {81, 2}, {79, 2}, {76, 4}}, 0.3, 0.0, 0.5, 1.2},
    };

    Tune waltz{"Etudes", "Lantern Waltz.ogg", "Lantern Waltz", 150, {}};
    waltz.voices = {
        {{{65, 2},
          {69, 1},
          {72, 2},
          {69, 1},
          {70, 2},
          {67, 1},
          {64, 3},
          {65, 2},
          {69, 1},
          {74, 2},
          {72, 1},
          {70, 1.5},
          {69, 0.5},
          {67, 1},
          {65, 3}},
         0.5,
         0.25,
         0.5,
         1.4},
        {Repeat({{41, 1}, {57, 1}, {60, 1}}, 2), 0.3, -0.35, 0.3, 3.0},
    };
    waltz.voices[1].notes.insert(waltz.voices[1].notes.end(), {{36, 1},
                                                               {55, 1},
                                                               {58, 1},
                                                               {36, 1},
                                                               {52, 1},
                                                               {58, 1},
                                                               {41, 1},
                                                               {57, 1},
                                                               {60, 1},
                                                               {38, 1},
                                                               {57, 1},
                                                               {62, 1},
                                                               {36, 1},
                                                               {55, 1},
                                                               {58, 1},
                                                               {41, 3}});

    Tune train{"Etudes", "Night Train.ogg", "Night Train", 126, {}};
    train.voices = {
        {Repeat({{50, 0.5},
                 {50, 0.5},
                 {57, 0.5},
                 {50, 0.5},
                 {53, 0.5},
                 {50, 0.5},
                 {55, 0.5},
                 {57, 0.5}},
                3),
         0.4, -0.2, 0.7, 3.5},
        {{{0, 4}, {74, 1.5}, {72, 0.5}, {69, 1}, {65, 1}, {67, 2}, {69, 2}, {62, 4}},
         0.5,
         0.3,
         0.45,
         0.8},
    };
    return {morning, rain, waltz, train};
}

std::int64_t FrameCount(const Tune& tune) {
    double beats = 0;
    for (const Voice& voice : tune.voices)
        beats = std::max(beats, VoiceBeats(voice));
    const double seconds = beats * 60.0 / tune.beatsPerMinute + kReleaseSeconds;
    return static_cast<std::int64_t>(seconds * kSampleRate);
}

std::vector<std::int16_t> Render(const Tune& tune) {
    const std::int64_t frames = FrameCount(tune);
    std::vector<double> mix(static_cast<size_t>(frames) * kChannels, 0.0);
    const double secondsPerBeat = 60.0 / tune.beatsPerMinute;

    for (const Voice& voice : tune.voices) {
        const double left = voice.level * std::sqrt((1.0 - voice.pan) / 2.0);
        const double right = voice.level * std::sqrt((1.0 + voice.pan) / 2.0);
        double start = 0;  // seconds
        for (const Note& note : voice.notes) {
            const double length = note.beats * secondsPerBeat;
            if (note.key > 0) {
                const double frequency = KeyFrequency(note.key);
                const std::int64_t first = static_cast<std::int64_t>(start * kSampleRate);
                const std::int64_t count =
                    static_cast<std::int64_t>((length + kReleaseSeconds) * kSampleRate);
                for (std::int64_t i = 0; i < count && first + i < frames; ++i) {
                    const double t = static_cast<double>(i) / kSampleRate;
                    double envelope = t < kAttackSeconds
                                          ? t / kAttackSeconds
                                          : std::exp(-voice.decay * (t - kAttackSeconds));
                    if (t > length) envelope *= std::max(0.0, 1.0 - (t - length) / kReleaseSeconds);
                    const double phase = 2.0 * kPi * frequency * t;
                    const double sample = std::sin(phase) +
                                          voice.brightness * 0.5 * std::sin(2 * phase) +
                                          voice.brightness * 0.25 * std::sin(3 * phase);
                    const size_t at = static_cast<size_t>(first + i) * kChannels;
                    mix[at] += sample * envelope * left;
                    mix[at + 1] += sample * envelope * right;
                }
            }
            start += length;
        }
    }

    // Scaled so the loudest sample sits a little below full scale.
    double peak = 1e-9;
    for (double s : mix)
        peak = std::max(peak, std::abs(s));
    const double scale = 0.8 * 32767.0 / peak;
    std::vector<std::int16_t> samples(mix.size());
    for (size_t i = 0; i < mix.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(std::lround(mix[i] * scale));
    }
    return samples;
}

}  // namespace hgf::demo
