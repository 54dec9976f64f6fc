// The platform's names of keys, and the key text built with them.
#pragma once

#include <cstdint>
#include <string>

namespace hgf {

class KeyNames {
  public:
    virtual ~KeyNames() = default;
    // The value the name of `virtualKey` is asked for: its scan code shifted left by 16.
    virtual std::uint32_t NameArgument(std::uint8_t virtualKey) = 0;
    // The key's name for that value (at most 100 characters); empty when there is none.
    virtual std::string Name(std::uint32_t argument) = 0;
};

// FormatKeyText for `key`, named through `names` ("なし" for 0, "Ctrl + F10", "0x570000").
std::string KeyTextFor(std::uint16_t key, KeyNames& names);

}  // namespace hgf
