#include "controls/TimeSpaceLight.h"

#include "model/Numbers.h"
#include "model/Passage.h"
#include "platform/Colors.h"

#include <QPainter>

TTimeSpaceLight::TTimeSpaceLight(QWidget *Owner)
    : QWidget(Owner), FRedColor(NamedColor::clRed), FGreenColor(NamedColor::clGreen),
      FYellowColor(NamedColor::clYellow) {
    // A graphic control: painted on the parent, no background of its own.
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    FBitmapStale = true;
}

void TTimeSpaceLight::SyncWidth() {
    if (width() != FLayoutWidth) {
        TimingChanged();
    }
}

void TTimeSpaceLight::SetPercentRed(int Value) {
    if (Value > 5 && Value + FPercentGreen <= 100) {
        FPercentRed = Value;
    }
    DeriveDurations();
    TimingChanged();
    update();
}

void TTimeSpaceLight::SetPercentGreen(int Value) {
    if (Value > 5 && Value + FPercentRed <= 100) {
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

void TTimeSpaceLight::SetVisible(bool Value) {
    FVisible = Value;
    // A strip that draws nothing must let its parent show through.
    setAttribute(Qt::WA_OpaquePaintEvent, Value);
    update();
}

void TTimeSpaceLight::SetYellowColor(const QColor &Value) {
    FYellowColor = Value;
    FBitmapStale = true;
    update();
}

void TTimeSpaceLight::SetGreenColor(const QColor &Value) {
    FGreenColor = Value;
    FBitmapStale = true;
    update();
}

void TTimeSpaceLight::SetRedColor(const QColor &Value) {
    FRedColor = Value;
    FBitmapStale = true;
    update();
}

void TTimeSpaceLight::SetBounds(int Left, int Top, int Width, int Height) {
    setGeometry(Left, Top, Width, Height);
    SyncWidth();
    FBitmapStale = true;
}

void TTimeSpaceLight::ResetTiming() {
    FCycleOffset = 0;
    FNumberOfBands = 4;
    FPercentGreen = 60;
    FPercentRed = 30;
    FCycleTime = Round(static_cast<Extended>(width()) / 4);
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
    FStops = run.Stops;
    (Forward ? FFwCycleFailure : FBkCycleFailure) = run.CycleFailure;
    return run.Departing;
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

const QImage &TTimeSpaceLight::GetBitmap() {
    SyncWidth();
    if (FBitmapStale || FBitmap.size() != size()) {
        Paint();
    }
    return FBitmap;
}

void TTimeSpaceLight::Paint() {
    if (FBitmap.size() != size()) {
        FBitmap = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        FBitmap.fill(NamedColor::clBlack);
    }
    if (!FBitmap.isNull()) {
        QPainter canvas(&FBitmap);
        for (int i = 0; i <= FNumberOfBands + 1; ++i) {
            FCycleStart = (i - 1) * FCycleTime + FCycleOffset;
            FCycleEnd = i * FCycleTime + FCycleOffset;
            DrawCycle(canvas, FCycleStart, FCycleEnd);
        }
    }
    FBitmapStale = false;
}

void TTimeSpaceLight::DrawCycle(QPainter &Canvas, int Start, int Stop) const {
    // Right edges are exclusive; the painter clips whatever reaches past the bitmap. An empty
    // or negative span (a yellow of 0 or -1 s) draws nothing.
    const int h = FBitmap.height();
    const auto fill = [&](int left, int right, const QColor &colour) {
        if (right > left) {
            Canvas.fillRect(QRect(left, 0, right - left, h), colour);
        }
    };
    fill(Start, Start + FGreenTime, FGreenColor);
    fill(Start + FGreenTime, Stop - FRedTime, FYellowColor);
    fill(Stop - FRedTime, Stop, FRedColor);
}

void TTimeSpaceLight::paintEvent(QPaintEvent *) {
    const QImage &picture = GetBitmap();
    if (!FVisible) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
}

void TTimeSpaceLight::resizeEvent(QResizeEvent *Event) {
    QWidget::resizeEvent(Event);
    SyncWidth();
}
