// kavrin-cli's console: the confirmation prompt, the progress bar's line and the log's output,
// as a terminal shows them.
#include "cli/cli.h"
#include "cli/console_ui.h"
#include "link/log.h"
#include "support/sim_radio.h"

#include <QLoggingCategory>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sstream>

namespace kavrin {
namespace {

// What a terminal shows for a stream of text: CR goes back to the start of the line and
// overwrites it, LF starts the next line. Trailing blanks are invisible and dropped.
std::vector<std::string> screen(const std::string& text) {
    std::vector<std::string> lines{""};
    std::size_t column = 0;
    for (const char c : text) {
        if (c == '\n') {
            lines.emplace_back();
            column = 0;
        } else if (c == '\r') {
            column = 0;
        } else {
            auto& line = lines.back();
            if (column < line.size()) {
                line[column] = c;
            } else {
                line.push_back(c);
            }
            ++column;
        }
    }
    for (auto& line : lines) {
        line.erase(line.find_last_not_of(' ') + 1);
    }
    if (lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

std::string bar(int filled, const std::string& text) {
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(30 - filled), ' ') + "] " + text;
}

TEST(ConsoleScreen, RendersOverwritesAndLineEnds) {
    EXPECT_EQ(screen("abcdef\rxy\nz\n"), (std::vector<std::string>{"xycdef", "z"}));
}

// The answers a technician types at "Program Radio?" without --yes.
TEST(ConsolePrompt, TypedAnswersDecideOrAskAgain) {
    struct Case {
        const char* typed;
        Answer answer;
        int prompts;
        bool saysCancelled;
    };
    const std::vector<Case> cases{
        {"y\n", Answer::Ok, 1, false},
        {"YES\n", Answer::Ok, 1, false},
        {"Ok\n", Answer::Ok, 1, false},
        {" yes \r\n", Answer::Ok, 1, false},
        {"n\n", Answer::Cancel, 1, true},
        {"No\n", Answer::Cancel, 1, true},
        {"CANCEL\n", Answer::Cancel, 1, true},
        // Anything else is asked again, an empty line too: no default decides for a slip.
        {"maybe\ny\n", Answer::Ok, 2, false},
        {"\n\nn\n", Answer::Cancel, 3, true},
        {"yesterday\nokay\nyes\n", Answer::Ok, 3, false},
        {"o\nc\nok\n", Answer::Ok, 3, false},
        // The end of input cancels, also after a line that was no answer.
        {"", Answer::Cancel, 1, true},
        {"what\n", Answer::Cancel, 2, true},
        {"y", Answer::Ok, 1, false},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string("typed '") + row.typed + "'");
        std::istringstream in(row.typed);
        std::ostringstream out;
        std::ostringstream err;
        cli::Console console{in, out, err, true, true};
        cli::ConsoleMessages messages(console);
        EXPECT_EQ(messages.ask("Program Radio?", "Note", MessageIcon::Information), row.answer);
        const auto text = out.str();
        EXPECT_EQ(text.rfind("Note: Program Radio?\n", 0), 0u) << text;
        int prompts = 0;
        for (auto at = text.find("OK or Cancel?"); at != std::string::npos;
             at = text.find("OK or Cancel?", at + 1)) {
            ++prompts;
        }
        EXPECT_EQ(prompts, row.prompts) << text;
        EXPECT_EQ(text.find("\nCancelled\n") != std::string::npos ||
                      text.find("] Cancelled\n") != std::string::npos,
                  row.saysCancelled)
            << text;
    }
}

// A preset answer and a run without a terminal never read the input.
TEST(ConsolePrompt, PresetOrNoTerminalAnswersWithoutReading) {
    std::istringstream in("n\n");
    std::ostringstream out;
    std::ostringstream err;
    cli::Console console{in, out, err, true, false};
    cli::ConsoleMessages messages(console);
    EXPECT_EQ(messages.ask("Program Radio?", "Note", MessageIcon::Information), Answer::Cancel);
    console.inIsTerminal = true;
    messages.presetAnswer(Answer::Ok);
    EXPECT_EQ(messages.ask("Program Radio?", "Note", MessageIcon::Information), Answer::Ok);
    EXPECT_EQ(in.tellg(), 0);
}

// Texts as the read flow steps through them, a message while the bar is up and the bar's end.
TEST(ConsoleProgressBar, EachTextClearsTheLastAndMessagesStartTheirOwnLine) {
    std::istringstream in;
    std::ostringstream out;
    cli::Console console{in, out, out, true, true};
    cli::ConsoleMessages messages(console);
    {
        cli::ConsoleProgress progress(console, "Reading Softpots from radio...");
        progress.setPercentText("10% Complete");
        progress.setProgress(10);
        progress.setPercentText("52% done");
        progress.setProgress(52);
        EXPECT_EQ(screen(out.str()), (std::vector<std::string>{"Reading Softpots from radio...",
                                                               bar(15, "52% done")}));
        progress.setPercentText("100% Complete");
        progress.setProgress(100);
        messages.showMessage("Radio has been successfully read !!", "NOTE",
                             MessageIcon::Information);
        messages.showMessage("Program Radio Error", "ERROR", MessageIcon::Exclamation);
    }
    EXPECT_EQ(screen(out.str()),
              (std::vector<std::string>{"Reading Softpots from radio...", bar(30, "100% Complete"),
                                        "NOTE: Radio has been successfully read !!",
                                        "ERROR: Program Radio Error"}));

    // A bar still open when the progress ends gets its line end then.
    std::ostringstream again;
    cli::Console second{in, again, again, true, true};
    {
        cli::ConsoleProgress progress(second, "Writing Softpots to radio...");
        progress.setPercentText("100% Complete");
        progress.setProgress(100);
    }
    second.out << "next\n";
    EXPECT_EQ(screen(again.str()), (std::vector<std::string>{"Writing Softpots to radio...",
                                                             bar(30, "100% Complete"), "next"}));
}

// The whole read as a terminal shows it: the bar on one line, the note after it.
TEST(ConsoleProgressBar, ReadOnATerminalEndsTheBarBeforeItsNote) {
    const test::IsolatedPorts ports;
    const test::SimRadio radio(ports);
    std::istringstream in;
    std::ostringstream out;
    cli::Console console{in, out, out, true, false};
    ASSERT_EQ(cli::run({"read"}, console), 0) << out.str();
    const auto lines = screen(out.str());
    ASSERT_GE(lines.size(), 3u) << out.str();
    EXPECT_EQ(lines[0], "Reading Softpots from radio...");
    EXPECT_EQ(lines[1], bar(30, "100% Complete"));
    EXPECT_EQ(lines[2], "NOTE: Radio has been successfully read !!");
}

Q_LOGGING_CATEGORY(lcChatty, "kavrin.test.chatty") // debug on, as Qt's default is

// Warnings always reach standard error, each on a line of its own after the bar; debug and info
// lines only once verbose logging is on.
TEST(ConsoleLog, WarningsEndTheBarAndDebugWaitsForVerbose) {
    std::istringstream in;
    std::ostringstream out;
    cli::Console console{in, out, out, true, true};
    {
        const cli::ConsoleLogSink sink(console);
        cli::ConsoleProgress progress(console, "Writing Softpots to radio...");
        progress.setPercentText("26% done");
        progress.setProgress(26);
        log::debug(log::Channel::Protocol, "tx frame");
        qDebug("uncategorised noise");
        qCDebug(lcChatty) << "chatty noise";
        qCInfo(lcChatty) << "chatty info";
        log::warning(log::Channel::Serial, "serial read failed");
        progress.setPercentText("52% done");
        progress.setProgress(52);
    }
    EXPECT_EQ(
        screen(out.str()),
        (std::vector<std::string>{"Writing Softpots to radio...", bar(7, "26% done"),
                                  "kavrin.link.serial: serial read failed", bar(15, "52% done")}));

    std::ostringstream verbose;
    cli::Console second{in, verbose, verbose, false, false};
    log::enableVerbose();
    {
        const cli::ConsoleLogSink sink(second);
        log::debug(log::Channel::Protocol, "tx frame");
        qCDebug(lcChatty) << "chatty noise";
    }
    QLoggingCategory::setFilterRules(QString());
    qSetMessagePattern(QString());
    EXPECT_NE(verbose.str().find("tx frame"), std::string::npos) << verbose.str();
    EXPECT_NE(verbose.str().find("chatty noise"), std::string::npos) << verbose.str();
}

} // namespace
} // namespace kavrin
