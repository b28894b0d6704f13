// softpotProgrammer: one Program All run — every softpot of the record written into the radio's
// softpot block, family by family, with the block checksum kept right.
#pragma once

#include "data/point_mappers.h"
#include "data/radio_operations.h"
#include "data/radio_record.h"
#include "data/user_interface.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace kavrin {

class softpotProgrammer {
public:
    // reReadBlock: the block image cannot be trusted (the record came from an archive, or the
    // last read failed), so the block is read first and every write is checksummed at once.
    // cancelRequested, asked after every write (and its checksum), stops the run there: the
    // checksum is made right and test mode ended before run returns.
    softpotProgrammer(const radioRecord& record, radioOperations& operations, IProgress& progress,
                      bool radioRead, std::function<bool()> cancelRequested = {});

    void run();

    // What the radio held and holds, as far as it confirmed it: the block before the first
    // write, then with every write the radio acknowledged. Unknown until the block is.
    bool blockKnown() const { return blockKnown_; }
    const BlockImage& blockBefore() const { return before_; }
    const BlockImage& blockConfirmed() const { return confirmed_; }
    std::size_t writesConfirmed() const { return writes_; }
    // The last checksum the radio acknowledged, and how many writes came after it.
    std::optional<std::uint8_t> lastChecksum() const { return lastChecksum_; }
    std::size_t writesAfterChecksum() const { return writesAfterChecksum_; }
    bool cancelled() const { return cancelled_; }

private:
    void programPower(testModeCommands& link);
    void programModulation(testModeCommands& link);
    void programSquelch(testModeCommands& link);
    // Writes the softpots of one type at every point in use.
    void programType(testModeCommands& link, AlignmentType type);
    void writeChecksum(testModeCommands& link);
    void step(int percent);
    void nextStep();
    void blockIsKnown();

    const radioRecord& record_;
    radioOperations& operations_;
    IProgress& progress_;
    bool reReadBlock_;
    std::function<bool()> cancelRequested_;
    std::size_t stepIndex_ = 0;
    bool blockKnown_ = false;
    BlockImage before_{};
    BlockImage confirmed_{};
    std::size_t writes_ = 0;
    std::optional<std::uint8_t> lastChecksum_;
    std::size_t writesAfterChecksum_ = 0;
    bool cancelled_ = false;
};

} // namespace kavrin
