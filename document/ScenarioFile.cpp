#include "document/ScenarioFile.h"

#include "document/WholeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

namespace ScenarioFile {

namespace {

struct JunctionKey {
    const char *Name;
    std::int32_t JunctionSetting::*Field;
};

constexpr JunctionKey JunctionKeys[] = {
    {"cycleTime", &JunctionSetting::CycleTime},
    {"offset", &JunctionSetting::CycleOffset},
    {"percentRed", &JunctionSetting::PercentRed},
    {"percentGreen", &JunctionSetting::PercentGreen},
    {"redSeconds", &JunctionSetting::RedTime},
    {"greenSeconds", &JunctionSetting::GreenTime},
    {"yellowSeconds", &JunctionSetting::YellowTime},
    {"top", &JunctionSetting::Top},
};

struct GroupKey {
    const char *Group;
    const char *Name;
    std::int32_t Scenario::*Field;
};

constexpr GroupKey GroupKeys[] = {
    {"southbound", "volume", &Scenario::SouthboundVolume},
    {"southbound", "speed", &Scenario::SouthboundSpeed},
    {"northbound", "volume", &Scenario::NorthboundVolume},
    {"northbound", "speed", &Scenario::NorthboundSpeed},
    {"crossroad2", "enteringPercent", &Scenario::EnteringPercent},
    {"crossroad2", "enteringMaximum", &Scenario::EnteringMaximum},
    {"crossroad5", "leavingPercent", &Scenario::LeavingPercent},
};

// Reading stops at the first problem, which is kept here.
class Reader {
  public:
    bool Failed() const { return !FProblem.isEmpty(); }
    const QString &Problem() const { return FProblem; }

    void Fail(const QString &Key, const QString &What) {
        if (!Failed()) {
            FProblem = QStringLiteral("\"%1\" %2").arg(Key, What);
        }
    }

    std::int32_t Whole(const QJsonObject &Object, const QString &Key, const QString &Shown) {
        const auto it = Object.find(Key);
        if (it == Object.end()) {
            Fail(Shown, QStringLiteral("is missing"));
            return 0;
        }
        const double value = it->toDouble(std::numeric_limits<double>::quiet_NaN());
        if (!it->isDouble() || value != std::trunc(value)) {
            Fail(Shown, QStringLiteral("must be a whole number"));
            return 0;
        }
        // Every field is far smaller; this keeps the checks' arithmetic within its range.
        if (std::abs(value) > 1e9) {
            Fail(Shown, QStringLiteral("is out of range"));
            return 0;
        }
        return static_cast<std::int32_t>(value);
    }

    QJsonObject Object(const QJsonObject &Parent, const QString &Key) {
        const auto it = Parent.find(Key);
        if (it == Parent.end()) {
            Fail(Key, QStringLiteral("is missing"));
        } else if (!it->isObject()) {
            Fail(Key, QStringLiteral("must be an object"));
        }
        return it == Parent.end() ? QJsonObject() : it->toObject();
    }

    void OnlyKnown(const QJsonObject &Object, const QStringList &Known, const QString &Prefix) {
        for (auto it = Object.begin(); it != Object.end(); ++it) {
            if (!Known.contains(it.key())) {
                Fail(Prefix + it.key(), QStringLiteral("is not a key of the format"));
            }
        }
    }

