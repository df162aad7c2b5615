#include "platform/TrackBar.h"

TTrackBar::TTrackBar(QWidget *Parent) : QSlider(Qt::Horizontal, Parent) {
    setRange(0, 10);
    setSingleStep(1);
    setPageStep(2);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
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
