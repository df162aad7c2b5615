#pragma once

#include "model/Common.h"
#include "model/Passage.h"

#include <cstdint>

// The progression band of one direction: the widest set of parallel trajectories, each
// driving every link in the link's travel time, that meets the green at every junction.
//
// Green is counted as the passage counts it: a junction's window i runs from its start to its
// end, both included (a platoon starting at s of n seconds passes whole when start <= s and
// s + n <= end). A band of Width seconds starting at Start at the direction's first junction
// is the platoon of Width seconds entered there at Start that passes all six junctions without
// a stop: at every junction it lies inside one green window. Everything is in whole seconds.
//
// Bands are looked for among trajectories that cross the direction's first junction (JCT #1
// southbound, JCT #6 northbound) within the time axis, 0 to axisWidth seconds, the band's
// start and its end included; downstream junctions count every window of their table, which
// the strips keep for 25 cycles, past the axis. With one cycle time everywhere the band repeats
// every cycle and the earliest one is given; with different cycle times the widest one found,
// the earliest of equally wide ones.

enum class BandDirection { Southbound, Northbound };

// The green windows of one junction as its strip keeps them: window i from Start[i] to End[i].
// Consecutive windows are a red apart (the strips keep at least 1 s of red), so they never
// touch.
struct GreenTable {
    GreenWindowTable Start{};
    GreenWindowTable End{};
};

struct ProgressionBand {
    // Seconds; 0 when no band exists (a single trajectory through every green is no band).
    std::int32_t Width = 0;
    // When the band's first trajectory crosses the direction's first junction, in seconds on
    // the time axis; 0 without a band.
    std::int32_t Start = 0;
    // Seconds from the direction's first junction to each junction along the direction (0 at
    // the first junction).
    PerJunction<std::int32_t> Reach{};
    // Width over the reference cycle, in percent.
    double Efficiency = 0.0;

    bool Exists() const { return Width > 0; }
    // When the band's first trajectory crosses a junction.
    std::int32_t StartAt(int junction) const { return Start + Reach[junction]; }

    friend bool operator==(const ProgressionBand &, const ProgressionBand &) = default;
};

// The direction's first junction: 1 southbound, 6 northbound.
int FirstJunction(BandDirection direction);

// Seconds from the direction's first junction to every junction. travel[k] is the travel time
// of link k at the direction's speed; link k lies above junction k (link 1 above JCT #1, link
// 7 below JCT #6), as the window runs them: southbound junction k - 1 to k over link k,
// northbound junction k + 1 to k over link k + 1. The end links lead to no junction.
PerJunction<std::int32_t> BandReach(BandDirection direction, const PerLink<std::int32_t> &travel);

// The widest band of a direction (see above). referenceCycle is the cycle the efficiency is
// taken of; 0 or less gives an efficiency of 0.
ProgressionBand FindBand(BandDirection direction, const PerJunction<GreenTable> &greens,
                         const PerLink<std::int32_t> &travel, std::int32_t axisWidth,
                         std::int32_t referenceCycle);

// Both directions' bands.
struct ArterialBands {
    ProgressionBand Southbound;
    ProgressionBand Northbound;

    friend bool operator==(const ArterialBands &, const ArterialBands &) = default;
};
