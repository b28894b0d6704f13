// The history store over Qt SQL: one code path for SQLite and PostgreSQL, a schema_version
// table and the ordered migrations that lead an empty database up to the current schema.
#include "history/history_store.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <array>
#include <atomic>
#include <chrono>
#include <limits>
#include <thread>

namespace kavrin {
namespace {

Q_LOGGING_CATEGORY(lcHistory, "kavrin.history", QtWarningMsg)

const QString kSchemaVersionTable = QStringLiteral("schema_version");

// The PostgreSQL advisory lock on which migrations take turns. Advisory locks belong to one
// database, so only migrations of the same database wait for each other.
constexpr qint64 kMigrationLockKey = 0x4b61767269'6e4d; // "KavrinM"

// How often a switch to write-ahead logging that SQLite refused outright is tried again.
constexpr std::chrono::milliseconds kWalRetryPause{10};

// What differs between the servers; everything else is the same SQL.
struct Dialect {
    QString idColumn;
};

Dialect dialectOf(historyBackend backend) {
    if (backend == historyBackend::Postgresql) {
        return {QStringLiteral("BIGSERIAL PRIMARY KEY")};
    }
    return {QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")};
}

QStringList toVersion1(const Dialect& dialect) {
    return {
        QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
        QStringLiteral("INSERT INTO schema_version (version) VALUES (0)"),
        QStringLiteral("CREATE TABLE snapshot ("
                       "id %1, taken_at TEXT NOT NULL, host TEXT NOT NULL, "
                       "user_name TEXT NOT NULL, operation TEXT NOT NULL, outcome TEXT NOT NULL, "
                       "serial_no TEXT NOT NULL, model_no TEXT NOT NULL, "
                       "codeplug_layout INTEGER NOT NULL, band BIGINT NOT NULL, "
                       "detail TEXT NOT NULL, cells TEXT NOT NULL, supported TEXT NOT NULL, "
                       "cells_before TEXT, cells_after TEXT)")
            .arg(dialect.idColumn),
        QStringLiteral("CREATE INDEX snapshot_by_serial ON snapshot (serial_no, taken_at)"),
        QStringLiteral("CREATE INDEX snapshot_by_time ON snapshot (taken_at)"),
    };
}

// Migration N takes a database at version N - 1 to version N; a new schema is one more entry.
struct Migration {
    int version;
    QStringList (*statements)(const Dialect&);
};

constexpr std::array kMigrations{
    Migration{1, &toVersion1},
};

const QString kSummaryColumns =
    QStringLiteral("id, taken_at, host, user_name, operation, outcome, serial_no, model_no, "
                   "codeplug_layout, band, detail");

// A null QString binds as SQL NULL; a missing host or user name is stored as empty text.
QVariant text(const QString& value) {
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

QVariant nullableCells(const std::optional<CellGrid>& cells) {
    return cells ? QVariant(encodeCells(*cells)) : QVariant(QMetaType(QMetaType::QString));
}

// The summary columns of the current row, in kSummaryColumns' order; false for a value out of
// range.
bool readSummary(const QSqlQuery& query, historySnapshot& snapshot) {
    snapshot.id = query.value(0).toLongLong();
    snapshot.time = query.value(1).toString();
    snapshot.host = query.value(2).toString();
    snapshot.user = query.value(3).toString();
    snapshot.operation = query.value(4).toString();
    snapshot.outcome = query.value(5).toString();
    snapshot.serialNo = query.value(6).toString();
    snapshot.modelNo = query.value(7).toString();
    const qlonglong layout = query.value(8).toLongLong();
    const qlonglong band = query.value(9).toLongLong();
    snapshot.detail = query.value(10).toString();
    if (layout < std::numeric_limits<std::int32_t>::min() ||
        layout > std::numeric_limits<std::int32_t>::max() || band < 0 ||
        band > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    snapshot.codeplugLayout = static_cast<std::int32_t>(layout);
    snapshot.band = static_cast<std::uint32_t>(band);
    return true;
}

// SQLite refuses a lock that would deadlock at once instead of waiting: two processes that read
// a new file and switch it to write-ahead logging at the same moment each hold the shared lock
// the other's switch needs. The one refused tries again, within the same bound as any wait.
QString switchToWal(const QSqlDatabase& db) {
    const auto deadline = std::chrono::steady_clock::now() + kHistoryBusyTimeout;
    for (;;) {
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) && query.next()) {
            return query.value(0).toString().compare(u"wal", Qt::CaseInsensitive) == 0
                       ? QString()
                       : QStringLiteral("the journal stays in mode %1")
                             .arg(query.value(0).toString());
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return query.lastError().text();
        }
        query.finish();
        std::this_thread::sleep_for(kWalRetryPause);
    }
}

QString nextConnectionName() {
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("kavrin-history-%1").arg(counter.fetch_add(1));
}

} // namespace

historyStore::historyStore(const historyUrl& url) : url_(url) {
    error_ = open();
    if (!error_.isEmpty()) {
        qCWarning(lcHistory).noquote() << error_;
    }
}

historyStore::~historyStore() {
    if (connectionName_.isEmpty()) {
        return;
    }
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

int historyStore::currentSchemaVersion() {
    return kMigrations.back().version;
}

QString historyStore::failure(const QString& what, const QString& reason) const {
    return QStringLiteral("History database %1: %2: %3").arg(url_.text(), what, reason);
}

QString historyStore::open() {
    if (url_.backend == historyBackend::None) {
        return {};
    }
    const bool sqlite = url_.backend == historyBackend::Sqlite;
    const QString driver = sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        return failure(QStringLiteral("cannot open"),
                       QStringLiteral("Qt's %1 driver is not installed (Debian package %2)")
                           .arg(driver, sqlite ? QStringLiteral("libqt6sql6-sqlite")
                                               : QStringLiteral("libqt6sql6-psql")));
    }
    connectionName_ = nextConnectionName();
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, connectionName_);
    const auto timeoutMs = static_cast<long long>(kHistoryBusyTimeout.count());
    if (sqlite) {
        const QFileInfo file(url_.path);
        if (file.isDir()) {
            return failure(QStringLiteral("cannot open"), QStringLiteral("it is a folder"));
        }
        QDir().mkpath(file.absolutePath());
        db.setDatabaseName(url_.path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(timeoutMs));
    } else {
        db.setHostName(url_.host);
        db.setPort(url_.port);
        db.setUserName(url_.user);
        db.setDatabaseName(url_.database);
        // libpq counts whole seconds and takes its password from PGPASSWORD or ~/.pgpass.
        db.setConnectOptions(
            QStringLiteral("connect_timeout=%1")
                .arg(std::chrono::ceil<std::chrono::seconds>(kHistoryBusyTimeout).count()));
    }
    if (!db.open()) {
        return failure(QStringLiteral("cannot open"), db.lastError().text());
    }
    QSqlQuery query(db);
    if (sqlite) {
        // SQLite opens any file; the first read of its catalogue tells a database from anything
        // else, and reading changes nothing.
        if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            return failure(QStringLiteral("not a database, or damaged; left as it is"),
                           query.lastError().text());
        }
    } else if (!query.exec(QStringLiteral("SET statement_timeout = %1").arg(timeoutMs))) {
        return failure(QStringLiteral("cannot set the time limit"), query.lastError().text());
    }
    query.finish();

