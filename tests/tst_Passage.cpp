#include "StripSupport.h"

#include "controls/TimeSpaceLight.h"
#include "model/Passage.h"
#include "model/Platoons.h"
#include "model/SignalTiming.h"

#include "PlatoonSets.h"

#include <QTest>

#include <initializer_list>
#include <utility>

namespace {
// Slots 7 - n .. 6: where n sorted platoons that start after 0 end up.
PlatoonSet Tail(std::initializer_list<std::pair<int, int>> entries) {
    PlatoonSet set;
    int k = MaxPlatoons - static_cast<int>(entries.size()) + 1;
    for (const auto &[start, size] : entries) {
        set.Start[k] = start;
        set.Size[k++] = size;
    }
    return set;
}

// The loaded junction: cycle 115, offset 0, red 34, green 69, yellow 12 on a 460 strip.
// Windows -115/-40, 0/75, 115/190, 230/305, 345/420, 460/535; capacity 75; last window 5.
PassageResult Run(const PlatoonSet &input, int width = 460) {
    const Durations d{34, 69, 12};
    const GreenWindows windows = ComputeGreenWindows(115, 0, d);
    return PassPlatoons(input, windows.Start, windows.End, 4 + 1, WindowCapacity(d), width);
}

using FormDriver::LoadAsForm;
} // namespace

class tst_Passage : public QObject {
    Q_OBJECT

