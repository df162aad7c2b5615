#pragma once

#include "document/ArterialDocument.h"
#include "model/Optimiser.h"
#include "model/Scenario.h"
#include "model/SimulationFigures.h"

#include <QDialog>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;
class QTimer;
class TSumoBatch;

// The optimiser's dialog: the objective and its weights or stop penalty, a lock per junction
// and the common cycle's range; the search in the background with its progress and Cancel; the
// current and the proposed plan's figures side by side, a preview of the proposal on the
// diagram, a check of both plans in the traffic simulator, and Apply.
//
// The dialog changes nothing itself: it asks whoever opened it to show a timing (a preview)
// and to apply one (PreviewRequested, ApplyRequested), and it is modal to the window, so the
// plan it started from stays the window's until it closes.
class TOptimiseDialog : public QDialog {
    Q_OBJECT

  public:
    // Settings are the window's settings as they stand; the document holds their plan and
    // evaluation.
    TOptimiseDialog(QWidget *Owner, const TArterialDocument *Document, const Scenario &Settings);
    ~TOptimiseDialog() override;

    // The request the controls give.
    OptimiseRequest Request() const;
    // The last search's result, once one has finished.
    const std::optional<OptimiseResult> &Result() const { return FResult; }
    bool Searching() const;
    bool Checking() const;

    // The controls, for keyboard users' tests and tools.
    QRadioButton *BandObjective = nullptr;
    QRadioButton *DelayObjective = nullptr;
    QCheckBox *VolumeWeights = nullptr;
    QDoubleSpinBox *SouthWeight = nullptr;
    QDoubleSpinBox *NorthWeight = nullptr;
    QDoubleSpinBox *StopPenalty = nullptr;
    std::array<QCheckBox *, JunctionCount> Locks{};
    QCheckBox *CommonCycle = nullptr;
    QSpinBox *LeastCycle = nullptr;
    QSpinBox *GreatestCycle = nullptr;
    QPushButton *OptimiseButton = nullptr;
    QProgressBar *Progress = nullptr;
    QPushButton *CancelButton = nullptr;
    QLabel *Status = nullptr;
    QTableWidget *Figures = nullptr;
    QCheckBox *Preview = nullptr;
    QPushButton *CheckButton = nullptr;
    QPushButton *ApplyButton = nullptr;
    QPushButton *CloseButton = nullptr;

    enum Column { Figure, Current, Proposed, SimulatedCurrent, SimulatedProposed, ColumnCount };

  signals:
    // Show these settings on the diagram, or the window's own settings again (nothing).
    void PreviewRequested(const std::optional<Scenario> &Settings);
    // Apply these settings as one edit.
    void ApplyRequested(const Scenario &Settings);

  public slots:
    void StartSearch();
    void CancelWork();
    void StartCheck();
    void ApplyProposal();

  protected:
    void done(int Result) override;
    void showEvent(QShowEvent *Event) override;

  private:
    struct Search;
    void PollSearch();
    void SearchFinished();
    void ShowFigures();
    void ShowSimulation();
    void UpdateControls();
    void EndPreview();
    void CheckFinished();

    const TArterialDocument *FDocument;
    Scenario FSettings;
    ArterialPlan FPlan;
    PerLink<LinkSets> FLinks;
    std::shared_ptr<Search> FSearch;
    QTimer *FPoll = nullptr;
    std::optional<OptimiseResult> FResult;
    TSumoBatch *FCheck = nullptr;
    // The current and the proposed plan's replications, when checked.
    std::array<std::optional<SimulationSet>, 2> FSimulated{};
    QString FCheckProblem;
    QStringList FRowKeys; // the figures' rows, by their command-line names
};
