#include "app/PrintCommands.h"

#include "document/WholeFile.h"

#include "analysis/BandOverlay.h"
#include "analysis/TimingReport.h"
#include "analysis/TrajectoryOverlay.h"
#include "app/Main.h"
#include "document/ReportTable.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

namespace {

TimingReportSource SourceOf(const TTimeSpaceForm &Form) {
    const TArterialDocument &document = *Form.Document();
    const TTrajectoryOverlay *trajectories = Form.TrajectoryOverlay();
    return {document.Plan(), document.Result(), document.FileName(),
            Form.BandOverlay() && Form.BandOverlay()->isVisibleTo(&Form),
            trajectories && trajectories->isVisibleTo(&Form) ? trajectories->View() : std::nullopt};
}

// Beside the scenario file under its name with the new extension, or Fallback for a new one.
QString Suggested(const TTimeSpaceForm &Form, const QString &Fallback, const QString &Extension) {
    const QString file = Form.Document()->FileName();
    if (file.isEmpty()) {
        return Fallback;
    }
    const QFileInfo info(file);
    return info.absolutePath() + '/' + info.completeBaseName() + Extension;
}

QString Choose(TTimeSpaceForm &Form, const QString &Caption, const QString &Filter,
               const QString &Suggestion, const QString &Extension) {
    QString path =
        Prompts::ChooseFile(&Form, {Prompts::FileMode::Save, Caption, Filter, Suggestion});
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
        path += Extension;
    }
    return path;
}

void Warn(TTimeSpaceForm &Form, const QString &Caption, const QString &Problem) {
    if (!Problem.isEmpty()) {
        Prompts::ShowMessage(&Form, Prompts::MessageKind::Warning, Caption, Problem);
    }
}

// Letter where the user's locale measures in inches (the United States), A4 elsewhere.
QPageSize::PageSizeId LocalPaper() {
    return QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                      : QPageSize::A4;
}

void ExportPdf(TTimeSpaceForm &Form) {
    const QString caption = QStringLiteral("Export Report as PDF");
    const QString path = Choose(Form, caption, QStringLiteral("PDF document (*.pdf)"),
                                Suggested(Form, QStringLiteral("report.pdf"), ".pdf"), ".pdf");
    if (path.isEmpty()) {
        return;
    }
    Warn(Form, caption, SaveTimingReportPdf(SourceOf(Form), path, LocalPaper()));
}

void Print(TTimeSpaceForm &Form) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(QStringLiteral("TimeSpace timing report"));
    QPrintDialog dialog(&printer, &Form);
    dialog.setWindowTitle(QStringLiteral("Print Report"));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (!PrintTimingReport(printer, SourceOf(Form))) {
        Warn(Form, QStringLiteral("Print Report"),
             QStringLiteral("The report could not be printed on %1.").arg(printer.printerName()));
    }
}

void ExportCsv(TTimeSpaceForm &Form) {
    const QString caption = QStringLiteral("Export Table as CSV");
    const QString path = Choose(Form, caption, QStringLiteral("Comma-separated values (*.csv)"),
                                Suggested(Form, QStringLiteral("junctions.csv"), ".csv"), ".csv");
    if (path.isEmpty()) {
        return;
    }
    const TArterialDocument &document = *Form.Document();
    const QByteArray bytes = ReportTable::Csv(document.Plan(), document.Result());
    const QString why = WriteWholeFile(path, bytes);
    if (!why.isEmpty()) {
        Warn(Form, caption,
             QStringLiteral("The table could not be saved to %1: %2")
                 .arg(QDir::toNativeSeparators(path), why));
    }
}

} // namespace

void AddPrintCommands(TTimeSpaceForm &Form) {
    TTimeSpaceForm *form = &Form;
    const auto command = [form](const QString &Text, const QKeySequence &Key, const QString &Tip,
                                auto Run) {
        auto *action = new QAction(Text, form);
        action->setShortcut(Key);
        action->setStatusTip(Tip);
        QObject::connect(action, &QAction::triggered, form, [form, Run] { Run(*form); });
        form->AddCommand(action);
    };
    form->AddCommand(nullptr);
    command(QStringLiteral("Export Report as PDF..."),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P),
            QStringLiteral("Writes the timing report (diagram, timing, measures, level of service) "
                           "as a PDF file"),
            ExportPdf);
    command(QStringLiteral("Print Report..."), QKeySequence(QKeySequence::Print),
            QStringLiteral("Prints the timing report"), Print);
    command(QStringLiteral("Export Table as CSV..."),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T),
            QStringLiteral("Writes the junction report's table, one row per junction and "
                           "direction, as CSV"),
            ExportCsv);
}
