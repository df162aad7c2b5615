#include "model/TimingEdits.h"

#include "model/Numbers.h"
#include "model/Progression.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

bool PercentKept(std::int32_t value, std::int32_t other) {
    // Compared against what is left, so that a huge value cannot wrap the sum below 100.
    return value > 5 && value <= 100 - other;
}

SplitTiming WithPercentRed(SplitTiming timing, std::int32_t percentRed) {
    if (PercentKept(percentRed, timing.PercentGreen)) {
        timing.PercentRed = percentRed;
    }
    timing.Seconds = DeriveDurations(timing.CycleTime, timing.PercentRed, timing.PercentGreen);
    return timing;
}

SplitTiming WithPercentGreen(SplitTiming timing, std::int32_t percentGreen) {
    if (PercentKept(percentGreen, timing.PercentRed)) {
        timing.PercentGreen = percentGreen;
    }
    timing.Seconds = DeriveDurations(timing.CycleTime, timing.PercentRed, timing.PercentGreen);
    return timing;
}

SplitTiming SplitClicked(const SplitTiming &timing, bool moreRed) {
    const std::optional<std::int32_t> red =
        SplitClickRed(timing.PercentRed, timing.PercentGreen, moreRed);
    if (!red) {
        return timing;
    }
    const SplitTiming asked = WithPercentRed(timing, *red);
    // The setter may have refused the red: green follows the red it kept.
    return WithPercentGreen(asked, SplitGreenFor(asked.PercentRed));
}

bool SplitDragKept(const Durations &seconds, std::int32_t greenGained) {
    return seconds.Red - greenGained >= SplitDragMinimum &&
           seconds.Green + greenGained >= SplitDragMinimum;
}

std::int32_t ShareOfCycle(std::int32_t seconds, std::int32_t cycleTime) {
    return Round(static_cast<Extended>(seconds * 100) / cycleTime);
}

SplitTiming SplitDragged(SplitTiming timing, std::int32_t greenGained) {
    if (SplitDragKept(timing.Seconds, greenGained)) {
        timing.Seconds.Green += greenGained;
        timing.Seconds.Red -= greenGained;
    }
    timing.PercentGreen = ShareOfCycle(timing.Seconds.Green, timing.CycleTime);
    timing.PercentRed = ShareOfCycle(timing.Seconds.Red, timing.CycleTime);
    return timing;
}

bool CycleDragKept(std::int32_t width, std::int32_t cycleTime) {
    if (cycleTime <= 0) {
        return false;
    }
    const Extended ratio = static_cast<Extended>(width) / cycleTime;
    return 2.0L < ratio && ratio < 24.0L;
}

namespace {

// The shares no edit leaves outside: a share of a cycle's seconds is at most 100 %.
constexpr std::int32_t MaxShare = 100;

// What the strip's edits reach on a strip of one width, found by applying them until nothing
// new turns up. Offsets play no part: every edit that changes the split keeps or resets it.
//
// A timing is either the one its shares derive, or one a split drag left: the yellow of a
// derived timing with any red and green of 3 s or more beside it, or a derived timing whose
// drag was refused, with the shares rounded from its seconds. So the search needs the shares
// the edits reach (any cycle can be set with any shares), and per cycle the yellows beside
// which a drag can reach every red and green of 3 s or more.
class Reachable {
  public:
    explicit Reachable(std::int32_t width) : FWidth(width) {
        for (std::int32_t c = 1; c <= width; ++c) {
            if (CycleDragKept(width, c)) {
                FCycles.push_back(c);
            }
        }
        for (std::int32_t v = PanelMinCycleTime; v <= PanelMaxCycleTime; ++v) {
            FCycles.push_back(ClampCycleTime(width, v));
        }
        FCycles.push_back(Round(static_cast<Extended>(width) / ResetBandCount));
        // A strip too narrow for any cycle reaches none.
        std::erase_if(FCycles, [width](std::int32_t c) { return c < 1 || c > width; });
        std::sort(FCycles.begin(), FCycles.end());
        FCycles.erase(std::unique(FCycles.begin(), FCycles.end()), FCycles.end());
        const auto slots = static_cast<std::size_t>(std::max(width, 0)) + 1;
        FCycleReached.assign(slots, false);
        FOpenYellows.resize(slots);
        for (const std::int32_t c : FCycles) {
            FCycleReached[static_cast<std::size_t>(c)] = true;
            FOpenYellows[static_cast<std::size_t>(c)].assign(2 * static_cast<std::size_t>(c) + 1,
                                                             false);
        }
        FShares.assign((MaxShare + 1) * (MaxShare + 1), false);
        Tabulate();
        Search();
    }

