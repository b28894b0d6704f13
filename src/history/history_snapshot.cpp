// Snapshots made from and turned back into radio records, and the encoding of their cells.
#include "history/history_snapshot.h"

#include <QDateTime>
#include <QDir>
#include <QSysInfo>
#include <QtGlobal>
#include <algorithm>
#include <cstdint>

namespace kavrin {

CellGrid cellsOf(const radioRecord& record) {
    CellGrid cells{};
    for (std::size_t row = 0; row < kGridSize; ++row) {
        for (std::size_t column = 0; column < kGridSize; ++column) {
            cells[row * kGridSize + column] = record.getCell(row, column);
        }
    }
    return cells;
}

historySnapshot makeSnapshot(const radioRecord& record, const QString& operation,
                             const QString& outcome) {
    historySnapshot snapshot;
    snapshot.time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    snapshot.host = QSysInfo::machineHostName();
    snapshot.user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    if (snapshot.user.isEmpty()) {
        // A service or container may set neither; the home folder is named after the user.
        snapshot.user = QDir::home().dirName();
    }
    snapshot.operation = operation;
    snapshot.outcome = outcome;
    snapshot.serialNo = QString::fromStdString(record.serialNo());
    snapshot.modelNo = QString::fromStdString(record.modelNo());
    snapshot.codeplugLayout = record.codeplugLayout();
    snapshot.band = record.band();
    historyRecord kept;
    kept.cells = cellsOf(record);
    for (std::size_t family = 0; family < kFamilyCount; ++family) {
        kept.supported[family] = record.isSupported(static_cast<AlignmentFamily>(family));
    }
    snapshot.record = kept;
    return snapshot;
}

std::optional<radioRecord> restoreRecord(const historySnapshot& snapshot) {
    if (!snapshot.record) {
        return std::nullopt;
    }
    radioRecord record;
    // The band first: setBand writes its cell, and the grid below must have the last word on
    // every cell, even one that disagrees with the band.
    record.setBand(snapshot.band);
    for (std::size_t row = 0; row < kGridSize; ++row) {
        for (std::size_t column = 0; column < kGridSize; ++column) {
            record.setCell(row, column, snapshot.record->cells[row * kGridSize + column]);
        }
    }
    for (std::size_t family = 0; family < kFamilyCount; ++family) {
        if (!snapshot.record->supported[family]) {
            record.clearSupported(static_cast<AlignmentFamily>(family));
        }
    }
    record.setSerialNo(snapshot.serialNo.toStdString());
    record.setModelNo(snapshot.modelNo.toStdString());
    record.setCodeplugLayout(snapshot.codeplugLayout);
    return record;
}

QString encodeCells(const CellGrid& cells) {
    QString text;
    text.reserve(static_cast<qsizetype>(kCellCount) * 3);
    for (std::size_t i = 0; i < kCellCount; ++i) {
        if (i != 0) {
            text += u',';
        }
        text += QString::number(cells[i]);
    }
    return text;
}

std::optional<CellGrid> decodeCells(const QString& text) {
    const QStringList parts = text.split(u',');
    if (static_cast<std::size_t>(parts.size()) != kCellCount) {
        return std::nullopt;
    }
    CellGrid cells{};
    for (std::size_t i = 0; i < kCellCount; ++i) {
        const QString& part = parts[static_cast<qsizetype>(i)];
        const bool digitsOnly =
            !part.isEmpty() &&
            std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        bool ok = false;
        const qulonglong value = part.toULongLong(&ok);
        if (!digitsOnly || !ok || value > UINT32_MAX) {
            return std::nullopt;
        }
        cells[i] = static_cast<std::uint32_t>(value);
    }
    return cells;
}

QString encodeSupported(const std::array<bool, kFamilyCount>& supported) {
    QString text;
    for (const bool flag : supported) {
        text += flag ? u'1' : u'0';
    }
    return text;
}

std::optional<std::array<bool, kFamilyCount>> decodeSupported(const QString& text) {
    if (static_cast<std::size_t>(text.size()) != kFamilyCount) {
        return std::nullopt;
    }
    std::array<bool, kFamilyCount> supported{};
    for (std::size_t i = 0; i < kFamilyCount; ++i) {
        const QChar c = text[static_cast<qsizetype>(i)];
        if (c != u'0' && c != u'1') {
            return std::nullopt;
        }
        supported[i] = c == u'1';
    }
    return supported;
}

} // namespace kavrin
