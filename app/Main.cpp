#include "app/Main.h"

#include "app/FileCommands.h"
#include "app/Layout.h"
#include "app/MenuBar.h"
#include "app/OptimiseCommands.h"
#include "app/PrintCommands.h"
#include "app/ReportCommands.h"
#include "app/SimulationCommands.h"
#include "app/TimingTable.h"
#include "controls/Led.h"
#include "controls/SpaceLink.h"
#include "controls/ThdTimer.h"
#include "controls/TimeSpaceLight.h"
#include "controls/TimeSpaceLink.h"
#include "document/TextHelpers.h"
#include "help/BrowserLaunch.h"
#include "help/HelpSetup.h"
#include "model/Measures.h"
#include "model/Numbers.h"
#include "model/Platoons.h"
#include "model/Progression.h"
#include "platform/Colors.h"
#include "platform/HintSwitch.h"
#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/TrackBar.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRegion>

#include <algorithm>

using namespace NamedColor;

TTimeSpaceForm::TTimeSpaceForm(QWidget *Parent) : TMainForm(Parent) {
    FDocument = new TArterialDocument(this);
    FHints = new THintSwitch(this);
    BindEvents();
    FormCreate(this);
    // The Help Setup dialog is made once, hidden, and reused by every Help Setup click.
    FHelpForm = new THelpForm(this);
    // A right-click on a strip resets it: it opens no menu.
    for (TTimeSpaceLight *light : FLights) {
        light->setContextMenuPolicy(Qt::PreventContextMenu);
    }
    FStartCaptions = {DelayPerVeh->Caption(), ArtStops->Caption()};
    FStartCanvas = TimeSpaceImage->Canvas().copy();
    FStartState = CurrentState();
    FDocument->Adopt(FStartState);
    connect(FDocument, &TArterialDocument::Restore, this,
            [this](const TEditState &State) { ApplyState(State); });
    FFiles = new TFileCommands(this);
    SetUpKeyboard();
    FReports = new TReportCommands(this);
    AddSimulationCommands(*this);
    AddOptimiseCommands(*this);
    AddTimingTableCommand(*this);
    AddPrintCommands(*this);
    // Last: the menu bar lists the commands made above.
    AddMenuBar(*this);
}

TTimeSpaceForm::~TTimeSpaceForm() {
    // The document goes first: its history, being destroyed, still reports its clean state,
    // which must not reach a window that is half gone.
    delete FDocument;
    FDocument = nullptr;
    // The timer's worker must stop before the controls its ticks touch go away.
    delete ThreadedTimer1;
    ThreadedTimer1 = nullptr;
}

