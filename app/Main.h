#pragma once

#include "app/MainForm.h"
#include "document/ArterialDocument.h"
#include "model/Common.h"
#include "model/Plan.h"
#include "platform/UpDown.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

class QAction;
class QContextMenuEvent;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QKeyEvent;
class QUndoStack;
class TBandOverlay;
class TFileCommands;
class THelpForm;
class THintSwitch;
class TJunctionReport;
class TReportCommands;
class TTrajectoryOverlay;

// The main window: the arterial (six junction strips, seven progression links, seven queue
// links) on the form's controls, the recomputation pipeline and every handler of the window.
// The arterial itself is the document's (TArterialDocument): the window turns its controls'
// events into a plan, has the document evaluate it once per change, and hands each control
// its part of the evaluation to draw.
class TTimeSpaceForm : public TMainForm {
    Q_OBJECT

  public:
    explicit TTimeSpaceForm(QWidget *Parent = nullptr);
    ~TTimeSpaceForm() override;

    // Start-up and the recomputation pipeline.
    void FormCreate(QObject *Sender);
    void RefreshTimeSpaceDiagram();
    void ReDodiagram();

    // Progression of both directions, as the last evaluation found it.
    PlatoonSet TimeSpaceInitInput(int Direction);
    int CalculateflowSum(const PlatoonSet &Set);
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
    void DescribeStrip(int Junction);
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
    double PlatoonFactor() const;
    int EnteringVol() const;
    TArterialDocument *Document() const { return FDocument; }
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

    // The window's commands in the order of the context menu that the diagram and the
    // window's background open; a null action is a separator. Each command's shortcut works
    // anywhere in the window.
    void AddCommand(QAction *Action);
    const QList<QAction *> &Commands() const { return FCommands; }
    // The command of that name, mnemonics aside, or nullptr.
    QAction *Command(const QString &Name) const;

    // What an undo step, a scenario file and the document keep of the window: its settings,
    // and the layout state that an undo step gives back. States are captured and applied
    // through the controls' setters and the pipeline, so an opened file or an undone edit gives
    // the very figures, captions and pictures the window had.
    TEditState CurrentState() const;
    void ApplyState(const TEditState &State);
    // The state the window starts in, which New gives back.
    const TEditState &StartState() const { return FStartState; }
    // The file, history and picture commands.
    TFileCommands *Files() const { return FFiles; }
    const QString &FileName() const { return FDocument->FileName(); }
    QUndoStack *UndoStack() const { return FDocument->UndoStack(); }
    // Whether the diagram panel shows its keyboard focus on the selected strip.
    bool FocusMarked() const;

    // The analysis windows and overlays, made by their commands.
    TJunctionReport *JunctionReport() const;
    TBandOverlay *BandOverlay() const;
    TTrajectoryOverlay *TrajectoryOverlay() const;

    // Where the command menu opens: at the pointer when the mouse asks for it; from the keys
    // (the Menu key, Shift+F10) at the selected junction when the diagram has the focus, else
    // at the focused control.
    QPoint CommandMenuPlace(bool FromKeyboard, QPoint Pointer) const;

  signals:
    // After every recomputation of both directions: figures, pictures and lamps are new.
    void Recomputed();

  protected:
    void contextMenuEvent(QContextMenuEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;
    void closeEvent(QCloseEvent *Event) override;
    void dragEnterEvent(QDragEnterEvent *Event) override;
    void dropEvent(QDropEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

  private:
    // The diagram panel takes the keyboard first, with its focus frame and its keys.
    void SetUpKeyboard();
    // Records the edit just made as one undo step; within a mouse gesture the step is
    // recorded when the button is released.
    void EditDone(EditKind Kind);
    void WatchGestures(QWidget *Control);
    // The strip's junction number and marker follow its top.
    void PlaceStripMarkers(int Junction);
    // The speed labels and every link follow the speed track bars.
    void ApplySpeeds();
    bool DiagramKey(const QKeyEvent *Event);
    static bool IsMenuKey(const QKeyEvent *Event);
    void ShowCommandMenu(QPoint At);
    // Runs one key's edit of a junction, marked so that its undo step merges with the last
    // one when that was the same edit of the same junction.
    void KeyRun(int Junction, int Edit, const std::function<void()> &Apply);
    void UpdateFocusFrame();
    void UpdateAccessibleTexts();

    void BindEvents();
    // The plan the controls hold: the strips' timings, the links' lengths, the track bars.
    ArterialPlan CurrentPlan() const;
    // Hands each strip, link and queue link its part of the document's evaluation.
    void ShowEvaluation();
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
    // Gives the selected junction's red (or green) one split step more.
    void SplitClick(bool MoreRed);

    TArterialDocument *FDocument = nullptr;
    TEditState FStartState;
    TFileCommands *FFiles = nullptr;
    QString FBrowserPath;
    QString FHelpFile;
    bool FFwFailure = false;
    bool FBkFailure = false;
    PerJunction<TTimeSpaceLight *> FLights{};
    PerLink<TTimeSpaceLink *> FLinks{};
    PerLink<TSpaceLink *> FSpaceLinks{};
    PerJunction<TImage *> FImages{};
    PerJunction<TLabel *> FLabels{};

    QList<QAction *> FCommands;
    bool FGestureOpen = false;
    std::optional<EditKind> FGestureKind;
    bool FApplying = false;
    int FKeyRun = 0; // the merge key of the key edit under way, or 0
    bool FRecomputed = false;
    bool FDelayUnitChosen = false; // the last recomputation had flow, and chose the unit
    std::pair<QString, QString> FStartCaptions; // the measures' captions before any change
    QImage FStartCanvas;                        // and the diagram's picture
    bool FComposedWhilePending = false;
    PerJunction<int> FComposedTops{};
    bool FKeyboardFocus = false;
    QWidget *FFocusFrame = nullptr;
    TReportCommands *FReports = nullptr;
    THintSwitch *FHints = nullptr;
    // What each strip's hint and description were last written from: most recomputations
    // leave most strips' timing, failures and links as they were.
    struct HintFacts {
        int CycleTime = -1;
        int CycleOffset = 0;
        int PercentRed = 0;
        bool FwFailure = false;
        bool BkFailure = false;
        LinkMeasure Above;
        LinkMeasure Below;
        friend bool operator==(const HintFacts &, const HintFacts &) = default;
    };
    PerJunction<HintFacts> FHintFacts{};
    THelpForm *FHelpForm = nullptr;
    int FCompositionCount = 0;
};
