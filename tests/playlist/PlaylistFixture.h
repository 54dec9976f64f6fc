// A Playlist wired to the in-memory file system, a recording messenger and a fixed
// clock, with helpers that load and describe rows compactly.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeClock.h"
#include "MemoryFileSystem.h"
#include "RecordingMessenger.h"
#include "playlist/Playlist.h"

namespace hgf::test {

inline WindowHandle TestWindow() {
    return reinterpret_cast<WindowHandle>(0x1234);
}
constexpr unsigned kReadyMessage = 33820;

// "+indent title (fileCount)" for a heading, "indent path" for a file row.
inline std::vector<std::string> Describe(const std::deque<PlaylistItem>& items) {
    std::vector<std::string> lines;
    for (const PlaylistItem& item : items) {
        std::string line = item.isFolder ? "+" : "";
        line.append(std::to_string(item.indent)).append(" ");
        if (item.isFolder)
            line.append(item.title).append(" (").append(std::to_string(item.fileCount)).append(")");
        else
            line.append(item.path);
        lines.push_back(line);
    }
    return lines;
}

inline PlaylistItem File(std::string path) {
    PlaylistItem item;
    item.title = path;
    item.path = std::move(path);
    return item;
}

inline PlaylistItem Heading(std::string path) {
    PlaylistItem item;
    item.isFolder = 1;
    item.played = 1;
    item.title = path;
    item.path = std::move(path);
    return item;
}

class PlaylistFixture : public ::testing::Test {
  protected:
    PlaylistServices Services() { return {fs, messenger, clock, reader}; }

    LoadRequest Request(std::string source, std::string resume = {}) {
        LoadRequest request;
        request.sourcePath = std::move(source);
        request.notify = {TestWindow(), kReadyMessage};
        request.resumePath = std::move(resume);
        return request;
    }

    // Starts the load and waits for its completion message; returns its row count.
    std::uintptr_t Load(Playlist& list, const LoadRequest& request) {
        std::size_t before = messenger.Count();
        list.StartLoad(request);
        EXPECT_TRUE(messenger.WaitForCount(before + 1));
        RecordedMessage last = messenger.Messages().back();
        EXPECT_EQ(last.window, TestWindow());
        EXPECT_EQ(last.message, kReadyMessage);
        EXPECT_TRUE(last.sent);
        EXPECT_EQ(last.lParam, 0);
        return last.wParam;
    }

    std::uintptr_t Scan(Playlist& list, std::string source, bool subFolders = true,
                        bool allFiles = false) {
        LoadRequest request = Request(std::move(source));
        request.includeSubFolders = subFolders;
        request.allFiles = allFiles;
        return Load(list, request);
    }

    MemoryFileSystem fs;
    RecordingMessenger messenger;
    FakeClock clock;
    PlaylistReader reader;
};

}  // namespace hgf::test
