#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class TArterialDocument;
class TTrajectoryOverlay;

// The tool window of the simulated trajectories: whether the overlay is shown, which run and
// which stretch it draws, and a line that says what is drawn or why nothing is. It follows
// the overlay (a new simulation, an edit that makes it stale) and sets it.
class TTrajectoryWindow : public QWidget {
    Q_OBJECT

  public:
    TTrajectoryWindow(QWidget *Owner, const TArterialDocument *Document,
                      TTrajectoryOverlay *Overlay);

    // The window's controls, for tools and tests.
    QCheckBox *Show = nullptr;
    QComboBox *Run = nullptr;
    QSpinBox *FromCycle = nullptr; // JCT #1's cycles counted from 1
    QLabel *Cycles = nullptr;      // which cycles are warm-up and measured
    QLabel *Status = nullptr;

  private:
    // The controls and the status taken again from the overlay and the document.
    void Refresh();
    QString StatusText() const;

    const TArterialDocument *FDocument;
    TTrajectoryOverlay *FOverlay;
    bool FRefreshing = false;
};
