#include "controls/TimeSpaceLink.h"

#include "model/Platoons.h"
#include "model/Travel.h"
#include "platform/Colors.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {
// floor(a / b) for b > 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The pixels of a one-pixel move-to/line-to from `from` to `to`: one per step along the major
// axis, the end point itself not painted (the next segment of a path starts there). The minor
// coordinate is the pixel nearest to the exact line, ties to the smaller coordinate whatever
// the direction, so a line and its reverse share their inner pixels.
template <typename Plot> void ForEachLinePixel(QPoint from, QPoint to, Plot plot) {
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const std::int64_t steps = xMajor ? std::abs(dx) : std::abs(dy);
    const int direction = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const std::int64_t minor = xMajor ? dy : dx;
    const std::int64_t minorStart = xMajor ? from.y() : from.x();
    const int majorStart = xMajor ? from.x() : from.y();
    if (steps == 0) {
        return;
    }
    // The exact minor coordinate is minorStart + i * minor / steps; the nearest pixel with ties
    // down is ceil(exact - 1/2) = ceil(twice / (2 * steps)) with twice = 2 * (minorStart *
    // steps + i * minor) - steps. The quotient and remainder of that division are carried from
    // pixel to pixel: twice grows by 2 * minor, never more than one divisor, per step.
    const std::int64_t divisor = 2 * steps;
    const std::int64_t growth = 2 * minor;
    const std::int64_t twice = 2 * minorStart * steps - steps;
    std::int64_t quotient = FloorDiv(twice, divisor);
    std::int64_t remainder = twice - quotient * divisor; // 0 <= remainder < divisor
    for (std::int64_t i = 0; i < steps; ++i) {
        const int nearest = static_cast<int>(quotient + (remainder != 0 ? 1 : 0));
        const int along = majorStart + direction * static_cast<int>(i);
        if (xMajor) {
            plot(along, nearest);
        } else {
            plot(nearest, along);
        }
        remainder += growth;
        if (remainder >= divisor) {
            remainder -= divisor;
            ++quotient;
        } else if (remainder < 0) {
            remainder += divisor;
            --quotient;
        }
    }
}

// The rows of a convex polygon's closed inside in the outline's convention, where pixel (x, y)
// is the point (x, y): every pixel whose point lies inside or on the outline, as one span a row,
// within [0, width) x [0, height). A polygon without area has no inside; its outline is all.
// The painter's own fill takes the pixel's centre, half a pixel off that point, and so leaves
// gaps between its fill and the outline wherever a side runs close to a pixel's centre.
template <typename Span>
void ForEachInsideSpan(const QPoint (&corners)[4], int width, int height, Span span) {
    std::int64_t twiceArea = 0;
    int top = corners[0].y();
    int bottom = top;
    for (int i = 0; i < 4; ++i) {
        const QPoint &a = corners[i];
        const QPoint &b = corners[(i + 1) % 4];
        twiceArea += std::int64_t(a.x()) * b.y() - std::int64_t(b.x()) * a.y();
        top = std::min(top, a.y());
        bottom = std::max(bottom, a.y());
    }
    if (twiceArea == 0) {
        return;
    }
    const std::int64_t turn = twiceArea > 0 ? 1 : -1;
    for (int y = std::max(top, 0); y <= std::min(bottom, height - 1); ++y) {
        std::int64_t first = 0;
        std::int64_t last = width - 1;
        // Each side keeps the points on its inner side: A x + B >= 0 along the row.
        for (int i = 0; i < 4 && first <= last; ++i) {
            const QPoint &a = corners[i];
            const QPoint &b = corners[(i + 1) % 4];
            const std::int64_t dx = b.x() - a.x();
            const std::int64_t dy = b.y() - a.y();
            const std::int64_t factor = -turn * dy;
            const std::int64_t offset = turn * (dx * (y - a.y()) + dy * a.x());
            if (factor > 0) {
                first = std::max(first, -FloorDiv(offset, factor));
            } else if (factor < 0) {
                last = std::min(last, FloorDiv(offset, -factor));
            } else if (offset < 0) {
                last = -1;
            }
        }
        if (first <= last) {
            span(y, static_cast<int>(first), static_cast<int>(last));
        }
    }
}

QPolygon LinePixels(QPoint from, QPoint to) {
    QPolygon pixels;
    pixels.reserve(std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y())));
    ForEachLinePixel(from, to, [&pixels](int x, int y) { pixels << QPoint(x, y); });
    return pixels;
}
} // namespace

TTimeSpaceLink::TTimeSpaceLink(QWidget *Owner)
    : TCachedPicture(Owner), FBackGroundColor(NamedColor::clBlack),
      FFwdLineColor(NamedColor::clWhite), FBckLineColor(NamedColor::clSilver) {
    resize(420, 132);
}

