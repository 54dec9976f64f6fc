// The title reader: after a list has been taken over, replaces the title of every file row
// with the title stored in the file's tags, on a thread of its own. It works from a copy
// of the rows' paths and replaces a title only while that row still holds the same path;
// the main window stops it before it replaces the list, so it never runs over a list
// that changes under it.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "playlist/Playlist.h"

namespace hgf {

class TitleReader {
  public:
    // The title stored in the file at `path`; false when it has none (or an empty one).
    using ReadTitle = std::function<bool(const std::string& path, std::string& title)>;

    // `titlesChanged` runs on the reader's thread after titles were replaced (at most once
    // per row) and must only hand the news on (for example: invalidate a window).
    explicit TitleReader(ReadTitle readTitle, std::function<void()> titlesChanged = {});
    // Stops the reader.
    ~TitleReader();
    TitleReader(const TitleReader&) = delete;
    TitleReader& operator=(const TitleReader&) = delete;

    // Stops an earlier run, then reads the titles of `list`'s file rows in row order.
    // `list` must outlive the run (Stop, or the destructor, ends it).
    void Start(Playlist& list);
    // Ends the run after the file being read (the thread is joined).
    void Stop();
    // Waits until the run has read every row (for tests and tools).
    void Wait();

  private:
    struct Row {
        std::int32_t index;
        std::string path;
    };
    void Run(Playlist& list, std::vector<Row> rows);

    ReadTitle readTitle_;
    std::function<void()> titlesChanged_;
    std::thread thread_;               // started and joined by the main thread only
    std::atomic<bool> cancel_{false};  // set by Stop, polled by the reader between rows
};

}  // namespace hgf
