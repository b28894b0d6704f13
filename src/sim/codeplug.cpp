// Factory contents and checksums of the virtual radio's codeplug.
#include "sim/codeplug.h"

#include <algorithm>
#include <numeric>

namespace kavrin::sim {

namespace {

// Which frequency-point mask a softpot row is tied to.
enum class PointGroup { TxModulation, TxPower, Receive };

inline constexpr std::size_t kTxModulationMaskOffset = 80;
inline constexpr std::size_t kTxPowerMaskOffset = 81;
inline constexpr std::size_t kReceiveMaskOffset = 82;

// One softpot per point F1-F5, at first + stride * i. The factory value for point i is
// base + kFactoryStep * i: a deterministic alignment that differs per kind and per point and
// stays inside the valid softpot range 0-63.
struct SoftpotRow {
    std::size_t first;
    std::size_t stride;
    PointGroup group;
    std::uint8_t base;
};

inline constexpr std::uint8_t kFactoryStep = 3;
inline constexpr std::uint8_t kSoftpotMax = 63;

inline constexpr std::array kSoftpotRows{
    SoftpotRow{2, 4, PointGroup::TxModulation, 28}, // Tx modulation 12.5 kHz
    SoftpotRow{3, 4, PointGroup::TxModulation, 34}, // Tx modulation 25 kHz
    SoftpotRow{4, 4, PointGroup::TxModulation, 31}, // Tx modulation 20 kHz
    SoftpotRow{22, 2, PointGroup::TxPower, 47},     // Tx high power
    SoftpotRow{23, 2, PointGroup::TxPower, 21},     // Tx low power
    SoftpotRow{32, 2, PointGroup::Receive, 12},     // squelch 12.5 kHz normal
    SoftpotRow{33, 2, PointGroup::Receive, 19},     // squelch 12.5 kHz tight
    SoftpotRow{42, 2, PointGroup::Receive, 9},      // squelch 25 kHz normal
    SoftpotRow{43, 2, PointGroup::Receive, 16},     // squelch 25 kHz tight
    SoftpotRow{52, 2, PointGroup::Receive, 11},     // squelch 20 kHz normal
    SoftpotRow{53, 2, PointGroup::Receive, 18},     // squelch 20 kHz tight
};

// The KTD softpots exist in the extended layout only and belong to F3 of the modulation points.
struct KtdSoftpot {
    std::size_t offset;
    std::uint8_t value;
};
inline constexpr std::size_t kKtdPoint = 2; // F3
inline constexpr std::array kKtdSoftpots{
    KtdSoftpot{62, 36}, // 12.5 kHz
    KtdSoftpot{63, 42}, // 25 kHz
    KtdSoftpot{64, 39}, // 20 kHz
};

std::uint8_t sum8(std::span<const std::uint8_t> bytes) {
    // Unsigned arithmetic wraps, which is exactly the radio's carry-dropping 8-bit sum.
    return static_cast<std::uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0u) & 0xFFu);
}

bool hasPoint(std::uint8_t mask, std::size_t point) {
    return ((static_cast<unsigned>(mask) >> point) & 1u) != 0;
}

void fillSoftpotBlock(std::span<std::uint8_t> block, Layout layout, std::uint8_t band) {
    const std::uint8_t mask = pointMask(band);
    // The band table gives one row for transmit and receive alike, so all three masks agree.
    block[kTxModulationMaskOffset] = mask;
    block[kTxPowerMaskOffset] = mask;
    block[kReceiveMaskOffset] = mask;
    for (const auto& row : kSoftpotRows) {
        for (std::size_t point = 0; point < kPointCount; ++point) {
            if (hasPoint(mask, point)) {
                const auto value = row.base + kFactoryStep * point;
                block[row.first + row.stride * point] =
                    static_cast<std::uint8_t>(std::min<std::size_t>(value, kSoftpotMax));
            }
        }
    }
    if (layout == Layout::Extended && hasPoint(mask, kKtdPoint)) {
        for (const auto& ktd : kKtdSoftpots) {
            block[ktd.offset] = ktd.value;
        }
    }
    block[kSoftpotChecksumOffset] = softpotChecksum(block);
}

} // namespace

std::size_t codeplugSize(Layout layout) {
    return layout == Layout::Extended ? kExtendedCodeplugSize : kStandardCodeplugSize;
}

std::size_t serialChecksumOffset(Layout layout) {
    return layout == Layout::Extended ? kExtendedSerialChecksumOffset
                                      : kStandardSerialChecksumOffset;
}

std::size_t softpotBlockOffset(Layout layout) {
    return layout == Layout::Extended ? kExtendedSoftpotBlock : kStandardSoftpotBlock;
}

std::uint8_t pointMask(std::uint8_t band) {
    if (band >= kBandPoints.size()) {
        return 0;
    }
    std::uint8_t mask = 0;
    for (std::size_t point = 0; point < kPointCount; ++point) {
        if (kBandPoints[band][point] != 0) {
            mask = static_cast<std::uint8_t>(mask | (1u << point));
        }
    }
    return mask;
}

std::uint8_t serialChecksum(std::span<const std::uint8_t> codeplug, Layout layout) {
    const auto end = serialChecksumOffset(layout);
    return sum8(codeplug.subspan(kSerialAreaStart, end - kSerialAreaStart));
}

std::uint8_t softpotChecksum(std::span<const std::uint8_t> block) {
    return sum8(block.first(kSoftpotChecksumOffset));
}

std::vector<std::uint8_t> factoryCodeplug(Layout layout, std::uint8_t band,
                                          std::string_view serial) {
    std::vector<std::uint8_t> codeplug(codeplugSize(layout), 0);
    const bool blank = serial.find_first_not_of(' ') == std::string_view::npos;
    if (!blank) {
        const auto length = std::min(serial.size(), kSerialLength);
        std::copy_n(serial.begin(), length,
                    codeplug.begin() + static_cast<std::ptrdiff_t>(kSerialOffset));
    }
    codeplug[serialChecksumOffset(layout)] = serialChecksum(codeplug, layout);
    fillSoftpotBlock(std::span(codeplug).subspan(softpotBlockOffset(layout), kSoftpotBlockSize),
                     layout, band);
    return codeplug;
}

} // namespace kavrin::sim
