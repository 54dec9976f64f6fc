// The options pages' decisions that need no window: the transparency sliders and their
// text, when a command marks a page changed, which off-timer controls are usable, the
// key capture of the key-assignment page, and the key table its rows give.
#pragma once

#include <cstdint>
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

// True when the global hot keys can report `key`: they see one modifier only (Ctrl, else
// Shift, else Alt), so a value with two or more modifier bits would never fire.
bool HotkeyCanReport(std::uint16_t key);

// Key capture on the page's list. A key pressed there binds the selected row with the
// modifiers held, unless the hot keys could never report that combination: then the row
// keeps its binding. A modifier pressed and released there by itself, with no other key
// pressed in between, clears the row. A release whose press the list did not see (Tab
// that moved the focus into the list, Ctrl + Tab that switched to the page) changes
// nothing, and the list's gaining or losing the focus forgets what was pressed before.
class KeyCapture {
  public:
    enum class Outcome {
        None,    // nothing changes
        Bind,    // the selected row takes `key`
        Refuse,  // a combination that can never fire: the row keeps its binding
        Clear,   // the selected row is set to no key
    };
    struct Result {
        Outcome outcome = Outcome::None;
        std::uint16_t key = 0;  // for Bind and Refuse
        bool operator==(const Result&) const = default;
    };

    // A key went down on the list while the modifiers `held` (KEY_MOD_* bits) were down.
    Result KeyDown(std::uint8_t virtualKey, std::uint16_t held, bool autoRepeat);
    // A key went up on the list.
    Result KeyUp(std::uint8_t virtualKey);
    // The list gained or lost the keyboard focus.
    void Reset() { modifierAlone_ = false; }

  private:
    bool modifierAlone_ = false;  // a modifier went down on the list, no other key since
};

// The key table with the page's rows applied: row i's value (only its low 16 bits
// count) becomes the key of action i. Rows beyond the table are ignored; actions
// without a row keep their keys.
KeyTable KeyTableFromRows(KeyTable table, std::span<const std::uintptr_t> rowValues);

}  // namespace hgf
