// The command line's side of the user seams: messages printed as "TITLE: text", questions
// answered from a fixed choice, no cursor, the status line printed only when asked.
#pragma once

#include "data/user_interface.h"
#include "link/user_messages.h"

#include <ostream>

namespace kavrin::cli {

class ConsoleMessages final : public IUserMessages {
public:
    ConsoleMessages(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    void showMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
    // The command line runs unattended: a question is printed and answered Cancel unless the
    // caller chose otherwise.
    Answer ask(const std::string& text, const std::string& title, MessageIcon icon) override;
    void setAnswer(Answer answer) { answer_ = answer; }

private:
    std::ostream& out_;
    std::ostream& err_;
    Answer answer_ = Answer::Cancel;
};

class NoCursor final : public IBusyCursor {
public:
    void showBusy() override {}
    void restore() override {}
};

class SilentStatusLine final : public IStatusLine {
public:
    void setStatusText(const std::string& text) override { last_ = text; }
    const std::string& last() const { return last_; }

private:
    std::string last_;
};

} // namespace kavrin::cli
