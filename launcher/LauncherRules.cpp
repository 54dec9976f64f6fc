// The launcher's window-free decisions (see LauncherRules.h).
#include "LauncherRules.h"

namespace hgf::launcher {

std::string SingleInstanceMutexName(int osMajorVersion) {
    const std::string title = "Harrowgladeforte";
    return osMajorVersion >= 5 ? "Global\\" + title : title;
}

int WindowHeight(bool hasComboBox, int dialogFrameHeight, int comboClientHeight) {
    if (!hasComboBox) return kHeightWithoutComboBox;
    return 2 * dialogFrameHeight + comboClientHeight;
}

Placement ChooseInitialPlacement(const Placement& stored, const Rect& workArea, int defaultHeight) {
    if (stored.width > 0 && stored.height > 0 && stored.x < workArea.right &&
        stored.y < workArea.bottom) {
        return stored;
    }
    return {workArea.right - kDefaultWidth, workArea.bottom - defaultHeight, kDefaultWidth,
            defaultHeight};
}

Rect KeepInsideWorkArea(Rect r, const Rect& workArea) {
    auto shiftX = [&r](int dx) {
        r.left += dx;
        r.right += dx;
    };
    auto shiftY = [&r](int dy) {
        r.top += dy;
        r.bottom += dy;
    };
    if (r.left < workArea.left) shiftX(workArea.left - r.left);
    if (r.top < workArea.top) shiftY(workArea.top - r.top);
    if (r.right > workArea.right) shiftX(workArea.right - r.right);
    if (r.bottom > workArea.bottom) shiftY(workArea.bottom - r.bottom);
    return r;
}

FrameHit HitTestFrame(int cursorX, const Rect& window) {
    if (cursorX >= window.left && cursorX <= window.left + kResizeBandWidth) return FrameHit::Left;
    if (cursorX >= window.right - kResizeBandWidth && cursorX <= window.right) {
        return FrameHit::Right;
    }
    return FrameHit::Caption;
}

TrackingSizes ComputeTrackingSizes(int windowHeight, const Rect& workArea) {
    return {kMinTrackWidth, windowHeight, workArea.right, windowHeight};
}

ItemIcon ChooseItemIcon(std::uint8_t isFolder, std::uint8_t isMissing, std::uint8_t isPlayed) {
    if (isFolder != 0) return ItemIcon::Folder;
    if (isMissing != 0) return ItemIcon::Unplayable;
    if (isPlayed == 1) return ItemIcon::Played;
    return ItemIcon::File;
}

}  // namespace hgf::launcher
