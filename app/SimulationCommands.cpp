#include "app/SimulationCommands.h"
#include "analysis/SumoRun.h"
#include "analysis/SumoScenario.h"
#include "app/Main.h"
#include "platform/Label.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QLocale>
#include <QProgressDialog>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace {

const QString SessionName = QStringLiteral("SumoSession");
const QString Title = QStringLiteral("SUMO");

// One command's run of the simulator with what it needs while it runs: for a simulation its
// temporary scenario folder and progress dialog. It goes when the run ends or is cancelled,
// and the folder with it.
class TSumoSession : public QObject {
  public:
    explicit TSumoSession(TTimeSpaceForm *Form) : QObject(Form), Run(new TSumoRun(this)) {
        setObjectName(SessionName);
    }
    ~TSumoSession() override { delete Dialog; }

    void End() {
        setObjectName(QString());
        if (Dialog != nullptr) {
            Dialog->hide();
        }
        deleteLater();
    }

    TSumoRun *Run;
    std::unique_ptr<QTemporaryDir> Folder;
    QProgressDialog *Dialog = nullptr;
};

// A run at a time: the progress dialog keeps the window's own commands away, but a shortcut
// could come in before it shows.
bool Busy(TTimeSpaceForm *Form) {
    return Form->findChild<QObject *>(SessionName, Qt::FindDirectChildrenOnly) != nullptr;
}

bool ProgramsMissing(TTimeSpaceForm *Form, const QStringList &Names) {
    const QString missing = TSumoRun::MissingProgramsText(Names);
    if (missing.isEmpty()) {
        return false;
    }
    Prompts::ShowMessage(Form, Prompts::MessageKind::Warning, Title, missing);
    return true;
}

QString Fixed(double Value, int Decimals) {
    return QLocale().toString(Value, 'f', Decimals);
}

QString Whole(int Value) {
    return QLocale().toString(Value);
}

QString DirectionSummary(const QString &Name, const DirectionSimulation &Figures) {
    if (Figures.Sent == 0) {
        return QStringLiteral("%1: no %2 traffic.").arg(Name, Name.toLower());
    }
    if (Figures.Vehicles == 0) {
        return QStringLiteral("%1: none of the %2 vehicles that entered was reported by the "
                              "simulator.")
            .arg(Name, Whole(Figures.Sent));
    }
    QString text = QStringLiteral("%1: %2 vehicles, %3 stops and %4 s delay per vehicle")
                       .arg(Name, Whole(Figures.Vehicles), Fixed(Figures.StopsPerVehicle, 2),
                            Fixed(Figures.DelayPerVehicle, 1));
    if (Figures.Vehicles != Figures.Sent) {
        text += QStringLiteral(" (the simulator reported %1 of the %2 that entered)")
                    .arg(Whole(Figures.Vehicles), Whole(Figures.Sent));
    }
    if (Figures.Unfinished > 0) {
        text += QStringLiteral("; %1 of them had not left the arterial when the run stopped "
                               "and count with the delay they had by then")
                    .arg(Whole(Figures.Unfinished));
    }
    if (Figures.QueuesGrow) {
        QStringList junctions;
        for (const int k : Figures.GrowingAt) {
            junctions << QStringLiteral("JCT #%1").arg(k);
        }
        text += QStringLiteral("; queues grow from cycle to cycle at ") +
                junctions.join(QStringLiteral(", "));
    }
    return text + QLatin1Char('.');
}

QString Summary(const TTimeSpaceForm &Form, const SimulationFigures &Figures) {
    return QStringLiteral("The figures cover every main-road vehicle that entered the arterial "
                          "in the %1 s measured after %2 warm-up cycles of JCT #1, followed "
                          "until it left (the run stops at %3 s at the latest).\n\n%4\n%5\n\n"
                          "TimeSpace expects %6 stops and %7 %8 delay per southbound vehicle.")
        .arg(Fixed(Figures.SimulatedSeconds, 0))
        .arg(WarmUpCycles)
        .arg(Fixed(Figures.StoppedAt, 0),
             DirectionSummary(QStringLiteral("Southbound"), Figures.Southbound),
             DirectionSummary(QStringLiteral("Northbound"), Figures.Northbound),
             Form.ArtStops->Caption(), Form.DelayPerVeh->Caption(), Form.TimeUnits->Caption());
}

