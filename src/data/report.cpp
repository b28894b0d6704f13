// The tuning parameter report writer: lays the record out section by section in the fixed text
// layout the technician prints, and stores it as "display.txt".
#include "data/report.h"

#include <array>
#include <charconv>
#include <fstream>
#include <system_error>
#include <utility>

namespace kavrin {

namespace {

struct ReportSection {
    AlignmentType type;
    const char* heading;
    // The family's UNSUPPORTED heading, written by exactly one section of the family in its own
    // place; nullptr for the family's other sections, which then write nothing.
    const char* unsupportedHeading;
};

// Report order, which is not the order of the alignment types everywhere: the KTD sections run
// 12.5, 20, 25 kHz although their cells run 12.5, 25, 20 kHz.
constexpr std::array<ReportSection, kAlignmentTypeCount> kSections{{
    {AlignmentType::TxHighPower, "**** TRANSMIT HIGH POWER ****",
     "**** TRANSMIT POWER UNSUPPORTED ****"},
    {AlignmentType::TxLowPower, "**** TRANSMIT LOW POWER ****", nullptr},
    {AlignmentType::TxModulation125KHz, "**** TX MODULATION 12.5KHz ****", nullptr},
    {AlignmentType::TxModulation20KHz, "**** TX MODULATION 20KHz ****", nullptr},
    {AlignmentType::TxModulation25KHz, "**** TX MODULATION 25KHz ****",
     "**** TX MODULATION UNSUPPORTED ****"},
    {AlignmentType::TxKtd125KHz, "**** TX SIGNALING SYSTEM MODULATION KTD 12.5KHz ****", nullptr},
    {AlignmentType::TxKtd20KHz, "**** TX SIGNALING SYSTEM MODULATION KTD 20KHz ****", nullptr},
    {AlignmentType::TxKtd25KHz, "**** TX SIGNALING SYSTEM MODULATION KTD 25KHz ****", nullptr},
    {AlignmentType::RxSquelchNbandNormal, "**** RX SQUELCH 12.5KHz-BAND NORMAL ****",
     "**** RX SQUELCH UNSUPPORTED ****"},
    {AlignmentType::RxSquelchNbandTight, "**** RX SQUELCH 12.5KHz-BAND TIGHT ****", nullptr},
    {AlignmentType::RxSquelchSbandNormal, "**** RX SQUELCH 25KHz-BAND NORMAL ****", nullptr},
    {AlignmentType::RxSquelchSbandTight, "**** RX SQUELCH 25KHz-BAND TIGHT ****", nullptr},
    {AlignmentType::RxSquelch20KbandNormal, "**** RX SQUELCH 20KHz-BAND NORMAL ****", nullptr},
    {AlignmentType::RxSquelch20KbandTight, "**** RX SQUELCH 20KHz-BAND TIGHT ****", nullptr},
}};

// The receive volume control has no flag and no cells: it is never supported.
constexpr const char* kVolumeUnsupportedHeading = "**** RX VOLUME CONTROL (VR4) UNSUPPORTED ****";

constexpr const char* kTitle =
    "\t   \t\t**********    R A D I O   S O F T P O T   D A T A  **********";
constexpr const char* kReceiveBanner = "\t\t\t\tR E C E I V E   P A R A M E T E R S\t\t\t\t";
constexpr const char* kHeadingIndent = "\t \t\t";

// The report is read on Windows, so its lines end in CR LF wherever it is written.
class ReportBuilder {
public:
    void line(std::string_view text = {}) {
        text_ += text;
        text_ += "\r\n";
    }
    void emptyLines(int count) {
        for (int i = 0; i < count; ++i) {
            line();
        }
    }
    void heading(std::string_view heading) {
        text_ += kHeadingIndent;
        line(heading);
        line();
    }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

void writeSection(ReportBuilder& out, const radioRecord& record, const ReportSection& section) {
    const AlignmentTypeInfo& info = alignmentType(section.type);
    out.heading(section.heading);
    out.line("Softpot Range\t\t: 0-63");
    out.line();
    out.line("Frequency(MHz)\t \tSoftpot Values");
    for (std::size_t point = 0; point < kPointCount; ++point) {
        const bool typeHasPoint = !info.middlePointOnly || point == kMiddlePoint;
        if (typeHasPoint && record.getCell(pointCell(info.points, point)) != 0) {
            out.line("  " + decimalText(record.pointFrequency(info.points, point), 6) +
                     "\t \t    " + std::to_string(record.getCell(softpotCell(info, point))));
        } else {
            out.line("  (F" + std::to_string(point + 1) + " NOT REQUIRED)\t    NULL");
        }
    }
    out.emptyLines(2);
}

} // namespace

std::string reportText(const radioRecord& record) {
    ReportBuilder out;
    out.emptyLines(2);
    out.line(kTitle);
    out.emptyLines(2);
    out.line("Radio Serial No: " + record.serialNo() +
             "  \t\t \t         Radio Model No: " + record.modelNo());
    out.line();

    bool receiveBannerWritten = false;
    for (const ReportSection& section : kSections) {
        const AlignmentTypeInfo& info = alignmentType(section.type);
        if (info.family == AlignmentFamily::RxSquelch && !receiveBannerWritten) {
            out.line(kReceiveBanner);
            out.line();
            receiveBannerWritten = true;
        }
        if (info.middlePointOnly && record.codeplugLayout() != 1) {
            continue;
        }
        if (record.isSupported(info.family)) {
            writeSection(out, record, section);
        } else if (section.unsupportedHeading != nullptr) {
            out.heading(section.unsupportedHeading);
        }
    }
    out.heading(kVolumeUnsupportedHeading);
    return out.take();
}

std::filesystem::path reportPath(const std::filesystem::path& programDir) {
    return programDir / kReportFileName;
}

bool writeReport(const std::filesystem::path& path, const radioRecord& record) {
    // Binary, so that the CR LF already in the text is not doubled on Windows.
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file.is_open()) {
        return false;
    }
    const std::string text = reportText(record);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    return true;
}

std::string decimalText(double value, int decimals) {
    std::array<char, 320> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, decimals);
    if (result.ec != std::errc{}) {
        return "?";
    }
    return {buffer.data(), result.ptr};
}

} // namespace kavrin
