// The rules of a conversion and the configuration text they are read from: Shift_JIS
// text, one rule per line, comments from ";" or "#" to the end of the line. Channels,
// programs and drum kits are counted from 1 in the text (as sound modules print them) and
// from 0 here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace smfconverter {

constexpr int kChannels = 16;
constexpr int kPrograms = 128;
constexpr int kDrumChannel = 9;  // channel 10
constexpr int kMutedChannel = -1;

enum class ModuleReset { None, Gm, Gm2, Gs, Xg };

// A value for every channel, where a channel's own setting wins over the all-channel one.
template <typename T>
struct ChannelSetting {
    T all;
    std::array<std::optional<T>, kChannels> channel{};

    T For(int source) const { return channel[source].value_or(all); }
};

// A program (or drum kit) number 0..127 for each number that is remapped.
using ProgramMap = std::array<std::optional<std::uint8_t>, kPrograms>;

struct ConversionRules {
    ModuleReset reset = ModuleReset::None;  // sent at the very start of the song
    bool removeExclusive = false;           // the song's own exclusive messages
    int tempoPercent = 100;                 // 200: twice as fast
    ChannelSetting<int> velocityPercent{100};
    ChannelSetting<int> volumePercent{100};               // channel volume (control change 7)
    ChannelSetting<int> transpose{0};                     // semitones; the drum channel never moves
    ProgramMap programs{};                                // every channel but the drum channel
    std::array<ProgramMap, kChannels> channelPrograms{};  // wins over `programs`
    ProgramMap drumKits{};                                // program changes on the drum channel
    // The channel each source channel's messages go to, or kMutedChannel.
    std::array<int, kChannels> channelMap = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

    // The program that a program change to `program` on `source` becomes.
    std::uint8_t ProgramFor(int source, std::uint8_t program) const;
    // True when applying the rules would leave every song as it is.
    bool ChangesNothing() const;
};

struct RulesReadResult {
    bool ok = true;
    int errorLine = 0;  // the first line that is not a rule, counted from 1
};

// Reads the rules of `text` on top of `rules`: a later line replaces an earlier one of the
// same kind and channel. On an error `rules` holds the lines before it; the caller should
// not use them.
RulesReadResult ReadRules(std::string_view text, ConversionRules& rules);

}  // namespace smfconverter
