// The MP3 engine: opens, plays and stops MP3 files through the vbmp3 functions, in the
// order that library expects, and turns its end-of-file callback into the playback
// control's end-of-track call while a playback is armed.
#pragma once

#include <functional>
#include <string>

#include "engines/Engines.h"
#include "vbmp3.h"

namespace hgf {

// The library's functions, as the engine calls them (tests hand in recording ones).
struct Vbmp3Functions {
    int32_t(VBMP3_CALL* init)();
    int32_t(VBMP3_CALL* open)(const char* path, VBMP3_INPUT_INFO* info);
    int32_t(VBMP3_CALL* callback)(VBMP3_CALLBACK callback);
    int32_t(VBMP3_CALL* setSoftVolume)(int32_t left, int32_t right);
    int32_t(VBMP3_CALL* reload)();
    int32_t(VBMP3_CALL* play)();
    int32_t(VBMP3_CALL* pause)();
    int32_t(VBMP3_CALL* restart)();
    int32_t(VBMP3_CALL* close)();
    int32_t(VBMP3_CALL* stopCallback)();
    int32_t(VBMP3_CALL* free)();
    int32_t(VBMP3_CALL* getFileTagInfo)(const char* path, VBMP3_TAG_INFO* tag);
    // Null in a library without them: its files then play from their start.
    int32_t(VBMP3_CALL* seek)(int32_t milliseconds);
    int32_t(VBMP3_CALL* getPosition)(int32_t* milliseconds);
};

// The library's functions, the library bound at the first call; null while it is absent
// (MP3 files then go on to the next engine). May be called from several threads.
using Vbmp3Binding = std::function<const Vbmp3Functions*()>;

class Vbmp3Engine final : public Mp3Engine {
  public:
    explicit Vbmp3Engine(Vbmp3Binding binding);
    ~Vbmp3Engine() override;
    Vbmp3Engine(const Vbmp3Engine&) = delete;
    Vbmp3Engine& operator=(const Vbmp3Engine&) = delete;

    // init, then open; a refused file is freed again at once. False without the library.
    // The calls below but Close follow an Open that returned true.
    bool Open(const std::string& path) override;
    // Arms the callback context with `onEnd` and registers EndCallback with the library.
    void ArmEndCallback(void (*onEnd)(void* context), void* context) override;
    // setSoftVolume(v, v), then reload.
    void SetVolume(int volume) override;
    void Play() override;
    void Pause() override;
    void Restart() override;
    // Disarms, then close, stopCallback and free.
    void Close() override;
    // seek and getPosition, where the library has them.
    bool SeekMs(std::int64_t ms) override;
    std::int64_t PositionMs() override;

    // The end callback registered with the library (one context per process):
    // -2 disarms, -1 arms again with the handler of the last ArmEndCallback, 4 (the end
    // of the file) calls the armed handler; other codes do nothing. Once a disarm has
    // returned, no handler call runs or follows until the next arming.
    static void VBMP3_CALL EndCallback(int32_t code, intptr_t parameter);

  private:
    Vbmp3Binding binding_;
    const Vbmp3Functions* functions_ = nullptr;  // from the binding, at the first Open
};

// The title stored in the tags of the file at `path`, through getFileTagInfo; false when
// the file has no tag or its title is empty.
bool ReadTagTitle(const Vbmp3Functions& functions, const std::string& path, std::string& title);

}  // namespace hgf
