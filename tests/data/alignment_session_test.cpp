// The tuning session without any window: opening and closing per kind of screen, a tuning round
// trip, failures and a swapped radio, Program's checks, and the transmit watchdog on an injected
// clock — all against the virtual radio.
#include "core_fixture.h"
#include "data/alignment_session.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace kavrin {
namespace {

using test::CoreTest;
using Trace = std::vector<std::string>;
using Outcome = alignmentSession::Outcome;

class RecordingObserver final : public ISessionObserver {
public:
    void rowChanged(std::size_t row) override { changedRows.push_back(row); }
    void statusChanged(const std::string& text) override { statuses.push_back(text); }
    void note(const std::string& text) override { notes.push_back(text); }
    void readRequested(bool duringLife) override { rereads.push_back(duringLife); }

    std::vector<std::size_t> changedRows;
    std::vector<std::string> statuses;
    std::vector<std::string> notes;
    std::vector<bool> rereads;
};

class SessionTest : public CoreTest {
protected:
    void readFirst(const QStringList& options = {}) {
        startRadio(options);
        ASSERT_TRUE(core.readFlow(progress));
        messages.sink.shown.clear();
    }

    alignmentSession& open(AlignmentType type) {
        session.emplace(core, type,
                        SessionServices{messages.sink, cursor, observer, [this] { return now; }});
        mark = trace().size();
        session->open();
        session->selectFirstPoint();
        return *session;
    }

    // The radio's requests since the last call, without the links' open and close.
    Trace since() {
        const auto all = trace();
        Trace out;
        std::copy_if(all.begin() + static_cast<std::ptrdiff_t>(mark), all.end(),
                     std::back_inserter(out),
                     [](const std::string& e) { return e != "close" && e.rfind("open", 0) != 0; });
        mark = all.size();
        return out;
    }

    RecordingObserver observer;
    std::chrono::steady_clock::time_point now{};
    std::optional<alignmentSession> session;
    std::size_t mark = 0;
};

// Opening and closing of the three kinds of screen, and the rows each shows.
TEST_F(SessionTest, EachKindOfScreenOpensAndClosesWithItsRequests) {
    struct Case {
        AlignmentType type;
        Trace opening;
        Trace closing;
        std::size_t rowsInUse;
    };
    const std::vector<Case> cases{
        {AlignmentType::TxHighPower, {"x17", "x0"}, {"x1", "x22"}, 5},
        {AlignmentType::TxKtd20KHz, {"x17", "x0", "x27"}, {"x28", "x1", "x22"}, 1},
        {AlignmentType::RxSquelch20KbandTight, {"x17", "x0"}, {"x1", "x22"}, 5},
    };
    readFirst({"--layout", "extended"});
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(alignmentType(c.type).cliName));
        auto& s = open(c.type);
        EXPECT_TRUE(s.attached());
        EXPECT_EQ(core.currentScreenId(), alignmentType(c.type).screenId);
        EXPECT_EQ(since(), c.opening);
        std::size_t inUse = 0;
        for (std::size_t i = 0; i < kSessionRowCount; ++i) {
            inUse += s.row(i).used ? 1u : 0u;
        }
        EXPECT_EQ(inUse, c.rowsInUse);
        EXPECT_EQ(s.status(), alignmentType(c.type).transmit()
                                  ? "Radio is currently dekeyed"
                                  : "No Frequency Tuning Point is currently selected");
        s.endTuning();
        s.endTuning(); // a second close sends nothing
        EXPECT_EQ(since(), c.closing);
        EXPECT_EQ(core.currentScreenId(), 0);
    }
    EXPECT_TRUE(messages.sink.shown.empty());
}

// Keyed live tuning and Program on a transmit screen: the record, the block image and the radio
// end up with the programmed value, the checksum covers it.
TEST_F(SessionTest, TuneKeyedThenProgramWritesValueAndChecksum) {
    readFirst();
    auto& s = open(AlignmentType::TxHighPower);
    since();
    ASSERT_EQ(s.pttToggle(), Outcome::Done);
    EXPECT_TRUE(s.keyed());
    EXPECT_EQ(s.status().rfind("Radio is currently keyed up at ", 0), 0u);
    since();
    s.editWorkingText(0, "41");
    ASSERT_EQ(s.enter(0), Outcome::Done);
    EXPECT_EQ(since(), (Trace{"x17", "x8"}));
    EXPECT_EQ(s.row(0).workingText, "41");

    messages.sink.answers = {Answer::Ok};
    ASSERT_EQ(s.program(), Outcome::Done);
    EXPECT_FALSE(s.keyed());
    EXPECT_EQ(core.record().getCell(softpotCell(alignmentType(AlignmentType::TxHighPower), 0)),
              41u);
    EXPECT_EQ(core.operations().blockImage()[22], 41);
    const auto written = since();
    EXPECT_EQ(written.at(1), "x13") << "Program dekeys first";
    EXPECT_NE(std::find(written.begin(), written.end(), "w7958=29"), written.end());
    std::array<char, 3> hex{};
    std::snprintf(hex.data(), hex.size(), "%02x", blockChecksum(core.operations().blockImage()));
    EXPECT_EQ(written.back(), std::string("w8045=") + hex.data());
    EXPECT_EQ(s.row(0).defaultText, "41");
}