void TTimeSpaceForm::BindEvents() {
    // Every user edit ends in one undo step (EditDone); the handlers themselves know nothing
    // of the history.
    const auto edit = [this](EditKind kind, void (TTimeSpaceForm::*handler)(QObject *)) {
        return [this, kind, handler](QObject *s) {
            (this->*handler)(s);
            EditDone(kind);
        };
    };
    FwMainRoadVol->SetOnChange(edit(EditKind::Input, &TTimeSpaceForm::FwMainRoadVolChange));
    BkMainRoadVol->SetOnChange(edit(EditKind::Input, &TTimeSpaceForm::BkMainRoadVolChange));
    MainRoadSpeedLimitFwd->SetOnChange(
        edit(EditKind::Input, &TTimeSpaceForm::MainRoadSpeedLimitFwdChange));
    MainRoadSpeedLimitBkd->SetOnChange(
        edit(EditKind::Input, &TTimeSpaceForm::MainRoadSpeedLimitBkdChange));
    SideVol->SetOnChange(edit(EditKind::Input, &TTimeSpaceForm::SideVolChange));
    TrafficLeaving->SetOnChange(edit(EditKind::Input, &TTimeSpaceForm::TrafficLeavingChange));

    for (TTimeSpaceLight *light : {TimeSpaceLight2, TimeSpaceLight4, TimeSpaceLight6,
                                   TimeSpaceLight8, TimeSpaceLight10, TimeSpaceLight12}) {
        const TNotifyEvent cycleChange =
            edit(EditKind::Timing, &TTimeSpaceForm::TimeSpaceLight2CycleChange);
        light->SetOnTimingOffset(cycleChange);
        light->SetOnTimingChange(cycleChange);
        light->SetOnCycleTimeChange(cycleChange);
        light->SetOnReset(cycleChange);
        if (light != TimeSpaceLight2) {
            light->SetOnVerticleMove(
                edit(EditKind::VerticalMove, &TTimeSpaceForm::TimeSpaceLight4VerticleMove));
        }
        FHints->Watch(light);
        WatchGestures(light);
    }
    for (QWidget *bar : std::initializer_list<QWidget *>{
             FwMainRoadVol, BkMainRoadVol, MainRoadSpeedLimitFwd, MainRoadSpeedLimitBkd, SideVol,
             TrafficLeaving, CycleOffsetUpDown, CycleTimeUpDown, SplitUpDown}) {
        WatchGestures(bar);
    }

    connect(JCT, &QComboBox::activated, this, [this] { JCTChange(JCT); });
    const auto arrows = [this](void (TTimeSpaceForm::*handler)(QObject *, TUDBtnType)) {
        return [this, handler](QObject *s, TUDBtnType b) {
            (this->*handler)(s, b);
            EditDone(EditKind::Timing);
        };
    };
    CycleOffsetUpDown->SetOnClick(arrows(&TTimeSpaceForm::CycleOffsetUpDownClick));
    CycleTimeUpDown->SetOnClick(arrows(&TTimeSpaceForm::CycleTimeUpDownClick));
    SplitUpDown->SetOnClick(arrows(&TTimeSpaceForm::SplitUpDownClick));
    SplitGreen->SetOnClick(edit(EditKind::Timing, &TTimeSpaceForm::SplitGreenClick));
    SplitRed->SetOnClick(edit(EditKind::Timing, &TTimeSpaceForm::SplitRedClick));

    connect(Help, &QPushButton::clicked, this, [this] { HelpClick(Help); });
    connect(HelpSetup, &QPushButton::clicked, this, [this] { HelpSetupClick(HelpSetup); });
    connect(Refresh, &QPushButton::clicked, this, [this] {
        RefreshClick(Refresh);
        EditDone(EditKind::Relayout);
    });
    connect(ReSet, &QPushButton::clicked, this, [this] {
        ReSetClick(ReSet);
        EditDone(EditKind::Reset);
    });
    ThreadedTimer1->SetOnTimer([this](QObject *s) { ThreadedTimer1Timer(s); });
}

// ---------------------------------------------------------------------------------------------
// Start-up and the recomputation pipeline

void TTimeSpaceForm::FormCreate(QObject *) {
    FLinks = {{TimeSpaceLink1, TimeSpaceLink3, TimeSpaceLink5, TimeSpaceLink7, TimeSpaceLink9,
               TimeSpaceLink11, TimeSpaceLink13}};
    FLights = {{TimeSpaceLight2, TimeSpaceLight4, TimeSpaceLight6, TimeSpaceLight8,
                TimeSpaceLight10, TimeSpaceLight12}};
    FSpaceLinks = {
        {SpaceLink1, SpaceLink3, SpaceLink5, SpaceLink7, SpaceLink9, SpaceLink11, SpaceLink13}};
    FImages = {{Image2, Image4, Image6, Image8, Image10, Image12}};
    FLabels = {{Label1, Label2, Label3, Label4, Label5, Label6}};

    FBrowserPath = BrowserLaunch::DefaultBrowserPath;
    FHelpFile = BrowserLaunch::DefaultHelpFile;

    // The arterial as it starts, evaluated for the report and the band without showing any
    // figure: the captions keep the form's texts until the first change.
    FDocument->Evaluate(CurrentPlan());
    SideVolMaxAdjust();
    FwMainRoadVol->SetMax(FDocument->Result().SouthVolumeMaximum);
    BkMainRoadVol->SetMax(FDocument->Result().NorthVolumeMaximum);

    FFwFailure = false;
    FBkFailure = false;

    JCT->setCurrentIndex(0);
    CycleTimeUpDown->SetMin(PanelMinCycleTime);
    CycleTimeUpDown->SetMax(PanelMaxCycleTime);
    LoadPanelPositions();
    SetLightStateBox();

    SetShowHint(false);

    // The speeds shown are the speeds computed: every link starts at the track bars' 45 mph.
    for (TTimeSpaceLink *link : FLinks) {
        link->SetFwdSpeedMph(MainRoadSpeedLimitFwd->Position());
        link->SetBackSpeedMph(MainRoadSpeedLimitBkd->Position());
    }

    ReDodiagram();
}

