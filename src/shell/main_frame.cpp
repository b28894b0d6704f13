// The main window.
#include "shell/main_frame.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QStatusBar>

namespace kavrin::shell {

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent), mdiArea_(new QMdiArea(this)), toolBar_(new QToolBar(this)),
      messagePane_(new QLabel(kIdleText, this)) {
    setWindowTitle("Kavrin");
    setCentralWidget(mdiArea_);
    mdiArea_->setObjectName("mdiArea");

    toolBar_->setObjectName("toolBar");
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setIconSize(QSize(22, 23));
    addToolBar(Qt::TopToolBarArea, toolBar_);

    messagePane_->setObjectName("messagePane");
    statusBar()->addWidget(messagePane_, 1);
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* pane = new QLabel(indicator, this);
        pane->setObjectName(indicator);
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        statusBar()->addPermanentWidget(pane);
    }
    setAcceptDrops(true);
}

void CMainFrame::setStatusText(const QString& text) {
    messagePane_->setText(text);
    messagePane_->repaint();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    emit closing();
    QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    if (dropUrls(event->mimeData()->urls())) {
        event->acceptProposedAction();
    }
}

bool CMainFrame::dropUrls(const QList<QUrl>& urls) {
    // Only the first of several dropped files is taken.
    if (urls.isEmpty() || !urls.front().isLocalFile()) {
        return false;
    }
    emit fileDropped(urls.front().toLocalFile());
    return true;
}

} // namespace kavrin::shell
