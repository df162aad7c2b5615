#pragma once

#include "document/EditCommand.h"
#include "model/Evaluation.h"
#include "model/Plan.h"
#include "model/Scenario.h"
#include "model/SimulationFigures.h"

#include <QObject>
#include <QString>

#include <optional>

class QUndoStack;

// The arterial being worked on, without any window: the plan and what its evaluation gives,
// the settings the user set (as a scenario file keeps them, with the layout state an undo step
// gives back), the file they came from or went to, the history of edits and whether it is
// saved, and the last simulation's figures with the plan they were made for.
//
// The window turns its controls' events into a new plan (Evaluate) while an edit goes on, and
// into one recorded edit when it ends (Record); undo and redo change the document's settings
// and ask whoever shows them to show them (Restore). The report, the band overlay, the exports
// and the command line read the plan and the evaluation from here.
class TArterialDocument : public QObject {
    Q_OBJECT

  public:
    explicit TArterialDocument(QObject *Parent = nullptr);
    ~TArterialDocument() override;

    // The plan last evaluated and its evaluation.
    const ArterialPlan &Plan() const { return FPlan; }
    const ArterialEvaluation &Result() const { return FResult; }
    // Evaluates the plan from the links' sets the last evaluation left, and says so.
    void Evaluate(const ArterialPlan &Plan);
    // The most percent of the southbound volume that may enter at crossroad #2, from what the
    // last evaluation sent towards JCT #2 (as asking the link for it always has, this runs the
    // link's travel once more, at the given plan's speeds and lengths).
    std::int32_t EnteringMaximum(const ArterialPlan &Plan);

    // The settings as last recorded, restored or opened.
    const TEditState &State() const { return FState; }
    // Takes the settings shown as the recorded ones, with no step of history.
    void Adopt(const TEditState &State) { FState = State; }
    // Records the change from the recorded settings to Now as one undo step, unless only the
    // selected junction differs. Steps with the same non-zero merge key merge.
    void Record(EditKind Kind, const TEditState &Now, int MergeKey = 0);
    // Starts the history afresh from State, saved.
    void ClearHistory(const TEditState &State);
    QUndoStack *UndoStack() const { return FUndo; }
    bool IsClean() const;

    // The scenario file last opened or saved, absolute; empty for a new arterial.
    const QString &FileName() const { return FFileName; }
    // Reads a scenario file for the diagram's bounds; the problem, when it cannot be used,
    // starts with the file's name.
    static std::optional<Scenario> Read(const QString &Path, QString &Problem);
    // The file was opened and its settings are shown as State: a new history starts.
    void Opened(const QString &Path, const TEditState &State);
    // A new arterial, shown as State: no file, no history, no simulation.
    void Renewed(const TEditState &State);
    // Writes the settings shown (the recorded ones, or those of an edit still under way); on
    // success the file is the document's and it is saved. The problem, when it fails, says why.
    QString Save(const QString &Path, const Scenario &Settings);

    // What the last simulation found, and whether it was made for the plan evaluated last: its
    // figures belong to that plan only, and an edit, an undo or an opened file may leave
    // another (or, undone, give it back).
    const std::optional<SimulationSet> &Simulation() const { return FSimulation; }
    void SetSimulation(const SimulationSet &Figures, const ArterialPlan &For);
    // The plan the last simulation was made for.
    const ArterialPlan &SimulatedPlan() const { return FSimulatedPlan; }
    bool SimulationCurrent() const;

  signals:
    // After every evaluation: the plan and its figures are new.
    void Recomputed();
    // A simulation finished: Simulation() holds its figures.
    void SimulationChanged();
    // Undo or redo changed the settings: whoever shows them shows State.
    void Restore(const TEditState &State);
    // The file name or the saved state changed.
    void FileChanged();

  private:
    ArterialPlan FPlan;
    ArterialEvaluation FResult;
    TEditState FState;
    QUndoStack *FUndo = nullptr;
    QString FFileName;
    std::optional<SimulationSet> FSimulation;
    ArterialPlan FSimulatedPlan;
};
