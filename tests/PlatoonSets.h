#pragma once

#include "model/Common.h"

#include <QMetaType>

#include <initializer_list>
#include <utility>

Q_DECLARE_METATYPE(PlatoonSet)

// Slots 1, 2, ... filled from (start, size) pairs in the order given; the rest empty.
inline PlatoonSet Set(std::initializer_list<std::pair<int, int>> entries) {
    PlatoonSet set;
    int k = 1;
    for (const auto &[start, size] : entries) {
        set.Start[k] = start;
        set.Size[k++] = size;
    }
    return set;
}
