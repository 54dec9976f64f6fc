// Event reading (Step) and the chunk loop with line synchronisation and tempo inheritance.
#include "Sequencer.h"

#include <algorithm>
#include <iterator>

namespace tonwerkel {
namespace {

// Drum numbers of the semitones on channel D: A 0, B 1, C 2, D 3, E 4, F 5, G 6; sharps play
// the drum of their natural.
constexpr uint8_t kDrumOfSemitone[] = {2, 2, 3, 3, 4, 5, 5, 6, 6, 0, 0, 1};
static_assert(std::size(kDrumOfSemitone) == 12);

bool IsNoteOrRest(uint8_t op) {
    return op <= static_cast<uint8_t>(EventOpcode::kRestW);
}

}  // namespace

Sequencer::Sequencer(const Song& song, const std::array<ToneRecord, kToneCount>& tones,
                     const std::array<TSoundDevice*, kChannelCount>& voices)
    : song_(song), tones_(tones), voices_(voices) {}

void Sequencer::Reset() {
    for (int c = 0; c < kChannelCount; ++c) {
        voices_[static_cast<size_t>(c)]->Reset();
        channels_[static_cast<size_t>(c)] = ChannelState{};
        const std::vector<uint8_t>& buffer = song_.channels[static_cast<size_t>(c)];
        readPosition_[static_cast<size_t>(c)] = buffer.empty() ? nullptr : buffer.data();
    }
    songTempo_ = 120;
}

void Sequencer::Detach() {
    readPosition_.fill(nullptr);
}

StepResult Sequencer::Step(int c) {
    ChannelState& cs = channels_[static_cast<size_t>(c)];
    const uint8_t*& pos = readPosition_[static_cast<size_t>(c)];
    TSoundDevice& voice = *voices_[static_cast<size_t>(c)];
    bool tiePending = false;
    const uint8_t* guard = nullptr;  // an endless repeat met while reading: stop there

    for (;;) {
        if (pos == nullptr || pos == guard) return StepResult::kEnded;
        const uint8_t op = *pos;
        if (!cs.tempoSet && IsNoteOrRest(op)) return StepResult::kNoTempo;
        if (tiePending && (op == static_cast<uint8_t>(EventOpcode::kBufferEnd) ||
                           op == static_cast<uint8_t>(EventOpcode::kLoopEnd) ||
                           op == static_cast<uint8_t>(EventOpcode::kLineEnd))) {
            return StepResult::kNote;  // the tied note starts; the event waits
        }
        const int params = EventParameterCount(op);
        if (params < 0 || ++cs.eventsWithoutNote > kMaxEventsWithoutNote) {
            return StepResult::kEnded;
        }
        const uint8_t* const event = pos;
        const uint8_t* const p = event + 1;  // parameters
        pos = p + params;

        if (op <= kLastNoteOpcode) {
            cs.eventsWithoutNote = 0;  // a tie chain is as long as its text, never endless
            const uint8_t pitch =
                c == 0 ? kDrumOfSemitone[op] : static_cast<uint8_t>((cs.octave - 1) * 12 + op);
            if (tiePending && pitch != voice.note) {
                pos = event;  // the tied note sounds in full; this one starts next time
                return StepResult::kNote;
            }
            voice.previousNote = voice.note;
            voice.note = pitch;
            voice.portamentoTicks = static_cast<int16_t>(cs.portamentoTicks);
            const uint8_t ticks = p[0] != 0 ? p[0] : cs.defaultLength;
            // Tied lengths add up; they saturate at the largest 16-bit length.
            voice.length = tiePending ? static_cast<int16_t>(std::min(voice.length + ticks, 32767))
                                      : static_cast<int16_t>(ticks);
            if (*pos == static_cast<uint8_t>(EventOpcode::kTie)) {
                tiePending = true;
                voice.quantize = 8;
                continue;
            }
            voice.quantize = cs.quantize;
            return StepResult::kNote;
        }

        switch (static_cast<EventOpcode>(op)) {
            case EventOpcode::kRest:
            case EventOpcode::kRestW:
                voice.note = kRestNote;
                voice.length = p[0] != 0 ? p[0] : cs.defaultLength;
                return StepResult::kNote;
            case EventOpcode::kOctave:
                cs.octave = std::clamp<uint8_t>(p[0], 1, 8);
                break;
            case EventOpcode::kOctaveUp:
                if (cs.octave < 8) ++cs.octave;
                break;
            case EventOpcode::kOctaveDown:
                if (cs.octave > 1) --cs.octave;
                break;
            case EventOpcode::kDefaultLength:
                if (p[0] != 0) cs.defaultLength = p[0];
                break;
            case EventOpcode::kQuantize:
                cs.quantize = std::min<uint8_t>(p[0], 8);
                break;
            case EventOpcode::kVolume:
                voice.volume = std::min<uint8_t>(p[0], 15);
                break;
            case EventOpcode::kSelect:
                if (c >= 1 && c <= 3) {
                    voice.SetTone(p[0] < kToneCount ? &tones_[p[0]] : nullptr);
                } else if (c >= 4) {
                    voice.SetEnvelope(p[0] >= 1 && p[0] < kEnvelopeCount ? &song_.envelopes[p[0]]
                                                                         : nullptr);
                }
                break;
            case EventOpcode::kTempo:
                voice.setTempo(p[0]);
                songTempo_ = p[0];
                cs.tempoSet = true;
                break;
            case EventOpcode::kDetune:
                voice.detune = static_cast<int16_t>(p[0] | (p[1] << 8));
                break;
            case EventOpcode::kTie:
                break;
            case EventOpcode::kPortamento:
                voice.pitchLfoDepth = 0;
                cs.portamentoTicks = p[0];
                break;
            case EventOpcode::kVolumeLfoOn:
                voice.pitchLfoDepth = 0;
                voice.volumeLfoDepth = static_cast<int8_t>(p[0]);
                voice.volumeLfoPeriod = p[1];
                voice.volumeLfoDelay = p[2];
                break;
            case EventOpcode::kPitchLfoOn:
                voice.volumeLfoDepth = 0;
                voice.portamentoTicks = 0;
                cs.portamentoTicks = 0;
                voice.pitchLfoDepth = static_cast<int16_t>(p[0] / 2);
                voice.pitchLfoPeriod = p[1];
                voice.pitchLfoDelay = p[2];
                break;
            case EventOpcode::kVolumeLfoOff:
                voice.volumeLfoDepth = 0;
                break;
            case EventOpcode::kPitchLfoOff:
                voice.pitchLfoDepth = 0;
                break;
            case EventOpcode::kLoopStart:
                if (cs.loopDepth < kMaxNesting) {
                    cs.loopStart[static_cast<size_t>(cs.loopDepth)] = pos;
                    cs.loopCounter[static_cast<size_t>(cs.loopDepth)] = p[0];
                }
                if (cs.loopDepth < INT32_MAX) ++cs.loopDepth;
                break;
            case EventOpcode::kLoopEnd: {
                const int level = cs.loopDepth - 1;
                if (level < 0 || level >= kMaxNesting) break;
                uint8_t& counter = cs.loopCounter[static_cast<size_t>(level)];
                if (counter == 1) {
                    cs.loopDepth = level;  // last pass: leave the loop
                } else {
                    pos = cs.loopStart[static_cast<size_t>(level)];
                }
                if (counter > 0) {
                    --counter;
                } else {
                    guard = event;  // endless loop: coming back here without a note ends it
                }
                break;
            }
            case EventOpcode::kCallMacro: {
                const std::vector<uint8_t>& macro = song_.macros[p[0]];
                if (!macro.empty() && cs.callDepth < kMaxNesting) {
                    cs.callReturn[static_cast<size_t>(cs.callDepth++)] = pos;
                    pos = macro.data();
                }
                break;
            }
            case EventOpcode::kLineEnd:
                return StepResult::kLineEnd;
            case EventOpcode::kBufferEnd:
                if (cs.callDepth > 0) {
                    // Back to the caller. No guard here: a macro without notes may be called
                    // several times in a row; only repeats can run for ever, and they are
                    // guarded.
                    pos = cs.callReturn[static_cast<size_t>(--cs.callDepth)];
                } else {
                    pos = song_.channels[static_cast<size_t>(c)].data();  // the song repeats
                    guard = event;
                }
                break;
            default:
                break;
        }
    }
}

void Sequencer::RenderChunk(int16_t* mix) {
    std::fill(mix, mix + kChunkSamples, int16_t{0});
    int16_t* start = mix;
    int16_t* const end = mix + kChunkSamples;
    int16_t* furthest = start;
    std::array<bool, kChannelCount> runnable{};
    for (int c = 0; c < kChannelCount; ++c)
        runnable[static_cast<size_t>(c)] = playing(c);

    for (;;) {
        bool tempoMissing = false;
        for (int c = 0; c < kChannelCount; ++c) {
            ChannelState& cs = channels_[static_cast<size_t>(c)];
            if (!runnable[static_cast<size_t>(c)] || cs.waiting) continue;
            TSoundDevice& voice = *voices_[static_cast<size_t>(c)];
            int16_t* position = start;
            for (;;) {
                position = voice.Render(position, end);
                if (position >= end) break;
                const StepResult r = Step(c);
                if (r == StepResult::kNote) {
                    cs.eventsWithoutNote = 0;
                    voice.KeyOn();
                    continue;
                }
                if (r == StepResult::kLineEnd) {
                    cs.waiting = true;
                    furthest = std::max(furthest, position);
                } else if (r == StepResult::kNoTempo) {
                    tempoMissing = true;
                } else {
                    readPosition_[static_cast<size_t>(c)] = nullptr;
                    runnable[static_cast<size_t>(c)] = false;
                }
                break;
            }
        }

        if (tempoMissing) {
            // Channels without a tempo of their own take the song's tempo at their first note.
            for (int c = 0; c < kChannelCount; ++c) {
                ChannelState& cs = channels_[static_cast<size_t>(c)];
                if (cs.tempoSet) {
                    runnable[static_cast<size_t>(c)] = false;
                } else {
                    voices_[static_cast<size_t>(c)]->setTempo(songTempo_);
                    cs.tempoSet = true;
                }
            }
            continue;
        }

        // When every channel still playing waits at the end of its line, all continue together
        // from where the last of them arrived. A channel in the middle of a note (one that sat
        // out a pass while others took the song tempo) is not at a line end, so the others keep
        // waiting for it; with no channel left the chunk is done.
        bool anyPlaying = false;
        bool allAtLineEnd = true;
        for (int c = 0; c < kChannelCount; ++c) {
            if (!playing(c)) continue;
            anyPlaying = true;
            allAtLineEnd = allAtLineEnd && channels_[static_cast<size_t>(c)].waiting;
        }
        if (anyPlaying && allAtLineEnd) {
            for (int c = 0; c < kChannelCount; ++c) {
                channels_[static_cast<size_t>(c)].waiting = false;
                runnable[static_cast<size_t>(c)] = playing(c);
            }
            start = furthest;
            continue;
        }
        break;
    }
}

}  // namespace tonwerkel
