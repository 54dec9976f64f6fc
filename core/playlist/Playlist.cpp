// The playlist model: rows and current row, the loader worker, and the play order.
#include "playlist/Playlist.h"

#include "platform/ThreadName.h"
#include "playlist/FolderScan.h"
#include "playlist/PathText.h"

namespace hgf {
namespace {

// The attributes of a source path, tested without its trailing separator.
std::optional<FileAttributes> SourceAttributes(FileSystem& fileSystem, const std::string& path) {
    if (path.empty()) return std::nullopt;
    return fileSystem.GetAttributes(WithoutTrailingSeparator(path));
}

}  // namespace

Playlist::Playlist(PlaylistServices services) : services_(std::move(services)) {}

Playlist::~Playlist() {
    StopWorker();
}

// --- Loading ---

void Playlist::StartLoad(const LoadRequest& request) {
    if (!SourceAttributes(services_.fileSystem, request.sourcePath)) {
        services_.messenger.Send(request.notify.window, request.notify.message, 0, 0);
        return;
    }
    // The earlier worker goes before anything changes, so it never sees the new request.
    StopWorker();
    {
        std::lock_guard lock(mutex_);
        sourcePath_ = request.sourcePath;
        notify_ = request.notify;
        resumePath_ = request.resumePath;
        items_.clear();
        RecountLocked();
        includeSubFolders_ = request.includeSubFolders;
        allFiles_ = request.allFiles;
    }
    std::optional<FileAttributes> attributes =
        SourceAttributes(services_.fileSystem, request.sourcePath);
    const bool scanFolder = attributes && attributes->isDirectory;
    try {
        worker_ = std::thread([this, scanFolder] { RunWorker(scanFolder); });
    } catch (...) {
        services_.messenger.Send(notify_.window, notify_.message, 0, 0);
    }
}

void Playlist::StopWorker() {
    if (!worker_.joinable()) return;
    if (worker_.get_id() == std::this_thread::get_id()) {
        // A completion handler that starts the next load runs on the worker itself; the
        // worker only returns after that, so it is let go rather than joined.
        worker_.detach();
        return;
    }
    cancelWorker_ = true;
    worker_.join();
    cancelWorker_ = false;
}

void Playlist::RunWorker(bool scanFolder) {
    NameCurrentThread("hgf-loader");
    std::deque<PlaylistItem> rows;
    try {
        if (scanFolder) {
            FolderScan scan(services_.fileSystem,
                            FolderScanOptions{includeSubFolders_ != 0, allFiles_ != 0}, scanDepth_,
                            &cancelWorker_);
            rows = scan.Run(sourcePath_);
        } else if (services_.readPlaylistFile) {
            services_.readPlaylistFile(services_.fileSystem, sourcePath_, rows);
        }
    } catch (...) {
        rows.clear();  // out of memory part-way: the load yields nothing
        scanDepth_ = -1;
    }
    if (cancelWorker_) return;
    FinishWorker(std::move(rows));
}

void Playlist::FinishWorker(std::deque<PlaylistItem> rows) {
    std::size_t count = 0;
    {
        std::lock_guard lock(mutex_);
        items_ = std::move(rows);
        RecountLocked();
        StartNewRoundLocked();
        SelectByPathLocked(resumePath_);
        count = items_.size();
    }
    // Sent without holding the lock: the window copies this list while the worker waits.
    services_.messenger.Send(notify_.window, notify_.message, count, 0);
}

void Playlist::CopyContentFrom(const Playlist& other) {
    if (&other == this) return;
    std::scoped_lock lock(mutex_, other.mutex_);
    resumePath_ = other.resumePath_;
    items_ = other.items_;
    sourcePath_ = other.sourcePath_;
    currentIndex_ = other.currentIndex_;
    playMode_ = other.playMode_;
    playedCount_ = other.playedCount_;
    includeSubFolders_ = other.includeSubFolders_;
    allFiles_ = other.allFiles_;
    choosableCount_ = other.choosableCount_;
    unplayableUnplayed_ = other.unplayableUnplayed_;
    ++generation_;
    scanDepth_ = other.scanDepth_.load();
}

// --- Rows ---

std::int32_t Playlist::ItemCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::int32_t>(items_.size());
}

PlaylistItem Playlist::GetItem(std::int32_t index) const {
    std::lock_guard lock(mutex_);
    if (static_cast<std::uint32_t>(index) >= items_.size()) return {};
    return items_[static_cast<std::size_t>(index)];
}

