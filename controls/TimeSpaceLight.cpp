#include "controls/TimeSpaceLight.h"

#include "model/Numbers.h"
#include "model/Passage.h"
#include "platform/Colors.h"

#include <QMouseEvent>
#include <QPainter>

TTimeSpaceLight::TTimeSpaceLight(QWidget *Owner)
    : TCachedPicture(Owner), FRedColor(NamedColor::clRed), FGreenColor(NamedColor::clGreen),
      FYellowColor(NamedColor::clYellow) {
    resize(420, 10);
    FCycleTime = Round(static_cast<Extended>(width()) / FNumberOfBands);
    DeriveDurations();
    TimingChanged();
}

TTimeSpaceLight::~TTimeSpaceLight() = default;

void TTimeSpaceLight::DeriveDurations() {
    const Durations d = ::DeriveDurations(FCycleTime, FPercentRed, FPercentGreen);
    FRedTime = d.Red;
    FGreenTime = d.Green;
    FYellowTime = d.Yellow;
}

void TTimeSpaceLight::TimingChanged() {
    FLayoutWidth = width();
    FNumberOfBands = DrawnBandCount(width(), FCycleTime);
    const GreenWindows windows =
        ComputeGreenWindows(FCycleTime, FCycleOffset, {FRedTime, FGreenTime, FYellowTime});
    FGreenStart = windows.Start;
    FGreenEnd = windows.End;
    Changed();
}

void TTimeSpaceLight::SyncWidth() {
    if (width() != FLayoutWidth) {
        TimingChanged();
    }
}

void TTimeSpaceLight::SetPercentRed(int Value) {
    if (PercentKept(Value, FPercentGreen)) {
        FPercentRed = Value;
    }
    DeriveDurations();
    TimingChanged();
    update();
}

void TTimeSpaceLight::SetPercentGreen(int Value) {
    if (PercentKept(Value, FPercentRed)) {
        FPercentGreen = Value;
    }
    DeriveDurations();
    TimingChanged();
    update();
}

void TTimeSpaceLight::SetNumberOfBands(int Value) {
    if (Value > 2 && Value < 24) {
        FNumberOfBands = Value;
    }
    FCycleTime = Round(static_cast<Extended>(width()) / FNumberOfBands);
    DeriveDurations();
    TimingChanged();
    update();
}

void TTimeSpaceLight::SetCycleTime(int Value) {
    FCycleTime = ClampCycleTime(width(), Value);
    FCycleOffset = 0;
    DeriveDurations();
    TimingChanged();
    update();
}

void TTimeSpaceLight::SetCycleOffset(int Value) {
    FCycleOffset = Value;
    TimingChanged();
    update();
}

void TTimeSpaceLight::SetYellowColor(const QColor &Value) {
    FYellowColor = Value;
    Changed();
    update();
}

void TTimeSpaceLight::SetGreenColor(const QColor &Value) {
    FGreenColor = Value;
    Changed();
    update();
}

void TTimeSpaceLight::SetRedColor(const QColor &Value) {
    FRedColor = Value;
    Changed();
    update();
}

void TTimeSpaceLight::SetBounds(int Left, int Top, int Width, int Height) {
    setGeometry(Left, Top, Width, Height);
    SyncWidth();
    Changed();
}

void TTimeSpaceLight::ResetTiming() {
    FCycleOffset = 0;
    FNumberOfBands = ResetBandCount;
    FPercentGreen = ResetPercentGreen;
    FPercentRed = ResetPercentRed;
    FCycleTime = Round(static_cast<Extended>(width()) / ResetBandCount);
    DeriveDurations();
    TimingChanged();
    update();
    Notify(FOnReset, this);
}

int TTimeSpaceLight::Capacity() const {
    return WindowCapacity({FRedTime, FGreenTime, FYellowTime});
}

