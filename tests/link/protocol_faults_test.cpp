// The wire protocol under the virtual radio's fault injection: lost and damaged frames are
// retried, work is never done twice, and a silent or vanished radio fails in bounded time.
#include "link/exceptions.h"
#include "link/radio_link.h"
#include "link_fixture.h"

#include <chrono>

namespace kavrin {
namespace {

using test::RadioTest;
using Clock = std::chrono::steady_clock;

constexpr int kWrites = 20;

// Writes kWrites distinct bytes, reads them back, and checks the radio did each write once.
void writeAndReadBack(const test::SimRadio& radio) {
    {
        radioLink link;
        for (int i = 0; i < kWrites; ++i) {
            const auto value = static_cast<std::uint8_t>(i + 1);
            link.testMode().writeCodeplug(&value, static_cast<std::uint16_t>(1000 + i), 1);
        }
        std::array<std::uint8_t, kWrites> back{};
        std::uint16_t length = kWrites;
        link.testMode().readCodeplug(back.data(), 1000, &length);
        for (int i = 0; i < kWrites; ++i) {
            EXPECT_EQ(back[static_cast<std::size_t>(i)], i + 1);
        }
    }
    EXPECT_EQ(test::eventsOfKind(radio.log(), test::RadioEvent::Kind::Write).size(),
              std::size_t{kWrites})
        << "a repeated write was done again, or one was lost";
}

struct FaultCase {
    const char* name;
    QStringList options;
    friend void PrintTo(const FaultCase& row, std::ostream* out) { *out << row.name; }
};

class NoisyWire : public RadioTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(NoisyWire, EveryRequestArrivesOnce) {
    startRadio(GetParam().options);
    writeAndReadBack(*radio);
    EXPECT_TRUE(messages.sink.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Faults, NoisyWire,
                         ::testing::Values(FaultCase{"Dropped", {"--drop", "0.1", "--seed", "11"}},
                                           FaultCase{"Corrupted",
                                                     {"--corrupt", "0.1", "--seed", "12"}},
                                           FaultCase{"Late", {"--delay-ms", "60"}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(RadioTest, SilentRadioFailsARequestWithinThreeSeconds) {
    startRadio({"--mute-after", "2"});
    try {
        radioLink link;
        link.testMode().enterTestMode();
        const auto start = Clock::now();
        try {
            link.testMode().keyUp();
            ADD_FAILURE() << "a silent radio answered";
        } catch (const GeneralRadioProtocolError& error) {
            EXPECT_EQ(error.errorValue(), 6200);
        }
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    } catch (const GeneralCommunicationError&) {
        // The close cannot be answered either.
    }
}

TEST_F(RadioTest, VanishedPortEndsInAnErrorNotAHang) {
    startRadio({"--hangup-after", "2"});
    const auto start = Clock::now();
    bool failed = false;
    try {
        radioLink link;
        for (int i = 0; i < 5; ++i) {
            link.testMode().resetRadio();
        }
    } catch (const Exception&) {
        failed = true;
    }
    EXPECT_TRUE(failed);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3)) << "a dead port is not retried";
}

TEST_F(RadioTest, RefusalFromTheKthOccurrenceOn) {
    startRadio({"--refuse", "read@2"});
    radioLink link;
    std::array<std::uint8_t, 8> buffer{};
    std::uint16_t length = 8;
    EXPECT_NO_THROW(link.testMode().readCodeplug(buffer.data(), 0, &length));
    length = 8;
    EXPECT_THROW(link.testMode().readCodeplug(buffer.data(), 0, &length),
                 GeneralRadioProtocolError);
    length = 8;
    EXPECT_THROW(link.testMode().readCodeplug(buffer.data(), 0, &length),
                 GeneralRadioProtocolError);
}

} // namespace
} // namespace kavrin
