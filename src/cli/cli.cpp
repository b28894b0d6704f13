// Command dispatch and the commands of kavrin-cli.
#include "cli/cli.h"

#include "cli/autotune.h"
#include "cli/command_support.h"
#include "cli/doctor.h"
#include "cli/history_commands.h"
#include "cli/interrupt.h"
#include "cli/tune.h"
#include "data/application_core.h"
#include "data/archive.h"
#include "data/radio_utilities.h"
#include "data/report.h"
#include "data/serial_programming.h"
#include "link/exceptions.h"
#include "link/log.h"
#include "link/port_diagnosis.h"
#include "link/port_discovery.h"
#include "pdf/pdf_report.h"

#include <QLocale>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>

namespace kavrin::cli {

namespace {

constexpr const char* kUsage =
    "Usage: kavrin-cli [--verbose] [--history URL] [--port NAME] COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  ports                              list the serial ports and the one the radio\n"
    "                                     search picks; with --verbose also why a port\n"
    "                                     cannot be used\n"
    "  doctor                             check the cable and the radio step by step: one\n"
    "                                     line per check, OK or PROBLEM with its fix; exit\n"
    "                                     0 when the radio answers\n"
    "  fw-version                         show the radio's firmware version\n"
    "  reset                              reset the radio\n"
    "  read [--save FILE.spa] [--report FILE]\n"
    "                                     read the radio, then save its archive and/or\n"
    "                                     write its tuning report\n"
    "  program FILE.spa [--yes]           load the archive and program every softpot into\n"
    "                                     the radio (--yes answers the confirmation)\n"
    "  report FILE.spa [--output PATH] [--pdf OUT.pdf]\n"
    "                                     write the archive's tuning report (default\n"
    "                                     display.txt), or with --pdf the report with a\n"
    "                                     chart per alignment type as a PDF\n"
    "  show FILE.spa                      print the archive's contents\n"
    "  set-serial TEXT                    program the serial number of a blank radio\n"
    "                                     (ten characters 0-9, A-Z)\n"
    "  tune --list                        list the alignment screens by name\n"
    "  tune SCREEN [--archive FILE.spa] [--point N] [--key] [--value V] [--program]\n"
    "       [--yes] [--watchdog SECONDS] [--hold SECONDS]\n"
    "                                     read the radio (or load the archive), open the\n"
    "                                     alignment screen, select point N (1-5), PTT\n"
    "                                     Toggle, enter V as the point's working softpot,\n"
    "                                     Program (--yes answers the confirmation), keep\n"
    "                                     the screen open for --hold seconds, then close\n"
    "                                     it; --watchdog dekeys an idle keyed radio after\n"
    "                                     SECONDS (default 120, 0 never)\n"
    "  history [--serial SERIAL]          the snapshots of every radio (or of one), newest\n"
    "                                     first: ID, time (UTC), operation, outcome,\n"
    "                                     serial number, model number, host\n"
    "  history show ID                    a snapshot as show prints an archive, then the\n"
    "                                     softpots it changed in the radio\n"
    "  history diff ID1 ID2               the softpots in which two snapshots differ\n"
    "  history export ID --save FILE.spa  save a snapshot as an archive\n"
    "  history restore ID [--yes]         program every softpot of a snapshot into the\n"
    "                                     radio, as program does with an archive\n"
    "  autotune (--screen NAME | --all) --monitor ADDRESS [--profile NAME|FILE]\n"
    "           [--limits FILE] [--settle-ms MS] [--results FILE.csv] [--yes]\n"
    "                                     read the radio, then align the screen (or every\n"
    "                                     supported one) with the service monitor at\n"
    "                                     ADDRESS (tcp://HOST[:PORT], serial:PORT[?baud=N]\n"
    "                                     or prologix:PORT?addr=N): per point measure, fit,\n"
    "                                     set, verify against the limits (default: the\n"
    "                                     shipped ones), then Program the points that\n"
    "                                     passed (--yes answers \"Program Radio?\"); exit 1\n"
    "                                     when a point failed or the run stopped\n"
    "\n"
    "Options (anywhere on the line):\n"
    "  --verbose        log every frame, retry and port decision to standard error\n"
    "  --port NAME      drive the radio on the port NAME as ports lists it, instead of the\n"
    "                   first CP210x cable (several benches on one PC)\n"
    "  --history URL    where every read and change of a radio is recorded:\n"
    "                   sqlite:PATH, postgresql://USER@HOST[:PORT]/DBNAME (password\n"
    "                   from PGPASSWORD or ~/.pgpass) or none; default the history/url\n"
    "                   setting, else history.sqlite in the per-user data folder\n"
    "  --help           show this text\n"
    "  --version        show the program's version\n"
    "\n"
    "Environment:\n"
    "  KAVRIN_VIRTUAL_PORTS  directory of virtual radios; when set, only they are listed\n"
    "  KAVRIN_DEBUG          as --verbose\n"
    "  KAVRIN_HISTORY        as --history, which wins over it\n"
    "  KAVRIN_PORT           as --port, which wins over it\n"
    "\n"
    "Exit status: 0 success, 1 the work failed or was cancelled, 2 bad command line,\n"
    "130 tune, program or history restore ended by Ctrl-C (a second Ctrl-C ends at once,\n"
    "leaving the radio as it is).\n";

constexpr const char* kProgramStoppedText =
    "kavrin-cli: Program All stopped by Ctrl-C: the write in flight and its checksum were "
    "finished and the radio left test mode, holding the softpots written so far";

struct CommandSpec {
    std::size_t positional;
    std::size_t optionalPositional; // how many more it may take
    std::set<std::string> valueOptions;
    std::set<std::string> flagOptions;
    std::function<int(Console&, const Arguments&)> run;
    // Whether the command talks to the radio: a chosen port must then be there.
    std::function<bool(const Arguments&)> drivesRadio = [](const Arguments&) { return false; };
};

bool always(const Arguments&) {
    return true;
}

std::optional<Arguments> parse(const CommandSpec& command, const std::vector<std::string>& words,
                               std::string& problem) {
    Arguments parsed;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const auto& word = words[i];
        if (word.rfind("--", 0) != 0) {
            parsed.positional.push_back(word);
        } else if (command.flagOptions.count(word) != 0) {
            parsed.flags.insert(word);
        } else if (command.valueOptions.count(word) != 0) {
            if (i + 1 == words.size()) {
                problem = word + " needs a value";
                return std::nullopt;
            }
            parsed.values[word] = words[++i];
        } else {
            problem = "unknown option " + word;
            return std::nullopt;
        }
    }
    const auto count = parsed.positional.size();
    const auto most = command.positional + command.optionalPositional;
    if (count < command.positional || count > most) {
        problem = most == 0                    ? "takes no arguments"
                  : most == command.positional ? "needs one argument"
                                               : "takes at most one argument";
        return std::nullopt;
    }
    return parsed;
}

void printPorts(std::ostream& out, const PortList& ports) {
    for (const auto& port : ports) {
        out << port.portName << '\t' << port.friendlyName << '\t' << port.devicePath
            << (port.isUsb != 0 ? "\tusb" : "") << '\n';
    }
}

int portsCommand(Console& console, const Arguments& arguments) {
    // The diagnosis first: it removes the registrations of virtual radios that are gone.
    std::optional<PortDiagnosis> diagnosis;
    if (arguments.verbose) {
        diagnosis = diagnosePorts(arguments.port.value_or(std::string{}));
    }
    PortList ports;
    std::string failure;
    if (!enumeratePorts(ports, failure)) {
        console.err << "Port enumeration failed: " << failure << '\n';
        return kExitFailed;
    }
    console.out << "Port\tName\tDevice\tUSB\n";
    printPorts(console.out, ports);
    if (diagnosis) {
        console.out << "\nDiagnosis:\n" << diagnosisText(diagnosis->checks) << "\n\n";
    }
    std::string radioPort;
    if (arguments.port) {
        if (findPortNamed(ports, *arguments.port) != nullptr) {
            radioPort = *arguments.port;
        }
    } else {
        findRadioPortIn(ports, kPortNameMarker, radioPort);
    }
    if (radioPort.empty()) {
        console.out << "Radio port: none\n";
        return kExitFailed;
    }
    console.out << "Radio port: " << radioPort << '\n';
    return kExitOk;
}

// A chosen port that is not there ends the command before it touches any radio.
bool chosenPortPresent(Console& console, const std::string& name) {
    PortList ports;
    std::string failure;
    if (!enumeratePorts(ports, failure)) {
        console.err << "Port enumeration failed: " << failure << '\n';
        return false;
    }
    if (findPortNamed(ports, name) != nullptr) {
        return true;
    }
    console.err << "kavrin-cli: there is no port named '" << name << "'; the ports are:\n";
    printPorts(console.err, ports);
    if (ports.empty()) {
        console.err << "(none)\n";
    }
    return false;
}

template <typename Command> int utilityCommand(Console& console, Command command) {
    const auto lock = lockRadioPort(console);
    if (!lock) {
        return kExitFailed;
    }
    ConsoleMessages messages(console);
    const ScopedUserMessages scope(messages);
    NoBusyCursor cursor;
    RememberedStatusLine status;
    return command(UserInterface{messages, cursor, status}) ? kExitOk : kExitFailed;
}

bool writeReportTo(ConsoleCore& session, const std::string& path) {
    if (!writeReport(path, session.core.record())) {
        const ConsoleMessages::AboutFile about(session.messages, path);
        session.messages.showMessage(kReportOpenFailedText, "ERROR", MessageIcon::Exclamation);
        return false;
    }
    return true;
}

int readCommand(Console& console, const Arguments& arguments) {
    const auto lock = lockRadioPort(console);
    if (!lock) {
        return kExitFailed;
    }
    ConsoleCore session(console, arguments);
    if (!readRadio(session, console)) {
        return kExitFailed;
    }
    bool ok = true;
    if (const auto save = arguments.value("--save")) {
        ok = saveArchiveNamed(session, *save) && ok;
    }
    if (const auto report = arguments.value("--report")) {
        ok = writeReportTo(session, *report) && ok;
    }
    return ok ? kExitOk : kExitFailed;
}

int programCommand(Console& console, const Arguments& arguments) {
    ConsoleCore session(console, arguments);
    if (!loadArchiveNamed(session, arguments.positional[0])) {
        return kExitFailed;
    }
    return programLoadedRecord(session, console, arguments);
}

// Letter where the system's measurements are those of the United States, else A4.
QPageSize localPaper() {
    return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
                         ? QPageSize::Letter
                         : QPageSize::A4);
}

