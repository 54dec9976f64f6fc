// The media engine over DirectShow and the media control interface. Paths and command
// strings go to Windows in UTF-16, converted from code page 932.
#include "engines/win32/WinMediaEngine.h"

#include <dshow.h>
#include <mmsystem.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/win32/WideText.h"

namespace hgf {
namespace {

constexpr DWORD kEmptyWakeRestMs = 100;  // the graph's event was set but held no event

bool IsAscii(std::wstring_view text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}

// The path as MCI's devices take it. They open files through the ANSI functions (in the
// system's code page, which may lack the path's characters), so a path beyond ASCII goes as
// its short path, which is ASCII where the volume keeps short names.
std::string MciPath(const std::string& path) {
    const std::wstring wide = WideFromCodePage932(path);
    if (IsAscii(wide)) return path;
    wchar_t shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameW(wide.c_str(), shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !IsAscii({shortPath, length})) return path;
    return std::string(shortPath, shortPath + length);
}

template <typename Interface>
void ReleaseAndClear(Interface*& pointer) {
    if (pointer) pointer->Release();
    pointer = nullptr;
}

template <typename Interface>
bool Query(IGraphBuilder* graph, const GUID& iid, Interface*& pointer) {
    return SUCCEEDED(graph->QueryInterface(iid, reinterpret_cast<void**>(&pointer))) && pointer;
}

}  // namespace

std::uint32_t WinMciChannel::Send(const std::string& command, WindowHandle notifyWindow) {
    return mciSendStringW(WideFromCodePage932(command).c_str(), nullptr, 0,
                          static_cast<HWND>(notifyWindow));
}

std::uint32_t WinMciChannel::Query(const std::string& command, std::string& answer) {
    wchar_t text[64] = {};
    const MCIERROR error =
        mciSendStringW(WideFromCodePage932(command).c_str(), text, std::size(text), nullptr);
    // The queries asked are numbers: their digits are ASCII.
    answer.clear();
    for (const wchar_t* c = text; error == 0 && *c && *c < 0x80; ++c)
        answer += static_cast<char>(*c);
    return error;
}

HRESULT WinMediaEngine::CreateFilterGraph(IGraphBuilder** graph) {
    return CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                            reinterpret_cast<void**>(graph));
}

WinMediaEngine::WinMediaEngine(MciChannel& mci, GraphFactory createGraph)
    : mci_(mci),
      createGraph_(createGraph),
      cancelWait_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

WinMediaEngine::~WinMediaEngine() {
    Close();
    if (cancelWait_) CloseHandle(cancelWait_);
}

void WinMediaEngine::SetUpGraph() {
    Close();
    ReleaseInterfaces();
    mciMode_ = false;

    if (FAILED(CoInitialize(nullptr))) {
        mciMode_ = true;
        return;
    }
    comInitialized_ = true;
    IGraphBuilder* graph = nullptr;
    if (FAILED(createGraph_(&graph)) || !graph) {
        mciMode_ = true;
        UninitializeCom();
        return;
    }
    graphBuilder_ = graph;
    if (!Query(graph, IID_IMediaControl, mediaControl_) ||
        !Query(graph, IID_IMediaEvent, mediaEvent_) ||
        !Query(graph, IID_IBasicAudio, basicAudio_) ||
        !Query(graph, IID_IMediaSeeking, mediaSeeking_) ||
        !Query(graph, IID_IVideoWindow, videoWindow_)) {
        ReleaseInterfaces();
        mciMode_ = true;
        UninitializeCom();
    }
}

bool WinMediaEngine::Open(const std::string& path) {
    mciStartMs_ = 0;
    SetUpGraph();
    if (cancelWait_) ResetEvent(cancelWait_);
    if (!mciMode_) {
        const std::wstring widePath = WideFromCodePage932(path);
        if (!widePath.empty() && SUCCEEDED(graphBuilder_->RenderFile(widePath.c_str(), nullptr))) {
            // Audio-only graphs refuse these; the results do not matter.
            videoWindow_->put_AutoShow(OAFALSE);
            videoWindow_->put_Visible(OAFALSE);
            OAEVENT events = 0;
            if (SUCCEEDED(mediaEvent_->GetEventHandle(&events)))
                graphEvents_ = reinterpret_cast<HANDLE>(events);
            return true;
        }
        Close();
    }
    const std::string open = MciOpenCommand(MciPath(path));
    if (open.empty() || mci_.Send(open, nullptr) != 0) return false;
    mciMode_ = true;
    mciDevice_ = mciGetDeviceIDW(L"music");
    return true;
}

void WinMediaEngine::Play(WindowHandle notifyWindow) {
    if (!mciMode_) {
        if (mediaControl_) mediaControl_->Run();
        return;
    }
    if (mciPaused_) mci_.Send(kMciResume, nullptr);  // a device without it resumes on play
    mciPaused_ = false;
    mciNotifyWindow_ = static_cast<HWND>(notifyWindow);
    const std::int64_t from = std::exchange(mciStartMs_, 0);
    const bool played = (from > 0 && mci_.Send(MciPlayFromCommand(from), notifyWindow) == 0) ||
                        mci_.Send(kMciPlay, notifyWindow) == 0;
    if (played) {
        mci_.Send(kMciHideWindow, nullptr);
        mci_.Send(kMciVideoOff, nullptr);
    }
}

