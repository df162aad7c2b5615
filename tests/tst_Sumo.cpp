#include "FormDriver.h"
#include "ProgramRun.h"
#include "analysis/OptimiseDialog.h"
#include "analysis/SumoBatch.h"
#include "analysis/SumoRun.h"
#include "analysis/SumoScenario.h"
#include "app/FileCommands.h"
#include "app/Main.h"
#include "document/SimulationText.h"
#include "model/Measures.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMap>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

// The tests that run the simulator's programs.
#define REQUIRE_SUMO()                                                                             \
    do {                                                                                           \
        if (!FHaveSumo) {                                                                          \
            QSKIP("SUMO is not installed (./test.sh installs it)");                                \
        }                                                                                          \
    } while (false)

// The arterial handed to the traffic simulator and its answer read back, with the real
// simulator: the platoon model and the simulation must agree on stops and failures.

namespace {

constexpr int SimulationWait = 120000; // ms; a run takes a second or two in a Release build

struct Message {
    Prompts::MessageKind Kind;
    QString Text;
};

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

// The real network builder beside a simulator that the test writes.
void LinkNetconvert(const QTemporaryDir &Programs) {
    QVERIFY(QFile::link(QStandardPaths::findExecutable(QStringLiteral("netconvert")),
                        Programs.filePath(QStringLiteral("netconvert"))));
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
    bool FHaveSumo = false;

    // Runs "Simulate in SUMO..." as the context menu's command does, with the choice the
    // dialog offers, and waits for its figures.
    bool Simulate(TTimeSpaceForm &form) {
        QSignalSpy handed(form.Document(), &TArterialDocument::SimulationChanged);
        StartSimulation(form);
        return handed.wait(SimulationWait);
    }
    static void StartSimulation(TTimeSpaceForm &form) {
        FormDriver::Command(form, QStringLiteral("Simulate in SUMO..."))->trigger();
        auto *simulate = form.findChild<QPushButton *>(QStringLiteral("SimulateButton"));
        QVERIFY(simulate != nullptr);
        simulate->click();
    }

  private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        Prompts::SetMessageAnswerer(
            [this](Prompts::MessageKind kind, const QString &, const QString &text) {
                FMessages.append({kind, text});
            });
        FHaveSumo = TSumoRun::MissingProgramsText({"sumo", "netconvert"}).isEmpty();
    }
    void init() { FMessages.clear(); }
    void cleanupTestCase() { Prompts::SetMessageAnswerer({}); }

    // The platoons carry the hourly volume exactly: each takes the whole vehicles of its
    // cycle's share and hands the fraction on, so the measured cycles (3 to 22) hold the
    // volume of their 20 cycles.
    void platoonVehicles_data() {
        QTest::addColumn<int>("cycle"); // JCT #1's
        QTest::addColumn<int>("south");
        QTest::addColumn<int>("north");
        QTest::addColumn<QList<int>>("southFirst"); // the first five platoons
        QTest::addColumn<QList<int>>("northFirst");
        QTest::addColumn<int>("southMeasured");
        QTest::addColumn<int>("northMeasured");
        // 852 x 120 / 3600 = 28.4 a cycle; 900 x 120 / 3600 = 30.
        QTest::newRow("28.4 and 30 a cycle") << 120 << 852 << 900 << QList<int>{28, 28, 29, 28, 29}
                                             << QList<int>{30, 30, 30, 30, 30} << 568 << 600;
        // 28.75 and 15.97 (500 x 115 / 3600) a cycle: fractions of .5 and more carried.
        QTest::newRow("28.75 and 15.97 a cycle")
            << 115 << 900 << 500 << QList<int>{28, 29, 29, 29, 28} << QList<int>{15, 16, 16, 16, 16}
            << 575 << 320;
        QTest::newRow("no northbound traffic") << 96 << 600 << 0 << QList<int>{16, 16, 16, 16, 16}
                                               << QList<int>{0, 0, 0, 0, 0} << 320 << 0;
    }
    void platoonVehicles() {
        QFETCH(int, cycle);
        ArterialPlan plan;
        plan.Signals[1].CycleTime = cycle;
        QFETCH(int, south);
        QFETCH(int, north);
        plan.SouthVolume = south;
        plan.NorthVolume = north;
        QList<int> southFirst(5);
        QList<int> northFirst(5);
        int southMeasured = 0;
        int northMeasured = 0;
        for (const MainRoadVehicle &vehicle : MainRoadVehicles(plan)) {
            if (vehicle.Cycle < 5) {
                ++(vehicle.Southbound ? southFirst : northFirst)[vehicle.Cycle];
            }
            if (vehicle.Cycle >= WarmUpCycles) {
                ++(vehicle.Southbound ? southMeasured : northMeasured);
            }
        }
        QTEST(southFirst, "southFirst");
        QTEST(northFirst, "northFirst");
        QTEST(southMeasured, "southMeasured");
        QTEST(northMeasured, "northMeasured");

        // Random arrivals send as many vehicles in the measured period, each at its own time
        // within it, in the order of their times; every seed draws other times.
        QList<double> firstTimes;
        for (const std::uint32_t seed : {1U, 2U}) {
            int south = 0;
            int north = 0;
            double last = 0.0;
            QSet<QString> ids;
            QList<double> times;
            for (const MainRoadVehicle &v :
                 MainRoadVehicles(plan, SimulatedArrivals::Random, seed)) {
                QVERIFY(v.Depart >= last);
                last = v.Depart;
                QCOMPARE(v.Cycle, static_cast<int>(v.Depart / cycle));
                QVERIFY(v.Cycle < WarmUpCycles + MeasuredCycles);
                ids.insert(QString::fromStdString(VehicleId(v)));
                times << v.Depart;
                if (v.Cycle >= WarmUpCycles) {
                    ++(v.Southbound ? south : north);
                }
            }
            QCOMPARE(ids.size(), times.size());
            QTEST(south, "southMeasured");
            QTEST(north, "northMeasured");
            QVERIFY(times != firstTimes);
            firstTimes = times;
        }
        QCOMPARE(MainRoadVehicles(plan, SimulatedArrivals::Random, 2).back().Depart,
                 firstTimes.back());
    }

