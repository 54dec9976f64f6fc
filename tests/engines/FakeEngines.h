// Engines for the playback control tests: each accepts the paths it is given and writes
// every call into one shared log, so tests see the order across engines.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engines/Engines.h"

namespace hgf::test {

class CallLog {
  public:
    void Add(std::string call) {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    std::vector<std::string> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(calls_, {});
    }

  private:
    std::mutex mutex_;
    std::vector<std::string> calls_;
};

class FakeEngineBase {
  public:
    explicit FakeEngineBase(CallLog& log, std::string name) : log_(log), name_(std::move(name)) {}
    std::set<std::string> accepts;  // paths that Open (or Load) takes

  protected:
    void Log(const std::string& call) { log_.Add(name_ + "." + call); }
    bool Accepts(const std::string& path) const { return accepts.count(path) > 0; }

  private:
    CallLog& log_;
    std::string name_;
};

class FakeMp3 final : public Mp3Engine, public FakeEngineBase {
  public:
    explicit FakeMp3(CallLog& log) : FakeEngineBase(log, "mp3") {}
    bool Open(const std::string& path) override {
        Log("Open " + path);
        return Accepts(path);
    }
    void ArmEndCallback(void (*onEnd)(void*), void* context) override {
        onEnd_ = onEnd;
        context_ = context;
    }
    void SetVolume(int volume) override { Log("SetVolume " + std::to_string(volume)); }
    void Play() override { Log("Play"); }
    void Pause() override { Log("Pause"); }
    void Restart() override { Log("Restart"); }
    void Close() override { Log("Close"); }
    bool SeekMs(std::int64_t ms) override {
        Log("SeekMs " + std::to_string(ms));
        return true;
    }
    // The library's end-of-file callback, as its own thread would call it.
    void FireEnd() {
        if (onEnd_) onEnd_(context_);
    }

  private:
    void (*onEnd_)(void*) = nullptr;
    void* context_ = nullptr;
};

class FakeMedia final : public MediaEngine, public FakeEngineBase {
  public:
    explicit FakeMedia(CallLog& log) : FakeEngineBase(log, "media") {}
    bool Open(const std::string& path) override {
        Log("Open " + path);
        std::lock_guard lock(mutex_);
        cancelled_ = false;
        return Accepts(path);
    }
    void Play(WindowHandle) override { Log("Play"); }
    void Pause() override { Log("Pause"); }
    void Close() override { Log("Close"); }
    void SetVolume(int attenuation) override { Log("SetVolume " + std::to_string(attenuation)); }
    bool SeekMs(std::int64_t ms) override {
        Log("SeekMs " + std::to_string(ms));
        return true;
    }
    bool WaitForCompletion() override {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return completed_ || cancelled_; });
        return !cancelled_;
    }
    void CancelWait() override {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        changed_.notify_all();
    }
    // The graph reports completion.
    void Complete() {
        std::lock_guard lock(mutex_);
        completed_ = true;
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool completed_ = false;
    bool cancelled_ = false;  // until the next Open
};

class FakeMml final : public MmlBridge, public FakeEngineBase {
  public:
    explicit FakeMml(CallLog& log) : FakeEngineBase(log, "mml") {}
    bool Bind(WindowHandle) override {
        Log("Bind");
        return true;
    }
    bool Load(const std::string& path) override {
        Log("Load " + path);
        return Accepts(path);
    }
    bool Start() override {
        Log("Start");
        return true;
    }
    void Halt() override { Log("Halt"); }
    void Resume() override { Log("Resume"); }
    void SetVolume(int attenuation) override { Log("SetVolume " + std::to_string(attenuation)); }
    void Unload() override { Log("Unload"); }
};

class FakeStream final : public StreamEngine, public FakeEngineBase {
  public:
    explicit FakeStream(CallLog& log, std::string name = "ogg")
        : FakeEngineBase(log, std::move(name)) {}
    bool Open(const std::string& path) override {
        Log("Open " + path);
        return Accepts(path);
    }
    bool Start() override {
        Log("Start");
        return true;
    }
    void Pause() override { Log("Pause"); }
    void Close() override { Log("Close"); }
    void SetGain(float gain) override {
        Log("SetGain " + std::to_string(static_cast<int>(gain * 100.0f + 0.5f)) + "%");
    }
    std::int64_t LengthMs(const std::string&) override { return length < 0 ? -1 : length * 1000; }
    bool Finished() override { return finished; }
    bool SeekMs(std::int64_t ms) override {
        Log("SeekMs " + std::to_string(ms));
        return true;
    }

    int length = 0;  // whole seconds reported for every file
    std::atomic<bool> finished{false};
};

class FakeSmf final : public SmfConverter, public FakeEngineBase {
  public:
    explicit FakeSmf(CallLog& log) : FakeEngineBase(log, "smf") {}
    int Convert(WindowHandle, const std::string& itemPath, const std::string& outputPath,
                const std::string& configPath) override {
        Log("Convert " + itemPath + " -> " + outputPath + " with " + configPath);
        return result;
    }
    std::string OutputPath() override { return "C:\\player\\Harrowgladeforte.exe.mid"; }
    int result = 0;
};

}  // namespace hgf::test
