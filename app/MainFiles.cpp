#include "app/DiagramExport.h"
#include "app/Layout.h"
#include "app/Main.h"
#include "controls/Led.h"
#include "controls/SpaceLink.h"
#include "controls/TimeSpaceLight.h"
#include "controls/TimeSpaceLink.h"
#include "document/TextHelpers.h"
#include "platform/Colors.h"
#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/Prompts.h"
#include "platform/TrackBar.h"
#include "platform/UpDown.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QUndoStack>

// The window's work that lasts: scenario files, undo and redo, picture export, and the
// diagram panel's keyboard editing.

using namespace NamedColor;

namespace {

const QString WindowTitle = QStringLiteral("TimeSpace Diagram");
const QString ScenarioFilter = QStringLiteral("TimeSpace scenarios (*.json);;All files (*)");

// A dashed frame around the selected strip while the diagram panel has the keyboard focus. It
// lies over the panel's children and paints only its border, so the composed picture under it
// is unchanged.
class TFocusFrame : public QWidget {
  public:
    explicit TFocusFrame(QWidget *Parent) : QWidget(Parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

  protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setPen(QPen(clWhite, 1, Qt::DashLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// States

TEditState TTimeSpaceForm::CurrentState() const {
    TEditState state;
    Scenario &s = state.Settings;
    s.SouthboundVolume = FwMainRoadVol->Position();
    s.NorthboundVolume = BkMainRoadVol->Position();
    s.SouthboundSpeed = MainRoadSpeedLimitFwd->Position();
    s.NorthboundSpeed = MainRoadSpeedLimitBkd->Position();
    s.EnteringPercent = SideVol->Position();
    s.EnteringMaximum = SideVol->Max();
    s.LeavingPercent = TrafficLeaving->Position();
    for (const DelayUnit unit : {DelayUnit::Seconds, DelayUnit::Minutes, DelayUnit::Hours}) {
        if (TimeUnits->Caption() == FromView(DelayUnitCaption(unit))) {
            s.ShownDelayUnit = unit;
        }
    }
    for (int k = 1; k <= JunctionCount; ++k) {
        const TTimeSpaceLight *light = FLights[k];
        s.Junctions[k] = {
            light->CycleTime(), light->CycleOffset(), light->PercentRed(), light->PercentGreen(),
            light->RedTime(),   light->GreenTime(),   light->YellowTime(), light->y()};
        // The link below a strip starts where the strip ended when the diagram was laid out.
        state.LaidOutTops[k] = FLinks[k + 1]->y() - StripHeight;
    }
    state.LayoutPending = Refresh->isEnabled();
    state.ComposedWhilePending = FComposedWhilePending;
    state.ComposedTops = FComposedTops;
    state.Selected = JCT->currentIndex() + 1;
    state.Recomputed = FRecomputed;
    return state;
}

void TTimeSpaceForm::ApplyState(const TEditState &State) {
    FApplying = true;
    const Scenario &s = State.Settings;
    for (int k = 1; k <= JunctionCount; ++k) {
        FLights[k]->RestoreTiming(s.Junctions[k]);
    }
    MainRoadSpeedLimitFwd->SetPosition(s.SouthboundSpeed);
    MainRoadSpeedLimitBkd->SetPosition(s.NorthboundSpeed);
    ApplySpeeds();
    // The maxima follow the timing first, so that the old ones cannot clamp the volumes.
    TimingInputsChanged();
    SideVol->SetMax(s.EnteringMaximum);
    FwMainRoadVol->SetPosition(s.SouthboundVolume);
    BkMainRoadVol->SetPosition(s.NorthboundVolume);
    SideVol->SetPosition(s.EnteringPercent);
    TrafficLeaving->SetPosition(s.LeavingPercent);
    UpdateSideVolLables();
    FwMainRoadVolLabel->SetCaption(Decimal(FwMainRoadVol->Position()));
    BkMainRoadVolLabel->SetCaption(Decimal(BkMainRoadVol->Position()));

    // The layout the links were last made for, the recomputation on it, then what a pending
    // move changed since, as the move and a panel edit after it did.
    const auto placeStrips = [this](const PerJunction<int> &tops) {
        for (int k = 2; k <= JunctionCount; ++k) {
            FLights[k]->move(FLights[k]->x(), tops[k]);
        }
    };
    placeStrips(State.LaidOutTops);
    ReDodiagram();
    RefreshTimeSpaceDiagram();
    if (!State.Recomputed) {
        // Back to before the first change: the measures and the picture as they were then
        // (a pending move then whitens the picture as it did).
        DelayPerVeh->SetCaption(FStartCaptions.first);
        ArtStops->SetCaption(FStartCaptions.second);
        TimeSpaceImage->Canvas() = FStartCanvas;
        TimeSpaceImage->CanvasChanged();
        FRecomputed = false;
    }
    if (State.LayoutPending) {
        PerJunction<int> tops{};
        for (int k = 1; k <= JunctionCount; ++k) {
            tops[k] = s.Junctions[k].Top;
        }
        placeStrips(tops);
        for (int k = 2; k <= JunctionCount; ++k) {
            PlaceStripMarkers(k);
        }
        SetBackGroundBitmapColor(clWhite);
        EnableRefreshButton(true);
        if (State.ComposedWhilePending) {
            placeStrips(State.ComposedTops);
            RefreshTimeSpaceDiagram();
            placeStrips(tops);
        }
    }
    // With flow the unit follows the value; without, the label keeps the unit it showed.
    if (!FDelayUnitChosen) {
        TimeUnits->SetCaption(FromView(DelayUnitCaption(s.ShownDelayUnit)));
    }
    JCT->setCurrentIndex(State.Selected - 1);
    LoadPanelPositions();
    SetLightStateBox();
    FApplying = false;
    FDocument->Adopt(CurrentState());
    UpdateFocusFrame();
}

// ---------------------------------------------------------------------------------------------
// Undo and redo

void TTimeSpaceForm::WatchGestures(QWidget *Control) {
    Control->installEventFilter(this);
}

void TTimeSpaceForm::EditDone(EditKind Kind) {
    if (FApplying) {
        return;
    }
    if (FGestureOpen) {
        // A drag fires at every move: the gesture is one step, recorded at the release.
        if (!FGestureKind) {
            FGestureKind = Kind;
        }
        return;
    }
    FDocument->Record(Kind, CurrentState(), FKeyRun);
}

bool TTimeSpaceForm::eventFilter(QObject *Watched, QEvent *Event) {
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        FGestureOpen = true;
        break;
    case QEvent::MouseButtonRelease:
        if (FGestureOpen) {
            FGestureOpen = false;
            const EditKind kind = FGestureKind.value_or(EditKind::Timing);
            FGestureKind.reset();
            EditDone(kind);
        }
        break;
    default:
        break;
    }
    if (Watched == TimeSpaceDiagram) {
        if (Event->type() == QEvent::KeyPress) {
            if (DiagramKey(static_cast<QKeyEvent *>(Event))) {
                return true;
            }
        } else if (Event->type() == QEvent::FocusIn) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(Event)->reason();
            FKeyboardFocus = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
            UpdateFocusFrame();
        } else if (Event->type() == QEvent::FocusOut) {
            FKeyboardFocus = false;
            UpdateFocusFrame();
        }
    }
    return TMainForm::eventFilter(Watched, Event);
}

// ---------------------------------------------------------------------------------------------
// Files

void TTimeSpaceForm::UpdateTitle() {
    // Without a file the title stays the program's own, with no unsaved mark.
    const QString &file = FDocument->FileName();
    if (file.isEmpty()) {
        setWindowTitle(WindowTitle);
        return;
    }
    setWindowTitle(QFileInfo(file).fileName() + QStringLiteral("[*] - ") + WindowTitle);
    setWindowModified(!FDocument->IsClean());
}

bool TTimeSpaceForm::OpenFile(const QString &Path) {
    QString problem;
    const std::optional<Scenario> settings = TArterialDocument::Read(Path, problem);
    if (!settings) {
        Prompts::ShowMessage(this, Prompts::MessageKind::Warning, QStringLiteral("Open Scenario"),
                             problem);
        return false;
    }
    TEditState state;
    state.Settings = *settings;
    for (int k = 1; k <= JunctionCount; ++k) {
        state.LaidOutTops[k] = settings->Junctions[k].Top;
    }
    state.Selected = JCT->currentIndex() + 1;
    ApplyState(state);
    FDocument->Opened(Path, CurrentState());
    UpdateTitle();
    return true;
}

void TTimeSpaceForm::ClearHistory() {
    FDocument->ClearHistory(CurrentState());
    UpdateTitle();
}

bool TTimeSpaceForm::SaveFile(const QString &Path) {
    const QString problem = FDocument->Save(Path, CurrentState().Settings);
    if (!problem.isEmpty()) {
        Prompts::ShowMessage(this, Prompts::MessageKind::Warning, QStringLiteral("Save Scenario"),
                             problem);
        return false;
    }
    UpdateTitle();
    return true;
}

void TTimeSpaceForm::OpenClick() {
    if (!ConfirmUnsaved()) {
        return;
    }
    const QString path = Prompts::ChooseFile(
        this, {Prompts::FileMode::Open, QStringLiteral("Open Scenario"), ScenarioFilter,
               FileName().isEmpty() ? QString() : QFileInfo(FileName()).absolutePath()});
    if (!path.isEmpty()) {
        OpenFile(path);
    }
}

bool TTimeSpaceForm::SaveClick() {
    return FileName().isEmpty() ? SaveAsClick() : SaveFile(FileName());
}

bool TTimeSpaceForm::SaveAsClick() {
    QString path = Prompts::ChooseFile(
        this, {Prompts::FileMode::Save, QStringLiteral("Save Scenario As"), ScenarioFilter,
               FileName().isEmpty() ? QStringLiteral("scenario.json") : FileName()});
    if (path.isEmpty()) {
        return false;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".json");
    }
    return SaveFile(path);
}

bool TTimeSpaceForm::ConfirmUnsaved() {
    if (FDocument->IsClean()) {
        return true;
    }
    const QString text = FileName().isEmpty()
                             ? QStringLiteral("Save the changes to this scenario?")
                             : QStringLiteral("Save the changes to \u201c%1\u201d?")
                                   .arg(QFileInfo(FileName()).fileName());
    switch (Prompts::AskUnsaved(this, text)) {
    case Prompts::UnsavedAnswer::Save:
        return SaveClick();
    case Prompts::UnsavedAnswer::Discard:
        return true;
    case Prompts::UnsavedAnswer::Cancel:
        break;
    }
    return false;
}

void TTimeSpaceForm::closeEvent(QCloseEvent *Event) {
    if (ConfirmUnsaved()) {
        Event->accept();
    } else {
        Event->ignore();
    }
}

namespace {
QString DroppedFile(const QMimeData *Data) {
    if (Data == nullptr || !Data->hasUrls() || Data->urls().size() != 1) {
        return QString();
    }
    return Data->urls().constFirst().toLocalFile();
}
} // namespace

void TTimeSpaceForm::dragEnterEvent(QDragEnterEvent *Event) {
    if (!DroppedFile(Event->mimeData()).isEmpty()) {
        Event->acceptProposedAction();
    }
}

void TTimeSpaceForm::dropEvent(QDropEvent *Event) {
    const QString path = DroppedFile(Event->mimeData());
    if (path.isEmpty()) {
        return;
    }
    Event->acceptProposedAction();
    if (ConfirmUnsaved()) {
        OpenFile(path);
    }
}

// ---------------------------------------------------------------------------------------------
// Export

void TTimeSpaceForm::ExportClick() {
    const QString suggested = FileName().isEmpty()
                                  ? QStringLiteral("diagram.png")
                                  : QFileInfo(FileName()).absolutePath() + '/' +
                                        QFileInfo(FileName()).completeBaseName() + ".png";
    QString path = Prompts::ChooseFile(
        this, {Prompts::FileMode::Save, QStringLiteral("Export Diagram"),
               QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg)"), suggested});
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".png");
    }
    const QString problem = SaveDiagram(*this, path);
    if (!problem.isEmpty()) {
        Prompts::ShowMessage(this, Prompts::MessageKind::Warning, QStringLiteral("Export Diagram"),
                             problem);
    }
}

void TTimeSpaceForm::CopyClick() {
    CopyDiagram(*this);
}

// ---------------------------------------------------------------------------------------------
// Commands

namespace {
// The platform's keys for a standard command, and the common one where the platform has none
// (Save As has none on some desktops) or another.
QList<QKeySequence> KeysOf(QKeySequence::StandardKey Key, const QKeySequence &Common) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(Key);
    if (!keys.contains(Common)) {
        keys.append(Common);
    }
    return keys;
}
} // namespace

