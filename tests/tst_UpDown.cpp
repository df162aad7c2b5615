#include "platform/UpDown.h"

#include <QTest>

#include <vector>

Q_DECLARE_METATYPE(Qt::Orientation)

namespace {
struct Click {
    TUDBtnType Button;
    int Position; // the position the handler saw
};

// Points on the two arrows of a control of the panel's sizes.
QPoint NextArrow(const TUpDown &Control) {
    return Control.Orientation() == Qt::Vertical
               ? QPoint(Control.width() / 2, 2)
               : QPoint(Control.width() - 3, Control.height() / 2);
}
QPoint PrevArrow(const TUpDown &Control) {
    return Control.Orientation() == Qt::Vertical ? QPoint(Control.width() / 2, Control.height() - 3)
                                                 : QPoint(2, Control.height() / 2);
}
} // namespace

class tst_UpDown : public QObject {
    Q_OBJECT

    QWidget *FWindow = nullptr;
    TUpDown *FControl = nullptr;
    std::vector<Click> FClicks;

    void Build(Qt::Orientation Orientation) {
        FControl->SetOrientation(Orientation);
        if (Orientation == Qt::Vertical) {
            FControl->setGeometry(120, 45, 16, 20);
        } else {
            FControl->setGeometry(116, 71, 20, 14);
        }
    }

