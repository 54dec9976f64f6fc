// The options pages' decisions that need no window: the transparency sliders and their
// text, when a command marks a page changed, which off-timer controls are usable, the
// key capture of the key-assignment page, and the key table its rows give.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "settings/KeyAssignment.h"

namespace hgf {

// --- The transparency page ---

// A slider runs 0-255 and shows transparency: position = 255 - opacity.
constexpr int kTransparencySliderMax = 255;
constexpr int SliderPositionOf(int opacity) {
    return kTransparencySliderMax - opacity;
}
constexpr int OpacityOf(int sliderPosition) {
    return kTransparencySliderMax - sliderPosition;
}
// The defaults button: opacity 200 with the cursor near, 100 with the cursor away.
constexpr int kDefaultActivePosition = SliderPositionOf(200);  // 55
constexpr int kDefaultAwayPosition = SliderPositionOf(100);    // 155

// "透明度 21％": the position as a percentage of the slider's range, truncated.
std::string TransparencyText(int sliderPosition);

// --- Changed state ---

enum class OptionsPageKind { Libraries1, Libraries2, Layered, Keys, Shortcuts, Other };

constexpr unsigned kNotifyClicked = 0;         // BN_CLICKED
constexpr unsigned kNotifySelChange = 1;       // CBN_SELCHANGE (and the like)
constexpr unsigned kNotifyEditChange = 0x300;  // EN_CHANGE

// True when a control's command with `notification` marks `page` changed (the sheet's
// Apply button becomes usable): a click or an edit's change on the pages that edit
// settings with controls, and code 1 on the first library page, the transparency page
// and the page of other settings. The key-assignment page reports its changes itself.
bool CommandChangesPage(OptionsPageKind page, unsigned notification);

// --- The off-timer ---

struct OffTimerControls {
    bool timeAndExitOnly;  // hour, minute, their labels, "アプリケーションの終了のみ"
    bool shutdownChoices;  // "休止／サスペンドモードを有効にする", "強制シャットダウンを有効にする"
};

// Which off-timer controls can be used: none while the timer is off; the shutdown choices
// only while the timer does not just end the program.
OffTimerControls OffTimerControlsFor(bool timerOn, bool appExitOnly);

struct ClockTime {
    int hour = 0;    // 0-23
    int minute = 0;  // 0-59
};

// The time the page preselects: the set time while the timer is on, else `now`.
ClockTime OffTimerPreselection(bool timerOn, ClockTime setTime, ClockTime now);

// The time the page stores from the combo boxes' selected indexes; an index outside a
// box's range (nothing selected) keeps that part of `previous`.
ClockTime OffTimerFromSelection(int hourIndex, int minuteIndex, ClockTime previous);

// --- The key-assignment page ---

// True for Shift, Ctrl and Alt themselves (either side), which are never bound alone.
bool IsModifierKey(std::uint8_t virtualKey);

// Key capture: a key pressed on the page's list binds the selected row. Every captured
// key adds one pending release per piece of its text (each modifier held, and the key's
// name), so letting go of a combination leaves its binding; a release with nothing
// pending means that a modifier was pressed and released alone, which clears the row.
// The player keeps one capture for the whole process: the count survives between
// keystrokes and between openings of the page.
class KeyCapture {
  public:
    // A key went down while the modifiers `held` (KEY_MOD_* bits) were down. Returns the
    // key value to bind, or nothing for a modifier key itself or an auto-repeat.
    std::optional<std::uint16_t> KeyDown(std::uint8_t virtualKey, std::uint16_t held,
                                         bool autoRepeat);
    // A key went up; true when the selected row is to be cleared.
    bool KeyUp();
    int PendingKeyUps() const { return pending_; }

  private:
    int pending_ = 0;
};

// The key table with the page's rows applied: row i's value (only its low 16 bits
// count) becomes the key of action i. Rows beyond the table are ignored; actions
// without a row keep their keys.
KeyTable KeyTableFromRows(KeyTable table, std::span<const std::uintptr_t> rowValues);

}  // namespace hgf
