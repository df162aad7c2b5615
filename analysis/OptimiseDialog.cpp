#include "analysis/OptimiseDialog.h"

#include "analysis/SumoBatch.h"
#include "analysis/SumoRun.h"
#include "document/OptimiseFigures.h"
#include "document/SimulationText.h"
#include "model/Diagram.h"
#include "model/TimingEdits.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <cmath>
#include <thread>

// The search on a thread of its own. The dialog polls it; Cancel sets the flag, which the
// search reads every millisecond or so, and the dialog then waits for the thread to end.
struct TOptimiseDialog::Search {
    std::atomic<bool> Stop{false};
    std::atomic<bool> Done{false};
    std::atomic<double> Share{0.0};
    OptimiseResult Result;
    QElapsedTimer Clock;
    std::thread Worker;

    ~Search() {
        Stop = true;
        if (Worker.joinable()) {
            Worker.join();
        }
    }
};

namespace {

const char *const Title = "Optimise Timing";

QString Whole(double Value) {
    return QLocale().toString(Value, 'f', 0);
}

} // namespace

TOptimiseDialog::TOptimiseDialog(QWidget *Owner, const TArterialDocument *Document,
                                 const Scenario &Settings)
    : QDialog(Owner), FDocument(Document), FSettings(Settings), FPlan(Document->Plan()),
      FLinks(Document->Result().Links) {
    setWindowTitle(QString::fromLatin1(Title));
    setWindowModality(Qt::WindowModal);
    setObjectName(QStringLiteral("OptimiseDialog"));

    auto *objective = new QGroupBox(QStringLiteral("Objective"), this);
    BandObjective = new QRadioButton(QStringLiteral("Widest &band (both directions)"), objective);
    DelayObjective = new QRadioButton(QStringLiteral("Least &delay and stops"), objective);
    BandObjective->setChecked(true);
    VolumeWeights = new QCheckBox(QStringLiteral("Weigh each direction by its &volume"), objective);
    VolumeWeights->setChecked(true);
    const BandWeights volumes = WeightsFor(FPlan, {});
    const auto weight = [objective](double Value) {
        auto *spin = new QDoubleSpinBox(objective);
        spin->setRange(0.0, 10000.0);
        spin->setDecimals(1);
        spin->setValue(Value);
        return spin;
    };
    SouthWeight = weight(volumes.South);
    NorthWeight = weight(volumes.North);
    StopPenalty = new QDoubleSpinBox(objective);
    StopPenalty->setRange(0.0, MaxStopPenalty);
    StopPenalty->setDecimals(1);
    StopPenalty->setValue(DefaultStopPenalty);
    StopPenalty->setSuffix(QStringLiteral(" s"));
    auto *objectiveGrid = new QGridLayout(objective);
    objectiveGrid->addWidget(BandObjective, 0, 0, 1, 4);
    objectiveGrid->addWidget(VolumeWeights, 1, 1, 1, 3);
    auto *southLabel = new QLabel(QStringLiteral("&Southbound weight:"), objective);
    southLabel->setBuddy(SouthWeight);
    auto *northLabel = new QLabel(QStringLiteral("&Northbound weight:"), objective);
    northLabel->setBuddy(NorthWeight);
    objectiveGrid->addWidget(southLabel, 2, 1);
    objectiveGrid->addWidget(SouthWeight, 2, 2);
    objectiveGrid->addWidget(northLabel, 3, 1);
    objectiveGrid->addWidget(NorthWeight, 3, 2);
    objectiveGrid->addWidget(DelayObjective, 4, 0, 1, 4);
    auto *penaltyLabel =
        new QLabel(QStringLiteral("Stop &penalty (delay one stop counts as):"), objective);
    penaltyLabel->setBuddy(StopPenalty);
    objectiveGrid->addWidget(penaltyLabel, 5, 1);
    objectiveGrid->addWidget(StopPenalty, 5, 2);
    objectiveGrid->setColumnMinimumWidth(0, 16);
    objectiveGrid->setColumnStretch(3, 1);

    auto *junctions = new QGroupBox(QStringLiteral("Lock offsets"), this);
    auto *lockGrid = new QGridLayout(junctions);
    for (int k = 1; k <= JunctionCount; ++k) {
        QCheckBox *&lock = Locks[static_cast<std::size_t>(k - 1)];
        lock = new QCheckBox(QStringLiteral("JCT #&%1").arg(k), junctions);
        lock->setToolTip(QStringLiteral("JCT #%1 keeps its offset").arg(k));
        lockGrid->addWidget(lock, (k - 1) / 3, (k - 1) % 3);
    }

    auto *cycle = new QGroupBox(QStringLiteral("Cycle"), this);
    CommonCycle = new QCheckBox(QStringLiteral("Search one &common cycle from"), cycle);
    const auto cycleSpin = [cycle](int Value) {
        auto *spin = new QSpinBox(cycle);
        spin->setRange(LeastReachableCycle(StripWidth), GreatestReachableCycle(StripWidth));
        spin->setValue(Value);
        spin->setSuffix(QStringLiteral(" s"));
        return spin;
    };
    LeastCycle = cycleSpin(60);
    GreatestCycle = cycleSpin(150);
    auto *cycleRow = new QHBoxLayout();
    cycleRow->addWidget(CommonCycle);
    cycleRow->addWidget(LeastCycle);
    auto *toLabel = new QLabel(QStringLiteral("&to"), cycle);
    toLabel->setBuddy(GreatestCycle);
    cycleRow->addWidget(toLabel);
    cycleRow->addWidget(GreatestCycle);
    cycleRow->addStretch(1);
    auto *cycleBox = new QVBoxLayout(cycle);
    cycleBox->addLayout(cycleRow);
    auto *cycleNote = new QLabel(QStringLiteral("Every junction keeps its shares of red and "
                                                "green; without the search each keeps its "
                                                "cycle."),
                                 cycle);
    cycleNote->setWordWrap(true);
    cycleBox->addWidget(cycleNote);

    OptimiseButton = new QPushButton(QStringLiteral("&Optimise"), this);
    OptimiseButton->setDefault(true);
    Progress = new QProgressBar(this);
    Progress->setRange(0, 1000);
    Progress->setValue(0);
    Progress->setTextVisible(false);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    auto *searchRow = new QHBoxLayout();
    searchRow->addWidget(OptimiseButton);
    searchRow->addWidget(Progress, 1);
    searchRow->addWidget(CancelButton);

    Status = new QLabel(this);
    Status->setWordWrap(true);
    Status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Figures = new QTableWidget(0, ColumnCount, this);
    Figures->setHorizontalHeaderLabels({QStringLiteral("Figure"), QStringLiteral("Current"),
                                        QStringLiteral("Proposed"), QStringLiteral("SUMO current"),
                                        QStringLiteral("SUMO proposed")});
    Figures->verticalHeader()->hide();
    Figures->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Figures->setSelectionMode(QAbstractItemView::NoSelection);
    Figures->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Figures->horizontalHeader()->setStretchLastSection(true);
    Figures->verticalHeader()->setDefaultSectionSize(Figures->fontMetrics().height() + 4);
    Figures->setMinimumWidth(480);
    Figures->setAccessibleName(QStringLiteral("Current and proposed figures"));

    Preview = new QCheckBox(QStringLiteral("Show the proposal on the dia&gram"), this);
    CheckButton = new QPushButton(QStringLiteral("Check in S&UMO"), this);
    ApplyButton = new QPushButton(QStringLiteral("&Apply"), this);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    auto *buttons = new QHBoxLayout();
    buttons->addWidget(Preview);
    buttons->addStretch(1);
    buttons->addWidget(CheckButton);
    buttons->addWidget(ApplyButton);
    buttons->addWidget(CloseButton);

    // The choices on the left, the figures on the right: short enough to leave the diagram in
    // view for the preview.
    auto *choices = new QVBoxLayout();
    choices->addWidget(objective);
    choices->addWidget(junctions);
    choices->addWidget(cycle);
    choices->addLayout(searchRow);
    choices->addStretch(1);
    // The status under the figures, as wide as they are: a check's comparison runs long.
    auto *results = new QVBoxLayout();
    results->addWidget(Figures, 1);
    results->addWidget(Status);
    results->addLayout(buttons);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(choices, 0);
    layout->addLayout(results, 1);

    FPoll = new QTimer(this);
    FPoll->setInterval(50);
    connect(FPoll, &QTimer::timeout, this, &TOptimiseDialog::PollSearch);
    connect(OptimiseButton, &QPushButton::clicked, this, &TOptimiseDialog::StartSearch);
    connect(CancelButton, &QPushButton::clicked, this, &TOptimiseDialog::CancelWork);
    connect(CheckButton, &QPushButton::clicked, this, &TOptimiseDialog::StartCheck);
    connect(ApplyButton, &QPushButton::clicked, this, &TOptimiseDialog::ApplyProposal);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(Preview, &QCheckBox::toggled, this, [this](bool On) {
        if (On && FResult && FResult->Outcome == OptimiseOutcome::Improved) {
            emit PreviewRequested(OptimiseFigures::ProposedScenario(FSettings, *FResult));
        } else {
            emit PreviewRequested(std::nullopt);
        }
    });
    // Before a search the current plan's weighted band and delay and stops follow the weights
    // and the penalty as they are set.
    for (QDoubleSpinBox *spin : {SouthWeight, NorthWeight, StopPenalty}) {
        connect(spin, &QDoubleSpinBox::valueChanged, this, [this] {
            if (!FResult && !Searching()) {
                ShowFigures();
            }
        });
    }
    for (QAbstractButton *b : {static_cast<QAbstractButton *>(BandObjective),
                               static_cast<QAbstractButton *>(DelayObjective),
                               static_cast<QAbstractButton *>(VolumeWeights),
                               static_cast<QAbstractButton *>(CommonCycle)}) {
        connect(b, &QAbstractButton::toggled, this, &TOptimiseDialog::UpdateControls);
    }
    // A band needs one cycle: offer the cycle search at once where the junctions differ.
    bool oneCycle = true;
    for (const JunctionSignal &s : FPlan.Signals) {
        oneCycle = oneCycle && s.CycleTime == FPlan.Signals[1].CycleTime;
    }
    CommonCycle->setChecked(!oneCycle);
    Status->setText(oneCycle ? QStringLiteral("Choose what to look for and press Optimise.")
                             : QStringLiteral("The junctions run different cycles: a band needs "
                                              "one, so the common cycle search is on."));
    ShowFigures();
    UpdateControls();
    adjustSize();
}

