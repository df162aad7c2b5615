#pragma once

class TTimeSpaceForm;

// The traffic simulator's commands, added to the window's command list: Export to SUMO writes
// the document's plan as a scenario folder, Simulate in SUMO runs it in the background and hands
// its figures to the document.
void AddSimulationCommands(TTimeSpaceForm &Form);
