// Events the virtual radio served, and the JSON-lines file that records them for test harnesses.
#pragma once

#include <cstdint>
#include <fstream>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kavrin::sim {

// One flat JSON object whose keys keep the order in which they were added, so that log lines
// read the same way every time.
class LogEvent {
public:
    LogEvent& text(std::string_view key, std::string_view value);
    LogEvent& number(std::string_view key, long long value);
    LogEvent& decimal(std::string_view key, double value, int decimals);
    LogEvent& hex(std::string_view key, std::span<const std::uint8_t> bytes);

    bool empty() const { return fields_.empty(); }
    std::string json() const;

private:
    std::vector<std::pair<std::string, std::string>> fields_; // values already JSON-encoded
};

class EventLog {
public:
    // Appends to the file, creating it when missing. Returns false with a message on failure.
    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return out_.is_open(); }

    // Each line is flushed at once: a harness reads the log while the radio keeps running. The
    // radio's loop and the service monitor's thread both write, a whole line at a time.
    void write(const LogEvent& event);

private:
    std::mutex mutex_;
    std::ofstream out_;
    std::string path_;
    bool failed_ = false;
};

} // namespace kavrin::sim
