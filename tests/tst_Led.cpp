#include "controls/Led.h"

#include <QTest>

Q_DECLARE_METATYPE(TLedValue)
Q_DECLARE_METATYPE(TLedRequest)

namespace {
const QColor LampRed(0xFF, 0x00, 0x00);
const QColor LampGreen(0x00, 0xFF, 0x00);
const QColor LampBlue(0x00, 0x00, 0xFF);

// The colour in the middle of the lamp as the user sees it now.
QColor Lamp(TLed &Led) {
    const QImage Shot = Led.grab().toImage();
    return Shot.pixelColor(Shot.width() / 2, Shot.height() / 2);
}

QPoint Middle(const TLed &Led) {
    return {Led.width() / 2, Led.height() / 2};
}
} // namespace

class tst_Led : public QObject {
    Q_OBJECT

    QWidget *FWindow = nullptr;

    TLed *AddLed(int Left) {
        auto *Led = new TLed(FWindow);
        Led->setGeometry(Left, 15, 20, 20);
        Led->show();
        return Led;
    }

  private slots:
    // Must run first: the lamps of a whole program share one counter of group indices.
    void firstLampsGetGroupsOneAndTwo() {
        TLed First;
        TLed Second;
        QCOMPARE(First.GroupIndex(), 1);
        QCOMPARE(Second.GroupIndex(), 2);
        TLed Third;
        QCOMPARE(Third.GroupIndex(), 3);
    }

