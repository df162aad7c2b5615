#include "platform/TrackBar.h"

#include <QProxyStyle>

namespace {
// The thumb is 20 pixels across the slot (and 11 along it) whatever the desktop's style, so
// the bars keep their proportions in the window's fixed layout.
class TTrackBarStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric Metric, const QStyleOption *Option,
                    const QWidget *Widget) const override {
        switch (Metric) {
        case PM_SliderThickness:
        case PM_SliderControlThickness:
            return ThumbLength;
        case PM_SliderLength:
            return ThumbWidth;
        default:
            return QProxyStyle::pixelMetric(Metric, Option, Widget);
        }
    }

    static constexpr int ThumbLength = 20;
    static constexpr int ThumbWidth = 11;
};

QStyle *TrackBarStyle() {
    // One for all bars, alive as long as the program: widgets only borrow their style.
    static TTrackBarStyle *Style = new TTrackBarStyle;
    return Style;
}
} // namespace

TTrackBar::TTrackBar(QWidget *Parent) : QSlider(Qt::Horizontal, Parent) {
    setRange(0, 10);
    setSingleStep(1);
    setPageStep(2);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
    setStyle(TrackBarStyle());
    // actionTriggered is raised by user input only; valueChanged would also report code.
    connect(this, &QAbstractSlider::actionTriggered, this, &TTrackBar::UserAction);
}

void TTrackBar::SetMin(int Value) {
    setMinimum(Value);
}

void TTrackBar::SetMax(int Value) {
    setMaximum(Value);
}

void TTrackBar::SetPosition(int Value) {
    setValue(Value);
}

void TTrackBar::UserAction(int Action) {
    if (Action == QAbstractSlider::SliderNoAction) {
        return;
    }
    // The slider has moved its thumb but not yet its value; commit the value first so that
    // the handler reads the new position (and may overwrite it, e.g. to snap it).
    const int Previous = value();
    setValue(sliderPosition());
    if (value() != Previous) {
        Notify(FOnChange, this);
    }
}
