// The song compiler: definition lines (tones, envelopes, macros) and channel text, one line at
// a time in a single pass.
#include "SongCompiler.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>

namespace tonwerkel {
namespace {

constexpr size_t kBufferGrowth = 512;  // bytes added whenever an event buffer is full

// Reads an optional sign and decimal digits from the start of `s` (stops at the first other
// character; nothing readable gives 0). Digits beyond 32 bits wrap, so the low byte or low 16
// bits of the written number are kept whatever its length.
int32_t ReadNumber(std::string_view s) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    uint32_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10u + static_cast<uint32_t>(s[i] - '0');
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

// A length number must be a whole integer filling the rest of the token; anything else is 0.
// Large numbers saturate (they all mean "beyond 64").
int32_t ReadWholeInteger(std::string_view s) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i == s.size()) return 0;
    int64_t value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return 0;
        value = std::min<int64_t>(value * 10 + (s[i] - '0'), INT32_MAX);
    }
    return static_cast<int32_t>(negative ? -value : value);
}

// Comma-separated values of a definition line; a missing value is 0.
template <size_t N>
std::array<int32_t, N> ReadValues(std::string_view s) {
    std::array<int32_t, N> values{};
    for (size_t k = 0; k < N; ++k) {
        values[k] = ReadNumber(s);
        const size_t comma = s.find(',');
        if (comma == std::string_view::npos) break;
        s.remove_prefix(comma + 1);
    }
    return values;
}

// Ticks of a note, rest or default length: 64 / number, each dot adding half of the previous
// addition, in 8-bit arithmetic. 0 (the default length) when there is no positive number.
uint8_t LengthValue(std::string_view numberText, int dots) {
    const int32_t number = ReadWholeInteger(numberText);
    if (number <= 0) return 0;
    uint8_t value = static_cast<uint8_t>(64 / number);
    uint8_t addition = value;
    for (int d = 0; d < dots && addition != 0; ++d) {
        addition = static_cast<uint8_t>(addition / 2);
        value = static_cast<uint8_t>(value + addition);
    }
    return value;
}

bool IsTokenStart(char c) {
    switch (c) {
        case '\0':
        case '$':
        case '&':
        case '<':
        case '>':
        case '@':
        case 'A':
        case 'B':
        case 'C':
        case 'D':
        case 'E':
        case 'F':
        case 'G':
        case 'I':
        case 'L':
        case 'M':
        case 'N':
        case 'O':
        case 'P':
        case 'Q':
        case 'R':
        case 'S':
        case 'T':
        case 'U':
        case 'V':
        case 'W':
        case 'Y':
        case '{':
        case '}':
            return true;
        default:
            return false;
    }
}

void Emit(std::vector<uint8_t>& buffer, std::initializer_list<uint8_t> bytes) {
    if (buffer.size() + bytes.size() > buffer.capacity()) {
        buffer.reserve(buffer.capacity() + kBufferGrowth);
    }
    buffer.insert(buffer.end(), bytes);
}

void Emit(std::vector<uint8_t>& buffer, EventOpcode op, std::initializer_list<uint8_t> params) {
    Emit(buffer, {static_cast<uint8_t>(op)});
    Emit(buffer, params);
}

std::string_view StripDollars(std::string_view name) {
    while (!name.empty() && name.front() == '$')
        name.remove_prefix(1);
    while (!name.empty() && name.back() == '$')
        name.remove_suffix(1);
    return name;
}

class Compiler {
  public:
    Compiler(Song& song, std::array<ToneRecord, kToneCount>& tones) : song_(song), tones_(tones) {}

