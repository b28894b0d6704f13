// The port lock between Kavrin processes: while one works with the radio, a second one says the
// port is busy and sends nothing; the first one's traffic stays as it is.
#include "data/alignment_session.h"
#include "data/application_core.h"
#include "data/archive.h"
#include "link/exceptions.h"
#include "link/port_lock.h"
#include "link/radio_link.h"
#include "support/quiet_read.h"
#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>

namespace kavrin {
namespace {

constexpr int kFirmwareVersionRequest = 14;

struct Finished {
    int exitCode;
    std::string err;
};

Finished runCliProcess(const QStringList& arguments) {
    QProcess cli;
    cli.start(QString::fromStdString(KAVRIN_CLI_PATH), arguments);
    if (!cli.waitForFinished(20000)) {
        cli.kill();
        cli.waitForFinished();
        return {-1, "did not finish"};
    }
    return {cli.exitCode(), cli.readAllStandardError().toStdString()};
}

class PortLockTest : public ::testing::Test {
protected:
    // The radio read without its pauses and saved as an archive; returns the archive's path.
    QString archive() {
        const auto read = test::readQuietly();
        EXPECT_TRUE(read);
        const auto file = dir.filePath("radio.spa");
        EXPECT_TRUE(saveArchive(file.toStdString(), read ? read->record : radioRecord{}, 321));
        return file;
    }

