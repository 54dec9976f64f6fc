#include "settings/OptionsRules.h"

#include <algorithm>
#include <cstdio>

namespace hgf {
namespace {

// Virtual-key codes of the modifier keys, and of their left and right variants.
constexpr std::uint8_t kShift = 0x10, kControl = 0x11, kMenu = 0x12;
constexpr std::uint8_t kLeftShift = 0xA0, kRightMenu = 0xA5;

}  // namespace

std::string TransparencyText(int sliderPosition) {
    char text[32];
    std::snprintf(text, sizeof text, "透明度 %d％", sliderPosition * 100 / kTransparencySliderMax);
    return text;
}

bool CommandChangesPage(OptionsPageKind page, unsigned notification) {
    switch (page) {
        case OptionsPageKind::Libraries1:
        case OptionsPageKind::Layered:
        case OptionsPageKind::Other:
            return notification == kNotifyClicked || notification == kNotifySelChange ||
                   notification == kNotifyEditChange;
        case OptionsPageKind::Shortcuts:
            return notification == kNotifyClicked || notification == kNotifyEditChange;
        case OptionsPageKind::Libraries2:
        case OptionsPageKind::Keys:
            return false;
    }
    return false;
}

OffTimerControls OffTimerControlsFor(bool timerOn, bool appExitOnly) {
    return {timerOn, timerOn && !appExitOnly};
}

ClockTime OffTimerPreselection(bool timerOn, ClockTime setTime, ClockTime now) {
    return timerOn ? setTime : now;
}

ClockTime OffTimerFromSelection(int hourIndex, int minuteIndex, ClockTime previous) {
    ClockTime time = previous;
    if (hourIndex >= 0 && hourIndex < 24) time.hour = hourIndex;
    if (minuteIndex >= 0 && minuteIndex < 60) time.minute = minuteIndex;
    return time;
}

bool IsModifierKey(std::uint8_t virtualKey) {
    return virtualKey == kShift || virtualKey == kControl || virtualKey == kMenu ||
           (virtualKey >= kLeftShift && virtualKey <= kRightMenu);
}

bool HotkeyCanReport(std::uint16_t key) {
    int modifiers = 0;
    for (std::uint16_t modifier : {KEY_MOD_SHIFT, KEY_MOD_CTRL, KEY_MOD_ALT})
        if (key & modifier) ++modifiers;
    return modifiers <= 1;
}

KeyCapture::Result KeyCapture::KeyDown(std::uint8_t virtualKey, std::uint16_t held,
                                       bool autoRepeat) {
    if (autoRepeat) return {};
    if (IsModifierKey(virtualKey)) {
        modifierAlone_ = true;
        return {};
    }
    modifierAlone_ = false;
    held &= KEY_MOD_SHIFT | KEY_MOD_CTRL | KEY_MOD_ALT;
    auto key = static_cast<std::uint16_t>(held | virtualKey);
    return {HotkeyCanReport(key) ? Outcome::Bind : Outcome::Refuse, key};
}

KeyCapture::Result KeyCapture::KeyUp(std::uint8_t virtualKey) {
    if (!IsModifierKey(virtualKey) || !modifierAlone_) return {};
    modifierAlone_ = false;
    return {Outcome::Clear, 0};
}

KeyTable KeyTableFromRows(KeyTable table, std::span<const std::uintptr_t> rowValues) {
    std::size_t rows = std::min(rowValues.size(), table.size());
    for (std::size_t i = 0; i < rows; ++i)
        table[i].key = static_cast<std::uint16_t>(rowValues[i] & 0xFFFF);
    return table;
}

}  // namespace hgf
