#include "FormDriver.h"
#include "app/FileCommands.h"

#include "analysis/BandOverlay.h"
#include "analysis/JunctionReport.h"
#include "analysis/SumoScenario.h"
#include "controls/SpaceLink.h"
#include "controls/TimeSpaceLink.h"
#include "document/ReportTable.h"
#include "model/LevelOfService.h"
#include "model/Progression.h"
#include "platform/HintSwitch.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QFile>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <functional>

using FormDriver::UserMovesTrackBar;

// The junction report and its commands on the real window: its figures against the window's
// own where both show one, and its following the window's recomputations.
namespace {
// The window shown and active, so that its shortcuts work as a user's keys.
void ShowActive(TTimeSpaceForm &form) {
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
}

TJunctionReport *OpenReport(TTimeSpaceForm &form) {
    QTest::keyClick(&form, Qt::Key_J, Qt::ControlModifier);
    return form.JunctionReport();
}

// What the window's delay caption and its unit say together, as the report's total shows it.
QString DelayCaption(const TTimeSpaceForm &form) {
    const QString value = FormDriver::Caption(form.DelayPerVeh);
    return value == "+ +" ? value : value + " " + FormDriver::Caption(form.TimeUnits);
}

enum class Scene { Loaded, Distinct, DistinctCrossroads, DistinctFailing, DistinctSpeeds };
} // namespace

Q_DECLARE_METATYPE(Scene)

class tst_JunctionReport : public QObject {
    Q_OBJECT

    // Every figure the report and the window both show, junction by junction.
    static void CompareWithWindow(const TTimeSpaceForm &form, const TJunctionReport &report) {
        for (int k = 1; k <= 6; ++k) {
            const TTimeSpaceLight *light = form.Light(k);
            const int r = k - 1;
            QCOMPARE(report.Text(r, TJunctionReport::Junction), QString("JCT #%1").arg(k));
            QCOMPARE(report.Text(r, TJunctionReport::Cycle).toInt(), light->CycleTime());
            QCOMPARE(report.Text(r, TJunctionReport::Offset).toInt(), light->CycleOffset());
            QCOMPARE(report.Text(r, TJunctionReport::Green).toInt(), light->GreenTime());
            QCOMPARE(report.Text(r, TJunctionReport::Yellow).toInt(), light->YellowTime());
            QCOMPARE(report.Text(r, TJunctionReport::Red).toInt(), light->RedTime());
            QCOMPARE(report.Text(r, TJunctionReport::Capacity).toInt(),
                     JunctionCapacity(light->PercentGreen(), light->PercentRed()));
            // The plan view's bars: one pixel per 40 ft of the longest queue.
            QCOMPARE(report.Text(r, TJunctionReport::QueueFeetSouth).toInt() / FeetPerPixel,
                     form.SpaceLink(k)->FwQueueLength());
            QCOMPARE(report.Text(r, TJunctionReport::QueueFeetNorth).toInt() / FeetPerPixel,
                     form.SpaceLink(k + 1)->BkQueueLength());
            QCOMPARE(report.Text(r, TJunctionReport::StopsSouth),
                     QLocale().toString(light->GetStops(), 'f', 2));
            QCOMPARE(report.Text(r, TJunctionReport::FailureSouth).isEmpty(),
                     !light->FwCycleFailure());
            QCOMPARE(report.Text(r, TJunctionReport::FailureNorth).isEmpty(),
                     !light->BkCycleFailure());
        }
        const int total = TJunctionReport::TotalRow;
        QCOMPARE(report.Text(total, TJunctionReport::StopsSouth),
                 FormDriver::Caption(form.ArtStops));
        QCOMPARE(report.Text(total, TJunctionReport::DelaySouth), DelayCaption(form));
        QCOMPARE(report.Text(total, TJunctionReport::FailureSouth).isEmpty(), !form.FwFailure());
        QCOMPARE(report.Text(total, TJunctionReport::FailureNorth).isEmpty(), !form.BkFailure());
        const ArterialBands bands = form.Document()->Result().Bands;
        QCOMPARE(report.Bands(), bands);
        QCOMPARE(report.BandText(TJunctionReport::SouthboundRow, TJunctionReport::BandWidth),
                 QString::number(bands.Southbound.Width));
        QCOMPARE(report.BandText(TJunctionReport::NorthboundRow, TJunctionReport::BandWidth),
                 QString::number(bands.Northbound.Width));
    }

