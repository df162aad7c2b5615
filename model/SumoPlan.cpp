#include "model/SumoPlan.h"

#include "model/Numbers.h"
#include "model/Progression.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <random>
#include <utility>

double FeetToMetres(std::int32_t feet) {
    return static_cast<double>(static_cast<Extended>(feet) * static_cast<Extended>(MetresPerFoot));
}

double SpeedMetresPerSecond(std::int32_t mph) {
    return static_cast<double>(static_cast<Extended>(mph) *
                               static_cast<Extended>(MetresPerSecondPerMph));
}

double LinkMetres(const ArterialPlan &Plan, int Link) {
    return FeetToMetres(PlanLink(Plan, Link).Feet);
}

SignalProgram SignalProgramFor(const JunctionSignal &Signal) {
    SignalProgram program;
    const std::int32_t cycle = Signal.CycleTime;
    program.Cycle = cycle;
    program.Offset = cycle > 0 ? ((Signal.CycleOffset % cycle) + cycle) % cycle : 0;
    // The window the passage serves: the strip's own table, so that an odd yellow's half
    // second and a yellow of -1 s fall as they do in the diagram.
    const GreenWindows windows = ComputeGreenWindows(cycle, Signal.CycleOffset, Signal.Times);
    program.ArterialGreen = windows.End[1] - windows.Start[1];
    program.Red = Signal.Times.Red;
    program.ArterialYellow = cycle - program.Red - program.ArterialGreen;
    program.CrossYellow = program.Red > 2 * CrossYellowSeconds ? CrossYellowSeconds : 0;
    program.CrossGreen = program.Red - program.CrossYellow;
    return program;
}

std::int32_t PlatoonVehicles(std::int32_t volume, std::int32_t entryCycleTime, std::int32_t Cycle) {
    // Whole numbers throughout: the running total is exact however long the run.
    const std::int64_t perHourCycles =
        static_cast<std::int64_t>(std::max(volume, 0)) * std::max(entryCycleTime, 0);
    const auto before = [perHourCycles](std::int64_t cycles) {
        return perHourCycles * cycles / 3600;
    };
    return static_cast<std::int32_t>(before(Cycle + 1) - before(Cycle));
}

double MeasurementStart(const ArterialPlan &Plan) {
    return static_cast<double>(WarmUpCycles * Plan.Signals[1].CycleTime);
}

double MeasurementEnd(const ArterialPlan &Plan) {
    return static_cast<double>((WarmUpCycles + MeasuredCycles) * Plan.Signals[1].CycleTime);
}

double SimulationEnd(const ArterialPlan &Plan) {
    double metres = 0.0;
    for (int k = 1; k <= LinkCount; ++k) {
        metres += LinkMetres(Plan, k);
    }
    const double slowest =
        SpeedMetresPerSecond(std::max(1, std::min(Plan.SouthSpeedMph, Plan.NorthSpeedMph)));
    std::int32_t longest = 0;
    for (const JunctionSignal &signal : Plan.Signals) {
        longest = std::max(longest, signal.CycleTime);
    }
    const double drain = static_cast<double>((WarmUpCycles + MeasuredCycles) * longest);
    return std::ceil(MeasurementEnd(Plan) + metres / slowest + drain);
}

SumoRunOptions RunOptions(const SimulationChoice &Choice, std::int32_t Run) {
    SumoRunOptions options;
    options.Arrivals = Choice.Arrivals;
    options.Drivers = Choice.Drivers;
    options.Seed = RunSeed(Run);
    return options;
}

namespace {
// Random arrivals of one direction: the platoons' vehicles of the warm-up, and of the measured
// cycles, each at a uniformly drawn time within its period (the count is the volume's, the
// times a Poisson stream's given that count), numbered within the cycle they enter in.
void RandomArrivals(std::int32_t volume, std::int32_t cycle, bool Southbound, std::mt19937 &Draw,
                    std::vector<MainRoadVehicle> &Vehicles) {
    for (const auto &[first, last] :
         {std::pair{0, WarmUpCycles}, std::pair{WarmUpCycles, WarmUpCycles + MeasuredCycles}}) {
        std::int32_t count = 0;
        for (std::int32_t c = first; c < last; ++c) {
            count += PlatoonVehicles(volume, cycle, c);
        }
        std::uniform_real_distribution<double> within(static_cast<double>(first) * cycle,
                                                      static_cast<double>(last) * cycle);
        std::vector<double> times(static_cast<std::size_t>(count));
        for (double &t : times) {
            // Whole hundredths, as the route file gives them.
            t = std::floor(within(Draw) * 100.0) / 100.0;
        }
        std::sort(times.begin(), times.end());
        std::int32_t index = 0;
        std::int32_t previous = -1;
        for (const double t : times) {
            const std::int32_t c =
                std::clamp(static_cast<std::int32_t>(t / cycle), first, last - 1);
            index = c == previous ? index + 1 : 0;
            previous = c;
            Vehicles.push_back({Southbound, c, index, t, false});
        }
    }
}
} // namespace

