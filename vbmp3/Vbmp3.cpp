// The library's functions over one process-wide player.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>

#include "Mp3Player.h"
#include "Vbmp3Platform.h"
#include "vbmp3.h"

namespace hgf::vbmp3 {
namespace {

struct Library {
    // Held by every call but vbmp3_getFileTagInfo.
    std::mutex mutex;
    // Written by InstallPlatform only (no other call runs then); read by every call.
    // Empty: the system's services.
    Platform installed;
    std::unique_ptr<Mp3Player> player;  // made at the first open
    int left = 100;                     // set by vbmp3_setSoftVolume, applied by vbmp3_reload
    int right = 100;
    // Written by vbmp3_callback and vbmp3_stopCallback, read by the playback thread.
    std::atomic<VBMP3_CALLBACK> callback{nullptr};
};

Library& TheLibrary() {
    static Library library;
    return library;
}

Platform Services(const Library& library) {
    const Platform& installed = library.installed;
    if (installed.files || installed.output || installed.toCodePage932) return installed;
    return SystemPlatform();
}

void FreeLocked(Library& library) {
    if (library.player) library.player->Close();
    library.player.reset();
    library.callback = nullptr;
    library.left = library.right = 100;
}

void OnPlayedOut() {
    if (VBMP3_CALLBACK callback = TheLibrary().callback.load()) callback(VBMP3_END_OF_FILE, 0);
}

// Runs `action` on the open player; 0 when none is open.
template <typename Action>
int32_t WithOpenPlayer(Action action) {
    Library& library = TheLibrary();
    std::lock_guard lock(library.mutex);
    if (!library.player || !library.player->IsOpen()) return 0;
    action(*library.player);
    return 1;
}

void CopyText(char (&field)[VBMP3_TAG_TEXT_BYTES], const std::string& text) {
    const std::string cut = CutShiftJis(text, VBMP3_TAG_TEXT_BYTES - 1);
    std::memcpy(field, cut.data(), cut.size());
    field[cut.size()] = '\0';
}

}  // namespace

void InstallPlatform(const Platform& platform) {
    Library& library = TheLibrary();
    std::lock_guard lock(library.mutex);
    FreeLocked(library);
    library.installed = platform;
}

}  // namespace hgf::vbmp3

using hgf::vbmp3::Library;
using hgf::vbmp3::TheLibrary;

extern "C" {

int32_t VBMP3_CALL vbmp3_init(void) {
    Library& library = TheLibrary();
    std::lock_guard lock(library.mutex);
    if (library.player) library.player->Close();  // a playback nobody freed
    library.left = library.right = 100;
    return 1;
}

int32_t VBMP3_CALL vbmp3_open(const char* path, VBMP3_INPUT_INFO* info) {
    Library& library = TheLibrary();
    std::lock_guard lock(library.mutex);
    const hgf::vbmp3::Platform platform = hgf::vbmp3::Services(library);
    if (!path || !platform.files || !platform.output) return 0;
    if (!library.player)
        library.player = std::make_unique<hgf::vbmp3::Mp3Player>(*platform.files, *platform.output);
    hgf::vbmp3::Mp3Player& player = *library.player;
    if (!player.Open(path, &hgf::vbmp3::OnPlayedOut)) return 0;
    if (info) {
        const hgf::vbmp3::Mp3Stream& stream = player.Stream();
        const hgf::vbmp3::MpegFrameHeader& first = stream.FirstFrame();
        info->channels = static_cast<int32_t>(stream.Channels());
        info->samplesPerSecond = static_cast<int32_t>(stream.Rate());
        info->bitrate = first.bitrate;
        info->layer = first.layer;
        info->version = first.version;
        info->lengthMilliseconds = -1;
        if (std::optional<std::int64_t> samples = stream.LengthInSamples())
            info->lengthMilliseconds = static_cast<int32_t>(
                std::min<std::int64_t>(*samples * 1000 / stream.Rate(), INT32_MAX));
    }
    return 1;
}

int32_t VBMP3_CALL vbmp3_callback(VBMP3_CALLBACK callback) {
    TheLibrary().callback = callback;
    return 1;
}

int32_t VBMP3_CALL vbmp3_setSoftVolume(int32_t left, int32_t right) {
    Library& library = TheLibrary();
    std::lock_guard lock(library.mutex);
    library.left = std::clamp<int32_t>(left, 0, 100);
    library.right = std::clamp<int32_t>(right, 0, 100);
    return 1;
}

int32_t VBMP3_CALL vbmp3_reload(void) {
    Library& library = TheLibrary();
    return hgf::vbmp3::WithOpenPlayer(
        [&](hgf::vbmp3::Mp3Player& player) { player.SetVolume(library.left, library.right); });
}

int32_t VBMP3_CALL vbmp3_play(void) {
    return hgf::vbmp3::WithOpenPlayer([](hgf::vbmp3::Mp3Player& player) { player.Play(); });
}

int32_t VBMP3_CALL vbmp3_pause(void) {
    return hgf::vbmp3::WithOpenPlayer([](hgf::vbmp3::Mp3Player& player) { player.Pause(); });
}

int32_t VBMP3_CALL vbmp3_restart(void) {
    return hgf::vbmp3::WithOpenPlayer([](hgf::vbmp3::Mp3Player& player) { player.Restart(); });
}

int32_t VBMP3_CALL vbmp3_close(void) {
    Library& library = TheLibrary();
    std::lock_guard lock(library.mutex);
    if (library.player) library.player->Close();
    return 1;
}

int32_t VBMP3_CALL vbmp3_seek(int32_t milliseconds) {
    Library& library = TheLibrary();
    std::lock_guard lock(library.mutex);
    return library.player && library.player->StartAt(milliseconds) ? 1 : 0;
}

int32_t VBMP3_CALL vbmp3_getPosition(int32_t* milliseconds) {
    Library& library = TheLibrary();
    std::lock_guard lock(library.mutex);
    if (!milliseconds || !library.player || !library.player->IsOpen()) return 0;
    *milliseconds =
        static_cast<int32_t>(std::clamp<std::int64_t>(library.player->PositionMs(), 0, INT32_MAX));
    return 1;
}

int32_t VBMP3_CALL vbmp3_stopCallback(void) {
    TheLibrary().callback = nullptr;
    return 1;
}

int32_t VBMP3_CALL vbmp3_free(void) {
    Library& library = TheLibrary();
    std::lock_guard lock(library.mutex);
    hgf::vbmp3::FreeLocked(library);
    return 1;
}

int32_t VBMP3_CALL vbmp3_getFileTagInfo(const char* path, VBMP3_TAG_INFO* tag) {
    if (!tag) return 0;
    std::memset(tag, 0, sizeof *tag);
    const hgf::vbmp3::Platform platform = hgf::vbmp3::Services(TheLibrary());
    if (!path || !platform.files || !platform.toCodePage932) return 0;
    std::unique_ptr<hgf::InputFile> file = platform.files->OpenRead(path);
    if (!file) return 0;
    std::optional<hgf::vbmp3::TagTexts> texts = hgf::vbmp3::ReadTags(*file, platform.toCodePage932);
    if (!texts) return 0;
    hgf::vbmp3::CopyText(tag->title, texts->title);
    hgf::vbmp3::CopyText(tag->artist, texts->artist);
    hgf::vbmp3::CopyText(tag->album, texts->album);
    return 1;
}

}  // extern "C"
