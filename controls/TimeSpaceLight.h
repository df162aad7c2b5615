#pragma once

#include "controls/CachedPicture.h"
#include "model/Common.h"
#include "model/Passage.h"
#include "model/Scenario.h"
#include "model/SignalTiming.h"
#include "model/TimingEdits.h"
#include "platform/NotifyEvent.h"

#include <QColor>

#include <cstdint>

class QPainter;

// A junction's signal timing strip: holds cycle time, split and offset, draws the cycles
// as green, yellow and red bands on the diagram's time axis (1 s = 1 px), and keeps the
// green windows that the platoon passage and the mouse editing read.
class TTimeSpaceLight : public TCachedPicture {
    Q_OBJECT

  public:
    explicit TTimeSpaceLight(QWidget *Owner = nullptr);
    ~TTimeSpaceLight() override;

    // Published properties.
    int PercentRed() const { return FPercentRed; }
    void SetPercentRed(int Value);
    int PercentGreen() const { return FPercentGreen; }
    void SetPercentGreen(int Value);
    int NumberOfBands() const { return FNumberOfBands; }
    void SetNumberOfBands(int Value);
    bool FwCycleFailure() const { return FFwCycleFailure; }
    void SetFwCycleFailure(bool) {} // only the passage changes the flag
    bool BkCycleFailure() const { return FBkCycleFailure; }
    void SetBkCycleFailure(bool) {}
    int CycleTime() const { return FCycleTime; }
    void SetCycleTime(int Value);
    int CycleOffset() const { return FCycleOffset; }
    void SetCycleOffset(int Value);
    bool VerticleMove() const { return FVerticleMove; }
    void SetVerticleMove(bool Value) { FVerticleMove = Value; }
    QColor YellowColor() const { return FYellowColor; }
    void SetYellowColor(const QColor &Value);
    QColor GreenColor() const { return FGreenColor; }
    void SetGreenColor(const QColor &Value);
    QColor RedColor() const { return FRedColor; }
    void SetRedColor(const QColor &Value);

    const TNotifyEvent &OnTimingOffset() const { return FOnTimingOffset; }
    void SetOnTimingOffset(TNotifyEvent Handler) { FOnTimingOffset = std::move(Handler); }
    const TNotifyEvent &OnTimingChange() const { return FOnTimingChange; }
    void SetOnTimingChange(TNotifyEvent Handler) { FOnTimingChange = std::move(Handler); }
    const TNotifyEvent &OnCycleTimeChange() const { return FOnCycleTimeChange; }
    void SetOnCycleTimeChange(TNotifyEvent Handler) { FOnCycleTimeChange = std::move(Handler); }
    const TNotifyEvent &OnReset() const { return FOnReset; }
    void SetOnReset(TNotifyEvent Handler) { FOnReset = std::move(Handler); }
    const TNotifyEvent &OnVerticleMove() const { return FOnVerticleMove; }
    void SetOnVerticleMove(TNotifyEvent Handler) { FOnVerticleMove = std::move(Handler); }

    // Read access to the derived timing.
    int RedTime() const { return FRedTime; }
    int GreenTime() const { return FGreenTime; }
    int YellowTime() const { return FYellowTime; }
    int GreenStart(int Index) const { return FGreenStart[static_cast<std::size_t>(Index)]; }
    int GreenEnd(int Index) const { return FGreenEnd[static_cast<std::size_t>(Index)]; }
    int DragMode() const { return FDragMode; }

    // Position and size in one step, keeping the timing tables in step with the width.
    void SetBounds(int Left, int Top, int Width, int Height);

    // Restores the loaded timing (offset 0, 4 cycles, 30 % red, 60 % green) and fires OnReset.
    void ResetTiming();

    // The gestures' edits by a given amount, with their rules and events: the offset by
    // seconds (wrapped into the cycle), the split by seconds of green taken from red, the cycle
    // time by seconds (the offset back to 0), and the strip's top by pixels. The keyboard
    // edits the strip through them.
    void DragOffset(int Seconds);
    void DragSplit(int Seconds);
    void DragCycleTime(int Seconds);
    void DragVertically(int Pixels);

