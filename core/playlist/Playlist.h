// The list of rows that the player shows and plays: the rows with the current row and
// the random round, the loader worker that fills a list from a folder or a playlist
// file, the play order, and the playback fields that the playback control keeps here.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Messenger.h"
#include "playlist/CRuntimeRandom.h"
#include "playlist/PlaylistItem.h"

namespace hgf {

// How AdvancePlayOrder moves the current row (saved as the PlayListMode setting).
// Any other value leaves the current row where it is.
using PlayMode = std::int32_t;
constexpr PlayMode PLAY_MODE_LIST_ORDER = 0;  // the next row, wrapping after the last
constexpr PlayMode PLAY_MODE_RANDOM = 1;      // a random row not yet played in this round
constexpr PlayMode PLAY_MODE_REPEAT = 2;      // the current row again

// The engine that holds the current playback.
using EngineKind = std::int32_t;
constexpr EngineKind ENGINE_NONE = 0;
constexpr EngineKind ENGINE_MP3 = 1;
constexpr EngineKind ENGINE_MML = 2;
constexpr EngineKind ENGINE_OGG = 3;
constexpr EngineKind ENGINE_MEDIA = 4;
constexpr EngineKind ENGINE_MEDIA_CONVERTED_MIDI = 5;  // the media engine on the SMF conversion
constexpr EngineKind ENGINE_FLAC_OPUS = 6;             // the FLAC and Opus stream player

// Reads the playlist file `path` and appends its rows; false when no reader accepts it.
using PlaylistReader = std::function<bool(FileSystem& fileSystem, const std::string& path,
                                          std::deque<PlaylistItem>& items)>;

// The services a Playlist uses; the referenced objects outlive the Playlist.
struct PlaylistServices {
    FileSystem& fileSystem;
    Messenger& messenger;             // the loader's completion message is sent through it
    Clock& clock;                     // seeds the play order's random numbers
    PlaylistReader readPlaylistFile;  // empty: a playlist file yields no rows
};

struct LoadRequest {
    std::string sourcePath;  // a folder (scanned) or a playlist file (read)
    NotifyTarget notify;     // window and completion message, sent with the row count
    std::string resumePath;  // row to make current once loaded; empty: the play order picks
    std::uint8_t includeSubFolders = 1;  // SubFolderFind
    std::uint8_t allFiles = 0;           // AllFileRegist
};

// The core holds two: the live list, which plays, and the staging list, which a loader
// worker fills meanwhile. The rows, current index, play mode and round counters are
// guarded by an internal mutex, so the end-of-track watchers may advance the live list
// while the user-interface thread reads it.
class Playlist {
  public:
    explicit Playlist(PlaylistServices services);
    // Stops a running loader worker (it is cancelled and joined; a scan ends quickly).
    ~Playlist();
    Playlist(const Playlist&) = delete;
    Playlist& operator=(const Playlist&) = delete;

    // --- Loading (user-interface thread) ---

    // Starts loading `request.sourcePath` on a worker thread: a folder is scanned, any
    // other existing path is read as a playlist file. The worker replaces the rows, starts
    // a new random round, selects `request.resumePath` (or lets the play order choose)
    // and sends the completion message with the row count, waiting until it is handled.
    // A missing or empty source path sends the completion message with 0 before this
    // returns and leaves the object unchanged. An earlier worker is cancelled and joined
    // first, so the caller must not start a load while a worker waits in its message.
    void StartLoad(const LoadRequest& request);

    // Takes over the other list's content and carried values: rows, current index, play
    // mode, round counters, source and resume paths, scan depth and the two option bytes.
    // The playback fields below stay as they are: they describe what this object's engine
    // is doing now. Used in both directions by the main window (live to staging before a
    // load, staging to live when the load is ready).
    void CopyContentFrom(const Playlist& other);

    // --- Rows ---

    std::int32_t ItemCount() const;
    // A copy of row `index`; an empty row when the index is outside the list.
    PlaylistItem GetItem(std::int32_t index) const;
    // A copy of one field of row `index` (for example &PlaylistItem::title), taken without
    // copying the rest of the row; the field's empty value when the index is outside the
    // list. The list is drawn field by field, row after row.
    template <typename Field>
    Field GetItemField(std::int32_t index, Field PlaylistItem::*field) const {
        std::lock_guard lock(mutex_);
        if (static_cast<std::uint32_t>(index) >= items_.size()) return Field{};
        return items_[static_cast<std::size_t>(index)].*field;
    }
    // A copy of all rows, in display order.
    std::deque<PlaylistItem> Items() const;
    // Replaces the rows and recounts the round from their flags (headings count as
    // played); the current index stays.
    void ReplaceItems(std::deque<PlaylistItem> items);
    // Marks a row that is missing or that no engine accepted; the play order never
    // chooses it again. Indexes outside the list are ignored.
    void MarkUnplayable(std::int32_t index);
    // Replaces the shown title of row `index` (the tag-title reader) if that row still
    // holds `path`; false when it does not (the list changed meanwhile).
    bool SetItemTitle(std::int32_t index, const std::string& path, std::string title);

