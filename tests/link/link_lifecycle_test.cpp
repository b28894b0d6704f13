// Opening and closing a link: the messages of each failure, and closes that fail.
#include "link/exceptions.h"
#include "link/radio_link.h"
#include "link_fixture.h"

#include <stdexcept>

namespace kavrin {
namespace {

using test::RadioTest;
using test::ShownMessage;

int linkErrorOfOpening(std::uint8_t mode = kTestProtocolMode) {
    try {
        radioLink link(mode);
    } catch (const Exception& error) {
        return error.errorValue();
    }
    return 0;
}

TEST_F(RadioTest, NoRadioShowsNoDeviceDetected) {
    EXPECT_EQ(linkErrorOfOpening(), 6000);
    EXPECT_EQ(messages.sink.shown,
              (std::vector<ShownMessage>{{"No device detected. Please check the connection.",
                                          "Kavrin", MessageIcon::Exclamation, false}}));
}

TEST_F(RadioTest, PortInUseShowsOpenSerialFailed) {
    startRadio();
    radioLink holder;
    EXPECT_EQ(linkErrorOfOpening(), 6000);
    EXPECT_EQ(messages.sink.texts(), std::vector<std::string>{"Open Serial Failed!"});
}

TEST_F(RadioTest, SilentRadioShowsOpenProtocolServiceFailed) {
    startRadio({"--mute-after", "0"});
    EXPECT_EQ(linkErrorOfOpening(), 6000);
    EXPECT_EQ(messages.sink.texts(), std::vector<std::string>{"Open Protocol Service Failed!"});
    // The serial port was released without a close: the next link can have it.
    radio.reset();
    startRadio();
    EXPECT_EQ(linkErrorOfOpening(), 0);
}

TEST_F(RadioTest, FailedCloseThrowsTheLinkErrorFromTheDestructor) {
    startRadio({"--mute-after", "1"});
    int errorValue = 0;
    try {
        const radioLink link;
    } catch (const GeneralCommunicationError& error) {
        errorValue = error.errorValue();
    }
    EXPECT_EQ(errorValue, 6000);
    EXPECT_TRUE(messages.sink.shown.empty());
}

// An owner whose exchange already failed must get that failure, not a terminated program.
TEST_F(RadioTest, FailedCloseWhileAnotherFailureUnwindsKeepsThatFailure) {
    startRadio({"--mute-after", "1"});
    EXPECT_THROW(
        {
            radioLink link;
            throw std::runtime_error("exchange failed");
        },
        std::runtime_error);
}

TEST_F(RadioTest, LinkIsUsableAfterARefusedRequest) {
    startRadio({"--refuse", "8"});
    radioLink link;
    link.testMode().enterTestMode();
    EXPECT_THROW(link.testMode().setPowerSoftpot(10), GeneralRadioProtocolError);
    EXPECT_NO_THROW(link.testMode().setModulationSoftpot(10));
}

TEST_F(RadioTest, TuningOutsideTestModeIsRefusedByTheRadio) {
    startRadio();
    radioLink link;
    EXPECT_THROW(link.testMode().keyUp(), GeneralRadioProtocolError);
    link.testMode().enterTestMode();
    EXPECT_NO_THROW(link.testMode().keyUp());
    link.testMode().resetRadio();
    EXPECT_THROW(link.testMode().dekey(), GeneralRadioProtocolError) << "a reset leaves test mode";
}

} // namespace
} // namespace kavrin
