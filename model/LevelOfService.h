#pragma once

#include "model/Evaluation.h"

#include <cstdint>

// The level of service of one direction at one junction, from the delay its vehicles meet there.
//
// The delay per vehicle at a junction is the junction's delay of one cycle (JunctionDelay of
// that direction's passage, platoon seconds x seconds) over the platoon seconds that arrive at
// it in that cycle: the arriving set merged and clipped to the time axis as the passage takes it
// (PassageResult::ArrivingSeconds), which is every vehicle that passes the junction, stopped or
// not. Both are in platoon seconds, so the quotient is the average wait of a vehicle in seconds.
// No arrivals give no delay.
//
// The letter: A up to 10 s, B up to 20 s, C up to 35 s, D up to 55 s, E up to 80 s, each bound
// included; F above 80 s, and F whatever the delay when the demand exceeds the junction's
// capacity (a degree of saturation above 1, or a cycle failure: the arrivals of a cycle need
// more than one green).

enum class ServiceLevel { A, B, C, D, E, F };

// The upper bounds of A to E, seconds per vehicle.
inline constexpr double ServiceLevelBounds[] = {10.0, 20.0, 35.0, 55.0, 80.0};

struct LevelOfService {
    double DelaySeconds = 0.0; // per vehicle at the junction
    ServiceLevel Level = ServiceLevel::A;
};

ServiceLevel ServiceLevelOf(double delaySeconds, bool overCapacity);

// 'A' to 'F'.
char ServiceLevelLetter(ServiceLevel level);

double JunctionDelayPerVehicle(std::int32_t junctionDelay, std::int32_t arrivingSeconds);

LevelOfService LevelOfServiceAt(const DirectionAtJunction &At);