  private:
    QString FProblem;
};

int LineOf(const QByteArray &Bytes, int Offset) {
    return 1 + static_cast<int>(Bytes.left(Offset).count('\n'));
}

// The parser keeps the last of a key given twice; a scenario must not depend on which one a
// reader keeps, so a parsed document is scanned once more for repeated keys. The document is
// known to be well-formed here. Gives the first repeated key's path, or an empty string.
QString RepeatedKey(const QByteArray &Bytes) {
    struct Level {
        bool IsObject = false;
        int Index = 0;      // of the next array element
        QString Path;       // of the container
        QStringList Keys;   // seen in an object
        QString PendingKey; // the key whose value comes next
        bool ExpectKey = false;
    };
    QList<Level> levels;
    const auto childPath = [](const Level &level) {
        if (level.IsObject) {
            return level.Path.isEmpty() ? level.PendingKey : level.Path + '.' + level.PendingKey;
        }
        return QStringLiteral("%1[%2]").arg(level.Path).arg(level.Index + 1);
    };
    for (qsizetype i = 0; i < Bytes.size(); ++i) {
        const char c = Bytes[i];
        if (c == '"') {
            const qsizetype start = ++i;
            while (i < Bytes.size() && Bytes[i] != '"') {
                i += Bytes[i] == '\\' ? 2 : 1;
            }
            if (!levels.isEmpty() && levels.last().IsObject && levels.last().ExpectKey) {
                Level &level = levels.last();
                // Decoded, so that an escaped spelling of a key is the same key.
                const QJsonDocument quoted =
                    QJsonDocument::fromJson('[' + Bytes.mid(start - 1, i - start + 2) + ']');
                const QString key = quoted.array().at(0).toString();
                level.PendingKey = key;
                level.ExpectKey = false;
                if (level.Keys.contains(key)) {
                    return childPath(level);
                }
                level.Keys.append(key);
            }
        } else if (c == '{' || c == '[') {
            Level inner;
            inner.IsObject = c == '{';
            inner.ExpectKey = inner.IsObject;
            inner.Path = levels.isEmpty() ? QString() : childPath(levels.last());
            levels.append(inner);
        } else if (c == '}' || c == ']') {
            levels.removeLast();
        } else if (c == ',' && !levels.isEmpty()) {
            Level &level = levels.last();
            if (level.IsObject) {
                level.ExpectKey = true;
            } else {
                ++level.Index;
            }
        }
    }
    return QString();
}

} // namespace

QByteArray ToJson(const Scenario &s) {
    QJsonObject root;
    root.insert("format", QString::fromLatin1(FormatName));
    root.insert("version", FormatVersion);
    QJsonObject groups[4];
    const char *names[4] = {"southbound", "northbound", "crossroad2", "crossroad5"};
    for (const GroupKey &key : GroupKeys) {
        for (int g = 0; g < 4; ++g) {
            if (qstrcmp(key.Group, names[g]) == 0) {
                groups[g].insert(key.Name, s.*key.Field);
            }
        }
    }
    for (int g = 0; g < 4; ++g) {
        root.insert(names[g], groups[g]);
    }
    QJsonArray junctions;
    for (int k = 1; k <= JunctionCount; ++k) {
        QJsonObject junction;
        for (const JunctionKey &key : JunctionKeys) {
            junction.insert(key.Name, s.Junctions[k].*key.Field);
        }
        junctions.append(junction);
    }
    root.insert("junctions", junctions);
    root.insert("measures", QJsonObject{{"delayUnit",
                                         QString::fromLatin1(DelayUnitCaption(s.ShownDelayUnit))}});
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

ReadResult FromJson(const QByteArray &Bytes, const ScenarioBounds &Bounds) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(Bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        // A lone value (null, a number, a string) is JSON, but holds no scenario.
        const QJsonDocument wrapped = QJsonDocument::fromJson('[' + Bytes + ']');
        if (wrapped.isArray() && wrapped.array().size() == 1) {
            return {std::nullopt,
                    QStringLiteral("the document is %1, not a JSON object")
                        .arg(wrapped.array().at(0).isNull() ? QStringLiteral("null")
                                                            : QStringLiteral("a single value"))};
        }
        return {std::nullopt, QStringLiteral("line %1: %2 (not a JSON document, or cut short)")
                                  .arg(LineOf(Bytes, error.offset))
                                  .arg(error.errorString())};
    }
    if (!document.isObject()) {
        return {std::nullopt, QStringLiteral("the document is not a JSON object")};
    }
    if (const QString repeated = RepeatedKey(Bytes); !repeated.isEmpty()) {
        return {std::nullopt, QStringLiteral("\"%1\" is given twice").arg(repeated)};
    }
    const QJsonObject root = document.object();
    Reader read;
    if (root.value("format").toString() != QLatin1StringView(FormatName)) {
        return {std::nullopt,
                QStringLiteral("\"format\" is not \"%1\": this is not a scenario file")
                    .arg(QLatin1StringView(FormatName))};
    }
    const std::int32_t version = read.Whole(root, "version", "version");
    if (!read.Failed() && version > FormatVersion) {
        return {std::nullopt, QStringLiteral("version %1 is newer than this program reads (%2)")
                                  .arg(version)
                                  .arg(FormatVersion)};
    }
    if (!read.Failed() && version < 1) {
        read.Fail("version", QStringLiteral("must be 1 or more"));
    }
    read.OnlyKnown(root,
                   {"format", "version", "southbound", "northbound", "crossroad2", "crossroad5",
                    "junctions", "measures"},
                   QString());

    Scenario s;
    QStringList groupsSeen;
    for (const GroupKey &key : GroupKeys) {
        const QString group = QString::fromLatin1(key.Group);
        const QJsonObject object = read.Object(root, group);
        s.*key.Field = read.Whole(object, key.Name, group + '.' + key.Name);
        if (!groupsSeen.contains(group)) {
            groupsSeen.append(group);
            QStringList known;
            for (const GroupKey &other : GroupKeys) {
                if (group == QLatin1StringView(other.Group)) {
                    known.append(QString::fromLatin1(other.Name));
                }
            }
            read.OnlyKnown(object, known, group + '.');
        }
    }
    const QJsonValue junctions = root.value("junctions");
    if (!junctions.isArray()) {
        read.Fail("junctions", junctions.isUndefined() ? QStringLiteral("is missing")
                                                       : QStringLiteral("must be an array"));
    } else if (junctions.toArray().size() != JunctionCount) {
        read.Fail("junctions", QStringLiteral("must hold %1 junctions").arg(JunctionCount));
    } else {
        QStringList known;
        for (const JunctionKey &key : JunctionKeys) {
            known.append(QString::fromLatin1(key.Name));
        }
        for (int k = 1; k <= JunctionCount; ++k) {
            const QString prefix = QStringLiteral("junctions[%1]").arg(k);
            const QJsonValue value = junctions.toArray().at(k - 1);
            if (!value.isObject()) {
                read.Fail(prefix, QStringLiteral("must be an object"));
                break;
            }
            const QJsonObject junction = value.toObject();
            for (const JunctionKey &key : JunctionKeys) {
                s.Junctions[k].*key.Field = read.Whole(junction, key.Name, prefix + '.' + key.Name);
            }
            read.OnlyKnown(junction, known, prefix + '.');
        }
    }
    const QJsonObject measures = read.Object(root, "measures");
    read.OnlyKnown(measures, {"delayUnit"}, "measures.");
    bool unitKnown = false;
    for (const DelayUnit unit : {DelayUnit::Seconds, DelayUnit::Minutes, DelayUnit::Hours}) {
        if (measures.value("delayUnit").toString() == QLatin1StringView(DelayUnitCaption(unit))) {
            s.ShownDelayUnit = unit;
            unitKnown = true;
        }
    }
    if (!unitKnown) {
        read.Fail("measures.delayUnit", QStringLiteral("must be \"sec\", \"min\" or \"hrs\""));
    }
    if (read.Failed()) {
        return {std::nullopt, read.Problem()};
    }
    if (const auto problem = FirstProblem(s, Bounds)) {
        return {std::nullopt, QStringLiteral("\"%1\": %2")
                                  .arg(QString::fromStdString(problem->Key),
                                       QString::fromStdString(problem->What))};
    }
    return {s, QString()};
}

ReadResult Read(const QString &Path, const ScenarioBounds &Bounds) {
    const QString name = QFileInfo(Path).fileName();
    const auto refused = [&name](const QString &problem) {
        return ReadResult{
            std::nullopt,
            QStringLiteral("\u201c%1\u201d cannot be opened: %2.").arg(name, problem)};
    };
    // A pipe or a device would block the window on the read, or never end: only a regular
    // file is opened.
    const QFileInfo info(Path);
    if (info.exists() && !info.isFile()) {
        return refused(info.isDir() ? QStringLiteral("it is a folder")
                                    : QStringLiteral("it is not a regular file"));
    }
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly)) {
        return refused(file.errorString());
    }
    if (file.isSequential()) {
        return refused(QStringLiteral("it is not a regular file"));
    }
    if (file.size() > MaxFileBytes) {
        return refused(QStringLiteral("it is %1 bytes, too large for a scenario").arg(file.size()));
    }
    // Read one byte past the limit, in case the size was not known (a pipe, a device).
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (bytes.size() > MaxFileBytes) {
        return refused(QStringLiteral("it is too large for a scenario"));
    }
    ReadResult result = FromJson(bytes, Bounds);
    if (!result.Settings) {
        return refused(result.Problem);
    }
    return result;
}

QString Write(const QString &Path, const Scenario &Settings) {
    const QString name = QFileInfo(Path).fileName();
    const QString why = WriteWholeFile(Path, ToJson(Settings));
    if (!why.isEmpty()) {
        return QStringLiteral(
                   "\u201c%1\u201d could not be saved: %2. The file on disk is unchanged.")
            .arg(name, why);
    }
    return QString();
}

} // namespace ScenarioFile
