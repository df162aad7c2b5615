#include "FormDriver.h"

#include "platform/HintSwitch.h"
#include "platform/UpDown.h"

#include <QComboBox>

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
    form.JCT->setCurrentIndex(index);
    emit form.JCT->activated(index);
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
        QCOMPARE(form.CycleOffsetUpDown->Position(), 40);
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
        // Lower whichever share must make room first.
        if (green < light->PercentGreen()) {
            light->SetPercentGreen(green);
            light->SetPercentRed(red);
        } else {
            light->SetPercentRed(red);
            light->SetPercentGreen(green);
        }
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

    void panelClicksRebuildTheHints() {
        TTimeSpaceForm form;
        ClickUp(form.CycleTimeUpDown);
        QVERIFY(THintSwitch::Hint(form.Light(1)).startsWith("CycleTime: 120\r"));
    }
};

QTEST_MAIN(tst_JunctionPanel)
#include "tst_JunctionPanel.moc"
