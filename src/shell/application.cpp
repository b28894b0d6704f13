// The application object.
#include "shell/application.h"

#include "data/alignment_limits.h"
#include "data/autotune_run.h"
#include "data/radio_utilities.h"
#include "data/report.h"
#include "history/history_url.h"
#include "instrument/service_monitor_factory.h"
#include "pdf/autotune_pdf.h"
#include "pdf/pdf_report.h"
#include "screens/screen_font.h"
#include "shell/about_dialog.h"
#include "shell/artwork.h"
#include "shell/commands.h"
#include "shell/help_window.h"
#include "shell/installation.h"
#include "shell/screen_registry.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <utility>

namespace kavrin::shell {

namespace {

constexpr const char* kRecentGroup = "Recent File List";
constexpr const char* kScreenOpenText = "Current window still open! Please close first!";
constexpr const char* kSerialNotBlankText = "Serial No. is not blank";
constexpr int kProgressRight = 488;
constexpr int kProgressBottom = 418;
constexpr int kProgressLeft = 30;
constexpr int kProgressTop = 30;

std::map<int, CPelionTunerApp::ScreenFactory>& screenFactories() {
    static std::map<int, CPelionTunerApp::ScreenFactory> factories;
    return factories;
}

QSettings settings() {
    return QSettings(kSettingsOrganization, kSettingsApplication);
}

} // namespace

QString historyUrlText() {
    return configuredHistoryUrl(std::nullopt);
}

void CPelionTunerApp::registerScreen(int command, ScreenFactory factory) {
    screenFactories()[command] = std::move(factory);
}

CPelionTunerApp::CPelionTunerApp(QStringList arguments, AppSeams seams)
    : arguments_(std::move(arguments)),
      messages_(seams.messages != nullptr ? seams.messages : &qtMessages_),
      dialogs_(seams.dialogs != nullptr ? seams.dialogs : &qtDialogs_),
      autotuneSetup_(seams.autotuneSetup != nullptr ? seams.autotuneSetup : &qtAutotuneSetup_),
      core_(ApplicationServices{*messages_, cursor_, *this, pause_, *this}) {}

CPelionTunerApp::~CPelionTunerApp() {
    qApp->removeEventFilter(this);
    closeProgress();
    mainFrame_.reset();
}

bool CPelionTunerApp::initInstance() {
    registerScreens();
    mainFrame_ = std::make_unique<CMainFrame>();
    QApplication::setWindowIcon(applicationIcon());
    qtMessages_.setOwner(mainFrame_.get());
    // The link's own messages (no port, port busy) go where every other message goes.
    messageScope_ = std::make_unique<ScopedUserMessages>(*messages_);
    buildMenus();
    // A snapshot that could not be stored is told in passing: the radio work goes on, and the
    // identity in the status line comes back.
    recorder_ = std::make_unique<historyRecorder>(historyUrlText(), [this](const QString& text) {
        if (mainFrame_) {
            mainFrame_->statusBar()->showMessage(text,
                                                 static_cast<int>(kStatusNoteTimeout.count()));
        }
    });
    core_.setHistory(*recorder_);

    // The program's own directory (an installation's share/kavrin) holds the pictures, the help
    // and the report; an installed one is read-only, so the report may go to the user's folder.
    programDir_ = programDirectory();
    core_.setProgramDir(programDir_.toStdString());
    if (const auto userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        !userData.isEmpty()) {
        core_.setReportFallbackDir(QDir(userData).filesystemPath());
    }
    if (arguments_.size() > 1) {
        commandLineArchive_ = arguments_.at(1);
    }

    connect(mainFrame_.get(), &CMainFrame::fileDropped, this, &CPelionTunerApp::loadDroppedFile);
    // Every way out ends the open screen's tuning as closing it does: the window's close box,
    // File > Exit, the window system ending the session, the application quitting.
    connect(mainFrame_.get(), &CMainFrame::closing, this, &CPelionTunerApp::closeScreen);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &CPelionTunerApp::closeScreen);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &CPelionTunerApp::closeScreen);
    connect(mainFrame_->mdiArea(), &QMdiArea::subWindowActivated, this,
            [this] { updateCommandStates(); });
    mainFrame_->show();

    screenFrame_ = nullptr;
    recentItemRemoved_ = false;
    commandLine_ = false;
    refreshRecentFiles();

    // F1 answers from the first box on, the boxes of loading the command line's archive too.
    qApp->installEventFilter(this);
    if (!commandLineArchive_.isEmpty()) {
        commandLine_ = true;
        core_.loadArchiveByName(commandLineArchive_.toStdString());
    }
    screens::screenFont();
    updateCommandStates();
    return true;
}

