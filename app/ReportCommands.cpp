#include "app/Main.h"

// The junction report and the progression band's commands.
void TTimeSpaceForm::AddReportCommands() {}
