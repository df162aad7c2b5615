#pragma once

#include "model/Common.h"
#include "model/Evaluation.h"
#include "model/Plan.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Finding better timings for the arterial: the offsets of the junctions the user has not
// locked, and optionally one common cycle, for the widest two-way progression band or for the
// least delay and stops. Every plan looked at is evaluated as the window would evaluate it
// after applying it as one edit, so that the figures proposed are the figures the window then
// shows.
//
// The widest band is exact: with one cycle everywhere the band of each direction depends on a
// junction's offset only through where the band crosses that junction's green, so the search
// runs over the bands' positions relative to each other and their widths, and every junction
// that is free takes an offset that lets both bands through. Nothing is left out, and the
// plan found is evaluated to confirm that the model's own band is as wide. The least delay is
// a search (descents from many starts), and never proposes a plan worse than the current one.

enum class OptimiseObjective { WidestBand, LeastDelay };

// Seconds of delay a stop counts as: decelerating from the arterial's speed to a stop and
// accelerating back costs some 8 s of travel time without any wait, and a stop costs fuel and
// comfort besides.
inline constexpr double DefaultStopPenalty = 10.0;
inline constexpr double MaxStopPenalty = 600.0;

struct CycleRange {
    std::int32_t Least = 0;
    std::int32_t Greatest = 0;
    friend bool operator==(const CycleRange &, const CycleRange &) = default;
};

// How much a direction's band counts in the weighted two-way band.
struct BandWeights {
    double South = 1.0;
    double North = 1.0;
    friend bool operator==(const BandWeights &, const BandWeights &) = default;
};

struct OptimiseRequest {
    OptimiseObjective Objective = OptimiseObjective::WidestBand;
    PerJunction<bool> Locked{}; // a locked junction keeps its offset
    // The band's weights; without them each direction weighs its volume (both 1 when both
    // volumes are 0).
    std::optional<BandWeights> Weights;
    double StopPenalty = DefaultStopPenalty; // seconds of delay per stop
    // One common cycle searched in this range, each junction keeping its shares of red and
    // green; without it every junction keeps its cycle.
    std::optional<CycleRange> Cycles;
    // How long the delay search looks: 1 is the dialog's; larger looks that many times longer.
    std::int32_t Effort = 1;
};

// The weights the request's band objective uses for the plan.
BandWeights WeightsFor(const ArterialPlan &Plan, const OptimiseRequest &Request);

// What the request asks that cannot be done as asked, in a sentence; nothing when it can be.
std::optional<std::string> RequestProblem(const ArterialPlan &Plan, const OptimiseRequest &Request);

// One direction's figures as the optimiser compares plans.
struct DirectionFigures {
    std::int32_t BandWidth = 0;  // seconds
    double BandEfficiency = 0.0; // percent of JCT #1's cycle
    double DelaySeconds = 0.0;   // per vehicle
    double Stops = 0.0;          // per vehicle
    bool Failure = false;
    friend bool operator==(const DirectionFigures &, const DirectionFigures &) = default;
};

struct PlanFigures {
    DirectionFigures South;
    DirectionFigures North;
    // The bands' widths averaged by the weights, seconds: what the band objective maximises.
    double WeightedBand = 0.0;
    // Junctions where either direction's arrivals of a cycle need more than one green.
    std::int32_t FailingJunctions = 0;
    // Delay plus the stop penalty per stop, both directions, in vehicle-hours per hour: each
    // direction's vehicles an hour times its delay and penalised stops per vehicle.
    double PerformanceIndex = 0.0;
    friend bool operator==(const PlanFigures &, const PlanFigures &) = default;
};

PlanFigures FiguresOf(const ArterialPlan &Plan, const ArterialEvaluation &Result,
                      const BandWeights &Weights, double StopPenalty);

enum class OptimiseOutcome {
    Improved,    // Proposed is better than the start
    AlreadyBest, // nothing searched beats the start; Proposed is the start
    Cancelled,   // stopped by the caller; Proposed is the start
    Refused      // the request cannot be done (Message says why); Proposed is the start
};

struct OptimiseResult {
    OptimiseOutcome Outcome = OptimiseOutcome::Refused;
    std::string Message;
    ArterialPlan Start;
    ArterialPlan Proposed;
    // The crossroad #2 share's maximum once the proposal is applied.
    std::int32_t EnteringMaximum = 0;
    ArterialEvaluation Before;
    ArterialEvaluation After;
    PlanFigures BeforeFigures;
    PlanFigures AfterFigures;
    // The band objective proved that no whole-second offsets (and no cycle of the range) give
    // a wider weighted band.
    bool Exact = false;
    std::int64_t Evaluations = 0;
};

// The share of the search done, 0 to 1, given often (at least every few milliseconds);
// returning false stops the search at once, and the result then proposes the start.
using OptimiseProgress = std::function<bool(double)>;

// Searches from the plan the links were last evaluated for (their sets as that evaluation
// left them, or all empty for a plan evaluated once from nothing).
OptimiseResult Optimise(const ArterialPlan &Start, const PerLink<LinkSets> &Links,
                        const OptimiseRequest &Request, const OptimiseProgress &Progress = {});