QAction* CPelionTunerApp::makeAction(int command, std::string_view text) {
    auto* action = new QAction(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                               mainFrame_.get());
    action->setData(command);
    const auto texts = commandTexts(command);
    action->setStatusTip(
        QString::fromUtf8(texts.prompt.data(), static_cast<qsizetype>(texts.prompt.size())));
    if (!texts.tooltip.empty()) {
        action->setToolTip(
            QString::fromUtf8(texts.tooltip.data(), static_cast<qsizetype>(texts.tooltip.size())));
    }
    // Commands work from the menus and the toolbar only: no shortcuts of their own.
    action->setShortcutContext(Qt::WidgetShortcut);
    connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
    actions_[command] = action;
    return action;
}

void CPelionTunerApp::buildMenus() {
    auto* bar = mainFrame_->menuBar();
    const auto addEntries = [this](QMenu* menu, std::span<const MenuEntry> entries) {
        for (const auto& entry : entries) {
            if (entry.command == 0) {
                menu->addSeparator();
            } else {
                menu->addAction(makeAction(entry.command, entry.text));
            }
        }
    };

    auto* file = bar->addMenu("&File");
    addEntries(file, kFileMenu);
    recentPlaceholder_ = actions_.at(kCmdRecentFile);
    const auto fileActions = file->actions();
    recentSeparator_ = fileActions.at(fileActions.indexOf(recentPlaceholder_) - 1);
    connect(file, &QMenu::aboutToShow, this, [this] { updateCommandStates(); });

    auto* alignment = bar->addMenu("&Alignment");
    for (const auto& submenu : kAlignmentMenu) {
        if (!submenu) {
            alignment->addSeparator();
            continue;
        }
        auto* sub = alignment->addMenu(QString::fromUtf8(
            submenu->title.data(), static_cast<qsizetype>(submenu->title.size())));
        addEntries(sub, submenu->entries);
        sub->menuAction()->setData(submenu->entries.front().command);
        alignmentSubmenus_.push_back(sub->menuAction());
    }
    addEntries(alignment, kAlignmentMenuTail);
    connect(alignment, &QMenu::aboutToShow, this, [this] { updateCommandStates(); });

    auto* utilities = bar->addMenu("&Utilities");
    addEntries(utilities, kUtilitiesMenu);
    auto* help = bar->addMenu("&Help");
    addEntries(help, kHelpMenu);
    for (auto* menu : {file, alignment, utilities, help}) {
        menus_[menu->title()] = menu;
    }

    for (const int command : kToolbar) {
        if (command == 0) {
            mainFrame_->toolBar()->addSeparator();
        } else {
            actions_.at(command)->setIcon(commandIcon(command));
            mainFrame_->toolBar()->addAction(actions_.at(command));
        }
    }
}

