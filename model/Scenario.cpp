#include "model/Scenario.h"

#include "model/Numbers.h"
#include "model/Progression.h"
#include "model/SignalTiming.h"

#include <algorithm>

namespace {

std::optional<ScenarioProblem> OutOfRange(const std::string &key, std::int32_t value,
                                          std::int32_t low, std::int32_t high) {
    if (value >= low && value <= high) {
        return std::nullopt;
    }
    return ScenarioProblem{key, std::to_string(value) + " is outside " + std::to_string(low) +
                                    " to " + std::to_string(high)};
}

std::optional<ScenarioProblem> NotAStep(const std::string &key, std::int32_t value,
                                        std::int32_t step) {
    if (value % step == 0) {
        return std::nullopt;
    }
    return ScenarioProblem{key,
                           std::to_string(value) + " is not a multiple of " + std::to_string(step)};
}

std::string JunctionKey(int k, const char *name) {
    return "junctions[" + std::to_string(k) + "]." + name;
}

// The timing a strip can hold: the percentages' own durations, or the durations a split drag
// leaves (the yellow moved whole) with the percentages it rounds from them.
std::optional<ScenarioProblem> TimingProblem(int k, const JunctionSetting &j,
                                             const ScenarioBounds &bounds) {
    const std::int32_t c = j.CycleTime;
    // The strip keeps a cycle of which at least 2 and at most 24 fit across its time axis.
    const std::int32_t low = ClampCycleTime(bounds.StripWidth, 1);
    const std::int32_t high = ClampCycleTime(bounds.StripWidth, bounds.StripWidth);
    if (auto p = OutOfRange(JunctionKey(k, "cycleTime"), c, low, high)) {
        return p;
    }
    if (auto p = OutOfRange(JunctionKey(k, "offset"), j.CycleOffset, 0, c)) {
        return p;
    }
    if (auto p = OutOfRange(JunctionKey(k, "percentRed"), j.PercentRed, 0, 100)) {
        return p;
    }
    if (auto p = OutOfRange(JunctionKey(k, "percentGreen"), j.PercentGreen, 0, 100)) {
        return p;
    }
    const Durations derived = DeriveDurations(c, j.PercentRed, j.PercentGreen);
    const bool asDerived =
        derived.Red == j.RedTime && derived.Green == j.GreenTime && derived.Yellow == j.YellowTime;
    if (asDerived) {
        // The strip's percent setters keep a share above 5 % whose sum with the other is 100
        // or less.
        if (j.PercentRed <= 5 || j.PercentGreen <= 5 || j.PercentRed + j.PercentGreen > 100) {
            return ScenarioProblem{JunctionKey(k, "percentRed"),
                                   std::to_string(j.PercentRed) + " % red and " +
                                       std::to_string(j.PercentGreen) +
                                       " % green are not a split the strip keeps"};
        }
        return std::nullopt;
    }
    if (j.RedTime + j.GreenTime + j.YellowTime != c) {
        return ScenarioProblem{JunctionKey(k, "redSeconds"),
                               "red, green and yellow seconds do not add up to the cycle time"};
    }
    // A split drag moves the yellow whole, which a rounding of the shares may have left at -1.
    if (j.RedTime < 0 || j.GreenTime < 0 || j.YellowTime < -1) {
        return ScenarioProblem{JunctionKey(k, "redSeconds"),
                               "the seconds are not a split of the cycle the strip keeps"};
    }
    const auto share = [c](std::int32_t seconds) {
        return Round(static_cast<Extended>(seconds * 100) / c);
    };
    if (share(j.RedTime) != j.PercentRed || share(j.GreenTime) != j.PercentGreen) {
        return ScenarioProblem{JunctionKey(k, "percentRed"),
                               "the percentages do not match the red and green seconds"};
    }
    return std::nullopt;
}

} // namespace

std::optional<ScenarioProblem> FirstProblem(const Scenario &s, const ScenarioBounds &bounds) {
    for (int k = 1; k <= JunctionCount; ++k) {
        if (auto p = TimingProblem(k, s.Junctions[k], bounds)) {
            return p;
        }
    }
    for (int k = 1; k <= JunctionCount; ++k) {
        const std::string key = JunctionKey(k, "top");
        const std::int32_t top = s.Junctions[k].Top;
        if (k == 1) {
            if (top != bounds.FirstStripTop) {
                return ScenarioProblem{key, std::to_string(top) + " is not " +
                                                std::to_string(bounds.FirstStripTop) +
                                                ": JCT #1 does not move"};
            }
            continue;
        }
        // A moved strip never passes the one above it (it jumps between its neighbours
        // instead), and JCT #6 goes no lower than its place.
        const std::int32_t low = s.Junctions[k - 1].Top;
        if (auto p = OutOfRange(key, top, low, bounds.BottomStripTop)) {
            return p;
        }
    }

    const JunctionSetting &first = s.Junctions[1];
    const JunctionSetting &last = s.Junctions[JunctionCount];
    const std::int32_t southMax =
        VolumeMaximum(JunctionCapacity(first.PercentGreen, first.PercentRed));
    const std::int32_t northMax =
        VolumeMaximum(JunctionCapacity(last.PercentGreen, last.PercentRed));
    if (auto p = OutOfRange("southbound.volume", s.SouthboundVolume, 0, southMax)) {
        return p;
    }
    if (auto p = NotAStep("southbound.volume", s.SouthboundVolume, VolumeStep)) {
        return p;
    }
    if (auto p = OutOfRange("northbound.volume", s.NorthboundVolume, 0, northMax)) {
        return p;
    }
    if (auto p = NotAStep("northbound.volume", s.NorthboundVolume, VolumeStep)) {
        return p;
    }
    if (auto p = OutOfRange("southbound.speed", s.SouthboundSpeed, MinSpeedMph, MaxSpeedMph)) {
        return p;
    }
    if (auto p = OutOfRange("northbound.speed", s.NorthboundSpeed, MinSpeedMph, MaxSpeedMph)) {
        return p;
    }
    // The most the entering share's maximum can be: JCT #2's red over the least that arrives.
    const JunctionSetting &second = s.Junctions[EnteringJunction];
    const std::int32_t enteringCeiling = std::max(
        100, SideVolumeMaximum(1, {second.CycleTime, second.CycleOffset, second.PercentRed}));
    if (auto p = OutOfRange("crossroad2.enteringMaximum", s.EnteringMaximum, 0, enteringCeiling)) {
        return p;
    }
    if (auto p = NotAStep("crossroad2.enteringMaximum", s.EnteringMaximum, VolumeStep)) {
        return p;
    }
    if (auto p =
            OutOfRange("crossroad2.enteringPercent", s.EnteringPercent, 0, s.EnteringMaximum)) {
        return p;
    }
    return OutOfRange("crossroad5.leavingPercent", s.LeavingPercent, 0, 100);
}