    // The replications' figures: the mean, the range and the 95 % interval of the mean from
    // Student's t, at the bounds of its table.
    void replicationSpread_data() {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<QString>("mean");
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("interval");
        const auto upTo = [](int n) {
            QList<double> values;
            for (int i = 0; i < n; ++i) {
                values << i;
            }
            return values;
        };
        QTest::newRow("one run") << QList<double>{0.5} << "0.50"
                                 << ""
                                 << "";
        QTest::newRow("two runs") << QList<double>{0.6, 0.4} << "0.50"
                                  << "0.40 to 0.60"
                                  << "-0.77 to 1.77";
        QTest::newRow("five runs") << QList<double>{3, 1, 5, 2, 4} << "3.00"
                                   << "1.00 to 5.00"
                                   << "1.04 to 4.96";
        QTest::newRow("31 runs") << upTo(31) << "15.00"
                                 << "0.00 to 30.00"
                                 << "11.67 to 18.33";
        QTest::newRow("121 runs") << upTo(121) << "60.00"
                                  << "0.00 to 120.00"
                                  << "53.69 to 66.31";
        QTest::newRow("122 runs") << upTo(122) << "60.50"
                                  << "0.00 to 121.00"
                                  << "54.22 to 66.78";
    }
    void replicationSpread() {
        QFETCH(QList<double>, values);
        const Spread spread = SpreadOf(std::vector<double>(values.begin(), values.end()));
        QCOMPARE(spread.Runs, static_cast<int>(values.size()));
        QTEST(QString::number(spread.Mean, 'f', 2), "mean");
        QTEST(SimulationText::Range(spread, 2), "range");
        QTEST(SimulationText::Interval(spread, 2), "interval");

        // Over runs of the arterial: a run that counted no vehicles has no stops to average, and
        // each junction says in how many runs its queue grew.
        SimulationSet set;
        for (qsizetype i = 0; i < values.size(); ++i) {
            SimulationFigures run;
            run.Southbound.Sent = 9;
            run.Southbound.Vehicles = 9;
            run.Southbound.StopsPerVehicle = values[i];
            run.Southbound.GrowingAt =
                i % 2 == 0 ? std::vector<std::int32_t>{3} : std::vector<std::int32_t>{3, 5};
            set.Runs.push_back(run);
        }
        set.Runs.push_back({}); // no traffic at all
        const DirectionSpread south = SpreadOf(set, true);
        QCOMPARE(south.Stops.Mean, spread.Mean);
        QCOMPARE(south.Stops.Runs, spread.Runs);
        QCOMPARE(south.GrewIn[3], static_cast<int>(values.size()));
        QCOMPARE(south.GrewIn[5], static_cast<int>(values.size() / 2));
        QCOMPARE(south.GrewIn[4], 0);
    }

