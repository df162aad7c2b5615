#include "controls/ThdTimer.h"

#include <QPointer>

#include <chrono>

namespace {
QThread::Priority ToQtPriority(TThreadPriority Value) {
    switch (Value) {
    case tpIdle:
        return QThread::IdlePriority;
    case tpLowest:
        return QThread::LowestPriority;
    case tpLower:
        return QThread::LowPriority;
    case tpNormal:
        return QThread::NormalPriority;
    case tpHigher:
        return QThread::HighPriority;
    case tpHighest:
        return QThread::HighestPriority;
    case tpTimeCritical:
        return QThread::TimeCriticalPriority;
    }
    return QThread::NormalPriority;
}
} // namespace

TTimerThread::TTimerThread(TThreadedTimer *Timer) : FTimer(Timer) {}

TTimerThread::~TTimerThread() {
    Suspend();
}

void TTimerThread::Resume() {
    if (FRunning) {
        return;
    }
    FTerminated = false;
    FTickDone = false;
    ++FRun;
    FRunning = true;
    start();
}

void TTimerThread::Suspend() {
    if (!FRunning) {
        return;
    }
    {
        // Under the lock, so the worker cannot miss the flag between its check and its wait.
        std::lock_guard Guard(FLock);
        FTerminated = true;
    }
    FWake.notify_all();
    wait();
    // The worker's last use of FLock and FWake is the unlock on leaving Execute. Taking the
    // lock once more orders that before whatever follows here, the worker's destruction
    // included, through a lock of our own rather than only through QThread's internals.
    { const std::lock_guard Guard(FLock); }
    FRunning = false;
}

void TTimerThread::TickFinished(std::uint64_t Run) {
    {
        std::lock_guard Guard(FLock);
        if (Run != FRun) {
            return;
        }
        FTickDone = true;
    }
    FWake.notify_all();
}

void TTimerThread::Execute() {
    setPriority(ToQtPriority(FTimer->ThreadPriority()));
    const std::uint64_t Run = FRun;
    TThreadedTimer *Timer = FTimer;

    std::unique_lock Lock(FLock);
    while (!FTerminated) {
        const std::chrono::milliseconds Interval(FTimer->Interval());
        if (FWake.wait_for(Lock, Interval, [this] { return FTerminated.load(); })) {
            break;
        }
        FTickDone = false;
        Lock.unlock();
        QMetaObject::invokeMethod(
            Timer, [Timer, Run] { Timer->DeliverTick(Run); }, Qt::QueuedConnection);
        Lock.lock();
        FWake.wait(Lock, [this] { return FTickDone || FTerminated.load(); });
    }
}

TThreadedTimer::TThreadedTimer(QObject *Owner)
    : QObject(Owner), FTimerThread(std::make_unique<TTimerThread>(this)) {}

TThreadedTimer::~TThreadedTimer() {
    FEnabled = false;
    UpdateWorker();
    // Joined by now; ticks still queued for this object die with it.
    FTimerThread.reset();
}

void TThreadedTimer::SetEnabled(bool Value) {
    if (Value != FEnabled) {
        FEnabled = Value;
        UpdateWorker();
    }
}

void TThreadedTimer::SetInterval(std::uint16_t Value) {
    if (Value != FInterval) {
        FInterval = Value;
        UpdateWorker();
    }
}

void TThreadedTimer::SetOnTimer(TNotifyEvent Handler) {
    FOnTimer = std::move(Handler);
    UpdateWorker();
}

void TThreadedTimer::SetThreadPriority(TThreadPriority Value) {
    if (Value != FThreadPriority) {
        FThreadPriority = Value;
        UpdateWorker();
    }
}

void TThreadedTimer::UpdateWorker() {
    FTimerThread->Suspend();
    if (FInterval != 0 && FEnabled && FOnTimer) {
        FTimerThread->Resume();
    }
}

void TThreadedTimer::Tick() {
    // A copy, so that a handler may replace OnTimer or destroy the timer while it runs.
    const TNotifyEvent Handler = FOnTimer;
    Notify(Handler, this);
}

void TThreadedTimer::DeliverTick(std::uint64_t Run) {
    // A tick posted by a run that has since been stopped is dropped: it would come early.
    if (!FTimerThread || !FTimerThread->IsCurrentRun(Run)) {
        return;
    }
    const QPointer<TThreadedTimer> Alive(this);
    Tick();
    // The handler may have destroyed the timer, or restarted its worker (a new run).
    if (Alive && FTimerThread) {
        FTimerThread->TickFinished(Run);
    }
}