    if (QString refused = readSchemaVersion(); !refused.isEmpty()) {
        return refused;
    }
    // Readers never block the one writer, and a writer another bench holds up waits at most
    // the busy timeout. Set only once the database is known to be ours, as it rewrites the
    // file's header.
    if (sqlite) {
        if (QString reason = switchToWal(db); !reason.isEmpty()) {
            return failure(QStringLiteral("cannot switch to write-ahead logging"), reason);
        }
    }
    return migrate();
}

QString historyStore::readSchemaVersion() {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    const QStringList tables = db.tables();
    schemaVersion_ = 0;
    if (tables.contains(kSchemaVersionTable, Qt::CaseInsensitive)) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT version FROM schema_version")) || !query.next()) {
            return failure(QStringLiteral("cannot read the schema version"),
                           query.lastError().text());
        }
        schemaVersion_ = query.value(0).toInt();
    } else if (!tables.isEmpty()) {
        return failure(
            QStringLiteral("not a history database"),
            QStringLiteral("it holds other tables and no schema version; left as it is"));
    }
    if (schemaVersion_ > currentSchemaVersion()) {
        return failure(QStringLiteral("too new"),
                       QStringLiteral("its schema version is %1 and this Kavrin knows versions up "
                                      "to %2; use a newer Kavrin. The database is left as it is")
                           .arg(schemaVersion_)
                           .arg(currentSchemaVersion()));
    }
    return {};
}

