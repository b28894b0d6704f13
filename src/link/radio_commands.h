// The radio command sets: every numbered request and the codeplug helpers, each turning a
// failure into the link's exceptions. A command set never opens anything itself; the link
// attaches the protocol service of its connection to the set of its protocol mode.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kavrin {

class IRadioService;

inline constexpr std::uint8_t kNormalProtocolMode = 0;
inline constexpr std::uint8_t kTestProtocolMode = 2;

enum RequestNumber : std::int32_t {
    kEnterTestMode = 0,
    kExitTestMode = 1,
    kSetTestChannel = 6,
    kSetSquelchSoftpot = 7,
    kSetPowerSoftpot = 8,
    kSetModulationSoftpot = 9,
    kKeyUp = 12,
    kDekey = 13,
    kQueryFirmwareVersionTest = 14,
    kQueryFirmwareVersionNormal = 15,
    kQueryModelNo = 16,
    kQuerySerialNo = 17,
    kQueryBandNo = 18,
    kQueryRegion = 20,
    kResetRadio = 22,
    kQueryFeatureFlags = 24,
    kStartSignallingTest = 27,
    kStopSignallingTest = 28,
    kKeyUpSignalling = 29,
    kDekeySignalling = 30,
    kSetSignallingSoftpot = 31,
};

// Fixed result counts: the length reported to callers, whatever the radio sent.
inline constexpr std::uint16_t kFirmwareVersionLength = 5;
inline constexpr std::uint16_t kModelNoLength = 16;
inline constexpr std::uint16_t kSerialNoLength = 10;
inline constexpr std::uint16_t kOneByteResult = 1;

// The serial-number area of the codeplug and its checksum.
inline constexpr std::uint16_t kSerialAreaOffset = 256;
inline constexpr std::uint16_t kSerialAreaSize = 256;
inline constexpr std::uint16_t kSerialNoOffset = 272;
inline constexpr std::uint16_t kSerialChecksumStandard = 404;
inline constexpr std::uint16_t kSerialChecksumExtended = 431;

// The softpot block checksum: 109 bytes into the last 256-byte block of an 8 KB or 16 KB
// codeplug.
inline constexpr std::uint16_t kBlockChecksumStandard = 8045;
inline constexpr std::uint16_t kBlockChecksumExtended = 16237;

// The argument of setTestChannel. Bytes 0, 8, 9 and 13 are passed through as given.
struct TestChannelRecord {
    std::uint8_t option = 0;       // byte 0: sent as is
    std::uint8_t notSent = 0;      // byte 1
    std::uint8_t firstWordLow = 0; // bytes 2-3: first synthesizer word, 800 kHz steps
    std::uint8_t firstWordHigh = 0;
    std::uint8_t secondWordLow = 0; // bytes 4-5: second synthesizer word (the point)
    std::uint8_t secondWordHigh = 0;
    std::uint8_t firstRemainder = 0;  // byte 6: 6.25 kHz steps, 0-127
    std::uint8_t secondRemainder = 0; // byte 7
    std::uint8_t nibbleLow = 0;       // byte 8: 4-bit value
    std::uint8_t nibbleHigh = 0;      // byte 9: 4-bit value
    std::uint8_t levelBit = 0;        // byte 10: power level (transmit) or squelch option
    std::uint8_t bandwidthCode = 0;   // byte 11: 0 = 12.5 kHz, 1 = 25 kHz, 3 = 20 kHz
    std::uint8_t tightBit = 0;        // byte 12: 1 = tight squelch
    std::uint8_t optionBits = 0;      // byte 13: 3-bit option value
};
static_assert(sizeof(TestChannelRecord) == 14);

inline constexpr std::size_t kPackedTestChannelSize = 9;
std::array<std::uint8_t, kPackedTestChannelSize> packTestChannel(const TestChannelRecord& record);

