// Service monitor addresses: every form with its defaults, and the texts refused with their reason.
#include "instrument/instrument_address.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

struct validAddress {
    const char* text;
    instrumentLink link;
    const char* hostOrPort;
    int tcpPort;
    int baud;
    int gpib;
};

class InstrumentAddressValid : public ::testing::TestWithParam<validAddress> {};

TEST_P(InstrumentAddressValid, ParsesWithDefaults) {
    const auto& row = GetParam();
    const auto result = parseInstrumentAddress(QString::fromUtf8(row.text));
    ASSERT_TRUE(result.address) << result.error.toStdString();
    EXPECT_TRUE(result.error.isEmpty());
    const auto& address = *result.address;
    EXPECT_EQ(address.link, row.link);
    if (row.link == instrumentLink::Tcp) {
        EXPECT_EQ(address.host.toStdString(), row.hostOrPort);
        EXPECT_EQ(address.port, row.tcpPort);
    } else {
        EXPECT_EQ(address.serialPort.toStdString(), row.hostOrPort);
        EXPECT_EQ(address.baud, row.baud);
        EXPECT_EQ(address.gpibAddress, row.gpib);
    }
    // What text() writes reads back as the same address.
    const auto again = parseInstrumentAddress(address.text());
    ASSERT_TRUE(again.address) << again.error.toStdString();
    EXPECT_EQ(again.address->text(), address.text());
}

INSTANTIATE_TEST_SUITE_P(
    Forms, InstrumentAddressValid,
    ::testing::Values(
        validAddress{"tcp://127.0.0.1", instrumentLink::Tcp, "127.0.0.1", 5025, 0, 0},
        validAddress{"tcp://monitor.bench:5026", instrumentLink::Tcp, "monitor.bench", 5026, 0, 0},
        validAddress{"tcp://[::1]:65535", instrumentLink::Tcp, "::1", 65535, 0, 0},
        validAddress{"tcp://[fe80::2]", instrumentLink::Tcp, "fe80::2", 5025, 0, 0},
        validAddress{"serial:/dev/ttyUSB0", instrumentLink::Serial, "/dev/ttyUSB0", 0, 115200, 0},
        validAddress{"serial:ttyS1?baud=9600", instrumentLink::Serial, "ttyS1", 0, 9600, 0},
        validAddress{"prologix:/dev/ttyACM0?addr=14", instrumentLink::Prologix, "/dev/ttyACM0", 0,
                     115200, 14},
        validAddress{"prologix:/dev/pts/4?baud=57600&addr=0", instrumentLink::Prologix,
                     "/dev/pts/4", 0, 57600, 0},
        validAddress{"prologix:COM3?addr=30", instrumentLink::Prologix, "COM3", 0, 115200, 30}));

struct refusedAddress {
    const char* text;
    const char* reason;
};

class InstrumentAddressRefused : public ::testing::TestWithParam<refusedAddress> {};

TEST_P(InstrumentAddressRefused, SaysWhy) {
    const auto& row = GetParam();
    const auto result = parseInstrumentAddress(QString::fromUtf8(row.text));
    EXPECT_FALSE(result.address);
    EXPECT_TRUE(result.error.contains(QString::fromUtf8(row.reason))) << result.error.toStdString();
    // The technician sees what was typed and the forms that would have been understood.
    EXPECT_TRUE(result.error.contains(QString::fromUtf8(row.text)));
    EXPECT_TRUE(result.error.contains(QStringLiteral("tcp://HOST[:PORT]")));
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, InstrumentAddressRefused,
    ::testing::Values(
        refusedAddress{"", "kind of link"}, refusedAddress{"127.0.0.1:5025", "kind of link"},
        refusedAddress{"udp://127.0.0.1", "kind of link"},
        refusedAddress{" tcp://127.0.0.1", "spaces"}, refusedAddress{"tcp://", "host is missing"},
        refusedAddress{"tcp://:5025", "host is missing"},
        refusedAddress{"tcp://host:", "port \"\""}, refusedAddress{"tcp://host:0", "port \"0\""},
        refusedAddress{"tcp://host:65536", "port \"65536\""},
        refusedAddress{"tcp://host:50x", "port \"50x\""},
        refusedAddress{"tcp://host:-1", "port \"-1\""},
        refusedAddress{"tcp://fe80::2:5025", "character"}, refusedAddress{"tcp://[::1", "no \"]\""},
        refusedAddress{"tcp://[::1]5025", "after the host"},
        refusedAddress{"tcp://host/path", "character"},
        refusedAddress{"serial:", "serial port is missing"},
        refusedAddress{"serial:?baud=9600", "serial port is missing"},
        refusedAddress{"serial:/dev/ttyS0?baud=", "needs a whole number"},
        refusedAddress{"serial:/dev/ttyS0?baud=fast", "needs a whole number"},
        refusedAddress{"serial:/dev/ttyS0?baud=0", "baud rate 0"},
        refusedAddress{"serial:/dev/ttyS0?parity=even", "\"parity\" is unknown"},
        refusedAddress{"serial:/dev/ttyS0?addr=5", "\"addr\" is unknown"},
        refusedAddress{"serial:/dev/ttyS0?baud=9600&baud=19200", "given twice"},
        refusedAddress{"prologix:/dev/ttyACM0", "GPIB address is missing"},
        refusedAddress{"prologix:/dev/ttyACM0?baud=9600", "GPIB address is missing"},
        refusedAddress{"prologix:/dev/ttyACM0?addr=31", "GPIB address 31"},
        refusedAddress{"prologix:/dev/ttyACM0?addr=-1", "needs a whole number"},
        refusedAddress{"prologix:?addr=5", "serial port is missing"}));

} // namespace
} // namespace kavrin
