#include "ControlRules.h"

#include <algorithm>

namespace hgf {
namespace {

constexpr int kWheelNotch = 120;  // WHEEL_DELTA
constexpr int kOpaque = 255;      // the highest alpha

}  // namespace

int FolderJumpTarget(int selection, int wheelDelta, int itemCount,
                     const std::function<bool(int)>& isFolderRow) {
    if (wheelDelta >= kWheelNotch) {
        for (int row = selection - 1; row > 0; --row)
            if (isFolderRow(row)) return row;
        return 0;
    }
    for (int row = selection + 1; row < itemCount; ++row)
        if (row >= 0 && isFolderRow(row)) return row;
    return itemCount;
}

AlphaFade TrackCursorAlpha(bool cursorNear, std::uint8_t& cursorInside, int layeredActive,
                           int layeredNoActive) {
    // Stored values beyond the alpha range would only make the loops long.
    layeredActive = std::clamp(layeredActive, 0, kOpaque);
    layeredNoActive = std::clamp(layeredNoActive, 0, kOpaque);
    if (cursorNear && cursorInside == 0) {
        cursorInside = 1;
        return AlphaFade{true, true, layeredNoActive, layeredActive - 1};
    }
    if (!cursorNear && cursorInside == 1) {
        cursorInside = 0;
        return AlphaFade{true, false, layeredActive, layeredNoActive + 1};
    }
    return {};
}

ScreenRect MoveInside(ScreenRect window, ScreenRect area) {
    // Along one axis: the start that keeps [start, start + size) inside [low, high).
    auto inside = [](int start, int size, int low, int high) {
        return std::max(low, std::min(start, high - size));
    };
    const int width = window.Width(), height = window.Height();
    window.left = inside(window.left, width, area.left, area.right);
    window.top = inside(window.top, height, area.top, area.bottom);
    window.right = window.left + width;
    window.bottom = window.top + height;
    return window;
}

PopupPlacement PlaceBesideCursor(int cursorX, int cursorY, int width, int height, ScreenRect area) {
    PopupPlacement placement;
    placement.rightOfCursor = cursorX + width < area.right;
    placement.aboveCursor = cursorY - height > area.top;
    int left = placement.rightOfCursor ? cursorX : cursorX - width;
    int top = placement.aboveCursor ? cursorY - height : cursorY;
    placement.rect = MoveInside({left, top, left + width, top + height}, area);
    return placement;
}

}  // namespace hgf