void TTimeSpaceForm::AddFileCommands() {
    const auto command = [this](const QString &text, const QList<QKeySequence> &keys, auto slot) {
        auto *action = new QAction(text, this);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, slot);
        AddCommand(action);
        return action;
    };
    command(QStringLiteral("Open..."), KeysOf(QKeySequence::Open, Qt::CTRL | Qt::Key_O),
            [this] { OpenClick(); });
    command(QStringLiteral("Save"), KeysOf(QKeySequence::Save, Qt::CTRL | Qt::Key_S),
            [this] { SaveClick(); });
    command(QStringLiteral("Save As..."),
            KeysOf(QKeySequence::SaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S),
            [this] { SaveAsClick(); });
    AddCommand(nullptr);
    QAction *undo = UndoStack()->createUndoAction(this, QStringLiteral("Undo"));
    undo->setShortcuts(KeysOf(QKeySequence::Undo, Qt::CTRL | Qt::Key_Z));
    AddCommand(undo);
    QAction *redo = UndoStack()->createRedoAction(this, QStringLiteral("Redo"));
    QList<QKeySequence> redoKeys = KeysOf(QKeySequence::Redo, Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    if (!redoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y))) {
        redoKeys.append(QKeySequence(Qt::CTRL | Qt::Key_Y));
    }
    redo->setShortcuts(redoKeys);
    AddCommand(redo);
    AddCommand(nullptr);
    command(QStringLiteral("Copy Diagram"), KeysOf(QKeySequence::Copy, Qt::CTRL | Qt::Key_C),
            [this] { CopyClick(); });
    command(QStringLiteral("Export Diagram..."), {QKeySequence(Qt::CTRL | Qt::Key_E)},
            [this] { ExportClick(); });

    connect(FDocument, &TArterialDocument::FileChanged, this, [this] { UpdateTitle(); });
    connect(FDocument, &TArterialDocument::Restore, this,
            [this](const TEditState &State) { ApplyState(State); });
    setAcceptDrops(true);
    UpdateTitle();

    // The keyboard: the diagram panel is the first stop of the tab order and has the focus
    // when the window opens.
    TimeSpaceDiagram->setFocusPolicy(Qt::StrongFocus);
    TimeSpaceDiagram->installEventFilter(this);
    QWidget::setTabOrder(TimeSpaceDiagram, FwMainRoadVol);
    TimeSpaceDiagram->setFocus(Qt::OtherFocusReason);
    FFocusFrame = new TFocusFrame(TimeSpaceDiagram);
    connect(this, &TTimeSpaceForm::Recomputed, this, [this] { UpdateFocusFrame(); });
    UpdateAccessibleTexts();
}

