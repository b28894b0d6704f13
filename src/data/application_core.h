// The application's radio work without a window: the record, the operations, the flags that
// gate commands, and the flows of reading, programming, archives and the report. The Qt
// application object wraps it; kavrin-cli uses it as it is.
#pragma once

#include "data/radio_history.h"
#include "data/radio_operations.h"
#include "data/radio_record.h"
#include "data/user_interface.h"
#include "link/port_lock.h"
#include "link/user_messages.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace kavrin {

class softpotProgrammer;

class IRecentFiles {
public:
    virtual ~IRecentFiles() = default;
    virtual void addRecentFile(const std::filesystem::path& path) = 0;
};

class NoRecentFiles final : public IRecentFiles {
public:
    void addRecentFile(const std::filesystem::path&) override {}
};

struct ApplicationServices {
    IUserMessages& messages;
    IBusyCursor& cursor;
    IStatusLine& statusLine;
    IPause& pause;
    IRecentFiles& recentFiles;
};

// The technician's go-ahead before softpots are written: Program All and automatic alignment.
// An archive that cannot be read, as the load says it and `kavrin-cli show` too.
inline constexpr const char* kArchiveOpenFailedText = "Archive File could not be opened!!";
inline constexpr const char* kArchiveInvalidText =
    "Invalid file format!! File is not an *.SPA file";
inline constexpr const char* kProgramQuestionText = "Program Radio?";
inline constexpr const char* kProgramQuestionTitle = "Note";

inline constexpr const char* kNothingLoadedText =
    "No archive file or radio is currently loaded or connected";

class applicationCore {
public:
    explicit applicationCore(ApplicationServices services);

    radioRecord& record() { return record_; }
    const radioRecord& record() const { return record_; }
    radioOperations& operations() { return operations_; }

    // The read flow; true when the radio was read.
    bool readFlow(IProgress& progress);
    // -1 when the query failed, 0 standard layout, 1 extended layout.
    int layoutQuery();

    // Program All's checks before the progress screen opens: the layout must match and the
    // technician must confirm. True when the flow may start; the port's lock is then held on
    // until programFlow ends, so that nothing reaches the radio between the checks and the flow.
    bool programAllChecks();
    // The program flow; true when the radio was programmed. cancelRequested, asked between two
    // writes, stops it with the checksum right and test mode ended, showing nothing.
    bool programFlow(IProgress& progress, const std::function<bool()>& cancelRequested = {});

    // Archive loads, each followed by the outcome step; true when the archive was loaded.
    bool loadArchiveByName(const std::filesystem::path& path);
    bool loadArchiveWithConfirmation(const std::filesystem::path& path);
    bool saveArchiveFile(const std::filesystem::path& path);
    // A record from elsewhere (the history) loaded exactly as an archive is, with the same
    // confirmation, outcome and enabling, but no recent-file entry.
    bool loadRecord(const radioRecord& record);
    bool loadRecordWithConfirmation(const radioRecord& record);

    // Where the flows' reads and changes are recorded; nowhere until one is set. The history
    // must outlive the core or be replaced first.
    void setHistory(IRadioHistory& history) { history_ = &history; }
    IRadioHistory& history() { return *history_; }

    // The report command's writing steps: the report's path, or nothing when a screen is open
    // or the report could not be written (its message shown). The report goes to the program's
    // folder and, when that cannot be written (an installed program's), to the fallback folder,
    // which is created when missing.
    std::optional<std::filesystem::path> writeReportFile();
    // The report command's last steps, once the shell tried to open the report. A report that
    // did not open leaves the state as it was.
    void reportShown(bool opened);

    std::string identityStatusText() const;

    // The application's state. The flows change it; the shell and the screens report what they
    // did through the named transitions.
    bool radioRead() const { return radioRead_; }
    bool archiveLoaded() const { return archiveLoaded_; }
    bool reportAllowed() const { return reportAllowed_; }
    bool txPowerPointsPresent() const { return txPowerPointsPresent_; }
    bool txModulationPointsPresent() const { return txModulationPointsPresent_; }
    bool rxPointsPresent() const { return rxPointsPresent_; }
    int currentScreenId() const { return currentScreenId_; }
    bool pointsPresent(PointGroup group) const;
    // Whether the record lets the type's screen open (as its menu command is enabled once a
    // radio was read or an archive loaded).
    bool alignmentAvailable(const AlignmentTypeInfo& type) const;
    const std::filesystem::path& programDir() const { return programDir_; }

    // The record now holds what the radio holds, or what an archive held.
    void readSucceeded();
    void archiveLoadSucceeded();
    // The record can no longer be trusted.
    void readFailed();
    void screenOpened(int screenId) { currentScreenId_ = screenId; }
    void screenClosed() { currentScreenId_ = 0; }
    void reportClosed();
    void setProgramDir(std::filesystem::path dir) { programDir_ = std::move(dir); }
    // Where the report goes when the program's folder is read-only; nowhere when empty.
    void setReportFallbackDir(std::filesystem::path dir) { reportFallbackDir_ = std::move(dir); }

private:
    void regionCheck();
    void updatePointsPresent();
    void recordProgramAll(const softpotProgrammer& programmer, bool failed);
    // The outcome step of every load: messages, status line and flags.
    bool loadOutcome(bool loaded);

    ApplicationServices services_;
    radioRecord record_;
    radioOperations operations_;
    bool radioRead_ = false;
    bool archiveLoaded_ = false;
    bool reportAllowed_ = true;
    // Until something is loaded every family counts as present, so that its commands follow
    // the loaded state alone.
    bool txPowerPointsPresent_ = true;
    bool txModulationPointsPresent_ = true;
    bool rxPointsPresent_ = true;
    int currentScreenId_ = 0;
    std::filesystem::path programDir_;
    std::filesystem::path reportFallbackDir_;
    NoRadioHistory noHistory_;
    IRadioHistory* history_ = &noHistory_;
    std::optional<flowPortLock> programLock_;
};

} // namespace kavrin