int reportCommand(Console& console, const Arguments& arguments) {
    ConsoleCore session(console, arguments);
    if (!loadArchiveNamed(session, arguments.positional[0])) {
        return kExitFailed;
    }
    const auto pdf = arguments.value("--pdf");
    bool ok = true;
    if (!pdf || arguments.value("--output")) {
        ok = writeReportTo(session, arguments.value("--output").value_or(kReportFileName));
    }
    if (pdf) {
        const QString failure =
            writePdfReport(session.core.record(), QString::fromStdString(*pdf), localPaper());
        if (!failure.isEmpty()) {
            console.err << "ERROR: " << failure.toStdString() << '\n';
            ok = false;
        }
    }
    return ok ? kExitOk : kExitFailed;
}

constexpr std::array<const char*, kAlignmentTypeCount> kTypeNames{"Tx high power",
                                                                  "Tx low power",
                                                                  "Tx modulation 12.5 kHz",
                                                                  "Tx modulation 20 kHz",
                                                                  "Tx modulation 25 kHz",
                                                                  "KTD modulation 12.5 kHz",
                                                                  "KTD modulation 20 kHz",
                                                                  "KTD modulation 25 kHz",
                                                                  "Rx squelch 12.5 kHz normal",
                                                                  "Rx squelch 12.5 kHz tight",
                                                                  "Rx squelch 25 kHz normal",
                                                                  "Rx squelch 25 kHz tight",
                                                                  "Rx squelch 20 kHz normal",
                                                                  "Rx squelch 20 kHz tight"};

