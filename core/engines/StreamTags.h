// The title in the Vorbis comments of an Ogg Vorbis, Ogg Opus, Ogg FLAC or FLAC file, for
// the title reader. Only the headers at the file's start are read, and a bounded part of
// them. Portable.
#pragma once

#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace hgf {

// UTF-16 text as code page 932 (the platform's conversion; what the code page lacks becomes
// the replacement mark).
using Utf16ToCodePage932 = std::string (*)(std::u16string_view text);

// The first non-empty TITLE comment of `file` (read from its start), converted from UTF-8
// to code page 932, tidied and cut like an MP3 tag title. False when the file is none of
// these kinds or has no such comment.
bool ReadStreamTitle(InputFile& file, Utf16ToCodePage932 toCodePage932, std::string& title);
// The same for the file at `path`.
bool ReadStreamTitle(FileSystem& files, const std::string& path, Utf16ToCodePage932 toCodePage932,
                     std::string& title);

}  // namespace hgf
