#include "analysis/TimingReport.h"

#include "document/WholeFile.h"

#include "analysis/DiagramDrawing.h"
#include "document/ReportTable.h"
#include "document/TextHelpers.h"
#include "model/Progression.h"

#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QImageWriter>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>

namespace {

const char *const Version = TIMESPACE_VERSION;

constexpr double FooterHeight = 18.0; // points
constexpr double RowHeight = 12.0;
constexpr double HeadingHeight = 20.0;

QFont ReportFont(int Points, bool Bold = false) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    // In the page's own units (points), which the painter is scaled to.
    font.setPixelSize(Points);
    font.setBold(Bold);
    return font;
}

// Writes the report in points from the top of the printable area down, starting a new page
// (with the footer) when the next row would not fit.
class ReportWriter {
  public:
    ReportWriter(QPagedPaintDevice &Device, QPainter &Painter, const TimingReportSource &Source)
        : FDevice(Device), FPainter(Painter), FSource(Source) {
        const QPageLayout layout = Device.pageLayout();
        FPage = QRectF(QPointF(0, 0), layout.paintRect(QPageLayout::Point).size());
        const double scale = Device.logicalDpiX() / 72.0;
        FPainter.scale(scale, scale);
        FDate = QDate::currentDate().toString(Qt::ISODate);
    }

    const QRectF &Page() const { return FPage; }
    double Y() const { return FY; }
    void Skip(double Points) { FY += Points; }

    void NewPage() {
        Footer();
        FDevice.newPage();
        ++FPageNumber;
        FY = 0.0;
    }
    void Room(double Points) {
        if (FY + Points > FPage.height() - FooterHeight) {
            NewPage();
        }
    }
    void Finish() { Footer(); }

    void Heading(const QString &Text) {
        Room(HeadingHeight + 3 * RowHeight);
        FPainter.setFont(ReportFont(12, true));
        FPainter.setPen(Qt::black);
        FPainter.drawText(QRectF(0, FY, FPage.width(), HeadingHeight),
                          Qt::AlignLeft | Qt::AlignVCenter, Text);
        FY += HeadingHeight;
    }
    void Line(const QString &Text) {
        Room(RowHeight);
        FPainter.setFont(ReportFont(9));
        FPainter.drawText(QRectF(0, FY, FPage.width(), RowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                          Text);
        FY += RowHeight;
    }

    // A table across the page: columns in proportion to Weights, the first left-aligned, the
    // others right-aligned; the header repeated on a new page.
    void Table(const QStringList &Headers, const QList<QStringList> &Rows,
               const QList<double> &Weights, int Points = 8) {
        double total = 0.0;
        for (const double w : Weights) {
            total += w;
        }
        const auto row = [&](const QStringList &Cells, bool Header) {
            FPainter.setFont(ReportFont(Points, Header));
            double x = 0.0;
            for (qsizetype c = 0; c < Cells.size() && c < Weights.size(); ++c) {
                const double width = FPage.width() * Weights[c] / total;
                const Qt::Alignment align = c == 0 ? Qt::AlignLeft : Qt::AlignRight;
                FPainter.drawText(QRectF(x + 2, FY, width - 4, RowHeight), align | Qt::AlignVCenter,
                                  Cells[c]);
                x += width;
            }
            FY += RowHeight;
            FPainter.setPen(QPen(Qt::gray, 0.3));
            FPainter.drawLine(QPointF(0, FY), QPointF(FPage.width(), FY));
            FPainter.setPen(Qt::black);
        };
        Room(2 * RowHeight);
        row(Headers, true);
        for (const QStringList &cells : Rows) {
            if (FY + RowHeight > FPage.height() - FooterHeight) {
                NewPage();
                row(Headers, true);
            }
            row(cells, false);
        }
        FY += RowHeight / 2;
    }

    QPainter &Painter() { return FPainter; }

  private:
    void Footer() {
        const QString file = FSource.FileName.isEmpty()
                                 ? QStringLiteral("(not saved)")
                                 : QDir::toNativeSeparators(QFileInfo(FSource.FileName).fileName());
        FPainter.setFont(ReportFont(8));
        FPainter.setPen(Qt::black);
        const QRectF band(0, FPage.height() - FooterHeight + 6, FPage.width(), FooterHeight - 6);
        FPainter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, file);
        FPainter.drawText(band, Qt::AlignHCenter | Qt::AlignVCenter,
                          QStringLiteral("%1, TimeSpace %2").arg(FDate, QLatin1String(Version)));
        FPainter.drawText(band, Qt::AlignRight | Qt::AlignVCenter,
                          QStringLiteral("page %1").arg(FPageNumber));
    }

