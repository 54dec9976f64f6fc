// The player object behind CreateInstance: owns the live and staging lists, the child
// controls, the settings and the remembered paths, and subclasses the host's window.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "IHarrowgladeforteCore.h"
#include "PlayerController.h"
#include "engines/FlacOpusPlayer.h"
#include "engines/OggStreamPlayer.h"
#include "engines/PlaybackControl.h"
#include "engines/TitleReader.h"
#include "engines/Vbmp3Engine.h"
#include "engines/win32/Vbmp3Library.h"
#include "engines/win32/WinMediaEngine.h"
#include "engines/win32/WinMmlBridge.h"
#include "engines/win32/WinSmfConverter.h"
#include "engines/win32/WinWaveOutput.h"
#include "platform/Clock.h"
#include "platform/PowerControl.h"
#include "playlist/Playlist.h"
#include "settings/Settings.h"
#include "win32/WindowWrappers.h"

namespace hgf {

class PlayerCore final : public IHarrowgladeforteCore, private PlayerWindow {
  public:
    // With the running system's clock and power services.
    PlayerCore();
    // With other clock and power services (the off-timer reads and uses them).
    PlayerCore(Clock& clock, PowerControl& power);

    void Release() override;
    HWND AttachWindow(HWND hostWindow) override;
    BOOL ShowPopupMenu(int ownerDraw) override;
    void SetWindowAlpha(HWND window, COLORREF colorKey, BYTE alpha, DWORD flags) override;
    RECT* GetSavedWindowRect(RECT* rect) override;
    void Start(const char* title, int iconId) override;
    LRESULT MoveToDefaultPosition() override;
    std::string GetStatusText() override;
    std::string GetItemPath(int index) override;
    std::string GetItemTitle(int index) override;
    int GetItemIndent(int index) override;
    BYTE IsItemFolder(int index) override;
    BYTE IsItemPlayed(int index) override;
    int GetItemCount() override;
    BYTE IsItemMissing(int index) override;
    BYTE IsPlaying() override;
    int GetCurrentIndex() override;
    std::string GetMenuText(int commandId) override;
    bool HasFixedMenuText(int commandId) override;
    HWND GetComboBoxWindow() override;

    // Arms the off-timer at hour:minute local time, or switches it off (as the options
    // page does through the same fields).
    void SetOffTimer(std::uint8_t enabled, int hour, int minute);

  private:
    using SetLayeredWindowAttributesProc = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

    ~PlayerCore();