std::string megahertz(double frequency) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.3f", frequency);
    return text.data();
}

int showCommand(Console& console, const Arguments& arguments) {
    radioRecord record;
    const auto& path = arguments.positional[0];
    switch (loadArchive(path, record)) {
    case ArchiveLoad::CannotOpen:
        console.err << "ERROR: " << kArchiveOpenFailedText << '\n' << fileLine(path) << '\n';
        return kExitFailed;
    case ArchiveLoad::InvalidFormat:
        console.err << "ERROR: " << kArchiveInvalidText << '\n' << fileLine(path) << '\n';
        return kExitFailed;
    case ArchiveLoad::Loaded:
        break;
    }
    printRecord(console.out, record);
    return kExitOk;
}

int setSerialCommand(Console& console, const Arguments& arguments) {
    const auto lock = lockRadioPort(console);
    if (!lock) {
        return kExitFailed;
    }
    ConsoleCore session(console, arguments);
    auto& core = session.core;
    const int layout = core.layoutQuery();
    if (layout < 0) {
        return kExitFailed;
    }
    core.record().setCodeplugLayout(layout);
    // Only a blank radio takes a serial number: the check compares with ten blanks.
    core.record().setSerialNo(kBlankSerialNo);
    if (!serialRadioCheck(core, session.messages)) {
        return kExitFailed;
    }
    return programSerialNo(core, arguments.positional[0], session.messages, session.cursor)
               ? kExitOk
               : kExitFailed;
}

