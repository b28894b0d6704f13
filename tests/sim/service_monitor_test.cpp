// The virtual service monitor end to end: the radio tuned and keyed through the real link and the
// point mappers, the instrument spoken to over TCP and over its pseudo-terminal behind the
// USB-GPIB adapter, in both dialects; its errors, faults, log lines and options.
#include "data/point_mappers.h"
#include "data/radio_record.h"
#include "link/radio_link.h"
#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace kavrin {
namespace {

using namespace std::chrono_literals;

constexpr auto kReplyTimeout = 3000ms;
// How long a reply that should not come is waited for.
constexpr auto kSilence = 300ms;
constexpr std::uint8_t kGpibAddress = 7;
constexpr std::uint32_t kBand = 6; // the sim's default band, F1-F5 at 440-479 MHz

// --- Talking to the instrument ----------------------------------------------------------------

// One line out, one line back, over whichever device carries them.
class Instrument {
public:
    explicit Instrument(std::unique_ptr<QIODevice> device) : device_(std::move(device)) {}

    void send(const QByteArray& line) {
        device_->write(line + "\n");
        while (device_->bytesToWrite() > 0 && device_->waitForBytesWritten(1000)) {
        }
    }
    std::optional<QByteArray> readLine(std::chrono::milliseconds timeout = kReplyTimeout) {
        QElapsedTimer clock;
        clock.start();
        while (!device_->canReadLine()) {
            const auto left = timeout.count() - clock.elapsed();
            if (left <= 0 || !device_->waitForReadyRead(static_cast<int>(left))) {
                if (!device_->canReadLine()) {
                    return std::nullopt;
                }
            }
        }
        return device_->readLine().trimmed();
    }
    QByteArray query(const QByteArray& line) {
        send(line);
        const auto reply = readLine();
        if (!reply) {
            ADD_FAILURE() << "no reply to " << line.toStdString();
            return {};
        }
        return *reply;
    }
    QIODevice& device() { return *device_; }

private:
    std::unique_ptr<QIODevice> device_;
};

std::optional<QString> monitorAddress(const test::SimRadio& radio, const QString& scheme) {
    for (const auto& line : radio.monitorLines()) {
        if (line.startsWith("monitor " + scheme + ":")) {
            return line.mid(static_cast<qsizetype>(QString("monitor ").size()));
        }
    }
    return std::nullopt;
}

Instrument overTcp(const test::SimRadio& radio) {
    const auto address = monitorAddress(radio, "tcp");
    EXPECT_TRUE(address) << radio.monitorLines().join(" | ").toStdString();
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost("127.0.0.1", static_cast<quint16>(QUrl(address.value_or("")).port()));
    EXPECT_TRUE(socket->waitForConnected(3000));
    return Instrument(std::move(socket));
}

std::unique_ptr<QSerialPort> openSerial(const QString& path) {
    auto port = std::make_unique<QSerialPort>(path);
    EXPECT_TRUE(port->open(QIODevice::ReadWrite)) << path.toStdString();
    return port;
}

// The adapter addressed to the instrument, each reply coming back by itself.
Instrument overPrologix(const test::SimRadio& radio) {
    const auto address = monitorAddress(radio, "prologix").value_or("");
    Instrument instrument(openSerial(address.section(':', 1).section('?', 0, 0)));
    instrument.send("++mode 1");
    instrument.send("++addr " + QByteArray::number(kGpibAddress));
    instrument.send("++auto 1");
    instrument.send("++eoi 1");
    return instrument;
}

// --- The two dialects ---------------------------------------------------------------------------

struct Dialect {
    const char* name;
    QByteArray analyzer, power, deviation, sinad, generator, level, generatorOn;
    // Reply parsers: the reading in W, Hz and dB, or nothing for a reading marked invalid.
    std::optional<double> (*watts)(const QByteArray&);
    std::optional<double> (*hertz)(const QByteArray&);
    std::optional<double> (*sinadDb)(const QByteArray&);
};

std::optional<double> cmaField(const QByteArray& reply, int field) {
    const auto fields = reply.split(',');
    if (fields.size() <= field || fields[0] != "0") {
        return std::nullopt;
    }
    return fields[field].toDouble();
}

std::optional<double> classicValue(const QByteArray& reply) {
    const double value = reply.toDouble();
    return value > 9e37 ? std::nullopt : std::optional<double>(value);
}

const Dialect kCma{
    "cma-style",
    "CONF:AFRF:MEAS:RFS:FREQ",
    "FETC:GPRF:MEAS:POW:CURR?",
    "FETC:AFRF:MEAS:MEV:DEM:FDEV:CURR?",
    "READ:AFRF:MEAS:MEV:SQU:AIN:AVER?",
    "SOUR:AFRF:GEN:RFS:FREQ",
    "SOUR:AFRF:GEN:RFS:LEV",
    "SOUR:AFRF:GEN:STAT ON",
    [](const QByteArray& reply) {
        const auto dbm = cmaField(reply, 1);
        return dbm ? std::optional<double>(std::pow(10.0, (*dbm - 30.0) / 10.0)) : std::nullopt;
    },
    [](const QByteArray& reply) { return cmaField(reply, 3); }, // the positive peak
    [](const QByteArray& reply) { return cmaField(reply, 4); },
};

const Dialect kClassic{
    "classic-style",   "RFAN:FREQ",  "MEAS:RFR:POW?", "MEAS:AFR:FM?",
    "MEAS:AFR:SINAD?", "RFG:FREQ",   "RFG:AMPL",      "RFG:AMPL:STAT ON",
    classicValue,      classicValue, classicValue,
};

QByteArray hz(double megahertz) {
    return QByteArray::number(megahertz * 1e6, 'f', 0);
}

// --- The bench: the radio, its curves and the screen's mapper ---------------------------------

// Every screen's curves in a file, each point's a straight line of its own, so that a reading
// names the screen, the point and the softpot it came from.
struct Line {
    double at0, at63;
    double at(double softpot) const { return at0 + (at63 - at0) * softpot / 63.0; }
};

Line lineOf(const AlignmentTypeInfo& type, std::size_t point) {
    const auto t = static_cast<double>(type.type);
    const auto p = static_cast<double>(point);
    switch (type.family) {
    case AlignmentFamily::TxPower:
        return {0.5 + 0.1 * t + 0.2 * p, 8.5 + 0.1 * t + 0.2 * p}; // W
    case AlignmentFamily::TxModulation:
        return {0.1 + 0.05 * t + 0.1 * p, 4.1 + 0.05 * t + 0.1 * p}; // kHz
    case AlignmentFamily::RxSquelch:
        break;
    }
    return {-130.0 + t + p, -105.0 + t + p}; // dBm
}

QString writeCurves(const QTemporaryDir& dir) {
    QByteArray json = "{";
    for (const auto& type : kAlignmentTypes) {
        json += (json.size() > 1 ? ",\n\"" : "\"") + QByteArray(type.cliName.data()) + "\": [";
        for (std::size_t point = 0; point < kPointCount; ++point) {
            const auto line = lineOf(type, point);
            json += (point > 0 ? ", [[0, " : "[[0, ") + QByteArray::number(line.at0, 'g', 10) +
                    "], [63, " + QByteArray::number(line.at63, 'g', 10) + "]]";
        }
        json += "]";
    }
    json += "}\n";
    const auto path = dir.filePath("curves.json");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(json);
    return path;
}

// A screen opened on one point, as the alignment screens do it: test mode, the signalling test
// for the KTD screens, the mapper's test channel and softpots, then keyed as the screen keys.
class Screen {
public:
    Screen(const AlignmentTypeInfo& type, std::size_t point) : type_(type) {
        record_.setBand(kBand);
        link_.testMode().enterTestMode();
        if (type.signallingTest) {
            link_.testMode().startSignallingTest();
        }
        const auto offset = bandOffsets(record_.bandInfo(), type.points)[point];
        mapper_->assignFrequency(offset, record_, link_.testMode());
        megahertz_ = bandBase(record_.bandInfo(), type.points) + offset;
        key();
    }

