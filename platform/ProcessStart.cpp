#include "platform/ProcessStart.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <climits>

#ifdef _WIN32
#include <windows.h>
#endif

namespace ProcessStart {

namespace {

#ifdef PATH_MAX
constexpr qsizetype LongestPath = PATH_MAX;
#else
constexpr qsizetype LongestPath = 4096;
#endif

bool IsExecutableFile(const QString &Path) {
    const QFileInfo info(Path);
    return info.isFile() && info.isExecutable();
}

// The absolute path of the executable that Name stands for, or empty.
QString FindExecutable(const QString &Name) {
    if (Name.contains(QLatin1Char('/'))) {
        return IsExecutableFile(Name) ? QFileInfo(Name).absoluteFilePath() : QString();
    }
    // An empty PATH entry would mean the current folder; like a careful shell we skip it.
    const QStringList folders =
        qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString &folder : folders) {
        const QString candidate = folder + QLatin1Char('/') + Name;
        if (IsExecutableFile(candidate)) {
            return QFileInfo(candidate).absoluteFilePath();
        }
    }
    return {};
}

} // namespace

std::optional<ResolvedCommand> ResolveCommandLine(const QString &CommandLine) {
    // A NUL cannot be passed to the system: it would cut the line short unnoticed.
    if (CommandLine.contains(QChar(u'\0'))) {
        return std::nullopt;
    }
    const QChar blank(u' ');
    qsizetype begin = 0;
    while (begin < CommandLine.size() && CommandLine.at(begin) == blank) {
        ++begin;
    }
    for (qsizetype end = CommandLine.indexOf(blank, begin);;
         end = CommandLine.indexOf(blank, end + 1)) {
        const qsizetype length = (end < 0 ? CommandLine.size() : end) - begin;
        // No file has a longer name, so longer prefixes need not be looked up.
        if (length <= 0 || length >= LongestPath) {
            return std::nullopt;
        }
        const QString program = FindExecutable(CommandLine.mid(begin, length));
        if (!program.isEmpty()) {
            ResolvedCommand command{program, {}};
            if (end >= 0) {
                command.Arguments = CommandLine.mid(end + 1).split(blank, Qt::SkipEmptyParts);
            }
            return command;
        }
        if (end < 0) {
            return std::nullopt;
        }
    }
}

#ifdef _WIN32

bool StartDetached(const QString &CommandLine) {
    if (CommandLine.contains(QChar(u'\0'))) {
        return false;
    }
    // The system resolves the program from the line itself; the line must be writable.
    QByteArray line = CommandLine.toLocal8Bit();
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    const BOOL created =
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                       nullptr, nullptr, &startup, &process);
    if (created) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    return created != FALSE;
}

#else

bool StartDetached(const QString &CommandLine) {
    const std::optional<ResolvedCommand> command = ResolveCommandLine(CommandLine);
    if (!command) {
        return false;
    }
    return QProcess::startDetached(command->Program, command->Arguments);
}

#endif

} // namespace ProcessStart
