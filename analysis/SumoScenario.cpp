#include "analysis/SumoScenario.h"

#include "model/Progression.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamWriter>

#include <functional>

namespace SumoScenario {

namespace {

QString Number(double Value) {
    return QString::number(Value, 'f', 2);
}

QString Whole(int Value) {
    return QString::number(Value);
}

QString Node(int Junction) {
    return QStringLiteral("J%1").arg(Junction);
}

using Attributes = std::initializer_list<std::pair<const char *, QString>>;

void Element(QXmlStreamWriter &Xml, const char *Name, Attributes Values) {
    Xml.writeEmptyElement(QLatin1StringView(Name));
    for (const auto &[key, value] : Values) {
        Xml.writeAttribute(QLatin1StringView(key), value);
    }
}

bool WriteXml(const QString &Path, const char *Root,
              const std::function<void(QXmlStreamWriter &)> &Body, QString &Error) {
    QFile file(Path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        Error = QStringLiteral("%1: %2").arg(Path, file.errorString());
        return false;
    }
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QLatin1StringView(Root));
    Body(xml);
    xml.writeEndElement();
    xml.writeEndDocument();
    if (xml.hasError() || !file.flush()) {
        Error = QStringLiteral("%1: %2").arg(Path, file.errorString());
        return false;
    }
    return true;
}

// The northern end lies at y = 0; each junction lies one link's travel span further south.
PerLink<double> NodeDepths(const ArterialPlan &Plan) {
    PerLink<double> depth{};
    double y = 0.0;
    for (int k = 1; k <= LinkCount; ++k) {
        y += LinkMetres(Plan, k);
        depth[k] = y;
    }
    return depth;
}

QString NorthNode(int Link) {
    return Link == 1 ? QStringLiteral("north") : Node(Link - 1);
}

QString SouthNode(int Link) {
    return Link == LinkCount ? QStringLiteral("south") : Node(Link);
}

void WriteNodes(QXmlStreamWriter &Xml, const ArterialPlan &Plan) {
    const PerLink<double> depth = NodeDepths(Plan);
    Element(Xml, "node", {{"id", "north"}, {"x", Number(0)}, {"y", Number(0)}});
    for (int k = 1; k <= JunctionCount; ++k) {
        const QString y = Number(-depth[k]);
        Element(Xml, "node",
                {{"id", Node(k)}, {"x", Number(0)}, {"y", y}, {"type", "traffic_light"}});
        Element(
            Xml, "node",
            {{"id", QStringLiteral("W%1").arg(k)}, {"x", Number(-CrossStreetMetres)}, {"y", y}});
        Element(Xml, "node",
                {{"id", QStringLiteral("E%1").arg(k)}, {"x", Number(CrossStreetMetres)}, {"y", y}});
    }
    Element(Xml, "node", {{"id", "south"}, {"x", Number(0)}, {"y", Number(-depth[LinkCount])}});
}

void Edge(QXmlStreamWriter &Xml, const QString &Id, const QString &From, const QString &To,
          double Speed, double Length) {
    // The length is given, not taken from the drawn shape, so that the lane runs exactly from
    // stop line to stop line whatever room the junction's shape takes.
    Element(Xml, "edge",
            {{"id", Id},
             {"from", From},
             {"to", To},
             {"numLanes", "1"},
             {"speed", Number(Speed)},
             {"length", Number(Length)}});
}

void WriteEdges(QXmlStreamWriter &Xml, const ArterialPlan &Plan) {
    const double south = SpeedMetresPerSecond(Plan.SouthSpeedMph);
    const double north = SpeedMetresPerSecond(Plan.NorthSpeedMph);
    // The cross streets keep the southbound speed: only crossroad #2's traffic drives them.
    for (int k = 1; k <= LinkCount; ++k) {
        const double length = LinkMetres(Plan, k);
        Edge(Xml, SouthEdge(k), NorthNode(k), SouthNode(k), south, length);
        Edge(Xml, NorthEdge(k), SouthNode(k), NorthNode(k), north, length);
    }
    for (int k = 1; k <= JunctionCount; ++k) {
        const QString west = QStringLiteral("W%1").arg(k);
        const QString east = QStringLiteral("E%1").arg(k);
        Edge(Xml, QStringLiteral("w%1in").arg(k), west, Node(k), south, CrossStreetMetres);
        Edge(Xml, QStringLiteral("w%1out").arg(k), Node(k), west, south, CrossStreetMetres);
        Edge(Xml, QStringLiteral("e%1in").arg(k), east, Node(k), south, CrossStreetMetres);
        Edge(Xml, QStringLiteral("e%1out").arg(k), Node(k), east, south, CrossStreetMetres);
    }
}

// A junction's signalled movements in the order of the program's states: the arterial's two
// through movements, the crossroad's two, then crossroad #2's right turn onto the southbound
// arterial or the southbound right turn onto crossroad #5.
struct Movement {
    QString From;
    QString To;
    bool Arterial;
};

QList<Movement> Movements(int k) {
    QList<Movement> moves{{SouthEdge(k), SouthEdge(k + 1), true},
                          {NorthEdge(k + 1), NorthEdge(k), true},
                          {QStringLiteral("w%1in").arg(k), QStringLiteral("e%1out").arg(k), false},
                          {QStringLiteral("e%1in").arg(k), QStringLiteral("w%1out").arg(k), false}};
    if (k == EnteringJunction) {
        moves.append({QStringLiteral("w%1in").arg(k), SouthEdge(k + 1), false});
    } else if (k == LeavingJunction) {
        moves.append({SouthEdge(k), QStringLiteral("w%1out").arg(k), true});
    }
    return moves;
}

void WriteConnections(QXmlStreamWriter &Xml) {
    for (int k = 1; k <= JunctionCount; ++k) {
        for (const Movement &move : Movements(k)) {
            Element(Xml, "connection",
                    {{"from", move.From}, {"to", move.To}, {"fromLane", "0"}, {"toLane", "0"}});
        }
    }
}

QString State(const QList<Movement> &Moves, QChar Arterial, QChar Cross) {
    QString state;
    for (const Movement &move : Moves) {
        state += move.Arterial ? Arterial : Cross;
    }
    return state;
}

void WriteSignals(QXmlStreamWriter &Xml, const ArterialPlan &Plan) {
    for (int k = 1; k <= JunctionCount; ++k) {
        const SignalProgram program = SignalProgramFor(Plan.Signals[k]);
        const QList<Movement> moves = Movements(k);
        Xml.writeStartElement(QStringLiteral("tlLogic"));
        Xml.writeAttribute(QStringLiteral("id"), Node(k));
        Xml.writeAttribute(QStringLiteral("type"), QStringLiteral("static"));
        Xml.writeAttribute(QStringLiteral("programID"), QStringLiteral("timespace"));
        Xml.writeAttribute(QStringLiteral("offset"), Whole(program.Offset));
        const auto phase = [&](int Duration, QChar Arterial, QChar Cross) {
            if (Duration > 0) {
                Element(Xml, "phase",
                        {{"duration", Whole(Duration)}, {"state", State(moves, Arterial, Cross)}});
            }
        };
        phase(program.ArterialGreen, 'G', 'r');
        phase(program.ArterialYellow, 'y', 'r');
        phase(program.CrossGreen, 'r', 'G');
        phase(program.CrossYellow, 'r', 'y');
        Xml.writeEndElement();
    }
    for (int k = 1; k <= JunctionCount; ++k) {
        int index = 0;
        for (const Movement &move : Movements(k)) {
            Element(Xml, "connection",
                    {{"from", move.From},
                     {"to", move.To},
                     {"fromLane", "0"},
                     {"toLane", "0"},
                     {"tl", Node(k)},
                     {"linkIndex", Whole(index++)}});
        }
    }
}

QString Edges(int From, int To, bool Southbound) {
    QStringList edges;
    for (int k = From; Southbound ? k <= To : k >= To; k += Southbound ? 1 : -1) {
        edges << (Southbound ? SouthEdge(k) : NorthEdge(k));
    }
    return edges.join(QLatin1Char(' '));
}

void WriteRoutes(QXmlStreamWriter &Xml, const ArterialPlan &Plan, const SumoRunOptions &Options) {
    if (Options.Drivers == SimulatedDrivers::Typical) {
        // The simulator's own passenger car, written out so that the file says what was run:
        // its acceleration gives a queue its start-up loss, its dawdling (sigma) and each
        // driver's own share of the speed limit spread the platoons.
        Element(Xml, "vType",
                {{"id", "car"},
                 {"accel", "2.6"},
                 {"decel", "4.5"},
                 {"sigma", "0.5"},
                 {"tau", "1.0"},
                 {"minGap", "2.5"},
                 {"length", "5.0"},
                 {"speedFactor", "normc(1,0.1,0.2,2)"}});
    } else {
        // Drivers who never dawdle and keep the speed limit exactly: the platoons keep their
        // shape and the free-flow times are the diagram's.
        Element(Xml, "vType",
                {{"id", "car"},
                 {"tau", Number(DriverReactionTime)},
                 {"sigma", "0"},
                 {"speedFactor", "1"},
                 {"speedDev", "0"}});
    }
    const QString leave5 = QStringLiteral("w%1out").arg(LeavingJunction);
    const QString enter2 = QStringLiteral("w%1in").arg(EnteringJunction);
    Element(Xml, "route", {{"id", "south"}, {"edges", Edges(1, LinkCount, true)}});
    Element(Xml, "route",
            {{"id", "southLeaving"}, {"edges", Edges(1, LeavingJunction, true) + ' ' + leave5}});
    Element(Xml, "route", {{"id", "north"}, {"edges", Edges(LinkCount, 1, false)}});
    Element(Xml, "route",
            {{"id", "entering"},
             {"edges", enter2 + ' ' + Edges(EnteringJunction + 1, LinkCount, true)}});
    Element(Xml, "route",
            {{"id", "enteringLeaving"},
             {"edges",
              enter2 + ' ' + Edges(EnteringJunction + 1, LeavingJunction, true) + ' ' + leave5}});
    const QString end = Number(MeasurementEnd(Plan));
    // Crossroad #2's traffic arrives evenly (or at random, as a Poisson stream, with random
    // arrivals) and waits on the cross street for its green, at the arterial's red, where the
    // diagram adds it.
    const bool random = Options.Arrivals == SimulatedArrivals::Random;
    const auto flow = [&](const char *Id, const char *Route, double PerHour) {
        if (PerHour > 0.0) {
            Element(Xml, "flow",
                    {{"id", Id},
                     {"type", "car"},
                     {"route", Route},
                     {"begin", "0"},
                     {"end", end},
                     {"period", random ? QStringLiteral("exp(%1)").arg(PerHour / 3600.0, 0, 'g', 9)
                                       : Number(3600.0 / PerHour)},
                     {"departSpeed", "max"}});
        }
    };
    flow("e", "entering", EnteringStaying(Plan));
    flow("eLeaving", "enteringLeaving", EnteringLeaving(Plan));
    for (const MainRoadVehicle &vehicle : MainRoadVehicles(Plan, Options.Arrivals, Options.Seed)) {
        const char *route = !vehicle.Southbound ? "north"
                            : vehicle.Leaves    ? "southLeaving"
                                                : "south";
        Element(Xml, "vehicle",
                {{"id", QString::fromStdString(VehicleId(vehicle))},
                 {"type", "car"},
                 {"route", QLatin1StringView(route)},
                 {"depart", Number(vehicle.Depart)},
                 {"departSpeed", "max"},
                 {"departPos", "base"}});
    }
}

void WriteDetectors(QXmlStreamWriter &Xml, const ArterialPlan &Plan) {
    // One detector over the whole approach lane of each junction and direction, aggregated
    // over that junction's cycle: the vehicles it holds on average in each cycle.
    for (int k = 1; k <= JunctionCount; ++k) {
        const QString period = Whole(Plan.Signals[k].CycleTime);
        for (const bool southbound : {true, false}) {
            const int link = southbound ? k : k + 1;
            const QString lane = (southbound ? SouthEdge(link) : NorthEdge(link)) + "_0";
            Element(Xml, "laneAreaDetector",
                    {{"id", QStringLiteral("q.%1.%2").arg(southbound ? 's' : 'n').arg(k)},
                     {"lane", lane},
                     {"pos", "0"},
                     {"length", Number(LinkMetres(Plan, link) - 0.1)},
                     {"friendlyPos", "true"},
                     {"period", period},
                     {"file", QLatin1StringView(QueueFile)}});
        }
    }
}

void Value(QXmlStreamWriter &Xml, const char *Name, const QString &Text) {
    Element(Xml, Name, {{"value", Text}});
}

void WriteConfiguration(QXmlStreamWriter &Xml, const ArterialPlan &Plan,
                        const SumoRunOptions &Options) {
    Xml.writeStartElement(QStringLiteral("input"));
    Value(Xml, "net-file", FileName(".net.xml"));
    Value(Xml, "route-files", FileName(".rou.xml"));
    Value(Xml, "additional-files", FileName(".add.xml"));
    Xml.writeEndElement();
    Xml.writeStartElement(QStringLiteral("time"));
    Value(Xml, "begin", "0");
    Value(Xml, "end", Number(SimulationEnd(Plan)));
    Xml.writeEndElement();
    Xml.writeStartElement(QStringLiteral("output"));
    Value(Xml, "tripinfo-output", QLatin1StringView(TripFile));
    // Vehicles still on their way, or still waiting to enter, when the run stops count too,
    // with the time they have lost so far.
    Value(Xml, "tripinfo-output.write-unfinished", "true");
    Value(Xml, "tripinfo-output.write-undeparted", "true");
    // Every vehicle's speed, lane and place on it at every step, for its stops and its path.
    Value(Xml, "fcd-output", QLatin1StringView(SpeedFile));
    Value(Xml, "fcd-output.attributes", "speed,lane,pos");
    Xml.writeEndElement();
    Xml.writeStartElement(QStringLiteral("processing"));
    // A growing queue must stay where it is, not jump ahead after a long wait.
    Value(Xml, "time-to-teleport", "-1");
    Xml.writeEndElement();
    Xml.writeStartElement(QStringLiteral("random_number"));
    Value(Xml, "seed", QString::number(Options.Seed));
    Xml.writeEndElement();
    Xml.writeStartElement(QStringLiteral("report"));
    Value(Xml, "xml-validation", "never");
    Value(Xml, "xml-validation.net", "never");
    Value(Xml, "xml-validation.routes", "never");
    Xml.writeEndElement();
}

} // namespace

