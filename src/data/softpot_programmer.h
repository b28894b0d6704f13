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
    void programType(testModeCommands& link, AlignmentType type);
    void writeChecksum(testModeCommands& link);
    void step(int percent);
    void nextStep();

    const radioRecord& record_;
    radioOperations& operations_;
    IProgress& progress_;
    bool reReadBlock_;
    std::size_t stepIndex_ = 0;
};

} // namespace kavrin
