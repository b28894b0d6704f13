// kavrin-cli's port handling: ports and its diagnosis, doctor's checklist over the faults a new
// cable meets, --port among two radios, and the global options wherever they stand.
#include "cli/run_cli.h"
#include "link/log.h"
#include "link/virtual_ports.h"
#include "support/sim_radio.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace kavrin {
namespace {

using test::runCli;

std::string radioName(const test::SimRadio& radio) {
    return "vradio-" + std::to_string(radio.processId());
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// --verbose turns on the process's logging for good; the next test gets the defaults back.
class QuietLogs {
public:
    ~QuietLogs() {
        QLoggingCategory::setFilterRules(
            QStringLiteral("kavrin.*.debug=false\nkavrin.*.info=false"));
    }
};

// Was anything sent to the radio: a link opened or a request executed?
bool touched(const test::SimRadio& radio) {
    const auto events = radio.log();
    return !test::eventsOfKind(events, test::RadioEvent::Kind::Open).empty() ||
           !test::executeRequests(events).empty();
}

// --- global options ------------------------------------------------------------------------------

struct OptionCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::string inOut; // printed on standard output
    std::string inErr; // printed on standard error
    bool verbose;      // logging turned on
    friend void PrintTo(const OptionCase& row, std::ostream* out) { *out << row.name; }
};

class GlobalOptions : public ::testing::TestWithParam<OptionCase> {
protected:
    test::IsolatedPorts ports;
    QuietLogs quiet;
};

TEST_P(GlobalOptions, CountWhereverTheyStand) {
    const auto& row = GetParam();
    test::SimRadio radio(ports, {"--firmware", "R0105"});
    QLoggingCategory::setFilterRules(QStringLiteral("kavrin.*.debug=false"));
    const auto run = runCli(row.arguments);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    EXPECT_TRUE(contains(run.out, row.inOut)) << run.out;
    EXPECT_TRUE(contains(run.err, row.inErr)) << run.err;
    EXPECT_EQ(log::debugEnabled(log::Channel::Serial), row.verbose);
}

const std::string kVersionLine = std::string("kavrin-cli ") + KAVRIN_VERSION + "\n";
const std::string kVersionNote = "NOTE: Radio Firmware Version: R01.05\n";

INSTANTIATE_TEST_SUITE_P(
    Anywhere, GlobalOptions,
    ::testing::Values(
        OptionCase{
            "VerboseAfterTheCommand", {"fw-version", "--verbose"}, 0, kVersionNote, "", true},
        OptionCase{"ShortVerboseBefore", {"-v", "fw-version"}, 0, kVersionNote, "", true},
        OptionCase{"HistoryAfterTheCommand",
                   {"fw-version", "--history", "none"},
                   0,
                   kVersionNote,
                   "",
                   false},
        OptionCase{"BadHistoryAfterTheCommand",
                   {"fw-version", "--history", "nonsense:x"},
                   2,
                   "",
                   "kavrin-cli: --history: ",
                   false},
        OptionCase{
            "PortWithoutValue", {"fw-version", "--port"}, 2, "", "--port needs a value", false},
        OptionCase{"VersionAlone", {"--version"}, 0, kVersionLine, "", false},
        OptionCase{"VersionAfterACommand", {"read", "--version"}, 0, kVersionLine, "", false},
        OptionCase{"HelpAfterACommand", {"read", "--help"}, 0, "Usage: kavrin-cli", "", false},
        // A value option of the command takes the next word as its value, however it looks.
        OptionCase{"CommandValueIsNotAGlobalOption",
                   {"show", "--history"},
                   2,
                   "",
                   "--history needs a value",
                   false},
        OptionCase{"UnknownOptionStillRefused",
                   {"fw-version", "--bogus"},
                   2,
                   "",
                   "kavrin-cli fw-version: unknown option --bogus",
                   false}),
    [](const auto& row) { return std::string(row.param.name); });

// --- --port --------------------------------------------------------------------------------------

class ChosenPort : public ::testing::Test {
protected:
    void TearDown() override { ::unsetenv("KAVRIN_PORT"); }
    test::IsolatedPorts ports;
};

TEST_F(ChosenPort, DrivesTheNamedRadioOfTwo) {
    test::SimRadio first(ports, {"--firmware", "R0101"});
    test::SimRadio second(ports, {"--firmware", "R0202"});
    const auto later = std::max(radioName(first), radioName(second));
    const auto& laterRadio = later == radioName(first) ? first : second;
    const auto& otherRadio = later == radioName(first) ? second : first;

    const auto run = runCli({"fw-version", "--port", later});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(test::executeRequests(laterRadio.log()), std::vector<int>{14});
    EXPECT_FALSE(touched(otherRadio));

    // The environment names a bench's port too; the option wins over it.
    ::setenv("KAVRIN_PORT", later.c_str(), 1);
    EXPECT_EQ(runCli({"reset"}).exitCode, 0);
    EXPECT_EQ(test::executeRequests(laterRadio.log()), (std::vector<int>{14, 22}));
    EXPECT_EQ(runCli({"--port", radioName(otherRadio), "reset"}).exitCode, 0);
    EXPECT_EQ(test::executeRequests(otherRadio.log()), std::vector<int>{22});
}

TEST_F(ChosenPort, UnknownNameFailsWithTheListBeforeAnyTraffic) {
    test::SimRadio first(ports);
    test::SimRadio second(ports);
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"read", "--port", "ttyUSB9"},
             {"--port", "ttyUSB9", "tune", "tx-high-power"},
             {"--port", "ttyUSB9", "history", "restore", "1", "--yes"}}) {
        const auto run = runCli(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments.front();
        EXPECT_TRUE(contains(run.err, "kavrin-cli: there is no port named 'ttyUSB9'; the ports "
                                      "are:\n"))
            << run.err;
        EXPECT_TRUE(contains(run.err, radioName(first) + '\t')) << run.err;
        EXPECT_TRUE(contains(run.err, radioName(second) + '\t')) << run.err;
    }
    EXPECT_FALSE(touched(first));
    EXPECT_FALSE(touched(second));
    // A command that never talks to a radio does not care.
    EXPECT_EQ(runCli({"tune", "--list", "--port", "ttyUSB9"}).exitCode, 0);
}