  private slots:
    void passage_data() {
        QTest::addColumn<PlatoonSet>("input");
        QTest::addColumn<PlatoonSet>("departing");
        QTest::addColumn<PlatoonSet>("queues");
        QTest::addColumn<double>("stops");
        QTest::addColumn<bool>("failure");

        QTest::newRow("passes whole")
            << Set({{10, 40}}) << Tail({{10, 40}}) << PlatoonSet{} << 0.0 << false;
        QTest::newRow("ends exactly at the end of green passes whole")
            << Set({{35, 40}}) << Tail({{35, 40}}) << PlatoonSet{} << 0.0 << false;
        QTest::newRow("starts at 0 with exactly the capacity")
            << Set({{0, 75}}) << Set({{0, 75}}) << PlatoonSet{} << 0.0 << false;
        QTest::newRow("cut by the end of green, tail to the next green")
            << Set({{60, 30}}) << Tail({{60, 15}, {115, 15}}) << Tail({{90, 130}}) << 0.5 << false;
        QTest::newRow("one second past the end of green")
            << Set({{36, 40}}) << Tail({{36, 39}, {115, 1}}) << Tail({{76, 116}}) << 0.025 << false;
        // The head has length 0 and drops out in the final merge; all of it waits.
        QTest::newRow("starts exactly at the end of green")
            << Set({{75, 10}}) << Tail({{115, 10}}) << Tail({{85, 125}}) << 1.0 << false;
        QTest::newRow("arrives at red, held")
            << Set({{80, 20}}) << Tail({{115, 20}}) << Tail({{100, 135}}) << 1.0 << false;
        QTest::newRow("starts in red, ends inside the next window")
            << Set({{100, 40}}) << Tail({{115, 40}}) << Tail({{140, 155}}) << 1.0 << false;
        QTest::newRow("held with exactly the capacity is no failure")
            << Set({{80, 75}}) << Tail({{115, 75}}) << Tail({{155, 190}}) << 1.0 << false;
        QTest::newRow("one platoon over capacity")
            << Set({{10, 76}}) << PlatoonSet{} << Tail({{86, 87}}) << 0.0 << true;
        // Each alone would pass or be held; together they need more than one window.
        QTest::newRow("two platoons over capacity together")
            << Set({{10, 40}, {100, 40}}) << PlatoonSet{} << Tail({{0, 0}, {140, 155}}) << 0.5
            << true;
        QTest::newRow("total one over capacity") << Set({{10, 38}, {100, 38}}) << PlatoonSet{}
                                                 << Tail({{0, 0}, {138, 153}}) << 0.5 << true;
        QTest::newRow("beyond the width removed before the passage")
            << Set({{470, 10}}) << PlatoonSet{} << PlatoonSet{} << 0.0 << false;
        // Clipped to (440, 20), held to the window at 460; the departure is cut to size 0
        // and keeps its start.
        QTest::newRow("clipped at the width, held to the window at the edge")
            << Set({{440, 40}}) << Tail({{460, 0}}) << Tail({{460, 480}}) << 1.0 << false;
        QTest::newRow("overlapping arrivals merged first")
            << Set({{0, 10}, {5, 10}}) << Set({{0, 20}}) << PlatoonSet{} << 0.0 << false;
        QTest::newRow("all zero") << PlatoonSet{} << PlatoonSet{} << PlatoonSet{} << 0.0 << false;
        // No empty output slot below the cut platoon: the carry waits one platoon, then
        // finds the head of length 0 and lands there; everything merges at 115.
        QTest::newRow("pending carry placed after the next platoon")
            << Set({{75, 10}, {85, 5}, {90, 5}, {95, 5}, {100, 5}, {105, 5}}) << Tail({{115, 35}})
            << Set({{85, 125}, {90, 120}, {95, 120}, {100, 120}, {105, 120}, {110, 120}}) << 1.0
            << false;
        // Here no output slot ever empties: the tail (115, 5) is lost from the departures
        // but stays counted in the queues and the stops.
        QTest::newRow("carry lost without an empty slot")
            << Set({{70, 10}, {80, 5}, {90, 5}, {100, 5}, {120, 5}, {130, 5}})
            << Tail({{70, 5}, {115, 25}})
            << Set({{80, 120}, {85, 120}, {95, 120}, {105, 120}, {0, 0}, {0, 0}}) << 20.0 / 35.0
            << false;
        // Slot 1 is cut with no slot below it; slot 2 is cut one window later and its tail
        // replaces the pending one: both tails count as stopped, neither departs.
        QTest::newRow("later cut replaces a pending carry")
            << Set({{70, 10}, {185, 10}, {240, 5}, {250, 5}, {260, 5}, {270, 5}})
            << Set({{70, 5}, {185, 5}, {240, 5}, {250, 5}, {260, 5}, {270, 5}})
            << Set({{80, 120}, {195, 235}}) << 0.25 << false;
    }
    void passage() {
        QFETCH(PlatoonSet, input);
        const PassageResult run = Run(input);
        QTEST(run.Departing, "departing");
        QTEST(run.Queues, "queues");
        QTEST(run.Stops, "stops");
        QTEST(run.CycleFailure, "failure");
        // The stopped seconds are what the stops measure adds up, slot by slot, and a slot
        // has them exactly when its platoon queued without overloading the green.
        const PlatoonSet arriving = SortPlatoons(MergePlatoons(input, 460));
        const int total = std::max(PlatoonFlowSum(arriving), 1);
        double stops = 0.0;
        for (int k = 1; k <= MaxPlatoons; ++k) {
            const bool overload = arriving.Size[k] > 75;
            QCOMPARE(run.Stopped[k] > 0, run.Queues.Size[k] > 0 && !overload);
            stops = static_cast<double>(static_cast<long double>(stops) +
                                        static_cast<long double>(run.Stopped[k]) / total);
        }
        QVERIFY2(stops == run.Stops, qPrintable(QString::number(stops, 'g', 17)));
    }

    void platoonAfterTheLastWindowIsDropped() {
        // Only a strip wider than its last window's end leaves room for it.
        const PassageResult run = Run(Set({{540, 10}}), 600);
        QCOMPARE(run.Departing, PlatoonSet{});
        QCOMPARE(run.Queues, PlatoonSet{});
        QVERIFY(!run.CycleFailure);
    }

    void platoonAtTheEndOfTheLastWindowIsServed() {
        // Cycle 100, red 45, yellow 10: 4 whole cycles, the last window 400..450. A platoon
        // starting exactly at its end still belongs to it: its head (of length 0) passes
        // and all of it waits for the green at 500.
        const Durations d{45, 45, 10};
        const GreenWindows windows = ComputeGreenWindows(100, 0, d);
        QCOMPARE(windows.End[5], 450);
        const PassageResult run = PassPlatoons(Set({{450, 5}}), windows.Start, windows.End, 4 + 1,
                                               WindowCapacity(d), 460);
        QCOMPARE(run.Queues, Tail({{455, 505}}));
        QCOMPARE(run.Stops, 1.0);
        QVERIFY(!run.CycleFailure);
    }

