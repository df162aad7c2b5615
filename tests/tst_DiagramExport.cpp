#include "FormDriver.h"
#include "app/FileCommands.h"

#include "app/DiagramExport.h"
#include "platform/Image.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <algorithm>
#include <csignal>
#include <linux/capability.h>
#include <optional>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using FormDriver::DistinctTimings;
using FormDriver::UserMovesTrackBar;

namespace {
// Junction k gets the distinct timing of junction k + Rotation (cyclically), so that a figure
// read from a neighbouring junction shows in one of the rotations.
FormDriver::Timing RotatedTiming(int Junction, int Rotation) {
    return DistinctTimings[(Junction - 1 + Rotation) % 6 + 1];
}

void SetRotatedTimings(TTimeSpaceForm &Form, int Rotation) {
    for (int k = 1; k <= 6; ++k) {
        FormDriver::SetTiming(Form.Light(k), RotatedTiming(k, Rotation));
    }
}

// Root passes a folder's permissions by its override; with the override out of effect on this
// thread, root meets them as anyone does. It is put back when the scope ends.
class WithoutFolderOverride {
  public:
    WithoutFolderOverride() : FDropped(SetOverride(false)) {}
    ~WithoutFolderOverride() {
        if (FDropped) {
            SetOverride(true);
        }
    }
    WithoutFolderOverride(const WithoutFolderOverride &) = delete;
    WithoutFolderOverride &operator=(const WithoutFolderOverride &) = delete;
    bool Dropped() const { return FDropped; }

  private:
    static bool SetOverride(bool On) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
        if (syscall(SYS_capget, &header, data) != 0) {
            return false;
        }
        const __u32 bit = 1U << CAP_DAC_OVERRIDE;
        data[0].effective = On ? data[0].effective | bit : data[0].effective & ~bit;
        return syscall(SYS_capset, &header, data) == 0;
    }
    bool FDropped;
};

// The texts of an SVG file in document order, or an empty list with the parser's complaint
// when the file is not well-formed; its title apart.
QStringList SvgTexts(const QString &Path, QString &Complaint, int &Images, QString &Title) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly)) {
        Complaint = file.errorString();
        return {};
    }
    QXmlStreamReader reader(&file);
    QStringList texts;
    Images = 0;
    while (reader.readNext() != QXmlStreamReader::Invalid && !reader.atEnd()) {
        if (reader.isStartElement() && reader.name() == QLatin1String("text")) {
            texts.append(reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed());
        } else if (reader.isStartElement() && reader.name() == QLatin1String("title")) {
            Title = reader.readElementText();
        } else if (reader.isStartElement() && reader.name() == QLatin1String("image")) {
            ++Images;
        }
    }
    if (reader.hasError()) {
        Complaint = reader.errorString();
        return {};
    }
    return texts;
}

QByteArray Contents(const QString &Path) {
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

enum class Failure { FolderIsAFile, SizeLimit, ReadOnlyFolder };
} // namespace

Q_DECLARE_METATYPE(Failure)

