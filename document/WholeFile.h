#pragma once

#include <QByteArray>
#include <QString>

// Writes a file whole or not at all: on any failure the file that was there stays as it was.
// Gives an empty text on success, otherwise the system's reason.
QString WriteWholeFile(const QString &Path, const QByteArray &Bytes);
