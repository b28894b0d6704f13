// The radio record: the one in-memory copy of the alignment data of the radio on the bench, with
// the tables that give its cells meaning (alignment types, the band frequency table and the
// layout of the softpot block in the codeplug).
#pragma once

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

// The three groups of frequency points; each point cell holds an offset in MHz from the band's
// base, or 0 when the radio does not use the point.
enum class PointGroup { TxPower, TxModulation, Receive };

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

// --- Families and alignment types --------------------------------------------------------------
enum class AlignmentFamily { TxPower, TxModulation, RxSquelch };
inline constexpr std::size_t kFamilyCount = 3;

enum class AlignmentType {
    TxHighPower,
    TxLowPower,
    TxModulation125KHz,
    TxModulation20KHz,
    TxModulation25KHz,
    TxKtd125KHz,
    TxKtd20KHz,
    TxKtd25KHz,
    RxSquelchNbandNormal,
    RxSquelchNbandTight,
    RxSquelchSbandNormal,
    RxSquelchSbandTight,
    RxSquelch20KbandNormal,
    RxSquelch20KbandTight,
};
inline constexpr std::size_t kAlignmentTypeCount = 14;

struct AlignmentTypeInfo {
    AlignmentType type;
    AlignmentFamily family;
    std::size_t softpotRow;
    std::size_t firstSoftpotColumn; // F1, or the one cell of a KTD type
    PointGroup points;
    bool middlePointOnly;    // the KTD types have only F3
    std::size_t firstOffset; // block offset at F1 (at F3 for a KTD type)
    std::size_t offsetStep;  // block offset distance between points
    int selection;           // Tx power level, Tx modulation kind or Rx squelch level
    int bandwidth;           // Rx squelch bandwidth 1-3; 0 elsewhere
    int screenId;
    int menuCommand;
};

// One row per alignment screen, in the order of the AlignmentType enumeration.
inline constexpr std::array<AlignmentTypeInfo, kAlignmentTypeCount> kAlignmentTypes{{
    {AlignmentType::TxHighPower, AlignmentFamily::TxPower, 1, 0, PointGroup::TxPower, false, 22, 2,
     1, 0, 2, 32808},
    {AlignmentType::TxLowPower, AlignmentFamily::TxPower, 1, 5, PointGroup::TxPower, false, 23, 2,
     2, 0, 3, 32809},
    {AlignmentType::TxModulation125KHz, AlignmentFamily::TxModulation, 2, 0,
     PointGroup::TxModulation, false, 2, 4, 1, 0, 4, 32811},
    {AlignmentType::TxModulation20KHz, AlignmentFamily::TxModulation, 2, 5,
     PointGroup::TxModulation, false, 4, 4, 2, 0, 5, 32812},
    {AlignmentType::TxModulation25KHz, AlignmentFamily::TxModulation, 2, 10,
     PointGroup::TxModulation, false, 3, 4, 3, 0, 6, 32813},
    {AlignmentType::TxKtd125KHz, AlignmentFamily::TxModulation, 2, 15, PointGroup::TxModulation,
     true, 62, 0, 4, 0, 18, 32825},
    {AlignmentType::TxKtd20KHz, AlignmentFamily::TxModulation, 2, 17, PointGroup::TxModulation,
     true, 64, 0, 6, 0, 19, 32827},
    {AlignmentType::TxKtd25KHz, AlignmentFamily::TxModulation, 2, 16, PointGroup::TxModulation,
     true, 63, 0, 5, 0, 20, 32829},
    {AlignmentType::RxSquelchNbandNormal, AlignmentFamily::RxSquelch, 3, 0, PointGroup::Receive,
     false, 32, 2, 1, 1, 7, 32814},
    {AlignmentType::RxSquelchNbandTight, AlignmentFamily::RxSquelch, 3, 5, PointGroup::Receive,
     false, 33, 2, 2, 1, 8, 32815},
    {AlignmentType::RxSquelchSbandNormal, AlignmentFamily::RxSquelch, 3, 10, PointGroup::Receive,
     false, 42, 2, 1, 2, 9, 32816},
    {AlignmentType::RxSquelchSbandTight, AlignmentFamily::RxSquelch, 3, 15, PointGroup::Receive,
     false, 43, 2, 2, 2, 10, 32817},
    {AlignmentType::RxSquelch20KbandNormal, AlignmentFamily::RxSquelch, 3, 20, PointGroup::Receive,
     false, 52, 2, 1, 3, 16, 32822},
    {AlignmentType::RxSquelch20KbandTight, AlignmentFamily::RxSquelch, 3, 25, PointGroup::Receive,
     false, 53, 2, 2, 3, 17, 32823},
}};

constexpr const AlignmentTypeInfo& alignmentType(AlignmentType type) {
    return kAlignmentTypes[static_cast<std::size_t>(type)];
}

// The softpot cell of a type at point i (a KTD type has one cell, at F3).
constexpr Cell softpotCell(const AlignmentTypeInfo& info, std::size_t point) {
    return {info.softpotRow,
            info.middlePointOnly ? info.firstSoftpotColumn : info.firstSoftpotColumn + point};
}

// The block offset of a type's softpot at point i.
constexpr std::size_t blockOffset(const AlignmentTypeInfo& info, std::size_t point) {
    return info.middlePointOnly ? info.firstOffset : info.firstOffset + info.offsetStep * point;
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

// The process-wide band of every table lookup: 6 until a read or an archive load sets it.
std::uint32_t currentBand();
void setCurrentBand(std::uint32_t band);
// The row of currentBand; a band outside the table has no points.
const BandInfo& currentBandInfo();

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
    void setBand(std::uint32_t band);
    void setChannelOption(std::uint32_t value) { setCell(kChannelOptionCell, value); }
    void setArchiveCell2(std::uint32_t value) { setCell(kArchiveCell2, value); }

    // Offset cell plus the base of currentBand, in MHz.
    double pointFrequency(PointGroup group, std::size_t point) const;
    bool anyPointPresent(PointGroup group) const;

private:
    std::int32_t codeplugLayout_ = 0;
    std::string modelNo_;
    std::string serialNo_;
    std::array<std::array<std::uint32_t, kGridSize>, kGridSize> cells_{};
    std::array<bool, kFamilyCount> supported_{};
};

} // namespace kavrin
