#pragma once

#include "model/Common.h"
#include "model/Plan.h"
#include "model/SignalTiming.h"
#include "model/SimulationFigures.h"
#include "model/Travel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The arterial as the traffic simulator is given it: junction spacing, signal programs,
// demand and the measured period, and the reading of the simulator's answer. The simulator
// drives real vehicles through the same signals, so the arithmetic here keeps the diagram's
// own terms wherever the two could differ: its travel spans, its green windows, its entry
// platoons at the saturation headway.

inline constexpr double MetresPerFoot = 0.3048;
inline constexpr double MetresPerSecondPerMph = 0.44704;

// Cycles of JCT #1 before the measurement starts (the queues settle) and measured.
inline constexpr int WarmUpCycles = 3;
inline constexpr int MeasuredCycles = 20;

// Every junction is a crossroad with short two-way streets on both sides.
inline constexpr double CrossStreetMetres = 150.0;
// The crossroad's own yellow, taken from the end of the arterial's red when that is long
// enough to keep some green for the crossroad.
inline constexpr int CrossYellowSeconds = 3;

// The car follower's reaction time that makes a standing queue discharge at SatHeadway with
// drivers who never dawdle: measured with a 40-vehicle queue, 2.48 s from the fifth vehicle
// on and 2.50 s over the whole queue.
inline constexpr double DriverReactionTime = 2.15;

double FeetToMetres(std::int32_t feet);
double SpeedMetresPerSecond(std::int32_t mph);

// A junction's fixed-time program. A cycle starts with the arterial's green at the offset,
// as the strip draws it; the green lasts the strip's green window (green and the first half
// of the yellow), the rest of the yellow follows, then the red, in which the crossroad has its
// green and yellow. Phases of 0 s are left out.
struct SignalProgram {
    std::int32_t Cycle = 0;
    std::int32_t Offset = 0; // within [0, Cycle): where the arterial's green starts
    std::int32_t ArterialGreen = 0;
    std::int32_t ArterialYellow = 0;
    std::int32_t Red = 0;
    std::int32_t CrossGreen = 0;
    std::int32_t CrossYellow = 0;
};
SignalProgram SignalProgramFor(const JunctionSignal &Signal);

// Link k's length in metres: the distance a platoon covers in the diagram's travel time
// (PlanLink), so that free-flow times at the set speed are the diagram's.
double LinkMetres(const ArterialPlan &Plan, int Link);

// Vehicles of the platoon entering the arterial in JCT #1's cycle number Cycle (0 for the
// first): the hourly volume spread exactly over the cycles. Each platoon takes the whole
// vehicles of its share and carries the fraction to the next, so the first n platoons hold
// Trunc(n x volume x cycle / 3600) vehicles (28.4 a cycle gives 28, 28, 29, 28, 29, ...).
std::int32_t PlatoonVehicles(std::int32_t volume, std::int32_t entryCycleTime, std::int32_t Cycle);

// The measured period: from WarmUpCycles to WarmUpCycles + MeasuredCycles cycles of JCT #1.
double MeasurementStart(const ArterialPlan &Plan);
double MeasurementEnd(const ArterialPlan &Plan);
// Where the simulation stops at the latest. The vehicles of the measured cycles are followed
// until they leave the arterial: the last of them have time to cross it at free flow at the
// slower speed, and the queues as long again as the whole run's demand took (its cycles at the
// longest cycle time) to drain. Vehicles still on their way then count with the delay they
// have had so far.
double SimulationEnd(const ArterialPlan &Plan);

// How one run is asked for: the arrivals and drivers, the seed of every random choice (the
// simulator's and the arrivals'), and whether the vehicles' paths are kept for drawing.
struct SumoRunOptions {
    SimulatedArrivals Arrivals = SimulatedArrivals::Platoons;
    SimulatedDrivers Drivers = SimulatedDrivers::Diagram;
    std::uint32_t Seed = RunSeed(0);
    bool Traces = false;
};

