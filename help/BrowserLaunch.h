#pragma once

#include <QString>
#include <QUrl>

// The browser command line of the Help button: the browser's path as stored, one blank, the
// prefix "file:\\\" and the help page's path as stored. Neither path is quoted or checked.
namespace BrowserLaunch {

// The paths the main window starts with; changes last until the program ends.
inline const QString DefaultBrowserPath =
    QStringLiteral("C:\\Program Files\\Netscape\\Communicator\\Program\\netscape.exe");
inline const QString DefaultHelpFile = QStringLiteral("MainHelp.html");

// "file:" followed by three backslashes.
inline const QString HelpTargetPrefix = QStringLiteral("file:\\\\\\");

QString BrowserCommandLine(const QString &Browser, const QString &HelpPage);

// The help page as the desktop is asked to open it when the browser cannot be started: the
// page's path as stored, taken from StartFolder as the browser takes it, or from ProgramFolder
// (where the page is installed beside the program) when StartFolder has no such file. A
// "#name" after the file's name becomes the address's fragment.
QUrl HelpPageUrl(const QString &HelpPage, const QString &StartFolder, const QString &ProgramFolder);

} // namespace BrowserLaunch
