#include "controls/TimeSpaceLink.h"
#include "model/Travel.h"
#include "platform/Colors.h"

#include <QTest>

#include <cmath>
#include <initializer_list>
#include <utility>

Q_DECLARE_METATYPE(PlatoonSet)

namespace {
// Slots 1, 2, ... in the order given; the rest empty.
PlatoonSet Set(std::initializer_list<std::pair<int, int>> entries) {
    PlatoonSet set;
    int k = 1;
    for (const auto &[start, size] : entries) {
        set.Start[k] = start;
        set.Size[k] = size;
        ++k;
    }
    return set;
}

// An inner link as the main window loads it: 460 x 65 below a 10 px strip, 35 mph both ways.
void LoadInner(TTimeSpaceLink &link) {
    link.setGeometry(0, 22, 460, 65);
    link.SetBackGroundColor(NamedColor::clBlack);
    link.SetFwdSpeedMph(35);
    link.SetBackSpeedMph(35);
    link.SetFillBand(true);
    link.SetFwdLineColor(NamedColor::clTeal);
    link.SetBckLineColor(NamedColor::clGray);
    link.SetLinePenWidth(1);
    link.SetVisible(true);
    link.SetTrafficLightHeight(10);
}

QColor Pixel(TTimeSpaceLink &link, int x, int y) {
    return link.GetBitmap().pixelColor(x, y);
}

// Columns of row y painted in colour.
QList<int> ColumnsIn(TTimeSpaceLink &link, int y, const QColor &colour) {
    QList<int> columns;
    const QImage &image = link.GetBitmap();
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, y) == colour) {
            columns << x;
        }
    }
    return columns;
}
} // namespace

char *toString(const PlatoonSet &set) {
    QByteArray text;
    for (int k = 1; k <= MaxPlatoons; ++k) {
        text += QByteArray("(") + QByteArray::number(set.Start[k]) + ", " +
                QByteArray::number(set.Size[k]) + ") ";
    }
    return qstrdup(text.constData());
}

class tst_TimeSpaceLink : public QObject {
    Q_OBJECT

  private slots:
    void createdDefaults() {
        TTimeSpaceLink link;
        QCOMPARE(link.size(), QSize(420, 132));
        QCOMPARE(link.HeightInFeet(), 5280);
        QCOMPARE(link.BackGroundColor(), NamedColor::clBlack);
        QCOMPARE(link.FwdLineColor(), NamedColor::clWhite);
        QCOMPARE(link.BckLineColor(), NamedColor::clSilver);
        QCOMPARE(link.LinePenWidth(), 1);
        QVERIFY(!link.FillBand());
        QVERIFY(link.Visible());
        QCOMPARE(link.FwdSpeedMph(), 30);
        QCOMPARE(link.BackSpeedMph(), 25);
        QCOMPARE(link.TrafficLightHeight(), 0);
        QCOMPARE(link.TravelFw(), PlatoonSet{});
    }

