#include "model/Measures.h"

#include "model/Numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

double AccumulateMeasure(double total, long double term) {
    return static_cast<double>(static_cast<Extended>(total) + term);
}

std::int32_t JunctionDelay(const PlatoonSet &forwardQueues, const PlatoonSlots &stopped) {
    std::int32_t delay = 0;
    for (int k = 1; k <= MaxPlatoons; ++k) {
        const std::int32_t wait = forwardQueues.Size[k] - forwardQueues.Start[k];
        if (wait > 0) {
            delay += wait * stopped[k];
        }
    }
    return delay;
}

std::string_view DelayUnitCaption(DelayUnit unit) {
    switch (unit) {
    case DelayUnit::Minutes:
        return "min";
    case DelayUnit::Hours:
        return "hrs";
    case DelayUnit::Seconds:
        break;
    }
    return "sec";
}

DelayPerVehicle ExpectedDelayPerVehicle(double totalDelay, std::int32_t flow) {
    DelayPerVehicle result;
    if (flow <= 0) {
        return result;
    }
    // Each step is held in a double before the next compares or divides it.
    double d = static_cast<double>(static_cast<Extended>(totalDelay) / flow);
    DelayUnit unit = DelayUnit::Seconds;
    if (d >= 3600.0) {
        d = static_cast<double>(static_cast<Extended>(d) / 3600.0L);
        unit = DelayUnit::Hours;
    } else if (d >= 60.0) {
        d = static_cast<double>(static_cast<Extended>(d) / 60.0L);
        unit = DelayUnit::Minutes;
    }
    result.Value = d;
    result.Unit = unit;
    return result;
}

namespace {
// Significant decimal digits taken from the value before rounding for display: as many as
// extended precision carries, so the rounding sees the stored value, not a shortest form.
constexpr int ConversionDigits = 18;

std::string GroupThousands(const std::string &integerDigits, std::string_view separator) {
    if (separator.empty()) {
        return integerDigits;
    }
    std::string grouped;
    const std::size_t count = integerDigits.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) {
            grouped += separator;
        }
        grouped += integerDigits[i];
    }
    return grouped;
}
} // namespace

std::string FormatFixedDecimals(double value, int precision, int digits,
                                std::string_view decimalSeparator,
                                std::string_view groupSeparator) {
    digits = std::max(digits, 0);
    // Decimal digits of |value| as 0.D1 D2 ... x 10^exponent.
    std::string kept;
    int exponent = 0;
    if (value != 0.0 && std::isfinite(value)) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.*Le", ConversionDigits - 1,
                      static_cast<Extended>(std::fabs(value)));
        std::string mantissa;
        const char *p = buffer;
        for (; *p != '\0' && *p != 'e'; ++p) {
            if (*p >= '0' && *p <= '9') {
                mantissa += *p;
            }
        }
        exponent = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
        // Keep the significant digits, but none past the last decimal shown.
        const int keep =
            std::min({precision, exponent + digits, static_cast<int>(mantissa.size())});
        if (keep >= 0) {
            kept = mantissa.substr(0, static_cast<std::size_t>(keep));
            const bool roundUp = keep < static_cast<int>(mantissa.size()) &&
                                 mantissa[static_cast<std::size_t>(keep)] >= '5';
            if (roundUp) {
                // Away from zero: increment the kept digits, carrying leftwards.
                int i = keep - 1;
                while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') {
                    kept[static_cast<std::size_t>(i)] = '0';
                    --i;
                }
                if (i >= 0) {
                    ++kept[static_cast<std::size_t>(i)];
                } else {
                    kept.insert(kept.begin(), '1');
                    ++exponent;
                }
            }
        }
        if (kept.find_first_not_of('0') == std::string::npos) {
            kept.clear();
        }
    }

    std::string integerPart;
    std::string fraction;
    if (kept.empty()) {
        integerPart = "0";
        fraction.assign(static_cast<std::size_t>(digits), '0');
    } else {
        // Digit i of `kept` has the place value 10^(exponent - 1 - i).
        for (int place = std::max(exponent, 1) - 1; place >= -digits; --place) {
            const int i = exponent - 1 - place;
            const char digit = (i >= 0 && i < static_cast<int>(kept.size()))
                                   ? kept[static_cast<std::size_t>(i)]
                                   : '0';
            (place >= 0 ? integerPart : fraction) += digit;
        }
    }

    std::string text;
    if (value < 0.0 && !kept.empty()) {
        text += '-';
    }
    text += GroupThousands(integerPart, groupSeparator);
    if (digits > 0) {
        text += decimalSeparator;
        text += fraction;
    }
    return text;
}

std::string FormatDelayPerVeh(double value, std::string_view decimalSeparator,
                              std::string_view groupSeparator) {
    return FormatFixedDecimals(value, 3, 2, decimalSeparator, groupSeparator);
}

std::string FormatArtStops(double value, std::string_view decimalSeparator) {
    return FormatFixedDecimals(value, 2, 1, decimalSeparator, {});
}
