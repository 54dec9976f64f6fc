// Where the settings live: named string values in sections, as in an INI file.
#pragma once

#include <string>

namespace hgf {

class ProfileStore {
  public:
    virtual ~ProfileStore() = default;
    // The value of `key` in `section`, or `defaultValue` when the key is missing.
    virtual std::string GetString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) = 0;
    // Stores `value`, creating the section and the key when missing; false when the
    // store cannot be written (nothing changes then).
    virtual bool WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};

}  // namespace hgf
