#include "FormDriver.h"

#include "controls/Led.h"
#include "controls/SpaceLink.h"
#include "controls/ThdTimer.h"
#include "controls/TimeSpaceLink.h"
#include "platform/Image.h"
#include "platform/UpDown.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>

// What the window holds right after it is created, before any input changed.
class tst_Startup : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void windowAndPanel() {
        TTimeSpaceForm form;
        QCOMPARE(form.windowTitle(), QString("TimeSpace Diagram"));
        QCOMPARE(form.TimeSpaceDiagram->geometry(), QRect(80, 80, 524, 409));
        const int tops[] = {0, 12, 87, 162, 237, 312, 387};
        for (int k = 1; k <= 6; ++k) {
            QCOMPARE(form.Light(k)->geometry(), QRect(0, tops[k], 460, 10));
            QCOMPARE(form.Light(k)->CycleTime(), 115);
            QCOMPARE(form.Light(k)->PercentRed(), 30);
            QCOMPARE(form.Light(k)->PercentGreen(), 60);
            QCOMPARE(form.Light(k)->VerticleMove(), k != 1);
        }
    }

    void arraysFollowTheJunctions() {
        TTimeSpaceForm form;
        QCOMPARE(form.Light(1), form.TimeSpaceLight2);
        QCOMPARE(form.Light(6), form.TimeSpaceLight12);
        QCOMPARE(form.Link(1), form.TimeSpaceLink1);
        QCOMPARE(form.Link(7), form.TimeSpaceLink13);
        QCOMPARE(form.SpaceLink(4), form.SpaceLink7);
        QCOMPARE(form.JunctionImage(3), form.Image6);
        QCOMPARE(form.JunctionLabel(6), form.Label6);
    }

    void defaultsAndRanges() {
        TTimeSpaceForm form;
        QCOMPARE(form.FwMainRoadVol->Max(), 930);
        QCOMPARE(form.BkMainRoadVol->Max(), 930);
        QCOMPARE(form.FwMainRoadVol->Position(), 0);
        QCOMPARE(form.MainRoadSpeedLimitFwd->Position(), 45);
        QCOMPARE(form.SideVol->Max(), 100);
        QCOMPARE(form.TrafficLeaving->Max(), 100);
        QCOMPARE(form.JCT->currentIndex(), 0);
        QCOMPARE(form.CycleTimeUpDown->Min(), 50);
        QCOMPARE(form.CycleTimeUpDown->Max(), 230);
        QCOMPARE(form.CycleTimeUpDown->Position(), 115);
        QCOMPARE(form.CycleOffsetUpDown->Max(), 115);
        QCOMPARE(form.CycleOffsetUpDown->Position(), 0);
        QCOMPARE(form.BrowserPath(),
                 QString("C:\\Program Files\\Netscape\\Communicator\\Program\\netscape.exe"));
        QCOMPARE(form.HelpFile(), QString("MainHelp.html"));
        QVERIFY(!form.ShowHint());
        // 2.5 / (3600 / 115)
        QCOMPARE(form.PlatoonFactor(), 0.079861111111111105);
        // Every link computes with the speed its track bar shows.
        for (int k = 1; k <= 7; ++k) {
            QCOMPARE(form.Link(k)->FwdSpeedMph(), 45);
            QCOMPARE(form.Link(k)->BackSpeedMph(), 45);
        }
    }

    void nothingIsComputedYet() {
        TTimeSpaceForm form;
        using FormDriver::Caption;
        QCOMPARE(Caption(form.DelayPerVeh), QString("00.0"));
        QCOMPARE(Caption(form.TimeUnits), QString("sec"));
        QCOMPARE(Caption(form.ArtStops), QString("0.0"));
        QVERIFY(form.CFSouth->isHidden());
        QVERIFY(form.CFNorth->isHidden());
        QVERIFY(!form.ThreadedTimer1->Enabled());
        QCOMPARE(form.ThreadedTimer1->Interval(), 400);
        QVERIFY(!form.FwFailure());
        QVERIFY(!form.BkFailure());
        QVERIFY(!form.Refresh->isEnabled());
        QCOMPARE(form.CompositionCount(), 0);
        for (int k = 1; k <= 7; ++k) {
            QCOMPARE(form.Link(k)->TravelFw(), PlatoonSet{});
        }
        // The backdrop is black after the start-up alignment.
        QCOMPARE(form.TimeSpaceImage->Canvas().pixelColor(100, 100), QColor(Qt::black));
    }

    void panelShowsJunctionOne() {
        TTimeSpaceForm form;
        using FormDriver::Caption;
        QCOMPARE(Caption(form.CycleOffset), QString("0"));
        QCOMPARE(Caption(form.SplitGreen), QString("70"));
        QCOMPARE(Caption(form.SplitRed), QString("30"));
        QCOMPARE(Caption(form.CycleTime), QString("115"));
    }

    void startUpAlignmentMovesOnlyLabelsAndBoxes() {
        TTimeSpaceForm form;
        QCOMPARE(form.Label2->y(), 167);
        QCOMPARE(form.Label3->y(), 242);
        QCOMPARE(form.Label4->y(), 317);
        QCOMPARE(form.Label5->y(), 392);
        QCOMPARE(form.Label6->y(), 462);
        QCOMPARE(form.Label1->y(), 87);
        QCOMPARE(form.EnteringTrafficControls->y(), 137);
        QCOMPARE(form.LeavingTrafficControls->y(), 362);
        QCOMPARE(form.Link(2)->geometry(), QRect(0, 22, 460, 65));
        QCOMPARE(form.Link(7)->geometry(), QRect(0, 397, 460, 12));
        QCOMPARE(form.SpaceLink(2)->geometry(), QRect(486, 17, 35, 75));
        QCOMPARE(form.SpaceLink(7)->geometry(), QRect(486, 392, 35, 17));
    }

    // Every caption the window shows is in one of its design fonts; a style sheet on a
    // control or its box stops the inherited font, so each must carry its own.
    void everyCaptionUsesADesignFont() {
        TTimeSpaceForm form;
        const auto widgets = form.findChildren<QWidget *>();
        int captions = 0;
        for (const QWidget *w : widgets) {
            if (!w->inherits("QLabel") && !w->inherits("QAbstractButton") &&
                !w->inherits("QComboBox") && !w->inherits("QGroupBox")) {
                continue;
            }
            ++captions;
            const QString family = w->font().family();
            QVERIFY2(family == "MS Sans Serif" || family == "Arial",
                     qPrintable(w->objectName() + ": " + family));
        }
        QVERIFY(captions > 40);
        QCOMPARE(form.JCT->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(form.JCT->font().pixelSize(), 11);
        QCOMPARE(form.JCT->view()->sizeHintForRow(0), 13);
    }

    void showsAndPaints() {
        TTimeSpaceForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The form's controls sit on its client area, below the menu bar, where they sat
        // against the window before it had one.
        const QImage shot = form.Client()->grab().toImage();
        // A strip's first green at the diagram's left edge, JCT #1 at panel row 12.
        QCOMPARE(shot.pixelColor(80 + 10, 80 + 15), QColor(0, 128, 0));
        QCOMPARE(shot.pixelColor(80 + 100, 80 + 15), QColor(255, 0, 0));
        // The links between the strips are black until traffic flows.
        QCOMPARE(shot.pixelColor(80 + 200, 80 + 50), QColor(0, 0, 0));
        // The ruler beside the mile scale is drawn: pale, not the window's face.
        const QColor ruler = shot.pixelColor(36 + 8, 96 + 100);
        QVERIFY(ruler != QColor(240, 240, 240));
        QVERIFY(ruler.lightness() > 150);
        // The decorative band right of the strips.
        QVERIFY(shot.pixelColor(80 + 462, 80 + 50) != QColor(0, 0, 0));
    }
};

QTEST_MAIN(tst_Startup)
#include "tst_Startup.moc"