TTimeSpaceLink::~TTimeSpaceLink() = default;

int TTimeSpaceLink::HeightInFeet() const {
    return FeetPerPixel * height();
}

void TTimeSpaceLink::SetBackGroundColor(const QColor &Value) {
    FBackGroundColor = Value;
    Changed();
    update();
}

void TTimeSpaceLink::SetFwdSpeedMph(int Value) {
    if (Value > 0) {
        FFwdSpeedMph = Value;
        Changed();
    }
    update();
}

void TTimeSpaceLink::SetBackSpeedMph(int Value) {
    if (Value > 0) {
        FBackSpeedMph = Value;
        Changed();
    }
    update();
}

void TTimeSpaceLink::SetFillBand(bool Value) {
    FFillBand = Value;
    Changed();
}

void TTimeSpaceLink::SetFwdLineColor(const QColor &Value) {
    FFwdLineColor = Value;
    Changed();
    update();
}

void TTimeSpaceLink::SetBckLineColor(const QColor &Value) {
    FBckLineColor = Value;
    Changed();
    update();
}

void TTimeSpaceLink::SetLinePenWidth(int Value) {
    FLinePenWidth = Value;
    Changed();
    update();
}

void TTimeSpaceLink::SetTrafficLightHeight(int Value) {
    FTrafficLightHeight = Value;
    Changed();
}

// Storing a set runs the travel once, as the immediate repaint of a showing link does: the
// stored inputs are then merged the same number of times whether or not the link is shown.
// cppcheck-suppress passedByValue ; sets are passed by value, as everywhere
void TTimeSpaceLink::SetFwInput(PlatoonSet Value) {
    FSets.FwInput = Value;
    ComputeTravel();
    update();
}

// cppcheck-suppress passedByValue ; sets are passed by value, as everywhere
void TTimeSpaceLink::SetBkInput(PlatoonSet Value) {
    FSets.BkInput = Value;
    ComputeTravel();
    update();
}

// cppcheck-suppress passedByValue ; sets are passed by value, as everywhere
void TTimeSpaceLink::SetFwQueues(PlatoonSet Value) {
    FSets.FwQueues = Value;
    ComputeTravel();
    update();
}

// cppcheck-suppress passedByValue ; sets are passed by value, as everywhere
void TTimeSpaceLink::SetBkQueues(PlatoonSet Value) {
    FSets.BkQueues = Value;
    ComputeTravel();
    update();
}

int TTimeSpaceLink::TravelSpan() const {
    return ::TravelSpan(height(), FTrafficLightHeight);
}

LinkMeasure TTimeSpaceLink::Measure() const {
    return MeasureLink(TravelSpan(), FFwdSpeedMph, FBackSpeedMph);
}

void TTimeSpaceLink::ComputeTravel() {
    ComputeLinkTravel(FSets, Measure(), width());
    Changed();
}

void TTimeSpaceLink::SetSets(const LinkSets &Value) {
    FSets = Value;
    Changed();
    update();
}

PlatoonSet TTimeSpaceLink::TravelFw() {
    ComputeTravel();
    return FSets.FwOutput;
}

PlatoonSet TTimeSpaceLink::TravelBk() {
    ComputeTravel();
    return FSets.BkOutput;
}

