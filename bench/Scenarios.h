#pragma once

#include <QString>

class TTimeSpaceForm;

// Window states the benchmarks run on, set up through the window's own handlers as a user's
// moves would leave them.
namespace Scenarios {

// The loaded timing with some traffic both ways, so that every link carries platoons.
void LoadedTiming(TTimeSpaceForm &Form);

// Near-capacity volumes both ways, traffic entering at crossroad #2 and leaving at #5, a
// different cycle time and offset at every junction; both directions fail somewhere.
void HeavyTraffic(TTimeSpaceForm &Form);

// Empty when the scenario holds what it promises, else what is missing.
QString HeavyTrafficProblem(const TTimeSpaceForm &Form);

// Shows the window and returns once its first paint has run (false on a platform that never
// paints it).
bool ShowAndWait(TTimeSpaceForm &Form);

} // namespace Scenarios
