// The read and program flows of the application.
#include "data/application_core.h"

#include "data/archive.h"
#include "data/radio_failure.h"
#include "data/report.h"
#include "data/softpot_programmer.h"
#include "link/radio_link.h"

#include <array>
#include <cstdio>
#include <system_error>

namespace kavrin {

namespace {

constexpr std::uint8_t kFccRegion = 2;
constexpr int kFeatureLayoutVersion = 5; // firmware from this version on reports its layout
constexpr std::uint8_t kExtendedLayoutFlag = 0x10;
constexpr std::size_t kStatusGap = 57;

constexpr const char* kErrorTitle = "Error !!";
constexpr const char* kNoteTitle = "NOTE";
constexpr const char* kReadFailedText =
    "Read Radio Failed !! All softpot operational data is invalid !! Please re-read radio";
constexpr const char* kRegionWarningText =
    "20/25 kHz bandwidth mode is provided for radio troubleshooting and testing purposes. 20/25 "
    "kHz radio operation must be consistent with the FCC Narrowbanding Regulations in the United "
    "States.";
constexpr const char* kRegionFailedText = "Read Radio Region Failed !! Radio Communication Error!!";
constexpr const char* kReadDoneText = "Radio has been successfully read !!";
constexpr const char* kHardwareInfoFailedText = "Unable to read radio hardware information !!";
constexpr const char* kLayoutMismatchText =
    "Codeplug mismatch with radio. Cannot program radio codeplug !!";
constexpr const char* kSerialMismatchText = "Serial No. Mismatch !! Program radio aborted";
constexpr const char* kProgramDoneText = "Radio successfully programmed!!";
constexpr const char* kProgramFailedText = "Program Radio Error";
constexpr const char* kLoadQuestionText = "Initialize radio data?";
constexpr const char* kArchiveLoadedText = "Tuning data has been loaded.";
constexpr const char* kArchiveSaveFailedText = "Archive File could not be saved!!";
constexpr const char* kArchiveSavedText = "Tuning data has been saved.";
constexpr const char* kCloseWindowsText = "Please close all windows before continuing";

// The number made by the leading decimal digits of a text; none gives 0.
int leadingNumber(const char* text, std::size_t length) {
    int number = 0;
    for (std::size_t i = 0; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        number = number * 10 + (text[i] - '0');
    }
    return number;
}

} // namespace

applicationCore::applicationCore(ApplicationServices services)
    : services_(services), operations_(services.messages, services.pause) {}

std::string applicationCore::identityStatusText() const {
    return "Radio Serial No: " + record_.serialNo() + std::string(kStatusGap, ' ') +
           "Radio Model No: " + record_.modelNo();
}

void applicationCore::updatePointsPresent() {
    txPowerPointsPresent_ = record_.anyPointPresent(PointGroup::TxPower);
    txModulationPointsPresent_ = record_.anyPointPresent(PointGroup::TxModulation);
    rxPointsPresent_ = record_.anyPointPresent(PointGroup::Receive);
}

bool applicationCore::pointsPresent(PointGroup group) const {
    switch (group) {
    case PointGroup::TxPower:
        return txPowerPointsPresent_;
    case PointGroup::TxModulation:
        return txModulationPointsPresent_;
    case PointGroup::Receive:
        break;
    }
    return rxPointsPresent_;
}

bool applicationCore::alignmentAvailable(const AlignmentTypeInfo& type) const {
    return kavrin::alignmentAvailable(type, record_.isSupported(type.family),
                                      pointsPresent(type.points), record_.codeplugLayout());
}

void applicationCore::readSucceeded() {
    radioRead_ = true;
    updatePointsPresent();
}

void applicationCore::archiveLoadSucceeded() {
    updatePointsPresent();
    radioRead_ = false;
    archiveLoaded_ = true;
}

void applicationCore::readFailed() {
    radioRead_ = false;
    archiveLoaded_ = false;
}

void applicationCore::reportClosed() {
    reportAllowed_ = true;
    currentScreenId_ = 0;
}

int applicationCore::layoutQuery() {
    BusyCursorGuard busy(services_.cursor);
    int layout = 0;
    const bool failed = radioWorkFailed("layout query", [&] {
        radioLink link(kNormalProtocolMode);
        std::array<char, 8> version{};
        std::uint16_t length = 0;
        link.normalMode().queryFirmwareVersion(reinterpret_cast<std::uint8_t*>(version.data()),
                                               &length);
        if (leadingNumber(version.data() + 1, 2) < kFeatureLayoutVersion) {
            return;
        }
        std::uint8_t flags = 0;
        link.normalMode().queryFeatureFlags(&flags, &length);
        layout = (flags & kExtendedLayoutFlag) != 0 ? 1 : 0;
    });
    if (failed) {
        services_.messages.showMessage(kHardwareInfoFailedText, "ERROR", MessageIcon::Exclamation);
        return -1;
    }
    return layout;
}

bool applicationCore::readFlow(IProgress& progress) {
    const flowPortLock lock;
    BusyCursorGuard busy(services_.cursor);
    const int layout = layoutQuery();
    if (layout < 0) {
        readFailed();
        return false;
    }
    record_.setCodeplugLayout(layout);
    if (radioWorkFailed("read", [&] { operations_.readRadio(record_, progress); })) {
        record_.setSerialNo(kInvalidSerialNo);
        busy.release();
        services_.messages.showMessage(kReadFailedText, kErrorTitle, MessageIcon::Exclamation);
        services_.statusLine.setStatusText(identityStatusText());
        readFailed();
        return false;
    }
    busy.release();
    readSucceeded();
    regionCheck();
    services_.messages.showMessage(kReadDoneText, kNoteTitle, MessageIcon::Information);
    services_.statusLine.setStatusText(identityStatusText());
    history().radioRead(record_);
    return true;
}

void applicationCore::regionCheck() {
    std::uint8_t region = 0;
    if (radioWorkFailed("region query", [&] {
            radioLink link;
            services_.pause.pause(kTestModeSettleTime);
            std::uint16_t length = 0;
            link.testMode().queryRegion(&region, &length);
        })) {
        services_.messages.showMessage(kRegionFailedText, kErrorTitle, MessageIcon::Exclamation);
        return;
    }
    if (region == kFccRegion) {
        services_.messages.showMessage(kRegionWarningText, "Warning", MessageIcon::Information);
    }
}

bool applicationCore::programAllChecks() {
    programLock_.emplace();
    const int layout = layoutQuery();
    if (layout < 0) {
        programLock_.reset();
        return false;
    }
    if (layout != record_.codeplugLayout()) {
        programLock_.reset();
        services_.messages.showMessage(kLayoutMismatchText, "ERROR", MessageIcon::Exclamation);
        return false;
    }
    const bool confirmed = services_.messages.ask(kProgramQuestionText, kProgramQuestionTitle,
                                                  MessageIcon::Information) == Answer::Ok;
    if (!confirmed) {
        programLock_.reset();
    }
    return confirmed;
}

bool applicationCore::programFlow(IProgress& progress,
                                  const std::function<bool()>& cancelRequested) {
    // The checks' share, when they ran, goes with this flow's end.
    const flowPortLock lock;
    programLock_.reset();
    BusyCursorGuard busy(services_.cursor);
    bool sameRadio = false;
    std::optional<softpotProgrammer> programmer;
    const bool failed = radioWorkFailed("Program All", [&] {
        {
            radioLink link;
            sameRadio = operations_.isSameRadio(record_, link) != 0;
        }
        if (sameRadio) {
            programmer.emplace(record_, operations_, progress, radioRead_, cancelRequested);
            programmer->run();
        }
    });
    busy.release();
    if (programmer) {
        recordProgramAll(*programmer, failed);
    }
    if (failed) {
        services_.messages.showMessage(kProgramFailedText, "ERROR", MessageIcon::Exclamation);
        return false;
    }
    if (!sameRadio) {
        services_.messages.showMessage(kSerialMismatchText, " Radio Program Error",
                                       MessageIcon::Exclamation);
        return false;
    }
    if (programmer->cancelled()) {
        return false;
    }
    services_.messages.showMessage(kProgramDoneText, kNoteTitle, MessageIcon::Information);
    return true;
}

void applicationCore::recordProgramAll(const softpotProgrammer& programmer, bool failed) {
    // Before the radio's block was known nothing was written.
    if (!programmer.blockKnown()) {
        return;
    }
    radioChange change;
    change.operation = kOperationProgramAll;
    change.outcome = failed                   ? kOutcomeFailed
                     : programmer.cancelled() ? kOutcomeCancelled
                                              : kOutcomeSucceeded;
    change.before = radioOperations::recordOfBlock(record_, programmer.blockBefore());
    change.after = radioOperations::recordOfBlock(record_, programmer.blockConfirmed());
    change.detail = std::to_string(programmer.writesConfirmed()) + " softpot writes confirmed";
    if (const auto checksum = programmer.lastChecksum()) {
        std::array<char, 8> hex{};
        std::snprintf(hex.data(), hex.size(), "0x%02X", static_cast<unsigned>(*checksum));
        change.detail += std::string("; last checksum written ") + hex.data();
        if (programmer.writesAfterChecksum() != 0) {
            change.detail += "; " + std::to_string(programmer.writesAfterChecksum()) +
                             " writes after it not covered by a checksum";
        }
    } else {
        change.detail += "; no checksum written";
    }
    history().radioChanged(record_, change);
}

bool applicationCore::loadArchiveWithConfirmation(const std::filesystem::path& path) {
    if (services_.messages.ask(kLoadQuestionText, "CONFIRMATION", MessageIcon::Information) !=
        Answer::Ok) {
        return false;
    }
    return loadArchiveByName(path);
}

bool applicationCore::loadArchiveByName(const std::filesystem::path& path) {
    bool loaded = false;
    switch (loadArchive(path, record_)) {
    case ArchiveLoad::CannotOpen:
        services_.messages.showMessage(kArchiveOpenFailedText, "ERROR", MessageIcon::Exclamation);
        break;
    case ArchiveLoad::InvalidFormat:
        services_.messages.showMessage(kArchiveInvalidText, "ERROR", MessageIcon::Exclamation);
        archiveLoaded_ = false;
        break;
    case ArchiveLoad::Loaded:
        loaded = true;
        break;
    }
    // Only a file that loaded goes on the recent-file list, also while an earlier archive is
    // still loaded.
    if (loadOutcome(loaded)) {
        services_.recentFiles.addRecentFile(path);
    }
    return loaded;
}

bool applicationCore::loadRecordWithConfirmation(const radioRecord& record) {
    if (services_.messages.ask(kLoadQuestionText, "CONFIRMATION", MessageIcon::Information) !=
        Answer::Ok) {
        return false;
    }
    return loadRecord(record);
}

bool applicationCore::loadRecord(const radioRecord& record) {
    record_ = record;
    return loadOutcome(true);
}

bool applicationCore::loadOutcome(bool loaded) {
    if (loaded) {
        archiveLoadSucceeded();
        services_.messages.showMessage(kArchiveLoadedText, kNoteTitle, MessageIcon::Information);
        services_.statusLine.setStatusText(identityStatusText());
    } else if (!archiveLoaded_) {
        radioRead_ = false;
        record_.resetIdentity();
        services_.statusLine.setStatusText(kNothingLoadedText);
    }
    return loaded;
}

bool applicationCore::saveArchiveFile(const std::filesystem::path& path) {
    if (!saveArchive(path, record_, drawArchiveKey())) {
        services_.messages.showMessage(kArchiveSaveFailedText, "ERROR", MessageIcon::Exclamation);
        return false;
    }
    services_.messages.showMessage(kArchiveSavedText, kNoteTitle, MessageIcon::Information);
    services_.recentFiles.addRecentFile(path);
    return true;
}

std::optional<std::filesystem::path> applicationCore::writeReportFile() {
    if (currentScreenId_ != 0) {
        services_.messages.showMessage(kCloseWindowsText, "Note", MessageIcon::Information);
        return std::nullopt;
    }
    if (const auto path = reportPath(programDir_); writeReport(path, record_)) {
        return path;
    }
    if (!reportFallbackDir_.empty()) {
        std::error_code error;
        std::filesystem::create_directories(reportFallbackDir_, error);
        if (const auto path = reportPath(reportFallbackDir_); writeReport(path, record_)) {
            return path;
        }
    }
    services_.messages.showMessage(kReportOpenFailedText, "ERROR", MessageIcon::Exclamation);
    return std::nullopt;
}

void applicationCore::reportShown(bool opened) {
    if (!opened) {
        return;
    }
    reportAllowed_ = false;
    currentScreenId_ = kReportScreenId;
}

} // namespace kavrin
