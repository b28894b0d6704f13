// kavrin-cli's first commands against the virtual radio.
#include "cli/cli.h"
#include "support/sim_radio.h"

#include <QProcess>
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
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::run(arguments, out, err);
    return {code, out.str(), err.str()};
}

class CliTest : public ::testing::Test {
protected:
    test::IsolatedPorts ports;
};

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
