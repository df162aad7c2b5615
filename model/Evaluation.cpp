#include "model/Evaluation.h"

#include "model/Diagram.h"
#include "model/Platoons.h"
#include "model/Progression.h"

#include <algorithm>

namespace {

JunctionTiming TimingOf(const JunctionSignal &Signal) {
    return {Signal.CycleTime, Signal.CycleOffset, Signal.PercentRed};
}

// The longest wait of a queue set, in seconds; negative differences never count.
std::int32_t LongestWait(const PlatoonSet &Queues) {
    std::int32_t longest = 0;
    for (int k = 1; k <= MaxPlatoons; ++k) {
        longest = std::max(longest, Queues.Size[k] - Queues.Start[k]);
    }
    return longest;
}

// A junction's step in one direction: the set enters the link, the link hands its arrivals to
// the strip, the strip's passage gives the departures, and the queues go back to the link.
PlatoonSet JunctionStep(const PlatoonSet &Entering, LinkSets &Link, const LinkMeasure &Measure,
                        TravelSettled &Settled, JunctionEvaluation &Junction, bool Southbound) {
    DirectionAtJunction &at = Southbound ? Junction.South : Junction.North;
    (Southbound ? Link.FwInput : Link.BkInput) = Entering;
    (Southbound ? Settled.Fw : Settled.Bk) = false;
    ComputeLinkTravel(Link, Measure, StripWidth, &Settled);
    ComputeLinkTravel(Link, Measure, StripWidth, &Settled);
    at.Arriving = Southbound ? Link.FwOutput : Link.BkOutput;
    at.Passage = PassPlatoons(at.Arriving, Junction.Greens.Start, Junction.Greens.End,
                              Junction.LastWindow, Junction.WindowCapacity, StripWidth);
    (Southbound ? Link.FwQueues : Link.BkQueues) = at.Passage.Queues;
    ComputeLinkTravel(Link, Measure, StripWidth, &Settled);
    return at.Passage.Departing;
}

// The report's figures of one direction at a junction.
void JunctionFigures(DirectionAtJunction &At, std::int32_t Capacity, double EntryFactor) {
    At.Delay = JunctionDelay(At.Passage.Queues, At.Passage.Stopped);
    // The arriving set as the passage took it, merged and clipped.
    const std::int32_t seconds = At.Passage.ArrivingSeconds;
    At.Flow = EntryFactor > 0.0 ? seconds / EntryFactor : 0.0;
    At.Saturation = Capacity > 0 ? At.Flow / Capacity : 0.0;
    At.LongestWait = LongestWait(At.Passage.Queues);
    At.QueueFeet = QueueShapeOf(0, At.LongestWait, 0).Feet;
    At.QueueVehicles = At.LongestWait / SatHeadway;
}

void AddUp(DirectionMeasures &Measures, const DirectionAtJunction &At) {
    Measures.Stops = AccumulateMeasure(Measures.Stops, At.Passage.Stops);
    Measures.TotalDelay = AccumulateMeasure(Measures.TotalDelay, At.Delay);
    Measures.Failure = Measures.Failure || At.Passage.CycleFailure;
}

void PerVehicle(DirectionMeasures &Measures, std::int32_t Flow) {
    Measures.Flow = Flow;
    Measures.Delay = ExpectedDelayPerVehicle(Measures.TotalDelay, Flow);
    Measures.DelaySeconds = Flow > 0 ? Measures.TotalDelay / Flow : 0.0;
}

} // namespace

ArterialEvaluation Evaluate(const ArterialPlan &Plan, const PerLink<LinkSets> &Previous) {
    ArterialEvaluation result;
    result.Links = Previous;
    Evaluate(Plan, result);
    return result;
}

