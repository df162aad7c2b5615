#include "controls/SpaceLink.h"
#include "platform/Colors.h"

#include <QTest>

Q_DECLARE_METATYPE(PlatoonSet)

using namespace NamedColor;

namespace {
// A queue set whose slots 1 and 2 wait the given seconds (DischargeEnd - ArrivalEnd).
PlatoonSet Waits(int first, int second = 0) {
    PlatoonSet set;
    set.Start[1] = 100;
    set.Size[1] = 100 + first;
    set.Start[2] = 300;
    set.Size[2] = 300 + second;
    return set;
}

// An inner section as the main window loads it: 35 x 75, vertical.
void LoadInner(TSpaceLink &section) {
    section.setGeometry(470, 17, 35, 75);
    section.SetFwdQueueColor(clTeal);
    section.SetBckQueueColor(clGray);
}

// The bounding rectangle of the pixels in colour; (-1, -1, 1, 1) if they do not fill it.
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

// Indices along column `at` (or row `at`) painted in colour.
QList<int> Along(TSpaceLink &section, bool column, int at, const QColor &colour) {
    const QImage &image = section.GetBitmap();
    QList<int> hits;
    for (int i = 0; i < (column ? image.height() : image.width()); ++i) {
        if (image.pixelColor(column ? at : i, column ? i : at) == colour) {
            hits << i;
        }
    }
    return hits;
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
    void queueLength_data() {
        QTest::addColumn<PlatoonSet>("queues");
        QTest::addColumn<int>("length");
        QTest::newRow("all zero") << PlatoonSet{} << 0;
        QTest::newRow("4 s is under a pixel") << Waits(4) << 0;
        QTest::newRow("5 s is one pixel") << Waits(5) << 1;
        QTest::newRow("longest of 4 and 9 s") << Waits(4, 9) << 1;
        QTest::newRow("60 s") << Waits(10, 60) << 12;
        QTest::newRow("negative differences never count") << Waits(-40, -10) << 0;
        QTest::newRow("negative beside positive") << Waits(-40, 35) << 7;
    }
    void queueLength() {
        QFETCH(PlatoonSet, queues);
        QFETCH(int, length);
        TSpaceLink section;
        LoadInner(section);
        section.SetBkQueues(Waits(60));
        section.SetFwQueues(queues);
        QCOMPARE(section.FwQueueLength(), length);
        QCOMPARE(section.FwStop(), length > 0);
        QCOMPARE(section.BkQueueLength(), 12); // directions are apart
        section.SetBkQueues(queues);
        QCOMPARE(section.BkQueueLength(), length);
        QCOMPARE(section.BkStop(), length > 0);
        section.SetFwStop(!section.FwStop()); // read-only in effect
        QCOMPARE(section.FwStop(), length > 0);
    }

    void verticalRoad() {
        TSpaceLink section;
        LoadInner(section);
        // Road edges in columns 2 and 33; stop lines on row 3 over 18..33 and row 72 over
        // 2..16; the centre line in column 17 dotted, runs of 3 from the top, gaps of 3.
        QCOMPARE(Along(section, true, 2, clWhite), Range(0, 74));
        QCOMPARE(Along(section, true, 33, clWhite), Range(0, 74));
        QCOMPARE(Along(section, false, 3, clWhite), QList<int>{2} + Range(18, 33));
        QCOMPARE(Along(section, false, 72, clWhite), Range(2, 16) + QList<int>{33});
        const QList<int> centre = Along(section, true, 17, clYellow);
        QCOMPARE(centre.mid(0, 6), (QList<int>{0, 1, 2, 6, 7, 8}));
        QVERIFY(centre.contains(72) && !centre.contains(40));
        QCOMPARE(AreaOf(section, clTeal), QRect());
        QCOMPARE(AreaOf(section, clGray), QRect());
    }

    void verticalQueueBars_data() {
        QTest::addColumn<int>("fwSeconds");
        QTest::addColumn<int>("bkSeconds");
        QTest::addColumn<QRect>("fwBar");
        QTest::addColumn<QRect>("bkBar");
        // Southbound: columns 3..15, rows 72 - L .. 71; northbound: 19..32, rows 4 .. 3 + L.
        QTest::newRow("12 and 5 px") << 60 << 25 << QRect(QPoint(3, 60), QPoint(15, 71))
                                     << QRect(QPoint(19, 4), QPoint(32, 8));
        QTest::newRow("one pixel each") << 5 << 5 << QRect(QPoint(3, 71), QPoint(15, 71))
                                        << QRect(QPoint(19, 4), QPoint(32, 4));
        QTest::newRow("longer than the section")
            << 500 << 500 << QRect(QPoint(3, 0), QPoint(15, 71))
            << QRect(QPoint(19, 4), QPoint(32, 74));
    }
    void verticalQueueBars() {
        QFETCH(int, fwSeconds);
        QFETCH(int, bkSeconds);
        TSpaceLink section;
        LoadInner(section);
        section.SetFwQueues(Waits(fwSeconds));
        section.SetBkQueues(Waits(bkSeconds));
        QTEST(AreaOf(section, clTeal), "fwBar");
        QTEST(AreaOf(section, clGray), "bkBar");
    }

    void horizontalRoad() {
        TSpaceLink section;
        LoadInner(section);
        section.SetFwQueues(Waits(60)); // 12 px
        section.SetBkQueues(Waits(25)); // 5 px
        const qint64 vertical = section.GetBitmap().cacheKey();
        section.SetOrientation(Vertical); // no change, no new picture
        QCOMPARE(section.GetBitmap().cacheKey(), vertical);
        section.SetOrientation(Horizontal);
        QCOMPARE(section.size(), QSize(75, 35));
        QCOMPARE(section.HeightInFeet(), 1400);
        // W 75, H 35, cx 37, cy 17.
        QCOMPARE(Along(section, false, 2, clWhite), Range(0, 74));
        QCOMPARE(Along(section, false, 33, clWhite), Range(0, 74));
        QCOMPARE(Along(section, true, 3, clWhite), QList<int>{2} + Range(18, 33));
        QCOMPARE(Along(section, true, 72, clWhite), Range(2, 16) + QList<int>{33});
        QCOMPARE(Along(section, false, 17, clYellow).mid(0, 6), (QList<int>{0, 1, 2, 6, 7, 8}));
        // Southbound grows right from column 4; northbound grows left from column 71 and,
        // sharing the inner edge cy + 1, covers the centre row.
        QCOMPARE(AreaOf(section, clTeal), QRect(QPoint(4, 19), QPoint(15, 32)));
        QCOMPARE(AreaOf(section, clGray), QRect(QPoint(67, 3), QPoint(71, 17)));
        section.SetOrientation(Vertical);
        QCOMPARE(section.size(), QSize(35, 75));
    }

    void endSectionFollowsGeometry() {
        // The window sets heights with setGeometry; a hidden control gets no resize event.
        TSpaceLink section;
        LoadInner(section);
        section.SetFwQueues(Waits(10)); // 2 px
        section.setGeometry(470, 0, 35, 17);
        QCOMPARE(section.HeightInFeet(), 680);
        QCOMPARE(AreaOf(section, clTeal), QRect(QPoint(3, 12), QPoint(15, 13)));
        QCOMPARE(Along(section, false, 14, clWhite), Range(2, 16) + QList<int>{33});
    }

    void ownVisibleFlagHidesOnlyTheScreen() {
        QWidget panel;
        panel.resize(100, 100);
        panel.setAutoFillBackground(true);
        QPalette palette = panel.palette();
        palette.setColor(QPalette::Window, clRed);
        panel.setPalette(palette);
        auto *section = new TSpaceLink(&panel);
        LoadInner(*section);
        section->setGeometry(0, 0, 35, 75);
        QCOMPARE(panel.grab().toImage().pixelColor(2, 10), clWhite);
        section->SetVisible(false);
        QCOMPARE(panel.grab().toImage().pixelColor(2, 10), clRed);
        QCOMPARE(section->GetBitmap().pixelColor(2, 10), clWhite);
    }
};

QTEST_MAIN(tst_SpaceLink)
#include "tst_SpaceLink.moc"
