#include "cli/EvaluationReport.h"

#include "model/LevelOfService.h"
#include "model/Measures.h"

#include <QJsonArray>
#include <QLocale>
#include <QString>

#include <string>

namespace EvaluationReport {

namespace {

// A figure rounded as the report shows it, as a JSON number.
double Rounded(double Value, int Decimals) {
    return QString::number(Value, 'f', Decimals).toDouble();
}

QString Text(std::string_view Value) {
    return QString::fromUtf8(Value.data(), static_cast<qsizetype>(Value.size()));
}

// The captions as the window writes them (in the C locale): "+ +" while the direction fails.
QJsonObject Measures(const DirectionMeasures &Measures, DelayUnit ShownUnit,
                     const ArterialEvaluation &Result, bool Southbound) {
    const QLocale c = QLocale::c();
    const std::string point = c.decimalPoint().toStdString();
    const std::string group = c.groupSeparator().toStdString();
    const QString unbounded = Text(UnboundedCaption);
    QJsonArray failing;
    for (int k = 1; k <= JunctionCount; ++k) {
        const JunctionEvaluation &junction = Result.Junctions[k];
        if ((Southbound ? junction.South : junction.North).Passage.CycleFailure) {
            failing.append(k);
        }
    }
    return {
        {"delayPerVehicle", Measures.Bounded() ? QString::fromStdString(FormatDelayPerVeh(
                                                     Measures.Delay.Value, point, group))
                                               : unbounded},
        // With no flow the unit label keeps the unit it showed.
        {"delayUnit", Text(DelayUnitCaption(Measures.Delay.Unit.value_or(ShownUnit)))},
        {"stops", Measures.Bounded() ? QString::fromStdString(FormatArtStops(Measures.Stops, point))
                                     : unbounded},
        {"delaySecondsPerVehicle", Measures.DelaySeconds},
        {"stopsPerVehicle", Measures.Stops},
        {"flowPlatoonSeconds", Measures.Flow},
        {"failure", Measures.Failure},
        {"failingJunctions", failing},
    };
}

QJsonObject Direction(const DirectionAtJunction &At, std::int32_t Flow) {
    const LevelOfService los = LevelOfServiceAt(At);
    return {
        {"losDelay", Rounded(los.DelaySeconds, 1)},
        {"los", QString(QLatin1Char(ServiceLevelLetter(los.Level)))},
        {"flow", Rounded(At.Flow, 0)},
        {"saturation", Rounded(At.Saturation, 2)},
        {"queueFeet", At.QueueFeet},
        {"queueVehicles", Rounded(At.QueueVehicles, 1)},
        {"stops", Rounded(At.Passage.Stops, 2)},
        {"delayPerVehicle", Rounded(Flow > 0 ? static_cast<double>(At.Delay) / Flow : 0.0, 2)},
        {"failure", At.Passage.CycleFailure},
    };
}

QJsonObject Band(const ProgressionBand &Band) {
    return {
        {"width", Band.Width},
        {"efficiency", Rounded(Band.Efficiency, 1)},
        {"start", Band.Exists() ? QJsonValue(Band.Start) : QJsonValue()},
    };
}

} // namespace

QJsonObject Json(const Scenario &Settings, const ArterialPlan &Plan,
                 const ArterialEvaluation &Result) {
    QJsonArray junctions;
    int feetSouth = 0;
    int feetNorth = 0;
    double vehiclesSouth = 0.0;
    double vehiclesNorth = 0.0;
    for (int k = 1; k <= JunctionCount; ++k) {
        const JunctionSignal &signal = Plan.Signals[k];
        const JunctionEvaluation &junction = Result.Junctions[k];
        junctions.append(QJsonObject{
            {"junction", k},
            {"cycle", signal.CycleTime},
            {"offset", signal.CycleOffset},
            {"green", signal.Times.Green},
            {"yellow", signal.Times.Yellow},
            {"red", signal.Times.Red},
            {"percentRed", signal.PercentRed},
            {"percentGreen", signal.PercentGreen},
            {"capacity", junction.Capacity},
            {"southbound", Direction(junction.South, Result.South.Flow)},
            {"northbound", Direction(junction.North, Result.North.Flow)},
        });
        feetSouth += junction.South.QueueFeet;
        feetNorth += junction.North.QueueFeet;
        vehiclesSouth += junction.South.QueueVehicles;
        vehiclesNorth += junction.North.QueueVehicles;
    }
    QJsonArray links;
    for (int k = 1; k <= LinkCount; ++k) {
        const LinkMeasure &link = Result.LinkMeasures[k];
        links.append(QJsonObject{{"link", k},
                                 {"feet", link.Feet},
                                 {"southboundSeconds", link.SouthboundSeconds},
                                 {"northboundSeconds", link.NorthboundSeconds}});
    }
    return {
        {"format", "TimeSpace evaluation"},
        {"version", 1},
        {"traffic",
         QJsonObject{
             {"southbound", QJsonObject{{"volume", Plan.SouthVolume},
                                        {"speed", Plan.SouthSpeedMph},
                                        {"volumeMaximum", Result.SouthVolumeMaximum}}},
             {"northbound", QJsonObject{{"volume", Plan.NorthVolume},
                                        {"speed", Plan.NorthSpeedMph},
                                        {"volumeMaximum", Result.NorthVolumeMaximum}}},
             {"crossroad2", QJsonObject{{"enteringPercent", Plan.EnteringPercent},
                                        {"enteringMaximum", Settings.EnteringMaximum},
                                        {"enteringVolume", Result.EnteringVolume}}},
             {"crossroad5", QJsonObject{{"leavingPercent", Plan.LeavingPercent},
                                        {"leavingVolume", Result.LeavingVolume}}},
             {"platoonFactor", Result.PlatoonFactor},
         }},
        {"measures",
         QJsonObject{
             {"southbound", Measures(Result.South, Settings.ShownDelayUnit, Result, true)},
             {"northbound", Measures(Result.North, DelayUnit::Seconds, Result, false)},
         }},
        {"junctions", junctions},
        {"queueTotals",
         QJsonObject{
             {"southbound",
              QJsonObject{{"queueFeet", feetSouth}, {"queueVehicles", Rounded(vehiclesSouth, 1)}}},
             {"northbound",
              QJsonObject{{"queueFeet", feetNorth}, {"queueVehicles", Rounded(vehiclesNorth, 1)}}},
         }},
        {"links", links},
        {"bands", QJsonObject{{"southbound", Band(Result.Bands.Southbound)},
                              {"northbound", Band(Result.Bands.Northbound)}}},
    };
}

QByteArray Csv(const ArterialPlan &Plan, const ArterialEvaluation &Result) {
    QByteArray csv =
        "junction,cycle (s),offset (s),green (s),yellow (s),red (s),capacity (veh/hr),"
        "SB flow (veh/hr),SB v/c,NB flow (veh/hr),NB v/c,SB queue (ft),SB queue (veh),"
        "NB queue (ft),NB queue (veh),SB stops (share),SB delay (s/veh),NB stops (share),"
        "NB delay (s/veh),SB failure,NB failure\r\n";
    const auto fixed = [](double Value, int Decimals) {
        return QByteArray::number(Value, 'f', Decimals);
    };
    const auto perVehicle = [](const DirectionAtJunction &At, std::int32_t Flow) {
        return Flow > 0 ? static_cast<double>(At.Delay) / Flow : 0.0;
    };
    for (int k = 1; k <= JunctionCount; ++k) {
        const JunctionSignal &signal = Plan.Signals[k];
        const JunctionEvaluation &j = Result.Junctions[k];
        const QList<QByteArray> cells{
            "JCT #" + QByteArray::number(k),
            QByteArray::number(signal.CycleTime),
            QByteArray::number(signal.CycleOffset),
            QByteArray::number(signal.Times.Green),
            QByteArray::number(signal.Times.Yellow),
            QByteArray::number(signal.Times.Red),
            QByteArray::number(j.Capacity),
            fixed(j.South.Flow, 0),
            fixed(j.South.Saturation, 2),
            fixed(j.North.Flow, 0),
            fixed(j.North.Saturation, 2),
            QByteArray::number(j.South.QueueFeet),
            fixed(j.South.QueueVehicles, 1),
            QByteArray::number(j.North.QueueFeet),
            fixed(j.North.QueueVehicles, 1),
            fixed(j.South.Passage.Stops, 2),
            fixed(perVehicle(j.South, Result.South.Flow), 2),
            fixed(j.North.Passage.Stops, 2),
            fixed(perVehicle(j.North, Result.North.Flow), 2),
            j.South.Passage.CycleFailure ? "fails" : "",
            j.North.Passage.CycleFailure ? "fails" : "",
        };
        csv += cells.join(',') + "\r\n";
    }
    return csv;
}

} // namespace EvaluationReport
