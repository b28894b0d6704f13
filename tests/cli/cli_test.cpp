// kavrin-cli's first commands against the virtual radio.
#include "cli/cli.h"
#include "data/archive.h"
#include "data/report.h"
#include "link/radio_link.h"
#include "support/radio_reads.h"
#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace kavrin {
namespace {

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

CliRun runCli(std::vector<std::string> arguments) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    cli::Console console{in, out, err};
    const int code = cli::run(arguments, console);
    return {code, out.str(), err.str()};
}

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
    EXPECT_EQ(run.err, "ERROR: Invalid file format!! File is not an *.SPA file\n");
    EXPECT_TRUE(radio.events().empty());
    EXPECT_EQ(runCli({"show", path("bad.spa")}).exitCode, 1);
    EXPECT_EQ(runCli({"report", path("missing.spa")}).exitCode, 1);
}

TEST_F(CliTest, FirmwareVersionIsPrintedAsANote) {
    test::SimRadio radio(ports, {"--firmware", "R0105"});
    const auto run = runCli({"fw-version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "NOTE: Radio Firmware Version: R01.05\n");
    EXPECT_EQ(radio.requests(), std::vector<int>{14});
}

TEST_F(CliTest, ResetIsSentAndConfirmed) {
    test::SimRadio radio(ports);
    const auto run = runCli({"reset"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "NOTE: Radio has been reset!!\n");
    EXPECT_EQ(radio.requests(), std::vector<int>{22});
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
    EXPECT_EQ(runCli({"ports"}).out, "Radio port: none\n");
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

} // namespace
} // namespace kavrin
