#include "FormDriver.h"

#include "controls/Led.h"
#include "controls/ThdTimer.h"
#include "platform/Prompts.h"

#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Aborts the test program when the GUI thread stops making progress: a deadlock would
// otherwise only show as a timeout with no hint of where it happened.
class Watchdog {
  public:
    explicit Watchdog(std::chrono::seconds Limit)
        : FThread([this, Limit] {
              std::unique_lock lock(FLock);
              int seen = -1;
              while (!FDone) {
                  const int now = FProgress.load();
                  if (now == seen) {
                      qFatal("no progress for %lld s, stuck in round %d",
                             static_cast<long long>(Limit.count()), now);
                  }
                  seen = now;
                  FWake.wait_for(lock, Limit, [this] { return FDone; });
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(FLock);
            FDone = true;
        }
        FWake.notify_all();
        FThread.join();
    }
    void Progress(int Round) { FProgress = Round; }

  private:
    std::atomic<int> FProgress{0};
    std::mutex FLock;
    std::condition_variable FWake;
    bool FDone = false;
    std::thread FThread;
};

// Threads of this process, the GUI thread included; -1 where /proc is not available.
int ThreadCount() {
#ifdef Q_OS_LINUX
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
#else
    return -1;
#endif
}

// Runs the event loop until Done holds, looking every millisecond; QTest::qWaitFor would
// sleep 10 ms between looks, which adds up over thousands of short lifetimes.
bool SpinUntil(const std::function<bool()> &Done, int TimeoutMs = 10000) {
    if (Done()) {
        return true;
    }
    QEventLoop loop;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    look.setInterval(1);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (Done()) {
            loop.quit();
        }
    });
    QTimer::singleShot(TimeoutMs, &loop, &QEventLoop::quit);
    look.start();
    loop.exec();
    return Done();
}

// Ticks seen by a handler, shared with it so that they can be counted after its timer died.
struct Ticks {
    std::atomic<int> Count{0};
    std::atomic<int> Late{0}; // ticks that arrived after the timer's destruction began
    std::atomic<bool> Destroyed{false};
};

} // namespace