    void key() {
        if (type_.keying == KeyRequests::Plain) {
            link_.testMode().keyUp();
        } else if (type_.keying == KeyRequests::Signalling) {
            link_.testMode().keyUpSignalling();
        }
    }
    void dekey() {
        if (type_.keying == KeyRequests::Plain) {
            link_.testMode().dekey();
        } else if (type_.keying == KeyRequests::Signalling) {
            link_.testMode().dekeySignalling();
        }
    }
    void softpot(std::uint32_t value) { mapper_->sendSoftpot(value, link_.testMode()); }
    double megahertz() const { return megahertz_; }
    testModeCommands& link() { return link_.testMode(); }

private:
    const AlignmentTypeInfo& type_;
    radioRecord record_;
    radioLink link_;
    std::unique_ptr<pointMapper> mapper_ = makePointMapper(type_);
    double megahertz_ = 0.0;
};

// --- Every screen follows its live softpot through its curve -----------------------------------

enum class Transport { Tcp, Prologix };

using ScreenCase = std::tuple<AlignmentType, const Dialect*, Transport>;

class ScreenReading : public ::testing::TestWithParam<ScreenCase> {
protected:
    test::IsolatedPorts ports;
    test::RecordedMessages messages;
    QTemporaryDir dir;
};

TEST_P(ScreenReading, FollowsTheLiveSoftpotThroughThePointsCurve) {
    const auto& [typeId, dialect, transport] = GetParam();
    const auto& type = alignmentType(typeId);
    // Every point in turn over the table; F3 for the KTD screens, which have no other.
    const auto point =
        type.middlePointOnly ? kMiddlePoint : static_cast<std::size_t>(typeId) % kPointCount;
    QStringList options{"--monitor-curves", writeCurves(dir), "--monitor-dialect", dialect->name};
    options += transport == Transport::Tcp ? QStringList{"--monitor-port", "0"}
                                           : QStringList{"--monitor-serial", "--monitor-gpib",
                                                         QString::number(kGpibAddress)};
    const test::SimRadio radio(ports, options);
    auto instrument = transport == Transport::Tcp ? overTcp(radio) : overPrologix(radio);
    Screen screen(type, point);
    const auto line = lineOf(type, point);

    for (const std::uint32_t softpot : {12u, 47u}) {
        SCOPED_TRACE("softpot " + std::to_string(softpot));
        screen.softpot(softpot);
        const double expected = line.at(softpot);
        switch (type.family) {
        case AlignmentFamily::TxPower: {
            instrument.send(dialect->analyzer + " " + hz(screen.megahertz()));
            const auto watts = dialect->watts(instrument.query(dialect->power));
            ASSERT_TRUE(watts);
            EXPECT_NEAR(*watts, expected, expected * 1e-4);
            break;
        }
        case AlignmentFamily::TxModulation: {
            instrument.send(dialect->analyzer + " " + hz(screen.megahertz()));
            const auto peak = dialect->hertz(instrument.query(dialect->deviation));
            ASSERT_TRUE(peak);
            EXPECT_NEAR(*peak, expected * 1000.0, 0.5);
            break;
        }
        case AlignmentFamily::RxSquelch:
            instrument.send(dialect->generator + " " + hz(screen.megahertz()));
            instrument.send(dialect->generatorOn);
            instrument.send(dialect->level + " " + QByteArray::number(expected + 0.2));
            EXPECT_EQ(dialect->sinadDb(instrument.query(dialect->sinad)), 30.0) << "open";
            instrument.send(dialect->level + " " + QByteArray::number(expected - 0.2));
            EXPECT_EQ(dialect->sinadDb(instrument.query(dialect->sinad)), 0.0) << "closed";
            break;
        }
    }
    EXPECT_EQ(instrument.query("SYST:ERR?"), R"(0,"No error")");
}

std::string screenCaseName(const ::testing::TestParamInfo<ScreenCase>& info) {
    auto name = std::string(alignmentType(std::get<0>(info.param)).cliName) + "_" +
                std::get<1>(info.param)->name + "_" +
                (std::get<2>(info.param) == Transport::Tcp ? "tcp" : "prologix");
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
    return name;
}

std::vector<AlignmentType> allScreens() {
    std::vector<AlignmentType> out;
    for (const auto& type : kAlignmentTypes) {
        out.push_back(type.type);
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Screens, ScreenReading,
                         ::testing::Combine(::testing::ValuesIn(allScreens()),
                                            ::testing::Values(&kCma, &kClassic),
                                            ::testing::Values(Transport::Tcp, Transport::Prologix)),
                         screenCaseName);

// --- No signal: when the analyzer or the generator misses the radio ----------------------------

struct MissCase {
    const char* name;
    AlignmentType type;
    double tuneOffHz; // the analyzer or generator this far off the test channel
    bool dekey;
    bool generatorOff;
    bool valid;
    friend void PrintTo(const MissCase& row, std::ostream* out) { *out << row.name; }
};

class Miss : public ::testing::TestWithParam<std::tuple<const Dialect*, MissCase>> {
protected:
    test::IsolatedPorts ports;
    test::RecordedMessages messages;
};

TEST_P(Miss, GivesNoSignalOrAClosedSquelch) {
    const auto& [dialect, row] = GetParam();
    const test::SimRadio radio(ports, {"--monitor-port", "0", "--monitor-dialect", dialect->name});
    auto instrument = overTcp(radio);
    const auto& type = alignmentType(row.type);
    Screen screen(type, type.middlePointOnly ? kMiddlePoint : 1);
    screen.softpot(30);
    if (row.dekey) {
        screen.dekey();
    }
    const auto tuned = QByteArray::number(screen.megahertz() * 1e6 + row.tuneOffHz, 'f', 0);
    switch (type.family) {
    case AlignmentFamily::TxPower:
        instrument.send(dialect->analyzer + " " + tuned);
        EXPECT_EQ(dialect->watts(instrument.query(dialect->power)).has_value(), row.valid);
        EXPECT_EQ(dialect->hertz(instrument.query(dialect->deviation)).has_value(), row.valid);
        break;
    case AlignmentFamily::TxModulation:
        instrument.send(dialect->analyzer + " " + tuned);
        EXPECT_EQ(dialect->hertz(instrument.query(dialect->deviation)).has_value(), row.valid);
        break;
    case AlignmentFamily::RxSquelch:
        instrument.send(dialect->generator + " " + tuned);
        instrument.send(dialect->level + " -50");
        instrument.send(row.generatorOff ? QByteArray(dialect->generatorOn).replace(" ON", " OFF")
                                         : dialect->generatorOn);
        if (row.dekey) {
            screen.link().keyUp(); // a transmitting radio hears nothing
        }
        EXPECT_EQ(dialect->sinadDb(instrument.query(dialect->sinad)), row.valid ? 30.0 : 0.0);
        break;
    }
    if (dialect == &kCma && !row.valid && type.family != AlignmentFamily::RxSquelch) {
        EXPECT_EQ(instrument.query(dialect->power), "3,NAN");
        EXPECT_EQ(instrument.query(dialect->deviation), "3,NAN,NAN,NAN,NAN,NAN");
    }
    if (dialect == &kClassic && !row.valid && type.family != AlignmentFamily::RxSquelch) {
        EXPECT_EQ(instrument.query(dialect->deviation), "9.91E37");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Miss,
    ::testing::Combine(
        ::testing::Values(&kCma, &kClassic),
        ::testing::Values(
            MissCase{"PowerOnChannel", AlignmentType::TxHighPower, 0, false, false, true},
            MissCase{"Power4kHzOff", AlignmentType::TxLowPower, -4000, false, false, true},
            MissCase{"Power6kHzOff", AlignmentType::TxHighPower, 6000, false, false, false},
            MissCase{"PowerDekeyed", AlignmentType::TxHighPower, 0, true, false, false},
            MissCase{"Modulation6kHzOff", AlignmentType::TxModulation20KHz, -6000, false, false,
                     false},
            MissCase{"SignallingDekeyed", AlignmentType::TxKtd25KHz, 0, true, false, false},
            MissCase{"SquelchOpen", AlignmentType::RxSquelchSbandTight, 4000, false, false, true},
            MissCase{"SquelchGenerator6kHzOff", AlignmentType::RxSquelchSbandTight, 6000, false,
                     false, false},
            MissCase{"SquelchGeneratorOff", AlignmentType::RxSquelchNbandNormal, 0, false, true,
                     false},
            MissCase{"SquelchWhileTransmitting", AlignmentType::RxSquelch20KbandNormal, 0, true,
                     false, false})),
    [](const auto& row) {
        return std::string(std::get<0>(row.param) == &kCma ? "cma_" : "classic_") +
               std::get<1>(row.param).name;
    });

// --- Errors, faults, transports and the log ------------------------------------------------------

class Monitor : public ::testing::Test {
protected:
    test::IsolatedPorts ports;
    test::RecordedMessages messages;

    static std::vector<test::RadioEvent> scpiLines(const test::SimRadio& radio) {
        return test::eventsOfKind(radio.log(), test::RadioEvent::Kind::Scpi);
    }
};

TEST_F(Monitor, QueuesAnErrorPerBadCommandAndGivesThemBackInOrder) {
    const test::SimRadio radio(ports, {"--monitor-port", "0"});
    auto instrument = overTcp(radio);
    for (const QByteArray line : {
             "FOO:BAR 1",                         // -113
             "CONF:AFRF:MEAS:RFS:FREQ 450 MHz",   // -104: units are not numbers
             "CONF:AFRF:MEAS:RFS:FREQ 1e12",      // -222
             "SOUR:AFRF:GEN:STAT MAYBE",          // -224
             "SOUR:AFRF:GEN:RFS:LEV",             // -109
             "*IDN? please",                      // -108, and no reply
             "RFAN:FREQ 450000000",               // -113: the other dialect's command
             "conf:afrf:meas:rfs:freq +4.5E+8",   // fine: any case, exponent form
             "  :SOUR:AFRF:GEN:RFS:LEV -1.185e2", // fine: a leading colon and blanks
         }) {
        instrument.send(line);
    }
    for (const auto* expected :
         {R"(-113,"Undefined header")", R"(-104,"Data type error")", R"(-222,"Data out of range")",
          R"(-224,"Illegal parameter value")", R"(-109,"Missing parameter")",
          R"(-108,"Parameter not allowed")", R"(-113,"Undefined header")", R"(0,"No error")"}) {
        EXPECT_EQ(instrument.query("SYST:ERR?"), expected);
    }

    for (int i = 0; i < 20; ++i) {
        instrument.send("NOPE");
    }
    for (int i = 1; i < 16; ++i) {
        EXPECT_EQ(instrument.query("SYST:ERR?"), R"(-113,"Undefined header")") << i;
    }
    EXPECT_EQ(instrument.query("SYST:ERR?"), R"(-350,"Queue overflow")");
    instrument.send("NOPE");
    instrument.send("*CLS");
    EXPECT_EQ(instrument.query("syst:err?"), R"(0,"No error")");
}

TEST_F(Monitor, IdentifiesItsDialect) {
    for (const auto* dialect : {&kCma, &kClassic}) {
        const test::SimRadio radio(ports,
                                   {"--monitor-port", "0", "--monitor-dialect", dialect->name});
        auto instrument = overTcp(radio);
        const auto identity = instrument.query("*idn?");
        EXPECT_TRUE(identity.startsWith("Kavrin Virtual,")) << identity.toStdString();
        EXPECT_TRUE(identity.contains(dialect == &kCma ? "CMA-style" : "classic-style"));
        EXPECT_EQ(instrument.query("*OPC?"), "1");
    }
}

TEST_F(Monitor, ResetForgetsTheAnalyzerFrequency) {
    const test::SimRadio radio(ports, {"--monitor-port", "0"});
    auto instrument = overTcp(radio);
    Screen screen(alignmentType(AlignmentType::TxHighPower), 0);
    instrument.send(kCma.analyzer + " " + hz(screen.megahertz()));
    EXPECT_TRUE(kCma.watts(instrument.query(kCma.power)));
    instrument.send("*RST");
    EXPECT_EQ(instrument.query(kCma.power), "3,NAN");
}

TEST_F(Monitor, FallsSilentAfterTheGivenNumberOfCommands) {
    const test::SimRadio radio(ports, {"--monitor-port", "0", "--monitor-mute-after", "3"});
    auto instrument = overTcp(radio);
    instrument.send("*RST");
    EXPECT_EQ(instrument.query("*OPC?"), "1");
    EXPECT_EQ(instrument.query("SYST:ERR?"), R"(0,"No error")");
    instrument.send("*IDN?");
    EXPECT_EQ(instrument.readLine(kSilence), std::nullopt);
    EXPECT_EQ(scpiLines(radio).size(), 3u) << "a muted command is neither executed nor logged";
}

TEST_F(Monitor, WaitsItsLatencyBeforeEachReplyWithoutHoldingUpTheRadio) {
    const test::SimRadio radio(ports, {"--monitor-port", "0", "--monitor-latency-ms", "600"});
    auto instrument = overTcp(radio);
    radioLink link;
    QElapsedTimer clock;
    clock.start();
    instrument.send("*IDN?");
    std::array<std::uint8_t, 1> band{};
    std::uint16_t length = 1;
    link.testMode().queryBandNo(band.data(), &length);
    EXPECT_LT(clock.elapsed(), 400) << "the radio answered only after the monitor";
    EXPECT_TRUE(instrument.readLine());
    EXPECT_GE(clock.elapsed(), 600);
}

TEST_F(Monitor, NoiseFromTheSameSeedRepeats) {
    const auto readings = [this](const char* seed) {
        const test::SimRadio radio(ports,
                                   {"--monitor-port", "0", "--monitor-dialect", "classic-style",
                                    "--monitor-noise", "0.05", "--seed", seed});
        auto instrument = overTcp(radio);
        Screen screen(alignmentType(AlignmentType::TxHighPower), 2);
        instrument.send(kClassic.analyzer + " " + hz(screen.megahertz()));
        std::vector<QByteArray> out;
        for (int i = 0; i < 6; ++i) {
            out.push_back(instrument.query(kClassic.power));
        }
        return out;
    };
    const auto first = readings("42");
    EXPECT_EQ(readings("42"), first);
    EXPECT_NE(readings("43"), first);
    EXPECT_NE(first[0], first[1]) << "noise makes each reading differ";
}

TEST_F(Monitor, ServesClientsOneAfterAnotherAsOneInstrumentWithoutKeepingTheirDescriptors) {
    const test::SimRadio radio(ports, {"--monitor-port", "0"});
    Screen screen(alignmentType(AlignmentType::TxLowPower), 4);
    const auto openDescriptors = [&radio] {
        const auto dir = "/proc/" + std::to_string(radio.processId()) + "/fd";
        return std::distance(std::filesystem::directory_iterator(dir),
                             std::filesystem::directory_iterator());
    };
    {
        auto first = overTcp(radio);
        first.send(kCma.analyzer + " " + hz(screen.megahertz()));
        first.send("BAD");
        EXPECT_EQ(first.query("*OPC?"), "1");
    }
    const auto before = openDescriptors();
    for (int i = 0; i < 20; ++i) {
        auto client = overTcp(radio);
        EXPECT_TRUE(kCma.watts(client.query(kCma.power))) << "the analyzer kept its frequency";
    }
    auto last = overTcp(radio);
    EXPECT_EQ(last.query("SYST:ERR?"), R"(-113,"Undefined header")");
    EXPECT_LE(openDescriptors(), before + 1) << "only the last client's socket is open";
}

TEST_F(Monitor, LogsEveryCommandWithItsReplyBesideTheRadiosRequests) {
    const test::SimRadio radio(ports,
                               {"--monitor-port", "0", "--monitor-dialect", "classic-style"});
    auto instrument = overTcp(radio);
    {
        Screen screen(alignmentType(AlignmentType::TxHighPower), 0);
        instrument.send("RFAN:FREQ 1e8");
        instrument.query("MEAS:RFR:POW?");
        instrument.send("NOPE");
        instrument.query("SYST:ERR?");
    }
    const auto lines = scpiLines(radio);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].command, "RFAN:FREQ 1e8");
    EXPECT_EQ(lines[0].reply, std::nullopt);
    EXPECT_EQ(lines[1].command, "MEAS:RFR:POW?");
    EXPECT_EQ(lines[1].reply, "9.91E37");
    EXPECT_EQ(lines[2].reply, std::nullopt);
    EXPECT_EQ(lines[3].reply, R"(-113,"Undefined header")");
    const auto log = radio.log();
    EXPECT_EQ(test::executeRequests(log).front(), kEnterTestMode) << "the radio's lines as ever";
}

TEST_F(Monitor, ItsSerialLineIsTheSameInstrument) {
    const test::SimRadio radio(ports, {"--monitor-port", "0", "--monitor-serial"});
    ASSERT_EQ(radio.monitorLines().size(), 2);
    EXPECT_TRUE(radio.monitorLines()[0].contains(
        QRegularExpression(R"(^monitor tcp://127\.0\.0\.1:\d+$)")));
    EXPECT_TRUE(
        radio.monitorLines()[1].contains(QRegularExpression(R"(^monitor serial:/dev/\S+$)")));
    auto tcp = overTcp(radio);
    Instrument serial(openSerial(monitorAddress(radio, "serial")->section(':', 1)));
    serial.send("WRONG");
    EXPECT_EQ(tcp.query("SYST:ERR?"), R"(-113,"Undefined header")");
    EXPECT_TRUE(serial.query("*IDN?").startsWith("Kavrin Virtual,"));
}

TEST_F(Monitor, BehindTheGpibAdapterAnswersOnlyWhenAddressedAndAsReadBack) {
    const test::SimRadio radio(ports, {"--monitor-serial", "--monitor-gpib", "7"});
    ASSERT_EQ(radio.monitorLines().size(), 1);
    EXPECT_TRUE(radio.monitorLines()[0].contains(
        QRegularExpression(R"(^monitor prologix:/dev/\S+\?addr=7$)")));
    Instrument adapter(
        openSerial(monitorAddress(radio, "prologix")->section(':', 1).section('?', 0, 0)));
    adapter.send("++mode 1");
    adapter.send("++auto 1");
    adapter.send("*IDN?");
    EXPECT_EQ(adapter.readLine(kSilence), std::nullopt) << "not addressed yet";
    EXPECT_TRUE(adapter.query("++ver").contains("version"));
    adapter.send("++addr 8");
    adapter.send("*IDN?");
    EXPECT_EQ(adapter.readLine(kSilence), std::nullopt) << "addressed to another device";

    adapter.send("++addr 7");
    EXPECT_EQ(adapter.query("++addr"), "7");
    EXPECT_TRUE(adapter.query("*IDN?").startsWith("Kavrin Virtual,"));
    adapter.send("++auto 0");
    EXPECT_EQ(adapter.query("++auto"), "0");
    adapter.send("*OPC?");
    EXPECT_EQ(adapter.readLine(kSilence), std::nullopt) << "held until read";
    EXPECT_EQ(adapter.query("++read eoi"), "1");
    adapter.send("++read eoi");
    EXPECT_EQ(adapter.readLine(kSilence), std::nullopt) << "read once";

    const auto lines = scpiLines(radio);
    ASSERT_EQ(lines.size(), 2u) << "lines for other addresses never reached the instrument";
    EXPECT_EQ(lines[0].command, "*IDN?");
    EXPECT_EQ(lines[1].command, "*OPC?");
}

TEST_F(Monitor, StopsAtOnceOnSigtermWithAClientWaitingForItsReply) {
    test::SimRadio radio(ports, {"--monitor-port", "0", "--monitor-latency-ms", "60000"});
    auto instrument = overTcp(radio);
    instrument.send("*IDN?");
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(radio.stop(), 0);
    EXPECT_LT(clock.elapsed(), 3000);
}

// --- Options
// ---------------------------------------------------------------------------------------

struct BadStart {
    const char* name;
    QStringList options;
    const char* message;
    friend void PrintTo(const BadStart& row, std::ostream* out) { *out << row.name; }
};

class RefusedStart : public ::testing::TestWithParam<BadStart> {
protected:
    test::IsolatedPorts ports;
};

TEST_P(RefusedStart, ExitsWithTheUsageStatusAndSaysWhy) {
    const QTemporaryDir dir;
    QFile curves(dir.filePath("curves.json"));
    ASSERT_TRUE(curves.open(QIODevice::WriteOnly));
    curves.write(R"({"tx-high-power": [[[0, 1]]]})");
    curves.close();
    auto options = GetParam().options;
    options.replaceInStrings("CURVES", curves.fileName());
    QProcess sim;
    sim.start(QString::fromStdString(test::simPath()), options);
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 2);
    EXPECT_TRUE(sim.readAllStandardOutput().isEmpty());
    const auto error = sim.readAllStandardError().toStdString();
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Options, RefusedStart,
    ::testing::Values(
        BadStart{"PortBeyondRange", {"--monitor-port", "65536"}, "a TCP port from 0 to 65535"},
        BadStart{"UnknownDialect",
                 {"--monitor-port", "0", "--monitor-dialect", "scpi"},
                 "expected 'cma-style' or 'classic-style'"},
        BadStart{"GpibAddressBeyondRange",
                 {"--monitor-serial", "--monitor-gpib", "31"},
                 "a GPIB address from 0 to 30"},
        BadStart{"GpibWithoutSerial",
                 {"--monitor-port", "0", "--monitor-gpib", "5"},
                 "--monitor-gpib needs --monitor-serial"},
        BadStart{"NoiseWithoutMonitor",
                 {"--monitor-noise", "0.1"},
                 "--monitor-noise needs --monitor-port or --monitor-serial"},
        BadStart{"NegativeNoise",
                 {"--monitor-port", "0", "--monitor-noise", "-0.1"},
                 "a relative standard deviation from 0 to 1"},
        BadStart{"LatencyNotANumber",
                 {"--monitor-port", "0", "--monitor-latency-ms", "soon"},
                 "a number of milliseconds"},
        BadStart{"MuteAfterNegative",
                 {"--monitor-port", "0", "--monitor-mute-after", "-1"},
                 "a non-negative number of commands"},
        BadStart{"CurvesMissing",
                 {"--monitor-port", "0", "--monitor-curves", "/nonexistent/curves.json"},
                 "cannot open monitor curves /nonexistent/curves.json"},
        BadStart{"CurvesMalformed",
                 {"--monitor-port", "0", "--monitor-curves", "CURVES"},
                 "curves.json: line 1, column 19: screen 'tx-high-power' needs a list of 5"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace kavrin