// The options of replication Run (0 for the first) under Choice, its paths not kept.
SumoRunOptions RunOptions(const SimulationChoice &Choice, std::int32_t Run);

// The most trace points one run keeps (8 bytes each): a busy run at high volumes keeps its
// first 2,000,000 and says that its traces were cut. Only the first TracedRuns replications keep
// theirs, so that a hundred runs hold no more than ten.
inline constexpr std::size_t MostTracePoints = 2'000'000;
inline constexpr std::int32_t TracedRuns = 10;

// A vehicle of the main road: one platoon per JCT #1 cycle and direction, entering at the
// arterial's end at the cycle's start, one vehicle every SatHeadway seconds. With random
// arrivals the same number of vehicles enter in the warm-up and in the measured period, each at
// a time drawn at random within its period, and a vehicle belongs to the cycle it enters in.
struct MainRoadVehicle {
    bool Southbound = true;
    std::int32_t Cycle = 0; // 0 for the first platoon
    std::int32_t Index = 0; // within the platoon
    double Depart = 0.0;
    bool Leaves = false; // turns onto crossroad #5
};
// Both directions' vehicles until the measured period ends, by departure time. The leaving
// share is spread evenly over the southbound vehicles in the order they enter.
std::vector<MainRoadVehicle>
MainRoadVehicles(const ArterialPlan &Plan, SimulatedArrivals Arrivals = SimulatedArrivals::Platoons,
                 std::uint32_t Seed = RunSeed(0));

// "s.<cycle>.<index>" or "n.<cycle>.<index>", and back.
std::string VehicleId(const MainRoadVehicle &Vehicle);
std::optional<MainRoadVehicle> ParseVehicleId(std::string_view Id);

// Entering traffic per hour from crossroad #2 that stays on the arterial, and that leaves
// again onto crossroad #5.
double EnteringStaying(const ArterialPlan &Plan);
double EnteringLeaving(const ArterialPlan &Plan);

// A vehicle below this speed has stopped (5 km/h, the simulator's own halting speed for its
// detectors): a driver closing up on a red light creeps the last metres and may never come
// below the simulator's 0.1 m/s of waiting.
inline constexpr double HaltingSpeed = 5.0 / 3.6;

// One trip of a main-road vehicle of the measured cycles.
struct TripRecord {
    // Approaches where the vehicle stopped: at most one stop a junction, as the diagram
    // counts the share of a junction's arrivals that stop.
    std::int32_t Stops = 0;
    double TimeLoss = 0.0; // seconds behind free flow, waiting to enter included
    // False for a vehicle still on the arterial, or still waiting to enter it, when the run
    // stopped: its stops and time loss are those it had by then.
    bool Arrived = true;
};
// Stops and delay per vehicle over the trips, of Sent vehicles; no figures when there are no
// trips.
DirectionSimulation SummariseTrips(const std::vector<TripRecord> &Trips, std::int32_t Sent);

// The rule for oversaturation. For each junction and direction the simulator counts the
// vehicles on the approach, averaged over each of the junction's measured cycles: what the
// green leaves behind stays there, standing or creeping up to the stop line. The queue grows
// from cycle to cycle when the least-squares line through those means rises by at least
// QueueGrowthPerCycle vehicles a cycle: a green that falls one vehicle short every two cycles.
// Platoons swinging against the other cycles of their neighbours move the means up and down by
// some vehicles; over the measured cycles that tilts the line by less.
inline constexpr double QueueGrowthPerCycle = 0.5;
// Vehicles a cycle by which the line through the means rises; 0 for fewer than two cycles.
double QueueTrend(const std::vector<double> &VehiclesPerCycle);
bool QueueGrows(const std::vector<double> &VehiclesPerCycle);

// The junctions where the direction's queues grow, in the numbering 1..6. A junction whose
// next junction downstream grows as well is left out: its growth is that queue reaching back
// across it, not a failure of its own green.
std::vector<std::int32_t> GrowingQueues(const PerJunction<std::vector<double>> &VehiclesPerCycle,
                                        bool Southbound);
