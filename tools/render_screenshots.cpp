// kavrin-screenshots DIR: renders the main window, the progress screen, the report window, three
// alignment screens (transmit, signalling system, squelch), the History window and automatic
// alignment's set-up and results to PNG files
// with the offscreen platform, from a sample archive, a small history and a virtual radio, for
// the README and for review.
#include "data/alignment_types.h"
#include "data/archive.h"
#include "history/history_snapshot.h"
#include "history/history_store.h"
#include "link/virtual_ports.h"
#include "shell/application.h"
#include "shell/autotune_dialog.h"
#include "shell/autotune_window.h"
#include "shell/commands.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

namespace {

using namespace kavrin;

// A radio as a technician would have it after an alignment, for the pictures.
radioRecord sampleRecord() {
    radioRecord record;
    record.setSerialNo("KV00012345");
    record.setModelNo("KVR4100U1       ");
    record.setLayoutCode(kExtendedLayoutCode);
    record.setBand(6);
    for (std::size_t i = 0; i < kPointCount; ++i) {
        for (const auto group :
             {PointGroup::TxPower, PointGroup::TxModulation, PointGroup::Receive}) {
            record.setCell(pointCell(group, i), kBandTable[6].transmitOffsets[i]);
        }
    }
    std::uint32_t value = 17;
    for (const auto& type : kAlignmentTypes) {
        for (std::size_t i = 0; i < kPointCount; ++i) {
            record.setCell(softpotCell(type, i), 20 + (value++ * 7) % 40);
        }
    }
    return record;
}

QString sampleArchive(const QTemporaryDir& dir) {
    const auto path = dir.filePath("sample.spa");
    saveArchive(path.toStdString(), sampleRecord(), 1234);
    return path;
}

// A history of three services of the sample radio and one of another, in the store that
// KAVRIN_HISTORY names for this run. The last Program All moved a few softpots.
bool sampleHistory(const QTemporaryDir& dir) {
    const QString url = "sqlite:" + dir.filePath("history.sqlite");
    qputenv(kHistoryEnvironmentVariable, url.toUtf8());
    historyStore store(*parseHistoryUrl(url).url);
    radioRecord before = sampleRecord();
    radioRecord after = before;
    for (const auto type : {AlignmentType::TxHighPower, AlignmentType::TxModulation125KHz}) {
        for (std::size_t i = 1; i < 4; ++i) {
            const auto cell = softpotCell(alignmentType(type), i);
            after.setCell(cell, after.getCell(cell) + static_cast<std::uint32_t>(i));
        }
    }
    radioRecord other = sampleRecord();
    other.setSerialNo("KV00067890");
    struct Service {
        const radioRecord* record;
        const char* operation;
        const char* time;
    };
    bool ok = true;
    for (const auto& service : {Service{&other, kOperationRead, "2026-02-11T13:05:12.000Z"},
                                Service{&before, kOperationRead, "2026-03-02T08:41:37.000Z"},
                                Service{&after, kOperationProgramAll, "2026-03-02T09:12:05.000Z"},
                                Service{&after, kOperationRead, "2026-03-02T09:14:48.000Z"}}) {
        auto snapshot = makeSnapshot(*service.record, service.operation, kOutcomeSucceeded);
        snapshot.time = service.time;
        snapshot.host = "BENCH-2";
        snapshot.user = "tech";
        ok = store.add(snapshot).value.has_value() && ok;
    }
    return ok;
}

// A run of Tx High Power as the results window shows it: four points within their limits, the
// last one out of reach and left as it was.
autotuneRun sampleRun(const radioRecord& record) {
    const auto& type = alignmentType(AlignmentType::TxHighPower);
    const std::array readings{4.98, 5.03, 5.01, 4.97, 4.62};
    autotuneRun run;
    for (std::size_t i = 0; i < kPointCount; ++i) {
        pointResult result;
        result.type = &type;
        result.point = i;
        result.megahertz = record.pointFrequency(type.points, i);
        result.limits = pointLimits{5.0, 4.8, 5.2};
        result.measured = readings[i];
        result.oldSoftpot = static_cast<int>(record.getCell(softpotCell(type, i)));
        result.verdict =
            result.limits->contains(readings[i]) ? pointVerdict::Pass : pointVerdict::Fail;
        result.newSoftpot =
            result.verdict == pointVerdict::Pass ? result.oldSoftpot + 3 : result.oldSoftpot;
        result.measurements = 6;
        run.results.push_back(result);
    }
    return run;
}

bool save(QWidget* window, const QDir& out, const char* name) {
    QApplication::processEvents();
    const bool saved = window->grab().save(out.filePath(name), "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(out.filePath(name)));
    return saved;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kavrin-screenshots DIR\n");
        return 2;
    }
    // Never touch the user's own settings, nor those of programs run beside it.
    QStandardPaths::setTestModeEnabled(true);
    const QTemporaryDir settingsFolder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
    // Absolute: the read command changes the current directory to the program's own.
    const QDir out(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    QDir().mkpath(out.path());
    const QTemporaryDir dir;
    SilentMessages messages;

    // The screens talk to a radio: a virtual one of the sample's identity, private to this run.
    qputenv(kVirtualPortsEnv, dir.path().toLocal8Bit());
    QProcess radio;
    radio.start(QCoreApplication::applicationDirPath() + "/../sim/kavrin-radio-sim",
                {"--exit-with-parent", "--layout", "extended"});
    if (!radio.waitForStarted() || !radio.waitForReadyRead(5000)) {
        std::fprintf(stderr, "kavrin-radio-sim did not start\n");
        return 1;
    }

    if (!sampleHistory(dir)) {
        std::fprintf(stderr, "the sample history could not be written\n");
        return 1;
    }
    shell::CPelionTunerApp app({"kavrin", sampleArchive(dir)}, shell::AppSeams{&messages, nullptr});
    app.initInstance();
    app.mainFrame()->resize(960, 680);
    bool ok = save(app.mainFrame(), out, "main-window.png");

    app.runCommand(shell::kCmdReadRadio);
    if (auto* progress = app.progressView()) {
        progress->setPercentText("52% done");
        progress->setProgress(52);
        ok = save(app.mainFrame(), out, "progress-screen.png") && ok;
        app.closeProgress();
    } else {
        ok = false;
    }

    // The report window at the size it opens with.
    app.runCommand(shell::kCmdDisplayTuning);
    if (app.mainFrame()->mdiArea()->activeSubWindow() != nullptr) {
        ok = save(app.mainFrame(), out, "report-window.png") && ok;
    } else {
        ok = false;
    }
    if (auto* frame = app.mainFrame()->mdiArea()->activeSubWindow()) {
        frame->close();
    }

    struct Shot {
        AlignmentType type;
        const char* file;
    };
    for (const auto& shot : {Shot{AlignmentType::TxHighPower, "tx-high-power-screen.png"},
                             Shot{AlignmentType::TxKtd20KHz, "ktd-20khz-screen.png"},
                             Shot{AlignmentType::RxSquelchNbandNormal, "rx-squelch-screen.png"}}) {
        const auto& type = alignmentType(shot.type);
        if (!app.openScreen(type.menuCommand)) {
            std::fprintf(stderr, "screen %.*s did not open\n",
                         static_cast<int>(type.cliName.size()), type.cliName.data());
            ok = false;
            continue;
        }
        ok = save(app.mainFrame(), out, shot.file) && ok;
        app.closeScreen();
    }

    app.runCommand(shell::kCmdHistory);
    if (auto* history = app.historyWindow()) {
        history->resize(1180, 720);
        ok = save(history, out, "history-window.png") && ok;
    } else {
        ok = false;
    }
    shell::CAutotuneDialog setup(shell::autotuneSetup{"tcp://192.168.1.40:5025", "cma-style",
                                                      "limits/default.ini",
                                                      std::chrono::milliseconds(500)});
    setup.show();
    ok = save(&setup, out, "autotune-setup.png") && ok;
    shell::CAutotuneWindow results;
    results.finish(sampleRun(sampleRecord()), sampleRecord());
    results.show();
    ok = save(&results, out, "autotune-results.png") && ok;

    radio.terminate();
    radio.waitForFinished();
    return ok ? 0 : 1;
}
