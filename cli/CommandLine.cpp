#include "cli/CommandLine.h"

#include "cli/EvaluationReport.h"
#include "document/ArterialDocument.h"
#include "document/OptimiseFigures.h"
#include "document/ReportTable.h"
#include "document/ScenarioFile.h"
#include "document/SimulationText.h"
#include "document/WholeFile.h"
#include "model/Diagram.h"
#include "model/Evaluation.h"
#include "model/Optimiser.h"
#include "model/Plan.h"
#include "model/TimingEdits.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string_view>

namespace CommandLine {

namespace {

const char *const Version = TIMESPACE_VERSION;

struct Options {
    QCommandLineOption Help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Shows this help and exits.")};
    QCommandLineOption Version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Shows the program's version and exits.")};
    QCommandLineOption Evaluate{
        QStringLiteral("evaluate"),
        QStringLiteral("Prints every figure the window and the junction report show for the "
                       "scenario FILE, without opening a window."),
        QStringLiteral("FILE")};
    QCommandLineOption Format{QStringLiteral("format"),
                              QStringLiteral("What --evaluate prints: json (everything, the "
                                             "default) or csv (the junction report's table)."),
                              QStringLiteral("json|csv"), QStringLiteral("json")};
    QCommandLineOption Optimise{
        QStringLiteral("optimise"),
        QStringLiteral("Finds the offsets (and with --cycle one common cycle) of the scenario FILE "
                       "for the widest two-way band (band) or the least delay and stops (delay), "
                       "and prints the figures before and after as JSON."),
        QStringLiteral("band|delay")};
    QCommandLineOption Report{
        QStringLiteral("report"),
        QStringLiteral("Writes the scenario FILE's report to --output OUT, by OUT's extension: the "
                       "timing report as PDF (.pdf), the diagram as SVG (.svg) or PNG (.png), or "
                       "the junction table as CSV (.csv), one row per junction and direction "
                       "with the level of service."),
        QStringLiteral("FILE")};
    QCommandLineOption Paper{QStringLiteral("paper"),
                             QStringLiteral("With --report to a PDF: the paper, a4 (the default) "
                                            "or letter."),
                             QStringLiteral("a4|letter"), QStringLiteral("a4")};
    QCommandLineOption Output{
        QStringLiteral("output"),
        QStringLiteral("With --optimise: writes the proposed timing as a scenario file to OUT. "
                       "With --report: the file to write (.pdf, .svg, .png or .csv)."),
        QStringLiteral("OUT")};
    QCommandLineOption Lock{
        QStringLiteral("lock"),
        QStringLiteral("With --optimise: the junctions (1 to 6) that keep their offsets, such as "
                       "3,5."),
        QStringLiteral("LIST")};
    QCommandLineOption Cycle{QStringLiteral("cycle"),
                             QStringLiteral("With --optimise: searches one common cycle from LOW "
                                            "to HIGH seconds, such as 80-140; every junction "
                                            "keeps its shares of red and green."),
                             QStringLiteral("LOW-HIGH")};
    QCommandLineOption StopPenalty{
        QStringLiteral("stop-penalty"),
        QStringLiteral("With --optimise: the seconds of delay one stop counts as (default 10)."),
        QStringLiteral("S")};
    QCommandLineOption Weights{
        QStringLiteral("weights"),
        QStringLiteral("With --optimise band: the southbound and northbound bands' weights, such "
                       "as 2,1 (default: each direction's volume)."),
        QStringLiteral("SB,NB")};

    QCommandLineOption Simulate{
        QStringLiteral("simulate"),
        QStringLiteral("Runs the scenario FILE in the SUMO traffic simulator (--runs times, two "
                       "at a time) and prints the figures, with their spread over the runs, as "
                       "JSON."),
        QStringLiteral("FILE")};
    QCommandLineOption Runs{QStringLiteral("runs"),
                            QStringLiteral("With --simulate: the runs, each with its own seed, "
                                           "1 to 100 (default 10 with random arrivals or "
                                           "typical drivers, 1 otherwise)."),
                            QStringLiteral("N")};
    QCommandLineOption Arrivals{
        QStringLiteral("arrivals"),
        QStringLiteral("With --simulate: the main road's traffic as the diagram's platoons "
                       "(platoons, the default) or arriving at random at the same hourly volume "
                       "(random)."),
        QStringLiteral("platoons|random"), QStringLiteral("platoons")};
    QCommandLineOption Drivers{
        QStringLiteral("drivers"),
        QStringLiteral("With --simulate: drivers as the diagram assumes (diagram, the default) or "
                       "the simulator's typical drivers, with start-up loss and speed variation "
                       "(typical)."),
        QStringLiteral("diagram|typical"), QStringLiteral("diagram")};

