// Drawing of the core's list combo box rows: the launcher draws, the core supplies the
// data. Planning (what goes where) is separate from painting so tests can check it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "IHarrowgladeforteCore.h"
#include "LauncherRules.h"

namespace hgf::launcher {

struct ItemDrawing {
    enum class Kind {
        StatusText,  // the edit part shows the core's status text
        Blank,       // no such item: the rectangle is filled with the window colour
        Item,        // a row: background, optional icon, title
    };
    Kind kind = Kind::Blank;
    RECT itemRect{};
    RECT textRect{};
    int backgroundColour = COLOR_WINDOW;  // system colour indexes
    int textColour = COLOR_BTNTEXT;
    bool hasIcon = false;
    ItemIcon icon = ItemIcon::File;
    POINT iconAt{};
    std::string text;  // code page 932
};

// Decides how one row of the combo box (or its edit part) is drawn.
ItemDrawing PlanItemDrawing(IHarrowgladeforteCore& core, const DRAWITEMSTRUCT& item);

// Paints a planned row into the device context; icons come from the item-icon list.
void PaintItem(const ItemDrawing& drawing, HDC dc, HIMAGELIST itemIcons);

}  // namespace hgf::launcher
