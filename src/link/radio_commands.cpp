// The two command sets over the protocol service.
#include "link/radio_commands.h"

#include "link/exceptions.h"
#include "link/radio_service.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kavrin {

namespace {

// Runs one exchange so that whatever goes wrong inside it leaves as the request failure.
template <typename Exchange> std::int32_t guarded(Exchange&& exchange) {
    try {
        const std::int32_t status = exchange();
        if (status < 0) {
            throw GeneralRadioProtocolError();
        }
        return status;
    } catch (...) {
        throw GeneralRadioProtocolError();
    }
}

// Hands a codeplug buffer back to the service that allocated it, exactly once.
class ServiceBuffer {
public:
    ServiceBuffer(IRadioService& service, std::uint8_t* buffer)
        : service_(service), buffer_(buffer) {}
    ~ServiceBuffer() {
        if (buffer_ != nullptr) {
            service_.FreeMemory(buffer_);
        }
    }
    ServiceBuffer(const ServiceBuffer&) = delete;
    ServiceBuffer& operator=(const ServiceBuffer&) = delete;

private:
    IRadioService& service_;
    std::uint8_t* buffer_;
};

} // namespace

std::array<std::uint8_t, kPackedTestChannelSize> packTestChannel(const TestChannelRecord& r) {
    return {
        r.option,
        r.firstWordLow,
        r.firstWordHigh,
        r.firstRemainder,
        r.secondWordLow,
        r.secondWordHigh,
        r.secondRemainder,
        static_cast<std::uint8_t>((r.nibbleHigh << 4) | r.nibbleLow),
        static_cast<std::uint8_t>((r.levelBit << 7) | (r.bandwidthCode << 4) | (r.tightBit << 3) |
                                  r.optionBits),
    };
}

void commandSetBase::checkLink() const {
    if (service_ == nullptr) {
        throw GeneralCommunicationError();
    }
}

std::int32_t commandSetBase::send(std::int32_t request, std::span<const std::uint8_t> arguments) {
    checkLink();
    return guarded([&] {
        ServiceRequest record;
        record.requestNumber = request;
        std::copy_n(arguments.begin(), std::min(arguments.size(), record.data.size()),
                    record.data.begin());
        return service_->Execute(record);
    });
}

std::int32_t commandSetBase::sendValue(std::int32_t request, std::uint8_t value) {
    const std::array<std::uint8_t, 1> argument{value};
    return send(request, argument);
}

std::int32_t commandSetBase::query(std::int32_t request, std::uint8_t* destination,
                                   std::uint16_t* length, std::uint16_t count) {
    checkLink();
    return guarded([&] {
        if (destination == nullptr || length == nullptr) {
            throw GeneralRadioProtocolError();
        }
        ServiceRequest record;
        record.requestNumber = request;
        const std::int32_t status = service_->Execute(record);
        if (status >= 0) {
            std::memcpy(destination, record.data.data(), count);
            *length = count;
        }
        return status;
    });
}

std::int32_t commandSetBase::resetRadio() {
    return send(kResetRadio);
}

std::int32_t commandSetBase::queryModelNo(std::uint8_t* destination, std::uint16_t* length) {
    return query(kQueryModelNo, destination, length, kModelNoLength);
}

std::int32_t commandSetBase::querySerialNo(std::uint8_t* destination, std::uint16_t* length) {
    return query(kQuerySerialNo, destination, length, kSerialNoLength);
}

std::int32_t commandSetBase::queryBandNo(std::uint8_t* destination, std::uint16_t* length) {
    return query(kQueryBandNo, destination, length, kOneByteResult);
}

std::int32_t commandSetBase::readCodeplug(std::uint8_t* destination, std::uint16_t offset,
                                          std::uint16_t* length) {
    checkLink();
    return guarded([&] {
        if (destination == nullptr || length == nullptr) {
            throw GeneralRadioProtocolError();
        }
        const std::uint16_t capacity = *length;
        std::uint8_t* buffer = nullptr;
        std::uint16_t delivered = capacity;
        const std::int32_t status = service_->ReadCodeplug(&buffer, &delivered, offset);
        const ServiceBuffer release(*service_, buffer);
        if (status < 0 || delivered == 0 || delivered > capacity) {
            throw GeneralRadioProtocolError();
        }
        if (buffer != nullptr) {
            std::memcpy(destination, buffer, delivered);
            *length = delivered;
        }
        return status;
    });
}

