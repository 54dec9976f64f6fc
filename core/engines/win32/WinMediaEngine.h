// The media engine: a DirectShow filter graph for each file, and the media control
// interface (device alias "music") when no graph can be made or it cannot render the file.
// Video is never shown. One object per core; Open, Play, Pause, Close and SetVolume run on
// the main thread, WaitForCompletion on the media watcher thread.
#pragma once

#include <windows.h>

#include <optional>

#include "engines/Engines.h"
#include "engines/MciCommands.h"

struct IGraphBuilder;
struct IMediaControl;
struct IMediaEvent;
struct IBasicAudio;
struct IMediaSeeking;
struct IVideoWindow;

namespace hgf {

// Sends the commands with mciSendString, asking for no return string.
class WinMciChannel final : public MciChannel {
  public:
    std::uint32_t Send(const std::string& command, WindowHandle notifyWindow) override;
    std::uint32_t Query(const std::string& command, std::string& answer) override;
};

class WinMediaEngine final : public MediaEngine {
  public:
    // Makes the filter graph of one file (an in-process instance of the filter graph
    // class). Tests hand in one that fails, as on a system without DirectShow.
    using GraphFactory = HRESULT (*)(IGraphBuilder** graph);
    static HRESULT CreateFilterGraph(IGraphBuilder** graph);

    explicit WinMediaEngine(MciChannel& mci, GraphFactory createGraph = &CreateFilterGraph);
    // Closes the file.
    ~WinMediaEngine() override;
    WinMediaEngine(const WinMediaEngine&) = delete;
    WinMediaEngine& operator=(const WinMediaEngine&) = delete;

    // Closes the previous file, then renders `path` (code page 932) with a new graph, or
    // opens it through MCI. False when neither takes it.
    bool Open(const std::string& path) override;
    void Play(WindowHandle notifyWindow) override;
    void Pause() override;
    void Close() override;
    void SetVolume(int attenuation) override;
    // DirectShow mode: sleeps until the graph reports completion (true), or its playback
    // was aborted (also true: the track is over). MCI mode, or a graph without its event
    // interface: false at once (no end is reported from here; in MCI mode the main window
    // hears of it through MM_MCINOTIFY). COM is initialised on the calling thread meanwhile.
    bool WaitForCompletion() override;
    void CancelWait() override;
    // DirectShow mode: moves the graph's position. MCI mode: the play command plays from
    // there (a device that refuses it plays from the start). False at or past the file's
    // end, or when the length cannot be read.
    bool SeekMs(std::int64_t ms) override;
    // The graph's or the device's position; -1 when it cannot be read.
    std::int64_t PositionMs() override;

    // True when the file is open through MCI, or DirectShow was not available.
    bool InMciMode() const { return mciMode_; }
    // True when `device` (the lParam of MM_MCINOTIFY) is the device of the file open now.
    bool IsCurrentMciDevice(std::uintptr_t device) const {
        return mciMode_ && mciDevice_ != 0 && device == mciDevice_;
    }
    // The graph's volume in hundredths of a decibel; nullopt without a graph.
    std::optional<long> GraphVolume() const;

  private:
    // The first step of every Open: a new graph with its five interfaces, or MCI mode.
    void SetUpGraph();
    // Releases the interfaces obtained so far, the last first, and clears them.
    void ReleaseInterfaces();
    // Removes the MM_MCINOTIFY messages still queued for the notify window (this thread's).
    void DiscardMciNotifications();
    void UninitializeCom();

    MciChannel& mci_;
    GraphFactory createGraph_;
    HANDLE cancelWait_;  // manual-reset: set by CancelWait, cleared by Open

    bool mciMode_ = false;
    std::uintptr_t mciDevice_ = 0;    // MCI mode: the open device's id; 0 when closed
    bool mciPaused_ = false;          // MCI mode: paused since the last play command
    HWND mciNotifyWindow_ = nullptr;  // MCI mode: where the play command's notification goes
    std::int64_t mciStartMs_ = 0;     // MCI mode: SeekMs's position for the next play command
    IGraphBuilder* graphBuilder_ = nullptr;
    IMediaControl* mediaControl_ = nullptr;  // run and pause
    IMediaEvent* mediaEvent_ = nullptr;      // completion wait
    IBasicAudio* basicAudio_ = nullptr;      // volume
    IMediaSeeking* mediaSeeking_ = nullptr;  // non-null: a live graph for the watcher
    IVideoWindow* videoWindow_ = nullptr;    // hides video
    HANDLE graphEvents_ = nullptr;  // set while the graph has events queued (the graph's own)
    // The set-up initialised COM on this thread and no Close has uninitialised it yet.
    bool comInitialized_ = false;
};

}  // namespace hgf
