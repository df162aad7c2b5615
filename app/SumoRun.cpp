#include "app/SumoRun.h"

#include "app/SumoScenario.h"

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
#include <QTimer>
#include <QXmlStreamReader>

TSumoRun::TSumoRun(QObject *Parent) : QObject(Parent) {
    FWatchdog = new QTimer(this);
    FWatchdog->setSingleShot(true);
    connect(FWatchdog, &QTimer::timeout, this, [this] {
        Fail(QStringLiteral("%1 did not finish within %2 s and was stopped.")
                 .arg(FProgramName)
                 .arg(FTimeLimit / 1000));
    });
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
    return QStringLiteral("The traffic simulator SUMO is needed for this command, but %1 was not "
                          "found on the program path.\n\nInstall it with:\n    sudo apt-get "
                          "install sumo sumo-tools")
        .arg(missing.join(QStringLiteral(" and ")));
}

void TSumoRun::Start(const ArterialPlan &Plan, const QString &Folder, bool Simulate) {
    StopProcess();
    FPlan = Plan;
    FFolder = Folder;
    FSimulate = Simulate;
    FFigures = {};
    FError.clear();
    FEnd = SimulationEnd(Plan);
    FStage = Stage::Building;
    QString error;
    if (!SumoScenario::Write(Plan, Folder, error)) {
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
        double reached = -1.0;
        while (it.hasNext()) {
            reached = it.next().captured(1).toDouble();
        }
        if (reached >= 0.0) {
            emit Progress(reached, FEnd);
        }
    }
    if (FLogTail.size() > 4000) {
        FLogTail = FLogTail.right(2000);
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
    emit Progress(FEnd, FEnd);
    if (ReadAnswer()) {
        Succeed();
    }
}

bool TSumoRun::ReadAnswer() {
    FFigures.SimulatedSeconds = MeasurementEnd(FPlan) - MeasurementStart(FPlan);
    return ReadTrips() && ReadQueues();
}

namespace {
// Reads the file's elements called Element, handing each one's attributes on; the reason
// why not when the file cannot be opened or is not well formed.
template <typename Handle>
QString ReadElements(const QString &Path, QLatin1StringView Element, QLatin1StringView Root,
                     Handle Handler) {
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
        if (xml.name() == Root) {
            rooted = true;
        } else if (xml.name() == Element) {
            Handler(xml.attributes());
        }
    }
    if (xml.hasError() || !rooted) {
        return QStringLiteral("%1 is not the simulator's output: %2")
            .arg(Path, xml.hasError() ? xml.errorString() : QStringLiteral("no %1").arg(Root));
    }
    return {};
}
} // namespace

bool TSumoRun::ReadTrips() {
    // The completed trips of the main road's platoons of the measured cycles; crossroad #2's
    // traffic only shapes the queues they meet.
    struct Trip {
        bool Southbound;
        TripRecord Record;
        QSet<QString> HaltedOn; // approaches where the vehicle came to a standstill
    };
    QHash<QString, Trip> trips;
    QString error = ReadElements(QDir(FFolder).filePath(QLatin1StringView(SumoScenario::TripFile)),
                                 QLatin1StringView("tripinfo"), QLatin1StringView("tripinfos"),
                                 [&](const QXmlStreamAttributes &a) {
                                     const QString id = a.value(QLatin1StringView("id")).toString();
                                     const std::optional<MainRoadVehicle> vehicle =
                                         ParseVehicleId(id.toStdString());
                                     if (!vehicle || vehicle->Cycle < WarmUpCycles ||
                                         vehicle->Cycle >= WarmUpCycles + MeasuredCycles) {
                                         return;
                                     }
                                     Trip trip{vehicle->Southbound, {}, {}};
                                     trip.Record.TimeLoss =
                                         a.value(QLatin1StringView("timeLoss")).toDouble() +
                                         a.value(QLatin1StringView("departDelay")).toDouble();
                                     trips.insert(id, trip);
                                 });
    if (error.isEmpty()) {
        error = ReadElements(
            QDir(FFolder).filePath(QLatin1StringView(SumoScenario::SpeedFile)),
            QLatin1StringView("vehicle"), QLatin1StringView("fcd-export"),
            [&](const QXmlStreamAttributes &a) {
                if (a.value(QLatin1StringView("speed")).toDouble() >= HaltingSpeed) {
                    return;
                }
                const auto trip = trips.find(a.value(QLatin1StringView("id")).toString());
                if (trip != trips.end()) {
                    trip->HaltedOn.insert(a.value(QLatin1StringView("lane")).toString());
                }
            });
    }
    if (!error.isEmpty()) {
        Fail(error);
        return false;
    }
    std::vector<TripRecord> south;
    std::vector<TripRecord> north;
    for (Trip &trip : trips) {
        trip.Record.Stops = static_cast<std::int32_t>(trip.HaltedOn.size());
        (trip.Southbound ? south : north).push_back(trip.Record);
    }
    FFigures.Southbound = SummariseTrips(south);
    FFigures.Northbound = SummariseTrips(north);
    return true;
}

bool TSumoRun::ReadQueues() {
    const double from = MeasurementStart(FPlan);
    const double to = MeasurementEnd(FPlan);
    PerJunction<std::vector<double>> south;
    PerJunction<std::vector<double>> north;
    const QString error =
        ReadElements(QDir(FFolder).filePath(QLatin1StringView(SumoScenario::QueueFile)),
                     QLatin1StringView("interval"), QLatin1StringView("detector"),
                     [&](const QXmlStreamAttributes &a) {
                         const double begin = a.value(QLatin1StringView("begin")).toDouble();
                         const double end = a.value(QLatin1StringView("end")).toDouble();
                         // "q.s.3": the southbound approach of JCT #3.
                         const QStringList id =
                             a.value(QLatin1StringView("id")).toString().split('.');
                         const int k = id.size() == 3 ? id[2].toInt() : 0;
                         if (begin >= from && end <= to && k >= 1 && k <= JunctionCount) {
                             (id[1] == QLatin1StringView("s") ? south : north)[k].push_back(
                                 a.value(QLatin1StringView("meanVehicleNumber")).toDouble());
                         }
                     });
    if (!error.isEmpty()) {
        Fail(error);
        return false;
    }
    FFigures.Southbound.GrowingAt = GrowingQueues(south, true);
    FFigures.Southbound.QueuesGrow = !FFigures.Southbound.GrowingAt.empty();
    FFigures.Northbound.GrowingAt = GrowingQueues(north, false);
    FFigures.Northbound.QueuesGrow = !FFigures.Northbound.GrowingAt.empty();
    return true;
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
