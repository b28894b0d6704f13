// The test channel table of the point mappers, computed by the synthesizer rule: no radio needed.
#include "data/point_mappers.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

namespace kavrin {
namespace {

std::uint16_t word(std::uint8_t low, std::uint8_t high) {
    return static_cast<std::uint16_t>(low | high << 8);
}

TEST(TestChannelTable, FollowsTheSynthesizerRule) {
    const auto band0F1 = testChannelRecord(0, 0);
    EXPECT_EQ(word(band0F1.secondWordLow, band0F1.secondWordHigh), 170);
    EXPECT_EQ(band0F1.secondRemainder, 0);
    EXPECT_EQ(word(band0F1.firstWordLow, band0F1.firstWordHigh), 226);
    EXPECT_EQ(band0F1.firstRemainder, 48);
    EXPECT_EQ(band0F1.nibbleLow, 1);
    EXPECT_EQ(band0F1.nibbleHigh, 1);

    const auto band5F1 = testChannelRecord(5, 0);
    EXPECT_EQ(word(band5F1.secondWordLow, band5F1.secondWordHigh), 507);
    EXPECT_EQ(band5F1.secondRemainder, 64);
    EXPECT_EQ(word(band5F1.firstWordLow, band5F1.firstWordHigh), 451);
    EXPECT_EQ(band5F1.firstRemainder, 16);

    // Receive records equal transmit records; missing points are all zero.
    const auto receive = testChannelRecord(5, kReceiveRecordBase);
    EXPECT_EQ(std::memcmp(&receive, &band5F1, sizeof receive), 0);
    const TestChannelRecord zero{};
    const auto missing = testChannelRecord(1, 3);
    EXPECT_EQ(std::memcmp(&missing, &zero, sizeof zero), 0);
}

} // namespace
} // namespace kavrin
