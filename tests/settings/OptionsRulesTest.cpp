// The options pages' window-free rules: the transparency text, the off-timer times, and
// the key capture with the key table it gives.
#include <gtest/gtest.h>

#include <vector>

#include "settings/OptionsRules.h"

namespace hgf {
namespace {

constexpr std::uint8_t kF10 = 0x79, kK = 0x4B, kControl = 0x11, kLeftControl = 0xA2;

TEST(OptionsRules, TransparencyTextIsATruncatedPercentage) {
    EXPECT_EQ(TransparencyText(0), "透明度 0％");
    EXPECT_EQ(TransparencyText(kDefaultActivePosition), "透明度 21％");  // 55 * 100 / 255
    EXPECT_EQ(TransparencyText(kDefaultAwayPosition), "透明度 60％");    // 155 * 100 / 255
    EXPECT_EQ(TransparencyText(254), "透明度 99％");
    EXPECT_EQ(TransparencyText(255), "透明度 100％");
    EXPECT_EQ(OpacityOf(kDefaultActivePosition), 200);
    EXPECT_EQ(OpacityOf(kDefaultAwayPosition), 100);
}

TEST(OptionsRules, OffTimerTimes) {
    ClockTime set{7, 45}, now{13, 2};
    EXPECT_EQ(OffTimerPreselection(true, set, now).hour, 7);
    EXPECT_EQ(OffTimerPreselection(false, set, now).minute, 2);

    ClockTime stored = OffTimerFromSelection(23, 59, set);
    EXPECT_EQ(stored.hour, 23);
    EXPECT_EQ(stored.minute, 59);
    stored = OffTimerFromSelection(-1, 60, set);  // nothing selected: the old time stays
    EXPECT_EQ(stored.hour, 7);
    EXPECT_EQ(stored.minute, 45);
}

TEST(OptionsRules, ModifierAloneClearsAndCombinationsSurviveTheirRelease) {
    KeyCapture capture;
    // Ctrl pressed and released alone (either side): nothing captured, the row clears.
    EXPECT_FALSE(capture.KeyDown(kControl, KEY_MOD_CTRL, false));
    EXPECT_FALSE(capture.KeyDown(kLeftControl, KEY_MOD_CTRL, false));
    EXPECT_TRUE(capture.KeyUp());

    // Ctrl + F10: 0x279, two pieces of text pending; releasing F10 then Ctrl keeps it.
    EXPECT_FALSE(capture.KeyDown(kControl, KEY_MOD_CTRL, false));
    EXPECT_EQ(capture.KeyDown(kF10, KEY_MOD_CTRL, false), 0x279);
    EXPECT_EQ(capture.PendingKeyUps(), 2);
    EXPECT_FALSE(capture.KeyDown(kF10, KEY_MOD_CTRL, true));  // auto-repeat adds nothing
    EXPECT_FALSE(capture.KeyUp());
    EXPECT_FALSE(capture.KeyUp());
    EXPECT_EQ(capture.PendingKeyUps(), 0);

    // Ctrl + Shift + K: three pieces; then a lone Shift clears again.
    EXPECT_EQ(capture.KeyDown(kK, KEY_MOD_CTRL | KEY_MOD_SHIFT, false), 0x34B);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(capture.KeyUp());
    EXPECT_TRUE(capture.KeyUp());

    // A plain key has one piece: its own release uses it up.
    EXPECT_EQ(capture.KeyDown(kK, 0, false), 0x4B);
    EXPECT_FALSE(capture.KeyUp());
    EXPECT_TRUE(capture.KeyUp());
}

TEST(OptionsRules, RowsBecomeTheKeyTable) {
    KeyTable table = DefaultKeyTable();
    std::vector<std::uintptr_t> rows(KEY_ACTION_COUNT, 0);
    rows[0] = 0x10279;  // only the low 16 bits are a key
    rows[3] = 0x27B;
    KeyTable applied = KeyTableFromRows(table, rows);
    EXPECT_EQ(applied[0].key, 0x279);
    EXPECT_EQ(applied[3].key, 0x27B);
    EXPECT_EQ(applied[27].key, 0);
    for (int i = 0; i < KEY_ACTION_COUNT; ++i)
        EXPECT_EQ(applied[i].command, table[i].command);

    // Fewer rows than actions: the rest keep their keys.
    std::vector<std::uintptr_t> few = {0x41};
    applied = KeyTableFromRows(table, few);
    EXPECT_EQ(applied[0].key, 0x41);
    EXPECT_EQ(applied[3].key, table[3].key);
}

}  // namespace
}  // namespace hgf
