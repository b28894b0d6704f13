// The command sets end to end: every request through a real link to the virtual radio, with the
// bytes on the wire checked in the radio's log.
#include "link/exceptions.h"
#include "link/radio_link.h"
#include "link_fixture.h"

#include <functional>

namespace kavrin {
namespace {

using test::RadioEvent;
using test::RadioTest;

std::string hex(std::initializer_list<int> leading) {
    std::string out;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::size_t count = 0;
    for (int byte : leading) {
        out += kDigits[(byte >> 4) & 0xF];
        out += kDigits[byte & 0xF];
        ++count;
    }
    out.append((16 - count) * 2, '0');
    return out;
}

TEST(TestChannelPacking, PacksTheBitFieldsOfBytes8To13) {
    TestChannelRecord transmitHigh{};
    transmitHigh.nibbleLow = 1;
    transmitHigh.nibbleHigh = 1;
    transmitHigh.levelBit = 1;
    EXPECT_EQ(packTestChannel(transmitHigh)[7], 0x11);
    EXPECT_EQ(packTestChannel(transmitHigh)[8], 0x80);

    TestChannelRecord receiveTight{};
    receiveTight.nibbleLow = 1;
    receiveTight.nibbleHigh = 1;
    receiveTight.bandwidthCode = 3;
    receiveTight.tightBit = 1;
    EXPECT_EQ(packTestChannel(receiveTight)[8], 0x38);
}

struct Step {
    const char* name;
    std::function<void(testModeCommands&)> send;
    int request;
    std::string data;
};

TEST_F(RadioTest, TestModeRequestsCarryTheirNumbersAndArguments) {
    startRadio();
    TestChannelRecord channel{};
    channel.firstWordLow = 0x2C;
    channel.firstWordHigh = 0x02;
    channel.firstRemainder = 5;
    channel.secondWordLow = 0x33;
    channel.secondWordHigh = 0x02;
    channel.secondRemainder = 80;
    channel.nibbleLow = 1;
    channel.nibbleHigh = 1;
    channel.levelBit = 1;
    const std::vector<Step> steps{
        {"enterTestMode", [](auto& c) { c.enterTestMode(); }, 0, hex({})},
        {"setTestChannel", [&](auto& c) { c.setTestChannel(channel); }, 6,
         hex({0, 0x2C, 0x02, 5, 0x33, 0x02, 80, 0x11, 0x80})},
        {"keyUp", [](auto& c) { c.keyUp(); }, 12, hex({})},
        {"setPowerSoftpot", [](auto& c) { c.setPowerSoftpot(17); }, 8, hex({17})},
        {"setModulationSoftpot", [](auto& c) { c.setModulationSoftpot(63); }, 9, hex({63})},
        {"dekey", [](auto& c) { c.dekey(); }, 13, hex({})},
        {"setSquelchSoftpot", [](auto& c) { c.setSquelchSoftpot(42); }, 7, hex({42})},
        {"startSignallingTest", [](auto& c) { c.startSignallingTest(); }, 27, hex({})},
        {"keyUpSignalling", [](auto& c) { c.keyUpSignalling(); }, 29, hex({})},
        {"setSignallingSoftpot", [](auto& c) { c.setSignallingSoftpot(33); }, 31, hex({33})},
        {"dekeySignalling", [](auto& c) { c.dekeySignalling(); }, 30, hex({})},
        {"stopSignallingTest", [](auto& c) { c.stopSignallingTest(); }, 28, hex({})},
        {"exitTestMode", [](auto& c) { c.exitTestMode(); }, 1, hex({})},
        {"resetRadio", [](auto& c) { c.resetRadio(); }, 22, hex({})},
    };
    {
        radioLink link;
        for (const auto& step : steps) {
            SCOPED_TRACE(step.name);
            EXPECT_NO_THROW(step.send(link.testMode()));
        }
    }
    const auto events = traffic();
    ASSERT_EQ(events.size(), steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(steps[i].name);
        EXPECT_EQ(events[i].kind, RadioEvent::Kind::Execute);
        EXPECT_EQ(events[i].request, steps[i].request);
        EXPECT_EQ(events[i].data, steps[i].data);
        EXPECT_EQ(events[i].status, wire::Status::Ok);
    }
    const auto all = radio->log();
    EXPECT_EQ(all.front().kind, RadioEvent::Kind::Open);
    EXPECT_EQ(all.front().mode, 2);
    EXPECT_EQ(all.back().kind, RadioEvent::Kind::Close);
}

TEST_F(RadioTest, QueriesReturnTheRadiosBytesAsGivenWithFixedCounts) {
    startRadio({"--serial", "ab12345678", "--model", "kvr1", "--band", "200", "--region", "2",
                "--firmware", "R0105"});
    radioLink link;
    auto& commands = link.testMode();
    std::array<std::uint8_t, 48> buffer{};
    std::uint16_t length = 48;

    commands.queryFirmwareVersion(buffer.data(), &length);
    EXPECT_EQ(length, 5);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 5), "R0105");

