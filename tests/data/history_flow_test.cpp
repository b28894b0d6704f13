// What the flows tell the history: a read once it succeeded, and for Program All what the radio
// held before and what it was confirmed to hold after, also when the cable goes part-way or the
// technician stops it.
#include "core_fixture.h"
#include "data/radio_history.h"
#include "support/radio_reads.h"

#include <QTemporaryDir>

namespace kavrin {
namespace {

using test::CoreTest;
using Trace = std::vector<std::string>;

struct RecordedChange {
    radioRecord record;
    radioChange change;
};

class RecordingHistory final : public IRadioHistory {
public:
    void radioRead(const radioRecord& record) override { reads.push_back(record); }
    void radioChanged(const radioRecord& record, const radioChange& change) override {
        changes.push_back({record, change});
    }
    std::vector<radioRecord> reads;
    std::vector<RecordedChange> changes;
};

// The first cell where two records differ, as "row,column a!=b"; empty when none does.
std::string firstDifference(const radioRecord& a, const radioRecord& b) {
    for (std::size_t row = 0; row < kGridSize; ++row) {
        for (std::size_t column = 0; column < kGridSize; ++column) {
            if (a.getCell(row, column) != b.getCell(row, column)) {
                return std::to_string(row) + "," + std::to_string(column) + " " +
                       std::to_string(a.getCell(row, column)) +
                       "!=" + std::to_string(b.getCell(row, column));
            }
        }
    }
    return {};
}

class HistoryFlowTest : public CoreTest {
protected:
    void SetUp() override { core.setHistory(history); }

    // Reads the radio and returns how many requests that took.
    std::size_t readRadio() {
        EXPECT_TRUE(core.readFlow(progress));
        return radio->log().size();
    }
    // Every softpot the layout has moved, so that each write changes the radio.
    void changeEverySoftpot() {
        radioRecord changed = core.record();
        for (const auto& type : kAlignmentTypes) {
            if (type.middlePointOnly && changed.codeplugLayout() == 0) {
                continue; // no such softpots in the standard layout
            }
            for (std::size_t i = 0; i < kPointCount; ++i) {
                const auto cell = softpotCell(type, i);
                changed.setCell(cell, (changed.getCell(cell) + 7) % (kMaxSoftpot + 1));
            }
        }
        if (fromArchive) {
            ASSERT_TRUE(core.loadRecord(changed));
        } else {
            core.record() = changed;
        }
    }