    // The crossroad's yellow comes out of the arterial's red only when that leaves the
    // crossroad a longer green than the yellow.
    void crossroadYellow_data() {
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("crossGreen");
        QTest::addColumn<int>("crossYellow");
        QTest::newRow("red 6 s: all green") << 6 << 6 << 0;
        QTest::newRow("red 7 s: 4 s green, 3 s yellow") << 7 << 4 << 3;
    }
    void crossroadYellow() {
        QFETCH(int, red);
        const SignalProgram program = SignalProgramFor({60, 10, {red, 60 - red - 6, 6}});
        QCOMPARE(program.Red, red);
        QTEST(program.CrossGreen, "crossGreen");
        QTEST(program.CrossYellow, "crossYellow");
    }

    // The run ends when the last measured vehicles have crossed the arterial at the slower
    // direction's speed and the queues have had as long again as the demand to drain. The
    // loaded spans add to 384 pixels, 4681.728 m, 299.22 s at 35 mph (190.41 s at 55);
    // JCT #1's 100 s cycles end the measurement at 2300 s, 23 of the longest (120 s) cycles
    // follow.
    void simulationEnd_data() {
        QTest::addColumn<int>("south"); // mph
        QTest::addColumn<int>("north");
        QTest::addColumn<double>("end");
        QTest::newRow("southbound slower") << 35 << 55 << 5360.0;
        QTest::newRow("northbound slower") << 55 << 35 << 5360.0;
        QTest::newRow("both at 55") << 55 << 55 << 5251.0;
    }
    void simulationEnd() {
        ArterialPlan plan;
        plan.SpanPixels = {{17, 70, 70, 70, 70, 70, 17}};
        for (int k = 1; k <= JunctionCount; ++k) {
            plan.Signals[k].CycleTime = k == 4 ? 120 : 100;
        }
        QFETCH(int, south);
        QFETCH(int, north);
        plan.SouthSpeedMph = south;
        plan.NorthSpeedMph = north;
        QTEST(SimulationEnd(plan), "end");
    }

    // A recorded answer of the simulator, cut down to a few vehicles: JCT #1 to #6 at 60 s
    // cycles, 400 veh/hr southbound at 45 mph, 900 veh/hr northbound at 35 mph, JCT #4 at 60 %
    // red. s.3.1 and n.3.1 entered half a second late; s.3.0 and s.3.1 stopped at JCT #2 to
    // #6, n.3.1 and n.3.2 at JCT #4 (lane n5_0); n.2.0 is of a warm-up cycle. s.3.2 is taken
    // from the same run stopped at 400 s: still on its way, 45.17 s lost by then, stopped at
    // JCT #3 and #4. Northbound the detectors see JCT #4's queue grow by about 6 vehicles a
    // cycle and then JCT #5's as it reaches back; southbound JCT #4 swings by a vehicle.
    void readsRecordedAnswer() {
        ArterialPlan plan;
        for (int k = 1; k <= JunctionCount; ++k) {
            plan.Signals[k] = {60, 0, {18, 36, 6}, 30, 60};
        }
        plan.Signals[4] = {60, 0, {36, 18, 6}, 60, 30};
        plan.SpanPixels = {{17, 70, 70, 70, 70, 70, 17}};
        plan.SouthSpeedMph = 45;
        plan.NorthSpeedMph = 35;
        plan.SouthVolume = 400;
        plan.NorthVolume = 900;
        const QString folder = QFINDTESTDATA("data/sumo-answer");
        QVERIFY(!folder.isEmpty());
        QString error;
        const std::optional<SimulationFigures> figures = TSumoRun::ReadAnswer(plan, folder, error);
        QVERIFY2(figures, qPrintable(error));
        const auto fixed = [](double value) { return QString::number(value, 'f', 3); };
        QCOMPARE(figures->SimulatedSeconds, 1200.0);
        const DirectionSimulation &south = figures->Southbound;
        QCOMPARE(south.Sent, 133); // 6.67 a cycle: 153 by cycle 23, 20 by cycle 3
        QCOMPARE(south.Vehicles, 3);
        QCOMPARE(south.Unfinished, 1);
        QCOMPARE(fixed(south.StopsPerVehicle), "4.000"); // (5 + 5 + 2) / 3
        // (80.30 + 79.64 + 0.50 + 45.17) / 3
        QCOMPARE(fixed(south.DelayPerVehicle), "68.537");
        QCOMPARE(south.GrowingAt, std::vector<std::int32_t>{});
        QCOMPARE(south.QueuesGrow, false);
        const DirectionSimulation &north = figures->Northbound;
        QCOMPARE(north.Sent, 300);
        QCOMPARE(north.Vehicles, 2);
        QCOMPARE(north.Unfinished, 0);
        QCOMPARE(fixed(north.StopsPerVehicle), "1.000");
        QCOMPARE(fixed(north.DelayPerVehicle), "138.655"); // (138.13 + 0.50 + 138.68) / 2
        QCOMPARE(north.GrowingAt, std::vector<std::int32_t>{4});
        QCOMPARE(north.QueuesGrow, true);
        // A cancelled run's reader ends without figures.
        const std::atomic<bool> stop{true};
        QVERIFY(!TSumoRun::ReadAnswer(plan, folder, error, &stop));
        QVERIFY2(error.contains("stopped"), qPrintable(error));
    }

