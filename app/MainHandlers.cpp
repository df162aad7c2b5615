#include "app/Main.h"

#include "app/Layout.h"
#include "controls/Led.h"
#include "controls/TimeSpaceLight.h"
#include "controls/TimeSpaceLink.h"
#include "document/TextHelpers.h"
#include "help/BrowserLaunch.h"
#include "help/HelpSetup.h"
#include "model/Numbers.h"
#include "model/Progression.h"
#include "platform/Colors.h"
#include "platform/HintSwitch.h"
#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/ProcessStart.h"
#include "platform/Prompts.h"
#include "platform/TrackBar.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QStringBuilder>

#include <optional>

// The window's handlers: the traffic inputs, the strips' events, the junction panel, the
// hints and lamps, and help. Each ends in the pipeline of Main.cpp.

using namespace NamedColor;

// ---------------------------------------------------------------------------------------------
// Traffic inputs and strip events

bool TTimeSpaceForm::SnapVolume(QObject *Sender) {
    auto *bar = qobject_cast<TTrackBar *>(Sender);
    if (bar == nullptr) {
        return false;
    }
    bar->SetPosition(Round(bar->Position() / 10.0L) * VolumeStep);
    BkMainRoadVolLabel->SetCaption(Decimal(BkMainRoadVol->Position()));
    FwMainRoadVolLabel->SetCaption(Decimal(FwMainRoadVol->Position()));
    return true;
}

void TTimeSpaceForm::FwMainRoadVolChange(QObject *Sender) {
    if (!SnapVolume(Sender)) {
        return;
    }
    SideVolMaxAdjust();
    UpdateSideVolLables();
    InputChanged();
}

void TTimeSpaceForm::BkMainRoadVolChange(QObject *Sender) {
    // The northbound volume has no part in the crossroad boxes.
    if (!SnapVolume(Sender)) {
        return;
    }
    InputChanged();
}

void TTimeSpaceForm::MainRoadSpeedLimitFwdChange(QObject *) {
    ApplySpeeds();
    InputChanged();
}

void TTimeSpaceForm::MainRoadSpeedLimitBkdChange(QObject *) {
    ApplySpeeds();
    InputChanged();
}

void TTimeSpaceForm::ApplySpeeds() {
    MainRoadSpeedFwdLimLabel->SetCaption(Decimal(MainRoadSpeedLimitFwd->Position()));
    MainRoadSpeedBkdLimLabel->SetCaption(Decimal(MainRoadSpeedLimitBkd->Position()));
    for (TTimeSpaceLink *link : FLinks) {
        link->SetFwdSpeedMph(MainRoadSpeedLimitFwd->Position());
        link->SetBackSpeedMph(MainRoadSpeedLimitBkd->Position());
    }
}

void TTimeSpaceForm::SideVolChange(QObject *) {
    UpdateSideVolLables();
    InputChanged();
}

void TTimeSpaceForm::TrafficLeavingChange(QObject *) {
    UpdateSideVolLables();
    InputChanged();
}

void TTimeSpaceForm::UpdateSideVolLables() {
    const int fw = FwMainRoadVol->Position();
    const int side = SideVol->Position();
    const int leave = TrafficLeaving->Position();
    DivertedTraffic1->SetCaption(Decimal(side));
    DivertedTraffic2->SetCaption(Decimal(EnteringVolume(fw, side)));
    PercentLeaving1->SetCaption(Decimal(leave));
    PercentLeaving2->SetCaption(Decimal(LeavingVolume(fw, side, leave)));
}

void TTimeSpaceForm::SideVolMaxAdjust() {
    // What the last recomputation sent towards JCT #2.
    SideVol->SetMax(FDocument->EnteringMaximum(CurrentPlan()));
}

void TTimeSpaceForm::TimeSpaceLight2CycleChange(QObject *Sender) {
    for (int k = 1; k <= JunctionCount; ++k) {
        if (Sender == FLights[k]) {
            JCT->setCurrentIndex(k - 1);
        }
    }
    // The gesture changed the strip's timing: the panel's arrows are loaded from it, not left
    // where they were for the junction selected before (within the arrows' own ranges).
    LoadPanelPositions();
    TimingInputsChanged();
    InputChanged();
}

