#include "analysis/JunctionReport.h"

#include "document/ArterialDocument.h"
#include "document/SimulationText.h"
#include "document/TextHelpers.h"
#include "model/LevelOfService.h"
#include "model/Measures.h"

#include <QLabel>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QStaticText>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>
#include <vector>

// A table painted as one widget: a header row of column titles (a title may take two lines),
// optionally a first column of row names, and cells of text right-aligned. Each cell keeps its
// text; writing the same text again does nothing, a new one repaints that cell alone. A column
// widens (and the table repaints) when a text no longer fits.
class TReportTable : public QWidget {
  public:
    TReportTable(const QStringList &Headers, const QStringList &RowNames, int Rows, QWidget *Parent)
        : QWidget(Parent), FHeaders(Headers), FRowNames(RowNames), FRows(Rows),
          FColumns(static_cast<int>(Headers.size())),
          FTexts(static_cast<std::size_t>(Rows * FColumns)),
          FNumbers(static_cast<std::size_t>(Rows * FColumns)),
          FTextWidths(static_cast<std::size_t>(Rows * FColumns)), FMetrics(font()) {
        const QFontMetrics &metrics = FMetrics;
        FRowHeight = metrics.height() + 2 * Padding;
        FHeaderHeight = 2 * metrics.height() + 2 * Padding;
        for (const QString &name : RowNames) {
            FNameWidth = std::max(FNameWidth, metrics.horizontalAdvance(name) + 2 * Padding);
        }
        for (const QString &header : Headers) {
            int width = 0;
            for (const QString &line : header.split(QLatin1Char('\n'))) {
                width = std::max(width, metrics.horizontalAdvance(line));
            }
            FWidths.push_back(std::max(width, metrics.horizontalAdvance("0000.00")) + 2 * Padding);
        }
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    const QString &Text(int Row, int Column) const { return FTexts[Index(Row, Column)]; }

    // Whether the cell's text was last written from this number in this format (Decimals
    // below 0 for a whole number): formatting it again would give the same text.
    bool Holds(int Row, int Column, double Value, int Decimals) const {
        const Number &held = FNumbers[Index(Row, Column)];
        return held.Written && held.Value == Value && held.Decimals == Decimals;
    }
    void SetNumber(int Row, int Column, double Value, int Decimals) {
        FNumbers[Index(Row, Column)] = {true, Value, Decimals};
    }

    // True when the text changed.
    bool SetText(int Row, int Column, const QString &Text) {
        QString &kept = FTexts[Index(Row, Column)];
        if (kept == Text) {
            return false;
        }
        kept = Text;
        FNumbers[Index(Row, Column)].Written = false;
        // The width from the characters' advances, without shaping the text: the report's texts
        // are figures and plain words, which the font does not kern.
        int textWidth = 0;
        for (const QChar character : Text) {
            textWidth += FMetrics.horizontalAdvance(character);
        }
        FTextWidths[Index(Row, Column)] = textWidth;
        const int needed = textWidth + 2 * Padding;
        if (needed > FWidths[static_cast<std::size_t>(Column)]) {
            FWidths[static_cast<std::size_t>(Column)] = needed;
            updateGeometry();
            update();
        } else {
            update(Own(CellRect(Row, Column)));
        }
        return true;
    }

    QSize sizeHint() const override {
        int width = FNameWidth + 1;
        for (const int w : FWidths) {
            width += w;
        }
        return {width, FHeaderHeight + FRows * FRowHeight + 1};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent *Event) override {
        // Cell by cell, only the cells in the region asked for (a changed text asks for its own
        // cell): each paints its ground, its top and left border (the last column and row their
        // far border too) and its text.
        QPainter painter(this);
        const QRegion &dirty = Event->region();
        const QPalette &colours = palette();
        const QColor ink = colours.color(QPalette::Text);
        const QColor rule = colours.color(QPalette::Mid);
        const int right = Left(FColumns);
        const int bottom = Top(FRows);
        const auto paint = [&](const QRect &rect, const QBrush &ground, const auto &drawText) {
            if (!dirty.intersects(Own(rect))) {
                return;
            }
            painter.fillRect(rect, ground);
            painter.setPen(rule);
            painter.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
            painter.drawLine(rect.left(), rect.top(), rect.left(), rect.bottom());
            if (rect.right() + 1 == right) {
                painter.drawLine(right, rect.top(), right, rect.bottom() + 1);
            }
            if (rect.bottom() + 1 == bottom) {
                painter.drawLine(rect.left(), bottom, rect.right() + 1, bottom);
            }
            painter.setPen(ink);
            drawText(rect);
        };
        const auto boxed = [&](const QString &text, Qt::Alignment align) {
            return [&painter, &text, align](const QRect &rect) {
                painter.drawText(rect.adjusted(Padding, 0, -Padding, 0), align | Qt::AlignVCenter,
                                 text);
            };
        };
        if (FNameWidth > 0) {
            paint(QRect(0, 0, FNameWidth, FHeaderHeight), colours.button(), [](const QRect &) {});
        }
        for (int c = 0; c < FColumns; ++c) {
            paint(QRect(Left(c), 0, FWidths[static_cast<std::size_t>(c)], FHeaderHeight),
                  colours.button(), boxed(FHeaders[c], Qt::AlignHCenter));
        }
        const int baseline = (FRowHeight - FMetrics.height()) / 2 + FMetrics.ascent();
        for (int r = 0; r < FRows; ++r) {
            if (FNameWidth > 0) {
                paint(QRect(0, Top(r), FNameWidth, FRowHeight), colours.button(),
                      boxed(FRowNames[r], Qt::AlignLeft));
            }
            for (int c = 0; c < FColumns; ++c) {
                // A table without row names has its names in its first column, left-aligned;
                // figures are right-aligned. Drawn at a point: no layout of a rectangle.
                const bool left = FNameWidth == 0 && c == 0;
                const QString &text = Text(r, c);
                const int width = FTextWidths[Index(r, c)];
                paint(CellRect(r, c), colours.base(), [&](const QRect &rect) {
                    if (!text.isEmpty()) {
                        const int x =
                            left ? rect.left() + Padding : rect.right() + 1 - Padding - width;
                        painter.drawText(x, rect.top() + baseline, text);
                    }
                });
            }
        }
    }

  private:
    static constexpr int Padding = 4;

    std::size_t Index(int Row, int Column) const {
        return static_cast<std::size_t>(Row * FColumns + Column);
    }
    int Left(int Column) const {
        int x = FNameWidth;
        for (int c = 0; c < Column; ++c) {
            x += FWidths[static_cast<std::size_t>(c)];
        }
        return x;
    }
    int Top(int Row) const { return FHeaderHeight + Row * FRowHeight; }
    // The pixels a cell paints: its rectangle, whose first column and row are its left and top
    // border, and the far border for the last column and row.
    QRect Own(const QRect &Cell) const {
        return Cell.adjusted(0, 0, Cell.right() + 1 == Left(FColumns) ? 1 : 0,
                             Cell.bottom() + 1 == Top(FRows) ? 1 : 0);
    }
    QRect CellRect(int Row, int Column) const {
        return {Left(Column), Top(Row), FWidths[static_cast<std::size_t>(Column)], FRowHeight};
    }

    QStringList FHeaders;
    QStringList FRowNames;
    int FRows;
    int FColumns;
    struct Number {
        bool Written = false;
        double Value = 0.0;
        int Decimals = 0;
    };
    std::vector<QString> FTexts;
    std::vector<Number> FNumbers;
    std::vector<int> FTextWidths;
    QFontMetrics FMetrics;
    std::vector<int> FWidths;
    int FNameWidth = 0;
    int FRowHeight = 0;
    int FHeaderHeight = 0;
};

namespace {
QString Where(const std::vector<std::int32_t> &Junctions) {
    if (Junctions.empty()) {
        return QStringLiteral("yes");
    }
    QStringList names;
    for (const std::int32_t k : Junctions) {
        names << QStringLiteral("#%1").arg(k);
    }
    return QStringLiteral("yes, at JCT ") + names.join(QStringLiteral(", "));
}

const QString Unbounded = FromView(UnboundedCaption);
} // namespace

std::optional<QPoint> ReportPlace(const QRect &MainFrame, const QSize &ReportFrame,
                                  const QRect &Screen) {
    const int top = std::max(Screen.top(),
                             std::min(MainFrame.top(), Screen.bottom() + 1 - ReportFrame.height()));
    const int right = MainFrame.right() + 1 + ReportGap;
    if (right + ReportFrame.width() - 1 <= Screen.right()) {
        return QPoint(right, top);
    }
    const int left = MainFrame.left() - ReportGap - ReportFrame.width();
    if (left >= Screen.left()) {
        return QPoint(left, top);
    }
    return std::nullopt;
}

TJunctionReport::TJunctionReport(QWidget *Owner, const TArterialDocument *Document)
    : QWidget(Owner, Qt::Tool), FDocument(Document) {
    setObjectName("JunctionReport");
    setWindowTitle("Junction Report");
    auto *layout = new QVBoxLayout(this);

    QStringList rows;
    for (int k = 1; k <= JunctionCount; ++k) {
        rows << QStringLiteral("JCT #%1").arg(k);
    }
    rows << QStringLiteral("Total");
    layout->addWidget(new QLabel("<b>Junctions</b> (SB southbound, JCT #1 to #6; NB northbound)"));
    FJunctions = new TReportTable({"JCT",
                                   "Cycle\ns",
                                   "Offset\ns",
                                   "Green\ns",
                                   "Yellow\ns",
                                   "Red\ns",
                                   "Capacity\nveh/hr",
                                   "SB flow\nveh/hr",
                                   "SB\nv/c",
                                   "NB flow\nveh/hr",
                                   "NB\nv/c",
                                   "SB queue\nft",
                                   "SB queue\nveh",
                                   "NB queue\nft",
                                   "NB queue\nveh",
                                   "SB stops\nshare",
                                   "SB delay\ns/veh",
                                   "NB stops\nshare",
                                   "NB delay\ns/veh",
                                   "SB\nfailure",
                                   "NB\nfailure",
                                   "SB LOS delay\ns/veh",
                                   "SB\nLOS",
                                   "NB LOS delay\ns/veh",
                                   "NB\nLOS"},
                                  {}, TotalRow + 1, this);
    for (int r = 0; r <= TotalRow; ++r) {
        Put(FJunctions, r, Junction, rows[r]);
    }
    layout->addWidget(FJunctions);

    layout->addWidget(new QLabel(QStringLiteral("<b>Links</b> (%1 ft a pixel of the diagram; "
                                                "travel time each way at its own speed)")
                                     .arg(FeetPerPixel)));
    QStringList links;
    for (int k = 1; k <= LinkCount; ++k) {
        links << LinkCaption(k);
    }
    FLinkGrid =
        new TReportTable({"Length\nft", "Southbound\ns", "Northbound\ns"}, links, LinkCount, this);
    layout->addWidget(FLinkGrid, 0, Qt::AlignLeft);

    layout->addWidget(
        new QLabel("<b>Progression band</b> (efficiency: width over JCT #1's cycle)"));
    FBandGrid = new TReportTable({"Width\ns", "Efficiency\n%", "Starts at\ns"},
                                 {"Southbound (from JCT #1)", "Northbound (from JCT #6)"}, 2, this);
    layout->addWidget(FBandGrid, 0, Qt::AlignLeft);

    layout->addWidget(new QLabel("<b>Simulation</b> beside TimeSpace's own figures"));
    FSimulationNote = new QLabel(this);
    layout->addWidget(FSimulationNote);
    FSimulationGrid = new TReportTable(
        {"Stops/veh\nTimeSpace", "Stops/veh\nsimulated", "Stops/veh\nrange",
         "Stops/veh\n95 % interval", "Delay/veh s\nTimeSpace", "Delay/veh s\nsimulated",
         "Delay/veh s\nrange", "Delay/veh s\n95 % interval", "Queues grow\nTimeSpace",
         "Queues grow\nsimulated", "Vehicles\nsimulated"},
        {"Southbound", "Northbound"}, 2, this);
    layout->addWidget(FSimulationGrid, 0, Qt::AlignLeft);
    layout->addStretch();

    connect(Document, &TArterialDocument::Recomputed, this, &TJunctionReport::Recomputed);
    connect(Document, &TArterialDocument::SimulationChanged, this,
            &TJunctionReport::SimulationChanged);
    Refresh();
}

void TJunctionReport::PutNumber(TReportTable *Table, int Row, int Column, double Value,
                                int Decimals) {
    if (Table->Holds(Row, Column, Value, Decimals)) {
        return;
    }
    QString text;
    if (Decimals < 0) {
        text = Decimal(static_cast<int>(Value));
    } else {
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        text = locale.toString(Value, 'f', Decimals);
    }
    Put(Table, Row, Column, text);
    Table->SetNumber(Row, Column, Value, Decimals);
}

void TJunctionReport::Put(TReportTable *Table, int Row, int Column, const QString &Text) {
    if (Table->SetText(Row, Column, Text)) {
        ++FWritten;
    }
}

QString TJunctionReport::Text(int Row, Column Which) const {
    return FJunctions->Text(Row, Which);
}

QString TJunctionReport::LinkText(int Link, LinkColumn Which) const {
    return FLinkGrid->Text(Link - 1, Which);
}

QString TJunctionReport::BandText(int Row, BandColumn Which) const {
    return FBandGrid->Text(Row, Which);
}

QString TJunctionReport::SimulationText(int Row, SimulationColumn Which) const {
    return FSimulationGrid->Text(Row, Which);
}

bool TJunctionReport::SimulationShown() const {
    return !FSimulationGrid->isHidden();
}

QString TJunctionReport::SimulationNote() const {
    return FSimulationNote->text();
}

void TJunctionReport::showEvent(QShowEvent *Event) {
    QWidget::showEvent(Event);
    if (FStale) {
        Refresh();
    }
}

void TJunctionReport::Recomputed() {
    FStale = true;
    if (isVisible()) {
        Refresh();
    }
}

void TJunctionReport::SimulationChanged() {
    Recomputed();
}

void TJunctionReport::Refresh() {
    FStale = false;
    ++FUpdates;
    RefreshJunctions();
    RefreshLinks();
    RefreshBands();
    RefreshSimulation();
}

void TJunctionReport::RefreshJunctions() {
    const auto failure = [](bool fails) { return fails ? QStringLiteral("fails") : QString(); };

    const ArterialPlan &plan = FDocument->Plan();
    const ArterialEvaluation &result = FDocument->Result();
    int feetSouth = 0;
    int feetNorth = 0;
    double vehiclesSouth = 0.0;
    double vehiclesNorth = 0.0;
    const auto perVehicle = [](const DirectionAtJunction &at, int flow) {
        return flow > 0 ? static_cast<double>(at.Delay) / flow : 0.0;
    };
    for (int k = 1; k <= JunctionCount; ++k) {
        const JunctionSignal &signal = plan.Signals[k];
        const JunctionEvaluation &junction = result.Junctions[k];
        const DirectionAtJunction &south = junction.South;
        const DirectionAtJunction &north = junction.North;
        const int r = k - 1;
        feetSouth += south.QueueFeet;
        feetNorth += north.QueueFeet;
        vehiclesSouth += south.QueueVehicles;
        vehiclesNorth += north.QueueVehicles;
        PutNumber(FJunctions, r, Cycle, signal.CycleTime, -1);
        PutNumber(FJunctions, r, Offset, signal.CycleOffset, -1);
        PutNumber(FJunctions, r, Green, signal.Times.Green, -1);
        PutNumber(FJunctions, r, Yellow, signal.Times.Yellow, -1);
        PutNumber(FJunctions, r, Red, signal.Times.Red, -1);
        PutNumber(FJunctions, r, Capacity, junction.Capacity, -1);
        PutNumber(FJunctions, r, FlowSouth, south.Flow, 0);
        PutNumber(FJunctions, r, FlowNorth, north.Flow, 0);
        PutNumber(FJunctions, r, SaturationSouth, south.Saturation, 2);
        PutNumber(FJunctions, r, SaturationNorth, north.Saturation, 2);

        PutNumber(FJunctions, r, QueueFeetSouth, south.QueueFeet, -1);
        PutNumber(FJunctions, r, QueueVehiclesSouth, south.QueueVehicles, 1);
        PutNumber(FJunctions, r, QueueFeetNorth, north.QueueFeet, -1);
        PutNumber(FJunctions, r, QueueVehiclesNorth, north.QueueVehicles, 1);

        // The measures, term by term.
        PutNumber(FJunctions, r, StopsSouth, south.Passage.Stops, 2);
        PutNumber(FJunctions, r, DelaySouth, perVehicle(south, result.South.Flow), 2);
        PutNumber(FJunctions, r, StopsNorth, north.Passage.Stops, 2);
        PutNumber(FJunctions, r, DelayNorth, perVehicle(north, result.North.Flow), 2);
        Put(FJunctions, r, FailureSouth, failure(south.Passage.CycleFailure));
        Put(FJunctions, r, FailureNorth, failure(north.Passage.CycleFailure));

        const LevelOfService losSouth = LevelOfServiceAt(south);
        const LevelOfService losNorth = LevelOfServiceAt(north);
        PutNumber(FJunctions, r, LosDelaySouth, losSouth.DelaySeconds, 1);
        Put(FJunctions, r, LosSouth, QString(QLatin1Char(ServiceLevelLetter(losSouth.Level))));
        PutNumber(FJunctions, r, LosDelayNorth, losNorth.DelaySeconds, 1);
        Put(FJunctions, r, LosNorth, QString(QLatin1Char(ServiceLevelLetter(losNorth.Level))));
    }

    // The total row: the window's captions as they are written, and northbound the same.
    const QLocale captions;
    const std::string point = captions.decimalPoint().toStdString();
    const std::string group = captions.groupSeparator().toStdString();
    const auto totals = [&](const DirectionMeasures &measures, Column stops, Column delay) {
        QString delayText =
            QString::fromStdString(FormatDelayPerVeh(measures.Delay.Value, point, group));
        if (measures.Delay.Unit) {
            delayText += QLatin1Char(' ') + FromView(DelayUnitCaption(*measures.Delay.Unit));
        }
        const QString stopsText = QString::fromStdString(FormatArtStops(measures.Stops, point));
        Put(FJunctions, TotalRow, stops, measures.Bounded() ? stopsText : Unbounded);
        Put(FJunctions, TotalRow, delay, measures.Bounded() ? delayText : Unbounded);
    };
    totals(result.South, StopsSouth, DelaySouth);
    totals(result.North, StopsNorth, DelayNorth);
    PutNumber(FJunctions, TotalRow, QueueFeetSouth, feetSouth, -1);
    PutNumber(FJunctions, TotalRow, QueueVehiclesSouth, vehiclesSouth, 1);
    PutNumber(FJunctions, TotalRow, QueueFeetNorth, feetNorth, -1);
    PutNumber(FJunctions, TotalRow, QueueVehiclesNorth, vehiclesNorth, 1);
    Put(FJunctions, TotalRow, FailureSouth, failure(result.South.Failure));
    Put(FJunctions, TotalRow, FailureNorth, failure(result.North.Failure));
}

void TJunctionReport::RefreshLinks() {
    for (int k = 1; k <= LinkCount; ++k) {
        const LinkMeasure &link = FDocument->Result().LinkMeasures[k];
        PutNumber(FLinkGrid, k - 1, LinkFeet, link.Feet, -1);
        PutNumber(FLinkGrid, k - 1, LinkSouthbound, link.SouthboundSeconds, -1);
        PutNumber(FLinkGrid, k - 1, LinkNorthbound, link.NorthboundSeconds, -1);
    }
}

void TJunctionReport::RefreshBands() {
    FBands = FDocument->Result().Bands;
    const auto row = [&](int Row, const ProgressionBand &Band) {
        PutNumber(FBandGrid, Row, BandWidth, Band.Width, -1);
        PutNumber(FBandGrid, Row, BandEfficiency, Band.Efficiency, 1);
        Put(FBandGrid, Row, BandStart,
            Band.Exists() ? Decimal(Band.Start) : QStringLiteral("none"));
    };
    row(SouthboundRow, FBands.Southbound);
    row(NorthboundRow, FBands.Northbound);
}

void TJunctionReport::RefreshSimulation() {
    const std::optional<SimulationSet> &simulation = FDocument->Simulation();
    // The simulator's figures belong to the arterial they were made for: beside another
    // timing or traffic they would compare what was never simulated.
    const bool current = FDocument->SimulationCurrent();
    FSimulationGrid->setVisible(current);
    if (!simulation) {
        FSimulationNote->setText("No simulation has run yet.");
        return;
    }
    if (!current) {
        FSimulationNote->setText(
            "The last simulation was made for other timings or traffic than these, so its "
            "figures are not shown; simulate again (Ctrl+M) to compare.");
        return;
    }
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const std::int32_t runs = static_cast<std::int32_t>(simulation->Runs.size());
    const DirectionSpread south = SpreadOf(*simulation, true);
    const DirectionSpread north = SpreadOf(*simulation, false);
    const SimulationFigures first = runs > 0 ? simulation->Runs.front() : SimulationFigures{};
    QString stopped;
    if (runs == 1 && first.Southbound.Unfinished + first.Northbound.Unfinished > 0) {
        stopped = QStringLiteral(" or the run stopped at %1 s (%2 had not left)")
                      .arg(locale.toString(first.StoppedAt, 'f', 0))
                      .arg(first.Southbound.Unfinished + first.Northbound.Unfinished);
    } else if (runs > 1 && south.UnfinishedRuns + north.UnfinishedRuns > 0) {
        stopped = QStringLiteral(" or the run stopped at %1 s (in some runs some had not left)")
                      .arg(locale.toString(first.StoppedAt, 'f', 0));
    }
    FSimulationNote->setText(
        QStringLiteral("The last simulation (%1) measured %2 s and followed its vehicles until "
                       "they left the arterial%3.%4")
            .arg(SimulationText::Choice(simulation->Choice),
                 locale.toString(first.SimulatedSeconds, 'f', 0), stopped,
                 runs > 1 ? QStringLiteral(" The simulated figures are the means over the runs, "
                                           "with their range and the 95 % interval of the mean.")
                          : QString()));

    // TimeSpace's figures are the evaluation's measures of each direction (the delay here in
    // seconds): southbound the window's captions, northbound the same rules.
    const ArterialEvaluation &result = FDocument->Result();
    const auto failingAt = [&result](bool Southbound) {
        std::vector<std::int32_t> junctions;
        for (int k = 1; k <= JunctionCount; ++k) {
            const DirectionAtJunction &at =
                Southbound ? result.Junctions[k].South : result.Junctions[k].North;
            if (at.Passage.CycleFailure) {
                junctions.push_back(k);
            }
        }
        return junctions;
    };
    const auto row = [&](int Row, const DirectionMeasures &Own, const DirectionSpread &Run) {
        const bool fails = Own.Failure;
        const bool counted = Run.Stops.Runs > 0;
        Put(FSimulationGrid, Row, StopsTimeSpace,
            fails ? Unbounded : locale.toString(Own.Stops, 'f', 2));
        Put(FSimulationGrid, Row, StopsSimulated,
            counted ? locale.toString(Run.Stops.Mean, 'f', 2) : QString());
        Put(FSimulationGrid, Row, StopsRange, SimulationText::Range(Run.Stops, 2));
        Put(FSimulationGrid, Row, StopsInterval, SimulationText::Interval(Run.Stops, 2));
        Put(FSimulationGrid, Row, DelayTimeSpace,
            fails ? Unbounded : locale.toString(Own.DelaySeconds, 'f', 1));
        Put(FSimulationGrid, Row, DelaySimulated,
            counted ? locale.toString(Run.Delay.Mean, 'f', 1) : QString());
        Put(FSimulationGrid, Row, DelayRange, SimulationText::Range(Run.Delay, 1));
        Put(FSimulationGrid, Row, DelayInterval, SimulationText::Interval(Run.Delay, 1));
        Put(FSimulationGrid, Row, GrowTimeSpace,
            fails ? Where(failingAt(Row == SouthboundRow)) : QStringLiteral("no"));
        const DirectionSimulation &single =
            Row == SouthboundRow ? first.Southbound : first.Northbound;
        Put(FSimulationGrid, Row, GrowSimulated,
            runs > 1            ? SimulationText::Growth(Run, runs)
            : single.QueuesGrow ? Where(single.GrowingAt)
                                : QStringLiteral("no"));
        Put(FSimulationGrid, Row, VehiclesSimulated,
            Run.Vehicles.Least == Run.Vehicles.Greatest
                ? Decimal(static_cast<int>(Run.Vehicles.Least))
                : locale.toString(Run.Vehicles.Mean, 'f', 1));
    };
    row(SouthboundRow, result.South, south);
    row(NorthboundRow, result.North, north);
}
