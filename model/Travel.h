#pragma once

#include "model/Common.h"

#include <cstdint>

// Travel of platoons along a link and the lengths of the queues they form at its signal.

// Pixels of road from a link's top edge to the middle of the signal strip below it.
std::int32_t TravelSpan(std::int32_t linkHeight, std::int32_t trafficLightHeight);

// Whole seconds to drive span pixels (FeetPerPixel feet each) at speedMph. The quotient is
// formed in extended precision: 1320 ft at 40 mph is just above 22.5 s and gives 23.
// A speed of 0 or less (never stored by the links) gives 0.
std::int32_t TravelTime(std::int32_t span, std::int32_t speedMph);

// A link as the diagram drives it: its length, FeetPerPixel feet a pixel of its travel span,
// and its travel time each way at that direction's own speed (TravelTime). Every figure that
// names a link's length or travel time comes from here, so that what the window, the report,
// the exported picture and the simulator's network say is what the platoons drive.
struct LinkMeasure {
    std::int32_t Feet = 0;
    std::int32_t SouthboundSeconds = 0;
    std::int32_t NorthboundSeconds = 0;

    friend constexpr bool operator==(const LinkMeasure &, const LinkMeasure &) = default;
};
LinkMeasure MeasureLink(std::int32_t span, std::int32_t southMph, std::int32_t northMph);

// The set as it arrives at the far end: every slot's size is copied; the start of an occupied
// slot that starts within the width is moved by travelTime; any other slot keeps the start
// it had in previousOutput.
PlatoonSet TravelPlatoons(const PlatoonSet &input, const PlatoonSet &previousOutput,
                          std::int32_t width, std::int32_t travelTime);

// The sets a progression link holds: what enters it each way, what reaches the far end, and
// the queue sets of the signals at its ends.
struct LinkSets {
    PlatoonSet FwInput;
    PlatoonSet FwOutput;
    PlatoonSet BkInput;
    PlatoonSet BkOutput;
    PlatoonSet FwQueues;
    PlatoonSet BkQueues;
    friend constexpr bool operator==(const LinkSets &, const LinkSets &) = default;
};

// Which of a link's inputs are settled: a further merge leaves them as they are and their
// outputs are already brought up to date from them at the link's current travel times, so that
// computing the travel again changes nothing there. Storing an input unsettles it.
struct TravelSettled {
    bool Fw = false;
    bool Bk = false;
};

// The link's travel computation: both stored inputs merged in place (one pass each, so a
// second computation may merge further), both outputs brought up to date from them and the
// outputs they had, at the link's travel times. The link does this each time a set is stored
// in it or its output is asked for. Given what is settled, it skips those directions (the
// result is the same) and records what it settled.
void ComputeLinkTravel(LinkSets &Sets, const LinkMeasure &Link, std::int32_t width,
                       TravelSettled *Settled = nullptr);

// A queue of a queue-set slot as the progression link draws it.
struct QueueShape {
    std::int32_t Feet = 0;      // VehicleSpacing per SatHeadway second of waiting
    std::int32_t Pixels = 0;    // Feet / FeetPerPixel, truncated
    std::int32_t DriveTime = 0; // seconds to drive Feet at the link's speed, truncated
};
QueueShape QueueShapeOf(std::int32_t arrivalEnd, std::int32_t dischargeEnd, std::int32_t speedMph);

// The length in pixels of the longest queue of a queue set, as the queue link's bar shows it:
// one pixel per 5 s of DischargeEnd - ArrivalEnd. Negative differences never count.
std::int32_t QueueBarLength(const PlatoonSet &queues);