void WinMediaEngine::Pause() {
    if (!mciMode_) {
        if (mediaControl_) mediaControl_->Pause();
        return;
    }
    mci_.Send(kMciPause, nullptr);
    mciPaused_ = true;
}

void WinMediaEngine::Close() {
    if (mciMode_) {
        mci_.Send(kMciClose, nullptr);
        mciDevice_ = 0;
        mciPaused_ = false;
        DiscardMciNotifications();
        return;
    }
    ReleaseInterfaces();
    UninitializeCom();
}

void WinMediaEngine::SetVolume(int attenuation) {
    if (!mciMode_) {
        if (basicAudio_) basicAudio_->put_Volume(attenuation);
        return;
    }
    for (const std::string& command : MciVolumeCommands(attenuation))
        mci_.Send(command, nullptr);
}

bool WinMediaEngine::WaitForCompletion() {
    // Play and Stop end the watcher before they close the file, so the pointers stay valid.
    IMediaEvent* events = mediaEvent_;
    const HANDLE queued = graphEvents_;
    if (mciMode_ || !events || !mediaSeeking_ || !queued || !cancelWait_) return false;
    // The graph's interfaces are used on this thread too.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    // Asleep until the graph queues an event: a paused graph queues none. (Its own
    // completion wait returns at once while the graph is paused.)
    const HANDLE wakers[] = {cancelWait_, queued};
    bool ended = false;
    while (!ended && WaitForMultipleObjects(2, wakers, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        long code = 0;
        LONG_PTR first = 0, second = 0;
        bool took = false;
        while (!ended && events->GetEvent(&code, &first, &second, 0) == S_OK) {
            events->FreeEventParams(code, first, second);
            ended = code == EC_COMPLETE || code == EC_ERRORABORT || code == EC_USERABORT;
            took = true;
        }
        if (!took) Sleep(kEmptyWakeRestMs);  // never spin on an event that stays set
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return ended;
}

void WinMediaEngine::CancelWait() {
    if (cancelWait_) SetEvent(cancelWait_);
}

bool WinMediaEngine::SeekMs(std::int64_t ms) {
    if (mciMode_) {
        std::string length;
        if (ms <= 0 || mciDevice_ == 0 || mci_.Send(kMciTimeFormatMs, nullptr) != 0 ||
            mci_.Query(kMciLength, length) != 0 || ms >= MciNumber(length))
            return false;
        mciStartMs_ = ms;
        return true;
    }
    // The graph's default time format: units of 100 ns.
    LONGLONG duration = 0;
    if (!mediaSeeking_ || ms <= 0 || FAILED(mediaSeeking_->GetDuration(&duration))) return false;
    LONGLONG position = ms * 10000;
    if (position >= duration) return false;
    return SUCCEEDED(mediaSeeking_->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr,
                                                 AM_SEEKING_NoPositioning));
}

std::int64_t WinMediaEngine::PositionMs() {
    if (mciMode_) {
        std::string position;
        if (mciDevice_ == 0 || mci_.Send(kMciTimeFormatMs, nullptr) != 0 ||
            mci_.Query(kMciPosition, position) != 0)
            return -1;
        return MciNumber(position);
    }
    LONGLONG position = 0;
    if (!mediaSeeking_ || FAILED(mediaSeeking_->GetCurrentPosition(&position))) return -1;
    return position / 10000;
}

std::optional<long> WinMediaEngine::GraphVolume() const {
    long volume = 0;
    if (mciMode_ || !basicAudio_ || FAILED(basicAudio_->get_Volume(&volume))) return std::nullopt;
    return volume;
}

void WinMediaEngine::ReleaseInterfaces() {
    graphEvents_ = nullptr;  // the graph's, gone with it
    ReleaseAndClear(videoWindow_);
    ReleaseAndClear(mediaSeeking_);
    ReleaseAndClear(basicAudio_);
    ReleaseAndClear(mediaEvent_);
    ReleaseAndClear(mediaControl_);
    ReleaseAndClear(graphBuilder_);
}

void WinMediaEngine::DiscardMciNotifications() {
    // Once the device is closed, whatever it reported before is about a playback that no
    // longer exists; a success among it would end the next file, which may well get the
    // same device id.
    if (!mciNotifyWindow_) return;
    MSG message;
    while (PeekMessageA(&message, mciNotifyWindow_, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE)) {
    }
    mciNotifyWindow_ = nullptr;
}

void WinMediaEngine::UninitializeCom() {
    if (!comInitialized_) return;
    CoUninitialize();
    comInitialized_ = false;
}

}  // namespace hgf
