// Reading, validating, finding and applying instrument profiles.
#include "instrument/instrument_profile.h"

#include "data/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cmath>
#include <map>
#include <set>

namespace kavrin {
namespace {

constexpr QStringView kProfileSuffix = u".json";
constexpr QStringView kInstrumentsFolder = u"instruments";
constexpr double kWattsPerMilliwatt = 1e-3;
constexpr double kHertzPerKilohertz = 1e3;
constexpr double kHertzPerMegahertz = 1e6;
constexpr double kDbmOfOneWatt = 30.0;
constexpr double kDecibelsPerDecade = 10.0;

QString keyText(std::string_view key) {
    return QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
}

// The line of every object key of a JSON text that QJsonDocument has accepted, by its path
// ("functions/measurePower/unit"), so that a value refused after parsing is told with its line.
class keyLines {
public:
    explicit keyLines(const QByteArray& json) : json_(json) { value(QString()); }

    // The line of `path`, else of its nearest ancestor that has one, else 1.
    int lineOf(QString path) const {
        while (!path.isEmpty()) {
            if (const auto it = lines_.find(path); it != lines_.end()) {
                return it->second;
            }
            const qsizetype slash = path.lastIndexOf(u'/');
            path = slash < 0 ? QString() : path.left(slash);
        }
        return 1;
    }

private:
    void skipSpace() {
        while (at_ < json_.size() && (json_[at_] == ' ' || json_[at_] == '\t' ||
                                      json_[at_] == '\r' || json_[at_] == '\n')) {
            if (json_[at_] == '\n') {
                ++line_;
            }
            ++at_;
        }
    }

    QString string() {
        QByteArray raw;
        ++at_; // the opening quote
        while (at_ < json_.size() && json_[at_] != '"') {
            if (json_[at_] == '\\') {
                raw += json_[at_++];
            }
            if (at_ < json_.size()) {
                raw += json_[at_++];
            }
        }
        ++at_; // the closing quote
        // Escapes come back as QJsonDocument reads them, so keys compare with what it gave.
        return QJsonDocument::fromJson("[\"" + raw + "\"]").array().at(0).toString();
    }

    void value(const QString& path) {
        skipSpace();
        if (at_ >= json_.size()) {
            return;
        }
        const char c = json_[at_];
        if (c == '{') {
            ++at_;
            for (;;) {
                skipSpace();
                if (at_ >= json_.size() || json_[at_] == '}') {
                    ++at_;
                    return;
                }
                if (json_[at_] == ',') {
                    ++at_;
                    continue;
                }
                const int line = line_;
                const QString key = string();
                const QString child = path.isEmpty() ? key : path + u'/' + key;
                lines_.emplace(child, line);
                skipSpace();
                ++at_; // the colon
                value(child);
            }
        }
        if (c == '[') {
            ++at_;
            for (;;) {
                skipSpace();
                if (at_ >= json_.size() || json_[at_] == ']') {
                    ++at_;
                    return;
                }
                if (json_[at_] == ',') {
                    ++at_;
                    continue;
                }
                value(path);
            }
        }
        if (c == '"') {
            string();
            return;
        }
        while (at_ < json_.size() && json_[at_] != ',' && json_[at_] != '}' && json_[at_] != ']' &&
               json_[at_] != ' ' && json_[at_] != '\n' && json_[at_] != '\r' &&
               json_[at_] != '\t') {
            ++at_;
        }
    }

