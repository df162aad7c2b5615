#pragma once

#include <QObject>

class TBandOverlay;
class TJunctionReport;
class TTimeSpaceForm;

// The commands of the analysis the window shows beside the diagram: the junction report (a tool
// window made on first use and kept) and the progression band drawn over the diagram.
class TReportCommands : public QObject {
    Q_OBJECT

  public:
    explicit TReportCommands(TTimeSpaceForm *Form);

    // Made by their commands; nullptr before.
    TJunctionReport *Report() const { return FReport; }
    TBandOverlay *Overlay() const { return FBandOverlay; }

  private:
    TTimeSpaceForm *FForm;
    TJunctionReport *FReport = nullptr;
    TBandOverlay *FBandOverlay = nullptr;
};
