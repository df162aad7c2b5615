#include "controls/ThdTimer.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(TThreadPriority)
Q_DECLARE_METATYPE(QThread::Priority)

namespace {
// Records when each tick arrived and on which thread.
struct TickLog {
    QElapsedTimer Clock;
    std::vector<qint64> Times; // ns since the clock started
    bool AllOnGuiThread = true;
    int Reentered = 0;
    bool Inside = false;

    TickLog() { Clock.start(); }

    TNotifyEvent Handler(std::chrono::milliseconds Work = 0ms, bool KeepEventsFlowing = false) {
        return [this, Work, KeepEventsFlowing](QObject *) {
            if (Inside) {
                ++Reentered;
            }
            Inside = true;
            Times.push_back(Clock.nsecsElapsed());
            AllOnGuiThread = AllOnGuiThread && QThread::currentThread() == qApp->thread();
            if (Work > 0ms) {
                if (KeepEventsFlowing) {
                    QTest::qWait(int(Work.count())); // a nested event loop
                } else {
                    std::this_thread::sleep_for(Work);
                }
            }
            Inside = false;
        };
    }
    int Count() const { return int(Times.size()); }
};
} // namespace

class tst_ThdTimer : public QObject {
    Q_OBJECT

  private slots:
    void ticksArriveOnTheGuiThread() {
        TickLog Log;
        TThreadedTimer Timer;
        Timer.SetInterval(10);
        Timer.SetOnTimer(Log.Handler());
        QVERIFY(Timer.WorkerRunning());
        QTRY_VERIFY_WITH_TIMEOUT(Log.Count() >= 3, 10000);
        QVERIFY(Log.AllOnGuiThread);
    }

