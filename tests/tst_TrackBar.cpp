#include "platform/TrackBar.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <vector>

namespace {
// A track bar as the window loads its volume bars: 0..1000, line 10, page 20, ticks every 100.
void LoadVolumeBar(TTrackBar &Bar) {
    Bar.setGeometry(10, 10, 200, 33);
    Bar.SetMin(0);
    Bar.SetMax(1000);
    Bar.SetPosition(0);
    Bar.SetLineSize(10);
    Bar.SetPageSize(20);
    Bar.SetFrequency(100);
}

QRect HandleRect(TTrackBar &Bar) {
    QStyleOptionSlider Option;
    Option.initFrom(&Bar);
    Option.orientation = Bar.orientation();
    Option.minimum = Bar.minimum();
    Option.maximum = Bar.maximum();
    Option.sliderPosition = Bar.sliderPosition();
    Option.sliderValue = Bar.value();
    Option.tickPosition = Bar.tickPosition();
    Option.tickInterval = Bar.tickInterval();
    Option.upsideDown = Bar.invertedAppearance();
    return Bar.style()->subControlRect(QStyle::CC_Slider, &Option, QStyle::SC_SliderHandle, &Bar);
}
} // namespace

class tst_TrackBar : public QObject {
    Q_OBJECT

    QWidget *FWindow = nullptr;
    TTrackBar *FBar = nullptr;
    std::vector<int> FSeen; // positions the change event saw, in order

