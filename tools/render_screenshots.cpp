// kavrin-screenshots DIR: renders the main window, the progress screen, the report window and
// three alignment screens (transmit, signalling system, squelch) to PNG files with the offscreen
// platform, from a sample archive and a virtual radio, for the README and for review.
#include "data/alignment_types.h"
#include "data/archive.h"
#include "link/virtual_ports.h"
#include "shell/application.h"
#include "shell/commands.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

namespace {

using namespace kavrin;

// A radio as a technician would have it after an alignment, for the pictures.
QString sampleArchive(const QTemporaryDir& dir) {
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
    const auto path = dir.filePath("sample.spa");
    saveArchive(path.toStdString(), record, 1234);
    return path;
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
    // Never touch the user's own recent-file list.
    QStandardPaths::setTestModeEnabled(true);
    // Absolute: the read command changes the current directory to the program's own.
    const QDir out(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    QDir().mkpath(out.path());
    const QTemporaryDir dir;
    SilentMessages messages;

    // The screens talk to a radio: a virtual one of the sample's identity, private to this run.
    qputenv(kVirtualPortsEnv, dir.path().toLocal8Bit());
    QProcess radio;
    radio.start(QCoreApplication::applicationDirPath() + "/../sim/kavrin-radio-sim",
                {"--layout", "extended"});
    if (!radio.waitForStarted() || !radio.waitForReadyRead(5000)) {
        std::fprintf(stderr, "kavrin-radio-sim did not start\n");
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

    app.runCommand(shell::kCmdDisplayTuning);
    if (auto* frame = app.mainFrame()->mdiArea()->activeSubWindow()) {
        frame->setGeometry(0, 0, 760, 520);
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
    radio.terminate();
    radio.waitForFinished();
    return ok ? 0 : 1;
}
