#pragma once

#include <QObject>
#include <QString>

class TArterialDocument;
class TTimeSpaceForm;

// The commands of the scenario file, of the history and of the picture (Open, Save, Save As,
// Undo, Redo, Copy Diagram, Export Diagram), made once for the window and added to its command
// list, and the window's title that names the file and marks unsaved changes.
class TFileCommands : public QObject {
    Q_OBJECT

  public:
    explicit TFileCommands(TTimeSpaceForm *Form);

    // Opens a scenario (its settings applied to the window, a new history started); a file
    // that cannot be opened is reported and changes nothing.
    bool OpenFile(const QString &Path);
    // Writes the window's settings; a failure is reported and the document stays unsaved.
    bool SaveFile(const QString &Path);
    // Back to the window as it starts, after asking about unsaved edits.
    void NewClick();
    void OpenClick();
    bool SaveClick();
    bool SaveAsClick();
    void ExportClick();
    void CopyClick();
    // Starts the history afresh from what the window shows, as opening a file does.
    void ClearHistory();
    // Asks Save / Discard / Cancel when there are unsaved edits; true when the window may go on.
    bool ConfirmUnsaved();

  private:
    void UpdateTitle();

    TTimeSpaceForm *FForm;
    TArterialDocument *FDocument;
};
