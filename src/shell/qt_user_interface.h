// The Qt side of the user seams: message boxes, the override cursor, a pause that keeps the
// window painted, and the main window's status line.
#pragma once

#include "data/user_interface.h"
#include "link/user_messages.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace kavrin::shell {

// The box QtMessages shows. A warning takes the diagnosis of the link open that just failed
// (takeLinkFailureDetails) as the text behind its "Show Details..." button; the message itself
// stays as given.
std::unique_ptr<QMessageBox> makeMessageBox(const std::string& text, const std::string& title,
                                            MessageIcon icon, QMessageBox::StandardButtons buttons,
                                            QWidget* owner);

// Modal message boxes owned by the main window; tests replace the whole interface.
class QtMessages final : public IUserMessages {
public:
    explicit QtMessages(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }
    void showMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
    Answer ask(const std::string& text, const std::string& title, MessageIcon icon) override;

private:
    QPointer<QWidget> owner_;
};

// QApplication's override cursor is a stack, as the guards expect.
class QtBusyCursor final : public IBusyCursor {
public:
    void showBusy() override;
    void restore() override;
};

// Waits while the window keeps painting; input stays blocked as the flows expect.
class QtPause final : public IPause {
public:
    void pause(std::chrono::milliseconds duration) override;
};

} // namespace kavrin::shell
