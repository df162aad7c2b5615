#pragma once

#include "model/Common.h"

#include <cstdint>
#include <optional>

// The arterial's rules between the junctions: what enters at JCT #1 and #6, what the
// crossroads add and take, the capacities that bound the volume track bars, and the split
// steps of the junction panel. The window reads its controls and calls these.

// JCT #3 is the arterial's reference junction: its cycle sets the platoon factor of the
// crossroad traffic, and the flow leaving it counts the vehicles of the delay measure.
inline constexpr int ReferenceJunction = 3;

// Crossroad #2's traffic joins after JCT #2; crossroad #5 takes its share after JCT #5.
inline constexpr int EnteringJunction = 2;
inline constexpr int LeavingJunction = 5;

// The cycle bounds of the junction panel's cycle-time arrows.
inline constexpr std::int32_t PanelMinCycleTime = 50;
inline constexpr std::int32_t PanelMaxCycleTime = 230;

// The panel's split clicks move red by SplitStep points, up to SplitLimit for either share,
// and leave green at SplitShareSum - red (a yellow of 10 %).
inline constexpr std::int32_t SplitStep = 5;
inline constexpr std::int32_t SplitLimit = 80;
inline constexpr std::int32_t SplitShareSum = 90;

// Platoon seconds per veh/hr of a junction's cycle: SatHeadway / (3600 / cycle), held in a
// double (720 veh/hr at 60 s gives a platoon of 29 s, not 30).
double PlatoonFactor(std::int32_t cycleTime);

// The platoon that enters the arterial at time 0 with the given volume, at the entry
// junction's platoon factor (JCT #1's cycle for both directions).
PlatoonSet EntryPlatoon(std::int32_t volume, std::int32_t entryCycleTime);

// A junction's capacity in veh/hr: its green share plus half the yellow share of the
// saturation flow, truncated.
std::int32_t JunctionCapacity(std::int32_t percentGreen, std::int32_t percentRed);

// The most a volume track bar offers for a capacity: a multiple of VolumeStep rounded down.
std::int32_t VolumeMaximum(std::int32_t capacity);

// The veh/hr entering from crossroad #2: the given percent of the southbound volume.
std::int32_t EnteringVolume(std::int32_t southboundVolume, std::int32_t enteringPercent);

// The veh/hr leaving onto crossroad #5: the given percent of the southbound volume plus the
// untruncated entering volume.
std::int32_t LeavingVolume(std::int32_t southboundVolume, std::int32_t enteringPercent,
                           std::int32_t leavingPercent);

// The timing of a junction as the crossroad rules read it.
struct JunctionTiming {
    std::int32_t CycleTime = 0;
    std::int32_t CycleOffset = 0;
    std::int32_t PercentRed = 0;
};

// Crossroad #2's platoon joins the first empty slot of the set leaving JCT #2, where that
// junction turns red, with enteringVolume at the arterial's platoon factor. Nothing joins
// without entering volume or an empty slot.
PlatoonSet AddEnteringPlatoon(PlatoonSet departing, std::int32_t enteringVolume,
                              double platoonFactor, const JunctionTiming &junction2);

// The set leaving JCT #5 after the given percent has turned onto crossroad #5; each slot
// keeps its start and the integer share of its size.
PlatoonSet RemoveLeavingShare(PlatoonSet departing, std::int32_t leavingPercent);

// The most percent of the southbound volume that may enter at crossroad #2: the red time of
// JCT #2 over the platoon seconds arriving there, as a multiple of 10 rounded down; 100 when
// nothing arrives. It may exceed 100 and may be 0.
std::int32_t SideVolumeMaximum(std::int32_t arrivingFlowSum, const JunctionTiming &junction2);

// The red share a split click asks the strip for, or none when the click does nothing (the
// share to be given more is at its limit). The strip may still refuse the red it is given;
// the green then follows the red it kept (SplitGreenFor).
std::optional<std::int32_t> SplitClickRed(std::int32_t percentRed, std::int32_t percentGreen,
                                          bool moreRed);
std::int32_t SplitGreenFor(std::int32_t percentRed);
