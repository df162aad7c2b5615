#include "help/BrowserLaunch.h"

#include <QDir>
#include <QFileInfo>

namespace BrowserLaunch {

QString BrowserCommandLine(const QString &Browser, const QString &HelpPage) {
    return Browser + QLatin1Char(' ') + HelpTargetPrefix + HelpPage;
}

QUrl HelpPageUrl(const QString &HelpPage, const QString &StartFolder,
                 const QString &ProgramFolder) {
    QString path = HelpPage;
    QString fragment;
    const qsizetype hash = path.indexOf(QLatin1Char('#'));
    if (hash >= 0 && !QFileInfo(QDir(StartFolder), path).isFile()) {
        fragment = path.mid(hash + 1);
        path.truncate(hash);
    }
    QString file = QDir(StartFolder).absoluteFilePath(path);
    if (!QFileInfo(file).isFile() && QDir::isRelativePath(path)) {
        const QString beside = QDir(ProgramFolder).absoluteFilePath(path);
        if (QFileInfo(beside).isFile()) {
            file = beside;
        }
    }
    QUrl url = QUrl::fromLocalFile(QDir::cleanPath(file));
    if (!fragment.isEmpty()) {
        url.setFragment(fragment);
    }
    return url;
}

} // namespace BrowserLaunch
