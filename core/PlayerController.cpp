#include "PlayerController.h"

#include "CoreIds.h"
#include "PlayerCommands.h"
#include "RememberedPaths.h"
#include "playlist/PlaylistFiles.h"

namespace hgf {

const char* const kStatusNoList = "[フォルダ／プレイリストが未選択]";
const char* const kStatusSearching = "[フォルダ検索中]";

namespace {

// Attempts of a pass go on for this long before the window handles its messages again.
constexpr std::chrono::milliseconds kPassSlice{50};

}  // namespace

PlayerController::PlayerController(Parts parts, Services services)
    : parts_(parts), services_(services) {}

// --- Calls from window messages: queued while a playback call runs ---

bool PlayerController::DeferredWhilePlaying(std::function<void()> call) {
    if (!inPlaybackCall_) return false;
    deferred_.push_back(std::move(call));
    return true;
}

void PlayerController::RunDeferred() {
    while (!inPlaybackCall_ && !deferred_.empty()) {
        std::function<void()> call = std::move(deferred_.front());
        deferred_.pop_front();
        call();
    }
}

template <typename Call>
auto PlayerController::CallPlayback(Call call) {
    struct Busy {
        bool& flag;
        const bool outer;
        explicit Busy(bool& f) : flag(f), outer(f) { flag = true; }
        ~Busy() { flag = outer; }
    } busy(inPlaybackCall_);
    return call(services_.playback);
}

void PlayerController::Command(int commandId) {
    if (DeferredWhilePlaying([this, commandId] { Command(commandId); })) return;
    RunCommand(commandId);
    RunDeferred();
}

void PlayerController::RequestLoad(const std::string& sourcePath, const std::string& resumePath) {
    if (DeferredWhilePlaying([=, this] { RequestLoad(sourcePath, resumePath); })) return;
    StartLoad(sourcePath, resumePath);
    RunDeferred();
}

bool PlayerController::LoadPath(const std::string& path) {
    if (DeferredWhilePlaying([this, path] { LoadPath(path); })) return false;
    bool started = false;
    if (!IsBusy()) {
        if (std::optional<LoadSource> source = LoadSourceOfPath(services_.fileSystem, path)) {
            StartLoad(source->sourcePath, source->resumePath);
            started = true;
        }
    }
    RunDeferred();
    return started;
}

void PlayerController::OpenPath(const std::string& path) {
    if (DeferredWhilePlaying([this, path] { OpenPath(path); })) return;
    if (std::optional<LoadSource> source = LoadSourceOfPath(services_.fileSystem, path))
        LoadChosen(std::move(*source));
    RunDeferred();
}

void PlayerController::OnListReady(std::uintptr_t rowCount) {
    // A deferred hand-over runs after this message has returned, and so after the answer.
    if (DeferredWhilePlaying([this, rowCount] { FinishLoad(rowCount); })) return;
    // The worker wrote the staging list before it sent this; from here on it only ends.
    services_.window.AnswerLoader();
    FinishLoad(rowCount);
    RunDeferred();
}

bool PlayerController::PlayCurrentItem() {
    if (DeferredWhilePlaying([this] { PlayCurrentItem(); })) return false;
    bool started = PlayCurrent();
    RunDeferred();
    return started;
}

void PlayerController::OnContinuePass() {
    if (DeferredWhilePlaying([this] { OnContinuePass(); })) return;
    continuationAsked_ = false;
    if (pass_) ContinuePass();
    RunDeferred();
}

void PlayerController::PlayChosenRow(std::int32_t index) {
    if (DeferredWhilePlaying([this, index] { PlayChosenRow(index); })) return;
    parts_.liveList.SelectIndex(index);
    PlayCurrent();
    RunDeferred();
}

void PlayerController::OnMediaNotifySuccessful() {
    if (DeferredWhilePlaying([this] { OnMediaNotifySuccessful(); })) return;
    parts_.liveList.AdvancePlayOrder();
    PlayCurrent();
    RunDeferred();
}

void PlayerController::OnDoubleClick() {
    if (DeferredWhilePlaying([this] { OnDoubleClick(); })) return;
    if (!IsBusy()) CallPlayback([](PlayerPlayback& playback) { return playback.TogglePause(); });
    RunDeferred();
}

void PlayerController::PauseIfPlaying() {
    if (DeferredWhilePlaying([this] { PauseIfPlaying(); })) return;
    if (!IsBusy() && parts_.liveList.playing)
        CallPlayback([](PlayerPlayback& playback) { return playback.TogglePause(); });
    RunDeferred();
}

void PlayerController::SetVolume(std::uint8_t volume) {
    if (DeferredWhilePlaying([this, volume] { SetVolume(volume); })) return;
    CallPlayback([volume](PlayerPlayback& playback) { playback.SetVolume(volume); });
    RunDeferred();
}

void PlayerController::SkipFromList() {
    if (DeferredWhilePlaying([this] { SkipFromList(); })) return;
    Skip();
    RunDeferred();
}

void PlayerController::Stop() {
    if (DeferredWhilePlaying([this] { Stop(); })) return;
    pass_.reset();
    chosenLoad_.reset();
    if (services_.titleReader) services_.titleReader->Stop();
    CallPlayback([](PlayerPlayback& playback) { playback.Stop(); });
    RunDeferred();
}

// --- What the calls do ---

void PlayerController::RunCommand(int commandId) {
    if (!IsPlayerCommand(commandId)) return;
    if (IsBusy() && IsIgnoredWhileBusy(commandId)) return;

    if (int n = LoadHistoryIndexOf(commandId); n >= 0) return LoadFromHistory(n);
    if (int n = FolderShortcutIndexOf(commandId); n >= 0) return LoadFromShortcut(n);
    PlayerWindow& window = services_.window;
    switch (commandId) {
        case CMD_MODE_RANDOM:
            parts_.liveList.SetPlayMode(PLAY_MODE_RANDOM);
            break;
        case CMD_MODE_NORMAL:
            parts_.liveList.SetPlayMode(PLAY_MODE_LIST_ORDER);
            break;
        case CMD_MODE_REPEAT:
            parts_.liveList.SetPlayMode(PLAY_MODE_REPEAT);
            break;
        case CMD_PLAY_PAUSE:
            CallPlayback([](PlayerPlayback& playback) { return playback.TogglePause(); });
            break;
        case CMD_SKIP:
            Skip();
            break;
        case CMD_REPLAY:
            PlayCurrent();
            break;
        case CMD_PREV_PLAY:
            PlayPrevious();
            break;
        case CMD_CHANGE_FOLDER: {
            std::string folder;
            if (window.ChooseFolder(folder)) LoadChosen({std::move(folder), {}});
            break;
        }
        case CMD_LOAD_PLAYLIST: {
            std::string file;
            if (window.ChoosePlaylistFile(file)) LoadChosen({std::move(file), {}});
            break;
        }
        case CMD_SAVE_PLAYLIST:
            SavePlaylist();
            break;
        case CMD_SHOW_HIDE:
            window.ShowOrHide();
            break;
        case CMD_WINDOW_INIT:
            window.PlaceAtDefaultPosition();
            break;
        case CMD_HELP:
            window.OpenHelpPage();
            break;
        case CMD_EXIT:
            window.Close();
            break;
        default:  // CMD_OPTIONS belongs to the options sheet
            break;
    }
}

void PlayerController::StartLoad(const std::string& sourcePath, const std::string& resumePath) {
    parts_.busy = 1;
    SetStatusText(kStatusSearching);
    parts_.stagingList.CopyContentFrom(parts_.liveList);
    LoadRequest request;
    request.sourcePath = sourcePath;
    request.notify = {services_.window.Handle(), MSG_LIST_READY};
    request.resumePath = resumePath;
    request.includeSubFolders = parts_.settings.SubFolderFind;
    request.allFiles = parts_.settings.AllFileRegist;
    parts_.stagingList.StartLoad(request);
}

void PlayerController::LoadChosen(LoadSource source) {
    // While the chooser was open a hot key or the tray menu may have started a load. Its
    // worker may be waiting for this thread in its completion message, so it must not be
    // stopped (and joined) now: the choice is loaded once that load has been handed over.
    if (parts_.busy) {
        chosenLoad_ = std::move(source);
        return;
    }
    StartLoad(source.sourcePath, source.resumePath);
}

void PlayerController::FinishLoad(std::uintptr_t rowCount) {
    HandOver(rowCount);
    // The hand-over may have shown a message box, during which another load can begin.
    if (chosenLoad_ && !parts_.busy) {
        LoadSource chosen = std::move(*chosenLoad_);
        chosenLoad_.reset();
        StartLoad(chosen.sourcePath, chosen.resumePath);
    }
}

void PlayerController::HandOver(std::uintptr_t rowCount) {
    parts_.busy = 0;
    PlayerWindow& window = services_.window;
    if (rowCount == 0) {
        SetStatusText(window.ListRowCount() == 0 ? kStatusNoList : "");
        window.ReportNothingFound();
        return;
    }
    Playlist& live = parts_.liveList;
    TitleReader* titles = services_.titleReader;
    if (titles) titles->Stop();  // it must not write into the rows being replaced
    // A mode chosen while the load ran is kept; the staging list carries the older one.
    PlayMode mode = live.GetPlayMode();
    live.CopyContentFrom(parts_.stagingList);
    live.SetPlayMode(mode);
    PushLoadHistory(parts_.settings.loadHistory, live.SourcePath());
    window.FillList(live);
    if (titles && parts_.settings.ListItemName == 1) titles->Start(live);
    SetStatusText("");
    window.SelectListRow(live.GetCurrentIndex());
    PlayCurrent();
}

bool PlayerController::PlayCurrent(bool walkingBack) {
    pass_.reset();  // a new request replaces a pass under way
    Playlist& live = parts_.liveList;
    if (live.ItemCount() == 0) return false;
    services_.window.SelectListRow(live.GetCurrentIndex());
    pass_ = Pass{PlayPass{}, walkingBack};
    return ContinuePass();
}

bool PlayerController::ContinuePass() {
    Playlist& live = parts_.liveList;
    PlayerWindow& window = services_.window;
    const NotifyTarget endOfTrack{window.Handle(), MSG_PLAY_CURRENT};
    const std::uint8_t volume = parts_.settings.Volume;
    const PassOutcome outcome = CallPlayback([&](PlayerPlayback& playback) {
        return playback.ContinuePass(pass_->attempts, endOfTrack, volume, kPassSlice);
    });
    std::int32_t current = live.GetCurrentIndex();
    window.SelectListRow(current);
    if (outcome == PassOutcome::kUnfinished) {
        // A long run of rows that do not start: the window keeps answering meanwhile.
        if (!continuationAsked_) window.ContinueLater();
        continuationAsked_ = true;
        return false;
    }
    const bool walkingBack = pass_->walkingBack;
    pass_.reset();
    if (outcome != PassOutcome::kStarted) return false;
    std::string& lastPlayFile = parts_.settings.LastPlayFile;
    lastPlayFile = live.GetItem(current).path;
    parts_.settings.LastPlayPosition = 0;  // until the window reads the playback's position
    PutFirst(parts_.playHistory, lastPlayFile, PLAY_HISTORY_SIZE);
    // The item that was playing when the walk back began stays at the front.
    if (walkingBack) parts_.playHistory.pop_front();
    return true;
}

void PlayerController::SetStatusText(std::string text) {
    parts_.statusText = std::move(text);
    services_.window.ShowStatusText();
}

void PlayerController::Skip() {
    Playlist& live = parts_.liveList;
    if (live.GetPlayMode() == PLAY_MODE_REPEAT) {
        // Repeat would choose the same row again: skip as random, then repeat the new row.
        live.SetPlayMode(PLAY_MODE_RANDOM);
        live.AdvancePlayOrder();
        live.SetPlayMode(PLAY_MODE_REPEAT);
    } else {
        live.AdvancePlayOrder();
    }
    PlayCurrent();
}

void PlayerController::PlayPrevious() {
    std::deque<std::string>& history = parts_.playHistory;
    if (history.size() < 2) return;
    std::string previous = history[1];
    parts_.liveList.SelectByPath(previous);
    PlayCurrent(true);
}

void PlayerController::LoadFromHistory(int n) {
    // Taken out first: a successful load puts the path back at the front.
    std::optional<std::string> source = TakeEntry(parts_.settings.loadHistory, n);
    if (source) StartLoad(*source, {});
}

void PlayerController::LoadFromShortcut(int n) {
    const auto& shortcuts = parts_.settings.folderShortcuts;
    if (static_cast<std::size_t>(n) >= shortcuts.size()) return;
    StartLoad(shortcuts[n], {});
}

void PlayerController::SavePlaylist() {
    std::string file;
    if (!services_.window.ChooseSaveFile(file)) return;
    // A file that cannot even be created stays silent; one that was created but could not
    // be completed is reported (the older file of that name is unchanged).
    if (SaveList(services_.fileSystem, services_.clock, file, parts_.liveList.Items()) ==
        SaveResult::kFailed)
        services_.window.ReportSaveFailed(file);
}

}  // namespace hgf