    void AddTo(QCommandLineParser &Parser) const {
        Parser.setApplicationDescription(
            QStringLiteral("TimeSpace: coordinates the traffic signals of an arterial road on a "
                           "time-space diagram.\nWithout options the window opens, on the "
                           "scenario FILE when one is given.\nExit status: 0 on success, 1 when "
                           "the scenario file cannot be opened or used or the output cannot be "
                           "written, 2 for a usage error."));
        Parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        Parser.addOptions({Help, Version, Evaluate, Format, Optimise, Report, Paper, Output, Lock,
                           Cycle, StopPenalty, Weights, Simulate, Runs, Arrivals, Drivers});
        Parser.addPositionalArgument(
            QStringLiteral("FILE"),
            QStringLiteral("A scenario file to open in the window, or to optimise."),
            QStringLiteral("[FILE]"));
    }
};

void Print(std::FILE *Stream, const QString &Text) {
    const QByteArray bytes = Text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), Stream);
}

int Usage(std::FILE *Errors, const QString &Problem) {
    Print(Errors, QStringLiteral("timespace: %1\nTry 'timespace --help' for more information.\n")
                      .arg(Problem));
    return UsageError;
}

// Writes the figures whole, or says why not.
int WriteFigures(const QByteArray &Figures, std::FILE *Output, std::FILE *Errors) {
    const std::size_t size = static_cast<std::size_t>(Figures.size());
    const bool written = std::fwrite(Figures.constData(), 1, size, Output) == size &&
                         std::fflush(Output) == 0 && std::ferror(Output) == 0;
    if (!written) {
        Print(Errors, QStringLiteral("timespace: the figures could not be written: %1\n")
                          .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return InputUnusable;
    }
    return Success;
}

// The optimiser's options as the request, or the usage problem.
QString ParseRequest(const QCommandLineParser &Parser, const Options &O, OptimiseRequest &Request) {
    for (const QCommandLineOption *option :
         {&O.Optimise, &O.Output, &O.Lock, &O.Cycle, &O.StopPenalty, &O.Weights}) {
        if (Parser.values(*option).size() > 1) {
            return QStringLiteral("--%1 is given more than once").arg(option->names().constFirst());
        }
    }
    const QString objective = Parser.value(O.Optimise);
    if (objective == QLatin1String("band")) {
        Request.Objective = OptimiseObjective::WidestBand;
    } else if (objective == QLatin1String("delay")) {
        Request.Objective = OptimiseObjective::LeastDelay;
    } else {
        return QStringLiteral("unknown objective '%1' (band or delay)").arg(objective);
    }
    if (Parser.isSet(O.Lock)) {
        for (const QString &item : Parser.value(O.Lock).split(QLatin1Char(','))) {
            bool ok = false;
            const int k = item.trimmed().toInt(&ok);
            if (!ok || k < 1 || k > JunctionCount) {
                return QStringLiteral("--lock takes junction numbers 1 to 6, such as 3,5, not '%1'")
                    .arg(Parser.value(O.Lock));
            }
            Request.Locked[k] = true;
        }
        if (std::all_of(Request.Locked.begin(), Request.Locked.end(), [](bool l) { return l; })) {
            return QStringLiteral("--lock leaves no junction's offset to search");
        }
    }
    if (Parser.isSet(O.Cycle)) {
        const QStringList ends = Parser.value(O.Cycle).split(QLatin1Char('-'));
        bool low = false;
        bool high = false;
        if (ends.size() == 2) {
            Request.Cycles =
                CycleRange{ends[0].trimmed().toInt(&low), ends[1].trimmed().toInt(&high)};
        }
        const std::int32_t least = LeastReachableCycle(StripWidth);
        const std::int32_t greatest = GreatestReachableCycle(StripWidth);
        if (!low || !high || Request.Cycles->Least < least || Request.Cycles->Greatest > greatest ||
            Request.Cycles->Least > Request.Cycles->Greatest) {
            return QStringLiteral("--cycle takes LOW-HIGH seconds within %1 to %2, such as 80-140, "
                                  "not '%3'")
                .arg(least)
                .arg(greatest)
                .arg(Parser.value(O.Cycle));
        }
    }
    if (Parser.isSet(O.StopPenalty)) {
        bool ok = false;
        Request.StopPenalty = Parser.value(O.StopPenalty).toDouble(&ok);
        if (!ok || !(Request.StopPenalty >= 0.0 && Request.StopPenalty <= MaxStopPenalty)) {
            return QStringLiteral("--stop-penalty takes seconds from 0 to %1, not '%2'")
                .arg(MaxStopPenalty)
                .arg(Parser.value(O.StopPenalty));
        }
    }
    if (Parser.isSet(O.Weights)) {
        const QStringList parts = Parser.value(O.Weights).split(QLatin1Char(','));
        bool south = false;
        bool north = false;
        BandWeights w;
        if (parts.size() == 2) {
            w = {parts[0].trimmed().toDouble(&south), parts[1].trimmed().toDouble(&north)};
        }
        Request.Weights = w;
        if (Request.Objective != OptimiseObjective::WidestBand) {
            return QStringLiteral("--weights goes with --optimise band");
        }
        const bool valid = south && north && std::isfinite(w.South) && std::isfinite(w.North) &&
                           w.South >= 0.0 && w.North >= 0.0 && w.South + w.North > 0.0;
        if (!valid) {
            return QStringLiteral("--weights takes two weights of 0 or more, not both 0, such as "
                                  "2,1, not '%1'")
                .arg(Parser.value(O.Weights));
        }
    }
    return QString();
}

int RunOptimise(const QCommandLineParser &Parser, const Options &O, std::FILE *Output,
                std::FILE *Errors) {
    if (Parser.isSet(O.Format)) {
        return Usage(Errors, QStringLiteral("--format goes with --evaluate"));
    }
    const QStringList files = Parser.positionalArguments();
    if (files.size() != 1) {
        return Usage(Errors, files.isEmpty()
                                 ? QStringLiteral("--optimise needs a scenario FILE")
                                 : QStringLiteral("unexpected argument '%1'").arg(files[1]));
    }
    OptimiseRequest request;
    const QString usage = ParseRequest(Parser, O, request);
    if (!usage.isEmpty()) {
        return Usage(Errors, usage);
    }
    QString problem;
    const std::optional<Scenario> settings = TArterialDocument::Read(files[0], problem);
    if (!settings) {
        Print(Errors, problem + QLatin1Char('\n'));
        return InputUnusable;
    }
    // As the window opens the file and then applies the proposal as one edit.
    const ArterialPlan plan = PlanOf(*settings);
    const OptimiseResult result = ::Optimise(plan, Evaluate(plan, {}).Links, request);
    if (result.Outcome == OptimiseOutcome::Refused) {
        Print(Errors,
              QStringLiteral("timespace: %1\n").arg(QString::fromStdString(result.Message)));
        return InputUnusable;
    }
    QJsonValue written;
    if (Parser.isSet(O.Output)) {
        const QString path = Parser.value(O.Output);
        const QString failed =
            ScenarioFile::Write(path, OptimiseFigures::ProposedScenario(*settings, result));
        if (!failed.isEmpty()) {
            Print(Errors, QStringLiteral("timespace: %1\n").arg(failed));
            return InputUnusable;
        }
        written = path;
    }
    QJsonArray locked;
    for (int k = 1; k <= JunctionCount; ++k) {
        if (request.Locked[k]) {
            locked.append(k);
        }
    }
    const BandWeights weights = WeightsFor(plan, request);
    const QList<OptimiseFigures::Row> rows = OptimiseFigures::Rows(result);
    QJsonObject figures{
        {"format", "TimeSpace optimisation"},
        {"version", 1},
        {"objective", OptimiseFigures::ObjectiveName(request.Objective)},
        {"outcome", OptimiseFigures::OutcomeName(result.Outcome)},
        {"message", QString::fromStdString(result.Message)},
        {"locked", locked},
        {"cycleRange", request.Cycles
                           ? QJsonValue(QJsonArray{request.Cycles->Least, request.Cycles->Greatest})
                           : QJsonValue()},
        {"bandWeights", QJsonObject{{"southbound", weights.South}, {"northbound", weights.North}}},
        {"stopPenalty", request.StopPenalty},
        {"evaluations", static_cast<double>(result.Evaluations)},
        {"before", OptimiseFigures::Json(rows, false)},
        {"after", OptimiseFigures::Json(rows, true)},
        {"output", written},
    };
    if (request.Objective == OptimiseObjective::WidestBand) {
        figures.insert(QStringLiteral("exact"), result.Exact);
    }
    return WriteFigures(QJsonDocument(figures).toJson(), Output, Errors);
}

// A job's usage problem, or nothing: an option that does not go with it, one of its own given
// more than once, or a file named beside it.
QString Misused(const QCommandLineParser &Parser, const QString &Job,
                std::initializer_list<const QCommandLineOption *> Foreign,
                std::initializer_list<const QCommandLineOption *> Own) {
    for (const QCommandLineOption *option : Foreign) {
        if (Parser.isSet(*option)) {
            return QStringLiteral("--%1 does not go with %2")
                .arg(option->names().constFirst(), Job);
        }
    }
    for (const QCommandLineOption *option : Own) {
        if (Parser.values(*option).size() > 1) {
            return QStringLiteral("--%1 is given more than once").arg(option->names().constFirst());
        }
    }
    if (!Parser.positionalArguments().isEmpty()) {
        return QStringLiteral("unexpected argument '%1'")
            .arg(Parser.positionalArguments().constFirst());
    }
    return {};
}

int RunReport(const QCommandLineParser &Parser, const Options &O, const ReportPainters &Painters,
              std::FILE *Errors) {
    const QString misused = Misused(Parser, QStringLiteral("--report"),
                                    {&O.Format, &O.Lock, &O.Cycle, &O.StopPenalty, &O.Weights},
                                    {&O.Report, &O.Output, &O.Paper});
    if (!misused.isEmpty()) {
        return Usage(Errors, misused);
    }
    if (!Parser.isSet(O.Output)) {
        return Usage(Errors,
                     QStringLiteral("--report needs --output OUT (.pdf, .svg, .png or .csv)"));
    }
    const QString out = Parser.value(O.Output);
    const QString kind = QFileInfo(out).suffix().toLower();
    const QStringList kinds{QStringLiteral("pdf"), QStringLiteral("svg"), QStringLiteral("png"),
                            QStringLiteral("csv")};
    if (!kinds.contains(kind)) {
        return Usage(Errors, QStringLiteral("--output '%1': the extension says what to write: "
                                            ".pdf, .svg, .png or .csv")
                                 .arg(out));
    }
    if (Parser.isSet(O.Paper) && kind != QLatin1String("pdf")) {
        return Usage(Errors, QStringLiteral("--paper goes with a .pdf report"));
    }
    const QString paper = Parser.value(O.Paper).toLower();
    if (paper != QLatin1String("a4") && paper != QLatin1String("letter")) {
        return Usage(Errors, QStringLiteral("unknown paper '%1' (a4 or letter)").arg(paper));
    }
    const ReportPainters::Writer &painter = kind == QLatin1String("pdf")   ? Painters.Pdf
                                            : kind == QLatin1String("svg") ? Painters.Svg
                                                                           : Painters.Png;
    if (kind != QLatin1String("csv") && !painter) {
        return Usage(Errors, QStringLiteral("this program cannot paint a .%1 file").arg(kind));
    }

    QString problem;
    const QString scenario = Parser.value(O.Report);
    const std::optional<Scenario> settings = TArterialDocument::Read(scenario, problem);
    if (!settings) {
        Print(Errors, problem + QLatin1Char('\n'));
        return InputUnusable;
    }
    // As the window opens the file: laid out for its strips' places, evaluated from empty links.
    const ArterialPlan plan = PlanOf(*settings);
    const ArterialEvaluation result = Evaluate(plan, {});
    if (kind == QLatin1String("csv")) {
        const QByteArray bytes = ReportTable::Csv(plan, result);
        const QString why = WriteWholeFile(out, bytes);
        if (!why.isEmpty()) {
            problem = QStringLiteral("The table could not be saved to %1: %2").arg(out, why);
        }
    } else {
        problem = painter(plan, result, scenario, out, paper == QLatin1String("letter"));
    }
    if (!problem.isEmpty()) {
        Print(Errors, QStringLiteral("timespace: %1\n").arg(problem));
        return InputUnusable;
    }
    return Success;
}

int RunSimulate(const QCommandLineParser &Parser, const Options &O, const Simulator &Simulate,
                std::FILE *Output, std::FILE *Errors) {
    const QString misused =
        Misused(Parser, QStringLiteral("--simulate"),
                {&O.Format, &O.Output, &O.Paper, &O.Lock, &O.Cycle, &O.StopPenalty, &O.Weights},
                {&O.Simulate, &O.Runs, &O.Arrivals, &O.Drivers});
    if (!misused.isEmpty()) {
        return Usage(Errors, misused);
    }
    SimulationChoice choice;
    if (!ParseArrivals(Parser.value(O.Arrivals).toStdString(), choice.Arrivals)) {
        return Usage(Errors, QStringLiteral("unknown arrivals '%1' (platoons or random)")
                                 .arg(Parser.value(O.Arrivals)));
    }
    if (!ParseDrivers(Parser.value(O.Drivers).toStdString(), choice.Drivers)) {
        return Usage(Errors, QStringLiteral("unknown drivers '%1' (diagram or typical)")
                                 .arg(Parser.value(O.Drivers)));
    }
    choice.Runs = DefaultRuns(choice);
    if (Parser.isSet(O.Runs)) {
        bool whole = false;
        const int runs = Parser.value(O.Runs).toInt(&whole);
        if (!whole || runs < 1 || runs > MostRuns) {
            return Usage(Errors, QStringLiteral("--runs '%1': a whole number from 1 to %2")
                                     .arg(Parser.value(O.Runs))
                                     .arg(MostRuns));
        }
        choice.Runs = runs;
    }
    if (!Simulate) {
        return Usage(Errors, QStringLiteral("this program cannot run the simulator"));
    }
    QString problem;
    const QString file = Parser.value(O.Simulate);
    const std::optional<Scenario> settings = TArterialDocument::Read(file, problem);
    if (!settings) {
        Print(Errors, problem + QLatin1Char('\n'));
        return InputUnusable;
    }
    const ArterialPlan plan = PlanOf(*settings);
    const ArterialEvaluation result = Evaluate(plan, {});
    const std::optional<SimulationSet> set = Simulate(plan, choice, problem);
    if (!set) {
        Print(Errors,
              QStringLiteral("timespace: the simulation gave no figures: %1\n").arg(problem));
        return InputUnusable;
    }
    // TimeSpace's own measures beside the simulator's, as the junction report sets them.
    const auto own = [](const DirectionMeasures &Measures) {
        return QJsonObject{{"stopsPerVehicle", Measures.Stops},
                           {"delayPerVehicle", Measures.DelaySeconds},
                           {"cycleFailure", Measures.Failure}};
    };
    const QJsonObject figures{{"scenario", QFileInfo(file).absoluteFilePath()},
                              {"simulation", SimulationText::Json(*set)},
                              {"timespace", QJsonObject{{"southbound", own(result.South)},
                                                        {"northbound", own(result.North)}}}};
    return WriteFigures(QJsonDocument(figures).toJson(), Output, Errors);
}

} // namespace

