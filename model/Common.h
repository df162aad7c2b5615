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

// The arterial: six junctions joined by seven links (one above each junction, one below the
// last).
inline constexpr int JunctionCount = 6;
inline constexpr int LinkCount = JunctionCount + 1;

// A fixed array addressed 1..Count, as junctions, links and platoon slots are numbered.
template <class T, int Count> struct OneBased {
    std::array<T, Count> Items{};

    constexpr T &operator[](int index) { return Items[static_cast<std::size_t>(index - 1)]; }
    constexpr const T &operator[](int index) const {
        return Items[static_cast<std::size_t>(index - 1)];
    }
    constexpr auto begin() { return Items.begin(); }
    constexpr auto end() { return Items.end(); }
    constexpr auto begin() const { return Items.begin(); }
    constexpr auto end() const { return Items.end(); }
    friend constexpr bool operator==(const OneBased &, const OneBased &) = default;
};

template <class T> using PerJunction = OneBased<T, JunctionCount>;
template <class T> using PerLink = OneBased<T, LinkCount>;

// Six values addressed by slot number 1..MaxPlatoons, as every loop over platoons counts them.
using PlatoonSlots = OneBased<std::int32_t, MaxPlatoons>;

// Platoons as start times and lengths in whole seconds; a slot of Size 0 is empty.
// A queue set reuses the shape: Start holds ArrivalEnd, Size holds DischargeEnd.
// Always passed and returned by value.
struct PlatoonSet {
    PlatoonSlots Start;
    PlatoonSlots Size;

    friend constexpr bool operator==(const PlatoonSet &, const PlatoonSet &) = default;
};

static_assert(sizeof(PlatoonSet) == 12 * sizeof(std::int32_t));
