#include "FormDriver.h"
#include "ProgramRun.h"
#include "app/FileCommands.h"

#include "analysis/TimingReport.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QDate>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstring>

// The printed timing report, its window commands and the command line's --report: the files
// are read back as a user's tools read them (pdftotext, pdfinfo) and byte for byte.
namespace {

QByteArray Contents(const QString &Path) {
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A poppler tool's output for the file, or an empty text with the reason in Problem.
QString Poppler(const QString &Tool, const QStringList &Arguments, QString &Problem) {
    const QString program = QStandardPaths::findExecutable(Tool);
    if (program.isEmpty()) {
        Problem = Tool + " is missing: scripts/setup.sh installs poppler-utils";
        return {};
    }
    QProcess process;
    process.start(program, Arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        Problem = Tool + " failed: " + QString::fromUtf8(process.readAllStandardError());
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Every compressed stream of the PDF (the pages' content among them), inflated.
QByteArray InflatedStreams(const QByteArray &Pdf) {
    QByteArray all;
    for (qsizetype at = Pdf.indexOf("stream\n"); at >= 0; at = Pdf.indexOf("stream\n", at)) {
        if (at >= 3 && Pdf.mid(at - 3, 3) == "end") {
            at += 7;
            continue;
        }
        const qsizetype start = at + 7;
        const qsizetype end = Pdf.indexOf("endstream", start);
        if (end < 0) {
            break;
        }
        const qsizetype dictionary = Pdf.lastIndexOf("<<", at);
        if (Pdf.mid(dictionary, at - dictionary).contains("/FlateDecode")) {
            // qUncompress takes the inflated size first, big-endian; a generous guess serves.
            QByteArray framed("\x00\x40\x00\x00", 4);
            framed += Pdf.mid(start, end - start);
            all += qUncompress(framed);
        }
        at = end + 9;
    }
    return all;
}

struct ReadBack {
    QString Text;
    QString Info;
    QByteArray Streams;
};

// The checks every report file passes: text a reader extracts (each junction, the sections,
// the level of service, the footer on every page), the paper, no picture, and the diagram's
// vector path operators.
void CheckReport(const QString &Path, const QString &FileName, const QString &PaperSize) {
    const QByteArray pdf = Contents(Path);
    QVERIFY(pdf.startsWith("%PDF-"));
    QString problem;
    const QString text = Poppler("pdftotext", {"-layout", Path, "-"}, problem);
    QVERIFY2(!text.isEmpty(), qPrintable(problem));
    const QString info = Poppler("pdfinfo", {Path}, problem);
    QVERIFY2(!info.isEmpty(), qPrintable(problem));

    for (const QString &expected :
         {QString("TimeSpace timing report"), QString("Timing"), QString("Links"),
          QString("Traffic"), QString("Measures"), QString("Junctions and level of service"),
          QString("Progression bands"), QString("time (s), 1 s per unit"), QString("16000 ft"),
          QString("red (cross-hatched)"), QString("Southbound: stops"),
          QString("Entering at crossroad #2")}) {
        QVERIFY2(text.contains(expected), qPrintable(expected));
    }
    for (int k = 1; k <= 6; ++k) {
        // The diagram's number, and the table's rows each way with a letter.
        const auto has = [&text](const QString &Pattern) {
            return text.contains(QRegularExpression(Pattern, QRegularExpression::MultilineOption));
        };
        QVERIFY2(has(QString("(^|\\s)#%1(\\s|$)").arg(k)), qPrintable(QString::number(k)));
        QVERIFY2(has(QString("JCT #%1 SB\\s.*\\s[A-F](\\s|$)").arg(k)),
                 qPrintable(QString::number(k)));
        QVERIFY2(has(QString("JCT #%1 NB\\s.*\\s[A-F](\\s|$)").arg(k)),
                 qPrintable(QString::number(k)));
    }
    const QRegularExpressionMatch pages = QRegularExpression("Pages:\\s+(\\d+)").match(info);
    QVERIFY(pages.hasMatch());
    const int pageCount = pages.captured(1).toInt();
    QCOMPARE_GE(pageCount, 2);
    const QString footer =
        QString("%1, TimeSpace 1.0.0").arg(QDate::currentDate().toString(Qt::ISODate));
    QCOMPARE(text.count(footer), pageCount);
    QCOMPARE(text.count(FileName), pageCount);
    QVERIFY2(
        info.contains(QRegularExpression("Page size:\\s+" + QRegularExpression::escape(PaperSize))),
        qPrintable(info));

    QVERIFY(!pdf.contains("/Subtype /Image"));
    const QByteArray streams = InflatedStreams(pdf);
    // Paths (move to, line to, filled): the strips, the hatching, the bands and the axis; and
    // text objects for every caption.
    QCOMPARE_GT(streams.count(" m\n"), 500);
    QCOMPARE_GT(streams.count(" l\n"), 1000);
    QCOMPARE_GT(streams.count("f*\n"), 100);
    QCOMPARE_GT(streams.count("BT\n"), 100);
}

// The window with timings that differ everywhere and traffic both ways, saved as Name.
void SetUp(TTimeSpaceForm &Form, const QString &Path) {
    FormDriver::SetDistinctTimings(Form);
    FormDriver::UserMovesTrackBar(Form.FwMainRoadVol, 600);
    FormDriver::UserMovesTrackBar(Form.BkMainRoadVol, 450);
    FormDriver::UserMovesTrackBar(Form.MainRoadSpeedLimitBkd, 38);
    QVERIFY(Form.Files()->SaveFile(Path));
}

} // namespace

class tst_TimingReport : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // The same report through each way out: the function on A4 and Letter, a printer set to
    // PDF output, the window's command, and the command line without a display.
    void reportOnPaper_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("paper"); // as pdfinfo gives it
        QTest::newRow("saved on A4") << "A4"
                                     << "595 x 842 pts (A4)";
        QTest::newRow("saved on Letter") << "Letter"
                                         << "612 x 792 pts (letter)";
        QTest::newRow("printed on Letter") << "printer"
                                           << "612 x 792 pts (letter)";
        QTest::newRow("the window's command") << "command"
                                              << "595 x 842 pts (A4)";
        QTest::newRow("command line, letter") << "cli"
                                              << "612 x 792 pts (letter)";
    }
    void reportOnPaper() {
        QFETCH(QString, how);
        QFETCH(QString, paper);
        QTemporaryDir dir;
        const QString scenario = dir.filePath("wave.json");
        TTimeSpaceForm form;
        SetUp(form, scenario);
        const TArterialDocument &document = *form.Document();
        const TimingReportSource source{document.Plan(), document.Result(), document.FileName(),
                                        true};
        const QString path = dir.filePath("report.pdf");
        if (how == "A4" || how == "Letter") {
            QCOMPARE(
                SaveTimingReportPdf(source, path, how == "A4" ? QPageSize::A4 : QPageSize::Letter),
                QString());
        } else if (how == "printer") {
            QPrinter printer;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            printer.setPageSize(QPageSize(QPageSize::Letter));
            QVERIFY(PrintTimingReport(printer, source));
        } else if (how == "command") {
            const QLocale before;
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
            QString asked;
            Prompts::SetFileAnswerer([&](const Prompts::FileQuestion &Question) {
                asked = Question.Caption;
                return dir.filePath("report"); // the extension is added
            });
            QAction *command = FormDriver::Command(form, "Export Report as PDF...");
            QVERIFY(command != nullptr);
            QCOMPARE(command->shortcut(), QKeySequence("Ctrl+Shift+P"));
            command->trigger();
            Prompts::SetFileAnswerer({});
            QLocale::setDefault(before);
            QCOMPARE(asked, QString("Export Report as PDF"));
        } else {
            const Ran ran =
                RunProgram({"--report", scenario, "--output", path, "--paper", "letter"});
            QCOMPARE(ran.Errors, QString());
            QCOMPARE(ran.Exit, 0);
        }
        CheckReport(path, "wave.json", paper);
    }

    // --report writes each kind by the output's extension, without a display; a usage error
    // exits 2 and writes nothing, a file that cannot be used or written exits 1.
    void commandLineReport_data() {
        QTest::addColumn<QStringList>("arguments"); // SCENARIO and OUT stand for the paths
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QByteArray>("starts"); // the written file's first bytes
        const QStringList report{"--report", "SCENARIO", "--output", "OUT"};
        QTest::newRow("svg") << report << "d.svg" << 0 << QByteArray("<?xml");
        QTest::newRow("png") << report << "d.PNG" << 0 << QByteArray("\x89PNG");
        QTest::newRow("csv") << report << "t.csv" << 0
                             << QByteArray("junction,direction,cycle (s),");
        QTest::newRow("pdf") << report << "r.pdf" << 0 << QByteArray("%PDF-");
        QTest::newRow("unknown extension") << report << "r.txt" << 2 << QByteArray();
        QTest::newRow("no extension") << report << "report" << 2 << QByteArray();
        QTest::newRow("no output")
            << QStringList{"--report", "SCENARIO"} << "" << 2 << QByteArray();
        QTest::newRow("unknown paper")
            << (report + QStringList{"--paper", "a3"}) << "r.pdf" << 2 << QByteArray();
        QTest::newRow("with --evaluate")
            << (report + QStringList{"--evaluate", "SCENARIO"}) << "r.pdf" << 2 << QByteArray();
        QTest::newRow("scenario missing")
            << QStringList{"--report", "nowhere.json", "--output", "OUT"} << "r.pdf" << 1
            << QByteArray();
        QTest::newRow("folder missing") << report << "no/such/folder/r.svg" << 1 << QByteArray();
    }
    void commandLineReport() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        QFETCH(QByteArray, starts);
        QTemporaryDir dir;
        const QString scenario = dir.filePath("wave.json");
        {
            TTimeSpaceForm form;
            SetUp(form, scenario);
        }
        const QString path = dir.filePath(out);
        for (QString &argument : arguments) {
            if (argument == "SCENARIO") {
                argument = scenario;
            } else if (argument == "OUT") {
                argument = path;
            } else if (argument == "nowhere.json") {
                argument = dir.filePath(argument);
            }
        }
        const Ran ran = RunProgram(arguments);
        QTEST(ran.Exit, "exit");
        QCOMPARE(ran.Errors.isEmpty(), ran.Exit == 0);
        const QByteArray written = Contents(path);
        QCOMPARE(written.isEmpty(), starts.isEmpty());
        QVERIFY(written.startsWith(starts));
        if (written.isEmpty()) {
            return;
        }
        if (out.endsWith(".csv")) {
            QCOMPARE(written.count("\r\n"), 13);
        } else if (out.endsWith(".svg")) {
            QVERIFY(!written.contains("<image"));
            QVERIFY(written.contains(">#6</text>"));
            QVERIFY(written.contains(">450</text>"));
        } else if (out.endsWith(".PNG")) {
            const QImage image = QImage::fromData(written);
            // Two pixels a unit of the drawing: 460 s of axis are 920 pixels and more.
            QCOMPARE_GT(image.width(), 920);
        }
    }
};

QTEST_MAIN(tst_TimingReport)
#include "tst_TimingReport.moc"
