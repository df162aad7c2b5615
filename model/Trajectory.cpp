#include "model/Trajectory.h"

#include <charconv>
#include <cmath>

namespace {
// A straight run continues while the speed along it stays within this of the run's own.
constexpr double SameSpeed = 0.05; // m/s

double Slope(const TracePoint &From, const TracePoint &To) {
    const double seconds = static_cast<double>(To.Seconds) - static_cast<double>(From.Seconds);
    return seconds > 0.0
               ? (static_cast<double>(To.Metres) - static_cast<double>(From.Metres)) / seconds
               : 0.0;
}
} // namespace

double JunctionMetres(const PerLink<double> &LinkMetres, int Junction) {
    double metres = 0.0;
    for (int k = 1; k <= Junction && k <= LinkCount; ++k) {
        metres += LinkMetres[k];
    }
    return metres;
}

TraceRecorder::TraceRecorder(const PerLink<double> &LinkMetres, std::size_t MostPoints)
    : FLength(LinkMetres), FMostPoints(MostPoints) {
    double start = 0.0;
    for (int k = 1; k <= LinkCount; ++k) {
        FStart[k] = start;
        start += LinkMetres[k];
    }
}

void TraceRecorder::Add(std::string_view Vehicle, std::string_view Lane, double Seconds,
                        double LanePosition) {
    // "s3_0": the southbound lane of link 3; "n3_0" the northbound one.
    if (Lane.size() < 4 || (Lane[0] != 's' && Lane[0] != 'n') || FTraces.Cut) {
        return;
    }
    int link = 0;
    const char *last = Lane.data() + Lane.size();
    const auto parsed = std::from_chars(Lane.data() + 1, last, link);
    if (parsed.ec != std::errc() || std::string_view(parsed.ptr, last - parsed.ptr) != "_0" ||
        link < 1 || link > LinkCount) {
        return;
    }
    const bool southbound = Lane[0] == 's';
    const double along =
        southbound ? FStart[link] + LanePosition : FStart[link] + FLength[link] - LanePosition;
    const TracePoint point{static_cast<float>(Seconds), static_cast<float>(along)};

    auto [at, added] = FIndex.try_emplace(std::string(Vehicle), FTraces.Vehicles.size());
    if (added) {
        FTraces.Vehicles.push_back({southbound, {}});
    }
    std::vector<TracePoint> &points = FTraces.Vehicles[at->second].Points;
    const std::size_t n = points.size();
    if (n >= 2 &&
        std::abs(Slope(points[n - 2], points[n - 1]) - Slope(points[n - 1], point)) <= SameSpeed) {
        points.back() = point; // the straight run goes on
        return;
    }
    if (FTraces.PointCount >= FMostPoints) {
        FTraces.Cut = true;
        return;
    }
    points.push_back(point);
    ++FTraces.PointCount;
}

SimulatedTraces TraceRecorder::Take() {
    FIndex.clear();
    SimulatedTraces traces = std::move(FTraces);
    FTraces = {};
    return traces;
}
