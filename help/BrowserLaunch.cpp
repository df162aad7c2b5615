#include "help/BrowserLaunch.h"

namespace BrowserLaunch {

QString BrowserCommandLine(const QString &Browser, const QString &HelpPage) {
    return Browser + QLatin1Char(' ') + HelpTargetPrefix + HelpPage;
}

} // namespace BrowserLaunch
