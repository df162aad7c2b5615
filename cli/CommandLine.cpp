#include "cli/CommandLine.h"

#include "cli/EvaluationReport.h"
#include "document/ArterialDocument.h"
#include "model/Evaluation.h"
#include "model/Plan.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>

#include <algorithm>
#include <cerrno>
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

    void AddTo(QCommandLineParser &Parser) const {
        Parser.setApplicationDescription(
            QStringLiteral("TimeSpace: coordinates the traffic signals of an arterial road on a "
                           "time-space diagram.\nWithout options the window opens, on the "
                           "scenario FILE when one is given.\nExit status: 0 on success, 1 when "
                           "the scenario file cannot be opened or used, 2 for a usage error."));
        Parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        Parser.addOptions({Help, Version, Evaluate, Format});
        Parser.addPositionalArgument(QStringLiteral("FILE"),
                                     QStringLiteral("A scenario file to open in the window."),
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

} // namespace

bool WantsNoWindow(int argc, char *argv[]) {
    // The program's own options, with one dash or two; any other long option that is not one of
    // Qt's own for the window is a usage error of the command line, which needs no display to
    // say so. "--" alone ends the options.
    static const char *const own[] = {"evaluate", "format", "help", "help-all",
                                      "version",  "h",      "v"};
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

int Run(const QStringList &Arguments, std::FILE *Output, std::FILE *Errors) {
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
    if (!parser.isSet(options.Evaluate)) {
        return Usage(Errors, QStringLiteral("--format needs --evaluate FILE"));
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
    const std::size_t size = static_cast<std::size_t>(figures.size());
    const bool written = std::fwrite(figures.constData(), 1, size, Output) == size &&
                         std::fflush(Output) == 0 && std::ferror(Output) == 0;
    if (!written) {
        Print(Errors, QStringLiteral("timespace: the figures could not be written: %1\n")
                          .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return InputUnusable;
    }
    return Success;
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
