// The text shown for a key value, with the key's name as the platform gives it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace hgf {

// "Ctrl + F10" for a stored key value: the name belongs to the scan code that the
// keyboard layout maps the virtual key to. "なし" for 0.
std::string KeyTextForValue(std::uint16_t key);

// The same for a key just pressed: the name belongs to the key message's own lParam, so
// an extended key keeps its extended bit.
std::string KeyTextForMessage(std::uint16_t key, LPARAM keyMessageParam);

}  // namespace hgf