// ---------------------------------------------------------------------------------------------
// The diagram panel's keys

bool TTimeSpaceForm::DiagramKey(const QKeyEvent *Event) {
    const Qt::KeyboardModifiers modifiers =
        Event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    TTimeSpaceLight *light = SelectedLight();
    const int selected = JCT->currentIndex() + 1;
    const int key = Event->key();
    const bool plain = modifiers == Qt::NoModifier;
    const bool shift = modifiers == Qt::ShiftModifier;
    const bool ctrl = modifiers == Qt::ControlModifier;
    const int step = key == Qt::Key_Right || key == Qt::Key_Down ? 1 : -1;
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && plain) {
        const int next = std::clamp(selected + step, 1, JunctionCount);
        JCT->setCurrentIndex(next - 1);
        JCTChange(JCT);
        EditDone(EditKind::Timing);
    } else if ((key == Qt::Key_Up || key == Qt::Key_Down) && ctrl) {
        // As a ctrl-drag by one pixel: JCT #1 does not move, the others keep between neighbours.
        KeyRun(selected, 1, [light, step] { light->DragVertically(step); });
    } else if ((key == Qt::Key_Left || key == Qt::Key_Right) && plain) {
        KeyRun(selected, 2, [light, step] { light->DragOffset(step); });
    } else if ((key == Qt::Key_Left || key == Qt::Key_Right) && shift) {
        KeyRun(selected, 3, [light, step] { light->DragCycleTime(step); });
    } else if ((key == Qt::Key_Left || key == Qt::Key_Right) && ctrl) {
        KeyRun(selected, 4, [light, step] { light->DragSplit(step); });
    } else if (key == Qt::Key_Delete && plain) {
        light->ResetTiming();
    } else {
        return false;
    }
    FKeyboardFocus = true;
    UpdateFocusFrame();
    return true;
}

