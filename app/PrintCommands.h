#pragma once

class TTimeSpaceForm;

// The report's commands, added to the window's command list: Export Report as PDF...
// (Ctrl+Shift+P) writes the timing report on the locale's paper (Letter in the United States,
// A4 elsewhere);
// Print Report... (Ctrl+P) prints it on the paper the printer is set to; Export Table as CSV...
// (Ctrl+Shift+T) writes the junction report's table, one row per junction and direction. The
// files are chosen through Prompts::ChooseFile, as Export Diagram's are.
void AddPrintCommands(TTimeSpaceForm &Form);
