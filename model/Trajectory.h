#pragma once

#include "model/Common.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The simulated vehicles' paths along the arterial, as the simulator's floating-car output gives
// them second by second, kept for drawing over the time-space diagram.
//
// A place on the arterial is given in metres from its northern end along the lanes: the stop
// line of JCT #k lies at the sum of the lengths of links 1 to k, whichever way a vehicle drives.

struct TracePoint {
    float Seconds = 0.0F; // simulated time
    float Metres = 0.0F;  // from the arterial's northern end
};

// One vehicle's stay on one direction of the arterial, points in time order.
struct VehicleTrace {
    bool Southbound = true;
    std::vector<TracePoint> Points;
};

struct SimulatedTraces {
    std::vector<VehicleTrace> Vehicles;
    // The points kept; Cut when the bound was reached and later points were left out.
    std::size_t PointCount = 0;
    bool Cut = false;
};

// Builds the traces while the output is read, one sample at a time, in the order the
// simulator writes them (time steps in order, vehicles within a step in any order). Samples on
// lanes other than the arterial's ("s<k>_0", "n<k>_0") are passed over. A point that continues
// its vehicle's straight run (the same speed, or standing) replaces the run's last point rather
// than adding one, and no more than MostPoints points are kept in all.
class TraceRecorder {
  public:
    // Link k's length in metres, k = 1..7, as the scenario gives the simulator.
    TraceRecorder(const PerLink<double> &LinkMetres, std::size_t MostPoints);

    void Add(std::string_view Vehicle, std::string_view Lane, double Seconds, double LanePosition);
    SimulatedTraces Take();

  private:
    PerLink<double> FStart{}; // where each link's lanes begin southbound: its upstream end
    PerLink<double> FLength{};
    std::size_t FMostPoints;
    SimulatedTraces FTraces;
    std::unordered_map<std::string, std::size_t> FIndex; // vehicle -> its trace
};

// Where JCT #k's stop line lies, in metres from the northern end.
double JunctionMetres(const PerLink<double> &LinkMetres, int Junction);
