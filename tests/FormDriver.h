#pragma once

// Drives the main window as a user would: track-bar moves by keyboard, clicks on buttons
// and labels, so that every handler runs from its control's own event.

#include "app/Main.h"
#include "controls/TimeSpaceLight.h"
#include "platform/Label.h"
#include "platform/TrackBar.h"

#include <QApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

namespace FormDriver {

// Moves a track bar to a position by one keyboard step from its neighbour, so that the change
// event fires exactly once for the user's move.
inline void UserMovesTrackBar(TTrackBar *bar, int position) {
    bar->setFocus();
    if (position - bar->LineSize() >= bar->Min()) {
        bar->SetPosition(position - bar->LineSize());
        QTest::keyClick(bar, Qt::Key_Right);
    } else {
        bar->SetPosition(position + bar->LineSize());
        QTest::keyClick(bar, Qt::Key_Left);
    }
}

inline void ClickLabel(TLabel *label) {
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, 2));
}

inline QString Caption(const TLabel *label) {
    return label->Caption();
}

// A junction's timing as a user leaves it: cycle (s), red and green (%), offset (s).
struct Timing {
    int Cycle, Red, Green, Offset;
};

// Six timings that differ in every figure, so that a value read from the wrong junction shows.
// Window capacities Trunc(green + yellow / 2) are 69, 71, 48, 73, 56, 71 s: each serves the
// 39 s platoon of 600 veh/hr at JCT #1's 96 s cycle.
inline constexpr Timing DistinctTimings[7] = {{},
                                              {96, 18, 61, 10},
                                              {97, 24, 70, 13},
                                              {88, 40, 50, 5},
                                              {105, 26, 66, 20},
                                              {110, 45, 47, 30},
                                              {120, 36, 54, 40}};

// Set from code, so no strip event fires. Red goes down to 6 % first so that any green fits;
// the cycle before the offset, which a new cycle resets.
inline void SetTiming(TTimeSpaceLight *light, const Timing &timing) {
    light->SetPercentRed(6);
    light->SetPercentGreen(timing.Green);
    light->SetPercentRed(timing.Red);
    light->SetCycleTime(timing.Cycle);
    light->SetCycleOffset(timing.Offset);
}

inline void SetDistinctTimings(TTimeSpaceForm &form) {
    for (int k = 1; k <= 6; ++k) {
        SetTiming(form.Light(k), DistinctTimings[k]);
    }
}

// An offset drag on a strip: press in a green band, one move, release.
inline void DragStrip(TTimeSpaceLight *strip, int fromX, int toX) {
    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(fromX, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(toX, 5), strip->mapToGlobal(QPointF(toX, 5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &move);
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(toX, 5));
}

} // namespace FormDriver
