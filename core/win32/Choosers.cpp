#include "win32/Choosers.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include "CoreIds.h"
#include "FileDialogFilters.h"
#include "platform/CodePage932.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "win32/DialogPlacement.h"

namespace hgf {
namespace {

constexpr int kPathBufferSize = 520;
constexpr int kNewFolderButton = 14150;  // the browser's "make new folder" button
constexpr wchar_t kChooserProperty[] = L"This";

// Layout of the browser's buttons and the two added check boxes, from the bottom-right
// (buttons) and bottom-left (check boxes) of its client area.
constexpr int kButtonWidth = 88, kButtonHeight = 21;
constexpr int kOkRightOffset = 193, kCancelRightOffset = 98, kButtonBottomOffset = 31;
constexpr int kCheckWidth = 150, kCheckHeight = 21, kCheckLeft = 10;
constexpr int kSubFoldersBottomOffset = 45, kAllFilesBottomOffset = 27;

// Initialises COM for the browser's new dialog style for as long as it lives.
class ComApartment {
  public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    HRESULT result_;
};

void LayOutBrowser(HWND browser, int width, int height) {
    auto place = [&](int id, int x, int y, int w, int h) {
        if (HWND control = GetDlgItem(browser, id)) {
            SetWindowPos(control, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    };
    place(IDOK, width - kOkRightOffset, height - kButtonBottomOffset, kButtonWidth, kButtonHeight);
    place(IDCANCEL, width - kCancelRightOffset, height - kButtonBottomOffset, kButtonWidth,
          kButtonHeight);
    place(IDC_BROWSE_SUBFOLDERS, kCheckLeft, height - kSubFoldersBottomOffset, kCheckWidth,
          kCheckHeight);
    place(IDC_BROWSE_ALLFILES, kCheckLeft, height - kAllFilesBottomOffset, kCheckWidth,
          kCheckHeight);
}

FolderChooserOptions* OptionsOf(HWND browser) {
    return static_cast<FolderChooserOptions*>(GetPropW(browser, kChooserProperty));
}

LRESULT CALLBACK BrowserProcedure(HWND browser, UINT message, WPARAM wParam, LPARAM lParam) {
    FolderChooserOptions* options = OptionsOf(browser);
    if (!options) return SubclassedWindow::PassOnWithoutOwner(browser, message, wParam, lParam);
    SubclassedWindow& wrapper = options->dialog;
    switch (message) {
        case WM_SIZE:
            LayOutBrowser(browser, LOWORD(lParam), HIWORD(lParam));
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                options->subFolderFind =
                    IsDlgButtonChecked(browser, IDC_BROWSE_SUBFOLDERS) == BST_CHECKED ? 1 : 0;
                options->allFileRegist =
                    IsDlgButtonChecked(browser, IDC_BROWSE_ALLFILES) == BST_CHECKED ? 1 : 0;
            }
            break;
        case WM_NCDESTROY: {  // the property leaves with the window, as late as it can

            RemovePropW(browser, kChooserProperty);
            LRESULT result = wrapper.CallOriginal(browser, message, wParam, lParam);
            wrapper.DetachAndForget();
            return result;
        }
        default:
            break;
    }
    return wrapper.CallOriginal(browser, message, wParam, lParam);
}

// `text` is code-page-932 text.
HWND AddCheckBox(HWND browser, int id, const char* text, bool checked, HFONT font) {
    HWND box = CreateWindowExW(
        0, L"BUTTON", WideFromCodePage932(text).c_str(),
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 0, kCheckWidth, kCheckHeight,
        browser, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(browser, GWLP_HINSTANCE)), nullptr);
    if (!box) return nullptr;
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return box;
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message != BFFM_INITIALIZED) return 0;
    auto* options = reinterpret_cast<FolderChooserOptions*>(data);
    SetPropW(browser, kChooserProperty, options);
    const std::wstring initialFolder = WideFromCodePage932(options->initialFolder);
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE,
                 reinterpret_cast<LPARAM>(initialFolder.c_str()));
    if (HWND newFolder = GetDlgItem(browser, kNewFolderButton)) ShowWindow(newFolder, SW_HIDE);
    auto font = reinterpret_cast<HFONT>(SendMessageW(browser, WM_GETFONT, 0, 0));
    RECT client{};
    GetClientRect(browser, &client);
    AddCheckBox(browser, IDC_BROWSE_SUBFOLDERS, "サブフォルダも検索する",
                options->subFolderFind == 1, font);
    AddCheckBox(browser, IDC_BROWSE_ALLFILES, "すべてのファイルを読み込む",
                options->allFileRegist == 1, font);
    options->dialog.AttachKeepingUserData(browser, BrowserProcedure);
    LayOutBrowser(browser, client.right, client.bottom);
    return 0;
}

