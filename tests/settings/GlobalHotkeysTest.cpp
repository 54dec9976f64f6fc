// What the keyboard hook reports for a keyboard event.
#include <gtest/gtest.h>

#include "settings/GlobalHotkeys.h"

namespace hgf {
namespace {

constexpr std::uint64_t kRelease = 0xC0000001;  // bits 31 and 30: a key going up
constexpr std::uint64_t kPress = 0x00000001;

TEST(GlobalHotkeys, ReleasesOnlyWithOneModifierByPrecedence) {
    EXPECT_EQ(HotkeyOfKeyEvent(0, 0x79, kRelease, false, false, false), 0x079);
    EXPECT_EQ(HotkeyOfKeyEvent(0, 0x79, kRelease, true, false, false), 0x279);
    EXPECT_EQ(HotkeyOfKeyEvent(0, 0x79, kRelease, false, true, false), 0x179);
    EXPECT_EQ(HotkeyOfKeyEvent(0, 0x79, kRelease, false, false, true), 0x479);
    EXPECT_EQ(HotkeyOfKeyEvent(0, 0x4B, kRelease, true, true, true), 0x24B);      // Ctrl wins
    EXPECT_EQ(HotkeyOfKeyEvent(0, 0x4B, kRelease, false, true, true), 0x14B);     // then Shift
    EXPECT_EQ(HotkeyOfKeyEvent(0, 0x1234, kRelease, false, false, false), 0x34);  // low byte
    // A 64-bit lParam whose flags were sign-extended still reads as a release.
    EXPECT_EQ(HotkeyOfKeyEvent(0, 0x79, 0xFFFFFFFFC0000001ull, false, false, false), 0x079);

    EXPECT_EQ(HotkeyOfKeyEvent(0, 0x79, kPress, true, false, false), std::nullopt);
    EXPECT_EQ(HotkeyOfKeyEvent(3, 0x79, kRelease, true, false, false),
              std::nullopt);  // HC_NOREMOVE
}

}  // namespace
}  // namespace hgf
