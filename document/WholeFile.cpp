#include "document/WholeFile.h"

#include <QSaveFile>

QString WriteWholeFile(const QString &Path, const QByteArray &Bytes) {
    QSaveFile file(Path);
    // Without the direct-write fallback a folder that admits no temporary file fails the save
    // instead of overwriting the file in place.
    file.setDirectWriteFallback(false);
    // Unbuffered, every write reaches the system at once: a short write (a full disk, a size
    // limit) is retried, so that it fails with its reason instead of leaving a cut file that the
    // commit would put in place of the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    for (qint64 done = 0; done < Bytes.size();) {
        const qint64 written = file.write(Bytes.constData() + done, Bytes.size() - done);
        if (written <= 0) {
            // Taken before the cancel, which puts its own text in place of the reason.
            const QString why = file.errorString();
            file.cancelWriting();
            return why;
        }
        done += written;
    }
    return file.commit() ? QString() : file.errorString();
}
