// The model's inner routines, run for every junction and link of both directions at every event.
// None of them may touch the heap: each benchmark counts the allocations of its timed loop and
// fails when there is one.

#include "bench/AllocationCounter.h"
#include "controls/TimeSpaceLight.h"
#include "controls/TimeSpaceLink.h"
#include "model/Passage.h"
#include "model/Platoons.h"
#include "model/SignalTiming.h"
#include "model/Travel.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int StripWidth = 460;

PlatoonSet MakeSet(std::initializer_list<std::pair<int, int>> platoons) {
    PlatoonSet set;
    int k = 1;
    for (const auto &[start, size] : platoons) {
        set.Start[k] = start;
        set.Size[k] = size;
        ++k;
    }
    return set;
}

// Six platoons that meet every case of the passage on the loaded timing with an offset of 20 s:
// through, cut by the end of a green, held at red, and one that starts past the strip's end.
const PlatoonSet SixPlatoons =
    MakeSet({{25, 20}, {75, 30}, {150, 25}, {245, 40}, {330, 15}, {470, 10}});

void ReportAllocations(benchmark::State &state, const AllocationCounter::Scope &scope) {
    const std::uint64_t allocations = scope.Allocations();
    state.counters["allocs/iter"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
    if (allocations != 0) {
        state.SkipWithError("heap allocation in the timed loop");
    }
}

void BM_PassPlatoons(benchmark::State &state) {
    const Durations durations = DeriveDurations(115, 30, 60);
    const GreenWindows windows = ComputeGreenWindows(115, 20, durations);
    const int lastWindow = DrawnBandCount(StripWidth, 115) + 1;
    const int capacity = WindowCapacity(durations);
    PlatoonSet input = SixPlatoons;
    const AllocationCounter::Scope allocations;
    for (auto _ : state) {
        benchmark::DoNotOptimize(input);
        PassageResult result =
            PassPlatoons(input, windows.Start, windows.End, lastWindow, capacity, StripWidth);
        benchmark::DoNotOptimize(result);
    }
    ReportAllocations(state, allocations);
}
BENCHMARK(BM_PassPlatoons);

void BM_MergePlatoons(benchmark::State &state) {
    // Overlaps, a duplicate, and one past the width to clip.
    PlatoonSet input = MakeSet({{10, 30}, {30, 20}, {100, 15}, {100, 15}, {200, 40}, {450, 30}});
    const AllocationCounter::Scope allocations;
    for (auto _ : state) {
        benchmark::DoNotOptimize(input);
        PlatoonSet merged = MergePlatoons(input, StripWidth);
        benchmark::DoNotOptimize(merged);
    }
    ReportAllocations(state, allocations);
}
BENCHMARK(BM_MergePlatoons);

void BM_SortPlatoons(benchmark::State &state) {
    // Descending starts: the most exchanges.
    PlatoonSet input = MakeSet({{400, 5}, {300, 6}, {200, 7}, {100, 8}, {50, 9}, {10, 10}});
    const AllocationCounter::Scope allocations;
    for (auto _ : state) {
        benchmark::DoNotOptimize(input);
        PlatoonSet sorted = SortPlatoons(input);
        benchmark::DoNotOptimize(sorted);
    }
    ReportAllocations(state, allocations);
}
BENCHMARK(BM_SortPlatoons);

void BM_MergeAndSort(benchmark::State &state) {
    PlatoonSet input = MakeSet({{300, 30}, {310, 20}, {200, 15}, {100, 15}, {100, 15}, {10, 40}});
    const AllocationCounter::Scope allocations;
    for (auto _ : state) {
        benchmark::DoNotOptimize(input);
        PlatoonSet tidy = SortPlatoons(MergePlatoons(input, StripWidth));
        benchmark::DoNotOptimize(tidy);
    }
    ReportAllocations(state, allocations);
}
BENCHMARK(BM_MergeAndSort);

void BM_TravelPlatoons(benchmark::State &state) {
    PlatoonSet input = SixPlatoons;
    PlatoonSet output;
    int span = TravelSpan(65, 10);
    const AllocationCounter::Scope allocations;
    for (auto _ : state) {
        benchmark::DoNotOptimize(input);
        benchmark::DoNotOptimize(span);
        output = TravelPlatoons(input, output, StripWidth, TravelTime(span, 45));
        benchmark::DoNotOptimize(output);
    }
    ReportAllocations(state, allocations);
}
BENCHMARK(BM_TravelPlatoons);

// The strip's own passage (its stored arrivals against its green windows), as the window calls
// it for every junction.
void BM_StripPass(benchmark::State &state) {
    TTimeSpaceLight strip;
    strip.SetBounds(0, 0, StripWidth, 10);
    strip.SetCycleTime(115);
    strip.SetCycleOffset(20);
    strip.SetFwInput(SixPlatoons);
    const AllocationCounter::Scope allocations;
    for (auto _ : state) {
        PlatoonSet departing = strip.PassFw();
        benchmark::DoNotOptimize(departing);
    }
    ReportAllocations(state, allocations);
}
BENCHMARK(BM_StripPass);

// The link's travel of both directions, as every stored set runs it.
void BM_LinkTravel(benchmark::State &state) {
    TTimeSpaceLink link;
    link.setGeometry(0, 0, StripWidth, 65);
    link.SetTrafficLightHeight(10);
    link.SetFwdSpeedMph(45);
    link.SetBackSpeedMph(45);
    link.SetFwInput(SixPlatoons);
    link.SetBkInput(MakeSet({{5, 30}, {120, 20}, {260, 35}}));
    const AllocationCounter::Scope allocations;
    for (auto _ : state) {
        link.ComputeTravel();
        benchmark::ClobberMemory();
    }
    ReportAllocations(state, allocations);
}
BENCHMARK(BM_LinkTravel);

} // namespace