void TTimeSpaceForm::RefreshTimeSpaceDiagram() {
    // A panel edit recomposes with the strips where a pending move left them.
    FComposedWhilePending = Refresh->isEnabled();
    for (int k = 1; k <= JunctionCount; ++k) {
        FComposedTops[k] = FComposedWhilePending ? FLights[k]->y() : 0;
    }
    // Both directions, once: every strip, link and queue link then shows its part.
    FDocument->Evaluate(CurrentPlan());
    ShowEvaluation();

    SetHints();
    CalculateExpectedDelayPerVeh();
    CalculateArterialStops();
    PaintTimeSpacepaintBox();

    CFNorth->hide();
    CFSouth->hide();
    ThreadedTimer1->SetEnabled(true);
    FFwFailure = IfFwCycleFailure();
    FBkFailure = IfBkCycleFailure();
    SetLightStateBox();
    FRecomputed = true;
    emit Recomputed();
}

ArterialPlan TTimeSpaceForm::CurrentPlan() const {
    ArterialPlan plan;
    for (int k = 1; k <= JunctionCount; ++k) {
        const TTimeSpaceLight *light = FLights[k];
        plan.Signals[k] = {light->CycleTime(),
                           light->CycleOffset(),
                           {light->RedTime(), light->GreenTime(), light->YellowTime()},
                           light->PercentRed(),
                           light->PercentGreen()};
    }
    // The links' lengths as the platoons drive them: while a re-layout is pending, the old ones.
    for (int k = 1; k <= LinkCount; ++k) {
        plan.SpanPixels[k] = FLinks[k]->TravelSpan();
    }
    plan.SouthSpeedMph = MainRoadSpeedLimitFwd->Position();
    plan.NorthSpeedMph = MainRoadSpeedLimitBkd->Position();
    plan.SouthVolume = FwMainRoadVol->Position();
    plan.NorthVolume = BkMainRoadVol->Position();
    plan.EnteringPercent = SideVol->Position();
    plan.LeavingPercent = TrafficLeaving->Position();
    return plan;
}

void TTimeSpaceForm::ShowEvaluation() {
    const ArterialEvaluation &result = FDocument->Result();
    for (int k = 1; k <= JunctionCount; ++k) {
        const JunctionEvaluation &junction = result.Junctions[k];
        FLights[k]->SetPassages(junction.South.Arriving, junction.South.Passage,
                                junction.North.Arriving, junction.North.Passage);
    }
    for (int k = 1; k <= LinkCount; ++k) {
        FLinks[k]->SetSets(result.Links[k]);
        // The queue link above a junction shows its southbound queue, the one below it its
        // northbound queue; the end links show what their one junction leaves.
        FSpaceLinks[k]->SetFwQueues(result.Links[k].FwQueues);
        FSpaceLinks[k]->SetBkQueues(result.Links[k].BkQueues);
    }
}

void TTimeSpaceForm::ReDodiagram() {
    // JCT #1 stays at the top; each other junction brings the links around it to its place.
    for (int k = 2; k <= JunctionCount; ++k) {
        ReAllign(k);
    }
    SetBackGroundBitmapColor(clBlack);
    EnableRefreshButton(false);
    FComposedWhilePending = false;
}

void TTimeSpaceForm::InputChanged() {
    if (Refresh->isEnabled()) {
        ReDodiagram();
    }
    RefreshTimeSpaceDiagram();
}

TTimeSpaceLight *TTimeSpaceForm::SelectedLight() const {
    const int index = JCT->currentIndex();
    return FLights[(index >= 0 && index < JunctionCount ? index : 0) + 1];
}

double TTimeSpaceForm::PlatoonFactor() const {
    return ::PlatoonFactor(FLights[ReferenceJunction]->CycleTime());
}

TJunctionReport *TTimeSpaceForm::JunctionReport() const {
    return FReports->Report();
}

TBandOverlay *TTimeSpaceForm::BandOverlay() const {
    return FReports->Overlay();
}

TTrajectoryOverlay *TTimeSpaceForm::TrajectoryOverlay() const {
    return FReports->Trajectories();
}

int TTimeSpaceForm::EnteringVol() const {
    return FDocument->Result().EnteringVolume;
}

// ---------------------------------------------------------------------------------------------
// Progression of both directions

PlatoonSet TTimeSpaceForm::TimeSpaceInitInput(int Direction) {
    const int volume = Direction == 1 ? FwMainRoadVol->Position() : BkMainRoadVol->Position();
    // Both directions enter at JCT #1's platoon factor.
    return EntryPlatoon(volume, FLights[1]->CycleTime());
}

