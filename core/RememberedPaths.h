// The player's remembered path lists (the play history of started items and the load
// history of folders and playlists): newest first, no duplicates, bounded.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace hgf {

// Puts `path` at the front, removes an older equal entry (byte for byte) and cuts the
// list to `limit` entries.
void PutFirst(std::deque<std::string>& paths, const std::string& path, std::size_t limit);

// Removes entry `n` and returns it; nothing when `n` is not below the entry count.
std::optional<std::string> TakeEntry(std::deque<std::string>& paths, int n);

}  // namespace hgf
