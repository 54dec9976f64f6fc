// A stand-in for the player core: answers the interface from plain fields and records
// what the launcher asked for. AttachWindow can create a real strip and combo box.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "IHarrowgladeforteCore.h"

namespace hgf::launcher::test {

class FakeCore final : public IHarrowgladeforteCore {
  public:
    struct Item {
        std::string title;
        int indent = 0;
        BYTE folder = 0;
        BYTE played = 0;
        BYTE missing = 0;
    };

    // Answers.
    RECT savedRect{};  // X, Y, width, height as the settings hold them
    std::string statusText;
    std::vector<Item> items;
    BYTE playing = 0;
    bool createControls = true;
    std::function<void(HWND host)> onStart;

    // Records.
    std::vector<std::string> lifecycle;  // AttachWindow, GetComboBoxWindow, ... Release
    std::vector<int> itemQueries;        // indexes whose data was read
    std::string startTitle;
    int startIconId = 0;
    std::vector<int> popupMenuFlags;
    bool hostAliveAtRelease = true;
    HWND host = nullptr;
    HWND strip = nullptr;
    HWND comboBox = nullptr;

    void Release() override {
        lifecycle.push_back("Release");
        hostAliveAtRelease = host && IsWindow(host);
    }
    HWND AttachWindow(HWND hostWindow) override {
        lifecycle.push_back("AttachWindow");
        host = hostWindow;
        if (createControls) {
            const HINSTANCE instance = GetModuleHandleW(nullptr);
            strip = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 16, 0, 100, 21,
                                    hostWindow, nullptr, instance, nullptr);
            // A child of the host itself, so its WM_MEASUREITEM reaches the launcher.
            comboBox = CreateWindowExW(
                0, L"COMBOBOX", L"", WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                16, 0, 100, 200, hostWindow, nullptr, instance, nullptr);
        }
        return strip;
    }
    BOOL ShowPopupMenu(int ownerDraw) override {
        popupMenuFlags.push_back(ownerDraw);
        return TRUE;
    }
    void SetWindowAlpha(HWND, COLORREF, BYTE, DWORD) override {}
    RECT* GetSavedWindowRect(RECT* rect) override {
        lifecycle.push_back("GetSavedWindowRect");
        *rect = savedRect;
        return rect;
    }
    void Start(const char* title, int iconId) override {
        lifecycle.push_back("Start");
        startTitle = title;
        startIconId = iconId;
        if (onStart) onStart(host);
    }
    LRESULT MoveToDefaultPosition() override { return 0; }
    std::string GetStatusText() override { return statusText; }
    std::string GetItemPath(int index) override { return {}; }
    std::string GetItemTitle(int index) override { return At(index).title; }
    int GetItemIndent(int index) override { return At(index).indent; }
    BYTE IsItemFolder(int index) override { return At(index).folder; }
    BYTE IsItemPlayed(int index) override { return At(index).played; }
    int GetItemCount() override { return static_cast<int>(items.size()); }
    BYTE IsItemMissing(int index) override { return At(index).missing; }
    BYTE IsPlaying() override { return playing; }
    int GetCurrentIndex() override { return 0; }
    std::string GetMenuText(int) override { return {}; }
    bool HasFixedMenuText(int) override { return true; }
    HWND GetComboBoxWindow() override {
        lifecycle.push_back("GetComboBoxWindow");
        return comboBox;
    }

  private:
    const Item& At(int index) {
        itemQueries.push_back(index);
        return items.at(static_cast<size_t>(index));
    }
};

}  // namespace hgf::launcher::test
