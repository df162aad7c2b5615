#include "app/Layout.h"
#include "model/Band.h"
#include "model/SignalTiming.h"
#include "model/Travel.h"

#include <QRandomGenerator>
#include <QTest>

// The progression band, from the model's own timing and travel arithmetic.
namespace {
// The strips' green windows at a junction's timing, as a strip computes them.
GreenTable Greens(int cycle, int offset, int red = 30, int green = 60) {
    const GreenWindows windows =
        ComputeGreenWindows(cycle, offset, DeriveDurations(cycle, red, green));
    return {windows.Start, windows.End};
}

// The links' travel times at the loaded places and one speed, as the links compute them.
PerLink<std::int32_t> LoadedTravel(int speedMph) {
    PerLink<std::int32_t> travel{};
    for (int k = 1; k <= LinkCount; ++k) {
        travel[k] = TravelTime(TravelSpan(LoadedLinkPlace(k).Height, StripHeight), speedMph);
    }
    return travel;
}

PerJunction<GreenTable> Junctions(const QList<int> &cycles, const QList<int> &offsets) {
    PerJunction<GreenTable> greens;
    for (int k = 1; k <= JunctionCount; ++k) {
        greens[k] = Greens(cycles[k - 1], offsets[k - 1]);
    }
    return greens;
}

const QList<int> Loaded = {115, 115, 115, 115, 115, 115};

// The definition, tried start by start: the widest platoon entered at t that lies inside one
// window at every junction and within the axis at the first.
std::pair<int, int> WidestByTrial(const PerJunction<GreenTable> &greens,
                                  const PerJunction<std::int32_t> &reach, int axis) {
    int width = 0;
    int start = 0;
    for (int t = 0; t <= axis; ++t) {
        int fits = axis - t;
        for (int k = 1; k <= JunctionCount && fits >= 0; ++k) {
            int here = -1;
            for (int i = 0; i < GreenWindowCount; ++i) {
                const std::size_t u = static_cast<std::size_t>(i);
                if (greens[k].Start[u] <= t + reach[k] && t + reach[k] <= greens[k].End[u]) {
                    here = greens[k].End[u] - (t + reach[k]);
                }
            }
            fits = std::min(fits, here);
        }
        if (fits > width) {
            width = fits;
            start = t;
        }
    }
    return {width, start};
}
} // namespace

class tst_Band : public QObject {
    Q_OBJECT

  private slots:
    void travelAtTheLoadedPlaces() {
        // 70 px of road (2800 ft) between strips at 66 ft/s: 42.4 s; the end links 17 px.
        const PerLink<std::int32_t> travel = LoadedTravel(45);
        QCOMPARE(travel[1], 10);
        for (int k = 2; k <= JunctionCount; ++k) {
            QCOMPARE(travel[k], 42);
        }
        QCOMPARE(BandReach(BandDirection::Southbound, travel)[6], 210);
        QCOMPARE(BandReach(BandDirection::Northbound, travel)[1], 210);
        // The loaded timing's window: 115 - 34 red - 6 (half of the 12 s yellow) = 75 s.
        const GreenTable loaded = Greens(115, 0);
        QCOMPARE(loaded.End[1] - loaded.Start[1], 75);
    }

