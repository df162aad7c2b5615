#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

// The model's number conventions. Floating-point expressions are evaluated in extended
// precision and rounded to double only where a value is held in a double: several truncated
// results (platoon sizes, travel times) depend on it.
using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64,
              "extended precision needs a 64-bit mantissa (x87 long double)");

// Round half to even (34.5 -> 34, 31.5 -> 32), as the default rounding mode does. std::rint
// rounds exactly as std::nearbyint does; it only may raise the inexact flag, which nothing
// reads, and it skips saving and restoring the floating-point environment at every call.
inline std::int32_t Round(Extended value) {
    return static_cast<std::int32_t>(std::rint(value));
}

// Truncate toward zero.
inline std::int32_t Trunc(Extended value) {
    return static_cast<std::int32_t>(std::trunc(value));
}
