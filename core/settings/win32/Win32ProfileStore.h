// The settings store as an INI file through the Win32 profile functions.
#pragma once

#include <string>

#include "settings/ProfileStore.h"

namespace hgf {

class Win32ProfileStore final : public ProfileStore {
  public:
    explicit Win32ProfileStore(std::string iniPath) : iniPath_(std::move(iniPath)) {}

    // Reads up to 519 characters (the profile functions' buffer of 520).
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue) override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;

    const std::string& IniPath() const { return iniPath_; }

  private:
    std::string iniPath_;
};

// The INI file beside the running program: the process's module path (read into 520
// characters) with its last three characters replaced by "ini"; empty if unavailable.
std::string ProgramIniPath();

}  // namespace hgf
