#include "analysis/TrajectoryWindow.h"

#include "analysis/TrajectoryOverlay.h"
#include "document/ArterialDocument.h"
#include "document/SimulationText.h"
#include "model/Diagram.h"
#include "model/SumoPlan.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QSpinBox>
#include <QVBoxLayout>

TTrajectoryWindow::TTrajectoryWindow(QWidget *Owner, const TArterialDocument *Document,
                                     TTrajectoryOverlay *Overlay)
    : QWidget(Owner, Qt::Tool), FDocument(Document), FOverlay(Overlay) {
    setObjectName(QStringLiteral("TrajectoryWindow"));
    setWindowTitle(QStringLiteral("Simulated Trajectories"));
    auto *layout = new QVBoxLayout(this);
    Show = new QCheckBox(QStringLiteral("&Show on the diagram"), this);
    Show->setChecked(Overlay->isVisibleTo(Owner));
    layout->addWidget(Show);

    auto *form = new QFormLayout;
    Run = new QComboBox(this);
    form->addRow(QStringLiteral("&Run:"), Run);
    FromCycle = new QSpinBox(this);
    // Not Alt+F: the window's File menu keeps it.
    form->addRow(QStringLiteral("Fr&om cycle:"), FromCycle);
    layout->addLayout(form);
    Cycles = new QLabel(this);
    Cycles->setWordWrap(true);
    layout->addWidget(Cycles);
    Status = new QLabel(this);
    Status->setObjectName(QStringLiteral("TrajectoryStatus"));
    Status->setWordWrap(true);
    Status->setMinimumWidth(320);
    layout->addWidget(Status);
    layout->addStretch();

    connect(Show, &QCheckBox::toggled, Overlay, &QWidget::setVisible);
    connect(Run, &QComboBox::currentIndexChanged, this, [this](int Index) {
        if (!FRefreshing && Index >= 0) {
            FOverlay->SetRun(Index);
        }
    });
    connect(FromCycle, &QSpinBox::valueChanged, this, [this](int Cycle) {
        if (!FRefreshing) {
            FOverlay->SetFromCycle(Cycle - 1);
        }
    });
    connect(Overlay, &TTrajectoryOverlay::Changed, this, &TTrajectoryWindow::Refresh);
    Refresh();
}

void TTrajectoryWindow::Refresh() {
    FRefreshing = true;
    const auto &set = FDocument->Simulation();
    // The runs that kept their paths: the first ones.
    int runs = 0;
    while (set && runs < static_cast<int>(set->Runs.size()) &&
           set->Runs[static_cast<std::size_t>(runs)].Traces) {
        ++runs;
    }
    Run->clear();
    for (int i = 0; i < runs; ++i) {
        Run->addItem(QStringLiteral("%1 (seed %2)")
                         .arg(i + 1)
                         .arg(set->Runs[static_cast<std::size_t>(i)].Seed));
    }
    Run->setCurrentIndex(runs > 0 ? FOverlay->Run() : -1);
    Run->setEnabled(runs > 1);
    const int cycles = FOverlay->SimulatedCycles();
    FromCycle->setRange(cycles > 0 ? 1 : 0, cycles);
    FromCycle->setValue(FOverlay->FromCycle() + 1);
    FromCycle->setEnabled(cycles > 0);
    Cycles->setText(cycles > 0 ? QStringLiteral("JCT #1's cycles 1 to %1 are the warm-up; %2 to %3 "
                                                "are measured. %4 s from the cycle's start are "
                                                "drawn.")
                                     .arg(WarmUpCycles)
                                     .arg(WarmUpCycles + 1)
                                     .arg(WarmUpCycles + MeasuredCycles)
                                     .arg(StripWidth)
                               : QString());
    Status->setText(StatusText());
    FRefreshing = false;
}

QString TTrajectoryWindow::StatusText() const {
    switch (FOverlay->State()) {
    case TTrajectoryOverlay::Drawing::NoSimulation:
        return QStringLiteral("No simulation has run yet: Simulate in SUMO (Ctrl+M) first.");
    case TTrajectoryOverlay::Drawing::TimingChanged:
        return QStringLiteral("The timing has changed since the simulation: simulate again "
                              "(Ctrl+M) to draw its vehicles.");
    case TTrajectoryOverlay::Drawing::NoTraces:
        return QStringLiteral("This run kept no vehicle paths: simulate again (Ctrl+M).");
    case TTrajectoryOverlay::Drawing::Traces:
        break;
    }
    const std::size_t vehicles = FOverlay->Vehicles();
    QString text = vehicles == 1 ? QStringLiteral("1 vehicle drawn.")
                                 : QStringLiteral("%1 vehicles drawn.").arg(vehicles);
    if (FOverlay->Cut()) {
        text += QStringLiteral(" The run's paths were cut at %1 points: every path ends where "
                               "that limit was reached.")
                    .arg(QLocale().toString(static_cast<qulonglong>(MostTracePoints)));
    }
    // The diagram draws every junction's signals from second 0; in the simulation a junction
    // whose cycle differs from JCT #1's is in that phase only where the stretch starts at a
    // whole number of its cycles.
    const ArterialPlan &plan = FDocument->SimulatedPlan();
    const std::int32_t start = FOverlay->FromCycle() * plan.Signals[1].CycleTime;
    QStringList off;
    bool differ = false;
    for (int k = 2; k <= JunctionCount; ++k) {
        const std::int32_t cycle = plan.Signals[k].CycleTime;
        if (cycle != plan.Signals[1].CycleTime) {
            differ = true;
            if (cycle > 0 && start % cycle != 0) {
                off << QStringLiteral("#%1").arg(k);
            }
        }
    }
    if (!off.isEmpty()) {
        text += QStringLiteral(" The junctions' cycles differ from JCT #1's: the signals drawn "
                               "at JCT %1 are not in the phase these vehicles met (they are "
                               "where the stretch starts at a common multiple of the cycles).")
                    .arg(off.join(QStringLiteral(", ")));
    } else if (differ) {
        text += QStringLiteral(" The junctions' cycles differ from JCT #1's, but this stretch "
                               "starts at a common multiple of them: every signal drawn is in "
                               "the phase these vehicles met.");
    }
    const SimulationSet &set = *FDocument->Simulation();
    text += QStringLiteral(" Simulated with %1.").arg(SimulationText::Choice(set.Choice));
    if (set.Runs.size() > static_cast<std::size_t>(Run->count())) {
        text +=
            QStringLiteral(" Only the first %1 runs keep their vehicles' paths.").arg(Run->count());
    }
    return text;
}
