#include "analysis/SumoRun.h"

#include "analysis/SumoScenario.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMetaObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QXmlStreamReader>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>

#include <csignal>
#endif

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <utility>

TSumoRun::TSumoRun(QObject *Parent) : QObject(Parent) {
    FWatchdog = new QTimer(this);
    FWatchdog->setSingleShot(true);
    connect(FWatchdog, &QTimer::timeout, this, [this] {
        Fail(QStringLiteral("%1 did not finish within %2 s and was stopped.")
                 .arg(FProgramName)
                 .arg(FTimeLimit / 1000));
    });
    // The simulator's step log reaches a pipe in blocks of some kilobytes, often only at its
    // end; the speed file it writes every step shows the simulated time as it advances.
    FProgressPoll = new QTimer(this);
    FProgressPoll->setInterval(150);
    connect(FProgressPoll, &QTimer::timeout, this, &TSumoRun::PollProgress);
}

TSumoRun::~TSumoRun() {
    StopProcess();
}

QString TSumoRun::FindProgram(const QString &Name) {
    return QStandardPaths::findExecutable(Name);
}

QString TSumoRun::MissingProgramsText(const QStringList &Names) {
    QStringList missing;
    for (const QString &name : Names) {
        if (FindProgram(name).isEmpty()) {
            missing << name;
        }
    }
    if (missing.isEmpty()) {
        return {};
    }
    return QStringLiteral("The traffic simulator SUMO is needed for this command, but %1 %2 not "
                          "found on the program path.\n\nInstall it with:\n    sudo apt-get "
                          "install sumo sumo-tools")
        .arg(missing.join(QStringLiteral(" and ")),
             missing.size() == 1 ? QStringLiteral("was") : QStringLiteral("were"));
}

void TSumoRun::Start(const ArterialPlan &Plan, const QString &Folder, bool Simulate,
                     const SumoRunOptions &Options) {
    StopProcess();
    FPlan = Plan;
    FFolder = Folder;
    FSimulate = Simulate;
    FOptions = Options;
    FFigures = {};
    FError.clear();
    FEnd = SimulationEnd(Plan);
    FStage = Stage::Building;
    QString error;
    if (!SumoScenario::Write(Plan, Folder, Options, error)) {
        // Reported from the event loop, as every other outcome is.
        QMetaObject::invokeMethod(
            this, [this, error] { Fail(QStringLiteral("The scenario was not written: ") + error); },
            Qt::QueuedConnection);
        return;
    }
    Launch(Stage::Building, QStringLiteral("netconvert"), SumoScenario::NetconvertArguments());
}

void TSumoRun::Launch(Stage Next, const QString &Name, const QStringList &Arguments) {
    FStage = Next;
    FProgramName = Name;
    FLogTail.clear();
    const QString program = FindProgram(Name);
    if (program.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this] { Fail(MissingProgramsText({FProgramName})); }, Qt::QueuedConnection);
        return;
    }
    FProcess = new QProcess(this);
    FProcess->setWorkingDirectory(FFolder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("SUMO_HOME"))) {
        // The programs find their data through it; the packaged layout keeps it beside bin/.
        const QDir share(QFileInfo(program).absolutePath() + QStringLiteral("/../share/sumo"));
        if (share.exists()) {
            environment.insert(QStringLiteral("SUMO_HOME"), share.canonicalPath());
        }
    }
    FProcess->setProcessEnvironment(environment);
#ifdef Q_OS_LINUX
    // A program killed or crashed leaves no simulator running behind it: the child goes with
    // the thread that started it (this one, the event loop's).
    FProcess->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
    FProcess->setProcessChannelMode(QProcess::MergedChannels);
    connect(FProcess, &QProcess::readyReadStandardOutput, this, &TSumoRun::ReadStepLog);
    connect(FProcess, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        ProgramFinished(code, status == QProcess::CrashExit);
    });
    connect(FProcess, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        // A crash also ends in finished(); only a program that never ran is reported here.
        if (error == QProcess::FailedToStart) {
            Fail(QStringLiteral("%1 could not be started: %2")
                     .arg(FProgramName, FProcess->errorString()));
        }
    });
    FWatchdog->start(FTimeLimit);
    if (Next == Stage::Simulating) {
        FReached = 0.0;
        FProgressPoll->start();
    }
    FProcess->start(program, Arguments);
}

