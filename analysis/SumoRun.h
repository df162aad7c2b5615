#pragma once

#include "model/SimulationFigures.h"
#include "model/SumoPlan.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>

class QProcess;
class QThread;
class QTimer;

// One run of the traffic simulator on the arterial, in the background: the scenario is
// written, the network builder and then the simulator run as programs (never through a shell),
// and their answer is read into the simulation's figures. Nothing here waits for a program:
// every step follows from the previous program's finish, so the window stays responsive and
// a run can be cancelled at any time.
class TSumoRun : public QObject {
    Q_OBJECT

  public:
    explicit TSumoRun(QObject *Parent = nullptr);
    ~TSumoRun() override;

    // The program's path on PATH, or empty.
    static QString FindProgram(const QString &Name);
    // How to install the programs of Names that are missing; empty when all are found.
    static QString MissingProgramsText(const QStringList &Names);

    // Writes the scenario into Folder and builds its network; with Simulate it then runs the
    // simulator and reads what it found. Finished follows in every case, never before Start
    // returns, unless the run is cancelled.
    void Start(const ArterialPlan &Plan, const QString &Folder, bool Simulate,
               const SumoRunOptions &Options = {});
    // Stops the program running, if any; no Finished follows.
    void Cancel();
    bool Running() const { return FStage != Stage::Idle; }

    // The longest a program may take before it counts as hung (5 minutes unless set).
    void SetTimeLimit(int Milliseconds) { FTimeLimit = Milliseconds; }

    const SimulationFigures &Figures() const { return FFigures; }
    // The arterial the last run was started for.
    const ArterialPlan &Plan() const { return FPlan; }

    // The simulator's answer for Plan in Folder (its trip, speed and queue files), or nothing
    // with the reason in Error.
    // Stop, when given and set, ends the reading early (with an error). With Traces the
    // vehicles' paths along the arterial are kept as well.
    static std::optional<SimulationFigures> ReadAnswer(const ArterialPlan &Plan,
                                                       const QString &Folder, QString &Error,
                                                       const std::atomic<bool> *Stop = nullptr,
                                                       bool Traces = false);
    QString ErrorText() const { return FError; }

  signals:
    // The simulated time reached, of EndSeconds, several times a second while it advances.
    void Progress(double SimulatedSeconds, double EndSeconds);
    void Finished(bool Succeeded);

  private:
    enum class Stage { Idle, Building, Simulating, Reading };

    void Launch(Stage Next, const QString &Name, const QStringList &Arguments);
    void ProgramFinished(int ExitCode, bool Crashed);
    void ReadStepLog();
    void PollProgress();
    void Reached(double Seconds);
    // The answer can run to many megabytes: it is read on a thread of its own.
    void StartReading();
    void Fail(const QString &Text);
    void Succeed();
    void StopProcess();

    Stage FStage = Stage::Idle;
    ArterialPlan FPlan;
    QString FFolder;
    bool FSimulate = false;
    SumoRunOptions FOptions;
    QProcess *FProcess = nullptr;
    QTimer *FWatchdog = nullptr;
    QTimer *FProgressPoll = nullptr;
    QThread *FReader = nullptr;
    std::shared_ptr<std::atomic<bool>> FStopReading;
    double FReached = 0.0;
    int FTimeLimit = 5 * 60 * 1000;
    QString FProgramName;
    QByteArray FLogTail;
    double FEnd = 0.0;
    SimulationFigures FFigures;
    QString FError;
};
