#include "analysis/DiagramDrawing.h"

#include "model/Band.h"
#include "model/Diagram.h"
#include "model/Measures.h"
#include "model/Numbers.h"
#include "model/SignalTiming.h"
#include "model/Travel.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QSvgGenerator>

#include <algorithm>
#include <optional>

namespace {

// The drawing's margins, in its own units.
constexpr double ScaleWidth = 52.0;  // the distance scale's figures and its line
constexpr double NumberWidth = 20.0; // the junction numbers
constexpr double DiagramLeft = ScaleWidth + NumberWidth;
constexpr double DiagramTop = 8.0;
constexpr double PlanGap = 8.0;
constexpr double PlanWidth = 28.0;
constexpr double RightMargin = 6.0;
constexpr double LegendHeight = 34.0;
constexpr double TraceCaptionHeight = 14.0; // the line that says what the simulated lines are
constexpr double BottomMargin = 4.0;

const QColor Ink{0, 0, 0};
const QColor GreenFill{0, 160, 0};
const QColor YellowFill{255, 220, 0};
const QColor RedFill{230, 0, 0};
// Light enough that the hatching and the strips stay readable through them.
const QColor SouthFill{0, 128, 128, 70};
const QColor NorthFill{128, 128, 128, 70};
const QColor QueueFill{40, 40, 40, 200};
const QColor SouthBandLine{255, 0, 255};
const QColor NorthBandLine{255, 140, 0};

enum class Hatch { None, Cross, Forward, Backward };

QFont DrawingFont(double Pixels) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, int(Pixels)));
    return font;
}

// The strips' tops as the plan's link spans give them back: a span runs from the link's top to
// the middle of the strip below it.
PerJunction<double> StripTops(const ArterialPlan &Plan) {
    const std::int32_t half = Trunc(static_cast<Extended>(StripHeight) / 2.0L);
    PerJunction<double> tops{};
    double top = 0.0;
    for (int k = 1; k <= JunctionCount; ++k) {
        top += (k == 1 ? 0 : StripHeight) + Plan.SpanPixels[k] - half;
        tops[k] = top;
    }
    return tops;
}

double LinkTop(const PerJunction<double> &Tops, int Link) {
    return Link == 1 ? 0.0 : Tops[Link - 1] + StripHeight;
}

