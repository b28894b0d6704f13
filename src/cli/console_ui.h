// The command line's side of the user seams: messages printed as "TITLE: text", questions
// answered by an option or at a terminal prompt, progress as a bar on a terminal and as lines
// otherwise.
#pragma once

#include "data/application_core.h"
#include "data/user_interface.h"
#include "link/user_messages.h"

#include <cstddef>
#include <filesystem>
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
    // The progress bar's line is drawn without its line end, so that the next bar overwrites it;
    // whatever else is printed ends it first.
    bool barLineOpen = false;
    std::size_t barLineLength = 0;
};

// Ends the progress bar's line when one is open, so that the next text starts a line of its own.
void endBarLine(Console& console);

class ConsoleMessages final : public IUserMessages {
public:
    explicit ConsoleMessages(Console& console) : console_(console) {}
    void showMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
    // A question is answered by the preset answer, else at a terminal prompt, else Cancel: an
    // unattended run never agrees to anything it was not told to.
    Answer ask(const std::string& text, const std::string& title, MessageIcon icon) override;
    void presetAnswer(Answer answer) { preset_ = answer; }

    // While it lives, every message is about `path` and names it on a line of its own after the
    // message's text, which stays the text the window shows.
    class AboutFile {
    public:
        AboutFile(ConsoleMessages& messages, const std::filesystem::path& path);
        ~AboutFile();
        AboutFile(const AboutFile&) = delete;
        AboutFile& operator=(const AboutFile&) = delete;

    private:
        ConsoleMessages& messages_;
        std::optional<std::filesystem::path> previous_;
    };

private:
    Answer answer();

    Console& console_;
    std::optional<Answer> preset_;
    std::optional<std::filesystem::path> file_;
};

// The line under a message about a file: the file's absolute path, indented.
std::string fileLine(const std::filesystem::path& path);

// Routes Qt's log messages (the link's, the history's, the instruments') to standard error for its
// lifetime: warnings and worse always, debug and info only once verbose logging was turned on,
// each after ending an open progress bar's line.
class ConsoleLogSink {
public:
    explicit ConsoleLogSink(Console& console);
    ~ConsoleLogSink();
    ConsoleLogSink(const ConsoleLogSink&) = delete;
    ConsoleLogSink& operator=(const ConsoleLogSink&) = delete;
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
};

class RememberedStatusLine final : public IStatusLine {
public:
    void setStatusText(const std::string& text) override { last_ = text; }
    const std::string& last() const { return last_; }

private:
    std::string last_;
};

} // namespace kavrin::cli
