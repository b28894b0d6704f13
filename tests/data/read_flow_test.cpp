// Reading the radio end to end against the virtual radio: the traffic, the progress, the
// identity checks and what each outcome leaves in the record.
#include "core_fixture.h"
#include "link/radio_link.h"
#include "support/radio_reads.h"

namespace kavrin {
namespace {

using test::CoreTest;
using Trace = std::vector<std::string>;

const std::vector<std::string> kReadProgress{"3% Complete",  "6% Complete", "10% Complete",
                                             "26% done",     "52% done",    "78% done",
                                             "100% Complete"};

TEST_F(CoreTest, StandardRadioIsReadWithItsTrafficProgressAndIdentity) {
    startRadio({"--serial", "KV00012345", "--model", "KVR4100U1"});
    ASSERT_TRUE(core.readFlow(progress));
    EXPECT_EQ(trace(), (Trace{"open0", "x15", "close", "open2", "x0", "x17", "x16", "x18",
                              "r7936+64", "r8000+64", "r8064+64", "r8128+64", "x1", "x22", "close",
                              "open2", "x20", "close"}));
    EXPECT_EQ(progress.texts, kReadProgress);
    EXPECT_EQ(progress.positions, (std::vector<int>{3, 6, 10, 26, 52, 78, 100}));
    EXPECT_EQ(pause.pauses.size(), 2u);
    EXPECT_EQ(messages.sink.texts(), Trace{"Radio has been successfully read !!"});
    EXPECT_EQ(status.last, "Radio Serial No: KV00012345" + std::string(57, ' ') +
                               "Radio Model No: KVR4100U1       ");
    EXPECT_EQ(cursor.depth, 0);
    EXPECT_TRUE(core.radioRead());

    const auto& record = core.record();
    const auto block = test::readRadioBlock(kStandardBlockAddress);
    EXPECT_EQ(record.getCell(kLayoutCodeCell), kStandardLayoutCode);
    EXPECT_EQ(record.getCell(kBandCell), 6u);
    for (const auto& type : kAlignmentTypes) {
        for (std::size_t i = 0; i < kPointCount; ++i) {
            EXPECT_EQ(record.getCell(pointCell(type.points, i)), kBandTable[6].transmitOffsets[i]);
            if (!type.middlePointOnly) {
                EXPECT_EQ(record.getCell(softpotCell(type, i)), block[blockOffset(type, i)]);
            }
        }
    }
    for (std::size_t column = 15; column <= 17; ++column) {
        EXPECT_EQ(record.getCell(2, column), 0u) << "no KTD softpots in the standard layout";
    }
    EXPECT_EQ(core.operations().blockImage(), block);
}

TEST_F(CoreTest, ExtendedRadioOfABandWithMissingPointsReadsKtdAndLeavesMissingPointsEmpty) {
    startRadio({"--layout", "extended", "--band", "1"});
    core.record().setCell(1, 3, 77); // Tx high power F4, a point band 1 does not have
    ASSERT_TRUE(core.readFlow(progress));
    const auto events = trace();
    EXPECT_EQ(Trace(events.begin(), events.begin() + 4), (Trace{"open0", "x15", "x24", "close"}));
    EXPECT_NE(std::find(events.begin(), events.end(), "r16128+64"), events.end());

    const auto& record = core.record();
    const auto block = test::readRadioBlock(kExtendedBlockAddress);
    EXPECT_EQ(record.getCell(kLayoutCodeCell), kExtendedLayoutCode);
    EXPECT_EQ(record.getCell(0, 5), 18u);
    EXPECT_EQ(record.getCell(0, 8), 0u);
    EXPECT_EQ(record.getCell(1, 3), 77u) << "a point not in use keeps its softpots";
    EXPECT_EQ(record.getCell(2, 15), block[62]);
    EXPECT_EQ(record.getCell(2, 16), block[63]);
    EXPECT_EQ(record.getCell(2, 17), block[64]);
    EXPECT_EQ(core.record().band(), 1u);
}

struct IdentityFailure {
    const char* name;
    QStringList options;
    const char* box;
    Trace trafficEnd; // the last requests of the test-mode link
    friend void PrintTo(const IdentityFailure& row, std::ostream* out) { *out << row.name; }
};

class BadIdentity : public CoreTest, public ::testing::WithParamInterface<IdentityFailure> {};

TEST_P(BadIdentity, EndsTheReadWithItsBoxAndLeavesTheSerialInvalid) {
    startRadio(GetParam().options);
    EXPECT_FALSE(core.readFlow(progress));
    EXPECT_EQ(messages.sink.texts(),
              (Trace{GetParam().box, "Read Radio Failed !! All softpot operational data is "
                                     "invalid !! Please re-read radio"}));
    EXPECT_EQ(messages.sink.shown[0].title, "Error !!");
    EXPECT_EQ(core.record().serialNo(), "Invalid");
    EXPECT_NE(status.last.find("Radio Serial No: Invalid"), std::string::npos);
    EXPECT_FALSE(core.radioRead());
    EXPECT_EQ(cursor.depth, 0);
    const auto events = trace();
    const auto& end = GetParam().trafficEnd;
    ASSERT_GE(events.size(), end.size());
    EXPECT_EQ(Trace(events.end() - static_cast<std::ptrdiff_t>(end.size()), events.end()), end);
}

const char* kSerialBox = "Invalid Radio Serial No.! Valid characters for Serial No. are 0-9 A-Z "
                         "(ASCII value) and exact 10 bytes.";

INSTANTIATE_TEST_SUITE_P(
    Identity, BadIdentity,
    ::testing::Values(
        IdentityFailure{"LowerCaseSerial",
                        {"--serial", "kv00012345"},
                        kSerialBox,
                        {"x0", "x17", "x1", "close"}},
        IdentityFailure{
            "SerialWithZeroByte", {"--serial", "KV000"}, kSerialBox, {"x0", "x17", "x1", "close"}},
        IdentityFailure{"LowerCaseModel",
                        {"--model", "kvr4100"},
                        "Invalid Radio Model No.! Valid characters for Model No. are 0-9 A-Z "
                        "(ASCII value) and no more than 16 bytes.",
                        {"x17", "x16", "x1", "close"}},
        IdentityFailure{"Band13",
                        {"--band", "13"},
                        "Invalid Radio Band No.! Valid Band No. is 0-12 (decimal value)",
                        {"x16", "x18", "x1", "close"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(CoreTest, ZeroSerialReadsAsTenBlanks) {
    startRadio({"--serial", ""});
    ASSERT_TRUE(core.readFlow(progress));
    EXPECT_EQ(core.record().serialNo(), "          ");
}

TEST_F(CoreTest, FailingChunkEndsTheReadWithoutLeavingTestMode) {
    startRadio({"--refuse", "read@2"});
    EXPECT_FALSE(core.readFlow(progress));
    const auto events = trace();
    EXPECT_EQ(Trace(events.end() - 3, events.end()), (Trace{"r7936+64", "r8000+64", "close"}));
    EXPECT_EQ(progress.texts.back(), "26% done");
    EXPECT_EQ(messages.sink.texts().size(), 1u);
}

TEST_F(CoreTest, OldFirmwareIsStandardLayoutWithoutAskingForFeatures) {
    startRadio({"--layout", "extended", "--firmware", "R0499"});
    core.layoutQuery();
    EXPECT_EQ(trace(), (Trace{"open0", "x15", "close"}));
    EXPECT_EQ(cursor.depth, 0);
}

TEST_F(CoreTest, FailedLayoutQueryChangesNothing) {
    startRadio({"--refuse", "15"});
    core.readSucceeded();
    EXPECT_FALSE(core.readFlow(progress));
    EXPECT_EQ(messages.sink.texts(), Trace{"Unable to read radio hardware information !!"});
    EXPECT_FALSE(core.radioRead());
    EXPECT_EQ(core.record().serialNo(), kNullSerialNo);
    EXPECT_TRUE(progress.texts.empty());
}

TEST_F(CoreTest, RegionTwoWarnsBeforeTheSuccessBoxAndAFailedRegionStillReads) {
    startRadio({"--region", "2"});
    ASSERT_TRUE(core.readFlow(progress));
    ASSERT_EQ(messages.sink.shown.size(), 2u);
    EXPECT_EQ(messages.sink.shown[0].title, "Warning");
    EXPECT_EQ(messages.sink.shown[1].text, "Radio has been successfully read !!");

    messages.sink.shown.clear();
    radio.reset();
    startRadio({"--refuse", "20"});
    ASSERT_TRUE(core.readFlow(progress));
    EXPECT_EQ(messages.sink.texts(),
              (Trace{"Read Radio Region Failed !! Radio Communication Error!!",
                     "Radio has been successfully read !!"}));
}

} // namespace
} // namespace kavrin