QAction* CPelionTunerApp::action(int command) const {
    const auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

QMenu* CPelionTunerApp::menu(const QString& title) const {
    const auto it = menus_.find(title);
    return it == menus_.end() ? nullptr : it->second;
}

void CPelionTunerApp::updateCommandStates() {
    if (!mainFrame_) {
        return;
    }
    auto state = commandState(core_);
    state.reportViewActive = reportView() != nullptr;
    state.recentFilesPresent = !recentFiles().isEmpty();
    for (const auto& [command, action] : actions_) {
        action->setEnabled(commandEnabled(command, state));
    }
    // A restore is a load: it may happen when a load may.
    if (historyWindow_ != nullptr) {
        historyWindow_->setRestoreAllowed(commandEnabled(kCmdLoadArchive, state));
    }
    // A submenu item takes the rule of its first command.
    for (auto* submenu : alignmentSubmenus_) {
        submenu->setEnabled(commandEnabled(submenu->data().toInt(), state));
    }
    refreshRecentFiles();
}

// --- Commands --------------------------------------------------------------------------------

void CPelionTunerApp::runCommand(int command) {
    switch (command) {
    case kCmdLoadArchive:
        loadCommand();
        break;
    case kCmdSaveArchive:
        saveCommand();
        break;
    case kCmdReadRadio:
        readCommand();
        break;
    case kCmdProgramAll:
        programAllCommand();
        break;
    case kCmdDisplayTuning:
        displayTuningCommand();
        break;
    case kCmdExportPdf:
        exportPdfCommand();
        break;
    case kCmdPrint:
    case kCmdPrintPreview:
    case kCmdPrintSetup:
        printCommand(command);
        break;
    case kCmdExit:
        mainFrame_->close();
        break;
    case kCmdUsingHelp:
        showHelpFor(0);
        break;
    case kCmdAbout: {
        CAboutDlg about(mainFrame_.get());
        about.exec();
        break;
    }
    case kCmdReset:
        resetRadioCommand(UserInterface{messages(), cursor_, *this});
        break;
    case kCmdFwVersion:
        firmwareVersionCommand(UserInterface{messages(), cursor_, *this});
        break;
    case kCmdHistory:
        historyCommand();
        break;
    case kCmdAutoAlignAll: {
        // Every screen in the table's order; the aligner lists those the radio does not have as
        // unsupported without touching it, as the command line's --all does.
        std::vector<const AlignmentTypeInfo*> types;
        for (const auto& type : kAlignmentTypes) {
            types.push_back(&type);
        }
        startAutotune(std::move(types));
        break;
    }
    default:
        if (screenCommand(command) != nullptr) {
            openScreen(command);
        }
        break;
    }
    updateCommandStates();
}

void CPelionTunerApp::loadCommand() {
    const auto path = dialogs_->openArchive(mainFrame_.get());
    if (!path.isEmpty()) {
        core_.loadArchiveWithConfirmation(path.toStdString());
    }
}

void CPelionTunerApp::loadDroppedFile(const QString& path) {
    core_.loadArchiveWithConfirmation(path.toStdString());
    updateCommandStates();
}

void CPelionTunerApp::saveCommand() {
    const auto path = dialogs_->saveArchive(mainFrame_.get());
    if (!path.isEmpty()) {
        core_.saveArchiveFile(path.toStdString());
    }
}

void CPelionTunerApp::readCommand() {
    QDir::setCurrent(programDir_);
    openProgress(kReadingText);
}

void CPelionTunerApp::programAllCommand() {
    if (!core_.programAllChecks()) {
        return;
    }
    QDir::setCurrent(programDir_);
    openProgress(kWritingText);
}

void CPelionTunerApp::rereadRadio() {
    core_.screenClosed();
    closeScreenIfIdle();
    readCommand();
}

void CPelionTunerApp::displayTuningCommand() {
    const auto path = core_.writeReportFile();
    if (!path) {
        return;
    }
    const bool opened = openDocumentFile(QString::fromStdString(path->string()));
    core_.reportShown(opened);
}

void CPelionTunerApp::exportPdfCommand() {
    const auto path = dialogs_->saveReportPdf(mainFrame_.get());
    if (path.isEmpty()) {
        return;
    }
    QString error;
    {
        BusyCursorGuard busy(cursor_);
        // The paper of File > Print Setup, so that the PDF prints as the report would.
        error = writePdfReport(core_.record(), path, printer_.pageLayout().pageSize());
    }
    if (!error.isEmpty()) {
        messages().showMessage(error.toStdString(), "ERROR", MessageIcon::Exclamation);
        return;
    }
    mainFrame_->statusBar()->showMessage(QStringLiteral("Report saved as %1").arg(path),
                                         static_cast<int>(kStatusNoteTimeout.count()));
}

void CPelionTunerApp::historyCommand() {
    if (historyWindow_ == nullptr) {
        historyWindow_ = new CHistoryWindow(recorder_->urlText(), *this, mainFrame_.get());
    }
    historyWindow_->refresh();
    if (historyWindow_->isMinimized()) {
        historyWindow_->showNormal();
    } else {
        historyWindow_->show();
    }
    historyWindow_->raise();
    historyWindow_->activateWindow();
}

bool CPelionTunerApp::restoreFromHistory(const radioRecord& record) {
    const bool loaded = core_.loadRecordWithConfirmation(record);
    updateCommandStates();
    return loaded;
}

void CPelionTunerApp::exportFromHistory(const radioRecord& record, QWidget* owner) {
    const auto path = dialogs_->saveArchive(owner);
    if (path.isEmpty()) {
        return;
    }
    // A core of its own saves the snapshot, so that the record in memory stays as it is while
    // the save's key, checks, messages and recent-file entry are those of File > Save.
    applicationCore exporter(ApplicationServices{*messages_, cursor_, *this, pause_, *this});
    exporter.record() = record;
    exporter.saveArchiveFile(path.toStdString());
    updateCommandStates();
}

void CPelionTunerApp::reportClosed() {
    core_.reportClosed();
    updateCommandStates();
}

CPelionTunerView* CPelionTunerApp::reportView() const {
    auto* active = mainFrame_ ? mainFrame_->mdiArea()->activeSubWindow() : nullptr;
    return qobject_cast<CChildFrame*>(active) != nullptr
               ? qobject_cast<CPelionTunerView*>(active->widget())
               : nullptr;
}

void CPelionTunerApp::printCommand(int command) {
    if (command == kCmdPrintSetup) {
        QPageSetupDialog setup(&printer_, mainFrame_.get());
        setup.exec();
        return;
    }
    auto* view = reportView();
    if (view == nullptr) {
        return;
    }
    if (command == kCmdPrint) {
        QPrintDialog dialog(&printer_, mainFrame_.get());
        if (dialog.exec() == QDialog::Accepted) {
            view->printTo(&printer_);
        }
        return;
    }
    QPrintPreviewDialog preview(&printer_, mainFrame_.get());
    connect(&preview, &QPrintPreviewDialog::paintRequested, view, &CPelionTunerView::printTo);
    preview.exec();
}

bool CPelionTunerApp::printReportTo(const QString& pdfPath) {
    auto* view = reportView();
    if (view == nullptr) {
        return false;
    }
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(pdfPath);
    view->printTo(&pdf);
    return QFileInfo::exists(pdfPath);
}

// --- The progress screen ---------------------------------------------------------------------

bool CPelionTunerApp::openProgress(const QString& operationText) {
    auto* frame = new CCommonSplashFrame;
    progressFrame_ = frame;
    mainFrame_->mdiArea()->addSubWindow(frame);
    frame->setGeometry(kProgressLeft, kProgressTop, kProgressRight - kProgressLeft,
                       kProgressBottom - kProgressTop);
    auto* view = new CSplashRWView;
    view->setSources(programDir_ + "/title.bmp", operationText);
    frame->setWidget(view);
    frame->show();
    view->initialUpdate();
    progressView_ = view;
    connect(view, &CSplashRWView::startFlow, this, &CPelionTunerApp::runProgressFlow);
    return true;
}

void CPelionTunerApp::runProgressFlow(bool writing) {
    if (progressView_ == nullptr) {
        return;
    }
    if (writing) {
        core_.programFlow(*progressView_);
    } else {
        core_.readFlow(*progressView_);
    }
    closeProgress();
    updateCommandStates();
}

void CPelionTunerApp::closeProgress() {
    if (progressFrame_ != nullptr) {
        progressFrame_->close();
        progressFrame_ = nullptr;
        progressView_ = nullptr;
    }
}

// --- Screens -----------------------------------------------------------------------------------

bool CPelionTunerApp::openScreen(int command) {
    const auto* screen = screenCommand(command);
    if (screen == nullptr) {
        return false;
    }
    if (command == kCmdProgramSerialNo && core_.record().serialNo() != kBlankSerialNo) {
        messages().showMessage(kSerialNotBlankText, " NOTE", MessageIcon::Information);
        return false;
    }
    if (core_.currentScreenId() != 0) {
        if (core_.currentScreenId() != screen->screenId) {
            messages().showMessage(kScreenOpenText, " NOTE", MessageIcon::Information);
        }
        return false;
    }
    auto* frame = new CCommonFrame;
    screenFrame_ = frame;
    frame->setWindowTitle(
        QString::fromUtf8(screen->title.data(), static_cast<qsizetype>(screen->title.size())));
    mainFrame_->mdiArea()->addSubWindow(frame);
    frame->setGeometry(screen->left, screen->top, screen->right - screen->left,
                       screen->bottom - screen->top);
    frame->show();

    const auto factory = screenFactories().find(command);
    screens::IScreenView* view = factory != screenFactories().end() ? factory->second() : nullptr;
    if (view == nullptr) {
        closeScreenIfIdle();
        return false;
    }
    frame->setWidget(view->widget());
    if (command == kCmdRadioSetup) {
        QDir::setCurrent(programDir_);
    }
    if (!view->attachScreen(*this)) {
        core_.screenClosed();
        closeScreen();
        return false;
    }
    screenView_ = view;
    connect(frame, &CCommonFrame::closing, this, [this] {
        // The user closed the frame: the screen leaves its test state before it goes.
        screenFrame_ = nullptr;
        if (auto* closing = std::exchange(screenView_, nullptr)) {
            closing->endTuning();
        }
        core_.screenClosed();
        updateCommandStates();
    });
    view->widget()->show();
    view->afterShow();
    mainFrame_->mdiArea()->setActiveSubWindow(frame);
    return true;
}

void CPelionTunerApp::closeScreen() {
    // A screen that attached leaves its test state first; its endTuning may call back here.
    if (auto* closing = std::exchange(screenView_, nullptr)) {
        closing->endTuning();
    }
    if (screenFrame_ != nullptr) {
        auto* frame = screenFrame_.data();
        screenFrame_ = nullptr;
        frame->disconnect(this);
        frame->close();
    }
    core_.screenClosed();
}

void CPelionTunerApp::closeScreenIfIdle() {
    if (core_.currentScreenId() == 0) {
        closeScreen();
    }
}

// --- Automatic alignment ------------------------------------------------------------------------

struct preparedAutotune {
    std::vector<const AlignmentTypeInfo*> types;
    alignmentLimits limits;
    std::unique_ptr<IServiceMonitor> monitor;
    QString identity;
    autoAlignSettings settings;
};

void CPelionTunerApp::autoAlign(AlignmentType type) {
    startAutotune({&alignmentType(type)});
}

bool CPelionTunerApp::startAutotune(std::vector<const AlignmentTypeInfo*> types) {
    if (autotuneWindow_ != nullptr && autotuneWindow_->running()) {
        return false;
    }
    const auto setup = autotuneSetup_->ask(mainFrame_.get());
    if (!setup) {
        return false;
    }
    const auto refuse = [this](const QString& text) {
        messages().showMessage(text.toStdString(), "ERROR", MessageIcon::Exclamation);
        return false;
    };
    // Everything that can be refused is refused while the screen is still open and the radio
    // untouched, as the command line does.
    auto limits = alignmentLimits::load(setup->limitsPath.toStdString());
    if (!limits.limits) {
        return refuse(QString::fromStdString(limits.error));
    }
    if (const auto missing = limits.limits->missingFor(types); !missing.empty()) {
        return refuse(QString::fromStdString(missing));
    }
    auto opened = openServiceMonitor(setup->address, setup->profile);
    if (!opened.monitor) {
        return refuse(opened.error);
    }
    auto prepared = std::make_shared<preparedAutotune>();
    try {
        BusyCursorGuard busy(cursor_);
        prepared->identity = QString::fromStdString(opened.monitor->identify());
    } catch (const instrumentFailure& failure) {
        return refuse(QStringLiteral("The service monitor does not answer: %1")
                          .arg(QString::fromStdString(failure.what())));
    }
    prepared->types = std::move(types);
    prepared->limits = std::move(*limits.limits);
    prepared->monitor = std::move(opened.monitor);
    prepared->settings.settle = setup->settle;

    // The aligner opens a session of its own on each screen; the open screen's session would
    // fight it over the radio's test mode and key. So the screen ends as its close box ends it,
    // and the run starts once the event that asked for it (a click on the screen's Auto Tune) is
    // over and the screen is gone. Nothing is reopened: the results window tells what happened.
    closeScreen();
    updateCommandStates();
    if (autotuneWindow_ == nullptr) {
        autotuneWindow_ = new CAutotuneWindow(mainFrame_.get());
        connect(autotuneWindow_, &CAutotuneWindow::printRequested, this,
                &CPelionTunerApp::printAutotuneResults);
        connect(autotuneWindow_, &CAutotuneWindow::exportPdfRequested, this,
                &CPelionTunerApp::exportAutotunePdf);
    }
    autotuneWindow_->start(prepared->identity);
    QTimer::singleShot(0, this, [this, prepared] { runAutotune(prepared); });
    return true;
}

void CPelionTunerApp::runAutotune(const std::shared_ptr<preparedAutotune>& prepared) {
    if (autotuneWindow_ == nullptr) {
        return;
    }
    auto* window = autotuneWindow_.data();
    const radioRecord before = core_.record();
    autoAligner aligner(core_, *prepared->monitor, prepared->limits,
                        SessionServices{messages(), cursor_, *window}, *window, *window,
                        prepared->settings, [window] { return window->cancelRequested(); });
    const auto run = alignScreens(aligner, prepared->types);
    recordAutotune(core_, before, run.results, run.stop);
    window->finish(run, core_.record());
    updateCommandStates();
}

void CPelionTunerApp::printAutotuneResults() {
    if (autotuneWindow_ == nullptr) {
        return;
    }
    QPrintDialog dialog(&printer_, autotuneWindow_);
    if (dialog.exec() == QDialog::Accepted &&
        !paintAutotuneResults(printer_, autotuneWindow_->sheet())) {
        messages().showMessage("The results could not be printed", "ERROR",
                               MessageIcon::Exclamation);
    }
}

void CPelionTunerApp::exportAutotunePdf() {
    if (autotuneWindow_ == nullptr) {
        return;
    }
    const auto path = dialogs_->saveReportPdf(autotuneWindow_);
    if (path.isEmpty()) {
        return;
    }
    QString error;
    {
        BusyCursorGuard busy(cursor_);
        error = writeAutotuneResultsPdf(autotuneWindow_->sheet(), path,
                                        printer_.pageLayout().pageSize());
    }
    if (!error.isEmpty()) {
        messages().showMessage(error.toStdString(), "ERROR", MessageIcon::Exclamation);
        return;
    }
    mainFrame_->statusBar()->showMessage(QStringLiteral("Results saved as %1").arg(path),
                                         static_cast<int>(kStatusNoteTimeout.count()));
}

// --- Recent files and opening by name ------------------------------------------------------------

QStringList CPelionTunerApp::recentFiles() const {
    auto store = settings();
    store.beginGroup(kRecentGroup);
    QStringList files;
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        const auto file = store.value(QString("File%1").arg(i)).toString();
        if (!file.isEmpty()) {
            files.push_back(file);
        }
    }
    return files;
}

