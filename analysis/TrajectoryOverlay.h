#pragma once

#include "analysis/DiagramOverlay.h"
#include "analysis/TrajectoryDrawing.h"

#include <QList>
#include <QPolygon>
#include <QRect>

#include <cstdint>
#include <optional>
#include <vector>

class TArterialDocument;

// The simulated vehicles' paths of one run of the document's last simulation over the
// time-space diagram, for a stretch of 460 s from the start of one of JCT #1's cycles: each
// vehicle a one-pixel polyline, southbound and northbound in their own colours, within the time
// axis and the panel (TrajectoryDrawing's mapping onto the strips' middle rows). Nothing is
// drawn without a simulation, for a run without traces, or once the timing has changed since
// the simulation. The paths are worked out when the run, the stretch, the simulation or a
// strip's place changes, shown or not, so that what the overlay would draw can be told; painting
// only draws those that cross the region asked for.
class TTrajectoryOverlay : public TDiagramOverlay {
    Q_OBJECT

  public:
    enum class Drawing { NoSimulation, TimingChanged, NoTraces, Traces };

    // Made hidden, on the diagram panel that holds the strips; the simulation is the document's.
    TTrajectoryOverlay(QWidget *Panel, const TArterialDocument *Document,
                       const PerJunction<const QWidget *> &Strips);

    // The run (0 for the first) and the JCT #1 cycle the stretch starts with (0 for the first);
    // a new simulation starts over at the first run and the first measured cycle.
    std::int32_t Run() const { return FRun; }
    void SetRun(std::int32_t Run);
    std::int32_t FromCycle() const { return FFromCycle; }
    void SetFromCycle(std::int32_t Cycle);
    // JCT #1's cycles the chosen run went through, the last one perhaps in part.
    std::int32_t SimulatedCycles() const;

    Drawing State() const { return FState; }
    // What the overlay draws (in the panel's pixels) and for which run and stretch, when State()
    // is Traces.
    const std::vector<TracePath> &Paths() const { return FPaths; }
    std::optional<TrajectoryView> View() const;
    std::size_t Vehicles() const { return FVehicles; }
    bool Cut() const;

  signals:
    // The state, the run, the stretch or the paths changed.
    void Changed();

  protected:
    void paintEvent(QPaintEvent *Event) override;
    void DrawLines(QPainter &Painter, const QRegion &Within) const override;
    void Follow() override { Take(); }

  private:
    // Takes the simulation and the strips' places again and repaints where the paths changed.
    void Take();
    void NewSimulation();

    const TArterialDocument *FDocument;
    std::int32_t FRun = 0;
    std::int32_t FFromCycle = 0;
    Drawing FState = Drawing::NoSimulation;
    std::vector<TracePath> FPaths;
    // The paths in whole pixels, with the pixels each covers.
    QList<QPolygon> FPixels;
    QList<QRect> FBounds;
    QRect FDrawn; // everything drawn
    std::size_t FVehicles = 0;
    PerJunction<int> FRows{};
    const SimulatedTraces *FFollowed = nullptr;
};
