#include "app/FileCommands.h"

#include "app/DiagramExport.h"
#include "app/Main.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QKeySequence>
#include <QUndoStack>

// The window's work that lasts: scenario files, undo and redo, and the picture's export. The
// document holds the arterial, its file and its history; these are the commands and dialogs
// around it.

namespace {
const QString WindowTitle = QStringLiteral("TimeSpace Diagram");
const QString ScenarioFilter = QStringLiteral("TimeSpace scenarios (*.json);;All files (*)");
} // namespace

// ---------------------------------------------------------------------------------------------
// Files

void TFileCommands::UpdateTitle() {
    // Without a file the title stays the program's own, with no unsaved mark.
    const QString &file = FDocument->FileName();
    if (file.isEmpty()) {
        FForm->setWindowTitle(WindowTitle);
        return;
    }
    FForm->setWindowTitle(QFileInfo(file).fileName() + QStringLiteral("[*] - ") + WindowTitle);
    FForm->setWindowModified(!FDocument->IsClean());
}

bool TFileCommands::OpenFile(const QString &Path) {
    QString problem;
    const std::optional<Scenario> settings = TArterialDocument::Read(Path, problem);
    if (!settings) {
        Prompts::ShowMessage(FForm, Prompts::MessageKind::Warning, QStringLiteral("Open Scenario"),
                             problem);
        return false;
    }
    TEditState state;
    state.Settings = *settings;
    for (int k = 1; k <= JunctionCount; ++k) {
        state.LaidOutTops[k] = settings->Junctions[k].Top;
    }
    state.Selected = FForm->JCT->currentIndex() + 1;
    FForm->ApplyState(state);
    FDocument->Opened(Path, FForm->CurrentState());
    UpdateTitle();
    return true;
}

void TFileCommands::NewClick() {
    if (!ConfirmUnsaved()) {
        return;
    }
    FForm->ApplyState(FForm->StartState());
    FDocument->Renewed(FForm->CurrentState());
    UpdateTitle();
}

void TFileCommands::ClearHistory() {
    FDocument->ClearHistory(FForm->CurrentState());
    UpdateTitle();
}

bool TFileCommands::SaveFile(const QString &Path) {
    const QString problem = FDocument->Save(Path, FForm->CurrentState().Settings);
    if (!problem.isEmpty()) {
        Prompts::ShowMessage(FForm, Prompts::MessageKind::Warning, QStringLiteral("Save Scenario"),
                             problem);
        return false;
    }
    UpdateTitle();
    return true;
}

void TFileCommands::OpenClick() {
    if (!ConfirmUnsaved()) {
        return;
    }
    const QString path = Prompts::ChooseFile(
        FForm, {Prompts::FileMode::Open, QStringLiteral("Open Scenario"), ScenarioFilter,
                FDocument->FileName().isEmpty() ? QString()
                                                : QFileInfo(FDocument->FileName()).absolutePath()});
    if (!path.isEmpty()) {
        OpenFile(path);
    }
}

bool TFileCommands::SaveClick() {
    return FDocument->FileName().isEmpty() ? SaveAsClick() : SaveFile(FDocument->FileName());
}

bool TFileCommands::SaveAsClick() {
    QString path = Prompts::ChooseFile(
        FForm, {Prompts::FileMode::Save, QStringLiteral("Save Scenario As"), ScenarioFilter,
                FDocument->FileName().isEmpty() ? QStringLiteral("scenario.json")
                                                : FDocument->FileName()});
    if (path.isEmpty()) {
        return false;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".json");
    }
    return SaveFile(path);
}

bool TFileCommands::ConfirmUnsaved() {
    if (FDocument->IsClean()) {
        return true;
    }
    const QString text = FDocument->FileName().isEmpty()
                             ? QStringLiteral("Save the changes to this scenario?")
                             : QStringLiteral("Save the changes to \u201c%1\u201d?")
                                   .arg(QFileInfo(FDocument->FileName()).fileName());
    switch (Prompts::AskUnsaved(FForm, text)) {
    case Prompts::UnsavedAnswer::Save:
        return SaveClick();
    case Prompts::UnsavedAnswer::Discard:
        return true;
    case Prompts::UnsavedAnswer::Cancel:
        break;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Export

void TFileCommands::ExportClick() {
    const QString suggested = FDocument->FileName().isEmpty()
                                  ? QStringLiteral("diagram.png")
                                  : QFileInfo(FDocument->FileName()).absolutePath() + '/' +
                                        QFileInfo(FDocument->FileName()).completeBaseName() +
                                        ".png";
    QString path = Prompts::ChooseFile(
        FForm, {Prompts::FileMode::Save, QStringLiteral("Export Diagram"),
                QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg)"), suggested});
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".png");
    }
    const QString problem = SaveDiagram(*FForm, path);
    if (!problem.isEmpty()) {
        Prompts::ShowMessage(FForm, Prompts::MessageKind::Warning, QStringLiteral("Export Diagram"),
                             problem);
    }
}

void TFileCommands::CopyClick() {
    CopyDiagram(*FForm);
}

// ---------------------------------------------------------------------------------------------
// Commands

namespace {
// The platform's keys for a standard command, and the common one where the platform has none
// (Save As has none on some desktops) or another.
QList<QKeySequence> KeysOf(QKeySequence::StandardKey Key, const QKeySequence &Common) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(Key);
    if (!keys.contains(Common)) {
        keys.append(Common);
    }
    return keys;
}
} // namespace

TFileCommands::TFileCommands(TTimeSpaceForm *Form)
    : QObject(Form), FForm(Form), FDocument(Form->Document()) {
    const auto command = [this](const QString &text, const QList<QKeySequence> &keys, auto slot) {
        auto *action = new QAction(text, this);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, slot);
        FForm->AddCommand(action);
        return action;
    };
    command(QStringLiteral("Open..."), KeysOf(QKeySequence::Open, Qt::CTRL | Qt::Key_O),
            [this] { OpenClick(); });
    command(QStringLiteral("Save"), KeysOf(QKeySequence::Save, Qt::CTRL | Qt::Key_S),
            [this] { SaveClick(); });
    command(QStringLiteral("Save As..."),
            KeysOf(QKeySequence::SaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S),
            [this] { SaveAsClick(); });
    FForm->AddCommand(nullptr);
    QAction *undo = FDocument->UndoStack()->createUndoAction(this, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("UndoCommand"));
    undo->setShortcuts(KeysOf(QKeySequence::Undo, Qt::CTRL | Qt::Key_Z));
    FForm->AddCommand(undo);
    QAction *redo = FDocument->UndoStack()->createRedoAction(this, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("RedoCommand"));
    QList<QKeySequence> redoKeys = KeysOf(QKeySequence::Redo, Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    if (!redoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y))) {
        redoKeys.append(QKeySequence(Qt::CTRL | Qt::Key_Y));
    }
    redo->setShortcuts(redoKeys);
    FForm->AddCommand(redo);
    FForm->AddCommand(nullptr);
    command(QStringLiteral("Copy Diagram"), KeysOf(QKeySequence::Copy, Qt::CTRL | Qt::Key_C),
            [this] { CopyClick(); });
    command(QStringLiteral("Export Diagram..."), {QKeySequence(Qt::CTRL | Qt::Key_E)},
            [this] { ExportClick(); });

    connect(FDocument, &TArterialDocument::FileChanged, this, [this] { UpdateTitle(); });
    FForm->setAcceptDrops(true);
    UpdateTitle();
}