bool WantsPainting(int argc, char *argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            break;
        }
        std::string_view name = argument;
        name.remove_prefix(std::min(name.find_first_not_of('-'), name.size()));
        if (name.size() < argument.size() && name.substr(0, name.find('=')) == "report") {
            return true;
        }
    }
    return false;
}

bool WantsNoWindow(int argc, char *argv[]) {
    // The program's own options, with one dash or two; any other long option that is not one of
    // Qt's own for the window is a usage error of the command line, which needs no display to
    // say so. "--" alone ends the options.
    static const char *const own[] = {
        "evaluate", "format",   "optimise", "report",   "paper",   "output",       "lock",
        "cycle",    "simulate", "runs",     "arrivals", "drivers", "stop-penalty", "weights",
        "help",     "help-all", "version",  "h",        "v"};
    static const char *const toolkit[] = {
        "platform",        "platformpluginpath", "platformtheme", "plugin",     "qmljsdebugger",
        "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "reverse",    "session",
        "display",         "geometry",           "style",         "stylesheet", "widgetcount"};
    const auto named = [](std::string_view name, const auto &names) {
        return std::any_of(std::begin(names), std::end(names),
                           [name](const char *known) { return name == known; });
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            break;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            continue;
        }
        const bool twoDashes = argument[1] == '-';
        std::string_view name = argument.substr(twoDashes ? 2 : 1);
        name = name.substr(0, name.find('='));
        if (named(name, own) || (twoDashes && !named(name, toolkit))) {
            return true;
        }
    }
    return false;
}

