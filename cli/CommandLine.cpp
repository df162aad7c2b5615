#include "cli/CommandLine.h"

#include "cli/EvaluationReport.h"
#include "document/ArterialDocument.h"
#include "model/Evaluation.h"
#include "model/Plan.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>

#include <cstring>

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
    // Every long option is the command line's (Qt's own options for the window take one dash:
    // -platform, -style), and so are the short -h and -v.
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (std::strncmp(argument, "--", 2) == 0 || std::strcmp(argument, "-h") == 0 ||
            std::strcmp(argument, "-v") == 0) {
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
    if (format == QLatin1String("csv")) {
        const QByteArray table = EvaluationReport::Csv(plan, result);
        std::fwrite(table.constData(), 1, static_cast<std::size_t>(table.size()), Output);
    } else {
        const QByteArray json =
            QJsonDocument(EvaluationReport::Json(*settings, plan, result)).toJson();
        std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), Output);
    }
    return std::fflush(Output) == 0 ? Success : InputUnusable;
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
