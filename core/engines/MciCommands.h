// The string commands of the media control interface for the one media file, which is
// always opened under the device alias "music". Portable, so that the exact texts are
// checked natively; the Win32 media engine sends them through an MciChannel.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Messenger.h"

namespace hgf {

inline constexpr char kMciPlay[] = "play music notify";  // to the notify window
inline constexpr char kMciHideWindow[] = "window music state hide";
inline constexpr char kMciVideoOff[] = "set music video off";
inline constexpr char kMciPause[] = "pause music wait";
// Before the play command that resumes a paused device: some devices answer a play on a
// paused device with an immediate success notification instead of one at the end.
inline constexpr char kMciResume[] = "resume music wait";
inline constexpr char kMciClose[] = "close music wait";
// Positions and lengths in milliseconds (sent before each query and each "play from").
inline constexpr char kMciTimeFormatMs[] = "set music time format milliseconds wait";
inline constexpr char kMciLength[] = "status music length wait";
inline constexpr char kMciPosition[] = "status music position wait";

// "play music from <ms> notify".
std::string MciPlayFromCommand(std::int64_t ms);

// The open command is formatted into a buffer of this many bytes (NUL included).
inline constexpr std::size_t kMciOpenCommandBytes = 600;

// "open \"<path>\" alias music wait". Empty when the command would not fit its buffer: a
// cut command would open another file, or none.
std::string MciOpenCommand(const std::string& path);

// The level 0..1000 for an attenuation of -10000..0 hundredths of a decibel:
// (a + 10000) / 10, rounded towards zero. Attenuations outside that range are clamped.
int MciVolumeLevel(int attenuation);

// "setaudio music left volume to <level> wait", then the same for the right channel.
std::array<std::string, 2> MciVolumeCommands(int attenuation);

// Where the commands go (mciSendString on Windows; a recorder in tests).
class MciChannel {
  public:
    virtual ~MciChannel() = default;
    // Sends `command` without asking for a return string. `notifyWindow` (may be null)
    // receives MM_MCINOTIFY when a "notify" command completes. 0: MCI accepted it.
    virtual std::uint32_t Send(const std::string& command, WindowHandle notifyWindow) = 0;
    // Sends `command` and keeps its return string in `answer`. 0: MCI accepted it.
    virtual std::uint32_t Query(const std::string& command, std::string& answer) = 0;
};

// The number an MCI query answered (decimal digits), or -1.
std::int64_t MciNumber(const std::string& answer);

}  // namespace hgf