    void Line(std::string_view line) {
        if (line.empty() || line.front() == ';') return;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            Continuation(line);
            return;
        }
        SetHeader(line.substr(0, colon));
        HeaderLine(line.substr(colon + 1));
    }

    void Finish() {
        for (auto& buffer : song_.channels)
            Close(buffer);
        for (auto& buffer : song_.macros)
            Close(buffer);
    }

  private:
    enum class Header { kNone, kChannel, kDrums, kMacro, kSound, kLfo, kOperator, kEnvelope };

    void SetHeader(std::string_view h) {
        header_ = Header::kNone;
        if (h.size() == 1 && h[0] >= '1' && h[0] <= '6') {
            header_ = Header::kChannel;
            channel_ = h[0] - '0';
        } else if (h == "D") {
            header_ = Header::kDrums;
        } else if (h == "STR") {
            header_ = Header::kMacro;
        } else if (h == "SOUND") {
            header_ = Header::kSound;
        } else if (h == "LFO") {
            header_ = Header::kLfo;
        } else if (h == "SSGENV") {
            header_ = Header::kEnvelope;
        } else if (h.size() == 3 && h.substr(0, 2) == "OP" && h[2] >= '0' && h[2] <= '9') {
            header_ = Header::kOperator;
            operator_ = h[2] - '0';
        }
        // Any other header: the line and its continuation lines are ignored.
    }

    void HeaderLine(std::string_view rest) {
        switch (header_) {
            case Header::kChannel:
                ChannelText(rest, channel_);
                break;
            case Header::kDrums:
                ChannelText(rest, 0);
                break;
            case Header::kMacro:
                MacroDefinition(rest);
                break;
            case Header::kSound:
                if (!rest.empty() && rest.front() == '@') rest.remove_prefix(1);
                definition_ = ReadNumber(rest);
                break;
            case Header::kLfo:
                LfoValues(rest);
                break;
            case Header::kOperator:
                OperatorValues(rest);
                break;
            case Header::kEnvelope:
                EnvelopeDefinition(rest);
                break;
            case Header::kNone:
                break;
        }
    }

    void Continuation(std::string_view line) {
        switch (header_) {
            case Header::kChannel:
                ChannelText(line, channel_);
                break;
            case Header::kMacro:
                if (lastMacro_) CompileMml(line, song_.macros[*lastMacro_]);
                break;
            case Header::kEnvelope:
                if (line.substr(0, 2) == "->") line.remove_prefix(2);
                if (envelope_) AppendEnvelopeValues(line, song_.envelopes[*envelope_]);
                break;
            case Header::kDrums:  // drum text needs "D:" on every line
            case Header::kNone:
                break;
            default:  // definition headers read their continuation lines as new values
                HeaderLine(line);
                break;
        }
    }

    void ChannelText(std::string_view text, int channel) {
        std::vector<uint8_t>& buffer = song_.channels[static_cast<size_t>(channel)];
        CompileMml(text, buffer);
        Emit(buffer, EventOpcode::kLineEnd, {});
    }

    void MacroDefinition(std::string_view rest) {
        const size_t equals = rest.find('=');
        if (equals == std::string_view::npos) {
            header_ = Header::kNone;
            return;
        }
        const std::string_view name = rest.substr(0, equals);
        if (name.size() > kMaxMacroNameLength) {
            header_ = Header::kNone;  // its continuation lines belong to no macro either
            return;
        }
        const std::optional<int> number = MacroNumber(StripDollars(name), true);
        lastMacro_ = *number;
        CompileMml(rest.substr(equals + 1), song_.macros[static_cast<size_t>(*number)]);
    }

    // The number of a macro name, adding the name when it is new. With all numbers taken, a
    // definition goes to macro 255 and a call of a new name gets none.
    std::optional<int> MacroNumber(std::string_view name, bool definition) {
        auto& names = song_.macroNames;
        const auto found = std::find(names.begin(), names.end(), name);
        if (found != names.end()) return static_cast<int>(found - names.begin());
        if (names.size() < kMacroCount) {
            names.emplace_back(name);
            return static_cast<int>(names.size() - 1);
        }
        if (definition) return kMacroCount - 1;
        return std::nullopt;
    }

    ToneRecord* CurrentTone() {
        if (definition_ < 0 || definition_ >= kToneCount) return nullptr;
        return &tones_[static_cast<size_t>(definition_)];
    }

    void LfoValues(std::string_view rest) {
        ToneRecord* tone = CurrentTone();
        if (tone == nullptr) return;
        const auto v = ReadValues<5>(rest);
        tone->lfo1 = static_cast<uint8_t>(v[0] & 3);
        tone->lfo2 = static_cast<uint8_t>(v[1]);
        tone->lfo3 = static_cast<uint16_t>(v[2]);
        tone->algorithm = static_cast<uint8_t>(v[3] & 7);
        tone->feedback = static_cast<uint8_t>(v[4] & 7);
    }

    void OperatorValues(std::string_view rest) {
        ToneRecord* tone = CurrentTone();
        if (tone == nullptr || operator_ < 1 || operator_ > 4) return;
        const auto v = ReadValues<10>(rest);
        ToneOperator& op = tone->op[static_cast<size_t>(operator_ - 1)];
        op.ar = static_cast<uint8_t>(v[0] & 31);
        op.dr = static_cast<uint8_t>(v[1] & 31);
        op.sr = static_cast<uint8_t>(v[2] & 31);
        op.rr = static_cast<uint8_t>(v[3] & 15);
        op.sl = static_cast<uint8_t>(v[4] & 15);
        op.tl = static_cast<uint8_t>(v[5] & 127);
        op.ks = static_cast<uint8_t>(v[6] & 3);
        op.ml = static_cast<uint8_t>(v[7] & 15);
        // DT 0-3 detunes upwards, 4-7 downwards (5 = -1); other values count by their low bits.
        const int dt = v[8] & 7;
        op.dt = static_cast<int8_t>(dt <= 3 ? dt : 4 - dt);
        op.extra = v[9];
    }

    void EnvelopeDefinition(std::string_view rest) {
        if (!rest.empty() && rest.front() == '@') rest.remove_prefix(1);
        const size_t comma = rest.find(',');
        if (comma == std::string_view::npos) return;
        definition_ = ReadNumber(rest);
        envelope_.reset();
        if (definition_ >= 1 && definition_ < kEnvelopeCount) {
            envelope_ = static_cast<size_t>(definition_);
            AppendEnvelopeValues(rest.substr(comma + 1), song_.envelopes[*envelope_]);
        }
    }

    // Appends every comma-separated value as a byte; an empty last field adds nothing.
    static void AppendEnvelopeValues(std::string_view s, SsgEnvelope& envelope) {
        while (!s.empty()) {
            envelope.bytes.push_back(static_cast<uint8_t>(ReadNumber(s)));
            const size_t comma = s.find(',');
            if (comma == std::string_view::npos) break;
            s.remove_prefix(comma + 1);
        }
    }

    void CompileMml(std::string_view text, std::vector<uint8_t>& buffer) {
        size_t i = 0;
        while (i < text.size() && !IsTokenStart(text[i]))
            ++i;  // nothing before the first token
        while (i < text.size()) {
            if (text[i] == '$') {
                const size_t close = text.find('$', i + 1);
                const std::string_view name =
                    text.substr(i + 1, close == std::string_view::npos ? std::string_view::npos
                                                                       : close - i - 1);
                i = close == std::string_view::npos ? text.size() : close + 1;
                MacroCall(name, buffer);
                while (i < text.size() && !IsTokenStart(text[i]))
                    ++i;
                continue;
            }
            size_t end = i + 1;
            while (end < text.size() && !IsTokenStart(text[end]))
                ++end;
            Token(text.substr(i, end - i), buffer);
            i = end;
        }
    }

    void MacroCall(std::string_view name, std::vector<uint8_t>& buffer) {
        // A name too long to define can never have a buffer: the call is dropped.
        if (name.size() > kMaxMacroNameLength) return;
        const std::optional<int> number = MacroNumber(StripDollars(name), false);
        if (number) Emit(buffer, EventOpcode::kCallMacro, {static_cast<uint8_t>(*number)});
    }

    static void Token(std::string_view token, std::vector<uint8_t>& buffer) {
        int dots = 0;
        while (token.size() > 1 && token.back() == '.') {
            token.remove_suffix(1);
            ++dots;
        }
        const std::string_view number = token.substr(1);
        const auto byteOf = [&] { return static_cast<uint8_t>(ReadNumber(number)); };
        switch (token.front()) {
            case 'A':
            case 'B':
            case 'C':
            case 'D':
            case 'E':
            case 'F':
            case 'G': {
                constexpr uint8_t kSemitone[] = {9, 11, 0, 2, 4, 5, 7};  // A ... G
                uint8_t semitone = kSemitone[token.front() - 'A'];
                size_t numberStart = 1;
                if (token.size() > 1 && (token[1] == '#' || token[1] == '+')) {
                    if (semitone < 11) ++semitone;
                    numberStart = 2;
                } else if (token.size() > 1 && token[1] == '-') {
                    if (semitone > 0) --semitone;
                    numberStart = 2;
                }
                Emit(buffer, {semitone, LengthValue(token.substr(numberStart), dots)});
                break;
            }
            case 'R':
                Emit(buffer, EventOpcode::kRest, {LengthValue(number, dots)});
                break;
            case 'W':
                Emit(buffer, EventOpcode::kRestW, {LengthValue(number, dots)});
                break;
            case 'L':
                Emit(buffer, EventOpcode::kDefaultLength, {LengthValue(number, dots)});
                break;
            case 'O':
                Emit(buffer, EventOpcode::kOctave, {byteOf()});
                break;
            case 'Q':
                Emit(buffer, EventOpcode::kQuantize, {byteOf()});
                break;
            case 'V':
                Emit(buffer, EventOpcode::kVolume, {byteOf()});
                break;
            case '@':
                Emit(buffer, EventOpcode::kSelect, {byteOf()});
                break;
            case 'T':
                Emit(buffer, EventOpcode::kTempo, {byteOf()});
                break;
            case 'P':
                Emit(buffer, EventOpcode::kPortamento, {byteOf()});
                break;
            case '{':
                Emit(buffer, EventOpcode::kLoopStart, {byteOf()});
                break;
            case 'N': {
                const auto detune = static_cast<uint16_t>(ReadNumber(number));
                Emit(buffer, EventOpcode::kDetune,
                     {static_cast<uint8_t>(detune & 0xFF), static_cast<uint8_t>(detune >> 8)});
                break;
            }
            case 'U':
            case 'I': {
                const bool volume = token.front() == 'U';
                const auto v = ReadValues<3>(number);
                if (v[0] != 0 && v[1] != 0) {
                    Emit(buffer, volume ? EventOpcode::kVolumeLfoOn : EventOpcode::kPitchLfoOn,
                         {static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1]),
                          static_cast<uint8_t>(v[2])});
                } else {
                    Emit(buffer, volume ? EventOpcode::kVolumeLfoOff : EventOpcode::kPitchLfoOff,
                         {});
                }
                break;
            }
            case '&':
                Emit(buffer, EventOpcode::kTie, {});
                break;
            case '>':
                Emit(buffer, EventOpcode::kOctaveUp, {});
                break;
            case '<':
                Emit(buffer, EventOpcode::kOctaveDown, {});
                break;
            case '}':
                Emit(buffer, EventOpcode::kLoopEnd, {});
                break;
            default:  // M, S, Y: no event
                break;
        }
    }

    static void Close(std::vector<uint8_t>& buffer) {
        if (buffer.empty()) return;
        buffer.push_back(static_cast<uint8_t>(EventOpcode::kBufferEnd));
        buffer.shrink_to_fit();
    }

    Song& song_;
    std::array<ToneRecord, kToneCount>& tones_;
    Header header_ = Header::kNone;
    int channel_ = 1;
    int operator_ = 0;
    int32_t definition_ = 0;          // SOUND / SSGENV number for LFO and OP lines
    std::optional<size_t> envelope_;  // envelope that SSGENV continuation lines extend
    std::optional<int> lastMacro_;    // macro that STR continuation lines extend
};

}  // namespace

bool compileSong(std::string_view text, Song& song, std::array<ToneRecord, kToneCount>& tones) {
    song.Clear();
    Compiler compiler(song, tones);
    size_t begin = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\0') {
            if (i > begin) compiler.Line(text.substr(begin, i - begin));
            begin = i + 1;
        }
    }
    compiler.Finish();
    return true;
}

}  // namespace tonwerkel
