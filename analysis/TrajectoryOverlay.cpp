#include "analysis/TrajectoryOverlay.h"

#include "document/ArterialDocument.h"
#include "document/SimulationText.h"
#include "model/Diagram.h"
#include "model/Numbers.h"
#include "model/SumoPlan.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

TTrajectoryOverlay::TTrajectoryOverlay(QWidget *Panel, const TArterialDocument *Document,
                                       const PerJunction<const QWidget *> &Strips)
    : TDiagramOverlay(Panel, Strips, QStringLiteral("TrajectoryOverlay")), FDocument(Document) {
    // An edit can make the simulation stale, and its undo current again.
    connect(Document, &TArterialDocument::Recomputed, this, &TTrajectoryOverlay::Take);
    connect(Document, &TArterialDocument::SimulationChanged, this,
            &TTrajectoryOverlay::NewSimulation);
    FFromCycle = WarmUpCycles;
    Take();
}

void TTrajectoryOverlay::NewSimulation() {
    FRun = 0;
    FFromCycle = WarmUpCycles;
    FFollowed = nullptr;
    Take();
    emit Changed();
}

void TTrajectoryOverlay::SetRun(std::int32_t Run) {
    const auto &set = FDocument->Simulation();
    const std::int32_t runs = set ? static_cast<std::int32_t>(set->Runs.size()) : 0;
    Run = std::clamp(Run, 0, std::max(runs - 1, 0));
    if (Run != FRun) {
        FRun = Run;
        FFollowed = nullptr;
        Take();
        emit Changed();
    }
}

void TTrajectoryOverlay::SetFromCycle(std::int32_t Cycle) {
    Cycle = std::clamp(Cycle, 0, std::max(SimulatedCycles() - 1, 0));
    if (Cycle != FFromCycle) {
        FFromCycle = Cycle;
        FFollowed = nullptr;
        Take();
        emit Changed();
    }
}

std::int32_t TTrajectoryOverlay::SimulatedCycles() const {
    const auto &set = FDocument->Simulation();
    const std::int32_t cycle = FDocument->SimulatedPlan().Signals[1].CycleTime;
    if (!set || set->Runs.empty() || cycle <= 0) {
        return 0;
    }
    // The run goes on until its last vehicle has left: beyond that there is nothing to draw.
    const SimulationFigures &run = set->Runs[static_cast<std::size_t>(FRun)];
    double end = 0.0;
    if (run.Traces) {
        for (const VehicleTrace &vehicle : run.Traces->Vehicles) {
            if (!vehicle.Points.empty()) {
                end = std::max(end, static_cast<double>(vehicle.Points.back().Seconds));
            }
        }
    } else {
        end = run.StoppedAt;
    }
    return std::max(static_cast<std::int32_t>(std::ceil(end / cycle)), WarmUpCycles + 1);
}

std::optional<TrajectoryView> TTrajectoryOverlay::View() const {
    if (FState != Drawing::Traces) {
        return std::nullopt;
    }
    const ArterialPlan &plan = FDocument->SimulatedPlan();
    TrajectoryView view;
    view.Traces = FDocument->Simulation()->Runs[static_cast<std::size_t>(FRun)].Traces;
    view.StartSeconds = static_cast<double>(FFromCycle) * plan.Signals[1].CycleTime;
    const SimulationSet &set = *FDocument->Simulation();
    view.Caption = QStringLiteral("run %1 of %2 (seed %3) with %4; simulated seconds %5 "
                                  "to %6, from JCT #1's cycle %7.")
                       .arg(FRun + 1)
                       .arg(set.Runs.size())
                       .arg(set.Runs[static_cast<std::size_t>(FRun)].Seed)
                       .arg(SimulationText::Choice(set.Choice))
                       .arg(view.StartSeconds, 0, 'f', 0)
                       .arg(view.StartSeconds + StripWidth, 0, 'f', 0)
                       .arg(FFromCycle + 1);
    for (int k = 1; k <= LinkCount; ++k) {
        view.LinkMetres[k] = LinkMetres(plan, k);
    }
    return view;
}

bool TTrajectoryOverlay::Cut() const {
    const std::optional<TrajectoryView> view = View();
    return view && view->Traces->Cut;
}

void TTrajectoryOverlay::Take() {
    const auto &set = FDocument->Simulation();
    Drawing state = Drawing::Traces;
    if (!set || set->Runs.empty()) {
        state = Drawing::NoSimulation;
    } else if (!FDocument->SimulationCurrent()) {
        state = Drawing::TimingChanged;
    } else if (!set->Runs[static_cast<std::size_t>(FRun)].Traces) {
        state = Drawing::NoTraces;
    }
    PerJunction<int> rows{};
    for (int k = 1; k <= JunctionCount; ++k) {
        rows[k] = MiddleRow(k);
    }
    const SimulatedTraces *traces =
        state == Drawing::Traces ? set->Runs[static_cast<std::size_t>(FRun)].Traces.get() : nullptr;
    if (state == FState && rows == FRows && traces == FFollowed) {
        return; // most recomputations change nothing drawn here
    }
    const bool told = state != FState;
    FState = state;
    FRows = rows;
    FFollowed = traces;

    const QRect before = FDrawn;
    FPaths.clear();
    FPixels.clear();
    FBounds.clear();
    FDrawn = QRect();
    if (const std::optional<TrajectoryView> view = View()) {
        PerJunction<double> middle{};
        for (int k = 1; k <= JunctionCount; ++k) {
            middle[k] = rows[k];
        }
        FPaths = TracePaths(*view, middle, QRectF(0, 0, StripWidth, height() - 1));
        for (const TracePath &path : FPaths) {
            // Whole pixels: a stop keeps its row, and 1-px lines stay crisp.
            QPolygon pixels;
            pixels.reserve(path.Points.size());
            for (const QPointF &point : path.Points) {
                const QPoint at(Round(point.x()), Round(point.y()));
                if (pixels.isEmpty() || pixels.back() != at) {
                    pixels << at;
                }
            }
            if (pixels.size() == 1) {
                pixels << pixels.front();
            }
            FPixels << pixels;
            FBounds << pixels.boundingRect().adjusted(-1, -1, 1, 1);
            FDrawn |= FBounds.back();
        }
    }
    FVehicles = VehiclesDrawn(FPaths);
    if (isVisible()) {
        update((before | FDrawn) & QRect(0, 0, StripWidth, height()));
    }
    if (told || FState == Drawing::Traces) {
        emit Changed();
    }
}

void TTrajectoryOverlay::paintEvent(QPaintEvent *Event) {
    // Asked for wherever anything on the panel repaints: most often few paths lie there.
    const QRegion dirty = Event->region() & QRect(0, 0, StripWidth, height());
    if (!dirty.intersects(FDrawn)) {
        return;
    }
    QPainter painter(this);
    Draw(painter, dirty);
}

void TTrajectoryOverlay::DrawLines(QPainter &Painter, const QRegion &Within) const {
    const QPen south(SouthboundTraceColour, 1);
    const QPen north(NorthboundTraceColour, 1);
    for (qsizetype i = 0; i < FPixels.size(); ++i) {
        if (Within.intersects(FBounds[i])) {
            Painter.setPen(FPaths[static_cast<std::size_t>(i)].Southbound ? south : north);
            Painter.drawPolyline(FPixels[i]);
        }
    }
}
