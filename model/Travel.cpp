#include "model/Travel.h"

#include "model/Numbers.h"
#include "model/Platoons.h"

std::int32_t TravelSpan(std::int32_t linkHeight, std::int32_t trafficLightHeight) {
    return Trunc(static_cast<Extended>(trafficLightHeight) / 2.0L) + linkHeight;
}

namespace {
// Feet per second at speedMph, in extended precision from the double constant.
Extended FeetPerSecond(std::int32_t speedMph) {
    return static_cast<Extended>(speedMph) * static_cast<Extended>(MphToFps);
}
} // namespace

std::int32_t TravelTime(std::int32_t span, std::int32_t speedMph) {
    if (speedMph <= 0) {
        return 0;
    }
    return Round(static_cast<Extended>(FeetPerPixel * span) / FeetPerSecond(speedMph));
}

LinkMeasure MeasureLink(std::int32_t span, std::int32_t southMph, std::int32_t northMph) {
    return {FeetPerPixel * span, TravelTime(span, southMph), TravelTime(span, northMph)};
}

PlatoonSet TravelPlatoons(const PlatoonSet &input, const PlatoonSet &previousOutput,
                          std::int32_t width, std::int32_t travelTime) {
    PlatoonSet output = previousOutput;
    for (int k = 1; k <= MaxPlatoons; ++k) {
        output.Size[k] = input.Size[k];
        if (input.Size[k] > 0 && input.Start[k] < width) {
            output.Start[k] = input.Start[k] + travelTime;
        }
    }
    return output;
}

namespace {
// One direction of the link's travel. An input that one more merge leaves as it is stays so;
// and travelling the same input again from the output it gave changes no slot (an occupied one
// gets the same start again, any other keeps its start).
void Travel(PlatoonSet &Input, PlatoonSet &Output, std::int32_t width, std::int32_t seconds,
            bool *settled) {
    if (settled != nullptr && *settled) {
        return;
    }
    const PlatoonSet merged = MergePlatoons(Input, width);
    if (settled != nullptr) {
        *settled = merged == Input;
    }
    Input = merged;
    Output = TravelPlatoons(Input, Output, width, seconds);
}
} // namespace

void ComputeLinkTravel(LinkSets &Sets, const LinkMeasure &Link, std::int32_t width,
                       TravelSettled *Settled) {
    Travel(Sets.FwInput, Sets.FwOutput, width, Link.SouthboundSeconds,
           Settled != nullptr ? &Settled->Fw : nullptr);
    Travel(Sets.BkInput, Sets.BkOutput, width, Link.NorthboundSeconds,
           Settled != nullptr ? &Settled->Bk : nullptr);
}

QueueShape QueueShapeOf(std::int32_t arrivalEnd, std::int32_t dischargeEnd, std::int32_t speedMph) {
    QueueShape shape;
    shape.Feet = Trunc(static_cast<Extended>((dischargeEnd - arrivalEnd) * VehicleSpacing) /
                       static_cast<Extended>(SatHeadway));
    shape.Pixels = Trunc(static_cast<Extended>(shape.Feet) / FeetPerPixel);
    if (speedMph > 0) {
        shape.DriveTime = Trunc(static_cast<Extended>(shape.Feet) / FeetPerSecond(speedMph));
    }
    return shape;
}

std::int32_t QueueBarLength(const PlatoonSet &queues) {
    std::int32_t longest = 0;
    for (int k = 1; k <= MaxPlatoons; ++k) {
        const std::int32_t wait = queues.Size[k] - queues.Start[k];
        if (wait > longest) {
            longest = wait;
        }
    }
    return Trunc(static_cast<Extended>(longest * VehicleSpacing) /
                 (FeetPerPixel * static_cast<Extended>(SatHeadway)));
}