void TTimeSpaceLink::Render(QImage &Picture, bool) {
    // Taken before the painter opens, so that nothing detaches the pixels under it; the raster
    // painter draws at once, so its fills and the lines written here stay in their order.
    QRgb *pixels = reinterpret_cast<QRgb *>(Picture.bits());
    QPainter painter(&Picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    Surface canvas{painter, pixels, Picture.bytesPerLine() / qsizetype(sizeof(QRgb)),
                   Picture.width(), Picture.height()};
    painter.fillRect(Picture.rect(), FBackGroundColor);
    for (int k = 1; k <= MaxPlatoons; ++k) {
        if (FSets.FwInput.Size[k] > 0 && FSets.FwInput.Start[k] < width()) {
            DrawBand(canvas, FSets.FwInput.Start[k], FSets.FwOutput.Start[k], FSets.FwInput.Size[k],
                     true);
        }
        if (FSets.BkInput.Size[k] > 0 && FSets.BkInput.Start[k] < width()) {
            DrawBand(canvas, FSets.BkInput.Start[k], FSets.BkOutput.Start[k], FSets.BkInput.Size[k],
                     false);
        }
    }
    // Queues lie over the bands.
    DrawQueues(canvas, FSets.FwQueues, true);
    DrawQueues(canvas, FSets.BkQueues, false);
}

void TTimeSpaceLink::DrawBand(const Surface &Canvas, int Start, int Arrival, int Size,
                              bool Forward) const {
    const int span = TravelSpan();
    // The band's head runs from where the platoon enters to where it arrives; its tail is the
    // same line shifted by the platoon's length.
    const QPoint p1 = Forward ? QPoint(Start, 0) : QPoint(Start, span);
    const QPoint p2 = Forward ? QPoint(Arrival, span) : QPoint(Arrival, 0);
    const QPoint p3(Start + Size, p1.y());
    const QPoint p4(Arrival + Size, p2.y());
    const QColor &colour = Forward ? FFwdLineColor : FBckLineColor;
    if (FFillBand) {
        DrawQuad(Canvas, {p1, p2, p4, p3}, colour);
    } else {
        DrawLine(Canvas, p1, p2, colour);
        DrawLine(Canvas, p3, p4, colour);
    }
}

void TTimeSpaceLink::DrawQueues(const Surface &Canvas, const PlatoonSet &Queues,
                                bool Forward) const {
    const int span = TravelSpan();
    const int speed = Forward ? FFwdSpeedMph : FBackSpeedMph;
    const QColor &colour = Forward ? FFwdLineColor : FBckLineColor;
    // Every slot is drawn: one that did not stop has both times 0 and covers nothing.
    for (int k = 1; k <= MaxPlatoons; ++k) {
        const int arrivalEnd = Queues.Start[k];
        const int dischargeEnd = Queues.Size[k];
        const QueueShape queue = QueueShapeOf(arrivalEnd, dischargeEnd, speed);
        const int stopLine = Forward ? span : 0;
        const int back = Forward ? span - queue.Pixels : queue.Pixels;
        const QPoint q1(arrivalEnd, stopLine);
        const QPoint q2(dischargeEnd, stopLine);
        const QPoint q3(dischargeEnd - queue.DriveTime, back);
        const QPoint q4(arrivalEnd - queue.DriveTime, back);
        if (FFillBand) {
            DrawQuad(Canvas, {q1, q2, q3, q4}, colour);
        } else {
            DrawLine(Canvas, q2, q3, colour);
            DrawLine(Canvas, q3, q4, colour);
            // The fourth side runs along the tail of the arriving band: erase that tail
            // inside the queue.
            DrawLine(Canvas, q4, q1, FBackGroundColor);
        }
    }
}

void TTimeSpaceLink::DrawQuad(const Surface &Canvas, const QPoint (&Corners)[4],
                              const QColor &Colour) const {
    // A polygon is its inside and its closed outline, here in one colour. The inside is taken
    // in the outline's own pixel convention, so the two meet without a gap, and the outline
    // adds every edge and corner pixel to it.
    const bool point =
        Corners[0] == Corners[1] && Corners[1] == Corners[2] && Corners[2] == Corners[3];
    if (point && FLinePenWidth <= 1) {
        // No inside, and one-pixel lines leave their end points out: nothing to draw. Most
        // queue slots are such points (a platoon that did not stop).
        return;
    }
    QPainter &painter = Canvas.Painter;
    const bool opaque = Colour.alpha() == 255;
    const QRgb value = Colour.rgba();
    ForEachInsideSpan(Corners, Canvas.Width, Canvas.Height, [&](int y, int first, int last) {
        if (opaque) {
            std::fill_n(Canvas.Pixels + y * Canvas.PixelsPerLine + first, last - first + 1, value);
        } else {
            painter.fillRect(QRect(first, y, last - first + 1, 1), Colour);
        }
    });
    if (FLinePenWidth > 1) {
        QPen pen(Colour, FLinePenWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(Corners, 4);
        return;
    }
    for (int i = 0; i < 4; ++i) {
        DrawLine(Canvas, Corners[i], Corners[(i + 1) % 4], Colour);
    }
}

void TTimeSpaceLink::DrawLine(const Surface &Canvas, QPoint From, QPoint To,
                              const QColor &Colour) const {
    if (FLinePenWidth > 1) {
        // A wide pen has round ends and covers both end points.
        Canvas.Painter.setPen(
            QPen(Colour, FLinePenWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        Canvas.Painter.drawLine(From, To);
        return;
    }
    if (Colour.alpha() == 255) {
        // An opaque one-pixel point replaces the pixel under it: written directly, as the
        // painter would but without its set-up for every point of every line.
        const QRgb value = Colour.rgba();
        ForEachLinePixel(From, To, [&Canvas, value](int x, int y) {
            if (0 <= x && x < Canvas.Width && 0 <= y && y < Canvas.Height) {
                Canvas.Pixels[y * Canvas.PixelsPerLine + x] = value;
            }
        });
        return;
    }
    Canvas.Painter.setPen(QPen(Colour, 1, Qt::SolidLine, Qt::SquareCap));
    Canvas.Painter.drawPoints(LinePixels(From, To));
}
