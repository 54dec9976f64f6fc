#include "PlayerCommands.h"

#include "CoreIds.h"

namespace hgf {

bool IsPlayerCommand(int commandId) {
    return commandId >= CMD_FIRST && commandId <= CMD_LAST;
}

bool IsIgnoredWhileBusy(int commandId) {
    if (LoadHistoryIndexOf(commandId) >= 0 || FolderShortcutIndexOf(commandId) >= 0) return true;
    switch (commandId) {
        case CMD_PLAY_PAUSE:
        case CMD_SKIP:
        case CMD_REPLAY:
        case CMD_PREV_PLAY:
        case CMD_CHANGE_FOLDER:
        case CMD_LOAD_PLAYLIST:
        case CMD_SAVE_PLAYLIST:
            return true;
        default:
            return false;
    }
}

bool HasFixedMenuText(int commandId) {
    bool playMode = commandId >= CMD_MODE_RANDOM && commandId <= CMD_MODE_REPEAT;
    return !playMode && LoadHistoryIndexOf(commandId) < 0;
}

int LoadHistoryIndexOf(int commandId) {
    int n = commandId - CMD_HISTORY_0;
    return n >= 0 && n < LOAD_HISTORY_SIZE ? n : -1;
}

int FolderShortcutIndexOf(int commandId) {
    int n = commandId - CMD_FOLDER_SC_0;
    return n >= 0 && n < FOLDER_SHORTCUT_COUNT ? n : -1;
}

}  // namespace hgf
