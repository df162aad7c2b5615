#include "app/Main.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    // Without Qt's SVG plug-ins the icon is empty and the window keeps the system's default.
    QApplication::setWindowIcon(QIcon(":/desktop/timespace.svg"));
    TTimeSpaceForm form;
    form.show();
    // "timespace FILE" opens the scenario; a file that cannot be opened says why, and the window
    // stays as it starts without one.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        form.OpenFile(arguments.at(1));
    }
    return application.exec();
}
