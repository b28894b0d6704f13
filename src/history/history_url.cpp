// Parsing and choosing the history database URL.
#include "history/history_url.h"

#include "data/settings_names.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>
#include <algorithm>

namespace kavrin {
namespace {

constexpr QStringView kSqlitePrefix = u"sqlite:";
constexpr QStringView kPostgresqlPrefix = u"postgresql://";
constexpr int kMaxPort = 65535;

historyUrlResult refused(const QString& text, const QString& reason) {
    return {std::nullopt, QStringLiteral("The history URL \"%1\" is not valid: %2. Use "
                                         "sqlite:PATH, postgresql://USER@HOST:PORT/DBNAME or none.")
                              .arg(text, reason)};
}

historyUrlResult parsePostgresql(const QString& text) {
    const QString rest = text.mid(kPostgresqlPrefix.size());
    const qsizetype slash = rest.indexOf(u'/');
    if (slash < 0) {
        return refused(text, QStringLiteral("the database name is missing"));
    }
    const QString authority = rest.left(slash);
    const QString database = rest.mid(slash + 1);
    if (database.isEmpty()) {
        return refused(text, QStringLiteral("the database name is missing"));
    }
    if (database.contains(u'/') || database.contains(u'?') || database.contains(u'#')) {
        return refused(text, QStringLiteral("the database name \"%1\" has a character that a "
                                            "name cannot have")
                                 .arg(database));
    }
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at <= 0) {
        return refused(text, QStringLiteral("the user name is missing (USER@HOST)"));
    }
    const QString user = authority.left(at);
    if (user.contains(u':')) {
        return refused(text, QStringLiteral("a password does not belong in the URL; put it in "
                                            "PGPASSWORD or ~/.pgpass"));
    }
    QString hostPort = authority.mid(at + 1);
    QString host;
    QString portText;
    if (hostPort.startsWith(u'[')) { // an IPv6 address: [::1]:5432
        const qsizetype close = hostPort.indexOf(u']');
        if (close < 0) {
            return refused(text, QStringLiteral("the host's \"[\" has no \"]\""));
        }
        host = hostPort.mid(1, close - 1);
        const QString after = hostPort.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(u':')) {
            return refused(text, QStringLiteral("only a port may follow the host"));
        }
        portText = after.isEmpty() ? QString() : after.mid(1);
        if (after == u":") {
            return refused(text, QStringLiteral("the port after \":\" is missing"));
        }
    } else {
        const qsizetype colon = hostPort.indexOf(u':');
        host = colon < 0 ? hostPort : hostPort.left(colon);
        if (colon >= 0) {
            portText = hostPort.mid(colon + 1);
            if (portText.isEmpty()) {
                return refused(text, QStringLiteral("the port after \":\" is missing"));
            }
        }
    }
    if (host.isEmpty()) {
        return refused(text, QStringLiteral("the host is missing"));
    }
    historyUrl url;
    url.backend = historyBackend::Postgresql;
    url.user = user;
    url.host = host;
    url.database = database;
    if (!portText.isEmpty()) {
        bool ok = false;
        const int port = portText.toInt(&ok);
        const bool digitsOnly =
            std::all_of(portText.begin(), portText.end(), [](QChar c) { return c.isDigit(); });
        if (!ok || !digitsOnly || port < 1 || port > kMaxPort) {
            return refused(text, QStringLiteral("the port \"%1\" is not a number from 1 to %2")
                                     .arg(portText)
                                     .arg(kMaxPort));
        }
        url.port = port;
    }
    return {url, {}};
}

} // namespace

QString historyUrl::text() const {
    switch (backend) {
    case historyBackend::None:
        return QString::fromLatin1(kNoHistoryUrl);
    case historyBackend::Sqlite:
        return kSqlitePrefix.toString() + path;
    case historyBackend::Postgresql:
        break;
    }
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    return QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, shownHost).arg(port).arg(database);
}

historyUrlResult parseHistoryUrl(const QString& text) {
    if (text == QLatin1String(kNoHistoryUrl)) {
        return {historyUrl{}, {}};
    }
    if (text.startsWith(kSqlitePrefix)) {
        historyUrl url;
        url.backend = historyBackend::Sqlite;
        url.path = text.mid(kSqlitePrefix.size());
        if (url.path.isEmpty()) {
            return refused(text, QStringLiteral("the file name after \"sqlite:\" is missing"));
        }
        return {url, {}};
    }
    if (text.startsWith(kPostgresqlPrefix)) {
        return parsePostgresql(text);
    }
    if (text.isEmpty()) {
        return refused(text, QStringLiteral("it is empty"));
    }
    return refused(text, QStringLiteral("the kind of database is unknown"));
}

QString chooseHistoryUrl(const std::optional<QString>& option,
                         const std::optional<QString>& environment,
                         const std::optional<QString>& setting, const QString& defaultPath) {
    for (const auto* source : {&option, &environment, &setting}) {
        if (*source && !(*source)->trimmed().isEmpty()) {
            return **source;
        }
    }
    return kSqlitePrefix.toString() + defaultPath;
}

QString defaultHistoryPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("history.sqlite"));
}

QString configuredHistoryUrl(const std::optional<QString>& option) {
    const auto present = [](const QString& value) {
        return value.isNull() ? std::nullopt : std::optional<QString>(value);
    };
    const QSettings settings(QString::fromUtf8(kSettingsOrganizationName),
                             QString::fromUtf8(kSettingsApplicationName));
    const QVariant setting = settings.value(QString::fromUtf8(kHistorySettingsKey));
    return chooseHistoryUrl(option, present(qEnvironmentVariable(kHistoryEnvironmentVariable)),
                            setting.isValid() ? std::optional<QString>(setting.toString())
                                              : std::nullopt,
                            defaultHistoryPath());
}

} // namespace kavrin
