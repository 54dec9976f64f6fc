// TThread: the library's thread wrapper. The thread is created suspended: its body (Execute)
// runs only after the first Resume. The body suspends itself with SuspendSelf and is woken by
// Resume or Terminate; a Resume that arrives before the body suspends is not lost.
// The owner ends the thread with Terminate + WaitFor before destroying the object.
// Implementations: ThreadStd.cpp (standard library, native builds), win32/Thread.cpp.
#pragma once

#include <atomic>
#include <memory>

namespace tonwerkel {

class TThread {
  public:
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Host side.
    void Resume();     // starts the body, or wakes it from SuspendSelf
    void Terminate();  // asks the body to end and wakes it
    void WaitFor();    // resumes a suspended thread and waits until it has ended
    bool Terminated() const { return terminated_.load(); }
    // Whether the body may still run: not yet ended.
    bool Alive() const;
    // Ends the thread while the library is being unloaded without waiting for the thread to
    // exit (on Windows the loader lock would never let it). Afterwards the object may be
    // destroyed.
    void Abandon();
    // The calling thread sleeps; for the host's short waits on the body.
    static void SleepCaller(int milliseconds);
    // For tests and measurements: whether the body last asked for the raised priority, whether
    // it waits in SuspendSelf, and the processor time it has used (seconds; -1 if unknown).
    bool RaisedPriority() const { return raised_.load(); }
    bool Suspended() const { return suspended_.load(); }
    double CpuSeconds() const;

    struct Impl;

  protected:
    TThread();  // throws tonwerkel::Error when the thread cannot be created
    ~TThread();

    // Body side.
    void SuspendSelf();                   // waits until Resume or Terminate
    void IdleWait(int milliseconds);      // sleeps; Terminate ends the sleep early
    void SetRaisedPriority(bool raised);  // above-normal or normal thread priority

    // Virtual operations in slot order: the termination hook, called on the thread after the
    // body has ended, and the body.
    virtual void DoTerminate() {}
    virtual void Execute() = 0;

  private:
    friend struct Impl;
    void Run();  // the thread's entry: Execute, then DoTerminate; nothing escapes

    std::atomic<bool> terminated_{false};  // written by the host, read by the body
    std::atomic<bool> raised_{false};      // written by the body
    std::atomic<bool> suspended_{false};   // written by the body
    std::unique_ptr<Impl> impl_;
};

}  // namespace tonwerkel
