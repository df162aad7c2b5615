#pragma once

#include "model/SumoPlan.h"

#include <QString>
#include <QStringList>

// The scenario folder the traffic simulator runs: plain node, edge, connection and signal
// files for its network builder, the routes of the platoons, the queue detectors and the
// configuration. The arterial runs north to south, one lane each way; every junction is a
// fixed-time signal with short cross streets.
namespace SumoScenario {

// The files' common name inside the folder: arterial.nod.xml, arterial.sumocfg, ...
inline constexpr const char *BaseName = "arterial";
QString FileName(const char *Suffix); // "arterial" + Suffix
inline constexpr const char *TripFile = "tripinfo.xml";
inline constexpr const char *QueueFile = "queues.xml";
inline constexpr const char *SpeedFile = "speeds.xml";

// Edge ids: "s<k>" runs southbound to JCT #k ("s7" beyond JCT #6), "n<k>" northbound along
// link k; the cross streets are "w<k>in", "w<k>out", "e<k>in", "e<k>out".
QString SouthEdge(int Link);
QString NorthEdge(int Link);

// Writes every input file into Folder, which is made when missing. False with the reason in
// Error when a file cannot be written.
// The options choose the arrivals, the drivers and the seed, which the configuration keeps:
// the folder run again gives the same run.
bool Write(const ArterialPlan &Plan, const QString &Folder, const SumoRunOptions &Options,
           QString &Error);

// The network builder's and the simulator's arguments, run in the scenario folder.
QStringList NetconvertArguments();
QStringList SumoArguments(int StepLogPeriod);

} // namespace SumoScenario
