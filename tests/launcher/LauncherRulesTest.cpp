// The launcher's window-free rules: placement, moving, frame bands, sizes, icons, blink.
#include <gtest/gtest.h>

#include "LauncherRules.h"

namespace hgf::launcher {
namespace {

const Rect kWorkArea{0, 0, 1280, 994};        // a taskbar below
const Rect kShiftedArea{60, 30, 1280, 1024};  // taskbars at the left and the top

TEST(LauncherRules, MutexIsSessionWideFromNt5On) {
    EXPECT_EQ(SingleInstanceMutexName(4), "Harrowgladeforte");
    EXPECT_EQ(SingleInstanceMutexName(5), "Global\\Harrowgladeforte");
    EXPECT_EQ(SingleInstanceMutexName(10), "Global\\Harrowgladeforte");
}

TEST(LauncherRules, WindowHeightFollowsTheComboBox) {
    EXPECT_EQ(WindowHeight(true, 3, 18), 24);
    EXPECT_EQ(WindowHeight(false, 3, 18), 25);
    EXPECT_EQ(WindowHeight(false, 3, 0), 25);
}

TEST(LauncherRules, UnusableStoredPlacementFallsBackToBottomRightCorner) {
    const Placement corner{1280 - 320, 994 - 24, 320, 24};
    EXPECT_EQ(ChooseInitialPlacement({0, 0, 0, 0}, kWorkArea, 24), corner);        // first start
    EXPECT_EQ(ChooseInitialPlacement({100, 100, 400, 0}, kWorkArea, 24), corner);  // no height
    EXPECT_EQ(ChooseInitialPlacement({100, 100, -5, 24}, kWorkArea, 24), corner);
    EXPECT_EQ(ChooseInitialPlacement({1280, 100, 400, 24}, kWorkArea, 24), corner);  // at right
    EXPECT_EQ(ChooseInitialPlacement({1600, 100, 400, 24}, kWorkArea, 24), corner);  // shrunk
    EXPECT_EQ(ChooseInitialPlacement({100, 994, 400, 24}, kWorkArea, 24), corner);   // at bottom
}

TEST(LauncherRules, UsableStoredPlacementIsKept) {
    EXPECT_EQ(ChooseInitialPlacement({100, 200, 400, 24}, kWorkArea, 30),
              (Placement{100, 200, 400, 24}));
    EXPECT_EQ(ChooseInitialPlacement({1279, 993, 500, 24}, kWorkArea, 30),
              (Placement{1279, 993, 500, 24}));
    // A window on a monitor left of the primary one keeps its place.
    EXPECT_EQ(ChooseInitialPlacement({-900, 200, 400, 24}, kWorkArea, 30),
              (Placement{-900, 200, 400, 24}));
}

TEST(LauncherRules, MovingSlidesTheWindowBackWithoutResizing) {
    EXPECT_EQ(KeepInsideWorkArea({100, 100, 420, 124}, kWorkArea), (Rect{100, 100, 420, 124}));
    EXPECT_EQ(KeepInsideWorkArea({-50, -7, 270, 17}, kWorkArea), (Rect{0, 0, 320, 24}));
    EXPECT_EQ(KeepInsideWorkArea({1100, 980, 1420, 1004}, kWorkArea), (Rect{960, 970, 1280, 994}));
    EXPECT_EQ(KeepInsideWorkArea({0, 0, 320, 24}, kShiftedArea), (Rect{60, 30, 380, 54}));
    EXPECT_EQ(KeepInsideWorkArea({1000, 500, 1300, 524}, kShiftedArea),
              (Rect{980, 500, 1280, 524}));
    // Wider than the work area: the right edge wins, as the shifts run left, top, right, bottom.
    EXPECT_EQ(KeepInsideWorkArea({0, 0, 1400, 24}, kShiftedArea), (Rect{-120, 30, 1280, 54}));
}

TEST(LauncherRules, OnlyTheOuterFivePixelsResize) {
    const Rect window{500, 900, 820, 924};
    EXPECT_EQ(HitTestFrame(500, window), FrameHit::Left);
    EXPECT_EQ(HitTestFrame(505, window), FrameHit::Left);
    EXPECT_EQ(HitTestFrame(506, window), FrameHit::Caption);
    EXPECT_EQ(HitTestFrame(660, window), FrameHit::Caption);
    EXPECT_EQ(HitTestFrame(814, window), FrameHit::Caption);
    EXPECT_EQ(HitTestFrame(815, window), FrameHit::Right);
    EXPECT_EQ(HitTestFrame(820, window), FrameHit::Right);
}

TEST(LauncherRules, HeightIsFixedAndWidthRunsToTheWorkAreaEdge) {
    const TrackingSizes sizes = ComputeTrackingSizes(24, kShiftedArea);
    EXPECT_EQ(sizes.minWidth, 280);
    EXPECT_EQ(sizes.maxWidth, 1280);
    EXPECT_EQ(sizes.minHeight, 24);
    EXPECT_EQ(sizes.maxHeight, 24);
}

TEST(LauncherRules, ItemIconPrecedence) {
    EXPECT_EQ(ChooseItemIcon(0, 0, 0), ItemIcon::File);
    EXPECT_EQ(ChooseItemIcon(1, 1, 1), ItemIcon::Folder);
    EXPECT_EQ(ChooseItemIcon(0, 1, 1), ItemIcon::Unplayable);
    EXPECT_EQ(ChooseItemIcon(0, 0, 1), ItemIcon::Played);
    EXPECT_EQ(ChooseItemIcon(0, 0, 2), ItemIcon::File);  // only exactly 1 means played
    EXPECT_EQ(static_cast<int>(ItemIcon::Unplayable), 4);
    EXPECT_EQ(static_cast<int>(ItemIcon::Played), 3);
}

TEST(LauncherRules, BlinkAdvancesOnlyWhilePlayingAndWraps) {
    BlinkCounter blink;
    blink.OnTick(0);
    blink.OnTick(2);
    EXPECT_EQ(blink.Value(), 0);
    EXPECT_EQ(blink.Frame(), 0);
    blink.OnTick(1);
    EXPECT_EQ(blink.Frame(), 1);
    blink.OnTick(0);  // paused: the frame stays
    EXPECT_EQ(blink.Frame(), 1);
    for (int i = 0; i < 255; ++i)
        blink.OnTick(1);
    EXPECT_EQ(blink.Value(), 0);  // 256 ticks wrap around
    EXPECT_EQ(blink.Frame(), 0);
}

}  // namespace
}  // namespace hgf::launcher
