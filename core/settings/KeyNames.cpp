#include "settings/KeyNames.h"

#include "settings/KeyAssignment.h"

namespace hgf {

std::string KeyTextFor(std::uint16_t key, KeyNames& names) {
    if (key == 0) return FormatKeyText(0, {}, 0);
    std::uint32_t argument = names.NameArgument(static_cast<std::uint8_t>(key & 0xFF));
    return FormatKeyText(key, names.Name(argument), argument);
}

}  // namespace hgf
