// Engine dispatch, pause and volume, and the end-of-track watchers.
#include "engines/PlaybackControl.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "platform/ThreadName.h"
#include "playlist/PathText.h"

namespace hgf {
namespace {

using namespace std::chrono_literals;

constexpr auto kStreamEndPoll = 100ms;  // a watcher waiting for a stream's end

// The extension: the text from the last "." on (a Shift_JIS trail byte is never a "."),
// in lower case; empty without a ".".
std::string LowerCaseExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) return {};
    std::string extension = path.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// ".wma", ".wmv" and ".asf" never go to the MP3 engine.
bool IsWindowsMediaPath(const std::string& path) {
    const std::string extension = LowerCaseExtension(path);
    return extension == ".wma" || extension == ".wmv" || extension == ".asf";
}

// The synthesizer library loads songs (".mml") and sound-effect sets (".dat") only.
bool IsSynthesizerPath(const std::string& path) {
    const std::string extension = LowerCaseExtension(path);
    return extension == ".mml" || extension == ".dat";
}

// Volume 0..100 as an attenuation in hundredths of a decibel, -10000..0.
int Attenuation(std::uint8_t volume) {
    return 100 * volume - 10000;
}

}  // namespace

std::thread PlaybackControl::StartThread(std::function<void()> body) {
    return std::thread(std::move(body));
}

PlaybackControl::PlaybackControl(Playlist& list, FileSystem& files, Messenger& messenger,
                                 PlaybackEngines engines, ThreadStarter startThread)
    : list_(list),
      files_(files),
      messenger_(messenger),
      engines_(engines),
      startThread_(startThread) {}

PlaybackControl::~PlaybackControl() {
    Stop();
}

bool PlaybackControl::Play(WindowHandle window, unsigned message, std::uint8_t volume) {
    {
        std::lock_guard lock(mutex_);
        notify_ = {window, message};
    }
    SetPlaying(false);
    StopEngine();

    // Move past a heading, a row already marked unplayable and a missing file, once each.
    std::int32_t index = list_.GetCurrentIndex();
    PlaylistItem row = list_.GetItem(index);
    if (row.isFolder) {
        index = list_.AdvancePlayOrder();
        row = list_.GetItem(index);
    }
    if (row.unplayable) {
        index = list_.AdvancePlayOrder();
        row = list_.GetItem(index);
    }
    if (!files_.GetAttributes(WithoutTrailingSeparator(row.path))) {
        list_.MarkUnplayable(index);
        index = list_.AdvancePlayOrder();
        row = list_.GetItem(index);
    }
    // Only a list with nothing left to choose gets here with no file row to try.
    if (index < 0 || index >= list_.ItemCount() || row.isFolder || row.unplayable) return false;

    const std::string& path = row.path;
    const std::int64_t startMs = path == startPath_ ? startMs_ : 0;
    startPath_.clear();
    if (engines_.mp3 && !IsWindowsMediaPath(path) && TryMp3(path, volume, startMs)) return true;
    if (engines_.flacOpus && TryStream(*engines_.flacOpus, ENGINE_FLAC_OPUS, path, volume, startMs))
        return true;
    if (engines_.media && TryMedia(path, volume, startMs)) return true;
    if (engines_.mml && list_.mmlPlayTime >= 1 && TryMml(path, volume)) return true;
    if (engines_.ogg && TryStream(*engines_.ogg, ENGINE_OGG, path, volume, startMs)) return true;

    list_.MarkUnplayable(index);
    return false;
}

bool PlaybackControl::PlayUntilStarted(WindowHandle window, unsigned message, std::uint8_t volume) {
    PlayPass pass;
    return ContinuePass(pass, window, message, volume,
                        std::chrono::steady_clock::duration::max()) == PassOutcome::kStarted;
}

PassOutcome PlaybackControl::ContinuePass(PlayPass& pass, WindowHandle window, unsigned message,
                                          std::uint8_t volume,
                                          std::chrono::steady_clock::duration timeGiven) {
    // Every failed attempt marks a row, so one attempt per row (and one for the row
    // reached last) either starts a track or leaves nothing to choose.
    if (pass.attemptsLeft < 0) pass.attemptsLeft = list_.ItemCount() + 1;
    const auto start = std::chrono::steady_clock::now();
    while (pass.attemptsLeft > 0) {
        --pass.attemptsLeft;
        if (Play(window, message, volume)) return PassOutcome::kStarted;
        if (!list_.HasChoosableRow()) break;
        if (pass.attemptsLeft > 0 && std::chrono::steady_clock::now() - start >= timeGiven)
            return PassOutcome::kUnfinished;
    }
    pass.attemptsLeft = 0;
    Stop();
    return PassOutcome::kNothingPlayable;
}

