// The history store: one database connection with Kavrin's own versioned schema, which it
// creates and migrates itself, and the snapshots in it. Every failure is a value with its
// reason; nothing here throws or shows anything.
#pragma once

#include "history/history_snapshot.h"
#include "history/history_url.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

class QSqlDatabase;

namespace kavrin {

// The longest a write waits for another writer (another bench, another process) before it
// gives up: the radio work it records must not wait longer.
inline constexpr std::chrono::milliseconds kHistoryBusyTimeout{2000};

template <typename T> struct historyResult {
    std::optional<T> value;
    QString error; // why value is empty

    explicit operator bool() const { return value.has_value(); }
};

// One radio of the history: its serial number and its newest snapshot.
struct historyRadio {
    QString serialNo;
    QString modelNo;  // as the newest snapshot has it
    QString lastTime; // the newest snapshot's time
    QString lastOperation;
    std::int64_t snapshotCount = 0;
};

class historyStore {
public:
    // Opens the database and brings its schema up to date. A database it cannot use (not a
    // database, a newer schema, a server that refuses) is left exactly as it was, and every call
    // below reports why.
    explicit historyStore(const historyUrl& url);
    ~historyStore();
    historyStore(const historyStore&) = delete;
    historyStore& operator=(const historyStore&) = delete;

    static int currentSchemaVersion();

    bool isOpen() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    // False for `none`, where every add is accepted and nothing is kept.
    bool keepsHistory() const { return url_.backend != historyBackend::None; }
    int schemaVersion() const { return schemaVersion_; }

    // Stores a snapshot in one transaction; its id is the new snapshot's (0 for `none`).
    historyResult<std::int64_t> add(const historySnapshot& snapshot);
    // Snapshots newest first, of one serial number (as stored, padding included) or of all;
    // without their records.
    historyResult<std::vector<historySnapshot>> list(const std::optional<QString>& serialNo = {});
    // One snapshot with its record.
    historyResult<historySnapshot> get(std::int64_t id);
    // Every radio with its last service, the most recently serviced first.
    historyResult<std::vector<historyRadio>> radios();

private:
    QString open();
    // Reads schemaVersion_; the refusal of a database that is not ours or too new.
    QString readSchemaVersion();
    QString migrate();
    // A transaction that no other process's migration of the same database runs beside.
    QString beginMigration(QSqlDatabase& db) const;
    QString failure(const QString& what, const QString& reason) const;

    historyUrl url_;
    QString connectionName_;
    QString error_;
    int schemaVersion_ = 0;
};

} // namespace kavrin