  private slots:
    void init() {
        FWindow = new QWidget;
        FWindow->resize(160, 120);
        FControl = new TUpDown(FWindow);
        FClicks.clear();
        FControl->SetOnClick([this](QObject *Sender, TUDBtnType Button) {
            QCOMPARE(Sender, FControl);
            FClicks.push_back({Button, FControl->Position()});
        });
        Build(Qt::Vertical);
        FWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(FWindow));
    }

    void cleanup() {
        QTest::mouseRelease(FWindow, Qt::LeftButton);
        delete FWindow;
        FWindow = nullptr;
        FControl = nullptr;
    }

    void clickSteps_data() {
        QTest::addColumn<Qt::Orientation>("orientation");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("increment");
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("next");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("raised");

        QTest::newRow("vertical upper arrow raises")
            << Qt::Vertical << 50 << 230 << 5 << 115 << true << 120 << true;
        QTest::newRow("vertical lower arrow lowers")
            << Qt::Vertical << 50 << 230 << 5 << 115 << false << 110 << true;
        QTest::newRow("upper arrow at max: nothing")
            << Qt::Vertical << 50 << 230 << 5 << 230 << true << 230 << false;
        QTest::newRow("part step up to max")
            << Qt::Vertical << 50 << 230 << 5 << 228 << true << 230 << true;
        QTest::newRow("offset may reach the cycle time")
            << Qt::Vertical << 0 << 115 << 1 << 114 << true << 115 << true;
        QTest::newRow("horizontal right arrow is next")
            << Qt::Horizontal << -100 << 100 << 1 << 0 << true << 1 << true;
        QTest::newRow("horizontal left arrow is previous")
            << Qt::Horizontal << -100 << 100 << 1 << 0 << false << -1 << true;
        QTest::newRow("right arrow at 100: nothing")
            << Qt::Horizontal << -100 << 100 << 1 << 100 << true << 100 << false;
        QTest::newRow("16-bit top")
            << Qt::Vertical << 0 << 32767 << 10 << 32765 << true << 32767 << true;
        QTest::newRow("range upside down: next steps toward max")
            << Qt::Vertical << 100 << 0 << 1 << 50 << true << 49 << true;
    }
    void clickSteps() {
        QFETCH(Qt::Orientation, orientation);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, increment);
        QFETCH(int, start);
        QFETCH(bool, next);
        QFETCH(int, expected);
        QFETCH(bool, raised);
        Build(orientation);
        FControl->SetMin(min);
        FControl->SetMax(max);
        FControl->SetIncrement(increment);
        FControl->SetPosition(start);
        QVERIFY(FClicks.empty());

        QTest::mouseClick(FControl, Qt::LeftButton, Qt::NoModifier,
                          next ? NextArrow(*FControl) : PrevArrow(*FControl));
        QCOMPARE(FControl->Position(), expected);
        QCOMPARE(FClicks.size(), std::size_t(raised ? 1 : 0));
        if (raised) {
            QCOMPARE(FClicks[0].Button, next ? btNext : btPrev);
            QCOMPARE(FClicks[0].Position, expected);
        }
    }

    // The split control of the junction panel: a hundred steps to the right, then silence
    // until its position is reset from code.
    void splitArrowStopsAfterAHundredClicks() {
        Build(Qt::Horizontal);
        FControl->SetMin(-100);
        FControl->SetMax(100);
        FControl->SetPosition(0);
        for (int Step = 0; Step < 100; ++Step) {
            QTest::mouseClick(FControl, Qt::LeftButton, Qt::NoModifier, NextArrow(*FControl));
        }
        QCOMPARE(FClicks.size(), std::size_t(100));
        QCOMPARE(FControl->Position(), 100);
        QTest::mouseClick(FControl, Qt::LeftButton, Qt::NoModifier, NextArrow(*FControl));
        QCOMPARE(FClicks.size(), std::size_t(100));
        QTest::mouseClick(FControl, Qt::LeftButton, Qt::NoModifier, PrevArrow(*FControl));
        QCOMPARE(FClicks.size(), std::size_t(101));
        QCOMPARE(FClicks.back().Button, btPrev);

        FControl->SetPosition(0);
        QTest::mouseClick(FControl, Qt::LeftButton, Qt::NoModifier, NextArrow(*FControl));
        QCOMPARE(FClicks.size(), std::size_t(102));
        QCOMPARE(FControl->Position(), 1);
    }

    void codeChangesClampSilently_data() {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("expectedMin");
        QTest::addColumn<int>("expectedMax");
        QTest::addColumn<int>("expected");
        QTest::newRow("inside") << 50 << 230 << 115 << 50 << 230 << 115;
        QTest::newRow("above max") << 0 << 100 << 115 << 0 << 100 << 100;
        QTest::newRow("below min") << 50 << 230 << 0 << 50 << 230 << 50;
        QTest::newRow("16-bit max") << 0 << 40000 << 40000 << 0 << 32767 << 32767;
        QTest::newRow("16-bit min") << -40000 << 0 << -40000 << -32768 << 0 << -32768;
    }
    void codeChangesClampSilently() {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, position);
        QFETCH(int, expectedMin);
        QFETCH(int, expectedMax);
        QFETCH(int, expected);
        FControl->SetMin(min);
        FControl->SetMax(max);
        FControl->SetPosition(position);
        QCOMPARE(FControl->Min(), expectedMin);
        QCOMPARE(FControl->Max(), expectedMax);
        QCOMPARE(FControl->Position(), expected);
        QVERIFY(FClicks.empty());
    }

    // The offset control's maximum follows the cycle time from code: a lower maximum pulls the
    // position in, quietly, before the handler reads it.
    void loweringMaxPullsThePositionIn() {
        FControl->SetMin(0);
        FControl->SetMax(115);
        FControl->SetPosition(110);
        FControl->SetOnClick([this](QObject *, TUDBtnType) {
            FControl->SetMax(50);
            FClicks.push_back({btNext, FControl->Position()});
        });
        QTest::mouseClick(FControl, Qt::LeftButton, Qt::NoModifier, NextArrow(*FControl));
        QCOMPARE(FClicks.size(), std::size_t(1));
        QCOMPARE(FClicks[0].Position, 50);
        QTest::mouseClick(FControl, Qt::LeftButton, Qt::NoModifier, NextArrow(*FControl));
        QCOMPARE(FClicks.size(), std::size_t(1));
    }

    void onlyAnEnabledLeftClickSteps() {
        FControl->SetPosition(10);
        QTest::mouseClick(FControl, Qt::RightButton, Qt::NoModifier, NextArrow(*FControl));
        QTest::mouseClick(FControl, Qt::MiddleButton, Qt::NoModifier, NextArrow(*FControl));
        FControl->setEnabled(false);
        QTest::mouseClick(FControl, Qt::LeftButton, Qt::NoModifier, NextArrow(*FControl));
        QCOMPARE(FControl->Position(), 10);
        QVERIFY(FClicks.empty());
        FControl->setEnabled(true);
        QTest::mouseClick(FControl, Qt::LeftButton, Qt::NoModifier, NextArrow(*FControl));
        QCOMPARE(FControl->Position(), 11);
    }

    void holdingAnArrowRepeatsUntilReleased() {
        FControl->SetMin(0);
        FControl->SetMax(1000);
        FControl->SetPosition(0);
        QTest::mousePress(FControl, Qt::LeftButton, Qt::NoModifier, NextArrow(*FControl));
        QCOMPARE(FClicks.size(), std::size_t(1)); // the press itself steps at once
        QTRY_VERIFY_WITH_TIMEOUT(FClicks.size() >= 4, 5000);
        QTest::mouseRelease(FControl, Qt::LeftButton, Qt::NoModifier, NextArrow(*FControl));
        const std::size_t AtRelease = FClicks.size();
        QCOMPARE(FControl->Position(), int(AtRelease));
        // Nothing can be waited on to show that no step comes; allow several repeat periods.
        QTest::qWait(400);
        QCOMPARE(FClicks.size(), AtRelease);
    }
};

QTEST_MAIN(tst_UpDown)
#include "tst_UpDown.moc"
