// How the list combo box rows are drawn from the core's data: the plan for each kind of
// row, and the painted pixels of an icon and of a Japanese title.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "FakeCore.h"
#include "win32/ItemPainter.h"
#include "win32/LauncherWindow.h"

namespace hgf::launcher {
namespace {

using test::FakeCore;

DRAWITEMSTRUCT Row(int id, UINT state, RECT rect = {0, 20, 300, 34}) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_COMBOBOX;
    item.itemID = static_cast<UINT>(id);
    item.itemState = state;
    item.rcItem = rect;
    return item;
}

class ItemPainterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        core_.items = {
            {"Album", 0, 1, 0, 0},              // 0: folder heading row
            {"Track one.ogg", 2, 0, 1, 0},      // 1: played in this round
            {"Gone.ogg", 1, 0, 1, 1},           // 2: unplayable (and played)
            {"Track & three.ogg", 1, 0, 0, 0},  // 3: plain
        };
    }
    FakeCore core_;
};

TEST_F(ItemPainterTest, EditPartShowsTheStatusTextWhileThereIsOne) {
    core_.statusText = "[フォルダ検索中]";
    const ItemDrawing drawing = PlanItemDrawing(core_, Row(1, ODS_COMBOBOXEDIT | ODS_SELECTED));
    EXPECT_EQ(drawing.kind, ItemDrawing::Kind::StatusText);
    EXPECT_EQ(drawing.text, "[フォルダ検索中]");
    EXPECT_EQ(drawing.textRect.left, 0);
    EXPECT_FALSE(drawing.hasIcon);
    EXPECT_TRUE(core_.itemQueries.empty());  // no item data is read

    // The drop-down list is not affected by the status text.
    EXPECT_EQ(PlanItemDrawing(core_, Row(1, 0)).kind, ItemDrawing::Kind::Item);
}

TEST_F(ItemPainterTest, EditPartShowsTheSelectedTitleWithoutIconOrIndent) {
    const ItemDrawing drawing = PlanItemDrawing(core_, Row(1, ODS_COMBOBOXEDIT));
    EXPECT_EQ(drawing.kind, ItemDrawing::Kind::Item);
    EXPECT_EQ(drawing.text, "Track one.ogg");
    EXPECT_FALSE(drawing.hasIcon);
    EXPECT_EQ(drawing.textRect.left, 10);
    EXPECT_EQ(drawing.textRect.right, 300);
}

TEST_F(ItemPainterTest, DropDownRowsAreIndentedWithTheirIcon) {
    const ItemDrawing played = PlanItemDrawing(core_, Row(1, 0, {5, 20, 300, 34}));
    EXPECT_TRUE(played.hasIcon);
    EXPECT_EQ(played.icon, ItemIcon::Played);
    EXPECT_EQ(played.iconAt.x, 5 + 10 + 2 * 10);
    EXPECT_EQ(played.iconAt.y, 20);
    EXPECT_EQ(played.textRect.left, 5 + 10 + 2 * 10 + 18);
    EXPECT_EQ(played.text, "Track one.ogg");

    EXPECT_EQ(PlanItemDrawing(core_, Row(0, 0)).icon, ItemIcon::Folder);
    EXPECT_EQ(PlanItemDrawing(core_, Row(2, 0)).icon, ItemIcon::Unplayable);
    EXPECT_EQ(PlanItemDrawing(core_, Row(3, 0)).icon, ItemIcon::File);
    EXPECT_EQ(PlanItemDrawing(core_, Row(3, 0)).text, "Track & three.ogg");
}

TEST_F(ItemPainterTest, SelectionPicksTheHighlightColours) {
    const ItemDrawing selected = PlanItemDrawing(core_, Row(3, ODS_SELECTED));
    EXPECT_EQ(selected.backgroundColour, COLOR_HIGHLIGHT);
    EXPECT_EQ(selected.textColour, COLOR_HIGHLIGHTTEXT);
    const ItemDrawing plain = PlanItemDrawing(core_, Row(3, 0));
    EXPECT_EQ(plain.backgroundColour, COLOR_WINDOW);
    EXPECT_EQ(plain.textColour, COLOR_BTNTEXT);
}

