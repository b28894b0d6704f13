// The radio record: the one in-memory copy of the alignment data of the radio on the bench, with
// the tables that give its cells meaning (alignment types, the band frequency table and the
// layout of the softpot block in the codeplug).
#pragma once

#include "data/alignment_types.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kavrin {

inline constexpr std::size_t kGridSize = 32;
inline constexpr std::size_t kPointCount = 5;  // F1-F5
inline constexpr std::size_t kMiddlePoint = 2; // F3, the only point of the KTD types
inline constexpr std::size_t kBandCount = 13;
inline constexpr std::uint32_t kDefaultBand = 6;
inline constexpr std::uint32_t kMaxSoftpot = 63;

inline constexpr std::size_t kSerialNoSize = 10;
inline constexpr std::size_t kModelNoSize = 16;
inline constexpr const char* kNullSerialNo = "NULL      ";
inline constexpr const char* kNullModelNo = "NULL            ";
inline constexpr const char* kBlankSerialNo = "          ";
inline constexpr const char* kInvalidSerialNo = "Invalid";

// --- The softpot block in the codeplug -------------------------------------------------------
inline constexpr std::uint16_t kStandardBlockAddress = 0x1F00;
inline constexpr std::uint16_t kExtendedBlockAddress = 0x3F00;
inline constexpr std::size_t kBlockSize = 256;
inline constexpr std::size_t kModulationPointMaskOffset = 80;
inline constexpr std::size_t kPowerPointMaskOffset = 81;
inline constexpr std::size_t kReceivePointMaskOffset = 82;
inline constexpr std::size_t kBlockChecksumOffset = 109; // covers bytes 0-108

using BlockImage = std::array<std::uint8_t, kBlockSize>;

constexpr std::uint16_t blockAddress(std::int32_t codeplugLayout) {
    return codeplugLayout == 0 ? kStandardBlockAddress : kExtendedBlockAddress;
}

// The low eight bits of the sum of block bytes 0-108.
std::uint8_t blockChecksum(std::span<const std::uint8_t, kBlockSize> block);

// --- Cells -------------------------------------------------------------------------------------
struct Cell {
    std::size_t row;
    std::size_t column;
};

inline constexpr Cell kLayoutCodeCell{0, 0};
inline constexpr Cell kArchiveCell{0, 1};
inline constexpr Cell kBandCell{0, 2};
inline constexpr Cell kChannelOptionCell{0, 3};
inline constexpr Cell kArchiveCell2{0, 4};

inline constexpr std::uint32_t kStandardLayoutCode = 1;
inline constexpr std::uint32_t kExtendedLayoutCode = 2;

constexpr Cell pointCell(PointGroup group, std::size_t point) {
    switch (group) {
    case PointGroup::TxPower:
        return {0, 5 + point};
    case PointGroup::TxModulation:
        return {0, 10 + point};
    case PointGroup::Receive:
        break;
    }
    return {0, 15 + point};
}

// The softpot cell of a type at point i (a KTD type has one cell, at F3).
constexpr Cell softpotCell(const AlignmentTypeInfo& info, std::size_t point) {
    return {info.softpotRow,
            info.middlePointOnly ? info.firstSoftpotColumn : info.firstSoftpotColumn + point};
}

// --- The band frequency table ------------------------------------------------------------------
struct BandInfo {
    double transmitBase;
    std::array<std::uint8_t, kPointCount> transmitOffsets;
    double receiveBase;
    std::array<std::uint8_t, kPointCount> receiveOffsets;
};

inline constexpr std::array<BandInfo, kBandCount> kBandTable{{
    {100, {36, 50, 55, 63, 74}, 100, {36, 50, 55, 63, 74}},
    {200, {18, 20, 23, 0, 0}, 200, {18, 20, 23, 0, 0}},
    {200, {0, 0, 0, 45, 47}, 200, {0, 0, 0, 45, 47}},
    {300, {50, 0, 0, 0, 0}, 300, {50, 0, 0, 0, 0}},
    {300, {58, 66, 74, 82, 90}, 300, {58, 66, 74, 82, 90}},
    {400, {6, 16, 26, 36, 46}, 400, {6, 16, 26, 36, 46}},
    {400, {40, 50, 60, 70, 79}, 400, {40, 50, 60, 70, 79}},
    {0, {0, 0, 0, 0, 0}, 0, {0, 0, 0, 0, 0}},
    {400, {40, 50, 60, 70, 79}, 400, {40, 50, 60, 70, 79}},
    {0, {0, 0, 0, 0, 0}, 0, {0, 0, 0, 0, 0}},
    {400, {40, 50, 60, 70, 79}, 400, {40, 50, 60, 70, 79}},
    {400, {6, 16, 26, 36, 0}, 400, {6, 16, 26, 36, 0}},
    {400, {40, 50, 60, 70, 0}, 400, {40, 50, 60, 70, 0}},
}};

// The row of a band; a band outside the table has no points.
const BandInfo& bandInfo(std::uint32_t band);
const std::array<std::uint8_t, kPointCount>& bandOffsets(const BandInfo& band, PointGroup group);
double bandBase(const BandInfo& band, PointGroup group);

// --- The record ----------------------------------------------------------------------------------
class radioRecord {
public:
    radioRecord() { resetRecord(); }

    void resetRecord();

    std::uint32_t getCell(std::size_t row, std::size_t column) const;
    void setCell(std::size_t row, std::size_t column, std::uint32_t value);
    std::uint32_t getCell(Cell cell) const { return getCell(cell.row, cell.column); }
    void setCell(Cell cell, std::uint32_t value) { setCell(cell.row, cell.column, value); }

    bool isSupported(AlignmentFamily family) const;
    void clearSupported(AlignmentFamily family);

    const std::string& serialNo() const { return serialNo_; }
    const std::string& modelNo() const { return modelNo_; }
    void setSerialNo(std::string serialNo) { serialNo_ = std::move(serialNo); }
    void setModelNo(std::string modelNo) { modelNo_ = std::move(modelNo); }
    void resetIdentity();

    std::int32_t codeplugLayout() const { return codeplugLayout_; }
    void setCodeplugLayout(std::int32_t layout) { codeplugLayout_ = layout; }

    void setLayoutCode(std::uint32_t code);
    // The band of every table lookup: the default band until a read or an archive load sets it.
    // Clearing the record keeps it, as the radio on the bench has not changed its band.
    std::uint32_t band() const { return band_; }
    const BandInfo& bandInfo() const { return kavrin::bandInfo(band_); }
    void setBand(std::uint32_t band);
    void setChannelOption(std::uint32_t value) { setCell(kChannelOptionCell, value); }
    void setArchiveCell2(std::uint32_t value) { setCell(kArchiveCell2, value); }

    // Offset cell plus the base of the record's band, in MHz.
    double pointFrequency(PointGroup group, std::size_t point) const;
    bool anyPointPresent(PointGroup group) const;

private:
    std::int32_t codeplugLayout_ = 0;
    std::uint32_t band_ = kDefaultBand;
    std::string modelNo_;
    std::string serialNo_;
    std::array<std::array<std::uint32_t, kGridSize>, kGridSize> cells_{};
    std::array<bool, kFamilyCount> supported_{};
};

} // namespace kavrin
