// The main window procedure: the core's replacement procedure for the host's top-level
// window. Each message is handled here first and then passed on to the host.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "CoreIds.h"
#include "OffTimer.h"
#include "PlayerCommands.h"
#include "platform/win32/Win32FileSystem.h"
#include "win32/KeyboardHook.h"
#include "win32/PlayerCore.h"

namespace hgf {
namespace {

constexpr WPARAM kMciNotifySuccessful = 1;  // MCI_NOTIFY_SUCCESSFUL
constexpr WPARAM kResumeSuspend = 7;        // PBT_APMRESUMESUSPEND

// Broadcast by the shell when it (re)starts: tray icons must be added again.
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

}  // namespace

LRESULT CALLBACK PlayerCore::MainWindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    auto* core = reinterpret_cast<PlayerCore*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!core) return SubclassedWindow::PassOnWithoutOwner(window, message, wParam, lParam);
    if (message == WM_COPYDATA && lParam &&
        core->OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam)))
        return TRUE;
    core->OnMainWindowMessage(window, message, wParam, lParam);
    LRESULT result = core->mainWindow_.CallOriginal(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) core->mainWindow_.DetachAndForget();
    return result;
}

void PlayerCore::OnMainWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOVE:
        case WM_SIZE:
            StoreWindowRect();
            break;
        case WM_CLOSE:
            FadeMainWindow(settings_.LayeredNoActive, 1);
            RemoveTrayIcon();
            RemoveKeyboardHook();
            RecordPlayPosition();  // the playback ends here, the settings are written later
            controller_.Stop();
            break;
        case WM_DESTROY:
            SaveSettingsNow();
            KillTimer(window, TIMER_FADE);
            KillTimer(window, TIMER_HOUSEKEEPING);
            KillTimer(window, TIMER_PLAY_PASS);
            break;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            break;
        case WM_NCLBUTTONDBLCLK:
            controller_.OnDoubleClick();
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == CMD_OPTIONS) {
                OpenOptionsSheet();
            } else if (IsPlayerCommand(LOWORD(wParam))) {
                controller_.Command(LOWORD(wParam));
            }
            break;
        case WM_TIMER:
            if (wParam == TIMER_FADE) OnFadeTimer();
            if (wParam == TIMER_HOUSEKEEPING) {
                SaveSettingsNow();
                CheckOffTimerNow();
            }
            if (wParam == TIMER_PLAY_PASS) {
                KillTimer(window, TIMER_PLAY_PASS);
                controller_.OnContinuePass();
            }
            break;
        case WM_POWERBROADCAST:
            if (wParam == kResumeSuspend) {
                offTimerEnabled_ = 0;
                RepaintAfterResume();
            }
            break;
        case MM_MCINOTIFY_MESSAGE:
            // Only the end of the file playing now: not one of a device closed meanwhile.
            if (wParam == kMciNotifySuccessful &&
                mediaEngine_.IsCurrentMciDevice(static_cast<std::uintptr_t>(lParam)))
                controller_.OnMediaNotifySuccessful();
            break;
        case MSG_LIST_READY:
            controller_.OnListReady(wParam);
            break;
        case MSG_PLAY_CURRENT:
            controller_.PlayCurrentItem();
            break;
        case MSG_PLAY_PASS:
            controller_.OnContinuePass();
            break;
        case MSG_TRAY_NOTIFY:
            OnTrayNotify(static_cast<UINT>(lParam));
            break;
        case MSG_HOTKEY: {
            HotkeyResponse response =
                RespondToHotkey(settings_.keyTable, static_cast<std::uint16_t>(wParam));
            for (int command : response.commands)
                PostMessageW(window, WM_COMMAND, command, 0);
            if (response.pause) controller_.PauseIfPlaying();
            break;
        }
        default:
            if (UINT shellRestarted = TaskbarCreatedMessage();
                shellRestarted != 0 && message == shellRestarted) {
                AddTrayIconAgain();
            }
            break;
    }
}

std::string PlayerCore::PathThatOpens(std::u16string_view path) {
    if (path.empty()) return {};
    return TheWin32FileSystem().CodePage932PathThatOpens(path).value_or(std::string());
}

void PlayerCore::OnDropFiles(HDROP drop) {
    std::u16string path;
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
        UINT length = DragQueryFileW(drop, 0, nullptr, 0);
        path.resize(length + 1);
        length = DragQueryFileW(drop, 0, reinterpret_cast<wchar_t*>(path.data()), length + 1);
        path.resize(length);
    }
    DragFinish(drop);
    if (std::string opens = PathThatOpens(path); !opens.empty()) controller_.LoadPath(opens);
}

bool PlayerCore::OnCopyData(const COPYDATASTRUCT& data) {
    if (data.dwData != COPYDATA_OPEN_PATH) return false;
    if (!data.lpData || data.cbData % 2 != 0 || data.cbData > COPYDATA_MAX_PATH_BYTES) return true;
    std::u16string path(static_cast<const char16_t*>(data.lpData), data.cbData / 2);
    path.resize(std::char_traits<char16_t>::length(path.c_str()));  // up to a terminator
    std::string opens = PathThatOpens(path);
    if (opens.empty()) return true;
    if (started_)
        controller_.OpenPath(opens);
    else
        pathAtStart_ = std::move(opens);
    return true;
}

void PlayerCore::CheckOffTimerNow() {
    OffTimerSetting timer{offTimerEnabled_, offTimerHour_, offTimerMinute_};
    if (CheckOffTimer(timer, settings_, clock_.NowLocal(), power_) == OffTimerOutcome::CloseWindow)
        SendMessageW(mainWindow_.Handle(), WM_CLOSE, 0, 0);
}

void PlayerCore::StoreWindowRect() {
    RECT rect{};
    if (!GetWindowRect(mainWindow_.Handle(), &rect)) return;
    settings_.X = rect.left;
    settings_.Y = rect.top;
    settings_.Width = rect.right - rect.left;
    settings_.Height = rect.bottom - rect.top;
}

void PlayerCore::RepaintAfterResume() {
    // A layered window may come back from a suspend unpainted: drop the layered style,
    // nudge the size, and restore both.
    HWND main = mainWindow_.Handle();
    RECT rect{};
    if (!GetWindowRect(main, &rect)) return;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    constexpr UINT kResize = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
    LONG_PTR exStyle = GetWindowLongPtrW(main, GWL_EXSTYLE);
    SetWindowLongPtrW(main, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    SetWindowPos(main, nullptr, 0, 0, width - 1, height - 1, kResize);
    SetWindowLongPtrW(main, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    SetWindowPos(main, nullptr, 0, 0, width, height, kResize);
    FadeMainWindow(settings_.LayeredNoActive, settings_.LayeredNoActive);
}

}  // namespace hgf
