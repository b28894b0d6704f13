// Automatic alignment against the virtual radio and its service monitor: every screen in both
// dialects (cma-style over TCP, classic-style behind the GPIB adapter) from the factory softpots,
// from all 0 and from all 63 ends on the softpot a technician with all the time in the world would
// pick; a window out of reach fails and keeps the old softpot; noise; a monitor, a reading or a
// radio that fails mid-point; the key bound.
#include "data/application_core.h"
#include "data/autotune_run.h"
#include "instrument/service_monitor_factory.h"
#include "support/radio_log.h"
#include "support/radio_reads.h"
#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <thread>

namespace kavrin {
namespace {

// A curve of the monitor's file as a function: linear from (0, a) to (63, b).
struct Line {
    double a;
    double b;
    double at(int softpot) const { return a + (b - a) * softpot / 63.0; }
};

// Per screen, per point F1-F5. Readings in W, kHz or dBm; every window is reachable, no answer is
// a near tie, and the squelch opens higher as the softpot rises.
std::map<std::string, std::array<Line, 5>> givenCurves() {
    std::map<std::string, std::array<Line, 5>> curves;
    const auto add = [&curves](const char* screen, double a, double slope, double spread) {
        std::array<Line, 5> points{};
        for (std::size_t p = 0; p < points.size(); ++p) {
            const double s = slope * (1.0 + spread * static_cast<double>(p));
            points[p] = {a + 0.013 * static_cast<double>(p), a + 63 * s};
        }
        curves[screen] = points;
    };
    add("tx-high-power", 2.0, 0.1, 0.08);
    add("tx-low-power", 0.2, 0.03, 0.05);
    add("tx-mod-12.5", 1.0, 0.05, 0.06);
    add("tx-mod-20", 2.0, 0.05, 0.07);
    add("tx-mod-25", 3.0, 0.05, 0.05);
    add("ktd-12.5", 0.1, 0.012, 0.04);
    add("ktd-20", 0.2, 0.012, 0.05);
    add("ktd-25", 0.3, 0.012, 0.06);
    for (const char* screen : {"squelch-12.5-normal", "squelch-25-normal", "squelch-20-normal"}) {
        add(screen, -130.3, 0.55, 0.04);
    }
    for (const char* screen : {"squelch-12.5-tight", "squelch-25-tight", "squelch-20-tight"}) {
        add(screen, -124.2, 0.6, 0.03);
    }
    return curves;
}

QByteArray curvesJson(const std::map<std::string, std::array<Line, 5>>& curves) {
    QByteArray json = "{";
    for (const auto& [screen, points] : curves) {
        json += (json.size() > 1 ? ",\"" : "\"") + QByteArray::fromStdString(screen) + "\":[";
        for (std::size_t p = 0; p < points.size(); ++p) {
            json += QStringLiteral("%1[[0,%2],[63,%3]]")
                        .arg(p == 0 ? "" : ",")
                        .arg(points[p].a, 0, 'f', 6)
                        .arg(points[p].b, 0, 'f', 6)
                        .toUtf8();
        }
        json += "]";
    }
    return json + "}";
}

// The softpot whose reading is closest to the target, the lower on a tie.
int bestOf(const Line& line, double target) {
    int best = 0;
    for (int s = 1; s <= 63; ++s) {
        if (std::abs(line.at(s) - target) < std::abs(line.at(best) - target)) {
            best = s;
        }
    }
    return best;
}

// The settle time as a bench spends it.
class SleepingPause final : public IPause {
public:
    void pause(std::chrono::milliseconds duration) override {
        std::this_thread::sleep_for(duration);
    }
};

class CountingReport final : public IAutoAlignReport {
public:
    void reading(const AlignmentTypeInfo&, std::size_t, int, double) override { ++readings; }
    void pointDone(const pointResult&) override {}
    int readings = 0;
};

struct Monitor {
    const char* name;
    QStringList options;
    const char* profile;
};

const Monitor kTcp{"cma-style over TCP", {"--monitor-port", "0"}, "cma-style"};
const Monitor kGpib{
    "classic-style behind the GPIB adapter",
    {"--monitor-serial", "--monitor-gpib", "9", "--monitor-dialect", "classic-style"},
    "classic-style"};

class AlignerTest : public ::testing::Test {
protected:
    // A radio with its monitor, read; extra options go to the radio.
    void start(const Monitor& monitor, const QStringList& extra = {}) {
        radio.reset();
        radio.emplace(ports, QStringList{"--layout", "extended"} + monitor.options + extra);
        ASSERT_FALSE(radio->monitorLines().isEmpty());
        const auto address = radio->monitorLines().front().mid(QStringLiteral("monitor ").size());
        auto opened = openServiceMonitor(address, QString::fromUtf8(monitor.profile));
        ASSERT_TRUE(opened.monitor) << opened.error.toStdString();
        instrument = std::move(opened.monitor);
        ASSERT_TRUE(core.readFlow(progress));
    }
    // Every softpot of the radio set to one value, programmed as an archive is.
    void startFrom(std::uint32_t value) {
        for (const auto& type : kAlignmentTypes) {
            for (std::size_t i = 0; i < kPointCount; ++i) {
                core.record().setCell(softpotCell(type, i), value);
            }
        }
        core.archiveLoadSucceeded();
        ASSERT_TRUE(core.programFlow(progress));
        ASSERT_TRUE(core.readFlow(progress));
    }
    autotuneRun align(const std::vector<const AlignmentTypeInfo*>& types,
                      autoAlignSettings settings = zeroSettle(), IPause* settlePause = nullptr) {
        // "Program Radio?", asked once per run.
        messages.sink.answers = {Answer::Ok};
        autoAligner aligner(core, *instrument, *limits.limits,
                            SessionServices{messages.sink, cursor, observer},
                            settlePause != nullptr ? *settlePause : pause, report, settings);
        return alignScreens(aligner, types);
    }
    static autoAlignSettings zeroSettle() {
        autoAlignSettings settings;
        settings.settle = std::chrono::milliseconds(0);
        return settings;
    }
    QString writeCurves(const QByteArray& json) {
        const auto path = dir.filePath("curves.json");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
        return path;
    }
    static std::vector<const AlignmentTypeInfo*> allScreens() {
        std::vector<const AlignmentTypeInfo*> all;
        for (const auto& type : kAlignmentTypes) {
            all.push_back(&type);
        }
        return all;
    }
    std::vector<std::string> executed() const {
        std::vector<std::string> names;
        for (const auto& event : radio->log()) {
            if (event.kind == test::RadioEvent::Kind::Execute) {
                names.push_back(event.name);
            }
        }
        return names;
    }

