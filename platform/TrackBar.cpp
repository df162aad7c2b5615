#include "platform/TrackBar.h"

#include <QProxyStyle>
#include <QStyleOptionSlider>

#include <climits>

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

    // The style steps its ticks from the minimum by the frequency, so it leaves the maximum
    // unmarked unless the range is a multiple of it; a track bar marks both ends. The ends are
    // drawn by the style itself, as ticks of a frequency spanning the whole range. The parts
    // are drawn one by one, the thumb last so that it stays on top, and the slot apart from
    // the ticks: Fusion draws the ticks in the slot's highlight colour in a paint that fills
    // its cache of the slot, and in their own colour otherwise.
    void drawComplexControl(ComplexControl Control, const QStyleOptionComplex *Option,
                            QPainter *Painter, const QWidget *Widget) const override {
        const auto *Slider = qstyleoption_cast<const QStyleOptionSlider *>(Option);
        const qint64 Range = Slider ? qint64(Slider->maximum) - Slider->minimum : 0;
        if (Control != CC_Slider || !Slider || !(Slider->subControls & SC_SliderTickmarks) ||
            Slider->tickPosition == QSlider::NoTicks || Range <= 0 || Range > INT_MAX) {
            QProxyStyle::drawComplexControl(Control, Option, Painter, Widget);
            return;
        }
        const SubControls Rest = Slider->subControls & ~(SC_SliderTickmarks | SC_SliderHandle);
        const struct {
            SubControls Parts;
            int Interval;
        } Passes[] = {{Rest, Slider->tickInterval},
                      {SC_SliderTickmarks, Slider->tickInterval},
                      {SC_SliderTickmarks, int(Range)},
                      {Slider->subControls & SC_SliderHandle, Slider->tickInterval}};
        QStyleOptionSlider Part(*Slider);
        for (const auto &Pass : Passes) {
            if (Pass.Parts) {
                Part.subControls = Pass.Parts;
                Part.tickInterval = Pass.Interval;
                QProxyStyle::drawComplexControl(Control, &Part, Painter, Widget);
            }
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
