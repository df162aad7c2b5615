#pragma once

// Drives the main window as a user would: track-bar moves by keyboard, clicks on buttons
// and labels, so that every handler runs from its control's own event.

#include "app/Main.h"
#include "controls/TimeSpaceLight.h"
#include "platform/Label.h"
#include "platform/TrackBar.h"

#include <QLocale>
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

} // namespace FormDriver