// The code-page-932 path to save a list at: the chosen file's own path where it opens
// (an existing file, through its short path if need be), else the folder's path that opens
// with the new name. A new name that code page 932 cannot spell has no such path.
std::optional<std::string> CodePage932SavePath(const std::u16string& path) {
    if (auto existing = TheWin32FileSystem().CodePage932PathThatOpens(path)) return existing;
    const std::size_t separator = path.find_last_of(u"\\/");
    if (separator == std::u16string::npos) return std::nullopt;
    CodePage932Text name =
        CodePage932TextFromUtf16(std::u16string_view(path).substr(separator + 1));
    if (!name.lossless) return std::nullopt;
    auto folder = TheWin32FileSystem().CodePage932PathThatOpens(path.substr(0, separator));
    if (!folder) return std::nullopt;
    return *folder + "\\" + name.text;
}

}  // namespace

int ShowFileDialog(HWND owner, const char* title, const char* initialDirectory, int kind, bool open,
                   std::string& path) {
    std::wstring buffer = WideFromCodePage932(path);
    buffer.resize(kPathBufferSize, L'\0');
    buffer.back() = L'\0';
    // The filter's pairs are separated by zero characters and end with two.
    const std::string filter = FileDialogFilterText(kind);
    const std::wstring wideFilter =
        WideFromCodePage932(std::string_view(filter.data(), filter.size() + 1));
    const std::wstring wideTitle = WideFromCodePage932(title ? title : "");
    const std::wstring wideInitialDirectory =
        WideFromCodePage932(initialDirectory ? initialDirectory : "");

    OPENFILENAMEW dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;  // the size without the places bar
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = wideFilter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrInitialDir = initialDirectory ? wideInitialDirectory.c_str() : nullptr;
    dialog.lpstrTitle = wideTitle.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    DialogPlacement placement(owner);
    BOOL chosen = open ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
    if (!chosen) return 0;

    const std::u16string chosenPath(reinterpret_cast<const char16_t*>(buffer.c_str()));
    std::optional<std::string> usable =
        open ? TheWin32FileSystem().CodePage932PathThatOpens(chosenPath)
             : CodePage932SavePath(chosenPath);
    if (!usable) return 0;
    int filterIndex = static_cast<int>(dialog.nFilterIndex);
    path = open ? std::move(*usable) : WithSaveExtension(*usable, kind, filterIndex);
    return filterIndex;
}

bool ChooseFolder(HWND owner, FolderChooserOptions& options, std::string& path) {
    ComApartment apartment;
    wchar_t displayName[kPathBufferSize] = L"";
    const std::wstring title = WideFromCodePage932("フォルダの参照");
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE;
    browse.lpfn = BrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(&options);

    DialogPlacement placement(owner);
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&browse);
    if (!item) return false;
    std::optional<std::string> chosen = CodePage932PathOfItem(item);
    CoTaskMemFree(item);
    if (!chosen) return false;
    path = std::move(*chosen);
    return true;
}

std::optional<std::string> CodePage932PathOfItem(PCIDLIST_ABSOLUTE item) {
    wchar_t chosen[kPathBufferSize] = L"";  // at least MAX_PATH, as the call expects
    if (!SHGetPathFromIDListW(item, chosen) || chosen[0] == L'\0') return std::nullopt;
    return TheWin32FileSystem().CodePage932PathThatOpens(reinterpret_cast<const char16_t*>(chosen));
}

}  // namespace hgf