// After an archive load the block image is not the radio's: Program reads the radio's block
// before its first write, so that the checksum it writes covers what the radio holds.
TEST_F(SessionTest, ProgramAfterAnArchiveLoadChecksumsTheRadiosBlock) {
    readFirst();
    const auto archive = std::filesystem::path(ports.directory().toStdString()) / "radio.spa";
    ASSERT_TRUE(core.saveArchiveFile(archive));
    ASSERT_TRUE(core.loadArchiveByName(archive));
    ASSERT_FALSE(core.radioRead());
    const auto radiosBlock = core.operations().blockImage();
    core.operations().blockImage().fill(0); // as when the program started with the archive
    auto& s = open(AlignmentType::RxSquelch20KbandNormal);
    s.editWorkingText(0, "17");
    messages.sink.answers = {Answer::Ok};
    since();
    ASSERT_EQ(s.program(), Outcome::Done);
    const auto sent = since();
    const auto firstWrite =
        std::find_if(sent.begin(), sent.end(), [](const std::string& e) { return e[0] == 'w'; });
    EXPECT_EQ(
        std::count_if(sent.begin(), firstWrite, [](const std::string& e) { return e[0] == 'r'; }),
        4);
    auto expected = radiosBlock;
    for (std::size_t i = 0; i < kSessionRowCount; ++i) {
        expected[blockOffset(alignmentType(AlignmentType::RxSquelch20KbandNormal), i)] =
            static_cast<std::uint8_t>(workingValue(s.row(i).defaultText));
    }
    EXPECT_EQ(core.operations().blockImage(), expected);
    std::array<char, 3> hex{};
    std::snprintf(hex.data(), hex.size(), "%02x", blockChecksum(expected));
    EXPECT_EQ(sent.back(), std::string("w8045=") + hex.data());
    s.endTuning();
}

// Program's checks: the first invalid row stops it with the type's own text and nothing of that
// row is written; a cancelled confirmation writes nothing.
TEST_F(SessionTest, ProgramStopsAtInvalidEntriesAndOnCancel) {
    readFirst();
    auto& s = open(AlignmentType::RxSquelchNbandNormal);
    const auto before = s.row(1).value;
    s.editWorkingText(1, "99");
    since();
    EXPECT_EQ(s.program(), Outcome::Cancelled) << "no answer given: Cancel";
    EXPECT_EQ(since(), Trace{"x17"});

    messages.sink.answers = {Answer::Ok};
    EXPECT_EQ(s.program(), Outcome::Invalid);
    EXPECT_EQ(messages.sink.shown.back().text,
              "Program softpots aborted for Rx Squelch !! Illegal softpot value");
    EXPECT_EQ(s.row(1).workingText, std::to_string(before));
    const auto writes = since();
    EXPECT_EQ(std::count_if(writes.begin(), writes.end(),
                            [](const std::string& e) { return e.rfind("w7970=", 0) == 0; }),
              0)
        << "row 2 (block offset 34) is not written";

    s.editWorkingText(0, "");
    messages.sink.answers = {Answer::Ok};
    EXPECT_EQ(s.program(), Outcome::Invalid);
    EXPECT_EQ(messages.sink.shown.back().text, "Please enter a valid Rx Squelch softpot value!!");
}

