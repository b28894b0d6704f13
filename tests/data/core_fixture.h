// The application core wired to recording user seams and a virtual radio, for flow tests.
#pragma once

#include "data/application_core.h"
#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <gtest/gtest.h>
#include <optional>

namespace kavrin::test {

class InstantPause final : public IPause {
public:
    void pause(std::chrono::milliseconds duration) override { pauses.push_back(duration); }
    std::vector<std::chrono::milliseconds> pauses;
};

class RecordingProgress final : public IProgress {
public:
    void setPercentText(const std::string& text) override { texts.push_back(text); }
    void setProgress(int position) override { positions.push_back(position); }
    std::vector<std::string> texts;
    std::vector<int> positions;
};

class CountingCursor final : public IBusyCursor {
public:
    void showBusy() override { ++depth; }
    void restore() override { --depth; }
    int depth = 0;
};

class RecordingStatus final : public IStatusLine {
public:
    void setStatusText(const std::string& text) override { last = text; }
    std::string last;
};

class RecordingRecentFiles final : public IRecentFiles {
public:
    void addRecentFile(const std::filesystem::path& path) override { paths.push_back(path); }
    std::vector<std::filesystem::path> paths;
};

class CoreTest : public ::testing::Test {
protected:
    void startRadio(const QStringList& options = {}) { radio.emplace(ports, options); }

    // A compact trace of the radio's log: "open2", "close", "x17" (execute 17), "r7936+64",
    // "w8045=5c", "?" (a frame kind the radio did not know); a field the radio could not read
    // from its request shows as -1.
    std::vector<std::string> trace() const {
        std::vector<std::string> out;
        for (const auto& event : radio->log()) {
            switch (event.kind) {
            case RadioEvent::Kind::Open:
                out.push_back("open" + std::to_string(event.mode.value_or(-1)));
                break;
            case RadioEvent::Kind::Close:
                out.emplace_back("close");
                break;
            case RadioEvent::Kind::Execute:
                out.push_back("x" + std::to_string(event.request.value_or(-1)));
                break;
            case RadioEvent::Kind::Read:
                out.push_back("r" + std::to_string(event.offset.value_or(-1)) + "+" +
                              std::to_string(event.length.value_or(-1)));
                break;
            case RadioEvent::Kind::Write:
                out.push_back("w" + std::to_string(event.offset.value_or(-1)) + "=" + event.bytes);
                break;
            case RadioEvent::Kind::Unknown:
                out.emplace_back("?");
                break;
            case RadioEvent::Kind::Scpi:
                break; // the service monitor's, not the radio's traffic
            }
        }
        return out;
    }

    IsolatedPorts ports;
    RecordedMessages messages;
    InstantPause pause;
    CountingCursor cursor;
    RecordingStatus status;
    RecordingRecentFiles recent;
    RecordingProgress progress;
    applicationCore core{ApplicationServices{messages.sink, cursor, status, pause, recent}};
    std::optional<SimRadio> radio;
};

} // namespace kavrin::test
