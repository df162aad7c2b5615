#pragma once

class TTimeSpaceForm;

// The optimiser's command, added to the window's command list: Optimise Timing... opens the
// optimiser's dialog on the window's timing, shows its proposal on the diagram while the user
// previews it, and applies it as one undo step.
void AddOptimiseCommands(TTimeSpaceForm &Form);
