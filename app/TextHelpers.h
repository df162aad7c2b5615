#pragma once

#include "controls/TimeSpaceLight.h"
#include "model/Progression.h"

#include <QString>

#include <string_view>

// Small conversions shared by the window's pipeline and its handlers.

// Labels show integers in plain decimal, without separators.
inline QString Decimal(int value) {
    return QString::number(value);
}

inline QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A strip's timing as the arterial's rules read it.
inline JunctionTiming TimingOf(const TTimeSpaceLight *light) {
    return {light->CycleTime(), light->CycleOffset(), light->PercentRed()};
}
