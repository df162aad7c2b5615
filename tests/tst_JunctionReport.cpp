#include "FormDriver.h"

#include "app/BandOverlay.h"
#include "app/JunctionReport.h"
#include "app/SumoScenario.h"
#include "controls/SpaceLink.h"
#include "controls/TimeSpaceLink.h"
#include "model/Progression.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QTableWidget>
#include <QTemporaryDir>

#include <functional>

using FormDriver::UserMovesTrackBar;

// The junction report and its commands on the real window: its figures against the window's
// own where both show one, and its following the window's recomputations.
namespace {
QAction *Command(const TTimeSpaceForm &form, const QString &text) {
    for (QAction *action : form.Commands()) {
        if (action != nullptr && action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

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
        const ArterialBands bands = WindowBands(form);
        QCOMPARE(report.Bands(), bands);
        QCOMPARE(report.BandText(TJunctionReport::SouthboundRow, TJunctionReport::BandWidth),
                 QString::number(bands.Southbound.Width));
        QCOMPARE(report.BandText(TJunctionReport::NorthboundRow, TJunctionReport::BandWidth),
                 QString::number(bands.Northbound.Width));
    }

  private slots:
    void commands() {
        TTimeSpaceForm form;
        ShowActive(form);
        QAction *report = Command(form, "Junction Report");
        QAction *band = Command(form, "Progression Band");
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

    void figuresEqualTheWindows_data() {
        QTest::addColumn<Scene>("scene");
        QTest::newRow("loaded timing") << Scene::Loaded;
        QTest::newRow("six distinct timings") << Scene::Distinct;
        QTest::newRow("six distinct timings, crossroad traffic") << Scene::DistinctCrossroads;
        QTest::newRow("six distinct timings, southbound failure") << Scene::DistinctFailing;
        QTest::newRow("six distinct timings, other speeds") << Scene::DistinctSpeeds;
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
        // The arriving flow at JCT #1 southbound is the entering platoon's: 600 veh/hr at the
        // junction's platoon factor, the platoon truncated to whole seconds.
        if (!failing) {
            const int cycle = form.Light(1)->CycleTime();
            const int platoon = EntryPlatoon(600, cycle).Size[1];
            QCOMPARE(report->Text(0, TJunctionReport::FlowSouth),
                     QLocale().toString(platoon / PlatoonFactor(cycle), 'f', 0));
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
        form.SetSimulation(figures, SumoScenario::PlanOf(form));
        QVERIFY(report->SimulationShown());
        QCOMPARE(report->SimulationNote(),
                 QString("The last simulation measured 900 s and followed its vehicles until "
                         "they left the arterial or the run stopped at 4321 s (7 had not left)."));
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
        form.SetSimulation(figures, SumoScenario::PlanOf(form));
        QVERIFY(form.SaveFile(simulated));
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
        QVERIFY(form.SaveFile(other));
        QVERIFY(shownAfter([&] { QVERIFY(form.OpenFile(simulated)); }));
        QVERIFY(!shownAfter([&] { QVERIFY(form.OpenFile(other)); }));
        Prompts::SetMessageAnswerer({});
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    }
};

QTEST_MAIN(tst_JunctionReport)
#include "tst_JunctionReport.moc"
