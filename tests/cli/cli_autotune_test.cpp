// kavrin-cli autotune against the virtual radio and its service monitor: a screen aligned in both
// dialects, over TCP and over the GPIB adapter, ending programmed within its limits; what it
// refuses before the radio is touched; a monitor that stops answering.
#include "cli/run_cli.h"
#include "data/auto_alignment.h"
#include "support/radio_log.h"
#include "support/radio_reads.h"
#include "support/sim_radio.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sstream>

namespace kavrin {
namespace {

using test::runCli;

// The CSV's lines after the header, each split into its fields.
std::vector<std::vector<std::string>> csvRows(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    std::istringstream in(file.readAll().toStdString());
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, kResultsCsvHeader);
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, ',');) {
            fields.push_back(field);
        }
        rows.push_back(fields);
    }
    return rows;
}

class CliAutotuneTest : public ::testing::Test {
protected:
    test::IsolatedPorts ports;
    QTemporaryDir dir;
};

TEST_F(CliAutotuneTest, AlignsAScreenInBothDialectsAndProgramsIt) {
    struct Case {
        const char* dialect;
        QStringList monitorOptions;
        const char* screen;
        const char* profile;
    };
    const std::vector<Case> cases{
        {"cma-style over TCP", {"--monitor-port", "0"}, "tx-high-power", "cma-style"},
        {"classic-style over GPIB",
         {"--monitor-serial", "--monitor-gpib", "7", "--monitor-dialect", "classic-style"},
         "squelch-25-tight",
         "classic-style"},
        {"cma-style, signalling", {"--monitor-port", "0"}, "ktd-20", "cma-style"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dialect);
        test::SimRadio radio(ports, QStringList{"--layout", "extended"} + c.monitorOptions);
        ASSERT_FALSE(radio.monitorLines().isEmpty());
        const auto address = radio.monitorLines().front().mid(QString("monitor ").size());
        const auto results = dir.filePath(QString(c.screen) + ".csv");
        const auto run = runCli({"autotune", "--screen", c.screen, "--monitor",
                                 address.toStdString(), "--profile", c.profile, "--settle-ms", "0",
                                 "--results", results.toStdString(), "--yes"});
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        const auto rows = csvRows(results);
        ASSERT_FALSE(rows.empty());
        const auto& type = *typeOfCliName(c.screen);
        const auto block = test::readRadioBlock(blockAddress(1));
        for (const auto& row : rows) {
            ASSERT_EQ(row.size(), 11u);
            EXPECT_EQ(row[0], c.screen);
            EXPECT_EQ(row[10], "PASS") << row[1];
            const auto point = static_cast<std::size_t>(row[1][1] - '1');
            EXPECT_EQ(std::to_string(block[blockOffset(type, point)]), row[9])
                << row[1] << ": the new softpot is programmed";
        }
        // The radio is not left transmitting.
        const auto log = radio.log();
        int keyed = 0;
        for (const auto& event : log) {
            if (event.kind == test::RadioEvent::Kind::Execute) {
                keyed += event.name == "keyUp" || event.name == "keyUpSignalling" ? 1 : 0;
                keyed -= event.name == "dekey" || event.name == "dekeySignalling" ||
                                 event.name == "exitTestMode"
                             ? (keyed > 0 ? 1 : 0)
                             : 0;
            }
        }
        EXPECT_EQ(keyed, 0);
    }
}

TEST_F(CliAutotuneTest, RefusesBeforeTheRadioIsTouched) {
    test::SimRadio radio(ports, {"--monitor-port", "0"});
    const auto address = radio.monitorLines().front().mid(QString("monitor ").size()).toStdString();
    const auto badLimits = dir.filePath("bad.ini").toStdString();
    {
        QFile file(QString::fromStdString(badLimits));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[tx-high-power]\ntarget = high\n");
    }
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases{
        {{"autotune", "--monitor", address}, 2, "either --screen NAME or --all"},
        {{"autotune", "--all"}, 2, "--monitor ADDRESS is needed"},
        {{"autotune", "--screen", "tx-mega", "--monitor", address}, 2, "tx-mega"},
        {{"autotune", "--all", "--monitor", address, "--settle-ms", "-1"}, 2, "--settle-ms"},
        {{"autotune", "--all", "--monitor", address, "--limits", badLimits},
         1,
         "bad.ini:2: \"high\" is not a number"},
        {{"autotune", "--all", "--monitor", "tcp://"}, 1, ""},
        {{"autotune", "--all", "--monitor", address, "--profile", "no-such-profile"}, 1, ""},
    };
    for (const auto& [arguments, code, text] : cases) {
        SCOPED_TRACE(arguments.back());
        const auto run = runCli(arguments);
        EXPECT_EQ(run.exitCode, code) << run.err;
        EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
    }
    for (const auto& event : radio.log()) {
        EXPECT_EQ(event.kind, test::RadioEvent::Kind::Scpi) << "the radio was never opened";
    }
}

TEST_F(CliAutotuneTest, AMonitorThatStopsAnsweringStopsTheRunDekeyed) {
    test::SimRadio radio(ports, {"--monitor-port", "0", "--monitor-mute-after", "6"});
    const auto address = radio.monitorLines().front().mid(QString("monitor ").size()).toStdString();
    const auto run = runCli({"autotune", "--screen", "tx-low-power", "--monitor", address,
                             "--settle-ms", "0", "--yes"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Tx Low Power F"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("did not answer"), std::string::npos) << run.err;
    std::vector<std::string> names;
    int writes = 0;
    for (const auto& event : radio.log()) {
        if (event.kind == test::RadioEvent::Kind::Execute) {
            names.push_back(event.name);
        }
        writes += event.kind == test::RadioEvent::Kind::Write ? 1 : 0;
    }
    const auto lastKey = std::find(names.rbegin(), names.rend(), "keyUp");
    ASSERT_NE(lastKey, names.rend());
    EXPECT_NE(std::find(names.rbegin(), lastKey, "dekey"), lastKey) << "dekeyed after";
    EXPECT_EQ(writes, 0) << "nothing programmed";
}

} // namespace
} // namespace kavrin
