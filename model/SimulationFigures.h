#pragma once

#include <cstdint>
#include <vector>

// What a run of the traffic simulator found for one direction of the arterial, over its
// measured cycles.
struct DirectionSimulation {
    std::int32_t Vehicles = 0;    // vehicles that completed the arterial in the measured time
    double StopsPerVehicle = 0.0; // stops per completed vehicle
    double DelayPerVehicle = 0.0; // seconds lost per completed vehicle
    bool QueuesGrow = false;      // a junction's queue grows from cycle to cycle
    std::vector<std::int32_t> GrowingAt; // the junctions (1 to 6) where it does
};

struct SimulationFigures {
    DirectionSimulation Southbound;
    DirectionSimulation Northbound;
    double SimulatedSeconds = 0.0; // the measured time
};
