#include "model/SimulationFigures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

bool Deterministic(const SimulationChoice &Choice) {
    return Choice.Arrivals == SimulatedArrivals::Platoons &&
           Choice.Drivers == SimulatedDrivers::Diagram;
}

std::int32_t DefaultRuns(const SimulationChoice &Choice) {
    return Deterministic(Choice) ? 1 : RandomRuns;
}

std::uint32_t RunSeed(std::int32_t Run) {
    return static_cast<std::uint32_t>(std::max(Run, 0)) + 1U;
}

std::string_view ArrivalsWord(SimulatedArrivals Arrivals) {
    return Arrivals == SimulatedArrivals::Random ? "random" : "platoons";
}

std::string_view DriversWord(SimulatedDrivers Drivers) {
    return Drivers == SimulatedDrivers::Typical ? "typical" : "diagram";
}

namespace {
// Which of the two values Word names, by their words.
template <typename Value>
bool ParseWord(std::string_view Word, Value &Parsed, std::array<Value, 2> Values,
               std::string_view (*WordOf)(Value)) {
    for (const Value value : Values) {
        if (Word == WordOf(value)) {
            Parsed = value;
            return true;
        }
    }
    return false;
}
} // namespace

bool ParseArrivals(std::string_view Word, SimulatedArrivals &Arrivals) {
    return ParseWord(Word, Arrivals, {SimulatedArrivals::Platoons, SimulatedArrivals::Random},
                     ArrivalsWord);
}

bool ParseDrivers(std::string_view Word, SimulatedDrivers &Drivers) {
    return ParseWord(Word, Drivers, {SimulatedDrivers::Diagram, SimulatedDrivers::Typical},
                     DriversWord);
}

double StudentT95(std::int32_t DegreesOfFreedom) {
    // The 0.975 quantile; beyond 30 degrees the table's next row below is taken, which errs on
    // the wide side, and past 120 the normal's 1.96.
    static constexpr std::array<double, 30> Small{
        12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306, 2.262, 2.228,
        2.201,  2.179, 2.160, 2.145, 2.131, 2.120, 2.110, 2.101, 2.093, 2.086,
        2.080,  2.074, 2.069, 2.064, 2.060, 2.056, 2.052, 2.048, 2.045, 2.042};
    const std::int32_t df = std::max(DegreesOfFreedom, 1);
    if (df <= 30) {
        return Small[static_cast<std::size_t>(df - 1)];
    }
    if (df < 40) {
        return 2.042;
    }
    if (df < 60) {
        return 2.021;
    }
    if (df < 120) {
        return 2.000;
    }
    return df == 120 ? 1.980 : 1.960;
}

Spread SpreadOf(const std::vector<double> &Values) {
    Spread spread;
    spread.Runs = static_cast<std::int32_t>(Values.size());
    if (Values.empty()) {
        return spread;
    }
    const auto [least, greatest] = std::minmax_element(Values.begin(), Values.end());
    spread.Least = *least;
    spread.Greatest = *greatest;
    const double n = static_cast<double>(Values.size());
    spread.Mean = std::accumulate(Values.begin(), Values.end(), 0.0) / n;
    if (Values.size() < 2) {
        return spread;
    }
    double squares = 0.0;
    for (const double v : Values) {
        squares += (v - spread.Mean) * (v - spread.Mean);
    }
    const double deviation = std::sqrt(squares / (n - 1.0));
    const double half = StudentT95(spread.Runs - 1) * deviation / std::sqrt(n);
    spread.HasInterval = true;
    spread.Low = spread.Mean - half;
    spread.High = spread.Mean + half;
    return spread;
}

Spread DifferenceOf(const SimulationSet &From, const SimulationSet &To, bool Southbound,
                    double DirectionSimulation::*Figure) {
    std::vector<double> differences;
    for (std::size_t i = 0; i < From.Runs.size() && i < To.Runs.size(); ++i) {
        const DirectionSimulation &from =
            Southbound ? From.Runs[i].Southbound : From.Runs[i].Northbound;
        const DirectionSimulation &to = Southbound ? To.Runs[i].Southbound : To.Runs[i].Northbound;
        if (from.Vehicles > 0 && to.Vehicles > 0) {
            differences.push_back(to.*Figure - from.*Figure);
        }
    }
    return SpreadOf(differences);
}

DirectionSpread SpreadOf(const SimulationSet &Set, bool Southbound) {
    DirectionSpread figures;
    std::vector<double> vehicles;
    std::vector<double> stops;
    std::vector<double> delay;
    for (const SimulationFigures &run : Set.Runs) {
        const DirectionSimulation &d = Southbound ? run.Southbound : run.Northbound;
        figures.Sent = std::max(figures.Sent, d.Sent);
        vehicles.push_back(d.Vehicles);
        if (d.Vehicles > 0) {
            stops.push_back(d.StopsPerVehicle);
            delay.push_back(d.DelayPerVehicle);
        }
        figures.UnfinishedRuns += d.Unfinished > 0 ? 1 : 0;
        figures.RunsWithGrowth += d.QueuesGrow ? 1 : 0;
        for (const std::int32_t k : d.GrowingAt) {
            if (k >= 1 && k <= JunctionCount) {
                ++figures.GrewIn[k];
            }
        }
    }
    figures.Vehicles = SpreadOf(vehicles);
    figures.Stops = SpreadOf(stops);
    figures.Delay = SpreadOf(delay);
    return figures;
}
