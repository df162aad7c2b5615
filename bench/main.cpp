// The benchmark run: every benchmark on the real window and model, then one summary line that
// relates the window's events to the least an event can cost.

#include "app/Main.h"
#include "bench/Scenarios.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

// The console report, keeping each benchmark's real time per iteration for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    // Coloured only on a terminal, so that a saved report stays plain text.
    SummaryReporter()
        : ConsoleReporter(isatty(fileno(stdout)) != 0 ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run &run : reports) {
            if (run.error_occurred) {
                ++FErrors;
                continue;
            }
            // With repetitions the median stands for the benchmark; otherwise its one run.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) {
                continue;
            }
            const double nanoseconds =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
            // The name without the time-type suffix, as the benchmark registered it.
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) {
                name += "/" + run.run_name.args;
            }
            if (median || FNanoseconds.count(name) == 0) {
                FNanoseconds[name] = nanoseconds;
            }
        }
    }

    // The time of a benchmark in nanoseconds, or a negative value when it did not run.
    double Nanoseconds(const std::string &name) const {
        const auto found = FNanoseconds.find(name);
        return found == FNanoseconds.end() ? -1.0 : found->second;
    }

    // Benchmarks that failed (a heap allocation where none may be, a scenario that does not
    // hold).
    int Errors() const { return FErrors; }

  private:
    std::map<std::string, double> FNanoseconds;
    int FErrors = 0;
};

std::string Ratio(double numerator, double denominator) {
    if (numerator < 0 || denominator <= 0) {
        return "n/a";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", numerator / denominator);
    return text;
}

std::string Scaled(double nanoseconds, double unit, const char *format) {
    if (nanoseconds < 0) {
        return "n/a";
    }
    char text[32];
    std::snprintf(text, sizeof text, format, nanoseconds / unit);
    return text;
}

// The first window of a process also loads the fonts, the style and the pictures: nanoseconds
// until its first paint, or a negative value when it was never painted.
double FirstWindowNanoseconds() {
    QElapsedTimer clock;
    clock.start();
    auto form = std::make_unique<TTimeSpaceForm>();
    if (!Scenarios::ShowAndWait(*form)) {
        return -1.0;
    }
    const double elapsed = static_cast<double>(clock.nsecsElapsed());
    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return elapsed;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    const double firstWindow = FirstWindowNanoseconds();

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double floor = reporter.Nanoseconds("BM_ComposeFloor");
    // A drag move's own latency ends with its composition; the repaint it asks for follows in
    // the event loop, before the next move.
    std::printf("first window of the process (fonts and style loaded) = %s ms, "
                "drag with its repaint/floor = %s, refresh loaded/floor = %s\n",
                Scaled(firstWindow, 1e6, "%.1f").c_str(),
                Ratio(reporter.Nanoseconds("BM_DragMove/heavy_with_paint"), floor).c_str(),
                Ratio(reporter.Nanoseconds("BM_RefreshTimeSpaceDiagram/loaded"), floor).c_str());
    std::printf("refresh/floor = %s, drag/floor = %s, passage = %s ns, startup = %s ms\n",
                Ratio(reporter.Nanoseconds("BM_RefreshTimeSpaceDiagram/heavy"), floor).c_str(),
                Ratio(reporter.Nanoseconds("BM_DragMove/heavy"), floor).c_str(),
                Scaled(reporter.Nanoseconds("BM_PassPlatoons"), 1.0, "%.0f").c_str(),
                Scaled(reporter.Nanoseconds("BM_StartUp"), 1e6, "%.1f").c_str());
    return reporter.Errors() == 0 ? 0 : 1;
}
