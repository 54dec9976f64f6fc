// Writing a file whole without ever cutting the one it replaces: the bytes go to a new file
// beside the target, which takes the target's place in one step only once every byte has
// reached it and it has been flushed and closed. Anything short of that removes the new
// file and leaves the target byte for byte as it was.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace hgf {

class ReplacingFile {
  public:
    // Appended to the target's name for the new file. No reader and no folder scan takes
    // a name that ends in it for a playlist or a song.
    static constexpr std::string_view kNewFileSuffix = ".~tmp";

    // Creates the new file "<target>.~tmp" (an older one left by a crash is overwritten).
    ReplacingFile(FileSystem& fileSystem, std::string target);
    // Without a successful Commit the new file is removed.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // False when the new file could not be created: nothing was written anywhere.
    bool IsCreated() const { return file_ != nullptr; }
    // Writes all `size` bytes to the new file; false (and every later call false) when it
    // could not take them.
    bool Write(const void* data, std::size_t size);
    // Flushes and closes the new file and puts it in the target's place. False when any
    // byte did not reach it or the replace failed; the new file is then removed and the
    // target is unchanged.
    bool Commit();

  private:
    void Discard();

    FileSystem& fileSystem_;
    std::string target_;
    std::string newFile_;
    std::unique_ptr<OutputFile> file_;  // null once closed, or when it could not be created
    bool created_;                      // the new file exists and is ours to remove
    bool ok_ = true;                    // every write so far reached the new file
};

}  // namespace hgf
