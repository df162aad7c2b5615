#include "app/JunctionReport.h"

#include "app/Main.h"
#include "app/TextHelpers.h"
#include "controls/TimeSpaceLight.h"
#include "controls/TimeSpaceLink.h"
#include "model/Measures.h"
#include "model/Passage.h"
#include "model/Platoons.h"
#include "model/Progression.h"
#include "model/Travel.h"

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// The longest queue of a queue set: its wait (DischargeEnd - ArrivalEnd) in seconds.
int LongestWait(const PlatoonSet &Queues) {
    int longest = 0;
    for (int k = 1; k <= MaxPlatoons; ++k) {
        longest = std::max(longest, Queues.Size[k] - Queues.Start[k]);
    }
    return longest;
}

// The veh/hr that the platoon seconds arriving in one cycle of a junction carry at its cycle.
double ArrivingFlow(const PlatoonSet &Arriving, const TTimeSpaceLight *Light) {
    const int seconds = PlatoonFlowSum(MergePlatoons(Arriving, Light->width()));
    const double factor = PlatoonFactor(Light->CycleTime());
    return factor > 0.0 ? seconds / factor : 0.0;
}

// A strip's northbound passage run again on its stored arrivals, as PassBk runs it, without
// touching the strip: its queue set, stops and flags stay those of the southbound run that the
// window's measures read.
PassageResult NorthboundPassage(const TTimeSpaceLight *Light) {
    GreenWindowTable start{};
    GreenWindowTable end{};
    for (int i = 0; i < GreenWindowCount; ++i) {
        start[static_cast<std::size_t>(i)] = Light->GreenStart(i);
        end[static_cast<std::size_t>(i)] = Light->GreenEnd(i);
    }
    return PassPlatoons(Light->BkInput(), start, end, Light->NumberOfBands() + 1, Light->Capacity(),
                        Light->width());
}

QString Where(const std::vector<std::int32_t> &Junctions) {
    if (Junctions.empty()) {
        return QStringLiteral("yes");
    }
    QStringList names;
    for (const std::int32_t k : Junctions) {
        names << QStringLiteral("#%1").arg(k);
    }
    return QStringLiteral("yes, at JCT ") + names.join(QStringLiteral(", "));
}

// TimeSpace's own figures of one direction, to set beside the simulator's.
struct DirectionFigures {
    double Stops = 0.0;
    double DelaySeconds = 0.0; // per vehicle, in seconds
    bool Fails = false;
    std::vector<std::int32_t> FailingAt;
};

const QString Unbounded = FromView(UnboundedCaption);
} // namespace

TJunctionReport::TJunctionReport(TTimeSpaceForm *Form) : QWidget(Form, Qt::Tool), FForm(Form) {
    setObjectName("JunctionReport");
    setWindowTitle("Junction Report");
    auto *layout = new QVBoxLayout(this);

    QStringList rows;
    for (int k = 1; k <= JunctionCount; ++k) {
        rows << QStringLiteral("JCT #%1").arg(k);
    }
    rows << QStringLiteral("Total");
    layout->addWidget(new QLabel("<b>Junctions</b> (SB southbound, JCT #1 to #6; NB northbound)"));
    MakeGrid(FJunctions, TotalRow + 1,
             {"JCT", "Cycle\ns", "Offset\ns", "Green\ns", "Yellow\ns", "Red\ns", "Capacity\nveh/hr",
              "SB flow\nveh/hr", "SB\nv/c", "NB flow\nveh/hr", "NB\nv/c", "SB queue\nft",
              "SB queue\nveh", "NB queue\nft", "NB queue\nveh", "SB stops\nshare",
              "SB delay\ns/veh", "SB\nfailure", "NB\nfailure"},
             {});
    for (int r = 0; r <= TotalRow; ++r) {
        Put(FJunctions, r, Junction, rows[r]);
    }
    layout->addWidget(FJunctions.Table);

    layout->addWidget(
        new QLabel("<b>Progression band</b> (efficiency: width over JCT #1's cycle)"));
    MakeGrid(FBandGrid, 2, {"Width\ns", "Efficiency\n%", "Starts at\ns"},
             {"Southbound (from JCT #1)", "Northbound (from JCT #6)"});
    layout->addWidget(FBandGrid.Table);

    layout->addWidget(new QLabel("<b>Simulation</b> beside TimeSpace's own figures"));
    FSimulationNote = new QLabel(this);
    layout->addWidget(FSimulationNote);
    MakeGrid(FSimulationGrid, 2,
             {"Stops/veh\nTimeSpace", "Stops/veh\nsimulated", "Delay/veh s\nTimeSpace",
              "Delay/veh s\nsimulated", "Queues grow\nTimeSpace", "Queues grow\nsimulated",
              "Vehicles\nsimulated"},
             {"Southbound", "Northbound"});
    layout->addWidget(FSimulationGrid.Table);
    layout->addStretch();

    connect(Form, &TTimeSpaceForm::Recomputed, this, &TJunctionReport::Recomputed);
    connect(Form, &TTimeSpaceForm::SimulationChanged, this, &TJunctionReport::SimulationChanged);
    Refresh();
    for (Grid *grid : {&FJunctions, &FBandGrid, &FSimulationGrid}) {
        grid->Table->resizeColumnsToContents();
    }
    FJunctions.Table->setMinimumWidth(FJunctions.Table->horizontalHeader()->length() +
                                      2 * FJunctions.Table->frameWidth());
}

