#include "FormDriver.h"

#include "controls/Led.h"
#include "controls/ThdTimer.h"
#include "platform/HintSwitch.h"

#include <QElapsedTimer>

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

    void loadedTimingGivesFourLines() {
        TTimeSpaceForm form;
        form.RefreshTimeSpaceDiagram();
        QCOMPARE(THintSwitch::Hint(form.Light(2)),
                 QString("CycleTime: 115\rCycleOffset: 0\rPercent Green: 70\rPercent Red: 30"));
        QCOMPARE(THintSwitch::DisplayText(THintSwitch::Hint(form.Light(2))).count('\n'), 3);
    }

    void failingStripsNameTheirDirections() {
        TTimeSpaceForm form;
        OverloadNorthbound(form, 3);
        form.RefreshTimeSpaceDiagram();
        QCOMPARE(THintSwitch::Hint(form.Light(3)).section('\r', 3),
                 QString("Percent Red: 60\rBackward Cycle Failure"));

        form.FwMainRoadVol->SetPosition(930);
        form.RefreshTimeSpaceDiagram();
        const QString both = THintSwitch::Hint(form.Light(3));
        QVERIFY(both.endsWith("\rForward Cycle Failure\rBackward Cycle Failure"));
        QCOMPARE(both.count('\r'), 5);
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