void TOptimiseDialog::showEvent(QShowEvent *Event) {
    QDialog::showEvent(Event);
    // Beside the window where the screen has room, so that the preview shows on the diagram.
    QWidget *owner = parentWidget();
    if (owner == nullptr || owner->screen() == nullptr) {
        return;
    }
    const QRect room = owner->screen()->availableGeometry();
    const QRect window = owner->frameGeometry();
    const QSize size = frameGeometry().size();
    // Right of the window, or as far right as the screen allows: the window's right-hand side
    // holds the crossroads' boxes, the diagram lies left of them.
    const int left =
        std::max(room.left(), std::min(window.right() + 1, room.right() + 1 - size.width()));
    move(left, std::max(room.top(), window.top()));
}

TOptimiseDialog::~TOptimiseDialog() {
    // The search thread and the simulator's runs end before the dialog's parts (and the runs'
    // folders) go.
    FSearch.reset();
    delete FCheck;
    FCheck = nullptr;
}

OptimiseRequest TOptimiseDialog::Request() const {
    OptimiseRequest request;
    request.Objective =
        DelayObjective->isChecked() ? OptimiseObjective::LeastDelay : OptimiseObjective::WidestBand;
    for (int k = 1; k <= JunctionCount; ++k) {
        request.Locked[k] = Locks[static_cast<std::size_t>(k - 1)]->isChecked();
    }
    if (!VolumeWeights->isChecked()) {
        request.Weights = BandWeights{SouthWeight->value(), NorthWeight->value()};
    }
    request.StopPenalty = StopPenalty->value();
    if (CommonCycle->isChecked()) {
        request.Cycles = CycleRange{LeastCycle->value(), GreatestCycle->value()};
    }
    return request;
}

