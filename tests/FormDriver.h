#pragma once

// The tests' shared support: drives the main window and its controls as a user would
// (track-bar moves by keyboard, clicks, drags with modifiers, typing, list choices), so that
// every handler runs from its control's own event, and loads strips as the form does.

#include "StripSupport.h"
#include "app/Main.h"
#include "controls/TimeSpaceLight.h"
#include "platform/Label.h"
#include "platform/TrackBar.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
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

// The window's command of that text, its mnemonic aside, or nullptr.
inline QAction *Command(const TTimeSpaceForm &form, const QString &text) {
    return form.Command(text);
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

// A mouse move as the toolkit sends it, with the held button and the modifiers
// (QTest::mouseMove carries no modifiers).
inline void MouseMove(QWidget *widget, QPoint at, Qt::MouseButtons held = Qt::LeftButton,
                      Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::NoButton,
                     held, keys);
    QApplication::sendEvent(widget, &move);
}

// A drag along a strip's middle row: press, one move, release. Without modifiers it drags
// the offset (or the split, pressed on the yellow); with Shift the cycle time.
inline void DragStrip(TTimeSpaceLight *strip, int fromX, int toX,
                      Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QTest::mousePress(strip, Qt::LeftButton, keys, QPoint(fromX, 5));
    MouseMove(strip, QPoint(toX, 5), Qt::LeftButton, keys);
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(toX, 5));
}

// Chooses a junction in the panel's list with the arrow keys, as a user would; the junction
// already shown is chosen again by stepping away and back.
inline void ChooseJunction(TTimeSpaceForm &form, int index) {
    QComboBox *list = form.JCT;
    if (list->currentIndex() == index) {
        const bool up = index > 0;
        QTest::keyClick(list, up ? Qt::Key_Up : Qt::Key_Down);
        QTest::keyClick(list, up ? Qt::Key_Down : Qt::Key_Up);
    }
    while (list->currentIndex() < index) {
        QTest::keyClick(list, Qt::Key_Down);
    }
    while (list->currentIndex() > index) {
        QTest::keyClick(list, Qt::Key_Up);
    }
}

// Replaces whatever an edit box holds by the text, typed as a user would.
inline void Retype(QLineEdit *edit, const QString &text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace FormDriver
