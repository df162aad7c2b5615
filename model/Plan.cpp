#include "model/Plan.h"

#include "model/Diagram.h"

LinkMeasure PlanLink(const ArterialPlan &Plan, int Link) {
    return MeasureLink(Plan.SpanPixels[Link], Plan.SouthSpeedMph, Plan.NorthSpeedMph);
}

ArterialPlan PlanOf(const Scenario &Settings) {
    ArterialPlan plan;
    PerJunction<std::int32_t> tops{};
    for (int k = 1; k <= JunctionCount; ++k) {
        const JunctionSetting &j = Settings.Junctions[k];
        plan.Signals[k] = {j.CycleTime,
                           j.CycleOffset,
                           {j.RedTime, j.GreenTime, j.YellowTime},
                           j.PercentRed,
                           j.PercentGreen};
        tops[k] = j.Top;
    }
    for (int k = 1; k <= LinkCount; ++k) {
        plan.SpanPixels[k] = TravelSpan(LinkHeight(tops, k), StripHeight);
    }
    plan.SouthSpeedMph = Settings.SouthboundSpeed;
    plan.NorthSpeedMph = Settings.NorthboundSpeed;
    plan.SouthVolume = Settings.SouthboundVolume;
    plan.NorthVolume = Settings.NorthboundVolume;
    plan.EnteringPercent = Settings.EnteringPercent;
    plan.LeavingPercent = Settings.LeavingPercent;
    return plan;
}