void TTimeSpaceForm::TimingInputsChanged() {
    // Each direction's volume is bounded by the junction where it enters the arterial.
    const auto capacity = [](const TTimeSpaceLight *Light) {
        return JunctionCapacity(Light->PercentGreen(), Light->PercentRed());
    };
    const int a = capacity(FLights[1]);
    const int b = capacity(FLights[JunctionCount]);
    SideVolMaxAdjust();
    FwMainRoadVol->SetMax(VolumeMaximum(a));
    BkMainRoadVol->SetMax(VolumeMaximum(b));
    // Written after the maxima, which may have lowered the southbound volume, so that the
    // crossroad boxes show the volumes in effect.
    UpdateSideVolLables();
    FwMainRoadVolLabel->SetCaption(Decimal(FwMainRoadVol->Position()));
    BkMainRoadVolLabel->SetCaption(Decimal(BkMainRoadVol->Position()));
}

void TTimeSpaceForm::TimeSpaceLight4VerticleMove(QObject *Sender) {
    int k = 0;
    for (int j = 2; j <= JunctionCount; ++j) {
        if (Sender == FLights[j]) {
            k = j;
        }
    }
    if (k == 0) {
        return;
    }
    TTimeSpaceLight *light = FLights[k];
    const int top = light->y();
    const bool last = k == JunctionCount;
    if (!last) {
        const int above = FLights[k - 1]->y();
        const int below = FLights[k + 1]->y();
        if (top < above + MinStripGap || top > below - MinStripGap) {
            // Too close to a neighbour: the strip jumps to the middle between its neighbours.
            light->move(light->x(), Trunc((above + below) / 2.0L));
        }
    } else if (top < FLights[k - 1]->y() + MinStripGap || top > BottomStripTop) {
        light->move(light->x(), BottomStripTop);
    }
    PlaceStripMarkers(k);
    if (!Refresh->isEnabled()) {
        SetBackGroundBitmapColor(clWhite);
    }
    EnableRefreshButton(true);
}

void TTimeSpaceForm::PlaceStripMarkers(int Junction) {
    const int top = FLights[Junction]->y();
    const bool last = Junction == JunctionCount;
    FLabels[Junction]->move(FLabels[Junction]->x(),
                            top + (last ? LastJunctionLabelDrop : JunctionLabelDrop));
    FImages[Junction]->move(FImages[Junction]->x(), top);
}

// ---------------------------------------------------------------------------------------------
// Junction timing panel

void TTimeSpaceForm::SetLightStateBox() {
    const TTimeSpaceLight *light = SelectedLight();
    CycleOffset->SetCaption(Decimal(light->CycleOffset()));
    SplitRed->SetCaption(Decimal(light->PercentRed()));
    SplitGreen->SetCaption(Decimal(100 - light->PercentRed()));
    CycleTime->SetCaption(Decimal(light->CycleTime()));
}

void TTimeSpaceForm::JCTChange(QObject *) {
    SetLightStateBox();
    LoadPanelPositions();
}

void TTimeSpaceForm::LoadPanelPositions() {
    CycleTimeUpDown->SetPosition(SelectedLight()->CycleTime());
    LoadOffsetPosition();
    SplitUpDown->SetPosition(0);
}

void TTimeSpaceForm::LoadOffsetPosition() {
    const TTimeSpaceLight *light = SelectedLight();
    // The range follows the junction's cycle before the position is set, so that an offset
    // beyond the previous junction's cycle is not clamped.
    CycleOffsetUpDown->SetMin(0);
    CycleOffsetUpDown->SetMax(light->CycleTime());
    CycleOffsetUpDown->SetPosition(light->CycleOffset());
}

// The panel's edits end alike: the volume maxima and their labels follow the new timing as
// after a strip's own edit, then the recomputation and the selected junction's figures and
// hints. No pending re-layout is run.
void TTimeSpaceForm::TimingEdited() {
    TimingInputsChanged();
    RefreshTimeSpaceDiagram();
    SetLightStateBox();
    SetHints();
}