    const QByteArray& json_;
    qsizetype at_ = 0;
    int line_ = 1;
    std::map<QString, int> lines_;
};

// A refusal at the line of `path`.
struct refusal {
    QString path;
    QString reason;
};

std::optional<int> wholeNumber(const QJsonValue& value) {
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (number != std::floor(number) || std::abs(number) > 1e9) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

// Checks each {placeholder} of `text` against what the function takes.
std::optional<refusal> checkPlaceholders(const QString& text, const functionRow& row,
                                         const QString& path) {
    static const QRegularExpression braces(QStringLiteral("\\{([^{}]*)\\}"));
    bool hasPlaceholder = false;
    auto matches = braces.globalMatch(text);
    QString rest = text;
    while (matches.hasNext()) {
        const auto match = matches.next();
        const QString name = match.captured(1);
        const auto known =
            std::find_if(kPlaceholders.begin(), kPlaceholders.end(),
                         [&](const placeholderRow& p) { return keyText(p.name) == name; });
        if (known == kPlaceholders.end()) {
            return refusal{path, QStringLiteral("unknown placeholder {%1}").arg(name)};
        }
        if (!row.value || known->value != *row.value) {
            return refusal{path, QStringLiteral("the placeholder {%1} does not belong to %2")
                                     .arg(name, keyText(row.key))};
        }
        hasPlaceholder = true;
        rest.replace(match.captured(0), QString());
    }
    if (rest.contains(u'{') || rest.contains(u'}')) {
        return refusal{path, QStringLiteral("a \"{\" or \"}\" that is no placeholder")};
    }
    if (row.value && !hasPlaceholder) {
        return refusal{
            path, QStringLiteral("%1 needs a placeholder for its value").arg(keyText(row.key))};
    }
    return std::nullopt;
}

// A command or query is one line of printable text.
std::optional<refusal> checkLine(const QJsonValue& value, const QString& path) {
    if (!value.isString() || value.toString().trimmed().isEmpty()) {
        return refusal{path, QStringLiteral("a command text is needed")};
    }
    for (const QChar c : value.toString()) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e) {
            return refusal{path, QStringLiteral("a command is one line of printable ASCII")};
        }
    }
    return std::nullopt;
}

std::optional<refusal> readFunction(const QJsonObject& object, const functionRow& row,
                                    const QString& path, functionProfile& out) {
    std::set<QString> allowed;
    const QString textKey =
        row.kind == functionKind::Command ? QStringLiteral("command") : QStringLiteral("query");
    allowed.insert(textKey);
    if (row.kind == functionKind::Measurement) {
        allowed.insert({QStringLiteral("field"), QStringLiteral("unit"),
                        QStringLiteral("reliabilityField"), QStringLiteral("validValue"),
                        QStringLiteral("invalidAtOrAbove")});
    }
    if (row.value == placeholderValue::Switch) {
        allowed.insert({QStringLiteral("on"), QStringLiteral("off")});
    }
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!allowed.contains(it.key())) {
            return refusal{
                path + u'/' + it.key(),
                QStringLiteral("unknown key \"%1\" in %2").arg(it.key(), keyText(row.key))};
        }
    }
    if (!object.contains(textKey)) {
        return refusal{path, QStringLiteral("%1 has no \"%2\"").arg(keyText(row.key), textKey)};
    }
    if (auto bad = checkLine(object[textKey], path + u'/' + textKey)) {
        return bad;
    }
    out.text = object[textKey].toString();
    if (auto bad = checkPlaceholders(out.text, row, path + u'/' + textKey)) {
        return bad;
    }
    if (row.value == placeholderValue::Switch) {
        for (const auto& [key, target] : {std::pair{QStringLiteral("on"), &out.onText},
                                          std::pair{QStringLiteral("off"), &out.offText}}) {
            if (object.contains(key)) {
                if (auto bad = checkLine(object[key], path + u'/' + key)) {
                    return bad;
                }
                *target = object[key].toString();
            }
        }
    }
    if (row.kind != functionKind::Measurement) {
        return std::nullopt;
    }

    const auto fieldIndex = [&](const QString& key) -> std::optional<int> {
        const auto index = wholeNumber(object[key]);
        if (!index || *index < 0 || *index >= kMaxReplyFields) {
            return std::nullopt;
        }
        return index;
    };
    if (!object.contains(u"field")) {
        return refusal{path, QStringLiteral("%1 has no \"field\"").arg(keyText(row.key))};
    }
    const auto field = fieldIndex(QStringLiteral("field"));
    if (!field) {
        return refusal{path + QStringLiteral("/field"),
                       QStringLiteral("bad field index: a whole number from 0 to %1 is needed")
                           .arg(kMaxReplyFields - 1)};
    }
    out.field = *field;

    if (!object.contains(u"unit")) {
        return refusal{path, QStringLiteral("%1 has no \"unit\"").arg(keyText(row.key))};
    }
    const QString unit = object[u"unit"].toString();
    QStringList units;
    bool unitFound = false;
    for (const auto& candidate : kReadingUnits) {
        if (candidate.function != row.function) {
            continue;
        }
        units << keyText(candidate.name);
        if (keyText(candidate.name) == unit) {
            out.unit = candidate.unit;
            unitFound = true;
        }
    }
    if (!unitFound) {
        return refusal{path + QStringLiteral("/unit"),
                       QStringLiteral("bad unit \"%1\" for %2 (it takes %3)")
                           .arg(unit, keyText(row.key), units.join(u", "))};
    }

    if (object.contains(u"reliabilityField")) {
        const auto reliability = fieldIndex(QStringLiteral("reliabilityField"));
        if (!reliability || *reliability == out.field) {
            return refusal{path + QStringLiteral("/reliabilityField"),
                           QStringLiteral("bad field index: a whole number from 0 to %1 that is "
                                          "not the reading's field is needed")
                               .arg(kMaxReplyFields - 1)};
        }
        out.reliabilityField = reliability;
    }
    if (object.contains(u"validValue")) {
        if (!out.reliabilityField) {
            return refusal{path + QStringLiteral("/validValue"),
                           QStringLiteral("\"validValue\" needs a \"reliabilityField\"")};
        }
        const auto valid = wholeNumber(object[u"validValue"]);
        if (!valid) {
            return refusal{path + QStringLiteral("/validValue"),
                           QStringLiteral("a whole number is needed")};
        }
        out.validValue = *valid;
    }
    if (object.contains(u"invalidAtOrAbove")) {
        if (!object[u"invalidAtOrAbove"].isDouble()) {
            return refusal{path + QStringLiteral("/invalidAtOrAbove"),
                           QStringLiteral("a number is needed")};
        }
        out.invalidAtOrAbove = object[u"invalidAtOrAbove"].toDouble();
    }
    if (!out.reliabilityField && !out.invalidAtOrAbove) {
        return refusal{path, QStringLiteral("%1 does not say how an invalid reading is recognised "
                                            "(\"reliabilityField\" or \"invalidAtOrAbove\")")
                                 .arg(keyText(row.key))};
    }
    return std::nullopt;
}

