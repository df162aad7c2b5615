#include "app/OptimiseCommands.h"

#include "analysis/OptimiseDialog.h"
#include "app/Main.h"

#include <QAction>
#include <QKeySequence>

namespace {

void OpenOptimiser(TTimeSpaceForm *Form) {
    if (Form->findChild<TOptimiseDialog *>(QString(), Qt::FindDirectChildrenOnly) != nullptr) {
        return; // one at a time (a shortcut may come in before the first shows)
    }
    // The timing as the window holds it: no gesture is under way while a command runs.
    const TEditState start = Form->CurrentState();
    auto *dialog = new TOptimiseDialog(Form, Form->Document(), start.Settings);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &TOptimiseDialog::PreviewRequested, Form,
                     [Form, start](const std::optional<Scenario> &Settings) {
                         TEditState shown = start;
                         if (Settings) {
                             // A new timing is a change: its figures show, also before the
                             // window's first one.
                             shown.Settings = *Settings;
                             shown.Recomputed = true;
                         }
                         Form->ApplyState(shown);
                     });
    QObject::connect(dialog, &TOptimiseDialog::ApplyRequested, Form,
                     [Form, start](const Scenario &Settings) {
                         TEditState applied = start;
                         applied.Settings = Settings;
                         applied.Recomputed = true;
                         Form->ApplyState(applied);
                         // Showing a state takes it as the recorded one: the step goes from the
                         // timing the dialog started from.
                         Form->Document()->Adopt(start);
                         Form->Document()->Record(EditKind::Timing, Form->CurrentState());
                     });
    dialog->open();
}

} // namespace

void AddOptimiseCommands(TTimeSpaceForm &Form) {
    TTimeSpaceForm *form = &Form;
    auto *optimise = new QAction(QStringLiteral("Optimise Timing..."), form);
    optimise->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    optimise->setStatusTip(QStringLiteral("Finds offsets (and a common cycle) for the widest band "
                                          "or the least delay and stops"));
    QObject::connect(optimise, &QAction::triggered, form, [form] { OpenOptimiser(form); });
    Form.AddCommand(optimise);
}