int TTimeSpaceForm::CalculateflowSum(const PlatoonSet &Set) {
    return PlatoonFlowSum(Set);
}

bool TTimeSpaceForm::IfFwCycleFailure() {
    return FDocument->Result().South.Failure;
}

bool TTimeSpaceForm::IfBkCycleFailure() {
    return FDocument->Result().North.Failure;
}

// ---------------------------------------------------------------------------------------------
// Delay and stops of southbound traffic

int TTimeSpaceForm::CalculateVehDelayAtLight(TTimeSpaceLight *Light) {
    // The strip holds the southbound passage of the last evaluation.
    return JunctionDelay(Light->QueueSet(), Light->StoppedSeconds());
}

double TTimeSpaceForm::CalculateExpectedDelayPerVeh() {
    const DelayPerVehicle &delay = FDocument->Result().South.Delay;
    FDelayUnitChosen = delay.Unit.has_value();
    if (delay.Unit) {
        TimeUnits->SetCaption(FromView(DelayUnitCaption(*delay.Unit)));
    }
    DisplayDelayPerVeh(delay.Value);
    return delay.Value;
}

namespace {
std::string LocaleText(const QString &text) {
    return text.toStdString();
}
} // namespace

void TTimeSpaceForm::DisplayDelayPerVeh(double Value) {
    const QLocale locale;
    QString caption = QString::fromStdString(FormatDelayPerVeh(
        Value, LocaleText(locale.decimalPoint()), LocaleText(locale.groupSeparator())));
    if (IfFwCycleFailure()) {
        caption = FromView(UnboundedCaption);
    }
    DelayPerVeh->SetCaption(caption);
}

double TTimeSpaceForm::CalculateArterialStops() {
    const double stops = FDocument->Result().South.Stops;
    DisplayArtStops(stops);
    return stops;
}

void TTimeSpaceForm::DisplayArtStops(double Value) {
    const QLocale locale;
    QString caption =
        QString::fromStdString(FormatArtStops(Value, LocaleText(locale.decimalPoint())));
    if (IfFwCycleFailure()) {
        caption = FromView(UnboundedCaption);
    }
    ArtStops->SetCaption(caption);
}

// ---------------------------------------------------------------------------------------------
// Diagram geometry and composition

void TTimeSpaceForm::ReAllign(int Junction) {
    const int k = Junction;
    const bool last = k == JunctionCount;
    TTimeSpaceLight *light = FLights[k];
    const int lightTop = light->y();
    const int lightBottom = lightTop + light->height();

    auto setTop = [](QWidget *w, int top) { w->move(w->x(), top); };
    auto setHeight = [](QWidget *w, int height) { w->resize(w->width(), std::max(0, height)); };

    setHeight(FLinks[k], lightTop - FLinks[k]->y());
    setTop(FLinks[k + 1], lightBottom);
    setHeight(FLinks[k + 1], (last ? PanelHeight : FLights[k + 1]->y()) - lightBottom);
    setTop(FSpaceLinks[k + 1], lightTop + Trunc(light->height() / 2.0L));
    setHeight(FSpaceLinks[k], FSpaceLinks[k + 1]->y() - FSpaceLinks[k]->y());
    setHeight(FSpaceLinks[k + 1],
              (last ? PanelHeight : FSpaceLinks[k + 2]->y()) - FSpaceLinks[k + 1]->y());
    setTop(FImages[k], lightTop);
    setTop(FLabels[k], lightTop + (last ? LastJunctionLabelDrop : JunctionLabelDrop));
    if (k == EnteringJunction) {
        setTop(EnteringTrafficControls, lightTop + CrossroadBoxDrop);
    } else if (k == LeavingJunction) {
        setTop(LeavingTrafficControls, lightTop + CrossroadBoxDrop);
    }
}