bool TOptimiseDialog::Searching() const {
    return FSearch != nullptr;
}

bool TOptimiseDialog::Checking() const {
    return FCheck != nullptr && FCheck->Running();
}

void TOptimiseDialog::StartSearch() {
    if (Searching() || Checking()) {
        return;
    }
    const OptimiseRequest request = Request();
    if (std::optional<std::string> problem = RequestProblem(FPlan, request)) {
        Status->setText(QString::fromStdString(*problem));
        return;
    }
    Preview->setChecked(false);
    FResult.reset();
    FSimulated = {};
    ShowFigures();
    auto search = std::make_shared<Search>();
    FSearch = search;
    search->Clock.start();
    Search *s = search.get();
    search->Worker = std::thread([s, plan = FPlan, links = FLinks, request] {
        s->Result = Optimise(plan, links, request, [s](double Share) {
            s->Share.store(Share, std::memory_order_relaxed);
            return !s->Stop.load(std::memory_order_relaxed);
        });
        s->Done = true;
    });
    Progress->setValue(0);
    Status->setText(QStringLiteral("Searching..."));
    FPoll->start();
    UpdateControls();
}

void TOptimiseDialog::PollSearch() {
    if (FSearch != nullptr) {
        Progress->setValue(static_cast<int>(std::lround(1000.0 * FSearch->Share.load())));
        if (FSearch->Done) {
            SearchFinished();
        }
    }
    if (!Searching() && !Checking()) {
        FPoll->stop();
    }
}