void TSumoRun::ReadStepLog() {
    if (FProcess == nullptr) {
        return;
    }
    // The simulator rewrites one line ("Step #120.00 ...\r"); the tail keeps what the last
    // read left unfinished and the last lines for an error report.
    FLogTail += FProcess->readAllStandardOutput();
    if (FStage == Stage::Simulating) {
        static const QRegularExpression step(QStringLiteral("Step #(\\d+(?:\\.\\d+)?)"));
        QRegularExpressionMatchIterator it = step.globalMatch(QString::fromLatin1(FLogTail));
        while (it.hasNext()) {
            Reached(it.next().captured(1).toDouble());
        }
    }
    if (FLogTail.size() > 4000) {
        FLogTail = FLogTail.right(2000);
    }
}

void TSumoRun::PollProgress() {
    QFile speeds(QDir(FFolder).filePath(QLatin1StringView(SumoScenario::SpeedFile)));
    if (FStage != Stage::Simulating || !speeds.open(QIODevice::ReadOnly)) {
        return;
    }
    // The last step begun: '<timestep time="1234.00">' near the file's end. A busy step
    // writes a line per vehicle, so the tail read grows until it holds the tag.
    static const QByteArray Step = QByteArrayLiteral("<timestep time=\"");
    constexpr qint64 MostRead = 4 * 1024 * 1024;
    const qint64 size = speeds.size();
    for (qint64 length = 4096;; length *= 4) {
        const qint64 from = std::max<qint64>(0, size - length);
        speeds.seek(from);
        const QByteArray tail = speeds.read(size - from);
        const qsizetype at = tail.lastIndexOf(Step);
        const qsizetype close = at < 0 ? -1 : tail.indexOf('"', at + Step.size());
        if (close > at) {
            bool ok = false;
            const double seconds =
                tail.mid(at + Step.size(), close - at - Step.size()).toDouble(&ok);
            if (ok) {
                Reached(seconds);
            }
            return;
        }
        if (from == 0 || length >= MostRead) {
            return;
        }
    }
}

void TSumoRun::Reached(double Seconds) {
    if (Seconds > FReached) {
        FReached = Seconds;
        emit Progress(Seconds, FEnd);
    }
}

void TSumoRun::ProgramFinished(int ExitCode, bool Crashed) {
    if (FProcess == nullptr) {
        return;
    }
    FWatchdog->stop();
    ReadStepLog();
    const QString log = QString::fromLocal8Bit(FLogTail).replace(QLatin1Char('\r'), '\n').trimmed();
    FProcess->deleteLater();
    FProcess = nullptr;
    if (Crashed || ExitCode != 0) {
        QString text =
            Crashed ? QStringLiteral("%1 crashed.").arg(FProgramName)
                    : QStringLiteral("%1 failed (exit code %2).").arg(FProgramName).arg(ExitCode);
        if (!log.isEmpty()) {
            text += QStringLiteral("\n\n") + log.right(600);
        }
        Fail(text);
        return;
    }
    if (FStage == Stage::Building) {
        if (!QFileInfo::exists(QDir(FFolder).filePath(SumoScenario::FileName(".net.xml")))) {
            Fail(QStringLiteral("netconvert wrote no network."));
        } else if (FSimulate) {
            Launch(Stage::Simulating, QStringLiteral("sumo"), SumoScenario::SumoArguments(100));
        } else {
            Succeed();
        }
        return;
    }
    FProgressPoll->stop();
    Reached(FEnd);
    StartReading();
}

void TSumoRun::StartReading() {
    FStage = Stage::Reading;
    struct Answer {
        std::optional<SimulationFigures> Figures;
        QString Error;
    };
    const auto answer = std::make_shared<Answer>();
    FStopReading = std::make_shared<std::atomic<bool>>(false);
    FReader = QThread::create(
        [plan = FPlan, folder = FFolder, stop = FStopReading, answer, options = FOptions] {
            answer->Figures = ReadAnswer(plan, folder, answer->Error, stop.get(), options.Traces);
            if (answer->Figures) {
                answer->Figures->Seed = options.Seed;
            }
        });
    connect(FReader, &QThread::finished, this, [this, answer] {
        FReader->deleteLater();
        FReader = nullptr;
        if (FStage != Stage::Reading) {
            return;
        }
        if (!answer->Figures) {
            Fail(answer->Error);
            return;
        }
        FFigures = *answer->Figures;
        Succeed();
    });
    FReader->start();
}

