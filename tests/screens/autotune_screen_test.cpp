// Automatic alignment through the application against the virtual radio and its service monitor
// over TCP: the screens' Auto Tune button, Alignment > Auto Align All, the results window with its
// PDF, Cancel, what is refused before the radio is touched, and the remembered set-up.
#include "data/alignment_limits.h"
#include "history/history_store.h"
#include "history/history_url.h"
#include "instrument/limits_file.h"
#include "screens/alignment_screen.h"
#include "shell/application.h"
#include "shell/autotune_dialog.h"
#include "shell/autotune_window.h"
#include "shell/commands.h"
#include "support/quiet_read.h"
#include "support/radio_reads.h"
#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <optional>

namespace kavrin::screens {
namespace {

constexpr int kRunTimeoutMs = 120'000;
constexpr std::uint16_t kStandardBlock = 0x1F00;
constexpr std::uint16_t kExtendedBlock = 0x3F00;
constexpr int kResultColumnIndex = static_cast<int>(kResultColumn);

class PresetSetup final : public shell::IAutotuneSetupDialog {
public:
    std::optional<shell::autotuneSetup> ask(QWidget*) override {
        ++asked;
        return setup;
    }
    std::optional<shell::autotuneSetup> setup;
    int asked = 0;
};

class PdfDialogs final : public shell::IFileDialogs {
public:
    QString openArchive(QWidget*) override { return {}; }
    QString saveArchive(QWidget*) override { return {}; }
    QString saveReportPdf(QWidget*) override { return pdfPath; }
    QString pdfPath;
};

const AlignmentTypeInfo& typeOf(int command) {
    return *typeOfCommand(command);
}

template <typename Widget> Widget* named(QWidget* parent, const QString& name) {
    for (auto* widget : parent->findChildren<Widget*>()) {
        if (widget->accessibleName() == name) {
            return widget;
        }
    }
    return nullptr;
}

} // namespace

class AutotuneScreenTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        // The remembered set-up goes to a settings folder of this run's own.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    }

    void init() {
        ports = std::make_unique<test::IsolatedPorts>();
        messages = std::make_unique<test::RecordingMessages>();
        setup = std::make_unique<PresetSetup>();
        dialogs = std::make_unique<PdfDialogs>();
    }

    void cleanup() {
        app.reset();
        radio.reset();
        ports.reset();
    }

    // Every screen has Auto Tune beside Program, on its row and clear of it.
    void everyScreenHasAutoTune_data() {
        QTest::addColumn<int>("command");
        for (const auto& type : kAlignmentTypes) {
            QTest::newRow(type.className.data()) << type.menuCommand;
        }
    }

    void everyScreenHasAutoTune() {
        QFETCH(int, command);
        startRead({"--layout", "extended"}, false);
        QVERIFY(app->openScreen(command));
        auto* screen = app->screenFrame()->widget();
        auto* autoTune = named<QPushButton>(screen, "Auto Tune");
        auto* program = named<QPushButton>(screen, "Program");
        QVERIFY(autoTune != nullptr && program != nullptr);
        QVERIFY(autoTune->isEnabled());
        QCOMPARE(autoTune->text(), QString("Auto Tune"));
        QCOMPARE(autoTune->geometry().top(), program->geometry().top());
        QVERIFY(autoTune->geometry().left() > program->geometry().right());
        QVERIFY(screen->rect().contains(autoTune->geometry()));
    }