  private slots:
    // The letter at each bound and just past it; F for demand above capacity at any delay.
    // The delay per vehicle is the junction's delay (platoon seconds x s) over the platoon
    // seconds arriving there, not over the direction's flow.
    void levelOfService_data() {
        QTest::addColumn<int>("delay");    // JunctionDelay of the passage
        QTest::addColumn<int>("arriving"); // platoon seconds arriving
        QTest::addColumn<double>("saturation");
        QTest::addColumn<bool>("failure");
        QTest::addColumn<double>("perVehicle");
        QTest::addColumn<QString>("letter");
        QTest::newRow("nothing arrives") << 0 << 0 << 0.0 << false << 0.0 << "A";
        QTest::newRow("10 s is A") << 400 << 40 << 0.5 << false << 10.0 << "A";
        QTest::newRow("10.01 s is B") << 1001 << 100 << 0.5 << false << 10.01 << "B";
        QTest::newRow("20 s is B") << 800 << 40 << 0.5 << false << 20.0 << "B";
        QTest::newRow("20.01 s is C") << 2001 << 100 << 0.5 << false << 20.01 << "C";
        QTest::newRow("35 s is C") << 1400 << 40 << 0.5 << false << 35.0 << "C";
        QTest::newRow("35.01 s is D") << 3501 << 100 << 0.5 << false << 35.01 << "D";
        QTest::newRow("55 s is D") << 2200 << 40 << 0.5 << false << 55.0 << "D";
        QTest::newRow("55.01 s is E") << 5501 << 100 << 0.5 << false << 55.01 << "E";
        QTest::newRow("80 s is E") << 3200 << 40 << 0.5 << false << 80.0 << "E";
        QTest::newRow("80.01 s is F") << 8001 << 100 << 0.5 << false << 80.01 << "F";
        QTest::newRow("v/c 1 is not over capacity") << 40 << 40 << 1.0 << false << 1.0 << "A";
        QTest::newRow("v/c 1.01 is F at 1 s") << 40 << 40 << 1.01 << false << 1.0 << "F";
        QTest::newRow("a cycle failure is F at 2 s") << 80 << 40 << 0.9 << true << 2.0 << "F";
    }
    void levelOfService() {
        QFETCH(int, delay);
        QFETCH(int, arriving);
        QFETCH(double, saturation);
        QFETCH(bool, failure);
        DirectionAtJunction at;
        at.Delay = delay;
        at.Passage.ArrivingSeconds = arriving;
        at.Saturation = saturation;
        at.Passage.CycleFailure = failure;
        // A direction's flow that differs from the arrivals must not be the divisor.
        at.Flow = 3 * arriving + 7;
        const LevelOfService los = LevelOfServiceAt(at);
        QTEST(los.DelaySeconds, "perVehicle");
        QTEST(QString(QLatin1Char(ServiceLevelLetter(los.Level))), "letter");
    }