void TTimeSpaceForm::CycleOffsetUpDownClick(QObject *, TUDBtnType) {
    CycleOffsetUpDown->SetMin(0);
    CycleOffsetUpDown->SetMax(SelectedLight()->CycleTime());
    SelectedLight()->SetCycleOffset(CycleOffsetUpDown->Position());
    TimingEdited();
}

void TTimeSpaceForm::CycleTimeUpDownClick(QObject *, TUDBtnType) {
    CycleTimeUpDown->SetMin(PanelMinCycleTime);
    CycleTimeUpDown->SetMax(PanelMaxCycleTime);
    SelectedLight()->SetCycleTime(CycleTimeUpDown->Position());
    // The new cycle reset the offset: the offset arrows start from it.
    LoadOffsetPosition();
    TimingEdited();
}

void TTimeSpaceForm::SplitRedClick(QObject *) {
    SplitClick(true);
}

void TTimeSpaceForm::SplitGreenClick(QObject *) {
    SplitClick(false);
}

void TTimeSpaceForm::SplitClick(bool MoreRed) {
    TTimeSpaceLight *light = SelectedLight();
    const std::optional<int> red =
        SplitClickRed(light->PercentRed(), light->PercentGreen(), MoreRed);
    if (!red) {
        return;
    }
    light->SetPercentRed(*red);
    // The strip may have refused the red: green follows the red it kept.
    light->SetPercentGreen(SplitGreenFor(light->PercentRed()));
    TimingEdited();
}

void TTimeSpaceForm::SplitUpDownClick(QObject *, TUDBtnType Button) {
    if (Button == TUDBtnType::btNext) {
        SplitRedClick(SplitRed);
    } else {
        SplitGreenClick(SplitGreen);
    }
}

// ---------------------------------------------------------------------------------------------
// Hints and cycle-failure indicators

void TTimeSpaceForm::SetHints() {
    for (TTimeSpaceLight *light : FLights) {
        SetTrafficLightHints(light);
    }
    SetLightStateBox();
}

void TTimeSpaceForm::SetTrafficLightHints(TTimeSpaceLight *Light) {
    // A strip's hint and description are written again only when its timing, failures or links
    // changed; the text is built in one piece, without the intermediate strings of a chain of
    // additions.
    const QChar cr('\r');
    QLatin1StringView failure;
    if (Light->FwCycleFailure() && Light->BkCycleFailure()) {
        failure = QLatin1StringView("\rForward Cycle Failure\rBackward Cycle Failure");
    } else if (Light->BkCycleFailure()) {
        failure = QLatin1StringView("\rBackward Cycle Failure");
    } else if (Light->FwCycleFailure()) {
        failure = QLatin1StringView("\rForward Cycle Failure");
    }
    // The timing's lines come first, as they always were; the link above the strip follows
    // (for the last strip the link below it too), as the platoons drive it.
    int junction = 1;
    while (junction < JunctionCount && FLights[junction] != Light) {
        ++junction;
    }
    const LinkMeasure above = FLinks[junction]->Measure();
    const HintFacts facts{Light->CycleTime(),
                          Light->CycleOffset(),
                          Light->PercentRed(),
                          Light->FwCycleFailure(),
                          Light->BkCycleFailure(),
                          above,
                          junction == JunctionCount ? FLinks[LinkCount]->Measure() : LinkMeasure{}};
    if (facts == FHintFacts[junction]) {
        return; // the hint and the description say this already
    }
    FHintFacts[junction] = facts;
    const auto linkLine = [cr](QLatin1StringView Where, const LinkMeasure &Link) -> QString {
        return cr % Where % Decimal(Link.Feet) % QLatin1StringView(" ft, ") %
               Decimal(Link.SouthboundSeconds) % QLatin1StringView(" s southbound, ") %
               Decimal(Link.NorthboundSeconds) % QLatin1StringView(" s northbound");
    };
    QString links = linkLine(QLatin1StringView("Link above: "), above);
    if (junction == JunctionCount) {
        links += linkLine(QLatin1StringView("Link below: "), FLinks[LinkCount]->Measure());
    }
    const QString hint = QLatin1StringView("CycleTime: ") % Decimal(Light->CycleTime()) % cr %
                         QLatin1StringView("CycleOffset: ") % Decimal(Light->CycleOffset()) % cr %
                         QLatin1StringView("Percent Green: ") % Decimal(100 - Light->PercentRed()) %
                         cr % QLatin1StringView("Percent Red: ") % Decimal(Light->PercentRed()) %
                         failure % links;
    THintSwitch::SetHint(Light, hint);
    DescribeStrip(junction);
}

