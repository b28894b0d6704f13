// The virtual radio as a fixture: a plausible factory codeplug, and images kept across runs.
#include "link/radio_link.h"
#include "link/virtual_ports.h"
#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <numeric>
#include <sys/prctl.h>
#include <sys/wait.h>

namespace kavrin {
namespace {

constexpr std::uint16_t kStandardBlock = 0x1F00;
constexpr std::uint16_t kExtendedBlock = 0x3F00;

std::array<std::uint8_t, 256> readBlock(std::uint16_t address) {
    std::array<std::uint8_t, 256> block{};
    radioLink link;
    std::uint16_t length = 256;
    link.testMode().readCodeplug(block.data(), address, &length);
    return block;
}

struct FactoryCase {
    const char* name;
    QStringList options;
    std::uint16_t block;
    std::uint8_t pointMask; // the points F1-F5 the band has
    friend void PrintTo(const FactoryCase& row, std::ostream* out) { *out << row.name; }
};

class FactoryBlock : public ::testing::TestWithParam<FactoryCase> {
protected:
    test::IsolatedPorts ports;
    test::RecordedMessages messages;
};

TEST_P(FactoryBlock, HasTheBandsPointsInRangeSoftpotsAndAValidChecksum) {
    const test::SimRadio radio(ports, GetParam().options);
    const auto block = readBlock(GetParam().block);
    for (std::size_t mask = 80; mask <= 82; ++mask) {
        EXPECT_EQ(block[mask] & 0x1F, GetParam().pointMask) << "mask at " << mask;
    }
    for (std::size_t offset = 2; offset <= 64; ++offset) {
        EXPECT_LE(block[offset], 63) << "softpot at " << offset;
    }
    const auto sum = std::accumulate(block.begin(), block.begin() + 109, 0u);
    EXPECT_EQ(block[109], sum % 256);
}

INSTANTIATE_TEST_SUITE_P(
    Bands, FactoryBlock,
    ::testing::Values(FactoryCase{"Band6Standard", {}, kStandardBlock, 0b11111},
                      FactoryCase{"Band1Extended",
                                  {"--band", "1", "--layout", "extended"},
                                  kExtendedBlock,
                                  0b00111},
                      FactoryCase{"Band2", {"--band", "2"}, kStandardBlock, 0b11000},
                      FactoryCase{"Band9", {"--band", "9"}, kStandardBlock, 0}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(VirtualRadioImage, SavedImageStartsTheNextRadioWithItsSerialAndWrites) {
    test::IsolatedPorts ports;
    test::RecordedMessages messages;
    const QTemporaryDir dir;
    const auto image = dir.filePath("radio.img");
    {
        test::SimRadio radio(ports, {"--serial", "ZZ99887766", "--save-image", image});
        radioLink link;
        const std::uint8_t value = 0x2A;
        link.testMode().writeCodeplug(&value, 5000, 1);
    }
    EXPECT_EQ(QFile(image).size(), 8192);

    const test::SimRadio radio(ports, {"--image", image, "--serial", "IGNORED000"});
    radioLink link;
    std::array<std::uint8_t, 10> serial{};
    std::uint16_t length = 0;
    link.testMode().querySerialNo(serial.data(), &length);
    EXPECT_EQ(std::string(serial.begin(), serial.end()), "ZZ99887766");
    std::uint8_t value = 0;
    length = 1;
    link.testMode().readCodeplug(&value, 5000, &length);
    EXPECT_EQ(value, 0x2A);
}

TEST(VirtualRadioImage, ImageOfTheWrongSizeIsRefusedAtStart) {
    test::IsolatedPorts ports;
    const QTemporaryDir dir;
    QFile image(dir.filePath("short.img"));
    ASSERT_TRUE(image.open(QIODevice::WriteOnly));
    image.write(QByteArray(100, '\0'));
    image.close();
    EXPECT_ANY_THROW(test::SimRadio(ports, {"--image", image.fileName()}));
}

// A radio started in the background by a script whose shell then exits: with
// --exit-with-parent it ends with the shell and removes its registration; without it, it serves
// on until SIGTERM. This process adopts the orphaned radio, so that it can wait for it.
TEST(VirtualRadioLifetime, EndsWithItsStarterOnlyWhenAsked) {
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    struct Case {
        const char* name;
        QStringList options;
        bool endsWithStarter;
    };
    for (const auto& row :
         {Case{"--exit-with-parent", {"--exit-with-parent"}, true}, Case{"default", {}, false}}) {
        SCOPED_TRACE(row.name);
        const test::IsolatedPorts ports;
        const QTemporaryDir dir;
        const auto registrations = [&ports] {
            std::size_t count = 0;
            for (const auto& entry :
                 std::filesystem::directory_iterator(ports.directory().toStdString())) {
                count += entry.path().extension() == kVirtualPortExtension ? 1u : 0u;
            }
            return count;
        };
        // The shell starts the radio, waits for its device path (it is registered by then),
        // names its pid and exits.
        QProcess starter;
        starter.setProgram("/bin/sh");
        starter.setArguments(QStringList{"-c",
                                         "\"$0\" \"$@\" > \"$OUT\" & "
                                         "while [ ! -s \"$OUT\" ]; do sleep 0.02; done; "
                                         "echo $!",
                                         QString::fromStdString(test::simPath())} +
                             row.options);
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert("OUT", dir.filePath("out"));
        starter.setProcessEnvironment(environment);
        starter.start();
        ASSERT_TRUE(starter.waitForFinished(10000));
        const auto pid = static_cast<pid_t>(starter.readAllStandardOutput().trimmed().toInt());
        ASSERT_GT(pid, 0);

        int status = 0;
        pid_t ended = 0;
        const QDeadlineTimer deadline(row.endsWithStarter ? 5000 : 1000);
        while (ended == 0 && !deadline.hasExpired()) {
            ended = ::waitpid(pid, &status, WNOHANG);
            QThread::msleep(20);
        }
        if (row.endsWithStarter) {
            ASSERT_EQ(ended, pid) << "the radio outlived its starter";
        } else {
            ASSERT_EQ(ended, 0) << "the radio ended with its starter";
            EXPECT_EQ(registrations(), 1u);
            ASSERT_EQ(::kill(pid, SIGTERM), 0);
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(registrations(), 0u);
    }
}

} // namespace
} // namespace kavrin
