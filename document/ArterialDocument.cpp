#include "document/ArterialDocument.h"

#include "document/ScenarioFile.h"
#include "model/Diagram.h"

#include <QFileInfo>
#include <QUndoStack>

namespace {
ScenarioBounds DiagramBounds() {
    return {StripWidth, LoadedStripTops[1], BottomStripTop, MinStripGap};
}
} // namespace

TArterialDocument::TArterialDocument(QObject *Parent) : QObject(Parent) {
    FUndo = new QUndoStack(this);
    // Enough for a long session; each step holds two copies of the settings.
    FUndo->setUndoLimit(1000);
    connect(FUndo, &QUndoStack::cleanChanged, this, &TArterialDocument::FileChanged);
}

TArterialDocument::~TArterialDocument() {
    // The history goes first: a stack being destroyed still reports its clean state, which
    // must not reach a window that is half gone.
    disconnect(FUndo, nullptr, this, nullptr);
    delete FUndo;
    FUndo = nullptr;
}

void TArterialDocument::Evaluate(const ArterialPlan &Plan) {
    FPlan = Plan;
    ::Evaluate(Plan, FResult);
    emit Recomputed();
}

std::int32_t TArterialDocument::EnteringMaximum(const ArterialPlan &Plan) {
    return ::EnteringMaximum(FResult.Links, Plan);
}

void TArterialDocument::Record(EditKind Kind, const TEditState &Now, int MergeKey) {
    // Choosing another junction is no edit of its own.
    TEditState compared = Now;
    compared.Selected = FState.Selected;
    if (compared == FState) {
        FState.Selected = Now.Selected;
        return;
    }
    const TEditState before = FState;
    FState = Now;
    FUndo->push(new TEditCommand(
        Kind, before, Now,
        [this](const TEditState &State) {
            FState = State;
            emit Restore(State);
        },
        MergeKey));
}

void TArterialDocument::ClearHistory(const TEditState &State) {
    FUndo->clear();
    FUndo->setClean();
    FState = State;
    emit FileChanged();
}

bool TArterialDocument::IsClean() const {
    return FUndo->isClean();
}

std::optional<Scenario> TArterialDocument::Read(const QString &Path, QString &Problem) {
    ScenarioFile::ReadResult read = ScenarioFile::Read(Path, DiagramBounds());
    Problem = read.Problem;
    return read.Settings;
}

void TArterialDocument::Opened(const QString &Path, const TEditState &State) {
    FFileName = QFileInfo(Path).absoluteFilePath();
    ClearHistory(State);
}

void TArterialDocument::Renewed(const TEditState &State) {
    FFileName.clear();
    if (FSimulation) {
        FSimulation.reset();
        emit SimulationChanged();
    }
    ClearHistory(State);
}

QString TArterialDocument::Save(const QString &Path, const Scenario &Settings) {
    const QString problem = ScenarioFile::Write(Path, Settings);
    if (!problem.isEmpty()) {
        return problem;
    }
    FFileName = QFileInfo(Path).absoluteFilePath();
    FUndo->setClean();
    emit FileChanged();
    return QString();
}

void TArterialDocument::SetSimulation(const SimulationSet &Figures, const ArterialPlan &For) {
    FSimulation = Figures;
    FSimulatedPlan = For;
    emit SimulationChanged();
}

namespace {
// What the simulator is given of a plan: the shares only name the seconds it runs.
ArterialPlan Simulated(ArterialPlan Plan) {
    for (JunctionSignal &signal : Plan.Signals) {
        signal.PercentRed = 0;
        signal.PercentGreen = 0;
    }
    return Plan;
}
} // namespace

bool TArterialDocument::SimulationCurrent() const {
    return FSimulation.has_value() && Simulated(FSimulatedPlan) == Simulated(FPlan);
}
