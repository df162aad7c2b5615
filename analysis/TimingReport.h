#pragma once

#include "analysis/TrajectoryDrawing.h"
#include "model/Evaluation.h"
#include "model/Plan.h"

#include <QPageSize>
#include <QString>

#include <optional>

class QPagedPaintDevice;
class QPrinter;

// The timing report for paper: page 1 the time-space diagram in vector shapes (DiagramDrawing)
// with its time axis, distance scale and legend, and the measures both ways; then the timing
// of every junction (cycle, offset, green, yellow and red in seconds and percent), the links'
// lengths and travel times, the volumes, speeds and crossroad shares, the per-junction table
// with the level of service, and the progression bands. Every page is footed with the scenario
// file's name, the date and the program's version. Everything written is text, so a PDF reader
// can find and copy it. Portrait, on the device's paper (A4 or Letter).

struct TimingReportSource {
    const ArterialPlan &Plan;
    const ArterialEvaluation &Result;
    QString FileName; // the scenario file, empty for a new arterial
    bool BandLines = true;
    // The simulated vehicles' paths on the diagram, when the window shows them.
    std::optional<TrajectoryView> Trajectories = std::nullopt;
};

// Paints the report on a device whose page layout is set; false when painting cannot start.
bool PaintTimingReport(QPagedPaintDevice &Device, const TimingReportSource &Source);

// Writes the report as a PDF file, whole or not at all: an empty text on success, otherwise
// why not.
QString SaveTimingReportPdf(const TimingReportSource &Source, const QString &Path,
                            QPageSize::PageSizeId Paper);

// Prints the report on a printer set up by the caller (its paper as the printer says, portrait);
// false when the printer could not be drawn on.
bool PrintTimingReport(QPrinter &Printer, const TimingReportSource &Source);

// The diagram figure (DiagramDrawing with its legend and the measures) as a file, whole or not
// at all, for the command line, which has no window: SVG in vector shapes, PNG drawn from the
// same shapes at two pixels a unit. An empty text on success, otherwise why not.
QString SaveDiagramFigureSvg(const TimingReportSource &Source, const QString &Path);
QString SaveDiagramFigurePng(const TimingReportSource &Source, const QString &Path);