std::vector<MainRoadVehicle> MainRoadVehicles(const ArterialPlan &Plan, SimulatedArrivals Arrivals,
                                              std::uint32_t Seed) {
    std::vector<MainRoadVehicle> vehicles;
    const std::int32_t cycle = Plan.Signals[1].CycleTime;
    const std::int32_t cycles = WarmUpCycles + MeasuredCycles;
    const std::int32_t leaving = std::clamp(Plan.LeavingPercent, 0, 100);
    std::int64_t entered = 0;
    // The j-th southbound vehicle leaves when the share's running total passes a whole
    // vehicle: the leaving vehicles are spread through every platoon.
    const auto leaves = [&entered, leaving] {
        const bool turns = (entered + 1) * leaving / 100 > entered * leaving / 100;
        ++entered;
        return turns;
    };
    if (Arrivals == SimulatedArrivals::Random && cycle > 0) {
        std::mt19937 draw(Seed);
        RandomArrivals(Plan.SouthVolume, cycle, true, draw, vehicles);
        RandomArrivals(Plan.NorthVolume, cycle, false, draw, vehicles);
        std::stable_sort(
            vehicles.begin(), vehicles.end(),
            [](const MainRoadVehicle &a, const MainRoadVehicle &b) { return a.Depart < b.Depart; });
        for (MainRoadVehicle &vehicle : vehicles) {
            vehicle.Leaves = vehicle.Southbound && leaves();
        }
        return vehicles;
    }
    for (std::int32_t c = 0; c < cycles; ++c) {
        const std::int32_t south = PlatoonVehicles(Plan.SouthVolume, cycle, c);
        const std::int32_t north = PlatoonVehicles(Plan.NorthVolume, cycle, c);
        for (std::int32_t i = 0; i < std::max(south, north); ++i) {
            const double depart = c * cycle + i * SatHeadway;
            if (i < south) {
                vehicles.push_back({true, c, i, depart, leaves()});
            }
            if (i < north) {
                vehicles.push_back({false, c, i, depart, false});
            }
        }
    }
    return vehicles;
}

std::string VehicleId(const MainRoadVehicle &Vehicle) {
    return std::string(Vehicle.Southbound ? "s." : "n.") + std::to_string(Vehicle.Cycle) + "." +
           std::to_string(Vehicle.Index);
}

std::optional<MainRoadVehicle> ParseVehicleId(std::string_view Id) {
    if (Id.size() < 5 || (Id[0] != 's' && Id[0] != 'n') || Id[1] != '.') {
        return std::nullopt;
    }
    MainRoadVehicle vehicle;
    vehicle.Southbound = Id[0] == 's';
    const char *first = Id.data() + 2;
    const char *last = Id.data() + Id.size();
    const auto cycle = std::from_chars(first, last, vehicle.Cycle);
    if (cycle.ec != std::errc() || cycle.ptr == last || *cycle.ptr != '.') {
        return std::nullopt;
    }
    const auto index = std::from_chars(cycle.ptr + 1, last, vehicle.Index);
    if (index.ec != std::errc() || index.ptr != last) {
        return std::nullopt;
    }
    return vehicle;
}

double EnteringStaying(const ArterialPlan &Plan) {
    const std::int32_t entering = EnteringVolume(Plan.SouthVolume, Plan.EnteringPercent);
    return entering * (100 - std::clamp(Plan.LeavingPercent, 0, 100)) / 100.0;
}

double EnteringLeaving(const ArterialPlan &Plan) {
    const std::int32_t entering = EnteringVolume(Plan.SouthVolume, Plan.EnteringPercent);
    return entering * std::clamp(Plan.LeavingPercent, 0, 100) / 100.0;
}

DirectionSimulation SummariseTrips(const std::vector<TripRecord> &Trips, std::int32_t Sent) {
    DirectionSimulation figures;
    figures.Sent = Sent;
    figures.Vehicles = static_cast<std::int32_t>(Trips.size());
    if (Trips.empty()) {
        return figures;
    }
    double stops = 0.0;
    double loss = 0.0;
    for (const TripRecord &trip : Trips) {
        stops += trip.Stops;
        loss += trip.TimeLoss;
        figures.Unfinished += trip.Arrived ? 0 : 1;
    }
    figures.StopsPerVehicle = stops / figures.Vehicles;
    figures.DelayPerVehicle = loss / figures.Vehicles;
    return figures;
}

double QueueTrend(const std::vector<double> &VehiclesPerCycle) {
    const std::size_t n = VehiclesPerCycle.size();
    if (n < 2) {
        return 0.0;
    }
    // The slope of the least-squares line over the cycles numbered 0 to n - 1.
    const double middle = static_cast<double>(n - 1) / 2.0;
    double moments = 0.0;
    double spread = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = static_cast<double>(i) - middle;
        moments += x * VehiclesPerCycle[i];
        spread += x * x;
    }
    return moments / spread;
}

bool QueueGrows(const std::vector<double> &VehiclesPerCycle) {
    return QueueTrend(VehiclesPerCycle) >= QueueGrowthPerCycle;
}

std::vector<std::int32_t> GrowingQueues(const PerJunction<std::vector<double>> &VehiclesPerCycle,
                                        bool Southbound) {
    PerJunction<bool> grows{};
    for (int k = 1; k <= JunctionCount; ++k) {
        grows[k] = QueueGrows(VehiclesPerCycle[k]);
    }
    std::vector<std::int32_t> junctions;
    for (int k = 1; k <= JunctionCount; ++k) {
        const int downstream = Southbound ? k + 1 : k - 1;
        const bool reachedBack =
            downstream >= 1 && downstream <= JunctionCount && grows[downstream];
        if (grows[k] && !reachedBack) {
            junctions.push_back(k);
        }
    }
    return junctions;
}
