#include "app/Main.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    // Without Qt's SVG plug-ins the icon is empty and the window keeps the system's default.
    QApplication::setWindowIcon(QIcon(":/desktop/timespace.svg"));
    TTimeSpaceForm form;
    form.show();
    return application.exec();
}
