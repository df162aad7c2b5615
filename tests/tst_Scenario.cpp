#include "FormDriver.h"
#include "app/FileCommands.h"

#include "document/ScenarioFile.h"
#include "platform/Image.h"
#include "platform/Prompts.h"
#include "platform/UpDown.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>

#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

// Scenario files, undo and redo, and the diagram panel's keys, on real windows driven by
// the user's events.

namespace {

// What a user sees and what the figures are.
struct Shown {
    TEditState State;
    QStringList Captions;
    QImage Canvas;

    friend bool operator==(const Shown &, const Shown &) = default;
};

Shown Look(TTimeSpaceForm &form) {
    Shown shown{form.CurrentState(), {}, form.TimeSpaceImage->Canvas().copy()};
    for (const TLabel *label : form.findChildren<TLabel *>()) {
        shown.Captions << label->objectName() + '=' + label->Caption();
    }
    for (int k = 1; k <= JunctionCount; ++k) {
        shown.Captions << form.Light(k)->accessibleDescription();
    }
    return shown;
}

// The first difference, for the failure message.
QString Difference(const Shown &a, const Shown &b) {
    if (!(a.State.Settings == b.State.Settings)) {
        return QString::fromUtf8(ScenarioFile::ToJson(a.State.Settings)) + " differs from " +
               QString::fromUtf8(ScenarioFile::ToJson(b.State.Settings));
    }
    for (qsizetype i = 0; i < std::min(a.Captions.size(), b.Captions.size()); ++i) {
        if (a.Captions[i] != b.Captions[i]) {
            return a.Captions[i] + " differs from " + b.Captions[i];
        }
    }
    if (a.Canvas != b.Canvas) {
        return QStringLiteral("canvas");
    }
    return QStringLiteral("layout state: pending %1/%2, composed %3/%4, selected %5/%6, "
                          "recomputed %7/%8")
        .arg(a.State.LayoutPending)
        .arg(b.State.LayoutPending)
        .arg(a.State.ComposedWhilePending)
        .arg(b.State.ComposedWhilePending)
        .arg(a.State.Selected)
        .arg(b.State.Selected)
        .arg(a.State.Recomputed)
        .arg(b.State.Recomputed);
}

#define COMPARE_SHOWN(actual, expected)                                                            \
    do {                                                                                           \
        const Shown a_ = (actual), e_ = (expected);                                                \
        QVERIFY2(a_ == e_, qPrintable(Difference(a_, e_)));                                        \
    } while (false)

void PressOnStrip(TTimeSpaceLight *strip, Qt::MouseButton button, Qt::KeyboardModifiers keys,
                  int x) {
    QTest::mousePress(strip, button, keys, QPoint(x, 5));
}

// A ctrl-drag of a strip by the given rows (4 at most per move, as the pointer reports them).
void MoveStrip(TTimeSpaceLight *strip, int rows) {
    PressOnStrip(strip, Qt::LeftButton, Qt::ControlModifier, 100);
    while (rows != 0) {
        const int step = std::clamp(rows, -4, 4);
        FormDriver::MouseMove(strip, QPoint(100, 5 + step), Qt::LeftButton, Qt::ControlModifier);
        rows -= step;
    }
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(100, 5));
}

// A column of the strip's first whole yellow, where a press starts a split drag.
int YellowColumn(const TTimeSpaceLight *strip) {
    for (int u = 0; u < 6; ++u) {
        const int start = strip->GreenStart(u) + strip->GreenTime();
        if (start > 0 && strip->YellowTime() >= 2) {
            return start + 1;
        }
    }
    return -1;
}

