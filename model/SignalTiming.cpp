#include "model/SignalTiming.h"

#include "model/Numbers.h"

#include <algorithm>

Durations DeriveDurations(std::int32_t cycleTime, std::int32_t percentRed,
                          std::int32_t percentGreen) {
    Durations d;
    d.Red = Round(static_cast<Extended>(cycleTime * percentRed) / 100.0L);
    d.Green = Round(static_cast<Extended>(cycleTime * percentGreen) / 100.0L);
    d.Yellow = cycleTime - d.Red - d.Green;
    return d;
}

std::int32_t ClampCycleTime(std::int32_t width, std::int32_t requested) {
    // Never below 1 s, so that even a degenerate strip width cannot yield a zero cycle.
    const std::int32_t smallest = std::max(1, Trunc(static_cast<Extended>(width) / 24.0L));
    const std::int32_t largest = Trunc(static_cast<Extended>(width) / 2.0L);
    if (requested <= 0) {
        // Would divide by zero or store a negative cycle; the strip keeps its smallest cycle.
        return smallest;
    }
    const std::int32_t cycles = Trunc(static_cast<Extended>(width) / requested);
    if (cycles > 24) {
        return smallest;
    }
    return requested > largest ? largest : requested;
}

std::int32_t DrawnBandCount(std::int32_t width, std::int32_t cycleTime) {
    if (cycleTime <= 0) {
        return 2;
    }
    const Extended ratio = static_cast<Extended>(width) / cycleTime;
    if (ratio <= 2.0L || ratio >= 24.0L) {
        return 2;
    }
    return Trunc(ratio);
}

GreenWindows ComputeGreenWindows(std::int32_t cycleTime, std::int32_t cycleOffset,
                                 const Durations &durations) {
    GreenWindows windows;
    const std::int32_t halfYellow = Trunc(static_cast<Extended>(durations.Yellow) / 2.0L);
    for (int i = 0; i < GreenWindowCount; ++i) {
        const std::int32_t cycleStart = (i - 1) * cycleTime + cycleOffset;
        const std::int32_t cycleEnd = i * cycleTime + cycleOffset;
        windows.Start[static_cast<std::size_t>(i)] = cycleStart;
        windows.End[static_cast<std::size_t>(i)] = cycleEnd - durations.Red - halfYellow;
    }
    return windows;
}

std::int32_t WindowCapacity(const Durations &durations) {
    return Trunc(static_cast<Extended>(durations.Green) +
                 static_cast<Extended>(durations.Yellow) / 2.0L);
}
