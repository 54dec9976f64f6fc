// Playlist files: the seven readers tried in order, and the three writers.
#pragma once

#include <deque>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "playlist/PlaylistItem.h"

namespace hgf {

// Offers `path` to ReadSpl, ReadSpf, ReadSpt, ReadM3u, ReadAsx, ReadM3u8 and ReadPls in
// this order and appends the rows of the first reader that accepts it to `items`. Returns
// whether a reader accepted the file.
bool ReadPlaylistFile(FileSystem& fileSystem, const std::string& path,
                      std::deque<PlaylistItem>& items);

// True when `path` ends in the suffix of a list that ReadPlaylistFile reads.
bool IsPlaylistFileName(const std::string& path);

// What to load for a path dropped on the player or given to it: the source and the row to
// start at.
struct LoadSource {
    std::string sourcePath;
    std::string resumePath;  // empty: the first row of the play order
    bool operator==(const LoadSource&) const = default;
};

// A folder or a playlist file (by its suffix) is the source itself; any other file is
// loaded with its folder and starts at that file. Nothing for a path that does not exist
// or a file without a folder part.
std::optional<LoadSource> LoadSourceOfPath(FileSystem& fileSystem, const std::string& path);

// What a save came to.
enum class SaveResult {
    kSaved,       // the file holds the whole list; a file of that name was replaced
    kNotCreated,  // nothing was written: no writer takes the suffix, or no file can be created
    kFailed,      // the new file could not be completed; a file of that name is unchanged
};

// Writes `items` as .spl, .m3u or .htm, chosen by the suffix of `path`.
SaveResult SaveList(FileSystem& fileSystem, Clock& clock, const std::string& path,
                    const std::deque<PlaylistItem>& items);

}  // namespace hgf
