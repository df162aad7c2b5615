#include "FormDriver.h"

#include "app/TimingTable.h"
#include "controls/TimeSpaceLink.h"

#include <QAction>
#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>
#include <QUndoStack>

#include <algorithm>

using FormDriver::UserMovesTrackBar;

// The timing table: a typed value makes exactly what its gesture makes on a twin window, values
// the window cannot hold are refused with their reason, and the table follows the window.
class tst_TimingTable : public QObject {
    Q_OBJECT

    // Both directions at different speeds and volumes, traffic at both crossroads, and the
    // junctions at the distinct timings, all by the user's events so that the figures are
    // recomputed as they would be.
    static void Prepare(TTimeSpaceForm &form) {
        FormDriver::SetDistinctTimings(form);
        // A drag that ends where it started: the volume maxima follow the timings set above.
        const int x = GreenX(form.Light(1));
        FormDriver::DragStrip(form.Light(1), x, x);
        UserMovesTrackBar(form.MainRoadSpeedLimitFwd, 40);
        UserMovesTrackBar(form.MainRoadSpeedLimitBkd, 50);
        UserMovesTrackBar(form.FwMainRoadVol, 600);
        UserMovesTrackBar(form.BkMainRoadVol, 400);
        UserMovesTrackBar(form.SideVol, 10);
        UserMovesTrackBar(form.TrafficLeaving, 20);
    }

    // Opens the table by its command.
    static TTimingTable *Open(TTimeSpaceForm &form) {
        FormDriver::Command(form, QStringLiteral("Timing Table"))->trigger();
        return form.findChild<TTimingTable *>();
    }

    static QLineEdit *StartEditing(QTableWidget *cells, int row, int column) {
        cells->setCurrentCell(row, column);
        QTest::keyClick(cells, Qt::Key_F2);
        return cells->viewport()->findChild<QLineEdit *>();
    }

    // Types over a cell and presses Enter, as a user would. The view commits and closes the
    // editor from its event queue.
    static void Type(QTableWidget *cells, int row, int column, const QString &text) {
        QPointer<QLineEdit> editor = StartEditing(cells, row, column);
        QVERIFY(editor != nullptr);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(editor.isNull());
    }

    static QString Cell(QTableWidget *cells, int row, int column) {
        return cells->item(row, column)->text();
    }

    // A column of the strip inside (or outside) its yellow, in the second cycle.
    static int YellowX(const TTimeSpaceLight *light) {
        return light->GreenStart(1) + light->GreenTime() + 2;
    }
    static int GreenX(const TTimeSpaceLight *light) { return light->GreenStart(1) + 2; }

