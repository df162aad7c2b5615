#include "controls/TimeSpaceLink.h"
#include "model/Travel.h"
#include "platform/Colors.h"

#include "PlatoonSets.h"

#include <QPolygon>
#include <QTest>

#include <algorithm>
#include <initializer_list>
#include <utility>

using namespace NamedColor;

namespace {
// An inner link as the main window loads it: 460 x 65 above a 10 px strip, 35 mph both ways.
void LoadInner(TTimeSpaceLink &link, bool fill = true) {
    link.setGeometry(0, 22, 460, 65);
    link.SetFwdSpeedMph(35);
    link.SetBackSpeedMph(35);
    link.SetFillBand(fill);
    link.SetFwdLineColor(clTeal);
    link.SetBckLineColor(clGray);
    link.SetTrafficLightHeight(10);
}

QColor Pixel(TTimeSpaceLink &link, int x, int y) {
    return link.GetBitmap().pixelColor(x, y);
}

QList<int> ColumnsIn(TTimeSpaceLink &link, int y, const QColor &colour) {
    QList<int> columns;
    for (int x = 0; x < link.GetBitmap().width(); ++x) {
        if (Pixel(link, x, y) == colour) {
            columns << x;
        }
    }
    return columns;
}

// Whether the point lies inside or on the outline of a convex polygon with an area: on no
// side's outer side.
bool Encloses(const QPolygon &corners, QPoint point) {
    bool left = false;
    bool right = false;
    for (qsizetype i = 0; i < corners.size(); ++i) {
        const QPoint side = corners[(i + 1) % corners.size()] - corners[i];
        const QPoint toPoint = point - corners[i];
        const qint64 cross = qint64(side.x()) * toPoint.y() - qint64(side.y()) * toPoint.x();
        left = left || cross > 0;
        right = right || cross < 0;
    }
    return !(left && right);
}
} // namespace

class tst_TimeSpaceLink : public QObject {
    Q_OBJECT

