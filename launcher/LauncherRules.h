// The launcher's decisions that need no window: the single-instance name, where the
// window goes at start, how it may be moved and sized, which band of its frame resizes,
// which icon a list item gets, and the blink of the play indicator.
#pragma once

#include <cstdint>
#include <string>

namespace hgf::launcher {

// A rectangle in screen pixels; right and bottom are exclusive, as on the platform.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A window placement as the core stores it (X, Y, Width, Height).
struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const Placement&, const Placement&) = default;
};

inline constexpr int kIndicatorWidth = 16;         // px, the play indicator left of the strip
inline constexpr int kDefaultWidth = 320;          // px, the window at first start
inline constexpr int kMinTrackWidth = 280;         // px, narrowest the user can make it
inline constexpr int kHeightWithoutComboBox = 25;  // px, before the core made its combo box
inline constexpr int kResizeBandWidth = 5;         // px, left and right bands that resize
inline constexpr int kBlinkTimerId = 0;            // TIMER_BLINK
inline constexpr unsigned kBlinkIntervalMs = 1000;

// The single-instance mutex: session-independent ("Global\") from NT 5 on.
std::string SingleInstanceMutexName(int osMajorVersion);

// Height of the window: the dialog frame above and below the combo box's client area,
// or kHeightWithoutComboBox while there is no combo box.
int WindowHeight(bool hasComboBox, int dialogFrameHeight, int comboClientHeight);

// The stored placement when it is usable (positive size, left and top edges before the
// work area's right and bottom edges), else defaultHeight pixels high and kDefaultWidth
// wide in the bottom-right corner of the work area.
Placement ChooseInitialPlacement(const Placement& stored, const Rect& workArea, int defaultHeight);

// Slides a proposed window rectangle back inside the work area without resizing it.
Rect KeepInsideWorkArea(Rect proposed, const Rect& workArea);

enum class FrameHit { Left, Right, Caption };

// The band of the window under the cursor: the outer 5 pixels on each side resize,
// everything else drags the window.
FrameHit HitTestFrame(int cursorX, const Rect& window);

struct TrackingSizes {
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;
};

// The height is fixed; the width runs from kMinTrackWidth to the work area's right edge.
TrackingSizes ComputeTrackingSizes(int windowHeight, const Rect& workArea);

// Images of the item-icon list (image 2 is not used).
enum class ItemIcon : int { File = 0, Folder = 1, Played = 3, Unplayable = 4 };

// A folder heading row wins over an unplayable mark, which wins over "played".
ItemIcon ChooseItemIcon(std::uint8_t isFolder, std::uint8_t isMissing, std::uint8_t isPlayed);

// Geometry of one row in the drop-down list or in the combo box's edit part.
inline constexpr int kItemWidth = 280;       // px
inline constexpr int kItemHeight = 14;       // px, rows of the drop-down list
inline constexpr int kEditItemHeight = 12;   // px, the edit part
inline constexpr int kItemTextMargin = 10;   // px left of the text (and the icon)
inline constexpr int kIndentStep = 10;       // px per indent level, drop-down list only
inline constexpr int kItemIconAdvance = 18;  // px from the icon's left edge to the text

// The play indicator's frame counter: it advances on each blink tick while something
// plays (IsPlaying exactly 1) and otherwise keeps its frame.
class BlinkCounter {
  public:
    void OnTick(std::uint8_t isPlaying) {
        if (isPlaying == 1) ++value_;
    }
    int Frame() const { return value_ % 2; }
    std::uint8_t Value() const { return value_; }

  private:
    std::uint8_t value_ = 0;  // wraps at 256
};

}  // namespace hgf::launcher
