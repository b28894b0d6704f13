// The virtual radio's log read back: every kind of line into its typed fields, the lines the
// reader refuses, and what a running radio writes for the requests of a real link.
#include "link/exceptions.h"
#include "link/radio_link.h"
#include "support/radio_log.h"
#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace kavrin {
namespace {

using test::parseRadioLog;
using test::RadioEvent;
using Kind = RadioEvent::Kind;
using wire::Status;

const std::string kOpenLine = R"({"event":"open","mode":2,"status":"ok"})";
const std::string kCloseLine = R"({"event":"close","status":"ok"})";

// A line and the event it reads as, from a default event with status ok.
struct LineCase {
    const char* name;
    const char* line;
    std::function<void(RadioEvent&)> expect;
    friend void PrintTo(const LineCase& row, std::ostream* out) { *out << row.name; }
};

class LogLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(LogLine, ReadsIntoTypedFields) {
    const auto events = parseRadioLog(std::string(GetParam().line) + "\n");
    ASSERT_EQ(events.size(), 1u);
    RadioEvent expected;
    GetParam().expect(expected);
    expected.line = GetParam().line;
    EXPECT_EQ(events[0], expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LogLine,
    ::testing::Values(
        LineCase{"Open", R"({"event":"open","mode":2,"status":"ok"})",
                 [](RadioEvent& e) {
                     e.kind = Kind::Open;
                     e.mode = 2;
                 }},
        LineCase{"CloseOfNoLink", R"({"event":"close","status":"not_open"})",
                 [](RadioEvent& e) {
                     e.kind = Kind::Close;
                     e.status = Status::NotOpen;
                 }},
        LineCase{"SoftpotRequest",
                 R"({"event":"execute","request":8,"name":"setPowerSoftpot",)"
                 R"("data":"11000000000000000000000000000000","value":17,"status":"ok"})",
                 [](RadioEvent& e) {
                     e.kind = Kind::Execute;
                     e.request = 8;
                     e.name = "setPowerSoftpot";
                     e.data = "11000000000000000000000000000000";
                     e.value = 17;
                 }},
        LineCase{"TestChannel",
                 R"({"event":"execute","request":6,"name":"setTestChannel",)"
                 R"("data":"002c0208330250000000000000000000","firstMHz":444.8500,)"
                 R"("secondMHz":450.9000,"status":"ok"})",
                 [](RadioEvent& e) {
                     e.kind = Kind::Execute;
                     e.request = 6;
                     e.name = "setTestChannel";
                     e.data = "002c0208330250000000000000000000";
                     e.firstMHz = 444.85;
                     e.secondMHz = 450.9;
                 }},
        LineCase{"RequestNumberItDoesNotKnow",
                 R"({"event":"execute","request":-7,)"
                 R"("data":"00000000000000000000000000000000","status":"unknown_request"})",
                 [](RadioEvent& e) {
                     e.kind = Kind::Execute;
                     e.status = Status::UnknownRequest;
                     e.request = -7;
                     e.data = "00000000000000000000000000000000";
                 }},
        LineCase{"ShortExecute", R"({"event":"execute","payloadLength":3,"status":"not_open"})",
                 [](RadioEvent& e) {
                     e.kind = Kind::Execute;
                     e.status = Status::NotOpen;
                     e.payloadLength = 3;
                 }},
        LineCase{"RefusedRead", R"({"event":"read","offset":7936,"length":64,"status":"refused"})",
                 [](RadioEvent& e) {
                     e.kind = Kind::Read;
                     e.status = Status::Refused;
                     e.offset = 7936;
                     e.length = 64;
                 }},
        LineCase{"Write", R"({"event":"write","offset":8045,"bytes":"5ca7","status":"ok"})",
                 [](RadioEvent& e) {
                     e.kind = Kind::Write;
                     e.offset = 8045;
                     e.bytes = "5ca7";
                 }},
        LineCase{"FrameKindItDoesNotKnow",
                 R"({"event":"unknown","kind":9,"status":"unknown_request"})",
                 [](RadioEvent& e) {
                     e.kind = Kind::Unknown;
                     e.status = Status::UnknownRequest;
                     e.frameKind = 9;
                 }},
        LineCase{"FieldsInAnyOrder", R"({"status":"wrong_mode","request":24,"event":"execute"})",
                 [](RadioEvent& e) {
                     e.kind = Kind::Execute;
                     e.status = Status::WrongMode;
                     e.request = 24;
                 }},
        LineCase{"MonitorQuery",
                 R"({"event":"scpi","command":"SYST:ERR?","reply":"0,\"No error\""})",
                 [](RadioEvent& e) {
                     e.kind = Kind::Scpi;
                     e.command = "SYST:ERR?";
                     e.reply = R"(0,"No error")";
                 }},
        LineCase{"MonitorSetting", R"({"event":"scpi","command":"RFG:AMPL -118"})",
                 [](RadioEvent& e) {
                     e.kind = Kind::Scpi;
                     e.command = "RFG:AMPL -118";
                 }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RadioLogText, ReadsCompleteLinesOnly) {
    EXPECT_TRUE(parseRadioLog("").empty());
    EXPECT_TRUE(parseRadioLog("\n\n").empty());
    const auto events = parseRadioLog(kOpenLine + "\n\n" + kCloseLine + "\n" + R"({"event":"wr)");
    ASSERT_EQ(events.size(), 2u) << "a line still being written is left for the next read";
    EXPECT_EQ(events[0].kind, Kind::Open);
    EXPECT_EQ(events[0].line, kOpenLine);
    EXPECT_EQ(events[1].kind, Kind::Close);
}

struct BadLine {
    const char* name;
    const char* line;
    const char* reason;
    friend void PrintTo(const BadLine& row, std::ostream* out) { *out << row.name; }
};

class BadLogLine : public ::testing::TestWithParam<BadLine> {};

TEST_P(BadLogLine, StopsTheReadNamingTheLine) {
    // Line 3, after a good line and a blank one.
    const auto text = kOpenLine + "\n\n" + GetParam().line + "\n" + kCloseLine + "\n";
    try {
        parseRadioLog(text);
        ADD_FAILURE() << "read without complaint";
    } catch (const test::RadioLogError& error) {
        EXPECT_NE(std::string(error.what()).find(std::string("line 3: ") + GetParam().reason),
                  std::string::npos)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BadLogLine,
    ::testing::Values(
        BadLine{"CutShort", R"({"event":"open","mode")", "not a JSON object"},
        BadLine{"NotAnObject", R"(["open",2])", "not a JSON object"},
        BadLine{"NoEvent", R"({"status":"ok"})", "no 'event'"},
        BadLine{"EventNotText", R"({"event":3,"status":"ok"})", "'event' is not a string"},
        BadLine{"UnknownEvent", R"({"event":"ping","status":"ok"})", "unknown event 'ping'"},
        BadLine{"NoStatus", R"({"event":"close"})", "no 'status'"},
        BadLine{"MonitorLineWithoutCommand", R"({"event":"scpi","reply":"1"})", "no 'command'"},
        BadLine{"MonitorLineWithStatus", R"({"event":"scpi","command":"*RST","status":"ok"})",
                "unknown field 'status'"},
        BadLine{"UnknownStatus", R"({"event":"close","status":"busy"})", "unknown status 'busy'"},
        BadLine{"NumberAsText", R"({"event":"open","mode":"2","status":"ok"})",
                "'mode' is not a number"},
        BadLine{"FractionalOffset", R"({"event":"read","offset":1.5,"length":4,"status":"ok"})",
                "'offset' is not an integer"},
        BadLine{"OffsetBeyondInt", R"({"event":"read","offset":4294967296,"status":"ok"})",
                "'offset' is not an integer"},
        BadLine{"UnknownField", R"({"event":"close","status":"ok","reason":"idle"})",
                "unknown field 'reason'"},
        BadLine{"UpperCaseHex", R"({"event":"write","offset":1,"bytes":"5C","status":"ok"})",
                "'bytes' is not bytes in lower-case hex"},
        BadLine{"HalfAByte", R"({"event":"write","offset":1,"bytes":"5ca","status":"ok"})",
                "'bytes' is not bytes in lower-case hex"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RadioLogOfALink, CarriesWhatTheRadioDidWithEachRequest) {
    test::IsolatedPorts ports;
    test::RecordedMessages messages;
    test::SimRadio radio(ports, {"--refuse", "8"});
    TestChannelRecord channel{};
    channel.firstWordLow = 0x2C; // 556 steps of 800 kHz and 8 of 6.25 kHz
    channel.firstWordHigh = 0x02;
    channel.firstRemainder = 8;
    channel.secondWordLow = 0x33; // 563 steps of 800 kHz and 80 of 6.25 kHz
    channel.secondWordHigh = 0x02;
    channel.secondRemainder = 80;
    {
        radioLink link;
        auto& commands = link.testMode();
        commands.enterTestMode();
        commands.setTestChannel(channel);
        commands.setSquelchSoftpot(42);
        EXPECT_THROW(commands.setPowerSoftpot(17), GeneralRadioProtocolError);
        const std::array<std::uint8_t, 2> written{0x5C, 0xA7};
        commands.writeCodeplug(written.data(), 1000, 2);
        std::array<std::uint8_t, 2> back{};
        std::uint16_t length = 2;
        commands.readCodeplug(back.data(), 1000, &length);
    }
    const auto log = radio.log();
    ASSERT_EQ(log.size(), 8u);
    EXPECT_EQ(log[0].mode, 2);
    EXPECT_EQ(log[1].name, "enterTestMode");

    EXPECT_EQ(log[2].name, "setTestChannel");
    ASSERT_TRUE(log[2].firstMHz && log[2].secondMHz);
    EXPECT_DOUBLE_EQ(*log[2].firstMHz, 444.85);
    EXPECT_DOUBLE_EQ(*log[2].secondMHz, 450.9);

    EXPECT_EQ(log[3].name, "setSquelchSoftpot");
    EXPECT_EQ(log[3].value, 42);
    EXPECT_EQ(log[3].status, Status::Ok);

    EXPECT_EQ(log[4].request, 8);
    EXPECT_EQ(log[4].status, Status::Refused);
    EXPECT_EQ(log[4].value, std::nullopt) << "a refused softpot was not set";

    EXPECT_EQ(log[5].kind, Kind::Write);
    EXPECT_EQ(log[5].bytes, "5ca7");
    EXPECT_EQ(log[6].kind, Kind::Read);
    EXPECT_EQ(log[6].length, 2);
    EXPECT_EQ(log[7].kind, Kind::Close);
    EXPECT_EQ(test::executeRequests(log), (std::vector<int>{0, 6, 7, 8}));
}

} // namespace
} // namespace kavrin
