// The application shell under the offscreen platform: menus and toolbar, enabling, the progress
// screen reading a virtual radio, one screen at a time, recent files, archives from the command
// line and from a drop, F1 help, and the read-only report window that prints.
#include "data/archive.h"
#include "link/exceptions.h"
#include "link/radio_link.h"
#include "shell/application.h"
#include "shell/commands.h"
#include "shell/help_window.h"
#include "shell/installation.h"
#include "shell/qt_user_interface.h"
#include "support/isolated_settings.h"
#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <QAccessible>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QtTest>

namespace kavrin::shell {
namespace {

class FakeDialogs final : public IFileDialogs {
public:
    QString openArchive(QWidget*) override { return openPath; }
    QString saveArchive(QWidget*) override { return savePath; }
    QString saveReportPdf(QWidget*) override { return pdfPath; }
    QString openPath;
    QString savePath;
    QString pdfPath;
};

// A screen that only takes its id, standing in for the real screens.
class StandInScreen final : public QWidget, public screens::IScreenView {
public:
    explicit StandInScreen(int id) : id_(id) {}
    QWidget* widget() override { return this; }
    bool attachScreen(screens::IScreenHost& host) override {
        host.core().screenOpened(id_);
        return true;
    }

private:
    int id_;
};

// Messages that come up as real boxes, in which the user presses F1: whether the box itself got
// the key tells whether anything answered it first.
class F1InBoxes final : public IUserMessages {
public:
    void showMessage(const std::string& text, const std::string&, MessageIcon) override {
        QMessageBox box(QMessageBox::Information, "NOTE", QString::fromStdString(text));
        box.show();
        F1Watch watch;
        box.installEventFilter(&watch);
        QTest::keyClick(&box, Qt::Key_F1);
        boxesShown << QString::fromStdString(text);
        boxGotF1 << watch.seen;
    }
    Answer ask(const std::string&, const std::string&, MessageIcon) override {
        return Answer::Cancel;
    }
    QStringList boxesShown;
    QList<bool> boxGotF1;

private:
    struct F1Watch final : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::KeyPress &&
                static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
                seen = true;
            }
            return false;
        }
        bool seen = false;
    };
};

QString accessibleName(QWidget* widget) {
    auto* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString("(none)");
}

// The widest line of a text in a view's font with its tab stops, laid out on its own.
int widestLine(const QPlainTextEdit& view) {
    QTextOption option;
    option.setTabStopDistance(view.tabStopDistance());
    qreal widest = 0;
    for (const auto& line : view.toPlainText().split('\n')) {
        QTextLayout layout(line, view.font());
        layout.setTextOption(option);
        layout.beginLayout();
        auto textLine = layout.createLine();
        textLine.setLineWidth(1e6);
        layout.endLayout();
        widest = std::max(widest, textLine.naturalTextWidth());
    }
    return static_cast<int>(std::ceil(widest));
}