    static void CtrlDrag(TTimeSpaceLight *strip, int pixels) {
        // A move goes at most 4 px from the strip's middle row, so longer moves take several.
        QTest::mousePress(strip, Qt::LeftButton, Qt::ControlModifier, QPoint(10, 5));
        for (int left = pixels; left != 0;) {
            const int step = std::clamp(left, -4, 4);
            FormDriver::MouseMove(strip, QPoint(10, 5 + step), Qt::LeftButton, Qt::ControlModifier);
            left -= step;
        }
        QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(10, 5));
    }

    enum Gesture { Offset, Cycle, Split, Height, SplitRedClick, SplitGreenClick, Bar };

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() {
        // A failed comparison may leave the button held, which is global test state.
        if (QWidget *window = QApplication::activeWindow(); window != nullptr) {
            QTest::mouseRelease(window, Qt::LeftButton);
        }
    }

    // Window A gets the values typed, window B the gesture; both end in the same state with
    // the same figures, and the typed entry is one undo step per value.
    void typedValueActsAsItsGesture_data() {
        QTest::addColumn<int>("gesture");
        QTest::addColumn<int>("junction");
        QTest::addColumn<int>("amount"); // pixels, or the track bar's position
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("expected"); // the cells after, in the typed order

        // Offsets 5 -> 40 s (cycle 88) and 40 -> 3 s across the cycle's end (cycle 120).
        QTest::newRow("offset later") << int(Offset) << 3 << 35 << int(TTimingTable::OffsetColumn)
                                      << QStringList{"40"} << QStringList{"40"};
        QTest::newRow("offset wraps") << int(Offset) << 6 << 83 << int(TTimingTable::OffsetColumn)
                                      << QStringList{"3"} << QStringList{"3"};
        // Cycle 110 -> 130 and 97 -> 60: the offset back to 0, durations from the shares.
        QTest::newRow("cycle longer") << int(Cycle) << 5 << 20 << int(TTimingTable::CycleColumn)
                                      << QStringList{"130"} << QStringList{"130"};
        QTest::newRow("cycle shorter") << int(Cycle) << 2 << -37 << int(TTimingTable::CycleColumn)
                                       << QStringList{"60"} << QStringList{"60"};
        // JCT #4: 105 s at 26/66 % holds red 27, green 69, yellow 9 s.
        QTest::newRow("green seconds") << int(Split) << 4 << 11 << int(TTimingTable::GreenColumn)
                                       << QStringList{"80"} << QStringList{"80"};
        // JCT #6: 120 s at 36/54 % holds red 43, green 65, yellow 12 s.
        QTest::newRow("red seconds") << int(Split) << 6 << 13 << int(TTimingTable::RedColumn)
                                     << QStringList{"30"} << QStringList{"30"};
        QTest::newRow("green seconds to the least red")
            << int(Split) << 4 << 24 << int(TTimingTable::GreenColumn) << QStringList{"93"}
            << QStringList{"93"};
        // The panel's split clicks on JCT #4 (26/66 %): red 31 and green 59, or red 21 and
        // green 69; typed as the red share, the green follows as the click leaves it.
        QTest::newRow("more red share")
            << int(SplitRedClick) << 4 << 0 << int(TTimingTable::RedShareColumn)
            << QStringList{"31"} << QStringList{"31"};
        QTest::newRow("more green share")
            << int(SplitGreenClick) << 4 << 0 << int(TTimingTable::RedShareColumn)
            << QStringList{"21"} << QStringList{"21"};
        // Links laid out at 2800 ft: JCT #3 4 px lower, JCT #6 8 px higher.
        QTest::newRow("link longer") << int(Height) << 3 << 4 << int(TTimingTable::LinkColumn)
                                     << QStringList{"2960"} << QStringList{"2960"};
        QTest::newRow("link shorter") << int(Height) << 6 << -8 << int(TTimingTable::LinkColumn)
                                      << QStringList{"2480"} << QStringList{"2480"};
        // The traffic inputs, rows of the second table (junction = the row).
        QTest::newRow("southbound volume") << int(Bar) << int(TTimingTable::SouthVolumeRow) << 750
                                           << 0 << QStringList{"750"} << QStringList{"750"};
        QTest::newRow("northbound volume") << int(Bar) << int(TTimingTable::NorthVolumeRow) << 120
                                           << 0 << QStringList{"120"} << QStringList{"120"};
        QTest::newRow("southbound speed") << int(Bar) << int(TTimingTable::SouthSpeedRow) << 55 << 0
                                          << QStringList{"55"} << QStringList{"55"};
        QTest::newRow("northbound speed") << int(Bar) << int(TTimingTable::NorthSpeedRow) << 35 << 0
                                          << QStringList{"35"} << QStringList{"35"};
        QTest::newRow("entering share") << int(Bar) << int(TTimingTable::EnteringRow) << 25 << 0
                                        << QStringList{"25"} << QStringList{"25"};
        QTest::newRow("leaving share") << int(Bar) << int(TTimingTable::LeavingRow) << 65 << 0
                                       << QStringList{"65"} << QStringList{"65"};
    }
    void typedValueActsAsItsGesture() {
        QFETCH(int, gesture);
        QFETCH(int, junction);
        QFETCH(int, amount);
        QFETCH(int, column);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, expected);

        TTimeSpaceForm a;
        TTimeSpaceForm b;
        Prepare(a);
        Prepare(b);
        QVERIFY(a.CurrentState() == b.CurrentState());
        TTimingTable *table = Open(a);
        QVERIFY(table != nullptr);
        const int steps = a.UndoStack()->count();

        if (gesture == Bar) {
            TTrackBar *bars[] = {b.FwMainRoadVol,         b.BkMainRoadVol, b.MainRoadSpeedLimitFwd,
                                 b.MainRoadSpeedLimitBkd, b.SideVol,       b.TrafficLeaving};
            Type(table->Inputs(), junction, 0, typed.constFirst());
            QCOMPARE(Cell(table->Inputs(), junction, 0), expected.constFirst());
            UserMovesTrackBar(bars[junction], amount);
        } else {
            // The share columns are typed red first, then green.
            for (int i = 0; i < typed.size(); ++i) {
                const int typedColumn = column + (i == 0 ? 0 : -1);
                Type(table->Timings(), junction - 1, typedColumn, typed[i]);
                QCOMPARE(table->Message(), QString());
                QCOMPARE(Cell(table->Timings(), junction - 1, typedColumn), expected[i]);
            }
            TTimeSpaceLight *strip = b.Light(junction);
            switch (gesture) {
            case Offset:
                FormDriver::DragStrip(strip, GreenX(strip), GreenX(strip) + amount);
                break;
            case Cycle:
                FormDriver::DragStrip(strip, 200, 200 + amount, Qt::ShiftModifier);
                break;
            case Split:
                FormDriver::DragStrip(strip, YellowX(strip), YellowX(strip) + amount);
                break;
            case Height:
                CtrlDrag(strip, amount);
                QTest::mouseClick(b.Refresh, Qt::LeftButton);
                break;
            case SplitRedClick:
            case SplitGreenClick:
                FormDriver::ChooseJunction(b, junction - 1);
                FormDriver::ClickLabel(gesture == SplitRedClick ? b.SplitRed : b.SplitGreen);
                break;
            default:
                break;
            }
        }
        QCOMPARE(table->Message(), QString());
        QCOMPARE(a.UndoStack()->count(), steps + typed.size());
        QVERIFY(a.CurrentState() == b.CurrentState());
        QCOMPARE(a.DelayPerVeh->Caption(), b.DelayPerVeh->Caption());
        QCOMPARE(a.ArtStops->Caption(), b.ArtStops->Caption());
    }

    // Values at each bound are taken, one past it refused with the reason; a refused value
    // leaves the window as it was, with no undo step, and its cell shows the value again.
    void boundsAndRefusals_data() {
        QTest::addColumn<int>("row"); // JCT row, or -1 - the traffic table's row
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown"); // the cell afterwards
        QTest::addColumn<QString>("message");
        using T = TTimingTable;
        const QString ok;
        // JCT #3: cycle 88 s, offset 5 s, red 40 % (35 s), green 50 % (44 s), yellow 9 s.
        QTest::newRow("cycle 230") << 2 << int(T::CycleColumn) << "230"
                                   << "230" << ok;
        QTest::newRow("cycle 231") << 2 << int(T::CycleColumn) << "231"
                                   << "88"
                                   << "JCT #3 cycle 231 s: the strip holds 20 to 230 s.";
        QTest::newRow("cycle 20") << 2 << int(T::CycleColumn) << "20"
                                  << "20" << ok;
        QTest::newRow("cycle 19") << 2 << int(T::CycleColumn) << "19"
                                  << "88"
                                  << "JCT #3 cycle 19 s: the strip holds 20 to 230 s.";
        QTest::newRow("offset 87") << 2 << int(T::OffsetColumn) << "87"
                                   << "87" << ok;
        QTest::newRow("offset 88") << 2 << int(T::OffsetColumn) << "88"
                                   << "5"
                                   << "JCT #3 offset 88 s: the offset runs from 0 to 87 s.";
        QTest::newRow("offset -1") << 2 << int(T::OffsetColumn) << "-1"
                                   << "5"
                                   << "JCT #3 offset -1 s: the offset runs from 0 to 87 s.";
        QTest::newRow("green 76") << 2 << int(T::GreenColumn) << "76"
                                  << "76" << ok;
        QTest::newRow("green 77") << 2 << int(T::GreenColumn) << "77"
                                  << "44"
                                  << "JCT #3 green 77 s: red and green keep at least 3 s each "
                                     "beside the 9 s yellow, so 3 s to 76 s.";
        QTest::newRow("red 3") << 2 << int(T::RedColumn) << "3"
                               << "3" << ok;
        QTest::newRow("red 2") << 2 << int(T::RedColumn) << "2"
                               << "35"
                               << "JCT #3 red 2 s: red and green keep at least 3 s each beside "
                                  "the 9 s yellow, so 3 s to 76 s.";
        QTest::newRow("yellow") << 2 << int(T::YellowColumn) << "5"
                                << "9"
                                << "JCT #3 yellow 5 s: the yellow is what the green and red "
                                   "shares leave of the cycle; set the shares instead.";
        // JCT #3 at 40/50 %: a typed share leaves the other 90 % less it, as the panel's clicks
        // do, each share above 5 %.
        QTest::newRow("red share 80") << 2 << int(T::RedShareColumn) << "80"
                                      << "80" << ok;
        QTest::newRow("red share 85")
            << 2 << int(T::RedShareColumn) << "85"
            << "40"
            << "JCT #3 red share 85 %: the panel shares 90 % between red and green, each above "
               "5 %.";
        QTest::newRow("red share 51") << 2 << int(T::RedShareColumn) << "51"
                                      << "51" << ok;
        QTest::newRow("green share 80") << 2 << int(T::GreenShareColumn) << "80"
                                        << "80" << ok;
        QTest::newRow("green share 85")
            << 2 << int(T::GreenShareColumn) << "85"
            << "50"
            << "JCT #3 green share 85 %: the panel shares 90 % between red and green, each "
               "above 5 %.";
        // JCT #3 may go from 16 px below JCT #2 (440 ft) to 16 px above JCT #4 (5160 ft).
        QTest::newRow("link 440") << 2 << int(T::LinkColumn) << "440"
                                  << "440" << ok;
        QTest::newRow("link 400") << 2 << int(T::LinkColumn) << "400"
                                  << "2800"
                                  << "JCT #3 link above 400 ft: the strips keep their order and "
                                     "16 px apart, so 440 to 5160 ft in steps of 40 ft.";
        QTest::newRow("link 5160") << 2 << int(T::LinkColumn) << "5160"
                                   << "5160" << ok;
        QTest::newRow("link 5200") << 2 << int(T::LinkColumn) << "5200"
                                   << "2800"
                                   << "JCT #3 link above 5200 ft: the strips keep their order and "
                                      "16 px apart, so 440 to 5160 ft in steps of 40 ft.";
        QTest::newRow("link 2820") << 2 << int(T::LinkColumn) << "2820"
                                   << "2800"
                                   << "JCT #3 link above 2820 ft: a link is a whole number of 40 "
                                      "ft steps, so 440 to 5160 ft in steps of 40 ft.";
        QTest::newRow("link above JCT #1")
            << 0 << int(T::LinkColumn) << "1000"
            << "680"
            << "JCT #1 link above 1000 ft: JCT #1 does not move, so the link above it keeps its "
               "length.";
        QTest::newRow("letters") << 2 << int(T::CycleColumn) << "abc"
                                 << "88"
                                 << "JCT #3 cycle abc s: not a whole number.";
        QTest::newRow("decimal") << 2 << int(T::OffsetColumn) << "12.5"
                                 << "5"
                                 << "JCT #3 offset 12.5 s: not a whole number.";
        // JCT #1's capacity (61 % green, 18 % red) offers up to 1020 veh/hr southbound.
        QTest::newRow("volume 1020") << -1 - int(T::SouthVolumeRow) << 0 << "1020"
                                     << "1020" << ok;
        QTest::newRow("volume 1030") << -1 - int(T::SouthVolumeRow) << 0 << "1030"
                                     << "600"
                                     << "Southbound volume 1030 veh/hr: the volume is a multiple "
                                        "of 10 from 0 to 1020 veh/hr.";
        QTest::newRow("volume 605") << -1 - int(T::SouthVolumeRow) << 0 << "605"
                                    << "600"
                                    << "Southbound volume 605 veh/hr: the volume is a multiple "
                                       "of 10 from 0 to 1020 veh/hr.";
        QTest::newRow("speed 56") << -1 - int(T::NorthSpeedRow) << 0 << "56"
                                  << "50"
                                  << "Northbound speed 56 mph: the track bar runs from 35 to 55 "
                                     "mph.";
        QTest::newRow("speed 34") << -1 - int(T::SouthSpeedRow) << 0 << "34"
                                  << "40"
                                  << "Southbound speed 34 mph: the track bar runs from 35 to 55 "
                                     "mph.";
        QTest::newRow("leaving 100") << -1 - int(T::LeavingRow) << 0 << "100"
                                     << "100" << ok;
        QTest::newRow("leaving 101") << -1 - int(T::LeavingRow) << 0 << "101"
                                     << "20"
                                     << "Leaving onto crossroad #5 101 %: the track bar runs "
                                        "from 0 to 100 %.";
    }
    void boundsAndRefusals() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        TTimeSpaceForm form;
        Prepare(form);
        TTimingTable *table = Open(form);
        const TEditState before = form.CurrentState();
        const int steps = form.UndoStack()->count();
        QTableWidget *cells = row >= 0 ? table->Timings() : table->Inputs();
        const int cellRow = row >= 0 ? row : -1 - row;
        Type(cells, cellRow, column, typed);
        QCOMPARE(table->Message(), message);
        QCOMPARE(Cell(cells, cellRow, column), shown);
        if (message.isEmpty()) {
            QCOMPARE(form.UndoStack()->count(), steps + 1);
        } else {
            QCOMPARE(form.UndoStack()->count(), steps);
            QVERIFY(form.CurrentState() == before);
        }
    }

    // Undo gives back the state before the entry and redo the one after, and the table
    // shows each.
    void undoAndRedoRoundTrip_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("old");
        QTest::newRow("cycle by the panel") << int(TTimingTable::CycleColumn) << "230"
                                            << "105";
        QTest::newRow("green seconds") << int(TTimingTable::GreenColumn) << "50"
                                       << "69";
        QTest::newRow("red share") << int(TTimingTable::RedShareColumn) << "10"
                                   << "26";
        QTest::newRow("link") << int(TTimingTable::LinkColumn) << "3200"
                              << "2800";
    }
    void undoAndRedoRoundTrip() {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, old);
        TTimeSpaceForm form;
        Prepare(form);
        TTimingTable *table = Open(form);
        const TEditState before = form.CurrentState();
        Type(table->Timings(), 3, column, typed);
        QCOMPARE(Cell(table->Timings(), 3, column), typed);
        const TEditState after = form.CurrentState();
        QVERIFY(!(after == before));
        form.UndoStack()->undo();
        QVERIFY(form.CurrentState() == before);
        QCOMPARE(Cell(table->Timings(), 3, column), old);
        form.UndoStack()->redo();
        QVERIFY(form.CurrentState() == after);
        QCOMPARE(Cell(table->Timings(), 3, column), typed);
    }

    // Every move of a drag shows in the table at once, the link's travel with the speeds.
    void tableFollowsTheWindow() {
        TTimeSpaceForm form;
        Prepare(form);
        TTimingTable *table = Open(form);
        QTableWidget *cells = table->Timings();
        TTimeSpaceLight *jct3 = form.Light(3);
        const int x = GreenX(jct3);
        QTest::mousePress(jct3, Qt::LeftButton, {}, QPoint(x, 5));
        FormDriver::MouseMove(jct3, QPoint(x + 10, 5));
        QCOMPARE(Cell(cells, 2, TTimingTable::OffsetColumn), QString("15"));
        FormDriver::MouseMove(jct3, QPoint(x + 12, 5));
        QCOMPARE(Cell(cells, 2, TTimingTable::OffsetColumn), QString("17"));
        QTest::mouseRelease(jct3, Qt::LeftButton, {}, QPoint(x + 12, 5));
        // 2800 ft at 40 mph (58.67 ft/s) is 47.7 s, at 50 mph (73.33 ft/s) 38.2 s.
        QCOMPARE(Cell(cells, 2, TTimingTable::TravelSouthColumn), QString("48"));
        QCOMPARE(Cell(cells, 2, TTimingTable::TravelNorthColumn), QString("38"));
        UserMovesTrackBar(form.MainRoadSpeedLimitFwd, 55);
        // 2800 ft at 80.67 ft/s is 34.7 s.
        QCOMPARE(Cell(cells, 2, TTimingTable::TravelSouthColumn), QString("35"));
        QCOMPARE(Cell(table->Inputs(), TTimingTable::SouthSpeedRow, 0), QString("55"));
        QVERIFY(!(cells->item(2, TTimingTable::TravelSouthColumn)->flags() & Qt::ItemIsEditable));
    }

    // Tab and the arrows walk the cells; Escape gives the cell back without an edit.
    void keysWalkAndEscapeReverts() {
        TTimeSpaceForm form;
        Prepare(form);
        TTimingTable *table = Open(form);
        QTableWidget *cells = table->Timings();
        cells->setCurrentCell(0, 0);
        QTest::keyClick(cells, Qt::Key_Tab);
        QCOMPARE(cells->currentColumn(), 1);
        QTest::keyClick(cells, Qt::Key_Down);
        QCOMPARE(cells->currentRow(), 1);
        QTest::keyClick(cells, Qt::Key_Right);
        QCOMPARE(cells->currentColumn(), 2);

        const TEditState before = form.CurrentState();
        const int steps = form.UndoStack()->count();
        QPointer<QLineEdit> editor = StartEditing(cells, 1, TTimingTable::OffsetColumn);
        QVERIFY(editor != nullptr);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, "50");
        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_VERIFY(editor.isNull());
        QCOMPARE(Cell(cells, 1, TTimingTable::OffsetColumn), QString("13"));
        QVERIFY(form.CurrentState() == before);
        QCOMPARE(form.UndoStack()->count(), steps);

        // The command makes the table once and keeps it.
        QCOMPARE(Open(form), table);
        QCOMPARE(form.findChildren<TTimingTable *>().size(), 1);
        QCOMPARE(table->windowTitle(), QString("Timing Table"));
    }
};

QTEST_MAIN(tst_TimingTable)
#include "tst_TimingTable.moc"
