// The tuning parameter report: byte-exact layouts against golden files, which sections appear for
// each layout and supported family, and writing the file.
#include "data/report.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace kavrin {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void setRow(radioRecord& record, std::size_t row, std::size_t firstColumn,
            std::initializer_list<std::uint32_t> values) {
    std::size_t column = firstColumn;
    for (const auto value : values) {
        record.setCell(row, column++, value);
    }
}

// The whole text of the section under a heading, up to the next heading.
std::string sectionOf(const std::string& text, const std::string& heading) {
    const auto start = text.find("\t \t\t" + heading + "\r\n");
    if (start == std::string::npos) {
        return {};
    }
    const auto end = text.find("\t \t\t****", start + 1);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class ReportTest : public ::testing::Test {
protected:
    void expectGolden(const char* name) {
        const std::string text = reportText(record);
        const fs::path golden = fs::path(KAVRIN_GOLDEN_DIR) / name;
        ASSERT_TRUE(fs::exists(golden)) << golden;
        EXPECT_EQ(text, readBytes(golden)) << name;
        // Every line end is CR LF, the last line included.
        EXPECT_EQ(countOf(text, "\n"), countOf(text, "\r\n"));
        EXPECT_EQ(countOf(text, "\r"), countOf(text, "\r\n"));
        EXPECT_TRUE(text.ends_with("\r\n"));
    }

    // A radio as a read leaves it: every family supported, identity and band set.
    void readRadio(std::uint32_t layoutCode, std::uint32_t band) {
        record.setSerialNo("4A0KDX2217");
        record.setModelNo("H25KDF9PW5AN    ");
        record.setLayoutCode(layoutCode);
        record.setBand(band);
    }

    void setPoints(PointGroup group, std::initializer_list<std::uint32_t> offsets) {
        const Cell first = pointCell(group, 0);
        setRow(record, first.row, first.column, offsets);
    }

    radioRecord record;
};

TEST_F(ReportTest, UntouchedRecordHasNullIdentityAndNoPoints) {
    expectGolden("initial.txt");

    const std::string text = reportText(record);
    EXPECT_NE(text.find("\r\nRadio Serial No: NULL      "
                        "  \t\t \t         "
                        "Radio Model No: NULL            \r\n"),
              std::string::npos);
    // Eleven standard-layout sections, every point of every one not required.
    EXPECT_EQ(countOf(text, "  (F1 NOT REQUIRED)\t    NULL\r\n"), 11u);
    EXPECT_EQ(countOf(text, "  (F5 NOT REQUIRED)\t    NULL\r\n"), 11u);
    EXPECT_EQ(countOf(text, " NOT REQUIRED)\t    NULL\r\n"), 55u);
}

TEST_F(ReportTest, StandardRadioPrintsFrequenciesAndSoftpotsOfItsPoints) {
    readRadio(kStandardLayoutCode, 0);
    setPoints(PointGroup::TxPower, {36, 50, 55, 63, 74});
    setPoints(PointGroup::TxModulation, {36, 0, 55, 0, 74});
    setPoints(PointGroup::Receive, {36, 50, 55, 63, 0});
    setRow(record, 1, 0, {48, 47, 45, 44, 42, 21, 20, 19, 19, 18});
    // 63 sits under a missing point (F2 of 20 kHz) and must not be printed.
    setRow(record, 2, 0, {22, 0, 24, 0, 26, 31, 63, 33, 0, 35, 40, 0, 41, 0, 43});
    setRow(record, 3, 0, {12, 13, 14, 15, 0, 25, 26, 27, 28, 0, 10, 11, 12, 13, 0,
                          22, 23, 24, 25, 0, 11, 12, 13, 14, 0, 23, 24, 25, 26, 0});
    expectGolden("standard.txt");

    const std::string text = reportText(record);
    EXPECT_EQ(sectionOf(text, "**** TX MODULATION 20KHz ****"),
              "\t \t\t**** TX MODULATION 20KHz ****\r\n"
              "\r\n"
              "Softpot Range\t\t: 0-63\r\n"
              "\r\n"
              "Frequency(MHz)\t \tSoftpot Values\r\n"
              "  136.000000\t \t    31\r\n"
              "  (F2 NOT REQUIRED)\t    NULL\r\n"
              "  155.000000\t \t    33\r\n"
              "  (F4 NOT REQUIRED)\t    NULL\r\n"
              "  174.000000\t \t    35\r\n"
              "\r\n"
              "\r\n");
}

TEST_F(ReportTest, ExtendedRadioAddsKtdSectionsWithTheirOwnCells) {
    readRadio(kExtendedLayoutCode, 5);
    setPoints(PointGroup::TxPower, {6, 16, 26, 36, 46});
    setPoints(PointGroup::TxModulation, {6, 16, 26, 36, 46});
    setPoints(PointGroup::Receive, {6, 16, 26, 36, 46});
    setRow(record, 1, 0, {51, 50, 49, 47, 46, 24, 23, 23, 22, 21});
    // KTD cells run 12.5, 25, 20 kHz; each value names its own channel width.
    setRow(record, 2, 0, {27, 28, 29, 30, 31, 36, 37, 38, 39, 40, 44, 45, 46, 47, 48, 12, 25, 20});
    setRow(record, 3, 0, {9,  10, 11, 12, 13, 21, 22, 23, 24, 25, 8,  9,  10, 11, 12,
                          19, 20, 21, 22, 23, 9,  10, 11, 12, 13, 20, 21, 22, 23, 24});
    expectGolden("extended.txt");

    const std::string text = reportText(record);
    // Band 5 at offset 6.
    EXPECT_NE(text.find("Frequency(MHz)\t \tSoftpot Values\r\n  406.000000\t \t    51\r\n"),
              std::string::npos);
    const struct {
        const char* width;
        const char* softpot;
    } ktdSections[]{{"12.5", "12"}, {"20", "20"}, {"25", "25"}};
    for (const auto& ktd : ktdSections) {
        SCOPED_TRACE(ktd.width);
        const std::string heading =
            std::string("**** TX SIGNALING SYSTEM MODULATION KTD ") + ktd.width + "KHz ****";
        EXPECT_NE(sectionOf(text, heading)
                      .find(std::string("Frequency(MHz)\t \tSoftpot Values\r\n"
                                        "  (F1 NOT REQUIRED)\t    NULL\r\n"
                                        "  (F2 NOT REQUIRED)\t    NULL\r\n"
                                        "  426.000000\t \t    ") +
                            ktd.softpot +
                            "\r\n"
                            "  (F4 NOT REQUIRED)\t    NULL\r\n"
                            "  (F5 NOT REQUIRED)\t    NULL\r\n"),
                  std::string::npos);
    }
}

TEST_F(ReportTest, UnsupportedTxModulationLeavesOneLineInPlaceOfItsSections) {
    readRadio(kExtendedLayoutCode, 11);
    setPoints(PointGroup::TxPower, {6, 16, 26, 36, 0});
    setPoints(PointGroup::TxModulation, {6, 16, 26, 36, 0});
    setPoints(PointGroup::Receive, {6, 16, 26, 36, 0});
    setRow(record, 1, 0, {50, 49, 48, 47, 0, 23, 22, 22, 21, 0});
    setRow(record, 2, 0, {27, 28, 29, 30, 0, 36, 37, 38, 39, 0, 44, 45, 46, 47, 0, 12, 25, 20});
    setRow(record, 3, 0, {9,  10, 11, 12, 0, 21, 22, 23, 24, 0, 8,  9,  10, 11, 0,
                          19, 20, 21, 22, 0, 9,  10, 11, 12, 0, 20, 21, 22, 23, 0});
    record.clearSupported(AlignmentFamily::TxModulation);
    expectGolden("tx_modulation_unsupported.txt");

    const std::string text = reportText(record);
    EXPECT_NE(text.find("  (F5 NOT REQUIRED)\t    NULL\r\n\r\n\r\n"
                        "\t \t\t**** TX MODULATION UNSUPPORTED ****\r\n\r\n"
                        "\t\t\t\tR E C E I V E   P A R A M E T E R S\t\t\t\t\r\n\r\n"
                        "\t \t\t**** RX SQUELCH 12.5KHz-BAND NORMAL ****\r\n"),
              std::string::npos);
}

// The headings of a report, in order; the receive banner shows as "RECEIVE".
std::vector<std::string> headingsOf(const std::string& text) {
    std::vector<std::string> headings;
    std::size_t start = 0;
    for (auto end = text.find("\r\n"); end != std::string::npos;
         start = end + 2, end = text.find("\r\n", start)) {
        const std::string line = text.substr(start, end - start);
        if (line.starts_with("\t \t\t****")) {
            headings.push_back(line.substr(4));
        } else if (line == "\t\t\t\tR E C E I V E   P A R A M E T E R S\t\t\t\t") {
            headings.emplace_back("RECEIVE");
        }
    }
    return headings;
}

struct SectionsCase {
    const char* name;
    std::uint32_t layoutCode;
    std::vector<AlignmentFamily> unsupported;
    std::vector<std::string> headings;
};

TEST_F(ReportTest, SectionsFollowLayoutAndSupportedFamilies) {
    const std::vector<std::string> power{"**** TRANSMIT HIGH POWER ****",
                                         "**** TRANSMIT LOW POWER ****"};
    const std::vector<std::string> modulation{"**** TX MODULATION 12.5KHz ****",
                                              "**** TX MODULATION 20KHz ****",
                                              "**** TX MODULATION 25KHz ****"};
    const std::vector<std::string> ktd{"**** TX SIGNALING SYSTEM MODULATION KTD 12.5KHz ****",
                                       "**** TX SIGNALING SYSTEM MODULATION KTD 20KHz ****",
                                       "**** TX SIGNALING SYSTEM MODULATION KTD 25KHz ****"};
    const std::vector<std::string> squelch{
        "**** RX SQUELCH 12.5KHz-BAND NORMAL ****", "**** RX SQUELCH 12.5KHz-BAND TIGHT ****",
        "**** RX SQUELCH 25KHz-BAND NORMAL ****",   "**** RX SQUELCH 25KHz-BAND TIGHT ****",
        "**** RX SQUELCH 20KHz-BAND NORMAL ****",   "**** RX SQUELCH 20KHz-BAND TIGHT ****"};
    const std::string volume = "**** RX VOLUME CONTROL (VR4) UNSUPPORTED ****";
    const auto join = [](std::initializer_list<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (const auto& part : parts) {
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    };

    const std::vector<SectionsCase> cases{
        {"standard, all supported",
         kStandardLayoutCode,
         {},
         join({power, modulation, {"RECEIVE"}, squelch, {volume}})},
        {"extended, all supported",
         kExtendedLayoutCode,
         {},
         join({power, modulation, ktd, {"RECEIVE"}, squelch, {volume}})},
        {"extended, Tx power unsupported",
         kExtendedLayoutCode,
         {AlignmentFamily::TxPower},
         join({{"**** TRANSMIT POWER UNSUPPORTED ****"},
               modulation,
               ktd,
               {"RECEIVE"},
               squelch,
               {volume}})},
        {"extended, Tx modulation unsupported: no KTD either",
         kExtendedLayoutCode,
         {AlignmentFamily::TxModulation},
         join({power, {"**** TX MODULATION UNSUPPORTED ****", "RECEIVE"}, squelch, {volume}})},
        {"standard, Rx squelch unsupported: the banner stays",
         kStandardLayoutCode,
         {AlignmentFamily::RxSquelch},
         join({power, modulation, {"RECEIVE", "**** RX SQUELCH UNSUPPORTED ****", volume}})},
        {"nothing supported",
         kExtendedLayoutCode,
         {AlignmentFamily::TxPower, AlignmentFamily::TxModulation, AlignmentFamily::RxSquelch},
         {"**** TRANSMIT POWER UNSUPPORTED ****", "**** TX MODULATION UNSUPPORTED ****", "RECEIVE",
          "**** RX SQUELCH UNSUPPORTED ****", volume}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        radioRecord radio;
        radio.setLayoutCode(testCase.layoutCode);
        for (const auto family : testCase.unsupported) {
            radio.clearSupported(family);
        }
        const std::string text = reportText(radio);
        EXPECT_EQ(headingsOf(text), testCase.headings);
        // An unsupported line is followed by one empty line, and the report ends there.
        EXPECT_TRUE(text.ends_with("\t \t\t" + volume + "\r\n\r\n"));
    }
}

// A fresh directory of its own per test: the release and sanitizer runs may overlap.
class ReportFileTest : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        std::random_device random;
        directory = fs::temp_directory_path() / ("kavrin-report-" + std::to_string(random()));
        fs::create_directories(directory);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(directory, ignored);
        ReportTest::TearDown();
    }

    fs::path directory;
};

TEST_F(ReportFileTest, WritesExactlyTheReportOverAnOlderFile) {
    readRadio(kStandardLayoutCode, 5);
    setPoints(PointGroup::TxPower, {6, 16, 26, 36, 46});
    const fs::path path = reportPath(directory);
    EXPECT_EQ(path, directory / "display.txt");
    std::ofstream(path, std::ios::binary) << std::string(20000, 'x');

    ASSERT_TRUE(writeReport(path, record));
    EXPECT_EQ(readBytes(path), reportText(record));
}

TEST_F(ReportFileTest, FileThatCannotBeCreatedFailsAndLeavesNothing) {
    const fs::path missingDirectory = directory / "missing";
    EXPECT_FALSE(writeReport(missingDirectory / kReportFileName, record));
    EXPECT_FALSE(fs::exists(missingDirectory));

    // A directory where the file should be.
    fs::create_directory(directory / kReportFileName);
    EXPECT_FALSE(writeReport(directory / kReportFileName, record));
    EXPECT_TRUE(fs::is_directory(directory / kReportFileName));
}

} // namespace
} // namespace kavrin
