#include "FormDriver.h"
#include "analysis/BandOverlay.h"
#include "analysis/SumoRun.h"
#include "analysis/TrajectoryOverlay.h"
#include "analysis/TrajectoryWindow.h"
#include "app/DiagramExport.h"
#include "app/Main.h"
#include "model/Diagram.h"
#include "model/SumoPlan.h"
#include "platform/Image.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <cmath>
#include <set>

// The simulated vehicles' paths drawn over the diagram: a recorded answer of the simulator read
// and drawn at its junctions' rows, and real runs whose vehicles keep to the band of a green
// wave and stop everywhere at offsets that cut every platoon.

namespace {

constexpr int SimulationWait = 120000; // ms

// The recorded run's arterial: every junction at 60 s, 30 % red, 60 % green, offset 0; the
// loaded spans (17, 70 x 5, 17 pixels: 207.264 m, then 853.44 m); 45 mph southbound, 35 mph
// northbound. JCT #4's cycle may be another.
void SetRecordedTiming(TTimeSpaceForm &form, int cycle4 = 60) {
    for (int k = 1; k <= JunctionCount; ++k) {
        FormDriver::SetTiming(form.Light(k), {k == 4 ? cycle4 : 60, 30, 60, 0});
    }
    FormDriver::UserMovesTrackBar(form.MainRoadSpeedLimitFwd, 45);
    FormDriver::UserMovesTrackBar(form.MainRoadSpeedLimitBkd, 35);
}

TTrajectoryWindow *OpenTrajectories(TTimeSpaceForm &form) {
    FormDriver::Command(form, QStringLiteral("Simulated Trajectories..."))->trigger();
    return form.findChild<TTrajectoryWindow *>();
}

} // namespace

class tst_Trajectories : public QObject {
    Q_OBJECT

    bool FHaveSumo = false;

