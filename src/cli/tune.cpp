// The tune command drives an alignment session as the alignment screen does, in the order a
// technician works a screen, and prints what the screen would show: its rows after each step,
// its status line whenever it changes, and the session's notes.
#include "cli/tune.h"

#include "cli/cli.h"
#include "cli/interrupt.h"
#include "data/alignment_session.h"
#include "data/alignment_types.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace kavrin::cli {

namespace {

using Outcome = alignmentSession::Outcome;
using Clock = std::chrono::steady_clock;

constexpr const char* kPrefix = "kavrin-cli tune: ";
// How long a hold sleeps before it looks for Ctrl-C again.
constexpr auto kHoldSlice = std::chrono::milliseconds(50);
// Beyond this a time would overflow the clock's arithmetic; no bench session is this long.
constexpr long long kMaxSeconds = 1'000'000'000;

struct TuneOptions {
    const AlignmentTypeInfo* type = nullptr;
    std::optional<std::string> archive;
    std::optional<std::size_t> row; // --point N, as its row
    bool key = false;
    std::optional<std::string> value;
    bool program = false;
    bool yes = false;
    std::chrono::seconds watchdog = kDefaultTransmitWatchdog;
    std::chrono::seconds hold{0};
};

// Digits only: no sign, no space, no fraction.
std::optional<long long> wholeNumber(const std::string& text) {
    long long number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (text.empty() || error != std::errc{} || stop != end || number < 0) {
        return std::nullopt;
    }
    return number;
}

std::optional<std::chrono::seconds> seconds(const Arguments& arguments, const std::string& name,
                                            std::chrono::seconds fallback, std::string& problem) {
    const auto text = arguments.value(name);
    if (!text) {
        return fallback;
    }
    const auto number = wholeNumber(*text);
    if (!number || *number > kMaxSeconds) {
        problem = name + " takes a whole number of seconds, not '" + *text + "'";
        return std::nullopt;
    }
    return std::chrono::seconds(*number);
}

std::optional<TuneOptions> tuneOptions(const Arguments& arguments, std::string& problem) {
    if (arguments.positional.empty()) {
        problem = "needs a screen name (tune --list names them)";
        return std::nullopt;
    }
    TuneOptions options;
    const auto& name = arguments.positional.front();
    options.type = typeOfCliName(name);
    if (options.type == nullptr) {
        problem = "unknown screen '" + name + "' (tune --list names them)";
        return std::nullopt;
    }
    options.key = arguments.flag("--key");
    if (options.key && !options.type->transmit()) {
        problem = "--key: " + name + " is a receive screen, it has no PTT Toggle";
        return std::nullopt;
    }
    if (const auto point = arguments.value("--point")) {
        const auto number = wholeNumber(*point);
        if (!number || *number < 1 || *number > static_cast<long long>(kSessionRowCount)) {
            problem =
                "--point takes 1 to " + std::to_string(kSessionRowCount) + ", not '" + *point + "'";
            return std::nullopt;
        }
        options.row = static_cast<std::size_t>(*number - 1);
    }
    options.value = arguments.value("--value");
    if (options.value && !workingEditTakes(*options.value)) {
        problem = "--value: the working softpot takes up to " + std::to_string(kWorkingDigits) +
                  " digits, not '" + *options.value + "'";
        return std::nullopt;
    }
    const auto watchdog = seconds(arguments, "--watchdog", kDefaultTransmitWatchdog, problem);
    const auto hold = seconds(arguments, "--hold", std::chrono::seconds(0), problem);
    if (!watchdog || !hold) {
        return std::nullopt;
    }
    options.watchdog = *watchdog;
    options.hold = *hold;
    options.archive = arguments.value("--archive");
    options.program = arguments.flag("--program");
    options.yes = arguments.flag("--yes");
    return options;
}

void listScreens(std::ostream& out) {
    std::size_t width = 0;
    for (const auto& type : kAlignmentTypes) {
        width = std::max(width, type.cliName.size());
    }
    for (const auto& type : kAlignmentTypes) {
        out << type.cliName << std::string(width + 2 - type.cliName.size(), ' ') << type.title
            << '\n';
    }
}

// The screen on the console: its rows after each step, its status line, the notes beside it.
class ConsoleScreen final : public ISessionObserver {
public:
    explicit ConsoleScreen(Console& console) : console_(console) {}

    void showRows(const alignmentSession& session, const std::string& step) {
        constexpr std::size_t kColumns = 4;
        std::array<std::array<std::string, kColumns>, kSessionRowCount> cells;
        std::array<std::size_t, kColumns> widths{};
        for (std::size_t i = 0; i < kSessionRowCount; ++i) {
            const auto& row = session.row(i);
            cells[i] = {"F" + std::to_string(i + 1), row.frequencyText, row.defaultText,
                        row.workingText};
            for (std::size_t c = 0; c < kColumns; ++c) {
                widths[c] = std::max(widths[c], cells[i][c].size());
            }
        }
        auto& out = console_.out;
        out << step << ":\n";
        for (const auto& line : cells) {
            std::string text = " ";
            for (std::size_t c = 0; c < kColumns; ++c) {
                text += ' ' + line[c] + std::string(widths[c] - line[c].size() + 1, ' ');
            }
            text.erase(text.find_last_not_of(' ') + 1);
            out << text << '\n';
        }
        out.flush();
    }

    // The table follows each step whole.
    void rowChanged(std::size_t) override {}

    void statusChanged(const std::string& text) override {
        if (text != status_) {
            status_ = text;
            console_.out << "Status: " << text << '\n';
            console_.out.flush();
        }
    }

    void note(const std::string& text) override {
        console_.err << text << '\n';
        console_.err.flush();
    }

