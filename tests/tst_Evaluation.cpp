#include "FormDriver.h"
#include "ProgramRun.h"
#include "app/FileCommands.h"

#include "analysis/JunctionReport.h"
#include "controls/SpaceLink.h"
#include "controls/TimeSpaceLink.h"
#include "model/Diagram.h"
#include "model/Evaluation.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <tuple>

#include <random>

// The arterial's evaluation on its own, from a plan: the northbound measures worked out by
// hand, what the window shows after random real events, and what the command line prints.

namespace {

// Every junction at the loaded timing (115 s, 34 s red, 69 s green, 12 s yellow: windows of
// 75 s from the offset), the strips where they load, 45 mph southbound and 40 northbound.
// Northbound the links take 12 s (link 7) and 48 s; the offsets let the platoon entering at
// JCT #6 at 0 s pass everywhere but at JCT #5, where it arrives at 60 s, in the red, and waits
// for the green at 80 s.
Scenario NorthboundScenario(int northVolume) {
    Scenario s;
    s.SouthboundVolume = 360;
    s.NorthboundVolume = northVolume;
    s.SouthboundSpeed = 45;
    s.NorthboundSpeed = 40;
    s.EnteringMaximum = 100;
    const int offsets[] = {40, 100, 60, 0, 80, 0};
    for (int k = 1; k <= JunctionCount; ++k) {
        s.Junctions[k] = {115, offsets[k - 1], 30, 60, 34, 69, 12, LoadedStripTops[k]};
    }
    return s;
}

// The plan the window's controls hold, read as a user would read them off the window.
ArterialPlan PlanShown(const TTimeSpaceForm &form) {
    ArterialPlan plan;
    for (int k = 1; k <= JunctionCount; ++k) {
        const TTimeSpaceLight *light = form.Light(k);
        plan.Signals[k] = {light->CycleTime(),
                           light->CycleOffset(),
                           {light->RedTime(), light->GreenTime(), light->YellowTime()},
                           light->PercentRed(),
                           light->PercentGreen()};
    }
    for (int k = 1; k <= LinkCount; ++k) {
        plan.SpanPixels[k] = TravelSpan(form.Link(k)->height(), StripHeight);
    }
    plan.SouthSpeedMph = form.MainRoadSpeedLimitFwd->Position();
    plan.NorthSpeedMph = form.MainRoadSpeedLimitBkd->Position();
    plan.SouthVolume = form.FwMainRoadVol->Position();
    plan.NorthVolume = form.BkMainRoadVol->Position();
    plan.EnteringPercent = form.SideVol->Position();
    plan.LeavingPercent = form.TrafficLeaving->Position();
    return plan;
}

QString Caption(const DirectionMeasures &measures, bool stops) {
    if (!measures.Bounded()) {
        return QStringLiteral("+ +");
    }
    return QString::fromStdString(stops ? FormatArtStops(measures.Stops, ".")
                                        : FormatDelayPerVeh(measures.Delay.Value, ".", ","));
}

// One random user event: a drag on a strip (offset, split, or with Shift the cycle), a move
// of a track bar, a strip moved up or down with Ctrl and, now and then, laid out again.
void RandomEvent(TTimeSpaceForm &form, std::mt19937 &random) {
    const auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    TTimeSpaceLight *strip = form.Light(pick(1, JunctionCount));
    switch (pick(0, 6)) {
    case 0:
    case 1: {
        const int x = pick(2, StripWidth - 40);
        FormDriver::DragStrip(strip, x, x + pick(-1, 30));
        break;
    }
    case 2: {
        const int x = pick(30, 200);
        FormDriver::DragStrip(strip, x, x + pick(-20, 20), Qt::ShiftModifier);
        break;
    }
    case 3: {
        TTrackBar *bar = pick(0, 1) == 0 ? form.FwMainRoadVol : form.BkMainRoadVol;
        FormDriver::UserMovesTrackBar(bar, pick(0, bar->Max() / 10) * 10);
        break;
    }
    case 4: {
        TTrackBar *bar = pick(0, 1) == 0 ? form.MainRoadSpeedLimitFwd : form.MainRoadSpeedLimitBkd;
        FormDriver::UserMovesTrackBar(bar, pick(MinSpeedMph, MaxSpeedMph));
        break;
    }
    case 5: {
        TTrackBar *bar = pick(0, 1) == 0 ? form.SideVol : form.TrafficLeaving;
        FormDriver::UserMovesTrackBar(bar, pick(0, bar->Max() / 10) * 10);
        break;
    }
    default: {
        if (strip == form.Light(1)) {
            break;
        }
        const int down = pick(-30, 30);
        QTest::mousePress(strip, Qt::LeftButton, Qt::ControlModifier, QPoint(100, 5));
        FormDriver::MouseMove(strip, QPoint(100, 5 + down), Qt::LeftButton, Qt::ControlModifier);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(100, 5 + down));
        if (pick(0, 1) == 0) {
            QTest::mouseClick(form.Refresh, Qt::LeftButton);
        }
        break;
    }
    }
}

} // namespace

