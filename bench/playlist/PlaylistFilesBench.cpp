// Times the playlist readers and writers on real files in a temporary folder and sets
// each against the floor: reading or writing the same number of bytes raw, in 64 KiB
// pieces through the same file system. Prints the best of several runs of each.
#include <stdlib.h>
#include <time.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "PlaylistFileBytes.h"
#include "platform/Clock.h"
#include "platform/posix/PosixFileSystem.h"
#include "playlist/PlaylistFiles.h"
#include "playlist/PlaylistReaders.h"

namespace {

using hgf::PlaylistItem;

constexpr int kRows = 100000;
constexpr int kFilesPerFolder = 99;  // plus one heading: 1,000 folders make 100,000 rows
int runs = 7;                        // the first argument replaces it (1 for a profiler run)

// Processor time (user and system) of this process: on a machine shared by several busy
// builds, wall time mostly measures the wait for a processor.
double Seconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The shortest of `runs` runs of `work`, each after an untimed `prepare`.
double BestOf(
    const std::function<void()>& work, const std::function<void()>& prepare = [] {}) {
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        prepare();
        double start = Seconds();
        work();
        double elapsed = Seconds() - start;
        if (elapsed < best) best = elapsed;
    }
    return best;
}

// A list shaped like a folder scan: headings, then their files, with Japanese names
// ("音楽" in Shift_JIS) in every path.
std::deque<PlaylistItem> MakeList(int rows) {
    std::deque<PlaylistItem> items;
    char buffer[256];
    for (int folder = 0; static_cast<int>(items.size()) < rows; ++folder) {
        PlaylistItem heading;
        std::snprintf(buffer, sizeof buffer, "C:\\\x89\xb9\x8a\x79\\Artist %04d\\Album %02d",
                      folder, folder % 17);
        heading.path = buffer;
        heading.title = heading.path.substr(heading.path.rfind('\\') + 1);
        heading.isFolder = 1;
        heading.indent = 1;
        items.push_back(heading);
        for (int file = 0; file < kFilesPerFolder && static_cast<int>(items.size()) < rows;
             ++file) {
            PlaylistItem row;
            std::snprintf(buffer, sizeof buffer, "Track %03d - A song of some length.mp3", file);
            row.title = buffer;
            row.path = heading.path + "\\" + row.title;
            row.indent = 1;
            items.push_back(row);
        }
    }
    return items;
}

std::size_t FileSize(hgf::FileSystem& fs, const std::string& path) {
    std::size_t total = 0;
    std::vector<char> buffer(64 * 1024);
    auto file = fs.OpenRead(path);
    while (std::size_t got = file->Read(buffer.data(), buffer.size()))
        total += got;
    return total;
}

double RawRead(hgf::FileSystem& fs, const std::string& path) {
    return BestOf([&] {
        std::vector<char> buffer(64 * 1024);
        auto file = fs.OpenRead(path);
        while (file->Read(buffer.data(), buffer.size()) > 0) {
        }
    });
}

double RawWrite(hgf::FileSystem& fs, const std::string& path, std::size_t bytes) {
    return BestOf([&] {
        std::vector<char> buffer(64 * 1024, 'x');
        auto file = fs.Create(path);
        for (std::size_t done = 0; done < bytes; done += buffer.size())
            file->Write(buffer.data(), std::min(buffer.size(), bytes - done));
        file->Close();
    });
}

void Report(const char* what, std::size_t rows, std::size_t bytes, double seconds, double floor) {
    std::printf("%-10s %7zu rows %10zu bytes  %8.2f ms  raw %7.2f ms  ratio %5.2f\n", what, rows,
                bytes, seconds * 1e3, floor * 1e3, seconds / floor);
}

