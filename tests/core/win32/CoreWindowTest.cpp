// The core library in this process under Wine: a test window plays the host, the core
// attaches to it, and the tests drive it with the messages the host, the menu, the hot
// keys and the loader send. Dialogs that open are answered by a watcher thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "CoreIds.h"
#include "IHarrowgladeforteCore.h"
#include "MediaTestFiles.h"
#include "StreamTestFiles.h"
#include "ToneOgg.h"
#include "win32/WindowTestKit.h"

namespace hgf {
namespace {

using test::ClassOf;
using test::IniValue;
using test::ProgramIniPath;
using test::Pump;
using test::PumpUntil;
using test::WindowText;
using test::WriteProgramIni;

constexpr char kNoList[] = "[フォルダ／プレイリストが未選択]";
constexpr char kSearching[] = "[フォルダ検索中]";
constexpr char kNothingFound[] =
    "フォルダを検索しましたが、再生可能なファイルは見つかりませんでした。";

// The window of this thread titled `title` (other test programs may show theirs).
HWND OwnWindowTitled(const std::string& title) {
    struct Search {
        const std::string& title;
        HWND found = nullptr;
    } search{title};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            if (WindowText(window) != search->title) return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text of the item selected in the folder browser's tree.
std::string SelectedFolderName(HWND browser) {
    HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
    if (!tree) return {};
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    char text[MAX_PATH] = "";
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    if (!item || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data))) return {};
    return text;
}

// A thread that answers each dialog box this process shows: `answer` is called with the
// dialog and must close it. Dialogs still open when the watcher ends are cancelled.
class DialogWatcher {
  public:
    explicit DialogWatcher(std::function<void(HWND)> answer)
        : answer_(std::move(answer)), thread_([this] { Run(); }) {}
    ~DialogWatcher() {
        stop_ = true;
        thread_.join();
    }
    int Answered() const { return answered_; }

  private:
    static BOOL CALLBACK Find(HWND window, LPARAM found) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
            ClassOf(window) == "#32770") {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }
    void Run() {
        while (!stop_) {
            HWND dialog = nullptr;
            EnumWindows(Find, reinterpret_cast<LPARAM>(&dialog));
            if (dialog) {
                Sleep(200);  // let it finish initialising
                answer_(dialog);
                ++answered_;
                for (int i = 0; i < 200 && IsWindow(dialog) && IsWindowVisible(dialog); ++i)
                    Sleep(10);
            }
            Sleep(20);
        }
    }

    std::function<void(HWND)> answer_;
    std::atomic<bool> stop_{false};
    std::atomic<int> answered_{0};
    std::thread thread_;
};

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The host side: a window like the program's, which attaches the core in WM_CREATE.
IHarrowgladeforteCore* g_core = nullptr;
HWND g_strip = nullptr;
int g_measureItems = 0;      // WM_MEASUREITEM that reached the host
int g_frameRightClicks = 0;  // WM_NCRBUTTONUP that reached the host

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            g_strip = g_core->AttachWindow(window);
            RECT saved{};
            g_core->GetSavedWindowRect(&saved);
            if (saved.right > 0) {
                SetWindowPos(window, nullptr, saved.left, saved.top, saved.right, saved.bottom,
                             SWP_NOZORDER | SWP_NOACTIVATE);
            } else {
                SetWindowPos(window, nullptr, 600, 700, 320, 27, SWP_NOZORDER | SWP_NOACTIVATE);
            }
            g_core->Start("Harrowgladeforte", 106);
            return 0;
        }
        case WM_MEASUREITEM:
            ++g_measureItems;
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 14;
            return TRUE;
        case WM_NCRBUTTONUP:
            ++g_frameRightClicks;
            return 0;
        default:
            return test::HostWindowDefaults(window, message, wParam, lParam);
    }
}

class CoreWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        DeleteFileA(ProgramIniPath().c_str());
        // At the root of the temporary folder's drive rather than in that folder, which
        // other test programs change meanwhile: the folder browser matches a path against
        // the folder data it read on opening, and a changed parent no longer matches.
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp, 3) + "hgf-core-window-" + std::to_string(GetCurrentProcessId());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ + "\\music");
        music_ = folder_ + "\\music";
    }
    void TearDown() override {
        Close();
        DeleteFileA(ProgramIniPath().c_str());
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Two tones in the music folder, and an INI that resumes the first of them.
    void WriteTonesAndResumeIni(const std::string& moreLines = {}) {
        ASSERT_TRUE(test::WriteToneOgg(music_ + "\\a.ogg", 440, 3));
        ASSERT_TRUE(test::WriteToneOgg(music_ + "\\b.ogg", 660, 3));
        WriteProgramIni("Histry0=" + music_ + "\r\nLastPlayFile=" + music_ +
                        "\\a.ogg\r\nPlayListMode=0\r\n" + moreLines);
    }

    void Open() {
        g_measureItems = g_frameRightClicks = 0;
        core_ = g_core = CreateInstance(GetModuleHandleA(nullptr));
        ASSERT_TRUE(core_);
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = HostProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "CoreWindowTestHost";
        RegisterClassExA(&windowClass);
        window_ =
            CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "CoreWindowTestHost",
                            "Harrowgladeforte", WS_POPUP | WS_CLIPCHILDREN | WS_DLGFRAME, 0, 0, 0,
                            0, nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_TRUE(window_);
    }
    // WM_CLOSE as the user closes the player, then Release as the host does.
    void Close() {
        if (window_ && IsWindow(window_)) SendMessageA(window_, WM_CLOSE, 0, 0);
        window_ = nullptr;
        if (core_) core_->Release();
        core_ = g_core = nullptr;
    }
    LRESULT Command(int id) { return SendMessageA(window_, WM_COMMAND, id, 0); }
    bool WaitUntilPlaying() {
        return PumpUntil([&] { return core_->GetItemCount() > 0 && core_->IsPlaying() == 1; });
    }

    std::string folder_, music_;
    IHarrowgladeforteCore* core_ = nullptr;
    HWND window_ = nullptr;
};