    // Reading a new radio is a command of its own here; the run has already failed.
    void readRequested(bool) override {}

private:
    Console& console_;
    std::string status_;
};

bool succeeded(Outcome outcome) {
    return outcome == Outcome::Done || outcome == Outcome::Ignored;
}

class TuningRun {
public:
    TuningRun(ConsoleCore& core, Console& console, const TuneOptions& options,
              const InterruptGuard& interrupt)
        : console_(console), options_(options), interrupt_(interrupt), screen_(console),
          session_(core.core, options.type->type,
                   SessionServices{core.messages, core.cursor, screen_}) {
        session_.setWatchdog(options.watchdog);
    }

    int run() {
        switch (session_.open()) {
        case Outcome::Done:
        case Outcome::Ignored:
        case Outcome::Invalid:
        case Outcome::Cancelled:
            break;
        case Outcome::NoLink:
        case Outcome::Mismatch:
            // The screen never opened: there is no test state to leave.
            return kExitFailed;
        case Outcome::Failed:
            // The screen shows and closes again at once, leaving the test state on its way.
            session_.endTuning();
            return kExitFailed;
        }
        // Every way out from here, an exception included, ends tuning as closing the screen
        // does: the session does it as it goes, if endTuning below has not.
        screen_.showRows(session_, "Opened");
        const int code = takeSteps();
        session_.endTuning();
        return code;
    }

private:
    struct Step {
        std::string name;
        std::function<bool()> take; // true when the step went through
    };

    int takeSteps() {
        // As the screen's afterShow: the point that is selected until the technician moves.
        const auto focus = session_.selectFirstPoint();
        const auto row = options_.row.value_or(focus);
        if ((options_.row || options_.value) && !session_.row(row).used) {
            console_.err << kPrefix << pointProblem(row) << '\n';
            return kExitFailed;
        }
        for (const auto& step : steps(row)) {
            if (const auto stop = between()) {
                return *stop;
            }
            const bool went = step.take();
            screen_.showRows(session_, step.name);
            if (!went) {
                return kExitFailed;
            }
        }
        return hold();
    }

    std::vector<Step> steps(std::size_t row) {
        std::vector<Step> steps;
        if (options_.row) {
            steps.push_back({"Point " + std::to_string(row + 1) + " selected", [this, row] {
                                 session_.selectPoint(row);
                                 return true;
                             }});
        }
        if (options_.key) {
            steps.push_back({"PTT Toggle", [this] { return succeeded(session_.pttToggle()); }});
        }
        if (options_.value) {
            steps.push_back({"Working softpot " + *options_.value + ", Enter", [this, row] {
                                 session_.editWorkingText(row, *options_.value);
                                 return succeeded(session_.enter(row));
                             }});
        }
        if (options_.program) {
            steps.push_back({"Program", [this] { return succeeded(session_.program()); }});
        }
        return steps;
    }

    std::string pointProblem(std::size_t row) const {
        const std::string title(session_.info().title);
        if (!session_.row(row).exists) {
            return title + " has point " + std::to_string(kMiddlePoint + 1) + " only";
        }
        return "the radio does not use point " + std::to_string(row + 1) + " on " + title;
    }

    // Between two steps and while holding: Ctrl-C ends the run here, and a transmit watchdog
    // that came due acts first, as the screen's timer would have.
    std::optional<int> between() {
        if (interrupt_.requested()) {
            return kExitInterrupted;
        }
        const auto due = session_.watchdogDeadline();
        if (due && Clock::now() >= *due && !session_.checkWatchdog()) {
            // A radio the watchdog could not dekey is safest out of the test state.
            return kExitFailed;
        }
        return std::nullopt;
    }

    int hold() {
        const auto end = Clock::now() + options_.hold;
        for (;;) {
            if (const auto stop = between()) {
                return *stop;
            }
            const auto now = Clock::now();
            if (now >= end) {
                return kExitOk;
            }
            auto wake = std::min(end, now + kHoldSlice);
            if (const auto due = session_.watchdogDeadline()) {
                wake = std::min(wake, *due);
            }
            std::this_thread::sleep_until(wake);
        }
    }

    Console& console_;
    const TuneOptions& options_;
    const InterruptGuard& interrupt_;
    ConsoleScreen screen_;
    alignmentSession session_;
};

} // namespace

int tuneCommand(Console& console, const Arguments& arguments) {
    if (arguments.flag("--list")) {
        if (arguments.positional.size() + arguments.values.size() + arguments.flags.size() != 1) {
            console.err << kPrefix << "--list takes nothing else\n";
            return kExitUsage;
        }
        listScreens(console.out);
        return kExitOk;
    }
    std::string problem;
    const auto options = tuneOptions(arguments, problem);
    if (!options) {
        console.err << kPrefix << problem << '\n';
        return kExitUsage;
    }

    // From here a Ctrl-C waits for the request in flight, so that the radio can be taken out
    // of its test state.
    const InterruptGuard interrupt;
    // The archive's load or the read, the screen and its end are one flow.
    const auto lock = lockRadioPort(console);
    if (!lock) {
        return kExitFailed;
    }
    ConsoleCore session(console, arguments);
    if (options->yes) {
        session.messages.presetAnswer(Answer::Ok);
    }
    const bool loaded = options->archive ? loadArchiveNamed(session, *options->archive)
                                         : readRadio(session, console);
    if (interrupt.requested()) {
        return kExitInterrupted;
    }
    if (!loaded) {
        return kExitFailed;
    }
    if (!session.core.alignmentAvailable(*options->type)) {
        console.err << kPrefix << options->type->title << " is not available for this radio\n";
        return kExitFailed;
    }
    return TuningRun(session, console, *options, interrupt).run();
}

} // namespace kavrin::cli
