#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Starting a program from a command line without waiting for it and without a shell: nothing
// in the line is ever interpreted, so quotes, ';', '$(...)' and the like are plain characters.
namespace ProcessStart {

struct ResolvedCommand {
    QString Program; // absolute path of the executable
    QStringList Arguments;
};

// Reads CommandLine the way an unquoted Windows command line is read: the program is the
// shortest blank-separated prefix that names an existing executable file, directly when it
// holds a '/', otherwise through PATH; the rest, split at blanks, are the arguments.
// Leading blanks are skipped. Empty when no prefix names a program.
std::optional<ResolvedCommand> ResolveCommandLine(const QString &CommandLine);

// Starts CommandLine as an independent process in the caller's folder and environment and
// returns at once; true if the process was created. The caller keeps no handle to it: on
// Windows the handles are closed at once, elsewhere the process is detached (double fork,
// so it never becomes our zombie). Failure is silent.
bool StartDetached(const QString &CommandLine);

} // namespace ProcessStart