// --- ports ---------------------------------------------------------------------------------------

TEST(PortsCommand, VerboseAddsTheDiagnosisAndRemovesAStaleRegistration) {
    test::IsolatedPorts ports;
    const QuietLogs quiet;
    const auto stale = ports.directory().toStdString() + "/vradio-7.port";
    std::ofstream(stale) << "name=vradio-7\npath=/dev/pts/999\npid=999999999\n";

    auto run = runCli({"ports"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Port\tName\tDevice\tUSB\nRadio port: none\n");
    ASSERT_TRUE(QFile::exists(QString::fromStdString(stale))) << "plain ports changes nothing";

    run = runCli({"ports", "--verbose"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.out, "Port\tName\tDevice\tUSB\n\nDiagnosis:\nPROBLEM  Virtual radio "
                                  "vradio-7 was registered, but its process 999999999 is gone"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "PROBLEM  No CP210x USB-UART bridge")) << run.out;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(stale)));
}

// --- doctor --------------------------------------------------------------------------------------

// A bench as doctor finds it: its registry, a radio, whatever a case adds; the lines doctor must
// print, with NAME standing for the radio's port name and PID for a holder's process id.
struct Bench {
    ~Bench() {
        if (holder) {
            holder->kill();
            holder->waitForFinished(5000);
        }
    }
    test::IsolatedPorts ports;
    std::unique_ptr<test::SimRadio> radio;
    std::unique_ptr<QProcess> holder;
    bool unprivileged = false;  // run doctor as a user without rights on the device
    std::optional<gid_t> group; // ... who is in this group
    std::string name() const { return radio ? radioName(*radio) : std::string("-"); }
};

struct DoctorCase {
    const char* name;
    std::function<void(Bench&)> setUp;
    int exitCode;
    std::vector<std::string> lines;
    friend void PrintTo(const DoctorCase& row, std::ostream* out) { *out << row.name; }
};

void startRadio(Bench& bench) {
    bench.radio = std::make_unique<test::SimRadio>(bench.ports);
}

// Another program with the radio's terminal open, doing nothing with it.
void holdPort(Bench& bench) {
    startRadio(bench);
    bench.holder = std::make_unique<QProcess>();
    bench.holder->start("/bin/sh", {"-c", "exec sleep 30 < " + bench.radio->devicePath()});
    ASSERT_TRUE(bench.holder->waitForStarted(5000));
    const auto comm = QString("/proc/%1/comm").arg(bench.holder->processId());
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        QFile file(comm);
        if (file.open(QIODevice::ReadOnly) && file.readAll().trimmed() == "sleep") {
            return;
        }
        QThread::msleep(10);
    }
    FAIL() << "the holder did not start";
}

// The radio's terminal with no rights for anyone, owned by another user; root would ignore the
// mode, so doctor then runs as nobody.
void forbidPort(Bench& bench) {
    startRadio(bench);
    const auto device = bench.radio->devicePath().toStdString();
    ASSERT_EQ(::chmod(device.c_str(), 0), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(device.c_str(), 1, static_cast<gid_t>(-1)), 0);
        bench.unprivileged = true;
        // nobody must read the registry to find the radio at all.
        ASSERT_EQ(::chmod(bench.ports.directory().toLocal8Bit().constData(), 0755), 0);
    }
}

