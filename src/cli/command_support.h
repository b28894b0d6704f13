// What the commands of kavrin-cli share: their parsed arguments, the application core wired to
// the console, and the read flow as the read command runs it.
#pragma once

#include "cli/console_ui.h"
#include "data/application_core.h"
#include "data/user_interface.h"
#include "history/history_recorder.h"
#include "link/port_lock.h"
#include "link/user_messages.h"

#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace kavrin::cli {

// The arguments after the command: positional ones and --options, some taking a value.
struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    // The global --history option, for every command that records or reads the history.
    std::optional<std::string> history;
    // The global --port option (or KAVRIN_PORT): the port that replaces the CP210x search.
    std::optional<std::string> port;
    // The global --verbose option.
    bool verbose = false;

    std::optional<std::string> value(const std::string& name) const {
        const auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    bool flag(const std::string& name) const { return flags.count(name) != 0; }
};

// The history URL that counts for this run: --history, KAVRIN_HISTORY, the settings, the default.
QString historyUrlText(const Arguments& arguments);

// The application core wired to the console, recording into the chosen history; the link's own
// messages go to the console too.
struct ConsoleCore {
    ConsoleCore(Console& console, const Arguments& arguments)
        : messages(console), scope(messages),
          core(ApplicationServices{messages, cursor, status, pause, recent}),
          history(historyUrlText(arguments),
                  [&console](const QString& text) { console.err << text.toStdString() << '\n'; }) {
        core.setHistory(history);
    }
    ConsoleMessages messages;
    ScopedUserMessages scope;
    NoBusyCursor cursor;
    RememberedStatusLine status;
    SleepingPause pause;
    NoRecentFiles recent;
    applicationCore core;
    historyRecorder history;
};

// How show prints a record, and the name of a type in its lines.
void printRecord(std::ostream& out, const radioRecord& record);
const char* typeName(AlignmentType type);
std::string pointName(std::size_t point);

// Program All of the record the core holds: its checks, its confirmation (--yes answers it),
// and Ctrl-C stopping it between two writes (kExitInterrupted).
int programLoadedRecord(ConsoleCore& session, Console& console, const Arguments& arguments);

// The port's lock for a whole command, so that nothing of another program reaches the radio
// between its links. When another program holds it, says so and gives nothing: the command
// ends before it sends anything.
std::optional<flowPortLock> lockRadioPort(Console& console);

// An archive loaded into or saved from the core; each message about it names the file.
bool loadArchiveNamed(ConsoleCore& session, const std::string& path);
bool saveArchiveNamed(ConsoleCore& session, const std::string& path);

// The read flow with its progress, then the status line it left; true when the radio was read.
bool readRadio(ConsoleCore& session, Console& console);

} // namespace kavrin::cli