    // The trend over the measured cycles at its bound: half a vehicle a cycle grows (7.5
    // vehicles from the first quarter to the last), a little less does not.
    void queueGrowth_data() {
        QTest::addColumn<QList<double>>("means");
        QTest::addColumn<bool>("grows");
        QList<double> half;
        QList<double> less;
        QList<double> swinging;
        for (int i = 0; i < MeasuredCycles; ++i) {
            half.append(10.0 + 0.5 * i);
            less.append(10.0 + 0.484375 * i);
            // Swings of 3 either way tilt the line by 30 / 665 of a vehicle a cycle.
            swinging.append(10.0 + 0.484375 * i + (i % 2 == 0 ? -3.0 : 3.0));
        }
        QTest::newRow("half a vehicle a cycle") << half << true;
        QTest::newRow("31/64 of a vehicle a cycle") << less << false;
        QTest::newRow("31/64 a cycle, swinging") << swinging << true;
        QTest::newRow("one cycle") << QList<double>{40.0} << false;
    }
    void queueGrowth() {
        QFETCH(QList<double>, means);
        QTEST(QueueGrows(std::vector<double>(means.begin(), means.end())), "grows");
    }

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
        REQUIRE_SUMO();
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
        const DirectionSimulation south = form.Document()->Simulation()->Runs.at(0).Southbound;
        qInfo("TimeSpace %s stops/veh; SUMO %.3f stops/veh, %.1f s delay/veh over %d vehicles "
              "(%d unfinished), growing at %s",
              qPrintable(form.ArtStops->Caption()), south.StopsPerVehicle, south.DelayPerVehicle,
              south.Vehicles, south.Unfinished,
              south.GrowingAt.empty() ? "none" : qPrintable(QString::number(south.GrowingAt[0])));
        QCOMPARE(south.Sent, vehicles);
        QCOMPARE(south.Vehicles, vehicles);
        QCOMPARE(south.Unfinished, 0);
        QCOMPARE(form.Document()->Simulation()->Runs.at(0).Northbound.Sent, 0);
        QCOMPARE(form.Document()->Simulation()->Runs.at(0).Northbound.Vehicles, 0);
        QCOMPARE(FMessages.size(), 1);
        QCOMPARE(FMessages[0].Kind, Prompts::MessageKind::Information);
        QVERIFY2(
            FMessages[0].Text.contains(
                QStringLiteral("Southbound: %1 vehicles entered; ").arg(vehicles)) &&
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
        REQUIRE_SUMO();
        TTimeSpaceForm form;
        FormDriver::SetDistinctTimings(form);
        form.RefreshTimeSpaceDiagram();
        QTemporaryDir folder;
        QString error;
        QVERIFY2(SumoScenario::Write(form.Document()->Plan(), folder.path(), {}, error),
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
        QTest::newRow("simulate") << "Simulate in SUMO...";
    }
    void missingSimulator() {
        QFETCH(QString, command);
        TTimeSpaceForm form;
        QTemporaryDir empty;
        const ProgramPath path(empty.path());
        const auto asked = Prompts::SetFileAnswerer(
            [](const Prompts::FileQuestion &) { return QStringLiteral("/nonexistent"); });
        QSignalSpy handed(form.Document(), &TArterialDocument::SimulationChanged);
        FormDriver::Command(form, command)->trigger();
        Prompts::SetFileAnswerer(asked);
        QCOMPARE(FMessages.size(), 1);
        QCOMPARE(FMessages[0].Kind, Prompts::MessageKind::Warning);
        QVERIFY(FMessages[0].Text.contains(QStringLiteral("sudo apt-get install sumo sumo-tools")));
        QVERIFY(form.findChild<QProgressDialog *>() == nullptr);
        QVERIFY(!handed.wait(200));
        QVERIFY(!form.Document()->Simulation());
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
        REQUIRE_SUMO();
        QFETCH(QByteArray, script);
        TTimeSpaceForm form;
        QTemporaryDir programs;
        LinkNetconvert(programs);
        WriteScript(programs.filePath(QStringLiteral("sumo")), script);
        const ProgramPath path(programs.path());
        SimulationFigures last;
        last.SimulatedSeconds = 1.0;
        form.Document()->SetSimulation({{}, {last}}, form.Document()->Plan());
        QSignalSpy handed(form.Document(), &TArterialDocument::SimulationChanged);
        StartSimulation(form);
        QTRY_COMPARE_WITH_TIMEOUT(FMessages.size(), 1, SimulationWait);
        QCOMPARE(FMessages[0].Kind, Prompts::MessageKind::Warning);
        QFETCH(QString, says);
        QVERIFY2(FMessages[0].Text.contains(says), qPrintable(FMessages[0].Text));
        QCOMPARE(handed.size(), 0);
        QCOMPARE(form.Document()->Simulation()->Runs.at(0).SimulatedSeconds, 1.0);
        QTRY_VERIFY(form.findChild<QProgressDialog *>() == nullptr);
    }

    // Two plans with the same seeds compare run by run: the difference's interval is narrow
    // where the plans' own intervals overlap; a run without vehicles on either side is left out.
    void pairedDifference() {
        SimulationSet current;
        SimulationSet proposed;
        const QList<double> before{1, 2, 3, 4, 5, 7};
        const QList<double> after{1.5, 2.4, 3.6, 4.5, 5.5, 0};
        for (qsizetype i = 0; i < before.size(); ++i) {
            SimulationFigures run;
            run.Northbound.Vehicles = 9;
            run.Northbound.DelayPerVehicle = before[i];
            current.Runs.push_back(run);
            run.Northbound.Vehicles = i + 1 < before.size() ? 9 : 0;
            run.Northbound.DelayPerVehicle = after[i];
            proposed.Runs.push_back(run);
        }
        const Spread d =
            DifferenceOf(current, proposed, false, &DirectionSimulation::DelayPerVehicle);
        QCOMPARE(d.Runs, 5);
        QCOMPARE(QString::number(d.Mean, 'f', 2), QStringLiteral("0.50"));
        QCOMPARE(SimulationText::Interval(d, 2), QStringLiteral("0.41 to 0.59"));
        QCOMPARE(DifferenceOf(current, proposed, true, &DirectionSimulation::DelayPerVehicle).Runs,
                 0);
    }

    // The command line's figures: over the green wave the diagram's platoons never stop, the
    // same volume arriving at random does, and the runs give their spread.
    void commandLine() {
        REQUIRE_SUMO();
        TTimeSpaceForm form;
        SetOffsets(form, {0, 42, 84, 11, 53, 95});
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 600);
        FormDriver::UserMovesTrackBar(form.BkMainRoadVol, 250);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("wave.json"));
        QVERIFY(form.Files()->SaveFile(path));