    test::IsolatedPorts ports;
    QTemporaryDir dir;
};

// Every command that talks to the radio, while a flow of another Kavrin holds the port: each
// says the port is busy, fails and sends nothing. Once the flow has ended the radio answers.
TEST_F(PortLockTest, EveryRadioCommandOfASecondProcessSaysBusyAndSendsNothing) {
    test::SimRadio radio(ports, {"--monitor-port", "0"});
    const auto monitor = radio.monitorLines().value(0).section(' ', 1);
    const auto spa = archive();
    // Whatever reached the radio, a link's open included; the monitor's lines are another
    // instrument's.
    const auto radioEvents = [&radio] {
        auto events = radio.log();
        std::erase_if(events, [](const test::RadioEvent& event) {
            return event.kind == test::RadioEvent::Kind::Scpi;
        });
        return events;
    };
    const auto requests = [&radioEvents] { return radioEvents().size(); };
    const auto before = requests();
    {
        // Held here as the window holds it for a flow or an open alignment screen.
        const flowPortLock flow;
        ASSERT_FALSE(flow.busy());
        const std::vector<QStringList> commands{
            {"fw-version"},
            {"reset"},
            {"read"},
            {"program", spa, "--yes"},
            {"set-serial", "AB12345678"},
            {"tune", "tx-high-power", "--archive", spa, "--key"},
            {"tune", "squelch-12.5-normal"},
            {"autotune", "--screen", "tx-high-power", "--monitor", monitor},
        };
        for (const auto& command : commands) {
            SCOPED_TRACE(command.join(' ').toStdString());
            const auto run = runCliProcess(command);
            EXPECT_EQ(run.exitCode, 1) << run.err;
            EXPECT_NE(run.err.find("kavrin-cli: The radio's port vradio-"), std::string::npos)
                << run.err;
            EXPECT_NE(run.err.find(" is busy: another program is working with the radio."),
                      std::string::npos)
                << run.err;
        }
        EXPECT_EQ(requests(), before) << "a request reached the radio";
    }
    const auto run = runCliProcess({"fw-version"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto events = radioEvents();
    EXPECT_EQ(test::executeRequests(std::span(events).subspan(before)),
              std::vector<int>{kFirmwareVersionRequest});
}

// Within one process the lock is shared: the flow's own links open while it holds it, and it is
// let go with the last share, whichever ends first.
TEST_F(PortLockTest, SharesOfOneProcessDoNotBlockEachOtherAndTheLastLetsGo) {
    test::SimRadio radio(ports);
    test::RecordedMessages messages;
    auto flow = std::make_unique<flowPortLock>();
    auto second = std::make_unique<flowPortLock>();
    EXPECT_FALSE(second->busy());
    {
        radioLink link;
        std::array<std::uint8_t, 5> version{};
        std::uint16_t length = 0;
        link.testMode().queryFirmwareVersion(version.data(), &length);
    }
    EXPECT_TRUE(messages.sink.shown.empty());
    flow.reset();
    EXPECT_EQ(runCliProcess({"reset"}).exitCode, 1) << "the second share still holds it";
    second.reset();
    EXPECT_EQ(runCliProcess({"reset"}).exitCode, 0);
}

// The window's flows that span more than one call: an alignment screen from its opening to its
// end, Program All from its checks (through the confirmation) to the end of its writes. In
// between, kavrin-cli finds the port busy; afterwards the port is free again.
TEST_F(PortLockTest, FlowsOfTheWindowHoldThePortFromTheirFirstStepToTheirLast) {
    test::SimRadio radio(ports);
    const auto read = test::readQuietly();
    ASSERT_TRUE(read);
    test::RecordedMessages messages;
    NoPause pause;
    NoBusyCursor cursor;
    NoStatusLine status;
    NoRecentFiles recent;
    applicationCore core(ApplicationServices{messages.sink, cursor, status, pause, recent});
    ASSERT_TRUE(core.loadRecord(read->record));
    NoSessionObserver observer;
    alignmentSession session(core, AlignmentType::TxHighPower,
                             SessionServices{messages.sink, cursor, observer});
    NoProgress progress;
    struct Case {
        const char* flow;
        std::function<bool()> begin;
        std::function<bool()> end;
    };
    const std::vector<Case> cases{
        {"alignment screen", [&] { return session.open() == alignmentSession::Outcome::Done; },
         [&] {
             session.endTuning();
             return true;
         }},
        {"Program All",
         [&] {
             messages.sink.answers.push_back(Answer::Ok);
             return core.programAllChecks();
         },
         [&] { return core.programFlow(progress); }},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.flow);
        ASSERT_TRUE(row.begin());
        const auto during = runCliProcess({"fw-version"});
        EXPECT_EQ(during.exitCode, 1);
        EXPECT_NE(during.err.find(" is busy: "), std::string::npos) << during.err;
        ASSERT_TRUE(row.end());
        const auto after = runCliProcess({"fw-version"});
        EXPECT_EQ(after.exitCode, 0) << after.err;
    }
}

// A tuning screen of kavrin-cli holds the port from its opening to its end. Meanwhile the
// window's path (a flow of the core over its links) gets the box it shows for a busy port and a
// second kavrin-cli says busy; neither sends a byte, and the screen's traffic is as without them.
TEST_F(PortLockTest, AnOpenScreenKeepsOtherProcessesOffUntilItCloses) {
    test::SimRadio radio(ports);
    const auto spa = archive();
    const auto mark = radio.log().size();
    QProcess tune;
    tune.start(QString::fromStdString(KAVRIN_CLI_PATH),
               {"tune", "tx-high-power", "--archive", spa, "--key", "--hold", "3"});
    ASSERT_TRUE(tune.waitForStarted(5000));
    const auto names = [&radio, mark] {
        std::vector<std::string> out;
        const auto events = radio.log();
        for (const auto& event : test::traffic(std::span(events).subspan(mark))) {
            out.push_back(event.name);
        }
        return out;
    };
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        // Keyed, with the value sent live after the key.
        const auto sent = names();
        if (const auto key = std::find(sent.begin(), sent.end(), "keyUp");
            key != sent.end() && key + 1 != sent.end()) {
            break;
        }
        QThread::msleep(20);
    }
    ASSERT_FALSE(deadline.hasExpired()) << "the radio was never keyed";

    {
        test::RecordedMessages messages;
        NoPause pause;
        NoBusyCursor cursor;
        NoStatusLine status;
        NoRecentFiles recent;
        applicationCore core(ApplicationServices{messages.sink, cursor, status, pause, recent});
        NoProgress progress;
        EXPECT_FALSE(core.readFlow(progress));
        ASSERT_FALSE(messages.sink.shown.empty());
        EXPECT_EQ(messages.sink.shown.front().text, "Open Serial Failed!");
        EXPECT_THROW(radioLink{}, GeneralCommunicationError);
    }
    const auto second = runCliProcess({"fw-version"});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find(" is busy: "), std::string::npos) << second.err;

    ASSERT_TRUE(tune.waitForFinished(20000));
    EXPECT_EQ(tune.exitCode(), 0) << tune.readAllStandardError().toStdString();
    // Nothing of the others between the screen's requests.
    const std::vector<std::string> expected{
        "querySerialNo",        "enterTestMode",   "setTestChannel",
        "setModulationSoftpot", "setPowerSoftpot", "keyUp",
        "setPowerSoftpot",      "exitTestMode",    "resetRadio"};
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(runCliProcess({"fw-version"}).exitCode, 0) << "the screen's end let the port go";
}

} // namespace
} // namespace kavrin