QString historyStore::migrate() {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    const Dialect dialect = dialectOf(url_.backend);
    for (const Migration& migration : kMigrations) {
        if (migration.version <= schemaVersion_) {
            continue;
        }
        const auto what = [&] {
            return QStringLiteral("cannot migrate to schema version %1; left at %2")
                .arg(migration.version)
                .arg(schemaVersion_);
        };
        if (QString reason = beginMigration(db); !reason.isEmpty()) {
            return failure(what(), reason);
        }
        // Another process may have migrated between our first look and the lock; what counts
        // is what the database holds now.
        if (QString refused = readSchemaVersion(); !refused.isEmpty()) {
            db.rollback();
            return refused;
        }
        if (migration.version <= schemaVersion_) {
            db.rollback();
            continue;
        }
        QStringList statements = migration.statements(dialect);
        statements
            << QStringLiteral("UPDATE schema_version SET version = %1").arg(migration.version);
        for (const QString& statement : statements) {
            QSqlQuery query(db);
            if (!query.exec(statement)) {
                const QString reason = query.lastError().text();
                query.finish();
                db.rollback();
                return failure(what(), reason);
            }
        }
        if (!db.commit()) {
            const QString reason = db.lastError().text();
            db.rollback();
            return failure(what(), reason);
        }
        schemaVersion_ = migration.version;
    }
    return {};
}

QString historyStore::beginMigration(QSqlDatabase& db) const {
    QSqlQuery query(db);
    if (url_.backend == historyBackend::Sqlite) {
        // The write lock from the start: a deferred transaction would read the schema version
        // under a shared lock that a second migrating process could not wait its way past.
        return query.exec(QStringLiteral("BEGIN IMMEDIATE")) ? QString() : query.lastError().text();
    }
    if (!db.transaction()) {
        return db.lastError().text();
    }
    // PostgreSQL creates tables of the same name in two transactions at once and fails the
    // second only at its commit or on a catalogue key; this lock, released with the transaction,
    // makes migrations of one database take turns. It waits within the statement timeout.
    if (!query.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kMigrationLockKey))) {
        const QString reason = query.lastError().text();
        query.finish();
        db.rollback();
        return reason;
    }
    return {};
}

