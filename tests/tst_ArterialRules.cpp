#include "model/Progression.h"

#include "PlatoonSets.h"

#include <QTest>

// The arterial's rules between the junctions, without a window.
class tst_ArterialRules : public QObject {
    Q_OBJECT

  private slots:
    void capacityAndVolumeMaximum_data() {
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("maximum");
        QTest::newRow("loaded timing") << 60 << 30 << 936 << 930;
        QTest::newRow("red 10, green 80") << 80 << 10 << 1224 << 1220;
        QTest::newRow("truncated, not rounded") << 47 << 45 << 734 << 730; // 734.4
        QTest::newRow("green 10, red 80") << 10 << 80 << 216 << 210;
    }
    void capacityAndVolumeMaximum() {
        QFETCH(int, green);
        QFETCH(int, red);
        const int capacity = JunctionCapacity(green, red);
        QTEST(capacity, "capacity");
        QTEST(VolumeMaximum(capacity), "maximum");
    }

    void entryPlatoon_data() {
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("size");
        // The factor is held as a double just below 1/24 before it multiplies the volume.
        QTest::newRow("720 veh/hr at 60 s") << 720 << 60 << 29;
        QTest::newRow("720 veh/hr at 100 s") << 720 << 100 << 50;
        QTest::newRow("500 veh/hr at 115 s") << 500 << 115 << 39;
        QTest::newRow("no volume") << 0 << 115 << 0;
    }
    void entryPlatoon() {
        QFETCH(int, volume);
        QFETCH(int, cycle);
        QFETCH(int, size);
        QCOMPARE(EntryPlatoon(volume, cycle), Set({{0, size}}));
    }

    void crossroadFigures_data() {
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("entering");
        QTest::addColumn<int>("leaving");
        QTest::addColumn<int>("enteringVolume");
        QTest::addColumn<int>("leavingVolume");
        QTest::newRow("82.5 entering kept whole for the leaving share")
            << 250 << 33 << 15 << 82 << 49;
        QTest::newRow("20 % of 500, 10 % leaving") << 500 << 20 << 10 << 100 << 60;
        QTest::newRow("nothing enters") << 400 << 0 << 50 << 0 << 200;
    }
    void crossroadFigures() {
        QFETCH(int, volume);
        QFETCH(int, entering);
        QFETCH(int, leaving);
        QTEST(EnteringVolume(volume, entering), "enteringVolume");
        QTEST(LeavingVolume(volume, entering, leaving), "leavingVolume");
    }

    void sideVolumeMaximum_data() {
        QTest::addColumn<int>("flow");
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("maximum");
        QTest::newRow("nothing arrives") << 0 << 30 << 115 << 100;
        QTest::newRow("3450 / 120 = 28") << 120 << 30 << 115 << 20;
        QTest::newRow("above 100") << 10 << 40 << 100 << 400;
        QTest::newRow("below 10") << 100 << 10 << 50 << 0;
    }
    void sideVolumeMaximum() {
        QFETCH(int, flow);
        QFETCH(int, red);
        QFETCH(int, cycle);
        QTEST(SideVolumeMaximum(flow, {cycle, 0, red}), "maximum");
    }

    void crossroadPlatoons() {
        // JCT #2 turns red at (100 - 35) x 97 div 100 + 13 = 76: the platoon of 150 veh/hr at
        // the factor 115 / 1440 (Trunc 11.979) joins the first empty slot there.
        const double factor = PlatoonFactor(115);
        const JunctionTiming junction2{97, 13, 35};
        QCOMPARE(AddEnteringPlatoon(Set({{10, 40}}), 150, factor, junction2),
                 Set({{10, 40}, {76, 11}}));
        QCOMPARE(AddEnteringPlatoon(Set({{10, 40}}), 0, factor, junction2), Set({{10, 40}}));
        const PlatoonSet full = Set({{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}});
        QCOMPARE(AddEnteringPlatoon(full, 150, factor, junction2), full);
        // 67 % stay: each size keeps its integer share, every start stays.
        QCOMPARE(RemoveLeavingShare(Set({{10, 40}, {115, 3}}), 33), Set({{10, 26}, {115, 2}}));
    }

    void splitClicks_data() {
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<bool>("moreRed");
        QTest::addColumn<int>("askedRed"); // -1: the click does nothing
        QTest::newRow("red from 30") << 30 << 60 << true << 35;
        QTest::newRow("red at 80") << 80 << 10 << true << -1;
        QTest::newRow("green from 60") << 30 << 60 << false << 25;
        QTest::newRow("green at 80") << 10 << 80 << false << -1;
    }
    void splitClicks() {
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(bool, moreRed);
        QFETCH(int, askedRed);
        QCOMPARE(SplitClickRed(red, green, moreRed).value_or(-1), askedRed);
    }
};

QTEST_APPLESS_MAIN(tst_ArterialRules)
#include "tst_ArterialRules.moc"