// One random edit of the kinds a user makes.
void RandomEdit(TTimeSpaceForm &form, QRandomGenerator &random) {
    TTimeSpaceLight *strip = form.Light(1 + random.bounded(JunctionCount));
    const int x = 20 + random.bounded(400);
    switch (random.bounded(9)) {
    case 0:
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol,
                                      10 * random.bounded(form.FwMainRoadVol->Max() / 10 + 1));
        break;
    case 1:
        FormDriver::UserMovesTrackBar(form.BkMainRoadVol,
                                      10 * random.bounded(form.BkMainRoadVol->Max() / 10 + 1));
        break;
    case 2:
        FormDriver::UserMovesTrackBar(form.MainRoadSpeedLimitFwd, 35 + random.bounded(21));
        FormDriver::UserMovesTrackBar(form.MainRoadSpeedLimitBkd, 35 + random.bounded(21));
        break;
    case 3:
        FormDriver::UserMovesTrackBar(form.SideVol, random.bounded(form.SideVol->Max() + 1));
        FormDriver::UserMovesTrackBar(form.TrafficLeaving, random.bounded(101));
        break;
    case 4: // an offset or, pressed on the yellow, a split drag
        FormDriver::DragStrip(strip, x, std::clamp(x + random.bounded(-30, 31), 1, 459));
        break;
    case 5: {
        const int yellow = YellowColumn(strip);
        if (yellow > 0) {
            FormDriver::DragStrip(strip, yellow,
                                  std::clamp(yellow + random.bounded(-9, 10), 1, 459));
        }
        break;
    }
    case 6:
        FormDriver::DragStrip(strip, x, std::clamp(x + random.bounded(-8, 9), 1, 459),
                              Qt::ShiftModifier);
        break;
    case 7:
        MoveStrip(strip, random.bounded(-40, 41));
        break;
    default:
        FormDriver::ChooseJunction(form, random.bounded(JunctionCount));
        FormDriver::ClickLabel(random.bounded(2) == 0 ? form.SplitRed : form.SplitGreen);
        break;
    }
}

} // namespace

class tst_Scenario : public QObject {
    Q_OBJECT

    QTemporaryDir FFolder;
    QStringList FMessages;

    QString Path(const QString &name) const { return FFolder.filePath(name); }

