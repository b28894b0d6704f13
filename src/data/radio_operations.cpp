// Reading the radio and keeping the block image.
#include "data/radio_operations.h"

#include "data/text_exception.h"
#include "link/radio_link.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kavrin {

namespace {

constexpr std::size_t kAnswerBufferSize = 48;
constexpr std::uint32_t kMaxBand = 12;

constexpr const char* kErrorTitle = "Error !!";
constexpr const char* kInvalidSerialText = "Invalid Radio Serial No.! Valid characters for Serial "
                                           "No. are 0-9 A-Z (ASCII value) and exact 10 bytes.";
constexpr const char* kInvalidModelText = "Invalid Radio Model No.! Valid characters for Model No. "
                                          "are 0-9 A-Z (ASCII value) and no more than 16 bytes.";
constexpr const char* kInvalidBandText =
    "Invalid Radio Band No.! Valid Band No. is 0-12 (decimal value)";

bool isIdentityCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
}

bool allZero(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

std::string textUpToZero(const std::array<std::uint8_t, kAnswerBufferSize>& buffer) {
    const auto end = std::find(buffer.begin(), buffer.end(), std::uint8_t{0});
    return {buffer.begin(), end};
}

// The progress of the read: 26 per chunk shown as "% done" while inside 11-90, then complete.
class ReadProgress {
public:
    explicit ReadProgress(IProgress& progress) : progress_(progress) {}
    void afterChunk(std::size_t chunk) {
        if (chunk == kBlockChunkCount) {
            step("100% Complete", 100);
            return;
        }
        counter_ += 26;
        if (counter_ >= 11 && counter_ <= 90) {
            step(std::to_string(counter_) + "% done", counter_);
        }
    }
    void step(const std::string& text, int position) {
        progress_.setPercentText(text);
        progress_.setProgress(position);
    }

private:
    IProgress& progress_;
    int counter_ = 0;
};

} // namespace

void radioOperations::readSerialNo(radioRecord& record, commandSetBase& link) {
    std::array<std::uint8_t, kAnswerBufferSize> buffer{};
    std::uint16_t delivered = 0;
    link.querySerialNo(buffer.data(), &delivered);
    if (allZero(std::span(buffer.data(), delivered))) {
        record.setSerialNo(kBlankSerialNo);
        return;
    }
    const auto text = textUpToZero(buffer);
    if (text.size() != kSerialNoSize) {
        throw textException("In radioOperations::readSerialNo(), Read Serial No. length isn't 10.");
    }
    if (!std::all_of(text.begin(), text.end(), isIdentityCharacter)) {
        throw textException(
            "In radioOperations::readSerialNo(), Read Serial No. range isn't 0~9 or A~Z.");
    }
    record.setSerialNo(text);
}

void radioOperations::readModelNo(radioRecord& record, commandSetBase& link) {
    std::array<std::uint8_t, kAnswerBufferSize> buffer{};
    std::uint16_t delivered = 0;
    link.queryModelNo(buffer.data(), &delivered);
    auto text = textUpToZero(buffer);
    if (text.size() > kModelNoSize) {
        throw textException(
            "In radioOperations::readModelNo(), Read Model No. length is more than 16.");
    }
    if (!std::all_of(text.begin(), text.end(), isIdentityCharacter)) {
        throw textException(
            "In radioOperations::readModelNo(), Read Model No. range isn't 0~9 or A~Z.");
    }
    text.resize(kModelNoSize, ' ');
    record.setModelNo(text);
}

void radioOperations::readBandModelNo(radioRecord& record, commandSetBase& link) {
    std::uint8_t band = 0;
    std::uint16_t delivered = 0;
    link.queryBandNo(&band, &delivered);
    if (band > kMaxBand) {
        throw textException(
            "In radioOperations::readBandModelNo(), Read Band Model No. range isn't 0~12.");
    }
    record.setBand(band);
}

