#include "controls/SpaceLink.h"
#include "platform/Colors.h"

#include <QTest>

#include <initializer_list>
#include <utility>

Q_DECLARE_METATYPE(PlatoonSet)

namespace {
// Queue slots 1, 2, ... as (ArrivalEnd, DischargeEnd); the rest empty.
PlatoonSet Queues(std::initializer_list<std::pair<int, int>> entries) {
    PlatoonSet set;
    int k = 1;
    for (const auto &[arrivalEnd, dischargeEnd] : entries) {
        set.Start[k] = arrivalEnd;
        set.Size[k] = dischargeEnd;
        ++k;
    }
    return set;
}

// An inner section as the main window loads it: 35 x 75.
void LoadInner(TSpaceLink &section) {
    section.setGeometry(470, 17, 35, 75);
    section.SetBackGroundColor(NamedColor::clBlack);
    section.SetFwdQueueColor(NamedColor::clTeal);
    section.SetBckQueueColor(NamedColor::clGray);
    section.SetLinePenWidth(1);
    section.SetOrientation(Vertical);
    section.SetVisible(true);
}

// The rectangle of pixels painted in colour, or an empty one; fails the test when the
// coloured pixels do not form a full rectangle.
QRect AreaOf(TSpaceLink &section, const QColor &colour) {
    const QImage &image = section.GetBitmap();
    QRect area;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour) {
                area |= QRect(x, y, 1, 1);
                ++count;
            }
        }
    }
    return count == area.width() * area.height() ? area : QRect(-1, -1, 1, 1);
}

// The coloured pixels of one column or row, as index lists.
QList<int> RowsIn(TSpaceLink &section, int x, const QColor &colour) {
    QList<int> rows;
    const QImage &image = section.GetBitmap();
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixelColor(x, y) == colour) {
            rows << y;
        }
    }
    return rows;
}
QList<int> ColumnsIn(TSpaceLink &section, int y, const QColor &colour) {
    QList<int> columns;
    const QImage &image = section.GetBitmap();
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, y) == colour) {
            columns << x;
        }
    }
    return columns;
}
QList<int> Range(int first, int last) {
    QList<int> values;
    for (int v = first; v <= last; ++v) {
        values << v;
    }
    return values;
}
} // namespace

class tst_SpaceLink : public QObject {
    Q_OBJECT

  private slots:
    void createdDefaults() {
        TSpaceLink section;
        QCOMPARE(section.size(), QSize(40, 132));
        QCOMPARE(section.HeightInFeet(), 5280);
        QCOMPARE(section.BackGroundColor(), NamedColor::clBlack);
        QCOMPARE(section.FwdQueueColor(), NamedColor::clWhite);
        QCOMPARE(section.BckQueueColor(), NamedColor::clSilver);
        QCOMPARE(section.LinePenWidth(), 1);
        QCOMPARE(section.Orientation(), Vertical);
        QVERIFY(!section.FwStop());
        QVERIFY(!section.BkStop());
        QVERIFY(section.Visible());
    }

    void queueLength_data() {
        QTest::addColumn<PlatoonSet>("queues");
        QTest::addColumn<int>("length");
        QTest::newRow("all zero") << PlatoonSet{} << 0;
        QTest::newRow("4 s is under a pixel") << Queues({{10, 14}}) << 0;
        QTest::newRow("5 s is one pixel") << Queues({{10, 15}}) << 1;
        QTest::newRow("longest of 4 and 9 s") << Queues({{10, 14}, {100, 109}}) << 1;
        QTest::newRow("longest in a later slot") << Queues({{10, 20}, {0, 0}, {90, 150}}) << 12;
        QTest::newRow("negative differences never count") << Queues({{130, 90}, {50, 40}}) << 0;
        QTest::newRow("negative beside positive") << Queues({{130, 90}, {100, 135}}) << 7;
    }
    void queueLength() {
        QFETCH(PlatoonSet, queues);
        QFETCH(int, length);
        TSpaceLink section;
        LoadInner(section);
        section.SetFwQueues(queues);
        QCOMPARE(section.FwQueueLength(), length);
        QCOMPARE(section.FwStop(), length > 0);
        QCOMPARE(section.BkQueueLength(), 0);
        QVERIFY(!section.BkStop());
        section.SetBkQueues(queues);
        QCOMPARE(section.BkQueueLength(), length);
        QCOMPARE(section.BkStop(), length > 0);
    }