  private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        Prompts::SetMessageAnswerer([](Prompts::MessageKind, const QString &, const QString &) {});
        FHaveSumo = TSumoRun::MissingProgramsText({"sumo", "netconvert"}).isEmpty();
    }
    void cleanupTestCase() { Prompts::SetMessageAnswerer({}); }

    // The recorder's own rules on samples written by hand: links 1 to 7 of 100, 200, 100, ...
    // metres; a straight run keeps its two ends, across a junction too; lanes that are not the
    // arterial's are passed over; no more points than the bound.
    void recordsStraightRuns_data() {
        QTest::addColumn<QStringList>("samples"); // "vehicle lane seconds position"
        QTest::addColumn<std::size_t>("most");
        QTest::addColumn<QList<QPointF>>("points"); // the first vehicle's (seconds, metres)
        QTest::addColumn<bool>("cut");
        QTest::newRow("moving, standing, moving")
            << QStringList{"a s2_0 0 0",  "a s2_0 1 10", "a s2_0 2 20", "a s2_0 3 30",
                           "a s2_0 4 30", "a s2_0 5 30", "a s2_0 6 40", "a s2_0 7 50"}
            << std::size_t(10) << QList<QPointF>{{0, 100}, {3, 130}, {5, 130}, {7, 150}} << false;
        QTest::newRow("northbound across JCT #2")
            << QStringList{"a n3_0 0 80", "a n3_0 1 90", "a n2_0 2 0", "a n2_0 3 10"}
            << std::size_t(10) << QList<QPointF>{{0, 320}, {3, 290}} << false;
        QTest::newRow("other lanes") << QStringList{"a :J3_0_0 0 1", "a w2in_0 0 1", "a s3_1 0 1",
                                                    "a s8_0 0 1",    "a s0_0 0 1",   "a s3_0 1 5"}
                                     << std::size_t(10) << QList<QPointF>{{1, 305}} << false;
        QTest::newRow("three points at most")
            << QStringList{"a s1_0 0 0", "a s1_0 1 10", "b s1_0 1 0", "a s1_0 2 10", "b s1_0 2 5"}
            << std::size_t(3) << QList<QPointF>{{0, 0}, {1, 10}} << true;
    }
    void recordsStraightRuns() {
        QFETCH(QStringList, samples);
        QFETCH(std::size_t, most);
        PerLink<double> lengths{};
        for (int k = 1; k <= LinkCount; ++k) {
            lengths[k] = k % 2 == 0 ? 200.0 : 100.0;
        }
        TraceRecorder recorder(lengths, most);
        for (const QString &sample : samples) {
            const QStringList f = sample.split(' ');
            recorder.Add(f[0].toStdString(), f[1].toStdString(), f[2].toDouble(), f[3].toDouble());
        }
        const SimulatedTraces traces = recorder.Take();
        QVERIFY(!traces.Vehicles.empty());
        QList<QPointF> points;
        for (const TracePoint &p : traces.Vehicles[0].Points) {
            points << QPointF(p.Seconds, p.Metres);
        }
        QTEST(points, "points");
        QTEST(traces.Cut, "cut");
        QVERIFY(traces.PointCount <= most);
    }

    // The recorded run (data/sumo-traces, cut down to s.3.0 and n.3.0 of the platoons
    // entering at 180 s; points on straight runs between the simulator's samples left out):
    // s.3.0 stops at JCT #2 to #6, n.3.0 at JCT #3, #2 and #1. A stopped vehicle stands 1 m
    // short of its stop line, the simulator's own gap, which is less than a pixel (75 pixels
    // to 853.44 m). The loaded strips' middle rows are 17, 92, 167, 242, 317 and 392.
    void drawsRecordedStops_data() {
        QTest::addColumn<bool>("southbound");
        QTest::addColumn<float>("standing"); // metres
        QTest::addColumn<float>("from");     // seconds
        QTest::addColumn<float>("to");
        QTest::addColumn<int>("fromCycle"); // JCT #1's, as the window counts them
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("left"); // pixels
        QTest::addColumn<int>("right");
        // The first measured cycle, the 4th, starts at 180 s.
        QTest::newRow("southbound at JCT #2")
            << true << 1059.704F << 235.0F << 239.0F << 4 << 92 << 55 << 59;
        QTest::newRow("southbound at JCT #6, a cycle on")
            << true << 4473.464F << 467.0F << 479.0F << 5 << 392 << 227 << 239;
        QTest::newRow("northbound at JCT #3")
            << false << 1915.144F << 358.0F << 359.0F << 4 << 167 << 178 << 179;
        QTest::newRow("northbound at JCT #1, from the first cycle")
            << false << 208.264F << 478.0F << 479.0F << 1 << 17 << -1 << -1;
        QTest::newRow("northbound at JCT #1, from the 6th cycle")
            << false << 208.264F << 478.0F << 479.0F << 6 << 17 << 178 << 179;
    }
    void drawsRecordedStops() {
        QFETCH(bool, southbound);
        QFETCH(float, standing);
        QFETCH(float, from);
        QFETCH(float, to);
        QFETCH(int, fromCycle);
        QFETCH(int, row);
        QFETCH(int, left);
        QFETCH(int, right);
        TTimeSpaceForm form;
        SetRecordedTiming(form);
        const ArterialPlan plan = form.Document()->Plan();
        QString error;
        const std::optional<SimulationFigures> figures = TSumoRun::ReadAnswer(
            plan, QFINDTESTDATA("data/sumo-traces"), error, nullptr, /*Traces*/ true);
        QVERIFY2(figures && figures->Traces, qPrintable(error));
        const SimulatedTraces &traces = *figures->Traces;
        QCOMPARE(traces.Vehicles.size(), std::size_t(2));
        QCOMPARE(traces.Cut, false);
        const auto vehicle =
            std::find_if(traces.Vehicles.begin(), traces.Vehicles.end(),
                         [&](const VehicleTrace &v) { return v.Southbound == southbound; });
        QVERIFY(vehicle != traces.Vehicles.end());
        // The stop is one standing run: its two ends, and nothing else at that place.
        std::vector<TracePoint> standingAt;
        for (const TracePoint &point : vehicle->Points) {
            if (point.Metres == standing) {
                standingAt.push_back(point);
            }
        }
        QCOMPARE(standingAt.size(), std::size_t(2));
        QCOMPARE(standingAt[0].Seconds, from);
        QCOMPARE(standingAt[1].Seconds, to);

        TTrajectoryWindow *window = OpenTrajectories(form);
        QVERIFY(window != nullptr);
        QCOMPARE(window->Status->text(),
                 QStringLiteral("No simulation has run yet: Simulate in SUMO (Ctrl+M) first."));
        form.Document()->SetSimulation({{}, {*figures}}, plan);
        // A new simulation shows at once, from the first measured cycle.
        QCOMPARE(window->FromCycle->value(), WarmUpCycles + 1);
        QCOMPARE(window->Status->text(),
                 QStringLiteral("2 vehicles drawn. Simulated with arrivals as the diagram's "
                                "platoons, drivers as the diagram assumes, 1 run (seed 1)."));
        window->FromCycle->setValue(fromCycle);
        const TTrajectoryOverlay *overlay = form.TrajectoryOverlay();
        QCOMPARE(overlay->FromCycle(), fromCycle - 1);

        // Every path within the time axis and the panel, each vehicle in its own colour.
        QPolygon standingPixels;
        for (qsizetype i = 0; i < qsizetype(overlay->Paths().size()); ++i) {
            const TracePath &path = overlay->Paths()[std::size_t(i)];
            for (const QPointF &point : path.Points) {
                QVERIFY2(point.x() >= 0.0 && point.x() <= StripWidth && point.y() >= 0.0 &&
                             point.y() < overlay->height(),
                         qPrintable(QStringLiteral("%1, %2").arg(point.x()).arg(point.y())));
            }
            if (path.Southbound == southbound) {
                for (qsizetype j = 1; j < path.Points.size(); ++j) {
                    const QPointF a = path.Points[j - 1];
                    const QPointF b = path.Points[j];
                    if (a.y() == b.y() && qRound(a.y()) == row) {
                        standingPixels << a.toPoint() << b.toPoint();
                    }
                }
            }
        }
        if (left < 0) {
            QVERIFY(standingPixels.isEmpty()); // beyond the time axis
            return;
        }
        QCOMPARE(standingPixels, QPolygon({QPoint(left, row), QPoint(right, row)}));
        const QImage panel = form.TimeSpaceDiagram->grab().toImage();
        const QColor colour = southbound ? SouthboundTraceColour : NorthboundTraceColour;
        // The exported picture draws them where the window does.
        const QPoint panelAt = DiagramCanvasPlace(form).topLeft() - form.TimeSpaceImage->pos();
        const QImage picture = DiagramPicture(form);
        for (int x = left; x <= right; ++x) {
            QCOMPARE(panel.pixelColor(x, row), colour);
            QCOMPARE(picture.pixelColor(panelAt + QPoint(x, row)), colour);
        }
        // Hidden, the overlay draws nothing.
        window->Show->setChecked(false);
        QVERIFY(form.TimeSpaceDiagram->grab().toImage().pixelColor(left, row) != colour);
        QVERIFY(DiagramPicture(form).pixelColor(panelAt + QPoint(left, row)) != colour);
    }

    // What the window says, and that the overlay draws only for the timing simulated. The
    // diagram draws JCT #4 at 90 s from second 0: its phase is the one the vehicles met where
    // the stretch starts at a multiple of 90 s (JCT #1's 60 s cycles: 180 s, not 240 s).
    void statusFollowsTheTiming_data() {
        QTest::addColumn<int>("cycle4");
        QTest::addColumn<int>("fromCycle");
        QTest::addColumn<bool>("editAfter"); // an offset moved after the simulation
        QTest::addColumn<QString>("status");
        QTest::newRow("one cycle") << 60 << 4 << false << "2 vehicles drawn.";
        QTest::newRow("JCT #4 at 90 s from 180 s")
            << 90 << 4 << false
            << "2 vehicles drawn. The junctions' cycles differ from JCT #1's, but this stretch "
               "starts at a common multiple of them: every signal drawn is in the phase these "
               "vehicles met.";
        QTest::newRow("JCT #4 at 90 s from 240 s")
            << 90 << 5 << false
            << "2 vehicles drawn. The junctions' cycles differ from JCT #1's: the signals drawn "
               "at JCT #4 are not in the phase these vehicles met (they are where the stretch "
               "starts at a common multiple of the cycles).";
        QTest::newRow("timing changed") << 60 << 4 << true
                                        << "The timing has changed since the simulation: "
                                           "simulate again (Ctrl+M) to draw its vehicles.";
    }
    void statusFollowsTheTiming() {
        QFETCH(int, cycle4);
        QFETCH(int, fromCycle);
        QFETCH(bool, editAfter);
        TTimeSpaceForm form;
        SetRecordedTiming(form, cycle4);
        const ArterialPlan plan = form.Document()->Plan();
        QString error;
        const std::optional<SimulationFigures> figures = TSumoRun::ReadAnswer(
            plan, QFINDTESTDATA("data/sumo-traces"), error, nullptr, /*Traces*/ true);
        QVERIFY2(figures, qPrintable(error));
        TTrajectoryWindow *window = OpenTrajectories(form);
        // Three runs, of which the first two kept their paths.
        SimulationFigures untraced = *figures;
        untraced.Traces.reset();
        form.Document()->SetSimulation({{SimulatedArrivals::Random, SimulatedDrivers::Typical, 3},
                                        {*figures, *figures, untraced}},
                                       plan);
        QCOMPARE(window->Run->count(), 2);
        const QString made = QStringLiteral(
            " Simulated with random arrivals at the same hourly volumes, typical drivers, 3 runs "
            "(seeds 1 to 3). Only the first 2 runs keep their vehicles' paths.");
        window->FromCycle->setValue(fromCycle);
        if (editAfter) {
            QTest::keyClick(form.TimeSpaceDiagram, Qt::Key_Right);
        }
        QFETCH(QString, status);
        QCOMPARE(window->Status->text(), editAfter ? status : status + made);
        QCOMPARE(form.TrajectoryOverlay()->Paths().empty(), editAfter);
        if (editAfter) {
            // Undone, the simulation is the timing's again.
            form.UndoStack()->undo();
            QCOMPARE(window->Status->text(), QStringLiteral("2 vehicles drawn.") + made);
            QVERIFY(!form.TrajectoryOverlay()->Paths().empty());
        }
    }

    // Real runs of the simulator through the window's command, the diagram's platoons and
    // drivers southbound at 600 veh/hr, every junction at 115 s. At the green wave every
    // vehicle of the stretch drawn keeps to the band (within a pixel of its edges, shifted by
    // whole cycles) and never stands; at offsets that cut every platoon each vehicle stands at
    // every junction from JCT #3 on.
    void simulatedVehiclesFollowTheTiming_data() {
        QTest::addColumn<QList<int>>("offsets");
        QTest::addColumn<bool>("wave");
        QTest::newRow("green wave") << QList<int>{0, 42, 84, 11, 53, 95} << true;
        QTest::newRow("offsets cut every platoon") << QList<int>{0, 92, 59, 26, 108, 75} << false;
    }
    void simulatedVehiclesFollowTheTiming() {
        if (!FHaveSumo) {
            QSKIP("SUMO is not installed (./test.sh installs it)");
        }
        QFETCH(QList<int>, offsets);
        QFETCH(bool, wave);
        TTimeSpaceForm form;
        form.show(); // the band overlay draws what it shows
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (int k = 1; k <= JunctionCount; ++k) {
            FormDriver::SetTiming(form.Light(k), {115, 30, 60, offsets[k - 1]});
        }
        FormDriver::UserMovesTrackBar(form.FwMainRoadVol, 600);
        FormDriver::Command(form, QStringLiteral("Progression Band"))->trigger();
        TTrajectoryWindow *window = OpenTrajectories(form);
        QSignalSpy handed(form.Document(), &TArterialDocument::SimulationChanged);
        FormDriver::Command(form, QStringLiteral("Simulate in SUMO..."))->trigger();
        auto *simulate = form.findChild<QPushButton *>(QStringLiteral("SimulateButton"));
        QVERIFY(simulate != nullptr);
        simulate->click();
        QVERIFY(handed.wait(SimulationWait));
        const TTrajectoryOverlay *overlay = form.TrajectoryOverlay();
        QCOMPARE(overlay->State(), TTrajectoryOverlay::Drawing::Traces);
        QCOMPARE(window->FromCycle->value(), WarmUpCycles + 1);
        QVERIFY(!overlay->Paths().empty());

        // Where each southbound vehicle of the measured cycles came below the halting speed
        // for a second or more, by the junction it was approaching.
        const ArterialPlan &plan = form.Document()->Plan();
        PerLink<double> links{};
        for (int k = 1; k <= LinkCount; ++k) {
            links[k] = LinkMetres(plan, k);
        }
        const double measured = MeasurementStart(plan);
        int counted = 0;
        for (const VehicleTrace &vehicle :
             form.Document()->Simulation()->Runs.at(0).Traces->Vehicles) {
            const double entered = vehicle.Points.front().Seconds;
            if (!vehicle.Southbound || entered < measured || entered >= MeasurementEnd(plan)) {
                continue;
            }
            ++counted;
            std::set<int> halted;
            for (std::size_t i = 1; i < vehicle.Points.size(); ++i) {
                const TracePoint &a = vehicle.Points[i - 1];
                const TracePoint &b = vehicle.Points[i];
                const double seconds = double(b.Seconds) - double(a.Seconds);
                if (seconds < 1.0 || double(b.Metres - a.Metres) >= HaltingSpeed * seconds) {
                    continue;
                }
                for (int k = 1; k <= JunctionCount; ++k) {
                    if (a.Metres > JunctionMetres(links, k - 1) &&
                        a.Metres <= JunctionMetres(links, k)) {
                        halted.insert(k);
                    }
                }
            }
            // A platoon's first vehicle reaches JCT #2 as its yellow starts, too close to stop,
            // and finds JCT #3 green.
            const bool first = std::fmod(entered, 115.0) == 0.0;
            const std::set<int> expected = wave    ? std::set<int>{}
                                           : first ? std::set<int>{4, 5, 6}
                                                   : std::set<int>{2, 3, 4, 5, 6};
            QVERIFY2(halted == expected,
                     qPrintable(QStringLiteral("entered at %1 s").arg(entered)));
        }
        QCOMPARE(counted, 383);
        if (!wave) {
            return;
        }

        // Every southbound point drawn between JCT #1's and JCT #6's rows lies within a pixel
        // of the band's edges, shifted by whole 115 s cycles.
        QList<QPolygon> edges;
        for (const TBandOverlay::Edge &edge : form.BandOverlay()->Edges()) {
            if (edge.Colour == TBandOverlay::SouthboundColour) {
                edges << edge.Points;
            }
        }
        QCOMPARE(edges.size(), 2);
        const auto edgeAt = [](const QPolygon &edge, double y) {
            for (qsizetype k = 1; k < edge.size(); ++k) {
                if (y <= edge[k].y()) {
                    const double share = (y - edge[k - 1].y()) / (edge[k].y() - edge[k - 1].y());
                    return edge[k - 1].x() + share * (edge[k].x() - edge[k - 1].x());
                }
            }
            return double(edge.back().x());
        };
        int checked = 0;
        for (const TracePath &path : overlay->Paths()) {
            for (const QPointF &point : path.Points) {
                if (!path.Southbound || point.y() < edges[0].front().y() ||
                    point.y() > edges[0].back().y()) {
                    continue;
                }
                const double low = edgeAt(edges[0], point.y()) - 1.0;
                const double high = edgeAt(edges[1], point.y()) + 1.0;
                const double shift = 115.0 * std::floor((point.x() - low) / 115.0);
                QVERIFY2(point.x() - shift <= high,
                         qPrintable(QStringLiteral("%1, %2").arg(point.x()).arg(point.y())));
                ++checked;
            }
        }
        QVERIFY(checked > 100);
    }
};

QTEST_MAIN(tst_Trajectories)
#include "tst_Trajectories.moc"
