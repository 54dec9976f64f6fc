// The library's internal failure: an exception carrying a message from its string table
// (Shift_JIS). Every export catches it and answers 0; it never leaves the library.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

namespace tonwerkel {

class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;

    // `format` holds one "%s", filled with `subject`.
    static Error Format(const char* format, const char* subject) {
        char text[256];
        std::snprintf(text, sizeof text, format, subject);
        return Error(text);
    }
};

}  // namespace tonwerkel
