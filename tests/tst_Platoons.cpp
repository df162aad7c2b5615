#include "model/Platoons.h"

#include <QTest>

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
} // namespace

char *toString(const PlatoonSet &set) {
    QByteArray text;
    for (int k = 1; k <= MaxPlatoons; ++k) {
        text += QByteArray("(") + QByteArray::number(set.Start[k]) + ", " +
                QByteArray::number(set.Size[k]) + ") ";
    }
    return qstrdup(text.constData());
}

class tst_Platoons : public QObject {
    Q_OBJECT

  private slots:
    void mergesOnePass_data() {
        QTest::addColumn<PlatoonSet>("input");
        QTest::addColumn<PlatoonSet>("merged");
        QTest::newRow("start inside: sizes add, not the span")
            << Set({{0, 10}, {5, 10}}) << Set({{0, 20}, {0, 0}});
        QTest::newRow("touching platoons stay apart")
            << Set({{0, 10}, {10, 10}}) << Set({{0, 10}, {10, 10}});
        QTest::newRow("identical pair kept in the lower slot")
            << Set({{30, 8}, {30, 8}}) << Set({{30, 16}, {0, 0}});
        QTest::newRow("identical pair in slots 2 and 5")
            << Set({{0, 0}, {30, 8}, {0, 0}, {0, 0}, {30, 8}})
            << Set({{0, 0}, {30, 16}, {0, 0}, {0, 0}, {0, 0}});
        QTest::newRow("later platoon reaching past the end joins the earlier")
            << Set({{10, 10}, {15, 20}}) << Set({{10, 30}, {0, 0}});
        QTest::newRow("same start, longer one absorbs the shorter")
            << Set({{10, 5}, {10, 20}}) << Set({{10, 25}, {0, 0}});
        QTest::newRow("inner platoon merged when the outer loop reaches it")
            << Set({{0, 30}, {10, 5}}) << Set({{0, 35}, {0, 0}});
        QTest::newRow("one pass leaves an overlap")
            << Set({{20, 10}, {0, 15}, {10, 10}}) << Set({{20, 10}, {0, 25}, {0, 0}});
        QTest::newRow("second pass removes it")
            << Set({{20, 10}, {0, 25}, {0, 0}}) << Set({{0, 0}, {0, 35}, {0, 0}});
        QTest::newRow("zero-size slots never merge")
            << Set({{10, 0}, {5, 10}}) << Set({{0, 0}, {5, 10}});
    }
    void mergesOnePass() {
        QFETCH(PlatoonSet, input);
        QTEST(MergePlatoons(input, 460), "merged");
    }

    void clipsToWidth_data() {
        QTest::addColumn<PlatoonSet>("input");
        QTest::addColumn<PlatoonSet>("clipped");
        QTest::newRow("beyond the width removed") << Set({{470, 10}}) << Set({{0, 0}});
        QTest::newRow("one past the width removed") << Set({{461, 10}}) << Set({{0, 0}});
        QTest::newRow("reaching past cut to the edge") << Set({{455, 10}}) << Set({{455, 5}});
        QTest::newRow("ending at the edge kept") << Set({{450, 10}}) << Set({{450, 10}});
        QTest::newRow("starting at the edge keeps its start, size 0")
            << Set({{460, 10}}) << Set({{460, 0}});
        QTest::newRow("merged first, then clipped")
            << Set({{450, 10}, {455, 10}}) << Set({{450, 10}, {0, 0}});
        QTest::newRow("start of an empty slot cleared") << Set({{100, 0}}) << Set({{0, 0}});
    }
    void clipsToWidth() {
        QFETCH(PlatoonSet, input);
        QTEST(MergePlatoons(input, 460), "clipped");
    }

    void widthIsTheCallersOwn() {
        // The same set against a link's or a strip's width.
        const PlatoonSet input = Set({{300, 40}});
        QCOMPARE(MergePlatoons(input, 460), Set({{300, 40}}));
        QCOMPARE(MergePlatoons(input, 320), Set({{300, 20}}));
        QCOMPARE(MergePlatoons(input, 299), Set({{0, 0}}));
    }

    void sortsByStart_data() {
        QTest::addColumn<PlatoonSet>("input");
        QTest::addColumn<PlatoonSet>("sorted");
        QTest::newRow("empties gather in front of later starts")
            << Set({{115, 15}, {0, 0}, {60, 15}})
            << Set({{0, 0}, {0, 0}, {0, 0}, {0, 0}, {60, 15}, {115, 15}});
        QTest::newRow("a platoon at 0 stays among the empties")
            << Set({{0, 0}, {0, 75}}) << Set({{0, 0}, {0, 75}, {0, 0}, {0, 0}, {0, 0}, {0, 0}});
        // Exchange sort is not stable: the first exchange moves (5, 1) behind (5, 2).
        QTest::newRow("equal starts in exchange order")
            << Set({{5, 1}, {5, 2}, {3, 3}, {7, 1}, {8, 1}, {9, 1}})
            << Set({{3, 3}, {5, 2}, {5, 1}, {7, 1}, {8, 1}, {9, 1}});
        QTest::newRow("clipped empty slot at the width sorts last")
            << Set({{460, 0}, {10, 5}}) << Set({{0, 0}, {0, 0}, {0, 0}, {0, 0}, {10, 5}, {460, 0}});
    }
    void sortsByStart() {
        QFETCH(PlatoonSet, input);
        QTEST(SortPlatoons(input), "sorted");
    }
};

QTEST_MAIN(tst_Platoons)
#include "tst_Platoons.moc"