PlatoonSet TTimeSpaceLight::PassPlatoons(const PlatoonSet &Input, bool Forward) {
    SyncWidth();
    const PassageResult run =
        ::PassPlatoons(Input, FGreenStart, FGreenEnd, FNumberOfBands + 1, Capacity(), width());
    FQueueSet = run.Queues;
    FStoppedSeconds = run.Stopped;
    FStops = run.Stops;
    (Forward ? FFwCycleFailure : FBkCycleFailure) = run.CycleFailure;
    return run.Departing;
}

void TTimeSpaceLight::SetPassages(const PlatoonSet &FwArriving, const PassageResult &Fw,
                                  const PlatoonSet &BkArriving, const PassageResult &Bk) {
    FFwInput = FwArriving;
    FBkInput = BkArriving;
    FBkCycleFailure = Bk.CycleFailure;
    FFwCycleFailure = Fw.CycleFailure;
    FQueueSet = Fw.Queues;
    FStoppedSeconds = Fw.Stopped;
    FStops = Fw.Stops;
}

PlatoonSet TTimeSpaceLight::PassFw() {
    return PassPlatoons(FFwInput, true);
}

PlatoonSet TTimeSpaceLight::PassBk() {
    return PassPlatoons(FBkInput, false);
}

PlatoonSet TTimeSpaceLight::GetFwQueues() {
    PassPlatoons(FFwInput, true);
    return FQueueSet;
}

PlatoonSet TTimeSpaceLight::GetBkQueues() {
    PassPlatoons(FBkInput, false);
    return FQueueSet;
}

void TTimeSpaceLight::Render(QImage &Picture, bool Fresh) {
    if (Fresh) {
        Picture.fill(NamedColor::clBlack);
    }
    QPainter canvas(&Picture);
    for (int i = 0; i <= FNumberOfBands + 1; ++i) {
        FCycleStart = (i - 1) * FCycleTime + FCycleOffset;
        FCycleEnd = i * FCycleTime + FCycleOffset;
        DrawCycle(canvas, Picture.height(), FCycleStart, FCycleEnd);
    }
}

void TTimeSpaceLight::DrawCycle(QPainter &Canvas, int Height, int Start, int Stop) const {
    // Right edges are exclusive; the painter clips whatever reaches past the bitmap. An empty
    // or negative span (a yellow of 0 or -1 s) draws nothing.
    const int h = Height;
    const auto fill = [&](int left, int right, const QColor &colour) {
        if (right > left) {
            Canvas.fillRect(QRect(left, 0, right - left, h), colour);
        }
    };
    fill(Start, Start + FGreenTime, FGreenColor);
    fill(Start + FGreenTime, Stop - FRedTime, FYellowColor);
    fill(Stop - FRedTime, Stop, FRedColor);
}

void TTimeSpaceLight::resizeEvent(QResizeEvent *Event) {
    QWidget::resizeEvent(Event);
    SyncWidth();
}

void TTimeSpaceLight::mousePressEvent(QMouseEvent *Event) {
    MouseDown(Event->button(), Event->modifiers(), Event->position().toPoint().x());
}

void TTimeSpaceLight::mouseMoveEvent(QMouseEvent *Event) {
    const QPoint at = Event->position().toPoint();
    MouseMove(at.x(), at.y());
}

void TTimeSpaceLight::mouseReleaseEvent(QMouseEvent *) {
    MouseUp();
}

void TTimeSpaceLight::GestureChanged() {
    // The green windows are current from here on, which is all the handlers of the strip's
    // events read; the picture is rendered when it is next asked for. The repaint is only
    // requested: painting at once would paint and flush the strip alone, and then paint again
    // for everything the handlers change.
    TimingChanged();
    update();
}

