#include "StripSupport.h"

#include "controls/TimeSpaceLight.h"
#include "platform/Colors.h"

#include <QTest>

#include <limits>

namespace {
// A strip as the main window loads it: Width 460 first, then the published values in order.
using FormDriver::LoadAsForm;

QColor PixelAt(TTimeSpaceLight &strip, int x) {
    return strip.GetBitmap().pixelColor(x, 5);
}
} // namespace

class tst_TimeSpaceLight : public QObject {
    Q_OBJECT

  private slots:
    void createdAndLoadedDefaults() {
        TTimeSpaceLight strip;
        QCOMPARE(strip.width(), 420);
        QCOMPARE(strip.CycleTime(), 105);
        QCOMPARE(strip.RedTime(), 32);
        QCOMPARE(strip.GreenTime(), 63);
        QCOMPARE(strip.YellowTime(), 10);
        QCOMPARE(strip.NumberOfBands(), 4);
        QVERIFY(strip.Visible());
        QVERIFY(!strip.VerticleMove());

        LoadAsForm(strip);
        QCOMPARE(strip.CycleTime(), 115);
        QCOMPARE(strip.RedTime(), 34);
        QCOMPARE(strip.GreenTime(), 69);
        QCOMPARE(strip.YellowTime(), 12);
        QCOMPARE(strip.NumberOfBands(), 4);
    }

