// softpotProgrammer: one Program All run — every softpot of the record written into the radio's
// softpot block, family by family, with the block checksum kept right.
#pragma once

#include "data/point_mappers.h"
#include "data/radio_operations.h"
#include "data/radio_record.h"
#include "data/user_interface.h"

namespace kavrin {

class softpotProgrammer {
public:
    // reReadBlock: the block image cannot be trusted (the record came from an archive, or the
    // last read failed), so the block is read first and every write is checksummed at once.
    softpotProgrammer(const radioRecord& record, radioOperations& operations, IProgress& progress,
                      bool radioRead)
        : record_(record), operations_(operations), progress_(progress), reReadBlock_(!radioRead) {}

    void run();

private:
    void programPower(testModeCommands& link);
    void programModulation(testModeCommands& link);
    void programSquelch(testModeCommands& link);
    // Writes the softpots of one type at every point in use.
    template <typename Mapper, typename Select>
    void programType(testModeCommands& link, Mapper& mapper, AlignmentType type, Select select);
    void patchAndChecksum(testModeCommands& link, std::size_t offset);
    void writeChecksum(testModeCommands& link);
    void step(int percent);
    void nextStep();

    const radioRecord& record_;
    radioOperations& operations_;
    IProgress& progress_;
    bool reReadBlock_;
    std::size_t stepIndex_ = 0;
    std::uint8_t byte_ = 0;
    txPowerMapper power_;
    txModulationMapper modulation_;
    rxSquelchMapper squelch_;
};

} // namespace kavrin
