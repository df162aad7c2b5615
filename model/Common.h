#pragma once

#include <array>
#include <cstdint>

// Constants and the platoon record shared by the whole arterial model.

inline constexpr std::int32_t MaxPlatoons = 6;
inline constexpr std::int32_t RoadEdgeOffset = 2;
inline constexpr std::int32_t StopLineOffset = 3;
inline constexpr double SatHeadway = 2.5;
inline constexpr std::int32_t FeetPerPixel = 40;
inline constexpr std::int32_t VehicleSpacing = 20;
inline constexpr double MphToFps = 1.4666666666666666;
inline constexpr std::int32_t VolumeStep = 10;

// Six values addressed by slot number 1..MaxPlatoons, as every loop over platoons counts them.
struct PlatoonSlots {
    std::array<std::int32_t, MaxPlatoons> Values{};

    constexpr std::int32_t &operator[](int slot) { return Values[static_cast<std::size_t>(slot - 1)]; }
    constexpr std::int32_t operator[](int slot) const {
        return Values[static_cast<std::size_t>(slot - 1)];
    }
    friend constexpr bool operator==(const PlatoonSlots &, const PlatoonSlots &) = default;
};

// Platoons as start times and lengths in whole seconds; a slot of Size 0 is empty.
// A queue set reuses the shape: Start holds ArrivalEnd, Size holds DischargeEnd.
// Always passed and returned by value.
struct PlatoonSet {
    PlatoonSlots Start;
    PlatoonSlots Size;

    friend constexpr bool operator==(const PlatoonSet &, const PlatoonSet &) = default;
};

static_assert(sizeof(PlatoonSet) == 12 * sizeof(std::int32_t));
