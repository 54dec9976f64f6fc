// The compiled song: event buffers of the seven channels, named macro buffers and the SSG
// envelopes. FM tone records are kept by the owner, because they outlive a compile.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Timbre.h"

namespace tonwerkel {

// One opcode byte, followed by a fixed number of parameter bytes (EventParameterCount).
// Lengths are in ticks, 64 to a whole note; a length of 0 means the default length.
enum class EventOpcode : uint8_t {
    // 0-11: notes C, C#, D ... B, the semitone being the opcode; 1 byte: length.
    kRest = 12,           // R; 1: length
    kRestW = 13,          // W, the same as R; 1: length
    kOctave = 14,         // O; 1: octave
    kDefaultLength = 15,  // L; 1: length (0 leaves it unchanged)
    kQuantize = 16,       // Q; 1: gate in eighths
    kVolume = 17,         // V; 1: volume
    kSelect = 18,         // @; 1: tone or envelope number
    kTempo = 19,          // T; 1: tempo
    kDetune = 20,         // N; 2: signed 16-bit 1/256 semitones, low byte first
    kTie = 21,            // &
    kPortamento = 22,     // P; 1: glide ticks
    kVolumeLfoOn = 23,    // U; 3: depth, period, delay
    kPitchLfoOn = 24,     // I; 3: depth, period, delay
    kVolumeLfoOff = 25,   // U with a zero depth or period
    kPitchLfoOff = 26,    // I with a zero depth or period
    kOctaveUp = 27,       // >
    kOctaveDown = 28,     // <
    kLoopStart = 29,      // {; 1: count (0 = for ever)
    kLoopEnd = 30,        // }
    kCallMacro = 31,      // $name$; 1: macro number
    kLineEnd = 32,        // end of a channel line: line synchronisation mark
    kBufferEnd = 33,      // end of a channel or macro buffer
};

inline constexpr uint8_t kLastNoteOpcode = 11;
inline constexpr uint8_t kOpcodeCount = 34;

// Parameter bytes after an opcode; -1 for bytes that are no opcode.
constexpr int EventParameterCount(uint8_t op) {
    constexpr int8_t kCounts[] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // notes
                                  1, 1, 1, 1, 1, 1, 1, 1, 2, 0, 1, 3,  // R ... U on
                                  3, 0, 0, 0, 0, 1, 0, 1, 0, 0};       // I on ... end
    static_assert(sizeof(kCounts) == kOpcodeCount);
    return op < kOpcodeCount ? kCounts[op] : -1;
}

inline constexpr int kChannelCount = 7;  // 0 = drums ("D"), 1-3 FM, 4-6 SSG
inline constexpr int kMacroCount = 256;
inline constexpr size_t kMaxMacroNameLength = 254;  // longer names are ignored

struct Song {
    // Each buffer ends with kBufferEnd; an empty vector is a channel or macro without text.
    std::array<std::vector<uint8_t>, kChannelCount> channels;
    std::array<std::vector<uint8_t>, kMacroCount> macros;
    std::vector<std::string> macroNames;                // index = macro number; at most kMacroCount
    std::array<SsgEnvelope, kEnvelopeCount> envelopes;  // 1-20 are selectable

    void Clear() {
        for (auto& c : channels)
            c = {};
        for (auto& m : macros)
            m = {};
        macroNames.clear();
        for (auto& e : envelopes)
            e.bytes = {};
    }
};

}  // namespace tonwerkel
