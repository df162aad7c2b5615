#include "FormDriver.h"

#include "analysis/BandOverlay.h"
#include "analysis/JunctionReport.h"
#include "app/Layout.h"
#include "model/Band.h"
#include "model/SignalTiming.h"
#include "model/Travel.h"
#include "platform/Image.h"

#include <QAction>
#include <QRandomGenerator>
#include <QTest>

// The progression band, from the model's own timing and travel arithmetic, and through the
// window: its strips and links, the junction report and the band drawn over the diagram.
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

// Sets the window's junctions at 30 % red and 60 % green with the given cycles and offsets,
// from code, and recomputes the diagram.
void SetWindowTimings(TTimeSpaceForm &form, const QList<int> &cycles, const QList<int> &offsets) {
    for (int k = 1; k <= JunctionCount; ++k) {
        FormDriver::SetTiming(form.Light(k), {cycles[k - 1], 30, 60, offsets[k - 1]});
    }
    form.RefreshTimeSpaceDiagram();
}

// A band each way at the loaded timing and 45 mph, 33 s wide both.
const QList<int> BothWays = {0, 35, 105, 105, 35, 0};

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
        QTest::addColumn<int>("southMph");
        QTest::addColumn<int>("northMph");

        // Each offset 42 s (one link's travel) after the one above: the 75 s windows line up.
        QTest::newRow("southbound progression")
            << Loaded << QList<int>{0, 42, 84, 11, 53, 95} << true << 75 << 0 << 45 << 45;
        // Band starts t (mod 115) that meet the window [f, f + 75] of junction k, f = offset -
        // reach: [0,75]; [50,125]; [90,165]; [15,90]; [55,130]; [95,170]. The first two leave
        // [0,10] and [50,75], the third [0,10] and 50, the fourth 50 alone, the fifth nothing.
        QTest::newRow("no southbound band")
            << Loaded << QList<int>{0, 92, 59, 26, 108, 75} << true << 0 << 0 << 45 << 45;
        // Northbound the same offsets as the first row meet f = offset + reach to JCT #6 at
        // [20,95]; [104,179]; [73,148]; [42,117]; [11,86]; [95,170]: the first three leave
        // [20,33], the fourth only [42,115) and [0,2]: nothing.
        QTest::newRow("southbound progression has no northbound band")
            << Loaded << QList<int>{0, 42, 84, 11, 53, 95} << false << 0 << 0 << 45 << 45;
        // Northbound progression: JCT #6 first, each junction 42 s later going north.
        QTest::newRow("northbound progression")
            << Loaded << QList<int>{20, 93, 51, 9, 82, 40} << false << 75 << 40 << 45 << 45;
        // Two cycle times. Every junction runs 115 s with the offsets of the first row except
        // JCT #4, which runs 100 s (30 s red, 60 s green, 10 s yellow: windows 65 s long) at
        // offset 40. The 115 s junctions take the starts t at JCT #1 in [0,75], [115,190],
        // [230,305], [345,420], [460,535]. JCT #4 is reached 126 s after JCT #1; its windows
        // [40 + 100 (i - 1), 105 + 100 (i - 1)] take t in [14,79], [114,179], [214,279],
        // [314,379], [414,479]. Together: [14,75] 61 s, [115,179] 64 s, [230,279] 49 s,
        // [345,379] 34 s, and 460 alone where the axis ends. The widest is 64 s from 115 s.
        QTest::newRow("two cycle times")
            << QList<int>{115, 115, 115, 100, 115, 115} << QList<int>{0, 42, 84, 40, 53, 95} << true
            << 64 << 115 << 45 << 45;
        // Each direction at its own speed: 52 mph drives a 70 px link in 2800 / 76.27 = 36.7 s,
        // 37 s; 38 mph in 2800 / 55.73 = 50.2 s, 50 s. Offsets 37 s apart going south, or 50 s
        // apart going north from JCT #6, line the 75 s windows up for that direction only.
        QTest::newRow("southbound progression at 52 mph, northbound 38 mph")
            << Loaded << QList<int>{0, 37, 74, 111, 33, 70} << true << 75 << 0 << 52 << 38;
        QTest::newRow("northbound progression at 38 mph, southbound 52 mph")
            << Loaded << QList<int>{60, 10, 75, 25, 90, 40} << false << 75 << 40 << 52 << 38;
    }
    void band() {
        QFETCH(QList<int>, cycles);
        QFETCH(QList<int>, offsets);
        QFETCH(bool, southbound);
        QFETCH(int, southMph);
        QFETCH(int, northMph);
        const BandDirection direction =
            southbound ? BandDirection::Southbound : BandDirection::Northbound;
        const ProgressionBand band =
            FindBand(direction, Junctions(cycles, offsets),
                     LoadedTravel(southbound ? southMph : northMph), StripWidth, cycles[0]);
        QTEST(band.Width, "width");
        QTEST(band.Start, "start");
        QCOMPARE(band.Exists(), band.Width > 0);
        QCOMPARE(band.Efficiency, 100.0 * band.Width / cycles[0]);
    }

    void bandThroughTheWindow_data() { band_data(); }
    void bandThroughTheWindow() {
        QFETCH(QList<int>, cycles);
        QFETCH(QList<int>, offsets);
        QFETCH(bool, southbound);
        QFETCH(int, width);
        QFETCH(int, start);
        QFETCH(int, southMph);
        QFETCH(int, northMph);
        TTimeSpaceForm form;
        form.show();
        FormDriver::Command(form, "Junction Report")->trigger();
        FormDriver::Command(form, "Progression Band")->trigger();
        FormDriver::UserMovesTrackBar(form.MainRoadSpeedLimitFwd, southMph);
        FormDriver::UserMovesTrackBar(form.MainRoadSpeedLimitBkd, northMph);
        SetWindowTimings(form, cycles, offsets);
        const ArterialBands bands = form.Document()->Result().Bands;
        const ProgressionBand &band = southbound ? bands.Southbound : bands.Northbound;
        QCOMPARE(band.Width, width);
        QCOMPARE(band.Start, start);
        // The report and the overlay show the same band, the efficiency of JCT #1's cycle.
        QCOMPARE(form.BandOverlay()->Bands(), bands);
        const int row =
            southbound ? TJunctionReport::SouthboundRow : TJunctionReport::NorthboundRow;
        const TJunctionReport *report = form.JunctionReport();
        QCOMPARE(report->BandText(row, TJunctionReport::BandWidth), QString::number(width));
        QCOMPARE(report->BandText(row, TJunctionReport::BandEfficiency),
                 QLocale().toString(100.0 * width / cycles[0], 'f', 1));
        QCOMPARE(report->BandText(row, TJunctionReport::BandStart),
                 width > 0 ? QString::number(start) : QString("none"));
        if (width == 75) {
            // As wide as the strips' window, green plus half the yellow.
            const TTimeSpaceLight *first = form.Light(1);
            QCOMPARE(width, first->GreenEnd(1) - first->GreenStart(1));
            QCOMPARE(report->BandText(row, TJunctionReport::BandEfficiency),
                     QLocale().toString(65.2, 'f', 1));
        }
    }

    void overlayLeavesTheCanvasAsItIs() {
        TTimeSpaceForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 500);
        FormDriver::UserMovesTrackBar(form.BkMainRoadVol, 380);
        SetWindowTimings(form, Loaded, BothWays);
        const QImage before = form.TimeSpaceImage->Canvas().copy();
        QAction *toggle = FormDriver::Command(form, "Progression Band");
        toggle->trigger();
        QVERIFY(form.BandOverlay()->isVisible());
        QCOMPARE(form.BandOverlay()->Edges().size(), 4);
        QCoreApplication::processEvents();
        QCOMPARE(form.TimeSpaceImage->Canvas(), before);
        form.RefreshTimeSpaceDiagram();
        QCOMPARE(form.TimeSpaceImage->Canvas(), before);
        toggle->trigger();
        QVERIFY(!form.BandOverlay()->isVisible());
        form.RefreshTimeSpaceDiagram();
        QCOMPARE(form.TimeSpaceImage->Canvas(), before);
    }

    void overlayAddsOnlyTheBandsLines() {
        TTimeSpaceForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 500);
        FormDriver::UserMovesTrackBar(form.BkMainRoadVol, 380);
        SetWindowTimings(form, Loaded, BothWays);
        QWidget *panel = form.TimeSpaceDiagram;
        const QImage off = panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
        FormDriver::Command(form, "Progression Band")->trigger();
        TBandOverlay *overlay = form.BandOverlay();
        const QImage on = panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The overlay alone, without any background: its lines on a transparent picture.
        QImage lines(panel->size(), QImage::Format_ARGB32);
        lines.fill(Qt::transparent);
        overlay->render(&lines, QPoint(), QRegion(), QWidget::RenderFlags());
        QCOMPARE(on.size(), off.size());
        int south = 0;
        int north = 0;
        int changed = 0;
        for (int y = 0; y < on.height(); ++y) {
            for (int x = 0; x < on.width(); ++x) {
                const QRgb line = lines.pixel(x, y);
                if (qAlpha(line) == 0) {
                    QCOMPARE(on.pixel(x, y), off.pixel(x, y));
                    continue;
                }
                QCOMPARE(qAlpha(line), 255);
                QVERIFY(x < StripWidth);
                QCOMPARE(on.pixel(x, y), line);
                south += QColor(line) == TBandOverlay::SouthboundColour ? 1 : 0;
                north += QColor(line) == TBandOverlay::NorthboundColour ? 1 : 0;
                changed += on.pixel(x, y) != off.pixel(x, y) ? 1 : 0;
            }
        }
        // Four edges of one pixel from JCT #1's middle row to JCT #6's, 375 rows down.
        QVERIFY2(south >= 2 * 375 && north >= 2 * 375,
                 qPrintable(QString("%1 %2").arg(south).arg(north)));
        QCOMPARE(south + north, changed);
    }

    void overlayFollowsTheStrips() {
        TTimeSpaceForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        SetWindowTimings(form, Loaded, BothWays);
        FormDriver::Command(form, "Progression Band")->trigger();
        const TBandOverlay *overlay = form.BandOverlay();
        const int at3 = overlay->Bands().Southbound.StartAt(3);
        QCOMPARE(overlay->Edges()[0].Points[2], QPoint(at3, LoadedStripTops[3] + 5));
        // JCT #3 moved down 4 pixels with Ctrl held: the corners follow at once.
        TTimeSpaceLight *strip = form.Light(3);
        QTest::mousePress(strip, Qt::LeftButton, Qt::ControlModifier, QPoint(100, 5));
        FormDriver::MouseMove(strip, QPoint(100, 9), Qt::LeftButton, Qt::ControlModifier);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(100, 9));
        QCOMPARE(strip->y(), LoadedStripTops[3] + 4);
        QCOMPARE(overlay->Edges()[0].Points[2], QPoint(at3, LoadedStripTops[3] + 9));
        // An offset drag on JCT #1 moves the band with its green.
        TTimeSpaceLight *first = form.Light(1);
        const int start = overlay->Bands().Southbound.Start;
        FormDriver::DragStrip(first, 20, 23);
        QCOMPARE(first->CycleOffset(), 3);
        QCOMPARE(overlay->Bands(), form.Document()->Result().Bands);
        QVERIFY(overlay->Bands().Southbound.Start != start ||
                overlay->Bands().Southbound.Width != 33);
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
