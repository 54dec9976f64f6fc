// The folder scan on a real folder tree through the platform's own file system: the
// POSIX one natively, FindFirstFileW and friends under Windows. Both builds expect the
// same rows.
#include <gtest/gtest.h>

#include <filesystem>

#include "PlaylistFixture.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/Win32FileSystem.h"
#else
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/PosixFileSystem.h"
#endif

namespace hgf::test {
namespace {

using Lines = std::vector<std::string>;

// 曲 (8B C8): no backslash byte, so it works on both builds.
const std::string kKyoku = "\x8b\xc8";

class RealFolderScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef _WIN32
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof temp, temp);
        root_ = std::string(temp) + "hgf-scan-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
#else
        char pattern[] = "/tmp/hgf-scan-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
#endif
    }
    void TearDown() override {
        std::filesystem::remove_all(root_);
    }

    FileSystem& System() {
#ifdef _WIN32
        return TheWin32FileSystem();
#else
        return posix_;
#endif
    }

    // `relative` uses "\\" separators.
    void MakeFolder(const std::string& relative) {
        std::string path = root_ + "\\" + relative;
#ifdef _WIN32
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << relative;
#else
        ASSERT_EQ(mkdir(PosixFileSystem::ToHostPath(path).c_str(), 0755), 0) << relative;
#endif
    }
    void MakeFile(const std::string& relative) {
        auto file = System().Create(root_ + "\\" + relative);
        ASSERT_TRUE(file) << relative;
        ASSERT_TRUE(file->Write("x", 1));
    }

    // Scans `relative` below the root and describes the rows with the root cut off.
    Lines ScanRows(const std::string& relative) {
        RecordingMessenger messenger;
        Playlist list({System(), messenger, SystemClock(), {}});
        LoadRequest request;
        request.sourcePath = root_ + (relative.empty() ? "" : "\\" + relative);
        request.notify = {TestWindow(), kReadyMessage};
        list.StartLoad(request);
        EXPECT_TRUE(messenger.WaitForCount(1));
        // As Describe, with the root written "R" (the scanned folder's own title too).
        Lines lines;
        for (const PlaylistItem& item : list.Items()) {
            std::string text = std::to_string(item.indent);
            if (item.isFolder)
                text = "+" + text + " " + (item.path == request.sourcePath ? "R" : item.title) +
                       " (" + std::to_string(item.fileCount) + ")";
            else if (item.path.compare(0, root_.size(), root_) == 0)
                text += " R" + item.path.substr(root_.size());
            else
                text += " " + item.path;
            lines.push_back(text);
        }
        return lines;
    }

    std::string root_;
#ifndef _WIN32
    PosixFileSystem posix_;
#endif
};

TEST_F(RealFolderScanTest, GivesTheSameRowsOnEveryPlatform) {
    MakeFolder("Sub");
    MakeFolder("Sub\\Deep");
    MakeFolder("Sub B");
    MakeFolder("Empty");
    MakeFolder(kKyoku);
    MakeFile("notes.txt");
    MakeFile("B.OGG");
    MakeFile("a.mp3");
    MakeFile("Sub\\c.wav");
    MakeFile("Sub B\\d.mid");
    MakeFile("Sub\\Deep\\e.mml");
    MakeFile(kKyoku + "\\g.mp3");
    EXPECT_EQ(ScanRows(""), (Lines{"+0 R (6)", "0 R\\a.mp3", "0 R\\B.OGG",  //
                                   "+1 Sub (1)", "1 R\\Sub\\c.wav",         //
                                   "+1 Sub B (2)", "1 R\\Sub B\\d.mid",     //
                                   "+2 Deep (1)", "2 R\\Sub\\Deep\\e.mml",  //
                                   "+1 " + kKyoku + " (1)", "1 R\\" + kKyoku + "\\g.mp3"}));
}

#ifdef _WIN32
TEST_F(RealFolderScanTest, NamesWithABackslashTrailByteKeepTheirTitles) {
    // 表 (95 5C) and ソ (83 5C) end in the backslash byte.
    const std::string hyou = "\x95\x5c", so = "\x83\x5c";
    MakeFolder(hyou);
    MakeFile(hyou + "\\" + so + ".mp3");
    MakeFile(hyou + "\\" + so);  // no suffix: not accepted
    EXPECT_EQ(ScanRows(hyou), (Lines{"+0 R (1)", "0 R\\" + hyou + "\\" + so + ".mp3"}));
    RecordingMessenger messenger;
    Playlist list({System(), messenger, SystemClock(), {}});
    LoadRequest request;
    request.sourcePath = root_;
    request.notify = {TestWindow(), kReadyMessage};
    list.StartLoad(request);
    ASSERT_TRUE(messenger.WaitForCount(1));
    ASSERT_EQ(list.ItemCount(), 3);
    EXPECT_EQ(list.GetItem(1).title, hyou);
    EXPECT_EQ(list.GetItem(1).path, root_ + "\\" + hyou);
    EXPECT_EQ(list.GetItem(1).indent, 1);
}
#endif

}  // namespace
}  // namespace hgf::test
