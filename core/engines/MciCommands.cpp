// Formatting of the media control interface's commands.
#include "engines/MciCommands.h"

#include <algorithm>
#include <cstdio>

namespace hgf {

std::string MciOpenCommand(const std::string& path) {
    // A path with an embedded NUL would open only its first part.
    if (path.find('\0') != std::string::npos) return {};
    char command[kMciOpenCommandBytes];
    const int length =
        std::snprintf(command, sizeof command, "open \"%s\" alias music wait", path.c_str());
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof command) return {};
    return std::string(command, static_cast<std::size_t>(length));
}

int MciVolumeLevel(int attenuation) {
    return (std::clamp(attenuation, -10000, 0) + 10000) / 10;
}

std::array<std::string, 2> MciVolumeCommands(int attenuation) {
    const std::string level = std::to_string(MciVolumeLevel(attenuation));
    return {"setaudio music left volume to " + level + " wait",
            "setaudio music right volume to " + level + " wait"};
}

std::string MciPlayFromCommand(std::int64_t ms) {
    std::string command = "play music from ";  // appended: gcc 12 misreads a chain of +
    command += std::to_string(ms);
    command += " notify";
    return command;
}

std::int64_t MciNumber(const std::string& answer) {
    if (answer.empty() || answer.size() > 18) return -1;
    std::int64_t value = 0;
    for (char c : answer) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace hgf
