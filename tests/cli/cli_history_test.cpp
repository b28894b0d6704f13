// The history as kavrin-cli keeps and uses it, on SQLite and on the test run's PostgreSQL server:
// every operation's snapshot, the history commands, restoring a radio byte for byte, Ctrl-C in
// Program All, and a history that cannot be written.
#include "cli/cli.h"
#include "cli/run_cli.h"
#include "data/archive.h"
#include "history/history_recorder.h"
#include "history/history_store.h"
#include "support/radio_log.h"
#include "support/radio_reads.h"
#include "support/sim_radio.h"
#include "support/test_postgresql.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>
#include <sstream>

namespace kavrin {
namespace {

using test::CliRun;
using test::runCli;

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

enum class Backend { Sqlite, Postgresql };

class CliHistoryTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        url = GetParam() == Backend::Sqlite
                  ? "sqlite:" + dir.filePath("history.sqlite").toStdString()
                  : test::freshPostgresqlDatabase().toStdString();
        ASSERT_FALSE(url.empty());
    }
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
    CliRun cli(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"--history", url});
        return runCli(arguments);
    }
    // The history's lines, newest first, each split into its fields.
    std::vector<std::vector<std::string>> listed(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> arguments{"history"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const auto run = cli(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::vector<std::vector<std::string>> lines;
        for (const auto& line : split(run.out, '\n')) {
            lines.push_back(split(line, '\t'));
        }
        return lines;
    }

    test::IsolatedPorts ports;
    QTemporaryDir dir;
    std::string url;
};

// Two reads with different values between them, compared, exported, and the first restored.
TEST_P(CliHistoryTest, EveryOperationIsRecordedAndTheFirstReadRestoresTheRadio) {
    test::SimRadio radio(ports, {"--serial", "HIST000001"});
    ASSERT_EQ(cli({"read", "--save", path("first.spa")}).exitCode, 0);
    const auto firstBlock = test::readRadioBlock(blockAddress(0));
    const auto tuned =
        cli({"tune", "tx-high-power", "--point", "1", "--value", "40", "--program", "--yes"});
    ASSERT_EQ(tuned.exitCode, 0) << tuned.err;
    ASSERT_EQ(cli({"read"}).exitCode, 0);

    auto lines = listed();
    ASSERT_EQ(lines.size(), 4u);
    const std::vector<std::string> operations{"read", "screen-program", "read", "read"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ASSERT_EQ(lines[i].size(), 7u);
        EXPECT_EQ(lines[i][2], operations[i]);
        EXPECT_EQ(lines[i][3], "succeeded");
        EXPECT_EQ(lines[i][4], "HIST000001");
        EXPECT_EQ(lines[i][1].size(), 24u) << "ISO 8601 UTC with milliseconds: " << lines[i][1];
        EXPECT_EQ(lines[i][1].back(), 'Z');
    }
    const auto first = lines[3][0];
    const auto tuning = lines[1][0];
    EXPECT_EQ(listed({"--serial", "HIST000001"}).size(), 4u);
    EXPECT_TRUE(listed({"--serial", "OTHER"}).empty());

    const auto before =
        std::to_string(firstBlock[blockOffset(alignmentType(AlignmentType::TxHighPower), 0)]);
    auto run = cli({"history", "diff", first, lines[0][0]});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Tx high power F1: " + before + " -> 40\n");
    run = cli({"history", "show", tuning});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Operation:      screen-program\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Detail:         Tx High Power: F1 F2 F3 F4 F5\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Serial No:      HIST000001"), std::string::npos);
    EXPECT_NE(run.out.find("Before -> after:\n  Tx high power F1: " + before + " -> 40\n"),
              std::string::npos)
        << run.out;

    // The export holds what the read's archive holds.
    run = cli({"history", "export", first, "--save", path("exported.spa")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    radioRecord saved;
    radioRecord exported;
    ASSERT_EQ(loadArchive(path("first.spa"), saved), ArchiveLoad::Loaded);
    ASSERT_EQ(loadArchive(path("exported.spa"), exported), ArchiveLoad::Loaded);
    for (std::size_t row = 0; row < kGridSize; ++row) {
        for (std::size_t column = 0; column < kGridSize; ++column) {
            ASSERT_EQ(exported.getCell(row, column), saved.getCell(row, column))
                << row << ',' << column;
        }
    }
    EXPECT_EQ(exported.serialNo(), saved.serialNo());

    run = cli({"history", "restore", first, "--yes"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("NOTE: Radio successfully programmed!!"), std::string::npos);
    EXPECT_EQ(test::readRadioBlock(blockAddress(0)), firstBlock) << "restored byte for byte";
    lines = listed();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0][2], "program-all");
    EXPECT_EQ(lines[0][3], "succeeded");

    for (const auto& [arguments, text] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"history", "show", "999999"}, "there is no snapshot with this id"},
             {{"history", "export", "999999", "--save", path("x.spa")}, "no snapshot"},
             {{"history", "diff", first, "999999"}, "no snapshot"},
             {{"history", "show", "x1"}, "is not a snapshot ID"}}) {
        run = cli(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments[1];
        EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("x.spa")));
}