void CPelionTunerApp::setRecentFiles(const QStringList& files) {
    auto store = settings();
    store.beginGroup(kRecentGroup);
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        const auto key = QString("File%1").arg(i);
        if (i <= files.size()) {
            store.setValue(key, files.at(i - 1));
        } else {
            store.remove(key);
        }
    }
}

void CPelionTunerApp::addRecentFile(const std::filesystem::path& path) {
    const auto file =
        QDir::cleanPath(QFileInfo(QString::fromStdString(path.string())).absoluteFilePath());
    auto files = recentFiles();
    files.removeAll(file);
    files.prepend(file);
    while (files.size() > kMaxRecentFiles) {
        files.removeLast();
    }
    setRecentFiles(files);
    refreshRecentFiles();
}

// The File menu holds "Recent File" and the separator above it only while the list has entries;
// the entries then stand in the placeholder's place.
void CPelionTunerApp::refreshRecentFiles() {
    if (recentPlaceholder_ == nullptr) {
        return;
    }
    auto* file = menu("&File");
    for (auto* entry : recentEntries_) {
        file->removeAction(entry);
        entry->deleteLater();
    }
    recentEntries_.clear();
    const auto files = recentFiles();
    if (files.isEmpty()) {
        if (!recentItemRemoved_) {
            recentPlaceholder_->setVisible(false);
            recentSeparator_->setVisible(false);
            recentItemRemoved_ = true;
        }
        return;
    }
    if (recentItemRemoved_) {
        recentItemRemoved_ = false;
        recentSeparator_->setVisible(true);
    }
    recentPlaceholder_->setVisible(false);
    for (int i = 0; i < files.size(); ++i) {
        auto* entry = new QAction(QString("&%1 %2").arg(i + 1).arg(files.at(i)), file);
        entry->setStatusTip(recentPlaceholder_->statusTip());
        const auto path = files.at(i);
        connect(entry, &QAction::triggered, this, [this, path] {
            openDocumentFile(path);
            updateCommandStates();
        });
        file->insertAction(recentPlaceholder_, entry);
        recentEntries_.push_back(entry);
    }
}