std::optional<refusal> readProfile(const QJsonObject& root, instrumentProfile& out) {
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key() != u"format" && it.key() != u"description" && it.key() != u"functions") {
            return refusal{it.key(), QStringLiteral("unknown key \"%1\"").arg(it.key())};
        }
    }
    if (wholeNumber(root[u"format"]) != kProfileFormat) {
        return refusal{QStringLiteral("format"),
                       QStringLiteral("\"format\": %1 is needed; this program reads no other")
                           .arg(kProfileFormat)};
    }
    // A text, or its lines as an array of texts, since JSON has no comments to explain a file in.
    const QJsonValue description = root[u"description"];
    if (description.isArray()) {
        QStringList lines;
        for (const QJsonValue line : description.toArray()) {
            if (!line.isString()) {
                return refusal{QStringLiteral("description"), QStringLiteral("texts are needed")};
            }
            lines << line.toString();
        }
        out.description = lines.join(u'\n');
    } else if (description.isString() || description.isUndefined()) {
        out.description = description.toString();
    } else {
        return refusal{QStringLiteral("description"), QStringLiteral("a text is needed")};
    }
    if (!root[u"functions"].isObject()) {
        return refusal{QStringLiteral("functions"),
                       QStringLiteral("an object \"functions\" is needed")};
    }
    const QJsonObject functions = root[u"functions"].toObject();
    for (auto it = functions.begin(); it != functions.end(); ++it) {
        const bool known =
            std::any_of(kMonitorFunctions.begin(), kMonitorFunctions.end(),
                        [&](const functionRow& s) { return keyText(s.key) == it.key(); });
        if (!known) {
            return refusal{QStringLiteral("functions/") + it.key(),
                           QStringLiteral("unknown function \"%1\"").arg(it.key())};
        }
    }
    for (const auto& row : kMonitorFunctions) {
        const QString key = keyText(row.key);
        const QString path = QStringLiteral("functions/") + key;
        if (!functions.contains(key)) {
            return refusal{QStringLiteral("functions"),
                           QStringLiteral("missing function \"%1\"").arg(key)};
        }
        if (!functions[key].isObject()) {
            return refusal{path, QStringLiteral("%1 is to be an object").arg(key)};
        }
        if (auto bad = readFunction(functions[key].toObject(), row, path,
                                    out.functions[static_cast<std::size_t>(row.function)])) {
            return bad;
        }
    }
    return std::nullopt;
}

