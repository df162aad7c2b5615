#include "model/Platoons.h"

#include "PlatoonSets.h"

#include <QTest>

class tst_Platoons : public QObject {
    Q_OBJECT

  private slots:
    void mergeAndClip_data() {
        QTest::addColumn<PlatoonSet>("input");
        QTest::addColumn<PlatoonSet>("merged");
        QTest::newRow("start inside: sizes add, not the span")
            << Set({{0, 10}, {5, 10}}) << Set({{0, 20}});
        QTest::newRow("touching stay apart")
            << Set({{0, 10}, {10, 10}}) << Set({{0, 10}, {10, 10}});
        QTest::newRow("identical pair into the lower slot")
            << Set({{0, 0}, {30, 8}, {0, 0}, {0, 0}, {30, 8}}) << Set({{0, 0}, {30, 16}});
        QTest::newRow("later one reaching past the end")
            << Set({{10, 10}, {15, 20}}) << Set({{10, 30}});
        QTest::newRow("same start, different sizes") << Set({{10, 5}, {10, 20}}) << Set({{10, 25}});
        QTest::newRow("inner one merged when the outer loop reaches it")
            << Set({{0, 30}, {10, 5}}) << Set({{0, 35}});
        QTest::newRow("one pass leaves an overlap")
            << Set({{20, 10}, {0, 15}, {10, 10}}) << Set({{20, 10}, {0, 25}});
        QTest::newRow("second pass removes it")
            << Set({{20, 10}, {0, 25}}) << Set({{0, 0}, {0, 35}});
        QTest::newRow("empty slots never merge, lose their start")
            << Set({{10, 0}, {5, 10}}) << Set({{0, 0}, {5, 10}});
        QTest::newRow("beyond the width") << Set({{461, 10}}) << Set({});
        QTest::newRow("reaching past the width") << Set({{455, 10}}) << Set({{455, 5}});
        QTest::newRow("ending at the width") << Set({{450, 10}}) << Set({{450, 10}});
        QTest::newRow("starting at the width keeps its start")
            << Set({{460, 10}}) << Set({{460, 0}});
        QTest::newRow("merged, then clipped") << Set({{450, 10}, {455, 10}}) << Set({{450, 10}});
    }
    void mergeAndClip() {
        QFETCH(PlatoonSet, input);
        QTEST(MergePlatoons(input, 460), "merged");
    }

    void sort_data() {
        QTest::addColumn<PlatoonSet>("input");
        QTest::addColumn<PlatoonSet>("sorted");
        QTest::newRow("empties gather in front")
            << Set({{115, 15}, {0, 0}, {60, 15}})
            << Set({{0, 0}, {0, 0}, {0, 0}, {0, 0}, {60, 15}, {115, 15}});
        QTest::newRow("a platoon at 0 stays among the empties")
            << Set({{0, 0}, {0, 75}}) << Set({{0, 0}, {0, 75}});
        // Not stable: the first exchange moves (5, 1) behind (5, 2).
        QTest::newRow("equal starts in exchange order")
            << Set({{5, 1}, {5, 2}, {3, 3}, {7, 1}, {8, 1}, {9, 1}})
            << Set({{3, 3}, {5, 2}, {5, 1}, {7, 1}, {8, 1}, {9, 1}});
    }
    void sort() {
        QFETCH(PlatoonSet, input);
        QTEST(SortPlatoons(input), "sorted");
    }
};

QTEST_MAIN(tst_Platoons)
#include "tst_Platoons.moc"
