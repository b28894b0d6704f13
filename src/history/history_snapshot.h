// One snapshot of the history: who did what to which radio and when, with the radio's whole
// record, and the one text encoding in which its cells are stored.
#pragma once

#include "data/radio_history.h"
#include "data/radio_record.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace kavrin {

inline constexpr std::size_t kCellCount = kGridSize * kGridSize;

// The record's grid, row by row: cell (row, column) is at row * kGridSize + column.
using CellGrid = std::array<std::uint32_t, kCellCount>;

// What a snapshot keeps of a radioRecord besides the identity, layout and band, which are the
// snapshot's own fields.
struct historyRecord {
    CellGrid cells{};
    std::array<bool, kFamilyCount> supported{};
};

struct historySnapshot {
    std::int64_t id = 0; // given by the store
    QString time;        // UTC, ISO 8601 with milliseconds
    QString host;
    QString user;
    QString operation;
    QString outcome;
    QString serialNo;
    QString modelNo;
    std::int32_t codeplugLayout = 0;
    std::uint32_t band = kDefaultBand;
    QString detail;
    std::optional<historyRecord> record; // the store's list leaves it out
    std::optional<CellGrid> before;      // for operations that change the radio
    std::optional<CellGrid> after;
};

CellGrid cellsOf(const radioRecord& record);

// A snapshot of the record as it is now, taken here by this user, without an id.
historySnapshot makeSnapshot(const radioRecord& record, const QString& operation,
                             const QString& outcome);

// The radioRecord a snapshot keeps: identical in every cell, supported flag, identity, layout
// and band to the one it was made from. Empty when the snapshot was listed without its record.
std::optional<radioRecord> restoreRecord(const historySnapshot& snapshot);

// The stored form of a grid: the 1024 cells in grid order as decimal numbers separated by
// commas. Plain text, so that any SQL client can read it; the decoder takes exactly that and
// nothing else.
QString encodeCells(const CellGrid& cells);
std::optional<CellGrid> decodeCells(const QString& text);

// The supported flags as one '1' or '0' per family, in family order.
QString encodeSupported(const std::array<bool, kFamilyCount>& supported);
std::optional<std::array<bool, kFamilyCount>> decodeSupported(const QString& text);

} // namespace kavrin
