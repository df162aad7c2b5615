#pragma once

#include "model/Common.h"

#include <cstdint>

// The routines that tidy a platoon set; the signal strip and the progression link share them.

// One pass of merging overlapping platoons (the merged platoon keeps the survivor's start and
// the sum of both sizes: the vehicles add up), then clipping every slot to the width of the
// calling control. Platoons that only touch are not merged. A slot that starts exactly at
// the width keeps that start with size 0.
PlatoonSet MergePlatoons(PlatoonSet set, std::int32_t width);

// Exchange sort ascending by start; equal starts keep the order the exchanges leave, and empty
// slots (0, 0) gather in front of every platoon that starts after time 0.
PlatoonSet SortPlatoons(PlatoonSet set);

// The sum of the six sizes: platoon seconds, i.e. vehicles x SatHeadway.
std::int32_t PlatoonFlowSum(const PlatoonSet &set);
