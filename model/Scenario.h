#pragma once

#include "model/Common.h"
#include "model/Measures.h"

#include <cstdint>
#include <optional>
#include <string>

// Everything a user sets in the window, as a scenario file keeps it and as an undo step
// restores it. The figures, pictures and volume maxima follow from it by the recomputation.

struct JunctionSetting {
    std::int32_t CycleTime = 0;
    std::int32_t CycleOffset = 0;
    std::int32_t PercentRed = 0;
    std::int32_t PercentGreen = 0;
    // A split drag leaves durations that the percentages do not give back, so they are kept.
    std::int32_t RedTime = 0;
    std::int32_t GreenTime = 0;
    std::int32_t YellowTime = 0;
    std::int32_t Top = 0; // the strip's top in the diagram panel
    friend bool operator==(const JunctionSetting &, const JunctionSetting &) = default;
};

struct Scenario {
    std::int32_t SouthboundVolume = 0;
    std::int32_t NorthboundVolume = 0;
    std::int32_t SouthboundSpeed = 0;
    std::int32_t NorthboundSpeed = 0;
    std::int32_t EnteringPercent = 0;
    // The entering share's maximum follows the arrivals at JCT #2 of the recomputation before
    // the last edit, which the other settings do not give back.
    std::int32_t EnteringMaximum = 0;
    std::int32_t LeavingPercent = 0;
    PerJunction<JunctionSetting> Junctions{};
    // With no flow the delay's unit label keeps the unit it showed before.
    DelayUnit ShownDelayUnit = DelayUnit::Seconds;
    friend bool operator==(const Scenario &, const Scenario &) = default;
};

// The speed track bars' range, mph.
inline constexpr std::int32_t MinSpeedMph = 35;
inline constexpr std::int32_t MaxSpeedMph = 55;

// The diagram's geometry the strips' places are checked against.
struct ScenarioBounds {
    std::int32_t StripWidth = 0;     // the time axis, which bounds the cycle time
    std::int32_t FirstStripTop = 0;  // JCT #1 does not move
    std::int32_t BottomStripTop = 0; // the lowest place of JCT #6
    std::int32_t MinStripGap = 0;    // the least gap a moved strip keeps to the one above
};

// A problem found in a scenario: the key it concerns, in the file's own spelling, and what is
// wrong with its value.
struct ScenarioProblem {
    std::string Key;
    std::string What;
};

// The first value the window's controls and strips could not hold as it stands (one they
// would refuse or clamp), or none. Junction keys are "junctions[k].name", k from 1.
std::optional<ScenarioProblem> FirstProblem(const Scenario &Settings, const ScenarioBounds &Bounds);
