// Reading the virtual radio's JSON-lines event log into typed events.
#include "support/radio_log.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>

namespace kavrin::test {

namespace {

using Kind = RadioEvent::Kind;
using wire::Status;

constexpr std::array<std::pair<std::string_view, Kind>, 7> kKindNames{{
    {"open", Kind::Open},
    {"close", Kind::Close},
    {"execute", Kind::Execute},
    {"read", Kind::Read},
    {"write", Kind::Write},
    {"unknown", Kind::Unknown},
    {"scpi", Kind::Scpi},
}};

constexpr std::array<std::pair<std::string_view, Status>, 7> kStatusNames{{
    {"ok", Status::Ok},
    {"unknown_request", Status::UnknownRequest},
    {"wrong_mode", Status::WrongMode},
    {"not_in_test_mode", Status::NotInTestMode},
    {"bad_argument", Status::BadArgument},
    {"refused", Status::Refused},
    {"not_open", Status::NotOpen},
}};

template <typename Value, std::size_t N>
std::optional<Value> lookup(const std::array<std::pair<std::string_view, Value>, N>& table,
                            std::string_view name) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const auto& entry) { return entry.first == name; });
    return found == table.end() ? std::nullopt : std::optional<Value>(found->second);
}

template <typename Value, std::size_t N>
std::string_view nameOf(const std::array<std::pair<std::string_view, Value>, N>& table,
                        Value value) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const auto& entry) { return entry.second == value; });
    return found == table.end() ? "?" : found->first;
}

// One log line taken apart; every failure names the line it is on.
class LineReader {
public:
    LineReader(std::size_t number, std::string_view line) : number_(number), line_(line) {}

    RadioEvent read() const {
        QJsonParseError error{};
        const auto document = QJsonDocument::fromJson(
            QByteArray(line_.data(), static_cast<qsizetype>(line_.size())), &error);
        if (error.error != QJsonParseError::NoError || !document.isObject()) {
            fail("not a JSON object");
        }
        const auto object = document.object();
        RadioEvent event;
        event.line = std::string(line_);
        const auto kind = lookup(kKindNames, text(object, "event"));
        if (!kind) {
            fail("unknown event '" + text(object, "event") + "'");
        }
        event.kind = *kind;
        // The service monitor's lines carry an instrument's command, not a radio's status.
        if (event.kind == Kind::Scpi) {
            event.command = text(object, "command");
        } else {
            const auto status = lookup(kStatusNames, text(object, "status"));
            if (!status) {
                fail("unknown status '" + text(object, "status") + "'");
            }
            event.status = *status;
        }

        for (auto it = object.begin(); it != object.end(); ++it) {
            const auto key = it.key().toStdString();
            const auto& value = it.value();
            if (key == "event" || (key == "status" && event.kind != Kind::Scpi) ||
                (key == "command" && event.kind == Kind::Scpi)) {
                continue;
            } else if (key == "payloadLength") {
                event.payloadLength = integer(key, value);
            } else if (key == "mode") {
                event.mode = integer(key, value);
            } else if (key == "request") {
                event.request = integer(key, value);
            } else if (key == "name") {
                event.name = string(key, value);
            } else if (key == "data") {
                event.data = hex(key, value);
            } else if (key == "value") {
                event.value = integer(key, value);
            } else if (key == "firstMHz") {
                event.firstMHz = number(key, value);
            } else if (key == "secondMHz") {
                event.secondMHz = number(key, value);
            } else if (key == "offset") {
                event.offset = integer(key, value);
            } else if (key == "length") {
                event.length = integer(key, value);
            } else if (key == "bytes") {
                event.bytes = hex(key, value);
            } else if (key == "kind") {
                event.frameKind = integer(key, value);
            } else if (key == "reply" && event.kind == Kind::Scpi) {
                event.reply = string(key, value);
            } else {
                // A field this reader does not know would otherwise vanish from every check.
                fail("unknown field '" + key + "'");
            }
        }
        return event;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw RadioLogError("radio log line " + std::to_string(number_) + ": " + what + ": " +
                            std::string(line_));
    }