TEST_P(CliHistoryTest, ASerialNumberWriteIsRecordedWithTheNewNumber) {
    test::SimRadio radio(ports, {"--serial", ""});
    ASSERT_EQ(cli({"set-serial", "AB12345678"}).exitCode, 0);
    const auto lines = listed();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0][2], "serial-number");
    EXPECT_EQ(lines[0][4], "AB12345678");
    const auto run = cli({"history", "show", lines[0][0]});
    EXPECT_NE(run.out.find("Detail:         serial number            -> AB12345678\n"),
              std::string::npos)
        << run.out;
}

INSTANTIATE_TEST_SUITE_P(Backends, CliHistoryTest,
                         ::testing::Values(Backend::Sqlite, Backend::Postgresql),
                         [](const auto& param) {
                             return param.param == Backend::Sqlite ? "Sqlite" : "Postgresql";
                         });

// Ctrl-C in the middle of Program All on a slow line: the write in flight and its checksum
// finish, the radio leaves test mode, the snapshot says cancelled and holds what the radio holds.
TEST(CliHistoryInterruptTest, CtrlCStopsProgramAllBetweenTwoWrites) {
    test::IsolatedPorts ports;
    const QTemporaryDir dir;
    const auto archive = dir.filePath("tuned.spa").toStdString();
    const auto url = "sqlite:" + dir.filePath("history.sqlite").toStdString();
    {
        test::SimRadio radio(ports);
        ASSERT_EQ(runCli({"--history", "none", "read", "--save", archive}).exitCode, 0);
    }
    radioRecord record;
    ASSERT_EQ(loadArchive(archive, record), ArchiveLoad::Loaded);
    for (std::uint32_t i = 0; i < kPointCount; ++i) {
        record.setCell(1, i, 60 - i);
    }
    ASSERT_TRUE(saveArchive(archive, record, 321));

    const auto image = dir.filePath("radio.img");
    test::SimRadio radio(ports, {"--line-rate", "9600", "--save-image", image});
    QProcess cli;
    cli.start(QString::fromStdString(KAVRIN_CLI_PATH),
              {"--history", QString::fromStdString(url), "program", QString::fromStdString(archive),
               "--yes"});
    ASSERT_TRUE(cli.waitForStarted(5000));
    const QDeadlineTimer deadline(20000);
    const auto writes = [&radio] {
        const auto log = radio.log();
        return std::count_if(log.begin(), log.end(), [](const test::RadioEvent& e) {
            return e.kind == test::RadioEvent::Kind::Write;
        });
    };
    while (writes() < 3 && !deadline.hasExpired()) {
        QThread::msleep(5);
    }
    ASSERT_FALSE(deadline.hasExpired()) << "Program All never started writing";
    ASSERT_EQ(::kill(static_cast<pid_t>(cli.processId()), SIGINT), 0);
    ASSERT_TRUE(cli.waitForFinished(20000));
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 130);
    EXPECT_NE(cli.readAllStandardError().indexOf("Program All stopped by Ctrl-C"), -1);

    // The last softpot write is followed by its checksum, then test mode ends.
    const auto log = radio.log();
    ASSERT_GE(log.size(), 4u);
    const auto& checksum = log[log.size() - 4];
    EXPECT_EQ(checksum.kind, test::RadioEvent::Kind::Write);
    EXPECT_EQ(checksum.offset.value_or(0), blockAddress(0) + kBlockChecksumOffset);
    EXPECT_EQ(log[log.size() - 3].request.value_or(-1), 1) << "exit test mode";
    EXPECT_EQ(log[log.size() - 2].request.value_or(-1), 22) << "reset";
    EXPECT_EQ(log.back().kind, test::RadioEvent::Kind::Close);
    ASSERT_EQ(radio.stop(), 0);
    const auto block = test::blockOfImage(image, blockAddress(0));
    EXPECT_EQ(block[kBlockChecksumOffset], blockChecksum(block));

    historyStore store(*parseHistoryUrl(QString::fromStdString(url)).url);
    const auto listed = store.list();
    ASSERT_TRUE(listed) << listed.error.toStdString();
    ASSERT_EQ(listed.value->size(), 1u);
    const auto snapshot = store.get(listed.value->front().id);
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot.value->operation, "program-all");
    EXPECT_EQ(snapshot.value->outcome, "cancelled");
    ASSERT_TRUE(snapshot.value->after);
    const auto& type = alignmentType(AlignmentType::TxHighPower);
    for (std::size_t i = 0; i < kPointCount; ++i) {
        const auto cell = softpotCell(type, i);
        EXPECT_EQ((*snapshot.value->after)[cell.row * kGridSize + cell.column],
                  block[blockOffset(type, i)])
            << "F" << i + 1;
    }
}

