// Program All against the virtual radio: its checks, both modes of writing, and what the radio
// holds afterwards.
#include "core_fixture.h"
#include "link/radio_link.h"
#include "support/radio_reads.h"

namespace kavrin {
namespace {

using test::CoreTest;
using Trace = std::vector<std::string>;

// The writes of the trace, without the checksum writes.
Trace softpotWrites(const Trace& trace, const std::string& checksumPrefix) {
    Trace out;
    for (const auto& entry : trace) {
        if (entry[0] == 'w' && entry.rfind(checksumPrefix, 0) != 0) {
            out.push_back(entry);
        }
    }
    return out;
}

class ProgramTest : public CoreTest {
protected:
    // Reads the radio, then forgets the trace so far.
    void readFirst(const QStringList& options = {}) {
        startRadio(options);
        ASSERT_TRUE(core.readFlow(progress));
        before = trace().size();
        progress.texts.clear();
        messages.sink.shown.clear();
    }
    Trace programTrace() const {
        const auto all = trace();
        return Trace(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    }
    // Every softpot of the record at its block offset, and a valid checksum.
    void expectRadioHoldsTheRecord() {
        const auto block = test::readRadioBlock(blockAddress(core.record().codeplugLayout()));
        for (const auto& type : kAlignmentTypes) {
            for (std::size_t i = 0; i < kPointCount; ++i) {
                if (core.record().getCell(pointCell(type.points, i)) == 0 ||
                    (type.middlePointOnly && i != kMiddlePoint)) {
                    continue;
                }
                EXPECT_EQ(block[blockOffset(type, i)], core.record().getCell(softpotCell(type, i)))
                    << "type " << static_cast<int>(type.type) << " point " << i;
            }
        }
        EXPECT_EQ(block[kBlockChecksumOffset], blockChecksum(block));
    }
    std::size_t before = 0;
};

TEST_F(ProgramTest, AfterAReadEveryUsedPointIsWrittenOnceAndOneChecksumEnds) {
    readFirst();
    ASSERT_TRUE(core.programFlow(progress));
    const auto events = programTrace();
    EXPECT_EQ(Trace(events.begin(), events.begin() + 5),
              (Trace{"open2", "x17", "close", "open2", "x0"}));
    EXPECT_EQ(softpotWrites(events, "w8045=").size(), 55u);
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const auto& e) { return e.rfind("w8045=", 0) == 0; }),
              1);
    EXPECT_EQ(Trace(events.end() - 4, events.end()),
              (Trace{"w8045=" + events[events.size() - 4].substr(6), "x1", "x22", "close"}));
    EXPECT_EQ(progress.texts,
              (Trace{"20% Complete", "25% Complete", "30% Complete", "40% Complete", "50% Complete",
                     "60% Complete", "65% Complete", "70% Complete", "75% Complete", "80% Complete",
                     "90% Complete", "100% Complete"}));
    EXPECT_EQ(messages.sink.texts(), Trace{"Radio successfully programmed!!"});
    EXPECT_EQ(cursor.depth, 0);
    expectRadioHoldsTheRecord();
}

TEST_F(ProgramTest, WithoutATrustedImageTheBlockIsReadAndEveryWriteIsChecksummed) {
    readFirst();
    core.archiveLoadSucceeded(); // as after an archive load
    for (std::uint32_t i = 0; i < kPointCount; ++i) {
        core.record().setCell(1, i, 30 + i);
        core.record().setCell(3, 25 + i, 5 + i);
    }
    ASSERT_TRUE(core.programFlow(progress));
    const auto events = programTrace();
    EXPECT_EQ(Trace(events.begin() + 3, events.begin() + 9),
              (Trace{"open2", "x0", "r7936+64", "r8000+64", "r8064+64", "r8128+64"}));
    for (std::size_t n = 9; n + 1 < events.size(); ++n) {
        if (events[n][0] == 'w' && events[n].rfind("w8045=", 0) != 0) {
            EXPECT_EQ(events[n + 1].rfind("w8045=", 0), 0u) << "no checksum after " << events[n];
        }
    }
    EXPECT_EQ(Trace(progress.texts.begin(), progress.texts.begin() + 5),
              (Trace{"6% done", "12% done", "18% done", "20% Complete", "30% Complete"}));
    EXPECT_EQ(progress.texts.back(), "100% Complete");
    expectRadioHoldsTheRecord();
}