// As above, doctor's user in the device's group, which the mode still shuts out.
void forbidPortToItsGroup(Bench& bench) {
    forbidPort(bench);
    if (!bench.unprivileged) {
        GTEST_SKIP() << "only root can run doctor as a member of another group";
    }
    struct stat device {};
    ASSERT_EQ(::stat(bench.radio->devicePath().toLocal8Bit().constData(), &device), 0);
    bench.group = device.st_gid;
}

void leaveStaleRegistration(Bench& bench) {
    std::ofstream(bench.ports.directory().toStdString() + "/vradio-7.port")
        << "name=vradio-7\npath=/dev/pts/999\npid=999999999\n";
}

class Doctor : public ::testing::TestWithParam<DoctorCase> {};

std::string substituted(std::string line, const Bench& bench) {
    for (const auto& [key, value] :
         {std::pair<std::string, std::string>{"NAME", bench.name()},
          {"PID", bench.holder ? std::to_string(bench.holder->processId()) : ""},
          {"DEVICE", bench.radio ? bench.radio->devicePath().toStdString() : ""}}) {
        for (auto at = line.find(key); at != std::string::npos; at = line.find(key)) {
            line.replace(at, key.size(), value);
        }
    }
    return line;
}

TEST_P(Doctor, SaysWhatIsWrongAndHowToFixIt) {
    const auto& row = GetParam();
    Bench bench;
    row.setUp(bench);
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    QProcess doctor;
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kVirtualPortsEnv, bench.ports.directory());
    environment.insert("KAVRIN_HISTORY", "none");
    doctor.setProcessEnvironment(environment);
    QStringList command{QString::fromStdString(KAVRIN_CLI_PATH), "doctor"};
    if (bench.unprivileged) {
        command = QStringList{"--reuid=nobody", "--regid=nogroup",
                              bench.group ? QString("--groups=%1").arg(*bench.group)
                                          : QString("--clear-groups")} +
                  command;
        doctor.start("setpriv", command);
    } else {
        doctor.start(command.takeFirst(), command);
    }
    ASSERT_TRUE(doctor.waitForFinished(20000));
    const auto out = doctor.readAllStandardOutput().toStdString();
    EXPECT_EQ(doctor.exitCode(), row.exitCode)
        << out << doctor.readAllStandardError().toStdString();
    for (const auto& line : row.lines) {
        EXPECT_TRUE(contains(out, substituted(line, bench))) << substituted(line, bench) << "\nin\n"
                                                             << out;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Benches, Doctor,
    ::testing::Values(
        DoctorCase{"VirtualRadio",
                   startRadio,
                   0,
                   {"OK       CP210x USB-UART bridge found: Kavrin Virtual Radio on CP210x (NAME); "
                    "the radio is on NAME.\n",
                    "OK       NAME (DEVICE) may be opened, and no other program holds it.\n",
                    "OK       The radio on NAME answers: firmware version R01.05.\n"}},
        DoctorCase{"PortHeldByAnotherProcess",
                   holdPort,
                   0,
                   {"PROBLEM  NAME is open in another program: process PID (sleep). Fix: Close",
                    "OK       The radio on NAME answers"}},
        DoctorCase{"NoPermission",
                   forbidPort,
                   1,
                   {"PROBLEM  NAME: permission denied on DEVICE (owner ", "mode 000); user ",
                    "/usr/lib/udev/rules.d/70-kavrin-cp210x.rules", "sudo usermod -aG ",
                    "PROBLEM  The radio on NAME does not answer (Open Serial Failed!)."}},
        DoctorCase{"NoPermissionForTheGroupEither",
                   forbidPortToItsGroup,
                   1,
                   {"PROBLEM  NAME: permission denied on DEVICE (owner ",
                    "); user 'nobody' is in the group '",
                    "', but its mode lets the group no access. Fix: ",
                    "PROBLEM  The radio on NAME does not answer (Open Serial Failed!). Fix: Solve "
                    "the problems above, then run kavrin-cli doctor again."}},
        DoctorCase{"StaleRegistration",
                   leaveStaleRegistration,
                   1,
                   {"PROBLEM  Virtual radio vradio-7 was registered, but its process 999999999 is "
                    "gone; its registration was removed.",
                    "PROBLEM  No CP210x USB-UART bridge (USB id 10c4:ea60) is connected; other "
                    "serial ports: none.",
                    "PROBLEM  No radio could be asked: there is no port to try."}}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace kavrin
