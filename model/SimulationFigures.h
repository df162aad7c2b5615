#pragma once

#include <cstdint>
#include <vector>

// What a run of the traffic simulator found for one direction of the arterial, over its
// measured cycles.
struct DirectionSimulation {
    std::int32_t Sent = 0;               // vehicles that entered in the measured cycles
    std::int32_t Vehicles = 0;           // those the simulator's answer accounts for
    std::int32_t Unfinished = 0;         // of those, still on their way when the run stopped
    double StopsPerVehicle = 0.0;        // stops per vehicle counted
    double DelayPerVehicle = 0.0;        // seconds lost per vehicle counted
    bool QueuesGrow = false;             // a junction's queue grows from cycle to cycle
    std::vector<std::int32_t> GrowingAt; // the junctions (1 to 6) where it does
};

struct SimulationFigures {
    DirectionSimulation Southbound;
    DirectionSimulation Northbound;
    double SimulatedSeconds = 0.0; // the measured time
    double StoppedAt = 0.0;        // where the run ended at the latest, seconds from its start
};
