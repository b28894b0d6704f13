// The history subcommands of kavrin-cli.
#include "cli/history_commands.h"

#include "cli/cli.h"
#include "data/archive.h"
#include "data/record_compare.h"
#include "history/history_store.h"

#include <charconv>
#include <functional>
#include <map>

namespace kavrin::cli {

namespace {

constexpr const char* kPrefix = "kavrin-cli history: ";

// A field as a person reads it: without the blanks and zero bytes that pad it.
std::string trimmed(const QString& text) {
    auto value = text.toStdString();
    while (!value.empty() && (value.back() == ' ' || value.back() == '\0')) {
        value.pop_back();
    }
    return value;
}

std::optional<std::int64_t> parseId(const std::string& text) {
    std::int64_t id = 0;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, id);
    if (error != std::errc() || stop != end || id <= 0) {
        return std::nullopt;
    }
    return id;
}

// The store the run's URL names, or why there is none.
class OpenedStore {
public:
    OpenedStore(Console& console, const Arguments& arguments) : console_(console) {
        const auto urlText = historyUrlText(arguments);
        const auto url = parseHistoryUrl(urlText);
        if (!url.url) {
            console_.err << kPrefix << urlText.toStdString() << ": " << url.error.toStdString()
                         << '\n';
            return;
        }
        store_.emplace(*url.url);
        if (!store_->isOpen()) {
            console_.err << kPrefix << store_->error().toStdString() << '\n';
            store_.reset();
        }
    }
    explicit operator bool() const { return store_.has_value(); }
    historyStore& operator*() { return *store_; }
    historyStore* operator->() { return &*store_; }

    // The snapshot with its record, or a message and nothing.
    std::optional<historySnapshot> snapshot(const std::string& idText) {
        const auto id = parseId(idText);
        if (!id) {
            console_.err << kPrefix << "\"" << idText << "\" is not a snapshot ID\n";
            return std::nullopt;
        }
        auto found = store_->get(*id);
        if (!found) {
            console_.err << kPrefix << found.error.toStdString() << '\n';
            return std::nullopt;
        }
        return std::move(*found.value);
    }

private:
    Console& console_;
    std::optional<historyStore> store_;
};

// One line per softpot that differs; false when none does.
bool printDifferences(std::ostream& out, const radioRecord& first, const radioRecord& second,
                      const char* indent = "") {
    const auto differences = softpotDifferences(first, second);
    for (const auto& difference : differences) {
        out << indent << typeName(difference.type) << ' ' << pointName(difference.point) << ": "
            << difference.first << " -> " << difference.second << '\n';
    }
    return !differences.empty();
}

// Opens the store and fetches the snapshots whose IDs follow the subcommand, then runs body on
// them; a store or an ID that fails has printed why and gives kExitFailed.
int withSnapshots(Console& console, const Arguments& arguments, std::size_t count,
                  const std::function<int(std::vector<historySnapshot>&)>& body) {
    OpenedStore store(console, arguments);
    if (!store) {
        return kExitFailed;
    }
    std::vector<historySnapshot> snapshots;
    for (std::size_t i = 1; i <= count; ++i) {
        auto snapshot = store.snapshot(arguments.positional[i]);
        if (!snapshot) {
            return kExitFailed;
        }
        snapshots.push_back(std::move(*snapshot));
    }
    return body(snapshots);
}

// A record that holds the cells of a grid, with the snapshot's identity, layout and band.
radioRecord recordWithCells(const historySnapshot& snapshot, const CellGrid& cells) {
    auto copy = snapshot;
    copy.record->cells = cells;
    return *restoreRecord(copy);
}

int listSnapshots(Console& console, const Arguments& arguments) {
    OpenedStore store(console, arguments);
    if (!store) {
        return kExitFailed;
    }
    std::optional<QString> serial;
    if (const auto wanted = arguments.value("--serial")) {
        serial = QString::fromStdString(*wanted);
    }
    auto listed = store->list(serial);
    // Serial numbers are kept as the radio gives them, padded to ten characters.
    constexpr auto kWidth = static_cast<qsizetype>(kSerialNoSize);
    if (listed && listed.value->empty() && serial && serial->size() < kWidth) {
        listed = store->list(serial->leftJustified(kWidth, u' '));
    }
    if (!listed) {
        console.err << kPrefix << listed.error.toStdString() << '\n';
        return kExitFailed;
    }
    for (const auto& s : *listed.value) {
        console.out << s.id << '\t' << s.time.toStdString() << '\t' << s.operation.toStdString()
                    << '\t' << s.outcome.toStdString() << '\t' << trimmed(s.serialNo) << '\t'
                    << trimmed(s.modelNo) << '\t' << s.host.toStdString() << '\n';
    }
    return kExitOk;
}

int showSnapshot(Console& console, const Arguments& arguments) {
    return withSnapshots(console, arguments, 1, [&console](auto& snapshots) {
        const auto& snapshot = snapshots[0];
        auto& out = console.out;
        out << "Snapshot:       " << snapshot.id << '\n'
            << "Time:           " << snapshot.time.toStdString() << '\n'
            << "Operation:      " << snapshot.operation.toStdString() << '\n'
            << "Outcome:        " << snapshot.outcome.toStdString() << '\n'
            << "Host:           " << snapshot.host.toStdString() << '\n'
            << "User:           " << snapshot.user.toStdString() << '\n';
        if (!snapshot.detail.isEmpty()) {
            out << "Detail:         " << snapshot.detail.toStdString() << '\n';
        }
        printRecord(out, *restoreRecord(snapshot));
        if (snapshot.before && snapshot.after) {
            out << "Before -> after:\n";
            if (!printDifferences(out, recordWithCells(snapshot, *snapshot.before),
                                  recordWithCells(snapshot, *snapshot.after), "  ")) {
                out << "  no softpot changed\n";
            }
        }
        return static_cast<int>(kExitOk);
    });
}

int diffSnapshots(Console& console, const Arguments& arguments) {
    return withSnapshots(console, arguments, 2, [&console](auto& snapshots) {
        printDifferences(console.out, *restoreRecord(snapshots[0]), *restoreRecord(snapshots[1]));
        return static_cast<int>(kExitOk);
    });
}

int exportSnapshot(Console& console, const Arguments& arguments) {
    const auto path = arguments.value("--save");
    if (!path) {
        console.err << kPrefix << "export needs --save FILE.spa\n";
        return kExitUsage;
    }
    return withSnapshots(console, arguments, 1, [&](auto& snapshots) {
        ConsoleCore session(console, arguments);
        session.core.record() = *restoreRecord(snapshots[0]);
        return saveArchiveNamed(session, *path) ? kExitOk : kExitFailed;
    });
}

int restoreSnapshot(Console& console, const Arguments& arguments) {
    std::optional<radioRecord> record;
    const int found = withSnapshots(console, arguments, 1, [&record](auto& snapshots) {
        record = restoreRecord(snapshots[0]);
        return static_cast<int>(kExitOk);
    });
    if (found != kExitOk) {
        return found;
    }
    // The store is closed again before the radio work, whose own snapshot opens it anew.
    ConsoleCore session(console, arguments);
    session.core.loadRecord(*record);
    return programLoadedRecord(session, console, arguments);
}

struct Subcommand {
    std::size_t ids; // how many snapshot IDs follow the subcommand's name
    std::set<std::string> options;
    std::function<int(Console&, const Arguments&)> run;
};

} // namespace

