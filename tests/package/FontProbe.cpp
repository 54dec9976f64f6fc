// Test tool: realises the font of the program's window and dialogs ("ＭＳ Ｐゴシック", height
// 12, normal weight, default character set) and prints the family, full name and character
// set of the face that the system chose, and whether its ASCII letters differ in width.
#include <windows.h>

#include <cstdio>
#include <vector>

int main() {
    HFONT font = CreateFontA(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, "ＭＳ Ｐゴシック");
    HDC dc = CreateCompatibleDC(nullptr);
    if (!font || !dc) return 1;
    HGDIOBJ old = SelectObject(dc, font);

    const char* family = "(no outline)";
    const char* full = family;
    std::vector<char> metrics(GetOutlineTextMetricsA(dc, 0, nullptr));
    auto* outline = reinterpret_cast<OUTLINETEXTMETRICA*>(metrics.data());
    if (!metrics.empty() && GetOutlineTextMetricsA(dc, metrics.size(), outline)) {
        family = metrics.data() + reinterpret_cast<UINT_PTR>(outline->otmpFamilyName);
        full = metrics.data() + reinterpret_cast<UINT_PTR>(outline->otmpFullName);
    }
    TEXTMETRICA text{};
    GetTextMetricsA(dc, &text);
    SIZE narrow{}, wide{};
    GetTextExtentPoint32A(dc, "i", 1, &narrow);
    GetTextExtentPoint32A(dc, "W", 1, &wide);
    std::printf("family %s\nfull name %s\ncharset %d\nproportional %d\n", family, full,
                text.tmCharSet, narrow.cx < wide.cx ? 1 : 0);

    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return 0;
}
