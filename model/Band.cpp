#include "model/Band.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {
// A closed range of band start times at the direction's first junction.
struct Range {
    std::int32_t Low;
    std::int32_t High;
};

// Every intersection of two ranges can only split a range in pieces, one per window it
// meets: the first range and six tables of windows give no more than this many pieces.
constexpr std::size_t MaxRanges = 1 + JunctionCount * GreenWindowCount;

// The ranges are written before they are read: the array is left uninitialised, since the
// band is looked for at every evaluation.
struct Ranges {
    std::array<Range, MaxRanges> Items;
    std::size_t Count = 0;
};

// The start times whose trajectory meets a green of the junction reach seconds later, kept
// where they lie inside one of the given ranges, into Result. Both lists are sorted and their
// ranges are apart (a junction's windows are a red apart), so one walk through both finds every
// overlap, and the overlaps come out sorted and apart as well.
void Intersect(const Ranges &ranges, const GreenTable &green, std::int32_t reach, Ranges &result) {
    result.Count = 0;
    std::size_t i = 0;
    int w = 0;
    while (i < ranges.Count && w < GreenWindowCount) {
        const std::size_t u = static_cast<std::size_t>(w);
        const Range window{green.Start[u] - reach, green.End[u] - reach};
        if (window.High < window.Low) {
            ++w; // an empty window serves nothing
            continue;
        }
        const Range &range = ranges.Items[i];
        const std::int32_t low = std::max(range.Low, window.Low);
        const std::int32_t high = std::min(range.High, window.High);
        if (low <= high && result.Count < MaxRanges) {
            result.Items[result.Count++] = {low, high};
        }
        // The range that ends first meets nothing further on.
        if (range.High < window.High) {
            ++i;
        } else {
            ++w;
        }
    }
}
} // namespace

int FirstJunction(BandDirection direction) {
    return direction == BandDirection::Southbound ? 1 : JunctionCount;
}

PerJunction<std::int32_t> BandReach(BandDirection direction, const PerLink<std::int32_t> &travel) {
    PerJunction<std::int32_t> reach{};
    if (direction == BandDirection::Southbound) {
        for (int k = 2; k <= JunctionCount; ++k) {
            reach[k] = reach[k - 1] + travel[k];
        }
    } else {
        for (int k = JunctionCount - 1; k >= 1; --k) {
            reach[k] = reach[k + 1] + travel[k + 1];
        }
    }
    return reach;
}

ProgressionBand FindBand(BandDirection direction, const PerJunction<GreenTable> &greens,
                         const PerLink<std::int32_t> &travel, std::int32_t axisWidth,
                         std::int32_t referenceCycle) {
    ProgressionBand band;
    band.Reach = BandReach(direction, travel);
    if (axisWidth < 0) {
        return band;
    }
    // Start times of trajectories that meet a green everywhere: the time axis at the first
    // junction, cut down by each junction's windows in turn.
    Ranges buffers[2];
    buffers[0].Items[0] = {0, axisWidth};
    buffers[0].Count = 1;
    int current = 0;
    for (int k = 1; k <= JunctionCount && buffers[current].Count > 0; ++k) {
        Intersect(buffers[current], greens[k], band.Reach[k], buffers[1 - current]);
        current = 1 - current;
    }
    const Ranges &ranges = buffers[current];
    // Each range left lies inside one window of every junction: a band from its low end as
    // wide as the range. The first of the widest wins.
    for (std::size_t i = 0; i < ranges.Count; ++i) {
        const Range &range = ranges.Items[i];
        if (range.High - range.Low > band.Width) {
            band.Width = range.High - range.Low;
            band.Start = range.Low;
        }
    }
    if (referenceCycle > 0) {
        band.Efficiency = 100.0 * band.Width / referenceCycle;
    }
    return band;
}
