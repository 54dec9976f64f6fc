// Prepares the text of songs and effect sets for their compilers: letters upper-cased, blanks
// and control bytes dropped, every CR and LF turned into a NUL that ends a line.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tonwerkel {

// Returns `length` + 1 bytes: the written bytes, then NUL bytes up to the full length, then a
// final NUL. Bytes 0x21 and up (including every byte of a double-byte character) pass unchanged
// except "a"-"z", which are upper-cased.
std::vector<char> NormaliseText(const void* source, size_t length);

// The NUL-terminated lines of a normalised text, in order; empty lines included. A trailing
// piece without NUL is a line too.
std::vector<std::string_view> SplitLines(const std::vector<char>& text);

}  // namespace tonwerkel
