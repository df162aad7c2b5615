#pragma once

// Support for tests of a strip on its own, without the window.

#include "controls/TimeSpaceLight.h"

namespace FormDriver {

// A strip on its own, loaded as the window's form loads its strips.
inline void LoadAsForm(TTimeSpaceLight &strip, int top = 12) {
    strip.SetBounds(0, top, 460, 10);
    strip.SetPercentRed(30);
    strip.SetPercentGreen(60);
    strip.SetNumberOfBands(4);
    strip.SetCycleTime(115);
    strip.SetCycleOffset(0);
}

} // namespace FormDriver