void TTimeSpaceForm::PaintTimeSpacepaintBox() {
    // Composed straight onto the backdrop's canvas: the ground, the links, then the strips
    // above them. A panel-sized picture copied onto the canvas would leave the same pixels (the
    // copy replaces every pixel, and only its part left of the canvas's edge lands), at the cost
    // of one more picture and one more copy at every event.
    QImage &canvas = TimeSpaceImage->Canvas();
    if (!canvas.isNull()) {
        QPainter painter(&canvas);
        // The ground shows only where no picture lands. A strip's picture is opaque (it starts
        // black), a link's is when its background colour is; while the diagram is aligned
        // they tile the whole canvas and no ground needs painting at all. While a re-layout is
        // pending the gaps keep the backdrop's colour (white), so that they still show where
        // strips and links no longer meet.
        QRegion ground(canvas.rect());
        bool opaque = true;
        for (const TTimeSpaceLink *link : FLinks) {
            ground -= link->geometry();
            opaque = opaque && link->BackGroundColor().alpha() == 255;
        }
        for (const TTimeSpaceLight *light : FLights) {
            ground -= light->geometry();
        }
        if (!opaque) {
            ground = canvas.rect();
        }
        for (const QRect &rect : ground) {
            painter.fillRect(rect, TimeSpaceImage->FillColour());
        }
        for (TTimeSpaceLink *link : FLinks) {
            painter.drawImage(link->pos(), link->GetBitmap());
        }
        for (TTimeSpaceLight *light : FLights) {
            painter.drawImage(light->pos(), light->GetBitmap());
        }
    }
    TimeSpaceImage->CanvasChanged();
    ++FCompositionCount;
}

void TTimeSpaceForm::SetBackGroundBitmapColor(const QColor &Colour) {
    TimeSpaceImage->FillCanvas(Colour);
}

void TTimeSpaceForm::SetBackGroundColor(const QColor &Colour) {
    for (TTimeSpaceLink *link : FLinks) {
        link->SetBackGroundColor(Colour);
    }
}

void TTimeSpaceForm::EnableRefreshButton(bool Flag) {
    Refresh->setEnabled(Flag);
}

void TTimeSpaceForm::ReSetClick(QObject *) {
    for (int k = 2; k <= JunctionCount; ++k) {
        TTimeSpaceLight *light = FLights[k];
        light->move(light->x(), LoadedStripTops[k]);
        ReDodiagram();
    }
    RefreshTimeSpaceDiagram();
}

void TTimeSpaceForm::RefreshClick(QObject *) {
    InputChanged();
}

// ---------------------------------------------------------------------------------------------
// Commands

void TTimeSpaceForm::AddCommand(QAction *Action) {
    if (Action != nullptr) {
        Action->setShortcutContext(Qt::WindowShortcut);
        addAction(Action);
    }
    FCommands.append(Action);
}

QAction *TTimeSpaceForm::Command(const QString &Name) const {
    const auto plain = [](QString Text) { return Text.remove(QLatin1Char('&')); };
    for (QAction *action : FCommands) {
        if (action != nullptr && plain(action->text()) == plain(Name)) {
            return action;
        }
    }
    return nullptr;
}

void TTimeSpaceForm::contextMenuEvent(QContextMenuEvent *Event) {
    // Reached from the window's background and from every child that opens no menu of its own,
    // the diagram panel among them.
    ShowCommandMenu(
        CommandMenuPlace(Event->reason() == QContextMenuEvent::Keyboard, Event->globalPos()));
}

void TTimeSpaceForm::keyPressEvent(QKeyEvent *Event) {
    if (IsMenuKey(Event)) {
        ShowCommandMenu(CommandMenuPlace(true, QCursor::pos()));
        return;
    }
    TMainForm::keyPressEvent(Event);
}

bool TTimeSpaceForm::IsMenuKey(const QKeyEvent *Event) {
    // The Menu key reaches contextMenuEvent as a keyboard menu request from the platform, and
    // so does Shift+F10 on Windows; elsewhere Shift+F10 is only a key.
#ifdef Q_OS_WIN
    Q_UNUSED(Event);
    return false;
#else
    const Qt::KeyboardModifiers keys =
        Event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    return Event->key() == Qt::Key_F10 && keys == Qt::ShiftModifier;
#endif
}

QPoint TTimeSpaceForm::CommandMenuPlace(bool FromKeyboard, QPoint Pointer) const {
    if (!FromKeyboard) {
        return Pointer;
    }
    const QWidget *focus = focusWidget();
    if (focus == nullptr || focus == TimeSpaceDiagram || !isAncestorOf(focus)) {
        // Just below the selected junction's strip, a little way in from its start.
        const TTimeSpaceLight *strip = FLights[JCT->currentIndex() + 1];
        return strip->mapToGlobal(QPoint(strip->width() / 8, strip->height()));
    }
    return focus->mapToGlobal(focus->rect().center());
}

void TTimeSpaceForm::ShowCommandMenu(QPoint At) {
    QMenu menu(this);
    for (QAction *action : std::as_const(FCommands)) {
        if (action == nullptr) {
            menu.addSeparator();
        } else {
            menu.addAction(action);
        }
    }
    menu.exec(At);
}
