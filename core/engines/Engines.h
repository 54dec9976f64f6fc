// The playback engines as the playback control sees them. Each is tried in a fixed
// order; an engine that is absent (null) is skipped. The implementations live beside this
// file (portable where they can be) or in win32/.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Messenger.h"

namespace hgf {

// MP3 playback. Open is one attempt (initialise, open, and on refusal free again).
class Mp3Engine {
  public:
    virtual ~Mp3Engine() = default;
    virtual bool Open(const std::string& path) = 0;
    // Calls `onEnd` (from the engine's own thread) when the file has finished playing,
    // until Close. The playback control checks that the playback is still current.
    virtual void ArmEndCallback(void (*onEnd)(void* context), void* context) = 0;
    virtual void SetVolume(int volume) = 0;  // 0..100 for left and right
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Restart() = 0;
    // Disarms the end callback, closes the file and frees the engine.
    virtual void Close() = 0;
    // Between Open and Play: the playback begins `ms` milliseconds into the file. False
    // (the playback begins at the start) when the position is at or past the file's end
    // or the engine cannot seek.
    virtual bool SeekMs(std::int64_t ms) { return false; }
    // Milliseconds into the open file, or -1 when the engine cannot tell.
    virtual std::int64_t PositionMs() { return -1; }
};

// The system's media services (filter graph, or the media control interface).
class MediaEngine {
  public:
    virtual ~MediaEngine() = default;
    virtual bool Open(const std::string& path) = 0;
    virtual void Play(WindowHandle notifyWindow) = 0;
    virtual void Pause() = 0;
    virtual void Close() = 0;
    virtual void SetVolume(int attenuation) = 0;  // hundredths of a decibel, -10000..0
    // Runs on the media watcher thread: sleeps until the playback completes (true), or
    // returns false when there is nothing to wait on (the end then reaches the main window
    // another way) or CancelWait was called.
    virtual bool WaitForCompletion() = 0;
    // Ends a WaitForCompletion on another thread, and any that starts before the next Open.
    virtual void CancelWait() = 0;
    // Between Open and Play, as Mp3Engine::SeekMs.
    virtual bool SeekMs(std::int64_t ms) { return false; }
    // Milliseconds into the open file, or -1 when the engine cannot tell.
    virtual std::int64_t PositionMs() { return -1; }
};

// The MML synthesizer library, loaded for each attempt.
class MmlBridge {
  public:
    virtual ~MmlBridge() = default;
    virtual bool Bind(WindowHandle window) = 0;
    virtual bool Load(const std::string& path) = 0;
    virtual bool Start() = 0;
    virtual void Halt() = 0;
    virtual void Resume() = 0;
    virtual void SetVolume(int attenuation) = 0;  // hundredths of a decibel, -10000..0
    virtual void Unload() = 0;
};

// Conversion of a file that the media engine has opened into a MIDI file to play instead.
class SmfConverter {
  public:
    virtual ~SmfConverter() = default;
    // -1: a file was written at `outputPath` and is to be played instead of the item.
    virtual int Convert(WindowHandle window, const std::string& itemPath,
                        const std::string& outputPath, const std::string& configPath) = 0;
    // Where the converted file goes (the running program's path with ".mid" appended).
    virtual std::string OutputPath() = 0;
};

// A stream player (Ogg Vorbis; FLAC and Opus): decodes the file itself and feeds the
// waveform output.
class StreamEngine {
  public:
    virtual ~StreamEngine() = default;
    virtual bool Open(const std::string& path) = 0;
    virtual bool Start() = 0;
    virtual void Pause() = 0;
    virtual void Close() = 0;
    virtual void SetGain(float gain) = 0;
    // The end-of-track delay for the file at `path` in milliseconds, or -1 when its length
    // cannot be read.
    virtual std::int64_t LengthMs(const std::string& path) = 0;
    // True once the whole stream has been queued and played.
    virtual bool Finished() = 0;
    // Between Open and Start: the playback begins `ms` milliseconds into the stream. False
    // when the engine cannot seek (it then begins at the start).
    virtual bool SeekMs(std::int64_t ms) { return false; }
    // Milliseconds into the open stream of the sound played so far, or -1 when the engine
    // cannot tell.
    virtual std::int64_t PositionMs() { return -1; }
};

}  // namespace hgf
