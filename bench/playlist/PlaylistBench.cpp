// Speed of the folder scan, of the play order and of reading rows. Builds (once, cached)
// a tree of 100,000 accepted files in 5,000 folders plus unaccepted files, then prints:
//   the whole scan through the loader worker, a bare recursive enumeration of the same
//   tree (the floor), their ratio, and the sorting and grouping alone;
//   AdvancePlayOrder in random order on a 100,000-row list, per call, with every round
//   checked to choose each row exactly once;
//   reading the five fields the list draws for each of 100,000 rows, one field at a time
//   against a copy of the whole row for each field.
// Usage: playlist_bench [tree folder [scan|order|rows]]   (default /tmp/hgf-bench-tree, all)
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/posix/PosixFileSystem.h"
#include "playlist/FolderScan.h"
#include "playlist/Playlist.h"

namespace {

using namespace hgf;

constexpr int kTopFolders = 50;
constexpr int kSubFolders = 100;  // per top folder: 5,000 folders with files
constexpr int kFilesPerFolder = 20;
constexpr int kOtherFilesPerFolder = 3;  // unaccepted
constexpr int kRuns = 5;

double Seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
double Now() {
    return Seconds(CLOCK_MONOTONIC);
}
// CPU time of the whole process (the worker included): steadier than wall time when
// other programs share the processors.
double Cpu() {
    return Seconds(CLOCK_PROCESS_CPUTIME_ID);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Touch(const std::string& path) {
    int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0) close(fd);
}

// Names in mixed case and suffixes, some with double-byte characters (曲, 歌).
void BuildTree(const std::string& root) {
    std::string stamp = root + "/.complete";
    struct stat info;
    if (stat(stamp.c_str(), &info) == 0) return;
    std::printf("building the tree in %s ...\n", root.c_str());
    static const char* kSuffixes[] = {".mp3", ".OGG", ".wav", ".Mid", ".mml", ".wma", ".mpeg"};
    static const char* kOthers[] = {".txt", ".jpg", ".cue"};
    mkdir(root.c_str(), 0755);
    for (int top = 0; top < kTopFolders; ++top) {
        char topName[64];
        std::snprintf(topName, sizeof topName, "%s %02d", top % 3 ? "Artist" : "\x8b\xc8", top);
        std::string topPath = root + "/" + topName;
        mkdir(topPath.c_str(), 0755);
        for (int sub = 0; sub < kSubFolders; ++sub) {
            char subName[64];
            std::snprintf(subName, sizeof subName, "%s %03d", sub % 2 ? "album" : "Album", sub);
            std::string subPath = topPath + "/" + subName;
            mkdir(subPath.c_str(), 0755);
            for (int file = 0; file < kFilesPerFolder; ++file) {
                char name[64];
                std::snprintf(name, sizeof name, "%s %02d%s", file % 4 ? "Track" : "\x89\xcc",
                              (file * 7) % kFilesPerFolder, kSuffixes[file % 7]);
                Touch(subPath + "/" + name);
            }
            for (int other = 0; other < kOtherFilesPerFolder; ++other)
                Touch(subPath + "/notes " + std::to_string(other) + kOthers[other]);
        }
    }
    Touch(stamp);
}

std::size_t Enumerate(FileSystem& fileSystem, const std::string& folder) {
    std::size_t count = 0;
    auto enumeration = fileSystem.Enumerate(folder);
    if (!enumeration) return 0;
    DirectoryEntry entry;
    while (enumeration->Next(entry)) {
        ++count;
        if (entry.isDirectory && entry.name != "." && entry.name != "..")
            count += Enumerate(fileSystem, folder + "\\" + entry.name);
    }
    return count;
}

class WaitingMessenger final : public Messenger {
  public:
    void Post(WindowHandle, unsigned, std::uintptr_t, std::intptr_t) override {}
    std::intptr_t Send(WindowHandle, unsigned, std::uintptr_t wParam, std::intptr_t) override {
        std::lock_guard lock(mutex_);
        rows_ = wParam;
        done_ = true;
        ready_.notify_all();
        return 0;
    }
    std::uintptr_t Wait() {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return done_; });
        done_ = false;
        return rows_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable ready_;
    bool done_ = false;
    std::uintptr_t rows_ = 0;
};