    // Window procedures; each finds the core in its window's user data.
    static LRESULT CALLBACK MainWindowProcedure(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ControlsProcedure(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ComboBoxProcedure(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ComboListProcedure(HWND, UINT, WPARAM, LPARAM);
    static INT_PTR CALLBACK VolumePopupProcedure(HWND, UINT, WPARAM, LPARAM);

    void OnMainWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // WM_DROPFILES: the first path dropped loads (PlayerController::LoadPath).
    void OnDropFiles(HDROP drop);
    // WM_COPYDATA: true for a path handed over (COPYDATA_OPEN_PATH), which loads as if
    // dropped but waits for a load under way; one that arrives before Start is what Start
    // loads.
    bool OnCopyData(const COPYDATASTRUCT& data);
    // A UTF-16 path as a code page 932 path that opens; empty when there is none.
    static std::string PathThatOpens(std::u16string_view path);
    LRESULT OnControlsMessage(HWND strip, UINT message, WPARAM wParam, LPARAM lParam);
    void OnComboNotification(HWND strip, int code);
    void JumpToFolderGroup(int wheelDelta);
    // True when a left click on the open list would choose a folder heading.
    bool ClickChoosesFolderRow(HWND list);
    // TIMER_FADE: fades the window when the cursor came near or went away.
    void OnFadeTimer();
    // TIMER_HOUSEKEEPING, after the settings are saved.
    void CheckOffTimerNow();

    // The tray icon.
    bool AddTrayIcon(const char* title, int iconId);
    void AddTrayIconAgain();  // the shell restarted
    void RemoveTrayIcon();
    void OnTrayNotify(UINT mouseMessage);

    // The popup menu.
    void BuildMenus(bool ownerDraw);
    void CreateControls();
    void ShowVolumePopup();
    void RepaintAfterResume();
    void StoreWindowRect();
    // Writes every setting to the INI file beside the host program.
    void SaveSettingsNow();
    // Takes the position of the track that plays (and its file's stamp) into the settings;
    // with nothing playing they keep what they hold.
    void RecordPlayPosition();
    // Alpha of the main window in single steps from `from` to `to`, both included.
    void FadeMainWindow(int from, int to);
    // The title reader replaced titles: the combo box and its list draw them anew.
    void RepaintListTitles();
    // CMD_OPTIONS: the options sheet, modal over the main window.
    void OpenOptionsSheet();

    // PlayerWindow
    WindowHandle Handle() override { return mainWindow_.Handle(); }
    void ShowStatusText() override;
    void FillList(const Playlist& list) override;
    int ListRowCount() override;
    void SelectListRow(int index) override;
    void AnswerLoader() override;
    void ReportNothingFound() override;
    void ReportSaveFailed(const std::string& path) override;
    bool ChooseFolder(std::string& path) override;
    bool ChoosePlaylistFile(std::string& path) override;
    bool ChooseSaveFile(std::string& path) override;
    void ShowOrHide() override;
    void PlaceAtDefaultPosition() override;
    void OpenHelpPage() override;
    void Close() override;
    void ContinueLater() override;

    // The core's state, in this order (teardown runs in reverse, after user32 is freed).
    std::deque<std::string> playHistory_;  // started items, newest first, at most 100
    Playlist liveList_;                    // plays, and is what the combo box shows
    std::uint8_t busy_ = 0;                // 1 from a load request until MSG_LIST_READY
    std::string statusText_;               // shown instead of the current item when set
    HMODULE user32_ = nullptr;
    SetLayeredWindowAttributesProc setLayeredWindowAttributes_ = nullptr;  // null: opaque
    MainWindowWrapper mainWindow_;
    SubclassedWindow comboBox_;
    SubclassedWindow comboList_;  // the combo box's drop-down list
    ClassWindow controls_;        // the strip that holds the combo box and volume button
    ModelessDialog volumePopup_;
    SubclassedWindow folderChooser_;  // the folder browser while it is open
    HWND menuOwner_ = nullptr;
    HMENU mainMenu_ = nullptr;
    HMENU historyMenu_ = nullptr;
    HMENU playModeMenu_ = nullptr;
    // The ids are command ids, and for the two submenu entries the submenu handles.
    std::map<int, std::string> menuTexts_;  // built by the last ShowPopupMenu
    // The INI file's values, among them the folder shortcuts, the load history and the
    // key table.
    Settings settings_;
    Playlist stagingList_;              // filled by the loader worker
    bool started_ = false;              // Start has run
    std::string pathAtStart_;           // handed over before Start: loaded instead of the history
    std::uint8_t offTimerEnabled_ = 0;  // the off-timer: set by the options page only
    int offTimerHour_ = 0;
    int offTimerMinute_ = 0;
    Clock& clock_;         // the off-timer's local time
    PowerControl& power_;  // the off-timer's shutdown and hibernation

    // The engines and the playback control of the live list. The two stream players share
    // one device: at most one of them is open at a time.
    WinWaveOutput waveOutput_;
    OggStreamPlayer oggPlayer_;
    FlacOpusPlayer flacOpusPlayer_;
    Vbmp3Library vbmp3_;  // VBMP3.dll, loaded at the first MP3 attempt or title read
    Vbmp3Engine mp3Engine_;
    WinMciChannel mci_;
    WinMediaEngine mediaEngine_;
    WinMmlBridge mmlBridge_;
    WinSmfConverter smfConverter_;  // loads its library at the first conversion
    PlaybackControl playbackControl_;
    EnginePlayback playback_;
    TitleReader titleReader_;  // stopped before the live list changes, and at close

    PlayerController controller_;  // the commands, over the members above
};

}  // namespace hgf
