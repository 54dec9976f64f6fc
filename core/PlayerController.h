// What the main window does with its commands and private messages, without the window:
// load requests guarded by the busy flag, the hand-over of a loaded list, playing the
// current item with the play history, and the command table. The Win32 main window
// procedure translates messages into these calls; tests drive them directly.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engines/PlaybackControl.h"
#include "engines/TitleReader.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Messenger.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistFiles.h"
#include "settings/Settings.h"

namespace hgf {

// Status texts, shown in the edit part of the combo box instead of the current item.
extern const char* const kStatusNoList;     // "[フォルダ／プレイリストが未選択]"
extern const char* const kStatusSearching;  // "[フォルダ検索中]"

// The window side of the player.
class PlayerWindow {
  public:
    virtual ~PlayerWindow() = default;
    // The main window: loads and playbacks report to it.
    virtual WindowHandle Handle() = 0;
    // The status text changed: repaint the combo box at once.
    virtual void ShowStatusText() = 0;
    // Empties the combo box and adds the title of every row of `list` in order.
    virtual void FillList(const Playlist& list) = 0;
    // Rows the combo box holds.
    virtual int ListRowCount() = 0;
    virtual void SelectListRow(int index) = 0;
    // The loader that sent MSG_LIST_READY waits until the window has answered it. Answers
    // now (the staging list is complete), so that nothing the hand-over starts waits on it.
    virtual void AnswerLoader() = 0;
    // "Nothing playable was found" (a message box).
    virtual void ReportNothingFound() = 0;
    // "The list could not be saved as `path`" (a message box).
    virtual void ReportSaveFailed(const std::string& path) = 0;
    // The choosers; false when cancelled.
    virtual bool ChooseFolder(std::string& path) = 0;
    virtual bool ChoosePlaylistFile(std::string& path) = 0;
    virtual bool ChooseSaveFile(std::string& path) = 0;
    // Hides with a fade-out, or shows with a fade-in.
    virtual void ShowOrHide() = 0;
    // Default position and default transparency.
    virtual void PlaceAtDefaultPosition() = 0;
    virtual void OpenHelpPage() = 0;
    // Asks the main window to close (the program ends).
    virtual void Close() = 0;
    // Calls PlayerController::OnContinuePass once the window has handled the messages that
    // wait meanwhile (input and painting among them).
    virtual void ContinueLater() = 0;
};

// The playback control of the live list, as the main window uses it. A call may let the
// window receive messages sent from other threads meanwhile (an engine that waits for its
// device thread does), so the controller never calls it again from such a message.
class PlayerPlayback {
  public:
    virtual ~PlayerPlayback() = default;
    // Goes on with `pass` over the live list's rows from its current row: a row that no
    // engine accepts is marked unplayable and the next one is tried, until one plays, every
    // row has failed (the playback is then stopped), or `timeGiven` has passed.
    virtual PassOutcome ContinuePass(PlayPass& pass, NotifyTarget endOfTrack, std::uint8_t volume,
                                     std::chrono::steady_clock::duration timeGiven) = 0;
    virtual void Stop() = 0;
    virtual bool TogglePause() = 0;
    virtual void SetVolume(std::uint8_t volume) = 0;
};

// The engines' playback control of the live list, as PlayerPlayback.
class EnginePlayback final : public PlayerPlayback {
  public:
    explicit EnginePlayback(PlaybackControl& control) : control_(control) {}
    PassOutcome ContinuePass(PlayPass& pass, NotifyTarget endOfTrack, std::uint8_t volume,
                             std::chrono::steady_clock::duration timeGiven) override {
        return control_.ContinuePass(pass, endOfTrack.window, endOfTrack.message, volume,
                                     timeGiven);
    }
    void Stop() override { control_.Stop(); }
    bool TogglePause() override { return control_.TogglePause(); }
    void SetVolume(std::uint8_t volume) override { control_.SetVolume(volume); }

  private:
    PlaybackControl& control_;
};

class PlayerController {
  public:
    // The core's members that the commands read and change; they outlive the controller.
    struct Parts {
        std::deque<std::string>& playHistory;  // started items, newest first, at most 100
        Playlist& liveList;
        std::uint8_t& busy;  // 1 while a load runs
        std::string& statusText;
        Settings& settings;  // the load history, folder shortcuts, LastPlayFile, Volume, ...
        Playlist& stagingList;
    };
    struct Services {
        PlayerWindow& window;
        PlayerPlayback& playback;
        FileSystem& fileSystem;  // the list is saved through it
        Clock& clock;
        // Replaces the live list's titles with the files' tag titles when ListItemName
        // is set; null: the rows keep their names.
        TitleReader* titleReader = nullptr;
    };

    PlayerController(Parts parts, Services services);

