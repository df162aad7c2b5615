#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Runs the program's command line as a user would, with no display at all.
struct Ran {
    int Exit = -1;
    QByteArray Output;
    QString Errors;
};

inline Ran RunProgram(const QStringList &arguments) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TIMESPACE_PROGRAM), arguments);
    if (!program.waitForFinished(120000)) {
        return {};
    }
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            program.readAllStandardOutput(), QString::fromUtf8(program.readAllStandardError())};
}
