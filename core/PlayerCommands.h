// The main window's command ids as decisions that need no window: which commands a
// running load blocks, and which menu texts are fixed.
#pragma once

namespace hgf {

// True for the command ids the main window handles (33775-33819).
bool IsPlayerCommand(int commandId);

// True for the commands that do nothing while a folder scan or playlist load runs:
// play/pause, skip, replay, previous, every load and the save command.
bool IsIgnoredWhileBusy(int commandId);

// False for the play-mode and load-history commands, whose menu texts change with the
// player's state; true for every other id.
bool HasFixedMenuText(int commandId);

// The load-history entry (0-19) that a CMD_HISTORY_0 + n command names, or -1.
int LoadHistoryIndexOf(int commandId);

// The folder shortcut (0-9) that a CMD_FOLDER_SC_0 + n command names, or -1.
int FolderShortcutIndexOf(int commandId);

}  // namespace hgf
