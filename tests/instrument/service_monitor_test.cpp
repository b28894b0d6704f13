// Service monitors of the virtual radio through openServiceMonitor, over TCP, a plain serial
// pseudo-terminal and one behind a Prologix-style adapter, in both shipped dialects: identity,
// readings of a radio keyed through its own link, readings the instrument marks invalid, commands
// it refuses, an instrument that falls silent or goes away, and links that never open.
#include "data/alignment_session.h"
#include "data/core_fixture.h"
#include "instrument/instrument_profile.h"
#include "instrument/service_monitor_factory.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>

namespace kavrin {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// How long past its timeout a failing call may take: the wait itself is bounded by the timeout,
// this is only the slack of a loaded test machine.
constexpr auto kBoundSlack = 1500ms;
constexpr auto kTestTimeout = 2000ms;

enum class linkKind { Tcp, Serial, Prologix };

QStringList monitorOptions(linkKind link, const char* dialect) {
    QStringList options{QStringLiteral("--monitor-dialect"), QString::fromUtf8(dialect)};
    if (link == linkKind::Tcp) {
        options << QStringLiteral("--monitor-port") << QStringLiteral("0");
    } else {
        options << QStringLiteral("--monitor-serial");
    }
    if (link == linkKind::Prologix) {
        options << QStringLiteral("--monitor-gpib") << QStringLiteral("7");
    }
    return options;
}

const char* linkName(linkKind link) {
    switch (link) {
    case linkKind::Tcp:
        return "tcp";
    case linkKind::Serial:
        return "serial";
    case linkKind::Prologix:
        return "prologix";
    }
    return "?";
}

template <typename Call> std::string failureOf(Call&& call) {
    try {
        call();
    } catch (const instrumentFailure& failure) {
        return failure.what();
    }
    return {};
}

// A virtual radio with a monitor, and that monitor opened with a profile.
class MonitorTest : public test::CoreTest {
protected:
    std::unique_ptr<IServiceMonitor> open(const QStringList& options, const QString& profile,
                                          std::chrono::milliseconds timeout = kTestTimeout) {
        startRadio(options);
        auto opened = openServiceMonitor(address(), profile, timeout);
        EXPECT_TRUE(opened.monitor) << opened.error.toStdString();
        return std::move(opened.monitor);
    }

    // The monitor's one endpoint, from its line "monitor ADDRESS".
    QString address() const {
        const auto lines = radio->monitorLines();
        EXPECT_EQ(lines.size(), 1);
        return lines.isEmpty() ? QString() : lines.front().section(u' ', 1);
    }

    // The radio read, an alignment screen open on it and its first point selected (a receiver's
    // also tuned); the point's frequency in MHz.
    double openScreen(AlignmentType type) {
        if (!readDone) {
            EXPECT_TRUE(core.readFlow(progress));
            readDone = true;
        }
        session.emplace(core, type, SessionServices{messages.sink, cursor, observer, [] {
                                                        return Clock::now();
                                                    }});
        session->open();
        const auto row = session->selectFirstPoint();
        if (!alignmentType(type).transmit()) {
            // A receiver is tuned to its point by sending the point's value; there is no keying.
            EXPECT_EQ(session->enter(row), alignmentSession::Outcome::Done);
        }
        return session->row(row).mhz;
    }

    // Every point of the named screens flat at `reading`, so a reading is known whatever softpot
    // the radio holds.
    QString flatCurves(std::initializer_list<std::pair<AlignmentType, double>> screens) {
        QJsonObject root;
        for (const auto& [type, reading] : screens) {
            QJsonArray points;
            for (std::size_t point = 0; point < kPointCount; ++point) {
                points.append(QJsonArray{QJsonArray{0, reading}, QJsonArray{255, reading}});
            }
            const auto name = alignmentType(type).cliName;
            root.insert(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())),
                        points);
        }
        const QString path = files.filePath(QStringLiteral("curves.json"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(root).toJson());
        return path;
    }

    class NoObserver final : public ISessionObserver {
    public:
        void rowChanged(std::size_t) override {}
        void statusChanged(const std::string&) override {}
        void note(const std::string&) override {}
        void readRequested(bool) override {}
    };

    QTemporaryDir files;
    NoObserver observer;
    std::optional<alignmentSession> session;
    bool readDone = false;
};

struct linkCase {
    linkKind link;
    const char* dialect;
    const char* identity;
    const char* invalid; // how the dialect marks a reading invalid
};

