// CPelionTunerApp: the application object. It owns the application core, builds the main window
// with its menus and toolbar, routes every command, keeps the commands' enabled states, enforces
// one screen at a time, runs the progress screen, the report window, recent files and help.
#pragma once

#include "data/application_core.h"
#include "data/settings_names.h"
#include "history/history_recorder.h"
#include "screens/screen_view.h"
#include "shell/autotune_dialog.h"
#include "shell/autotune_window.h"
#include "shell/file_dialogs.h"
#include "shell/frames.h"
#include "shell/history_window.h"
#include "shell/main_frame.h"
#include "shell/progress_view.h"
#include "shell/qt_user_interface.h"
#include "shell/report_view.h"

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QPrinter>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace kavrin::shell {

inline constexpr int kMaxRecentFiles = 4;
inline constexpr const char* kSettingsOrganization = kSettingsOrganizationName;
inline constexpr const char* kSettingsApplication = kSettingsApplicationName;
inline constexpr const char* kHelpBundleName = "Kavrin.chm";
// The transmit watchdog's time in seconds; 0 turns it off.
inline constexpr const char* kWatchdogKey = "tuning/transmitWatchdogSeconds";
// How long a passing note (a snapshot not saved, a PDF written) stays in the status bar before
// the identity comes back.
inline constexpr std::chrono::milliseconds kStatusNoteTimeout{10'000};

// The history's URL as the application and its History window use it: the environment variable,
// then the settings key, then the SQLite file in the per-user data directory.
QString historyUrlText();

// Tests pass their own messages and dialogs; without them Qt's are used.
struct AppSeams {
    IUserMessages* messages = nullptr;
    IFileDialogs* dialogs = nullptr;
    IAutotuneSetupDialog* autotuneSetup = nullptr;
};

// An automatic alignment ready to run: its screens, checked limits and a monitor that answered.
struct preparedAutotune;

class CPelionTunerApp : public QObject,
                        public IRecentFiles,
                        public IStatusLine,
                        public IHistoryHost,
                        public screens::IScreenHost {
    Q_OBJECT
public:
    // A screen view, created on demand; its widget goes into the screen's frame.
    using ScreenFactory = std::function<screens::IScreenView*()>;

    explicit CPelionTunerApp(QStringList arguments, AppSeams seams = {});
    ~CPelionTunerApp() override;

    // Start-up: builds the main window, shows it and loads an archive named on the command line.
    bool initInstance();

    applicationCore& core() override { return core_; }
    IUserMessages& messages() override { return *messages_; }
    IBusyCursor& busyCursor() override { return cursor_; }
    void readRadio() override { readCommand(); }
    CMainFrame* mainFrame() const { return mainFrame_.get(); }
    QAction* action(int command) const;
    QMenu* menu(const QString& title) const;
    const QString& programDir() const { return programDir_; }

    void runCommand(int command);
    void updateCommandStates();

    bool openScreen(int command);
    void closeScreen() override;
    void closeScreenIfIdle();
    void closeProgress();
    void rereadRadio() override;
    void reportClosed();
    CSplashRWView* progressView() const { return progressView_; }
    CCommonFrame* screenFrame() const { return screenFrame_; }

    // Recent files and opening by name.
    QStringList recentFiles() const;
    bool openDocumentFile(const QString& path);
    void loadDroppedFile(const QString& path);
    CPelionTunerView* reportView() const;
    bool printReportTo(const QString& pdfPath);
    // The History window while it exists.
    CHistoryWindow* historyWindow() const { return historyWindow_; }
    // Automatic alignment's window from its first run on.
    CAutotuneWindow* autotuneWindow() const { return autotuneWindow_; }
    // Asks for the set-up, refuses what cannot work before the radio is touched, ends the open
    // screen and then runs the aligner over the screens, once this event is over.
    bool startAutotune(std::vector<const AlignmentTypeInfo*> types);
    void autoAlign(AlignmentType type) override;

    bool restoreFromHistory(const radioRecord& record) override;
    void exportFromHistory(const radioRecord& record, QWidget* owner) override;

    static void registerScreen(int command, ScreenFactory factory);

    std::chrono::seconds transmitWatchdog() const override;
    void showNote(const std::string& text) override;

    void addRecentFile(const std::filesystem::path& path) override;
    void setStatusText(const std::string& text) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    QAction* makeAction(int command, std::string_view text);
    void refreshRecentFiles();
    void setRecentFiles(const QStringList& files);
    bool openProgress(const QString& operationText);
    void runProgressFlow(bool writing);
    void readCommand();
    void programAllCommand();
    void loadCommand();
    void saveCommand();
    void displayTuningCommand();
    void historyCommand();
    void exportPdfCommand();
    void printCommand(int command);
    void showHelpFor(int screenId);
    void runAutotune(const std::shared_ptr<preparedAutotune>& prepared);
    void printAutotuneResults();
    void exportAutotunePdf();

    QStringList arguments_;
    QString programDir_;
    QString commandLineArchive_;
    bool commandLine_ = false;
    QtMessages qtMessages_;
    QtFileDialogs qtDialogs_;
    IUserMessages* messages_;
    IFileDialogs* dialogs_;
    QtAutotuneSetup qtAutotuneSetup_;
    IAutotuneSetupDialog* autotuneSetup_;
    QtBusyCursor cursor_;
    QtPause pause_;
    // Declared before the core, which keeps a reference to it, so that it outlives the core.
    std::unique_ptr<historyRecorder> recorder_;
    applicationCore core_;
    std::unique_ptr<CMainFrame> mainFrame_;
    std::map<int, QAction*> actions_;
    std::map<QString, QMenu*> menus_;
    QList<QAction*> alignmentSubmenus_;
    QAction* recentPlaceholder_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    QList<QAction*> recentEntries_;
    bool recentItemRemoved_ = false;
    QPointer<CCommonFrame> screenFrame_;
    screens::IScreenView* screenView_ = nullptr; // the open screen, owned by its frame
    QPointer<CCommonSplashFrame> progressFrame_;
    QPointer<CSplashRWView> progressView_;
    QPointer<CHistoryWindow> historyWindow_;
    QPointer<CAutotuneWindow> autotuneWindow_;
    QPrinter printer_;
    std::unique_ptr<ScopedUserMessages> messageScope_;
};

} // namespace kavrin::shell
