#include "analysis/TrajectoryDrawing.h"

#include "model/SumoPlan.h"

#include <algorithm>
#include <optional>

namespace {

constexpr double UnitsPerMetre = 1.0 / (MetresPerFoot * FeetPerPixel);

// The part of a segment inside Area (Liang-Barsky), as shares of the way along it.
std::optional<std::pair<double, double>> Inside(const QPointF &From, const QPointF &To,
                                                const QRectF &Area) {
    double low = 0.0;
    double high = 1.0;
    const QPointF step = To - From;
    const auto edge = [&](double Step, double Room) {
        if (Step == 0.0) {
            return Room >= 0.0;
        }
        const double share = Room / Step;
        if (Step < 0.0) {
            low = std::max(low, share);
        } else {
            high = std::min(high, share);
        }
        return low <= high;
    };
    if (edge(-step.x(), From.x() - Area.left()) && edge(step.x(), Area.right() - From.x()) &&
        edge(-step.y(), From.y() - Area.top()) && edge(step.y(), Area.bottom() - From.y())) {
        return std::make_pair(low, high);
    }
    return std::nullopt;
}

} // namespace

double TraceRow(double Metres, const PerLink<double> &LinkMetres, const PerJunction<double> &Rows) {
    const double first = JunctionMetres(LinkMetres, 1);
    if (Metres <= first) {
        return Rows[1] - (first - Metres) * UnitsPerMetre;
    }
    for (int k = 2; k <= JunctionCount; ++k) {
        const double end = JunctionMetres(LinkMetres, k);
        if (Metres <= end) {
            const double start = JunctionMetres(LinkMetres, k - 1);
            const double share = end > start ? (Metres - start) / (end - start) : 1.0;
            return Rows[k - 1] + (Rows[k] - Rows[k - 1]) * share;
        }
    }
    return Rows[JunctionCount] +
           (Metres - JunctionMetres(LinkMetres, JunctionCount)) * UnitsPerMetre;
}

std::vector<TracePath> TracePaths(const TrajectoryView &View, const PerJunction<double> &Rows,
                                  const QRectF &Area) {
    std::vector<TracePath> paths;
    if (!View.Traces) {
        return paths;
    }
    PerJunction<double> junctions{};
    for (int k = 1; k <= JunctionCount; ++k) {
        junctions[k] = JunctionMetres(View.LinkMetres, k);
    }
    const double last = Area.left() + Area.width();
    const auto place = [&](double Seconds, double Metres) {
        return QPointF(Area.left() + Seconds - View.StartSeconds,
                       TraceRow(Metres, View.LinkMetres, Rows));
    };
    const std::vector<VehicleTrace> &vehicles = View.Traces->Vehicles;
    for (std::size_t v = 0; v < vehicles.size(); ++v) {
        const std::vector<TracePoint> &points = vehicles[v].Points;
        if (points.empty() || place(points.back().Seconds, 0).x() < Area.left() ||
            place(points.front().Seconds, 0).x() > last) {
            continue;
        }
        TracePath open{{}, vehicles[v].Southbound, v};
        const auto close = [&] {
            if (open.Points.size() >= 2) {
                paths.push_back(open);
            }
            open.Points.clear();
        };
        const auto segment = [&](const QPointF &From, const QPointF &To) {
            const auto part = Inside(From, To, Area);
            if (!part) {
                close();
                return;
            }
            const QPointF start = From + (To - From) * part->first;
            const QPointF end = From + (To - From) * part->second;
            if (open.Points.isEmpty() || open.Points.back() != start) {
                close();
                open.Points << start;
            }
            open.Points << end;
            if (part->second < 1.0) {
                close();
            }
        };
        if (points.size() == 1) {
            const QPointF at = place(points[0].Seconds, points[0].Metres);
            segment(at, at);
        }
        for (std::size_t i = 1; i < points.size(); ++i) {
            const TracePoint &a = points[i - 1];
            const TracePoint &b = points[i];
            QPointF from = place(a.Seconds, a.Metres);
            // Broken at every junction passed, in the order the vehicle passes them.
            const double low = std::min(a.Metres, b.Metres);
            const double high = std::max(a.Metres, b.Metres);
            for (int j = 1; j <= JunctionCount; ++j) {
                const int k = a.Metres <= b.Metres ? j : JunctionCount + 1 - j;
                if (junctions[k] > low && junctions[k] < high) {
                    const double share = (junctions[k] - a.Metres) / (b.Metres - a.Metres);
                    const QPointF at(place(a.Seconds + (b.Seconds - a.Seconds) * share, 0).x(),
                                     Rows[k]);
                    segment(from, at);
                    from = at;
                }
            }
            segment(from, place(b.Seconds, b.Metres));
        }
        close();
    }
    return paths;
}

std::size_t VehiclesDrawn(const std::vector<TracePath> &Paths) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < Paths.size(); ++i) {
        if (i == 0 || Paths[i].Vehicle != Paths[i - 1].Vehicle) {
            ++count;
        }
    }
    return count;
}