void TJunctionReport::MakeGrid(Grid &Target, int Rows, const QStringList &Headers,
                               const QStringList &RowNames) {
    auto *table = new QTableWidget(Rows, static_cast<int>(Headers.size()), this);
    table->setHorizontalHeaderLabels(Headers);
    if (RowNames.isEmpty()) {
        table->verticalHeader()->hide();
    } else {
        table->setVerticalHeaderLabels(RowNames);
    }
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Headers.size(); ++c) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(c == 0 && RowNames.isEmpty()
                                       ? Qt::AlignLeft | Qt::AlignVCenter
                                       : Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(r, c, item);
        }
    }
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const int height = table->horizontalHeader()->sizeHint().height() +
                       Rows * table->verticalHeader()->defaultSectionSize() +
                       2 * table->frameWidth();
    table->setFixedHeight(height);
    Target.Table = table;
    Target.Columns = static_cast<int>(Headers.size());
    Target.Texts.assign(static_cast<std::size_t>(Rows * Target.Columns), QString());
}

void TJunctionReport::Put(Grid &Target, int Row, int Column, const QString &Text) {
    QString &kept = Target.Texts[static_cast<std::size_t>(Row * Target.Columns + Column)];
    if (kept == Text) {
        return;
    }
    kept = Text;
    Target.Table->item(Row, Column)->setText(Text);
    ++FWritten;
}

QString TJunctionReport::Get(const Grid &Source, int Row, int Column) {
    return Source.Texts[static_cast<std::size_t>(Row * Source.Columns + Column)];
}

QString TJunctionReport::Text(int Row, Column Which) const {
    return Get(FJunctions, Row, Which);
}

QString TJunctionReport::BandText(int Row, BandColumn Which) const {
    return Get(FBandGrid, Row, Which);
}

QString TJunctionReport::SimulationText(int Row, SimulationColumn Which) const {
    return Get(FSimulationGrid, Row, Which);
}

bool TJunctionReport::SimulationShown() const {
    return !FSimulationGrid.Table->isHidden();
}

void TJunctionReport::showEvent(QShowEvent *Event) {
    QWidget::showEvent(Event);
    if (FStale) {
        Refresh();
    }
}

void TJunctionReport::Recomputed() {
    FStale = true;
    if (isVisible()) {
        Refresh();
    }
}

void TJunctionReport::SimulationChanged() {
    Recomputed();
}

void TJunctionReport::Refresh() {
    FStale = false;
    ++FUpdates;
    RefreshJunctions();
    RefreshBands();
    RefreshSimulation();
}

