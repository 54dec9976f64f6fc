// One conversion as a caller asks for it: the item, where the converted file goes, and up to
// two configuration files (the second read after the first, so that its lines win). The
// converted file is written only when every step succeeded; the report says what happened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "SmfReader.h"

namespace smfconverter {

constexpr std::size_t kMaxSongBytes = 16 * 1024 * 1024;
constexpr std::size_t kMaxConfigurationBytes = 1024 * 1024;

// The files a conversion reads and writes (the platform's, or a test's).
class ConversionFiles {
  public:
    virtual ~ConversionFiles() = default;
    // Up to `count` bytes from the start of `path`; nothing when it cannot be read.
    virtual std::optional<std::vector<std::uint8_t>> ReadStart(const std::string& path,
                                                               std::size_t count) = 0;
    // The whole of `path`; nothing when it cannot be read or holds more than `limit` bytes.
    virtual std::optional<std::vector<std::uint8_t>> ReadAll(const std::string& path,
                                                             std::size_t limit) = 0;
    // Puts `bytes` at `path` in one step; on failure `path` is left as it was.
    virtual bool Replace(const std::string& path, Bytes bytes) = 0;
};

struct ConversionRequest {
    std::string item;
    std::string output;
    std::string configuration;
    std::string secondConfiguration;  // empty, or the same path: none
};

enum ConversionOutcome : std::int32_t {
    kConverted = 1,           // the converted file was written
    kNothingToChange = 2,     // the configuration holds no rule that changes a song
    kConfigurationError = 3,  // a configuration file is missing, too large, or has a bad line
    kNotMidi = 4,             // the item is not a Standard MIDI File
    kUnsupportedFormat = 5,   // format 2
    kDamaged = 6,             // the item's lengths or events do not hold together
    kUnreadable = 7,          // the item cannot be read, or is too large
    kNotWritten = 8,          // the converted file could not be written
};

// Six 32-bit words, as the converter's callers pass them (zero-filled).
struct ConversionReport {
    std::int32_t outcome = 0;  // a ConversionOutcome
    std::int32_t format = 0;   // of the item, once its header was read
    std::int32_t trackCount = 0;
    std::int32_t eventsWritten = 0;
    std::int32_t errorLine = 0;  // with kConfigurationError: the bad line, 0 for the file
    std::int32_t errorFile = 0;  // with kConfigurationError: 1 or 2
};
static_assert(sizeof(ConversionReport) == 24);

ConversionReport RunConversion(ConversionFiles& files, const ConversionRequest& request);

}  // namespace smfconverter
