// The list controls' folder jump, the cursor-driven alpha fades and the tray tooltip.
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
