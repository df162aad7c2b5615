#include "model/Scenario.h"

#include "model/Numbers.h"
#include "model/Progression.h"
#include "model/SignalTiming.h"
#include "model/TimingEdits.h"

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

// The timing a strip can hold: one the strip's edits can reach.
std::optional<ScenarioProblem> TimingProblem(int k, const JunctionSetting &j,
                                             const ScenarioBounds &bounds) {
    const std::int32_t c = j.CycleTime;
    const std::int32_t low = LeastReachableCycle(bounds.StripWidth);
    const std::int32_t high = GreatestReachableCycle(bounds.StripWidth);
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
    const auto objection = TimingUnreachable(
        bounds.StripWidth,
        {c, j.PercentRed, j.PercentGreen, {j.RedTime, j.GreenTime, j.YellowTime}});
    if (!objection) {
        return std::nullopt;
    }
    const char *key = objection->Key == TimingObjection::PercentRed   ? "percentRed"
                      : objection->Key == TimingObjection::RedSeconds ? "redSeconds"
                                                                      : "cycleTime";
    return ScenarioProblem{JunctionKey(k, key), objection->What};
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
        // A moved strip keeps at least the least gap below the one above it (closer, it
        // jumps between its neighbours), and JCT #6 goes no lower than its place.
        const std::int32_t low = s.Junctions[k - 1].Top + bounds.MinStripGap;
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
