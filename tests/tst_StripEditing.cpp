#include "FormDriver.h"
#include "model/Passage.h"

#include "controls/TimeSpaceLink.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QPushButton>

// Mouse gestures on a signal timing strip, on its own and inside the window.
class tst_StripEditing : public QObject {
    Q_OBJECT

    struct Recorder {
        QStringList Events;
        void Bind(TTimeSpaceLight &strip) {
            strip.SetOnTimingOffset([this](QObject *) { Events << "offset"; });
            strip.SetOnTimingChange([this](QObject *) { Events << "split"; });
            strip.SetOnCycleTimeChange([this](QObject *) { Events << "cycle"; });
            strip.SetOnReset([this](QObject *) { Events << "reset"; });
            strip.SetOnVerticleMove([this](QObject *) { Events << "vertical"; });
        }
    };

    static void LoadAsForm(TTimeSpaceLight &strip) { FormDriver::LoadAsForm(strip, 100); }

    static void Move(QWidget *w, int x, int y = 5) { FormDriver::MouseMove(w, QPoint(x, y)); }
    static void Press(QWidget *w, int x, Qt::KeyboardModifiers keys = {},
                      Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(w, button, keys, QPoint(x, 5));
    }
    static void Release(QWidget *w, int x) {
        QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(x, 5));
    }

    // Counts the paint events a widget receives.
    struct PaintCounter : QObject {
        int Paints = 0;
        bool eventFilter(QObject *, QEvent *event) override {
            Paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    };

    struct RenderCounts {
        int Compositions = 0;
        QList<int> Links;  // 1..7
        QList<int> Strips; // 1..6
        static RenderCounts Of(const TTimeSpaceForm &form) {
            RenderCounts counts;
            counts.Compositions = form.CompositionCount();
            for (int k = 1; k <= 7; ++k) {
                counts.Links << form.Link(k)->RenderCount();
            }
            for (int k = 1; k <= 6; ++k) {
                counts.Strips << form.Light(k)->RenderCount();
            }
            return counts;
        }
    };

  private slots:
    void pressPicksTheGesture_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("mode");
        QTest::newRow("green") << 10 << 0 << 1;
        QTest::newRow("first yellow column is not yellow") << 69 << 0 << 1;
        QTest::newRow("inside yellow") << 70 << 0 << 2;
        QTest::newRow("last yellow column") << 80 << 0 << 2;
        QTest::newRow("red") << 81 << 0 << 1;
        QTest::newRow("alt does not matter") << 75 << int(Qt::AltModifier) << 2;
        QTest::newRow("shift") << 75 << int(Qt::ShiftModifier) << 3;
        QTest::newRow("shift and ctrl") << 10 << int(Qt::ShiftModifier | Qt::ControlModifier) << 3;
        QTest::newRow("ctrl") << 10 << int(Qt::ControlModifier) << 4;
    }
    void pressPicksTheGesture() {
        QFETCH(int, x);
        QFETCH(int, modifiers);
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        Press(&strip, x, Qt::KeyboardModifiers(modifiers));
        QTEST(strip.DragMode(), "mode");
        Release(&strip, x);
        QCOMPARE(strip.DragMode(), 0);
    }

    void offsetDragWrapsOnceEachWay() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        Recorder events;
        events.Bind(strip);
        Press(&strip, 100);
        Move(&strip, 130);
        QCOMPARE(strip.CycleOffset(), 30);
        QCOMPARE(strip.GreenStart(1), 30);
        Move(&strip, 20);
        QCOMPARE(strip.CycleOffset(), 35); // -80 wrapped once
        // Moves outside the strip are ignored, the last x included.
        Move(&strip, 0);
        Move(&strip, 30, 10);
        Move(&strip, 460);
        QCOMPARE(strip.CycleOffset(), 35);
        Move(&strip, 25);
        QCOMPARE(strip.CycleOffset(), 40);
        // Exactly one cycle forward wraps to 0; almost three cycles in one move wrap three times.
        Move(&strip, 100);
        QCOMPARE(strip.CycleOffset(), 0);
        Move(&strip, 1);
        Move(&strip, 341);
        QCOMPARE(strip.CycleOffset(), 11); // 0 - 99 + 115, then + 340 - 3 x 115
        QCOMPARE(strip.GreenStart(0), -104);
        QCOMPARE(events.Events, QStringList(6, "offset"));
    }

    void splitDragMovesTheYellow() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        Recorder events;
        events.Bind(strip);
        Press(&strip, 75);
        Move(&strip, 85);
        QCOMPARE(strip.GreenTime(), 79);
        QCOMPARE(strip.RedTime(), 24);
        QCOMPARE(strip.YellowTime(), 12);
        QCOMPARE(strip.PercentGreen(), 69);
        QCOMPARE(strip.PercentRed(), 21);
        QCOMPARE(strip.GreenEnd(1), 115 - 24 - 6);
        QCOMPARE(strip.GetBitmap().pixelColor(75, 5), QColor(0, 128, 0));
        // Red would fall to 2 s: refused, yet the percentages are written and the event fires.
        Move(&strip, 107);
        QCOMPARE(strip.RedTime(), 24);
        QCOMPARE(strip.GreenTime(), 79);
        QCOMPARE(events.Events, QStringList({"split", "split"}));
    }

    void cycleDragKeepsItsRange() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        strip.SetCycleOffset(20);
        Recorder events;
        events.Bind(strip);
        Press(&strip, 200, Qt::ShiftModifier);
        Move(&strip, 190);
        QCOMPARE(strip.CycleTime(), 105);
        QCOMPARE(strip.CycleOffset(), 0);
        QCOMPARE(strip.NumberOfBands(), 4);
        QCOMPARE(strip.RedTime(), 32);
        QCOMPARE(strip.GreenTime(), 63);
        QCOMPARE(strip.YellowTime(), 10);
        Release(&strip, 190);

        strip.SetCycleTime(20);
        Press(&strip, 100, Qt::ShiftModifier);
        Move(&strip, 99); // 19 refused
        QCOMPARE(strip.CycleTime(), 20);
        Release(&strip, 99);
        strip.SetCycleTime(229);
        Press(&strip, 100, Qt::ShiftModifier);
        Move(&strip, 101); // 230 refused
        QCOMPARE(strip.CycleTime(), 229);
        QCOMPARE(events.Events, QStringList({"cycle"}));
    }

    void shiftPressMeasuresFromItself() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        Press(&strip, 10);
        Release(&strip, 10);
        Press(&strip, 300, Qt::ShiftModifier);
        Move(&strip, 305);
        QCOMPARE(strip.CycleTime(), 120);
    }

    void rightClickResets() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        strip.SetCycleTime(60);
        Recorder events;
        events.Bind(strip);
        Press(&strip, 10, Qt::ShiftModifier, Qt::RightButton);
        QCOMPARE(strip.CycleTime(), 115);
        QCOMPARE(strip.DragMode(), 0);
        QCOMPARE(events.Events, QStringList({"reset"}));
    }

    void verticalDragFollowsThePointer() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        strip.SetVerticleMove(true);
        Recorder events;
        events.Bind(strip);
        Press(&strip, 10, Qt::ControlModifier);
        Move(&strip, 10, 8);
        QCOMPARE(strip.y(), 103);
        Move(&strip, 10, 1);
        QCOMPARE(strip.y(), 99);
        QCOMPARE(events.Events, QStringList({"vertical", "vertical"}));

        strip.SetVerticleMove(false);
        Move(&strip, 10, 8);
        QCOMPARE(strip.y(), 99);
    }

    void windowFollowsEveryDragMove() {
        TTimeSpaceForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TTimeSpaceLight *jct3 = form.Light(3);
        Press(jct3, 100);
        Move(jct3, 110);
        QCOMPARE(jct3->CycleOffset(), 10);
        QCOMPARE(form.JCT->currentIndex(), 2);
        QCOMPARE(form.CycleOffset->Caption(), QString("10"));
        // One composition per move, not several.
        QCOMPARE(form.CompositionCount(), 1);
        Move(jct3, 120);
        QCOMPARE(form.CompositionCount(), 2);
        Release(jct3, 120);

        // JCT #1 cannot be moved up or down.
        Press(form.Light(1), 10, Qt::ControlModifier);
        Move(form.Light(1), 10, 9);
        QCOMPARE(form.Light(1)->y(), 12);
        QVERIFY(!form.Refresh->isEnabled());
        Release(form.Light(1), 10);

        Press(form.Light(2), 10, Qt::ControlModifier);
        Move(form.Light(2), 10, 9);
        QCOMPARE(form.Light(2)->y(), 91);
        QVERIFY(form.Refresh->isEnabled());
        QCOMPARE(form.Label2->y(), 171);
    }

    // A right click on one of six differently timed strips: the volume maxima follow JCT #1 and
    // JCT #6 only, (green - red + 100) x 7.2 truncated, then down to tens: distinct 143 -> 1029.6
    // -> 1020 and 118 -> 849.6 -> 840 (rounding at either step: 1030, 850), loaded 130 -> 936 ->
    // 930. The platoon factor is JCT #3's cycle / 1440, held as a double.
    void windowResetAtDistinctTimings_data() {
        QTest::addColumn<int>("junction");
        QTest::addColumn<int>("fwMax");
        QTest::addColumn<int>("bkMax");
        QTest::addColumn<int>("factorCycle");
        QTest::newRow("JCT #1 moves the southbound maximum") << 1 << 930 << 840 << 88;
        QTest::newRow("JCT #3 moves the platoon factor") << 3 << 1020 << 840 << 115;
        QTest::newRow("JCT #6 moves the northbound maximum") << 6 << 1020 << 930 << 88;
    }
    void windowResetAtDistinctTimings() {
        QFETCH(int, junction);
        QFETCH(int, factorCycle);
        TTimeSpaceForm form;
        FormDriver::SetDistinctTimings(form);
        QTest::mouseClick(form.Light(junction), Qt::RightButton, {}, QPoint(10, 5));
        QCOMPARE(form.Light(junction)->CycleTime(), 115);
        QCOMPARE(form.JCT->currentIndex(), junction - 1);
        QTEST(form.FwMainRoadVol->Max(), "fwMax");
        QTEST(form.BkMainRoadVol->Max(), "bkMax");
        QVERIFY2(form.PlatoonFactor() == factorCycle / 1440.0,
                 qPrintable(QString::number(form.PlatoonFactor(), 'g', 17)));
    }

    void dragMoveComposesAndRendersOnce() {
        TTimeSpaceForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Traffic both ways, so that every link has bands and queues to draw.
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 500);
        FormDriver::UserMovesTrackBar(form.BkMainRoadVol, 400);
        PaintCounter linkPaints;
        form.Link(4)->installEventFilter(&linkPaints);
        TTimeSpaceLight *jct3 = form.Light(3);
        Press(jct3, 100);
        for (int x = 101; x <= 103; ++x) {
            const RenderCounts before = RenderCounts::Of(form);
            const int paints = linkPaints.Paints;
            const std::uint64_t passages = PassagesRun();
            Move(jct3, x);
            const RenderCounts after = RenderCounts::Of(form);
            QCOMPARE(after.Compositions, before.Compositions + 1);
            // One passage per junction and direction: the evaluation runs once a move.
            QCOMPARE(PassagesRun() - passages, std::uint64_t{12});
            // Every link carries a changed set and is drawn again, once; of the strips only
            // the dragged one changed.
            for (int k = 0; k < 7; ++k) {
                QCOMPARE(after.Links[k], before.Links[k] + 1);
            }
            for (int k = 0; k < 6; ++k) {
                QCOMPARE(after.Strips[k], before.Strips[k] + (k == 2 ? 1 : 0));
            }
            // The repaint that follows shows the pictures already made: nothing is rendered
            // or composed again.
            QTRY_VERIFY(linkPaints.Paints > paints);
            const RenderCounts painted = RenderCounts::Of(form);
            QCOMPARE(painted.Compositions, after.Compositions);
            QCOMPARE(painted.Links, after.Links);
            QCOMPARE(painted.Strips, after.Strips);
        }
        Release(jct3, 103);
        QCOMPARE(jct3->CycleOffset(), 3);
    }
};

QTEST_MAIN(tst_StripEditing)
#include "tst_StripEditing.moc"
