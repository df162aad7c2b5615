#include "app/Main.h"

#include "app/BandOverlay.h"
#include "app/JunctionReport.h"

#include <QAction>
#include <QKeySequence>

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
            FReport = new TJunctionReport(this);
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
            FBandOverlay = new TBandOverlay(this);
        }
        FBandOverlay->setVisible(On);
    });
    AddCommand(band);
}