std::deque<PlaylistItem> Playlist::Items() const {
    std::lock_guard lock(mutex_);
    return items_;
}

void Playlist::ReplaceItems(std::deque<PlaylistItem> items) {
    std::lock_guard lock(mutex_);
    items_ = std::move(items);
    RecountLocked();
}

void Playlist::MarkUnplayable(std::int32_t index) {
    std::lock_guard lock(mutex_);
    if (static_cast<std::uint32_t>(index) >= items_.size()) return;
    PlaylistItem& row = items_[static_cast<std::size_t>(index)];
    if (row.unplayable) return;
    row.unplayable = 1;
    if (row.isFolder) return;
    --choosableCount_;
    if (!row.played) ++unplayableUnplayed_;
}

bool Playlist::SetItemTitle(std::int32_t index, const std::string& path, std::string title) {
    std::lock_guard lock(mutex_);
    if (static_cast<std::uint32_t>(index) >= items_.size()) return false;
    PlaylistItem& row = items_[static_cast<std::size_t>(index)];
    if (row.path != path) return false;
    row.title = std::move(title);
    return true;
}

// --- Current row and play order ---

std::int32_t Playlist::GetCurrentIndex() const {
    std::lock_guard lock(mutex_);
    return currentIndex_;
}

std::int32_t Playlist::SelectByPath(const std::string& path) {
    std::lock_guard lock(mutex_);
    return SelectByPathLocked(path);
}

std::int32_t Playlist::SelectIndex(std::int32_t index) {
    std::lock_guard lock(mutex_);
    currentIndex_ = index;
    if (static_cast<std::uint32_t>(index) < items_.size())
        MarkPlayedLocked(static_cast<std::size_t>(index));
    return currentIndex_;
}

std::int32_t Playlist::AdvancePlayOrder() {
    std::lock_guard lock(mutex_);
    return AdvancePlayOrderLocked();
}

bool Playlist::HasChoosableRow() const {
    std::lock_guard lock(mutex_);
    return choosableCount_ > 0;
}

PlayMode Playlist::GetPlayMode() const {
    std::lock_guard lock(mutex_);
    return playMode_;
}

void Playlist::SetPlayMode(PlayMode mode) {
    std::lock_guard lock(mutex_);
    playMode_ = mode;
}

std::int32_t Playlist::PlayedCount() const {
    std::lock_guard lock(mutex_);
    return playedCount_;
}

std::string Playlist::SourcePath() const {
    std::lock_guard lock(mutex_);
    return sourcePath_;
}

std::string Playlist::ResumePath() const {
    std::lock_guard lock(mutex_);
    return resumePath_;
}

std::uint8_t Playlist::IncludeSubFolders() const {
    std::lock_guard lock(mutex_);
    return includeSubFolders_;
}

std::uint8_t Playlist::AllFiles() const {
    std::lock_guard lock(mutex_);
    return allFiles_;
}

// --- Locked helpers ---

void Playlist::RecountLocked() {
    ++generation_;
    playedCount_ = 0;
    choosableCount_ = 0;
    unplayableUnplayed_ = 0;
    for (const PlaylistItem& row : items_) {
        if (row.isFolder) {
            ++playedCount_;
        } else if (row.unplayable) {
            if (row.played)
                ++playedCount_;
            else
                ++unplayableUnplayed_;
        } else {
            ++choosableCount_;
            if (row.played) ++playedCount_;
        }
    }
}

void Playlist::StartNewRoundLocked() {
    ++generation_;
    playedCount_ = 0;
    unplayableUnplayed_ = 0;
    for (PlaylistItem& row : items_) {
        if (row.isFolder) {
            ++playedCount_;
        } else {
            row.played = 0;
            if (row.unplayable) ++unplayableUnplayed_;
        }
    }
}

void Playlist::MarkPlayedLocked(std::size_t index) {
    PlaylistItem& row = items_[index];
    if (row.played) return;
    row.played = 1;
    if (row.isFolder) return;  // headings are counted from the start of the round
    ++playedCount_;
    if (row.unplayable) --unplayableUnplayed_;
}

bool Playlist::RoundOverLocked() const {
    // Unplayable rows are never made current again, so they count as played here.
    return static_cast<std::size_t>(playedCount_) + static_cast<std::size_t>(unplayableUnplayed_) >=
           items_.size();
}