    // The calls below come from window messages. One that arrives while a playback call is
    // running (a loader's completion sent while an engine waits for its device, say) is
    // queued and runs, in arrival order, as soon as the call that was running has ended;
    // a queued PlayCurrentItem returns false.

    // A command 33775-33819 (others are ignored). While a load or a pass runs (IsBusy),
    // the commands that would start playback or another load, or save the list, do
    // nothing. A folder or playlist chosen while a load began meanwhile is loaded once that
    // load has been handed over.
    void Command(int commandId);

    // Sets the busy flag and the searching status, carries the live list's values over
    // to the staging list and starts loading `sourcePath` there; the outcome arrives as
    // OnListReady. `resumePath` names the row to make current.
    void RequestLoad(const std::string& sourcePath, const std::string& resumePath);

    // A path dropped on the window or handed to the program: a folder or a playlist file
    // loads as if chosen; any other file loads its folder, starting at that file. Nothing
    // happens while a load or a pass runs, or when `path` names nothing. True when a load
    // began.
    bool LoadPath(const std::string& path);

    // A path handed over by another copy of the program: loads as LoadPath does, except
    // that during a load it waits, like a folder chosen meanwhile, and loads once that
    // load has been handed over.
    void OpenPath(const std::string& path);

    // MSG_LIST_READY: `rowCount` rows are ready in the staging list (0: nothing playable
    // was found; the live list and its playback stay as they are). The loader is answered
    // first. A title reader still busy with the old rows is stopped before they are
    // replaced.
    void OnListReady(std::uintptr_t rowCount);

    // Plays the live list's current row, then records it as the last played file and at
    // the front of the play history. Nothing happens while the live list is empty; when
    // no row could be started nothing is recorded. Rows that do not start are passed
    // over for about 50 ms at a time; then the window handles its messages and the pass
    // goes on with OnContinuePass. True when an item started within this call.
    bool PlayCurrentItem();

    // The window's messages have been handled: the pass under way goes on (nothing
    // happens when it has ended or another one replaced it meanwhile).
    void OnContinuePass();

    // True while a load or a pass over rows that do not start runs.
    bool IsBusy() const { return parts_.busy != 0 || pass_.has_value(); }

    // A row chosen in the combo box: makes it current and plays it.
    void PlayChosenRow(std::int32_t index);

    // The media control interface finished a track: advance the play order and play.
    void OnMediaNotifySuccessful();

    // A double click on the window: pause or resume, unless a load runs.
    void OnDoubleClick();

    // Pauses a playback that plays; a paused or stopped one stays so. Nothing happens
    // while a load or a pass runs, as with CMD_PLAY_PAUSE (the Stop media key).
    void PauseIfPlaying();

    // Skips as CMD_SKIP does (in repeat mode the advance runs in random mode), but also
    // while a load or a pass runs: the right click on the list.
    void SkipFromList();

    // The volume popup moved: applies `volume` (0-100) to the current playback.
    void SetVolume(std::uint8_t volume);

    // Stops the current playback, a pass under way and the title reader (the window closes).
    void Stop();

    void SetStatusText(std::string text);

  private:
    // Queues `call` while a playback call runs; true when it was queued.
    bool DeferredWhilePlaying(std::function<void()> call);
    // Runs the queued calls, once no playback call runs any more.
    void RunDeferred();
    // Runs `call` (one call into services_.playback) with the playback marked busy.
    template <typename Call>
    auto CallPlayback(Call call);

    void RunCommand(int commandId);
    void StartLoad(const std::string& sourcePath, const std::string& resumePath);
    // A folder or playlist file from a chooser, which ran the window's messages meanwhile,
    // or a path handed over by another copy.
    void LoadChosen(LoadSource source);
    // The loader has been answered: the hand-over, then a load chosen meanwhile.
    void FinishLoad(std::uintptr_t rowCount);
    void HandOver(std::uintptr_t rowCount);
    // Starts a pass at the current row; `walkingBack`: CMD_PREV_PLAY (see ContinuePass).
    bool PlayCurrent(bool walkingBack = false);
    // One part of the pass under way; records the row that started.
    bool ContinuePass();
    void Skip();
    void PlayPrevious();
    void LoadFromHistory(int n);
    void LoadFromShortcut(int n);
    void SavePlaylist();

    // A pass over the live list's rows that has not ended yet.
    struct Pass {
        PlayPass attempts;
        bool walkingBack = false;  // CMD_PREV_PLAY: the started row leaves the play history
    };

    Parts parts_;
    Services services_;
    bool inPlaybackCall_ = false;                 // a services_.playback call is running
    std::deque<std::function<void()>> deferred_;  // calls that arrived meanwhile, in order
    std::optional<Pass> pass_;                    // while rows are being tried
    bool continuationAsked_ = false;              // ContinueLater asked, not yet answered
    std::optional<LoadSource> chosenLoad_;        // chosen while a load ran; starts after it
};

}  // namespace hgf
