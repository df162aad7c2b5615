#include "FormDriver.h"

#include "platform/HintSwitch.h"
#include "platform/UpDown.h"

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>

using FormDriver::Caption;
using FormDriver::ClickLabel;

namespace {
void ClickUp(TUpDown *upDown) {
    QTest::mouseClick(upDown, Qt::LeftButton, {}, QPoint(upDown->width() / 2, 3));
}
void ClickDown(TUpDown *upDown) {
    QTest::mouseClick(upDown, Qt::LeftButton, {},
                      QPoint(upDown->width() / 2, upDown->height() - 3));
}
void ClickRight(TUpDown *upDown) {
    QTest::mouseClick(upDown, Qt::LeftButton, {},
                      QPoint(upDown->width() - 3, upDown->height() / 2));
}
void ClickLeft(TUpDown *upDown) {
    QTest::mouseClick(upDown, Qt::LeftButton, {}, QPoint(3, upDown->height() / 2));
}
void Choose(TTimeSpaceForm &form, int index) {
    FormDriver::ChooseJunction(form, index);
}

// Six different timings: cycle, red %, green %, offset of JCT #1 .. #6.
constexpr int Timings[6][4] = {{120, 30, 60, 10}, {100, 35, 55, 40}, {90, 40, 50, 25},
                               {110, 25, 65, 70}, {130, 45, 45, 5},  {80, 20, 70, 55}};

// Sets the timings, then 900 veh/hr southbound with 20 % entering and 10 % leaving, moved
// by the user so that the links hold the arrivals of these timings.
void LoadSixTimings(TTimeSpaceForm &form) {
    for (int k = 1; k <= 6; ++k) {
        const auto &[cycle, red, green, offset] = Timings[k - 1];
        FormDriver::SetTiming(form.Light(k), {cycle, red, green, offset});
    }
    FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 900);
    FormDriver::UserMovesTrackBar(form.SideVol, 20);
    FormDriver::UserMovesTrackBar(form.TrafficLeaving, 10);
}

} // namespace

