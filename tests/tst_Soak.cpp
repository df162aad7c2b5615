#include "FormDriver.h"

#include "app/Layout.h"

#include "controls/Led.h"
#include "controls/SpaceLink.h"
#include "controls/ThdTimer.h"
#include "controls/TimeSpaceLink.h"
#include "help/BrowserLaunch.h"
#include "platform/HintSwitch.h"
#include "platform/Image.h"
#include "platform/ProcessStart.h"
#include "platform/Prompts.h"
#include "platform/UpDown.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QUrl>
#include <QWheelEvent>

#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

// A long, seeded run of random user input over the shown window. After every event the
// window must be consistent with itself; a second window fed the same events must end up in
// exactly the same state after every one of them.
//
// TIMESPACE_SOAK_SEED picks the run (a fixed seed by default), TIMESPACE_SOAK_EVENTS its length.
// A failure prints both, so that the run can be repeated exactly.

namespace {

constexpr std::uint64_t DefaultSeed = 20240611;
constexpr int DefaultEvents = 20000;

enum class Kind : std::uint8_t {
    StripPress,   // Target: strip 1..6; Button, Modifiers, X, Y; Key 1: the press of a double click
    StripMove,    // Target: strip; X, Y (buttons held as pressed)
    StripRelease, // Target: strip; Button
    StripHover,   // Target: strip; X, Y with no button held
    BarKey,       // Target: track bar 0..5; Key
    BarPress,     // Target: track bar; X
    BarMove,      // Target: track bar; X, Y
    BarRelease,   // Target: track bar; X
    BarWheel,     // Target: track bar; Y (angle delta)
    UpDownClick,  // Target: up/down 0..2; X = 0 for the "next" arrow, 1 for "previous"; Y 1: double
    SplitClick,   // X = 0 green figure, 1 red figure; Y 1: a double click
    ChooseJct,    // Target: index 0..5
    RefreshClick,
    ReSetClick,
    HelpClick,
    LampClick, // Target: 0 south, 1 north; Button
};

constexpr int DoubleClick = 1;

struct Event {
    Kind What;
    int Target = 0;
    int X = 0;
    int Y = 0;
    Qt::MouseButton Button = Qt::NoButton;
    Qt::KeyboardModifiers Modifiers;
    int Key = 0;
};

QString Describe(const Event &e) {
    static const char *const names[] = {"StripPress", "StripMove",   "StripRelease", "StripHover",
                                        "BarKey",     "BarPress",    "BarMove",      "BarRelease",
                                        "BarWheel",   "UpDownClick", "SplitClick",   "ChooseJct",
                                        "Refresh",    "ReSet",       "Help",         "LampClick"};
    return QStringLiteral("%1(target %2, x %3, y %4, button %5, modifiers %6, key %7)")
        .arg(QLatin1String(names[static_cast<int>(e.What)]))
        .arg(e.Target)
        .arg(e.X)
        .arg(e.Y)
        .arg(int(e.Button))
        .arg(int(e.Modifiers))
        .arg(e.Key);
}

// Makes the event list from the seed alone, so that it never depends on the window it drives.
// The generator follows the mouse like a user's hand: while a button is held on a strip or a
// track bar, only moves, further presses and releases reach that control.
class Script {
  public:
    Script(std::uint64_t Seed, bool WithHelp) : FRandom(Seed), FWithHelp(WithHelp) {}

    std::vector<Event> Make(int Count) {
        std::vector<Event> events;
        events.reserve(static_cast<std::size_t>(Count) + 40);
        while (static_cast<int>(events.size()) < Count) {
            Next(events);
        }
        // A user's last gesture ends with the button let go.
        if (FHeldStrip != 0) {
            events.push_back({Kind::StripRelease, FHeldStrip, FLastX, 5, Qt::LeftButton, {}, 0});
        }
        if (FHeldBar >= 0) {
            events.push_back({Kind::BarRelease, FHeldBar, 20, 10, Qt::LeftButton, {}, 0});
        }
        return events;
    }

