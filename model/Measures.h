#pragma once

#include "model/Common.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Delay and stops of southbound traffic: the arithmetic and the label texts.

// Shown instead of a measure that has no bound (a southbound cycle failure).
inline constexpr std::string_view UnboundedCaption = "+ +";

// A total held in a double gets one more term; the addition is evaluated in extended
// precision and the sum stored back to double.
double AccumulateMeasure(double total, long double term);

// A junction's delay of one cycle from its forward queue set and the platoon seconds that
// stopped in each slot: every stopped platoon's wait DischargeEnd - ArrivalEnd times its
// stopped seconds, added up (platoon seconds x seconds; 0 when nothing stopped). Each stopped
// vehicle of a platoon waits the same time, so the sum is SatHeadway times the vehicles' total
// wait in vehicle-seconds. A negative difference counts as no wait.
std::int32_t JunctionDelay(const PlatoonSet &forwardQueues, const PlatoonSlots &stopped);

enum class DelayUnit { Seconds, Minutes, Hours };

// "sec", "min" or "hrs".
std::string_view DelayUnitCaption(DelayUnit unit);

struct DelayPerVehicle {
    double Value = 0.0;
    // The unit chosen for Value; empty when there was no flow, and the unit label then keeps
    // what it showed.
    std::optional<DelayUnit> Unit;
};

// The total delay of a cycle (platoon seconds x seconds) over the platoon seconds that flow
// in that cycle: the seconds each vehicle waits on average, switched to minutes from 60 s and to
// hours from 3600 s, both bounds inclusive. No flow gives 0 without a unit.
DelayPerVehicle ExpectedDelayPerVehicle(double totalDelay, std::int32_t flow);

// value rounded to `precision` significant digits but to no more than `digits` decimals (a 5
// in the first dropped digit rounds away from zero), printed with exactly `digits` decimals.
// groupSeparator, when not empty, separates the thousands of the integer part.
std::string FormatFixedDecimals(double value, int precision, int digits,
                                std::string_view decimalSeparator, std::string_view groupSeparator);

// The delay label: 3 significant digits, 2 decimals, thousands separated (4.567 -> "4.57",
// 12.345 -> "12.30").
std::string FormatDelayPerVeh(double value, std::string_view decimalSeparator,
                              std::string_view groupSeparator);

// The stops label: 2 significant digits, 1 decimal, no thousands separator (1.25 -> "1.3",
// 12.34 -> "12.0").
std::string FormatArtStops(double value, std::string_view decimalSeparator);
