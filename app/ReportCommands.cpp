#include "app/ReportCommands.h"

#include "app/Main.h"

#include "analysis/BandOverlay.h"
#include "analysis/JunctionReport.h"
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
            // Placed once, on first opening: later the report stays where the user put it. The
            // report's frame is taken as wide as the main window's.
            const QSize frame = FForm->frameGeometry().size() - FForm->size();
            const QScreen *screen = FForm->screen();
            const std::optional<QPoint> place =
                screen == nullptr ? std::nullopt
                                  : ReportPlace(FForm->frameGeometry(), FReport->sizeHint() + frame,
                                                screen->availableGeometry());
            if (place) {
                FReport->move(*place);
            }
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
}
