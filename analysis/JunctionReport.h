#pragma once

#include "model/Band.h"
#include "model/Common.h"
#include "model/Travel.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

class QLabel;
class TReportTable;
class TArterialDocument;

// Where the report's frame goes so that it lies beside the main window's frame, not over it:
// ReportGap pixels to its right, else to its left, its top level with the main window's (raised
// as far as the screen's bottom needs), when the screen's available area has room; nothing when
// it has room on neither side.
inline constexpr int ReportGap = 8;
std::optional<QPoint> ReportPlace(const QRect &MainFrame, const QSize &ReportFrame,
                                  const QRect &Screen);

// The junction report: a tool window of the main window with one row per junction and a total
// row, the progression band of each direction, and the last simulation's figures beside
// TimeSpace's own, all read from the document's evaluation (ArterialEvaluation). It follows
// every evaluation (strip drags included) and every new simulation; hidden it does nothing and
// catches up when shown. Its tables are
// painted by the report itself: a text that changed repaints its own cell and nothing else, so
// that following a strip drag costs little.
//
// The figures, per junction:
// - cycle, offset, green, yellow and red in seconds, as the strip holds them;
// - capacity in veh/hr (JunctionCapacity: green plus half the yellow of 1440 veh/hr);
// - per direction the arriving flow in veh/hr: the platoon seconds arriving at the junction
//   (the arriving set, merged and clipped as the passage takes it) over the platoon factor of
//   JCT #1's cycle, 2.5 s x cycle / 3600 s. Both entering platoons are made at that factor and
//   enter once a JCT #1 cycle, so this is the hourly volume the platoon carries (at JCT #1 the
//   entering volume, less the platoon's truncation to whole seconds). The degree of saturation
//   is that flow over the capacity. With one cycle everywhere it is the arriving platoon
//   seconds over green plus half the yellow, and the junction fails about where it passes 1 (the
//   window is counted in whole seconds). The passage serves
//   one platoon per green window, so a junction with a shorter cycle than JCT #1's may fail
//   below 1, and one with a longer cycle may pass above it;
// - per direction the queue: the longest queue of the queue set the strip handed to the link
//   (southbound at the bottom of the link above the junction, northbound at the top of the
//   link below it), in feet as the link draws it (20 ft per 2.5 s of wait) and in vehicles at
//   the 2.5 s saturation headway;
// - per direction the stops share (the share of the arriving platoon seconds that stopped) and
//   the delay per vehicle (the junction's delay over the direction's flow: southbound the
//   platoon seconds leaving JCT #3, the divisor of the window's measure, northbound those
//   entering at JCT #6); southbound these are the very terms the window's ArtStops and
//   DelayPerVeh captions add up;
// - per direction whether the junction fails (its arrivals of one cycle need more than one
//   green window).
// - per direction the level of service (model/LevelOfService): the delay per vehicle at the
//   junction itself (its delay over the platoon seconds arriving there, not over the
//   direction's flow) and its letter A to F.
// The total row adds the stops (the ArtStops caption), the delay per vehicle (the DelayPerVeh
// caption with its unit, "+ +" under a southbound failure), the same two northbound, the queues
// and the failures.
class TJunctionReport : public QWidget {
    Q_OBJECT

  public:
    // A tool window of Owner.
    TJunctionReport(QWidget *Owner, const TArterialDocument *Document);

    enum Column {
        Junction,
        Cycle,
        Offset,
        Green,
        Yellow,
        Red,
        Capacity,
        FlowSouth,
        SaturationSouth,
        FlowNorth,
        SaturationNorth,
        QueueFeetSouth,
        QueueVehiclesSouth,
        QueueFeetNorth,
        QueueVehiclesNorth,
        StopsSouth,
        DelaySouth,
        StopsNorth,
        DelayNorth,
        FailureSouth,
        FailureNorth,
        LosDelaySouth,
        LosSouth,
        LosDelayNorth,
        LosNorth,
        ColumnCount
    };
    // Rows 0 to 5 are JCT #1 to #6.
    static constexpr int TotalRow = 6;

    // The links' table: one row per link, link 1 (the north end to JCT #1) to link 7 (JCT #6
    // to the south end), each link's length in feet and its travel time each way in seconds,
    // as the platoons drive it (the link's LinkMeasure).
    enum LinkColumn { LinkFeet, LinkSouthbound, LinkNorthbound, LinkColumnCount };

    enum BandColumn { BandWidth, BandEfficiency, BandStart, BandColumnCount };
    // Rows of the band and simulation tables.
    static constexpr int SouthboundRow = 0;
    static constexpr int NorthboundRow = 1;

    enum SimulationColumn {
        StopsTimeSpace,
        StopsSimulated,
        StopsRange,
        StopsInterval,
        DelayTimeSpace,
        DelaySimulated,
        DelayRange,
        DelayInterval,
        GrowTimeSpace,
        GrowSimulated,
        VehiclesSimulated,
        SimulationColumnCount
    };

    // The texts shown.
    QString Text(int Row, Column Which) const;
    QString LinkText(int Link, LinkColumn Which) const;
    QString BandText(int Row, BandColumn Which) const;
    QString SimulationText(int Row, SimulationColumn Which) const;
    // Shown while the window holds the figures of a simulation of the arterial it shows.
    bool SimulationShown() const;
    QString SimulationNote() const;
    const ArterialBands &Bands() const { return FBands; }
    // How often the texts were brought up to date, and how many texts were written.
    int UpdateCount() const { return FUpdates; }
    int WrittenCount() const { return FWritten; }

  protected:
    void showEvent(QShowEvent *Event) override;

  private:
    // Writes a cell's text if it changed; the table repaints only that cell.
    void Put(TReportTable *Table, int Row, int Column, const QString &Text);
    // Writes a number (with Decimals, or below 0 as a whole number) unless the cell shows it.
    void PutNumber(TReportTable *Table, int Row, int Column, double Value, int Decimals);

    void Recomputed();
    void SimulationChanged();
    void Refresh();
    void RefreshJunctions();
    void RefreshLinks();
    void RefreshBands();
    void RefreshSimulation();

    const TArterialDocument *FDocument;
    TReportTable *FJunctions = nullptr;
    TReportTable *FLinkGrid = nullptr;
    TReportTable *FBandGrid = nullptr;
    TReportTable *FSimulationGrid = nullptr;
    QLabel *FSimulationNote = nullptr;
    ArterialBands FBands;
    bool FStale = true;
    int FUpdates = 0;
    int FWritten = 0;
};