// The radio work goes on whatever the history's trouble; the reason is told once per run, and
// a damaged database is left exactly as it was.
TEST(CliHistoryFailureTest, AHistoryThatCannotBeWrittenNeverFailsTheRadioWork) {
    test::IsolatedPorts ports;
    const QTemporaryDir dir;
    const auto damaged = dir.filePath("damaged.sqlite");
    const QByteArray garbage(4096, 'x');
    {
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    const std::vector<std::pair<std::string, std::string>> cases{
        {"down server", test::downPostgresqlUrl().toStdString()},
        {"refused login", test::refusedPostgresqlUrl().toStdString()},
        {"damaged file", "sqlite:" + damaged.toStdString()},
    };
    test::SimRadio radio(ports);
    for (const auto& [what, url] : cases) {
        SCOPED_TRACE(what);
        QElapsedTimer timer;
        timer.start();
        // A read and a screen's Program: two snapshots that cannot be saved, one word.
        const auto run = runCli({"--history", url, "tune", "tx-high-power", "--point", "1",
                                 "--value", "41", "--program", "--yes"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(occurrences(run.err, "History not saved: "), 1u) << run.err;
        EXPECT_LT(timer.elapsed(), 2 * 2000 + 3000) << "each write waits at most its bound";
    }
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);
}

// A write after a failed one opens the store afresh.
TEST(CliHistoryFailureTest, TheNextWriteTriesAgain) {
    const QTemporaryDir dir;
    const auto blocker = dir.filePath("later");
    {
        QFile file(blocker); // a file where the database's folder must go
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    std::vector<QString> told;
    historyRecorder recorder(QStringLiteral("sqlite:") + blocker + "/history.sqlite",
                             [&told](const QString& text) { told.push_back(text); });
    radioRecord record;
    record.setSerialNo("RETRY00001");
    recorder.radioRead(record);
    recorder.radioRead(record);
    EXPECT_EQ(told.size(), 1u);
    EXPECT_FALSE(recorder.lastSnapshotId());
    ASSERT_TRUE(QFile::remove(blocker));
    recorder.radioRead(record);
    EXPECT_TRUE(recorder.lastSnapshotId());
    EXPECT_EQ(told.size(), 1u);
}

} // namespace
} // namespace kavrin
