#include "bench/Scenarios.h"

#include "app/Main.h"
#include "controls/TimeSpaceLight.h"
#include "platform/TrackBar.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>

namespace {
void MoveTrackBar(TTrackBar *Bar, int Position, void (TTimeSpaceForm::*Handler)(QObject *),
                  TTimeSpaceForm &Form) {
    Bar->SetPosition(Position);
    (Form.*Handler)(Bar);
}

struct JunctionTiming {
    int Cycle;
    int Offset;
};
} // namespace

void Scenarios::LoadedTiming(TTimeSpaceForm &Form) {
    MoveTrackBar(Form.FwMainRoadVol, 500, &TTimeSpaceForm::FwMainRoadVolChange, Form);
    MoveTrackBar(Form.BkMainRoadVol, 380, &TTimeSpaceForm::BkMainRoadVolChange, Form);
}

void Scenarios::HeavyTraffic(TTimeSpaceForm &Form) {
    // JCT #1 keeps the loaded cycle, so the volume ranges stay at their widest; the 80 s cycle
    // at JCT #4 cannot serve a near-capacity platoon of either direction.
    constexpr JunctionTiming Timings[6] = {{115, 0}, {100, 37}, {120, 64},
                                           {80, 21}, {105, 88}, {95, 12}};
    for (int k = 1; k <= 6; ++k) {
        TTimeSpaceLight *light = Form.Light(k);
        light->SetCycleTime(Timings[k - 1].Cycle);
        light->SetCycleOffset(Timings[k - 1].Offset);
        Form.TimeSpaceLight2CycleChange(light);
    }
    MoveTrackBar(Form.FwMainRoadVol, Form.FwMainRoadVol->Max() - 30,
                 &TTimeSpaceForm::FwMainRoadVolChange, Form);
    MoveTrackBar(Form.BkMainRoadVol, Form.BkMainRoadVol->Max() - 30,
                 &TTimeSpaceForm::BkMainRoadVolChange, Form);
    MoveTrackBar(Form.SideVol, Form.SideVol->Max(), &TTimeSpaceForm::SideVolChange, Form);
    MoveTrackBar(Form.TrafficLeaving, 25, &TTimeSpaceForm::TrafficLeavingChange, Form);
}

QString Scenarios::HeavyTrafficProblem(const TTimeSpaceForm &Form) {
    QString problem;
    if (!Form.FwFailure()) {
        problem += "no southbound cycle failure; ";
    }
    if (!Form.BkFailure()) {
        problem += "no northbound cycle failure; ";
    }
    if (Form.EnteringVol() == 0) {
        problem += "no traffic enters at crossroad #2; ";
    }
    if (Form.TrafficLeaving->Position() == 0) {
        problem += "no traffic leaves at crossroad #5; ";
    }
    return problem;
}

namespace {
// Notes when a widget's first paint has run.
class FirstPaintWatcher : public QObject {
  public:
    bool Painted = false;

  protected:
    bool eventFilter(QObject *, QEvent *Event) override {
        Painted = Painted || Event->type() == QEvent::Paint;
        return false;
    }
};
} // namespace

bool Scenarios::ShowAndWait(TTimeSpaceForm &Form) {
    FirstPaintWatcher watcher;
    Form.installEventFilter(&watcher);
    Form.show();
    // Only a guard against a platform that never paints the window; nothing is timed by it.
    const QDeadlineTimer guard(10000);
    while (!watcher.Painted && !guard.hasExpired()) {
        QCoreApplication::processEvents();
    }
    Form.removeEventFilter(&watcher);
    return watcher.Painted;
}
