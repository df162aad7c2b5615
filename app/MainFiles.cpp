#include "app/FileCommands.h"
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

// The window's states as an undo step or a file keeps them, the gestures that make one edit,
// closing and dropped files, and the diagram panel's keyboard editing.

using namespace NamedColor;

namespace {

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
// Closing, dropped files and the keyboard

void TTimeSpaceForm::closeEvent(QCloseEvent *Event) {
    if (FFiles->ConfirmUnsaved()) {
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
    if (FFiles->ConfirmUnsaved()) {
        FFiles->OpenFile(path);
    }
}

void TTimeSpaceForm::SetUpKeyboard() {
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