// The part of a segment inside a convex polygon (Cyrus-Beck), so that hatching needs no clip
// path, which not every vector device keeps.
std::optional<QLineF> ClipToConvex(const QLineF &Line, const QPolygonF &Shape) {
    const qsizetype n = Shape.size();
    if (n < 3) {
        return std::nullopt;
    }
    double area = 0.0;
    for (qsizetype i = 0; i < n; ++i) {
        const QPointF a = Shape[i];
        const QPointF b = Shape[(i + 1) % n];
        area += a.x() * b.y() - b.x() * a.y();
    }
    const double orientation = area >= 0.0 ? 1.0 : -1.0;
    double enter = 0.0;
    double leave = 1.0;
    const QPointF d = Line.p2() - Line.p1();
    for (qsizetype i = 0; i < n; ++i) {
        const QPointF a = Shape[i];
        const QPointF b = Shape[(i + 1) % n];
        const QPointF edge = b - a;
        // Inside lies to the left of each edge for a positive orientation.
        const QPointF normal(-edge.y() * orientation, edge.x() * orientation);
        const double numerator = QPointF::dotProduct(Line.p1() - a, normal);
        const double denominator = QPointF::dotProduct(d, normal);
        if (denominator == 0.0) {
            if (numerator < 0.0) {
                return std::nullopt;
            }
            continue;
        }
        const double t = -numerator / denominator;
        if (denominator > 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
        if (enter > leave) {
            return std::nullopt;
        }
    }
    return QLineF(Line.pointAt(enter), Line.pointAt(leave));
}

void HatchShape(QPainter &Painter, const QPolygonF &Shape, Hatch Kind, double Spacing) {
    if (Kind == Hatch::None) {
        return;
    }
    const QRectF box = Shape.boundingRect();
    const double h = box.height();
    const auto lines = [&](bool Rising) {
        for (double c = box.left() - h; c <= box.right(); c += Spacing) {
            const QLineF line = Rising ? QLineF(c, box.bottom(), c + h, box.top())
                                       : QLineF(c, box.top(), c + h, box.bottom());
            if (const std::optional<QLineF> inside = ClipToConvex(line, Shape)) {
                if (inside->length() > 0.0) {
                    Painter.drawLine(*inside);
                }
            }
        }
    };
    Painter.setPen(QPen(Ink, 0.35));
    if (Kind == Hatch::Cross || Kind == Hatch::Forward) {
        lines(true);
    }
    if (Kind == Hatch::Cross || Kind == Hatch::Backward) {
        lines(false);
    }
}

// A convex shape filled, hatched and outlined, cut to the diagram's area.
void DrawShape(QPainter &Painter, const QPolygonF &Shape, const QRectF &Area, const QColor &Fill,
               Hatch Kind, double Spacing, bool Outline) {
    QPolygonF inside = Shape.intersected(QPolygonF(Area));
    if (inside.size() > 1 && inside.first() == inside.last()) {
        inside.removeLast();
    }
    if (inside.size() < 3) {
        return;
    }
    Painter.setPen(Outline ? QPen(Fill.darker(150), 0.3) : QPen(Qt::NoPen));
    Painter.setBrush(Fill);
    Painter.drawPolygon(inside);
    Painter.setBrush(Qt::NoBrush);
    HatchShape(Painter, inside, Kind, Spacing);
}

void DrawDots(QPainter &Painter, const QRectF &Rect) {
    Painter.setPen(QPen(Ink, 0.8, Qt::SolidLine, Qt::RoundCap));
    for (double y = Rect.top() + 1.5; y < Rect.bottom(); y += 2.5) {
        for (double x = Rect.left() + 1.0; x < Rect.right(); x += 2.0) {
            Painter.drawPoint(QPointF(x, y));
        }
    }
}

void DrawStrip(QPainter &Painter, const JunctionSignal &Signal, double Top, const QRectF &Area) {
    const std::int32_t cycle = Signal.CycleTime;
    if (cycle <= 0) {
        return;
    }
    const std::int32_t bands = DrawnBandCount(StripWidth, cycle);
    const auto part = [&](double From, double To, const QColor &Fill, Hatch Kind, bool Dots) {
        const QRectF rect =
            QRectF(QPointF(Area.left() + From, Top), QPointF(Area.left() + To, Top + StripHeight))
                .intersected(Area);
        if (rect.width() <= 0.0) {
            return;
        }
        DrawShape(Painter, QPolygonF(rect), Area, Fill, Kind, 2.5, false);
        if (Dots) {
            DrawDots(Painter, rect);
        }
    };
    for (std::int32_t i = 0; i <= bands + 1; ++i) {
        const double start = (i - 1) * cycle + Signal.CycleOffset;
        const double stop = i * cycle + Signal.CycleOffset;
        part(start, start + Signal.Times.Green, GreenFill, Hatch::None, false);
        part(start + Signal.Times.Green, stop - Signal.Times.Red, YellowFill, Hatch::None, true);
        part(stop - Signal.Times.Red, stop, RedFill, Hatch::Cross, false);
    }
    Painter.setPen(QPen(Ink, 0.4));
    Painter.setBrush(Qt::NoBrush);
    Painter.drawRect(QRectF(Area.left(), Top, StripWidth, StripHeight));
}

void DrawLinkBands(QPainter &Painter, const LinkSets &Sets, double Top, double Span,
                   const QRectF &Area) {
    const double x = Area.left();
    for (int s = 1; s <= MaxPlatoons; ++s) {
        if (Sets.FwInput.Size[s] > 0 && Sets.FwInput.Start[s] < StripWidth) {
            const double start = x + Sets.FwInput.Start[s];
            const double arrival = x + Sets.FwOutput.Start[s];
            const double size = Sets.FwInput.Size[s];
            DrawShape(Painter,
                      QPolygonF({QPointF(start, Top), QPointF(arrival, Top + Span),
                                 QPointF(arrival + size, Top + Span), QPointF(start + size, Top)}),
                      Area, SouthFill, Hatch::Backward, 4.0, true);
        }
        if (Sets.BkInput.Size[s] > 0 && Sets.BkInput.Start[s] < StripWidth) {
            const double start = x + Sets.BkInput.Start[s];
            const double arrival = x + Sets.BkOutput.Start[s];
            const double size = Sets.BkInput.Size[s];
            DrawShape(Painter,
                      QPolygonF({QPointF(start, Top + Span), QPointF(arrival, Top),
                                 QPointF(arrival + size, Top), QPointF(start + size, Top + Span)}),
                      Area, NorthFill, Hatch::Forward, 4.0, true);
        }
    }
}

void DrawQueues(QPainter &Painter, const PlatoonSet &Queues, bool Southbound, std::int32_t Speed,
                double Top, double Span, const QRectF &Area) {
    const double x = Area.left();
    for (int s = 1; s <= MaxPlatoons; ++s) {
        const std::int32_t arrivalEnd = Queues.Start[s];
        const std::int32_t dischargeEnd = Queues.Size[s];
        if (dischargeEnd <= arrivalEnd) {
            continue;
        }
        const QueueShape queue = QueueShapeOf(arrivalEnd, dischargeEnd, Speed);
        const double stopLine = Southbound ? Top + Span : Top;
        const double back = Southbound ? Top + Span - queue.Pixels : Top + queue.Pixels;
        DrawShape(Painter,
                  QPolygonF({QPointF(x + arrivalEnd, stopLine), QPointF(x + dischargeEnd, stopLine),
                             QPointF(x + dischargeEnd - queue.DriveTime, back),
                             QPointF(x + arrivalEnd - queue.DriveTime, back)}),
                  Area, QueueFill, Hatch::None, 0.0, false);
    }
}

void DrawBandEdges(QPainter &Painter, const ProgressionBand &Band, const PerJunction<double> &Tops,
                   const QRectF &Area, const QPen &Pen) {
    if (!Band.Exists()) {
        return;
    }
    Painter.setPen(Pen);
    for (const std::int32_t edge : {0, Band.Width}) {
        // Each stretch between two junctions, cut where it leaves the time axis, as the window's
        // panel cuts the overlay's lines.
        for (int k = 1; k < JunctionCount; ++k) {
            QPointF from(Area.left() + Band.StartAt(k) + edge, Tops[k] + StripHeight / 2.0);
            QPointF to(Area.left() + Band.StartAt(k + 1) + edge, Tops[k + 1] + StripHeight / 2.0);
            if (from.x() > Area.right() && to.x() > Area.right()) {
                continue;
            }
            const auto cut = [&Area](QPointF &outside, const QPointF &inside) {
                if (outside.x() > Area.right()) {
                    const double share = (Area.right() - inside.x()) / (outside.x() - inside.x());
                    outside = inside + (outside - inside) * share;
                }
            };
            cut(from, to);
            cut(to, from);
            Painter.drawLine(from, to);
        }
    }
}

void DrawPlanView(QPainter &Painter, const ArterialEvaluation &Result,
                  const PerJunction<double> &Tops, const QRectF &Area) {
    const double left = Area.right() + PlanGap;
    const double middle = left + PlanWidth / 2.0;
    const QRectF road(left, Area.top(), PlanWidth, Area.height());
    Painter.setPen(QPen(Ink, 0.5));
    Painter.setBrush(Qt::NoBrush);
    Painter.drawLine(road.topLeft(), road.bottomLeft());
    Painter.drawLine(road.topRight(), road.bottomRight());
    Painter.setPen(QPen(Ink, 0.4, Qt::DashLine));
    Painter.drawLine(QPointF(middle, road.top()), QPointF(middle, road.bottom()));
    for (int k = 1; k <= LinkCount; ++k) {
        const double top = LinkTop(Tops, k);
        const double bottom = k <= JunctionCount ? Tops[k] : Area.bottom();
        // Southbound queues back up from the stop line above the junction, northbound ones from
        // the stop line below the junction above.
        const double south = QueueBarLength(Result.Links[k].FwQueues);
        const double north = QueueBarLength(Result.Links[k].BkQueues);
        if (south > 0 && k <= JunctionCount) {
            DrawShape(Painter,
                      QPolygonF(QRectF(left + 1, bottom - south, middle - left - 1, south)), road,
                      SouthFill, Hatch::Backward, 3.0, true);
        }
        if (north > 0 && k > 1) {
            DrawShape(Painter, QPolygonF(QRectF(middle, top, middle - left - 1, north)), road,
                      NorthFill, Hatch::Forward, 3.0, true);
        }
    }
    Painter.setPen(QPen(Ink, 2.0));
    for (int k = 1; k <= JunctionCount; ++k) {
        const double y = Tops[k] + StripHeight / 2.0;
        Painter.drawLine(QPointF(left - 2, y), QPointF(road.right() + 2, y));
    }
}

void DrawScale(QPainter &Painter, const QRectF &Area) {
    const double x = Area.left() - NumberWidth - 4.0;
    Painter.setPen(QPen(Ink, 0.5));
    Painter.drawLine(QPointF(x, Area.top()), QPointF(x, Area.bottom()));
    Painter.setFont(DrawingFont(7));
    // A tick every 1000 ft, a figure every 2000 ft, at FeetPerPixel feet a unit.
    for (int feet = 0; feet / FeetPerPixel <= Area.height(); feet += 1000) {
        const double y = Area.top() + double(feet) / FeetPerPixel;
        const bool labelled = feet % 2000 == 0;
        Painter.drawLine(QPointF(x - (labelled ? 5.0 : 3.0), y), QPointF(x, y));
        if (labelled) {
            Painter.drawText(QRectF(0, y - 5, x - 6.0, 10), Qt::AlignRight | Qt::AlignVCenter,
                             QStringLiteral("%1 ft").arg(feet));
        }
    }
    Painter.save();
    Painter.translate(6.0, Area.center().y());
    Painter.rotate(-90);
    Painter.drawText(QRectF(-60, -5, 120, 10), Qt::AlignCenter,
                     QStringLiteral("distance (%1 ft per unit)").arg(FeetPerPixel));
    Painter.restore();
}

void DrawTrajectories(QPainter &Painter, const TrajectoryView &View,
                      const PerJunction<double> &Tops, const QRectF &Area) {
    // Junctions on the strips' middle rows, as the overlay puts them.
    PerJunction<double> rows{};
    for (int k = 1; k <= JunctionCount; ++k) {
        rows[k] = Tops[k] + StripHeight / 2.0;
    }
    const QPen south(SouthboundTraceColour, 0.6);
    const QPen north(NorthboundTraceColour, 0.6);
    for (const TracePath &path : TracePaths(View, rows, Area)) {
        Painter.setPen(path.Southbound ? south : north);
        Painter.drawPolyline(path.Points);
    }
}

void DrawLegend(QPainter &Painter, QPointF At, const std::optional<TrajectoryView> &Trajectories) {
    Painter.setFont(DrawingFont(7));
    const QFontMetricsF metrics(Painter.font());
    double x = At.x();
    double y = At.y();
    const auto entry = [&](const QString &Name, const auto &DrawSwatch) {
        const double width = 14.0 + 3.0 + metrics.horizontalAdvance(Name) + 12.0;
        if (x + width > At.x() + 520.0) {
            x = At.x();
            y += 14.0;
        }
        const QRectF swatch(x, y, 14.0, 9.0);
        DrawSwatch(swatch);
        Painter.setPen(Ink);
        Painter.drawText(QRectF(x + 17.0, y - 2.0, width, 13.0), Qt::AlignLeft | Qt::AlignVCenter,
                         Name);
        x += width;
    };
    const auto filled = [&](const QColor &Fill, Hatch Kind, double Spacing, bool Dots) {
        return [&Painter, Fill, Kind, Spacing, Dots](const QRectF &Swatch) {
            DrawShape(Painter, QPolygonF(Swatch), Swatch.adjusted(-1, -1, 1, 1), Fill, Kind,
                      Spacing, true);
            if (Dots) {
                DrawDots(Painter, Swatch);
            }
        };
    };
    const auto line = [&](const QPen &Pen) {
        return [&Painter, Pen](const QRectF &Swatch) {
            Painter.setPen(Pen);
            Painter.drawLine(QPointF(Swatch.left(), Swatch.center().y()),
                             QPointF(Swatch.right(), Swatch.center().y()));
        };
    };
    entry(QStringLiteral("green (plain)"), filled(GreenFill, Hatch::None, 0, false));
    entry(QStringLiteral("yellow (dotted)"), filled(YellowFill, Hatch::None, 0, true));
    entry(QStringLiteral("red (cross-hatched)"), filled(RedFill, Hatch::Cross, 2.5, false));
    entry(QStringLiteral("southbound platoon (\\\\\\)"),
          filled(SouthFill, Hatch::Backward, 4, false));
    entry(QStringLiteral("northbound platoon (///)"), filled(NorthFill, Hatch::Forward, 4, false));
    entry(QStringLiteral("queue (dark)"), filled(QueueFill, Hatch::None, 0, false));
    entry(QStringLiteral("SB band edge (dashed)"), line(QPen(SouthBandLine, 1.0, Qt::DashLine)));
    entry(QStringLiteral("NB band edge (dash-dot)"),
          line(QPen(NorthBandLine, 1.0, Qt::DashDotLine)));
    if (Trajectories) {
        entry(QStringLiteral("SB simulated vehicle (blue)"),
              line(QPen(SouthboundTraceColour, 1.0)));
        entry(QStringLiteral("NB simulated vehicle (brown)"),
              line(QPen(NorthboundTraceColour, 1.0)));
        Painter.setPen(Ink);
        Painter.drawText(QRectF(At.x(), y + 12.0, 520.0, 13.0), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Simulated vehicles: ") + Trajectories->Caption);
    }
}

} // namespace

QSizeF DiagramDrawingSize(const DiagramDrawingOptions &Options) {
    return {DiagramLeft + StripWidth + PlanGap + PlanWidth + RightMargin,
            DiagramTop + PanelHeight + TimeAxisHeight + (Options.Legend ? LegendHeight : 0.0) +
                (Options.Legend && Options.Trajectories ? TraceCaptionHeight : 0.0) + BottomMargin};
}

void DrawTimeAxis(QPainter &Painter, QPointF Origin, int Seconds) {
    Painter.save();
    Painter.setPen(QPen(Ink, 0.5));
    Painter.setFont(DrawingFont(7));
    Painter.drawLine(Origin, Origin + QPointF(Seconds, 0));
    for (int s = 0; s <= Seconds; s += 10) {
        const bool labelled = s % 50 == 0;
        const QPointF at = Origin + QPointF(s, 0);
        Painter.drawLine(at, at + QPointF(0, labelled ? 5.0 : 3.0));
        if (labelled) {
            Painter.drawText(QRectF(at.x() - 15, at.y() + 5, 30, 9), Qt::AlignCenter,
                             QString::number(s));
        }
    }
    Painter.drawText(QRectF(Origin.x(), Origin.y() + 14, Seconds, 10), Qt::AlignCenter,
                     QStringLiteral("time (s), 1 s per unit"));
    Painter.restore();
}

QString MeasuresLine(const DirectionMeasures &Measures, bool Southbound) {
    const QString direction =
        Southbound ? QStringLiteral("Southbound") : QStringLiteral("Northbound");
    if (!Measures.Bounded()) {
        const QString unbounded =
            QString::fromUtf8(UnboundedCaption.data(), qsizetype(UnboundedCaption.size()));
        return QStringLiteral("%1: stops %2, delay %2 (a junction's cycle fails)")
            .arg(direction, unbounded);
    }
    const std::string_view unit =
        DelayUnitCaption(Measures.Delay.Unit.value_or(DelayUnit::Seconds));
    return QStringLiteral("%1: stops %2 per vehicle, delay %3 %4 per vehicle")
        .arg(direction, QString::fromStdString(FormatArtStops(Measures.Stops, ".")),
             QString::fromStdString(FormatDelayPerVeh(Measures.Delay.Value, ".", ",")),
             QString::fromUtf8(unit.data(), qsizetype(unit.size())));
}

void DrawDiagram(QPainter &Painter, const QRectF &Target, const ArterialPlan &Plan,
                 const ArterialEvaluation &Result, const DiagramDrawingOptions &Options) {
    const QSizeF size = DiagramDrawingSize(Options);
    const double scale = std::min(Target.width() / size.width(), Target.height() / size.height());
    if (!(scale > 0.0)) {
        return;
    }
    Painter.save();
    Painter.setRenderHint(QPainter::Antialiasing, true);
    Painter.translate(Target.center());
    Painter.scale(scale, scale);
    Painter.translate(-size.width() / 2.0, -size.height() / 2.0);

    const QRectF area(DiagramLeft, DiagramTop, StripWidth, PanelHeight);
    const PerJunction<double> tops = [&] {
        PerJunction<double> local = StripTops(Plan);
        for (double &top : local) {
            top += area.top();
        }
        return local;
    }();
    Painter.fillRect(area, Qt::white);

    for (int k = 1; k <= LinkCount; ++k) {
        const double top = LinkTop(tops, k) + (k == 1 ? area.top() : 0.0);
        DrawLinkBands(Painter, Result.Links[k], top, Plan.SpanPixels[k], area);
    }
    for (int k = 1; k <= LinkCount; ++k) {
        const double top = LinkTop(tops, k) + (k == 1 ? area.top() : 0.0);
        DrawQueues(Painter, Result.Links[k].FwQueues, true, Plan.SouthSpeedMph, top,
                   Plan.SpanPixels[k], area);
        DrawQueues(Painter, Result.Links[k].BkQueues, false, Plan.NorthSpeedMph, top,
                   Plan.SpanPixels[k], area);
    }
    for (int k = 1; k <= JunctionCount; ++k) {
        DrawStrip(Painter, Plan.Signals[k], tops[k], area);
    }
    if (Options.BandLines) {
        DrawBandEdges(Painter, Result.Bands.Southbound, tops, area,
                      QPen(SouthBandLine, 1.0, Qt::DashLine));
        DrawBandEdges(Painter, Result.Bands.Northbound, tops, area,
                      QPen(NorthBandLine, 1.0, Qt::DashDotLine));
    }
    if (Options.Trajectories) {
        DrawTrajectories(Painter, *Options.Trajectories, tops, area);
    }
    Painter.setPen(QPen(Ink, 0.5));
    Painter.setBrush(Qt::NoBrush);
    Painter.drawRect(area);

    Painter.setFont(DrawingFont(8));
    for (int k = 1; k <= JunctionCount; ++k) {
        Painter.drawText(
            QRectF(area.left() - NumberWidth, tops[k] - 2, NumberWidth - 2, StripHeight + 4),
            Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("#%1").arg(k));
    }
    DrawPlanView(Painter, Result, tops, area);
    DrawScale(Painter, area);
    DrawTimeAxis(Painter, area.bottomLeft(), StripWidth);
    if (Options.Legend) {
        DrawLegend(Painter, QPointF(8.0, area.bottom() + TimeAxisHeight + 6.0),
                   Options.Trajectories);
    }
    Painter.restore();
}

namespace {
constexpr double MeasuresLineHeight = 12.0;
}

QSizeF DiagramFigureSize(const DiagramDrawingOptions &Options) {
    const QSizeF diagram = DiagramDrawingSize(Options);
    return {diagram.width(), diagram.height() + 2 * MeasuresLineHeight + BottomMargin};
}

void DrawDiagramFigure(QPainter &Painter, QPointF At, const ArterialPlan &Plan,
                       const ArterialEvaluation &Result, const DiagramDrawingOptions &Options) {
    const QSizeF diagram = DiagramDrawingSize(Options);
    DrawDiagram(Painter, QRectF(At, diagram), Plan, Result, Options);
    Painter.save();
    Painter.setPen(Ink);
    Painter.setFont(DrawingFont(9));
    const QRectF line(At.x() + 8.0, At.y() + diagram.height(), diagram.width() - 16.0,
                      MeasuresLineHeight);
    Painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, MeasuresLine(Result.South, true));
    Painter.drawText(line.translated(0, MeasuresLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     MeasuresLine(Result.North, false));
    Painter.restore();
}

QByteArray DiagramFigureSvg(const ArterialPlan &Plan, const ArterialEvaluation &Result,
                            const QString &Title, const DiagramDrawingOptions &Options) {
    const QSizeF size = DiagramFigureSize(Options);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size.toSize());
    generator.setViewBox(QRectF(QPointF(0, 0), size));
    generator.setResolution(96);
    generator.setTitle(Title);
    generator.setDescription(QStringLiteral("Time-space diagram of the arterial's six junctions"));
    QPainter painter;
    if (!painter.begin(&generator)) {
        return {};
    }
    painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    DrawDiagramFigure(painter, QPointF(0, 0), Plan, Result, Options);
    painter.end();
    return bytes;
}

QImage DiagramFigureImage(const ArterialPlan &Plan, const ArterialEvaluation &Result, double Scale,
                          const DiagramDrawingOptions &Options) {
    const QSizeF size = DiagramFigureSize(Options) * Scale;
    QImage image(size.toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(Scale, Scale);
    DrawDiagramFigure(painter, QPointF(0, 0), Plan, Result, Options);
    painter.end();
    return image;
}
