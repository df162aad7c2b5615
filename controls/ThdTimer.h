#pragma once

#include "platform/NotifyEvent.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThreadedTimer;

// The worker of a threaded timer: sleeps for the interval, hands the tick to the GUI thread
// and waits until the tick has run there, so at most one tick is ever outstanding.
//
// It is paused by being stopped and joined and continues by being started again. Stopping
// never waits for the GUI thread: the worker's sleep and its wait for the tick both end as
// soon as it is told to stop.
class TTimerThread : public QThread {
    Q_OBJECT

  public:
    explicit TTimerThread(TThreadedTimer *Timer);
    ~TTimerThread() override;

    // GUI thread only.
    bool Suspended() const { return !FRunning; }
    // How often the worker has been started.
    std::uint64_t RunCount() const { return FRun; }
    void Resume();
    void Suspend();

  protected:
    void run() override { Execute(); }
    void Execute();

  private:
    friend class TThreadedTimer;
    // The tick of run Run has finished on the GUI thread; a tick of an earlier run is ignored.
    void TickFinished(std::uint64_t Run);
    bool IsCurrentRun(std::uint64_t Run) const { return FRunning && Run == FRun; }

    TThreadedTimer *FTimer; // the owner, not owned
    std::mutex FLock;
    std::condition_variable FWake;
    std::atomic<bool> FTerminated{false};
    bool FTickDone = false;             // guarded by FLock
    std::atomic<std::uint64_t> FRun{0}; // counts the starts; tells a stale tick from a live one
    bool FRunning = false;              // GUI thread's view: a run is started and not yet joined
};

// A non-visual timer that calls OnTimer on the GUI thread every Interval milliseconds, driven
// by a worker thread instead of the window system's timer messages. Ticks are spaced by the
// interval plus the time the GUI thread needs to run them; late ticks are not caught up.
//
// The worker runs only while Enabled is true, Interval is not 0 and a handler is assigned.
// Every change of a property stops the worker and, when the timer should run, starts it anew,
// so the next tick comes one interval after the change.
class TThreadedTimer : public QObject {
    Q_OBJECT

  public:
    explicit TThreadedTimer(QObject *Owner = nullptr);
    ~TThreadedTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    std::uint16_t Interval() const { return FInterval; }
    void SetInterval(std::uint16_t Value);
    const TNotifyEvent &OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent Handler);
    TThreadPriority ThreadPriority() const { return FThreadPriority; }
    void SetThreadPriority(TThreadPriority Value);

    // Whether the worker is running (sleeping or waiting for a tick) rather than paused.
    bool WorkerRunning() const { return !FTimerThread->Suspended(); }
    const TTimerThread &Worker() const { return *FTimerThread; }

  protected:
    // One tick: calls OnTimer with the timer as sender.
    virtual void Tick();
    // Stops the worker, then starts it again when the timer should run.
    void UpdateWorker();

  private:
    friend class TTimerThread;
    void DeliverTick(std::uint64_t Run);

    // Read by the worker, written by the GUI thread.
    std::atomic<bool> FEnabled{true};
    std::atomic<std::uint16_t> FInterval{250};
    TNotifyEvent FOnTimer;
    std::unique_ptr<TTimerThread> FTimerThread;
    std::atomic<TThreadPriority> FThreadPriority{tpNormal};
};
