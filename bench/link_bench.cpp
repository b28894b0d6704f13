// Link benchmark against the virtual radio: what a technician's every slider step pays
// (discovery, open and close of a link) and what one request round trip costs.
#include "bench_support.h"
#include "link/port_discovery.h"
#include "link/radio_link.h"
#include "link/virtual_ports.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLinkRuns = 300;
constexpr int kRequestRuns = 3000;
constexpr double kLinkGoalMs = 20.0;
constexpr double kRequestGoalMs = 1.0;

double medianMs(const std::function<void()>& work, int runs) {
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::nth_element(samples.begin(), samples.begin() + runs / 2, samples.end());
    return samples[static_cast<std::size_t>(runs / 2)];
}

void report(const char* what, double median, double goal) {
    std::printf("%-44s median %8.3f ms  (goal < %.0f ms: %s)\n", what, median, goal,
                median < goal ? "met" : "MISSED");
}

} // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    const QTemporaryDir ports;
    qputenv(kavrin::kVirtualPortsEnv, ports.path().toLocal8Bit());

    const kavrin::bench::VirtualRadio radio;
    if (radio.devicePath().isEmpty()) {
        std::fprintf(stderr, "kavrin-radio-sim did not start\n");
        return 1;
    }
    std::printf("virtual radio on %s\n", qPrintable(radio.devicePath()));

    const double discovery = medianMs(
        [] {
            std::string name;
            kavrin::findRadioPort(name);
        },
        kLinkRuns);
    report("port discovery", discovery, kLinkGoalMs);

    const double link = medianMs([] { const kavrin::radioLink once; }, kLinkRuns);
    report("discovery + open + close of a link", link, kLinkGoalMs);

    double request = 0;
    {
        kavrin::radioLink held;
        std::uint8_t band = 0;
        std::uint16_t length = 0;
        request = medianMs([&] { held.testMode().queryBandNo(&band, &length); }, kRequestRuns);
    }
    report("one request round trip", request, kRequestGoalMs);

    return link < kLinkGoalMs && request < kRequestGoalMs ? 0 : 1;
}