    RecordingHistory history;
    bool fromArchive = true;
};

TEST_F(HistoryFlowTest, AReadIsRecordedOnceItSucceededAndAFailedOneNot) {
    startRadio({"--serial", "HIST000001"});
    readRadio();
    ASSERT_EQ(history.reads.size(), 1u);
    EXPECT_EQ(history.reads[0].serialNo(), "HIST000001");
    EXPECT_EQ(firstDifference(history.reads[0], core.record()), "");
    EXPECT_TRUE(history.changes.empty());

    startRadio({"--refuse", "read@2"});
    EXPECT_FALSE(core.readFlow(progress));
    EXPECT_EQ(history.reads.size(), 1u);
}

TEST_F(HistoryFlowTest, ProgramAllRecordsBeforeAndAfter) {
    startRadio();
    readRadio();
    const radioRecord asRead = core.record();
    changeEverySoftpot();
    ASSERT_TRUE(core.programFlow(progress));
    ASSERT_EQ(history.changes.size(), 1u);
    const auto& [record, change] = history.changes[0];
    EXPECT_STREQ(change.operation, kOperationProgramAll);
    EXPECT_STREQ(change.outcome, kOutcomeSucceeded);
    EXPECT_EQ(firstDifference(change.before, asRead), "");
    EXPECT_EQ(firstDifference(change.after, core.record()), "");
    EXPECT_EQ(firstDifference(record, core.record()), "");
    EXPECT_NE(change.detail.find("last checksum written 0x"), std::string::npos) << change.detail;
}

// A cable pulled after the Nth request of the flow: the snapshot's "after" is exactly what the
// radio's codeplug holds once it is gone, whether the cut falls on a block read, a softpot write
// or its checksum.
TEST_F(HistoryFlowTest, ACutProgramAllRecordsWhatTheRadioHolds) {
    for (const bool archive : {true, false}) {
        fromArchive = archive;
        SCOPED_TRACE(archive ? "after an archive load" : "after a read");
        // The whole flow once, to find where its requests fall.
        startRadio();
        const auto readRequests = readRadio();
        changeEverySoftpot();
        ASSERT_TRUE(core.programFlow(progress));
        const auto full = trace();
        history.changes.clear();

        struct Cut {
            const char* what;
            std::size_t request; // 1-based, in the whole log
        };
        std::vector<Cut> cuts;
        const auto firstWrite = static_cast<std::size_t>(
            std::find_if(full.begin() + static_cast<std::ptrdiff_t>(readRequests), full.end(),
                         [](const std::string& e) { return e[0] == 'w'; }) -
            full.begin());
        if (archive) {
            cuts.push_back({"on a block read", firstWrite - 1});
            cuts.push_back({"on a softpot write", firstWrite + 3});
            cuts.push_back({"on a checksum", firstWrite + 4});
        } else {
            cuts.push_back({"on a softpot write", firstWrite + 5});
        }
        for (const auto& cut : cuts) {
            SCOPED_TRACE(cut.what);
            const QTemporaryDir dir;
            const auto image = dir.filePath("radio.img");
            startRadio({"--hangup-after", QString::number(cut.request), "--save-image", image});
            ASSERT_EQ(readRadio(), readRequests);
            const radioRecord asRead = core.record();
            changeEverySoftpot();
            EXPECT_FALSE(core.programFlow(progress));
            ASSERT_EQ(radio->stop(), 0);
            const auto held = radioOperations::recordOfBlock(
                core.record(),
                test::blockOfImage(image, blockAddress(core.record().codeplugLayout())));
            if (cut.request < firstWrite) {
                EXPECT_TRUE(history.changes.empty()) << "nothing was written";
                continue;
            }
            ASSERT_EQ(history.changes.size(), 1u);
            const auto change = history.changes[0].change;
            history.changes.clear();
            EXPECT_STREQ(change.outcome, kOutcomeFailed);
            EXPECT_EQ(firstDifference(change.before, asRead), "");
            EXPECT_EQ(firstDifference(change.after, held), "");
            EXPECT_NE(firstDifference(change.after, change.before), "") << "some writes landed";
        }
    }
}

TEST_F(HistoryFlowTest, AStoppedProgramAllEndsCleanlyAndSaysSo) {
    for (const bool archive : {true, false}) {
        fromArchive = archive;
        SCOPED_TRACE(archive ? "after an archive load" : "after a read");
        startRadio();
        const auto start = readRadio();
        changeEverySoftpot();
        messages.sink.shown.clear();
        int asked = 0;
        EXPECT_FALSE(core.programFlow(progress, [&] { return ++asked == 3; }));
        EXPECT_TRUE(messages.sink.shown.empty()) << "a stop is no failure to report";
        const auto all = trace();
        const Trace run(all.begin() + static_cast<std::ptrdiff_t>(start), all.end());
        // Three softpot writes, the checksum right after the last, then test mode ends.
        const auto writes = std::count_if(run.begin(), run.end(), [](const std::string& e) {
            return e[0] == 'w' && e.rfind("w8045=", 0) != 0;
        });
        EXPECT_EQ(writes, 3);
        ASSERT_GE(run.size(), 4u);
        EXPECT_EQ(Trace(run.end() - 4, run.end() - 2).front().rfind("w8045=", 0), 0u);
        EXPECT_EQ(Trace(run.end() - 3, run.end()), (Trace{"x1", "x22", "close"}));
        ASSERT_EQ(history.changes.size(), 1u);
        EXPECT_STREQ(history.changes[0].change.outcome, kOutcomeCancelled);
        history.changes.clear();
    }
}

} // namespace
} // namespace kavrin