    void percentSettersValidate() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        strip.SetPercentRed(5);
        QCOMPARE(strip.PercentRed(), 30);
        strip.SetPercentRed(40);
        QCOMPARE(strip.PercentRed(), 40);
        QCOMPARE(strip.RedTime(), 46);
        QCOMPARE(strip.GreenTime(), 69);
        QCOMPARE(strip.YellowTime(), 0);
        strip.SetPercentRed(41);
        QCOMPARE(strip.PercentRed(), 40);
        strip.SetPercentGreen(61);
        QCOMPARE(strip.PercentGreen(), 60);
        strip.SetPercentGreen(6);
        QCOMPARE(strip.PercentGreen(), 6);
        QCOMPARE(strip.GreenTime(), 7); // 115 x 6 / 100 = 6.9
    }

    // A share so large that adding the other one would pass the int range is refused like
    // any other share over 100 %.
    void percentSettersRefuseHugeShares_data() {
        QTest::addColumn<bool>("red");
        QTest::addColumn<int>("value");
        QTest::newRow("red, largest int") << true << std::numeric_limits<int>::max();
        QTest::newRow("red, sum just past the int range")
            << true << std::numeric_limits<int>::max() - 59;
        QTest::newRow("green, largest int") << false << std::numeric_limits<int>::max();
        QTest::newRow("green, sum just past the int range")
            << false << std::numeric_limits<int>::max() - 29;
    }
    void percentSettersRefuseHugeShares() {
        QFETCH(bool, red);
        QFETCH(int, value);
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        if (red) {
            strip.SetPercentRed(value);
        } else {
            strip.SetPercentGreen(value);
        }
        QCOMPARE(strip.PercentRed(), 30);
        QCOMPARE(strip.PercentGreen(), 60);
        QCOMPARE(strip.RedTime(), 34);
        QCOMPARE(strip.GreenTime(), 69);
        QCOMPARE(strip.YellowTime(), 12);
    }

    void bandCountSetter() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        strip.SetCycleOffset(30);
        strip.SetNumberOfBands(24);
        QCOMPARE(strip.CycleTime(), 115);
        strip.SetNumberOfBands(2);
        QCOMPARE(strip.CycleTime(), 115);
        strip.SetNumberOfBands(5);
        QCOMPARE(strip.CycleTime(), 92);
        QCOMPARE(strip.NumberOfBands(), 5);
        QCOMPARE(strip.CycleOffset(), 30);
    }

    void cycleTimeSetter_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("bands");
        QTest::newRow("300 clamps to 230") << 300 << 230 << 2;
        QTest::newRow("10 clamps to 19") << 10 << 19 << 2;
        QTest::newRow("19 kept, draws 2") << 19 << 19 << 2;
        QTest::newRow("20 draws 23") << 20 << 20 << 23;
        QTest::newRow("zero is the smallest cycle") << 0 << 19 << 2;
        QTest::newRow("negative is the smallest cycle") << -5 << 19 << 2;
        QTest::newRow("120 draws 3") << 120 << 120 << 3;
    }
    void cycleTimeSetter() {
        QFETCH(int, value);
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        strip.SetCycleOffset(40);
        strip.SetCycleTime(value);
        QTEST(strip.CycleTime(), "cycle");
        QTEST(strip.NumberOfBands(), "bands");
        QCOMPARE(strip.CycleOffset(), 0);
        QCOMPARE(strip.RedTime() + strip.GreenTime() + strip.YellowTime(), strip.CycleTime());
    }

    void greenWindows_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QList<int>>("starts");
        QTest::addColumn<QList<int>>("ends");
        QTest::newRow("offset 0") << 0 << QList<int>{-115, 0, 115, 230, 345, 460}
                                  << QList<int>{-40, 75, 190, 305, 420, 535};
        QTest::newRow("offset 50") << 50 << QList<int>{-65, 50, 165, 280, 395, 510}
                                   << QList<int>{10, 125, 240, 355, 470, 585};
    }
    void greenWindows() {
        QFETCH(int, offset);
        QFETCH(QList<int>, starts);
        QFETCH(QList<int>, ends);
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        strip.SetCycleOffset(offset);
        for (int i = 0; i < starts.size(); ++i) {
            QCOMPARE(strip.GreenStart(i), starts[i]);
            QCOMPARE(strip.GreenEnd(i), ends[i]);
        }
        // The table runs on past the last drawn cycle with the same cycle formula.
        QCOMPARE(strip.GreenStart(26), 25 * 115 + offset);
        QCOMPARE(strip.GreenEnd(26), 26 * 115 + offset - 34 - 6);
    }

    void oddYellowCountsHalfSecondToGreen() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        strip.SetPercentGreen(59); // 115 x 59 % = 67.85 -> 68; yellow 13
        QCOMPARE(strip.YellowTime(), 13);
        QCOMPARE(strip.GreenEnd(1), 115 - 34 - 6);
    }

    void drawsCyclesAtTheirPixels() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        using namespace NamedColor;
        QCOMPARE(PixelAt(strip, 0), clGreen);
        QCOMPARE(PixelAt(strip, 68), clGreen);
        QCOMPARE(PixelAt(strip, 69), clYellow);
        QCOMPARE(PixelAt(strip, 80), clYellow);
        QCOMPARE(PixelAt(strip, 81), clRed);
        QCOMPARE(PixelAt(strip, 114), clRed);
        QCOMPARE(PixelAt(strip, 115), clGreen);
        QCOMPARE(PixelAt(strip, 459), clRed);

        strip.SetCycleOffset(50);
        // Cycle 0's green ends at -65 + 69 = 4: green 0..3, yellow 4..15, red 16..49.
        QCOMPARE(PixelAt(strip, 3), clGreen);
        QCOMPARE(PixelAt(strip, 4), clYellow);
        QCOMPARE(PixelAt(strip, 15), clYellow);
        QCOMPARE(PixelAt(strip, 16), clRed);
        QCOMPARE(PixelAt(strip, 49), clRed);
        QCOMPARE(PixelAt(strip, 50), clGreen);
    }

    void coloursAreProperties() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        strip.SetGreenColor(NamedColor::clBlue);
        QCOMPARE(PixelAt(strip, 10), NamedColor::clBlue);
    }

    void failureFlagsIgnoreWrites() {
        TTimeSpaceLight strip;
        strip.SetFwCycleFailure(true);
        strip.SetBkCycleFailure(true);
        QVERIFY(!strip.FwCycleFailure());
        QVERIFY(!strip.BkCycleFailure());
    }

    void hiddenStripKeepsItsPictureCurrent() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        strip.SetVisible(false);
        strip.SetCycleOffset(50);
        QCOMPARE(PixelAt(strip, 50), NamedColor::clGreen);
        QCOMPARE(strip.GreenStart(1), 50);
    }

    void resetRestoresLoadedTimingAndNotifies() {
        TTimeSpaceLight strip;
        LoadAsForm(strip);
        QObject *sender = nullptr;
        strip.SetOnReset([&](QObject *s) { sender = s; });
        strip.SetCycleTime(60);
        strip.SetCycleOffset(17);
        strip.SetPercentRed(20);
        strip.ResetTiming();
        QCOMPARE(sender, &strip);
        QCOMPARE(strip.CycleTime(), 115);
        QCOMPARE(strip.CycleOffset(), 0);
        QCOMPARE(strip.PercentRed(), 30);
        QCOMPARE(strip.PercentGreen(), 60);
        QCOMPARE(strip.GreenEnd(1), 75);
    }

    void storesInputsOfBothDirections() {
        TTimeSpaceLight strip;
        PlatoonSet fw;
        fw.Start[1] = 10;
        fw.Size[1] = 40;
        PlatoonSet bk;
        bk.Start[6] = 3;
        bk.Size[6] = 9;
        strip.SetFwInput(fw);
        strip.SetBkInput(bk);
        QCOMPARE(strip.FwInput(), fw);
        QCOMPARE(strip.BkInput(), bk);
    }
};

QTEST_MAIN(tst_TimeSpaceLight)
#include "tst_TimeSpaceLight.moc"
