// radioOperations: the radio-level operations of the application — reading the identity and the
// softpot block, the serial-number check, and the block image that programming keeps in step
// with the radio.
#pragma once

#include "data/radio_record.h"
#include "data/user_interface.h"
#include "link/radio_commands.h"
#include "link/user_messages.h"

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace kavrin {

class radioLink;

inline constexpr std::chrono::milliseconds kTestModeSettleTime{1000};
inline constexpr std::uint16_t kBlockChunkSize = 64;
inline constexpr std::size_t kBlockChunkCount = kBlockSize / kBlockChunkSize;

class radioOperations {
public:
    radioOperations(IUserMessages& messages, IPause& pause) : messages_(messages), pause_(pause) {}

    // Reads identity, points and softpots into the record. Returns 0; every failure throws.
    int readRadio(radioRecord& record, IProgress& progress);

    // Each fills one identity field from the link in use or throws a textException.
    void readSerialNo(radioRecord& record, commandSetBase& link);
    void readModelNo(radioRecord& record, commandSetBase& link);
    void readBandModelNo(radioRecord& record, commandSetBase& link);

    // 1 when the radio's serial number equals the record's, else 0. Asks through the test-mode
    // set, or through the normal-mode set while serial-number programming has switched to it.
    int isSameRadio(const radioRecord& record, radioLink& link);
    void useNormalModeRequests(bool normal) { normalModeRequests_ = normal; }
    bool usesNormalModeRequests() const { return normalModeRequests_; }

    // Reads the softpot block in four chunks into the block image; `afterChunk` reports
    // progress with the number of chunks read so far.
    template <typename AfterChunk>
    void readBlock(testModeCommands& link, std::int32_t codeplugLayout, AfterChunk afterChunk);

    BlockImage& blockImage() { return blockImage_; }
    const BlockImage& blockImage() const { return blockImage_; }
    // False, with no effect, for missing data, a length of 0 or over 256, or a range past the
    // block's end.
    bool patchBlockImage(const std::uint8_t* data, std::size_t length, std::size_t offset);
    std::uint8_t blockImageChecksum() const { return blockChecksum(blockImage_); }

    // The record with its points and softpots as a block holds them; what a flow tells the
    // history a radio held before and after a change.
    static radioRecord recordOfBlock(const radioRecord& record, const BlockImage& block);

private:
    static void fillPoints(radioRecord& record, const BlockImage& block);
    static void fillSoftpots(radioRecord& record, const BlockImage& block);

    IUserMessages& messages_;
    IPause& pause_;
    BlockImage blockImage_{};
    bool normalModeRequests_ = false;
};

template <typename AfterChunk>
void radioOperations::readBlock(testModeCommands& link, std::int32_t codeplugLayout,
                                AfterChunk afterChunk) {
    const std::uint16_t address = blockAddress(codeplugLayout);
    for (std::size_t chunk = 0; chunk < kBlockChunkCount; ++chunk) {
        const auto offset = static_cast<std::uint16_t>(chunk * kBlockChunkSize);
        std::uint16_t length = kBlockChunkSize;
        link.readCodeplug(blockImage_.data() + offset, static_cast<std::uint16_t>(address + offset),
                          &length);
        afterChunk(chunk + 1);
    }
}

} // namespace kavrin