bool PlaybackControl::TryMp3(const std::string& path, std::uint8_t volume, std::int64_t startMs) {
    if (!engines_.mp3->Open(path)) return false;
    if (startMs > 0) engines_.mp3->SeekMs(startMs);  // past the end it begins at the start
    Started(ENGINE_MP3);
    {
        std::lock_guard lock(mutex_);
        mp3Generation_ = generation_;
    }
    engines_.mp3->ArmEndCallback(&PlaybackControl::OnMp3End, this);
    ApplyVolume(volume);
    engines_.mp3->Play();
    SetPlaying(true);
    return true;
}

bool PlaybackControl::TryMedia(const std::string& path, std::uint8_t volume, std::int64_t startMs) {
    MediaEngine& media = *engines_.media;
    if (!media.Open(path)) return false;
    EngineKind kind = ENGINE_MEDIA;
    const std::string& configuration = list_.smfConversionFile;
    if (!configuration.empty() && engines_.smf) {
        const std::string converted = engines_.smf->OutputPath();
        if (engines_.smf->Convert(notify_.window, path, converted, configuration) == -1) {
            media.Close();
            if (media.Open(converted)) {
                kind = ENGINE_MEDIA_CONVERTED_MIDI;
            } else if (!media.Open(path)) {
                // Neither the converted file nor the item opens again: the attempt fails.
                return false;
            }
        }
    }
    if (!StartWatcher(true, 0)) {
        media.Close();
        return false;
    }
    Started(kind);
    ApplyVolume(volume);
    if (startMs > 0 && kind == ENGINE_MEDIA) media.SeekMs(startMs);
    media.Play(notify_.window);
    SetPlaying(true);
    return true;
}

bool PlaybackControl::TryMml(const std::string& path, std::uint8_t volume) {
    // Any other file would only cost the library's whole load, initialise, refuse and
    // release cycle.
    if (!IsSynthesizerPath(path)) return false;
    MmlBridge& mml = *engines_.mml;
    mml.Bind(notify_.window);  // a failed binding shows in Load
    if (!mml.Load(path) ||
        !StartWatcher(false, static_cast<std::int64_t>(list_.mmlPlayTime) * 1000)) {
        mml.Unload();
        return false;
    }
    Started(ENGINE_MML);
    ApplyVolume(volume);
    mml.Start();
    SetPlaying(true);
    return true;
}

bool PlaybackControl::TryStream(StreamEngine& engine, EngineKind kind, const std::string& path,
                                std::uint8_t volume, std::int64_t startMs) {
    if (!engine.Open(path)) return false;
    Started(kind);  // before the watcher, which asks for the current stream
    std::int64_t lengthMs = std::max<std::int64_t>(engine.LengthMs(path), -1);
    // A position at or past a known end begins at the start.
    const bool inside = startMs > 0 && (lengthMs < 0 || startMs < lengthMs);
    if (inside && engine.SeekMs(startMs) && lengthMs >= 0) lengthMs -= startMs;
    if (!StartWatcher(false, lengthMs)) {
        engine.Close();
        Started(ENGINE_NONE);
        return false;
    }
    ApplyVolume(volume);
    engine.Start();
    SetPlaying(true);
    return true;
}

StreamEngine* PlaybackControl::CurrentStream() const {
    switch (engineKind_) {
        case ENGINE_OGG:
            return engines_.ogg;
        case ENGINE_FLAC_OPUS:
            return engines_.flacOpus;
        default:
            return nullptr;
    }
}

void PlaybackControl::Started(EngineKind kind) {
    engineKind_ = kind;
    list_.engineKind = kind;
}

void PlaybackControl::Stop() {
    SetPlaying(false);
    StopEngine();
}

void PlaybackControl::StopEngine() {
    // The watcher goes first, so it never touches an engine that is being closed; once
    // the generation has moved on, no end of the old playback is reported any more.
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        cancelWatcher_ = true;
    }
    wake_.notify_all();
    if (watcher_.joinable() && engines_.media) engines_.media->CancelWait();
    if (watcher_.joinable()) watcher_.join();

    // The engine this object started, whatever the list's copy of the kind says.
    switch (engineKind_) {
        case ENGINE_MP3:
            engines_.mp3->Close();
            break;
        case ENGINE_MML:
            engines_.mml->Halt();
            engines_.mml->Unload();
            break;
        case ENGINE_OGG:
        case ENGINE_FLAC_OPUS:
            CurrentStream()->Close();
            break;
        case ENGINE_MEDIA:
        case ENGINE_MEDIA_CONVERTED_MIDI:
            engines_.media->Close();
            break;
        default:
            break;
    }
    engineKind_ = ENGINE_NONE;
    list_.engineKind = ENGINE_NONE;
}

