#include "FormDriver.h"

#include "controls/SpaceLink.h"
#include "controls/TimeSpaceLink.h"
#include "platform/Image.h"

// Diagram geometry: re-alignment after strips move, the vertical-move handler, Reset and the
// composition of the backdrop.
class tst_Layout : public QObject {
    Q_OBJECT

    static void MoveStrip(TTimeSpaceForm &form, int junction, int top) {
        TTimeSpaceLight *light = form.Light(junction);
        light->move(light->x(), top);
        form.TimeSpaceLight4VerticleMove(light);
    }

  private slots:
    void realignsAfterAMove() {
        TTimeSpaceForm form;
        MoveStrip(form, 3, 200);
        QCOMPARE(form.Light(3)->y(), 200);
        QCOMPARE(form.Label3->y(), 280);
        QCOMPARE(form.Image6->y(), 200);
        // Links wait for the re-alignment.
        QCOMPARE(form.Link(3)->height(), 65);
        QVERIFY(form.Refresh->isEnabled());

        form.ReDodiagram();
        QCOMPARE(form.Link(3)->geometry(), QRect(0, 97, 460, 103));
        QCOMPARE(form.Link(4)->geometry(), QRect(0, 210, 460, 27));
        QCOMPARE(form.SpaceLink(4)->y(), 205);
        QCOMPARE(form.SpaceLink(3)->height(), 113);
        QCOMPARE(form.SpaceLink(4)->height(), 242 - 205);
        QVERIFY(!form.Refresh->isEnabled());
    }

    void lastJunctionSetsTheExitLinks() {
        TTimeSpaceForm form;
        MoveStrip(form, 6, 380);
        form.ReDodiagram();
        QCOMPARE(form.Light(6)->y(), 380);
        QCOMPARE(form.Link(7)->geometry(), QRect(0, 390, 460, 409 - 390));
        QCOMPARE(form.SpaceLink(7)->geometry(), QRect(486, 385, 35, 409 - 385));
        QCOMPARE(form.Label6->y(), 455);
    }

    void verticalMoveKeepsStripsApart_data() {
        QTest::addColumn<int>("junction");
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("top");
        QTest::newRow("JCT 3 to 220 accepted") << 3 << 220 << 220;
        QTest::newRow("JCT 3 to 222 jumps to the middle") << 3 << 222 << 162;
        QTest::newRow("JCT 3 to 100 jumps to the middle") << 3 << 100 << 162;
        QTest::newRow("JCT 3 at 103 accepted") << 3 << 103 << 103;
        QTest::newRow("JCT 6 below the bottom") << 6 << 395 << 387;
        QTest::newRow("JCT 6 near JCT 5") << 6 << 320 << 387;
        QTest::newRow("JCT 6 at 328 accepted") << 6 << 328 << 328;
    }
    void verticalMoveKeepsStripsApart() {
        QFETCH(int, junction);
        QFETCH(int, requested);
        TTimeSpaceForm form;
        MoveStrip(form, junction, requested);
        QTEST(form.Light(junction)->y(), "top");
    }

    void firstMovePaintsTheBackdropWhiteOnce() {
        TTimeSpaceForm form;
        QCOMPARE(form.TimeSpaceImage->Canvas().pixelColor(5, 5), QColor(Qt::black));
        MoveStrip(form, 2, 80);
        QCOMPARE(form.TimeSpaceImage->Canvas().pixelColor(5, 5), QColor(Qt::white));
        // A recomputation while the re-layout is pending paints over the white; a later move
        // does not whiten it again.
        form.RefreshTimeSpaceDiagram();
        const QColor composed = form.TimeSpaceImage->Canvas().pixelColor(5, 5);
        QVERIFY(composed != QColor(Qt::white));
        // Rows 90 to 96 lie between the moved strip and link 3: the white still shows there.
        QCOMPARE(form.TimeSpaceImage->Canvas().pixelColor(5, 93), QColor(Qt::white));
        QCOMPARE(form.TimeSpaceImage->Canvas().pixelColor(300, 96), QColor(Qt::white));
        MoveStrip(form, 2, 76);
        QCOMPARE(form.TimeSpaceImage->Canvas().pixelColor(5, 5), composed);
    }

    void resetRestoresPositionsButNotTimings() {
        TTimeSpaceForm form;
        form.Light(4)->SetCycleTime(90);
        MoveStrip(form, 2, 60);
        MoveStrip(form, 3, 200);
        MoveStrip(form, 5, 350);
        QTest::mouseClick(form.ReSet, Qt::LeftButton);
        const int tops[] = {0, 12, 87, 162, 237, 312, 387};
        for (int k = 1; k <= 6; ++k) {
            QCOMPARE(form.Light(k)->y(), tops[k]);
        }
        for (int k = 2; k <= 6; ++k) {
            QCOMPARE(form.Link(k)->height(), 65);
            QCOMPARE(form.SpaceLink(k)->height(), 75);
        }
        QVERIFY(!form.Refresh->isEnabled());
        QCOMPARE(form.Light(4)->CycleTime(), 90);
        QVERIFY(form.CompositionCount() > 0);
    }

    void refreshButtonRealigns() {
        TTimeSpaceForm form;
        MoveStrip(form, 4, 260);
        QTest::mouseClick(form.Refresh, Qt::LeftButton);
        QVERIFY(!form.Refresh->isEnabled());
        QCOMPARE(form.Link(4)->height(), 260 - 172);
        QCOMPARE(form.CompositionCount(), 1);
    }

    void compositionPutsStripsAboveLinks() {
        TTimeSpaceForm form;
        // Let JCT #2 overlap the link above it by moving it without a re-alignment.
        MoveStrip(form, 2, 70);
        form.RefreshTimeSpaceDiagram();
        const QImage &canvas = form.TimeSpaceImage->Canvas();
        QCOMPARE(canvas.size(), QSize(460, 409));
        QCOMPARE(canvas.pixelColor(10, 75), QColor(0, 128, 0));  // strip green over link 2
        QCOMPARE(canvas.pixelColor(100, 15), QColor(255, 0, 0)); // JCT #1 red
    }
};

QTEST_MAIN(tst_Layout)
#include "tst_Layout.moc"
