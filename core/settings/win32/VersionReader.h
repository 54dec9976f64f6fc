// Reads the version and copyright texts of a library's version resource.
#pragma once

#include <string>

namespace hgf {

// The texts as the resource holds them (UTF-16): they are only shown, so no character of
// them is lost on a way through code page 932.
struct VersionTexts {
    std::wstring version;    // ProductVersion
    std::wstring copyright;  // LegalCopyright
};

// Reads the texts of the first translation of the version resource of the file at `path`
// (a full path: no library search takes place). False when the file has no version
// resource or cannot be found; then both texts are empty. A resource without a
// translation table, or without one of the two values, leaves that text empty.
bool ReadVersionTexts(const std::wstring& path, VersionTexts& texts);

}  // namespace hgf
