// Console messages.
#include "cli/console_ui.h"

namespace kavrin::cli {

void ConsoleMessages::showMessage(const std::string& text, const std::string& title,
                                  MessageIcon icon) {
    // Errors go where scripts look for them; notes are the command's normal output.
    auto& stream = icon == MessageIcon::Exclamation ? err_ : out_;
    stream << title << ": " << text << '\n';
    stream.flush();
}

Answer ConsoleMessages::ask(const std::string& text, const std::string& title, MessageIcon icon) {
    showMessage(text, title, icon);
    out_ << (answer_ == Answer::Ok ? "-> OK" : "-> Cancel") << '\n';
    return answer_;
}

} // namespace kavrin::cli
