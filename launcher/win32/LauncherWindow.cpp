// The top-level window's procedure: placement, frame behaviour, the play indicator and
// the list item drawing. Window-free decisions come from LauncherRules.
#include "win32/LauncherWindow.h"

#include <windowsx.h>

#include "CoreIds.h"
#include "ProductInfo.h"
#include "launcher/LauncherResources.h"
#include "platform/win32/WideText.h"
#include "win32/AboutPage.h"
#include "win32/ItemPainter.h"
#include "win32/SingleInstance.h"

namespace hgf::launcher {

namespace {

constexpr COLORREF kImageMask = RGB(HGF_IMAGE_MASK_RED, HGF_IMAGE_MASK_GREEN, HGF_IMAGE_MASK_BLUE);
constexpr int kImageSize = 16;  // px, both image lists
constexpr int kFontHeight = 12;
constexpr char kFontFace[] = "ＭＳ Ｐゴシック";  // code page 932

Rect ToRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}
RECT ToRECT(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

Rect WorkArea() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return ToRect(area);
}

}  // namespace

LauncherResources LoadLauncherResources(HINSTANCE instance) {
    LauncherResources resources;
    resources.icon.reset(LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM)));
    // Loaded as DIB sections: from a device-dependent bitmap the image list would keep
    // only 16 colours.
    resources.indicatorFrames.reset(
        ImageList_LoadImageW(instance, MAKEINTRESOURCEW(IDB_PLAY_INDICATOR), kImageSize, 0,
                             kImageMask, IMAGE_BITMAP, LR_CREATEDIBSECTION));
    resources.itemIcons.reset(ImageList_LoadImageW(instance, MAKEINTRESOURCEW(IDB_ITEM_ICONS),
                                                   kImageSize, 0, kImageMask, IMAGE_BITMAP,
                                                   LR_CREATEDIBSECTION));
    resources.font.reset(CreateFontW(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                     WideFromCodePage932(kFontFace).c_str()));
    return resources;
}

WindowClassRegistration::WindowClassRegistration(HINSTANCE instance, HICON icon)
    : instance_(instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &LauncherWindow::Procedure;
    windowClass.cbWndExtra = sizeof(LauncherWindow*);  // the user data belongs to the core
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = LauncherWindow::kClassName;
    atom_ = RegisterClassExW(&windowClass);
}

WindowClassRegistration::~WindowClassRegistration() {
    if (atom_) UnregisterClassW(LauncherWindow::kClassName, instance_);
}

LauncherWindow::LauncherWindow(IHarrowgladeforteCore& core, HINSTANCE instance,
                               const LauncherResources& resources, std::wstring pathToOpen)
    : core_(core), instance_(instance), pathToOpen_(std::move(pathToOpen)), resources_(resources) {}

LauncherWindow::~LauncherWindow() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

bool LauncherWindow::Create() {
    const HWND created = CreateWindowExW(
        WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, kClassName,
        WS_POPUP | WS_CLIPCHILDREN | WS_DLGFRAME, 0, 0, 0, 0, nullptr, nullptr, instance_, this);
    return created != nullptr;
}

LRESULT CALLBACK LauncherWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* self = reinterpret_cast<LauncherWindow*>(GetWindowLongPtrW(window, 0));
    if (message == WM_NCCREATE) {
        self =
            static_cast<LauncherWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    if (!self) {
        if (message == WM_GETMINMAXINFO) {  // arrives before WM_NCCREATE
            const TrackingSizes sizes = ComputeTrackingSizes(kHeightWithoutComboBox, WorkArea());
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {sizes.minWidth, sizes.minHeight};
            info->ptMaxTrackSize = {sizes.maxWidth, sizes.maxHeight};
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    const LRESULT result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, 0, 0);
        self->window_ = self->strip_ = self->comboBox_ = nullptr;
    }
    return result;
}

