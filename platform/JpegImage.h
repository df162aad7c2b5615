#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes JPEG bytes with libjpeg. Corrupt, truncated or empty data gives a null image; the
// decoder neither aborts nor reports anything.
QImage DecodeJpeg(const QByteArray &Bytes);

// Reads a JPEG file or Qt resource (":/...") and decodes it; a null image when it cannot.
QImage LoadJpegResource(const QString &Path);