class tst_DiagramExport : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // The saved picture's diagram area and the clipboard's are the window's composed canvas,
    // pixel for pixel, whatever the timing and the traffic drawn on it.
    void pngAndClipboardHoldTheCanvas_data() {
        QTest::addColumn<int>("rotation"); // -1: the loaded timing
        QTest::addColumn<int>("southbound");
        QTest::addColumn<int>("northbound");
        QTest::newRow("loaded timing, northbound only") << -1 << 0 << 400;
        QTest::newRow("distinct timings, both ways") << 0 << 600 << 300;
        QTest::newRow("distinct timings rotated by two, southbound") << 2 << 500 << 0;
    }
    void pngAndClipboardHoldTheCanvas() {
        QFETCH(int, rotation);
        QFETCH(int, southbound);
        QFETCH(int, northbound);
        TTimeSpaceForm form;
        if (rotation >= 0) {
            SetRotatedTimings(form, rotation);
        }
        UserMovesTrackBar(form.FwMainRoadVol, southbound);
        UserMovesTrackBar(form.BkMainRoadVol, northbound);
        const QImage canvas = form.TimeSpaceImage->Canvas();
        const QRect place = DiagramCanvasPlace(form);
        QCOMPARE(place.size(), canvas.size());

        QTemporaryDir dir;
        const QString path = dir.filePath("diagram.png");
        QCOMPARE(SaveDiagramPng(form, path), QString());
        const QImage saved(path);
        QCOMPARE(saved.size(), DiagramPicture(form).size());
        QCOMPARE(saved.copy(place).convertToFormat(canvas.format()), canvas);
        // The picture ends 6 px below the legend's last row: that margin is bare, and the row
        // of text (at most 20 px high) lies just above it.
        const QRgb ground = form.palette().color(QPalette::Window).rgb();
        int lowestInk = -1;
        for (int y = place.bottom() + 1; y < saved.height(); ++y) {
            for (int x = 0; x < saved.width(); ++x) {
                if (saved.pixel(x, y) != ground) {
                    lowestInk = y;
                    break;
                }
            }
        }
        QCOMPARE_LT(lowestInk, saved.height() - 6);
        QCOMPARE_GE(lowestInk, saved.height() - 6 - 20);
        // Under the canvas the time axis: a tick at 10 s, none at 15 s (the axis line and the
        // labels aside, the two columns are alike), and a longer one at 50 s.
        const auto inkBelow = [&](int Second) {
            int ink = 0;
            for (int y = place.bottom() + 1; y < place.bottom() + 1 + 30; ++y) {
                ink += saved.pixel(place.left() + Second, y) != ground ? 1 : 0;
            }
            return ink;
        };
        QCOMPARE_GE(inkBelow(10) - inkBelow(15), 2);
        QCOMPARE_GE(inkBelow(100) - inkBelow(10), 1);

        CopyDiagram(form);
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), saved.size());
        QCOMPARE(copied.copy(place).convertToFormat(canvas.format()), canvas);
    }

    // The SVG is well-formed, draws the diagram in vector shapes and writes the legend as text:
    // each junction's cycle, offset and shares on its own row, each direction's volume and speed,
    // and each link's length and travel times (the end links 680 ft, the inner ones 2800 ft;
    // 52, 38, 35, 55, 45 and 40 mph are 76.27, 55.73, 51.33, 80.67, 66 and 58.67 ft/s). Its
    // title is the scenario file's name.
    void svgLegendShowsEveryJunctionsTiming_data() {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<int>("southbound");
        QTest::addColumn<int>("northbound");
        QTest::addColumn<int>("southMph");
        QTest::addColumn<int>("northMph");
        QTest::addColumn<QStringList>("endLink"); // seconds south, north
        QTest::addColumn<QStringList>("innerLink");
        QTest::addColumn<QString>("scenario"); // saved first unless empty
        QTest::newRow("distinct timings") << 0 << 600 << 380 << 52 << 38 << QStringList{"9", "12"}
                                          << QStringList{"37", "50"} << "wave.json";
        QTest::newRow("rotated by one")
            << 1 << 450 << 0 << 35 << 55 << QStringList{"13", "8"} << QStringList{"55", "35"} << "";
        QTest::newRow("rotated by three") << 3 << 0 << 520 << 45 << 40 << QStringList{"10", "12"}
                                          << QStringList{"42", "48"} << "";
    }
    void svgLegendShowsEveryJunctionsTiming() {
        QFETCH(int, rotation);
        QFETCH(int, southbound);
        QFETCH(int, northbound);
        QFETCH(int, southMph);
        QFETCH(int, northMph);
        TTimeSpaceForm form;
        SetRotatedTimings(form, rotation);
        UserMovesTrackBar(form.FwMainRoadVol, southbound);
        UserMovesTrackBar(form.BkMainRoadVol, northbound);
        UserMovesTrackBar(form.MainRoadSpeedLimitFwd, southMph);
        UserMovesTrackBar(form.MainRoadSpeedLimitBkd, northMph);
        QFETCH(QStringList, endLink);
        QFETCH(QStringList, innerLink);
        QFETCH(QString, scenario);

        QTemporaryDir dir;
        if (!scenario.isEmpty()) {
            QVERIFY(form.Files()->SaveFile(dir.filePath(scenario)));
            // An edit after the save: the window's title marks it, the picture's does not.
            UserMovesTrackBar(form.SideVol, 10);
        }
        const QString path = dir.filePath("diagram.svg");
        QCOMPARE(SaveDiagram(form, path), QString());
        QString complaint;
        QString title;
        int images = 0;
        const QStringList texts = SvgTexts(path, complaint, images, title);
        QVERIFY2(!texts.isEmpty(), qPrintable(complaint));
        QCOMPARE(title, scenario.isEmpty() ? QString("TimeSpace Diagram") : scenario);
        // The diagram is vector shapes, with its numbers, axis, scale and measures as text.
        QCOMPARE(images, 0);
        QVERIFY(Contents(path).contains("<path"));
        for (int k = 1; k <= 6; ++k) {
            QVERIFY2(texts.contains(QString("#%1").arg(k)), qPrintable(QString::number(k)));
        }
        for (int second = 0; second <= 450; second += 50) {
            QVERIFY2(texts.contains(QString::number(second)), qPrintable(QString::number(second)));
        }
        QVERIFY(texts.contains("time (s), 1 s per unit"));
        QVERIFY(texts.contains("16000 ft"));
        const auto measures = [&texts](const QString &Start) {
            return std::count_if(texts.begin(), texts.end(),
                                 [&Start](const QString &t) { return t.startsWith(Start); });
        };
        QCOMPARE(measures(southbound > 0 ? "Southbound: stops " : "Southbound: stops 0.0 per "), 1);
        QCOMPARE(measures(northbound > 0 ? "Northbound: stops " : "Northbound: stops 0.0 per "), 1);

        for (int k = 1; k <= 6; ++k) {
            const FormDriver::Timing timing = RotatedTiming(k, rotation);
            const qsizetype row = texts.indexOf(QString("JCT #%1").arg(k));
            QVERIFY2(row >= 0 && row + 5 < texts.size(), qPrintable(QString::number(k)));
            QCOMPARE(texts[row + 1], QString("%1 s").arg(timing.Cycle));
            QCOMPARE(texts[row + 2], QString("%1 s").arg(timing.Offset));
            QVERIFY(texts[row + 3].endsWith(QString("(%1 %)").arg(timing.Green)));
            QVERIFY(texts[row + 5].endsWith(QString("(%1 %)").arg(timing.Red)));
        }
        const qsizetype south = texts.indexOf("Southbound");
        QVERIFY(south >= 0);
        QCOMPARE(
            texts.mid(south, 6),
            (QStringList{"Southbound", QString("%1 veh/hr").arg(southbound),
                         QString("%1 mph").arg(southMph), "Northbound",
                         QString("%1 veh/hr").arg(northbound), QString("%1 mph").arg(northMph)}));
        for (int k = 1; k <= 7; ++k) {
            const QString name = k == 1   ? QString("North end - JCT #1")
                                 : k == 7 ? QString("JCT #6 - south end")
                                          : QString("JCT #%1 - JCT #%2").arg(k - 1).arg(k);
            const bool end = k == 1 || k == 7;
            const QStringList &seconds = end ? endLink : innerLink;
            const qsizetype row = texts.indexOf(name);
            QVERIFY2(row >= 0, qPrintable(name));
            QCOMPARE(texts.mid(row + 1, 3), (QStringList{end ? "680 ft" : "2800 ft",
                                                         seconds[0] + " s", seconds[1] + " s"}));
        }
        QVERIFY(texts.contains("Lengths at 40 ft a pixel; the mile scale is a fixed guide."));
    }

    // A failed save says why and leaves what was there. The first two ways fail for root too,
    // who ignores a folder's permissions: a folder that is a regular file, and a write cut
    // short by the process's file-size limit (as a full disk would). A writable file in a
    // read-only folder must not be overwritten in place either; root saves it without the
    // override that passes the folder's permissions.
    void failedSaveSaysWhyAndKeepsTheFile_data() {
        QTest::addColumn<bool>("svg");
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QString>("reason");
        QTest::newRow("png into a file") << false << Failure::FolderIsAFile << "Not a directory";
        QTest::newRow("svg into a file") << true << Failure::FolderIsAFile << "Not a directory";
        QTest::newRow("png over the size limit") << false << Failure::SizeLimit << "File too large";
        QTest::newRow("svg over the size limit") << true << Failure::SizeLimit << "File too large";
        QTest::newRow("png in a read-only folder")
            << false << Failure::ReadOnlyFolder << "Permission denied";
    }
    void failedSaveSaysWhyAndKeepsTheFile() {
        QFETCH(bool, svg);
        QFETCH(Failure, failure);
        QFETCH(QString, reason);
        std::optional<WithoutFolderOverride> asAnyone;
        if (failure == Failure::ReadOnlyFolder && geteuid() == 0) {
            asAnyone.emplace();
            if (!asAnyone->Dropped()) {
                QSKIP("root writes into a read-only folder");
            }
        }
        const bool sizeLimit = failure == Failure::SizeLimit;
        TTimeSpaceForm form;
        FormDriver::SetDistinctTimings(form);
        form.RefreshTimeSpaceDiagram();

        QTemporaryDir dir;
        const QString name = svg ? "diagram.svg" : "diagram.png";
        const QByteArray previous = "the previous export";
        QFile existing(dir.filePath(failure == Failure::FolderIsAFile ? "folder" : name));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write(previous);
        existing.close();
        const QString path = failure == Failure::FolderIsAFile ? dir.filePath("folder/" + name)
                                                               : existing.fileName();
        const QFile::Permissions open = QFile::permissions(dir.path());
        if (failure == Failure::ReadOnlyFolder) {
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        }

        QString message;
        if (sizeLimit) {
            rlimit saved{};
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
            rlimit small = saved;
            small.rlim_cur = 64;
            // Past the limit a write fails instead of ending the process.
            const auto handler = std::signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            message = SaveDiagram(form, path);
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, handler);
        } else {
            message = SaveDiagram(form, path);
        }
        QFile::setPermissions(dir.path(), open);
        QVERIFY2(message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
        QVERIFY2(message.contains(reason), qPrintable(message));
        QCOMPARE(Contents(existing.fileName()), previous);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList{existing.fileName().section('/', -1)});
    }
};

QTEST_MAIN(tst_DiagramExport)
#include "tst_DiagramExport.moc"
