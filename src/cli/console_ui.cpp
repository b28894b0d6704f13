// Console messages, questions, progress and the log's output.
#include "cli/console_ui.h"

#include "link/log.h"

#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <array>
#include <cctype>
#include <mutex>
#include <string_view>
#include <system_error>

namespace kavrin::cli {

namespace {

constexpr int kBarWidth = 30;
constexpr const char* kCancelledText = "Cancelled";

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A typed answer as OK or Cancel; anything else is no answer and is asked again.
std::optional<Answer> typedAnswer(const std::string& reply) {
    constexpr std::array<std::string_view, 3> kOk{"y", "yes", "ok"};
    constexpr std::array<std::string_view, 3> kCancel{"n", "no", "cancel"};
    auto word = lowered(reply);
    // A terminal of another system may leave its CR; blanks around the word are no answer's part.
    const auto first = word.find_first_not_of(" \t\r");
    const auto last = word.find_last_not_of(" \t\r");
    word = first == std::string::npos ? std::string() : word.substr(first, last - first + 1);
    if (std::find(kOk.begin(), kOk.end(), word) != kOk.end()) {
        return Answer::Ok;
    }
    if (std::find(kCancel.begin(), kCancel.end(), word) != kCancel.end()) {
        return Answer::Cancel;
    }
    return std::nullopt;
}

} // namespace

void endBarLine(Console& console) {
    if (console.barLineOpen) {
        console.out << '\n' << std::flush;
        console.barLineOpen = false;
        console.barLineLength = 0;
    }
}

std::string fileLine(const std::filesystem::path& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return "  " + (error ? path : absolute).string();
}

void ConsoleMessages::showMessage(const std::string& text, const std::string& title,
                                  MessageIcon icon) {
    endBarLine(console_);
    // Errors go where scripts look for them; notes are the command's normal output.
    auto& stream = icon == MessageIcon::Exclamation ? console_.err : console_.out;
    stream << title << ": " << text << '\n';
    if (file_) {
        stream << fileLine(*file_) << '\n';
    }
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
    // A slip of the finger asks again rather than deciding; the end of input decides Cancel.
    for (;;) {
        console_.out << "OK or Cancel? [y/n] " << std::flush;
        std::string reply;
        if (!std::getline(console_.in, reply)) {
            console_.out << '\n' << kCancelledText << '\n' << std::flush;
            return Answer::Cancel;
        }
        if (const auto answer = typedAnswer(reply)) {
            if (*answer == Answer::Cancel) {
                console_.out << kCancelledText << '\n' << std::flush;
            }
            return *answer;
        }
    }
}

ConsoleMessages::AboutFile::AboutFile(ConsoleMessages& messages, const std::filesystem::path& path)
    : messages_(messages), previous_(messages.file_) {
    messages_.file_ = path;
}

ConsoleMessages::AboutFile::~AboutFile() {
    messages_.file_ = previous_;
}

ConsoleProgress::ConsoleProgress(Console& console, const std::string& operation)
    : console_(console) {
    endBarLine(console_);
    console_.out << operation << '\n';
}

ConsoleProgress::~ConsoleProgress() {
    endBarLine(console_);
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
    const auto filled = static_cast<std::size_t>(position_ * kBarWidth / 100);
    std::string line = "[" + std::string(filled, '#') +
                       std::string(static_cast<std::size_t>(kBarWidth) - filled, ' ') + "] " +
                       text_;
    const auto length = line.size();
    // Blanks over what a longer text before it left on the line.
    if (console_.barLineOpen && console_.barLineLength > length) {
        line.append(console_.barLineLength - length, ' ');
    }
    console_.out << '\r' << line << std::flush;
    console_.barLineOpen = true;
    console_.barLineLength = length;
}

namespace {

// The one sink Qt's handler writes to; log messages may come from any thread.
std::mutex sinkMutex;
Console* sinkConsole = nullptr;
QtMessageHandler previousHandler = nullptr;

void writeLogMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // Without verbose logging the link's own categories hold their debug output back already;
    // this keeps the rest (Qt's and anyone's uncategorised debug lines) off a technician's
    // console too. Verbose logging turns every Kavrin category's debug output on.
    const bool verbose = log::debugEnabled(log::Channel::Serial);
    if ((type == QtDebugMsg || type == QtInfoMsg) && !verbose) {
        return;
    }
    const std::lock_guard lock(sinkMutex);
    if (sinkConsole == nullptr) {
        return;
    }
    endBarLine(*sinkConsole);
    sinkConsole->err << qFormatLogMessage(type, context, message).toStdString() << '\n'
                     << std::flush;
}

} // namespace

ConsoleLogSink::ConsoleLogSink(Console& console) {
    const std::lock_guard lock(sinkMutex);
    sinkConsole = &console;
    previousHandler = qInstallMessageHandler(writeLogMessage);
}

ConsoleLogSink::~ConsoleLogSink() {
    const std::lock_guard lock(sinkMutex);
    qInstallMessageHandler(previousHandler);
    sinkConsole = nullptr;
    previousHandler = nullptr;
}

} // namespace kavrin::cli