    QPagedPaintDevice &FDevice;
    QPainter &FPainter;
    const TimingReportSource &FSource;
    QRectF FPage;
    QString FDate;
    double FY = 0.0;
    int FPageNumber = 1;
};

QString Share(int Seconds, int Percent) {
    return QStringLiteral("%1 s (%2 %)").arg(Seconds).arg(Percent);
}

void WriteReport(ReportWriter &Writer, const TimingReportSource &Source) {
    const ArterialPlan &plan = Source.Plan;
    const ArterialEvaluation &result = Source.Result;
    Writer.Heading(QStringLiteral("TimeSpace timing report"));

    // Page 1: the diagram as large as the page allows, then the measures.
    DiagramDrawingOptions options;
    options.BandLines = Source.BandLines;
    options.Trajectories = Source.Trajectories;
    const QSizeF natural = DiagramDrawingSize(options);
    const double room = Writer.Page().height() - FooterHeight - Writer.Y() - 3 * RowHeight;
    const double height =
        std::min(room, Writer.Page().width() * natural.height() / natural.width());
    const QRectF target(0, Writer.Y(), Writer.Page().width(), height);
    DrawDiagram(Writer.Painter(), target, plan, result, options);
    Writer.Skip(height + RowHeight / 2);
    Writer.Line(MeasuresLine(result.South, true));
    Writer.Line(MeasuresLine(result.North, false));
    Writer.NewPage();

    Writer.Heading(QStringLiteral("Timing"));
    QList<QStringList> timing;
    for (int k = 1; k <= JunctionCount; ++k) {
        const JunctionSignal &signal = plan.Signals[k];
        const int yellowPercent = 100 - signal.PercentGreen - signal.PercentRed;
        timing.append({QStringLiteral("JCT #%1").arg(k), Decimal(signal.CycleTime) + " s",
                       Decimal(signal.CycleOffset) + " s",
                       Share(signal.Times.Green, signal.PercentGreen),
                       Share(signal.Times.Yellow, yellowPercent),
                       Share(signal.Times.Red, signal.PercentRed)});
    }
    Writer.Table({"Junction", "Cycle", "Offset", "Green", "Yellow", "Red"}, timing,
                 {1.2, 1, 1, 1.4, 1.4, 1.4}, 9);

    Writer.Heading(QStringLiteral("Links"));
    QList<QStringList> links;
    for (int k = 1; k <= LinkCount; ++k) {
        const LinkMeasure &link = result.LinkMeasures[k];
        links.append({LinkCaption(k), Decimal(link.Feet) + " ft",
                      Decimal(link.SouthboundSeconds) + " s",
                      Decimal(link.NorthboundSeconds) + " s"});
    }
    Writer.Table({"Link", "Length", "Travel southbound", "Travel northbound"}, links,
                 {2, 1, 1.3, 1.3}, 9);

    Writer.Heading(QStringLiteral("Traffic"));
    Writer.Table(
        {"Traffic", "Volume", "Speed or share"},
        {{"Southbound", Decimal(plan.SouthVolume) + " veh/hr",
          Decimal(plan.SouthSpeedMph) + " mph"},
         {"Northbound", Decimal(plan.NorthVolume) + " veh/hr",
          Decimal(plan.NorthSpeedMph) + " mph"},
         {QStringLiteral("Entering at crossroad #%1").arg(EnteringJunction),
          Decimal(result.EnteringVolume) + " veh/hr", Decimal(plan.EnteringPercent) + " %"},
         {QStringLiteral("Leaving onto crossroad #%1").arg(LeavingJunction),
          Decimal(result.LeavingVolume) + " veh/hr", Decimal(plan.LeavingPercent) + " %"}},
        {2, 1, 1}, 9);

    Writer.Heading(QStringLiteral("Measures"));
    Writer.Line(MeasuresLine(result.South, true));
    Writer.Line(MeasuresLine(result.North, false));
    Writer.Skip(RowHeight / 2);

    // The per-junction table as the CSV has it, less the timing already given above.
    Writer.Heading(QStringLiteral("Junctions and level of service"));
    Writer.Line(QStringLiteral("LOS by the delay per vehicle at the junction: A up to 10 s, B 20, "
                               "C 35, D 55, E 80; F above 80 s or demand above capacity."));
    QList<QStringList> junctions;
    for (const QStringList &row : ReportTable::Rows(plan, result)) {
        // junction, direction, then from the capacity on.
        junctions.append(QStringList{row[0] + (row[1] == "southbound" ? " SB" : " NB")} +
                         row.mid(7));
    }
    Writer.Table({"Junction", "Capacity veh/hr", "Flow veh/hr", "v/c", "Queue ft", "Queue veh",
                  "Stops", "Delay s/veh", "LOS delay s/veh", "LOS", "Failure"},
                 junctions, {1.3, 1.2, 1.1, 0.7, 0.9, 0.9, 0.8, 1.0, 1.2, 0.6, 0.8}, 7);

    Writer.Heading(QStringLiteral("Progression bands"));
    const auto band = [](const QString &Name, const ProgressionBand &Band) {
        return QStringList{Name, Decimal(Band.Width) + " s",
                           QString::number(Band.Efficiency, 'f', 1) + " %",
                           Band.Exists() ? Decimal(Band.Start) + " s" : QStringLiteral("none")};
    };
    Writer.Table({"Band", "Width", "Efficiency", "Starts at"},
                 {band("Southbound (from JCT #1)", result.Bands.Southbound),
                  band("Northbound (from JCT #6)", result.Bands.Northbound)},
                 {2, 1, 1, 1}, 9);
    Writer.Finish();
}

