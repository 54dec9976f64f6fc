#include "ConversionRules.h"

#include <algorithm>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace smfconverter {
namespace {

constexpr int kMaxPercent = 1000;
constexpr int kMaxTranspose = 127;  // semitones
constexpr int kMaxDigits = 4;       // larger numbers are out of every range anyway

bool IsShiftJisLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool Is(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (Lower(word[i]) != keyword[i]) return false;
    return true;
}

// The words of a line up to its comment. Spaces, tabs and the ideographic space
// (0x81 0x40) separate words; "->" is a word of its own even without spaces around it.
std::vector<std::string_view> SplitWords(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t start = std::string_view::npos;
    auto close = [&](std::size_t end) {
        if (start != std::string_view::npos) words.push_back(line.substr(start, end - start));
        start = std::string_view::npos;
    };
    std::size_t at = 0;
    while (at < line.size()) {
        const auto c = static_cast<unsigned char>(line[at]);
        const unsigned char next = at + 1 < line.size() ? line[at + 1] : 0;
        if (c == ';' || c == '#') break;
        if (c == ' ' || c == '\t' || (c == 0x81 && next == 0x40) || (c == '-' && next == '>')) {
            close(at);
            if (c == '-') words.push_back(line.substr(at, 2));
            at += c == ' ' || c == '\t' ? 1 : 2;
            continue;
        }
        if (start == std::string_view::npos) start = at;
        at += IsShiftJisLeadByte(c) && next != 0 ? 2 : 1;
    }
    close(std::min(at, line.size()));
    return words;
}

// A decimal number in [low, high]; a sign only where `signed` allows one.
std::optional<int> Number(std::string_view word, int low, int high, bool allowSign = false) {
    bool negative = false;
    if (allowSign && !word.empty() && (word[0] == '+' || word[0] == '-')) {
        negative = word[0] == '-';
        word.remove_prefix(1);
    }
    if (word.empty() || word.size() > kMaxDigits) return std::nullopt;
    int value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::optional<int> Percent(std::string_view word, int low) {
    if (word.size() < 2 || word.back() != '%') return std::nullopt;
    return Number(word.substr(0, word.size() - 1), low, kMaxPercent);
}

bool HasChannelPrefix(std::string_view word) {
    return word.size() > 2 && Lower(word[0]) == 'c' && Lower(word[1]) == 'h';
}

// "ch3" or, where `bare` allows it, "3": channel 2.
std::optional<int> Channel(std::string_view word, bool bare) {
    if (HasChannelPrefix(word)) {
        word.remove_prefix(2);
    } else if (!bare) {
        return std::nullopt;
    }
    const std::optional<int> channel = Number(word, 1, kChannels);
    if (!channel) return std::nullopt;
    return *channel - 1;
}

using Words = std::span<const std::string_view>;

// Takes a leading "chN" off `words`; false when it is there but not a channel.
bool TakeChannel(Words& words, std::optional<int>& channel) {
    if (words.empty() || !HasChannelPrefix(words[0])) return true;
    channel = Channel(words[0], false);
    words = words.subspan(1);
    return channel.has_value();
}

// "A -> B" with both numbers in [1, high]; gives them counted from 0.
bool Mapping(Words words, int high, bool channels, int& from, int& to) {
    if (words.size() != 3 || words[1] != "->") return false;
    const auto a = channels ? Channel(words[0], true) : Number(words[0], 1, high);
    const auto b = channels ? Channel(words[2], true) : Number(words[2], 1, high);
    if (!a || !b) return false;
    from = channels ? *a : *a - 1;
    to = channels ? *b : *b - 1;
    return true;
}

void Set(ChannelSetting<int>& setting, std::optional<int> channel, int value) {
    if (channel) {
        setting.channel[*channel] = value;
    } else {
        setting.all = value;
    }
}

bool ReadPercentRule(Words args, ChannelSetting<int>& setting) {
    std::optional<int> channel;
    if (!TakeChannel(args, channel) || args.size() != 1) return false;
    const std::optional<int> percent = Percent(args[0], 0);
    if (!percent) return false;
    Set(setting, channel, *percent);
    return true;
}

bool ReadProgramRule(Words args, ConversionRules& rules) {
    std::optional<int> channel;
    int from = 0, to = 0;
    if (!TakeChannel(args, channel) || channel == kDrumChannel ||
        !Mapping(args, kPrograms, false, from, to)) {
        return false;
    }
    ProgramMap& map = channel ? rules.channelPrograms[*channel] : rules.programs;
    map[from] = static_cast<std::uint8_t>(to);
    return true;
}

bool ReadLine(Words words, ConversionRules& rules) {
    if (words.empty()) return true;
    const std::string_view key = words[0];
    Words args = words.subspan(1);
    if (Is(key, "reset")) {
        if (args.size() != 1) return false;
        constexpr std::pair<std::string_view, ModuleReset> kResets[] = {{"none", ModuleReset::None},
                                                                        {"gm", ModuleReset::Gm},
                                                                        {"gm2", ModuleReset::Gm2},
                                                                        {"gs", ModuleReset::Gs},
                                                                        {"xg", ModuleReset::Xg}};
        for (const auto& [name, reset] : kResets) {
            if (Is(args[0], name)) {
                rules.reset = reset;
                return true;
            }
        }
        return false;
    }
    if (Is(key, "sysex")) {
        if (args.size() != 1 || !(Is(args[0], "remove") || Is(args[0], "keep"))) return false;
        rules.removeExclusive = Is(args[0], "remove");
        return true;
    }
    if (Is(key, "tempo")) {
        const std::optional<int> percent = args.size() == 1 ? Percent(args[0], 1) : std::nullopt;
        if (percent) rules.tempoPercent = *percent;
        return percent.has_value();
    }
    if (Is(key, "velocity")) return ReadPercentRule(args, rules.velocityPercent);
    if (Is(key, "volume")) return ReadPercentRule(args, rules.volumePercent);
    if (Is(key, "transpose")) {
        std::optional<int> channel;
        if (!TakeChannel(args, channel) || channel == kDrumChannel || args.size() != 1)
            return false;
        const std::optional<int> semitones = Number(args[0], -kMaxTranspose, kMaxTranspose, true);
        if (!semitones) return false;
        Set(rules.transpose, channel, *semitones);
        return true;
    }
    if (Is(key, "program")) return ReadProgramRule(args, rules);
    int from = 0, to = 0;
    if (Is(key, "drum")) {
        if (!Mapping(args, kPrograms, false, from, to)) return false;
        rules.drumKits[from] = static_cast<std::uint8_t>(to);
        return true;
    }
    if (Is(key, "channel")) {
        if (!Mapping(args, kChannels, true, from, to)) return false;
        rules.channelMap[from] = to;
        return true;
    }
    if (Is(key, "mute")) {
        if (args.empty()) return false;
        for (std::string_view word : args) {
            const std::optional<int> channel = Channel(word, true);
            if (!channel) return false;
            rules.channelMap[*channel] = kMutedChannel;
        }
        return true;
    }
    return false;
}

bool MapChangesSomething(const ProgramMap& map) {
    for (int program = 0; program < kPrograms; ++program)
        if (map[program] && *map[program] != program) return true;
    return false;
}

}  // namespace

std::uint8_t ConversionRules::ProgramFor(int source, std::uint8_t program) const {
    if (program >= kPrograms) return program;
    if (source == kDrumChannel) return drumKits[program].value_or(program);
    return channelPrograms[source][program].value_or(programs[program].value_or(program));
}

bool ConversionRules::ChangesNothing() const {
    if (reset != ModuleReset::None || removeExclusive || tempoPercent != 100) return false;
    if (MapChangesSomething(programs) || MapChangesSomething(drumKits)) return false;
    for (int channel = 0; channel < kChannels; ++channel) {
        if (velocityPercent.For(channel) != 100 || volumePercent.For(channel) != 100 ||
            (channel != kDrumChannel && transpose.For(channel) != 0) ||
            channelMap[channel] != channel || MapChangesSomething(channelPrograms[channel])) {
            return false;
        }
    }
    return true;
}

RulesReadResult ReadRules(std::string_view text, ConversionRules& rules) {
    // A UTF-8 byte order mark (a file saved by an editor that adds one) is skipped.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    int line = 1;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        if (!ReadLine(SplitWords(text.substr(start, end - start)), rules)) return {false, line};
        if (end == text.size()) break;
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        ++line;
    }
    return {};
}

}  // namespace smfconverter