TEST_F(ProgramTest, ChannelOptionWritesBothPowerLevelsAndKtdNeedsTheExtendedF3) {
    readFirst({"--layout", "extended"});
    core.archiveLoadSucceeded();
    core.record().setChannelOption(1);
    core.record().setCell(2, 15, 11);
    core.record().setCell(2, 16, 12);
    core.record().setCell(2, 17, 13);
    ASSERT_TRUE(core.programFlow(progress));
    const auto block = test::readRadioBlock(blockAddress(1));
    for (std::size_t i = 0; i < kPointCount; ++i) {
        EXPECT_EQ(block[22 + 2 * i], core.record().getCell(1, 5 + i)) << "low wins at F" << i + 1;
        EXPECT_EQ(block[23 + 2 * i], core.record().getCell(1, 5 + i));
    }
    EXPECT_EQ(block[62], 11);
    EXPECT_EQ(block[63], 12);
    EXPECT_EQ(block[64], 13);
    EXPECT_EQ(block[kBlockChecksumOffset], blockChecksum(block)) << "both levels are covered";
}

TEST_F(ProgramTest, NoKtdWithoutTheF3Point) {
    readFirst({"--layout", "extended", "--band", "2"});
    ASSERT_TRUE(core.programFlow(progress));
    // The KTD softpots live at 16190-16192.
    for (const auto& entry : programTrace()) {
        EXPECT_NE(entry.rfind("w1619", 0), 0u) << entry;
    }
}

TEST_F(ProgramTest, ChecksBeforeAnythingIsWritten) {
    readFirst();
    core.record().setCodeplugLayout(1);
    EXPECT_FALSE(core.programAllChecks());
    EXPECT_EQ(messages.sink.texts(),
              Trace{"Codeplug mismatch with radio. Cannot program radio codeplug !!"});

    core.record().setCodeplugLayout(0);
    messages.sink.shown.clear();
    messages.sink.answers = {Answer::Cancel, Answer::Ok};
    EXPECT_FALSE(core.programAllChecks());
    EXPECT_TRUE(core.programAllChecks());
    EXPECT_EQ(messages.sink.shown[0],
              (test::ShownMessage{"Program Radio?", "Note", MessageIcon::Information, true}));

    core.record().setSerialNo("OTHER00000");
    messages.sink.shown.clear();
    const auto start = trace().size();
    EXPECT_FALSE(core.programFlow(progress));
    EXPECT_EQ(messages.sink.shown[0].title, " Radio Program Error");
    const auto all = trace();
    EXPECT_EQ(Trace(all.begin() + static_cast<std::ptrdiff_t>(start), all.end()),
              (Trace{"open2", "x17", "close"}));
    EXPECT_EQ(cursor.depth, 0);
}

TEST_F(ProgramTest, FailureMidwayReportsAndDoesNotLeaveTestMode) {
    startRadio({"--refuse", "write@3"});
    ASSERT_TRUE(core.readFlow(progress));
    const auto start = trace().size();
    messages.sink.shown.clear();
    EXPECT_FALSE(core.programFlow(progress));
    EXPECT_EQ(messages.sink.texts(), Trace{"Program Radio Error"});
    const auto all = trace();
    const Trace run(all.begin() + static_cast<std::ptrdiff_t>(start), all.end());
    EXPECT_EQ(std::count(run.begin(), run.end(), "x1"), 0);
    EXPECT_EQ(cursor.depth, 0);
}

} // namespace
} // namespace kavrin