int radioOperations::readRadio(radioRecord& record, IProgress& progress) {
    record.setChannelOption(0);
    record.setArchiveCell2(0);
    radioLink link;
    auto& commands = link.testMode();
    commands.enterTestMode();
    pause_.pause(kTestModeSettleTime);

    // An identity the radio cannot be trusted with ends the read, with the radio out of test mode.
    const auto checkIdentity = [&](auto readField, const char* message) {
        try {
            (this->*readField)(record, commands);
        } catch (...) {
            messages_.showMessage(message, kErrorTitle, MessageIcon::Exclamation);
            commands.exitTestMode();
            throw;
        }
    };
    ReadProgress steps(progress);
    checkIdentity(&radioOperations::readSerialNo, kInvalidSerialText);
    steps.step("3% Complete", 3);
    checkIdentity(&radioOperations::readModelNo, kInvalidModelText);
    steps.step("6% Complete", 6);
    checkIdentity(&radioOperations::readBandModelNo, kInvalidBandText);
    steps.step("10% Complete", 10);

    readBlock(commands, record.codeplugLayout(),
              [&](std::size_t chunk) { steps.afterChunk(chunk); });
    fillPoints(record, blockImage_);
    record.setCell(kLayoutCodeCell,
                   record.codeplugLayout() == 1 ? kExtendedLayoutCode : kStandardLayoutCode);
    fillSoftpots(record, blockImage_);

    commands.exitTestMode();
    commands.resetRadio();
    return 0;
}

void radioOperations::fillPoints(radioRecord& record, const BlockImage& block) {
    const auto& band = record.bandInfo();
    struct Mask {
        PointGroup group;
        std::size_t offset;
    };
    constexpr std::array<Mask, 3> kMasks{{{PointGroup::TxModulation, kModulationPointMaskOffset},
                                          {PointGroup::TxPower, kPowerPointMaskOffset},
                                          {PointGroup::Receive, kReceivePointMaskOffset}}};
    for (std::size_t i = 0; i < kPointCount; ++i) {
        for (const auto& mask : kMasks) {
            const bool present = (block[mask.offset] >> i & 1u) != 0;
            record.setCell(pointCell(mask.group, i),
                           present ? bandOffsets(band, mask.group)[i] : 0u);
        }
    }
}

void radioOperations::fillSoftpots(radioRecord& record, const BlockImage& block) {
    for (const auto& type : kAlignmentTypes) {
        if (!record.isSupported(type.family)) {
            continue;
        }
        for (std::size_t i = 0; i < kPointCount; ++i) {
            if (record.getCell(pointCell(type.points, i)) == 0) {
                continue;
            }
            if (!type.middlePointOnly) {
                record.setCell(softpotCell(type, i), block[blockOffset(type, i)]);
            } else if (i == kMiddlePoint) {
                // The KTD softpots exist in the extended layout only.
                record.setCell(softpotCell(type, i),
                               record.codeplugLayout() == 1 ? block[blockOffset(type, i)] : 0u);
            }
        }
    }
}

radioRecord radioOperations::recordOfBlock(const radioRecord& record, const BlockImage& block) {
    radioRecord held = record;
    fillPoints(held, block);
    fillSoftpots(held, block);
    return held;
}

int radioOperations::isSameRadio(const radioRecord& record, radioLink& link) {
    std::array<std::uint8_t, kAnswerBufferSize> buffer{};
    std::uint16_t delivered = 0;
    commandSetBase& commands =
        normalModeRequests_ ? static_cast<commandSetBase&>(link.normalMode()) : link.testMode();
    commands.querySerialNo(buffer.data(), &delivered);
    std::string serial = allZero(std::span(buffer.data(), delivered))
                             ? std::string(kBlankSerialNo)
                             : std::string(buffer.begin(), buffer.begin() + kSerialNoSize);
    return record.serialNo().size() >= kSerialNoSize &&
                   std::equal(serial.begin(), serial.end(), record.serialNo().begin())
               ? 1
               : 0;
}

bool radioOperations::patchBlockImage(const std::uint8_t* data, std::size_t length,
                                      std::size_t offset) {
    if (data == nullptr || length == 0 || length > kBlockSize || offset > kBlockSize ||
        offset + length > kBlockSize) {
        return false;
    }
    std::memcpy(blockImage_.data() + offset, data, length);
    return true;
}

} // namespace kavrin