QStringList visibleTexts(QMenu* menu) {
    QStringList texts;
    for (auto* action : menu->actions()) {
        if (action->isVisible()) {
            texts << (action->isSeparator() ? QString("-") : action->text());
        }
    }
    return texts;
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::isolateSettings(); }

    void init() {
        QSettings(kSettingsOrganization, kSettingsApplication).clear();
        ports = std::make_unique<test::IsolatedPorts>();
        messages = std::make_unique<test::RecordingMessages>();
    }

    void cleanup() {
        app.reset();
        radio.reset();
        ports.reset();
    }

    // The no-device box keeps its text; the failed search's diagnosis is behind "Show
    // Details...", once, and only a warning takes it.
    void linkFailureBoxCarriesTheDiagnosisAsItsDetails() {
        bool failed = false;
        {
            const ScopedUserMessages scope(*messages);
            try {
                radioLink link;
            } catch (const GeneralCommunicationError&) {
                failed = true;
            }
        }
        QVERIFY(failed);
        const auto information =
            makeMessageBox("Note", "Kavrin", MessageIcon::Information, QMessageBox::Ok, nullptr);
        QVERIFY(information->detailedText().isEmpty());
        const auto box =
            makeMessageBox("No device detected. Please check the connection.", "Kavrin",
                           MessageIcon::Exclamation, QMessageBox::Ok, nullptr);
        QCOMPARE(box->text(), QString("No device detected. Please check the connection."));
        QVERIFY2(box->detailedText().startsWith("PROBLEM  No CP210x USB-UART bridge"),
                 qPrintable(box->detailedText()));
        const auto next =
            makeMessageBox("Other", "Kavrin", MessageIcon::Exclamation, QMessageBox::Ok, nullptr);
        QVERIFY(next->detailedText().isEmpty());
    }

    void menusToolbarAndCaption() {
        start();
        QCOMPARE(app->mainFrame()->windowTitle(), QString("Kavrin"));
        QStringList titles;
        for (auto* action : app->mainFrame()->menuBar()->actions()) {
            titles << action->text();
        }
        QCOMPARE(titles, (QStringList{"&File", "&Alignment", "&Utilities", "&Help"}));
        QCOMPARE(visibleTexts(app->menu("&File")),
                 (QStringList{"&Load Archive File", "&Save Archive File", "-",
                              "Read Radio &Information and Softpots", "Program &All", "-",
                              "&Display Tuning Parameters", "&Export Report as PDF…", "&Print...",
                              "Print P&review", "Print Set&up...", "-", "Exit"}));
        QCOMPARE(visibleTexts(app->menu("&Alignment")),
                 (QStringList{"Tx &Power", "Tx &Modulation", "Tx Si&gnaling System", "-",
                              "Rx S&quelch", "-", "A&uto Align All..."}));
        QCOMPARE(
            visibleTexts(app->menu("&Utilities")),
            (QStringList{"&Program Serial No.", "-", "&Reset", "-", "&FW Version", "&History..."}));
        QCOMPARE(visibleTexts(app->menu("&Help")),
                 (QStringList{"Radio &Setup", "Using &help", "-", "&About Kavrin..."}));
        QStringList toolbar;
        for (auto* action : app->mainFrame()->toolBar()->actions()) {
            toolbar << (action->isSeparator() ? QString("-") : action->toolTip());
        }
        QCOMPARE(toolbar, (QStringList{"Load Archive File", "Save Archive File", "-",
                                       "Read Radio Information and Softpots", "Program All", "-",
                                       "Print", "-", "About"}));
        for (const auto& [command, tip] :
             std::map<int, QString>{{kCmdReadRadio, "Reads all radio particulars into memory"},
                                    {kCmdExportPdf, "Saves the tuning report as a PDF file"},
                                    {kCmdHistory, "Show every radio's stored alignment history"}}) {
            QCOMPARE(app->action(command)->statusTip(), tip);
        }
        QCOMPARE(app->mainFrame()->statusText(), QString("Ready"));
        QVERIFY(app->action(kCmdLoadArchive)->shortcut().isEmpty());
    }

    void beforeAnyDataOnlyTheAlwaysCommandsAndLoadAndReadWork() {
        start();
        for (const auto& [command, enabled] :
             std::map<int, bool>{{kCmdLoadArchive, true},
                                 {kCmdReadRadio, true},
                                 {kCmdSaveArchive, false},
                                 {kCmdProgramAll, false},
                                 {kCmdTxHighPower, false},
                                 {kCmdRxSquelch20KbandTight, false},
                                 {kCmdProgramSerialNo, false},
                                 {kCmdReset, false},
                                 {kCmdRadioSetup, true},
                                 {kCmdUsingHelp, true},
                                 {kCmdAbout, true}}) {
            QVERIFY2(app->action(command)->isEnabled() == enabled,
                     qPrintable(QString::number(command)));
        }
        for (auto* submenu : app->menu("&Alignment")->actions()) {
            QVERIFY(submenu->isSeparator() || !submenu->isEnabled());
        }
    }

    void readFromTheMenuRunsBehindTheProgressScreen() {
        radio = std::make_unique<test::SimRadio>(*ports, QStringList{"--layout", "standard"});
        start();
        app->action(kCmdReadRadio)->trigger();
        auto* view = app->progressView();
        QVERIFY(view != nullptr);
        auto* frame = qobject_cast<QMdiSubWindow*>(view->parentWidget());
        QVERIFY(frame != nullptr);
        QCOMPARE(frame->geometry(), QRect(30, 30, 458, 388));
        QVERIFY(frame->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(view->operationText(), QString("Reading Softpots from radio..."));
        QSignalSpy texts(view, &CSplashRWView::percentTextChanged);
        QTRY_VERIFY_WITH_TIMEOUT(app->progressView() == nullptr, 15000);
        QStringList seen;
        for (const auto& call : texts) {
            seen << call.at(0).toString();
        }
        QCOMPARE(seen, (QStringList{"3% Complete", "6% Complete", "10% Complete", "26% done",
                                    "52% done", "78% done", "100% Complete"}));
        QCOMPARE(messages->texts().back(), std::string("Radio has been successfully read !!"));
        QVERIFY(app->mainFrame()->statusText().startsWith("Radio Serial No: KV00012345"));
        QVERIFY(app->action(kCmdTxHighPower)->isEnabled());
        QVERIFY(!app->action(kCmdTxKtd125)->isEnabled()); // standard layout
        QVERIFY(!app->menu("&Alignment")->actions().at(2)->isEnabled());
        QVERIFY(app->action(kCmdProgramSerialNo)->isEnabled());
    }

    void oneScreenAtATime() {
        start();
        QVERIFY(app->openScreen(kCmdTxHighPower));
        QCOMPARE(app->core().currentScreenId(), 2);
        QCOMPARE(app->screenFrame()->windowTitle(), QString("Tx High Power"));
        QCOMPARE(app->screenFrame()->geometry(), QRect(30, 30, 816, 400));
        QVERIFY(!app->openScreen(kCmdTxHighPower));
        QVERIFY2(messages->shown.empty(), "the open screen's own command does nothing");
        QVERIFY(!app->openScreen(kCmdTxLowPower));
        QCOMPARE(messages->shown.back(),
                 (test::ShownMessage{"Current window still open! Please close first!", " NOTE",
                                     MessageIcon::Information, false}));
        app->core().record().setSerialNo("KV00012345");
        QVERIFY(!app->openScreen(kCmdProgramSerialNo));
        QCOMPARE(messages->texts().back(), std::string("Serial No. is not blank"));

        app->screenFrame()->close();
        QCOMPARE(app->core().currentScreenId(), 0);
        QVERIFY(app->openScreen(kCmdTxLowPower));
        app->closeScreen();
        QCOMPARE(app->core().currentScreenId(), 0);
        // A screen that cannot attach (no radio here) closes its frame again.
        QVERIFY(!app->openScreen(kCmdRxSquelchNbandNormal));
        QVERIFY(app->screenFrame() == nullptr);
    }

    void recentFilesFillThePlaceholderAndTheReportNeverStays() {
        start();
        const QStringList emptyTail{"Print Set&up...", "-", "Exit"};
        QCOMPARE(visibleTexts(app->menu("&File")).mid(10), emptyTail);

        const auto archive = saveSampleArchive("a.spa");
        dialogs.openPath = archive;
        messages->answers = {Answer::Ok};
        app->runCommand(kCmdLoadArchive);
        QVERIFY(app->core().archiveLoaded());
        QCOMPARE(app->recentFiles(), QStringList{archive});
        QCOMPARE(visibleTexts(app->menu("&File")).mid(10),
                 (QStringList{"Print Set&up...", "-", "&1 " + archive, "-", "Exit"}));

        dialogs.savePath = dir.filePath("b.spa");
        app->runCommand(kCmdSaveArchive);
        QCOMPARE(app->recentFiles(), (QStringList{dialogs.savePath, archive}));

        app->runCommand(kCmdDisplayTuning);
        QVERIFY(app->reportView() != nullptr);
        QVERIFY(!app->recentFiles().join(' ').contains("display.txt"));
    }

    void commandLineArchiveLoadsWithoutAskingAndADropAsksFirst() {
        const auto archive = saveSampleArchive("c.spa");
        start({"kavrin", archive});
        QVERIFY(app->core().archiveLoaded());
        QCOMPARE(messages->texts(), std::vector<std::string>{"Tuning data has been loaded."});

        messages->shown.clear();
        messages->answers = {Answer::Ok};
        QVERIFY(app->mainFrame()->acceptDrops());
        QVERIFY(app->mainFrame()->dropUrls(
            {QUrl::fromLocalFile(archive), QUrl::fromLocalFile(dir.filePath("x.spa"))}));
        QCOMPARE(messages->texts(), (std::vector<std::string>{"Initialize radio data?",
                                                              "Tuning data has been loaded."}));
    }

    void f1ShowsTheTopicOfTheOpenScreen_data() {
        QTest::addColumn<int>("screenId");
        QTest::addColumn<QString>("page");
        QTest::newRow("none") << 0 << "index.htm";
        QTest::newRow("Tx low power") << 3 << "TX_Power.htm";
        QTest::newRow("Tx modulation") << 5 << "TX_Modulation.htm";
        QTest::newRow("Rx squelch 20 kHz") << 17 << "RX_Squelch.htm";
        QTest::newRow("serial number") << 15 << "Utilities.htm";
        QTest::newRow("KTD") << 19 << "TX_Signaling_System.htm";
        QTest::newRow("report") << 100 << "index.htm";
    }

    void f1ShowsTheTopicOfTheOpenScreen() {
        QFETCH(int, screenId);
        QFETCH(QString, page);
        start();
        app->core().screenOpened(screenId);
        QTest::keyClick(app->mainFrame(), Qt::Key_F1);
        QVERIFY(helpWindow().currentSource().path().endsWith("Kavrin.chm/" + page) ||
                helpWindow().currentSource().path().endsWith("/" + page));
        QVERIFY(helpWindow().currentSource().path().contains("Kavrin.chm"));
    }

    // Loading the archive named on the command line may show boxes before the window is used;
    // F1 in them opens the help as it does everywhere else.
    void f1AnswersInTheBoxesOfTheCommandLineArchive() {
        const auto archive = saveSampleArchive("f.spa");
        helpWindow().hide();
        F1InBoxes boxes;
        app = std::make_unique<CPelionTunerApp>(QStringList{"kavrin", archive},
                                                AppSeams{&boxes, &dialogs});
        QVERIFY(app->initInstance());
        QCOMPARE(boxes.boxesShown, QStringList{"Tuning data has been loaded."});
        QCOMPARE(boxes.boxGotF1, QList<bool>{false});
        QVERIFY(helpWindow().isVisible());
        QVERIFY(helpWindow().currentSource().path().endsWith("/index.htm"));
    }

    // The report opens showing its widest line whole and most of the area's height; a narrower
    // window scrolls sideways instead of wrapping. The caption names it while it is active.
    void reportWindowShowsItsWidthAndTheCaptionNamesIt() {
        start({"kavrin", saveSampleArchive("g.spa")});
        app->mainFrame()->resize(1280, 900);
        QCoreApplication::processEvents();
        app->runCommand(kCmdDisplayTuning);
        auto* view = app->reportView();
        QVERIFY(view != nullptr);
        auto* frame = app->mainFrame()->mdiArea()->activeSubWindow();
        const auto area = app->mainFrame()->mdiArea()->viewport()->rect();
        QCOMPARE(app->mainFrame()->windowTitle(), QString("Kavrin - [display.txt]"));
        QCOMPARE(accessibleName(view), QString("Tuning report"));

        const int margins = 2 * static_cast<int>(std::ceil(view->document()->documentMargin()));
        QVERIFY2(
            view->viewport()->width() >= widestLine(*view) + margins,
            qPrintable(QString("%1 < %2").arg(view->viewport()->width()).arg(widestLine(*view))));
        QVERIFY(area.contains(frame->geometry()));
        QVERIFY2(frame->height() >= area.height() * 3 / 4,
                 qPrintable(QString("%1 of %2").arg(frame->height()).arg(area.height())));
        QVERIFY(!view->horizontalScrollBar()->isVisible());

        frame->resize(frame->width() / 2, frame->height());
        QCoreApplication::processEvents();
        QVERIFY(view->horizontalScrollBar()->isVisible());
        QVERIFY(view->horizontalScrollBar()->maximum() > 0);
        QCOMPARE(view->lineWrapMode(), QPlainTextEdit::NoWrap);

        // Maximized, the report is named once, and still after it is restored.
        frame->showMaximized();
        QCOMPARE(app->mainFrame()->windowTitle(), QString("Kavrin - [display.txt]"));
        frame->showNormal();
        QCOMPARE(app->mainFrame()->windowTitle(), QString("Kavrin - [display.txt]"));
        frame->close();
        QCOMPARE(app->mainFrame()->windowTitle(), QString("Kavrin"));
        // A screen is no document: the caption stays the program's while it is active.
        QVERIFY(app->openScreen(kCmdTxHighPower));
        QCOMPARE(app->mainFrame()->mdiArea()->activeSubWindow(), app->screenFrame());
        QCOMPARE(app->mainFrame()->windowTitle(), QString("Kavrin"));
    }

    // Assistive tools read the percentage the progress screen shows, not a fixed name.
    void progressPercentageIsReadAsItsText() {
        CSplashRWView view;
        view.setSources(QString(), kReadingText);
        view.initialUpdate();
        auto* percent = view.findChild<QLabel*>("percentText");
        QVERIFY(percent != nullptr);
        for (const char* text : {"3% Complete", "26% done", "100% Complete"}) {
            view.setPercentText(text);
            QCOMPARE(accessibleName(percent), QString(text));
        }
    }

    // Archives are named ".spa" when the user types no extension, and the dialogs start where
    // the last archive was chosen, or in the documents folder, never in the program's folder.
    void archiveDialogsStartInTheLastFolderAndSaveAsSpa() {
        const auto documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QVERIFY(QDir().mkpath(documents));
        const QTemporaryDir chosen;
        QCOMPARE(archiveStartFolder(), documents);
        QVERIFY(archiveStartFolder() != QDir::currentPath());
        for (const auto mode : {ArchiveDialogMode::Load, ArchiveDialogMode::Save}) {
            const auto dialog = makeArchiveDialog(nullptr, mode);
            QCOMPARE(dialog->directory().absolutePath(), QDir(documents).absolutePath());
            QCOMPARE(dialog->defaultSuffix(), QString("spa"));
            QVERIFY(dialog->nameFilters().front().contains("*.spa"));
        }

        // A name without extension, saved through the dialog as the user would.
        QTimer::singleShot(0, [&chosen] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            dialog->setDirectory(chosen.path());
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            QVERIFY(name != nullptr);
            name->setText("bench7");
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const auto saved = QtFileDialogs().saveArchive(nullptr);
        QCOMPARE(saved, QDir(chosen.path()).filePath("bench7.spa"));
        QCOMPARE(archiveStartFolder(), QFileInfo(saved).absolutePath());
        QCOMPARE(makeArchiveDialog(nullptr, ArchiveDialogMode::Load)->directory().absolutePath(),
                 QFileInfo(saved).absolutePath());

        // A remembered folder that is gone falls back to the documents folder.
        QSettings(kSettingsOrganization, kSettingsApplication)
            .setValue(kArchiveFolderKey, QDir(chosen.path()).filePath("gone"));
        QCOMPARE(archiveStartFolder(), documents);
    }

    void reportWindowIsReadOnlyAndPrints() {
        const auto archive = saveSampleArchive("d.spa");
        start({"kavrin", archive});
        app->runCommand(kCmdDisplayTuning);
        auto* view = app->reportView();
        QVERIFY(view != nullptr);
        QCOMPARE(app->core().currentScreenId(), 100);
        QVERIFY(!app->action(kCmdDisplayTuning)->isEnabled());
        QVERIFY(app->action(kCmdPrint)->isEnabled());
        const auto text = view->toPlainText();
        QVERIFY(text.contains("R A D I O   S O F T P O T   D A T A"));
        QTest::keyClicks(view, "typed");
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(view->toPlainText(), text);
        QVERIFY(!view->document()->isModified());
        QVERIFY(view->isReadOnly());
        QCOMPARE(view->lineWrapMode(), QPlainTextEdit::NoWrap);

        const auto pdf = dir.filePath("report.pdf");
        QVERIFY(app->printReportTo(pdf));
        QFile printed(pdf);
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QVERIFY(printed.read(4) == "%PDF");

        app->mainFrame()->mdiArea()->activeSubWindow()->close();
        QCOMPARE(app->core().currentScreenId(), 0);
        QVERIFY(app->core().reportAllowed());
        QVERIFY(app->action(kCmdDisplayTuning)->isEnabled());
    }

    // The report as a PDF asks only for the file; a file it cannot write says why.
    void exportReportAsPdf() {
        start({"kavrin", saveSampleArchive("e.spa")});
        QVERIFY(app->action(kCmdExportPdf)->isEnabled());
        messages->shown.clear();

        dialogs.pdfPath.clear();
        app->runCommand(kCmdExportPdf);
        QVERIFY(messages->shown.empty());

        dialogs.pdfPath = dir.filePath("report.pdf");
        app->runCommand(kCmdExportPdf);
        QVERIFY(messages->shown.empty());
        QFile written(dialogs.pdfPath);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.read(4) == "%PDF");
        QVERIFY(app->mainFrame()->statusBar()->currentMessage().contains(dialogs.pdfPath));

        dialogs.pdfPath = dir.filePath("no such folder/report.pdf");
        app->runCommand(kCmdExportPdf);
        QCOMPARE(messages->shown.size(), std::size_t{1});
        QCOMPARE(messages->shown[0].title, std::string("ERROR"));
        QVERIFY(!messages->shown[0].text.empty());
        QVERIFY(!QFile::exists(dialogs.pdfPath));
    }

    // An installed program's folder cannot be written (a folder under a regular file stands in
    // for it, as root too): the report goes to the user's data folder; and when no folder takes
    // it, no report window opens and every command stays as it was.
    void reportOfAReadOnlyProgramFolder() {
        start({"kavrin", saveSampleArchive("f.spa")});
        QFile blocker(dir.filePath("program"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const auto readOnly = std::filesystem::path(blocker.fileName().toStdString()) / "bin";
        app->core().setProgramDir(readOnly);
        const QString userReport =
            QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                .filePath("display.txt");
        QFile::remove(userReport);
        messages->shown.clear();

        app->runCommand(kCmdDisplayTuning);
        QVERIFY(messages->shown.empty());
        QVERIFY(app->reportView() != nullptr);
        QVERIFY(app->reportView()->toPlainText().contains("R A D I O   S O F T P O T   D A T A"));
        QVERIFY(QFile::exists(userReport));
        app->mainFrame()->mdiArea()->activeSubWindow()->close();
        QCOMPARE(app->core().currentScreenId(), 0);

        app->core().setReportFallbackDir(readOnly / "user");
        const auto actions = app->mainFrame()->findChildren<QAction*>();
        QList<bool> enabledBefore;
        for (auto* action : actions) {
            enabledBefore << action->isEnabled();
        }
        QVERIFY(app->action(kCmdDisplayTuning)->isEnabled());
        app->runCommand(kCmdDisplayTuning);
        QCOMPARE(messages->texts(), std::vector<std::string>{"display.txt could not be opened!!"});
        QVERIFY(app->reportView() == nullptr);
        QVERIFY(app->mainFrame()->mdiArea()->subWindowList().isEmpty());
        QCOMPARE(app->core().currentScreenId(), 0);
        QList<bool> enabledAfter;
        for (auto* action : actions) {
            enabledAfter << action->isEnabled();
        }
        QCOMPARE(enabledAfter, enabledBefore);
        QVERIFY(app->action(kCmdReadRadio)->isEnabled());
        QVERIFY(app->action(kCmdLoadArchive)->isEnabled());
    }

    // The check behind kavrin --check-installation looks for each file as the program uses it:
    // a picture that does not load as one, or an empty profiles folder, counts as missing.
    void installationCheckNamesWhatIsMissing() {
        const auto missing = [](const QString& folder) {
            QStringList names;
            for (const auto& file : checkInstallation(folder)) {
                if (!file.found) {
                    names << file.what;
                }
            }
            return names;
        };
        const QDir built(QCoreApplication::applicationDirPath());
        const QDir installed(dir.filePath("share/kavrin"));
        QVERIFY(installed.mkpath("Kavrin.chm") && installed.mkpath("instruments") &&
                installed.mkpath("limits"));
        QCOMPARE(missing(installed.path()), (QStringList{"help", "title picture", "setup picture",
                                                         "instrument profiles", "limits"}));

        for (const char* name : {"Kavrin.chm/index.htm", "title.bmp", "setup.bmp"}) {
            QVERIFY(QFile::copy(built.filePath(name), installed.filePath(name)));
        }
        for (const char* name : {"instruments/a.json", "limits/default.ini"}) {
            QFile file(installed.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(missing(installed.path()), QStringList{});
        const auto files = checkInstallation(installed.path());
        QCOMPARE(files.front().path, installed.filePath("Kavrin.chm/index.htm"));

        QFile title(installed.filePath("title.bmp"));
        QVERIFY(title.open(QIODevice::WriteOnly | QIODevice::Truncate));
        title.write("BM not a picture");
        title.close();
        QVERIFY(QFile::remove(installed.filePath("instruments/a.json")));
        QCOMPARE(missing(installed.path()), (QStringList{"title picture", "instrument profiles"}));
    }

    void serialNumberScreenWritesABlankRadioAndStaysOpen() {
        radio = std::make_unique<test::SimRadio>(*ports, QStringList{"--serial", ""});
        start();
        app->core().record().setSerialNo(kBlankSerialNo);
        QVERIFY(app->openScreen(kCmdProgramSerialNo));
        QCOMPARE(app->core().currentScreenId(), 15);
        QCOMPARE(app->screenFrame()->windowTitle(), QString("Program Radio Serial No."));
        QVERIFY(app->core().operations().usesNormalModeRequests());
        // The radio is the screen's until it closes: a second program's request waits outside.
        QCOMPARE(runCli({"fw-version"}), 1);
        auto* edit = findByName<QLineEdit>("New Radio Serial No");
        QVERIFY(edit != nullptr);
        QTest::keyClicks(edit, "AB12345678X");
        QCOMPARE(edit->text(), QString("AB12345678"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(messages->texts().back(),
                 std::string("Serial No. has been successfully programmed !!"));
        QCOMPARE(app->core().record().serialNo(), std::string("AB12345678"));
        QVERIFY(app->screenFrame() != nullptr);
        auto* update = findByName<QPushButton>("Update");
        QVERIFY(update != nullptr);
        QCOMPARE(update->toolTip(), QString("Update"));

        app->screenFrame()->close();
        QCOMPARE(app->core().currentScreenId(), 0);
        QVERIFY(!app->core().operations().usesNormalModeRequests());
        QCOMPARE(runCli({"fw-version"}), 0);
    }

    void serialNumberScreenDoesNotOpenOnAChangedRadio() {
        radio = std::make_unique<test::SimRadio>(*ports, QStringList{"--serial", "KV00012345"});
        start();
        app->core().record().setSerialNo(kBlankSerialNo);
        QVERIFY(!app->openScreen(kCmdProgramSerialNo));
        QCOMPARE(messages->shown.size(), std::size_t{1});
        QCOMPARE(messages->shown[0].title, std::string("WARNING"));
        QCOMPARE(app->core().currentScreenId(), 0);
        QVERIFY(app->screenFrame() == nullptr);
        QVERIFY(!app->core().operations().usesNormalModeRequests());
    }

    void radioSetupShowsItsPictureAndUtilitiesRunBesideIt() {
        radio = std::make_unique<test::SimRadio>(*ports, QStringList{"--firmware", "R0105"});
        start();
        QVERIFY(app->openScreen(kCmdRadioSetup));
        QCOMPARE(app->core().currentScreenId(), 12);
        auto* picture = app->screenFrame()->findChild<QLabel*>("setupPicture");
        QVERIFY(picture != nullptr);
        QCOMPARE(picture->pixmap().size(), QSize(572, 554));

        app->runCommand(kCmdFwVersion);
        QCOMPARE(messages->shown.back(),
                 (test::ShownMessage{"Radio Firmware Version: R01.05", "NOTE",
                                     MessageIcon::Information, false}));
        QCOMPARE(app->mainFrame()->statusText(), QString("Radio Firmware Version: R01.05"));
        app->runCommand(kCmdReset);
        QCOMPARE(messages->texts().back(), std::string("Radio has been reset!!"));
        QCOMPARE(app->core().currentScreenId(), 12);

        radio.reset();
        app->runCommand(kCmdReset);
        QCOMPARE(messages->texts().back(),
                 std::string("Reset Radio Failed !! Radio Communication Error!!"));
    }

private:
    template <typename Widget> Widget* findByName(const QString& accessibleName) const {
        for (auto* widget : app->mainFrame()->findChildren<Widget*>()) {
            if (widget->accessibleName() == accessibleName) {
                return widget;
            }
        }
        return nullptr;
    }

    // kavrin-cli in a process of its own; its exit code.
    static int runCli(const QStringList& arguments) {
        QProcess cli;
        cli.start(QStringLiteral(KAVRIN_CLI_PATH), arguments);
        if (!cli.waitForFinished(30000)) {
            cli.kill();
            cli.waitForFinished();
            return -1;
        }
        return cli.exitCode();
    }

    void start(const QStringList& arguments = {"kavrin"}) {
        app = std::make_unique<CPelionTunerApp>(arguments, AppSeams{messages.get(), &dialogs});
        QVERIFY(app->initInstance());
        // Stand-ins take the place of two real screens: these tests are about the frames.
        CPelionTunerApp::registerScreen(kCmdTxHighPower, [] { return new StandInScreen(2); });
        CPelionTunerApp::registerScreen(kCmdTxLowPower, [] { return new StandInScreen(3); });
    }

    QString saveSampleArchive(const char* name) {
        radioRecord record;
        record.setSerialNo("AB12345678");
        record.setLayoutCode(kStandardLayoutCode);
        record.setBand(6);
        for (std::size_t i = 0; i < kPointCount; ++i) {
            record.setCell(pointCell(PointGroup::TxPower, i), kBandTable[6].transmitOffsets[i]);
        }
        const auto path = dir.filePath(name);
        saveArchive(path.toStdString(), record, 99);
        return path;
    }

    QTemporaryDir dir;
    FakeDialogs dialogs;
    std::unique_ptr<test::IsolatedPorts> ports;
    std::unique_ptr<test::RecordingMessages> messages;
    std::unique_ptr<test::SimRadio> radio;
    std::unique_ptr<CPelionTunerApp> app;
};

} // namespace kavrin::shell

QTEST_MAIN(kavrin::shell::ShellTest)
#include "shell_test.moc"