const std::map<std::string, CommandSpec>& commands() {
    static const std::map<std::string, CommandSpec> table{
        {"ports", {0, 0, {}, {}, portsCommand}},
        {"doctor", {0, 0, {}, {}, doctorCommand}},
        {"fw-version",
         {0,
          0,
          {},
          {},
          [](Console& console, const Arguments&) {
              return utilityCommand(console, [](const UserInterface& ui) {
                  return firmwareVersionCommand(ui).has_value();
              });
          },
          always}},
        {"reset",
         {0,
          0,
          {},
          {},
          [](Console& console, const Arguments&) {
              return utilityCommand(console, resetRadioCommand);
          },
          always}},
        {"read", {0, 0, {"--save", "--report"}, {}, readCommand, always}},
        {"program", {1, 0, {}, {"--yes"}, programCommand, always}},
        {"report", {1, 0, {"--output", "--pdf"}, {}, reportCommand}},
        {"show", {1, 0, {}, {}, showCommand}},
        {"set-serial", {1, 0, {}, {}, setSerialCommand, always}},
        {"tune",
         {0,
          1,
          {"--archive", "--point", "--value", "--watchdog", "--hold"},
          {"--list", "--key", "--program", "--yes"},
          tuneCommand,
          [](const Arguments& arguments) { return !arguments.flag("--list"); }}},
        {"history",
         {0,
          3,
          {"--serial", "--save"},
          {"--yes"},
          historyCommand,
          [](const Arguments& arguments) {
              return !arguments.positional.empty() && arguments.positional[0] == "restore";
          }}},
        {"autotune",
         {0,
          0,
          {"--screen", "--monitor", "--profile", "--limits", "--settle-ms", "--results"},
          {"--all", "--yes"},
          autotuneCommand,
          always}},
    };
    return table;
}

} // namespace

void printRecord(std::ostream& out, const radioRecord& record) {
    out << "Serial No:      " << record.serialNo() << '\n'
        << "Model No:       " << record.modelNo() << '\n'
        << "Layout:         " << (record.codeplugLayout() == 0 ? "standard" : "extended")
        << " (code " << record.getCell(kLayoutCodeCell) << ")\n"
        << "Band:           " << record.getCell(kBandCell) << '\n'
        << "Channel option: " << record.getCell(kChannelOptionCell) << '\n';
    constexpr std::array<std::pair<PointGroup, const char*>, 3> kGroups{
        {{PointGroup::TxPower, "Tx power points"},
         {PointGroup::TxModulation, "Tx modulation points"},
         {PointGroup::Receive, "Receive points"}}};
    for (const auto& [group, name] : kGroups) {
        out << name << " (MHz):";
        for (std::size_t i = 0; i < kPointCount; ++i) {
            out << "  F" << i + 1 << ' '
                << (record.getCell(pointCell(group, i)) != 0
                        ? megahertz(record.pointFrequency(group, i))
                        : std::string("-"));
        }
        out << '\n';
    }
    for (const auto& type : kAlignmentTypes) {
        out << kTypeNames[static_cast<std::size_t>(type.type)] << ':';
        if (!record.isSupported(type.family)) {
            out << " UNSUPPORTED\n";
            continue;
        }
        if (type.middlePointOnly && record.codeplugLayout() == 0) {
            out << " (extended layout only)\n";
            continue;
        }
        for (std::size_t i = 0; i < kPointCount; ++i) {
            if (type.middlePointOnly && i != kMiddlePoint) {
                continue;
            }
            out << "  F" << i + 1 << ' ';
            if (record.getCell(pointCell(type.points, i)) == 0) {
                out << '-';
            } else {
                out << record.getCell(softpotCell(type, i));
            }
        }
        out << '\n';
    }
}

const char* typeName(AlignmentType type) {
    return kTypeNames[static_cast<std::size_t>(type)];
}

std::string pointName(std::size_t point) {
    return "F" + std::to_string(point + 1);
}

int programLoadedRecord(ConsoleCore& session, Console& console, const Arguments& arguments) {
    // Held from the layout check through the confirmation to the last write.
    const auto lock = lockRadioPort(console);
    if (!lock) {
        return kExitFailed;
    }
    if (arguments.flag("--yes")) {
        session.messages.presetAnswer(Answer::Ok);
    }
    if (!session.core.programAllChecks()) {
        return kExitFailed;
    }
    // From here on Ctrl-C lets the write in flight and its checksum finish and takes the radio
    // out of test mode; a second one ends at once.
    const InterruptGuard interrupt;
    bool programmed = false;
    {
        ConsoleProgress progress(console, "Writing Softpots to radio...");
        programmed =
            session.core.programFlow(progress, [&interrupt] { return interrupt.requested(); });
    }
    if (interrupt.requested()) {
        console.err << kProgramStoppedText << '\n';
        return kExitInterrupted;
    }
    return programmed ? kExitOk : kExitFailed;
}

