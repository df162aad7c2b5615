#pragma once

class QString;
class TTimeSpaceForm;

// The window's menu bar, above the form: File, Edit, View, Tools and Help, with the commands of
// the window's command list where they belong, and New, Quit, Help, Help Setup, Keyboard and
// About of its own. The form keeps every control where it was against its own top-left corner;
// the window grows by the menu bar's height.
void AddMenuBar(TTimeSpaceForm &Form);

// The keys of the window, one per line, as the Keyboard command lists them.
QString KeyboardText(const TTimeSpaceForm &Form);
