#pragma once

#include <QObject>

class TBandOverlay;
class TJunctionReport;
class TTimeSpaceForm;
class TTrajectoryOverlay;
class TTrajectoryWindow;

// The commands of the analysis the window shows beside the diagram: the junction report (a tool
// window made on first use and kept), the progression band drawn over the diagram, and the
// simulated trajectories with their tool window.
class TReportCommands : public QObject {
    Q_OBJECT

  public:
    explicit TReportCommands(TTimeSpaceForm *Form);

    // Made by their commands; nullptr before.
    TJunctionReport *Report() const { return FReport; }
    TBandOverlay *Overlay() const { return FBandOverlay; }
    TTrajectoryOverlay *Trajectories() const { return FTrajectoryOverlay; }
    TTrajectoryWindow *TrajectoryWindow() const { return FTrajectoryWindow; }

  private:
    // Beside the main window's frame, on first opening: later the window stays where the user
    // put it.
    void PlaceBeside(QWidget *Window) const;

    TTimeSpaceForm *FForm;
    TJunctionReport *FReport = nullptr;
    TBandOverlay *FBandOverlay = nullptr;
    TTrajectoryOverlay *FTrajectoryOverlay = nullptr;
    TTrajectoryWindow *FTrajectoryWindow = nullptr;
};