    void cutAtTheLastDrawnWindowCarriesToTheNextCycle() {
        // Cycle 120 on a 460 strip draws 3 whole cycles; window 4 runs 360..438 and is the
        // last drawn one. The tail waits for the green at 480, beyond the strip.
        const Durations d = DeriveDurations(120, 30, 60);
        const GreenWindows windows = ComputeGreenWindows(120, 0, d);
        QCOMPARE(windows.Start[4], 360);
        QCOMPARE(windows.End[4], 438);
        const int bands = DrawnBandCount(460, 120);
        const PassageResult run = PassPlatoons(Set({{430, 20}}), windows.Start, windows.End,
                                               bands + 1, WindowCapacity(d), 460);
        QCOMPARE(run.Queues, Tail({{450, 492}}));
        QCOMPARE(run.Stops, 0.6);
        QCOMPARE(run.Departing, Tail({{430, 8}}));
        QVERIFY(!run.CycleFailure);
    }

    void oddYellowLeavesCapacityOneShortOfTheWindow() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        strip.SetPercentGreen(61); // green 70, yellow 11: window 0..76, capacity 75
        QCOMPARE(strip.GreenEnd(1), 76);
        QCOMPARE(strip.Capacity(), 75);
        strip.SetFwInput(Set({{0, 75}}));
        QCOMPARE(strip.PassFw(), Set({{0, 75}}));
        QVERIFY(!strip.FwCycleFailure());
        strip.SetFwInput(Set({{0, 76}}));
        QCOMPARE(strip.PassFw(), PlatoonSet{});
        QVERIFY(strip.FwCycleFailure());
    }

    void lastRunOwnsQueuesStopsAndItsDirectionsFlag() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        QCOMPARE(strip.PassFw(), PlatoonSet{}); // nothing stored yet
        strip.SetFwInput(Set({{10, 76}}));
        strip.SetBkInput(Set({{80, 20}}));
        QCOMPARE(strip.GetFwQueues(), Tail({{86, 87}}));
        QVERIFY(strip.FwCycleFailure());
        QCOMPARE(strip.PassBk(), Tail({{115, 20}}));
        QCOMPARE(strip.QueueSet(), Tail({{100, 135}}));
        QCOMPARE(strip.GetStops(), 1.0);
        QVERIFY(!strip.BkCycleFailure());
        QVERIFY(strip.FwCycleFailure());

        strip.SetFwInput(Set({{60, 30}}));
        strip.SetBkInput(Set({{10, 40}, {100, 40}}));
        strip.GetBkQueues();
        QVERIFY(strip.BkCycleFailure());
        QCOMPARE(strip.GetFwQueues(), Tail({{90, 130}}));
        QCOMPARE(strip.GetStops(), 0.5);
        QVERIFY(!strip.FwCycleFailure());
        QVERIFY(strip.BkCycleFailure());
        QCOMPARE(strip.FwInput(), Set({{60, 30}})); // a run never rewrites the stored input
    }

    void windowsAndWidthAreCurrent() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        strip.SetFwInput(Set({{280, 40}}));
        QCOMPARE(strip.PassFw(), Tail({{280, 25}, {345, 15}}));
        // Offset 10 moves window 3 to 240..315: no repaint needed.
        strip.SetCycleOffset(10);
        QCOMPARE(strip.PassFw(), Tail({{280, 35}, {355, 5}}));
        // The window sizes strips with setGeometry and a hidden strip gets no resize event:
        // at width 300 the platoon is clipped to 20 s and 2 bands are drawn.
        strip.setGeometry(0, 12, 300, 10);
        QCOMPARE(strip.PassFw(), Tail({{280, 20}}));
        QCOMPARE(strip.NumberOfBands(), 2);
    }
};

QTEST_MAIN(tst_Passage)
#include "tst_Passage.moc"
