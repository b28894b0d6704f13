// The radio record and its band lookups.
#include "data/radio_record.h"

#include <numeric>

namespace kavrin {

namespace {
constexpr BandInfo kNoBand{0, {0, 0, 0, 0, 0}, 0, {0, 0, 0, 0, 0}};
} // namespace

std::uint8_t blockChecksum(std::span<const std::uint8_t, kBlockSize> block) {
    const auto sum = std::accumulate(block.begin(), block.begin() + kBlockChecksumOffset, 0u);
    return static_cast<std::uint8_t>(sum & 0xFFu);
}

const BandInfo& bandInfo(std::uint32_t band) {
    return band < kBandTable.size() ? kBandTable[band] : kNoBand;
}

const std::array<std::uint8_t, kPointCount>& bandOffsets(const BandInfo& band, PointGroup group) {
    return group == PointGroup::Receive ? band.receiveOffsets : band.transmitOffsets;
}

double bandBase(const BandInfo& band, PointGroup group) {
    return group == PointGroup::Receive ? band.receiveBase : band.transmitBase;
}

void radioRecord::resetRecord() {
    for (auto& row : cells_) {
        row.fill(0);
    }
    supported_.fill(true);
    resetIdentity();
    codeplugLayout_ = 0;
}

void radioRecord::resetIdentity() {
    modelNo_ = kNullModelNo;
    serialNo_ = kNullSerialNo;
}

std::uint32_t radioRecord::getCell(std::size_t row, std::size_t column) const {
    return cells_.at(row).at(column);
}

void radioRecord::setCell(std::size_t row, std::size_t column, std::uint32_t value) {
    cells_.at(row).at(column) = value;
}

bool radioRecord::isSupported(AlignmentFamily family) const {
    return supported_[static_cast<std::size_t>(family)];
}

void radioRecord::clearSupported(AlignmentFamily family) {
    supported_[static_cast<std::size_t>(family)] = false;
}

void radioRecord::setLayoutCode(std::uint32_t code) {
    setCell(kLayoutCodeCell, code);
    codeplugLayout_ = code != kStandardLayoutCode ? 1 : 0;
}

void radioRecord::setBand(std::uint32_t band) {
    setCell(kBandCell, band);
    band_ = band;
}

double radioRecord::pointFrequency(PointGroup group, std::size_t point) const {
    return getCell(pointCell(group, point)) + bandBase(bandInfo(), group);
}

bool radioRecord::anyPointPresent(PointGroup group) const {
    for (std::size_t i = 0; i < kPointCount; ++i) {
        if (getCell(pointCell(group, i)) != 0) {
            return true;
        }
    }
    return false;
}

} // namespace kavrin
