// CRC-16/CCITT-FALSE, the checksum that closes every frame on the radio wire.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kavrin {

namespace detail {
constexpr std::array<std::uint16_t, 256> makeCrc16Table() {
    std::array<std::uint16_t, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        auto crc = static_cast<std::uint16_t>(i << 8);
        for (int bit = 0; bit < 8; ++bit) {
            const unsigned shifted = static_cast<unsigned>(crc) << 1;
            crc = static_cast<std::uint16_t>((crc & 0x8000u) != 0 ? shifted ^ 0x1021u : shifted);
        }
        table[i] = crc;
    }
    return table;
}
inline constexpr auto kCrc16Table = makeCrc16Table();
} // namespace detail

inline constexpr std::uint16_t kCrc16Init = 0xFFFF;

// Continues a running CRC so that a frame can be checked without copying it into one buffer.
constexpr std::uint16_t crc16Update(std::uint16_t crc, std::span<const std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) {
        const unsigned index = (static_cast<unsigned>(crc) >> 8 ^ byte) & 0xFFu;
        crc = static_cast<std::uint16_t>((static_cast<unsigned>(crc) << 8) ^
                                         detail::kCrc16Table[index]);
    }
    return crc;
}

constexpr std::uint16_t crc16(std::span<const std::uint8_t> bytes) {
    return crc16Update(kCrc16Init, bytes);
}

} // namespace kavrin