    commands.querySerialNo(buffer.data(), &length);
    EXPECT_EQ(length, 10);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 10), "ab12345678");

    buffer.fill(0xEE);
    commands.queryModelNo(buffer.data(), &length);
    EXPECT_EQ(length, 16);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 4), "kvr1");
    EXPECT_EQ(buffer[4], 0) << "a short model is padded with zero bytes";
    EXPECT_EQ(buffer[16], 0xEE) << "nothing beyond the fixed count is written";

    commands.queryBandNo(buffer.data(), &length);
    EXPECT_EQ(length, 1);
    EXPECT_EQ(buffer[0], 200);
    commands.queryRegion(buffer.data(), &length);
    EXPECT_EQ(buffer[0], 2);
}

TEST_F(RadioTest, NormalModeAsksForLayoutAndResets) {
    startRadio({"--layout", "extended"});
    {
        radioLink link(kNormalProtocolMode);
        std::array<std::uint8_t, 16> buffer{};
        std::uint16_t length = 0;
        link.normalMode().queryFirmwareVersion(buffer.data(), &length);
        EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 5), "R0512");
        link.normalMode().queryFeatureFlags(buffer.data(), &length);
        EXPECT_EQ(length, 1);
        EXPECT_NE(buffer[0] & 0x10, 0) << "extended layout flag";
        EXPECT_EQ(link.normalMode().keyUp(), 0);
        EXPECT_EQ(link.normalMode().dekey(), 0);
        link.normalMode().resetRadio();
    }
    EXPECT_EQ(test::executeRequests(radio->log()), (std::vector<int>{15, 24, 22}));
    EXPECT_EQ(radio->log().front().mode, 0);
}

TEST_F(RadioTest, RequestsOfTheOtherModeFailWithTheLinkErrorAndSendNothing) {
    startRadio();
    std::array<std::uint8_t, 16> buffer{};
    std::uint16_t length = 0;
    {
        radioLink testLink;
        EXPECT_THROW(testLink.normalMode().queryFeatureFlags(buffer.data(), &length),
                     GeneralCommunicationError);
        EXPECT_THROW(testLink.normalMode().writeSerialNo("1234567890", 10, 0),
                     GeneralCommunicationError);
    }
    {
        radioLink normalLink(kNormalProtocolMode);
        EXPECT_THROW(normalLink.testMode().enterTestMode(), GeneralCommunicationError);
        EXPECT_THROW(normalLink.testMode().keyUp(), GeneralCommunicationError);
    }
    {
        radioLink oddLink(1);
        EXPECT_THROW(oddLink.testMode().resetRadio(), GeneralCommunicationError);
        EXPECT_THROW(oddLink.normalMode().resetRadio(), GeneralCommunicationError);
        EXPECT_THROW(oddLink.normalMode().keyUp(), GeneralCommunicationError);
    }
    EXPECT_TRUE(traffic().empty());
    const auto events = radio->log();
    ASSERT_EQ(events.size(), 6u) << "three links opened and closed normally";
    EXPECT_EQ(events[4].mode, 1);
}

TEST_F(RadioTest, BadArgumentsFailWithTheRequestErrorBeforeAnythingIsSent) {
    startRadio();
    radioLink link;
    std::uint16_t length = 0;
    try {
        link.testMode().querySerialNo(nullptr, &length);
        FAIL() << "no exception";
    } catch (const GeneralRadioProtocolError& error) {
        EXPECT_EQ(error.errorValue(), 6200);
    }
    EXPECT_THROW(link.testMode().readCodeplug(nullptr, 0, &length), GeneralRadioProtocolError);
    EXPECT_TRUE(traffic().empty());
}

