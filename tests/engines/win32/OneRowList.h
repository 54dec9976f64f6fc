// A live list holding one file, with a recording messenger, for the programs and tests
// that play a single file through the playback control on the real file system.
#pragma once

#include <deque>
#include <string>

#include "FakeClock.h"
#include "RecordingMessenger.h"
#include "platform/win32/Win32FileSystem.h"
#include "playlist/Playlist.h"

namespace hgf::test {

struct OneRowList {
    explicit OneRowList(const std::string& path) {
        std::deque<PlaylistItem> rows(1);
        rows[0].path = path;
        list.ReplaceItems(rows);
        list.SelectIndex(0);
    }
    RecordingMessenger messenger;  // what the playback posts
    FakeClock clock;
    Playlist list{PlaylistServices{TheWin32FileSystem(), messenger, clock, {}}};
};

}  // namespace hgf::test