class EveryLink : public MonitorTest, public ::testing::WithParamInterface<linkCase> {};

// Identity, a configuration command through the error-queue check, and a reading of a radio
// that is not keyed, which the instrument marks invalid in its dialect's way.
TEST_P(EveryLink, IdentifiesConfiguresAndRefusesAnInvalidReading) {
    const auto& row = GetParam();
    auto monitor = open(monitorOptions(row.link, row.dialect), QString::fromUtf8(row.dialect));
    ASSERT_TRUE(monitor);
    EXPECT_NE(monitor->identify().find(row.identity), std::string::npos);
    EXPECT_TRUE(address().startsWith(QString::fromUtf8(linkName(row.link)) + u':'));

    monitor->reset();
    monitor->setAnalyzerFrequency(451.0125);
    for (const auto& [what, call] :
         std::initializer_list<std::pair<const char*, std::function<double()>>>{
             {"power", [&] { return monitor->measurePower(); }},
             {"deviation", [&] { return monitor->measureDeviation(); }}}) {
        SCOPED_TRACE(what);
        const auto failure = failureOf(call);
        EXPECT_EQ(failure.rfind(std::string("No valid reading (") + row.invalid, 0), 0u) << failure;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Links, EveryLink,
    ::testing::Values(linkCase{linkKind::Tcp, "cma-style", "CMA-style", "reliability 3"},
                      linkCase{linkKind::Tcp, "classic-style", "classic-style", "9.91E37"},
                      linkCase{linkKind::Prologix, "classic-style", "classic-style", "9.91E37"},
                      linkCase{linkKind::Prologix, "cma-style", "CMA-style", "reliability 3"},
                      linkCase{linkKind::Serial, "cma-style", "CMA-style", "reliability 3"}),
    [](const auto& test) {
        return std::string(linkName(test.param.link)) + "_" +
               (std::string(test.param.dialect) == "cma-style" ? "cma" : "classic");
    });

class EveryDialect : public MonitorTest, public ::testing::WithParamInterface<const char*> {};

// Power and deviation of the keyed radio, in W and kHz whatever unit the dialect answers in.
TEST_P(EveryDialect, ReadsTheKeyedRadio) {
    const char* dialect = GetParam();
    auto options = monitorOptions(linkKind::Tcp, dialect);
    options << QStringLiteral("--monitor-curves")
            << flatCurves(
                   {{AlignmentType::TxHighPower, 4.5}, {AlignmentType::TxModulation125KHz, 2.875}});
    auto monitor = open(options, QString::fromUtf8(dialect));
    ASSERT_TRUE(monitor);

    const double power = openScreen(AlignmentType::TxHighPower);
    ASSERT_EQ(session->pttToggle(), alignmentSession::Outcome::Done);
    monitor->setAnalyzerFrequency(power);
    EXPECT_NEAR(monitor->measurePower(), 4.5, 4.5e-5);
    // Tuned off the channel, the analyzer sees nothing.
    monitor->setAnalyzerFrequency(power + 0.1);
    EXPECT_EQ(failureOf([&] { monitor->measurePower(); }).rfind("No valid reading", 0), 0u);
    session->endTuning();

    const double deviation = openScreen(AlignmentType::TxModulation125KHz);
    ASSERT_EQ(session->pttToggle(), alignmentSession::Outcome::Done);
    monitor->setAnalyzerFrequency(deviation);
    EXPECT_NEAR(monitor->measureDeviation(), 2.875, 1e-4);
    session->endTuning();
}

// The generator on the receive test channel above the squelch's opening level opens it, and
// SINAD shows it; below the level, or off, it does not.
TEST_P(EveryDialect, TheGeneratorOpensTheSquelch) {
    const char* dialect = GetParam();
    auto options = monitorOptions(linkKind::Tcp, dialect);
    options << QStringLiteral("--monitor-curves")
            << flatCurves({{AlignmentType::RxSquelchNbandNormal, -118.0}});
    auto monitor = open(options, QString::fromUtf8(dialect));
    ASSERT_TRUE(monitor);

    const double channel = openScreen(AlignmentType::RxSquelchNbandNormal);
    monitor->setGeneratorFrequency(channel);
    monitor->setGeneratorLevel(-110.5);
    EXPECT_LT(monitor->measureSinad(), 10.0) << "the generator is off";
    monitor->setGeneratorOn(true);
    EXPECT_GT(monitor->measureSinad(), 20.0);
    monitor->setGeneratorLevel(-125.0);
    EXPECT_LT(monitor->measureSinad(), 10.0);
    monitor->setGeneratorLevel(-110.0);
    monitor->setGeneratorOn(false);
    EXPECT_LT(monitor->measureSinad(), 10.0);
    session->endTuning();
}

INSTANTIATE_TEST_SUITE_P(Dialects, EveryDialect, ::testing::Values("cma-style", "classic-style"),
                         [](const auto& test) {
                             return std::string(test.param) == "cma-style" ? "cma" : "classic";
                         });

// A command the instrument refuses fails with its error, where it was sent; the queue is empty
// again for the next command.
TEST_F(MonitorTest, ARefusedCommandFailsWithTheInstrumentsError) {
    QFile shipped(QDir(shippedProfilesDirectory()).filePath(QStringLiteral("cma-style.json")));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    const QString profile = files.filePath(QStringLiteral("misspelt.json"));
    QFile misspelt(profile);
    ASSERT_TRUE(misspelt.open(QIODevice::WriteOnly));
    misspelt.write(shipped.readAll().replace("CONF:AFRF:MEAS:RFS:FREQ {hz}",
                                             "CONF:AFRF:MEAS:RFS:FREQUENCY {hz}"));
    misspelt.close();

    auto monitor = open(monitorOptions(linkKind::Tcp, "cma-style"), profile);
    ASSERT_TRUE(monitor);
    const auto header = failureOf([&] { monitor->setAnalyzerFrequency(451.0125); });
    EXPECT_EQ(header,
              "The service monitor refused \"CONF:AFRF:MEAS:RFS:FREQUENCY 451012500\": -113 "
              "Undefined header");
    const auto range = failureOf([&] { monitor->setGeneratorFrequency(7000.0); });
    EXPECT_EQ(range, "The service monitor refused \"SOUR:AFRF:GEN:RFS:FREQ 7000000000\": -222 "
                     "Data out of range");
    EXPECT_NO_THROW(monitor->setGeneratorFrequency(451.0125));
    EXPECT_NO_THROW(monitor->setGeneratorOn(true));
}

struct silenceCase {
    const char* name;
    linkKind link;
    const char* dialect;
    QStringList faults;
    std::chrono::milliseconds timeout;
};

class SilentMonitor : public MonitorTest, public ::testing::WithParamInterface<silenceCase> {};

// An instrument that stops answering, or answers too late, fails each call within the timeout;
// a reply that arrives after its call gave up is never taken for a later call's.
TEST_P(SilentMonitor, FailsEachCallWithinTheTimeout) {
    const auto& row = GetParam();
    auto monitor = open(monitorOptions(row.link, row.dialect) + row.faults,
                        QString::fromUtf8(row.dialect), row.timeout);
    ASSERT_TRUE(monitor);
    const std::initializer_list<std::pair<const char*, std::function<void()>>> calls{
        {"identify", [&] { monitor->identify(); }},
        {"configure", [&] { monitor->setAnalyzerFrequency(451.0125); }},
        {"measure", [&] { monitor->measureSinad(); }},
    };
    for (const auto& [what, call] : calls) {
        SCOPED_TRACE(what);
        const auto start = Clock::now();
        const auto failure = failureOf(call);
        const auto took = Clock::now() - start;
        EXPECT_NE(failure.find("did not answer"), std::string::npos) << failure;
        EXPECT_NE(failure.find(std::to_string(row.timeout.count()) + " ms"), std::string::npos);
        EXPECT_LE(took, row.timeout + kBoundSlack);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SilentMonitor,
    ::testing::Values(silenceCase{"MutedTcp",
                                  linkKind::Tcp,
                                  "cma-style",
                                  {QStringLiteral("--monitor-mute-after"), QStringLiteral("0")},
                                  300ms},
                      silenceCase{"MutedPrologix",
                                  linkKind::Prologix,
                                  "classic-style",
                                  {QStringLiteral("--monitor-mute-after"), QStringLiteral("0")},
                                  300ms},
                      silenceCase{"MutedSerial",
                                  linkKind::Serial,
                                  "classic-style",
                                  {QStringLiteral("--monitor-mute-after"), QStringLiteral("0")},
                                  300ms},
                      silenceCase{"TooSlowTcp",
                                  linkKind::Tcp,
                                  "classic-style",
                                  {QStringLiteral("--monitor-latency-ms"), QStringLiteral("700")},
                                  250ms}),
    [](const auto& test) { return std::string(test.param.name); });

// A monitor that falls silent part-way: what it answered before stands, the next call fails.
TEST_F(MonitorTest, AMonitorFallingSilentFailsTheNextCall) {
    auto options = monitorOptions(linkKind::Tcp, "cma-style");
    options << QStringLiteral("--monitor-mute-after") << QStringLiteral("3");
    auto monitor = open(options, QStringLiteral("cma-style"), 400ms);
    ASSERT_TRUE(monitor);
    EXPECT_FALSE(monitor->identify().empty());        // 1
    EXPECT_NO_THROW(monitor->setGeneratorLevel(-50)); // 2, 3: the command and its check
    const auto start = Clock::now();
    const auto failure = failureOf([&] { monitor->identify(); });
    EXPECT_NE(failure.find("did not answer \"*IDN?\" within 400 ms"), std::string::npos) << failure;
    EXPECT_LE(Clock::now() - start, 400ms + kBoundSlack);
}

// A reply that takes its time but comes within the timeout is waited for.
TEST_F(MonitorTest, ASlowReplyWithinTheTimeoutIsTaken) {
    auto options = monitorOptions(linkKind::Prologix, "classic-style");
    options << QStringLiteral("--monitor-latency-ms") << QStringLiteral("150");
    auto monitor = open(options, QStringLiteral("classic-style"), 1500ms);
    ASSERT_TRUE(monitor);
    EXPECT_NE(monitor->identify().find("classic-style"), std::string::npos);
    EXPECT_NO_THROW(monitor->setGeneratorOn(false));
}

class GoneMonitor : public MonitorTest, public ::testing::WithParamInterface<linkKind> {};

// The instrument's end going away is an error at once, not a wait for the timeout.
TEST_P(GoneMonitor, IsAnErrorNotAHang) {
    auto monitor = open(monitorOptions(GetParam(), "cma-style"), QStringLiteral("cma-style"), 20s);
    ASSERT_TRUE(monitor);
    EXPECT_FALSE(monitor->identify().empty());
    radio->stop();
    const auto start = Clock::now();
    const auto failure = failureOf([&] { monitor->identify(); });
    EXPECT_FALSE(failure.empty());
    EXPECT_EQ(failure.find("did not answer"), std::string::npos) << failure;
    EXPECT_LT(Clock::now() - start, 10s) << failure;
}

INSTANTIATE_TEST_SUITE_P(Links, GoneMonitor, ::testing::Values(linkKind::Tcp, linkKind::Serial),
                         [](const auto& test) { return std::string(linkName(test.param)); });

struct unopenable {
    const char* name;
    const char* address;
    const char* profile;
    const char* reason;
};

class Unopenable : public ::testing::TestWithParam<unopenable> {};

TEST_P(Unopenable, SaysWhyWithinTheTimeout) {
    const auto& row = GetParam();
    const auto start = Clock::now();
    const auto opened =
        openServiceMonitor(QString::fromUtf8(row.address), QString::fromUtf8(row.profile), 500ms);
    EXPECT_LE(Clock::now() - start, 500ms + kBoundSlack);
    EXPECT_FALSE(opened.monitor);
    EXPECT_TRUE(opened.error.contains(QString::fromUtf8(row.reason))) << opened.error.toStdString();
}

// Each row's device of its own: rows run side by side, and the serial port's lock file for a
// name is taken before the device is found missing.
INSTANTIATE_TEST_SUITE_P(
    Table, Unopenable,
    ::testing::Values(
        // Port 1 on the loopback interface: nothing listens there, so the connection is refused.
        unopenable{"NothingListens", "tcp://127.0.0.1:1", "cma-style", "Could not connect"},
        unopenable{"NoSuchPort", "serial:/dev/kavrin-no-such-port", "cma-style", "no such port"},
        unopenable{"NoSuchAdapter", "prologix:/dev/kavrin-no-such-adapter?addr=7", "classic-style",
                   "no such port"},
        unopenable{"BadAddress", "tcp//127.0.0.1", "cma-style", "kind of link"},
        unopenable{"UnknownProfile", "tcp://127.0.0.1:1", "no-such-monitor",
                   "no instrument profile \"no-such-monitor\""}),
    [](const auto& test) { return std::string(test.param.name); });

} // namespace
} // namespace kavrin
