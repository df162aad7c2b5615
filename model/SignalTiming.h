#pragma once

#include <array>
#include <cstdint>

// The timing arithmetic of one junction's signal, kept apart from the strip that draws it.

// Table size of the green windows: a strip draws at most 23 + 2 cycles, but readers may
// look one or two entries past the last drawn cycle.
inline constexpr int GreenWindowCount = 27;

struct Durations {
    std::int32_t Red = 0;
    std::int32_t Green = 0;
    std::int32_t Yellow = 0;
    friend bool operator==(const Durations &, const Durations &) = default;
};

// Red and green are the cycle's shares rounded half to even; yellow takes what is left
// (0, or -1 when both shares round up and add to 100 %).
Durations DeriveDurations(std::int32_t cycleTime, std::int32_t percentRed,
                          std::int32_t percentGreen);

// The cycle time a strip of the given width keeps for a requested value: at most 24 cycles
// and at least 2 fit. A request of 0 or less is treated as the smallest cycle the strip keeps.
std::int32_t ClampCycleTime(std::int32_t width, std::int32_t requested);

// The number of whole cycles drawn across the width, with the drawing's fallback to 2 when
// the ratio is 2 or less, or 24 or more.
std::int32_t DrawnBandCount(std::int32_t width, std::int32_t cycleTime);

struct GreenWindows {
    std::array<std::int32_t, GreenWindowCount> Start{};
    std::array<std::int32_t, GreenWindowCount> End{};
};

// Window i starts where cycle i starts, (i - 1) x cycle + offset, and ends with green plus the
// first half of the yellow (an odd yellow's half second counts to green).
GreenWindows ComputeGreenWindows(std::int32_t cycleTime, std::int32_t cycleOffset,
                                 const Durations &durations);

// Window capacity: the most platoon length one green window serves, Trunc(green + yellow / 2).
std::int32_t WindowCapacity(const Durations &durations);