void TTimeSpaceForm::KeyRun(int Junction, int Edit, const std::function<void()> &Apply) {
    // Presses that repeat one edit of one junction are one undo step, as one drag is.
    FKeyRun = Junction * 8 + Edit;
    Apply();
    FKeyRun = 0;
}

bool TTimeSpaceForm::FocusMarked() const {
    return FFocusFrame != nullptr && !FFocusFrame->isHidden();
}

void TTimeSpaceForm::UpdateFocusFrame() {
    if (FFocusFrame == nullptr) {
        return;
    }
    const QRect strip = SelectedLight()->geometry();
    FFocusFrame->setGeometry(strip.adjusted(0, -2, 0, 2));
    FFocusFrame->raise();
    FFocusFrame->setVisible(FKeyboardFocus && TimeSpaceDiagram->hasFocus());
}

void TTimeSpaceForm::UpdateAccessibleTexts() {
    TimeSpaceDiagram->setAccessibleName(QStringLiteral("Time-space diagram"));
    TimeSpaceDiagram->setAccessibleDescription(
        QStringLiteral("Up and Down choose a junction. Left and Right move its offset, with Shift "
                       "its cycle time, with Ctrl its split; Ctrl+Up and Ctrl+Down move it; "
                       "Delete resets it."));
    for (int k = 1; k <= JunctionCount; ++k) {
        FLights[k]->setAccessibleName(QStringLiteral("JCT #%1 signal timing").arg(k));
        DescribeStrip(k);
        FImages[k]->setAccessibleName(QStringLiteral("JCT #%1 plan view").arg(k));
    }
    for (int k = 1; k <= LinkCount; ++k) {
        FLinks[k]->setAccessibleName(QStringLiteral("Link %1 platoons").arg(k));
        FSpaceLinks[k]->setAccessibleName(QStringLiteral("Link %1 queues").arg(k));
    }
    CFSouth->setAccessibleName(QStringLiteral("Southbound cycle failure lamp"));
    CFNorth->setAccessibleName(QStringLiteral("Northbound cycle failure lamp"));
    CycleOffsetUpDown->setAccessibleName(QStringLiteral("Cycle offset arrows"));
    SplitUpDown->setAccessibleName(QStringLiteral("Split arrows"));
    CycleTimeUpDown->setAccessibleName(QStringLiteral("Cycle time arrows"));
    SplitGreen->setAccessibleName(QStringLiteral("Give green more time"));
    SplitRed->setAccessibleName(QStringLiteral("Give red more time"));
    TimeSpaceImage->setAccessibleName(QStringLiteral("Composed time-space picture"));
    Image14->setAccessibleName(QStringLiteral("Mile scale"));
}