void ExportToSumo(TTimeSpaceForm *Form) {
    if (Busy(Form) || ProgramsMissing(Form, {QStringLiteral("netconvert")})) {
        return;
    }
    Prompts::FileQuestion question;
    question.Mode = Prompts::FileMode::Save;
    question.Caption = QStringLiteral("Export to SUMO: the scenario folder");
    question.Filter = QStringLiteral("SUMO scenario folder (*)");
    question.Suggested = QDir::home().filePath(QStringLiteral("arterial-sumo"));
    const QString folder = Prompts::ChooseFile(Form, question);
    if (folder.isEmpty()) {
        return;
    }
    if (QFileInfo(folder).isFile()) {
        Prompts::ShowMessage(
            Form, Prompts::MessageKind::Warning, Title,
            QStringLiteral("%1 is a file; the scenario needs a folder.").arg(folder));
        return;
    }
    auto *session = new TSumoSession(Form);
    QObject::connect(session->Run, &TSumoRun::Finished, session, [Form, session, folder](bool ok) {
        session->End();
        if (ok) {
            Prompts::ShowMessage(
                Form, Prompts::MessageKind::Information, Title,
                QStringLiteral("The scenario is in %1.\n\nRun it with:\n    sumo -c %2")
                    .arg(QDir::toNativeSeparators(folder),
                         QDir::toNativeSeparators(
                             QDir(folder).filePath(SumoScenario::FileName(".sumocfg")))));
        } else {
            Prompts::ShowMessage(Form, Prompts::MessageKind::Warning, Title,
                                 session->Run->ErrorText());
        }
    });
    session->Run->Start(Form->Document()->Plan(), folder, false);
}

void SimulateInSumo(TTimeSpaceForm *Form) {
    if (Busy(Form) ||
        ProgramsMissing(Form, {QStringLiteral("netconvert"), QStringLiteral("sumo")})) {
        return;
    }
    auto *session = new TSumoSession(Form);
    session->Folder = std::make_unique<QTemporaryDir>();
    if (!session->Folder->isValid()) {
        Prompts::ShowMessage(Form, Prompts::MessageKind::Warning, Title,
                             QStringLiteral("No temporary folder for the scenario: ") +
                                 session->Folder->errorString());
        session->End();
        return;
    }
    auto *dialog = new QProgressDialog(QStringLiteral("Simulating the arterial in SUMO..."),
                                       QStringLiteral("Cancel"), 0, 1000, Form);
    session->Dialog = dialog;
    dialog->setWindowTitle(Title);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    dialog->setValue(0);
    // Cancel ends the run and leaves the window as it was: no figures are handed over.
    QObject::connect(dialog, &QProgressDialog::canceled, session, [session] {
        session->Run->Cancel();
        session->End();
    });
    QObject::connect(session->Run, &TSumoRun::Progress, dialog, [dialog](double At, double End) {
        if (End > 0.0) {
            dialog->setValue(static_cast<int>(std::lround(1000.0 * std::min(At, End) / End)));
            dialog->setLabelText(QStringLiteral("Simulating the arterial in SUMO: %1 of %2 s")
                                     .arg(Fixed(At, 0), Fixed(End, 0)));
        }
    });
    QObject::connect(session->Run, &TSumoRun::Finished, session, [Form, session](bool ok) {
        session->End();
        if (ok) {
            Form->Document()->SetSimulation(session->Run->Figures(), session->Run->Plan());
            Prompts::ShowMessage(Form, Prompts::MessageKind::Information, Title,
                                 Summary(*Form, session->Run->Figures()));
        } else {
            Prompts::ShowMessage(Form, Prompts::MessageKind::Warning, Title,
                                 QStringLiteral("The simulation gave no figures.\n\n") +
                                     session->Run->ErrorText());
        }
    });
    dialog->show();
    session->Run->Start(Form->Document()->Plan(), session->Folder->path(), true);
}

} // namespace

void AddSimulationCommands(TTimeSpaceForm &Form) {
    TTimeSpaceForm *form = &Form;
    auto *exportCommand = new QAction(QStringLiteral("Export to SUMO..."), form);
    exportCommand->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    QObject::connect(exportCommand, &QAction::triggered, form, [form] { ExportToSumo(form); });
    auto *simulateCommand = new QAction(QStringLiteral("Simulate in SUMO"), form);
    simulateCommand->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    QObject::connect(simulateCommand, &QAction::triggered, form, [form] { SimulateInSumo(form); });
    Form.AddCommand(nullptr);
    Form.AddCommand(exportCommand);
    Form.AddCommand(simulateCommand);
}
