// What the commands of kavrin-cli share: their parsed arguments, the application core wired to
// the console, and the read flow as the read command runs it.
#pragma once

#include "cli/console_ui.h"
#include "data/application_core.h"
#include "data/user_interface.h"
#include "link/user_messages.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kavrin::cli {

// The arguments after the command: positional ones and --options, some taking a value.
struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;

    std::optional<std::string> value(const std::string& name) const {
        const auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    bool flag(const std::string& name) const { return flags.count(name) != 0; }
};

// The application core wired to the console; the link's own messages go there too.
struct ConsoleCore {
    explicit ConsoleCore(Console& console)
        : messages(console), scope(messages),
          core(ApplicationServices{messages, cursor, status, pause, recent}) {}
    ConsoleMessages messages;
    ScopedUserMessages scope;
    NoBusyCursor cursor;
    RememberedStatusLine status;
    SleepingPause pause;
    NoRecentFiles recent;
    applicationCore core;
};

// The read flow with its progress, then the status line it left; true when the radio was read.
bool readRadio(ConsoleCore& session, Console& console);

} // namespace kavrin::cli
