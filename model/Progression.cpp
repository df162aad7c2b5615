#include "model/Progression.h"

#include "model/Numbers.h"

double PlatoonFactor(std::int32_t cycleTime) {
    return static_cast<double>(static_cast<Extended>(SatHeadway) / (3600.0L / cycleTime));
}

PlatoonSet EntryPlatoon(std::int32_t volume, std::int32_t entryCycleTime) {
    PlatoonSet set;
    set.Start[1] = 0;
    set.Size[1] = Trunc(static_cast<Extended>(volume) * PlatoonFactor(entryCycleTime));
    return set;
}

std::int32_t JunctionCapacity(std::int32_t percentGreen, std::int32_t percentRed) {
    const std::int32_t numerator = percentGreen - percentRed + 100;
    return Trunc(static_cast<Extended>(numerator) / 200.0L * 3600.0L /
                 static_cast<Extended>(SatHeadway));
}

std::int32_t VolumeMaximum(std::int32_t capacity) {
    return Trunc(static_cast<Extended>(capacity) / 10.0L) * VolumeStep;
}

std::int32_t EnteringVolume(std::int32_t southboundVolume, std::int32_t enteringPercent) {
    return Trunc(static_cast<Extended>(enteringPercent * southboundVolume) / 100.0L);
}

std::int32_t LeavingVolume(std::int32_t southboundVolume, std::int32_t enteringPercent,
                           std::int32_t leavingPercent) {
    const Extended fw = southboundVolume;
    const Extended entering = fw * enteringPercent / 100.0L;
    return Trunc((fw + entering) * leavingPercent / 100.0L);
}

PlatoonSet AddEnteringPlatoon(PlatoonSet departing, std::int32_t enteringVolume,
                              double platoonFactor, const JunctionTiming &junction2) {
    if (enteringVolume <= 0) {
        return departing;
    }
    for (int slot = 1; slot <= MaxPlatoons; ++slot) {
        if (departing.Size[slot] == 0) {
            departing.Size[slot] = Trunc(static_cast<Extended>(enteringVolume) * platoonFactor);
            // Where JCT #2 turns red (integer division, as the strip's red starts).
            departing.Start[slot] =
                (100 - junction2.PercentRed) * junction2.CycleTime / 100 + junction2.CycleOffset;
            break;
        }
    }
    return departing;
}

PlatoonSet RemoveLeavingShare(PlatoonSet departing, std::int32_t leavingPercent) {
    const std::int32_t staying = 100 - leavingPercent;
    for (int slot = 1; slot <= MaxPlatoons; ++slot) {
        departing.Size[slot] = staying * departing.Size[slot] / 100;
    }
    return departing;
}

std::int32_t SideVolumeMaximum(std::int32_t arrivingFlowSum, const JunctionTiming &junction2) {
    std::int32_t share = 100;
    if (arrivingFlowSum > 0) {
        share = Trunc(static_cast<Extended>(junction2.PercentRed * junction2.CycleTime) /
                      arrivingFlowSum);
    }
    return Trunc(static_cast<Extended>(share) / 10.0L) * VolumeStep;
}

std::optional<std::int32_t> SplitClickRed(std::int32_t percentRed, std::int32_t percentGreen,
                                          bool moreRed) {
    if (moreRed) {
        if (percentRed >= SplitLimit) {
            return std::nullopt;
        }
        return percentRed + SplitStep;
    }
    if (percentGreen >= SplitLimit) {
        return std::nullopt;
    }
    return percentRed - SplitStep;
}

std::int32_t SplitGreenFor(std::int32_t percentRed) {
    return SplitShareSum - percentRed;
}