LRESULT LauncherWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_SIZE:
            OnSize(LOWORD(lParam));
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_TIMER:
            if (wParam != kBlinkTimerId) break;
            OnBlinkTimer();
            return 0;
        case WM_CLOSE:
            KillTimer(window_, kBlinkTimerId);
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_GETMINMAXINFO: {
            const TrackingSizes sizes = ComputeTrackingSizes(CurrentWindowHeight(), WorkArea());
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {sizes.minWidth, sizes.minHeight};
            info->ptMaxTrackSize = {sizes.maxWidth, sizes.maxHeight};
            return 0;
        }
        case WM_NCHITTEST:
            return OnNcHitTest(lParam);
        case WM_MOVING: {
            auto* proposed = reinterpret_cast<RECT*>(lParam);
            *proposed = ToRECT(KeepInsideWorkArea(ToRect(*proposed), WorkArea()));
            return TRUE;
        }
        case WM_NCRBUTTONUP:
            core_.ShowPopupMenu(0);
            return 0;
        case WM_MEASUREITEM:
            return OnMeasureItem(wParam, lParam);
        case WM_DRAWITEM:
            return OnDrawItem(wParam, lParam);
        case MSG_GET_ABOUT_PAGE:
            return OnGetAboutPage(lParam);
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT LauncherWindow::OnCreate() {
    const auto font = reinterpret_cast<WPARAM>(resources_.font.get());
    SendMessageW(window_, WM_SETFONT, font, FALSE);
    strip_ = core_.AttachWindow(window_);
    comboBox_ = core_.GetComboBoxWindow();
    if (strip_) SendMessageW(strip_, WM_SETFONT, font, FALSE);
    if (comboBox_) SendMessageW(comboBox_, WM_SETFONT, font, FALSE);

    RECT saved{};
    core_.GetSavedWindowRect(&saved);
    const Placement stored{saved.left, saved.top, saved.right, saved.bottom};
    const Placement placement = ChooseInitialPlacement(stored, WorkArea(), CurrentWindowHeight());
    SetWindowPos(window_, nullptr, placement.x, placement.y, placement.width, placement.height,
                 SWP_NOACTIVATE | SWP_NOZORDER);
    SetTimer(window_, kBlinkTimerId, kBlinkIntervalMs, nullptr);
    // The core, which subclassed the window, takes the path as it takes one from another copy.
    if (!pathToOpen_.empty()) SendPathToOpen(window_, pathToOpen_, 0);
    core_.Start(HGF_PRODUCT_TITLE, IDI_PROGRAM);
    return 0;
}

void LauncherWindow::OnSize(int clientWidth) {
    if (!strip_) return;
    const int width = clientWidth > kIndicatorWidth ? clientWidth - kIndicatorWidth : 0;
    SetWindowPos(strip_, nullptr, kIndicatorWidth, 0, width, ComboClientHeight(),
                 SWP_NOACTIVATE | SWP_NOZORDER);
}

void LauncherWindow::OnPaint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window_, &paint);
    RECT client{};
    GetClientRect(window_, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    ImageList_Draw(resources_.indicatorFrames.get(), blink_.Frame(), dc, 0,
                   (client.bottom - kImageSize) / 2, ILD_NORMAL);
    EndPaint(window_, &paint);
}

void LauncherWindow::OnBlinkTimer() {
    blink_.OnTick(core_.IsPlaying());
    InvalidateRect(window_, nullptr, FALSE);
}

LRESULT LauncherWindow::OnNcHitTest(LPARAM lParam) {
    RECT frame{};
    GetWindowRect(window_, &frame);
    switch (HitTestFrame(GET_X_LPARAM(lParam), ToRect(frame))) {
        case FrameHit::Left:
            return HTLEFT;
        case FrameHit::Right:
            return HTRIGHT;
        case FrameHit::Caption:
            break;
    }
    return HTCAPTION;
}

LRESULT LauncherWindow::OnMeasureItem(WPARAM wParam, LPARAM lParam) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (item->CtlType == ODT_LISTBOX || item->CtlType == ODT_COMBOBOX) {
        item->itemWidth = kItemWidth;
        item->itemHeight = item->itemID == static_cast<UINT>(-1) ? kEditItemHeight : kItemHeight;
    }
    return DefWindowProcW(window_, WM_MEASUREITEM, wParam, lParam);
}

LRESULT LauncherWindow::OnDrawItem(WPARAM wParam, LPARAM lParam) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item->CtlType != ODT_COMBOBOX) return DefWindowProcW(window_, WM_DRAWITEM, wParam, lParam);
    PaintItem(PlanItemDrawing(core_, *item), item->hDC, resources_.itemIcons.get());
    return TRUE;
}

LRESULT LauncherWindow::OnGetAboutPage(LPARAM lParam) {
    auto* slot = reinterpret_cast<HPROPSHEETPAGE*>(lParam);
    if (!slot) return 0;
    *slot = CreateAboutPage(instance_);
    return *slot ? 1 : 0;  // a page that could not be made is not offered
}

int LauncherWindow::ComboClientHeight() const {
    RECT client{};
    if (!comboBox_ || !GetClientRect(comboBox_, &client)) return 0;
    return client.bottom;
}

int LauncherWindow::CurrentWindowHeight() const {
    const bool hasComboBox = comboBox_ && IsWindow(comboBox_);
    return WindowHeight(hasComboBox, GetSystemMetrics(SM_CYDLGFRAME), ComboClientHeight());
}

}  // namespace hgf::launcher
