// Command dispatch and the commands of kavrin-cli.
#include "cli/cli.h"

#include "cli/command_support.h"
#include "cli/tune.h"
#include "data/application_core.h"
#include "data/archive.h"
#include "data/radio_utilities.h"
#include "data/report.h"
#include "data/serial_programming.h"
#include "link/exceptions.h"
#include "link/log.h"
#include "link/port_discovery.h"

#include <array>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

namespace kavrin::cli {

namespace {

constexpr const char* kUsage =
    "Usage: kavrin-cli [--verbose] COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  ports                              list the serial ports and the one the radio\n"
    "                                     search picks\n"
    "  fw-version                         show the radio's firmware version\n"
    "  reset                              reset the radio\n"
    "  read [--save FILE.spa] [--report FILE]\n"
    "                                     read the radio, then save its archive and/or\n"
    "                                     write its tuning report\n"
    "  program FILE.spa [--yes]           load the archive and program every softpot into\n"
    "                                     the radio (--yes answers the confirmation)\n"
    "  report FILE.spa [--output PATH]    write the archive's tuning report (default\n"
    "                                     display.txt)\n"
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
    "\n"
    "Options:\n"
    "  --verbose    log every frame, retry and port decision to standard error\n"
    "  --help       show this text\n"
    "\n"
    "Environment:\n"
    "  KAVRIN_VIRTUAL_PORTS  directory of virtual radios; when set, only they are listed\n"
    "  KAVRIN_DEBUG          as --verbose\n"
    "\n"
    "Exit status: 0 success, 1 the work failed or was cancelled, 2 bad command line,\n"
    "130 tune ended by Ctrl-C (a second Ctrl-C ends at once, leaving the radio as it is).\n";

struct CommandSpec {
    std::size_t positional;
    std::size_t optionalPositional; // how many more it may take
    std::set<std::string> valueOptions;
    std::set<std::string> flagOptions;
    std::function<int(Console&, const Arguments&)> run;
};

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

int portsCommand(Console& console, const Arguments&) {
    PortList ports;
    std::string failure;
    if (!enumeratePorts(ports, failure)) {
        console.err << "Port enumeration failed: " << failure << '\n';
        return kExitFailed;
    }
    for (const auto& port : ports) {
        console.out << port.portName << '\t' << port.friendlyName << '\t' << port.devicePath
                    << (port.isUsb != 0 ? "\tusb" : "") << '\n';
    }
    std::string radioPort;
    if (findRadioPortIn(ports, kPortNameMarker, radioPort) != 0) {
        console.out << "Radio port: none\n";
        return kExitFailed;
    }
    console.out << "Radio port: " << radioPort << '\n';
    return kExitOk;
}

template <typename Command> int utilityCommand(Console& console, Command command) {
    ConsoleMessages messages(console);
    const ScopedUserMessages scope(messages);
    NoBusyCursor cursor;
    RememberedStatusLine status;
    return command(UserInterface{messages, cursor, status}) ? kExitOk : kExitFailed;
}

bool writeReportTo(ConsoleCore& session, const std::string& path) {
    if (!writeReport(path, session.core.record())) {
        session.messages.showMessage(std::string(path) + " could not be opened!!", "ERROR",
                                     MessageIcon::Exclamation);
        return false;
    }
    return true;
}

int readCommand(Console& console, const Arguments& arguments) {
    ConsoleCore session(console);
    if (!readRadio(session, console)) {
        return kExitFailed;
    }
    bool ok = true;
    if (const auto save = arguments.value("--save")) {
        ok = session.core.saveArchiveFile(*save) && ok;
    }
    if (const auto report = arguments.value("--report")) {
        ok = writeReportTo(session, *report) && ok;
    }
    return ok ? kExitOk : kExitFailed;
}

int programCommand(Console& console, const Arguments& arguments) {
    ConsoleCore session(console);
    if (arguments.flags.count("--yes") != 0) {
        session.messages.presetAnswer(Answer::Ok);
    }
    if (!session.core.loadArchiveByName(arguments.positional[0]) ||
        !session.core.programAllChecks()) {
        return kExitFailed;
    }
    ConsoleProgress progress(console, "Writing Softpots to radio...");
    return session.core.programFlow(progress) ? kExitOk : kExitFailed;
}

int reportCommand(Console& console, const Arguments& arguments) {
    ConsoleCore session(console);
    if (!session.core.loadArchiveByName(arguments.positional[0])) {
        return kExitFailed;
    }
    return writeReportTo(session, arguments.value("--output").value_or(kReportFileName))
               ? kExitOk
               : kExitFailed;
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
        console.err << "ERROR: Archive File could not be opened!!\n";
        return kExitFailed;
    case ArchiveLoad::InvalidFormat:
        console.err << "ERROR: Invalid file format!! File is not an *.SPA file\n";
        return kExitFailed;
    case ArchiveLoad::Loaded:
        break;
    }
    auto& out = console.out;
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
    return kExitOk;
}

int setSerialCommand(Console& console, const Arguments& arguments) {
    ConsoleCore session(console);
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
        {"fw-version",
         {0,
          0,
          {},
          {},
          [](Console& console, const Arguments&) {
              return utilityCommand(console, [](const UserInterface& ui) {
                  return firmwareVersionCommand(ui).has_value();
              });
          }}},
        {"reset",
         {0,
          0,
          {},
          {},
          [](Console& console, const Arguments&) {
              return utilityCommand(console, resetRadioCommand);
          }}},
        {"read", {0, 0, {"--save", "--report"}, {}, readCommand}},
        {"program", {1, 0, {}, {"--yes"}, programCommand}},
        {"report", {1, 0, {"--output"}, {}, reportCommand}},
        {"show", {1, 0, {}, {}, showCommand}},
        {"set-serial", {1, 0, {}, {}, setSerialCommand}},
        {"tune",
         {0,
          1,
          {"--archive", "--point", "--value", "--watchdog", "--hold"},
          {"--list", "--key", "--program", "--yes"},
          tuneCommand}},
    };
    return table;
}

} // namespace

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
    std::vector<std::string> rest;
    for (const auto& argument : arguments) {
        if (rest.empty() && (argument == "--verbose" || argument == "-v")) {
            log::enableVerbose();
        } else if (rest.empty() && (argument == "--help" || argument == "-h")) {
            console.out << kUsage;
            return kExitOk;
        } else {
            rest.push_back(argument);
        }
    }
    if (rest.empty()) {
        console.err << kUsage;
        return kExitUsage;
    }
    const auto it = commands().find(rest.front());
    if (it == commands().end()) {
        console.err << "kavrin-cli: unknown command '" << rest.front() << "'\n\n" << kUsage;
        return kExitUsage;
    }
    std::string problem;
    const auto parsed = parse(it->second, {rest.begin() + 1, rest.end()}, problem);
    if (!parsed) {
        console.err << "kavrin-cli " << rest.front() << ": " << problem << '\n';
        return kExitUsage;
    }
    try {
        return it->second.run(console, *parsed);
    } catch (const Exception& failure) {
        console.err << "kavrin-cli: radio link error " << failure.errorValue() << '\n';
        return kExitFailed;
    }
}

} // namespace kavrin::cli
