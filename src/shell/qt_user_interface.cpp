// Message boxes, the busy cursor and the painting pause.
#include "shell/qt_user_interface.h"

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

void QtMessages::showMessage(const std::string& text, const std::string& title, MessageIcon icon) {
    QMessageBox box(boxIcon(icon), QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok, owner_);
    box.exec();
}

Answer QtMessages::ask(const std::string& text, const std::string& title, MessageIcon icon) {
    QMessageBox box(boxIcon(icon), QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok | QMessageBox::Cancel, owner_);
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
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