void TJunctionReport::RefreshJunctions() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const auto fixed = [&locale](double value, int decimals) {
        return locale.toString(value, 'f', decimals);
    };
    const auto failure = [](bool fails) { return fails ? QStringLiteral("fails") : QString(); };

    // The divisor of the window's delay measure: the platoon seconds leaving the reference
    // junction southbound.
    const int flow = FForm->CalculateflowSum(FForm->Light(ReferenceJunction)->PassFw());
    double stops = 0.0;
    double delay = 0.0;
    int feetSouth = 0;
    int feetNorth = 0;
    double vehiclesSouth = 0.0;
    double vehiclesNorth = 0.0;
    bool failsSouth = false;
    bool failsNorth = false;
    for (int k = 1; k <= JunctionCount; ++k) {
        TTimeSpaceLight *light = FForm->Light(k);
        const int r = k - 1;
        Put(FJunctions, r, Cycle, Decimal(light->CycleTime()));
        Put(FJunctions, r, Offset, Decimal(light->CycleOffset()));
        Put(FJunctions, r, Green, Decimal(light->GreenTime()));
        Put(FJunctions, r, Yellow, Decimal(light->YellowTime()));
        Put(FJunctions, r, Red, Decimal(light->RedTime()));
        const int capacity = JunctionCapacity(light->PercentGreen(), light->PercentRed());
        Put(FJunctions, r, Capacity, Decimal(capacity));
        const double south = ArrivingFlow(light->FwInput(), light);
        const double north = ArrivingFlow(light->BkInput(), light);
        Put(FJunctions, r, FlowSouth, fixed(south, 0));
        Put(FJunctions, r, FlowNorth, fixed(north, 0));
        Put(FJunctions, r, SaturationSouth, fixed(capacity > 0 ? south / capacity : 0.0, 2));
        Put(FJunctions, r, SaturationNorth, fixed(capacity > 0 ? north / capacity : 0.0, 2));

        // Southbound the queue lies at the bottom of the link above, northbound at the top of
        // the link below.
        const int waitSouth = LongestWait(FForm->Link(k)->FwQueues());
        const int waitNorth = LongestWait(FForm->Link(k + 1)->BkQueues());
        const int queueSouth = QueueShapeOf(0, waitSouth, 0).Feet;
        const int queueNorth = QueueShapeOf(0, waitNorth, 0).Feet;
        feetSouth += queueSouth;
        feetNorth += queueNorth;
        vehiclesSouth += waitSouth / SatHeadway;
        vehiclesNorth += waitNorth / SatHeadway;
        Put(FJunctions, r, QueueFeetSouth, Decimal(queueSouth));
        Put(FJunctions, r, QueueVehiclesSouth, fixed(waitSouth / SatHeadway, 1));
        Put(FJunctions, r, QueueFeetNorth, Decimal(queueNorth));
        Put(FJunctions, r, QueueVehiclesNorth, fixed(waitNorth / SatHeadway, 1));

        // The window's measures, term by term.
        const double share = light->GetStops();
        const int junctionDelay = FForm->CalculateVehDelayAtLight(light);
        stops = AccumulateMeasure(stops, share);
        delay = AccumulateMeasure(delay, junctionDelay);
        Put(FJunctions, r, StopsSouth, fixed(share, 2));
        Put(FJunctions, r, DelaySouth,
            fixed(flow > 0 ? static_cast<double>(junctionDelay) / flow : 0.0, 2));

        failsSouth = failsSouth || light->FwCycleFailure();
        failsNorth = failsNorth || light->BkCycleFailure();
        Put(FJunctions, r, FailureSouth, failure(light->FwCycleFailure()));
        Put(FJunctions, r, FailureNorth, failure(light->BkCycleFailure()));
    }

    // The total row: the window's captions as they are written.
    const QLocale captions;
    const std::string point = captions.decimalPoint().toStdString();
    const DelayPerVehicle perVehicle = ExpectedDelayPerVehicle(delay, flow);
    QString delayText = QString::fromStdString(
        FormatDelayPerVeh(perVehicle.Value, point, captions.groupSeparator().toStdString()));
    if (perVehicle.Unit) {
        delayText += QLatin1Char(' ') + FromView(DelayUnitCaption(*perVehicle.Unit));
    }
    const QString stopsText = QString::fromStdString(FormatArtStops(stops, point));
    Put(FJunctions, TotalRow, StopsSouth, failsSouth ? Unbounded : stopsText);
    Put(FJunctions, TotalRow, DelaySouth, failsSouth ? Unbounded : delayText);
    Put(FJunctions, TotalRow, QueueFeetSouth, Decimal(feetSouth));
    Put(FJunctions, TotalRow, QueueVehiclesSouth, fixed(vehiclesSouth, 1));
    Put(FJunctions, TotalRow, QueueFeetNorth, Decimal(feetNorth));
    Put(FJunctions, TotalRow, QueueVehiclesNorth, fixed(vehiclesNorth, 1));
    Put(FJunctions, TotalRow, FailureSouth, failure(failsSouth));
    Put(FJunctions, TotalRow, FailureNorth, failure(failsNorth));
}

