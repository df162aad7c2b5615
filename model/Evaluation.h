#pragma once

#include "model/Band.h"
#include "model/Common.h"
#include "model/Measures.h"
#include "model/Passage.h"
#include "model/Plan.h"
#include "model/SignalTiming.h"
#include "model/Travel.h"

#include <cstdint>

// The whole arterial computed from a plan: both directions through the six signals, the
// crossroads between them, the measures, the bands and the junction report's figures. One call
// gives everything the window, the report, the exports and the command line show; it reads no
// control and allocates nothing.
//
// The links keep, in the slots a platoon does not fill within the time axis, the starts an
// earlier computation left (TravelPlatoons), and each stored set is merged in one pass every
// time the link computes its travel. So the evaluation takes the links' sets as the previous
// evaluation left them, and runs every link's travel as often and in the order the window's
// recomputation always has: northbound from JCT #6 to JCT #1, then southbound from JCT #1 to
// JCT #6, storing a set, asking for the arrivals and storing the queues at each junction.

// One direction at one junction.
struct DirectionAtJunction {
    // What arrives, as the link below (northbound) or above (southbound) hands it to the strip.
    PlatoonSet Arriving;
    // The passage of those arrivals through the junction's green windows.
    PassageResult Passage;
    // The junction's delay of one cycle (JunctionDelay of the passage), platoon seconds x s.
    std::int32_t Delay = 0;
    // The hourly volume the arriving platoon carries: its platoon seconds over the platoon
    // factor of JCT #1's cycle, at which both entering platoons are made and with which they
    // enter, once a JCT #1 cycle.
    double Flow = 0.0;
    // Flow over the junction's capacity (0 without capacity).
    double Saturation = 0.0;
    // The longest queue of the passage's queue set: its wait in seconds, its length in feet as
    // the link draws it (VehicleSpacing per SatHeadway of wait), and in vehicles.
    std::int32_t LongestWait = 0;
    std::int32_t QueueFeet = 0;
    double QueueVehicles = 0.0;
};

struct JunctionEvaluation {
    GreenWindows Greens;         // as the strip keeps them
    std::int32_t LastWindow = 0; // the last window the passage lays platoons against
    std::int32_t WindowCapacity = 0;
    std::int32_t Capacity = 0; // veh/hr (JunctionCapacity)
    DirectionAtJunction South;
    DirectionAtJunction North;
};

// A direction's measures over the six junctions: the share of arrivals that stop and the
// delay, added junction by junction as the window's captions add them, the delay per vehicle
// over the direction's flow. Southbound the flow is the platoon seconds leaving the reference
// junction (JCT #3); northbound the platoon seconds entering at JCT #6.
struct DirectionMeasures {
    double Stops = 0.0;
    double TotalDelay = 0.0;
    std::int32_t Flow = 0;
    DelayPerVehicle Delay; // in the unit the caption chooses
    double DelaySeconds = 0.0;
    bool Failure = false; // a junction's arrivals of one cycle need more than one green window
    // The measures have no bound under a failure: the captions then say UnboundedCaption.
    bool Bounded() const { return !Failure; }
};

struct ArterialEvaluation {
    PerJunction<JunctionEvaluation> Junctions;
    PerLink<LinkMeasure> LinkMeasures;
    PerLink<LinkSets> Links; // what each link holds afterwards; the next evaluation starts here
    DirectionMeasures South;
    DirectionMeasures North;
    ArterialBands Bands;
    double PlatoonFactor = 0.0; // of the reference junction's cycle: the crossroad's platoon
    std::int32_t EnteringVolume = 0;
    std::int32_t LeavingVolume = 0;
    // The volume track bars' maxima: the capacity where each direction enters.
    std::int32_t SouthVolumeMaximum = 0;
    std::int32_t NorthVolumeMaximum = 0;
};

// The whole arterial for the plan, from the links' sets a previous evaluation left (all empty
// before the first).
ArterialEvaluation Evaluate(const ArterialPlan &Plan, const PerLink<LinkSets> &Previous);
// The same in place: Result's links are the previous evaluation's, and every other figure is
// written anew (the window and a search evaluate over and over without copying the result).
void Evaluate(const ArterialPlan &Plan, ArterialEvaluation &Result);

// The most percent of the southbound volume that may enter at crossroad #2 after an
// evaluation, as the crossroad's track bar offers it: taken from what the evaluation sent
// towards JCT #2, which the link computes its travel for once more (as asking it does).
std::int32_t EnteringMaximum(PerLink<LinkSets> &Links, const ArterialPlan &Plan);
