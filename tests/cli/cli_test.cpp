// kavrin-cli's commands against the virtual radio.
#include "cli/cli.h"
#include "cli/interrupt.h"
#include "cli/run_cli.h"
#include "data/application_core.h"
#include "data/archive.h"
#include "data/report.h"
#include "link/radio_link.h"
#include "support/quiet_read.h"
#include "support/radio_reads.h"
#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <signal.h>
#include <span>
#include <sstream>

namespace kavrin {
namespace {

using test::CliRun;
using test::runCli;

class CliTest : public ::testing::Test {
protected:
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }

    test::IsolatedPorts ports;
    QTemporaryDir dir;
};

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(CliTest, ReadSavesTheArchiveAndWritesTheReport) {
    test::SimRadio radio(ports, {"--layout", "extended", "--band", "4"});
    const auto run = runCli({"read", "--save", path("radio.spa"), "--report", path("display.txt")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("3% Complete\n6% Complete\n10% Complete\n26% done\n52% done\n78% "
                           "done\n100% Complete\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("Radio Serial No: KV00012345"), std::string::npos);

    radioRecord saved;
    ASSERT_EQ(loadArchive(path("radio.spa"), saved), ArchiveLoad::Loaded);
    EXPECT_EQ(saved.getCell(kBandCell), 4u);
    EXPECT_EQ(fileText(path("display.txt")), reportText(saved));
    EXPECT_EQ(runCli({"report", path("radio.spa"), "--output", path("again.txt")}).exitCode, 0);
    EXPECT_EQ(fileText(path("again.txt")), reportText(saved));
    EXPECT_NE(runCli({"show", path("radio.spa")}).out.find("Band:           4"), std::string::npos);
}

// The archive's softpots, not the radio's, end up in the radio, under a valid checksum.
TEST_F(CliTest, ProgramWritesTheArchiveIntoTheRadio) {
    radioRecord record;
    {
        test::SimRadio radio(ports);
        ASSERT_EQ(runCli({"read", "--save", path("radio.spa")}).exitCode, 0);
        ASSERT_EQ(loadArchive(path("radio.spa"), record), ArchiveLoad::Loaded);
    }
    for (std::uint32_t i = 0; i < kPointCount; ++i) {
        record.setCell(1, i, 60 - i);
        record.setCell(3, 20 + i, 3 + i);
    }
    ASSERT_TRUE(saveArchive(path("tuned.spa"), record, 321));

    test::SimRadio radio(ports);
    auto run = runCli({"program", path("tuned.spa")});
    EXPECT_EQ(run.exitCode, 1) << "unattended and not told --yes";
    EXPECT_NE(run.out.find("Note: Program Radio?"), std::string::npos);

    run = runCli({"program", path("tuned.spa"), "--yes"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("NOTE: Radio successfully programmed!!"), std::string::npos);
    const auto block = test::readRadioBlock(blockAddress(0));
    for (const auto& type : kAlignmentTypes) {
        for (std::size_t i = 0; i < kPointCount && !type.middlePointOnly; ++i) {
            EXPECT_EQ(block[blockOffset(type, i)], record.getCell(softpotCell(type, i)));
        }
    }
    EXPECT_EQ(block[kBlockChecksumOffset], blockChecksum(block));
}

TEST_F(CliTest, SetSerialProgramsOnlyABlankRadio) {
    {
        test::SimRadio radio(ports, {"--serial", "KV00012345"});
        const auto run = runCli({"set-serial", "AB12345678"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.out.find("WARNING: Radio has been changed!!"), std::string::npos);
    }
    test::SimRadio radio(ports, {"--serial", ""});
    EXPECT_EQ(runCli({"set-serial", "AB1234567"}).exitCode, 1);
    const auto run = runCli({"set-serial", "AB12345678"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "NOTE: Serial No. has been successfully programmed !!\n");
    test::RecordedMessages quiet;
    radioLink link;
    std::array<std::uint8_t, 10> serial{};
    std::uint16_t length = 0;
    link.testMode().querySerialNo(serial.data(), &length);
    EXPECT_EQ(std::string(serial.begin(), serial.end()), "AB12345678");
}

TEST_F(CliTest, DamagedArchiveIsRefusedBeforeTheRadioIsTouched) {
    test::SimRadio radio(ports);
    std::ofstream(path("bad.spa")) << ":PELION but nothing else";
    const auto run = runCli({"program", path("bad.spa"), "--yes"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "ERROR: Invalid file format!! File is not an *.SPA file\n  " +
                           path("bad.spa") + '\n');
    EXPECT_TRUE(radio.log().empty());
    EXPECT_EQ(runCli({"show", path("bad.spa")}).exitCode, 1);
    EXPECT_EQ(runCli({"report", path("missing.spa")}).exitCode, 1);
}

// Every message about a file keeps its text and names the file, as given made absolute, on the
// line after it, on the stream the message goes to.
TEST_F(CliTest, MessagesAboutAFileNameItOnTheNextLine) {
    test::SimRadio radio(ports);
    ASSERT_EQ(runCli({"read", "--save", path("radio.spa")}).exitCode, 0);
    std::ofstream(path("bad.spa")) << ":PELION but nothing else";
    const auto missing = path("no-such-folder/radio.spa");
    const auto unwritable = path("no-such-folder/display.txt");
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string out; // found in standard output
        std::string err; // found in standard error
    };
    const std::vector<Case> cases{
        {{"read", "--save", path("again.spa")},
         0,
         "NOTE: Tuning data has been saved.\n  " + path("again.spa") + "\n",
         ""},
        {{"read", "--save", missing},
         1,
         "",
         "ERROR: Archive File could not be saved!!\n  " + missing + "\n"},
        {{"read", "--report", unwritable},
         1,
         "",
         "ERROR: display.txt could not be opened!!\n  " + unwritable + "\n"},
        {{"report", path("radio.spa"), "--output", unwritable},
         1,
         "NOTE: Tuning data has been loaded.\n  " + path("radio.spa") + "\n",
         "ERROR: display.txt could not be opened!!\n  " + unwritable + "\n"},
        {{"program", missing, "--yes"},
         1,
         "",
         "ERROR: Archive File could not be opened!!\n  " + missing + "\n"},
        {{"show", missing},
         1,
         "",
         "ERROR: Archive File could not be opened!!\n  " + missing + "\n"},
        {{"tune", "tx-high-power", "--archive", path("bad.spa")},
         1,
         "",
         "ERROR: Invalid file format!! File is not an *.SPA file\n  " + path("bad.spa") + "\n"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.arguments.front() + " " + row.arguments[1]);
        const auto run = runCli(row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
        EXPECT_NE(run.out.find(row.out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
    }
    // A relative name is shown as the absolute path it was written to.
    const auto previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const auto run = runCli({"report", "radio.spa", "--output", "no-such-folder/display.txt"});
    QDir::setCurrent(previous);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("loaded.\n  " + path("radio.spa") + "\n"), std::string::npos);
    EXPECT_EQ(run.err, "ERROR: display.txt could not be opened!!\n  " + unwritable + "\n");
}

TEST_F(CliTest, FirmwareVersionIsPrintedAsANote) {
    test::SimRadio radio(ports, {"--firmware", "R0105"});
    const auto run = runCli({"fw-version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "NOTE: Radio Firmware Version: R01.05\n");
    EXPECT_EQ(test::executeRequests(radio.log()), std::vector<int>{14});
}

TEST_F(CliTest, ResetIsSentAndConfirmed) {
    test::SimRadio radio(ports);
    const auto run = runCli({"reset"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "NOTE: Radio has been reset!!\n");
    EXPECT_EQ(test::executeRequests(radio.log()), std::vector<int>{22});
}

TEST_F(CliTest, RadioFailuresExitNonZeroWithTheirMessages) {
    auto run = runCli({"fw-version"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Kavrin: No device detected. Please check the connection.\n"
                       "Error !!: Read Radio Firmware Version Failed !! Radio Communication "
                       "Error!!\n");

    test::SimRadio radio(ports, {"--refuse", "22"});
    run = runCli({"reset"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Error !!: Reset Radio Failed !! Radio Communication Error!!\n");
}

TEST_F(CliTest, PortsNamesTheRadioPort) {
    EXPECT_EQ(runCli({"ports"}).out, "Port\tName\tDevice\tUSB\nRadio port: none\n");
    test::SimRadio radio(ports);
    const auto run = runCli({"ports"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find(radio.devicePath().toStdString()), std::string::npos);
    EXPECT_NE(run.out.find("Radio port: vradio-"), std::string::npos);
}

TEST_F(CliTest, BadCommandLinesExitWithUsage) {
    EXPECT_EQ(runCli({}).exitCode, 2);
    EXPECT_EQ(runCli({"tune"}).exitCode, 2);
    EXPECT_EQ(runCli({"reset", "now"}).exitCode, 2);
    EXPECT_EQ(runCli({"program"}).exitCode, 2);
    EXPECT_EQ(runCli({"read", "--save"}).exitCode, 2);
    EXPECT_EQ(runCli({"read", "--bogus"}).exitCode, 2);
    EXPECT_EQ(runCli({"--help"}).exitCode, 0);
}

// The installed program, start to end, as the README's first command runs it.
TEST_F(CliTest, ExecutablePrintsTheVersionThroughTheWholeStack) {
    test::SimRadio radio(ports, {"--layout", "extended"});
    QProcess cli;
    cli.start(QString::fromStdString(KAVRIN_CLI_PATH), {"fw-version"});
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_EQ(cli.readAllStandardOutput().toStdString(), "NOTE: Radio Firmware Version: R05.12\n");
}

// --- tune ----------------------------------------------------------------------------------------

// The radio's traffic compactly, link opens and closes left out: a request by its name with
// "=value" when it set a softpot, a codeplug write as "write OFFSET=BYTES".
using Trace = std::vector<std::string>;

Trace traceOf(const test::SimRadio& radio, std::size_t since = 0) {
    Trace out;
    const auto events = radio.log();
    for (const auto& event : test::traffic(std::span(events).subspan(since))) {
        if (event.kind == test::RadioEvent::Kind::Execute) {
            out.push_back(event.name + (event.value ? "=" + std::to_string(*event.value) : ""));
        } else if (event.kind == test::RadioEvent::Kind::Write) {
            out.push_back("write " + std::to_string(event.offset.value_or(-1)) + "=" + event.bytes);
        } else {
            out.push_back("read");
        }
    }
    return out;
}

// The part of a run's traffic after its read flow, whose last request is the region query.
Trace afterRead(const Trace& trace) {
    const auto region = std::find(trace.begin(), trace.end(), "queryRegion");
    return region == trace.end() ? Trace{} : Trace(region + 1, trace.end());
}

// The requests without their values.
Trace names(const Trace& trace) {
    Trace out;
    for (const auto& entry : trace) {
        out.push_back(entry.substr(0, entry.find('=')));
    }
    return out;
}

Trace lastOf(const Trace& trace, std::size_t count) {
    return Trace(trace.end() - static_cast<std::ptrdiff_t>(std::min(count, trace.size())),
                 trace.end());
}

constexpr const char* kStandardLayout = "standard";
constexpr const char* kExtendedLayout = "extended";

class CliTuneTest : public CliTest {
protected:
    // The radio read without its pauses and saved as an archive (after `change`), so that a run
    // starts at the screen; returns the archive's path.
    std::string archiveOf(const std::function<void(radioRecord&)>& change = {}) {
        const auto read = test::readQuietly();
        EXPECT_TRUE(read);
        auto record = read ? read->record : radioRecord{};
        if (change) {
            change(record);
        }
        const auto file = path("radio.spa");
        EXPECT_TRUE(saveArchive(file, record, 321));
        return file;
    }
};

TEST_F(CliTuneTest, ListNamesTheFourteenScreensInTableOrderWithTheirTitles) {
    const std::array<const char*, kAlignmentTypeCount> expected{"tx-high-power",
                                                                "tx-low-power",
                                                                "tx-mod-12.5",
                                                                "tx-mod-20",
                                                                "tx-mod-25",
                                                                "ktd-12.5",
                                                                "ktd-20",
                                                                "ktd-25",
                                                                "squelch-12.5-normal",
                                                                "squelch-12.5-tight",
                                                                "squelch-25-normal",
                                                                "squelch-25-tight",
                                                                "squelch-20-normal",
                                                                "squelch-20-tight"};
    const auto run = runCli({"tune", "--list"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    std::istringstream lines(run.out);
    std::string line;
    std::size_t count = 0;
    std::size_t titleColumn = 0;
    while (std::getline(lines, line)) {
        ASSERT_LT(count, expected.size()) << line;
        const std::string name = expected[count++];
        const std::string title(typeOfCliName(name)->title);
        EXPECT_EQ(line.rfind(name + "  ", 0), 0u) << line;
        ASSERT_GE(line.size(), title.size());
        EXPECT_EQ(line.substr(line.size() - title.size()), title);
        // The titles form one column.
        titleColumn = titleColumn == 0 ? line.size() - title.size() : titleColumn;
        EXPECT_EQ(line.size() - title.size(), titleColumn) << line;
    }
    EXPECT_EQ(count, expected.size());
}

// Every command-line error is found before anything reaches the radio.
TEST_F(CliTuneTest, CommandLineErrorsExit2WithoutTouchingTheRadio) {
    test::SimRadio radio(ports);
    const std::vector<std::vector<std::string>> cases{
        {"tune", "tx-medium-power"},
        {"tune", "squelch-12.5-normal", "--key"},
        {"tune", "tx-high-power", "--point", "0"},
        {"tune", "tx-high-power", "--point", "6"},
        {"tune", "tx-high-power", "--point", "two"},
        {"tune", "tx-high-power", "--value", "abc"},
        {"tune", "tx-high-power", "--value", "1000"},
        {"tune", "tx-high-power", "--value", "-1"},
        {"tune", "tx-high-power", "--value", " 7"},
        {"tune", "tx-high-power", "--watchdog", "-1"},
        {"tune", "tx-high-power", "--watchdog", "soon"},
        {"tune", "tx-high-power", "--watchdog", "1.5"},
        {"tune", "tx-high-power", "--hold", "-3"},
        {"tune", "tx-high-power", "--hold", "99999999999999999999"},
        {"tune", "tx-high-power", "ktd-20"},
        {"tune", "--list", "tx-high-power"},
        {"tune", "--list", "--yes"},
        {"tune", "--key"},
    };
    for (const auto& arguments : cases) {
        const auto run = runCli(arguments);
        std::string line;
        for (const auto& word : arguments) {
            line += word + ' ';
        }
        EXPECT_EQ(run.exitCode, 2) << line;
        EXPECT_NE(run.err.find("kavrin-cli tune"), std::string::npos) << line << run.err;
        EXPECT_EQ(run.out, "") << line;
    }
    EXPECT_TRUE(radio.log().empty());
}

// The whole run on a transmit screen after the read flow: open, PTT Toggle at the first point,
// the typed value sent live, Program with its dekey, a byte and a checksum per point, and the
// end of tuning. The radio ends up holding the value under a valid checksum.
TEST_F(CliTuneTest, TransmitScreenKeysTunesProgramsAndClosesAfterReading) {
    test::SimRadio radio(ports);
    const auto before = test::readRadioBlock(blockAddress(0));
    const auto run =
        runCli({"tune", "tx-high-power", "--key", "--value", "40", "--program", "--yes"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("100% Complete\nNOTE: Radio has been successfully read !!\n"),
              std::string::npos);

    const auto trace = afterRead(traceOf(radio));
    Trace expected{"querySerialNo", "enterTestMode",
                   // PTT Toggle at F1: the channel, both softpots, the key, the live value
                   "setTestChannel", "setModulationSoftpot", "setPowerSoftpot", "keyUp",
                   "setPowerSoftpot",
                   // Enter while keyed
                   "querySerialNo", "setPowerSoftpot",
                   // Program
                   "querySerialNo", "dekey"};
    for (std::size_t i = 0; i < kPointCount; ++i) {
        const auto offset =
            blockAddress(0) + blockOffset(alignmentType(AlignmentType::TxHighPower), i);
        expected.insert(expected.end(),
                        {"setTestChannel", "setModulationSoftpot", "setPowerSoftpot",
                         "write " + std::to_string(offset),
                         "write " + std::to_string(blockAddress(0) + kBlockChecksumOffset)});
    }
    expected.insert(expected.end(), {"exitTestMode", "resetRadio"});
    ASSERT_EQ(names(trace), expected);
    EXPECT_EQ(trace[6], "setPowerSoftpot=" + std::to_string(before[22]));
    EXPECT_EQ(trace[8], "setPowerSoftpot=40");
    EXPECT_EQ(trace[14], "write 7958=28");

    const auto block = test::readRadioBlock(blockAddress(0));
    EXPECT_EQ(block[22], 40);
    EXPECT_EQ(block[kBlockChecksumOffset], blockChecksum(block));
    EXPECT_NE(run.out.find("Status: Radio is currently keyed up at "), std::string::npos);
    EXPECT_NE(run.out.find("Program:\n  F1  "), std::string::npos);
    EXPECT_NE(run.out.find("40  40\n"), std::string::npos) << run.out;
}

// A value above 63 or an empty one is what typing it and pressing Enter makes of it; Program
// then writes that value.
TEST_F(CliTuneTest, ValueIsWhatTheWorkingEditMakesOfIt) {
    test::SimRadio radio(ports);
    const auto archive = archiveOf();
    const auto& type = alignmentType(AlignmentType::RxSquelchNbandNormal);
    const std::vector<std::pair<std::string, int>> cases{{"99", 63}, {"", 0}, {"007", 7}};
    for (const auto& [typed, applied] : cases) {
        SCOPED_TRACE("--value '" + typed + "'");
        const auto mark = radio.log().size();
        const auto run = runCli({"tune", "squelch-12.5-normal", "--archive", archive, "--point",
                                 "2", "--value", typed, "--program", "--yes"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const auto trace = traceOf(radio, mark);
        // The live value of Enter is the last squelch softpot before Program's identity check,
        // the third: opening and Enter each have one before it.
        const auto program = std::find(trace.begin() + 3, trace.end(), "querySerialNo");
        ASSERT_NE(program, trace.end());
        EXPECT_EQ(*(program - 1), "setSquelchSoftpot=" + std::to_string(applied));
        EXPECT_EQ(test::readRadioBlock(blockAddress(0))[blockOffset(type, 1)], applied);
        EXPECT_NE(run.out.find("Working softpot " + typed + ", Enter:\n"), std::string::npos);
    }
}

// A different radio on the bench: the identity check and nothing else, whatever was asked for.
TEST_F(CliTuneTest, DifferentRadioEndsAfterTheIdentityCheck) {
    std::string archive;
    {
        test::SimRadio first(ports);
        archive = archiveOf();
    }
    test::SimRadio radio(ports, {"--serial", "ZZ99999999"});
    const auto run = runCli({"tune", "tx-low-power", "--archive", archive, "--key", "--value", "5",
                             "--program", "--yes", "--hold", "5"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("WARNING: Serial No. mismatch!! Read in new radio?\n-> OK\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(traceOf(radio), Trace{"querySerialNo"});
}

// After the screen opened, every failure still ends tuning as closing the screen does; an
// opening the radio refuses closes again at once; a screen the radio has no use for never opens.
TEST_F(CliTuneTest, FailuresEndTuningAsClosingTheScreenDoes) {
    struct Case {
        const char* what;
        const char* layout;
        QStringList faults; // of the radio the run meets, not of the one the archive came from
        std::function<void(radioRecord&)> change;
        std::vector<std::string> arguments;
        Trace expected;
        std::string message; // on standard error
    };
    const std::vector<Case> cases{
        {"Program answered Cancel",
         kStandardLayout,
         {},
         {},
         {"tx-mod-20", "--program"},
         {"querySerialNo", "enterTestMode", "querySerialNo", "exitTestMode", "resetRadio"},
         ""},
        {"a point the radio does not use",
         kStandardLayout,
         {},
         [](radioRecord& record) { record.setCell(pointCell(PointGroup::TxPower, 3), 0); },
         {"tx-high-power", "--point", "4", "--key"},
         {"querySerialNo", "enterTestMode", "exitTestMode", "resetRadio"},
         "the radio does not use point 4 on Tx High Power"},
        {"a signalling screen has point 3 only",
         kExtendedLayout,
         {},
         {},
         {"ktd-25", "--point", "2", "--value", "9"},
         {"querySerialNo", "enterTestMode", "startSignallingTest", "stopSignallingTest",
          "exitTestMode", "resetRadio"},
         "Tx KTD Signaling System Modulation 25KHz has point 3 only"},
        {"the radio refuses the test mode",
         kStandardLayout,
         {"--refuse", "0"},
         {},
         {"squelch-25-tight", "--value", "9", "--program", "--yes"},
         {"querySerialNo", "enterTestMode", "exitTestMode", "resetRadio"},
         "ERROR: Radio Communication Error!!"},
        {"a signalling screen on a radio of the standard layout",
         kStandardLayout,
         {},
         {},
         {"ktd-20", "--key"},
         {},
         "Tx KTD Signaling System Modulation 20KHz is not available for this radio"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        std::string archive;
        {
            test::SimRadio reader(ports, {"--layout", test.layout});
            archive = archiveOf(test.change);
        }
        test::SimRadio radio(ports, QStringList{"--layout", test.layout} + test.faults);
        std::vector<std::string> arguments{"tune"};
        arguments.insert(arguments.end(), test.arguments.begin(), test.arguments.end());
        arguments.insert(arguments.end(), {"--archive", archive});
        const auto run = runCli(arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(traceOf(radio), test.expected);
        EXPECT_NE(run.err.find(test.message), std::string::npos) << run.err;
    }
}

// While the screen is held keyed, the watchdog dekeys the radio after its time without an
// action and says so; 0 turns it off.
TEST_F(CliTuneTest, WatchdogDekeysAHeldRadio) {
    test::SimRadio radio(ports);
    const auto archive = archiveOf();
    struct Case {
        const char* watchdog;
        const char* hold;
        bool dekeys;
    };
    for (const auto& test : {Case{"1", "3", true}, Case{"0", "2", false}}) {
        SCOPED_TRACE(std::string("--watchdog ") + test.watchdog);
        const auto mark = radio.log().size();
        QElapsedTimer clock;
        clock.start();
        const auto run = runCli({"tune", "tx-high-power", "--archive", archive, "--key",
                                 "--watchdog", test.watchdog, "--hold", test.hold});
        EXPECT_GE(clock.elapsed(), std::stoi(test.hold) * 1000);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        // Closing a keyed screen sends no dekey of its own: a dekey is the watchdog's.
        const auto ending =
            test.dekeys ? Trace{"keyUp", "setPowerSoftpot", "dekey", "exitTestMode", "resetRadio"}
                        : Trace{"keyUp", "setPowerSoftpot", "exitTestMode", "resetRadio"};
        const auto trace = names(traceOf(radio, mark));
        EXPECT_EQ(lastOf(trace, ending.size()), ending);
        EXPECT_EQ(std::count(trace.begin(), trace.end(), "dekey"), test.dekeys ? 1 : 0);
        EXPECT_EQ(run.err.find("Transmitter dekeyed after 1 s without activity\n") !=
                      std::string::npos,
                  test.dekeys)
            << run.err;
    }
}

// Ctrl-C while the screen is held keyed: the run stops, ends tuning as closing the screen does
// (no dekey; on a signalling screen the signalling test stops first) and exits 130.
TEST_F(CliTuneTest, InterruptEndsTuningAndExits130) {
    struct Case {
        const char* screen;
        const char* layout;
        int signal;
        Trace ending;
    };
    const std::vector<Case> cases{
        {"tx-high-power",
         kStandardLayout,
         SIGINT,
         {"keyUp", "setPowerSoftpot", "exitTestMode", "resetRadio"}},
        {"ktd-20",
         kExtendedLayout,
         SIGTERM,
         {"keyUpSignalling", "setSignallingSoftpot", "stopSignallingTest", "exitTestMode",
          "resetRadio"}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.screen);
        test::SimRadio radio(ports, {"--layout", test.layout});
        const auto archive = archiveOf();
        const auto mark = radio.log().size();
        QProcess cli;
        cli.start(QString::fromStdString(KAVRIN_CLI_PATH),
                  {"tune", test.screen, "--archive", QString::fromStdString(archive), "--key",
                   "--hold", "30"});
        ASSERT_TRUE(cli.waitForStarted(5000));
        const QDeadlineTimer deadline(10000);
        const std::string keyUp = test.ending.front();
        while (!deadline.hasExpired()) {
            const auto trace = names(traceOf(radio, mark));
            if (std::find(trace.begin(), trace.end(), keyUp) != trace.end()) {
                break;
            }
            QThread::msleep(20);
        }
        ASSERT_FALSE(deadline.hasExpired()) << "the radio was never keyed";
        if (test.signal == SIGTERM) {
            cli.terminate();
        } else {
            ASSERT_EQ(::kill(static_cast<pid_t>(cli.processId()), SIGINT), 0);
        }
        ASSERT_TRUE(cli.waitForFinished(10000));
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), 130) << cli.readAllStandardError().toStdString();
        const auto trace = names(traceOf(radio, mark));
        EXPECT_EQ(lastOf(trace, test.ending.size()), test.ending);
        EXPECT_EQ(std::count(trace.begin(), trace.end(), "dekey"), 0);
    }
}

// The first signal only asks; the handlers before the guard are back once it ends.
TEST(CliInterruptGuardTest, AsksOnceAndRestoresThePreviousHandlers) {
    static int earlier = 0;
    earlier = 0;
    const auto previous = std::signal(SIGTERM, [](int) { ++earlier; });
    {
        const cli::InterruptGuard guard;
        EXPECT_FALSE(guard.requested());
        std::raise(SIGTERM);
        EXPECT_TRUE(guard.requested());
        EXPECT_EQ(earlier, 0);
    }
    std::raise(SIGTERM);
    EXPECT_EQ(earlier, 1);
    {
        // A new guard starts without the old request.
        const cli::InterruptGuard guard;
        EXPECT_FALSE(guard.requested());
    }
    std::signal(SIGTERM, previous);
}

// A second Ctrl-C does not wait for anything.
TEST(CliInterruptGuardTest, SecondSignalEndsTheProcessAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const cli::InterruptGuard guard;
            std::raise(SIGINT);
            std::raise(SIGINT);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(130), "");
}

} // namespace
} // namespace kavrin
