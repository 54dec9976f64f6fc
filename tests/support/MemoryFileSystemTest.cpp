// The fake file system must follow the Windows rules the core relies on, or tests
// of the scan and the readers would pass for the wrong reasons.
#include <gtest/gtest.h>

#include "MemoryFileSystem.h"

namespace hgf::test {
namespace {

std::vector<DirectoryEntry> List(MemoryFileSystem& fs, const std::string& folder) {
    std::vector<DirectoryEntry> entries;
    auto enumeration = fs.Enumerate(folder);
    if (!enumeration) return entries;
    DirectoryEntry entry;
    while (enumeration->Next(entry))
        entries.push_back(entry);
    return entries;
}

TEST(MemoryFileSystem, FollowsWindowsPathRules) {
    MemoryFileSystem fs;
    fs.AddFile("C:\\Music\\Song.MP3", "abc");
    ASSERT_TRUE(fs.GetAttributes("c:\\music\\song.mp3"));
    EXPECT_FALSE(fs.GetAttributes("C:\\Music\\Song.MP3")->isDirectory);
    EXPECT_TRUE(fs.GetAttributes("C:\\Music\\")->isDirectory);
    EXPECT_TRUE(fs.GetAttributes("C:\\\\Music"));
    EXPECT_FALSE(fs.GetAttributes("C:\\Other"));

    auto root = List(fs, "C:\\");
    ASSERT_EQ(root.size(), 1u);  // no "." and ".." at a drive root
    EXPECT_EQ(root[0].name, "Music");
    auto music = List(fs, "C:\\Music");
    ASSERT_EQ(music.size(), 3u);
    EXPECT_EQ(music[0].name, ".");
    EXPECT_EQ(music[1].name, "..");
    EXPECT_EQ(music[2].name, "Song.MP3");
}

TEST(MemoryFileSystem, ReadsWritesAndFails) {
    MemoryFileSystem fs;
    fs.AddFolder("C:\\Lists");
    {
        auto out = fs.Create("C:\\Lists\\a.m3u");
        ASSERT_TRUE(out);
        EXPECT_TRUE(out->Write("x\r\n", 3));
        EXPECT_EQ(fs.OpenFileCount(), 1);
    }
    EXPECT_EQ(fs.OpenFileCount(), 0);
    EXPECT_EQ(fs.Contents("C:\\Lists\\A.M3U"), "x\r\n");
    auto in = fs.OpenRead("C:\\Lists\\a.m3u");
    char buffer[8];
    EXPECT_EQ(in->Read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(in->Read(buffer, sizeof buffer), 0u);
    in.reset();

    EXPECT_FALSE(fs.Create("C:\\Missing\\a.m3u"));
    fs.SetReadOnly(true);
    EXPECT_FALSE(fs.Create("C:\\Lists\\b.m3u"));
    fs.LockFile("C:\\Lists\\a.m3u");
    EXPECT_FALSE(fs.OpenRead("C:\\Lists\\a.m3u"));
    fs.DenyFolder("C:\\Lists");
    EXPECT_FALSE(fs.Enumerate("C:\\Lists"));
    EXPECT_TRUE(fs.GetAttributes("C:\\Lists"));
    EXPECT_TRUE(fs.Remove("C:\\Lists\\a.m3u"));
    EXPECT_FALSE(fs.GetAttributes("C:\\Lists\\a.m3u"));
    EXPECT_FALSE(fs.Remove("C:\\Lists\\a.m3u"));
}

TEST(MemoryFileSystem, ReplacesAndRemovesOnlyClosedFiles) {
    MemoryFileSystem fs;
    fs.AddFile("C:\\L\\old.m3u", "old");
    auto out = fs.Create("C:\\L\\new.tmp");
    ASSERT_TRUE(out);
    out->Write("new", 3);
    EXPECT_FALSE(fs.Replace("C:\\L\\new.tmp", "C:\\L\\old.m3u"));  // still open
    EXPECT_FALSE(fs.Remove("C:\\L\\new.tmp"));
    out.reset();
    EXPECT_TRUE(fs.Replace("C:\\L\\new.tmp", "C:\\L\\OLD.M3U"));
    EXPECT_EQ(fs.Contents("C:\\L\\old.m3u"), "new");
    EXPECT_FALSE(fs.Contents("C:\\L\\new.tmp"));
    EXPECT_FALSE(fs.Replace("C:\\L\\new.tmp", "C:\\L\\old.m3u"));  // no source any more
    EXPECT_FALSE(fs.Replace("C:\\L\\old.m3u", "C:\\L"));           // a folder is no file
}

}  // namespace
}  // namespace hgf::test