std::int32_t commandSetBase::writeCodeplug(const std::uint8_t* data, std::uint16_t offset,
                                           std::uint16_t length) {
    checkLink();
    return guarded([&] { return service_->WriteCodeplug(data, length, offset); });
}

std::int32_t testModeCommands::keyUp() {
    return send(kKeyUp);
}
std::int32_t testModeCommands::dekey() {
    return send(kDekey);
}
std::int32_t testModeCommands::enterTestMode() {
    return send(kEnterTestMode);
}
std::int32_t testModeCommands::exitTestMode() {
    return send(kExitTestMode);
}

std::int32_t testModeCommands::setTestChannel(const TestChannelRecord& record) {
    return send(kSetTestChannel, packTestChannel(record));
}

std::int32_t testModeCommands::setSquelchSoftpot(std::uint8_t value) {
    return sendValue(kSetSquelchSoftpot, value);
}

std::int32_t testModeCommands::setPowerSoftpot(std::uint8_t value) {
    return sendValue(kSetPowerSoftpot, value);
}

std::int32_t testModeCommands::setModulationSoftpot(std::uint8_t value) {
    return sendValue(kSetModulationSoftpot, value);
}

std::int32_t testModeCommands::queryFirmwareVersion(std::uint8_t* destination,
                                                    std::uint16_t* length) {
    return query(kQueryFirmwareVersionTest, destination, length, kFirmwareVersionLength);
}

std::int32_t testModeCommands::queryRegion(std::uint8_t* destination, std::uint16_t* length) {
    return query(kQueryRegion, destination, length, kOneByteResult);
}

std::int32_t testModeCommands::startSignallingTest() {
    return send(kStartSignallingTest);
}
std::int32_t testModeCommands::stopSignallingTest() {
    return send(kStopSignallingTest);
}
std::int32_t testModeCommands::keyUpSignalling() {
    return send(kKeyUpSignalling);
}
std::int32_t testModeCommands::dekeySignalling() {
    return send(kDekeySignalling);
}

std::int32_t testModeCommands::setSignallingSoftpot(std::uint8_t value) {
    return sendValue(kSetSignallingSoftpot, value);
}

std::int32_t testModeCommands::writeCodeplugChecksum(std::uint8_t checksum,
                                                     std::int32_t layoutFlag) {
    const std::uint16_t offset = layoutFlag == 0 ? kBlockChecksumStandard : kBlockChecksumExtended;
    return writeCodeplug(&checksum, offset, 1);
}

std::int32_t normalModeCommands::keyUp() {
    checkLink();
    return 0;
}

std::int32_t normalModeCommands::dekey() {
    checkLink();
    return 0;
}

std::int32_t normalModeCommands::queryFirmwareVersion(std::uint8_t* destination,
                                                      std::uint16_t* length) {
    return query(kQueryFirmwareVersionNormal, destination, length, kFirmwareVersionLength);
}

std::int32_t normalModeCommands::queryFeatureFlags(std::uint8_t* destination,
                                                   std::uint16_t* length) {
    return query(kQueryFeatureFlags, destination, length, kOneByteResult);
}

std::int32_t normalModeCommands::writeSerialNo(const char* text, std::uint16_t length,
                                               std::int32_t layoutFlag) {
    checkLink();
    return guarded([&] {
        if (text == nullptr || length == 0 || length > kSerialNoLength) {
            throw GeneralRadioProtocolError();
        }
        // Mirror the serial area so the checksum covers what the codeplug holds after the write.
        std::vector<std::uint8_t> area(kSerialAreaSize, 0);
        std::uint16_t delivered = kSerialAreaSize;
        readCodeplug(area.data(), kSerialAreaOffset, &delivered);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
        const std::int32_t status = service().WriteCodeplug(bytes, length, kSerialNoOffset);
        if (status < 0) {
            return status;
        }
        std::copy_n(bytes, length, area.begin() + (kSerialNoOffset - kSerialAreaOffset));
        const std::uint16_t checksumOffset =
            layoutFlag == 0 ? kSerialChecksumStandard : kSerialChecksumExtended;
        std::uint8_t sum = 0;
        const std::size_t covered = checksumOffset - kSerialAreaOffset;
        for (std::size_t i = 0; i < covered; ++i) {
            sum = static_cast<std::uint8_t>(sum + area[i]);
        }
        return service().WriteCodeplug(&sum, 1, checksumOffset);
    });
}

} // namespace kavrin
