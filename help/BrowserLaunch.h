#pragma once

#include <QString>

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

} // namespace BrowserLaunch