void TOptimiseDialog::SearchFinished() {
    const std::shared_ptr<Search> search = std::move(FSearch);
    search->Worker.join();
    const qint64 elapsed = search->Clock.elapsed();
    FResult = std::move(search->Result);
    Progress->setValue(1000);
    QString text = QString::fromStdString(FResult->Message);
    if (FResult->Outcome != OptimiseOutcome::Refused) {
        text += QStringLiteral(" %1 plans evaluated in %2 s.")
                    .arg(QLocale().toString(static_cast<double>(FResult->Evaluations), 'f', 0),
                         QLocale().toString(elapsed / 1000.0, 'f', 1));
    }
    Status->setText(text);
    ShowFigures();
    UpdateControls();
}

void TOptimiseDialog::CancelWork() {
    if (FSearch != nullptr) {
        FSearch.reset(); // stops the search and waits for its thread
        FPoll->stop();
        Progress->setValue(0);
        Status->setText(QStringLiteral("Cancelled: the timing is as it was."));
    }
    if (Checking()) {
        FCheck->Cancel();
        FSimulated = {};
        Progress->setValue(0);
        Status->setText(QStringLiteral("The check in SUMO was cancelled."));
        ShowFigures();
    }
    UpdateControls();
}

void TOptimiseDialog::ShowFigures() {
    Figures->setRowCount(0);
    OptimiseResult shown;
    if (FResult) {
        shown = *FResult;
    } else {
        // Before a search: the current plan's figures only.
        const OptimiseRequest request = Request();
        shown.Start = FPlan;
        shown.Proposed = FPlan;
        shown.Before = FDocument->Result();
        shown.BeforeFigures =
            FiguresOf(FPlan, FDocument->Result(), WeightsFor(FPlan, request), request.StopPenalty);
    }
    const bool proposed = FResult && FResult->Outcome == OptimiseOutcome::Improved;
    const QList<OptimiseFigures::Row> rows = OptimiseFigures::Rows(shown);
    Figures->setRowCount(static_cast<int>(rows.size()));
    FRowKeys.clear();
    for (int r = 0; r < rows.size(); ++r) {
        const OptimiseFigures::Row &row = rows[r];
        const auto cell = [this, r](int Column, const QString &Text) {
            auto *item = new QTableWidgetItem(Text);
            item->setTextAlignment(Column == Figure ? Qt::AlignLeft | Qt::AlignVCenter
                                                    : Qt::AlignRight | Qt::AlignVCenter);
            Figures->setItem(r, Column, item);
        };
        FRowKeys.append(row.Key);
        cell(Figure, row.Label);
        cell(Current, OptimiseFigures::Text(row.Before, row.Decimals));
        cell(Proposed, proposed ? OptimiseFigures::Text(row.After, row.Decimals) : QString());
        if (proposed && Figures->item(r, Proposed)->text() != Figures->item(r, Current)->text()) {
            QFont bold = Figures->font();
            bold.setBold(true);
            Figures->item(r, Proposed)->setFont(bold);
        }
    }
    ShowSimulation();
}

