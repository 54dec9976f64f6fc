// Planning and painting of the list combo box rows.
#include "win32/ItemPainter.h"

#include "platform/win32/WideText.h"

namespace hgf::launcher {

ItemDrawing PlanItemDrawing(IHarrowgladeforteCore& core, const DRAWITEMSTRUCT& item) {
    ItemDrawing drawing;
    drawing.itemRect = item.rcItem;
    const bool editPart = (item.itemState & ODS_COMBOBOXEDIT) != 0;

    std::string status = core.GetStatusText();
    if (editPart && !status.empty()) {
        drawing.kind = ItemDrawing::Kind::StatusText;
        drawing.textRect = item.rcItem;
        drawing.text = std::move(status);
        return drawing;
    }

    const int index = static_cast<int>(item.itemID);
    if (item.itemID == static_cast<UINT>(-1) || index >= core.GetItemCount()) {
        drawing.kind = ItemDrawing::Kind::Blank;
        return drawing;
    }

    drawing.kind = ItemDrawing::Kind::Item;
    drawing.textRect = item.rcItem;
    drawing.textRect.left += kItemTextMargin;
    if (item.itemState & ODS_SELECTED) {
        drawing.backgroundColour = COLOR_HIGHLIGHT;
        drawing.textColour = COLOR_HIGHLIGHTTEXT;
    }
    if (!editPart) {
        drawing.textRect.left += core.GetItemIndent(index) * kIndentStep;
        drawing.hasIcon = true;
        drawing.icon = ChooseItemIcon(core.IsItemFolder(index), core.IsItemMissing(index),
                                      core.IsItemPlayed(index));
        drawing.iconAt = {drawing.textRect.left, drawing.textRect.top};
        drawing.textRect.left += kItemIconAdvance;
    }
    drawing.text = core.GetItemTitle(index);
    return drawing;
}

namespace {

// The row text, whatever the system's ANSI code page.
void DrawRowText(HDC dc, const std::string& text, RECT textRect) {
    constexpr UINT kTextFormat = DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_BOTTOM;
    const std::wstring wide = WideFromCodePage932(text);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &textRect, kTextFormat);
}

void PaintInto(const ItemDrawing& drawing, HDC dc, HIMAGELIST itemIcons) {
    RECT itemRect = drawing.itemRect;
    switch (drawing.kind) {
        case ItemDrawing::Kind::StatusText:
            // Cleared first, so a shorter status text leaves no trace of what was shown.
            FillRect(dc, &itemRect, GetSysColorBrush(COLOR_WINDOW));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            DrawRowText(dc, drawing.text, drawing.textRect);
            return;
        case ItemDrawing::Kind::Blank:
            FillRect(dc, &itemRect, GetSysColorBrush(COLOR_WINDOW));
            return;
        case ItemDrawing::Kind::Item:
            break;
    }
    FillRect(dc, &itemRect, GetSysColorBrush(drawing.backgroundColour));
    SetTextColor(dc, GetSysColor(drawing.textColour));
    if (drawing.hasIcon && itemIcons) {
        ImageList_Draw(itemIcons, static_cast<int>(drawing.icon), dc, drawing.iconAt.x,
                       drawing.iconAt.y, ILD_NORMAL);
    }
    SetBkMode(dc, TRANSPARENT);
    DrawRowText(dc, drawing.text, drawing.textRect);
}

}  // namespace

void PaintItem(const ItemDrawing& drawing, HDC dc, HIMAGELIST itemIcons) {
    const int saved = SaveDC(dc);  // the device context belongs to the combo box
    PaintInto(drawing, dc, itemIcons);
    RestoreDC(dc, saved);
}

}  // namespace hgf::launcher