namespace {
// Reads the file's elements called Element, handing each one's attributes on; the reason
// why not when the file cannot be opened or is not well formed.
// Step, when given, is handed each <timestep>'s attributes before the elements within it.
template <typename Handle, typename StepHandle = std::nullptr_t>
QString ReadElements(const QString &Path, QLatin1StringView Element, QLatin1StringView Root,
                     Handle Handler, const std::atomic<bool> *Stop = nullptr,
                     StepHandle Step = nullptr) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("%1 cannot be read: %2").arg(Path, file.errorString());
    }
    QXmlStreamReader xml(&file);
    bool rooted = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (Stop != nullptr && Stop->load(std::memory_order_relaxed)) {
            return QStringLiteral("The reading of %1 was stopped.").arg(Path);
        }
        if (xml.name() == Root) {
            rooted = true;
        } else if (xml.name() == Element) {
            Handler(xml.attributes());
        } else if constexpr (!std::is_same_v<StepHandle, std::nullptr_t>) {
            if (xml.name() == QLatin1StringView("timestep")) {
                Step(xml.attributes());
            }
        }
    }
    if (xml.hasError() || !rooted) {
        return QStringLiteral("%1 is not the simulator's output: %2")
            .arg(Path, xml.hasError() ? xml.errorString() : QStringLiteral("no %1").arg(Root));
    }
    return {};
}

double Number(const QXmlStreamAttributes &Attributes, const char *Name) {
    return Attributes.value(QLatin1StringView(Name)).toDouble();
}

bool Measured(const MainRoadVehicle &Vehicle) {
    return Vehicle.Cycle >= WarmUpCycles && Vehicle.Cycle < WarmUpCycles + MeasuredCycles;
}

// The trips of the main road's platoons of the measured cycles, finished or not; crossroad
// #2's traffic only shapes the queues they meet.
QString ReadTrips(const ArterialPlan &Plan, const QDir &Folder, SimulationFigures &Figures,
                  QHash<QString, std::pair<bool, TripRecord>> &Trips) {
    const QString error = ReadElements(
        Folder.filePath(QLatin1StringView(SumoScenario::TripFile)), QLatin1StringView("tripinfo"),
        QLatin1StringView("tripinfos"), [&](const QXmlStreamAttributes &a) {
            const QString id = a.value(QLatin1StringView("id")).toString();
            const std::optional<MainRoadVehicle> vehicle = ParseVehicleId(id.toStdString());
            if (!vehicle || !Measured(*vehicle)) {
                return;
            }
            TripRecord trip;
            // The wait to enter is delay as much as any wait on the arterial. A vehicle the
            // run stopped on its way has an arrival of -1 and the loss it had by then; one
            // still waiting to enter has only its wait.
            trip.TimeLoss = Number(a, "timeLoss") + Number(a, "departDelay");
            trip.Arrived = Number(a, "arrival") >= 0.0;
            Trips.insert(id, {vehicle->Southbound, trip});
        });
    std::int32_t sentSouth = 0;
    std::int32_t sentNorth = 0;
    for (const MainRoadVehicle &vehicle : MainRoadVehicles(Plan)) {
        if (Measured(vehicle)) {
            ++(vehicle.Southbound ? sentSouth : sentNorth);
        }
    }
    Figures.Southbound.Sent = sentSouth;
    Figures.Northbound.Sent = sentNorth;
    return error;
}

// The approaches where each measured vehicle came to a standstill, from every vehicle's speed
// and lane at every second; with Traces, every vehicle's path along the arterial too.
QString ReadStops(const ArterialPlan &Plan, const QDir &Folder, SimulationFigures &Figures,
                  const QHash<QString, std::pair<bool, TripRecord>> &Trips,
                  const std::atomic<bool> *Stop, bool Traces) {
    QHash<QString, QSet<QString>> haltedOn;
    PerLink<double> lengths{};
    for (int k = 1; k <= LinkCount; ++k) {
        lengths[k] = LinkMetres(Plan, k);
    }
    std::optional<TraceRecorder> recorder;
    if (Traces) {
        recorder.emplace(lengths, MostTracePoints);
    }
    double now = 0.0;
    const QString error = ReadElements(
        Folder.filePath(QLatin1StringView(SumoScenario::SpeedFile)), QLatin1StringView("vehicle"),
        QLatin1StringView("fcd-export"),
        [&](const QXmlStreamAttributes &a) {
            const QString id = a.value(QLatin1StringView("id")).toString();
            if (Number(a, "speed") < HaltingSpeed && Trips.contains(id)) {
                haltedOn[id].insert(a.value(QLatin1StringView("lane")).toString());
            }
            if (recorder) {
                recorder->Add(id.toStdString(),
                              a.value(QLatin1StringView("lane")).toString().toStdString(), now,
                              Number(a, "pos"));
            }
        },
        Stop, [&now](const QXmlStreamAttributes &a) { now = Number(a, "time"); });
    if (!error.isEmpty()) {
        return error;
    }
    if (recorder) {
        Figures.Traces = std::make_shared<const SimulatedTraces>(recorder->Take());
    }
    std::vector<TripRecord> south;
    std::vector<TripRecord> north;
    for (auto trip = Trips.begin(); trip != Trips.end(); ++trip) {
        TripRecord record = trip->second;
        record.Stops = static_cast<std::int32_t>(haltedOn.value(trip.key()).size());
        (trip->first ? south : north).push_back(record);
    }
    Figures.Southbound = SummariseTrips(south, Figures.Southbound.Sent);
    Figures.Northbound = SummariseTrips(north, Figures.Northbound.Sent);
    return {};
}