    test::IsolatedPorts ports;
    QTemporaryDir dir;
    test::RecordedMessages messages;
    NoPause pause;
    NoBusyCursor cursor;
    NoStatusLine status;
    NoRecentFiles recent;
    NoProgress progress;
    NoSessionObserver observer;
    CountingReport report;
    applicationCore core{ApplicationServices{messages.sink, cursor, status, pause, recent}};
    alignmentLimits::Result limits = alignmentLimits::load(KAVRIN_DEFAULT_LIMITS);
    std::optional<test::SimRadio> radio;
    std::unique_ptr<IServiceMonitor> instrument;
};

TEST_F(AlignerTest, EveryScreenEndsOnTheBestSoftpotFromAnyStart) {
    ASSERT_TRUE(limits.limits) << limits.error;
    const auto curves = givenCurves();
    const auto curvesFile = writeCurves(curvesJson(curves));
    for (const auto* monitor : {&kTcp, &kGpib}) {
        for (const int startAt : {-1, 0, 63}) {
            SCOPED_TRACE(
                std::string(monitor->name) + ", starting from " +
                (startAt < 0 ? std::string("the factory softpots") : std::to_string(startAt)));
            start(*monitor, {"--monitor-curves", curvesFile});
            if (startAt >= 0) {
                startFrom(static_cast<std::uint32_t>(startAt));
            }
            const auto run = align(allScreens());
            ASSERT_EQ(run.stop, autoAligner::Stop::Finished) << run.failure;
            ASSERT_EQ(run.results.size(), 58u);
            const auto block = test::readRadioBlock(blockAddress(1));
            for (const auto& result : run.results) {
                const auto& type = *result.type;
                SCOPED_TRACE(std::string(type.cliName) + " F" + std::to_string(result.point + 1));
                const auto& line = curves.at(std::string(type.cliName))[result.point];
                EXPECT_EQ(result.verdict, pointVerdict::Pass);
                EXPECT_EQ(result.newSoftpot, bestOf(line, result.limits->target));
                EXPECT_LE(result.measurements, kMaxMeasurementsPerPoint);
                EXPECT_EQ(block[blockOffset(type, result.point)], result.newSoftpot)
                    << "programmed";
            }
        }
    }
}

TEST_F(AlignerTest, AWindowOutOfReachFailsAndKeepsTheOldSoftpot) {
    ASSERT_TRUE(limits.limits) << limits.error;
    auto curves = givenCurves();
    // F2 of low power never gets below 2 W.
    curves["tx-low-power"][1] = {2.0, 2.5};
    start(kTcp, {"--monitor-curves", writeCurves(curvesJson(curves))});
    const auto& low = *typeOfCliName("tx-low-power");
    const auto before = test::readRadioBlock(blockAddress(1));
    const auto run = align({&low});
    ASSERT_EQ(run.stop, autoAligner::Stop::Finished) << run.failure;
    const auto block = test::readRadioBlock(blockAddress(1));
    for (const auto& result : run.results) {
        SCOPED_TRACE(result.point);
        if (result.point == 1) {
            EXPECT_EQ(result.verdict, pointVerdict::Fail);
            EXPECT_EQ(result.newSoftpot, result.oldSoftpot);
            EXPECT_NEAR(result.measured.value_or(0), 2.0, 1e-3);
            EXPECT_EQ(block[blockOffset(low, 1)], before[blockOffset(low, 1)]);
        } else {
            EXPECT_EQ(result.verdict, pointVerdict::Pass);
        }
    }
}

TEST_F(AlignerTest, TwoPercentNoiseStillPasses) {
    ASSERT_TRUE(limits.limits) << limits.error;
    start(kTcp, {"--monitor-noise", "0.02", "--seed", "11"});
    // Every window whose nearer edge is at least the noise's 2 % from the target. The 20 kHz and
    // 25 kHz modulation windows end 1.1 % above theirs: there the mean of the few readings a
    // point can afford lands beyond the edge too often.
    const auto run = align({typeOfCliName("tx-high-power"), typeOfCliName("tx-low-power"),
                            typeOfCliName("tx-mod-12.5"), typeOfCliName("ktd-12.5"),
                            typeOfCliName("ktd-25"), typeOfCliName("squelch-20-tight")});
    ASSERT_EQ(run.stop, autoAligner::Stop::Finished) << run.failure;
    for (const auto& result : run.results) {
        EXPECT_EQ(result.verdict, pointVerdict::Pass)
            << result.type->cliName << " F" << result.point + 1;
    }
}

// Whatever fails mid-point, the radio is dekeyed (when it still answers), nothing of the screen
// is programmed and the run says where it stopped.
TEST_F(AlignerTest, AFailureMidPointDekeysAndProgramsNothing) {
    ASSERT_TRUE(limits.limits) << limits.error;
    struct Case {
        const char* what;
        QStringList radioOptions;
        const char* profile; // empty: the monitor's own
        const char* message;
        bool radioAnswers;
    };
    const auto wrongAnalyzer = dir.filePath("wrong-analyzer.json");
    {
        // The analyzer set in kHz where Hz are meant: every power reading is "no signal".
        QFile shipped(QStringLiteral(KAVRIN_SOURCE_INSTRUMENTS_DIR "/cma-style.json"));
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
        QByteArray json = shipped.readAll();
        json.replace("CONF:AFRF:MEAS:RFS:FREQ {hz}", "CONF:AFRF:MEAS:RFS:FREQ {khz}");
        QFile file(wrongAnalyzer);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
    }
    const std::vector<Case> cases{
        {"a monitor that stops answering",
         {"--monitor-mute-after", "8"},
         "",
         "did not answer",
         true},
        {"an invalid reading", {}, "wrong-analyzer", "No valid reading", true},
        {"a radio that hangs up", {"--hangup-after", "40"}, "", "Tx High Power F", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Monitor monitor = kTcp;
        const QByteArray profile = wrongAnalyzer.toUtf8();
        if (*c.profile != '\0') {
            monitor.profile = profile.constData();
        }
        start(monitor, c.radioOptions);
        const auto isWrite = [](const test::RadioEvent& e) {
            return e.kind == test::RadioEvent::Kind::Write;
        };
        const auto logBefore = radio->log();
        const auto writesBefore = std::count_if(logBefore.begin(), logBefore.end(), isWrite);
        const auto run = align({typeOfCliName("tx-high-power")});
        EXPECT_EQ(run.stop, autoAligner::Stop::Failed);
        EXPECT_NE(run.failure.find(c.message), std::string::npos) << run.failure;
        const auto log = radio->log();
        EXPECT_EQ(std::count_if(log.begin(), log.end(), isWrite), writesBefore)
            << "nothing programmed";
        if (c.radioAnswers) {
            const auto names = executed();
            const auto lastKey = std::find(names.rbegin(), names.rend(), "keyUp");
            ASSERT_NE(lastKey, names.rend());
            EXPECT_NE(std::find(names.rbegin(), lastKey, "dekey"), lastKey) << "dekeyed after";
        }
    }
}

// With the keyed limit brought down to a few readings, every keyed stretch in the radio's log
// holds no more readings than fit in it: the aligner dekeys and keys again rather than pass it.
TEST_F(AlignerTest, TheRadioIsNeverKeyedPastTheLimit) {
    ASSERT_TRUE(limits.limits) << limits.error;
    start(kTcp, {"--monitor-latency-ms", "20"});
    autoAlignSettings settings;
    settings.settle = std::chrono::milliseconds(150);
    settings.keyedLimit = std::chrono::milliseconds(600);
    settings.readingAllowance = std::chrono::milliseconds(100);
    SleepingPause settle;
    const auto run = align({typeOfCliName("tx-high-power")}, settings, &settle);
    ASSERT_EQ(run.stop, autoAligner::Stop::Finished) << run.failure;
    int keyUps = 0;
    int readingsKeyed = 0;
    int mostReadingsKeyed = 0;
    for (const auto& event : radio->log()) {
        if (event.kind == test::RadioEvent::Kind::Execute && event.name == "keyUp") {
            ++keyUps;
            readingsKeyed = 0;
        } else if (event.kind == test::RadioEvent::Kind::Scpi &&
                   event.command.rfind("FETC:GPRF:MEAS:POW", 0) == 0) {
            mostReadingsKeyed = std::max(mostReadingsKeyed, ++readingsKeyed);
        }
    }
    // 600 ms keyed hold three readings of 150 ms settle and 20 ms latency, with the 100 ms
    // allowance kept free after each.
    EXPECT_LE(mostReadingsKeyed, 3);
    EXPECT_GT(keyUps, 5) << "keyed again within a point";
}

} // namespace
} // namespace kavrin