    std::string text(const QJsonObject& object, const char* key) const {
        if (!object.contains(key)) {
            fail(std::string("no '") + key + "'");
        }
        return string(key, object.value(key));
    }

    std::string string(const std::string& key, const QJsonValue& value) const {
        if (!value.isString()) {
            fail("'" + key + "' is not a string");
        }
        return value.toString().toStdString();
    }

    double number(const std::string& key, const QJsonValue& value) const {
        if (!value.isDouble()) {
            fail("'" + key + "' is not a number");
        }
        return value.toDouble();
    }

    int integer(const std::string& key, const QJsonValue& value) const {
        const double n = number(key, value);
        if (n != std::trunc(n) || n < std::numeric_limits<int>::min() ||
            n > std::numeric_limits<int>::max()) {
            fail("'" + key + "' is not an integer");
        }
        return static_cast<int>(n);
    }

    std::string hex(const std::string& key, const QJsonValue& value) const {
        auto digits = string(key, value);
        const bool lowerHex = std::all_of(digits.begin(), digits.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
        });
        if (!lowerHex || digits.size() % 2 != 0) {
            fail("'" + key + "' is not bytes in lower-case hex");
        }
        return digits;
    }

    std::size_t number_;
    std::string_view line_;
};

} // namespace

void PrintTo(const RadioEvent& event, std::ostream* out) {
    *out << "{" << nameOf(kKindNames, event.kind);
    if (event.kind != Kind::Scpi) {
        *out << " " << nameOf(kStatusNames, event.status);
    }
    const auto optional = [out](const char* key, const auto& value) {
        if (value) {
            *out << " " << key << "=" << *value;
        }
    };
    const auto text = [out](const char* key, const std::string& value) {
        if (!value.empty()) {
            *out << " " << key << "=" << value;
        }
    };
    optional("payloadLength", event.payloadLength);
    optional("mode", event.mode);
    optional("request", event.request);
    text("name", event.name);
    text("data", event.data);
    optional("value", event.value);
    optional("firstMHz", event.firstMHz);
    optional("secondMHz", event.secondMHz);
    optional("offset", event.offset);
    optional("length", event.length);
    text("bytes", event.bytes);
    optional("kind", event.frameKind);
    text("command", event.command);
    optional("reply", event.reply);
    *out << "} from " << event.line;
}

std::vector<RadioEvent> parseRadioLog(std::string_view text) {
    std::vector<RadioEvent> events;
    std::size_t number = 0;
    for (auto end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
        auto line = text.substr(0, end);
        text.remove_prefix(end + 1);
        ++number;
        if (line.find_first_not_of(" \t\r") == std::string_view::npos) {
            continue;
        }
        events.push_back(LineReader(number, line).read());
    }
    return events;
}

std::vector<RadioEvent> readRadioLog(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return {};
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return parseRadioLog(text);
}

std::vector<RadioEvent> traffic(std::span<const RadioEvent> events) {
    std::vector<RadioEvent> out;
    std::copy_if(events.begin(), events.end(), std::back_inserter(out), [](const auto& event) {
        return event.kind != Kind::Open && event.kind != Kind::Close;
    });
    return out;
}

std::vector<RadioEvent> eventsOfKind(std::span<const RadioEvent> events, RadioEvent::Kind kind) {
    std::vector<RadioEvent> out;
    std::copy_if(events.begin(), events.end(), std::back_inserter(out),
                 [kind](const auto& event) { return event.kind == kind; });
    return out;
}

std::vector<int> executeRequests(std::span<const RadioEvent> events) {
    std::vector<int> out;
    for (const auto& event : events) {
        if (event.kind == Kind::Execute && event.request) {
            out.push_back(*event.request);
        }
    }
    return out;
}

std::vector<std::pair<int, std::string>>
executeRequestsWithData(std::span<const RadioEvent> events) {
    std::vector<std::pair<int, std::string>> out;
    for (const auto& event : events) {
        if (event.kind == Kind::Execute && event.request) {
            out.emplace_back(*event.request, event.data);
        }
    }
    return out;
}

} // namespace kavrin::test
