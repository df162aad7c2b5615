#pragma once

#include "model/Common.h"
#include "model/Trajectory.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// How the simulator is asked to run the arterial. The diagram's own assumptions (its platoons,
// drivers who keep its saturation headway and never dawdle) make a run deterministic; random
// arrivals at the same hourly volume, or the simulator's typical drivers (its own car-following
// defaults: start-up loss, dawdling, each driver's own speed), make every seed a different day.
enum class SimulatedArrivals { Platoons, Random };
enum class SimulatedDrivers { Diagram, Typical };

struct SimulationChoice {
    SimulatedArrivals Arrivals = SimulatedArrivals::Platoons;
    SimulatedDrivers Drivers = SimulatedDrivers::Diagram;
    std::int32_t Runs = 1; // replications, each with its own seed
};
inline constexpr std::int32_t MostRuns = 100;
inline constexpr std::int32_t RandomRuns = 10; // the replications offered when a run is random
bool Deterministic(const SimulationChoice &Choice);
// 1 when the runs would all be the same, RandomRuns otherwise.
std::int32_t DefaultRuns(const SimulationChoice &Choice);
// The replication's seed: 1 for the first, 2 for the second, ...
std::uint32_t RunSeed(std::int32_t Run);
// "platoons" / "random", "diagram" / "typical": the words of the command line and of the
// figures in JSON; the parse gives false for any other word.
std::string_view ArrivalsWord(SimulatedArrivals Arrivals);
std::string_view DriversWord(SimulatedDrivers Drivers);
bool ParseArrivals(std::string_view Word, SimulatedArrivals &Arrivals);
bool ParseDrivers(std::string_view Word, SimulatedDrivers &Drivers);

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
    std::uint32_t Seed = 0;        // the simulator's seed (0: its own default)
    // The vehicles' paths along the arterial, when they were read; shared, since they can run
    // to megabytes and the figures are copied.
    std::shared_ptr<const SimulatedTraces> Traces;
};

// A figure over the replications: its mean, its range, and the 95 % confidence interval of the
// mean from Student's t with n - 1 degrees of freedom (none for a single run).
struct Spread {
    std::int32_t Runs = 0;
    double Mean = 0.0;
    double Least = 0.0;
    double Greatest = 0.0;
    bool HasInterval = false;
    double Low = 0.0;
    double High = 0.0;
};
Spread SpreadOf(const std::vector<double> &Values);
// Student's t for a two-sided 95 % interval with the given degrees of freedom (>= 1).
double StudentT95(std::int32_t DegreesOfFreedom);

// The replications of one arterial under one choice, in seed order.
struct SimulationSet {
    SimulationChoice Choice;
    std::vector<SimulationFigures> Runs;
};

// One direction over the replications. The stops and delay are taken over the runs that
// counted vehicles of that direction.
struct DirectionSpread {
    std::int32_t Sent = 0; // vehicles sent in each run (the same in every run)
    Spread Vehicles;
    Spread Stops;
    Spread Delay;
    std::int32_t UnfinishedRuns = 0;    // runs that stopped with vehicles still on their way
    PerJunction<std::int32_t> GrewIn{}; // runs in which the junction's queue grew
    std::int32_t RunsWithGrowth = 0;    // runs in which any queue grew
};
DirectionSpread SpreadOf(const SimulationSet &Set, bool Southbound);

// Two plans run with the same seeds compare run by run: the spread of To's figure less From's,
// seed for seed, over the runs in which both counted vehicles of the direction. The interval of
// this difference is far narrower than the two plans' own intervals suggest, since a seed's
// traffic is the same for both.
Spread DifferenceOf(const SimulationSet &From, const SimulationSet &To, bool Southbound,
                    double DirectionSimulation::*Figure);
