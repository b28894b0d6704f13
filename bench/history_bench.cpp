// The history store at a busy shop's size: 100,000 snapshots of 1,000 radios in SQLite. What the
// technician waits for: the History window's radio list (opening the store included), one
// radio's snapshots, the records of a 100-snapshot chart, and recording one more snapshot.
#include "history/history_store.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace kavrin;
using Clock = std::chrono::steady_clock;

constexpr int kRadios = 1000;
constexpr int kSnapshotsPerRadio = 100;
constexpr int kSnapshotsPerTransaction = 20000;
// Every fifth snapshot records a change, with the grids before and after it.
constexpr int kChangeEvery = 5;

constexpr double kWindowGoalMs = 200.0; // radio list + one radio's list + the chart's records
constexpr double kAddGoalMs = 5.0;

QString serialOf(int radio) {
    return QStringLiteral("R%1").arg(radio, 9, 10, QLatin1Char('0'));
}

// A grid like a radio's: softpot values of three and four digits, different for every snapshot.
CellGrid gridOf(int seed) {
    CellGrid cells{};
    for (std::size_t i = 0; i < cells.size(); ++i) {
        cells[i] =
            static_cast<std::uint32_t>((i * 7919U + static_cast<std::size_t>(seed) * 31U) % 4096U);
    }
    return cells;
}

// Snapshot `n` of `radio`, n = 0 the oldest; one a day, the radios' days interleaved.
historySnapshot snapshotOf(int radio, int n) {
    historySnapshot snapshot;
    const auto taken = QDateTime(QDate(2020, 1, 1), QTime(8, 0), Qt::UTC)
                           .addSecs(static_cast<qint64>(n) * 86400 + radio * 30);
    snapshot.time = taken.toString(Qt::ISODateWithMs);
    snapshot.host = QStringLiteral("bench-%1").arg(radio % 7);
    snapshot.user = QStringLiteral("tech%1").arg(radio % 5);
    const bool change = n % kChangeEvery == 0;
    snapshot.operation = QString::fromLatin1(change ? kOperationProgramAll : kOperationRead);
    snapshot.outcome = QString::fromLatin1(kOutcomeSucceeded);
    snapshot.detail = QStringLiteral(""); // a null text would bind as SQL NULL
    snapshot.serialNo = serialOf(radio);
    snapshot.modelNo = QStringLiteral("AAH25RDC9JA2AN  ");
    snapshot.codeplugLayout = 1;
    snapshot.band = 3;
    historyRecord record;
    record.cells = gridOf(radio * kSnapshotsPerRadio + n);
    record.supported.fill(true);
    snapshot.record = record;
    if (change) {
        snapshot.detail = QStringLiteral("TX Power High: F1 F3");
        snapshot.before = gridOf(radio * kSnapshotsPerRadio + n - 1);
        snapshot.after = record.cells;
    }
    return snapshot;
}

// Fills the store's database through a connection of its own, in a few large transactions:
// the store commits every snapshot alone, which would make the filling, not the figures, the
// long part of the run.
bool fill(const QString& path) {
    const QString name = QStringLiteral("fill");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery query(db);
        ok = ok && query.prepare(QStringLiteral(
                       "INSERT INTO snapshot (taken_at, host, user_name, operation, outcome, "
                       "serial_no, model_no, codeplug_layout, band, detail, cells, supported, "
                       "cells_before, cells_after) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                       "?, ?)"));
        const QVariant noGrid{QMetaType(QMetaType::QString)};
        int written = 0;
        // Oldest first across all radios, as a shop records them.
        for (int n = 0; ok && n < kSnapshotsPerRadio; ++n) {
            for (int radio = 0; ok && radio < kRadios; ++radio) {
                if (written % kSnapshotsPerTransaction == 0) {
                    ok = (written == 0 || db.commit()) && db.transaction();
                }
                const historySnapshot s = snapshotOf(radio, n);
                for (const QVariant& value :
                     {QVariant(s.time), QVariant(s.host), QVariant(s.user), QVariant(s.operation),
                      QVariant(s.outcome), QVariant(s.serialNo), QVariant(s.modelNo),
                      QVariant(s.codeplugLayout), QVariant(static_cast<qlonglong>(s.band)),
                      QVariant(s.detail), QVariant(encodeCells(s.record->cells)),
                      QVariant(encodeSupported(s.record->supported)),
                      s.before ? QVariant(encodeCells(*s.before)) : noGrid,
                      s.after ? QVariant(encodeCells(*s.after)) : noGrid}) {
                    query.addBindValue(value);
                }
                ok = query.exec();
                ++written;
            }
        }
        ok = ok && db.commit();
        if (!ok) {
            std::fprintf(stderr, "filling failed: %s\n", qPrintable(query.lastError().text()));
        }
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

double medianMs(int runs, const std::function<void(int)>& step) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        step(i);
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::nth_element(samples.begin(), samples.begin() + runs / 2, samples.end());
    return samples[static_cast<std::size_t>(runs / 2)];
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

} // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    const historyUrl url = *parseHistoryUrl(QStringLiteral("sqlite:") + path).url;
    {
        const historyStore store(url); // the schema
        if (!store.isOpen()) {
            std::fprintf(stderr, "%s\n", qPrintable(store.error()));
            return 1;
        }
    }
    const auto fillStart = Clock::now();
    if (!fill(path)) {
        return 1;
    }
    std::printf("filled %d snapshots of %d radios in %.1f s\n", kRadios * kSnapshotsPerRadio,
                kRadios, std::chrono::duration<double>(Clock::now() - fillStart).count());

    bool failed = false;
    const double radiosMs = medianMs(11, [&](int) {
        historyStore store(url);
        const auto radios = store.radios();
        failed = failed || !radios || radios.value->size() != kRadios;
    });

    historyStore store(url);
    const QString serial = serialOf(kRadios / 2);
    std::vector<std::int64_t> chartIds;
    const double listMs = medianMs(51, [&](int) {
        const auto listed = store.list(serial);
        failed = failed || !listed || listed.value->size() != kSnapshotsPerRadio;
        if (listed && chartIds.empty()) {
            for (const auto& snapshot : *listed.value) {
                chartIds.push_back(snapshot.id);
            }
        }
    });
    const double chartMs = medianMs(21, [&](int) {
        for (const std::int64_t id : chartIds) {
            failed = failed || !store.get(id);
        }
    });
    const double addMs = medianMs(101, [&](int i) {
        failed = failed || !store.add(snapshotOf(i % kRadios, kSnapshotsPerRadio + i));
    });
    if (failed) {
        std::fprintf(stderr, "a store call failed or returned the wrong count\n");
        return 1;
    }

    const double windowMs = radiosMs + listMs + chartMs;
    std::printf("open the store and list the radios   median %8.2f ms\n", radiosMs);
    std::printf("list one radio's %d snapshots        median %8.2f ms\n", kSnapshotsPerRadio,
                listMs);
    std::printf("get the %zu records of a chart        median %8.2f ms\n", chartIds.size(),
                chartMs);
    std::printf("  the History window together               %8.2f ms  (goal < %.0f ms: %s)\n",
                windowMs, kWindowGoalMs, verdict(windowMs < kWindowGoalMs));
    std::printf("add one snapshot                     median %8.2f ms  (goal < %.0f ms: %s)\n",
                addMs, kAddGoalMs, verdict(addMs < kAddGoalMs));
    return 0;
}
