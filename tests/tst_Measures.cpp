#include "model/Measures.h"

#include "PlatoonSets.h"

#include <QLocale>
#include <QTest>

namespace {
// Queue slots 1, 2, ... as (ArrivalEnd, DischargeEnd) in the Start and Size fields.
PlatoonSet Queues(std::initializer_list<std::pair<int, int>> entries) {
    return Set(entries);
}

// The window passes its locale's separators; tests pin the C locale.
std::string DecimalPoint() {
    return QLocale().decimalPoint().toStdString();
}
std::string GroupSeparator() {
    return QLocale().groupSeparator().toStdString();
}
} // namespace

class tst_Measures : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void junctionDelay_data() {
        QTest::addColumn<PlatoonSet>("queues");
        QTest::addColumn<PlatoonSet>("stopped"); // stopped platoon seconds in Size
        QTest::addColumn<int>("delay");
        QTest::newRow("no platoon stopped") << PlatoonSet{} << PlatoonSet{} << 0;
        QTest::newRow("one held platoon in the last slot")
            << Queues({{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {100, 135}})
            << Set({{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 20}}) << 35 * 20;
        QTest::newRow("each wait weighs its own platoon")
            << Queues({{0, 0}, {0, 0}, {0, 0}, {0, 0}, {90, 130}, {100, 135}})
            << Set({{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 15}, {0, 20}}) << 40 * 15 + 35 * 20;
        QTest::newRow("a wait in an early slot counts too")
            << Queues({{85, 125}}) << Set({{0, 7}}) << 280;
        QTest::newRow("negative difference is no wait")
            << Queues({{130, 90}, {100, 135}}) << Set({{0, 9}, {0, 3}}) << 105;
    }
    void junctionDelay() {
        QFETCH(PlatoonSet, queues);
        QFETCH(PlatoonSet, stopped);
        QTEST(JunctionDelay(queues, stopped.Size), "delay");
    }

    void delayPerVehicle_data() {
        QTest::addColumn<double>("total");
        QTest::addColumn<int>("flow");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("caption");
        QTest::newRow("held 20 s and 35 s, 10 vehicles") << 1375.0 << 25 << 55.0 << "sec"
                                                         << "55.00";
        QTest::newRow("60 s is a minute") << 600.0 << 10 << 1.0 << "min"
                                          << "1.00";
        QTest::newRow("90 s") << 90.0 << 1 << 1.5 << "min"
                              << "1.50";
        // The unit is chosen before the value is rounded for display.
        QTest::newRow("just under a minute") << 59.998 << 1 << 59.998 << "sec"
                                             << "60.00";
        QTest::newRow("3600 s is an hour") << 3600.0 << 1 << 1.0 << "hrs"
                                           << "1.00";
        QTest::newRow("just under an hour") << 3597.5 << 1 << 3597.5 / 60 << "min"
                                            << "60.00";
        QTest::newRow("no stops") << 0.0 << 25 << 0.0 << "sec"
                                  << "0.00";
        QTest::newRow("no flow, unit kept") << 55.0 << 0 << 0.0 << ""
                                            << "0.00";
    }
    void delayPerVehicle() {
        QFETCH(double, total);
        QFETCH(int, flow);
        QFETCH(QString, unit);
        QFETCH(double, value);
        const DelayPerVehicle delay = ExpectedDelayPerVehicle(total, flow);
        // Exactly: the quotient is evaluated in extended precision and stored as a double.
        QVERIFY2(delay.Value == value, qPrintable(QString::number(delay.Value, 'g', 17)));
        QCOMPARE(delay.Unit.has_value(), !unit.isEmpty());
        if (delay.Unit) {
            QCOMPARE(QString::fromUtf8(DelayUnitCaption(*delay.Unit)), unit);
        }
        const std::string caption =
            FormatDelayPerVeh(delay.Value, DecimalPoint(), GroupSeparator());
        QTEST(QString::fromStdString(caption), "caption");
    }

    void delayCaption_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("caption");
        QTest::newRow("4.567") << 4.567 << "4.57";
        QTest::newRow("3 significant digits before 2 decimals") << 12.345 << "12.30";
        QTest::newRow("zero") << 0.0 << "0.00";
        QTest::newRow("exact tie away from zero") << 0.125 << "0.13";
        QTest::newRow("tie on the significant digit") << 100.5 << "101.00";
        // 2.675 is held as 2.67499999999999982...: the first dropped digit is a 4.
        QTest::newRow("binary just below a tie") << 2.675 << "2.67";
        QTest::newRow("rounds up to a third decimal place") << 0.005 << "0.01";
        QTest::newRow("carry adds an integer digit") << 9.996 << "10.00";
        QTest::newRow("carry into the thousands") << 999.5 << "1,000.00";
        QTest::newRow("thousands separated") << 1234.5 << "1,230.00";
        QTest::newRow("negative rounds away from zero") << -4.567 << "-4.57";
        QTest::newRow("negative rounding to zero has no sign") << -0.001 << "0.00";
    }
    void delayCaption() {
        QFETCH(double, value);
        QTEST(QString::fromStdString(FormatDelayPerVeh(value, DecimalPoint(), GroupSeparator())),
              "caption");
    }

    void stopsCaption_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("caption");
        QTest::newRow("0.5") << 0.5 << "0.5";
        QTest::newRow("tie away from zero") << 1.25 << "1.3";
        QTest::newRow("whole number") << 2.0 << "2.0";
        QTest::newRow("2 significant digits before 1 decimal") << 12.34 << "12.0";
        QTest::newRow("held just above a tie") << 0.05 << "0.1";
        QTest::newRow("held just below a tie") << 0.95 << "0.9";
        QTest::newRow("carry adds a digit") << 9.96 << "10.0";
        QTest::newRow("no thousands separator") << 1234.0 << "1200.0";
    }
    void stopsCaption() {
        QFETCH(double, value);
        QTEST(QString::fromStdString(FormatArtStops(value, DecimalPoint())), "caption");
    }

    void separatorsComeFromTheCaller() {
        QCOMPARE(FormatDelayPerVeh(1234.5, ",", "."), std::string("1.230,00"));
        QCOMPARE(FormatDelayPerVeh(4.567, ",", "\u202f"), std::string("4,57"));
        QCOMPARE(FormatDelayPerVeh(1234.5, ",", "\u202f"), std::string("1\u202f230,00"));
        QCOMPARE(FormatArtStops(1.25, ","), std::string("1,3"));
    }

    void arterialStopsAddInJunctionOrder() {
        // Stops measures 0.5 at JCT #1 and 1.0 at JCT #4, 0 elsewhere.
        double stops = 0.0;
        for (const double junction : {0.5, 0.0, 0.0, 1.0, 0.0, 0.0}) {
            stops = AccumulateMeasure(stops, junction);
        }
        QCOMPARE(stops, 1.5);
        QCOMPARE(FormatArtStops(stops, DecimalPoint()), std::string("1.5"));
    }
};

QTEST_MAIN(tst_Measures)
#include "tst_Measures.moc"