QString FileName(const char *Suffix) {
    return QLatin1StringView(BaseName) + QLatin1StringView(Suffix);
}

QString SouthEdge(int Link) {
    return QStringLiteral("s%1").arg(Link);
}

QString NorthEdge(int Link) {
    return QStringLiteral("n%1").arg(Link);
}

bool Write(const ArterialPlan &Plan, const QString &Folder, const SumoRunOptions &Options,
           QString &Error) {
    const QDir dir(Folder);
    if (!dir.mkpath(QStringLiteral("."))) {
        Error = QStringLiteral("%1: the folder cannot be made").arg(Folder);
        return false;
    }
    const auto path = [&dir](const char *Suffix) { return dir.filePath(FileName(Suffix)); };
    using namespace std::placeholders;
    return WriteXml(path(".nod.xml"), "nodes", std::bind(WriteNodes, _1, std::cref(Plan)), Error) &&
           WriteXml(path(".edg.xml"), "edges", std::bind(WriteEdges, _1, std::cref(Plan)), Error) &&
           WriteXml(path(".con.xml"), "connections", WriteConnections, Error) &&
           WriteXml(path(".tll.xml"), "tlLogics", std::bind(WriteSignals, _1, std::cref(Plan)),
                    Error) &&
           WriteXml(path(".rou.xml"), "routes",
                    std::bind(WriteRoutes, _1, std::cref(Plan), std::cref(Options)), Error) &&
           WriteXml(path(".add.xml"), "additional", std::bind(WriteDetectors, _1, std::cref(Plan)),
                    Error) &&
           WriteXml(path(".sumocfg"), "configuration",
                    std::bind(WriteConfiguration, _1, std::cref(Plan), std::cref(Options)), Error);
}

QStringList NetconvertArguments() {
    // Without internal lanes a vehicle crosses a junction in no time: the stop lines lie one
    // travel span apart, as in the diagram.
    return {QStringLiteral("--node-files"),        FileName(".nod.xml"),
            QStringLiteral("--edge-files"),        FileName(".edg.xml"),
            QStringLiteral("--connection-files"),  FileName(".con.xml"),
            QStringLiteral("--tllogic-files"),     FileName(".tll.xml"),
            QStringLiteral("--no-internal-links"), QStringLiteral("true"),
            QStringLiteral("--no-turnarounds"),    QStringLiteral("true"),
            QStringLiteral("--xml-validation"),    QStringLiteral("never"),
            QStringLiteral("--output-file"),       FileName(".net.xml")};
}

QStringList SumoArguments(int StepLogPeriod) {
    return {QStringLiteral("--configuration-file"),   FileName(".sumocfg"),
            QStringLiteral("--step-log.period"),      QString::number(StepLogPeriod),
            QStringLiteral("--duration-log.disable"), QStringLiteral("true")};
}

} // namespace SumoScenario
