// The point mappers: an alignment type and one of its frequency points turned into what the
// radio needs — the test channel with the live softpots, the live request while the technician
// adjusts, and the codeplug address that programming writes.
#pragma once

#include "data/radio_record.h"
#include "link/radio_commands.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kavrin {

// The fixed part (bytes 0-9) of the test channel record of a point of a band: records 0-4 are the
// transmit points, 5-9 the receive points (equal to the transmit ones). A point the band does not
// have gives an all-zero record.
TestChannelRecord testChannelRecord(std::uint32_t band, std::size_t record);

inline constexpr std::size_t kReceiveRecordBase = 5;
inline constexpr std::uint8_t kPointOptionByte = 0;
// Squelch option bytes by channelOption; an option without an entry (8, 9) carries 0 as well.
inline constexpr std::array<std::uint8_t, 8> kSquelchOptionTable{};

std::uint8_t squelchOption(std::uint32_t channelOption);

class txPowerMapper {
public:
    void setLevel(int level) { level_ = level; }
    void setPoint(std::uint32_t offset) { offset_ = offset; }
    void assignFrequency(std::uint32_t offset, const radioRecord& record, testModeCommands& link);
    void programSoftpot(const radioRecord& record, std::uint32_t value, commandSetBase& link);
    void sendSoftpot(std::uint32_t value, testModeCommands& link);
    // The block offsets the last programSoftpot wrote (one, or both levels with channelOption).
    std::size_t writtenCount() const { return written_; }
    std::size_t writtenOffset(std::size_t n) const { return writtenOffsets_[n]; }

private:
    int level_ = 0;
    std::uint32_t offset_ = 0;
    std::array<std::size_t, 2> writtenOffsets_{};
    std::size_t written_ = 0;
};

class txModulationMapper {
public:
    void setKind(int kind) { kind_ = kind; }
    void setPoint(std::uint32_t offset) { offset_ = offset; }
    void assignFrequency(std::uint32_t offset, const radioRecord& record, testModeCommands& link);
    // Returns the block offset written.
    std::size_t programSoftpot(const radioRecord& record, std::uint32_t value,
                               commandSetBase& link);
    void sendSoftpot(std::uint32_t value, testModeCommands& link);

private:
    int kind_ = 0;
    std::uint32_t offset_ = 0;
};

class rxSquelchMapper {
public:
    void setSelection(int bandwidth, int level) {
        bandwidth_ = bandwidth;
        level_ = level;
    }
    void setPoint(std::uint32_t offset) { offset_ = offset; }
    void assignFrequency(std::uint32_t offset, const radioRecord& record, testModeCommands& link);
    // Returns the block offset written.
    std::size_t programSoftpot(const radioRecord& record, std::uint32_t value,
                               commandSetBase& link);
    void sendSoftpot(std::uint32_t value, testModeCommands& link);

private:
    int bandwidth_ = 0;
    int level_ = 0;
    std::uint32_t offset_ = 0;
};

// The point number (0-4) of a frequency offset in currentBand's row of a group, if any.
std::optional<std::size_t> pointOfOffset(PointGroup group, std::uint32_t offset);

} // namespace kavrin
