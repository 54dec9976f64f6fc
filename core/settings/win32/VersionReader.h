// Reads the version and copyright texts of a library's version resource.
#pragma once

#include <string>

namespace hgf {

struct VersionTexts {
    std::string version;    // ProductVersion
    std::string copyright;  // LegalCopyright
};

// Reads the texts of the first translation of `fileName`'s version resource. A name
// without a path is found by the platform's library search. False when the file
// has no version resource or cannot be found; then both texts are empty. A resource
// without a translation table, or without one of the two values, leaves that text empty.
bool ReadVersionTexts(const char* fileName, VersionTexts& texts);

}  // namespace hgf