    // --- Current row and play order ---

    std::int32_t GetCurrentIndex() const;
    // Makes the first row whose path equals `path` byte for byte current and marks it
    // played; when none does, AdvancePlayOrder chooses. Returns the current index.
    std::int32_t SelectByPath(const std::string& path);
    // Makes `index` current (the user picked it) and marks that row played. An index
    // outside the list is stored as it is (the play order then picks a random row).
    std::int32_t SelectIndex(std::int32_t index);
    // Moves the current row by the play mode and returns the new current index; 0 for an
    // empty list. When no row can be chosen (every row is a heading or unplayable) nothing
    // changes and the current index is returned as it is; HasChoosableRow tells that case.
    std::int32_t AdvancePlayOrder();
    // True while at least one file row is not marked unplayable.
    bool HasChoosableRow() const;
    PlayMode GetPlayMode() const;
    void SetPlayMode(PlayMode mode);
    // Rows counted as played in the present random round, headings included.
    std::int32_t PlayedCount() const;

    // --- Values of the last load request ---

    std::string SourcePath() const;
    std::string ResumePath() const;
    std::uint8_t IncludeSubFolders() const;
    std::uint8_t AllFiles() const;
    // Nesting level of the folder scan in progress; -1 when none runs.
    std::int32_t ScanDepth() const { return scanDepth_.load(); }

    // --- Playback fields: written and read by the playback control ---

    EngineKind engineKind = ENGINE_NONE;
    std::int32_t mmlPlayTime = 120;  // seconds an MML song plays; below 1: MML playback off
    bool playing = false;            // a playback runs and is not paused
    std::string smfConversionFile;   // SMF conversion configuration; empty: conversion off

  private:
    void StopWorker();
    void RunWorker(bool scanFolder);
    void FinishWorker(std::deque<PlaylistItem> rows);

    // These expect mutex_ to be held.
    void RecountLocked();
    void StartNewRoundLocked();
    void MarkPlayedLocked(std::size_t index);
    bool RoundOverLocked() const;
    std::int32_t SelectByPathLocked(const std::string& path);
    std::int32_t AdvancePlayOrderLocked();

    PlaylistServices services_;

    // Guards every field from resumePath_ to unplayableUnplayed_. Written by the
    // user-interface thread, by the loader worker (staging list, until it sends its
    // completion message) and by end-of-track watchers (AdvancePlayOrder, MarkUnplayable).
    mutable std::mutex mutex_;
    std::string resumePath_;
    std::deque<PlaylistItem> items_;
    std::string sourcePath_;
    std::int32_t currentIndex_ = 0;
    PlayMode playMode_ = PLAY_MODE_RANDOM;
    std::int32_t playedCount_ = 0;  // headings plus file rows made current in this round
    std::uint8_t includeSubFolders_ = 0;
    std::uint8_t allFiles_ = 0;
    std::int32_t choosableCount_ = 0;      // file rows not marked unplayable
    std::int32_t unplayableUnplayed_ = 0;  // unplayable file rows not yet played this round:
                                           // they count as played when a round ends
    std::uint64_t generation_ = 0;         // changes whenever played flags may be cleared

    // Where the last random choice stopped in its sequence of draws. Within one second
    // every choice reseeds identically, and rows rejected earlier stay rejected until the
    // flags are cleared, so the next choice in that second may go on from here instead of
    // drawing the same rejected rows again: same result, linear instead of quadratic.
    struct RandomCursor {
        bool valid = false;
        std::uint32_t seed = 0;
        std::uint64_t generation = 0;
        CRuntimeRandom random{0};
        std::uint64_t tries = 0;
    };
    RandomCursor cursor_;

    std::atomic<std::int32_t> scanDepth_{-1};  // written by the folder scan on the worker

    // The loader worker: started and joined by the user-interface thread only.
    std::thread worker_;
    std::atomic<bool> cancelWorker_{false};  // set by StopWorker, polled by the worker
    NotifyTarget notify_;                    // set before the worker starts, read by it
};

}  // namespace hgf