    // The report's level-of-service columns and the table's CSV (the window's command) say the
    // same for every junction and direction; the CSV keeps dot decimals and RFC 4180 under a
    // German locale.
    void levelOfServiceInTheReportAndTheCsv() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        TTimeSpaceForm form;
        FormDriver::SetDistinctTimings(form);
        UserMovesTrackBar(form.FwMainRoadVol, 600);
        UserMovesTrackBar(form.BkMainRoadVol, 450);
        FormDriver::Command(form, "Junction Report")->trigger();
        const TJunctionReport &report = *form.JunctionReport();
        QTemporaryDir dir;
        const QString path = dir.filePath("table.csv");
        Prompts::SetFileAnswerer([&path](const Prompts::FileQuestion &) { return path; });
        QAction *export_ = FormDriver::Command(form, "Export Table as CSV...");
        QVERIFY(export_ != nullptr);
        export_->trigger();
        Prompts::SetFileAnswerer({});
        QLocale::setDefault(QLocale::c());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray csv = file.readAll();
        // Thirteen lines, each ended by CRLF: nothing follows the last one.
        const QList<QByteArray> lines = csv.split('\n');
        QCOMPARE(lines.size(), 14);
        QCOMPARE(lines[13], QByteArray());
        QVERIFY(lines[0].endsWith('\r'));
        // The header quotes its one field with a comma; no row needs quotes.
        QVERIFY(lines[0].contains(",\"stops (share, 0 to 1)\","));
        QVERIFY(lines[0].startsWith("junction,direction,cycle (s),"));
        for (int k = 1; k <= 6; ++k) {
            for (const bool south : {true, false}) {
                const QByteArray line = lines[2 * k - 1 + (south ? 0 : 1)];
                QVERIFY(line.endsWith('\r'));
                const QList<QByteArray> fields = line.chopped(1).split(',');
                QCOMPARE(fields.size(), 17);
                QCOMPARE(fields[0], "JCT #" + QByteArray::number(k));
                QCOMPARE(fields[1], south ? QByteArray("southbound") : QByteArray("northbound"));
                QCOMPARE(fields[2].toInt(), FormDriver::DistinctTimings[k].Cycle);
                QCOMPARE(fields[3].toInt(), FormDriver::DistinctTimings[k].Offset);
                // v/c and the LOS delay with a dot, whatever the locale.
                QVERIFY2(QRegularExpression("^\\d+\\.\\d\\d$").match(QString(fields[9])).hasMatch(),
                         fields[9].constData());
                QVERIFY2(QRegularExpression("^\\d+\\.\\d$").match(QString(fields[14])).hasMatch(),
                         fields[14].constData());
                const TJunctionReport::Column delay =
                    south ? TJunctionReport::LosDelaySouth : TJunctionReport::LosDelayNorth;
                const TJunctionReport::Column letter =
                    south ? TJunctionReport::LosSouth : TJunctionReport::LosNorth;
                // The report writes the user's locale (C here, since it was refreshed when shown).
                QCOMPARE(QString(fields[14]), report.Text(k - 1, delay).replace(',', '.'));
                QCOMPARE(QString(fields[15]), report.Text(k - 1, letter));
                QVERIFY(QByteArray("ABCDEF").contains(fields[15]));
            }
        }
    }

    // RFC 4180: a field with a comma, a quote or a line break is quoted, its quotes doubled.
    void csvFieldQuoting_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("plain") << "JCT #1" << QByteArray("JCT #1");
        QTest::newRow("empty") << "" << QByteArray("");
        QTest::newRow("comma") << "a,b" << QByteArray("\"a,b\"");
        QTest::newRow("quote") << "say \"F\"" << QByteArray("\"say \"\"F\"\"\"");
        QTest::newRow("line break") << "two\r\nlines" << QByteArray("\"two\r\nlines\"");
        QTest::newRow("non-ASCII as UTF-8")
            << QString::fromUtf8("\u00bd s") << QByteArray("\xc2\xbd s");
    }
    void csvFieldQuoting() {
        QFETCH(QString, field);
        QTEST(ReportTable::CsvField(field), "written");
    }

    void commands() {
        TTimeSpaceForm form;
        ShowActive(form);
        QAction *report = FormDriver::Command(form, "Junction Report");
        QAction *band = FormDriver::Command(form, "Progression Band");
        QVERIFY(report != nullptr);
        QVERIFY(band != nullptr);
        QCOMPARE(report->shortcut(), QKeySequence("Ctrl+J"));
        QCOMPARE(band->shortcut(), QKeySequence("Ctrl+B"));
        QVERIFY(band->isCheckable());
        QVERIFY(!band->isChecked());
        QVERIFY(form.JunctionReport() == nullptr);
        QVERIFY(form.BandOverlay() == nullptr);

        // Ctrl+J makes the report once, a tool window of its own owned by the main window.
        TJunctionReport *shown = OpenReport(form);
        QVERIFY(shown != nullptr);
        QVERIFY(shown->isVisible());
        QVERIFY(shown->isWindow());
        QCOMPARE(shown->parentWidget(), &form);
        QCOMPARE(shown->windowType(), Qt::Tool);
        shown->close();
        QVERIFY(!shown->isVisible());
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(OpenReport(form), shown);
        QVERIFY(shown->isVisible());

        // Ctrl+B shows and hides the band over the diagram, above everything on the panel.
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_B, Qt::ControlModifier);
        TBandOverlay *overlay = form.BandOverlay();
        QVERIFY(overlay != nullptr);
        QVERIFY(band->isChecked());
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->parentWidget(), form.TimeSpaceDiagram);
        QCOMPARE(form.TimeSpaceDiagram->children().last(), overlay);
        QVERIFY(overlay->testAttribute(Qt::WA_TransparentForMouseEvents));
        QVERIFY(!overlay->autoFillBackground());
        // It stays above what the window raises on the panel later, its focus frame included.
        form.RefreshTimeSpaceDiagram();
        QCOMPARE(form.TimeSpaceDiagram->children().last(), overlay);
        auto *added = new QWidget(form.TimeSpaceDiagram);
        added->show();
        QCOMPARE(form.TimeSpaceDiagram->children().last(), overlay);
        added->raise();
        QCOMPARE(form.TimeSpaceDiagram->children().last(), overlay);
        QTest::keyClick(&form, Qt::Key_B, Qt::ControlModifier);
        QVERIFY(!band->isChecked());
        QVERIFY(!overlay->isVisible());
        band->trigger();
        QCOMPARE(form.BandOverlay(), overlay);
        QVERIFY(overlay->isVisible());
    }

    // The report opens beside the main window, not over it: on a 1920 x 1080 screen (the
    // bottom 40 px taken by a panel), a 746 x 710 main frame at (100, 50) leaves 1920 - 854 =
    // 1066 px on its right after the 8 px gap; at (1100, 50) 1100 - 8 = 1092 px on its left.
    void reportPlace_data() {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QSize>("report");
        QTest::addColumn<QPoint>("place"); // (-1, -1): no room beside it
        const QRect left(100, 50, 746, 710);
        const QRect right(1100, 50, 746, 710);
        QTest::newRow("right of it") << left << QSize(900, 500) << QPoint(854, 50);
        QTest::newRow("right, to the screen's edge") << left << QSize(1066, 500) << QPoint(854, 50);
        QTest::newRow("right one pixel short, none left")
            << left << QSize(1067, 500) << QPoint(-1, -1);
        QTest::newRow("left of it") << right << QSize(900, 500) << QPoint(192, 50);
        QTest::newRow("left, to the screen's edge") << right << QSize(1092, 500) << QPoint(0, 50);
        QTest::newRow("left one pixel short") << right << QSize(1093, 500) << QPoint(-1, -1);
        // Raised to end at the panel: 1040 - 600 = 440, and no higher than the screen's top.
        QTest::newRow("raised to fit above the panel")
            << QRect(100, 700, 746, 300) << QSize(900, 600) << QPoint(854, 440);
        QTest::newRow("taller than the screen") << left << QSize(900, 1200) << QPoint(854, 0);
    }
    void reportPlace() {
        QFETCH(QRect, main);
        QFETCH(QSize, report);
        QFETCH(QPoint, place);
        const std::optional<QPoint> placed = ReportPlace(main, report, QRect(0, 0, 1920, 1040));
        QCOMPARE(placed.value_or(QPoint(-1, -1)), place);
    }

    void figuresEqualTheWindows_data() {
        QTest::addColumn<Scene>("scene");
        // The arriving flows at JCT #1 and JCT #4 southbound and at JCT #3 northbound: every
        // platoon is made at JCT #1's platoon factor, 2.5 s x cycle / 3600 s, whatever the cycle
        // of the junction it reaches. 600 veh/hr at the loaded 115 s cycle is a 47 s platoon,
        // 47 / 0.0799 = 588.5 veh/hr; at JCT #1's distinct 96 s cycle a 39 s platoon (the
        // product 39.99... truncated), 585 veh/hr, still 585 at JCT #4 (105 s), where its own
        // factor would give 535. Northbound 380 veh/hr is 30 s (375.7) and 25 s (375) long;
        // JCT #3's 88 s would give 409. Crossroad #2's 10 % of 600 veh/hr adds a 3 s platoon
        // (3.99... truncated): 42 s, 630 veh/hr at JCT #4.
        QTest::addColumn<QStringList>("flows"); // SB at JCT #1, SB at JCT #4, NB at JCT #3
        QTest::newRow("loaded timing") << Scene::Loaded << QStringList{"589", "589", "376"};
        QTest::newRow("six distinct timings")
            << Scene::Distinct << QStringList{"585", "585", "375"};
        QTest::newRow("six distinct timings, crossroad traffic")
            << Scene::DistinctCrossroads << QStringList{"585", "630", "375"};
        QTest::newRow("six distinct timings, southbound failure")
            << Scene::DistinctFailing << QStringList{"", "", "375"};
        QTest::newRow("six distinct timings, other speeds")
            << Scene::DistinctSpeeds << QStringList{"585", "585", "375"};
    }
    void figuresEqualTheWindows() {
        QFETCH(Scene, scene);
        TTimeSpaceForm form;
        ShowActive(form);
        // Opened first: it follows the recomputations that set the scene up.
        TJunctionReport *report = OpenReport(form);
        QVERIFY(report != nullptr);
        if (scene != Scene::Loaded) {
            FormDriver::SetDistinctTimings(form);
        }
        const bool failing = scene == Scene::DistinctFailing;
        UserMovesTrackBar(form.FwMainRoadVol, failing ? 900 : 600);
        UserMovesTrackBar(form.BkMainRoadVol, 380);
        if (scene == Scene::DistinctCrossroads) {
            UserMovesTrackBar(form.SideVol, 10);
            UserMovesTrackBar(form.TrafficLeaving, 20);
        }
        if (scene == Scene::DistinctSpeeds) {
            UserMovesTrackBar(form.MainRoadSpeedLimitFwd, 52);
            UserMovesTrackBar(form.MainRoadSpeedLimitBkd, 38);
        }
        QCOMPARE(form.FwFailure(), failing);
        QVERIFY(FormDriver::Caption(form.DelayPerVeh) != "0.00");
        CompareWithWindow(form, *report);
        QFETCH(QStringList, flows);
        if (!failing) {
            QCOMPARE(report->Text(0, TJunctionReport::FlowSouth), flows[0]);
            QCOMPARE(report->Text(3, TJunctionReport::FlowSouth), flows[1]);
        }
        QCOMPARE(report->Text(2, TJunctionReport::FlowNorth), flows[2]);
    }

    // Each link's length and travel times, the same in the report, in the strips' hints and
    // accessible descriptions and in the simulator's network (0.3048 m a foot). At the loaded
    // places the inner links span 70 px, 2800 ft, and the end links 17 px, 680 ft. JCT #3
    // moved down 8 px and laid out again: link 3 spans 78 px, 3120 ft, link 4 62 px, 2480 ft.
    // 52 mph is 76.27 ft/s, 38 mph 55.73 ft/s, 40 mph 58.67 ft/s, 55 mph 80.67 ft/s.
    void linkLengthsAgreeEverywhere_data() {
        QTest::addColumn<int>("southMph");
        QTest::addColumn<int>("northMph");
        QTest::addColumn<int>("moveJct3");
        // Per link: feet, southbound and northbound seconds, metres in the network.
        QTest::addColumn<QList<QStringList>>("links");
        const QStringList end52 = {"680", "9", "12", "207.26"};
        const QStringList inner52 = {"2800", "37", "50", "853.44"};
        QTest::newRow("loaded places, 52 mph south, 38 mph north")
            << 52 << 38 << 0
            << QList<QStringList>{end52, inner52, inner52, inner52, inner52, inner52, end52};
        const QStringList end40 = {"680", "12", "8", "207.26"};
        const QStringList inner40 = {"2800", "48", "35", "853.44"};
        QTest::newRow("JCT #3 moved down 8 px, 40 mph south, 55 mph north")
            << 40 << 55 << 8 << QList<QStringList>{end40,
                                                   inner40,
                                                   {"3120", "53", "39", "950.98"},
                                                   {"2480", "42", "31", "755.90"},
                                                   inner40,
                                                   inner40,
                                                   end40};
    }
    void linkLengthsAgreeEverywhere() {
        QFETCH(int, southMph);
        QFETCH(int, northMph);
        QFETCH(int, moveJct3);
        QFETCH(QList<QStringList>, links);
        TTimeSpaceForm form;
        ShowActive(form);
        TJunctionReport *report = OpenReport(form);
        UserMovesTrackBar(form.MainRoadSpeedLimitFwd, southMph);
        UserMovesTrackBar(form.MainRoadSpeedLimitBkd, northMph);
        if (moveJct3 != 0) {
            TTimeSpaceLight *strip = form.Light(3);
            QTest::mousePress(strip, Qt::LeftButton, Qt::ControlModifier, QPoint(100, 5));
            for (int moved = 0; moved < moveJct3; moved += 4) {
                FormDriver::MouseMove(strip, QPoint(100, 9), Qt::LeftButton, Qt::ControlModifier);
            }
            QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(100, 5));
            QTest::mouseClick(form.Refresh, Qt::LeftButton);
        }

        QTemporaryDir folder;
        QString error;
        QVERIFY2(SumoScenario::Write(form.Document()->Plan(), folder.path(), {}, error),
                 qPrintable(error));
        QFile edges(folder.filePath("arterial.edg.xml"));
        QVERIFY(edges.open(QIODevice::ReadOnly));
        QMap<QString, QString> metres;
        QXmlStreamReader xml(&edges);
        while (xml.readNextStartElement() || !xml.atEnd()) {
            if (xml.isStartElement() && xml.name() == QLatin1String("edge")) {
                metres[xml.attributes().value("id").toString()] =
                    xml.attributes().value("length").toString();
            }
        }

        for (int k = 1; k <= 7; ++k) {
            const QStringList &link = links[k - 1];
            QCOMPARE(report->LinkText(k, TJunctionReport::LinkFeet), link[0]);
            QCOMPARE(report->LinkText(k, TJunctionReport::LinkSouthbound), link[1]);
            QCOMPARE(report->LinkText(k, TJunctionReport::LinkNorthbound), link[2]);
            QCOMPARE(metres.value(QString("s%1").arg(k)), link[3]);
            QCOMPARE(metres.value(QString("n%1").arg(k)), link[3]);
            // The hint's link lines follow its timing lines: the link above each strip, and
            // the link below the last one.
            const QString line =
                QString("%1 ft, %2 s southbound, %3 s northbound").arg(link[0], link[1], link[2]);
            const int strip = k <= 6 ? k : 6;
            const QString where = k <= 6 ? "above" : "below";
            const QString hint = THintSwitch::Hint(form.Light(strip));
            QCOMPARE(hint.section('\r', k <= 6 ? 4 : 5, k <= 6 ? 4 : 5),
                     QString("Link %1: %2").arg(where, line));
            QVERIFY2(form.Light(strip)->accessibleDescription().contains(
                         QString(", link %1 %2").arg(where, line)),
                     qPrintable(form.Light(strip)->accessibleDescription()));
        }
    }

    void followsAStripDrag() {
        TTimeSpaceForm form;
        ShowActive(form);
        TJunctionReport *report = OpenReport(form);
        FormDriver::SetDistinctTimings(form);
        UserMovesTrackBar(form.FwMainRoadVol, 600);
        UserMovesTrackBar(form.BkMainRoadVol, 380);
        TTimeSpaceLight *strip = form.Light(3);
        const int offset = strip->CycleOffset();
        const int x = strip->GreenStart(1) + 5;

        // Within the gesture: every move is a recomputation, and the report follows it.
        QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(x, 5));
        const int updates = report->UpdateCount();
        FormDriver::MouseMove(strip, QPoint(x + 9, 5));
        QCOMPARE(report->UpdateCount(), updates + 1);
        QCOMPARE(strip->CycleOffset(), offset + 9);
        QCOMPARE(report->Text(2, TJunctionReport::Offset).toInt(), offset + 9);
        CompareWithWindow(form, *report);
        FormDriver::MouseMove(strip, QPoint(x + 4, 5));
        QCOMPARE(report->Text(2, TJunctionReport::Offset).toInt(), offset + 4);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(x + 4, 5));
        CompareWithWindow(form, *report);

        // The shared driver's drag, a split on JCT #5's yellow this time.
        TTimeSpaceLight *fifth = form.Light(5);
        const int yellow = fifth->GreenStart(1) + fifth->GreenTime() + 2;
        const int green = fifth->GreenTime();
        FormDriver::DragStrip(fifth, yellow, yellow + 6);
        QCOMPARE(fifth->GreenTime(), green + 6);
        QCOMPARE(report->Text(4, TJunctionReport::Green).toInt(), green + 6);
        CompareWithWindow(form, *report);
    }

    void writesOnlyWhatChanged() {
        TTimeSpaceForm form;
        ShowActive(form);
        TJunctionReport *report = OpenReport(form);
        UserMovesTrackBar(form.FwMainRoadVol, 500);
        const int written = report->WrittenCount();
        form.RefreshTimeSpaceDiagram();
        QCOMPARE(report->WrittenCount(), written);
        // One junction's offset: its offset and what follows from it, not the whole table.
        form.Light(4)->SetCycleOffset(7);
        form.RefreshTimeSpaceDiagram();
        QVERIFY(report->WrittenCount() > written);
        QVERIFY(report->WrittenCount() - written < TJunctionReport::ColumnCount);
        QCOMPARE(report->Text(3, TJunctionReport::Offset), QString("7"));
    }

    void hiddenItCatchesUpWhenShown() {
        TTimeSpaceForm form;
        ShowActive(form);
        TJunctionReport *report = OpenReport(form);
        report->close();
        const int updates = report->UpdateCount();
        FormDriver::SetDistinctTimings(form);
        UserMovesTrackBar(form.FwMainRoadVol, 600);
        QCOMPARE(report->UpdateCount(), updates);
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(OpenReport(form), report);
        QCOMPARE(report->UpdateCount(), updates + 1);
        CompareWithWindow(form, *report);
    }

    void showsTheSimulation() {
        TTimeSpaceForm form;
        ShowActive(form);
        TJunctionReport *report = OpenReport(form);
        QVERIFY(!report->SimulationShown());
        FormDriver::SetDistinctTimings(form);
        UserMovesTrackBar(form.BkMainRoadVol, 900);
        UserMovesTrackBar(form.FwMainRoadVol, 600);
        QVERIFY(form.BkFailure());
        QVERIFY(!form.FwFailure());

        SimulationFigures figures;
        figures.Southbound = {.Sent = 410,
                              .Vehicles = 410,
                              .StopsPerVehicle = 1.25,
                              .DelayPerVehicle = 31.5,
                              .QueuesGrow = false,
                              .GrowingAt = {}};
        figures.Northbound = {.Sent = 380,
                              .Vehicles = 380,
                              .Unfinished = 7,
                              .StopsPerVehicle = 2.5,
                              .DelayPerVehicle = 97.25,
                              .QueuesGrow = true,
                              .GrowingAt = {3, 4}};
        figures.SimulatedSeconds = 900;
        figures.StoppedAt = 4321;
        form.Document()->SetSimulation({{}, {figures}}, form.Document()->Plan());
        QVERIFY(report->SimulationShown());
        QCOMPARE(report->SimulationNote(),
                 QString("The last simulation (arrivals as the diagram's platoons, drivers as "
                         "the diagram assumes, 1 run (seed 1)) measured 900 s and followed its "
                         "vehicles until they left the arterial or the run stopped at 4321 s (7 "
                         "had not left)."));
        const int south = TJunctionReport::SouthboundRow;
        const int north = TJunctionReport::NorthboundRow;
        QCOMPARE(report->SimulationText(south, TJunctionReport::StopsSimulated), QString("1.25"));
        QCOMPARE(report->SimulationText(south, TJunctionReport::DelaySimulated), QString("31.5"));
        QCOMPARE(report->SimulationText(south, TJunctionReport::GrowSimulated), QString("no"));
        QCOMPARE(report->SimulationText(north, TJunctionReport::GrowSimulated),
                 QString("yes, at JCT #3, #4"));
        QCOMPARE(report->SimulationText(north, TJunctionReport::VehiclesSimulated), QString("380"));
        // TimeSpace's southbound figures beside them are the window's measures.
        double stops = 0.0;
        QStringList failing;
        for (int k = 1; k <= 6; ++k) {
            stops += form.Light(k)->GetStops();
            if (form.Light(k)->BkCycleFailure()) {
                failing << QString("#%1").arg(k);
            }
        }
        QCOMPARE(report->SimulationText(south, TJunctionReport::StopsTimeSpace),
                 QLocale().toString(stops, 'f', 2));
        QCOMPARE(report->SimulationText(south, TJunctionReport::GrowTimeSpace), QString("no"));
        QCOMPARE(report->SimulationText(north, TJunctionReport::StopsTimeSpace), QString("+ +"));
        QCOMPARE(report->SimulationText(north, TJunctionReport::GrowTimeSpace),
                 "yes, at JCT " + failing.join(", "));
        // Reading the northbound figures leaves the strips' southbound measures as they were.
        CompareWithWindow(form, *report);

        // The figures go with the arterial they were made for: any edit hides them, giving
        // that arterial back (by hand or by opening its file) shows them again.
        QStringList messages;
        Prompts::SetMessageAnswerer([&messages](Prompts::MessageKind, const QString &,
                                                const QString &text) { messages << text; });
        QTemporaryDir folder;
        const QString simulated = folder.filePath("simulated.json");
        const QString other = folder.filePath("other.json");
        UserMovesTrackBar(form.BkMainRoadVol, 800);
        form.Document()->SetSimulation({{}, {figures}}, form.Document()->Plan());
        QVERIFY(form.Files()->SaveFile(simulated));
        const auto shownAfter = [&](const std::function<void()> &edit) {
            edit();
            return report->SimulationShown();
        };
        QVERIFY(!shownAfter([&] { UserMovesTrackBar(form.BkMainRoadVol, 790); }));
        QVERIFY(report->SimulationNote().startsWith("The last simulation was made for other"));
        QVERIFY(shownAfter([&] { UserMovesTrackBar(form.BkMainRoadVol, 800); }));
        QCOMPARE(report->SimulationText(north, TJunctionReport::VehiclesSimulated), QString("380"));
        const int speed = form.MainRoadSpeedLimitBkd->Position();
        QVERIFY(!shownAfter([&] { UserMovesTrackBar(form.MainRoadSpeedLimitBkd, speed + 1); }));
        QVERIFY(shownAfter([&] { UserMovesTrackBar(form.MainRoadSpeedLimitBkd, speed); }));
        QVERIFY(!shownAfter([&] { FormDriver::DragStrip(form.Light(4), 40, 55); }));
        QVERIFY(form.Files()->SaveFile(other));
        QVERIFY(shownAfter([&] { QVERIFY(form.Files()->OpenFile(simulated)); }));
        QVERIFY(!shownAfter([&] { QVERIFY(form.Files()->OpenFile(other)); }));
        Prompts::SetMessageAnswerer({});
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    }
};

QTEST_MAIN(tst_JunctionReport)
#include "tst_JunctionReport.moc"
