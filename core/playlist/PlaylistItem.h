// One row of a playlist: a playable file or a folder heading.
#pragma once

#include <cstdint>
#include <string>

namespace hgf {

struct PlaylistItem {
    std::int32_t indent = 0;      // nesting level below the scanned folder
    std::uint8_t unplayable = 0;  // 1: missing, or no engine accepted the file
    std::uint8_t isFolder = 0;    // 1: a folder heading, never played
    std::uint8_t played = 0;      // 1: made current in the present random round
    std::string title;            // text shown in the list
    std::string path;             // full path; a heading's folder without trailing backslash
    std::int32_t fileCount = 0;   // a scanned heading: file rows below it
    std::string folder;           // scanned rows: the folder that holds the file

    bool operator==(const PlaylistItem&) const = default;
};

}  // namespace hgf
