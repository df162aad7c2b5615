#pragma once

#include "model/Evaluation.h"
#include "model/Plan.h"
#include "model/Scenario.h"

#include <QByteArray>
#include <QJsonObject>

// A scenario's figures as the command line writes them: every figure the window and the
// junction report show, in the texts the window's captions show in the C locale (dot decimals,
// comma thousands) where the window writes a caption, and as numbers rounded as the report
// rounds them.
namespace EvaluationReport {

// The whole evaluation as one JSON object.
QJsonObject Json(const Scenario &Settings, const ArterialPlan &Plan,
                 const ArterialEvaluation &Result);

// The report's per-junction table as CSV (RFC 4180: a header row with units, one row per
// junction, CRLF line ends, dot decimals).
QByteArray Csv(const ArterialPlan &Plan, const ArterialEvaluation &Result);

} // namespace EvaluationReport
