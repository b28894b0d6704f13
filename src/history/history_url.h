// Where the history is kept: the database URL, its parser and the order in which the command
// line, the environment and the settings choose one.
#pragma once

#include <QString>
#include <optional>

namespace kavrin {

inline constexpr int kDefaultPostgresqlPort = 5432;
inline constexpr const char* kHistoryEnvironmentVariable = "KAVRIN_HISTORY";
inline constexpr const char* kHistorySettingsKey = "history/url";
inline constexpr const char* kNoHistoryUrl = "none";

enum class historyBackend { None, Sqlite, Postgresql };

// A parsed URL. There is never a password: libpq takes it from PGPASSWORD or ~/.pgpass, so it
// stays out of command lines, settings files and logs.
struct historyUrl {
    historyBackend backend = historyBackend::None;
    QString path; // SQLite
    QString user; // PostgreSQL
    QString host;
    int port = kDefaultPostgresqlPort;
    QString database;

    // The URL again, in the form the parser reads; for messages.
    QString text() const;
};

struct historyUrlResult {
    std::optional<historyUrl> url;
    QString error; // why the text was refused; empty when url is set
};

// `sqlite:PATH`, `postgresql://USER@HOST[:PORT]/DBNAME` or `none`.
historyUrlResult parseHistoryUrl(const QString& text);

// The URL that counts, strongest first: the command-line option, the environment variable, the
// settings key, then an SQLite file at defaultPath. A source that is set but empty counts as not
// set, so `KAVRIN_HISTORY=` does not turn the history off by accident (`none` does).
QString chooseHistoryUrl(const std::optional<QString>& option,
                         const std::optional<QString>& environment,
                         const std::optional<QString>& setting, const QString& defaultPath);

// history.sqlite in the per-user data directory.
QString defaultHistoryPath();

// chooseHistoryUrl over the option, KAVRIN_HISTORY, Kavrin's settings and the default path.
QString configuredHistoryUrl(const std::optional<QString>& option);

} // namespace kavrin
