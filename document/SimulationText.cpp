#include "document/SimulationText.h"

#include "document/TextHelpers.h"

#include <QJsonArray>
#include <QLocale>
#include <QStringList>

namespace SimulationText {

QString Fixed(double Value, int Decimals) {
    return QLocale().toString(Value, 'f', Decimals);
}

namespace {

QString Whole(int Value) {
    return QLocale().toString(Value);
}

QString Between(double Low, double High, int Decimals) {
    return QStringLiteral("%1 to %2").arg(Fixed(Low, Decimals), Fixed(High, Decimals));
}
} // namespace

QString Choice(const SimulationChoice &Choice) {
    const QString arrivals = Choice.Arrivals == SimulatedArrivals::Random
                                 ? QStringLiteral("random arrivals at the same hourly volumes")
                                 : QStringLiteral("arrivals as the diagram's platoons");
    const QString drivers = Choice.Drivers == SimulatedDrivers::Typical
                                ? QStringLiteral("typical drivers")
                                : QStringLiteral("drivers as the diagram assumes");
    const QString runs = Choice.Runs == 1 ? QStringLiteral("1 run (seed %1)").arg(RunSeed(0))
                                          : QStringLiteral("%1 runs (seeds %2 to %3)")
                                                .arg(Choice.Runs)
                                                .arg(RunSeed(0))
                                                .arg(RunSeed(Choice.Runs - 1));
    return QStringLiteral("%1, %2, %3").arg(arrivals, drivers, runs);
}

QString Interval(const Spread &Spread, int Decimals) {
    return Spread.HasInterval ? Between(Spread.Low, Spread.High, Decimals) : QString();
}

QString Range(const Spread &Spread, int Decimals) {
    return Spread.Runs > 1 ? Between(Spread.Least, Spread.Greatest, Decimals) : QString();
}

QString Figure(const Spread &Spread, int Decimals) {
    if (Spread.Runs <= 1) {
        return Fixed(Spread.Mean, Decimals);
    }
    return QStringLiteral("%1 (range %2; 95 % interval of the mean %3)")
        .arg(Fixed(Spread.Mean, Decimals), Range(Spread, Decimals), Interval(Spread, Decimals));
}

QString Growth(const DirectionSpread &Figures, std::int32_t Runs) {
    QStringList junctions;
    for (int k = 1; k <= JunctionCount; ++k) {
        if (Figures.GrewIn[k] == 0) {
            continue;
        }
        if (Runs == 1) {
            junctions << QStringLiteral("JCT #%1").arg(k);
        } else {
            junctions << QStringLiteral("JCT #%1 in %2 of %3 runs")
                             .arg(k)
                             .arg(Figures.GrewIn[k])
                             .arg(Runs);
        }
    }
    return junctions.isEmpty() ? QStringLiteral("no") : junctions.join(QStringLiteral(", "));
}

QString Direction(const QString &Name, const DirectionSpread &Figures, std::int32_t Runs) {
    if (Figures.Sent == 0) {
        return QStringLiteral("%1: no %2 traffic.").arg(Name, Name.toLower());
    }
    if (Figures.Stops.Runs == 0) {
        return QStringLiteral("%1: none of the %2 vehicles that entered was reported by the "
                              "simulator.")
            .arg(Name, Whole(Figures.Sent));
    }
    const QString each = Runs == 1 ? QString() : QStringLiteral(" in each run");
    QString text = QStringLiteral("%1: %2 vehicles entered%3; stops per vehicle %4; delay per "
                                  "vehicle %5 s")
                       .arg(Name, Whole(Figures.Sent), each, Figure(Figures.Stops, 2),
                            Figure(Figures.Delay, 1));
    if (Figures.Vehicles.Least < Figures.Sent) {
        text += QStringLiteral(" (the simulator reported as few as %1 of them)")
                    .arg(Whole(static_cast<int>(Figures.Vehicles.Least)));
    }
    if (Figures.UnfinishedRuns > 0) {
        text += Runs == 1 ? QStringLiteral("; some had not left the arterial when the run stopped "
                                           "and count with the delay they had by then")
                          : QStringLiteral("; in %1 runs some had not left the arterial when the "
                                           "run stopped and count with the delay they had by then")
                                .arg(Figures.UnfinishedRuns);
    }
    if (Figures.RunsWithGrowth > 0) {
        text += QStringLiteral("; queues grow from cycle to cycle at ") + Growth(Figures, Runs);
    }
    return text + QLatin1Char('.');
}

namespace {
QJsonObject SpreadJson(const Spread &Spread) {
    QJsonObject json{{"mean", Spread.Mean}, {"least", Spread.Least}, {"greatest", Spread.Greatest}};
    if (Spread.HasInterval) {
        json.insert("interval95", QJsonArray{Spread.Low, Spread.High});
    }
    return json;
}

QJsonObject DirectionJson(const SimulationSet &Set, bool Southbound) {
    const DirectionSpread figures = SpreadOf(Set, Southbound);
    QJsonObject grew;
    for (int k = 1; k <= JunctionCount; ++k) {
        grew.insert(QStringLiteral("JCT #%1").arg(k), figures.GrewIn[k]);
    }
    QJsonArray runs;
    for (const SimulationFigures &run : Set.Runs) {
        const DirectionSimulation &d = Southbound ? run.Southbound : run.Northbound;
        QJsonArray growing;
        for (const std::int32_t k : d.GrowingAt) {
            growing.append(k);
        }
        runs.append(QJsonObject{{"seed", static_cast<qint64>(run.Seed)},
                                {"vehicles", d.Vehicles},
                                {"unfinished", d.Unfinished},
                                {"stopsPerVehicle", d.StopsPerVehicle},
                                {"delayPerVehicle", d.DelayPerVehicle},
                                {"queuesGrowAt", growing}});
    }
    return QJsonObject{{"sent", figures.Sent},
                       {"stopsPerVehicle", SpreadJson(figures.Stops)},
                       {"delayPerVehicle", SpreadJson(figures.Delay)},
                       {"runsQueueGrewAt", grew},
                       {"runs", runs}};
}
} // namespace

QJsonObject Json(const SimulationSet &Set) {
    const SimulationFigures first = Set.Runs.empty() ? SimulationFigures{} : Set.Runs.front();
    return QJsonObject{{"arrivals", FromView(ArrivalsWord(Set.Choice.Arrivals))},
                       {"drivers", FromView(DriversWord(Set.Choice.Drivers))},
                       {"runs", static_cast<int>(Set.Runs.size())},
                       {"measuredSeconds", first.SimulatedSeconds},
                       {"runStopsAtSeconds", first.StoppedAt},
                       {"southbound", DirectionJson(Set, true)},
                       {"northbound", DirectionJson(Set, false)}};
}

} // namespace SimulationText