// Creating and destroying the window and its indicator timer over and over, with ticks
// running, queued or about to be posted at each destruction.
class tst_Lifecycle : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        // The windows close with unsaved edits: the question is answered "Discard".
        Prompts::SetUnsavedAnswerer(
            [](const QString &) { return Prompts::UnsavedAnswer::Discard; });
    }

    void windowOpensAndClosesManyTimes() {
        Watchdog watchdog(120s);
        const int threadsBefore = ThreadCount();
        for (int round = 1; round <= 50; ++round) {
            watchdog.Progress(round);
            QPointer<TTimeSpaceForm> form = new TTimeSpaceForm;
            form->setAttribute(Qt::WA_DeleteOnClose);
            form->show();
            QVERIFY(QTest::qWaitForWindowExposed(form));
            auto ticks = std::make_shared<Ticks>();
            if (round % 5 != 0) {
                // Both directions overloaded, so both lamps blink, quickly.
                FormDriver::UserMovesTrackBar(form->FwMainRoadVol, 900);
                FormDriver::UserMovesTrackBar(form->BkMainRoadVol, 900);
                // Red at JCT #3: a red click at JCT #1 would lower the volume to its capacity.
                FormDriver::ChooseJunction(*form, 2);
                for (int k = 0; k < 3; ++k) {
                    FormDriver::ClickLabel(form->SplitRed);
                }
                QVERIFY(form->FwFailure());
                QVERIFY(form->BkFailure());
                const TNotifyEvent blink = form->ThreadedTimer1->OnTimer();
                form->ThreadedTimer1->SetOnTimer([ticks, blink](QObject *Sender) {
                    ticks->Count += 1;
                    if (ticks->Destroyed) {
                        ticks->Late += 1;
                    }
                    blink(Sender);
                });
                form->ThreadedTimer1->SetInterval(std::uint16_t(1 + round % 3));
                QVERIFY(QTest::qWaitFor([&] { return ticks->Count >= 3; }, 10000));
                if (round % 2 == 0) {
                    // Busy past the interval: a tick is queued when the window closes.
                    std::this_thread::sleep_for(5ms);
                }
            }
            connect(form->ThreadedTimer1, &QObject::destroyed,
                    [ticks] { ticks->Destroyed = true; });
            QVERIFY(form->close());
            QVERIFY(QTest::qWaitFor([&] { return form.isNull(); }, 10000));
            QCoreApplication::processEvents();
            QCOMPARE(ticks->Late.load(), 0);
            QVERIFY(QApplication::topLevelWidgets().isEmpty());
        }
        // Every window's timer worker has been joined.
        if (threadsBefore > 0) {
            QTRY_COMPARE(ThreadCount(), threadsBefore);
        }
    }

    void timerLifetimesWithSlowHandlers_data() {
        QTest::addColumn<int>("ending");
        QTest::newRow("destroyed while a tick is queued") << 0;
        QTest::newRow("destroyed by its own handler") << 1;
        QTest::newRow("destroyed inside a nested event loop of its handler") << 2;
        QTest::newRow("destroyed with its owner") << 3;
        QTest::newRow("switched off, retimed, then destroyed") << 4;
    }
    void timerLifetimesWithSlowHandlers() {
        QFETCH(int, ending);
        Watchdog watchdog(60s);
        const int threadsBefore = ThreadCount();
        std::vector<std::pair<std::shared_ptr<Ticks>, int>> ended; // with the count at the end
        for (int round = 1; round <= 600; ++round) {
            watchdog.Progress(round);
            auto ticks = std::make_shared<Ticks>();
            auto *owner = new QObject;
            QPointer<TThreadedTimer> timer = new TThreadedTimer(owner);
            const auto work = std::chrono::milliseconds(1 + round % 2); // longer than the interval
            timer->SetInterval(1);
            timer->SetThreadPriority(round % 2 ? tpHigher : tpNormal);
            timer->SetOnTimer([ticks, work, ending, &timer](QObject *Sender) {
                if (ticks->Destroyed) {
                    ticks->Late += 1;
                }
                const int count = ++ticks->Count;
                std::this_thread::sleep_for(work); // a handler slower than the interval
                if (count == 2 && ending == 1) {
                    ticks->Destroyed = true;
                    delete Sender;
                } else if (count == 2 && ending == 2) {
                    QTimer::singleShot(0, [ticks, &timer] {
                        ticks->Destroyed = true;
                        delete timer.data();
                    });
                    QTest::qWait(3);
                }
            });
            if (round % 3 == 0) {
                timer->SetEnabled(false);
                timer->SetEnabled(true);
            }
            // Every other round lets a few ticks run first.
            if (round % 2 == 0 || ending == 1 || ending == 2) {
                QVERIFY(SpinUntil([&] { return ticks->Count >= 2 || timer.isNull(); }));
            }
            if (!timer.isNull()) {
                timer->SetInterval(std::uint16_t(2 + round % 2)); // retimed while running
            }
            if (ending == 1 || ending == 2) {
                QVERIFY(SpinUntil([&] { return timer.isNull(); }));
            } else {
                std::this_thread::sleep_for(2ms); // a tick is posted meanwhile
                ticks->Destroyed = true;
                if (ending == 3) {
                    delete owner;
                    owner = nullptr;
                } else {
                    if (ending == 4) {
                        timer->SetEnabled(false);
                        timer->SetInterval(5);
                        timer->SetEnabled(true);
                    }
                    delete timer.data();
                }
            }
            delete owner;
            QCoreApplication::processEvents();
            QCOMPARE(ticks->Late.load(), 0);
            ended.emplace_back(ticks, ticks->Count.load());
        }
        // An absence cannot be waited for: give stray ticks time to show up.
        QTest::qWait(20);
        int ticked = 0;
        for (const auto &[ticks, count] : ended) {
            QCOMPARE(ticks->Count.load(), count);
            ticked += count;
        }
        QVERIFY(ticked >= 600);
        if (threadsBefore > 0) {
            QTRY_COMPARE(ThreadCount(), threadsBefore);
        }
    }
};

QTEST_MAIN(tst_Lifecycle)
#include "tst_Lifecycle.moc"