    void travelTime_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<int>("mph");
        QTest::addColumn<int>("seconds");
        QTest::newRow("inner link at 35 mph, 54.5 s") << 70 << 35 << 55;
        QTest::newRow("inner link at 45 mph") << 70 << 45 << 42;
        QTest::newRow("inner link at 55 mph, 34.7 s") << 70 << 55 << 35;
        QTest::newRow("end link at 35 mph") << 17 << 35 << 13;
        // 22.5 s exactly in real numbers; MphToFps lies below 22/15, so the extended
        // quotient is just above the tie.
        QTest::newRow("just above a tie") << 33 << 40 << 23;
        QTest::newRow("zero span") << 0 << 35 << 0;
    }
    void travelTime() {
        QFETCH(int, span);
        QFETCH(int, mph);
        QTEST(TravelTime(span, mph), "seconds");
    }

    void doublePrecisionWouldLandOnTheTie() {
        // Guards the row above: in double precision the quotient is exactly 22.5.
        const double feetPerSecond = 40 * MphToFps;
        QCOMPARE(1320.0 / feetPerSecond, 22.5);
        QCOMPARE(TravelTime(33, 40), 23);
    }

    void spanFollowsGeometryAndStripHeight_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("lightHeight");
        QTest::addColumn<int>("span");
        QTest::newRow("inner") << 65 << 10 << 70;
        QTest::newRow("end") << 12 << 10 << 17;
        QTest::newRow("odd strip height truncates") << 65 << 11 << 70;
        QTest::newRow("no strip") << 65 << 0 << 65;
    }
    void spanFollowsGeometryAndStripHeight() {
        QFETCH(int, height);
        QFETCH(int, lightHeight);
        TTimeSpaceLink link;
        link.setGeometry(0, 0, 460, height);
        link.SetTrafficLightHeight(lightHeight);
        QTEST(link.TravelSpan(), "span");
        QCOMPARE(link.HeightInFeet(), 40 * height);
    }

    void travelShiftsStartsOnly() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwInput(Set({{10, 30}}));
        QCOMPARE(link.TravelFw(), Set({{65, 30}}));
        link.SetBackSpeedMph(45);
        link.SetBkInput(Set({{0, 0}, {100, 20}}));
        QCOMPARE(link.TravelBk(), Set({{0, 0}, {142, 20}}));
    }

    void travelReadsCurrentGeometry() {
        // The window moves strips and links with setGeometry; hidden ones get no resize event.
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwInput(Set({{10, 30}}));
        link.setGeometry(0, 22, 460, 12);
        QCOMPARE(link.TravelFw(), Set({{23, 30}}));
        link.setGeometry(0, 22, 100, 12);
        QCOMPARE(link.TravelFw(), Set({{23, 30}}));
        QCOMPARE(link.FwInput(), Set({{10, 30}}));
        link.setGeometry(0, 22, 30, 12);
        QCOMPARE(link.TravelFw(), Set({{23, 20}}));
    }

    void storingMergesOnceAndTravelOnceMore() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwInput(Set({{20, 10}, {0, 15}, {10, 10}}));
        QCOMPARE(link.FwInput(), Set({{20, 10}, {0, 25}, {0, 0}}));
        QCOMPARE(link.TravelFw(), Set({{75, 0}, {55, 35}, {0, 0}}));
        QCOMPARE(link.FwInput(), Set({{0, 0}, {0, 35}, {0, 0}}));
        // Queues stored afterwards run the travel again; nothing is left to merge.
        link.SetFwQueues(Set({{100, 120}}));
        QCOMPARE(link.FwInput(), Set({{0, 0}, {0, 35}, {0, 0}}));
        QCOMPARE(link.FwQueues(), Set({{100, 120}}));
    }

    void emptiedSlotKeepsItsPreviousStart() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwInput(Set({{10, 30}}));
        QCOMPARE(link.FwOutput(), Set({{65, 30}}));
        // Slot 1 starts inside slot 2 and is merged into it.
        link.SetFwInput(Set({{20, 5}, {15, 10}}));
        QCOMPARE(link.FwOutput(), Set({{65, 0}, {70, 15}}));
    }

    void clipsToItsWidth_data() {
        QTest::addColumn<PlatoonSet>("input");
        QTest::addColumn<PlatoonSet>("output");
        QTest::newRow("beyond the width") << Set({{470, 10}}) << Set({{0, 0}});
        QTest::newRow("reaching past the edge") << Set({{455, 10}}) << Set({{510, 5}});
        QTest::newRow("starting at the edge") << Set({{460, 10}}) << Set({{0, 0}});
    }
    void clipsToItsWidth() {
        QFETCH(PlatoonSet, input);
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetBkInput(input);
        QTEST(link.TravelBk(), "output");
    }

    void settersValidate() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwdSpeedMph(0);
        link.SetBackSpeedMph(-5);
        QCOMPARE(link.FwdSpeedMph(), 35);
        QCOMPARE(link.BackSpeedMph(), 35);
        link.SetFwdSpeedMph(1);
        QCOMPARE(link.FwdSpeedMph(), 1);
        link.SetHeightInFeet(1000);
        QCOMPARE(link.HeightInFeet(), 2600);
    }

    void drawsFilledBands() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwInput(Set({{10, 30}}));
        const QColor teal = NamedColor::clTeal;
        // The band runs from 10..40 at the top to 65..95 at row 70, below the bitmap.
        QCOMPARE(ColumnsIn(link, 0, teal).first(), 10);
        QCOMPARE(ColumnsIn(link, 0, teal).last(), 40);
        QCOMPARE(ColumnsIn(link, 0, teal).size(), 31);
        const QList<int> middle = ColumnsIn(link, 35, teal);
        QVERIFY(qAbs(middle.first() - 37) <= 1);
        QVERIFY(qAbs(middle.last() - 68) <= 1);
        QCOMPARE(middle.size(), middle.last() - middle.first() + 1);
        QCOMPARE(Pixel(link, 100, 35), NamedColor::clBlack);
        QVERIFY(!ColumnsIn(link, 64, teal).isEmpty());
    }

    void drawsOutlinedBands() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFillBand(false);
        link.SetFwInput(Set({{10, 30}}));
        QCOMPARE(ColumnsIn(link, 0, NamedColor::clTeal), (QList<int>{10, 40}));
        QCOMPARE(ColumnsIn(link, 35, NamedColor::clTeal).size(), 2);
    }

    void northboundBandsRunUpwards_data() {
        QTest::addColumn<bool>("fill");
        QTest::addColumn<QList<int>>("topRow");
        // Enters at row 70 at 100..120, reaches the top edge at 155..175. Lines leave their
        // end point unpainted, so outlined bands stop one row short of the top edge.
        QList<int> filled;
        for (int x = 155; x <= 175; ++x) {
            filled << x;
        }
        QTest::newRow("filled") << true << filled;
        QTest::newRow("outlined") << false << QList<int>{};
    }
    void northboundBandsRunUpwards() {
        QFETCH(bool, fill);
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFillBand(fill);
        link.SetBkInput(Set({{100, 20}}));
        QTEST(ColumnsIn(link, 0, NamedColor::clGray), "topRow");
        // Row 1 lies 69 of 70 rows up: 100 + 69 x 55 / 70 = 154.2.
        const QList<int> nearTop = ColumnsIn(link, 1, NamedColor::clGray);
        QCOMPARE(nearTop.first(), 154);
        QCOMPARE(nearTop.last(), 174);
        QCOMPARE(nearTop.size(), fill ? 21 : 2);
    }

    void bandPastTheRightEdgeIsDrawnToIt() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwInput(Set({{420, 40}}));
        QCOMPARE(Pixel(link, 459, 0), NamedColor::clTeal);
        QCOMPARE(Pixel(link, 459, 30), NamedColor::clTeal);
        QCOMPARE(Pixel(link, 440, 30), NamedColor::clBlack);
    }

    void drawsNoBandForEmptyOrOutsideSlots() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwInput(Set({{460, 10}, {470, 10}, {30, 0}}));
        link.SetBkInput(Set({{460, 10}}));
        const QImage &image = link.GetBitmap();
        QImage black(image.size(), image.format());
        black.fill(NamedColor::clBlack);
        QCOMPARE(image, black);
    }

    void drawsQueues_data() {
        QTest::addColumn<bool>("fill");
        QTest::newRow("filled") << true;
        QTest::newRow("outlined") << false;
    }
    void drawsQueues() {
        QFETCH(bool, fill);
        // Northbound queue at the top edge: Lf 80 ft, Lp 2, T 1 at 35 mph; corners
        // (200, 0), (210, 0), (209, 2), (199, 2).
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFillBand(fill);
        link.SetBkQueues(Set({{200, 210}}));
        const QColor gray = NamedColor::clGray;
        QCOMPARE(Pixel(link, 199, 2), fill ? gray : NamedColor::clBlack);
        QCOMPARE(Pixel(link, 204, 2), gray);
        QCOMPARE(Pixel(link, 209, 2), gray);
        QCOMPARE(Pixel(link, 210, 0), gray);
        QCOMPARE(Pixel(link, 205, 1), fill ? gray : NamedColor::clBlack);
        QCOMPARE(Pixel(link, 198, 2), NamedColor::clBlack);
        QCOMPARE(Pixel(link, 211, 0), NamedColor::clBlack);
        QCOMPARE(Pixel(link, 205, 3), NamedColor::clBlack);
        const QColor topRowLeft = Pixel(link, 200, 0);
        QCOMPARE(topRowLeft, fill ? gray : NamedColor::clBlack);
    }

    void southboundQueueStandsAtTheStripBelow() {
        // With no strip below, the stop line row is the row just under the bitmap.
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetTrafficLightHeight(0);
        link.SetFwQueues(Set({{0, 0}, {300, 340}})); // Lf 320, Lp 8, T 6
        QCOMPARE(Pixel(link, 300, 64), NamedColor::clTeal);
        QCOMPARE(Pixel(link, 294, 57), NamedColor::clTeal);
        QCOMPARE(Pixel(link, 334, 57), NamedColor::clTeal);
        QCOMPARE(Pixel(link, 314, 56), NamedColor::clBlack);
        QCOMPARE(Pixel(link, 341, 64), NamedColor::clBlack);
    }

    void emptyQueueSetPaintsNothing() {
        // Every slot is drawn; the all-zero slots collapse to the point (0, 0).
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetBkQueues(PlatoonSet{});
        link.SetFillBand(false);
        QCOMPARE(Pixel(link, 0, 0), NamedColor::clBlack);
        link.SetFillBand(true);
        QCOMPARE(Pixel(link, 0, 0), NamedColor::clBlack);
    }

    void outlinedQueueErasesTheBandTail() {
        // A northbound band held at the top: its tail line ends at the queue's ArrivalEnd.
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFillBand(false);
        link.SetBkInput(Set({{0, 20}}));    // tail from (20, 70) to (75, 0)
        link.SetBkQueues(Set({{75, 115}})); // Lf 320, Lp 8, T 6: (75, 0) (115, 0) (109, 8) (69, 8)
        QCOMPARE(Pixel(link, 115, 0), NamedColor::clGray);
        QCOMPARE(Pixel(link, 100, 8), NamedColor::clGray);
        // Inside the queue the tail is painted over in the background colour.
        for (int y = 1; y <= 6; ++y) {
            for (int x = 60; x <= 105; ++x) {
                QCOMPARE(Pixel(link, x, y), NamedColor::clBlack);
            }
        }
        // Below the queue it stays.
        QVERIFY(!ColumnsIn(link, 9, NamedColor::clGray).isEmpty());
        QVERIFY(ColumnsIn(link, 9, NamedColor::clGray).last() < 75);
    }

    void renderingLeavesStateAlone() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwInput(Set({{20, 10}, {0, 15}, {10, 10}}));
        const PlatoonSet input = link.FwInput();
        const PlatoonSet output = link.FwOutput();
        link.GetBitmap();
        link.SetLinePenWidth(2);
        link.GetBitmap();
        link.repaint();
        QCOMPARE(link.FwInput(), input);
        QCOMPARE(link.FwOutput(), output);
    }

    void bitmapFollowsStateAndGeometry() {
        TTimeSpaceLink link;
        LoadInner(link);
        link.SetFwInput(Set({{10, 30}}));
        QCOMPARE(Pixel(link, 20, 0), NamedColor::clTeal);
        link.SetFwdLineColor(NamedColor::clWhite);
        QCOMPARE(Pixel(link, 20, 0), NamedColor::clWhite);
        link.SetBackGroundColor(NamedColor::clGray);
        QCOMPARE(Pixel(link, 300, 30), NamedColor::clGray);
        link.setGeometry(0, 22, 200, 12);
        QCOMPARE(link.GetBitmap().size(), QSize(200, 12));
        QCOMPARE(link.GetBitmap().format(), QImage::Format_ARGB32_Premultiplied);
    }

    void ownVisibleFlagHidesOnlyTheScreen() {
        QWidget panel;
        panel.resize(460, 100);
        panel.setAutoFillBackground(true);
        QPalette palette = panel.palette();
        palette.setColor(QPalette::Window, NamedColor::clRed);
        panel.setPalette(palette);
        auto *link = new TTimeSpaceLink(&panel);
        LoadInner(*link);
        link->setGeometry(0, 0, 460, 65);
        link->SetFwInput(Set({{10, 30}}));
        QCOMPARE(panel.grab().toImage().pixelColor(20, 0), NamedColor::clTeal);
        link->SetVisible(false);
        QCOMPARE(panel.grab().toImage().pixelColor(20, 0), NamedColor::clRed);
        QCOMPARE(panel.grab().toImage().pixelColor(300, 30), NamedColor::clRed);
        QCOMPARE(Pixel(*link, 20, 0), NamedColor::clTeal);
    }
};

QTEST_MAIN(tst_TimeSpaceLink)
#include "tst_TimeSpaceLink.moc"
