// The frame codec: what goes in comes out, and damage of every kind is found and skipped.
#include "link/crc16.h"
#include "link/frame.h"

#include <gtest/gtest.h>
#include <string_view>

namespace kavrin::wire {
namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

std::vector<Frame> decodeAll(FrameDecoder& decoder, std::vector<DecodeResult>* problems = nullptr) {
    std::vector<Frame> frames;
    for (;;) {
        Frame frame;
        const auto result = decoder.next(frame);
        if (result == DecodeResult::NeedMore) {
            return frames;
        }
        if (result == DecodeResult::Frame) {
            frames.push_back(frame);
        } else if (problems != nullptr) {
            problems->push_back(result);
        }
    }
}

TEST(Crc16, MatchesTheCcittFalseCheckValue) {
    EXPECT_EQ(crc16(bytesOf("123456789")), 0x29B1);
}

TEST(FrameDecoder, DeliversFramesFedByteByByteAndBetweenGarbage) {
    const auto first = encodeFrame(7, 0x03, bytesOf("abc"));
    const auto second = encodeFrame(8, 0x84, {});
    std::vector<std::uint8_t> stream{0x00, 0xA5, 0x11, 0x5A};
    stream.insert(stream.end(), first.begin(), first.end());
    stream.push_back(0xA5); // a stray half marker between frames
    stream.insert(stream.end(), second.begin(), second.end());

    FrameDecoder decoder;
    std::vector<Frame> frames;
    for (auto byte : stream) {
        decoder.feed(std::span(&byte, 1));
        auto more = decodeAll(decoder);
        frames.insert(frames.end(), more.begin(), more.end());
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].sequence, 7);
    EXPECT_EQ(frames[0].kind, 0x03);
    EXPECT_EQ(frames[0].payload, bytesOf("abc"));
    EXPECT_EQ(frames[1].sequence, 8);
    EXPECT_TRUE(frames[1].payload.empty());
    EXPECT_EQ(decoder.buffered(), 0u);
}

struct Damage {
    const char* name;
    void (*apply)(std::vector<std::uint8_t>& frame);
    DecodeResult reported;
    friend void PrintTo(const Damage& row, std::ostream* out) { *out << row.name; }
};

class DamagedFrame : public ::testing::TestWithParam<Damage> {};

// A damaged frame is reported and dropped, and a good frame right behind it still arrives.
TEST_P(DamagedFrame, IsReportedAndTheNextFrameSurvives) {
    auto bad = encodeFrame(1, 0x81, bytesOf("payload"));
    GetParam().apply(bad);
    const auto good = encodeFrame(2, 0x82, bytesOf("ok"));
    FrameDecoder decoder;
    decoder.feed(bad);
    decoder.feed(good);
    std::vector<DecodeResult> problems;
    const auto frames = decodeAll(decoder, &problems);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].sequence, 2);
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems.front(), GetParam().reported);
}

INSTANTIATE_TEST_SUITE_P(
    Wire, DamagedFrame,
    ::testing::Values(Damage{"FlippedPayloadBit", [](auto& f) { f[7] ^= 0x10; },
                             DecodeResult::BadCrc},
                      Damage{"FlippedCrc", [](auto& f) { f.back() ^= 0x01; }, DecodeResult::BadCrc},
                      Damage{"WrongSequence", [](auto& f) { f[2] ^= 0x40; }, DecodeResult::BadCrc},
                      Damage{"LengthOverLimit",
                             [](auto& f) {
                                 f[4] = 0xFF;
                                 f[5] = 0xFF;
                             },
                             DecodeResult::TooLong}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(FrameDecoder, WaitsForAFrameOfTheLargestSize) {
    const std::vector<std::uint8_t> payload(kMaxPayload, 0x5A);
    const auto frame = encodeFrame(3, 0x85, payload);
    FrameDecoder decoder;
    decoder.feed(std::span(frame).first(frame.size() - 1));
    Frame out;
    EXPECT_EQ(decoder.next(out), DecodeResult::NeedMore);
    decoder.feed(std::span(frame).last(1));
    ASSERT_EQ(decoder.next(out), DecodeResult::Frame);
    EXPECT_EQ(out.payload, payload);
}

} // namespace
} // namespace kavrin::wire
