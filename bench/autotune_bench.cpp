// Automatic alignment benchmark: every screen of an extended-layout radio aligned against the
// virtual service monitor answering each query after 50 ms, with no settle time. It prints how
// many measurements a point took (median and maximum) and how long all fourteen screens took,
// each against its goal.
#include "bench_support.h"
#include "data/application_core.h"
#include "data/auto_alignment.h"
#include "instrument/service_monitor_factory.h"
#include "link/virtual_ports.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using namespace kavrin;

constexpr int kLatencyMs = 50;
constexpr double kMedianGoal = 5.0;
constexpr double kSecondsGoal = 30.0;

class CountingReport final : public IAutoAlignReport {
public:
    void reading(const AlignmentTypeInfo&, std::size_t, int, double) override {}
    void pointDone(const pointResult& result) override {
        if (result.verdict != pointVerdict::Unsupported) {
            measurements.push_back(result.measurements);
            (result.type->transmit() ? transmit : receive).push_back(result.measurements);
            failed += result.verdict == pointVerdict::Fail ? 1 : 0;
        }
    }
    std::vector<std::size_t> measurements;
    std::vector<std::size_t> transmit;
    std::vector<std::size_t> receive;
    int failed = 0;
};

double median(std::vector<std::size_t> counts) {
    if (counts.empty()) {
        return 0.0;
    }
    std::sort(counts.begin(), counts.end());
    const auto middle = counts.size() / 2;
    return counts.size() % 2 == 1
               ? static_cast<double>(counts[middle])
               : (static_cast<double>(counts[middle - 1]) + static_cast<double>(counts[middle])) /
                     2;
}

} // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    const QTemporaryDir dir;
    qputenv(kVirtualPortsEnv, dir.path().toLocal8Bit());
    bench::VirtualRadio radio({"--layout", "extended", "--monitor-port", "0",
                               "--monitor-latency-ms", QString::number(kLatencyMs)});
    const QString monitorLine = radio.nextLine();
    if (radio.devicePath().isEmpty() || !monitorLine.startsWith("monitor ")) {
        std::fprintf(stderr, "the virtual radio with its monitor did not start\n");
        return 1;
    }
    auto opened = openServiceMonitor(monitorLine.mid(8), QStringLiteral("cma-style"));
    const auto limits = alignmentLimits::load(KAVRIN_SOURCE_LIMITS_FILE);
    if (!opened.monitor || !limits.limits) {
        std::fprintf(stderr, "no monitor or no limits: %s%s\n",
                     opened.error.toLocal8Bit().constData(), limits.error.c_str());
        return 1;
    }

    SilentMessages messages;
    const ScopedUserMessages scope(messages);
    NoPause pause;
    NoBusyCursor cursor;
    NoStatusLine status;
    NoRecentFiles recent;
    NoProgress progress;
    NoSessionObserver observer;
    applicationCore core(ApplicationServices{messages, cursor, status, pause, recent});
    if (!core.readFlow(progress)) {
        std::fprintf(stderr, "the radio was not read\n");
        return 1;
    }
    CountingReport report;
    autoAlignSettings settings;
    settings.settle = std::chrono::milliseconds(0);
    autoAligner aligner(core, *opened.monitor, *limits.limits,
                        SessionServices{messages, cursor, observer}, pause, report, settings);
    const auto start = std::chrono::steady_clock::now();
    for (const auto& type : kAlignmentTypes) {
        const auto run = aligner.alignScreen(type);
        if (run.stop != autoAligner::Stop::Finished) {
            std::fprintf(stderr, "%s\n", run.failure.c_str());
            return 1;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const double overall = median(report.measurements);
    const auto most = *std::max_element(report.measurements.begin(), report.measurements.end());
    const bool medianMet = overall <= kMedianGoal;
    const bool timeMet = seconds < kSecondsGoal;
    std::printf("automatic alignment, 14 screens, %zu points, %d ms per instrument reply:\n",
                report.measurements.size(), kLatencyMs);
    std::printf("  measurements per point: median %.1f (goal at most %.0f: %s), maximum %zu\n",
                overall, kMedianGoal, medianMet ? "met" : "MISSED", most);
    // A squelch answers only open or closed: with no guess, telling one softpot of 64 takes six
    // readings.
    std::printf("    transmit points: median %.1f; squelch points: median %.1f\n",
                median(report.transmit), median(report.receive));
    std::printf("  all screens: %.1f s (goal under %.0f s: %s)\n", seconds, kSecondsGoal,
                timeMet ? "met" : "MISSED");
    std::printf("  points outside their limits: %d\n", report.failed);
    return medianMet && timeMet ? 0 : 1;
}
