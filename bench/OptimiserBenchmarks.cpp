// The optimiser's searches as the dialog and the command line run them, with the figures the
// closing notes quote: the exact band over five free offsets, the delay search against one a
// hundred times longer, a cycle range of 60 to 150 s, and how often the search reports and how
// soon it stops when cancelled.

#include "model/Diagram.h"
#include "model/Optimiser.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

// The loaded timing (115 s, 30 % red, 60 % green, offsets 0) at 500 veh/hr both ways; uneven
// moves the strips, differs the reds and offsets, and gives the directions their own speeds and
// volumes.
ArterialPlan Fixture(bool Uneven) {
    static constexpr int Reds[] = {30, 25, 40, 35, 20, 30};
    static constexpr int Offsets[] = {7, 50, 13, 91, 38, 64};
    static constexpr int Moved[] = {0, -9, 14, -3, 21, 0};
    Scenario s;
    s.SouthboundVolume = Uneven ? 600 : 500;
    s.NorthboundVolume = Uneven ? 350 : 500;
    s.SouthboundSpeed = 45;
    s.NorthboundSpeed = Uneven ? 38 : 45;
    for (int k = 1; k <= JunctionCount; ++k) {
        const int red = Uneven ? Reds[k - 1] : 30;
        const Durations d = DeriveDurations(115, red, Uneven ? 90 - red : 60);
        s.Junctions[k] = {115,      Uneven ? Offsets[k - 1] : 0,
                          red,      Uneven ? 90 - red : 60,
                          d.Red,    d.Green,
                          d.Yellow, LoadedStripTops[k] + (Uneven ? Moved[k - 1] : 0)};
    }
    return PlanOf(s);
}

void Report(benchmark::State &State, const OptimiseResult &Result) {
    State.counters["evaluations"] = static_cast<double>(Result.Evaluations);
    State.counters["band"] = Result.AfterFigures.WeightedBand;
    State.counters["index"] = Result.AfterFigures.PerformanceIndex;
    State.counters["failing"] = Result.AfterFigures.FailingJunctions;
    State.counters["exact"] = Result.Exact ? 1 : 0;
}

// Argument 0: the fixture (0 loaded, 1 uneven); 1: the objective (0 band, 1 delay); 2: the
// effort; 3: with the cycle range 60 to 150 s (1) or not (0).
void BM_Optimise(benchmark::State &State) {
    const ArterialPlan plan = Fixture(State.range(0) == 1);
    OptimiseRequest request;
    request.Objective =
        State.range(1) == 0 ? OptimiseObjective::WidestBand : OptimiseObjective::LeastDelay;
    request.Effort = static_cast<std::int32_t>(State.range(2));
    if (State.range(3) == 1) {
        request.Cycles = CycleRange{60, 150};
    } else {
        request.Locked[3] = true; // five free offsets
    }
    const PerLink<LinkSets> links = Evaluate(plan, {}).Links;
    OptimiseResult result;
    for (auto _ : State) {
        result = Optimise(plan, links, request);
    }
    Report(State, result);
}
BENCHMARK(BM_Optimise)
    ->ArgNames({"uneven", "delay", "effort", "cycles"})
    ->Args({0, 0, 1, 0})
    ->Args({1, 0, 1, 0})
    ->Args({0, 1, 1, 0})
    ->Args({1, 1, 1, 0})
    ->Args({0, 0, 1, 1})
    ->Args({1, 0, 1, 1})
    ->Args({0, 1, 1, 1})
    ->Args({1, 1, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// The reference for the delay search: a hundred times longer (minutes: run it on its own with
// --benchmark_filter=BM_OptimiseReference).
BENCHMARK(BM_Optimise)
    ->Name("BM_OptimiseReference")
    ->ArgNames({"uneven", "delay", "effort", "cycles"})
    ->Args({0, 1, 100, 0})
    ->Args({1, 1, 100, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// The longest search (delay over 60 to 150 s) on a thread, as the dialog runs it: the longest
// gap between two progress reports, and how long the search runs on after Cancel.
void BM_OptimiseCancel(benchmark::State &State) {
    using Clock = std::chrono::steady_clock;
    const ArterialPlan plan = Fixture(true);
    OptimiseRequest request;
    request.Objective = OptimiseObjective::LeastDelay;
    request.Cycles = CycleRange{60, 150};
    const PerLink<LinkSets> links = Evaluate(plan, {}).Links;
    double longestGap = 0.0;
    double stopping = 0.0;
    for (auto _ : State) {
        std::atomic<bool> stop{false};
        Clock::time_point last = Clock::now();
        std::thread search([&] {
            Optimise(plan, links, request, [&](double) {
                const Clock::time_point now = Clock::now();
                longestGap = std::max(
                    longestGap, std::chrono::duration<double, std::milli>(now - last).count());
                last = now;
                return !stop.load();
            });
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        const Clock::time_point cancelled = Clock::now();
        stop = true;
        search.join();
        stopping = std::chrono::duration<double, std::milli>(Clock::now() - cancelled).count();
    }
    State.counters["longestGapMs"] = longestGap;
    State.counters["cancelMs"] = stopping;
}
BENCHMARK(BM_OptimiseCancel)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
