// Key names from the keyboard layout: MapVirtualKeyA for the scan code, GetKeyNameTextA
// for the name.
#pragma once

#include "settings/KeyNames.h"

namespace hgf {

class Win32KeyNames final : public KeyNames {
  public:
    std::uint32_t NameArgument(std::uint8_t virtualKey) override;
    std::string Name(std::uint32_t argument) override;
};

}  // namespace hgf
