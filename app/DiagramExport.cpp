#include "app/DiagramExport.h"

#include "document/WholeFile.h"

#include "analysis/BandOverlay.h"
#include "analysis/DiagramDrawing.h"
#include "analysis/TrajectoryOverlay.h"
#include "app/Main.h"
#include "controls/SpaceLink.h"
#include "controls/TimeSpaceLight.h"
#include "controls/TimeSpaceLink.h"
#include "document/TextHelpers.h"
#include "model/Diagram.h"
#include "model/Progression.h"
#include "platform/Colors.h"
#include "platform/Fonts.h"
#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/TrackBar.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPaintEngine>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>
#include <vector>

namespace {

constexpr int Pad = 6;        // around the window's part and below the legend
constexpr int LegendGap = 6;  // between the window's part and the legend
constexpr int ColumnGap = 12; // between a table's columns
constexpr int TableGap = 30;  // between the timing table and the traffic table
constexpr int RowSpacing = 2; // added to a row's text height

// The left margin's captions: the mile scale's figures, its heading and the compass letters,
// then the junction numbers, which follow their strips.
std::vector<const TLabel *> MarginLabels(const TTimeSpaceForm &Form) {
    std::vector<const TLabel *> labels{
        Form.Label37, Form.Label8,  Form.Label51, Form.Label52, Form.Label32, Form.Label34,
        Form.Label35, Form.Label36, Form.Label40, Form.Label42, Form.Label41, Form.Label43,
        Form.Label45, Form.Label44, Form.Label46, Form.Label47, Form.Label48};
    for (int k = 1; k <= JunctionCount; ++k) {
        labels.push_back(Form.JunctionLabel(k));
    }
    return labels;
}

// A table of captions: the first row is its heading; the first column is left-aligned, the
// figures right-aligned.
struct Table {
    QList<QStringList> Rows;
    QList<int> Widths;