class TickingClock final : public Clock {
  public:
    std::int64_t NowSeconds() override { return ++seconds_; }
    LocalTime NowUtc() override { return {}; }
    LocalTime NowLocal() override { return {}; }

  private:
    std::int64_t seconds_ = 1700000000;
};

void BenchScan(const std::string& root, const char* heapState) {
    PosixFileSystem fileSystem;
    WaitingMessenger messenger;
    Enumerate(fileSystem, root);  // warm the caches

    struct Timing {
        std::vector<double> wall, cpu;
        void Add(double wallStart, double cpuStart) {
            wall.push_back(Now() - wallStart);
            cpu.push_back(Cpu() - cpuStart);
        }
    } bare, whole, grouping;
    std::size_t entries = 0, rows = 0, rawRows = 0;
    for (int run = 0; run < kRuns; ++run) {
        double wall = Now(), cpu = Cpu();
        entries = Enumerate(fileSystem, root);
        bare.Add(wall, cpu);

        {
            Playlist list({fileSystem, messenger, SystemClock(), {}});
            LoadRequest request;
            request.sourcePath = root;
            wall = Now(), cpu = Cpu();
            list.StartLoad(request);
            rows = messenger.Wait();
            whole.Add(wall, cpu);
        }

        std::atomic<std::int32_t> depth{-1};
        FolderScan scan(fileSystem, {}, depth);
        scan.ScanFolder(root);
        rawRows = scan.RawRowCount();
        wall = Now(), cpu = Cpu();
        std::deque<PlaylistItem> result = scan.TakeRows();
        grouping.Add(wall, cpu);
    }
    std::printf(
        "folder scan, %s: %zu entries enumerated, %zu raw rows, %zu list rows (median of %d)\n",
        heapState, entries, rawRows, rows, kRuns);
    std::printf("                                   wall ms    cpu ms\n");
    auto line = [](const char* what, const Timing& timing) {
        std::printf("  %-30s %9.1f %9.1f\n", what, Median(timing.wall) * 1e3,
                    Median(timing.cpu) * 1e3);
    };
    line("whole scan through the worker", whole);
    line("bare recursive enumeration", bare);
    line("sorting and grouping alone", grouping);
    std::printf("  %-30s %9.1f %9.1f\n", "scan's own work (whole - bare)",
                (Median(whole.wall) - Median(bare.wall)) * 1e3,
                (Median(whole.cpu) - Median(bare.cpu)) * 1e3);
    std::printf("  %-30s %9.2f %9.2f\n", "ratio whole / bare",
                Median(whole.wall) / Median(bare.wall), Median(whole.cpu) / Median(bare.cpu));
}

// One million choices in random order; every completed round must have chosen each row
// exactly once.
void BenchPlayOrder(Clock& clock, const char* clockName) {
    constexpr int kRows = 100000;
    constexpr int kCalls = 1000000;
    PosixFileSystem fileSystem;
    WaitingMessenger messenger;
    Playlist list({fileSystem, messenger, clock, {}});
    std::deque<PlaylistItem> items(kRows);
    for (int i = 0; i < kRows; ++i)
        items[static_cast<std::size_t>(i)].path = std::to_string(i);
    list.ReplaceItems(std::move(items));
    list.SetPlayMode(PLAY_MODE_RANDOM);

    std::vector<std::int32_t> chosen(kCalls);
    const double start = Now(), cpuStart = Cpu();
    for (int call = 0; call < kCalls; ++call)
        chosen[static_cast<std::size_t>(call)] = list.AdvancePlayOrder();
    const double elapsed = Now() - start, cpu = Cpu() - cpuStart;

    int goodRounds = 0, badRounds = 0;
    std::vector<int> seen(kRows);
    for (int round = 0; round < kCalls / kRows; ++round) {
        std::fill(seen.begin(), seen.end(), 0);
        for (int i = 0; i < kRows; ++i)
            ++seen[static_cast<std::size_t>(chosen[static_cast<std::size_t>(round * kRows + i)])];
        bool once = std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; });
        (once ? goodRounds : badRounds)++;
    }
    std::printf("AdvancePlayOrder, random order, %d rows, %d calls, %s:\n", kRows, kCalls,
                clockName);
    std::printf(
        "  %.3f s wall, %.0f ns per call (cpu %.0f ns); rounds with every row once: %d of %d\n",
        elapsed, elapsed * 1e9 / kCalls, cpu * 1e9 / kCalls, goodRounds, goodRounds + badRounds);
}

