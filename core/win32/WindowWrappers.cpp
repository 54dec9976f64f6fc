#include "win32/WindowWrappers.h"

namespace hgf {
namespace {

// The window property that holds a subclassed window's original procedure.
constexpr wchar_t kOriginalProcedure[] = L"HarrowgladeforteCore.OriginalProcedure";

}  // namespace

WindowWrapper::~WindowWrapper() {
    if (Exists()) DestroyWindow(window_);
}

void WindowWrapper::UpdateSize() {
    RECT rect{};
    if (!window_ || !GetWindowRect(window_, &rect)) return;
    width_ = rect.right - rect.left;
    height_ = rect.bottom - rect.top;
}

SubclassedWindow::~SubclassedWindow() {
    Detach();
}

bool SubclassedWindow::Attach(HWND window, void* owner, WNDPROC procedure) {
    if (!window || !IsWindow(window)) return false;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    ownsUserData_ = true;
    return AttachKeepingUserData(window, procedure);
}

bool SubclassedWindow::AttachKeepingUserData(HWND window, WNDPROC procedure) {
    if (!window || !IsWindow(window)) return false;
    window_ = window;
    instance_ = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    UpdateSize();
    replacement_ = procedure;
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    SetPropW(window, kOriginalProcedure, reinterpret_cast<HANDLE>(original_));
    return true;
}

void SubclassedWindow::Detach() {
    if (!Exists() || !original_) return;
    if (ownsUserData_) SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window_, GWLP_WNDPROC));
    if (current != replacement_) return;  // someone subclassed after us: leave the chain
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropW(window_, kOriginalProcedure);
}

LRESULT SubclassedWindow::PassOnWithoutOwner(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto original = reinterpret_cast<WNDPROC>(GetPropW(window, kOriginalProcedure));
    if (message == WM_NCDESTROY) RemovePropW(window, kOriginalProcedure);
    if (!original) return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(original, window, message, wParam, lParam);
}

void SubclassedWindow::DetachAndForget() {
    Detach();
    if (window_) RemovePropW(window_, kOriginalProcedure);  // the window's last message
    window_ = nullptr;
}

LRESULT SubclassedWindow::CallOriginal(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) const {
    if (!original_) return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(original_, window, message, wParam, lParam);
}

bool ClassWindow::Create(const WNDCLASSEXW& windowClass, const Params& params) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(windowClass.hInstance, windowClass.lpszClassName, &existing) &&
        !RegisterClassExW(&windowClass)) {
        return false;
    }
    window_ = CreateWindowExW(params.exStyle, windowClass.lpszClassName, params.text, params.style,
                              params.x, params.y, params.width, params.height, params.parent,
                              reinterpret_cast<HMENU>(params.id), windowClass.hInstance,
                              params.createParam);
    if (!window_) return false;
    instance_ = windowClass.hInstance;
    UpdateSize();
    return true;
}

bool ModelessDialog::Create(HINSTANCE module, int templateId, HWND owner, DLGPROC procedure,
                            LPARAM param) {
    window_ = CreateDialogParamW(module, MAKEINTRESOURCEW(templateId), owner, procedure, param);
    if (!window_) return false;
    instance_ = module;
    UpdateSize();
    return true;
}

}  // namespace hgf