// The vehicles on each approach, averaged over each of its junction's measured cycles.
QString ReadQueues(const ArterialPlan &Plan, const QDir &Folder, SimulationFigures &Figures) {
    const double from = MeasurementStart(Plan);
    const double to = MeasurementEnd(Plan);
    PerJunction<std::vector<double>> south;
    PerJunction<std::vector<double>> north;
    const QString error = ReadElements(
        Folder.filePath(QLatin1StringView(SumoScenario::QueueFile)), QLatin1StringView("interval"),
        QLatin1StringView("detector"), [&](const QXmlStreamAttributes &a) {
            // "q.s.3": the southbound approach of JCT #3.
            const QStringList id = a.value(QLatin1StringView("id")).toString().split('.');
            const int k = id.size() == 3 ? id[2].toInt() : 0;
            if (Number(a, "begin") >= from && Number(a, "end") <= to && k >= 1 &&
                k <= JunctionCount) {
                (id[1] == QLatin1StringView("s") ? south : north)[k].push_back(
                    Number(a, "meanVehicleNumber"));
            }
        });
    if (!error.isEmpty()) {
        return error;
    }
    Figures.Southbound.GrowingAt = GrowingQueues(south, true);
    Figures.Southbound.QueuesGrow = !Figures.Southbound.GrowingAt.empty();
    Figures.Northbound.GrowingAt = GrowingQueues(north, false);
    Figures.Northbound.QueuesGrow = !Figures.Northbound.GrowingAt.empty();
    return {};
}
} // namespace

std::optional<SimulationFigures> TSumoRun::ReadAnswer(const ArterialPlan &Plan,
                                                      const QString &Folder, QString &Error,
                                                      const std::atomic<bool> *Stop, bool Traces) {
    SimulationFigures figures;
    figures.SimulatedSeconds = MeasurementEnd(Plan) - MeasurementStart(Plan);
    figures.StoppedAt = SimulationEnd(Plan);
    const QDir folder(Folder);
    QHash<QString, std::pair<bool, TripRecord>> trips; // southbound, and the trip
    Error = ReadTrips(Plan, folder, figures, trips);
    if (Error.isEmpty()) {
        Error = ReadStops(Plan, folder, figures, trips, Stop, Traces);
    }
    if (Error.isEmpty()) {
        Error = ReadQueues(Plan, folder, figures);
    }
    if (!Error.isEmpty()) {
        return std::nullopt;
    }
    return figures;
}

void TSumoRun::Fail(const QString &Text) {
    if (FStage == Stage::Idle) {
        return;
    }
    StopProcess();
    FError = Text;
    emit Finished(false);
}

void TSumoRun::Succeed() {
    FStage = Stage::Idle;
    emit Finished(true);
}

void TSumoRun::Cancel() {
    StopProcess();
}

void TSumoRun::StopProcess() {
    FStage = Stage::Idle;
    FWatchdog->stop();
    FProgressPoll->stop();
    if (FReader != nullptr) {
        // The reader looks at the flag between elements, so it ends at once.
        FStopReading->store(true);
        FReader->disconnect(this);
        FReader->wait();
        delete FReader;
        FReader = nullptr;
    }
    if (FProcess == nullptr) {
        return;
    }
    // Killed without waiting: the process object goes once the program has ended (or with
    // the run, whichever comes first).
    QProcess *process = FProcess;
    FProcess = nullptr;
    process->disconnect(this);
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
    } else {
        process->kill();
    }
}
