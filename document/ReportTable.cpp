#include "document/ReportTable.h"

#include "model/LevelOfService.h"

namespace ReportTable {

namespace {

// QString::number never uses the locale: the decimals are dots in every language.
QString Fixed(double Value, int Decimals) {
    return QString::number(Value, 'f', Decimals);
}

QStringList Row(int Junction, bool Southbound, const ArterialPlan &Plan,
                const ArterialEvaluation &Result) {
    const JunctionSignal &signal = Plan.Signals[Junction];
    const JunctionEvaluation &junction = Result.Junctions[Junction];
    const DirectionAtJunction &at = Southbound ? junction.South : junction.North;
    const std::int32_t flow = Southbound ? Result.South.Flow : Result.North.Flow;
    // The term the direction's measure adds for this junction, as the report's delay column.
    const double measureDelay = flow > 0 ? static_cast<double>(at.Delay) / flow : 0.0;
    const LevelOfService los = LevelOfServiceAt(at);
    return {QStringLiteral("JCT #%1").arg(Junction),
            Southbound ? QStringLiteral("southbound") : QStringLiteral("northbound"),
            QString::number(signal.CycleTime),
            QString::number(signal.CycleOffset),
            QString::number(signal.Times.Green),
            QString::number(signal.Times.Yellow),
            QString::number(signal.Times.Red),
            QString::number(junction.Capacity),
            Fixed(at.Flow, 0),
            Fixed(at.Saturation, 2),
            QString::number(at.QueueFeet),
            Fixed(at.QueueVehicles, 1),
            Fixed(at.Passage.Stops, 2),
            Fixed(measureDelay, 2),
            Fixed(los.DelaySeconds, 1),
            QString(QLatin1Char(ServiceLevelLetter(los.Level))),
            at.Passage.CycleFailure ? QStringLiteral("fails") : QString()};
}

} // namespace

QStringList Headers() {
    return {QStringLiteral("junction"),
            QStringLiteral("direction"),
            QStringLiteral("cycle (s)"),
            QStringLiteral("offset (s)"),
            QStringLiteral("green (s)"),
            QStringLiteral("yellow (s)"),
            QStringLiteral("red (s)"),
            QStringLiteral("capacity (veh/hr)"),
            QStringLiteral("flow (veh/hr)"),
            QStringLiteral("v/c"),
            QStringLiteral("queue (ft)"),
            QStringLiteral("queue (veh)"),
            QStringLiteral("stops (share, 0 to 1)"),
            QStringLiteral("delay over the direction's flow (s/veh)"),
            QStringLiteral("LOS delay at the junction (s/veh)"),
            QStringLiteral("LOS"),
            QStringLiteral("cycle failure")};
}

QList<QStringList> Rows(const ArterialPlan &Plan, const ArterialEvaluation &Result) {
    QList<QStringList> rows;
    for (int k = 1; k <= JunctionCount; ++k) {
        rows.append(Row(k, true, Plan, Result));
        rows.append(Row(k, false, Plan, Result));
    }
    return rows;
}

QByteArray CsvField(const QString &Field) {
    const QByteArray bytes = Field.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\r') &&
        !bytes.contains('\n')) {
        return bytes;
    }
    QByteArray quoted = bytes;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + '"';
}

QByteArray Csv(const ArterialPlan &Plan, const ArterialEvaluation &Result) {
    const auto line = [](const QStringList &Fields) {
        QByteArray text;
        for (qsizetype i = 0; i < Fields.size(); ++i) {
            if (i > 0) {
                text += ',';
            }
            text += CsvField(Fields[i]);
        }
        return text + "\r\n";
    };
    QByteArray csv = line(Headers());
    for (const QStringList &row : Rows(Plan, Result)) {
        csv += line(row);
    }
    return csv;
}

} // namespace ReportTable
