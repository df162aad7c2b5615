#pragma once

#include <QWidget>

class QComboBox;
class QGroupBox;
class QPushButton;
class TImage;
class TLabel;
class TLed;
class TSpaceLink;
class TThreadedTimer;
class TTimeSpaceLight;
class TTimeSpaceLink;
class TTrackBar;
class TUpDown;

// The main window's form: every control with its name, parent, place, caption, font and range,
// built from the layout tables in MainForm.cpp. The window's handlers and its pipeline live
// in the class that inherits it; the controls stay public under their own names so that
// tests and tools drive them as a user's events would.
class TMainForm : public QWidget {
    Q_OBJECT

  public:
    explicit TMainForm(QWidget *Parent = nullptr);

    // The area that holds the form's controls, at the form's own size; the window may hold a
    // menu bar above it.
    QWidget *Client() const { return FClient; }

    // The diagram panel and its children.
    QWidget *TimeSpaceDiagram = nullptr;
    TImage *Image1 = nullptr;
    TImage *TimeSpaceImage = nullptr;
    TTimeSpaceLink *TimeSpaceLink1 = nullptr, *TimeSpaceLink3 = nullptr, *TimeSpaceLink5 = nullptr,
                   *TimeSpaceLink7 = nullptr, *TimeSpaceLink9 = nullptr, *TimeSpaceLink11 = nullptr,
                   *TimeSpaceLink13 = nullptr;
    TTimeSpaceLight *TimeSpaceLight2 = nullptr, *TimeSpaceLight4 = nullptr,
                    *TimeSpaceLight6 = nullptr, *TimeSpaceLight8 = nullptr,
                    *TimeSpaceLight10 = nullptr, *TimeSpaceLight12 = nullptr;
    TSpaceLink *SpaceLink1 = nullptr, *SpaceLink3 = nullptr, *SpaceLink5 = nullptr,
               *SpaceLink7 = nullptr, *SpaceLink9 = nullptr, *SpaceLink11 = nullptr,
               *SpaceLink13 = nullptr;
    TImage *Image2 = nullptr, *Image4 = nullptr, *Image6 = nullptr, *Image8 = nullptr,
           *Image10 = nullptr, *Image12 = nullptr;

    // Left margin.
    TImage *Image14 = nullptr;
    TLabel *Label37 = nullptr, *Label8 = nullptr, *Label51 = nullptr, *Label52 = nullptr;
    TLabel *Label32 = nullptr, *Label34 = nullptr, *Label35 = nullptr, *Label36 = nullptr;
    TLabel *Label40 = nullptr, *Label42 = nullptr, *Label41 = nullptr;
    TLabel *Label43 = nullptr, *Label45 = nullptr, *Label44 = nullptr;
    TLabel *Label46 = nullptr, *Label47 = nullptr, *Label48 = nullptr;
    TLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
           *Label5 = nullptr, *Label6 = nullptr;

    // Top row.
    TLabel *Label7 = nullptr, *Label16 = nullptr, *Label10 = nullptr, *Label33 = nullptr;
    TTrackBar *FwMainRoadVol = nullptr, *BkMainRoadVol = nullptr;
    TTrackBar *MainRoadSpeedLimitFwd = nullptr, *MainRoadSpeedLimitBkd = nullptr;
    TLabel *FwMainRoadVolLabel = nullptr, *BkMainRoadVolLabel = nullptr;
    TLabel *MainRoadSpeedFwdLimLabel = nullptr, *MainRoadSpeedBkdLimLabel = nullptr;
    TLabel *Label22 = nullptr, *Label26 = nullptr, *Label23 = nullptr, *Label55 = nullptr;

    // Right column.
    QGroupBox *EnteringTrafficControls = nullptr;
    TLabel *Label9 = nullptr;
    TTrackBar *SideVol = nullptr;
    TLabel *DivertedTraffic1 = nullptr, *Label21 = nullptr, *DivertedTraffic2 = nullptr,
           *Label39 = nullptr;
    QGroupBox *LeavingTrafficControls = nullptr;
    TLabel *Label12 = nullptr;
    TTrackBar *TrafficLeaving = nullptr;
    TLabel *PercentLeaving1 = nullptr, *Label13 = nullptr, *PercentLeaving2 = nullptr,
           *Label38 = nullptr;

    // Bottom band.
    QGroupBox *GroupBox2 = nullptr;
    TLabel *Label15 = nullptr, *ArtStops = nullptr, *Label24 = nullptr, *Label28 = nullptr,
           *DelayPerVeh = nullptr, *TimeUnits = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    TLabel *Label19 = nullptr, *Label11 = nullptr, *Label20 = nullptr, *Label14 = nullptr,
           *Label25 = nullptr, *Label17 = nullptr, *Label27 = nullptr, *Label18 = nullptr,
           *Label29 = nullptr, *Label30 = nullptr, *Label31 = nullptr;
    QGroupBox *GroupBox5 = nullptr;
    QComboBox *JCT = nullptr;
    TLabel *Label56 = nullptr, *Label58 = nullptr, *CycleOffset = nullptr;
    TUpDown *CycleOffsetUpDown = nullptr;
    TLabel *Label54 = nullptr, *Label57 = nullptr, *SplitGreen = nullptr, *Label60 = nullptr,
           *SplitRed = nullptr;
    TUpDown *SplitUpDown = nullptr;
    TLabel *Label53 = nullptr, *Label59 = nullptr, *CycleTime = nullptr;
    TUpDown *CycleTimeUpDown = nullptr;
    QGroupBox *GroupBox3 = nullptr;
    QPushButton *Refresh = nullptr, *ReSet = nullptr;
    QGroupBox *GroupBox4 = nullptr;
    TLabel *Label50 = nullptr, *Label49 = nullptr;
    TLed *CFSouth = nullptr, *CFNorth = nullptr;
    QPushButton *HelpSetup = nullptr, *Help = nullptr;
    TThreadedTimer *ThreadedTimer1 = nullptr;

  private:
    void BuildDiagram();
    void BuildJunctionSelector();

    QWidget *FClient = nullptr;
};