TEST_F(CoreWindowTest, AttachCreatesTheControlsAndTheyLeaveWithTheWindow) {
    WriteProgramIni("Volume=70\r\n");
    Open();
    HWND strip = g_strip;
    ASSERT_TRUE(strip);
    EXPECT_EQ(ClassOf(strip), "HarrowgladeforteCore Controls");
    EXPECT_EQ(WindowText(strip), "HGFcoreControls");
    EXPECT_EQ(GetDlgCtrlID(strip), IDC_CONTROLS);
    EXPECT_EQ(GetParent(strip), window_);
    RECT rect{};
    GetWindowRect(strip, &rect);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 16);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.bottom - rect.top, 21);

    HWND combo = core_->GetComboBoxWindow();
    ASSERT_TRUE(combo);
    EXPECT_EQ(ClassOf(combo), "ComboBox");
    EXPECT_EQ(GetParent(combo), strip);
    EXPECT_EQ(GetDlgCtrlID(combo), IDC_COMBO);
    LONG_PTR style = GetWindowLongPtrA(combo, GWL_STYLE);
    EXPECT_EQ(style & 3, CBS_DROPDOWNLIST);
    EXPECT_TRUE(style & CBS_OWNERDRAWFIXED);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));

    HWND popup = OwnWindowTitled("HGFcoreExtBox");
    ASSERT_TRUE(popup);
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_EQ(GetWindow(popup, GW_OWNER), window_);
    HWND trackbar = GetDlgItem(popup, 1052);
    EXPECT_EQ(SendMessageA(trackbar, TBM_GETPOS, 0, 0), -70);
    EXPECT_EQ(SendMessageA(trackbar, TBM_GETRANGEMIN, 0, 0), -100);
    EXPECT_EQ(SendMessageA(trackbar, TBM_GETRANGEMAX, 0, 0), 0);

    // The strip passes item measuring to the host, and a right click on it to the frame.
    EXPECT_GT(g_measureItems, 0);
    SendMessageA(strip, WM_RBUTTONUP, 0, 0);
    EXPECT_EQ(g_frameRightClicks, 1);

    // A click on the strip slides the popup out; its button puts it away.
    SendMessageA(strip, WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(IsWindowVisible(popup));
    SendMessageA(popup, WM_COMMAND, MAKEWPARAM(1053, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindowVisible(popup));

    // Moving the track sets the volume, saved on closing.
    SendMessageA(trackbar, TBM_SETPOS, TRUE, -35);
    SendMessageA(popup, WM_VSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(trackbar));

    Close();
    EXPECT_FALSE(IsWindow(strip));
    EXPECT_FALSE(IsWindow(combo));
    EXPECT_FALSE(IsWindow(info.hwndList));
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(IniValue("Volume"), "35");
}

TEST_F(CoreWindowTest, HiddenStartWithoutHistoryLoadsNothing) {
    WriteProgramIni("WindowVisible=false\r\n");
    Open();
    EXPECT_FALSE(IsWindowVisible(window_));
    EXPECT_EQ(core_->GetStatusText(), kNoList);
    Pump(300);
    EXPECT_EQ(core_->GetItemCount(), 0);
    EXPECT_EQ(core_->GetStatusText(), kNoList);

    Command(CMD_SHOW_HIDE);
    EXPECT_TRUE(IsWindowVisible(window_));
    Close();
    EXPECT_EQ(IniValue("WindowVisible"), "true");
}

TEST_F(CoreWindowTest, WhileLoadingOnlyTheFreeCommandsWork) {
    WriteTonesAndResumeIni("FolderSCPath[00]=" + folder_ + "\\nowhere\r\n");
    Open();  // Start asks for the newest history entry; its worker waits for our loop
    ASSERT_EQ(core_->GetStatusText(), kSearching);
    {
        DialogWatcher watcher([](HWND dialog) { Press(dialog, IDCANCEL); });
        for (int id : {CMD_PLAY_PAUSE, CMD_SKIP, CMD_REPLAY, CMD_PREV_PLAY, CMD_HISTORY_0,
                       CMD_FOLDER_SC_0, CMD_CHANGE_FOLDER, CMD_LOAD_PLAYLIST, CMD_SAVE_PLAYLIST}) {
            Command(id);
        }
        SendMessageA(window_, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
        EXPECT_EQ(core_->IsPlaying(), 0);
        EXPECT_EQ(core_->GetItemCount(), 0);
        EXPECT_EQ(core_->GetStatusText(), kSearching);
        EXPECT_EQ(watcher.Answered(), 0);  // no chooser and no message box opened

        Command(CMD_MODE_RANDOM);
        Command(CMD_SHOW_HIDE);
        EXPECT_FALSE(IsWindowVisible(window_));
        Command(CMD_SHOW_HIDE);
        EXPECT_TRUE(IsWindowVisible(window_));
    }

    ASSERT_TRUE(WaitUntilPlaying());
    EXPECT_EQ(core_->GetStatusText(), "");
    EXPECT_EQ(core_->GetItemCount(), 3);
    EXPECT_EQ(core_->GetCurrentIndex(), 1);  // LastPlayFile
    EXPECT_EQ(core_->GetItemTitle(1), "a.ogg");
    EXPECT_EQ(SendMessageA(core_->GetComboBoxWindow(), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(core_->GetComboBoxWindow(), CB_GETCURSEL, 0, 0), 1);
    Command(CMD_PLAY_PAUSE);
    EXPECT_EQ(core_->IsPlaying(), 0);
    SendMessageA(window_, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_EQ(core_->IsPlaying(), 1);

    // A row chosen in the list plays at once.
    HWND combo = core_->GetComboBoxWindow();
    SendMessageA(combo, CB_SETCURSEL, 2, 0);
    SendMessageA(g_strip, WM_COMMAND, MAKEWPARAM(IDC_COMBO, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(core_->GetCurrentIndex(), 2);
    EXPECT_EQ(core_->IsPlaying(), 1);

    Close();
    EXPECT_EQ(IniValue("PlayListMode"), "1");  // chosen while loading, kept by the hand-over
    EXPECT_EQ(IniValue("Histry0"), music_);
    EXPECT_EQ(IniValue("LastPlayFile"), music_ + "\\b.ogg");
}

TEST_F(CoreWindowTest, FlacAndOpusFilesAreFoundPlayAndTakeTheirTitlesFromTheirTags) {
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(music_ + "\\" + name, std::ios::binary) << bytes;
    };
    // 朝の歌 in UTF-8, as Vorbis comments hold it.
    write("a.FLAC",
          test::EncodeFlac({.seconds = 3.0, .title = "\xE6\x9C\x9D\xE3\x81\xAE\xE6\xAD\x8C"}));
    write("b.opus", test::EncodeOpus({.seconds = 3.0, .title = "Opus song"}));
    write("c.opus", test::EncodeOpus({.seconds = 3.0}));
    ASSERT_TRUE(test::WriteToneOgg(music_ + "\\d.ogg", 440, 3));  // titled "tone"
    WriteProgramIni("Histry0=" + music_ + "\r\nLastPlayFile=" + music_ +
                    "\\a.FLAC\r\nPlayListMode=0\r\nListItemName=true\r\n");
    Open();
    ASSERT_TRUE(WaitUntilPlaying());
    EXPECT_EQ(core_->GetCurrentIndex(), 1);
    ASSERT_EQ(core_->GetItemCount(), 5);
    EXPECT_TRUE(PumpUntil([&] { return core_->GetItemTitle(4) == "tone"; }));
    EXPECT_EQ(core_->GetItemTitle(1), "\x92\xA9\x82\xCC\x89\xCC");  // 朝の歌 in code page 932
    EXPECT_EQ(core_->GetItemTitle(2), "Opus song");
    EXPECT_EQ(core_->GetItemTitle(3), "c.opus");  // no title: the file's name stays
    EXPECT_EQ(core_->IsItemMissing(1), 0);
}

TEST_F(CoreWindowTest, NothingFoundLeavesTheListPlayingAndDropsTheHistoryEntry) {
    WriteTonesAndResumeIni("Histry1=" + folder_ + "\\gone\r\n");
    Open();
    ASSERT_TRUE(WaitUntilPlaying());
    int count = core_->GetItemCount();
    int current = core_->GetCurrentIndex();

    std::string boxText, boxCaption;
    DialogWatcher watcher([&](HWND box) {
        boxCaption = WindowText(box);
        boxText = WindowText(GetDlgItem(box, 0xFFFF));
        Press(box, IDOK);
    });
    SendMessageA(window_, MSG_LIST_READY, 0, 0);
    EXPECT_EQ(watcher.Answered(), 1);
    EXPECT_EQ(boxCaption, "Harrowgladeforte Core");
    EXPECT_EQ(boxText, kNothingFound);
    EXPECT_EQ(core_->GetItemCount(), count);
    EXPECT_EQ(core_->GetCurrentIndex(), current);
    EXPECT_EQ(core_->IsPlaying(), 1);
    EXPECT_EQ(core_->GetStatusText(), "");

    Command(CMD_HISTORY_0 + 1);  // the missing folder: reported, and taken out of the history
    EXPECT_EQ(watcher.Answered(), 2);
    EXPECT_EQ(core_->IsPlaying(), 1);
    Command(CMD_HISTORY_0 + 1);  // beyond the history now: nothing happens
    Pump(300);
    EXPECT_EQ(watcher.Answered(), 2);
    Command(CMD_PLAY_PAUSE);  // not busy any more
    EXPECT_EQ(core_->IsPlaying(), 0);
}

// Two wave files in the music folder, and an INI that resumes the first of them.
class CoreMediaTest : public CoreWindowTest {
  protected:
    void WriteWavesAndResumeIni() {
        ASSERT_TRUE(test::WriteToneWave(music_ + "\\a.wav", 440, 1.0));
        ASSERT_TRUE(test::WriteToneWave(music_ + "\\b.wav", 660, 1.0));
        WriteProgramIni("Histry0=" + music_ + "\r\nLastPlayFile=" + music_ +
                        "\\a.wav\r\nPlayListMode=0\r\n");
    }
    // The main window has started row `index` (the end of a track may have advanced the
    // current row before its message arrives).
    bool WaitUntilRowStarted(int index, int timeoutMs) {
        HWND combo = core_->GetComboBoxWindow();
        return PumpUntil(
            [&] {
                return core_->GetCurrentIndex() == index &&
                       SendMessageA(combo, CB_GETCURSEL, 0, 0) == index && core_->IsPlaying();
            },
            timeoutMs);
    }
    // The mode of the MCI device "music" of this process; empty when it is not open.
    static std::string MciMusicMode() {
        char mode[64] = "";
        return mciSendStringA("status music mode", mode, sizeof mode, nullptr) == 0 ? mode : "";
    }
};

TEST_F(CoreMediaTest, WavesPlayThroughTheFilterGraphOneAfterAnother) {
    WriteWavesAndResumeIni();
    Open();
    ASSERT_TRUE(WaitUntilPlaying());
    EXPECT_EQ(core_->GetCurrentIndex(), 1);
    EXPECT_EQ(MciMusicMode(), "");  // DirectShow mode
    // The media watcher reports the end; the main window plays the next row.
    EXPECT_TRUE(WaitUntilRowStarted(2, 8000));
    Close();
    EXPECT_EQ(IniValue("LastPlayFile"), music_ + "\\b.wav");
}

// COM already initialised for the multithreaded apartment on the window's thread makes the
// media engine's set-up fail: every file goes to MCI.
struct MultithreadedApartment {
    MultithreadedApartment() { result = CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    ~MultithreadedApartment() {
        if (SUCCEEDED(result)) CoUninitialize();
    }
    HRESULT result;
};

TEST_F(CoreMediaTest, WithoutDirectShowTheMciNotificationPlaysTheNextRow) {
    MultithreadedApartment apartment;
    ASSERT_EQ(apartment.result, S_OK);
    WriteWavesAndResumeIni();
    Open();
    ASSERT_TRUE(WaitUntilPlaying());
    EXPECT_EQ(core_->GetCurrentIndex(), 1);
    EXPECT_EQ(MciMusicMode(), "playing");
    // MM_MCINOTIFY with MCI_NOTIFY_SUCCESSFUL reaches the main window, which advances.
    EXPECT_TRUE(WaitUntilRowStarted(2, 8000));
    EXPECT_EQ(MciMusicMode(), "playing");
    Command(CMD_PLAY_PAUSE);
    EXPECT_EQ(MciMusicMode(), "paused");
    Close();
    EXPECT_EQ(MciMusicMode(), "");
    EXPECT_EQ(IniValue("LastPlayFile"), music_ + "\\b.wav");
}

// Only the end of the MCI file that plays now moves the list on: not a notification for
// another device, not one that was already queued when the user chose another row, and
// not the answer to the play command that resumes a pause.
TEST_F(CoreMediaTest, OnlyTheEndOfTheCurrentMciFileMovesOn) {
    MultithreadedApartment apartment;
    ASSERT_EQ(apartment.result, S_OK);
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
        ASSERT_TRUE(test::WriteToneWave(music_ + "\\" + name, 440, 20.0));
    WriteProgramIni("Histry0=" + music_ + "\r\nLastPlayFile=" + music_ +
                    "\\a.wav\r\nPlayListMode=0\r\n");
    Open();
    ASSERT_TRUE(WaitUntilPlaying());
    ASSERT_EQ(core_->GetCurrentIndex(), 1);
    const MCIDEVICEID device = mciGetDeviceIDA("music");
    ASSERT_NE(device, 0u);

    PostMessageA(window_, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, device + 7);
    Pump(300);
    EXPECT_EQ(core_->GetCurrentIndex(), 1) << "another device's notification moved on";

    // The end of a.wav is reported, and before the window gets to it the user chooses b.wav.
    PostMessageA(window_, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, device);
    HWND combo = core_->GetComboBoxWindow();
    SendMessageA(combo, CB_SETCURSEL, 2, 0);
    SendMessageA(g_strip, WM_COMMAND, MAKEWPARAM(IDC_COMBO, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(combo));
    Pump(300);
    EXPECT_EQ(core_->GetCurrentIndex(), 2) << "a stale notification skipped the chosen row";
    EXPECT_EQ(MciMusicMode(), "playing");

    Command(CMD_PLAY_PAUSE);
    EXPECT_EQ(MciMusicMode(), "paused");
    Command(CMD_PLAY_PAUSE);
    Pump(300);
    EXPECT_EQ(core_->GetCurrentIndex(), 2) << "resuming skipped to the next row";
    EXPECT_EQ(MciMusicMode(), "playing");
    EXPECT_EQ(core_->IsPlaying(), 1);
    Close();
}

TEST_F(CoreMediaTest, SongsPlayThroughTheSynthesizerForTheirPlayTime) {
    for (const char* name : {"a.mml", "b.mml"})
        std::ofstream(music_ + "\\" + name) << "4:t120 q8 v15 o4 l1 aaaa\r\n";
    WriteProgramIni("Histry0=" + music_ + "\r\nLastPlayFile=" + music_ +
                    "\\a.mml\r\nPlayListMode=0\r\nMmlPlayTime=2\r\n");
    Open();
    ASSERT_TRUE(WaitUntilPlaying());
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(core_->GetCurrentIndex(), 1);
    EXPECT_TRUE(GetModuleHandleA("tonwerkel.dll"));
    EXPECT_TRUE(WaitUntilRowStarted(2, 6000));
    EXPECT_GE(GetTickCount64() - start, 1800u);
    EXPECT_TRUE(GetModuleHandleA("tonwerkel.dll"));
    Close();
    EXPECT_FALSE(GetModuleHandleA("tonwerkel.dll"));  // released when the playback stopped
}

TEST_F(CoreWindowTest, HotKeysPostTheirCommands) {
    Open();
    ASSERT_TRUE(IsWindowVisible(window_));
    PostMessageA(window_, MSG_HOTKEY, VK_F1, 0);  // bound to nothing
    Pump(200);
    EXPECT_TRUE(IsWindowVisible(window_));
    PostMessageA(window_, MSG_HOTKEY, VK_F12, 0);  // e_WindowShow_Hide by default
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(window_); }, 2000));
}

// What Explorer hands the window when files are dropped on it: a DROPFILES block in movable
// global memory, wide paths each ended by a 0, and one more 0 after the last.
HGLOBAL DropBlock(const std::vector<std::string>& paths) {
    std::wstring names;
    for (const std::string& path : paths)
        names += std::wstring(path.begin(), path.end()) + L'\0';
    names += L'\0';
    const SIZE_T bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(header + 1, names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    return block;
}

TEST_F(CoreWindowTest, DroppedFoldersListsAndMusicFilesLoadButNotDuringALoad) {
    WriteTonesAndResumeIni();
    const std::string other = folder_ + "\\other";
    std::filesystem::create_directories(other);
    ASSERT_TRUE(test::WriteToneOgg(other + "\\c.ogg", 550, 3));
    const std::string list = folder_ + "\\list.m3u";
    std::ofstream(list, std::ios::binary) << music_ << "\\a.ogg\r\n";
    auto currentPath = [&] { return core_->GetItemPath(core_->GetCurrentIndex()); };
    auto drop = [&](const std::string& path) {
        SendMessageA(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(DropBlock({path})), 0);
    };

    Open();  // Start loads the newest history entry; its worker waits for our loop
    ASSERT_EQ(core_->GetStatusText(), kSearching);
    EXPECT_TRUE(GetWindowLongPtrA(window_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    drop(other);
    ASSERT_TRUE(WaitUntilPlaying());
    EXPECT_EQ(currentPath(), music_ + "\\a.ogg");
    Pump(300);
    EXPECT_EQ(currentPath(), music_ + "\\a.ogg");  // the drop during the load was let go

    struct Step {
        std::string dropped, playing;
        int rows;
    };
    for (const Step& step :
         {Step{other, other + "\\c.ogg", 2}, Step{music_ + "\\b.ogg", music_ + "\\b.ogg", 3},
          Step{list, music_ + "\\a.ogg", 1}}) {
        drop(step.dropped);
        EXPECT_TRUE(PumpUntil([&] { return currentPath() == step.playing && core_->IsPlaying(); }))
            << step.dropped << " -> " << currentPath();
        EXPECT_EQ(core_->GetItemCount(), step.rows) << step.dropped;
    }

    // The same path handed over by another copy of the program.
    const std::wstring wide(other.begin(), other.end());
    COPYDATASTRUCT data{COPYDATA_OPEN_PATH, static_cast<DWORD>(wide.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(wide.data())};
    EXPECT_EQ(SendMessageA(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), TRUE);
    EXPECT_TRUE(PumpUntil([&] { return currentPath() == other + "\\c.ogg"; }));
    Close();
    EXPECT_EQ(IniValue("Histry0"), other);
    EXPECT_EQ(IniValue("Histry1"), list);
}

TEST_F(CoreWindowTest, MovesAreStoredAndTheDefaultPlaceRestored) {
    WriteProgramIni("LayeredNoActive=150\r\nLayeredActive=250\r\n");
    Open();
    SetWindowPos(window_, nullptr, 100, 200, 300, 30, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT saved{};
    core_->GetSavedWindowRect(&saved);
    EXPECT_EQ(saved.left, 100);
    EXPECT_EQ(saved.top, 200);
    EXPECT_EQ(saved.right, 300);
    EXPECT_EQ(saved.bottom, 30);

    core_->MoveToDefaultPosition();
    RECT area{}, combo{}, placed{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetClientRect(core_->GetComboBoxWindow(), &combo);
    int height = 2 * GetSystemMetrics(SM_CYDLGFRAME) + combo.bottom;
    GetWindowRect(window_, &placed);
    EXPECT_EQ(placed.left, area.right - 320);
    EXPECT_EQ(placed.top, area.bottom - height);
    EXPECT_EQ(placed.right - placed.left, 320);
    core_->GetSavedWindowRect(&saved);
    EXPECT_EQ(saved.left, area.right - 320);

    // The repaint after a resume from suspend leaves the window as it was.
    SendMessageA(window_, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    RECT resumed{};
    GetWindowRect(window_, &resumed);
    EXPECT_TRUE(EqualRect(&resumed, &placed));
    EXPECT_TRUE(GetWindowLongPtrA(window_, GWL_EXSTYLE) & WS_EX_LAYERED);
    Close();
    EXPECT_EQ(IniValue("LayeredNoActive"), "100");
    EXPECT_EQ(IniValue("LayeredActive"), "200");
    EXPECT_EQ(IniValue("Width"), "320");
}

TEST_F(CoreWindowTest, FolderChooserStoresItsOptionsOnlyOnOk) {
    WriteTonesAndResumeIni();
    Open();
    ASSERT_TRUE(WaitUntilPlaying());
    std::string subFoldersText, allFilesText;
    int subFoldersChecked = -1, allFilesChecked = -1;
    RECT subFolders{}, client{};
    auto click = [](HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); };
    {
        DialogWatcher watcher([&](HWND dialog) {
            subFoldersText = WindowText(GetDlgItem(dialog, IDC_BROWSE_SUBFOLDERS));
            allFilesText = WindowText(GetDlgItem(dialog, IDC_BROWSE_ALLFILES));
            subFoldersChecked = IsDlgButtonChecked(dialog, IDC_BROWSE_SUBFOLDERS);
            allFilesChecked = IsDlgButtonChecked(dialog, IDC_BROWSE_ALLFILES);
            GetWindowRect(GetDlgItem(dialog, IDC_BROWSE_SUBFOLDERS), &subFolders);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&subFolders), 2);
            GetClientRect(dialog, &client);
            click(dialog, IDC_BROWSE_SUBFOLDERS);
            click(dialog, IDC_BROWSE_ALLFILES);
            Press(dialog, IDCANCEL);
        });
        Command(CMD_CHANGE_FOLDER);
        EXPECT_EQ(watcher.Answered(), 1);
    }
    EXPECT_EQ(subFoldersText, "サブフォルダも検索する");
    EXPECT_EQ(allFilesText, "すべてのファイルを読み込む");
    EXPECT_EQ(subFoldersChecked, BST_CHECKED);
    EXPECT_EQ(allFilesChecked, BST_UNCHECKED);
    EXPECT_EQ(subFolders.left, 10);
    EXPECT_EQ(subFolders.top, client.bottom - 45);
    EXPECT_EQ(subFolders.right - subFolders.left, 150);
    EXPECT_EQ(core_->GetStatusText(), "");  // cancelled: nothing loads

    // OK stores the boxes, and the load it starts uses them. The folder is chosen in the
    // browser first, so that OK does not return whatever the browser selected by itself.
    const std::string chosen = folder_ + "\\chosen";
    std::filesystem::create_directories(chosen + "\\deeper");
    ASSERT_TRUE(test::WriteToneOgg(chosen + "\\top.ogg", 550, 3));
    ASSERT_TRUE(test::WriteToneOgg(chosen + "\\deeper\\below.ogg", 770, 3));
    std::string selected;
    int messageBoxes = 0;
    {
        DialogWatcher watcher([&](HWND dialog) {
            if (!GetDlgItem(dialog, IDC_BROWSE_SUBFOLDERS)) {
                ++messageBoxes;
                return Press(dialog, IDOK);
            }
            subFoldersChecked = IsDlgButtonChecked(dialog, IDC_BROWSE_SUBFOLDERS);
            click(dialog, IDC_BROWSE_SUBFOLDERS);
            SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE,
                         reinterpret_cast<LPARAM>(chosen.c_str()));
            selected = SelectedFolderName(dialog);
            Press(dialog, IDOK);
        });
        Command(CMD_CHANGE_FOLDER);
        EXPECT_EQ(watcher.Answered(), 1);
        EXPECT_TRUE(PumpUntil(
            [&] { return core_->GetStatusText().empty() && core_->GetItemPath(0) == chosen; }));
    }
    EXPECT_EQ(selected, "chosen");
    EXPECT_EQ(messageBoxes, 0);
    EXPECT_EQ(subFoldersChecked, BST_CHECKED);  // the cancelled change was not kept
    // Without sub-folders: the heading and the one file at the top.
    EXPECT_EQ(core_->GetItemCount(), 2);
    EXPECT_EQ(core_->GetItemPath(1), chosen + "\\top.ogg");
    EXPECT_TRUE(PumpUntil([&] { return core_->IsPlaying() == 1; }));
    Close();
    EXPECT_EQ(IniValue("Histry0"), chosen);
    EXPECT_EQ(IniValue("SubFolderFind"), "false");
    EXPECT_EQ(IniValue("AllFileRegist"), "false");
}

// A track ends while a load is finishing: the loader's completion reaches the window while
// the next track starts (the waveform device answers through another thread meanwhile),
// and the list is handed over once that start is done.
TEST_F(CoreWindowTest, ALoadEndingWhileATrackStartsIsHandedOverAfterIt) {
    WriteTonesAndResumeIni();
    Open();
    ASSERT_TRUE(WaitUntilPlaying());
    for (int round = 0; round < 3; ++round) {
        Command(CMD_HISTORY_0);  // the music folder again
        ASSERT_EQ(core_->GetStatusText(), kSearching);
        for (int track = 0; track < 8; ++track)
            PostMessageA(window_, MSG_PLAY_CURRENT, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return core_->GetStatusText().empty(); }));
        Pump(50);
        EXPECT_EQ(core_->GetItemCount(), 3);
        EXPECT_EQ(core_->IsPlaying(), 1);
    }
    Close();
    EXPECT_EQ(IniValue("Histry0"), music_);
}

// Closing while a folder scan runs that would take very long (Z: is the whole Unix file
// system under Wine) cancels the scan: the program ends without a crash, a hang or a
// message box, and saves its settings as always.
TEST_F(CoreWindowTest, ClosingDuringAScanOfAWholeDriveEndsIt) {
    WriteProgramIni("Histry0=Z:\\\r\nSubFolderFind=true\r\n");
    Open();
    DialogWatcher watcher([](HWND dialog) { Press(dialog, IDOK); });
    Pump(500);
    ASSERT_EQ(core_->GetStatusText(), kSearching);
    Close();
    EXPECT_EQ(watcher.Answered(), 0);
    EXPECT_EQ(IniValue("Histry0"), "Z:\\");
    EXPECT_EQ(IniValue("WindowVisible"), "true");
}

// Answers a file dialog: the filter at `filterIndex` (0-based), the file name `path`, OK.
void ChooseFile(HWND dialog, const std::string& path, int filterIndex) {
    HWND types = GetDlgItem(dialog, cmb1);
    SendMessageA(types, CB_SETCURSEL, filterIndex, 0);
    for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})  // Windows reads the first, Wine the second
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code), reinterpret_cast<LPARAM>(types));
    HWND name = GetDlgItem(dialog, cmb13);
    SetWindowTextA(name ? name : GetDlgItem(dialog, edt1), path.c_str());
    Press(dialog, IDOK);
}

// The file dialogs make the chosen file's folder the current folder of the process, which
// keeps that folder from being removed; this puts the folder before back at the end.
class KeepCurrentFolder {
  public:
    KeepCurrentFolder() { GetCurrentDirectoryA(sizeof folder_, folder_); }
    ~KeepCurrentFolder() { SetCurrentDirectoryA(folder_); }
    KeepCurrentFolder(const KeepCurrentFolder&) = delete;
    KeepCurrentFolder& operator=(const KeepCurrentFolder&) = delete;

  private:
    char folder_[MAX_PATH] = "";
};

std::string FileContents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

// The names in `folder`, "." and ".." left out.
std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

// Saving the list over a short one on a disk too small for it (a 64 kB disk that
// save_on_full_disk.sh mounts and names in HGF_FULL_DISK): the save fails with a message,
// the short list and the list in memory stay as they were, nothing is left beside the
// list; then a short list saves over it.
TEST_F(CoreWindowTest, SavingOverAListOnAFullDiskKeepsTheOlderList) {
    const char* disk = std::getenv("HGF_FULL_DISK");
    if (!disk || !*disk) GTEST_SKIP() << "HGF_FULL_DISK not set: save_on_full_disk.sh runs this";
    KeepCurrentFolder keep;
    const std::string target = std::string(disk) + "\\list.m3u";
    std::string older;
    for (int i = 0; i < 5; ++i)
        older += music_ + "\\older list entry " + std::to_string(i) + ".ogg\r\n";
    WriteFile(target, older);
    // Long enough that no track ends while the message box is open.
    ASSERT_TRUE(test::WriteToneOgg(music_ + "\\a.ogg", 440, 30));
    std::string longList = music_ + "\\a.ogg\r\n";
    for (int i = 1; i < 2000; ++i)
        longList += music_ + "\\track " + std::to_string(i) + " of a long list.ogg\r\n";
    WriteFile(folder_ + "\\long.m3u", longList);
    const std::string shortList = music_ + "\\a.ogg\r\n" + music_ + "\\b.ogg\r\n";
    WriteFile(folder_ + "\\short.m3u", shortList);
    WriteProgramIni("Histry0=" + folder_ + "\\long.m3u\r\nHistry1=" + folder_ +
                    "\\short.m3u\r\nLastPlayFile=" + music_ + "\\a.ogg\r\n");
    Open();
    ASSERT_TRUE(PumpUntil([&] { return core_->GetItemCount() == 2000; }));

    std::vector<std::string> boxes;  // caption, then text, of each message box
    auto answer = [&](HWND dialog) {
        if (WindowText(dialog) == "プレイリストの書き出し") return ChooseFile(dialog, target, 1);
        boxes.push_back(WindowText(dialog));
        boxes.push_back(WindowText(GetDlgItem(dialog, 0xFFFF)));
        Press(dialog, IDOK);
    };
    {
        DialogWatcher watcher(answer);
        Command(CMD_SAVE_PLAYLIST);
        EXPECT_EQ(watcher.Answered(), 2);
    }
    EXPECT_EQ(boxes, (std::vector<std::string>{"Harrowgladeforte",
                                               "プレイリストを保存できませんでした。\n" + target}));
    EXPECT_EQ(FileContents(target), older);
    EXPECT_EQ(FileNames(disk), std::vector<std::string>{"list.m3u"});
    EXPECT_EQ(core_->GetItemCount(), 2000);

    Command(CMD_HISTORY_0 + 1);
    ASSERT_TRUE(PumpUntil([&] { return core_->GetItemCount() == 2; }));
    {
        DialogWatcher watcher(answer);
        Command(CMD_SAVE_PLAYLIST);
        EXPECT_EQ(watcher.Answered(), 1);
    }
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(FileContents(target), shortList);
    EXPECT_EQ(FileNames(disk), std::vector<std::string>{"list.m3u"});
}

// Lists that other players write, beside a folder of Ogg files: an .m3u of relative entries
// with forward slashes and a title line, a UTF-8 .m3u8 with a Japanese name and one that
// code page 932 lacks, and a .pls. Each loads from the file dialog and from the history,
// every entry plays, and the next start resumes the newest list at its row.
TEST_F(CoreWindowTest, ListsOfOtherPlayersLoadAndEveryEntryPlays) {
    KeepCurrentFolder keep;
    // Tones long enough that no track ends while a dialog is open.
    std::filesystem::create_directories(music_ + "\\sub");
    ASSERT_TRUE(test::WriteToneOgg(music_ + "\\a.ogg", 440, 8));
    ASSERT_TRUE(test::WriteToneOgg(music_ + "\\sub\\b.ogg", 550, 8));
    ASSERT_TRUE(test::WriteToneOgg(music_ + "\\曲.ogg", 660, 8));
    ASSERT_TRUE(test::WriteToneOgg(music_ + "\\beyonce.tmp", 770, 8));
    wchar_t wideMusic[MAX_PATH] = L"";
    MultiByteToWideChar(932, 0, music_.c_str(), -1, wideMusic, MAX_PATH);
    const std::u16string beyonce = u"\\Beyoncé.ogg";  // (a wide literal would be code page 932)
    ASSERT_TRUE(MoveFileW(
        (std::wstring(wideMusic) + L"\\beyonce.tmp").c_str(),
        (std::wstring(wideMusic) + std::wstring(beyonce.begin(), beyonce.end())).c_str()));

    const std::string m3u = music_ + "\\relative.m3u";
    const std::string m3u8 = music_ + "\\list.m3u8";
    const std::string pls = music_ + "\\list.pls";
    const std::string rootless = music_.substr(2);  // "\\hgf-core-window-N\\music"
    WriteFile(m3u,
              "#EXTM3U\r\n#EXTINF:20,First tone\r\na.ogg\r\nsub/b.ogg\r\n"
              "..\\music\\曲.ogg\r\n" +
                  rootless + "\\sub\\b.ogg\r\n");
    WriteFile(m3u8, "\xEF\xBB\xBF\xE6\x9B\xB2.ogg\r\nBeyonc\xC3\xA9.ogg\r\n./sub/b.ogg\r\n");
    WriteFile(pls,
              "[playlist]\r\nFile2=sub/b.ogg\r\nFile1=a.ogg\r\nTitle1=First tone\r\n"
              "NumberOfEntries=2\r\nVersion=2\r\n");
    WriteProgramIni("PlayListMode=0\r\n");
    Open();

    auto rowsOf = [&] {
        std::vector<std::string> rows;
        for (int i = 0; i < core_->GetItemCount(); ++i)
            rows.push_back(core_->GetItemPath(i) + " | " + core_->GetItemTitle(i));
        return rows;
    };
    auto loaded = [&](int count, const std::string& firstPath) {
        return PumpUntil([&] {
            return core_->GetStatusText().empty() && core_->GetItemCount() == count &&
                   core_->GetItemPath(0) == firstPath;
        });
    };
    auto playEveryRow = [&] {
        HWND combo = core_->GetComboBoxWindow();
        for (int i = 0; i < core_->GetItemCount(); ++i) {
            SendMessageA(combo, CB_SETCURSEL, i, 0);
            SendMessageA(g_strip, WM_COMMAND, MAKEWPARAM(IDC_COMBO, CBN_SELENDOK),
                         reinterpret_cast<LPARAM>(combo));
            EXPECT_EQ(core_->GetCurrentIndex(), i) << core_->GetItemPath(i);
            EXPECT_EQ(core_->IsPlaying(), 1) << core_->GetItemPath(i);
            EXPECT_EQ(core_->IsItemMissing(i), 0) << core_->GetItemPath(i);
        }
    };

    struct List {
        std::string path;
        int count;
        std::string first;
        std::vector<std::string> rows;  // as the file dialog loaded them
    };
    List lists[] = {{m3u, 4, music_ + "\\a.ogg", {}},
                    {m3u8, 3, music_ + "\\曲.ogg", {}},
                    {pls, 2, music_ + "\\a.ogg", {}}};
    for (List& list : lists) {
        {
            DialogWatcher watcher([&](HWND dialog) { ChooseFile(dialog, list.path, 0); });
            Command(CMD_LOAD_PLAYLIST);
            EXPECT_EQ(watcher.Answered(), 1);
        }
        ASSERT_TRUE(loaded(list.count, list.first)) << list.path;
        list.rows = rowsOf();
        playEveryRow();
    }
    EXPECT_EQ(lists[0].rows, (std::vector<std::string>{
                                 music_ + "\\a.ogg | First tone", music_ + "\\sub\\b.ogg | b.ogg",
                                 music_ + "\\曲.ogg | 曲.ogg", music_ + "\\sub\\b.ogg | b.ogg"}));
    // The name that code page 932 lacks: its short path, and its long name with "?".
    const std::string shortPath = lists[1].rows[1].substr(0, lists[1].rows[1].find(" | "));
    EXPECT_EQ(lists[1].rows[1], shortPath + " | Beyonc?.ogg");
    EXPECT_EQ(shortPath.find('?'), std::string::npos);
    EXPECT_EQ(lists[2].rows, (std::vector<std::string>{music_ + "\\a.ogg | First tone",
                                                       music_ + "\\sub\\b.ogg | b.ogg"}));

    // From the history (newest first: .pls, .m3u8, .m3u), ending with the .m3u8 at the row
    // of the name that code page 932 lacks.
    for (auto [entry, list] : {std::pair{2, &lists[0]}, {1, &lists[2]}, {2, &lists[1]}}) {
        Command(CMD_HISTORY_0 + entry);
        ASSERT_TRUE(loaded(list->count, list->first)) << list->path;
        EXPECT_EQ(rowsOf(), list->rows);
        EXPECT_EQ(core_->IsPlaying(), 1);
    }
    HWND combo = core_->GetComboBoxWindow();
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    SendMessageA(g_strip, WM_COMMAND, MAKEWPARAM(IDC_COMBO, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(combo));
    Close();
    EXPECT_EQ(IniValue("Histry0"), m3u8);
    EXPECT_EQ(IniValue("LastPlayFile"), shortPath);

    Open();
    ASSERT_TRUE(loaded(3, music_ + "\\曲.ogg"));
    EXPECT_EQ(core_->GetCurrentIndex(), 1);
    EXPECT_TRUE(PumpUntil([&] { return core_->IsPlaying() == 1; }));
}

}  // namespace
}  // namespace hgf
