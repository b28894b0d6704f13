// The one interface through which the program shows messages and asks questions. The GUI
// shows message boxes, the command line prints, tests record and answer in advance.
#pragma once

#include <string>

namespace kavrin {

enum class MessageIcon { Information, Exclamation };
enum class Answer { Ok, Cancel };

class IUserMessages {
public:
    virtual ~IUserMessages() = default;
    // A message with an OK button only.
    virtual void showMessage(const std::string& text, const std::string& title,
                             MessageIcon icon) = 0;
    // A question with OK and Cancel.
    virtual Answer ask(const std::string& text, const std::string& title, MessageIcon icon) = 0;
};

// Shows nothing and gives every question the same answer, for runs nobody watches.
class SilentMessages final : public IUserMessages {
public:
    explicit SilentMessages(Answer answer = Answer::Ok) : answer_(answer) {}
    void showMessage(const std::string&, const std::string&, MessageIcon) override {}
    Answer ask(const std::string&, const std::string&, MessageIcon) override { return answer_; }

private:
    Answer answer_;
};

// The sink used by code that has no owner to ask, such as the link constructor. Without an
// installed sink, messages go to standard error and questions are answered Cancel.
IUserMessages& userMessages();

// Installs `sink` for the lifetime of the guard and restores the previous one afterwards.
class ScopedUserMessages {
public:
    explicit ScopedUserMessages(IUserMessages& sink);
    ~ScopedUserMessages();
    ScopedUserMessages(const ScopedUserMessages&) = delete;
    ScopedUserMessages& operator=(const ScopedUserMessages&) = delete;

private:
    IUserMessages* previous_;
};

} // namespace kavrin
