#include "FormDriver.h"
#include "app/Main.h"
#include "app/SumoRun.h"
#include "app/SumoScenario.h"
#include "model/Measures.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The arterial handed to the traffic simulator and its answer read back, with the real
// simulator: the platoon model and the simulation must agree on stops and failures.

namespace {

constexpr int SimulationWait = 120000; // ms; a run takes a second or two in a Release build

struct Message {
    Prompts::MessageKind Kind;
    QString Text;
};

QAction *Command(const TTimeSpaceForm &form, const QString &text) {
    for (QAction *action : form.Commands()) {
        if (action != nullptr && action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

// Every junction at the loaded 115 s cycle, 30 % red, 60 % green, at the given offsets.
void SetOffsets(TTimeSpaceForm &form, const QList<int> &offsets) {
    for (int k = 1; k <= JunctionCount; ++k) {
        FormDriver::SetTiming(form.Light(k), {115, 30, 60, offsets.value(k - 1)});
    }
}

// PATH holds only Folder while the object lives.
class ProgramPath {
  public:
    explicit ProgramPath(const QString &Folder) : FSaved(qgetenv("PATH")) {
        qputenv("PATH", QFile::encodeName(Folder));
    }
    ~ProgramPath() { qputenv("PATH", FSaved); }
    ProgramPath(const ProgramPath &) = delete;
    ProgramPath &operator=(const ProgramPath &) = delete;

  private:
    QByteArray FSaved;
};

void WriteScript(const QString &Path, const QByteArray &Body) {
    QFile file(Path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + Body + "\n");
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

// A killed process stays a zombie until its parent reaps it.
bool IsZombie(const QString &Process) {
    QFile stat(Process + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly)) {
        return true;
    }
    const QByteArray fields = stat.readAll();
    const qsizetype close = fields.lastIndexOf(')');
    return close < 0 || fields.mid(close + 2, 1) == "Z";
}

} // namespace

class tst_Sumo : public QObject {
    Q_OBJECT

    QList<Message> FMessages;

    // Runs "Simulate in SUMO" as the context menu's command does and waits for its figures.
    bool Simulate(TTimeSpaceForm &form) {
        QSignalSpy handed(&form, &TTimeSpaceForm::SimulationChanged);
        Command(form, QStringLiteral("Simulate in SUMO"))->trigger();
        return handed.wait(SimulationWait);
    }

  private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        Prompts::SetMessageAnswerer(
            [this](Prompts::MessageKind kind, const QString &, const QString &text) {
                FMessages.append({kind, text});
            });
        if (!TSumoRun::MissingProgramsText({"sumo", "netconvert"}).isEmpty()) {
            QSKIP("SUMO is not installed (./test.sh installs it)");
        }
    }
    void init() { FMessages.clear(); }
    void cleanupTestCase() { Prompts::SetMessageAnswerer({}); }

    // Southbound at 45 mph. TimeSpace's stops per vehicle is its ArtStops measure: each
    // junction's share of the arriving platoon that stops, added over the six junctions, so
    // the stops of a vehicle that crosses the arterial. Every vehicle of the measured cycles
    // counts, however long its queue kept it: 20 cycles of 115 s carry exactly 383 vehicles
    // at 600 veh/hr, 319.4 at 500 (the platoons' running total gives 367 - 47 = 320) and 575
    // at 900.
    void platoonsAgree_data() {
        QTest::addColumn<int>("volume");
        QTest::addColumn<QList<int>>("offsets");
        QTest::addColumn<int>("red3"); // JCT #3's split, percent
        QTest::addColumn<int>("green3");
        QTest::addColumn<QString>("stops"); // TimeSpace's ArtStops
        QTest::addColumn<double>("within"); // SUMO's share off TimeSpace's stops per vehicle
        QTest::addColumn<int>("failing");   // the junction that fails, or 0
        QTest::addColumn<int>("vehicles");  // southbound vehicles counted

        const QList<int> wave{0, 42, 84, 11, 53, 95};
        const QList<int> loaded{0, 0, 0, 0, 0, 0};
        QTest::newRow("green wave") << 600 << wave << 30 << 60 << "0.0" << 0.0 << 0 << 383;
        // Each platoon reaches JCT #2 to #6 as their green windows end. The platoon's first
        // vehicle reaches JCT #2 as its yellow starts, too close to stop, and finds JCT #3
        // green: it stops three times, the others five (4.89 stops per vehicle).
        QTest::newRow("offsets cut every platoon")
            << 600 << QList<int>{0, 92, 59, 26, 108, 75} << 30 << 60 << "5.0" << 0.025 << 0 << 383;
        QTest::newRow("500 veh/hr at the loaded timing")
            << 500 << loaded << 30 << 60 << "2.4" << 0.15 << 0 << 320;
        QTest::newRow("900 veh/hr over JCT #3's 756")
            << 900 << wave << 45 << 50 << "+ +" << 0.0 << 3 << 575;
        // JCT #3 serves about 16 of the 28.75 vehicles a cycle brings: the queue it leaves
        // takes longer to clear than the demand took to come.
        QTest::newRow("900 veh/hr over JCT #3's 504")
            << 900 << loaded << 60 << 30 << "+ +" << 0.0 << 3 << 575;
        // v/c 1.03 in the diagram: a vehicle or so left behind every other cycle.
        QTest::newRow("900 veh/hr just over JCT #3's 864")
            << 900 << loaded << 35 << 55 << "+ +" << 0.0 << 3 << 575;
    }
    void platoonsAgree() {
        QFETCH(int, volume);
        QFETCH(QList<int>, offsets);
        QFETCH(int, red3);
        QFETCH(int, green3);
        QFETCH(double, within);
        QFETCH(int, failing);
        QFETCH(int, vehicles);

        TTimeSpaceForm form;
        SetOffsets(form, offsets);
        FormDriver::SetTiming(form.Light(3), {115, red3, green3, offsets[2]});
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, volume);
        QTEST(form.ArtStops->Caption(), "stops");
        QVERIFY(Simulate(form));
        const DirectionSimulation south = form.Simulation()->Southbound;
        qInfo("TimeSpace %s stops/veh; SUMO %.3f stops/veh, %.1f s delay/veh over %d vehicles "
              "(%d unfinished), growing at %s",
              qPrintable(form.ArtStops->Caption()), south.StopsPerVehicle, south.DelayPerVehicle,
              south.Vehicles, south.Unfinished,
              south.GrowingAt.empty() ? "none" : qPrintable(QString::number(south.GrowingAt[0])));
        QCOMPARE(south.Sent, vehicles);
        QCOMPARE(south.Vehicles, vehicles);
        QCOMPARE(south.Unfinished, 0);
        QCOMPARE(form.Simulation()->Northbound.Sent, 0);
        QCOMPARE(form.Simulation()->Northbound.Vehicles, 0);
        QCOMPARE(FMessages.size(), 1);
        QCOMPARE(FMessages[0].Kind, Prompts::MessageKind::Information);
        QVERIFY2(
            FMessages[0].Text.contains(QStringLiteral("Southbound: %1 vehicles, ").arg(vehicles)) &&
                FMessages[0].Text.contains(QStringLiteral("Northbound: no northbound traffic.")),
            qPrintable(FMessages[0].Text));

        QCOMPARE(form.Light(3)->FwCycleFailure(), failing == 3);
        QCOMPARE(form.FwFailure(), failing != 0);
        QCOMPARE(south.GrowingAt,
                 failing != 0 ? std::vector<std::int32_t>{failing} : std::vector<std::int32_t>{});
        QCOMPARE(south.QueuesGrow, failing != 0);
        QCOMPARE(FMessages[0].Text.contains(QStringLiteral("grow from cycle to cycle at JCT #3")),
                 failing != 0);
        if (failing == 0) {
            const double model = form.CalculateArterialStops();
            QVERIFY2(
                std::abs(south.StopsPerVehicle - model) <= std::max(within * model, 0.05),
                qPrintable(
                    QStringLiteral("TimeSpace %1, SUMO %2").arg(model).arg(south.StopsPerVehicle)));
        }
    }

    // The simulator's greens are the strips' green windows, at six distinct timings: the
    // exported programs are run and their green switches read back.
    void greensAreTheWindows() {
        TTimeSpaceForm form;
        FormDriver::SetDistinctTimings(form);
        form.RefreshTimeSpaceDiagram();
        QTemporaryDir folder;
        QString error;
        QVERIFY2(SumoScenario::Write(SumoScenario::PlanOf(form), folder.path(), error),
                 qPrintable(error));
        QFile switches(folder.filePath(QStringLiteral("switches.add.xml")));
        QVERIFY(switches.open(QIODevice::WriteOnly));
        switches.write(R"(<additional><timedEvent type="SaveTLSSwitchTimes" dest="switches.xml"/>)"
                       "</additional>");
        switches.close();
        const auto run = [&](const QString &name, QStringList arguments) {
            QProcess process;
            process.setWorkingDirectory(folder.path());
            process.start(QStandardPaths::findExecutable(name), arguments);
            return process.waitForFinished(SimulationWait) && process.exitCode() == 0;
        };
        QVERIFY(run(QStringLiteral("netconvert"), SumoScenario::NetconvertArguments()));
        QVERIFY(run(QStringLiteral("sumo"),
                    {"-c", SumoScenario::FileName(".sumocfg"), "-a",
                     SumoScenario::FileName(".add.xml") + ",switches.add.xml", "--end", "500"}));
        QFile output(folder.filePath(QStringLiteral("switches.xml")));
        QVERIFY(output.open(QIODevice::ReadOnly));
        // The southbound through movement's greens of each junction, in time order.
        QMap<int, QList<QPair<int, int>>> greens;
        static const QRegularExpression record(QStringLiteral(
            R"re(id="J(\d)"[^>]*fromLane="s\d_0" toLane="s\d_0" begin="([\d.]+)" end="([\d.]+)")re"));
        for (const auto &m : record.globalMatch(QString::fromUtf8(output.readAll()))) {
            greens[m.captured(1).toInt()].append(
                {qRound(m.captured(2).toDouble()), qRound(m.captured(3).toDouble())});
        }
        for (int k = 1; k <= JunctionCount; ++k) {
            const TTimeSpaceLight *light = form.Light(k);
            QVERIFY(!greens[k].isEmpty());
            // The first green the simulator shows is the strip's first window that starts at
            // or after time 0, and the next one a cycle later.
            int i = 0;
            while (light->GreenStart(i) < 0) {
                ++i;
            }
            for (int n = 0; n < 2; ++n) {
                QCOMPARE(greens[k].value(n),
                         qMakePair(light->GreenStart(i + n), light->GreenEnd(i + n)));
            }
        }
    }

    void missingSimulator_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("export") << "Export to SUMO...";
        QTest::newRow("simulate") << "Simulate in SUMO";
    }
    void missingSimulator() {
        QFETCH(QString, command);
        TTimeSpaceForm form;
        QTemporaryDir empty;
        const ProgramPath path(empty.path());
        const auto asked = Prompts::SetFileAnswerer(
            [](const Prompts::FileQuestion &) { return QStringLiteral("/nonexistent"); });
        QSignalSpy handed(&form, &TTimeSpaceForm::SimulationChanged);
        Command(form, command)->trigger();
        Prompts::SetFileAnswerer(asked);
        QCOMPARE(FMessages.size(), 1);
        QCOMPARE(FMessages[0].Kind, Prompts::MessageKind::Warning);
        QVERIFY(FMessages[0].Text.contains(QStringLiteral("sudo apt-get install sumo sumo-tools")));
        QVERIFY(form.findChild<QProgressDialog *>() == nullptr);
        QVERIFY(!handed.wait(200));
        QVERIFY(!form.Simulation());
    }