    void stopFlagsFollowTheLatestSet() {
        TSpaceLink section;
        LoadInner(section);
        section.SetFwQueues(Queues({{0, 60}}));
        QVERIFY(section.FwStop());
        section.SetFwQueues(PlatoonSet{});
        QVERIFY(!section.FwStop());
        QCOMPARE(section.FwQueueLength(), 0);
    }

    void readOnlyPropertiesIgnoreWrites() {
        TSpaceLink section;
        LoadInner(section);
        section.SetFwStop(true);
        section.SetBkStop(true);
        section.SetHeightInFeet(10);
        QVERIFY(!section.FwStop());
        QVERIFY(!section.BkStop());
        QCOMPARE(section.HeightInFeet(), 3000);
    }

    void verticalRoadPixels() {
        TSpaceLink section;
        LoadInner(section);
        using namespace NamedColor;
        // Road edges in columns 2 and 33 over the full height.
        QCOMPARE(RowsIn(section, 2, clWhite), Range(0, 74));
        QCOMPARE(RowsIn(section, 33, clWhite), Range(0, 74));
        // Northbound stop line on row 3 over 18..33; southbound on row 72 over 2..16.
        QCOMPARE(ColumnsIn(section, 3, clWhite), (QList<int>{2} << Range(18, 33)));
        QCOMPARE(ColumnsIn(section, 72, clWhite), (Range(2, 16) << 33));
        // The centre line in column 17 is dotted: runs of 3 from the top, gaps of 3.
        const QList<int> centre = RowsIn(section, 17, clYellow);
        QCOMPARE(centre.mid(0, 6), (QList<int>{0, 1, 2, 6, 7, 8}));
        QVERIFY(centre.contains(72));
        QVERIFY(!centre.contains(75));
        QVERIFY(!centre.contains(40)); // 40 = 6 x 6 + 4 lies in a gap
        // No queue, no bar.
        QCOMPARE(AreaOf(section, clTeal), QRect());
        QCOMPARE(AreaOf(section, clGray), QRect());
    }

    void verticalQueueBars_data() {
        QTest::addColumn<int>("fwSeconds");
        QTest::addColumn<int>("bkSeconds");
        QTest::addColumn<QRect>("fwBar");
        QTest::addColumn<QRect>("bkBar");
        // Southbound: columns 3..15, rows 72 - 3 - L .. 71; northbound: 19..32, rows 4..3 + L.
        QTest::newRow("12 px southbound, 5 px northbound")
            << 60 << 25 << QRect(QPoint(3, 60), QPoint(15, 71))
            << QRect(QPoint(19, 4), QPoint(32, 8));
        QTest::newRow("one pixel each") << 5 << 5 << QRect(QPoint(3, 71), QPoint(15, 71))
                                        << QRect(QPoint(19, 4), QPoint(32, 4));
        QTest::newRow("longer than the section, clipped")
            << 500 << 500 << QRect(QPoint(3, 0), QPoint(15, 71))
            << QRect(QPoint(19, 4), QPoint(32, 74));
    }
    void verticalQueueBars() {
        QFETCH(int, fwSeconds);
        QFETCH(int, bkSeconds);
        TSpaceLink section;
        LoadInner(section);
        section.SetFwQueues(Queues({{100, 100 + fwSeconds}}));
        section.SetBkQueues(Queues({{100, 100 + bkSeconds}}));
        QTEST(AreaOf(section, NamedColor::clTeal), "fwBar");
        QTEST(AreaOf(section, NamedColor::clGray), "bkBar");
    }

