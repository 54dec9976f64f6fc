// A profile store held in memory (native builds and tests); it keeps a log of the
// writes so that their order can be checked.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/ProfileStore.h"

namespace hgf {

class MemoryProfileStore final : public ProfileStore {
  public:
    using Key = std::pair<std::string, std::string>;  // section, key

    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue) override {
        auto found = values.find({section, key});
        return found == values.end() ? defaultValue : found->second;
    }

    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        if (readOnly) return false;
        values[{section, key}] = value;
        writes.push_back(key);
        return true;
    }

    std::map<Key, std::string> values;
    std::vector<std::string> writes;  // keys in the order written
    bool readOnly = false;            // every write fails
};

}  // namespace hgf
