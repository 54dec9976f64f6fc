// The MP3 engine over the vbmp3 functions, and its process-wide callback context.
#include "engines/Vbmp3Engine.h"

#include <cstdint>
#include <mutex>

namespace hgf {
namespace {

// The MP3 callback context. Armed while an MP3 playback exists; the mutex is held while
// the handler runs, so a disarm waits for a running handler and no late one follows.
struct CallbackContext {
    std::mutex mutex;
    bool armed = false;
    void (*onEnd)(void*) = nullptr;
    void* context = nullptr;
};

CallbackContext& TheCallbackContext() {
    static CallbackContext context;
    return context;
}

constexpr int32_t kDisarm = -2;
constexpr int32_t kArm = -1;

}  // namespace

Vbmp3Engine::Vbmp3Engine(Vbmp3Binding binding) : binding_(std::move(binding)) {}

Vbmp3Engine::~Vbmp3Engine() {
    EndCallback(kDisarm, 0);
}

bool Vbmp3Engine::Open(const std::string& path) {
    if (!functions_) functions_ = binding_();
    if (!functions_) return false;
    functions_->init();
    VBMP3_INPUT_INFO info = {};
    if (functions_->open(path.c_str(), &info) == 1) return true;
    functions_->free();
    return false;
}

void Vbmp3Engine::ArmEndCallback(void (*onEnd)(void* context), void* context) {
    {
        CallbackContext& callback = TheCallbackContext();
        std::lock_guard lock(callback.mutex);
        callback.onEnd = onEnd;
        callback.context = context;
        callback.armed = onEnd != nullptr;
    }
    functions_->callback(&Vbmp3Engine::EndCallback);
}

void Vbmp3Engine::SetVolume(int volume) {
    functions_->setSoftVolume(volume, volume);
    functions_->reload();
}

void Vbmp3Engine::Play() {
    functions_->play();
}

void Vbmp3Engine::Pause() {
    functions_->pause();
}

void Vbmp3Engine::Restart() {
    functions_->restart();
}

void Vbmp3Engine::Close() {
    EndCallback(kDisarm, 0);
    if (!functions_) return;  // nothing was ever opened
    functions_->close();
    functions_->stopCallback();
    functions_->free();
}

bool Vbmp3Engine::SeekMs(std::int64_t ms) {
    if (!functions_ || !functions_->seek || ms <= 0 || ms > INT32_MAX) return false;
    return functions_->seek(static_cast<int32_t>(ms)) == 1;
}

std::int64_t Vbmp3Engine::PositionMs() {
    int32_t ms = 0;
    if (!functions_ || !functions_->getPosition || functions_->getPosition(&ms) != 1) return -1;
    return ms;
}

void VBMP3_CALL Vbmp3Engine::EndCallback(int32_t code, intptr_t) {
    CallbackContext& callback = TheCallbackContext();
    std::lock_guard lock(callback.mutex);
    switch (code) {
        case kDisarm:
            callback.armed = false;
            break;
        case kArm:
            callback.armed = callback.onEnd != nullptr;
            break;
        case VBMP3_END_OF_FILE:
            if (callback.armed) callback.onEnd(callback.context);
            break;
        default:
            break;
    }
}

bool ReadTagTitle(const Vbmp3Functions& functions, const std::string& path, std::string& title) {
    VBMP3_TAG_INFO tag = {};
    if (functions.getFileTagInfo(path.c_str(), &tag) != 1) return false;
    tag.title[sizeof tag.title - 1] = '\0';
    title = tag.title;
    return !title.empty();
}

}  // namespace hgf
