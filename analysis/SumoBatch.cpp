#include "analysis/SumoBatch.h"

#include "analysis/SumoRun.h"

#include <QDir>
#include <QMetaObject>
#include <QTemporaryDir>

#include <algorithm>

TSumoBatch::TSumoBatch(QObject *Parent) : QObject(Parent) {}

TSumoBatch::~TSumoBatch() {
    StopAll();
}

void TSumoBatch::SetParallel(int Runs) {
    FParallel = std::max(Runs, 1);
}

void TSumoBatch::Start(const std::vector<ArterialPlan> &Plans, const SimulationChoice &Choice,
                       bool Traces) {
    StopAll();
    FPlans = Plans;
    FChoice = Choice;
    FChoice.Runs = std::clamp(Choice.Runs, 1, MostRuns);
    FTraces = Traces;
    FJobs.clear();
    FResults.assign(Plans.size(), SimulationSet{FChoice, {}});
    for (SimulationSet &set : FResults) {
        set.Runs.resize(static_cast<std::size_t>(FChoice.Runs));
    }
    // Run by run, both plans of a run together: a cancelled comparison has like against like.
    for (std::int32_t run = 0; run < FChoice.Runs; ++run) {
        for (std::size_t plan = 0; plan < Plans.size(); ++plan) {
            FJobs.push_back({plan, run, 0.0, nullptr});
        }
    }
    FNext = 0;
    FActive = 0;
    FFinished = 0;
    FError.clear();
    FRunning = true;
    FFolder = std::make_unique<QTemporaryDir>();
    if (!FFolder->isValid() || FJobs.empty()) {
        const QString problem =
            FJobs.empty()
                ? QStringLiteral("There is nothing to simulate.")
                : QStringLiteral("No temporary folder for the scenario: ") + FFolder->errorString();
        // Reported from the event loop, as every other outcome is.
        QMetaObject::invokeMethod(
            this,
            [this, problem] {
                StopAll();
                FError = problem;
                emit Finished(false);
            },
            Qt::QueuedConnection);
        return;
    }
    while (FActive < FParallel && FNext < FJobs.size()) {
        StartNext();
    }
}

QString TSumoBatch::JobFolder(const Job &Job) const {
    return QDir(FFolder->path())
        .filePath(QStringLiteral("plan%1-run%2").arg(Job.Plan).arg(Job.Run + 1));
}

void TSumoBatch::StartNext() {
    const std::size_t index = FNext++;
    Job &job = FJobs[index];
    auto *runner = new TSumoRun(this);
    runner->SetTimeLimit(FTimeLimit);
    job.Runner = runner;
    ++FActive;
    connect(runner, &TSumoRun::Progress, this, [this, index](double At, double End) {
        FJobs[index].Done = End > 0.0 ? std::min(At, End) / End : 0.0;
        Report();
    });
    connect(runner, &TSumoRun::Finished, this, [this, index](bool Ok) { JobFinished(index, Ok); });
    SumoRunOptions options = RunOptions(FChoice, job.Run);
    options.Traces = FTraces && job.Run < TracedRuns;
    runner->Start(FPlans[job.Plan], JobFolder(job), true, options);
}

void TSumoBatch::JobFinished(std::size_t Index, bool Ok) {
    Job &job = FJobs[Index];
    TSumoRun *runner = job.Runner;
    job.Runner = nullptr;
    --FActive;
    runner->deleteLater();
    if (!Ok) {
        QString text = runner->ErrorText();
        if (FChoice.Runs > 1) {
            text = QStringLiteral("Run %1 of %2 (seed %3) failed: %4")
                       .arg(job.Run + 1)
                       .arg(FChoice.Runs)
                       .arg(RunSeed(job.Run))
                       .arg(text);
        }
        StopAll();
        FError = text;
        emit Finished(false);
        return;
    }
    FResults[job.Plan].Runs[static_cast<std::size_t>(job.Run)] = runner->Figures();
    // The run's files can run to many megabytes: they go as soon as they are read.
    QDir(JobFolder(job)).removeRecursively();
    job.Done = 1.0;
    ++FFinished;
    Report();
    if (FNext < FJobs.size()) {
        StartNext();
    } else if (FActive == 0) {
        FRunning = false;
        FFolder.reset();
        emit Finished(true);
    }
}

void TSumoBatch::Report() {
    double done = 0.0;
    for (const Job &job : FJobs) {
        done += job.Done;
    }
    emit Progress(FJobs.empty() ? 1.0 : done / static_cast<double>(FJobs.size()), FFinished,
                  static_cast<int>(FJobs.size()));
}

void TSumoBatch::Cancel() {
    StopAll();
}

void TSumoBatch::StopAll() {
    FRunning = false;
    for (Job &job : FJobs) {
        if (job.Runner != nullptr) {
            job.Runner->disconnect(this);
            job.Runner->Cancel();
            job.Runner->deleteLater();
            job.Runner = nullptr;
        }
    }
    FActive = 0;
    FNext = FJobs.size();
    FFolder.reset();
}

SimulationChoice &RememberedSimulationChoice() {
    static SimulationChoice choice;
    return choice;
}
