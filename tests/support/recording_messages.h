// A message sink that records what the user would have seen and answers questions as told.
#pragma once

#include "link/user_messages.h"

#include <deque>
#include <string>
#include <vector>

namespace kavrin::test {

struct ShownMessage {
    std::string text;
    std::string title;
    MessageIcon icon;
    bool question;
    bool operator==(const ShownMessage&) const = default;
};

class RecordingMessages final : public IUserMessages {
public:
    void showMessage(const std::string& text, const std::string& title, MessageIcon icon) override {
        shown.push_back({text, title, icon, false});
    }
    Answer ask(const std::string& text, const std::string& title, MessageIcon icon) override {
        shown.push_back({text, title, icon, true});
        if (answers.empty()) {
            return Answer::Cancel;
        }
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const auto& message : shown) {
            result.push_back(message.text);
        }
        return result;
    }

    std::vector<ShownMessage> shown;
    std::deque<Answer> answers;
};

// Installs a recording sink for a test's lifetime.
class RecordedMessages {
public:
    RecordedMessages() : scope_(sink) {}
    RecordingMessages sink;

private:
    ScopedUserMessages scope_;
};

} // namespace kavrin::test