// The interface both command sets share, in its fixed slot order.
class radioCommands {
public:
    radioCommands() = default;
    radioCommands(const radioCommands&) = delete;
    radioCommands& operator=(const radioCommands&) = delete;
    // The link that derives from both sets reports a failed close from its destructor.
    virtual ~radioCommands() noexcept(false) = default;

    virtual std::int32_t keyUp() = 0;
    virtual std::int32_t dekey() = 0;
    virtual std::int32_t resetRadio() = 0;
    // *length: the destination's capacity in, the bytes delivered out.
    virtual std::int32_t readCodeplug(std::uint8_t* destination, std::uint16_t offset,
                                      std::uint16_t* length) = 0;
    virtual std::int32_t writeCodeplug(const std::uint8_t* data, std::uint16_t offset,
                                       std::uint16_t length) = 0;
    virtual void attachServices(IRadioService* service) = 0;
};

// What both sets do alike: the attached service, the link check, the guarded exchange and the
// requests that exist in both protocol modes.
class commandSetBase : public radioCommands {
public:
    std::int32_t resetRadio() override;
    std::int32_t readCodeplug(std::uint8_t* destination, std::uint16_t offset,
                              std::uint16_t* length) override;
    std::int32_t writeCodeplug(const std::uint8_t* data, std::uint16_t offset,
                               std::uint16_t length) override;
    void attachServices(IRadioService* service) override { service_ = service; }

    std::int32_t queryModelNo(std::uint8_t* destination, std::uint16_t* length);
    std::int32_t querySerialNo(std::uint8_t* destination, std::uint16_t* length);
    std::int32_t queryBandNo(std::uint8_t* destination, std::uint16_t* length);

protected:
    void checkLink() const;
    // Sends a request whose arguments are the first bytes of `arguments`.
    std::int32_t send(std::int32_t request, std::span<const std::uint8_t> arguments = {});
    // Sends a request and copies `count` result bytes to the destination.
    std::int32_t query(std::int32_t request, std::uint8_t* destination, std::uint16_t* length,
                       std::uint16_t count);
    std::int32_t sendValue(std::int32_t request, std::uint8_t value);
    IRadioService& service() const { return *service_; }

private:
    IRadioService* service_ = nullptr;
};

class testModeCommands : public commandSetBase {
public:
    std::int32_t keyUp() override;
    std::int32_t dekey() override;

    std::int32_t enterTestMode();
    std::int32_t exitTestMode();
    std::int32_t setTestChannel(const TestChannelRecord& record);
    std::int32_t setSquelchSoftpot(std::uint8_t value);
    std::int32_t setPowerSoftpot(std::uint8_t value);
    std::int32_t setModulationSoftpot(std::uint8_t value);
    std::int32_t queryFirmwareVersion(std::uint8_t* destination, std::uint16_t* length);
    std::int32_t queryRegion(std::uint8_t* destination, std::uint16_t* length);
    std::int32_t startSignallingTest();
    std::int32_t stopSignallingTest();
    std::int32_t keyUpSignalling();
    std::int32_t dekeySignalling();
    std::int32_t setSignallingSoftpot(std::uint8_t value);
    // layoutFlag: the record's codeplug layout, 0 standard, otherwise extended.
    std::int32_t writeCodeplugChecksum(std::uint8_t checksum, std::int32_t layoutFlag);
};

class normalModeCommands : public commandSetBase {
public:
    // Normal mode cannot key the radio: both only check the link.
    std::int32_t keyUp() override;
    std::int32_t dekey() override;

    std::int32_t queryFirmwareVersion(std::uint8_t* destination, std::uint16_t* length);
    std::int32_t queryFeatureFlags(std::uint8_t* destination, std::uint16_t* length);
    // Writes up to ten characters at the serial-number offset and then the serial-area checksum
    // over what the codeplug then holds. The caller resets the radio afterwards.
    std::int32_t writeSerialNo(const char* text, std::uint16_t length, std::int32_t layoutFlag);
};

} // namespace kavrin