int lineAtOffset(const QByteArray& json, qsizetype offset) {
    return static_cast<int>(json.left(offset).count('\n')) + 1;
}

instrumentProfileResult refused(const QString& path, int line, const QString& reason) {
    return {std::nullopt,
            QStringLiteral("%1:%2: %3").arg(QDir::toNativeSeparators(path)).arg(line).arg(reason)};
}

// Fixed decimals without the zeros a number does not need: 451.0125, not 451.012500.
QString decimal(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0')) {
            text.chop(1);
        }
        if (text.endsWith(u'.')) {
            text.chop(1);
        }
    }
    return text == u"-0" ? QStringLiteral("0") : text;
}

} // namespace

double toMonitorUnit(readingUnit unit, double reading) {
    switch (unit) {
    case readingUnit::Watt:
    case readingUnit::Kilohertz:
    case readingUnit::Decibel:
        return reading;
    case readingUnit::Milliwatt:
        return reading * kWattsPerMilliwatt;
    case readingUnit::Dbm:
        return std::pow(10.0, (reading - kDbmOfOneWatt) / kDecibelsPerDecade);
    case readingUnit::Hertz:
        return reading / kHertzPerKilohertz;
    }
    return reading;
}

instrumentProfileResult parseInstrumentProfile(const QByteArray& json, const QString& path) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        return refused(path, lineAtOffset(json, error.offset), error.errorString());
    }
    if (!document.isObject()) {
        return refused(path, 1, QStringLiteral("a profile is a JSON object"));
    }
    instrumentProfile profile;
    profile.path = path;
    profile.name = QFileInfo(path).completeBaseName();
    if (const auto bad = readProfile(document.object(), profile)) {
        return refused(path, keyLines(json).lineOf(bad->path), bad->reason);
    }
    return {std::move(profile), {}};
}

instrumentProfileResult loadInstrumentProfile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {std::nullopt, QStringLiteral("Cannot read the instrument profile %1: %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString())};
    }
    return parseInstrumentProfile(file.readAll(), path);
}

instrumentProfileResult findInstrumentProfile(const QString& nameOrFile) {
    if (nameOrFile.contains(u'/') || nameOrFile.endsWith(kProfileSuffix)) {
        return loadInstrumentProfile(nameOrFile);
    }
    if (nameOrFile.isEmpty() || nameOrFile.startsWith(u'.')) {
        return {std::nullopt,
                QStringLiteral("\"%1\" is no instrument profile name").arg(nameOrFile)};
    }
    const QString fileName = nameOrFile + kProfileSuffix.toString();
    for (const QString& folder : {userProfilesDirectory(), shippedProfilesDirectory()}) {
        const QString path = QDir(folder).filePath(fileName);
        if (QFileInfo::exists(path)) {
            return loadInstrumentProfile(path);
        }
    }
    return {std::nullopt, QStringLiteral("There is no instrument profile \"%1\" in %2 or %3")
                              .arg(nameOrFile, QDir::toNativeSeparators(userProfilesDirectory()),
                                   QDir::toNativeSeparators(shippedProfilesDirectory()))};
}

QString shippedProfilesDirectory() {
    const QString beside =
        QDir(programDataFolder(QDir(QCoreApplication::applicationDirPath()).filesystemPath()))
            .filePath(kInstrumentsFolder.toString());
    if (QFileInfo(beside).isDir()) {
        return beside;
    }
    return QStringLiteral(KAVRIN_SOURCE_INSTRUMENTS_DIR);
}

QString userProfilesDirectory() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(kInstrumentsFolder.toString());
}

QString expandCommand(monitorFunction function, const functionProfile& profile, double value) {
    QString text = profile.text;
    for (const auto& placeholder : kPlaceholders) {
        if (placeholder.value != rowOf(function).value) {
            continue;
        }
        QString written;
        if (placeholder.name == "hz") {
            written = QString::number(std::llround(value * kHertzPerMegahertz));
        } else if (placeholder.name == "khz") {
            written = decimal(value * kHertzPerKilohertz, 3);
        } else if (placeholder.name == "mhz") {
            written = decimal(value, 6);
        } else if (placeholder.name == "dbm") {
            written = decimal(value, 2);
        } else {
            written = value != 0.0 ? profile.onText : profile.offText;
        }
        text.replace(u'{' + keyText(placeholder.name) + u'}', written);
    }
    return text;
}

} // namespace kavrin