    void init() {
        FWindow = new QWidget;
        FWindow->resize(100, 60);
        FWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(FWindow));
    }

    void cleanup() {
        QTest::mouseRelease(FWindow, Qt::LeftButton);
        delete FWindow;
        FWindow = nullptr;
    }

    void newLampIsOffAndRed() {
        TLed Led;
        QCOMPARE(Led.size(), QSize(25, 25));
        QCOMPARE(Led.Value(), TurnOff);
        QCOMPARE(Led.Request(), NoRequest);
        QVERIFY(!Led.Down());
        QVERIFY(Led.AllowAllUp());
        QVERIFY(!Led.CallBackEnabled());
        QCOMPARE(Led.NumGlyphs(), 4);
        QCOMPARE(Led.Glyph().size(), QSize(76, 19));
        QCOMPARE(Lamp(Led), LampRed);
    }

    void clicks_data() {
        QTest::addColumn<bool>("callBack");
        QTest::addColumn<TLedValue>("start");
        QTest::addColumn<int>("button");
        QTest::addColumn<TLedValue>("expected");
        QTest::addColumn<TLedRequest>("request");
        QTest::addColumn<int>("clickEvents");

        QTest::newRow("left click turns an off lamp on")
            << false << TurnOff << int(Qt::LeftButton) << TurnOn << NoRequest << 1;
        QTest::newRow("left click turns an on lamp off")
            << false << TurnOn << int(Qt::LeftButton) << TurnOff << NoRequest << 1;
        QTest::newRow("right click changes nothing")
            << false << TurnOff << int(Qt::RightButton) << TurnOff << NoRequest << 0;
        QTest::newRow("call-back on an on lamp asks to close")
            << true << TurnOn << int(Qt::LeftButton) << TurnOn << CloseRequest << 0;
        QTest::newRow("call-back on an off lamp asks to open")
            << true << TurnOff << int(Qt::LeftButton) << TurnOff << OpenRequest << 0;
        QTest::newRow("call-back ignores the right button")
            << true << TurnOn << int(Qt::RightButton) << TurnOn << NoRequest << 0;
    }
    void clicks() {
        QFETCH(bool, callBack);
        QFETCH(TLedValue, start);
        QFETCH(int, button);
        QFETCH(TLedValue, expected);
        QFETCH(TLedRequest, request);
        QFETCH(int, clickEvents);

        TLed *Led = AddLed(10);
        Led->SetValue(start);
        Led->SetCallBackEnabled(callBack);
        int Clicks = 0;
        TLedValue SeenInClick = start;
        Led->SetOnClick([&](QObject *Sender) {
            QCOMPARE(Sender, Led);
            ++Clicks;
            SeenInClick = Led->Value();
        });

        QTest::mouseClick(Led, Qt::MouseButton(button), Qt::NoModifier, Middle(*Led));
        QCOMPARE(Led->Value(), expected);
        QCOMPARE(Led->Down(), expected == TurnOn);
        QCOMPARE(Led->Request(), request);
        QCOMPARE(Clicks, clickEvents);
        if (clickEvents > 0) {
            QCOMPARE(SeenInClick, expected); // the click event already reads the new value
        }
        // Whatever the click did, the lamp is not left showing the held (blue) picture.
        QCOMPARE(Lamp(*Led), expected == TurnOn ? LampGreen : LampRed);
    }

    void lampIsBlueWhileHeld() {
        TLed *Led = AddLed(10);
        QTest::mousePress(Led, Qt::LeftButton, Qt::NoModifier, Middle(*Led));
        QCOMPARE(Lamp(*Led), LampBlue);
        QCOMPARE(Led->Value(), TurnOff);
        QTest::mouseRelease(Led, Qt::LeftButton, Qt::NoModifier, Middle(*Led));
        QCOMPARE(Lamp(*Led), LampGreen);
        QCOMPARE(Led->Value(), TurnOn);
    }

    void releasingOutsideTakesTheClickBack() {
        TLed *Led = AddLed(10);
        int Clicks = 0;
        Led->SetOnClick([&](QObject *) { ++Clicks; });
        QTest::mousePress(Led, Qt::LeftButton, Qt::NoModifier, Middle(*Led));
        QTest::mouseMove(Led, QPoint(40, 10));
        QCOMPARE(Lamp(*Led), LampRed); // off the lamp it shows its state again
        QTest::mouseRelease(Led, Qt::LeftButton, Qt::NoModifier, QPoint(40, 10));
        QCOMPARE(Led->Value(), TurnOff);
        QVERIFY(!Led->Down());
        QCOMPARE(Clicks, 0);

        Led->SetCallBackEnabled(true);
        QTest::mousePress(Led, Qt::LeftButton, Qt::NoModifier, Middle(*Led));
        QTest::mouseMove(Led, QPoint(40, 10));
        QTest::mouseRelease(Led, Qt::LeftButton, Qt::NoModifier, QPoint(40, 10));
        QCOMPARE(Led->Request(), NoRequest);
    }

    void valueSetter() {
        TLed *Led = AddLed(10);
        Led->SetValue(TurnOff); // the present value: nothing happens
        QVERIFY(!Led->Down());
        Led->SetValue(TurnOn);
        QVERIFY(Led->Down());
        QCOMPARE(Lamp(*Led), LampGreen);
        Led->SetValue(TurnOn);
        QVERIFY(Led->Down());
        Led->SetValue(TurnOff);
        QVERIFY(!Led->Down());
        QCOMPARE(Lamp(*Led), LampRed);
    }

    void disabledLampIgnoresClicks() {
        TLed *Led = AddLed(10);
        Led->setEnabled(false);
        QCOMPARE(Lamp(*Led), LampGreen); // the second image of the strip
        QTest::mouseClick(Led, Qt::LeftButton, Qt::NoModifier, Middle(*Led));
        QCOMPARE(Led->Value(), TurnOff);
        QVERIFY(!Led->Down());
    }

    // The window puts both cycle-failure lamps into group 1.
    void lampsOfOneGroupReleaseEachOther() {
        TLed *South = AddLed(10);
        TLed *North = AddLed(40);
        South->SetGroupIndex(1);
        North->SetGroupIndex(1);
        QTest::mouseClick(South, Qt::LeftButton, Qt::NoModifier, Middle(*South));
        QCOMPARE(South->Value(), TurnOn);
        QTest::mouseClick(North, Qt::LeftButton, Qt::NoModifier, Middle(*North));
        QCOMPARE(North->Value(), TurnOn);
        QVERIFY(!South->Down());
        // The released lamp reads off, as it shows.
        QCOMPARE(South->Value(), TurnOff);
        QCOMPARE(Lamp(*South), LampRed);
        South->SetValue(TurnOn);
        QCOMPARE(North->Value(), TurnOff);
        QVERIFY(!North->Down());
        // All up is allowed: the down lamp clicks up again.
        QTest::mouseClick(South, Qt::LeftButton, Qt::NoModifier, Middle(*South));
        QVERIFY(!South->Down());
        QVERIFY(!North->Down());
    }

    void lampsOfOtherGroupsOrParentsStayAlone() {
        TLed *First = AddLed(10);
        TLed *Second = AddLed(40);
        QWidget Elsewhere;
        auto *Stranger = new TLed(&Elsewhere);
        Stranger->SetGroupIndex(First->GroupIndex());
        Stranger->SetValue(TurnOn);
        First->SetValue(TurnOn);
        Second->SetValue(TurnOn);
        QCOMPARE(Stranger->Value(), TurnOn);
        QCOMPARE(First->Value(), TurnOn);
        QCOMPARE(Second->Value(), TurnOn);
    }
};

QTEST_MAIN(tst_Led)
#include "tst_Led.moc"
