// The converter's files on Windows: paths in the ANSI code page, reads that share the file
// with a player that has it open, and a replace that writes a temporary file in the target's
// folder, flushes it and renames it over the target in one step.
#pragma once

#include "ConversionJob.h"

namespace smfconverter {

class Win32ConversionFiles final : public ConversionFiles {
  public:
    std::optional<std::vector<std::uint8_t>> ReadStart(const std::string& path,
                                                       std::size_t count) override;
    std::optional<std::vector<std::uint8_t>> ReadAll(const std::string& path,
                                                     std::size_t limit) override;
    bool Replace(const std::string& path, Bytes bytes) override;
};

}  // namespace smfconverter