int Run(const QStringList &Arguments, std::FILE *Output, std::FILE *Errors,
        const ReportPainters &Painters, const Simulator &Simulate) {
    QCommandLineParser parser;
    const Options options;
    options.AddTo(parser);
    if (!parser.parse(Arguments)) {
        return Usage(Errors, parser.errorText());
    }
    if (parser.isSet(options.Help)) {
        Print(Output, parser.helpText());
        return Success;
    }
    if (parser.isSet(options.Version)) {
        Print(Output, QStringLiteral("timespace %1\n").arg(QString::fromLatin1(Version)));
        return Success;
    }
    const bool optimise = parser.isSet(options.Optimise);
    const bool report = parser.isSet(options.Report);
    const bool simulate = parser.isSet(options.Simulate);
    if (int(optimise) + int(report) + int(simulate) + int(parser.isSet(options.Evaluate)) > 1) {
        return Usage(Errors, QStringLiteral("one job at a time: --evaluate, --optimise, --report "
                                            "or --simulate"));
    }
    if (simulate) {
        return RunSimulate(parser, options, Simulate, Output, Errors);
    }
    for (const QCommandLineOption *option : {&options.Runs, &options.Arrivals, &options.Drivers}) {
        if (parser.isSet(*option)) {
            return Usage(
                Errors,
                QStringLiteral("--%1 needs --simulate FILE").arg(option->names().constFirst()));
        }
    }
    if (report) {
        return RunReport(parser, options, Painters, Errors);
    }
    if (parser.isSet(options.Paper)) {
        return Usage(Errors, QStringLiteral("--paper goes with --report"));
    }
    if (optimise) {
        return RunOptimise(parser, options, Output, Errors);
    }
    if (!parser.isSet(options.Evaluate)) {
        for (const QCommandLineOption *option : {&options.Output, &options.Lock, &options.Cycle,
                                                 &options.StopPenalty, &options.Weights}) {
            if (parser.isSet(*option)) {
                return Usage(Errors, QStringLiteral("--%1 needs --optimise band|delay FILE")
                                         .arg(option->names().constFirst()));
            }
        }
        return Usage(Errors, QStringLiteral("--format needs --evaluate FILE"));
    }
    for (const QCommandLineOption *option :
         {&options.Output, &options.Lock, &options.Cycle, &options.StopPenalty, &options.Weights}) {
        if (parser.isSet(*option)) {
            return Usage(Errors, QStringLiteral("--%1 goes with --optimise, not --evaluate")
                                     .arg(option->names().constFirst()));
        }
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Usage(Errors, QStringLiteral("unexpected argument '%1'")
                                 .arg(parser.positionalArguments().constFirst()));
    }
    const QString format = parser.value(options.Format);
    if (format != QLatin1String("json") && format != QLatin1String("csv")) {
        return Usage(Errors, QStringLiteral("unknown format '%1' (json or csv)").arg(format));
    }

    QString problem;
    const std::optional<Scenario> settings =
        TArterialDocument::Read(parser.value(options.Evaluate), problem);
    if (!settings) {
        Print(Errors, problem + QLatin1Char('\n'));
        return InputUnusable;
    }
    // As the window opens the file: laid out for its strips' places, evaluated from empty links.
    const ArterialPlan plan = PlanOf(*settings);
    const ArterialEvaluation result = Evaluate(plan, {});
    const QByteArray figures =
        format == QLatin1String("csv")
            ? EvaluationReport::Csv(plan, result)
            : QJsonDocument(EvaluationReport::Json(*settings, plan, result)).toJson();
    return WriteFigures(figures, Output, Errors);
}

WindowArguments ForWindow(const QStringList &Arguments) {
    QCommandLineParser parser;
    const Options options;
    options.AddTo(parser);
    WindowArguments result;
    if (!parser.parse(Arguments)) {
        result.Problem = parser.errorText();
    } else if (parser.positionalArguments().size() > 1) {
        result.Problem = QStringLiteral("one scenario file at a time, not %1")
                             .arg(parser.positionalArguments().size());
    } else if (!parser.positionalArguments().isEmpty()) {
        result.File = parser.positionalArguments().constFirst();
    }
    return result;
}

} // namespace CommandLine