void Evaluate(const ArterialPlan &Plan, ArterialEvaluation &result) {
    // Every figure below is written anew; the sums start from nothing.
    result.South = {};
    result.North = {};
    // Nothing is settled at the new travel times yet.
    PerLink<TravelSettled> settled{};
    for (int k = 1; k <= LinkCount; ++k) {
        result.LinkMeasures[k] = PlanLink(Plan, k);
    }
    for (int k = 1; k <= JunctionCount; ++k) {
        const JunctionSignal &signal = Plan.Signals[k];
        JunctionEvaluation &junction = result.Junctions[k];
        junction.Greens = ComputeGreenWindows(signal.CycleTime, signal.CycleOffset, signal.Times);
        junction.LastWindow = DrawnBandCount(StripWidth, signal.CycleTime) + 1;
        junction.WindowCapacity = WindowCapacity(signal.Times);
        junction.Capacity = JunctionCapacity(signal.PercentGreen, signal.PercentRed);
    }
    const std::int32_t entryCycle = Plan.Signals[1].CycleTime;
    result.PlatoonFactor = PlatoonFactor(Plan.Signals[ReferenceJunction].CycleTime);

    // Northbound first, from JCT #6 up to JCT #1, over the link below each junction.
    PlatoonSet set = EntryPlatoon(Plan.NorthVolume, entryCycle);
    const std::int32_t northFlow = PlatoonFlowSum(set);
    for (int k = JunctionCount; k >= 1; --k) {
        set = JunctionStep(set, result.Links[k + 1], result.LinkMeasures[k + 1], settled[k + 1],
                           result.Junctions[k], false);
    }
    result.Links[1].BkInput = set;
    settled[1].Bk = false;
    ComputeLinkTravel(result.Links[1], result.LinkMeasures[1], StripWidth, &settled[1]);

    // Southbound from JCT #1 down to JCT #6, over the link above each junction; crossroad #2's
    // traffic joins after JCT #2, crossroad #5 takes its share after JCT #5.
    result.EnteringVolume = EnteringVolume(Plan.SouthVolume, Plan.EnteringPercent);
    result.LeavingVolume =
        LeavingVolume(Plan.SouthVolume, Plan.EnteringPercent, Plan.LeavingPercent);
    set = EntryPlatoon(Plan.SouthVolume, entryCycle);
    for (int k = 1; k <= JunctionCount; ++k) {
        set = JunctionStep(set, result.Links[k], result.LinkMeasures[k], settled[k],
                           result.Junctions[k], true);
        if (k == EnteringJunction) {
            set = AddEnteringPlatoon(set, result.EnteringVolume, result.PlatoonFactor,
                                     TimingOf(Plan.Signals[k]));
        } else if (k == LeavingJunction) {
            set = RemoveLeavingShare(set, Plan.LeavingPercent);
        }
    }
    result.Links[LinkCount].FwInput = set;
    settled[LinkCount].Fw = false;
    ComputeLinkTravel(result.Links[LinkCount], result.LinkMeasures[LinkCount], StripWidth,
                      &settled[LinkCount]);

    const double entryFactor = PlatoonFactor(entryCycle);
    for (int k = 1; k <= JunctionCount; ++k) {
        JunctionEvaluation &junction = result.Junctions[k];
        JunctionFigures(junction.South, junction.Capacity, entryFactor);
        JunctionFigures(junction.North, junction.Capacity, entryFactor);
        AddUp(result.South, junction.South);
        AddUp(result.North, junction.North);
    }
    PerVehicle(result.South,
               PlatoonFlowSum(result.Junctions[ReferenceJunction].South.Passage.Departing));
    PerVehicle(result.North, northFlow);

    PerJunction<GreenTable> greens;
    for (int k = 1; k <= JunctionCount; ++k) {
        greens[k] = {result.Junctions[k].Greens.Start, result.Junctions[k].Greens.End};
    }
    PerLink<std::int32_t> southbound{};
    PerLink<std::int32_t> northbound{};
    for (int k = 1; k <= LinkCount; ++k) {
        southbound[k] = result.LinkMeasures[k].SouthboundSeconds;
        northbound[k] = result.LinkMeasures[k].NorthboundSeconds;
    }
    result.Bands = {
        FindBand(BandDirection::Southbound, greens, southbound, StripWidth, entryCycle),
        FindBand(BandDirection::Northbound, greens, northbound, StripWidth, entryCycle)};

    result.SouthVolumeMaximum = VolumeMaximum(result.Junctions[1].Capacity);
    result.NorthVolumeMaximum = VolumeMaximum(result.Junctions[JunctionCount].Capacity);
}

std::int32_t EnteringMaximum(PerLink<LinkSets> &Links, const ArterialPlan &Plan) {
    LinkSets &link = Links[EnteringJunction];
    ComputeLinkTravel(link, PlanLink(Plan, EnteringJunction), StripWidth);
    return SideVolumeMaximum(PlatoonFlowSum(link.FwOutput),
                             TimingOf(Plan.Signals[EnteringJunction]));
}
