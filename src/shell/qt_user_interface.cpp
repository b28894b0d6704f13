// Message boxes, the busy cursor and the painting pause.
#include "shell/qt_user_interface.h"

#include "link/port_diagnosis.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>

namespace kavrin::shell {

namespace {
QMessageBox::Icon boxIcon(MessageIcon icon) {
    return icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::Information;
}
} // namespace

std::unique_ptr<QMessageBox> makeMessageBox(const std::string& text, const std::string& title,
                                            MessageIcon icon, QMessageBox::StandardButtons buttons,
                                            QWidget* owner) {
    auto box = std::make_unique<QMessageBox>(boxIcon(icon), QString::fromStdString(title),
                                             QString::fromStdString(text), buttons, owner);
    // The link's open failures are the warnings that follow its diagnosis at once; any other
    // warning finds none, as every search starts by forgetting the last one.
    if (icon == MessageIcon::Exclamation) {
        if (const auto details = takeLinkFailureDetails(); !details.empty()) {
            box->setDetailedText(QString::fromStdString(details));
        }
    }
    return box;
}

void QtMessages::showMessage(const std::string& text, const std::string& title, MessageIcon icon) {
    makeMessageBox(text, title, icon, QMessageBox::Ok, owner_)->exec();
}

Answer QtMessages::ask(const std::string& text, const std::string& title, MessageIcon icon) {
    return makeMessageBox(text, title, icon, QMessageBox::Ok | QMessageBox::Cancel, owner_)
                       ->exec() == QMessageBox::Ok
               ? Answer::Ok
               : Answer::Cancel;
}

void QtBusyCursor::showBusy() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtBusyCursor::restore() {
    QApplication::restoreOverrideCursor();
}

void QtPause::pause(std::chrono::milliseconds duration) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < duration.count()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        QThread::msleep(10);
    }
}

} // namespace kavrin::shell