  private slots:
    void travelTime_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<int>("mph");
        QTest::addColumn<int>("seconds");
        QTest::newRow("inner link at 35 mph, 54.5 s") << 70 << 35 << 55;
        QTest::newRow("inner link at 45 mph") << 70 << 45 << 42;
        QTest::newRow("inner link at 55 mph, 34.7 s") << 70 << 55 << 35;
        QTest::newRow("end link at 35 mph") << 17 << 35 << 13;
        // Exactly 22.5 in real numbers and in double precision (which gives 22); MphToFps
        // lies below 22/15, so the extended quotient is just above the tie.
        QTest::newRow("just above a tie") << 33 << 40 << 23;
    }
    void travelTime() {
        QFETCH(int, span);
        QFETCH(int, mph);
        QTEST(TravelTime(span, mph), "seconds");
    }

    void travelFollowsGeometryAndProperties() {
        TTimeSpaceLink link;
        QCOMPARE(link.HeightInFeet(), 5280);
        LoadInner(link);
        link.SetFwInput(Set({{10, 30}}));
        QCOMPARE(link.TravelFw(), Set({{65, 30}}));
        link.SetBackSpeedMph(45);
        link.SetBkInput(Set({{0, 0}, {100, 20}}));
        QCOMPARE(link.TravelBk(), Set({{0, 0}, {142, 20}})); // same span northbound
        // Speeds of 0 or less are dropped; HeightInFeet ignores writes.
        link.SetFwdSpeedMph(0);
        link.SetBackSpeedMph(-5);
        link.SetHeightInFeet(1000);
        QCOMPARE(link.FwdSpeedMph(), 35);
        QCOMPARE(link.BackSpeedMph(), 45);
        QCOMPARE(link.HeightInFeet(), 2600);
        // The window moves links with setGeometry and hidden ones get no resize event:
        // span 12 + 5, then a strip height of 11 still adds 5, then a narrower width clips.
        link.setGeometry(0, 22, 460, 12);
        QCOMPARE(link.HeightInFeet(), 480);
        QCOMPARE(link.TravelFw(), Set({{23, 30}}));
        link.SetTrafficLightHeight(11);
        QCOMPARE(link.TravelFw(), Set({{23, 30}}));
        link.setGeometry(0, 22, 30, 12);
        QCOMPARE(link.TravelFw(), Set({{23, 20}}));
    }

    void storingMergesOnceAndTravelOnceMore() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwInput(Set({{20, 10}, {0, 15}, {10, 10}}));
        QCOMPARE(link.FwInput(), Set({{20, 10}, {0, 25}}));
        // The second pass merges slot 1; that emptied slot keeps its previous output start.
        QCOMPARE(link.TravelFw(), Set({{75, 0}, {55, 35}}));
        QCOMPARE(link.FwInput(), Set({{0, 0}, {0, 35}}));
        link.SetFwQueues(Set({{100, 120}}));
        QCOMPARE(link.FwQueues(), Set({{100, 120}}));
        // Rendering reads the state and never merges.
        link.GetBitmap();
        link.SetFwInput(Set({{20, 10}, {0, 15}, {10, 10}}));
        link.GetBitmap();
        link.repaint();
        QCOMPARE(link.FwInput(), Set({{20, 10}, {0, 25}}));
    }

    void clipsToItsWidth_data() {
        QTest::addColumn<PlatoonSet>("input");
        QTest::addColumn<PlatoonSet>("output");
        QTest::newRow("beyond the width") << Set({{470, 10}}) << Set({});
        QTest::newRow("reaching past the edge") << Set({{455, 10}}) << Set({{510, 5}});
        QTest::newRow("starting at the edge is not moved") << Set({{460, 10}}) << Set({});
    }
    void clipsToItsWidth() {
        QFETCH(PlatoonSet, input);
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetBkInput(input);
        QTEST(link.TravelBk(), "output");
    }

    void drawsSouthboundBand() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwInput(Set({{10, 30}}));
        // From 10..40 on row 0 to 65..95 on row 70, below the bitmap; halfway 37.5..67.5.
        QCOMPARE(ColumnsIn(link, 0, clTeal).first(), 10);
        QCOMPARE(ColumnsIn(link, 0, clTeal).size(), 31);
        const QList<int> middle = ColumnsIn(link, 35, clTeal);
        QVERIFY(qAbs(middle.first() - 37) <= 1 && qAbs(middle.last() - 68) <= 1);
        QCOMPARE(middle.size(), middle.last() - middle.first() + 1);
        link.SetFillBand(false);
        QCOMPARE(ColumnsIn(link, 0, clTeal), (QList<int>{10, 40}));
        // A band reaching past the right edge is drawn up to it.
        link.SetFwInput(Set({{420, 40}}));
        QCOMPARE(Pixel(link, 459, 30), clBlack);
        link.SetFillBand(true);
        QCOMPARE(Pixel(link, 459, 0), clTeal);
        QCOMPARE(Pixel(link, 459, 30), clTeal);
    }

    void northboundBandRunsUpwards_data() {
        QTest::addColumn<bool>("fill");
        QTest::addColumn<int>("topRowPixels");
        QTest::addColumn<int>("nextRowPixels");
        // Lines leave their end point unpainted: outlines stop one row short of the top.
        QTest::newRow("filled") << true << 21 << 21;
        QTest::newRow("outlined") << false << 0 << 2;
    }
    void northboundBandRunsUpwards() {
        QFETCH(bool, fill);
        TTimeSpaceLink link;
        LoadInner(link, fill);
        link.SetBkInput(Set({{100, 20}})); // row 70 at 100..120 up to row 0 at 155..175
        QTEST(static_cast<int>(ColumnsIn(link, 0, clGray).size()), "topRowPixels");
        QTEST(static_cast<int>(ColumnsIn(link, 1, clGray).size()), "nextRowPixels");
        QCOMPARE(ColumnsIn(link, 1, clGray).first(), 154); // 100 + 69 x 55 / 70 = 154.2
    }

    void outlinesAreClippedAtTheEdges() {
        TTimeSpaceLink link;
        LoadInner(link, false);
        // Northbound from (-30..-10, 70) up to (25..45, 0): the head line enters the bitmap at
        // row 32 (x = -30 + 38 x 55 / 70 = -0.1), the tail at row 57; rows 65 to 70 lie below.
        link.SetBkInput(Set({{-30, 20}}));
        // Southbound from (440..470, 0) down to (495..525, 70): the head leaves at row 24
        // (x = 458.9), the tail starts outside.
        link.SetFwInput(Set({{440, 30}}));
        for (int y = 0; y < 65; ++y) {
            const int northbound = y == 0 ? 0 : (y <= 32 ? 2 : (y <= 57 ? 1 : 0));
            QCOMPARE(ColumnsIn(link, y, clGray).size(), northbound);
            QCOMPARE(ColumnsIn(link, y, clTeal).size(), y <= 24 ? 1 : 0);
        }
        QCOMPARE(ColumnsIn(link, 32, clGray), (QList<int>{0, 20}));
        QCOMPARE(ColumnsIn(link, 24, clTeal), QList<int>{459});
        // A southbound queue of 370 s reaches 74 px back from row 70, above the bitmap: of its
        // outline only the side from (420, 70) to (363, -4) crosses the bitmap, once a row.
        link.SetFwInput(Set({}));
        link.SetFwQueues(Set({{50, 420}}));
        for (int y = 0; y < 65; ++y) {
            QCOMPARE(ColumnsIn(link, y, clTeal).size(), 1);
        }
    }

    void drawsNoBandForEmptyOrOutsideSlots() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwInput(Set({{460, 10}, {470, 10}, {30, 0}}));
        link.SetBkInput(Set({{460, 10}}));
        link.SetBkQueues(PlatoonSet{}); // six slots that collapse to the point (0, 0)
        QImage black(link.size(), QImage::Format_ARGB32_Premultiplied);
        black.fill(clBlack);
        QCOMPARE(link.GetBitmap(), black);
        link.SetFillBand(false);
        QCOMPARE(link.GetBitmap(), black);
    }

    void drawsQueues_data() {
        QTest::addColumn<bool>("fill");
        QTest::newRow("filled") << true;
        QTest::newRow("outlined") << false;
    }
    void drawsQueues() {
        QFETCH(bool, fill);
        // Lf 80 ft, Lp 2, T 1 at 35 mph: corners (200, 0), (210, 0), (209, 2), (199, 2).
        TTimeSpaceLink link;
        LoadInner(link, fill);
        link.SetBkQueues(Set({{200, 210}}));
        const QColor inside = fill ? clGray : clBlack;
        QCOMPARE(Pixel(link, 210, 0), clGray);
        QCOMPARE(Pixel(link, 204, 2), clGray);
        QCOMPARE(Pixel(link, 205, 1), inside);
        QCOMPARE(Pixel(link, 199, 2), inside); // the fourth side in the background colour
        QCOMPARE(Pixel(link, 200, 0), inside); // the stop-line side is not outlined
        QCOMPARE(Pixel(link, 198, 2), clBlack);
        QCOMPARE(Pixel(link, 211, 0), clBlack);
        QCOMPARE(Pixel(link, 205, 3), clBlack);
        // Southbound queues stand on the strip below: with no strip, just under the bitmap.
        link.SetTrafficLightHeight(0);
        link.SetFwQueues(Set({{0, 0}, {300, 340}})); // Lf 320, Lp 8, T 6
        QCOMPARE(Pixel(link, 294, 57), fill ? clTeal : clBlack);
        QCOMPARE(Pixel(link, 334, 57), clTeal);
        QCOMPARE(Pixel(link, 314, 56), clBlack);
    }

    void outlinedQueueErasesTheBandTail() {
        TTimeSpaceLink link;
        LoadInner(link, false);
        link.SetBkInput(Set({{0, 20}}));    // tail from (20, 70) to (75, 0)
        link.SetBkQueues(Set({{75, 115}})); // (75, 0) (115, 0) (109, 8) (69, 8)
        for (int y = 1; y <= 6; ++y) {
            for (int x = 60; x <= 105; ++x) {
                QCOMPARE(Pixel(link, x, y), clBlack);
            }
        }
        QVERIFY(ColumnsIn(link, 9, clGray).size() == 2); // head and tail below the queue
        QCOMPARE(Pixel(link, 100, 8), clGray);
    }

    // Each platoon runs into a queue that starts when its tail arrives and lasts `wait`
    // seconds; no pixel whose point lies inside or on a band's or a queue's outline may keep
    // the background, where the band meets its queue least of all.
    void filledShapesLeaveNoHoles_data() {
        QTest::addColumn<bool>("forward");
        QTest::addColumn<int>("mph");
        QTest::addColumn<PlatoonSet>("input");
        QTest::addColumn<int>("wait");
        QTest::newRow("northbound band into its queue") << false << 25 << Set({{239, 29}}) << 18;
        QTest::newRow("northbound at 55 mph") << false << 55 << Set({{291, 7}}) << 86;
        QTest::newRow("northbound failure, queues past the foot")
            << false << 35 << Set({{3, 42}, {200, 25}}) << 400;
        QTest::newRow("southbound band into its queue") << true << 21 << Set({{64, 29}}) << 75;
    }
    void filledShapesLeaveNoHoles() {
        QFETCH(bool, forward);
        QFETCH(int, mph);
        QFETCH(PlatoonSet, input);
        QFETCH(int, wait);
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwdSpeedMph(mph);
        link.SetBackSpeedMph(mph);
        forward ? link.SetFwInput(input) : link.SetBkInput(input);
        const PlatoonSet arriving = forward ? link.TravelFw() : link.TravelBk();
        PlatoonSet queues;
        for (int k = 1; k <= MaxPlatoons; ++k) {
            queues.Start[k] = input.Size[k] > 0 ? arriving.Start[k] + input.Size[k] : 0;
            queues.Size[k] = input.Size[k] > 0 ? queues.Start[k] + wait : 0;
        }
        forward ? link.SetFwQueues(queues) : link.SetBkQueues(queues);
        const PlatoonSet in = forward ? link.FwInput() : link.BkInput();
        const PlatoonSet out = forward ? link.FwOutput() : link.BkOutput();

        const int entry = forward ? 0 : link.TravelSpan();
        const int stop = link.TravelSpan() - entry;
        QList<QPolygon> shapes;
        for (int k = 1; k <= MaxPlatoons; ++k) {
            if (in.Size[k] > 0) {
                shapes << QPolygon({QPoint(in.Start[k], entry), QPoint(out.Start[k], stop),
                                    QPoint(out.Start[k] + in.Size[k], stop),
                                    QPoint(in.Start[k] + in.Size[k], entry)});
                const QueueShape q = QueueShapeOf(queues.Start[k], queues.Size[k], mph);
                const int back = forward ? stop - q.Pixels : q.Pixels;
                shapes << QPolygon({QPoint(queues.Start[k], stop), QPoint(queues.Size[k], stop),
                                    QPoint(queues.Size[k] - q.DriveTime, back),
                                    QPoint(queues.Start[k] - q.DriveTime, back)});
            }
        }
        const QImage &bitmap = link.GetBitmap();
        int covered = 0;
        QList<QPoint> holes;
        for (int y = 0; y < bitmap.height(); ++y) {
            for (int x = 0; x < bitmap.width(); ++x) {
                const auto encloses = [x, y](const QPolygon &shape) {
                    return Encloses(shape, {x, y});
                };
                if (std::any_of(shapes.cbegin(), shapes.cend(), encloses)) {
                    ++covered;
                    if (bitmap.pixelColor(x, y) == clBlack) {
                        holes << QPoint(x, y);
                    }
                }
            }
        }
        QVERIFY(covered > 1000);
        QCOMPARE(holes, QList<QPoint>{});
    }

    void bitmapFollowsStateAndGeometry() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwInput(Set({{10, 30}}));
        link.SetFwdLineColor(clWhite);
        QCOMPARE(Pixel(link, 20, 0), clWhite);
        link.SetBackGroundColor(clGray);
        QCOMPARE(Pixel(link, 300, 30), clGray);
        link.setGeometry(0, 22, 200, 12);
        QCOMPARE(link.GetBitmap().size(), QSize(200, 12));
        QCOMPARE(link.GetBitmap().format(), QImage::Format_ARGB32_Premultiplied);
    }
};

QTEST_MAIN(tst_TimeSpaceLink)
#include "tst_TimeSpaceLink.moc"
