// Decisions of the list controls and the window's transparency that need no window: the
// right-button wheel jump between folder groups, the alpha fade when the cursor crosses
// the window's edge, and where the dialogs and the volume popup open.
#pragma once

#include <cstdint>
#include <functional>

namespace hgf {

// One wheel notch up (a delta of at least +120) moves to the folder heading above
// `selection`, never testing row 0 (0 when there is none); any smaller delta moves to
// the folder heading below it (`itemCount`, which selects nothing, when there is none).
int FolderJumpTarget(int selection, int wheelDelta, int itemCount,
                     const std::function<bool(int)>& isFolderRow);

// A fade: SetWindowAlpha with every value from `from` to `to` in single steps, upwards
// when `up` (none when from > to), else downwards (none when from < to).
struct AlphaFade {
    bool run = false;
    bool up = false;
    int from = 0;
    int to = 0;
    bool operator==(const AlphaFade&) const = default;
};

// The 100 ms transparency tick. `cursorInside` remembers the last crossing: the fade runs
// only when the cursor has come near (from `layeredNoActive` up to `layeredActive` - 1)
// or gone away (from `layeredActive` down to `layeredNoActive` + 1) since then. Both
// settings count as clamped to 0-255.
AlphaFade TrackCursorAlpha(bool cursorNear, std::uint8_t& cursorInside, int layeredActive,
                           int layeredNoActive);

// A rectangle in screen coordinates: left and top inside, right and bottom just outside.
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const ScreenRect&) const = default;
};

// `window` moved, never resized, by the least distance that puts it wholly inside `area`
// (a monitor's work area). A window larger than the area keeps its top-left corner at
// the area's, so its caption and first controls stay reachable.
ScreenRect MoveInside(ScreenRect window, ScreenRect area);

// Where the volume popup (outer size `width` x `height`) slides out beside the cursor:
// right of it when it fits there (else left of it), above it when it fits there (else
// below it), then moved inside `area`. The flags give the slide's directions.
struct PopupPlacement {
    ScreenRect rect;
    bool rightOfCursor = true;
    bool aboveCursor = true;
    bool operator==(const PopupPlacement&) const = default;
};
PopupPlacement PlaceBesideCursor(int cursorX, int cursorY, int width, int height, ScreenRect area);

}  // namespace hgf