std::int32_t Playlist::SelectByPathLocked(const std::string& path) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].path == path) {
            currentIndex_ = static_cast<std::int32_t>(i);
            MarkPlayedLocked(i);
            return currentIndex_;
        }
    }
    return AdvancePlayOrderLocked();
}

std::int32_t Playlist::AdvancePlayOrderLocked() {
    if (items_.empty()) return 0;
    if (choosableCount_ <= 0) return currentIndex_;  // every row a heading or unplayable

    const std::uint32_t rowCount = static_cast<std::uint32_t>(items_.size());
    const PlayMode mode = playMode_;

    // Reseeded from the clock at every call; the first number r tells how many more to
    // discard (r mod 10).
    const std::uint32_t seed = static_cast<std::uint32_t>(services_.clock.NowSeconds());
    const std::uint64_t startGeneration = generation_;
    CRuntimeRandom random(seed);
    std::uint64_t tries = 0;
    if (mode == PLAY_MODE_RANDOM && cursor_.valid && cursor_.seed == seed &&
        cursor_.generation == generation_ && !RoundOverLocked()) {
        random = cursor_.random;
        tries = cursor_.tries;
    } else {
        for (int discard = random.Next() % 10; discard > 0; --discard)
            random.Next();
    }
    cursor_.valid = false;
    auto randomRow = [&]() -> std::uint32_t {
        if (rowCount <= 32768) return static_cast<std::uint32_t>(random.Next()) % rowCount;
        // Longer lists: two numbers make 30 bits, so every row can be reached.
        std::uint32_t high = static_cast<std::uint32_t>(random.Next());
        std::uint32_t low = static_cast<std::uint32_t>(random.Next());
        return ((high << 15) | low) % rowCount;
    };
    auto choosable = [&](std::uint32_t index) {
        return !items_[index].isFolder && !items_[index].unplayable;
    };

    if (mode != PLAY_MODE_LIST_ORDER && mode != PLAY_MODE_RANDOM && mode != PLAY_MODE_REPEAT) {
        // An unknown mode keeps the current row.
        if (RoundOverLocked()) StartNewRoundLocked();
        const std::uint32_t current = static_cast<std::uint32_t>(currentIndex_);
        if (current < rowCount && choosable(current)) MarkPlayedLocked(current);
        return currentIndex_;
    }

    // Far more draws than a hit needs on average (one in rowCount): past this bound the
    // next suitable row in list order is taken, so the choice always ends.
    const std::uint64_t drawLimit = 64ull * rowCount + 64;
    for (;; ++tries) {
        if (RoundOverLocked()) StartNewRoundLocked();
        const std::uint32_t current = static_cast<std::uint32_t>(currentIndex_);
        std::uint32_t candidate;
        if (mode == PLAY_MODE_LIST_ORDER) {
            candidate = current == rowCount - 1 ? 0
                        : current < rowCount    ? current + 1
                                                : randomRow();
        } else if (mode == PLAY_MODE_RANDOM) {
            candidate = randomRow();
        } else {
            // Repeat keeps a playable current row; from a heading or an unplayable row it
            // picks a random one (and then repeats that).
            candidate = current < rowCount && choosable(current) ? current : randomRow();
        }
        currentIndex_ = static_cast<std::int32_t>(candidate);
        const bool wanted =
            choosable(candidate) && !(mode == PLAY_MODE_RANDOM && items_[candidate].played);
        if (wanted) break;
        if (tries >= drawLimit) {
            std::uint32_t found = candidate;
            for (std::uint32_t step = 1; step <= rowCount; ++step) {
                std::uint32_t index = (candidate + step) % rowCount;
                if (choosable(index) && !(mode == PLAY_MODE_RANDOM && items_[index].played)) {
                    found = index;
                    break;
                }
            }
            if (!choosable(found)) {  // cannot happen while the counters are right
                for (std::uint32_t index = 0; index < rowCount; ++index)
                    if (choosable(index)) found = index;
            }
            currentIndex_ = static_cast<std::int32_t>(found);
            break;
        }
    }
    if (mode == PLAY_MODE_RANDOM && generation_ == startGeneration)
        cursor_ = {true, seed, generation_, random, tries + 1};
    MarkPlayedLocked(static_cast<std::size_t>(currentIndex_));
    return currentIndex_;
}

}  // namespace hgf
