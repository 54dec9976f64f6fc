// The options pages' window-free rules: the transparency text, the off-timer times, and
// the key capture with the key table it gives.
#include <gtest/gtest.h>

#include <vector>

#include "settings/OptionsRules.h"

namespace hgf {
namespace {

constexpr std::uint8_t kF10 = 0x79, kK = 0x4B, kTab = 0x09;
constexpr std::uint8_t kShift = 0x10, kControl = 0x11, kMenu = 0x12, kLeftControl = 0xA2;

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

// What the selected row holds after keys reached the page's list, starting from 'A'.
// Each step is a press ('+'), an auto-repeated press ('r'), a release ('-') or a focus
// change ('f') of the list, with the modifiers held at a press.
struct KeyStep {
    char kind;
    std::uint8_t virtualKey = 0;
    std::uint16_t held = 0;
};
struct CaptureCase {
    const char* what;
    std::vector<KeyStep> steps;
    std::uint16_t row;
    int refusals = 0;
};

TEST(OptionsRules, KeyCaptureBindsRefusesAndClearsTheRow) {
    constexpr std::uint16_t ctrl = KEY_MOD_CTRL, shift = KEY_MOD_SHIFT, alt = KEY_MOD_ALT;
    const std::vector<CaptureCase> cases = {
        {"Ctrl alone, held until it repeats, either side",
         {{'+', kControl, ctrl}, {'r', kControl, ctrl}, {'-', kLeftControl}},
         0},
        {"Alt alone", {{'+', kMenu, alt}, {'-', kMenu}}, 0},
        {"Ctrl + F10, F10 let go first",
         {{'+', kControl, ctrl},
          {'+', kF10, ctrl},
          {'r', kF10, ctrl},
          {'-', kF10},
          {'-', kControl}},
         0x279},
        {"Ctrl + F10, Ctrl let go first",
         {{'+', kControl, ctrl}, {'+', kF10, ctrl}, {'-', kControl}, {'-', kF10}},
         0x279},
        {"a plain key", {{'+', kK}, {'-', kK}}, kK},
        {"Alt + K", {{'+', kMenu, alt}, {'+', kK, alt}, {'-', kK}, {'-', kMenu}}, 0x44B},
        // The release of Tab that moved the focus into the list, and of Ctrl after Ctrl +
        // Tab switched to the page: their presses went elsewhere.
        {"Tab's release after it brought the focus", {{'f'}, {'-', kTab}}, 'A'},
        {"Ctrl + Tab into the page", {{'f'}, {'-', kTab}, {'-', kControl}}, 'A'},
        {"Ctrl pressed, focus away and back", {{'+', kControl, ctrl}, {'f'}, {'-', kControl}}, 'A'},
        // The hot keys see one modifier only: two can never fire.
        {"Ctrl + Shift + K",
         {{'+', kControl, ctrl},
          {'+', kShift, ctrl | shift},
          {'+', kK, ctrl | shift},
          {'-', kK},
          {'-', kShift},
          {'-', kControl}},
         'A',
         1},
        {"Ctrl + Alt + F10", {{'+', kF10, ctrl | alt}}, 'A', 1},
    };
    for (const CaptureCase& test : cases) {
        SCOPED_TRACE(test.what);
        KeyCapture capture;
        std::uint16_t row = 'A';
        int refusals = 0;
        for (const KeyStep& step : test.steps) {
            KeyCapture::Result result;
            if (step.kind == 'f') capture.Reset();
            if (step.kind == '+' || step.kind == 'r')
                result = capture.KeyDown(step.virtualKey, step.held, step.kind == 'r');
            if (step.kind == '-') result = capture.KeyUp(step.virtualKey);
            if (result.outcome == KeyCapture::Outcome::Bind) row = result.key;
            if (result.outcome == KeyCapture::Outcome::Clear) row = 0;
            if (result.outcome == KeyCapture::Outcome::Refuse) ++refusals;
        }
        EXPECT_EQ(row, test.row);
        EXPECT_EQ(refusals, test.refusals);
    }
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
