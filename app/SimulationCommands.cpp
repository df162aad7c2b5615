#include "app/Main.h"

// The traffic simulator's commands: export the arterial, simulate it.
void TTimeSpaceForm::AddSimulationCommands() {}
