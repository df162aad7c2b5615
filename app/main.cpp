#include "app/Main.h"
#include "app/FileCommands.h"
#include "cli/CommandLine.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[]) {
    // Work without a window needs no display: it never makes a GUI application.
    if (CommandLine::WantsNoWindow(argc, argv)) {
        const QCoreApplication application(argc, argv);
        return CommandLine::Run(QCoreApplication::arguments(), stdout, stderr);
    }
    QApplication application(argc, argv);
    const CommandLine::WindowArguments arguments =
        CommandLine::ForWindow(QApplication::arguments());
    if (!arguments.Problem.isEmpty()) {
        std::fprintf(stderr, "timespace: %s\nTry 'timespace --help' for more information.\n",
                     qPrintable(arguments.Problem));
        return CommandLine::UsageError;
    }
    // Without Qt's SVG plug-ins the icon is empty and the window keeps the system's default.
    QApplication::setWindowIcon(QIcon(":/desktop/timespace.svg"));
    TTimeSpaceForm form;
    form.show();
    // "timespace FILE" opens the scenario; a file that cannot be opened says why, and the window
    // stays as it starts without one.
    if (!arguments.File.isEmpty()) {
        form.Files()->OpenFile(arguments.File);
    }
    return application.exec();
}