  private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        QVERIFY(FFolder.isValid());
        Prompts::SetMessageAnswerer([this](Prompts::MessageKind, const QString &,
                                           const QString &text) { FMessages << text; });
        Prompts::SetUnsavedAnswerer(
            [](const QString &) { return Prompts::UnsavedAnswer::Discard; });
    }

    void init() { FMessages.clear(); }

    // A saved state opens in a fresh window with the same figures, captions and pixels.
    void savedStatesOpenAsSaved_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<bool>("distinct");
        for (quint32 seed = 1; seed <= 16; ++seed) {
            QTest::addRow("seed %u", seed) << seed << (seed % 2 == 0);
        }
    }
    void savedStatesOpenAsSaved() {
        QFETCH(quint32, seed);
        QFETCH(bool, distinct);
        QRandomGenerator random(seed);
        TTimeSpaceForm form;
        if (distinct) {
            FormDriver::SetDistinctTimings(form);
            FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 600);
        }
        for (int i = 0; i < 40; ++i) {
            RandomEdit(form, random);
        }
        // A file keeps the strips' places and opens laid out for them.
        if (form.Refresh->isEnabled()) {
            QTest::mouseClick(form.Refresh, Qt::LeftButton);
        }
        const QString file = Path(QStringLiteral("state%1.json").arg(seed));
        QVERIFY(form.Files()->SaveFile(file));
        QCOMPARE(form.windowTitle(),
                 QStringLiteral("state%1.json[*] - TimeSpace Diagram").arg(seed));
        QVERIFY(!form.isWindowModified());

        TTimeSpaceForm opened;
        QVERIFY2(opened.Files()->OpenFile(file), qPrintable(FMessages.join('\n')));
        opened.JCT->setCurrentIndex(form.JCT->currentIndex());
        opened.JCTChange(opened.JCT);
        COMPARE_SHOWN(Look(opened), Look(form));
        QCOMPARE(opened.SideVol->Max(), form.SideVol->Max());
        QCOMPARE(opened.FwMainRoadVol->Max(), form.FwMainRoadVol->Max());
    }

    // A bad file is refused with its name and first problem, and the window keeps its state.
    void badFilesAreRefused_data() {
        QTest::addColumn<QByteArray>("from"); // replaced in a good file ...
        QTest::addColumn<QByteArray>("to");   // ... by this
        QTest::addColumn<QString>("problem");
        QTest::newRow("not JSON") << QByteArray() << QByteArray("timing: 115") << "line 1";
        QTest::newRow("truncated") << QByteArray("SEVERED") << QByteArray() << "line ";
        QTest::newRow("other format")
            << QByteArray("TimeSpace scenario") << QByteArray("Spreadsheet") << "\"format\"";
        QTest::newRow("newer version")
            << QByteArray("\"version\": 1") << QByteArray("\"version\": 2") << "version 2 is newer";
        QTest::newRow("missing key") << QByteArray("\"leavingPercent\"")
                                     << QByteArray("\"leaving\"") << "crossroad5.leaving";
        QTest::newRow("mistyped") << QByteArray("\"speed\": 45") << QByteArray("\"speed\": \"45\"")
                                  << "\"northbound.speed\" must be a whole number";
        QTest::newRow("fraction") << QByteArray("\"speed\": 45") << QByteArray("\"speed\": 45.5")
                                  << "must be a whole number";
        QTest::newRow("volume above JCT #1's capacity")
            << QByteArray("\"volume\": 500") << QByteArray("\"volume\": 1990")
            << "\"southbound.volume\": 1990 is outside 0 to";
        QTest::newRow("volume between steps")
            << QByteArray("\"volume\": 500") << QByteArray("\"volume\": 505") << "multiple of 10";
        QTest::newRow("cycle the strip would clamp")
            << QByteArray("\"cycleTime\": 96") << QByteArray("\"cycleTime\": 300")
            << "\"junctions[1].cycleTime\": 300 is outside 20 to 230";
        QTest::newRow("cycle no edit reaches")
            << QByteArray("\"cycleTime\": 96") << QByteArray("\"cycleTime\": 19")
            << "\"junctions[1].cycleTime\": 19 is outside 20 to 230";
        QTest::newRow("northbound volume between steps")
            << QByteArray("\"volume\": 300") << QByteArray("\"volume\": 305")
            << "\"northbound.volume\": 305 is not a multiple of 10";
        QTest::newRow("number too large for its field")
            << QByteArray("\"speed\": 45") << QByteArray("\"speed\": 45000000000")
            << "\"northbound.speed\" is out of range";
        QTest::newRow("key given twice")
            << QByteArray("\"speed\": 45,") << QByteArray("\"speed\": 45, \"speed\": 50,")
            << "\"northbound.speed\" is given twice";
        QTest::newRow("key given twice, once escaped")
            << QByteArray("\"speed\": 45,") << QByteArray("\"speed\": 45, \"spe\\u0065d\": 50,")
            << "\"northbound.speed\" is given twice";
        QTest::newRow("junction key given twice")
            << QByteArray("\"top\": 312") << QByteArray("\"top\": 312, \"top\": 312")
            << "\"junctions[5].top\" is given twice";
        QTest::newRow("null") << QByteArray() << QByteArray("null") << "the document is null";
        QTest::newRow("offset beyond the cycle")
            << QByteArray("\"offset\": 40") << QByteArray("\"offset\": 121")
            << "\"junctions[6].offset\": 121 is outside 0 to 120";
        QTest::newRow("seconds that are no split")
            << QByteArray("\"redSeconds\": 17") << QByteArray("\"redSeconds\": 19")
            << "junctions[1].redSeconds";
        QTest::newRow("entering share above its maximum")
            << QByteArray("\"enteringPercent\": 20") << QByteArray("\"enteringPercent\": 990")
            << "crossroad2.enteringPercent";
        QTest::newRow("strip above its neighbour")
            << QByteArray("\"top\": 162") << QByteArray("\"top\": 50") << "junctions[3].top";
        QTest::newRow("strip over JCT #1") << QByteArray("\"top\": 87") << QByteArray("\"top\": 15")
                                           << "\"junctions[2].top\": 15 is outside 28 to 387";
        QTest::newRow("strip closer than a drag leaves")
            << QByteArray("\"top\": 162") << QByteArray("\"top\": 102")
            << "\"junctions[3].top\": 102 is outside 103 to 387";
        QTest::newRow("strip below the panel")
            << QByteArray("\"top\": 387") << QByteArray("\"top\": 388")
            << "\"junctions[6].top\": 388 is outside 328 to 387";
        QTest::newRow("unknown key")
            << QByteArray("\"speed\": 45,") << QByteArray("\"speed\": 45, \"sped\": 45,") << "sped";
        QTest::newRow("huge") << QByteArray("{")
                              << QByteArray("{\"pad\": \"" + QByteArray(70000, 'x') + "\",")
                              << "too large";
    }
    void badFilesAreRefused() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, problem);
        TTimeSpaceForm source;
        FormDriver::SetDistinctTimings(source);
        FormDriver::UserMovesTrackBar(source.FwMainRoadVol, 500);
        FormDriver::UserMovesTrackBar(source.BkMainRoadVol, 300);
        FormDriver::UserMovesTrackBar(source.SideVol, 20);
        QByteArray bytes = ScenarioFile::ToJson(source.CurrentState().Settings);
        if (from.isEmpty()) {
            bytes = to;
        } else if (from == "SEVERED") {
            bytes.truncate(bytes.size() / 2);
        } else {
            QVERIFY2(bytes.contains(from), bytes.constData());
            bytes.replace(bytes.indexOf(from), from.size(), to);
        }
        const QString file = Path(QStringLiteral("bad.json"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();

        TTimeSpaceForm form;
        FormDriver::UserMovesTrackBar(form.BkMainRoadVol, 300);
        const Shown before = Look(form);
        QVERIFY(!form.Files()->OpenFile(file));
        QCOMPARE(FMessages.size(), 1);
        QVERIFY2(FMessages[0].contains("bad.json") && FMessages[0].contains(problem),
                 qPrintable(FMessages[0]));
        COMPARE_SHOWN(Look(form), before);
        QCOMPARE(form.windowTitle(), QStringLiteral("TimeSpace Diagram"));
    }

    // What is not a regular file is refused before it is read, at once: a pipe would block
    // the window until something writes into it.
    void onlyRegularFilesAreRead_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("problem");
#ifdef Q_OS_UNIX
        const QString fifo = Path(QStringLiteral("pipe.json"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 || QFile::exists(fifo));
        QTest::newRow("named pipe") << fifo << "it is not a regular file";
        QTest::newRow("device") << "/dev/zero"
                                << "it is not a regular file";
#endif
        QTest::newRow("folder") << FFolder.path() << "it is a folder";
    }
    void onlyRegularFilesAreRead() {
        QFETCH(QString, path);
        QFETCH(QString, problem);
        TTimeSpaceForm form;
        FormDriver::UserMovesTrackBar(form.BkMainRoadVol, 300);
        const Shown before = Look(form);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!form.Files()->OpenFile(path));
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(FMessages.size(), 1);
        QVERIFY2(FMessages[0].contains(problem), qPrintable(FMessages[0]));
        COMPARE_SHOWN(Look(form), before);
    }

    // A file of exactly the size limit is read; one byte more is refused.
    void sizeLimitIsExact_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("opens");
        QTest::newRow("at the limit") << ScenarioFile::MaxFileBytes << true;
        QTest::newRow("one byte over") << ScenarioFile::MaxFileBytes + 1 << false;
    }
    void sizeLimitIsExact() {
        QFETCH(qint64, size);
        QFETCH(bool, opens);
        TTimeSpaceForm source;
        FormDriver::UserMovesTrackBar(source.FwMainRoadVol, 440);
        QByteArray bytes = ScenarioFile::ToJson(source.CurrentState().Settings);
        bytes.insert(1, QByteArray(size - bytes.size(), ' '));
        const QString file = Path(QStringLiteral("padded.json"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(out.write(bytes), size);
        out.close();
        TTimeSpaceForm form;
        QCOMPARE(form.Files()->OpenFile(file), opens);
        QCOMPARE(form.FwMainRoadVol->Position(), opens ? 440 : 0);
        QCOMPARE(FMessages.size(), opens ? 0 : 1);
    }

    // Split drags to the least green and the least red a drag leaves, at cycles from the
    // least to the greatest, and the chain of drags and cycle changes that leaves a -1 s
    // yellow: each state is saved and opens as it was. Steps are (cycle, red seconds) pairs.
    void splitExtremesReopen_data() {
        QTest::addColumn<QList<int>>("steps");
        QTest::newRow("92 s: 60 s red, 5 s green") << QList<int>{92, 60};
        for (const int cycle : {20, 47, 115, 229, 230}) {
            QTest::addRow("least green at %d s", cycle) << QList<int>{cycle, -3};
            QTest::addRow("least red at %d s", cycle) << QList<int>{cycle, 3};
        }
        QTest::newRow("-1 s yellow")
            << QList<int>{20, 4, 28, 3, 41, 8, 68, 16, 101, 49, 200, 3, 75, 0};
    }
    void splitExtremesReopen() {
        QFETCH(QList<int>, steps);
        TTimeSpaceForm form;
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 400);
        FormDriver::UserMovesTrackBar(form.BkMainRoadVol, 250);
        FormDriver::ChooseJunction(form, 2);
        TTimeSpaceLight *strip = form.Light(3);
        for (qsizetype i = 0; i + 1 < steps.size(); i += 2) {
            SetCycleByKeys(form, steps[i]);
            // A red of -3 asks for the least green: red takes all but 3 s of the span.
            const int span = strip->RedTime() + strip->GreenTime();
            const int red = steps[i + 1] < 0 ? span + steps[i + 1] : steps[i + 1];
            while (red != 0 && strip->RedTime() != red) {
                const int before = strip->RedTime();
                QTest::keyClick(form.TimeSpaceDiagram,
                                strip->RedTime() > red ? Qt::Key_Right : Qt::Key_Left,
                                Qt::ControlModifier);
                QVERIFY2(strip->RedTime() != before, "a split step was refused");
            }
        }
        if (steps.last() == 0) {
            QCOMPARE(strip->YellowTime(), -1);
        }
        const QString file = Path(QStringLiteral("extreme.json"));
        QVERIFY(form.Files()->SaveFile(file));
        TTimeSpaceForm opened;
        QVERIFY2(opened.Files()->OpenFile(file), qPrintable(FMessages.join('\n')));
        FormDriver::ChooseJunction(opened, 2);
        COMPARE_SHOWN(Look(opened), Look(form));
    }

    // A save that cannot be written says why and leaves the old file as it was.
    void failedSaveKeepsTheOldFile() {
        TTimeSpaceForm form;
        const QString file = Path(QStringLiteral("kept.json"));
        QVERIFY(form.Files()->SaveFile(file));
        QFile read(file);
        QVERIFY(read.open(QIODevice::ReadOnly));
        const QByteArray old = read.readAll();
        read.close();
        // Root may write into a read-only folder; nobody can write under a plain file.
        QFile plain(Path(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 700);
        QVERIFY(!form.Files()->SaveFile(plain.fileName() + QStringLiteral("/inside.json")));
        QCOMPARE(FMessages.size(), 1);
        QVERIFY2(FMessages[0].contains("inside.json") && FMessages[0].contains("unchanged"),
                 qPrintable(FMessages[0]));
        QVERIFY(read.open(QIODevice::ReadOnly));
        QCOMPARE(read.readAll(), old);
        // The window still holds the file it had, with its unsaved mark.
        QCOMPARE(form.FileName(), QFileInfo(file).absoluteFilePath());
        QVERIFY(form.isWindowModified());
    }

    // Unsaved edits ask before the window closes or another file opens; Cancel keeps them.
    void unsavedEditsAsk() {
        TTimeSpaceForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("TimeSpace Diagram"));
        QVERIFY(form.close()); // nothing to save: no question
        TTimeSpaceForm edited;
        FormDriver::UserMovesTrackBar(edited.FwMainRoadVol, 400);
        QCOMPARE(edited.windowTitle(), QStringLiteral("TimeSpace Diagram"));
        int asked = 0;
        Prompts::SetUnsavedAnswerer([&asked](const QString &) {
            ++asked;
            return Prompts::UnsavedAnswer::Cancel;
        });
        QVERIFY(!edited.close());
        QVERIFY(!edited.Files()->ConfirmUnsaved());
        QCOMPARE(asked, 2);
        QCOMPARE(edited.FwMainRoadVol->Position(), 400);
        Prompts::SetUnsavedAnswerer(
            [](const QString &) { return Prompts::UnsavedAnswer::Discard; });
        QVERIFY(edited.close());
    }

    // Each kind of edit is one step; undo gives back exactly what was shown, redo the edit.
    void undoAndRedoEachEdit_data() {
        QTest::addColumn<int>("edit");
        QTest::addColumn<int>("steps");
        const char *names[] = {"volume track bar",   "offset drag",       "split drag",
                               "cycle drag",         "panel click",       "panel arrow",
                               "move and refresh",   "right-click reset", "ReSet",
                               "keyboard offset run"};
        for (int i = 0; i < int(std::size(names)); ++i) {
            QTest::newRow(names[i]) << i << 1;
        }
        // A run of presses is one step only while it makes the same edit of one junction.
        QTest::newRow("keyboard offset, then cycle") << 10 << 2;
        QTest::newRow("keyboard split on two junctions") << 11 << 2;
        QTest::newRow("keyboard moves and refresh") << 12 << 1;
    }
    void undoAndRedoEachEdit() {
        QFETCH(int, edit);
        TTimeSpaceForm form;
        FormDriver::SetDistinctTimings(form);
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 600);
        MoveStrip(form.Light(4), -12);
        QTest::mouseClick(form.Refresh, Qt::LeftButton);
        form.Files()->ClearHistory();
        const Shown before = Look(form);
        TTimeSpaceLight *strip = form.Light(5);
        switch (edit) {
        case 0:
            FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 450);
            break;
        case 1:
            QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(40, 5));
            for (int x = 41; x < 70; x += 3) {
                FormDriver::MouseMove(strip, QPoint(x, 5));
            }
            QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(70, 5));
            break;
        case 2:
            FormDriver::DragStrip(strip, YellowColumn(strip), YellowColumn(strip) + 7);
            break;
        case 3:
            FormDriver::DragStrip(strip, 200, 194, Qt::ShiftModifier);
            break;
        case 4:
            FormDriver::ChooseJunction(form, 2);
            FormDriver::ClickLabel(form.SplitRed);
            break;
        case 5:
            FormDriver::ChooseJunction(form, 3);
            QTest::keyClick(form.CycleTimeUpDown, Qt::Key_Up);
            break;
        case 6:
            MoveStrip(strip, 20);
            QTest::mouseClick(form.Refresh, Qt::LeftButton);
            break;
        case 7:
            PressOnStrip(strip, Qt::RightButton, {}, 100);
            QTest::mouseRelease(strip, Qt::RightButton, {}, QPoint(100, 5));
            break;
        case 8:
            QTest::mouseClick(form.ReSet, Qt::LeftButton);
            break;
        case 9:
            for (int i = 0; i < 82; ++i) {
                QTest::keyClick(form.TimeSpaceDiagram, i % 3 == 0 ? Qt::Key_Left : Qt::Key_Right);
            }
            break;
        case 10:
            QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Right);
            QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Right, Qt::ShiftModifier);
            QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Right, Qt::ShiftModifier);
            break;
        case 11:
            QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Right, Qt::ControlModifier);
            QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Down);
            QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Right, Qt::ControlModifier);
            QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Right, Qt::ControlModifier);
            break;
        default:
            FormDriver::ChooseJunction(form, 4);
            for (int i = 0; i < 5; ++i) {
                QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Down, Qt::ControlModifier);
            }
            QTest::mouseClick(form.Refresh, Qt::LeftButton);
            break;
        }
        const Shown after = Look(form);
        QVERIFY(!(after.State.Settings == before.State.Settings));
        QTEST(int(form.UndoStack()->count()), "steps");
        while (form.UndoStack()->canUndo()) {
            form.UndoStack()->undo();
        }
        COMPARE_SHOWN(Look(form), before);
        while (form.UndoStack()->canRedo()) {
            form.UndoStack()->redo();
        }
        COMPARE_SHOWN(Look(form), after);
    }

    // A run of presses that comes back where it began is no step.
    void keyRunThatUndoesItselfLeavesNoStep() {
        TTimeSpaceForm form;
        FormDriver::UserMovesTrackBar(form.BkMainRoadVol, 300);
        FormDriver::ChooseJunction(form, 4);
        QCOMPARE(form.UndoStack()->count(), 1);
        QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Right);
        QCOMPARE(form.UndoStack()->count(), 2);
        QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Left);
        QCOMPARE(form.UndoStack()->count(), 1);
    }

    // Undo back to the start gives back the start as it was shown: the measures' captions
    // of the form, before any recomputation, among the rest.
    void undoToTheStart_data() {
        QTest::addColumn<int>("edit");
        QTest::newRow("volume") << 0;
        QTest::newRow("key presses") << 1;
        QTest::newRow("a move, nothing recomputed yet") << 2;
    }
    void undoToTheStart() {
        QFETCH(int, edit);
        TTimeSpaceForm form;
        const Shown start = Look(form);
        QCOMPARE(form.DelayPerVeh->Caption(), QStringLiteral("00.0"));
        FormDriver::ChooseJunction(form, 1);
        if (edit == 0) {
            FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 400);
        } else if (edit == 1) {
            QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Right);
        } else {
            QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Down, Qt::ControlModifier);
            QVERIFY(form.Refresh->isEnabled());
        }
        const Shown after = Look(form);
        QCOMPARE(form.DelayPerVeh->Caption() == QStringLiteral("00.0"), edit == 2);
        form.UndoStack()->undo();
        COMPARE_SHOWN(Look(form), start);
        QCOMPARE(form.ArtStops->Caption(), QStringLiteral("0.0"));
        form.UndoStack()->redo();
        COMPARE_SHOWN(Look(form), after);
    }

    // Undo gives back a pending move, the canvas a panel edit composed while it was pending
    // included.
    void undoRestoresAPendingMove() {
        TTimeSpaceForm form;
        FormDriver::SetDistinctTimings(form);
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 600);
        MoveStrip(form.Light(3), 30);
        FormDriver::ChooseJunction(form, 0);
        FormDriver::ClickLabel(form.SplitGreen);
        MoveStrip(form.Light(3), -12);
        const Shown pending = Look(form);
        QVERIFY(pending.State.LayoutPending && pending.State.ComposedWhilePending);
        FormDriver::UserMovesTrackBar(form.BkMainRoadVol, 200);
        form.UndoStack()->undo();
        COMPARE_SHOWN(Look(form), pending);
    }

    // The diagram panel's keys edit the selected strip as the mouse gestures do.
    void keysFollowTheGestures_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("junction");
        QTest::newRow("Right: offset +1") << int(Qt::Key_Right) << 0 << 2;
        QTest::newRow("Left: offset -1, wrapped") << int(Qt::Key_Left) << 0 << 1;
        QTest::newRow("Shift+Right: cycle +1") << int(Qt::Key_Right) << int(Qt::ShiftModifier) << 4;
        QTest::newRow("Shift+Left: cycle -1") << int(Qt::Key_Left) << int(Qt::ShiftModifier) << 6;
        QTest::newRow("Ctrl+Right: green +1")
            << int(Qt::Key_Right) << int(Qt::ControlModifier) << 3;
        QTest::newRow("Ctrl+Left: green -1") << int(Qt::Key_Left) << int(Qt::ControlModifier) << 5;
        QTest::newRow("Ctrl+Down: moves down")
            << int(Qt::Key_Down) << int(Qt::ControlModifier) << 4;
        QTest::newRow("Ctrl+Up: into the gap, jumps")
            << int(Qt::Key_Up) << int(Qt::ControlModifier) << 2;
        QTest::newRow("Ctrl+Up: JCT #1 stays") << int(Qt::Key_Up) << int(Qt::ControlModifier) << 1;
        QTest::newRow("Delete: reset") << int(Qt::Key_Delete) << 0 << 5;
        QTest::newRow("Down: next junction") << int(Qt::Key_Down) << 0 << 3;
        QTest::newRow("Up: previous junction") << int(Qt::Key_Up) << 0 << 6;
    }
    void keysFollowTheGestures() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, junction);
        const auto keys = Qt::KeyboardModifiers(modifiers);
        TTimeSpaceForm byKey, byMouse;
        for (TTimeSpaceForm *form : {&byKey, &byMouse}) {
            FormDriver::SetDistinctTimings(*form);
            form->Light(1)->SetCycleOffset(0);
            FormDriver::UserMovesTrackBar(form->FwMainRoadVol, 600);
            // JCT #2 sits at the edge of its upper gap, so one row up makes it jump.
            MoveStrip(form->Light(2), -(75 - MinStripGapForTest));
            QTest::mouseClick(form->Refresh, Qt::LeftButton);
            FormDriver::ChooseJunction(*form, junction - 1);
        }
        byKey.TimeSpaceDiagram->setFocus(Qt::TabFocusReason);
        QTest::keyClick(byKey.TimeSpaceDiagram, Qt::Key(key), keys);

        TTimeSpaceLight *strip = byMouse.Light(junction);
        const int step = key == Qt::Key_Right || key == Qt::Key_Down ? 1 : -1;
        if (key == Qt::Key_Delete) {
            PressOnStrip(strip, Qt::RightButton, {}, 100);
            QTest::mouseRelease(strip, Qt::RightButton, {}, QPoint(100, 5));
        } else if (keys == Qt::ControlModifier && (key == Qt::Key_Up || key == Qt::Key_Down)) {
            MoveStrip(strip, step);
        } else if (key == Qt::Key_Up || key == Qt::Key_Down) {
            FormDriver::ChooseJunction(byMouse, junction - 1 + step);
        } else if (keys == Qt::ControlModifier) {
            FormDriver::DragStrip(strip, YellowColumn(strip), YellowColumn(strip) + step);
        } else {
            // Pressed on the green, away from any yellow.
            FormDriver::DragStrip(strip, strip->GreenStart(2) + 2, strip->GreenStart(2) + 2 + step,
                                  keys);
        }
        COMPARE_SHOWN(Look(byKey), Look(byMouse));
        QCOMPARE(byKey.UndoStack()->count(), byMouse.UndoStack()->count());
    }

    // The menu keys open the commands at the selected junction, wherever the pointer is.
    void menuKeysOpenAtTheJunction_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Menu") << int(Qt::Key_Menu) << 0;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    }
    void menuKeysOpenAtTheJunction() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        TTimeSpaceForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        FormDriver::ChooseJunction(form, 1);
        form.TimeSpaceDiagram->setFocus(Qt::TabFocusReason);
        QRect opened(-1, -1, 0, 0);
        QTimer::singleShot(0, &form, [&opened] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                opened = popup->geometry();
                popup->close();
            }
        });
        if (key == Qt::Key_Menu) {
            // The platform turns the Menu key into a keyboard menu request, with the pointer
            // wherever it is.
            QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(3, 3),
                                      form.mapToGlobal(QPoint(3, 3)));
            QApplication::sendEvent(form.TimeSpaceDiagram, &request);
        } else {
            QTest::keyClick(form.TimeSpaceDiagram, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        }
        // At the junction, moved only as far as the screen needs to hold the whole menu.
        const TTimeSpaceLight *strip = form.Light(2);
        const QRect screen = form.screen()->availableGeometry();
        const QPoint at = strip->mapToGlobal(QPoint(460 / 8, 10));
        QCOMPARE(opened.topLeft(), QPoint(std::min(at.x(), screen.right() + 1 - opened.width()),
                                          std::min(at.y(), screen.bottom() + 1 - opened.height())));
    }

    // A hand-written file whose unit does not fit its delay: with flow the unit follows the
    // value.
    void delayUnitFollowsTheValue() {
        TTimeSpaceForm source;
        FormDriver::UserMovesTrackBar(source.FwMainRoadVol, 500); // 72.5 s a vehicle
        QCOMPARE(source.DelayPerVeh->Caption(), QStringLiteral("1.21"));
        QCOMPARE(source.TimeUnits->Caption(), QStringLiteral("min"));
        QByteArray bytes = ScenarioFile::ToJson(source.CurrentState().Settings);
        bytes.replace("\"min\"", "\"sec\"");
        const QString file = Path(QStringLiteral("unit.json"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();
        TTimeSpaceForm form;
        QVERIFY(form.Files()->OpenFile(file));
        QCOMPARE(form.TimeUnits->Caption(), QStringLiteral("min"));
        QCOMPARE(form.DelayPerVeh->Caption(), source.DelayPerVeh->Caption());
    }

    // The focus mark lies over the diagram; the composed picture stays as it was.
    void focusMarkLeavesTheComposition() {
        TTimeSpaceForm form;
        FormDriver::SetDistinctTimings(form);
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 600);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(!form.FocusMarked()); // not at start, before any key
        const QImage canvas = form.TimeSpaceImage->Canvas().copy();
        form.TimeSpaceDiagram->setFocus(Qt::TabFocusReason);
        QVERIFY(form.FocusMarked());
        QCOMPARE(form.TimeSpaceImage->Canvas(), canvas);
        QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Down);
        QCOMPARE(form.JCT->currentIndex(), 1);
        QCOMPARE(form.Light(2)->accessibleDescription(),
                 QStringLiteral("Cycle 97 s, offset 13 s, green 76 %, red 24 %, link above "
                                "2800 ft, 42 s southbound, 42 s northbound"));
    }

    // The commands carry the standard shortcuts; Export writes the picture the chooser names.
    void commandsAndExport() {
        TTimeSpaceForm form;
        QStringList listed;
        for (const QAction *action : form.Commands()) {
            if (action != nullptr) {
                for (const QKeySequence &key : action->shortcuts()) {
                    listed << QString(action->text()).remove(QLatin1Char('&')) + '=' +
                                  key.toString();
                }
            }
        }
        for (const char *expected :
             {"Open...=Ctrl+O", "Save=Ctrl+S", "Save As...=Ctrl+Shift+S", "Undo=Ctrl+Z",
              "Redo=Ctrl+Shift+Z", "Copy Diagram=Ctrl+C", "Export Diagram...=Ctrl+E"}) {
            QVERIFY2(listed.contains(QLatin1StringView(expected)), qPrintable(listed.join(", ")));
        }
        const QString picture = Path(QStringLiteral("exported"));
        Prompts::SetFileAnswerer([&picture](const Prompts::FileQuestion &) { return picture; });
        form.Files()->ExportClick();
        Prompts::SetFileAnswerer({});
        QVERIFY(FMessages.isEmpty());
        QCOMPARE(QImage(picture + ".png").isNull(), false);
    }

  private:
    static constexpr int MinStripGapForTest = 16;

    // The selected junction's cycle by Shift+arrows, as a cycle drag; 230 s, beyond the
    // drag, by the panel's arrows.
    static void SetCycleByKeys(TTimeSpaceForm &form, int cycle) {
        const TTimeSpaceLight *strip = form.Light(form.JCT->currentIndex() + 1);
        if (cycle > 229) {
            while (strip->CycleTime() < cycle) {
                QTest::keyClick(form.CycleTimeUpDown, Qt::Key_Up);
            }
        }
        while (strip->CycleTime() != cycle) {
            QTest::keyClick(form.TimeSpaceDiagram,
                            strip->CycleTime() < cycle ? Qt::Key_Right : Qt::Key_Left,
                            Qt::ShiftModifier);
        }
    }
};

QTEST_MAIN(tst_Scenario)
#include "tst_Scenario.moc"
