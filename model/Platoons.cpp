#include "model/Platoons.h"

#include <utility>

PlatoonSet MergePlatoons(PlatoonSet set, std::int32_t width) {
    PlatoonSlots &s = set.Start;
    PlatoonSlots &n = set.Size;
    // A single pass: a platoon that grows by a merge is not compared again with the slots the
    // pass has gone by. Callers rely on this (a second pass can still merge). With fewer than
    // two platoons nothing can merge; an empty slot i meets nothing in the pass.
    int occupied = 0;
    for (int k = 1; k <= MaxPlatoons; ++k) {
        occupied += n[k] > 0 ? 1 : 0;
    }
    for (int i = 1; i <= MaxPlatoons && occupied > 1; ++i) {
        if (n[i] <= 0) {
            continue;
        }
        for (int j = 1; j <= MaxPlatoons; ++j) {
            if (i == j || n[j] <= 0) {
                continue;
            }
            if (s[i] == s[j] && n[i] == n[j]) {
                n[i] += n[j];
                s[j] = 0;
                n[j] = 0;
                break;
            }
            if (s[j] < s[i] && s[i] < s[j] + n[j]) {
                // i starts inside j
                n[j] += n[i];
                s[i] = 0;
                n[i] = 0;
                break;
            }
            if (s[j] < s[i] + n[i] && s[i] + n[i] < s[j] + n[j]) {
                // j starts before the end of i and ends after it
                n[i] += n[j];
                s[j] = 0;
                n[j] = 0;
                break;
            }
        }
    }
    // The order of the three clipping tests matters: a platoon starting exactly at the width
    // is not emptied by the first test, so it keeps its start and is cut to size 0 by the last.
    for (int k = 1; k <= MaxPlatoons; ++k) {
        if (s[k] > width) {
            n[k] = 0;
        }
        if (n[k] == 0) {
            s[k] = 0;
        }
        if (s[k] + n[k] > width) {
            n[k] = width - s[k];
        }
    }
    return set;
}

PlatoonSet SortPlatoons(PlatoonSet set) {
    for (int i = 1; i <= MaxPlatoons; ++i) {
        for (int j = i + 1; j <= MaxPlatoons; ++j) {
            if (set.Start[j] < set.Start[i]) {
                std::swap(set.Start[i], set.Start[j]);
                std::swap(set.Size[i], set.Size[j]);
            }
        }
    }
    return set;
}

std::int32_t PlatoonFlowSum(const PlatoonSet &set) {
    std::int32_t sum = 0;
    for (int k = 1; k <= MaxPlatoons; ++k) {
        sum += set.Size[k];
    }
    return sum;
}
