#include "app/SimulationCommands.h"
#include "analysis/SumoBatch.h"
#include "analysis/SumoRun.h"
#include "analysis/SumoScenario.h"
#include "app/Main.h"
#include "document/SimulationText.h"
#include "platform/Label.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QMetaObject>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>
#include <memory>
#include <tuple>
#include <utility>

namespace {

const QString SessionName = QStringLiteral("SumoSession");
const QString Title = QStringLiteral("SUMO");
const QString ChoiceName = QStringLiteral("SimulationChoiceDialog");

// One command's run of the simulator with what it needs while it runs: for a simulation its
// temporary scenario folder and progress dialog. It goes when the run ends or is cancelled,
// and the folder with it.
class TSumoSession : public QObject {
  public:
    explicit TSumoSession(TTimeSpaceForm *Form)
        : QObject(Form), Run(new TSumoRun(this)), Batch(new TSumoBatch(this)) {
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

    TSumoRun *Run;     // an export
    TSumoBatch *Batch; // a simulation
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

using SimulationText::Fixed;

QString Summary(const TTimeSpaceForm &Form, const SimulationSet &Set) {
    const SimulationFigures first = Set.Runs.empty() ? SimulationFigures{} : Set.Runs.front();
    const std::int32_t runs = static_cast<std::int32_t>(Set.Runs.size());
    return QStringLiteral("SUMO ran the arterial with %1.\n\nThe figures cover every main-road "
                          "vehicle that entered the arterial in the %2 s measured after %3 "
                          "warm-up cycles of JCT #1, followed until it left (%4 stops at %5 s at "
                          "the latest).%6\n\n%7\n%8\n\nTimeSpace expects %9 stops and %10 %11 "
                          "delay per southbound vehicle.")
        .arg(SimulationText::Choice(Set.Choice), Fixed(first.SimulatedSeconds, 0))
        .arg(WarmUpCycles)
        .arg(runs == 1 ? QStringLiteral("the run") : QStringLiteral("each run"),
             Fixed(first.StoppedAt, 0),
             runs == 1 ? QString()
                       : QStringLiteral(" Each figure is the mean over the runs, with the range "
                                        "of the runs and the 95 % interval of the mean."),
             SimulationText::Direction(QStringLiteral("Southbound"), SpreadOf(Set, true), runs),
             SimulationText::Direction(QStringLiteral("Northbound"), SpreadOf(Set, false), runs),
             Form.ArtStops->Caption(), Form.DelayPerVeh->Caption(), Form.TimeUnits->Caption());
}

// The arrivals, the drivers and the number of runs, offered before every simulation and kept
// for the next one until the program ends.
class TSimulationChoiceDialog : public QDialog {
  public:
    explicit TSimulationChoiceDialog(QWidget *Parent) : QDialog(Parent) {
        setObjectName(ChoiceName);
        setWindowTitle(QStringLiteral("Simulate in SUMO"));
        auto *layout = new QVBoxLayout(this);

        // A titled pair of choices.
        const auto pair = [this, layout](const QString &Title, const QString &First,
                                         const QString &Second) {
            auto *group = new QGroupBox(Title, this);
            auto *groupLayout = new QVBoxLayout(group);
            auto *first = new QRadioButton(First, group);
            auto *second = new QRadioButton(Second, group);
            groupLayout->addWidget(first);
            groupLayout->addWidget(second);
            layout->addWidget(group);
            return std::pair{first, second};
        };
        std::tie(Platoons, Random) =
            pair(QStringLiteral("Arrivals"),
                 QStringLiteral("&Platoons, as the diagram sends them: one a cycle at the "
                                "saturation headway"),
                 QStringLiteral("&Random arrivals at the same hourly volume"));
        std::tie(DiagramDrivers, TypicalDrivers) =
            pair(QStringLiteral("Drivers"),
                 QStringLiteral("&Drivers as the diagram assumes: its saturation headway, no "
                                "dawdling, the speed limit exactly"),
                 QStringLiteral("&Typical drivers: SUMO's own defaults, with start-up loss, "
                                "dawdling and each driver's own speed"));

        auto *runsRow = new QHBoxLayout;
        Runs = new QSpinBox(this);
        Runs->setRange(1, MostRuns);
        auto *runsLabel = new QLabel(QStringLiteral("R&uns, each with its own seed:"), this);
        runsLabel->setBuddy(Runs);
        runsRow->addWidget(runsLabel);
        runsRow->addWidget(Runs);
        runsRow->addStretch();
        layout->addLayout(runsRow);
        Note = new QLabel(this);
        Note->setWordWrap(true);
        layout->addWidget(Note);

        auto *buttons = new QDialogButtonBox(this);
        QPushButton *simulate =
            buttons->addButton(QStringLiteral("&Simulate"), QDialogButtonBox::AcceptRole);
        simulate->setObjectName(QStringLiteral("SimulateButton"));
        simulate->setDefault(true);
        buttons->addButton(QDialogButtonBox::Cancel);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);

        const SimulationChoice &choice = RememberedSimulationChoice();
        (choice.Arrivals == SimulatedArrivals::Random ? Random : Platoons)->setChecked(true);
        (choice.Drivers == SimulatedDrivers::Typical ? TypicalDrivers : DiagramDrivers)
            ->setChecked(true);
        Runs->setValue(choice.Runs);
        // A change of arrivals or drivers offers that choice's usual number of runs, unless
        // the runs are no longer the usual ones of the last choice: a number typed stays.
        FUsualRuns = DefaultRuns(Choice());
        for (QRadioButton *button : {Platoons, Random, DiagramDrivers, TypicalDrivers}) {
            connect(button, &QRadioButton::toggled, this, [this](bool On) {
                if (!On) {
                    return;
                }
                const std::int32_t usual = DefaultRuns(Choice());
                if (Runs->value() == FUsualRuns) {
                    Runs->setValue(usual);
                }
                FUsualRuns = usual;
            });
        }
        connect(Runs, &QSpinBox::valueChanged, this, &TSimulationChoiceDialog::Explain);
        Explain();
    }

    SimulationChoice Choice() const {
        SimulationChoice choice;
        choice.Arrivals =
            Random->isChecked() ? SimulatedArrivals::Random : SimulatedArrivals::Platoons;
        choice.Drivers =
            TypicalDrivers->isChecked() ? SimulatedDrivers::Typical : SimulatedDrivers::Diagram;
        choice.Runs = Runs->value();
        return choice;
    }

  private:
    void Explain() {
        const SimulationChoice choice = Choice();
        QString text;
        if (Deterministic(choice)) {
            text = QStringLiteral("The diagram's platoons and drivers make every run the same: "
                                  "one run is enough.");
        } else {
            text = QStringLiteral("Every seed is another day's traffic: the figures are the "
                                  "mean over the runs, with their range and the 95 % interval "
                                  "of the mean (which needs two runs or more).");
        }
        Note->setText(choice.Runs > 1 ? text + QStringLiteral(" Two runs go at a time.") : text);
    }

    QRadioButton *Platoons = nullptr;
    QRadioButton *Random = nullptr;
    QRadioButton *DiagramDrivers = nullptr;
    QRadioButton *TypicalDrivers = nullptr;
    QSpinBox *Runs = nullptr;
    QLabel *Note = nullptr;
    std::int32_t FUsualRuns = 1;
};

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
    // The folder runs as the first run of a simulation with the choice last made would.
    const SimulationChoice choice = RememberedSimulationChoice();
    auto *session = new TSumoSession(Form);
    QObject::connect(
        session->Run, &TSumoRun::Finished, session, [Form, session, folder, choice](bool ok) {
            session->End();
            if (ok) {
                Prompts::ShowMessage(
                    Form, Prompts::MessageKind::Information, Title,
                    QStringLiteral("The scenario is in %1, with %2: it runs as the first run of "
                                   "Simulate in SUMO with that choice.\n\nRun it with:\n    sumo "
                                   "-c %3")
                        .arg(QDir::toNativeSeparators(folder),
                             SimulationText::Choice({choice.Arrivals, choice.Drivers, 1}),
                             QDir::toNativeSeparators(
                                 QDir(folder).filePath(SumoScenario::FileName(".sumocfg")))));
            } else {
                Prompts::ShowMessage(Form, Prompts::MessageKind::Warning, Title,
                                     session->Run->ErrorText());
            }
        });
    session->Run->Start(Form->Document()->Plan(), folder, false, RunOptions(choice, 0));
}

void Simulate(TTimeSpaceForm *Form, const SimulationChoice &Choice) {
    if (Busy(Form) ||
        ProgramsMissing(Form, {QStringLiteral("netconvert"), QStringLiteral("sumo")})) {
        return;
    }
    auto *session = new TSumoSession(Form);
    auto *dialog = new QProgressDialog(QStringLiteral("Simulating the arterial in SUMO..."),
                                       QStringLiteral("Cancel"), 0, 1000, Form);
    session->Dialog = dialog;
    dialog->setWindowTitle(Title);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    dialog->setValue(0);
    // Cancel ends every run and leaves the window as it was: no figures are handed over.
    QObject::connect(dialog, &QProgressDialog::canceled, session, [session] {
        session->Batch->Cancel();
        session->End();
    });
    const double end = SimulationEnd(Form->Document()->Plan());
    QObject::connect(session->Batch, &TSumoBatch::Progress, dialog,
                     [dialog, end](double Share, int Done, int All) {
                         dialog->setValue(static_cast<int>(std::lround(1000.0 * Share)));
                         dialog->setLabelText(
                             All == 1 ? QStringLiteral("Simulating the arterial in SUMO: %1 of "
                                                       "%2 s")
                                            .arg(Fixed(Share * end, 0), Fixed(end, 0))
                                      : QStringLiteral("Simulating the arterial in SUMO: %1 of "
                                                       "%2 runs done, two at a time")
                                            .arg(Done)
                                            .arg(All));
                     });
    const ArterialPlan plan = Form->Document()->Plan();
    QObject::connect(
        session->Batch, &TSumoBatch::Finished, session, [Form, session, plan](bool ok) {
            session->End();
            if (ok) {
                const SimulationSet &set = session->Batch->Results().front();
                Form->Document()->SetSimulation(set, plan);
                Prompts::ShowMessage(Form, Prompts::MessageKind::Information, Title,
                                     Summary(*Form, set));
            } else {
                Prompts::ShowMessage(Form, Prompts::MessageKind::Warning, Title,
                                     QStringLiteral("The simulation gave no figures.\n\n") +
                                         session->Batch->ErrorText());
            }
        });
    dialog->show();
    session->Batch->Start({plan}, Choice, true);
}

void SimulateInSumo(TTimeSpaceForm *Form) {
    if (Busy(Form) || Form->findChild<QDialog *>(ChoiceName) != nullptr ||
        ProgramsMissing(Form, {QStringLiteral("netconvert"), QStringLiteral("sumo")})) {
        return;
    }
    auto *choose = new TSimulationChoiceDialog(Form);
    choose->setAttribute(Qt::WA_DeleteOnClose);
    choose->setWindowModality(Qt::WindowModal);
    QObject::connect(choose, &QDialog::accepted, Form, [Form, choose] {
        RememberedSimulationChoice() = choose->Choice();
        // After the dialog has gone: the progress takes its place.
        QMetaObject::invokeMethod(
            Form, [Form] { Simulate(Form, RememberedSimulationChoice()); }, Qt::QueuedConnection);
    });
    choose->open();
}

} // namespace

void AddSimulationCommands(TTimeSpaceForm &Form) {
    TTimeSpaceForm *form = &Form;
    auto *exportCommand = new QAction(QStringLiteral("Export to SUMO..."), form);
    exportCommand->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    QObject::connect(exportCommand, &QAction::triggered, form, [form] { ExportToSumo(form); });
    auto *simulateCommand = new QAction(QStringLiteral("Simulate in SUMO..."), form);
    simulateCommand->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    QObject::connect(simulateCommand, &QAction::triggered, form, [form] { SimulateInSumo(form); });
    Form.AddCommand(nullptr);
    Form.AddCommand(exportCommand);
    Form.AddCommand(simulateCommand);
}
