#include "app/Main.h"
#include "analysis/SumoBatch.h"
#include "analysis/SumoRun.h"
#include "analysis/TimingReport.h"
#include "app/FileCommands.h"
#include "cli/CommandLine.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QStringList>

#include <cstdio>

namespace {

// --report's painting, from the document's plan and evaluation alone: there is no window, so
// the PNG is drawn with the same vector shapes as the SVG (DiagramDrawing), not composed from
// the window's pictures.
CommandLine::ReportPainters ReportPainters() {
    using Writer = CommandLine::ReportPainters::Writer;
    const auto source = [](const ArterialPlan &Plan, const ArterialEvaluation &Result,
                           const QString &Scenario) {
        return TimingReportSource{Plan, Result, Scenario, true};
    };
    const Writer pdf = [source](const ArterialPlan &Plan, const ArterialEvaluation &Result,
                                const QString &Scenario, const QString &Out, bool Letter) {
        return SaveTimingReportPdf(source(Plan, Result, Scenario), Out,
                                   Letter ? QPageSize::Letter : QPageSize::A4);
    };
    const Writer svg = [source](const ArterialPlan &Plan, const ArterialEvaluation &Result,
                                const QString &Scenario, const QString &Out, bool) {
        return SaveDiagramFigureSvg(source(Plan, Result, Scenario), Out);
    };
    const Writer png = [source](const ArterialPlan &Plan, const ArterialEvaluation &Result,
                                const QString &Scenario, const QString &Out, bool) {
        return SaveDiagramFigurePng(source(Plan, Result, Scenario), Out);
    };
    return {pdf, svg, png};
}

// --simulate's replications: the batch the window runs, waited for in an event loop of its own.
std::optional<SimulationSet> Simulate(const ArterialPlan &Plan, const SimulationChoice &Choice,
                                      QString &Problem) {
    Problem = TSumoRun::MissingProgramsText({QStringLiteral("netconvert"), QStringLiteral("sumo")});
    if (!Problem.isEmpty()) {
        return std::nullopt;
    }
    TSumoBatch batch;
    QEventLoop loop;
    bool succeeded = false;
    QObject::connect(&batch, &TSumoBatch::Finished, &loop, [&](bool Ok) {
        succeeded = Ok;
        loop.quit();
    });
    batch.Start({Plan}, Choice, false);
    loop.exec();
    if (!succeeded) {
        Problem = batch.ErrorText();
        return std::nullopt;
    }
    return batch.Results().front();
}

// The offscreen platform's runtime folder is never used for a report: Qt's notice that it is
// not set says nothing to the user of the command line and is left out.
QtMessageHandler PreviousHandler = nullptr;

void QuietReportMessages(QtMsgType Type, const QMessageLogContext &Context, const QString &Text) {
    if (Text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) {
        return;
    }
    if (PreviousHandler != nullptr) {
        PreviousHandler(Type, Context, Text);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(Type, Context, Text)));
}

} // namespace

int main(int argc, char *argv[]) {
    // Painting without a window needs a GUI application, but never a display: the offscreen
    // platform draws fonts and pictures in memory.
    if (CommandLine::WantsPainting(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        PreviousHandler = qInstallMessageHandler(QuietReportMessages);
        const QGuiApplication application(argc, argv);
        return CommandLine::Run(QCoreApplication::arguments(), stdout, stderr, ReportPainters());
    }
    // Other work without a window needs no display: it never makes a GUI application.
    if (CommandLine::WantsNoWindow(argc, argv)) {
        const QCoreApplication application(argc, argv);
        return CommandLine::Run(QCoreApplication::arguments(), stdout, stderr, {}, Simulate);
    }
    QApplication application(argc, argv);
    const CommandLine::WindowArguments arguments =
        CommandLine::ForWindow(QApplication::arguments());
    if (!arguments.Problem.isEmpty()) {
        std::fprintf(stderr, "timespace: %s\nTry 'timespace --help' for more information.\n",
                     qPrintable(arguments.Problem));
        return CommandLine::UsageError;
    }
    // Without Qt's SVG plug-ins the icon is empty and the window keeps the system's default.
    QApplication::setWindowIcon(QIcon(":/desktop/timespace.svg"));
    TTimeSpaceForm form;
    form.show();
    // "timespace FILE" opens the scenario; a file that cannot be opened says why, and the window
    // stays as it starts without one.
    if (!arguments.File.isEmpty()) {
        form.Files()->OpenFile(arguments.File);
    }
    return application.exec();
}
