#pragma once

#include "model/Evaluation.h"
#include "model/Plan.h"
#include "model/SimulationFigures.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <optional>

// The program's command line: `timespace --evaluate FILE [--format json|csv]`,
// `timespace --optimise band|delay FILE [--output OUT] [--lock LIST] [--cycle LOW-HIGH]
// [--stop-penalty S] [--weights SB,NB]`, `timespace --report FILE --output OUT [--paper
// a4|letter]`, `timespace --simulate FILE [--runs N] [--arrivals platoons|random] [--drivers
// diagram|typical]`, `--help` and `--version` run without a window or a display;
// `timespace [FILE]` opens the window.
namespace CommandLine {

inline constexpr int Success = 0;
inline constexpr int InputUnusable = 1; // the scenario file cannot be used, or the figures
                                        // cannot be written
inline constexpr int UsageError = 2;

// Whether the arguments ask for work without a window: one of the program's own options (with
// one dash or two), or a long option that is neither the program's nor one of Qt's own for the
// window (a usage error, reported without a display).
bool WantsNoWindow(int argc, char *argv[]);

// Whether the arguments ask for --report, whose PDF, SVG and PNG need painting: the program
// then runs under a GUI application on the offscreen platform, still without a display.
bool WantsPainting(int argc, char *argv[]);

// What --report writes by painting, which the command line (QtCore only) cannot do itself: the
// program hands in the analysis layer's writers. Each writes Out whole and gives an empty text
// on success, otherwise why not. Scenario is the scenario file's path; Letter chooses the paper.
struct ReportPainters {
    using Writer = std::function<QString(const ArterialPlan &, const ArterialEvaluation &,
                                         const QString &Scenario, const QString &Out, bool Letter)>;
    Writer Pdf;
    Writer Svg;
    Writer Png;
};

// What --simulate runs, which the command line cannot do itself: the program hands in the
// analysis layer's replications in the traffic simulator. It gives the replications of Plan
// under Choice, or nothing with the reason in Problem.
using Simulator = std::function<std::optional<SimulationSet>(
    const ArterialPlan &Plan, const SimulationChoice &Choice, QString &Problem)>;

// Runs the command the arguments give (the program's name first) and gives the exit code;
// the figures go to Output, messages to Errors. Without painters --report writes only CSV;
// without a simulator --simulate is refused.
int Run(const QStringList &Arguments, std::FILE *Output, std::FILE *Errors,
        const ReportPainters &Painters = {}, const Simulator &Simulate = {});

// For the window: the scenario file the arguments name, if any. A usage error (an option the
// program does not know, more than one file) gives the message to print and the exit code.
struct WindowArguments {
    QString File;
    QString Problem; // empty when the window may open
};
WindowArguments ForWindow(const QStringList &Arguments);

} // namespace CommandLine
