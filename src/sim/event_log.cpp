// JSON encoding of served events and the append-only event log.
#include "sim/event_log.h"

#include "link/frame.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace kavrin::sim {

namespace {

inline constexpr unsigned char kFirstPrintable = 0x20;

std::string quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('"');
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < kFirstPrintable) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x",
                              static_cast<unsigned>(static_cast<unsigned char>(c)));
                out += escaped;
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
    return out;
}

} // namespace

LogEvent& LogEvent::text(std::string_view key, std::string_view value) {
    fields_.emplace_back(std::string(key), quoted(value));
    return *this;
}

LogEvent& LogEvent::number(std::string_view key, long long value) {
    fields_.emplace_back(std::string(key), std::to_string(value));
    return *this;
}

LogEvent& LogEvent::decimal(std::string_view key, double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    fields_.emplace_back(std::string(key), buffer);
    return *this;
}

LogEvent& LogEvent::hex(std::string_view key, std::span<const std::uint8_t> bytes) {
    auto digits = wire::hexDump(bytes);
    std::erase(digits, ' ');
    return text(key, digits);
}

std::string LogEvent::json() const {
    std::string out = "{";
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (i != 0) {
            out.push_back(',');
        }
        out += quoted(fields_[i].first);
        out.push_back(':');
        out += fields_[i].second;
    }
    out.push_back('}');
    return out;
}

bool EventLog::open(const std::string& path, std::string& error) {
    out_.open(path, std::ios::out | std::ios::app);
    if (!out_) {
        error = "cannot open log file " + path;
        return false;
    }
    path_ = path;
    return true;
}

void EventLog::write(const LogEvent& event) {
    // The file opens before serving starts and stays open: only the writing needs the lock.
    if (!out_.is_open() || event.empty()) {
        return;
    }
    const auto line = event.json();
    const std::lock_guard lock(mutex_);
    out_ << line << '\n';
    out_.flush();
    if (!out_ && !failed_) {
        // Keep serving: a radio that stops answering because its log broke would confuse the
        // host far more than a missing log line confuses the harness.
        failed_ = true;
        std::cerr << "kavrin-radio-sim: writing the log " << path_ << " failed\n";
    }
}

} // namespace kavrin::sim
