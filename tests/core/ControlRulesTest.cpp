// The list controls' folder jump, the cursor-driven alpha fades, where dialogs and the
// volume popup open, and the tray tooltip.
#include <gtest/gtest.h>

#include <vector>

#include "ControlRules.h"
#include "TrayIconRules.h"

namespace hgf {
namespace {

// Rows: 0 heading A, 1-2 files, 3 heading B, 4-5 files, 6 heading C, 7 file.
const std::vector<bool> kFolders = {true, false, false, true, false, false, true, false};

int Jump(int selection, int delta, const std::vector<bool>& folders = kFolders) {
    return FolderJumpTarget(selection, delta, static_cast<int>(folders.size()),
                            [&](int row) { return folders.at(row); });
}

TEST(FolderJump, UpGoesToTheHeadingAboveAndStopsAtTheTop) {
    EXPECT_EQ(Jump(3, 120), 0);   // from group B's heading to group A's
    EXPECT_EQ(Jump(6, 120), 3);   // from group C's heading to group B's
    EXPECT_EQ(Jump(5, 120), 3);   // from inside group B to its own heading
    EXPECT_EQ(Jump(2, 120), 0);   // from inside the first group: row 0
    EXPECT_EQ(Jump(1, 240), 0);   // two notches count as one
    EXPECT_EQ(Jump(0, 120), 0);   // already at the top
    EXPECT_EQ(Jump(-1, 120), 0);  // nothing selected
    EXPECT_EQ(Jump(4, 119), 6);   // less than a notch up counts as down
    // Row 0 is never tested: a list without headings goes to row 0 as well.
    EXPECT_EQ(Jump(2, 120, {false, false, false}), 0);
}

TEST(FolderJump, DownGoesToTheHeadingBelowOrPastTheEnd) {
    EXPECT_EQ(Jump(0, -120), 3);
    EXPECT_EQ(Jump(4, -120), 6);
    EXPECT_EQ(Jump(6, -120), 8);  // from the last group: the count, which selects nothing
    EXPECT_EQ(Jump(7, -120), 8);
    EXPECT_EQ(Jump(-1, -120), 0);  // nothing selected: row 0 is a heading
    EXPECT_EQ(Jump(0, -120, {}), 0);
}

TEST(CursorAlpha, FadesOnlyWhenTheCursorCrossesTheEdge) {
    std::uint8_t inside = 0;
    EXPECT_EQ(TrackCursorAlpha(false, inside, 200, 100), AlphaFade{});  // away, and was away
    EXPECT_EQ(TrackCursorAlpha(true, inside, 200, 100), (AlphaFade{true, true, 100, 199}));
    EXPECT_EQ(inside, 1);
    EXPECT_EQ(TrackCursorAlpha(true, inside, 200, 100), AlphaFade{});  // staying near
    EXPECT_EQ(TrackCursorAlpha(false, inside, 200, 100), (AlphaFade{true, false, 200, 101}));
    EXPECT_EQ(inside, 0);
    EXPECT_EQ(TrackCursorAlpha(false, inside, 200, 100), AlphaFade{});

    // Stored values outside 0-255 fade within the alpha range only.
    EXPECT_EQ(TrackCursorAlpha(true, inside, 2000000000, -5), (AlphaFade{true, true, 0, 254}));
    EXPECT_EQ(TrackCursorAlpha(false, inside, 2000000000, -5), (AlphaFade{true, false, 255, 1}));
}

TEST(Placement, WindowsMoveTheLeastDistanceIntoTheWorkArea) {
    const ScreenRect area{0, 0, 1024, 738};  // a taskbar below
    struct Case {
        ScreenRect window, placed;
    };
    const Case cases[] = {
        {{100, 100, 456, 605}, {100, 100, 456, 605}},     // inside: unchanged
        {{685, 512, 1041, 1017}, {668, 233, 1024, 738}},  // beyond the bottom-right corner
        {{-50, -20, 306, 485}, {0, 0, 356, 505}},         // beyond the top-left corner
        {{900, 10, 1256, 515}, {668, 10, 1024, 515}},     // beyond the right edge only
        {{-10, 300, 1100, 400}, {0, 300, 1110, 400}},     // wider than the area: left edge
        {{50, 600, 150, 1400}, {50, 0, 150, 800}},        // taller than the area: top edge
    };
    for (const Case& test : cases)
        EXPECT_EQ(MoveInside(test.window, area), test.placed);
    // A work area that does not start at 0 (a second monitor left of the first).
    EXPECT_EQ(MoveInside({-100, 900, 100, 1100}, {-1280, 0, 0, 1024}),
              (ScreenRect{-200, 824, 0, 1024}));
}

TEST(Placement, VolumePopupSlidesOutWhereItFitsBesideTheCursor) {
    const ScreenRect area{0, 0, 1280, 1024};
    struct Case {
        int x, y;
        PopupPlacement placed;
    };
    // An 88 x 124 popup, the cursor on the volume button of a strip in each corner.
    const Case cases[] = {
        {10, 10, {{10, 10, 98, 134}, true, false}},            // top-left: right, below
        {1275, 10, {{1187, 10, 1275, 134}, false, false}},     // top-right: left, below
        {10, 1015, {{10, 891, 98, 1015}, true, true}},         // bottom-left: right, above
        {1275, 1015, {{1187, 891, 1275, 1015}, false, true}},  // bottom-right: left, above
        {-40, 500, {{0, 376, 88, 500}, true, true}},           // cursor outside: moved in
    };
    for (const Case& test : cases)
        EXPECT_EQ(PlaceBesideCursor(test.x, test.y, 88, 124, area), test.placed)
            << test.x << "," << test.y;
}

TEST(TrayTooltip, CutAt127BytesOnACharacterBoundary) {
    EXPECT_EQ(TrayTooltipText("Harrowgladeforte"), "Harrowgladeforte");
    std::string ascii(200, 'a');
    EXPECT_EQ(TrayTooltipText(ascii), std::string(127, 'a'));
    // 126 single bytes and then a two-byte character (表, 95 5C): it would not fit.
    std::string mixed = std::string(126, 'a') + "\x95\x5C" + "b";
    EXPECT_EQ(TrayTooltipText(mixed), std::string(126, 'a'));
    std::string fits = std::string(125, 'a') + "\x95\x5C" + "b";
    EXPECT_EQ(TrayTooltipText(fits), std::string(125, 'a') + "\x95\x5C");
    EXPECT_EQ(TrayTooltipText("ab\x95"), "ab");  // a lead byte without its trail byte

    EXPECT_TRUE(UseVgaColourIcon(4, 0));
    EXPECT_TRUE(UseVgaColourIcon(4, 10));
    EXPECT_FALSE(UseVgaColourIcon(4, 90));
    EXPECT_TRUE(UseVgaColourIcon(5, 0));
    EXPECT_FALSE(UseVgaColourIcon(5, 1));
    EXPECT_FALSE(UseVgaColourIcon(10, 0));
}

}  // namespace
}  // namespace hgf
