#pragma once

#include "model/Evaluation.h"
#include "model/Plan.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The junction report's per-junction table as plain texts, one row per junction and direction
// (JCT #1 southbound, JCT #1 northbound, ... JCT #6 northbound), for the CSV file, the printed
// report and the command line alike. Figures are written with dot decimals whatever the user's
// locale, since a file is read by other programs; the headers carry the units.
namespace ReportTable {

QStringList Headers();
QList<QStringList> Rows(const ArterialPlan &Plan, const ArterialEvaluation &Result);

// One field as RFC 4180 writes it: in double quotes, its quotes doubled, when it holds a comma,
// a quote or a line break; as it is otherwise.
QByteArray CsvField(const QString &Field);

// The header row and the twelve rows, each ended by CRLF, in UTF-8.
QByteArray Csv(const ArterialPlan &Plan, const ArterialEvaluation &Result);

} // namespace ReportTable
