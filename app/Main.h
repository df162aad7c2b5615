#pragma once

#include "model/Common.h"
#include "platform/UpDown.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <array>

class QComboBox;
class QGroupBox;
class QPushButton;
class TImage;
class TLabel;
class TLed;
class TSpaceLink;
class THelpForm;
class THintSwitch;
class TThreadedTimer;
class TTimeSpaceLight;
class TTimeSpaceLink;
class TTrackBar;

// The main window: the arterial model (six junction strips, seven progression links, seven
// queue links), its inputs, the recomputation pipeline and every handler of the window.
class TTimeSpaceForm : public QWidget {
    Q_OBJECT

  public:
    explicit TTimeSpaceForm(QWidget *Parent = nullptr);
    ~TTimeSpaceForm() override;

    // Start-up and the recomputation pipeline.
    void FormCreate(QObject *Sender);
    void RefreshTimeSpaceDiagram();
    void ReDodiagram();

    // Progression of both directions.
    PlatoonSet TimeSpaceInitInput(int Direction);
    PlatoonSet InitNullInput();
    int CalculateflowSum(const PlatoonSet &Set);
    void TimeSpaceBkCalculate(const PlatoonSet &Input);
    void TimeSpaceFwCalculate(const PlatoonSet &Input);
    bool IfFwCycleFailure();
    bool IfBkCycleFailure();

    // Delay and stops of southbound traffic.
    int CalculateVehDelayAtLight(TTimeSpaceLight *Light);
    double CalculateExpectedDelayPerVeh();
    void DisplayDelayPerVeh(double Value);
    double CalculateArterialStops();
    void DisplayArtStops(double Value);

    // Diagram geometry and composition.
    void ReAllign(int Junction);
    void PaintTimeSpacepaintBox();
    void SetBackGroundBitmapColor(const QColor &Colour);
    void SetBackGroundColor(const QColor &Colour);
    void EnableRefreshButton(bool Flag);
    void ReSetClick(QObject *Sender);
    void RefreshClick(QObject *Sender);

    // Traffic inputs and strip events.
    void FwMainRoadVolChange(QObject *Sender);
    void BkMainRoadVolChange(QObject *Sender);
    void MainRoadSpeedLimitFwdChange(QObject *Sender);
    void MainRoadSpeedLimitBkdChange(QObject *Sender);
    void SideVolChange(QObject *Sender);
    void TrafficLeavingChange(QObject *Sender);
    void TimeSpaceLight2CycleChange(QObject *Sender);
    void TimeSpaceLight4VerticleMove(QObject *Sender);
    void SideVolMaxAdjust();
    void UpdateSideVolLables();

    // Junction timing panel.
    void JCTChange(QObject *Sender);
    void CycleOffsetUpDownClick(QObject *Sender, TUDBtnType Button);
    void CycleTimeUpDownClick(QObject *Sender, TUDBtnType Button);
    void SplitUpDownClick(QObject *Sender, TUDBtnType Button);
    void SplitGreenClick(QObject *Sender);
    void SplitRedClick(QObject *Sender);
    void SetLightStateBox();

    // Hints and cycle-failure indicators.
    void SetHints();
    void SetTrafficLightHints(TTimeSpaceLight *Light);
    void ThreadedTimer1Timer(QObject *Sender);
    bool ShowHint() const;
    void SetShowHint(bool Value);

    // Help.
    void HelpClick(QObject *Sender);
    void HelpSetupClick(QObject *Sender);
    void ExecBrowser(const QString &Browser, const QString &HelpPage);
    bool CreateProcessSimple(const QString &CommandLine);
    THelpForm *HelpForm() const { return FHelpForm; }

    // Read access for tools and tests.
    double PlatoonFactor() const { return FPlatoonFactor; }
    int EnteringVol() const { return FEnteringVol; }
    bool FwFailure() const { return FFwFailure; }
    bool BkFailure() const { return FBkFailure; }
    QString BrowserPath() const { return FBrowserPath; }
    QString HelpFile() const { return FHelpFile; }
    TTimeSpaceLight *Light(int Junction) const { return FLights[Junction]; }
    TTimeSpaceLink *Link(int Index) const { return FLinks[Index]; }
    TSpaceLink *SpaceLink(int Index) const { return FSpaceLinks[Index]; }
    TImage *JunctionImage(int Junction) const { return FImages[Junction]; }
    TLabel *JunctionLabel(int Junction) const { return FLabels[Junction]; }
    int CompositionCount() const { return FCompositionCount; }

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
    void BuildForm();
    void BindEvents();
    TTimeSpaceLight *SelectedLight() const;
    void TimingEdited();
    // The factor, the volume maxima and the labels that follow a junction's timing.
    void TimingInputsChanged();
    // The panel's arrows loaded from the selected junction.
    void LoadPanelPositions();
    void LoadOffsetPosition();
    // The input-change tail: a pending re-layout first, then the recomputation.
    void InputChanged();
    // Snaps a volume track bar to its step and writes both volume labels.
    bool SnapVolume(QObject *Sender);
    void JunctionStep(int Junction, TTimeSpaceLink *Link, TSpaceLink *Queue, bool Forward,
                      PlatoonSet &Set);
    static int Capacity(const TTimeSpaceLight *Light);
    static int VolumeMaximum(int Capacity);
    void UpdatePlatoonFactor();

    int FEnteringVol = 0;
    double FPlatoonFactor = 0.0;
    QString FBrowserPath;
    QString FHelpFile;
    bool FFwFailure = false;
    bool FBkFailure = false;
    std::array<TTimeSpaceLight *, 7> FLights{}; // 1..6
    std::array<TTimeSpaceLink *, 8> FLinks{};   // 1..7
    std::array<TSpaceLink *, 8> FSpaceLinks{};  // 1..7
    std::array<TImage *, 7> FImages{};          // 1..6
    std::array<TLabel *, 7> FLabels{};          // 1..6

    THintSwitch *FHints = nullptr;
    THelpForm *FHelpForm = nullptr;
    int FCompositionCount = 0;
};
