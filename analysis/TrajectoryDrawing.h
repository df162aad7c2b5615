#pragma once

#include "model/Common.h"
#include "model/Trajectory.h"

#include <QColor>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <memory>
#include <vector>

// The simulated vehicles' paths drawn over the time-space diagram, the same way on the window's
// overlay and in the vector drawing of the exports and the report.
//
// Across: the diagram's second x is the simulated second StartSeconds + x, within the time axis.
// Down: a place at JCT #k's stop line lies on strip k's middle row, and a place between two
// junctions at its share of the way between their rows; above JCT #1 and below JCT #6 the
// diagram's own scale holds, one unit per FeetPerPixel feet.

// Southbound blue, northbound brown: neither is the band's magenta or orange, a platoon's
// teal or gray, nor a signal's colour.
inline const QColor SouthboundTraceColour{50, 90, 255};
inline const QColor NorthboundTraceColour{150, 75, 0};

// One run's traces over a stretch of the simulation.
struct TrajectoryView {
    std::shared_ptr<const SimulatedTraces> Traces;
    double StartSeconds = 0.0;    // the simulated second at the diagram's second 0
    PerLink<double> LinkMetres{}; // of the simulated plan, link 1 to 7
    // What the lines are, for a picture's legend: "run 2 of 10 (seed 2) with ...; simulated
    // seconds 345 to 805, from JCT #1's cycle 4."
    QString Caption;
};

struct TracePath {
    QPolygonF Points;
    bool Southbound = true;
    std::size_t Vehicle = 0; // its trace's place in the traces
};

// Where a place Metres from the northern end lies down the diagram, junction k's middle row at
// Rows[k].
double TraceRow(double Metres, const PerLink<double> &LinkMetres, const PerJunction<double> &Rows);

// Every trace's part within Area (its left edge the diagram's second 0, one unit a second) as
// polylines; a trace that leaves Area and comes back gives two. Each span between two points
// is broken at the junctions it passes, where the scale down changes.
std::vector<TracePath> TracePaths(const TrajectoryView &View, const PerJunction<double> &Rows,
                                  const QRectF &Area);

// How many vehicles have a path in Paths.
std::size_t VehiclesDrawn(const std::vector<TracePath> &Paths);
