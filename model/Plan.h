#pragma once

#include "model/Common.h"
#include "model/Scenario.h"
#include "model/SignalTiming.h"
#include "model/Travel.h"

#include <cstdint>

// The arterial's timing plan and traffic: everything the evaluation of both directions needs,
// as plain values. The window, a scenario file and any other caller give the same plan the same
// figures.

// One junction's timing as its strip holds it: the durations are kept beside the shares, since
// a split drag leaves durations that the shares do not give back.
struct JunctionSignal {
    std::int32_t CycleTime = 0;
    std::int32_t CycleOffset = 0;
    Durations Times;
    std::int32_t PercentRed = 0;
    std::int32_t PercentGreen = 0;
    friend bool operator==(const JunctionSignal &, const JunctionSignal &) = default;
};

struct ArterialPlan {
    PerJunction<JunctionSignal> Signals;
    PerLink<std::int32_t> SpanPixels{}; // link k ends at JCT #k, link 7 beyond JCT #6
    std::int32_t SouthSpeedMph = 45;
    std::int32_t NorthSpeedMph = 45;
    std::int32_t SouthVolume = 0; // veh/hr
    std::int32_t NorthVolume = 0;
    std::int32_t EnteringPercent = 0; // of the southbound volume, from crossroad #2
    std::int32_t LeavingPercent = 0;  // of the southbound traffic, onto crossroad #5
    friend bool operator==(const ArterialPlan &, const ArterialPlan &) = default;
};

// Link k of the plan as the diagram drives it: MeasureLink of its span at the plan's speeds.
LinkMeasure PlanLink(const ArterialPlan &Plan, int Link);

// The plan of a scenario whose diagram is laid out for its strips' tops, as an opened file is.
ArterialPlan PlanOf(const Scenario &Settings);
