// The core object: construction and teardown, the interface operations, Start, and the
// window-side services that the commands use.
#include "win32/PlayerCore.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "CoreIds.h"
#include "FileDialogFilters.h"
#include "HelpPage.h"
#include "PlayerCommands.h"
#include "engines/StreamTags.h"
#include "platform/CodePage932.h"
#include "platform/win32/ProgramFolder.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Messenger.h"
#include "platform/win32/Win32PowerControl.h"
#include "playlist/PlaylistFiles.h"
#include "settings/win32/OptionsSheet.h"
#include "settings/win32/Win32ProfileStore.h"
#include "win32/Choosers.h"
#include "win32/CoreModule.h"
#include "win32/KeyboardHook.h"

namespace hgf {
namespace {

PlaylistServices ListServices() {
    return PlaylistServices{TheWin32FileSystem(), TheWin32Messenger(), SystemClock(),
                            ReadPlaylistFile};
}

constexpr int kDefaultWidth = 320;  // CMD_WINDOW_INIT: width at the work area's corner
constexpr int kDefaultLayeredNoActive = 100;
constexpr int kDefaultLayeredActive = 200;

BYTE ClampAlpha(int alpha) {
    return static_cast<BYTE>(std::clamp(alpha, 0, 255));
}

// A message box with the stop icon; `text` and `caption` are code-page-932 text.
void ShowStopMessage(HWND owner, const std::string& text, const std::string& caption) {
    MessageBoxW(owner, WideFromCodePage932(text).c_str(), WideFromCodePage932(caption).c_str(),
                MB_OK | MB_ICONSTOP);
}

// FileStamp of the file at `path`; empty when it cannot be read.
std::string StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() ||
        !GetFileAttributesExW(WideFromCodePage932(path).c_str(), GetFileExInfoStandard, &data))
        return {};
    const std::uint64_t size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    const std::uint64_t written = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                  data.ftLastWriteTime.dwLowDateTime;
    return FileStamp(size, written);
}

}  // namespace

PlayerCore::PlayerCore() : PlayerCore(SystemClock(), TheWin32PowerControl()) {}

PlayerCore::PlayerCore(Clock& clock, PowerControl& power)
    : liveList_(ListServices()),
      stagingList_(ListServices()),
      clock_(clock),
      power_(power),
      oggPlayer_(TheWin32FileSystem(), waveOutput_),
      flacOpusPlayer_(TheWin32FileSystem(), waveOutput_),
      mp3Engine_(vbmp3_.Binding()),
      mediaEngine_(mci_),
      playbackControl_(liveList_, TheWin32FileSystem(), TheWin32Messenger(),
                       PlaybackEngines{.mp3 = &mp3Engine_,
                                       .media = &mediaEngine_,
                                       .mml = &mmlBridge_,
                                       .ogg = &oggPlayer_,
                                       .smf = &smfConverter_,
                                       .flacOpus = &flacOpusPlayer_}),
      playback_(playbackControl_),
      titleReader_(
          [this](const std::string& path, std::string& title) {
              // The Vorbis comments of Ogg and FLAC files, else the MP3 tags.
              if (ReadStreamTitle(TheWin32FileSystem(), path, &CodePage932FromUtf16, title))
                  return true;
              const Vbmp3Functions* mp3 = vbmp3_.Functions();
              return mp3 && ReadTagTitle(*mp3, path, title);
          },
          [this] { RepaintListTitles(); }),
      controller_(PlayerController::Parts{playHistory_, liveList_, busy_, statusText_, settings_,
                                          stagingList_},
                  PlayerController::Services{*this, playback_, TheWin32FileSystem(), SystemClock(),
                                             &titleReader_}) {
    user32_ = LoadLibraryA("user32.dll");
    if (user32_) {
        setLayeredWindowAttributes_ = reinterpret_cast<SetLayeredWindowAttributesProc>(
            reinterpret_cast<void*>(GetProcAddress(user32_, "SetLayeredWindowAttributes")));
    }
    // Without a path (too long for its buffer) the defaults stay and nothing is saved, so
    // that the profile functions never fall back to the system's own INI file.
    if (std::string ini = ProgramIniPath(); !ini.empty()) {
        Win32ProfileStore store(ini);
        settings_ = LoadSettings(store);
    }
    liveList_.SetPlayMode(settings_.PlayListMode);
    busy_ = 0;
    SetPriorityClass(GetCurrentProcess(),
                     settings_.CpuPrioryMin == 1 ? IDLE_PRIORITY_CLASS : NORMAL_PRIORITY_CLASS);
}

