#include "document/OptimiseFigures.h"

#include <QJsonArray>
#include <QLocale>

namespace OptimiseFigures {

namespace {

void AddDirection(QList<Row> &Rows, const QString &Key, const QString &Name,
                  const DirectionFigures &Before, const DirectionFigures &After) {
    Rows.append({Key + QStringLiteral(".bandWidth"), Name + QStringLiteral(" band (s)"),
                 static_cast<double>(Before.BandWidth), static_cast<double>(After.BandWidth), 0});
    Rows.append({Key + QStringLiteral(".bandEfficiency"),
                 Name + QStringLiteral(" band efficiency (%)"), Before.BandEfficiency,
                 After.BandEfficiency, 1});
    Rows.append({Key + QStringLiteral(".delay"), Name + QStringLiteral(" delay (s/veh)"),
                 Before.DelaySeconds, After.DelaySeconds, 2});
    Rows.append({Key + QStringLiteral(".stops"), Name + QStringLiteral(" stops (per veh)"),
                 Before.Stops, After.Stops, 2});
    Rows.append({Key + QStringLiteral(".failure"), Name + QStringLiteral(" cycle failure"),
                 Before.Failure ? 1.0 : 0.0, After.Failure ? 1.0 : 0.0, -1});
}

// A figure rounded as its row shows it.
double Rounded(double Value, int Decimals) {
    return QString::number(Value, 'f', std::max(Decimals, 0)).toDouble();
}

} // namespace

QList<Row> Rows(const OptimiseResult &Result) {
    QList<Row> rows;
    const PlanFigures &b = Result.BeforeFigures;
    const PlanFigures &a = Result.AfterFigures;
    AddDirection(rows, QStringLiteral("southbound"), QStringLiteral("Southbound"), b.South,
                 a.South);
    AddDirection(rows, QStringLiteral("northbound"), QStringLiteral("Northbound"), b.North,
                 a.North);
    rows.append({QStringLiteral("weightedBand"), QStringLiteral("Weighted band (s)"),
                 b.WeightedBand, a.WeightedBand, 1});
    rows.append(
        {QStringLiteral("failingJunctions"), QStringLiteral("Junctions with a cycle failure"),
         static_cast<double>(b.FailingJunctions), static_cast<double>(a.FailingJunctions), 0});
    rows.append({QStringLiteral("performanceIndex"), QStringLiteral("Delay and stops (veh-h/h)"),
                 b.PerformanceIndex, a.PerformanceIndex, 3});
    for (int k = 1; k <= JunctionCount; ++k) {
        const JunctionSignal &before = Result.Start.Signals[k];
        const JunctionSignal &after = Result.Proposed.Signals[k];
        const QString key = QStringLiteral("junctions[%1].").arg(k);
        const QString name = QStringLiteral("JCT #%1 ").arg(k);
        rows.append({key + QStringLiteral("cycle"), name + QStringLiteral("cycle (s)"),
                     static_cast<double>(before.CycleTime), static_cast<double>(after.CycleTime),
                     0});
        rows.append({key + QStringLiteral("offset"), name + QStringLiteral("offset (s)"),
                     static_cast<double>(before.CycleOffset),
                     static_cast<double>(after.CycleOffset), 0});
    }
    return rows;
}

QString Text(double Value, int Decimals) {
    if (Decimals < 0) {
        return Value != 0.0 ? QStringLiteral("yes") : QStringLiteral("no");
    }
    return QLocale().toString(Value, 'f', Decimals);
}

QJsonObject Json(const QList<Row> &Rows, bool After) {
    QJsonObject result;
    PerJunction<QJsonObject> junctions;
    const QString junctionGroup = QStringLiteral("junctions[");
    for (const Row &row : Rows) {
        const double value = After ? row.After : row.Before;
        const QJsonValue number =
            row.Decimals < 0 ? QJsonValue(value != 0.0) : QJsonValue(Rounded(value, row.Decimals));
        const qsizetype dot = row.Key.lastIndexOf(QLatin1Char('.'));
        const QString group = dot < 0 ? QString() : row.Key.left(dot);
        const QString name = row.Key.mid(dot + 1);
        if (group.isEmpty()) {
            result.insert(name, number);
        } else if (group.startsWith(junctionGroup)) {
            // "junctions[k]"
            const int k = group.mid(junctionGroup.size()).chopped(1).toInt();
            junctions[k].insert(QStringLiteral("junction"), k);
            junctions[k].insert(name, number);
        } else {
            QJsonObject direction = result.value(group).toObject();
            direction.insert(name, number);
            result.insert(group, direction);
        }
    }
    QJsonArray list;
    for (const QJsonObject &junction : junctions) {
        list.append(junction);
    }
    result.insert(QStringLiteral("junctions"), list);
    return result;
}

QString ObjectiveName(OptimiseObjective Objective) {
    return Objective == OptimiseObjective::WidestBand ? QStringLiteral("band")
                                                      : QStringLiteral("delay");
}

QString OutcomeName(OptimiseOutcome Outcome) {
    switch (Outcome) {
    case OptimiseOutcome::Improved:
        return QStringLiteral("improved");
    case OptimiseOutcome::AlreadyBest:
        return QStringLiteral("already best");
    case OptimiseOutcome::Cancelled:
        return QStringLiteral("cancelled");
    case OptimiseOutcome::Refused:
        break;
    }
    return QStringLiteral("refused");
}

Scenario ProposedScenario(const Scenario &Settings, const OptimiseResult &Result) {
    Scenario s = Settings;
    for (int k = 1; k <= JunctionCount; ++k) {
        const JunctionSignal &signal = Result.Proposed.Signals[k];
        JunctionSetting &j = s.Junctions[k];
        j.CycleTime = signal.CycleTime;
        j.CycleOffset = signal.CycleOffset;
        j.PercentRed = signal.PercentRed;
        j.PercentGreen = signal.PercentGreen;
        j.RedTime = signal.Times.Red;
        j.GreenTime = signal.Times.Green;
        j.YellowTime = signal.Times.Yellow;
    }
    s.EnteringMaximum = Result.EnteringMaximum;
    // The delay's unit label follows the delay wherever there is flow.
    if (Result.After.South.Delay.Unit) {
        s.ShownDelayUnit = *Result.After.South.Delay.Unit;
    }
    return s;
}

} // namespace OptimiseFigures