bool PlaybackControl::TogglePause() {
    const bool pause = playing_;
    switch (engineKind_) {
        case ENGINE_MP3:
            pause ? engines_.mp3->Pause() : engines_.mp3->Restart();
            break;
        case ENGINE_MML:
            pause ? engines_.mml->Halt() : engines_.mml->Resume();
            break;
        case ENGINE_OGG:
        case ENGINE_FLAC_OPUS:
            pause ? CurrentStream()->Pause() : (void)CurrentStream()->Start();
            break;
        case ENGINE_MEDIA:
        case ENGINE_MEDIA_CONVERTED_MIDI:  // the converted file pauses like any media file
            pause ? engines_.media->Pause() : engines_.media->Play(notify_.window);
            break;
        default:
            break;
    }
    SetPlaying(!pause);
    return playing_;
}

void PlaybackControl::SetVolume(std::uint8_t volume) {
    ApplyVolume(volume);
}

void PlaybackControl::StartNextAt(const std::string& path, std::int64_t positionMs) {
    startPath_ = positionMs > 0 ? path : std::string();
    startMs_ = positionMs;
}

std::int64_t PlaybackControl::PositionMs() {
    switch (engineKind_) {
        case ENGINE_MP3:
            return engines_.mp3->PositionMs();
        case ENGINE_OGG:
        case ENGINE_FLAC_OPUS:
            return CurrentStream()->PositionMs();
        case ENGINE_MEDIA:
            return engines_.media->PositionMs();
        default:
            return -1;
    }
}

void PlaybackControl::ApplyVolume(std::uint8_t volume) {
    if (volume > 100) return;
    switch (engineKind_) {
        case ENGINE_MP3:
            engines_.mp3->SetVolume(volume);
            break;
        case ENGINE_MML:
            engines_.mml->SetVolume(Attenuation(volume));
            break;
        case ENGINE_OGG:
        case ENGINE_FLAC_OPUS:
            CurrentStream()->SetGain(static_cast<float>(volume) * 0.01f);
            break;
        case ENGINE_MEDIA:
        case ENGINE_MEDIA_CONVERTED_MIDI:
            engines_.media->SetVolume(Attenuation(volume));
            break;
        default:
            break;
    }
}

void PlaybackControl::SetPlaying(bool playing) {
    playing_ = playing;
    list_.playing = playing;
}

bool PlaybackControl::StartWatcher(bool media, std::int64_t delayMs) {
    endDelayMs_ = media ? 0 : delayMs;
    std::uint64_t generation;
    {
        std::lock_guard lock(mutex_);
        cancelWatcher_ = false;
        generation = generation_;
    }
    try {
        watcher_ = startThread_([=, this] { RunWatcher(generation, media, delayMs); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void PlaybackControl::RunWatcher(std::uint64_t generation, bool media, std::int64_t delayMs) {
    NameCurrentThread("hgf-watcher");
    if (media) {
        if (!engines_.media->WaitForCompletion()) return;
    } else {
        std::unique_lock lock(mutex_);
        if (delayMs >= 0) {
            // The delay runs from the start of play; pausing does not hold it.
            if (wake_.wait_for(lock, std::chrono::milliseconds(delayMs),
                               [&] { return cancelWatcher_; }))
                return;
        } else {
            // The length is unknown: the track ends when the stream has been played.
            StreamEngine* stream = CurrentStream();
            while (!cancelWatcher_ && stream) {
                lock.unlock();
                const bool finished = stream->Finished();
                lock.lock();
                if (finished) break;
                wake_.wait_for(lock, kStreamEndPoll, [&] { return cancelWatcher_; });
            }
            if (cancelWatcher_) return;
        }
    }
    ReportEnd(generation);
}

void PlaybackControl::OnMp3End(void* self) {
    auto* control = static_cast<PlaybackControl*>(self);
    std::uint64_t generation;
    {
        std::lock_guard lock(control->mutex_);
        generation = control->mp3Generation_;
    }
    control->ReportEnd(generation);
}

void PlaybackControl::ReportEnd(std::uint64_t generation) {
    // Held while advancing and posting, so a Stop either comes before (and nothing is
    // reported) or waits until the message is on its way.
    std::lock_guard lock(mutex_);
    if (generation != generation_ || reported_ == generation) return;
    reported_ = generation;
    list_.AdvancePlayOrder();
    messenger_.Post(notify_.window, notify_.message, 0, 0);
}

}  // namespace hgf