        const auto simulate = [&path](const QStringList &options) {
            const Ran ran = RunProgram(QStringList{"--simulate", path} + options);
            [&ran] { QVERIFY2(ran.Exit == 0, qPrintable(ran.Errors)); }();
            return QJsonDocument::fromJson(ran.Output)["simulation"].toObject();
        };
        const QJsonObject platoons = simulate({});
        QCOMPARE(platoons["runs"].toInt(), 1);
        QCOMPARE(platoons["southbound"]["stopsPerVehicle"]["mean"].toDouble(), 0.0);
        QVERIFY(!platoons["southbound"]["stopsPerVehicle"].toObject().contains("interval95"));

        const QJsonObject random = simulate({"--arrivals", "random", "--runs", "3"});
        QCOMPARE(random["arrivals"].toString(), QStringLiteral("random"));
        QCOMPARE(random["drivers"].toString(), QStringLiteral("diagram"));
        for (const char *direction : {"southbound", "northbound"}) {
            const QJsonObject d = random[direction].toObject();
            QCOMPARE(d["sent"].toInt(), platoons[direction]["sent"].toInt());
            const QJsonObject stops = d["stopsPerVehicle"].toObject();
            QVERIFY2(stops["mean"].toDouble() > 0.1, direction);
            const QJsonArray interval = stops["interval95"].toArray();
            QVERIFY(interval[0].toDouble() < stops["mean"].toDouble());
            QVERIFY(interval[1].toDouble() > stops["mean"].toDouble());
            QCOMPARE(d["runs"].toArray().size(), 3);
            QCOMPARE(d["runs"][2]["seed"].toInt(), 3);
            QCOMPARE(d["runs"][2]["vehicles"].toInt(), d["sent"].toInt());
        }
    }

    void commandLineRefusals_data() {
        QTest::addColumn<QStringList>("options"); // after --simulate FILE
        QTest::addColumn<int>("exit");
        // The simulator here fails at once: an accepted request ends with exit 1.
        QTest::newRow("100 runs") << QStringList{"--runs", "100"} << 1;
        QTest::newRow("101 runs") << QStringList{"--runs", "101"} << 2;
        QTest::newRow("1 run") << QStringList{"--runs", "1"} << 1;
        QTest::newRow("0 runs") << QStringList{"--runs", "0"} << 2;
        QTest::newRow("runs not a number") << QStringList{"--runs", "ten"} << 2;
        QTest::newRow("no such arrivals") << QStringList{"--arrivals", "poisson"} << 2;
        QTest::newRow("no such drivers") << QStringList{"--drivers", "bold"} << 2;
        QTest::newRow("typical drivers") << QStringList{"--drivers", "typical"} << 1;
        QTest::newRow("runs twice") << QStringList{"--runs", "2", "--runs", "3"} << 2;
        QTest::newRow("with a format") << QStringList{"--format", "csv"} << 2;
        QTest::newRow("with an evaluation") << QStringList{"--evaluate", "x.json"} << 2;
        QTest::newRow("no such file") << QStringList{"--missing"} << 1;
    }
    void commandLineRefusals() {
        QFETCH(QStringList, options);
        QTemporaryDir folder;
        QString path = folder.filePath(QStringLiteral("plan.json"));
        TTimeSpaceForm form;
        QVERIFY(form.Files()->SaveFile(path));
        if (options.removeAll(QStringLiteral("--missing")) > 0) {
            path = folder.filePath(QStringLiteral("none.json"));
        }
        WriteScript(folder.filePath(QStringLiteral("sumo")), "exit 3");
        WriteScript(folder.filePath(QStringLiteral("netconvert")), "exit 3");
        const ProgramPath programs(folder.path());
        const Ran ran = RunProgram(QStringList{"--simulate", path} + options);
        QFETCH(int, exit);
        QVERIFY2(ran.Exit == exit, qPrintable(ran.Errors));
        QVERIFY(ran.Output.isEmpty());
        // Without --simulate its options are a usage error too.
        if (options.size() == 2 && exit == 1) {
            QCOMPARE(RunProgram(QStringList{"--evaluate", path} + options).Exit, 2);
        }
    }

    // The optimiser's check runs both timings with the replications chosen for the simulation,
    // seed for seed.
    void optimiserCheckRunsTheSameSeeds() {
        REQUIRE_SUMO();
        TTimeSpaceForm form;
        QTemporaryDir programs;
        LinkNetconvert(programs);
        const QString log = programs.filePath(QStringLiteral("runs"));
        // Each run says where it ran with which seed and answers that no vehicle came.
        WriteScript(programs.filePath(QStringLiteral("sumo")),
                    "echo \"${PWD##*/} $(/bin/grep -o 'seed value=\"[0-9]*' arterial.sumocfg | "
                    "/bin/grep -o '[0-9]*$')\" >> " +
                        QFile::encodeName(log) +
                        "; echo '<tripinfos/>' > tripinfo.xml; echo '<fcd-export/>' > "
                        "speeds.xml; echo '<detector/>' > queues.xml");
        const ProgramPath path(programs.path());
        const SimulationChoice remembered = RememberedSimulationChoice();
        RememberedSimulationChoice() = {SimulatedArrivals::Random, SimulatedDrivers::Diagram, 2};
        FormDriver::Command(form, QStringLiteral("Optimise Timing..."))->trigger();
        auto *dialog = form.findChild<TOptimiseDialog *>();
        QVERIFY(dialog != nullptr);
        dialog->OptimiseButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialog->Result().has_value(), 60000);
        dialog->CheckButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(
            dialog->Status->text().startsWith(QStringLiteral("SUMO simulated")), SimulationWait);
        RememberedSimulationChoice() = remembered;
        QVERIFY2(dialog->Status->text().contains(QStringLiteral("2 runs (seeds 1 to 2)")),
                 qPrintable(dialog->Status->text()));
        QFile runs(log);
        QVERIFY(runs.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromLatin1(runs.readAll()).split('\n', Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines,
                 QStringList({"plan0-run1 1", "plan0-run2 2", "plan1-run1 1", "plan1-run2 2"}));
        dialog->close();
    }

    // Replications run two at a time under one progress, which follows the simulated time the
    // simulator has written (its step log reaches a pipe only in blocks); Cancel stops every
    // program at once and leaves the window as it was.
    void cancel() {
        REQUIRE_SUMO();
        TTimeSpaceForm form;
        QTemporaryDir programs;
        LinkNetconvert(programs);
        const QString pidFile = programs.filePath(QStringLiteral("pids"));
        WriteScript(programs.filePath(QStringLiteral("sumo")),
                    "echo $$ >> " + QFile::encodeName(pidFile) +
                        "; printf '<fcd-export>\\n<timestep time=\"40.00\">\\n' > speeds.xml"
                        "; exec /bin/sleep 60");
        const ProgramPath path(programs.path());
        QSignalSpy handed(form.Document(), &TArterialDocument::SimulationChanged);
        // Random arrivals: ten runs are offered.
        FormDriver::Command(form, QStringLiteral("Simulate in SUMO..."))->trigger();
        QRadioButton *random = nullptr;
        for (QRadioButton *button : form.findChildren<QRadioButton *>()) {
            if (button->text().contains(QStringLiteral("Random arrivals"))) {
                random = button;
            }
        }
        QVERIFY(random != nullptr);
        random->click();
        QCOMPARE(form.findChild<QSpinBox *>()->value(), 10);
        form.findChild<QPushButton *>(QStringLiteral("SimulateButton"))->click();
        QPointer<QProgressDialog> dialog;
        QTRY_VERIFY((dialog = form.findChild<QProgressDialog *>()) != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(dialog && dialog->value() > 0, SimulationWait);
        const auto processes = [&pidFile] {
            QFile pids(pidFile);
            QStringList running;
            if (pids.open(QIODevice::ReadOnly)) {
                for (const QByteArray &pid : pids.readAll().split('\n')) {
                    if (!pid.isEmpty()) {
                        running << QStringLiteral("/proc/") + QString::fromLatin1(pid);
                    }
                }
            }
            return running;
        };
        QTRY_COMPARE_WITH_TIMEOUT(processes().size(), 2, SimulationWait);
        // A third waits for one of the two to finish.
        QTest::qWait(300);
        QCOMPARE(processes().size(), 2);
        QCOMPARE(dialog->value(),
                 static_cast<int>(
                     std::lround(1000.0 * 2 * 40.0 / SimulationEnd(form.Document()->Plan()) / 10)));
        for (const QString &process : processes()) {
            QVERIFY2(QFile::exists(process) && !IsZombie(process), qPrintable(process));
        }
        QPushButton *button = dialog->findChild<QPushButton *>();
        QVERIFY(button != nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        for (const QString &process : processes()) {
            QTRY_VERIFY(!QFile::exists(process) || IsZombie(process));
        }
        QTRY_VERIFY(form.findChild<QProgressDialog *>() == nullptr);
        QTest::qWait(300);
        QCOMPARE(processes().size(), 2);
        QCOMPARE(handed.size(), 0);
        QVERIFY(!form.Document()->Simulation());
        QCOMPARE(FMessages.size(), 0);
    }
};

QTEST_MAIN(tst_Sumo)
#include "tst_Sumo.moc"