    // A simulator that fails in any way gives a message and leaves the last figures.
    void brokenSimulator_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("says");
        QTest::newRow("exits 1") << QByteArray("echo 'Error: no licence'; exit 1")
                                 << "sumo failed (exit code 1)";
        QTest::newRow("crashes") << QByteArray("kill -SEGV $$") << "sumo crashed";
        QTest::newRow("writes garbage")
            << QByteArray("echo garbage > tripinfo.xml; echo garbage > queues.xml; exit 0")
            << "is not the simulator's output";
        QTest::newRow("writes nothing") << QByteArray("exit 0") << "cannot be read";
    }
    void brokenSimulator() {
        QFETCH(QByteArray, script);
        TTimeSpaceForm form;
        QTemporaryDir programs;
        QVERIFY(QFile::link(QStandardPaths::findExecutable(QStringLiteral("netconvert")),
                            programs.filePath(QStringLiteral("netconvert"))));
        WriteScript(programs.filePath(QStringLiteral("sumo")), script);
        const ProgramPath path(programs.path());
        SimulationFigures last;
        last.SimulatedSeconds = 1.0;
        form.SetSimulation(last, SumoScenario::PlanOf(form));
        QSignalSpy handed(&form, &TTimeSpaceForm::SimulationChanged);
        Command(form, QStringLiteral("Simulate in SUMO"))->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(FMessages.size(), 1, SimulationWait);
        QCOMPARE(FMessages[0].Kind, Prompts::MessageKind::Warning);
        QFETCH(QString, says);
        QVERIFY2(FMessages[0].Text.contains(says), qPrintable(FMessages[0].Text));
        QCOMPARE(handed.size(), 0);
        QCOMPARE(form.Simulation()->SimulatedSeconds, 1.0);
        QTRY_VERIFY(form.findChild<QProgressDialog *>() == nullptr);
    }

    // Cancel stops the simulator at once and leaves the window as it was.
    void cancel() {
        TTimeSpaceForm form;
        QTemporaryDir programs;
        QVERIFY(QFile::link(QStandardPaths::findExecutable(QStringLiteral("netconvert")),
                            programs.filePath(QStringLiteral("netconvert"))));
        const QString pidFile = programs.filePath(QStringLiteral("pid"));
        WriteScript(programs.filePath(QStringLiteral("sumo")),
                    "echo $$ > " + QFile::encodeName(pidFile) +
                        "; echo 'Step #40.00'; exec /bin/sleep 60");
        const ProgramPath path(programs.path());
        QSignalSpy handed(&form, &TTimeSpaceForm::SimulationChanged);
        Command(form, QStringLiteral("Simulate in SUMO"))->trigger();
        const QPointer<QProgressDialog> dialog = form.findChild<QProgressDialog *>();
        QVERIFY(dialog != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(dialog && dialog->value() > 0, SimulationWait);
        QFile pid(pidFile);
        QVERIFY(pid.open(QIODevice::ReadOnly));
        const QString process =
            QStringLiteral("/proc/") + QString::fromLatin1(pid.readAll().trimmed());
        QVERIFY2(QFile::exists(process), qPrintable(process));
        QPushButton *button = dialog->findChild<QPushButton *>();
        QVERIFY(button != nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY(!QFile::exists(process) || IsZombie(process));
        QTRY_VERIFY(form.findChild<QProgressDialog *>() == nullptr);
        QCOMPARE(handed.size(), 0);
        QVERIFY(!form.Simulation());
        QCOMPARE(FMessages.size(), 0);
    }
};

QTEST_MAIN(tst_Sumo)
#include "tst_Sumo.moc"