void TTimeSpaceForm::DescribeStrip(int Junction) {
    // What a screen reader says of the strip: its timing, failures and links, from the start
    // on (the hint itself waits for the first recomputation).
    TTimeSpaceLight *Light = FLights[Junction];
    const LinkMeasure above = FLinks[Junction]->Measure();
    const auto linkText = [](const QString &Where, const LinkMeasure &Link) -> QString {
        return QStringLiteral(", %1 %2 ft, %3 s southbound, %4 s northbound")
            .arg(Where)
            .arg(Link.Feet)
            .arg(Link.SouthboundSeconds)
            .arg(Link.NorthboundSeconds);
    };
    Light->setAccessibleDescription(
        QStringLiteral("Cycle %1 s, offset %2 s, green %3 %, red %4 %")
            .arg(Light->CycleTime())
            .arg(Light->CycleOffset())
            .arg(100 - Light->PercentRed())
            .arg(Light->PercentRed()) +
        (Light->FwCycleFailure() ? QStringLiteral(", southbound cycle failure") : QString()) +
        (Light->BkCycleFailure() ? QStringLiteral(", northbound cycle failure") : QString()) +
        linkText(QStringLiteral("link above"), above) +
        (Junction == JunctionCount
             ? linkText(QStringLiteral("link below"), FLinks[LinkCount]->Measure())
             : QString()));
}

void TTimeSpaceForm::ThreadedTimer1Timer(QObject *) {
    if (FFwFailure) {
        CFSouth->setVisible(CFSouth->isHidden());
    }
    if (FBkFailure) {
        CFNorth->setVisible(CFNorth->isHidden());
    }
}

bool TTimeSpaceForm::ShowHint() const {
    return FHints->ShowHint();
}

void TTimeSpaceForm::SetShowHint(bool Value) {
    FHints->SetShowHint(Value);
}

// ---------------------------------------------------------------------------------------------
// Help

void TTimeSpaceForm::HelpClick(QObject *) {
    ExecBrowser(FBrowserPath, FHelpFile);
}

void TTimeSpaceForm::HelpSetupClick(QObject *) {
    RunHelpSetup(*FHelpForm, FBrowserPath, FHelpFile, [this](bool on) { SetShowHint(on); });
}

void TTimeSpaceForm::ExecBrowser(const QString &Browser, const QString &HelpPage) {
    if (CreateProcessSimple(BrowserLaunch::BrowserCommandLine(Browser, HelpPage))) {
        return;
    }
    // The configured browser cannot be started (the start value names another system's
    // program): the desktop's default browser shows the page instead, and when there is no
    // page or no desktop to open it, the user learns where it is.
    const QUrl page = BrowserLaunch::HelpPageUrl(HelpPage, QDir::currentPath(),
                                                 QCoreApplication::applicationDirPath());
    const QString file = QDir::toNativeSeparators(page.toLocalFile());
    if (!QFileInfo(page.toLocalFile()).isFile()) {
        Prompts::ShowMessage(this, Prompts::MessageKind::Warning, QStringLiteral("Help"),
                             QStringLiteral("The help page was not found:\n\n%1\n\nHelp Setup "
                                            "sets the page that Help opens.")
                                 .arg(file));
        return;
    }
    if (!Prompts::OpenUrl(page)) {
        Prompts::ShowMessage(this, Prompts::MessageKind::Warning, QStringLiteral("Help"),
                             QStringLiteral("No browser could be started for help. Open the help "
                                            "page yourself:\n\n%1\n\nHelp Setup sets the "
                                            "browser that Help starts.")
                                 .arg(file));
    }
}

bool TTimeSpaceForm::CreateProcessSimple(const QString &CommandLine) {
    return ProcessStart::StartDetached(CommandLine);
}