PlayerCore::~PlayerCore() {
    // No message may reach this object through a window it subclassed while its members
    // go; each window passes everything on to its own procedure from here on.
    comboList_.Detach();
    comboBox_.Detach();
    mainWindow_.Detach();
    // user32 goes first; from here on every alpha change is a no-op.
    setLayeredWindowAttributes_ = nullptr;
    if (user32_) FreeLibrary(user32_);
    user32_ = nullptr;
    // WM_CLOSE normally took these away; a host that never sent it must not keep a hook
    // into a core that is gone, nor an icon nobody owns.
    RemoveKeyboardHook();
    if (mainWindow_.trayIcon) DestroyIcon(mainWindow_.trayIcon);
    mainWindow_.trayIcon = nullptr;
}

void PlayerCore::Release() {
    delete this;
}

void PlayerCore::SetWindowAlpha(HWND window, COLORREF colorKey, BYTE alpha, DWORD flags) {
    if (setLayeredWindowAttributes_) setLayeredWindowAttributes_(window, colorKey, alpha, flags);
}

RECT* PlayerCore::GetSavedWindowRect(RECT* rect) {
    if (!rect) return rect;
    rect->left = settings_.X;
    rect->top = settings_.Y;
    rect->right = settings_.Width;
    rect->bottom = settings_.Height;
    return rect;
}

void PlayerCore::Start(const char* title, int iconId) {
    if (!mainWindow_.Exists()) return;  // AttachWindow failed: there is nothing to run
    HWND main = mainWindow_.Handle();
    if (settings_.WindowVisible == 1) {
        ShowWindow(main, SW_SHOWNA);
        SetWindowAlpha(main, 0, 1, LWA_ALPHA);
        UpdateWindow(main);
        FadeMainWindow(0, settings_.LayeredNoActive - 1);
    } else {
        ShowWindow(main, SW_HIDE);
        SetWindowAlpha(main, 0, 0, LWA_ALPHA);
    }
    AddTrayIcon(title, iconId);
    SetTimer(main, TIMER_FADE, TIMER_FADE_MS, nullptr);
    SetTimer(main, TIMER_HOUSEKEEPING, TIMER_HOUSEKEEPING_MS, nullptr);
    controller_.SetStatusText(kStatusNoList);
    liveList_.mmlPlayTime = settings_.MmlPlayTime;
    liveList_.smfConversionFile = settings_.SmfkConfigFile;
    PublishHotkeyTarget(main, MSG_HOTKEY);
    InstallKeyboardHook();
    started_ = true;
    // A path given to the program comes first; one that names nothing falls back.
    if (std::string path = std::exchange(pathAtStart_, {});
        !path.empty() && controller_.LoadPath(path)) {
        return;
    }
    if (!settings_.loadHistory.empty() && !settings_.loadHistory.front().empty()) {
        std::string newest = settings_.loadHistory.front();  // stays in the history
        playbackControl_.StartNextAt(settings_.LastPlayFile,
                                     ResumeStartMs(settings_, StampOf(settings_.LastPlayFile)));
        controller_.RequestLoad(newest, settings_.LastPlayFile);
    }
}

LRESULT PlayerCore::MoveToDefaultPosition() {
    return SendMessageW(mainWindow_.Handle(), WM_COMMAND, CMD_WINDOW_INIT, 0);
}

