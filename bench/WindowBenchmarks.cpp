// The window's latency: the composition floor, a full recomputation, one drag move of an offset
// and the start-up, each on the real window shown on the platform in use.

#include "analysis/JunctionReport.h"
#include "app/Main.h"
#include "bench/AllocationCounter.h"
#include "bench/Scenarios.h"
#include "controls/TimeSpaceLight.h"
#include "controls/TimeSpaceLink.h"
#include "model/Evaluation.h"
#include "model/Passage.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int DiagramWidth = 524;
constexpr int DiagramHeight = 409;

QImage DiagramPicture(QRgb colour) {
    QImage picture(DiagramWidth, DiagramHeight, QImage::Format_ARGB32_Premultiplied);
    picture.fill(colour);
    return picture;
}

// The least any event can cost: it ends by drawing one diagram-sized picture onto another,
// painter set-up included.
void BM_ComposeFloor(benchmark::State &state) {
    const QImage source = DiagramPicture(qRgb(0, 128, 128));
    QImage target = DiagramPicture(qRgb(0, 0, 0));
    for (auto _ : state) {
        QPainter painter(&target);
        painter.drawImage(0, 0, source);
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_ComposeFloor)->UseRealTime();

// The same copy with the painter already open: the pure pixel work.
void BM_ComposeFloorPixelsOnly(benchmark::State &state) {
    const QImage source = DiagramPicture(qRgb(0, 128, 128));
    QImage target = DiagramPicture(qRgb(0, 0, 0));
    QPainter painter(&target);
    for (auto _ : state) {
        painter.drawImage(0, 0, source);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_ComposeFloorPixelsOnly)->UseRealTime();

enum class Load { Loaded, Heavy };

// A shown window in the given state, or nullptr after reporting why the benchmark cannot run.
std::unique_ptr<TTimeSpaceForm> ShownForm(benchmark::State &state, Load load) {
    auto form = std::make_unique<TTimeSpaceForm>();
    if (!Scenarios::ShowAndWait(*form)) {
        state.SkipWithError("the window was never exposed");
        return nullptr;
    }
    if (load == Load::Loaded) {
        Scenarios::LoadedTiming(*form);
    } else {
        Scenarios::HeavyTraffic(*form);
        const QString problem = Scenarios::HeavyTrafficProblem(*form);
        if (!problem.isEmpty()) {
            state.SkipWithError(problem.toStdString().c_str());
            return nullptr;
        }
    }
    // Let the window catch up with the set-up before anything is timed.
    QCoreApplication::processEvents();
    return form;
}

void ReportPerEvent(benchmark::State &state, const TTimeSpaceForm &form, int compositionsBefore,
                    std::uint64_t allocations) {
    const double events = static_cast<double>(state.iterations());
    state.counters["compositions/event"] =
        static_cast<double>(form.CompositionCount() - compositionsBefore) / events;
    state.counters["allocs/event"] = static_cast<double>(allocations) / events;
}

void BM_RefreshTimeSpaceDiagram(benchmark::State &state, Load load) {
    const std::unique_ptr<TTimeSpaceForm> form = ShownForm(state, load);
    if (!form) {
        return;
    }
    const int compositions = form->CompositionCount();
    const AllocationCounter::Scope allocations;
    for (auto _ : state) {
        form->RefreshTimeSpaceDiagram();
    }
    ReportPerEvent(state, *form, compositions, allocations.Allocations());
}
BENCHMARK_CAPTURE(BM_RefreshTimeSpaceDiagram, loaded, Load::Loaded)->UseRealTime();
BENCHMARK_CAPTURE(BM_RefreshTimeSpaceDiagram, heavy, Load::Heavy)->UseRealTime();

// One evaluation of the whole arterial, on the plan and the links the window's scenario left:
// what every event of the window costs in arithmetic. It may not touch the heap.
void BM_Evaluate(benchmark::State &state, Load load) {
    const std::unique_ptr<TTimeSpaceForm> form = ShownForm(state, load);
    if (!form) {
        return;
    }
    const TArterialDocument &document = *form->Document();
    const ArterialPlan plan = document.Plan();
    const auto result = std::make_unique<ArterialEvaluation>(document.Result());
    const AllocationCounter::Scope allocations;
    for (auto _ : state) {
        Evaluate(plan, *result);
        benchmark::DoNotOptimize(result->South.Stops);
    }
    const std::uint64_t allocated = allocations.Allocations();
    state.counters["allocs/iter"] =
        static_cast<double>(allocated) / static_cast<double>(state.iterations());
    if (allocated != 0) {
        state.SkipWithError("heap allocation in the evaluation");
    }
}
BENCHMARK_CAPTURE(BM_Evaluate, loaded, Load::Loaded);
BENCHMARK_CAPTURE(BM_Evaluate, heavy, Load::Heavy);

void SendMouse(QWidget *target, QEvent::Type type, int x, Qt::MouseButton button) {
    const QPointF at(x, 5);
    QMouseEvent event(type, at, target->mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    int Paints = 0;

  protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint) {
            ++Paints;
        }
        return false;
    }
};

// Kept out of line so that a profile can collect exactly one move:
// valgrind --tool=callgrind --toggle-collect='*DragStep*'
[[gnu::noinline]] void DragStep(TTimeSpaceLight *strip, int x, bool paint) {
    SendMouse(strip, QEvent::MouseMove, x, Qt::NoButton);
    if (paint) {
        QCoreApplication::processEvents();
    }
}

// Opens the junction report through its command and lets it paint once.
bool OpenReport(benchmark::State &state, TTimeSpaceForm &form) {
    if (QAction *report = form.Command(QStringLiteral("Junction Report"))) {
        report->trigger();
    }
    if (form.JunctionReport() == nullptr || !form.JunctionReport()->isVisible()) {
        state.SkipWithError("the junction report did not open");
        return false;
    }
    QCoreApplication::processEvents();
    return true;
}

// One move of an offset drag on JCT #3, from the toolkit's event to the window's composition.
// With paint set, the repaint the move asked for is also flushed before the next move, as the
// event loop would between two moves. With report set the junction report is open and follows
// every move (and, with paint, repaints what changed in it).
void BM_DragMove(benchmark::State &state, Load load, bool paint, bool report = false) {
    const std::unique_ptr<TTimeSpaceForm> form = ShownForm(state, load);
    if (!form) {
        return;
    }
    if (report && !OpenReport(state, *form)) {
        return;
    }
    TTimeSpaceLight *strip = form->Light(3);
    // Press inside a green band: an offset drag. Every move then shifts the offset by 1 s.
    const int x = strip->GreenStart(2) + 5;
    SendMouse(strip, QEvent::MouseButtonPress, x, Qt::LeftButton);
    if (strip->DragMode() != 1) {
        state.SkipWithError("the press did not start an offset drag");
        return;
    }
    PaintCounter linkPaints;
    form->Link(4)->installEventFilter(&linkPaints);
    const int compositions = form->CompositionCount();
    const std::uint64_t passages = PassagesRun();
    const AllocationCounter::Scope allocations;
    int step = 0;
    for (auto _ : state) {
        DragStep(strip, x + (++step & 1), paint);
    }
    ReportPerEvent(state, *form, compositions, allocations.Allocations());
    state.counters["passages/event"] =
        static_cast<double>(PassagesRun() - passages) / static_cast<double>(state.iterations());
    state.counters["link paints/event"] =
        static_cast<double>(linkPaints.Paints) / static_cast<double>(state.iterations());
    SendMouse(strip, QEvent::MouseButtonRelease, x, Qt::LeftButton);
}
BENCHMARK_CAPTURE(BM_DragMove, loaded, Load::Loaded, false)->UseRealTime();
BENCHMARK_CAPTURE(BM_DragMove, heavy, Load::Heavy, false)->UseRealTime();
BENCHMARK_CAPTURE(BM_DragMove, heavy_with_paint, Load::Heavy, true)->UseRealTime();
BENCHMARK_CAPTURE(BM_DragMove, loaded_with_report, Load::Loaded, false, true)->UseRealTime();
BENCHMARK_CAPTURE(BM_DragMove, heavy_with_report, Load::Heavy, false, true)->UseRealTime();
BENCHMARK_CAPTURE(BM_DragMove, heavy_with_paint_and_report, Load::Heavy, true, true)->UseRealTime();

// Constructing the main window and showing it until its first paint has run. The process and
// the application object already exist; the first window of a process also pays for loading
// fonts and styles, which main() reports apart.
void BM_StartUp(benchmark::State &state) {
    for (auto _ : state) {
        auto form = std::make_unique<TTimeSpaceForm>();
        const bool painted = Scenarios::ShowAndWait(*form);
        state.PauseTiming();
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
        if (!painted) {
            state.SkipWithError("the window was never painted");
            break;
        }
    }
}
BENCHMARK(BM_StartUp)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
