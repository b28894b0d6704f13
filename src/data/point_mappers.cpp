// Test channels, live requests and codeplug addresses of the alignment points.
#include "data/point_mappers.h"

#include "data/text_exception.h"

namespace kavrin {

namespace {

// Frequencies in units of 10 Hz keep every step of the synthesizer arithmetic exact.
constexpr std::int64_t kPerMHz = 100000;
constexpr std::int64_t kStep800kHz = 80000;
constexpr std::int64_t kStep6_25kHz = 625;
constexpr std::int64_t kFirstOffset = 4510000; // 45.1 MHz
constexpr std::uint32_t kLastHighSideBand = 2; // bands 0-2 put the first frequency above

constexpr std::uint8_t kBandwidth12_5 = 0;
constexpr std::uint8_t kBandwidth25 = 1;
constexpr std::uint8_t kBandwidth20 = 3;

constexpr const char* kPowerProgramText = "When programming Tx Power Softpots, it's no High/Low "
                                          "Power Level and Low/Middle/High Frequency point.";
constexpr const char* kPowerAssignText = "When assignFrequency Tx Power, it's no High/Low Power "
                                         "Level and Low/Middle/High Frequency point.";
constexpr const char* kModulationProgramText =
    "When programming Tx Modulation Softpots, it's no 12.5/20/25KHz Modulation and "
    "Low/Middle/High Frequency point.";
constexpr const char* kModulationAssignText =
    "When assignFrequency Tx Modulation, it's no 12.5/20/25KHz Modulation and Low/Middle/High "
    "Frequency point.";
constexpr const char* kSquelchProgramText =
    "When programming Rx Squelch Softpots, it's no Rx Squelch NBand/SBand/20KBand, Normal/Tight "
    "and Low/Middle/High Frequency point.";
constexpr const char* kSquelchAssignText =
    "When assignFrequency Rx Squelch, it's no Rx Squelch NBand/SBand/20KBand, Normal/Tight and "
    "Low/Middle/High Frequency point.";

// Tx modulation kinds 1-6: the alignment type of each kind and its bandwidth code.
struct ModulationKind {
    AlignmentType type;
    std::uint8_t bandwidthCode;
};
constexpr std::array<ModulationKind, 6> kModulationKinds{{
    {AlignmentType::TxModulation125KHz, kBandwidth12_5},
    {AlignmentType::TxModulation20KHz, kBandwidth20},
    {AlignmentType::TxModulation25KHz, kBandwidth25},
    {AlignmentType::TxKtd125KHz, kBandwidth12_5},
    {AlignmentType::TxKtd25KHz, kBandwidth25},
    {AlignmentType::TxKtd20KHz, kBandwidth20},
}};
constexpr std::array<std::uint8_t, 3> kSquelchBandwidthCodes{kBandwidth12_5, kBandwidth25,
                                                             kBandwidth20};

void splitFrequency(std::int64_t frequency, std::uint8_t& low, std::uint8_t& high,
                    std::uint8_t& remainder) {
    const auto steps = static_cast<std::uint16_t>(frequency / kStep800kHz);
    low = static_cast<std::uint8_t>(steps & 0xFFu);
    high = static_cast<std::uint8_t>(steps >> 8);
    remainder = static_cast<std::uint8_t>((frequency % kStep800kHz) / kStep6_25kHz);
}

std::uint8_t lowByte(std::uint32_t value) {
    return static_cast<std::uint8_t>(value & 0xFFu);
}

void writeByte(commandSetBase& link, std::uint16_t address, std::uint32_t value) {
    const std::uint8_t byte = lowByte(value);
    link.writeCodeplug(&byte, address, 1);
}

std::uint16_t softpotAddress(const radioRecord& record, const AlignmentTypeInfo& type,
                             std::size_t point) {
    // The KTD softpots exist in the extended layout only, so they are addressed there always.
    const std::uint16_t base =
        type.middlePointOnly ? kExtendedBlockAddress : blockAddress(record.codeplugLayout());
    return static_cast<std::uint16_t>(base + blockOffset(type, point));
}

const AlignmentTypeInfo& squelchType(int bandwidth, int level) {
    const auto index = static_cast<std::size_t>(AlignmentType::RxSquelchNbandNormal) +
                       static_cast<std::size_t>(2 * (bandwidth - 1) + (level - 1));
    return kAlignmentTypes[index];
}

} // namespace

TestChannelRecord testChannelRecord(std::uint32_t band, std::size_t record) {
    TestChannelRecord out{};
    const std::size_t point = record % kReceiveRecordBase;
    if (band >= kBandTable.size() || record >= 2 * kReceiveRecordBase) {
        return out;
    }
    const auto& row = kBandTable[band];
    const auto group = record < kReceiveRecordBase ? PointGroup::TxPower : PointGroup::Receive;
    const auto offset = bandOffsets(row, group)[point];
    if (offset == 0) {
        return out;
    }
    const auto frequency = (static_cast<std::int64_t>(bandBase(row, group)) + offset) * kPerMHz;
    const auto first =
        band <= kLastHighSideBand ? frequency + kFirstOffset : frequency - kFirstOffset;
    splitFrequency(first, out.firstWordLow, out.firstWordHigh, out.firstRemainder);
    splitFrequency(frequency, out.secondWordLow, out.secondWordHigh, out.secondRemainder);
    out.nibbleLow = 1;
    out.nibbleHigh = 1;
    return out;
}

std::uint8_t squelchOption(std::uint32_t channelOption) {
    return channelOption < kSquelchOptionTable.size() ? kSquelchOptionTable[channelOption] : 0;
}

std::optional<std::size_t> pointOfOffset(const BandInfo& band, PointGroup group,
                                         std::uint32_t offset) {
    const auto& offsets = bandOffsets(band, group);
    for (std::size_t i = 0; i < kPointCount; ++i) {
        if (offsets[i] == offset) {
            return i;
        }
    }
    return std::nullopt;
}

// --- Tx power --------------------------------------------------------------------------------

void txPowerMapper::assignFrequency(std::uint32_t offset, const radioRecord& record,
                                    testModeCommands& link) {
    offset_ = offset;
    const auto point = pointOfOffset(record.bandInfo(), PointGroup::TxPower, offset);
    if ((level_ != 1 && level_ != 2) || !point) {
        throw textException(kPowerAssignText);
    }
    auto channel = testChannelRecord(record.band(), *point);
    channel.levelBit = level_ == 1 ? 1 : 0;
    channel.bandwidthCode = 0;
    channel.optionBits = kPointOptionByte;
    link.setTestChannel(channel);
    link.setModulationSoftpot(lowByte(
        record.getCell(softpotCell(alignmentType(AlignmentType::TxModulation125KHz), *point))));
    const auto type = level_ == 1 ? AlignmentType::TxHighPower : AlignmentType::TxLowPower;
    link.setPowerSoftpot(lowByte(record.getCell(softpotCell(alignmentType(type), *point))));
}

WrittenOffsets txPowerMapper::programSoftpot(const radioRecord& record, std::uint32_t value,
                                             commandSetBase& link) {
    const auto point = pointOfOffset(record.bandInfo(), PointGroup::TxPower, offset_);
    if ((level_ != 1 && level_ != 2) || !point) {
        throw textException(kPowerProgramText);
    }
    const auto& high = alignmentType(AlignmentType::TxHighPower);
    const auto& low = alignmentType(AlignmentType::TxLowPower);
    const auto& chosen = level_ == 1 ? high : low;
    const auto& other = level_ == 1 ? low : high;
    WrittenOffsets written;
    writeByte(link, softpotAddress(record, chosen, *point), value);
    written.add(blockOffset(chosen, *point));
    // With a channel option the radio keeps both power levels of a point alike.
    if (record.getCell(kChannelOptionCell) != 0) {
        writeByte(link, softpotAddress(record, other, *point), value);
        written.add(blockOffset(other, *point));
    }
    return written;
}

void txPowerMapper::sendSoftpot(std::uint32_t value, testModeCommands& link) {
    link.setPowerSoftpot(lowByte(value));
}

// --- Tx modulation -----------------------------------------------------------------------------

namespace {
std::optional<std::size_t> modulationPoint(const BandInfo& band, int kind, std::uint32_t offset) {
    if (kind < 1 || kind > static_cast<int>(kModulationKinds.size())) {
        return std::nullopt;
    }
    const auto point = pointOfOffset(band, PointGroup::TxModulation, offset);
    const auto& type = alignmentType(kModulationKinds[static_cast<std::size_t>(kind - 1)].type);
    if (point && type.middlePointOnly && *point != kMiddlePoint) {
        return std::nullopt;
    }
    return point;
}
} // namespace

void txModulationMapper::assignFrequency(std::uint32_t offset, const radioRecord& record,
                                         testModeCommands& link) {
    offset_ = offset;
    const auto point = modulationPoint(record.bandInfo(), kind_, offset);
    if (!point) {
        throw textException(kModulationAssignText);
    }
    const auto& kind = kModulationKinds[static_cast<std::size_t>(kind_ - 1)];
    const auto& type = alignmentType(kind.type);
    auto channel = testChannelRecord(record.band(), *point);
    channel.levelBit = 0;
    channel.bandwidthCode = kind.bandwidthCode;
    channel.optionBits = kPointOptionByte;
    link.setTestChannel(channel);
    const auto softpot = lowByte(record.getCell(softpotCell(type, *point)));
    if (type.middlePointOnly) {
        link.setSignallingSoftpot(softpot);
        return;
    }
    link.setModulationSoftpot(softpot);
    link.setPowerSoftpot(
        lowByte(record.getCell(softpotCell(alignmentType(AlignmentType::TxLowPower), *point))));
}

WrittenOffsets txModulationMapper::programSoftpot(const radioRecord& record, std::uint32_t value,
                                                  commandSetBase& link) {
    const auto point = modulationPoint(record.bandInfo(), kind_, offset_);
    if (!point) {
        throw textException(kModulationProgramText);
    }
    const auto& type = alignmentType(kModulationKinds[static_cast<std::size_t>(kind_ - 1)].type);
    writeByte(link, softpotAddress(record, type, *point), value);
    WrittenOffsets written;
    written.add(blockOffset(type, *point));
    return written;
}

void txModulationMapper::sendSoftpot(std::uint32_t value, testModeCommands& link) {
    if (kind_ >= 4) {
        link.setSignallingSoftpot(lowByte(value));
    } else {
        link.setModulationSoftpot(lowByte(value));
    }
}

// --- Rx squelch ----------------------------------------------------------------------------------

namespace {
bool validSquelchSelection(int bandwidth, int level) {
    return bandwidth >= 1 && bandwidth <= 3 && (level == 1 || level == 2);
}
} // namespace

void rxSquelchMapper::assignFrequency(std::uint32_t offset, const radioRecord& record,
                                      testModeCommands& link) {
    offset_ = offset;
    const auto point = pointOfOffset(record.bandInfo(), PointGroup::Receive, offset);
    if (!validSquelchSelection(bandwidth_, level_) || !point) {
        throw textException(kSquelchAssignText);
    }
    auto channel = testChannelRecord(record.band(), kReceiveRecordBase + *point);
    channel.levelBit = squelchOption(record.getCell(kChannelOptionCell));
    channel.bandwidthCode = kSquelchBandwidthCodes[static_cast<std::size_t>(bandwidth_ - 1)];
    channel.tightBit = level_ == 2 ? 1 : 0;
    channel.optionBits = kPointOptionByte;
    link.setTestChannel(channel);
    link.setSquelchSoftpot(
        lowByte(record.getCell(softpotCell(squelchType(bandwidth_, level_), *point))));
}

WrittenOffsets rxSquelchMapper::programSoftpot(const radioRecord& record, std::uint32_t value,
                                               commandSetBase& link) {
    const auto point = pointOfOffset(record.bandInfo(), PointGroup::Receive, offset_);
    if (!validSquelchSelection(bandwidth_, level_) || !point) {
        throw textException(kSquelchProgramText);
    }
    const auto& type = squelchType(bandwidth_, level_);
    writeByte(link, softpotAddress(record, type, *point), value);
    WrittenOffsets written;
    written.add(blockOffset(type, *point));
    return written;
}

void rxSquelchMapper::sendSoftpot(std::uint32_t value, testModeCommands& link) {
    link.setSquelchSoftpot(lowByte(value));
}

// --- The mapper of a type --------------------------------------------------------------------

std::unique_ptr<pointMapper> makePointMapper(const AlignmentTypeInfo& type) {
    switch (type.family) {
    case AlignmentFamily::TxPower: {
        auto mapper = std::make_unique<txPowerMapper>();
        mapper->setLevel(type.selection);
        return mapper;
    }
    case AlignmentFamily::TxModulation: {
        auto mapper = std::make_unique<txModulationMapper>();
        mapper->setKind(type.selection);
        return mapper;
    }
    case AlignmentFamily::RxSquelch:
        break;
    }
    auto mapper = std::make_unique<rxSquelchMapper>();
    mapper->setSelection(type.bandwidth, type.selection);
    return mapper;
}

} // namespace kavrin
