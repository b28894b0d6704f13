// The process-wide message sink and its fallback on standard error.
#include "link/user_messages.h"

#include <iostream>

namespace kavrin {

namespace {

class StandardErrorMessages final : public IUserMessages {
public:
    void showMessage(const std::string& text, const std::string& title, MessageIcon) override {
        std::cerr << title << ": " << text << '\n';
    }
    Answer ask(const std::string& text, const std::string& title, MessageIcon icon) override {
        showMessage(text, title, icon);
        return Answer::Cancel;
    }
};

StandardErrorMessages fallbackSink;
IUserMessages* currentSink = &fallbackSink;

} // namespace

IUserMessages& userMessages() {
    return *currentSink;
}

ScopedUserMessages::ScopedUserMessages(IUserMessages& sink) : previous_(currentSink) {
    currentSink = &sink;
}

ScopedUserMessages::~ScopedUserMessages() {
    currentSink = previous_;
}

} // namespace kavrin
