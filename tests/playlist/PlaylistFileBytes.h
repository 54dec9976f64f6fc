// Rows and .spf bytes made by hand, for the playlist-file tests and benchmark.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>

#include "playlist/PlaylistItem.h"

namespace hgf {

// A row as test failures show it.
inline void PrintTo(const PlaylistItem& item, std::ostream* out) {
    *out << "{" << item.path << " | " << item.title << " | folder " << int{item.isFolder}
         << " | indent " << item.indent << "}";
}

}  // namespace hgf

namespace hgf::test {

inline PlaylistItem Row(std::string path, std::string title, int isFolder = 0, int indent = 0) {
    PlaylistItem item;
    item.path = std::move(path);
    item.title = std::move(title);
    item.isFolder = static_cast<std::uint8_t>(isFolder);
    item.indent = indent;
    return item;
}

// A .spf file: magic, record count, reserved bytes, then `body` compressed.
inline std::string SpfFile(unsigned count, const std::string& body) {
    uLongf size = compressBound(body.size());
    std::string compressed(size, '\0');
    compress(reinterpret_cast<Bytef*>(compressed.data()), &size,
             reinterpret_cast<const Bytef*>(body.data()), body.size());
    compressed.resize(size);
    std::string file = "SPL1";
    file += static_cast<char>(count & 0xFF);
    file += static_cast<char>((count >> 8) & 0xFF);
    file += std::string(2, '\0');
    return file + compressed;
}

}  // namespace hgf::test
