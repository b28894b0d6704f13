// Flow benchmark against the virtual radio: the read flow and Program All in both of its modes,
// on the bare pseudo-terminal and on a line paced at 115200 baud, against the physical minimum
// of the bytes they move. The two 1000 ms pauses the radio needs are left out of the figures.
#include "bench_support.h"
#include "data/application_core.h"
#include "link/virtual_ports.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <span>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace kavrin;

constexpr int kRuns = 15;
constexpr std::uint32_t kLineRate = 115200;
constexpr double kPtyGoalMs = 150.0;
constexpr double kLineGoalRatio = 1.5;

double medianMs(const std::function<bool()>& work) {
    std::vector<double> samples;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = Clock::now();
        if (!work()) {
            std::fprintf(stderr, "a flow failed\n");
            return -1;
        }
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::nth_element(samples.begin(), samples.begin() + kRuns / 2, samples.end());
    return samples[kRuns / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    const QTemporaryDir dir;
    qputenv(kVirtualPortsEnv, dir.path().toLocal8Bit());
    SilentMessages messages;
    const ScopedUserMessages scope(messages);
    NoPause pause;
    NoBusyCursor cursor;
    NoStatusLine status;
    NoRecentFiles recent;
    NoProgress progress;
    bool allMet = true;

    for (const std::uint32_t rate : {0u, kLineRate}) {
        const auto logPath = dir.filePath(rate == 0 ? "pty.jsonl" : "line.jsonl");
        QStringList extra{"--layout", "extended"};
        if (rate != 0) {
            extra += {"--line-rate", QString::number(rate)};
        }
        const bench::VirtualRadio radio(QStringList{"--log", logPath} + extra);
        applicationCore core(ApplicationServices{messages, cursor, status, pause, recent});
        std::printf("%s\n", rate == 0 ? "pseudo-terminal, unpaced:" : "line paced at 115200 baud:");

        struct Flow {
            const char* name;
            std::function<bool()> run;
        };
        const std::vector<Flow> flows{
            {"read flow", [&] { return core.readFlow(progress); }},
            {"Program All after a read",
             [&] {
                 core.readSucceeded();
                 return core.programFlow(progress);
             }},
            {"Program All after an archive load",
             [&] {
                 core.archiveLoadSucceeded();
                 return core.programFlow(progress);
             }},
        };
        for (const auto& flow : flows) {
            const auto mark = bench::readLog(logPath).size();
            flow.run();
            const auto events = bench::readLog(logPath);
            const double minimumMs = bench::lineMilliseconds(
                bench::wireBytes(std::span(events).subspan(mark)), kLineRate);
            const double median = medianMs(flow.run);
            if (rate == 0) {
                const bool met = median >= 0 && median < kPtyGoalMs;
                allMet = allMet && met;
                std::printf("  %-36s median %8.2f ms  (goal < %.0f ms: %s)\n", flow.name, median,
                            kPtyGoalMs, met ? "met" : "MISSED");
            } else {
                const double ratio = median / minimumMs;
                const bool met = median >= 0 && ratio <= kLineGoalRatio;
                allMet = allMet && met;
                std::printf("  %-36s median %8.2f ms  physical minimum %7.2f ms  ratio %.2f  "
                            "(goal <= %.1f: %s)\n",
                            flow.name, median, minimumMs, ratio, kLineGoalRatio,
                            met ? "met" : "MISSED");
            }
        }
    }
    return allMet ? 0 : 1;
}
