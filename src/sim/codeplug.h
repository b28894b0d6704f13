// The virtual radio's parameter memory: sizes of the two layouts, where the serial number and the
// softpot block live, their checksums, and the factory contents of a freshly built radio.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kavrin::sim {

enum class Layout { Standard, Extended };

inline constexpr std::size_t kStandardCodeplugSize = 8192;
inline constexpr std::size_t kExtendedCodeplugSize = 16384;

// The serial area runs from kSerialAreaStart up to its checksum byte, whose place depends on the
// layout; the serial number itself sits inside it.
inline constexpr std::size_t kSerialAreaStart = 256;
inline constexpr std::size_t kSerialOffset = 272;
inline constexpr std::size_t kSerialLength = 10;
inline constexpr std::size_t kStandardSerialChecksumOffset = 404;
inline constexpr std::size_t kExtendedSerialChecksumOffset = 431;

inline constexpr std::size_t kStandardSoftpotBlock = 0x1F00;
inline constexpr std::size_t kExtendedSoftpotBlock = 0x3F00;
inline constexpr std::size_t kSoftpotBlockSize = 256;
inline constexpr std::size_t kSoftpotChecksumOffset = 109; // sum of the block bytes before it

inline constexpr std::size_t kPointCount = 5; // F1-F5
inline constexpr std::size_t kBandCount = 13;

// Frequency offsets in MHz of F1-F5 per band; 0 means the band has no such point.
using BandPoints = std::array<std::uint8_t, kPointCount>;
inline constexpr std::array<BandPoints, kBandCount> kBandPoints{{
    {36, 50, 55, 63, 74},
    {18, 20, 23, 0, 0},
    {0, 0, 0, 45, 47},
    {50, 0, 0, 0, 0},
    {58, 66, 74, 82, 90},
    {6, 16, 26, 36, 46},
    {40, 50, 60, 70, 79},
    {0, 0, 0, 0, 0},
    {40, 50, 60, 70, 79},
    {0, 0, 0, 0, 0},
    {40, 50, 60, 70, 79},
    {6, 16, 26, 36, 0},
    {40, 50, 60, 70, 0},
}};

std::size_t codeplugSize(Layout layout);
std::size_t serialChecksumOffset(Layout layout);
std::size_t softpotBlockOffset(Layout layout);

// Bit i set when point F(i+1) exists in the band; bands outside the table have no points.
std::uint8_t pointMask(std::uint8_t band);

// 8-bit sums with carries dropped, as the radio keeps them.
std::uint8_t serialChecksum(std::span<const std::uint8_t> codeplug, Layout layout);
std::uint8_t softpotChecksum(std::span<const std::uint8_t> block);

// A radio as it leaves the factory: serial number stored (zero-padded to ten bytes; blank means
// none, i.e. ten zero bytes), serial checksum consistent, softpot block aligned for the band.
std::vector<std::uint8_t> factoryCodeplug(Layout layout, std::uint8_t band,
                                          std::string_view serial);

} // namespace kavrin::sim