// A .spf file of `count` records taken from `items`.
void WriteSpf(const std::string& path, const std::deque<PlaylistItem>& items, int count) {
    std::string body(static_cast<std::size_t>(count) * hgf::kSpfRecordBytes, '\0');
    for (int i = 0; i < count; ++i) {
        char* record = body.data() + static_cast<std::size_t>(i) * hgf::kSpfRecordBytes;
        std::memcpy(record, items[i].path.data(), std::min<std::size_t>(items[i].path.size(), 259));
        std::memcpy(record + 260, items[i].title.data(),
                    std::min<std::size_t>(items[i].title.size(), 259));
        record[520] = items[i].isFolder ? 9 : 0;
    }
    const std::string file = hgf::test::SpfFile(static_cast<unsigned>(count), body);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) runs = std::max(1, std::atoi(argv[1]));
    char folderTemplate[] = "/tmp/hgf-bench-playlist-XXXXXX";
    if (!mkdtemp(folderTemplate)) return 1;
    const std::string folder = folderTemplate;
    hgf::PosixFileSystem fs;
    hgf::Clock& clock = hgf::SystemClock();
    const std::deque<PlaylistItem> items = MakeList(kRows);
    std::deque<PlaylistItem> read;

    std::printf("processor time, best of %d runs, files in %s\n", runs, folder.c_str());
    const char* writes[] = {"list.spl", "list.m3u", "list.htm"};
    for (const char* name : writes) {
        std::string path = folder + "/" + name;
        double time = BestOf([&] { hgf::SaveList(fs, clock, path, items); });
        std::size_t bytes = FileSize(fs, path);
        Report((std::string("write ") + (name + 5)).c_str(), items.size(), bytes, time,
               RawWrite(fs, folder + "/raw.bin", bytes));
    }
    for (const char* name : {"list.spl", "list.m3u"}) {
        std::string path = folder + "/" + name;
        double time = BestOf([&] { hgf::ReadPlaylistFile(fs, path, read); }, [&] { read.clear(); });
        Report((std::string("read ") + (name + 5)).c_str(), read.size(), FileSize(fs, path), time,
               RawRead(fs, path));
    }

    // .spf counts its records in 16 bits: 65,535 is the largest list it holds.
    const int spfRows = 65535;
    std::string spf = folder + "/list.spf";
    WriteSpf(spf, items, spfRows);
    double time = BestOf([&] { hgf::ReadPlaylistFile(fs, spf, read); }, [&] { read.clear(); });
    Report("read spf", read.size(), FileSize(fs, spf), time, RawRead(fs, spf));
    std::printf("           (inflated body %zu bytes)\n", spfRows * hgf::kSpfRecordBytes);

    // What no reader can avoid: inflating the .spf body into fresh memory, and building
    // the rows (two strings each) from text already in memory.
    std::string compressed;
    {
        auto file = fs.OpenRead(spf);
        std::vector<char> buffer(64 * 1024);
        while (std::size_t got = file->Read(buffer.data(), buffer.size()))
            compressed.append(buffer.data(), got);
    }
    double inflateOnly = BestOf([&] {
        uLongf size = spfRows * hgf::kSpfRecordBytes;
        std::vector<unsigned char> body(size);
        uncompress(body.data(), &size, reinterpret_cast<const Bytef*>(compressed.data()) + 8,
                   compressed.size() - 8);
    });
    std::printf("floor      inflate the .spf body alone: %.2f ms\n", inflateOnly * 1e3);
    double rowsOnly = BestOf(
        [&] {
            for (const PlaylistItem& item : items) {
                PlaylistItem row;
                row.path = item.path;
                row.title = item.title;
                read.push_back(std::move(row));
            }
        },
        [&] { read.clear(); });
    std::printf("floor      build %d rows in memory, no file: %.2f ms\n", kRows, rowsOnly * 1e3);

    for (const char* name : {"list.spl", "list.m3u", "list.htm", "list.spf", "raw.bin"})
        unlink((folder + "/" + name).c_str());
    rmdir(folder.c_str());
    return 0;
}