TEST_F(ItemPainterTest, MissingRowsAreBlank) {
    EXPECT_EQ(PlanItemDrawing(core_, Row(-1, ODS_COMBOBOXEDIT)).kind, ItemDrawing::Kind::Blank);
    EXPECT_EQ(PlanItemDrawing(core_, Row(4, 0)).kind, ItemDrawing::Kind::Blank);
    core_.items.clear();
    EXPECT_EQ(PlanItemDrawing(core_, Row(0, ODS_COMBOBOXEDIT)).kind, ItemDrawing::Kind::Blank);
    EXPECT_TRUE(core_.itemQueries.empty());
}

// A 32-bit memory bitmap to paint rows into and read back.
class Surface {
  public:
    Surface(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                   nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Surface() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        const DWORD bgra = bits_[y * width_ + x];
        return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }
    // Pixels that differ from `other`, a surface of the same size.
    int Differences(const Surface& other) const {
        int count = 0;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x)
                count += Pixel(x, y) != other.Pixel(x, y);
        }
        return count;
    }

  private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
};

TEST_F(ItemPainterTest, PaintsTheChosenIconAtTheIndent) {
    const LauncherResources resources = LoadLauncherResources(GetModuleHandleA(nullptr));
    ASSERT_TRUE(resources.Complete());
    Surface surface(200, 14);
    constexpr COLORREF kFolderYellow = RGB(250, 210, 80);  // inside the folder picture
    const int iconX = 10 + 10 * 0;                         // folder row 0 has indent 0

    PaintItem(PlanItemDrawing(core_, Row(0, 0, {0, 0, 200, 14})), surface.Dc(),
              resources.itemIcons.get());
    EXPECT_EQ(surface.Pixel(iconX + 5, 10), kFolderYellow);
    EXPECT_EQ(surface.Pixel(3, 7), GetSysColor(COLOR_WINDOW));  // margin left of the icon
    EXPECT_EQ(surface.Pixel(199, 1), GetSysColor(COLOR_WINDOW));

    // The same row in the edit part has no icon.
    PaintItem(PlanItemDrawing(core_, Row(0, ODS_COMBOBOXEDIT, {0, 0, 200, 14})), surface.Dc(),
              resources.itemIcons.get());
    EXPECT_NE(surface.Pixel(iconX + 5, 10), kFolderYellow);

    // The status text clears what the edit part showed before.
    PaintItem(PlanItemDrawing(core_, Row(0, 0, {0, 0, 200, 14})), surface.Dc(),
              resources.itemIcons.get());
    core_.statusText = "-";
    PaintItem(PlanItemDrawing(core_, Row(0, ODS_COMBOBOXEDIT, {0, 0, 200, 14})), surface.Dc(),
              resources.itemIcons.get());
    EXPECT_EQ(surface.Pixel(iconX + 5, 10), GetSysColor(COLOR_WINDOW));
}

// The core's titles are code page 932; the row shows their characters whatever the system's
// ANSI code page: the same pixels as the title drawn from UTF-16.
TEST_F(ItemPainterTest, JapaneseTitleIsDrawnAsItsCharacters) {
    const LauncherResources resources = LoadLauncherResources(GetModuleHandleA(nullptr));
    ASSERT_TRUE(resources.Complete());
    core_.items = {{"夜明けの歌.ogg", 0, 0, 0, 0}};
    constexpr RECT kRow{0, 0, 200, 14};
    Surface painted(200, 14);
    Surface expected(200, 14);
    SelectObject(painted.Dc(), resources.font.get());  // as the combo box's own font
    SelectObject(expected.Dc(), resources.font.get());

    PaintItem(PlanItemDrawing(core_, Row(0, ODS_COMBOBOXEDIT, kRow)), painted.Dc(), nullptr);
    FillRect(expected.Dc(), &kRow, GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(expected.Dc(), TRANSPARENT);
    SetTextColor(expected.Dc(), GetSysColor(COLOR_BTNTEXT));
    RECT text{10, 0, 200, 14};
    DrawTextW(expected.Dc(), L"夜明けの歌.ogg", -1, &text,
              DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_BOTTOM);

    Surface blank(200, 14);
    FillRect(blank.Dc(), &kRow, GetSysColorBrush(COLOR_WINDOW));
    EXPECT_GT(expected.Differences(blank), 20);  // the title left ink
    EXPECT_EQ(painted.Differences(expected), 0);
}

}  // namespace
}  // namespace hgf::launcher
