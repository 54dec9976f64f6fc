// Plays the current row of the live list with the first engine that accepts it (MP3,
// FLAC and Opus, media, MML, Ogg Vorbis, in that order), and reports the end of each track: whoever
// detects it advances the play order and posts the end-of-track message, unless that
// playback was stopped or replaced in the meantime. Portable: engines, file system and
// window messages come in through interfaces.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>  // also the clocks: <chrono> itself does not compile for code page 932

#include "engines/Engines.h"
#include "platform/FileSystem.h"
#include "platform/Messenger.h"
#include "playlist/Playlist.h"

namespace hgf {

// The engines the playback control may use; an absent (null) engine is skipped. The
// objects outlive the PlaybackControl.
struct PlaybackEngines {
    Mp3Engine* mp3 = nullptr;
    MediaEngine* media = nullptr;
    MmlBridge* mml = nullptr;
    StreamEngine* ogg = nullptr;
    SmfConverter* smf = nullptr;
    StreamEngine* flacOpus = nullptr;  // takes only files whose content is FLAC or Opus
};

// One pass over the rows: the current row is tried, and each row that no engine accepts is
// marked unplayable and the next one tried, until a row starts or every row has failed.
struct PlayPass {
    std::int32_t attemptsLeft = -1;  // -1: not begun (then one per row, and one more)
};
enum class PassOutcome {
    kStarted,          // a row plays
    kNothingPlayable,  // every row failed; the playback is stopped
    kUnfinished,       // the time given ran out; the pass goes on with the next call
};

class PlaybackControl {
  public:
    // Starts a thread running `body` as std::thread does, throwing std::system_error when
    // the system has none to give. Tests hand in one that fails.
    using ThreadStarter = std::thread (*)(std::function<void()> body);
    static std::thread StartThread(std::function<void()> body);

    PlaybackControl(Playlist& list, FileSystem& files, Messenger& messenger,
                    PlaybackEngines engines, ThreadStarter startThread = &StartThread);
    // Stops the playback (the watcher is joined, the engine closed).
    ~PlaybackControl();
    PlaybackControl(const PlaybackControl&) = delete;
    PlaybackControl& operator=(const PlaybackControl&) = delete;

    // Stops what plays and starts the current row (moving past a heading, a row marked
    // unplayable and a missing file first). `message` goes to `window` at the end of the
    // track. A volume above 100 leaves the engine's volume as it is. False when no engine
    // accepted the row; the row is then marked unplayable, so the next call moves on.
    bool Play(WindowHandle window, unsigned message, std::uint8_t volume);
    // Play, repeated while it fails, at most once per row and once more. When nothing
    // starts, the playback stays stopped, the rows keep their marks and the result is false.
    bool PlayUntilStarted(WindowHandle window, unsigned message, std::uint8_t volume);
    // The same pass in parts: attempts are made until one starts, the pass ends, or
    // `timeGiven` has passed since this call began (at least one attempt is always made).
    PassOutcome ContinuePass(PlayPass& pass, WindowHandle window, unsigned message,
                             std::uint8_t volume, std::chrono::steady_clock::duration timeGiven);
    // Ends the playback; no end-of-track message follows.
    void Stop();
    // Pauses when playing, resumes when not; returns the new playing flag.
    bool TogglePause();
    // 0..100 applied to the current engine; above 100 nothing changes.
    void SetVolume(std::uint8_t volume);
    // The next track that starts begins `positionMs` into it, when its path is `path`: an
    // MP3, stream or media file whose engine can seek and whose known length is longer. Any
    // track that starts uses this up.
    void StartNextAt(const std::string& path, std::int64_t positionMs);
    // Milliseconds into the current track, or -1 when nothing plays or its engine cannot
    // tell (an MML song, a converted MIDI file).
    std::int64_t PositionMs();

    EngineKind GetEngineKind() const { return engineKind_; }
    bool IsPlaying() const { return playing_; }
    // Milliseconds the timed watcher of the current MML or stream playback waits; -1: the
    // stream's length is unknown and the watcher waits for the stream's end.
    std::int64_t EndOfTrackDelayMs() const { return endDelayMs_; }

  private:
    // `startMs`: where the track is to begin (0: at its start).
    bool TryMp3(const std::string& path, std::uint8_t volume, std::int64_t startMs);
    bool TryMedia(const std::string& path, std::uint8_t volume, std::int64_t startMs);
    bool TryMml(const std::string& path, std::uint8_t volume);
    // The Ogg Vorbis player (kind ENGINE_OGG) or the FLAC and Opus player.
    bool TryStream(StreamEngine& engine, EngineKind kind, const std::string& path,
                   std::uint8_t volume, std::int64_t startMs);
    // The stream player of the current playback, or null.
    StreamEngine* CurrentStream() const;
    void Started(EngineKind kind);
    void StopEngine();
    void ApplyVolume(std::uint8_t volume);
    void SetPlaying(bool playing);
    // The watcher thread of the current playback: waits for the delay (delayMs >= 0), for
    // the stream's end (delayMs < 0), or for the media engine's completion. False when
    // no thread could be started: the track would have no end, so it does not start.
    bool StartWatcher(bool media, std::int64_t delayMs);
    void RunWatcher(std::uint64_t generation, bool media, std::int64_t delayMs);
    // Advances the play order and posts the end-of-track message, if `generation` is
    // still the current playback and has not reported yet.
    void ReportEnd(std::uint64_t generation);
    static void OnMp3End(void* self);

    Playlist& list_;
    FileSystem& files_;
    Messenger& messenger_;
    PlaybackEngines engines_;
    ThreadStarter startThread_;

    // The user-interface thread's view of the playback (authoritative; mirrored into the
    // list's playback fields for readers of those).
    EngineKind engineKind_ = ENGINE_NONE;
    bool playing_ = false;
    std::int64_t endDelayMs_ = 0;
    std::thread watcher_;
    std::string startPath_;  // StartNextAt
    std::int64_t startMs_ = 0;

    // Shared with the watcher thread and the MP3 engine's thread, under mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;     // tells the watcher that it is cancelled
    std::uint64_t generation_ = 0;     // counts playbacks; Stop and Play move it on
    std::uint64_t reported_ = 0;       // the last generation that reported its end
    std::uint64_t mp3Generation_ = 0;  // the playback that armed the MP3 end callback
    bool cancelWatcher_ = false;
    NotifyTarget notify_;  // written by Play, read by ReportEnd
};

}  // namespace hgf
