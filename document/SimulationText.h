#pragma once

#include "model/SimulationFigures.h"

#include <QJsonObject>
#include <QString>

// The simulation's figures in words and in JSON, as the window's message, the junction report,
// the optimiser's check and the command line give them.
namespace SimulationText {

// A figure with the given decimals, in the user's locale.
QString Fixed(double Value, int Decimals);
// "random arrivals at the same hourly volumes, typical drivers, 10 runs (seeds 1 to 10)"
QString Choice(const SimulationChoice &Choice);
// "0.52", or over several runs "0.52 (0.41 to 0.60; 95 % interval 0.47 to 0.57)".
QString Figure(const Spread &Spread, int Decimals);
// "0.47 to 0.57"; empty for a single run.
QString Interval(const Spread &Spread, int Decimals);
// "0.41 to 0.60"; empty for a single run.
QString Range(const Spread &Spread, int Decimals);
// "JCT #3 in 7 of 10 runs, JCT #5 in 1"; "no" when no queue grew.
QString Growth(const DirectionSpread &Figures, std::int32_t Runs);
// One paragraph per direction for the message after a simulation.
QString Direction(const QString &Name, const DirectionSpread &Figures, std::int32_t Runs);

// The replications' figures: the choice, and per direction the spreads, the runs in which each
// junction's queue grew and every run's own figures.
QJsonObject Json(const SimulationSet &Set);

} // namespace SimulationText
