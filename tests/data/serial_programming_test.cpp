// Programming the serial number of a blank radio: the check, the entry rules, the bytes written
// with their area checksum, and every way it fails.
#include "core_fixture.h"
#include "data/serial_programming.h"
#include "link/radio_link.h"

namespace kavrin {
namespace {

using test::CoreTest;
using Trace = std::vector<std::string>;

class SerialTest : public CoreTest {
protected:
    void SetUp() override { core.record().setSerialNo(kBlankSerialNo); }
    std::string radioSerial() {
        std::array<std::uint8_t, 10> serial{};
        std::uint16_t length = 0;
        radioLink link;
        link.testMode().querySerialNo(serial.data(), &length);
        return {serial.begin(), serial.end()};
    }
};

struct LayoutCase {
    const char* name;
    const char* layout;
    std::int32_t codeplugLayout;
    std::string checksumWrite;
    friend void PrintTo(const LayoutCase& row, std::ostream* out) { *out << row.name; }
};

class SerialWrite : public SerialTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(SerialWrite, BlankRadioTakesTheNumberWithItsAreaChecksum) {
    startRadio({"--serial", "", "--layout", GetParam().layout});
    core.record().setCodeplugLayout(GetParam().codeplugLayout);
    ASSERT_TRUE(serialRadioCheck(core, messages.sink));
    ASSERT_TRUE(programSerialNo(core, "AB12345678", messages.sink, cursor));
    EXPECT_EQ(messages.sink.texts(), Trace{"Serial No. has been successfully programmed !!"});
    EXPECT_EQ(core.record().serialNo(), "AB12345678");
    EXPECT_FALSE(core.operations().usesNormalModeRequests()) << "back to test-mode requests";
    EXPECT_EQ(cursor.depth, 0);
    const auto events = trace();
    EXPECT_EQ(Trace(events.end() - 6, events.end()),
              (Trace{"x17", "r256+256", "w272=41423132333435363738", GetParam().checksumWrite,
                     "x22", "close"}));
    EXPECT_EQ(radioSerial(), "AB12345678");
}

INSTANTIATE_TEST_SUITE_P(Layouts, SerialWrite,
                         ::testing::Values(LayoutCase{"Standard", "standard", 0, "w404=27"},
                                           LayoutCase{"Extended", "extended", 1, "w431=27"}),
                         [](const auto& row) { return std::string(row.param.name); });

struct EntryCase {
    const char* name;
    const char* entry;
    const char* message;
    friend void PrintTo(const EntryCase& row, std::ostream* out) { *out << row.name; }
};

class BadEntry : public SerialTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(BadEntry, IsRefusedWithoutWriting) {
    startRadio({"--serial", ""});
    EXPECT_FALSE(programSerialNo(core, GetParam().entry, messages.sink, cursor));
    EXPECT_EQ(messages.sink.shown.at(0).title, "Entry Error");
    EXPECT_EQ(messages.sink.texts(), Trace{GetParam().message});
    for (const auto& event : trace()) {
        EXPECT_NE(event[0], 'w') << event;
    }
    EXPECT_EQ(core.record().serialNo(), kBlankSerialNo);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, BadEntry,
    ::testing::Values(EntryCase{"NineDigits", "123456789",
                                "Serial No. must be exactly 10 characters"},
                      EntryCase{"LowerCase", "AB1234567x",
                                "Serial No. must belong to '0'-'9' or 'A'-'Z' characters"},
                      EntryCase{"Blank", "AB 1234567",
                                "Serial No. must belong to '0'-'9' or 'A'-'Z' characters"}),
    [](const auto& row) { return std::string(row.param.name); });

struct CheckFailure {
    const char* name;
    QStringList options; // empty: no radio at all
    std::string message;
    std::string title;
    friend void PrintTo(const CheckFailure& row, std::ostream* out) { *out << row.name; }
};

class FailedCheck : public SerialTest, public ::testing::WithParamInterface<CheckFailure> {};

TEST_P(FailedCheck, ShowsItsOneMessageAndLeavesTestModeRequests) {
    if (!GetParam().options.isEmpty()) {
        startRadio(GetParam().options);
    }
    EXPECT_FALSE(serialRadioCheck(core, messages.sink));
    ASSERT_FALSE(messages.sink.shown.empty());
    EXPECT_EQ(messages.sink.shown.back().text, GetParam().message);
    EXPECT_EQ(messages.sink.shown.back().title, GetParam().title);
    EXPECT_FALSE(core.operations().usesNormalModeRequests());

    messages.sink.shown.clear();
    EXPECT_FALSE(programSerialNo(core, "AB12345678", messages.sink, cursor));
    EXPECT_EQ(messages.sink.shown.back().text, GetParam().message);
    EXPECT_EQ(cursor.depth, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, FailedCheck,
    ::testing::Values(
        CheckFailure{"RadioWithASerial",
                     {"--serial", "KV00012345"},
                     "Radio has been changed!! Please close the current screen and read in new "
                     "radio. Perform the same operation again.",
                     "WARNING"},
        CheckFailure{"RefusedRequest",
                     {"--serial", "", "--refuse", "17"},
                     "Radio Communication Error!!",
                     "ERROR"},
        CheckFailure{"NoRadio",
                     {},
                     "COM Port is currently in use by another application or radio isn't "
                     "connected",
                     " WARNING"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace kavrin
