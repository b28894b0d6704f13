// kavrin-radio-sim: a virtual radio on a pseudo-terminal, for developing and testing the host
// without hardware. Sets the radio up from the command line, registers its port and serves.
#include "sim/codeplug.h"
#include "sim/event_log.h"
#include "sim/faults.h"
#include "sim/monitor_curves.h"
#include "sim/monitor_service.h"
#include "sim/options.h"
#include "sim/pseudo_terminal.h"
#include "sim/radio.h"
#include "sim/registration.h"
#include "sim/server.h"
#include "sim/signal_pipe.h"
#include "sim/virtual_monitor.h"

#include <csignal>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <sstream>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

using namespace kavrin::sim;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr const char* kProgram = "kavrin-radio-sim";

int fail(int code, const std::string& message) {
    std::cerr << kProgram << ": " << message << '\n';
    return code;
}

std::optional<std::vector<std::uint8_t>> loadImage(const std::string& path, Layout layout,
                                                   std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open image " + path;
        return std::nullopt;
    }
    std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    if (in.bad()) {
        error = "cannot read image " + path;
        return std::nullopt;
    }
    const auto expected = codeplugSize(layout);
    if (image.size() != expected) {
        error = "image " + path + " has " + std::to_string(image.size()) + " bytes; the " +
                (layout == Layout::Extended ? "extended" : "standard") + " layout needs " +
                std::to_string(expected);
        return std::nullopt;
    }
    return image;
}

bool saveImage(const std::string& path, std::span<const std::uint8_t> codeplug,
               std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(codeplug.data()),
              static_cast<std::streamsize>(codeplug.size()));
    out.flush();
    if (!out) {
        error = "cannot write image " + path;
        return false;
    }
    return true;
}

// The monitor's curves: built in from the radio's serial number, or those of the file over them.
std::optional<CurveSet> loadCurves(const MonitorOptions& monitor,
                                   std::span<const std::uint8_t> codeplug, std::string& error) {
    const auto serial = codeplug.subspan(kSerialOffset, kSerialLength);
    if (!monitor.curvesPath) {
        return CurveSet::builtIn(serial);
    }
    const auto& path = *monitor.curvesPath;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open monitor curves " + path;
        return std::nullopt;
    }
    std::string text;
    text.resize(kMaxCurvesFileBytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        error = "cannot read monitor curves " + path;
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    auto curves = CurveSet::fromJson(text, serial, error);
    if (!curves) {
        error = "monitor curves " + path + ": " + error;
    }
    return curves;
}

int runRadio(const Options& options) {
    std::string error;
    std::vector<std::uint8_t> codeplug;
    if (options.imagePath) {
        auto image = loadImage(*options.imagePath, options.layout, error);
        if (!image) {
            return fail(kExitUsage, error);
        }
        codeplug = std::move(*image);
    } else {
        codeplug = factoryCodeplug(options.layout, options.band, options.serial);
    }

    std::optional<CurveSet> curves;
    if (options.monitor.enabled()) {
        curves = loadCurves(options.monitor, codeplug, error);
        if (!curves) {
            return fail(kExitUsage, error);
        }
    }

    EventLog log;
    if (options.logPath && !log.open(*options.logPath, error)) {
        return fail(kExitUsage, error);
    }

    SignalPipe signals;
    if (!signals.install(error)) {
        return fail(kExitFailure, error);
    }
    auto pty = PseudoTerminal::open(error);
    if (!pty) {
        return fail(kExitFailure, "cannot create the pseudo-terminal: " + error);
    }
    const long long pid = ::getpid();
    Registration registration;
    const kavrin::VirtualPort port{"vradio-" + std::to_string(pid), pty->slavePath(), pid};
    if (!registration.add(port, error)) {
        return fail(kExitFailure, "cannot register the virtual port: " + error);
    }

    const std::uint32_t seed = options.seed ? *options.seed : std::random_device{}();
    const auto& mon = options.monitor;
    SharedRadioState sharedState;
    std::optional<VirtualMonitor> monitor;
    std::unique_ptr<MonitorService> monitorService;
    if (mon.enabled()) {
        monitor.emplace(MonitorSettings{mon.dialect, mon.noiseSigma, seed, options.band},
                        std::move(*curves));
        monitorService =
            MonitorService::open(MonitorEndpoints{mon.tcpPort, mon.serial, mon.gpibAddress,
                                                  mon.latencyMs, mon.muteAfter},
                                 *monitor, sharedState, log, error);
        if (!monitorService) {
            return fail(kExitFailure, "cannot set up the service monitor: " + error);
        }
    }

    // Harnesses wait for these lines: the device path first, then where the monitor is, each
    // complete and out before serving starts.
    std::ostringstream ready;
    ready << pty->slavePath() << '\n';
    if (monitorService) {
        for (const auto& line : monitorService->announcements()) {
            ready << line << '\n';
        }
    }
    std::cout << ready.str() << std::flush;

    FaultInjector faults({options.dropProbability, options.corruptProbability}, seed);
    Radio radio(identityFrom(options), std::move(codeplug), options.refusals);
    Server server(*pty, registration, radio, log, faults, signals,
                  ServeConfig{options.delayMs, options.lineRate, options.muteAfter,
                              options.hangupAfter, options.verbose});
    if (monitorService) {
        server.setStateObserver(
            [&sharedState](const RadioState& state) { sharedState.publish(state); });
        if (!monitorService->start(error)) {
            return fail(kExitFailure, error);
        }
    }
    server.run();
    if (monitorService) {
        monitorService->stop();
    }

    int status = kExitOk;
    if (options.saveImagePath && !saveImage(*options.saveImagePath, radio.codeplug(), error)) {
        status = fail(kExitFailure, error);
    }
    registration.remove();
    return status;
}

// With --exit-with-parent a crashed test or script leaves no radio running and holding its
// output pipes open. The kernel sends the signal when the thread that started us ends; a parent
// that ended while the request was being made is caught by its pid having changed.
bool exitWithParent(std::string& error) {
#ifdef __linux__
    const pid_t parent = ::getppid();
    if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0) {
        error = "cannot ask to end with the parent process";
        return false;
    }
    if (::getppid() != parent) {
        ::raise(SIGTERM);
    }
#endif
    static_cast<void>(error);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = parseOptions(
        std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)), error);
    if (!options) {
        return fail(kExitUsage, error);
    }
    if (options->exitWithParent && !exitWithParent(error)) {
        return fail(kExitFailure, error);
    }
    if (options->showHelp) {
        std::cout << helpText() << std::flush;
        return kExitOk;
    }
    if (options->showVersion) {
        std::cout << "kavrin-radio-sim " KAVRIN_VERSION "\n" << std::flush;
        return kExitOk;
    }
    return runRadio(*options);
}