  private:
    int Below(int n) { return static_cast<int>(FRandom() % static_cast<std::uint64_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(int percent) { return Below(100) < percent; }

    void Next(std::vector<Event> &events) {
        if (FHeldStrip != 0) {
            HeldOnStrip(events);
            return;
        }
        if (FHeldBar >= 0) {
            HeldOnBar(events);
            return;
        }
        const int roll = Below(100);
        if (roll < 34) {
            PressStrip(events);
        } else if (roll < 37) {
            events.push_back({Kind::StripHover,
                              Between(1, 6),
                              Between(-5, 465),
                              Between(-2, 12),
                              Qt::NoButton,
                              {},
                              0});
        } else if (roll < 52) {
            static const int keys[] = {Qt::Key_Left,   Qt::Key_Right,    Qt::Key_Up,   Qt::Key_Down,
                                       Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
            events.push_back({Kind::BarKey, Below(6), 0, 0, Qt::NoButton, {}, keys[Below(8)]});
        } else if (roll < 58) {
            FHeldBar = Below(6);
            events.push_back(
                {Kind::BarPress, FHeldBar, Between(0, 120), Between(5, 25), Qt::LeftButton, {}, 0});
        } else if (roll < 60) {
            events.push_back(
                {Kind::BarWheel, Below(6), 0, Chance(50) ? 120 : -120, Qt::NoButton, {}, 0});
        } else if (roll < 74) {
            // Runs of clicks on one arrow walk up to its end and past it.
            const int target = Below(3);
            const int arrow = Below(2);
            const int run = Chance(20) ? Between(10, 60) : Between(1, 3);
            for (int i = 0; i < run; ++i) {
                events.push_back({Kind::UpDownClick,
                                  target,
                                  arrow,
                                  Chance(10) ? DoubleClick : 0,
                                  Qt::LeftButton,
                                  {},
                                  0});
            }
        } else if (roll < 80) {
            const int label = Below(2);
            const int run = Chance(20) ? Between(5, 20) : 1;
            for (int i = 0; i < run; ++i) {
                events.push_back({Kind::SplitClick,
                                  0,
                                  label,
                                  Chance(10) ? DoubleClick : 0,
                                  Qt::LeftButton,
                                  {},
                                  0});
            }
        } else if (roll < 85) {
            events.push_back({Kind::ChooseJct, Below(6), 0, 0, Qt::NoButton, {}, 0});
        } else if (roll < 89) {
            events.push_back({Kind::RefreshClick, 0, 0, 0, Qt::LeftButton, {}, 0});
        } else if (roll < 92) {
            events.push_back({Kind::ReSetClick, 0, 0, 0, Qt::LeftButton, {}, 0});
        } else if (roll < 93 && FWithHelp) {
            events.push_back({Kind::HelpClick, 0, 0, 0, Qt::LeftButton, {}, 0});
        } else {
            events.push_back({Kind::LampClick,
                              Below(2),
                              10,
                              10,
                              Chance(80) ? Qt::LeftButton : Qt::RightButton,
                              {},
                              0});
        }
    }

    void PressStrip(std::vector<Event> &events) {
        const int strip = Between(1, 6);
        const int buttonRoll = Below(100);
        const Qt::MouseButton button = buttonRoll < 85   ? Qt::LeftButton
                                       : buttonRoll < 93 ? Qt::RightButton
                                                         : Qt::MiddleButton;
        Qt::KeyboardModifiers modifiers;
        if (Chance(25)) {
            modifiers |= Qt::ShiftModifier;
        }
        if (Chance(30)) {
            modifiers |= Qt::ControlModifier;
        }
        if (Chance(10)) {
            modifiers |= Qt::AltModifier;
        }
        FLastX = Between(0, 459);
        events.push_back({Kind::StripPress, strip, FLastX, Between(0, 9), button, modifiers, 0});
        FHeldStrip = strip;
        FHeldButtons = button;
        // A ctrl-drag heads one way, as a hand moving a strip does, and lasts longer.
        FVertical = button == Qt::LeftButton && modifiers.testFlag(Qt::ControlModifier) &&
                    !modifiers.testFlag(Qt::ShiftModifier);
        FHeading = Chance(50) ? 1 : -1;
    }

    void HeldOnStrip(std::vector<Event> &events) {
        const int roll = FVertical && Chance(75) ? 0 : Below(100);
        if (roll < 80) {
            int x = FLastX + Between(-40, 40);
            if (Chance(8)) {
                x = Between(-100, 600); // far outside, as a fast hand leaves the strip
            }
            FLastX = std::clamp(x, -200, 700);
            // Mostly inside the strip's 10 rows, sometimes above or below it.
            int y = Chance(85) ? Between(1, 9) : Between(-6, 16);
            if (FVertical && Chance(80)) {
                y = 5 + FHeading * Between(0, 4);
            }
            events.push_back({Kind::StripMove, FHeldStrip, FLastX, y, Qt::NoButton, {}, 0});
        } else if (roll < 96) {
            events.push_back({Kind::StripRelease, FHeldStrip, FLastX, 5, FirstHeld(), {}, 0});
            const Qt::MouseButton released = FirstHeld();
            FHeldButtons &= ~released;
            if (FHeldButtons == Qt::NoButton) {
                if (Chance(10)) {
                    // The same button again at once: the toolkit reports a double click.
                    events.push_back(
                        {Kind::StripPress, FHeldStrip, FLastX, 5, released, {}, DoubleClick});
                    FHeldButtons = released;
                } else {
                    FHeldStrip = 0;
                }
            }
        } else {
            // A second button pressed while the first is held.
            const Qt::MouseButton extra = Chance(50) ? Qt::RightButton : Qt::LeftButton;
            if (!FHeldButtons.testFlag(extra)) {
                events.push_back({Kind::StripPress, FHeldStrip, FLastX, 5, extra,
                                  Chance(30) ? Qt::ShiftModifier : Qt::NoModifier, 0});
                FHeldButtons |= extra;
            }
        }
    }

    void HeldOnBar(std::vector<Event> &events) {
        if (Chance(70)) {
            events.push_back({Kind::BarMove,
                              FHeldBar,
                              Between(-30, 150),
                              Between(-10, 40),
                              Qt::LeftButton,
                              {},
                              0});
        } else {
            events.push_back(
                {Kind::BarRelease, FHeldBar, Between(0, 120), 10, Qt::LeftButton, {}, 0});
            FHeldBar = -1;
        }
    }

    Qt::MouseButton FirstHeld() const {
        for (const Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            if (FHeldButtons.testFlag(b)) {
                return b;
            }
        }
        return Qt::NoButton;
    }

    std::mt19937_64 FRandom;
    bool FWithHelp;
    int FHeldStrip = 0; // 0: no button held on a strip
    Qt::MouseButtons FHeldButtons;
    int FLastX = 0;
    bool FVertical = false; // the held gesture is a ctrl-drag
    int FHeading = 1;       // its direction: 1 down, -1 up
    int FHeldBar = -1;
};

void SendMouse(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held, Qt::KeyboardModifiers modifiers) {
    QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, modifiers);
    QApplication::sendEvent(w, &event);
}

// A click; a double click continues it with the toolkit's double-click press and a release.
void Click(QWidget *w, QPoint at, Qt::MouseButton button = Qt::LeftButton, bool twice = false) {
    SendMouse(w, QEvent::MouseButtonPress, at, button, button, {});
    SendMouse(w, QEvent::MouseButtonRelease, at, button, Qt::NoButton, {});
    if (twice) {
        SendMouse(w, QEvent::MouseButtonDblClick, at, button, button, {});
        SendMouse(w, QEvent::MouseButtonRelease, at, button, Qt::NoButton, {});
    }
}

void Center(QWidget *w) {
    Click(w, w->rect().center());
}

QByteArray SetText(const PlatoonSet &set) {
    QByteArray text;
    for (int k = 1; k <= MaxPlatoons; ++k) {
        text += QByteArray::number(set.Start[k]) + ':' + QByteArray::number(set.Size[k]) + ' ';
    }
    return text;
}

// Drives one window through a script and checks it after every event.
class Run {
  public:
    explicit Run(int ProcessEveryN) : FProcessEvery(ProcessEveryN) {
        FForm = std::make_unique<TTimeSpaceForm>();
        FForm->show();
    }

    TTimeSpaceForm &Form() { return *FForm; }

    void Apply(const Event &e, std::size_t index) {
        TTimeSpaceForm &f = *FForm;
        switch (e.What) {
        case Kind::StripPress:
            FStripHeld |= e.Button;
            SendMouse(f.Light(e.Target),
                      e.Key == DoubleClick ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress,
                      {e.X, e.Y}, e.Button, FStripHeld, e.Modifiers);
            break;
        case Kind::StripMove:
            // Moves carry no modifiers: the strip reads them at the press only.
            SendMouse(f.Light(e.Target), QEvent::MouseMove, {e.X, e.Y}, Qt::NoButton, FStripHeld,
                      {});
            break;
        case Kind::StripRelease:
            FStripHeld &= ~e.Button;
            SendMouse(f.Light(e.Target), QEvent::MouseButtonRelease, {e.X, e.Y}, e.Button,
                      FStripHeld, {});
            break;
        case Kind::StripHover:
            SendMouse(f.Light(e.Target), QEvent::MouseMove, {e.X, e.Y}, Qt::NoButton, Qt::NoButton,
                      {});
            break;
        case Kind::BarKey:
            QTest::keyClick(Bar(e.Target), Qt::Key(e.Key));
            break;
        case Kind::BarPress:
            SendMouse(Bar(e.Target), QEvent::MouseButtonPress, {e.X, e.Y}, Qt::LeftButton,
                      Qt::LeftButton, {});
            break;
        case Kind::BarMove:
            SendMouse(Bar(e.Target), QEvent::MouseMove, {e.X, e.Y}, Qt::NoButton, Qt::LeftButton,
                      {});
            break;
        case Kind::BarRelease:
            SendMouse(Bar(e.Target), QEvent::MouseButtonRelease, {e.X, e.Y}, Qt::LeftButton,
                      Qt::NoButton, {});
            break;
        case Kind::BarWheel: {
            TTrackBar *bar = Bar(e.Target);
            const QPointF at = QPointF(bar->rect().center());
            QWheelEvent wheel(at, bar->mapToGlobal(at), QPoint(), QPoint(0, e.Y), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(bar, &wheel);
            break;
        }
        case Kind::UpDownClick: {
            TUpDown *upDown = UpDown(e.Target);
            const bool next = e.X == 0;
            QPoint at;
            if (upDown->Orientation() == Qt::Vertical) {
                at = QPoint(upDown->width() / 2, next ? 2 : upDown->height() - 3);
            } else {
                at = QPoint(next ? upDown->width() - 3 : 2, upDown->height() / 2);
            }
            Click(upDown, at, Qt::LeftButton, e.Y == DoubleClick);
            break;
        }
        case Kind::SplitClick:
            Click(e.X == 0 ? f.SplitGreen : f.SplitRed, {2, 2}, Qt::LeftButton, e.Y == DoubleClick);
            break;
        case Kind::ChooseJct:
            FormDriver::ChooseJunction(f, e.Target);
            break;
        case Kind::RefreshClick:
            Center(f.Refresh);
            break;
        case Kind::ReSetClick:
            Center(f.ReSet);
            break;
        case Kind::HelpClick:
            Center(f.Help);
            break;
        case Kind::LampClick: {
            TLed *lamp = e.Target == 0 ? f.CFSouth : f.CFNorth;
            // Only a lamp that is shown can be clicked; whether it is depends on the blink.
            if (lamp->isVisible()) {
                Click(lamp, {e.X, e.Y}, e.Button);
            }
            break;
        }
        }
        // Let the indicator timer's ticks and the paint events in now and then, at a pace that
        // differs between runs: no state may depend on them.
        if (FProcessEvery > 0 && index % static_cast<std::size_t>(FProcessEvery) == 0 &&
            FStripHeld == Qt::NoButton) {
            QCoreApplication::processEvents();
        }
    }

    // Everything a user can read off the window, and every set the controls hold.
    QByteArray Snapshot() const {
        const TTimeSpaceForm &f = *FForm;
        QByteArray s;
        for (const TLabel *label :
             {f.DelayPerVeh, f.ArtStops, f.TimeUnits, f.CycleOffset, f.SplitGreen, f.SplitRed,
              f.CycleTime, f.FwMainRoadVolLabel, f.BkMainRoadVolLabel, f.MainRoadSpeedFwdLimLabel,
              f.MainRoadSpeedBkdLimLabel, f.DivertedTraffic1, f.DivertedTraffic2, f.PercentLeaving1,
              f.PercentLeaving2}) {
            s += label->Caption().toUtf8() + '|';
        }
        s += '\n';
        for (const TTrackBar *bar : Bars()) {
            s += QByteArray::number(bar->Position()) + '/' + QByteArray::number(bar->Max()) + ' ';
        }
        for (const TUpDown *upDown : UpDowns()) {
            s += QByteArray::number(upDown->Position()) + '[' + QByteArray::number(upDown->Min()) +
                 ',' + QByteArray::number(upDown->Max()) + "] ";
        }
        s += "jct " + QByteArray::number(f.JCT->currentIndex());
        s += f.Refresh->isEnabled() ? " pending" : " aligned";
        s += f.FwFailure() ? " fwfail" : "";
        s += f.BkFailure() ? " bkfail" : "";
        s += '\n';
        for (int k = 1; k <= 6; ++k) {
            TTimeSpaceLight *light = f.Light(k);
            s += "L" + QByteArray::number(k) + ' ' + QByteArray::number(light->y()) + ' ' +
                 QByteArray::number(light->CycleTime()) + ' ' +
                 QByteArray::number(light->CycleOffset()) + ' ' +
                 QByteArray::number(light->PercentRed()) + ' ' +
                 QByteArray::number(light->PercentGreen()) + ' ' +
                 QByteArray::number(light->RedTime()) + ' ' +
                 QByteArray::number(light->GreenTime()) + ' ' +
                 QByteArray::number(light->YellowTime()) + ' ' +
                 QByteArray::number(light->NumberOfBands()) + ' ' +
                 QByteArray::number(light->DragMode()) + " in " + SetText(light->FwInput()) + "/ " +
                 SetText(light->BkInput()) + "q " + SetText(light->QueueSet()) + '\n';
        }
        for (int k = 1; k <= 7; ++k) {
            TTimeSpaceLink *link = f.Link(k);
            TSpaceLink *queue = f.SpaceLink(k);
            s += "P" + QByteArray::number(k) + ' ' + QByteArray::number(link->y()) + '+' +
                 QByteArray::number(link->height()) + ' ' +
                 QByteArray::number(link->FwdSpeedMph()) + '/' +
                 QByteArray::number(link->BackSpeedMph()) + ' ' + SetText(link->FwInput()) + "> " +
                 SetText(link->FwOutput()) + "< " + SetText(link->BkInput()) + "> " +
                 SetText(link->BkOutput()) + "q " + SetText(link->FwQueues()) + "/ " +
                 SetText(link->BkQueues()) + "Q" + QByteArray::number(queue->y()) + '+' +
                 QByteArray::number(queue->height()) + ' ' +
                 QByteArray::number(queue->FwQueueLength()) + '/' +
                 QByteArray::number(queue->BkQueueLength()) + '\n';
        }
        return s;
    }

    // Checksums of the composed diagram and of the queue links' pictures, and the strips' hints:
    // what a recording adds to the snapshot.
    QByteArray Pictures() const {
        const TTimeSpaceForm &f = *FForm;
        const auto sum = [](const QImage &picture) {
            return QByteArray::number(
                       qHashBits(picture.constBits(), static_cast<size_t>(picture.sizeInBytes())),
                       16) +
                   ' ';
        };
        QByteArray s = "pictures " + sum(f.TimeSpaceImage->Canvas());
        for (int k = 1; k <= 7; ++k) {
            s += sum(f.SpaceLink(k)->GetBitmap());
        }
        for (int k = 1; k <= 6; ++k) {
            s += THintSwitch::Hint(f.Light(k)).toUtf8() + '|';
        }
        return s + '\n';
    }

    // The first rule the window breaks, or an empty text.
    QString Broken() const {
        const TTimeSpaceForm &f = *FForm;
        // Captions: the texts of the form until the first recomputation, then numbers in their
        // formats, or "+ +" for both measures exactly while southbound traffic fails.
        static const QRegularExpression delayFormat(
            QStringLiteral("^\\d{1,3}(,\\d{3})*\\.\\d\\d$"));
        static const QRegularExpression stopsFormat(QStringLiteral("^\\d+\\.\\d$"));
        static const QRegularExpression integer(QStringLiteral("^-?\\d+$"));
        const QString delay = f.DelayPerVeh->Caption();
        const QString stops = f.ArtStops->Caption();
        if (f.CompositionCount() == 0) {
            if (delay != "00.0" || stops != "0.0") {
                return "measures changed without a recomputation: " + delay + ", " + stops;
            }
        } else {
            const bool unbounded = f.FwFailure();
            if (unbounded != (delay == "+ +") || unbounded != (stops == "+ +")) {
                return QStringLiteral("measures %1 and %2 with southbound failure %3")
                    .arg(delay, stops)
                    .arg(unbounded);
            }
            if (!unbounded && !delayFormat.match(delay).hasMatch()) {
                return "DelayPerVeh is " + delay;
            }
            if (!unbounded && !stopsFormat.match(stops).hasMatch()) {
                return "ArtStops is " + stops;
            }
        }
        // Every state the events reach can be saved and opened again.
        if (const auto problem =
                FirstProblem(f.CurrentState().Settings,
                             {StripWidth, LoadedStripTops[1], BottomStripTop, MinStripGap})) {
            return QString::fromStdString("a save would not open: " + problem->Key + ": " +
                                          problem->What);
        }
        const QString unit = f.TimeUnits->Caption();
        if (unit != "sec" && unit != "min" && unit != "hrs") {
            return "TimeUnits is " + unit;
        }
        for (const TLabel *label :
             {f.CycleOffset, f.SplitGreen, f.SplitRed, f.CycleTime, f.FwMainRoadVolLabel,
              f.BkMainRoadVolLabel, f.MainRoadSpeedFwdLimLabel, f.MainRoadSpeedBkdLimLabel,
              f.DivertedTraffic1, f.DivertedTraffic2, f.PercentLeaving1, f.PercentLeaving2}) {
            if (!integer.match(label->Caption()).hasMatch()) {
                return label->objectName() + " is " + label->Caption();
            }
        }
        // The panel shows the selected junction.
        const TTimeSpaceLight *selected = f.Light(f.JCT->currentIndex() + 1);
        if (f.CycleTime->Caption().toInt() != selected->CycleTime() ||
            f.CycleOffset->Caption().toInt() != selected->CycleOffset() ||
            f.SplitRed->Caption().toInt() != selected->PercentRed() ||
            f.SplitGreen->Caption().toInt() != 100 - selected->PercentRed()) {
            return QStringLiteral("panel shows %1 %2 %3/%4 for JCT #%5")
                .arg(f.CycleTime->Caption(), f.CycleOffset->Caption(), f.SplitGreen->Caption(),
                     f.SplitRed->Caption())
                .arg(f.JCT->currentIndex() + 1);
        }
        // Value labels follow their track bars.
        const std::pair<const TLabel *, const TTrackBar *> follows[] = {
            {f.FwMainRoadVolLabel, f.FwMainRoadVol},
            {f.BkMainRoadVolLabel, f.BkMainRoadVol},
            {f.MainRoadSpeedFwdLimLabel, f.MainRoadSpeedLimitFwd},
            {f.MainRoadSpeedBkdLimLabel, f.MainRoadSpeedLimitBkd},
            {f.DivertedTraffic1, f.SideVol},
            {f.PercentLeaving1, f.TrafficLeaving}};
        for (const auto &[label, bar] : follows) {
            if (label->Caption().toInt() != bar->Position()) {
                return QStringLiteral("%1 shows %2 for %3")
                    .arg(label->objectName(), label->Caption())
                    .arg(bar->Position());
            }
        }
        for (const TTrackBar *bar : Bars()) {
            if (bar->Position() < bar->Min() || bar->Position() > bar->Max()) {
                return QStringLiteral("%1 at %2 outside %3..%4")
                    .arg(bar->objectName())
                    .arg(bar->Position())
                    .arg(bar->Min())
                    .arg(bar->Max());
            }
        }
        if (f.FwMainRoadVol->Position() % VolumeStep != 0 ||
            f.BkMainRoadVol->Position() % VolumeStep != 0) {
            return "a volume off its step";
        }
        // Strips: order, spacing and timing ranges; their markers and labels follow them.
        if (f.Light(1)->y() != 12) {
            return QStringLiteral("JCT #1 at %1").arg(f.Light(1)->y());
        }
        for (int k = 1; k <= 6; ++k) {
            const TTimeSpaceLight *light = f.Light(k);
            if (k > 1 && light->y() < f.Light(k - 1)->y() + 16) {
                return QStringLiteral("JCT #%1 at %2, JCT #%3 at %4")
                    .arg(k)
                    .arg(light->y())
                    .arg(k - 1)
                    .arg(f.Light(k - 1)->y());
            }
            if (light->CycleTime() < 19 || light->CycleTime() > 230) {
                return QStringLiteral("JCT #%1 cycle %2").arg(k).arg(light->CycleTime());
            }
            if (light->geometry().size() != QSize(460, 10) || light->x() != 0) {
                return QStringLiteral("JCT #%1 reshaped").arg(k);
            }
            if (k > 1 && (f.JunctionImage(k)->y() != light->y() ||
                          f.JunctionLabel(k)->y() != light->y() + (k < 6 ? 80 : 75))) {
                return QStringLiteral("marker or label of JCT #%1 left behind").arg(k);
            }
            for (const PlatoonSet &set : {light->FwInput(), light->BkInput()}) {
                for (int p = 1; p <= MaxPlatoons; ++p) {
                    if (set.Size[p] < 0) {
                        return QStringLiteral("JCT #%1 holds a platoon of size %2")
                            .arg(k)
                            .arg(set.Size[p]);
                    }
                }
            }
            const PlatoonSet queues = light->QueueSet();
            for (int p = 1; p <= MaxPlatoons; ++p) {
                if (queues.Size[p] < queues.Start[p]) {
                    return QStringLiteral("JCT #%1 queue ends before it starts").arg(k);
                }
            }
        }
        if (const QString wrong = TimingBroken(); !wrong.isEmpty()) {
            return wrong;
        }
        if (f.Light(6)->y() > 387) {
            return QStringLiteral("JCT #6 at %1").arg(f.Light(6)->y());
        }
        for (int k = 1; k <= 7; ++k) {
            const TTimeSpaceLink *link = f.Link(k);
            for (const PlatoonSet &set :
                 {link->FwInput(), link->FwOutput(), link->BkInput(), link->BkOutput()}) {
                for (int p = 1; p <= MaxPlatoons; ++p) {
                    if (set.Size[p] < 0) {
                        return QStringLiteral("link %1 holds a platoon of size %2")
                            .arg(k)
                            .arg(set.Size[p]);
                    }
                }
            }
            for (const PlatoonSet &set : {link->FwQueues(), link->BkQueues()}) {
                for (int p = 1; p <= MaxPlatoons; ++p) {
                    if (set.Size[p] < set.Start[p]) {
                        return QStringLiteral("link %1 queue ends before it starts").arg(k);
                    }
                }
            }
            const TSpaceLink *queue = f.SpaceLink(k);
            if (queue->FwQueueLength() < 0 || queue->BkQueueLength() < 0) {
                return QStringLiteral("queue link %1 has a negative queue").arg(k);
            }
        }
        if (!f.Refresh->isEnabled()) {
            return Misaligned();
        }
        return {};
    }

  private:
    // The strips' derived timing, the links' speeds, the hints and the failure lamps follow
    // what the last change stored.
    QString TimingBroken() const {
        const TTimeSpaceForm &f = *FForm;
        const bool recomputed = f.CompositionCount() > 0;
        for (int k = 1; k <= 6; ++k) {
            TTimeSpaceLight *light = f.Light(k);
            if (light->RedTime() + light->GreenTime() + light->YellowTime() != light->CycleTime()) {
                return QStringLiteral("JCT #%1 durations do not fill its cycle").arg(k);
            }
            for (int i = 0; i <= light->NumberOfBands() + 1; ++i) {
                if (light->GreenStart(i) != (i - 1) * light->CycleTime() + light->CycleOffset()) {
                    return QStringLiteral("JCT #%1 green window %2 is stale").arg(k).arg(i);
                }
            }
            if (recomputed) {
                const QString cr(QChar(u'\r'));
                QString expected = QStringLiteral("CycleTime: %1\rCycleOffset: %2\rPercent Green: "
                                                  "%3\rPercent Red: %4")
                                       .arg(light->CycleTime())
                                       .arg(light->CycleOffset())
                                       .arg(100 - light->PercentRed())
                                       .arg(light->PercentRed());
                if (light->FwCycleFailure()) {
                    expected += cr + "Forward Cycle Failure";
                }
                if (light->BkCycleFailure()) {
                    expected += cr + "Backward Cycle Failure";
                }
                // The links as the last recomputation drove them: stale lengths would show.
                const auto link = [&cr](const char *Where, const LinkMeasure &Link) {
                    return cr + QStringLiteral("Link %1: %2 ft, %3 s southbound, %4 s northbound")
                                    .arg(QLatin1StringView(Where))
                                    .arg(Link.Feet)
                                    .arg(Link.SouthboundSeconds)
                                    .arg(Link.NorthboundSeconds);
                };
                expected += link("above", f.Link(k)->Measure());
                if (k == 6) {
                    expected += link("below", f.Link(7)->Measure());
                }
                if (THintSwitch::Hint(light) != expected) {
                    return QStringLiteral("JCT #%1 hint is %2")
                        .arg(k)
                        .arg(THintSwitch::Hint(light));
                }
            }
        }
        for (int k = 1; k <= 7; ++k) {
            if (f.Link(k)->FwdSpeedMph() != f.MainRoadSpeedLimitFwd->Position() ||
                f.Link(k)->BackSpeedMph() != f.MainRoadSpeedLimitBkd->Position()) {
                return QStringLiteral("link %1 runs at other speeds than the track bars").arg(k);
            }
        }
        if (f.ThreadedTimer1->Enabled() != recomputed) {
            return "the indicator timer runs before the first recomputation, or not after it";
        }
        if ((!f.FwFailure() && f.CFSouth->isVisible()) ||
            (!f.BkFailure() && f.CFNorth->isVisible())) {
            return "a lamp blinks without a cycle failure";
        }
        return {};
    }

    // With no re-alignment pending, the links and queue links fill the gaps between the
    // strips exactly.
    QString Misaligned() const {
        const TTimeSpaceForm &f = *FForm;
        auto top = [&](int k) { return f.Light(k)->y(); };
        auto expect = [](const QWidget *w, int y, int h, const char *what, int k) -> QString {
            if (w->y() != y || w->height() != h || h < 0) {
                return QStringLiteral("%1 %2 at %3+%4, expected %5+%6")
                    .arg(QLatin1String(what))
                    .arg(k)
                    .arg(w->y())
                    .arg(w->height())
                    .arg(y)
                    .arg(h);
            }
            return {};
        };
        QString wrong = expect(f.Link(1), 0, 12, "link", 1);
        for (int k = 2; k <= 7 && wrong.isEmpty(); ++k) {
            const int below = k == 7 ? 409 : top(k);
            wrong = expect(f.Link(k), top(k - 1) + 10, below - (top(k - 1) + 10), "link", k);
        }
        if (wrong.isEmpty()) {
            wrong = expect(f.SpaceLink(1), 0, 17, "queue link", 1);
        }
        for (int k = 2; k <= 7 && wrong.isEmpty(); ++k) {
            const int own = k == 2 ? 17 : top(k - 1) + 5;
            const int next = k == 7 ? 409 : top(k) + 5;
            wrong = expect(f.SpaceLink(k), own, next - own, "queue link", k);
        }
        if (wrong.isEmpty() && (f.EnteringTrafficControls->y() != top(2) + 50 ||
                                f.LeavingTrafficControls->y() != top(5) + 50)) {
            wrong = "crossroad boxes left behind";
        }
        return wrong;
    }

    std::array<TTrackBar *, 6> Bars() const {
        const TTimeSpaceForm &f = *FForm;
        return {f.FwMainRoadVol,         f.BkMainRoadVol, f.MainRoadSpeedLimitFwd,
                f.MainRoadSpeedLimitBkd, f.SideVol,       f.TrafficLeaving};
    }
    TTrackBar *Bar(int i) const { return Bars()[static_cast<std::size_t>(i)]; }
    std::array<TUpDown *, 3> UpDowns() const {
        return {FForm->CycleOffsetUpDown, FForm->CycleTimeUpDown, FForm->SplitUpDown};
    }
    TUpDown *UpDown(int i) const { return UpDowns()[static_cast<std::size_t>(i)]; }

    std::unique_ptr<TTimeSpaceForm> FForm;
    int FProcessEvery;
    Qt::MouseButtons FStripHeld;
};

std::uint64_t SeedFromEnvironment() {
    bool ok = false;
    const qulonglong seed = qEnvironmentVariable("TIMESPACE_SOAK_SEED").toULongLong(&ok);
    return ok ? seed : DefaultSeed;
}

int EventsFromEnvironment() {
    bool ok = false;
    const int count = qEnvironmentVariableIntValue("TIMESPACE_SOAK_EVENTS", &ok);
    return ok && count > 0 ? count : DefaultEvents;
}

} // namespace

class tst_Soak : public QObject {
    Q_OBJECT

    std::uint64_t FSeed = DefaultSeed;
    int FCount = DefaultEvents;
    std::vector<Event> FEvents;
    std::vector<QByteArray> FFirstRun; // the snapshot after every event of the first run

    QString Where(std::size_t index) const {
        QString text = QStringLiteral("after event %1 of %2 (TIMESPACE_SOAK_SEED=%3 "
                                      "TIMESPACE_SOAK_EVENTS=%4); the last events were:")
                           .arg(index)
                           .arg(FEvents.size())
                           .arg(FSeed)
                           .arg(FCount);
        for (std::size_t i = index >= 8 ? index - 8 : 0; i <= index; ++i) {
            text += QStringLiteral("\n  %1: ").arg(i) + Describe(FEvents[i]);
        }
        return text;
    }

  private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        FSeed = SeedFromEnvironment();
        FCount = EventsFromEnvironment();
        // Help is clicked only while its command line cannot start anything here; the page it
        // then hands to the desktop, or the message that it is not there, goes nowhere.
        Prompts::SetUrlOpener([](const QUrl &) { return true; });
        Prompts::SetMessageAnswerer([](Prompts::MessageKind, const QString &, const QString &) {});
        const TTimeSpaceForm probe;
        const bool helpIsInert =
            !ProcessStart::ResolveCommandLine(
                 BrowserLaunch::BrowserCommandLine(probe.BrowserPath(), probe.HelpFile()))
                 .has_value();
        FEvents = Script(FSeed, helpIsInert).Make(FCount);
        qInfo("soak: seed %llu, %d events%s", static_cast<unsigned long long>(FSeed),
              static_cast<int>(FEvents.size()), helpIsInert ? "" : ", Help left out");
    }

    void randomEventsKeepTheWindowConsistent() {
        Run run(50);
        QVERIFY(QTest::qWaitForWindowExposed(&run.Form()));
        const int dialogs = QApplication::topLevelWidgets().size();
        FFirstRun.clear();
        FFirstRun.reserve(FEvents.size());
        const QString record = qEnvironmentVariable("TIMESPACE_SOAK_RECORD");
        const bool recording = !record.isEmpty();
        QElapsedTimer clock;
        clock.start();
        struct {
            int FwFailure = 0, BkFailure = 0, Pending = 0, Minutes = 0, Hours = 0, Moved = 0,
                Dragging = 0, Volume = 0;
        } seen;
        for (std::size_t i = 0; i < FEvents.size(); ++i) {
            run.Apply(FEvents[i], i);
            const QString broken = run.Broken();
            if (!broken.isEmpty()) {
                QFAIL(qPrintable(broken + '\n' + Where(i) + '\n' + run.Snapshot()));
            }
            FFirstRun.push_back(run.Snapshot());
            if (recording) {
                FFirstRun.back() += run.Pictures();
            }
            const TTimeSpaceForm &f = run.Form();
            seen.FwFailure += f.FwFailure();
            seen.BkFailure += f.BkFailure();
            seen.Pending += f.Refresh->isEnabled();
            seen.Minutes += f.TimeUnits->Caption() == "min";
            seen.Hours += f.TimeUnits->Caption() == "hrs";
            seen.Moved += f.Light(3)->y() != 162;
            seen.Dragging += f.Light(2)->DragMode() != 0;
            seen.Volume += f.FwMainRoadVol->Position() > 0;
        }
        qInfo("soak: %d events with southbound failure, %d northbound, %d pending, %d min, %d hrs,"
              " %d JCT #3 moved, %d dragging, %d with volume",
              seen.FwFailure, seen.BkFailure, seen.Pending, seen.Minutes, seen.Hours, seen.Moved,
              seen.Dragging, seen.Volume);
        // No event opened a window of its own.
        QCOMPARE(QApplication::topLevelWidgets().size(), dialogs);
        qInfo("soak: %d events in %lld ms, %d recomputations", static_cast<int>(FEvents.size()),
              static_cast<long long>(clock.elapsed()), run.Form().CompositionCount());
        // The run reached the states it is meant to explore.
        QVERIFY(run.Form().CompositionCount() > static_cast<int>(FEvents.size() / 10));
        // Every snapshot written out, so that two builds of the window can be compared event by
        // event (a restructuring must leave them equal).
        if (recording) {
            QFile file(record);
            QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(record));
            for (const QByteArray &snapshot : FFirstRun) {
                file.write(snapshot);
                file.write("--\n");
            }
        }
    }

    void replayGivesTheSameWindow() {
        if (FFirstRun.size() != FEvents.size()) {
            QSKIP("the first run did not finish");
        }
        if (!qEnvironmentVariableIsEmpty("TIMESPACE_SOAK_RECORD")) {
            QSKIP("the first run recorded its pictures too");
        }
        // Another pace of event processing: painting and timer ticks must not matter.
        Run run(7);
        QVERIFY(QTest::qWaitForWindowExposed(&run.Form()));
        for (std::size_t i = 0; i < FEvents.size(); ++i) {
            run.Apply(FEvents[i], i);
            const QByteArray now = run.Snapshot();
            if (now != FFirstRun[i]) {
                QFAIL(qPrintable("the replay differs " + Where(i) + "\nfirst run:\n" +
                                 QString::fromUtf8(FFirstRun[i]) + "replay:\n" +
                                 QString::fromUtf8(now)));
            }
        }
    }
};

QTEST_MAIN(tst_Soak)
#include "tst_Soak.moc"
