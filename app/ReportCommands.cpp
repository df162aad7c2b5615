#include "app/ReportCommands.h"

#include "app/Main.h"

#include "analysis/BandOverlay.h"
#include "analysis/JunctionReport.h"
#include "analysis/TrajectoryOverlay.h"
#include "analysis/TrajectoryWindow.h"
#include "controls/TimeSpaceLight.h"

#include <QAction>
#include <QKeySequence>
#include <QScreen>

TReportCommands::TReportCommands(TTimeSpaceForm *Form) : QObject(Form), FForm(Form) {
    if (!Form->Commands().isEmpty()) {
        Form->AddCommand(nullptr);
    }

    // The report is made once and kept, hidden when closed; the command shows it again.
    auto *report = new QAction("Junction Report", Form);
    report->setObjectName("JunctionReportCommand");
    report->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    connect(report, &QAction::triggered, this, [this] {
        if (FReport == nullptr) {
            FReport = new TJunctionReport(FForm, FForm->Document());
            PlaceBeside(FReport);
        }
        FReport->show();
        FReport->raise();
        FReport->activateWindow();
    });
    Form->AddCommand(report);

    auto *band = new QAction("Progression Band", Form);
    band->setObjectName("ProgressionBandCommand");
    band->setCheckable(true);
    band->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(band, &QAction::toggled, this, [this](bool On) {
        if (FBandOverlay == nullptr) {
            PerJunction<const QWidget *> strips{};
            for (int k = 1; k <= JunctionCount; ++k) {
                strips[k] = FForm->Light(k);
            }
            FBandOverlay = new TBandOverlay(FForm->TimeSpaceDiagram, FForm->Document(), strips);
        }
        FBandOverlay->setVisible(On);
    });
    Form->AddCommand(band);

    // The overlay and its window are made once and kept; the window opens showing the
    // trajectories, and closing it leaves them as its check box has them.
    auto *trajectories = new QAction("Simulated Trajectories...", Form);
    trajectories->setObjectName("SimulatedTrajectoriesCommand");
    trajectories->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    connect(trajectories, &QAction::triggered, this, [this] {
        if (FTrajectoryWindow == nullptr) {
            PerJunction<const QWidget *> strips{};
            for (int k = 1; k <= JunctionCount; ++k) {
                strips[k] = FForm->Light(k);
            }
            FTrajectoryOverlay =
                new TTrajectoryOverlay(FForm->TimeSpaceDiagram, FForm->Document(), strips);
            FTrajectoryOverlay->show();
            FTrajectoryWindow = new TTrajectoryWindow(FForm, FForm->Document(), FTrajectoryOverlay);
            PlaceBeside(FTrajectoryWindow);
        }
        FTrajectoryWindow->show();
        FTrajectoryWindow->raise();
        FTrajectoryWindow->activateWindow();
    });
    Form->AddCommand(trajectories);
}

void TReportCommands::PlaceBeside(QWidget *Window) const {
    // The tool window's frame is taken as wide as the main window's.
    const QSize frame = FForm->frameGeometry().size() - FForm->size();
    const QScreen *screen = FForm->screen();
    const std::optional<QPoint> place =
        screen == nullptr ? std::nullopt
                          : ReportPlace(FForm->frameGeometry(), Window->sizeHint() + frame,
                                        screen->availableGeometry());
    if (place) {
        Window->move(*place);
    }
}
