#pragma once

#include "model/Optimiser.h"

#include <QJsonObject>
#include <QList>
#include <QString>

// The optimiser's before-and-after figures as the dialog lists them and the command line
// prints them: one row per figure, each rounded to the decimals it is shown with, so that both
// say the same.
namespace OptimiseFigures {

struct Row {
    QString Key;   // the command line's name: "southbound.bandWidth", "junctions[3].offset"
    QString Label; // the dialog's: "Southbound band (s)"
    double Before = 0.0;
    double After = 0.0;
    int Decimals = 0;
};

// The figures of both directions, the weighted band, failures and performance index, then
// each junction's cycle and offset.
QList<Row> Rows(const OptimiseResult &Result);

// A row's value as the dialog shows it, in the user's locale.
QString Text(double Value, int Decimals);

// The rows as JSON: {"southbound": {"bandWidth": 12, ...}, ..., "junctions": [{...}]} for the
// before or the after side, every number rounded as its row says.
QJsonObject Json(const QList<Row> &Rows, bool After);

// The objective's and the outcome's names as the command line writes them.
QString ObjectiveName(OptimiseObjective Objective);
QString OutcomeName(OptimiseOutcome Outcome);

// The proposal as a scenario file keeps it: the junctions' timings and the crossroad's share
// maximum that applying it gives; everything else as in Settings.
Scenario ProposedScenario(const Scenario &Settings, const OptimiseResult &Result);

} // namespace OptimiseFigures
