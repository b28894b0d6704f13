// Child frames.
#include "shell/frames.h"

#include <QCloseEvent>

namespace kavrin::shell {

CChildFrame::CChildFrame(QWidget* parent) : QMdiSubWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    emit reportClosed();
    QMdiSubWindow::closeEvent(event);
}

CCommonFrame::CCommonFrame(QWidget* parent) : QMdiSubWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
}

void CCommonFrame::closeEvent(QCloseEvent* event) {
    emit closing();
    QMdiSubWindow::closeEvent(event);
}

CCommonSplashFrame::CCommonSplashFrame(QWidget* parent)
    : QMdiSubWindow(parent, Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose);
}

} // namespace kavrin::shell