int historyCommand(Console& console, const Arguments& arguments) {
    static const std::map<std::string, Subcommand> kSubcommands{
        {"show", {1, {}, showSnapshot}},
        {"diff", {2, {}, diffSnapshots}},
        {"export", {1, {"--save"}, exportSnapshot}},
        {"restore", {1, {"--yes"}, restoreSnapshot}},
    };
    const auto usedOptions = [&arguments] {
        std::set<std::string> used(arguments.flags.begin(), arguments.flags.end());
        for (const auto& [name, value] : arguments.values) {
            used.insert(name);
        }
        return used;
    }();
    const auto refuse = [&console](const std::string& problem) {
        console.err << kPrefix << problem << '\n';
        return static_cast<int>(kExitUsage);
    };
    const auto allowed = [&usedOptions, &refuse](const std::set<std::string>& options) {
        for (const auto& option : usedOptions) {
            if (options.count(option) == 0) {
                refuse(option + " does not belong here");
                return false;
            }
        }
        return true;
    };
    if (arguments.positional.empty()) {
        return allowed({"--serial"}) ? listSnapshots(console, arguments) : kExitUsage;
    }
    const auto it = kSubcommands.find(arguments.positional[0]);
    if (it == kSubcommands.end()) {
        return refuse("unknown subcommand '" + arguments.positional[0] + "'");
    }
    if (arguments.positional.size() != it->second.ids + 1) {
        return refuse(it->first +
                      (it->second.ids == 1 ? " needs one snapshot ID" : " needs two snapshot IDs"));
    }
    if (!allowed(it->second.options)) {
        return kExitUsage;
    }
    return it->second.run(console, arguments);
}

} // namespace kavrin::cli