namespace {
// A row's simulated figure, by the row's name: stops and delay per vehicle each way, and
// whether a queue grew; empty for the rows the simulator has no figure for.
QString SimulatedText(const QString &Key, const SimulationSet &Figures) {
    const qsizetype dot = Key.indexOf(QLatin1Char('.'));
    const QString direction = Key.left(dot);
    const QString figure = Key.mid(dot + 1);
    if (direction != QLatin1String("southbound") && direction != QLatin1String("northbound")) {
        return QString();
    }
    const DirectionSpread d = SpreadOf(Figures, direction == QLatin1String("southbound"));
    // Over several runs the mean; the status line gives the difference's interval.
    if (figure == QLatin1String("delay")) {
        return QLocale().toString(d.Delay.Mean, 'f', 2);
    }
    if (figure == QLatin1String("stops")) {
        return QLocale().toString(d.Stops.Mean, 'f', 2);
    }
    if (figure == QLatin1String("failure")) {
        const std::int32_t runs = static_cast<std::int32_t>(Figures.Runs.size());
        if (d.RunsWithGrowth == 0) {
            return QStringLiteral("no");
        }
        return runs == 1
                   ? QStringLiteral("queues grow")
                   : QStringLiteral("queues grow in %1 of %2 runs").arg(d.RunsWithGrowth).arg(runs);
    }
    return QString();
}
} // namespace

void TOptimiseDialog::ShowSimulation() {
    for (int r = 0; r < FRowKeys.size() && r < Figures->rowCount(); ++r) {
        for (std::size_t side = 0; side < 2; ++side) {
            const QString text =
                FSimulated[side] ? SimulatedText(FRowKeys[r], *FSimulated[side]) : QString();
            auto *item = new QTableWidgetItem(text);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Figures->setItem(r, side == 0 ? SimulatedCurrent : SimulatedProposed, item);
        }
    }
}

void TOptimiseDialog::StartCheck() {
    if (Searching() || Checking() || !FResult || FResult->Outcome != OptimiseOutcome::Improved) {
        return;
    }
    const QString missing =
        TSumoRun::MissingProgramsText({QStringLiteral("netconvert"), QStringLiteral("sumo")});
    if (!missing.isEmpty()) {
        Status->setText(missing);
        return;
    }
    FSimulated = {};
    FCheckProblem.clear();
    delete FCheck;
    FCheck = new TSumoBatch(this);
    connect(FCheck, &TSumoBatch::Progress, this, [this](double Share, int, int) {
        Progress->setValue(static_cast<int>(std::lround(1000.0 * Share)));
    });
    connect(FCheck, &TSumoBatch::Finished, this, [this](bool Ok) {
        if (Ok) {
            FSimulated[0] = FCheck->Results()[0];
            FSimulated[1] = FCheck->Results()[1];
        } else {
            FCheckProblem = FCheck->ErrorText();
        }
        CheckFinished();
    });
    // The same replications as the simulation command: the choice last made there.
    const SimulationChoice choice = RememberedSimulationChoice();
    FCheck->Start({FPlan, FResult->Proposed}, choice, false);
    Progress->setValue(0);
    Status->setText(QStringLiteral("Simulating the current and the proposed plan in SUMO (%1)...")
                        .arg(SimulationText::Choice(choice)));
    UpdateControls();
}

