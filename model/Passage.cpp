#include "model/Passage.h"

#include "model/Numbers.h"
#include "model/Platoons.h"

#include <algorithm>
#include <atomic>

namespace {
std::atomic<std::uint64_t> Passages{0};

struct Slot {
    std::int32_t Start = 0;
    std::int32_t Size = 0;
};

void Put(PlatoonSet &set, int k, Slot value) {
    set.Start[k] = value.Start;
    set.Size[k] = value.Size;
}

// A measure held in a double: the addition is evaluated in extended precision.
double AddShare(double stops, std::int32_t part, std::int32_t total) {
    return static_cast<double>(static_cast<Extended>(stops) +
                               static_cast<Extended>(part) / static_cast<Extended>(total));
}
} // namespace

PassageResult PassPlatoons(const PlatoonSet &input, const GreenWindowTable &greenStart,
                           const GreenWindowTable &greenEnd, std::int32_t lastWindow,
                           std::int32_t capacity, std::int32_t width) {
    Passages.fetch_add(1, std::memory_order_relaxed);
    PassageResult result;
    const PlatoonSet a = SortPlatoons(MergePlatoons(input, width));
    const std::int32_t total = PlatoonFlowSum(a);
    result.ArrivingSeconds = total;
    const std::int32_t c = capacity;
    // The strip never draws more than 23 + 2 cycles; keep the carry's look-ahead in the table.
    const int last = std::clamp(lastWindow, 0, GreenWindowCount - 2);
    const auto G = [&](int u) { return greenStart[static_cast<std::size_t>(u)]; };
    const auto E = [&](int u) { return greenEnd[static_cast<std::size_t>(u)]; };

    PlatoonSet out;
    PlatoonSet &q = result.Queues;
    Slot carry;

    for (int k = 1; k <= MaxPlatoons; ++k) {
        const std::int32_t s = a.Start[k];
        const std::int32_t n = a.Size[k];
        const std::int32_t e = s + n;
        for (int u = 0; u <= last; ++u) {
            if (n == 0) {
                Put(out, k, {});
                Put(q, k, {});
                break; // the same for every window
            }
            const bool startsInside = G(u) <= s && s <= E(u);
            const bool endsInside = G(u) <= e && e <= E(u);
            if (startsInside && endsInside && n <= c) {
                Put(out, k, {s, n});
                Put(q, k, {});
                break;
            }
            if (startsInside && E(u) <= e && n <= c) {
                // The head passes; the tail waits for the next green.
                Put(out, k, {s, E(u) - s});
                carry = {G(u + 1), n - (E(u) - s)};
                Put(q, k, {e, carry.Start + carry.Size});
                result.Stopped[k] = carry.Size;
                if (total > 0) {
                    result.Stops = AddShare(result.Stops, carry.Size, total);
                }
                break;
            }
            if (((G(u) > s && endsInside) || (G(u) >= s && G(u) >= e)) && n <= c) {
                // Held at red, released when the window opens.
                Put(out, k, {G(u), n});
                Put(q, k, {e, G(u) + n});
                result.Stopped[k] = n;
                if (total > 0) {
                    result.Stops = AddShare(result.Stops, n, total);
                }
                break;
            }
            if (u == last && E(u) < s) {
                // Beyond the last window: dropped.
                Put(out, k, {});
                Put(q, k, {});
                break;
            }
            if (n > c) {
                // Overload. The output slot stays occupied so that no carry lands in it; the
                // whole output is cleared below anyway.
                result.CycleFailure = true;
                Put(out, k, {s, n});
                Put(q, k, {e, e + n - c});
                break;
            }
        }
        if (carry.Size > 0) {
            for (int j = k - 1; j >= 1; --j) {
                if (out.Size[j] == 0) {
                    Put(out, j, carry);
                    carry = {};
                    break;
                }
            }
        }
    }

    const PlatoonSet departing = SortPlatoons(MergePlatoons(out, width));
    if (total > c) {
        result.CycleFailure = true;
    }
    result.Departing = result.CycleFailure ? PlatoonSet{} : departing;
    return result;
}

std::uint64_t PassagesRun() {
    return Passages.load(std::memory_order_relaxed);
}
