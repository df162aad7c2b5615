#pragma once

#include "platform/NotifyEvent.h"

#include <QSlider>

// A horizontal track bar whose change event reports the user's moves only (keys, wheel,
// dragging the thumb, clicks on the slot). Positions and ranges set from code are clamped
// into the range without an event, so a handler may adjust its own track bar freely.
class TTrackBar : public QSlider {
    Q_OBJECT

  public:
    explicit TTrackBar(QWidget *Parent = nullptr);

    int Min() const { return minimum(); }
    void SetMin(int Value);
    int Max() const { return maximum(); }
    void SetMax(int Value);
    int Position() const { return value(); }
    void SetPosition(int Value);
    int LineSize() const { return singleStep(); }
    void SetLineSize(int Value) { setSingleStep(Value); }
    int PageSize() const { return pageStep(); }
    void SetPageSize(int Value) { setPageStep(Value); }
    // Distance between tick marks, drawn below the slot.
    int Frequency() const { return tickInterval(); }
    void SetFrequency(int Value) { setTickInterval(Value); }

    const TNotifyEvent &OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }

  private:
    void UserAction(int Action);

    TNotifyEvent FOnChange;
};