    void spacing_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("work");
        QTest::addColumn<bool>("nestedLoop");
        QTest::newRow("quick handler") << 30 << 0 << false;
        QTest::newRow("handler slower than the interval") << 10 << 40 << false;
        QTest::newRow("slow handler running an event loop") << 10 << 40 << true;
    }
    void spacing() {
        QFETCH(int, interval);
        QFETCH(int, work);
        QFETCH(bool, nestedLoop);
        TickLog Log;
        TThreadedTimer Timer;
        Timer.SetInterval(std::uint16_t(interval));
        Timer.SetOnTimer(Log.Handler(std::chrono::milliseconds(work), nestedLoop));
        QTRY_VERIFY_WITH_TIMEOUT(Log.Count() >= 6, 20000);
        Timer.SetEnabled(false);

        // Each sleep starts after the previous handler returned: no catching up, no pile-up.
        const qint64 Least = qint64(interval + work) * 1000000 - 1000000; // 1 ms clock slack
        for (int Tick = 1; Tick < Log.Count(); ++Tick) {
            const qint64 Gap = Log.Times[Tick] - Log.Times[Tick - 1];
            QVERIFY2(Gap >= Least,
                     qPrintable(QStringLiteral("tick %1 came after %2 ns").arg(Tick).arg(Gap)));
        }
        QCOMPARE(Log.Reentered, 0);
    }

    void noTicksUnlessFullyArmed_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("handler");
        QTest::newRow("disabled") << false << 5 << true;
        QTest::newRow("interval 0") << true << 0 << true;
        QTest::newRow("no handler") << true << 5 << false;
    }
    void noTicksUnlessFullyArmed() {
        QFETCH(bool, enabled);
        QFETCH(int, interval);
        QFETCH(bool, handler);
        TickLog Log;
        TThreadedTimer Timer;
        Timer.SetEnabled(enabled);
        Timer.SetInterval(std::uint16_t(interval));
        Timer.SetOnTimer(handler ? Log.Handler() : TNotifyEvent());
        QVERIFY(!Timer.WorkerRunning());
        // An absence cannot be waited for; many intervals pass without a tick.
        QTest::qWait(100);
        QCOMPARE(Log.Count(), 0);
    }

    void disabledBeforeTheFirstTickNeverTicks() {
        TickLog Log;
        TThreadedTimer Timer;
        Timer.SetInterval(20);
        Timer.SetOnTimer(Log.Handler());
        Timer.SetEnabled(false);
        QVERIFY(!Timer.WorkerRunning());
        QTest::qWait(100);
        QCOMPARE(Log.Count(), 0);
    }

    void onlyRealChangesRestartTheWorker() {
        TickLog Log;
        TThreadedTimer Timer;
        Timer.SetInterval(1000);
        Timer.SetOnTimer(Log.Handler());
        const std::uint64_t Started = Timer.Worker().RunCount();
        Timer.SetEnabled(true);
        Timer.SetInterval(1000);
        Timer.SetThreadPriority(tpNormal);
        QCOMPARE(Timer.Worker().RunCount(), Started);
        Timer.SetInterval(900);
        QCOMPARE(Timer.Worker().RunCount(), Started + 1);
        Timer.SetOnTimer(Log.Handler()); // assigning the handler always restarts
        QCOMPARE(Timer.Worker().RunCount(), Started + 2);
        Timer.SetEnabled(false);
        Timer.SetEnabled(false);
        QVERIFY(!Timer.WorkerRunning());
        QCOMPARE(Timer.Worker().RunCount(), Started + 2);
    }

    void newIntervalGovernsTheNextSleep() {
        TickLog Log;
        TThreadedTimer Timer;
        Timer.SetInterval(60000);
        Timer.SetOnTimer(Log.Handler());
        QTest::qWait(20);
        Timer.SetInterval(10);
        // With the old interval the first tick would be a minute away.
        QTRY_VERIFY_WITH_TIMEOUT(Log.Count() >= 3, 20000);
    }

    void handlerMayRetimeOrSwitchOff() {
        TThreadedTimer Timer;
        int Ticks = 0;
        Timer.SetInterval(5);
        Timer.SetOnTimer([&](QObject *Sender) {
            QCOMPARE(Sender, &Timer);
            ++Ticks;
            if (Ticks == 2) {
                Timer.SetInterval(7); // restarts the worker from inside its own tick
            }
            if (Ticks == 4) {
                Timer.SetEnabled(false);
            }
        });
        QTRY_COMPARE_WITH_TIMEOUT(Ticks, 4, 20000);
        QVERIFY(!Timer.WorkerRunning());
        QTest::qWait(50);
        QCOMPARE(Ticks, 4);
    }

    void priorityReachesTheWorker_data() {
        QTest::addColumn<TThreadPriority>("priority");
        QTest::addColumn<QThread::Priority>("expected");
        QTest::newRow("idle") << tpIdle << QThread::IdlePriority;
        QTest::newRow("lowest") << tpLowest << QThread::LowestPriority;
        QTest::newRow("lower") << tpLower << QThread::LowPriority;
        QTest::newRow("normal") << tpNormal << QThread::NormalPriority;
        QTest::newRow("higher") << tpHigher << QThread::HighPriority;
        QTest::newRow("highest") << tpHighest << QThread::HighestPriority;
        QTest::newRow("time critical") << tpTimeCritical << QThread::TimeCriticalPriority;
    }
    void priorityReachesTheWorker() {
        QFETCH(TThreadPriority, priority);
        QFETCH(QThread::Priority, expected);
        TickLog Log;
        TThreadedTimer Timer;
        Timer.SetInterval(5);
        Timer.SetThreadPriority(priority);
        Timer.SetOnTimer(Log.Handler());
        QTRY_VERIFY_WITH_TIMEOUT(Log.Count() >= 1, 10000);
        QCOMPARE(Timer.Worker().priority(), expected);
    }

    // The GUI thread is busy past the interval, so the worker has posted a tick and is waiting
    // for it; destroying the timer then must not wait for that tick, and it must never run.
    void destroyWithATickPending() {
        TickLog Log;
        auto *Timer = new TThreadedTimer;
        Timer->SetInterval(5);
        Timer->SetOnTimer(Log.Handler());
        QTRY_VERIFY_WITH_TIMEOUT(Log.Count() >= 1, 10000);
        const int Before = Log.Count();
        std::this_thread::sleep_for(60ms); // the GUI thread does not look at its events
        delete Timer;
        QCoreApplication::processEvents();
        QTest::qWait(50);
        QCOMPARE(Log.Count(), Before);
    }

    void destroyFromItsOwnHandler() {
        QPointer<TThreadedTimer> Timer = new TThreadedTimer;
        int Ticks = 0;
        Timer->SetInterval(5);
        Timer->SetOnTimer([&](QObject *Sender) {
            ++Ticks;
            delete Sender;
        });
        QTRY_VERIFY_WITH_TIMEOUT(Timer.isNull(), 10000);
        QTest::qWait(50);
        QCOMPARE(Ticks, 1);
    }

    void destroyWhileASlowHandlerRuns() {
        QPointer<TThreadedTimer> Timer = new TThreadedTimer;
        int Ticks = 0;
        Timer->SetInterval(5);
        Timer->SetOnTimer([&](QObject *) {
            ++Ticks;
            // Something else destroys the timer while this handler still runs.
            QTimer::singleShot(10, [&Timer] { delete Timer.data(); });
            QTest::qWait(60);
        });
        QTRY_VERIFY_WITH_TIMEOUT(Timer.isNull(), 10000);
        QTest::qWait(50);
        QCOMPARE(Ticks, 1);
    }

    // Create, arm, retime and destroy in quick succession, with ticks running, pending or
    // about to be posted at the moment of destruction.
    void manyLifetimes() {
        auto Destroyed = std::make_shared<std::vector<bool>>();
        int Ticks = 0;
        int Late = 0; // ticks of a timer already destroyed
        for (int Round = 0; Round < 300; ++Round) {
            Destroyed->push_back(false);
            auto *Timer = new TThreadedTimer;
            Timer->SetInterval(std::uint16_t(1 + Round % 3));
            Timer->SetOnTimer([Destroyed, Round, &Ticks, &Late](QObject *) {
                ++Ticks;
                if ((*Destroyed)[std::size_t(Round)]) {
                    ++Late;
                }
            });
            if (Round % 4 == 0) {
                Timer->SetEnabled(false);
                Timer->SetEnabled(true);
            }
            if (Round % 2 == 0) {
                const int Before = Ticks;
                QVERIFY(QTest::qWaitFor([&] { return Ticks > Before; }, 10000)); // it ticks
            }
            Timer->SetInterval(std::uint16_t(2 + Round % 2));
            if (Round % 3 == 0) {
                std::this_thread::sleep_for(4ms); // leave a tick pending at destruction
            }
            delete Timer;
            (*Destroyed)[std::size_t(Round)] = true;
        }
        QCoreApplication::processEvents();
        QTest::qWait(50);
        QCOMPARE(Late, 0);
    }
};

QTEST_MAIN(tst_ThdTimer)
#include "tst_ThdTimer.moc"