std::string PlayerCore::GetStatusText() {
    return statusText_;
}
std::string PlayerCore::GetItemPath(int index) {
    return liveList_.GetItemField(index, &PlaylistItem::path);
}
std::string PlayerCore::GetItemTitle(int index) {
    return liveList_.GetItemField(index, &PlaylistItem::title);
}
int PlayerCore::GetItemIndent(int index) {
    return liveList_.GetItemField(index, &PlaylistItem::indent);
}
BYTE PlayerCore::IsItemFolder(int index) {
    return liveList_.GetItemField(index, &PlaylistItem::isFolder);
}
BYTE PlayerCore::IsItemPlayed(int index) {
    return liveList_.GetItemField(index, &PlaylistItem::played);
}
int PlayerCore::GetItemCount() {
    return liveList_.ItemCount();
}
BYTE PlayerCore::IsItemMissing(int index) {
    return liveList_.GetItemField(index, &PlaylistItem::unplayable);
}
BYTE PlayerCore::IsPlaying() {
    return liveList_.playing ? 1 : 0;
}
int PlayerCore::GetCurrentIndex() {
    return liveList_.GetCurrentIndex();
}

std::string PlayerCore::GetMenuText(int commandId) {
    auto text = menuTexts_.find(commandId);
    return text == menuTexts_.end() ? std::string() : text->second;
}

bool PlayerCore::HasFixedMenuText(int commandId) {
    return hgf::HasFixedMenuText(commandId);
}

HWND PlayerCore::GetComboBoxWindow() {
    return comboBox_.Handle();
}

void PlayerCore::SetOffTimer(std::uint8_t enabled, int hour, int minute) {
    offTimerEnabled_ = enabled;
    offTimerHour_ = hour;
    offTimerMinute_ = minute;
}

void PlayerCore::RecordPlayPosition() {
    if (playbackControl_.GetEngineKind() == ENGINE_NONE) return;
    const std::int64_t ms = playbackControl_.PositionMs();  // -1: an MML song, say
    settings_.LastPlayPosition =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(ms, 0, INT32_MAX));
    settings_.LastPlayFileStamp = StampOf(settings_.LastPlayFile);
}

void PlayerCore::SaveSettingsNow() {
    RecordPlayPosition();
    settings_.PlayListMode = liveList_.GetPlayMode();
    std::string ini = ProgramIniPath();
    if (ini.empty()) return;
    Win32ProfileStore store(ini);
    SaveSettings(store, settings_);
}

void PlayerCore::FadeMainWindow(int from, int to) {
    HWND main = mainWindow_.Handle();
    // Stored opacities beyond the alpha range would only make the loop long.
    from = ClampAlpha(from);
    to = ClampAlpha(to);
    int step = from <= to ? 1 : -1;
    for (int alpha = from;; alpha += step) {
        SetWindowAlpha(main, 0, ClampAlpha(alpha), LWA_ALPHA);
        if (alpha == to) break;
    }
}

// --- The window side of the commands ---

void PlayerCore::ShowStatusText() {
    HWND combo = comboBox_.Handle();
    if (!combo) return;
    InvalidateRect(combo, nullptr, TRUE);
    UpdateWindow(combo);
}

void PlayerCore::FillList(const Playlist& list) {
    HWND combo = comboBox_.Handle();
    if (!combo) return;
    const std::int32_t rows = list.ItemCount();
    SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    SendMessageW(combo, CB_INITSTORAGE, static_cast<WPARAM>(rows), 0);
    // An owner-drawn list without strings keeps only the value it is given, as item data;
    // the host draws each row from GetItemTitle, so the rows carry none.
    for (std::int32_t row = 0; row < rows; ++row)
        SendMessageW(combo, CB_ADDSTRING, 0, 0);
    SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(combo, nullptr, TRUE);
}

void PlayerCore::RepaintListTitles() {
    // Runs on the title reader's thread: only marks the windows for repainting.
    if (HWND combo = comboBox_.Handle()) InvalidateRect(combo, nullptr, FALSE);
    if (HWND list = comboList_.Handle()) InvalidateRect(list, nullptr, FALSE);
}

int PlayerCore::ListRowCount() {
    HWND combo = comboBox_.Handle();
    if (!combo) return 0;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    return count == CB_ERR ? 0 : static_cast<int>(count);
}

void PlayerCore::SelectListRow(int index) {
    if (HWND combo = comboBox_.Handle()) SendMessageW(combo, CB_SETCURSEL, index, 0);
}

void PlayerCore::AnswerLoader() {
    if (InSendMessage()) ReplyMessage(0);
}

