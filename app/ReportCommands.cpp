#include "app/Main.h"

#include "analysis/BandOverlay.h"
#include "analysis/JunctionReport.h"
#include "controls/TimeSpaceLight.h"

#include <QAction>
#include <QKeySequence>
#include <QScreen>

// The junction report and the progression band's commands.
void TTimeSpaceForm::AddReportCommands() {
    if (!FCommands.isEmpty()) {
        AddCommand(nullptr);
    }

    // The report is made once and kept, hidden when closed; the command shows it again.
    auto *report = new QAction("Junction Report", this);
    report->setObjectName("JunctionReportCommand");
    report->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    connect(report, &QAction::triggered, this, [this] {
        if (FReport == nullptr) {
            FReport = new TJunctionReport(this, FDocument);
            // Placed once, on first opening: later the report stays where the user put it. The
            // report's frame is taken as wide as the main window's.
            const QSize frame = frameGeometry().size() - size();
            const QScreen *screen = this->screen();
            const std::optional<QPoint> place =
                screen == nullptr ? std::nullopt
                                  : ReportPlace(frameGeometry(), FReport->sizeHint() + frame,
                                                screen->availableGeometry());
            if (place) {
                FReport->move(*place);
            }
        }
        FReport->show();
        FReport->raise();
        FReport->activateWindow();
    });
    AddCommand(report);

    auto *band = new QAction("Progression Band", this);
    band->setObjectName("ProgressionBandCommand");
    band->setCheckable(true);
    band->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(band, &QAction::toggled, this, [this](bool On) {
        if (FBandOverlay == nullptr) {
            PerJunction<const QWidget *> strips{};
            for (int k = 1; k <= JunctionCount; ++k) {
                strips[k] = FLights[k];
            }
            FBandOverlay = new TBandOverlay(TimeSpaceDiagram, FDocument, strips);
        }
        FBandOverlay->setVisible(On);
    });
    AddCommand(band);
}
