#include "PlayerController.h"

#include "CoreIds.h"
#include "PlayerCommands.h"
#include "RememberedPaths.h"
#include "playlist/PlaylistFiles.h"

namespace hgf {

const char* const kStatusNoList = "[フォルダ／プレイリストが未選択]";
const char* const kStatusSearching = "[フォルダ検索中]";

PlayerController::PlayerController(Parts parts, Services services)
    : parts_(parts), services_(services) {}

void PlayerController::Command(int commandId) {
    if (!IsPlayerCommand(commandId)) return;
    if (parts_.busy && IsIgnoredWhileBusy(commandId)) return;

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
            services_.playback.TogglePause();
            break;
        case CMD_SKIP:
            Skip();
            break;
        case CMD_REPLAY:
            PlayCurrentItem();
            break;
        case CMD_PREV_PLAY:
            PlayPrevious();
            break;
        case CMD_CHANGE_FOLDER: {
            std::string folder;
            if (window.ChooseFolder(folder)) RequestLoad(folder, {});
            break;
        }
        case CMD_LOAD_PLAYLIST: {
            std::string file;
            if (window.ChoosePlaylistFile(file)) RequestLoad(file, {});
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

void PlayerController::RequestLoad(const std::string& sourcePath, const std::string& resumePath) {
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

void PlayerController::OnListReady(std::uintptr_t rowCount) {
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
    PlayCurrentItem();
}

bool PlayerController::PlayCurrentItem() {
    Playlist& live = parts_.liveList;
    if (live.ItemCount() == 0) return false;
    PlayerWindow& window = services_.window;
    window.SelectListRow(live.GetCurrentIndex());
    bool started = services_.playback.PlayUntilStarted({window.Handle(), MSG_PLAY_CURRENT},
                                                       parts_.settings.Volume);
    std::int32_t current = live.GetCurrentIndex();
    window.SelectListRow(current);
    if (!started) return false;
    std::string& lastPlayFile = parts_.settings.LastPlayFile;
    lastPlayFile = live.GetItem(current).path;
    PutFirst(parts_.playHistory, lastPlayFile, PLAY_HISTORY_SIZE);
    return true;
}

void PlayerController::OnMediaNotifySuccessful() {
    parts_.liveList.AdvancePlayOrder();
    PlayCurrentItem();
}

void PlayerController::OnDoubleClick() {
    if (!parts_.busy) services_.playback.TogglePause();
}

void PlayerController::SetVolume(std::uint8_t volume) {
    services_.playback.SetVolume(volume);
}

void PlayerController::Stop() {
    if (services_.titleReader) services_.titleReader->Stop();
    services_.playback.Stop();
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
    PlayCurrentItem();
}

void PlayerController::PlayPrevious() {
    std::deque<std::string>& history = parts_.playHistory;
    if (history.size() < 2) return;
    std::string previous = history[1];
    parts_.liveList.SelectByPath(previous);
    // The item that was playing when the walk back began stays at the front.
    if (PlayCurrentItem()) history.pop_front();
}

void PlayerController::LoadFromHistory(int n) {
    // Taken out first: a successful load puts the path back at the front.
    std::optional<std::string> source = TakeEntry(parts_.settings.loadHistory, n);
    if (source) RequestLoad(*source, {});
}

void PlayerController::LoadFromShortcut(int n) {
    const auto& shortcuts = parts_.settings.folderShortcuts;
    if (static_cast<std::size_t>(n) >= shortcuts.size()) return;
    RequestLoad(shortcuts[n], {});
}

void PlayerController::SavePlaylist() {
    std::string file;
    if (!services_.window.ChooseSaveFile(file)) return;
    SaveList(services_.fileSystem, services_.clock, file, parts_.liveList.Items());
}

}  // namespace hgf