void PlayerCore::ReportNothingFound() {
    ShowStopMessage(mainWindow_.Handle(),
                    "フォルダを検索しましたが、再生可能なファイルは見つかりませんでした。",
                    "Harrowgladeforte Core");
}

void PlayerCore::ReportSaveFailed(const std::string& path) {
    ShowStopMessage(mainWindow_.Handle(), "プレイリストを保存できませんでした。\n" + path,
                    "Harrowgladeforte");
}

bool PlayerCore::ChooseFolder(std::string& path) {
    const std::deque<std::string>& history = settings_.loadHistory;
    FolderChooserOptions options{history.empty() ? std::string() : history.front(),
                                 settings_.SubFolderFind, settings_.AllFileRegist, folderChooser_};
    return hgf::ChooseFolder(mainWindow_.Handle(), options, path);
}

bool PlayerCore::ChoosePlaylistFile(std::string& path) {
    return ShowFileDialog(mainWindow_.Handle(), "プレイリストの読み込み", "", FILE_DIALOG_PLAYLIST,
                          true, path) != 0;
}

bool PlayerCore::ChooseSaveFile(std::string& path) {
    return ShowFileDialog(mainWindow_.Handle(), "プレイリストの書き出し", nullptr,
                          FILE_DIALOG_SAVE_LIST, false, path) != 0;
}

void PlayerCore::ShowOrHide() {
    HWND main = mainWindow_.Handle();
    if (IsWindowVisible(main)) {
        settings_.WindowVisible = 0;
        FadeMainWindow(settings_.LayeredNoActive, 1);
        ShowWindow(main, SW_HIDE);
    } else {
        settings_.WindowVisible = 1;
        ShowWindow(main, SW_SHOWNA);
        SetWindowAlpha(main, 0, 1, LWA_ALPHA);
        UpdateWindow(main);
        FadeMainWindow(0, settings_.LayeredNoActive - 1);
    }
}

void PlayerCore::PlaceAtDefaultPosition() {
    HWND main = mainWindow_.Handle();
    RECT combo{};
    if (comboBox_.Handle()) GetClientRect(comboBox_.Handle(), &combo);
    int height = 2 * GetSystemMetrics(SM_CYDLGFRAME) + combo.bottom;
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    SetWindowPos(main, nullptr, workArea.right - kDefaultWidth, workArea.bottom - height,
                 kDefaultWidth, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    settings_.LayeredNoActive = kDefaultLayeredNoActive;
    settings_.LayeredActive = kDefaultLayeredActive;
    settings_.WindowVisible = 1;
    SetWindowAlpha(main, 0, kDefaultLayeredNoActive, LWA_ALPHA);
}

void PlayerCore::OpenHelpPage() {
    const std::string program = ProgramPath();
    if (program.empty()) return;
    const std::wstring page = WideFromCodePage932(HelpPagePath(program));
    ShellExecuteW(mainWindow_.Handle(), nullptr, page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void PlayerCore::OpenOptionsSheet() {
    OptionsTarget target{settings_,
                         liveList_,
                         {offTimerEnabled_, offTimerHour_, offTimerMinute_},
                         mainWindow_.Handle(),
                         [this](int opacity) {
                             SetWindowAlpha(mainWindow_.Handle(), 0, ClampAlpha(opacity),
                                            LWA_ALPHA);
                         },
                         folderChooser_};
    ShowOptionsSheet(target);
}

void PlayerCore::Close() {
    SendMessageW(mainWindow_.Handle(), WM_CLOSE, 0, 0);
}

void PlayerCore::ContinueLater() {
    HWND main = mainWindow_.Handle();
    RedrawWindow(main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);  // the row tried last
    // Posted messages come before input, painting and timers: posted while any of those
    // wait, the continuation would starve them. A timer comes after all of them.
    const bool othersWaiting = HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT | QS_TIMER)) != 0;
    if (othersWaiting || !PostMessageW(main, MSG_PLAY_PASS, 0, 0))
        SetTimer(main, TIMER_PLAY_PASS, USER_TIMER_MINIMUM, nullptr);
}

}  // namespace hgf