void TJunctionReport::RefreshBands() {
    FBands = WindowBands(*FForm);
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const auto row = [&](int Row, const ProgressionBand &Band) {
        Put(FBandGrid, Row, BandWidth, Decimal(Band.Width));
        Put(FBandGrid, Row, BandEfficiency, locale.toString(Band.Efficiency, 'f', 1));
        Put(FBandGrid, Row, BandStart,
            Band.Exists() ? Decimal(Band.Start) : QStringLiteral("none"));
    };
    row(SouthboundRow, FBands.Southbound);
    row(NorthboundRow, FBands.Northbound);
}

void TJunctionReport::RefreshSimulation() {
    const std::optional<SimulationFigures> &simulation = FForm->Simulation();
    FSimulationGrid.Table->setVisible(simulation.has_value());
    if (!simulation) {
        FSimulationNote->setText("No simulation has run yet.");
        return;
    }
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    FSimulationNote->setText(QStringLiteral("The last simulation measured %1 s.")
                                 .arg(locale.toString(simulation->SimulatedSeconds, 'f', 0)));

    // TimeSpace's southbound figures are the window's measures (the delay here in seconds);
    // northbound the same measures are taken of the northbound passage, which the window
    // draws but does not rate.
    DirectionFigures south;
    DirectionFigures north;
    double southDelay = 0.0;
    double northDelay = 0.0;
    for (int k = 1; k <= JunctionCount; ++k) {
        TTimeSpaceLight *light = FForm->Light(k);
        south.Stops = AccumulateMeasure(south.Stops, light->GetStops());
        southDelay = AccumulateMeasure(southDelay, FForm->CalculateVehDelayAtLight(light));
        const PassageResult run = NorthboundPassage(light);
        north.Stops = AccumulateMeasure(north.Stops, run.Stops);
        northDelay = AccumulateMeasure(northDelay, JunctionDelay(run.Queues, run.Stopped));
        if (light->FwCycleFailure()) {
            south.Fails = true;
            south.FailingAt.push_back(k);
        }
        if (light->BkCycleFailure()) {
            north.Fails = true;
            north.FailingAt.push_back(k);
        }
    }
    const int southFlow = FForm->CalculateflowSum(FForm->Light(ReferenceJunction)->PassFw());
    const int northFlow =
        PlatoonFlowSum(NorthboundPassage(FForm->Light(ReferenceJunction)).Departing);
    south.DelaySeconds = southFlow > 0 ? southDelay / southFlow : 0.0;
    north.DelaySeconds = northFlow > 0 ? northDelay / northFlow : 0.0;

    const auto row = [&](int Row, const DirectionFigures &Own, const DirectionSimulation &Run) {
        Put(FSimulationGrid, Row, StopsTimeSpace,
            Own.Fails ? Unbounded : locale.toString(Own.Stops, 'f', 2));
        Put(FSimulationGrid, Row, StopsSimulated, locale.toString(Run.StopsPerVehicle, 'f', 2));
        Put(FSimulationGrid, Row, DelayTimeSpace,
            Own.Fails ? Unbounded : locale.toString(Own.DelaySeconds, 'f', 1));
        Put(FSimulationGrid, Row, DelaySimulated, locale.toString(Run.DelayPerVehicle, 'f', 1));
        Put(FSimulationGrid, Row, GrowTimeSpace,
            Own.Fails ? Where(Own.FailingAt) : QStringLiteral("no"));
        Put(FSimulationGrid, Row, GrowSimulated,
            Run.QueuesGrow ? Where(Run.GrowingAt) : QStringLiteral("no"));
        Put(FSimulationGrid, Row, VehiclesSimulated, Decimal(Run.Vehicles));
    };
    row(SouthboundRow, south, simulation->Southbound);
    row(NorthboundRow, north, simulation->Northbound);
}