    std::int32_t LeastCycle() const { return FCycles.empty() ? 0 : FCycles.front(); }
    std::int32_t GreatestCycle() const { return FCycles.empty() ? 0 : FCycles.back(); }

    bool CycleReached(std::int32_t c) const {
        return c >= 1 && c <= FWidth && FCycleReached[static_cast<std::size_t>(c)];
    }

    bool SharesReached(std::int32_t red, std::int32_t green) const {
        return InRange(red) && InRange(green) && FShares[Index(red, green)];
    }

    // Beside this yellow a split drag reaches every red and green of 3 s or more.
    bool YellowOpen(std::int32_t c, std::int32_t yellow) const {
        return CycleReached(c) && yellow >= -c && yellow <= c &&
               FOpenYellows[static_cast<std::size_t>(c)][static_cast<std::size_t>(yellow + c)];
    }

    // Some reached shares derive these seconds at this cycle. Red follows the red share only
    // and green the green share only, so each is looked for on its own first.
    bool DerivedReached(std::int32_t c, const Durations &seconds) const {
        std::vector<std::int32_t> reds;
        std::vector<std::int32_t> greens;
        for (std::int32_t p = 0; p <= MaxShare; ++p) {
            const Durations d = DeriveDurations(c, p, p);
            if (d.Red == seconds.Red) {
                reds.push_back(p);
            }
            if (d.Green == seconds.Green) {
                greens.push_back(p);
            }
        }
        for (const std::int32_t red : reds) {
            for (const std::int32_t green : greens) {
                if (SharesReached(red, green) &&
                    DeriveDurations(c, red, green).Yellow == seconds.Yellow) {
                    return true;
                }
            }
        }
        return false;
    }

  private:
    static bool InRange(std::int32_t share) { return share >= 0 && share <= MaxShare; }
    static std::size_t Index(std::int32_t red, std::int32_t green) {
        return static_cast<std::size_t>(red * (MaxShare + 1) + green);
    }

    void Add(std::int32_t red, std::int32_t green) {
        if (!InRange(red) || !InRange(green) || FShares[Index(red, green)]) {
            return;
        }
        FShares[Index(red, green)] = true;
        FPending.push_back({red, green});
    }

    // The rules' arithmetic per cycle, worked out once: the seconds a share derives, and the
    // share the seconds round to (for -c to 2c seconds).
    struct CycleTable {
        std::int32_t Cycle = 0;
        std::vector<std::int32_t> Seconds; // per share
        std::vector<std::int32_t> Share;   // per seconds + cycle
        std::int32_t ShareOf(std::int32_t seconds) const {
            return Share[static_cast<std::size_t>(seconds + Cycle)];
        }
    };

    void Tabulate() {
        for (const std::int32_t c : FCycles) {
            CycleTable table;
            table.Cycle = c;
            for (std::int32_t p = 0; p <= MaxShare; ++p) {
                table.Seconds.push_back(DeriveDurations(c, p, 0).Red);
            }
            for (std::int32_t seconds = -c; seconds <= 2 * c; ++seconds) {
                table.Share.push_back(ShareOfCycle(seconds, c));
            }
            FTables.push_back(std::move(table));
        }
    }

    void Search() {
        if (FCycles.empty()) {
            return;
        }
        Add(ResetPercentRed, ResetPercentGreen);
        while (!FPending.empty()) {
            const auto [red, green] = FPending.back();
            FPending.pop_back();
            for (const bool moreRed : {true, false}) {
                const SplitTiming clicked =
                    SplitClicked({FCycles.front(), red, green, {}}, moreRed);
                Add(clicked.PercentRed, clicked.PercentGreen);
            }
            for (const CycleTable &table : FTables) {
                const std::int32_t c = table.Cycle;
                const Durations derived{table.Seconds[static_cast<std::size_t>(red)],
                                        table.Seconds[static_cast<std::size_t>(green)], 0};
                const Durations d{derived.Red, derived.Green, c - derived.Red - derived.Green};
                // A drag one second each way comes back or is refused: either way the shares
                // are rounded from the seconds.
                Add(table.ShareOf(d.Red), table.ShareOf(d.Green));
                OpenYellow(table, d);
            }
        }
    }

