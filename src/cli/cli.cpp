// Command dispatch and the commands of kavrin-cli.
#include "cli/cli.h"

#include "cli/console_ui.h"
#include "data/radio_utilities.h"
#include "link/exceptions.h"
#include "link/log.h"
#include "link/port_discovery.h"
#include "link/virtual_ports.h"

#include <functional>
#include <map>

namespace kavrin::cli {

namespace {

struct Context {
    std::ostream& out;
    std::ostream& err;
    std::vector<std::string> arguments; // after the command name
};

constexpr const char* kUsage =
    "Usage: kavrin-cli [--verbose] COMMAND\n"
    "\n"
    "Commands:\n"
    "  ports        list the serial ports and the one the radio search picks\n"
    "  fw-version   show the radio's firmware version\n"
    "  reset        reset the radio\n"
    "\n"
    "Options:\n"
    "  --verbose    log every frame, retry and port decision to standard error\n"
    "  --help       show this text\n"
    "\n"
    "Environment:\n"
    "  KAVRIN_VIRTUAL_PORTS  directory of virtual radios; when set, only they are listed\n"
    "\n"
    "Exit status: 0 success, 1 the radio work failed, 2 bad command line.\n";

int portsCommand(Context& context) {
    PortList ports;
    std::string failure;
    if (!enumeratePorts(ports, failure)) {
        context.err << "Port enumeration failed: " << failure << '\n';
        return kExitFailed;
    }
    for (const auto& port : ports) {
        context.out << port.portName << '\t' << port.friendlyName << '\t' << port.devicePath
                    << (port.isUsb != 0 ? "\tusb" : "") << '\n';
    }
    std::string radioPort;
    if (findRadioPortIn(ports, kPortNameMarker, radioPort) != 0) {
        context.out << "Radio port: none\n";
        return kExitFailed;
    }
    context.out << "Radio port: " << radioPort << '\n';
    return kExitOk;
}

template <typename Command> int radioCommand(Context& context, Command command) {
    ConsoleMessages messages(context.out, context.err);
    const ScopedUserMessages scope(messages);
    NoCursor cursor;
    SilentStatusLine status;
    return command(UserInterface{messages, cursor, status}) ? kExitOk : kExitFailed;
}

int firmwareVersion(Context& context) {
    return radioCommand(
        context, [](const UserInterface& ui) { return firmwareVersionCommand(ui).has_value(); });
}

int reset(Context& context) {
    return radioCommand(context, resetRadioCommand);
}

using Handler = std::function<int(Context&)>;

const std::map<std::string, Handler>& commands() {
    static const std::map<std::string, Handler> table{
        {"ports", portsCommand},
        {"fw-version", firmwareVersion},
        {"reset", reset},
    };
    return table;
}

} // namespace

int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    std::vector<std::string> rest;
    for (const auto& argument : arguments) {
        if (argument == "--verbose" || argument == "-v") {
            log::enableVerbose();
        } else if (argument == "--help" || argument == "-h") {
            out << kUsage;
            return kExitOk;
        } else {
            rest.push_back(argument);
        }
    }
    if (rest.empty()) {
        err << kUsage;
        return kExitUsage;
    }
    const auto it = commands().find(rest.front());
    if (it == commands().end()) {
        err << "kavrin-cli: unknown command '" << rest.front() << "'\n\n" << kUsage;
        return kExitUsage;
    }
    Context context{out, err, {rest.begin() + 1, rest.end()}};
    if (!context.arguments.empty()) {
        err << "kavrin-cli: " << rest.front() << " takes no arguments\n";
        return kExitUsage;
    }
    try {
        return it->second(context);
    } catch (const Exception& failure) {
        err << "kavrin-cli: radio link error " << failure.errorValue() << '\n';
        return kExitFailed;
    }
}

} // namespace kavrin::cli
