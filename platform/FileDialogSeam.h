#pragma once

#include <QString>

#include <functional>

class QWidget;

// The file chooser of a file-open dialog: returns the chosen file's full path, or an empty
// string when the user cancelled.
using TOpenFileChooser = std::function<QString(QWidget *Parent)>;

// Installs Chooser for every file-open dialog of the program and returns the one it replaces;
// an empty function restores the toolkit's own dialog. Tests answer the dialog this way.
TOpenFileChooser SetOpenFileChooser(TOpenFileChooser Chooser);

// A file-open dialog with default settings: no filter, no initial folder, no title.
class TOpenDialog {
  public:
    // Runs the dialog; true if the user chose a file, whose full path FileName() then gives.
    // A cancelled run leaves FileName() as it was.
    bool Execute(QWidget *Parent = nullptr);
    const QString &FileName() const { return FFileName; }

  private:
    QString FFileName;
};