    void band_data() {
        QTest::addColumn<QList<int>>("cycles");
        QTest::addColumn<QList<int>>("offsets");
        QTest::addColumn<bool>("southbound");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("start");

        // Each offset 42 s (one link's travel) after the one above: the 75 s windows line up.
        QTest::newRow("southbound progression")
            << Loaded << QList<int>{0, 42, 84, 11, 53, 95} << true << 75 << 0;
        // Band starts t (mod 115) that meet the window [f, f + 75] of junction k, f = offset -
        // reach: [0,75]; [50,125]; [90,165]; [15,90]; [55,130]; [95,170]. The first two leave
        // [0,10] and [50,75], the third [0,10] and 50, the fourth 50 alone, the fifth nothing.
        QTest::newRow("no southbound band")
            << Loaded << QList<int>{0, 92, 59, 26, 108, 75} << true << 0 << 0;
        // Northbound the same offsets as the first row meet f = offset + reach to JCT #6 at
        // [20,95]; [104,179]; [73,148]; [42,117]; [11,86]; [95,170]: the first three leave
        // [20,33], the fourth only [42,115) and [0,2]: nothing.
        QTest::newRow("southbound progression has no northbound band")
            << Loaded << QList<int>{0, 42, 84, 11, 53, 95} << false << 0 << 0;
        // Northbound progression: JCT #6 first, each junction 42 s later going north.
        QTest::newRow("northbound progression")
            << Loaded << QList<int>{20, 93, 51, 9, 82, 40} << false << 75 << 40;
        // Two cycle times. Every junction runs 115 s with the offsets of the first row except
        // JCT #4, which runs 100 s (30 s red, 60 s green, 10 s yellow: windows 65 s long) at
        // offset 40. The 115 s junctions take the starts t at JCT #1 in [0,75], [115,190],
        // [230,305], [345,420], [460,535]. JCT #4 is reached 126 s after JCT #1; its windows
        // [40 + 100 (i - 1), 105 + 100 (i - 1)] take t in [14,79], [114,179], [214,279],
        // [314,379], [414,479]. Together: [14,75] 61 s, [115,179] 64 s, [230,279] 49 s,
        // [345,379] 34 s, and 460 alone where the axis ends. The widest is 64 s from 115 s.
        QTest::newRow("two cycle times") << QList<int>{115, 115, 115, 100, 115, 115}
                                         << QList<int>{0, 42, 84, 40, 53, 95} << true << 64 << 115;
    }
    void band() {
        QFETCH(QList<int>, cycles);
        QFETCH(QList<int>, offsets);
        QFETCH(bool, southbound);
        const BandDirection direction =
            southbound ? BandDirection::Southbound : BandDirection::Northbound;
        const ProgressionBand band = FindBand(direction, Junctions(cycles, offsets),
                                              LoadedTravel(45), StripWidth, cycles[0]);
        QTEST(band.Width, "width");
        QTEST(band.Start, "start");
        QCOMPARE(band.Exists(), band.Width > 0);
        QCOMPARE(band.Efficiency, 100.0 * band.Width / cycles[0]);
    }

    void agreesWithTryingEveryStart() {
        QRandomGenerator random(20240611);
        for (int run = 0; run < 200; ++run) {
            PerJunction<GreenTable> greens;
            for (int k = 1; k <= JunctionCount; ++k) {
                const int cycle = random.bounded(60, 131);
                const int red = random.bounded(10, 50);
                greens[k] = Greens(cycle, random.bounded(cycle), red, 90 - red);
            }
            const PerLink<std::int32_t> travel = LoadedTravel(random.bounded(35, 56));
            const bool southbound = random.bounded(2) == 0;
            const BandDirection direction =
                southbound ? BandDirection::Southbound : BandDirection::Northbound;
            const ProgressionBand band = FindBand(direction, greens, travel, 460, 100);
            const auto [width, start] = WidestByTrial(greens, BandReach(direction, travel), 460);
            QCOMPARE(band.Width, width);
            QCOMPARE(band.Start, start);
        }
    }

    void theBandStartsWithinTheTimeAxis() {
        // JCT #1 at offset 114: its first window [-1, 74] is cut to [0, 74] by the axis; the
        // whole 75 s band starts at 114 s.
        const QList<int> offsets = {114, 41, 83, 10, 52, 94};
        const ProgressionBand band = FindBand(BandDirection::Southbound, Junctions(Loaded, offsets),
                                              LoadedTravel(45), 460, 115);
        QCOMPARE(band.Width, 75);
        QCOMPARE(band.Start, 114);
        QCOMPARE(band.StartAt(6), 114 + 210);
        // An axis too short for the whole band keeps the part within it.
        QCOMPARE(FindBand(BandDirection::Southbound, Junctions(Loaded, offsets), LoadedTravel(45),
                          60, 115)
                     .Width,
                 60);
    }
};

QTEST_MAIN(tst_Band)
#include "tst_Band.moc"