    int Width() const {
        int width = 0;
        for (const int column : Widths) {
            width += column;
        }
        return width + ColumnGap * std::max<int>(0, int(Widths.size()) - 1);
    }
};

QString Share(int Seconds, int Percent) {
    return QString("%1 s (%2 %)").arg(Decimal(Seconds), Decimal(Percent));
}

// The legend's tables are the document's plan and evaluation.
Table TimingTable(const ArterialPlan &Plan) {
    Table table;
    table.Rows.append({"Timing", "Cycle", "Offset", "Green", "Yellow", "Red"});
    for (int k = 1; k <= JunctionCount; ++k) {
        const JunctionSignal &signal = Plan.Signals[k];
        // The yellow's share is what the green and red leave, as its seconds are.
        const int yellowPercent = 100 - signal.PercentGreen - signal.PercentRed;
        table.Rows.append({QString("JCT #%1").arg(k), Decimal(signal.CycleTime) + " s",
                           Decimal(signal.CycleOffset) + " s",
                           Share(signal.Times.Green, signal.PercentGreen),
                           Share(signal.Times.Yellow, yellowPercent),
                           Share(signal.Times.Red, signal.PercentRed)});
    }
    return table;
}

Table TrafficTable(const ArterialPlan &Plan, const ArterialEvaluation &Result) {
    const auto perHour = [](int Volume) { return Decimal(Volume) + " veh/hr"; };
    Table table;
    table.Rows.append({"Traffic", "Volume", "Speed, share"});
    table.Rows.append(
        {"Southbound", perHour(Plan.SouthVolume), Decimal(Plan.SouthSpeedMph) + " mph"});
    table.Rows.append(
        {"Northbound", perHour(Plan.NorthVolume), Decimal(Plan.NorthSpeedMph) + " mph"});
    table.Rows.append({QString("Entering at crossroad #%1").arg(EnteringJunction),
                       perHour(Result.EnteringVolume), Decimal(Plan.EnteringPercent) + " %"});
    table.Rows.append({QString("Leaving onto crossroad #%1").arg(LeavingJunction),
                       perHour(Result.LeavingVolume), Decimal(Plan.LeavingPercent) + " %"});
    return table;
}

// Each link's length and travel time each way, as the platoons drive it; the note says how the
// lengths relate to the mile scale beside the diagram.
Table LinkTable(const ArterialEvaluation &Result) {
    Table table;
    table.Rows.append({"Link", "Length", "Time south", "Time north"});
    for (int k = 1; k <= LinkCount; ++k) {
        const LinkMeasure &link = Result.LinkMeasures[k];
        table.Rows.append({LinkCaption(k), Decimal(link.Feet) + " ft",
                           Decimal(link.SouthboundSeconds) + " s",
                           Decimal(link.NorthboundSeconds) + " s"});
    }
    return table;
}

QString LinkNote() {
    return QString("Lengths at %1 ft a pixel; the mile scale is a fixed guide.").arg(FeetPerPixel);
}

// Where everything goes. The metrics are the fonts' own, not a device's, so the PNG and the
// SVG are laid out alike.
struct Layout {
    // The vector file draws the diagram from the document; the picture holds the window's own.
    bool Vector = false;
    QRect Part;        // the window's part shown, in window coordinates (the picture only)
    QPoint AxisAt;     // second 0 of the picture's time axis, under the composed canvas
    QPoint MeasuresAt; // the picture's two lines of measures
    int TopHeight = 0; // what lies above the legend
    QFont Font = FontOf(Sans8);
    QFont HeadingFont = FontOf(Sans8Bold);
    int RowHeight = 0;
    Table Timing;
    Table Traffic;
    Table Links;
    QPoint LegendAt;
    // The traffic table beside the timing table; the links table and its note under it.
    QPoint TrafficAt;
    QPoint LinksAt;
    QPoint NoteAt;
    // What the simulated vehicles' lines are, when the picture draws them.
    QString TracesCaption;
    QPoint TracesAt;
    QSize Size;
};

// A viewer of the vector file sets the captions at the family's full width (the file keeps no
// narrowing): columns are measured at that width, so that they clear each other in both files.
QFont FullWidth(const QFont &Font) {
    QFont wide = Font;
    wide.setStretch(QFont::Unstretched);
    return wide;
}

void MeasureColumns(Table &Table, const QFont &Font, const QFont &HeadingFont) {
    const QFontMetrics metrics(FullWidth(Font));
    const QFontMetrics headingMetrics(FullWidth(HeadingFont));
    for (qsizetype row = 0; row < Table.Rows.size(); ++row) {
        const QStringList &cells = Table.Rows[row];
        const QFontMetrics &m = row == 0 ? headingMetrics : metrics;
        for (qsizetype column = 0; column < cells.size(); ++column) {
            if (Table.Widths.size() <= column) {
                Table.Widths.append(0);
            }
            Table.Widths[column] =
                std::max(Table.Widths[column], m.horizontalAdvance(cells[column]));
        }
    }
}

// What the vector drawing shows over the diagram: what the window's overlays show.
DiagramDrawingOptions VectorOptions(const TTimeSpaceForm &Form) {
    DiagramDrawingOptions options;
    options.BandLines = Form.BandOverlay() && Form.BandOverlay()->isVisibleTo(&Form);
    const TTrajectoryOverlay *trajectories = Form.TrajectoryOverlay();
    if (trajectories && trajectories->isVisibleTo(&Form)) {
        options.Trajectories = trajectories->View();
    }
    return options;
}

Layout LayOut(const TTimeSpaceForm &Form, bool Vector) {
    Layout layout;
    layout.Vector = Vector;
    QRect part = Form.TimeSpaceDiagram->geometry() | Form.Image14->geometry();
    for (const TLabel *label : MarginLabels(Form)) {
        if (label->isVisibleTo(&Form)) {
            part |= label->geometry();
        }
    }
    layout.Part = part.adjusted(-Pad, -Pad, Pad, Pad);

    const TArterialDocument &document = *Form.Document();
    layout.Timing = TimingTable(document.Plan());
    layout.Traffic = TrafficTable(document.Plan(), document.Result());
    layout.Links = LinkTable(document.Result());
    MeasureColumns(layout.Timing, layout.Font, layout.HeadingFont);
    MeasureColumns(layout.Traffic, layout.Font, layout.HeadingFont);
    MeasureColumns(layout.Links, layout.Font, layout.HeadingFont);
    layout.RowHeight =
        std::max(QFontMetrics(layout.Font).height(), QFontMetrics(layout.HeadingFont).height()) +
        RowSpacing;

    int topWidth = layout.Part.width();
    if (Vector) {
        const QSize figure = DiagramFigureSize(VectorOptions(Form)).toSize();
        topWidth = figure.width();
        layout.TopHeight = figure.height();
    } else {
        // The axis and the measures go under the window's part, which keeps its place, so that
        // the composed canvas lands where DiagramCanvasPlace says.
        layout.AxisAt = Form.TimeSpaceDiagram->pos() + Form.TimeSpaceImage->pos() +
                        QPoint(0, Form.TimeSpaceImage->height()) - layout.Part.topLeft();
        layout.AxisAt.setY(layout.Part.height());
        layout.MeasuresAt = QPoint(Pad, layout.Part.height() + int(TimeAxisHeight));
        layout.TopHeight = layout.MeasuresAt.y() + 2 * layout.RowHeight;
    }
    layout.LegendAt = QPoint(Pad, layout.TopHeight + LegendGap);
    layout.TrafficAt = layout.LegendAt + QPoint(layout.Timing.Width() + TableGap, 0);
    // One blank row between the traffic table and the links table.
    const int trafficRows = int(layout.Traffic.Rows.size()) + 1;
    layout.LinksAt = layout.TrafficAt + QPoint(0, trafficRows * layout.RowHeight);
    layout.NoteAt = layout.LinksAt + QPoint(0, int(layout.Links.Rows.size()) * layout.RowHeight);
    const int secondColumnRows = trafficRows + int(layout.Links.Rows.size()) + 1;
    const int rows = std::max(int(layout.Timing.Rows.size()), secondColumnRows);
    const int noteWidth = QFontMetrics(FullWidth(layout.Font)).horizontalAdvance(LinkNote());
    const int secondColumnWidth =
        std::max({layout.Traffic.Width(), layout.Links.Width(), noteWidth});
    int legendWidth = layout.Timing.Width() + TableGap + secondColumnWidth;
    int legendRows = rows;
    // The picture says what its simulated lines are under its tables (the drawing's own legend
    // says it in the vector file).
    const TTrajectoryOverlay *trajectories = Form.TrajectoryOverlay();
    if (!Vector && trajectories && trajectories->isVisibleTo(&Form)) {
        if (const std::optional<TrajectoryView> view = trajectories->View()) {
            layout.TracesCaption =
                QStringLiteral("Simulated vehicles (blue southbound, brown northbound): ") +
                view->Caption;
            layout.TracesAt = layout.LegendAt + QPoint(0, rows * layout.RowHeight);
            legendWidth = std::max(
                legendWidth,
                QFontMetrics(FullWidth(layout.Font)).horizontalAdvance(layout.TracesCaption));
            ++legendRows;
        }
    }
    layout.Size = QSize(std::max(topWidth, Pad + legendWidth + Pad),
                        layout.LegendAt.y() + legendRows * layout.RowHeight + Pad);
    return layout;
}

// An image control as it shows itself: its canvas at its own size once something drew on it,
// otherwise its picture stretched over it.
void DrawImageControl(QPainter &Painter, TImage *Image) {
    if (!Image->isVisibleTo(Image->window())) {
        return;
    }
    if (Image->HasCanvas()) {
        // The canvas lands unblended, so the export holds its very pixels.
        const bool exact = Painter.paintEngine()->hasFeature(QPaintEngine::PorterDuff);
        const QPainter::CompositionMode mode = Painter.compositionMode();
        if (exact) {
            Painter.setCompositionMode(QPainter::CompositionMode_Source);
        }
        Painter.drawImage(Image->pos(), Image->Canvas());
        Painter.setCompositionMode(mode);
    } else if (!Image->Picture().isNull()) {
        // Stretched here as the control stretches it, so that a vector file embeds what the
        // window shows rather than a small picture that a viewer would smooth.
        QImage stretched(Image->size(), QImage::Format_ARGB32_Premultiplied);
        stretched.fill(Qt::transparent);
        QPainter(&stretched).drawImage(stretched.rect(), Image->Picture());
        Painter.drawImage(Image->pos(), stretched);
    }
}

// The font under the family actually drawn, so that a vector file names the installed family
// that the window substitutes for the design's, and shows alike elsewhere.
QFont Drawn(const QFont &Font) {
    QFont drawn = Font;
    drawn.setFamily(QFontInfo(Font).family());
    return drawn;
}

void DrawCaption(QPainter &Painter, const TLabel *Label) {
    if (!Label->isVisibleTo(Label->window())) {
        return;
    }
    Painter.setFont(Drawn(Label->font()));
    Painter.setPen(Label->palette().color(Label->foregroundRole()));
    Painter.drawText(Label->geometry(), int(Label->alignment()), Label->Caption());
}

void DrawTable(QPainter &Painter, const Layout &Layout, const Table &Table, QPoint At) {
    Painter.setPen(NamedColor::clWindowText);
    for (qsizetype row = 0; row < Table.Rows.size(); ++row) {
        Painter.setFont(Drawn(row == 0 ? Layout.HeadingFont : Layout.Font));
        int x = At.x();
        const int y = At.y() + int(row) * Layout.RowHeight;
        const QStringList &cells = Table.Rows[row];
        for (qsizetype column = 0; column < cells.size(); ++column) {
            const int width = Table.Widths[column];
            const Qt::Alignment alignment =
                (column == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
            Painter.drawText(QRect(x, y, width, Layout.RowHeight), int(alignment), cells[column]);
            x += width + ColumnGap;
        }
    }
}

void PaintLegend(QPainter &Painter, const Layout &Layout);

// The vector file: the diagram drawn from the document, as the printed report draws it, with
// the band's edges and the simulated vehicles' paths when the window shows them.
void PaintVectorDiagram(QPainter &Painter, const TTimeSpaceForm &Form) {
    const TArterialDocument &document = *Form.Document();
    DrawDiagramFigure(Painter, QPointF(0, 0), document.Plan(), document.Result(),
                      VectorOptions(Form));
}

void PaintDiagram(QPainter &Painter, const TTimeSpaceForm &Form, const Layout &Layout) {
    Painter.fillRect(QRect(QPoint(0, 0), Layout.Size), Form.palette().color(QPalette::Window));
    if (Layout.Vector) {
        PaintVectorDiagram(Painter, Form);
        PaintLegend(Painter, Layout);
        return;
    }

    // The window's part at the window's own places.
    Painter.save();
    Painter.translate(-Layout.Part.topLeft());
    DrawImageControl(Painter, Form.Image14);
    for (const TLabel *label : MarginLabels(Form)) {
        DrawCaption(Painter, label);
    }

    // The panel's children in their stacking order. The strips and links are not drawn apart:
    // the composed canvas holds them, exactly as the window shows them.
    const QWidget *panel = Form.TimeSpaceDiagram;
    Painter.translate(panel->pos());
    Painter.setClipRect(panel->rect());
    Painter.fillRect(panel->rect(), panel->palette().color(QPalette::Window));
    DrawImageControl(Painter, Form.Image1);
    DrawImageControl(Painter, Form.TimeSpaceImage);
    for (int k = 1; k <= LinkCount; ++k) {
        TSpaceLink *queue = Form.SpaceLink(k);
        if (queue->Visible() && !queue->size().isEmpty()) {
            Painter.drawImage(queue->pos(), queue->GetBitmap());
        }
    }
    for (int k = 1; k <= JunctionCount; ++k) {
        DrawImageControl(Painter, Form.JunctionImage(k));
    }
    // The band's edges and the simulated vehicles over it all, when the window shows them.
    for (const TDiagramOverlay *overlay :
         {static_cast<const TDiagramOverlay *>(Form.BandOverlay()),
          static_cast<const TDiagramOverlay *>(Form.TrajectoryOverlay())}) {
        if (overlay != nullptr && overlay->isVisibleTo(&Form)) {
            overlay->Draw(Painter, QRect(0, 0, StripWidth, panel->height()));
        }
    }
    Painter.restore();

    DrawTimeAxis(Painter, Layout.AxisAt, StripWidth);
    const ArterialEvaluation &result = Form.Document()->Result();
    Painter.setFont(Drawn(Layout.Font));
    Painter.setPen(NamedColor::clWindowText);
    const QSize line(Layout.Size.width() - 2 * Pad, Layout.RowHeight);
    Painter.drawText(QRect(Layout.MeasuresAt, line), int(Qt::AlignLeft | Qt::AlignVCenter),
                     MeasuresLine(result.South, true));
    Painter.drawText(QRect(Layout.MeasuresAt + QPoint(0, Layout.RowHeight), line),
                     int(Qt::AlignLeft | Qt::AlignVCenter), MeasuresLine(result.North, false));
    PaintLegend(Painter, Layout);
}

void PaintLegend(QPainter &Painter, const Layout &Layout) {
    DrawTable(Painter, Layout, Layout.Timing, Layout.LegendAt);
    DrawTable(Painter, Layout, Layout.Traffic, Layout.TrafficAt);
    DrawTable(Painter, Layout, Layout.Links, Layout.LinksAt);
    Painter.setFont(Drawn(Layout.Font));
    Painter.drawText(QRect(Layout.NoteAt,
                           QSize(Layout.Size.width() - Layout.NoteAt.x() - Pad, Layout.RowHeight)),
                     int(Qt::AlignLeft | Qt::AlignVCenter), LinkNote());
    if (!Layout.TracesCaption.isEmpty()) {
        Painter.drawText(
            QRect(Layout.TracesAt,
                  QSize(Layout.Size.width() - Layout.TracesAt.x() - Pad, Layout.RowHeight)),
            int(Qt::AlignLeft | Qt::AlignVCenter), Layout.TracesCaption);
    }
}

QString CannotSave(const QString &Path, const QString &Why) {
    return QString("The diagram could not be saved to %1: %2")
        .arg(QDir::toNativeSeparators(Path), Why);
}

QString WriteFile(const QString &Path, const QByteArray &Bytes) {
    const QString why = WriteWholeFile(Path, Bytes);
    return why.isEmpty() ? QString() : CannotSave(Path, why);
}

} // namespace

QRect DiagramCanvasPlace(const TTimeSpaceForm &Form) {
    const Layout layout = LayOut(Form, false);
    const QPoint at =
        Form.TimeSpaceDiagram->pos() + Form.TimeSpaceImage->pos() - layout.Part.topLeft();
    return {at, Form.TimeSpaceImage->Canvas().size()};
}

QImage DiagramPicture(const TTimeSpaceForm &Form) {
    const Layout layout = LayOut(Form, false);
    // The canvas's own format, so that its pixels are copied, not converted.
    QImage picture(layout.Size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    PaintDiagram(painter, Form, layout);
    return picture;
}

QString SaveDiagramPng(const TTimeSpaceForm &Form, const QString &Path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(DiagramPicture(Form))) {
        return CannotSave(Path, writer.errorString());
    }
    return WriteFile(Path, bytes);
}

QString SaveDiagramSvg(const TTimeSpaceForm &Form, const QString &Path) {
    const Layout layout = LayOut(Form, true);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(layout.Size);
    generator.setViewBox(QRect(QPoint(0, 0), layout.Size));
    // The window's 96 pixels per inch: one unit of the file is one pixel of the window.
    generator.setResolution(96);
    // The scenario's file name, not the window's title with its unsaved-changes placeholder.
    generator.setTitle(Form.FileName().isEmpty() ? QString("TimeSpace Diagram")
                                                 : QFileInfo(Form.FileName()).fileName());
    generator.setDescription("Time-space diagram of the arterial's six junctions");
    QPainter painter;
    if (!painter.begin(&generator)) {
        return CannotSave(Path, "the drawing could not be started");
    }
    PaintDiagram(painter, Form, layout);
    painter.end();
    return WriteFile(Path, bytes);
}

QString SaveDiagram(const TTimeSpaceForm &Form, const QString &Path) {
    return Path.endsWith(".svg", Qt::CaseInsensitive) ? SaveDiagramSvg(Form, Path)
                                                      : SaveDiagramPng(Form, Path);
}

void CopyDiagram(const TTimeSpaceForm &Form) {
    QGuiApplication::clipboard()->setImage(DiagramPicture(Form));
}
