// What the keyboard hook reports for a keyboard event.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "settings/GlobalHotkeys.h"

namespace hgf {
namespace {

constexpr std::uint64_t kRelease = 0xC0000001;  // bits 31 and 30: a key going up
constexpr std::uint64_t kPress = 0x00000001;

// The modifiers held down, and every key the hook asked about.
std::set<int> g_down;
std::vector<int> g_asked;

bool FakeKeyDown(int virtualKey) {
    g_asked.push_back(virtualKey);
    return g_down.count(virtualKey) != 0;
}

TEST(GlobalHotkeys, ReleasesOnlyWithOneModifierByPrecedence) {
    constexpr int kCtrl = kVirtualKeyControl, kShift = kVirtualKeyShift, kAlt = kVirtualKeyAlt;
    struct Case {
        std::uint64_t key, flags;
        std::set<int> down;
        std::uint16_t expected;
        std::vector<int> asked;  // in this order, no more
    };
    const Case cases[] = {
        {0x79, kRelease, {}, 0x079, {kCtrl, kShift, kAlt}},
        {0x79, kRelease, {kCtrl}, 0x279, {kCtrl}},
        {0x79, kRelease, {kShift}, 0x179, {kCtrl, kShift}},
        {0x79, kRelease, {kAlt}, 0x479, {kCtrl, kShift, kAlt}},
        {0x4B, kRelease, {kCtrl, kShift, kAlt}, 0x24B, {kCtrl}},   // Ctrl wins
        {0x4B, kRelease, {kShift, kAlt}, 0x14B, {kCtrl, kShift}},  // then Shift
        {0x1234, kRelease, {}, 0x34, {kCtrl, kShift, kAlt}},       // low byte
        // A 64-bit lParam whose flags were sign-extended still reads as a release.
        {0x79, 0xFFFFFFFFC0000001ull, {}, 0x079, {kCtrl, kShift, kAlt}},
    };
    for (const Case& c : cases) {
        g_down = c.down;
        g_asked.clear();
        EXPECT_EQ(HotkeyOfKeyEvent(kHookActionCode, c.key, c.flags, FakeKeyDown), c.expected)
            << std::hex << c.key;
        EXPECT_EQ(g_asked, c.asked) << std::hex << c.key;
    }
}

TEST(GlobalHotkeys, OtherEventsReportNothingAndAskNothing) {
    g_down = {kVirtualKeyControl};
    g_asked.clear();
    EXPECT_EQ(HotkeyOfKeyEvent(kHookActionCode, 0x79, kPress, FakeKeyDown), std::nullopt);
    EXPECT_EQ(HotkeyOfKeyEvent(3, 0x79, kRelease, FakeKeyDown), std::nullopt);  // HC_NOREMOVE
    EXPECT_TRUE(g_asked.empty());
}

}  // namespace
}  // namespace hgf