    // Red and green of 3 s or more are reached from here by the keys one second at a time
    // when neither is below 2 s, or by one mouse move on a yellow of 2 s or more.
    void OpenYellow(const CycleTable &table, const Durations &d) {
        const std::int32_t c = table.Cycle;
        const std::int32_t span = d.Red + d.Green;
        if (span < 2 * SplitDragMinimum || d.Yellow < -c || d.Yellow > c) {
            return;
        }
        if (std::min(d.Red, d.Green) < SplitDragMinimum - 1 && d.Yellow < 2) {
            return;
        }
        auto &open = FOpenYellows[static_cast<std::size_t>(c)];
        const auto at = static_cast<std::size_t>(d.Yellow + c);
        if (open[at]) {
            return;
        }
        open[at] = true;
        for (std::int32_t red = SplitDragMinimum; red <= span - SplitDragMinimum; ++red) {
            Add(table.ShareOf(red), table.ShareOf(span - red));
        }
    }

    std::int32_t FWidth;
    std::vector<std::int32_t> FCycles;
    std::vector<bool> FCycleReached;
    std::vector<std::vector<bool>> FOpenYellows; // per cycle, per yellow + cycle
    std::vector<bool> FShares;                   // per red share, per green share
    std::vector<std::pair<std::int32_t, std::int32_t>> FPending;
    std::vector<CycleTable> FTables;
};

// Worked out once per width, on first use.
const Reachable &ReachableOn(std::int32_t width) {
    static std::mutex guard;
    static std::map<std::int32_t, std::unique_ptr<Reachable>> found;
    const std::lock_guard<std::mutex> lock(guard);
    auto &entry = found[width];
    if (!entry) {
        entry = std::make_unique<Reachable>(width);
    }
    return *entry;
}

} // namespace

std::int32_t LeastReachableCycle(std::int32_t width) {
    return ReachableOn(width).LeastCycle();
}

std::int32_t GreatestReachableCycle(std::int32_t width) {
    return ReachableOn(width).GreatestCycle();
}

std::optional<TimingObjection> TimingUnreachable(std::int32_t width, const SplitTiming &t) {
    const Reachable &reach = ReachableOn(width);
    const std::int32_t c = t.CycleTime;
    if (!reach.CycleReached(c)) {
        return TimingObjection{TimingObjection::CycleTime,
                               std::to_string(c) + " is outside " +
                                   std::to_string(reach.LeastCycle()) + " to " +
                                   std::to_string(reach.GreatestCycle())};
    }
    const Durations &s = t.Seconds;
    // Bounded first, so that the sums and shares below cannot overflow.
    const auto within = [c](std::int32_t seconds) { return seconds >= -c && seconds <= 2 * c; };
    if (!within(s.Red) || !within(s.Green) || !within(s.Yellow)) {
        return TimingObjection{TimingObjection::RedSeconds,
                               "the seconds are not a split of the cycle the strip keeps"};
    }
    if (s.Red + s.Green + s.Yellow != c) {
        return TimingObjection{TimingObjection::RedSeconds,
                               "red, green and yellow seconds do not add up to the cycle time"};
    }
    const Durations derived = DeriveDurations(c, t.PercentRed, t.PercentGreen);
    const bool asDerived =
        derived.Red == s.Red && derived.Green == s.Green && derived.Yellow == s.Yellow;
    if (asDerived && reach.SharesReached(t.PercentRed, t.PercentGreen)) {
        return std::nullopt;
    }
    // Otherwise a split drag left it: the shares are the seconds' own.
    const bool roundedFromSeconds =
        ShareOfCycle(s.Red, c) == t.PercentRed && ShareOfCycle(s.Green, c) == t.PercentGreen;
    const bool dragged =
        s.Red >= SplitDragMinimum && s.Green >= SplitDragMinimum && reach.YellowOpen(c, s.Yellow);
    if (roundedFromSeconds && (dragged || reach.DerivedReached(c, s))) {
        return std::nullopt;
    }
    if (asDerived) {
        return TimingObjection{TimingObjection::PercentRed,
                               std::to_string(t.PercentRed) + " % red and " +
                                   std::to_string(t.PercentGreen) +
                                   " % green are not a split the strip keeps"};
    }
    if (!roundedFromSeconds) {
        return TimingObjection{TimingObjection::PercentRed,
                               "the percentages do not match the red and green seconds"};
    }
    return TimingObjection{TimingObjection::RedSeconds,
                           "the seconds are not a split of the cycle the strip keeps"};
}
