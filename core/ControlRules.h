// Decisions of the list controls and the window's transparency that need no window: the
// right-button wheel jump between folder groups, and the alpha fade when the cursor
// crosses the window's edge.
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

}  // namespace hgf
