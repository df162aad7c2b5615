#include "FormDriver.h"
#include "app/FileCommands.h"

#include "analysis/JunctionReport.h"
#include "analysis/TrajectoryOverlay.h"
#include "app/Layout.h"
#include "app/MenuBar.h"
#include "app/TimingTable.h"
#include "help/HelpSetup.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

// The menu bar: every command by the mouse through the real menu and by its shortcut, and the
// form below it drawn as it was before the window had a menu bar.

namespace {

QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

QMenu *MenuOf(QMenuBar *bar, const QString &title) {
    for (QAction *action : bar->actions()) {
        if (Plain(action->text()) == title) {
            return action->menu();
        }
    }
    return nullptr;
}

// Undo and Redo name the step they take after their own word.
QAction *ItemOf(QMenu *menu, const QString &text) {
    for (QAction *action : menu->actions()) {
        if (Plain(action->text()) == text || Plain(action->text()).startsWith(text + ' ')) {
            return action;
        }
    }
    return nullptr;
}

} // namespace

class tst_MenuBar : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() {
        Prompts::SetUrlOpener({});
        Prompts::SetFileAnswerer({});
        Prompts::SetMessageAnswerer({});
        Prompts::SetUnsavedAnswerer({});
    }

    void formSitsBelowTheMenuBar() {
        TTimeSpaceForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QMenuBar *bar = form.findChild<QMenuBar *>(QStringLiteral("MenuBar"));
        QVERIFY(bar != nullptr);
        const int h = bar->height();
        QVERIFY(h > 10);
        QCOMPARE(form.Client()->geometry(), QRect(QPoint(0, h), FormClientSize));
        QCOMPARE(form.size(), FormClientSize + QSize(0, h));
        // The window below the bar is the form as drawn on its own, pixel for pixel.
        const QImage window = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage client = form.Client()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(window.copy(QRect(QPoint(0, h), FormClientSize)), client);
        // Every control of the form keeps its place against the form's corner.
        QCOMPARE(form.TimeSpaceDiagram->pos(), QPoint(DiagramLeft, PanelTop));
        QCOMPARE(form.TimeSpaceDiagram->parentWidget(), form.Client());
    }

    void everyCommandByMouseAndKey_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QKeySequence>("key"); // empty: the menu only
        const auto row = [](const char *menu, const char *item, const QKeySequence &key) {
            QTest::newRow(item) << QString::fromLatin1(menu) << QString::fromLatin1(item) << key;
        };
        row("File", "New", QKeySequence(Qt::CTRL | Qt::Key_N));
        row("File", "Open...", QKeySequence(Qt::CTRL | Qt::Key_O));
        row("File", "Save", QKeySequence(Qt::CTRL | Qt::Key_S));
        row("File", "Save As...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        row("File", "Export Diagram...", QKeySequence(Qt::CTRL | Qt::Key_E));
        row("File", "Export Report as PDF...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
        row("File", "Export Table as CSV...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
        row("File", "Print Report...", QKeySequence(Qt::CTRL | Qt::Key_P));
        row("File", "Quit", QKeySequence(Qt::CTRL | Qt::Key_Q));
        row("Edit", "Undo", QKeySequence(Qt::CTRL | Qt::Key_Z));
        row("Edit", "Redo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
        row("Edit", "Copy Diagram", QKeySequence(Qt::CTRL | Qt::Key_C));
        row("Edit", "Timing Table", QKeySequence(Qt::CTRL | Qt::Key_T));
        row("View", "Junction Report", QKeySequence(Qt::CTRL | Qt::Key_J));
        row("View", "Progression Band", QKeySequence(Qt::CTRL | Qt::Key_B));
        row("View", "Simulated Trajectories...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
        row("File", "Export to SUMO...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
        row("Tools", "Simulate in SUMO...", QKeySequence(Qt::CTRL | Qt::Key_M));
        row("Tools", "Optimise Timing...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
        row("Help", "Help", QKeySequence(Qt::Key_F1));
        row("Help", "Help Setup...", QKeySequence());
        row("Help", "Keyboard", QKeySequence());
        row("Help", "About TimeSpace", QKeySequence());
    }
    void everyCommandByMouseAndKey() {
        QFETCH(QString, menu);
        QFETCH(QString, item);
        QFETCH(QKeySequence, key);
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("plan.json"));
        const QString picture = folder.filePath(QStringLiteral("diagram.png"));
        TTimeSpaceForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 400);
        QVERIFY(form.Files()->SaveFile(file));
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 300); // an unsaved edit
        const TEditState edited = form.CurrentState();
        const QString report = folder.filePath(QStringLiteral("report.pdf"));
        const QString table = folder.filePath(QStringLiteral("table.csv"));
        Prompts::SetFileAnswerer([&](const Prompts::FileQuestion &q) {
            if (q.Filter.contains(QLatin1String("png"))) {
                return picture;
            }
            if (q.Filter.contains(QLatin1String("pdf"), Qt::CaseInsensitive)) {
                return report;
            }
            return q.Filter.contains(QLatin1String("csv"), Qt::CaseInsensitive) ? table : file;
        });
        Prompts::SetUnsavedAnswerer(
            [](const QString &) { return Prompts::UnsavedAnswer::Discard; });
        QString message;
        Prompts::SetMessageAnswerer([&message](Prompts::MessageKind, const QString &,
                                               const QString &text) { message = text; });
        QUrl opened;
        Prompts::SetUrlOpener([&opened](const QUrl &url) {
            opened = url;
            return true;
        });
        // A modal dialog (Help Setup's, the printer's, the optimiser's, the simulation's
        // progress) is closed as soon as it shows.
        QStringList dialogs;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&dialogs] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                dialogs << modal->windowTitle();
                modal->close();
            }
        });
        closer.start(20);

        if (item == QLatin1String("Redo")) {
            form.UndoStack()->undo(); // something to redo
        }

        QMenuBar *bar = form.findChild<QMenuBar *>(QStringLiteral("MenuBar"));
        QMenu *popup = MenuOf(bar, menu);
        QVERIFY(popup != nullptr);
        QAction *action = ItemOf(popup, item);
        QVERIFY2(action != nullptr, qPrintable(item));
        QCOMPARE(action->shortcuts().contains(key), !key.isEmpty());
        QVERIFY(!action->statusTip().isEmpty());
        QSignalSpy triggered(action, &QAction::triggered);
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->actionGeometry(popup->menuAction()).center());
        QTRY_VERIFY(popup->isVisible());
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(action).center());
        QTRY_COMPARE(triggered.count(), 1);

        // What each command did.
        if (item == QLatin1String("New")) {
            QVERIFY(form.CurrentState() == form.StartState());
            QVERIFY(form.FileName().isEmpty());
            QCOMPARE(form.UndoStack()->count(), 0);
        } else if (item == QLatin1String("Open...")) {
            QCOMPARE(form.FwMainRoadVol->Position(), 400);
        } else if (item == QLatin1String("Save") || item == QLatin1String("Save As...")) {
            QVERIFY(form.UndoStack()->isClean());
        } else if (item == QLatin1String("Export Diagram...")) {
            QVERIFY(QFileInfo(picture).size() > 0);
        } else if (item == QLatin1String("Export Report as PDF...")) {
            QVERIFY(QFileInfo(report).size() > 0);
        } else if (item == QLatin1String("Export Table as CSV...")) {
            QVERIFY(QFileInfo(table).size() > 0);
        } else if (item == QLatin1String("Print Report...")) {
            QTRY_VERIFY(dialogs.contains(QStringLiteral("Print Report")));
        } else if (item == QLatin1String("Help Setup...")) {
            QTRY_VERIFY(dialogs.contains(QStringLiteral("Help Setup")));
        } else if (item == QLatin1String("Optimise Timing...")) {
            QTRY_VERIFY(dialogs.contains(QStringLiteral("Optimise Timing")));
        } else if (item == QLatin1String("Simulate in SUMO...")) {
            // The choice of arrivals, drivers and runs (then cancelled), or why the simulator
            // cannot run.
            QTRY_VERIFY(dialogs.contains(QStringLiteral("Simulate in SUMO")) || !message.isEmpty());
            QTRY_VERIFY(form.findChild<QObject *>(QStringLiteral("SumoSession")) == nullptr);
        } else if (item == QLatin1String("Export to SUMO...")) {
            QVERIFY(message.contains(QLatin1String("plan.json")) ||
                    message.contains(QLatin1String("netconvert")));
        } else if (item == QLatin1String("Help")) {
            QVERIFY(opened.toString().endsWith(QLatin1String("MainHelp.html")) ||
                    message.contains(QLatin1String("MainHelp.html")));
        } else if (item == QLatin1String("Quit")) {
            QVERIFY(!form.isVisible());
        } else if (item == QLatin1String("Undo")) {
            QCOMPARE(form.FwMainRoadVol->Position(), 400);
        } else if (item == QLatin1String("Redo")) {
            QVERIFY(form.CurrentState() == edited);
            form.UndoStack()->undo(); // again, for the key
        } else if (item == QLatin1String("Copy Diagram")) {
            QVERIFY(!QGuiApplication::clipboard()->image().isNull());
        } else if (item == QLatin1String("Timing Table")) {
            QTRY_VERIFY(form.findChild<TTimingTable *>() != nullptr &&
                        form.findChild<TTimingTable *>()->isVisible());
        } else if (item == QLatin1String("Junction Report")) {
            QVERIFY(form.JunctionReport() != nullptr && form.JunctionReport()->isVisible());
        } else if (item == QLatin1String("Progression Band")) {
            QVERIFY(action->isChecked());
        } else if (item == QLatin1String("Simulated Trajectories...")) {
            // Opened before any simulation: it says so, and the overlay draws nothing.
            const auto *status = form.findChild<QLabel *>(QStringLiteral("TrajectoryStatus"));
            QVERIFY(status != nullptr && status->isVisible());
            QCOMPARE(status->text(), QStringLiteral("No simulation has run yet: Simulate in SUMO "
                                                    "(Ctrl+M) first."));
            QVERIFY(form.TrajectoryOverlay()->isVisible());
            QVERIFY(form.TrajectoryOverlay()->Paths().empty());
        } else if (item == QLatin1String("Keyboard")) {
            QVERIFY(message.contains(QLatin1String("<td>Ctrl+O</td><td>Open...</td>")));
            QVERIFY(message.contains(QLatin1String("<td>Delete</td><td>reset the junction</td>")));
        } else if (item == QLatin1String("About TimeSpace")) {
            QVERIFY(message.startsWith(QLatin1String("TimeSpace ")));
        }

        if (!key.isEmpty()) {
            // Back to the window, as a user is after a dialog or after Quit.
            form.show();
            form.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QTest::keySequence(&form, key);
            QTRY_COMPARE(triggered.count(), 2);
        }
    }
};

QTEST_MAIN(tst_MenuBar)
#include "tst_MenuBar.moc"