QString CannotSave(const QString &Path, const QString &Why) {
    return QStringLiteral("The report could not be saved to %1: %2")
        .arg(QDir::toNativeSeparators(Path), Why);
}

QString WriteWhole(const QString &Path, const QByteArray &Bytes) {
    const QString why = WriteWholeFile(Path, Bytes);
    return why.isEmpty() ? QString() : CannotSave(Path, why);
}

QString TitleOf(const TimingReportSource &Source) {
    return Source.FileName.isEmpty() ? QStringLiteral("TimeSpace Diagram")
                                     : QFileInfo(Source.FileName).fileName();
}

} // namespace

bool PaintTimingReport(QPagedPaintDevice &Device, const TimingReportSource &Source) {
    QPainter painter;
    if (!painter.begin(&Device)) {
        return false;
    }
    ReportWriter writer(Device, painter, Source);
    WriteReport(writer, Source);
    return painter.end();
}

QString SaveTimingReportPdf(const TimingReportSource &Source, const QString &Path,
                            QPageSize::PageSizeId Paper) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(QPageSize(Paper), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        writer.setTitle(QStringLiteral("TimeSpace timing report"));
        writer.setCreator(QStringLiteral("TimeSpace %1").arg(QLatin1String(Version)));
        if (!PaintTimingReport(writer, Source)) {
            return CannotSave(Path, QStringLiteral("the report could not be drawn"));
        }
    }
    return WriteWhole(Path, bytes);
}

bool PrintTimingReport(QPrinter &Printer, const TimingReportSource &Source) {
    Printer.setPageOrientation(QPageLayout::Portrait);
    return PaintTimingReport(Printer, Source);
}

QString SaveDiagramFigureSvg(const TimingReportSource &Source, const QString &Path) {
    DiagramDrawingOptions options;
    options.BandLines = Source.BandLines;
    options.Trajectories = Source.Trajectories;
    const QByteArray bytes = DiagramFigureSvg(Source.Plan, Source.Result, TitleOf(Source), options);
    if (bytes.isEmpty()) {
        return CannotSave(Path, QStringLiteral("the drawing could not be started"));
    }
    return WriteWhole(Path, bytes);
}

QString SaveDiagramFigurePng(const TimingReportSource &Source, const QString &Path) {
    DiagramDrawingOptions options;
    options.BandLines = Source.BandLines;
    options.Trajectories = Source.Trajectories;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(DiagramFigureImage(Source.Plan, Source.Result, 2.0, options))) {
        return CannotSave(Path, writer.errorString());
    }
    return WriteWhole(Path, bytes);
}
