// The point mappers against the virtual radio: the live requests of assignFrequency, the
// programmed addresses, and the mapping errors.
#include "core_fixture.h"
#include "data/point_mappers.h"
#include "data/text_exception.h"
#include "link/radio_link.h"

namespace kavrin {
namespace {

using test::CoreTest;
using Trace = std::vector<std::string>;

class MapperTest : public CoreTest {
protected:
    void SetUp() override {
        startRadio({"--layout", "extended"});
        auto& record = core.record();
        record.setBand(0);
        record.setLayoutCode(kExtendedLayoutCode);
        for (std::uint32_t column = 0; column < 30; ++column) {
            record.setCell(1, column, 10 + column);
            record.setCell(2, column, 40 + column);
            record.setCell(3, column, column);
        }
    }

    // The request numbers and first data bytes of the live requests sent.
    std::vector<std::pair<int, std::string>> requests() const {
        auto out = test::executeRequestsWithData(radio->log());
        for (auto& request : out) {
            request.second = request.second.substr(0, 18);
        }
        return out;
    }
};

TEST_F(MapperTest, TxPowerLowAtF2SendsChannelModulationThenLowPower) {
    txPowerMapper mapper;
    mapper.setLevel(2);
    {
        radioLink link;
        link.testMode().enterTestMode();
        mapper.assignFrequency(50, core.record(), link.testMode());
    }
    const auto sent = requests();
    ASSERT_EQ(sent.size(), 4u);
    const auto channel = testChannelRecord(0, 1);
    EXPECT_EQ(sent[1].first, 6);
    const auto packed = packTestChannel(channel);
    EXPECT_EQ(
        sent[1].second.substr(2, 4),
        QByteArray(reinterpret_cast<const char*>(packed.data() + 1), 2).toHex().toStdString());
    EXPECT_EQ(sent[1].second.substr(14, 4), "1100") << "low power bit clear, 12.5 kHz";
    EXPECT_EQ(sent[2], (std::pair<int, std::string>{9, "290000000000000000"})) << "(2,1) = 41";
    EXPECT_EQ(sent[3], (std::pair<int, std::string>{8, "100000000000000000"})) << "(1,6) = 16";
}

TEST_F(MapperTest, ModulationAndSquelchSelectBandwidthAndTheirSoftpots) {
    txModulationMapper modulation;
    rxSquelchMapper squelch;
    {
        radioLink link;
        link.testMode().enterTestMode();
        modulation.setKind(3);
        modulation.assignFrequency(63, core.record(), link.testMode()); // 25 kHz at F4
        modulation.setKind(6);
        modulation.assignFrequency(55, core.record(), link.testMode()); // KTD 20 kHz at F3
        squelch.setSelection(3, 2);
        squelch.assignFrequency(74, core.record(), link.testMode()); // 20 kHz tight at F5
    }
    const auto sent = requests();
    ASSERT_EQ(sent.size(), 8u);
    EXPECT_EQ(sent[1].second.substr(16, 2), "10") << "bandwidth code 1";
    EXPECT_EQ(sent[2], (std::pair<int, std::string>{9, "350000000000000000"})) << "(2,13) = 53";
    EXPECT_EQ(sent[3], (std::pair<int, std::string>{8, "120000000000000000"})) << "(1,8) = 18";
    EXPECT_EQ(sent[4].second.substr(16, 2), "30") << "bandwidth code 3";
    EXPECT_EQ(sent[5], (std::pair<int, std::string>{31, "390000000000000000"})) << "(2,17) = 57";
    EXPECT_EQ(sent[6].second.substr(16, 2), "38") << "20 kHz, tight";
    EXPECT_EQ(sent[7], (std::pair<int, std::string>{7, "1d0000000000000000"})) << "(3,29) = 29";
}

TEST_F(MapperTest, BadSelectionsAndPointsFailBeforeAnythingIsSent) {
    txModulationMapper ktd;
    ktd.setKind(6);
    txPowerMapper power;
    power.setLevel(3);
    rxSquelchMapper squelch;
    squelch.setSelection(1, 1);
    {
        radioLink link;
        auto& commands = link.testMode();
        try {
            ktd.assignFrequency(50, core.record(), commands);
            ADD_FAILURE();
        } catch (const textException& error) {
            EXPECT_EQ(error.text(), "When assignFrequency Tx Modulation, it's no 12.5/20/25KHz "
                                    "Modulation and Low/Middle/High Frequency point.");
        }
        EXPECT_THROW(power.assignFrequency(50, core.record(), commands), textException);
        EXPECT_THROW(squelch.assignFrequency(51, core.record(), commands), textException);
        power.setPoint(50);
        EXPECT_THROW(power.programSoftpot(core.record(), 5, commands), textException);
    }
    EXPECT_TRUE(requests().empty());
}

TEST_F(MapperTest, ProgrammingWritesTheTypesAddress) {
    txPowerMapper power;
    rxSquelchMapper squelch;
    txModulationMapper ktd;
    {
        radioLink link;
        power.setLevel(1);
        power.setPoint(36);
        power.programSoftpot(core.record(), 0x121, link.testMode()); // low byte only
        core.record().setChannelOption(1);
        power.programSoftpot(core.record(), 0x22, link.testMode());
        core.record().setCodeplugLayout(0);
        squelch.setSelection(3, 2);
        squelch.setPoint(74);
        squelch.programSoftpot(core.record(), 7, link.testMode());
        ktd.setKind(5);
        ktd.setPoint(55);
        ktd.programSoftpot(core.record(), 9, link.testMode());
    }
    EXPECT_EQ(trace(), (Trace{"open2", "w16150=21", "w16150=22", "w16151=22", "w7997=07",
                              "w16191=09", "close"}));
}

} // namespace
} // namespace kavrin