    // Auto Tune ends the screen, aligns its type, programs the points that passed and reopens
    // nothing; the radio holds what the results table says.
    void autoTuneAlignsTheScreen_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("extended");
        QTest::addColumn<QString>("limits"); // empty: the shipped limits
        QTest::addColumn<QString>("verdict");
        QTest::newRow("transmit power") << int(kCmdTxHighPower) << false << QString() << "PASS";
        QTest::newRow("signalling modulation") << int(kCmdTxKtd125) << true << QString() << "PASS";
        QTest::newRow("receive squelch")
            << int(kCmdRxSquelchNbandNormal) << false << QString() << "PASS";
        QTest::newRow("out of reach")
            << int(kCmdTxHighPower) << false
            << QString("[tx-high-power]\ntarget = 50\nmin = 49\nmax = 51\n") << "FAIL";
    }

    void autoTuneAlignsTheScreen() {
        QFETCH(int, command);
        QFETCH(bool, extended);
        QFETCH(QString, limits);
        QFETCH(QString, verdict);
        startRead({"--layout", extended ? "extended" : "standard"});
        if (!limits.isEmpty()) {
            setup->setup->limitsPath = writeLimits(limits);
        }
        const auto& type = typeOf(command);
        const auto before = app->core().record();
        QVERIFY(app->openScreen(command));
        messages->answers = {Answer::Ok};

        QTest::mouseClick(named<QPushButton>(app->screenFrame()->widget(), "Auto Tune"),
                          Qt::LeftButton);
        QCOMPARE(app->screenFrame(), nullptr);
        QVERIFY(waitForRun());
        QCOMPARE(app->screenFrame(), nullptr);
        QCOMPARE(app->core().currentScreenId(), 0);

        auto* window = app->autotuneWindow();
        QCOMPARE(window->sheet().outcome, QString("Finished"));
        auto* results = named<QTableWidget>(window, "Results");
        const int points = type.middlePointOnly ? 1 : int(kPointCount);
        QCOMPARE(results->rowCount(), points);
        QVERIFY(named<QTableWidget>(window, "Readings")->rowCount() >= points);
        const bool passed = verdict == "PASS";
        QCOMPARE(messages->texts(),
                 passed ? std::vector<std::string>{"Program Radio?"} : std::vector<std::string>{});

        const auto block = test::readRadioBlock(extended ? kExtendedBlock : kStandardBlock);
        for (int row = 0; row < results->rowCount(); ++row) {
            QCOMPARE(results->item(row, 0)->text(), QString::fromLatin1(type.title.data()));
            QCOMPARE(results->item(row, kResultColumnIndex)->text(), verdict);
            QCOMPARE(results->item(row, 0)->background() != QBrush(), !passed);
            const auto point = std::size_t(results->item(row, 1)->text().mid(1).toInt() - 1);
            const auto fresh = std::uint32_t(results->item(row, 9)->text().toInt());
            QCOMPARE(std::uint32_t(block[blockOffset(type, point)]), fresh);
            QCOMPARE(app->core().record().getCell(softpotCell(type, point)), fresh);
            if (!passed) {
                QCOMPARE(fresh, before.getCell(softpotCell(type, point)));
            }
        }
    }

    // Cancel ends the run at the next reading with the radio dekeyed and nothing programmed.
    void cancelStopsWithTheRadioDekeyed() {
        startRead();
        QVERIFY(app->startAutotune({&typeOf(kCmdTxHighPower)}));
        auto* window = app->autotuneWindow();
        int readings = 0;
        connect(window, &shell::CAutotuneWindow::readingShown, this, [&] {
            if (++readings == 3) {
                QTest::mouseClick(named<QPushButton>(window, "Cancel"), Qt::LeftButton);
            }
        });
        const auto mark = radio->log().size();
        QVERIFY(waitForRun());
        QCOMPARE(readings, 3);
        QVERIFY2(window->sheet().outcome.startsWith("Cancelled"),
                 qPrintable(window->sheet().outcome));
        QVERIFY(messages->shown.empty());

        const auto events = radio->log();
        std::optional<std::size_t> lastKey;
        for (std::size_t i = mark; i < events.size(); ++i) {
            QVERIFY(events[i].kind != test::RadioEvent::Kind::Write);
            if (events[i].kind == test::RadioEvent::Kind::Execute && events[i].request == 12) {
                lastKey = i;
            }
        }
        QVERIFY(lastKey);
        QVERIFY(std::any_of(
            events.begin() + std::ptrdiff_t(*lastKey) + 1, events.end(), [](const auto& event) {
                return event.kind == test::RadioEvent::Kind::Execute && event.request == 13;
            }));
    }

    // The run is kept as the command line keeps it: an autotune snapshot with the results as CSV.
    void theRunIsKeptInTheHistory() {
        QTemporaryDir dir;
        const auto url = "sqlite:" + dir.filePath("history.sqlite");
        const auto previous = qgetenv(kHistoryEnvironmentVariable);
        qputenv(kHistoryEnvironmentVariable, url.toUtf8());
        startRead();
        qputenv(kHistoryEnvironmentVariable, previous);
        messages->answers = {Answer::Ok};
        QVERIFY(app->startAutotune({&typeOf(kCmdRxSquelchNbandNormal)}));
        QVERIFY(waitForRun());

        historyStore store(*parseHistoryUrl(url).url);
        const auto snapshots = store.list();
        QVERIFY2(snapshots && !snapshots.value->empty(), qPrintable(snapshots.error));
        const auto& newest = snapshots.value->front();
        QCOMPARE(newest.operation, QString(kOperationAutotune));
        QCOMPARE(newest.outcome, QString(kOutcomeSucceeded));
        QCOMPARE(newest.detail.toStdString(), resultsCsv(app->autotuneWindow()->sheet().results));
        QCOMPARE(app->autotuneWindow()->sheet().results.size(), kPointCount);
    }

    // Alignment > Auto Align All: the menu's last entry, for a radio read and no screen open.
    void autoAlignAllIsTheAlignmentMenusLastEntry() {
        app = std::make_unique<shell::CPelionTunerApp>(
            QStringList{"kavrin"}, shell::AppSeams{messages.get(), nullptr, setup.get()});
        QVERIFY(app->initInstance());
        auto* action = app->action(kCmdAutoAlignAll);
        QVERIFY(action != nullptr);
        QCOMPARE(app->menu("&Alignment")->actions().last(), action);
        QCOMPARE(action->text(), QString("A&uto Align All..."));
        QVERIFY(!action->statusTip().isEmpty());
        QVERIFY(!action->isEnabled());
        app.reset();

        startRead();
        QVERIFY(action = app->action(kCmdAutoAlignAll));
        QVERIFY(action->isEnabled());
        QVERIFY(app->openScreen(kCmdTxLowPower));
        app->updateCommandStates();
        QVERIFY(!action->isEnabled());
        app->closeScreen();
        app->updateCommandStates();
        QVERIFY(action->isEnabled());
    }

    // Every screen in the table's order, those the radio lacks listed as unsupported; one
    // question before the first Program; the table on paper as in the window.
    void autoAlignAllAlignsEveryScreenInTableOrder() {
        startRead();
        messages->answers = {Answer::Ok};
        app->action(kCmdAutoAlignAll)->trigger();
        QVERIFY(waitForRun());
        auto* window = app->autotuneWindow();
        QCOMPARE(window->sheet().outcome, QString("Finished"));
        QCOMPARE(messages->texts(), std::vector<std::string>{"Program Radio?"});

        auto* results = named<QTableWidget>(window, "Results");
        QStringList screens;
        for (int row = 0; row < results->rowCount(); ++row) {
            const auto title = results->item(row, 0)->text();
            if (screens.isEmpty() || screens.last() != title) {
                screens << title;
            }
            const bool ktd = title.contains("KTD");
            QCOMPARE(results->item(row, kResultColumnIndex)->text(),
                     QString(ktd ? "UNSUPPORTED" : "PASS"));
        }
        QStringList expected;
        for (const auto& type : kAlignmentTypes) {
            expected << QString::fromLatin1(type.title.data());
        }
        QCOMPARE(screens, expected);

        QTemporaryDir dir;
        dialogs->pdfPath = dir.filePath("results.pdf");
        QTest::mouseClick(named<QPushButton>(window, "Export as PDF…"), Qt::LeftButton);
        QVERIFY(messages->shown.size() == 1);
        QProcess text;
        text.start("pdftotext", {"-layout", dialogs->pdfPath, "-"});
        QVERIFY(text.waitForFinished(30'000));
        const auto page = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(page.contains("Tx High Power") && page.contains("Rx Squelch 20KHz-band Tight") &&
                     page.contains("UNSUPPORTED") && page.contains("KV00012345"),
                 qPrintable(page));
    }

    // What cannot work is refused while the screen is open and the radio untouched.
    void refusedBeforeTheRadioIsTouched_data() {
        QTest::addColumn<QString>("limits");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("message");
        QTest::newRow("limits without the screen")
            << "[tx-low-power]\ntarget = 1\nmin = 0.9\nmax = 1.1\n"
            << QString() << "tx-high-power";
        QTest::newRow("a monitor that does not answer") << QString() << "tcp://127.0.0.1:1"
                                                        << "127.0.0.1";
    }

    void refusedBeforeTheRadioIsTouched() {
        QFETCH(QString, limits);
        QFETCH(QString, address);
        QFETCH(QString, message);
        startRead();
        if (!limits.isEmpty()) {
            setup->setup->limitsPath = writeLimits(limits);
        }
        if (!address.isEmpty()) {
            setup->setup->address = address;
        }
        QVERIFY(app->openScreen(kCmdTxHighPower));
        const auto mark = radio->log().size();
        QTest::mouseClick(named<QPushButton>(app->screenFrame()->widget(), "Auto Tune"),
                          Qt::LeftButton);
        QVERIFY(app->screenFrame() != nullptr);
        QCOMPARE(app->core().currentScreenId(), typeOf(kCmdTxHighPower).screenId);
        QCOMPARE(radio->log().size(), mark);
        QCOMPARE(messages->shown.size(), std::size_t(1));
        QVERIFY2(QString::fromStdString(messages->shown.front().text).contains(message),
                 messages->shown.front().text.c_str());
        QVERIFY(app->autotuneWindow() == nullptr);
    }

    // The dialog starts from the last accepted set-up; a first run from the defaults.
    void theSetupIsRemembered() {
        QSettings(kSettingsOrganizationName, kSettingsApplicationName).clear();
        const auto first = shell::rememberedAutotuneSetup();
        QCOMPARE(first.address, QString());
        QCOMPARE(first.profile, QString(shell::kDefaultAutotuneProfile));
        QCOMPARE(first.limitsPath, shippedLimitsFile());
        QCOMPARE(first.settle, kInstrumentSettle);

        QTemporaryDir dir;
        const auto ownLimits = dir.filePath("bench.ini");
        QFile(shippedLimitsFile()).copy(ownLimits);
        const shell::autotuneSetup chosen{"tcp://10.0.0.7:5025", "classic-style", ownLimits,
                                          std::chrono::milliseconds(1200)};
        shell::QtAutotuneSetup asker;
        std::optional<shell::autotuneSetup> shown;
        answerDialog([&](shell::CAutotuneDialog* dialog) {
            auto* start = named<QPushButton>(dialog, "Start");
            QVERIFY(!start->isEnabled()); // no address yet
            QVERIFY(named<QComboBox>(dialog, "Instrument profile")->findText("cma-style") >= 0);
            named<QLineEdit>(dialog, "Service monitor address")->setText(chosen.address);
            named<QComboBox>(dialog, "Instrument profile")->setCurrentText(chosen.profile);
            named<QLineEdit>(dialog, "Limits file")->setText(chosen.limitsPath);
            named<QSpinBox>(dialog, "Settle time")->setValue(1200);
            QTest::mouseClick(start, Qt::LeftButton);
        });
        QCOMPARE(asker.ask(nullptr), std::optional(chosen));

        answerDialog([&](shell::CAutotuneDialog* dialog) {
            shown = dialog->setup();
            dialog->reject();
        });
        QVERIFY(!asker.ask(nullptr));
        QCOMPARE(shown, std::optional(chosen));

        // A limits file gone since falls back to the shipped one; the rest stays.
        QVERIFY(QFile::remove(ownLimits));
        auto expected = chosen;
        expected.limitsPath = shippedLimitsFile();
        QCOMPARE(shell::rememberedAutotuneSetup(), expected);
    }

private:
    // Reads the radio quietly and starts the application on its record, the service monitor's
    // address in the preset set-up.
    void startRead(const QStringList& options = {}, bool monitor = true) {
        auto all = options;
        if (monitor) {
            all << "--monitor-port"
                << "0";
        }
        radio = std::make_unique<test::SimRadio>(*ports, all);
        const auto read = test::readQuietly();
        QVERIFY(read);
        if (monitor) {
            QVERIFY(!radio->monitorLines().isEmpty());
            setup->setup =
                shell::autotuneSetup{radio->monitorLines().front().section(' ', 1), "cma-style",
                                     shippedLimitsFile(), std::chrono::milliseconds(0)};
        }
        app = std::make_unique<shell::CPelionTunerApp>(
            QStringList{"kavrin"}, shell::AppSeams{messages.get(), dialogs.get(), setup.get()});
        QVERIFY(app->initInstance());
        app->core().record() = read->record;
        app->core().operations().blockImage() = read->image;
        app->core().readSucceeded();
        app->updateCommandStates();
        messages->shown.clear();
    }

    QString writeLimits(const QString& text) {
        const auto path = limitsDir.filePath(QString("limits-%1.ini").arg(++limitsFiles));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return {};
        }
        file.write(text.toUtf8());
        return path;
    }

    // Waits for the run that was just started to end.
    bool waitForRun() {
        auto* window = app->autotuneWindow();
        if (window == nullptr) {
            return false;
        }
        QSignalSpy finished(window, &shell::CAutotuneWindow::finished);
        return finished.count() > 0 || finished.wait(kRunTimeoutMs);
    }

    // Answers the next set-up dialog once it is shown.
    void answerDialog(std::function<void(shell::CAutotuneDialog*)> answer) {
        QTimer::singleShot(0, this, [answer] {
            auto* dialog = qobject_cast<shell::CAutotuneDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            answer(dialog);
        });
    }

    QTemporaryDir settingsDir;
    QTemporaryDir limitsDir;
    int limitsFiles = 0;
    std::unique_ptr<test::IsolatedPorts> ports;
    std::unique_ptr<test::RecordingMessages> messages;
    std::unique_ptr<PresetSetup> setup;
    std::unique_ptr<PdfDialogs> dialogs;
    std::unique_ptr<test::SimRadio> radio;
    std::unique_ptr<shell::CPelionTunerApp> app;
};

} // namespace kavrin::screens

QTEST_MAIN(kavrin::screens::AutotuneScreenTest)
#include "autotune_screen_test.moc"
