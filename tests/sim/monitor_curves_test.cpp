// The service monitor's curves taken apart: what the built-in model promises automatic alignment
// for every screen and point, straight lines between given pairs, and the curves files refused.
#include "sim/monitor_curves.h"

#include <gtest/gtest.h>
#include <string>

namespace kavrin::sim {
namespace {

std::vector<std::uint8_t> serialBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes(kSerialNoSize, 0);
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
}

// The limits' window around each target is at least this share of the half-width away on its
// near side (2.2-2.35 around 2.3 for 12.5 kHz modulation).
constexpr double kNearSideShare = 2.0 / 3.0;

TEST(BuiltInCurves, PutEveryPointsBestSoftpotWellInsideTheRangeAndOnAStepInsideItsWindow) {
    for (const auto* serial : {"KV00012345", "ZZ99887766", ""}) {
        const auto curves = CurveSet::builtIn(serialBytes(serial));
        for (const auto& type : kAlignmentTypes) {
            const auto aim = builtInAim(type.type);
            for (std::size_t point = 0; point < kPointCount; ++point) {
                SCOPED_TRACE(std::string(serial) + " " + std::string(type.cliName) + " F" +
                             std::to_string(point + 1));
                const auto& curve = curves.curve(type.type, point);
                std::uint32_t best = 0;
                for (std::uint32_t softpot = 1; softpot <= kMaxSoftpot; ++softpot) {
                    // Power and deviation grow with the softpot; so does the opening level,
                    // which makes the squelch less sensitive.
                    ASSERT_GT(curve.at(softpot), curve.at(softpot - 1)) << "at " << softpot;
                    if (std::abs(curve.at(softpot) - aim.target) <
                        std::abs(curve.at(best) - aim.target)) {
                        best = softpot;
                    }
                }
                EXPECT_GE(best, 10u);
                EXPECT_LE(best, 53u);
                EXPECT_LT(std::abs(curve.at(best) - aim.target), aim.halfWidth * kNearSideShare);
                EXPECT_LT(curve.at(best + 1) - curve.at(best), aim.halfWidth);
                EXPECT_LT(curve.at(best) - curve.at(best - 1), aim.halfWidth);
            }
        }
    }
}

TEST(BuiltInCurves, DifferFromPointToPointAndFromRadioToRadio) {
    const auto one = CurveSet::builtIn(serialBytes("KV00012345"));
    const auto other = CurveSet::builtIn(serialBytes("KV00012346"));
    for (const auto& type : kAlignmentTypes) {
        for (std::size_t point = 0; point < kPointCount; ++point) {
            SCOPED_TRACE(std::string(type.cliName) + " F" + std::to_string(point + 1));
            EXPECT_NE(one.curve(type.type, point).at(30), other.curve(type.type, point).at(30));
            if (point > 0) {
                EXPECT_NE(one.curve(type.type, point).at(30),
                          one.curve(type.type, point - 1).at(30));
            }
        }
    }
}

TEST(Curve, IsStraightBetweenItsPairsAndFlatBeyondThem) {
    const Curve curve({{10, 1.0}, {20, 3.0}, {40, 2.0}});
    EXPECT_DOUBLE_EQ(curve.at(0), 1.0);
    EXPECT_DOUBLE_EQ(curve.at(10), 1.0);
    EXPECT_DOUBLE_EQ(curve.at(15), 2.0);
    EXPECT_DOUBLE_EQ(curve.at(30), 2.5);
    EXPECT_DOUBLE_EQ(curve.at(63), 2.0);
    EXPECT_DOUBLE_EQ(Curve({{7, -118.0}}).at(50), -118.0);
}

std::string fivePoints(const std::string& curve) {
    return "[" + curve + "," + curve + "," + curve + "," + curve + "," + curve + "]";
}

TEST(CurvesFile, ReplacesTheScreensItNamesAndKeepsTheOthersBuiltIn) {
    const auto serial = serialBytes("KV00012345");
    std::string error;
    const auto curves = CurveSet::fromJson(
        R"({"ktd-20": )" + fivePoints("[[0, 0.1], [63, 0.9]]") + "}", serial, error);
    ASSERT_TRUE(curves) << error;
    EXPECT_DOUBLE_EQ(curves->curve(AlignmentType::TxKtd20KHz, 2).at(31.5), 0.5);
    const auto builtIn = CurveSet::builtIn(serial);
    EXPECT_EQ(curves->curve(AlignmentType::TxKtd25KHz, 2).pairs(),
              builtIn.curve(AlignmentType::TxKtd25KHz, 2).pairs());
}

struct BadFile {
    const char* name;
    std::string text;
    const char* reason;
    friend void PrintTo(const BadFile& row, std::ostream* out) { *out << row.name; }
};

class CurvesFileRefused : public ::testing::TestWithParam<BadFile> {};

TEST_P(CurvesFileRefused, SayingWhereAndWhy) {
    std::string error;
    EXPECT_FALSE(CurveSet::fromJson(GetParam().text, serialBytes("KV00012345"), error));
    EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
}

const std::string kGood = "[[0, 1], [63, 9]]";

INSTANTIATE_TEST_SUITE_P(
    Files, CurvesFileRefused,
    ::testing::Values(
        BadFile{"Empty", "", "line 1, column 1: unexpected end of text"},
        BadFile{"CutShort", R"({"tx-low-power": [)", "unexpected end of text"},
        BadFile{"NotAnObject", "[]", "expected an object of screens"},
        BadFile{"TrailingComma", R"({"tx-low-power": )" + fivePoints(kGood) + ",}",
                "expected a member name"},
        BadFile{"Comment", "// curves\n{}", "line 1, column 1: expected a value"},
        BadFile{"NotANumber", R"({"tx-low-power": [[[0, NaN]]]})", "expected a value"},
        BadFile{"TextAfterTheObject", "{} {}", "unexpected text after the value"},
        BadFile{"DuplicateScreen",
                R"({"tx-low-power": )" + fivePoints(kGood) + R"(, "tx-low-power": 1})",
                "duplicate member 'tx-low-power'"},
        BadFile{"NestedTooDeeply", std::string(40, '[') + std::string(40, ']'),
                "nested too deeply"},
        BadFile{"UnknownScreen", R"({"tx-mid-power": )" + fivePoints(kGood) + "}",
                "unknown screen 'tx-mid-power'"},
        BadFile{"FourPoints",
                R"({"tx-low-power": [)" + kGood + "," + kGood + "," + kGood + "," + kGood + "]}",
                "needs a list of 5 curves"},
        BadFile{"EmptyCurve", R"({"squelch-20-tight": [[], [], [], [], []]})",
                "screen 'squelch-20-tight', F1, line 1, column 23: expected a list of 1 to 256"},
        BadFile{"PairOfThree", R"({"tx-mod-25": )" + fivePoints("[[0, 1, 2]]") + "}",
                "expected a pair"},
        BadFile{"SoftpotsNotIncreasing",
                R"({"tx-mod-25": )" + fivePoints("[[10, 1], [10, 2]]") + "}",
                "the softpots of a curve must increase"},
        BadFile{"FractionalSoftpot", R"({"tx-mod-25": )" + fivePoints("[[1.5, 1]]") + "}",
                "a whole number"},
        BadFile{"SoftpotBeyondAByte", R"({"tx-mod-25": )" + fivePoints("[[256, 1]]") + "}",
                "a whole number"},
        BadFile{"NegativePower", R"({"tx-high-power": )" + fivePoints("[[0, -1]]") + "}",
                "cannot be negative"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CurvesFile, NegativeOpeningLevelsAreLevelsInDbm) {
    std::string error;
    EXPECT_TRUE(CurveSet::fromJson(R"({"squelch-25-normal": )" +
                                       fivePoints("[[0, -130], [63, -100]]") + "}",
                                   serialBytes(""), error))
        << error;
}

} // namespace
} // namespace kavrin::sim
