// kavrin-cli autotune: automatic alignment of one screen or of all with a service monitor.
#include "cli/autotune.h"

#include "cli/cli.h"
#include "cli/interrupt.h"
#include "data/atomic_file.h"
#include "data/auto_alignment.h"
#include "data/autotune_run.h"
#include "data/report.h"
#include "instrument/limits_file.h"
#include "instrument/service_monitor_factory.h"

#include <charconv>

namespace kavrin::cli {

namespace {

constexpr const char* kPrefix = "kavrin-cli autotune: ";
constexpr const char* kDefaultProfile = "cma-style";

std::optional<int> milliseconds(const std::string& text) {
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < 0) {
        return std::nullopt;
    }
    return value;
}

// Notes of the screens (a dekeyed radio, a failed request) go to standard error; the rows are
// not shown, the readings are.
class QuietScreen final : public ISessionObserver {
public:
    explicit QuietScreen(Console& console) : console_(console) {}
    void rowChanged(std::size_t) override {}
    void statusChanged(const std::string&) override {}
    void note(const std::string& text) override { console_.err << text << '\n'; }
    void readRequested(bool) override {}

private:
    Console& console_;
};

class ConsoleResults final : public IAutoAlignReport {
public:
    explicit ConsoleResults(Console& console) : console_(console) {}
    void reading(const AlignmentTypeInfo&, std::size_t, int, double) override {}
    void pointDone(const pointResult& result) override {
        auto& out = console_.out;
        out << result.type->cliName << " F" << result.point + 1;
        if (result.verdict != pointVerdict::Unsupported) {
            out << ' ' << decimalText(result.megahertz, 3) << " MHz: ";
            if (result.measured) {
                out << decimalText(*result.measured, 3) << ' ' << readingUnitName(*result.type);
            }
            if (result.limits) {
                out << " (" << decimalText(result.limits->min, 3) << " to "
                    << decimalText(result.limits->max, 3) << ')';
            }
            out << ", softpot " << result.oldSoftpot << " -> " << result.newSoftpot << ", "
                << result.measurements << " measurements";
        }
        out << ": " << verdictText(result.verdict) << '\n';
        out.flush();
    }

private:
    Console& console_;
};

} // namespace

int autotuneCommand(Console& console, const Arguments& arguments) {
    const auto refuse = [&console](const std::string& problem) {
        console.err << kPrefix << problem << '\n';
        return static_cast<int>(kExitUsage);
    };
    const auto screen = arguments.value("--screen");
    if (screen.has_value() == arguments.flag("--all")) {
        return refuse("give either --screen NAME or --all");
    }
    const auto address = arguments.value("--monitor");
    if (!address) {
        return refuse("--monitor ADDRESS is needed (tcp://HOST[:PORT], serial:PORT or "
                      "prologix:PORT?addr=N)");
    }
    autoAlignSettings settings;
    if (const auto settle = arguments.value("--settle-ms")) {
        const auto value = milliseconds(*settle);
        if (!value) {
            return refuse("--settle-ms takes a whole number of milliseconds");
        }
        settings.settle = std::chrono::milliseconds(*value);
    }
    std::vector<const AlignmentTypeInfo*> types;
    if (screen) {
        const auto* type = typeOfCliName(*screen);
        if (type == nullptr) {
            return refuse("no alignment screen is called \"" + *screen +
                          "\"; kavrin-cli tune --list shows them");
        }
        types.push_back(type);
    } else {
        for (const auto& type : kAlignmentTypes) {
            types.push_back(&type);
        }
    }

    // Everything that can be refused is refused before the radio is touched.
    const auto limitsPath = arguments.value("--limits").value_or(shippedLimitsFile().toStdString());
    const auto limits = alignmentLimits::load(limitsPath);
    if (!limits.limits) {
        console.err << kPrefix << limits.error << '\n';
        return kExitFailed;
    }
    if (const auto missing = limits.limits->missingFor(types); !missing.empty()) {
        console.err << kPrefix << missing << '\n';
        return kExitFailed;
    }
    auto opened = openServiceMonitor(
        QString::fromStdString(*address),
        QString::fromStdString(arguments.value("--profile").value_or(kDefaultProfile)));
    if (!opened.monitor) {
        console.err << kPrefix << opened.error.toStdString() << '\n';
        return kExitFailed;
    }
    try {
        console.out << "Service monitor: " << opened.monitor->identify() << '\n';
    } catch (const instrumentFailure& failure) {
        console.err << kPrefix << "the service monitor does not answer: " << failure.what() << '\n';
        return kExitFailed;
    }

    // The read and the whole run are one flow.
    const auto lock = lockRadioPort(console);
    if (!lock) {
        return kExitFailed;
    }
    ConsoleCore session(console, arguments);
    if (arguments.flag("--yes")) {
        session.messages.presetAnswer(Answer::Ok);
    }
    if (!readRadio(session, console)) {
        return kExitFailed;
    }
    const radioRecord before = session.core.record();
    const InterruptGuard interrupt;
    QuietScreen screenNotes(console);
    ConsoleResults report(console);
    autoAligner aligner(session.core, *opened.monitor, *limits.limits,
                        SessionServices{session.messages, session.cursor, screenNotes},
                        session.pause, report, settings,
                        [&interrupt] { return interrupt.requested(); });
    const auto run = alignScreens(aligner, types);
    recordAutotune(session.core, before, run.results, run.stop);

    bool ok = run.stop == autoAligner::Stop::Finished;
    if (!ok) {
        console.err << kPrefix << run.failure << '\n';
    }
    if (const auto path = arguments.value("--results")) {
        if (!writeFileAtomically(*path, resultsCsv(run.results))) {
            console.err << kPrefix << *path << " could not be written\n";
            ok = false;
        }
    }
    for (const auto& result : run.results) {
        ok = ok && result.verdict != pointVerdict::Fail;
    }
    return ok ? kExitOk : kExitFailed;
}

} // namespace kavrin::cli
