#include "FormDriver.h"

#include "controls/ThdTimer.h"
#include "controls/TimeSpaceLink.h"
#include "model/Measures.h"
#include "model/Numbers.h"
#include "model/Platoons.h"

using FormDriver::Caption;

namespace {
int SizeOf(const PlatoonSet &set) {
    return PlatoonFlowSum(set);
}
// The slot holding a platoon that starts at the given time, or 0.
int SlotStartingAt(const PlatoonSet &set, int start) {
    for (int k = 1; k <= MaxPlatoons; ++k) {
        if (set.Size[k] > 0 && set.Start[k] == start) {
            return k;
        }
    }
    return 0;
}
} // namespace

// Both progression chains through the window, and the measures they leave in the labels.
class tst_Progression : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void enteringPlatoonSize_data() {
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("size");
        QTest::newRow("60 s, 720 veh/hr: factor held as double") << 60 << 720 << 29;
        QTest::newRow("100 s, 720 veh/hr: exact") << 100 << 720 << 50;
        QTest::newRow("120 s, 600 veh/hr") << 120 << 600 << 49;
        QTest::newRow("115 s, 0 veh/hr") << 115 << 0 << 0;
    }
    void enteringPlatoonSize() {
        QFETCH(int, cycle);
        QFETCH(int, volume);
        TTimeSpaceForm form;
        form.Light(1)->SetCycleTime(cycle);
        form.FwMainRoadVol->SetPosition(volume);
        form.BkMainRoadVol->SetPosition(volume);
        const PlatoonSet south = form.TimeSpaceInitInput(1);
        QCOMPARE(south.Start[1], 0);
        QTEST(south.Size[1], "size");
        QCOMPARE(SizeOf(south), south.Size[1]);
        // Northbound enters with JCT #1's cycle too, not JCT #6's.
        form.Light(6)->SetCycleTime(60);
        QCOMPARE(form.TimeSpaceInitInput(0), south);
    }

    void crossroadTwoAddsOnePlatoon_data() {
        QTest::addColumn<int>("share");
        QTest::addColumn<int>("enteringVolume");
        QTest::addColumn<int>("size");
        QTest::newRow("20 %") << 20 << 100 << 7;
        QTest::newRow("100 %") << 100 << 500 << 39;
    }
    void crossroadTwoAddsOnePlatoon() {
        QFETCH(int, share);
        TTimeSpaceForm form;
        form.FwMainRoadVol->SetPosition(500);
        form.SideVol->SetMax(100);
        form.SideVol->SetPosition(share);
        form.RefreshTimeSpaceDiagram();
        QTEST(form.EnteringVol(), "enteringVolume");
        // JCT #2 turns red at 70 x 115 div 100 = 80 (the strip draws red from 81). The link
        // merges the entering platoon with any it overlaps, so follow the vehicles: what
        // enters link 3 is what left JCT #2 plus the crossroad's platoon.
        QFETCH(int, size);
        const PlatoonSet entering = form.Link(3)->FwInput();
        QCOMPARE(SizeOf(entering), SizeOf(form.Light(2)->PassFw()) + size);
        QVERIFY(SlotStartingAt(entering, 80) > 0);
    }

    void noEnteringPlatoonWithoutSouthboundTraffic() {
        TTimeSpaceForm form;
        form.SideVol->SetPosition(50);
        form.RefreshTimeSpaceDiagram();
        QCOMPARE(form.EnteringVol(), 0);
        QCOMPARE(form.Link(3)->FwInput(), PlatoonSet{});
    }

    void crossroadFiveTakesItsShare() {
        TTimeSpaceForm form;
        form.FwMainRoadVol->SetPosition(400);
        form.TrafficLeaving->SetPosition(100);
        form.RefreshTimeSpaceDiagram();
        QVERIFY(SizeOf(form.Link(5)->FwInput()) > 0);
        QCOMPARE(SizeOf(form.Link(6)->FwInput()), 0);
        QCOMPARE(SizeOf(form.Link(7)->FwInput()), 0);

        form.TrafficLeaving->SetPosition(33);
        form.RefreshTimeSpaceDiagram();
        const PlatoonSet departures = form.Light(5)->PassFw();
        const PlatoonSet reduced = form.Link(6)->FwInput();
        QVERIFY(SizeOf(departures) > 0);
        for (int k = 1; k <= MaxPlatoons; ++k) {
            QCOMPARE(reduced.Start[k], departures.Start[k]);
            QCOMPARE(reduced.Size[k], 67 * departures.Size[k] / 100);
        }
    }

    void failuresOfTheTwoDirectionsAreIndependent() {
        TTimeSpaceForm form;
        // 930 veh/hr at 115 s is a platoon of 74 s: JCT #4 with a short green overloads.
        form.BkMainRoadVol->SetPosition(930);
        form.Light(4)->SetPercentGreen(30);
        form.Light(4)->SetPercentRed(60);
        form.RefreshTimeSpaceDiagram();
        QVERIFY(form.IfBkCycleFailure());
        QVERIFY(!form.IfFwCycleFailure());
        QVERIFY(form.BkFailure());
        QVERIFY(!form.FwFailure());
        // A northbound failure leaves the southbound measures numeric.
        QCOMPARE(Caption(form.DelayPerVeh), QString("0.00"));
        QCOMPARE(Caption(form.ArtStops), QString("0.0"));

        form.FwMainRoadVol->SetPosition(930);
        form.RefreshTimeSpaceDiagram();
        QVERIFY(form.IfFwCycleFailure());
        QCOMPARE(Caption(form.DelayPerVeh), QString("+ +"));
        QCOMPARE(Caption(form.ArtStops), QString("+ +"));
    }

    void zeroVolumeKeepsTheUnit() {
        TTimeSpaceForm form;
        form.TimeUnits->SetCaption("min");
        form.RefreshTimeSpaceDiagram();
        QCOMPARE(Caption(form.DelayPerVeh), QString("0.00"));
        QCOMPARE(Caption(form.TimeUnits), QString("min"));
        QCOMPARE(Caption(form.ArtStops), QString("0.0"));
        QVERIFY(form.ThreadedTimer1->Enabled());
    }

    void delayAndStopsOfHeldPlatoons() {
        TTimeSpaceForm form;
        // 300 veh/hr is a 23 s platoon. At 45 mph link 1 takes 10 s and each inner link (70 px,
        // 2800 ft) 42 s: it passes JCT #1 and #2, is held at JCT #3 from 94..117 to the green
        // at 115 (wait 138 - 117 = 21), passes JCT #4, is held at JCT #5 from 199..222 to 230
        // (wait 253 - 222 = 31) and passes JCT #6. Each vehicle waits 21 + 31 = 52 s:
        // (21 x 23 + 31 x 23) / 23.
        form.FwMainRoadVol->SetPosition(300);
        form.RefreshTimeSpaceDiagram();
        QCOMPARE(Caption(form.DelayPerVeh), QString("52.00"));
        QCOMPARE(Caption(form.TimeUnits), QString("sec"));
        QCOMPARE(Caption(form.ArtStops), QString("2.0"));

        // JCT #5's green from 199 lets the platoon through: only JCT #3's wait is left.
        form.Light(5)->SetCycleOffset(84);
        form.RefreshTimeSpaceDiagram();
        QCOMPARE(Caption(form.DelayPerVeh), QString("21.00"));
        QCOMPARE(Caption(form.ArtStops), QString("1.0"));
    }

    void userInputsReachTheLabels() {
        TTimeSpaceForm form;
        // 500 veh/hr is a 39 s platoon. JCT #2 cuts it at 75 (head 52..75, tail 16 s to 115,
        // wait 131 - 91 = 40); JCT #3 holds the head 94..117 to 115 (wait 21); the pieces then
        // meet red at JCT #4 (tail, 31), JCT #5 (head, 31) and JCT #6 (tail, 31).
        // Delay (40 x 16 + 21 x 23 + 31 x 16 + 31 x 23 + 31 x 16) / 39 = 2828 / 39 = 72.5 s,
        // shown as 1.21 min; stops (16 + 23 + 16 + 23 + 16) / 39 = 2.41.
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 500);
        QCOMPARE(Caption(form.DelayPerVeh), QString("1.21"));
        QCOMPARE(Caption(form.TimeUnits), QString("min"));
        QCOMPARE(Caption(form.ArtStops), QString("2.4"));

        // Crossroad #2's traffic added to 600 veh/hr overloads JCT #3's green.
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 600);
        FormDriver::UserMovesTrackBar(form.SideVol, 70);
        QVERIFY(form.Light(3)->FwCycleFailure());
        QVERIFY(!form.Light(2)->FwCycleFailure());
        QVERIFY(form.FwFailure());
        QCOMPARE(Caption(form.DelayPerVeh), QString("+ +"));
        QCOMPARE(Caption(form.ArtStops), QString("+ +"));
    }

    // Six different timings, so that a sum over the wrong junctions, the flow of another
    // junction or a sum held in double gives another caption. The expected figures are built
    // from each strip's own queues and stopped seconds, which the passage tests pin.
    void measuresOfSixTimings_data() {
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("entering");
        QTest::addColumn<int>("leaving");
        QTest::addColumn<int>("northbound");
        QTest::newRow("300 veh/hr") << 300 << 0 << 0 << 0;
        QTest::newRow("450 veh/hr, 30 % entering") << 450 << 30 << 0 << 0;
        QTest::newRow("600 veh/hr, 10 % entering, 40 % leaving") << 600 << 10 << 40 << 0;
        // Northbound traffic stops too: the measures count the southbound runs only.
        QTest::newRow("450 veh/hr, 500 northbound") << 450 << 30 << 0 << 500;
    }
    void measuresOfSixTimings() {
        QFETCH(int, volume);
        QFETCH(int, entering);
        QFETCH(int, leaving);
        QFETCH(int, northbound);
        TTimeSpaceForm form;
        constexpr int timings[6][4] = {{100, 30, 60, 10}, {110, 35, 55, 40}, {90, 25, 65, 25},
                                       {120, 40, 50, 70}, {105, 30, 62, 5},  {95, 20, 70, 55}};
        for (int k = 1; k <= 6; ++k) {
            const auto &[cycle, red, green, offset] = timings[k - 1];
            FormDriver::SetTiming(form.Light(k), {cycle, red, green, offset});
        }
        form.SideVol->SetMax(100);
        form.SideVol->SetPosition(entering);
        form.TrafficLeaving->SetPosition(leaving);
        FormDriver::UserMovesTrackBar(form.BkMainRoadVol, northbound);
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, volume);
        QVERIFY(!form.IfFwCycleFailure());

        Extended total = 0;
        long double stops = 0;
        int delayed = 0;
        for (int k = 1; k <= 6; ++k) {
            TTimeSpaceLight *light = form.Light(k);
            // The stopped seconds are those of the forward run that gives the queues.
            const PlatoonSet queues = light->GetFwQueues();
            const int delay = JunctionDelay(queues, light->StoppedSeconds());
            delayed += delay > 0 ? 1 : 0;
            total += delay;
            stops += light->GetStops();
        }
        const int flow = SizeOf(form.Light(3)->PassFw());
        // The scenario tells the junctions apart: several delay, and JCT #3's flow is its own.
        QVERIFY(delayed >= 2);
        QVERIFY(flow != SizeOf(form.Light(1)->PassFw()) || entering == 0);
        const DelayPerVehicle expected = ExpectedDelayPerVehicle(static_cast<double>(total), flow);
        QCOMPARE(Caption(form.DelayPerVeh),
                 QString::fromStdString(FormatDelayPerVeh(expected.Value, ".", ",")));
        QCOMPARE(Caption(form.TimeUnits), QString::fromUtf8(DelayUnitCaption(*expected.Unit)));
        QCOMPARE(Caption(form.ArtStops),
                 QString::fromStdString(FormatArtStops(static_cast<double>(stops), ".")));
        QVERIFY2(form.CalculateExpectedDelayPerVeh() == expected.Value,
                 qPrintable(Caption(form.DelayPerVeh)));
    }

    void resultsDoNotDependOnPainting() {
        TTimeSpaceForm shown;
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        TTimeSpaceForm hidden;
        for (TTimeSpaceForm *form : {&shown, &hidden}) {
            FormDriver::UserMovesTrackBar(form->FwMainRoadVol, 450);
            FormDriver::UserMovesTrackBar(form->BkMainRoadVol, 380);
            FormDriver::UserMovesTrackBar(form->TrafficLeaving, 30);
            form->Light(4)->SetCycleTime(90);
            form->Light(5)->SetCycleOffset(37);
            FormDriver::UserMovesTrackBar(form->MainRoadSpeedLimitFwd, 41);
        }
        QCOMPARE(Caption(hidden.DelayPerVeh), Caption(shown.DelayPerVeh));
        QCOMPARE(Caption(hidden.ArtStops), Caption(shown.ArtStops));
        QCOMPARE(Caption(hidden.TimeUnits), Caption(shown.TimeUnits));
        for (int k = 1; k <= 7; ++k) {
            QCOMPARE(hidden.Link(k)->FwInput(), shown.Link(k)->FwInput());
            QCOMPARE(hidden.Link(k)->BkInput(), shown.Link(k)->BkInput());
            QCOMPARE(hidden.Link(k)->GetBitmap(), shown.Link(k)->GetBitmap());
        }
        for (int k = 1; k <= 6; ++k) {
            QCOMPARE(hidden.Light(k)->QueueSet(), shown.Light(k)->QueueSet());
        }
    }
};

QTEST_MAIN(tst_Progression)
#include "tst_Progression.moc"
