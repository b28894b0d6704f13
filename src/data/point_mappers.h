// The point mappers: an alignment type and one of its frequency points turned into what the
// radio needs — the test channel with the live softpots, the live request while the technician
// adjusts, and the codeplug address that programming writes.
#pragma once

#include "data/radio_record.h"
#include "link/radio_commands.h"

#include <cstddef>
#include <cstdint>
#include <memory>
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

// The block offsets one programSoftpot wrote: one, or both power levels of a point when the
// radio has a channel option.
struct WrittenOffsets {
    std::array<std::size_t, 2> offsets{};
    std::size_t count = 0;

    void add(std::size_t offset) { offsets.at(count++) = offset; }
    const std::size_t* begin() const { return offsets.data(); }
    const std::size_t* end() const { return offsets.data() + count; }
};

// One alignment type's requests at its points. The selection (level, kind, bandwidth) is set
// once when the mapper is made; a point is chosen by assignFrequency or setPoint.
class pointMapper {
public:
    virtual ~pointMapper() = default;
    void setPoint(std::uint32_t offset) { offset_ = offset; }
    // Tunes the radio to the point's test channel with the record's softpots for it.
    virtual void assignFrequency(std::uint32_t offset, const radioRecord& record,
                                 testModeCommands& link) = 0;
    // The live value while the technician adjusts.
    virtual void sendSoftpot(std::uint32_t value, testModeCommands& link) = 0;
    // Writes the value into the codeplug at the chosen point.
    virtual WrittenOffsets programSoftpot(const radioRecord& record, std::uint32_t value,
                                          commandSetBase& link) = 0;

protected:
    std::uint32_t offset_ = 0;
};

class txPowerMapper final : public pointMapper {
public:
    void setLevel(int level) { level_ = level; }
    void assignFrequency(std::uint32_t offset, const radioRecord& record,
                         testModeCommands& link) override;
    WrittenOffsets programSoftpot(const radioRecord& record, std::uint32_t value,
                                  commandSetBase& link) override;
    void sendSoftpot(std::uint32_t value, testModeCommands& link) override;

private:
    int level_ = 0;
};

class txModulationMapper final : public pointMapper {
public:
    void setKind(int kind) { kind_ = kind; }
    void assignFrequency(std::uint32_t offset, const radioRecord& record,
                         testModeCommands& link) override;
    WrittenOffsets programSoftpot(const radioRecord& record, std::uint32_t value,
                                  commandSetBase& link) override;
    void sendSoftpot(std::uint32_t value, testModeCommands& link) override;

private:
    int kind_ = 0;
};

class rxSquelchMapper final : public pointMapper {
public:
    void setSelection(int bandwidth, int level) {
        bandwidth_ = bandwidth;
        level_ = level;
    }
    void assignFrequency(std::uint32_t offset, const radioRecord& record,
                         testModeCommands& link) override;
    WrittenOffsets programSoftpot(const radioRecord& record, std::uint32_t value,
                                  commandSetBase& link) override;
    void sendSoftpot(std::uint32_t value, testModeCommands& link) override;

private:
    int bandwidth_ = 0;
    int level_ = 0;
};

// The mapper of an alignment type, its selection set from the type's row.
std::unique_ptr<pointMapper> makePointMapper(const AlignmentTypeInfo& type);

// The point number (0-4) of a frequency offset in a band's row of a group, if any.
std::optional<std::size_t> pointOfOffset(const BandInfo& band, PointGroup group,
                                         std::uint32_t offset);

} // namespace kavrin