bool CPelionTunerApp::openDocumentFile(const QString& path) {
    if (path.contains(kReportFileName)) {
        CPelionTunerDoc document;
        if (!document.open(path)) {
            return false;
        }
        auto* frame = new CChildFrame;
        auto* view = new CPelionTunerView;
        view->showDocument(document);
        frame->setWidget(view);
        frame->setWindowTitle(document.title());
        connect(frame, &CChildFrame::reportClosed, this, &CPelionTunerApp::reportClosed);
        mainFrame_->mdiArea()->addSubWindow(frame);
        frame->show();
        mainFrame_->mdiArea()->setActiveSubWindow(frame);
        // The report never stays in the recent-file list.
        auto files = recentFiles();
        if (!files.isEmpty() && files.front() == path) {
            files.removeFirst();
            setRecentFiles(files);
        }
        updateCommandStates();
        return true;
    }
    core_.loadArchiveByName(path.toStdString());
    if (!core_.archiveLoaded()) {
        auto files = recentFiles();
        files.removeAll(path);
        setRecentFiles(files);
    }
    updateCommandStates();
    return core_.archiveLoaded();
}

std::chrono::seconds CPelionTunerApp::transmitWatchdog() const {
    bool valid = false;
    const auto seconds =
        settings()
            .value(kWatchdogKey, static_cast<qlonglong>(kDefaultTransmitWatchdog.count()))
            .toLongLong(&valid);
    return valid && seconds >= 0 ? std::chrono::seconds(seconds) : kDefaultTransmitWatchdog;
}

void CPelionTunerApp::showNote(const std::string& text) {
    setStatusText(text);
}

void CPelionTunerApp::setStatusText(const std::string& text) {
    if (mainFrame_) {
        mainFrame_->setStatusText(QString::fromStdString(text));
    }
}

// --- Help
// ------------------------------------------------------------------------------------------

void CPelionTunerApp::showHelpFor(int screenId) {
    showHelp(programDir_ + "/" + kHelpBundleName, screenId);
}

bool CPelionTunerApp::eventFilter(QObject* watched, QEvent* event) {
    // F1 anywhere in the application — windows, dialogs, message boxes — opens the topic of the
    // screen that is open.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        // The History window is no screen; F1 in it opens its own page.
        const auto* window = static_cast<QWidget*>(watched)->window();
        const bool inHistory = historyWindow_ != nullptr && window == historyWindow_.data();
        const bool inAutotune = autotuneWindow_ != nullptr && window == autotuneWindow_.data();
        showHelpFor(inHistory    ? kHistoryWindowId
                    : inAutotune ? kAutotuneWindowId
                                 : core_.currentScreenId());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kavrin::shell
