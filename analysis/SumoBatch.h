#pragma once

#include "model/SimulationFigures.h"
#include "model/SumoPlan.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QTemporaryDir;
class TSumoRun;

// Replications of one or more arterials in the traffic simulator: every plan is run once per
// seed, at most two runs at a time (one per core of a small machine), each in a folder of its
// own that goes as soon as its answer is read. One progress covers them all; Cancel stops every
// program at once. A run that fails ends the batch.
class TSumoBatch : public QObject {
    Q_OBJECT

  public:
    explicit TSumoBatch(QObject *Parent = nullptr);
    ~TSumoBatch() override;

    // Runs each plan Choice.Runs times, with the seeds 1, 2, ...; with Traces the vehicles'
    // paths of the first TracedRuns runs are kept. Finished follows in every case, never before
    // Start returns, unless the batch is cancelled.
    void Start(const std::vector<ArterialPlan> &Plans, const SimulationChoice &Choice, bool Traces);
    void Cancel();
    bool Running() const { return FRunning; }

    // Runs at the same time (2 unless set; at least 1).
    void SetParallel(int Runs);
    // The longest one program may take (passed on to every run).
    void SetTimeLimit(int Milliseconds) { FTimeLimit = Milliseconds; }

    // Per plan, in the order given, the replications in seed order.
    const std::vector<SimulationSet> &Results() const { return FResults; }
    QString ErrorText() const { return FError; }

  signals:
    // The share of all the batch's simulated time done, and the runs finished of all.
    void Progress(double Share, int RunsDone, int RunsAll);
    void Finished(bool Succeeded);

  private:
    struct Job {
        std::size_t Plan = 0;
        std::int32_t Run = 0;
        double Done = 0.0; // share of its simulated time
        TSumoRun *Runner = nullptr;
    };
    QString JobFolder(const Job &Job) const;
    void StartNext();
    void JobFinished(std::size_t Index, bool Ok);
    void Report();
    void StopAll();

    std::vector<ArterialPlan> FPlans;
    SimulationChoice FChoice;
    bool FTraces = false;
    int FParallel = 2;
    int FTimeLimit = 5 * 60 * 1000;
    std::vector<Job> FJobs;
    std::size_t FNext = 0;
    int FActive = 0;
    int FFinished = 0;
    bool FRunning = false;
    std::unique_ptr<QTemporaryDir> FFolder;
    std::vector<SimulationSet> FResults;
    QString FError;
};

// The arrivals, drivers and runs last chosen for a simulation; the optimiser's check in SUMO
// runs the same. Kept until the program ends, never written anywhere.
SimulationChoice &RememberedSimulationChoice();