class tst_Evaluation : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void cleanup() {
        // A failed comparison may leave the button held, which is global test state.
        if (QWidget *window = QApplication::activeWindow(); window != nullptr) {
            QTest::mouseRelease(window, Qt::LeftButton);
        }
    }

    void northboundMeasures_data() {
        QTest::addColumn<int>("volume");
        QTest::addColumn<double>("stops");
        QTest::addColumn<double>("delaySeconds");
        QTest::addColumn<QString>("delayCaption");
        QTest::addColumn<bool>("failure");
        // 720 veh/hr at 115 s: a platoon of 57 s, held from 60 to 80 s at JCT #5, its end from
        // 117 to 137 s: 20 s x 57 platoon seconds of delay over the 57 that entered.
        QTest::newRow("held at JCT #5") << 720 << 1.0 << 20.0 << "20.00" << false;
        QTest::newRow("no northbound traffic") << 0 << 0.0 << 0.0 << "0.00" << false;
        // 950 veh/hr gives 75 s, the window's capacity: no failure (its tail is cut by the end
        // of the greens, which the stops are not checked for here); 960 gives 76 s.
        QTest::newRow("at JCT #6's capacity") << 950 << -1.0 << -1.0 << "" << false;
        QTest::newRow("one second past it") << 960 << -1.0 << -1.0 << "+ +" << true;
    }
    void northboundMeasures() {
        QFETCH(int, volume);
        QFETCH(double, stops);
        QFETCH(double, delaySeconds);
        QFETCH(bool, failure);
        const ArterialEvaluation result = Evaluate(PlanOf(NorthboundScenario(volume)), {});
        QCOMPARE(result.North.Failure, failure);
        QCOMPARE(result.Junctions[JunctionCount].North.Passage.CycleFailure, failure);
        if (stops >= 0.0) {
            QCOMPARE(result.North.Stops, stops);
            QCOMPARE(result.North.DelaySeconds, delaySeconds);
        }
        QFETCH(QString, delayCaption);
        if (!delayCaption.isEmpty()) {
            QCOMPARE(Caption(result.North, false), delayCaption);
        }
        // Southbound is rated apart: its platoon of 28 s meets other greens.
        QVERIFY(!result.South.Failure);
        QCOMPARE(result.South.Flow, 28);
    }

    void evaluationIsWhatTheWindowShows_data() {
        QTest::addColumn<unsigned>("seed");
        for (const unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
            QTest::addRow("seed %u", seed) << seed;
        }
    }
    void evaluationIsWhatTheWindowShows() {
        QFETCH(unsigned, seed);
        TTimeSpaceForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        FormDriver::Command(form, QStringLiteral("Junction Report"))->trigger();
        const TJunctionReport &report = *form.JunctionReport();
        std::mt19937 random(seed);
        for (int event = 0; event < 60; ++event) {
            RandomEvent(form, random);
            if (!form.Document()->State().Recomputed) {
                continue;
            }
            // Evaluated on its own, from empty links: what the links keep beyond the time axis
            // never reaches a figure.
            const ArterialEvaluation e = Evaluate(PlanShown(form), {});
            const QString where = QStringLiteral("after event %1").arg(event);
            QCOMPARE(FormDriver::Caption(form.DelayPerVeh), Caption(e.South, false));
            QCOMPARE(FormDriver::Caption(form.ArtStops), Caption(e.South, true));
            QVERIFY2(form.FwFailure() == e.South.Failure, qPrintable(where));
            QVERIFY2(form.BkFailure() == e.North.Failure, qPrintable(where));
            for (int k = 1; k <= LinkCount; ++k) {
                QCOMPARE(form.SpaceLink(k)->FwQueueLength(), QueueBarLength(e.Links[k].FwQueues));
                QCOMPARE(form.SpaceLink(k)->BkQueueLength(), QueueBarLength(e.Links[k].BkQueues));
            }
            for (int k = 1; k <= JunctionCount; ++k) {
                const JunctionEvaluation &j = e.Junctions[k];
                QCOMPARE(form.Light(k)->BkCycleFailure(), j.North.Passage.CycleFailure);
                // The strip's own passage, run again on what it was handed, agrees (northbound
                // first, so that the strip is left as the window left it).
                QCOMPARE(form.Light(k)->PassBk(), j.North.Passage.Departing);
                QCOMPARE(form.Light(k)->PassFw(), j.South.Passage.Departing);
                QCOMPARE(report.Text(k - 1, TJunctionReport::QueueFeetSouth),
                         QString::number(j.South.QueueFeet));
                QCOMPARE(report.Text(k - 1, TJunctionReport::QueueFeetNorth),
                         QString::number(j.North.QueueFeet));
                QCOMPARE(report.Text(k - 1, TJunctionReport::FlowNorth),
                         QString::number(j.North.Flow, 'f', 0));
                QCOMPARE(report.Text(k - 1, TJunctionReport::StopsNorth),
                         QString::number(j.North.Passage.Stops, 'f', 2));
                QCOMPARE(report.Text(k - 1, TJunctionReport::FailureNorth).isEmpty(),
                         !j.North.Passage.CycleFailure);
            }
            QCOMPARE(report.Text(TJunctionReport::TotalRow, TJunctionReport::StopsNorth),
                     Caption(e.North, true));
            QCOMPARE(report.Bands(), e.Bands);
        }
    }

    void commandLineGivesTheWindowsFigures() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        TTimeSpaceForm form;
        FormDriver::SetDistinctTimings(form);
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 600);
        FormDriver::UserMovesTrackBar(form.BkMainRoadVol, 450);
        FormDriver::UserMovesTrackBar(form.MainRoadSpeedLimitBkd, 38);
        FormDriver::UserMovesTrackBar(form.SideVol, 20);
        FormDriver::UserMovesTrackBar(form.TrafficLeaving, 30);
        const QString path = folder.filePath(QStringLiteral("distinct.json"));
        QVERIFY(form.Files()->SaveFile(path));
        FormDriver::Command(form, QStringLiteral("Junction Report"))->trigger();
        const TJunctionReport &report = *form.JunctionReport();

        const Ran json = RunProgram({QStringLiteral("--evaluate"), path});
        QCOMPARE(json.Exit, 0);
        const QJsonObject figures = QJsonDocument::fromJson(json.Output).object();
        const QJsonObject south = figures["measures"]["southbound"].toObject();
        QCOMPARE(south["delayPerVehicle"].toString(), FormDriver::Caption(form.DelayPerVeh));
        QCOMPARE(south["delayUnit"].toString(), FormDriver::Caption(form.TimeUnits));
        QCOMPARE(south["stops"].toString(), FormDriver::Caption(form.ArtStops));
        QCOMPARE(south["failure"].toBool(), form.FwFailure());
        QCOMPARE(figures["traffic"]["crossroad2"]["enteringVolume"].toInt(),
                 FormDriver::Caption(form.DivertedTraffic2).toInt());
        QCOMPARE(figures["traffic"]["crossroad5"]["leavingVolume"].toInt(),
                 FormDriver::Caption(form.PercentLeaving2).toInt());
        for (int k = 1; k <= JunctionCount; ++k) {
            const QJsonObject row = figures["junctions"][k - 1].toObject();
            for (const auto &[key, column] : {std::pair{"capacity", TJunctionReport::Capacity},
                                              std::pair{"offset", TJunctionReport::Offset}}) {
                QCOMPARE(QString::number(row[key].toInt()), report.Text(k - 1, column));
            }
            QCOMPARE(QString::number(row["southbound"]["saturation"].toDouble(), 'f', 2),
                     report.Text(k - 1, TJunctionReport::SaturationSouth));
            QCOMPARE(QString::number(row["northbound"]["delayPerVehicle"].toDouble(), 'f', 2),
                     report.Text(k - 1, TJunctionReport::DelayNorth));
            // The level of service each way, as the report's columns give it.
            for (const auto &[direction, delay, letter] :
                 {std::tuple{"southbound", TJunctionReport::LosDelaySouth,
                             TJunctionReport::LosSouth},
                  std::tuple{"northbound", TJunctionReport::LosDelayNorth,
                             TJunctionReport::LosNorth}}) {
                QCOMPARE(QString::number(row[direction]["losDelay"].toDouble(), 'f', 1),
                         report.Text(k - 1, delay));
                QCOMPARE(row[direction]["los"].toString(), report.Text(k - 1, letter));
                QVERIFY(QStringList({"A", "B", "C", "D", "E", "F"})
                            .contains(row[direction]["los"].toString()));
            }
        }
        QCOMPARE(
            figures["bands"]["northbound"]["width"].toInt(),
            report.BandText(TJunctionReport::NorthboundRow, TJunctionReport::BandWidth).toInt());

        // The table: a header and one row per junction, each with every column.
        const Ran csv = RunProgram({QStringLiteral("--evaluate"), path, QStringLiteral("--format"),
                                    QStringLiteral("csv")});
        QCOMPARE(csv.Exit, 0);
        const QList<QByteArray> lines = csv.Output.split('\n');
        QCOMPARE(lines.size(), JunctionCount + 2); // the last line end leaves an empty piece
        QVERIFY(lines[0].startsWith("junction,cycle (s),"));
        QCOMPARE(lines[3].split(',').size(), lines[0].split(',').size());
        QCOMPARE(lines[3].split(',')[TJunctionReport::QueueFeetSouth],
                 report.Text(2, TJunctionReport::QueueFeetSouth).toUtf8());

        // A file the window refuses: the same message, exit 1. A usage error: exit 2.
        const QString broken = folder.filePath(QStringLiteral("broken.json"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"format": "TimeSpace scenario", "version": 1})");
        file.close();
        QString shown;
        Prompts::SetMessageAnswerer(
            [&shown](Prompts::MessageKind, const QString &, const QString &text) { shown = text; });
        QVERIFY(!form.Files()->OpenFile(broken));
        Prompts::SetMessageAnswerer({});
        const Ran refused = RunProgram({QStringLiteral("--evaluate"), broken});
        QCOMPARE(refused.Exit, 1);
        QVERIFY(!shown.isEmpty());
        QCOMPARE(refused.Errors.trimmed(), shown);
        QCOMPARE(RunProgram({QStringLiteral("--evaluate"), path, QStringLiteral("--format"),
                             QStringLiteral("xml")})
                     .Exit,
                 2);
        QCOMPARE(RunProgram({QStringLiteral("--no-such-option")}).Exit, 2);
        // One dash is the program's option too, never a window without a display.
        QCOMPARE(RunProgram({QStringLiteral("-evaluate"), path}).Output, json.Output);
    }
};

QTEST_MAIN(tst_Evaluation)
#include "tst_Evaluation.moc"