    void horizontalRoad() {
        TSpaceLink section;
        LoadInner(section);
        section.SetFwQueues(Queues({{0, 60}})); // 12 px
        section.SetBkQueues(Queues({{0, 25}})); // 5 px
        section.SetOrientation(Horizontal);
        QCOMPARE(section.size(), QSize(75, 35));
        QCOMPARE(section.GetBitmap().size(), QSize(75, 35));
        using namespace NamedColor;
        // W 75, H 35, cx 37, cy 17.
        QCOMPARE(ColumnsIn(section, 2, clWhite), Range(0, 74));
        QCOMPARE(ColumnsIn(section, 33, clWhite), Range(0, 74));
        QCOMPARE(RowsIn(section, 3, clWhite), (QList<int>{2} << Range(18, 33)));
        QCOMPARE(RowsIn(section, 72, clWhite), (Range(2, 16) << 33));
        QCOMPARE(ColumnsIn(section, 17, clYellow).mid(0, 6), (QList<int>{0, 1, 2, 6, 7, 8}));
        // Southbound grows right from column 4; northbound grows left from column 71 and,
        // sharing the inner edge cy + 1, covers the centre row.
        QCOMPARE(AreaOf(section, clTeal), QRect(QPoint(4, 19), QPoint(15, 32)));
        QCOMPARE(AreaOf(section, clGray), QRect(QPoint(67, 3), QPoint(71, 17)));
    }

    void orientationSwapsTheExtentOnce() {
        TSpaceLink section;
        LoadInner(section);
        const QImage &before = section.GetBitmap();
        const qint64 renderedVertical = before.cacheKey();
        section.SetOrientation(Vertical);
        QCOMPARE(section.size(), QSize(35, 75));
        QCOMPARE(section.GetBitmap().cacheKey(), renderedVertical);
        section.SetOrientation(Horizontal);
        QCOMPARE(section.size(), QSize(75, 35));
        section.SetOrientation(Horizontal);
        QCOMPARE(section.size(), QSize(75, 35));
        section.SetOrientation(Vertical);
        QCOMPARE(section.size(), QSize(35, 75));
        QCOMPARE(section.HeightInFeet(), 3000);
    }

    void endSectionFollowsGeometry() {
        // The window sets heights with setGeometry; a hidden control gets no resize event.
        TSpaceLink section;
        LoadInner(section);
        section.SetFwQueues(Queues({{0, 10}})); // 2 px
        section.setGeometry(470, 0, 35, 17);
        QCOMPARE(section.HeightInFeet(), 680);
        QCOMPARE(AreaOf(section, NamedColor::clTeal), QRect(QPoint(3, 12), QPoint(15, 13)));
        QCOMPARE(ColumnsIn(section, 14, NamedColor::clWhite), (Range(2, 16) << 33));
    }

    void coloursApplyToTheNextPicture() {
        TSpaceLink section;
        LoadInner(section);
        section.SetFwQueues(Queues({{0, 60}}));
        section.SetFwdQueueColor(NamedColor::clRed);
        QCOMPARE(section.GetBitmap().pixelColor(5, 65), NamedColor::clRed);
        section.SetBackGroundColor(NamedColor::clBlue);
        QCOMPARE(section.GetBitmap().pixelColor(10, 30), NamedColor::clBlue);
    }

    void ownVisibleFlagHidesOnlyTheScreen() {
        QWidget panel;
        panel.resize(100, 100);
        panel.setAutoFillBackground(true);
        QPalette palette = panel.palette();
        palette.setColor(QPalette::Window, NamedColor::clRed);
        panel.setPalette(palette);
        auto *section = new TSpaceLink(&panel);
        LoadInner(*section);
        section->setGeometry(0, 0, 35, 75);
        QCOMPARE(panel.grab().toImage().pixelColor(2, 10), NamedColor::clWhite);
        section->SetVisible(false);
        QCOMPARE(panel.grab().toImage().pixelColor(2, 10), NamedColor::clRed);
        QCOMPARE(section->GetBitmap().pixelColor(2, 10), NamedColor::clWhite);
    }
};

QTEST_MAIN(tst_SpaceLink)
#include "tst_SpaceLink.moc"