void TTimeSpaceLight::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X) {
    SyncWidth();
    const bool shift = Shift.testFlag(Qt::ShiftModifier);
    const bool ctrl = Shift.testFlag(Qt::ControlModifier);
    if (Button == Qt::LeftButton && !shift && !ctrl) {
        for (int u = 0; u <= FNumberOfBands + 1; ++u) {
            const int yellowStart = FGreenStart[static_cast<std::size_t>(u)] + FGreenTime;
            // Strict on both sides: the yellow's first column starts an offset drag.
            if (yellowStart < X && X < yellowStart + FYellowTime) {
                FDragMode = 2;
                break;
            }
        }
        if (FDragMode == 0) {
            FDragMode = 1;
        }
        FLastX = X;
    } else if (Button == Qt::LeftButton && shift) {
        FDragMode = 3;
        FLastX = X;
    } else if (Button == Qt::LeftButton && ctrl) {
        FDragMode = 4;
    } else if (Button == Qt::RightButton) {
        ResetTiming();
    }
}

void TTimeSpaceLight::MouseMove(int X, int Y) {
    if (!(0 < X && X < width() && 0 < Y && Y < height())) {
        return;
    }
    const int d = X - FLastX;
    switch (FDragMode) {
    case 1:
        FLastX = X;
        DragOffset(d);
        break;
    case 2:
        FLastX = X;
        DragSplit(d);
        break;
    case 3:
        FLastX = X;
        DragCycleTime(d);
        break;
    case 4:
        // The strip's middle row follows the pointer.
        DragVertically(Y - Trunc(static_cast<Extended>(height()) / 2.0L));
        break;
    default:
        break;
    }
}

void TTimeSpaceLight::DragOffset(int Seconds) {
    FCycleOffset += Seconds;
    // Wrapped into the cycle. A fast pointer can move more than a cycle in one event, and an
    // offset left beyond the cycle would leave the start of the strip undrawn and without
    // green windows, so the wrap repeats until the offset lies within the cycle.
    while (FCycleOffset >= FCycleTime) {
        FCycleOffset -= FCycleTime;
    }
    while (FCycleOffset < 0) {
        FCycleOffset += FCycleTime;
    }
    GestureChanged();
    Notify(FOnTimingOffset, this);
}

void TTimeSpaceLight::DragSplit(int Seconds) {
    // Red and green each keep at least 3 s; the yellow keeps its length and moves.
    const SplitTiming before{
        FCycleTime, FPercentRed, FPercentGreen, {FRedTime, FGreenTime, FYellowTime}};
    const SplitTiming after = SplitDragged(before, Seconds);
    FRedTime = after.Seconds.Red;
    FGreenTime = after.Seconds.Green;
    FPercentGreen = after.PercentGreen;
    FPercentRed = after.PercentRed;
    if (SplitDragKept(before.Seconds, Seconds)) {
        GestureChanged();
    }
    Notify(FOnTimingChange, this);
}

void TTimeSpaceLight::DragCycleTime(int Seconds) {
    const int n = FCycleTime + Seconds;
    if (CycleDragKept(width(), n)) {
        FCycleTime = n;
        FCycleOffset = 0;
        FNumberOfBands = Trunc(static_cast<Extended>(width()) / FCycleTime);
        DeriveDurations();
        GestureChanged();
        Notify(FOnCycleTimeChange, this);
    }
}

void TTimeSpaceLight::DragVertically(int Pixels) {
    if (!FVerticleMove) {
        return;
    }
    // The window keeps the strip between its neighbours.
    move(x(), y() + Pixels);
    Notify(FOnVerticleMove, this);
}

void TTimeSpaceLight::RestoreTiming(const JunctionSetting &Timing) {
    FCycleTime = Timing.CycleTime;
    FCycleOffset = Timing.CycleOffset;
    FPercentRed = Timing.PercentRed;
    FPercentGreen = Timing.PercentGreen;
    FRedTime = Timing.RedTime;
    FGreenTime = Timing.GreenTime;
    FYellowTime = Timing.YellowTime;
    TimingChanged();
    update();
}

void TTimeSpaceLight::MouseUp() {
    FDragMode = 0;
}
