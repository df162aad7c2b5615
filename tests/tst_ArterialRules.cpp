#include "model/Progression.h"
#include "model/TimingEdits.h"

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

    // The timings a 460 px strip's edits reach, as the scenario check accepts them: the
    // states a split drag leaves at its limits among them, and near misses that none reaches.
    void timingsTheEditsReach_data() {
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("redSeconds");
        QTest::addColumn<int>("greenSeconds");
        QTest::addColumn<int>("yellowSeconds");
        QTest::addColumn<QString>("objection"); // empty when reached
        QTest::newRow("loaded") << 115 << 30 << 60 << 34 << 69 << 12 << "";
        QTest::newRow("split drag left 60 s red, 5 s green at 92 s")
            << 92 << 65 << 5 << 60 << 5 << 27 << "";
        QTest::newRow("least green a drag leaves at 229 s")
            << 229 << 89 << 1 << 203 << 3 << 23 << "";
        QTest::newRow("a -1 s yellow the shares derive at 75 s")
            << 75 << 2 << 98 << 2 << 74 << -1 << "";
        // No share gives 39 s of red at 104 s: only a drag beside the -1 s yellow leaves it.
        QTest::newRow("a drag beside a -1 s yellow at 104 s")
            << 104 << 38 << 63 << 39 << 66 << -1 << "";
        QTest::newRow("least cycle 20") << 20 << 30 << 60 << 6 << 12 << 2 << "";
        QTest::newRow("cycle 19, below the drag's least")
            << 19 << 30 << 60 << 6 << 11 << 2 << "19 is outside 20 to 230";
        QTest::newRow("greatest cycle 230") << 230 << 30 << 60 << 69 << 138 << 23 << "";
        QTest::newRow("cycle 231")
            << 231 << 30 << 60 << 69 << 139 << 23 << "231 is outside 20 to 230";
        QTest::newRow("seconds that miss the cycle")
            << 115 << 30 << 60 << 34 << 69 << 13 << "do not add up to the cycle time";
        QTest::newRow("shares that are not the seconds'")
            << 115 << 30 << 60 << 45 << 59 << 11 << "percentages do not match";
        // 1 s of red is no share of 230 s, and a drag leaves 3 s at least.
        QTest::newRow("1 s red at 230 s")
            << 230 << 0 << 43 << 1 << 100 << 129 << "not a split of the cycle";
    }
    void timingsTheEditsReach() {
        QFETCH(int, cycle);
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(int, redSeconds);
        QFETCH(int, greenSeconds);
        QFETCH(int, yellowSeconds);
        QFETCH(QString, objection);
        const auto found =
            TimingUnreachable(460, {cycle, red, green, {redSeconds, greenSeconds, yellowSeconds}});
        QCOMPARE(found ? QString::fromStdString(found->What).contains(objection) : true, true);
        QCOMPARE(found.has_value(), !objection.isEmpty());
    }
};

QTEST_APPLESS_MAIN(tst_ArterialRules)
#include "tst_ArterialRules.moc"
