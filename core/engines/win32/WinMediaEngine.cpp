// The media engine over DirectShow and the media control interface.
#include "engines/win32/WinMediaEngine.h"

#include <dshow.h>
#include <mmsystem.h>

namespace hgf {
namespace {

constexpr int kWidePathChars = 1200;     // the path converted to UTF-16, NUL included
constexpr long kCompletionWaitMs = 100;  // one wait of the media watcher
constexpr DWORD kCompletionRetryMs = 1;  // the watcher's pause between two waits

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
    return mciSendStringA(command.c_str(), nullptr, 0, static_cast<HWND>(notifyWindow));
}

HRESULT WinMediaEngine::CreateFilterGraph(IGraphBuilder** graph) {
    return CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                            reinterpret_cast<void**>(graph));
}

WinMediaEngine::WinMediaEngine(MciChannel& mci, GraphFactory createGraph)
    : mci_(mci), createGraph_(createGraph) {}

WinMediaEngine::~WinMediaEngine() {
    Close();
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
    SetUpGraph();
    if (!mciMode_) {
        wchar_t widePath[kWidePathChars];
        const bool converted = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path.c_str(), -1,
                                                   widePath, kWidePathChars) > 0;
        if (converted && SUCCEEDED(graphBuilder_->RenderFile(widePath, nullptr))) {
            // Audio-only graphs refuse these; the results do not matter.
            videoWindow_->put_AutoShow(OAFALSE);
            videoWindow_->put_Visible(OAFALSE);
            return true;
        }
        Close();
    }
    const std::string open = MciOpenCommand(path);
    if (open.empty() || mci_.Send(open, nullptr) != 0) return false;
    mciMode_ = true;
    return true;
}

void WinMediaEngine::Play(WindowHandle notifyWindow) {
    if (!mciMode_) {
        if (mediaControl_) mediaControl_->Run();
        return;
    }
    if (mci_.Send(kMciPlay, notifyWindow) == 0) {
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
}

void WinMediaEngine::Close() {
    if (mciMode_) {
        mci_.Send(kMciClose, nullptr);
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

bool WinMediaEngine::WaitForCompletion(bool (*cancelled)(void*), void* context) {
    // Play and Stop end the watcher before they close the file, so the pointers stay valid.
    IMediaEvent* event = mediaEvent_;
    if (mciMode_ || !event || !mediaSeeking_) return false;
    long code = 0;
    while (event->WaitForCompletion(kCompletionWaitMs, &code) != S_OK) {
        if (cancelled(context)) return false;
        Sleep(kCompletionRetryMs);
    }
    return true;
}

std::optional<long> WinMediaEngine::GraphVolume() const {
    long volume = 0;
    if (mciMode_ || !basicAudio_ || FAILED(basicAudio_->get_Volume(&volume))) return std::nullopt;
    return volume;
}

void WinMediaEngine::ReleaseInterfaces() {
    ReleaseAndClear(videoWindow_);
    ReleaseAndClear(mediaSeeking_);
    ReleaseAndClear(basicAudio_);
    ReleaseAndClear(mediaEvent_);
    ReleaseAndClear(mediaControl_);
    ReleaseAndClear(graphBuilder_);
}

void WinMediaEngine::UninitializeCom() {
    if (!comInitialized_) return;
    CoUninitialize();
    comInitialized_ = false;
}

}  // namespace hgf
