// The History window under the offscreen platform, over an SQLite history filled through the
// store: its radios and snapshots, the comparison's marks, the charts' series, Restore as an
// archive load, Export as an archive save, F1, every store failure as a text, and the recorder's
// note in the status bar.
#include "data/archive.h"
#include "history/history_recorder.h"
#include "history/history_snapshot.h"
#include "history/history_store.h"
#include "shell/application.h"
#include "shell/commands.h"
#include "shell/help_window.h"
#include "support/isolated_settings.h"
#include "support/recording_messages.h"

#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <set>

namespace kavrin::shell {
namespace {

using TypePoint = QPair<QString, QString>; // alignment title, point
using TypePoints = QList<TypePoint>;

class FakeDialogs final : public IFileDialogs {
public:
    QString openArchive(QWidget*) override { return {}; }
    QString saveArchive(QWidget*) override { return savePath; }
    QString saveReportPdf(QWidget*) override { return {}; }
    QString savePath;
};

class NoHost final : public IHistoryHost {
public:
    bool restoreFromHistory(const radioRecord&) override { return false; }
    void exportFromHistory(const radioRecord&, QWidget*) override {}
};

constexpr std::uint32_t kBand = 6;

// An extended-layout radio of band 6: every transmit power point, modulation points F1-F3 (so
// the KTD types have their F3), receive points F1 and F2.
radioRecord benchRecord(const char* serial, std::uint32_t seed) {
    radioRecord record;
    record.setSerialNo(serial);
    record.setModelNo("KVR4100U1       ");
    record.setLayoutCode(kExtendedLayoutCode);
    record.setBand(kBand);
    const auto& offsets = kBandTable[kBand].transmitOffsets;
    for (std::size_t i = 0; i < kPointCount; ++i) {
        record.setCell(pointCell(PointGroup::TxPower, i), offsets[i]);
        record.setCell(pointCell(PointGroup::TxModulation, i), i < 3 ? offsets[i] : 0);
        record.setCell(pointCell(PointGroup::Receive, i), i < 2 ? offsets[i] : 0);
    }
    for (const auto& type : kAlignmentTypes) {
        for (std::size_t i = 0; i < kPointCount; ++i) {
            const auto index = static_cast<std::size_t>(type.type);
            record.setCell(softpotCell(type, i),
                           static_cast<std::uint32_t>((seed + index * 3 + i * 5) % 60));
        }
    }
    return record;
}

const AlignmentTypeInfo& typeOf(AlignmentType type) {
    return alignmentType(type);
}

QString title(AlignmentType type) {
    const auto text = typeOf(type).title;
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The radio's three services: a read, a Program All that moved two softpots and gave up the
// receive point F2, and a read that found it so.
struct Bench {
    radioRecord first = benchRecord("AB12345678", 11);
    radioRecord programmed = [this] {
        radioRecord record = first;
        const auto high = softpotCell(typeOf(AlignmentType::TxHighPower), 1);
        record.setCell(high, record.getCell(high) + 3);
        const auto squelch = softpotCell(typeOf(AlignmentType::RxSquelchNbandNormal), 0);
        record.setCell(squelch, record.getCell(squelch) + 1);
        record.setCell(pointCell(PointGroup::Receive, 1), 0);
        return record;
    }();
    radioRecord other = benchRecord("CD87654321", 29);
};

QTableWidget* tableOf(QWidget* window, const char* name) {
    return window->findChild<QTableWidget*>(name);
}

QStringList column(QTableWidget* table, int index) {
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row) {
        texts << table->item(row, index)->text();
    }
    return texts;
}

// Chooses snapshot rows (0 is the newest), as Ctrl+clicks would.
void choose(QWidget* window, std::initializer_list<int> rows) {
    auto* table = tableOf(window, "snapshots");
    table->clearSelection();
    for (const int row : rows) {
        table->setRangeSelected(QTableWidgetSelectionRange(row, 0, row, table->columnCount() - 1),
                                true);
    }
}

QList<QLineSeries*> seriesOf(QWidget* window, const char* chart) {
    QList<QLineSeries*> lines;
    for (auto* series : window->findChild<QChartView*>(chart)->chart()->series()) {
        lines << qobject_cast<QLineSeries*>(series);
    }
    return lines;
}

} // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        test::isolateSettings();
        QVERIFY(dir.isValid());
        url = "sqlite:" + dir.filePath("history.sqlite");
        historyStore store(*parseHistoryUrl(url).url);
        QVERIFY2(store.isOpen(), qPrintable(store.error()));
        const auto add = [&](const radioRecord& record, const char* operation, const char* time) {
            auto snapshot = makeSnapshot(record, operation, kOutcomeSucceeded);
            snapshot.time = time;
            QVERIFY(store.add(snapshot));
        };
        add(bench.other, kOperationRead, "2026-03-01T08:00:00.000Z");
        add(bench.first, kOperationRead, "2026-03-02T09:00:00.000Z");
        add(bench.programmed, kOperationProgramAll, "2026-03-02T09:30:00.000Z");
        add(bench.programmed, kOperationRead, "2026-03-05T14:00:00.000Z");
    }

    void init() {
        QSettings(kSettingsOrganization, kSettingsApplication).clear();
        qputenv(kHistoryEnvironmentVariable, url.toUtf8());
        messages = std::make_unique<test::RecordingMessages>();
        app = std::make_unique<CPelionTunerApp>(QStringList{"kavrin"},
                                                AppSeams{messages.get(), &dialogs});
        QVERIFY(app->initInstance());
    }

    void cleanup() {
        app.reset();
        qunsetenv(kHistoryEnvironmentVariable);
    }

    // The environment names the store, and the command opens one window, again and again.
    void listsTheRadiosAndTheChosenRadiosSnapshots() {
        QVERIFY(app->action(kCmdHistory)->isEnabled());
        app->runCommand(kCmdHistory);
        auto* window = app->historyWindow();
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QString("History"));
        app->runCommand(kCmdHistory);
        QCOMPARE(app->historyWindow(), window);
        QCOMPARE(app->mainFrame()->findChildren<CHistoryWindow*>().size(), 1);

        auto* radios = tableOf(window, "radios");
        QCOMPARE(column(radios, 0), (QStringList{"AB12345678", "CD87654321"}));
        QCOMPARE(column(radios, 1), (QStringList{"KVR4100U1", "KVR4100U1"}));
        QCOMPARE(column(radios, 3), (QStringList{"Read", "Read"}));
        QCOMPARE(column(radios, 4), (QStringList{"3", "1"}));
        auto* snapshots = tableOf(window, "snapshots");
        QCOMPARE(column(snapshots, 1), (QStringList{"Read", "Program All", "Read"}));
        QCOMPARE(column(snapshots, 2), (QStringList{"Succeeded", "Succeeded", "Succeeded"}));
        // It opens on what the last service changed: the newest snapshot beside the last one
        // with other values, as the read after Program All holds what Program All wrote.
        QList<int> chosen;
        for (const auto& index : snapshots->selectionModel()->selectedRows()) {
            chosen << index.row();
        }
        std::sort(chosen.begin(), chosen.end());
        QCOMPARE(chosen, (QList<int>{0, 2}));
        QVERIFY(window->findChild<QLabel*>("compareHint")->text().startsWith("8 softpot"));

        radios->selectRow(1);
        QCOMPARE(column(snapshots, 1), QStringList{"Read"});
        // A refresh keeps the radio the technician chose.
        window->findChild<QPushButton*>("refresh")->click();
        QCOMPARE(radios->selectionModel()->selectedRows().front().row(), 1);
        QCOMPARE(snapshots->rowCount(), 1);
    }

    void comparisonMarksExactlyTheChangedSoftpots_data() {
        QTest::addColumn<int>("newer");
        QTest::addColumn<int>("older");
        QTest::addColumn<int>("rows");
        QTest::addColumn<TypePoints>("changed");
        // 2 power types x 5 points, 3 modulation types x 3, 3 KTD types at F3, 6 squelch types x 2.
        constexpr int kAllRows = 10 + 9 + 3 + 12;
        TypePoints programAll{{title(AlignmentType::TxHighPower), "F2"},
                              {title(AlignmentType::RxSquelchNbandNormal), "F1"}};
        for (const auto& type : kAlignmentTypes) {
            if (type.family == AlignmentFamily::RxSquelch) {
                programAll << TypePoint{
                    QString::fromUtf8(type.title.data(), static_cast<qsizetype>(type.title.size())),
                    "F2"};
            }
        }
        QTest::newRow("read, then Program All") << 1 << 2 << kAllRows << programAll;
        QTest::newRow("first and last read") << 0 << 2 << kAllRows << programAll;
        QTest::newRow("nothing changed") << 0 << 1 << kAllRows - 6 << TypePoints{};
    }

    void comparisonMarksExactlyTheChangedSoftpots() {
        QFETCH(int, newer);
        QFETCH(int, older);
        QFETCH(int, rows);
        QFETCH(TypePoints, changed);
        auto* window = openWindow();
        choose(window, {newer, older});
        auto* table = tableOf(window, "comparison");
        QCOMPARE(table->rowCount(), rows);
        TypePoints marked;
        for (int row = 0; row < table->rowCount(); ++row) {
            const bool isChanged = table->item(row, 5)->text() == kChangedMarker;
            QCOMPARE(table->item(row, 0)->font().bold(), isChanged);
            QCOMPARE(table->item(row, 3)->font().bold(), isChanged);
            if (isChanged) {
                marked << TypePoint{table->item(row, 0)->text(), table->item(row, 1)->text()};
            }
        }
        std::sort(marked.begin(), marked.end());
        std::sort(changed.begin(), changed.end());
        QCOMPARE(marked, changed);

        // The older snapshot's value is on the left: Tx High Power F2 went up by 3.
        const auto high = softpotCell(typeOf(AlignmentType::TxHighPower), 1);
        for (int row = 0; row < table->rowCount(); ++row) {
            if (table->item(row, 0)->text() == title(AlignmentType::TxHighPower) &&
                table->item(row, 1)->text() == "F2") {
                const auto& olderRecord = older == 2 ? bench.first : bench.programmed;
                QCOMPARE(table->item(row, 3)->text(), QString::number(olderRecord.getCell(high)));
                QCOMPARE(table->item(row, 4)->text(),
                         QString::number(bench.programmed.getCell(high)));
            }
        }
    }

    void comparisonWantsTwoSnapshots() {
        auto* window = openWindow();
        choose(window, {0});
        QCOMPARE(tableOf(window, "comparison")->rowCount(), 0);
        QVERIFY(window->findChild<QLabel*>("compareHint")->text().contains("Choose two"));
        choose(window, {0, 1, 2});
        QCOMPARE(tableOf(window, "comparison")->rowCount(), 0);
    }

    void frequencyChartDrawsOneLinePerChosenSnapshot() {
        auto* window = openWindow();
        choose(window, {1, 2});
        auto* types = window->findChild<QComboBox*>("alignmentType");
        types->setCurrentText(title(AlignmentType::TxHighPower));
        const auto lines = seriesOf(window, "frequencyChart");
        QCOMPARE(lines.size(), 2);
        const auto& high = typeOf(AlignmentType::TxHighPower);
        // Oldest first: the first read, then Program All.
        for (const auto& [line, record] :
             {std::pair{lines[0], &bench.first}, std::pair{lines[1], &bench.programmed}}) {
            QList<QPointF> expected;
            for (std::size_t i = 0; i < kPointCount; ++i) {
                expected << QPointF(record->pointFrequency(PointGroup::TxPower, i),
                                    record->getCell(softpotCell(high, i)));
            }
            QCOMPARE(line->points(), expected);
        }
        QVERIFY(lines[0]->name() != lines[1]->name());

        // A KTD type has its one point, F3.
        types->setCurrentText(title(AlignmentType::TxKtd20KHz));
        for (auto* line : seriesOf(window, "frequencyChart")) {
            QCOMPARE(line->points().size(), 1);
            QCOMPARE(line->points().front().x(),
                     bench.first.pointFrequency(PointGroup::TxModulation, kMiddlePoint));
        }
    }

    void timeChartFollowsEachSoftpotAcrossTheSnapshots() {
        auto* window = openWindow();
        window->findChild<QComboBox*>("point")->setCurrentText("F2");
        const auto lines = seriesOf(window, "timeChart");
        // Power and modulation use F2 throughout; the squelch types only in the first read.
        QCOMPARE(lines.size(), static_cast<qsizetype>(kAlignmentTypes.size() - 3));
        const auto high = softpotCell(typeOf(AlignmentType::TxHighPower), 1);
        const auto squelch = softpotCell(typeOf(AlignmentType::RxSquelchNbandNormal), 1);
        for (auto* line : lines) {
            QVector<double> values;
            for (const auto& point : line->points()) {
                values << point.y();
            }
            if (line->name() == title(AlignmentType::TxHighPower)) {
                QCOMPARE(values, (QVector<double>{double(bench.first.getCell(high)),
                                                  double(bench.programmed.getCell(high)),
                                                  double(bench.programmed.getCell(high))}));
                QVERIFY(line->points()[0].x() < line->points()[1].x());
            } else if (line->name() == title(AlignmentType::RxSquelchNbandNormal)) {
                QCOMPARE(values, QVector<double>{double(bench.first.getCell(squelch))});
            }
        }
    }

    void restoreLoadsTheSnapshotAsAnArchiveLoad() {
        auto* window = openWindow();
        auto* restore = window->findChild<QPushButton*>("restore");
        choose(window, {0, 1});
        QVERIFY(!restore->isEnabled());
        choose(window, {2});
        QVERIFY(restore->isEnabled());
        QVERIFY(!app->action(kCmdProgramAll)->isEnabled());

        messages->answers = {Answer::Cancel};
        restore->click();
        QCOMPARE(messages->texts(), std::vector<std::string>{"Initialize radio data?"});
        QVERIFY(!app->core().archiveLoaded());

        messages->shown.clear();
        messages->answers = {Answer::Ok};
        restore->click();
        QCOMPARE(messages->texts(), (std::vector<std::string>{"Initialize radio data?",
                                                              "Tuning data has been loaded."}));
        QVERIFY(app->core().archiveLoaded());
        QCOMPARE(cellsOf(app->core().record()), cellsOf(bench.first));
        QCOMPARE(app->core().record().serialNo(), bench.first.serialNo());
        QVERIFY(app->mainFrame()->statusText().startsWith("Radio Serial No: AB12345678"));
        QVERIFY(app->action(kCmdProgramAll)->isEnabled());
        QVERIFY(app->recentFiles().isEmpty());

        // A restore is a load, and a load waits until the open screen is closed.
        app->core().screenOpened(2);
        app->updateCommandStates();
        QVERIFY(!restore->isEnabled());
        app->core().screenClosed();
        app->updateCommandStates();
        QVERIFY(restore->isEnabled());
    }

    void exportWritesAnArchiveThatLoadsBackIdentical() {
        auto* window = openWindow();
        choose(window, {1});
        dialogs.savePath.clear();
        window->findChild<QPushButton*>("export")->click();
        QVERIFY(messages->shown.empty());

        dialogs.savePath = dir.filePath("exported.spa");
        window->findChild<QPushButton*>("export")->click();
        QCOMPARE(messages->texts(), std::vector<std::string>{"Tuning data has been saved."});
        QCOMPARE(app->recentFiles(), QStringList{dialogs.savePath});
        QVERIFY2(!app->core().archiveLoaded(), "the data in memory stays as it was");

        radioRecord loaded;
        QCOMPARE(loadArchive(dialogs.savePath.toStdString(), loaded), ArchiveLoad::Loaded);
        QCOMPARE(loaded.serialNo(), bench.programmed.serialNo());
        QCOMPARE(loaded.modelNo(), bench.programmed.modelNo());
        QCOMPARE(loaded.codeplugLayout(), bench.programmed.codeplugLayout());
        for (const auto group :
             {PointGroup::TxPower, PointGroup::TxModulation, PointGroup::Receive}) {
            for (std::size_t i = 0; i < kPointCount; ++i) {
                QCOMPARE(loaded.getCell(pointCell(group, i)),
                         bench.programmed.getCell(pointCell(group, i)));
            }
        }
        for (const auto& type : kAlignmentTypes) {
            for (std::size_t i = 0; i < (type.middlePointOnly ? 1 : kPointCount); ++i) {
                QCOMPARE(loaded.getCell(softpotCell(type, i)),
                         bench.programmed.getCell(softpotCell(type, i)));
            }
        }
    }

    void f1InTheWindowOpensItsPage() {
        auto* window = openWindow();
        QTest::keyClick(tableOf(window, "snapshots"), Qt::Key_F1);
        QVERIFY(
            helpWindow().currentSource().path().endsWith("Kavrin.chm/Menu_Selections/History.htm"));
        QTest::keyClick(app->mainFrame(), Qt::Key_F1);
        QVERIFY(helpWindow().currentSource().path().endsWith("Kavrin.chm/index.htm"));
    }

    // A snapshot that cannot be stored is told in passing; the identity comes back after it.
    void aSnapshotNotSavedIsATemporaryStatusNote() {
        app.reset();
        qputenv(kHistoryEnvironmentVariable, ("sqlite:" + dir.path()).toUtf8());
        app = std::make_unique<CPelionTunerApp>(QStringList{"kavrin"},
                                                AppSeams{messages.get(), &dialogs});
        QVERIFY(app->initInstance());
        app->setStatusText("Radio Serial No: AB12345678");
        app->core().history().radioRead(bench.first);
        QVERIFY(app->mainFrame()->statusBar()->currentMessage().startsWith(kHistoryNotSavedPrefix));
        QVERIFY(app->mainFrame()->statusBar()->currentMessage().contains("it is a folder"));
        QCOMPARE(app->mainFrame()->statusText(), QString("Radio Serial No: AB12345678"));
        QVERIFY(messages->shown.empty());
    }

    void everyStoreFailureIsAClearText_data() {
        QTest::addColumn<QString>("location");
        QTest::addColumn<bool>("failure");
        QTest::addColumn<QStringList>("says");
        const auto garbage = dir.filePath("damaged.sqlite");
        QFile file(garbage);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, '\x5a'));
        file.close();
        const auto newer = dir.filePath("newer.sqlite");
        {
            auto db = QSqlDatabase::addDatabase("QSQLITE", "newer");
            db.setDatabaseName(newer);
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec("CREATE TABLE schema_version (version INTEGER NOT NULL)"));
            QVERIFY(query.exec("INSERT INTO schema_version (version) VALUES (99)"));
        }
        QSqlDatabase::removeDatabase("newer");

        QTest::newRow("damaged file")
            << "sqlite:" + garbage << true << QStringList{"cannot be shown", "damaged"};
        QTest::newRow("newer schema")
            << "sqlite:" + newer << true << QStringList{"cannot be shown", "too new", "99"};
        QTest::newRow("a folder") << "sqlite:" + dir.path() << true
                                  << QStringList{"cannot be shown", "folder"};
        // Port 1 refuses at once: a server that is down.
        QTest::newRow("server down") << "postgresql://kavrin@127.0.0.1:1/kavrin" << true
                                     << QStringList{"cannot be shown", "cannot open"};
        QTest::newRow("not a location")
            << "mysql://bench/history" << true << QStringList{"not valid", "mysql://bench/history"};
        QTest::newRow("empty") << "sqlite:" + dir.filePath("empty.sqlite") << false
                               << QStringList{kNoHistoryYetText};
        QTest::newRow("none") << "none" << false << QStringList{"No history is kept"};
    }

    void everyStoreFailureIsAClearText() {
        QFETCH(QString, location);
        QFETCH(bool, failure);
        QFETCH(QStringList, says);
        NoHost host;
        CHistoryWindow window(location, host);
        window.refresh();
        auto* state = window.findChild<QLabel*>("historyState");
        for (const auto& text : says) {
            QVERIFY2(state->text().contains(text), qPrintable(state->text()));
        }
        QCOMPARE(state->property("failure").toBool(), failure);
        QCOMPARE(tableOf(&window, "radios")->rowCount(), 0);
        QCOMPARE(tableOf(&window, "snapshots")->rowCount(), 0);
        QVERIFY(!window.findChild<QPushButton*>("restore")->isEnabled());
        QVERIFY(!window.findChild<QPushButton*>("export")->isEnabled());
    }

private:
    QWidget* openWindow() {
        app->runCommand(kCmdHistory);
        return app->historyWindow();
    }

    QTemporaryDir dir;
    QString url;
    Bench bench;
    FakeDialogs dialogs;
    std::unique_ptr<test::RecordingMessages> messages;
    std::unique_ptr<CPelionTunerApp> app;
};

} // namespace kavrin::shell

QTEST_MAIN(kavrin::shell::HistoryWindowTest)
#include "history_window_test.moc"