  private slots:
    void init() {
        FWindow = new QWidget;
        FWindow->resize(220, 60);
        FBar = new TTrackBar(FWindow);
        LoadVolumeBar(*FBar);
        FSeen.clear();
        FBar->SetOnChange([this](QObject *Sender) {
            QCOMPARE(Sender, FBar);
            FSeen.push_back(FBar->Position());
        });
        FWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(FWindow));
        FBar->setFocus();
    }

    void cleanup() {
        // The held mouse button is global test state.
        QTest::mouseRelease(FWindow, Qt::LeftButton);
        delete FWindow;
        FWindow = nullptr;
        FBar = nullptr;
    }

    void keysMoveAndReport_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("events");
        QTest::newRow("right is a line up") << 500 << int(Qt::Key_Right) << 510 << 1;
        QTest::newRow("page up") << 500 << int(Qt::Key_PageUp) << 520 << 1;
        QTest::newRow("home") << 500 << int(Qt::Key_Home) << 0 << 1;
        QTest::newRow("end") << 500 << int(Qt::Key_End) << 1000 << 1;
        QTest::newRow("line beyond the end stops there") << 995 << int(Qt::Key_Right) << 1000 << 1;
        QTest::newRow("right at the end: no move, no event")
            << 1000 << int(Qt::Key_Right) << 1000 << 0;
        QTest::newRow("left at the start: no move, no event") << 0 << int(Qt::Key_Left) << 0 << 0;
    }
    void keysMoveAndReport() {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, expected);
        QFETCH(int, events);
        FBar->SetPosition(start);
        QVERIFY(FSeen.empty());
        QTest::keyClick(FBar, Qt::Key(key));
        QCOMPARE(FBar->Position(), expected);
        QCOMPARE(int(FSeen.size()), events);
        if (events > 0) {
            QCOMPARE(FSeen.back(), expected); // the handler already sees the new position
        }
    }

    void codeChangesClampSilently_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("expected");
        QTest::newRow("position above max") << 1200 << 0 << 1000 << 1000;
        QTest::newRow("position below min") << -5 << 0 << 1000 << 0;
        QTest::newRow("max below position") << 900 << 0 << 20 << 20;
        QTest::newRow("max 0") << 40 << 0 << 0 << 0;
        QTest::newRow("min above position") << 30 << 35 << 55 << 35;
    }
    void codeChangesClampSilently() {
        QFETCH(int, position);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, expected);
        FBar->SetPosition(position);
        FBar->SetMax(max);
        FBar->SetMin(min);
        QCOMPARE(FBar->Position(), expected);
        QCOMPARE(FBar->Min(), min);
        QCOMPARE(FBar->Max(), max);
        QVERIFY(FSeen.empty());
    }

    // The volume handlers snap the position inside the event; that must neither re-enter the
    // handler nor be undone by the slider finishing its own action.
    void handlerMaySnapItsOwnPosition() {
        FBar->SetLineSize(5);
        FBar->SetPosition(250);
        int Calls = 0;
        FBar->SetOnChange([&](QObject *) {
            ++Calls;
            FBar->SetPosition(FBar->Position() / 10 * 10 + (FBar->Position() % 10 >= 5 ? 10 : 0));
        });
        QTest::keyClick(FBar, Qt::Key_Right);
        QCOMPARE(Calls, 1);
        QCOMPARE(FBar->Position(), 260);
        QCOMPARE(FBar->sliderPosition(), 260);
        QTest::keyClick(FBar, Qt::Key_Right);
        QCOMPARE(Calls, 2);
        QCOMPARE(FBar->Position(), 270);
    }

    // The window's layout counts on a thumb 20 pixels across the slot, whatever the style.
    void thumbIsTwentyPixelsAcrossTheSlot() {
        const QRect Handle = HandleRect(*FBar);
        QCOMPARE(Handle.height(), 20);
        QVERIFY(Handle.width() < Handle.height());
        QVERIFY(Handle.top() >= 0);
        QVERIFY(Handle.bottom() < FBar->height());
    }

    // Ticks every Frequency from the minimum, and one at each end: under the thumb's centre
    // when the thumb stands at either end.
    void ticksMarkBothEnds_data() {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<int>("ticks");
        QTest::newRow("volume bar, 930 not on a tick") << 0 << 930 << 100 << 11;
        QTest::newRow("range from below 0") << -50 << 475 << 100 << 7;
        QTest::newRow("range a multiple of the frequency") << 0 << 1000 << 100 << 11;
    }
    void ticksMarkBothEnds() {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, frequency);
        FBar->SetMin(min);
        FBar->SetMax(max);
        FBar->SetFrequency(frequency);
        FBar->SetPosition(max);
        const int AtMax = HandleRect(*FBar).center().x();
        FBar->SetPosition(min);
        const int AtMin = HandleRect(*FBar).center().x();
        const QImage Picture = FBar->grab().toImage();
        QList<int> Ticks; // columns marked below the thumb
        for (int X = 0; X < Picture.width(); ++X) {
            for (int Y = HandleRect(*FBar).bottom() + 1; Y < Picture.height(); ++Y) {
                if (Picture.pixel(X, Y) != Picture.pixel(0, Y)) {
                    Ticks << X;
                    break;
                }
            }
        }
        QTEST(int(Ticks.size()), "ticks");
        QCOMPARE(Ticks.first(), AtMin);
        QCOMPARE(Ticks.last(), AtMax);
    }

    void draggingTheThumbReportsEachMove() {
        FBar->SetPosition(0);
        const QRect Handle = HandleRect(*FBar);
        QTest::mousePress(FBar, Qt::LeftButton, Qt::NoModifier, Handle.center());
        QVERIFY(FSeen.empty()); // grabbing the thumb moves nothing
        QTest::mouseMove(FBar, Handle.center() + QPoint(60, 0));
        QVERIFY(!FSeen.empty());
        const int Middle = FBar->Position();
        QVERIFY(Middle > 0);
        QCOMPARE(FSeen.back(), Middle);
        QTest::mouseMove(FBar, QPoint(FBar->width() + 40, Handle.center().y()));
        QTest::mouseRelease(FBar, Qt::LeftButton, Qt::NoModifier,
                            QPoint(FBar->width() + 40, Handle.center().y()));
        QCOMPARE(FBar->Position(), 1000);
        QCOMPARE(FSeen.back(), 1000);
    }

    void clickOnTheSlotPages() {
        FBar->SetPosition(500);
        const QRect Handle = HandleRect(*FBar);
        QTest::mouseClick(FBar, Qt::LeftButton, Qt::NoModifier,
                          QPoint(FBar->width() - 4, Handle.center().y()));
        QCOMPARE(FBar->Position(), 520);
        QCOMPARE(FSeen, std::vector<int>{520});
        QTest::mouseClick(FBar, Qt::LeftButton, Qt::NoModifier, QPoint(4, Handle.center().y()));
        QCOMPARE(FBar->Position(), 500);
        QCOMPARE(FSeen, (std::vector<int>{520, 500}));
    }

    void wheelIsAUserMove() {
        FBar->SetPosition(500);
        QWheelEvent Wheel(QPointF(50, 10), FBar->mapToGlobal(QPointF(50, 10)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(FBar, &Wheel);
        QVERIFY(FBar->Position() != 500);
        QCOMPARE(FSeen, std::vector<int>{FBar->Position()});
    }
};

QTEST_MAIN(tst_TrackBar)
#include "tst_TrackBar.moc"