historyResult<std::int64_t> historyStore::add(const historySnapshot& snapshot) {
    if (!isOpen()) {
        return {std::nullopt, error_};
    }
    if (!keepsHistory()) {
        return {0, {}};
    }
    if (!snapshot.record) {
        return {std::nullopt,
                failure(QStringLiteral("snapshot not saved"), QStringLiteral("it has no record"))};
    }
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    const QString what = QStringLiteral("snapshot not saved");
    if (!db.transaction()) {
        const QString reason = failure(what, db.lastError().text());
        qCWarning(lcHistory).noquote() << reason;
        return {std::nullopt, reason};
    }
    std::int64_t id = 0;
    QString reason;
    {
        QSqlQuery query(db);
        // PostgreSQL already takes the table's lock to prepare, so a writer holding the table
        // makes the prepare time out; without this check the reason would be an EXECUTE of
        // nothing.
        const bool prepared = query.prepare(
            QStringLiteral("INSERT INTO snapshot (taken_at, host, user_name, operation, "
                           "outcome, serial_no, model_no, codeplug_layout, band, "
                           "detail, cells, supported, cells_before, cells_after) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                           "RETURNING id"));
        query.addBindValue(text(snapshot.time));
        query.addBindValue(text(snapshot.host));
        query.addBindValue(text(snapshot.user));
        query.addBindValue(text(snapshot.operation));
        query.addBindValue(text(snapshot.outcome));
        query.addBindValue(text(snapshot.serialNo));
        query.addBindValue(text(snapshot.modelNo));
        query.addBindValue(snapshot.codeplugLayout);
        query.addBindValue(static_cast<qlonglong>(snapshot.band));
        query.addBindValue(text(snapshot.detail));
        query.addBindValue(encodeCells(snapshot.record->cells));
        query.addBindValue(encodeSupported(snapshot.record->supported));
        query.addBindValue(nullableCells(snapshot.before));
        query.addBindValue(nullableCells(snapshot.after));
        if (prepared && query.exec() && query.next()) {
            id = query.value(0).toLongLong();
        } else {
            reason = query.lastError().text();
        }
    }
    if (reason.isEmpty() && !db.commit()) {
        reason = db.lastError().text();
    }
    if (!reason.isEmpty()) {
        db.rollback();
        reason = failure(what, reason);
        qCWarning(lcHistory).noquote() << reason;
        return {std::nullopt, reason};
    }
    return {id, {}};
}

historyResult<std::vector<historySnapshot>>
historyStore::list(const std::optional<QString>& serialNo) {
    if (!isOpen()) {
        return {std::nullopt, error_};
    }
    std::vector<historySnapshot> snapshots;
    if (!keepsHistory()) {
        return {snapshots, {}};
    }
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.setForwardOnly(true);
    const bool prepared = query.prepare(
        QStringLiteral("SELECT %1 FROM snapshot %2 ORDER BY taken_at DESC, id DESC")
            .arg(kSummaryColumns, serialNo ? QStringLiteral("WHERE serial_no = ?") : QString()));
    if (serialNo) {
        query.addBindValue(*serialNo);
    }
    if (!prepared || !query.exec()) {
        return {std::nullopt,
                failure(QStringLiteral("cannot list the snapshots"), query.lastError().text())};
    }
    while (query.next()) {
        historySnapshot snapshot;
        if (!readSummary(query, snapshot)) {
            return {std::nullopt, failure(QStringLiteral("snapshot %1").arg(snapshot.id),
                                          QStringLiteral("its layout or band is damaged"))};
        }
        snapshots.push_back(std::move(snapshot));
    }
    return {std::move(snapshots), {}};
}

historyResult<historySnapshot> historyStore::get(std::int64_t id) {
    if (!isOpen()) {
        return {std::nullopt, error_};
    }
    const QString what = QStringLiteral("snapshot %1").arg(id);
    if (!keepsHistory()) {
        return {std::nullopt, failure(what, QStringLiteral("no history is kept"))};
    }
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.setForwardOnly(true);
    const bool prepared =
        query.prepare(QStringLiteral("SELECT %1, cells, supported, cells_before, cells_after "
                                     "FROM snapshot WHERE id = ?")
                          .arg(kSummaryColumns));
    query.addBindValue(static_cast<qlonglong>(id));
    if (!prepared || !query.exec()) {
        return {std::nullopt, failure(what, query.lastError().text())};
    }
    if (!query.next()) {
        return {std::nullopt, failure(what, QStringLiteral("there is no snapshot with this id"))};
    }
    historySnapshot snapshot;
    const bool summaryOk = readSummary(query, snapshot);
    const auto cells = decodeCells(query.value(11).toString());
    const auto supported = decodeSupported(query.value(12).toString());
    std::optional<CellGrid> before;
    std::optional<CellGrid> after;
    bool changesOk = true;
    for (const auto& [column, grid] : {std::pair{13, &before}, std::pair{14, &after}}) {
        if (!query.value(column).isNull()) {
            *grid = decodeCells(query.value(column).toString());
            changesOk = changesOk && grid->has_value();
        }
    }
    if (!summaryOk || !cells || !supported || !changesOk) {
        return {std::nullopt, failure(what, QStringLiteral("its stored record is damaged"))};
    }
    snapshot.record = historyRecord{*cells, *supported};
    snapshot.before = before;
    snapshot.after = after;
    return {std::move(snapshot), {}};
}

historyResult<std::vector<historyRadio>> historyStore::radios() {
    if (!isOpen()) {
        return {std::nullopt, error_};
    }
    std::vector<historyRadio> radios;
    if (!keepsHistory()) {
        return {radios, {}};
    }
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.setForwardOnly(true);
    // The newest snapshot of each serial number through the (serial_no, taken_at) index; ties in
    // time go to the higher id, as in the list.
    if (!query.exec(QStringLiteral(
            "SELECT s.serial_no, s.model_no, s.taken_at, s.operation, c.n FROM snapshot s "
            "JOIN (SELECT serial_no, count(*) AS n, max(taken_at) AS newest FROM snapshot "
            "GROUP BY serial_no) c ON c.serial_no = s.serial_no AND c.newest = s.taken_at "
            "WHERE s.id = (SELECT max(id) FROM snapshot t WHERE t.serial_no = s.serial_no "
            "AND t.taken_at = c.newest) "
            "ORDER BY s.taken_at DESC, s.serial_no"))) {
        return {std::nullopt,
                failure(QStringLiteral("cannot list the radios"), query.lastError().text())};
    }
    while (query.next()) {
        radios.push_back(historyRadio{query.value(0).toString(), query.value(1).toString(),
                                      query.value(2).toString(), query.value(3).toString(),
                                      query.value(4).toLongLong()});
    }
    return {std::move(radios), {}};
}

} // namespace kavrin