TEST_F(RadioTest, CodeplugWritesAndReadsMeetAndChecksumsLandWhereTheLayoutSays) {
    startRadio({"--layout", "extended"});
    radioLink link;
    auto& commands = link.testMode();
    const std::array<std::uint8_t, 3> written{0x11, 0x22, 0x33};
    commands.writeCodeplug(written.data(), 0x3F16, 3);
    std::array<std::uint8_t, 64> back{};
    std::uint16_t length = 64;
    commands.readCodeplug(back.data(), 0x3F16, &length);
    EXPECT_EQ(length, 64);
    EXPECT_TRUE(std::equal(written.begin(), written.end(), back.begin()));

    commands.writeCodeplugChecksum(0x5C, 0);
    commands.writeCodeplugChecksum(0xA7, 1);
    const auto events = traffic();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[2].offset, 8045);
    EXPECT_EQ(events[2].bytes, "5c");
    EXPECT_EQ(events[3].offset, 16237);
    EXPECT_EQ(events[3].bytes, "a7");

    // A read the radio cannot serve fails and leaves the destination alone; the link stays
    // usable afterwards.
    back.fill(0x77);
    length = 64;
    EXPECT_THROW(commands.readCodeplug(back.data(), 16380, &length), GeneralRadioProtocolError);
    EXPECT_EQ(length, 64);
    EXPECT_EQ(back[0], 0x77);
    length = 4;
    EXPECT_NO_THROW(commands.readCodeplug(back.data(), 16380, &length));
    EXPECT_EQ(length, 4);
}

TEST_F(RadioTest, SerialNumberWriteUpdatesTheAreaChecksumAndTheRadiosAnswer) {
    startRadio({"--serial", ""});
    const std::string serial = "AB12345678";
    {
        radioLink link(kNormalProtocolMode);
        std::array<std::uint8_t, 10> before{};
        std::uint16_t length = 0;
        link.normalMode().querySerialNo(before.data(), &length);
        EXPECT_EQ(before, (std::array<std::uint8_t, 10>{})) << "a blank radio answers zeros";
        link.normalMode().writeSerialNo(serial.c_str(), 10, 0);
        link.normalMode().resetRadio();
    }
    std::array<std::uint8_t, 256> area{};
    {
        radioLink link;
        std::array<std::uint8_t, 10> after{};
        std::uint16_t length = 0;
        link.testMode().querySerialNo(after.data(), &length);
        EXPECT_EQ(std::string(after.begin(), after.end()), serial);
        length = 256;
        link.testMode().readCodeplug(area.data(), 256, &length);
    }
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < 404 - 256; ++i) {
        sum = static_cast<std::uint8_t>(sum + area[i]);
    }
    EXPECT_EQ(area[404 - 256], sum);

    const auto events = traffic();
    ASSERT_GE(events.size(), 5u);
    EXPECT_EQ(events[1].kind, RadioEvent::Kind::Read);
    EXPECT_EQ(events[1].offset, 256);
    EXPECT_EQ(events[1].length, 256);
    EXPECT_EQ(events[2].offset, 272);
    EXPECT_EQ(events[2].bytes, QByteArray::fromStdString(serial).toHex().toStdString());
    EXPECT_EQ(events[3].offset, 404);
    EXPECT_EQ(events[4].request, 22);
}

TEST_F(RadioTest, SerialNumberOfWrongLengthIsRefusedBeforeAnyCodeplugAccess) {
    startRadio();
    radioLink link(kNormalProtocolMode);
    EXPECT_THROW(link.normalMode().writeSerialNo("ABCDEFGHIJK", 11, 0), GeneralRadioProtocolError);
    EXPECT_THROW(link.normalMode().writeSerialNo("", 0, 0), GeneralRadioProtocolError);
    EXPECT_THROW(link.normalMode().writeSerialNo(nullptr, 10, 0), GeneralRadioProtocolError);
    EXPECT_TRUE(traffic().empty());
}

} // namespace
} // namespace kavrin
