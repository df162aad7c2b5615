#pragma once

#include "model/Common.h"
#include "model/SignalTiming.h"

#include <array>
#include <cstdint>

// The passage of one direction's platoons through a junction's signal.

using GreenWindowTable = std::array<std::int32_t, GreenWindowCount>;

struct PassageResult {
    // Platoons leaving the junction, merged, clipped and sorted; all zero under cycle failure.
    PlatoonSet Departing;
    // Per slot of the merged and sorted arriving set: ArrivalEnd in Start, DischargeEnd in
    // Size; both 0 for a platoon that did not stop.
    PlatoonSet Queues;
    // Per slot of the same set: the platoon seconds that stopped, the carried tail of a
    // platoon cut by the end of green or the whole of a held one; 0 for a platoon that passed
    // or overloaded the green. Stops adds up exactly these amounts.
    PlatoonSlots Stopped;
    // Share of the arriving platoon length that had to stop.
    double Stops = 0.0;
    // The platoon seconds arriving, merged and clipped to the width: what Stops is a share of.
    std::int32_t ArrivingSeconds = 0;
    // The arrivals of one cycle need more than one green window.
    bool CycleFailure = false;
};

// Lays the arriving platoons against the green windows 0..lastWindow (window u runs from
// greenStart[u] to greenEnd[u], both ends included). A tail cut by the end of window u is
// carried to greenStart[u + 1], so the tables must hold one entry past lastWindow; the strip
// keeps them for the next cycle as well. capacity is the most platoon length one window
// serves; width is the end of the time axis the sets are clipped to.
PassageResult PassPlatoons(const PlatoonSet &input, const GreenWindowTable &greenStart,
                           const GreenWindowTable &greenEnd, std::int32_t lastWindow,
                           std::int32_t capacity, std::int32_t width);

// How many passages have run in this process, on every thread: the window's benchmark counts
// the passages an event costs with it.
std::uint64_t PassagesRun();