void TOptimiseDialog::CheckFinished() {
    Progress->setValue(1000);
    if (FSimulated[0] && FSimulated[1]) {
        const SimulationSet &a = *FSimulated[0];
        const SimulationSet &b = *FSimulated[1];
        const bool several = a.Runs.size() > 1;
        // The two plans met the same traffic seed for seed: their difference run by run says
        // more than the two means' own intervals, which overlap for all but large differences.
        const auto difference = [&](bool Southbound, double DirectionSimulation::*Figure,
                                    int Decimals) {
            const Spread d = DifferenceOf(a, b, Southbound, Figure);
            if (d.Runs == 0) {
                return QStringLiteral("none");
            }
            QString text = QLocale().toString(d.Mean, 'f', Decimals);
            if (d.Mean > 0.0) {
                text.prepend(QLatin1Char('+'));
            }
            if (d.HasInterval) {
                text += QStringLiteral(" (%1)").arg(SimulationText::Interval(d, Decimals));
            }
            return text;
        };
        const auto direction = [&](bool Southbound) {
            return QStringLiteral("delay %1 s, stops %2")
                .arg(difference(Southbound, &DirectionSimulation::DelayPerVehicle, 1),
                     difference(Southbound, &DirectionSimulation::StopsPerVehicle, 2));
        };
        Status->setText(
            QStringLiteral("SUMO simulated each plan with %1; %2 and %3 vehicles entered "
                           "southbound, %4 and %5 northbound%6. Proposed less current per "
                           "vehicle, seed for seed%7: southbound %8; northbound %9.")
                .arg(SimulationText::Choice(a.Choice), Whole(SpreadOf(a, true).Sent),
                     Whole(SpreadOf(b, true).Sent), Whole(SpreadOf(a, false).Sent),
                     Whole(SpreadOf(b, false).Sent),
                     several ? QStringLiteral(" in each run; the columns give the means over "
                                              "the runs")
                             : QString(),
                     several ? QStringLiteral(" (the mean, and its 95 % interval in brackets)")
                             : QString(),
                     direction(true), direction(false)));
    } else {
        Status->setText(QStringLiteral("The check in SUMO gave no figures: ") + FCheckProblem);
    }
    ShowSimulation();
    UpdateControls();
}

void TOptimiseDialog::ApplyProposal() {
    if (Searching() || !FResult || FResult->Outcome != OptimiseOutcome::Improved) {
        return;
    }
    if (Checking()) {
        CancelWork();
    }
    const Scenario proposed = OptimiseFigures::ProposedScenario(FSettings, *FResult);
    // The preview ends without showing the old timing again: the proposal follows at once.
    Preview->blockSignals(true);
    Preview->setChecked(false);
    Preview->blockSignals(false);
    emit ApplyRequested(proposed);
    accept();
}

void TOptimiseDialog::EndPreview() {
    if (Preview->isChecked()) {
        Preview->setChecked(false);
    }
}

void TOptimiseDialog::done(int Result) {
    // Closing stops what runs and shows the window's own timing again.
    FSearch.reset();
    if (Checking()) {
        CancelWork();
    }
    EndPreview();
    QDialog::done(Result);
}

void TOptimiseDialog::UpdateControls() {
    const bool busy = Searching() || Checking();
    const bool band = BandObjective->isChecked();
    const bool proposed = FResult && FResult->Outcome == OptimiseOutcome::Improved;
    for (QWidget *w :
         std::initializer_list<QWidget *>{BandObjective, DelayObjective, CommonCycle}) {
        w->setEnabled(!busy);
    }
    for (QCheckBox *lock : Locks) {
        lock->setEnabled(!busy);
    }
    VolumeWeights->setEnabled(!busy && band);
    SouthWeight->setEnabled(!busy && band && !VolumeWeights->isChecked());
    NorthWeight->setEnabled(!busy && band && !VolumeWeights->isChecked());
    StopPenalty->setEnabled(!busy);
    LeastCycle->setEnabled(!busy && CommonCycle->isChecked());
    GreatestCycle->setEnabled(!busy && CommonCycle->isChecked());
    if (VolumeWeights->isChecked()) {
        const BandWeights volumes = WeightsFor(FPlan, {});
        SouthWeight->setValue(volumes.South);
        NorthWeight->setValue(volumes.North);
    }
    OptimiseButton->setEnabled(!busy);
    CancelButton->setEnabled(busy);
    Preview->setEnabled(!busy && proposed);
    CheckButton->setEnabled(!busy && proposed);
    ApplyButton->setEnabled(!Searching() && proposed);
}
