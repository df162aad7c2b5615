#include "FormDriver.h"

#include "controls/Led.h"
#include "controls/ThdTimer.h"
#include "platform/HintSwitch.h"

#include <QElapsedTimer>

#include <array>

// The strips' hints and the blinking cycle-failure lamps.
class tst_Hints : public QObject {
    Q_OBJECT

    static void OverloadNorthbound(TTimeSpaceForm &form, int junction) {
        form.BkMainRoadVol->SetPosition(930);
        form.Light(junction)->SetPercentGreen(30);
        form.Light(junction)->SetPercentRed(60);
    }

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // The four timing lines, then the link above: 70 px of travel span, 2800 ft, at 45 mph
    // (66 ft/s) 42.4 s.
    void loadedTimingGivesTimingThenLink() {
        TTimeSpaceForm form;
        form.RefreshTimeSpaceDiagram();
        QCOMPARE(THintSwitch::Hint(form.Light(2)),
                 QString("CycleTime: 115\rCycleOffset: 0\rPercent Green: 70\rPercent Red: 30"
                         "\rLink above: 2800 ft, 42 s southbound, 42 s northbound"));
        QCOMPARE(THintSwitch::DisplayText(THintSwitch::Hint(form.Light(2))).count('\n'), 4);
    }

    void failingStripsNameTheirDirections() {
        TTimeSpaceForm form;
        OverloadNorthbound(form, 3);
        form.RefreshTimeSpaceDiagram();
        QCOMPARE(THintSwitch::Hint(form.Light(3)).section('\r', 3, 4),
                 QString("Percent Red: 60\rBackward Cycle Failure"));

        form.FwMainRoadVol->SetPosition(930);
        form.RefreshTimeSpaceDiagram();
        const QString both = THintSwitch::Hint(form.Light(3));
        QCOMPARE(both.section('\r', 4, 5),
                 QString("Forward Cycle Failure\rBackward Cycle Failure"));
        QVERIFY(both.section('\r', 6).startsWith("Link above: "));
        QCOMPARE(both.count('\r'), 6);
    }

    // Every junction timed differently; 600 veh/hr (a 39 s platoon at JCT #1's 96 s cycle) one
    // way. 70 % red and 20 % green leave JCT #1 Trunc(19 + 10 / 2) = 24 s and JCT #6 (120 s)
    // 24 + 12 / 2 = 30 s of green, too little; every other junction serves 48 s or more.
    // Southbound at 52 mph (76.27 ft/s), northbound at 38 mph (55.73 ft/s): the 680 ft end
    // links take 8.9 and 12.2 s, the 2800 ft inner links 36.7 and 50.2 s.
    void failuresAtDistinctTimings_data() {
        QTest::addColumn<int>("failing"); // 0: none
        QTest::addColumn<bool>("southbound");
        QTest::newRow("no failure") << 0 << true;
        QTest::newRow("southbound fails at JCT #1 only") << 1 << true;
        QTest::newRow("southbound fails at JCT #6 only") << 6 << true;
        QTest::newRow("northbound fails at JCT #1 only") << 1 << false;
        QTest::newRow("northbound fails at JCT #6 only") << 6 << false;
    }
    void failuresAtDistinctTimings() {
        QFETCH(int, failing);
        QFETCH(bool, southbound);
        TTimeSpaceForm form;
        FormDriver::SetDistinctTimings(form);
        std::array timings = std::to_array(FormDriver::DistinctTimings);
        if (failing > 0) {
            timings[failing].Red = 70;
            timings[failing].Green = 20;
            FormDriver::SetTiming(form.Light(failing), timings[failing]);
        }
        FormDriver::UserMovesTrackBar(form.MainRoadSpeedLimitFwd, 52);
        FormDriver::UserMovesTrackBar(form.MainRoadSpeedLimitBkd, 38);
        FormDriver::UserMovesTrackBar(southbound ? form.FwMainRoadVol : form.BkMainRoadVol, 600);
        const QString line = southbound ? "\rForward Cycle Failure" : "\rBackward Cycle Failure";
        const QString endLink = "680 ft, 9 s southbound, 12 s northbound";
        const QString innerLink = "2800 ft, 37 s southbound, 50 s northbound";
        for (int k = 1; k <= 6; ++k) {
            const FormDriver::Timing &t = timings[k];
            const QString hint = QString("CycleTime: %1\rCycleOffset: %2\rPercent Green: %3\r"
                                         "Percent Red: %4")
                                     .arg(t.Cycle)
                                     .arg(t.Offset)
                                     .arg(100 - t.Red)
                                     .arg(t.Red);
            const QString links = "\rLink above: " + (k == 1 ? endLink : innerLink) +
                                  (k == 6 ? "\rLink below: " + endLink : QString());
            QCOMPARE(THintSwitch::Hint(form.Light(k)),
                     hint + (k == failing ? line : QString()) + links);
        }
        const bool south = failing > 0 && southbound;
        const bool north = failing > 0 && !southbound;
        QCOMPARE(form.IfFwCycleFailure(), south);
        QCOMPARE(form.IfBkCycleFailure(), north);
        QCOMPARE(form.FwFailure(), south);
        QCOMPARE(form.BkFailure(), north);
        form.ThreadedTimer1Timer(form.ThreadedTimer1);
        QCOMPARE(!form.CFSouth->isHidden(), south);
        QCOMPARE(!form.CFNorth->isHidden(), north);
    }

    void hintsAreOffUntilSwitchedOn() {
        TTimeSpaceForm form;
        QVERIFY(!form.ShowHint());
        form.SetShowHint(true);
        QVERIFY(form.ShowHint());
    }

    void southboundFailureBlinksItsLampOnly() {
        TTimeSpaceForm form;
        form.FwMainRoadVol->SetPosition(930);
        form.Light(2)->SetPercentGreen(30);
        form.Light(2)->SetPercentRed(60);
        form.RefreshTimeSpaceDiagram();
        QVERIFY(form.FwFailure());
        QVERIFY(!form.BkFailure());
        QVERIFY(form.CFSouth->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(!form.CFSouth->isHidden(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(form.CFSouth->isHidden(), 5000);
        QVERIFY(form.CFNorth->isHidden());

        // Mending the timing hides the lamp at once; the timer keeps running.
        form.Light(2)->SetPercentRed(30);
        form.Light(2)->SetPercentGreen(60);
        form.RefreshTimeSpaceDiagram();
        QVERIFY(!form.FwFailure());
        QVERIFY(form.CFSouth->isHidden());
        QVERIFY(form.ThreadedTimer1->Enabled());
    }

    void ticksOnlyToggleFailingDirections() {
        TTimeSpaceForm form;
        OverloadNorthbound(form, 5);
        form.RefreshTimeSpaceDiagram();
        form.ThreadedTimer1Timer(form.ThreadedTimer1);
        QVERIFY(!form.CFNorth->isHidden());
        QVERIFY(form.CFSouth->isHidden());
        form.ThreadedTimer1Timer(form.ThreadedTimer1);
        QVERIFY(form.CFNorth->isHidden());
    }
};

QTEST_MAIN(tst_Hints)
#include "tst_Hints.moc"
