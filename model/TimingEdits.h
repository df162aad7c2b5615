#pragma once

#include "model/SignalTiming.h"

#include <cstdint>
#include <optional>
#include <string>

// The rules by which a strip's timing is edited (its percent setters, the junction panel's
// split clicks, the split and cycle-time drags, the reset), and from them the timings a user
// can reach. The strip edits itself through these rules and the scenario check accepts what
// they can reach, so that every state the window holds can be saved and opened again.

// The timing a reset restores (and the window starts with): 4 cycles across the strip.
inline constexpr std::int32_t ResetBandCount = 4;
inline constexpr std::int32_t ResetPercentRed = 30;
inline constexpr std::int32_t ResetPercentGreen = 60;

// The least red and green a split drag leaves, in seconds.
inline constexpr std::int32_t SplitDragMinimum = 3;

struct SplitTiming {
    std::int32_t CycleTime = 0;
    std::int32_t PercentRed = 0;
    std::int32_t PercentGreen = 0;
    Durations Seconds;
    friend bool operator==(const SplitTiming &, const SplitTiming &) = default;
};

// A percent setter keeps a share above 5 % whose sum with the other share is at most 100;
// kept or not, the durations are derived again from the shares.
bool PercentKept(std::int32_t value, std::int32_t other);
SplitTiming WithPercentRed(SplitTiming timing, std::int32_t percentRed);
SplitTiming WithPercentGreen(SplitTiming timing, std::int32_t percentGreen);

// A split click of the junction panel: red five points more or less through the setters, then
// green as the rest of 90 %. Unchanged when the share to be given more is at its limit.
SplitTiming SplitClicked(const SplitTiming &timing, bool moreRed);

// A split drag by the given seconds of green taken from red, kept when red and green stay at
// least 3 s. Either way the shares become the seconds' rounded shares of the cycle, not
// derived again: the yellow keeps its length.
bool SplitDragKept(const Durations &seconds, std::int32_t greenGained);
std::int32_t ShareOfCycle(std::int32_t seconds, std::int32_t cycleTime);
SplitTiming SplitDragged(SplitTiming timing, std::int32_t greenGained);

// A cycle-time drag keeps a cycle of which more than 2 and fewer than 24 fit the width.
bool CycleDragKept(std::int32_t width, std::int32_t cycleTime);

// Why a timing could not have been reached on a strip of the given width, or nothing when it
// could. The offset is not part of it (any offset from 0 to the cycle can be set).
struct TimingObjection {
    enum Field { CycleTime, PercentRed, RedSeconds } Key;
    std::string What;
};
std::optional<TimingObjection> TimingUnreachable(std::int32_t width, const SplitTiming &timing);

// The least and greatest cycle the strip's edits reach on that width.
std::int32_t LeastReachableCycle(std::int32_t width);
std::int32_t GreatestReachableCycle(std::int32_t width);