// A radio gone, a radio that stops answering, another radio on the bench: each action says so
// once and the row shows the value the radio has.
TEST_F(SessionTest, FailuresRestoreTheRowAndSayWhy) {
    readFirst();
    auto& s = open(AlignmentType::RxSquelchSbandNormal);
    const int before = s.row(2).value;

    radio.emplace(ports, QStringList{"--refuse", "7"});
    EXPECT_EQ(s.step(2, +1), Outcome::Failed);
    EXPECT_EQ(s.row(2).barValue, before);
    EXPECT_EQ(messages.sink.texts().back(), "Radio Communication Error!!");

    radio.reset();
    messages.sink.shown.clear();
    EXPECT_EQ(s.setValue(2, 20), Outcome::NoLink);
    EXPECT_EQ(s.row(2).barValue, before);
    ASSERT_FALSE(messages.sink.shown.empty());
    EXPECT_EQ(messages.sink.shown.back(),
              (test::ShownMessage{
                  "COM Port is currently in use by another application or radio isn't connected",
                  " WARNING", MessageIcon::Information, false}));

    startRadio({"--serial", "ZZ99999999"});
    messages.sink.answers = {Answer::Ok};
    EXPECT_EQ(s.step(2, +1), Outcome::Mismatch);
    EXPECT_EQ(observer.rereads, std::vector<bool>{true});
    s.endTuning();
}

// The watchdog dekeys a radio left keyed without an action, with the request PTT Toggle sends;
// every action starts its time again, and 0 turns it off.
TEST_F(SessionTest, WatchdogDekeysAfterItsTimeWithoutActivity) {
    using namespace std::chrono_literals;
    readFirst({"--layout", "extended"});
    auto& s = open(AlignmentType::TxKtd125KHz);
    s.setWatchdog(5s);
    EXPECT_FALSE(s.watchdogDeadline()) << "not keyed";
    ASSERT_EQ(s.pttToggle(), Outcome::Done);
    ASSERT_EQ(s.watchdogDeadline(), now + 5s);
    since();

    now += 4s;
    EXPECT_FALSE(s.checkWatchdog());
    s.trackThumb(2, 10); // an action of the technician
    now += 4s;
    EXPECT_FALSE(s.checkWatchdog());
    EXPECT_EQ(since(), Trace{});
    now += 1s;
    EXPECT_TRUE(s.checkWatchdog());
    EXPECT_EQ(since(), Trace{"x30"});
    EXPECT_FALSE(s.keyed());
    EXPECT_EQ(s.status(), "Radio is currently dekeyed");
    EXPECT_EQ(observer.notes, Trace{"Transmitter dekeyed after 5 s without activity"});
    EXPECT_FALSE(s.watchdogDeadline());

    s.setWatchdog(0s);
    ASSERT_EQ(s.pttToggle(), Outcome::Done);
    now += 1h;
    EXPECT_FALSE(s.watchdogDeadline());
    EXPECT_FALSE(s.checkWatchdog());
    EXPECT_TRUE(s.keyed());
    s.endTuning();
}

// The watchdog's timer can fire inside an action's question (a nested event loop, with the
// action's link open): it waits until the action is over.
TEST_F(SessionTest, WatchdogWaitsForAnActionThatAsks) {
    using namespace std::chrono_literals;
    struct AskingMessages final : IUserMessages {
        void showMessage(const std::string&, const std::string&, MessageIcon) override {}
        Answer ask(const std::string&, const std::string&, MessageIcon) override {
            onAsk();
            return Answer::Cancel;
        }
        std::function<void()> onAsk = [] {};
    } asking;
    readFirst();
    session.emplace(core, AlignmentType::TxHighPower,
                    SessionServices{asking, cursor, observer, [this] { return now; }});
    session->open();
    session->selectFirstPoint();
    session->setWatchdog(1s);
    ASSERT_EQ(session->pttToggle(), Outcome::Done);
    std::optional<bool> dekeyedInside;
    asking.onAsk = [&] {
        now += 1h;
        dekeyedInside = session->checkWatchdog();
    };
    EXPECT_EQ(session->program(), Outcome::Cancelled);
    EXPECT_EQ(dekeyedInside, false);
    EXPECT_TRUE(session->keyed());
    now += 1h;
    EXPECT_TRUE(session->checkWatchdog());
    session->endTuning();
}

TEST(WorkingEdit, TakesUpToThreeDigitsAndReadsTheirValue) {
    struct Case {
        const char* text;
        bool taken;
        int value;
    };
    for (const auto& c :
         {Case{"", true, 0}, Case{"7", true, 7}, Case{"063", true, 63}, Case{"999", true, 999},
          Case{"1000", false, 100}, Case{"-1", false, 0}, Case{"4a", false, 0}}) {
        EXPECT_EQ(workingEditTakes(c.text), c.taken) << c.text;
        EXPECT_EQ(workingValue(c.text), c.value) << c.text;
    }
}

} // namespace
} // namespace kavrin
