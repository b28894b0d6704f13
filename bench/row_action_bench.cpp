// One row action of an alignment screen end to end — what a technician feels at every slider
// step: a link with port discovery, the serial-number check, tuning to the point, the live
// request, the close. On the bare pseudo-terminal and on a line paced at 115200 baud, through the
// screen's widgets and through the tuning session alone.
#include "bench_support.h"
#include "data/alignment_session.h"
#include "link/virtual_ports.h"
#include "shell/application.h"
#include "shell/commands.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <span>
#include <vector>

namespace {

using namespace kavrin;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 200;
constexpr unsigned kLineRate = 115200;
constexpr double kPtyGoalMs = 30.0;

class NoObserver final : public ISessionObserver {
public:
    void rowChanged(std::size_t) override {}
    void statusChanged(const std::string&) override {}
    void note(const std::string&) override {}
    void readRequested(bool) override {}
};

double medianMs(const std::function<void(int)>& step) {
    std::vector<double> samples;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = Clock::now();
        step(i);
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::nth_element(samples.begin(), samples.begin() + kRuns / 2, samples.end());
    return samples[kRuns / 2];
}

// The same keyed steps through the session, without a window: what the core itself costs.
double sessionMedianMs(IUserMessages& messages) {
    NoBusyCursor cursor;
    NoStatusLine status;
    NoPause pause;
    NoRecentFiles recent;
    NoProgress progress;
    NoObserver observer;
    applicationCore core(ApplicationServices{messages, cursor, status, pause, recent});
    if (!core.readFlow(progress)) {
        return -1;
    }
    alignmentSession session(core, AlignmentType::TxHighPower,
                             SessionServices{messages, cursor, observer});
    session.open();
    session.selectFirstPoint();
    session.step(1, +1);
    session.pttToggle();
    const double median = medianMs([&](int i) { session.step(1, i % 2 == 0 ? +1 : -1); });
    session.endTuning();
    return median;
}

QScrollBar* rowBar(QWidget* screen, int row) {
    for (auto* bar : screen->findChildren<QScrollBar*>()) {
        if (bar->accessibleName() == QString("F%1 softpot bar").arg(row)) {
            return bar;
        }
    }
    return nullptr;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QTemporaryDir dir;
    qputenv(kVirtualPortsEnv, dir.path().toLocal8Bit());
    SilentMessages messages;
    bool met = true;

    for (const unsigned rate : {0u, kLineRate}) {
        const auto logPath = dir.filePath(rate == 0 ? "pty.jsonl" : "line.jsonl");
        QStringList options{"--log", logPath};
        if (rate != 0) {
            options += {"--line-rate", QString::number(rate)};
        }
        const bench::VirtualRadio radio(options);

        shell::CPelionTunerApp app({"kavrin"}, shell::AppSeams{&messages, nullptr});
        app.initInstance();
        NoProgress progress;
        app.core().readFlow(progress);
        app.openScreen(shell::kCmdTxHighPower);
        auto* bar = app.screenFrame() != nullptr ? rowBar(app.screenFrame()->widget(), 2) : nullptr;
        if (bar == nullptr) {
            std::fprintf(stderr, "the Tx High Power screen did not open\n");
            return 1;
        }
        // Keyed at the row, as during a real adjustment: every step goes to the radio live.
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        for (auto* button : app.screenFrame()->widget()->findChildren<QPushButton*>()) {
            if (button->accessibleName() == "PTT Toggle") {
                button->click();
            }
        }

        const auto mark = bench::readLog(logPath).size();
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        const auto events = bench::readLog(logPath);
        const double minimumMs =
            bench::lineMilliseconds(bench::wireBytes(std::span(events).subspan(mark)), kLineRate);

        const double median = medianMs([bar](int i) {
            bar->triggerAction(i % 2 == 0 ? QAbstractSlider::SliderSingleStepAdd
                                          : QAbstractSlider::SliderSingleStepSub);
        });
        if (rate == 0) {
            met = median < kPtyGoalMs;
            std::printf(
                "row action on the pseudo-terminal   median %7.2f ms  (goal < %.0f ms: %s)\n",
                median, kPtyGoalMs, met ? "met" : "MISSED");
        } else {
            std::printf("row action at 115200 baud           median %7.2f ms  physical minimum "
                        "%6.2f ms  ratio %.2f\n",
                        median, minimumMs, median / minimumMs);
        }
        app.closeScreen();
        std::printf("  the same through the session alone median %7.2f ms\n",
                    sessionMedianMs(messages));
    }
    return met ? 0 : 1;
}
