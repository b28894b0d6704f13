// Console messages, questions and progress.
#include "cli/console_ui.h"

#include <algorithm>

namespace kavrin::cli {

namespace {
constexpr int kBarWidth = 30;
}

void ConsoleMessages::showMessage(const std::string& text, const std::string& title,
                                  MessageIcon icon) {
    // Errors go where scripts look for them; notes are the command's normal output.
    auto& stream = icon == MessageIcon::Exclamation ? console_.err : console_.out;
    stream << title << ": " << text << '\n';
    stream.flush();
}

Answer ConsoleMessages::ask(const std::string& text, const std::string& title, MessageIcon icon) {
    showMessage(text, title, icon);
    return answer();
}

Answer ConsoleMessages::answer() {
    if (preset_) {
        console_.out << (*preset_ == Answer::Ok ? "-> OK" : "-> Cancel") << '\n';
        return *preset_;
    }
    if (!console_.inIsTerminal) {
        console_.out << "-> Cancel (no terminal to ask; --yes answers OK)\n";
        return Answer::Cancel;
    }
    console_.out << "OK or Cancel? [o/C] " << std::flush;
    std::string reply;
    std::getline(console_.in, reply);
    return !reply.empty() &&
                   (reply[0] == 'o' || reply[0] == 'O' || reply[0] == 'y' || reply[0] == 'Y')
               ? Answer::Ok
               : Answer::Cancel;
}

ConsoleProgress::ConsoleProgress(Console& console, const std::string& operation)
    : console_(console) {
    console_.out << operation << '\n';
}

ConsoleProgress::~ConsoleProgress() {
    if (drawn_) {
        console_.out << '\n';
    }
}

void ConsoleProgress::setPercentText(const std::string& text) {
    text_ = text;
    if (!console_.outIsTerminal) {
        console_.out << text << '\n';
    }
}

void ConsoleProgress::setProgress(int position) {
    position_ = std::clamp(position, 0, 100);
    if (console_.outIsTerminal) {
        drawBar();
    }
}

void ConsoleProgress::drawBar() {
    const int filled = position_ * kBarWidth / 100;
    console_.out << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                 << std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') << "] " << text_
                 << "   " << std::flush;
    drawn_ = true;
}

} // namespace kavrin::cli