QString historyUrlText(const Arguments& arguments) {
    return configuredHistoryUrl(arguments.history
                                    ? std::optional(QString::fromStdString(*arguments.history))
                                    : std::nullopt);
}

std::optional<flowPortLock> lockRadioPort(Console& console) {
    std::optional<flowPortLock> lock(std::in_place);
    if (lock->busy()) {
        console.err << "kavrin-cli: " << portBusyText(lock->portName()) << '\n';
        lock.reset();
    }
    return lock;
}

bool loadArchiveNamed(ConsoleCore& session, const std::string& path) {
    const ConsoleMessages::AboutFile about(session.messages, path);
    return session.core.loadArchiveByName(path);
}

bool saveArchiveNamed(ConsoleCore& session, const std::string& path) {
    const ConsoleMessages::AboutFile about(session.messages, path);
    return session.core.saveArchiveFile(path);
}

bool readRadio(ConsoleCore& session, Console& console) {
    bool read = false;
    {
        ConsoleProgress progress(console, "Reading Softpots from radio...");
        read = session.core.readFlow(progress);
    }
    if (!session.status.last().empty()) {
        console.out << session.status.last() << '\n';
    }
    return read;
}

int run(const std::vector<std::string>& arguments, Console& console) {
    // The global options may stand anywhere; every other word belongs to the command, and a
    // value option of the command takes the next word whatever it looks like.
    std::vector<std::string> rest;
    std::optional<std::string> history;
    std::optional<std::string> port;
    bool verbose = false;
    bool help = false;
    bool version = false;
    const CommandSpec* command = nullptr;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const auto& argument = arguments[i];
        if (argument == "--history" || argument == "--port") {
            if (i + 1 == arguments.size()) {
                console.err << "kavrin-cli: " << argument << " needs a value\n";
                return kExitUsage;
            }
            (argument == "--history" ? history : port) = arguments[++i];
        } else if (argument == "--verbose" || argument == "-v") {
            verbose = true;
        } else if (argument == "--help" || argument == "-h") {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else {
            if (rest.empty()) {
                const auto it = commands().find(argument);
                command = it == commands().end() ? nullptr : &it->second;
            } else if (command != nullptr && command->valueOptions.count(argument) != 0 &&
                       i + 1 < arguments.size()) {
                rest.push_back(argument);
                rest.push_back(arguments[++i]);
                continue;
            }
            rest.push_back(argument);
        }
    }
    if (help) {
        console.out << kUsage;
        return kExitOk;
    }
    if (version) {
        console.out << "kavrin-cli " << KAVRIN_VERSION << '\n';
        return kExitOk;
    }
    if (history) {
        const auto url = parseHistoryUrl(QString::fromStdString(*history));
        if (!url.url) {
            console.err << "kavrin-cli: --history: " << url.error.toStdString() << '\n';
            return kExitUsage;
        }
    }
    if (!port) {
        if (const char* fromEnvironment = std::getenv("KAVRIN_PORT");
            fromEnvironment != nullptr && *fromEnvironment != '\0') {
            port = fromEnvironment;
        }
    }
    if (verbose) {
        log::enableVerbose();
    }
    if (rest.empty()) {
        console.err << kUsage;
        return kExitUsage;
    }
    if (command == nullptr) {
        console.err << "kavrin-cli: unknown command '" << rest.front() << "'\n\n" << kUsage;
        return kExitUsage;
    }
    std::string problem;
    auto parsed = parse(*command, {rest.begin() + 1, rest.end()}, problem);
    if (!parsed) {
        console.err << "kavrin-cli " << rest.front() << ": " << problem << '\n';
        return kExitUsage;
    }
    parsed->history = history;
    parsed->port = port;
    parsed->verbose = verbose;
    if (port && command->drivesRadio(*parsed) && !chosenPortPresent(console, *port)) {
        return kExitFailed;
    }
    const ScopedRadioPort chosen(port.value_or(std::string{}));
    try {
        return command->run(console, *parsed);
    } catch (const Exception& failure) {
        console.err << "kavrin-cli: radio link error " << failure.errorValue() << '\n';
        return kExitFailed;
    }
}

} // namespace kavrin::cli
