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

}  // namespace hgf
