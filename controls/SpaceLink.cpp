#include "controls/SpaceLink.h"

#include "model/Numbers.h"
#include "model/Travel.h"
#include "platform/Colors.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <utility>

TSpaceLink::TSpaceLink(QWidget *Owner)
    : TCachedPicture(Owner), FBackGroundColor(NamedColor::clBlack),
      FFwdQueueColor(NamedColor::clWhite), FBckQueueColor(NamedColor::clSilver) {
    resize(40, 132);
}

TSpaceLink::~TSpaceLink() = default;

int TSpaceLink::HeightInFeet() const {
    return FeetPerPixel * height();
}

void TSpaceLink::SetBackGroundColor(const QColor &Value) {
    FBackGroundColor = Value;
    Changed();
    update();
}

void TSpaceLink::SetFwdQueueColor(const QColor &Value) {
    FFwdQueueColor = Value;
    Changed();
    update();
}

void TSpaceLink::SetBckQueueColor(const QColor &Value) {
    FBckQueueColor = Value;
    Changed();
    update();
}

void TSpaceLink::SetLinePenWidth(int Value) {
    FLinePenWidth = Value;
    Changed();
    update();
}

void TSpaceLink::SetOrientation(::Orientation Value) {
    if (Value == FOrientation) {
        return;
    }
    resize(height(), width());
    FOrientation = Value;
    Changed();
    update();
}

// Only the bar's length reaches the picture: a set that leaves it as it was changes nothing to
// draw again, which is the common case while a strip elsewhere is dragged.
// cppcheck-suppress passedByValue ; sets are passed by value, as everywhere
void TSpaceLink::SetFwQueues(PlatoonSet Value) {
    const int length = QueueBarLength(Value);
    if (length == FFwQueueLength) {
        return;
    }
    FFwQueueLength = length;
    FFwStop = FFwQueueLength > 0;
    Changed();
    update();
}

// cppcheck-suppress passedByValue ; sets are passed by value, as everywhere
void TSpaceLink::SetBkQueues(PlatoonSet Value) {
    const int length = QueueBarLength(Value);
    if (length == FBkQueueLength) {
        return;
    }
    FBkQueueLength = length;
    FBkStop = FBkQueueLength > 0;
    Changed();
    update();
}

void TSpaceLink::Render(QImage &Picture, bool) {
    QPainter canvas(&Picture);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    DrawQueueLink(canvas);
}

void TSpaceLink::DrawQueueLink(QPainter &Canvas) const {
    const int w = width();
    const int h = height();
    const int e = RoadEdgeOffset;
    const int s = StopLineOffset;
    const int cx = Trunc(static_cast<Extended>(w) / 2.0L);
    const int cy = Trunc(static_cast<Extended>(h) / 2.0L);
    const QColor &white = NamedColor::clWhite;

    Canvas.fillRect(0, 0, w, h, FBackGroundColor);
    if (FOrientation == Vertical) {
        DrawLine(Canvas, {cx, 0}, {cx, h}, NamedColor::clYellow, true);
        DrawLine(Canvas, {e, 0}, {e, h}, white, false);
        DrawLine(Canvas, {w - e, 0}, {w - e, h}, white, false);
        // Northbound stops at the top, across the right half; its queue grows down.
        DrawLine(Canvas, {w - e, s}, {cx, s}, white, false);
        FillQueueBar(Canvas, {w - e - 1, s + 1}, {cx + 1, s + 1 + FBkQueueLength}, FBckQueueColor);
        // Southbound stops at the bottom, across the left half; its queue grows up.
        DrawLine(Canvas, {e, h - s}, {cx, h - s}, white, false);
        FillQueueBar(Canvas, {e + 1, h - s - 1}, {cx - 1, h - s - 1 - FFwQueueLength},
                     FFwdQueueColor);
    } else {
        DrawLine(Canvas, {0, cy}, {w, cy}, NamedColor::clYellow, true);
        DrawLine(Canvas, {0, e}, {w, e}, white, false);
        DrawLine(Canvas, {0, h - e}, {w, h - e}, white, false);
        // Southbound stops at the left end, across the lower half; its queue grows right.
        DrawLine(Canvas, {s, h - e}, {s, cy}, white, false);
        FillQueueBar(Canvas, {s + 1, h - e - 1}, {s + 1 + FFwQueueLength, cy + 1}, FFwdQueueColor);
        // Northbound stops at the right end, across the upper half; its queue grows left and
        // shares the southbound bar's inner edge, so it covers the centre row.
        DrawLine(Canvas, {w - s, e}, {w - s, cy}, white, false);
        FillQueueBar(Canvas, {w - s - 1, e + 1}, {w - s - 1 - FBkQueueLength, cy + 1},
                     FBckQueueColor);
    }
}

void TSpaceLink::DrawLine(QPainter &Canvas, QPoint From, QPoint To, const QColor &Colour,
                          bool Dotted) const {
    const bool thin = FLinePenWidth <= 1;
    const bool straight = From.x() == To.x() || From.y() == To.y();
    if (thin && straight) {
        // Move-to/line-to with a one-pixel pen: every pixel from the start up to, not
        // including, the end. A dotted pen paints runs of 3 pixels with gaps of 3, starting
        // with a run; its gaps would take the background colour, which is already there.
        const int dx = (To.x() > From.x()) - (To.x() < From.x());
        const int dy = (To.y() > From.y()) - (To.y() < From.y());
        const int length = std::abs(To.x() - From.x()) + std::abs(To.y() - From.y());
        const int run = Dotted ? 3 : length;
        for (int i = 0; i < length; i += Dotted ? 6 : length) {
            const int n = std::min(run, length - i);
            const QPoint a = From + QPoint(dx, dy) * i;
            const QPoint b = From + QPoint(dx, dy) * (i + n - 1);
            Canvas.fillRect(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                                  QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))),
                            Colour);
        }
        return;
    }
    // A pen wider than one pixel draws solid with round ends, whatever style was asked for.
    QPen pen(Colour);
    pen.setWidth(thin ? 1 : FLinePenWidth);
    pen.setCapStyle(thin ? Qt::FlatCap : Qt::RoundCap);
    if (thin && Dotted) {
        pen.setDashPattern({3.0, 3.0});
    }
    Canvas.setPen(pen);
    Canvas.drawLine(From, To);
}

void TSpaceLink::FillQueueBar(QPainter &Canvas, QPoint First, QPoint Second, const QColor &Colour) {
    // The first corner's column and row are filled, the second's are not, whichever of the
    // two is the larger.
    const auto span = [](int first, int second) {
        return first <= second ? std::pair(first, second) : std::pair(second + 1, first + 1);
    };
    const auto [left, right] = span(First.x(), Second.x());
    const auto [top, bottom] = span(First.y(), Second.y());
    if (right > left && bottom > top) {
        Canvas.fillRect(QRect(left, top, right - left, bottom - top), Colour);
    }
}
