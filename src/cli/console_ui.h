// The command line's side of the user seams: messages printed as "TITLE: text", questions
// answered by an option or at a terminal prompt, progress as a bar on a terminal and as lines
// otherwise.
#pragma once

#include "data/application_core.h"
#include "data/user_interface.h"
#include "link/user_messages.h"

#include <cstddef>
#include <istream>
#include <optional>
#include <ostream>

namespace kavrin::cli {

struct Console {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool outIsTerminal = false;
    bool inIsTerminal = false;
};

class ConsoleMessages final : public IUserMessages {
public:
    explicit ConsoleMessages(Console& console) : console_(console) {}
    void showMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
    // A question is answered by the preset answer, else at a terminal prompt, else Cancel: an
    // unattended run never agrees to anything it was not told to.
    Answer ask(const std::string& text, const std::string& title, MessageIcon icon) override;
    void presetAnswer(Answer answer) { preset_ = answer; }

private:
    Answer answer();

    Console& console_;
    std::optional<Answer> preset_;
};

class ConsoleProgress final : public IProgress {
public:
    ConsoleProgress(Console& console, const std::string& operation);
    ~ConsoleProgress() override;
    ConsoleProgress(const ConsoleProgress&) = delete;
    ConsoleProgress& operator=(const ConsoleProgress&) = delete;
    void setPercentText(const std::string& text) override;
    void setProgress(int position) override;

private:
    void drawBar();
    Console& console_;
    std::string text_;
    int position_ = 0;
    bool drawn_ = false;
};

class RememberedStatusLine final : public IStatusLine {
public:
    void setStatusText(const std::string& text) override { last_ = text; }
    const std::string& last() const { return last_; }

private:
    std::string last_;
};

} // namespace kavrin::cli
