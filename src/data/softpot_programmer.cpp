// Program All's writing run.
#include "data/softpot_programmer.h"

#include "data/radio_failure.h"
#include "link/radio_link.h"

#include <array>

namespace kavrin {

namespace {

constexpr std::size_t kProgressSteps = 11;
// The percentage after each family step: Tx power high and low, Tx modulation 25, 20 and
// 12.5 kHz, then the six squelch types.
constexpr std::array<int, kProgressSteps> kReReadSteps{30, 40, 50, 55, 60, 70, 75, 80, 85, 90, 100};
constexpr std::array<int, kProgressSteps> kAfterReadSteps{20, 25, 30, 40, 50, 60,
                                                          65, 70, 75, 80, 90};
constexpr int kBlockReadDone = 20;
constexpr int kBlockChunkPercent = 6;
constexpr int kBlockChunkShownUpTo = 19;

constexpr std::array<AlignmentType, 3> kModulationOrder{AlignmentType::TxModulation25KHz,
                                                        AlignmentType::TxModulation20KHz,
                                                        AlignmentType::TxModulation125KHz};
constexpr std::array<AlignmentType, 3> kKtdOrder{
    AlignmentType::TxKtd125KHz, AlignmentType::TxKtd25KHz, AlignmentType::TxKtd20KHz};
constexpr std::array<AlignmentType, 6> kSquelchOrder{
    AlignmentType::RxSquelchNbandNormal,   AlignmentType::RxSquelchNbandTight,
    AlignmentType::RxSquelchSbandNormal,   AlignmentType::RxSquelchSbandTight,
    AlignmentType::RxSquelch20KbandNormal, AlignmentType::RxSquelch20KbandTight};

std::string completeText(int percent) {
    return std::to_string(percent) + "% Complete";
}

// Thrown between two writes when the run is asked to stop; caught by run() only.
struct runCancelled {};

} // namespace

softpotProgrammer::softpotProgrammer(const radioRecord& record, radioOperations& operations,
                                     IProgress& progress, bool radioRead,
                                     std::function<bool()> cancelRequested)
    : record_(record), operations_(operations), progress_(progress), reReadBlock_(!radioRead),
      cancelRequested_(std::move(cancelRequested)) {
    if (!reReadBlock_) {
        blockIsKnown();
    }
}

void softpotProgrammer::blockIsKnown() {
    before_ = operations_.blockImage();
    confirmed_ = before_;
    blockKnown_ = true;
}

void softpotProgrammer::step(int percent) {
    progress_.setPercentText(completeText(percent));
    progress_.setProgress(percent);
}

void softpotProgrammer::nextStep() {
    const auto& steps = reReadBlock_ ? kReReadSteps : kAfterReadSteps;
    step(steps[stepIndex_++]);
}

void softpotProgrammer::writeChecksum(testModeCommands& link) {
    const auto checksum = operations_.blockImageChecksum();
    link.writeCodeplugChecksum(checksum, record_.codeplugLayout());
    lastChecksum_ = checksum;
    writesAfterChecksum_ = 0;
}

void softpotProgrammer::programType(testModeCommands& link, AlignmentType type) {
    const auto& info = alignmentType(type);
    const auto mapper = makePointMapper(info);
    for (std::size_t i = 0; i < kPointCount; ++i) {
        if (info.middlePointOnly && i != kMiddlePoint) {
            continue;
        }
        const auto offset = record_.getCell(pointCell(info.points, i));
        if (offset == 0) {
            continue;
        }
        mapper->setPoint(offset);
        const auto value = record_.getCell(softpotCell(info, i));
        const auto byte = static_cast<std::uint8_t>(value & 0xFFu);
        const auto written = mapper->programSoftpot(record_, value, link);
        for (const auto blockOffset : written) {
            if (blockOffset < confirmed_.size()) {
                confirmed_[blockOffset] = byte;
            }
        }
        ++writes_;
        ++writesAfterChecksum_;
        if (reReadBlock_) {
            // Both levels when a channel option wrote both, so the checksum covers them.
            for (const auto blockOffset : written) {
                operations_.patchBlockImage(&byte, 1, blockOffset);
            }
            writeChecksum(link);
        }
        if (cancelRequested_ && cancelRequested_()) {
            throw runCancelled{};
        }
    }
}

void softpotProgrammer::programPower(testModeCommands& link) {
    programType(link, AlignmentType::TxHighPower);
    nextStep();
    programType(link, AlignmentType::TxLowPower);
    if (reReadBlock_) {
        writeChecksum(link);
    }
    nextStep();
}

void softpotProgrammer::programModulation(testModeCommands& link) {
    for (const auto type : kModulationOrder) {
        programType(link, type);
        if (type == AlignmentType::TxModulation125KHz && reReadBlock_) {
            writeChecksum(link);
        }
        nextStep();
    }
    const auto middle = pointCell(PointGroup::TxModulation, kMiddlePoint);
    if (record_.codeplugLayout() == 1 && record_.getCell(middle) != 0) {
        for (const auto type : kKtdOrder) {
            programType(link, type);
        }
    }
}

void softpotProgrammer::programSquelch(testModeCommands& link) {
    for (const auto type : kSquelchOrder) {
        programType(link, type);
        if (type == kSquelchOrder.back() && reReadBlock_) {
            writeChecksum(link);
        }
        nextStep();
    }
}

void softpotProgrammer::run() {
    radioLink link;
    auto& commands = link.testMode();
    commands.enterTestMode();
    if (reReadBlock_) {
        int counter = 0;
        operations_.readBlock(commands, record_.codeplugLayout(), [&](std::size_t chunk) {
            if (chunk == kBlockChunkCount) {
                step(kBlockReadDone);
                return;
            }
            counter += kBlockChunkPercent;
            if (counter <= kBlockChunkShownUpTo) {
                progress_.setPercentText(std::to_string(counter) + "% done");
                progress_.setProgress(counter);
            }
        });
        blockIsKnown();
    }
    try {
        // A family the radio does not support keeps its progress steps, unshown.
        if (record_.isSupported(AlignmentFamily::TxPower)) {
            programPower(commands);
        } else {
            stepIndex_ += 2;
        }
        if (record_.isSupported(AlignmentFamily::TxModulation)) {
            programModulation(commands);
        } else {
            stepIndex_ += 3;
        }
        if (record_.isSupported(AlignmentFamily::RxSquelch)) {
            programSquelch(commands);
        }
    } catch (const runCancelled&) {
        // The write in flight is done; the checksum is made right and the radio leaves test mode
        // as at the end of a full run, each tried on its own.
        cancelled_ = true;
        if (!reReadBlock_) {
            radioWorkFailed("checksum", [&] { writeChecksum(commands); });
        }
        radioWorkFailed("exitTestMode", [&] { commands.exitTestMode(); });
        radioWorkFailed("resetRadio", [&] { commands.resetRadio(); });
        return;
    }
    if (!reReadBlock_) {
        writeChecksum(commands);
        step(100);
    }
    commands.exitTestMode();
    commands.resetRadio();
}

} // namespace kavrin
