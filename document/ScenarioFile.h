#pragma once

#include "model/Scenario.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The scenario file: a JSON document with a format name and a version, holding a Scenario.
//
//   {
//     "format": "TimeSpace scenario", "version": 1,
//     "southbound": { "volume": 500, "speed": 45 },
//     "northbound": { "volume": 0, "speed": 45 },
//     "crossroad2": { "enteringPercent": 0, "enteringMaximum": 100 },
//     "crossroad5": { "leavingPercent": 0 },
//     "junctions": [ { "cycleTime": 115, "offset": 0, "percentRed": 30, "percentGreen": 60,
//                      "redSeconds": 35, "greenSeconds": 69, "yellowSeconds": 11,
//                      "top": 12 }, ... six in all, JCT #1 first ],
//     "measures": { "delayUnit": "sec" }
//   }
//
// The delay unit is what the unit label showed: with no flow it keeps an earlier unit.
//
// Every key is required and every value a whole number; keys the format does not know are
// refused, so that a mistyped key is not silently ignored.
namespace ScenarioFile {

inline constexpr const char *FormatName = "TimeSpace scenario";
inline constexpr int FormatVersion = 1;
// A scenario is well under a kilobyte: anything this large is not one.
inline constexpr qint64 MaxFileBytes = 64 * 1024;

QByteArray ToJson(const Scenario &Settings);

struct ReadResult {
    std::optional<Scenario> Settings;
    QString Problem; // the first problem, when Settings is empty
};

// Parses a document and checks it against the bounds; the problem names the line or key.
ReadResult FromJson(const QByteArray &Bytes, const ScenarioBounds &Bounds);

// Reads and checks a file; the problem then starts with the file's name.
ReadResult Read(const QString &Path, const ScenarioBounds &Bounds);

// Writes atomically: on failure the previous file is intact and the text says why.
QString Write(const QString &Path, const Scenario &Settings);

} // namespace ScenarioFile