    // Puts back a timing the strip held (its top is the window's), with no event.
    void RestoreTiming(const JunctionSetting &Timing);

    // Renders the cycles into the off-screen bitmap now.
    void Paint() { RenderPicture(); }

    // Arriving platoon sets of both directions.
    // cppcheck-suppress passedByValue ; sets are passed by value, as everywhere
    void SetFwInput(PlatoonSet Value) { FFwInput = Value; }
    // cppcheck-suppress passedByValue ; sets are passed by value, as everywhere
    void SetBkInput(PlatoonSet Value) { FBkInput = Value; }
    PlatoonSet FwInput() const { return FFwInput; }
    PlatoonSet BkInput() const { return FBkInput; }

    // The passage of a direction's stored arrivals through this signal. Every call reruns it
    // on the current green windows; the queue set and stops measure then describe that run,
    // and only that direction's failure flag is touched.
    PlatoonSet PassFw();
    PlatoonSet PassBk();
    // Runs the passage and gives its queue set (the departing set is dropped).
    PlatoonSet GetFwQueues();
    PlatoonSet GetBkQueues();
    double GetStops() const { return FStops; }
    PlatoonSet QueueSet() const { return FQueueSet; }
    // Per slot of the queue set, the platoon seconds of the last run that stopped.
    PlatoonSlots StoppedSeconds() const { return FStoppedSeconds; }
    // Shows the passages an evaluation of the arterial ran on this strip's green windows: the
    // arrivals of both directions, both failure flags, and the southbound run's queue set,
    // stops and stopped seconds, as running PassBk and then PassFw would leave them.
    void SetPassages(const PlatoonSet &FwArriving, const PassageResult &Fw,
                     const PlatoonSet &BkArriving, const PassageResult &Bk);
    // The most platoon length one green window serves.
    int Capacity() const;

  protected:
    void SyncGeometry() override { SyncWidth(); }
    void Render(QImage &Picture, bool Fresh) override;
    void resizeEvent(QResizeEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;

  private:
    // The gestures: press picks the drag mode, each move applies it, brings the green windows
    // up to date and asks for a repaint before the strip's event fires.
    void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X);
    void MouseMove(int X, int Y);
    void MouseUp();
    void GestureChanged();
    void DeriveDurations();
    // Recomputes band count and green windows as a paint would, and marks the picture stale.
    void TimingChanged();
    void SyncWidth();
    PlatoonSet PassPlatoons(const PlatoonSet &Input, bool Forward);
    void DrawCycle(QPainter &Canvas, int Height, int Start, int Stop) const;

    int FPercentRed = 30;
    int FPercentGreen = 60;
    int FNumberOfBands = 4;
    bool FFwCycleFailure = false;
    bool FBkCycleFailure = false;
    bool FVerticleMove = false;
    QColor FRedColor;
    QColor FGreenColor;
    QColor FYellowColor;
    int FCycleTime = 0;
    int FRedTime = 0;
    int FGreenTime = 0;
    int FYellowTime = 0;
    TNotifyEvent FOnTimingOffset;
    TNotifyEvent FOnTimingChange;
    TNotifyEvent FOnCycleTimeChange;
    TNotifyEvent FOnReset;
    TNotifyEvent FOnVerticleMove;
    std::uint8_t FDragMode = 0;
    int FLastX = 0;
    int FCycleOffset = 0;
    int FCycleStart = 0;
    int FCycleEnd = 0;
    PlatoonSet FFwInput;
    PlatoonSet FBkInput;
    PlatoonSet FQueueSet;
    PlatoonSlots FStoppedSeconds;
    std::array<std::int32_t, GreenWindowCount> FGreenStart{};
    std::array<std::int32_t, GreenWindowCount> FGreenEnd{};
    double FStops = 0.0;

    int FLayoutWidth = 0;
};
