#include "model/Numbers.h"
#include "model/SignalTiming.h"

#include <QTest>

class tst_Numbers : public QObject {
    Q_OBJECT

  private slots:
    void roundsHalfToEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("34.5 down to even") << 34.5 << 34;
        QTest::newRow("31.5 up to even") << 31.5 << 32;
        QTest::newRow("0.5 to zero") << 0.5 << 0;
        QTest::newRow("-2.5 to even") << -2.5 << -2;
        QTest::newRow("above half") << 34.51 << 35;
    }
    void roundsHalfToEven() {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(Round(value), expected);
    }

    void truncatesTowardZero() {
        QCOMPARE(Trunc(24.2L), 24);
        QCOMPARE(Trunc(-0.9L), 0);
        QCOMPARE(Trunc(-40.5L), -40);
        QCOMPARE(Trunc(936.0L / 10), 93);
    }

    void derivesDurations_data() {
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("redTime");
        QTest::addColumn<int>("greenTime");
        QTest::addColumn<int>("yellowTime");
        QTest::newRow("created 105") << 105 << 30 << 60 << 32 << 63 << 10;
        QTest::newRow("loaded 115") << 115 << 30 << 60 << 34 << 69 << 12;
        QTest::newRow("no yellow") << 115 << 40 << 60 << 46 << 69 << 0;
        // 105 x 50 % = 52.5 rounds to 52 both times; 15 x 50 % = 7.5 rounds up both times.
        QTest::newRow("both halves down") << 105 << 50 << 50 << 52 << 52 << 1;
        QTest::newRow("both halves up") << 15 << 50 << 50 << 8 << 8 << -1;
    }
    void derivesDurations() {
        QFETCH(int, cycle);
        QFETCH(int, red);
        QFETCH(int, green);
        const Durations d = DeriveDurations(cycle, red, green);
        QTEST(d.Red, "redTime");
        QTEST(d.Green, "greenTime");
        QTEST(d.Yellow, "yellowTime");
    }

    void clampsCycleTime_data() {
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("expected");
        QTest::newRow("too long") << 300 << 230;
        QTest::newRow("largest") << 230 << 230;
        QTest::newRow("just over half") << 231 << 230;
        QTest::newRow("smallest kept") << 19 << 19;
        QTest::newRow("too short") << 18 << 19;
        QTest::newRow("ten") << 10 << 19;
        QTest::newRow("one") << 1 << 19;
        QTest::newRow("zero") << 0 << 19;
        QTest::newRow("negative") << -40 << 19;
    }
    void clampsCycleTime() {
        QFETCH(int, requested);
        QTEST(ClampCycleTime(460, requested), "expected");
    }

    void countsDrawnBands_data() {
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("expected");
        QTest::newRow("19: ratio 24.2 falls back") << 19 << 2;
        QTest::newRow("20: ratio 23") << 20 << 23;
        QTest::newRow("115: four") << 115 << 4;
        QTest::newRow("120: three") << 120 << 3;
        QTest::newRow("230: ratio 2 falls back") << 230 << 2;
        QTest::newRow("229: ratio above 2") << 229 << 2;
        QTest::newRow("153: three") << 153 << 3;
    }
    void countsDrawnBands() {
        QFETCH(int, cycle);
        QTEST(DrawnBandCount(460, cycle), "expected");
    }

    void capacityCountsHalfTheYellow() {
        QCOMPARE(WindowCapacity({34, 69, 12}), 75);
        QCOMPARE(WindowCapacity({35, 69, 11}), 74);
        QCOMPARE(WindowCapacity({8, 8, -1}), 7);
    }
};

QTEST_APPLESS_MAIN(tst_Numbers)
#include "tst_Numbers.moc"
