// Path order on arbitrary bytes (broken Shift_JIS included): the comparison is a
// consistent order that agrees with its sort key, and the separator helpers stay
// inside the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "playlist/PathText.h"

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hgf;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // Three texts separated by the byte 0x00.
    std::string_view parts[3];
    for (std::string_view& part : parts) {
        std::size_t end = input.find('\0');
        part = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    }
    const std::string_view a = parts[0], b = parts[1], c = parts[2];

    const int ab = ComparePathOrder(a, b);
    Check(Sign(ab) == -Sign(ComparePathOrder(b, a)));
    Check(ComparePathOrder(a, a) == 0);
    Check(Sign(ab) == Sign(PathOrderKey(a).compare(PathOrderKey(b))));
    if (ab <= 0 && ComparePathOrder(b, c) <= 0) Check(ComparePathOrder(a, c) <= 0);

    const std::size_t last = FindLastBackslash(a);
    Check(last == std::string_view::npos || (last < a.size() && a[last] == '\\'));
    const std::string stripped = WithoutTrailingSeparator(a);
    Check(stripped.size() == a.size() - (EndsWithSeparator(a) ? 1 : 0));
    Check(a.substr(0, stripped.size()) == stripped);
    HasAcceptedSuffix(a);
    return 0;
}
