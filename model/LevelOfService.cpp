#include "model/LevelOfService.h"

#include "model/Numbers.h"

#include <iterator>

ServiceLevel ServiceLevelOf(double delaySeconds, bool overCapacity) {
    if (overCapacity) {
        return ServiceLevel::F;
    }
    for (std::size_t i = 0; i < std::size(ServiceLevelBounds); ++i) {
        if (delaySeconds <= ServiceLevelBounds[i]) {
            return static_cast<ServiceLevel>(i);
        }
    }
    return ServiceLevel::F;
}

char ServiceLevelLetter(ServiceLevel level) {
    return static_cast<char>('A' + static_cast<int>(level));
}

double JunctionDelayPerVehicle(std::int32_t junctionDelay, std::int32_t arrivingSeconds) {
    if (arrivingSeconds <= 0) {
        return 0.0;
    }
    return static_cast<double>(static_cast<Extended>(junctionDelay) / arrivingSeconds);
}

LevelOfService LevelOfServiceAt(const DirectionAtJunction &At) {
    LevelOfService los;
    los.DelaySeconds = JunctionDelayPerVehicle(At.Delay, At.Passage.ArrivingSeconds);
    const bool overCapacity = At.Saturation > 1.0 || At.Passage.CycleFailure;
    los.Level = ServiceLevelOf(los.DelaySeconds, overCapacity);
    return los;
}