// The junction panel: selection, offset and cycle-time arrows, split clicks.
class tst_JunctionPanel : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void choosingAJunctionLoadsThePanel() {
        TTimeSpaceForm form;
        form.Light(3)->SetCycleTime(90);
        form.Light(3)->SetCycleOffset(25);
        Choose(form, 2);
        QCOMPARE(Caption(form.CycleTime), QString("90"));
        QCOMPARE(Caption(form.CycleOffset), QString("25"));
        QCOMPARE(form.CycleTimeUpDown->Position(), 90);
        QCOMPARE(form.CycleOffsetUpDown->Position(), 25);
        QCOMPARE(form.SplitUpDown->Position(), 0);
    }

    void offsetArrowsStopAtTheCycleTime() {
        TTimeSpaceForm form;
        form.Light(1)->SetCycleOffset(113);
        Choose(form, 0);
        ClickUp(form.CycleOffsetUpDown);
        QCOMPARE(form.Light(1)->CycleOffset(), 114);
        ClickUp(form.CycleOffsetUpDown);
        QCOMPARE(form.Light(1)->CycleOffset(), 115);
        const int composed = form.CompositionCount();
        ClickUp(form.CycleOffsetUpDown);
        QCOMPARE(form.Light(1)->CycleOffset(), 115);
        QCOMPARE(form.CompositionCount(), composed);
        QCOMPARE(Caption(form.CycleOffset), QString("115"));
    }

    void cycleTimeArrowsResetTheOffset() {
        TTimeSpaceForm form;
        form.Light(1)->SetCycleOffset(40);
        Choose(form, 0);
        ClickUp(form.CycleTimeUpDown);
        QCOMPARE(form.Light(1)->CycleTime(), 120);
        QCOMPARE(Caption(form.CycleTime), QString("120"));
        QCOMPARE(Caption(form.CycleOffset), QString("0"));
        // The offset arrows start from the reset offset.
        ClickUp(form.CycleOffsetUpDown);
        QCOMPARE(form.Light(1)->CycleOffset(), 1);
        ClickDown(form.CycleTimeUpDown);
        ClickDown(form.CycleTimeUpDown);
        QCOMPARE(form.Light(1)->CycleTime(), 110);
    }

    void cycleTimeArrowsStopAt230() {
        TTimeSpaceForm form;
        form.Light(2)->SetCycleTime(230);
        Choose(form, 1);
        const int composed = form.CompositionCount();
        ClickUp(form.CycleTimeUpDown);
        QCOMPARE(form.Light(2)->CycleTime(), 230);
        QCOMPARE(form.CompositionCount(), composed);
    }

    void splitClicks_data() {
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<bool>("onRed");
        QTest::addColumn<int>("newRed");
        QTest::addColumn<int>("newGreen");
        QTest::newRow("red from 30/60") << 30 << 60 << true << 35 << 55;
        QTest::newRow("green from 30/60") << 30 << 60 << false << 25 << 65;
        QTest::newRow("red from 75/15") << 75 << 15 << true << 80 << 10;
        QTest::newRow("red at 80 does nothing") << 80 << 10 << true << 80 << 10;
        QTest::newRow("green from 15/75") << 15 << 75 << false << 10 << 80;
        QTest::newRow("green at 80 does nothing") << 10 << 80 << false << 10 << 80;
        QTest::newRow("green from 10/70, red 5 refused") << 10 << 70 << false << 10 << 80;
        QTest::newRow("red refused with a 2 % yellow") << 30 << 68 << true << 30 << 60;
    }
    void splitClicks() {
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(bool, onRed);
        TTimeSpaceForm form;
        TTimeSpaceLight *light = form.Light(1);
        FormDriver::SetTiming(light, {115, red, green, 0});
        QCOMPARE(light->PercentRed(), red);
        QCOMPARE(light->PercentGreen(), green);
        ClickLabel(onRed ? form.SplitRed : form.SplitGreen);
        QTEST(light->PercentRed(), "newRed");
        QTEST(light->PercentGreen(), "newGreen");
        // A click that changes nothing leaves the panel as it was.
        const bool changed = light->PercentRed() != red || light->PercentGreen() != green;
        QCOMPARE(Caption(form.SplitRed), changed ? QString::number(light->PercentRed()) : "30");
        QCOMPARE(Caption(form.SplitGreen),
                 changed ? QString::number(100 - light->PercentRed()) : "70");
    }

    void splitArrowsRunTheLabelClicks() {
        TTimeSpaceForm form;
        ClickRight(form.SplitUpDown);
        QCOMPARE(form.Light(1)->PercentRed(), 35);
        ClickLeft(form.SplitUpDown);
        ClickLeft(form.SplitUpDown);
        QCOMPARE(form.Light(1)->PercentRed(), 25);
        QCOMPARE(form.Light(1)->PercentGreen(), 65);
    }

    void splitArrowRunsOutAfterAHundredClicks() {
        TTimeSpaceForm form;
        for (int i = 0; i < 100; ++i) {
            ClickRight(form.SplitUpDown);
        }
        QCOMPARE(form.SplitUpDown->Position(), 100);
        form.Light(1)->SetPercentRed(30);
        form.Light(1)->SetPercentGreen(60);
        ClickRight(form.SplitUpDown);
        QCOMPARE(form.Light(1)->PercentRed(), 30);
        Choose(form, 0);
        ClickRight(form.SplitUpDown);
        QCOMPARE(form.Light(1)->PercentRed(), 35);
    }

    // A strip's own edit selects its junction and loads the arrows from it.
    void stripEditsLoadTheArrows_data() {
        QTest::addColumn<int>("junction");
        QTest::addColumn<int>("gesture"); // 0 offset drag, 1 shift drag, 2 right click
        QTest::addColumn<int>("offset");  // the strip's offset after the gesture
        QTest::addColumn<int>("cycle");
        QTest::newRow("offset drag at JCT #3") << 3 << 0 << 25 + 23 << 90;
        QTest::newRow("offset drag at JCT #6") << 6 << 0 << 55 + 23 << 80;
        QTest::newRow("shift drag at JCT #4") << 4 << 1 << 0 << 110 + 23;
        QTest::newRow("right click at JCT #5") << 5 << 2 << 0 << 115;
    }
    void stripEditsLoadTheArrows() {
        QFETCH(int, junction);
        QFETCH(int, gesture);
        QFETCH(int, offset);
        QFETCH(int, cycle);
        TTimeSpaceForm form;
        LoadSixTimings(form);
        TTimeSpaceLight *strip = form.Light(junction);
        const int green = strip->GreenStart(1) + 1;
        if (gesture == 2) {
            QTest::mouseClick(strip, Qt::RightButton, {}, QPoint(green, 5));
        } else {
            FormDriver::DragStrip(strip, green, green + 23,
                                  gesture == 1 ? Qt::ShiftModifier : Qt::NoModifier);
        }
        QCOMPARE(form.JCT->currentIndex(), junction - 1);
        QCOMPARE(strip->CycleOffset(), offset);
        QCOMPARE(strip->CycleTime(), cycle);
        ClickUp(form.CycleOffsetUpDown);
        QCOMPARE(strip->CycleOffset(), offset + 1);
        ClickDown(form.CycleTimeUpDown);
        QCOMPARE(strip->CycleTime(), cycle - 5);
        QCOMPARE(form.Light(1)->CycleOffset(), Timings[0][3]);
    }

    // The panel's edits move the volume maxima as a strip's edit does, and the crossroad
    // figures follow the volume in effect.
    void panelEditsMoveTheMaxima_data() {
        QTest::addColumn<int>("junction");
        QTest::addColumn<bool>("onRed");
        QTest::addColumn<int>("fwMax");
        QTest::addColumn<int>("bkMax");
        QTest::addColumn<int>("sideMax");
        QTest::addColumn<QStringList>("labels"); // volume, entering, leaving
        // The 900 veh/hr platoon at JCT #1's 120 s is Trunc(900 x 0.08333...) = 74 s (the
        // factor is held just below 1/12). Loaded: JCT #1 at 30/60 gives 930, JCT #6 at 20/70
        // gives 1080, JCT #2 at 35 % of 100 s gives Trunc(3500 / 74) = 47, so 40 (until the
        // first timing edit SideVol keeps the 100 of a diagram without arrivals).
        // Red at JCT #1, 35/55: Trunc(120 / 200 x 1440) = 864, the volume drops to 860;
        // 20 % of it enters (172) and 10 % of 860 + 172 leaves (103).
        QTest::newRow("red at JCT #1")
            << 1 << true << 860 << 1080 << 40 << QStringList{"860", "172", "103"};
        // Green at JCT #6, 15/75: Trunc(160 / 200 x 1440) = 1152.
        QTest::newRow("green at JCT #6")
            << 6 << false << 930 << 1150 << 40 << QStringList{"900", "180", "108"};
        // Red at JCT #2, 40/50: Trunc(4000 / 74) = 54.
        QTest::newRow("red at JCT #2")
            << 2 << true << 930 << 1080 << 50 << QStringList{"900", "180", "108"};
        QTest::newRow("green at JCT #4 moves no maximum")
            << 4 << false << 930 << 1080 << 40 << QStringList{"900", "180", "108"};
    }
    void panelEditsMoveTheMaxima() {
        QFETCH(int, junction);
        QFETCH(bool, onRed);
        QFETCH(QStringList, labels);
        TTimeSpaceForm form;
        LoadSixTimings(form);
        Choose(form, junction - 1);
        ClickLabel(onRed ? form.SplitRed : form.SplitGreen);
        QTEST(form.FwMainRoadVol->Max(), "fwMax");
        QTEST(form.BkMainRoadVol->Max(), "bkMax");
        QTEST(form.SideVol->Max(), "sideMax");
        QCOMPARE(form.FwMainRoadVol->Position(), labels[0].toInt());
        QCOMPARE(Caption(form.FwMainRoadVolLabel), labels[0]);
        QCOMPARE(Caption(form.DivertedTraffic2), labels[1]);
        QCOMPARE(Caption(form.PercentLeaving2), labels[2]);
    }

    void stripSplitDragShowsTheLoweredVolume() {
        TTimeSpaceForm form;
        LoadSixTimings(form);
        // JCT #1's yellow dragged 12 s left: green 60 s, red 48 s of 120, so 50 % and 40 %;
        // Trunc(110 / 200 x 1440) = 792 lowers the volume to 790, of which 158 enter and
        // Trunc(94.8) leave.
        TTimeSpaceLight *strip = form.Light(1);
        const int yellow = strip->GreenStart(1) + strip->GreenTime() + 5;
        FormDriver::DragStrip(strip, yellow, yellow - 12);
        QCOMPARE(strip->PercentGreen(), 50);
        QCOMPARE(form.FwMainRoadVol->Max(), 790);
        QCOMPARE(Caption(form.FwMainRoadVolLabel), QString("790"));
        QCOMPARE(Caption(form.DivertedTraffic2), QString("158"));
        QCOMPARE(Caption(form.PercentLeaving2), QString("94"));
    }

    void panelClicksRebuildTheHints() {
        TTimeSpaceForm form;
        ClickUp(form.CycleTimeUpDown);
        QVERIFY(THintSwitch::Hint(form.Light(1)).startsWith("CycleTime: 120\r"));
    }
};

QTEST_MAIN(tst_JunctionPanel)
#include "tst_JunctionPanel.moc"