// The host draws a row with five item operations (indent, folder, missing, played,
// title). Each reads one field, either from a copy of the whole row or on its own.
void BenchRowReads() {
    constexpr int kRows = 100000;
    constexpr int kPasses = 5;
    PosixFileSystem fileSystem;
    WaitingMessenger messenger;
    Playlist list({fileSystem, messenger, SystemClock(), {}});
    std::deque<PlaylistItem> items(kRows);
    for (int i = 0; i < kRows; ++i) {
        PlaylistItem& item = items[static_cast<std::size_t>(i)];
        item.folder =
            "C:\\Music\\Artist " + std::to_string(i / 400) + "\\Album " + std::to_string(i / 20);
        item.title = "Track " + std::to_string(i % 20) + " of the album.mp3";
        item.path = item.folder + "\\" + item.title;
    }
    list.ReplaceItems(std::move(items));

    auto time = [&](auto drawRow) {
        std::vector<double> runs;
        std::size_t checksum = 0;
        for (int pass = 0; pass < kPasses; ++pass) {
            const double start = Cpu();
            for (int row = 0; row < kRows; ++row)
                checksum += drawRow(row);
            runs.push_back(Cpu() - start);
        }
        return std::pair{Median(runs), checksum};
    };
    auto [wholeRows, wholeSum] = time([&](int row) {
        std::size_t sum = static_cast<std::size_t>(list.GetItem(row).indent);
        sum += list.GetItem(row).isFolder + list.GetItem(row).unplayable + list.GetItem(row).played;
        return sum + list.GetItem(row).title.size();
    });
    auto [fields, fieldSum] = time([&](int row) {
        std::size_t sum = static_cast<std::size_t>(list.GetItemField(row, &PlaylistItem::indent));
        sum += list.GetItemField(row, &PlaylistItem::isFolder) +
               list.GetItemField(row, &PlaylistItem::unplayable) +
               list.GetItemField(row, &PlaylistItem::played);
        return sum + list.GetItemField(row, &PlaylistItem::title).size();
    });
    std::printf("drawing %d rows, five item reads per row (cpu, median of %d):\n", kRows, kPasses);
    std::printf("  a whole-row copy per read   %8.1f ms, %6.0f ns per row\n", wholeRows * 1e3,
                wholeRows * 1e9 / kRows);
    std::printf("  one field per read          %8.1f ms, %6.0f ns per row\n", fields * 1e3,
                fields * 1e9 / kRows);
    std::printf("  ratio                       %8.1f x%s\n", wholeRows / fields,
                wholeSum == fieldSum ? "" : "   (the two reads differ!)");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string root = argc > 1 ? argv[1] : "/tmp/hgf-bench-tree";
    const std::string only = argc > 2 ? argv[2] : "";
    if (only.empty() || only == "scan") {
        BuildTree(root);
        BenchScan(root, "heap trimmed between runs (the C library's default)");
        // The rows take some 27 MB; returned to the system after each run, they are
        // faulted in again by the next one. Keeping the heap shows the scan's own work
        // without that cost.
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
        BenchScan(root, "heap kept between runs");
    }
    if (only.empty() || only == "order") {
        BenchPlayOrder(SystemClock(), "system clock (many calls per second)");
        TickingClock ticking;
        BenchPlayOrder(ticking, "a new second at every call");
    }
    if (only.empty() || only == "rows") BenchRowReads();
    return 0;
}
